// Keys and the volume bar, the first-show step with and without files, and closing.

#include "PlayerFixture.h"

#include "app/VolumeBar.h"
#include "audio/PlaybackEngine.h"
#include "settings/IniFile.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>

#include <sys/stat.h>

namespace vok::test {
namespace {

class KeysStartCloseTest : public PlayerFixture {
  protected:
    // A key pressed and released on the window, as the window system delivers it.
    bool Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        const bool handled = QCoreApplication::sendEvent(form.get(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QCoreApplication::sendEvent(form.get(), &release);
        return handled && press.isAccepted();
    }

    // Three songs a.mp3, b.mp3, c.mp3 added through the song button; a.mp3 is opened.
    QStringList ThreeSongs() {
        const QStringList songs = {Tone(QStringLiteral("a.mp3")), Tone(QStringLiteral("b.mp3")),
                                   Tone(QStringLiteral("c.mp3"))};
        dialogs.Picks.assign(songs.begin(), songs.end());
        for (int i = 0; i < 3; ++i) {
            form->MP3BtnClick();
        }
        return songs;
    }

    IniFile Ini() const { return IniFile::Load(dir.FilePath(QStringLiteral("VokPlayer.ini"))); }
    QString DefaultList() const { return dir.FilePath(QStringLiteral("default.vpl")); }
};

TEST_F(KeysStartCloseTest, SpacePlaysPausesAndRestartsFromTheBeginning) {
    TVokPlayForm& player = Start();
    EXPECT_TRUE(Key(Qt::Key_Space)) << "no stream: nothing happens";
    ThreeSongs();

    Key(Qt::Key_Space);
    EXPECT_EQ(player.PlayState(), playstate::Playing);
    PlayFor(2.0 + audio::DeviceLatency());
    Key(Qt::Key_Space);
    EXPECT_EQ(player.PlayState(), playstate::Paused);
    EXPECT_EQ(player.Controls().PausBtn->ImageIndex(), 2) << "the pause button lights up";
    player.tmrTimer();
    EXPECT_FALSE(player.TimerArmed()) << "a paused tick leaves the timer off";
    Key(Qt::Key_Space);  // while paused: the active entry from its start
    EXPECT_EQ(player.PlayState(), playstate::Playing);
    EXPECT_EQ(player.Controls().PausBtn->ImageIndex(), 0) << "playing again: pause released";
    EXPECT_EQ(player.Controls().PlayBtn->ImageIndex(), 2) << "and play lit, without a click";
    PlayFor(audio::DeviceLatency() + 0.1);
    EXPECT_LT(player.PositionMs(), 1000);
}

TEST_F(KeysStartCloseTest, UpAndDownStopAtTheEndsAndStartTheEntryOnlyWhilePlaying) {
    TVokPlayForm& player = Start();
    ThreeSongs();
    Key(Qt::Key_Up);
    EXPECT_EQ(player.PlayIndex(), 0);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(player.PlayIndex(), 2);
    EXPECT_EQ(player.MP3Text().TitleLine(), QStringLiteral("a.mp3")) << "idle: only the index";

    player.SpelaVOK(0);
    Key(Qt::Key_Down);
    EXPECT_EQ(player.PlayIndex(), 1);
    EXPECT_EQ(player.PlayState(), playstate::Playing);
    EXPECT_EQ(player.MP3Text().TitleLine(), QStringLiteral("b.mp3"));
}

TEST_F(KeysStartCloseTest, KeypadPlusMinusAndTheVolumeBarSetTheVolume) {
    TVokPlayForm& player = Start();
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 32), QPointF(10, 32),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(player.VolBar(), &release);
    EXPECT_EQ(player.Engine().Volume(), 127);
    EXPECT_EQ(player.VolBar()->Value(), 127);
    EXPECT_EQ(player.VolBar()->BarColor(), QColor(0, 127, 0));

    EXPECT_TRUE(Key(Qt::Key_Plus, Qt::KeypadModifier));
    EXPECT_EQ(player.Engine().Volume(), 143);
    Key(Qt::Key_Plus);  // the + of the main keyboard is not the volume key
    EXPECT_EQ(player.Engine().Volume(), 143);

    player.VolBarMouseUp(63);
    EXPECT_EQ(player.Engine().Volume(), 3);
    Key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(player.Engine().Volume(), 3) << "at 16 or below keypad minus does nothing";

