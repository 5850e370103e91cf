// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "commerror.h"
#include "devicestate.h"
#include "dropnews.h"
#include "handshake.h"
#include "linecounts.h"
#include "linesettings.h"
#include "portbackend.h"
#include "steadyclock.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

namespace MSCommLib {

// The serial control of one channel: a port number bound at construction and
// ten properties. Everything else (opening, buffering, configuring) is inside.
//
// A device that goes away while its port is open (an adapter pulled) does
// not make the properties fail: the port stays open and lost. The inputs
// read False and Input nothing, Output is dropped, and what is written
// (lines, settings, handshaking) is kept and applied when the device comes
// back at the same path, which the control looks for by itself.
class MSComm : public QObject
{
    Q_OBJECT
public:
    // Output refuses text that would leave more than this many bytes waiting
    // to be sent, so a line slower than its writer cannot eat memory.
    static constexpr qint64 OutBufferLimit = qint64(64) * 1024;
    // How often a lost port looks for its device: once a tick of the window.
    static constexpr int ReturnLookIntervalMs = 300;

    // deviceName empty: the platform's COMn for commPort n ("COMn" on Windows,
    // /dev/ttyS(n-1) elsewhere). "loopback" selects the simulated loop-back plug.
    // The clock spaces its news of a lost device and is handed to the port.
    explicit MSComm(int commPort, const QString &deviceName = {}, const SteadyClock &clock = SteadyClock::monotonic(),
                    QObject *parent = nullptr);
    ~MSComm() override;

    int CommPort() const;
    QString deviceName() const;
    // Binds the control to another device; only while the port is closed.
    void setDeviceName(const QString &deviceName);
    static QString defaultDeviceName(int commPort);

    bool CDHolding() const;
    bool CTSHolding() const;
    bool DSRHolding() const;

    bool DTREnable() const;
    void setDTREnable(bool on);
    // Under RTS handshaking (modes 2 and 3) the flow control owns RTS: a
    // write is kept but throws on an open port, and takes effect when the
    // port leaves those modes.
    bool RTSEnable() const;
    void setRTSEnable(bool on);

    int Handshaking() const;
    void setHandshaking(int mode);

    bool PortOpen() const;
    void setPortOpen(bool open);

    QString Settings() const;
    void setSettings(const QString &settings);

    // Settings and Handshaking written in two steps, so that one choice
    // applied to several ports costs one wait for their answers: the change
    // is sent now, and finishing what is returned completes the write as the
    // property does, throwing where it would. Nothing else may be asked of
    // the control between the two steps.
    [[nodiscard]] PendingChange sendSettings(const QString &settings);
    [[nodiscard]] PendingChange sendHandshaking(int mode);

    void setOutput(const QString &text);
    QString Input();

    // Bytes given to Output that have not left the port yet.
    qint64 OutBufferCount() const;

    // The line events counted since the port was opened or the counts were
    // reset, and of those, the ones since the previous look; empty when the
    // port keeps no counters. Each look takes what it reports, as Input does.
    struct LineEventReport
    {
        LineCounts total;
        LineCounts sinceLastLook;
    };
    std::optional<LineEventReport> LineEvents();
    void resetLineEvents();

    DeviceState deviceState() const { return m_deviceState; }
    // Whether the port is reached over the network, so that opening it may
    // take up to a couple of seconds.
    bool isRemote() const;
    // Why the last opening failed; empty once one succeeds.
    QString lastOpenFailure() const { return m_lastOpenFailure; }

    // Where the times of the inputs' changes come from, while open: at each
    // change (linesChanged) or at each look only.
    LineTiming lineTiming() const;

    // What a look saw: each input as its last read returned it, and the
    // line events since the previous look (empty: the port counts none).
    struct Look
    {
        ModemInputs inputs;
        std::optional<LineCounts> sinceLastLook;
    };

Q_SIGNALS:
    // For whoever keeps a record of the port; none of these is needed to
    // run it. Bytes are reported as the port hands them over (one signal a
    // read, before Input returns them) and as they are handed to the port,
    // lines as written, inputs at the end of each look (LineEvents).
    void opened();
    void closed();
    void openFailed(const QString &reason);
    void deviceStateChanged(MSCommLib::DeviceState state, const QString &reason);
    void settingsWritten(const QString &settings, bool accepted);
    void handshakingWritten(int mode, bool accepted);
    void dtrWritten(bool on);
    void rtsWritten(bool on);
    void dataReceived(const QByteArray &bytes);
    void dataSent(const QByteArray &bytes);
    void looked(const MSCommLib::MSComm::Look &look);
    // An input change as the port timed it, for a port whose lineTiming()
    // is not at the look; what the properties read is still read at the look.
    void linesChanged(const MSCommLib::LineChange &change);

private:
    std::optional<LineEventReport> takeLineEvents();
    void open();
    void close();
    void applyOutputLinesAfterOpening();
    void setOutputLineIfPossible(void (PortBackend::*setLine)(bool), bool on);
    ModemInputs modemInputs() const;
    void requireOpen() const;
    bool isLost() const { return m_deviceState != DeviceState::Present; }
    void onDeviceLost(const QString &reason, DeviceState whileAway);
    void onReturnLook();
    void lookForReturn();
    void say(const QString &news) const;
    void startCounting(bool fromZero);

    const int m_commPort;
    const SteadyClock &m_clock;
    QString m_deviceName;
    std::unique_ptr<PortBackend> m_port;
    bool m_open = false;
    LineSettings m_settings;
    Handshake m_handshake = Handshake::None;
    bool m_dtr = false;
    bool m_rts = false;
    DeviceState m_deviceState = DeviceState::Present;
    QString m_lastOpenFailure;
    DropNews m_dropNews;
    QString m_lastReturnReason;             // said once per reason while the device is away
    std::optional<LineCounts> m_lastCounts; // the port's own, at the previous look
    LineCounts m_countedTotal;
    mutable ModemInputs m_seen; // the inputs as last read, for the look
    QTimer m_returnLook;
};

} // namespace MSCommLib
