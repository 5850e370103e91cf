#include "messagewatcher.h"
#include "ptypair.h"
#include "ptyrig.h"
#include "windowtesting.h"

#include "channel/pollcycle.h"
#include "channel/settinglists.h"
#include "controls/controls.h"
#include "window/application.h"
#include "window/form1.h"
#include "window/module1.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

constexpr auto Deadline = std::chrono::seconds(5);

QList<OleColor> indicatorColours(const ChannelControls &channel)
{
    QList<OleColor> colours;
    for (Pin pin : AllPins)
        colours << channel.pinIndicator(pin)->BackColor();
    return colours;
}

} // namespace

using namespace WindowTesting;

class ChannelLogicTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { window.reset(); }

    void transmitsEverySecondTickWhileTheBoxHoldsText();
    void receiveBoxShowsOnlyWhatCameSinceTheLastTick();
    void indicatorsFollowTheLines_data();
    void indicatorsFollowTheLines();
    void forcedInputLinesLightTheirIndicators();
    void offChannelIsResetAtEveryTick();
    void portNotFoundClearsTheBoxAndTheTimerGoesOn();
    void portHeldByAnotherChannelIsNotFound();
    void clearingClosesAndTickingReopensWithSettingsHeld();
    void lineButtonsFlipOneLineOfAChannelThatIsOn();
    void settingsGoToEveryChannelThatIsOn();
    void channelsInErrorReportInChannelOrder();
    void handshakingTextsAndNames();
    void unpluggedPortKeepsTheCycleGoing();
    void loopbackPlugEndToEndWithTheRealTimer();

private:
    Form1 &open(const Form1::DeviceNames &devices)
    {
        window = WindowTesting::openWindow(devices);
        return *window;
    }

    std::unique_ptr<Form1> window;
};

void ChannelLogicTest::transmitsEverySecondTickWhileTheBoxHoldsText()
{
    PtyPair pty;
    Form1 &form = open({pty.slavePath()});
    const ChannelControls &channel = form.channel(1);
    click(channel.enableBox);
    QVERIFY(form.MSComm1.PortOpen());

    QTest::keyClicks(channel.pin(Pin::Td), "hi");
    QList<OleColor> rhythm;
    QByteArray sent;
    for (int tick = 1; tick <= 6; ++tick) {
        form.Timer1_Timer();
        rhythm << channel.pinIndicator(Pin::Td)->BackColor();
        if (tick % 2 == 1)
            sent += pty.readFromMaster(2, QDeadlineTimer(Deadline));
    }
    QCOMPARE(rhythm,
             (QList<OleColor>{OleColors::Red, OleColors::WindowBackground, OleColors::Red, OleColors::WindowBackground,
                              OleColors::Red, OleColors::WindowBackground}));
    QTRY_COMPARE(form.MSComm1.OutBufferCount(), 0);
    sent += pty.readFromMaster();
    QCOMPARE(sent, QByteArray("hihihi"));                         // nothing added, nothing on the quiet ticks
    QCOMPARE(channel.pin(Pin::Td)->Text(), QStringLiteral("hi")); // a send never clears the box

    // Emptied between ticks: no send and the latch falls back to 1, so text
    // typed later goes out at the first tick that finds it.
    form.Timer1_Timer(); // sends (latch was 1 after tick 6)
    QCOMPARE(pty.readFromMaster(2, QDeadlineTimer(Deadline)), QByteArray("hi"));
    QCOMPARE(Module1::TransmitLatch[0], qint16(2));
    channel.pin(Pin::Td)->clear();
    form.Timer1_Timer();
    QCOMPARE(Module1::TransmitLatch[0], qint16(1));
    QCOMPARE(channel.pinIndicator(Pin::Td)->BackColor(), OleColors::WindowBackground);
    channel.pin(Pin::Td)->insert(QStringLiteral("~\u00e9"));
    form.Timer1_Timer();
    QCOMPARE(channel.pinIndicator(Pin::Td)->BackColor(), OleColors::Red);
    QCOMPARE(pty.readFromMaster(2, QDeadlineTimer(Deadline)), QByteArray("~\xe9"));
}

void ChannelLogicTest::receiveBoxShowsOnlyWhatCameSinceTheLastTick()
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

