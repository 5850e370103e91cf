// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// Adapters as users have them: a device picked in the window and kept for the
// next start, and a device pulled out while its channel is on.

#include "ptypair.h"
#include "ptyrig.h"
#include "stderrcapture.h"
#include "windowtesting.h"

#include "controls/enablebox.h"
#include "controls/fittedlabel.h"
#include "controls/linebutton.h"
#include "controls/olecolor.h"
#include "controls/pintextbox.h"
#include "controls/shapeindicator.h"
#include "history/lanelayout.h"
#include "serial/portcatalogue.h"

#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Sernix::Controls;
using namespace Sernix::Rig;
using namespace Sernix::Window;

namespace {

constexpr int ReturnDeadlineMs = 5000;

// A device node that can be pulled out and plugged back in: a link at a
// fixed path to a pseudo-terminal that is replaced on every plug.
class Pluggable
{
public:
    Pluggable() { plug(); }

    QString path() const { return m_directory.filePath(QStringLiteral("ttyTEST")); }
    PtyPair &pty() { return *m_pty; }

    void plug()
    {
        m_pty = std::make_unique<PtyPair>();
        QFile::remove(path());
        QVERIFY(QFile::link(m_pty->slavePath(), path()));
    }
    void unplug()
    {
        QFile::remove(path());
        m_pty->unplug();
    }

private:
    QTemporaryDir m_directory;
    std::unique_ptr<PtyPair> m_pty;
};

// What the system would say of an adapter at the path.
void listAdapter(const QString &path, const QString &serialNumber)
{
    MSCommLib::PortDescription port;
    port.path = path;
    port.description = QStringLiteral("Test adapter");
    port.serialNumber = serialNumber;
    MSCommLib::setPortCatalogue({[port] { return QList{port}; }, {}});
}

QMenu *openDeviceMenu(QWidget *target)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, target->rect().center(),
                            target->mapToGlobal(target->rect().center()));
    QApplication::sendEvent(target, &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu)
        qFatal("no device menu");
    return menu;
}

QAction *actionStartingWith(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text().startsWith(text))
            return action;
    }
    qFatal("no menu entry %s", qPrintable(text));
}

QString toolTipOf(QWidget *widget)
{
    QHelpEvent event(QEvent::ToolTip, widget->rect().center(), widget->mapToGlobal(widget->rect().center()));
    QApplication::sendEvent(widget, &event);
    return widget->toolTip();
}

} // namespace

class DevicesTest : public QObject, Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        // A file of its own for each test: QSettings caches what it read.
        m_config = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config->path());
        MSCommLib::setPortCatalogue({[] { return QList<MSCommLib::PortDescription>{}; }, {}});
    }
    void cleanup() { finish(); }

    void pulledDeviceReadsFalseAndComesBackByItself();
    void anotherAdapterAtThePathIsNotTakenForTheFirst();
    void untickingEndsTheWaitForADevice();
    void deviceChosenInTheMenuIsKeptForTheNextStart();
    void menuChangesNothingWhileTheChannelIsOn();
    void linkNamedInTheTrafficViewIsKeptForTheNextStart();
    void unusableSettingsAreIgnoredAndLeftAsTheyAre_data();
    void unusableSettingsAreIgnoredAndLeftAsTheyAre();

private:
    QString settingsFile() const { return m_config->filePath(QStringLiteral("Draventa/Sernix.conf")); }

    std::unique_ptr<QTemporaryDir> m_config;
};

