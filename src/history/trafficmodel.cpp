// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "trafficmodel.h"

#include "record/csvformat.h"

#include <QColor>

#include <algorithm>
#include <bit>
#include <limits>

namespace Sernix::History {

using Record::Category;
using Record::EventKind;

namespace {

constexpr int UpdateIntervalMs = 100;
const QColor ErrorColour(0xb0, 0x00, 0x00);
const QColor EventColour(0x30, 0x50, 0x90);
// The two sides of a link: the lower-numbered channel is side A.
const std::array<QColor, 2> SideColours{QColor(0x00, 0x60, 0x20), QColor(0x80, 0x30, 0x90)};

const Record::Event *lineEvent(const Record::Record &record, quint64 sequence)
{
    const Record::Record::EventRange after = record.after(Category::Lines, sequence - 1);
    return !after.empty() && after.first->sequence == sequence ? &*after.first : nullptr;
}

QString deltaText(qint64 us)
{
    if (us < 10'000'000)
        return QStringLiteral("+%1 ms").arg(double(us) / 1000.0, 0, 'f', 3);
    return QStringLiteral("+%1 s").arg(double(us) / 1e6, 0, 'f', 3);
}

// The lower channel of a link, side A.
int sideA(quint8 link)
{
    return std::countr_zero(link) + 1;
}

} // namespace

TrafficModel::TrafficModel(const Record::Record &record, QObject *parent)
    : QAbstractTableModel(parent)
    , m_record(record)
{
    m_pending.setSingleShot(true);
    m_pending.setInterval(UpdateIntervalMs);
    connect(&m_pending, &QTimer::timeout, this, &TrafficModel::update);
    connect(&record, &Record::Record::appended, this, [this] {
        if (!m_pending.isActive())
            m_pending.start();
    });
    update();
}

void TrafficModel::setOptions(const TrafficOptions &options)
{
    beginResetModel();
    m_options = options;
    restart();
    endResetModel();
    update();
}

void TrafficModel::restart()
{
    m_blockStarts.clear();
    m_blockTimes.clear();
    m_end = {};
    m_rowCount = 0;
    m_cache = {};
    // Rows begin where the record holds both the data and the line events,
    // so that no row stands without what happened around it.
    const qint64 held = heldSince();
    for (auto [category, after] :
         {std::pair(Category::Lines, &m_end.linesAfter), std::pair(Category::Data, &m_end.dataAfter)}) {
        const Record::Record::EventRange before = m_record.range(category, std::numeric_limits<qint64>::min(), held);
        if (!before.empty())
            *after = std::prev(before.end())->sequence;
    }
}

int TrafficModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int TrafficModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

qint64 TrafficModel::heldSince() const
{
    return std::max(m_record.heldSince(Category::Lines), m_record.heldSince(Category::Data));
}

bool TrafficModel::firstBlockDropped() const
{
    return !m_blockTimes.empty() && m_blockTimes.front() < heldSince();
}

void TrafficModel::update()
{
    // Whole blocks go, so that the rest keep their numbers' places in them.
    while (firstBlockDropped()) {
        if (m_blockStarts.size() == 1) {
            beginResetModel();
            restart();
            endResetModel();
            break;
        }
        beginRemoveRows({}, 0, BlockRows - 1);
        m_blockStarts.erase(m_blockStarts.begin());
        m_blockTimes.erase(m_blockTimes.begin());
        m_rowCount -= BlockRows;
        m_cache = {};
        endRemoveRows();
    }
    TrafficScan scan(m_record, m_options, m_end);
    int added = 0;
    for (;;) {
        const bool startsBlock = (m_rowCount + added) % BlockRows == 0;
        const TrafficState before = startsBlock ? scan.state() : TrafficState();
        const std::optional<TrafficRow> row = scan.next();
        if (!row)
            break;
        if (startsBlock) {
            m_blockStarts.push_back(before);
            m_blockTimes.push_back(row->time);
        }
        ++added;
    }
    m_end = scan.state();
    const int last = m_rowCount - 1;
    // The last block's rows grew, and so may the chunks still open in it.
    for (CachedBlock &cached : m_cache) {
        if (cached.number == last / BlockRows)
            cached = {};
    }
    if (added > 0) {
        beginInsertRows({}, m_rowCount, m_rowCount + added - 1);
        m_rowCount += added;
        endInsertRows();
    }
    if (last >= 0)
        Q_EMIT dataChanged(index(std::max(0, last - BlockRows), Hex), index(last, Text));
}

const TrafficModel::CachedBlock &TrafficModel::block(int number) const
{
    for (const CachedBlock &cached : m_cache) {
        if (cached.number == number)
            return cached;
    }
    CachedBlock &cached = m_cache.at(m_cacheNext);
    m_cacheNext = (m_cacheNext + 1) % m_cache.size();
    cached.number = number;
    cached.rows.clear();
    TrafficScan scan(m_record, m_options, m_blockStarts.at(std::size_t(number)));
    const int count = std::min(BlockRows, m_rowCount - number * BlockRows);
    cached.rows.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const std::optional<TrafficRow> row = scan.next();
        if (!row)
            break;
        cached.rows.push_back(*row);
    }
    return cached;
}

