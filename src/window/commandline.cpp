// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "commandline.h"

#include "record/fileformat.h"
#include "serial/mscomm.h"

#include <QCommandLineParser>

namespace Sernix::Window {

using namespace Sernix::Controls;

namespace {

// --com1 DEVICE .. --com4 DEVICE, by channel.
QList<QCommandLineOption> portOptions()
{
    QList<QCommandLineOption> options;
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        options.append(QCommandLineOption(QStringLiteral("com%1").arg(channel),
                                          QStringLiteral("Device of channel %1 (default %2).")
                                              .arg(channel)
                                              .arg(MSCommLib::MSComm::defaultDeviceName(channel)),
                                          QStringLiteral("device")));
    }
    return options;
}

struct Options
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption listPorts{QStringLiteral("list-ports"),
                                 QStringLiteral("List the serial ports found (path, description, manufacturer, "
                                                "serial number, USB VID:PID) and exit; needs no display.")};
    QList<QCommandLineOption> ports = portOptions();
    QCommandLineOption open{QStringLiteral("open"),
                            QStringLiteral("Tick channel N at start, as if clicked (may be repeated)."),
                            QStringLiteral("N")};
    QCommandLineOption transmit{QStringLiteral("transmit"),
                                QStringLiteral("Put TEXT into the transmit box of channel N at start "
                                               "(may be repeated)."),
                                QStringLiteral("N:TEXT")};
    QCommandLineOption record{QStringLiteral("record"),
                              QStringLiteral("Record what happens on the channels to FILE while the program "
                                             "runs: FILE.csv gets every event (appended to, with a header row "
                                             "for each run), FILE.vcd the line levels (a new file only). "
                                             "One of each at most."),
                              QStringLiteral("FILE")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                  QStringLiteral("Save a picture of the window to FILE (PNG) and exit; "
                                                 "works without a display."),
                                  QStringLiteral("FILE")};
    QCommandLineOption after{QStringLiteral("after"),
                             QStringLiteral("With --screenshot: let the timer run MS milliseconds first "
                                            "(default 0)."),
                             QStringLiteral("MS"), QStringLiteral("0")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(
            QStringLiteral("Watches and exercises the lines of up to four RS-232 serial ports.\n\n"
                           "DEVICE is a serial device path, \"loopback\" for a simulated loop-back plug\n"
                           "(TD to RD, RTS to CTS, DTR to DSR and DCD), or rfc2217://HOST:PORT for a port\n"
                           "that an RFC 2217 server shares, such as ser2net with this in its ser2net.yaml:\n"
                           "  connection: &com1\n"
                           "    accepter: telnet(rfc2217),tcp,127.0.0.1,3001\n"
                           "    connector: serialdev,/dev/ttyUSB0,9600n81,local\n"
                           "RFC 2217 has no authentication: reach another machine's server through an\n"
                           "SSH tunnel (ssh -L 3001:127.0.0.1:3001 HOST) or on a trusted network only.\n"
                           "A device chosen in the window (right click on a channel) is kept for the\n"
                           "next start; --comN overrides it for one run."));
        parser.addOption(help);
        parser.addOption(version);
        parser.addOption(listPorts);
        for (const QCommandLineOption &port : ports)
            parser.addOption(port);
        parser.addOptions({open, transmit, record, screenshot, after});
    }
};

std::optional<int> channelNumber(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < 1 || number > ChannelCount)
        return std::nullopt;
    return number;
}

} // namespace

QString CommandLine::helpText()
{
    QCommandLineParser parser;
    Options().addTo(parser);
    // Help is given before any application object exists, when Qt cannot
    // know the program's name: the usage line names it here.
    return QStringLiteral("Usage: sernix [options]\n") + parser.helpText().section(QLatin1Char('\n'), 1);
}

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine result;
    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
        return result;
    }
    result.showHelp = parser.isSet(options.help);
    result.showVersion = parser.isSet(options.version);
    result.listPorts = parser.isSet(options.listPorts);
    for (int i = 0; i < ChannelCount; ++i)
        result.devices.at(std::size_t(i)) = parser.value(options.ports.at(i));

    for (const QString &value : parser.values(options.open)) {
        const auto number = channelNumber(value);
        if (!number) {
            result.error =
                QStringLiteral("--open takes a channel number 1 to %1, not '%2'.").arg(ChannelCount).arg(value);
            return result;
        }
        result.channelsToOpen << *number;
    }
    for (const QString &value : parser.values(options.transmit)) {
        const qsizetype colon = value.indexOf(QLatin1Char(':'));
        const auto number = channelNumber(value.left(colon));
        if (colon < 0 || !number) {
            result.error =
                QStringLiteral("--transmit takes N:TEXT with N from 1 to %1, not '%2'.").arg(ChannelCount).arg(value);
            return result;
        }
        result.transmitTexts.append({*number, value.mid(colon + 1)});
    }

    std::array<bool, 2> recorded{};
    for (const QString &file : parser.values(options.record)) {
        const std::optional<Sernix::Record::FileKind> kind = Sernix::Record::fileKindOf(file);
        if (!kind) {
            result.error = QStringLiteral("--record takes a file ending in .csv or .vcd, not '%1'.").arg(file);
            return result;
        }
        if (std::exchange(recorded.at(std::size_t(*kind)), true)) {
            result.error =
                QStringLiteral("--record takes one .csv and one .vcd file at most; '%1' is a second %2 file.")
                    .arg(file, Sernix::Record::fileKindName(*kind));
            return result;
        }
        result.recordFiles << file;
    }

    result.screenshotFile = parser.value(options.screenshot);
    bool afterOk = false;
    result.screenshotAfterMs = parser.value(options.after).toInt(&afterOk);
    if (!afterOk || result.screenshotAfterMs < 0) {
        result.error =
            QStringLiteral("--after takes a number of milliseconds, not '%1'.").arg(parser.value(options.after));
        return result;
    }
    if (parser.isSet(options.after) && result.screenshotFile.isEmpty()) {
        result.error = QStringLiteral("--after needs --screenshot.");
        return result;
    }
    return result;
}

} // namespace Sernix::Window
