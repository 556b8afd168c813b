#pragma once

#include <cstddef>

namespace vok::audio {

inline constexpr std::size_t kFftSize = 2048;
inline constexpr std::size_t kFftBins = kFftSize / 2;

// Magnitude scale: a full-scale sine centred on a bin reads 0.5 after the Hann window (whose
// coherent gain is 1/2), i.e. |X| · 2 / N; bin 0 has no mirror image and takes |X| / N.
inline constexpr float kFftMagnitudeScale = 2.0f / static_cast<float>(kFftSize);

// 1024 magnitudes of 2048 mono samples: periodic Hann window, real FFT. Thread-compatible: one
// call at a time.
void FftMagnitudes(const float* samples, float* magnitudes);

}  // namespace vok::audio
