// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// libFuzzer target for the Telnet decoder, which reads whatever a remote
// serial server sends. Beyond not crashing, the decoder must give the same
// result however the stream is cut into chunks, keep its memory bounded,
// never count more bytes as discarded than it was given, and be back in step
// once anything open is closed. A broken property aborts with a message,
// which libFuzzer then saves as a crash file.
//
//   telnet_fuzzer -max_len=4096 CORPUS_DIR fuzz/corpus-telnet

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    const QByteArrayView input(bytes, qsizetype(size));

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
