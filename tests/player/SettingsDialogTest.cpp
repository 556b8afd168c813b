// The settings dialog's side of the player, driven through a scripted dialog: what OK writes and
// hands over, and what acts at once and survives Cancel.

#include "display/ScreenGeometry.h"
#include "player/PlayerFixture.h"

#include <functional>

namespace vok::test {
namespace {

// Runs a script in place of the modal dialog; the script calls the player as the dialog would.
class ScriptedDialog : public SettingsDialogView {
  public:
    std::optional<SettingsDialogAnswer> Execute() override {
        ++Opened;
        return Run ? Run() : std::nullopt;
    }
    void Cancel() override { OnCancel(); }

    std::function<std::optional<SettingsDialogAnswer>()> Run;
    std::function<void()> OnCancel;
    int Opened = 0;
};

class SettingsDialogTest : public PlayerFixture {
  protected:
    PlayerController& StartWithDialog(const QStringList& parameters = {}) {
        Start(parameters);
        controller->AttachSettingsDialog(&dialog);
        return *controller;
    }

    // The dialog confirmed with these values; its OK writes first, as the real one does.
    void ConfirmWith(const DialogSettings& values) {
        dialog.Run = [this, values]() -> std::optional<SettingsDialogAnswer> {
            if (!controller->SettingsOk(values)) {
                return std::nullopt;  // stays open; the user then cancels
            }
            return SettingsDialogAnswer{values, true};
        };
        controller->InstBtnClick();
    }

    QString IniPath() const { return dir.FilePath(QStringLiteral("VokPlayer.ini")); }

    ScriptedDialog dialog;
};

TEST_F(SettingsDialogTest, AFileHandedInWhileTheDialogIsOpenClosesItAsCancelFirst) {
    Tone();
    const QString vok = Lyrics(QStringLiteral("song.vok"), QStringLiteral("tone.mp3"));
    PlayerController& player = StartWithDialog();
    std::optional<bool> upAtCancel;
    dialog.OnCancel = [&] { upAtCancel = player.FullScreen() || HasStream(); };
    dialog.Run = [&]() -> std::optional<SettingsDialogAnswer> {
        player.OpenHandedFile(vok);
        return std::nullopt;
    };
    player.InstBtnClick();
    EXPECT_EQ(upAtCancel, false) << "closed before the song was opened in full screen";
    EXPECT_TRUE(player.FullScreen());
    EXPECT_EQ(player.State(), PlayState::Playing);
}

TEST_F(SettingsDialogTest, OkHandsEveryValueToThePlayerAndTheJumpTimeReachesTheArrowKeys) {
    dir.Write(QStringLiteral("VokPlayer.ini"), "[Installningar]\nLoadAccurate=0\n");
    PlayerController& player = StartWithDialog();
    window.Displays = {QRect(0, 0, 1024, 768), QRect(1024, 0, 640, 480)};
    const QString song = dir.FilePath(QStringLiteral("long.mp3"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VOK_PLAYER_FIXTURES "/tone30.mp3"), song));

    DialogSettings values;
    values.SongFolders = {QStringLiteral("/b"), QStringLiteral("/a"), QStringLiteral("/b")};
    values.LyricFolder = QStringLiteral("/lyrics");
    values.JumpTime = 12;
    values.DualDesc = true;
    values.AutoStartFS = false;
    ConfirmWith(values);

    EXPECT_EQ(player.Settings().SongFolders, values.SongFolders) << "in order, duplicates kept";
    EXPECT_EQ(player.Settings().LyricFolder, QStringLiteral("/lyrics"));
    EXPECT_TRUE(player.Settings().LoadAccurate);
    EXPECT_TRUE(player.Settings().AutoStartFS) << "taken up at the next start only";
    EXPECT_EQ(player.Display().Layout().HeaderY, RecalcAspect(640, 480).HeaderY)
        << "the layout is recomputed for the second display";
    EXPECT_EQ(LoadPlayerSettings(IniPath(), QString()).JumpTime, 12);
    EXPECT_FALSE(LoadPlayerSettings(IniPath(), QString()).AutoStartFS);

