#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include "library/LibraryTestSupport.h"
#include "library/SongLibrary.h"
#include "support/LyricFileWriter.h"
#include "support/ZipWriter.h"

namespace vok::library {
namespace {

using test::WriteSong;

constexpr int kWaitMs = 30000;

// Runs one statement on a connection of the test's own.
QVariant Ask(const QString& file, const QString& sql) {
    QVariant answer;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("ask"));
        db.setDatabaseName(file);
        QSqlQuery query(db);
        if (db.open() && query.exec(sql) && query.next()) {
            answer = query.value(0);
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("ask"));
    return answer;
}

class LibraryFolder : public ::testing::Test {
  protected:
    QString Db() const { return dir_.FilePath(QStringLiteral("library.sqlite")); }
    QString Songs() const { return dir_.FilePath(QStringLiteral("songs")); }
    QString Song(const QString& name) const { return Songs() + QLatin1Char('/') + name; }
    static void Scan(SongLibrary& library, const QStringList& folders) {
        library.AddFolders(folders);
        ASSERT_TRUE(library.WaitUntilIdle(kWaitMs));
    }
    static void Rescan(SongLibrary& library) {
        library.Rescan();
        ASSERT_TRUE(library.WaitUntilIdle(kWaitMs));
    }

    vok::test::TempDir dir_;
};

TEST_F(LibraryFolder, EachSongOnceALyricOrGraphicsSongStandsForItsAudio) {
    WriteSong(dir_, QStringLiteral("songs/plain.mp3"), QStringLiteral("Plain"),
              QStringLiteral("A"));
    WriteSong(dir_, QStringLiteral("songs/sung.mp3"), QStringLiteral("Sung"), QStringLiteral("B"));
    vok::test::LyricFileWriter(2)
        .Title(QStringLiteral("Sung words"))
        .Artist(QStringLiteral("B"))
        .SongFile(QStringLiteral("sung.mp3"))
        .Line(0, 1000, QStringLiteral("la"))
        .Write(Song(QStringLiteral("sung.vok")));
    WriteSong(dir_, QStringLiteral("songs/Pictured.MP3"), QStringLiteral("Pic"),
              QStringLiteral("C"));
    dir_.Write(QStringLiteral("songs/pictured.cdg"), QByteArray(96 * 4, '\0'));
    dir_.Write(QStringLiteral("songs/lonely.cdg"), QByteArray(96, '\0'));  // no audio: no song
    dir_.Write(QStringLiteral("songs/timed.lrc"), "[ti:Timed]\n[ar:D]\n[00:01.00]la\n");
    WriteSong(dir_, QStringLiteral("songs/timed.mp3"), QStringLiteral("T"), QStringLiteral("D"));
    WriteSong(dir_, QStringLiteral("songs/.hidden/secret.mp3"), QStringLiteral("S"),
              QStringLiteral("E"));

    SongLibrary library(Db());
    ASSERT_TRUE(library.Available()) << library.Status().Message.toStdString();
    Scan(library, {Songs()});
    EXPECT_EQ(library.SongCount(), 4);
    EXPECT_EQ(library.Find(Song(QStringLiteral("plain.mp3")))->Kind, SongKind::Audio);
    EXPECT_EQ(library.Find(Song(QStringLiteral("sung.vok")))->Kind, SongKind::Lyrics);
    EXPECT_EQ(library.Find(Song(QStringLiteral("sung.vok")))->Title, QStringLiteral("Sung words"));
    EXPECT_EQ(library.Find(Song(QStringLiteral("pictured.cdg")))->Kind, SongKind::Graphics);
    EXPECT_EQ(library.Find(Song(QStringLiteral("pictured.cdg")))->Title, QStringLiteral("Pic"));
    EXPECT_EQ(library.Find(Song(QStringLiteral("timed.lrc")))->Kind, SongKind::Lrc);
    EXPECT_GT(library.Find(Song(QStringLiteral("plain.mp3")))->DurationMs, 0);
    EXPECT_EQ(library.Folders(), QStringList{Songs()});
}

TEST_F(LibraryFolder, AZippedSongIsMeasuredThroughItsUnpackedAudio) {
    QFile tone(QStringLiteral(VOK_PLAYER_FIXTURES "/tone12.mp3"));
    ASSERT_TRUE(tone.open(QIODevice::ReadOnly));
    const QString zip =
        dir_.Write(QStringLiteral("songs/Artist - Zipped.zip"),
                   vok::test::MakeZip({{QStringLiteral("song.cdg"), QByteArray(96 * 4, '\0')},
                                       {QStringLiteral("song.mp3"), tone.readAll()}}));
    SongLibrary library(Db());
    Scan(library, {Songs()});
    std::optional<audio::Loudness> loudness;
    // The meter works on a thread of its own, after the scan.
    for (int wait = 0; wait < kWaitMs / 20 && !loudness; ++wait) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
        loudness = library.SongLoudness(zip);
    }
    ASSERT_TRUE(loudness.has_value());
    EXPECT_NEAR(loudness->IntegratedLufs, -21.8, 1.5);  // a sine at an eighth of full scale
}

