// Keys and the volume bar, the first-show step with and without files, and closing.

#include "PlayerFixture.h"

#include "settings/IniFile.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace vok::test {
namespace {

class KeysStartCloseTest : public PlayerFixture {
  protected:
    // A key pressed and released, as the window hands it on; true when it was consumed.
    bool Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const bool consumed = controller->FormKeyDown(key, modifiers);
        controller->FormKeyPress(key);
        controller->FormKeyUp(key, modifiers);
        return consumed;
    }

    // Three songs a.mp3, b.mp3, c.mp3 added through the song button; a.mp3 is opened.
    QStringList ThreeSongs() {
        const QStringList songs = {Tone(QStringLiteral("a.mp3")), Tone(QStringLiteral("b.mp3")),
                                   Tone(QStringLiteral("c.mp3"))};
        dialogs.Picks.assign(songs.begin(), songs.end());
        for (int i = 0; i < 3; ++i) {
            controller->MP3BtnClick();
        }
        return songs;
    }

    IniFile Ini() const { return IniFile::Load(dir.FilePath(QStringLiteral("VokPlayer.ini"))); }
    QString DefaultList() const { return dir.FilePath(QStringLiteral("default.vpl")); }
};

TEST_F(KeysStartCloseTest, SpacePlaysPausesAndRestartsFromTheBeginning) {
    PlayerController& player = Start();
    EXPECT_TRUE(Key(Qt::Key_Space)) << "no stream: nothing happens";
    ThreeSongs();

    Key(Qt::Key_Space);
    EXPECT_EQ(player.State(), PlayState::Playing);
    PlayFor(2.0 + audio::DeviceLatency());
    Key(Qt::Key_Space);
    EXPECT_EQ(player.State(), PlayState::Paused);
    EXPECT_TRUE(window.PauseLit) << "the pause button lights up";
    player.tmrTimer();
    EXPECT_FALSE(TickArmed()) << "a paused tick leaves the timer off";
    Key(Qt::Key_Space);  // while paused: the active entry from its start
    EXPECT_EQ(player.State(), PlayState::Playing);
    EXPECT_FALSE(window.PauseLit) << "playing again: pause released";
    EXPECT_TRUE(window.PlayLit) << "and play lit, without a click";
    PlayFor(audio::DeviceLatency() + 0.1);
    EXPECT_LT(PositionMs(), 1000);
}

TEST_F(KeysStartCloseTest, UpAndDownStopAtTheEndsAndStartTheEntryOnlyWhilePlaying) {
    PlayerController& player = Start();
    ThreeSongs();
    Key(Qt::Key_Up);
    EXPECT_EQ(player.PlayIndex(), 0);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(player.PlayIndex(), 2);
    EXPECT_EQ(SongTitle(), QStringLiteral("a.mp3")) << "idle: only the index";

    player.SpelaVOK(0);
    Key(Qt::Key_Down);
    EXPECT_EQ(player.PlayIndex(), 1);
    EXPECT_EQ(player.State(), PlayState::Playing);
    EXPECT_EQ(SongTitle(), QStringLiteral("b.mp3"));
}

TEST_F(KeysStartCloseTest, KeypadPlusMinusAndTheVolumeBarSetTheVolume) {
    PlayerController& player = Start();
    player.ChangeVolume(127);
    EXPECT_EQ(window.Volume, 127);
    EXPECT_TRUE(Key(Qt::Key_Plus, Qt::KeypadModifier));
    EXPECT_EQ(player.Engine().Volume(), 143);
    EXPECT_EQ(window.Volume, 143);
    EXPECT_FALSE(Key(Qt::Key_Plus)) << "the + of the main keyboard is not the volume key";
    EXPECT_EQ(player.Engine().Volume(), 143);

    player.ChangeVolume(3);
    Key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(player.Engine().Volume(), 3) << "at 16 or below keypad minus does nothing";
    player.ChangeVolume(250);
    Key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(window.Volume, 255);
}

