// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "devicemenu.h"

#include "devicebindings.h"

#include "controls/enablebox.h"
#include "serial/mscomm.h"
#include "serial/portbackend.h"
#include "serial/portcatalogue.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHelpEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>

namespace Sernix::Window {

using namespace Sernix::Controls;

namespace {

// What the "Other device" dialog offers as an example of a device name.
#ifdef Q_OS_WIN
const QLatin1String ExampleDevice("COM10");
#else
const QLatin1String ExampleDevice("/dev/ttyUSB0");
#endif

// "FT232R USB UART, FTDI, serial A10K3B5Z, 0403:6001": what the system
// knows, leaving out what it does not.
QString details(const MSCommLib::PortDescription &port)
{
    QStringList known{port.description, port.manufacturer};
    if (!port.serialNumber.isEmpty())
        known << QStringLiteral("serial %1").arg(port.serialNumber);
    known << port.usbId();
    known.removeAll(QString());
    return known.join(QLatin1String(", "));
}

} // namespace

DeviceMenu::DeviceMenu(const ChannelControls &channel, std::span<const ChannelControls> channels, QWidget *window)
    : QObject(window)
    , m_channel(channel)
    , m_channels(channels)
    , m_window(window)
{
    for (QWidget *target :
         {static_cast<QWidget *>(channel.enableBox), static_cast<QWidget *>(channel.connectorPanel)}) {
        target->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(target, &QWidget::customContextMenuRequested, this,
                [this, target](const QPoint &position) { popUp(target, position); });
    }
    channel.enableBox->installEventFilter(this);
}

QMenu *DeviceMenu::createMenu()
{
    const int number = m_channel.entry->number;
    const QString current = m_channel.serialControl->deviceName();
    const bool on = m_channel.enableBox->Value() == EnableBox::Ticked;

    auto *menu = new QMenu(m_window);
    menu->setObjectName(QStringLiteral("DeviceMenu(%1)").arg(number - 1));
    if (on)
        menu->addAction(QStringLiteral("Untick Com%1 to change its device").arg(number))->setEnabled(false);
    auto *choices = new QActionGroup(menu);
    const auto addChoice = [&](const QString &text, const QString &device, const QString &stored) {
        QAction *action = menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(MSCommLib::samePort(device, current));
        action->setEnabled(!on);
        choices->addAction(action);
        connect(action, &QAction::triggered, this, [this, device, stored] { bind(device, stored); });
        return action;
    };

    bool currentListed = false;
    for (const MSCommLib::PortDescription &port : MSCommLib::availablePorts()) {
        QString text = port.path;
        if (const QString known = details(port); !known.isEmpty())
            text += QStringLiteral("  \u2014  ") + known;
        if (const QString other = boundElsewhere(port.path); !other.isEmpty())
            text += QStringLiteral("  (bound to %1)").arg(other);
        const QAction *action = addChoice(text, port.bindingPath(), port.bindingPath());
        currentListed = currentListed || action->isChecked();
    }
    const QString defaultDevice = MSCommLib::MSComm::defaultDeviceName(number);
    const QString loopback = MSCommLib::LoopbackDeviceName.toString();
    if (!currentListed && !MSCommLib::samePort(current, defaultDevice) && current != loopback)
        addChoice(QStringLiteral("%1  (not found now)").arg(current), current, current);
    menu->addSeparator();
    addChoice(QStringLiteral("Loop-back plug (simulated)"), loopback, loopback);
    QAction *other = menu->addAction(QStringLiteral("Other device\u2026"));
    other->setEnabled(!on);
    connect(other, &QAction::triggered, this, &DeviceMenu::askForDevice);
    addChoice(QStringLiteral("Default (COM%1)").arg(number), defaultDevice, QString())->setToolTip(defaultDevice);
    // On the enable box too, so that the keyboard reaches it.
    menu->addSeparator();
    QAction *reset = menu->addAction(QStringLiteral("Reset counters"));
    reset->setEnabled(m_channel.serialControl->PortOpen());
    connect(reset, &QAction::triggered, this, [this] { m_channel.serialControl->resetLineEvents(); });
    menu->addSeparator();
    QAction *history = menu->addAction(QStringLiteral("History\u2026"));
    connect(history, &QAction::triggered, this, [this, number] { Q_EMIT historyRequested(number); });
    QAction *traffic = menu->addAction(QStringLiteral("Traffic\u2026"));
    connect(traffic, &QAction::triggered, this, [this, number] { Q_EMIT trafficRequested(number); });
    return menu;
}

QString DeviceMenu::toolTip() const
{
    const MSCommLib::MSComm &port = *m_channel.serialControl;
    QStringList lines{QStringLiteral("Com%1: %2").arg(m_channel.entry->number).arg(port.deviceName())};
    if (port.deviceName() == MSCommLib::LoopbackDeviceName)
        lines << QStringLiteral("Simulated loop-back plug: TD to RD, RTS to CTS, DTR to DSR and DCD");
    else if (const auto found = MSCommLib::describePort(port.deviceName()); found && !details(*found).isEmpty())
        lines << details(*found);
    if (!port.lastOpenFailure().isEmpty())
        lines << QStringLiteral("Last opening failed: %1").arg(port.lastOpenFailure());
    lines << QStringLiteral("Right click to choose another device");
    return lines.join(QLatin1Char('\n'));
}

bool DeviceMenu::eventFilter(QObject *watched, QEvent *event)
{
    // Made when asked for, so that it tells how things are now.
    if (event->type() == QEvent::ToolTip)
        m_channel.enableBox->setToolTip(toolTip());
    // Shift+F10 asks for the context menu, as the menu key does.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            const QPoint centre = m_channel.enableBox->rect().center();
            QContextMenuEvent request(QContextMenuEvent::Keyboard, centre, m_channel.enableBox->mapToGlobal(centre));
            QCoreApplication::sendEvent(m_channel.enableBox, &request);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void DeviceMenu::popUp(QWidget *from, const QPoint &position)
{
    QMenu *menu = createMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(from->mapToGlobal(position));
}

void DeviceMenu::bind(const QString &deviceName, const QString &stored)
{
    // The menu offers nothing while the channel is on, but it may have been
    // left open while the box was ticked.
    if (m_channel.enableBox->Value() == EnableBox::Ticked)
        return;
    m_channel.serialControl->setDeviceName(deviceName);
    DeviceBindings::store(m_channel.entry->number, stored);
}

void DeviceMenu::askForDevice()
{
    bool accepted = false;
    const QString device =
        QInputDialog::getText(
            m_window, QStringLiteral("Device of Com%1").arg(m_channel.entry->number),
            QStringLiteral("A serial device (such as %1), loopback, or rfc2217://HOST:PORT:").arg(ExampleDevice),
            QLineEdit::Normal, m_channel.serialControl->deviceName(), &accepted)
            .trimmed();
    if (accepted && !device.isEmpty())
        bind(device, device);
}

QString DeviceMenu::boundElsewhere(const QString &deviceName) const
{
    for (const ChannelControls &other : m_channels) {
        if (&other != &m_channel && MSCommLib::samePort(other.serialControl->deviceName(), deviceName))
            return QStringLiteral("Com%1").arg(other.entry->number);
    }
    return {};
}

} // namespace Sernix::Window
