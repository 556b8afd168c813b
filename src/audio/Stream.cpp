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
// A change of key, tempo or vocals reshapes the ring but for this lead (35 ms at 44.1 kHz): with
// the device latency it is heard within 100 ms. The old sound fades into the new over 6 ms.
constexpr std::size_t kReshapeLeadFrames = 1536;
constexpr std::size_t kReshapeFadeFrames = 256;
constexpr double kGainRampSeconds = 0.5;
// The stretcher starts on the song's own sound before the new start (23 ms at 44.1 kHz).
constexpr std::int64_t kPrimeFrames = 1024;

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
    Shaper shaper(deviceRate_, channels_ >= 2);
    std::vector<float> source;
    std::vector<float> converted;  // shaped output of the latest chunk
    std::vector<ShapedRun> shapedRuns;
    std::deque<ShapedRun> pendingRuns;  // runs of `converted` not yet in the ring
    std::size_t written = 0;            // frames of `converted` in the ring
    bool ending = false;                // `converted` is the last of the song
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (seekPending_) {
            const std::int64_t target = seekTarget_;
            const std::uint64_t generation = generation_;
            const SoundShaping shaping = shaping_;
            seekPending_ = false;
            converted.clear();
            pendingRuns.clear();
            written = 0;
            ending = false;
            lock.unlock();
            shaper.Reset(shaping);
            const std::int64_t prime =
                shaper.Stretching() ? std::min(target, kPrimeFrames * rate_ / deviceRate_) : 0;
            bool ok = decoder_->SeekTo(target - prime);
            if (resampler_ != nullptr) {
                swr_close(resampler_);
                swr_init(resampler_);
            }
            if (ok && prime > 0) {
                source.clear();
                ok = decoder_->Read(source, prime) == prime;
                ConvertChunk(source, prime, false, converted);
                shaper.Prime(converted, static_cast<double>(prime) * deviceRate_ / rate_);
                converted.clear();
                ok = ok && decoder_->NextFrame() == target;
            }
            lock.lock();
            if (generation == generation_) {
                stretchedEnd_ = shaper.Stretching();
                if (!ok) {
                    decoderDone_ = true;
                    filled_.notify_all();
                }
            }
            continue;
        }
        if (written < converted.size() / kDeviceChannels) {
            // The stretcher can hand out more than a chunk at once: the rest waits for room.
            if (ringCount_ == kRingFrames) {
                wake_.wait(lock);
                continue;
            }
            written += WriteLocked(converted, written, pendingRuns);
            decoderDone_ = ending && written == converted.size() / kDeviceChannels;
            filled_.notify_all();
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
        shapedRuns.clear();
        shaper.Process(converted, frames == 0, shapedRuns);
        lock.lock();
        if (generation != generation_ || seekPending_) {
            converted.clear();
            continue;  // a seek or a reshape overtook this chunk
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
        pendingRuns.assign(shapedRuns.begin(), shapedRuns.end());
        ending = frames == 0;
        written = WriteLocked(converted, 0, pendingRuns);
        decoderDone_ = ending && written == converted.size() / kDeviceChannels;
        filled_.notify_all();
    }
}

std::size_t Stream::WriteLocked(const std::vector<float>& frames, std::size_t from,
                                std::deque<ShapedRun>& runs) {
    const std::size_t count =
        std::min(frames.size() / kDeviceChannels - from, kRingFrames - ringCount_);
    const std::size_t fadeFrames = fadeTail_.size() / kDeviceChannels;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = (ringRead_ + ringCount_ + i) % kRingFrames;
        float left = frames[2 * (from + i)];
        float right = frames[2 * (from + i) + 1];
        if (fadeAt_ < fadeFrames) {
            // After a reshape the new sound fades in over the old one: no click at the join.
            const float w = static_cast<float>(fadeAt_ + 1) / static_cast<float>(fadeFrames + 1);
            left = fadeTail_[2 * fadeAt_] * (1.0f - w) + left * w;
            right = fadeTail_[2 * fadeAt_ + 1] * (1.0f - w) + right * w;
            ++fadeAt_;
        }
        ring_[2 * at] = left;
        ring_[2 * at + 1] = right;
    }
    ringCount_ += count;
    for (auto left = static_cast<std::int64_t>(count); left > 0;) {
        ShapedRun run = runs.empty() ? ShapedRun{left, 1.0} : runs.front();
        const std::int64_t take = std::min(left, run.frames);
        if (!runs_.empty() && runs_.back().stretch == run.stretch) {
            runs_.back().frames += take;
        } else {
            runs_.push_back({take, run.stretch});
        }
        left -= take;
        if (!runs.empty() && (runs.front().frames -= take) == 0) {
            runs.pop_front();
        }
    }
    return count;
}

void Stream::ResetLocked(std::int64_t frame) {
    ++generation_;
    seekTarget_ = frame;
    seekPending_ = true;
    decoderDone_ = false;
    ringRead_ = 0;
    ringCount_ = 0;
    historyStart_ = historyEnd_ = frame;
    runs_.clear();
    runStart_ = static_cast<double>(frame);
    runFrames_ = 0;
    runStretch_ = 1.0;
    fadeTail_.clear();
    fadeAt_ = 0;
    stamped_ = false;
    floor_ = frame;
    frozen_ = frame;
    wake_.notify_all();
}

