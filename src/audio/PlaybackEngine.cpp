#include "audio/PlaybackEngine.h"

#include "audio/AudioLibrary.h"
#include "core/FileNames.h"
#include "core/TimeText.h"
#include "lyrics/Vokalento.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vok {

namespace {

constexpr std::uint32_t OutputRate = 44100;
constexpr std::uint32_t VolumeColourBase = 0x02000000;

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

PlaybackEngine::PlaybackEngine(const TVokalento& song, PlayerView& view, SongPanel& songPanel,
                               MessageSink& messages)
    : song_(song), view_(view), songPanel_(songPanel), messages_(messages) {}

PlaybackEngine::~PlaybackEngine() {
    // The window normally closes the stream and releases the output itself; this only keeps a
    // forgotten close from leaking the decoder and the device.
    CloseStream();
    ShutdownAudio();
}

AudioStartup PlaybackEngine::StartAudio(int device) {
    if ((audio::GetVersion() >> 16) != audio::kVersionExpected) {
        messages_.ShowError(QStringLiteral("Fel version av BASS.DLL laddades"));
        return AudioStartup::WrongVersion;
    }
    audioReady_ = audio::Init(device, OutputRate, 0);
    if (!audioReady_) {
        messages_.ShowMessage(QStringLiteral("Fel vid initiering av ljuduppspelning"));
        return AudioStartup::NoOutput;
    }
    return AudioStartup::Ready;
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
    const std::uint32_t handle =
        audioReady_ ? audio::StreamCreateFile(false, path, 0, 0,
                                              audio::kStreamUnicode | audio::kStreamPrescan)
                    : 0;
    view_.SetSpectrumStream(handle);
    return handle;
}

int PlaybackEngine::ShowSongInfo(std::uint32_t handle, const QString& path, SongPanel& panel) {
    const QFileInfo info(path);
    // A folder of that name is no file: it counts as missing.
    panel.SetTitleLine(!path.isEmpty() && info.isFile() ? FileNamePart(path)
                                                        : QStringLiteral("File missing"));
    if (handle == 0) {
        panel.SetInfoLine(QStringLiteral("Could not load file"));
        panel.SetHint(QString());
        panel.SetShowHint(false);
        return 0;
    }
    songPath_ = path;
    const int length = ToMs(handle, audio::ChannelGetLength(handle, audio::kPosByte));
    panel.SetInfoLine(QStringLiteral("Length: ") + FormatTime(length));
    panel.SetHint(path);
    panel.SetShowHint(true);
    return length;
}

bool PlaybackEngine::OpenSong(const QString& path) {
    if (stream_ != 0 && audio::StreamFree(stream_)) {
        stream_ = 0;
    }
    stream_ = LaddaMP3(path);
    lengthMs_ = ShowSongInfo(stream_, path, songPanel_);
    return stream_ != 0;
}

void PlaybackEngine::UnloadMP3BtnClick() {
    const bool hadStream = stream_ != 0;
    if (hadStream) {
        const std::uint32_t active = audio::ChannelIsActive(stream_);
        if (active == audio::kActivePlaying || active == audio::kActivePaused) {
            audio::ChannelStop(stream_);
        }
        audio::StreamFree(stream_);
        stream_ = 0;
    }
    songPanel_.Clear();
    lengthMs_ = 0;
    songPath_.clear();
    if (hadStream) {
        playState_ = playstate::Idle;
        view_.ClearPlayIndex();
        view_.RepaintPlaylist();
    }
}

bool PlaybackEngine::StartPlay() {
    if (stream_ == 0) {
        playState_ = playstate::NoSong;
        return false;
    }
    audio::ChannelPlay(stream_, true);
    playState_ = playstate::Playing;
    return true;
}

void PlaybackEngine::PausBtnClick() {
    if (stream_ == 0) {
        return;
    }
    const std::uint32_t active = audio::ChannelIsActive(stream_);
    if (active == audio::kActivePaused) {
        audio::ChannelPlay(stream_, false);
        playState_ = playstate::Playing;
        view_.StartTick();
    } else if (active == audio::kActivePlaying) {
        audio::ChannelPause(stream_);
        playState_ = playstate::Paused;
    }
    // A stream that is neither playing nor paused (stopped, or ended but not yet noticed by the
    // tick) is left alone: calling it paused would leave the player stuck in a pause nothing can
    // resume, and the tick would never move on to the next entry.
    view_.SetPauseButtonPicture(audio::ChannelIsActive(stream_) == audio::kActivePaused);
}

void PlaybackEngine::Stoppa() {
    playState_ = playstate::NoSong;
    view_.StopTick();
    if (stream_ != 0) {
        audio::ChannelStop(stream_);
        playState_ = playstate::Idle;
        view_.RepaintPlaylist();
        view_.ShowNormalPlayButtons();
        currentLine_ = 0;
        view_.ShowLogo();
    }
    view_.ClearSpectrum();
    view_.ReleaseBarImage();
    currentLine_ = 0;
    view_.SetLoadButtonsEnabled(true);
}

void PlaybackEngine::JumpBack() {
    if (!IsPlaying()) {
        return;
    }
    // 64-bit: a jump time read from a hand-edited settings file may be anything.
    const std::int64_t jumpMs = std::int64_t{jumpTime_} * 1000;
    if (positionMs_ > jumpMs) {
        SeekToSecond(static_cast<std::int64_t>(std::trunc(positionMs_ / 1000.0 - jumpTime_)));
    }
    currentLine_ = song_.LineNumberAt(positionMs_);
    view_.SetLyricsDirty();
}

void PlaybackEngine::JumpForward() {
    if (!IsPlaying()) {
        return;
    }
    const std::int64_t jumpMs = std::int64_t{jumpTime_} * 1000;
    if (positionMs_ < std::int64_t{lengthMs_} - jumpMs) {
        SeekToSecond(static_cast<std::int64_t>(std::trunc(positionMs_ / 1000.0 + jumpTime_)));
    }
    currentLine_ = song_.LineNumberAt(positionMs_);
    view_.SetLyricsDirty();
}

void PlaybackEngine::SeekToFraction(double fraction) {
    if (stream_ == 0) {
        return;
    }
    // Callers compute the fraction from pointer positions; keep it inside the song.
    if (!std::isfinite(fraction)) {
        return;
    }
    fraction = std::clamp(fraction, 0.0, 1.0);
    SeekToSecond(static_cast<std::int64_t>(std::trunc(fraction * lengthMs_ / 1000.0)));
    currentLine_ = song_.LineNumberAt(static_cast<int>(std::trunc(fraction * lengthMs_)));
    view_.SetLyricsDirty();
}

void PlaybackEngine::SeekToSecond(std::int64_t seconds) {
    seconds = std::max<std::int64_t>(seconds, 0);
    audio::ChannelSetPosition(stream_,
                              audio::ChannelSeconds2Bytes(stream_, static_cast<double>(seconds)),
                              audio::kPosByte);
}

void PlaybackEngine::SetVolume(int value) {
    value = std::clamp(value, 0, MaxVolume);
    view_.SetVolumeBar(value);
    audio::SetVolume(value == 0 ? 0.0F : static_cast<float>(value + 1) / 256.0F);
    view_.SetVolumeBarColor(VolumeColourBase + static_cast<std::uint32_t>(value) * 256U);
}

void PlaybackEngine::ChangeVolume(int value) {
    volume_ = std::clamp(value, 0, MaxVolume);
    SetVolume(volume_);
}

void PlaybackEngine::VolumeUp() {
    if (volume_ < MaxVolume) {
        ChangeVolume(std::min(volume_ + VolumeStep, MaxVolume));
    }
}

void PlaybackEngine::VolumeDown() {
    if (volume_ > VolumeStep) {
        ChangeVolume(volume_ - VolumeStep);
    }
}

int PlaybackEngine::VolumeFromBar(int y, int barHeight) {
    if (barHeight <= 0) {
        return 0;
    }
    // Integer division truncates toward zero, like the truncation of the real quotient.
    const std::int64_t value = (std::int64_t{barHeight} - y) * MaxVolume / barHeight;
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, MaxVolume));
}

void PlaybackEngine::VolBarMouseUp(int y, int barHeight) {
    ChangeVolume(VolumeFromBar(y, barHeight));
}

void PlaybackEngine::VolBarMouseMove(int y, bool leftButtonHeld, int barHeight) {
    if (!leftButtonHeld) {
        return;
    }
    const int value = VolumeFromBar(y, barHeight);
    if (value != volume_) {
        ChangeVolume(value);
    }
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
