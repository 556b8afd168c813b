// Window and full-screen mode of the lyric display.

#include "player/PlayerController.h"

#include "display/ScreenGeometry.h"
#include "player/PlayerLog.h"

#include <QCoreApplication>

namespace vok {

QRect PlayerController::DisplayInUse() const {
    return window_ == nullptr ? QRect()
                              : ScreenModes::DisplayInUse(window_->Screens(), settings_.DualDesc);
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
        const bool beside = ScreenModes::PlaylistBeside(window_->Screens(), settings_.DualDesc);
        bool playlistShown = false;
        for (PlaylistWindowView* view : playlistViews_) {
            playlistShown = playlistShown || view->Shown();
            view->SetShown(beside);
        }
        screenModes_.Entered(area, playlistShown);
        display_.SetLayout(RecalcAspect(area.width(), area.height()));
        window_->EnterFullScreen(area);
        display_.SetFullScreen(true, area.size());
    } else {
        window_->LeaveFullScreen();
        display_.SetFullScreen(false, {});
        if (State() == PlayState::Playing) {
            window_->ShowPlayButton(true);
        }
        if (screenModes_.PlaylistWasShown()) {
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
    display_.FormPaint(State());
    display_.InvalidateLyrics();
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
    if (display_.FullScreen() && DisplayInUse() != screenModes_.Area()) {
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
