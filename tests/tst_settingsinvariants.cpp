// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// The fuzz target's properties (fuzz/settingsinvariants.h) on fixed samples:
// texts whose answers were decided by hand, which pin the properties'
// reference rules as well as the program, then every combination of good and
// bad fields, and handshaking texts between blanks of every kind.

#include "settingsinvariants.h"

#include "serial/mscomm.h"

#include <QTest>

using namespace Sernix::Fuzz::SettingsInvariants;
using namespace Qt::StringLiterals;

namespace {

// Checks every text over a closed and an open port, each time over another
// previous state.
void onBothPorts(const QStringList &texts, bool handshaking = false)
{
    MSCommLib::MSComm closed(1, QStringLiteral("loopback"));
    MSCommLib::MSComm open(2, QStringLiteral("loopback"));
    open.setPortOpen(true);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        for (MSCommLib::MSComm *port : {&closed, &open}) {
            const QString &previous = previousSettings()[std::size_t(i) % previousSettings().size()];
            const QString failure = handshaking ? checkHandshakingText(*port, int(i % 4), texts[i])
                                                : checkSettingsText(*port, previous, texts[i]);
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        }
    }
}

} // namespace

class SettingsInvariantsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decidedByHand()
    {
        QCOMPARE(expectedNormalForm("9600,N,8,1"), QStringLiteral("9600,n,8,1"));
        QCOMPARE(expectedNormalForm("2147483647,m,5,2"), QStringLiteral("2147483647,m,5,2"));
        QStringList refused{"2147483648,n,8,1", "09600,n,8,1",  "0,n,8,1",           "9600,n,8,1,",
                            "9600, n,8,1",      "9600,n,8,1\n", u"\uff19600,n,8,1"_s};
#ifndef Q_OS_WIN
        refused << "9600,n,8,1.5"; // no such setting in a POSIX termios
#endif
        for (const QString &text : refused)
            QVERIFY2(!expectedNormalForm(text), qPrintable(escaped(text)));
        onBothPorts(refused + QStringList{"9600,N,8,1", "2147483647,m,5,2"});
    }

    void everyCombinationOfFields()
    {
        // Good and bad spellings of each field: look-alike digits and letters,
        // letters that turn into ASCII when lower-cased, signs, blanks, NULs.
        const QStringList speeds{"9600",  "1",     "115200",          "2147483648",
                                 "09600", "+9600", " 9600",           "9600.0",
                                 "1e4",   "",      u"\uff19\uff16"_s, "99999999999999999999999"};
        const QStringList parities{"n",  "E",    "s",         "M",         "x",         "",
                                   "nn", "none", u"\u016f"_s, u"\u212a"_s, u"\u0130"_s, u"\0"_s};
        const QStringList dataBits{"5", "8", "4", "9", "08", " 7", "7.0", u"\u0668"_s};
        const QStringList stopBits{"1", "2", "1.5", "0", "01", " 1", u"\uff11"_s};
        QStringList texts{"9600,n,8,1,1", "9600,n,8", "9600,,n,8,1", u"9600,n\U0001F50C,8,1"_s, u"96\xd800,n,8,1"_s};
        for (const QString &speed : speeds)
            for (const QString &parity : parities)
                for (const QString &bits : dataBits)
                    for (const QString &stop : stopBits)
                        texts << QStringList{speed, parity, bits, stop}.join(u',');
        onBothPorts(texts);
    }

    void handshakingTexts()
    {
        // The reference rule against answers decided by hand.
        QCOMPARE(expectedHandshakingNumber(u"\u00a0 2\t"_s), 2);
        QCOMPARE(expectedHandshakingNumber("+3"), 3);
        QCOMPARE(expectedHandshakingNumber("-2147483648"), std::numeric_limits<int>::min());
        for (const char16_t *refused : {u"2147483648", u"1.5", u"1 2", u"", u"\uff12"})
            QVERIFY(!expectedHandshakingNumber(QString::fromUtf16(refused)));
        QVERIFY(!expectedHandshakingNumber(u"1\0x"_s));

        const QStringList blanks{"", " ", "\t", "\r\n", u"\u00a0"_s, u"\u3000"_s, u"\u2028"_s};
        const QStringList cores =
            u"0|3|4|-1|002|-0|+3|2147483647|-2147483648|2147483648|99999999999999999999|1.5|1e0||two|"
            u"0x1|1 2|+-1|+|1,0|\uff12|\u0662|\u00b3|1\0x|3\0"_s.split(u'|');
        QStringList texts;
        for (const QString &before : blanks)
            for (const QString &core : cores)
                for (const QString &after : blanks)
                    texts << before + core + after;
        onBothPorts(texts, true);
    }
};

QTEST_GUILESS_MAIN(SettingsInvariantsTest)

#include "tst_settingsinvariants.moc"
