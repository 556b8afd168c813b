#pragma once

#include "display/LyricRenderer.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <variant>

namespace vok {

class TVokalento;

// A song with lyrics: the line the clock has reached (0 before the first) and its text (empty
// between lines); the song model gives the lines after it.
struct LyricContent {
    const TVokalento* Song = nullptr;
    int Line = 0;
    QString Text;
};

// A graphics song: the picture its stream shows at the position (the whole CD+G screen), the part
// of it to show, and a number that changes whenever the picture does.
struct PictureContent {
    const QImage* Picture = nullptr;
    QRect Shown;
    quint64 Generation = 0;
};

// Everything one frame of the display shows, taken by the player at a tick. The display draws it
// and asks nothing back.
struct DisplaySnapshot {
    int PositionMs = 0;
    int LengthMs = 0;
    int PlayIndex = -1;
    int EntryCount = 0;
    // Shown instead of the times while not empty.
    QString Notice;
    // The song's key and tempo; the status line names them when they are not 0 and 100 %.
    int KeySemitones = 0;
    int TempoPercent = 100;
    // The lyric area must be drawn anew even if its text did not change (a seek, a new colour).
    bool RedrawLyrics = false;
    // The lyric lines, the picture of a graphics song, or for a song without either the preview
    // of the next playlist entries.
    std::variant<LyricContent, PlaylistView, PictureContent> Content;
};

// A short text that replaces the status line's times for a while.
class TimedNotice {
  public:
    static constexpr qint64 kShownMs = 2000;

    // The monotonic clock notices are timed with, in ms.
    explicit TimedNotice(std::function<qint64()> clock);

    void Show(const QString& text);
    // The text, or empty once it has run its time.
    const QString& Current();
    void SetClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

  private:
    std::function<qint64()> clock_;
    QString text_;
    qint64 until_ = 0;
};

// Milliseconds of a steady clock started with the program.
qint64 MonotonicMs();

}  // namespace vok
