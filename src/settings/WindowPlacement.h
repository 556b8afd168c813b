#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace vok {

inline constexpr int kDefaultPlayListWidth = 277;
inline constexpr int kDefaultPlayListHeight = 391;

// Where the player window goes at start-up, from the stored MainFrmX/MainFrmY.
// A stored −1, or a value beyond the primary screen's width (height), gives the centred value:
// screen size div 2 − window size div 2, from the primary screen's own corner. Other values,
// negative ones included, are used as they are. Should the result lie wholly outside every screen
// in `screens` (a display that is gone, or a left edge exactly on the primary screen's right
// edge), the window is centred on the primary screen instead, so it never starts out of reach.
// The returned corner is what the close write stores.
QRect PlaceMainWindow(int storedX, int storedY, QSize windowSize, const QRect& primaryScreen,
                      const QList<QRect>& screens);

// The playlist window's bounds from PlayListX/Y/W/H: −1 for X or Y takes the player window's
// corner; −1 (or any value below 1) for W or H takes 277 × 391.
QRect PlayListWindowBounds(int storedX, int storedY, int storedW, int storedH,
                           QPoint playerTopLeft);

// Where a window of `size` opens beside `anchor` (the player window's frame) on the free part of
// its screen: to its right, else to its left, else centred on `free`; always inside `free` from
// the top.
QRect PlaceBeside(const QRect& anchor, QSize size, const QRect& free);

}  // namespace vok
