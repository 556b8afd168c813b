// LRC songs in the player (opening, the search panels, the playlist) and the user's lyric offset.

#include "PlayerFixture.h"

#include "player/PlaylistModel.h"
#include "settings/IniFile.h"
#include "support/Id3Writer.h"

namespace vok::test {
namespace {

class LrcOffsetTest : public PlayerFixture {
  protected:
    // The fixture's three lines as an LRC file, with a gap after the third.
    QString Lrc(const QString& relative, const QByteArray& head = {}) const {
        return dir.Write(relative, head +
                                       "[00:00.50]First line\r\n[00:02.60]Third line\r\n"
                                       "[00:01.50]Second line\r\n[00:03.50]\r\n");
    }
    // Loaded as the lyric button does: the only playlist entry.
    void Load(const QString& path) {
        dialogs.Picks.push_back(path);
        controller->VoKBtnClick();
    }
    bool Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const bool consumed = controller->FormKeyDown(key, modifiers);
        controller->FormKeyUp(key, modifiers);
        return consumed;
    }
    // Plays the loaded song from its start in 1 ms steps; the position of the first tick that
    // shows `text`, or -1.
    int FirstShown(const QString& text, int untilMs = 2500) {
        controller->PlayBtnClick();
        PlayFor(audio::DeviceLatency());
        for (int step = 0; step < untilMs + 1000 && PositionMs() < untilMs; ++step) {
            PlayFor(0.001);
            if (controller->Display().LastLineText == text) {
                return PositionMs();
            }
        }
        return -1;
    }
};

TEST_F(LrcOffsetTest, LrcSongOpensBesideItsAudioPlaysLineByLineAndCannotBeReplaced) {
    Tone(QStringLiteral("music/Song.MP3"));
    const QString lrc = Lrc(QStringLiteral("music/song.lrc"), "\xEF\xBB\xBF[ti:Tone]\n");
    PlayerController& player = Start();
    dialogs.Picks.push_back(lrc);
    player.VoKBtnClick();
    EXPECT_TRUE(dialogs.Requests.at(0).Filter.contains(QStringLiteral("*.lrc")));
    EXPECT_EQ(player.Engine().SongPath(), dir.FilePath(QStringLiteral("music/Song.MP3")));
    EXPECT_EQ(window.LyricPanel.Title, lrc);
    EXPECT_EQ(player.Song().LineCount, 3);
    // Without [length:] the last line lasts to the song's end once that is known.
    LyricLine last;
    player.Song().GetLine(3, last);
    EXPECT_EQ(last.End, 3499);
    EXPECT_FALSE(player.CanReplaceSongFile());

    EXPECT_EQ(FirstShown(QStringLiteral("Second line")), 1500);
    EXPECT_EQ(player.Session().CurrentLine(), 2);
    PlayFor(1.5);
    EXPECT_EQ(player.Display().LastLineText, QStringLiteral("Third line"));
    PlayFor(1.0);
    EXPECT_EQ(player.Display().LastLineText, QString()) << "the empty stamp is a gap";
}

TEST_F(LrcOffsetTest, LastLineLastsToTheSongEndAndMissingOrUselessFilesSayWhy) {
    Tone(QStringLiteral("a/tail.ogg"));
    const QString tail = dir.Write(QStringLiteral("a/tail.lrc"), "[00:01]Only\n");
    const QString alone = Lrc(QStringLiteral("b/alone.lrc"));
    const QString junk = dir.Write(QStringLiteral("b/junk.lrc"), QByteArray(3000, '\x01'));
    PlayerController& player = Start();

    EXPECT_TRUE(player.OpenLyricFile(tail));
    LyricLine line;
    player.Song().GetLine(1, line);
    EXPECT_EQ(line.End, player.Engine().LengthMs());
    EXPECT_GT(line.End, 11000);

    player.UnloadMP3BtnClick();
    EXPECT_FALSE(player.OpenLyricFile(alone));
    EXPECT_EQ(SongTitle(), QStringLiteral("Could not find the assign song, load one manually"));
    EXPECT_EQ(SongInfo(), QStringLiteral("Assigned filename: alone.*"));

    EXPECT_FALSE(player.OpenLyricFile(junk));
    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_EQ(dialogs.Messages[0].Caption, QStringLiteral("Warning"));
    EXPECT_TRUE(dialogs.Messages[0].Text.startsWith(QStringLiteral("This is not a lyric file")));
    EXPECT_FALSE(player.Song().Valid);
}

TEST_F(LrcOffsetTest, OffsetMovesTheLineChangeByExactlyTheOffset) {
    Tone(QStringLiteral("song.mp3"));
    const QString lrc = Lrc(QStringLiteral("song.lrc"));
    PlayerController& player = Start();
    Load(lrc);
    const int plain = FirstShown(QStringLiteral("Second line"));
    ASSERT_EQ(plain, 1500);
    player.Stoppa();
    Load(lrc);

    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Key(Qt::Key_G));
    }
    EXPECT_TRUE(Key(Qt::Key_H));
    EXPECT_EQ(player.Notice().Current(), QStringLiteral("Lyrics offset: +150 ms"));
    EXPECT_EQ(FirstShown(QStringLiteral("Second line")), plain - 150);
    EXPECT_EQ(player.Session().CurrentLine(), 2);
    EXPECT_LT(PositionMs(), 1500) << "the audio is not moved";
    player.Stoppa();

    // The file's own offset adds to the user's.
    dir.Write(QStringLiteral("song.lrc"),
              "[offset:+100]\n[00:00.50]First line\n"
              "[00:01.50]Second line\n");
    Load(lrc);
    EXPECT_EQ(FirstShown(QStringLiteral("Second line")), plain - 250);
    player.Stoppa();

    for (int i = 0; i < 10; ++i) {
        Key(Qt::Key_H);
    }
    Load(lrc);
    EXPECT_EQ(player.Notice().Current(), QStringLiteral("Lyrics offset: -350 ms"));
    EXPECT_EQ(FirstShown(QStringLiteral("Second line")), plain + 250);
    EXPECT_FALSE(Key(Qt::Key_G, Qt::ControlModifier)) << "Ctrl+G is not the offset key";
    EXPECT_EQ(player.Session().LyricOffsetMs, -350);
}

