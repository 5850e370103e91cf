// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "remoteport.h"

#include "commerror.h"
#include "diagnostics.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>
#include <utility>

namespace MSCommLib {

namespace {

using namespace Telnet;

constexpr QLatin1StringView Scheme("rfc2217");
// Enough to take a burst without holding up the event loop; TCP holds the rest.
constexpr qint64 SocketReadBufferSize = qint64(64) * 1024;

Parity wireParity(LineSettings::Parity parity)
{
    switch (parity) {
    case LineSettings::Parity::None:
        return Parity::None;
    case LineSettings::Parity::Odd:
        return Parity::Odd;
    case LineSettings::Parity::Even:
        return Parity::Even;
    case LineSettings::Parity::Mark:
        return Parity::Mark;
    case LineSettings::Parity::Space:
        return Parity::Space;
    }
    Q_UNREACHABLE();
    return Parity::None;
}

StopSize wireStopSize(LineSettings::StopBits stopBits)
{
    switch (stopBits) {
    case LineSettings::StopBits::One:
        return StopSize::One;
    case LineSettings::StopBits::OneAndHalf:
        return StopSize::OneAndHalf;
    case LineSettings::StopBits::Two:
        return StopSize::Two;
    }
    Q_UNREACHABLE();
    return StopSize::One;
}

// RTS/CTS with XON/XOFF has no single SET-CONTROL value.
std::optional<Control> wireFlow(Handshake handshake)
{
    switch (handshake) {
    case Handshake::None:
        return Control::NoFlow;
    case Handshake::XonXoff:
        return Control::XonXoffFlow;
    case Handshake::Rts:
        return Control::HardwareFlow;
    case Handshake::RtsXonXoff:
        return std::nullopt;
    }
    return std::nullopt;
}

// A blocking name lookup that gives up at the deadline, so that a slow
// resolver cannot freeze the window past the opening bound; a late answer
// is left to its thread.
QList<QHostAddress> resolve(const QString &host, QDeadlineTimer deadline, QString *why)
{
    if (const QHostAddress literal(host); !literal.isNull())
        return {literal};
    auto lookup = std::make_shared<std::promise<QHostInfo>>();
    std::future<QHostInfo> answer = lookup->get_future();
    std::thread([host, lookup] { lookup->set_value(QHostInfo::fromName(host)); }).detach();
    if (answer.wait_for(std::chrono::milliseconds(deadline.remainingTime())) != std::future_status::ready) {
        *why = QStringLiteral("no answer from the name service in time");
        return {};
    }
    const QHostInfo info = answer.get();
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty())
        *why = QStringLiteral("name not resolved (%1)").arg(info.errorString());
    return info.addresses();
}

} // namespace

bool RemotePort::isAddress(const QString &deviceName)
{
    return deviceName.startsWith(Scheme + QLatin1String("://"), Qt::CaseInsensitive);
}

RemotePort::RemotePort(const QString &deviceName)
    : m_deviceName(deviceName)
{
    const QUrl url(deviceName, QUrl::StrictMode);
    if (url.isValid() && url.port() > 0 && url.path().isEmpty() && !url.host().isEmpty()) {
        m_host = url.host();
        m_port = quint16(url.port());
    }
}

RemotePort::~RemotePort()
{
    close();
}

void RemotePort::open(const LineSettings &settings, Handshake handshake)
{
    close();
    if (m_host.isEmpty())
        fail(QStringLiteral("not a remote port address; write rfc2217://HOST:PORT"));
    const std::optional<Control> flow = wireFlow(handshake);
    if (!flow)
        fail(QStringLiteral("a remote port has no RTS/CTS with XON/XOFF handshaking"));

    const QDeadlineTimer deadline(OpenTimeoutMs);
    QString why;
    const QList<QHostAddress> addresses = resolve(m_host, deadline, &why);
    auto connection = std::make_unique<Connection>();
    connectTo(*connection);
    for (const QHostAddress &address : addresses) {
        connection->failure.clear();
        connection->socket.connectToHost(address, m_port);
        if (connection->socket.waitForConnected(int(deadline.remainingTime())))
            break;
        why = connection->socket.errorString();
        connection->socket.abort();
    }
    if (connection->socket.state() == QAbstractSocket::ConnectedState)
        why = awaitComPort(*connection, deadline);
    if (why.isEmpty() && !connection->isAlive())
        why = connection->failure; // agreed, then hung up (ser2net does when its device fails)
    if (!why.isEmpty())
        throw CommError(QStringLiteral("cannot open %1: %2").arg(m_deviceName, why));

    m_unanswered = {};
    m_live = std::move(connection);
    m_state = State::Live;
    sendTo(*m_live, setModemStateMask(ModemState::fromInt(0xff)));
    const Answer answer = awaitAnswer(send(settings, flow), deadline);
    if (m_state != State::Live) {
        why = m_live->failure;
        close();
        throw CommError(QStringLiteral("cannot open %1: %2").arg(m_deviceName, why));
    }
    switch (answer) {
    case Answer::Refused:
        close();
        throw CommError(QStringLiteral("cannot open %1: the server refused settings %2 with handshaking %3")
                            .arg(m_deviceName, settings.toString())
                            .arg(int(handshake)));
    case Answer::Silent:
        reportLine(QStringLiteral("%1: the server did not confirm settings %2 in time; taking them as in force")
                       .arg(m_deviceName, settings.toString()));
        break;
    case Answer::Confirmed:
        break;
    }
    m_settings = settings;
    m_handshake = handshake;
}

