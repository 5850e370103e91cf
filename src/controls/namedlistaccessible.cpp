// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "namedlistaccessible.h"

#include <QComboBox>

namespace Sernix::Controls {

NamedListAccessible::NamedListAccessible(QComboBox *list)
    : QAccessibleWidget(list, QAccessible::ComboBox)
{
}

QString NamedListAccessible::text(QAccessible::Text part) const
{
    if (part == QAccessible::Value)
        return static_cast<const QComboBox *>(widget())->currentText();
    return QAccessibleWidget::text(part);
}

QStringList NamedListAccessible::actionNames() const
{
    return QAccessibleWidget::actionNames() << showMenuAction();
}

void NamedListAccessible::doAction(const QString &actionName)
{
    if (actionName == showMenuAction())
        static_cast<QComboBox *>(widget())->showPopup();
    else
        QAccessibleWidget::doAction(actionName);
}

} // namespace Sernix::Controls
