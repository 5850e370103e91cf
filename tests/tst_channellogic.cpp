// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "ptypair.h"
#include "ptyrig.h"
#include "windowtesting.h"

#include "controls/enablebox.h"
#include "controls/fittedlabel.h"
#include "controls/linebutton.h"
#include "controls/olecolor.h"
#include "controls/pintextbox.h"
#include "controls/pulsemark.h"
#include "controls/shapeindicator.h"
#include "record/csvformat.h"
#include "record/record.h"
#include "serial/kernelcounters.h"
#include "window/application.h"

#include <QDirIterator>
#include <QGroupBox>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

using namespace Sernix::Controls;
using namespace Sernix::Rig;
using namespace Sernix::Window;

namespace {

constexpr auto Deadline = std::chrono::seconds(5);

// '1' or '0' forces an input line, '-' leaves it to its wiring.
std::optional<bool> forced(QChar line)
{
    return line == u'-' ? std::nullopt : std::optional<bool>(line == u'1');
}

// The ids of the threads that watch modem lines, as the system lists them.
QStringList lineWatcherThreads()
{
    QStringList found;
    for (QDirIterator task("/proc/self/task", QDir::Dirs | QDir::NoDotAndDotDot); task.hasNext();) {
        QFile name(task.next() + "/comm");
        if (name.open(QIODevice::ReadOnly) && name.readAll().trimmed() == "sernix-lines")
            found << task.fileName();
    }
    return found;
}

} // namespace

