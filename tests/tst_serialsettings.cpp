#include "serial/linesettings.h"
#include "serial/mscomm.h"
#include "serial/openfailure.h"

#include <QTemporaryFile>
#include <QTest>

#include <grp.h>
#include <unistd.h>

using namespace MSCommLib;

class SerialSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void charactersTakeTheirBitTimes();
    void closedControlKeepsWritesAndRefusesTraffic();
    void groupHintNamesTheGroupThatMayReadAndWrite();
};

void SerialSettingsTest::charactersTakeTheirBitTimes()
{
    QCOMPARE(LineSettings::parse(QStringLiteral("9600,n,8,1"))->bitsPerCharacter(), 10.0);
    QCOMPARE(LineSettings::parse(QStringLiteral("9600,e,7,2"))->bitsPerCharacter(), 11.0);
    QCOMPARE(LineSettings::parse(QStringLiteral("9600,n,5,1"))->bitsPerCharacter(), 7.0);
}

void SerialSettingsTest::closedControlKeepsWritesAndRefusesTraffic()
{
    // Only names are compared here; no test touches a machine's own port.
    QCOMPARE(MSComm(3).deviceName(), MSComm::defaultDeviceName(3));
    QVERIFY(MSComm::defaultDeviceName(3) != MSComm::defaultDeviceName(2));
    QCOMPARE(MSComm(2, QStringLiteral("/dev/pts/7")).deviceName(), QStringLiteral("/dev/pts/7"));

    MSComm comm(3, QStringLiteral("/dev/sernix-test-absent-3"));
    QCOMPARE(comm.CommPort(), 3);

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

    QCOMPARE(groupGrantingAccess(QStringLiteral("/nonexistent/sernix-test-device")), QString());
}

QTEST_GUILESS_MAIN(SerialSettingsTest)
#include "tst_serialsettings.moc"