void DevicesTest::pulledDeviceReadsFalseAndComesBackByItself()
{
    Pluggable device;
    Form1 &form = open({device.path()});
    const ChannelControls &channel = form.channel(1);
    click(channel.enableBox);
    click(channel.dtrButton);
    PtyRig::receiveErrors(device.pty(), {.framing = 2});
    form.Timer1_Timer();
    QCOMPARE(channel.pin(Pin::Dcd)->Text(), QStringLiteral("True"));
    const QString counts = channel.connectorPanel->toolTip();
    QCOMPARE(counts, QStringLiteral("DCD 1, DSR 1, CTS 0, RI 0; framing 2, parity 0, overrun 0, break 0"));

    const StderrCapture diagnostics;
    device.unplug();
    QStringList heard; // what a screen reader is told of the device, change by change
    const auto tick = [&] {
        form.Timer1_Timer();
        if (const QString said = channel.deviceState->accessibleDescription(); heard.value(heard.size() - 1) != said)
            heard << said;
        return channel.deviceState->text();
    };
    QTRY_COMPARE_WITH_TIMEOUT(tick(), QStringLiteral("device lost"), ReturnDeadlineMs);
    tick();
    QCOMPARE(heard, QStringList{"device lost"});
    QCOMPARE(channel.pin(Pin::Dcd)->Text(), QStringLiteral("False"));
    QCOMPARE(channel.pinIndicator(Pin::Dcd)->BackColor(), OleColors::WindowBackground);
    QCOMPARE(channel.enableBox->Value(), EnableBox::Ticked);
    QVERIFY(diagnostics.text().contains(
        QStringLiteral("COM1: %1 lost; waiting for it to return").arg(device.path()).toLocal8Bit()));

    // Chosen while the device is away: kept, not refused, and applied on its return.
    channel.list(SettingRole::Speed)->setCurrentText(QStringLiteral("19200"));
    channel.list(SettingRole::Parity)->setCurrentText(QStringLiteral("m"));
    channel.list(SettingRole::DataBits)->setCurrentText(QStringLiteral("7"));
    choose(channel.list(SettingRole::Handshaking), QStringLiteral("1"));
    click(channel.dtrButton);
    click(channel.rtsButton);
    QVERIFY(messages.take().isEmpty());

    device.plug();
    QTRY_COMPARE_WITH_TIMEOUT((form.Timer1_Timer(), channel.deviceState->text()), QString(), ReturnDeadlineMs);
    QCOMPARE(channel.enableBox->Value(), EnableBox::Ticked);
    QCOMPARE(device.pty().slaveBaudRate(), 19200);
    QCOMPARE(PtyRig::requestedTermios(device.pty())->c_cflag & (CSIZE | PARENB | PARODD | CMSPAR),
             tcflag_t(CS7 | PARENB | PARODD | CMSPAR));
    const termios line = device.pty().slaveTermios();
    QVERIFY((line.c_iflag & IXON) && (line.c_iflag & IXOFF) && !(line.c_cflag & CRTSCTS));
    QCOMPARE(PtyRig::outputs(device.pty()).dtr, false);
    QCOMPARE(PtyRig::outputs(device.pty()).rts, true);
    QVERIFY(diagnostics.text().contains(QStringLiteral("COM1: %1 is back").arg(device.path()).toLocal8Bit()));
    device.pty().writeToMaster("live");
    QString received;
    QTRY_COMPARE((form.Timer1_Timer(), received += channel.pin(Pin::Rd)->Text()), QStringLiteral("live"));
    QCOMPARE(channel.pin(Pin::Cts)->Text(), QStringLiteral("True"));
    QCOMPARE(channel.connectorPanel->toolTip(), counts); // the counts carry on
}

void DevicesTest::anotherAdapterAtThePathIsNotTakenForTheFirst()
{
    Pluggable device;
    listAdapter(device.path(), QStringLiteral("FIRST"));
    MSCommLib::MSComm port(1, device.path());
    port.setPortOpen(true);

    const StderrCapture diagnostics;
    device.unplug();
    QTRY_COMPARE(port.deviceState(), MSCommLib::DeviceState::Lost);
    listAdapter(device.path(), QStringLiteral("SECOND"));
    device.plug();
    QTRY_COMPARE_WITH_TIMEOUT(port.deviceState(), MSCommLib::DeviceState::OtherAdapter, ReturnDeadlineMs);
    QVERIFY(diagnostics.text().contains("SECOND, not FIRST"));
    QSignalSpy looks(port.findChild<QTimer *>(QStringLiteral("returnLook")), &QTimer::timeout);
    QTRY_VERIFY(looks.count() >= 3);
    QCOMPARE(port.deviceState(), MSCommLib::DeviceState::OtherAdapter);

    device.unplug();
    listAdapter(device.path(), QStringLiteral("FIRST"));
    device.plug();
    QTRY_COMPARE_WITH_TIMEOUT(port.deviceState(), MSCommLib::DeviceState::Present, ReturnDeadlineMs);
}

void DevicesTest::untickingEndsTheWaitForADevice()
{
    Pluggable device;
    Form1 &form = open({device.path()});
    const ChannelControls &channel = form.channel(1);
    click(channel.enableBox);
    const StderrCapture diagnostics;
    device.unplug();
    QTRY_COMPARE_WITH_TIMEOUT((form.Timer1_Timer(), channel.deviceState->text()), QStringLiteral("device lost"),
                              ReturnDeadlineMs);
    click(channel.enableBox);
    form.Timer1_Timer();
    QCOMPARE(channel.deviceState->text(), QString());
    QVERIFY(!form.MSComm1.PortOpen());
    QVERIFY(!form.MSComm1.findChild<QTimer *>(QStringLiteral("returnLook"))->isActive());
}

