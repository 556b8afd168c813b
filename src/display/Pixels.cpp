#include "display/Pixels.h"

#include "core/WinColour.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace vok {

int ScaleChannel(int v, int n) {
    if (v == 0 || n == 0) {
        return 0;
    }
    return static_cast<int>(static_cast<double>(v) / 255.0 * n);
}

std::uint16_t ColorTo565(std::uint32_t rgb) {
    const int red = static_cast<int>((rgb >> 16) & 0xFF);
    const int green = static_cast<int>((rgb >> 8) & 0xFF);
    const int blue = static_cast<int>(rgb & 0xFF);
    const int value =
        ScaleChannel(red, 31) * 2048 + ScaleChannel(green, 63) * 32 + ScaleChannel(blue, 31);
    return static_cast<std::uint16_t>(value);
}

namespace {

// The image must be 16-bit for the raw fills; anything else is a programming error we refuse
// quietly rather than scribble over a differently laid out buffer.
bool Is16Bit(const QImage& image) {
    return !image.isNull() && image.format() == QImage::Format_RGB16;
}

void FillRow(QImage& image, int row, std::uint16_t word) {
    auto* pixels = reinterpret_cast<std::uint16_t*>(image.scanLine(row));
    std::fill_n(pixels, image.width(), word);
}

}  // namespace

void FillImage16(QImage& image, std::uint32_t value) {
    FillRows16(image, 0, image.height() - 1, value);
}

void FillRows16(QImage& image, int from, int to, std::uint32_t value) {
    if (!Is16Bit(image) || to < from) {
        return;
    }
    const auto word = static_cast<std::uint16_t>(value & 0xFFFF);
    const int first = std::max(from, 0);
    const int last = std::min(to, image.height() - 1);
    for (int row = first; row <= last; ++row) {
        FillRow(image, row, word);
    }
}

void FillRow565(QImage& image, int row, std::uint32_t rgb) {
    if (!Is16Bit(image) || row < 0 || row >= image.height()) {
        return;
    }
    FillRow(image, row, ColorTo565(rgb));
}

void StretchCopy16(const QImage& source, const QRect& from, QImage& target, const QRect& to,
                   const QRect& clip) {
    if (!Is16Bit(source) || !Is16Bit(target) || from.width() <= 0 || from.height() <= 0 ||
        to.width() <= 0 || to.height() <= 0) {
        return;
    }
    QRect visible = to.intersected(target.rect());
    if (!clip.isNull()) {
        visible = visible.intersected(clip);
    }
    if (visible.isEmpty()) {
        return;
    }
    // Source column of each destination column, computed once per copy; columns outside the
    // source are left as they are.
    std::vector<int> columns;
    columns.reserve(static_cast<std::size_t>(visible.width()));
    int firstInside = -1;
    int lastInside = -2;
    for (int x = visible.left(); x <= visible.right(); ++x) {
        const auto offset = static_cast<long long>(x - to.left()) * from.width() / to.width();
        const int column = from.left() + static_cast<int>(offset);
        if (column >= 0 && column < source.width()) {
            if (firstInside < 0) {
                firstInside = static_cast<int>(columns.size());
            }
            lastInside = static_cast<int>(columns.size());
        }
        columns.push_back(column);
    }
    if (firstInside < 0) {
        return;
    }
    // Source columns rise with the destination's, so the ones inside form one run.
    const auto runBytes = static_cast<std::size_t>(lastInside - firstInside + 1) * 2;
    int previousRow = -1;
    const std::uint16_t* previousOut = nullptr;
    for (int y = visible.top(); y <= visible.bottom(); ++y) {
        const auto offset = static_cast<long long>(y - to.top()) * from.height() / to.height();
        const int sourceRow = from.top() + static_cast<int>(offset);
        if (sourceRow < 0 || sourceRow >= source.height()) {
            continue;
        }
        auto* out = reinterpret_cast<std::uint16_t*>(target.scanLine(y)) + visible.left();
        if (sourceRow == previousRow) {
            // An enlarged row repeats the one above it.
            std::memcpy(out + firstInside, previousOut + firstInside, runBytes);
            continue;
        }
        const auto* in = reinterpret_cast<const std::uint16_t*>(source.constScanLine(sourceRow));
        for (int i = firstInside; i <= lastInside; ++i) {
            out[i] = in[columns[static_cast<std::size_t>(i)]];
        }
        previousRow = sourceRow;
        previousOut = out;
    }
}

