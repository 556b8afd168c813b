#pragma once

#include "display/DisplaySnapshot.h"
#include "lyrics/Vokalento.h"
#include "support/ImageProbe.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

#include <QImage>
#include <QStringList>

#include <vector>

namespace vok::test {

struct TimedLine {
    int Start;
    int End;
    const char* Text;
};

// Loads the song model from a version-2 lyric file with these lines.
inline void LoadSong(TVokalento& song, const TempDir& dir, const std::vector<TimedLine>& lines,
                     const QString& artist = QStringLiteral("Artist")) {
    LyricFileWriter writer(2);
    writer.Title(QStringLiteral("Title")).Artist(artist);
    for (const TimedLine& line : lines) {
        writer.Line(line.Start, line.End, QString::fromLatin1(line.Text));
    }
    song.Reset();
    song.LoadFromFile(writer.Write(dir.FilePath(QStringLiteral("song.vok"))));
}

// What the player hands the display at a tick: the line sounding at `timeMs`, looked up from
// `line` on, as the player's clock does it.
inline DisplaySnapshot LyricsAt(const TVokalento& song, int timeMs, int& line) {
    DisplaySnapshot frame;
    frame.PositionMs = timeMs;
    frame.LengthMs = 225000;
    frame.EntryCount = 1;
    LyricContent lyrics{&song, line, {}};
    song.LineAt(timeMs, lyrics.Line, lyrics.Text);
    line = lyrics.Line;
    frame.Content = lyrics;
    return frame;
}

// A song without lyrics: the preview of these entries, the first one playing.
inline DisplaySnapshot PreviewOf(const QStringList& entries) {
    DisplaySnapshot frame;
    frame.EntryCount = static_cast<int>(entries.size());
    frame.PlayIndex = 0;
    frame.Content =
        PlaylistView{0, frame.EntryCount, [entries](int i) { return entries.value(i); }};
    return frame;
}

}  // namespace vok::test
