#include "audio/Shaper.h"

#include <rubberband/RubberBandStretcher.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vok::audio {

namespace {

using RubberBand::RubberBandStretcher;

constexpr double kBassCutoffHz = 150.0;
constexpr double kVocalsRampSeconds = 0.02;
constexpr std::size_t kMaxProcessFrames = 4096;
// Silence pushing the last output out: a few blocks of it do; bounded all the same.
constexpr int kMaxFlushRounds = 64;

RubberBandStretcher::Options OptionsFor(StretchEngine engine) {
    // Real time: settings change live and every output frame is accounted for. Channels
    // together: a centred voice stays centred. The finer core with its short window keeps a
    // voice clear of the phasing the faster core gives it; with the key moved by our own
    // resampler it stretches only, and costs less than the faster core does.
    RubberBandStretcher::Options options =
        RubberBandStretcher::OptionProcessRealTime | RubberBandStretcher::OptionChannelsTogether;
    if (engine == StretchEngine::Finer) {
        options |= RubberBandStretcher::OptionEngineFiner | RubberBandStretcher::OptionWindowShort;
    } else {
        options |= RubberBandStretcher::OptionEngineFaster;
    }
    return options;
}

}  // namespace

Shaper::Shaper(int deviceRate, bool stereoSource, StretchEngine engine)
    : deviceRate_(deviceRate), stereoSource_(stereoSource), engine_(engine) {
    // Second-order Butterworth low-pass (bilinear transform) for the bass kept under the side.
    const double k = std::tan(std::numbers::pi * kBassCutoffHz / deviceRate_);
    const double norm = 1.0 / (1.0 + std::numbers::sqrt2 * k + k * k);
    b0_ = k * k * norm;
    b1_ = 2.0 * b0_;
    b2_ = b0_;
    a1_ = 2.0 * (k * k - 1.0) * norm;
    a2_ = (1.0 - std::numbers::sqrt2 * k + k * k) * norm;
}

Shaper::~Shaper() {
    swr_free(&keyResampler_);
}

void Shaper::Reset(const SoundShaping& shaping) {
    vocalsTarget_ = shaping.VocalsReduced && stereoSource_ ? 1.0f : 0.0f;
    z1_ = z2_ = z3_ = z4_ = 0.0;
    flushing_ = false;
    expected_.clear();
    stretching_ = !shaping.KeepsPitchAndTempo();
    if (!stretching_) {
        return;
    }
    timeRatio_ = 100.0 / std::clamp(shaping.TempoPercent, kMinTempoPercent, kMaxTempoPercent);
    const double pitch =
        std::pow(2.0, std::clamp(shaping.KeySemitones, kMinKeySemitones, kMaxKeySemitones) / 12.0);
    // A key up is the sound resampled to fewer frames (higher when played at the device rate),
    // then stretched back by the same factor; the factor is the one the whole rates give, so the
    // output keeps exactly timeRatio_ frames per input frame.
    swr_free(&keyResampler_);
    double stretchRatio = timeRatio_;
    if (pitch != 1.0) {
        keyRate_ = static_cast<int>(std::lround(deviceRate_ / pitch));
        AVChannelLayout stereo{};
        av_channel_layout_default(&stereo, 2);
        if (swr_alloc_set_opts2(&keyResampler_, &stereo, AV_SAMPLE_FMT_FLTP, keyRate_, &stereo,
                                AV_SAMPLE_FMT_FLTP, deviceRate_, 0, nullptr) < 0 ||
            swr_init(keyResampler_) < 0) {
            swr_free(&keyResampler_);
        } else {
            stretchRatio = timeRatio_ * deviceRate_ / keyRate_;
        }
    }
    if (!stretcher_) {
        stretcher_ = std::make_unique<RubberBandStretcher>(static_cast<std::size_t>(deviceRate_), 2,
                                                           OptionsFor(engine_), stretchRatio, 1.0);
        stretcher_->setMaxProcessSize(kMaxProcessFrames);
    } else {
        stretcher_->reset();
        stretcher_->setTimeRatio(stretchRatio);
        stretcher_->setPitchScale(1.0);
    }
    // Zeros in front and the delay dropped behind: output frame 0 is input frame 0.
    const std::size_t pad = stretcher_->getPreferredStartPad();
    left_.assign(std::max(pad, kMaxProcessFrames), 0.0f);
    right_.assign(left_.size(), 0.0f);
    for (std::size_t done = 0; done < pad;) {
        const std::size_t n = std::min(pad - done, kMaxProcessFrames);
        const float* planes[2] = {left_.data(), right_.data()};
        stretcher_->process(planes, n, false);
        done += n;
    }
    toDrop_ = static_cast<std::int64_t>(stretcher_->getStartDelay());
}

