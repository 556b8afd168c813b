#include "display/LyricDisplay.h"

#include "display/PictureScaling.h"
#include "display/Pixels.h"
#include "lyrics/Vokalento.h"

#include <QPainter>

#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <utility>
#include <variant>

namespace vok {

namespace {

const QString kVersionText = QStringLiteral("Version: 2.1.0");
const QString kFullScreenHint = QStringLiteral("Press ALT + ENTER to return from fullscreen");

QImage BlackSurface(QSize size) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB16);
    FillImage16(image, pixel::Black);
    return image;
}

}  // namespace

qint64 MonotonicMs() {
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}

TimedNotice::TimedNotice(std::function<qint64()> clock) : clock_(std::move(clock)) {}

void TimedNotice::Show(const QString& text) {
    text_ = text;
    until_ = clock_() + kShownMs;
}

const QString& TimedNotice::Current() {
    if (!text_.isEmpty() && clock_() >= until_) {
        text_.clear();
    }
    return text_;
}

LyricDisplay::LyricDisplay(SurfaceSink surfaceChanged, double dpi)
    : surfaceChanged_(std::move(surfaceChanged)),
      renderer_(dpi),
      surface_(BlackSurface(QSize(geometry::ClientWidth, geometry::ClientHeight))),
      stripFont_(CellFont(QStringLiteral("Arial"), 16, true)),
      versionFont_(CellFont(QStringLiteral("Arial"), 12, false)),
      hintFont_(CellFont(QStringLiteral("Arial"), 24, false)) {}

void LyricDisplay::SetColours(const LyricColours& colours) {
    colours_ = colours;
    lyricsDirty_ = true;
}

void LyricDisplay::SetFullScreen(bool on, QSize clientSize) {
    fullScreen_ = on;
    ForgetShown();
    surface_ = BlackSurface(on ? clientSize : QSize(geometry::ClientWidth, geometry::ClientHeight));
    surfaceChanged_(surface_.rect());
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
    ForgetShown();
    FillImage16(surface_, pixel::Black);
    surfaceChanged_(surface_.rect());
}

void LyricDisplay::ClearDisplayArea() {
    if (fullScreen_) {
        ClearClientArea();
        return;
    }
    ForgetShown();
    FillRows16(surface_, 0, geometry::DisplayHeight - 1, pixel::Black);
    surfaceChanged_(geometry::DisplayRect());
}

void LyricDisplay::VisaLogo() {
    // The picture's last column and row are never copied; they stay black.
    const QRect source(0, 0, geometry::DisplayWidth - 1, geometry::DisplayHeight - 1);
    ForgetShown();
    if (!fullScreen_) {
        FillRows16(surface_, 0, geometry::DisplayHeight - 1, pixel::Black);
        Copy16(logo_, source, surface_, 0, 0);
        OutlinedTextOut(560, 5, kVersionText, Rgb(0, 128, 0), Rgb(0, 255, 0), versionFont_,
                        surface_);
        surfaceChanged_(geometry::DisplayRect());
        return;
    }
    FillImage16(surface_, pixel::Black);
    const int width = surface_.width();
    StretchCopy16(logo_, source, surface_,
                  QRect(0, layout_.HeaderY, width, static_cast<int>(layout_.Aspect * 299)));
    DrawTextAt(surface_, 0, 0, kFullScreenHint, hintFont_, Rgb(0, 255, 0));
    surfaceChanged_(surface_.rect());
}

void LyricDisplay::FormPaint(PlayState state) {
    switch (state) {
        case PlayState::Idle:
            VisaLogo();
            break;
        case PlayState::Playing:
        case PlayState::Paused:
            lyricsDirty_ = true;
            break;
        default:
            break;
    }
}

