// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "trafficwindow.h"

#include "trafficmodel.h"

#include "record/csvformat.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace Sernix::History {

namespace {

QString askForPath(QWidget *parent)
{
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Save traffic"), QString(),
                                                QStringLiteral("CSV file (*.csv)"));
    if (!path.isEmpty() && !path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        path += QStringLiteral(".csv");
    return path;
}

// What the find box asks for: hex as pairs of digits ("0d 0a", "ff"), or text
// as its Latin-1 bytes; empty if the hex is no hex.
QByteArray soughtBytes(const QString &text, bool asHex)
{
    if (!asHex)
        return text.toLatin1();
    QString digits = text;
    digits.remove(QRegularExpression(QStringLiteral("\\s")));
    if (digits.size() % 2 != 0 || !QRegularExpression(QStringLiteral("^[0-9A-Fa-f]*$")).match(digits).hasMatch())
        return {};
    return QByteArray::fromHex(digits.toLatin1());
}

// A control of the options row after a gap, with the label whose mnemonic
// gives it the focus.
void addLabelled(QHBoxLayout *row, const QString &label, QWidget *control)
{
    auto *buddy = new QLabel(label, control->parentWidget());
    buddy->setBuddy(control);
    row->addSpacing(12);
    row->addWidget(buddy);
    row->addWidget(control);
}

} // namespace

TrafficWindow::TrafficWindow(const Record::Record &record, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_model(new TrafficModel(record, this))
    , m_choosePath(askForPath)
{
    setObjectName(QStringLiteral("Traffic"));
    setWindowTitle(QStringLiteral("Sernix traffic"));

    auto *options = new QHBoxLayout;
    options->addWidget(new QLabel(QStringLiteral("Channels:"), this));
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        QCheckBox *box = m_channels.at(i) = new QCheckBox(QStringLiteral("COM%1").arg(i + 1), this);
        box->setObjectName(QStringLiteral("TrafficChannel%1").arg(i + 1));
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, &TrafficWindow::applyOptions);
        options->addWidget(box);
    }
    m_gap = new QDoubleSpinBox(this);
    m_gap->setObjectName(QStringLiteral("TrafficGap"));
    m_gap->setAccessibleName(QStringLiteral("Traffic gap"));
    m_gap->setToolTip(QStringLiteral("A chunk ends where the line was idle longer than this, or at 16 bytes"));
    m_gap->setRange(0, 10000);
    m_gap->setDecimals(3);
    m_gap->setSuffix(QStringLiteral(" ms"));
    m_gap->setSpecialValueText(QStringLiteral("3.5 characters, at least 1.75 ms"));
    connect(m_gap, &QDoubleSpinBox::valueChanged, this, &TrafficWindow::applyOptions);
    addLabelled(options, QStringLiteral("&Gap:"), m_gap);
    m_link = new QComboBox(this);
    m_link->setObjectName(QStringLiteral("TrafficLink"));
    m_link->setAccessibleName(QStringLiteral("Traffic link"));
    m_link->setToolTip(QStringLiteral("Two channels that watch one link, such as the two ports of a Y cable: "
                                      "their rows as one conversation, with answer times"));
    m_link->addItem(QStringLiteral("none"), 0);
    for (int a = 1; a <= int(m_channels.size()); ++a) {
        for (int b = a + 1; b <= int(m_channels.size()); ++b)
            m_link->addItem(QStringLiteral("COM%1 \u21c4 COM%2").arg(a).arg(b), (1 << (a - 1)) | (1 << (b - 1)));
    }
    connect(m_link, &QComboBox::activated, this, [this] { Q_EMIT linkChosen(link()); });
    connect(m_link, &QComboBox::currentIndexChanged, this, &TrafficWindow::applyOptions);
    addLabelled(options, QStringLiteral("&Link:"), m_link);
    options->addStretch(1);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("TrafficRows"));
    m_table->setAccessibleName(QStringLiteral("Traffic rows"));
    m_table->setModel(m_model);
    m_table->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->setShowGrid(false);
    m_table->verticalHeader()->hide();
    // One height for every row: the view never asks a row how tall it is.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics metrics(m_table->font());
    const std::array<QString, TrafficModel::Text> widest{
        QStringLiteral("00:00:00.000000 "), QStringLiteral("+0000.000 ms "), QStringLiteral("0000.000 ms "),
        QStringLiteral("Channel "),         QStringLiteral("RX/TX "),        QString(16 * 3 + 1, u'0')};
    for (std::size_t column = 0; column < widest.size(); ++column)
        m_table->setColumnWidth(int(column), metrics.horizontalAdvance(widest.at(column)) + 8);
    m_table->installEventFilter(this);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && !m_showingTime)
                    Q_EMIT rowTimeChosen(m_model->row(current.row()).time);
            });
    m_table->setContextMenuPolicy(Qt::ActionsContextMenu);
    const std::tuple<const char *, QKeySequence, CopyAs> copies[] = {
        {"Copy as hex", QKeySequence::Copy, CopyAs::Hex},
        {"Copy as text", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), CopyAs::Text},
        {"Copy as CSV", QKeySequence(), CopyAs::Csv},
    };
    for (const auto &[name, keys, as] : copies) {
        auto *action = new QAction(QString::fromLatin1(name), m_table);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, copyAs = as] { copy(copyAs); });
        m_table->addAction(action);
    }

    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("TrafficFind"));
    m_find->setAccessibleName(QStringLiteral("Traffic find"));
    m_find->setPlaceholderText(QStringLiteral("Find: text, or hex such as 0d 0a"));
    m_findAs = new QComboBox(this);
    m_findAs->setObjectName(QStringLiteral("TrafficFindAs"));
    m_findAs->setAccessibleName(QStringLiteral("Traffic find as"));
    m_findAs->addItems({QStringLiteral("Text"), QStringLiteral("Hex")});
    auto *previous = new QPushButton(QStringLiteral("&Previous"), this);
    auto *next = new QPushButton(QStringLiteral("&Next"), this);
    auto *save = new QPushButton(QStringLiteral("&Save\u2026"), this);
    save->setObjectName(QStringLiteral("TrafficSave"));
    connect(m_find, &QLineEdit::returnPressed, this, [this] { findNext(true); });
    connect(next, &QPushButton::clicked, this, [this] { findNext(true); });
    connect(previous, &QPushButton::clicked, this, [this] { findNext(false); });
    connect(save, &QPushButton::clicked, this, &TrafficWindow::save);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("TrafficStatus"));
    m_status->setAccessibleName(QStringLiteral("Traffic status"));
    auto *tools = new QHBoxLayout;
    tools->addWidget(m_find, 1);
    tools->addWidget(m_findAs);
    tools->addWidget(previous);
    tools->addWidget(next);
    tools->addWidget(save);
    tools->addWidget(m_status, 1);

    QScrollBar *bar = m_table->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) { m_following = value == bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (m_following)
            bar->setValue(maximum);
    });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addLayout(tools);
    layout->addWidget(m_table, 1);
    layout->addWidget(new QLabel(QStringLiteral("End: follow the present.  Text: \u240d\u240a CR LF, \u2409 TAB, "
                                                "\u2400 NUL, \u241b ESC, other controls likewise; \u00b7 a byte "
                                                "above 0x7E (see its hex)."),
                                 this));
    resize(960, 560);
}

