// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "ptyrig.h"

#include "kerneltermios2.h"
#include "ptypair.h"

#include <QFile>
#include <QScopeGuard>
#include <QStringList>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

using namespace Sernix::Rig;

namespace {

// The lines of a pty shared with another process: the rig preloaded into a
// program (Wine, whose unix side drives the pty) and a helper playing the far
// end (ptyhost.py) meet in the file named by SERNIX_RIG_SHARED, a slot a pty.
struct SharedSlot
{
    std::uint64_t device; // 0: a free slot
    std::uint32_t forced; // bit n: input n (DCD, DSR, CTS, RI) forced, to bit n + 8
    std::uint32_t modemBits;
    std::uint32_t iflag;
    std::uint32_t cflag;
    std::uint64_t unused;
};
constexpr int SharedSlots = 16;

SharedSlot *sharedSlot(dev_t device)
{
    static SharedSlot *const table = []() -> SharedSlot * {
        const char *const path = std::getenv("SERNIX_RIG_SHARED");
        const int fd = path ? ::open(path, O_RDWR | O_CLOEXEC) : -1;
        if (fd == -1)
            return nullptr;
        void *const map = ::mmap(nullptr, sizeof(SharedSlot) * SharedSlots, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ::close(fd);
        return map == MAP_FAILED ? nullptr : static_cast<SharedSlot *>(map);
    }();
    for (int slot = 0; table && slot < SharedSlots; ++slot) {
        if (std::atomic_ref(table[slot].device).load() == device)
            return &table[slot];
    }
    return nullptr;
}

struct DeviceState
{
    // A freshly opened line has DTR and RTS up, as a driver leaves them.
    PtyRig::Outputs outputs{.dtr = true, .rts = true};
    PtyRig::InputOverrides forced;
    std::optional<termios> requested;
    // The input and control modes last asked, by tcsetattr or the kernel's
    // set requests, for the report out of process.
    tcflag_t askedIflag = 0;
    tcflag_t askedCflag = 0;
    std::function<bool(const termios &)> refuse;
    // What TIOCGICOUNT reports: like the kernel's, they run from the
    // device's creation and across openings.
    serial_icounter_struct counts{};
    // The eventfds of the threads waiting in TIOCMIWAIT, told of every
    // transition of an input.
    std::vector<int> waiters;

    int modemBits() const
    {
        const bool dsr = forced.dsr.value_or(outputs.dtr);
        const bool dcd = forced.dcd.value_or(outputs.dtr);
        const bool cts = forced.cts.value_or(outputs.rts);
        const bool ri = forced.ri.value_or(false);
        return (outputs.dtr ? TIOCM_DTR : 0) | (outputs.rts ? TIOCM_RTS : 0) | (dsr ? TIOCM_DSR : 0)
            | (dcd ? TIOCM_CAR : 0) | (cts ? TIOCM_CTS : 0) | (ri ? TIOCM_RNG : 0);
    }

    void setModemBits(int bits)
    {
        changeLines([&] {
            outputs.dtr = bits & TIOCM_DTR;
            outputs.rts = bits & TIOCM_RTS;
        });
    }

    // Takes the lines as the other process left them.
    void load(SharedSlot &slot)
    {
        const std::uint32_t bits = std::atomic_ref(slot.forced).load();
        const auto input = [bits](int line) {
            return (bits >> line) & 1 ? std::optional<bool>((bits >> (line + 8)) & 1) : std::nullopt;
        };
        const std::uint32_t modem = std::atomic_ref(slot.modemBits).load();
        changeLines([&] {
            outputs = {.dtr = (modem & TIOCM_DTR) != 0, .rts = (modem & TIOCM_RTS) != 0};
            forced = {.dcd = input(0), .dsr = input(1), .cts = input(2), .ri = input(3)};
        });
    }

    void store(SharedSlot &slot) const
    {
        std::atomic_ref(slot.modemBits).store(std::uint32_t(modemBits()));
        std::atomic_ref(slot.iflag).store(askedIflag);
        std::atomic_ref(slot.cflag).store(askedCflag);
    }

    // Counts the transitions of the input lines that a change brings.
    template <typename Change>
    void changeLines(Change &&change)
    {
        const int before = modemBits();
        change();
        const int moved = before ^ modemBits();
        counts.dcd += (moved & TIOCM_CAR) ? 1 : 0;
        counts.dsr += (moved & TIOCM_DSR) ? 1 : 0;
        counts.cts += (moved & TIOCM_CTS) ? 1 : 0;
        counts.rng += (moved & TIOCM_RNG) && !(modemBits() & TIOCM_RNG) ? 1 : 0; // trailing edge
        if (moved & (TIOCM_CAR | TIOCM_DSR | TIOCM_CTS | TIOCM_RNG))
            wakeWaiters();
    }

    void wakeWaiters() const
    {
        for (int waiter : waiters)
            ::eventfd_write(waiter, 1);
    }
};

// What the pty driver overrides in c_cflag, and glibc checks afterwards.
constexpr tcflag_t forcedFormatBits = CSIZE | PARENB;
// What the rig reports back as requested, since the driver drops or ignores it.
constexpr tcflag_t formatBits = CSIZE | PARENB | PARODD | CMSPAR;

std::atomic<bool> rigEnabled{true};
std::atomic<bool> modemWaits{true};
std::mutex stateMutex;

std::map<dev_t, DeviceState> &devices()
{
    static std::map<dev_t, DeviceState> states;
    return states;
}

// Runs use on the device's state under the lock and returns what it returns.
template <typename Use>
auto withState(dev_t device, Use &&use)
{
    std::lock_guard lock(stateMutex);
    DeviceState &state = devices()[device];
    SharedSlot *const slot = sharedSlot(device);
    if (slot)
        state.load(*slot);
    const auto publish = qScopeGuard([&] {
        if (slot)
            state.store(*slot);
    });
    return use(state);
}

// A rig preloaded into another program tells a test what that program last
// asked of a slave: the file named by SERNIX_RIG_REPORT is replaced on each
// request, so a reader never sees half of it.
void reportOutOfProcess(dev_t device)
{
    static const char *const path = std::getenv("SERNIX_RIG_REPORT");
    if (!path)
        return;
    char text[64];
    const int length = withState(device, [&](const DeviceState &state) {
        return std::snprintf(text, sizeof text, "%u %u %d\n", state.askedIflag, state.askedCflag, state.modemBits());
    });
    char temporary[4096];
    std::snprintf(temporary, sizeof temporary, "%s.new", path);
    const int fd = ::open(temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd == -1)
        return;
    const bool written = ::write(fd, text, std::size_t(length)) == length;
    ::close(fd);
    if (written)
        ::rename(temporary, path);
}

std::optional<dev_t> ptySlaveDevice(int fd)
{
    if (!rigEnabled.load())
        return std::nullopt;
    struct stat status;
    if (::fstat(fd, &status) == -1 || !S_ISCHR(status.st_mode))
        return std::nullopt;
    const unsigned int deviceMajor = major(status.st_rdev);
    if (deviceMajor < 136 || deviceMajor > 143)
        return std::nullopt;
    return status.st_rdev;
}

std::optional<dev_t> ptySlaveDevice(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) == -1)
        return std::nullopt;
    return status.st_rdev;
}

