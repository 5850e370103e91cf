// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <sys/types.h>
#include <termios.h>

namespace Sernix::Rig {
class PtyPair;
}

// Makes pseudo-terminals behave like serial ports for the test executables
// that link this library. It interposes ioctl, tcgetattr and tcsetattr for
// pty slaves (character devices with major 136 to 143):
//  - modem lines: TIOCMGET/TIOCMSET/TIOCMBIS/TIOCMBIC work on a line state
//    kept per device, wired like a loop-back plug (DTR to DSR and DCD, RTS to
//    CTS) unless a test forces the inputs. A driver raises DTR and RTS when a
//    port is opened; the rig does so when the opener claims it with TIOCEXCL.
//  - character format: the pty driver forces 8 data bits and no parity, and
//    glibc's tcsetattr then reports EINVAL. The rig accepts such a request,
//    remembers it and reports it back from tcgetattr, as a UART would.
//  - line event counters: TIOCGICOUNT counts the transitions of the input
//    lines, and the receive errors a test makes up.
// Built also as a library to preload into another program (a server that
// shares a pty, or Wine), where the lines are wired back and nothing is
// forced, unless SERNIX_RIG_SHARED names the line state it shares with the
// far end's helper (ptyhost.py).
// Everything else goes to the real functions.
namespace Sernix::Rig::PtyRig {

struct InputOverrides
{
    std::optional<bool> dcd = std::nullopt;
    std::optional<bool> dsr = std::nullopt;
    std::optional<bool> cts = std::nullopt;
    std::optional<bool> ri = std::nullopt;
};

struct Outputs
{
    bool dtr = false;
    bool rts = false;
};

// Replaces the forced input lines; a line left unset follows its wiring again.
void forceInputs(const PtyPair &pty, const InputOverrides &inputs);
void forceInputs(const QString &slavePath, const InputOverrides &inputs);

// Moves the inputs named and back at once, faster than any waiter wakes: the
// counts show the pulse, the levels do not.
void pulseInputs(const PtyPair &pty, const InputOverrides &inputs);

// Off, TIOCMIWAIT is refused at once, as by a driver that cannot wake a
// waiter (CP210x): the window then sees the lines at its looks only. On by default.
void setModemWaits(bool wakes);

struct LineErrors
{
    unsigned framing = 0;
    unsigned parity = 0;
    unsigned overrun = 0;
    unsigned breaks = 0;
};
// Counts receive errors on the line, as a UART would on bad characters.
void receiveErrors(const PtyPair &pty, const LineErrors &errors);

// DTR and RTS as the program last set them (or as the driver raised them).
Outputs outputs(const PtyPair &pty);

// The termios the program last asked for on the slave, if it asked.
std::optional<termios> requestedTermios(const PtyPair &pty);

// What a rig preloaded into another program (a server sharing a pty) saw that
// program last ask of a slave: start it with SERNIX_RIG_REPORT naming a file,
// which the rig rewrites on each termios or modem line request.
struct Report
{
    tcflag_t iflag = 0;
    tcflag_t cflag = 0;
    Outputs outputs;
};
std::optional<Report> readReport(const QString &path);

// Makes tcsetattr on the slave fail with EINVAL whenever refuse() says so, as
// a driver refusing a setting would. An empty function lifts the refusal.
void refuseTermios(const PtyPair &pty, std::function<bool(const termios &)> refuse);

// Forgets what the rig knows about a device, so a pty reusing its number starts afresh.
void forgetDevice(dev_t device);

// Switched off, ptys behave as the kernel makes them: no modem lines and
// tcsetattr failing on parity. Switched on by default.
void setEnabled(bool enabled);
bool isEnabled();

// Switches the rig off for a scope.
class Disabled
{
public:
    Disabled()
        : m_wasEnabled(isEnabled())
    {
        setEnabled(false);
    }
    ~Disabled() { setEnabled(m_wasEnabled); }
    Disabled(const Disabled &) = delete;
    Disabled &operator=(const Disabled &) = delete;

private:
    bool m_wasEnabled;
};

} // namespace Sernix::Rig::PtyRig
