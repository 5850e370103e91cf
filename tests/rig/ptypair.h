// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QString>

#include <sys/types.h>
#include <termios.h>

namespace Sernix::Rig {

// A pseudo-terminal standing in for a serial port: the program under test
// opens slavePath(), the test plays the far end through the master. The
// slave is put in raw mode at once (a fresh pty echoes and turns CR into LF)
// and kept open by the pair, so that the line keeps its settings between
// openings and the far end can write before anyone has opened the port.
class PtyPair
{
public:
    PtyPair(); // throws std::runtime_error
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    QString slavePath() const { return m_slavePath; }
    dev_t slaveDevice() const { return m_slaveDevice; }
    int masterFd() const { return m_master; }
    bool isPlugged() const { return m_master != -1; }

    // Non-blocking: returns how many bytes the pty took.
    qsizetype writeToMaster(QByteArrayView bytes);
    // Non-blocking: everything waiting at the master now.
    QByteArray readFromMaster();
    // Reads until count bytes came or the deadline passed, processing events
    // meanwhile so that the program under test can send.
    QByteArray readFromMaster(qsizetype count, QDeadlineTimer deadline);

    // The slave's settings as the line discipline holds them. The pty driver
    // forces 8 data bits and no parity; PtyRig::requestedTermios has what was asked.
    termios slaveTermios() const;
    // The slave's output speed in bits per second, custom speeds included.
    qint64 slaveBaudRate() const;

    // Closes the master: to the program this is a device pulled out.
    void unplug();

private:
    int m_master = -1;
    int m_slave = -1;
    dev_t m_slaveDevice = 0;
    QString m_slavePath;
};

} // namespace Sernix::Rig
