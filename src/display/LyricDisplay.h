#pragma once

#include "core/PlayState.h"
#include "display/DisplaySnapshot.h"
#include "display/LyricRenderer.h"
#include "display/Pixels.h"
#include "display/ScreenGeometry.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

namespace vok {

// Told which part of the window surface changed, so the window repaints it.
using SurfaceSink = std::function<void(const QRect&)>;

// The lyric display of the player window, free of widgets: the off-screen images, the window
// surface they are copied to, and the drawing of the snapshot each tick hands it. The window's
// paintEvent only blits Surface(). It draws what it is given and asks nothing back.
class LyricDisplay {
  public:
    explicit LyricDisplay(SurfaceSink surfaceChanged, double dpi = ScreenDpi());

    // Text of the current line as last drawn.
    QString LastLineText;

    LyricRenderer& Renderer() { return renderer_; }
    const LyricRenderer& Renderer() const { return renderer_; }
    const QImage& Surface() const { return surface_; }
    bool FullScreen() const { return fullScreen_; }
    const ScreenLayout& Layout() const { return layout_; }
    QString TitleText() const { return titleText_; }
    const LyricColours& Colours() const { return colours_; }
    // New colours: the current line is drawn anew.
    void SetColours(const LyricColours& colours);

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
    // hint how to leave.
    void VisaLogo();
    // The window was asked to repaint while the player was in `state`.
    void FormPaint(PlayState state);

    // Playback starts: images and title, and the first frame's lyric line or playlist preview.
    // The first tick draws and copies the lyric area whatever its text.
    void PrepareDisplay(const QString& titleText, const DisplaySnapshot& first);
    // The song map for the song and its length.
    void DrawSongMap(const TVokalento& song, int lengthMs);
    // Playback stopped: the bar image goes.
    void ReleaseBar() { renderer_.ReleaseBar(); }

    // One frame: the status line, the bar, the lyric area when its text changed or a redraw was
    // asked for, copied to the surface.
    void Render(const DisplaySnapshot& frame);
    // The lyric area is drawn and copied anew at the next frame.
    void InvalidateLyrics() { lyricsDirty_ = true; }
    bool LyricsDirty() const { return lyricsDirty_; }

    // Where a mouse button released at (x, y) over the client area seeks: only in window mode,
    // on the timeline bar of a song `lengthMs` long.
    std::optional<BarSeek> BarTargetAt(int x, int y, int lengthMs) const;

  private:
    // A graphics song's frame: the picture as large as the display allows, the times and the
    // list position in a thin strip below it.
    void RenderPicture(const DisplaySnapshot& frame, const PictureContent& picture);
    QRect PictureArea() const;
    QRect StripArea() const;
    void DrawLyricArea(const DisplaySnapshot& frame);
    // Where a strip image goes on the surface: its part `From` onto `To`, stretched in full
    // screen.
    struct StripPlace {
        QRect From;
        QRect To;
    };
    void Present();
    void PresentStrip(const QImage& strip, QImage& shown, const StripPlace& place);
    // The surface was drawn over: the next frame copies every strip, or draws the picture, whole.
    void ForgetShown();
    void ForgetShownStrips();
    // The status line's text for the frame: its notice, or the times and the list position.
    const QString& StatusFor(const DisplaySnapshot& frame);

    SurfaceSink surfaceChanged_;
    LyricRenderer renderer_;
    LyricColours colours_;
    QImage surface_;
    QImage logo_;
    ScreenLayout layout_;
    bool fullScreen_ = false;
    // Forces the lyric area to be drawn at the next frame; set when playback starts. A song
    // without lyrics never clears it, so its preview is drawn at every tick.
    bool redrawLyrics_ = false;
    // The lyric area must be drawn and copied at the next frame.
    bool lyricsDirty_ = false;
    QString titleText_;
    // Each strip as the surface last showed it, to copy only what changed.
    QImage shownHeader_;
    QImage shownLyrics_;
    QImage shownBar_;
    // Drawn on since the last copy to the surface.
    bool headerPending_ = true;
    bool barPending_ = true;
    // The parts of the status text last built, in whole seconds.
    struct StatusParts {
        int PositionS = 0;
        int LengthS = 0;
        int PlayIndex = 0;
        int EntryCount = 0;
        int KeySemitones = 0;
        int TempoPercent = 0;
        bool operator==(const StatusParts&) const = default;
    };
    StatusParts statusParts_;
    QString statusText_;
    // What a graphics song's frame last showed.
    quint64 shownPicture_ = 0;
    QImage shownFrame_;  // the part of the picture shown, as the surface shows it
    QString shownStrip_;
    QFont stripFont_;
    QFont versionFont_;
    QFont hintFont_;
};

}  // namespace vok
