// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "controls/channelcontrols.h"

#include <QObject>

#include <span>

class QMenu;
class QPoint;

namespace Sernix::Window {

// Binds a channel to a device: the context menu of its enable box and of its
// connector panel (right click, or the menu key on the box) lists the serial
// ports found now, the simulated loop-back plug, any other device by name,
// and the platform's default. A choice is kept for the next start. The
// binding changes only while the channel is off; the menu says so otherwise.
// Both menus also reset the line event counts of an open port; Shift+F10 on
// the box opens its menu as the menu key does.
// The enable box's tooltip names the bound device, what the system knows of
// it, and why its last opening failed. Both menus end with the history window
// and the traffic view.
class DeviceMenu : public QObject
{
    Q_OBJECT
public:
    // channels: all of the window's, to mark the ports bound elsewhere.
    DeviceMenu(const Controls::ChannelControls &channel, std::span<const Controls::ChannelControls> channels,
               QWidget *window);

    // The menu as things stand now, for the caller to show and delete.
    QMenu *createMenu();
    QString toolTip() const;

Q_SIGNALS:
    void historyRequested(int channel);
    void trafficRequested(int channel);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void popUp(QWidget *from, const QPoint &position);
    void bind(const QString &deviceName, const QString &stored);
    void askForDevice();
    QString boundElsewhere(const QString &deviceName) const;

    const Controls::ChannelControls &m_channel;
    std::span<const Controls::ChannelControls> m_channels;
    QWidget *m_window;
};

} // namespace Sernix::Window
