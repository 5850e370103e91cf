#pragma once

#include "controls/controls.h"
#include "window/form1.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <memory>

// Driving the window as a user would, for the tests that work through it.
namespace WindowTesting {

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

// A shown window whose timer the test drives itself. A channel given no
// device gets one that cannot exist: no test may reach the machine's own
// serial ports.
inline std::unique_ptr<Form1> openWindow(Form1::DeviceNames devices)
{
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].isEmpty())
            devices[i] = QStringLiteral("/dev/sernix-test-absent-%1").arg(i + 1);
    }
    auto window = std::make_unique<Form1>(devices);
    window->Timer1.stop();
    window->show();
    return window;
}

} // namespace WindowTesting
