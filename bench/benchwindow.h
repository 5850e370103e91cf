// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "window/form1.h"

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>

#include <memory>
#include <vector>

class QTemporaryDir;

namespace Sernix::Rig {
class PtyPair;
}

namespace Sernix::Bench {

// Varied bytes covering every value 0 to 255 (or, as text, the printable
// ASCII characters), the same for the same seed, so that what a line carried
// can be checked without keeping a copy of it.
class ByteStream
{
public:
    enum class Kind { AnyByte, PrintableText };

    explicit ByteStream(quint64 seed, Kind kind = Kind::AnyByte)
        : m_state(seed)
        , m_kind(kind)
    {
    }
    QByteArray next(qsizetype count);

private:
    quint64 m_state;
    Kind m_kind;
};

// The far end of one line: feeds a reproducible stream into the pty master,
// holding back what the pty cannot take yet, and checks what the program
// showed against what was sent.
class FarEnd
{
public:
    FarEnd(Rig::PtyPair &pty, quint64 seed, ByteStream::Kind kind = ByteStream::Kind::AnyByte);

    // Adds count bytes to the stream and writes what the pty takes.
    void send(qsizetype count);
    // Writes as much of the held-back bytes as the pty takes now.
    void push();

    qsizetype backlog() const { return m_backlog.size(); }
    qint64 generated() const { return m_generated; }
    qint64 written() const { return m_generated - m_backlog.size(); }

    // Checks one tick's worth of receive box against the bytes that should
    // come next. Once anything differed the line is no longer intact; the
    // rest is only counted.
    void verify(QByteArrayView shown);
    bool intact() const { return m_firstDifference < 0; }
    qint64 shownTotal() const { return m_shown; }
    qsizetype largestChunk() const { return m_largestChunk; }
    // Where the line first went wrong, for the report.
    QString differenceDescription() const;

private:
    Rig::PtyPair &m_pty;
    ByteStream m_outgoing;
    ByteStream m_expected;
    QByteArray m_backlog;
    qint64 m_generated = 0;
    qint64 m_shown = 0;
    qint64 m_chunks = 0;
    qsizetype m_largestChunk = 0;
    qsizetype m_previousChunk = 0;
    qint64 m_firstDifference = -1;
    qint64 m_differenceChunk = -1;
    qsizetype m_chunkBeforeDifference = 0;
};

class Ser2net;

// The program's window with pseudo-terminals on its first channels, shown on
// the current platform as the program shows it. Channels without a line get
// a device that cannot exist, so nothing here reaches the machine's own ports.
class BenchWindow
{
public:
    // How a channel's device name leads to its pty.
    enum class Reach {
        Direct, // the pty's own path
        Link,   // a link at a path of its own, so that the device can be pulled out and come back
        Remote, // rfc2217:// to one ser2net on 127.0.0.1 sharing every line
    };

    explicit BenchWindow(int lines, Reach reach = Reach::Direct); // throws std::runtime_error
    // The first channel on a device of the benchmark's own, with no pty
    // behind it (a server on 127.0.0.1, say); the others on none.
    explicit BenchWindow(const QString &device);
    ~BenchWindow();
    BenchWindow(const BenchWindow &) = delete;
    BenchWindow &operator=(const BenchWindow &) = delete;

    Window::Form1 &form() { return *m_form; }
    int lineCount() const { return int(m_ptys.size()); }
    Rig::PtyPair &pty(int channel) { return *m_ptys.at(std::size_t(channel - 1)); }
    const Controls::ChannelControls &channel(int number) const { return m_form->channel(number); }

    // Ticks the enable box of every channel that has a device, with these
    // settings, and starts counting what the ports read. False when a port
    // did not open.
    bool switchOn(const QString &settings = QStringLiteral("115200,n,8,1"));
    void setTransmitText(const QString &text);

    // Reach::Link only. Pulling out removes the link and closes the pty's far
    // end; plugging in puts a new pty at the same path.
    void unplug(int channel);
    Rig::PtyPair &plug(int channel);

    // The receive box of a channel as the bytes it stands for.
    QByteArray shown(int channel) const;
    // Bytes the ports have read from the lines so far.
    static quint64 bytesReadByPorts();
    // Bytes the program sent that arrived at the far ends, all lines together.
    qint64 bytesSentByProgram() const { return m_sentArrived; }

private:
    // Shows the window with these devices on the first channels.
    void showForm(const std::vector<QString> &devices);
    QString linkPath(int channel) const;
    void readMaster(int channel);

    std::vector<std::unique_ptr<Rig::PtyPair>> m_ptys;
    int m_deviceCount = 0; // channels with a device: every pty's, or the one given
    std::unique_ptr<QTemporaryDir> m_links;
    std::unique_ptr<Ser2net> m_server;
    std::unique_ptr<Window::Form1> m_form;
    std::vector<std::unique_ptr<QSocketNotifier>> m_masterReaders; // by channel
    qint64 m_sentArrived = 0;
};

// The settings every line runs at: the fastest rate of the speed list.
inline const QString LineSettings115200 = QStringLiteral("115200,n,8,1");
// 115,200 baud carries 11,520 characters a second at 10 bits each.
inline constexpr qint64 CharactersPerSecondAt115200 = 11'520;

} // namespace Sernix::Bench
