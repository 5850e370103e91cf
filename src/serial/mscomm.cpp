// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "mscomm.h"

#include "diagnostics.h"
#include "portfactory.h"
#include "steadyclock.h"

namespace MSCommLib {

namespace {

QByteArray toLatin1Exactly(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() > 0xff) {
            throw CommError(QStringLiteral("cannot send U+%1: only characters U+0000 to U+00FF have a byte value")
                                .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                                .toUpper());
        }
    }
    return text.toLatin1();
}

// Runs a step of a write; a port's refusal is told before it is passed on.
template <typename Refused, typename Step>
auto tellingRefusal(const Refused &refused, const Step &step)
{
    try {
        return step();
    } catch (const CommError &) {
        refused();
        throw;
    }
}

} // namespace

MSComm::MSComm(int commPort, const QString &deviceName, const SteadyClock &clock, QObject *parent)
    : QObject(parent)
    , m_commPort(commPort)
    , m_clock(clock)
{
    m_returnLook.setParent(this);
    m_returnLook.setObjectName(QStringLiteral("returnLook"));
    m_returnLook.setInterval(ReturnLookIntervalMs);
    connect(&m_returnLook, &QTimer::timeout, this, &MSComm::onReturnLook);
    setDeviceName(deviceName);
}

MSComm::~MSComm() = default;

int MSComm::CommPort() const
{
    return m_commPort;
}

QString MSComm::deviceName() const
{
    return m_deviceName;
}

void MSComm::setDeviceName(const QString &deviceName)
{
    if (m_open)
        throw CommError(QStringLiteral("%1: close the port before binding it to another device").arg(m_deviceName));
    m_deviceName = deviceName.isEmpty() ? defaultDeviceName(m_commPort) : deviceName;
    m_port = createPortBackend(m_deviceName, m_clock);
    m_port->setLossHandler([this](const QString &reason, DeviceState whileAway) { onDeviceLost(reason, whileAway); });
    m_port->setLineChangeHandler([this](const LineChange &change) {
        if (m_open && !isLost())
            Q_EMIT linesChanged(change);
    });
    m_port->setArrivalHandler([this](const QByteArray &bytes) { Q_EMIT dataReceived(bytes); });
    m_lastOpenFailure.clear();
}

LineTiming MSComm::lineTiming() const
{
    return m_open && !isLost() ? m_port->lineTiming() : LineTiming{};
}

bool MSComm::isRemote() const
{
    return m_port->isRemote();
}

QString MSComm::defaultDeviceName(int commPort)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(commPort);
#else
    return QStringLiteral("/dev/ttyS%1").arg(commPort - 1);
#endif
}

bool MSComm::CDHolding() const
{
    return modemInputs().cd;
}

bool MSComm::CTSHolding() const
{
    return modemInputs().cts;
}

bool MSComm::DSRHolding() const
{
    return modemInputs().dsr;
}

bool MSComm::DTREnable() const
{
    return m_dtr;
}

void MSComm::setDTREnable(bool on)
{
    m_dtr = on;
    Q_EMIT dtrWritten(on);
    if (m_open && !isLost())
        m_port->setDtr(on);
}

bool MSComm::RTSEnable() const
{
    return m_rts;
}

void MSComm::setRTSEnable(bool on)
{
    m_rts = on;
    Q_EMIT rtsWritten(on);
    if (m_open && !isLost())
        m_port->setRts(on);
}

int MSComm::Handshaking() const
{
    return int(m_handshake);
}

void MSComm::setHandshaking(int mode)
{
    sendHandshaking(mode).finish();
}

PendingChange MSComm::sendHandshaking(int mode)
{
    const std::optional<Handshake> handshake = handshakeFromInt(mode);
    const auto refuse = [&](const QString &reason) {
        Q_EMIT handshakingWritten(mode, false);
        throw CommError(reason);
    };
    if (!handshake)
        refuse(QStringLiteral("%1: no handshaking mode %2 (0 to 3)").arg(m_deviceName).arg(mode));
    if (!m_port->supports(*handshake))
        refuse(QStringLiteral("%1: this port has no handshaking mode %2").arg(m_deviceName).arg(mode));
    // The setting lists write every channel's values at every choice; a
    // remote port would wait for the server to confirm what it already has.
    if (*handshake == m_handshake && m_open && !isLost())
        return {};
    const bool applies = m_open && !isLost();
    const auto refused = [this, mode] { Q_EMIT handshakingWritten(mode, false); };
    PendingChange sent =
        applies ? tellingRefusal(refused, [&] { return m_port->setHandshake(*handshake); }) : PendingChange();
    return PendingChange([this, mode, handshake = *handshake, applies, sent, refused]() mutable {
        tellingRefusal(refused, [&] { sent.finish(); });
        const bool releasesRts = usesHardwareFlow(m_handshake) && !usesHardwareFlow(handshake);
        const bool changes = handshake != m_handshake;
        m_handshake = handshake;
        if (changes)
            Q_EMIT handshakingWritten(mode, true);
        // RTS was the flow control's; it goes back to the level last written.
        if (applies && releasesRts)
            setOutputLineIfPossible(&PortBackend::setRts, m_rts);
    });
}

