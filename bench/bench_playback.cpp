// What the user waits for in the engine: opening a song (the pre-scan), and what the display tick
// asks of it thirty times a second.
#include "audio/AudioLibrary.h"
#include "audio/PlaybackEngine.h"
#include "support/TempDir.h"

#include <QProcess>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using vok::PlaybackEngine;

// A four-minute stereo song, made once per run.
const QString& SongPath() {
    static vok::test::TempDir dir;
    static const QString path = [] {
        const QString file = dir.FilePath("song.mp3");
        QProcess::execute("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                     "sine=frequency=440:sample_rate=44100:duration=240", "-ac",
                                     "2", "-c:a", "libmp3lame", "-b:a", "128k", file});
        return file;
    }();
    return path;
}

struct Rig {
    PlaybackEngine engine;
};

void BM_OpenSong(benchmark::State& state) {
    Rig rig;
    rig.engine.StartAudio(vok::audio::kDeviceNull);
    const QString& path = SongPath();
    for (auto _ : state) {
        if (!rig.engine.OpenSong(path)) {
            state.SkipWithError("the song did not open");
            break;
        }
    }
}
BENCHMARK(BM_OpenSong)->Unit(benchmark::kMillisecond);

void BM_TickPositionRead(benchmark::State& state) {
    Rig rig;
    rig.engine.StartAudio(vok::audio::kDeviceNull);
    if (!rig.engine.OpenSong(SongPath()) || !rig.engine.StartPlay()) {
        state.SkipWithError("the song did not open");
        return;
    }
    vok::audio::NullDeviceAdvance(1.0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(rig.engine.IsPlaying());
        benchmark::DoNotOptimize(rig.engine.ReadPosition());
    }
}
BENCHMARK(BM_TickPositionRead);

// Sounds for the shaping measurements, 44.1 kHz stereo WAV (no encoder delay): a steady 440 Hz
// tone; a chirp rising 300 → 1300 Hz every second, so the pitch heard tells the song time heard;
// 150 ms bursts of 440 Hz starting exactly every 0.5 s of song time, silence between.
struct ShapingSounds {
    vok::test::TempDir dir;
    QString tone = Make("tone.wav", "0.5*sin(2*PI*440*t)", 7);
    QString chirp = Make("chirp.wav", "0.5*sin(2*PI*(300*mod(t,1)+500*mod(t,1)*mod(t,1)))", 7);
    QString bursts = Make("bursts.wav", "0.5*sin(2*PI*440*t)*between(mod(t,0.5),0,0.15)", 3);

    QString Make(const char* name, const char* expression, int seconds) {
        const QString file = dir.FilePath(name);
        QProcess::execute(
            "ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                       QString("aevalsrc='%1':s=44100:d=%2").arg(expression).arg(seconds), "-ac",
                       "2", "-c:a", "pcm_s16le", file});
        return file;
    }
};

const ShapingSounds& Sounds() {
    static const ShapingSounds sounds;
    return sounds;
}

constexpr double kRate = 44100.0;

double Median(std::vector<double> values) {
    if (values.empty()) {
        return NAN;
    }
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : 0.5 * (values[mid - 1] + values[mid]);
}

// Rising zero crossings of the left channel in frames [from, to), interpolated, in frames.
std::vector<double> Crossings(const std::vector<float>& sound, std::size_t from, std::size_t to) {
    std::vector<double> crossings;
    to = std::min(to, sound.size() / 2);
    for (std::size_t i = std::max<std::size_t>(from, 1); i < to; ++i) {
        const float a = sound[2 * (i - 1)];
        const float b = sound[2 * i];
        if (a < 0.0f && b >= 0.0f) {
            crossings.push_back(static_cast<double>(i - 1) + a / (a - b));
        }
    }
    return crossings;
}

// Largest sample-to-sample step of the left channel over frames [from, to).
double LargestStep(const std::vector<float>& sound, std::size_t from, std::size_t to) {
    double step = 0.0;
    to = std::min(to, sound.size() / 2);
    for (std::size_t i = std::max<std::size_t>(from, 1); i < to; ++i) {
        step = std::max(step, static_cast<double>(std::abs(sound[2 * i] - sound[2 * i - 2])));
    }
    return step;
}

