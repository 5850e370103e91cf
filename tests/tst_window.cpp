#include "controls/controls.h"
#include "window/abouttexts.h"
#include "window/application.h"
#include "window/form1.h"
#include "window/module1.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

template <typename Control>
Control *named(const QWidget *window, const QString &name)
{
    auto *control = window->findChild<Control *>(name);
    if (!control)
        qFatal("no control named %s", qPrintable(name));
    return control;
}

QRect rectIn(const QWidget *control, const QWidget *window)
{
    return QRect(control->mapTo(window, QPoint(0, 0)), control->size());
}

QColor centrePixel(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    return image.pixelColor(image.rect().center());
}

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        // Simulated plugs: nothing here may reach the machine's own ports.
        const QString plug = QStringLiteral("loopback");
        window = std::make_unique<Form1>(Form1::DeviceNames{plug, plug, plug, plug});
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() { window.reset(); }

    void startsClearWithDesignTexts();
    void channelMapNamesTheRightControls();
    void pinGridReadsAgainstLegendAndHeader();
    void connectorPanelsDrawTheConnector();
    void pinNumbersAndChannelNamesStandOverTheirPins();
    void enableBoxValuesAndClicks();
    void onlyTransmitBoxesTakeTyping();
    void settingListsTypingAddsNothingAndIsNoClick();
    void keyboardOrderFollowsTheChannels();
    void colouredControlsShowTheirColour();
    void titleLineAndAboutTexts();
    void aboutPanelShowsAndHidesWithClicks();
    void aboutPanelCoversTheUpperLeft();
    void loadArmsLatchesAndTimer();

private:
    std::unique_ptr<Form1> window;
};

void WindowTest::startsClearWithDesignTexts()
{
    const QStringList initial{"9600", "n", "8", "1", "0"};
    for (int n = 1; n <= ChannelCount; ++n) {
        const ChannelControls &channel = window->channel(n);
        QCOMPARE(channel.enableBox->Value(), 0);
        QCOMPARE(channel.enableBox->text(), QStringLiteral("Com%1").arg(n));
        QVERIFY(channel.captionLabel->text().isEmpty());
        for (Pin pin : AllPins) {
            QVERIFY(channel.pin(pin)->text().isEmpty());
            QCOMPARE(channel.pinIndicator(pin)->BackColor(), OleColors::WindowBackground);
        }
        QCOMPARE(channel.dtrButton->BackColor(), OleColors::ButtonFace);
        QCOMPARE(channel.rtsButton->BackColor(), OleColors::ButtonFace);
        for (int role = 0; role < SettingRoleCount; ++role) {
            QComboBox *list = channel.list(SettingRole(role));
            QCOMPARE(list->currentText(), initial[role]);
            QVERIFY(list->isEditable());
            // The list opens on the item it shows.
            QCOMPARE(list->itemText(list->currentIndex()), initial[role]);
        }
        QCOMPARE(named<QGroupBox>(window.get(), QStringLiteral("Frame2(%1)").arg(n - 1))->title(),
                 QStringLiteral("COM %1").arg(n));
    }
    QVERIFY(named<QWidget>(window.get(), "Frame4")->isHidden());
    QCOMPARE(window->menuBar()->actions().size(), 1);
    QCOMPARE(window->menuBar()->actions().first()->objectName(), QStringLiteral("mnu_Prog"));
    QCOMPARE(window->menuBar()->actions().first()->text(), QStringLiteral("About"));
    QVERIFY(!window->menuBar()->actions().first()->menu());
    QCOMPARE(window->centralWidget()->size(), QSize(684, 551));
}

