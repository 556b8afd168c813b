#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>

#include "lyrics/SongSearch.h"
#include "support/TempDir.h"

namespace vok {
namespace {

class SongSearch : public testing::Test {
  protected:
    QString Touch(const QString& relative) { return dir_.Write(relative, "audio"); }
    QString Path(const QString& relative) const { return dir_.FilePath(relative); }

    test::TempDir dir_;
};

TEST_F(SongSearch, FolderItselfComesBeforeItsSubFolders) {
    Touch("root/aaa/song.mp3");
    Touch("root/Song.MP3");
    EXPECT_EQ(FindSongInFolders("song.mp3", Path("root")), Path("root") + "/Song.MP3");
}

TEST_F(SongSearch, FindsDeepEntriesAndFoldersBearingTheName) {
    Touch("root/a/b/c/deep.ogg");
    dir_.MakeDir("root/x/folder.mp3/inner");
    EXPECT_EQ(FindSongInFolders("DEEP.ogg", Path("root")), Path("root") + "/a/b/c/deep.ogg");
    EXPECT_EQ(FindSongInFolders("folder.mp3", Path("root")), Path("root") + "/x/folder.mp3");
    EXPECT_EQ(FindSongInFolders("d??p.*", Path("root")), Path("root") + "/a/b/c/deep.ogg");
    // No separator check: a trailing one is kept as given.
    EXPECT_EQ(FindSongInFolders("deep.ogg", Path("root") + "/"), Path("root") + "//a/b/c/deep.ogg");
}

TEST_F(SongSearch, NothingFoundEndsQuietly) {
    Touch("root/a/other.mp3");
    EXPECT_EQ(FindSongInFolders("song.mp3", Path("root")), QString());
    EXPECT_EQ(FindSongInFolders("song.mp3", Path("missing")), QString());
    EXPECT_EQ(FindSongInFolders("", Path("root")), QString());
    EXPECT_EQ(FindSongInFolders("song.mp3", Path("root/a/other.mp3")), QString());
}

TEST_F(SongSearch, LinksBackIntoTheTreeEnd) {
    dir_.MakeDir("root/a/b");
    ASSERT_TRUE(QFile::link(Path("root"), Path("root/a/b/up")));
    ASSERT_TRUE(QFile::link(Path("root/a"), Path("root/a/b/side")));
    ASSERT_TRUE(QFile::link(Path("root/a/self"), Path("root/a/self")));  // dangling to itself
    EXPECT_EQ(FindSongInFolders("song.mp3", Path("root")), QString());
    Touch("root/a/b/song.mp3");
    EXPECT_FALSE(FindSongInFolders("song.mp3", Path("root")).isEmpty());
}

TEST_F(SongSearch, UnreadableFolderIsPassedOver) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    Touch("root/locked/song.mp3");
    Touch("root/open/song.mp3");
    QFile::setPermissions(Path("root/locked"), QFile::Permissions());
    EXPECT_EQ(FindSongInFolders("song.mp3", Path("root")), Path("root") + "/open/song.mp3");
    QFile::setPermissions(Path("root/locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

class AudioForLyrics : public SongSearch {
  protected:
    AudioSearchResult Find(const QString& songFile, const QStringList& folders = {},
                           const QString& openSong = {}) {
        return FindAudioForLyrics(songFile, Path("lyrics/song.vok"), folders, openSong);
    }
};

TEST_F(AudioForLyrics, DirectCandidatesComeFirst) {
    const QString stored = Touch("elsewhere/song.mp3");
    Touch("lyrics/song.mp3");
    EXPECT_EQ(Find(stored).Source, AudioSource::StoredPath);
    EXPECT_EQ(Find(stored).Path, stored);

    // A stored path whose folder is gone, or one written on Windows: the file beside the lyrics,
    // its name matched ignoring case.
    Touch("lyrics/Other.Ogg");
    const AudioSearchResult beside = Find(Path("gone/OTHER.ogg"), {Path("elsewhere")});
    EXPECT_EQ(beside.Source, AudioSource::BesideLyrics);
    EXPECT_EQ(beside.Path, Path("lyrics") + "/Other.Ogg");
    EXPECT_FALSE(beside.SearchRan);
    EXPECT_EQ(Find("C:\\Music\\song.mp3").Path, Path("lyrics") + "/song.mp3");

    // A folder is no candidate for the direct steps.
    dir_.MakeDir("lyrics/dir.mp3");
    EXPECT_EQ(Find(Path("lyrics/dir.mp3")).Source, AudioSource::None);
}

TEST_F(AudioForLyrics, EverySongFolderIsSearchedBeforeTheOpenSong) {
    dir_.MakeDir("first/sub");
    const QString song = Touch("second/one/two/wanted.mp3");
    const QStringList folders{Path("first"), Path("second")};
    for (const QString& openSong : {QString(), Path("open.mp3")}) {
        const AudioSearchResult result = Find("wanted.mp3", folders, openSong);
        EXPECT_EQ(result.Source, AudioSource::SongFolder);
        EXPECT_EQ(result.Path, song);
        EXPECT_EQ(result.FolderIndex, 1);
    }
    const AudioSearchResult kept = Find("absent.mp3", folders, Path("open.mp3"));
    EXPECT_EQ(kept.Source, AudioSource::OpenSong);
    EXPECT_EQ(kept.Path, Path("open.mp3"));
    const AudioSearchResult none = Find("absent.mp3", folders);
    EXPECT_EQ(none.Source, AudioSource::None);
    EXPECT_TRUE(none.SearchRan);
}

TEST_F(AudioForLyrics, SearchNeedsFoldersAndAName) {
    const AudioSearchResult noFolders = Find("absent.mp3", {}, Path("open.mp3"));
    EXPECT_EQ(noFolders.Source, AudioSource::None);
    EXPECT_FALSE(noFolders.SearchRan);
    EXPECT_FALSE(Find("", {Path("lyrics")}, Path("open.mp3")).SearchRan);

    dir_.MakeDir("music/a/named.mp3");
    const AudioSearchResult folderHit = Find("named.mp3", {Path("music")});
    EXPECT_EQ(folderHit.Source, AudioSource::SongFolder);
    EXPECT_EQ(folderHit.Path, Path("music") + "/a/named.mp3");
}

}  // namespace
}  // namespace vok
