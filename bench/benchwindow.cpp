// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "benchwindow.h"

#include "harness.h"
#include "readcounter.h"

#include "controls/enablebox.h"
#include "controls/pintextbox.h"
#include "ptypair.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <stdexcept>

namespace Sernix::Bench {

using namespace Sernix::Controls;
using namespace Sernix::Rig;
using namespace Sernix::Window;

// One ser2net sharing every line by RFC 2217 on 127.0.0.1, a port each, with
// the pty rig preloaded so that the ptys have modem lines for it as well.
class Ser2net
{
public:
    explicit Ser2net(const std::vector<QString> &devices)
    {
        // Held all at once so that the ports differ, and let go for the server.
        std::vector<std::unique_ptr<QTcpServer>> probes;
        QByteArray config;
        for (const QString &device : devices) {
            probes.push_back(std::make_unique<QTcpServer>());
            probes.back()->listen(QHostAddress::LocalHost, 0);
            m_ports.push_back(probes.back()->serverPort());
            config += QStringLiteral("connection: &line%1\n"
                                     "  accepter: telnet(rfc2217),tcp,127.0.0.1,%2\n"
                                     "  connector: serialdev,%3,115200n81,local\n")
                          .arg(m_ports.size())
                          .arg(m_ports.back())
                          .arg(device)
                          .toUtf8();
        }
        probes.clear();
        const QString configPath = m_directory.filePath(QStringLiteral("ser2net.yaml"));
        QFile file(configPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size())
            throw std::runtime_error("cannot write the ser2net configuration");
        file.close();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(SERNIX_PTYRIG_PRELOAD));
        m_process.setProcessEnvironment(environment);
        // Its messages go to stdout, which carries the benchmark table.
        m_process.setStandardOutputFile(m_directory.filePath(QStringLiteral("ser2net.log")));
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("ser2net"),
                        {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-c"), configPath});
        // It says nothing when it listens: each port is knocked on until it answers.
        std::size_t listening = 0;
        Bench::processEventsUntil(
            [&] {
                while (listening < m_ports.size() && knock(m_ports.at(listening)))
                    ++listening;
                return listening == m_ports.size() || m_process.state() == QProcess::NotRunning;
            },
            std::chrono::seconds(8));
        if (listening < m_ports.size()) {
            QFile log(m_directory.filePath(QStringLiteral("ser2net.log")));
            log.open(QIODevice::ReadOnly);
            throw std::runtime_error(QStringLiteral("ser2net is not listening on 127.0.0.1:%1 (%2) %3")
                                         .arg(m_ports.at(listening))
                                         .arg(m_process.errorString(), QString::fromLocal8Bit(log.readAll()))
                                         .toStdString());
        }
    }
    ~Ser2net()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    Ser2net(const Ser2net &) = delete;
    Ser2net &operator=(const Ser2net &) = delete;

    QString address(std::size_t line) const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_ports.at(line)); }

private:
    static bool knock(quint16 port)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(100);
    }

    QTemporaryDir m_directory;
    std::vector<quint16> m_ports;
    QProcess m_process;
};

QByteArray ByteStream::next(qsizetype count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    for (qsizetype i = 0; i < count; ++i) {
        // splitmix64: every byte value turns up, in no pattern a pty or a
        // text box could treat specially by accident.
        quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        z ^= z >> 31;
        bytes[i] = m_kind == Kind::AnyByte ? char(z & 0xff) : char(' ' + z % 95);
    }
    return bytes;
}

FarEnd::FarEnd(PtyPair &pty, quint64 seed, ByteStream::Kind kind)
    : m_pty(pty)
    , m_outgoing(seed, kind)
    , m_expected(seed, kind)
{
}

void FarEnd::send(qsizetype count)
{
    if (count <= 0)
        return;
    m_backlog += m_outgoing.next(count);
    m_generated += count;
    push();
}

void FarEnd::push()
{
    if (!m_backlog.isEmpty())
        m_backlog.remove(0, m_pty.writeToMaster(m_backlog));
}

void FarEnd::verify(QByteArrayView shown)
{
    ++m_chunks;
    m_largestChunk = std::max(m_largestChunk, shown.size());
    if (intact()) {
        const QByteArray expected = m_expected.next(shown.size());
        const auto mismatch = std::ranges::mismatch(shown, expected);
        if (mismatch.in1 != shown.end()) {
            m_firstDifference = m_shown + (mismatch.in1 - shown.begin());
            m_differenceChunk = m_chunks;
            m_chunkBeforeDifference = m_previousChunk;
        }
    }
    m_shown += shown.size();
    m_previousChunk = shown.size();
}

QString FarEnd::differenceDescription() const
{
    if (intact())
        return QStringLiteral("%1 of %2 bytes shown, all as sent").arg(m_shown).arg(m_generated);
    return QStringLiteral("first wrong or missing byte at offset %1 (tick %2; the tick before showed %3 bytes); "
                          "%4 of %5 bytes shown")
        .arg(m_firstDifference)
        .arg(m_differenceChunk)
        .arg(m_chunkBeforeDifference)
        .arg(m_shown)
        .arg(m_generated);
}

