#include "window/commandline.h"

#include <QtTest>

class CommandLineTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsPortsAndStartOptions()
    {
        const CommandLine line =
            CommandLine::parse({"sernix", "--com1", "/dev/ttyUSB0", "--com3", "loopback", "--open", "3", "--transmit",
                                "3:a:b c", "--screenshot", "w.png", "--after", "2000"});
        QVERIFY2(line.error.isEmpty(), qPrintable(line.error));
        QCOMPARE(line.devices[0], QStringLiteral("/dev/ttyUSB0"));
        QVERIFY(line.devices[1].isEmpty());
        QCOMPARE(line.devices[2], QStringLiteral("loopback"));
        QCOMPARE(line.channelsToOpen, QList<int>{3});
        QCOMPARE(line.transmitTexts.size(), 1);
        QCOMPARE(line.transmitTexts[0].first, 3);
        QCOMPARE(line.transmitTexts[0].second, QStringLiteral("a:b c"));
        QCOMPARE(line.screenshotFile, QStringLiteral("w.png"));
        QCOMPARE(line.screenshotAfterMs, 2000);
    }

    void rejectsWhatItCannotUse()
    {
        for (const QStringList &arguments :
             {QStringList{"sernix", "--open", "5"}, QStringList{"sernix", "--transmit", "hello"},
              QStringList{"sernix", "--transmit", "0:x"},
              QStringList{"sernix", "--screenshot", "a.png", "--after", "-1"}, QStringList{"sernix", "--after", "10"},
              QStringList{"sernix", "--com9", "x"}, QStringList{"sernix", "stray"}}) {
            QVERIFY2(!CommandLine::parse(arguments).error.isEmpty(), qPrintable(arguments.join(' ')));
        }
    }

    void helpNamesEveryOption()
    {
        const QString help = CommandLine::helpText();
        QVERIFY(help.startsWith(QLatin1String("Usage: sernix [options]")));
        for (const char *option :
             {"--com1", "--com4", "loopback", "--screenshot", "--after", "--open", "--transmit", "--version"})
            QVERIFY2(help.contains(QLatin1String(option)), option);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
