// Feeds arbitrary bytes to the hand-over decoder, whole and as they would trickle in, and checks
// that a decoded message encodes back to the same frame.
#include <QtEndian>
#include <cstdint>
#include <vector>

#include "instance/HandOverMessage.h"

namespace {

void Check(bool holds) {
    if (!holds) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Status = vok::HandOverDecode::Status;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    constexpr qsizetype kCap = 4096;  // small, so the cap is reached too
    const vok::HandOverDecode whole = vok::DecodeHandOver(bytes, kCap);

    // A receiver sees prefixes on their way to the whole: the header's, and the frame's last
    // bytes. A prefix judged bad is judged so for good; one taken whole means the rest is extra.
    std::vector<qsizetype> cuts = {0, 1, 3, 4, 5, 7, 8, 9, bytes.size() - 1};
    if (bytes.size() >= 4) {
        const qsizetype frameEnd =
            4 + static_cast<qsizetype>(qFromLittleEndian<std::uint32_t>(data));
        cuts.insert(cuts.end(), {frameEnd - 1, frameEnd});
    }
    for (const qsizetype cut : cuts) {
        if (cut < 0 || cut >= bytes.size()) {
            continue;
        }
        const Status early = vok::DecodeHandOver(bytes.first(cut), kCap).status;
        if (early == Status::Complete) {
            Check(whole.status == Status::Malformed);
        } else if (early != Status::Incomplete) {
            Check(early == whole.status);
        }
    }
    if (whole.status != Status::Complete) {
        Check(whole.status == Status::Incomplete || !whole.error.isEmpty());
        return 0;
    }
    Check(bytes.size() <= kCap && whole.message.Count > 0);
    Check(!whole.message.Text.contains(QChar(0)));
    // Re-encoding drops whatever followed the first zero of the text, so it is never longer.
    const QByteArray again = vok::EncodeHandOver(whole.message);
    Check(again.size() <= bytes.size());
    const vok::HandOverDecode round = vok::DecodeHandOver(again, kCap);
    Check(round.status == Status::Complete && round.message.Text == whole.message.Text &&
          round.message.Count == whole.message.Count);

    const QStringList parameters = vok::HandedParameters(whole.message);
    if (whole.message.Count == 1) {
        Check(parameters.size() == 1);
    }
    for (const QString& parameter : parameters) {
        Check(!parameter.contains(QLatin1Char('\r')) || whole.message.Count == 1);
        Check(!parameter.contains(QLatin1Char('\n')) || whole.message.Count == 1);
    }
    return 0;
}
