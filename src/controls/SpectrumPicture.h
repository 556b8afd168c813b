#pragma once

#include <QImage>

#include <array>
#include <cstdint>
#include <vector>

namespace vok {

// What the spectrum analyser shows.
enum class TSpectrumStyle { ssNone, ssSmooth, ssBlock, ssWave, ss3D };

// The next style of a click: ssNone → ssSmooth → ssBlock → ssWave → ss3D → ssNone.
TSpectrumStyle NextSpectrumStyle(TSpectrumStyle style);

// The analyser's 200 × 80 picture: one byte per pixel, shown through a 256-entry palette (0 the
// background, 1–128 green to red for bars and traces, 128–255 the heat scale of the spectrogram).
// Rows count from the bottom: row 0 is the bottom line on screen. Writes outside the picture are
// dropped, so no level can reach past it.
class SpectrumPicture {
  public:
    static constexpr int Width = 200;
    static constexpr int Height = 80;
    static constexpr int FftBins = 1024;
    static constexpr int WaveFrames = 200;

    SpectrumPicture();

    // The bars at double resolution from 1024 FFT magnitudes.
    void DrawSmooth(const float* fft);
    // 28 logarithmic bands.
    void DrawBlock(const float* fft);
    // One trace per channel from `channels` × 200 interleaved samples: the first channel green,
    // the second red, further channels repeating the pair.
    void DrawWave(const float* samples, int channels);
    // The scrolling spectrogram: one column per frame, followed by a bright cursor column. The
    // picture is not cleared.
    void Draw3D(const float* fft);

    void Clear();
    std::uint8_t At(int row, int column) const;
    int SpectrogramColumn() const { return specpos_; }
    // The picture as shown, top row first, through the palette.
    const QImage& Image() const { return image_; }

  private:
    void Set(int row, int column, std::uint8_t value);
    // Column `column` from row `top` down to row 0, each row n set to n + 1.
    void Bar(int column, int top);

    QImage image_;
    int specpos_ = 0;
};

}  // namespace vok
