#include "serial/mscomm.h"

#include <QTest>

using namespace MSCommLib;

namespace {

QString readInput(MSComm &comm, qsizetype count, int patienceMs = 5000)
{
    QDeadlineTimer deadline(patienceMs);
    QString received = comm.Input();
    while (received.size() < count && !deadline.hasExpired()) {
        QTest::qWait(5);
        received += comm.Input();
    }
    return received;
}

QString everyCharacterToU00FF()
{
    QString text;
    for (int value = 0; value < 256; ++value)
        text += QChar(value);
    return text;
}

std::unique_ptr<MSComm> openPlug(const QString &settings, int handshaking = 0)
{
    auto comm = std::make_unique<MSComm>(1, QStringLiteral("loopback"));
    comm->setSettings(settings);
    comm->setHandshaking(handshaking);
    comm->setPortOpen(true);
    return comm;
}

} // namespace

class SerialLoopbackTest : public QObject
{
    Q_OBJECT

private slots:
    void echoesEveryCharacter();
    void echoKeepsThePaceOfTheLine();
    void dataBitsTrimEchoedCharacters();
    void modemLinesAreWiredBack();
    void hardwareHandshakingOwnsRts();
    void xoffHoldsOutputUntilHandshakingChanges();
    void outputStopsGrowingWhenTheLineCannotKeepUp();
    void eachControlHasItsOwnPlug();
};

void SerialLoopbackTest::echoesEveryCharacter()
{
    auto comm = openPlug(QStringLiteral("115200,n,8,1"));
    const QString text = everyCharacterToU00FF();
    comm->setOutput(text);
    QCOMPARE(readInput(*comm, text.size()), text);
    QCOMPARE(comm->Input(), QString());
    QVERIFY_THROWS_EXCEPTION(CommError, comm->setOutput(QStringLiteral("\u0100")));

    comm->setPortOpen(false);
    QVERIFY_THROWS_EXCEPTION(CommError, comm->Input());
    QVERIFY_THROWS_EXCEPTION(CommError, comm->setOutput(QStringLiteral("x")));
}

void SerialLoopbackTest::echoKeepsThePaceOfTheLine()
{
    // Eleven characters of ten bit times at 110 baud take a second.
    auto comm = openPlug(QStringLiteral("110,n,8,1"));
    const QString text = QStringLiteral("hello world");
    comm->setOutput(text);
    QVERIFY(comm->Input().size() < text.size());
    QVERIFY(comm->OutBufferCount() > 0);
    QCOMPARE(readInput(*comm, text.size()), text);
    QCOMPARE(comm->OutBufferCount(), 0);
}

void SerialLoopbackTest::dataBitsTrimEchoedCharacters()
{
    auto comm = openPlug(QStringLiteral("115200,e,7,1"));
    comm->setOutput(QStringLiteral("\u00e9A"));
    QCOMPARE(readInput(*comm, 2), QStringLiteral("iA"));

    comm->setSettings(QStringLiteral("115200,n,5,2"));
    comm->setOutput(QStringLiteral("\u00ff"));
    QCOMPARE(readInput(*comm, 1), QString(QChar(0x1f)));
}

void SerialLoopbackTest::modemLinesAreWiredBack()
{
    MSComm comm(1, QStringLiteral("loopback"));
    QVERIFY_THROWS_EXCEPTION(CommError, comm.CDHolding());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.CTSHolding());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.DSRHolding());

    comm.setDTREnable(true);
    comm.setPortOpen(true);
    QVERIFY(comm.DSRHolding());
    QVERIFY(comm.CDHolding());
    QVERIFY(!comm.CTSHolding());

    comm.setDTREnable(false);
    comm.setRTSEnable(true);
    QVERIFY(!comm.DSRHolding());
    QVERIFY(!comm.CDHolding());
    QVERIFY(comm.CTSHolding());
}

void SerialLoopbackTest::hardwareHandshakingOwnsRts()
{
    // The plug's receiver always has room, so under RTS handshaking RTS is
    // up and output flows whatever RTSEnable says.
    auto comm = openPlug(QStringLiteral("115200,n,8,1"), 2);
    QVERIFY(!comm->RTSEnable());
    QVERIFY(comm->CTSHolding());
    QVERIFY_THROWS_EXCEPTION(CommError, comm->setRTSEnable(false));
    comm->setOutput(QStringLiteral("flows"));
    QCOMPARE(readInput(*comm, 5), QStringLiteral("flows"));

    comm->setHandshaking(0);
    QVERIFY(!comm->CTSHolding());
    comm->setRTSEnable(true);
    QVERIFY(comm->CTSHolding());
}

void SerialLoopbackTest::xoffHoldsOutputUntilHandshakingChanges()
{
    auto comm = openPlug(QStringLiteral("115200,n,8,1"), 1);
    comm->setOutput(QStringLiteral("ab\u0013cd"));
    QCOMPARE(readInput(*comm, 2), QStringLiteral("ab"));
    QTest::qWait(50);
    QCOMPARE(comm->Input(), QString());
    QCOMPARE(comm->OutBufferCount(), 2);

    comm->setHandshaking(0);
    QCOMPARE(readInput(*comm, 2), QStringLiteral("cd"));

    comm->setOutput(QStringLiteral("\u0011\u0013"));
    QCOMPARE(readInput(*comm, 2), QStringLiteral("\u0011\u0013"));
}

void SerialLoopbackTest::outputStopsGrowingWhenTheLineCannotKeepUp()
{
    auto comm = openPlug(QStringLiteral("110,n,8,1"));
    const QString text(1000, u'x');
    bool refused = false;
    for (int attempt = 0; attempt < 100 && !refused; ++attempt) {
        try {
            comm->setOutput(text);
        } catch (const CommError &) {
            refused = true;
        }
        QVERIFY(comm->OutBufferCount() <= MSComm::OutBufferLimit);
    }
    QVERIFY(refused);

    // Going faster drains what waits; the plug then takes text again.
    comm->setSettings(QStringLiteral("1000000,n,8,1"));
    QTRY_COMPARE_WITH_TIMEOUT(comm->OutBufferCount(), 0, 10000);
    comm->setOutput(text);
}

void SerialLoopbackTest::eachControlHasItsOwnPlug()
{
    auto first = openPlug(QStringLiteral("115200,n,8,1"));
    auto second = openPlug(QStringLiteral("115200,n,8,1"));
    first->setRTSEnable(true);
    first->setOutput(QStringLiteral("one"));
    second->setOutput(QStringLiteral("two"));
    QCOMPARE(readInput(*first, 3), QStringLiteral("one"));
    QCOMPARE(readInput(*second, 3), QStringLiteral("two"));
    QVERIFY(first->CTSHolding());
    QVERIFY(!second->CTSHolding());
}

QTEST_GUILESS_MAIN(SerialLoopbackTest)
#include "tst_serialloopback.moc"
