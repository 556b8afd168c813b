#pragma once

#include "controls/SpectrumSource.h"

namespace vok {

class PlaybackEngine;

// The spectrum analyser's sound: the engine's open stream, read through the audio layer.
class StreamSpectrum : public SpectrumSource {
  public:
    explicit StreamSpectrum(const PlaybackEngine& engine) : engine_(engine) {}

    bool Playing() const override;
    bool Fft(float* magnitudes) const override;
    int Channels() const override;
    bool Samples(float* samples, int frames) const override;

  private:
    const PlaybackEngine& engine_;
};

}  // namespace vok
