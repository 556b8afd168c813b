#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace vok::test {

// Builds ID3 tags and MP3-like files in memory, so tests, benchmarks and fuzz seeds make their
// fixtures in code.

// Text encodings as the frame's first byte stores them.
enum class Id3Encoding : std::uint8_t { Latin1 = 0, Utf16Bom = 1, Utf16Be = 2, Utf8 = 3 };

// The encoded text alone, without the encoding byte (UTF-16 with BOM gets FF FE in front).
QByteArray EncodeId3Text(const QString& text, Id3Encoding encoding);

struct Id3Frame {
    QByteArray id;  // 4 characters for versions 3 and 4, 3 for version 2
    QByteArray data;
    std::uint8_t statusFlags = 0;
    std::uint8_t formatFlags = 0;               // 0x80: compressed (as the reader sees it)
    std::optional<std::uint32_t> declaredSize;  // a lie about the data size

    // A text frame: encoding byte, then the text.
    static Id3Frame Text(const QByteArray& id, const QString& text,
                         Id3Encoding encoding = Id3Encoding::Latin1);
    // COMM-style: encoding, language (when not null), description, terminator, text.
    static Id3Frame Described(const QByteArray& id, const QString& description, const QString& text,
                              Id3Encoding encoding = Id3Encoding::Latin1,
                              const char* language = "eng");
    // Raw bytes as given.
    static Id3Frame Raw(const QByteArray& id, const QByteArray& data);
};

struct Id3v2Tag {
    std::uint8_t version = 3;  // 2, 3 or 4 (anything else is written as asked)
    std::uint8_t revision = 0;
    std::uint8_t flags = 0;  // 0x40 extended header (one is written), 0x10 footer
    std::vector<Id3Frame> frames;
    int padding = 0;                            // zero bytes after the frames
    std::optional<std::uint32_t> declaredSize;  // overrides the header's size (before encoding)
    bool syncSafeFrameSizes = true;             // version 4 frame sizes as the standard writes them

    Id3v2Tag& Add(Id3Frame frame) {
        frames.push_back(std::move(frame));
        return *this;
    }
    QByteArray Build() const;
};

struct Id3v1Tag {
    QByteArray title;
    QByteArray artist;
    QByteArray album;
    QByteArray year;
    QByteArray comment;
    std::optional<std::uint8_t> track;  // set: a version 1.1 block
    std::uint8_t genre = 255;

    // Exactly 128 bytes, fields zero-padded.
    QByteArray Build() const;
};

// Bytes that look like MPEG audio frames (sync words and filler), of the given size.
QByteArray FakeMp3Body(int size);

// tag + body + v1 block, each part optional.
QByteArray Mp3File(const QByteArray& id3v2, int bodySize, const QByteArray& id3v1 = {});

}  // namespace vok::test