TEST_F(LrcOffsetTest, OffsetIsClampedNoticeExpiresAndTheCloseWriteStoresIt) {
    dir.Write(QStringLiteral("VokPlayer.ini"), "[Installningar]\nLyricOffset=2990\n");
    Tone(QStringLiteral("song.mp3"));
    PlayerController& player = Start();
    qint64 now = 1000;
    player.Notice().SetClock([&now] { return now; });
    EXPECT_EQ(player.Session().LyricOffsetMs, 2990);
    Key(Qt::Key_G);
    Key(Qt::Key_G);
    EXPECT_EQ(player.Notice().Current(), QStringLiteral("Lyrics offset: +3000 ms"));
    EXPECT_EQ(player.Session().LyricOffsetMs, 3000);

    Load(Lrc(QStringLiteral("song.lrc")));
    player.PlayBtnClick();
    PlayFor(audio::DeviceLatency() + 0.1);
    EXPECT_EQ(player.Display().LastLineText, QStringLiteral("Third line")) << "3 s sooner";
    now += 1999;
    PlayFor(0.1);
    EXPECT_FALSE(player.Notice().Current().isEmpty());
    now += 1;
    PlayFor(0.1);
    EXPECT_TRUE(player.Notice().Current().isEmpty()) << "two seconds, then the times again";
    EXPECT_EQ(player.Engine().PositionMs(), PositionMs());
    player.Stoppa();
    Key(Qt::Key_H);  // the loaded song's own offset; the device's stays
    EXPECT_EQ(player.Notice().Current(), QStringLiteral("Lyrics offset: +2950 ms"));
    player.UnloadMP3BtnClick();
    EXPECT_EQ(player.Session().LyricOffsetMs, 3000);
    Key(Qt::Key_H);
    Close();
    const IniFile ini = IniFile::Load(dir.FilePath(QStringLiteral("VokPlayer.ini")));
    EXPECT_EQ(ini.ReadInteger(u"Installningar", u"LyricOffset", 0), 2950);
}

