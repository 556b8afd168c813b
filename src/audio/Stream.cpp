#include "audio/Stream.h"

#include "audio/AudioLibrary.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>

namespace vok::audio {

namespace {

constexpr std::size_t kRingFrames = 16384;
constexpr std::int64_t kMinHistoryFrames = 65536;
constexpr std::int64_t kResamplerSlack = 512;
constexpr std::int64_t kMaxChunkFrames = 4096;
constexpr std::int64_t kAnalysisFrames = 2048;  // the longest span the spectrum asks for

// Source frames of history the spectrum needs behind the newest decoded frame: a full ring, the
// device latency, one chunk and one analysis window, at the file's rate. A fixed size fell short
// for high-rate files, whose heard frame then lay outside the history (a blank spectrum).
std::int64_t HistoryFrames(int rate, int deviceRate, double latencySeconds) {
    const double behind =
        (static_cast<double>(kRingFrames) + latencySeconds * deviceRate) * rate / deviceRate;
    return std::max(kMinHistoryFrames, static_cast<std::int64_t>(std::ceil(behind)) +
                                           kMaxChunkFrames + kAnalysisFrames + kResamplerSlack);
}

// How long the null device waits for a decoder that has fallen behind before it plays silence.
constexpr auto kNullDeviceWait = std::chrono::seconds(5);

}  // namespace

Stream::Stream(std::unique_ptr<Decoder> decoder, int deviceRate, double latencySeconds,
               std::uint32_t flags)
    : decoder_(std::move(decoder)),
      rate_(decoder_->Rate()),
      channels_(decoder_->Channels()),
      bits_(decoder_->BitsPerSample()),
      length_(decoder_->Length()),
      deviceRate_(deviceRate),
      latency_(latencySeconds),
      flags_(flags),
      historyFrames_(HistoryFrames(rate_, deviceRate, latencySeconds)),
      ring_(kRingFrames * kDeviceChannels),
      history_(static_cast<std::size_t>(historyFrames_ * channels_)) {
    // More than two channels go through the resampler too: it mixes them down to stereo, so the
    // centre channel (often the voice) and the rest are heard rather than dropped.
    if (rate_ != deviceRate_ || channels_ > kDeviceChannels) {
        AVChannelLayout stereo{};
        av_channel_layout_default(&stereo, kDeviceChannels);
        AVChannelLayout input{};
        av_channel_layout_default(&input, std::max(channels_, kDeviceChannels));
        if (swr_alloc_set_opts2(&resampler_, &stereo, AV_SAMPLE_FMT_FLT, deviceRate_, &input,
                                AV_SAMPLE_FMT_FLT, rate_, 0, nullptr) < 0 ||
            swr_init(resampler_) < 0) {
            // Played unconverted it would sound at the wrong speed: refuse the stream instead.
            swr_free(&resampler_);
            return;
        }
    }
    thread_ = std::thread([this] { DecoderThread(); });
}

std::int64_t Stream::BufferedFrames() {
    std::lock_guard lock(mutex_);
    return static_cast<std::int64_t>(ringCount_);
}

Stream::~Stream() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    filled_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    swr_free(&resampler_);
}

void Stream::ConvertChunk(const std::vector<float>& source, std::int64_t frames, bool flush,
                          std::vector<float>& out) {
    if (channels_ > kDeviceChannels && resampler_ != nullptr) {
        Resample(source.data(), frames, flush, out);
        return;
    }
    thread_local std::vector<float> stereo;
    stereo.resize(static_cast<std::size_t>(frames) * kDeviceChannels);
    for (std::int64_t i = 0; i < frames; ++i) {
        const float* in = source.data() + i * channels_;
        stereo[static_cast<std::size_t>(2 * i)] = in[0];
        stereo[static_cast<std::size_t>(2 * i + 1)] = channels_ > 1 ? in[1] : in[0];
    }
    if (rate_ == deviceRate_ || resampler_ == nullptr) {
        out.swap(stereo);
        return;
    }
    Resample(stereo.data(), frames, flush, out);
}

