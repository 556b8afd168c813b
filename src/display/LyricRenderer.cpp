#include "display/LyricRenderer.h"

#include "core/TextLines.h"
#include "core/WinColour.h"

#include "core/FileNames.h"
#include "core/TimeText.h"
#include "display/Pixels.h"
#include "lyrics/Vokalento.h"

#include <QPainter>

#include <algorithm>
#include <limits>

namespace vok {

namespace {

const QString kFontFamily = QStringLiteral("Arial");
constexpr int kCurrentLineCell = 30;

// A colour as the 16-bit image stores it when drawn with a pen or brush: the top bits of each
// channel.
std::uint16_t Pixel565(int r, int g, int b) {
    return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

std::uint16_t* Row(QImage& image, int y) {
    return reinterpret_cast<std::uint16_t*>(image.scanLine(y));
}

// Columns first..last inclusive of one row, clipped to the image.
void FillSpan(QImage& image, int y, int first, int last, std::uint16_t word) {
    if (y < 0 || y >= image.height()) {
        return;
    }
    first = std::max(first, 0);
    last = std::min(last, image.width() - 1);
    if (first > last) {
        return;
    }
    std::fill(Row(image, y) + first, Row(image, y) + last + 1, word);
}

// Column of a time on the 640-pixel width. Out-of-range times are held just outside the image so
// the conversion stays defined whatever the file says.
int ColumnOf(double time, int lengthMs) {
    const double column = time / lengthMs * geometry::DisplayWidth;
    return static_cast<int>(std::clamp(column, -2.0, geometry::DisplayWidth + 2.0));
}

// A horizontal line from (from, y) to (to, y) without its end point, drawn in either direction.
void LineWithoutEnd(QImage& image, int y, int from, int to, std::uint16_t word) {
    if (from < to) {
        FillSpan(image, y, from, to - 1, word);
    } else if (from > to) {
        FillSpan(image, y, to + 1, from, word);
    }
}

QImage NewImage(int height) {
    QImage image(geometry::DisplayWidth, height, QImage::Format_RGB16);
    FillImage16(image, pixel::Black);
    return image;
}

}  // namespace

void DrawSongMap(const TVokalento& song, QImage& target, int lengthMs) {
    if (target.isNull() || target.format() != QImage::Format_RGB16) {
        return;
    }
    const std::uint16_t background = Pixel565(0x33, 0x33, 0x33);
    for (int y = 0; y < std::min(target.height(), 20); ++y) {
        FillSpan(target, y, 0, geometry::DisplayWidth - 1, background);
    }
    if (song.LineCount <= 0 || lengthMs <= 0) {
        return;
    }
    static constexpr int kRampGrey[5] = {0x11, 0x33, 0x55, 0x77, 0x88};
    const std::uint16_t body = Pixel565(0x99, 0x99, 0x99);
    LyricLine line;  // kept across lines: a missing slot repeats the previous line's block
    for (int n = 1; n <= song.LineCount; ++n) {
        song.GetLine(n, line);
        const int left = ColumnOf(line.Start, lengthMs);
        const int right = ColumnOf(line.End, lengthMs);
        for (int y = 5; y < 16; ++y) {
            FillSpan(target, y, left, right - 1, body);
        }
        for (int i = 0; i < 5; ++i) {
            const std::uint16_t grey = Pixel565(kRampGrey[i], kRampGrey[i], kRampGrey[i]);
            LineWithoutEnd(target, i, left, right, grey);
            LineWithoutEnd(target, 20 - i, left, right, grey);
        }
    }
}

QString TitleTextFor(const TVokalento& song, const QString& audioFileName) {
    if (!song.Valid) {
        return NameWithoutExtension(audioFileName);
    }
    if (song.Format == LyricFormat::Lrc) {
        // Both tags are optional: without [ti:] the file is named as its playlist row names it,
        // and without [ar:] no " - " stands in front.
        const QString title = song.Title.isEmpty() ? FileNamePart(song.FileName) : song.Title;
        const QString artist = TrimControls(song.Artist);
        return artist.isEmpty() ? title : artist + QStringLiteral(" - ") + title;
    }
    if (song.Version == 2) {
        return TrimControls(song.Artist) + QStringLiteral(" - ") + song.Title;
    }
    return song.Title;
}

QString StatusText(int positionMs, int lengthMs, int playIndex, int entryCount, int keySemitones,
                   int tempoPercent) {
    QString text = QStringLiteral("<") + FormatTime(positionMs) + QStringLiteral(" / ") +
                   FormatTime(lengthMs) + QStringLiteral(">  ") + QString::number(playIndex + 1) +
                   QStringLiteral(" / ") + QString::number(entryCount);
    if (keySemitones != 0) {
        text += QStringLiteral(" · Key ") + (keySemitones > 0 ? QStringLiteral("+") : QString()) +
                QString::number(keySemitones);
    }
    if (tempoPercent != 100) {
        text += QStringLiteral(" · Tempo ") + QString::number(tempoPercent) + QStringLiteral(" %");
    }
    return text;
}

LyricRenderer::LyricRenderer(double dpi)
    : HeaderBmp(NewImage(geometry::HeaderHeight)),
      LyricBmp(NewImage(geometry::LyricHeight)),
      SongMapBmp(NewImage(geometry::SongMapHeight)),
      titleFont_(PointFont(kFontFamily, 14, true, dpi)),
      lyricFont_(PointFont(kFontFamily, 14, false, dpi)),
      currentFont_(CellFont(kFontFamily, kCurrentLineCell, false)),
      previewFont_(PointFont(kFontFamily, 12, true, dpi)),
      lyricPointPixels_(PointsToPixels(14, dpi)) {}

void LyricRenderer::PrepareImages(const QString& titleText, bool withLyrics) {
    FillImage16(LyricBmp, pixel::Black);
    FillImage16(HeaderBmp, pixel::DarkGrey);
    FillRow565(HeaderBmp, 0, 0xFFFFFF);
    FillRow565(HeaderBmp, geometry::HeaderHeight - 1, 0xFFFFFF);
    DrawTextAt(HeaderBmp, 10, 5, titleText, titleFont_, Qt::white);
    statusText_.clear();
    BarBmp = NewImage(geometry::BarHeight);
    barColumn_.reset();
    if (!withLyrics) {
        return;
    }
    // Two blue ramps, brightest next to the band of the current line.
    static constexpr int kRamp[5] = {34, 68, 136, 204, 255};
    const int base = geometry::LyricBase;
    for (int i = 0; i < 5; ++i) {
        FillRow565(LyricBmp, base - 64 + i, static_cast<std::uint32_t>(kRamp[i]));
        FillRow565(LyricBmp, base - 23 - i, static_cast<std::uint32_t>(kRamp[i]));
    }
}

bool LyricRenderer::DrawStatusLine(const QString& text) {
    // The times change once a second; shaping the same text at every tick would be most of the
    // tick's work.
    if (text == statusText_) {
        return false;
    }
    statusText_ = text;
    FillRows16(HeaderBmp, 30, 50, pixel::DarkGrey);
    DrawTextAt(HeaderBmp, 10, 30, text, titleFont_, Qt::white);
    return true;
}

void LyricRenderer::DrawLyricFrame(int currentLine, const QString& text, const TVokalento& song,
                                   const LyricColours& colours) {
    const int base = geometry::LyricBase;
    // Blank the upcoming-lines area; its depth follows the 14 pt font's pixel height.
    FillRows16(LyricBmp, base - 10, base + 48 + lyricPointPixels_, pixel::Black);

    if (text.isEmpty()) {
        FillRows16(LyricBmp, base - 59, base - 28, pixel::DarkBlue);
    } else {
        const int width = TextWidth(currentFont_, text);
        FillRows16(LyricBmp, base - 59, base - 57 + currentCell_, pixel::DarkBlue);
        const int x = 321 - width / 2;
        if (colours.EnableOLText) {
            OutlinedTextOut(x, base - 59, text, QColor(WinColourToRgb(colours.TextOLFarg)),
                            QColor(WinColourToRgb(colours.TextFarg)), currentFont_, LyricBmp);
        } else {
            DrawTextAt(LyricBmp, x, base - 59, text, currentFont_,
                       QColor(WinColourToRgb(colours.TextFarg)));
        }
    }

    static constexpr int kRowOffset[3] = {-10, 14, 38};
    static constexpr int kGreen[3] = {0xAA, 0x77, 0x55};
    for (int k = 1; k <= 3; ++k) {
        if (currentLine + k - 1 == song.LineCount) {
            continue;
        }
        const QString upcoming = song.LineText(currentLine + k);
        if (upcoming.isEmpty()) {
            continue;
        }
        const int x = 320 - TextWidth(lyricFont_, upcoming) / 2;
        DrawTextAt(LyricBmp, x, base + kRowOffset[k - 1], upcoming, lyricFont_,
                   Rgb(0, kGreen[k - 1], 0));
    }
}

void LyricRenderer::DrawPlaylistPreview(const PlaylistView& playlist) {
    static constexpr int kGrey[6] = {0xCC, 0xAA, 0x88, 0x66, 0x44, 0x33};
    if (!playlist.PathAt) {
        return;
    }
    const int cell = CellHeight(previewFont_);
    for (int k = 1; k <= 6; ++k) {
        const int index = playlist.PlayIndex + k;
        if (playlist.PlayIndex >= playlist.Count - k || index < 0) {
            continue;
        }
        const QString text = QString::number(index + 1) + QStringLiteral(". ") +
                             NameWithoutExtension(playlist.PathAt(index));
        const int y = 30 + 25 * (k - 1);
        // Opaque background: the text's own cells turn black behind the glyphs.
        const QRect cells(20, y, TextWidth(previewFont_, text), cell);
        for (int row = cells.top(); row <= cells.bottom(); ++row) {
            FillSpan(LyricBmp, row, cells.left(), cells.right(), pixel::Black);
        }
        DrawTextAt(LyricBmp, 20, y, text, previewFont_,
                   Rgb(kGrey[k - 1], kGrey[k - 1], kGrey[k - 1]));
    }
}

bool LyricRenderer::UpdateBar(int positionMs, int lengthMs) {
    if (BarBmp.isNull()) {
        BarBmp = NewImage(geometry::BarHeight);
        barColumn_.reset();
    }
    // The marker moves a column every few hundred milliseconds of a song.
    const int x = lengthMs > 0 ? ColumnOf(positionMs, lengthMs) : std::numeric_limits<int>::min();
    if (barColumn_ == x) {
        return false;
    }
    barColumn_ = x;
    Copy16(SongMapBmp, SongMapBmp.rect(), BarBmp, 0, 0);
    if (lengthMs <= 0) {
        return true;
    }
    const std::uint16_t yellow = Pixel565(255, 255, 0);
    const std::uint16_t olive = Pixel565(128, 128, 0);
    for (int y = 0; y < geometry::SongMapHeight; ++y) {
        FillSpan(BarBmp, y, x, x, yellow);
        FillSpan(BarBmp, y, x - 1, x - 1, olive);
        FillSpan(BarBmp, y, x + 1, x + 1, olive);
    }
    return true;
}

}  // namespace vok
