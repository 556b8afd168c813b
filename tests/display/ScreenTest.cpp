#include "DisplayFixtures.h"
#include "display/LyricDisplay.h"
#include "display/Pixels.h"

#include <gtest/gtest.h>

namespace vok {
namespace {

using test::CountOtherThan;
using test::PixelAt;

class ScreenTest : public testing::Test {
  protected:
    test::TempDir dir;
    test::FakeHost host;
    LyricDisplay display{host, 96.0};

    // A white 640 x 300 bitmap written the way the logo file is stored.
    QString WriteLogo(QSize size = QSize(640, 300)) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::white);
        const QString path = dir.FilePath(QStringLiteral("Logo.dat"));
        EXPECT_TRUE(picture.save(path, "BMP"));
        return path;
    }
    void FillSurface(std::uint16_t value) {
        FillImage16(const_cast<QImage&>(display.Surface()), value);
    }
};

TEST_F(ScreenTest, LogoFromBitmapWithVersionText) {
    ASSERT_TRUE(display.LoadLogo(WriteLogo()));
    host.State = play_state::Idle;
    display.FormPaint();
    const QImage& surface = display.Surface();
    EXPECT_EQ(PixelAt(surface, 0, 0), 0xFFFF);
    EXPECT_EQ(PixelAt(surface, 638, 298), 0xFFFF);
    EXPECT_EQ(PixelAt(surface, 639, 100), 0);  // last column and row are never copied
    EXPECT_EQ(PixelAt(surface, 100, 299), 0);
    // Version text in lime with a green outline at (560, 5) on the white picture.
    int lime = 0;
    for (int y = 0; y < 25; ++y) {
        for (int x = 540; x < 640; ++x) {
            lime += PixelAt(surface, x, y) == 0x07E0 ? 1 : 0;
        }
    }
    EXPECT_GT(lime, 0);
}

TEST_F(ScreenTest, MissingOrBrokenLogoLeavesBlackAreaAndVersion) {
    EXPECT_FALSE(display.LoadLogo(dir.FilePath(QStringLiteral("none.dat"))));
    EXPECT_FALSE(display.LoadLogo(dir.Write(QStringLiteral("bad.dat"), "BM not a bitmap")));
    EXPECT_FALSE(display.LoadLogo(dir.Path()));  // a folder
    EXPECT_TRUE(display.Logo().isNull());
    host.State = play_state::Idle;
    FillSurface(0x1234);
    display.VisaLogo();
    const QImage& surface = display.Surface();
    EXPECT_EQ(CountOtherThan(surface, 30, 299, 0), 0);
    EXPECT_GT(CountOtherThan(surface, 0, 29, 0), 0);  // the version text
    EXPECT_EQ(PixelAt(surface, 0, 300), 0x1234);      // the panel area is not the logo's
}

TEST_F(ScreenTest, SmallLogoIsCopiedAsFarAsItGoes) {
    ASSERT_TRUE(display.LoadLogo(WriteLogo(QSize(10, 10))));
    host.State = play_state::Idle;
    display.VisaLogo();
    EXPECT_EQ(PixelAt(display.Surface(), 9, 9), 0xFFFF);
    EXPECT_EQ(PixelAt(display.Surface(), 10, 10), 0);
}

TEST_F(ScreenTest, RepaintRequestDependsOnPlayState) {
    ASSERT_TRUE(display.LoadLogo(WriteLogo()));
    for (int state : {play_state::Playing, play_state::Paused, play_state::NoSong}) {
        host.State = state;
        display.LyricsDirty = false;
        FillSurface(0x1234);
        display.FormPaint();
        EXPECT_EQ(display.LyricsDirty, state != play_state::NoSong) << state;
        EXPECT_EQ(CountOtherThan(display.Surface(), 0, 479, 0x1234), 0) << state;
    }
    host.State = play_state::Playing;
    display.VisaLogo();  // never over a playing song
    EXPECT_EQ(CountOtherThan(display.Surface(), 0, 479, 0x1234), 0);
}

TEST_F(ScreenTest, ClearingAreas) {
    FillSurface(0x1234);
    display.ClearDisplayArea();
    EXPECT_EQ(CountOtherThan(display.Surface(), 0, 299, 0), 0);
    EXPECT_EQ(CountOtherThan(display.Surface(), 300, 479, 0x1234), 0);
    display.ClearClientArea();
    EXPECT_EQ(CountOtherThan(display.Surface(), 0, 479, 0), 0);
}

TEST_F(ScreenTest, FullScreenStretchesStripsToTheirRows) {
    test::LoadSong(host.SongModel, dir, {{1000, 2000, "Hello"}});
    display.SetLayout(RecalcAspect(1280, 1024));  // aspect 2, header at row 212
    display.SetFullScreen(true, QSize(1280, 1024));
    EXPECT_EQ(display.Surface().size(), QSize(1280, 1024));
    host.State = play_state::Playing;
    display.ClearDisplayArea();
    display.PrepareDisplay(QString());
    display.RedrawLyrics = true;
    display.tmrTimer();
    const QImage& surface = display.Surface();
    const ScreenLayout& layout = display.Layout();
    EXPECT_EQ(layout.HeaderY, 212);
    EXPECT_EQ(PixelAt(surface, 0, 211), 0);
    EXPECT_EQ(PixelAt(surface, 0, 212), 0xFFFF);  // white top row, doubled
    EXPECT_EQ(PixelAt(surface, 1279, 213), 0xFFFF);
    EXPECT_EQ(PixelAt(surface, 0, 214), 0x2104);
    // 61 header rows squeezed into 120; the two rows before the lyric area stay black.
    EXPECT_EQ(PixelAt(surface, 0, 212 + 119), 0xFFFF);
    EXPECT_EQ(PixelAt(surface, 0, 212 + 120), 0);
    EXPECT_EQ(PixelAt(surface, 0, 212 + 121), 0);
    EXPECT_EQ(layout.LyricsY, 212 + 122);
    EXPECT_EQ(PixelAt(surface, 0, layout.LyricsY + 100), 0x0088);  // band row 50
    EXPECT_EQ(host.SpectrumFrames, 0);                             // only in window mode
    EXPECT_FALSE(display.LyricsDirty);
}

TEST_F(ScreenTest, FullScreenLogoHasHintAndScaledPicture) {
    ASSERT_TRUE(display.LoadLogo(WriteLogo()));
    display.SetLayout(RecalcAspect(1280, 1024));
    display.SetFullScreen(true, QSize(1280, 1024));
    host.State = play_state::Idle;
    display.VisaLogo();
    const QImage& surface = display.Surface();
    EXPECT_GT(CountOtherThan(surface, 0, 30, 0), 0);  // the hint at the top
    EXPECT_EQ(PixelAt(surface, 640, 211), 0);
    EXPECT_EQ(PixelAt(surface, 640, 212), 0xFFFF);
    EXPECT_EQ(PixelAt(surface, 640, 212 + 597), 0xFFFF);  // 2 x 299 rows
    EXPECT_EQ(PixelAt(surface, 640, 212 + 598), 0);
    display.SetFullScreen(false, QSize(1280, 1024));
    EXPECT_EQ(display.Surface().size(), QSize(640, 480));
}

}  // namespace
}  // namespace vok
