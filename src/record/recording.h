// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "fileformat.h"
#include "recordfile.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <memory>

namespace Sernix::Record {

class Record;

// One file that follows a record as it grows: what the record takes from
// now on is written out in the background, at least once a second and when
// the recording ends, never inside the caller of Record::append. A write
// that fails ends the recording: failed() says why, once, and nothing more
// is written.
class Recording : public QObject
{
    Q_OBJECT
public:
    static constexpr int FlushIntervalMs = 250;
    // What may wait for a FIFO's reader that does not keep up, before the
    // recording gives it up.
    static constexpr qsizetype MaxBacklog = qsizetype(8) * 1024 * 1024;

    Recording(const Record &record, FileKind kind);
    ~Recording() override; // writes what is left

    // Opens the file and follows the record from now on: a CSV is appended
    // to (a new header row marks the run), a VCD must not exist yet as a
    // regular file. Into a FIFO without a reader, writing starts when one
    // comes, with all since the start. Why it cannot start, or empty.
    QString start(const QString &path);

    FileKind kind() const { return m_kind; }
    QString path() const { return m_file.path(); }
    bool waitsForReader() const { return m_file.waitsForReader(); }
    bool hasFailed() const { return m_failed; }

    // Writes everything the record holds that is not written yet.
    void flush();
    // Writes the rest and closes the file; nothing more is written after.
    void finish();

Q_SIGNALS:
    void failed(const QString &message);

private:
    QString open(const QString &path);
    void writeOut(const QByteArray &text);
    void addNew();
    void fail(const QString &reason);

    const Record &m_record;
    const FileKind m_kind;
    std::unique_ptr<FileFormat> m_format;
    RecordFile m_file;
    QTimer m_flushTimer;
    QByteArray m_unwritten;             // what the file did not take yet
    std::array<quint64, 2> m_written{}; // last sequence written, by category
    bool m_failed = false;
    bool m_finished = false;
};

// The format that writes a file of the given kind.
std::unique_ptr<FileFormat> createFileFormat(FileKind kind, const Record &record);

// Writes the whole record, as it holds it now, to a file of the given kind.
// Why it could not, or empty.
QString writeWholeRecord(const Record &record, FileKind kind, QIODevice &device);

} // namespace Sernix::Record
