#include "channel/linesettings.h"
#include "channel/mscomm.h"
#include "channel/openfailure.h"

#include <QTemporaryFile>
#include <QTest>

#include <grp.h>
#include <unistd.h>

using namespace MSCommLib;

class SerialSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void acceptedSettingsReadBackNormalised_data();
    void acceptedSettingsReadBackNormalised();
    void rejectedSettingsAreRefused_data();
    void rejectedSettingsAreRefused();
    void charactersTakeTheirBitTimes();
    void closedControlKeepsWritesAndRefusesTraffic();
    void groupHintNamesTheGroupThatMayReadAndWrite();
};

void SerialSettingsTest::acceptedSettingsReadBackNormalised_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("normalised");

    for (const char *speed :
         {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"}) {
        const QString text = QStringLiteral("%1,n,8,1").arg(QLatin1StringView(speed));
        QTest::newRow(speed) << text << text;
    }
    QTest::newRow("custom speed") << "12345,n,8,1"
                                  << "12345,n,8,1";
    QTest::newRow("largest speed") << "2147483647,n,8,1"
                                   << "2147483647,n,8,1";
    QTest::newRow("upper-case parity") << "9600,E,7,1"
                                       << "9600,e,7,1";
    QTest::newRow("odd") << "4800,O,8,2"
                         << "4800,o,8,2";
    QTest::newRow("space") << "300,S,5,1"
                           << "300,s,5,1";
    QTest::newRow("mark") << "1200,m,6,2"
                          << "1200,m,6,2";
}

void SerialSettingsTest::acceptedSettingsReadBackNormalised()
{
    QFETCH(QString, written);
    QFETCH(QString, normalised);

    const auto parsed = LineSettings::parse(written);
    QVERIFY(parsed);
    QCOMPARE(parsed->toString(), normalised);
    QCOMPARE(LineSettings::parse(normalised), parsed);

    MSComm comm(1, QStringLiteral("loopback"));
    comm.setSettings(written);
    QCOMPARE(comm.Settings(), normalised);
    comm.setPortOpen(true);
    comm.setSettings(QStringLiteral("110,n,8,1"));
    comm.setSettings(written);
    QCOMPARE(comm.Settings(), normalised);
}

void SerialSettingsTest::rejectedSettingsAreRefused_data()
{
    QTest::addColumn<QString>("written");

    QTest::newRow("empty") << "";
    QTest::newRow("leading blank") << " 9600,n,8,1";
    QTest::newRow("blank after comma") << "9600, n,8,1";
    QTest::newRow("trailing blank") << "9600,n,8,1 ";
    QTest::newRow("trailing comma") << "9600,n,8,1,";
    QTest::newRow("three fields") << "9600,n,8";
    QTest::newRow("zero speed") << "0,n,8,1";
    QTest::newRow("negative speed") << "-9600,n,8,1";
    QTest::newRow("plus sign") << "+9600,n,8,1";
    QTest::newRow("leading zero") << "09600,n,8,1";
    QTest::newRow("speed beyond 32 bits") << "2147483648,n,8,1";
    QTest::newRow("fractional speed") << "9600.5,n,8,1";
    QTest::newRow("no speed") << ",n,8,1";
    QTest::newRow("unknown parity") << "9600,x,8,1";
    QTest::newRow("parity word") << "9600,none,8,1";
    QTest::newRow("non-ASCII parity") << QStringLiteral("9600,\u00e9,8,1");
    QTest::newRow("nine data bits") << "9600,n,9,1";
    QTest::newRow("four data bits") << "9600,n,4,1";
    QTest::newRow("zero stop bits") << "9600,n,8,0";
    QTest::newRow("three stop bits") << "9600,n,8,3";
    QTest::newRow("stop bits 1.0") << "9600,n,8,1.0";
#ifndef Q_OS_WIN
    QTest::newRow("1.5 stop bits") << "9600,n,5,1.5";
#endif
    QTest::newRow("full-width digits") << QStringLiteral("\uff19600,n,8,1");
}

