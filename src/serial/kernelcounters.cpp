// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "kernelcounters.h"

#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace MSCommLib {

namespace {

// What the drivers of Linux 6.1 count (see README, "Line events"), where
// they count less than they hand back. PL2303, CH340 and plain usb-serial
// keep no counters and fail the request; a driver not named here is trusted.
// CP210x counts errors only with input parity checking (INPCK), which Qt
// never sets, and modem lines never.
struct DriverCounts
{
    const char *name;
    KernelCounters::Counted counted;
};
constexpr DriverCounts PartialCounters[] = {
    {"cp210x", {.dcd = false, .dsr = false, .cts = false, .ri = false, .errors = false}},
    {"cdc_acm", {.dcd = true, .dsr = true, .cts = false, .ri = true, .errors = true}}, // CDC-ACM has no CTS
};

QString &sysfsTtyRoot()
{
    static QString root = QStringLiteral("/sys/class/tty");
    return root;
}

} // namespace

void KernelCounters::setSysfsTtyRoot(const QString &root)
{
    sysfsTtyRoot() = root;
}

KernelCounters::KernelCounters(const QString &devicePath)
{
    const QString node = QFileInfo(QFileInfo(devicePath).canonicalFilePath()).fileName();
    const QString tty = sysfsTtyRoot() + u'/' + node;
    // Only serial-core UARTs have a "type" attribute.
    m_serialCore = QFileInfo::exists(tty + QStringLiteral("/type"));
    const QString driver = QFileInfo(QFileInfo(tty + QStringLiteral("/device/driver")).canonicalFilePath()).fileName();
    for (const DriverCounts &partial : PartialCounters) {
        if (driver == QLatin1String(partial.name))
            m_counted = partial.counted;
    }
}

std::optional<LineCounts> KernelCounters::read(int descriptor, bool hardwareFlow) const
{
#ifdef Q_OS_LINUX
    serial_icounter_struct kernel{};
    if (::ioctl(descriptor, TIOCGICOUNT, &kernel) == -1)
        return std::nullopt;
    LineCounts counts;
    counts[LineEvent::Dcd] = quint32(kernel.dcd);
    counts[LineEvent::Dsr] = quint32(kernel.dsr);
    counts[LineEvent::Cts] = quint32(kernel.cts);
    counts[LineEvent::Ri] = quint32(kernel.rng);
    counts[LineEvent::Framing] = quint32(kernel.frame);
    counts[LineEvent::Parity] = quint32(kernel.parity);
    counts[LineEvent::Overrun] = quint32(kernel.overrun);
    counts[LineEvent::Break] = quint32(kernel.brk);

    Counted counted = m_counted;
    if (m_serialCore && !hardwareFlow) {
        // A UART reports modem changes only with their interrupt on, which
        // needs CRTSCTS while the port keeps CLOCAL (as Qt opens it).
        counted.dcd = counted.dsr = counted.cts = counted.ri = false;
    }
    const std::pair<LineEvent, bool> keep[] = {
        {LineEvent::Dcd, counted.dcd},        {LineEvent::Dsr, counted.dsr},        {LineEvent::Cts, counted.cts},
        {LineEvent::Ri, counted.ri},          {LineEvent::Framing, counted.errors}, {LineEvent::Parity, counted.errors},
        {LineEvent::Overrun, counted.errors}, {LineEvent::Break, counted.errors},
    };
    for (const auto &[event, isCounted] : keep) {
        if (!isCounted)
            counts[event].reset();
    }
    return counts;
#else
    // Elsewhere the port's own driver interface belongs to QSerialPort.
    Q_UNUSED(descriptor);
    Q_UNUSED(hardwareFlow);
    return std::nullopt;
#endif
}

} // namespace MSCommLib
