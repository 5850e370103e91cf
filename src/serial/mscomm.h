#pragma once

#include "commerror.h"
#include "handshake.h"
#include "linesettings.h"

#include <QObject>
#include <QString>

#include <memory>

namespace MSCommLib {

class PortBackend;
struct ModemInputs;

// The serial control of one channel: a port number bound at construction and
// ten properties. Everything else (opening, buffering, configuring) is inside.
class MSComm : public QObject
{
    Q_OBJECT
public:
    // Output refuses text that would leave more than this many bytes waiting
    // to be sent, so a line slower than its writer cannot eat memory.
    static constexpr qint64 OutBufferLimit = qint64(64) * 1024;

    // deviceName empty: the platform's COMn for commPort n ("COMn" on Windows,
    // /dev/ttyS(n-1) elsewhere). "loopback" selects the simulated loop-back plug.
    explicit MSComm(int commPort, const QString &deviceName = {}, QObject *parent = nullptr);
    ~MSComm() override;

    int CommPort() const;
    QString deviceName() const;
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

    void setOutput(const QString &text);
    QString Input();

    // Bytes given to Output that have not left the port yet.
    qint64 OutBufferCount() const;

private:
    void open();
    void close();
    void applyOutputLinesAfterOpening();
    void setOutputLineIfPossible(void (PortBackend::*setLine)(bool), bool on);
    ModemInputs modemInputs() const;
    void requireOpen() const;

    const int m_commPort;
    const QString m_deviceName;
    const std::unique_ptr<PortBackend> m_port;
    bool m_open = false;
    LineSettings m_settings;
    Handshake m_handshake = Handshake::None;
    bool m_dtr = false;
    bool m_rts = false;
};

} // namespace MSCommLib
