// Full screen: which display it covers, entering and leaving, and displays that come and go.

#include "PlayerFixture.h"

namespace vok::test {
namespace {

// The playlist window as full screen sees it.
class FakePlaylistWindow : public PlaylistWindowView {
  public:
    void RowsChanged() override {}
    void StatusChanged() override {}
    void ShowProgress(int, int) override {}
    bool Shown() const override { return shown; }
    void SetShown(bool on) override { shown = on; }
    void ShowFullScreen(bool on) override { fullScreenDown = on; }

    bool shown = false;
    bool fullScreenDown = false;
};

class ScreenModeTest : public PlayerFixture {
  protected:
    const QRect laptop{0, 0, 1366, 768};
    const QRect projector{1366, 0, 1920, 1080};

    void DualDesc(bool on) {
        dir.Write(QStringLiteral("VokPlayer.ini"),
                  on ? "[Installningar]\nDualDesc=1\n" : "[Installningar]\nDualDesc=0\n");
    }
};

TEST_F(ScreenModeTest, TheSecondDisplayIsUsedOnlyWithDualDescAndSeveralDisplays) {
    DualDesc(true);
    PlayerController& player = Start();
    window.Displays = {laptop};
    player.DisplaysChanged();
    player.SkarmLage(true);
    EXPECT_EQ(window.Covered, laptop) << "one display: the primary one";
    player.SkarmLage(false);

    window.Displays = {laptop, projector};
    player.DisplaysChanged();
    player.FSBtnClick();
    EXPECT_EQ(window.Covered, projector);
    EXPECT_EQ(player.Display().Surface().size(), projector.size());
    EXPECT_EQ(player.Display().Layout().HeaderY, 90) << "scaled three times, centred";

    DualDesc(false);
    PlayerController& single = Start();
    window.Displays = {laptop, projector};
    single.SkarmLage(true);
    EXPECT_EQ(window.Covered, laptop);
}

TEST_F(ScreenModeTest, EnteringTwiceChangesNothingAndLeavingRestoresThePlayLookOnlyWhilePlaying) {
    dialogs.Picks = {Tone()};
    PlayerController& player = Start();
    player.MP3BtnClick();
    player.PlayBtnClick();
    PlayFor(1.0);

    player.LogoClick();  // a double click
    ASSERT_TRUE(player.FullScreen());
    PlayFor(0.1);
    const QImage shown = player.Display().Surface();
    player.SkarmLage(true);
    EXPECT_EQ(player.Display().Surface(), shown) << "the second request is ignored";
    EXPECT_FALSE(player.Display().LyricsDirty());

    player.PausBtnClick();
    window.PlayLit = false;
    player.FormKeyUp(Qt::Key_Return, Qt::AltModifier);
    EXPECT_FALSE(player.FullScreen());
    EXPECT_TRUE(window.Covered.isNull());
    EXPECT_FALSE(window.PlayLit) << "paused: the picture is left as it is";

    player.PausBtnClick();
    player.FormKeyUp(Qt::Key_Enter, Qt::AltModifier);
    player.FormKeyUp(Qt::Key_Return, Qt::NoModifier);  // Enter alone does nothing
    EXPECT_TRUE(player.FullScreen());
    player.LogoClick();
    EXPECT_TRUE(window.PlayLit);
    EXPECT_EQ(player.Display().Surface().size(), QSize(640, 480));
}

TEST_F(ScreenModeTest, UnpluggingTheAudienceDisplayBringsTheLyricsBack) {
    DualDesc(true);
    dialogs.Picks = {Tone()};
    PlayerController& player = Start();
    window.Displays = {laptop, projector};
    player.DisplaysChanged();
    player.MP3BtnClick();
    player.PlayBtnClick();
    player.SkarmLage(true);
    ASSERT_EQ(window.Covered, projector);

    window.Displays = {laptop};
    player.DisplaysChanged();
    EXPECT_FALSE(player.FullScreen());
    EXPECT_EQ(player.State(), PlayState::Playing) << "the song goes on";
    PlayFor(1.0);
    player.SkarmLage(true);
    EXPECT_EQ(window.Covered, laptop) << "the geometry follows the displays there are now";
    EXPECT_EQ(player.Display().Layout().HeaderY, (768 - 640) / 2);
}

TEST_F(ScreenModeTest, ThePlaylistMakesWayOnOneDisplayAndStaysBesideTheLyricsOnTwo) {
    PlayerController& player = Start();
    FakePlaylistWindow playlist;
    player.AddPlaylistView(&playlist);
    playlist.shown = true;
    player.SkarmLage(true);
    EXPECT_FALSE(playlist.shown) << "one display: it would cover the lyrics";
    EXPECT_TRUE(playlist.fullScreenDown);
    EXPECT_TRUE(player.PlaylistMayClose());
    player.PLFullscreenClick();
    EXPECT_TRUE(playlist.shown) << "shown again as it was";
    EXPECT_FALSE(playlist.fullScreenDown);

    DualDesc(true);
    PlayerController& dual = Start();
    dual.AddPlaylistView(&playlist);
    window.Displays = {laptop, projector};
    dual.DisplaysChanged();
    playlist.shown = false;
    dual.PLFullscreenClick();
    EXPECT_TRUE(playlist.shown) << "brought up beside the full-screen display";
    EXPECT_FALSE(dual.PlaylistMayClose()) << "its close box does nothing now";
    dual.SkarmLage(false);
    EXPECT_TRUE(playlist.shown) << "it stays up";
    EXPECT_TRUE(dual.PlaylistMayClose());
}

TEST_F(ScreenModeTest, FilesFromOutsideStartInFullScreenUnlessSwitchedOff) {
    Tone();
    const QString vok = Lyrics(QStringLiteral("song.vok"), QStringLiteral("tone.mp3"));
    PlayerController& player = Start({vok});
    EXPECT_TRUE(player.FullScreen());
    EXPECT_EQ(player.State(), PlayState::Playing);

    dir.Write(QStringLiteral("VokPlayer.ini"), "[Installningar]\nAutoStartFS=0\n");
    PlayerController& windowed = Start();
    windowed.OpenHandedFile(vok);
    EXPECT_FALSE(windowed.FullScreen());
    EXPECT_EQ(windowed.State(), PlayState::Playing);
}

}  // namespace
}  // namespace vok::test
