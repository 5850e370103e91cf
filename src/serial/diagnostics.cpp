// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "diagnostics.h"

#include <cstdio>

void reportLine(const QString &line)
{
    std::fprintf(stderr, "sernix: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}
