// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "linebuttonaccessible.h"

#include "linebutton.h"

namespace Sernix::Controls {

namespace {

QAccessibleInterface *lineButtonInterface(const QString &, QObject *object)
{
    if (auto *button = qobject_cast<LineButton *>(object))
        return new LineButtonAccessible(button);
    return nullptr;
}

} // namespace

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

void LineButtonAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(lineButtonInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace Sernix::Controls
