// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// Remote ports against two real RFC 2217 servers on 127.0.0.1, ser2net and
// pyserial's, that share a pseudo-terminal (with the pty rig preloaded, so
// that it has modem lines wired back and tells what reached the port), and
// against a scripted server for what they will not do on demand: refuse,
// alter, garble and flood.

#include "ptypair.h"
#include "ptyrig.h"
#include "stderrcapture.h"
#include "windowtesting.h"

#include "controls/enablebox.h"
#include "controls/fittedlabel.h"
#include "controls/linebutton.h"
#include "controls/pintextbox.h"
#include "serial/remoteport.h"
#include "serial/steadyclock.h"
#include "serial/telnetcodec.h"

#include <QGroupBox>
#include <QProcess>
#include <QRegularExpression>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <QtTest>

using namespace Sernix::Controls;
using namespace Sernix::Rig;
using namespace Sernix::Window;
using namespace MSCommLib;

namespace {

// ser2net looks at its lines about once a second.
constexpr int PatienceMs = 8000;

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString addressOf(quint16 port)
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(port);
}

enum class ServerKind { Ser2net, Pyserial };

// An RFC 2217 server sharing a pty on 127.0.0.1: ser2net, or pyserial's
// PortManager. The rig preloaded into it wires the modem lines back and
// reports what the server asked of the pty. A restart keeps the port.
class RemoteServer
{
public:
    RemoteServer(ServerKind kind, const QString &device)
        : m_kind(kind)
        , m_device(device)
    {
        m_server.setProcessChannelMode(kind == ServerKind::Ser2net ? QProcess::SeparateChannels
                                                                   : QProcess::ForwardedErrorChannel);
    }
    ~RemoteServer() { stop(); }

    // Why this kind of server cannot run here, if it cannot.
    static QString missing(ServerKind kind)
    {
        if (kind == ServerKind::Ser2net)
            return QStandardPaths::findExecutable("ser2net").isEmpty() ? "ser2net is not installed" : "";
        return QProcess::execute("/usr/bin/python3", {"-c", "import serial.rfc2217"}) != 0
            ? "/usr/bin/python3 has no pyserial (python3-serial)"
            : "";
    }

    QString address() const { return addressOf(m_port); }

    // The far port's format, flow control and raised output lines.
    QString farEnd() const
    {
        const std::optional<PtyRig::Report> report = PtyRig::readReport(m_directory.filePath("report"));
        if (!report)
            return QStringLiteral("nothing asked");
        const tcflag_t c = report->cflag;
        const char *const parities = (c & CMSPAR) ? "sm" : "eo";
        QString text = QStringLiteral("%1,%2,%3")
                           .arg(QChar((c & PARENB) ? parities[(c & PARODD) ? 1 : 0] : 'n'))
                           .arg(5 + (c & CSIZE) / CS6)
                           .arg((c & CSTOPB) ? 2 : 1);
        const std::pair<bool, const char *> flags[] = {{report->iflag & IXON, " IXON"},
                                                       {report->iflag & IXOFF, " IXOFF"},
                                                       {c & CRTSCTS, " CRTSCTS"},
                                                       {report->outputs.dtr, " DTR"},
                                                       {report->outputs.rts, " RTS"}};
        for (const auto &[on, name] : flags)
            text += on ? name : "";
        return text;
    }

    // Started and listening, or false.
    bool start()
    {
        QFile::remove(m_directory.filePath("report")); // what the last run asked is old news
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", SERNIX_PTYRIG_PRELOAD);
        environment.insert("SERNIX_RIG_REPORT", m_directory.filePath("report"));
        m_server.setProcessEnvironment(environment);
        if (m_kind == ServerKind::Pyserial) {
            // It says its port once it listens.
            m_server.start("/usr/bin/python3", {SERNIX_RFC2217_SERVER, m_device, QString::number(m_port)});
            m_server.waitForReadyRead(PatienceMs);
            m_port = m_server.readLine().trimmed().toUShort();
            return m_port != 0;
        }
        // ser2net cannot say which port it got: a free one is found first,
        // and another when something took it meanwhile (a restart keeps it).
        const bool choosing = m_port == 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            m_port = choosing ? freePort() : m_port;
            if (startSer2net())
                return true;
            stop();
            if (!choosing || !m_lostRace)
                return false;
        }
        return false;
    }
    void stop()
    {
        m_server.kill();
        m_server.waitForFinished();
    }

