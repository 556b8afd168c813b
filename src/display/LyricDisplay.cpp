#include "display/LyricDisplay.h"

#include "display/Pixels.h"
#include "lyrics/Vokalento.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace vok {

namespace {

const QString kVersionText = QStringLiteral("Version: 2.1.0");
const QString kFullScreenHint = QStringLiteral("Press ALT + ENTER to return from fullscreen");

QImage BlackSurface(QSize size) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB16);
    FillImage16(image, pixel::Black);
    return image;
}

qint64 MonotonicMs() {
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}

}  // namespace

LyricDisplay::LyricDisplay(DisplayHost& host, double dpi)
    : host_(host),
      renderer_(dpi),
      surface_(BlackSurface(QSize(geometry::ClientWidth, geometry::ClientHeight))),
      versionFont_(CellFont(QStringLiteral("Arial"), 12, false)),
      hintFont_(CellFont(QStringLiteral("Arial"), 24, false)),
      clock_(MonotonicMs) {}

void LyricDisplay::SetFullScreen(bool on, QSize clientSize) {
    fullScreen_ = on;
    surface_ = BlackSurface(on ? clientSize : QSize(geometry::ClientWidth, geometry::ClientHeight));
    host_.SurfaceChanged(surface_.rect());
}

bool LyricDisplay::LoadLogo(const QString& path) {
    logo_ = QImage();
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    QImage picture;
    // The file carries a Windows bitmap whatever its extension says.
    if (!picture.load(path, "BMP")) {
        return false;
    }
    logo_ = picture.convertToFormat(QImage::Format_RGB16);
    return !logo_.isNull();
}

void LyricDisplay::ClearClientArea() {
    FillImage16(surface_, pixel::Black);
    host_.SurfaceChanged(surface_.rect());
}

void LyricDisplay::ClearDisplayArea() {
    if (fullScreen_) {
        ClearClientArea();
        return;
    }
    FillRows16(surface_, 0, geometry::DisplayHeight - 1, pixel::Black);
    host_.SurfaceChanged(geometry::DisplayRect());
}

void LyricDisplay::VisaLogo() {
    if (host_.State() == PlayState::Playing) {
        return;
    }
    // The picture's last column and row are never copied; they stay black.
    const QRect source(0, 0, geometry::DisplayWidth - 1, geometry::DisplayHeight - 1);
    if (!fullScreen_) {
        FillRows16(surface_, 0, geometry::DisplayHeight - 1, pixel::Black);
        Copy16(logo_, source, surface_, 0, 0);
        OutlinedTextOut(560, 5, kVersionText, Rgb(0, 128, 0), Rgb(0, 255, 0), versionFont_,
                        surface_);
        host_.SurfaceChanged(geometry::DisplayRect());
        return;
    }
    FillImage16(surface_, pixel::Black);
    const int width = surface_.width();
    StretchCopy16(logo_, source, surface_,
                  QRect(0, layout_.HeaderY, width, static_cast<int>(layout_.Aspect * 299)));
    DrawTextAt(surface_, 0, 0, kFullScreenHint, hintFont_, Rgb(0, 255, 0));
    host_.SurfaceChanged(surface_.rect());
}

void LyricDisplay::FormPaint() {
    switch (host_.State()) {
        case PlayState::Idle:
            VisaLogo();
            break;
        case PlayState::Playing:
        case PlayState::Paused:
            LyricsDirty = true;
            break;
        default:
            break;
    }
}

void LyricDisplay::PrepareDisplay(const QString& audioFileName) {
    host_.SetLoadButtonsEnabled(false);
    host_.SetCurrentLine(0);
    const TVokalento& song = host_.Song();
    titleText_ = TitleTextFor(song, audioFileName);
    renderer_.PrepareImages(titleText_, song.Valid);
    if (song.Valid) {
        std::int32_t line = host_.CurrentLine();
        QString text;
        song.LineAt(LyricTimeMs(), line, text);
        host_.SetCurrentLine(line);
        LastLineText = text;
    } else {
        renderer_.DrawPlaylistPreview(Playlist());
    }
}

void LyricDisplay::DrawSongMap() {
    vok::DrawSongMap(host_.Song(), renderer_.SongMapBmp, host_.LengthMs());
}

LyricDisplay::Tick LyricDisplay::tmrTimer() {
    host_.DisarmTimer();
    if (!host_.HasStream() && host_.State() == PlayState::NoSong) {
        host_.Stoppa();
        return Tick::Stopped;
    }
    if (!host_.IsStreamPlaying()) {
        if (host_.State() == PlayState::Paused) {
            return Tick::Paused;
        }
        host_.SongEnded();
        // A song that starts arms the timer itself; nothing here may touch the state it set up.
        return Tick::SongEnded;
    }

    const int positionMs = host_.ReadPositionMs();
    const int lengthMs = host_.LengthMs();
    renderer_.UpdateBar(positionMs, lengthMs);
    host_.SetPlayProgress(positionMs);
    if (!notice_.isEmpty() && clock_() >= noticeUntil_) {
        notice_.clear();
    }
    renderer_.DrawStatusLine(
        notice_.isEmpty() ? StatusText(positionMs, lengthMs, host_.PlayIndex(), host_.EntryCount())
                          : notice_);
    DrawLyricArea();
    Present();
    host_.ArmTimer();
    return Tick::Drawn;
}

