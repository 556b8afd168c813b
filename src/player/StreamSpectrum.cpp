#include "player/StreamSpectrum.h"

#include "audio/AudioLibrary.h"
#include "audio/PlaybackEngine.h"

namespace vok {

bool StreamSpectrum::Playing() const {
    return engine_.IsPlaying();
}

bool StreamSpectrum::Fft(float* magnitudes) const {
    return audio::ChannelGetData(engine_.Stream(), magnitudes, audio::kDataFft2048) !=
           audio::kDataError;
}

int StreamSpectrum::Channels() const {
    audio::ChannelInfo info;
    if (!audio::ChannelGetInfo(engine_.Stream(), &info)) {
        return 1;
    }
    return static_cast<int>(info.chans);
}

bool StreamSpectrum::Samples(float* samples, int frames) const {
    const auto bytes = static_cast<std::uint32_t>(Channels() * frames * 4);
    return audio::ChannelGetData(engine_.Stream(), samples, audio::kDataFloat | bytes) !=
           audio::kDataError;
}

}  // namespace vok