void WindowTest::channelMapNamesTheRightControls()
{
    // Each caption label is the one inside its own channel's connector panel:
    // channel 3 reports in Label16, channel 4 in Label15.
    for (int n = 1; n <= ChannelCount; ++n) {
        const ChannelControls &channel = window->channel(n);
        auto *panel = named<QWidget>(window.get(), QStringLiteral("Frame2(%1)").arg(n - 1));
        QCOMPARE(channel.captionLabel->parentWidget(), panel);
        for (Pin pin : AllPins)
            QCOMPARE(channel.pinIndicator(pin)->parentWidget(), panel);
    }
    QCOMPARE(window->channel(3).captionLabel->objectName(), QStringLiteral("Label16"));
    QCOMPARE(window->channel(4).captionLabel->objectName(), QStringLiteral("Label15"));

    // The five lists of a channel sit in its own setting panel, top to bottom
    // speed, parity, data bits, stop bits, handshaking; the items tell the role.
    for (int n = 1; n <= ChannelCount; ++n) {
        const ChannelControls &channel = window->channel(n);
        auto *panel = named<QWidget>(window.get(), QStringLiteral("Frame3(%1)").arg(n - 1));
        int previousTop = -1;
        for (int role = 0; role < SettingRoleCount; ++role) {
            QComboBox *list = channel.list(SettingRole(role));
            QCOMPARE(list->parentWidget(), panel);
            QVERIFY(list->y() > previousTop);
            previousTop = list->y();
        }
        QCOMPARE(channel.list(SettingRole::Speed)->count(), 12);
        QCOMPARE(channel.list(SettingRole::StopBits)->count(), 2);
    }
    auto *channel2StopBits = named<QComboBox>(window.get(), "Combo1(4)");
    QCOMPARE(channel2StopBits, window->channel(2).list(SettingRole::StopBits));
    QCOMPARE(channel2StopBits->itemText(1), QStringLiteral("2"));
    QCOMPARE(named<QComboBox>(window.get(), "Combo1(16)"), window->channel(1).list(SettingRole::Handshaking));
    QCOMPARE(named<QComboBox>(window.get(), "Combo1(19)"), window->channel(4).list(SettingRole::Handshaking));

    // Left column channels 1 and 3, right column 2 and 4, settings outside.
    const auto panelRect = [&](const char *array, int n) {
        return rectIn(named<QWidget>(window.get(), QStringLiteral("%1(%2)").arg(array).arg(n - 1)),
                      window->centralWidget());
    };
    QVERIFY(panelRect("Frame3", 1).right() < panelRect("Frame2", 1).left());
    QVERIFY(panelRect("Frame2", 1).right() < panelRect("Frame2", 2).left());
    QVERIFY(panelRect("Frame2", 2).right() < panelRect("Frame3", 2).left());
    QVERIFY(panelRect("Frame2", 1).bottom() < panelRect("Frame2", 3).top());
    QCOMPARE(panelRect("Frame2", 3).left(), panelRect("Frame2", 1).left());
    QCOMPARE(panelRect("Frame2", 4).left(), panelRect("Frame2", 2).left());
    QVERIFY(panelRect("Frame3", 4).right() <= window->centralWidget()->width());
    QVERIFY(panelRect("Frame2", 4).bottom() <= window->centralWidget()->height());
}

void WindowTest::pinGridReadsAgainstLegendAndHeader()
{
    for (Pin pin : AllPins) {
        auto *legend = named<QLabel>(window.get(), QStringLiteral("Label%1").arg(pinNumber(pin) + 2));
        QVERIFY2(legend->text().startsWith(QString::number(pinNumber(pin)) + QLatin1Char('(')),
                 qPrintable(legend->text()));
        for (int n = 1; n <= ChannelCount; ++n) {
            const QRect box = window->channel(n).pin(pin)->geometry();
            QCOMPARE(box.top(), legend->geometry().top());
            QVERIFY(legend->geometry().right() < window->channel(1).pin(pin)->x());
            QCOMPARE(box.left(), window->channel(n).pin(Pin::Dcd)->x());
            if (n > 1)
                QVERIFY(window->channel(n - 1).pin(pin)->geometry().right() < box.left());
        }
    }
    // Line buttons stand just left of their line's box, between the columns.
    for (int n = 1; n <= ChannelCount; ++n) {
        const ChannelControls &channel = window->channel(n);
        for (auto [button, pin] : {std::pair{channel.dtrButton, Pin::Dtr}, std::pair{channel.rtsButton, Pin::Rts}}) {
            const QRect box = channel.pin(pin)->geometry();
            QCOMPARE(button->y(), box.y());
            QVERIFY(button->geometry().right() < box.left());
            QVERIFY(box.left() - button->geometry().right() <= 16);
            if (n > 1)
                QVERIFY(window->channel(n - 1).pin(pin)->geometry().right() < button->x());
        }
    }
}

