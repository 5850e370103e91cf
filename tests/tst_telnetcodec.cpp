// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "serial/telnetcodec.h"

#include <QTest>

using namespace MSCommLib::Telnet;

class TelnetCodecTest : public QObject
{
    Q_OBJECT

private slots:
    void decodesWhereverTheStreamIsCut_data();
    void decodesWhereverTheStreamIsCut();
    void readsComPortReplies_data();
    void readsComPortReplies();
};

namespace {

QString describe(const QByteArray &data, const QList<Event> &events, qint64 discarded)
{
    QStringList parts;
    if (!data.isEmpty())
        parts << QStringLiteral("data %1").arg(QString::fromLatin1(data.toHex(' ')));
    for (const Event &event : events) {
        static const char *const names[] = {"SB", "WILL", "WONT", "DO", "DONT"};
        parts << QStringLiteral("%1 %2 %3")
                     .arg(QLatin1String(names[int(event.command) - int(Command::Sb)]))
                     .arg(int(event.option))
                     .arg(QString::fromLatin1(event.payload.toHex(' ')))
                     .trimmed();
    }
    return (parts << QStringLiteral("discarded %1").arg(discarded)).join(QStringLiteral(", "));
}

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

} // namespace

void TelnetCodecTest::decodesWhereverTheStreamIsCut_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("expected");

    const QByteArray longSubnegotiation = bytes("fffa2c64") + QByteArray(300, 'x') + bytes("fff0");
    QTest::newRow("doubled IAC in data") << bytes("61ffff62") << "data 61 ff 62, discarded 0";
    QTest::newRow("negotiations") << bytes("fffb03 61 fffd00 fffc2c fffe01")
                                  << "data 61, WILL 3, DO 0, WONT 44, DONT 1, discarded 0";
    QTest::newRow("modem state amid data") << bytes("78 fffa2c6bb0fff0 79") << "data 78 79, SB 44 6b b0, discarded 0";
    QTest::newRow("other commands ignored") << bytes("61 fff1 fff9 fff2 62") << "data 61 62, discarded 0";
    QTest::newRow("IAC before a non-command, stray SE") << bytes("61 ff01 62 fff0 63") << "data 61 62 63, discarded 4";
    QTest::newRow("subnegotiation cut short by a command")
        << bytes("fffa2c6b30 fffb03 7a") << "data 7a, WILL 3, discarded 5";
    QTest::newRow("subnegotiation restarted") << bytes("fffa2c6b fffa2c6b20fff0") << "SB 44 6b 20, discarded 4";
    QTest::newRow("over-long subnegotiation dropped, stream in step")
        << longSubnegotiation + bytes("6f6b fffa2c6b10fff0") << "data 6f 6b, SB 44 6b 10, discarded 306";

    // What the client writes, read back: its escaping and byte order.
    QTest::newRow("escaped data") << escaped(bytes("ff00ff")) << "data ff 00 ff, discarded 0";
    QTest::newRow("negotiation") << negotiation(Command::Do, Option::ComPort) << "DO 44, discarded 0";
    QTest::newRow("baud rate") << setBaudRate(115200) << "SB 44 01 00 01 c2 00, discarded 0";
    QTest::newRow("modem state mask") << setModemStateMask(ModemState::fromInt(0xff)) << "SB 44 0b ff, discarded 0";
}

void TelnetCodecTest::decodesWhereverTheStreamIsCut()
{
    QFETCH(QByteArray, wire);
    QFETCH(QString, expected);
    for (qsizetype cut = 0; cut <= wire.size(); ++cut) {
        Decoder decoder;
        QByteArray data;
        QList<Event> events = decoder.feed(wire.first(cut), data);
        events += decoder.feed(wire.sliced(cut), data);
        QCOMPARE(describe(data, events, decoder.discardedBytes()), expected);
    }
}

void TelnetCodecTest::readsComPortReplies_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("command"); // -1: rejected
    QTest::addColumn<quint32>("value");

    QTest::newRow("baud rate") << bytes("65 0001c200") << int(ComPortCommand::SetBaudRate) << 115200u;
    QTest::newRow("modem state") << bytes("6b b0") << int(ComPortCommand::NotifyModemState) << 0xb0u;
    QTest::newRow("flow suspended") << bytes("6c") << int(ComPortCommand::FlowControlSuspend) << 0u;
    QTest::newRow("purge") << bytes("70 03") << int(ComPortCommand::PurgeData) << 3u;
    QTest::newRow("baud rate too short") << bytes("65 2580") << -1 << 0u;
    QTest::newRow("baud rate too long") << bytes("65 0001c20000") << -1 << 0u;
    QTest::newRow("modem state without value") << bytes("6b") << -1 << 0u;
    QTest::newRow("two value bytes") << bytes("6a 1000") << -1 << 0u;
    QTest::newRow("flow suspended with value") << bytes("6c 00") << -1 << 0u;
    QTest::newRow("client's code") << bytes("07 b0") << -1 << 0u;
    QTest::newRow("past the last code") << bytes("71 01") << -1 << 0u;
}

void TelnetCodecTest::readsComPortReplies()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, command);
    QFETCH(quint32, value);

    const auto reply = parseComPortReply(payload);
    QCOMPARE(reply ? int(reply->command) : -1, command);
    if (reply)
        QCOMPARE(reply->value, value);
}

QTEST_GUILESS_MAIN(TelnetCodecTest)
#include "tst_telnetcodec.moc"