class ChannelLogicTest : public QObject, Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { finish(); }

    void lineStates_data()
    {
        // The buttons' outputs, the inputs the far end forces (DCD DSR CTS; as
        // wired back, DSR and DCD follow DTR and CTS follows RTS), and what
        // pins 1 4 6 7 8 show, True or False.
        QTest::addColumn<bool>("dtr");
        QTest::addColumn<bool>("rts");
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("shown");
        QTest::newRow("all off") << false << false << "---"
                                 << "FFFFF";
        QTest::newRow("DTR back on DCD and DSR") << true << false << "---"
                                                 << "TTTFF";
        QTest::newRow("RTS back on CTS") << false << true << "---"
                                         << "FFFTT";
        QTest::newRow("inputs up, outputs off") << false << false << "111"
                                                << "TFTFT";
        QTest::newRow("DSR down under DTR") << true << true << "000"
                                            << "FTFTF";
    }

    void lineStates()
    {
        QFETCH(bool, dtr);
        QFETCH(bool, rts);
        QFETCH(QString, inputs);
        QFETCH(QString, shown);
        PtyPair pty;
        Form1 &form = open({QString(), pty.slavePath()});
        const ChannelControls &channel = form.channel(2);
        click(channel.enableBox);
        if (dtr)
            click(channel.dtrButton);
        if (rts)
            click(channel.rtsButton);
        PtyRig::forceInputs(pty,
                            {.dcd = forced(inputs[0]), .dsr = forced(inputs[1]), .cts = forced(inputs[2]), .ri = true});
        form.Timer1_Timer();

        QVERIFY(PtyRig::outputs(pty).dtr == dtr && PtyRig::outputs(pty).rts == rts);
        QCOMPARE(channel.dtrButton->BackColor(), dtr ? OleColors::Red : OleColors::ButtonFace);
        QCOMPARE(channel.rtsButton->BackColor(), rts ? OleColors::Red : OleColors::ButtonFace);
        QString texts;
        for (Pin pin : {Pin::Dcd, Pin::Dtr, Pin::Dsr, Pin::Rts, Pin::Cts}) {
            const QString text = channel.pin(pin)->Text();
            texts += text == "True" ? u'T' : text == "False" ? u'F' : u'?';
            // Inputs light green, outputs red.
            const OleColor on = pin == Pin::Dtr || pin == Pin::Rts ? OleColors::Red : OleColors::Green;
            QCOMPARE(channel.pinIndicator(pin)->BackColor(), text == "True" ? on : OleColors::WindowBackground);
        }
        QCOMPARE(texts, shown);
        QCOMPARE(channel.pin(Pin::Gnd)->Text(), QStringLiteral("0"));
        // RI is never shown, whatever the line does.
        QVERIFY(channel.pin(Pin::Ri)->Text().isEmpty());
        QCOMPARE(channel.pinIndicator(Pin::Ri)->BackColor(), OleColors::WindowBackground);
    }

    void transmitRhythm()
    {
        // Two channels sending at once, each on every second tick of its own,
        // as long as its box holds text; an emptied box makes the next text go
        // out at the first tick that finds it.
        PtyPair first;
        PtyPair third;
        Form1 &form = open({first.slavePath(), QString(), third.slavePath()});
        const std::array channels{&form.channel(1), &form.channel(3)};
        for (const ChannelControls *channel : channels)
            click(channel->enableBox);
        const QStringList boxes[2] = {{"ab", "ab", "ab", "ab", "ab", "ab", "ab", "", "a\u00e9"},
                                      {"", "cd", "cd", "cd", "cd", "cd", "cd", "cd", "cd"}};
        QString rhythm[2];
        for (qsizetype tick = 0; tick < boxes[0].size(); ++tick) {
            for (int i = 0; i < 2; ++i)
                channels[i]->pin(Pin::Td)->setText(boxes[i][tick]);
            form.Timer1_Timer();
            for (int i = 0; i < 2; ++i)
                rhythm[i] += channels[i]->pinIndicator(Pin::Td)->BackColor() == OleColors::Red ? u'x' : u'.';
        }
        QCOMPARE(rhythm[0], QStringLiteral("x.x.x.x.x"));
        QCOMPARE(rhythm[1], QStringLiteral(".x.x.x.x."));
        QCOMPARE(first.readFromMaster(10, QDeadlineTimer(Deadline)), QByteArray("abababab") + "a\xe9");
        QCOMPARE(third.readFromMaster(8, QDeadlineTimer(Deadline)), QByteArray("cdcdcdcd"));
        QTRY_COMPARE(form.MSComm1.OutBufferCount() + form.MSComm3.OutBufferCount(), 0);
        QCOMPARE(first.readFromMaster() + third.readFromMaster(), QByteArray()); // nothing added
        QCOMPARE(channels[1]->pin(Pin::Td)->Text(), QStringLiteral("cd"));       // a send never clears the box
    }

    void receiveBoxShowsWhatCameSinceTheLastTick()
    {
        PtyPair pty;
        Form1 &form = open({QString(), QString(), pty.slavePath()});
        const ChannelControls &channel = form.channel(3);
        click(channel.enableBox);

        QByteArray bytes;
        for (int value = 0; value < 256; ++value)
            bytes += char(value);
        QCOMPARE(pty.writeToMaster(bytes), bytes.size());
        QString received;
        const QDeadlineTimer deadline(Deadline);
        while (received.size() < bytes.size() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            form.Timer1_Timer();
            received += channel.pin(Pin::Rd)->Text();
            if (!channel.pin(Pin::Rd)->Text().isEmpty())
                QCOMPARE(channel.pinIndicator(Pin::Rd)->BackColor(), OleColors::Green);
        }
        QCOMPARE(received, QString::fromLatin1(bytes)); // every byte value, once, in order

        form.Timer1_Timer(); // a quiet tick
        QVERIFY(channel.pin(Pin::Rd)->Text().isEmpty());
        QCOMPARE(channel.pinIndicator(Pin::Rd)->BackColor(), OleColors::WindowBackground);
    }

    void offChannelIsResetAndIgnoresItsButtons()
    {
        PtyPair pty;
        Form1 &form = open({pty.slavePath()});
        const ChannelControls &channel = form.channel(1);
        click(channel.enableBox);
        click(channel.dtrButton);
        click(channel.rtsButton);
        channel.pin(Pin::Td)->setText(QStringLiteral("x"));
        form.Timer1_Timer();
        QVERIFY(!channel.captionLabel->text().isEmpty());

        // Greyed counts as off, as clear does.
        for (int value : {EnableBox::Greyed, EnableBox::Clear}) {
            channel.enableBox->setValue(value);
            QVERIFY(!form.MSComm1.PortOpen());
            QTest::keyClicks(channel.pin(Pin::Td), "typed while off");
            form.Timer1_Timer();
            for (Pin pin : AllPins) {
                QVERIFY(channel.pin(pin)->Text().isEmpty());
                QCOMPARE(channel.pinIndicator(pin)->BackColor(), OleColors::WindowBackground);
            }
            QVERIFY(channel.captionLabel->text().isEmpty());
            click(channel.dtrButton); // ignored while off
            QVERIFY(channel.dtrButton->BackColor() == OleColors::ButtonFace && !form.MSComm1.DTREnable());
            QVERIFY(channel.rtsButton->BackColor() == OleColors::ButtonFace && !form.MSComm1.RTSEnable());
        }

        // Back on, the outputs open low, whatever they were when it went off.
        click(channel.enableBox);
        QVERIFY(form.MSComm1.PortOpen());
        QVERIFY(!PtyRig::outputs(pty).dtr && !PtyRig::outputs(pty).rts);
    }

    void settingsGoToEveryChannelThatIsOnWhenChosen()
    {
        PtyPair pty;
        Form1 &form = open({pty.slavePath(), pty.slavePath(), QStringLiteral("loopback")});
        const ChannelControls &first = form.channel(1);
        choose(first.list(SettingRole::Speed), QStringLiteral("300")); // all off: writes nothing
        QCOMPARE(form.MSComm1.Settings(), QStringLiteral("9600,n,8,1"));

        click(first.enableBox);
        click(form.channel(3).enableBox);
        typeInto(first.list(SettingRole::DataBits), QStringLiteral("7"));
        typeInto(form.channel(3).list(SettingRole::StopBits), QStringLiteral("2"));
        QCOMPARE(form.MSComm1.Settings(), QStringLiteral("9600,n,8,1")); // typing is no Click
        choose(form.channel(3).list(SettingRole::Handshaking), QStringLiteral("3"));
        QCOMPARE(pty.slaveBaudRate(), 300);
        QCOMPARE(PtyRig::requestedTermios(pty)->c_cflag & CSIZE, tcflag_t(CS7));
        form.Timer1_Timer();
        QCOMPARE(first.captionLabel->text(), QStringLiteral("300,n,7,1  comNone"));
        QCOMPARE(form.channel(3).captionLabel->text(), QStringLiteral("9600,n,8,2  comRTSXOnXOff"));

        // Cleared, the port is closed for real: another channel opens the device.
        click(first.enableBox);
        click(form.channel(2).enableBox);
        QVERIFY(form.MSComm2.PortOpen());
        click(form.channel(2).enableBox);
        // Ticked again, the settings in force are kept; a list changed while off
        // counts from the next choice.
        first.list(SettingRole::Speed)->setCurrentText(QStringLiteral("1200"));
        click(first.enableBox);
        QCOMPARE(pty.slaveBaudRate(), 300);
        choose(first.list(SettingRole::Parity), QStringLiteral("e"));
        form.Timer1_Timer();
        QCOMPARE(first.captionLabel->text(), QStringLiteral("1200,e,7,1  comNone"));
        QCOMPARE(pty.slaveBaudRate(), 1200);
    }

    void channelsInErrorReportInOrderWhileTheCycleRuns()
    {
        Form1 &form =
            open({QStringLiteral("loopback"), QStringLiteral("loopback"), QString(), QStringLiteral("loopback")});
        for (int n : {1, 2, 4})
            click(form.channel(n).enableBox);
        form.channel(2).list(SettingRole::Speed)->setCurrentText(QStringLiteral("fast"));
        form.channel(2).list(SettingRole::Handshaking)->setCurrentText(QStringLiteral("1"));
        form.channel(4).list(SettingRole::Speed)->setCurrentText(QStringLiteral("4800"));
        form.channel(4).list(SettingRole::Handshaking)->setCurrentText(QStringLiteral("two"));
        form.Timer1_Timer();
        form.Timer1.start();

        // Each channel in error gets its own box, in channel order; a bad speed
        // does not stop the handshaking, nor a bad handshaking the speed. Under
        // the modal box the timer goes on showing what was applied.
        QStringList stateAtEachBox;
        messages.whileOpen = [&] {
            QTRY_COMPARE(form.channel(1).captionLabel->text(), QStringLiteral("9600,o,8,1  comNone"));
            stateAtEachBox << QStringLiteral("%1 %2").arg(form.MSComm2.Handshaking()).arg(form.MSComm4.Settings());
        };
        choose(form.channel(1).list(SettingRole::Parity), QStringLiteral("o"));
        QCOMPARE(messages.take(), QStringList({"Unacceptable", "Unacceptable"}));
        QCOMPARE(stateAtEachBox, QStringList({"1 9600,n,8,1", "1 4800,n,8,1"}));
        QCOMPARE(form.MSComm2.Settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(form.MSComm4.Handshaking(), 0);
    }

    // A line may go and come back between two looks: its pin gets a ring for
    // that tick, and the panel counts it. Errors show where the eye is. A
    // channel's reset leaves the others' counts; a count that wraps past
    // 2^32, as the kernel's do, still counts.
    void lineEventsBetweenTwoLooks()
    {
        PtyPair pty;
        PtyPair second;
        Form1 &form = open({pty.slavePath(), second.slavePath()});
        const ChannelControls &channel = form.channel(1);
        click(form.channel(2).enableBox);
        PtyRig::receiveErrors(pty, {.parity = 0xfffffff0u}); // before the opening: not shown
        click(channel.enableBox);
        const auto tick = [&] {
            form.Timer1_Timer();
            QString marks;
            for (Pin pin : {Pin::Dcd, Pin::Dsr, Pin::Cts})
                marks += channel.pulseMark(pin)->isHidden() ? u'-' : u'o';
            return marks + u' ' + channel.lineEvents->fullText() + u'|' + channel.connectorPanel->toolTip();
        };
        const QString noEvents = "--- |DCD 0, DSR 0, CTS 0, RI 0; framing 0, parity 0, overrun 0, break 0";
        QCOMPARE(tick(), noEvents);
        click(channel.dtrButton);
        click(channel.dtrButton);
        QCOMPARE(tick(), "oo- |DCD 2, DSR 2, CTS 0, RI 0; framing 0, parity 0, overrun 0, break 0");
        click(channel.dtrButton); // a change the pins show is no pulse
        PtyRig::receiveErrors(pty, {.framing = 12, .breaks = 1});
        PtyRig::receiveErrors(second, {.overrun = 5});
        QCOMPARE(tick(), "--- framing 12  break 1|DCD 3, DSR 3, CTS 0, RI 0; framing 12, parity 0, overrun 0, break 1");

        QContextMenuEvent request(QContextMenuEvent::Mouse, {}, {});
        QApplication::sendEvent(channel.connectorPanel, &request);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction *action : menu->actions()) {
            if (action->text() == QLatin1String("Reset counters"))
                action->trigger();
        }
        menu->close();
        QCOMPARE(tick(), noEvents);
        QVERIFY2(form.channel(2).connectorPanel->toolTip().contains("overrun 5"),
                 "another channel's counts were reset");
        PtyRig::receiveErrors(pty, {.parity = 0x20}); // the kernel's counter passes 2^32
        QCOMPARE(tick().section(u'|', 0, 0), "--- parity 32");
        click(form.channel(2).enableBox);
        PtyRig::receiveErrors(pty, {.parity = 3});
        click(channel.enableBox);
        QCOMPARE(tick(), "--- |");
        click(channel.enableBox); // counts from the opening
        QCOMPARE(tick(), noEvents);
        click(channel.enableBox);

        const PtyRig::Disabled plainPseudoTerminals;
        PtyPair plain;
        Form1 &other = open({plain.slavePath()});
        click(other.channel(1).enableBox);
        other.Timer1_Timer();
        QCOMPARE(other.channel(1).lineEvents->fullText(), QStringLiteral("no counters"));
        QCOMPARE(other.channel(1).connectorPanel->toolTip(), QStringLiteral("no counters"));
    }

    // The plug's wiring moves DCD and DSR together; here each input moves on
    // its own, and only its own pin, ring, count and record entry show it.
    void eachInputOnItsOwn_data()
    {
        // At a look after a pulse, then after a rise: the rings and levels of
        // pins 1 6 8 ('?' where colour and text disagree), the modem counts,
        // and what the record took.
        QTest::addColumn<int>("line");
        QTest::addColumn<QStringList>("looks");
        QTest::newRow("DCD") << 0
                             << QStringList{"o-- FFF DCD 2, DSR 0, CTS 0, RI 0|pulse DCD 2",
                                            "--- TFF DCD 3, DSR 0, CTS 0, RI 0|DCD 1"};
        QTest::newRow("DSR") << 1
                             << QStringList{"-o- FFF DCD 0, DSR 2, CTS 0, RI 0|pulse DSR 2",
                                            "--- FTF DCD 0, DSR 3, CTS 0, RI 0|DSR 1"};
        QTest::newRow("CTS") << 2
                             << QStringList{"--o FFF DCD 0, DSR 0, CTS 2, RI 0|pulse CTS 2",
                                            "--- FFT DCD 0, DSR 0, CTS 3, RI 0|CTS 1"};
        // A ring counts once, as it ends; RI is recorded, never marked nor shown.
        QTest::newRow("RI") << 3
                            << QStringList{"--- FFF DCD 0, DSR 0, CTS 0, RI 1|pulse RI 1",
                                           "--- FFF DCD 0, DSR 0, CTS 0, RI 1|RI 1"};
    }

    void eachInputOnItsOwn()
    {
        QFETCH(int, line);
        QFETCH(QStringList, looks);
        PtyRig::setModemWaits(false); // the look sees every change
        const auto waitsAgain = qScopeGuard([] { PtyRig::setModemWaits(true); });
        PtyPair pty;
        Form1 &form = open({QString(), QString(), QString(), pty.slavePath()});
        const ChannelControls &channel = form.channel(4);
        click(channel.enableBox);
        form.Timer1_Timer();
        const auto raise = [&](bool on) {
            std::array<std::optional<bool>, 4> lines;
            lines.at(line) = on;
            PtyRig::forceInputs(pty, {.dcd = lines[0], .dsr = lines[1], .cts = lines[2], .ri = lines[3]});
        };
        const auto look = [&] {
            const quint64 before = form.record().lastSequence();
            form.Timer1_Timer();
            QString seen;
            for (Pin pin : {Pin::Dcd, Pin::Dsr, Pin::Cts})
                seen += channel.pulseMark(pin)->isHidden() ? u'-' : u'o';
            seen += u' ';
            for (Pin pin : {Pin::Dcd, Pin::Dsr, Pin::Cts}) {
                const bool on = channel.pin(pin)->Text() == QLatin1String("True");
                seen += (channel.pinIndicator(pin)->BackColor() == OleColors::Green) != on ? u'?' : on ? u'T' : u'F';
            }
            seen += u' ' + channel.connectorPanel->toolTip().section(u';', 0, 0);
            for (const auto &event : form.record().after(Sernix::Record::Category::Lines, before))
                seen += u'|' + eventText(form.record(), event);
            return seen;
        };
        raise(true);
        raise(false);
        QCOMPARE(look(), looks[0]);
        raise(true);
        QCOMPARE(look(), looks[1]);
    }

    // What a port's driver cannot count reads "not counted", never 0. The
    // driver is found through sysfs, where a pty is given one for the test.
    void uncountedEventsAreSaidSo_data()
    {
        // The driver (empty: a built-in UART), the handshaking, and after a
        // pulse on every input and one error of each kind: the rings of pins
        // 1 6 8, the errors label, and the tooltip ("-" for "not counted").
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("handshaking");
        QTest::addColumn<QString>("shown");
        const QString errors = "framing 1  parity 1  overrun 1  break 1|";
        QTest::newRow("CDC-ACM") << "cdc_acm"
                                 << "0"
                                 << "oo- " + errors
                + "DCD 2, DSR 2, CTS -, RI 1; framing 1, parity 1, overrun 1, break 1";
        QTest::newRow("CP210x") << "cp210x"
                                << "0"
                                << "--- |DCD -, DSR -, CTS -, RI -; framing -, parity -, overrun -, break -";
        QTest::newRow("another driver") << "ftdi_sio"
                                        << "0"
                                        << "ooo " + errors
                + "DCD 2, DSR 2, CTS 2, RI 1; framing 1, parity 1, overrun 1, break 1";
        // The line watcher's wait has the UART count its modem lines.
        QTest::newRow("UART, XON/XOFF") << QString() << "1"
                                        << "ooo " + errors
                + "DCD 2, DSR 2, CTS 2, RI 1; framing 1, parity 1, overrun 1, break 1";
        QTest::newRow("UART, RTS/CTS") << QString() << "2"
                                       << "ooo " + errors
                + "DCD 2, DSR 2, CTS 2, RI 1; framing 1, parity 1, overrun 1, break 1";
    }

    void uncountedEventsAreSaidSo()
    {
        QFETCH(QString, driver);
        QFETCH(QString, handshaking);
        QFETCH(QString, shown);
        PtyPair pty;
        const QTemporaryDir sysfs;
        const QString node = sysfs.filePath(QFileInfo(pty.slavePath()).fileName());
        QVERIFY(QDir().mkpath(node + "/device") && QDir().mkpath(sysfs.filePath("drivers/" + driver)));
        QVERIFY(driver.isEmpty() ? QFile(node + "/type").open(QIODevice::WriteOnly)
                                 : QFile::link(sysfs.filePath("drivers/" + driver), node + "/device/driver"));
        MSCommLib::KernelCounters::setSysfsTtyRoot(sysfs.path());
        Form1 &form = open({pty.slavePath()});
        const ChannelControls &channel = form.channel(1);
        PtyRig::forceInputs(pty, {false, false, false, false});
        click(channel.enableBox);
        MSCommLib::KernelCounters::setSysfsTtyRoot(QStringLiteral("/sys/class/tty"));
        choose(channel.list(SettingRole::Handshaking), handshaking);
        form.Timer1_Timer();
        PtyRig::forceInputs(pty, {true, true, true, true});
        PtyRig::forceInputs(pty, {false, false, false, false});
        PtyRig::receiveErrors(pty, {1, 1, 1, 1});
        form.Timer1_Timer();
        QString seen;
        for (Pin pin : {Pin::Dcd, Pin::Dsr, Pin::Cts})
            seen += channel.pulseMark(pin)->isHidden() ? u'-' : u'o';
        seen += u' ' + channel.lineEvents->fullText() + u'|' + channel.connectorPanel->toolTip();
        QCOMPARE(seen.replace(QLatin1String("not counted"), QLatin1String("-")), shown);
    }

    // Where the port times its inputs (the plug at the write, a watcher woken
    // by the driver), a change is recorded at its time, to the microsecond,
    // and the next look records it no more; a pulse between two wakes is kept.
    void inputChangesAreRecordedWhenTheyHappen_data()
    {
        QTest::addColumn<QString>("device");
        QTest::newRow("loop-back plug") << "loopback";
        QTest::newRow("pty with a watcher") << QString();
    }

    void inputChangesAreRecordedWhenTheyHappen()
    {
        QFETCH(QString, device);
        MSCommLib::SteadyClock clock(MSCommLib::SteadyClock::Kind::Manual);
        PtyPair pty;
        Form1 &form = open({device.isEmpty() ? pty.slavePath() : device}, clock);
        // The port's watcher thread reads the clock until the window is gone.
        const auto closeBeforeTheClockGoes = qScopeGuard([this] { window.reset(); });
        const ChannelControls &channel = form.channel(1);
        click(channel.enableBox);
        form.Timer1_Timer();
        clock.advanceMs(7);
        const quint64 before = form.record().lastSequence();
        const auto recorded = [&] {
            QStringList seen;
            const Sernix::Record::CsvFormat csv(form.record());
            for (const auto &event : form.record().after(Sernix::Record::Category::Lines, before))
                seen << eventText(form.record(), event) + u'@' + QString::number(event.time) + u'/'
                        + QString::number(csv.row(event).split(',').front().split('.').back().size() - 1);
            return seen.join(u',');
        };
        click(channel.dtrButton);
        const QString atTheWrite = "DTR 1@7000/3,DCD 1@7000/6,DSR 1@7000/6";
        QTRY_COMPARE(recorded(), atTheWrite);
        clock.advanceMs(250);
        form.Timer1_Timer();
        QCOMPARE(recorded(), atTheWrite);
        QVERIFY(eventText(form.record(), form.record().events(Sernix::Record::Category::Lines).at(1))
                == "timing edge 1 us");
        if (device.isEmpty()) {
            PtyRig::pulseInputs(pty, {.cts = true});
            QTRY_COMPARE(recorded().section(u',', 3), "pulse CTS 2@257000/6");
        }
    }

    // A watcher's thread is gone once its channel is unticked, its device
    // lost, or the window closed.
    void lineWatcherEndsWithItsPort_data()
    {
        QTest::addColumn<int>("end");
        QTest::newRow("untick") << 0;
        QTest::newRow("loss") << 1;
        QTest::newRow("close") << 2;
    }

    void lineWatcherEndsWithItsPort()
    {
        QFETCH(int, end);
        PtyPair pty;
        const QStringList others = lineWatcherThreads();
        Form1 &form = open({pty.slavePath()});
        click(form.channel(1).enableBox);
        QCOMPARE(lineWatcherThreads().size(), others.size() + 1);
        end == 0 ? click(form.channel(1).enableBox) : end == 1 ? pty.unplug() : window.reset();
        QTRY_COMPARE(lineWatcherThreads(), others);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    configureApplication();
    ChannelLogicTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_channellogic.moc"
