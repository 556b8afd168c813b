#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

#include "lyrics/Vokalento.h"

namespace vok {

// What is read of a file larger than this is its beginning, cut at a line end; a song's LRC file
// is a few hundred kilobytes at most, so anything past this is not lyrics worth a wait.
inline constexpr qsizetype kLrcMaxBytes = 4 * 1024 * 1024;
// Stamps (lines and gaps) kept from one file; later ones are dropped.
inline constexpr std::size_t kLrcMaxStamps = 20000;
// A line with no next stamp and no known song length is shown this long.
inline constexpr std::int32_t kLrcLastLineMs = 5000;
// An [offset:] beyond this is taken as this.
inline constexpr std::int32_t kLrcMaxOffsetMs = 600000;

// The contents of an LRC file: tags and the timed lines, in time order, numbered from 1.
struct LrcSong {
    QString Title;              // [ti:]
    QString Artist;             // [ar:]
    std::int32_t LengthMs = 0;  // [length:]
    std::int32_t OffsetMs = 0;  // [offset:]; positive shows the lines sooner
    std::vector<LyricLine> Lines;
    // The last line has no later stamp and the file no [length:]: it may last to the song's end.
    bool LastLineOpen = false;
};

// Parses the text of an LRC file: UTF-8 (with or without a byte-order mark) or, when the bytes are
// not valid UTF-8, Windows-1252. Bytes past kLrcMaxBytes are not looked at.
LrcSong ParseLrc(QByteArrayView bytes);

// One "mm:ss", "mm:ss.xx" or "mm:ss.xxx" stamp in ms, clamped to 0 … INT32_MAX; -1 when the text
// is not a stamp.
std::int64_t ParseLrcTime(QStringView text);

// Fills a reset model from the LRC file at the path: Valid only when at least one timed line was
// found. Called by TVokalento::LoadFromFile for names ending in ".lrc".
void LoadLrcInto(const QString& path, TVokalento& song);

}  // namespace vok
