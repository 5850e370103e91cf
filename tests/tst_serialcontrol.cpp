#include "serial/mscomm.h"

#include "ptypair.h"
#include "ptyrig.h"
#include "stderrcapture.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <ctime>

using namespace MSCommLib;

namespace {

constexpr int patienceMs = 5000;

QString readInput(MSComm &comm, qsizetype count)
{
    QDeadlineTimer deadline(patienceMs);
    QString received = comm.Input();
    while (received.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        received += comm.Input();
    }
    return received;
}

QByteArray everyByteValue()
{
    QByteArray bytes(256, '\0');
    for (int value = 0; value < 256; ++value)
        bytes[value] = char(value);
    return bytes;
}

double processCpuSeconds()
{
    timespec now;
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void processEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

tcflag_t requestedFormat(const PtyPair &pty)
{
    const std::optional<termios> requested = PtyRig::requestedTermios(pty);
    return requested ? requested->c_cflag & (CSIZE | PARENB | PARODD) : ~tcflag_t(0);
}

bool sameOutputs(PtyRig::Outputs actual, bool dtr, bool rts)
{
    return actual.dtr == dtr && actual.rts == rts;
}

} // namespace

class SerialControlTest : public QObject
{
    Q_OBJECT

private slots:
    void everyByteValueCrossesBothWays();
    void charactersWithoutAByteValueAreNotSent();
    void settingsReachThePortOrLeaveItAsItWas();
    void writesToAClosedPortApplyAtOpening();
    void handshakingModesSurviveSettingsChanges();
    void modemLinesFollowWritesAndWiring();
    void aPortHasOneOpenerAtATime();
    void missingDeviceThrowsAndSaysWhyOnce();
    void portWithoutModemLinesStillCarriesData();
    void unpluggedDeviceIsReleasedWithoutSpinning();
    void outputStopsGrowingWhenTheLineCannotKeepUp();
};

void SerialControlTest::everyByteValueCrossesBothWays()
{
    PtyPair pty;
    MSComm comm(1, pty.slavePath());
    comm.setPortOpen(true);
    const QByteArray bytes = everyByteValue();

    QCOMPARE(pty.writeToMaster(bytes), bytes.size());
    QCOMPARE(readInput(comm, bytes.size()), QString::fromLatin1(bytes));
    QCOMPARE(comm.Input(), QString());

    comm.setOutput(QString::fromLatin1(bytes));
    QCOMPARE(pty.readFromMaster(bytes.size(), QDeadlineTimer(patienceMs)), bytes);
}

void SerialControlTest::charactersWithoutAByteValueAreNotSent()
{
    PtyPair pty;
    MSComm comm(1, pty.slavePath());
    comm.setPortOpen(true);

    QVERIFY_THROWS_EXCEPTION(CommError, comm.setOutput(QStringLiteral("a\u20acb")));
    QVERIFY_THROWS_EXCEPTION(CommError, comm.setOutput(QStringLiteral("\U0001F600")));
    comm.setOutput(QStringLiteral("z"));
    QCOMPARE(pty.readFromMaster(1, QDeadlineTimer(patienceMs)), QByteArray("z"));
}

void SerialControlTest::settingsReachThePortOrLeaveItAsItWas()
{
    PtyPair pty;
    MSComm comm(1, pty.slavePath());
    comm.setPortOpen(true);

    comm.setSettings(QStringLiteral("19200,E,7,2"));
    QCOMPARE(comm.Settings(), QStringLiteral("19200,e,7,2"));
    QCOMPARE(pty.slaveBaudRate(), 19200);
    QVERIFY(pty.slaveTermios().c_cflag & CSTOPB);
    QCOMPARE(requestedFormat(pty), tcflag_t(CS7 | PARENB));

    comm.setSettings(QStringLiteral("12345,o,8,1"));
    QCOMPARE(pty.slaveBaudRate(), 12345);
    QVERIFY(!(pty.slaveTermios().c_cflag & CSTOPB));
    QCOMPARE(requestedFormat(pty), tcflag_t(CS8 | PARENB | PARODD));

    comm.setSettings(QStringLiteral("19200,e,7,1"));
    for (const char *unusable : {"9600,x,8,1", "9600, n,8,1", "0,n,8,1", "9600,n,9,1"}) {
        QVERIFY_THROWS_EXCEPTION(CommError, comm.setSettings(QLatin1StringView(unusable)));
        QCOMPARE(comm.Settings(), QStringLiteral("19200,e,7,1"));
        QCOMPARE(pty.slaveBaudRate(), 19200);
        QCOMPARE(requestedFormat(pty), tcflag_t(CS7 | PARENB));
    }

    // The driver refuses two stop bits after speed, data bits and parity went through.
    PtyRig::refuseTermios(pty, [](const termios &tio) { return (tio.c_cflag & CSTOPB) != 0; });
    QVERIFY_THROWS_EXCEPTION(CommError, comm.setSettings(QStringLiteral("4800,o,8,2")));
    QCOMPARE(comm.Settings(), QStringLiteral("19200,e,7,1"));
    QCOMPARE(pty.slaveBaudRate(), 19200);
    QVERIFY(!(pty.slaveTermios().c_cflag & CSTOPB));
    QCOMPARE(requestedFormat(pty), tcflag_t(CS7 | PARENB));

    PtyRig::refuseTermios(pty, {});
    comm.setSettings(QStringLiteral("4800,o,8,2"));
    QCOMPARE(pty.slaveBaudRate(), 4800);
    QVERIFY(pty.slaveTermios().c_cflag & CSTOPB);
}

void SerialControlTest::writesToAClosedPortApplyAtOpening()
{
    PtyPair pty;
    MSComm comm(1, pty.slavePath());
    comm.setSettings(QStringLiteral("2400,O,7,2"));
    comm.setHandshaking(3);
    comm.setDTREnable(true);
    comm.setRTSEnable(false);

    comm.setPortOpen(true);
    QVERIFY(comm.PortOpen());
    const termios line = pty.slaveTermios();
    QCOMPARE(pty.slaveBaudRate(), 2400);
    QVERIFY(line.c_cflag & CSTOPB);
    QVERIFY(line.c_cflag & CRTSCTS);
    QVERIFY(line.c_iflag & IXON);
    QVERIFY(line.c_iflag & IXOFF);
    QCOMPARE(requestedFormat(pty), tcflag_t(CS7 | PARENB | PARODD));
    // RTS stays with the hardware handshaking until the port leaves it.
    QVERIFY(sameOutputs(PtyRig::outputs(pty), true, true));
    comm.setHandshaking(0);
    QVERIFY(sameOutputs(PtyRig::outputs(pty), true, false));

    // A refused opening keeps nothing: the port stays closed and reopens cleanly.
    comm.setPortOpen(false);
    PtyRig::refuseTermios(pty, [](const termios &tio) { return cfgetospeed(&tio) == B2400; });
    {
        StderrCapture quiet;
        QVERIFY_THROWS_EXCEPTION(CommError, comm.setPortOpen(true));
    }
    QVERIFY(!comm.PortOpen());
    PtyRig::refuseTermios(pty, {});
    comm.setPortOpen(true);
    QVERIFY(comm.PortOpen());
}

void SerialControlTest::handshakingModesSurviveSettingsChanges()
{
    struct Expected
    {
        int mode;
        bool hardware;
        bool software;
    };
    static constexpr Expected modes[] = {
        {3, true, true}, {2, true, false}, {1, false, true}, {0, false, false}, {3, true, true},
    };

    PtyPair pty;
    MSComm comm(1, pty.slavePath());
    comm.setPortOpen(true);
    const auto check = [&pty](const Expected &expected, const char *when) {
        const termios line = pty.slaveTermios();
        const QByteArray context = "mode " + QByteArray::number(expected.mode) + " " + when;
        QVERIFY2(bool(line.c_cflag & CRTSCTS) == expected.hardware, context);
        QVERIFY2(bool(line.c_iflag & IXON) == expected.software, context);
        QVERIFY2(bool(line.c_iflag & IXOFF) == expected.software, context);
        if (expected.software) {
            QVERIFY2(line.c_cc[VSTART] == 0x11 && line.c_cc[VSTOP] == 0x13, context);
        }
    };

    int speed = 300;
    for (const Expected &expected : modes) {
        comm.setHandshaking(expected.mode);
        QCOMPARE(comm.Handshaking(), expected.mode);
        check(expected, "as set");
        comm.setSettings(QStringLiteral("%1,e,7,2").arg(speed *= 2));
        check(expected, "after a settings change");
    }

    QVERIFY_THROWS_EXCEPTION(CommError, comm.setHandshaking(4));
    QCOMPARE(comm.Handshaking(), 3);
    check(modes[0], "after a refused mode");
}

void SerialControlTest::modemLinesFollowWritesAndWiring()
{
    PtyPair pty;
    MSComm comm(1, pty.slavePath());
    comm.setDTREnable(false);
    comm.setRTSEnable(true);

    // The rig raises both outputs at opening, as the driver does.
    comm.setPortOpen(true);
    QVERIFY(sameOutputs(PtyRig::outputs(pty), false, true));
    QVERIFY(!comm.DSRHolding());
    QVERIFY(!comm.CDHolding());
    QVERIFY(comm.CTSHolding());

    comm.setDTREnable(true);
    comm.setRTSEnable(false);
    QVERIFY(sameOutputs(PtyRig::outputs(pty), true, false));
    QVERIFY(comm.DTREnable());
    QVERIFY(!comm.RTSEnable());
    QVERIFY(comm.DSRHolding());
    QVERIFY(comm.CDHolding());
    QVERIFY(!comm.CTSHolding());

    PtyRig::forceInputs(pty, {.dcd = false, .cts = true});
    QVERIFY(!comm.CDHolding());
    QVERIFY(comm.DSRHolding());
    QVERIFY(comm.CTSHolding());
    PtyRig::forceInputs(pty, {});
    QVERIFY(comm.CDHolding());
    QVERIFY(!comm.CTSHolding());

    comm.setHandshaking(2);
    QVERIFY(sameOutputs(PtyRig::outputs(pty), true, true));
    QVERIFY_THROWS_EXCEPTION(CommError, comm.setRTSEnable(false));
    QVERIFY(!comm.RTSEnable());
    QVERIFY(comm.CTSHolding());
    comm.setHandshaking(0);
    QVERIFY(sameOutputs(PtyRig::outputs(pty), true, false));

    comm.setPortOpen(false);
    comm.setDTREnable(false);
    comm.setRTSEnable(true);
    QVERIFY(sameOutputs(PtyRig::outputs(pty), true, false));
    comm.setPortOpen(true);
    QVERIFY(sameOutputs(PtyRig::outputs(pty), false, true));
}

void SerialControlTest::aPortHasOneOpenerAtATime()
{
    PtyPair pty;
    MSComm first(1, pty.slavePath());
    MSComm second(2, pty.slavePath());
    first.setPortOpen(true);
    {
        StderrCapture stderrText;
        QVERIFY_THROWS_EXCEPTION(CommError, second.setPortOpen(true));
        QVERIFY(stderrText.text().contains(pty.slavePath().toLocal8Bit()));
    }
    QVERIFY(!second.PortOpen());
    QVERIFY_THROWS_EXCEPTION(CommError, second.Input());

    pty.writeToMaster("still mine");
    QCOMPARE(readInput(first, 10), QStringLiteral("still mine"));

    first.setPortOpen(false);
    second.setPortOpen(true);
    QVERIFY(second.PortOpen());
}

void SerialControlTest::missingDeviceThrowsAndSaysWhyOnce()
{
    const QString path = QStringLiteral("/dev/sernix-no-such-port");
    MSComm comm(1, path);
    StderrCapture stderrText;
    QString what;
    try {
        comm.setPortOpen(true);
    } catch (const CommError &error) {
        what = QString::fromStdString(error.what());
    }
    const QString reason = QString::fromLocal8Bit(std::strerror(ENOENT));
    QVERIFY2(what.contains(path) && what.contains(reason), qPrintable(what));
    QVERIFY(!comm.PortOpen());
    QCOMPARE(stderrText.text(), QStringLiteral("sernix: cannot open %1: %2\n").arg(path, reason).toLocal8Bit());

    comm.setPortOpen(false);
    QCOMPARE(stderrText.text().count('\n'), 1);
}

void SerialControlTest::portWithoutModemLinesStillCarriesData()
{
    PtyRig::Disabled plainPty;
    PtyPair pty;
    MSComm comm(1, pty.slavePath());
    comm.setDTREnable(true);

    StderrCapture stderrText;
    comm.setPortOpen(true);
    QVERIFY(comm.PortOpen());
    pty.writeToMaster("in");
    QCOMPARE(readInput(comm, 2), QStringLiteral("in"));
    comm.setOutput(QStringLiteral("out"));
    QCOMPARE(pty.readFromMaster(3, QDeadlineTimer(patienceMs)), QByteArray("out"));

    QVERIFY_THROWS_EXCEPTION(CommError, comm.CDHolding());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.CTSHolding());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.DSRHolding());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.setRTSEnable(true));
    QVERIFY(comm.RTSEnable());
    QVERIFY(comm.DTREnable());

    pty.writeToMaster("after");
    QCOMPARE(readInput(comm, 5), QStringLiteral("after"));
    QCOMPARE(stderrText.text(), QByteArray());
}

