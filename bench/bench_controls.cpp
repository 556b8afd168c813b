// One frame of the spectrum analyser in each style, from the FFT data or samples of a chord.

#include "controls/MiniSpectrum.h"
#include "controls/SpectrumPicture.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using vok::SpectrumPicture;
using vok::TSpectrumStyle;

// A chord: three loud bins and a little of everything else.
class ChordSource : public vok::SpectrumSource {
  public:
    // The samples are made once: the engine hands over a copy, it computes nothing per frame.
    ChordSource() : wave_(2 * SpectrumPicture::WaveFrames) {
        for (std::size_t i = 0; i < wave_.size(); ++i) {
            wave_[i] = static_cast<float>(0.8 * std::sin(static_cast<double>(i) * 0.07));
        }
    }

    bool Playing() const override { return true; }
    bool Fft(float* magnitudes) const override {
        for (int bin = 0; bin < SpectrumPicture::FftBins; ++bin) {
            magnitudes[bin] = 0.001F;
        }
        magnitudes[10] = magnitudes[13] = magnitudes[15] = 0.2F;
        return true;
    }
    int Channels() const override { return 2; }
    bool Samples(float* samples, int frames) const override {
        std::copy_n(wave_.begin(), std::min<std::size_t>(wave_.size(), 2 * frames), samples);
        return true;
    }

  private:
    std::vector<float> wave_;
};

void BM_SpectrumFrame(benchmark::State& state) {
    ChordSource source;
    vok::TMiniSpectrum spectrum(source);
    spectrum.resize(200, 80);
    spectrum.SetActive(true);
    spectrum.SetStyle(static_cast<TSpectrumStyle>(state.range(0)));
    for (auto _ : state) {
        spectrum.UpdateFrame();
        benchmark::DoNotOptimize(spectrum.BackBuffer().constBits());
    }
}
BENCHMARK(BM_SpectrumFrame)
    ->ArgName("style")
    ->DenseRange(static_cast<int>(TSpectrumStyle::ssSmooth), static_cast<int>(TSpectrumStyle::ss3D))
    ->Unit(benchmark::kMicrosecond);

// The picture alone, without the control's copy into its back buffer.
void BM_SpectrumPictureWave(benchmark::State& state) {
    ChordSource source;
    std::vector<float> samples(2 * SpectrumPicture::WaveFrames);
    source.Samples(samples.data(), SpectrumPicture::WaveFrames);
    SpectrumPicture picture;
    for (auto _ : state) {
        picture.DrawWave(samples.data(), 2);
        benchmark::DoNotOptimize(picture.Image().constBits());
    }
}
BENCHMARK(BM_SpectrumPictureWave)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