TEST_F(KeysStartCloseTest, ArrowsJumpByTheJumpTimeOnlyWhereTheSongAllows) {
    PlayerController& player = Start();
    ThreeSongs();
    player.PlayBtnClick();
    PlayFor(1.0 + audio::DeviceLatency());
    EXPECT_TRUE(Key(Qt::Key_Right));
    PlayFor(audio::DeviceLatency() + 0.05);
    EXPECT_GE(PositionMs(), 6000);
    EXPECT_LT(PositionMs(), 6500);

    Key(Qt::Key_Left);
    PlayFor(audio::DeviceLatency() + 0.05);
    EXPECT_GE(PositionMs(), 1000);
    EXPECT_LT(PositionMs(), 1500);
    Key(Qt::Key_Left);  // less than the jump time played: stays
    PlayFor(0.05);
    EXPECT_GE(PositionMs(), 1000);
}

TEST_F(KeysStartCloseTest, EscapeStopsF10TogglesRandomAndTabIsSwallowed) {
    PlayerController& player = Start();
    ThreeSongs();
    player.PlayBtnClick();
    EXPECT_TRUE(Key(Qt::Key_Tab));
    EXPECT_EQ(player.State(), PlayState::Playing);
    Key(Qt::Key_F10);
    EXPECT_TRUE(player.Playlist().Random());
    Key(Qt::Key_F10);
    EXPECT_FALSE(player.Playlist().Random());
    Key(Qt::Key_Escape);
    EXPECT_EQ(player.State(), PlayState::Idle);
    EXPECT_EQ(quitCalls, 0) << "Escape never ends the program";
}

TEST_F(KeysStartCloseTest, StartWithoutFilesRestoresTheDefaultListAndItsActiveEntry) {
    const QString a = Tone(QStringLiteral("a.mp3"));
    const QString b = Tone(QStringLiteral("b.mp3"));
    const QString c = Tone(QStringLiteral("c.mp3"));
    dir.Write(QStringLiteral("default.vpl"), (a + "\r\n" + b + "\r\n" + c + "\r\n").toUtf8());
    dir.Write(QStringLiteral("VokPlayer.ini"), "[Installningar]\nActivePlayItem=2\n");
    PlayerController& player = Start();

    EXPECT_EQ(player.Playlist().Count(), 3);
    EXPECT_EQ(player.PlayIndex(), 2);
    EXPECT_EQ(SongTitle(), QStringLiteral("c.mp3"));
    EXPECT_EQ(player.State(), PlayState::Idle) << "nothing plays at start";
}

TEST_F(KeysStartCloseTest, ADefaultListThatCannotBeReadIsReportedAndNeverOverwritten) {
    const QString list = DefaultList();
    ASSERT_EQ(mkfifo(list.toLocal8Bit().constData(), 0600), 0);
    PlayerController& player = Start();
    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_TRUE(dialogs.Messages[0].Text.contains(list));
    EXPECT_EQ(player.Playlist().Count(), 0);

    Close();
    EXPECT_FALSE(QFileInfo(list).isFile()) << "still the pipe, not an empty list";
    EXPECT_EQ(dialogs.Messages.size(), 1U);
}

TEST_F(KeysStartCloseTest, StartWithAFilePlaysItAndWritesNothingAndStopQuitsWithTheSwitch) {
    Tone();
    const QString vok = Lyrics(QStringLiteral("song.vok"), QStringLiteral("tone.mp3"));
    PlayerController& player = Start({vok, QStringLiteral("/autoQuit")});
    EXPECT_EQ(player.State(), PlayState::Playing);
    EXPECT_EQ(player.Playlist().PlayItems(), QStringList{vok});
    player.StopBtnClick();
    EXPECT_EQ(quitCalls, 1);
    Close();
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath(QStringLiteral("VokPlayer.ini"))));
    EXPECT_FALSE(QFileInfo::exists(DefaultList()));
}

TEST_F(KeysStartCloseTest, StartWithTheSwitchAloneOrAMissingFileLeavesAnEmptyReadOnlyPlayer) {
    const QString a = Tone(QStringLiteral("a.mp3"));
    dir.Write(QStringLiteral("default.vpl"), (a + "\r\n").toUtf8());
    for (const QString& parameter :
         {QStringLiteral("/autoquit"), dir.FilePath(QStringLiteral("nothing.vok"))}) {
        quitCalls = 0;
        PlayerController& player = Start({parameter});
        EXPECT_EQ(player.Playlist().Count(), 0) << parameter.toStdString();
        EXPECT_FALSE(HasStream());
        player.StopBtnClick();
        EXPECT_EQ(quitCalls, parameter == QStringLiteral("/autoquit") ? 1 : 0);
        Close();
        EXPECT_EQ(ReadAll(DefaultList()), (a + "\r\n").toUtf8()) << "a read-only run";
    }
}

