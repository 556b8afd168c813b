#include "display/LyricDisplay.h"
#include "display/ScreenGeometry.h"
#include "lyrics/Vokalento.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QPainter>

namespace {

using namespace vok;

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

// What a display tick does once the clock is read: look the line up from the current one on, as
// the player does, and draw the frame.
struct Fixture {
    TVokalento song;
    int line = 0;
    LyricDisplay display{[](const QRect&) {}, 96.0};
    Fixture() {
        LoadSong(song);
        display.DrawSongMap(song, 500 * 4000);
        display.PrepareDisplay(QStringLiteral("Band - Benchmark"), Frame(0));
    }
    DisplaySnapshot Frame(int positionMs) {
        DisplaySnapshot frame;
        frame.PositionMs = positionMs;
        frame.LengthMs = 500 * 4000;
        frame.PlayIndex = 2;
        frame.EntryCount = 12;
        LyricContent lyrics{&song, line, {}};
        song.LineAt(positionMs, lyrics.Line, lyrics.Text);
        line = lyrics.Line;
        frame.Content = std::move(lyrics);
        return frame;
    }
    void Tick(int positionMs) { display.Render(Frame(positionMs)); }
};

void BM_TickSameLine(benchmark::State& state) {
    Fixture f;
    f.Tick(1000 * 1000 + 500);
    for (auto _ : state) {
        f.Tick(1000 * 1000 + 500);
    }
}
BENCHMARK(BM_TickSameLine);

void BM_TickLineChange(benchmark::State& state) {
    Fixture f;
    int next = 0;
    for (auto _ : state) {
        f.Tick((next++ % 500) * 4000 + 500);
    }
}
BENCHMARK(BM_TickLineChange);

// Full screen on a 1920 x 1080 display: the strips stretched three times.
struct FullScreenFixture : Fixture {
    FullScreenFixture() {
        display.SetLayout(RecalcAspect(1920, 1080));
        display.SetFullScreen(true, QSize(1920, 1080));
        display.InvalidateLyrics();
    }
};

void BM_FullScreenTickSameLine(benchmark::State& state) {
    FullScreenFixture f;
    f.Tick(1000 * 1000 + 500);
    for (auto _ : state) {
        f.Tick(1000 * 1000 + 500);
    }
}
BENCHMARK(BM_FullScreenTickSameLine)->Unit(benchmark::kMicrosecond);

void BM_FullScreenTickLineChange(benchmark::State& state) {
    FullScreenFixture f;
    int next = 0;
    for (auto _ : state) {
        f.Tick((next++ % 500) * 4000 + 500);
    }
}
BENCHMARK(BM_FullScreenTickLineChange)->Unit(benchmark::kMicrosecond);

// A graphics song whose picture changes at every tick: a tile, as while its words are sung.
struct PictureFixture {
    LyricDisplay display{[](const QRect&) {}, 96.0};
    QImage picture{300, 216, QImage::Format_RGB32};
    quint64 generation = 0;
    explicit PictureFixture(QSize fullScreen = {}) {
        picture.fill(Qt::blue);
        if (fullScreen.isValid()) {
            display.SetLayout(RecalcAspect(fullScreen.width(), fullScreen.height()));
            display.SetFullScreen(true, fullScreen);
        }
        display.PrepareDisplay(QString(), Frame());
    }
    DisplaySnapshot Frame() {
        // One tile of letters coloured, as a disc does while the words are sung.
        const int tile = static_cast<int>(generation % 64);
        QPainter(&picture).fillRect(QRect(102 + tile % 16 * 6, 48 + tile / 16 * 36, 6, 12),
                                    generation % 128 < 64 ? Qt::yellow : Qt::white);
        DisplaySnapshot frame;
        frame.LengthMs = 300000;
        frame.Content = PictureContent{&picture, QRect(6, 12, 288, 192), ++generation};
        return frame;
    }
};

void BM_PictureTick(benchmark::State& state) {
    PictureFixture f;
    for (auto _ : state) {
        f.display.Render(f.Frame());
    }
}
BENCHMARK(BM_PictureTick)->Unit(benchmark::kMicrosecond);

void BM_FullScreenPictureTick(benchmark::State& state) {
    PictureFixture f(QSize(1920, 1080));
    for (auto _ : state) {
        f.display.Render(f.Frame());
    }
}
BENCHMARK(BM_FullScreenPictureTick)->Unit(benchmark::kMicrosecond);

void BM_DrawSongMap500(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.display.DrawSongMap(f.song, 500 * 4000);
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
