#include "DisplayFixtures.h"
#include "display/Pixels.h"
#include "display/ScreenGeometry.h"

#include <gtest/gtest.h>

namespace vok {
namespace {

using test::PixelAt;

QImage Image16(int w, int h, std::uint16_t value = 0) {
    QImage image(w, h, QImage::Format_RGB16);
    FillImage16(image, value);
    return image;
}

TEST(ColourConversion, ChannelsScaleByTruncation) {
    EXPECT_EQ(ScaleChannel(0, 31), 0);
    EXPECT_EQ(ScaleChannel(200, 0), 0);
    EXPECT_EQ(ScaleChannel(255, 31), 31);
    EXPECT_EQ(ScaleChannel(255, 63), 63);
    EXPECT_EQ(ScaleChannel(34, 31), 4);
    EXPECT_EQ(ScaleChannel(68, 31), 8);
    EXPECT_EQ(ScaleChannel(136, 31), 16);
    EXPECT_EQ(ScaleChannel(204, 31), 24);
    EXPECT_EQ(ColorTo565(0xFFFFFF), 0xFFFF);
    EXPECT_EQ(ColorTo565(0x0000FF), 0x001F);
    EXPECT_EQ(ColorTo565(0xFF0000), 0xF800);
    EXPECT_EQ(ColorTo565(0x00FF00), 0x07E0);
}

TEST(ColourConversion, WindowsColourIgnoresPaletteByte) {
    EXPECT_EQ(WinColor(0x02FFFFFF), QColor(255, 255, 255));
    EXPECT_EQ(WinColor(0x02666666), QColor(102, 102, 102));
    EXPECT_EQ(WinColor(0x00112233), QColor(0x33, 0x22, 0x11));
}

TEST(Fills, RowsInclusiveAndOnlyLow16Bits) {
    QImage image = Image16(4, 6);
    FillRows16(image, 1, 3, 0xABCD1234);
    EXPECT_EQ(PixelAt(image, 0, 0), 0);
    EXPECT_EQ(PixelAt(image, 3, 1), 0x1234);
    EXPECT_EQ(PixelAt(image, 2, 3), 0x1234);
    EXPECT_EQ(PixelAt(image, 0, 4), 0);
}

TEST(Fills, ReversedOrOutsideRangesWriteNothingOutOfBounds) {
    QImage image = Image16(4, 6, 7);
    FillRows16(image, 4, 3, 0);
    EXPECT_TRUE(test::RowIs(image, 3, 7));
    EXPECT_TRUE(test::RowIs(image, 4, 7));
    FillRows16(image, -5, 0, 1);
    FillRows16(image, 5, 100, 2);
    FillRow565(image, 6, 0xFFFFFF);
    FillRow565(image, -1, 0xFFFFFF);
    EXPECT_TRUE(test::RowIs(image, 0, 1));
    EXPECT_TRUE(test::RowIs(image, 1, 7));
    EXPECT_TRUE(test::RowIs(image, 5, 2));
    QImage wrong(4, 4, QImage::Format_RGB32);
    wrong.fill(Qt::red);
    FillImage16(wrong, 0);  // refused: not a 16-bit image
    EXPECT_EQ(wrong.pixelColor(0, 0), QColor(Qt::red));
}

TEST(Copies, StretchIsNearestNeighbour) {
    QImage source = Image16(2, 1);
    reinterpret_cast<std::uint16_t*>(source.scanLine(0))[1] = 0xFFFF;
    QImage target = Image16(4, 2, 5);
    StretchCopy16(source, QRect(0, 0, 2, 1), target, QRect(0, 0, 4, 2));
    EXPECT_EQ(PixelAt(target, 0, 0), 0);
    EXPECT_EQ(PixelAt(target, 1, 1), 0);
    EXPECT_EQ(PixelAt(target, 2, 0), 0xFFFF);
    EXPECT_EQ(PixelAt(target, 3, 1), 0xFFFF);
}

TEST(Copies, ClipAtEveryEdge) {
    QImage source = Image16(10, 10, 9);
    QImage target = Image16(5, 5, 1);
    Copy16(source, QRect(0, 0, 10, 10), target, -3, 2);
    EXPECT_EQ(PixelAt(target, 0, 1), 1);
    EXPECT_EQ(PixelAt(target, 4, 2), 9);
    EXPECT_EQ(PixelAt(target, 4, 4), 9);
    // A source rectangle beyond the picture copies only what exists.
    QImage small = Image16(2, 2, 3);
    Copy16(small, QRect(0, 0, 639, 299), target, 0, 0);
    EXPECT_EQ(PixelAt(target, 1, 1), 3);
    EXPECT_EQ(PixelAt(target, 2, 0), 1);
    // Destinations starting above the target or fully outside it.
    StretchCopy16(source, QRect(0, 0, 10, 10), target, QRect(0, -100, 5, 50));
    StretchCopy16(source, QRect(0, 0, 10, 10), target, QRect(50, 50, 5, 5));
    Copy16(QImage(), QRect(0, 0, 5, 5), target, 0, 0);
}

TEST(Fonts, PointSizesAndCellHeights) {
    EXPECT_EQ(PointsToPixels(14, 96), 19);
    EXPECT_EQ(PointsToPixels(12, 96), 16);
    EXPECT_EQ(PointsToPixels(14, 120), 23);
    for (int cell : {12, 24, 30}) {
        const QFont font = CellFont(QStringLiteral("Arial"), cell, false);
        EXPECT_LE(CellHeight(font), cell);
        EXPECT_GE(CellHeight(font), cell - 2);
    }
}

TEST(Fonts, OutlineIsTheFourDiagonalsUnderTheText) {
    // Without anti-aliasing every pixel is either glyph or background, so the outlined text can
    // be checked exactly against the plain one shifted diagonally. (32-bit images: Qt's
    // monochrome glyph path on 16-bit images is broken, and the display never uses it.)
    QFont font = CellFont(QStringLiteral("Arial"), 30, false);
    font.setStyleStrategy(QFont::NoAntialias);
    const QString text = QStringLiteral("Ag");
    QImage plain(80, 50, QImage::Format_RGB32);
    plain.fill(Qt::black);
    DrawTextAt(plain, 10, 5, text, font, Qt::white);
    QImage outlined(80, 50, QImage::Format_RGB32);
    outlined.fill(Qt::black);
    OutlinedTextOut(10, 5, text, QColor(0, 0, 255), Qt::white, font, outlined);
    auto glyph = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < 80 && y < 50 && plain.pixel(x, y) != qRgb(0, 0, 0);
    };
    int outlinePixels = 0;
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 80; ++x) {
            const bool diagonal = glyph(x + 1, y + 1) || glyph(x + 1, y - 1) ||
                                  glyph(x - 1, y + 1) || glyph(x - 1, y - 1);
            const QRgb expected = glyph(x, y) ? qRgb(255, 255, 255)
                                  : diagonal  ? qRgb(0, 0, 255)
                                              : qRgb(0, 0, 0);
            ASSERT_EQ(outlined.pixel(x, y), expected) << x << "," << y;
            outlinePixels += expected == qRgb(0, 0, 255) ? 1 : 0;
        }
    }
    EXPECT_GT(outlinePixels, 20);
}

