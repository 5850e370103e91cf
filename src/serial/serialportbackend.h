// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "kernelcounters.h"
#include "portbackend.h"

#include <QSerialPort>

#include <memory>

namespace MSCommLib {

class LineWatcher;
class SteadyClock;

// A device reached through QSerialPort. When the device goes away (a USB
// adapter pulled, a pty's master closed) the descriptor is released at once,
// because Qt would otherwise keep polling the hung-up descriptor and spin;
// the port is lost until the same device appears again at its path.
class SerialPortBackend final : public PortBackend
{
public:
    // The clock stamps the changes of the inputs where the driver wakes a
    // watcher at each (Linux).
    explicit SerialPortBackend(const QString &deviceName, const SteadyClock &clock);
    ~SerialPortBackend() override;

    void open(const LineSettings &settings, Handshake handshake) override;
    void close() override;
    PendingChange configure(const LineSettings &settings) override;
    PendingChange setHandshake(Handshake handshake) override;
    void write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    qint64 bytesToWrite() override;
    ModemInputs modemInputs() override;
    void setDtr(bool on) override;
    void setRts(bool on) override;
    std::optional<LineCounts> lineCounts() override;
    ReturnCheck lookForReturn(const LineSettings &settings, Handshake handshake) override;
    LineTiming lineTiming() const override;
    void deliverLineChanges() override;
    void watchLines() override;

private:
    enum class State { Closed, Held, Lost };

    // Each returns the port's reason on failure, an empty string on success.
    QString openDevice(const LineSettings &settings, Handshake handshake);
    QString applySettings(const LineSettings &settings);
    QString applyHandshake(Handshake handshake);
    bool isOtherAdapter(QString *why);

    void requireHeld() const;
    [[noreturn]] void fail(const QString &what) const;
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void fetchPendingInput();
    // Before the descriptor is closed: the watcher's thread ends and is joined.
    void stopWatching();
    bool isWatching() const;
    void rearmWatcher();
    void takeArrived();

    const QString m_deviceName;
    const SteadyClock &m_clock;
    QSerialPort m_port;
#ifdef Q_OS_LINUX
    std::unique_ptr<LineWatcher> m_watcher; // while held, where the driver wakes one
#endif
    // Taken from Qt as it arrives and told, kept until the next readAll().
    QByteArray m_received;
    State m_state = State::Closed;
    // Tells a release scheduled for a lost device apart from a later opening.
    quint64 m_openingCount = 0;
    QString m_lossReason;
    LineSettings m_settings;
    Handshake m_handshake = Handshake::None;
    // Of the device opened last, which may be another since.
    std::optional<KernelCounters> m_counters;
    // The adapter the user opened (not one taken back since); empty where
    // the system cannot tell adapters apart.
    QString m_identity;
    // The device node last found to hold another adapter: asked about again
    // only once the node changes, since asking the system costs more than a look.
    QByteArray m_otherAdapterNode;
    QString m_otherAdapterReason;
};

} // namespace MSCommLib
