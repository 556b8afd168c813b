#pragma once

#include <QRect>

#include <optional>

namespace vok {

// Where everything of the display sits, in one place for the window and the full-screen modes.
namespace geometry {

inline constexpr int ClientWidth = 640;  // the player window's client area
inline constexpr int ClientHeight = 480;
inline constexpr int DisplayWidth = 640;  // the display area at the top of the client area
inline constexpr int DisplayHeight = 300;

inline constexpr int HeaderTop = 0;  // header strip: title and status line
inline constexpr int HeaderHeight = 61;
inline constexpr int LyricTop = 61;  // lyric area
inline constexpr int LyricHeight = 219;
inline constexpr int BarTop = 280;  // timeline bar
inline constexpr int BarHeight = 20;
inline constexpr int SongMapHeight = 19;

// Reference row of the lyric area; every row of the lyric frame is relative to it.
inline constexpr int LyricBase = 109;

inline QRect DisplayRect() {
    return QRect(0, 0, DisplayWidth, DisplayHeight);
}

}  // namespace geometry

// Full-screen scale and the top rows of the scaled strips on a display of the given size.
struct ScreenLayout {
    double Aspect = 1.0;
    int HeaderY = 0;
    int LyricsY = geometry::LyricTop;
    int BarY = geometry::BarTop;
};

// The display area scaled uniformly to the full width and centred vertically; a display lower
// than the scaled area gives a negative HeaderY and the area is cut at top and bottom.
ScreenLayout RecalcAspect(int width, int height);

// A click on the timeline bar in window mode: where to seek.
struct BarSeek {
    int Seconds = 0;  // seek target, cut to a whole second
    int LineMs = 0;   // time whose line becomes the current one
};

// The bar accepts clicks strictly inside it: 0 < x < 640 and 280 < y < 300. No seek without a
// positive song length: there is nothing on the bar to point at.
std::optional<BarSeek> BarClickTarget(int x, int y, int lengthMs);

}  // namespace vok
