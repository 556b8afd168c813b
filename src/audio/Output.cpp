#include "audio/Output.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace vok::audio {

namespace {

constexpr int kBufferFrames = 1024;
constexpr int kChannels = 2;

double SteadySeconds() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

class SdlDevice final : public OutputDevice {
  public:
    ~SdlDevice() override {
        if (device_ != 0) {
            SDL_CloseAudioDevice(device_);
        }
        if (initialised_) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }

    bool Open(int rate, MixCallback mix) override {
        mix_ = std::move(mix);
        // The player handles Ctrl+C and termination like any Qt program.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return false;
        }
        initialised_ = true;
        SDL_AudioSpec want{};
        want.freq = rate;
        want.format = AUDIO_F32SYS;
        want.channels = kChannels;
        want.samples = kBufferFrames;
        want.callback = &SdlDevice::Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No change flags: SDL converts to whatever the hardware takes.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device_ == 0) {
            return false;
        }
        rate_ = rate;
        bufferFrames_ = have.samples > 0 ? have.samples : kBufferFrames;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }
    int Rate() const override { return rate_; }
    int BufferFrames() const override { return bufferFrames_; }
    double Now() const override { return SteadySeconds(); }

  private:
    static void Callback(void* user, Uint8* bytes, int length) {
        auto* self = static_cast<SdlDevice*>(user);
        auto* out = reinterpret_cast<float*>(bytes);
        const int frames = length / static_cast<int>(sizeof(float) * kChannels);
        std::fill_n(out, frames * kChannels, 0.0f);
        self->mix_(out, frames, SteadySeconds(), false);
    }

    MixCallback mix_;
    SDL_AudioDeviceID device_ = 0;
    bool initialised_ = false;
    int rate_ = 0;
    int bufferFrames_ = kBufferFrames;
};

// An ideal device on a virtual clock: a callback every buffer period of virtual time.
class NullDevice final : public OutputDevice {
  public:
    bool Open(int rate, MixCallback mix) override {
        mix_ = std::move(mix);
        rate_ = rate;
        buffer_.resize(static_cast<std::size_t>(kBufferFrames * kChannels));
        return rate > 0;
    }
    int Rate() const override { return rate_; }
    int BufferFrames() const override { return kBufferFrames; }
    double Now() const override { return now_; }
    float LastPeak() const override { return peak_; }
    void Record(std::vector<float>* sink) override { sink_ = sink; }
    void Advance(double seconds) override {
        if (!(seconds > 0.0)) {
            return;
        }
        const double until = now_ + seconds;
        const double period = static_cast<double>(kBufferFrames) / rate_;
        while (nextCallback_ <= until) {
            now_ = nextCallback_;
            std::fill(buffer_.begin(), buffer_.end(), 0.0f);
            mix_(buffer_.data(), kBufferFrames, now_, true);
            peak_ = 0.0f;
            for (const float sample : buffer_) {
                peak_ = std::max(peak_, std::abs(sample));
            }
            if (sink_ != nullptr) {
                sink_->insert(sink_->end(), buffer_.begin(), buffer_.end());
            }
            ++callbacks_;
            nextCallback_ = static_cast<double>(callbacks_) * period;
        }
        now_ = until;
    }

  private:
    MixCallback mix_;
    std::vector<float> buffer_;
    int rate_ = 0;
    double now_ = 0.0;
    float peak_ = 0.0f;
    std::vector<float>* sink_ = nullptr;
    double nextCallback_ = 0.0;
    long long callbacks_ = 0;
};

}  // namespace

std::unique_ptr<OutputDevice> MakeSdlDevice() {
    return std::make_unique<SdlDevice>();
}
std::unique_ptr<OutputDevice> MakeNullDevice() {
    return std::make_unique<NullDevice>();
}

}  // namespace vok::audio
