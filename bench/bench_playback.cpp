// What the user waits for in the engine: opening a song (the pre-scan), and what the display tick
// asks of it thirty times a second.
#include "audio/AudioLibrary.h"
#include "audio/PlaybackEngine.h"
#include "support/TempDir.h"

#include <QProcess>

#include <benchmark/benchmark.h>

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

}  // namespace

BENCHMARK_MAIN();
