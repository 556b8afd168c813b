#include "controls/Gradient.h"

#include <QPainter>

#include "core/WinColour.h"

namespace vok {

QColor ToQColor(TColor color) {
    return QColor(WinColourToRgb(color));
}

int GradientChannel(int from, int to, int height, int row) {
    const long long numerator = static_cast<long long>(to - from) * row;
    // Ceil of numerator / height for a positive height, either sign of the numerator.
    long long step = numerator / height;
    if (numerator % height != 0 && numerator > 0) {
        ++step;
    }
    const long long value = (from + step) % 256;
    return static_cast<int>(value < 0 ? value + 256 : value);
}

void DrawVerticalGradient(QPainter& painter, int width, int height, TColor from, TColor to) {
    if (height <= 0 || width <= 0) {
        return;
    }
    const QColor a = ToQColor(from);
    const QColor b = ToQColor(to);
    for (int row = 0; row < height; ++row) {
        const QColor color(GradientChannel(a.red(), b.red(), height, row),
                           GradientChannel(a.green(), b.green(), height, row),
                           GradientChannel(a.blue(), b.blue(), height, row));
        painter.fillRect(0, row, width, 1, color);
    }
}

}  // namespace vok
