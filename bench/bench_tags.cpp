// What a playlist rebuild costs: title and artist for 1,000 tagged MP3 files.
#include <benchmark/benchmark.h>

#include "support/Id3Writer.h"
#include "support/TempDir.h"
#include "tags/TagTitleArtist.h"

namespace {

using vok::test::Id3Encoding;
using vok::test::Id3Frame;

struct Library {
    vok::test::TempDir dir;
    QStringList files;

    Library() {
        for (int i = 0; i < 1000; ++i) {
            vok::test::Id3v2Tag tag;
            tag.version = static_cast<std::uint8_t>(2 + i % 3);
            const bool shortIds = tag.version == 2;
            tag.Add(Id3Frame::Text(shortIds ? "TT2" : "TIT2", QStringLiteral("Song %1").arg(i),
                                   i % 2 ? Id3Encoding::Utf16Bom : Id3Encoding::Latin1))
                .Add(Id3Frame::Text(shortIds ? "TP1" : "TPE1", QStringLiteral("Artist %1").arg(i)))
                .Add(Id3Frame::Raw(shortIds ? "PIC" : "APIC", QByteArray(4000, 'p')))
                .Add(Id3Frame::Text(shortIds ? "TAL" : "TALB", QStringLiteral("Album")));
            tag.padding = 1024;
            files.push_back(dir.Write(QStringLiteral("song%1.mp3").arg(i),
                                      vok::test::Mp3File(tag.Build(), 8000)));
        }
    }
};

void BM_TagTitleArtist1000Files(benchmark::State& state) {
    static Library library;
    for (auto _ : state) {
        qsizetype total = 0;
        for (const QString& file : library.files) {
            total += vok::TagTitleArtist(file).Title.size();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * library.files.size());
}
BENCHMARK(BM_TagTitleArtist1000Files)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
