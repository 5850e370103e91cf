// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "windowtesting.h"

#include "channel/connectorstatus.h"
#include "controls/enablebox.h"
#include "controls/fittedlabel.h"
#include "controls/linebutton.h"
#include "controls/multilinetextbox.h"
#include "controls/olecolor.h"
#include "controls/pintextbox.h"
#include "controls/shapeindicator.h"
#include "window/application.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace Sernix::Controls;
using namespace Sernix::Rig;
using namespace Sernix::Window;

namespace {

QColor centrePixel(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    return image.pixelColor(image.rect().center());
}

// Whether a box shows its text: a dark pixel within its frame.
bool drawsText(QWidget *box)
{
    const QImage image = box->grab().toImage();
    const QRect inside = image.rect().adjusted(3, 3, -3, -3);
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (image.pixelColor(x, y).lightness() < 128)
                return true;
        }
    }
    return false;
}

} // namespace

class WindowTest : public QObject, Fixture
{
    Q_OBJECT

private Q_SLOTS:
    // Simulated plugs on every channel: nothing here reaches a real port.
    void init() { open({"loopback", "loopback", "loopback", "loopback"}); }
    void cleanup() { finish(); }

    void eachChannelHasItsOwnControls()
    {
        // The channel map against what the builder made: a channel's caption
        // and pins sit in its own connector panel, its lists in its own
        // setting panel, top to bottom in their roles (told apart by what
        // they show).
        const QStringList shown{"9600", "n", "8", "1", "0"};
        for (int n = 1; n <= ChannelCount; ++n) {
            const ChannelControls &channel = window->channel(n);
            auto *connector = named(window.get(), QStringLiteral("Frame2(%1)").arg(n - 1));
            QCOMPARE(channel.captionLabel->parentWidget(), connector);
            for (Pin pin : AllPins)
                QCOMPARE(channel.pinIndicator(pin)->parentWidget(), connector);
            int previousTop = -1;
            for (int role = 0; role < SettingRoleCount; ++role) {
                QComboBox *list = channel.list(SettingRole(role));
                QCOMPARE(list->parentWidget(), named(window.get(), QStringLiteral("Frame3(%1)").arg(n - 1)));
                QCOMPARE(list->currentText(), shown[role]);
                QVERIFY(list->y() > std::exchange(previousTop, list->y()));
            }
        }
    }

    void pinNumbersAndChannelNamesStandOverTheirPins()
    {
        // Measured in the font the label draws with: each word's centre is within
        // half a blank of the centre of what it names.
        const auto checkWords = [](QLabel *label, const QList<QWidget *> &targets) {
            const QFontMetricsF metrics(label->font());
            const QStringList words = label->text().split(u' ', Qt::SkipEmptyParts);
            QCOMPARE(words.size(), targets.size());
            qsizetype from = 0;
            for (int i = 0; i < words.size(); ++i) {
                const qsizetype at = label->text().indexOf(words[i], from);
                from = at + words[i].size();
                const qreal start = metrics.horizontalAdvance(label->text().left(at));
                const qreal end = start + metrics.horizontalAdvance(words[i]);
                const qreal centre = label->mapTo(label->window(), QPoint(0, 0)).x() + (start + end) / 2;
                const qreal target = targets[i]->mapTo(label->window(), QPoint(0, 0)).x() + targets[i]->width() / 2.0;
                QVERIFY2(qAbs(centre - target) <= metrics.horizontalAdvance(u' ') / 2 + 1 && end <= label->width(),
                         qPrintable(QStringLiteral("%1 '%2' at %3, target %4")
                                        .arg(label->objectName(), words[i])
                                        .arg(centre)
                                        .arg(target)));
            }
        };
        QList<QWidget *> firstPins;
        for (int n = 1; n <= ChannelCount; ++n) {
            const ChannelControls &channel = window->channel(n);
            QList<QWidget *> pins;
            for (Pin pin : AllPins)
                pins << channel.pinIndicator(pin);
            checkWords(named<QLabel>(window.get(), QStringLiteral("Label1(%1)").arg(n - 1)), pins.mid(0, 5));
            checkWords(named<QLabel>(window.get(), QStringLiteral("Label2(%1)").arg(n - 1)), pins.mid(5));
            firstPins << channel.pin(Pin::Dcd);
        }
        checkWords(named<QLabel>(window.get(), QStringLiteral("Label12")), firstPins);
    }