void RemotePort::close()
{
    m_state = State::Closed;
    m_live.reset();
    m_attempt.reset();
    m_received.clear();
    m_modemState = {};
    m_retryMs = FirstRetryMs;
}

void RemotePort::configure(const LineSettings &settings)
{
    requireLive();
    const Answer answer = awaitAnswer(send(settings, std::nullopt), QDeadlineTimer(ReplyTimeoutMs));
    if (answer == Answer::Refused) {
        send(m_settings, std::nullopt);
        fail(QStringLiteral("the server refused settings %1").arg(settings.toString()));
    }
    if (answer == Answer::Silent && m_state == State::Live) {
        reportLine(QStringLiteral("%1: the server did not confirm settings %2 within %3 ms; taking them as in force")
                       .arg(m_deviceName, settings.toString())
                       .arg(ReplyTimeoutMs));
    }
    m_settings = settings;
}

void RemotePort::setHandshake(Handshake handshake)
{
    requireLive();
    const std::optional<Control> flow = wireFlow(handshake);
    if (!flow)
        fail(QStringLiteral("a remote port has no RTS/CTS with XON/XOFF handshaking"));
    const Answer answer = awaitAnswer(send(*flow), QDeadlineTimer(ReplyTimeoutMs));
    if (answer == Answer::Refused) {
        send(*wireFlow(m_handshake));
        fail(QStringLiteral("the server refused handshaking %1").arg(int(handshake)));
    }
    if (answer == Answer::Silent && m_state == State::Live) {
        reportLine(QStringLiteral("%1: the server did not confirm handshaking %2 within %3 ms; taking it as in force")
                       .arg(m_deviceName)
                       .arg(int(handshake))
                       .arg(ReplyTimeoutMs));
    }
    m_handshake = handshake;
}

void RemotePort::write(const QByteArray &bytes)
{
    requireLive();
    sendTo(*m_live, escaped(bytes));
}

QByteArray RemotePort::readAll()
{
    requireLive();
    if (m_dropped > m_droppedReported) {
        reportLine(QStringLiteral("%1: received data came faster than it was shown; dropped %2 bytes (%3 in all)")
                       .arg(m_deviceName)
                       .arg(m_dropped - m_droppedReported)
                       .arg(m_dropped));
        m_droppedReported = m_dropped;
    }
    return std::exchange(m_received, {});
}

qint64 RemotePort::bytesToWrite()
{
    return m_state == State::Live ? m_live->socket.bytesToWrite() : 0;
}

ModemInputs RemotePort::modemInputs()
{
    requireLive();
    return ModemInputs{
        .cd = m_modemState.testFlag(ModemStateFlag::CarrierDetect),
        .cts = m_modemState.testFlag(ModemStateFlag::ClearToSend),
        .dsr = m_modemState.testFlag(ModemStateFlag::DataSetReady),
        .ri = m_modemState.testFlag(ModemStateFlag::RingIndicator),
    };
}

// The server answers a line change only where the device has modem lines;
// nothing waits for that answer.
void RemotePort::setDtr(bool on)
{
    requireLive();
    sendTo(*m_live, setControl(on ? Control::DtrOn : Control::DtrOff));
}

void RemotePort::setRts(bool on)
{
    requireLive();
    if (usesHardwareFlow(m_handshake))
        fail(QStringLiteral("RTS is controlled by hardware handshaking"));
    sendTo(*m_live, setControl(on ? Control::RtsOn : Control::RtsOff));
}

bool RemotePort::supports(Handshake handshake) const
{
    return wireFlow(handshake).has_value();
}

