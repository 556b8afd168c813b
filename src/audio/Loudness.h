#pragma once

#include <atomic>
#include <filesystem>
#include <optional>

namespace vok::audio {

// How loud a song is as a whole (EBU R128): its integrated loudness and its highest true peak.
struct Loudness {
    double IntegratedLufs = 0.0;
    double TruePeakDbtp = 0.0;
    bool operator==(const Loudness&) const = default;
};

// The even-loudness target: its default and the range a setting is held within.
inline constexpr double kDefaultTargetLufs = -16.0;
inline constexpr double kMinTargetLufs = -30.0;
inline constexpr double kMaxTargetLufs = -5.0;
// The true peak a gain never pushes a song above.
inline constexpr double kPeakCeilingDbtp = -1.0;

// Decodes the whole file and measures it. Nothing when the file cannot be decoded, holds only
// silence, or `cancel` was set meanwhile (it is looked at between blocks). Memory stays bounded
// whatever the length: the file is measured block by block.
std::optional<Loudness> MeasureLoudness(const std::filesystem::path& file,
                                        const std::atomic<bool>& cancel);

// The gain in dB that brings the song to `targetLufs`, but never so much that its true peak goes
// above kPeakCeilingDbtp. Negative for a song louder than the target.
double GainForLoudness(const Loudness& loudness, double targetLufs);

}  // namespace vok::audio
