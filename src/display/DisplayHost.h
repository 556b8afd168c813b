#pragma once

#include "core/PlayState.h"

#include <QRect>
#include <QString>

namespace vok {

class TVokalento;

// What the display needs from the rest of the player: the playback engine, the song model, the
// playlist and the window. The player window implements it; tests use fakes.
class DisplayHost {
  public:
    virtual ~DisplayHost() = default;

    // Playback engine.
    virtual bool HasStream() const = 0;        // Stream != 0
    virtual bool IsStreamPlaying() const = 0;  // the engine reports the stream active
    virtual int ReadPositionMs() = 0;          // play position now, whole ms
    virtual int PositionMs() const = 0;        // position found by the last tick
    virtual int LengthMs() const = 0;
    virtual PlayState State() const = 0;
    virtual int CurrentLine() const = 0;
    virtual void SetCurrentLine(int line) = 0;
    virtual void SeekToSeconds(int seconds) = 0;
    virtual void Stoppa() = 0;

    // Song model of the loaded lyric file.
    virtual const TVokalento& Song() const = 0;

    // Playlist.
    virtual int PlayIndex() const = 0;
    virtual int EntryCount() const = 0;
    virtual QString EntryPath(int index) const = 0;
    // The stream of the playing song has ended: the playlist goes on or stops.
    virtual void SongEnded() = 0;
    virtual void SetPlayProgress(int positionMs) = 0;

    // Window.
    virtual void ArmTimer() = 0;
    virtual void DisarmTimer() = 0;
    // One spectrum analyser frame (window mode only).
    virtual void UpdateSpectrum() = 0;
    virtual void SetLoadButtonsEnabled(bool enabled) = 0;
    // Part of the window surface changed; the window schedules a repaint of it.
    virtual void SurfaceChanged(const QRect& area) = 0;
};

}  // namespace vok