void WindowTest::connectorPanelsDrawTheConnector()
{
    for (int n = 1; n <= ChannelCount; ++n) {
        const ChannelControls &channel = window->channel(n);
        const QRect panel = channel.pinIndicator(Pin::Dcd)->parentWidget()->rect();
        for (Pin pin : AllPins) {
            const QRect shape = channel.pinIndicator(pin)->geometry();
            QVERIFY(panel.contains(shape));
            QCOMPARE(shape.width(), shape.height());
            const Pin rowLeader = pin <= Pin::Gnd ? Pin::Dcd : Pin::Dsr;
            QCOMPARE(shape.y(), channel.pinIndicator(rowLeader)->y());
            if (pin != rowLeader)
                QVERIFY(channel.pinIndicator(Pin(pinNumber(pin) - 1))->geometry().right() < shape.left());
        }
        // The lower row sits half a pitch in, between the pins above it.
        const int pitch = channel.pinIndicator(Pin::Rd)->x() - channel.pinIndicator(Pin::Dcd)->x();
        QCOMPARE(channel.pinIndicator(Pin::Dsr)->x() - channel.pinIndicator(Pin::Dcd)->x(), pitch / 2);
        QVERIFY(channel.pinIndicator(Pin::Dsr)->y() > channel.pinIndicator(Pin::Dcd)->geometry().bottom());
        QVERIFY(channel.captionLabel->y() > channel.pinIndicator(Pin::Ri)->geometry().bottom());
        QCOMPARE(channel.captionLabel->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    }
}

void WindowTest::pinNumbersAndChannelNamesStandOverTheirPins()
{
    QCOMPARE(window->font().pointSize(), 8);
    QCOMPARE(QFontInfo(window->font()).styleHint(), QFont::SansSerif);

    // Measured in the font the label really draws with: each word's centre is
    // within half a blank of the centre of what it labels.
    const auto checkWords = [](QLabel *label, const QList<QWidget *> &targets) {
        const QFontMetricsF metrics(label->font());
        const QStringList words = label->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QCOMPARE(words.size(), targets.size());
        qsizetype from = 0;
        for (int i = 0; i < words.size(); ++i) {
            const qsizetype at = label->text().indexOf(words[i], from);
            from = at + words[i].size();
            const qreal start = metrics.horizontalAdvance(label->text().left(at));
            const qreal centre =
                label->mapTo(label->window(), QPoint(0, 0)).x() + start + metrics.horizontalAdvance(words[i]) / 2;
            const qreal target = targets[i]->mapTo(label->window(), QPoint(0, 0)).x() + targets[i]->width() / 2.0;
            const qreal tolerance = metrics.horizontalAdvance(QLatin1Char(' ')) / 2 + 1;
            QVERIFY2(qAbs(centre - target) <= tolerance,
                     qPrintable(QStringLiteral("%1 '%2' at %3, target %4")
                                    .arg(label->objectName(), words[i])
                                    .arg(centre)
                                    .arg(target)));
            QVERIFY2(start + metrics.horizontalAdvance(words[i]) <= label->width(),
                     qPrintable(QStringLiteral("%1 '%2' beyond the label's width").arg(label->objectName(), words[i])));
        }
    };
    for (int n = 1; n <= ChannelCount; ++n) {
        const ChannelControls &channel = window->channel(n);
        auto *upper = named<QLabel>(window.get(), QStringLiteral("Label1(%1)").arg(n - 1));
        auto *lower = named<QLabel>(window.get(), QStringLiteral("Label2(%1)").arg(n - 1));
        QCOMPARE(upper->text().split(' ', Qt::SkipEmptyParts), QStringList({"1", "2", "3", "4", "5"}));
        checkWords(upper,
                   {channel.pinIndicator(Pin::Dcd), channel.pinIndicator(Pin::Rd), channel.pinIndicator(Pin::Td),
                    channel.pinIndicator(Pin::Dtr), channel.pinIndicator(Pin::Gnd)});
        checkWords(lower,
                   {channel.pinIndicator(Pin::Dsr), channel.pinIndicator(Pin::Rts), channel.pinIndicator(Pin::Cts),
                    channel.pinIndicator(Pin::Ri)});
    }
    auto *header = named<QLabel>(window.get(), "Label12");
    QCOMPARE(header->text().split(' ', Qt::SkipEmptyParts), QStringList({"Com1", "Com2", "Com3", "Com4"}));
    checkWords(header,
               {window->channel(1).pin(Pin::Dcd), window->channel(2).pin(Pin::Dcd), window->channel(3).pin(Pin::Dcd),
                window->channel(4).pin(Pin::Dcd)});
}

void WindowTest::enableBoxValuesAndClicks()
{
    // Value 2 (greyed) is set by code only; a click on a greyed box clears it.
    EnableBox *box = window->channel(2).enableBox;
    QSignalSpy changes(box, &QCheckBox::stateChanged);
    box->setValue(EnableBox::Greyed);
    QCOMPARE(box->Value(), 2);
    QCOMPARE(box->checkState(), Qt::PartiallyChecked);
    for (int expected : {0, 1, 0}) {
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
        QCOMPARE(box->Value(), expected);
    }
    QCOMPARE(changes.count(), 4); // every change, by code or by hand, is a Click
}

void WindowTest::onlyTransmitBoxesTakeTyping()
{
    for (int n = 1; n <= ChannelCount; ++n) {
        for (Pin pin : AllPins) {
            QLineEdit *box = window->channel(n).pin(pin);
            box->setFocus();
            QTest::keyClicks(box, "ab");
            QCOMPARE(box->text(), pin == Pin::Td ? QStringLiteral("ab") : QString());
        }
    }
    // Locked boxes still let the user select and copy what they show.
    PinTextBox *receive = window->channel(1).pin(Pin::Rd);
    receive->setText(QStringLiteral("xyz"));
    receive->selectAll();
    QCOMPARE(receive->selectedText(), QStringLiteral("xyz"));

    // A burst far longer than a line edit holds is kept whole, and copying
    // the whole box copies all of it.
    QString burst;
    for (int i = 0; i < 40000; ++i)
        burst += QChar(i % 256);
    receive->setText(burst);
    QCOMPARE(receive->Text(), burst);
    receive->setFocus();
    receive->selectAll();
    QTest::keySequence(receive, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), burst);
}

