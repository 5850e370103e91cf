// Faults users meet in the field, driven through the window the way a user
// meets them: a device pulled out and plugged back in, a port another program
// holds, a device the user may not open, text the line cannot carry, and a
// line far slower than the text it is given.
//
// Two cases need a second process. This executable doubles as it: with
// --hold-port PATH it opens PATH and holds it until its stdin closes; with
// --open-as-nobody PATH it drops to user nobody (when started as root),
// opens PATH through a serial control and prints what happened.

#include "messagewatcher.h"
#include "ptypair.h"
#include "stderrcapture.h"
#include "windowtesting.h"

#include "controls/controls.h"
#include "serial/mscomm.h"
#include "window/application.h"
#include "window/form1.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <memory>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr auto Deadline = std::chrono::seconds(5);
constexpr int DeadlineMs = 5000;

// --- helper processes -------------------------------------------------------

int holdPort(const QString &path)
{
    QSerialPort port;
    port.setPortName(path);
    if (!port.open(QIODevice::ReadWrite)) {
        std::printf("failed: %s\n", qPrintable(port.errorString()));
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) { }
    return 0;
}

int openAsNobody(const QString &path)
{
    if (::geteuid() == 0) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) {
            std::printf("cannot become nobody\n");
            return 1;
        }
    }
    MSCommLib::MSComm port(1, path);
    try {
        port.setPortOpen(true);
        std::printf("opened\n");
    } catch (const MSCommLib::CommError &) {
        std::printf("refused\n");
    }
    return 0;
}

// --- driving the window -----------------------------------------------------

// The channel sends on every second tick; two ticks send the box's text
// exactly once, wherever the latch stood.
void sendOnce(Form1 &form, const ChannelControls &channel, const QString &text)
{
    channel.pin(Pin::Td)->setText(text);
    form.Timer1_Timer();
    form.Timer1_Timer();
    channel.pin(Pin::Td)->clear();
}

// Ticks until the receive boxes have shown `count` characters in all.
QString receiveThroughTicks(Form1 &form, const ChannelControls &channel, qsizetype count)
{
    QString received;
    const QDeadlineTimer deadline(Deadline);
    while (received.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        form.Timer1_Timer();
        received += channel.pin(Pin::Rd)->Text();
    }
    return received;
}

bool portReportsAFault(MSCommLib::MSComm &port)
{
    try {
        port.CDHolding();
        return false;
    } catch (const MSCommLib::CommError &) {
        return true;
    }
}

// Resident memory of this process in KiB, from the kernel's own count.
qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool addressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool addressSanitizer = true;
#else
constexpr bool addressSanitizer = false;
#endif
#else
constexpr bool addressSanitizer = false;
#endif

} // namespace

using namespace WindowTesting;

class FaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { window.reset(); }

    void deviceThatVanishesWorksAgainWhenBackAndTickedAgain();
    void portHeldByAnotherProcessIsNotFound();
    void deviceWithoutPermissionNamesTheGroupThatGrantsIt();
    void textOutsideLatin1IsNotSentAndTheCycleGoesOn();
    void slowLineWithLongTextKeepsMemoryBounded_data();
    void slowLineWithLongTextKeepsMemoryBounded();

private:
    Form1 &open(const Form1::DeviceNames &devices)
    {
        window = WindowTesting::openWindow(devices);
        return *window;
    }

    std::unique_ptr<Form1> window;
};

void FaultsTest::deviceThatVanishesWorksAgainWhenBackAndTickedAgain()
{
    // A USB adapter keeps its name when plugged back in, but it is a new
    // device behind that name: here a link that moves to a new pty.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("ttyUSB0"));
    auto first = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(first->slavePath(), name));

    Form1 &form = open({QString(), name});
    const ChannelControls &channel = form.channel(2);
    MessageWatcher messages;
    click(channel.enableBox);
    QVERIFY(form.MSComm2.PortOpen());
    sendOnce(form, channel, QStringLiteral("before"));
    QCOMPARE(first->readFromMaster(6, QDeadlineTimer(Deadline)), QByteArray("before"));

    first->unplug();
    QTRY_VERIFY_WITH_TIMEOUT(portReportsAFault(form.MSComm2), DeadlineMs);
    channel.pin(Pin::Td)->setText(QStringLiteral("into the void"));
    for (int tick = 0; tick < 4; ++tick) {
        form.Timer1_Timer();
        QCoreApplication::processEvents();
    }
    QCOMPARE(channel.enableBox->Value(), EnableBox::Ticked);
    channel.pin(Pin::Td)->clear();
    first.reset();

    PtyPair second;
    const QString newName = dir.filePath(QStringLiteral("ttyUSB0.new"));
    QVERIFY(QFile::link(second.slavePath(), newName));
    QCOMPARE(::rename(QFile::encodeName(newName).constData(), QFile::encodeName(name).constData()), 0);

    click(channel.enableBox);
    QVERIFY(!form.MSComm2.PortOpen());
    click(channel.enableBox);
    QVERIFY(form.MSComm2.PortOpen());
    QVERIFY(messages.seen.isEmpty()); // neither the loss nor the return raised a message

    sendOnce(form, channel, QStringLiteral("after"));
    QCOMPARE(second.readFromMaster(5, QDeadlineTimer(Deadline)), QByteArray("after"));
    QCOMPARE(second.writeToMaster("back"), 4);
    QCOMPARE(receiveThroughTicks(form, channel, 4), QStringLiteral("back"));
    QCOMPARE(second.readFromMaster(), QByteArray()); // nothing left over from before the loss
}

