#pragma once

namespace vok {

// Where the spectrum analyser takes its sound from: the stream that plays now.
class SpectrumSource {
  public:
    virtual ~SpectrumSource() = default;

    virtual bool Playing() const = 0;
    // 1024 FFT magnitudes of the 2048 frames being heard; false when there are none.
    virtual bool Fft(float* magnitudes) const = 0;
    virtual int Channels() const = 0;
    // `frames` × Channels() interleaved samples from the frame being heard.
    virtual bool Samples(float* samples, int frames) const = 0;
};

}  // namespace vok
