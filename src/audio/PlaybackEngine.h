#pragma once

#include "audio/PlayerView.h"
#include "core/PlayState.h"

#include <QString>

#include <cstdint>

namespace vok {

class TVokalento;

// Outcome of the audio start-up.
enum class AudioStartup {
    Ready,
    // Output could not be initialised: the player runs on, every stream fails to open.
    NoOutput,
    // The audio libraries are not the ones the program was built for: the program must end.
    WrongVersion,
};

// The player window's layer over the audio library: one stream at a time, play state, pause,
// stop, jumps, seeks and volume. Runs on the user-interface thread only; everything it does to the
// window goes through the view, the song panel and the message sink.
class PlaybackEngine {
  public:
    static constexpr int MaxVolume = 255;
    static constexpr int VolumeStep = 16;
    static constexpr int VolumeBarHeight = 64;

    PlaybackEngine(const TVokalento& song, PlayerView& view, SongPanel& songPanel,
                   MessageSink& messages);
    ~PlaybackEngine();

    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Checks the library version and initialises the output device (-1 = the default device).
    AudioStartup StartAudio(int device = -1);
    // The window closes: frees the open stream.
    void CloseStream();
    // The window is destroyed: releases the output device.
    void ShutdownAudio();

    // Opens an audio file as a stream (0 on failure) and hands it to the spectrum analyser. The
    // caller stores the handle with SetStream.
    std::uint32_t LaddaMP3(const QString& path);
    // Fills the song panel for the stream just opened and returns its length in ms (0 without
    // one). Sets SongPath when there is a stream.
    int ShowSongInfo(std::uint32_t handle, const QString& path, SongPanel& panel);
    // Frees the previous stream, opens the path, fills the song panel and stores Stream and
    // LengthMs. True when a stream was opened.
    bool OpenSong(const QString& path);

    // Closes the open song.
    void UnloadMP3BtnClick();
    // Starts the open stream from its beginning; PlayState becomes 1, or 3 without a stream.
    bool StartPlay();
    // Pause or resume.
    void PausBtnClick();
    // Stop; the stream stays open.
    void Stoppa();

    // Arrow keys: jump JumpTime seconds back or forth while playing.
    void JumpBack();
    void JumpForward();
    // Seek to a fraction 0 ... 1 of the song (song map, playlist progress bar).
    void SeekToFraction(double fraction);

    // Volume: sets the bar, the output gain and the bar colour; does not store Volume.
    void SetVolume(int value);
    // Stores Volume (clamped to 0 ... 255) and applies it.
    void ChangeVolume(int value);
    // Numeric-keypad + and -.
    void VolumeUp();
    void VolumeDown();
    // The volume bar: release of any button at y sets the volume; moving with the left button
    // held sets it only when it changes.
    void VolBarMouseUp(int y, int barHeight = VolumeBarHeight);
    void VolBarMouseMove(int y, bool leftButtonHeld, int barHeight = VolumeBarHeight);
    // Volume for a click at y on a bar of the given height, 0 ... 255.
    static int VolumeFromBar(int y, int barHeight);

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
    int PlayState() const { return playState_; }
    int Volume() const { return volume_; }
    int JumpTime() const { return jumpTime_; }
    int CurrentLine() const { return currentLine_; }
    bool AudioReady() const { return audioReady_; }

    void SetPlayState(int state) { playState_ = state; }
    void SetJumpTime(int seconds) { jumpTime_ = seconds; }
    void SetCurrentLine(int line) { currentLine_ = line; }

  private:
    void SeekToSecond(std::int64_t seconds);
    static int ToMs(std::uint32_t handle, std::int64_t bytes);

    const TVokalento& song_;
    PlayerView& view_;
    SongPanel& songPanel_;
    MessageSink& messages_;

    std::uint32_t stream_ = 0;
    QString songPath_;
    int lengthMs_ = 0;
    int positionMs_ = 0;
    int playState_ = playstate::Idle;
    int volume_ = MaxVolume;
    int jumpTime_ = 5;
    int currentLine_ = 0;
    bool audioReady_ = false;
};

}  // namespace vok
