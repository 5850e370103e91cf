// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "ptypair.h"

#include "kerneltermios2.h"
#include "ptyrig.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Sernix::Rig {

namespace {

[[noreturn]] void throwSystemError(const char *what)
{
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

} // namespace

PtyPair::PtyPair()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master == -1)
        throwSystemError("posix_openpt");
    char name[128];
    if (::grantpt(m_master) == -1 || ::unlockpt(m_master) == -1 || ::ptsname_r(m_master, name, sizeof name) != 0) {
        ::close(m_master);
        throwSystemError("preparing pty");
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    struct stat status;
    termios raw;
    if (m_slave == -1 || ::fstat(m_slave, &status) == -1 || ::tcgetattr(m_slave, &raw) == -1) {
        const int error = errno;
        ::close(m_master);
        if (m_slave != -1)
            ::close(m_slave);
        errno = error;
        throwSystemError("opening pty slave");
    }
    m_slaveDevice = status.st_rdev;
    PtyRig::forgetDevice(m_slaveDevice);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
}

PtyPair::~PtyPair()
{
    unplug();
    ::close(m_slave);
    PtyRig::forgetDevice(m_slaveDevice);
}

qsizetype PtyPair::writeToMaster(QByteArrayView bytes)
{
    const ssize_t written = ::write(m_master, bytes.data(), size_t(bytes.size()));
    return written < 0 ? 0 : written;
}

QByteArray PtyPair::readFromMaster()
{
    QByteArray received;
    char chunk[4096];
    ssize_t count;
    while ((count = ::read(m_master, chunk, sizeof chunk)) > 0)
        received.append(chunk, count);
    return received;
}

QByteArray PtyPair::readFromMaster(qsizetype count, QDeadlineTimer deadline)
{
    QByteArray received = readFromMaster();
    while (received.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        received += readFromMaster();
    }
    return received;
}

termios PtyPair::slaveTermios() const
{
    // On a pty master, TCGETS answers with the slave's settings.
    termios tio{};
    ::tcgetattr(m_master, &tio);
    return tio;
}

qint64 PtyPair::slaveBaudRate() const
{
    KernelTermios2 tio{};
    if (::ioctl(m_master, getTermios2Request, &tio) == -1)
        return -1;
    return tio.c_ospeed;
}

void PtyPair::unplug()
{
    if (m_master != -1) {
        ::close(m_master);
        m_master = -1;
    }
}

} // namespace Sernix::Rig
