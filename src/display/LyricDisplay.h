#pragma once

#include "display/DisplayHost.h"
#include "display/LyricRenderer.h"
#include "display/Pixels.h"
#include "display/ScreenGeometry.h"

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

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
};

}  // namespace vok
