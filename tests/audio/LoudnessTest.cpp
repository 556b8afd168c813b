#include "audio/Loudness.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <cmath>
#include <functional>
#include <numbers>

namespace vok::audio {
namespace {

constexpr int kRate = 48000;
const std::atomic<bool> kGoOn{false};

// A mono float WAV of `seconds`, each sample from `wave` (the time in seconds), times `gain`.
std::filesystem::path WriteWav(const test::TempDir& dir, const QString& name, double seconds,
                               const std::function<double(double)>& wave, double gainDb = 0.0) {
    const auto frames = static_cast<quint32>(seconds * kRate);
    const double scale = std::pow(10.0, gainDb / 20.0);
    QByteArray data(static_cast<qsizetype>(frames) * 4, Qt::Uninitialized);
    for (quint32 i = 0; i < frames; ++i) {
        qToLittleEndian(static_cast<float>(scale * wave(double(i) / kRate)), data.data() + i * 4);
    }
    QByteArray wav("RIFF....WAVEfmt ");
    const auto add32 = [&wav](quint32 v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
    const auto add16 = [&wav](quint16 v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
    add32(16);
    add16(3);  // IEEE float
    add16(1);
    add32(kRate);
    add32(kRate * 4);
    add16(4);
    add16(32);
    wav.append("data");
    add32(static_cast<quint32>(data.size()));
    wav.append(data);
    qToLittleEndian(static_cast<quint32>(wav.size() - 8), wav.data() + 4);
    return dir.Write(name, wav).toStdString();
}

double Sine(double t, double peakDb) {
    return std::pow(10.0, peakDb / 20.0) * std::sin(2.0 * std::numbers::pi * 1000.0 * t);
}

TEST(Loudness, TonesTwelveDecibelsApartComeOutAtTheTarget) {
    const test::TempDir dir;
    const double target = kDefaultTargetLufs;
    std::vector<double> after;
    for (const double peakDb : {-6.0, -18.0}) {
        const auto wave = [peakDb](double t) { return Sine(t, peakDb); };
        const auto measured = MeasureLoudness(WriteWav(dir, "tone.wav", 5.0, wave), kGoOn);
        ASSERT_TRUE(measured);
        const double gain = GainForLoudness(*measured, target);
        const auto evened = MeasureLoudness(WriteWav(dir, "even.wav", 5.0, wave, gain), kGoOn);
        ASSERT_TRUE(evened);
        EXPECT_NEAR(evened->IntegratedLufs, target, 0.5);
        after.push_back(evened->IntegratedLufs);
    }
    EXPECT_NEAR(after[0], after[1], 0.5);
}

TEST(Loudness, AQuietSongPeakingAtFullScaleIsNotPushedAboveTheCeiling) {
    const test::TempDir dir;
    // A soft tone with a full-scale click every second: far below the target, peaks at 0 dBFS.
    const auto wave = [](double t) {
        return std::fmod(t, 1.0) < 1.0 / kRate ? 1.0 : Sine(t, -30.0);
    };
    const auto measured = MeasureLoudness(WriteWav(dir, "clicks.wav", 5.0, wave), kGoOn);
    ASSERT_TRUE(measured);
    EXPECT_GT(measured->TruePeakDbtp, -0.5);
    const double gain = GainForLoudness(*measured, kDefaultTargetLufs);
    const auto evened = MeasureLoudness(WriteWav(dir, "even.wav", 5.0, wave, gain), kGoOn);
    ASSERT_TRUE(evened);
    EXPECT_LE(evened->TruePeakDbtp, kPeakCeilingDbtp + 0.05);
}

TEST(Loudness, BrokenSilentOrCancelledGivesNothing) {
    const test::TempDir dir;
    const std::atomic<bool> cancelled{true};
    const auto tone = WriteWav(dir, "tone.wav", 2.0, [](double t) { return Sine(t, -6.0); });
    EXPECT_FALSE(MeasureLoudness(tone, cancelled));
    EXPECT_FALSE(
        MeasureLoudness(WriteWav(dir, "quiet.wav", 2.0, [](double) { return 0.0; }), kGoOn));
    EXPECT_FALSE(
        MeasureLoudness(dir.Write("junk.mp3", QByteArray(5000, 'x')).toStdString(), kGoOn));
}

}  // namespace
}  // namespace vok::audio
