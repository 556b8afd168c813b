#include "controls/SpectrumPicture.h"

#include <algorithm>
#include <cmath>

namespace vok {

namespace {

QList<QRgb> Palette() {
    QList<QRgb> colours(256, qRgb(0, 0, 0));
    for (int n = 1; n <= 128; ++n) {
        colours[n] = qRgb(2 * (n - 1), 255 - 2 * (n - 1), 0);
    }
    for (int n = 129; n <= 160; ++n) {
        colours[n] = qRgb(0, 0, 8 * (n - 129));
    }
    for (int n = 161; n <= 192; ++n) {
        colours[n] = qRgb(8 * (n - 161), 0, 255);
    }
    for (int n = 193; n <= 224; ++n) {
        colours[n] = qRgb(255, 8 * (n - 193), 248 - 8 * (n - 193));
    }
    for (int n = 225; n <= 255; ++n) {
        colours[n] = qRgb(255, 255, 8 * (n - 225));
    }
    return colours;
}

// Trunc of a level computed in double precision; levels far out of range stay out of range
// without overflowing an int.
int TruncLevel(double value) {
    if (!std::isfinite(value)) {
        return value > 0 ? 1 << 20 : -(1 << 20);
    }
    return static_cast<int>(std::clamp(std::trunc(value), -1.0e6, 1.0e6));
}

double Magnitude(float value) {
    // Magnitudes are never negative; a bad value must not make a NaN.
    return std::sqrt(std::max(0.0, static_cast<double>(value)));
}

}  // namespace

TSpectrumStyle NextSpectrumStyle(TSpectrumStyle style) {
    switch (style) {
        case TSpectrumStyle::ssNone:
            return TSpectrumStyle::ssSmooth;
        case TSpectrumStyle::ssSmooth:
            return TSpectrumStyle::ssBlock;
        case TSpectrumStyle::ssBlock:
            return TSpectrumStyle::ssWave;
        case TSpectrumStyle::ssWave:
            return TSpectrumStyle::ss3D;
        case TSpectrumStyle::ss3D:
            break;
    }
    return TSpectrumStyle::ssNone;
}

SpectrumPicture::SpectrumPicture() : image_(Width, Height, QImage::Format_Indexed8) {
    image_.setColorTable(Palette());
    Clear();
}

void SpectrumPicture::Clear() {
    image_.fill(0);
}

void SpectrumPicture::Set(int row, int column, std::uint8_t value) {
    if (row < 0 || row >= Height || column < 0 || column >= Width) {
        return;
    }
    image_.scanLine(Height - 1 - row)[column] = value;
}

std::uint8_t SpectrumPicture::At(int row, int column) const {
    if (row < 0 || row >= Height || column < 0 || column >= Width) {
        return 0;
    }
    return image_.constScanLine(Height - 1 - row)[column];
}

void SpectrumPicture::Bar(int column, int top) {
    for (int row = std::min(top, Height - 1); row >= 0; --row) {
        Set(row, column, static_cast<std::uint8_t>(row + 1));
    }
}

void SpectrumPicture::DrawSmooth(const float* fft) {
    Clear();
    int prev = 0;
    for (int j = 0; j < 100; ++j) {
        const int y = std::min(TruncLevel(Magnitude(fft[j + 1]) * 3 * 80 - 4), Height);
        // The odd column in between is filled only where the level holds or rises by one.
        if (j > 0 && prev >= 0 && (prev + y) / 2 == prev) {
            Bar(2 * j - 1, prev);
        }
        prev = y;
        if (y >= 0) {
            Bar(2 * j, y);
        }
    }
}

namespace {

// The 28 logarithmic bands of the block style: the FFT bins after `First` up to `Last`, and the
// logarithm their sum is divided by. The same for every frame, so worked out once.
struct Band {
    int First = 0;
    int Last = 0;
    double LogWidth = 1;
};

const std::array<Band, 28>& BlockBands() {
    static const std::array<Band, 28> bands = [] {
        std::array<Band, 28> made{};
        int b0 = 0;
        for (int x = 0; x < 28; ++x) {
            int b1 = static_cast<int>(std::trunc(std::pow(2.0, 10.0 * x / 27.0)));
            b1 = std::min(b1, SpectrumPicture::FftBins - 1);
            if (b1 <= b0) {
                b1 = b0 + 1;
            }
            made[static_cast<std::size_t>(x)] = {b0, b1, std::log10(b1 - b0 + 10.0)};
            b0 = b1;
        }
        return made;
    }();
    return bands;
}

}  // namespace

void SpectrumPicture::DrawBlock(const float* fft) {
    Clear();
    const std::array<Band, 28>& bands = BlockBands();
    for (int x = 0; x < 28; ++x) {
        const Band& band = bands[static_cast<std::size_t>(x)];
        float sum = 0;
        for (int bin = band.First + 1; bin <= band.Last; ++bin) {
            sum += fft[bin];
        }
        const int y = std::min(
            TruncLevel(std::sqrt(std::max(0.0, sum / band.LogWidth)) * 1.7 * 80 - 4), Height);
        for (int row = std::min(y, Height - 1); row >= 0; --row) {
            for (int column = 7 * x; column <= 7 * x + 4; ++column) {
                Set(row, column, static_cast<std::uint8_t>(row + 1));
            }
        }
    }
}

void SpectrumPicture::DrawWave(const float* samples, int channels) {
    Clear();
    for (int c = 0; c < channels; ++c) {
        const std::uint8_t colour = c % 2 == 1 ? 127 : 1;
        int y = 0;
        for (int x = 0; x < WaveFrames; ++x) {
            const double sample = samples[x * channels + c];
            const int v = std::clamp(
                std::isfinite(sample) ? TruncLevel((1 - sample) * Height / 2) : Height / 2, 0,
                Height - 1);
            if (x == 0) {
                y = v;
            }
            // A line from the last level to this one, so steep edges stay joined.
            do {
                if (v > y) {
                    ++y;
                } else if (v < y) {
                    --y;
                }
                Set(y, x, colour);
            } while (y != v);
        }
    }
}

void SpectrumPicture::Draw3D(const float* fft) {
    for (int i = 0; i < Height; ++i) {
        const int y = std::clamp(TruncLevel(Magnitude(fft[i + 1]) * 3 * 127), 0, 127);
        Set(i, specpos_, static_cast<std::uint8_t>(128 + y));
    }
    specpos_ = (specpos_ + 1) % Width;
    for (int row = 0; row < Height; ++row) {
        Set(row, specpos_, 255);
    }
}

}  // namespace vok
