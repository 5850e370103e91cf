// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "form1.h"

#include "abouttexts.h"
#include "devicemenu.h"
#include "module1.h"
#include "windowdesign.h"

#include "channel/channelswitch.h"
#include "channel/linetoggles.h"
#include "channel/pollcycle.h"
#include "channel/settinglists.h"
#include "channel/transmitlatch.h"
#include "controls/accessiblefactory.h"
#include "controls/clickableframe.h"
#include "controls/clickableimage.h"
#include "controls/enablebox.h"
#include "controls/linebutton.h"
#include "controls/multilinetextbox.h"
#include "history/historyview.h"
#include "history/historywindow.h"
#include "history/trafficwindow.h"

#include <QComboBox>
#include <QDate>
#include <QLocale>
#include <QMenuBar>
#include <QShortcut>
#include <QShowEvent>

namespace Sernix::Window {

using namespace Sernix::Controls;

namespace {

QFont dialogFont()
{
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
#ifdef Q_OS_WIN
    // Windows knows no family of that name and hands an unknown name whatever
    // face comes first; under Wine that may be a math face whose line is
    // taller than a pin box, so that the boxes show no text. Name real faces:
    // the design's own, Wine's stand-in for it, and the one Linux draws with.
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
#endif
    return font;
}

} // namespace

Form1::Form1(const DeviceNames &devices, const MSCommLib::SteadyClock &clock, QWidget *parent)
    : QMainWindow(parent)
    , MSComm1(1, devices[0], clock)
    , MSComm2(2, devices[1], clock)
    , MSComm3(3, devices[2], clock)
    , MSComm4(4, devices[3], clock)
    , m_record(Sernix::Record::Clock(clock))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Sernix-eng Ver. 1.1"));
    setFont(dialogFont());

    m_aboutCommand = menuBar()->addAction(QStringLiteral("About"));
    m_aboutCommand->setObjectName(QStringLiteral("mnu_Prog"));

    auto *client = new QWidget(this);
    installAccessibleFactory();
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setAccessibleName(QStringLiteral("Ports and lines"));
    setCentralWidget(client);
    m_controls = buildWindowControls(client);
    attachSerialControls();
    attachDeviceMenus();
    attachRecord();

    const QSize clientSize = WindowDesign::ClientSize / TwipsPerPixel;
    // The menu bar's height as laid out, which on Windows is more than its size hint.
    resize(clientSize.width(), clientSize.height() + menuBar()->heightForWidth(clientSize.width()));

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(WindowDesign::TimerInterval);
    connectHandlers();

    // The timer starts when the window is first shown, after this, so the
    // load step always runs before the poll cycle.
    Form_Load();
}

Form1::~Form1() = default;

void Form1::showEvent(QShowEvent *event)
{
    // The looks are counted from the window's first showing: making the
    // window can take most of a second (under Wine), and looks that fell due
    // meanwhile would be lost, not caught up.
    if (!std::exchange(m_shownOnce, true))
        Timer1.start();
    QMainWindow::showEvent(event);
}

void Form1::attachSerialControls()
{
    const std::array<MSCommLib::MSComm *, ChannelCount> serialControls{&MSComm1, &MSComm2, &MSComm3, &MSComm4};
    for (ChannelControls &controls : m_controls.channels)
        controls.serialControl = serialControls.at(std::size_t(controls.entry->arrayIndex()));
}

void Form1::attachDeviceMenus()
{
    for (const ChannelControls &controls : m_controls.channels) {
        auto *menu = new DeviceMenu(controls, m_controls.channels, this);
        connect(menu, &DeviceMenu::historyRequested, this, &Form1::showHistory);
        connect(menu, &DeviceMenu::trafficRequested, this, &Form1::showTraffic);
    }
    auto *history = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(history, &QShortcut::activated, this, [this] { showHistory(1); });
    auto *traffic = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    connect(traffic, &QShortcut::activated, this, [this] { showTraffic(1); });
}

void Form1::showHistory(int channel)
{
    if (!m_history) {
        m_history = new Sernix::History::HistoryWindow(m_record, m_recordings, this);
        m_history->setLink(m_traffic ? m_traffic->link() : DeviceBindings::loadLink());
        shareCursor();
    }
    m_history->showChannel(channel);
}

// One cursor for both windows: a row chosen in the traffic view moves the
// history window's cursor to its time, and the cursor moved there scrolls
// the traffic view to it. Once both windows exist.
void Form1::shareCursor()
{
    if (!m_history || !m_traffic)
        return;
    Sernix::History::HistoryView *view = &m_history->view();
    connect(m_traffic, &Sernix::History::TrafficWindow::rowTimeChosen, view,
            [view](qint64 time) { view->placeCursor(time); });
    connect(view, &Sernix::History::HistoryView::readOutChanged, m_traffic, [this, view] {
        if (const std::optional<qint64> time = view->cursorTime())
            m_traffic->showTime(*time);
    });
}

void Form1::showTraffic(int channel)
{
    if (!m_traffic) {
        m_traffic = new Sernix::History::TrafficWindow(m_record, this);
        m_traffic->setLink(DeviceBindings::loadLink());
        // A view choice kept with the device bindings, and the history window's lane order.
        connect(m_traffic, &Sernix::History::TrafficWindow::linkChosen, this, [this](quint8 link) {
            DeviceBindings::storeLink(link);
            if (m_history)
                m_history->setLink(link);
        });
        shareCursor();
    }
    m_traffic->showChannel(channel);
}

