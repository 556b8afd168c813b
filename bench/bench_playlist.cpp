// What a user waits for in the playlist: a big folder scan, and loading or saving a long list.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>

#include "playlist/FindFiles.h"
#include "playlist/ListFiles.h"
#include "support/TempDir.h"

namespace {

constexpr int kTreeFiles = 20000;
constexpr int kListEntries = 1000;

// 20,000 files: 20 artists × 10 albums × 100 songs, half lyric files, half MP3s.
const vok::test::TempDir& Tree() {
    static const vok::test::TempDir* tree = [] {
        auto* dir = new vok::test::TempDir;
        int made = 0;
        for (int artist = 0; artist < 20; ++artist) {
            for (int album = 0; album < 10; ++album) {
                const QString folder = QStringLiteral("Artist %1/Album %2/").arg(artist).arg(album);
                dir->MakeDir(folder);
                for (int song = 0; song < 100; ++song, ++made) {
                    const QString ext =
                        song % 2 == 0 ? QStringLiteral("vok") : QStringLiteral("mp3");
                    QFile file(
                        dir->FilePath(folder + QStringLiteral("Song %1.%2").arg(song).arg(ext)));
                    file.open(QIODevice::WriteOnly);
                }
            }
        }
        return dir;
    }();
    return *tree;
}

void BM_FindFilesRecursive(benchmark::State& state) {
    const QString mask = Tree().Path() + QStringLiteral("/*.vok");
    for (auto _ : state) {
        QStringList found;
        vok::FindFiles(mask, true, true, found);
        benchmark::DoNotOptimize(found);
    }
    state.counters["files"] = kTreeFiles;
}
BENCHMARK(BM_FindFilesRecursive)->Unit(benchmark::kMillisecond);

// 50,000 files in 2,000 folders (100 artists × 20 albums × 25 songs), scanned the way "Folder..."
// does: lyric files, then MP3s, with the check between entries that keeps the windows alive.
const vok::test::TempDir& BigTree() {
    static const vok::test::TempDir* tree = [] {
        auto* dir = new vok::test::TempDir;
        for (int folder = 0; folder < 2000; ++folder) {
            const QString path =
                QStringLiteral("Artist %1/Album %2/").arg(folder / 20).arg(folder % 20);
            dir->MakeDir(path);
            for (int song = 0; song < 25; ++song) {
                QFile file(dir->FilePath(
                    path +
                    QStringLiteral("Song %1.%2").arg(song).arg(song % 2 == 0 ? "vok" : "mp3")));
                file.open(QIODevice::WriteOnly);
            }
        }
        return dir;
    }();
    return *tree;
}

void BM_AddFolderScan50k(benchmark::State& state) {
    const QString top = BigTree().Path() + QLatin1Char('/');
    QElapsedTimer breath;
    breath.start();
    int breaths = 0;
    vok::FindProgress progress;
    progress.betweenEntries = [&] {
        if (breath.elapsed() >= 20) {
            ++breaths;
            breath.restart();
        }
        return true;
    };
    for (auto _ : state) {
        QStringList found;
        vok::FindFiles(top + QStringLiteral("*.vok"), true, true, found, progress);
        vok::FindFiles(top + QStringLiteral("*.mp3"), true, true, found, progress);
        benchmark::DoNotOptimize(found);
    }
    state.counters["files"] = 50000;
}
BENCHMARK(BM_AddFolderScan50k)->Unit(benchmark::kMillisecond);

QStringList ListOfExistingFiles(const vok::test::TempDir& dir) {
    QStringList entries;
    for (int i = 0; i < kListEntries; ++i) {
        entries.append(dir.Write(QStringLiteral("songs/Sång %1.mp3").arg(i), "x"));
    }
    return entries;
}

void BM_ReadList(benchmark::State& state) {
    vok::test::TempDir dir;
    const QString path = dir.FilePath(QStringLiteral("list.vpl"));
    if (!vok::WritePlayList(path, ListOfExistingFiles(dir)).Ok) {
        state.SkipWithError("the list to read could not be written");
        return;
    }
    for (auto _ : state) {
        const vok::ListReadResult result = vok::ReadPlayList(path, dir.Path());
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_ReadList)->Unit(benchmark::kMillisecond);

void BM_WriteList(benchmark::State& state) {
    vok::test::TempDir dir;
    const QString path = dir.FilePath(QStringLiteral("list.vpl"));
    const QStringList entries = ListOfExistingFiles(dir);
    for (auto _ : state) {
        benchmark::DoNotOptimize(vok::WritePlayList(path, entries));
    }
}
BENCHMARK(BM_WriteList)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