void Shaper::Process(std::vector<float>& frames, bool final, std::vector<ShapedRun>& runs) {
    if (vocalsTarget_ > 0.0f || vocalsMix_ > 0.0f) {
        ReduceVocals(frames);
    }
    if (stretching_) {
        Stretch(frames, final, runs);
        return;
    }
    if (!frames.empty()) {
        runs.push_back({static_cast<std::int64_t>(frames.size() / 2), 1.0});
    }
}

void Shaper::Prime(std::vector<float>& frames, double deviceFrames) {
    if (!stretching_ || frames.empty()) {
        return;
    }
    if (vocalsTarget_ > 0.0f || vocalsMix_ > 0.0f) {
        ReduceVocals(frames);
    }
    // Dropped by count from the front of the output, as the start delay is: no runs, no time.
    toDrop_ += static_cast<std::int64_t>(std::llround(deviceFrames * timeRatio_));
    const std::size_t count = Planes(frames, false);
    std::vector<float> unused;
    std::vector<ShapedRun> none;
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(count - done, kMaxProcessFrames);
        const float* planes[2] = {left_.data() + done, right_.data() + done};
        stretcher_->process(planes, n, false);
        done += n;
        Retrieve(unused, none);
    }
}

void Shaper::ReduceVocals(std::vector<float>& frames) {
    const float step = 1.0f / static_cast<float>(kVocalsRampSeconds * deviceRate_);
    for (std::size_t i = 0; i + 1 < frames.size(); i += 2) {
        const double left = frames[i];
        const double right = frames[i + 1];
        const double mid = 0.5 * (left + right);
        // Two sections in transposed direct form II: one alone lets a low voice's fundamental
        // through at -19 dB (440 Hz), two take it to -38 dB and keep 60 Hz at -0.2 dB.
        const double low = b0_ * mid + z1_;
        z1_ = b1_ * mid - a1_ * low + z2_;
        z2_ = b2_ * mid - a2_ * low;
        const double bass = b0_ * low + z3_;
        z3_ = b1_ * low - a1_ * bass + z4_;
        z4_ = b2_ * low - a2_ * bass;
        const double side = 0.5 * (left - right);
        vocalsMix_ = vocalsMix_ < vocalsTarget_ ? std::min(vocalsTarget_, vocalsMix_ + step)
                                                : std::max(vocalsTarget_, vocalsMix_ - step);
        const double w = vocalsMix_;
        frames[i] = static_cast<float>((1.0 - w) * left + w * (bass + side));
        frames[i + 1] = static_cast<float>((1.0 - w) * right + w * (bass - side));
    }
}

std::size_t Shaper::Planes(const std::vector<float>& frames, bool final) {
    const std::size_t count = frames.size() / 2;
    if (keyResampler_ == nullptr) {
        left_.resize(count);
        right_.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            left_[i] = frames[2 * i];
            right_[i] = frames[2 * i + 1];
        }
        return count;
    }
    keyed_.resize(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        keyed_[i] = frames[2 * i];
        keyed_[count + i] = frames[2 * i + 1];
    }
    const int capacity = swr_get_out_samples(keyResampler_, static_cast<int>(count));
    left_.resize(static_cast<std::size_t>(std::max(capacity, 0)));
    right_.resize(left_.size());
    std::uint8_t* out[2] = {reinterpret_cast<std::uint8_t*>(left_.data()),
                            reinterpret_cast<std::uint8_t*>(right_.data())};
    const std::uint8_t* in[2] = {reinterpret_cast<const std::uint8_t*>(keyed_.data()),
                                 reinterpret_cast<const std::uint8_t*>(keyed_.data() + count)};
    int got =
        count > 0 ? swr_convert(keyResampler_, out, capacity, in, static_cast<int>(count)) : 0;
    got = std::max(got, 0);
    if (final) {
        // What the resampler's filter still holds belongs to the song's last frames.
        const int rest = swr_get_out_samples(keyResampler_, 0);
        left_.resize(static_cast<std::size_t>(got + std::max(rest, 0)));
        right_.resize(left_.size());
        std::uint8_t* tail[2] = {reinterpret_cast<std::uint8_t*>(left_.data() + got),
                                 reinterpret_cast<std::uint8_t*>(right_.data() + got)};
        got += std::max(swr_convert(keyResampler_, tail, std::max(rest, 0), nullptr, 0), 0);
    }
    left_.resize(static_cast<std::size_t>(got));
    right_.resize(left_.size());
    return left_.size();
}

