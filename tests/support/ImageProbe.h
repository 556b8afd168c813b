#pragma once

// Questions tests ask of pictures: the display's 16-bit images and the widgets' grabs.

#include <QColor>
#include <QImage>
#include <QRect>

#include <cstdint>

namespace vok::test {

inline std::uint16_t PixelAt(const QImage& image, int x, int y) {
    return reinterpret_cast<const std::uint16_t*>(image.constScanLine(y))[x];
}

// Pixels of rows top..bottom of a 16-bit image other than the value.
inline int CountOtherThan(const QImage& image, int top, int bottom, std::uint16_t value) {
    int count = 0;
    for (int y = top; y <= bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += PixelAt(image, x, y) != value ? 1 : 0;
        }
    }
    return count;
}

inline bool RowIs(const QImage& image, int y, std::uint16_t value) {
    return CountOtherThan(image, y, y, value) == 0;
}

// True when some pixel of the area (the whole image by default) is, or with `equal` false is
// not, exactly this colour.
inline bool AnyPixel(const QImage& image, const QColor& colour, bool equal = true,
                     QRect area = {}) {
    if (area.isNull()) {
        area = image.rect();
    }
    const QRgb wanted = colour.rgb() & 0xFFFFFF;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (((image.pixel(x, y) & 0xFFFFFF) == wanted) == equal) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace vok::test
