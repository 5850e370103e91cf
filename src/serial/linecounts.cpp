// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "linecounts.h"

namespace MSCommLib {

LineCounts LineCounts::zeroWhereCounted(const LineCounts &pattern)
{
    LineCounts zero;
    for (LineEvent event : AllLineEvents) {
        if (pattern[event])
            zero[event] = 0;
    }
    return zero;
}

LineCounts LineCounts::operator-(const LineCounts &before) const
{
    LineCounts difference;
    for (LineEvent event : AllLineEvents) {
        if ((*this)[event] && before[event])
            difference[event] = *(*this)[event] - *before[event];
    }
    return difference;
}

LineCounts &LineCounts::operator+=(const LineCounts &more)
{
    for (LineEvent event : AllLineEvents) {
        if ((*this)[event] && more[event])
            *(*this)[event] += *more[event];
    }
    return *this;
}

} // namespace MSCommLib
