#pragma once

#include <QColor>
#include <cstdint>

class QPainter;

namespace vok {

// A Windows colour value (core/WinColour.h): bits 0-7 red, 8-15 green, 16-23 blue.
using TColor = std::uint32_t;

namespace colors {
inline constexpr TColor Black = 0x000000;
inline constexpr TColor Green = 0x008000;
inline constexpr TColor Lime = 0x00FF00;
inline constexpr TColor Olive = 0x008080;
inline constexpr TColor Silver = 0xC0C0C0;
inline constexpr TColor Yellow = 0x00FFFF;
inline constexpr TColor Gray = 0x808080;
}  // namespace colors

// The Qt colour of a Windows colour value, for painting.
QColor ToQColor(TColor color);

// The channel value of row `row` of a `height`-row gradient: from + Ceil((to - from) / height *
// row), wrapped to a byte. Computed exactly, so whole steps never round up by a hair.
int GradientChannel(int from, int to, int height, int row);

// Fills rows 0..height-1, each a full-width line, from `from` towards `to`; the last row stops
// one step short of `to`. Nothing is drawn when height is 0.
void DrawVerticalGradient(QPainter& painter, int width, int height, TColor from, TColor to);

}  // namespace vok
