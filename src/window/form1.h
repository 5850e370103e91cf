// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "devicebindings.h"
#include "windowbuilder.h"

#include "channel/recordfeed.h"
#include "record/record.h"
#include "record/recordings.h"
#include "serial/mscomm.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <memory>

class QAction;

namespace Sernix::History {
class HistoryWindow;
class TrafficWindow;
} // namespace Sernix::History

namespace Sernix::Window {

// The program's one window: four channels of a serial port each, the
// poll timer, and the About panel.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    // Device of each channel's port; an empty name is the platform's COMn.
    using DeviceNames = DeviceBindings::DeviceNames;

    // The clock stamps the record and times the ports.
    explicit Form1(const DeviceNames &devices = {},
                   const MSCommLib::SteadyClock &clock = MSCommLib::SteadyClock::monotonic(),
                   QWidget *parent = nullptr);
    ~Form1() override;

    // The serial controls, bound to ports 1 to 4 for the whole run.
    MSCommLib::MSComm MSComm1;
    MSCommLib::MSComm MSComm2;
    MSCommLib::MSComm MSComm3;
    MSCommLib::MSComm MSComm4;

    QTimer Timer1;

    const Controls::ChannelControls &channel(int number) const
    {
        return m_controls.channels.at(std::size_t(number - 1));
    }

    // What happened on the four channels since the start, and the files it
    // is being written to.
    Sernix::Record::Record &record() { return m_record; }
    Sernix::Record::Recordings &recordings() { return m_recordings; }

    // The record drawn on one time line, in a window of its own, opened
    // with the channel's lanes in sight (Ctrl+H, or a channel's menus).
    void showHistory(int channel);
    // The record's bytes as a table in hex and text, opened with the
    // channel among those shown (Ctrl+T, or a channel's menus).
    void showTraffic(int channel);

public Q_SLOTS:
    void Timer1_Timer();

    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();

    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();

    void Combo1_Click(int Index);

    void mnu_Prog_Click();
    void Frame4_Click();
    void Image2_Click();
    void Text38_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void shareCursor();
    void Form_Load();
    void attachSerialControls();
    void attachDeviceMenus();
    void attachRecord();
    void connectHandlers();
    void connectChannelHandlers();

    WindowControls m_controls;
    QAction *m_aboutCommand = nullptr;
    Sernix::Record::Record m_record;
    Sernix::Record::Recordings m_recordings{m_record};
    std::array<std::unique_ptr<Sernix::Channel::RecordFeed>, Sernix::Controls::ChannelCount> m_recordFeeds;
    Sernix::History::HistoryWindow *m_history = nullptr;
    Sernix::History::TrafficWindow *m_traffic = nullptr;
    bool m_shownOnce = false;
};

} // namespace Sernix::Window
