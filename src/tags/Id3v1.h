#pragma once

#include <QString>
#include <cstdint>

namespace vok {

// Reads the 128-byte ID3v1 / v1.1 block at the end of a file.
class TID3v1 {
  public:
    TID3v1() = default;

    // Resets every field, then reads the block. False only when the file cannot be opened or is
    // shorter than 128 bytes; whether a tag was found is `Exists`.
    bool Read(const QString& fileName);
    void Reset();

    static constexpr int BlockSize = 128;

    bool Exists = false;
    std::uint8_t Version = 1;  // 1 for ID3v1.0, 2 for ID3v1.1
    QString Title;
    QString Artist;
    QString Album;
    QString Year;
    QString Comment;
    std::uint8_t Track = 0;
    std::uint8_t GenreNumber = 255;
};

}  // namespace vok
