// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QScrollArea;

namespace Sernix::Record {
class Record;
class Recordings;
} // namespace Sernix::Record

namespace Sernix::History {

class HistoryView;
class TimeAxis;

// The window that draws the record of the four channels: the time axis, the
// lanes (scrollable, a channel at a time), the cursor read-out, from when the
// record holds its events, and the buttons that write the record to a file
// or start and stop a live recording, with a line that says how that went.
class HistoryWindow : public QWidget
{
    Q_OBJECT
public:
    // Asks for the name of a file to write: the caption, and whether
    // replacing an existing file is to be confirmed. Empty when cancelled.
    using PathChooser = std::function<QString(QWidget *parent, const QString &caption, bool confirmReplace)>;

    HistoryWindow(const Record::Record &record, Record::Recordings &recordings, QWidget *parent = nullptr);

    // Shows the window, raised, with the channel's lanes in sight.
    void showChannel(int channel);
    void setPathChooser(PathChooser chooser) { m_choosePath = std::move(chooser); }
    HistoryView &view() { return *m_view; }
    // Lays the lanes of a link's two sides (channels' bits; 0: none) next to each other.
    void setLink(quint8 link);

private:
    void save();
    void recordOrStop();
    void updateRecordButton();
    void updateHeldSince();
    void say(const QString &message);

    const Record::Record &m_record;
    Record::Recordings &m_recordings;
    PathChooser m_choosePath;
    HistoryView *m_view = nullptr;
    TimeAxis *m_axis = nullptr;
    QScrollArea *m_lanes = nullptr;
    QLabel *m_readOut = nullptr;
    QLabel *m_heldSince = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_recordButton = nullptr;
};

} // namespace Sernix::History
