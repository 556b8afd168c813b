#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

class QFile;

namespace vok {

// Reads the text frames of an ID3v2 tag (versions 2.2, 2.3 and 2.4) at the start of a file.
// Deliberately simple: only encodings 0 (ISO-8859-1) and 1 (UTF-16 with BOM) are taken, a tag with
// an extended header gives no frames, and unsynchronisation is not undone.
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
    void WalkFrames(QFile& file, std::array<QByteArray, FrameKinds>& frames) const;
    void FillFields(const std::array<QByteArray, FrameKinds>& frames);
};

}  // namespace vok
