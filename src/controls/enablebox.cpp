// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "enablebox.h"

namespace Sernix::Controls {

int EnableBox::Value() const
{
    switch (checkState()) {
    case Qt::Unchecked:
        return Clear;
    case Qt::Checked:
        return Ticked;
    case Qt::PartiallyChecked:
        return Greyed;
    }
    return Clear;
}

void EnableBox::setValue(int value)
{
    switch (value) {
    case Ticked:
        setCheckState(Qt::Checked);
        break;
    case Greyed:
        setCheckState(Qt::PartiallyChecked);
        break;
    default:
        setCheckState(Qt::Unchecked);
        break;
    }
}

void EnableBox::nextCheckState()
{
    // Only code greys a box; the user's clicks just tick and clear it.
    setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
}

} // namespace Sernix::Controls