void Form1::attachRecord()
{
    for (const ChannelControls &controls : m_controls.channels) {
        const int number = controls.entry->arrayIndex() + 1;
        m_recordFeeds.at(std::size_t(number - 1)) =
            std::make_unique<Sernix::Channel::RecordFeed>(m_record, number, *controls.serialControl);
    }
}

void Form1::connectHandlers()
{
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connectChannelHandlers();
    connect(m_aboutCommand, &QAction::triggered, this, &Form1::mnu_Prog_Click);
    connect(m_controls.about.panel, &ClickableFrame::clicked, this, &Form1::Frame4_Click);
    connect(m_controls.about.picture, &ClickableImage::clicked, this, &Form1::Image2_Click);
    connect(m_controls.about.aboutText, &MultiLineTextBox::clicked, this, &Form1::Text38_Click);
}

void Form1::connectChannelHandlers()
{
    using Handler = void (Form1::*)();
    struct ChannelHandlers
    {
        Handler enableBox;
        Handler dtrButton;
        Handler rtsButton;
    };
    static constexpr std::array<ChannelHandlers, ChannelCount> Handlers{{
        {&Form1::Check1_Click, &Form1::Command3_Click, &Form1::Command4_Click},
        {&Form1::Check2_Click, &Form1::Command5_Click, &Form1::Command6_Click},
        {&Form1::Check3_Click, &Form1::Command7_Click, &Form1::Command8_Click},
        {&Form1::Check4_Click, &Form1::Command9_Click, &Form1::Command10_Click},
    }};
    for (const ChannelControls &controls : m_controls.channels) {
        const ChannelHandlers &handler = Handlers.at(std::size_t(controls.entry->arrayIndex()));
        // The box's Click runs on every change of its state, by the user or by code.
        connect(controls.enableBox, &QCheckBox::stateChanged, this, handler.enableBox);
        connect(controls.dtrButton, &QPushButton::clicked, this, handler.dtrButton);
        connect(controls.rtsButton, &QPushButton::clicked, this, handler.rtsButton);
        for (int role = 0; role < SettingRoleCount; ++role) {
            const int index = controls.entry->settingList.at(std::size_t(role));
            // Choosing from the drop-down (also the item shown) is a Click; typing is not.
            connect(controls.list(SettingRole(role)), &QComboBox::activated, this,
                    [this, index] { Combo1_Click(index); });
        }
    }
}

void Form1::Form_Load()
{
    const user32::HWND handle = user32::windowHandle(this);
    Module1::SetWindowIcon(handle, QStringLiteral("Icon1"), -1);
    for (qint16 &latch : Module1::TransmitLatch)
        latch = Channel::TransmitLatch::Ready;
    // The date is taken once: a run that passes midnight keeps its start date.
    setWindowTitle(QLatin1String(AboutTexts::TitleText) + QLatin1String("  ")
                   + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    m_controls.about.aboutText->setText(AboutTexts::aboutText());
    m_controls.about.termsText->setText(AboutTexts::termsText());
}

void Form1::Timer1_Timer()
{
    for (const ChannelControls &controls : m_controls.channels) {
        qint16 &latch = Module1::TransmitLatch.at(std::size_t(controls.entry->arrayIndex()));
        if (controls.enableBox->Value() == EnableBox::Ticked)
            Channel::PollCycle::refresh(controls, latch);
        else
            Channel::PollCycle::reset(controls);
    }
}

void Form1::Check1_Click()
{
    Channel::ChannelSwitch::click(channel(1), this);
}
void Form1::Check2_Click()
{
    Channel::ChannelSwitch::click(channel(2), this);
}
void Form1::Check3_Click()
{
    Channel::ChannelSwitch::click(channel(3), this);
}
void Form1::Check4_Click()
{
    Channel::ChannelSwitch::click(channel(4), this);
}

void Form1::Command3_Click()
{
    Channel::LineToggles::click(channel(1), Channel::LineToggles::Line::Dtr);
}
void Form1::Command4_Click()
{
    Channel::LineToggles::click(channel(1), Channel::LineToggles::Line::Rts);
}
void Form1::Command5_Click()
{
    Channel::LineToggles::click(channel(2), Channel::LineToggles::Line::Dtr);
}
void Form1::Command6_Click()
{
    Channel::LineToggles::click(channel(2), Channel::LineToggles::Line::Rts);
}
void Form1::Command7_Click()
{
    Channel::LineToggles::click(channel(3), Channel::LineToggles::Line::Dtr);
}
void Form1::Command8_Click()
{
    Channel::LineToggles::click(channel(3), Channel::LineToggles::Line::Rts);
}
void Form1::Command9_Click()
{
    Channel::LineToggles::click(channel(4), Channel::LineToggles::Line::Dtr);
}
void Form1::Command10_Click()
{
    Channel::LineToggles::click(channel(4), Channel::LineToggles::Line::Rts);
}

void Form1::Combo1_Click(int Index)
{
    Q_UNUSED(Index); // every list applies all channels that are on
    Channel::SettingLists::apply(m_controls.channels, this);
}

void Form1::mnu_Prog_Click()
{
    // The panel's own Visible flag, not whether it is on screen right now.
    m_controls.about.panel->setVisible(m_controls.about.panel->isHidden());
}

void Form1::Frame4_Click()
{
    m_controls.about.panel->setVisible(false);
}

void Form1::Image2_Click()
{
    m_controls.about.panel->setVisible(false);
}

void Form1::Text38_Click()
{
    m_controls.about.panel->setVisible(false);
}

} // namespace Sernix::Window