TEST(ScreenLayoutTest, ScalesToWidthAndCentres) {
    const ScreenLayout small = RecalcAspect(1024, 768);
    EXPECT_DOUBLE_EQ(small.Aspect, 1.6);
    EXPECT_EQ(small.HeaderY, 144);
    EXPECT_EQ(small.LyricsY, 241);
    EXPECT_EQ(small.BarY, 592);
    const ScreenLayout wide = RecalcAspect(1920, 1080);
    EXPECT_DOUBLE_EQ(wide.Aspect, 3.0);
    EXPECT_EQ(wide.HeaderY, 90);
    EXPECT_EQ(wide.LyricsY, 273);
    EXPECT_EQ(wide.BarY, 930);
    EXPECT_LT(RecalcAspect(1920, 400).HeaderY, 0);  // lower than the scaled area: cut
}

TEST(BarClick, BoundsAreExclusive) {
    EXPECT_FALSE(BarClickTarget(0, 290, 225000));
    EXPECT_FALSE(BarClickTarget(640, 290, 225000));
    EXPECT_FALSE(BarClickTarget(320, 280, 225000));
    EXPECT_FALSE(BarClickTarget(320, 300, 225000));
    EXPECT_TRUE(BarClickTarget(1, 281, 225000));
    EXPECT_TRUE(BarClickTarget(639, 299, 225000));
}

TEST(BarClick, TargetCutToWholeSeconds) {
    const auto seek = BarClickTarget(320, 290, 225000);
    ASSERT_TRUE(seek);
    EXPECT_EQ(seek->Seconds, 112);
    EXPECT_EQ(seek->LineMs, 112500);
    EXPECT_EQ(BarClickTarget(639, 290, 999)->Seconds, 0);
    EXPECT_FALSE(BarClickTarget(320, 290, 0));
    EXPECT_FALSE(BarClickTarget(320, 290, -5));
}

}  // namespace
}  // namespace vok
