// Opening (pre-scan), seeking, playback cost and the spectrum transform of the audio layer.
// The sound files are generated at start-up with the ffmpeg command into a temporary folder.

#include "audio/AudioLibrary.h"
#include "audio/Decoder.h"
#include "audio/Spectrum.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace vok::audio;

struct Files {
    QTemporaryDir dir;
    std::filesystem::path tenMinutesMp3;
    std::filesystem::path minuteMp3;
    std::filesystem::path minuteOgg;
    std::filesystem::path minuteWma;
    bool ok = true;

    Files() {
        auto make = [this](const char* name, const char* source, const char* codec) {
            const std::filesystem::path out =
                std::filesystem::path(dir.path().toStdString()) / name;
            const std::string command =
                std::string("ffmpeg -nostdin -loglevel error -y -f lavfi -i ") + source +
                " -ac 2 " + codec + " '" + out.string() + "'";
            ok = ok && std::system(command.c_str()) == 0;
            return out;
        };
        const char* tone = "sine=frequency=440:sample_rate=44100:duration=";
        tenMinutesMp3 =
            make("ten.mp3", (std::string(tone) + "600").c_str(), "-c:a libmp3lame -q:a 2");
        minuteMp3 =
            make("minute.mp3", (std::string(tone) + "60").c_str(), "-c:a libmp3lame -q:a 2");
        minuteOgg = make("minute.ogg", (std::string(tone) + "60").c_str(), "-c:a libvorbis");
        minuteWma = make("minute.wma", (std::string(tone) + "60").c_str(), "-c:a wmav2 -b:a 128k");
    }
};

Files& TestFiles() {
    static Files files;
    return files;
}

void OpenNullDevice() {
    static const bool opened = Init(kDeviceNull, 44100, 0);
    (void)opened;
}

void BM_StreamCreateFile_TenMinuteMp3(benchmark::State& state) {
    auto& files = TestFiles();
    OpenNullDevice();
    for (auto _ : state) {
        const Handle h =
            StreamCreateFile(false, files.tenMinutesMp3, 0, 0, kStreamUnicode | kStreamPrescan);
        if (h == 0) {
            state.SkipWithError("cannot open");
            break;
        }
        state.PauseTiming();
        StreamFree(h);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StreamCreateFile_TenMinuteMp3)->Unit(benchmark::kMillisecond);

void BM_FullDecode_TenMinuteMp3(benchmark::State& state) {
    auto& files = TestFiles();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Decoder::FullDecodeFrames(files.tenMinutesMp3));
    }
}
BENCHMARK(BM_FullDecode_TenMinuteMp3)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Seek(benchmark::State& state, int format) {
    auto& files = TestFiles();
    const auto& file = format == 0   ? files.minuteMp3
                       : format == 1 ? files.minuteOgg
                                     : files.minuteWma;
    auto decoder = Decoder::Open(file);
    if (!decoder) {
        state.SkipWithError("cannot open");
        return;
    }
    std::int64_t target = 0;
    for (auto _ : state) {
        // Spread over the file, forwards and backwards.
        target = (target + decoder->Length() * 7 / 13) % (decoder->Length() - 1);
        benchmark::DoNotOptimize(decoder->SeekTo(target));
    }
}
BENCHMARK_CAPTURE(BM_Seek, mp3, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Seek, ogg, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Seek, wma, 2)->Unit(benchmark::kMillisecond);

// CPU of all threads (decoder + device) per second of playback; 15 ms = 1.5 % of a core.
void BM_PlaybackCpuPerSecond(benchmark::State& state) {
    auto& files = TestFiles();
    OpenNullDevice();
    const Handle h =
        StreamCreateFile(false, files.minuteMp3, 0, 0, kStreamUnicode | kStreamPrescan);
    ChannelPlay(h, true);
    for (auto _ : state) {
        NullDeviceAdvance(1.0);
        if (ChannelIsActive(h) != kActivePlaying) {
            state.PauseTiming();
            ChannelPlay(h, true);
            state.ResumeTiming();
        }
    }
    StreamFree(h);
}
BENCHMARK(BM_PlaybackCpuPerSecond)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_Fft2048(benchmark::State& state) {
    std::vector<float> samples(kFftSize);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(std::sin(0.1 * static_cast<double>(i)));
    }
    std::vector<float> magnitudes(kFftBins);
    for (auto _ : state) {
        FftMagnitudes(samples.data(), magnitudes.data());
        benchmark::DoNotOptimize(magnitudes.data());
    }
}
BENCHMARK(BM_Fft2048)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
