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

TEST(Pixels, ColourScalingTruncates) {
    EXPECT_EQ(ScaleChannel(0, 31), 0);
    EXPECT_EQ(ScaleChannel(34, 31), 4);
    EXPECT_EQ(ScaleChannel(204, 31), 24);
    EXPECT_EQ(ScaleChannel(255, 63), 63);
    EXPECT_EQ(ColorTo565(0xFFFFFF), 0xFFFF);
    EXPECT_EQ(ColorTo565(0x0000FF), 0x001F);
    EXPECT_EQ(ColorTo565(0x00FF00), 0x07E0);
}

TEST(Pixels, FillsStayInsideTheImage) {
    QImage image = Image16(4, 6, 7);
    FillRows16(image, 4, 3, 0);  // reversed: nothing
    FillRows16(image, -5, 0, 0xABCD0001);
    FillRows16(image, 5, 100, 2);
    FillRow565(image, 6, 0xFFFFFF);
    EXPECT_TRUE(test::RowIs(image, 0, 1));  // only the low 16 bits count
    EXPECT_TRUE(test::RowIs(image, 3, 7));
    EXPECT_TRUE(test::RowIs(image, 4, 7));
    EXPECT_TRUE(test::RowIs(image, 5, 2));
}

TEST(Pixels, CopiesAreNearestNeighbourAndClipped) {
    QImage source = Image16(2, 1);
    reinterpret_cast<std::uint16_t*>(source.scanLine(0))[1] = 0xFFFF;
    QImage target = Image16(4, 2, 5);
    StretchCopy16(source, QRect(0, 0, 2, 1), target, QRect(0, 0, 4, 2));
    EXPECT_EQ(PixelAt(target, 1, 1), 0);
    EXPECT_EQ(PixelAt(target, 2, 0), 0xFFFF);
    StretchCopy16(source, QRect(0, 0, 2, 1), target, QRect(-3, -100, 5, 50));
    QImage small = Image16(2, 2, 3);
    Copy16(small, QRect(0, 0, 639, 299), target, 3, 1);  // larger than the source
    EXPECT_EQ(PixelAt(target, 3, 1), 3);
    EXPECT_EQ(PixelAt(target, 2, 1), 0xFFFF);
}

TEST(Pixels, EnlargedRowsRepeatAndColumnsOutsideTheSourceStayUntouched) {
    QImage source = Image16(3, 2);
    for (int x = 0; x < 3; ++x) {
        reinterpret_cast<std::uint16_t*>(source.scanLine(0))[x] = static_cast<std::uint16_t>(x + 1);
        reinterpret_cast<std::uint16_t*>(source.scanLine(1))[x] = static_cast<std::uint16_t>(x + 7);
    }
    QImage target = Image16(10, 7, 0x5555);
    // From a source rectangle starting one column left of the image: its first target columns
    // have no source pixel.
    StretchCopy16(source, QRect(-1, 0, 4, 2), target, QRect(1, 1, 8, 6));
    EXPECT_EQ(PixelAt(target, 1, 1), 0x5555);
    EXPECT_EQ(PixelAt(target, 3, 1), 1);
    EXPECT_EQ(PixelAt(target, 8, 3), 3);
    EXPECT_EQ(PixelAt(target, 8, 4), 9) << "the second source row from the middle down";
    EXPECT_EQ(PixelAt(target, 9, 6), 0x5555);
}

TEST(Pixels, OutlineIsTheFourDiagonalsUnderTheText) {
    // Without anti-aliasing every pixel is glyph or background, so the outlined text is checked
    // exactly against the plain one shifted diagonally.
    QFont font = CellFont(QStringLiteral("Arial"), 30, false);
    font.setStyleStrategy(QFont::NoAntialias);
    QImage plain(80, 50, QImage::Format_RGB32);
    plain.fill(Qt::black);
    QImage outlined = plain.copy();
    DrawTextAt(plain, 10, 5, QStringLiteral("Ag"), font, Qt::white);
    OutlinedTextOut(10, 5, QStringLiteral("Ag"), Qt::blue, Qt::white, font, outlined);
    auto glyph = [&](int x, int y) {
        return plain.rect().contains(x, y) && plain.pixel(x, y) != qRgb(0, 0, 0);
    };
    int outline = 0;
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < 80; ++x) {
            const bool diagonal = glyph(x + 1, y + 1) || glyph(x + 1, y - 1) ||
                                  glyph(x - 1, y + 1) || glyph(x - 1, y - 1);
            const QRgb expected = glyph(x, y) ? qRgb(255, 255, 255)
                                  : diagonal  ? qRgb(0, 0, 255)
                                              : qRgb(0, 0, 0);
            ASSERT_EQ(outlined.pixel(x, y), expected) << x << "," << y;
            outline += diagonal && !glyph(x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(outline, 20);
    // The same glyphs on a 16-bit image (a desktop with anti-aliasing off) land where they do on
    // a 32-bit one, and the rows around them keep their raw pixels.
    QImage sixteen(80, 50, QImage::Format_RGB16);
    FillImage16(sixteen, 0x0088);
    FillRows16(sixteen, 49, 49, 0x1234);
    QImage expected = sixteen.convertToFormat(QImage::Format_RGB32);
    OutlinedTextOut(10, 5, QStringLiteral("Ag"), Qt::blue, Qt::white, font, sixteen);
    OutlinedTextOut(10, 5, QStringLiteral("Ag"), Qt::blue, Qt::white, font, expected);
    EXPECT_EQ(sixteen, expected.convertToFormat(QImage::Format_RGB16));
    EXPECT_TRUE(test::RowIs(sixteen, 49, 0x1234));
    EXPECT_EQ(PointsToPixels(14, 96), 19);
    EXPECT_LE(CellHeight(CellFont(QStringLiteral("Arial"), 12, false)), 12);
}

TEST(Geometry, FullScreenLayout) {
    const ScreenLayout a = RecalcAspect(1024, 768);
    EXPECT_EQ(std::tuple(a.Aspect, a.HeaderY, a.LyricsY, a.BarY), std::tuple(1.6, 144, 241, 592));
    const ScreenLayout b = RecalcAspect(1920, 1080);
    EXPECT_EQ(std::tuple(b.Aspect, b.HeaderY, b.LyricsY, b.BarY), std::tuple(3.0, 90, 273, 930));
    EXPECT_LT(RecalcAspect(1920, 400).HeaderY, 0);
}

TEST(Geometry, BarClickBoundsAndWholeSeconds) {
    EXPECT_FALSE(BarClickTarget(0, 290, 225000));
    EXPECT_FALSE(BarClickTarget(640, 290, 225000));
    EXPECT_FALSE(BarClickTarget(320, 280, 225000));
    EXPECT_FALSE(BarClickTarget(320, 300, 225000));
    EXPECT_FALSE(BarClickTarget(320, 290, 0));
    EXPECT_EQ(BarClickTarget(639, 299, 999)->Seconds, 0);
    EXPECT_EQ(BarClickTarget(320, 290, 225000)->Seconds, 112);
    EXPECT_EQ(BarClickTarget(320, 290, 225000)->LineMs, 112500);
}

}  // namespace
}  // namespace vok