    player.VolBarMouseMove(0, false);
    EXPECT_EQ(player.Engine().Volume(), 3) << "moving without the button sets nothing";
    player.VolBarMouseMove(0, true);
    Key(Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(player.Engine().Volume(), 255);
}

TEST_F(KeysStartCloseTest, ArrowsJumpByTheJumpTimeOnlyWhereTheSongAllows) {
    TVokPlayForm& player = Start();
    ThreeSongs();
    player.PlayBtnClick();
    PlayFor(1.0 + audio::DeviceLatency());
    EXPECT_TRUE(Key(Qt::Key_Right));
    PlayFor(audio::DeviceLatency() + 0.05);
    EXPECT_GE(player.PositionMs(), 6000);
    EXPECT_LT(player.PositionMs(), 6500);

    Key(Qt::Key_Left);
    PlayFor(audio::DeviceLatency() + 0.05);
    EXPECT_GE(player.PositionMs(), 1000);
    EXPECT_LT(player.PositionMs(), 1500);
    Key(Qt::Key_Left);  // less than the jump time played: stays
    PlayFor(0.05);
    EXPECT_GE(player.PositionMs(), 1000);
}

TEST_F(KeysStartCloseTest, EscapeStopsF10TogglesRandomAndTabIsSwallowed) {
    TVokPlayForm& player = Start();
    ThreeSongs();
    player.PlayBtnClick();
    EXPECT_TRUE(Key(Qt::Key_Tab));
    EXPECT_EQ(player.PlayState(), playstate::Playing);
    Key(Qt::Key_F10);
    EXPECT_TRUE(player.Playlist().Random());
    Key(Qt::Key_F10);
    EXPECT_FALSE(player.Playlist().Random());
    Key(Qt::Key_Escape);
    EXPECT_EQ(player.PlayState(), playstate::Idle);
    EXPECT_EQ(quitCalls, 0) << "Escape never ends the program";
}

TEST_F(KeysStartCloseTest, StartWithoutFilesRestoresTheDefaultListAndItsActiveEntry) {
    const QString a = Tone(QStringLiteral("a.mp3"));
    const QString b = Tone(QStringLiteral("b.mp3"));
    const QString c = Tone(QStringLiteral("c.mp3"));
    dir.Write(QStringLiteral("default.vpl"), (a + "\r\n" + b + "\r\n" + c + "\r\n").toUtf8());
    dir.Write(QStringLiteral("VokPlayer.ini"), "[Installningar]\nActivePlayItem=2\n");
    TVokPlayForm& player = Start();

    EXPECT_TRUE(player.ReadyForFiles());
    EXPECT_FALSE(player.ReadOnlyRun());
    EXPECT_EQ(player.EntryCount(), 3);
    EXPECT_EQ(player.PlayIndex(), 2);
    EXPECT_EQ(player.MP3Text().TitleLine(), QStringLiteral("c.mp3"));
    EXPECT_EQ(player.PlayState(), playstate::Idle) << "nothing plays at start";
}

TEST_F(KeysStartCloseTest, ADefaultListThatCannotBeReadIsReportedAndNeverOverwritten) {
    const QString list = DefaultList();
    ASSERT_EQ(mkfifo(list.toLocal8Bit().constData(), 0600), 0);
    TVokPlayForm& player = Start();
    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_TRUE(dialogs.Messages[0].Text.contains(list));
    EXPECT_EQ(player.EntryCount(), 0);

    player.close();
    EXPECT_FALSE(QFileInfo(list).isFile()) << "still the pipe, not an empty list";
    EXPECT_EQ(dialogs.Messages.size(), 1U);
}

TEST_F(KeysStartCloseTest, StartWithAFilePlaysItAndWritesNothingAndStopQuitsWithTheSwitch) {
    Tone();
    const QString vok = Lyrics(QStringLiteral("song.vok"), QStringLiteral("tone.mp3"));
    TVokPlayForm& player = Start({vok, QStringLiteral("/autoQuit")});
    EXPECT_EQ(player.PlayState(), playstate::Playing);
    EXPECT_EQ(player.Playlist().PlayItems(), QStringList{vok});
    EXPECT_TRUE(player.ReadOnlyRun());
    EXPECT_TRUE(player.AutoQuit());
    EXPECT_FALSE(player.StartedWithFiles());

    player.StopBtnClick();
    EXPECT_EQ(quitCalls, 1);
    player.close();
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath(QStringLiteral("VokPlayer.ini"))));
    EXPECT_FALSE(QFileInfo::exists(DefaultList()));
}

TEST_F(KeysStartCloseTest, StartWithTheSwitchAloneOrAMissingFileLeavesAnEmptyReadOnlyPlayer) {
    const QString a = Tone(QStringLiteral("a.mp3"));
    dir.Write(QStringLiteral("default.vpl"), (a + "\r\n").toUtf8());
    for (const QString& parameter :
         {QStringLiteral("/autoquit"), dir.FilePath(QStringLiteral("nothing.vok"))}) {
        TVokPlayForm& player = Start({parameter});
        EXPECT_EQ(player.EntryCount(), 0) << parameter.toStdString();
        EXPECT_TRUE(player.ReadOnlyRun());
        EXPECT_EQ(player.AutoQuit(), parameter == QStringLiteral("/autoquit"));
        EXPECT_FALSE(player.HasStream());
    }
}

TEST_F(KeysStartCloseTest, StartWithAListInCapitalsLoadsItAndPlaysItsFirstEntry) {
    const QString a = Tone(QStringLiteral("a.mp3"));
    const QString b = Tone(QStringLiteral("b.mp3"));
    const QString list = dir.Write(QStringLiteral("party.VPL"), (a + "\n" + b + "\n").toUtf8());
    TVokPlayForm& player = Start({list});
    EXPECT_EQ(player.EntryCount(), 2);
    EXPECT_EQ(player.PlayIndex(), 0);
    EXPECT_EQ(player.PlayState(), playstate::Playing);
}

TEST_F(KeysStartCloseTest, AHandedFileIsIgnoredUntilShownThenReplacesTheListAndPlays) {
    Tone();
    const QString vok = Lyrics(QStringLiteral("song.vok"), QStringLiteral("tone.mp3"));
    TVokPlayForm& early = Create();
    early.OpenHandedFile(vok);
    EXPECT_EQ(early.EntryCount(), 0) << "before the first show nothing is taken up";

    TVokPlayForm& player = Start();
    ThreeSongs();
    player.SpelaVOK(2);
    PlayFor(2.0 + audio::DeviceLatency());
    player.showMinimized();
    player.OpenHandedFile(vok);
    EXPECT_FALSE(player.isMinimized()) << "the player comes back into view";
    EXPECT_EQ(player.Playlist().PlayItems(), QStringList{vok});
    EXPECT_EQ(player.PlayIndex(), 0);
    EXPECT_EQ(player.PlayState(), playstate::Playing);
    PlayFor(audio::DeviceLatency() + 0.1);
    EXPECT_LT(player.PositionMs(), 1000) << "the new song plays from its start";

    // The switch handed over after the file: playback stops and the song closes before the
    // name is found to be no file; the switch itself is not taken up here.
    player.OpenHandedFile(QStringLiteral("/AUTOQUIT"));
    EXPECT_NE(player.PlayState(), playstate::Playing);
    EXPECT_FALSE(player.HasStream());
    EXPECT_FALSE(player.AutoQuit());
    EXPECT_EQ(player.Playlist().PlayItems(), QStringList{vok});

    player.close();  // a hand-over never makes the run read-only
    EXPECT_EQ(ReadAll(DefaultList()), (vok + "\r\n").toUtf8());
}

TEST_F(KeysStartCloseTest, CloseStopsThePlayingSongThenWritesSettingsAndTheDefaultList) {
    TVokPlayForm& player = Start();
    const QStringList songs = ThreeSongs();
    player.VolBarMouseUp(32);
    player.SpelaVOK(1);
    player.close();

    EXPECT_EQ(player.PlayState(), playstate::Idle);
    EXPECT_FALSE(player.TimerArmed());
    const IniFile ini = Ini();
    EXPECT_EQ(ini.ReadInteger(u"Installningar", u"Volym", -99), 127);
    EXPECT_EQ(ini.ReadInteger(u"Installningar", u"ActivePlayItem", -99), 1);
    EXPECT_EQ(ReadAll(DefaultList()), (songs.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(KeysStartCloseTest, ARefusedSettingsWriteIsReportedAndTheWindowStillCloses) {
    // A folder where the settings file should be: every write to it is refused.
    const QString settings = dir.MakeDir(QStringLiteral("VokPlayer.ini"));
    TVokPlayForm& player = Start();
    ThreeSongs();
    player.close();

    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("Unable to write to ") + settings);
    EXPECT_EQ(dialogs.Messages[0].Kind, UserDialogs::Icon::Error);
    EXPECT_FALSE(player.isVisible());
    EXPECT_FALSE(player.HasStream()) << "the stream is freed all the same";
    EXPECT_TRUE(QFileInfo(DefaultList()).isFile()) << "the playlist is a file of its own";
}

}  // namespace
}  // namespace vok::test
