// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "accessiblefactory.h"

#include "linebutton.h"
#include "linebuttonaccessible.h"
#include "namedlistaccessible.h"
#include "settinglistbox.h"

namespace Sernix::Controls {

namespace {

QAccessibleInterface *controlInterface(const QString &, QObject *object)
{
    if (auto *button = qobject_cast<LineButton *>(object))
        return new LineButtonAccessible(button);
    if (auto *list = qobject_cast<SettingListBox *>(object))
        return new NamedListAccessible(list);
    return nullptr;
}

} // namespace

void installAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace Sernix::Controls
