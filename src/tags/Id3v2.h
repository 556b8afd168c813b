#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

class QFile;

namespace vok {

// Reads the text frames of an ID3v2 tag (versions 2.2, 2.3 and 2.4) at the start of a file.
// Encodings 0 (ISO-8859-1), 1 (UTF-16 with BOM), 2 (UTF-16 big-endian) and 3 (UTF-8) are taken in
// every version. Version 4 frame sizes are sync-safe; its frames' group and data-length bytes are
// skipped and their unsynchronisation undone, compressed or encrypted frames are passed over.
// Deliberately simple otherwise: a tag with an extended header gives no frames, and a version 3
// tag's unsynchronisation is not undone.
class TID3v2 {
  public:
    TID3v2() = default;

    // Resets every field, then reads the tag. False only when the file cannot be opened or holds
    // fewer than 10 bytes; whether a tag was found is `Exists`.
    bool Read(const QString& fileName);
    void Reset();

    bool Exists = false;
    std::uint8_t Version = 0;
    qint64 TagSize = 0;
    QString Title;
    QString Artist;
    QString Album;
    std::uint16_t Track = 0;
    QString TrackText;
    QString Year;
    QString Genre;
    QString Comment;
    QString Composer;
    QString Encoder;
    QString Rights;
    QString Language;
    QString Link;

    // Frames are truncated to this many bytes; nothing the player shows is longer.
    static constexpr int MaxFrameData = 1000;
    static constexpr int FrameKinds = 16;

    // Text decoding shared with the tests: the frame data with its encoding byte in front.
    static QString DecodeText(QByteArrayView data);
    static QString DecodeDescribedText(QByteArrayView data, bool hasLanguage);
    static std::uint16_t TrackNumber(const QString& text);
    static QString GenreText(const QString& text);

  private:
    // `allUnsynchronised`: the version 4 header says every frame is.
    void WalkFrames(QFile& file, bool allUnsynchronised,
                    std::array<QByteArray, FrameKinds>& frames) const;
    void FillFields(const std::array<QByteArray, FrameKinds>& frames);
};

}  // namespace vok
