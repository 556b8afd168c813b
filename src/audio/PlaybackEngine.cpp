#include "audio/PlaybackEngine.h"

#include "audio/AudioLibrary.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vok {

namespace {

constexpr std::uint32_t OutputRate = 44100;

// Whole milliseconds of a time in seconds, truncated toward zero and kept inside the 32-bit range
// (a failed length read gives a negative or absurd value; neither may wrap).
int SecondsToMs(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0.0) {
        return 0;
    }
    const double ms = std::trunc(seconds * 1000.0);
    if (ms >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(ms);
}

}  // namespace

PlaybackEngine::~PlaybackEngine() {
    // The player normally closes the stream and releases the output itself; this only keeps a
    // forgotten close from leaking the decoder and the device.
    CloseStream();
    ShutdownAudio();
}

AudioStartup PlaybackEngine::StartAudio(int device) {
    if ((audio::GetVersion() >> 16) != audio::kVersionExpected) {
        return AudioStartup::WrongVersion;
    }
    audioReady_ = audio::Init(device, OutputRate, 0);
    return audioReady_ ? AudioStartup::Ready : AudioStartup::NoOutput;
}

void PlaybackEngine::CloseStream() {
    if (stream_ != 0) {
        audio::StreamFree(stream_);
        stream_ = 0;
    }
}

void PlaybackEngine::ShutdownAudio() {
    // Only an output this engine opened is released.
    if (audioReady_) {
        audio::Free();  // frees every stream with it
        audioReady_ = false;
        stream_ = 0;
    }
}

std::uint32_t PlaybackEngine::LaddaMP3(const QString& path) {
    // Without an initialised output every stream fails, whatever the library would do.
    return audioReady_ ? audio::StreamCreateFile(false, path, 0, 0,
                                                 audio::kStreamUnicode | audio::kStreamPrescan)
                       : 0;
}

bool PlaybackEngine::OpenSong(const QString& path) {
    if (stream_ != 0 && audio::StreamFree(stream_)) {
        stream_ = 0;
    }
    stream_ = LaddaMP3(path);
    if (stream_ == 0) {
        lengthMs_ = 0;
        return false;
    }
    songPath_ = path;
    // A mono stream leaves vocal reduction off by itself.
    audio::ChannelSetShaping(stream_, shaping_);
    lengthMs_ = ToMs(stream_, audio::ChannelGetLength(stream_, audio::kPosByte));
    return true;
}

bool PlaybackEngine::Unload() {
    const bool hadStream = stream_ != 0;
    if (hadStream) {
        const std::uint32_t active = audio::ChannelIsActive(stream_);
        if (active == audio::kActivePlaying || active == audio::kActivePaused) {
            audio::ChannelStop(stream_);
        }
        audio::StreamFree(stream_);
        stream_ = 0;
        playState_ = PlayState::Idle;
    }
    lengthMs_ = 0;
    songPath_.clear();
    return hadStream;
}

bool PlaybackEngine::StartPlay() {
    if (stream_ == 0) {
        playState_ = PlayState::NoSong;
        return false;
    }
    audio::ChannelPlay(stream_, true);
    playState_ = PlayState::Playing;
    return true;
}

PauseOutcome PlaybackEngine::PauseOrResume() {
    if (stream_ == 0) {
        return PauseOutcome::None;
    }
    const std::uint32_t active = audio::ChannelIsActive(stream_);
    if (active == audio::kActivePaused) {
        audio::ChannelPlay(stream_, false);
        playState_ = PlayState::Playing;
        return PauseOutcome::Resumed;
    }
    if (active == audio::kActivePlaying) {
        audio::ChannelPause(stream_);
        playState_ = PlayState::Paused;
        return PauseOutcome::Paused;
    }
    // A stream that is neither playing nor paused (stopped, or ended but not yet noticed by the
    // tick) is left alone: calling it paused would leave the player stuck in a pause nothing can
    // resume, and the tick would never move on to the next entry.
    return PauseOutcome::None;
}

bool PlaybackEngine::Stoppa() {
    playState_ = PlayState::NoSong;
    if (stream_ == 0) {
        return false;
    }
    audio::ChannelStop(stream_);
    playState_ = PlayState::Idle;
    return true;
}

