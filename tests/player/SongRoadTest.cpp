// The road of a song: load, play, ticks, end of song, next entry.

#include "PlayerFixture.h"

namespace vok::test {
namespace {

using SongRoadTest = PlayerFixture;

// True when some pixel of the area is pure lime, the colour of the logo screen's version text.
bool HasLimePixel(const QImage& surface, const QRect& area) {
    return AnyPixel(surface, QColor(0, 255, 0), true, area);
}

const QRect kVersionText(550, 0, 90, 25);

TEST_F(SongRoadTest, LyricFileFromLoadButtonPlaysLineByLineAndStopsAtTheEnd) {
    Tone();
    const QString vok = Lyrics(QStringLiteral("song.vok"), QStringLiteral("tone.mp3"));
    PlayerController& player = Start();
    dialogs.Picks.push_back(vok);

    player.VoKBtnClick();
    ASSERT_EQ(dialogs.Requests.size(), 1U);
    EXPECT_EQ(dialogs.Requests[0].Title, QStringLiteral("Load Vokalento..."));
    EXPECT_EQ(player.Playlist().PlayItems(), QStringList{vok});
    EXPECT_EQ(player.PlayIndex(), 0);
    EXPECT_EQ(window.LyricPanel.Title, vok);
    EXPECT_EQ(window.LyricPanel.Info, QStringLiteral("Copyright: Ours"));
    EXPECT_EQ(SongTitle(), QStringLiteral("tone.mp3"));
    EXPECT_EQ(SongInfo(), QStringLiteral("Length: 00:00:12"));
    EXPECT_EQ(player.State(), PlayState::Idle) << "loading never starts a song";
    EXPECT_TRUE(HasLimePixel(player.Display().Surface(), kVersionText));

    player.PlayBtnClick();
    EXPECT_EQ(player.State(), PlayState::Playing);
    EXPECT_TRUE(TickArmed());
    EXPECT_FALSE(window.LoadButtons) << "load buttons are off while playing";

    PlayFor(1.0 + audio::DeviceLatency());
    EXPECT_EQ(player.Session().CurrentLine(), 1);
    EXPECT_EQ(player.Display().LastLineText, QStringLiteral("First line"));
    EXPECT_FALSE(HasLimePixel(player.Display().Surface(), kVersionText)) << "the logo is gone";
    PlayFor(1.0);
    EXPECT_EQ(player.Session().CurrentLine(), 2);
    EXPECT_EQ(player.Display().LastLineText, QStringLiteral("Second line"));
    PlayFor(1.5);
    EXPECT_EQ(player.Session().CurrentLine(), 3);

    PlayFor(10.0);  // past the end: the only entry ends and the player stops
    EXPECT_EQ(player.State(), PlayState::Idle);
    EXPECT_FALSE(TickArmed());
    EXPECT_TRUE(window.LoadButtons);
    EXPECT_TRUE(player.Display().Renderer().BarBmp.isNull());
    EXPECT_EQ(player.PlayIndex(), 0) << "the last entry stays active";
    EXPECT_TRUE(HasLimePixel(player.Display().Surface(), kVersionText)) << "logo screen again";

    player.PlayBtnClick();  // the stream stays open after a stop, so Play starts it again
    EXPECT_EQ(player.State(), PlayState::Playing);
}

TEST_F(SongRoadTest, EndOfSongStartsTheNextEntryAndSongsWithoutLyricsPreviewTheList) {
    const QString first = Tone(QStringLiteral("a/first.mp3"));
    const QString second = Tone(QStringLiteral("b/second.mp3"));
    PlayerController& player = Start();
    dialogs.Picks = {first, second};
    player.MP3BtnClick();
    player.MP3BtnClick();
    ASSERT_EQ(player.Playlist().Count(), 2);
    EXPECT_EQ(SongTitle(), QStringLiteral("first.mp3"))
        << "a song added to a non-empty list is not opened";

    player.PlayBtnClick();
    PlayFor(0.5);
    EXPECT_TRUE(player.Display().TitleText().startsWith(QStringLiteral("first")));
    EXPECT_TRUE(AnyPixel(player.Display().Renderer().LyricBmp, QColor(0, 0, 0), false,
                         QRect(20, 30, 200, 20)))
        << "no lyrics: the next entry is previewed";
    PlayFor(13.0);
    EXPECT_EQ(player.PlayIndex(), 1);
    EXPECT_EQ(player.State(), PlayState::Playing);
    EXPECT_TRUE(TickArmed()) << "the started song armed the tick itself";
    EXPECT_EQ(SongTitle(), QStringLiteral("second.mp3"));
}

TEST_F(SongRoadTest, PlayingSkipsEntriesThatDoNotLoadWithoutWrappingAround) {
    const QString good = Tone();
    const QString broken = dir.Write(QStringLiteral("broken.mp3"), QByteArray(4096, 'x'));
    PlayerController& player = Start();
    dialogs.Picks = {broken, broken, good};
    for (int i = 0; i < 3; ++i) {
        player.MP3BtnClick();
    }
    player.SpelaVOK(0);
    EXPECT_EQ(player.PlayIndex(), 2);
    EXPECT_EQ(player.State(), PlayState::Playing);

    player.Stoppa();
    dialogs.Picks = {broken};
    player.MP3BtnClick();  // four entries now, the last one broken
    player.SpelaVOK(3);
    EXPECT_EQ(player.PlayIndex(), 4) << "one past the last entry";
    EXPECT_EQ(player.State(), PlayState::NoSong);
    EXPECT_FALSE(TickArmed());
    EXPECT_EQ(SongInfo(), QStringLiteral("Could not load file"));
}

TEST_F(SongRoadTest, PlayDoesNothingWithoutAListOrWithoutAStreamAndRandomNeverDrawsFromNothing) {
    PlayerController& player = Start();
    player.FormKeyUp(Qt::Key_F10, Qt::NoModifier);
    EXPECT_TRUE(window.Random);
    EXPECT_TRUE(player.Playlist().Random());
    player.PlayBtnClick();
    EXPECT_EQ(player.State(), PlayState::Idle);
    player.SpelaVOK(-1);
    EXPECT_EQ(draws, 0);
    EXPECT_EQ(player.State(), PlayState::NoSong);

    const QString broken = dir.Write(QStringLiteral("broken.mp3"), QByteArray(512, 'x'));
    dialogs.Picks = {broken};
    player.MP3BtnClick();
    player.PlayBtnClick();  // an entry, but no open stream
    EXPECT_NE(player.State(), PlayState::Playing);
    EXPECT_FALSE(TickArmed());
}

TEST_F(SongRoadTest, AStopClickedWhileASongStartsLeavesTheDisplayTickOff) {
    const QString song = Tone();
    PlayerController& player = Start();
    dialogs.Picks = {song};
    player.MP3BtnClick();
    // Handled by the event pump inside the start, like a click arriving just then.
    QMetaObject::invokeMethod(
        &player, [&player] { player.StopBtnClick(); }, Qt::QueuedConnection);
    player.PlayBtnClick();
    EXPECT_EQ(player.State(), PlayState::Idle);
    EXPECT_FALSE(TickArmed()) << "an armed tick would take the stop for the song's end";
    EXPECT_TRUE(window.LoadButtons);
}

TEST_F(SongRoadTest, AClickOnTheTimelineBarSeeksOnlyWhilePlaying) {
    const QString song = Tone();
    PlayerController& player = Start();
    dialogs.Picks = {song};
    player.MP3BtnClick();
    player.PlayBtnClick();
    PlayFor(0.2);

    player.DisplayMouseUp(320, 290);  // the middle of a 12 s song
    PlayFor(audio::DeviceLatency() + 0.05);
    EXPECT_GE(PositionMs(), 6000);
    EXPECT_LT(PositionMs(), 6500);
    player.PausBtnClick();
    player.DisplayMouseUp(20, 290);
    player.PausBtnClick();
    PlayFor(audio::DeviceLatency() + 0.05);
    EXPECT_GE(PositionMs(), 6000) << "paused: the bar does not seek";
}

TEST_F(SongRoadTest, WhenNoLaterEntryLoadsTheEndedSongLeavesThePlayerIdleNotStuck) {
    const QString good = Tone();
    const QString broken = dir.Write(QStringLiteral("broken.mp3"), QByteArray(4096, 'x'));
    PlayerController& player = Start();
    dialogs.Picks = {good, broken, broken};
    for (int i = 0; i < 3; ++i) {
        player.MP3BtnClick();
    }
    player.PlayBtnClick();
    PlayFor(1.0);
    ASSERT_FALSE(window.LoadButtons);
    ASSERT_TRUE(window.PlayLit);

    PlayFor(12.0);  // the song ends; neither later entry loads
    EXPECT_EQ(player.State(), PlayState::NoSong);
    EXPECT_EQ(player.PlayIndex(), 3);
    EXPECT_FALSE(TickArmed());
    EXPECT_TRUE(window.LoadButtons) << "something else can be loaded";
    EXPECT_FALSE(window.PlayLit) << "Play is released";
    EXPECT_TRUE(HasLimePixel(player.Display().Surface(), kVersionText)) << "the logo is back";
    EXPECT_TRUE(player.Display().Renderer().BarBmp.isNull());
}

}  // namespace
}  // namespace vok::test
