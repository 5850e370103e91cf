// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// libFuzzer target for the Telnet decoder, which reads whatever a remote
// serial server sends. Beyond not crashing, the decoder must give the same
// result however the stream is cut into chunks, keep its memory bounded,
// never count more bytes as discarded than it was given, and be back in step
// once anything open is closed. A broken property aborts with a message,
// which libFuzzer then saves as a crash file.
//
// The RFC 2217 session is driven by the same stream, cut where the input
// says, with requests sent and time passing in between: its memory stays
// bounded, no request is answered twice, and a reply to a request given up
// never confirms a later one.
//
//   telnet_fuzzer -max_len=4096 CORPUS_DIR fuzz/corpus-telnet

#include "serial/comportsession.h"
#include "serial/telnetcodec.h"
#include "serial/telnetoptions.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace MSCommLib::Telnet;

namespace {

struct Decoded
{
    QByteArray data;
    QList<Event> events;
    qint64 discarded = 0;

    bool operator==(const Decoded &) const = default;
};

void require(bool holds, const char *property)
{
    if (holds)
        return;
    std::fprintf(stderr, "sernix telnet fuzzer: property broken: %s\n", property);
    std::fflush(stderr);
    std::abort();
}

// Feeds the stream in chunks of chunkSize bytes, the last one shorter.
Decoded decodeInChunks(Decoder &decoder, QByteArrayView stream, qsizetype chunkSize)
{
    Decoded result;
    for (qsizetype at = 0; at < stream.size(); at += chunkSize)
        result.events += decoder.feed(stream.sliced(at, qMin(chunkSize, stream.size() - at)), result.data);
    result.discarded = decoder.discardedBytes();
    return result;
}

// The stream also steers the session: after a NUL, a byte sends a request
// of one kind (a value the server then may or may not repeat), lets time
// pass, or looks at the outcomes; the rest goes to it as server bytes. A decoder of its own tells the
// replies that came while each request was still awaited.
void driveSession(QByteArrayView input)
{
    using MSCommLib::ComPortSession;
    using Outcome = ComPortSession::Outcome;
    struct Sent
    {
        ComPortSession::RequestId id;
        ComPortSession::Setting setting;
        qint64 deadline;
        bool repeatedInTime = false; // its value came back before its deadline
        std::optional<Outcome> settled;
    };
    ComPortSession session;
    session.start();
    Decoder replies;
    QList<Sent> sent;
    qint64 now = 0;
    QByteArray data;
    for (qsizetype at = 0; at < input.size(); ++at) {
        // A NUL introduces a step; NUL NUL is a NUL sent by the server.
        const bool step = input[at] == '\0' && at + 1 < input.size() && input[++at] != '\0';
        const auto code = quint8(input[at]);
        if (!step) {
            session.feed(input.sliced(at, 1), now, data);
            for (const Event &event : replies.feed(input.sliced(at, 1), data)) {
                const auto reply = parseComPortReply(event.payload);
                for (Sent &request : sent) {
                    if (event.option == Option::ComPort && reply && reply->command == request.setting.command
                        && reply->value == request.setting.value && now < request.deadline)
                        request.repeatedInTime = true;
                }
            }
        } else if (code < 0x80) {
            const ComPortSession::Setting setting{ComPortCommand(1 + code % 5), code / 5 % 3u};
            const qint64 deadline = now + 1 + code % 7;
            sent.append({session.request({setting}, deadline), setting, deadline, false, std::nullopt});
        } else if (code < 0xc0) {
            now += code - 0x7f;
        }
        require(session.keptRequests() <= ComPortSession::MaxRequests, "requests kept without bound");
        require(session.takeOutgoing().size() <= 64, "more due to the server than one step makes");
        for (Sent &request : sent) {
            if (!step || code < 0xc0)
                continue; // outcomes are looked at only now and then
            const Outcome outcome = session.outcome(request.id, now);
            require(outcome != Outcome::Confirmed || request.repeatedInTime, "confirmed by no reply in time");
            if (request.settled)
                require(outcome == *request.settled || outcome == Outcome::TimedOut, "request answered twice");
            else if (outcome != Outcome::Pending)
                request.settled = outcome;
        }
        if (sent.size() > 2 * ComPortSession::MaxRequests)
            sent.removeFirst();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    const QByteArrayView input(bytes, qsizetype(size));
    driveSession(input);

    Decoder whole;
    const Decoded all = decodeInChunks(whole, input, qMax<qsizetype>(input.size(), 1));
    require(all.discarded <= input.size(), "discarded more bytes than were fed");
    OptionNegotiation options;
    options.requests();
    for (const Event &event : all.events) {
        // One negotiation is answered with one command at most, or a hostile
        // server could make the client send more than it was sent.
        require(options.answer(event.command, event.option).size() <= 3, "one negotiation answered with more");
        const bool negotiation = event.command >= Command::Will && event.command <= Command::Dont;
        require(negotiation || event.command == Command::Sb, "event is neither negotiation nor subnegotiation");
        require(negotiation || event.payload.size() <= Decoder::MaxPayloadSize, "payload over the cap");
        require(!negotiation || event.payload.isEmpty(), "negotiation with a payload");
        if (event.command == Command::Sb && event.option == Option::ComPort) {
            const auto reply = parseComPortReply(event.payload);
            require(!reply || reply->command == ComPortCommand::SetBaudRate || reply->value <= 0xff,
                    "one-byte reply with a wider value");
        }
    }

    // The same stream byte by byte and in chunks of a size the input picks.
    for (const qsizetype chunkSize : {qsizetype(1), qsizetype(size ? bytes[0] % 16 + 2 : 2)}) {
        Decoder pieces;
        require(decodeInChunks(pieces, input, chunkSize) == all, "result depends on where chunks are cut");
    }

    // A NUL completes any half-read command and IAC SE closes any
    // subnegotiation; after that, what the client's own encoder would write
    // must come through exactly, whatever came before.
    const QByteArrayView value = input.first(qMin(input.size(), Decoder::MaxPayloadSize - 1));
    const QByteArray tail = escaped(input) + negotiation(Command::Will, Option::Binary)
        + comPortCommand(ComPortCommand::NotifyModemState, value);
    Decoded resynced;
    whole.feed(QByteArrayView("\0\xff\xf0", 3), resynced.data);
    const qint64 discardedBefore = whole.discardedBytes();
    resynced.data.clear();
    resynced.events = whole.feed(tail, resynced.data);
    require(resynced.data == input, "escaped data does not come back unchanged");
    require(whole.discardedBytes() == discardedBefore, "well-formed bytes discarded");
    const QByteArray payload = char(ComPortCommand::NotifyModemState) + value.toByteArray();
    require(resynced.events
                == QList<Event>{{Command::Will, Option::Binary, {}}, {Command::Sb, Option::ComPort, payload}},
            "encoded commands do not come back unchanged");
    return 0;
}
