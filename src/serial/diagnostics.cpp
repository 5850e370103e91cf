// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "diagnostics.h"

#include <cstdio>

namespace MSCommLib {

void reportLine(const QString &line)
{
    std::fprintf(stderr, "sernix: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace MSCommLib
