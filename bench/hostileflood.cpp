// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// What a hostile RFC 2217 server costs the program: one channel on and bound
// to a server on 127.0.0.1 that agrees on everything and then floods, the
// window's own timer running. The server is a process of its own, so the CPU
// time counted is the program's alone. A program that reads on while its
// received data waits at the cap keeps a core busy for as long as the server
// sends; one that stops reading lets TCP hold the server back.

#include "benchmarks.h"
#include "benchwindow.h"
#include "options.h"

#include <QProcess>
#include <QTimer>

#include <stdexcept>

namespace Sernix::Bench {

namespace {

// bench/hostileserver.py in a process of its own, turning hostile in one way.
class HostileServer
{
public:
    struct Totals
    {
        qint64 connections = 0;
        qint64 sent = 0; // bytes
    };

    explicit HostileServer(const QString &mode)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(SERNIX_HOSTILE_SERVER), mode});
        bool isNumber = false;
        m_port = readLine().toUShort(&isNumber);
        if (!isNumber)
            throw std::runtime_error("the hostile server did not say its port");
    }
    ~HostileServer()
    {
        // It leaves once its input closes.
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(2000))
            m_process.kill();
        m_process.waitForFinished();
    }
    HostileServer(const HostileServer &) = delete;
    HostileServer &operator=(const HostileServer &) = delete;

    QString address() const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_port); }

    // What it has done so far: "connections N sent N".
    Totals totals()
    {
        m_process.write("\n");
        const QList<QByteArray> words = readLine().split(' ');
        if (words.size() != 4)
            throw std::runtime_error("the hostile server did not say its totals");
        return {words.at(1).toLongLong(), words.at(3).toLongLong()};
    }

private:
    QByteArray readLine()
    {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(5000))
                throw std::runtime_error("no answer from the hostile server: " + m_process.errorString().toStdString());
        }
        return m_process.readLine().trimmed();
    }

    QProcess m_process;
    quint16 m_port = 0;
};

struct Flood
{
    const char *mode; // as the server takes it
    const char *label;
};

constexpr Flood Floods[] = {
    {"data", "data flood"},
    {"subnegotiation", "endless subnegotiation"},
    {"commands", "Telnet command flood"},
};

void measure(Report &report, const Flood &flood, qint64 seconds)
{
    const QString label = QString::fromLatin1(flood.label);
    HostileServer server(QString::fromLatin1(flood.mode));
    BenchWindow window(server.address());
    if (!report.check(label + QStringLiteral(": port opened"), window.switchOn()))
        return;
    int ticks = 0;
    QObject::connect(&window.form().Timer1, &QTimer::timeout, [&] { ++ticks; });
    if (!report.check(label + QStringLiteral(": poll timer ticking"),
                      processEventsUntil([&] { return ticks >= 3; }, std::chrono::seconds(5))))
        return;

    ticks = 0;
    const HostileServer::Totals before = server.totals();
    const qint64 cpuStart = processCpuTimeNs();
    const qint64 wallStart = monotonicNs();
    runEventLoopFor(std::chrono::seconds(seconds));
    const double wallNs = double(monotonicNs() - wallStart);
    const double cpuNs = double(processCpuTimeNs() - cpuStart);
    const HostileServer::Totals after = server.totals();

    // A window kept busy by the flood misses its ticks.
    const double expectedTicks = wallNs / 1e6 / window.form().Timer1.interval();
    report.check(label + QStringLiteral(": poll timer kept its cadence"), ticks >= expectedTicks * 0.9,
                 QStringLiteral("%1 ticks in %2 s").arg(ticks).arg(wallNs / 1e9, 0, 'f', 1));
    report.add(label + QStringLiteral(": CPU"), 100 * cpuNs / wallNs, QStringLiteral("% of a core"), 2, 5);
    report.add(label + QStringLiteral(": server sent"), double(after.sent - before.sent) / 1e6, QStringLiteral("MB"),
               2);
    report.add(label + QStringLiteral(": connections"), double(after.connections - before.connections),
               QStringLiteral("new"), 0);
}

} // namespace

void hostileFlood(Report &report, const QStringList &arguments)
{
    const qint64 seconds = option(arguments, QStringLiteral("--seconds"), 30);
    log(QStringLiteral("hostile flood: one remote channel, %1 s against each flood").arg(seconds));
    for (const Flood &flood : Floods)
        measure(report, flood, seconds);
}

} // namespace Sernix::Bench