void ChannelLogicTest::indicatorsFollowTheLines_data()
{
    QTest::addColumn<bool>("simulated");
    QTest::newRow("pseudo-terminal") << false;
    QTest::newRow("loopback plug") << true;
}

void ChannelLogicTest::indicatorsFollowTheLines()
{
    QFETCH(bool, simulated);
    PtyPair pty;
    Form1 &form = open({QString(), simulated ? QStringLiteral("loopback") : pty.slavePath()});
    const ChannelControls &channel = form.channel(2);
    click(channel.enableBox);
    form.Timer1_Timer();

    const auto lines = [&] {
        QStringList texts;
        for (Pin pin : {Pin::Dcd, Pin::Dtr, Pin::Dsr, Pin::Rts, Pin::Cts})
            texts << channel.pin(pin)->Text();
        return texts;
    };
    const auto colours = [&] {
        QList<OleColor> result;
        for (Pin pin : {Pin::Dcd, Pin::Dtr, Pin::Dsr, Pin::Rts, Pin::Cts})
            result << channel.pinIndicator(pin)->BackColor();
        return result;
    };
    constexpr OleColor Idle = OleColors::WindowBackground;
    QCOMPARE(lines(), QStringList({"False", "False", "False", "False", "False"}));
    QCOMPARE(colours(), QList<OleColor>({Idle, Idle, Idle, Idle, Idle}));
    QCOMPARE(channel.pin(Pin::Gnd)->Text(), QStringLiteral("0"));

    // DTR comes back on DSR and DCD, RTS on CTS.
    click(channel.dtrButton);
    QCOMPARE(channel.dtrButton->BackColor(), OleColors::Red);
    form.Timer1_Timer();
    QCOMPARE(lines(), QStringList({"True", "True", "True", "False", "False"}));
    QCOMPARE(colours(), QList<OleColor>({OleColors::Green, OleColors::Red, OleColors::Green, Idle, Idle}));

    click(channel.rtsButton);
    click(channel.dtrButton);
    form.Timer1_Timer();
    QCOMPARE(lines(), QStringList({"False", "False", "False", "True", "True"}));
    QCOMPARE(colours(), QList<OleColor>({Idle, Idle, Idle, OleColors::Red, OleColors::Green}));
    if (!simulated) {
        QCOMPARE(PtyRig::outputs(pty).dtr, false);
        QCOMPARE(PtyRig::outputs(pty).rts, true);
    }
}

void ChannelLogicTest::forcedInputLinesLightTheirIndicators()
{
    PtyPair pty;
    Form1 &form = open({QString(), QString(), QString(), pty.slavePath()});
    const ChannelControls &channel = form.channel(4);
    click(channel.enableBox);

    // A modem that raises carrier and clear-to-send on its own.
    PtyRig::forceInputs(pty, {.dcd = true, .dsr = false, .cts = true, .ri = true});
    form.Timer1_Timer();
    QCOMPARE(channel.pin(Pin::Dcd)->Text(), QStringLiteral("True"));
    QCOMPARE(channel.pin(Pin::Dsr)->Text(), QStringLiteral("False"));
    QCOMPARE(channel.pin(Pin::Cts)->Text(), QStringLiteral("True"));
    QCOMPARE(indicatorColours(channel),
             (QList<OleColor>{OleColors::Green, OleColors::WindowBackground, OleColors::WindowBackground,
                              OleColors::WindowBackground, OleColors::WindowBackground, OleColors::WindowBackground,
                              OleColors::WindowBackground, OleColors::Green, OleColors::WindowBackground}));
    QVERIFY(channel.pin(Pin::Ri)->Text().isEmpty()); // RI is never shown

    PtyRig::forceInputs(pty, {.dcd = false, .dsr = true});
    form.Timer1_Timer();
    QCOMPARE(channel.pinIndicator(Pin::Dcd)->BackColor(), OleColors::WindowBackground);
    QCOMPARE(channel.pinIndicator(Pin::Dsr)->BackColor(), OleColors::Green);
    QCOMPARE(channel.pinIndicator(Pin::Cts)->BackColor(),
             OleColors::WindowBackground); // back to its wiring: RTS is off
}

