// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "harness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSysInfo>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <sched.h>
#include <sys/resource.h>

namespace Sernix::Bench {

namespace {

QString cpuModelName()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (!cpuinfo.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("unknown");
    // Not every architecture calls the field "model name".
    for (const QByteArray &line : cpuinfo.readAll().split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon).trimmed();
        if (key == "model name" || key == "Processor" || key == "cpu model")
            return QString::fromUtf8(line.mid(colon + 1).trimmed());
    }
    return QStringLiteral("unknown");
}

int availableCores()
{
    // What nproc prints: the processors this process may be scheduled on.
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return CPU_COUNT(&set);
    return 0;
}

qint64 statusFieldKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

qint64 clockNs(clockid_t clock)
{
    timespec now{};
    ::clock_gettime(clock, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

QString loadAverages()
{
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (!loadavg.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("unknown");
    return QString::fromLatin1(loadavg.readAll().split(' ').mid(0, 3).join(' '));
}

} // namespace

Machine Machine::current()
{
    return Machine{availableCores(), cpuModelName(), QSysInfo::kernelVersion(), QString::fromLatin1(qVersion()),
                   loadAverages()};
}

QString Machine::hardware() const
{
    return QStringLiteral("%1 cores (nproc), %2; Linux %3; Qt %4").arg(cores).arg(cpuModel, kernel, qtVersion);
}

QString Machine::describe() const
{
    return QStringLiteral("%1; load average %2").arg(hardware(), loadAverage);
}

QJsonObject Machine::toJson() const
{
    return {{QStringLiteral("cores"), cores},
            {QStringLiteral("cpu"), cpuModel},
            {QStringLiteral("kernel"), kernel},
            {QStringLiteral("qt"), qtVersion},
            {QStringLiteral("load_average"), loadAverage},
            {QStringLiteral("description"), describe()}};
}

QString Figure::verdict() const
{
    if (check)
        return *check ? QStringLiteral("ok") : QStringLiteral("FAILED");
    if (limit)
        return value < *limit ? QStringLiteral("ok") : QStringLiteral("over target");
    return QStringLiteral("-");
}

QString Figure::valueText() const
{
    if (check && unit.isEmpty())
        return *check ? QStringLiteral("yes") : QStringLiteral("no");
    QString text = QString::number(value, 'f', decimals);
    if (!unit.isEmpty())
        text += QLatin1Char(' ') + unit;
    return text;
}

QString Figure::targetText() const
{
    if (check)
        return unit.isEmpty() ? QStringLiteral("yes") : QStringLiteral("0 %1").arg(unit);
    if (limit)
        return QStringLiteral("< %1 %2").arg(QString::number(*limit, 'g', 6), unit);
    return QStringLiteral("-");
}

QJsonObject Figure::toJson(const Machine &machine) const
{
    QJsonObject object{{QStringLiteral("figure"), name},
                       {QStringLiteral("value"), value},
                       {QStringLiteral("unit"), unit},
                       {QStringLiteral("decimals"), decimals},
                       {QStringLiteral("target"), targetText()},
                       {QStringLiteral("verdict"), verdict()},
                       {QStringLiteral("machine"), machine.describe()}};
    if (limit)
        object.insert(QStringLiteral("limit"), *limit);
    if (check)
        object.insert(QStringLiteral("passed"), *check);
    if (!note.isEmpty())
        object.insert(QStringLiteral("note"), note);
    return object;
}

Figure Figure::fromJson(const QJsonObject &object)
{
    Figure figure;
    figure.name = object.value(QStringLiteral("figure")).toString();
    figure.value = object.value(QStringLiteral("value")).toDouble();
    figure.unit = object.value(QStringLiteral("unit")).toString();
    figure.decimals = object.value(QStringLiteral("decimals")).toInt();
    if (object.contains(QStringLiteral("limit")))
        figure.limit = object.value(QStringLiteral("limit")).toDouble();
    if (object.contains(QStringLiteral("passed")))
        figure.check = object.value(QStringLiteral("passed")).toBool();
    figure.note = object.value(QStringLiteral("note")).toString();
    return figure;
}

Report::Report(QString benchmark)
    : m_benchmark(std::move(benchmark))
{
}

Figure &Report::add(const QString &name, double value, const QString &unit, int decimals, std::optional<double> limit)
{
    m_figures.push_back(Figure{name, value, unit, decimals, limit, std::nullopt, {}});
    return m_figures.back();
}

bool Report::check(const QString &name, bool passed, const QString &detail, std::optional<double> count,
                   const QString &unit)
{
    m_figures.push_back(
        Figure{name, count.value_or(passed ? 1 : 0), count ? unit : QString(), 0, std::nullopt, passed, detail});
    if (!passed)
        log(QStringLiteral("FAILED: %1: %2").arg(name, detail));
    return passed;
}

bool Report::allChecksPassed() const
{
    return std::ranges::all_of(m_figures, [](const Figure &figure) { return figure.check.value_or(true); });
}

QJsonObject Report::toJson(const Machine &machine) const
{
    QJsonArray figures;
    for (const Figure &figure : m_figures)
        figures.append(figure.toJson(machine));
    return {{QStringLiteral("benchmark"), m_benchmark},
            {QStringLiteral("machine"), machine.toJson()},
            {QStringLiteral("passed"), allChecksPassed()},
            {QStringLiteral("figures"), figures}};
}

bool Report::writeJson(const QString &path, const Machine &machine) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(QJsonDocument(toJson(machine)).toJson()) > 0;
}

void Samples::sort() const
{
    if (!m_sorted) {
        std::ranges::sort(m_values);
        m_sorted = true;
    }
}

double Samples::percentile(double p) const
{
    if (m_values.empty())
        return 0;
    sort();
    const auto rank = std::size_t(std::ceil(p / 100.0 * double(m_values.size())));
    return m_values.at(std::clamp<std::size_t>(rank, 1, m_values.size()) - 1);
}

double Samples::max() const
{
    return m_values.empty() ? 0 : *std::ranges::max_element(m_values);
}

qint64 processCpuTimeNs()
{
    return clockNs(CLOCK_PROCESS_CPUTIME_ID);
}

qint64 monotonicNs()
{
    return clockNs(CLOCK_MONOTONIC);
}

qint64 residentKb()
{
    return statusFieldKb("VmRSS");
}

qint64 peakResidentKb()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool processEventsUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    if (done())
        return true;
    const QDeadlineTimer deadline(timeout);
    // Only bounds the wait when nothing at all happens; whatever makes done()
    // true (a port reading, a pty becoming readable) wakes the loop itself.
    QTimer wakeUp;
    wakeUp.start(20);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void runEventLoopFor(std::chrono::milliseconds duration)
{
    QEventLoop loop;
    QTimer::singleShot(duration, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void log(const QString &message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
    std::fflush(stderr);
}

} // namespace Sernix::Bench
