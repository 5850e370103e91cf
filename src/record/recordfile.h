// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace Sernix::Record {

// Where a recording's text goes. A regular file is appended to or made new;
// a stream (a character device such as /dev/null, or a FIFO) is written as
// it comes and never sought in. A FIFO is opened without waiting for a
// reader and written without blocking, so a reader that comes late, lags or
// goes away never holds the program up, and one that went away makes a
// write fail rather than end the program.
class RecordFile
{
public:
    enum class Target { Missing, File, Device, Fifo };
    // What a path names now, links followed; a dangling link is a File.
    static Target targetOf(const QString &path);

    RecordFile() = default;
    ~RecordFile();
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    // A regular file: appended to, or created and refused when it exists.
    // Why it cannot be opened, or empty.
    QString open(const QString &path, bool append);
    // A FIFO without a reader yet is not open (isOpen()); this tries again.
    // Why it cannot be opened, or empty.
    QString openOnceRead();
    bool isOpen() const;
    bool waitsForReader() const { return m_waitsForReader; }
    QString path() const { return m_path; }

    // Writes what can go now: the bytes taken, fewer than all only into a
    // FIFO whose reader lags; -1 when the write failed (errorString()).
    qint64 write(QByteArrayView bytes);
    QString errorString() const { return m_error; }
    void close();

private:
    QString m_path;
    QFile m_file;      // all but a FIFO
    int m_fifo = -1;   // a FIFO's descriptor, once a reader came
    bool m_waitsForReader = false;
    QString m_error;
};

} // namespace Sernix::Record