private:
    bool startSer2net()
    {
        QFile config(m_directory.filePath("ser2net.yaml"));
        if (!config.open(QIODevice::WriteOnly))
            qFatal("cannot write the ser2net configuration");
        config.write(QStringLiteral("connection: &sernix\n"
                                    "  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                                    "  connector: serialdev,%2,9600n81,local\n")
                         .arg(m_port)
                         .arg(m_device)
                         .toUtf8());
        config.close();
        m_server.start("ser2net", {"-n", "-d", "-c", config.fileName()});
        m_server.waitForStarted();
        const QDeadlineTimer deadline(PatienceMs);
        QByteArray said;
        // It says nothing when it listens: knock until it greets, as Telnet servers do.
        while (m_server.state() == QProcess::Running && !deadline.hasExpired()) {
            QTcpSocket knock;
            knock.connectToHost(QHostAddress::LocalHost, m_port);
            const bool greeted = knock.waitForConnected(100) && knock.waitForReadyRead(100);
            said += m_server.readAllStandardError();
            m_lostRace = said.contains("Address already in use");
            if (m_lostRace || greeted)
                return !m_lostRace;
            QTest::qWait(20);
        }
        return false;
    }

    ServerKind m_kind;
    QString m_device;
    QTemporaryDir m_directory;
    quint16 m_port = 0;
    bool m_lostRace = false; // another took the port before ser2net could
    QProcess m_server;
};

// The DCD, DSR and CTS counts in a connector panel's tooltip.
QList<int> modemCounts(const QString &toolTip)
{
    static const QRegularExpression counts(QStringLiteral("DCD (\\d+), DSR (\\d+), CTS (\\d+)"));
    const QRegularExpressionMatch match = counts.match(toolTip);
    return {match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()};
}

// A server that does what the test tells it to. It has a thread of its own:
// the serial control reads only its own connection while it opens or waits
// for a reply.
class ScriptedServer : public QThread
{
public:
    struct Script
    {
        bool offersComPort = true;
        // The value a reply carries; nullopt: no reply at all.
        std::function<std::optional<quint32>(Telnet::ComPortCommand, quint32)> answer = [](auto, quint32 value) {
            return std::optional(value);
        };
        QByteArray afterAgreeing; // sent once COM-PORT is agreed on
        bool hangsUp = false;     // after that, as ser2net does when its device fails
        bool floods = false;      // sends afterAgreeing again and again, as fast as it goes
        bool flaps = false;       // hangs up on serial data, and later connections on a setting
        std::function<bool()> holdsRepliesUntil = nullptr; // replies wait until it says true
    };

    explicit ScriptedServer(Script script)
        : m_script(std::move(script))
    {
        start();
        m_listening.acquire();
    }
    ~ScriptedServer() override
    {
        quit();
        wait();
    }

    QString address() const { return addressOf(m_port); }
    int connections() const { return m_connections; }
    qint64 sent() const { return m_sent; }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        m_port = server.serverPort();
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket *client = server.nextPendingConnection();
            const int number = ++m_connections;
            auto decoder = std::make_shared<Telnet::Decoder>(); // each connection starts a stream afresh
            QObject::connect(client, &QTcpSocket::bytesWritten, client, [this, client](qint64 written) {
                m_sent += written;
                if (m_script.floods && client->bytesToWrite() < m_script.afterAgreeing.size())
                    client->write(m_script.afterAgreeing);
            });
            QObject::connect(client, &QTcpSocket::readyRead, client, [this, client, number, decoder] {
                QByteArray data;
                for (const Telnet::Event &event : decoder->feed(client->readAll(), data)) {
                    const bool setting = event.payload.startsWith(char(Telnet::ComPortCommand::SetBaudRate));
                    if (m_script.flaps && setting && number > 1)
                        return client->disconnectFromHost();
                    respond(*client, event);
                }
                if (m_script.flaps && !data.isEmpty())
                    client->disconnectFromHost();
            });
        });
        m_listening.release();
        exec();
    }