void FaultsTest::portHeldByAnotherProcessIsNotFound()
{
    PtyPair pty;
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-port"), pty.slavePath()});
    QVERIFY(holder.waitForStarted());
    QVERIFY(holder.waitForReadyRead(DeadlineMs));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

    Form1 &form = open({pty.slavePath()});
    const ChannelControls &channel = form.channel(1);
    MessageWatcher messages;
    StderrCapture diagnostics;
    click(channel.enableBox);
    // The one diagnostic line says the port is busy, not forbidden.
    QVERIFY2(diagnostics.text().contains("in use by another program"), diagnostics.text().constData());
    QCOMPARE(messages.seen.size(), 1);
    QCOMPARE(messages.seen[0].text, QStringLiteral("Port not found"));
    QCOMPARE(channel.enableBox->Value(), EnableBox::Clear);
    QVERIFY(!form.MSComm1.PortOpen());

    // Once the other program lets go, the same channel takes the port.
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(DeadlineMs));
    QCOMPARE(holder.exitCode(), 0);
    click(channel.enableBox);
    QVERIFY(form.MSComm1.PortOpen());
    QCOMPARE(messages.seen.size(), 1);
    sendOnce(form, channel, QStringLiteral("mine"));
    QCOMPARE(pty.readFromMaster(4, QDeadlineTimer(Deadline)), QByteArray("mine"));
}

void FaultsTest::deviceWithoutPermissionNamesTheGroupThatGrantsIt()
{
    PtyPair pty;
    const QByteArray path = QFile::encodeName(pty.slavePath());
    QString group;
    if (::geteuid() == 0) {
        // As serial ports come on Debian: root's, read-write for group
        // dialout, and the user (nobody, in the helper) not a member.
        const struct group *dialout = ::getgrnam("dialout");
        if (!dialout)
            QSKIP("this system has no group 'dialout' to hand the port to");
        QCOMPARE(::chown(path.constData(), 0, dialout->gr_gid), 0);
        QCOMPARE(::chmod(path.constData(), 0660), 0);
        group = QStringLiteral("dialout");
    } else {
        // Without root the test's user owns the pty: taking the owner's
        // rights away denies it while its group keeps read and write.
        struct stat status;
        QCOMPARE(::stat(path.constData(), &status), 0);
        const struct group *owner = ::getgrgid(status.st_gid);
        if (!owner)
            QSKIP("the pty's group has no name to report");
        QCOMPARE(::chmod(path.constData(), 0060), 0);
        group = QString::fromLocal8Bit(owner->gr_name);
    }

    QProcess user;
    user.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open-as-nobody"), pty.slavePath()});
    QVERIFY(user.waitForFinished(DeadlineMs));
    const QByteArray said = user.readAllStandardOutput().trimmed();
    const QString diagnostics = QString::fromLocal8Bit(user.readAllStandardError());
    QCOMPARE(user.exitCode(), 0);
    QCOMPARE(said, QByteArray("refused"));
    const QStringList lines = diagnostics.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1); // one line, not a cascade
    QVERIFY2(lines[0].startsWith(QStringLiteral("sernix: cannot open %1: ").arg(pty.slavePath())),
             qPrintable(lines[0]));
    QVERIFY2(lines[0].endsWith(QStringLiteral("(members of group '%1' may open it)").arg(group)), qPrintable(lines[0]));
}

