// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "windowtesting.h"

#include "controls/enablebox.h"
#include "history/historyview.h"
#include "history/historywindow.h"
#include "history/readout.h"
#include "history/trafficmodel.h"
#include "history/trafficwindow.h"
#include "record/recording.h"
#include "serial/portcatalogue.h"
#include "serial/steadyclock.h"

#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <numeric>

using namespace Sernix::Controls;
using namespace Sernix::Rig;
using namespace Sernix::Window;
using namespace Sernix::History;
using Kind = Sernix::Record::EventKind;
using Sernix::Record::Line;

namespace {

constexpr qint64 Ms = 1000;
constexpr int PlotWidth = 600;
constexpr qint64 Span = 60 * Ms; // the view shows 0..60 ms: 100 us a pixel

// Whether a pixel of the colour lies within radius of the point.
bool colourNear(const QImage &image, QPoint at, QRgb colour, int radius = 2)
{
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            if (image.rect().contains(at + QPoint(dx, dy)) && image.pixel(at + QPoint(dx, dy)) == colour)
                return true;
        }
    }
    return false;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// A VCD without its date and its closing time, which tell when a file was begun and closed.
QByteArray vcdBody(QByteArray text)
{
    text.remove(0, text.indexOf("$version"));
    return text.left(text.lastIndexOf('#'));
}

// A loop-back record (RTS raised at 20 ms and dropped at 30 ms, CTS following 1 ms later) on a
// clock that stands at nowMs, drawn from 0 to 60 ms.
struct LoopBackView
{
    explicit LoopBackView(qint64 nowMs)
    {
        steady.advanceMs(nowMs);
        record.appendStatus(1, Kind::On, QStringLiteral("loopback"), {}, 1 * Ms);
        for (int line = 0; line < Sernix::Record::LineCount; ++line)
            record.appendLevel(1, Line(line), false, 2 * Ms);
        for (const qint64 at : {20 * Ms, 30 * Ms}) {
            record.appendLevel(1, Line::Rts, at == 20 * Ms, at);
            record.appendLevel(1, Line::Cts, at == 20 * Ms, at + Ms);
        }
        view.resize(LaneLayout::LabelWidth + PlotWidth, LaneLayout::Height);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            qFatal("the view was never shown");
        view.setRange(0, Span);
    }
    MSCommLib::SteadyClock steady{MSCommLib::SteadyClock::Kind::Manual};
    const Sernix::Record::Clock clock{steady, 0};
    Sernix::Record::Record record{clock};
    HistoryView view{record};
};

} // namespace

