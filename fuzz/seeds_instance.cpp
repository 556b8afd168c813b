// Seeds for the hand-over decoder: what a second start sends, and the ways a frame goes wrong.
#include "Seeds.h"

#include <QString>

#include <cstdint>

namespace vok::fuzz {
namespace {

QByteArray Frame(std::uint32_t count, const QString& text, int extraLength = 0) {
    QByteArray bytes;
    const std::uint32_t length =
        4 + static_cast<std::uint32_t>((text.size() + 1) * 2) + extraLength;
    for (const std::uint32_t value : {length, count}) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.append(static_cast<char>((value >> shift) & 0xFF));
        }
    }
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF))
            .append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes.append(2, '\0');
}

const SeedRegistration kHandOverSeeds([] {
    return SeedSet{"instance_message",
                   {
                       Frame(1, QStringLiteral("/home/u/songs/twinkle.vok")),
                       Frame(2, QStringLiteral("/home/u/a.vok\r\n/AUTOQUIT\r\n")),
                       Frame(3, QString::fromUtf8("A\rB\nC\r\n\xc3\xa5\xf0\x9f\x8e\xa4")),
                       Frame(0, QStringLiteral("x")),                 // no parameters
                       Frame(1, QStringLiteral("x"), -2).chopped(2),  // no terminator
                       Frame(1, QStringLiteral("x")) + "!",           // trailing byte
                       Frame(1, QStringLiteral("x"), 1),              // odd length
                       QByteArray("\xff\xff\xff\x7f", 4),             // oversize
                       Frame(2, QString::fromLatin1("a\0b\r\n", 5)),  // zero inside
                   }};
});

}  // namespace
}  // namespace vok::fuzz
