// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// Faults users meet in the field, driven through the window: a port that will
// not open, and a line far slower than the text it is given. With --hold-port
// PATH this executable is the other program that holds a port: it opens PATH
// and keeps it until its stdin closes.

#include "ptypair.h"
#include "stderrcapture.h"
#include "windowtesting.h"

#include "controls/enablebox.h"
#include "controls/olecolor.h"
#include "controls/pintextbox.h"
#include "controls/shapeindicator.h"
#include "window/application.h"

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSerialPort>
#include <QtTest>

#include <cstdio>
#include <cstring>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Sernix::Controls;
using namespace Sernix::Rig;
using namespace Sernix::Window;

namespace {

constexpr auto Deadline = std::chrono::seconds(5);

enum Obstacle { BusyInThisProgram, HeldByAnotherProcess, MissingDevice, NoPermission };

int holdPort(const QString &path)
{
    QSerialPort port;
    port.setPortName(path);
    std::printf(port.open(QIODevice::ReadWrite) ? "held\n" : "failed\n");
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) { }
    return 0;
}

// Root reaches every device; for as long as this lives the process is user
// nobody, in no group, with the way back kept as its saved user.
class AsNobody
{
public:
    AsNobody()
    {
        const passwd *nobody = ::getpwnam("nobody");
        m_active = nobody && ::setgroups(0, nullptr) == 0 && ::setresgid(nobody->pw_gid, nobody->pw_gid, 0) == 0
            && ::setresuid(nobody->pw_uid, nobody->pw_uid, 0) == 0;
    }
    ~AsNobody()
    {
        if (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0)
            qFatal("cannot become root again");
    }
    bool active() const { return m_active; }

private:
    bool m_active = false;
};

} // namespace