    void onlyTransmitBoxesTakeTypingAndLockedBoxesCopyAll()
    {
        for (Pin pin : AllPins) {
            QLineEdit *box = window->channel(3).pin(pin);
            box->setFocus();
            QTest::keyClicks(box, "ab");
            QCOMPARE(box->text(), pin == Pin::Td ? QStringLiteral("ab") : QString());
        }
        // A burst far longer than a line edit holds is kept whole, and copying
        // the whole box copies all of it.
        QString burst;
        for (int i = 0; i < 40000; ++i)
            burst += QChar(i % 256);
        PinTextBox *receive = window->channel(1).pin(Pin::Rd);
        receive->setText(burst);
        QCOMPARE(receive->Text(), burst);
        receive->setFocus();
        receive->selectAll();
        QTest::keySequence(receive, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), burst);
    }

    void settingListsTypingAddsNothingAndIsNoClick()
    {
        QComboBox *speed = window->channel(2).list(SettingRole::Speed);
        const int items = speed->count();
        QSignalSpy clicks(speed, &QComboBox::activated);
        speed->lineEdit()->selectAll();
        QTest::keyClicks(speed, "12");
        QCOMPARE(speed->currentText(), QStringLiteral("12")); // no completion to "1200"
        QTest::keyClick(speed, Qt::Key_Return);
        QCOMPARE(speed->count(), items);
        QCOMPARE(clicks.count(), 0);

        // Choosing from the drop-down is a Click.
        speed->showPopup();
        QTRY_VERIFY(speed->view()->isVisible());
        speed->view()->setCurrentIndex(speed->model()->index(items - 1, 0));
        QTest::keyClick(speed->view(), Qt::Key_Return);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(speed->currentText(), speed->itemText(items - 1));
    }

    void colouredControlsShowTheirColour()
    {
        LineButton *button = window->channel(1).dtrButton;
        button->setBackColor(OleColors::Red);
        QCOMPARE(centrePixel(button), QColor(255, 0, 0));
        ShapeIndicator *indicator = window->channel(4).pinIndicator(Pin::Dsr);
        QCOMPARE(centrePixel(indicator), window->palette().color(QPalette::Base));
        indicator->setBackColor(OleColors::Green);
        QCOMPARE(centrePixel(indicator), QColor(0, 192, 0));
        QVERIFY(indicator->grab().toImage().pixelColor(1, 1) != QColor(0, 192, 0)); // a circle
    }

    void titleDateAndAboutTexts()
    {
        // The date is the day the window loaded, which may be either side of midnight.
        const auto date = [] { return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat); };
        const QString before = date();
        init();
        const QString after = date();
        const QString title = QStringLiteral("Draventa       Sernix v.1.1              Date:  ");
        QVERIFY2(window->windowTitle() == title + before || window->windowTitle() == title + after,
                 qPrintable(window->windowTitle()));

        // The load step gave the window its icon at the large and small sizes:
        // on Windows the window system's own, elsewhere the style's in Qt.
#ifdef Q_OS_WIN
        for (const WPARAM size : {ICON_BIG, ICON_SMALL})
            QVERIFY(::SendMessageW(HWND(window->winId()), WM_GETICON, size, 0) != 0);
#else
        for (QStyle::PixelMetric metric : {QStyle::PM_LargeIconSize, QStyle::PM_SmallIconSize}) {
            const int size = window->style()->pixelMetric(metric);
            QVERIFY(window->windowIcon().availableSizes().contains(QSize(size, size)));
        }
