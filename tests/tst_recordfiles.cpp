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
void fill(Record &record)
{
    using K = EventKind;
    constexpr qint64 Ms = 1000;
    const auto status = [&](qint64 ms, int channel, K kind, const QString &subject = {}, const QString &detail = {}) {
        record.appendStatus(channel, kind, subject, detail, ms * Ms);
    };
    const auto levels = [&](qint64 ms, int channel, const char *six) {
        for (int line = 0; line < LineCount; ++line)
            record.appendLevel(channel, Line(line), six[line] == '1', ms * Ms);
    };
    QByteArray read;
    for (int byte = 0; byte < 256; ++byte)
        read += char(byte);
    read += "a,\"b\"\r\n";

    status(1000, 1, K::On, "loopback", "9600,n,8,1  comNone");
    status(1200, 2, K::OpenFailed, {}, "Port not found: No such file or directory");
    status(1250, 2, K::On, "rfc2217://127.0.0.1:3001", "9600,n,8,1  comRTS");
    levels(1260, 2, "110001");
    levels(1300, 1, "000000");
    record.appendLevel(1, Line::Dtr, true, 1450 * Ms);
    status(1500, 1, K::Settings, "19200,e,7,2");
    status(1510, 1, K::Settings, "115200,m,8,1", "Unacceptable");
    status(1520, 1, K::Handshaking, "comXOnXoff");
    status(1530, 1, K::Handshaking, "comRTSXOnXOff", "Unacceptable");
    record.appendPulse(1, Line::Dcd, 2, 1600 * Ms);
    record.appendPulse(1, Line::Dsr, 3, 1600 * Ms);
    record.appendLevel(1, Line::Dsr, true, 1600 * Ms);
    record.appendError(1, K::Framing, 2, 1600 * Ms);
    record.appendError(1, K::Parity, 1, 1600 * Ms);
    record.appendError(1, K::Overrun, 3, 1600 * Ms);
    record.appendError(1, K::Break, 1, 1600 * Ms);
    record.appendData(1, K::Received, read, 1700 * Ms); // as two events: the first of 256 bytes
    record.appendData(1, K::Received, "=1+2", 1750 * Ms);
    record.appendData(1, K::Sent, "+AT", 1800 * Ms);
    record.appendData(1, K::Sent, "@home -x", 1800 * Ms);
    record.appendPulse(1, Line::Cts, 70, 1900 * Ms);
    status(2000, 1, K::Lost, {}, "cannot read \"/dev/ttyUSB0\": Input/output error");
    status(2200, 2, K::Reconnecting, {}, "-connection refused");
    status(2500, 1, K::Back);
    levels(2800, 1, "101010");
    status(2900, 4, K::On, QString::fromUtf8("/dev/serial/by-id/usb-Caf\u00e9_UART-if00"), "9600,n,8,1  comNone");
    levels(2950, 4, "000011");
    status(3000, 1, K::Off);
    status(3100, 4, K::Off);
}

QByteArray written(const Record &record, FileKind kind)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (const QString error = writeWholeRecord(record, kind, buffer); !error.isEmpty())
        qFatal("%s", qPrintable(error));
    return buffer.data();
}

QByteArray golden(const QString &name)
{
    QFile file(QFINDTESTDATA("golden/" + name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read golden/%s", qPrintable(name));
    return file.readAll();
}

} // namespace

class RecordFilesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filesAreByteForByteAsKept_data()
    {
        QTest::addColumn<FileKind>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("csv") << FileKind::Csv << "record.csv";
        QTest::newRow("vcd") << FileKind::Vcd << "record.vcd";
    }
    void filesAreByteForByteAsKept()
    {
        QFETCH(FileKind, kind);
        QFETCH(QString, name);
        Record record(Clock(QDateTime::fromString("2026-12-07T03:12:44.877Z", Qt::ISODateWithMs).toMSecsSinceEpoch()));
        fill(record);
        // Line by line, so that a failure shows the line; the line ends are compared too.
        QCOMPARE(written(record, kind).split('\n'), golden(name).split('\n'));
    }
};

QTEST_MAIN(RecordFilesTest)
#include "tst_recordfiles.moc"
