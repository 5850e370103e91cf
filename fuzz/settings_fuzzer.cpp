// SPDX-License-Identifier: LicenseRef-Draventa-freeware
// libFuzzer target for everything that turns user text into port settings:
// the settings string and the handshaking list's text, written to a closed
// and to an open serial control. Any broken property aborts with the input
// spelled out, which libFuzzer then saves as a crash file.

#include "settingsinvariants.h"

#include "serial/mscomm.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The simulated plug: the same control code a device gets, with a
// port that opens anywhere and never refuses a format.
struct Ports
{
    MSCommLib::MSComm closed{1, QStringLiteral("loopback")};
    MSCommLib::MSComm open{2, QStringLiteral("loopback")};
    Ports() { open.setPortOpen(true); }
};

Ports &ports()
{
    static Ports instance;
    return instance;
}

void require(const QString &failure)
{
    if (failure.isEmpty())
        return;
    std::fprintf(stderr, "sernix settings fuzzer: invariant broken: %s\n", failure.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

void checkText(const QString &text, std::size_t variant)
{
    using namespace Sernix::Fuzz::SettingsInvariants;
    const QString &previous = previousSettings()[variant % previousSettings().size()];
    const int previousMode = int(variant % 4);
    for (MSCommLib::MSComm *port : {&ports().closed, &ports().open}) {
        require(checkSettingsText(*port, previous, text));
        require(checkHandshakingText(*port, previousMode, text));
    }
}

// Bytes as Latin-1 characters, except that 0xFF takes the next two bytes
// as one UTF-16 code unit (high byte first). Readable inputs stay readable,
// and any code unit, a lone surrogate included, is three bytes away: a
// mutation the fuzzer finds far sooner than a valid UTF-8 sequence in the
// right place.
QString withEscapedCodeUnits(const std::uint8_t *data, std::size_t size)
{
    QString text;
    text.reserve(qsizetype(size));
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xff && i + 2 < size) {
            text += QChar(char16_t(data[i + 1] << 8 | data[i + 2]));
            i += 2;
        } else {
            text += QChar(char16_t(data[i]));
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // As typed (UTF-8, broken sequences becoming U+FFFD), and character by
    // character with any code unit reachable.
    checkText(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)), size);
    checkText(withEscapedCodeUnits(data, size), size + 1);
    return 0;
}