TEST_F(LibraryFolder, RescanReadsOnlyWhatChangedAndKeepsAMissingRoot) {
    const QString same = WriteSong(dir_, QStringLiteral("songs/same.mp3"), QStringLiteral("Old"),
                                   QStringLiteral("A"));
    const QString changed = WriteSong(dir_, QStringLiteral("songs/changed.mp3"),
                                      QStringLiteral("Before"), QStringLiteral("B"));
    const QString gone = WriteSong(dir_, QStringLiteral("songs/sub/gone.mp3"),
                                   QStringLiteral("Gone"), QStringLiteral("C"));
    const QString unplugged = WriteSong(dir_, QStringLiteral("stick/away.mp3"),
                                        QStringLiteral("Away"), QStringLiteral("D"));
    SongLibrary library(Db());
    Scan(library, {Songs(), dir_.FilePath(QStringLiteral("stick"))});
    ASSERT_EQ(library.SongCount(), 4);

    // Same size and time: not read again, so the new title stays unseen.
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(same).constData(), &before), 0);
    WriteSong(dir_, QStringLiteral("songs/same.mp3"), QStringLiteral("New"), QStringLiteral("A"));
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(same).constData(), times, 0), 0);
    WriteSong(dir_, QStringLiteral("songs/changed.mp3"), QStringLiteral("After and longer"),
              QStringLiteral("B"));
    ASSERT_TRUE(QDir(dir_.FilePath(QStringLiteral("songs/sub"))).removeRecursively());
    ASSERT_TRUE(QDir().rename(dir_.FilePath(QStringLiteral("stick")),
                              dir_.FilePath(QStringLiteral("elsewhere"))));
    Rescan(library);

    EXPECT_EQ(library.Find(same)->Title, QStringLiteral("Old"));
    EXPECT_EQ(library.Find(changed)->Title, QStringLiteral("After and longer"));
    EXPECT_FALSE(library.Find(gone));
    EXPECT_TRUE(library.Find(unplugged)) << "a missing root keeps its songs";
    EXPECT_EQ(library.Progress().SongsAdded, 1);
    EXPECT_EQ(library.Progress().SongsRemoved, 1);
}

TEST_F(LibraryFolder, LinkLoopsAndUndecodableNamesEndTheScan) {
    WriteSong(dir_, QStringLiteral("songs/deep/one.mp3"), QStringLiteral("One"),
              QStringLiteral("A"));
    ASSERT_EQ(::symlink("..", QFile::encodeName(Song(QStringLiteral("deep/up"))).constData()), 0);
    ASSERT_EQ(::symlink(".", QFile::encodeName(Song(QStringLiteral("self"))).constData()), 0);
    // Not UTF-8: Qt could never name this file to open it.
    const QByteArray badName = QFile::encodeName(Songs()) + "/bad\xff.mp3";
    const int fd = ::open(badName.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);

    SongLibrary library(Db());
    Scan(library, {Songs()});
    EXPECT_EQ(library.SongCount(), 1);
    EXPECT_EQ(library.Progress().NamesSkipped, 1);
}

