#pragma once

#include "audio/PlaybackEngine.h"
#include "cdg/CdgPicture.h"
#include "core/PlayState.h"
#include "karaoke/GraphicsSong.h"
#include "lyrics/Vokalento.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace vok {

// What one display tick found.
enum class TickOutcome {
    Stopped,  // no stream in the no-song state: the player must stop
    Paused,   // paused: the tick stays off until playback resumes
    Ended,    // the stream ended: the playlist decides what follows
    Playing,  // the position and the lyric line were read; a frame is due
};

// The song being sung: its lyric model or, for a graphics song, its picture stream; the audio
// engine playing it; the lyric line or picture the clock has reached; and the 33 ms tick that
// reads that clock. It calls nothing above it: every operation
// reports through its result, and the owner acts on it.
class SongSession {
  public:
    // The tick timer becomes a child of `timerParent`, so it can be found and looked at.
    explicit SongSession(QObject* timerParent);

    SongSession(const SongSession&) = delete;
    SongSession& operator=(const SongSession&) = delete;

    TVokalento& Song() { return song_; }
    const TVokalento& Song() const { return song_; }
    PlaybackEngine& Engine() { return engine_; }
    const PlaybackEngine& Engine() const { return engine_; }

    // A graphics song: its picture stream, and its files (kept, so a zipped song's unpacked files
    // live as long as the song is loaded).
    bool HasPicture() const { return picture_.IsOpen(); }
    cdg::CdgPicture& Picture() { return picture_; }
    void KeepGraphicsFiles(GraphicsSongFiles files) { graphicsFiles_ = std::move(files); }
    // The picture stream and its files go (the song model is reset on its own).
    void CloseGraphics();
    // The picture at the last position read, the lyric offset applied; null without one.
    const QImage* CurrentPicture() const { return currentPicture_; }

    PlayState State() const { return engine_.State(); }
    void SetState(PlayState state) { engine_.SetState(state); }
    bool HasStream() const { return engine_.Stream() != 0; }

    // Starts the open stream from its beginning, before the first lyric line.
    bool Start();
    // Stops the song; the stream stays open. True when there was one.
    bool Stop();

    // The jumps and seeks take the lyric line anew and ask for the lyric area to be redrawn.
    // The arrow keys: only while playing; the line is the one at the position before the jump
    // (the next tick corrects it).
    bool JumpBack();
    bool JumpForward();
    // Seeks to a whole second; the line becomes the one sounding at `lineMs`.
    void SeekTo(int seconds, int lineMs);
    // Seeks to a whole second; the next tick finds the line.
    void SeekToSecond(int seconds);

    // One display tick: disarms the timer and reads the clock. The owner re-arms it.
    TickOutcome Tick();

    // The user's lyric offset in ms (positive: lines sooner). Only the lyric lines move with it;
    // the audio, the status line's position and seeking do not.
    int LyricOffsetMs = 0;
    // The time the lyric lines are looked up with: the position plus the user's and the song's
    // offsets, kept within the 32-bit range.
    int LyricTimeMs() const;
    // The lyric line at the last position read, and its text (empty between lines).
    int CurrentLine() const { return currentLine_; }
    const QString& CurrentText() const { return currentText_; }
    // Looks the line (or the picture) up at the last position read, from the current one on.
    void TakeLine();
    // True once after a seek or a jump: the lyric area must be drawn anew.
    bool TakeRedrawRequest();

    QTimer& Timer() { return tick_; }
    void ArmTick() { tick_.start(); }
    void DisarmTick() { tick_.stop(); }

  private:
    // After an arrow key that acted (the song plays): the line at the position it started from.
    bool AfterJump(bool playing);

    TVokalento song_;
    cdg::CdgPicture picture_;
    GraphicsSongFiles graphicsFiles_;
    const QImage* currentPicture_ = nullptr;
    PlaybackEngine engine_;
    QTimer tick_;
    int currentLine_ = 0;
    QString currentText_;
    bool redrawRequested_ = false;
};

}  // namespace vok
