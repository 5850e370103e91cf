// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "devicestate.h"
#include "handshake.h"
#include "linecounts.h"
#include "linesettings.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <utility>

namespace MSCommLib {

// The modem-status lines a port reads from the other end.
struct ModemInputs
{
    bool cd = false;
    bool cts = false;
    bool dsr = false;
    bool ri = false;
};

// Where the times of a port's input changes come from: a watcher woken by the
// driver at each change (Edge), the arrival of a server's report (Report), or
// the look at every tick (Look).
enum class LineTimes { Look, Edge, Report };

struct LineTiming
{
    LineTimes source = LineTimes::Look;
    QString resolution = QStringLiteral("300 ms"); // for people; a look comes with every tick of the window
};

// The inputs as a change left them, stamped with the port's clock when it
// happened; transitions: of DCD, DSR, CTS and RI since the previous change,
// empty where the port keeps no counts (a change with unchanged levels is
// then a pulse of unknown count).
struct LineChange
{
    qint64 timeNs = 0;
    ModemInputs inputs;
    std::optional<LineCounts> transitions;
};

// What is left of a change already sent to a port: finish() waits for the
// port's word on it and throws CommError if the port refused it. Changes
// sent to several ports before any is finished wait for their words
// together, so that a slow server costs one wait, not one a port.
class PendingChange
{
public:
    PendingChange() = default; // a change in force already
    explicit PendingChange(std::function<void()> finish)
        : m_finish(std::move(finish))
    {
    }
    // Once only; a change never finished is left to time out unheard.
    void finish()
    {
        if (const std::function<void()> rest = std::exchange(m_finish, {}))
            rest();
    }

private:
    std::function<void()> m_finish;
};

// What a look for a lost device found: Present when it is open again.
struct ReturnCheck
{
    DeviceState state = DeviceState::Lost;
    QString reason; // for humans, when the device is there but not taken back
};

// What a serial control needs from a port: a real device or the simulated
// plug. Operations that can fail throw CommError with a reason naming the
// device; the control decides which failures matter to its callers.
class PortBackend
{
public:
    // Told why the device went, and what the port does meanwhile: waits
    // for the device (Lost), or reconnects to it (Reconnecting).
    using LossHandler = std::function<void(const QString &reason, DeviceState whileAway)>;
    // Told the bytes of each read as the port hands them to the program,
    // before readAll() returns them; every byte is told once.
    using ArrivalHandler = std::function<void(const QByteArray &bytes)>;

    virtual ~PortBackend() = default;

    // Called, once per loss, when the device of an open port goes away. From
    // then on the port is lost: nothing may be asked of it but
    // lookForReturn() and close().
    void setLossHandler(LossHandler handler) { m_lossHandler = std::move(handler); }
    // Called on the port's thread with each change of the inputs, for a port
    // whose lineTiming() is not Look.
    using LineChangeHandler = std::function<void(const LineChange &change)>;
    void setLineChangeHandler(LineChangeHandler handler) { m_lineChangeHandler = std::move(handler); }
    // On an open port: where its input changes are timed.
    virtual LineTiming lineTiming() const { return {}; }
    // Hands over now the changes already taken from another thread, so that
    // none stamped before a look comes after it.
    virtual void deliverLineChanges() { }
    // Once an opening has put the output lines where they belong: from now
    // on the inputs' changes are the other end's, and are watched.
    virtual void watchLines() { }
    void setArrivalHandler(ArrivalHandler handler) { m_arrivalHandler = std::move(handler); }

    // Opens with the given format and flow control; on failure the port
    // stays closed and the CommError says why, naming the device.
    virtual void open(const LineSettings &settings, Handshake handshake) = 0;
    // Quiet and idempotent.
    virtual void close() = 0;

    // On an open port only. A refused format leaves the previous one in
    // force. A port that answers at once has finished the change on return.
    [[nodiscard]] virtual PendingChange configure(const LineSettings &settings) = 0;
    [[nodiscard]] virtual PendingChange setHandshake(Handshake handshake) = 0;

    virtual void write(const QByteArray &bytes) = 0;
    virtual QByteArray readAll() = 0;
    // Bytes accepted by write() that have not yet left the port.
    virtual qint64 bytesToWrite() = 0;

    virtual ModemInputs modemInputs() = 0;
    virtual void setDtr(bool on) = 0;
    virtual void setRts(bool on) = 0;

    // The port's line event counters as they stand, running from wherever
    // they started; empty when the port keeps no counters at all.
    virtual std::optional<LineCounts> lineCounts() = 0;

    // On a lost port: a cheap look that never blocks for whether the device
    // is back, and if it is, opening it again with the given format and flow
    // control.
    virtual ReturnCheck lookForReturn(const LineSettings &settings, Handshake handshake) = 0;

    // Whether the port can do a handshaking mode at all, asked also while
    // it is closed or lost, so that a mode it cannot do is never held.
    virtual bool supports(Handshake) const { return true; }
    // Whether opening goes over the network, and so may take a while.
    virtual bool isRemote() const { return false; }
    // How long a device back must stay before its return counts.
    virtual int steadyAfterMs() const { return 0; }

protected:
    void reportLoss(const QString &reason, DeviceState whileAway = DeviceState::Lost) const
    {
        if (m_lossHandler)
            m_lossHandler(reason, whileAway);
    }
    void reportLineChange(const LineChange &change) const
    {
        if (m_lineChangeHandler)
            m_lineChangeHandler(change);
    }

    void reportArrival(const QByteArray &bytes) const
    {
        if (m_arrivalHandler && !bytes.isEmpty())
            m_arrivalHandler(bytes);
    }

private:
    LossHandler m_lossHandler;
    LineChangeHandler m_lineChangeHandler;
    ArrivalHandler m_arrivalHandler;
};

// The device name that selects the simulated loop-back plug instead of a device.
inline constexpr QLatin1StringView LoopbackDeviceName("loopback");

} // namespace MSCommLib