TEST_F(LibraryFolder, TheSongsOwnOffsetIsThereAfterARestart) {
    const QString song = WriteSong(dir_, QStringLiteral("songs/late.mp3"), QStringLiteral("Late"),
                                   QStringLiteral("A"));
    {
        SongLibrary library(Db());
        library.SetSongLyricOffset(song, -350);
        EXPECT_EQ(library.SongLyricOffset(song), -350) << "read back before the worker wrote it";
        library.NotePlayed(song);
        library.SetSongKeyAndTempo(song, {-3, 95});
        EXPECT_EQ(library.SongKeyAndTempo(song), (SongKeyTempo{-3, 95}));
    }
    SongLibrary library(Db());
    EXPECT_EQ(library.SongLyricOffset(song), -350);
    EXPECT_EQ(library.SongKeyAndTempo(song), (SongKeyTempo{-3, 95}));
    EXPECT_EQ(library.RowTitle(song).Title, QStringLiteral("Late"));
    EXPECT_EQ(Ask(Db(), QStringLiteral("SELECT play_count FROM songs")).toInt(), 1);
}

TEST_F(LibraryFolder, AVersionOneLibraryKeepsItsSongsWhenItGainsTheSingersColumns) {
    const QString song =
        WriteSong(dir_, QStringLiteral("old.mp3"), QStringLiteral("Old"), QStringLiteral("A"));
    {
        SongLibrary library(Db());
        library.SetSongLyricOffset(song, 200);
    }
    // The file as version 1 left it: the same table without the later columns.
    for (const char* sql :
         {"DROP INDEX songs_to_measure", "ALTER TABLE songs DROP COLUMN key_semitones",
          "ALTER TABLE songs DROP COLUMN tempo_percent",
          "ALTER TABLE songs DROP COLUMN loudness_lufs",
          "ALTER TABLE songs DROP COLUMN true_peak_db",
          "ALTER TABLE songs DROP COLUMN loudness_measured", "PRAGMA user_version=1"}) {
        Ask(Db(), QLatin1String(sql));
    }
    ASSERT_FALSE(Ask(Db(), QStringLiteral("SELECT tempo_percent FROM songs")).isValid());
    SongLibrary library(Db());
    ASSERT_TRUE(library.Available()) << library.Status().Message.toStdString();
    EXPECT_EQ(library.SongLyricOffset(song), 200);
    EXPECT_EQ(library.SongKeyAndTempo(song), SongKeyTempo{});
    library.SetSongKeyAndTempo(song, {2, 110});
    ASSERT_TRUE(library.WaitUntilIdle(kWaitMs));
    EXPECT_EQ(Ask(Db(), QStringLiteral("SELECT tempo_percent FROM songs")).toInt(), 110);
}