TEST_F(KeysStartCloseTest, StartWithAListInCapitalsLoadsItAndPlaysItsFirstEntry) {
    const QString a = Tone(QStringLiteral("a.mp3"));
    const QString b = Tone(QStringLiteral("b.mp3"));
    for (const char* name : {"party.VPL", "party.M3U"}) {
        const QString list = dir.Write(QLatin1String(name), (a + "\n" + b + "\n").toUtf8());
        PlayerController& player = Start({list});
        EXPECT_EQ(player.Playlist().Count(), 2) << name;
        EXPECT_EQ(player.PlayIndex(), 0);
        EXPECT_EQ(player.State(), PlayState::Playing);
    }
}

TEST_F(KeysStartCloseTest, SeveralFilesNamedBecomeThePlaylistInOrderAtStartAndWhenHandedIn) {
    const QString a = Tone(QStringLiteral("a.mp3"));
    const QString b = Tone(QStringLiteral("b.mp3"));
    const QString c = Tone(QStringLiteral("c.mp3"));
    const QString list = dir.Write(QStringLiteral("bc.vpl"), (b + "\n" + c + "\n").toUtf8());
    PlayerController& player =
        Start({a, QStringLiteral("/AUTOQUIT"), dir.FilePath(QStringLiteral("gone.mp3")), list});
    EXPECT_EQ(player.Playlist().PlayItems(), (QStringList{a, b, c}));
    EXPECT_EQ(SongTitle(), QStringLiteral("a.mp3"));

    player.OpenHandedFiles({c, QStringLiteral("/AUTOQUIT"), a});
    EXPECT_EQ(player.Playlist().PlayItems(), (QStringList{c, a}));
    EXPECT_EQ(player.State(), PlayState::Playing);
    EXPECT_EQ(SongTitle(), QStringLiteral("c.mp3"));
    player.StopBtnClick();
    EXPECT_EQ(quitCalls, 1) << "the switch of the start still makes Stop end the player";
}

TEST_F(KeysStartCloseTest, AHandedFileIsIgnoredUntilShownThenReplacesTheListAndPlays) {
    Tone();
    const QString vok = Lyrics(QStringLiteral("song.vok"), QStringLiteral("tone.mp3"));
    PlayerController& early = Create();
    early.OpenHandedFile(vok);
    EXPECT_EQ(early.Playlist().Count(), 0) << "before the first show nothing is taken up";

    PlayerController& player = Start();
    ThreeSongs();
    player.SpelaVOK(2);
    PlayFor(2.0 + audio::DeviceLatency());
    player.OpenHandedFile(vok);
    EXPECT_EQ(window.Raised, 1) << "the player comes into view";
    EXPECT_EQ(player.Playlist().PlayItems(), QStringList{vok});
    EXPECT_EQ(player.PlayIndex(), 0);
    EXPECT_EQ(player.State(), PlayState::Playing);
    PlayFor(audio::DeviceLatency() + 0.1);
    EXPECT_LT(PositionMs(), 1000) << "the new song plays from its start";

    // The switch handed over after the file, and a mistyped name: neither is a file, so the
    // song keeps playing; the switch itself is not taken up here.
    player.OpenHandedFile(QStringLiteral("/AUTOQUIT"));
    player.OpenHandedFile(dir.FilePath(QStringLiteral("sogn.vok")));
    EXPECT_EQ(player.State(), PlayState::Playing);
    EXPECT_TRUE(HasStream());
    EXPECT_EQ(window.Raised, 1);
    player.StopBtnClick();
    EXPECT_EQ(quitCalls, 0) << "a handed switch never ends the program";
    EXPECT_EQ(player.Playlist().PlayItems(), QStringList{vok});

    Close();  // a hand-over never makes the run read-only
    EXPECT_EQ(ReadAll(DefaultList()), (vok + "\r\n").toUtf8());
}

TEST_F(KeysStartCloseTest, AHandedAudioFileIsLoadedAndPlayedInPlaceOfThePlayingSong) {
    const QString tone = Tone();
    PlayerController& player = Start();
    ThreeSongs();
    player.SpelaVOK(1);
    PlayFor(2.0 + audio::DeviceLatency());
    player.OpenHandedFile(tone);
    EXPECT_EQ(player.Playlist().PlayItems(), QStringList{tone});
    EXPECT_EQ(player.State(), PlayState::Playing);
    EXPECT_EQ(SongTitle(), QStringLiteral("tone.mp3"));
    PlayFor(audio::DeviceLatency() + 0.1);
    EXPECT_LT(PositionMs(), 1000) << "the new song plays from its start";
}

