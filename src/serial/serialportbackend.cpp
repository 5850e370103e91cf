// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "serialportbackend.h"

#include "commerror.h"
#include "openfailure.h"
#include "portcatalogue.h"
#include "softwareflow.h"
#include "steadyclock.h"

#ifdef Q_OS_LINUX
#include "linewatcher.h"
#endif

#include <QFile>
#include <QFileInfo>

#include <utility>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/stat.h>
#endif
#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstring>
#include <termios.h>
#endif

namespace MSCommLib {

namespace {

QSerialPort::Parity qtParity(LineSettings::Parity parity)
{
    switch (parity) {
    case LineSettings::Parity::None:
        return QSerialPort::NoParity;
    case LineSettings::Parity::Even:
        return QSerialPort::EvenParity;
    case LineSettings::Parity::Odd:
        return QSerialPort::OddParity;
    case LineSettings::Parity::Space:
        return QSerialPort::SpaceParity;
    case LineSettings::Parity::Mark:
        return QSerialPort::MarkParity;
    }
    Q_UNREACHABLE();
    return QSerialPort::NoParity;
}

QSerialPort::StopBits qtStopBits(LineSettings::StopBits stopBits)
{
    switch (stopBits) {
    case LineSettings::StopBits::One:
        return QSerialPort::OneStop;
    case LineSettings::StopBits::OneAndHalf:
        return QSerialPort::OneAndHalfStop;
    case LineSettings::StopBits::Two:
        return QSerialPort::TwoStop;
    }
    Q_UNREACHABLE();
    return QSerialPort::OneStop;
}

QSerialPort::FlowControl qtFlowControl(Handshake handshake)
{
    // RTS/XON-XOFF starts as hardware flow control; the software half is added natively.
    if (usesHardwareFlow(handshake))
        return QSerialPort::HardwareControl;
    if (usesSoftwareFlow(handshake))
        return QSerialPort::SoftwareControl;
    return QSerialPort::NoFlowControl;
}

// Qt sets CMSPAR (stick parity) for mark and space but leaves it set when
// even or odd parity follows, or when an earlier program left the port so:
// the line would stay at mark or space. Returns the system's reason on failure.
QString clearStickParity(QSerialPort &port, LineSettings::Parity parity)
{
#ifdef Q_OS_LINUX
    if (!port.isOpen() || parity == LineSettings::Parity::Mark || parity == LineSettings::Parity::Space)
        return {};
    termios tio;
    if (::tcgetattr(port.handle(), &tio) == -1)
        return QString::fromLocal8Bit(std::strerror(errno));
    if ((tio.c_cflag & CMSPAR) == 0)
        return {};
    tio.c_cflag &= ~CMSPAR;
    if (::tcsetattr(port.handle(), TCSANOW, &tio) == -1)
        return QString::fromLocal8Bit(std::strerror(errno));
#else
    Q_UNUSED(port);
    Q_UNUSED(parity);
#endif
    return {};
}

bool meansDeviceGone(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ReadError || error == QSerialPort::ResourceError || error == QSerialPort::WriteError;
}

// Which device node a path leads to now. Nodes are made afresh when a device
// appears, so a node that differs is a device that came (back) since.
QByteArray nodeAt(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) == -1)
        return {};
    return QByteArray::number(quint64(status.st_rdev)) + ':' + QByteArray::number(quint64(status.st_ino)) + ':'
        + QByteArray::number(qint64(status.st_ctime));
#else
    // COMn names no file: every look tries the port itself.
    return QFile::encodeName(path);
#endif
}

} // namespace

SerialPortBackend::SerialPortBackend(const QString &deviceName, const SteadyClock &clock)
    : m_deviceName(deviceName)
    , m_clock(clock)
{
    m_port.setPortName(deviceName);
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) { onErrorOccurred(error); });
    QObject::connect(&m_port, &QIODevice::readyRead, &m_port, [this] { takeArrived(); });
}