// One live change on the null device: `file` plays from its start, at device time `at` the
// engine's shaping becomes `shaping`, and 0.6 s more are recorded. The recording starts with the
// device, so its frame i is handed over at i / rate of device time; it is heard `heardDelay`
// later, the offset of the engine's own heard-position clock (read just before the change, on
// the plain path where output frame and song frame are one).
struct LiveChange {
    std::vector<float> sound;
    double at = 0.0;
    double heardDelay = 0.0;
};

std::optional<LiveChange> PlayAndChange(const QString& file,
                                        const vok::audio::SoundShaping& shaping, double at) {
    PlaybackEngine engine;
    if (engine.StartAudio(vok::audio::kDeviceNull) != vok::AudioStartup::Ready) {
        return std::nullopt;
    }
    LiveChange change;
    change.at = at;
    vok::audio::NullDeviceRecord(&change.sound);
    if (!engine.OpenSong(file) || !engine.StartPlay()) {
        vok::audio::NullDeviceRecord(nullptr);
        return std::nullopt;
    }
    const double buffer = vok::audio::DeviceBufferFrames() / kRate;
    double now = 0.0;
    for (; now + buffer <= at; now += buffer) {
        vok::audio::NullDeviceAdvance(buffer);
    }
    vok::audio::NullDeviceAdvance(at - now);
    // As on a real device, whose clock gives the decoder time to fill the ring ahead.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (vok::audio::ChannelGetData(engine.Stream(), nullptr, vok::audio::kDataAvailable) <
               32768 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::uint64_t heardBytes =
        vok::audio::ChannelGetPosition(engine.Stream(), vok::audio::kPosByte);
    change.heardDelay = at - static_cast<double>(heardBytes / 4) / kRate;
    engine.SetShaping(shaping);
    vok::audio::NullDeviceAdvance(0.6);
    vok::audio::NullDeviceRecord(nullptr);
    engine.CloseStream();
    return change;
}

// Device time from the change to the first output frame of a 4-period window whose zero-crossing
// frequency is, with the eight windows after it, within ±2 Hz of `hz`.
double HeardPitchLatency(const LiveChange& change, double hz) {
    const auto from = static_cast<std::size_t>(change.at * kRate);
    const std::vector<double> c = Crossings(change.sound, from, from + 22050);
    auto near = [&](std::size_t j) {
        return std::abs(4.0 * kRate / (c[j + 4] - c[j]) - hz) <= 2.0;
    };
    for (std::size_t j = 0; j + 12 < c.size(); ++j) {
        bool steady = true;
        for (std::size_t k = j; k <= j + 8 && steady; ++k) {
            steady = near(k);
        }
        if (steady) {
            return c[j] / kRate + change.heardDelay - change.at;
        }
    }
    return NAN;
}

// The chirp's pitch is its song time (mod 1 s): a line of slope 1 against device time before the
// change and of slope tempo after it. The two lines, fitted with those slopes away from the join,
// meet where the stretched sound begins; from the change to there, plus the heard delay, is the
// latency. Fitted slopes would be freer but amplify the stretcher's slight pitch lag on a chirp
// (0.8965 for 0.9) into a 10 ms error at the join; with the slopes fixed the lag of about 0.25 ms
// of song time puts the join some 2.5 ms late.
double HeardTempoLatency(const LiveChange& change, double tempo) {
    auto offset = [&](double from, double to, double slope) {
        const std::vector<double> c =
            Crossings(change.sound, static_cast<std::size_t>(from * kRate),
                      static_cast<std::size_t>(to * kRate));
        double sum = 0.0;
        for (std::size_t j = 0; j + 2 < c.size(); ++j) {
            const double x = 0.5 * (c[j] + c[j + 2]) / kRate;
            const double songTime = (2.0 * kRate / (c[j + 2] - c[j]) - 300.0) / 1000.0;
            sum += songTime - slope * x;
        }
        return c.size() > 2 ? sum / static_cast<double>(c.size() - 2) : NAN;
    };
    const double before = offset(change.at - 0.25, change.at - 0.01, 1.0);
    const double after = offset(change.at + 0.15, change.at + 0.45, tempo);
    const double join = (after - before) / (1.0 - tempo);
    return join + change.heardDelay - change.at;
}

