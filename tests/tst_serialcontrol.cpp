// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "serial/mscomm.h"

#include "ptypair.h"
#include "ptyrig.h"

#include <QSignalSpy>
#include <QTest>

using namespace MSCommLib;
using namespace Sernix::Rig;

namespace {

constexpr int PatienceMs = 5000;

QString readInput(MSComm &comm, qsizetype count)
{
    QDeadlineTimer deadline(PatienceMs);
    QString received = comm.Input();
    while (received.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        received += comm.Input();
    }
    return received;
}

// The frame the driver was asked for; without PARENB, the kind of parity
// (PARODD, CMSPAR) means nothing to it and is left out.
tcflag_t requestedFormat(const PtyPair &pty)
{
    const std::optional<termios> requested = PtyRig::requestedTermios(pty);
    if (!requested)
        return ~tcflag_t(0);
    const tcflag_t parity = requested->c_cflag & PARENB ? PARENB | PARODD | CMSPAR : 0;
    return requested->c_cflag & (CSIZE | CSTOPB | parity);
}

} // namespace

class SerialControlTest : public QObject
{
    Q_OBJECT

private slots:
    // Each burst is told as it arrives, in order; the look still takes them all, once.
    void bytesAreToldAsTheyArrive_data()
    {
        QTest::addColumn<bool>("loopback");
        QTest::newRow("pty") << false;
        QTest::newRow("loop-back plug") << true;
    }
    void bytesAreToldAsTheyArrive()
    {
        QFETCH(bool, loopback);
        PtyPair pty;
        MSComm comm(1, loopback ? QString(LoopbackDeviceName) : pty.slavePath());
        comm.setPortOpen(true);
        QSignalSpy told(&comm, &MSComm::dataReceived);
        for (const char *burst : {"ab\r", "\0cd"}) {
            const int before = int(told.size());
            loopback ? comm.setOutput(QString::fromLatin1(burst, 3)) : void(pty.writeToMaster({burst, 3}));
            QTRY_COMPARE(told.size(), before + 1);
        }
        QCOMPARE(told.at(0).at(0).toByteArray() + '|' + told.at(1).at(0).toByteArray(), QByteArray("ab\r|\0cd", 7));
        QCOMPARE(comm.Input(), QString::fromLatin1("ab\r\0cd", 6));
        QCOMPARE(told.size(), 2);
    }

    void everyByteValueGoesOutAndTextWithoutOneNot()
    {
        PtyPair pty;
        MSComm comm(1, pty.slavePath());
        comm.setPortOpen(true);
        QByteArray bytes(256, '\0');
        for (int value = 0; value < 256; ++value)
            bytes[value] = char(value);
        // Text with a character that has no byte value is refused whole.
        QVERIFY_THROWS_EXCEPTION(CommError, comm.setOutput(QStringLiteral("a\u20acb")));
        comm.setOutput(QString::fromLatin1(bytes));
        QCOMPARE(pty.readFromMaster(bytes.size(), QDeadlineTimer(PatienceMs)), bytes);
    }

    void settingsReachThePortOrLeaveItAsItWas()
    {
        PtyPair pty;
        MSComm comm(1, pty.slavePath());
        comm.setPortOpen(true);

        // Each parity and data size as the driver is asked for it; mark and
        // space are odd and even parity stuck (CMSPAR).
        for (auto [settings, speed, format] :
             {std::tuple{"12345,O,7,2", 12345, CS7 | PARENB | PARODD | CSTOPB}, std::tuple{"4800,n,7,1", 4800, CS7},
              std::tuple{"1200,m,5,1", 1200, CS5 | PARENB | PARODD | CMSPAR},
              std::tuple{"2400,s,6,1", 2400, CS6 | PARENB | CMSPAR}, std::tuple{"19200,e,8,1", 19200, CS8 | PARENB}}) {
            comm.setSettings(QLatin1String(settings));
            QCOMPARE(pty.slaveBaudRate(), speed);
            QCOMPARE(requestedFormat(pty), tcflag_t(format));
        }

        // The driver refuses two stop bits after speed, data bits and parity went
        // through: the whole change is undone.
        PtyRig::refuseTermios(pty, [](const termios &tio) { return (tio.c_cflag & CSTOPB) != 0; });
        QVERIFY_THROWS_EXCEPTION(CommError, comm.setSettings(QStringLiteral("4800,o,7,2")));
        QCOMPARE(comm.Settings(), QStringLiteral("19200,e,8,1"));
        QCOMPARE(pty.slaveBaudRate(), 19200);
        QCOMPARE(requestedFormat(pty), tcflag_t(CS8 | PARENB));
    }

