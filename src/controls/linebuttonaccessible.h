// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QAccessibleWidget>

namespace Sernix::Controls {

class LineButton;

// What assistive technology sees of a line button: a toggle, checked while
// its line is on. The button itself stays a plain push button, so that a
// click on an off channel toggles nothing and it is never drawn sunken.
class LineButtonAccessible : public QAccessibleWidget
{
public:
    explicit LineButtonAccessible(LineButton *button);

    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
};

} // namespace Sernix::Controls
