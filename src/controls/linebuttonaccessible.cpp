// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "linebuttonaccessible.h"

#include "linebutton.h"

namespace Sernix::Controls {

LineButtonAccessible::LineButtonAccessible(LineButton *button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

QAccessible::State LineButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = static_cast<const LineButton *>(widget())->isLineOn();
    return state;
}

QStringList LineButtonAccessible::actionNames() const
{
    return {toggleAction(), pressAction()};
}

void LineButtonAccessible::doAction(const QString &actionName)
{
    if (widget()->isEnabled() && (actionName == toggleAction() || actionName == pressAction()))
        static_cast<LineButton *>(widget())->click();
}

} // namespace Sernix::Controls