class FaultsTest : public QObject, Fixture
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { finish(); }

    void refusedOpen_data()
    {
        QTest::addColumn<int>("obstacle");
        QTest::addColumn<QString>("reason"); // in the one diagnostic line
        const QString busy = QStringLiteral("in use by another program or channel");
        QTest::newRow("busy in this program") << int(BusyInThisProgram) << busy;
        QTest::newRow("held by another process") << int(HeldByAnotherProcess) << busy;
        QTest::newRow("missing device") << int(MissingDevice) << QString::fromLocal8Bit(std::strerror(ENOENT));
        QTest::newRow("no permission") << int(NoPermission) << QStringLiteral("(members of group '%1' may open it)");
    }

    void refusedOpen()
    {
        QFETCH(int, obstacle);
        QFETCH(QString, reason);
        PtyPair pty;
        const QString path =
            obstacle == MissingDevice ? QStringLiteral("/dev/sernix-test-no-such-port") : pty.slavePath();
        const QByteArray file = QFile::encodeName(path);
        Form1 &form = open({path, path});
        const ChannelControls &channel = form.channel(2);

        QProcess holder;
        std::optional<AsNobody> asNobody;
        if (obstacle == BusyInThisProgram) {
            click(form.channel(1).enableBox);
            QVERIFY(form.MSComm1.PortOpen());
        } else if (obstacle == HeldByAnotherProcess) {
            holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-port"), path});
            QVERIFY(holder.waitForReadyRead(5000));
            QCOMPARE(holder.readLine(), QByteArray("held\n"));
        } else if (obstacle == NoPermission) {
            // As serial ports come: read-write for one group only. Root hands the
            // device to dialout and becomes nobody; a user takes its own rights
            // away and keeps its group's.
            struct stat status;
            const group *owner = ::getgrnam("dialout");
            if (::geteuid() != 0)
                owner = ::stat(file.constData(), &status) == 0 ? ::getgrgid(status.st_gid) : nullptr;
            if (!owner)
                QSKIP("no group to hand the port to");
            reason = reason.arg(QString::fromLocal8Bit(owner->gr_name));
            QCOMPARE(::chown(file.constData(), ::geteuid(), owner->gr_gid), 0);
            QCOMPARE(::chmod(file.constData(), ::geteuid() == 0 ? 0660 : 0060), 0);
            if (::geteuid() == 0 && !asNobody.emplace().active())
                QFAIL("cannot become user nobody");
        }

        // While "Port not found" is up, the box stays ticked and the timer goes
        // on refreshing the channel: every read fails, the rest is still shown.
        form.Timer1.start();
        messages.whileOpen = [&] {
            QCOMPARE(channel.enableBox->Value(), EnableBox::Ticked);
            QTRY_COMPARE(channel.pin(Pin::Gnd)->Text(), QStringLiteral("0"));
            QCOMPARE(channel.captionLabel->text(), QStringLiteral("9600,n,8,1  comNone"));
            for (Pin pin : AllPins)
                QCOMPARE(channel.pinIndicator(pin)->BackColor(), OleColors::WindowBackground);
        };
        StderrCapture diagnostics;
        click(channel.enableBox);
        asNobody.reset();
        QCOMPARE(messages.take(), QStringList{QStringLiteral("Port not found")});
        QCOMPARE(channel.enableBox->Value(), EnableBox::Clear);
        QVERIFY(!form.MSComm2.PortOpen());
        const QList<QByteArray> lines = diagnostics.text().split('\n');
        QCOMPARE(lines.size(), 2); // one line, not a cascade
        const QString line = QString::fromLocal8Bit(lines[0]);
        QVERIFY2(line.startsWith(QStringLiteral("sernix: cannot open %1: ").arg(path)) && line.contains(reason),
                 qPrintable(line));

        // Once the obstacle is gone, the same channel takes the port.
        if (obstacle == MissingDevice)
            return;
        if (obstacle == BusyInThisProgram)
            click(form.channel(1).enableBox);
        holder.closeWriteChannel();
        QVERIFY(holder.state() == QProcess::NotRunning || holder.waitForFinished(5000));
        ::chmod(file.constData(), 0660);
        click(channel.enableBox);
        QVERIFY(form.MSComm2.PortOpen());
    }

    void slowLineWithLongTextStaysBounded()
    {
        // Nobody reads the far end: the kernel's buffer fills, then Qt's.
        PtyPair pty;
        Form1 &form = open({pty.slavePath()});
        const ChannelControls &channel = form.channel(1);
        click(channel.enableBox);
        choose(channel.list(SettingRole::Speed), QStringLiteral("110"));

        // Marked ends, so that a copy cut short or two copies interleaved show.
        const QByteArray text = '<' + QByteArray("abcdefghijklmnopqrstuvwxyz").repeated(400) + '>';
        channel.pin(Pin::Td)->setText(QString::fromLatin1(text));

        qint64 peak = 0;
        for (int tick = 0; tick < 2000; ++tick) {
            form.Timer1_Timer();
            QCoreApplication::processEvents();
            peak = std::max(peak, form.MSComm1.OutBufferCount());
        }
        // The limit, not a fast line, held it: it was all but reached.
        QVERIFY2(peak <= MSCommLib::MSComm::OutBufferLimit, qPrintable(QString::number(peak)));
        QVERIFY2(peak > MSCommLib::MSComm::OutBufferLimit - text.size(), qPrintable(QString::number(peak)));
        QCOMPARE(channel.enableBox->Value(), EnableBox::Ticked);
        channel.pin(Pin::Td)->clear();
        // Drained at last, the line carries whole copies only, back to back.
        QByteArray carried;
        const QDeadlineTimer deadline(Deadline);
        while ((form.MSComm1.OutBufferCount() > 0 || carried.size() % text.size() != 0) && !deadline.hasExpired())
            carried += pty.readFromMaster(1, QDeadlineTimer(10));
        QVERIFY(carried.size() >= text.size() * (MSCommLib::MSComm::OutBufferLimit / text.size()));
        QVERIFY(carried == text.repeated(carried.size() / text.size()));
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--hold-port") == 0)
        return holdPort(QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    configureApplication();
    FaultsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