int LyricDisplay::LyricTimeMs() const {
    const std::int64_t time =
        std::int64_t{host_.PositionMs()} + LyricOffsetMs + host_.Song().LyricOffset;
    return static_cast<int>(std::clamp<std::int64_t>(time, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

void LyricDisplay::ShowNotice(const QString& text) {
    notice_ = text;
    noticeUntil_ = clock_() + kNoticeMs;
    const PlayState state = host_.State();
    if (host_.HasStream() && (state == PlayState::Playing || state == PlayState::Paused)) {
        renderer_.DrawStatusLine(notice_);
        LyricsDirty = true;
        DrawLyricArea();
        Present();
    }
}

void LyricDisplay::DrawLyricArea() {
    const TVokalento& song = host_.Song();
    if (song.Valid) {
        std::int32_t line = host_.CurrentLine();
        QString text;
        song.LineAt(LyricTimeMs(), line, text);
        host_.SetCurrentLine(line);
        // Compared on text, not number: a repeated line stays as drawn.
        if (text != LastLineText || RedrawLyrics || LyricsDirty) {
            RedrawLyrics = false;
            LastLineText = text;
            LyricsDirty = true;
            renderer_.DrawLyricFrame(line, text, song, Colours);
        }
    } else if (LyricsDirty || RedrawLyrics) {
        renderer_.DrawPlaylistPreview(Playlist());
    }
}

void LyricDisplay::Present() {
    if (fullScreen_) {
        PresentFullScreen();
        return;
    }
    const bool lyrics = LyricsDirty || RedrawLyrics;
    Copy16(renderer_.HeaderBmp, renderer_.HeaderBmp.rect(), surface_, 0, geometry::HeaderTop);
    if (lyrics) {
        Copy16(renderer_.LyricBmp, renderer_.LyricBmp.rect(), surface_, 0, geometry::LyricTop);
        LyricsDirty = false;
    }
    Copy16(renderer_.BarBmp, renderer_.BarBmp.rect(), surface_, 0, geometry::BarTop);
    if (lyrics) {
        host_.SurfaceChanged(geometry::DisplayRect());
    } else {
        // Two strips, not the rectangle around them: the lyric area between them is unchanged.
        host_.SurfaceChanged(QRect(0, 0, geometry::DisplayWidth, geometry::HeaderHeight));
        host_.SurfaceChanged(
            QRect(0, geometry::BarTop, geometry::DisplayWidth, geometry::BarHeight));
    }
    host_.UpdateSpectrum();
}

void LyricDisplay::PresentFullScreen() {
    // Source widths of 639 and the header height of 60 are the stretch the display has always
    // used; the rows between the strips stay as the mode switch painted them.
    const int width = surface_.width();
    const double aspect = layout_.Aspect;
    StretchCopy16(renderer_.HeaderBmp, QRect(0, 0, 639, geometry::HeaderHeight), surface_,
                  QRect(0, layout_.HeaderY, width, static_cast<int>(aspect * 60)));
    if (LyricsDirty || RedrawLyrics) {
        StretchCopy16(
            renderer_.LyricBmp, QRect(0, 0, 639, geometry::LyricHeight), surface_,
            QRect(0, layout_.LyricsY, width, static_cast<int>(aspect * geometry::LyricHeight)));
        LyricsDirty = false;
    }
    StretchCopy16(renderer_.BarBmp, QRect(0, 0, 639, geometry::SongMapHeight), surface_,
                  QRect(0, layout_.BarY, width, static_cast<int>(aspect * 19)));
    host_.SurfaceChanged(surface_.rect());
}

bool LyricDisplay::FormMouseUp(int x, int y) {
    if (!host_.HasStream() || fullScreen_ || host_.State() != PlayState::Playing) {
        return false;
    }
    const auto target = BarClickTarget(x, y, host_.LengthMs());
    if (!target) {
        return false;
    }
    host_.SeekToSeconds(target->Seconds);
    host_.SetCurrentLine(host_.Song().LineNumberAt(target->LineMs));
    LyricsDirty = true;
    return true;
}

PlaylistView LyricDisplay::Playlist() const {
    PlaylistView view;
    view.PlayIndex = host_.PlayIndex();
    view.Count = host_.EntryCount();
    view.PathAt = [this](int index) { return host_.EntryPath(index); };
    return view;
}

}  // namespace vok