qint64 TrafficModel::footprint() const
{
    qint64 bytes = qint64(sizeof(*this)) + qint64(m_blockStarts.capacity() * sizeof(TrafficState))
        + qint64(m_blockTimes.capacity() * sizeof(qint64));
    for (const CachedBlock &cached : m_cache)
        bytes += qint64(cached.rows.capacity() * sizeof(TrafficRow));
    return bytes;
}

int TrafficModel::rowAt(qint64 time) const
{
    const auto later = std::upper_bound(m_blockTimes.begin(), m_blockTimes.end(), time);
    const int number = int(std::max<std::ptrdiff_t>(later - m_blockTimes.begin() - 1, 0));
    const std::vector<TrafficRow> &rows = block(number).rows;
    const auto at = std::lower_bound(rows.begin(), rows.end(), time,
                                     [](const TrafficRow &row, qint64 wanted) { return row.time < wanted; });
    return std::min(number * BlockRows + int(at - rows.begin()), m_rowCount - 1);
}

TrafficRow TrafficModel::row(int row) const
{
    const CachedBlock &cached = block(row / BlockRows);
    const std::size_t at = std::size_t(row % BlockRows);
    return at < cached.rows.size() ? cached.rows[at] : TrafficRow();
}

QByteArray TrafficModel::bytes(int row) const
{
    const TrafficRow found = this->row(row);
    return found.isData ? TrafficScan::chunk(m_record, m_options, found) : QByteArray();
}

int TrafficModel::find(QByteArrayView bytes, int from, bool forward) const
{
    if (bytes.isEmpty())
        return -1;
    for (int at = forward ? std::max(from, 0) : std::min(from, m_rowCount) - 1; at >= 0 && at < m_rowCount;
         at += forward ? 1 : -1) {
        const TrafficRow found = row(at);
        if (!found.isData)
            continue;
        // A match begins in this row's bytes and may run on into the next chunks.
        const qsizetype size = this->bytes(at).size();
        const qsizetype match = TrafficScan::stream(m_record, found, size + bytes.size() - 1).indexOf(bytes);
        if (match >= 0 && match < size)
            return at;
    }
    return -1;
}

