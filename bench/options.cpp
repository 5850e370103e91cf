// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "options.h"

namespace Sernix::Bench {

qint64 option(const QStringList &arguments, const QString &name, qint64 fallback)
{
    const qsizetype at = arguments.indexOf(name);
    bool isNumber = false;
    const qint64 value = at >= 0 ? arguments.value(at + 1).toLongLong(&isNumber) : 0;
    return isNumber ? value : fallback;
}

QString textOption(const QStringList &arguments, const QString &name, const QString &fallback)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : fallback;
}

} // namespace Sernix::Bench