std::int64_t Stream::HeardLocked(double now) {
    const double handed = HandedLocked();
    double heard = static_cast<double>(floor_);
    if (stamped_) {
        // Song time runs at the tempo of what was handed last.
        const double perSecond = rate_ * runStretch_;
        const double estimate = handed - latency_ * perSecond + (now - stampTime_) * perSecond;
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
    if (!(runStart_ == static_cast<double>(target) && runFrames_ == 0 &&
          state_ != State::Playing)) {
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
        frozen_ = std::min(length_, static_cast<std::int64_t>(std::floor(HandedLocked())));
        // Resampling rounds the hand-over count; the stretcher's flushed tail a little more.
        if (frozen_ >= length_ - rate_ / (stretchedEnd_ ? 20 : 100)) {
            frozen_ = length_;
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
        if (gainNow_ != gainTarget_) {
            gainNow_ = gainStep_ > 0.0f ? std::min(gainTarget_, gainNow_ + gainStep_)
                                        : std::max(gainTarget_, gainNow_ + gainStep_);
        }
        const float scale = gain * gainNow_;
        const std::size_t at = (ringRead_ + i) % kRingFrames;
        out[2 * i] += ring_[2 * at] * scale;
        out[2 * i + 1] += ring_[2 * at + 1] * scale;
    }
    if (count > 0) {
        ringRead_ = (ringRead_ + count) % kRingFrames;
        ringCount_ -= count;
        AdvanceHandedLocked(static_cast<std::int64_t>(count));
        stamped_ = true;
        stampTime_ = now;
        // The decoder refills once half the ring has played, in a few chunks at a time, rather
        // than waking for a chunk at every device buffer.
        if (ringCount_ <= kRingFrames / 2) {
            wake_.notify_one();
        }
    }
}

double Stream::HandedLocked() const {
    return runStart_ + static_cast<double>(runFrames_) * rate_ / deviceRate_ * runStretch_;
}

void Stream::AdvanceHandedLocked(std::int64_t frames) {
    while (frames > 0) {
        if (runs_.empty()) {
            runFrames_ += frames;  // not reached: every ring frame has its run
            return;
        }
        ShapedRun& run = runs_.front();
        if (run.stretch != runStretch_) {
            runStart_ = HandedLocked();
            runFrames_ = 0;
            runStretch_ = run.stretch;
        }
        const std::int64_t take = std::min(frames, run.frames);
        runFrames_ += take;
        frames -= take;
        if ((run.frames -= take) == 0) {
            runs_.pop_front();
        }
    }
}

void Stream::SetShaping(const SoundShaping& requested, double now) {
    (void)now;
    SoundShaping shaping = requested;
    shaping.VocalsReduced = shaping.VocalsReduced && channels_ >= 2;
    const double gainDb =
        std::isfinite(shaping.GainDb) ? std::clamp(shaping.GainDb, -60.0, 24.0) : 0.0;
    std::lock_guard lock(mutex_);
    gainTarget_ = static_cast<float>(std::pow(10.0, gainDb / 20.0));
    if (state_ == State::Playing) {
        gainStep_ = (gainTarget_ - gainNow_) / static_cast<float>(kGainRampSeconds * deviceRate_);
    } else {
        gainNow_ = gainTarget_;  // nothing is heard yet: start at the gain
    }
    const bool reshape = shaping.KeySemitones != shaping_.KeySemitones ||
                         shaping.TempoPercent != shaping_.TempoPercent ||
                         shaping.VocalsReduced != shaping_.VocalsReduced;
    shaping_ = shaping;
    if (!reshape) {
        return;
    }
    if (state_ == State::Playing) {
        ReshapeLocked();
    } else {
        ResetLocked(frozen_);  // what is buffered ahead is shaped anew before it plays
    }
}

void Stream::ReshapeLocked() {
    // A decoder running behind leaves less: the lead shrinks so the fade still has old sound.
    const std::size_t keep = ringCount_ >= kReshapeLeadFrames + kReshapeFadeFrames
                                 ? kReshapeLeadFrames
                             : ringCount_ > kReshapeFadeFrames ? ringCount_ - kReshapeFadeFrames
                                                               : ringCount_;
    double cut = HandedLocked();
    std::size_t left = keep;
    std::size_t kept = 0;
    for (const ShapedRun& run : runs_) {
        if (left == 0) {
            break;
        }
        const auto take = std::min(left, static_cast<std::size_t>(run.frames));
        cut += static_cast<double>(take) * rate_ / deviceRate_ * run.stretch;
        left -= take;
        ++kept;
    }
    const auto target = static_cast<std::int64_t>(std::llround(cut));
    if (target >= length_) {
        return;  // all that is left is in the lead
    }
    // The ring keeps `keep` frames; the runs describing them stay, cut to size.
    runs_.resize(kept);
    std::int64_t total = 0;
    for (const ShapedRun& run : runs_) {
        total += run.frames;
    }
    if (!runs_.empty()) {
        runs_.back().frames -= total - static_cast<std::int64_t>(keep);
    }
    const std::size_t fade = std::min(ringCount_ - keep, kReshapeFadeFrames);
    fadeTail_.resize(fade * kDeviceChannels);
    for (std::size_t i = 0; i < fade; ++i) {
        const std::size_t at = (ringRead_ + keep + i) % kRingFrames;
        fadeTail_[2 * i] = ring_[2 * at];
        fadeTail_[2 * i + 1] = ring_[2 * at + 1];
    }
    fadeAt_ = 0;
    ringCount_ = keep;
    ++generation_;
    seekTarget_ = target;
    seekPending_ = true;
    decoderDone_ = false;
    historyEnd_ = std::min(historyEnd_, target);
    historyStart_ = std::min(historyStart_, historyEnd_);
    wake_.notify_all();
}

}  // namespace vok::audio
