// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "softwareflow.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <termios.h>
#endif

namespace MSCommLib {

namespace {
constexpr char XonCharacter = 0x11;  // ^Q
constexpr char XoffCharacter = 0x13; // ^S
} // namespace

#ifdef Q_OS_WIN

QString addSoftwareFlowControl(QSerialPort &port)
{
    DCB dcb;
    ::ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(port.handle(), &dcb))
        return QStringLiteral("GetCommState failed, system error %1").arg(::GetLastError());
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    dcb.XonChar = XonCharacter;
    dcb.XoffChar = XoffCharacter;
    if (!::SetCommState(port.handle(), &dcb))
        return QStringLiteral("SetCommState failed, system error %1").arg(::GetLastError());
    return {};
}

#else

QString addSoftwareFlowControl(QSerialPort &port)
{
    termios tio;
    if (::tcgetattr(port.handle(), &tio) == -1)
        return QString::fromLocal8Bit(std::strerror(errno));
    tio.c_iflag |= IXON | IXOFF;
    // Any other character resuming output would let line noise defeat XOFF.
    tio.c_iflag &= ~IXANY;
    tio.c_cc[VSTART] = XonCharacter;
    tio.c_cc[VSTOP] = XoffCharacter;
    if (::tcsetattr(port.handle(), TCSANOW, &tio) == -1)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

#endif

} // namespace MSCommLib
