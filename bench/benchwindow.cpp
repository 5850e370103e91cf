#include "benchwindow.h"

#include "harness.h"
#include "readcounter.h"

#include "controls/controls.h"
#include "ptypair.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>

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

BenchWindow::BenchWindow(int lines)
{
    Form1::DeviceNames devices;
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        if (channel <= lines) {
            m_ptys.push_back(std::make_unique<PtyPair>());
            devices.at(std::size_t(channel - 1)) = m_ptys.back()->slavePath();
        } else {
            devices.at(std::size_t(channel - 1)) = QStringLiteral("/dev/sernix-bench-absent-%1").arg(channel);
        }
    }
    m_form = std::make_unique<Form1>(devices);
    m_form->show();
    QCoreApplication::processEvents();

    // What the program sends must leave the ptys, or they fill up and the
    // ports stall; counting it also shows that the sends happened.
    for (const auto &pty : m_ptys) {
        auto reader = std::make_unique<QSocketNotifier>(pty->masterFd(), QSocketNotifier::Read);
        QObject::connect(reader.get(), &QSocketNotifier::activated, reader.get(),
                         [this, pair = pty.get()] { m_sentArrived += pair->readFromMaster().size(); });
        m_masterReaders.push_back(std::move(reader));
    }
}

BenchWindow::~BenchWindow()
{
    ReadCounter::watchDevices({});
    m_masterReaders.clear();
    m_form.reset();
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
    for (int number = 1; number <= lineCount(); ++number) {
        const ChannelControls &controls = channel(number);
        controls.serialControl->setSettings(settings);
        controls.enableBox->setValue(EnableBox::Ticked);
        if (!controls.serialControl->PortOpen()) {
            Bench::log(QStringLiteral("channel %1: %2 did not open").arg(number).arg(pty(number).slavePath()));
            allOpen = false;
        }
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