bool PlaybackEngine::JumpBack() {
    if (!IsPlaying()) {
        return false;
    }
    // 64-bit: a jump time read from a hand-edited settings file may be anything.
    const std::int64_t jumpMs = std::int64_t{jumpTime_} * 1000;
    if (positionMs_ > jumpMs) {
        SeekToSecond(static_cast<std::int64_t>(std::trunc(positionMs_ / 1000.0 - jumpTime_)));
    }
    return true;
}

bool PlaybackEngine::JumpForward() {
    if (!IsPlaying()) {
        return false;
    }
    const std::int64_t jumpMs = std::int64_t{jumpTime_} * 1000;
    if (positionMs_ < std::int64_t{lengthMs_} - jumpMs) {
        SeekToSecond(static_cast<std::int64_t>(std::trunc(positionMs_ / 1000.0 + jumpTime_)));
    }
    return true;
}

bool PlaybackEngine::SeekToFraction(double fraction) {
    // Callers compute the fraction from pointer positions; keep it inside the song.
    if (stream_ == 0 || !std::isfinite(fraction)) {
        return false;
    }
    fraction = std::clamp(fraction, 0.0, 1.0);
    SeekToSecond(static_cast<std::int64_t>(std::trunc(fraction * lengthMs_ / 1000.0)));
    return true;
}

void PlaybackEngine::SeekToSecond(std::int64_t seconds) {
    if (stream_ == 0) {
        return;
    }
    seconds = std::max<std::int64_t>(seconds, 0);
    audio::ChannelSetPosition(stream_,
                              audio::ChannelSeconds2Bytes(stream_, static_cast<double>(seconds)),
                              audio::kPosByte);
}

void PlaybackEngine::ChangeVolume(int value) {
    volume_ = std::clamp(value, 0, MaxVolume);
    audio::SetVolume(volume_ == 0 ? 0.0F : static_cast<float>(volume_ + 1) / 256.0F);
}

bool PlaybackEngine::VolumeUp() {
    if (volume_ >= MaxVolume) {
        return false;
    }
    ChangeVolume(std::min(volume_ + VolumeStep, MaxVolume));
    return true;
}

bool PlaybackEngine::VolumeDown() {
    if (volume_ <= VolumeStep) {
        return false;
    }
    ChangeVolume(volume_ - VolumeStep);
    return true;
}

bool PlaybackEngine::SetShaping(const audio::SoundShaping& shaping) {
    shaping_ = shaping;
    shaping_.KeySemitones =
        std::clamp(shaping.KeySemitones, audio::kMinKeySemitones, audio::kMaxKeySemitones);
    shaping_.TempoPercent =
        std::clamp(shaping.TempoPercent, audio::kMinTempoPercent, audio::kMaxTempoPercent);
    const bool refused = shaping_.VocalsReduced && !CanReduceVocals();
    if (refused) {
        shaping_.VocalsReduced = false;
    }
    if (stream_ != 0) {
        audio::ChannelSetShaping(stream_, shaping_);
    }
    return !refused;
}

bool PlaybackEngine::CanReduceVocals() const {
    audio::ChannelInfo info{};
    return stream_ != 0 && audio::ChannelGetInfo(stream_, &info) && info.chans >= 2;
}

int PlaybackEngine::ReadPosition() {
    positionMs_ =
        stream_ == 0 ? 0 : ToMs(stream_, audio::ChannelGetPosition(stream_, audio::kPosByte));
    return positionMs_;
}

bool PlaybackEngine::IsPlaying() const {
    return stream_ != 0 && audio::ChannelIsActive(stream_) == audio::kActivePlaying;
}

bool PlaybackEngine::IsPaused() const {
    return stream_ != 0 && audio::ChannelIsActive(stream_) == audio::kActivePaused;
}

int PlaybackEngine::ToMs(std::uint32_t handle, std::int64_t bytes) {
    // The library reports a failed read as -1 bytes.
    if (bytes < 0) {
        return 0;
    }
    return SecondsToMs(audio::ChannelBytes2Seconds(handle, static_cast<std::uint64_t>(bytes)));
}

}  // namespace vok
