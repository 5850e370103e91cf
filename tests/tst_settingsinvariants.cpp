// The fuzz target's properties on a fixed, reproducible sample: a few
// thousand settings strings and handshaking texts generated from a seeded
// generator, mixing well-formed pieces with the junk users actually type.
// The properties themselves live in fuzz/settingsinvariants.h.

#include "settingsinvariants.h"

#include "serial/mscomm.h"

#include <QRandomGenerator>
#include <QTest>

#include <functional>

using namespace SettingsInvariants;

namespace {

constexpr quint32 Seed = 0x5e41c0de;

// Every character of the literal, embedded NULs included.
template <std::size_t N>
QString utf16(const char16_t (&text)[N])
{
    return QString::fromUtf16(text, qsizetype(N - 1));
}

// Digits as other scripts write them: they look like numbers and are not
// what a serial control takes.
QString inDigitsFrom(char16_t zero, const QString &asciiDigits)
{
    QString out;
    for (QChar c : asciiDigits)
        out += c.isDigit() && c.unicode() < 0x80 ? QChar(char16_t(zero + (c.unicode() - u'0'))) : c;
    return out;
}

// Characters dropped into otherwise good text: separators, signs, digits,
// blanks of other kinds, a NUL, look-alike digits and letters, both halves
// of a surrogate pair on their own, and a whole pair (a plug emoji).
const QStringList &strayCharacters()
{
    static const QStringList list = [] {
        QStringList characters;
        for (QChar c : utf16(u" \t\n,.+-09eN\u00a0\u3000\u00e9\ufffd\0\u0662\uff11\u212a\xd800\xdc00"))
            characters << QString(c);
        return characters << utf16(u"\U0001F50C");
    }();
    return list;
}

class Generator
{
public:
    QRandomGenerator rng{Seed};

    bool chance(double p) { return rng.generateDouble() < p; }
    const QString &oneOf(const QStringList &list) { return list.at(rng.bounded(qsizetype(list.size()))); }

    QString validSpeed()
    {
        static const QStringList standard{"110", "300", "1200", "9600", "19200", "115200", "1", "2147483647"};
        return chance(0.5) ? oneOf(standard) : QString::number(rng.bounded(1, std::numeric_limits<qint32>::max()));
    }

    QString badSpeed()
    {
        const QString good = validSpeed();
        switch (rng.bounded(9)) {
        case 0:
            return QStringLiteral("0") + good;
        case 1:
            return (chance(0.5) ? QStringLiteral("-") : QStringLiteral("+")) + good;
        case 2:
            return good + QStringLiteral(".0");
        case 3: // just past the largest speed, and a little further
            return QString::number(qint64(std::numeric_limits<qint32>::max()) + 1
                                   + (chance(0.5) ? 0 : rng.bounded(1'000'000)));
        case 4: { // far beyond any integer type
            QString huge = QString::number(rng.bounded(1, 10));
            for (int n = rng.bounded(20, 40); n > 0; --n)
                huge += QChar(u'0' + rng.bounded(10));
            return huge;
        }
        case 5:
            return inDigitsFrom(chance(0.5) ? u'\uff10' : u'\u0660', good);
        case 6:
            return chance(0.5) ? u' ' + good : good + u' ';
        case 7:
            return QStringLiteral("1e4");
        default:
            return QString();
        }
    }

    QString validParity() { return QString(QChar(u"neosmNEOSM"[rng.bounded(10)])); }
    QString badParity()
    {
        // U+016F and U+0165 end in the bytes of 'o' and 'e'; U+212A and
        // U+0130 turn into ASCII letters when lower-cased.
        static const QStringList list{"",
                                      "x",
                                      "p",
                                      "nn",
                                      " n",
                                      "N ",
                                      "0",
                                      "none",
                                      utf16(u"\u00f1"),
                                      utf16(u"\uff4e"),
                                      utf16(u"\u016f"),
                                      utf16(u"\u0165"),
                                      utf16(u"\u212a"),
                                      utf16(u"\u0130"),
                                      QString(QChar(u'\0'))};
        return oneOf(list);
    }

