#include "audio/Spectrum.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/tx.h>
}

#include <array>
#include <cmath>
#include <numbers>

namespace vok::audio {

namespace {

class RealFft {
  public:
    RealFft() {
        float scale = 1.0f;
        if (av_tx_init(&context_, &transform_, AV_TX_FLOAT_RDFT, 0, static_cast<int>(kFftSize),
                       &scale, 0) < 0) {
            context_ = nullptr;
        }
        for (std::size_t i = 0; i < kFftSize; ++i) {
            window_[i] = 0.5f - 0.5f * static_cast<float>(std::cos(2.0 * std::numbers::pi *
                                                                   static_cast<double>(i) /
                                                                   static_cast<double>(kFftSize)));
        }
    }
    ~RealFft() { av_tx_uninit(&context_); }
    RealFft(const RealFft&) = delete;
    RealFft& operator=(const RealFft&) = delete;

    void Run(const float* samples, float* magnitudes) {
        if (context_ == nullptr) {
            std::fill(magnitudes, magnitudes + kFftBins, 0.0f);
            return;
        }
        for (std::size_t i = 0; i < kFftSize; ++i) {
            input_[i] = samples[i] * window_[i];
        }
        transform_(context_, output_.data(), input_.data(), sizeof(float));
        for (std::size_t k = 0; k < kFftBins; ++k) {
            const float magnitude = std::hypot(output_[k].re, output_[k].im);
            magnitudes[k] = magnitude * (k == 0 ? kFftMagnitudeScale / 2.0f : kFftMagnitudeScale);
        }
    }

  private:
    AVTXContext* context_ = nullptr;
    av_tx_fn transform_ = nullptr;
    alignas(32) std::array<float, kFftSize + 2> input_{};
    alignas(32) std::array<AVComplexFloat, kFftBins + 1> output_{};
    std::array<float, kFftSize> window_{};
};

}  // namespace

void FftMagnitudes(const float* samples, float* magnitudes) {
    static RealFft fft;
    fft.Run(samples, magnitudes);
}

}  // namespace vok::audio
