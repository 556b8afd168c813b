#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace vok {

// One timed lyric line. A slot whose record was not read is all zero.
struct LyricLine {
    std::int32_t Number = 0;      // 1 for the first line
    std::int32_t Start = 0;       // ms
    std::int32_t End = 0;         // ms
    std::uint8_t TextLength = 0;  // as stored in the file
    QString Text;                 // at most 255 characters

    friend bool operator==(const LyricLine&, const LyricLine&) = default;
};

// Which kind of lyric file a model was read from.
enum class LyricFormat { Vok, Lrc };

// The song model of one lyric file (.vok, versions 1 and 2, or .lrc): header fields, line slots and
// the time lookups the display asks thirty times a second.
//
// The model has SlotCount slots, as the header's count says. Only the slots up to the last record
// that the file actually holds are stored; every slot after the end of the file is all zero and
// answered without memory, so a header that claims billions of lines costs nothing.
class TVokalento {
  public:
    static constexpr std::int32_t SupportedVersion = 2;

    TVokalento() = default;

    // Back to the empty model: not valid, no file, no texts, no slots.
    void Reset();

    // Reads the file into the model. False only when no file exists at the path; a file that is
    // too short or not a lyric file gives true with Valid false. A name ending in ".lrc" is read
    // as an LRC file (lyrics/LrcFile.h). Callers Reset first.
    bool LoadFromFile(const QString& path);

    // Writes the name into the file's audio-file field (at that field's own offset for the
    // file's version) and into SongFile. False when the name is over 255 characters or holds a
    // character the field's 8-bit code page lacks, the model is not loaded, the file is no longer
    // the lyric file that was read, or writing fails. An LRC file names no audio file: false.
    bool ReplaceSongFile(const QString& name);

    // Makes the lines slots 1..n, all stored (the LRC reader's way in). `lastLineOpen`: the last
    // line's end is a guess that EndLastLineAt may replace.
    void SetLines(std::vector<LyricLine> lines, bool lastLineOpen = false);

    // Once the song's length is known: an open last line (an LRC file's, with no later stamp and
    // no [length:]) lasts to the song's end, when that is after its start.
    void EndLastLineAt(std::int32_t ms);

    // Copies slot `position` (1-based) into `line`; outside 1..SlotCount leaves `line` as it was.
    void GetLine(std::int32_t position, LyricLine& line) const;

    // The line sounding at `time` (bounds inclusive, first slot wins). Between lines: empty text
    // and the number of LineNumberAt(time). With no slots, `number` is left unchanged.
    void LineAt(std::int32_t time, std::int32_t& number, QString& text) const;

    // Text of the first slot with this number; empty when there is none.
    QString LineText(std::int32_t number) const;

    // Number of the line most recently started at `time` (scanning from the last slot); 0 before
    // the first line or with no slots.
    std::int32_t LineNumberAt(std::int32_t time) const;

    // Header fields, read directly by the player, the display and the playlist.
    std::uint8_t Version = 0;
    QString Title;      // at most 127 characters
    QString Artist;     // at most 127 characters, version 2 only
    QString Copyright;  // at most 63 characters, version 2 only
    std::uint32_t Reserved1 = 0;
    std::int32_t SongLength = 0;  // ms, version 2 only
    std::uint32_t Reserved2 = 0;
    std::int32_t LineCount = 0;  // records read; the display treats line LineCount as the last
    QString SongFile;            // audio file name or path, at most 255 characters
    bool Valid = false;
    QString FileName;            // path of the lyric file read; empty unless Valid
    std::int32_t SlotCount = 0;  // the header's count
    LyricFormat Format = LyricFormat::Vok;
    // ms the lines are shown sooner than stamped (an LRC file's [offset:]); the display adds it
    // to the user's offset.
    std::int32_t LyricOffset = 0;

  private:
    // A slot that holds a record read from the file.
    struct StoredSlot {
        std::int32_t Slot;  // 1-based
        LyricLine Line;
    };

    // Stored slots in ascending slot order; any slot of 1..SlotCount not listed is all zero.
    std::vector<StoredSlot> stored_;
    bool lastLineOpen_ = false;
};

}  // namespace vok
