#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>

namespace vok {

// Pixel primitives of the display's 16-bit images (QImage::Format_RGB16, RGB565). Fills write the
// pixel words directly so the raw values land exactly as given.

// v / 255 scaled to 0..n, truncated; 0 stays 0.
int ScaleChannel(int v, int n);
// 0xRRGGBB (red in bits 16-23) to a raw RGB565 word.
std::uint16_t ColorTo565(std::uint32_t rgb);
// Every pixel of the image becomes the low 16 bits of value.
void FillImage16(QImage& image, std::uint32_t value);
// Rows from..to inclusive; nothing when to < from. Rows outside the image are skipped rather than
// written out of bounds.
void FillRows16(QImage& image, int from, int to, std::uint32_t value);
// One row in ColorTo565(rgb).
void FillRow565(QImage& image, int row, std::uint32_t rgb);

// Red, green, blue as 0..255.
inline QColor Rgb(int r, int g, int b) {
    return QColor(r, g, b);
}

// Nearest-neighbour copy of the source rectangle onto the destination rectangle, like a plain
// stretched block copy; both images are 16-bit. Parts outside either image, or outside `clip`
// when one is given, are left as they are; the pixels inside are those of the whole copy.
void StretchCopy16(const QImage& source, const QRect& from, QImage& target, const QRect& to,
                   const QRect& clip = QRect());
// The destination pixels of a stretched copy from `from` to `to` that show the source pixels of
// `area`: empty when none of them do.
QRect StretchedArea(const QRect& area, const QRect& from, const QRect& to);
// The smallest rectangle holding every pixel where the 16- or 32-bit image `now` differs from
// `shown`,
// which then becomes a copy of `now` there. A `shown` of another size is made a copy of `now`
// and the whole image is reported.
QRect TakeChanges(const QImage& now, QImage& shown);
// Unscaled copy of the source rectangle to (x, y) of the target, clipped.
void Copy16(const QImage& source, const QRect& from, QImage& target, int x, int y);

// Fonts: sizes in points become pixel sizes at the screen's logical resolution (14 pt = 19 px at
// 96 dpi, rounded like the platform's own conversion); a "cell height" of n pixels is the largest
// font whose ascent + descent is at most n.
QFont PointFont(const QString& family, int points, bool bold, double dpi);
QFont CellFont(const QString& family, int cellHeight, bool bold);
// Pixel height of a point size at the given resolution (19 for 14 pt at 96 dpi).
int PointsToPixels(int points, double dpi);
// The logical resolution of the primary screen, 96 without one.
double ScreenDpi();

// Text with its cell's top-left corner at (x, y), on a transparent background.
void DrawTextAt(QImage& target, int x, int y, const QString& text, const QFont& font,
                const QColor& colour);
// The four diagonal neighbours in the outline colour, in the order (-1,-1), (-1,+1), (+1,-1),
// (+1,+1), then the text itself on top.
void OutlinedTextOut(int x, int y, const QString& text, const QColor& outline, const QColor& colour,
                     const QFont& font, QImage& target);
// Advance width of the text.
int TextWidth(const QFont& font, const QString& text);
// Cell height (ascent + descent) of the font.
int CellHeight(const QFont& font);

}  // namespace vok