void SerialSettingsTest::rejectedSettingsAreRefused()
{
    QFETCH(QString, written);

    QVERIFY(!LineSettings::parse(written));

    MSComm closed(1, QStringLiteral("loopback"));
    closed.setSettings(QStringLiteral("2400,e,7,2"));
    QVERIFY_THROWS_EXCEPTION(CommError, closed.setSettings(written));
    QCOMPARE(closed.Settings(), QStringLiteral("2400,e,7,2"));

    MSComm open(2, QStringLiteral("loopback"));
    open.setPortOpen(true);
    QVERIFY_THROWS_EXCEPTION(CommError, open.setSettings(written));
    QCOMPARE(open.Settings(), QStringLiteral("9600,n,8,1"));
}

void SerialSettingsTest::charactersTakeTheirBitTimes()
{
    QCOMPARE(LineSettings::parse(QStringLiteral("9600,n,8,1"))->bitsPerCharacter(), 10.0);
    QCOMPARE(LineSettings::parse(QStringLiteral("9600,e,7,2"))->bitsPerCharacter(), 11.0);
    QCOMPARE(LineSettings::parse(QStringLiteral("9600,n,5,1"))->bitsPerCharacter(), 7.0);
}

void SerialSettingsTest::closedControlKeepsWritesAndRefusesTraffic()
{
    MSComm comm(3);
    QCOMPARE(comm.CommPort(), 3);
#ifdef Q_OS_WIN
    QCOMPARE(comm.deviceName(), QStringLiteral("COM3"));
#else
    QCOMPARE(comm.deviceName(), QStringLiteral("/dev/ttyS2"));
#endif
    QCOMPARE(MSComm(2, QStringLiteral("/dev/pts/7")).deviceName(), QStringLiteral("/dev/pts/7"));

    QVERIFY(!comm.PortOpen());
    QCOMPARE(comm.Settings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(comm.Handshaking(), 0);
    QVERIFY(!comm.DTREnable());
    QVERIFY(!comm.RTSEnable());

    // Nothing here touches the device: the port is never opened.
    comm.setSettings(QStringLiteral("19200,O,7,2"));
    comm.setHandshaking(3);
    comm.setDTREnable(true);
    comm.setRTSEnable(true);
    comm.setPortOpen(false);
    QCOMPARE(comm.Settings(), QStringLiteral("19200,o,7,2"));
    QCOMPARE(comm.Handshaking(), 3);
    QVERIFY(comm.DTREnable());
    QVERIFY(comm.RTSEnable());

    for (int invalid : {-1, 4, 100}) {
        QVERIFY_THROWS_EXCEPTION(CommError, comm.setHandshaking(invalid));
        QCOMPARE(comm.Handshaking(), 3);
    }

    QVERIFY_THROWS_EXCEPTION(CommError, comm.CDHolding());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.CTSHolding());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.DSRHolding());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.Input());
    QVERIFY_THROWS_EXCEPTION(CommError, comm.setOutput(QStringLiteral("x")));
    QVERIFY(!comm.PortOpen());
}

void SerialSettingsTest::groupHintNamesTheGroupThatMayReadAndWrite()
{
    QTemporaryFile device;
    QVERIFY(device.open());
    const QByteArray path = QFile::encodeName(device.fileName());
    const group *dialout = ::getgrnam("dialout");
    if (!dialout)
        QSKIP("this system has no group 'dialout'");
    if (::chown(path.constData(), ::getuid(), dialout->gr_gid) != 0)
        QSKIP("cannot give the file to group 'dialout'");

    QVERIFY(device.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup));
    QCOMPARE(groupGrantingAccess(device.fileName()), QStringLiteral("dialout"));

    QVERIFY(device.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QCOMPARE(groupGrantingAccess(device.fileName()), QString());

    QCOMPARE(groupGrantingAccess(QStringLiteral("/nonexistent/ttyS9")), QString());
}

QTEST_GUILESS_MAIN(SerialSettingsTest)
#include "tst_serialsettings.moc"
