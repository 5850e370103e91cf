// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "windowtesting.h"

#include "controls/enablebox.h"
#include "history/historyview.h"
#include "history/historywindow.h"
#include "record/recording.h"
#include "serial/portcatalogue.h"

#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Sernix::Controls;
using namespace Sernix::Rig;
using namespace Sernix::Window;
using namespace Sernix::History;
using Kind = Sernix::Record::EventKind;

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
        QTest::newRow("Ctrl+H") << 0 << false << false;
        QTest::newRow("Com1 box, off") << 1 << false << false;
        QTest::newRow("Com3 box, on") << 3 << false << true;
        QTest::newRow("COM 4 panel, off") << 4 << true << false;
        QTest::newRow("COM 2 panel, on") << 2 << true << true;
    }
    void opensFromEachMenuAndTheShortcut()
    {
        QFETCH(int, channel);
        QFETCH(bool, fromPanel);
        QFETCH(bool, ticked);
        Form1 &form = open({"loopback", "loopback", "loopback", "loopback"});
        if (channel == 0) {
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QTest::keyClick(&form, Qt::Key_H, Qt::ControlModifier);
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
            QAction *history = menu->actions().constLast();
            QCOMPARE(history->text(), QStringLiteral("History\u2026"));
            QVERIFY(history->isEnabled());
            history->trigger();
            menu->close();
        }
        auto *window = form.findChild<HistoryWindow *>(QStringLiteral("History"));
        QVERIFY(window);
        QTRY_VERIFY(window->isVisible());
        QCOMPARE(window->view().selectedLane().channel, channel);
        // The channel's header row is at the top of what the lanes show, or as near as scrolling goes.
        auto *lanes = named<QScrollArea>(window, QStringLiteral("HistoryLanes"));
        QCOMPARE(lanes->verticalScrollBar()->value(),
                 std::min(LaneLayout::channelTop(channel), lanes->verticalScrollBar()->maximum()));
        // A screen reader can tell every part of the window by its name.
        for (const QWidget *part : window->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
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
        const auto at = [&](qint64 when, Kind kind, const QString &value = {}, const QByteArray &bytes = {}) {
            record.append(1, kind, value, {}, bytes, when);
        };
        at(2 * Ms, Kind::On, QStringLiteral("loopback"));
        for (Kind line : {Kind::Dcd, Kind::Dsr, Kind::Cts, Kind::Ri, Kind::Dtr, Kind::Rts})
            at(3 * Ms, line, QStringLiteral("1"));
        at(15 * Ms, Kind::Received, {}, "hello");
        at(20 * Ms, Kind::Pulse, QStringLiteral("CTS"));
        at(25 * Ms, Kind::Framing, QStringLiteral("2"));
        at(27 * Ms, Kind::Dcd, QStringLiteral("0"));
        at(40 * Ms, Kind::Lost);
        at(50 * Ms, Kind::Back);
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
        record->append(1, Kind::On, QStringLiteral("loopback"), QStringLiteral("9600,n,8,1 0"), {}, base);
        for (Kind line : {Kind::Dcd, Kind::Dsr, Kind::Cts, Kind::Ri, Kind::Dtr, Kind::Rts})
            record->append(1, line, QStringLiteral("1"), {}, {}, base + 5 * Ms);
        record->append(1, Kind::Pulse, QStringLiteral("DSR"), QStringLiteral("4"), {}, base + 90 * Ms);
        record->append(1, Kind::Received, {}, {}, QByteArray("=a,\"b\"\r\n\0\xff", 10), base + 91 * Ms);
        record->append(1, Kind::Lost, {}, QStringLiteral("gone"), {}, base + 200 * Ms);
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
        record.append(1, Kind::Off);
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