namespace {

// First destination index (from 0) whose source index, index * sourceLength / length rounded
// down, reaches `sourceIndex`.
int FirstShowing(int sourceIndex, int sourceLength, int length) {
    const long long product = static_cast<long long>(sourceIndex) * length;
    return static_cast<int>((product + sourceLength - 1) / sourceLength);
}

}  // namespace

QRect StretchedArea(const QRect& area, const QRect& from, const QRect& to) {
    const QRect inside = area.intersected(from);
    if (inside.isEmpty() || to.isEmpty()) {
        return {};
    }
    const int left = FirstShowing(inside.left() - from.left(), from.width(), to.width());
    const int right = FirstShowing(inside.right() + 1 - from.left(), from.width(), to.width()) - 1;
    const int top = FirstShowing(inside.top() - from.top(), from.height(), to.height());
    const int bottom =
        FirstShowing(inside.bottom() + 1 - from.top(), from.height(), to.height()) - 1;
    if (right < left || bottom < top) {
        return {};  // shrunk away: no destination pixel shows these source pixels
    }
    return QRect(QPoint(to.left() + left, to.top() + top),
                 QPoint(to.left() + right, to.top() + bottom));
}

namespace {

template <typename Pixel>
QRect TakeChangesOf(const QImage& now, QImage& shown) {
    const int width = now.width();
    const auto rowBytes = static_cast<std::size_t>(width) * sizeof(Pixel);
    int top = -1;
    int bottom = -1;
    int left = width;
    int right = -1;
    for (int y = 0; y < now.height(); ++y) {
        const auto* in = reinterpret_cast<const Pixel*>(now.constScanLine(y));
        auto* out = reinterpret_cast<Pixel*>(shown.scanLine(y));
        if (std::memcmp(in, out, rowBytes) == 0) {
            continue;
        }
        int first = 0;
        while (in[first] == out[first]) {
            ++first;
        }
        int last = width - 1;
        while (in[last] == out[last]) {
            --last;
        }
        std::memcpy(out + first, in + first,
                    static_cast<std::size_t>(last - first + 1) * sizeof(Pixel));
        top = top < 0 ? y : top;
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    if (top < 0) {
        return {};
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

QRect TakeChanges(const QImage& now, QImage& shown) {
    const int depth = now.depth();
    if (now.isNull() || (depth != 16 && depth != 32)) {
        return {};
    }
    if (shown.size() != now.size() || shown.format() != now.format()) {
        shown = now.copy();
        return now.rect();
    }
    return depth == 16 ? TakeChangesOf<std::uint16_t>(now, shown)
                       : TakeChangesOf<std::uint32_t>(now, shown);
}

void Copy16(const QImage& source, const QRect& from, QImage& target, int x, int y) {
    if (!Is16Bit(source) || !Is16Bit(target)) {
        return;
    }
    // Clip against the source first, then against the target, keeping the two in step.
    QRect sourceRect = from.intersected(source.rect());
    if (sourceRect.isEmpty()) {
        return;
    }
    QRect targetRect(x + (sourceRect.left() - from.left()), y + (sourceRect.top() - from.top()),
                     sourceRect.width(), sourceRect.height());
    const QRect clipped = targetRect.intersected(target.rect());
    if (clipped.isEmpty()) {
        return;
    }
    sourceRect.translate(clipped.left() - targetRect.left(), clipped.top() - targetRect.top());
    const auto bytes = static_cast<std::size_t>(clipped.width()) * 2;
    for (int row = 0; row < clipped.height(); ++row) {
        const auto* in =
            reinterpret_cast<const std::uint16_t*>(source.constScanLine(sourceRect.top() + row)) +
            sourceRect.left();
        auto* out =
            reinterpret_cast<std::uint16_t*>(target.scanLine(clipped.top() + row)) + clipped.left();
        std::memcpy(out, in, bytes);
    }
}

int PointsToPixels(int points, double dpi) {
    return static_cast<int>(std::lround(points * dpi / 72.0));
}

double ScreenDpi() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const double dpi = screen->logicalDotsPerInchY();
        if (dpi > 0) {
            return dpi;
        }
    }
    return 96.0;
}

QFont PointFont(const QString& family, int points, bool bold, double dpi) {
    QFont font(family);
    font.setPixelSize(std::max(1, PointsToPixels(points, dpi)));
    font.setBold(bold);
    return font;
}

QFont CellFont(const QString& family, int cellHeight, bool bold) {
    QFont font(family);
    font.setBold(bold);
    int size = std::max(1, cellHeight);
    for (; size > 1; --size) {
        font.setPixelSize(size);
        if (CellHeight(font) <= cellHeight) {
            break;
        }
    }
    font.setPixelSize(size);
    return font;
}

int TextWidth(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text);
}

int CellHeight(const QFont& font) {
    const QFontMetrics metrics(font);
    return metrics.ascent() + metrics.descent();
}

namespace {

void DrawWith(QPainter& painter, int x, int y, const QString& text, const QColor& colour) {
    painter.setPen(colour);
    painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

// Qt places monochrome glyphs wrongly on 16-bit images (runs of text land shifted and wrapped
// round the row), and a desktop with font anti-aliasing switched off gives exactly such glyphs.
// Text meant for a 16-bit image is therefore drawn on a 32-bit copy of the area it can reach,
// which goes back afterwards; 565 -> 888 -> 565 returns every untouched pixel unchanged.
template <typename Draw>
void PaintText(QImage& target, int x, int y, const QString& text, const QFont& font, Draw draw) {
    if (target.format() != QImage::Format_RGB16) {
        QPainter painter(&target);
        painter.setFont(font);
        draw(painter, 0, 0);
        return;
    }
    // Half a cell around the text's own box (and the outline's pixel) leaves room for any
    // overhanging glyph.
    const int cell = std::max(1, CellHeight(font));
    const int margin = cell / 2 + 2;
    const QRect reach(x - margin, y - margin, TextWidth(font, text) + 2 * margin,
                      cell + 2 * margin);
    const QRect area = reach.intersected(target.rect());
    if (area.isEmpty()) {
        return;
    }
    QImage scratch = target.copy(area).convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&scratch);
        painter.setFont(font);
        draw(painter, -area.left(), -area.top());
    }
    const QImage back = scratch.convertToFormat(QImage::Format_RGB16);
    Copy16(back, back.rect(), target, area.left(), area.top());
}

}  // namespace

void DrawTextAt(QImage& target, int x, int y, const QString& text, const QFont& font,
                const QColor& colour) {
    if (target.isNull() || text.isEmpty()) {
        return;
    }
    PaintText(target, x, y, text, font, [&](QPainter& painter, int dx, int dy) {
        DrawWith(painter, x + dx, y + dy, text, colour);
    });
}

void OutlinedTextOut(int x, int y, const QString& text, const QColor& outline, const QColor& colour,
                     const QFont& font, QImage& target) {
    if (target.isNull() || text.isEmpty()) {
        return;
    }
    PaintText(target, x, y, text, font, [&](QPainter& painter, int dx, int dy) {
        const int left = x + dx;
        const int top = y + dy;
        DrawWith(painter, left - 1, top - 1, text, outline);
        DrawWith(painter, left - 1, top + 1, text, outline);
        DrawWith(painter, left + 1, top - 1, text, outline);
        DrawWith(painter, left + 1, top + 1, text, outline);
        DrawWith(painter, left, top, text, colour);
    });
}

}  // namespace vok