// The libc function that an interposer stands in front of.
template <typename Function>
Function real(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

int realIoctl(int fd, unsigned long request, void *argument)
{
    static const auto ioctl = real<int (*)(int, unsigned long, ...)>("ioctl");
    return ioctl(fd, request, argument);
}

int realTcgetattr(int fd, termios *tio)
{
    static const auto tcgetattr = real<int (*)(int, termios *)>("tcgetattr");
    return tcgetattr(fd, tio);
}

bool isModemRequest(unsigned long request)
{
    return request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
}

int handleModemRequest(dev_t device, unsigned long request, int *bits)
{
    withState(device, [&](DeviceState &state) {
        if (request == TIOCMGET)
            *bits = state.modemBits();
        else if (request == TIOCMSET)
            state.setModemBits(*bits);
        else if (request == TIOCMBIS)
            state.setModemBits(state.modemBits() | *bits);
        else
            state.setModemBits(state.modemBits() & ~*bits);
    });
    if (request != TIOCMGET)
        reportOutOfProcess(device);
    return 0;
}

// c_cflag sits third in the kernel's termios and termios2 alike.
tcflag_t &kernelCflag(void *kernelTermios)
{
    return static_cast<tcflag_t *>(kernelTermios)[2];
}

void reportRequestedFormat(dev_t device, tcflag_t &cflag)
{
    withState(device, [&](const DeviceState &state) {
        if (state.requested)
            cflag = (cflag & ~formatBits) | (state.requested->c_cflag & formatBits);
    });
}

void recordRequestedFormat(dev_t device, tcflag_t iflag, tcflag_t cflag)
{
    withState(device, [&](DeviceState &state) {
        state.askedIflag = iflag;
        state.askedCflag = cflag;
        if (state.requested)
            state.requested->c_cflag = (state.requested->c_cflag & ~formatBits) | (cflag & formatBits);
    });
}

// The transitions TIOCMIWAIT's mask asks to be woken by.
std::array<int, 4> countedBy(const serial_icounter_struct &counts, int mask)
{
    return {mask & TIOCM_CAR ? counts.dcd : 0, mask & TIOCM_DSR ? counts.dsr : 0, mask & TIOCM_CTS ? counts.cts : 0,
            mask & TIOCM_RNG ? counts.rng : 0};
}

// TIOCMIWAIT as a serial driver answers it: returns once an input of the mask
// has moved (through the rig or the wiring), -1 with EINTR when a signal's
// handler ran and with EIO when the line hangs up (the master closed). The
// wait is a poll on an eventfd of its own, so the rig's lock stays free.
int waitForModemChange(int fd, dev_t device, int mask)
{
    const int wake = ::eventfd(0, EFD_CLOEXEC);
    if (wake == -1)
        return -1;
    const auto before = withState(device, [&](DeviceState &state) {
        state.waiters.push_back(wake);
        return countedBy(state.counts, mask);
    });
    int result = 0;
    for (;;) {
        pollfd watched[2] = {{wake, POLLIN, 0}, {fd, 0, 0}};
        if (::poll(watched, 2, -1) == -1) {
            result = -1;
            break;
        }
        if (watched[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            errno = EIO;
            result = -1;
            break;
        }
        eventfd_t ignored = 0;
        ::eventfd_read(wake, &ignored);
        if (withState(device, [&](const DeviceState &state) { return countedBy(state.counts, mask); }) != before)
            break;
    }
    const int error = errno;
    withState(device, [&](DeviceState &state) { std::erase(state.waiters, wake); });
    ::close(wake);
    errno = error;
    return result;
}

bool isGetTermios(unsigned long request)
{
    return request == TCGETS || request == getTermios2Request;
}

bool isSetTermios(unsigned long request)
{
    if (request == TCSETS || request == TCSETSW || request == TCSETSF)
        return true;
    for (unsigned long setTermios2 : setTermios2Requests) {
        if (request == setTermios2)
            return true;
    }
    return false;
}

} // namespace

namespace Sernix::Rig::PtyRig {

void forceInputs(const PtyPair &pty, const InputOverrides &inputs)
{
    withState(pty.slaveDevice(), [&](DeviceState &state) { state.changeLines([&] { state.forced = inputs; }); });
}

void forceInputs(const QString &slavePath, const InputOverrides &inputs)
{
    if (const auto device = ptySlaveDevice(slavePath))
        withState(*device, [&](DeviceState &state) { state.changeLines([&] { state.forced = inputs; }); });
}

void pulseInputs(const PtyPair &pty, const InputOverrides &inputs)
{
    withState(pty.slaveDevice(), [&](DeviceState &state) {
        const InputOverrides before = state.forced;
        state.changeLines([&] { state.forced = inputs; });
        state.changeLines([&] { state.forced = before; });
    });
}

void setModemWaits(bool wakes)
{
    modemWaits.store(wakes);
}

void receiveErrors(const PtyPair &pty, const LineErrors &errors)
{
    withState(pty.slaveDevice(), [&](DeviceState &state) {
        state.counts.frame += errors.framing;
        state.counts.parity += errors.parity;
        state.counts.overrun += errors.overrun;
        state.counts.brk += errors.breaks;
    });
}

Outputs outputs(const PtyPair &pty)
{
    return withState(pty.slaveDevice(), [](const DeviceState &state) { return state.outputs; });
}

std::optional<termios> requestedTermios(const PtyPair &pty)
{
    return withState(pty.slaveDevice(), [](const DeviceState &state) { return state.requested; });
}

void refuseTermios(const PtyPair &pty, std::function<bool(const termios &)> refuse)
{
    withState(pty.slaveDevice(), [&](DeviceState &state) { state.refuse = std::move(refuse); });
}

std::optional<Report> readReport(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList fields = QString::fromLatin1(file.readAll()).simplified().split(u' ');
    if (fields.size() != 3)
        return std::nullopt;
    const int bits = fields[2].toInt();
    return Report{.iflag = fields[0].toUInt(),
                  .cflag = fields[1].toUInt(),
                  .outputs = {.dtr = (bits & TIOCM_DTR) != 0, .rts = (bits & TIOCM_RTS) != 0}};
}

void forgetDevice(dev_t device)
{
    std::lock_guard lock(stateMutex);
    if (const auto found = devices().find(device); found != devices().end()) {
        found->second.wakeWaiters(); // to find the counts gone and wait on
        devices().erase(found);
    }
}

void setEnabled(bool enabled)
{
    rigEnabled.store(enabled);
}

bool isEnabled()
{
    return rigEnabled.load();
}

} // namespace Sernix::Rig::PtyRig

// The interposers. The test executable exports them (see CMakeLists.txt), so
// Qt's serial port library binds to them instead of to libc.

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept
{
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);

    const bool concernsRig = isModemRequest(request) || request == TIOCEXCL || request == TIOCGICOUNT
        || request == TIOCMIWAIT || isGetTermios(request) || isSetTermios(request);
    const std::optional<dev_t> device = concernsRig ? ptySlaveDevice(fd) : std::nullopt;
    if (!device)
        return realIoctl(fd, request, argument);

    if (isModemRequest(request))
        return handleModemRequest(*device, request, static_cast<int *>(argument));
    if (request == TIOCMIWAIT && !modemWaits.load()) {
        errno = ENOTTY;
        return -1;
    }
    if (request == TIOCMIWAIT)
        return waitForModemChange(fd, *device, int(reinterpret_cast<std::uintptr_t>(argument)));
    if (request == TIOCGICOUNT) {
        *static_cast<serial_icounter_struct *>(argument) =
            withState(*device, [](const DeviceState &state) { return state.counts; });
        return 0;
    }

    const int result = realIoctl(fd, request, argument);
    if (result == -1)
        return result;
    if (request == TIOCEXCL)
        withState(*device, [](DeviceState &state) { state.setModemBits(TIOCM_DTR | TIOCM_RTS); });
    else if (isGetTermios(request))
        reportRequestedFormat(*device, kernelCflag(argument));
    else
        recordRequestedFormat(*device, static_cast<tcflag_t *>(argument)[0], kernelCflag(argument));
    if (!isGetTermios(request))
        reportOutOfProcess(*device);
    return result;
}

