// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "record/csvformat.h"
#include "window/form1.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// The window tests' shared fixture: driving the window as a user would, and
// a guard over the program's modal message boxes.
namespace Sernix::Rig {

template <typename Control = QWidget>
Control *named(const QWidget *window, const QString &name)
{
    auto *control = window->findChild<Control *>(name);
    if (!control)
        qFatal("no control named %s", qPrintable(name));
    return control;
}

// A line event as its CSV row names it: "pulse DSR 2", "on loopback 9600,n,8,1  comNone".
inline QString eventText(const Record::Record &record, const Record::Event &event)
{
    return (Record::eventName(event.kind) + u' ' + Record::CsvFormat::valueText(record, event) + u' '
            + Record::CsvFormat::detailText(record, event))
        .trimmed();
}

inline void click(QWidget *control)
{
    QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
}

// What a pick from the drop-down does: the item becomes current, then Click.
inline void choose(QComboBox *list, const QString &item)
{
    list->setCurrentIndex(list->findText(item));
    Q_EMIT list->activated(list->currentIndex());
}

inline void typeInto(QComboBox *list, const QString &text)
{
    list->lineEdit()->selectAll();
    QTest::keyClicks(list->lineEdit(), text);
}

// Answers every modal message box at once, as a user pressing OK would, after
// noting its text and running whileOpen (which may wait for the timer). A box
// not of the program's one kind (titled with the program, no icon, OK only)
// is noted with a complaint.
class MessageGuard : public QObject
{
public:
    MessageGuard()
    {
        connect(&m_poll, &QTimer::timeout, this, &MessageGuard::answer);
        m_poll.start(5);
    }

    std::function<void()> whileOpen;

    // The texts of the boxes answered since the last call.
    QStringList take() { return std::exchange(m_seen, {}); }

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || m_busy)
            return;
        m_busy = true;
        const bool programKind = box->windowTitle() == QGuiApplication::applicationDisplayName()
            && box->icon() == QMessageBox::NoIcon && box->buttons().size() == 1 && box->button(QMessageBox::Ok);
        m_seen << box->text() + (programKind ? QString() : QStringLiteral(" (not the program's kind of box)"));
        if (whileOpen)
            whileOpen();
        box->done(QMessageBox::Ok);
        m_busy = false;
    }

    QTimer m_poll;
    QStringList m_seen;
    bool m_busy = false;
};

// The window under test and the guard. A test takes the messages it expects;
// one left over fails it in cleanup, so an unexpected box neither hangs the
// run nor passes unnoticed.
class Fixture
{
protected:
    // A shown window whose timer the test drives itself. A channel given no
    // device gets one that cannot exist: no test reaches the machine's ports.
    Window::Form1 &open(Window::Form1::DeviceNames devices)
    {
        for (std::size_t i = 0; i < devices.size(); ++i) {
            if (devices[i].isEmpty())
                devices[i] = QStringLiteral("/dev/sernix-test-absent-%1").arg(i + 1);
        }
        window = std::make_unique<Window::Form1>(devices);
        window->show();
        window->Timer1.stop();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("the window was never shown");
        return *window;
    }

    void finish()
    {
        window.reset();
        messages.whileOpen = nullptr;
        const QStringList unexpected = messages.take();
        QVERIFY2(unexpected.isEmpty(), qPrintable(QStringLiteral("unexpected message box: ") + unexpected.join(", ")));
    }

    std::unique_ptr<Window::Form1> window;
    MessageGuard messages;
};

} // namespace Sernix::Rig
