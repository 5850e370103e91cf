// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QAccessibleWidget>

class QComboBox;

namespace Sernix::Controls {

// A list that keeps the accessible name it was given: Qt's own interface
// names a list by its current text on Unix, so four speed lists would all be
// called "9600". Its value is the text it shows.
class NamedListAccessible : public QAccessibleWidget
{
public:
    explicit NamedListAccessible(QComboBox *list);

    QString text(QAccessible::Text part) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
};

} // namespace Sernix::Controls