ReturnCheck RemotePort::lookForReturn(const LineSettings &settings, Handshake handshake)
{
    // What the control holds now is what the next connection starts with.
    m_settings = settings;
    m_handshake = handshake;
    if (m_attempt) {
        if (m_attempt->options.comPortAccepted() && m_attempt->isAlive()) {
            becomeLive(std::exchange(m_attempt, {}));
            return {DeviceState::Present, {}};
        }
        const bool givenUp = m_attempt->options.comPortRefused() || m_sinceAttempt.hasExpired(OpenTimeoutMs);
        if (m_attempt->failure.isEmpty() && !givenUp)
            return {DeviceState::Reconnecting, {}};
        m_attempt.reset();
    }
    if (m_sinceAttempt.hasExpired(m_retryMs)) {
        startAttempt();
        m_retryMs = std::min(2 * m_retryMs, LongestRetryMs);
    }
    return {DeviceState::Reconnecting, {}};
}

void RemotePort::connectTo(Connection &connection)
{
    QTcpSocket &socket = connection.socket;
    socket.setReadBufferSize(SocketReadBufferSize);
    QObject::connect(&socket, &QTcpSocket::connected, &socket,
                     [this, &connection] { sendTo(connection, connection.options.requests()); });
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [this, &connection] { onReadyRead(connection); });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &socket,
                     [this, &connection](QAbstractSocket::SocketError error) {
                         // A wait that ran out is reported as an error, but ends nothing.
                         if (error != QAbstractSocket::SocketTimeoutError)
                             onEnded(connection, connection.socket.errorString());
                     });
    QObject::connect(&socket, &QTcpSocket::disconnected, &socket,
                     [this, &connection] { onEnded(connection, QStringLiteral("the server closed the connection")); });
}

QString RemotePort::awaitComPort(Connection &connection, QDeadlineTimer deadline)
{
    while (!connection.options.comPortAccepted()) {
        if (!connection.failure.isEmpty())
            return connection.failure;
        if (connection.options.comPortRefused())
            return QStringLiteral("the server does not offer RFC 2217 (no COM-PORT-OPTION)");
        if (deadline.hasExpired())
            return QStringLiteral("no RFC 2217 answer (COM-PORT-OPTION) within %1 ms").arg(OpenTimeoutMs);
        connection.socket.waitForReadyRead(int(deadline.remainingTime()));
    }
    return {};
}

void RemotePort::onReadyRead(Connection &connection)
{
    while (connection.socket.bytesAvailable() > 0) {
        QByteArray data;
        const QList<Event> events = connection.decoder.feed(connection.socket.read(SocketReadBufferSize), data);
        receive(std::move(data));
        for (const Event &event : events)
            handle(connection, event);
    }
}

void RemotePort::onEnded(Connection &connection, const QString &reason)
{
    if (!connection.failure.isEmpty())
        return; // errorOccurred and disconnected both report one end
    connection.failure = reason;
    if (&connection != m_live.get() || m_state != State::Live)
        return;
    m_state = State::Lost;
    m_retryMs = FirstRetryMs;
    m_sinceAttempt.start();
    reportLoss(reason, DeviceState::Reconnecting);
}

void RemotePort::handle(Connection &connection, const Event &event)
{
    if (event.command != Command::Sb) {
        sendTo(connection, connection.options.answer(event.command, event.option));
        return;
    }
    if (event.option != Option::ComPort)
        return;
    const std::optional<ComPortReply> reply = parseComPortReply(event.payload);
    if (!reply)
        return;
    switch (reply->command) {
    case ComPortCommand::NotifyModemState:
        m_modemState = reply->modemState();
        countTransitions(m_modemState);
        break;
    case ComPortCommand::Signature:
        // No text: the server asks who we are, which it hears once.
        if (reply->signature.isEmpty() && !std::exchange(connection.signatureSent, true))
            sendTo(connection, comPortCommand(ComPortCommand::Signature, "Sernix"));
        break;
    case ComPortCommand::SetControl:
        // Only a flow control value answers a flow control request; DTR,
        // RTS and BREAK replies share the command.
        if (reply->value > quint32(Control::HardwareFlow))
            break;
        [[fallthrough]];
    default:
        if (int &unanswered = m_unanswered.at(quint8(reply->command)); unanswered > 0 && --unanswered == 0) {
            if (m_awaitingReplies)
                m_replies << *reply;
        }
        break;
    }
}

