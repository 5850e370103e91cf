// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "recordfile.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Sernix::Record {

namespace {

#ifdef Q_OS_UNIX
// A write into a pipe whose reader is gone fails with EPIPE and raises
// SIGPIPE, which would end the program: the signal is held back for the
// write and the one it raised taken, so that only the error remains.
qint64 writeToPipe(int fd, QByteArrayView bytes)
{
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    ssize_t written = 0;
    do {
        written = ::write(fd, bytes.data(), size_t(bytes.size()));
    } while (written < 0 && errno == EINTR);
    const int error = errno;
    if (written < 0 && error == EPIPE && !sigismember(&previous, SIGPIPE)) {
        const timespec noWait{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (written < 0 && (error == EAGAIN || error == EWOULDBLOCK))
        return 0; // the pipe is full: the rest waits for the reader
    errno = error;
    return written;
}
#endif

} // namespace

RecordFile::Target RecordFile::targetOf(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0) {
        if (S_ISFIFO(status.st_mode))
            return Target::Fifo;
        if (S_ISCHR(status.st_mode))
            return Target::Device;
    }
#endif
    const QFileInfo info(path);
    return info.exists() || info.isSymLink() ? Target::File : Target::Missing;
}

RecordFile::~RecordFile()
{
    close();
}

QString RecordFile::open(const QString &path, bool append)
{
    close();
    m_path = path;
    m_file.setFileName(path);
    QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    switch (targetOf(path)) {
    case Target::Fifo:
        // Opened now or once a reader comes.
        m_waitsForReader = true;
        return openOnceRead();
    case Target::Device:
        break;
    default:
        mode |= append ? QIODevice::Append : QIODevice::NewOnly;
        break;
    }
    if (m_file.open(mode))
        return {};
    return QStringLiteral("cannot open %1: %2").arg(path, m_file.errorString());
}

QString RecordFile::openOnceRead()
{
    if (!m_waitsForReader)
        return {};
#ifdef Q_OS_UNIX
    m_fifo = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fifo < 0 && errno == ENXIO) // no reader yet
        return {};
    m_waitsForReader = false;
    if (m_fifo >= 0)
        return {};
    return QStringLiteral("cannot open %1: %2").arg(m_path, qt_error_string(errno));
#else
    m_waitsForReader = false;
    return QStringLiteral("cannot open %1: no FIFOs here").arg(m_path);
#endif
}

bool RecordFile::isOpen() const
{
    return m_fifo >= 0 || m_file.isOpen();
}

qint64 RecordFile::write(QByteArrayView bytes)
{
#ifdef Q_OS_UNIX
    if (m_fifo >= 0) {
        const qint64 written = writeToPipe(m_fifo, bytes);
        if (written < 0)
            m_error = errno == EPIPE ? QStringLiteral("its reader went away") : qt_error_string(errno);
        return written;
    }
#endif
    const qint64 written = m_file.write(bytes.data(), bytes.size());
    if (written != bytes.size()) {
        m_error = m_file.errorString();
        return -1;
    }
    return written;
}

void RecordFile::close()
{
#ifdef Q_OS_UNIX
    if (m_fifo >= 0)
        ::close(m_fifo);
#endif
    m_fifo = -1;
    m_waitsForReader = false;
    m_file.close();
}

} // namespace Sernix::Record
