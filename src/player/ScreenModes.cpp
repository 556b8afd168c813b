#include "player/ScreenModes.h"

namespace vok {

QRect ScreenModes::DisplayInUse(const QList<QRect>& screens, bool dualDesc) {
    if (screens.isEmpty()) {
        return {};
    }
    return PlaylistBeside(screens, dualDesc) ? screens.at(1) : screens.constFirst();
}

bool ScreenModes::PlaylistBeside(const QList<QRect>& screens, bool dualDesc) {
    return screens.size() > 1 && dualDesc;
}

void ScreenModes::Entered(const QRect& area, bool playlistWasShown) {
    area_ = area;
    playlistWasShown_ = playlistWasShown;
}

}  // namespace vok