SerialPortBackend::~SerialPortBackend()
{
    // Whoever took its readings may be going too: none is handed over now.
#ifdef Q_OS_LINUX
    m_watcher.reset();
#endif
    close();
}

void SerialPortBackend::open(const LineSettings &settings, Handshake handshake)
{
    close();
    const QString reason = openDevice(settings, handshake);
    if (!reason.isEmpty())
        throw CommError(describeOpenFailure(m_deviceName, reason));
    m_identity = identityAt(m_deviceName);
}

ReturnCheck SerialPortBackend::lookForReturn(const LineSettings &settings, Handshake handshake)
{
    // No open attempt while there is nothing at the path.
    if (nodeAt(m_deviceName).isEmpty())
        return {DeviceState::Lost, {}};
    QString why;
    if (isOtherAdapter(&why))
        return {DeviceState::OtherAdapter, why};
    const QString reason = openDevice(settings, handshake);
    if (reason.isEmpty())
        return {DeviceState::Present, {}};
    const bool held = m_port.error() == QSerialPort::PermissionError && !lacksPermission(m_deviceName);
    return {held ? DeviceState::Busy : DeviceState::Lost, describeOpenFailure(m_deviceName, reason)};
}

bool SerialPortBackend::isOtherAdapter(QString *why)
{
    if (m_identity.isEmpty())
        return false;
    const QByteArray node = nodeAt(m_deviceName);
    if (node != m_otherAdapterNode) {
        m_otherAdapterNode.clear();
        const QString found = identityAt(m_deviceName);
        if (found.isEmpty() || found == m_identity)
            return false;
        m_otherAdapterNode = node;
        m_otherAdapterReason = QStringLiteral("%1, not %2").arg(found, m_identity);
    }
    *why = m_otherAdapterReason;
    return true;
}

QString SerialPortBackend::openDevice(const LineSettings &settings, Handshake handshake)
{
    if (m_port.isOpen())
        m_port.close();
    m_received.clear();
    // On a closed QSerialPort these only record the values; open() applies them.
    applySettings(settings);
    m_port.setFlowControl(qtFlowControl(handshake));

    QString reason;
    if (!m_port.open(QIODevice::ReadWrite)) {
        reason = m_port.errorString();
        // Qt reports a port locked by another program as a permission error;
        // when the device itself is open to us, say what really stands in the way.
        if (m_port.error() == QSerialPort::PermissionError && !lacksPermission(m_deviceName))
            reason = QStringLiteral("in use by another program or channel (%1)").arg(reason);
        return reason;
    }
    if (handshake == Handshake::RtsXonXoff)
        reason = addSoftwareFlowControl(m_port);
    if (reason.isEmpty())
        reason = clearStickParity(m_port, settings.parity);
    if (!reason.isEmpty()) {
        m_port.close();
        return reason;
    }
    m_state = State::Held;
    m_counters.emplace(m_deviceName);
    ++m_openingCount;
    m_lossReason.clear();
    m_settings = settings;
    m_handshake = handshake;
    return {};
}

void SerialPortBackend::close()
{
    stopWatching();
    m_state = State::Closed;
    m_lossReason.clear();
    m_received.clear();
    if (m_port.isOpen())
        m_port.close();
}

void SerialPortBackend::watchLines()
{
#ifdef Q_OS_LINUX
    stopWatching();
    if (m_state != State::Held)
        return;
    m_watcher = std::make_unique<LineWatcher>(m_port.handle(), m_clock);
    if (!m_watcher->isWatching()) {
        m_watcher.reset(); // the driver cannot wake it: the look stays the source
        return;
    }
    QObject::connect(m_watcher.get(), &LineWatcher::changed, m_watcher.get(),
                     [this](const LineChange &change) { reportLineChange(change); });
#endif
}

