#pragma once

#include <QList>
#include <QRect>

namespace vok {

// Where full screen goes, and what entering it changed so that leaving puts it back.
class ScreenModes {
  public:
    // The display the lyrics go to in full screen: the second one when several are attached and
    // DualDesc is set, else the primary one (`screens` lists the primary one first). Empty
    // without displays.
    static QRect DisplayInUse(const QList<QRect>& screens, bool dualDesc);
    // With the lyrics on a display of their own the playlist window stays usable beside them;
    // otherwise it would cover the lyrics.
    static bool PlaylistBeside(const QList<QRect>& screens, bool dualDesc);

    // Full screen began on `area`, with the playlist window shown or not.
    void Entered(const QRect& area, bool playlistWasShown);
    // The display full screen covers.
    const QRect& Area() const { return area_; }
    // The playlist window comes back when full screen ends.
    bool PlaylistWasShown() const { return playlistWasShown_; }

  private:
    QRect area_;
    bool playlistWasShown_ = false;
};

}  // namespace vok
