#include "display/ScreenGeometry.h"

namespace vok {

ScreenLayout RecalcAspect(int width, int height) {
    ScreenLayout layout;
    const double scale = static_cast<double>(width) / geometry::DisplayWidth;
    layout.Aspect = scale;
    layout.HeaderY = (height - static_cast<int>(scale * geometry::DisplayHeight)) / 2;
    layout.LyricsY = layout.HeaderY + static_cast<int>(scale * geometry::LyricTop);
    layout.BarY = layout.HeaderY + static_cast<int>(scale * geometry::BarTop);
    return layout;
}

std::optional<BarSeek> BarClickTarget(int x, int y, int lengthMs) {
    if (x <= 0 || x >= geometry::DisplayWidth || y <= geometry::BarTop ||
        y >= geometry::BarTop + geometry::BarHeight || lengthMs <= 0) {
        return std::nullopt;
    }
    const double fraction = static_cast<double>(x) / geometry::DisplayWidth;
    BarSeek seek;
    seek.Seconds = static_cast<int>(fraction * (lengthMs / 1000.0));
    seek.LineMs = static_cast<int>(fraction * lengthMs);
    return seek;
}

}  // namespace vok
