#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace vok::test {

// Builds the bytes of a version-1 or version-2 lyric file (.vok) from a plain description, with
// ways to break it. Texts are encoded as the format wants (Windows-1252; the version-1 title as
// UTF-16LE) and cut to the room of their field.
//
//   LyricFileWriter(2).Title("Song").SongFile("song.mp3").Line(1000, 2000, "Hello").Write(path);
class LyricFileWriter {
  public:
    struct Record {
        std::int32_t Number = 0;
        std::int32_t Start = 0;
        std::int32_t End = 0;
        QByteArray Text;                         // raw 8-bit bytes
        std::optional<std::uint8_t> TextLength;  // default: the text's size (at most 255)
    };

    static constexpr qsizetype kHeaderSizeV1 = 402;
    static constexpr qsizetype kHeaderSizeV2 = 602;
    static constexpr qsizetype kSongFileOffsetV1 = 142;
    static constexpr qsizetype kSongFileOffsetV2 = 342;

    explicit LyricFileWriter(int version = 2) : version_(version) {}

    LyricFileWriter& Title(const QString& text);
    LyricFileWriter& Artist(const QString& text);
    LyricFileWriter& Copyright(const QString& text);
    LyricFileWriter& SongLength(std::int32_t ms);
    LyricFileWriter& SongFile(const QString& name);
    LyricFileWriter& Reserved(std::uint32_t reserved1, std::uint32_t reserved2);
    // The count written in the header; by default the number of lines.
    LyricFileWriter& HeaderCount(std::int32_t count);

    // A line numbered after the lines before it.
    LyricFileWriter& Line(std::int32_t start, std::int32_t end, const QString& text);
    LyricFileWriter& Line(std::int32_t number, std::int32_t start, std::int32_t end,
                          const QString& text);
    LyricFileWriter& Line(const Record& record);

    // Breakage.
    LyricFileWriter& WrongMagic();                    // "VOKALENTX"
    LyricFileWriter& VersionByte(std::uint8_t byte);  // written instead of the version
    LyricFileWriter& BadMarkerAt(int record);         // 1-based: that record's "SID" reads "SIX"
    LyricFileWriter& TruncateTo(qsizetype size);      // the bytes are cut to this size
    LyricFileWriter& Patch(qsizetype offset, const QByteArray& bytes);  // applied after building

    QByteArray Bytes() const;
    // Writes the bytes to the path (creating folders); returns the path. Throws when it cannot.
    QString Write(const QString& path) const;

    qsizetype HeaderSize() const { return version_ == 1 ? kHeaderSizeV1 : kHeaderSizeV2; }
    // Offset of record `record` (1-based) in the bytes, before any truncation.
    qsizetype RecordOffset(int record) const;

  private:
    int version_;
    QString title_;
    QString artist_;
    QString copyright_;
    std::int32_t songLength_ = 0;
    QString songFile_;
    std::uint32_t reserved1_ = 0;
    std::uint32_t reserved2_ = 0;
    std::optional<std::int32_t> headerCount_;
    std::vector<Record> records_;
    bool wrongMagic_ = false;
    std::optional<std::uint8_t> versionByte_;
    std::vector<int> badMarkers_;
    std::optional<qsizetype> truncateTo_;
    std::vector<std::pair<qsizetype, QByteArray>> patches_;
};

}  // namespace vok::test