void ChannelLogicTest::offChannelIsResetAtEveryTick()
{
    PtyPair pty;
    Form1 &form =
        open({pty.slavePath(), QStringLiteral("loopback"), QStringLiteral("loopback"), QStringLiteral("loopback")});
    const ChannelControls &channel = form.channel(1);
    click(channel.enableBox);
    click(channel.dtrButton);
    click(channel.rtsButton);
    form.Timer1_Timer();
    QCOMPARE(PtyRig::outputs(pty).dtr, true);
    QVERIFY(!channel.captionLabel->text().isEmpty());
    channel.pin(Pin::Ri)->setText(QStringLiteral("x"));
    channel.pinIndicator(Pin::Ri)->setBackColor(OleColors::Green);
    const qint16 latch = Module1::TransmitLatch[0];

    // Greyed counts as off; so does clear.
    for (int value : {EnableBox::Greyed, EnableBox::Clear}) {
        channel.enableBox->setValue(value);
        QCOMPARE(channel.enableBox->Value(), value);
        QVERIFY(!form.MSComm1.PortOpen());
        QTest::keyClicks(channel.pin(Pin::Td), "typed while off");
        form.Timer1_Timer();
        for (Pin pin : AllPins)
            QVERIFY(channel.pin(pin)->Text().isEmpty());
        QCOMPARE(indicatorColours(channel).mid(0, 8), QList<OleColor>(8, OleColors::WindowBackground));
        QCOMPARE(channel.pinIndicator(Pin::Ri)->BackColor(), OleColors::Green); // never touched
        QCOMPARE(channel.dtrButton->BackColor(), OleColors::ButtonFace);
        QCOMPARE(channel.rtsButton->BackColor(), OleColors::ButtonFace);
        QVERIFY(!form.MSComm1.DTREnable());
        QVERIFY(!form.MSComm1.RTSEnable());
        QVERIFY(channel.captionLabel->text().isEmpty());
        QCOMPARE(Module1::TransmitLatch[0], latch);
        channel.dtrButton->setBackColor(OleColors::Red);
    }

    // Back on: the outputs open low, whatever they were when it went off.
    click(channel.enableBox);
    QVERIFY(form.MSComm1.PortOpen());
    QCOMPARE(PtyRig::outputs(pty).dtr, false);
    QCOMPARE(PtyRig::outputs(pty).rts, false);

    // With every channel off, each tick writes both lines off on all four
    // controls and clears all 36 boxes and all captions.
    channel.enableBox->setValue(EnableBox::Clear);
    for (int n = 1; n <= ChannelCount; ++n) {
        form.channel(n).serialControl->setDTREnable(true);
        form.channel(n).serialControl->setRTSEnable(true);
        for (Pin pin : AllPins)
            form.channel(n).pin(pin)->setText(QStringLiteral("stale"));
        form.channel(n).captionLabel->setText(QStringLiteral("stale"));
    }
    form.Timer1_Timer();
    for (int n = 1; n <= ChannelCount; ++n) {
        QVERIFY(!form.channel(n).serialControl->DTREnable());
        QVERIFY(!form.channel(n).serialControl->RTSEnable());
        QVERIFY(form.channel(n).captionLabel->text().isEmpty());
        for (Pin pin : AllPins)
            QVERIFY(form.channel(n).pin(pin)->Text().isEmpty());
    }
}

void ChannelLogicTest::portNotFoundClearsTheBoxAndTheTimerGoesOn()
{
    Form1 &form = open({QString(), QStringLiteral("/dev/sernix-test-no-such-port")});
    const ChannelControls &channel = form.channel(2);
    form.Timer1.start();
    int ticksWhileOpen = 0;
    QList<OleColor> coloursWhileOpen;
    MessageWatcher messages([&](const MessageWatcher::Seen &) {
        QSignalSpy ticks(&form.Timer1, &QTimer::timeout);
        QVERIFY(ticks.wait(2000));
        QVERIFY(ticks.wait(2000));
        ticksWhileOpen = int(ticks.count());
        coloursWhileOpen = indicatorColours(channel);
        QCOMPARE(channel.enableBox->Value(), EnableBox::Ticked); // still ticked while the message is up
    });
    click(channel.enableBox);

    QCOMPARE(messages.seen.size(), 1);
    QCOMPARE(messages.seen[0].text, QStringLiteral("Port not found"));
    QCOMPARE(messages.seen[0].title, QGuiApplication::applicationDisplayName());
    QCOMPARE(messages.seen[0].icon, QMessageBox::NoIcon);
    QCOMPARE(messages.seen[0].buttonCount, 1);
    QVERIFY(ticksWhileOpen >= 2);
    // The poll cycle ran on a ticked channel with no port: no false colours.
    QCOMPARE(coloursWhileOpen, QList<OleColor>(PinCount, OleColors::WindowBackground));
    QCOMPARE(channel.enableBox->Value(), EnableBox::Clear);
    QVERIFY(!form.MSComm2.PortOpen());
    QCOMPARE(form.channel(1).enableBox->Value(), EnableBox::Clear);
}

