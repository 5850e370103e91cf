// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "readcounter.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <atomic>
#include <dlfcn.h>
#include <sys/stat.h>

// <unistd.h> stays out: with source fortification its read() is an inline
// wrapper that this file could not define.

namespace {

constexpr int WatchedDescriptorLimit = 4096;

std::array<std::atomic<bool>, WatchedDescriptorLimit> watched{};
std::atomic<quint64> total{0};

using ReadFunction = ssize_t (*)(int, void *, size_t);

ReadFunction realRead()
{
    static const auto function = reinterpret_cast<ReadFunction>(::dlsym(RTLD_NEXT, "read"));
    return function;
}

} // namespace

extern "C" ssize_t read(int fd, void *buffer, size_t count)
{
    const ssize_t result = realRead()(fd, buffer, count);
    if (result > 0 && fd >= 0 && fd < WatchedDescriptorLimit
        && watched[std::size_t(fd)].load(std::memory_order_relaxed))
        total.fetch_add(quint64(result), std::memory_order_relaxed);
    return result;
}

namespace Sernix::Bench::ReadCounter {

void watchDevices(const std::vector<dev_t> &devices)
{
    for (std::atomic<bool> &flag : watched)
        flag.store(false);
    if (devices.empty())
        return;
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString &name : descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        const int fd = name.toInt(&isNumber);
        struct stat status;
        if (!isNumber || fd < 0 || fd >= WatchedDescriptorLimit || ::fstat(fd, &status) == -1
            || !S_ISCHR(status.st_mode))
            continue;
        if (std::ranges::find(devices, status.st_rdev) != devices.end())
            watched[std::size_t(fd)].store(true);
    }
}

quint64 bytesRead()
{
    return total.load(std::memory_order_relaxed);
}

} // namespace Sernix::Bench::ReadCounter
