// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// A fixed record written as CSV and VCD, byte for byte as kept in golden/:
// a changed quote, digit or line end in either file fails here.

#include "record/record.h"
#include "record/recording.h"

#include <QBuffer>
#include <QtTest>

using namespace Sernix::Record;

namespace {

// Every event kind, texts that need quoting or guarding, bytes outside
// 0x20-0x7E, a read cut at 256 bytes, pulses (one above what is drawn), and
// channels going off, lost and reconnecting.
void fill(Record &record, MSCommLib::SteadyClock &clock)
{
    using K = EventKind;
    const auto at = [&](qint64 ms) -> Record & {
        clock.advanceMs(ms - clock.nowMs());
        return record;
    };
    const auto levels = [&](qint64 ms, int channel, const char *six) {
        at(ms);
        for (int line = 0; line < LineCount; ++line)
            record.appendLevel(channel, Line(line), six[line] == '1');
    };
    QByteArray read;
    for (int byte = 0; byte < 256; ++byte)
        read += char(byte);
    read += "a,\"b\"\r\n";

    at(1000).appendStatus(1, K::On, "loopback", "9600,n,8,1  comNone");
    at(1200).appendStatus(2, K::OpenFailed, {}, "Port not found: No such file or directory");
    at(1250).appendStatus(2, K::On, "rfc2217://127.0.0.1:3001", "9600,n,8,1  comRTS");
    levels(1260, 2, "110001");
    levels(1300, 1, "000000");
    at(1450).appendLevel(1, Line::Dtr, true);
    at(1500).appendStatus(1, K::Settings, "19200,e,7,2");
    at(1510).appendStatus(1, K::Settings, "115200,m,8,1", "Unacceptable");
    at(1520).appendStatus(1, K::Handshaking, "comXOnXoff");
    at(1530).appendStatus(1, K::Handshaking, "comRTSXOnXOff", "Unacceptable");
    at(1600).appendPulse(1, Line::Dcd, 2);
    record.appendPulse(1, Line::Dsr, 3);
    record.appendLevel(1, Line::Dsr, true);
    record.appendError(1, K::Framing, 2);
    record.appendError(1, K::Parity, 1);
    record.appendError(1, K::Overrun, 3);
    record.appendError(1, K::Break, 1);
    at(1700).appendData(1, K::Received, read); // as two events: the first of 256 bytes
    at(1750).appendData(1, K::Received, "=1+2");
    at(1800).appendData(1, K::Sent, "+AT");
    record.appendData(1, K::Sent, "@home -x");
    at(1900).appendPulse(1, Line::Cts, 70);
    at(2000).appendStatus(1, K::Lost, {}, "cannot read \"/dev/ttyUSB0\": Input/output error");
    at(2200).appendStatus(2, K::Reconnecting, {}, "-connection refused");
    at(2500).appendStatus(1, K::Back);
    levels(2800, 1, "101010");
    at(2900).appendStatus(4, K::On, QString::fromUtf8("/dev/serial/by-id/usb-Caf\u00e9_UART-if00"),
                          "9600,n,8,1  comNone");
    levels(2950, 4, "000011");
    at(3000).appendStatus(1, K::Off);
    at(3100).appendStatus(4, K::Off);
}

} // namespace

class RecordFilesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filesAreByteForByteAsKept()
    {
        MSCommLib::SteadyClock clock(MSCommLib::SteadyClock::Kind::Manual);
        const QDateTime start = QDateTime::fromString("2026-12-07T03:12:44.877Z", Qt::ISODateWithMs);
        Record record(Clock(clock, start.toMSecsSinceEpoch()));
        fill(record, clock);
        for (const auto &[kind, name] : {std::pair{FileKind::Csv, "record.csv"}, {FileKind::Vcd, "record.vcd"}}) {
            QBuffer written;
            QFile golden(QFINDTESTDATA(QStringLiteral("golden/") + name));
            QVERIFY(written.open(QIODevice::WriteOnly) && golden.open(QIODevice::ReadOnly));
            QCOMPARE(writeWholeRecord(record, kind, written), QString());
            // Line by line, so that a failure shows the line; line ends are compared too.
            QCOMPARE(written.data().split('\n'), golden.readAll().split('\n'));
        }
    }
};

QTEST_MAIN(RecordFilesTest)
#include "tst_recordfiles.moc"