private:
    void respond(QTcpSocket &client, const Telnet::Event &event)
    {
        using namespace Telnet;
        if (event.command == Command::Will && event.option == Option::ComPort) {
            client.write(negotiation(m_script.offersComPort ? Command::Do : Command::Dont, Option::ComPort));
            if (m_script.offersComPort)
                client.write(m_script.afterAgreeing);
            if (m_script.hangsUp)
                client.disconnectFromHost();
        } else if (event.command == Command::Sb && event.option == Option::ComPort && !event.payload.isEmpty()) {
            const auto command = ComPortCommand(event.payload.front());
            const QByteArray value = event.payload.mid(1);
            const quint32 number = value.size() == 4 ? qFromBigEndian<quint32>(value.data()) : quint8(value.front());
            const std::optional<quint32> answer = m_script.answer(command, number);
            if (!answer)
                return;
            QByteArray reply(value.size(), '\0');
            if (value.size() == 4)
                qToBigEndian(*answer, reply.data());
            else
                reply[0] = char(*answer);
            const QByteArray wire = comPortCommand(ComPortCommand(quint8(command) + ServerReplyOffset), reply);
            if (!m_script.holdsRepliesUntil)
                return void(client.write(wire));
            auto *poll = new QTimer(&client);
            QObject::connect(poll, &QTimer::timeout, &client, [this, &client, poll, wire] {
                if (m_script.holdsRepliesUntil())
                    client.write(wire), delete poll;
            });
            poll->start(5);
        }
    }

    Script m_script;
    QSemaphore m_listening;
    quint16 m_port = 0;
    std::atomic<int> m_connections = 0;
    std::atomic<qint64> m_sent = 0;
};

} // namespace

class RemotePortTest : public QObject, Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { finish(); }

    void remoteLineThroughTheWindow_data();
    void remoteLineThroughTheWindow();
    void refusedOpening_data();
    void refusedOpening();
    void settingsWaitForTheServersWord();
    void garbageAndFloodStayBounded();
    void floodWaitsForTheNextLook();
    void flappingServerIsCalledLessOften();
    void closingWhileALookupHangs();
    void onePickWaitsOnceForAllChannels();
};

void RemotePortTest::remoteLineThroughTheWindow_data()
{
    QTest::addColumn<ServerKind>("kind");
    QTest::newRow("ser2net") << ServerKind::Ser2net;
    QTest::newRow("pyserial") << ServerKind::Pyserial;
}