    QString validDataBits() { return QString::number(rng.bounded(5, 9)); }
    QString badDataBits()
    {
        static const QStringList list{
            "4", "9", "0", "08", "8 ", " 7", "7.0", "+8", "-8", "", "16", utf16(u"\u0668"), utf16(u"\uff18")};
        return oneOf(list);
    }

    QString validStopBits() { return chance(0.5) ? QStringLiteral("1") : QStringLiteral("2"); }
    QString badStopBits()
    {
        static const QStringList list{
#ifndef Q_OS_WIN
            "1.5", // no such setting in a POSIX termios
#endif
            "0",   "3", "01", "1.0", " 1", "2 ", "", "1,5", "15", utf16(u"\uff11"), utf16(u"\u00bd")};
        return oneOf(list);
    }

    struct Sample
    {
        QString text;
        // Known from how it was built, unless a random edit made it anybody's guess.
        std::optional<bool> wellFormed;
    };

    Sample settingsString()
    {
        bool allGood = true;
        const auto field = [&](std::function<QString()> good, std::function<QString()> bad) {
            if (chance(0.8))
                return good();
            allGood = false;
            return bad();
        };
        QStringList fields{field([&] { return validSpeed(); }, [&] { return badSpeed(); }),
                           field([&] { return validParity(); }, [&] { return badParity(); }),
                           field([&] { return validDataBits(); }, [&] { return badDataBits(); }),
                           field([&] { return validStopBits(); }, [&] { return badStopBits(); })};
        Sample sample{fields.join(u','), allGood};
        if (chance(0.3))
            sample = {edited(fields), std::nullopt};
        return sample;
    }

    QString edited(QStringList fields)
    {
        QString text = fields.join(u',');
        switch (rng.bounded(6)) {
        case 0:
            return text + u',' + (chance(0.5) ? QString() : validStopBits()); // an extra field
        case 1:
            fields.removeAt(rng.bounded(fields.size()));
            return fields.join(u',');
        case 2:
            return text.replace(QStringLiteral(","), QStringLiteral(",,"));
        case 3:
            return text.toUpper();
        case 4:
            if (!text.isEmpty()) {
                text.remove(rng.bounded(text.size()), 1);
                return text;
            }
            Q_FALLTHROUGH();
        default:
            return text.insert(rng.bounded(text.size() + 1), oneOf(strayCharacters()));
        }
    }

    QString handshakingText()
    {
        static const QStringList numbers{"0",
                                         "1",
                                         "2",
                                         "3",
                                         "4",
                                         "7",
                                         "-1",
                                         "99",
                                         "002",
                                         "-0",
                                         "+3",
                                         "+0",
                                         "2147483647",
                                         "-2147483648",
                                         "2147483648",
                                         "-2147483649",
                                         "99999999999999999999"};
        static const QStringList junk{"1.5",
                                      "2.0",
                                      "1e0",
                                      "",
                                      "two",
                                      "0x1",
                                      "1 2",
                                      "+-1",
                                      "--1",
                                      "+",
                                      "-",
                                      "1,0",
                                      utf16(u"\uff12"),
                                      utf16(u"\u0662"),
                                      utf16(u"\u00bd"),
                                      utf16(u"\u00b3"),
                                      utf16(u"1\0x"),
                                      utf16(u"3\0")};
        static const QStringList blanks{
            "", "", " ", "\t", "\n", "\r\n", utf16(u"\u00a0"), utf16(u"\u3000"), utf16(u"\u2028")};
        QString text = oneOf(blanks) + oneOf(chance(0.7) ? numbers : junk) + oneOf(blanks);
        if (chance(0.2))
            text.insert(rng.bounded(text.size() + 1), oneOf(strayCharacters()));
        return text;
    }
};

} // namespace

class SettingsInvariantsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void referenceRulesAgreeWithLandmarks();
    void generatedSettingsStrings();
    void generatedHandshakingTexts();
};

