// One frame of the spectrum analyser in each style, from the FFT data or samples of a chord.

#include "controls/MiniSpectrum.h"
#include "controls/SpectrumPicture.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

using vok::SpectrumPicture;
using vok::TSpectrumStyle;

// A chord: three loud bins and a little of everything else.
class ChordSource : public vok::SpectrumSource {
  public:
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
        for (int i = 0; i < frames * 2; ++i) {
            samples[i] = static_cast<float>(0.8 * std::sin(i * 0.07));
        }
        return true;
    }
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
