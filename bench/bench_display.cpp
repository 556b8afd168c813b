#include "display/LyricDisplay.h"
#include "display/ScreenGeometry.h"
#include "lyrics/Vokalento.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>

namespace {

using namespace vok;

// The player as far as the tick needs it: always playing, position set by the benchmark.
class BenchHost : public DisplayHost {
  public:
    TVokalento SongModel;
    int Position = 0;
    int Line = 0;
    int Last = 0;

    bool HasStream() const override { return true; }
    bool IsStreamPlaying() const override { return true; }
    int ReadPositionMs() override { return Last = Position; }
    int PositionMs() const override { return Last; }
    int LengthMs() const override { return 500 * 4000; }
    PlayState State() const override { return PlayState::Playing; }
    int CurrentLine() const override { return Line; }
    void SetCurrentLine(int line) override { Line = line; }
    void SeekToSeconds(int) override {}
    void Stoppa() override {}
    const TVokalento& Song() const override { return SongModel; }
    int PlayIndex() const override { return 2; }
    int EntryCount() const override { return 12; }
    QString EntryPath(int) const override { return QStringLiteral("/m/song.mp3"); }
    void SongEnded() override {}
    void SetPlayProgress(int) override {}
    void ArmTimer() override {}
    void DisarmTimer() override {}
    void UpdateSpectrum() override {}
    void SetLoadButtonsEnabled(bool) override {}
    void SurfaceChanged(const QRect&) override {}
};

// A 500-line song, one line every 4 s, 3 s long each.
void LoadSong(TVokalento& song) {
    static const vok::test::TempDir dir;
    vok::test::LyricFileWriter writer(2);
    writer.Title(QStringLiteral("Benchmark")).Artist(QStringLiteral("Band"));
    for (int i = 0; i < 500; ++i) {
        writer.Line(i * 4000, i * 4000 + 3000,
                    QStringLiteral("Line number %1 of the song, sung with feeling").arg(i + 1));
    }
    const QString path = writer.Write(dir.FilePath(QStringLiteral("bench.vok")));
    song.Reset();
    song.LoadFromFile(path);
}

struct Fixture {
    BenchHost host;
    LyricDisplay display{host, 96.0};
    Fixture() {
        LoadSong(host.SongModel);
        display.DrawSongMap();
        display.PrepareDisplay(QString());
        display.RedrawLyrics = true;
    }
};

void BM_TickSameLine(benchmark::State& state) {
    Fixture f;
    f.host.Position = 1000 * 1000 + 500;
    f.display.tmrTimer();
    for (auto _ : state) {
        f.display.tmrTimer();
    }
}
BENCHMARK(BM_TickSameLine);

void BM_TickLineChange(benchmark::State& state) {
    Fixture f;
    int line = 0;
    for (auto _ : state) {
        f.host.Position = (line++ % 500) * 4000 + 500;
        f.display.tmrTimer();
    }
}
BENCHMARK(BM_TickLineChange);

// Full screen on a 1920 x 1080 display: the strips stretched three times.
struct FullScreenFixture : Fixture {
    FullScreenFixture() {
        display.SetLayout(RecalcAspect(1920, 1080));
        display.SetFullScreen(true, QSize(1920, 1080));
        display.RedrawLyrics = true;
    }
};

void BM_FullScreenTickSameLine(benchmark::State& state) {
    FullScreenFixture f;
    f.host.Position = 1000 * 1000 + 500;
    f.display.tmrTimer();
    for (auto _ : state) {
        f.display.tmrTimer();
    }
}
BENCHMARK(BM_FullScreenTickSameLine)->Unit(benchmark::kMicrosecond);

void BM_FullScreenTickLineChange(benchmark::State& state) {
    FullScreenFixture f;
    int line = 0;
    for (auto _ : state) {
        f.host.Position = (line++ % 500) * 4000 + 500;
        f.display.tmrTimer();
    }
}
BENCHMARK(BM_FullScreenTickLineChange)->Unit(benchmark::kMicrosecond);

void BM_DrawSongMap500(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.display.DrawSongMap();
        benchmark::DoNotOptimize(f.display.Renderer().SongMapBmp.constBits());
    }
}
BENCHMARK(BM_DrawSongMap500);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