void RemotePortTest::remoteLineThroughTheWindow()
{
    QFETCH(ServerKind, kind);
    if (const QString missing = RemoteServer::missing(kind); !missing.isEmpty())
        QSKIP(qPrintable(missing + " (scripts/test installs it)"));
    PtyPair pty;
    RemoteServer server(kind, pty.slavePath());
    QVERIFY(server.start());
    Form1 &form = open({server.address()});
    const ChannelControls &channel = form.channel(1);
    click(channel.enableBox);
    QVERIFY(form.MSComm1.PortOpen());
    QCOMPARE(channel.deviceState->fullText(), QStringLiteral("connecting")); // said before the wait
    const auto tick = [&] { form.Timer1_Timer(); };

    QByteArray everyByte(256, '\0');
    std::iota(everyByte.begin(), everyByte.end(), char(0));
    channel.pin(Pin::Td)->setText(QString::fromLatin1(everyByte));
    tick();
    channel.pin(Pin::Td)->setText(QString());
    QCOMPARE(pty.readFromMaster(everyByte.size(), QDeadlineTimer(PatienceMs)), everyByte);
    pty.writeToMaster(everyByte);
    QString received;
    QTRY_COMPARE_WITH_TIMEOUT((tick(), received += channel.pin(Pin::Rd)->Text()).toLatin1(), everyByte, PatienceMs);
    QCOMPARE(channel.deviceState->fullText(), QString());

    // What reaches the far port, not only what the server confirms: a pty
    // drops parity and data size, but the rig in the server reports them.
    // Mark and space come last: ser2net keeps CMSPAR once it was set.
    choose(channel.list(SettingRole::Speed), QStringLiteral("19200"));
    choose(channel.list(SettingRole::StopBits), QStringLiteral("2"));
    for (const QString format : {"n,7", "o,8", "e,7", "m,8", "s,7"}) {
        choose(channel.list(SettingRole::Parity), format.left(1));
        choose(channel.list(SettingRole::DataBits), format.right(1));
        QCOMPARE(server.farEnd(), format + ",2");
    }
    QCOMPARE(pty.slaveBaudRate(), 19200);
    tick();
    QCOMPARE(channel.captionLabel->text(), QStringLiteral("19200,s,7,2  comNone"));
    // Only the mode chosen is in force, though a server may merge them.
    for (const auto &[handshaking, far] :
         {std::pair{"1", " IXON IXOFF"}, {"2", " CRTSCTS"}, {"0", ""}, {"1", " IXON IXOFF"}}) {
        choose(channel.list(SettingRole::Handshaking), handshaking);
        QCOMPARE(server.farEnd(), QStringLiteral("s,7,2") + far);
    }
    QCOMPARE(messages.take(), QStringList());
    choose(channel.list(SettingRole::Handshaking), QStringLiteral("3")); // no RFC 2217 value
    QCOMPARE(messages.take(), QStringList{QStringLiteral("Unacceptable")});

    const auto inputs = [&] {
        tick();
        return QStringList{channel.pin(Pin::Dcd)->Text(), channel.pin(Pin::Dsr)->Text(), channel.pin(Pin::Cts)->Text()};
    };
    click(channel.dtrButton);
    click(channel.rtsButton);
    QTRY_COMPARE_WITH_TIMEOUT(inputs(), QStringList({"True", "True", "True"}), PatienceMs);
    click(channel.dtrButton);
    QTRY_COMPARE_WITH_TIMEOUT(inputs(), QStringList({"False", "False", "True"}), PatienceMs);
    click(channel.rtsButton);
    QTRY_COMPARE_WITH_TIMEOUT(inputs(), QStringList({"False", "False", "False"}), PatienceMs);
    const QList<int> countsBefore = modemCounts(channel.connectorPanel->toolTip());
    QVERIFY2(std::ranges::min(countsBefore) >= 1, qPrintable(channel.connectorPanel->toolTip()));

    // The server goes and comes back, opening the port afresh: the channel
    // waits, and puts back what it had; the line-event counts carry on.
    server.stop();
    QTRY_COMPARE_WITH_TIMEOUT((tick(), channel.deviceState->fullText()), QStringLiteral("lost, reconnecting"),
                              PatienceMs);
    QCOMPARE(inputs(), QStringList({"False", "False", "False"}));
    QVERIFY(server.start());
    QTRY_COMPARE_WITH_TIMEOUT((tick(), channel.deviceState->fullText()), QString(), PatienceMs);
    QTRY_COMPARE_WITH_TIMEOUT(server.farEnd(), QStringLiteral("s,7,2 IXON IXOFF"), PatienceMs);
    QCOMPARE(pty.slaveBaudRate(), 19200);
    click(channel.rtsButton);
    QTRY_COMPARE_WITH_TIMEOUT(inputs(), QStringList({"False", "False", "True"}), PatienceMs);
    const QList<int> countsAfter = modemCounts(channel.connectorPanel->toolTip());
    for (qsizetype line = 0; line < countsBefore.size(); ++line)
        QVERIFY2(countsAfter[line] >= countsBefore[line], qPrintable(channel.connectorPanel->toolTip()));
    choose(channel.list(SettingRole::Handshaking), QStringLiteral("0"));
    QCOMPARE(server.farEnd(), QStringLiteral("s,7,2 RTS"));
    pty.writeToMaster("back");
    received.clear();
    QTRY_COMPARE_WITH_TIMEOUT((tick(), received += channel.pin(Pin::Rd)->Text()), QStringLiteral("back"), PatienceMs);
    QCOMPARE(channel.enableBox->Value(), EnableBox::Ticked);
    QCOMPARE(messages.take(), QStringList());
}

