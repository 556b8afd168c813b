// What a user waits for when a graphics song is opened: finding its .cdg and audio beside each
// other, or unpacking both from a zip (a 5-minute song: 2.2 MB of CD+G packets and a 12 MB MP3).
#include <benchmark/benchmark.h>

#include "karaoke/GraphicsSong.h"
#include "support/TempDir.h"
#include "support/ZipWriter.h"

#include <QRandomGenerator>

namespace {

constexpr int kCdgBytes = 5 * 60 * 300 * 24;
constexpr int kMp3Bytes = 12 << 20;

// Audio does not pack: random bytes stand for it.
QByteArray Noise(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

const vok::test::TempDir& Songs() {
    static const vok::test::TempDir* dir = [] {
        auto* made = new vok::test::TempDir;  // kept for the whole run
        const QByteArray cdg(kCdgBytes, '\x09');
        const QByteArray mp3 = Noise(kMp3Bytes);
        made->Write("Band - Song.cdg", cdg);
        made->Write("Band - Song.mp3", mp3);
        made->Write("Band - Song.zip",
                    vok::test::MakeZip({{"Band - Song.cdg", cdg}, {"Band - Song.mp3", mp3}}));
        return made;
    }();
    return *dir;
}

void BM_OpenFromTheFolder(benchmark::State& state) {
    const QString cdg = Songs().FilePath("Band - Song.cdg");
    for (auto _ : state) {
        benchmark::DoNotOptimize(vok::FindGraphicsSong(cdg));
    }
}
BENCHMARK(BM_OpenFromTheFolder)->Unit(benchmark::kMillisecond);

void BM_OpenFromAZip(benchmark::State& state) {
    const QString zip = Songs().FilePath("Band - Song.zip");
    for (auto _ : state) {
        const vok::GraphicsSongFiles song = vok::FindGraphicsSong(zip);
        if (!song.IsGraphicsSong) {
            state.SkipWithError("the zip did not open");
            break;
        }
    }
}
BENCHMARK(BM_OpenFromAZip)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
