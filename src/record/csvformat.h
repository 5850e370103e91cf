// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "fileformat.h"

namespace Sernix::Record {

// RFC 4180 rows (CRLF, fields quoted where needed) under the header
// "time,channel,event,value,text". Times are UTC with milliseconds. Bytes
// are written twice: exact, as lower-case hex in the value column, and
// readable, in the text column, with every byte outside 0x20-0x7E as '.'.
// A text that a spreadsheet would take for a formula (=, +, -, @ first)
// gets a leading apostrophe; the value column is never changed.
class CsvFormat : public FileFormat
{
public:
    explicit CsvFormat(const Record &record);

    static QByteArray headerRow(); // with its CRLF
    static QByteArray field(const QString &text);
    static QString hexText(QByteArrayView bytes);
    static QString printableText(QByteArrayView bytes);
    static QString guardedText(const QString &text);
    // The value and text columns of an event other than received or sent.
    static QString valueText(const Record &record, const Event &event);
    static QString detailText(const Record &record, const Event &event);
    QByteArray row(const Event &event) const;

    QByteArray begin(const Record &record, qint64 startTime, bool fromNow) override;
    void add(const Event &event) override;
    QByteArray take(qint64 settled) override;
    QByteArray finish(qint64 end) override;

private:
    const Record &m_record;
    QByteArray m_ready;
};

} // namespace Sernix::Record