// Largest step of the tone from just before the change to 250 ms after it, against its largest
// step over the half second before: about 1 without a click (at key +2 the higher tone's own
// step and the crossfade's slope make it up to 1.25); a click or a gap's edge shows as several
// times that.
double JumpRatio(const LiveChange& change) {
    const auto at = static_cast<std::size_t>(change.at * kRate);
    const double normal = LargestStep(change.sound, at - 22050, at - 2205);
    return LargestStep(change.sound, at - 441, at + 11025) / normal;
}

// Quietest 2.5 ms of the tone (each window holds a whole period, so its peak is the tone's
// level) over the 250 ms after the change, against the level before: 1 when the sound runs on,
// less where the old and the new sound cancel in the crossfade or the new one fades in.
double LevelDipRatio(const LiveChange& change) {
    const auto at = static_cast<std::size_t>(change.at * kRate);
    auto peak = [&](std::size_t from, std::size_t to) {
        float level = 0.0f;
        for (std::size_t i = from; i < std::min(to, change.sound.size() / 2); ++i) {
            level = std::max(level, std::abs(change.sound[2 * i]));
        }
        return static_cast<double>(level);
    };
    const double normal = peak(at - 22050, at - 2205);
    double quietest = normal;
    for (std::size_t from = at; from + 110 <= at + 11025; from += 22) {
        quietest = std::min(quietest, peak(from, from + 110));
    }
    return quietest / normal;
}

