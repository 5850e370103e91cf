// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// The RFC 2217 client's bookkeeping, fed scripted server bytes and times:
// which request each reply answers and how each request ends, which line a
// modem report moves, and what is said of a connection that keeps dropping.

#include "serial/comportsession.h"
#include "serial/dropnews.h"

#include <QtEndian>
#include <QtTest>

using namespace MSCommLib;
using Session = ComPortSession;

namespace {

// One step a line: "@ T" sets the time, "ask NAME CODE VALUE DEADLINE" sends
// a request ("flow NAME VALUE DEADLINE" a flow control), "reply CODE VALUE"
// and "verb VERB OPTION" are what the server sends, "is NAME OUTCOME" checks
// a request.
void run(Session &session, const QStringList &script)
{
    const QStringList outcomes{"Pending", "Confirmed", "Altered", "Refused", "TimedOut"};
    QMap<QString, Session::RequestId> requests;
    qint64 now = 0;
    QByteArray data;
    for (const QString &step : script) {
        const QStringList word = step.split(' ');
        const auto number = [&](int at) { return word.at(at).toUInt(); };
        const auto command = [&](int at) { return Telnet::ComPortCommand(number(at)); };
        if (word[0] == "@") {
            now = number(1);
        } else if (word[0] == "ask") {
            requests[word[1]] = session.request({{command(2), number(3)}}, number(4));
        } else if (word[0] == "flow") {
            requests[word[1]] = session.request(Session::flowOf(Telnet::Control(number(2))), number(3));
        } else if (word[0] == "reply") {
            char value[4];
            qToBigEndian(number(2), value);
            const int size = command(1) == Telnet::ComPortCommand::SetBaudRate ? 4 : 1;
            session.feed(Telnet::comPortCommand(Telnet::ComPortCommand(number(1) + Telnet::ServerReplyOffset),
                                                QByteArrayView(value + 4 - size, size)),
                         now, data);
        } else if (word[0] == "verb") {
            session.feed(Telnet::negotiation(Telnet::Command(number(1)), Telnet::Option(number(2))), now, data);
        } else {
            QVERIFY2(word[0] == "is" && requests.contains(word[1]), qPrintable(step));
            QCOMPARE(outcomes.at(int(session.outcome(requests[word[1]], now))), word[2]);
        }
    }
    QCOMPARE(data, QByteArray());
}

} // namespace

class ComPortSessionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requestsEndAsTheServerAnswers_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::newRow("confirmed") << QStringList{"ask a 1 9600 100", "is a Pending", "reply 1 9600", "is a Confirmed"};
        QTest::newRow("altered") << QStringList{"ask a 1 19200 100", "reply 1 300", "is a Altered"};
        QTest::newRow("silent") << QStringList{"ask a 2 7 100", "@ 99", "is a Pending", "@ 100", "is a TimedOut"};
        QTest::newRow("refused option") << QStringList{"ask a 1 9600 100", "verb 254 44", "is a Refused"};
        QTest::newRow("each reply answers its own request")
            << QStringList{"ask a 1 1200 100", "ask b 1 2400 100", "reply 1 1200",  "is a Confirmed",
                           "is b Pending",     "reply 1 2400",     "is b Confirmed"};
        QTest::newRow("a late or missing reply answers no later request")
            << QStringList{"ask a 1 1200 100", "@ 150",          "is a TimedOut", "reply 1 1200", "ask b 1 2400 300",
                           "reply 1 2400",     "is b Confirmed", "ask c 2 7 300", "@ 300",        "ask d 2 8 500",
                           "reply 2 8",        "is d Confirmed"};
        QTest::newRow("a reply never asked for answers nothing")
            << QStringList{"reply 3 1", "ask a 3 1 100", "is a Pending", "reply 3 2", "is a Altered"};
        QTest::newRow("DTR and RTS replies are no flow answer")
            << QStringList{"ask a 5 1 100", "reply 5 8", "reply 5 11", "is a Pending", "reply 5 1", "is a Confirmed"};
        QTest::newRow("a flow mode is judged by its own reply, not its clearing step's") << QStringList{
            "flow a 2 100", "reply 5 2",    "reply 5 2",    "is a Confirmed", "flow b 3 100", "reply 5 1",
            "reply 5 2",    "is b Altered", "flow c 1 100", "reply 5 2",      "is c Altered"};
        QTest::newRow("repeated requests answered each time")
            << QStringList{"ask a 4 1 100",  "ask b 4 1 100", "reply 4 1", "reply 4 1",   "is a Confirmed",
                           "is b Confirmed", "ask c 4 1 100", "reply 4 2", "is c Altered"};
    }
    void requestsEndAsTheServerAnswers()
    {
        QFETCH(QStringList, script);
        Session session;
        session.start();
        run(session, script);
    }

    // The server's NOTIFY-MODEMSTATE: one change bit and the level it left.
    void eachLineIsReadAndCountedOnItsOwn_data()
    {
        QTest::addColumn<quint8>("report");
        QTest::addColumn<QString>("levels"); // CD DSR CTS RI
        QTest::addColumn<QString>("counts"); // DCD DSR CTS RI, twice reported
        QTest::newRow("DCD") << quint8(0x88) << "1000"
                             << "2000";
        QTest::newRow("DSR") << quint8(0x22) << "0100"
                             << "0200";
        QTest::newRow("CTS") << quint8(0x11) << "0010"
                             << "0020";
        QTest::newRow("RI rang") << quint8(0x04) << "0000"
                                 << "0002";
        QTest::newRow("RI ringing") << quint8(0x40) << "0001"
                                    << "0000";
    }
    void eachLineIsReadAndCountedOnItsOwn()
    {
        QFETCH(quint8, report);
        QFETCH(QString, levels);
        QFETCH(QString, counts);
        const QByteArray wire = Telnet::comPortCommand(
            Telnet::ComPortCommand(quint8(Telnet::ComPortCommand::NotifyModemState) + Telnet::ServerReplyOffset),
            QByteArray(1, char(report)));
        Session before;
        QByteArray data;
        before.feed(wire, 0, data);
        // A reconnection carries the counts on.
        Session session;
        session.carryCountsFrom(before);
        session.feed(wire, 0, data);
        const ModemInputs in = session.modemInputs();
        QCOMPARE(QStringLiteral("%1%2%3%4").arg(in.cd).arg(in.dsr).arg(in.cts).arg(in.ri), levels);
        QString counted;
        for (const LineEvent event : {LineEvent::Dcd, LineEvent::Dsr, LineEvent::Cts, LineEvent::Ri})
            counted += QString::number(session.transitions()[event].value_or(9));
        QCOMPARE(counted, counts);
        // A server does not report receive errors.
        for (const LineEvent event : {LineEvent::Framing, LineEvent::Parity, LineEvent::Overrun, LineEvent::Break})
            QVERIFY(!session.transitions()[event]);
        QCOMPARE(data, QByteArray());
    }

    // However many requests go unanswered, only the latest are kept.
    void keepsABoundedNumberOfRequests()
    {
        Session session;
        const Session::RequestId first = session.request({{Telnet::ComPortCommand::SetParity, 1}}, 10);
        for (int i = 0; i < 3 * Session::MaxRequests; ++i)
            session.request({{Telnet::ComPortCommand::SetParity, 1}}, 10);
        QCOMPARE(session.keptRequests(), Session::MaxRequests);
        QCOMPARE(session.outcome(first, 0), Session::Outcome::TimedOut);
    }

    // A connection that drops every second for two minutes, then stays:
    // three lines after the first loss, not one a drop.
    void aFlappingConnectionIsToldOnceAMinute()
    {
        DropNews news(10000);
        QStringList said;
        const auto look = [&](qint64 now) {
            if (const std::optional<QString> line = news.due(now))
                said << *line;
        };
        QVERIFY(news.lost(0));
        for (qint64 now = 500; now < 120000; now += 1000) {
            news.back(now);
            look(now);
            QVERIFY(!news.lost(now + 500));
            look(now + 500);
        }
        news.back(120000);
        look(125000);
        QVERIFY(!news.isSettled());
        look(130000);
        QCOMPARE(said,
                 QStringList({"keeps dropping (60 times in the last minute)",
                              "keeps dropping (60 times in the last minute)", "is back"}));
        QVERIFY(news.isSettled() && news.lost(200000));
    }
};

QTEST_GUILESS_MAIN(ComPortSessionTest)
#include "tst_comportsession.moc"
