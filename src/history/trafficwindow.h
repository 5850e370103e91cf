// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace Sernix::Record {
class Record;
}

namespace Sernix::History {

class TrafficModel;

// The window that lists the record's bytes as a table of chunks in hex and
// text, with the line events between them, for the channels chosen. It
// follows the present while its last row is in sight; End brings it back.
// Bytes are found by text or hex across chunks; the selected rows are copied
// as hex, text or CSV, and saved as CSV.
class TrafficWindow : public QWidget
{
    Q_OBJECT
public:
    // Asks for the name of the CSV file to write; empty when cancelled.
    using PathChooser = std::function<QString(QWidget *parent)>;
    enum class CopyAs { Hex, Text, Csv };

    explicit TrafficWindow(const Record::Record &record, QWidget *parent = nullptr);

    // Shows the window, raised, with the channel among those shown.
    void showChannel(int channel);
    // Makes the row at or after a time current, as a cursor elsewhere moved.
    void showTime(qint64 time);
    TrafficModel &model() { return *m_model; }
    QTableView &table() { return *m_table; }
    bool isFollowing() const { return m_following; }
    void setPathChooser(PathChooser chooser) { m_choosePath = std::move(chooser); }
    // Names two channels, as channels' bits, the two sides of one link; 0: none.
    void setLink(quint8 link);
    quint8 link() const;

    // Selects the next or previous row where the find box's bytes begin.
    void findNext(bool forward);
    void copy(CopyAs as);
    // The selected rows' events, or all rows' when none is selected.
    void save();

Q_SIGNALS:
    // The user made a row current: the time a cursor elsewhere may follow.
    void rowTimeChosen(qint64 time);
    // The user named a link's two sides, or none (0).
    void linkChosen(quint8 link);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyOptions();
    void follow();
    QList<int> selectedRows() const;
    void say(const QString &message);

    TrafficModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    std::array<QCheckBox *, 4> m_channels{};
    QDoubleSpinBox *m_gap = nullptr;
    QComboBox *m_link = nullptr;
    QLineEdit *m_find = nullptr;
    QComboBox *m_findAs = nullptr;
    QLabel *m_status = nullptr;
    PathChooser m_choosePath;
    bool m_following = true;
    bool m_showingTime = false; // a row made current by showTime, not by the user
};

} // namespace Sernix::History