void RemotePortTest::refusedOpening_data()
{
    QTest::addColumn<std::shared_ptr<ScriptedServer>>("server");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("reason");
    ScriptedServer::Script noComPort;
    noComPort.offersComPort = false;
    ScriptedServer::Script otherSpeed;
    otherSpeed.answer = [](Telnet::ComPortCommand command, quint32 value) {
        return std::optional(command == Telnet::ComPortCommand::SetBaudRate ? 1200 : value);
    };
    ScriptedServer::Script hangsUp;
    hangsUp.hangsUp = true;
    const auto server = [](ScriptedServer::Script script) { return std::make_shared<ScriptedServer>(script); };
    QTest::newRow("nobody listening") << std::shared_ptr<ScriptedServer>() << addressOf(freePort())
                                      << QStringLiteral("refused");
    QTest::newRow("not RFC 2217") << server(noComPort) << QString() << QStringLiteral("no COM-PORT-OPTION");
    QTest::newRow("other speed") << server(otherSpeed) << QString() << QStringLiteral("refused settings 9600,n,8,1");
    QTest::newRow("agrees, then hangs up") << server(hangsUp) << QString() << QStringLiteral("closed the connection");
    ScriptedServer::Script endlessSub;
    endlessSub.afterAgreeing = QByteArray::fromHex("fffa2c") + QByteArray(Telnet::Decoder::MaxPayloadSize + 1, 'x');
    QTest::newRow("endless subnegotiation") << server(endlessSub) << QString() << QStringLiteral("longer than 256");
    ScriptedServer::Script commandFlood;
    commandFlood.afterAgreeing = QByteArray::fromHex("fff1").repeated(ComPortSession::MaxControlBytesPerLook);
    QTest::newRow("Telnet commands only") << server(commandFlood) << QString() << QStringLiteral("64 KiB of Telnet");
    QTest::newRow("no such host") << std::shared_ptr<ScriptedServer>() << QStringLiteral("rfc2217://sernix.invalid:7")
                                  << QStringLiteral("cannot open");
    QTest::newRow("no port") << std::shared_ptr<ScriptedServer>() << QStringLiteral("rfc2217://127.0.0.1")
                             << QStringLiteral("rfc2217://HOST:PORT");
}

void RemotePortTest::refusedOpening()
{
    QFETCH(std::shared_ptr<ScriptedServer>, server);
    QFETCH(QString, address);
    QFETCH(QString, reason);
    MSComm port(1, server ? server->address() : address);
    const StderrCapture diagnostics;
    QVERIFY_THROWS_EXCEPTION(CommError, port.setPortOpen(true));
    QVERIFY2(diagnostics.text().contains(reason.toUtf8()), diagnostics.text().constData());
    QVERIFY(!port.PortOpen());
}