void ChannelLogicTest::portHeldByAnotherChannelIsNotFound()
{
    PtyPair pty;
    Form1 &form = open({pty.slavePath(), pty.slavePath()});
    click(form.channel(1).enableBox);
    QVERIFY(form.MSComm1.PortOpen());
    MessageWatcher messages;
    click(form.channel(2).enableBox);
    QCOMPARE(messages.seen.size(), 1);
    QCOMPARE(messages.seen[0].text, QStringLiteral("Port not found"));
    QCOMPARE(form.channel(2).enableBox->Value(), EnableBox::Clear);

    // Channel 1 is untouched and still carries data.
    QVERIFY(form.MSComm1.PortOpen());
    QTest::keyClicks(form.channel(1).pin(Pin::Td), "ok");
    form.Timer1_Timer();
    QCOMPARE(pty.readFromMaster(2, QDeadlineTimer(Deadline)), QByteArray("ok"));
}

void ChannelLogicTest::clearingClosesAndTickingReopensWithSettingsHeld()
{
    PtyPair pty;
    Form1 &form = open({pty.slavePath(), pty.slavePath()});
    const ChannelControls &channel = form.channel(1);
    click(channel.enableBox);
    choose(channel.list(SettingRole::Speed), QStringLiteral("19200"));
    QCOMPARE(form.MSComm1.Settings(), QStringLiteral("19200,n,8,1"));

    click(channel.enableBox);
    QVERIFY(!form.MSComm1.PortOpen());
    // Closed for real: the other channel on the same device now opens it.
    MessageWatcher messages;
    click(form.channel(2).enableBox);
    QVERIFY(form.MSComm2.PortOpen());
    click(form.channel(2).enableBox);

    // Lists changed while off do not count until the next choice while on.
    channel.list(SettingRole::Speed)->setCurrentText(QStringLiteral("300"));
    click(channel.enableBox);
    QVERIFY(messages.seen.isEmpty());
    QVERIFY(form.MSComm1.PortOpen());
    QCOMPARE(pty.slaveBaudRate(), 19200);
    form.Timer1_Timer();
    QCOMPARE(channel.captionLabel->text(), QStringLiteral("19200,n,8,1  comNone"));
    choose(channel.list(SettingRole::Parity), QStringLiteral("e"));
    form.Timer1_Timer();
    QCOMPARE(channel.captionLabel->text(), QStringLiteral("300,e,8,1  comNone"));
    QCOMPARE(pty.slaveBaudRate(), 300);
}

void ChannelLogicTest::lineButtonsFlipOneLineOfAChannelThatIsOn()
{
    PtyPair pty;
    Form1 &form = open({QString(), pty.slavePath()});
    const ChannelControls &channel = form.channel(2);

    click(channel.dtrButton); // channel off: nothing changes
    QCOMPARE(channel.dtrButton->BackColor(), OleColors::ButtonFace);
    QVERIFY(!form.MSComm2.DTREnable());

    click(channel.enableBox);
    click(channel.dtrButton);
    QCOMPARE(channel.dtrButton->BackColor(), OleColors::Red);
    QCOMPARE(channel.rtsButton->BackColor(), OleColors::ButtonFace);
    QVERIFY(form.MSComm2.DTREnable());
    QVERIFY(!form.MSComm2.RTSEnable());
    QCOMPARE(PtyRig::outputs(pty).dtr, true);
    QCOMPARE(PtyRig::outputs(pty).rts, false);
    click(channel.dtrButton);
    QCOMPARE(channel.dtrButton->BackColor(), OleColors::ButtonFace);
    QCOMPARE(PtyRig::outputs(pty).dtr, false);

    // The device goes away: the click is not fatal and the button keeps it.
    pty.unplug();
    QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                 try {
                                     form.MSComm2.CDHolding();
                                     return false;
                                 } catch (const MSCommLib::CommError &) {
                                     return true;
                                 }
                             }()),
                             5000);
    click(channel.rtsButton);
    QCOMPARE(channel.rtsButton->BackColor(), OleColors::Red);
}

