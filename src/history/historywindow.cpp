// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "historywindow.h"

#include "historyview.h"
#include "lanelayout.h"
#include "readout.h"
#include "timeaxis.h"

#include "record/recording.h"
#include "record/recordings.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <utility>

namespace Sernix::History {

using Record::Category;
using Record::FileKind;

namespace {

const QString FileFilters = QStringLiteral("CSV file (*.csv);;VCD file (*.vcd)");

// The platform's file dialog; a name typed without an extension takes the
// one of the chosen filter.
QString askForPath(QWidget *parent, const QString &caption, bool confirmReplace)
{
    QString filter;
    QString path =
        QFileDialog::getSaveFileName(parent, caption, QString(), FileFilters, &filter,
                                     confirmReplace ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty() && !Record::fileKindOf(path))
        path += filter.startsWith(QLatin1String("VCD")) ? QStringLiteral(".vcd") : QStringLiteral(".csv");
    return path;
}

} // namespace

HistoryWindow::HistoryWindow(const Record::Record &record, Record::Recordings &recordings, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_record(record)
    , m_recordings(recordings)
    , m_choosePath(askForPath)
{
    setObjectName(QStringLiteral("History"));
    setWindowTitle(QStringLiteral("Sernix history"));

    m_view = new HistoryView(record, this);
    m_axis = new TimeAxis(record.clock(), m_view->scale(), this);
    m_lanes = new QScrollArea(this);
    m_lanes->setObjectName(QStringLiteral("HistoryLanes"));
    m_lanes->setWidget(m_view);
    m_lanes->setWidgetResizable(true);
    m_lanes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lanes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_lanes->setFocusPolicy(Qt::NoFocus);
    // Framed, the lanes' time line would not start where the axis's does.
    m_lanes->setFrameShape(QFrame::NoFrame);

    m_readOut = new QLabel(this);
    m_readOut->setObjectName(QStringLiteral("HistoryReadOut"));
    m_readOut->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_heldSince = new QLabel(this);
    m_heldSince->setObjectName(QStringLiteral("HistoryHeldSince"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("HistoryStatus"));
    m_status->setWordWrap(true);
    auto *keys = new QLabel(
        QStringLiteral(
            "Wheel or + and \u2212: zoom.  Drag or Left and Right: pan.  End: follow the present, "
            "Home: the start.  Up, Down, Page Up, Page Down: choose a lane.  Shift+Left/Right: move the "
            "cursor, Ctrl+Left/Right: to the lane's previous or next event.  A and B: set a marker at the cursor; "
            "Ctrl+click (A) or Shift+click (B): on the nearest edge of the lane; Esc: clear."),
        this);
    keys->setWordWrap(true);
    m_save = new QPushButton(QStringLiteral("Save\u2026"), this);
    m_save->setObjectName(QStringLiteral("HistorySave"));
    m_recordButton = new QPushButton(this);
    m_recordButton->setObjectName(QStringLiteral("HistoryRecord"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_recordButton);
    buttons->addWidget(m_status, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_heldSince);
    layout->addWidget(m_axis);
    layout->addWidget(m_lanes, 1);
    layout->addWidget(m_readOut);
    layout->addWidget(keys);
    layout->addLayout(buttons);
    layout->setSpacing(4);

    // What a screen reader calls each part; the lanes say the cursor's read-out.
    const std::pair<QWidget *, const char *> spokenNames[] = {
        {m_view, "History lanes"},
        {m_lanes, "History channels"},
        {m_axis, "History time axis"},
        {m_readOut, "History cursor read-out"},
        {m_heldSince, "History held since"},
        {m_status, "History status"},
        {keys, "History keys"},
        {m_save, "History save"},
        {m_recordButton, "History record"},
    };
    for (const auto &[widget, name] : spokenNames)
        widget->setAccessibleName(QString::fromLatin1(name));

    connect(m_view, &HistoryView::viewChanged, m_axis, qOverload<>(&QWidget::update));
    connect(m_view, &HistoryView::viewChanged, this, &HistoryWindow::updateHeldSince);
    connect(m_view, &HistoryView::readOutChanged, this, [this] {
        m_readOut->setText(m_view->readOut());
        m_view->setAccessibleDescription(m_view->readOut());
    });
    connect(m_view, &HistoryView::laneSelected, this,
            [this](QRect area) { m_lanes->ensureVisible(0, area.center().y(), 0, area.height() / 2); });
    connect(m_save, &QPushButton::clicked, this, &HistoryWindow::save);
    connect(m_recordButton, &QPushButton::clicked, this, &HistoryWindow::recordOrStop);
    connect(&m_recordings, &Record::Recordings::changed, this, &HistoryWindow::updateRecordButton);
    connect(&m_recordings, &Record::Recordings::failed, this, &HistoryWindow::say);
    updateRecordButton();
    updateHeldSince();
    m_readOut->setText(m_view->readOut());
    resize(960, 640);
}

void HistoryWindow::setLink(quint8 link)
{
    LaneLayout::setLink(link);
    m_view->update();
}

void HistoryWindow::showChannel(int channel)
{
    show();
    raise();
    activateWindow();
    m_view->setFocus(Qt::OtherFocusReason);
    m_view->selectLane({channel, Lane::Dcd});
    m_lanes->verticalScrollBar()->setValue(LaneLayout::channelTop(channel));
}

void HistoryWindow::save()
{
    const QString path = m_choosePath(this, QStringLiteral("Save the record"), true);
    if (path.isEmpty())
        return;
    const std::optional<FileKind> kind = Record::fileKindOf(path);
    if (!kind) {
        say(QStringLiteral("%1: the name must end in .csv or .vcd").arg(path));
        return;
    }
    // Written beside the file and put in its place only when whole, so that
    // a failed write leaves what the file held.
    QSaveFile file(path);
    const bool opened = file.open(QIODevice::WriteOnly);
    QString error = opened ? Record::writeWholeRecord(m_record, *kind, file) : file.errorString();
    if (error.isEmpty() && !file.commit())
        error = file.errorString();
    say(error.isEmpty() ? QStringLiteral("Saved the record to %1").arg(path)
                        : QStringLiteral("Could not save %1: %2").arg(path, error));
}

void HistoryWindow::recordOrStop()
{
    if (m_recordings.isRunning(FileKind::Csv) || m_recordings.isRunning(FileKind::Vcd)) {
        QStringList paths;
        for (const FileKind kind : {FileKind::Csv, FileKind::Vcd}) {
            if (m_recordings.isRunning(kind))
                paths << m_recordings.path(kind);
        }
        m_recordings.stopAll();
        say(QStringLiteral("Stopped recording to %1").arg(paths.join(QStringLiteral(" and "))));
        return;
    }
    // A CSV file is added to and a VCD file must be new: nothing is replaced.
    const QString path = m_choosePath(this, QStringLiteral("Record to"), false);
    if (path.isEmpty())
        return;
    const QString error = m_recordings.start(path);
    say(error.isEmpty() ? QStringLiteral("Recording to %1").arg(path) : error);
}

void HistoryWindow::updateRecordButton()
{
    const bool running = m_recordings.isRunning(FileKind::Csv) || m_recordings.isRunning(FileKind::Vcd);
    m_recordButton->setText(running ? QStringLiteral("Stop recording") : QStringLiteral("Record to\u2026"));
}

void HistoryWindow::updateHeldSince()
{
    const qint64 lines = m_record.heldSince(Category::Lines);
    const qint64 data = m_record.heldSince(Category::Data);
    const Record::Clock &clock = m_record.clock();
    QString text = QStringLiteral("Record from %1")
                       .arg(ReadOut::localTime(clock, 0).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    if (lines > 0 || data > 0) {
        text = QStringLiteral("The record's bound dropped older events: it holds line events from %1, data from %2")
                   .arg(ReadOut::timeText(clock, lines), ReadOut::timeText(clock, data));
    }
    m_heldSince->setText(text);
}

void HistoryWindow::say(const QString &message)
{
    m_status->setText(message);
}

} // namespace Sernix::History