void DevicesTest::deviceChosenInTheMenuIsKeptForTheNextStart()
{
    Pluggable device;
    listAdapter(device.path(), QStringLiteral("A10K3B5Z"));
    Form1 *form = &open({});
    openDeviceMenu(form->channel(2).connectorPanel)->close(); // the panel offers the menu too
    QMenu *menu = openDeviceMenu(form->channel(1).enableBox);
    QAction *adapter = actionStartingWith(menu, device.path());
    QVERIFY(adapter->text().contains(QStringLiteral("Test adapter, serial A10K3B5Z")));
    adapter->trigger();
    menu->close();
    QCOMPARE(form->MSComm1.deviceName(), device.path());
    QVERIFY(toolTipOf(form->channel(1).enableBox).contains(QStringLiteral("Test adapter")));
    menu = openDeviceMenu(form->channel(2).enableBox);
    QVERIFY(actionStartingWith(menu, device.path())->text().endsWith(QStringLiteral("(bound to Com1)")));
    menu->close();

    // The next start opens the device chosen, unless --com1 names another.
    window.reset();
    form = &open(DeviceBindings::forStart({}));
    QCOMPARE(form->MSComm1.deviceName(), device.path());
    QVERIFY(actionStartingWith(openDeviceMenu(form->channel(1).enableBox), device.path())->isChecked());
    QApplication::activePopupWidget()->close();
    click(form->channel(1).enableBox);
    QVERIFY(form->MSComm1.PortOpen());
    click(form->channel(1).enableBox);
    window.reset();
    form = &open(DeviceBindings::forStart({QStringLiteral("loopback")}));
    QCOMPARE(form->MSComm1.deviceName(), QStringLiteral("loopback"));
    QCOMPARE(DeviceBindings::load().at(0), device.path()); // --com1 is for this run only
    MSCommLib::setPortCatalogue({[] { return QList<MSCommLib::PortDescription>{}; }, {}});
    window.reset();
    form = &open(DeviceBindings::forStart({}));
    menu = openDeviceMenu(form->channel(1).enableBox);
    const QAction *absent = actionStartingWith(menu, device.path());
    QVERIFY(absent->isChecked());
    QCOMPARE(absent->text(), device.path() + QStringLiteral("  (not found now)"));
    menu->close();

    // "Default" forgets the binding.
    menu = openDeviceMenu(form->channel(1).connectorPanel);
    actionStartingWith(menu, QStringLiteral("Default (COM1)"))->trigger();
    menu->close();
    QCOMPARE(form->MSComm1.deviceName(), MSCommLib::MSComm::defaultDeviceName(1));
    QCOMPARE(DeviceBindings::load().at(0), QString());
}

void DevicesTest::linkNamedInTheTrafficViewIsKeptForTheNextStart()
{
    for (const QString &chosen : {QStringLiteral("COM1 \u21c4 COM3"), QStringLiteral("none")}) {
        Form1 *form = &open(DeviceBindings::forStart({}));
        QTest::keyClick(form, Qt::Key_T, Qt::ControlModifier);
        auto *link = form->findChild<QComboBox *>(QStringLiteral("TrafficLink"));
        link->setCurrentIndex(link->findText(chosen));
        Q_EMIT link->activated(link->currentIndex());
        window.reset();
        form = &open(DeviceBindings::forStart({}));
        QTest::keyClick(form, Qt::Key_H, Qt::ControlModifier); // COM3's lanes below COM1's, unless none
        QCOMPARE(Sernix::History::LaneLayout::channelTop(3) / Sernix::History::LaneLayout::ChannelHeight,
                 chosen == QStringLiteral("none") ? 2 : 1);
        QTest::keyClick(form, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(form->findChild<QComboBox *>(QStringLiteral("TrafficLink"))->currentText(), chosen);
        window.reset();
    }
}

void DevicesTest::menuChangesNothingWhileTheChannelIsOn()
{
    Form1 &form = open({QStringLiteral("loopback")});
    click(form.channel(1).enableBox);
    QMenu *menu = openDeviceMenu(form.channel(1).enableBox);
    QVERIFY(menu->actions().first()->text().startsWith(QStringLiteral("Untick Com1")));
    // Only the binding is locked: the counts of the open port may be reset, the record looked at.
    for (QAction *action : menu->actions())
        QVERIFY2(!action->isEnabled() || action->isSeparator() || action->text() == QLatin1String("Reset counters")
                     || action->text() == QStringLiteral("History\u2026")
                     || action->text() == QStringLiteral("Traffic\u2026"),
                 qPrintable(action->text()));
    menu->close();
    QCOMPARE(form.MSComm1.deviceName(), QStringLiteral("loopback"));
    QVERIFY(!QFile::exists(settingsFile()));
}

void DevicesTest::unusableSettingsAreIgnoredAndLeftAsTheyAre_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("malformed") << QByteArray("[ports\ncom1=/dev/ttyUSB0\n");
    QTest::newRow("empty") << QByteArray("[ports]\ncom1=\n");
    QTest::newRow("a list") << QByteArray("[ports]\ncom1=/dev/ttyUSB0, /dev/ttyUSB1\n");
    QTest::newRow("not text") << QByteArray("[ports]\ncom1=\xff\xfe\n");
    QTest::newRow("unreadable") << QByteArray("[ports]\ncom1=@Variant(\\0\\0\\0\\x7f\\0)\n");
}

void DevicesTest::unusableSettingsAreIgnoredAndLeftAsTheyAre()
{
    QFETCH(QByteArray, content);
    QDir().mkpath(QFileInfo(settingsFile()).path());
    QFile file(settingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    const StderrCapture diagnostics;
    const Form1::DeviceNames devices = DeviceBindings::forStart({});
    QCOMPARE(devices.at(0), QString());
    QVERIFY(diagnostics.text().contains("sernix: ignoring"));
    open(devices);
    window.reset();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

QTEST_MAIN(DevicesTest)
#include "tst_devices.moc"
