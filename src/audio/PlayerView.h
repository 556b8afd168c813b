#pragma once

#include <QString>

#include <cstdint>

namespace vok {

// The two-line song panel of the control panel (title line, info line and a hover hint).
class SongPanel {
  public:
    virtual ~SongPanel() = default;

    virtual void SetTitleLine(const QString& text) = 0;
    virtual void SetInfoLine(const QString& text) = 0;
    virtual void SetHint(const QString& text) = 0;
    virtual void SetShowHint(bool show) = 0;
    // Empties both lines.
    virtual void Clear() = 0;
};

// Message boxes. The window decides what happens after an error box (the engine only reports).
class MessageSink {
  public:
    virtual ~MessageSink() = default;

    // Default caption and an error icon.
    virtual void ShowError(const QString& text) = 0;
    // A plain box without icon.
    virtual void ShowMessage(const QString& text) = 0;
};

// What the playback engine asks of the player window: the playlist, the display, the buttons, the
// volume bar and the display tick.
class PlayerView {
  public:
    virtual ~PlayerView() = default;

    virtual void RepaintPlaylist() = 0;
    // No active playlist entry any more (PlayIndex := -1).
    virtual void ClearPlayIndex() = 0;

    virtual void ShowLogo() = 0;
    // The lyric area is redrawn and copied on the next tick.
    virtual void SetLyricsDirty() = 0;
    // Releases the per-song image of the timeline bar; harmless when none is held.
    virtual void ReleaseBarImage() = 0;

    // The spectrum analyser follows the stream it is given (0 = none).
    virtual void SetSpectrumStream(std::uint32_t stream) = 0;
    virtual void ClearSpectrum() = 0;

    // The load and unload buttons of both panels.
    virtual void SetLoadButtonsEnabled(bool enabled) = 0;
    // Play and pause buttons back to their normal picture.
    virtual void ShowNormalPlayButtons() = 0;
    // The pause button's picture for the stream's state after a pause click.
    virtual void SetPauseButtonPicture(bool paused) = 0;

    virtual void SetVolumeBar(int value) = 0;
    // Bar colour as a palette-relative colour value ($02000000 + green << 8).
    virtual void SetVolumeBarColor(std::uint32_t colour) = 0;

    virtual void StartTick() = 0;
    virtual void StopTick() = 0;
};

}  // namespace vok