TEST_F(LibraryFolder, AKilledScanLeavesTheFileWholeAndWhatWasStored) {
    const QString kept = WriteSong(dir_, QStringLiteral("kept/kept.mp3"), QStringLiteral("Kept"),
                                   QStringLiteral("A"));
    {
        SongLibrary library(Db());
        Scan(library, {dir_.FilePath(QStringLiteral("kept"))});
        library.SetSongLyricOffset(kept, 120);
    }
    for (int i = 0; i < 4000; ++i) {
        WriteSong(dir_, QStringLiteral("big/%1/song%2.mp3").arg(i / 100).arg(i),
                  QStringLiteral("Song %1").arg(i), QStringLiteral("Artist"), 400);
    }
    QProcess probe;
    probe.start(QStringLiteral(VOK_LIBRARY_SCAN_PROBE),
                {Db(), dir_.FilePath(QStringLiteral("big"))});
    ASSERT_TRUE(probe.waitForStarted());
    // Killed at its first report of files read, while it writes. A machine quick enough to end
    // the scan before that still checks what it left.
    bool reading = false;
    bool done = false;
    while (!reading && !done && probe.waitForReadyRead(kWaitMs)) {
        while (probe.canReadLine()) {
            const QByteArray line = probe.readLine().trimmed();
            done = done || line.startsWith("done");
            reading = reading || (line.startsWith("progress") && !line.endsWith(" 0"));
        }
    }
    probe.kill();  // SIGKILL
    ASSERT_TRUE(probe.waitForFinished(kWaitMs));
    ASSERT_TRUE(reading || done);

    EXPECT_EQ(Ask(Db(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    SongLibrary library(Db());
    ASSERT_TRUE(library.Available());
    EXPECT_EQ(library.Find(kept)->Title, QStringLiteral("Kept"));
    EXPECT_EQ(library.SongLyricOffset(kept), 120);
    if (!done) {
        EXPECT_LT(library.SongCount(), 4001) << "the scan was not over";
    }
}

// A library file that cannot be used: what the status says and what Rebuild does with it.
struct BadFile {
    const char* Name;
    void (*Make)(const QString& file);
    LibraryFault Fault;
    bool CanRebuild;
};

void RandomBytes(const QString& file) {
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    QByteArray bytes(8192, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 7919) % 251);
    }
    out.write(bytes);
}

void AnotherProgramsDatabase(const QString& file) {
    Ask(file, QStringLiteral("CREATE TABLE recipes (name TEXT)"));
}

void NewerLibrary(const QString& file) {
    { SongLibrary library(file); }
    Ask(file, QStringLiteral("PRAGMA user_version=99"));
}

void TruncatedLibrary(const QString& file) {
    vok::test::TempDir songs;
    for (int i = 0; i < 300; ++i) {
        WriteSong(songs, QStringLiteral("s%1.mp3").arg(i), QStringLiteral("Title %1").arg(i),
                  QStringLiteral("Artist"), 100);
    }
    {
        SongLibrary library(file);
        library.AddFolders({songs.Path()});
        library.WaitUntilIdle(kWaitMs);
    }
    Ask(file, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    QFile::resize(file, QFileInfo(file).size() / 2);
}

class UnusableFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(UnusableFile, SaysWhyAndRebuildKeepsTheOldFileAside) {
    const vok::test::TempDir dir;
    const QString file = dir.FilePath(QStringLiteral("library.sqlite"));
    GetParam().Make(file);
    const QByteArray before = vok::test::ReadAll(file);

    SongLibrary library(file);
    EXPECT_EQ(library.Status().Fault, GetParam().Fault);
    EXPECT_FALSE(library.Status().Message.isEmpty());
    EXPECT_EQ(library.Status().CanRebuild, GetParam().CanRebuild);
    EXPECT_TRUE(library.Search(QStringLiteral("title")).isEmpty());
    library.SetSongLyricOffset(file, 5);  // does nothing, breaks nothing
    EXPECT_EQ(library.SongLyricOffset(file), 0);

    EXPECT_EQ(library.Rebuild(), GetParam().CanRebuild);
    const QStringList aside =
        QDir(dir.Path()).entryList({QStringLiteral("library.sqlite.broken-*")});
    if (GetParam().CanRebuild) {
        EXPECT_TRUE(library.Available());
        ASSERT_FALSE(aside.isEmpty());
        EXPECT_EQ(vok::test::ReadAll(dir.FilePath(aside.first())), before);
        EXPECT_EQ(library.SongCount(), 0);
    } else {
        EXPECT_TRUE(aside.isEmpty());
        EXPECT_EQ(vok::test::ReadAll(file), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Library, UnusableFile,
    ::testing::Values(BadFile{"RandomBytes", RandomBytes, LibraryFault::Corrupt, true},
                      BadFile{"AnotherProgram", AnotherProgramsDatabase, LibraryFault::Corrupt,
                              true},
                      BadFile{"Truncated", TruncatedLibrary, LibraryFault::Corrupt, true},
                      BadFile{"NewerSchema", NewerLibrary, LibraryFault::NewerSchema, false}),
    [](const ::testing::TestParamInfo<BadFile>& param) { return std::string(param.param.Name); });

}  // namespace
}  // namespace vok::library