// Key press → heard change, on the null device's virtual clock: a 440 Hz tone, and a live change
// at five device times spread over the callback grid. The key's latency is when the heard pitch
// becomes 493.9 Hz; the tempo's, when the song time heard starts running at 90 %.
void BM_ShapingChangeHeard(benchmark::State& state, bool key) {
    const ShapingSounds& sounds = Sounds();
    const vok::audio::SoundShaping shaping{key ? 2 : 0, key ? 100 : 90, false, 0.0};
    std::vector<double> latencies;
    std::vector<double> jumps;
    std::vector<double> levels;
    for (auto _ : state) {
        for (int point = 0; point < 5; ++point) {
            const double at = 1.5 + point * 1.0071;
            const auto tone = PlayAndChange(sounds.tone, shaping, at);
            const auto chirp = key ? tone : PlayAndChange(sounds.chirp, shaping, at);
            if (!tone || !chirp) {
                state.SkipWithError("the sound did not play");
                return;
            }
            latencies.push_back(1000.0 *
                                (key ? HeardPitchLatency(*tone, 440.0 * std::pow(2.0, 2.0 / 12.0))
                                     : HeardTempoLatency(*chirp, 0.9)));
            jumps.push_back(JumpRatio(*tone));
            levels.push_back(LevelDipRatio(*tone));
        }
    }
    state.counters["latency_ms"] = Median(latencies);
    state.counters["latency_max_ms"] = *std::max_element(latencies.begin(), latencies.end());
    state.counters["jump_ratio_max"] = *std::max_element(jumps.begin(), jumps.end());
    state.counters["level_dip_min"] = *std::min_element(levels.begin(), levels.end());
    state.counters["level_dip_median"] = Median(levels);
}
BENCHMARK_CAPTURE(BM_ShapingChangeHeard, key_plus2, true)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShapingChangeHeard, tempo_90, false)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Sets an environment variable for a scope and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The bursts played through SDL's disk driver in real time, key and tempo as given. What is
// compared, per burst at song time T = 0.5, 1.0, 1.5, 2.0 s:
// - the display: the wall-clock time at which the engine's position (ReadPosition, which the
//   lyric lines are looked up with), sampled every 0.25 ms, first reaches T;
// - the sound: the driver writes a buffer right after the callback that filled it and then
//   sleeps a buffer's time, as if playing it, so frame j of the buffer written at wall time w is
//   heard at w + j / rate. The write times come from watching the file grow on the same timer.
// Returns, per burst, display time − heard time in ms: positive when the line changes late.
std::vector<double> DisplayAgainstSound(const vok::audio::SoundShaping& shaping, bool& ok) {
    ok = false;
    vok::test::TempDir dir;
    const std::filesystem::path file = dir.FilePath("heard.raw").toStdString();
    const ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    const ScopedEnv output("SDL_DISKAUDIOFILE", file.string());
    constexpr int kMarkers = 4;
    std::vector<double> shown(kMarkers + 1, NAN);
    struct Write {
        double at;
        std::uintmax_t bytes;
    };
    std::vector<Write> writes;
    std::size_t bufferFrames = 0;
    {
        PlaybackEngine engine;
        if (engine.StartAudio(vok::audio::kDeviceDefault) != vok::AudioStartup::Ready) {
            return {};
        }
        bufferFrames = vok::audio::DeviceBufferFrames();
        engine.SetShaping(shaping);
        if (!engine.OpenSong(Sounds().bursts)) {
            return {};
        }
        const auto start = Clock::now();
        engine.StartPlay();
        std::uintmax_t bytes = 0;
        double before = 0.0;
        while (SecondsSince(start) < 6.0 && std::isnan(shown[kMarkers])) {
            std::error_code error;
            const std::uintmax_t size = std::filesystem::file_size(file, error);
            const double t = SecondsSince(start);
            if (!error && size != bytes) {
                writes.push_back({t, size});
                bytes = size;
            }
            const int position = engine.ReadPosition();
            for (int m = 1; m <= kMarkers; ++m) {
                if (std::isnan(shown[m]) && position >= 500 * m) {
                    shown[m] = 0.5 * (before + t);
                }
            }
            before = t;
            std::this_thread::sleep_for(std::chrono::microseconds(250));
        }
        engine.CloseStream();
    }
    std::vector<float> sound;
    {
        std::ifstream in(file, std::ios::binary);
        in.seekg(0, std::ios::end);
        sound.resize(static_cast<std::size_t>(in.tellg()) / sizeof(float));
        in.seekg(0);
        in.read(reinterpret_cast<char*>(sound.data()),
                static_cast<std::streamsize>(sound.size() * sizeof(float)));
    }
    // Burst onsets: the first sample over a quarter of the burst's level after 0.1 s of quiet.
    std::vector<std::size_t> onsets;
    std::size_t quiet = 4410;
    for (std::size_t i = 0; i < sound.size() / 2; ++i) {
        if (std::abs(sound[2 * i]) > 0.125f) {
            if (quiet >= 4410) {
                onsets.push_back(i);
            }
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    auto heard = [&](std::size_t frame) -> double {
        const std::uintmax_t end = (frame / bufferFrames + 1) * bufferFrames * 2 * sizeof(float);
        for (const Write& write : writes) {
            if (write.bytes >= end) {
                return write.at + static_cast<double>(frame % bufferFrames) / kRate;
            }
        }
        return NAN;
    };
    std::vector<double> differences;
    for (int m = 1; m <= kMarkers && m < static_cast<int>(onsets.size()); ++m) {
        differences.push_back(1000.0 * (shown[m] - heard(onsets[static_cast<std::size_t>(m)])));
    }
    ok = differences.size() == kMarkers && std::none_of(differences.begin(), differences.end(),
                                                        [](double d) { return std::isnan(d); });
    return differences;
}

// Line change against sound, through SDL's disk driver: the median over the bursts of display
// time − heard time, at key 0 / tempo 100, key +2 and tempo 90 %, and how far the shaped ones
// lie from the plain one. The plain figure is the engine's device-latency model against a driver
// without output latency; what a key or tempo change adds to it is the shaped figure's distance.
void BM_LineChangeAgainstSound(benchmark::State& state) {
    const ShapingSounds& sounds = Sounds();
    (void)sounds;
    const vok::audio::SoundShaping cases[] = {
        {0, 100, false, 0.0}, {2, 100, false, 0.0}, {0, 90, false, 0.0}};
    const char* names[] = {"plain_ms", "key_plus2_ms", "tempo_90_ms"};
    double medians[3] = {NAN, NAN, NAN};
    for (auto _ : state) {
        for (int c = 0; c < 3; ++c) {
            bool ok = false;
            const std::vector<double> differences = DisplayAgainstSound(cases[c], ok);
            if (!ok) {
                state.SkipWithError("the disk driver did not play the bursts");
                return;
            }
            medians[c] = Median(differences);
        }
    }
    for (int c = 0; c < 3; ++c) {
        state.counters[names[c]] = medians[c];
    }
    state.counters["key_plus2_vs_plain_ms"] = medians[1] - medians[0];
    state.counters["tempo_90_vs_plain_ms"] = medians[2] - medians[0];
}
BENCHMARK(BM_LineChangeAgainstSound)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
