#pragma once

#include "settings/SettingsStore.h"

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

namespace vok {

// The two information panels of the player window.
enum class InfoPanelId { Lyrics, Song };

// What one information panel shows: a title line, an info line and the hint the pointer shows
// over it (empty while hints are off).
struct InfoPanelText {
    QString Title;
    QString Info;
    QString Hint;

    bool operator==(const InfoPanelText&) const = default;
};

// What the controller asks of the player window. The window only shows what it is told and
// forwards the user's clicks and keys to the controller.
class PlayerWindowView {
  public:
    virtual ~PlayerWindowView() = default;

    virtual void SetCaption(const QString& caption) = 0;
    virtual void ShowInfoPanel(InfoPanelId panel, const InfoPanelText& text) = 0;
    // The load and unload buttons of both panels.
    virtual void SetLoadButtonsEnabled(bool enabled) = 0;
    // Play lit while a song plays, Pause lit while it is paused.
    virtual void ShowPlayButton(bool lit) = 0;
    virtual void ShowPauseButton(bool lit) = 0;
    virtual void ShowVolume(int volume) = 0;
    virtual void ShowRandom(bool down) = 0;
    // The spectrum analyser draws its next frame, or shows its plain background.
    virtual void UpdateSpectrum() = 0;
    virtual void ClearSpectrum() = 0;
    // Part of the display surface changed and must be repainted.
    virtual void SurfaceChanged(const QRect& area) = 0;
    // A file handed in from outside: the window comes into view, also from minimised.
    virtual void BringToFront() = 0;

    // The displays, the primary one first.
    virtual QList<QRect> Screens() const = 0;
    // Full screen: the window covers `area` without border or panel, stays on top and hides the
    // cursor; leaving restores the window as it was.
    virtual void EnterFullScreen(const QRect& area) = 0;
    virtual void LeaveFullScreen() = 0;
    // "Settings..." works only once a settings dialog is attached and never from read-only media.
    virtual void EnableSettingsButton(bool /*enabled*/) {}
};

// What the settings dialog hands back when it was confirmed with OK.
struct SettingsDialogAnswer {
    DialogSettings Settings;
    bool LoadAccurate = true;
};

// The settings dialog as the controller sees it. It is made once and keeps its controls between
// openings; the colours and the outline flag it changes on the player at once.
class SettingsDialogView {
  public:
    virtual ~SettingsDialogView() = default;

    // Shown modally; the confirmed values on OK, nothing on Cancel or the close box.
    virtual std::optional<SettingsDialogAnswer> Execute() = 0;
    // Closes the open dialog as its Cancel does: files handed in while it is open go first.
    virtual void Cancel() = 0;
};

// What the controller tells the windows that show the playlist. Each is told after the change.
class PlaylistWindowView {
  public:
    virtual ~PlaylistWindowView() = default;

    // The active entry may have changed: the rows are repainted.
    virtual void RowsChanged() = 0;
    // Entries were added, loaded or cleared: every row is built anew from the entries.
    virtual void RowsRebuilt() {}
    // One entry left the list; the rows below it move up and are renumbered.
    virtual void RowRemoved(int /*row*/) {}
    // Entry `from` now stands just before what was entry `before`; the rows are renumbered.
    virtual void RowMoved(int /*from*/, int /*before*/) {}
    // The column widths are recomputed (after a folder was added or a list was loaded).
    virtual void ColumnsChanged() {}
    // A folder scan runs: the tool bar is off and the rows show a busy cursor.
    virtual void ShowScanning(bool /*scanning*/) {}
    // A text of its own in the status line (the folder being scanned).
    virtual void ShowStatusText(const QString& /*text*/) {}
    // The status line (entry count, active entry) is shown anew.
    virtual void StatusChanged() = 0;
    // The playing song's position; its length is the progress bar's maximum.
    virtual void ShowProgress(int positionMs, int lengthMs) = 0;
    // The window on screen, or hidden; full screen hides it or brings it up beside the lyrics.
    virtual bool Shown() const { return false; }
    virtual void SetShown(bool /*shown*/) {}
    // Its Fullscreen button stays down while the player is in full screen.
    virtual void ShowFullScreen(bool /*on*/) {}
};

// What the controller asks of the Library window.
class LibraryWindowView {
  public:
    virtual ~LibraryWindowView() = default;

    // Ctrl+F or "Library...": the window comes into view with its search field focused.
    virtual void Open() = 0;
};

}  // namespace vok