void ChannelLogicTest::settingsGoToEveryChannelThatIsOn()
{
    PtyPair pty;
    Form1 &form = open({pty.slavePath(), QString(), QStringLiteral("loopback"), QStringLiteral("loopback")});
    MessageWatcher messages;

    // All channels off: a choice writes nothing and says nothing.
    choose(form.channel(1).list(SettingRole::Speed), QStringLiteral("300"));
    QCOMPARE(form.MSComm1.Settings(), QStringLiteral("9600,n,8,1"));

    click(form.channel(1).enableBox);
    click(form.channel(3).enableBox);
    typeInto(form.channel(1).list(SettingRole::DataBits), QStringLiteral("7"));
    typeInto(form.channel(3).list(SettingRole::StopBits), QStringLiteral("2"));
    QCOMPARE(form.MSComm1.Settings(), QStringLiteral("9600,n,8,1")); // typing is no Click
    form.channel(4).list(SettingRole::Speed)->setCurrentText(QStringLiteral("110"));

    choose(form.channel(3).list(SettingRole::Handshaking), QStringLiteral("3"));
    QVERIFY(messages.seen.isEmpty());
    QCOMPARE(form.MSComm1.Settings(), QStringLiteral("300,n,7,1"));
    QCOMPARE(form.MSComm1.Handshaking(), 0);
    QCOMPARE(form.MSComm3.Settings(), QStringLiteral("9600,n,8,2"));
    QCOMPARE(form.MSComm3.Handshaking(), 3);
    QCOMPARE(form.MSComm4.Settings(), QStringLiteral("9600,n,8,1")); // off: left alone
    QCOMPARE(PtyRig::requestedTermios(pty)->c_cflag & CSIZE, tcflag_t(CS7));
    form.Timer1_Timer();
    QCOMPARE(form.channel(3).captionLabel->text(), QStringLiteral("9600,n,8,2  comRTSXOnXOff"));
    QCOMPARE(form.channel(1).captionLabel->text(), QStringLiteral("300,n,7,1  comNone"));
}