TEST_F(LrcOffsetTest, SongsOwnOffsetComesBackWithItAfterARestartOnTopOfTheDevicesOffset) {
    dir.Write(QStringLiteral("VokPlayer.ini"), "[Installningar]\nLyricOffset=100\n");
    Tone(QStringLiteral("song.mp3"));
    const QString other = Tone(QStringLiteral("other.mp3"));
    const QString lrc = Lrc(QStringLiteral("song.lrc"), "[ti:Song]\n[ar:Singer]\n");
    Start();
    Load(lrc);
    Key(Qt::Key_G);
    Key(Qt::Key_G);
    EXPECT_EQ(controller->Notice().Current(), QStringLiteral("Lyrics offset: +200 ms"));
    Close();

    PlayerController& again = Start();
    Load(lrc);
    EXPECT_EQ(again.Session().LyricOffsetMs, 200) << "its own 100 on the device's 100";
    Load(other);
    EXPECT_EQ(again.Session().LyricOffsetMs, 100) << "another song has none of its own";
}

TEST_F(LrcOffsetTest, PlaylistShowsLrcSongsBesideVokSongsAndTheFolderScanFindsThem) {
    Id3v2Tag tag;
    tag.Add(Id3Frame::Text("TIT2", QStringLiteral("Tag Title")));
    tag.Add(Id3Frame::Text("TPE1", QStringLiteral("Tag Artist")));
    dir.Write(QStringLiteral("list/Tagged.mp3"), Mp3File(tag.Build(), 512));
    const QString vok = Lyrics(QStringLiteral("list/b.vok"), QStringLiteral("Tagged.mp3"));
    const QString titled = Lrc(QStringLiteral("list/a.lrc"), "[ti:Lrc Title]\n[ar:Lrc Artist]\n");
    const QString untitled = Lrc(QStringLiteral("list/tagged.LRC"));
    Start();
    PlaylistModel model(controller->Playlist(), controller->Library());
    controller->AddPlaylistView(&model);
    dialogs.FolderPick =
        UserDialogs::FolderChoice{dir.FilePath(QStringLiteral("list")), true, false, false};
    controller->AddFolder();
    const QStringList items = controller->Playlist().PlayItems();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0], vok) << ".vok files first, then .lrc";
    EXPECT_TRUE(items.contains(titled));
    EXPECT_TRUE(items.contains(untitled));
    const auto cell = [&model](int row, int column) {
        return model.data(model.index(row, column), Qt::DisplayRole).toString();
    };
    const int a = static_cast<int>(items.indexOf(titled));
    EXPECT_EQ(cell(0, PlaylistModel::TitleColumn), QStringLiteral("Tone"));
    EXPECT_EQ(cell(a, PlaylistModel::TitleColumn), QStringLiteral("Lrc Title"));
    EXPECT_EQ(cell(a, PlaylistModel::ArtistColumn), QStringLiteral("Lrc Artist"));
    // No [ti:]/[ar:]: the tags of the audio file beside it.
    const int t = static_cast<int>(items.indexOf(untitled));
    EXPECT_EQ(cell(t, PlaylistModel::TitleColumn), QStringLiteral("Tag Title"));
    EXPECT_EQ(cell(t, PlaylistModel::ArtistColumn), QStringLiteral("Tag Artist"));
    EXPECT_EQ(controller->Song().FileName, vok) << "entry 0 was opened";
    controller->RemovePlaylistView(&model);
}

}  // namespace
}  // namespace vok::test