void RemotePort::sendTo(Connection &connection, const QByteArray &wire)
{
    if (wire.isEmpty() || !connection.isAlive())
        return;
    connection.socket.write(wire);
    if (connection.socket.bytesToWrite() > MaxUnsentBytes) {
        onEnded(connection, QStringLiteral("the server stopped reading what is sent to it"));
        connection.socket.abort();
    }
}

void RemotePort::countTransitions(ModemState report)
{
    const std::pair<ModemStateFlag, LineEvent> deltas[] = {
        {ModemStateFlag::CarrierDetectChanged, LineEvent::Dcd},
        {ModemStateFlag::DataSetReadyChanged, LineEvent::Dsr},
        {ModemStateFlag::ClearToSendChanged, LineEvent::Cts},
        {ModemStateFlag::RingTrailingEdge, LineEvent::Ri},
    };
    for (const auto &[flag, event] : deltas) {
        if (report.testFlag(flag))
            ++*m_transitions[event];
    }
}

std::optional<LineCounts> RemotePort::lineCounts()
{
    requireLive();
    return m_transitions;
}

void RemotePort::receive(QByteArray data)
{
    const qsizetype room = MaxBufferedInput - m_received.size();
    if (data.size() > room) {
        m_dropped += data.size() - room;
        data.truncate(room);
    }
    m_received += data;
}

QList<RemotePort::Setting> RemotePort::send(const LineSettings &settings, std::optional<Control> flow)
{
    sendTo(*m_live,
           setBaudRate(quint32(settings.baudRate)) + setDataSize(quint8(settings.dataBits))
               + setParity(wireParity(settings.parity)) + setStopSize(wireStopSize(settings.stopBits)));
    QList<Setting> sent{{ComPortCommand::SetBaudRate, quint32(settings.baudRate)},
                        {ComPortCommand::SetDataSize, quint32(settings.dataBits)},
                        {ComPortCommand::SetParity, quint32(wireParity(settings.parity))},
                        {ComPortCommand::SetStopSize, quint32(wireStopSize(settings.stopBits))}};
    for (const Setting &setting : sent)
        ++m_unanswered.at(quint8(setting.first));
    if (flow)
        sent << send(*flow);
    return sent;
}

QList<RemotePort::Setting> RemotePort::send(Control flow)
{
    sendTo(*m_live, setControl(flow));
    ++m_unanswered.at(quint8(ComPortCommand::SetControl));
    return {{ComPortCommand::SetControl, quint32(flow)}};
}

RemotePort::Answer RemotePort::awaitAnswer(const QList<Setting> &sent, QDeadlineTimer deadline)
{
    m_replies.clear();
    m_awaitingReplies = true;
    const auto answered = [&](const Setting &setting) {
        return std::any_of(m_replies.cbegin(), m_replies.cend(),
                           [&](const ComPortReply &reply) { return reply.command == setting.first; });
    };
    while (!std::all_of(sent.cbegin(), sent.cend(), answered) && m_state == State::Live && m_live->isAlive()
           && !deadline.hasExpired())
        m_live->socket.waitForReadyRead(int(deadline.remainingTime()));
    m_awaitingReplies = false;
    if (!std::all_of(sent.cbegin(), sent.cend(), answered)) {
        // A reply that comes after all must not pass for the next one's.
        for (const Setting &setting : sent)
            m_unanswered.at(quint8(setting.first)) = 0;
        return Answer::Silent;
    }
    // The last answer to each command is the value now in force.
    for (const Setting &setting : sent) {
        const auto reply = std::find_if(m_replies.crbegin(), m_replies.crend(),
                                        [&](const ComPortReply &r) { return r.command == setting.first; });
        if (reply->value != setting.second)
            return Answer::Refused;
    }
    return Answer::Confirmed;
}

void RemotePort::startAttempt()
{
    m_attempt = std::make_unique<Connection>();
    connectTo(*m_attempt);
    m_attempt->socket.connectToHost(m_host, m_port);
    m_sinceAttempt.start();
}

void RemotePort::becomeLive(std::unique_ptr<Connection> connection)
{
    m_unanswered = {};
    m_live = std::move(connection);
    m_state = State::Live;
    m_retryMs = FirstRetryMs;
    sendTo(*m_live, setModemStateMask(ModemState::fromInt(0xff)));
    send(m_settings, wireFlow(m_handshake));
}

void RemotePort::requireLive() const
{
    if (m_state == State::Closed)
        fail(QStringLiteral("port is not open"));
    if (m_state == State::Lost)
        fail(QStringLiteral("connection lost"));
}

void RemotePort::fail(const QString &what) const
{
    throw CommError(QStringLiteral("%1: %2").arg(m_deviceName, what));
}

} // namespace MSCommLib