extern "C" int tcgetattr(int fd, termios *tio) noexcept
{
    const int result = realTcgetattr(fd, tio);
    if (result == 0) {
        if (const auto device = ptySlaveDevice(fd))
            reportRequestedFormat(*device, tio->c_cflag);
    }
    return result;
}

extern "C" int tcsetattr(int fd, int when, const termios *tio) noexcept
{
    static const auto realTcsetattr = real<int (*)(int, int, const termios *)>("tcsetattr");
    const std::optional<dev_t> device = ptySlaveDevice(fd);
    if (!device)
        return realTcsetattr(fd, when, tio);

    const auto refuse = withState(*device, [](const DeviceState &state) { return state.refuse; });
    if (refuse && refuse(*tio)) {
        errno = EINVAL;
        return -1;
    }

    const int savedErrno = errno;
    int result = realTcsetattr(fd, when, tio);
    if (result == -1 && errno == EINVAL) {
        // glibc found the driver's forced format in place of the requested
        // one; anything else that differs is a genuine refusal.
        termios applied;
        if (realTcgetattr(fd, &applied) == 0 && ((applied.c_cflag ^ tio->c_cflag) & ~forcedFormatBits) == 0) {
            errno = savedErrno;
            result = 0;
        }
    }
    if (result == 0) {
        withState(*device, [&](DeviceState &state) {
            state.requested = *tio;
            state.askedIflag = tio->c_iflag;
            state.askedCflag = tio->c_cflag;
        });
        reportOutOfProcess(*device);
    }
    return result;
}
