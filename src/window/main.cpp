// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "application.h"
#include "commandline.h"
#include "controls/enablebox.h"
#include "controls/pintextbox.h"
#include "form1.h"
#include "portlist.h"
#include "terminationsignals.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

using namespace Sernix::Controls;
using namespace Sernix::Window;

namespace {

QStringList argumentList(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

bool hasDisplay()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY")
        || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

void applyStartOptions(Form1 &window, const CommandLine &commandLine)
{
    for (const auto &[channel, text] : commandLine.transmitTexts)
        window.channel(channel).pin(Pin::Td)->setText(text);
    for (int channel : commandLine.channelsToOpen)
        window.channel(channel).enableBox->setValue(EnableBox::Ticked);
}

} // namespace

int main(int argc, char **argv)
{
    configureApplication();
    const CommandLine commandLine = CommandLine::parse(argumentList(argc, argv));
    if (!commandLine.error.isEmpty()) {
        std::fprintf(stderr, "sernix: %s\nTry 'sernix --help'.\n", qPrintable(commandLine.error));
        return 2;
    }
    if (commandLine.showHelp) {
        std::fputs(qPrintable(CommandLine::helpText()), stdout);
        return 0;
    }
    if (commandLine.showVersion) {
        std::printf("sernix %s\n", SERNIX_DISPLAY_VERSION);
        return 0;
    }
    if (commandLine.listPorts)
        return listPorts();
    if (!hasDisplay()) {
        if (commandLine.screenshotFile.isEmpty()) {
            std::fputs("sernix: no display (DISPLAY is not set); to get a picture of the window instead, "
                       "run: sernix --screenshot window.png\n",
                       stderr);
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    QApplication application(argc, argv);
    Form1 window(DeviceBindings::forStart(commandLine.devices));
    for (const QString &file : commandLine.recordFiles) {
        const QString error = window.recordings().start(file);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "sernix: %s\n", qPrintable(error));
            return 2;
        }
    }
    const Sernix::Window::TerminationSignals terminationSignals([&window] {
        window.close();
        QCoreApplication::quit();
    });
    window.show();
    applyStartOptions(window, commandLine);

    if (!commandLine.screenshotFile.isEmpty()) {
        QTimer::singleShot(commandLine.screenshotAfterMs, &window, [&] {
            if (!window.grab().save(commandLine.screenshotFile)) {
                std::fprintf(stderr, "sernix: cannot write %s\n", qPrintable(commandLine.screenshotFile));
                QCoreApplication::exit(1);
                return;
            }
            QCoreApplication::exit(0);
        });
    }
    return application.exec();
}
