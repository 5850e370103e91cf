// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>
#include <QStringList>

namespace Sernix::Bench {

// Reads "--name value" from the arguments, or gives the fallback.
qint64 option(const QStringList &arguments, const QString &name, qint64 fallback);
QString textOption(const QStringList &arguments, const QString &name, const QString &fallback);

} // namespace Sernix::Bench