void FaultsTest::textOutsideLatin1IsNotSentAndTheCycleGoesOn()
{
    PtyPair pty;
    Form1 &form = open({pty.slavePath(), QStringLiteral("loopback")});
    const ChannelControls &device = form.channel(1);
    const ChannelControls &plug = form.channel(2);
    MessageWatcher messages;
    for (const ChannelControls *channel : {&device, &plug}) {
        click(channel->enableBox);
        click(channel->dtrButton);
        // Good characters before the bad one: none of them may leave either.
        channel->pin(Pin::Td)->setText(QStringLiteral("price: 5 \u20ac, plug \U0001F50C"));
    }
    QCOMPARE(pty.writeToMaster("in"), 2);
    QString received;
    for (int tick = 0; tick < 6; ++tick) {
        QCoreApplication::processEvents();
        form.Timer1_Timer();
        received += device.pin(Pin::Rd)->Text();
        // The rest of the cycle ran after the refused send: the lines are shown.
        for (const ChannelControls *channel : {&device, &plug}) {
            QCOMPARE(channel->pin(Pin::Dtr)->text(), QStringLiteral("True"));
            QCOMPARE(channel->pin(Pin::Gnd)->text(), QStringLiteral("0"));
            QCOMPARE(channel->pin(Pin::Dsr)->text(), QStringLiteral("True"));
        }
    }
    received += receiveThroughTicks(form, device, 2 - received.size());
    QCOMPARE(received, QStringLiteral("in"));
    QCOMPARE(form.MSComm1.OutBufferCount(), 0);
    QCOMPARE(form.MSComm2.OutBufferCount(), 0);
    QVERIFY(messages.seen.isEmpty());
    QVERIFY(form.MSComm1.PortOpen() && form.MSComm2.PortOpen());

    // What goes out next is the first thing on the line.
    sendOnce(form, device, QStringLiteral("ok"));
    QCOMPARE(pty.readFromMaster(2, QDeadlineTimer(Deadline)), QByteArray("ok"));
    QCOMPARE(pty.readFromMaster(), QByteArray());
    sendOnce(form, plug, QStringLiteral("ok"));
    QCOMPARE(receiveThroughTicks(form, plug, 2), QStringLiteral("ok"));
}

void FaultsTest::slowLineWithLongTextKeepsMemoryBounded_data()
{
    QTest::addColumn<bool>("simulated");
    QTest::newRow("pty never read") << false;
    QTest::newRow("loopback plug") << true;
}

void FaultsTest::slowLineWithLongTextKeepsMemoryBounded()
{
    QFETCH(bool, simulated);
    PtyPair pty;
    Form1 &form = open({simulated ? QStringLiteral("loopback") : pty.slavePath()});
    const ChannelControls &channel = form.channel(1);
    click(channel.enableBox);
    choose(channel.list(SettingRole::Speed), QStringLiteral("110"));
    QCOMPARE(form.MSComm1.Settings(), QStringLiteral("110,n,8,1"));

    // Marked ends, so that a copy cut short or two copies interleaved show.
    QByteArray text(10 * 1024, '.');
    for (qsizetype i = 1; i < text.size() - 1; ++i)
        text[i] = char('a' + i % 26);
    text.front() = '<';
    text.back() = '>';
    channel.pin(Pin::Td)->setText(QString::fromLatin1(text));
    QCOMPARE(channel.pin(Pin::Td)->text().size(), text.size());

    constexpr int Ticks = 2000;
    constexpr int SettleTicks = 200;
    qint64 peak = 0;
    qint64 residentAfterSettling = 0;
    QString echoed;
    for (int tick = 1; tick <= Ticks; ++tick) {
        form.Timer1_Timer();
        QCoreApplication::processEvents();
        peak = std::max(peak, form.MSComm1.OutBufferCount());
        echoed += channel.pin(Pin::Rd)->Text();
        if (tick == SettleTicks)
            residentAfterSettling = residentKiB();
    }
    const qint64 residentAtEnd = residentKiB();
    QVERIFY2(peak <= MSCommLib::MSComm::OutBufferLimit, qPrintable(QString::number(peak)));
    // The limit, not a fast line, is what held it: it was all but reached.
    QVERIFY2(peak > MSCommLib::MSComm::OutBufferLimit - text.size(), qPrintable(QString::number(peak)));
    QVERIFY(form.MSComm1.PortOpen());
    QCOMPARE(channel.enableBox->Value(), EnableBox::Ticked);
    // Refused sends are freed at once. The sanitizer's quarantine keeps
    // freed memory on purpose, so only a plain build can count.
    if (!addressSanitizer) {
        const qint64 growthKiB = residentAtEnd - residentAfterSettling;
        QVERIFY2(growthKiB < 8 * 1024, qPrintable(QStringLiteral("grew by %1 KiB").arg(growthKiB)));
    }

    channel.pin(Pin::Td)->clear();
    if (simulated) {
        // At 110 baud a few characters made it round in the meantime, in order.
        QCOMPARE(echoed, QString::fromLatin1(text.left(echoed.size())));
        return;
    }
    // Drained at last, the line carries whole copies only, back to back.
    QByteArray carried;
    const QDeadlineTimer deadline(Deadline);
    while ((form.MSComm1.OutBufferCount() > 0 || carried.size() % text.size() != 0) && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        carried += pty.readFromMaster();
    }
    carried += pty.readFromMaster();
    QVERIFY(carried.size() >= text.size() * (MSCommLib::MSComm::OutBufferLimit / text.size()));
    QCOMPARE(carried.size() % text.size(), 0);
    QVERIFY(carried == text.repeated(carried.size() / text.size()));
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--hold-port") == 0)
        return holdPort(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--open-as-nobody") == 0)
        return openAsNobody(QString::fromLocal8Bit(argv[2]));

    QApplication app(argc, argv);
    configureApplication();
    FaultsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
