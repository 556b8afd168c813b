// Window and full-screen mode of the lyric display.

#include "player/PlayerController.h"

#include "display/ScreenGeometry.h"
#include "player/PlayerLog.h"

#include <QCoreApplication>

namespace vok {

QRect PlayerController::DisplayInUse() const {
    if (window_ == nullptr) {
        return {};
    }
    const QList<QRect> screens = window_->Screens();
    if (screens.isEmpty()) {
        return {};
    }
    return screens.size() > 1 && settings_.DualDesc ? screens.at(1) : screens.constFirst();
}

void PlayerController::ApplyDisplayLayout() {
    const QRect area = DisplayInUse();
    if (!area.isEmpty()) {
        display_.SetLayout(RecalcAspect(area.width(), area.height()));
    }
}

void PlayerController::SkarmLage(bool on) {
    QCoreApplication::processEvents();
    if (on == display_.FullScreen() || window_ == nullptr) {
        return;
    }
    if (on) {
        // Taken afresh: a display may have been plugged in or out since the last time.
        const QRect area = DisplayInUse();
        if (area.isEmpty()) {
            return;
        }
        fullScreenArea_ = area;
        // With the lyrics on a display of their own the playlist stays usable beside them;
        // otherwise it would cover the lyrics.
        const bool beside = window_->Screens().size() > 1 && settings_.DualDesc;
        playlistWasShown_ = false;
        for (PlaylistWindowView* view : playlistViews_) {
            playlistWasShown_ = playlistWasShown_ || view->Shown();
            view->SetShown(beside);
        }
        display_.SetLayout(RecalcAspect(area.width(), area.height()));
        window_->EnterFullScreen(area);
        display_.SetFullScreen(true, area.size());
    } else {
        window_->LeaveFullScreen();
        display_.SetFullScreen(false, {});
        if (State() == PlayState::Playing) {
            window_->ShowPlayButton(true);
        }
        if (playlistWasShown_) {
            for (PlaylistWindowView* view : playlistViews_) {
                view->SetShown(true);
            }
        }
        QCoreApplication::processEvents();
    }
    for (PlaylistWindowView* view : playlistViews_) {
        view->ShowFullScreen(display_.FullScreen());
    }
    QCoreApplication::processEvents();
    // What the window system's repaint of the new surface would show.
    display_.FormPaint();
    display_.LyricsDirty = true;
}

void PlayerController::FSBtnClick() {
    QCoreApplication::processEvents();
    SkarmLage(true);
}

void PlayerController::LogoClick() {
    SkarmLage(!display_.FullScreen());
}

void PlayerController::PLFullscreenClick() {
    SkarmLage(!display_.FullScreen());
}

bool PlayerController::PlaylistMayClose() const {
    return !(display_.FullScreen() && settings_.DualDesc);
}

void PlayerController::DisplaysChanged() {
    if (display_.FullScreen() && DisplayInUse() != fullScreenArea_) {
        // The singers' display went away or changed: the lyrics come back to the window rather
        // than stay on a display nobody sees.
        qCInfo(lcPlayer) << "the display in use changed; leaving full screen";
        SkarmLage(false);
    }
    if (!display_.FullScreen()) {
        ApplyDisplayLayout();
    }
}

}  // namespace vok