void WindowTest::settingListsTypingAddsNothingAndIsNoClick()
{
    QComboBox *speed = window->channel(2).list(SettingRole::Speed);
    QSignalSpy clicks(speed, &QComboBox::activated);
    speed->lineEdit()->selectAll();
    QTest::keyClicks(speed, "12");
    QCOMPARE(speed->currentText(), QStringLiteral("12")); // no completion to "1200"
    QTest::keyClick(speed, Qt::Key_Return);
    QCOMPARE(speed->count(), 12);
    QCOMPARE(clicks.count(), 0);

    // Choosing from the drop-down is a Click, also for the item already shown.
    speed->showPopup();
    QAbstractItemView *popup = speed->view();
    QTRY_VERIFY(popup->isVisible());
    popup->setCurrentIndex(popup->model()->index(8, 0));
    QTest::keyClick(popup, Qt::Key_Return);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(speed->currentText(), QStringLiteral("19200"));
}

void WindowTest::keyboardOrderFollowsTheChannels()
{
    const auto nextAfter = [&](const QString &name) {
        QWidget *widget = named<QWidget>(window.get(), name);
        QWidget *next = widget->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        // A combo box takes focus through its line edit.
        return next->objectName().isEmpty() ? next->parentWidget()->objectName() : next->objectName();
    };
    QCOMPARE(nextAfter("Check4"), QStringLiteral("Text2"));
    QCOMPARE(nextAfter("Text10"), QStringLiteral("Text11"));
    QCOMPARE(nextAfter("Text37"), QStringLiteral("Command3"));
    QCOMPARE(nextAfter("Command6"), QStringLiteral("Combo1(0)"));
    QCOMPARE(nextAfter("Command10"), QStringLiteral("Text38"));
    QCOMPARE(nextAfter("Text39"), QStringLiteral("Combo1(16)"));
}

void WindowTest::colouredControlsShowTheirColour()
{
    LineButton *button = window->channel(1).dtrButton;
    const QColor face = centrePixel(button);
    button->setBackColor(OleColors::Red);
    QCOMPARE(centrePixel(button), QColor(255, 0, 0));
    button->setBackColor(OleColors::ButtonFace);
    QCOMPARE(centrePixel(button), face);

    ShapeIndicator *indicator = window->channel(4).pinIndicator(Pin::Dsr);
    QCOMPARE(centrePixel(indicator), window->palette().color(QPalette::Base));
    indicator->setBackColor(OleColors::Green);
    QCOMPARE(centrePixel(indicator), QColor(0, 192, 0));
    // A circle: the corners are not filled.
    QVERIFY(indicator->grab().toImage().pixelColor(1, 1) != QColor(0, 192, 0));
}