void Stream::Resample(const float* input, std::int64_t frames, bool flush,
                      std::vector<float>& out) {
    const int capacity = swr_get_out_samples(resampler_, static_cast<int>(frames));
    out.resize(static_cast<std::size_t>(std::max(capacity, 0)) * kDeviceChannels);
    auto* outPlane = reinterpret_cast<std::uint8_t*>(out.data());
    const auto* inPlane = reinterpret_cast<const std::uint8_t*>(input);
    const int got = swr_convert(resampler_, &outPlane, capacity, flush ? nullptr : &inPlane,
                                flush ? 0 : static_cast<int>(frames));
    out.resize(static_cast<std::size_t>(std::max(got, 0)) * kDeviceChannels);
}

void Stream::DecoderThread() {
    // A chunk's device frames must fit in half the ring, or a low-rate file would wait forever
    // for room that never comes.
    const std::int64_t fitting = std::max<std::int64_t>(
        1, (static_cast<std::int64_t>(kRingFrames / 2) - kResamplerSlack) * rate_ / deviceRate_);
    const std::int64_t chunk = std::min(
        std::clamp<std::int64_t>(2048LL * rate_ / deviceRate_, 256, kMaxChunkFrames), fitting);
    const auto needed = std::min(
        static_cast<std::size_t>(chunk * deviceRate_ / rate_ + kResamplerSlack), kRingFrames);
    std::vector<float> source;
    std::vector<float> converted;
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (seekPending_) {
            const std::int64_t target = seekTarget_;
            const std::uint64_t generation = generation_;
            seekPending_ = false;
            lock.unlock();
            const bool ok = decoder_->SeekTo(target);
            if (resampler_ != nullptr) {
                swr_close(resampler_);
                swr_init(resampler_);
            }
            lock.lock();
            if (generation == generation_ && !ok) {
                decoderDone_ = true;
                filled_.notify_all();
            }
            continue;
        }
        if (decoderDone_ || kRingFrames - ringCount_ < needed) {
            wake_.wait(lock);
            continue;
        }
        const std::uint64_t generation = generation_;
        lock.unlock();
        const std::int64_t chunkStart = decoder_->NextFrame();
        source.clear();
        const std::int64_t frames = decoder_->Read(source, chunk);
        ConvertChunk(source, frames, frames == 0, converted);
        lock.lock();
        if (generation != generation_ || seekPending_) {
            continue;  // a seek overtook this chunk
        }
        for (std::int64_t i = 0; i < frames; ++i) {
            const std::int64_t at = (chunkStart + i) % historyFrames_;
            std::copy_n(source.begin() + i * channels_, channels_,
                        history_.begin() + at * channels_);
        }
        if (frames > 0) {
            historyEnd_ = chunkStart + frames;
            historyStart_ = std::max(historyStart_, historyEnd_ - historyFrames_);
        }
        const std::size_t outFrames = converted.size() / kDeviceChannels;
        for (std::size_t i = 0; i < outFrames; ++i) {
            const std::size_t at = (ringRead_ + ringCount_ + i) % kRingFrames;
            ring_[2 * at] = converted[2 * i];
            ring_[2 * at + 1] = converted[2 * i + 1];
        }
        ringCount_ += outFrames;
        if (frames == 0) {
            decoderDone_ = true;
        }
        filled_.notify_all();
    }
}

void Stream::ResetLocked(std::int64_t frame) {
    ++generation_;
    seekTarget_ = frame;
    seekPending_ = true;
    decoderDone_ = false;
    ringRead_ = 0;
    ringCount_ = 0;
    historyStart_ = historyEnd_ = frame;
    segmentStart_ = frame;
    handedFrames_ = 0;
    stamped_ = false;
    floor_ = frame;
    frozen_ = frame;
    wake_.notify_all();
}

std::int64_t Stream::HeardLocked(double now) {
    const double handed = static_cast<double>(segmentStart_) +
                          static_cast<double>(handedFrames_) * rate_ / deviceRate_;
    double heard = static_cast<double>(floor_);
    if (stamped_) {
        const double estimate = handed - latency_ * rate_ + (now - stampTime_) * rate_;
        heard = std::max(heard, std::min(estimate, handed));
    }
    floor_ = std::min(static_cast<std::int64_t>(std::floor(heard)), length_);
    return floor_;
}

