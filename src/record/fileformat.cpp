// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "fileformat.h"

#include "csvformat.h"
#include "record.h"
#include "vcdformat.h"

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

std::unique_ptr<FileFormat> FileFormat::create(FileKind kind, const Record &record)
{
    if (kind == FileKind::Csv)
        return std::make_unique<CsvFormat>(record.clock());
    return std::make_unique<VcdFormat>();
}

} // namespace Sernix::Record
