// What a user waits for with a graphics song: opening its .cdg, a seek near the end with the
// picture rebuilt from the start, and the picture step of one display tick. Two 5-minute songs:
// one drawn like a karaoke song (pages of words, then the words coloured in as they are sung),
// and one where every packet draws, the most a file can ask of the decoder.
#include <benchmark/benchmark.h>

#include "cdg/CdgPicture.h"
#include "support/CdgWriter.h"
#include "support/TempDir.h"

namespace {

using vok::cdg::CdgPicture;
using vok::test::CdgWriter;

constexpr int kSongMs = 5 * 60 * 1000;
constexpr CdgWriter::TileRows kLetter = {0x00, 0x1E, 0x21, 0x21, 0x3F, 0x21,
                                         0x21, 0x21, 0x21, 0x00, 0x00, 0x00};

// A page every 15 s: clear, colours, 4 lines of 30 letters, then each letter coloured by an XOR
// tile as it is sung.
CdgWriter KaraokeSong() {
    CdgWriter song;
    for (int page = 0; page * 15000 < kSongMs; ++page) {
        const int start = page * 15000;
        song.At(start).LoadColours(false, {0x000, 0x00A, 0xFFF, 0xFF0, 0xF80, 0x0F0, 0xF00, 0x888});
        song.MemoryPreset(1).BorderPreset(1);
        for (int line = 0; line < 4; ++line) {
            for (int letter = 0; letter < 30; ++letter) {
                song.Tile(3 + 3 * line, 10 + letter, 1, 2, kLetter);
            }
        }
        for (int sung = 0; sung < 120; ++sung) {
            song.At(start + 1000 + sung * 110)
                .XorTile(3 + 3 * (sung / 30), 10 + sung % 30, 0, 1, kLetter);
        }
    }
    return song.Duration(kSongMs);
}

CdgWriter DenseSong() {
    CdgWriter song;
    song.LoadColours(false, {0x000, 0x00A, 0xFFF, 0xFF0, 0xF80, 0x0F0, 0xF00, 0x888});
    for (int i = 0; song.Packets() < CdgWriter::PacketAt(kSongMs); ++i) {
        if (i % 2 == 0) {
            song.Tile(1 + i % 16, 1 + i % 48, i % 8, (i + 3) % 8, kLetter);
        } else {
            song.XorTile(1 + i % 16, 1 + i % 48, 0, 5, kLetter);
        }
    }
    return song;
}

QString Song(const vok::test::TempDir& dir, std::int64_t kind) {
    return (kind == 0 ? KaraokeSong() : DenseSong()).Write(dir.FilePath("song.cdg"));
}

void SongArgs(benchmark::internal::Benchmark* bench) {
    bench->ArgName("dense")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
}

void BM_Open5Minutes(benchmark::State& state) {
    const vok::test::TempDir dir;
    const QString path = Song(dir, state.range(0));
    for (auto _ : state) {
        CdgPicture picture;
        benchmark::DoNotOptimize(picture.Open(path));
    }
}
BENCHMARK(BM_Open5Minutes)->Apply(SongArgs);

// From the start of the song to 4:59: every packet before it decoded.
void BM_SeekTo4m59(benchmark::State& state) {
    const vok::test::TempDir dir;
    CdgPicture picture;
    picture.Open(Song(dir, state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        picture.PictureAt(0);
        state.ResumeTiming();
        benchmark::DoNotOptimize(picture.PictureAt(4 * 60 * 1000 + 59 * 1000).constBits());
    }
}
BENCHMARK(BM_SeekTo4m59)->Apply(SongArgs);

// One display tick of 33 ms played straight through the song.
void BM_Tick33ms(benchmark::State& state) {
    const vok::test::TempDir dir;
    CdgPicture picture;
    picture.Open(Song(dir, state.range(0)));
    int ms = 0;
    for (auto _ : state) {
        ms += 33;
        if (ms > kSongMs) {
            state.PauseTiming();
            ms = 0;
            picture.PictureAt(0);
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(picture.PictureAt(ms).constBits());
    }
    state.counters["redraws"] = benchmark::Counter(static_cast<double>(picture.Generation()),
                                                   benchmark::Counter::kDefaults);
}
BENCHMARK(BM_Tick33ms)->ArgName("dense")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