void Shaper::Stretch(std::vector<float>& frames, bool final, std::vector<ShapedRun>& runs) {
    const std::size_t input = frames.size() / 2;
    if (input > 0) {
        expected_.push_back({static_cast<double>(input) * timeRatio_, 1.0 / timeRatio_});
    }
    const std::size_t count = Planes(frames, final);
    frames.clear();
    std::size_t done = 0;
    do {
        const std::size_t n = std::min(count - done, kMaxProcessFrames);
        const float* planes[2] = {left_.data() + done, right_.data() + done};
        stretcher_->process(planes, n, false);
        done += n;
        Retrieve(frames, runs);
    } while (done < count);
    if (!final) {
        return;
    }
    // The real-time stretcher holds its latency's worth of output until more input pushes it
    // out: silence does, and what comes beyond the song's own frames is dropped.
    flushing_ = true;
    left_.assign(kMaxProcessFrames, 0.0f);
    right_.assign(kMaxProcessFrames, 0.0f);
    for (int round = 0; !expected_.empty() && round < kMaxFlushRounds; ++round) {
        const float* planes[2] = {left_.data(), right_.data()};
        stretcher_->process(planes, kMaxProcessFrames / 4, false);
        Retrieve(frames, runs);
    }
    expected_.clear();
}

void Shaper::Retrieve(std::vector<float>& out, std::vector<ShapedRun>& runs) {
    for (int available = stretcher_->available(); available > 0;
         available = stretcher_->available()) {
        const auto n = static_cast<std::size_t>(available);
        outLeft_.resize(n);
        outRight_.resize(n);
        float* planes[2] = {outLeft_.data(), outRight_.data()};
        const std::size_t got = stretcher_->retrieve(planes, n);
        std::size_t from = 0;
        if (toDrop_ > 0) {
            from = std::min(got, static_cast<std::size_t>(toDrop_));
            toDrop_ -= static_cast<std::int64_t>(from);
        }
        std::size_t to = got;
        if (flushing_) {
            to = from + std::min<std::size_t>(got - from, static_cast<std::size_t>(
                                                              std::ceil(ExpectedFrames() - 1e-9)));
        }
        const std::size_t base = out.size();
        out.resize(base + 2 * (to - from));
        for (std::size_t i = from; i < to; ++i) {
            out[base + 2 * (i - from)] = outLeft_[i];
            out[base + 2 * (i - from) + 1] = outRight_[i];
        }
        AddRuns(static_cast<std::int64_t>(to - from), runs);
    }
}

double Shaper::ExpectedFrames() const {
    double frames = 0.0;
    for (const Pending& pending : expected_) {
        frames += pending.frames;
    }
    return std::max(frames, 0.0);
}

void Shaper::AddRuns(std::int64_t frames, std::vector<ShapedRun>& runs) {
    auto add = [&runs](std::int64_t n, double stretch) {
        if (!runs.empty() && runs.back().stretch == stretch) {
            runs.back().frames += n;
        } else {
            runs.push_back({n, stretch});
        }
    };
    while (frames > 0) {
        if (expected_.empty()) {
            add(frames, 0.0);  // the flushed tail beyond the input: no song time left
            return;
        }
        Pending& next = expected_.front();
        const auto take = std::min(frames, static_cast<std::int64_t>(std::ceil(next.frames)));
        add(take, next.stretch);
        frames -= take;
        next.frames -= static_cast<double>(take);
        if (next.frames <= 1e-9) {
            const double over = next.frames;
            expected_.pop_front();
            if (!expected_.empty()) {
                expected_.front().frames += over;  // keeps the sum exact across inputs
            }
        }
    }
}

}  // namespace vok::audio