TEST_F(KeysStartCloseTest, CloseStopsThePlayingSongThenWritesSettingsAndTheDefaultList) {
    PlayerController& player = Start();
    const QStringList songs = ThreeSongs();
    player.ChangeVolume(127);
    player.SpelaVOK(1);
    Close();

    EXPECT_EQ(player.State(), PlayState::Idle);
    EXPECT_FALSE(TickArmed());
    const IniFile ini = Ini();
    EXPECT_EQ(ini.ReadInteger(u"Installningar", u"Volym", -99), 127);
    EXPECT_EQ(ini.ReadInteger(u"Installningar", u"ActivePlayItem", -99), 1);
    EXPECT_EQ(ReadAll(DefaultList()), (songs.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(KeysStartCloseTest, ARefusedSettingsWriteIsReportedAndThePlayerStillCloses) {
    // A folder where the settings file should be: every write to it is refused.
    const QString settings = dir.MakeDir(QStringLiteral("VokPlayer.ini"));
    Start();
    ThreeSongs();
    Close();

    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("Unable to write to ") + settings);
    EXPECT_EQ(dialogs.Messages[0].Kind, UserDialogs::Icon::Error);
    EXPECT_FALSE(HasStream()) << "the stream is freed all the same";
    EXPECT_TRUE(QFileInfo(DefaultList()).isFile()) << "the playlist is a file of its own";
}

// The singer's keys on a loaded song: what the status line says and where the limits hold.
struct SingerKeys {
    int Key;
    int Presses;
    QString Notice;
    int KeySemitones;
    int TempoPercent;
};

class SingerKeysTest : public KeysStartCloseTest,
                       public ::testing::WithParamInterface<SingerKeys> {};

TEST_P(SingerKeysTest, SayWhatTheyDidAndHoldTheLimits) {
    PlayerController& player = Start();
    ThreeSongs();
    const SingerKeys& row = GetParam();
    for (int i = 0; i < row.Presses; ++i) {
        EXPECT_TRUE(Key(row.Key));
    }
    EXPECT_EQ(player.Notice().Current(), row.Notice);
    EXPECT_EQ(player.Engine().Shaping().KeySemitones, row.KeySemitones);
    EXPECT_EQ(player.Engine().Shaping().TempoPercent, row.TempoPercent);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SingerKeysTest,
    ::testing::Values(SingerKeys{Qt::Key_PageUp, 2, QStringLiteral("Key: +2"), 2, 100},
                      SingerKeys{Qt::Key_PageDown, 9, QStringLiteral("Key: -6"), -6, 100},
                      SingerKeys{Qt::Key_PageUp, 7, QStringLiteral("Key: +6"), 6, 100},
                      SingerKeys{Qt::Key_BracketLeft, 1, QStringLiteral("Tempo: 95 %"), 0, 95},
                      SingerKeys{Qt::Key_BracketLeft, 6, QStringLiteral("Tempo: 80 %"), 0, 80},
                      SingerKeys{Qt::Key_BracketRight, 5, QStringLiteral("Tempo: 120 %"), 0, 120},
                      SingerKeys{Qt::Key_V, 1,
                                 QStringLiteral("Vocals cannot be reduced: the song is mono"), 0,
                                 100}));

TEST_F(KeysStartCloseTest, EachSongKeepsItsOwnKeyAndTempoAndANewOneStartsPlain) {
    PlayerController& player = Start();
    ThreeSongs();
    for (const int key :
         {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_BracketLeft}) {
        Key(key);
    }
    player.SpelaVOK(1);
    EXPECT_EQ(player.Engine().Shaping().KeySemitones, 0) << "the next song as it is";
    EXPECT_EQ(player.Engine().Shaping().TempoPercent, 100);
    player.SpelaVOK(0);
    EXPECT_EQ(player.Engine().Shaping().KeySemitones, -3);
    EXPECT_EQ(player.Engine().Shaping().TempoPercent, 95);
}

}  // namespace
}  // namespace vok::test