void SerialPortBackend::stopWatching()
{
#ifdef Q_OS_LINUX
    if (!m_watcher)
        return;
    m_watcher->stop();
    // What it saw before the end is still the record's.
    m_watcher->deliver();
    m_watcher.reset();
#endif
}

bool SerialPortBackend::isWatching() const
{
#ifdef Q_OS_LINUX
    return m_watcher != nullptr;
#else
    return false;
#endif
}

void SerialPortBackend::deliverLineChanges()
{
#ifdef Q_OS_LINUX
    if (m_watcher)
        m_watcher->deliver();
#endif
}

LineTiming SerialPortBackend::lineTiming() const
{
    if (!isWatching())
        return {};
    // An FTDI adapter reports its lines once per USB latency period.
    QFile latency(QStringLiteral("/sys/class/tty/%1/device/latency_timer")
                      .arg(QFileInfo(QFileInfo(m_deviceName).canonicalFilePath()).fileName()));
    if (latency.open(QIODevice::ReadOnly))
        return {LineTimes::Edge, QString::fromLatin1(latency.readAll().trimmed()) + QStringLiteral(" ms")};
    return {LineTimes::Edge, QStringLiteral("1 us")};
}

PendingChange SerialPortBackend::configure(const LineSettings &settings)
{
    requireHeld();
    QString reason = applySettings(settings);
    // The natively added half of RTS/XON-XOFF handshaking is outside what Qt
    // knows about the port; it is put back after any change so that no
    // setter rebuilding the port's state from Qt's own copy can drop it.
    if (reason.isEmpty())
        reason = applyHandshake(m_handshake);
    if (!reason.isEmpty()) {
        applySettings(m_settings);
        applyHandshake(m_handshake);
        fail(QStringLiteral("cannot apply settings %1: %2").arg(settings.toString(), reason));
    }
    m_settings = settings;
    rearmWatcher();
    return {};
}

PendingChange SerialPortBackend::setHandshake(Handshake handshake)
{
    requireHeld();
    const QString reason = applyHandshake(handshake);
    if (!reason.isEmpty()) {
        applyHandshake(m_handshake);
        fail(QStringLiteral("cannot set handshaking %1: %2").arg(int(handshake)).arg(reason));
    }
    m_handshake = handshake;
    rearmWatcher();
    return {};
}

