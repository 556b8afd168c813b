// Feeds arbitrary bytes as an audio file through the decoder: whatever opens must deliver exactly
// the length its pre-scan reported, and every seek must land where a full decode says.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "InputFile.h"
#include "audio/Decoder.h"

namespace {

[[noreturn]] void Mismatch(const char* what, long long a, long long b) {
    std::fprintf(stderr, "decoder mismatch: %s (%lld vs %lld)\n", what, a, b);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = vok::fuzz::WriteInputFile(data, size, QStringLiteral("input.mp3"));
    if (path.isEmpty()) {
        return 0;
    }
    auto decoder = vok::audio::Decoder::Open(path.toStdString());
    if (!decoder) {
        return 0;
    }
    const int channels = decoder->Channels();
    const std::int64_t length = decoder->Length();
    std::vector<float> all;
    while (decoder->Read(all, 4096) > 0) {
    }
    const auto decoded = static_cast<std::int64_t>(all.size()) / channels;
    if (decoded != length) {
        Mismatch("frames decoded vs length", decoded, length);
    }
    const std::int64_t targets[] = {length - 1, length / 3, 1, length / 2 + 7, 0, length - 1153};
    for (const std::int64_t target : targets) {
        if (target < 0 || target >= length) {
            continue;
        }
        if (!decoder->SeekTo(target) || decoder->NextFrame() != target) {
            Mismatch("seek", decoder->NextFrame(), target);
        }
        std::vector<float> got;
        const std::int64_t want = std::min<std::int64_t>(64, length - target);
        const std::int64_t frames = decoder->Read(got, want);
        if (frames != want) {
            Mismatch("frames after a seek", frames, want);
        }
        // Decoders settle within the preroll; a misplaced seek differs by far more.
        for (std::int64_t i = 0; i < frames * channels; ++i) {
            const float expected = all[static_cast<std::size_t>(target * channels + i)];
            if (std::abs(got[static_cast<std::size_t>(i)] - expected) > 1e-3f) {
                Mismatch("sample after a seek to frame", target, i / channels);
            }
        }
    }
    return 0;
}
