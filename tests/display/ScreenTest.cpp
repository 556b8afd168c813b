#include "DisplayFixtures.h"
#include "display/LyricDisplay.h"
#include "display/PictureScaling.h"
#include "display/Pixels.h"

#include <gtest/gtest.h>

namespace vok {
namespace {

using test::CountOtherThan;
using test::PixelAt;

class ScreenTest : public testing::Test {
  protected:
    test::TempDir dir;
    TVokalento song;
    LyricDisplay display{[](const QRect&) {}, 96.0};

    // A white bitmap stored the way the logo file is.
    QString WriteLogo() {
        QImage picture(640, 300, QImage::Format_RGB32);
        picture.fill(Qt::white);
        const QString path = dir.FilePath(QStringLiteral("Logo.dat"));
        EXPECT_TRUE(picture.save(path, "BMP"));
        return path;
    }
    void FillSurface(std::uint16_t value) {
        FillImage16(const_cast<QImage&>(display.Surface()), value);
    }
};

TEST_F(ScreenTest, LogoWithVersionText) {
    ASSERT_TRUE(display.LoadLogo(WriteLogo()));
    display.FormPaint(PlayState::Idle);
    const QImage& surface = display.Surface();
    EXPECT_EQ(PixelAt(surface, 638, 298), 0xFFFF);
    EXPECT_EQ(PixelAt(surface, 639, 100), 0);  // last column and row are never copied
    EXPECT_EQ(PixelAt(surface, 100, 299), 0);
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
    EXPECT_FALSE(display.LoadLogo(dir.Path()));
    EXPECT_FALSE(display.LoadLogo(dir.Write(QStringLiteral("bad.dat"), "BM not a bitmap")));
    FillSurface(0x1234);
    display.VisaLogo();
    EXPECT_EQ(CountOtherThan(display.Surface(), 30, 299, 0), 0);
    EXPECT_GT(CountOtherThan(display.Surface(), 0, 29, 0), 0);  // the version text
    EXPECT_EQ(PixelAt(display.Surface(), 0, 300), 0x1234);      // the panel's rows are not ours
}

TEST_F(ScreenTest, RepaintRequestDependsOnPlayState) {
    ASSERT_TRUE(display.LoadLogo(WriteLogo()));
    for (PlayState state : {PlayState::Playing, PlayState::Paused, PlayState::NoSong}) {
        LyricDisplay fresh{[](const QRect&) {}, 96.0};
        FillImage16(const_cast<QImage&>(fresh.Surface()), 0x1234);
        fresh.FormPaint(state);
        EXPECT_EQ(fresh.LyricsDirty(), state != PlayState::NoSong) << static_cast<int>(state);
        EXPECT_EQ(CountOtherThan(fresh.Surface(), 0, 479, 0x1234), 0);
    }
}

TEST_F(ScreenTest, FullScreenStretchesStripsAndLogo) {
    test::LoadSong(song, dir, {{1000, 2000, "Hello"}});
    display.SetLayout(RecalcAspect(1280, 1024));  // aspect 2, header at row 212, lyrics at 334
    display.SetFullScreen(true, QSize(1280, 1024));
    int line = 0;
    display.PrepareDisplay(QString(), test::LyricsAt(song, 0, line));
    display.Render(test::LyricsAt(song, 0, line));
    const QImage& surface = display.Surface();
    EXPECT_EQ(PixelAt(surface, 0, 211), 0);
    EXPECT_EQ(PixelAt(surface, 1279, 213), 0xFFFF);  // white top row, doubled
    EXPECT_EQ(PixelAt(surface, 0, 214), 0x2104);
    EXPECT_EQ(PixelAt(surface, 0, 212 + 120), 0);       // between header and lyrics: untouched
    EXPECT_EQ(PixelAt(surface, 0, 334 + 100), 0x0088);  // band row 50

    ASSERT_TRUE(display.LoadLogo(WriteLogo()));
    display.VisaLogo();
    EXPECT_GT(CountOtherThan(surface, 0, 30, 0), 0);  // the hint how to leave
    EXPECT_EQ(PixelAt(surface, 640, 211), 0);
    EXPECT_EQ(PixelAt(surface, 640, 212 + 597), 0xFFFF);  // 2 x 299 rows
    EXPECT_EQ(PixelAt(surface, 640, 212 + 598), 0);
}

}  // namespace
}  // namespace vok

namespace vok {
namespace {

TEST(PictureFitting, WholeFactorsKeepEveryPixelSharpAndCentred) {
    QImage picture(300, 216, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.setPixel(6, 12, qRgb(255, 0, 0));  // the inner area's first pixel
    QImage surface(1920, 1080, QImage::Format_RGB16);
    surface.fill(Qt::white);
    const QRect area(0, 0, 1920, 1026);
    DrawPictureFitted(surface, area, picture, QRect(6, 12, 288, 192));
    // 288 x 192 five times over is 1440 x 960, centred: from (240, 33).
    EXPECT_EQ(test::PixelAt(surface, 239, 500), 0);  // black margin
    EXPECT_EQ(test::PixelAt(surface, 240, 33), 0xF800);
    EXPECT_EQ(test::PixelAt(surface, 244, 37), 0xF800);
    EXPECT_EQ(test::PixelAt(surface, 245, 37), 0x001F);
    EXPECT_EQ(test::PixelAt(surface, 1679, 992), 0x001F);
    EXPECT_EQ(test::PixelAt(surface, 1680, 992), 0);
    EXPECT_EQ(test::PixelAt(surface, 1000, 1026), 0xFFFF) << "nothing drawn outside the area";
}

}  // namespace
}  // namespace vok