void RemotePortTest::settingsWaitForTheServersWord()
{
    // Confirms what the port opens with and nothing after; alters a speed.
    ScriptedServer server({.offersComPort = true,
                           .answer = [](Telnet::ComPortCommand command, quint32 value) -> std::optional<quint32> {
                               if (command == Telnet::ComPortCommand::SetBaudRate)
                                   return value == 9600 || value == 1200 ? value : 300;
                               return value == 8 || value < 4 ? std::optional(value) : std::nullopt;
                           },
                           .afterAgreeing = {}});
    MSComm port(1, server.address());
    port.setPortOpen(true);
    QVERIFY_THROWS_EXCEPTION(CommError, port.setSettings(QStringLiteral("19200,n,8,1")));
    QCOMPARE(port.Settings(), QStringLiteral("9600,n,8,1"));
    const StderrCapture diagnostics;
    port.setSettings(QStringLiteral("1200,n,7,1")); // the data size goes unanswered
    QCOMPARE(port.Settings(), QStringLiteral("1200,n,7,1"));
    QVERIFY2(diagnostics.text().contains("did not confirm settings 1200,n,7,1"), diagnostics.text().constData());
}

void RemotePortTest::garbageAndFloodStayBounded()
{
    QByteArray hostile = QByteArray::fromHex("ff01fff1");              // IAC with no command, then a NOP
    hostile += QByteArray::fromHex("fffa2c6b") + QByteArray(200, 'x'); // a subnegotiation...
    hostile += QByteArray::fromHex("fff0") + "after";                  // ...until it ends
    hostile += QByteArray(3 * RemotePort::MaxBufferedInput, 'y');      // more than a port holds
    ScriptedServer server(
        {.offersComPort = true, .answer = ScriptedServer::Script().answer, .afterAgreeing = hostile, .hangsUp = false});
    MSComm port(1, server.address());
    const StderrCapture diagnostics;
    port.setPortOpen(true);

    QString start;
    qsizetype largestRead = 0;
    const auto readUntilSomethingDropped = [&] {
        const QString chunk = port.Input();
        largestRead = std::max(largestRead, chunk.size());
        if (start.size() < 5)
            start += chunk.left(5);
        return diagnostics.text().contains("dropped");
    };
    QTRY_VERIFY_WITH_TIMEOUT(readUntilSomethingDropped(), PatienceMs);
    QCOMPARE(start, QStringLiteral("after")); // nothing of the garbage, and back in step
    QVERIFY(largestRead <= RemotePort::MaxBufferedInput);
}

// Received data waiting at its cap holds the server back until it is taken.
void RemotePortTest::floodWaitsForTheNextLook()
{
    ScriptedServer server({.offersComPort = true,
                           .answer = ScriptedServer::Script().answer,
                           .afterAgreeing = QByteArray(RemoteConnection::ReadChunkSize, 'z'),
                           .floods = true});
    RemotePort port(server.address());
    port.open({}, Handshake::None);
    port.readAll(); // what came before the settings were confirmed
    QTRY_VERIFY_WITH_TIMEOUT(port.isReadingPaused(), PatienceMs);
    const qint64 sentWhilePaused = server.sent();
    const StderrCapture diagnostics;
    QVERIFY(port.readAll().size() > RemotePort::MaxBufferedInput - RemoteConnection::ReadChunkSize);
    QVERIFY(!port.isReadingPaused());
    QTRY_VERIFY_WITH_TIMEOUT(server.sent() > sentWhilePaused, PatienceMs);
    QTRY_VERIFY_WITH_TIMEOUT(port.isReadingPaused(), PatienceMs);
    port.readAll();
    QCOMPARE(diagnostics.text(), QByteArray()); // nothing dropped
}

// A server that keeps hanging up soon after each connection is called ever
// less often, and the channel is live again at once each time.
void RemotePortTest::flappingServerIsCalledLessOften()
{
    ScriptedServer::Script flapping;
    flapping.flaps = true;
    ScriptedServer server(flapping);
    SteadyClock clock(SteadyClock::Kind::Manual);
    RemotePort port(server.address(), clock);
    int losses = 0;
    port.setLossHandler([&](const QString &, DeviceState) { ++losses; });
    port.open({}, Handshake::None);
    port.write("x");
    QList<qint64> waits;
    for (int connection = 2; connection <= 8; ++connection) {
        QTRY_COMPARE_WITH_TIMEOUT(losses, connection - 1, PatienceMs);
        const qint64 lostAt = clock.nowMs();
        for (; server.connections() < connection; clock.advanceMs(100)) {
            port.lookForReturn({}, Handshake::None);
            QTest::qWait(5);
        }
        waits << clock.nowMs() - 100 - lostAt;
        bool live = false; // at once, before the server hangs up again
        QTRY_VERIFY_WITH_TIMEOUT(live = live || port.lookForReturn({}, Handshake::None).state == DeviceState::Present,
                                 PatienceMs);
    }
    const QList<qint64> spacing{300, 600, 1200, 2400, 4800, 5000, 5000};
    for (qsizetype at = 0; at < spacing.size(); ++at)
        QVERIFY2(waits[at] >= spacing[at] && waits[at] <= spacing[at] + 300, qPrintable(QString::number(waits[at])));
}