bool MSComm::PortOpen() const
{
    return m_open;
}

void MSComm::setPortOpen(bool open)
{
    if (open && !m_open)
        this->open();
    else if (!open)
        close();
}

QString MSComm::Settings() const
{
    return m_settings.toString();
}

void MSComm::setSettings(const QString &settings)
{
    sendSettings(settings).finish();
}

PendingChange MSComm::sendSettings(const QString &settings)
{
    const std::optional<LineSettings> parsed = LineSettings::parse(settings);
    const auto refused = [this, settings] { Q_EMIT settingsWritten(settings, false); };
    if (!parsed) {
        refused();
        throw CommError(QStringLiteral("%1: invalid settings \"%2\"").arg(m_deviceName, settings));
    }
    if (*parsed == m_settings && m_open && !isLost())
        return {};
    PendingChange sent =
        m_open && !isLost() ? tellingRefusal(refused, [&] { return m_port->configure(*parsed); }) : PendingChange();
    return PendingChange([this, parsed = *parsed, sent, refused]() mutable {
        tellingRefusal(refused, [&] { sent.finish(); });
        const bool changes = !(parsed == m_settings);
        m_settings = parsed;
        if (changes)
            Q_EMIT settingsWritten(m_settings.toString(), true);
    });
}

void MSComm::setOutput(const QString &text)
{
    requireOpen();
    const QByteArray bytes = toLatin1Exactly(text);
    if (isLost())
        return; // no line to put it on
    const qint64 pending = m_port->bytesToWrite();
    if (pending + bytes.size() > OutBufferLimit) {
        throw CommError(
            QStringLiteral("%1: output refused, %2 bytes still waiting to be sent").arg(m_deviceName).arg(pending));
    }
    m_port->write(bytes);
    Q_EMIT dataSent(bytes);
}

QString MSComm::Input()
{
    requireOpen();
    if (isLost())
        return {};
    try {
        // Told as they arrived (dataReceived); the look takes them all at once.
        return QString::fromLatin1(m_port->readAll());
    } catch (const CommError &) {
        if (isLost())
            return {}; // it went away during this read
        throw;
    }
}

qint64 MSComm::OutBufferCount() const
{
    return m_open && !isLost() ? m_port->bytesToWrite() : 0;
}

void MSComm::open()
{
    try {
        m_port->open(m_settings, m_handshake);
    } catch (const CommError &error) {
        m_lastOpenFailure = QString::fromStdString(error.what());
        reportLine(m_lastOpenFailure);
        Q_EMIT openFailed(m_lastOpenFailure);
        throw;
    }
    m_lastOpenFailure.clear();
    m_open = true;
    m_dropNews = DropNews(m_port->steadyAfterMs());
    applyOutputLinesAfterOpening();
    m_port->watchLines();
    startCounting(true);
    if (!m_lastCounts)
        say(QStringLiteral("keeps no line event counters (no counters)"));
    Q_EMIT opened();
}

std::optional<MSComm::LineEventReport> MSComm::LineEvents()
{
    requireOpen();
    if (!isLost())
        m_port->deliverLineChanges();
    // The end of a look: whatever the counters say, the levels were seen.
    std::optional<LineEventReport> report;
    try {
        report = takeLineEvents();
    } catch (const CommError &) {
        Q_EMIT looked(Look{m_seen, std::nullopt});
        throw;
    }
    Q_EMIT looked(Look{m_seen, report ? std::optional(report->sinceLastLook) : std::nullopt});
    return report;
}

std::optional<MSComm::LineEventReport> MSComm::takeLineEvents()
{
    if (!m_lastCounts)
        return std::nullopt;
    if (isLost())
        return LineEventReport{m_countedTotal, LineCounts::zeroWhereCounted(m_countedTotal)};
    const std::optional<LineCounts> counts = m_port->lineCounts();
    if (!counts)
        return std::nullopt;
    const LineCounts since = *counts - *m_lastCounts;
    m_lastCounts = counts;
    // What the port counts may change while it is open (a built-in UART
    // counts modem lines only under RTS/CTS handshaking): an event counted
    // from now on starts at zero, one no longer counted is shown as such.
    for (LineEvent event : AllLineEvents) {
        if (!(*counts)[event])
            m_countedTotal[event].reset();
        else if (!m_countedTotal[event])
            m_countedTotal[event] = 0;
    }
    m_countedTotal += since;
    return LineEventReport{m_countedTotal, since};
}

