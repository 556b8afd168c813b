// MP3+G songs on the controller: a CD+G picture stream with its audio, found beside it or zipped.

#include "player/PlayerFixture.h"
#include "player/PlaylistModel.h"
#include "support/CdgWriter.h"

namespace vok::test {
namespace {

constexpr std::uint16_t kRed565 = 0xF800;

class GraphicsSongTest : public PlayerFixture {
  protected:
    // Black from the start, the whole screen red from 2 s on, 12 s long like the tone.
    QString Cdg(const QString& relative) const {
        CdgWriter::Colours colours{};
        colours[1] = 0xF00;
        return CdgWriter()
            .LoadColours(false, colours)
            .MemoryPreset(0)
            .At(2000)
            .MemoryPreset(1)
            .Duration(12000)
            .Write(dir.FilePath(relative));
    }
    std::uint16_t Centre() const { return PixelAt(controller->Display().Surface(), 320, 140); }
};

TEST_F(GraphicsSongTest, ThePictureFollowsTheHeardPositionThroughSeeksAndStopShowsTheLogo) {
    const QString cdg = Cdg(QStringLiteral("Singer - Song.cdg"));
    Tone(QStringLiteral("SINGER - SONG.MP3"));  // the case of name and extension is ignored
    PlayerController& player = Start();
    dialogs.Picks = {cdg};
    player.VoKBtnClick();
    EXPECT_EQ(window.LyricPanel.Info, QStringLiteral("CD+G graphics"));
    EXPECT_EQ(SongTitle(), QStringLiteral("SINGER - SONG.MP3"));
    player.PlayBtnClick();
    PlayFor(1.0);
    EXPECT_EQ(Centre(), 0);
    PlayFor(2.0);
    EXPECT_EQ(Centre(), kRed565);
    player.PlayListPB(10, 100);  // back to 1.2 s: the picture is built anew from the start
    PlayFor(audio::DeviceLatency() + 0.05);
    EXPECT_LT(PositionMs(), 2000);
    EXPECT_EQ(Centre(), 0);
    player.StopBtnClick();
    EXPECT_TRUE(
        AnyPixel(player.Display().Surface(), QColor(0, 255, 0), true, QRect(550, 0, 90, 25)))
        << "the logo screen's version text";
}

TEST_F(GraphicsSongTest, TheAudioNamedOpensItsPictureAndMissingOrBrokenSongsSaySo) {
    const QString cdg = Cdg(QStringLiteral("songs/SC01-02 - Band - Title - Live.cdg"));
    PlayerController& player = Start();
    dialogs.Picks = {cdg};
    player.VoKBtnClick();
    EXPECT_EQ(SongTitle(), QStringLiteral("Could not find the assign song, load one manually"));

    const QString audio = Tone(QStringLiteral("songs/SC01-02 - Band - Title - Live.mp3"));
    dialogs.Picks = {audio};
    player.VoKBtnClick();
    EXPECT_EQ(window.LyricPanel.Info, QStringLiteral("CD+G graphics"));

    dialogs.Picks = {dir.Write(QStringLiteral("junk.zip"), QByteArray(4096, 'j'))};
    player.VoKBtnClick();
    ASSERT_FALSE(dialogs.Messages.empty());
    EXPECT_EQ(dialogs.Messages.back().Caption, QStringLiteral("Warning"));
    EXPECT_FALSE(HasStream());

    // A folder of them: each graphics song once, named from its file as karaoke names go.
    player.ClearListClick();
    dialogs.FolderPick = UserDialogs::FolderChoice{dir.FilePath("songs"), true, true, true};
    player.AddFolder();
    EXPECT_EQ(player.Playlist().PlayItems(), QStringList{cdg});
    PlaylistModel rows(player.Playlist(), player.Library());
    rows.RowsRebuilt();
    EXPECT_EQ(rows.data(rows.index(0, PlaylistModel::TitleColumn), Qt::DisplayRole).toString(),
              QStringLiteral("Title - Live"));
    EXPECT_EQ(rows.data(rows.index(0, PlaylistModel::ArtistColumn), Qt::DisplayRole).toString(),
              QStringLiteral("Band"));
}

}  // namespace
}  // namespace vok::test