BenchWindow::BenchWindow(int lines, Reach reach)
{
    std::vector<QString> slaves;
    for (int channel = 1; channel <= lines; ++channel) {
        m_ptys.push_back(std::make_unique<PtyPair>());
        slaves.push_back(m_ptys.back()->slavePath());
    }
    if (reach == Reach::Link)
        m_links = std::make_unique<QTemporaryDir>();
    if (reach == Reach::Remote)
        m_server = std::make_unique<Ser2net>(slaves);

    std::vector<QString> devices;
    for (int channel = 1; channel <= lines; ++channel) {
        const QString &slave = slaves.at(std::size_t(channel - 1));
        if (reach == Reach::Direct)
            devices.push_back(slave);
        else if (reach == Reach::Remote)
            devices.push_back(m_server->address(std::size_t(channel - 1)));
        else if (reach == Reach::Link) {
            devices.push_back(linkPath(channel));
            if (!QFile::link(slave, devices.back()))
                throw std::runtime_error("cannot link " + devices.back().toStdString());
        }
    }
    showForm(devices);
}

BenchWindow::BenchWindow(const QString &device)
{
    showForm({device});
}

void BenchWindow::showForm(const std::vector<QString> &devices)
{
    m_deviceCount = int(devices.size());
    Form1::DeviceNames names;
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        names.at(std::size_t(channel - 1)) = channel <= m_deviceCount
            ? devices.at(std::size_t(channel - 1))
            : QStringLiteral("/dev/sernix-bench-absent-%1").arg(channel);
    }
    m_form = std::make_unique<Form1>(names);
    m_form->show();
    QCoreApplication::processEvents();

    m_masterReaders.resize(m_ptys.size());
    for (int channel = 1; channel <= lineCount(); ++channel)
        readMaster(channel);
}

BenchWindow::~BenchWindow()
{
    ReadCounter::watchDevices({});
    m_masterReaders.clear();
    m_form.reset();
    m_server.reset();
}

QString BenchWindow::linkPath(int channel) const
{
    return m_links->filePath(QStringLiteral("ttyBENCH%1").arg(channel));
}

void BenchWindow::readMaster(int channel)
{
    // What the program sends must leave the ptys, or they fill up and the
    // ports stall; counting it also shows that the sends happened.
    PtyPair *pair = &pty(channel);
    auto reader = std::make_unique<QSocketNotifier>(pair->masterFd(), QSocketNotifier::Read);
    QObject::connect(reader.get(), &QSocketNotifier::activated, reader.get(),
                     [this, pair] { m_sentArrived += pair->readFromMaster().size(); });
    m_masterReaders.at(std::size_t(channel - 1)) = std::move(reader);
}

void BenchWindow::unplug(int channel)
{
    QFile::remove(linkPath(channel));
    // A notifier must not outlive its descriptor.
    m_masterReaders.at(std::size_t(channel - 1)).reset();
    pty(channel).unplug();
}

PtyPair &BenchWindow::plug(int channel)
{
    // Made before the old pair goes, so that it is a pty of another number,
    // as a device that comes back is a node made afresh.
    auto fresh = std::make_unique<PtyPair>();
    m_ptys.at(std::size_t(channel - 1)) = std::move(fresh);
    readMaster(channel);
    if (!QFile::link(pty(channel).slavePath(), linkPath(channel)))
        throw std::runtime_error("cannot link " + linkPath(channel).toStdString());
    return pty(channel);
}

bool BenchWindow::switchOn(const QString &settings)
{
    // A port that fails to open brings up a modal message box; it is closed
    // at once so that the failure is reported instead of waited on forever.
    QTimer dismisser;
    QObject::connect(&dismisser, &QTimer::timeout, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    dismisser.start(0);
    bool allOpen = true;
    std::vector<dev_t> devices;
    for (int number = 1; number <= m_deviceCount; ++number) {
        const ChannelControls &controls = channel(number);
        controls.serialControl->setSettings(settings);
        controls.enableBox->setValue(EnableBox::Ticked);
        if (!controls.serialControl->PortOpen()) {
            Bench::log(
                QStringLiteral("channel %1: %2 did not open").arg(number).arg(controls.serialControl->deviceName()));
            allOpen = false;
        }
        if (number <= lineCount())
            devices.push_back(pty(number).slaveDevice());
    }
    ReadCounter::watchDevices(devices);
    return allOpen;
}

void BenchWindow::setTransmitText(const QString &text)
{
    for (int number = 1; number <= lineCount(); ++number)
        channel(number).pin(Pin::Td)->setText(text);
}

QByteArray BenchWindow::shown(int number) const
{
    return channel(number).pin(Pin::Rd)->Text().toLatin1();
}

quint64 BenchWindow::bytesReadByPorts()
{
    return ReadCounter::bytesRead();
}

} // namespace Sernix::Bench
