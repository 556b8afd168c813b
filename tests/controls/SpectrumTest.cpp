// The spectrum analyser: what each style draws from known sound, and what the control shows.

#include "ControlsTestSupport.h"
#include "controls/MiniSpectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vok {
namespace {

// Picture rows 0 … 79 (bottom up) of one column that hold a value other than 0.
int FilledRows(const SpectrumPicture& picture, int column) {
    int rows = 0;
    for (int row = 0; row < SpectrumPicture::Height; ++row) {
        rows += picture.At(row, column) != 0 ? 1 : 0;
    }
    return rows;
}

std::vector<int> FilledColumns(const SpectrumPicture& picture) {
    std::vector<int> columns;
    for (int column = 0; column < SpectrumPicture::Width; ++column) {
        if (FilledRows(picture, column) > 0) {
            columns.push_back(column);
        }
    }
    return columns;
}

TEST(SpectrumPicture, OneLoudBinGivesOneFullBarAtItsColumnInEveryBarStyle) {
    std::vector<float> fft(SpectrumPicture::FftBins, 0.0F);
    fft[11] = 0.25F;  // bin 11: a full-scale sine there
    SpectrumPicture picture;
    picture.DrawSmooth(fft.data());
    EXPECT_EQ(FilledColumns(picture), std::vector<int>{20});
    EXPECT_EQ(FilledRows(picture, 20), 80) << "a level past the top stops at the top row";
    EXPECT_EQ(picture.At(0, 20), 1) << "green at the bottom";
    EXPECT_EQ(picture.At(79, 20), 80) << "towards red at the top";

    // Band 10 holds bins 11 … 13 (2^(100/27) = 13.03): columns 70 … 74.
    picture.DrawBlock(fft.data());
    EXPECT_EQ(FilledColumns(picture), (std::vector<int>{70, 71, 72, 73, 74}));
    EXPECT_EQ(picture.Image().pixel(72, 79), qRgb(0, 255, 0)) << "row 0 is the bottom line";
}

TEST(SpectrumPicture, SilenceDrawsNoBarsAndAMidScaleSpectrogramColumn) {
    const std::vector<float> silence(SpectrumPicture::FftBins, 0.0F);
    SpectrumPicture picture;
    picture.DrawSmooth(silence.data());
    EXPECT_TRUE(FilledColumns(picture).empty());
    picture.DrawBlock(silence.data());
    EXPECT_TRUE(FilledColumns(picture).empty());

    for (int frame = 0; frame < 201; ++frame) {
        picture.Draw3D(silence.data());
    }
    EXPECT_EQ(picture.SpectrogramColumn(), 1) << "the column wraps after 200 frames";
    EXPECT_EQ(picture.At(40, 0), 128);
    EXPECT_EQ(picture.At(40, 1), 255) << "the cursor runs ahead of the newest column";
    EXPECT_EQ(picture.Image().color(128), qRgb(254, 1, 0));
    EXPECT_EQ(picture.Image().color(255), qRgb(255, 255, 240));
}

TEST(SpectrumPicture, WaveDrawsOneJoinedTraceAChannelGreenThenRed) {
    std::vector<float> stereo(2 * SpectrumPicture::WaveFrames);
    for (int x = 0; x < SpectrumPicture::WaveFrames; ++x) {
        stereo[2 * x] = 1.0F;                  // the bottom row
        stereo[2 * x + 1] = x < 100 ? -1 : 0;  // the top row, then a step to the middle
    }
    SpectrumPicture picture;
    picture.DrawWave(stereo.data(), 2);
    EXPECT_EQ(picture.At(0, 50), 1) << "first channel green";
    EXPECT_EQ(picture.At(79, 50), 127) << "second channel red";
    EXPECT_EQ(FilledRows(picture, 100), 1 + 39) << "the step from row 79 is drawn joined";

    const std::vector<float> mono(SpectrumPicture::WaveFrames, 0.0F);
    picture.DrawWave(mono.data(), 1);
    EXPECT_EQ(FilledRows(picture, 10), 1);
    EXPECT_EQ(picture.At(40, 10), 1);
}

// A stream of fixed sound for the control.
class FakeSource : public SpectrumSource {
  public:
    bool Playing() const override { return playing; }
    bool Fft(float* magnitudes) const override {
        std::fill(magnitudes, magnitudes + SpectrumPicture::FftBins, 0.0F);
        magnitudes[11] = 0.25F;
        return true;
    }
    int Channels() const override { return 1; }
    bool Samples(float* samples, int frames) const override {
        std::fill(samples, samples + frames, 0.0F);
        return true;
    }
    bool playing = true;
};

int NonBlack(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) != qRgb(0, 0, 0) ? 1 : 0;
        }
    }
    return count;
}

TEST(MiniSpectrum, DrawsOnlyWhileEnabledAndPlayingAndFiveClicksComeBackToTheStyle) {
    FakeSource source;
    TMiniSpectrum spectrum(source);
    spectrum.resize(200, 80);
    spectrum.SetStyle(TSpectrumStyle::ssBlock);
    spectrum.SetActivateText(QStringLiteral("Click to activate"));
    spectrum.UpdateFrame();
    EXPECT_EQ(NonBlack(spectrum.BackBuffer()), 0) << "created switched off";

    spectrum.SetActive(true);
    spectrum.UpdateFrame();
    EXPECT_EQ(NonBlack(spectrum.BackBuffer()), 5 * 61) << "band 10 up to row 60";
    source.playing = false;
    spectrum.UpdateFrame();
    EXPECT_EQ(NonBlack(spectrum.BackBuffer()), 0);

    for (int click = 0; click < 3; ++click) {
        test::Click(spectrum);
    }
    EXPECT_EQ(spectrum.Style(), TSpectrumStyle::ssNone);
    EXPECT_GT(NonBlack(test::Render(spectrum)), 0) << "stopped, a click shows the style at once";
    spectrum.SetActive(false);
    spectrum.UpdateFrame();
    EXPECT_GT(NonBlack(spectrum.BackBuffer()), 0) << "the hint shows in every case";
    for (int click = 0; click < 2; ++click) {
        test::Click(spectrum);
    }
    EXPECT_EQ(spectrum.Style(), TSpectrumStyle::ssBlock);
    EXPECT_EQ(NonBlack(test::Render(spectrum)), 0);
}

}  // namespace
}  // namespace vok
