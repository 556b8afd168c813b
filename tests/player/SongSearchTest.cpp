// Opening a lyric file: where its song is found, what the panels say, the warning for files that
// are not lyric files, and writing the song's name back.

#include "PlayerFixture.h"

#include "lyrics/Vokalento.h"

#include <sys/stat.h>

namespace vok::test {
namespace {

class SongSearchTest : public PlayerFixture {
  protected:
    // Song folders as the settings file lists them.
    void SongFolders(const QStringList& folders) {
        QByteArray ini = "[Kataloger]\n";
        for (int i = 0; i < folders.size(); ++i) {
            ini += QByteArray::number(i) + '=' + folders[i].toUtf8() + '\n';
        }
        dir.Write(QStringLiteral("VokPlayer.ini"), ini);
    }
};

TEST_F(SongSearchTest, StoredPathWinsAndAMissingFolderFallsBackBesideTheLyricFile) {
    const QString stored = Tone(QStringLiteral("elsewhere/tone.mp3"));
    Tone(QStringLiteral("lyrics/tone.mp3"));
    const QString direct = Lyrics(QStringLiteral("lyrics/direct.vok"), stored);
    const QString gone =
        Lyrics(QStringLiteral("lyrics/gone.VOK"), dir.FilePath(QStringLiteral("gone/TONE.MP3")));
    PlayerController& player = Start();

    EXPECT_TRUE(player.OpenLyricFile(direct));
    EXPECT_EQ(player.Engine().SongPath(), stored);
    EXPECT_TRUE(HasStream());

    EXPECT_TRUE(player.OpenLyricFile(gone)) << "capital extension, name matched ignoring case";
    EXPECT_EQ(player.Engine().SongPath(), dir.FilePath(QStringLiteral("lyrics/tone.mp3")));
    EXPECT_EQ(window.LyricPanel.Title, gone);
}

TEST_F(SongSearchTest, EverySongFolderIsSearchedBeforeTheOpenSongIsKept) {
    const QString first = dir.MakeDir(QStringLiteral("first"));
    const QString second = dir.MakeDir(QStringLiteral("second"));
    const QString deep = Tone(QStringLiteral("second/x/y/deep.mp3"));
    const QString other = Tone(QStringLiteral("other.mp3"));
    SongFolders({first, second});
    const QString deepVok = Lyrics(QStringLiteral("l/deep.vok"), QStringLiteral("deep.mp3"));
    const QString lostVok = Lyrics(QStringLiteral("l/lost.vok"), QStringLiteral("lost.mp3"));
    PlayerController& player = Start();
    dialogs.Picks = {other};
    player.MP3BtnClick();
    ASSERT_EQ(player.Engine().SongPath(), other);

    // A song is open, yet the second folder's tree is still searched and wins.
    EXPECT_TRUE(player.OpenLyricFile(deepVok));
    EXPECT_EQ(player.Engine().SongPath(), deep);
    EXPECT_EQ(SongTitle(), QStringLiteral("deep.mp3"));

    // No folder holds it: the song that was open stays.
    EXPECT_TRUE(player.OpenLyricFile(lostVok));
    EXPECT_EQ(player.Engine().SongPath(), deep);
    EXPECT_TRUE(HasStream());
}

TEST_F(SongSearchTest, SongNotFoundAsksForAManualLoad) {
    const QString vok = Lyrics(QStringLiteral("song.vok"), QStringLiteral("C:\\Songs\\lost.mp3"));
    PlayerController& player = Start();

    EXPECT_FALSE(player.LaddaFil(vok, 0));
    EXPECT_EQ(SongTitle(), QStringLiteral("Could not find the assign song, load one manually"));
    EXPECT_EQ(SongInfo(), QStringLiteral("Assigned filename: lost.mp3"));
    EXPECT_EQ(window.LyricPanel.Title, vok) << "the lyric file itself stays loaded";
    EXPECT_TRUE(player.Song().Valid);
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(SongSearchTest, AFolderBearingTheSongsNameIsFoundButCannotBePlayed) {
    const QString songs = dir.MakeDir(QStringLiteral("songs"));
    dir.MakeDir(QStringLiteral("songs/sub/fake.mp3"));
    SongFolders({songs});
    const QString vok = Lyrics(QStringLiteral("l/fake.vok"), QStringLiteral("fake.mp3"));
    PlayerController& player = Start();

    EXPECT_TRUE(player.LaddaFil(vok, 0)) << "found counts, whether or not it opens";
    EXPECT_FALSE(HasStream());
    EXPECT_EQ(SongInfo(), QStringLiteral("Could not load file"));
}

TEST_F(SongSearchTest, ASongBesideTheLyricsThatCannotBeDecodedIsReportedAsFoundNotMissing) {
    dir.Write(QStringLiteral("l/damaged.mp3"), QByteArray(8192, '\x55'));
    const QString vok = Lyrics(QStringLiteral("l/damaged.vok"), QStringLiteral("damaged.mp3"));
    PlayerController& player = Start();

    EXPECT_TRUE(player.LaddaFil(vok, 0));
    EXPECT_FALSE(HasStream());
    EXPECT_EQ(SongTitle(), QStringLiteral("damaged.mp3"));
    EXPECT_EQ(SongInfo(), QStringLiteral("Could not load file"));
}

TEST_F(SongSearchTest, FilesThatAreNotLyricFilesAreWarnedAboutOrIgnored) {
    const QString bad =
        dir.Write(QStringLiteral("bad.vok"), LyricFileWriter(2).WrongMagic().Bytes());
    const QString future =
        dir.Write(QStringLiteral("future.vok"), LyricFileWriter(2).VersionByte(3).Bytes());
    const QString song = Tone();
    PlayerController& player = Start();

    for (const QString& path : {bad, future}) {
        dialogs.Messages.clear();
        EXPECT_FALSE(player.OpenLyricFile(path));
        ASSERT_EQ(dialogs.Messages.size(), 1U) << path.toStdString();
        EXPECT_EQ(dialogs.Messages[0].Caption, QStringLiteral("Warning"));
        EXPECT_EQ(dialogs.Messages[0].Text,
                  QStringLiteral("This is not a valid Vokalento-file!\n2"));
        EXPECT_EQ(dialogs.Messages[0].Kind, UserDialogs::Icon::Warning);
        EXPECT_FALSE(player.Song().Valid);
        EXPECT_TRUE(window.LyricPanel.Title.isEmpty());
    }

    dialogs.Messages.clear();
    EXPECT_FALSE(player.OpenLyricFile(song)) << "not a lyric file by its name";
    EXPECT_FALSE(player.OpenLyricFile(dir.FilePath(QStringLiteral("missing.vok"))));
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(SongSearchTest, ReplaceWritesTheOpenSongsNameIntoTheLyricFileOnlyOnYes) {
    const QString song = Tone(QStringLiteral("music/new name.mp3"));
    const QString vok = Lyrics(QStringLiteral("song.vok"), QStringLiteral("old.mp3"));
    SongFolders({dir.MakeDir(QStringLiteral("empty"))});
    PlayerController& player = Start();
    player.ReplaceBtnClick();  // nothing loaded: no question
    EXPECT_TRUE(dialogs.Questions.empty());

    dialogs.Picks = {song};
    player.MP3BtnClick();
    ASSERT_TRUE(player.OpenLyricFile(vok));  // not found: the open song is kept
    dialogs.Answer = false;
    player.ReplaceBtnClick();
    ASSERT_EQ(dialogs.Questions.size(), 1U);
    EXPECT_EQ(dialogs.Questions[0].Caption, QStringLiteral("Replace"));
    EXPECT_EQ(dialogs.Questions[0].Text,
              QStringLiteral("Are you sure to replace the file:\nold.mp3\nmed följande fil:\n"
                             "new name.mp3?"));
    TVokalento reread;
    reread.LoadFromFile(vok);
    EXPECT_EQ(reread.SongFile, QStringLiteral("old.mp3"));

    dialogs.Answer = true;
    player.ReplaceBtnClick();
    reread.Reset();
    reread.LoadFromFile(vok);
    EXPECT_EQ(reread.SongFile, QStringLiteral("new name.mp3")) << "the name only, no folder";
    EXPECT_TRUE(dialogs.Messages.empty());

    // A backslash belongs to a local file's name; only / separates folders here.
    const QString slashed = Tone(QStringLiteral("music/AC\\DC.mp3"));
    ASSERT_TRUE(player.LaddaFil(slashed, 0));
    ASSERT_TRUE(player.OpenLyricFile(vok));
    player.ReplaceBtnClick();
    reread.Reset();
    reread.LoadFromFile(vok);
    EXPECT_EQ(reread.SongFile, QStringLiteral("AC\\DC.mp3"));
}

TEST_F(SongSearchTest, BoxesCarryTheirOwnCaptionsAndTheCopyrightCreditsTheLibraries) {
    PlayerController& player = Start();
    player.ShowCopyright();
    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_EQ(dialogs.Messages[0].Caption, QStringLiteral("Copyright..."));
    for (const char* credit : {"Qt", "FFmpeg", "SDL", "LGPL", "zlib", "Contact"}) {
        EXPECT_TRUE(dialogs.Messages[0].Text.contains(QLatin1String(credit))) << credit;
    }
    const QString pipe = dir.FilePath(QStringLiteral("pipe.vpl"));
    ASSERT_EQ(mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    player.LoadPL(false, pipe);
    ASSERT_EQ(dialogs.Messages.size(), 2U);
    EXPECT_EQ(dialogs.Messages[1].Caption, QStringLiteral("Kestrovane Vokalento"));
    EXPECT_EQ(dialogs.Messages[1].Kind, UserDialogs::Icon::Error);
}

}  // namespace
}  // namespace vok::test
