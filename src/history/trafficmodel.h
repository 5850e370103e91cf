// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "trafficscan.h"

#include <QAbstractTableModel>
#include <QTimer>

#include <vector>

namespace Sernix::History {

// The record's traffic as a table: one row per chunk of bytes, and one per
// line event, in time order. Rows are computed when asked for: the model keeps
// only where every BlockRows-th row begins (a scan state), and the rows of the
// blocks last asked for. It takes what the record gains at most ten times a
// second, and lets the oldest blocks go as the record drops their events.
class TrafficModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Time, Delta, Answer, Channel, Direction, Hex, Text, ColumnCount };
    static constexpr int BlockRows = 1024;

    explicit TrafficModel(const Record::Record &record, QObject *parent = nullptr);

    const TrafficOptions &options() const { return m_options; }
    void setOptions(const TrafficOptions &options);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    TrafficRow row(int row) const;
    // The first row at or after a time; the last row if none is.
    int rowAt(qint64 time) const;
    QByteArray bytes(int row) const; // of a data row's chunk
    // The first row from (forward) or before (backward) the row given in
    // which the bytes begin, read across chunks; -1 if none.
    int find(QByteArrayView bytes, int from, bool forward) const;
    // The rows' events in the record's CSV format, header first: each event
    // once, in the record's order.
    QByteArray csv(const QList<int> &rows) const;
    // The memory the model holds of its own, in bytes.
    qint64 footprint() const;
    // Takes what the record gained since; the model does so by itself too.
    void update();

    // Bytes as the text column shows them, one character a byte: printable
    // ASCII as it is, controls as their Unicode control pictures (U+2400 to
    // U+2421: ␀ ␉ ␊ ␍ ␛ ␡), bytes above 0x7E as a middle dot.
    static QString readableText(QByteArrayView bytes);

private:
    struct CachedBlock
    {
        int number = -1;
        std::vector<TrafficRow> rows;
    };
    const CachedBlock &block(int number) const;
    void restart();
    qint64 heldSince() const;
    bool firstBlockDropped() const;
    QString describe(const TrafficRow &row) const;
    QString directionText(const TrafficRow &row) const;

    const Record::Record &m_record;
    TrafficOptions m_options;
    std::vector<TrafficState> m_blockStarts;
    std::vector<qint64> m_blockTimes; // of each block's first row
    TrafficState m_end;
    int m_rowCount = 0;
    mutable std::array<CachedBlock, 2> m_cache; // the two blocks last asked for
    mutable std::size_t m_cacheNext = 0;
    QTimer m_pending;
};

} // namespace Sernix::History
