// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// From process start to the window on screen with its load step done, and
// the memory that takes: the real program as a user starts it, and a probe
// that stops the clock right at the first turn of the event loop.

#include "benchmarks.h"
#include "options.h"

#include "window/application.h"
#include "window/form1.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace Sernix::Bench {

using namespace Sernix::Controls;
using namespace Sernix::Window;

namespace {

constexpr int Runs = 7;

Form1::DeviceNames absentDevices()
{
    Form1::DeviceNames devices;
    for (int channel = 1; channel <= ChannelCount; ++channel)
        devices.at(std::size_t(channel - 1)) = QStringLiteral("/dev/sernix-bench-absent-%1").arg(channel);
    return devices;
}

struct Run
{
    qint64 startNs = 0; // just before the process was created
    qint64 endNs = 0;   // once it had exited
    int status = -1;
    qint64 peakResidentKb = 0;
    QByteArray output;
    QByteArray errors;

    bool succeeded() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

// Starts a program, collects its output and waits for it. The times are
// CLOCK_MONOTONIC, the clock the probe reads on its side.
Run runProgram(const QStringList &arguments, const QString &errorFile)
{
    Run run;
    std::vector<QByteArray> storage;
    for (const QString &argument : arguments)
        storage.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) == -1)
        return run;
    const QByteArray errorPath = QFile::encodeName(errorFile);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0600);

    pid_t pid = -1;
    run.startNs = monotonicNs();
    const int spawned = ::posix_spawn(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned == 0) {
        char chunk[4096];
        ssize_t count;
        while ((count = ::read(pipeFds[0], chunk, sizeof chunk)) > 0)
            run.output.append(chunk, count);
        rusage usage{};
        ::wait4(pid, &run.status, 0, &usage);
        run.endNs = monotonicNs();
        run.peakResidentKb = usage.ru_maxrss;
    }
    ::close(pipeFds[0]);
    QFile errors(errorFile);
    if (errors.open(QIODevice::ReadOnly))
        run.errors = errors.readAll();
    return run;
}

// The probe's report: "name=nanoseconds" pairs on one line.
qint64 probeValue(const QByteArray &output, const QByteArray &name)
{
    for (const QByteArray &pair : output.trimmed().split(' ')) {
        if (pair.startsWith(name + '='))
            return pair.mid(name.size() + 1).toLongLong();
    }
    return -1;
}

double megabytes(qint64 kib)
{
    return double(kib) * 1024.0 / 1e6;
}

} // namespace

int startUpProbe(int argc, char **argv)
{
    const qint64 mainNs = monotonicNs();
    QApplication application(argc, argv);
    Sernix::Window::configureApplication();
    const qint64 applicationNs = monotonicNs();
    Form1 window(absentDevices()); // Form_Load runs inside
    const qint64 windowNs = monotonicNs();
    window.show();
    QCoreApplication::processEvents();
    const qint64 shownNs = monotonicNs();
    std::printf("main=%lld application=%lld window=%lld shown=%lld peak_kb=%lld\n", (long long)mainNs,
                (long long)applicationNs, (long long)windowNs, (long long)shownNs, (long long)peakResidentKb());
    return 0;
}

void startUp(Report &report, const QStringList &arguments)
{
    const QString program = textOption(arguments, QStringLiteral("--program"), QStringLiteral(SERNIX_PROGRAM_PATH));
    const QString self = QCoreApplication::applicationFilePath();
    QTemporaryDir scratch;
    const QString errorFile = scratch.filePath(QStringLiteral("stderr.txt"));
    log(QStringLiteral("start-up: %1 runs each of the probe and of %2").arg(Runs).arg(program));

    Samples toMain, toApplication, toWindow, toShown, probePeak;
    bool probeRan = true;
    for (int i = 0; i < Runs && probeRan; ++i) {
        const Run run = runProgram({self, QStringLiteral("startup-probe")}, errorFile);
        const qint64 shown = probeValue(run.output, "shown");
        probeRan = run.succeeded() && shown > 0;
        if (!probeRan) {
            log(QStringLiteral("probe failed (status %1): %2").arg(run.status).arg(QString::fromLocal8Bit(run.errors)));
            break;
        }
        toMain.add(double(probeValue(run.output, "main") - run.startNs));
        toApplication.add(double(probeValue(run.output, "application") - run.startNs));
        toWindow.add(double(probeValue(run.output, "window") - run.startNs));
        toShown.add(double(shown - run.startNs));
        probePeak.add(double(probeValue(run.output, "peak_kb")));
    }
    if (!report.check(QStringLiteral("probe ran"), probeRan))
        return;
    const QString median = QStringLiteral(" (median of %1)").arg(Runs);
    report.add(QStringLiteral("process start to window shown, load done") + median, nsToMs(toShown.median()),
               QStringLiteral("ms"), 1, 250);
    report.add(QStringLiteral("  of which: to main()"), nsToMs(toMain.median()), QStringLiteral("ms"), 1);
    report.add(QStringLiteral("  of which: to QApplication ready"), nsToMs(toApplication.median()),
               QStringLiteral("ms"), 1);
    report.add(QStringLiteral("  of which: to window built and loaded"), nsToMs(toWindow.median()),
               QStringLiteral("ms"), 1);
    report.add(QStringLiteral("probe peak resident memory") + median, megabytes(qint64(probePeak.median())),
               QStringLiteral("MB"), 1);

    QStringList command{program};
    for (int channel = 1; channel <= ChannelCount; ++channel)
        command << QStringLiteral("--com%1").arg(channel) << QStringLiteral("/dev/sernix-bench-absent-%1").arg(channel);
    command << QStringLiteral("--screenshot") << scratch.filePath(QStringLiteral("window.png"))
            << QStringLiteral("--after") << QStringLiteral("0");
    Samples wall, peak;
    bool programRan = true;
    for (int i = 0; i < Runs && programRan; ++i) {
        const Run run = runProgram(command, errorFile);
        programRan = run.succeeded() && QFile::exists(scratch.filePath(QStringLiteral("window.png")));
        if (!programRan) {
            log(QStringLiteral("%1 failed (status %2): %3")
                    .arg(program)
                    .arg(run.status)
                    .arg(QString::fromLocal8Bit(run.errors)));
            break;
        }
        wall.add(double(run.endNs - run.startNs));
        peak.add(double(run.peakResidentKb));
    }
    if (!report.check(QStringLiteral("sernix --screenshot ran"), programRan))
        return;
    report
        .add(QStringLiteral("sernix --screenshot, start to exit") + median, nsToMs(wall.median()), QStringLiteral("ms"),
             1)
        .note = QStringLiteral("upper bound: includes saving the picture and exiting");
    report.add(QStringLiteral("sernix --screenshot, peak resident memory") + median, megabytes(qint64(peak.median())),
               QStringLiteral("MB"), 1, 60);
}

} // namespace Sernix::Bench
