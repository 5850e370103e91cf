// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QJsonObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

// What every benchmark shares: its figures and their targets, timing
// statistics, and reading the process's own costs.
namespace Sernix::Bench {

using Clock = std::chrono::steady_clock;

// The machine the figures come from: cores as nproc counts them (the
// processors this process may run on) and the processor's model name. The
// load average tells whether other work shared the machine at the time.
struct Machine
{
    int cores = 0;
    QString cpuModel;
    QString kernel;
    QString qtVersion;
    QString loadAverage; // 1, 5 and 15 minutes

    static Machine current();
    QString hardware() const;
    QString describe() const; // hardware and load
    QJsonObject toJson() const;
};

// One figure as the report shows it. A figure with a limit must stay below
// it; a check is a correctness condition whose failure fails the run.
struct Figure
{
    QString name;
    double value = 0;
    QString unit;
    int decimals = 0;
    std::optional<double> limit;
    std::optional<bool> check; // set for checks: passed or not
    QString note;

    QString verdict() const;
    QJsonObject toJson(const Machine &machine) const;
    static Figure fromJson(const QJsonObject &object);
    QString valueText() const;
    QString targetText() const;
};

// The figures of one benchmark run.
class Report
{
public:
    explicit Report(QString benchmark);

    const QString &benchmark() const { return m_benchmark; }

    // An informational figure, or one that must stay below limit.
    Figure &add(const QString &name, double value, const QString &unit, int decimals,
                std::optional<double> limit = std::nullopt);
    // A correctness condition; the detail says what was seen. A check may
    // carry a count (e.g. of lost bytes) whose target is then 0. Returns passed.
    bool check(const QString &name, bool passed, const QString &detail = {}, std::optional<double> count = {},
               const QString &unit = {});

    bool allChecksPassed() const;
    const std::vector<Figure> &figures() const { return m_figures; }

    QJsonObject toJson(const Machine &machine) const;
    bool writeJson(const QString &path, const Machine &machine) const;

private:
    QString m_benchmark;
    std::vector<Figure> m_figures;
};

// Durations in nanoseconds, with the order statistics the report needs.
class Samples
{
public:
    void reserve(std::size_t count) { m_values.reserve(count); }
    void add(double nanoseconds)
    {
        m_values.push_back(nanoseconds);
        m_sorted = false;
    }
    std::size_t count() const { return m_values.size(); }

    double median() const { return percentile(50); }
    // Nearest-rank percentile, 0 < p <= 100.
    double percentile(double p) const;
    double max() const;

private:
    void sort() const;
    mutable std::vector<double> m_values;
    mutable bool m_sorted = false;
};

// Times one call in nanoseconds.
template <typename Function>
double timeCall(Function &&function)
{
    const auto start = Clock::now();
    function();
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count());
}

constexpr double nsToMs(double ns)
{
    return ns / 1e6;
}

// CPU time the whole process has used, all threads, in nanoseconds.
qint64 processCpuTimeNs();
// VmRSS of this process, in kB.
qint64 residentKb();
// Peak resident set of this process so far, in kB.
qint64 peakResidentKb();
// CLOCK_MONOTONIC in nanoseconds: comparable between processes.
qint64 monotonicNs();

// Runs the event loop until done() holds or the timeout passes; returns done().
// Blocks in the event loop between events instead of spinning.
bool processEventsUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout);

// Runs the event loop for this long, as the running program would.
void runEventLoopFor(std::chrono::milliseconds duration);

// Writes a message to stderr, as progress or as the reason for a failure.
void log(const QString &message);

} // namespace Sernix::Bench
