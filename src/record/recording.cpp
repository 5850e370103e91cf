// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "recording.h"

#include "csvformat.h"
#include "record.h"
#include "vcdformat.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace Sernix::Record {

namespace {

// The events of both categories after the given sequence numbers, in the
// order the record took them.
std::vector<const Event *> eventsAfter(const Record &record, const std::array<quint64, 2> &written)
{
    std::vector<const Event *> events;
    for (Category category : {Category::Lines, Category::Data}) {
        for (const Event &event : record.after(category, written.at(std::size_t(category))))
            events.push_back(&event);
    }
    std::sort(events.begin(), events.end(), [](const Event *a, const Event *b) { return a->sequence < b->sequence; });
    return events;
}

// Whether the file ends in the middle of a line, so that a header row
// appended to it would be glued to that line.
bool endsWithIncompleteLine(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || file.size() == 0 || !file.open(QIODevice::ReadOnly))
        return false;
    char last = 0;
    return file.seek(file.size() - 1) && file.getChar(&last) && last != '\n';
}

} // namespace

Recording::Recording(const Record &record, FileKind kind)
    : m_record(record)
    , m_kind(kind)
    , m_format(createFileFormat(kind, record))
{
    m_flushTimer.setInterval(FlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &Recording::flush);
}

QString Recording::start(const QString &path)
{
    if (QString error = open(path); !error.isEmpty())
        return error;
    m_unwritten += m_format->begin(m_record, m_record.now(), true);
    m_written = {m_record.lastSequence(), m_record.lastSequence()};
    m_flushTimer.start();
    return {};
}

QString Recording::open(const QString &path)
{
    if (m_kind == FileKind::Vcd) {
        // A VCD has one header and one time line: it cannot be appended to,
        // and what a file held is never destroyed.
        if (RecordFile::targetOf(path) == RecordFile::Target::File)
            return QStringLiteral("%1 exists; a VCD file cannot be added to, give a new name").arg(path);
        return m_file.open(path, false);
    }
    const bool incomplete = endsWithIncompleteLine(path);
    if (QString error = m_file.open(path, true); !error.isEmpty())
        return error;
    if (incomplete)
        m_unwritten += "\r\n";
    return {};
}

Recording::~Recording()
{
    finish();
}

void Recording::addNew()
{
    const std::vector<const Event *> events = eventsAfter(m_record, m_written);
    for (const Event *event : events) {
        m_format->add(*event);
        m_written.at(std::size_t(categoryOf(event->kind))) = event->sequence;
    }
}

void Recording::flush()
{
    if (m_failed || m_finished)
        return;
    if (m_file.waitsForReader()) {
        // The record keeps the events meanwhile: a reader gets all since the start.
        if (const QString error = m_file.openOnceRead(); !error.isEmpty())
            return fail(error);
        if (!m_file.isOpen())
            return;
    }
    addNew();
    writeOut(m_format->take(m_record.now()));
}

void Recording::finish()
{
    // A file that never opened (a FIFO no reader came to) has nothing to finish.
    if (m_failed || m_finished || !m_file.isOpen())
        return;
    addNew();
    writeOut(m_format->finish(m_record.now()));
    m_finished = true;
    m_flushTimer.stop();
    m_file.close();
}

void Recording::writeOut(const QByteArray &text)
{
    m_unwritten += text;
    if (m_failed || m_unwritten.isEmpty())
        return;
    // Writing to a file that was deleted succeeds and goes nowhere.
    if (!QFileInfo::exists(m_file.path())) {
        fail(QStringLiteral("the file was removed"));
        return;
    }
    const qint64 written = m_file.write(m_unwritten);
    if (written < 0) {
        fail(m_file.errorString());
        return;
    }
    m_unwritten.remove(0, written);
    if (m_unwritten.size() > MaxBacklog)
        fail(QStringLiteral("its reader does not keep up"));
}

void Recording::fail(const QString &reason)
{
    m_failed = true;
    m_flushTimer.stop();
    m_file.close();
    Q_EMIT failed(QStringLiteral("recording to %1 stopped: %2").arg(m_file.path(), reason));
}

std::unique_ptr<FileFormat> createFileFormat(FileKind kind, const Record &record)
{
    if (kind == FileKind::Csv)
        return std::make_unique<CsvFormat>(record);
    return std::make_unique<VcdFormat>();
}

QString writeWholeRecord(const Record &record, FileKind kind, QIODevice &device)
{
    const std::unique_ptr<FileFormat> format = createFileFormat(kind, record);
    const qint64 start = std::min(record.heldSince(Category::Lines), record.heldSince(Category::Data));
    QByteArray text = format->begin(record, start, false);
    for (const Event *event : eventsAfter(record, {0, 0}))
        format->add(*event);
    text += format->finish(record.now());
    if (device.write(text) != text.size())
        return device.errorString();
    return {};
}

} // namespace Sernix::Record