void TrafficWindow::showChannel(int channel)
{
    m_channels.at(std::size_t(channel - 1))->setChecked(true);
    show();
    raise();
    activateWindow();
    m_table->setFocus();
}

void TrafficWindow::showTime(qint64 time)
{
    if (m_model->rowCount() == 0)
        return;
    const int row = m_model->rowAt(time);
    if (m_table->currentIndex().row() == row)
        return;
    m_following = false;
    m_showingTime = true;
    m_table->setCurrentIndex(m_model->index(row, 0));
    m_showingTime = false;
    m_table->scrollTo(m_model->index(row, 0));
}

void TrafficWindow::setLink(quint8 link)
{
    m_link->setCurrentIndex(std::max(0, m_link->findData(link)));
}

quint8 TrafficWindow::link() const
{
    return quint8(m_link->currentData().toUInt());
}

void TrafficWindow::applyOptions()
{
    TrafficOptions options;
    options.channels = 0;
    for (std::size_t i = 0; i < m_channels.size(); ++i)
        options.channels |= quint8(m_channels.at(i)->isChecked() ? 1u << i : 0u);
    options.fixedGapNs = qint64(m_gap->value() * 1e6);
    options.link = link();
    m_model->setOptions(options);
    if (m_following)
        follow();
}

void TrafficWindow::follow()
{
    m_following = true;
    m_table->scrollToBottom();
}

QList<int> TrafficWindow::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TrafficWindow::say(const QString &message)
{
    m_status->setText(message);
}

void TrafficWindow::findNext(bool forward)
{
    const QByteArray sought = soughtBytes(m_find->text(), m_findAs->currentIndex() == 1);
    if (sought.isEmpty()) {
        say(m_find->text().isEmpty() ? QString() : QStringLiteral("Not hex: write pairs of digits, such as 0d 0a"));
        return;
    }
    const int current =
        m_table->currentIndex().isValid() ? m_table->currentIndex().row() : (forward ? -1 : m_model->rowCount());
    const int found = m_model->find(sought, forward ? current + 1 : current, forward);
    if (found < 0) {
        say(QStringLiteral("Not found"));
        return;
    }
    say({});
    m_table->selectRow(found);
    m_table->scrollTo(m_model->index(found, 0));
}

void TrafficWindow::copy(CopyAs as)
{
    const QList<int> rows = selectedRows();
    QString text;
    if (as == CopyAs::Csv) {
        text = QString::fromUtf8(m_model->csv(rows));
    } else {
        QStringList lines;
        for (int row : rows) {
            if (!m_model->row(row).isData)
                continue; // a line event has no bytes
            const QByteArray bytes = m_model->bytes(row);
            lines << (as == CopyAs::Hex ? Record::CsvFormat::hexText(bytes) : TrafficModel::readableText(bytes));
        }
        text = lines.join(u'\n');
    }
    QGuiApplication::clipboard()->setText(text);
}

void TrafficWindow::save()
{
    const QString path = m_choosePath(this);
    if (path.isEmpty())
        return;
    QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        for (int row = 0; row < m_model->rowCount(); ++row)
            rows << row;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_model->csv(rows)) < 0 || !file.commit()) {
        say(QStringLiteral("Not saved: %1").arg(file.errorString()));
        return;
    }
    say(QStringLiteral("Saved %1 rows to %2").arg(rows.size()).arg(path));
}

bool TrafficWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_End) {
        follow();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace Sernix::History
