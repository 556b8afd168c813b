// Opening (pre-scan), seeking, playback cost and the spectrum transform of the audio layer.
// The sound files are generated at start-up with the ffmpeg command into a temporary folder.

#include "audio/AudioLibrary.h"
#include "audio/Decoder.h"
#include "audio/Loudness.h"
#include "audio/Shaper.h"
#include "audio/Spectrum.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace vok::audio;

struct Files {
    QTemporaryDir dir;
    std::filesystem::path tenMinutesMp3;
    std::filesystem::path minuteMp3;
    std::filesystem::path fourMinutesMp3;
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
        // A song's length of stereo music-like sound: two tones and pink noise.
        fourMinutesMp3 = make("four.mp3",
                              "'sine=f=220:d=240,aformat=channel_layouts=mono[a];"
                              "anoisesrc=c=pink:a=0.1:d=240[b];[a][b]amix' -ar 44100",
                              "-c:a libmp3lame -q:a 2");
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

// Files that must open or fail fast and small whatever their size: a 2 GB sparse file (zeros), 200
// MB of noise, and a 3-minute song followed by 500 MB of zeros (sparse too: no disk).
struct HostileFiles {
    QTemporaryDir dir;
    std::filesystem::path sparse;
    std::filesystem::path noise;
    std::filesystem::path songThenZeros;
    bool ok = true;

    HostileFiles() {
        const std::filesystem::path root = dir.path().toStdString();
        sparse = root / "sparse.mp3";
        ok = Extend(sparse, std::int64_t{2} << 30);
        noise = root / "noise.mp3";
        std::ofstream out(noise, std::ios::binary);
        std::mt19937_64 generator(42);
        std::vector<std::uint64_t> block(1 << 17);  // 1 MB
        for (int i = 0; i < 200; ++i) {
            std::generate(block.begin(), block.end(), generator);
            out.write(reinterpret_cast<const char*>(block.data()),
                      static_cast<std::streamsize>(block.size() * sizeof(std::uint64_t)));
        }
        out.close();
        songThenZeros = root / "song-then-zeros.mp3";
        const std::string command =
            "ffmpeg -nostdin -loglevel error -y -f lavfi -i "
            "sine=frequency=440:sample_rate=44100:duration=180 -ac 2 -c:a libmp3lame -b:a 128k '" +
            songThenZeros.string() + "'";
        ok = ok && out.good() && std::system(command.c_str()) == 0 &&
             Extend(songThenZeros,
                    static_cast<std::int64_t>(std::filesystem::file_size(songThenZeros)) +
                        (std::int64_t{500} << 20));
    }
    static bool Extend(const std::filesystem::path& path, std::int64_t size) {
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
        const bool extended = fd >= 0 && ::ftruncate(fd, size) == 0;
        if (fd >= 0) {
            ::close(fd);
        }
        return extended;
    }
};

HostileFiles& Hostile() {
    static HostileFiles files;
    return files;
}

// Peak resident memory of a fresh process (this program, run with kOpenOnly) that does nothing
// but open the file: the whole process, libraries included.
constexpr const char* kOpenOnly = "--open-only";

double OpenPeakMegabytes(const std::filesystem::path& file) {
    const pid_t child = fork();
    if (child == 0) {
        execl("/proc/self/exe", "bench_audio", kOpenOnly, file.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 127) {
        return -1.0;
    }
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_OpenHostileFile(benchmark::State& state, int which) {
    auto& files = Hostile();
    if (!files.ok) {
        state.SkipWithError("cannot make the files");
        return;
    }
    const auto& file = which == 0 ? files.sparse : which == 1 ? files.noise : files.songThenZeros;
    const bool opens = which == 2;
    double seconds = 0.0;
    for (auto _ : state) {
        auto decoder = Decoder::Open(file);
        if ((decoder != nullptr) != opens) {
            state.SkipWithError(opens ? "song not opened" : "junk opened");
            return;
        }
        seconds = decoder ? static_cast<double>(decoder->Length()) / decoder->Rate() : 0.0;
    }
    state.counters["length_s"] = seconds;
    state.counters["peak_MB"] = OpenPeakMegabytes(file);
}
BENCHMARK_CAPTURE(BM_OpenHostileFile, sparse_2GB, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenHostileFile, noise_200MB, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenHostileFile, song3min_zeros500MB, 2)->Unit(benchmark::kMillisecond);

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
// Even loudness: integrated loudness and true peak of a four-minute MP3, decoding included.
void BM_MeasureLoudness_FourMinuteMp3(benchmark::State& state) {
    const std::atomic<bool> goOn{false};
    for (auto _ : state) {
        const auto loudness = MeasureLoudness(TestFiles().fourMinutesMp3, goOn);
        if (!loudness) {
            state.SkipWithError("not measured");
            break;
        }
        benchmark::DoNotOptimize(loudness->IntegratedLufs);
    }
}
BENCHMARK(BM_MeasureLoudness_FourMinuteMp3)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK(BM_Fft2048)->Unit(benchmark::kMicrosecond);

// CPU of the shaping stage on 60 s of stereo at 44.1 kHz: key 0 (the plain path) against key +3
// through either core of the stretcher. Compare the CPU times; seconds per song-minute directly.
void BM_Shape60s(benchmark::State& state) {
    const bool finer = state.range(0) != 0;
    const int key = static_cast<int>(state.range(1));
    vok::audio::Shaper shaper(
        44100, true, finer ? vok::audio::StretchEngine::Finer : vok::audio::StretchEngine::Faster);
    std::vector<float> chunk;
    std::vector<vok::audio::ShapedRun> runs;
    for (auto _ : state) {
        shaper.Reset(vok::audio::SoundShaping{key, 100, false, 0.0});
        for (int block = 0; block < 60 * 44100 / 2048; ++block) {
            chunk.resize(2 * 2048);
            for (int i = 0; i < 2048; ++i) {
                const double t = (block * 2048 + i) / 44100.0;
                chunk[2 * i] = static_cast<float>(0.3 * std::sin(2 * 3.14159265 * 440 * t));
                chunk[2 * i + 1] = static_cast<float>(0.3 * std::sin(2 * 3.14159265 * 660 * t));
            }
            runs.clear();
            shaper.Process(chunk, false, runs);
            benchmark::DoNotOptimize(chunk.data());
        }
    }
}
BENCHMARK(BM_Shape60s)
    ->ArgsProduct({{0, 1}, {0, 3}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == kOpenOnly) {
        return Decoder::Open(argv[2]) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
