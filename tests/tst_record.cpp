// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// The record of what happened on the channels, and the files other tools read.

#include "ptypair.h"
#include "ptyrig.h"
#include "windowtesting.h"

#include "controls/enablebox.h"
#include "controls/linebutton.h"
#include "controls/pintextbox.h"
#include "record/record.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

using namespace Sernix::Controls;
using namespace Sernix::Rig;
using namespace Sernix::Window;
using namespace Sernix::Record;

namespace {

QByteArray run(const QString &program, const QStringList &arguments, int *status = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        qFatal("%s did not finish", qPrintable(program));
    if (status)
        *status = process.exitCode();
    return process.readAllStandardOutput() + process.readAllStandardError();
}

// Reads the CSV with Python's csv module: the received bytes (from the hex
// column) as hex, after checking each row's text against its bytes.
constexpr auto CsvReader = R"(
import csv, sys
data = b''
for row in csv.reader(open(sys.argv[1], newline='')):
    if row[2] != 'received': continue
    raw = bytes.fromhex(row[3])
    shown = ''.join(chr(b) if 0x20 <= b <= 0x7e else '.' for b in raw)
    if shown[:1] in ('=', '+', '-', '@'): shown = "'" + shown
    if row[4] != shown: sys.exit('text %r for %r' % (row[4], shown))
    data += raw
print(data.hex())
)";

// The samples of one wire as sigrok reads the VCD, one character per ms.
QString sigrokSamples(const QString &vcd, const QString &wire)
{
    const QStringList lines = QString::fromLatin1(run("sigrok-cli", {"-I", "vcd", "-i", vcd, "-O", "csv"})).split('\n');
    const QStringList names = lines.filter(QStringLiteral("; Channels")).value(0).section(": ", 1).split(", ");
    QString samples;
    for (const QString &line : lines) {
        if (!line.isEmpty() && (line.front() == '0' || line.front() == '1'))
            samples += line.split(',').value(names.indexOf(wire));
    }
    return samples;
}