#endif

        // The About texts break lines with CR LF only, and show plain lines.
        for (const char *name : {"Text38", "Text39"}) {
            auto *box = named<MultiLineTextBox>(window.get(), QLatin1String(name));
            QCOMPARE(box->Text().count(u'\n') + box->Text().count(u'\r'), 2 * box->Text().count(QLatin1String("\r\n")));
            QCOMPARE(box->toPlainText().split(u'\n'), box->Text().split(QLatin1String("\r\n")));
        }
    }

    void deviceStateTextsFitTheirLabel_data()
    {
        QTest::addColumn<int>("state");
        for (const auto state : {MSCommLib::DeviceState::Lost, MSCommLib::DeviceState::Busy,
                                 MSCommLib::DeviceState::OtherAdapter, MSCommLib::DeviceState::Reconnecting})
            QTest::newRow(qPrintable(Sernix::Channel::ConnectorStatus::deviceStateText(state))) << int(state);
    }
    void deviceStateTextsFitTheirLabel()
    {
        QFETCH(int, state);
        FittedLabel *label = window->channel(1).deviceState;
        const QString text = Sernix::Channel::ConnectorStatus::deviceStateText(MSCommLib::DeviceState(state));
        label->setFullText(text);
        QCOMPARE(label->text(), text); // not cut short
        const QRect needed =
            label->fontMetrics().boundingRect(label->contentsRect(), Qt::AlignCenter | Qt::TextWordWrap, text);
        QVERIFY(label->contentsRect().contains(needed));
        QCOMPARE(label->toolTip(), text);
    }

    void aboutPanelShowsAndHidesWithClicks()
    {
        auto *panel = named(window.get(), QStringLiteral("Frame4"));
        QAction *about = window->menuBar()->actions().value(0);
        QCOMPARE(about->text(), QStringLiteral("About"));
        const auto clickAbout = [&] {
            QTest::mouseClick(window->menuBar(), Qt::LeftButton, {}, window->menuBar()->actionGeometry(about).center());
        };
        QVERIFY(panel->isHidden());
        clickAbout();
        QVERIFY(panel->isVisible());
        QWidget *client = window->centralWidget();
        clickAbout();
        QVERIFY(panel->isHidden());

        // A click on the About text, the picture or the free area hides it; one
        // on the terms or the logo does not.
        for (auto [name, hides] : {std::pair{"Text39", false}, std::pair{"Image1", false}, std::pair{"Text38", true},
                                   std::pair{"Image2", true}, std::pair{"Frame4", true}}) {
            clickAbout();
            QWidget *target = named(window.get(), QLatin1String(name));
            if (auto *text = qobject_cast<QAbstractScrollArea *>(target))
                target = text->viewport();
            const QPoint at =
                target == panel ? QPoint(panel->width() - 4, panel->height() - 4) : target->rect().center();
            QCOMPARE(client->childAt(target->mapTo(client, at)), target);
            QTest::mouseClick(target, Qt::LeftButton, {}, at);
            QVERIFY2(panel->isHidden() == hides, name);
            if (!hides)
                clickAbout();
        }
    }
    void windowIsDrawnAlikeOnEveryPlatform()
    {
        // The README's picture at its first tick: every named control's place,
        // size, text and colours, in one digest that the Windows build must
        // meet as well. Blanks that space words for a font, and the width
        // they take, are left out.
        for (int n : {1, 2}) {
            click(window->channel(n).enableBox);
            window->channel(n).pin(Pin::Td)->setText(n == 1 ? "hello" : "RS232");
        }
        window->Timer1_Timer();
        QStringList controls;
        for (QWidget *control : window->findChildren<QWidget *>()) {
            if (control->objectName().isEmpty() || control->objectName().startsWith(QLatin1String("qt_"))
                || !control->isVisibleTo(window.get()))
                continue;
            // Some faces draw nothing in a line edit (Wine's stand-in when a family is missing).
            if (auto *box = qobject_cast<QLineEdit *>(control); box && !box->text().isEmpty())
                QVERIFY2(drawsText(box), qPrintable(box->objectName()));
            QString text;
            for (const char *property : {"text", "title", "currentText"})
                text += control->property(property).toString();
            // Places within the client area: the menu bar's height is the platform's.
            const QPoint place = control->mapTo(window->centralWidget(), QPoint());
            controls << QStringLiteral("%1 %2,%3 %4x%5 '%6' %7 %8")
                            .arg(control->objectName())
                            .arg(place.x())
                            .arg(place.y())
                            .arg(text.contains(QLatin1String("  ")) ? QStringLiteral("*")
                                                                    : QString::number(control->width()))
                            .arg(control->height())
                            .arg(text.simplified(), control->palette().color(QPalette::WindowText).name(),
                                 control->property("BackColor").toString());
        }
        controls.sort();
        const QByteArray digest =
            QCryptographicHash::hash(controls.join(u'\n').toUtf8(), QCryptographicHash::Sha1).toHex();
        // A change of the design changes the digest: the list shows what.
        const QByteArray drawn = "054eb8b5149c9e56a605eb29a65cd410d63ed2ef";
        if (digest != drawn)
            qInfo().noquote() << controls.join(u'\n');
        QCOMPARE(digest, drawn);
    }

    void everyControlSpeaks_data()
    {
        QTest::addColumn<int>("check");
        QTest::newRow("named, uniquely") << 0;
        QTest::newRow("states follow DTR") << 1;
        QTest::newRow("keyboard menu") << 2;
    }
    void everyControlSpeaks()
    {
        QFETCH(int, check);
        const ChannelControls &channel = window->channel(1);
        const auto spoken = [](QWidget *widget, QAccessible::Text part = QAccessible::Name) {
            return QAccessible::queryAccessibleInterface(widget)->text(part);
        };
        if (check == 0) {
            // Every control of the design (Qt's inner parts have no design name).
            QSet<QString> names;
            for (QWidget *control : window->findChildren<QWidget *>()) {
                if (control->objectName().isEmpty() || control->objectName().startsWith(QLatin1String("qt_")))
                    continue;
                const QString name = spoken(control);
                QVERIFY2(!name.isEmpty(), qPrintable(control->objectName()));
                QVERIFY2(!names.contains(name), qPrintable(name + QLatin1Char(' ') + control->objectName()));
                names << name;
            }
            QCOMPARE(spoken(channel.pin(Pin::Ri)), QStringLiteral("COM1 pin 9 RI"));
        } else if (check == 1) {
            QAccessibleInterface *button = QAccessible::queryAccessibleInterface(channel.dtrButton);
            click(channel.enableBox);
            for (const bool on : {true, false}) {
                click(channel.dtrButton);
                window->Timer1_Timer();
                QVERIFY(button->state().checkable);
                QCOMPARE(bool(button->state().checked), on);
                const QString state = on ? QStringLiteral("active") : QStringLiteral("idle");
                for (Pin pin : {Pin::Dtr, Pin::Dsr, Pin::Dcd})
                    QCOMPARE(spoken(channel.pinIndicator(pin), QAccessible::Description), state);
            }
        } else {
            for (const bool menuKey : {true, false}) {
                if (menuKey) {
                    QContextMenuEvent request(QContextMenuEvent::Keyboard, {},
                                              channel.enableBox->mapToGlobal(QPoint()));
                    QApplication::sendEvent(channel.enableBox, &request);
                } else {
                    QTest::keyClick(channel.enableBox, Qt::Key_F10, Qt::ShiftModifier);
                }
                auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                QVERIFY(menu);
                QVERIFY(std::any_of(menu->actions().cbegin(), menu->actions().cend(),
                                    [](QAction *a) { return a->text() == QLatin1String("Reset counters"); }));
                menu->close();
            }
        }
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    configureApplication();
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
