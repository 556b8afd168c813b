// What a user waits for in the lyric subsystem: opening a song, the per-tick line lookup, and the
// song-folder search.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <functional>

#include "lyrics/SongSearch.h"
#include "lyrics/Vokalento.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

namespace {

using vok::test::LyricFileWriter;

LyricFileWriter FiveHundredLines() {
    LyricFileWriter writer;
    writer.Title("Benchmark").Artist("Artist").SongLength(500 * 4000).SongFile("bench.mp3");
    for (int i = 0; i < 500; ++i) {
        writer.Line(i * 4000, i * 4000 + 3000,
                    QStringLiteral("This is lyric line number %1 of the song").arg(i + 1));
    }
    return writer;
}

void BM_LoadFromFile500Lines(benchmark::State& state) {
    vok::test::TempDir dir;
    const QString path = FiveHundredLines().Write(dir.FilePath("bench.vok"));
    vok::TVokalento model;
    for (auto _ : state) {
        model.Reset();
        benchmark::DoNotOptimize(model.LoadFromFile(path));
    }
}
BENCHMARK(BM_LoadFromFile500Lines);

void BM_LineAt500Lines1000Positions(benchmark::State& state) {
    vok::test::TempDir dir;
    vok::TVokalento model;
    model.LoadFromFile(FiveHundredLines().Write(dir.FilePath("bench.vok")));
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            std::int32_t number = 0;
            QString text;
            model.LineAt(i * 2003, number, text);
            benchmark::DoNotOptimize(number);
        }
    }
}
BENCHMARK(BM_LineAt500Lines1000Positions);

// 4 levels of 5 folders (781 folders, 3 files each); the song lies in the last folder searched.
void BM_FindSongInFolders(benchmark::State& state) {
    vok::test::TempDir dir;
    std::function<void(const QString&, int)> build = [&](const QString& folder, int depth) {
        for (int f = 0; f < 3; ++f) {
            dir.Write(folder + QStringLiteral("/track%1.mp3").arg(f), "x");
        }
        if (depth == 0) {
            return;
        }
        for (int d = 0; d < 5; ++d) {
            build(folder + QStringLiteral("/dir%1").arg(d), depth - 1);
        }
    };
    build(QStringLiteral("music"), 4);
    for (auto _ : state) {
        benchmark::DoNotOptimize(vok::FindSongInFolders("absent.mp3", dir.FilePath("music")));
    }
}
BENCHMARK(BM_FindSongInFolders)->Unit(benchmark::kMillisecond);

// A long enhanced LRC file, its stamps out of order in pairs: the goal is 5 ms to load.
void BM_LoadLrc5000Lines(benchmark::State& state) {
    vok::test::TempDir dir;
    QByteArray bytes = "[ti:Benchmark]\n[ar:Artist]\n[offset:+100]\n";
    for (int i = 0; i < 5000; ++i) {
        const int ms = (i % 2 == 0 ? i + 1 : i - 1) * 3000;
        const QByteArray stamp = QStringLiteral("%1:%2.%3")
                                     .arg(ms / 60000, 2, 10, QLatin1Char('0'))
                                     .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                                     .arg(ms % 1000 / 10, 2, 10, QLatin1Char('0'))
                                     .toLatin1();
        bytes += "[" + stamp + "]<" + stamp + ">This is lyric <" + stamp + ">line number " +
                 QByteArray::number(i + 1) + " of the song \xC3\xA5\r\n";
    }
    const QString path = dir.Write("bench.lrc", bytes);
    vok::TVokalento model;
    for (auto _ : state) {
        model.Reset();
        benchmark::DoNotOptimize(model.LoadFromFile(path));
    }
    if (model.LineCount != 5000) {
        state.SkipWithError("the file did not load");
    }
}
BENCHMARK(BM_LoadLrc5000Lines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
