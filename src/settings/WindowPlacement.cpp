#include "settings/WindowPlacement.h"

#include <algorithm>

namespace vok {

namespace {

// Settles one coordinate; `origin` and `extent` are the primary screen's along that axis.
int SettleCoordinate(int stored, int origin, int extent, int windowExtent) {
    const bool centre = stored == -1 || stored > origin + extent;
    return centre ? origin + extent / 2 - windowExtent / 2 : stored;
}

}  // namespace

QRect PlaceMainWindow(int storedX, int storedY, QSize windowSize, const QRect& primaryScreen,
                      const QList<QRect>& screens) {
    const int x =
        SettleCoordinate(storedX, primaryScreen.x(), primaryScreen.width(), windowSize.width());
    const int y =
        SettleCoordinate(storedY, primaryScreen.y(), primaryScreen.height(), windowSize.height());
    const QRect placed(QPoint(x, y), windowSize);
    if (screens.isEmpty()) {
        return placed;  // nothing known about the displays: keep the rule as it stands
    }
    for (const QRect& screen : screens) {
        if (screen.intersects(placed)) {
            return placed;
        }
    }
    return QRect(
        QPoint(
            SettleCoordinate(-1, primaryScreen.x(), primaryScreen.width(), windowSize.width()),
            SettleCoordinate(-1, primaryScreen.y(), primaryScreen.height(), windowSize.height())),
        windowSize);
}

QRect PlayListWindowBounds(int storedX, int storedY, int storedW, int storedH,
                           QPoint playerTopLeft) {
    return QRect(storedX == -1 ? playerTopLeft.x() : storedX,
                 storedY == -1 ? playerTopLeft.y() : storedY,
                 storedW < 1 ? kDefaultPlayListWidth : storedW,
                 storedH < 1 ? kDefaultPlayListHeight : storedH);
}

QRect PlaceBeside(const QRect& anchor, QSize size, const QRect& free) {
    QRect placed(QPoint(), size);
    if (anchor.right() + size.width() <= free.right()) {
        placed.moveTopLeft(QPoint(anchor.right() + 1, anchor.top()));
    } else if (anchor.left() - size.width() >= free.left()) {
        placed.moveTopLeft(QPoint(anchor.left() - size.width(), anchor.top()));
    } else {
        placed.moveCenter(free.center());
    }
    const int lowest = std::max(free.top(), free.bottom() + 1 - size.height());
    placed.moveTop(std::clamp(placed.top(), free.top(), lowest));
    return placed;
}

}  // namespace vok
