// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "steadyclock.h"

#include <QDeadlineTimer>

#include <utility>

namespace MSCommLib {

namespace {

std::function<qint64()> &source()
{
    static std::function<qint64()> chosen;
    return chosen;
}

} // namespace

qint64 SteadyClock::now()
{
    return source() ? source()() : QDeadlineTimer::current().deadline();
}

void SteadyClock::setSource(std::function<qint64()> source)
{
    MSCommLib::source() = std::move(source);
}

} // namespace MSCommLib
