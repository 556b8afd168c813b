#pragma once

#include "display/DisplayHost.h"
#include "display/LyricRenderer.h"
#include "display/Pixels.h"
#include "display/ScreenGeometry.h"

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

namespace vok {

// The lyric display of the player window, free of widgets: the 33 ms tick's decisions, the
// off-screen images and the window surface they are copied to. The window's paintEvent only blits
// Surface(); everything else reaches the window through DisplayHost.
class LyricDisplay {
  public:
    explicit LyricDisplay(DisplayHost& host, double dpi = ScreenDpi());

    // How a tick ended.
    enum class Tick {
        Stopped,    // no stream in the no-song state: stopped, timer left off
        Paused,     // paused: timer left off until playback resumes
        SongEnded,  // handed over to the next entry or stopped at the end of the list
        Drawn,      // drew and presented a frame, timer armed again
    };

    // Redraw requests for the lyric area.
    bool RedrawLyrics = false;
    bool LyricsDirty = false;
    // Text of the current line as last drawn.
    QString LastLineText;
    LyricColours Colours;
    // The user's lyric offset in ms (positive: lines sooner). Only the lines looked up for the
    // lyric area move with it; the audio, the status line's position and seeking do not.
    int LyricOffsetMs = 0;
    // How long a notice replaces the status line.
    static constexpr qint64 kNoticeMs = 2000;

    LyricRenderer& Renderer() { return renderer_; }
    const LyricRenderer& Renderer() const { return renderer_; }
    const QImage& Surface() const { return surface_; }
    bool FullScreen() const { return fullScreen_; }
    const ScreenLayout& Layout() const { return layout_; }
    QString TitleText() const { return titleText_; }

    // Screen mode: the surface covers the window's client area, 640 x 480 in window mode or the
    // whole display in full-screen mode. The layout comes from RecalcAspect.
    void SetLayout(const ScreenLayout& layout) { layout_ = layout; }
    void SetFullScreen(bool on, QSize clientSize);

    // The logo picture (a BMP file, whatever its name); false, and no picture, when the file is
    // missing or not a readable bitmap.
    bool LoadLogo(const QString& path);
    const QImage& Logo() const { return logo_; }

    // Surface fills.
    void ClearClientArea();
    void ClearDisplayArea();
    // The idle screen: the logo with the version text, or in full screen the scaled logo with the
    // hint how to leave. Nothing while playing.
    void VisaLogo();
    // The window was asked to repaint.
    void FormPaint();

    // Playback starts: images, title, CurrentLine, and the guide rows or the playlist preview.
    void PrepareDisplay(const QString& audioFileName);
    // The song map for the loaded song and length.
    void DrawSongMap();
    // Playback stopped: the bar image goes.
    void ReleaseBar() { renderer_.ReleaseBar(); }

    // One display tick.
    Tick tmrTimer();
    // The time the lyric area looks its lines up with: the position plus the user's and the
    // song's offsets, kept within the 32-bit range.
    int LyricTimeMs() const;
    // Shows `text` in the status line for kNoticeMs; while a song plays or is paused the status
    // line and the lyric area are redrawn at once.
    void ShowNotice(const QString& text);
    // The notice the status line shows; empty once it has run its time (at the next tick).
    const QString& Notice() const { return notice_; }
    // The monotonic clock notices are timed with, in ms; tests set their own.
    void SetClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
    // A mouse button released over the client area; seeks when it hits the timeline bar. True
    // when it sought.
    bool FormMouseUp(int x, int y);

  private:
    void DrawLyricArea();
    void Present();
    void PresentFullScreen();
    PlaylistView Playlist() const;

    DisplayHost& host_;
    LyricRenderer renderer_;
    QImage surface_;
    QImage logo_;
    ScreenLayout layout_;
    bool fullScreen_ = false;
    QString titleText_;
    QFont versionFont_;
    QFont hintFont_;
    std::function<qint64()> clock_;
    QString notice_;
    qint64 noticeUntil_ = 0;
};

}  // namespace vok