    dialogs.Picks = {song};
    player.MP3BtnClick();
    player.PlayBtnClick();
    PlayFor(1.0 + audio::DeviceLatency());
    player.FormKeyDown(Qt::Key_Right, Qt::NoModifier);
    PlayFor(audio::DeviceLatency() + 0.05);
    EXPECT_GE(PositionMs(), 13000);
    EXPECT_LT(PositionMs(), 13500);
}

TEST_F(SettingsDialogTest, ColoursAndOutlineActAtOnceSurviveCancelAndAreStoredByALaterOk) {
    const QByteArray before = "[Installningar]\nTextFarg=50331647\n";
    dir.Write(QStringLiteral("VokPlayer.ini"), before);
    PlayerController& player = StartWithDialog();
    dialogs.Picks = {Tone()};
    player.MP3BtnClick();
    player.PlayBtnClick();
    PlayFor(0.2);
    ASSERT_FALSE(player.Display().LyricsDirty());

    dialog.Run = [&]() -> std::optional<SettingsDialogAnswer> {
        player.SetTextColour(0x0000FF);
        player.SetOutlineColour(0x00FF00);
        player.SetOutlined(false);
        return std::nullopt;
    };
    player.InstBtnClick();
    EXPECT_EQ(player.Display().Colours().TextOLFarg, 0x00FF00U);
    EXPECT_FALSE(player.Display().Colours().EnableOLText);
    EXPECT_TRUE(player.Display().LyricsDirty())
        << "the playing line is drawn anew at the next tick";
    EXPECT_EQ(ReadAll(IniPath()), before) << "Cancel writes nothing";

    Close();
    EXPECT_EQ(LoadPlayerSettings(IniPath(), QString()).TextColour, 50331647)
        << "the close write does not store colours";

    PlayerController& again = StartWithDialog();
    again.SetTextColour(0x0000FF);
    ConfirmWith(again.DialogCreationSettings());
    EXPECT_EQ(LoadPlayerSettings(IniPath(), QString()).TextColour, 0x0000FF);
}

// Without a file the dialog shows an empty lyric folder and OK stores it empty; the player keeps
// starting its file dialogs in the program folder rather than nowhere, now and at the next start.
TEST_F(SettingsDialogTest, AnEmptyLyricFolderMeansTheDefaultOne) {
    PlayerController& player = StartWithDialog();
    const QString fallback = player.DefaultLyricFolder();
    ASSERT_FALSE(fallback.isEmpty());
    const DialogSettings shown = player.DialogCreationSettings();
    EXPECT_TRUE(shown.LyricFolder.isEmpty());
    EXPECT_EQ(shown.JumpTime, 5);
    EXPECT_TRUE(shown.AutoStartFS);

    ConfirmWith(shown);
    EXPECT_TRUE(ReadAll(IniPath()).contains("[VokKatalog]\nVart=\n"));
    EXPECT_EQ(player.Settings().LyricFolder, fallback);
    player.AddFilesBtnClick();
    ASSERT_FALSE(dialogs.Requests.empty());
    EXPECT_EQ(dialogs.Requests.back().Folder, fallback);

    Close();
    EXPECT_EQ(StartWithDialog().Settings().LyricFolder, fallback);
}

TEST_F(SettingsDialogTest, TheButtonNeedsTheDialogAndAParameterRunStillWritesOnOk) {
    const QString song = Tone();
    PlayerController& player = Start({song});
    EXPECT_FALSE(window.SettingsButton);
    player.InstBtnClick();  // nothing attached: nothing happens
    player.AttachSettingsDialog(&dialog);
    EXPECT_TRUE(window.SettingsButton) << "a run with parameters keeps the button";

    DialogSettings values;
    values.JumpTime = 7;
    ConfirmWith(values);
    EXPECT_EQ(dialog.Opened, 1);
    EXPECT_EQ(LoadPlayerSettings(IniPath(), QString()).JumpTime, 7);
}

}  // namespace
}  // namespace vok::test
