// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "serial/mscomm.h"
#include "serial/portcatalogue.h"

#include <QTest>

using namespace MSCommLib;

namespace {

QString readInput(MSComm &comm, qsizetype count)
{
    QDeadlineTimer deadline(5000);
    QString received = comm.Input();
    while (received.size() < count && !deadline.hasExpired()) {
        QTest::qWait(5);
        received += comm.Input();
    }
    return received;
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
    // A bound device is recognised in the list however its name is written.
    void samePortHoweverNamed_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
#ifdef Q_OS_WIN
        QTest::newRow("case") << "com3"
                              << "COM3" << true;
        QTest::newRow("device namespace") << "\\\\.\\COM10"
                                          << "COM10" << true;
        QTest::newRow("another number") << "COM1"
                                        << "COM10" << false;
#else
        QTest::newRow("another path to the node") << "/dev/./null"
                                                  << "/dev/null" << true;
        QTest::newRow("another node") << "/dev/null"
                                      << "/dev/zero" << false;
#endif
    }
    void samePortHoweverNamed()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(MSCommLib::samePort(a, b), same);
    }

    void wiring_data()
    {
        // RTS to CTS, DTR to DSR and DCD; RTS handshaking keeps RTS up, as a
        // driver with room in its receive buffer does, whatever was written.
        QTest::addColumn<bool>("dtr");
        QTest::addColumn<bool>("rts");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<QString>("inputs"); // CD DSR CTS
        QTest::newRow("both off") << false << false << 0 << "000";
        QTest::newRow("DTR") << true << false << 0 << "110";
        QTest::newRow("RTS") << false << true << 0 << "001";
        QTest::newRow("both") << true << true << 0 << "111";
        QTest::newRow("RTS handshaking") << false << false << 2 << "001";
    }

    void wiring()
    {
        QFETCH(bool, dtr);
        QFETCH(bool, rts);
        QFETCH(int, handshaking);
        QFETCH(QString, inputs);
        MSComm comm(1, QStringLiteral("loopback"));
        QVERIFY_THROWS_EXCEPTION(CommError, comm.CDHolding()); // no plug on a closed port
        comm.setHandshaking(handshaking);
        comm.setPortOpen(true);
        comm.setDTREnable(dtr);
        if (handshaking == 0)
            comm.setRTSEnable(rts);
        QCOMPARE(QStringLiteral("%1%2%3").arg(comm.CDHolding()).arg(comm.DSRHolding()).arg(comm.CTSHolding()), inputs);
    }

    void echoesEveryCharacterAtThePaceOfTheLine()
    {
        auto comm = openPlug(QStringLiteral("115200,n,8,1"));
        QString text;
        for (int value = 0; value < 256; ++value)
            text += QChar(value);
        comm->setOutput(text);
        QCOMPARE(readInput(*comm, text.size()), text);
        QCOMPARE(comm->Input(), QString());

        // Eleven characters of ten bit times at 110 baud take a second.
        comm->setSettings(QStringLiteral("110,n,8,1"));
        comm->setOutput(QStringLiteral("hello world"));
        QVERIFY(comm->Input().size() < 11);
        QVERIFY(comm->OutBufferCount() > 0);
        QCOMPARE(readInput(*comm, 11), QStringLiteral("hello world"));
        QCOMPARE(comm->OutBufferCount(), 0);
    }

    void xoffHoldsOutputUntilHandshakingChanges()
    {
        auto comm = openPlug(QStringLiteral("115200,n,8,1"), 1);
        comm->setOutput(QStringLiteral("ab\u0013cd"));
        QCOMPARE(readInput(*comm, 2), QStringLiteral("ab"));
        // The XOFF may still be on the wire when "ab" has arrived.
        QTRY_COMPARE(comm->OutBufferCount(), 2);
        QCOMPARE(comm->Input(), QString());
        comm->setHandshaking(0);
        QCOMPARE(readInput(*comm, 2), QStringLiteral("cd"));
        // Without XON/XOFF handshaking they are characters like any other.
        comm->setOutput(QStringLiteral("\u0011\u0013"));
        QCOMPARE(readInput(*comm, 2), QStringLiteral("\u0011\u0013"));
    }
};

QTEST_GUILESS_MAIN(SerialLoopbackTest)
#include "tst_serialloopback.moc"
