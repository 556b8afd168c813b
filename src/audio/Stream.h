#pragma once

#include "audio/Decoder.h"
#include "audio/Shaper.h"
#include "audio/SoundShaping.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct SwrContext;

namespace vok::audio {

// Output format every stream is converted to: interleaved float stereo at the device rate.
inline constexpr int kDeviceChannels = 2;

// One open file: a decoder thread fills a ring of device-format frames; the device callback takes
// from it (Mix) and stamps what it handed over; the UI thread asks for the heard position.
// Times (`now`) are the device clock's seconds.
class Stream {
  public:
    // Check Ready() before use: a stream whose resampler cannot be set up does not play.
    Stream(std::unique_ptr<Decoder> decoder, int deviceRate, double latencySeconds,
           std::uint32_t flags);
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    int Rate() const { return rate_; }
    int Channels() const { return channels_; }
    int BitsPerSample() const { return bits_; }
    std::uint32_t Flags() const { return flags_; }
    std::int64_t Length() const { return length_; }
    // False when the conversion to the device format could not be set up.
    bool Ready() const { return thread_.joinable(); }
    // Device frames decoded and waiting to be handed over.
    std::int64_t BufferedFrames();

    void Play(bool restart, double now);
    void Pause(double now);
    void Stop(double now);
    std::uint32_t IsActive(double now);
    std::int64_t Position(double now);
    bool Seek(std::int64_t frame, double now);
    // `frames` interleaved source frames from the heard position; zeros where nothing is decoded.
    void HeardSamples(double now, float* out, std::int64_t frames);
    // Key, tempo and vocals reshape what is not yet handed over, but for a short lead, so the
    // change is heard within 100 ms; the gain moves there over half a second.
    void SetShaping(const SoundShaping& shaping, double now);

    // Device callback: adds this stream's next frames × gain to out. `wait` (null device) waits,
    // bounded, for the decoder so virtual-time playback is exact.
    void Mix(float* out, int frames, float gain, double now, bool wait);

  private:
    enum class State { Stopped, Playing, Paused };
    void DecoderThread();
    void ResetLocked(std::int64_t frame);
    // Cuts the ring to a short lead and decodes again from there with the new settings.
    void ReshapeLocked();
    // Source frame where the handed-over sound ends.
    double HandedLocked() const;
    void AdvanceHandedLocked(std::int64_t frames);
    // Decoder thread: moves shaped output into the ring as room allows; false when stale.
    std::size_t WriteLocked(const std::vector<float>& frames, std::size_t from,
                            std::deque<ShapedRun>& runs);
    std::int64_t HeardLocked(double now);
    void ConvertChunk(const std::vector<float>& source, std::int64_t frames, bool flush,
                      std::vector<float>& out);
    // Through the resampler: `input` is interleaved in its input layout.
    void Resample(const float* input, std::int64_t frames, bool flush, std::vector<float>& out);

    std::unique_ptr<Decoder> decoder_;
    const int rate_;
    const int channels_;
    const int bits_;
    const std::int64_t length_;
    const int deviceRate_;
    const double latency_;
    const std::uint32_t flags_;
    const std::int64_t historyFrames_;

    std::mutex mutex_;
    std::condition_variable wake_;    // decoder: work to do
    std::condition_variable filled_;  // callback/null device: data arrived
    bool quit_ = false;
    State state_ = State::Stopped;
    std::uint64_t generation_ = 0;  // bumps on every seek; stale decoder output is dropped
    std::int64_t seekTarget_ = 0;
    bool seekPending_ = false;
    bool decoderDone_ = false;
    // Device-format ring.
    std::vector<float> ring_;
    std::size_t ringRead_ = 0;
    std::size_t ringCount_ = 0;  // frames
    // Source-format history for the spectrum, indexed by absolute frame.
    std::vector<float> history_;
    std::int64_t historyStart_ = 0;
    std::int64_t historyEnd_ = 0;
    // Position model. The ring's content is a queue of runs; a run's frame stands for `stretch`
    // unshaped device frames. The handed position is runStart_ plus the current run's frames.
    std::deque<ShapedRun> runs_;
    double runStart_ = 0.0;       // source frame where the current handed run begins
    std::int64_t runFrames_ = 0;  // device frames of it handed over
    double runStretch_ = 1.0;
    bool handedSinceReset_ = false;
    // Shaping: the settings, and the old sound after a reshape cut to fade the new one in over.
    SoundShaping shaping_;
    std::vector<float> fadeTail_;
    std::size_t fadeAt_ = 0;
    bool stretchedEnd_ = false;
    float gainNow_ = 1.0f;  // loudness gain as it moves to gainTarget_
    float gainTarget_ = 1.0f;
    float gainStep_ = 0.0f;  // per frame
    bool stamped_ = false;
    double stampTime_ = 0.0;
    std::int64_t floor_ = 0;   // never report less while playing
    std::int64_t frozen_ = 0;  // position while paused or stopped

    SwrContext* resampler_ = nullptr;  // decoder thread only
    std::thread thread_;
};

}  // namespace vok::audio