// The program as a user runs it, with a home in the folder.
void start(QProcess &program, const QTemporaryDir &dir, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", dir.path());
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(SERNIX_PROGRAM_PATH), arguments);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class RecordTest : public QObject, public Fixture
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path()); }
    void cleanup() { finish(); }

    void eventsOfTheRigReachTheRecordAndBothFiles()
    {
        PtyRig::setModemWaits(false); // a driver that cannot wake a waiter: lines at the look
        const auto waitsAgain = qScopeGuard([] { PtyRig::setModemWaits(true); });
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyTEST"), csv = dir.filePath("r.csv"), vcd = dir.filePath("r.vcd");
        auto pty = std::make_unique<PtyPair>();
        QVERIFY(QFile::link(pty->slavePath(), link));
        Form1 &form = open({link});
        QCOMPARE(form.recordings().start(csv), QString());
        QCOMPARE(form.recordings().start(vcd), QString());
        const ChannelControls &channel = form.channel(1);
        click(channel.enableBox);
        form.Timer1_Timer();
        click(channel.dtrButton); // DCD and DSR follow DTR: two pulses
        click(channel.dtrButton);
        form.Timer1_Timer();
        PtyRig::forceInputs(*pty, {.dcd = true});
        PtyRig::receiveErrors(*pty, {.framing = 2});
        form.Timer1_Timer();
        QByteArray sent;
        for (int byte = 0; byte < 512; ++byte)
            sent += char(byte);
        sent += "a,\"b\"\r\n";
        for (const QByteArray &part : {sent, QByteArray("=1+2")}) {
            pty->writeToMaster(part);
            QString shown;
            QTRY_COMPARE((form.Timer1_Timer(), shown += channel.pin(Pin::Rd)->Text()).toLatin1(), part);
        }
        sent += "=1+2";
        QFile::remove(link);
        pty->unplug();
        QTRY_VERIFY((form.Timer1_Timer(), !form.record().state(1).live()));
        pty = std::make_unique<PtyPair>();
        QVERIFY(QFile::link(pty->slavePath(), link));
        QTRY_VERIFY((form.Timer1_Timer(),
                     !form.record().events(Category::Lines).empty()
                         && form.record().events(Category::Lines).back().kind == EventKind::Rts));
        form.recordings().stopAll();

        QStringList lines;
        qint64 lastTime = 0;
        for (const Event &event : form.record().events(Category::Lines)) {
            QVERIFY(event.time >= lastTime && event.time <= form.record().now());
            lastTime = event.time;
            lines << eventText(form.record(), event);
        }
        QByteArray received;
        for (const Event &event : form.record().events(Category::Data))
            received += form.record().bytes(event);
        QCOMPARE(received, sent);
        const QStringList expected{"on " + link + " 9600,n,8,1  comNone",
                                   "timing look 300 ms",
                                   "DCD 0",
                                   "DSR 0",
                                   "CTS 0",
                                   "RI 0",
                                   "DTR 0",
                                   "RTS 0",
                                   "DTR 1",
                                   "DTR 0",
                                   "pulse DCD 2",
                                   "pulse DSR 2",
                                   "DCD 1",
                                   "framing 2"};
        QCOMPARE(lines.mid(0, expected.size()), expected);
        QVERIFY2(lines.at(expected.size()).startsWith("lost "), qPrintable(lines.join('|')));
        QCOMPARE(lines.mid(expected.size() + 1, 3), QStringList({"back", "timing look 300 ms", "DCD 0"}));

        int status = -1;
        const QByteArray parsed = run("/usr/bin/python3", {"-c", CsvReader, csv}, &status);
        QCOMPARE(status, 0);
        QCOMPARE(QByteArray::fromHex(parsed.trimmed()), sent);
        QCOMPARE(run("vcd2fst", {vcd, dir.filePath("r.fst")}, &status), QByteArray());
        QCOMPARE(status, 0);
        // DSR was low at every look: only the drawn pulse is high.
        QCOMPARE(sigrokSamples(vcd, "com1_dsr").count('1'), 1);
        QCOMPARE(readAll(vcd).count("\n1!\n"), 2); // DCD: the pulse, then held high
    }

    // The program as a user runs it: a full disk stops its recording with
    // one line and nothing else; Ctrl+C ends it with the VCD complete; a VCD
    // that exists is never written over.
    void fullDiskAndInterruptAndExistingVcd()
    {
        QTemporaryDir dir;
        const QString full = dir.filePath("full.csv"), vcd = dir.filePath("a.vcd");
        QVERIFY(QFile::link("/dev/full", full));
        QProcess program;
        const QStringList arguments{"--com1", "loopback", "--open", "1", "--transmit", "1:hello", "--record", vcd};
        start(program, dir, arguments + QStringList{"--record", full});
        QByteArray diagnostics;
        QTRY_VERIFY_WITH_TIMEOUT((diagnostics += program.readAllStandardError()).contains("recording to"), 10000);
        // Events after the failure: a recording not stopped would fail again at exit.
        QTRY_VERIFY_WITH_TIMEOUT(readAll(vcd).contains("0!"), 10000);
        ::kill(pid_t(program.processId()), SIGINT);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        diagnostics += program.readAllStandardError();
        QCOMPARE(diagnostics.count("recording to"), 1);
        QVERIFY2(!diagnostics.contains("QIODevice::"), diagnostics.constData()); // it cannot seek in /dev/full
        int status = -1;
        run("vcd2fst", {vcd, dir.filePath("a.fst")}, &status);
        QCOMPARE(status, 0);

        const QByteArray before = readAll(vcd);
        const QByteArray refusal = run(SERNIX_PROGRAM_PATH, arguments, &status);
        QCOMPARE(status, 2);
        QVERIFY2(refusal.contains(vcd.toLocal8Bit()), refusal.constData());
        QCOMPARE(readAll(vcd), before);
    }

    // A FIFO read from after the start gets every row since the start; its
    // reader going away stops that recording, not the program.
    void fifoWithALateReaderThatGoesAway()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath("live.csv");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QProcess program;
        start(program, dir, {"--com1", "loopback", "--open", "1", "--transmit", "1:x", "--record", fifo});
        QByteArray diagnostics;
        const auto says = [&](const char *text) {
            return (diagnostics += program.readAllStandardError()).contains(text);
        };
        QTRY_VERIFY_WITH_TIMEOUT(says("when a reader opens it"), 10000);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
        QByteArray rows;
        char buffer[4096];
        QTRY_VERIFY_WITH_TIMEOUT(
            (rows += QByteArray(buffer, std::max<qint64>(0, ::read(reader, buffer, sizeof buffer))))
                .contains(",sent,78,x"),
            10000);
        QVERIFY2(rows.startsWith("time,channel,event,value,text\r\n") && rows.contains(",COM1,on,loopback,"), rows);
        ::close(reader);
        QTRY_VERIFY_WITH_TIMEOUT(says("stopped: its reader went away"), 10000);
        ::kill(pid_t(program.processId()), SIGINT);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(!says("QFile::") && !says("QIODevice::"), diagnostics.constData());
    }

    // Filled far past its bounds with small events, the record takes from the
    // heap what it counts, within its bounds, and has let the oldest go
    // first, whole: what it holds is every event since, as it was taken.
    void boundsDropTheOldestAndCountWhatTheHeapHolds()
    {
#ifdef __GLIBC__
        constexpr qint64 Bounds[] = {256 * 1024, 1024 * 1024}; // by category
        constexpr qint64 Taken = 150'000, Margin = 32 * 1024;
#ifdef __SANITIZE_ADDRESS__ // its allocator is not glibc's: mallinfo2() sees none of it
        constexpr bool HeapSeen = false;
#else
        constexpr bool HeapSeen = true;
#endif
        const auto heap = [] { return qint64(mallinfo2().uordblks); };
        const qint64 before = heap();
        Record record(Budget{Bounds[0], Bounds[1]});
        for (qint64 i = 1; i <= Taken; ++i) {
            record.appendData(1, EventKind::Received, QByteArray::number(i), i);
            record.appendStatus(2, EventKind::Lost, {}, QString::number(i), i); // a reason of its own each
        }
        const qint64 grown = heap() - before;
        QVERIFY2(!HeapSeen || (std::abs(grown - record.footprint()) < Margin && grown < Bounds[0] + Bounds[1] + Margin),
                 qPrintable(QStringLiteral("heap %1, counted %2").arg(grown).arg(record.footprint())));
        for (Category category : {Category::Lines, Category::Data}) {
            const Record::Events &events = record.events(category);
            QVERIFY(record.footprint(category) > Bounds[int(category)] * 9 / 10);
            QCOMPARE(events.back().time, Taken);
            QCOMPARE(record.heldSince(category), events.front().time);
            for (std::size_t k = 0; k < events.size(); ++k) {
                const Event &event = events[k];
                const QByteArray held = category == Category::Data ? record.bytes(event).toByteArray()
                                                                   : record.text(event.detail).toLatin1();
                QCOMPARE(event.time, events.front().time + qint64(k));
                QCOMPARE(held, QByteArray::number(event.time));
            }
        }
#else
        QSKIP("counts the heap through glibc's mallinfo2()");
#endif
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(RecordTest)
#include "tst_record.moc"