void Stream::Play(bool restart, double now) {
    std::lock_guard lock(mutex_);
    if (state_ == State::Playing && !restart) {
        return;
    }
    std::int64_t target = restart ? 0 : frozen_;
    if (state_ == State::Playing) {
        target = 0;
    } else if (target >= length_) {
        target = 0;  // an ended stream starts over
    }
    (void)now;
    // The decoder already buffers from this frame when nothing was handed over yet.
    if (!(segmentStart_ == target && handedFrames_ == 0 && state_ != State::Playing)) {
        ResetLocked(target);
    }
    floor_ = target;
    stamped_ = false;
    state_ = State::Playing;
}

void Stream::Pause(double now) {
    std::lock_guard lock(mutex_);
    if (state_ == State::Playing) {
        frozen_ = HeardLocked(now);
        state_ = State::Paused;
    }
}

void Stream::Stop(double now) {
    std::lock_guard lock(mutex_);
    if (state_ == State::Playing) {
        frozen_ = HeardLocked(now);
    }
    state_ = State::Stopped;
}

std::uint32_t Stream::IsActive(double now) {
    std::lock_guard lock(mutex_);
    if (state_ == State::Paused) {
        return kActivePaused;
    }
    if (state_ == State::Stopped) {
        return kActiveStopped;
    }
    // Ended once the decoder is through, the ring is empty and the last block has been heard.
    if (decoderDone_ && !seekPending_ && ringCount_ == 0 &&
        (!stamped_ || now - stampTime_ >= latency_)) {
        frozen_ = std::min(length_, segmentStart_ + handedFrames_ * rate_ / deviceRate_);
        if (frozen_ >= length_ - rate_ / 100) {
            frozen_ = length_;  // resampling rounds the hand-over count
        }
        state_ = State::Stopped;
        return kActiveStopped;
    }
    return kActivePlaying;
}

std::int64_t Stream::Position(double now) {
    std::lock_guard lock(mutex_);
    return state_ == State::Playing ? HeardLocked(now) : frozen_;
}

bool Stream::Seek(std::int64_t frame, double now) {
    (void)now;
    if (frame < 0 || frame >= length_) {
        return false;
    }
    std::lock_guard lock(mutex_);
    ResetLocked(frame);
    return true;
}

void Stream::HeardSamples(double now, float* out, std::int64_t frames) {
    std::lock_guard lock(mutex_);
    const std::int64_t from = state_ == State::Playing ? HeardLocked(now) : frozen_;
    for (std::int64_t i = 0; i < frames; ++i) {
        const std::int64_t frame = from + i;
        float* target = out + i * channels_;
        if (frame >= historyStart_ && frame < historyEnd_) {
            std::copy_n(history_.begin() + (frame % historyFrames_) * channels_, channels_, target);
        } else {
            std::fill_n(target, channels_, 0.0f);
        }
    }
}

void Stream::Mix(float* out, int frames, float gain, double now, bool wait) {
    std::unique_lock lock(mutex_);
    if (state_ != State::Playing) {
        return;
    }
    if (wait) {
        filled_.wait_for(lock, kNullDeviceWait, [&] {
            return quit_ || state_ != State::Playing ||
                   ringCount_ >= static_cast<std::size_t>(frames) ||
                   (decoderDone_ && !seekPending_);
        });
    }
    const std::size_t count = std::min(ringCount_, static_cast<std::size_t>(frames));
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = (ringRead_ + i) % kRingFrames;
        out[2 * i] += ring_[2 * at] * gain;
        out[2 * i + 1] += ring_[2 * at + 1] * gain;
    }
    if (count > 0) {
        ringRead_ = (ringRead_ + count) % kRingFrames;
        ringCount_ -= count;
        handedFrames_ += static_cast<std::int64_t>(count);
        stamped_ = true;
        stampTime_ = now;
        wake_.notify_one();
    }
}

}  // namespace vok::audio