void WindowTest::titleLineAndAboutTexts()
{
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    QCOMPARE(window->windowTitle(),
             QStringLiteral("Draventa       Sernix v.1.1              Date:") + QStringLiteral("  ") + date);

    const QString about = named<MultiLineTextBox>(window.get(), "Text38")->Text();
    const QString terms = named<MultiLineTextBox>(window.get(), "Text39")->Text();
    for (const QString &text : {about, terms}) {
        QCOMPARE(text.count(QLatin1String("\r\n")), 6);
        QCOMPARE(text.count(QLatin1Char('\n')), 6); // no bare line feeds
        QCOMPARE(text.count(QLatin1Char('\r')), 6);
        QVERIFY(!text.endsWith(QLatin1Char('\n')));
        QVERIFY(!text.startsWith(QLatin1Char('\r')));
    }
    const QStringList aboutLines = about.split(QLatin1String("\r\n"));
    QCOMPARE(aboutLines.mid(0, 2), QStringList({"Draventa", "Sernix v.1.1"}));
    QVERIFY(aboutLines[5].isEmpty());
    for (int line : {2, 3, 4, 6})
        QVERIFY(!aboutLines[line].isEmpty());

    const QStringList termsLines = terms.split(QLatin1String("\r\n"));
    QCOMPARE(termsLines[0], QStringLiteral("Agreement to use the program Sernix v.1.1:"));
    QVERIFY(termsLines[1].endsWith(QLatin1Char(' ')));
    QVERIFY(termsLines[2].startsWith("2. The program is freely distributed by the author from the site " + aboutLines[3]
                                     + ". Distribution of c other sources"));
    QVERIFY(termsLines[3].startsWith(QLatin1String("3. ")));
    QVERIFY(termsLines[4].startsWith(QLatin1Char('.')));
    QVERIFY(!termsLines[4].at(1).isDigit());
    for (const QString &line : termsLines)
        QVERIFY(!line.isEmpty());
}

void WindowTest::aboutPanelShowsAndHidesWithClicks()
{
    auto *panel = named<QWidget>(window.get(), "Frame4");
    QAction *about = window->menuBar()->actions().first();
    const auto clickAbout = [&] {
        QTest::mouseClick(window->menuBar(), Qt::LeftButton, {}, window->menuBar()->actionGeometry(about).center());
    };
    const auto clickOn = [](const QString &, QWidget *widget, QPoint at) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    };

    clickAbout();
    QVERIFY(!panel->isHidden());
    clickAbout();
    QVERIFY(panel->isHidden());

    struct Case
    {
        const char *name;
        bool hides;
    };
    for (const Case &c : {Case{"Text39", false}, Case{"Image1", false}, Case{"Text38", true}, Case{"Image2", true},
                          Case{"Frame4", true}}) {
        clickAbout();
        QVERIFY(panel->isVisible());
        QWidget *target = named<QWidget>(window.get(), QLatin1String(c.name));
        QWidget *receiver = target;
        if (auto *text = qobject_cast<QAbstractScrollArea *>(target))
            receiver = text->viewport();
        // Free area of the panel: its lower right corner, clear of everything.
        const QPoint at = target == panel ? QPoint(panel->width() - 4, panel->height() - 4) : receiver->rect().center();
        QCOMPARE(window->centralWidget()->childAt(receiver->mapTo(window->centralWidget(), at)),
                 target == panel ? panel : receiver);
        clickOn(c.name, receiver, at);
        QCOMPARE(panel->isHidden(), c.hides);
        if (!c.hides)
            clickAbout();
        QVERIFY2(panel->isHidden(), c.name);
    }
}

void WindowTest::aboutPanelCoversTheUpperLeft()
{
    window->mnu_Prog_Click();
    QWidget *client = window->centralWidget();
    auto *panel = named<QWidget>(window.get(), "Frame4");
    const auto covered = [&](QWidget *control) {
        QWidget *top = client->childAt(control->mapTo(client, control->rect().center()));
        return top && (top == panel || panel->isAncestorOf(top));
    };
    QVERIFY(covered(named<QWidget>(window.get(), "Check1")));
    QVERIFY(covered(named<QWidget>(window.get(), "Label3")));
    QVERIFY(covered(window->channel(1).pin(Pin::Gnd)));
    QVERIFY(covered(window->channel(2).dtrButton));
    QVERIFY(!covered(window->channel(3).pin(Pin::Gnd)));
    QVERIFY(!covered(window->channel(1).pinIndicator(Pin::Dcd)));
}

void WindowTest::loadArmsLatchesAndTimer()
{
    for (qint16 latch : Module1::TransmitLatch)
        QCOMPARE(latch, qint16(1));
    QVERIFY(window->Timer1.isActive());
    QCOMPARE(window->Timer1.interval(), 300);
    QCOMPARE(window->MSComm1.CommPort(), 1);
    QCOMPARE(window->MSComm4.CommPort(), 4);
    QCOMPARE(window->channel(3).serialControl, &window->MSComm3);
    QVERIFY(!window->MSComm2.PortOpen());

    // The window carries "Icon1" at the style's large and small sizes.
    const QList<QSize> sizes = window->windowIcon().availableSizes();
    const int large = window->style()->pixelMetric(QStyle::PM_LargeIconSize);
    const int small = window->style()->pixelMetric(QStyle::PM_SmallIconSize);
    QVERIFY2(sizes.contains(QSize(large, large)) && sizes.contains(QSize(small, small)),
             qPrintable(QString::number(sizes.size())));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    configureApplication();
    WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