// The generated checks measure the program against expectedNormalForm and
// expectedHandshakingNumber; these pin those references to answers decided
// by hand, so that a reference drifting along with the code is caught.
void SettingsInvariantsTest::referenceRulesAgreeWithLandmarks()
{
    QCOMPARE(expectedNormalForm("9600,N,8,1"), QStringLiteral("9600,n,8,1"));
    QCOMPARE(expectedNormalForm("2147483647,m,5,2"), QStringLiteral("2147483647,m,5,2"));
    for (const QString &refused :
         {QStringLiteral("2147483648,n,8,1"), QStringLiteral("09600,n,8,1"), QStringLiteral("9600,n,8,1,"),
          QStringLiteral("9600, n,8,1"), QStringLiteral("9600,n,8,1\n"), QStringLiteral("0,n,8,1"),
          utf16(u"\uff19600,n,8,1")})
        QVERIFY2(!expectedNormalForm(refused), qPrintable(escaped(refused)));
#ifndef Q_OS_WIN
    QVERIFY(!expectedNormalForm("9600,n,8,1.5"));
#endif

    QCOMPARE(expectedHandshakingNumber(utf16(u"\u00a0 2\t")), 2);
    QCOMPARE(expectedHandshakingNumber("+3"), 3);
    QCOMPARE(expectedHandshakingNumber("-2147483648"), std::numeric_limits<int>::min());
    for (const QString &refused : {QStringLiteral("2147483648"), QStringLiteral("1.5"), QStringLiteral("1 2"),
                                   QString(), utf16(u"\uff12"), utf16(u"1\0x")})
        QVERIFY2(!expectedHandshakingNumber(refused), qPrintable(escaped(refused)));
}

void SettingsInvariantsTest::generatedSettingsStrings()
{
    MSCommLib::MSComm closed(1, QStringLiteral("loopback"));
    MSCommLib::MSComm open(2, QStringLiteral("loopback"));
    open.setPortOpen(true);

    Generator generate;
    int accepted = 0;
    constexpr int Count = 4000;
    for (int i = 0; i < Count; ++i) {
        const Generator::Sample sample = generate.settingsString();
        const QString &previous = previousSettings()[std::size_t(i) % previousSettings().size()];
        // A string built from good pieces only must pass; one bad piece must sink it.
        if (sample.wellFormed)
            QVERIFY2(expectedNormalForm(sample.text).has_value() == *sample.wellFormed,
                     qPrintable(escaped(sample.text)));
        for (MSCommLib::MSComm *port : {&closed, &open}) {
            const QString failure = checkSettingsText(*port, previous, sample.text);
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        }
        accepted += expectedNormalForm(sample.text) ? 1 : 0;
    }
    // Both outcomes well represented, or the sample proves little.
    QVERIFY2(accepted > Count / 5 && accepted < Count * 4 / 5, qPrintable(QString::number(accepted)));
    QVERIFY(open.PortOpen());
}

void SettingsInvariantsTest::generatedHandshakingTexts()
{
    MSCommLib::MSComm closed(1, QStringLiteral("loopback"));
    MSCommLib::MSComm open(2, QStringLiteral("loopback"));
    open.setPortOpen(true);
    open.setSettings(QStringLiteral("300,e,7,2"));

    Generator generate;
    int modes = 0;
    int otherNumbers = 0;
    constexpr int Count = 3000;
    for (int i = 0; i < Count; ++i) {
        const QString text = generate.handshakingText();
        for (MSCommLib::MSComm *port : {&closed, &open}) {
            const QString failure = checkHandshakingText(*port, i % 4, text);
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        }
        if (const auto number = expectedHandshakingNumber(text))
            ++(*number >= 0 && *number <= 3 ? modes : otherNumbers);
    }
    QVERIFY2(modes > Count / 5, qPrintable(QString::number(modes)));
    QVERIFY2(otherNumbers > Count / 10, qPrintable(QString::number(otherNumbers)));
    QCOMPARE(open.Settings(), QStringLiteral("300,e,7,2"));
}

QTEST_GUILESS_MAIN(SettingsInvariantsTest)

#include "tst_settingsinvariants.moc"