// The program, its server gone, looks the server's name up again, and the
// lookup hangs: closing the window must not wait for it.
void RemotePortTest::closingWhileALookupHangs()
{
    QTemporaryDir dir;
    auto server = std::make_unique<ScriptedServer>(ScriptedServer::Script());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LD_PRELOAD", SERNIX_PTYRIG_PRELOAD);
    // A sanitized build's runtime must otherwise come first of all libraries.
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    environment.insert("XDG_CONFIG_HOME", dir.path());
    environment.insert("SERNIX_RIG_HUNG_HOST", "sernix-hung.test");
    environment.insert("SERNIX_RIG_HANG_WHILE", dir.filePath("hang"));
    QProcess program;
    program.setProcessEnvironment(environment);
    const QString address = server->address().replace("127.0.0.1", "sernix-hung.test");
    program.start(SERNIX_PROGRAM_PATH,
                  {"--com1", address, "--open", "1", "--screenshot", dir.filePath("w.png"), "--after", "6000"});
    QTRY_VERIFY_WITH_TIMEOUT(server->connections() > 0, PatienceMs);
    QFile(dir.filePath("hang")).open(QIODevice::WriteOnly);
    server.reset();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("hang.hung")), PatienceMs);
    QVERIFY2(!QFile::exists(dir.filePath("w.png")), "the window closed before the lookup hung");
    // The lookup never ends by itself: a program that waited for it would not exit.
    QVERIFY(program.waitForFinished(PatienceMs));
    QVERIFY(QFile::exists(dir.filePath("w.png")));
}

// A pick sends to every remote channel before it waits for any: the first
// server answers only once the second has heard its request, which a
// channel-by-channel wait would leave for after the first one's timeout.
void RemotePortTest::onePickWaitsOnceForAllChannels()
{
    std::atomic<bool> secondAsked = false;
    ScriptedServer::Script second;
    second.answer = [&](Telnet::ComPortCommand command, quint32 value) {
        secondAsked = secondAsked || (command == Telnet::ComPortCommand::SetBaudRate && value == 19200);
        return std::optional(value);
    };
    ScriptedServer::Script first;
    first.holdsRepliesUntil = [&] { return secondAsked.load(); };
    ScriptedServer firstServer(first), secondServer(second);
    Form1 &form = open({firstServer.address(), secondServer.address()});
    secondAsked = true; // nothing held while the channels open, one at a time
    click(form.channel(1).enableBox);
    click(form.channel(2).enableBox);
    secondAsked = false;
    QComboBox *typedInto = form.channel(2).list(SettingRole::Speed); // typed, not yet taken
    typedInto->setCurrentIndex(typedInto->findText(QStringLiteral("19200")));
    const StderrCapture diagnostics;
    choose(form.channel(1).list(SettingRole::Speed), QStringLiteral("19200"));
    QCOMPARE(messages.take(), QStringList());
    QVERIFY2(!diagnostics.text().contains("did not confirm"), diagnostics.text().constData());
    QCOMPARE(form.MSComm1.Settings(), QStringLiteral("19200,n,8,1"));
    QCOMPARE(form.MSComm2.Settings(), QStringLiteral("19200,n,8,1"));
}

QTEST_MAIN(RemotePortTest)
#include "tst_remoteport.moc"