void SerialPortBackend::write(const QByteArray &bytes)
{
    requireHeld();
    if (m_port.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot send: %1").arg(m_port.errorString()));
}

QByteArray SerialPortBackend::readAll()
{
    requireHeld();
    fetchPendingInput();
    requireHeld();
    takeArrived();
    return std::exchange(m_received, {});
}

qint64 SerialPortBackend::bytesToWrite()
{
    return m_port.bytesToWrite();
}

ModemInputs SerialPortBackend::modemInputs()
{
    requireHeld();
    m_port.clearError();
    const QSerialPort::PinoutSignals lines = m_port.pinoutSignals();
    if (m_port.error() != QSerialPort::NoError)
        fail(QStringLiteral("cannot read modem status: %1").arg(m_port.errorString()));
    return ModemInputs{
        .cd = lines.testFlag(QSerialPort::DataCarrierDetectSignal),
        .cts = lines.testFlag(QSerialPort::ClearToSendSignal),
        .dsr = lines.testFlag(QSerialPort::DataSetReadySignal),
        .ri = lines.testFlag(QSerialPort::RingIndicatorSignal),
    };
}

void SerialPortBackend::setDtr(bool on)
{
    requireHeld();
    if (!m_port.setDataTerminalReady(on))
        fail(QStringLiteral("cannot set DTR: %1").arg(m_port.errorString()));
}

void SerialPortBackend::setRts(bool on)
{
    requireHeld();
    if (usesHardwareFlow(m_handshake))
        fail(QStringLiteral("RTS is controlled by hardware handshaking"));
    if (!m_port.setRequestToSend(on))
        fail(QStringLiteral("cannot set RTS: %1").arg(m_port.errorString()));
}

std::optional<LineCounts> SerialPortBackend::lineCounts()
{
    requireHeld();
#ifdef Q_OS_UNIX
    // A UART counts its modem transitions while a watcher waits on them.
    return m_counters->read(m_port.handle(), usesHardwareFlow(m_handshake) || isWatching());
#else
    // On Windows Qt SerialPort holds the port's only handle, keeps its own
    // WaitCommEvent pending and clears the error flags after its reads: a
    // second waiter or reader would disturb it or see nothing. Counters
    // exist, then, but no event is counted: none reads as 0.
    return LineCounts{};
#endif
}

QString SerialPortBackend::applySettings(const LineSettings &settings)
{
    const bool applied = m_port.setBaudRate(settings.baudRate)
        && m_port.setDataBits(QSerialPort::DataBits(settings.dataBits)) && m_port.setParity(qtParity(settings.parity))
        && m_port.setStopBits(qtStopBits(settings.stopBits));
    return applied ? clearStickParity(m_port, settings.parity) : m_port.errorString();
}

QString SerialPortBackend::applyHandshake(Handshake handshake)
{
    // Hardware handshaking takes RTS over from the program (Qt refuses to
    // move it then) and the driver leaves it where it was. Raised first, it
    // tells the other end it may send.
    if (usesHardwareFlow(handshake) && m_port.flowControl() != QSerialPort::HardwareControl)
        m_port.setRequestToSend(true);
    if (!m_port.setFlowControl(qtFlowControl(handshake)))
        return m_port.errorString();
    if (handshake == Handshake::RtsXonXoff)
        return addSoftwareFlowControl(m_port);
    return {};
}

void SerialPortBackend::requireHeld() const
{
    switch (m_state) {
    case State::Held:
        return;
    case State::Lost:
        fail(QStringLiteral("device lost: %1").arg(m_lossReason));
    case State::Closed:
        fail(QStringLiteral("port is not open"));
    }
}

void SerialPortBackend::fail(const QString &what) const
{
    throw CommError(QStringLiteral("%1: %2").arg(m_deviceName, what));
}

void SerialPortBackend::onErrorOccurred(QSerialPort::SerialPortError error)
{
    if (m_state != State::Held || !meansDeviceGone(error))
        return;
    m_state = State::Lost;
    m_lossReason = m_port.errorString();
    stopWatching();
    // Qt reports the error from inside its own notifier, which close() would
    // delete under its feet; the release waits for the next turn of the
    // event loop, unless the port was closed or reopened in the meantime.
    QMetaObject::invokeMethod(
        &m_port,
        [this, opening = m_openingCount] {
            if (m_state == State::Lost && m_openingCount == opening && m_port.isOpen())
                m_port.close();
        },
        Qt::QueuedConnection);
    reportLoss(m_lossReason);
}

void SerialPortBackend::rearmWatcher()
{
    // A settings change turns a UART's watch of the lines off (unless under
    // RTS/CTS); the watcher waits anew, which turns it on again.
#ifdef Q_OS_LINUX
    if (m_watcher)
        m_watcher->rearm();
#endif
}

void SerialPortBackend::fetchPendingInput()
{
    // Bytes that reached the driver after the event loop last ran are still
    // in the kernel; one non-blocking look gets them into Qt's buffer now
    // rather than on the next poll.
#ifdef Q_OS_UNIX
    pollfd descriptor{m_port.handle(), POLLIN, 0};
    if (::poll(&descriptor, 1, 0) == 1 && (descriptor.revents & POLLIN))
        m_port.waitForReadyRead(0);
#endif
}

// Each read of the driver is told as it happens (readyRead), so that its
// bytes carry the time they came; the look takes what gathered since.
void SerialPortBackend::takeArrived()
{
    if (m_state != State::Held)
        return;
    const QByteArray bytes = m_port.readAll();
    m_received += bytes;
    reportArrival(bytes);
}

} // namespace MSCommLib
