// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "window/commandline.h"
#include "window/devicebindings.h"
#include "window/portlist.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
// The console companion beside the program passes the same on.
const QStringList programs{SERNIX_PROGRAM_PATH, SERNIX_COMPANION_PATH};
#else
#include "ptypair.h"
#include "stderrcapture.h"
using namespace Sernix::Rig;
const QStringList programs{SERNIX_PROGRAM_PATH};
#endif
using namespace Sernix::Window;

class CommandLineTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rejectsWhatItCannotUse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("channel 5") << QStringList{"--open", "5"};
        QTest::newRow("no channel") << QStringList{"--transmit", "hello"};
        QTest::newRow("channel 0") << QStringList{"--transmit", "0:x"};
        QTest::newRow("negative wait") << QStringList{"--screenshot", "a.png", "--after", "-1"};
        QTest::newRow("wait without picture") << QStringList{"--after", "10"};
        QTest::newRow("stray argument") << QStringList{"stray"};
        QTest::newRow("record, no kind") << QStringList{"--record", "a.txt"};
        QTest::newRow("record, two CSV") << QStringList{"--record", "a.csv", "--record", "b.CSV"};
    }

    void rejectsWhatItCannotUse()
    {
        QFETCH(QStringList, arguments);
        QVERIFY(!CommandLine::parse(QStringList{"sernix"} + arguments).error.isEmpty());
    }

    // Finding no port is an answer, not a failure. The catalogue is the
    // test's: the system's would have Qt open the machine's own ports.
#ifndef Q_OS_WIN // stderr is caught through POSIX descriptors
    void listingNoPortsSucceeds()
    {
        MSCommLib::setPortCatalogue({[] { return QList<MSCommLib::PortDescription>(); }, {}});
        const StderrCapture diagnostics;
        QCOMPARE(listPorts(), 0);
        QCOMPARE(diagnostics.text(), QByteArray("sernix: no serial ports found\n"));
        MSCommLib::setPortCatalogue({});
    }
#endif

    // The program before any window: what it returns and a piece of what it
    // prints ('@' stands for a folder of the test's), with or without a display.
    void exitStatusAndMessages_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("display");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("version") << QStringList{"-v"} << true << 0 << QByteArray("sernix " SERNIX_DISPLAY_VERSION "\n");
        QTest::newRow("help") << QStringList{"--help"} << true << 0 << QByteArray("--list-ports");
        QTest::newRow("wrong line") << QStringList{"--open", "5"} << true << 2 << QByteArray("Try 'sernix --help'.");
#ifndef Q_OS_WIN // a Windows desktop is always there
        QTest::newRow("no display") << QStringList{} << false << 1 << QByteArray("sernix: no display");
        QTest::newRow("picture, no display") << QStringList{"--screenshot", "@/w.png"} << false << 0 << QByteArray();
#endif
        QTest::newRow("picture not written")
            << QStringList{"--screenshot", "@/none/w.png"} << true << 1 << QByteArray("cannot write @/none/w.png");
    }

    void exitStatusAndMessages()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, display);
        QFETCH(int, status);
        QFETCH(QByteArray, said);
        QTemporaryDir dir;
        arguments.replaceInStrings(QStringLiteral("@"), dir.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!display) {
            for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                environment.remove(QLatin1String(variable));
        }
        for (const char *channel : {"--com1", "--com2", "--com3", "--com4"}) // no test reaches a real port
            arguments << QLatin1String(channel) << QStringLiteral("/dev/sernix-test-absent");
        for (const QString &path : programs) {
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(path, arguments);
            QVERIFY(program.waitForFinished(20000));
            QCOMPARE(program.exitCode(), status);
            QByteArray output = program.readAllStandardOutput() + program.readAllStandardError();
            output.replace("\r\n", "\n"); // as a Windows console ends its lines
            QVERIFY2(output.contains(said.replace('@', QFile::encodeName(dir.path()))), output.constData());
            QCOMPARE(QFileInfo::exists(dir.filePath("w.png")), status == 0 && arguments.contains("--screenshot"));
        }
    }

#ifdef Q_OS_WIN
    // The console's closing ends the program as closing its window does, its
    // recordings whole: the VCD ends with the time it ended. The event comes
    // as Windows brings it, on a thread started in the program at CtrlRoutine.
    void consoleClosingEndsTheProgramWithItsRecordingWhole()
    {
        QTemporaryDir dir;
        QProcess program;
        program.start(SERNIX_PROGRAM_PATH,
                      {"--com1", "loopback", "--open", "1", "--record", dir.filePath("r.csv"), "--record",
                       dir.filePath("r.vcd")});
        const auto recorded = [&dir](const char *name = "r.csv") {
            QFile record(dir.filePath(name));
            return record.open(QIODevice::ReadOnly) ? record.readAll().trimmed() : QByteArray();
        };
        QTRY_VERIFY_WITH_TIMEOUT(recorded().contains(",COM1,on,"), 20000);
        const auto ctrlRoutine = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void *>(::GetProcAddress(::GetModuleHandleW(L"kernelbase"), "CtrlRoutine")));
        const HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, DWORD(program.processId()));
        QVERIFY(ctrlRoutine && process);
        QVERIFY(::CreateRemoteThread(process, nullptr, 0, ctrlRoutine, reinterpret_cast<void *>(CTRL_CLOSE_EVENT), 0,
                                     nullptr));
        ::CloseHandle(process);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(recorded().split('\n').last().contains(",COM1,"));
        QVERIFY2(recorded("r.vcd").split('\n').last().startsWith('#'), recorded("r.vcd").constData());
    }

    // A binding chosen is kept in the user's registry, where the next start finds it.
    void bindingsAreKeptInTheRegistry()
    {
        Sernix::Window::DeviceBindings::store(2, QStringLiteral("COM12"));
        const QSettings registry(QStringLiteral("HKEY_CURRENT_USER\\Software\\Draventa\\Sernix"),
                                 QSettings::NativeFormat);
        QCOMPARE(registry.value("ports/com2"), QVariant("COM12"));
        QCOMPARE(Sernix::Window::DeviceBindings::load().at(1), QStringLiteral("COM12"));
        Sernix::Window::DeviceBindings::store(2, {});
    }
#endif

#ifndef Q_OS_WIN
    // The program itself: --open ticks the channel it names, so its port
    // opens, and --transmit fills that channel's box, so the text goes out on
    // the timer's ticks (at 0.3, 0.9 and 1.5 s, so one is written out well
    // before the picture ends the run); a channel not opened sends nothing.
    void startOptionsOpenAndFillTheirChannel()
    {
        PtyPair second;
        PtyPair third;
        QTemporaryDir dir;
        QProcess program;
        program.start(QStringLiteral(SERNIX_PROGRAM_PATH),
                      {"--com1", "/dev/sernix-test-absent-1", "--com2", second.slavePath(), "--com3", third.slavePath(),
                       "--com4", "/dev/sernix-test-absent-4", "--open", "3", "--transmit", "3:x:y", "--transmit",
                       "2:unsent", "--screenshot", dir.filePath("w.png"), "--after", "2000"});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(QFileInfo::exists(dir.filePath("w.png")));
        const QByteArray sent = third.readFromMaster();
        QVERIFY2(sent.startsWith("x:y") && sent == QByteArray("x:y").repeated(sent.size() / 3), sent.constData());
        QCOMPARE(second.readFromMaster(), QByteArray());
    }
#endif
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
