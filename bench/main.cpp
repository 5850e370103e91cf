// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// sernix_bench: runs one benchmark and writes its figures as JSON, or merges
// the results of several runs into one table. scripts/bench drives it.

#include "benchmarks.h"
#include "harness.h"
#include "options.h"

#include "window/application.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

#include <cstdio>
#include <exception>
#include <map>

using namespace Sernix::Bench;

namespace {

using Benchmark = void (*)(Report &, const QStringList &);

struct Entry
{
    const char *name;
    const char *title;
    Benchmark run;
};

constexpr Entry Entries[] = {
    {"poll", "poll cycle", &pollCycle},
    {"receive", "lossless receive", &losslessReceive},
    {"record", "recorded receive", &recordedReceive},
    {"remote", "remote receive", &remoteReceive},
    {"idle", "idle cost", &idleCost},
    {"startup", "start-up", &startUp},
    {"soak", "soak", &soak},
    {"unplug", "unplug", &unplug},
    {"resume", "resume", &resume},
    {"history", "history repaint", &historyRepaint},
    {"traffic", "traffic view", &trafficView},
    {"hostile", "hostile flood", &hostileFlood},
    {"edges", "line edges", &lineEdges},
    {"conversation", "conversation", &conversation},
};

int usage()
{
    std::fputs("usage: sernix_bench BENCHMARK [--out FILE] [options]\n"
               "       sernix_bench report --out FILE RESULT.json...\n"
               "benchmarks: poll [--ticks N], receive [--seconds N], remote [--seconds N],\n"
               "            idle [--seconds N], startup [--program PATH], soak [--cycles N],\n"
               "            unplug [--seconds N], resume [--repeats N], history [--repaints N],\n"
               "            traffic [--repaints N], hostile [--seconds N], edges [--edges N] [--seconds N],\n"
               "            conversation [--picture FILE.png]\n",
               stderr);
    return 2;
}

int runBenchmark(const Entry &entry, int argc, char **argv)
{
    // Benchmarks never need a screen; the offscreen platform is what the
    // figures are quoted for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Sernix::Window::configureApplication();
    const QStringList arguments = QCoreApplication::arguments().mid(2);
    const Machine machine = Machine::current();
    Report report(QString::fromLatin1(entry.title));
    try {
        entry.run(report, arguments);
    } catch (const std::exception &error) {
        report.check(QStringLiteral("benchmark ran to the end"), false, QString::fromLocal8Bit(error.what()));
    }
    const QString out = textOption(arguments, QStringLiteral("--out"), {});
    if (!out.isEmpty() && !report.writeJson(out, machine)) {
        log(QStringLiteral("cannot write %1").arg(out));
        return 2;
    }
    for (const Figure &figure : report.figures())
        log(QStringLiteral("  %1: %2 [%3]").arg(figure.name, figure.valueText(), figure.verdict()));
    return report.allChecksPassed() ? 0 : 1;
}

QString padded(const QString &text, qsizetype width)
{
    return text.leftJustified(width, QLatin1Char(' '));
}

// Prints the figures of all results as one table and writes them as one JSON
// document. Fails when a result is missing or has a failed check.
int report(const QStringList &arguments)
{
    const QString out = textOption(arguments, QStringLiteral("--out"), {});
    const Machine machine = Machine::current();
    QJsonArray benchmarks;
    struct Row
    {
        QString benchmark;
        Figure figure;
    };
    std::vector<Row> rows;
    bool passed = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--out")) {
            ++i;
            continue;
        }
        QFile file(arguments.at(i));
        const QJsonObject result =
            file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
        if (result.isEmpty()) {
            Figure missing{QStringLiteral("result written"), 0, {}, 0, std::nullopt, false, arguments.at(i)};
            rows.push_back({arguments.at(i), missing});
            passed = false;
            continue;
        }
        benchmarks.append(result);
        passed = passed && result.value(QStringLiteral("passed")).toBool();
        for (const QJsonValue &figure : result.value(QStringLiteral("figures")).toArray())
            rows.push_back({result.value(QStringLiteral("benchmark")).toString(), Figure::fromJson(figure.toObject())});
    }

    const QStringList header{QStringLiteral("benchmark"), QStringLiteral("figure"), QStringLiteral("value"),
                             QStringLiteral("target"), QStringLiteral("verdict")};
    std::vector<QStringList> lines;
    for (const Row &row : rows)
        lines.push_back(
            {row.benchmark, row.figure.name, row.figure.valueText(), row.figure.targetText(), row.figure.verdict()});
    std::vector<qsizetype> widths;
    for (const QString &title : header)
        widths.push_back(title.size());
    for (const QStringList &line : lines) {
        for (qsizetype column = 0; column < line.size(); ++column)
            widths.at(std::size_t(column)) = std::max(widths.at(std::size_t(column)), line.at(column).size());
    }
    QTextStream output(stdout);
    const auto printLine = [&](const QStringList &line) {
        QString text;
        for (qsizetype column = 0; column < line.size(); ++column)
            text += padded(line.at(column), widths.at(std::size_t(column)) + 2);
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        output << text << '\n';
    };
    output << "Machine: " << machine.hardware() << '\n';
    for (const QJsonValue &result : benchmarks) {
        output << "  load average (1, 5, 15 min) as " << result[QStringLiteral("benchmark")].toString()
               << " started: " << result[QStringLiteral("machine")][QStringLiteral("load_average")].toString() << '\n';
    }
    printLine(header);
    QStringList rule;
    for (qsizetype width : widths)
        rule << QString(width, QLatin1Char('-'));
    printLine(rule);
    QString previous;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QStringList line = lines.at(i);
        if (line.front() == previous)
            line.front().clear();
        else
            previous = line.front();
        printLine(line);
    }
    // A passed check's detail only restates it; a failed one's says what went wrong.
    for (const Row &row : rows) {
        if (!row.figure.note.isEmpty() && !row.figure.check.value_or(false))
            output << "note (" << row.benchmark << ", " << row.figure.name << "): " << row.figure.note << '\n';
    }
    output.flush();

    if (!out.isEmpty()) {
        const QJsonObject document{{QStringLiteral("machine"), machine.toJson()},
                                   {QStringLiteral("date"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                                   {QStringLiteral("passed"), passed},
                                   {QStringLiteral("benchmarks"), benchmarks}};
        QFile file(out);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(QJsonDocument(document).toJson()) <= 0) {
            log(QStringLiteral("cannot write %1").arg(out));
            return 2;
        }
    }
    return passed ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    const QByteArray command = argv[1];
    if (command == "startup-probe")
        return startUpProbe(argc, argv);
    if (command == "report") {
        QStringList arguments;
        for (int i = 2; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        return report(arguments);
    }
    for (const Entry &entry : Entries) {
        if (command == entry.name)
            return runBenchmark(entry, argc, argv);
    }
    return usage();
}