void LyricDisplay::PrepareDisplay(const QString& titleText, const DisplaySnapshot& first) {
    titleText_ = titleText;
    ForgetShown();  // the first frame copies every strip whole
    if (std::holds_alternative<PictureContent>(first.Content)) {
        renderer_.PrepareImages(titleText_, false);
        shownStrip_.clear();
        redrawLyrics_ = true;
        return;
    }
    const auto* lyrics = std::get_if<LyricContent>(&first.Content);
    renderer_.PrepareImages(titleText_, lyrics != nullptr);
    if (lyrics != nullptr) {
        LastLineText = lyrics->Text;
    } else {
        renderer_.DrawPlaylistPreview(std::get<PlaylistView>(first.Content));
    }
    redrawLyrics_ = true;
}

void LyricDisplay::DrawSongMap(const TVokalento& song, int lengthMs) {
    vok::DrawSongMap(song, renderer_.SongMapBmp, lengthMs);
    renderer_.SongMapChanged();
}

void LyricDisplay::Render(const DisplaySnapshot& frame) {
    if (const auto* picture = std::get_if<PictureContent>(&frame.Content)) {
        RenderPicture(frame, *picture);
        return;
    }
    barPending_ = renderer_.UpdateBar(frame.PositionMs, frame.LengthMs) || barPending_;
    headerPending_ = renderer_.DrawStatusLine(StatusFor(frame)) || headerPending_;
    lyricsDirty_ = lyricsDirty_ || frame.RedrawLyrics;
    DrawLyricArea(frame);
    Present();
}

const QString& LyricDisplay::StatusFor(const DisplaySnapshot& frame) {
    if (!frame.Notice.isEmpty()) {
        return frame.Notice;
    }
    // The times show whole seconds: the text is built anew only when one of its parts changes.
    const StatusParts parts{frame.PositionMs / 1000, frame.LengthMs / 1000, frame.PlayIndex,
                            frame.EntryCount,        frame.KeySemitones,    frame.TempoPercent};
    if (statusText_.isNull() || !(parts == statusParts_)) {
        statusText_ = StatusText(frame.PositionMs, frame.LengthMs, frame.PlayIndex,
                                 frame.EntryCount, frame.KeySemitones, frame.TempoPercent);
        statusParts_ = parts;
    }
    return statusText_;
}

QRect LyricDisplay::PictureArea() const {
    const QRect whole = fullScreen_ ? surface_.rect() : geometry::DisplayRect();
    return whole.adjusted(0, 0, 0, -StripArea().height());
}

QRect LyricDisplay::StripArea() const {
    const QRect whole = fullScreen_ ? surface_.rect() : geometry::DisplayRect();
    const int height =
        fullScreen_ ? static_cast<int>(layout_.Aspect * geometry::BarHeight) : geometry::BarHeight;
    return QRect(whole.left(), whole.bottom() + 1 - height, whole.width(), height);
}

void LyricDisplay::RenderPicture(const DisplaySnapshot& frame, const PictureContent& picture) {
    ForgetShownStrips();
    const bool all = lyricsDirty_ || redrawLyrics_ || frame.RedrawLyrics || shownFrame_.isNull();
    if (all || picture.Generation != shownPicture_) {
        const QRect area = PictureArea();
        shownPicture_ = picture.Generation;
        if (picture.Picture == nullptr) {
            shownFrame_ = QImage();
            surfaceChanged_(area);
        } else if (all) {
            DrawPictureFitted(surface_, area, *picture.Picture, picture.Shown);
            shownFrame_ = picture.Picture->copy(picture.Shown);
            surfaceChanged_(area);
        } else {
            // A disc changes a few tiles at a time: only they are drawn and sent again.
            const QRect changed = TakeChanges(picture.Picture->copy(picture.Shown), shownFrame_);
            const QRect drawn =
                changed.isEmpty()
                    ? QRect()
                    : DrawPictureChange(surface_, area, *picture.Picture, picture.Shown,
                                        changed.translated(picture.Shown.topLeft()));
            if (!drawn.isEmpty()) {
                surfaceChanged_(drawn);
            }
        }
    }
    const QString strip = StatusFor(frame);
    if (all || strip != shownStrip_) {
        const QRect area = StripArea();
        QPainter painter(&surface_);
        painter.fillRect(area, Qt::black);
        QFont font = stripFont_;
        font.setPixelSize(std::max(12, area.height() * 3 / 4));  // grows with full screen
        painter.setFont(font);
        painter.setPen(QColor(0, 160, 0));
        painter.drawText(area.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, strip);
        shownStrip_ = strip;
        surfaceChanged_(area);
    }
    lyricsDirty_ = false;
    redrawLyrics_ = false;
}

