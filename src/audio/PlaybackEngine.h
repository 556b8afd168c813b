#pragma once

#include "audio/SoundShaping.h"
#include "core/PlayState.h"

#include <QString>

#include <cstdint>

namespace vok {

// Outcome of the audio start-up.
enum class AudioStartup {
    Ready,
    // Output could not be initialised: the player runs on, every stream fails to open.
    NoOutput,
    // The audio libraries are not the ones the program was built for: the program must end.
    WrongVersion,
};

// What a click on Pause did.
enum class PauseOutcome {
    None,     // no stream, or one that is neither playing nor paused
    Paused,   // playing → paused
    Resumed,  // paused → playing
};

// The player's layer over the audio library: one stream at a time, its play state, pause, stop,
// jumps, seeks and volume. Runs on the user-interface thread only. It calls nothing above it:
// every operation reports through its result what the caller has to show.
class PlaybackEngine {
  public:
    static constexpr int MaxVolume = 255;
    static constexpr int VolumeStep = 16;

    PlaybackEngine() = default;
    ~PlaybackEngine();

    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Checks the library versions and initialises the output device (-1 = the default device).
    AudioStartup StartAudio(int device = -1);
    // The player closes: frees the open stream.
    void CloseStream();
    // The player is destroyed: releases the output device.
    void ShutdownAudio();

    // Opens an audio file as a stream; 0 on failure.
    std::uint32_t LaddaMP3(const QString& path);
    // Frees the previous stream and opens the path. When it opens, Stream, LengthMs and SongPath
    // follow it; when it fails, Stream and LengthMs are 0 and SongPath is left as it was (the song
    // search falls back on it). True when a stream was opened.
    bool OpenSong(const QString& path);
    // Stops and frees the open song; PlayState becomes 0 when there was one. True when a stream
    // was released.
    bool Unload();

    // Starts the open stream from its beginning; PlayState becomes 1, or 3 without a stream.
    bool StartPlay();
    PauseOutcome PauseOrResume();
    // Stop; the stream stays open. PlayState becomes 0 with a stream, 3 without. True when there
    // was a stream to stop.
    bool Stoppa();

    // Arrow keys: jump JumpTime seconds back or forth, unless that would leave the song. Only
    // while playing; true then, whether or not it jumped (the caller takes the lyric line anew).
    bool JumpBack();
    bool JumpForward();
    // Seeks to a fraction 0 ... 1 of the song; true when sought.
    bool SeekToFraction(double fraction);
    // Seeks to a whole second; negative targets seek to the start.
    void SeekToSecond(std::int64_t seconds);

    // Stores Volume (clamped to 0 ... 255) and applies it as the output gain.
    void ChangeVolume(int value);
    // Numeric-keypad + and -: true when the volume changed.
    bool VolumeUp();
    bool VolumeDown();

    // Key, tempo, vocal reduction and loudness gain: applied to the open stream within 100 ms,
    // without a click, a gap or a jump of the position, and to every stream opened later until
    // changed. Values are held within their limits. Vocal reduction asked of a stream that is not
    // stereo is left off; false then.
    bool SetShaping(const audio::SoundShaping& shaping);
    const audio::SoundShaping& Shaping() const { return shaping_; }
    // The open stream has two or more channels, so its vocals can be reduced.
    bool CanReduceVocals() const;

    // The display tick: reads the position into PositionMs and returns it.
    int ReadPosition();
    // The library reports the stream playing (a handle of 0 is not playing).
    bool IsPlaying() const;
    // The library reports the stream paused.
    bool IsPaused() const;

    std::uint32_t Stream() const { return stream_; }
    const QString& SongPath() const { return songPath_; }
    int LengthMs() const { return lengthMs_; }
    int PositionMs() const { return positionMs_; }
    PlayState State() const { return playState_; }
    int Volume() const { return volume_; }
    int JumpTime() const { return jumpTime_; }
    bool AudioReady() const { return audioReady_; }

    void SetState(PlayState state) { playState_ = state; }
    void SetJumpTime(int seconds) { jumpTime_ = seconds; }

  private:
    static int ToMs(std::uint32_t handle, std::int64_t bytes);

    std::uint32_t stream_ = 0;
    QString songPath_;
    int lengthMs_ = 0;
    int positionMs_ = 0;
    PlayState playState_ = PlayState::Idle;
    int volume_ = MaxVolume;
    int jumpTime_ = 5;
    bool audioReady_ = false;
    audio::SoundShaping shaping_;
};

}  // namespace vok
