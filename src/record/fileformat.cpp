// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "fileformat.h"

namespace Sernix::Record {

std::optional<FileKind> fileKindOf(const QString &path)
{
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return FileKind::Csv;
    if (path.endsWith(QLatin1String(".vcd"), Qt::CaseInsensitive))
        return FileKind::Vcd;
    return std::nullopt;
}

QString fileKindName(FileKind kind)
{
    return kind == FileKind::Csv ? QStringLiteral("CSV") : QStringLiteral("VCD");
}

} // namespace Sernix::Record