void LyricDisplay::DrawLyricArea(const DisplaySnapshot& frame) {
    if (const auto* lyrics = std::get_if<LyricContent>(&frame.Content)) {
        // Compared on text, not number: a repeated line stays as drawn.
        if (lyrics->Text != LastLineText || redrawLyrics_ || lyricsDirty_) {
            redrawLyrics_ = false;
            LastLineText = lyrics->Text;
            lyricsDirty_ = true;
            renderer_.DrawLyricFrame(lyrics->Line, lyrics->Text, *lyrics->Song, colours_);
        }
    } else if (lyricsDirty_ || redrawLyrics_) {
        renderer_.DrawPlaylistPreview(std::get<PlaylistView>(frame.Content));
    }
}

void LyricDisplay::Present() {
    // Full screen stretches source widths of 639 and a header height of 60, the stretch the
    // display has always used; the rows between the strips stay as the mode switch painted them.
    const int width = surface_.width();
    const double aspect = layout_.Aspect;
    const auto place = [&](int sourceHeight, int top, int stretchedTop, int stretchedHeight) {
        return fullScreen_ ? StripPlace{QRect(0, 0, 639, sourceHeight),
                                        QRect(0, stretchedTop, width,
                                              static_cast<int>(aspect * stretchedHeight))}
                           : StripPlace{QRect(0, 0, geometry::DisplayWidth, sourceHeight),
                                        QRect(0, top, geometry::DisplayWidth, sourceHeight)};
    };
    // A strip nothing was drawn on since it was last copied is not even compared.
    if (std::exchange(headerPending_, false)) {
        PresentStrip(renderer_.HeaderBmp, shownHeader_,
                     place(geometry::HeaderHeight, geometry::HeaderTop, layout_.HeaderY, 60));
    }
    if (lyricsDirty_ || redrawLyrics_) {
        PresentStrip(renderer_.LyricBmp, shownLyrics_,
                     place(geometry::LyricHeight, geometry::LyricTop, layout_.LyricsY,
                           geometry::LyricHeight));
        lyricsDirty_ = false;
    }
    if (std::exchange(barPending_, false)) {
        PresentStrip(renderer_.BarBmp, shownBar_,
                     fullScreen_ ? place(geometry::SongMapHeight, 0, layout_.BarY, 19)
                                 : place(geometry::BarHeight, geometry::BarTop, 0, 0));
    }
}

void LyricDisplay::PresentStrip(const QImage& strip, QImage& shown, const StripPlace& place) {
    // Only the pixels that differ from what the surface shows are copied and reported: most
    // ticks change a digit of the times and a column or two of the bar.
    const QRect changed = TakeChanges(strip, shown);
    const QRect area = StretchedArea(changed, place.From, place.To);
    if (area.isEmpty()) {
        return;
    }
    StretchCopy16(strip, place.From, surface_, place.To, area);
    surfaceChanged_(area);
}

void LyricDisplay::ForgetShown() {
    ForgetShownStrips();
    shownFrame_ = QImage();
}

void LyricDisplay::ForgetShownStrips() {
    shownHeader_ = QImage();
    shownLyrics_ = QImage();
    shownBar_ = QImage();
    headerPending_ = true;
    barPending_ = true;
}

std::optional<BarSeek> LyricDisplay::BarTargetAt(int x, int y, int lengthMs) const {
    if (fullScreen_) {
        return std::nullopt;
    }
    return BarClickTarget(x, y, lengthMs);
}

}  // namespace vok
