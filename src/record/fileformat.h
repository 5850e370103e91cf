// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "event.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace Sernix::Record {

class Record;

// The files a record is written to, told apart by their extension.
enum class FileKind { Csv, Vcd };
std::optional<FileKind> fileKindOf(const QString &path); // ".csv", ".vcd", any case
QString fileKindName(FileKind kind);                     // "CSV", "VCD"

// Turns events, in the order the record took them, into a file's text. A
// format may hold back what it cannot write yet (a VCD draws a pulse before
// the look that counted it), so text comes out through take() and finish().
class FileFormat
{
public:
    virtual ~FileFormat() = default;

    // The text a file starts with; startTime is the record time that the
    // file's own time 0 (where it has one) stands for. fromNow: the file
    // follows the record from now on, so a format that draws levels starts
    // from the record's present state of each channel; otherwise from
    // nothing known.
    virtual QByteArray begin(const Record &record, qint64 startTime, bool fromNow) = 0;
    virtual void add(const Event &event) = 0;
    // The text ready for everything added so far, given that nothing more
    // will come from before record time `settled`.
    virtual QByteArray take(qint64 settled) = 0;
    // The rest of the text, up to record time `end`.
    virtual QByteArray finish(qint64 end) = 0;
};

} // namespace Sernix::Record
