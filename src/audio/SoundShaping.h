#pragma once

namespace vok::audio {

// Key and tempo limits and steps the singer's keys move in.
inline constexpr int kMinKeySemitones = -6;
inline constexpr int kMaxKeySemitones = 6;
inline constexpr int kMinTempoPercent = 80;
inline constexpr int kMaxTempoPercent = 120;
inline constexpr int kTempoStepPercent = 5;

// How a stream's sound is shaped on its way to the device. Positions, lengths and seeks stay in
// the song's own time whatever the shaping.
struct SoundShaping {
    int KeySemitones = 0;        // kMinKeySemitones ... kMaxKeySemitones, the tempo kept
    int TempoPercent = 100;      // kMinTempoPercent ... kMaxTempoPercent, the key kept
    bool VocalsReduced = false;  // centre cancelled, bass kept; stereo streams only
    double GainDb = 0.0;         // even-loudness gain; a change moves there smoothly

    // Key and tempo as they are: the sound takes the plain path, sample for sample as unshaped.
    bool KeepsPitchAndTempo() const { return KeySemitones == 0 && TempoPercent == 100; }
    bool operator==(const SoundShaping&) const = default;
};

}  // namespace vok::audio