void MSComm::resetLineEvents()
{
    m_countedTotal = LineCounts::zeroWhereCounted(m_countedTotal);
}

void MSComm::startCounting(bool fromZero)
{
    // The port's counters run across openings and from before ours; what
    // is shown counts from here.
    try {
        m_lastCounts = m_port->lineCounts();
    } catch (const CommError &) {
        m_lastCounts.reset();
    }
    if (fromZero && m_lastCounts)
        m_countedTotal = LineCounts::zeroWhereCounted(*m_lastCounts);
}

void MSComm::close()
{
    m_returnLook.stop();
    m_deviceState = DeviceState::Present;
    m_lastReturnReason.clear();
    m_port->close();
    const bool wasOpen = std::exchange(m_open, false);
    if (wasOpen)
        Q_EMIT closed();
}

void MSComm::onDeviceLost(const QString &reason, DeviceState whileAway)
{
    if (!m_open || isLost())
        return;
    m_deviceState = whileAway;
    if (m_dropNews.lost(m_clock.nowMs()))
        say(QStringLiteral("lost; waiting for it to return (%1)").arg(reason));
    m_returnLook.start();
    Q_EMIT deviceStateChanged(whileAway, reason);
}

// The look goes on after a return until the return is said.
void MSComm::onReturnLook()
{
    if (isLost())
        lookForReturn();
    if (const std::optional<QString> news = m_dropNews.due(m_clock.nowMs()))
        say(*news);
    if (!isLost() && m_dropNews.isSettled())
        m_returnLook.stop();
}

void MSComm::lookForReturn()
{
    const ReturnCheck found = m_port->lookForReturn(m_settings, m_handshake);
    if (found.state == DeviceState::Present) {
        m_deviceState = DeviceState::Present;
        m_lastReturnReason.clear();
        applyOutputLinesAfterOpening();
        m_port->watchLines();
        // A device back (maybe through another driver) continues the counts.
        startCounting(!m_lastCounts);
        m_dropNews.back(m_clock.nowMs());
        Q_EMIT deviceStateChanged(DeviceState::Present, {});
        return;
    }
    m_deviceState = found.state;
    // Only what is news: the same reason on every look would flood stderr.
    if (found.reason == m_lastReturnReason)
        return;
    m_lastReturnReason = found.reason;
    switch (found.state) {
    case DeviceState::OtherAdapter:
        say(QStringLiteral("is another adapter now (%1); waiting for the one that was opened").arg(found.reason));
        break;
    case DeviceState::Busy:
        say(QStringLiteral("is back but held by another program; waiting for it to be free"));
        break;
    default:
        if (!found.reason.isEmpty())
            say(QStringLiteral("is back but cannot be opened: %1").arg(found.reason));
        break;
    }
}

void MSComm::say(const QString &news) const
{
    reportLine(QStringLiteral("COM%1: %2 %3").arg(m_commPort).arg(m_deviceName, news));
}

void MSComm::applyOutputLinesAfterOpening()
{
    // The driver raises DTR and RTS as it opens the device; they go straight
    // to the levels last written so the other end never sees a stray raise.
    setOutputLineIfPossible(&PortBackend::setDtr, m_dtr);
    setOutputLineIfPossible(&PortBackend::setRts, m_rts);
}

void MSComm::setOutputLineIfPossible(void (PortBackend::*setLine)(bool), bool on)
{
    // Devices without modem control (ptys, many virtual and some USB ports)
    // refuse, and so does RTS under hardware handshaking; neither must keep
    // a port from carrying data.
    try {
        (m_port.get()->*setLine)(on);
    } catch (const CommError &) {
        // Nothing is lost: the level stays in the control and is written
        // again at the next opening or change of handshaking.
    }
}

ModemInputs MSComm::modemInputs() const
{
    requireOpen();
    if (isLost())
        return {};
    try {
        m_seen = m_port->modemInputs();
        return m_seen;
    } catch (const CommError &) {
        if (isLost())
            return {}; // it went away during this read
        throw;
    }
}

void MSComm::requireOpen() const
{
    if (!m_open)
        throw CommError(QStringLiteral("%1: port is not open").arg(m_deviceName));
}

} // namespace MSCommLib
