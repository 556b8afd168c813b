// What a user waits for in the playlist window: the rows built from a long list (titles read
// from tags and lyric files, then from the song library), and a Delete or a move in a long list.
#include <benchmark/benchmark.h>

#include "player/PlaylistModel.h"
#include "support/Id3Writer.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

#include <memory>

namespace {

constexpr int kRows = 10000;

// A song library of its own in a temporary folder.
struct BenchLibrary {
    vok::test::TempDir dir;
    vok::library::SongLibrary library{dir.FilePath(QStringLiteral("library.sqlite"))};
};

// 10,000 files: every other one a lyric file with title and artist, the rest MP3s with ID3v2.
const QStringList& TaggedFiles() {
    static const QStringList files = [] {
        auto* dir = new vok::test::TempDir;
        QStringList made;
        vok::test::Id3v2Tag tag;
        tag.Add(vok::test::Id3Frame::Text("TIT2", QStringLiteral("A song title")))
            .Add(vok::test::Id3Frame::Text("TPE1", QStringLiteral("An artist")));
        const QByteArray mp3 = vok::test::Mp3File(tag.Build(), 2048);
        for (int i = 0; i < kRows; ++i) {
            const QString name = QStringLiteral("songs/%1/Song %2").arg(i / 500).arg(i);
            if (i % 2 == 0) {
                vok::test::LyricFileWriter writer(2);
                writer.Title(QStringLiteral("Title %1").arg(i))
                    .Artist(QStringLiteral("Artist"))
                    .SongFile(QStringLiteral("Song.mp3"))
                    .Line(500, 1500, QStringLiteral("A line"));
                made.append(writer.Write(dir->FilePath(name + QStringLiteral(".vok"))));
            } else {
                made.append(dir->Write(name + QStringLiteral(".mp3"), mp3));
            }
        }
        return made;
    }();
    return files;
}

void BM_RowsRebuildFromTags(benchmark::State& state) {
    vok::PlayList list;
    list.AddEntries(TaggedFiles());
    for (auto _ : state) {
        state.PauseTiming();
        auto fresh = std::make_unique<BenchLibrary>();  // a fresh library: every tag is read
        state.ResumeTiming();
        vok::PlaylistModel model(list, fresh->library);
        model.RowsRebuilt();
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_RowsRebuildFromTags)->Unit(benchmark::kMillisecond);

void BM_RowsRebuildUnchangedFiles(benchmark::State& state) {
    vok::PlayList list;
    list.AddEntries(TaggedFiles());
    BenchLibrary songs;
    vok::PlaylistModel model(list, songs.library);
    model.RowsRebuilt();
    for (auto _ : state) {
        model.RowsRebuilt();
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_RowsRebuildUnchangedFiles)->Unit(benchmark::kMillisecond);

QStringList Names() {
    QStringList names;
    for (int i = 0; i < kRows; ++i) {
        names.append(QStringLiteral("/nowhere/Song %1.mp3").arg(i));
    }
    return names;
}

void BM_DeleteRow(benchmark::State& state) {
    vok::PlayList list;
    list.AddEntries(Names());
    BenchLibrary songs;
    vok::PlaylistModel model(list, songs.library);
    model.RowsRebuilt();
    for (auto _ : state) {
        // The top row: every row below it is renumbered.
        list.RemoveEntry(1);
        model.RowRemoved(1);
        state.PauseTiming();
        list.AddEntries({QStringLiteral("/nowhere/again.mp3")});
        model.RowsRebuilt();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteRow)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_MoveRow(benchmark::State& state) {
    vok::PlayList list;
    list.AddEntries(Names());
    BenchLibrary songs;
    vok::PlaylistModel model(list, songs.library);
    model.RowsRebuilt();
    for (auto _ : state) {
        // The second row to the end: the whole list is rewritten and renumbered.
        list.MoveEntry(1, kRows);
        model.RowMoved(1, kRows);
    }
}
BENCHMARK(BM_MoveRow)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