    void writesToAClosedPortApplyAtOpening()
    {
        PtyPair pty;
        MSComm comm(1, pty.slavePath());
        comm.setSettings(QStringLiteral("2400,O,7,2"));
        comm.setHandshaking(3);
        comm.setRTSEnable(false);

        comm.setPortOpen(true);
        const termios line = pty.slaveTermios();
        QCOMPARE(pty.slaveBaudRate(), 2400);
        QCOMPARE(requestedFormat(pty), tcflag_t(CS7 | PARENB | PARODD | CSTOPB));
        QVERIFY((line.c_cflag & CRTSCTS) && (line.c_iflag & IXON) && (line.c_iflag & IXOFF));
        // The driver raises both outputs at opening: DTR goes straight back to
        // the level written, RTS stays with the hardware handshaking until the
        // port leaves it, and no write can take it meanwhile.
        QVERIFY(!PtyRig::outputs(pty).dtr && PtyRig::outputs(pty).rts);
        QVERIFY_THROWS_EXCEPTION(CommError, comm.setRTSEnable(false));
        comm.setHandshaking(0);
        QVERIFY(!PtyRig::outputs(pty).rts);
    }

    void handshakingModesSurviveSettingsChanges()
    {
        PtyPair pty;
        MSComm comm(1, pty.slavePath());
        comm.setPortOpen(true);
        int speed = 300;
        // Mode, then whether it is hardware and software flow control.
        for (auto [mode, hardware, software] :
             {std::tuple{3, true, true}, std::tuple{2, true, false}, std::tuple{1, false, true},
              std::tuple{0, false, false}, std::tuple{3, true, true}}) {
            comm.setHandshaking(mode);
            for (const char *when : {"as set", "after a settings change"}) {
                const termios line = pty.slaveTermios();
                const QByteArray context = "mode " + QByteArray::number(mode) + " " + when;
                QVERIFY2(bool(line.c_cflag & CRTSCTS) == hardware, context);
                QVERIFY2(bool(line.c_iflag & IXON) == software && bool(line.c_iflag & IXOFF) == software, context);
                QVERIFY2(!software || (line.c_cc[VSTART] == 0x11 && line.c_cc[VSTOP] == 0x13), context);
                comm.setSettings(QStringLiteral("%1,e,7,2").arg(speed *= 2));
            }
        }
    }

    void outputsReachTheLineAndInputsComeFromIt()
    {
        PtyPair pty;
        MSComm comm(1, pty.slavePath());
        comm.setPortOpen(true);
        for (bool level : {true, false}) {
            comm.setDTREnable(level);
            comm.setRTSEnable(!level);
            QVERIFY(PtyRig::outputs(pty).dtr == level && PtyRig::outputs(pty).rts == !level);
            PtyRig::forceInputs(pty, {.dcd = level, .dsr = !level, .cts = level});
            QVERIFY(comm.CDHolding() == level && comm.DSRHolding() == !level && comm.CTSHolding() == level);
        }
    }

    void portWithoutModemLinesStillCarriesData()
    {
        PtyRig::Disabled plainPty;
        PtyPair pty;
        MSComm comm(1, pty.slavePath());
        comm.setDTREnable(true);
        comm.setPortOpen(true);
        QVERIFY_THROWS_EXCEPTION(CommError, comm.CDHolding());
        QVERIFY_THROWS_EXCEPTION(CommError, comm.setRTSEnable(true));

        pty.writeToMaster("in");
        QCOMPARE(readInput(comm, 2), QStringLiteral("in"));
        comm.setOutput(QStringLiteral("out"));
        QCOMPARE(pty.readFromMaster(3, QDeadlineTimer(PatienceMs)), QByteArray("out"));
    }
};

QTEST_GUILESS_MAIN(SerialControlTest)
#include "tst_serialcontrol.moc"