QByteArray TrafficModel::csv(const QList<int> &rows) const
{
    std::vector<quint64> data;
    std::vector<quint64> lines;
    for (int at : rows) {
        const TrafficRow found = row(at);
        if (found.isData)
            TrafficScan::chunk(m_record, m_options, found, &data);
        else
            lines.push_back(found.sequence);
    }
    std::vector<const Record::Event *> events;
    for (auto [sequences, category] : {std::pair(&data, Category::Data), std::pair(&lines, Category::Lines)}) {
        std::sort(sequences->begin(), sequences->end());
        sequences->erase(std::unique(sequences->begin(), sequences->end()), sequences->end());
        for (quint64 sequence : *sequences) {
            const Record::Record::EventRange after = m_record.after(category, sequence - 1);
            if (!after.empty() && after.first->sequence == sequence)
                events.push_back(&*after.first);
        }
    }
    std::sort(events.begin(), events.end(), [](const Record::Event *a, const Record::Event *b) {
        return std::pair(a->time, a->sequence) < std::pair(b->time, b->sequence);
    });
    const Record::CsvFormat format(m_record);
    QByteArray text = Record::CsvFormat::headerRow();
    for (const Record::Event *event : events)
        text += format.row(*event);
    return text;
}

QString TrafficModel::readableText(QByteArrayView bytes)
{
    QString text(bytes.size(), QChar(0x00b7));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = quint8(bytes.at(i));
        if (byte < 0x20)
            text[i] = QChar(0x2400 + byte);
        else if (byte == 0x7f)
            text[i] = QChar(0x2421);
        else if (byte < 0x7f)
            text[i] = QLatin1Char(char(byte));
    }
    return text;
}

QString TrafficModel::describe(const TrafficRow &row) const
{
    const Record::Event *event = lineEvent(m_record, row.sequence);
    if (!event)
        return {};
    return (Record::eventName(event->kind) + u' ' + Record::CsvFormat::valueText(m_record, *event) + u' '
            + Record::CsvFormat::detailText(m_record, *event))
        .trimmed();
}

// Received data of a link's side goes from its device to the other; the
// rest is what the channel received or sent.
QString TrafficModel::directionText(const TrafficRow &row) const
{
    if (!row.isData)
        return {};
    if (row.kind == EventKind::Sent)
        return QStringLiteral("TX");
    if (!m_options.isSide(row.channel))
        return QStringLiteral("RX");
    return row.channel == sideA(m_options.link) ? QStringLiteral("A\u2192B") : QStringLiteral("B\u2192A");
}

QVariant TrafficModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rowCount)
        return {};
    const TrafficRow found = row(index.row());
    const bool error = Record::isError(found.kind);
    if (role == Qt::ForegroundRole && !found.isData)
        return error ? ErrorColour : EventColour;
    if (role == Qt::ForegroundRole && found.kind == EventKind::Received && m_options.isSide(found.channel))
        return SideColours.at(found.channel == sideA(m_options.link) ? 0 : 1);
    if (role == Qt::ToolTipRole && error)
        return QStringLiteral("A port counts errors, not where they fell: this one came somewhere between the "
                              "chunks around it.");
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Time: {
        const QDateTime wall = m_record.clock().wallTime(found.time).toLocalTime();
        return wall.toString(QStringLiteral("HH:mm:ss.zzz"))
            + QString::number(found.time % 1000).rightJustified(3, u'0');
    }
    case Delta:
        return found.previousTime < 0 ? QString() : deltaText(found.time - found.previousTime);
    case Answer:
        return found.answerNs < 0 ? QString() : deltaText(qRound64(double(found.answerNs) / 1000.0)).mid(1);
    case Channel:
        return QStringLiteral("COM%1").arg(found.channel);
    case Direction:
        return directionText(found);
    case Hex:
        // Drawn apart from the data by an indent as well as by colour.
        return found.isData ? Record::CsvFormat::hexText(bytes(index.row())) : QStringLiteral("    ") + describe(found);
    case Text:
        if (found.isData)
            return readableText(bytes(index.row()));
        return error ? QStringLiteral("    between the chunks around it") : QString();
    default:
        return {};
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const std::array<QString, ColumnCount> names{
        QStringLiteral("Time"),  QStringLiteral("\u0394t"), QStringLiteral("Answer"), QStringLiteral("Channel"),
        QStringLiteral("RX/TX"), QStringLiteral("Hex"),     QStringLiteral("Text")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return names.at(std::size_t(section));
}

} // namespace Sernix::History
