// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "namelookup.h"

#ifdef Q_OS_LINUX
#include <QSet>
#else
#include <QCoreApplication>
#include <QHostInfo>
#include <QThread>
#endif

namespace MSCommLib {

NameLookup::NameLookup(const QString &host)
{
    if (const QHostAddress literal(host); !literal.isNull()) {
        m_addresses = {literal};
        m_finished = true;
        return;
    }
#ifdef Q_OS_LINUX
    m_process.setProgram(QStringLiteral("getent"));
    m_process.setArguments({QStringLiteral("ahosts"), QStringLiteral("--"), host});
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QIODevice::ReadOnly);
#else
    m_lookupId = QHostInfo::lookupHost(host, &m_receiver, [this](const QHostInfo &info) {
        m_addresses = info.addresses();
        if (info.error() != QHostInfo::NoError || m_addresses.isEmpty())
            m_failure = QStringLiteral("name not resolved (%1)").arg(info.errorString());
        m_finished = true;
    });
#endif
}

NameLookup::~NameLookup()
{
#ifdef Q_OS_LINUX
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(); // a killed process ends at once: this only reaps it
    }
#else
    if (!m_finished)
        QHostInfo::abortHostLookup(m_lookupId);
#endif
}

bool NameLookup::isFinished()
{
    return waitForFinished(QDeadlineTimer(0));
}

bool NameLookup::waitForFinished(QDeadlineTimer deadline)
{
#ifdef Q_OS_LINUX
    if (!m_finished
        && (m_process.state() == QProcess::NotRunning || m_process.waitForFinished(int(deadline.remainingTime()))))
        conclude();
#else
    // The answer comes as a queued call, to be delivered here without
    // running the rest of the event loop.
    while (!m_finished) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        if (m_finished || deadline.hasExpired())
            break;
        QThread::msleep(5);
    }
#endif
    if (!m_finished && deadline.hasExpired() && m_failure.isEmpty())
        m_failure = QStringLiteral("no answer from the name service in time");
    return m_finished;
}

void NameLookup::conclude()
{
#ifdef Q_OS_LINUX
    m_finished = true;
    if (m_process.error() == QProcess::FailedToStart) {
        m_failure = QStringLiteral("cannot run getent to look the name up (%1)").arg(m_process.errorString());
        return;
    }
    // Lines of "ADDRESS  STREAM|DGRAM|RAW  [NAME]": each address once, in order.
    QSet<QHostAddress> seen;
    const QList<QByteArray> lines = m_process.readAllStandardOutput().split('\n');
    for (const QByteArray &line : lines) {
        const QHostAddress address(QString::fromLatin1(line.simplified().split(' ').constFirst()));
        if (!address.isNull() && !seen.contains(address)) {
            seen.insert(address);
            m_addresses << address;
        }
    }
    if (m_addresses.isEmpty())
        m_failure = QStringLiteral("name not resolved");
#endif
}

} // namespace MSCommLib
