#pragma once

#include "display/ScreenGeometry.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace vok {

class TVokalento;

// Colour settings of the lyric text, in the Windows layout 0x00BBGGRR.
struct LyricColours {
    std::uint32_t TextFarg = 0x02FFFFFF;    // current line
    std::uint32_t TextOLFarg = 0x02666666;  // its outline
    bool EnableOLText = true;
};

// The next playlist entries, for the preview of a song without lyrics.
struct PlaylistView {
    int PlayIndex = -1;
    int Count = 0;
    std::function<QString(int)> PathAt;  // path of entry i, 0 <= i < Count
};

// Raw RGB565 values the display fills with.
namespace pixel {
inline constexpr std::uint16_t Black = 0x0000;
inline constexpr std::uint16_t DarkGrey = 0x2104;
inline constexpr std::uint16_t DarkBlue = 0x0088;
inline constexpr std::uint16_t White = 0xFFFF;
}  // namespace pixel

// Draws the song map: a grey strip with one block per lyric line, placed along the width in
// proportion to time. A length of 0 or less leaves the strip without blocks.
void DrawSongMap(const TVokalento& song, QImage& target, int lengthMs);

// The header title: the audio file's name without lyrics, "Artist - Title" for a version-2 lyric
// file, for an LRC file "Artist - Title" with the artist part only when there is one and its file
// name for a missing title, otherwise the title.
QString TitleTextFor(const TVokalento& song, const QString& audioFileName);

// The status line, e.g. "<00:01:23 / 00:03:45>  3 / 12".
// With a key or tempo of its own: "<...>  3 / 12 · Key +2 · Tempo 95 %".
QString StatusText(int positionMs, int lengthMs, int playIndex, int entryCount,
                   int keySemitones = 0, int tempoPercent = 100);

// Off-screen images of the display area and the drawing of what goes on them: the header strip
// (title, status line), the lyric area (current line on its band, upcoming lines, or the playlist
// preview) and the timeline bar (song map plus position marker). All images are 16-bit.
class LyricRenderer {
  public:
    explicit LyricRenderer(double dpi);

    QImage HeaderBmp;   // 640 x 61
    QImage LyricBmp;    // 640 x 219
    QImage SongMapBmp;  // 640 x 19
    QImage BarBmp;      // 640 x 20 while a song plays, null otherwise

    // The images as playback starts: blank lyric area, grey header with white top and bottom
    // rows and the title, black bar. With lyrics, the blue guide rows around the band.
    void PrepareImages(const QString& titleText, bool withLyrics);
    // False when the line already showed this text.
    bool DrawStatusLine(const QString& text);
    // The current line (large, centred on its band) and the three after it in fading greens.
    void DrawLyricFrame(int currentLine, const QString& text, const TVokalento& song,
                        const LyricColours& colours);
    // Up to six following playlist entries in fading greys.
    void DrawPlaylistPreview(const PlaylistView& playlist);
    // The bar: a fresh copy of the song map and the marker at the position's column. No marker
    // without a positive length. False when the bar already showed this.
    bool UpdateBar(int positionMs, int lengthMs);
    void ReleaseBar() { BarBmp = QImage(); }
    // SongMapBmp was drawn anew: the next UpdateBar copies it.
    void SongMapChanged() { barColumn_.reset(); }

    // Pixel height of the 14 pt lyric font; the upcoming-lines area depends on it.
    int LyricPointPixels() const { return lyricPointPixels_; }

  private:
    QFont titleFont_;    // header title and status line: Arial bold 14 pt
    QFont lyricFont_;    // upcoming lines: Arial 14 pt
    QFont currentFont_;  // current line: Arial, cell height 30
    QFont previewFont_;  // playlist preview: Arial bold 12 pt
    int lyricPointPixels_ = 19;
    QString statusText_;  // what the header's status line shows
    // The marker column the bar shows (INT_MIN for none), unset when it must be drawn anew.
    std::optional<int> barColumn_;
    int currentCell_ = 30;  // band height follows the requested cell height
};

}  // namespace vok
