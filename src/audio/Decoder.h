#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct AVFrame;

namespace vok::audio {

class FileReader;

// One audio file decoded with FFmpeg into interleaved float frames at the file's own rate and
// channel count. Opening pre-scans the file: the exact length (encoder delay and padding trimmed,
// as a full decode gives it) and a table of packet timestamps → frame numbers that makes seeking
// land on the exact frame whatever the demuxer's own seek precision.
//
// Decoded frames at another rate or channel count than the stream's first (a file pieced together
// from two songs, or damage) are dropped, in the pre-scan's count as in playback, so the length
// is always exactly what Read delivers. Time and memory stay bounded whatever the file holds: the
// format must be recognised with confidence, and reading stops after a bounded number of bytes
// without audio (the stream ends there).
class Decoder {
  public:
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // nullptr when the file is missing, not a regular file, unreadable, not recognised as audio,
    // or yields no audio frames. `error` (optional) gets the reason.
    static std::unique_ptr<Decoder> Open(const std::filesystem::path& file,
                                         std::string* error = nullptr);

    int Rate() const { return rate_; }
    int Channels() const { return channels_; }
    int BitsPerSample() const { return bits_; }
    std::int64_t Length() const { return length_; }  // frames
    std::int64_t NextFrame() const { return next_; }

    // Positions the decoder so that the next Read starts at exactly `frame`. False when frame is
    // out of range or the file cannot be read there.
    bool SeekTo(std::int64_t frame);

    // Appends up to maxFrames frames (interleaved floats) to out; returns the frames added. 0 means
    // the end: the last frame was delivered, or the file broke off (truncated, unreadable).
    std::int64_t Read(std::vector<float>& out, std::int64_t maxFrames);

    // Frames a plain decode from the start gives, counted without the pre-scan (tests, benchmarks).
    static std::int64_t FullDecodeFrames(const std::filesystem::path& file);

  private:
    struct Ffmpeg;
    Decoder();
    bool OpenContext();
    bool Prescan();
    // MP3 without decoding: false when a packet is not a plain frame of the stream's format,
    // and only decoding can tell what it yields.
    // `end` gets the byte after the last frame counted.
    bool WalkMp3Packets(std::int64_t* total, std::int64_t* end);
    void AddSeekPoint(std::int64_t key, std::int64_t start);
    // Fills pending_ with the next usable frame; false at the end.
    bool DecodeFrame();
    // Puts the n frames of `decoded` (silence when null), trimmed of MP3 delay and padding, into
    // pending_; false when nothing of it is kept (trimmed away, or not placeable).
    bool Deliver(const AVFrame* decoded, int n, std::int64_t key);
    // The frame with this key (its packet's position, or its timestamp) is numbered: noted as a
    // seek point while scanning if decoding can start there (`clean`: no delay or padding
    // pending), otherwise placed by the number a scan gave it. False before the first frame that
    // can be placed.
    bool PlaceFrame(std::int64_t key, bool clean);
    // Silence for the MP3 frame in ff_->packet that the decoder refused; false when it cannot
    // stand in for it (not a whole frame of the stream), or nothing of it is kept.
    bool StandInForRefused();
    // Demux only; sends the first packet at or after `position` to the decoder.
    bool SkipPacketsBefore(std::int64_t position);
    void CloseContext();
    bool Fail(std::string why);

    std::filesystem::path file_;
    std::unique_ptr<FileReader> reader_;
    std::unique_ptr<Ffmpeg> ff_;
    std::string error_;
    int rate_ = 0;
    int channels_ = 0;
    int bits_ = 0;
    std::int64_t length_ = 0;
    std::int64_t next_ = 0;  // frame number of pending_[pendingOffset_]
    bool counting_ = false;  // next_ is trustworthy (at start, or a known timestamp was seen)
    bool scanning_ = false;  // the pre-scan decodes: frames add seek points
    bool ended_ = false;
    std::vector<float> pending_;     // decoded, not yet read, starting at next_
    std::size_t pendingOffset_ = 0;  // in frames
};

}  // namespace vok::audio