void SerialControlTest::unpluggedDeviceIsReleasedWithoutSpinning()
{
    PtyPair pty;
    MSComm comm(1, pty.slavePath());
    comm.setPortOpen(true);
    pty.writeToMaster("x");
    QCOMPARE(readInput(comm, 1), QStringLiteral("x"));

    StderrCapture stderrText;
    pty.unplug();
    const double before = processCpuSeconds();
    processEventsFor(1000);
    const double cpuSeconds = processCpuSeconds() - before;
    QVERIFY2(cpuSeconds < 0.2,
             qPrintable(QStringLiteral("%1 s of CPU in one second after unplugging").arg(cpuSeconds)));

    QVERIFY(comm.PortOpen());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.Input());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.setOutput(QStringLiteral("y")));
    QVERIFY_THROWS_EXCEPTION(CommError, comm.CDHolding());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.setDTREnable(true));
    QVERIFY_THROWS_EXCEPTION(CommError, comm.setSettings(QStringLiteral("300,n,8,1")));
    QCOMPARE(comm.Settings(), QStringLiteral("9600,n,8,1"));

    comm.setPortOpen(false);
    QVERIFY(!comm.PortOpen());
    QCOMPARE(stderrText.text(), QByteArray());
}

void SerialControlTest::outputStopsGrowingWhenTheLineCannotKeepUp()
{
    PtyPair pty;
    MSComm comm(1, pty.slavePath());
    comm.setSettings(QStringLiteral("110,n,8,1"));
    comm.setPortOpen(true);
    const QString text(4000, u'x');

    // Nobody reads the master: the kernel's buffer fills, then Qt's.
    bool refused = false;
    for (int attempt = 0; attempt < 200 && !refused; ++attempt) {
        try {
            comm.setOutput(text);
        } catch (const CommError &) {
            refused = true;
        }
        QVERIFY(comm.OutBufferCount() <= MSComm::OutBufferLimit);
        QCoreApplication::processEvents();
    }
    QVERIFY(refused);

    QDeadlineTimer deadline(patienceMs);
    while (comm.OutBufferCount() > 0 && !deadline.hasExpired())
        pty.readFromMaster(1, QDeadlineTimer(10));
    QCOMPARE(comm.OutBufferCount(), 0);
    comm.setOutput(text);
}

QTEST_GUILESS_MAIN(SerialControlTest)
#include "tst_serialcontrol.moc"
