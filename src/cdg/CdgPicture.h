#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

namespace vok::cdg {

// The picture of a CD+G graphics file (.cdg) at any moment of the song, decoded by FFmpeg's `cdg`
// demuxer and `cdgraphics` decoder. The file is read into memory once (at most two hours of
// packets) and the demuxer reads it from there.
//
// A CD+G picture builds on every packet before it (XOR tiles, scrolls, colour tables), so the
// picture at a moment is only known from a straight decode: PictureAt decodes forward from where
// it stands, and for an earlier moment starts again from the first packet with a fresh decoder.
// Packet n belongs to n × 1000 / 300 ms; the picture at t shows every packet up to t. A jump
// forward decodes every packet on the way (about 140 ms for five minutes of song): the decoder's
// picture after a full-screen preset can still depend on packets before it, so leaving them out
// would show another picture than a straight play.
class CdgPicture {
  public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 216;
    static constexpr int kPacketBytes = 24;
    static constexpr int kPacketsPerSecond = 300;
    // Files longer than this are refused unread: no song lasts two hours.
    static constexpr std::int64_t kMaxBytes = std::int64_t{2} * 3600 * kPacketsPerSecond * 24;

    CdgPicture();
    ~CdgPicture();
    CdgPicture(const CdgPicture&) = delete;
    CdgPicture& operator=(const CdgPicture&) = delete;

    // False, with Error() saying why, for a missing, unreadable, empty or oversized file and for
    // one whose first graphics packets do not decode. Opening again replaces the song.
    bool Open(const QString& path);
    bool IsOpen() const { return ff_ != nullptr; }
    void Close();
    const QString& Error() const { return error_; }

    // The song's length from its packet count.
    int LengthMs() const;

    // The 300 × 216 picture (Format_RGB32) a straight decode shows at `ms`; black before the first
    // packet and when nothing is open. The reference stays valid until the next call.
    const QImage& PictureAt(int ms);
    // Counts the changes of the picture: the display redraws only when it differs from the
    // generation it drew.
    std::uint64_t Generation() const { return generation_; }

    // The screen inside the border: what a song draws its words in.
    static QRect InnerArea() { return {6, 12, 288, 192}; }

  private:
    struct Ffmpeg;
    bool Fail(const QString& why);
    bool OpenDemuxer();
    bool OpenDecoder();
    // Back to before the first packet, with a decoder that has seen nothing.
    bool Restart();
    bool SeekDemuxer(std::int64_t packet);
    // Sends every packet up to `last` (a packet number) to the decoder.
    void DecodeThrough(std::int64_t last);
    // Holds the next packet in ff_'s lookahead; false at the end of the stream.
    bool PeekPacket();
    // Decodes the held packet; true when the decoder gave a frame.
    bool DecodeNext();
    // The decoder's frame becomes the picture.
    void ShowFrame();
    void ShowBlack();
    static int ReadBytes(void* opaque, std::uint8_t* buffer, int size);
    static std::int64_t SeekBytes(void* opaque, std::int64_t offset, int whence);

    QByteArray bytes_;
    std::int64_t readPos_ = 0;
    std::unique_ptr<Ffmpeg> ff_;
    QString error_;
    std::int64_t decodedThrough_ = -1;  // number of the last packet handed to the decoder
    bool frameWaiting_ = false;         // ff_'s frame holds a picture not yet shown
    bool frameLost_ = false;            // a frame not shown was dropped for a refused packet
    QImage picture_;
    // The colour numbers and table picture_ was converted from; while !indicesShown_, picture_
    // is black.
    std::array<std::uint8_t, kWidth * kHeight> shownIndices_{};
    std::array<std::uint32_t, 256> shownPalette_{};
    bool indicesShown_ = false;
    std::uint64_t generation_ = 0;
};

}  // namespace vok::cdg