void ChannelLogicTest::channelsInErrorReportInChannelOrder()
{
    Form1 &form = open({QString(), QStringLiteral("loopback"), QString(), QStringLiteral("loopback")});
    click(form.channel(2).enableBox);
    click(form.channel(4).enableBox);
    form.channel(2).list(SettingRole::Speed)->setCurrentText(QStringLiteral("fast"));
    form.channel(2).list(SettingRole::Handshaking)->setCurrentText(QStringLiteral("1"));
    form.channel(4).list(SettingRole::Speed)->setCurrentText(QStringLiteral("4800"));
    form.channel(4).list(SettingRole::Handshaking)->setCurrentText(QStringLiteral("two"));

    QList<std::pair<int, int>> handshakingAtEachMessage;
    MessageWatcher messages([&](const MessageWatcher::Seen &) {
        handshakingAtEachMessage.append({form.MSComm2.Handshaking(), int(form.MSComm4.Settings().startsWith("4800"))});
    });
    choose(form.channel(1).list(SettingRole::Parity), QStringLiteral("o"));

    QCOMPARE(messages.seen.size(), 2);
    for (const MessageWatcher::Seen &message : messages.seen)
        QCOMPARE(message.text, QStringLiteral("Unacceptable"));
    // Channel 2's message comes while channel 4 is still untouched; a bad
    // speed does not stop the handshaking, a bad handshaking not the settings.
    QCOMPARE(handshakingAtEachMessage, (QList<std::pair<int, int>>{{1, 0}, {1, 1}}));
    QCOMPARE(form.MSComm2.Settings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(form.MSComm4.Handshaking(), 0);
}

void ChannelLogicTest::handshakingTextsAndNames()
{
    QCOMPARE(SettingLists::handshakingNumber(QStringLiteral(" 2 ")), 2);
    QCOMPARE(SettingLists::handshakingNumber(QStringLiteral("2.5")), std::nullopt);
    QCOMPARE(SettingLists::handshakingNumber(QString()), std::nullopt);
    QCOMPARE(MSCommLib::handshakeName(7), QString());
    QCOMPARE(MSCommLib::handshakeName(-1), QString());
    QVERIFY(PollCycle::readsTrue(QStringLiteral("True")));
    QVERIFY(!PollCycle::readsTrue(QString()));
    QVERIFY(!PollCycle::readsTrue(QStringLiteral("False")));

    Form1 &form = open({QStringLiteral("loopback")});
    click(form.channel(1).enableBox);
    MessageWatcher messages;
    QComboBox *handshaking = form.channel(1).list(SettingRole::Handshaking);
    const QStringList names{"comNone", "comXOnXOff", "comRTS", "comRTSXOnXOff"};
    for (int mode = 0; mode < 4; ++mode) {
        choose(handshaking, QString::number(mode));
        form.Timer1_Timer();
        QCOMPARE(form.channel(1).captionLabel->text(), QStringLiteral("9600,n,8,1  ") + names[mode]);
    }
    for (const QString &bad : {QStringLiteral("4"), QStringLiteral("-1"), QStringLiteral("1.5"), QString()}) {
        typeInto(handshaking, bad);
        choose(form.channel(1).list(SettingRole::Speed), QStringLiteral("2400"));
        QCOMPARE(form.MSComm1.Handshaking(), 3);
    }
    QCOMPARE(messages.seen.size(), 4);
    QCOMPARE(form.MSComm1.Settings(), QStringLiteral("2400,n,8,1"));
}

void ChannelLogicTest::unpluggedPortKeepsTheCycleGoing()
{
    PtyPair pty;
    Form1 &form = open({QString(), QString(), pty.slavePath()});
    const ChannelControls &channel = form.channel(3);
    click(channel.enableBox);
    QTest::keyClicks(channel.pin(Pin::Td), "data");
    form.Timer1.start();
    QSignalSpy ticks(&form.Timer1, &QTimer::timeout);
    QVERIFY(ticks.wait(2000));
    pty.unplug();
    MessageWatcher messages;
    while (ticks.count() < 6)
        QVERIFY(ticks.wait(2000));
    QCOMPARE(channel.enableBox->Value(), EnableBox::Ticked);
    QVERIFY(messages.seen.isEmpty());
    QCOMPARE(channel.pin(Pin::Gnd)->Text(), QStringLiteral("0")); // the refresh still runs to its end
    click(channel.enableBox);
    QVERIFY(!form.MSComm3.PortOpen());
    QVERIFY(messages.seen.isEmpty());
}

void ChannelLogicTest::loopbackPlugEndToEndWithTheRealTimer()
{
    Form1 &form = open({QStringLiteral("loopback")});
    const ChannelControls &channel = form.channel(1);
    form.Timer1.start();
    click(channel.enableBox);
    QTRY_COMPARE(channel.captionLabel->text(), QStringLiteral("9600,n,8,1  comNone"));
    QTest::keyClicks(channel.pin(Pin::Td), "hello");
    QTRY_COMPARE_WITH_TIMEOUT(channel.pin(Pin::Rd)->Text(), QStringLiteral("hello"), 5000);
    QCOMPARE(channel.pinIndicator(Pin::Rd)->BackColor(), OleColors::Green);
    click(channel.dtrButton);
    QTRY_COMPARE(channel.pin(Pin::Dtr)->Text(), QStringLiteral("True"));
    QCOMPARE(channel.pin(Pin::Dsr)->Text(), QStringLiteral("True"));
    QCOMPARE(channel.pinIndicator(Pin::Dcd)->BackColor(), OleColors::Green);
    choose(channel.list(SettingRole::Speed), QStringLiteral("19200"));
    QTRY_COMPARE(channel.captionLabel->text(), QStringLiteral("19200,n,8,1  comNone"));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    configureApplication();
    ChannelLogicTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_channellogic.moc"
