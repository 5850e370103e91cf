// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QString>

#ifdef Q_OS_LINUX
#include <QProcess>
#else
#include <QObject>
#endif

namespace MSCommLib {

// The addresses of a host name, looked up where a resolver that hangs cannot
// hold anything of ours: on Linux in a child process ("getent ahosts") that
// is killed when the lookup is dropped, so no thread of ours ever waits in
// getaddrinfo, and closing a port or the program never waits for the name
// service. A numeric address needs no lookup at all. Dropping the lookup at
// any time is safe: nothing of it runs afterwards.
class NameLookup
{
public:
    explicit NameLookup(const QString &host);
    ~NameLookup();
    NameLookup(const NameLookup &) = delete;
    NameLookup &operator=(const NameLookup &) = delete;

    // Never blocks.
    bool isFinished();
    // Blocks until the answer or the deadline, whichever is first.
    bool waitForFinished(QDeadlineTimer deadline);

    // Once finished: the addresses, or why there are none.
    const QList<QHostAddress> &addresses() const { return m_addresses; }
    const QString &failure() const { return m_failure; }

private:
    void conclude();

    bool m_finished = false;
    QList<QHostAddress> m_addresses;
    QString m_failure;
#ifdef Q_OS_LINUX
    QProcess m_process;
#else
    QObject m_receiver; // answers for a dropped lookup go nowhere
    int m_lookupId = -1;
#endif
};

} // namespace MSCommLib