class HistoryTest : public QObject, Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        MSCommLib::setPortCatalogue({[] { return QList<MSCommLib::PortDescription>{}; }, {}});
    }
    void cleanup() { finish(); }

    void opensFromEachMenuAndTheShortcut_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("fromPanel"); // else the enable box; 0: the shortcut
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("window");
        QTest::newRow("Ctrl+H") << 0 << false << false << "History";
        QTest::newRow("Com1 box, off") << 1 << false << false << "History";
        QTest::newRow("Com3 box, on") << 3 << false << true << "History";
        QTest::newRow("COM 4 panel, off") << 4 << true << false << "History";
        QTest::newRow("COM 2 panel, on") << 2 << true << true << "History";
        QTest::newRow("Ctrl+T") << 0 << false << false << "Traffic";
        QTest::newRow("Com3 box, traffic") << 3 << false << true << "Traffic";
        QTest::newRow("COM 2 panel, traffic") << 2 << true << false << "Traffic";
    }
    void opensFromEachMenuAndTheShortcut()
    {
        QFETCH(int, channel);
        QFETCH(bool, fromPanel);
        QFETCH(bool, ticked);
        QFETCH(QString, window);
        Form1 &form = open({"loopback", "loopback", "loopback", "loopback"});
        if (channel == 0) {
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QTest::keyClick(&form, window == "Traffic" ? Qt::Key_T : Qt::Key_H, Qt::ControlModifier);
            channel = 1;
        } else {
            const ChannelControls &controls = form.channel(channel);
            if (ticked)
                controls.enableBox->setChecked(true);
            QWidget *target = fromPanel ? qobject_cast<QWidget *>(controls.connectorPanel) : controls.enableBox;
            QContextMenuEvent event(QContextMenuEvent::Keyboard, target->rect().center(),
                                    target->mapToGlobal(target->rect().center()));
            QApplication::sendEvent(target, &event);
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            const QList<QAction *> actions = menu->actions();
            QCOMPARE(actions.at(actions.size() - 2)->text() + actions.constLast()->text(),
                     QStringLiteral("History\u2026Traffic\u2026"));
            actions.at(actions.size() - (window == "Traffic" ? 1 : 2))->trigger();
            menu->close();
        }
        if (window == "Traffic") {
            auto *traffic = form.findChild<TrafficWindow *>(window);
            QTRY_VERIFY(traffic && traffic->isVisible());
            QCOMPARE(traffic->table().accessibleName(), QStringLiteral("Traffic rows"));
            QCOMPARE(traffic->model().headerData(TrafficModel::Delta, Qt::Horizontal), QStringLiteral("\u0394t"));
            return;
        }
        auto *history = form.findChild<HistoryWindow *>(window);
        QVERIFY(history);
        QTRY_VERIFY(history->isVisible());
        QCOMPARE(history->view().selectedLane().channel, channel);
        // The channel's header row is at the top of what the lanes show, or as near as scrolling goes.
        auto *lanes = named<QScrollArea>(history, QStringLiteral("HistoryLanes"));
        QCOMPARE(lanes->verticalScrollBar()->value(),
                 std::min(LaneLayout::channelTop(channel), lanes->verticalScrollBar()->maximum()));
        // A screen reader can tell every part of the window by its name.
        for (const QWidget *part : history->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            QVERIFY2(!part->accessibleName().isEmpty() || !part->isVisible(), qPrintable(part->objectName()));
    }

    void drawsEachEventWhereItHappened_data()
    {
        QTest::addColumn<qint64>("time");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("lane");
        QTest::addColumn<int>("y"); // in the lane; -1: at the high level, -2: at the low level
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<bool>("drawn");
        const int high = -1;
        const int low = -2;
        const int middle = LaneLayout::LaneHeight / 2;
        QTest::newRow("DCD high") << 10 * Ms << 1 << int(Lane::Dcd) << high << LaneColours::Trace << true;
        QTest::newRow("not low while high") << 10 * Ms << 1 << int(Lane::Dcd) << low << LaneColours::Trace << false;
        QTest::newRow("DCD low after it dropped")
            << 30 * Ms << 1 << int(Lane::Dcd) << low << LaneColours::Trace << true;
        QTest::newRow("not high after it dropped")
            << 30 * Ms << 1 << int(Lane::Dcd) << high << LaneColours::Trace << false;
        QTest::newRow("RTS unchanged") << 30 * Ms << 1 << int(Lane::Rts) << high << LaneColours::Trace << true;
        QTest::newRow("pulse on CTS") << 20 * Ms << 1 << int(Lane::Cts) << middle << LaneColours::Pulse << true;
        QTest::newRow("no pulse on DSR") << 20 * Ms << 1 << int(Lane::Dsr) << middle << LaneColours::Pulse << false;
        QTest::newRow("framing error") << 25 * Ms << 1 << int(Lane::Errors) << middle << LaneColours::Error << true;
        QTest::newRow("received block") << 15 * Ms << 1 << int(Lane::Received) << middle << LaneColours::Received
                                        << true;
        QTest::newRow("nothing sent") << 15 * Ms << 1 << int(Lane::Sent) << middle << LaneColours::Sent << false;
        QTest::newRow("many sent at once") << 35 * Ms << 1 << int(Lane::Sent) << middle << LaneColours::Sent << true;
        QTest::newRow("none received then")
            << 35 * Ms << 1 << int(Lane::Received) << middle << LaneColours::Received << false;
        QTest::newRow("lost period hatched") << 45 * Ms << 1 << int(Lane::Dsr) << middle << LaneColours::Lost << true;
        QTest::newRow("no trace while lost") << 45 * Ms << 1 << int(Lane::Rts) << high << LaneColours::Trace << false;
        QTest::newRow("off channel hatched") << 30 * Ms << 2 << int(Lane::Dcd) << middle << LaneColours::Off << true;
    }
    void drawsEachEventWhereItHappened()
    {
        QFETCH(qint64, time);
        QFETCH(int, channel);
        QFETCH(int, lane);
        QFETCH(int, y);
        QFETCH(QRgb, colour);
        QFETCH(bool, drawn);
        Sernix::Record::Record record;
        record.appendStatus(1, Kind::On, QStringLiteral("loopback"), {}, 2 * Ms);
        for (int line = 0; line < Sernix::Record::LineCount; ++line)
            record.appendLevel(1, Line(line), true, 3 * Ms);
        record.appendData(1, Kind::Received, "hello", 15 * Ms);
        record.appendPulse(1, Line::Cts, 0, 20 * Ms);
        record.appendError(1, Kind::Framing, 2, 25 * Ms);
        record.appendLevel(1, Line::Dcd, false, 27 * Ms);
        record.appendData(1, Kind::Sent, QByteArray(40 * Sernix::Record::MaxBytesPerEvent, 'x'), 35 * Ms);
        record.appendStatus(1, Kind::Lost, {}, {}, 40 * Ms);
        record.appendStatus(1, Kind::Back, {}, {}, 50 * Ms);
        QTRY_VERIFY(record.now() > Span); // every event in the past

        HistoryView view(record);
        view.resize(LaneLayout::LabelWidth + PlotWidth, LaneLayout::Height);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setRange(0, Span);
        const QImage image = view.grab().toImage();
        const int x = LaneLayout::LabelWidth + int(time * PlotWidth / Span);
        const int top = LaneLayout::laneTop(channel, Lane(lane));
        const int row = y == -1 ? LaneLayout::levelY(channel, Lane(lane), true)
            : y == -2           ? LaneLayout::levelY(channel, Lane(lane), false)
                                : top + y;
        QCOMPARE(colourNear(image, {x, row}, colour, y < 0 ? 1 : 3), drawn);
    }

    void aClickedMarkerSnapsToTheLanesNearestEdge_data()
    {
        QTest::addColumn<int>("lane");
        QTest::addColumn<int>("x"); // 100 us a pixel
        QTest::addColumn<bool>("shift");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("6 px before, RTS's edge not on the lane") << int(Lane::Cts) << 204 << false << 21 * Ms;
        QTest::newRow("7 px before") << int(Lane::Cts) << 203 << false << 20'300LL;
        QTest::newRow("6 px after") << int(Lane::Cts) << 216 << false << 21 * Ms;
        QTest::newRow("B, shift") << int(Lane::Rts) << 296 << true << 30 * Ms;
    }
    void aClickedMarkerSnapsToTheLanesNearestEdge()
    {
        QFETCH(int, lane);
        QFETCH(int, x);
        QFETCH(bool, shift);
        QFETCH(qint64, expected);
        LoopBackView loopBack(100);
        QTest::mouseClick(&loopBack.view, Qt::LeftButton, shift ? Qt::ShiftModifier : Qt::ControlModifier,
                          {LaneLayout::LabelWidth + x, LaneLayout::laneTop(1, Lane(lane)) + 9});
        QCOMPARE(loopBack.view.markers().time(shift ? Marker::B : Marker::A).value_or(-1), expected);
    }

    void durationsInTheUnitThatFits()
    {
        const std::pair<qint64, QString> rows[] = {{999, QStringLiteral("999 \u00b5s")},
                                                   {1000, QStringLiteral("1.000 ms")},
                                                   {1'000'000, QStringLiteral("1.000 s")},
                                                   {-1'500, QStringLiteral("\u22121.500 ms")}};
        for (const auto &[microseconds, text] : rows)
            QCOMPARE(ReadOut::durationText(microseconds), text);
    }

    void markersReadTheLevelsAndStayAtTheirTimesWhileFollowing()
    {
        LoopBackView loopBack(50);
        HistoryView &view = loopBack.view;
        view.follow();
        view.placeCursor(20 * Ms);
        QTest::keyClick(&view, Qt::Key_A);
        view.placeCursor(21 * Ms);
        QTest::keyClick(&view, Qt::Key_B);
        const QString lows = QStringLiteral("At %1: COM1 DCD 0 DSR 0 CTS %2 RI 0 DTR 0 RTS 1");
        QVERIFY2(view.readOut().contains(lows.arg(u"A", u"0")), qPrintable(view.readOut()));
        QVERIFY2(view.readOut().contains(lows.arg(u"B", u"1")), qPrintable(view.readOut()));
        auto *a = view.findChild<QWidget *>(QStringLiteral("MarkerA"));
        QVERIFY(a->accessibleDescription().contains(QStringLiteral("\u0394t 1.000 ms")));
        // The present moves 10 ms, 100 pixels: the markers go with their times.
        for (const int x : {300, 200}) {
            QCOMPARE(a->geometry().center().x(), LaneLayout::LabelWidth + x);
            QVERIFY(a->isVisibleTo(&view));
            loopBack.steady.advanceMs(10);
            view.refresh();
        }
    }

    // Each word of a script: channel, R(eceived) T(sent) F(raming error) O(n at 115,200 baud), time in us, bytes.
    void trafficRowsAreChunksCutByGapsAndSize_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("gapMs");
        QTest::addColumn<QString>("rows");
        QTest::newRow("idle less than 3.5 characters once the bytes' wire time is taken off")
            << "1R10000:ab 1R15500:cd" << 0xf << 0.0 << "COM1 RX abcd";
        QTest::newRow("idle longer") << "1R10000:ab 1R16000:cd" << 0xf << 0.0 << "COM1 RX ab|+6.000 ms COM1 RX cd";
        QTest::newRow("16 bytes at most, across reads") << "1R10000:0123456789 1R10100:abcdefghij" << 0xf << 0.0
                                                        << "COM1 RX 0123456789abcdef|+0.100 ms COM1 RX ghij";
        QTest::newRow("fast line: 1.75 ms at least")
            << "1O0: 1R10000:a 1R11500:b 1R14000:c" << 0xf << 0.0
            << "COM1 on loopback 115200,n,8,1 comNone|+10.000 ms COM1 RX ab|+4.000 ms COM1 RX c";
        QTest::newRow("channels and directions apart, in time order")
            << "1R10000:ab 2R10500:xy 1T11000:zz 1R11500:cd" << 0xf << 0.0
            << "COM1 RX abcd|+0.500 ms COM2 RX xy|+0.500 ms COM1 TX zz";
        QTest::newRow("only the channels chosen") << "1R10000:ab 2R10500:xy" << 0x2 << 0.0 << "COM2 RX xy";
        QTest::newRow("an error between chunks") << "1R10000:a\r 1F15000: 1R30000:\x1b\u00ff" << 0xf << 0.0
                                                 << "COM1 RX a\u240d|+5.000 ms COM1 framing 1 between the chunks "
                                                    "around it|+15.000 ms COM1 RX \u241b\u00b7";
        QTest::newRow("a gap set in the view") << "1R10000:ab 1R20000:cd" << 0xf << 20.0 << "COM1 RX abcd";
        // Channels | link << 4. Answers from the other side's last read to the first byte, 1.042 ms a character.
        QTest::newRow("COM1 \u21c4 COM2: one conversation in time order, with answer times")
            << "1R10000:ab 2R15000:xyz 2R25000:k 3R26000:q 1R30000:cd 1T32000:zz" << 0x3f << 0.0
            << "COM1 A\u2192B ab|+5.000 ms 1.875 ms COM2 B\u2192A xyz|+10.000 ms COM2 B\u2192A k|"
               "+5.000 ms 2.917 ms COM1 A\u2192B cd|+2.000 ms COM1 TX zz";
    }
    void trafficRowsAreChunksCutByGapsAndSize()
    {
        QFETCH(QString, script);
        QFETCH(int, channels);
        QFETCH(double, gapMs);
        Sernix::Record::Record record;
        for (const QString &word : script.split(u' ')) {
            const int channel = word.at(0).digitValue();
            const qint64 time = word.mid(2).section(u':', 0, 0).toLongLong();
            const QByteArray bytes = word.section(u':', 1).toLatin1();
            const char kind = word.at(1).toLatin1();
            if (kind == 'O')
                record.appendStatus(channel, Kind::On, "loopback", "115200,n,8,1  comNone", time);
            else if (kind == 'F')
                record.appendError(channel, Kind::Framing, 1, time);
            else
                record.appendData(channel, kind == 'T' ? Kind::Sent : Kind::Received, bytes, time);
        }
        TrafficModel model(record);
        model.setOptions(
            {.channels = quint8(channels & 0xf), .fixedGapNs = qint64(gapMs * 1e6), .link = quint8(channels >> 4)});
        QStringList shown;
        for (int row = 0; row < model.rowCount(); ++row) {
            QString line;
            for (int column : {TrafficModel::Delta, TrafficModel::Answer, TrafficModel::Channel,
                               TrafficModel::Direction, TrafficModel::Hex, TrafficModel::Text}) {
                if (column != TrafficModel::Hex || !model.row(row).isData) // data's hex round-trips elsewhere
                    line += u' ' + model.index(row, column).data().toString();
            }
            shown << line.simplified();
        }
        QTEST(shown.join(u'|'), "rows");
    }

    // Every byte value in chunks of 16, an error row, and "ab\r" "\nxy" apart by more than the gap.
    void trafficCopiesSavesAndFindsEveryByte_data()
    {
        QTest::addColumn<QString>("sought");
        QTest::addColumn<bool>("hex");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<QByteArray>("found"); // the bytes of the row selected
        QTest::newRow("hex across two chunks") << "0d 0a" << true << true << QByteArray("ab\r");
        QTest::newRow("one byte, backwards")
            << "ff" << true << false << QByteArray::fromHex("f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff");
        QTest::newRow("text") << "xy" << false << true << QByteArray::fromHex("707172737475767778797a7b7c7d7e7f");
        QTest::newRow("not hex") << "0d 0" << true << true << QByteArray();
    }
    void trafficCopiesSavesAndFindsEveryByte()
    {
        QByteArray every(256, '\0');
        std::iota(every.begin(), every.end(), char(0));
        Sernix::Record::Record record;
        record.appendData(2, Kind::Received, every, 10 * Ms);
        record.appendError(2, Kind::Framing, 1, 20 * Ms);
        record.appendData(2, Kind::Received, "ab\r", 30 * Ms);
        record.appendData(2, Kind::Received, "\nxy", 40 * Ms);
        TrafficWindow window(record);
        window.table().selectAll();
        window.copy(TrafficWindow::CopyAs::Hex);
        QCOMPARE(QByteArray::fromHex(QGuiApplication::clipboard()->text().toLatin1()), every + "ab\r\nxy");
        QTemporaryDir dir;
        window.setPathChooser([&dir](QWidget *) { return dir.filePath("t.csv"); });
        window.save();
        const QList<QByteArray> lines = contents(dir.filePath("t.csv")).split('\n');
        QByteArray saved;
        for (const QByteArray &line : lines.mid(1))
            saved += QByteArray::fromHex(line.split(',').value(3));
        QCOMPARE(lines.first() + lines.at(2).split(',').value(2), QByteArray("time,channel,event,value,text\rframing"));
        QCOMPARE(saved, every + QByteArray::fromHex("01") + "ab\r\nxy"); // the error's count is its value

        QFETCH(QString, sought);
        named<QLineEdit>(&window, QStringLiteral("TrafficFind"))->setText(sought);
        QFETCH(bool, hex);
        named<QComboBox>(&window, QStringLiteral("TrafficFindAs"))->setCurrentIndex(hex ? 1 : 0);
        window.table().clearSelection();
        window.table().setCurrentIndex({});
        QFETCH(bool, forward);
        window.findNext(forward);
        const QModelIndexList selected = window.table().selectionModel()->selectedRows();
        QTEST(selected.isEmpty() ? QByteArray() : window.model().bytes(selected.first().row()), "found");
    }

    // The oldest rows go as the record drops their events; the newest stay whole.
    void trafficLetsTheOldestRowsGo()
    {
        Sernix::Record::Record record(Sernix::Record::Budget{.dataBytes = 256 * 1024});
        TrafficModel model(record);
        for (int i = 0; i < 20000; ++i) {
            record.appendData(1, Kind::Received, "abcdefgh", i * 20 * Ms); // a chunk each
            if (i % 1000 == 0 || i == 19999)
                model.update(); // as its timer would
        }
        QVERIFY2(model.rowCount() > 1000 && model.rowCount() < 10000, qPrintable(QString::number(model.rowCount())));
        QVERIFY(model.row(0).time >= record.heldSince(Sernix::Record::Category::Data));
        QCOMPARE(model.row(model.rowCount() - 1).time, 19999 * 20 * Ms);
    }

    // The traffic view follows the present until scrolled away; End brings it back.
    void trafficFollowsThePresentUnlessScrolledAway()
    {
        Sernix::Record::Record record;
        TrafficWindow window(record);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QScrollBar *bar = window.table().verticalScrollBar();
        for (const bool following : {true, false, true}) {
            if (!following)
                bar->setValue(0);
            else if (bar->maximum() > 0)
                QTest::keyClick(&window.table(), Qt::Key_End);
            const int maximum = bar->maximum();
            for (int i = 0; i < 100; ++i)
                record.appendError(1, Kind::Framing, 1);
            window.model().update(); // as its timer would
            QTRY_VERIFY(bar->maximum() > maximum);
            QTRY_COMPARE(bar->value(), following ? bar->maximum() : 0);
        }
    }

    // One cursor: a row chosen in the traffic view moves the history window's, and back.
    void trafficAndHistoryShareTheCursor()
    {
        Form1 &form = open({"loopback"});
        for (int i = 1; i <= 3; ++i)
            form.record().appendData(1, Kind::Received, "x", i * 100 * Ms);
        form.showTraffic(1);
        form.showHistory(1);
        auto *traffic = form.findChild<TrafficWindow *>("Traffic");
        HistoryView &view = form.findChild<HistoryWindow *>("History")->view();
        traffic->model().update();
        traffic->table().selectRow(1);
        QCOMPARE(view.cursorTime(), 200 * Ms);
        view.placeCursor(250 * Ms);
        QCOMPARE(traffic->table().currentIndex().row(), 2);
        QVERIFY(!traffic->isFollowing());
    }

    void savesWhatRecordingWouldHaveWritten_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("CSV") << QStringLiteral("record.csv");
        QTest::newRow("VCD") << QStringLiteral("record.vcd");
    }
    void savesWhatRecordingWouldHaveWritten()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        // A VCD counts from its start: when the recording's begins within the
        // record's first millisecond and the times lie late in theirs, both
        // files round them alike. A slower start (a loaded machine) is retried.
        std::unique_ptr<Sernix::Record::Record> record;
        std::unique_ptr<Sernix::Record::Recordings> recordings;
        QString livePath;
        for (int attempt = 0; attempt < 50 && (!record || record->now() >= 900); ++attempt) {
            recordings.reset();
            record = std::make_unique<Sernix::Record::Record>();
            recordings = std::make_unique<Sernix::Record::Recordings>(*record);
            livePath = dir.filePath(QStringLiteral("live%1-").arg(attempt) + name);
            QCOMPARE(recordings->start(livePath), QString());
        }
        if (record->now() >= 900)
            QSKIP("no recording began within the first millisecond of its record");
        const qint64 base = (record->now() / Ms + 100) * Ms + 900;
        record->appendStatus(1, Kind::On, QStringLiteral("loopback"), QStringLiteral("9600,n,8,1 0"), base);
        for (int line = 0; line < Sernix::Record::LineCount; ++line)
            record->appendLevel(1, Line(line), true, base + 5 * Ms);
        record->appendPulse(1, Line::Dsr, 4, base + 90 * Ms);
        record->appendData(1, Kind::Received, QByteArrayView("=a,\"b\"\r\n\0\xff", 10), base + 91 * Ms);
        record->appendStatus(1, Kind::Lost, {}, QStringLiteral("gone"), base + 200 * Ms);
        recordings->stopAll();

        HistoryWindow window(*record, *recordings);
        const QString saved = dir.filePath(QStringLiteral("saved-") + name);
        window.setPathChooser(
            [&](QWidget *, const QString &, bool confirmReplace) { return confirmReplace ? saved : QString(); });
        click(named(&window, QStringLiteral("HistorySave")));
        QCOMPARE(named<QLabel>(&window, QStringLiteral("HistoryStatus"))->text(),
                 QStringLiteral("Saved the record to %1").arg(saved));
        const QByteArray live = contents(livePath);
        QVERIFY(live.contains("loopback") || live.contains("com1_dsr"));
        if (name.endsWith(QLatin1String(".vcd")))
            QCOMPARE(vcdBody(contents(saved)), vcdBody(live));
        else
            QCOMPARE(contents(saved), live);
    }

    void recordButtonStartsAndStopsAndSaysWhatFailed()
    {
        QTemporaryDir dir;
        Sernix::Record::Record record;
        Sernix::Record::Recordings recordings(record);
        HistoryWindow window(record, recordings);
        auto *button = named<QPushButton>(&window, QStringLiteral("HistoryRecord"));
        auto *status = named<QLabel>(&window, QStringLiteral("HistoryStatus"));
        const QString path = dir.filePath(QStringLiteral("a.csv"));
        window.setPathChooser([&](QWidget *, const QString &, bool) { return path; });
        QCOMPARE(button->text(), QStringLiteral("Record to\u2026"));
        click(button);
        QVERIFY(recordings.isRunning(Sernix::Record::FileKind::Csv));
        QCOMPARE(button->text(), QStringLiteral("Stop recording"));
#ifndef Q_OS_WIN // where an open file cannot be removed
        // A file removed under a recording stops it, and the window says so.
        QVERIFY(QFile::remove(path));
        record.appendStatus(1, Kind::Off);
        recordings.flush();
        QVERIFY(!recordings.isRunning(Sernix::Record::FileKind::Csv));
        QVERIFY2(status->text().contains(QLatin1String("the file was removed")), qPrintable(status->text()));
        QCOMPARE(button->text(), QStringLiteral("Record to\u2026"));
#else
        click(button);
        Q_UNUSED(status);
#endif
        // One started elsewhere (from the command line) is stopped here too.
        QCOMPARE(recordings.start(dir.filePath(QStringLiteral("b.vcd"))), QString());
        QCOMPARE(button->text(), QStringLiteral("Stop recording"));
        click(button);
        QVERIFY(!recordings.isRunning(Sernix::Record::FileKind::Vcd));
        QCOMPARE(button->text(), QStringLiteral("Record to\u2026"));
    }
};

QTEST_MAIN(HistoryTest)
#include "tst_history.moc"
