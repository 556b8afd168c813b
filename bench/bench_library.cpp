// The song library on a host-sized collection: 100,000 songs in 5,000 folders (MP3s with ID3
// tags, a tenth of them lyric songs with their audio), generated once per run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "library/SongLibrary.h"
#include "support/Id3Writer.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

namespace {

using vok::library::SongLibrary;

constexpr int kSongsPerFolder = 20;
constexpr int kLyricSongsPerFolder = 2;
constexpr int kWaitMs = 600000;

// Fewer songs for the check that the program still runs (VOK_BENCH_LIBRARY_SONGS).
int SongTotal() {
    const int fromEnvironment = qEnvironmentVariableIntValue("VOK_BENCH_LIBRARY_SONGS");
    return fromEnvironment > 0 ? fromEnvironment : 100000;
}

// Words of made-up syllables, a few with accents, so that prefixes match as in a real collection.
QString Word(std::uint32_t seed) {
    static const char* const kSyllables[] = {"ka", "ro", "mi",  "dan", "tel", "su",  "vor",
                                             "ne", "li", "gra", "po",  "shi", "ta",  "ben",
                                             "ur", "el", "mo",  "zi",  "fa",  "qui", "dé"};
    constexpr std::uint32_t kCount = sizeof(kSyllables) / sizeof(kSyllables[0]);
    QString word;
    const int syllables = 2 + static_cast<int>(seed % 2);
    for (int i = 0; i < syllables; ++i) {
        seed = seed * 1103515245U + 12345U;
        word += QString::fromUtf8(kSyllables[(seed >> 16) % kCount]);
    }
    return word;
}

QString Words(std::uint32_t seed, int count) {
    QStringList words;
    for (int i = 0; i < count; ++i) {
        words.append(Word(seed * 7919U + static_cast<std::uint32_t>(i) * 104729U));
    }
    return words.join(QLatin1Char(' '));
}

QString TitleOf(int song) {
    return Words(static_cast<std::uint32_t>(song), 2 + song % 3);
}
QString ArtistOf(int song) {
    return Words(static_cast<std::uint32_t>(song % 3000) + 900000U, 2);
}

QByteArray Mp3(const QString& title, const QString& artist) {
    vok::test::Id3v2Tag tag;
    tag.Add(vok::test::Id3Frame::Text("TIT2", title, vok::test::Id3Encoding::Utf8))
        .Add(vok::test::Id3Frame::Text("TPE1", artist, vok::test::Id3Encoding::Utf8));
    tag.version = 4;
    return vok::test::Mp3File(tag.Build(), 3 * 417);
}

struct Corpus {
    vok::test::TempDir Dir;
    QString Songs;
    QString Library;  // scanned once by a process of its own, so this one's heap stays clean
};

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

// Made at the first use, removed before the program ends.
std::unique_ptr<Corpus> theCorpus;
std::unique_ptr<SongLibrary> searched;

const Corpus& TheCorpus() {
    if (!theCorpus) {
        auto made = std::make_unique<Corpus>();
        made->Songs = made->Dir.FilePath(QStringLiteral("songs"));
        made->Library = made->Dir.FilePath(QStringLiteral("scanned.sqlite"));
        const int folders = std::max(1, SongTotal() / kSongsPerFolder);
        for (int f = 0; f < folders; ++f) {
            const QString folder =
                QStringLiteral("%1/group%2/folder%3").arg(made->Songs).arg(f / 100).arg(f);
            QDir().mkpath(folder);
            for (int i = 0; i < kSongsPerFolder; ++i) {
                const int song = f * kSongsPerFolder + i;
                const QString base =
                    QStringLiteral("%1/%2 - %3").arg(folder).arg(song).arg(TitleOf(song));
                WriteFile(base + QStringLiteral(".mp3"), Mp3(TitleOf(song), ArtistOf(song)));
                if (i < kLyricSongsPerFolder) {
                    vok::test::LyricFileWriter(2)
                        .Title(TitleOf(song))
                        .Artist(ArtistOf(song))
                        .SongFile(QFileInfo(base).fileName() + QStringLiteral(".mp3"))
                        .Line(0, 1000, QStringLiteral("la la"))
                        .Write(base + QStringLiteral(".vok"));
                }
            }
        }
        QProcess::execute(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--populate"), made->Library, made->Songs});
        theCorpus = std::move(made);
    }
    return *theCorpus;
}

double ResidentMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0;
}

// The first letters a user types, one more each time: the first two words of a title.
QString TypedQuery() {
    return TitleOf(12345).section(QLatin1Char(' '), 0, 1);
}

void BM_LibraryMemoryOpenAndSearched(benchmark::State& state) {
    const Corpus& corpus = TheCorpus();
    for (auto _ : state) {
        const double before = ResidentMb();
        SongLibrary library(corpus.Library);
        const QString query = TypedQuery();
        for (qsizetype letters = 1; letters <= query.size(); ++letters) {
            benchmark::DoNotOptimize(library.Search(query.left(letters)));
        }
        benchmark::DoNotOptimize(library.Search(QString()));
        state.counters["rss_increase_MB"] = ResidentMb() - before;
        state.counters["songs"] = library.SongCount();
    }
}
BENCHMARK(BM_LibraryMemoryOpenAndSearched)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LibrarySearchPerLetter(benchmark::State& state) {
    const Corpus& corpus = TheCorpus();
    if (!searched) {
        searched = std::make_unique<SongLibrary>(corpus.Library);
    }
    SongLibrary* library = searched.get();
    const QString text = TypedQuery().left(state.range(0));
    int rows = 0;
    for (auto _ : state) {
        rows = static_cast<int>(library->Search(text).size());
    }
    state.SetLabel(text.toStdString());
    state.counters["rows"] = rows;
}
BENCHMARK(BM_LibrarySearchPerLetter)->DenseRange(1, 9)->Unit(benchmark::kMillisecond);

void BM_LibraryRescanUnchanged(benchmark::State& state) {
    const Corpus& corpus = TheCorpus();
    SongLibrary library(corpus.Library);
    for (auto _ : state) {
        library.Rescan();
        library.WaitUntilIdle(kWaitMs);
    }
    state.counters["songs"] = library.SongCount();
}
BENCHMARK(BM_LibraryRescanUnchanged)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first scan, with a display tick of 33 ms on the main thread: how late each tick comes.
void BM_LibraryFirstScanWithTick(benchmark::State& state) {
    const Corpus& corpus = TheCorpus();
    std::vector<double> late;
    int songs = 0;
    for (auto _ : state) {
        const QString file = corpus.Dir.FilePath(QStringLiteral("first.sqlite"));
        for (const char* suffix : {"", "-wal", "-shm"}) {
            QFile::remove(file + QLatin1String(suffix));
        }
        SongLibrary library(file);
        QEventLoop loop;
        QElapsedTimer sinceTick;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(33);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            late.push_back(std::max(0.0, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6 - 33));
            sinceTick.restart();
        });
        QObject::connect(&library, &SongLibrary::ScanProgressed,
                         [&](const vok::library::ScanProgress& progress) {
                             if (!progress.Running) {
                                 loop.quit();
                             }
                         });
        sinceTick.start();
        tick.start();
        library.AddFolders({corpus.Songs});
        loop.exec();
        library.WaitUntilIdle(kWaitMs);
        songs = library.SongCount();
    }
    std::sort(late.begin(), late.end());
    state.counters["songs"] = songs;
    state.counters["tick_late_max_ms"] = late.empty() ? 0 : late.back();
    state.counters["tick_late_median_ms"] = late.empty() ? 0 : late[late.size() / 2];
    state.counters["ticks"] = static_cast<double>(late.size());
}
BENCHMARK(BM_LibraryFirstScanWithTick)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--populate") {
        SongLibrary library(QString::fromLocal8Bit(argv[2]));
        library.AddFolders({QString::fromLocal8Bit(argv[3])});
        return library.WaitUntilIdle(kWaitMs) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    searched.reset();
    theCorpus.reset();
    return 0;
}
