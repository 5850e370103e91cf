#pragma once

#include "handshake.h"
#include "linesettings.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace MSCommLib {

// The modem-status lines a port reads from the other end.
struct ModemInputs
{
    bool cd = false;
    bool cts = false;
    bool dsr = false;
    bool ri = false;
};

// What a serial control needs from a port: a real device or the simulated
// plug. Operations that can fail throw CommError with a reason naming the
// device; the control decides which failures matter to its callers.
class PortBackend
{
public:
    virtual ~PortBackend() = default;

    // Opens with the given format and flow control; on failure the port stays closed.
    virtual void open(const LineSettings &settings, Handshake handshake) = 0;
    // Quiet and idempotent.
    virtual void close() = 0;

    // On an open port only. A refused format leaves the previous one in force.
    virtual void configure(const LineSettings &settings) = 0;
    virtual void setHandshake(Handshake handshake) = 0;

    virtual void write(const QByteArray &bytes) = 0;
    virtual QByteArray readAll() = 0;
    // Bytes accepted by write() that have not yet left the port.
    virtual qint64 bytesToWrite() = 0;

    virtual ModemInputs modemInputs() = 0;
    virtual void setDtr(bool on) = 0;
    virtual void setRts(bool on) = 0;
};

// The device name that selects the simulated loop-back plug instead of a device.
inline constexpr QLatin1StringView loopbackDeviceName("loopback");

std::unique_ptr<PortBackend> createPortBackend(const QString &deviceName);

} // namespace MSCommLib
