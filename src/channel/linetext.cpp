// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "linetext.h"

namespace Sernix::Channel::LineText {

QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool readsTrue(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    bool isNumber = false;
    const double number = trimmed.toDouble(&isNumber);
    return isNumber && number != 0;
}

} // namespace Sernix::Channel::LineText
