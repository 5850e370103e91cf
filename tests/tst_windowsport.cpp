// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// The Windows serial path (CreateFile, SetCommState, overlapped reads,
// GetCommModemStatus, EscapeCommFunction) through Wine's COM ports, and
// remote ports, against ptys that ptyhost.py owns on the Linux side: it is
// told what the far end does and says what the port asked of it.

#include "serial/mscomm.h"

#include <QTcpSocket>
#include <QtTest>

#include <windows.h>

using namespace MSCommLib;

namespace {

constexpr int PatienceMs = 8000; // ser2net looks at its lines about once a second

// One pty of the host, plugged in as long as this lives.
class FarEnd
{
public:
    explicit FarEnd(const QString &name)
        : m_name(name)
    {
        m_host.connectToHost(QHostAddress::LocalHost, qEnvironmentVariableIntValue("SERNIX_PTY_HOST"));
        if (m_host.waitForConnected(PatienceMs))
            m_plugged = order("plug") == "ok";
    }
    bool isPlugged() const { return m_plugged; }

    QString order(const QString &what, const QString &arguments = {})
    {
        m_host.write((what + ' ' + m_name + ' ' + arguments).toLatin1() + '\n');
        while (!m_host.canReadLine() && m_host.waitForReadyRead(PatienceMs)) { }
        return QString::fromLatin1(m_host.readLine()).trimmed();
    }
    QByteArray received() { return QByteArray::fromHex(order("read").toLatin1()); }

private:
    QTcpSocket m_host;
    QString m_name;
    bool m_plugged = false;
};

} // namespace

class WindowsPortTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void farEndSeesWhatThePortDoes_data()
    {
        QTest::addColumn<QString>("server");
        QTest::newRow("COM port") << QString();
        QTest::newRow("ser2net") << QStringLiteral("ser2net");
        QTest::newRow("pyserial") << QStringLiteral("pyserial");
    }

    void farEndSeesWhatThePortDoes()
    {
        QFETCH(QString, server);
        if (qEnvironmentVariableIsEmpty("SERNIX_PTY_HOST"))
            QSKIP("needs the pty host that scripts/test-windows starts");
        // Wine completes a WaitCommEvent whose overlapped has no event (Qt
        // waits on a completion port) only when a byte arrives: opening blocks.
        if (server.isEmpty() && GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
            QSKIP("Wine's WaitCommEvent blocks Qt's opening of a COM port until a byte arrives");
        FarEnd end(server.isEmpty() ? QStringLiteral("com1") : server);
        QVERIFY(end.isPlugged());
        const QString device = server.isEmpty() ? "COM1" : "rfc2217://127.0.0.1:" + end.order("serve", server);
        MSComm port(1, device);
        port.setPortOpen(true);
        QTRY_COMPARE_WITH_TIMEOUT(end.order("asked"), QStringLiteral("9600,n,8,1"), PatienceMs);
        port.setDTREnable(true);
        port.setRTSEnable(true);
        QTRY_COMPARE_WITH_TIMEOUT(end.order("asked"), QStringLiteral("9600,n,8,1 DTR RTS"), PatienceMs);
        port.setDTREnable(false);
        QTRY_COMPARE_WITH_TIMEOUT(end.order("asked"), QStringLiteral("9600,n,8,1 RTS"), PatienceMs);

        // The inputs as wired (DTR to DCD and DSR, RTS to CTS), then as forced.
        const auto inputs = [&] { return QList{port.CDHolding(), port.DSRHolding(), port.CTSHolding()}; };
        QTRY_COMPARE_WITH_TIMEOUT(inputs(), (QList{false, false, true}), PatienceMs);
        QCOMPARE(end.order("lines", "1 - 0"), QStringLiteral("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(inputs(), (QList{true, false, false}), PatienceMs);
        QCOMPARE(end.order("lines", "0 1 -"), QStringLiteral("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(inputs(), (QList{false, true, true}), PatienceMs);

        QByteArray sent;
        port.setOutput(QStringLiteral("hello"));
        QTRY_COMPARE_WITH_TIMEOUT(sent += end.received(), QByteArray("hello"), PatienceMs);
        QString received;
        QCOMPARE(end.order("send", QByteArray("world\r\n").toHex()), QStringLiteral("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(received += port.Input(), QStringLiteral("world\r\n"), PatienceMs);

        port.setSettings(QStringLiteral("19200,e,7,2"));
        port.setHandshaking(1);
        const QString chosen = QStringLiteral("19200,e,7,2 IXON IXOFF RTS");
        QTRY_COMPARE_WITH_TIMEOUT(end.order("asked"), chosen, PatienceMs);

        // Pulled out and plugged back in: the port finds it by itself, as it was.
        QCOMPARE(end.order("unplug"), QStringLiteral("ok"));
        QTRY_VERIFY_WITH_TIMEOUT((port.Input(), port.deviceState() != DeviceState::Present), PatienceMs);
        QCOMPARE(inputs(), (QList{false, false, false}));
        QCOMPARE(end.order("plug"), QStringLiteral("ok"));
        QTRY_COMPARE_WITH_TIMEOUT((port.Input(), port.deviceState()), DeviceState::Present, PatienceMs);
        QTRY_COMPARE_WITH_TIMEOUT(end.order("asked"), chosen, PatienceMs);
        received.clear();
        QCOMPARE(end.order("send", QByteArray("back").toHex()), QStringLiteral("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(received += port.Input(), QStringLiteral("back"), PatienceMs);
    }
};

QTEST_GUILESS_MAIN(WindowsPortTest)
#include "tst_windowsport.moc"
