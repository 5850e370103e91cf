// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "csvformat.h"

#include "record.h"

namespace Sernix::Record {

CsvFormat::CsvFormat(const Record &record)
    : m_record(record)
{
}

QByteArray CsvFormat::headerRow()
{
    return QByteArrayLiteral("time,channel,event,value,text\r\n");
}

QByteArray CsvFormat::field(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n')) {
        bytes.replace('"', QByteArrayLiteral("\"\""));
        bytes.prepend('"');
        bytes.append('"');
    }
    return bytes;
}

QString CsvFormat::hexText(QByteArrayView bytes)
{
    static constexpr char Digits[] = "0123456789abcdef";
    QString text(bytes.isEmpty() ? 0 : bytes.size() * 3 - 1, QLatin1Char(' '));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = quint8(bytes.at(i));
        text[i * 3] = QLatin1Char(Digits[byte >> 4]);
        text[i * 3 + 1] = QLatin1Char(Digits[byte & 0xf]);
    }
    return text;
}

QString CsvFormat::printableText(QByteArrayView bytes)
{
    QString text(bytes.size(), QLatin1Char('.'));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char byte = bytes.at(i);
        if (byte >= 0x20 && byte <= 0x7e)
            text[i] = QLatin1Char(byte);
    }
    return text;
}

QString CsvFormat::valueText(const Record &record, const Event &event)
{
    if (lineOf(event.kind))
        return event.level ? QStringLiteral("1") : QStringLiteral("0");
    if (event.kind == EventKind::Pulse)
        return lineName(event.line);
    if (isError(event.kind))
        return QString::number(event.count);
    return record.text(event.subject);
}

QString CsvFormat::detailText(const Record &record, const Event &event)
{
    if (event.kind == EventKind::Pulse)
        return pulseCountText(event.count);
    return record.text(event.detail);
}

QString CsvFormat::guardedText(const QString &text)
{
    if (!text.isEmpty() && QStringView(u"=+-@").contains(text.front()))
        return QLatin1Char('\'') + text;
    return text;
}

QByteArray CsvFormat::row(const Event &event) const
{
    const bool isData = categoryOf(event.kind) == Category::Data;
    const QByteArrayView bytes = m_record.bytes(event);
    QByteArray line = m_record.clock().wallTime(event.time).toString(Qt::ISODateWithMs).toLatin1();
    // A time taken at the change itself keeps its microseconds.
    if (event.atEdge)
        line.insert(line.size() - 1, QByteArray::number(1000 + event.time % 1000).sliced(1));
    line += ",COM" + QByteArray::number(event.channel) + ',' + eventName(event.kind).toLatin1() + ',';
    line += field(isData ? hexText(bytes) : valueText(m_record, event)) + ',';
    line += field(guardedText(isData ? printableText(bytes) : detailText(m_record, event))) + "\r\n";
    return line;
}

QByteArray CsvFormat::begin(const Record &, qint64, bool)
{
    return headerRow();
}

void CsvFormat::add(const Event &event)
{
    m_ready += row(event);
}

QByteArray CsvFormat::take(qint64)
{
    return std::exchange(m_ready, {});
}

QByteArray CsvFormat::finish(qint64)
{
    return std::exchange(m_ready, {});
}

} // namespace Sernix::Record
