#include "audio/AudioLibrary.h"

#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

namespace vok::audio {
namespace {

std::filesystem::path Fixture(const char* name) {
    return std::filesystem::path(VOK_AUDIO_FIXTURE_DIR) / name;
}

constexpr std::uint32_t kOpenFlags = kStreamUnicode | kStreamPrescan;

// Frees the device however the test ends, so one failed assertion cannot leave it open for the
// tests after it.
struct FreeAtExit {
    ~FreeAtExit() { Free(); }
};

// Polls for what a real audio thread does in its own time; false when it never happens.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class NullDevice : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(Init(kDeviceNull, 44100, 0)); }
    void TearDown() override { Free(); }

    static Handle Open(const char* name) {
        return StreamCreateFile(false, Fixture(name), 0, 0, kOpenFlags);
    }
    static double Seconds(Handle h) {
        return ChannelBytes2Seconds(h, ChannelGetPosition(h, kPosByte));
    }
    // One device buffer of slack on top of the latency: the hand-over grid.
    static double Slack() { return DeviceLatency() + DeviceBufferFrames() / 44100.0 + 1e-6; }
};

TEST_F(NullDevice, InitAndFreePairUp) {
    EXPECT_FALSE(Init(kDeviceNull, 44100, 0));  // already open
    EXPECT_TRUE(Free());
    EXPECT_FALSE(Free());
    EXPECT_EQ(StreamCreateFile(false, Fixture("cbr_stereo_44k.mp3"), 0, 0, kOpenFlags), 0u);
    EXPECT_TRUE(Init(kDeviceNull, 44100, 0));
    EXPECT_EQ(GetVersion() >> 16, kVersionExpected);
}

TEST_F(NullDevice, ByteUnitsFollowTheFileFormat) {
    const Handle stereo = Open("cbr_stereo_44k.mp3");
    const Handle mono = Open("vbr_mono_22k.mp3");
    ASSERT_NE(stereo, 0u);
    ASSERT_NE(mono, 0u);
    EXPECT_EQ(ChannelGetLength(stereo, kPosByte), 3u * 44100 * 4);
    EXPECT_DOUBLE_EQ(ChannelBytes2Seconds(stereo, ChannelGetLength(stereo, kPosByte)), 3.0);
    // Rounded down to a whole frame, never into the middle of one.
    EXPECT_EQ(ChannelSeconds2Bytes(mono, 0.5), 11025u * 2);
    EXPECT_EQ(ChannelSeconds2Bytes(mono, 1.0 / 22050 * 2.5), 2u * 2);
    EXPECT_EQ(ChannelSeconds2Bytes(stereo, 1.0 / 44100 * 3.99), 3u * 4);
    EXPECT_EQ(ChannelSeconds2Bytes(stereo, -2.0), 0u);
    ChannelInfo info;
    ASSERT_TRUE(ChannelGetInfo(mono, &info));
    EXPECT_EQ(info.chans, 1u);
    EXPECT_EQ(info.freq, 22050u);
    EXPECT_FALSE(ChannelGetInfo(mono, nullptr));
    EXPECT_EQ(ChannelGetLength(stereo, 1), kPositionError);  // only byte positions exist
}

TEST_F(NullDevice, ActiveStateSequence) {
    const Handle h = Open("short_mono_44k.mp3");
    ASSERT_NE(h, 0u);
    EXPECT_EQ(ChannelIsActive(h), kActiveStopped);
    EXPECT_FALSE(ChannelPause(h));  // nothing to pause
    ASSERT_TRUE(ChannelPlay(h, true));
    EXPECT_EQ(ChannelIsActive(h), kActivePlaying);
    NullDeviceAdvance(0.1);
    ASSERT_TRUE(ChannelPause(h));
    EXPECT_EQ(ChannelIsActive(h), kActivePaused);
    ASSERT_TRUE(ChannelPlay(h, false));
    EXPECT_EQ(ChannelIsActive(h), kActivePlaying);
    ASSERT_TRUE(ChannelStop(h));
    EXPECT_EQ(ChannelIsActive(h), kActiveStopped);
    ASSERT_TRUE(ChannelPlay(h, true));
    NullDeviceAdvance(0.4);  // the whole file handed over, but the last part is not heard yet
    EXPECT_EQ(ChannelIsActive(h), kActivePlaying);
    NullDeviceAdvance(Slack());
    EXPECT_EQ(ChannelIsActive(h), kActiveStopped);
    EXPECT_EQ(ChannelGetPosition(h, kPosByte), ChannelGetLength(h, kPosByte));
    // Playing an ended stream without restart starts it over.
    ASSERT_TRUE(ChannelPlay(h, false));
    EXPECT_EQ(ChannelGetPosition(h, kPosByte), 0u);
}

TEST_F(NullDevice, PositionIsTheHeardFrame) {
    const Handle h = Open("cbr_stereo_44k.mp3");
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(ChannelPlay(h, true));
    EXPECT_EQ(ChannelGetPosition(h, kPosByte), 0u);
    double last = 0.0;
    for (int step = 1; step <= 40; ++step) {
        NullDeviceAdvance(0.025);
        const double now = Seconds(h);
        ASSERT_GE(now, last) << "position went backwards at step " << step;
        ASSERT_LE(now, step * 0.025 + 1e-9);
        last = now;
    }
    EXPECT_GT(last, 1.0 - Slack());

    // Frozen while paused, continues from there.
    ASSERT_TRUE(ChannelPause(h));
    const std::uint64_t paused = ChannelGetPosition(h, kPosByte);
    NullDeviceAdvance(0.7);
    EXPECT_EQ(ChannelGetPosition(h, kPosByte), paused);
    ASSERT_TRUE(ChannelPlay(h, false));
    EXPECT_EQ(ChannelGetPosition(h, kPosByte), paused);
    NullDeviceAdvance(0.5);
    const double resumed = Seconds(h);
    EXPECT_GE(resumed, ChannelBytes2Seconds(h, paused) + 0.5 - Slack());
    EXPECT_LE(resumed, ChannelBytes2Seconds(h, paused) + 0.5 + 1e-9);
}

TEST_F(NullDevice, SeekIsReportedAtOnceAndPlaysOnFromThere) {
    const Handle h = Open("vorbis_stereo_48k.ogg");
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(ChannelPlay(h, true));
    NullDeviceAdvance(1.0);
    const std::uint64_t target = ChannelSeconds2Bytes(h, 2.0);
    ASSERT_TRUE(ChannelSetPosition(h, target, kPosByte));
    EXPECT_EQ(ChannelGetPosition(h, kPosByte), target);  // backwards is fine for a seek
    NullDeviceAdvance(0.3);
    EXPECT_GE(Seconds(h), 2.3 - Slack());
    EXPECT_LE(Seconds(h), 2.3 + 1e-9);
    // Seeking back to the start while playing.
    ASSERT_TRUE(ChannelSetPosition(h, 0, kPosByte));
    EXPECT_EQ(ChannelGetPosition(h, kPosByte), 0u);
    // Past the end is refused and changes nothing.
    EXPECT_FALSE(ChannelSetPosition(h, ChannelGetLength(h, kPosByte), kPosByte));
    EXPECT_EQ(ChannelIsActive(h), kActivePlaying);
    // A seek while paused stays paused at the new place.
    ASSERT_TRUE(ChannelPause(h));
    ASSERT_TRUE(ChannelSetPosition(h, target, kPosByte));
    EXPECT_EQ(ChannelIsActive(h), kActivePaused);
    EXPECT_EQ(ChannelGetPosition(h, kPosByte), target);
}

TEST_F(NullDevice, FreedAndUnknownHandlesAreHarmless) {
    const Handle h = Open("wma_mono_22k.wma");
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(ChannelPlay(h, true));
    NullDeviceAdvance(0.2);
    EXPECT_TRUE(StreamFree(h));
    EXPECT_FALSE(StreamFree(h));
    NullDeviceAdvance(0.2);
    for (const Handle bad : {h, Handle{0}, Handle{0xDEADBEEF}}) {
        EXPECT_FALSE(ChannelPlay(bad, true));
        EXPECT_FALSE(ChannelStop(bad));
        EXPECT_EQ(ChannelIsActive(bad), kActiveStopped);
        EXPECT_EQ(ChannelGetPosition(bad, kPosByte), kPositionError);
        EXPECT_LT(ChannelBytes2Seconds(bad, 100), 0.0);
        float data[1024];
        EXPECT_EQ(ChannelGetData(bad, data, kDataFft2048), kDataError);
    }
    EXPECT_EQ(StreamCreateFile(false, Fixture("nothing-here.mp3"), 0, 0, kOpenFlags), 0u);
}

QStringList* gAudioLog = nullptr;

void CollectAudioLog(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (gAudioLog != nullptr && QString::fromLatin1(context.category) == "vok.audio") {
        gAudioLog->append(message);
    }
}

TEST_F(NullDevice, WhyAFileCannotBeOpenedIsLogged) {
    QStringList log;
    gAudioLog = &log;
    const QtMessageHandler previous = qInstallMessageHandler(&CollectAudioLog);
    EXPECT_EQ(StreamCreateFile(false, Fixture("nothing-here.mp3"), 0, 0, kOpenFlags), 0u);
    EXPECT_EQ(StreamCreateFile(false, Fixture("rate_200hz.wav"), 0, 0, kOpenFlags), 0u);
    ASSERT_NE(Open("short_mono_44k.mp3"), 0u);  // debug output is off by default
    qInstallMessageHandler(previous);
    gAudioLog = nullptr;
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].contains("nothing-here.mp3") && log[0].contains("cannot open the file"))
        << log[0].toStdString();
    EXPECT_TRUE(log[1].contains("200 Hz")) << log[1].toStdString();
}

TEST_F(NullDevice, VolumeScalesOutputButNotAnalysisData) {
    const Handle h = Open("bin64_mono_44k.wav");
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(ChannelPlay(h, true));
    NullDeviceAdvance(0.2);
    EXPECT_NEAR(NullDeviceOutputPeak(), 1.0f, 0.01f);
    ASSERT_TRUE(SetVolume(0.5f));
    NullDeviceAdvance(0.05);
    EXPECT_NEAR(NullDeviceOutputPeak(), 0.5f, 0.01f);
    ASSERT_TRUE(SetVolume(0.0f));
    NullDeviceAdvance(0.05);
    EXPECT_EQ(NullDeviceOutputPeak(), 0.0f);
    std::vector<float> fft(1024);
    ASSERT_EQ(ChannelGetData(h, fft.data(), kDataFft2048), 4096u);
    EXPECT_NEAR(fft[64], 0.5f, 0.01f);
    EXPECT_FALSE(SetVolume(-1.0f));
    SetVolume(1.0f);
}

TEST_F(NullDevice, SurroundChannelsAreMixedDownNotDropped) {
    const Handle h = Open("centre_only_51.wav");
    ASSERT_NE(h, 0u);
    ChannelInfo info;
    ASSERT_TRUE(ChannelGetInfo(h, &info));
    EXPECT_EQ(info.chans, 6u);
    ASSERT_TRUE(ChannelPlay(h, true));
    NullDeviceAdvance(0.3);
    EXPECT_GT(NullDeviceOutputPeak(), 0.2f);
    EXPECT_LE(NullDeviceOutputPeak(), 1.0f);
    NullDeviceAdvance(0.7 + Slack());
    EXPECT_EQ(ChannelIsActive(h), kActiveStopped);
    EXPECT_EQ(ChannelGetPosition(h, kPosByte), ChannelGetLength(h, kPosByte));
}

TEST_F(NullDevice, FftOfSineOnABinSilenceAndOneSidedStereo) {
    struct Case {
        const char* file;
        float bin64;
    };
    for (const Case& c : {Case{"bin64_mono_44k.wav", 0.5f}, Case{"bin64_left_44k.wav", 0.25f},
                          Case{"silence_stereo_44k.wav", 0.0f}}) {
        SCOPED_TRACE(c.file);
        const Handle h = Open(c.file);
        ASSERT_NE(h, 0u);
        ASSERT_TRUE(ChannelPlay(h, true));
        NullDeviceAdvance(0.3);
        std::vector<float> fft(1024, -1.0f);
        ASSERT_EQ(ChannelGetData(h, fft.data(), kDataFft2048), 4096u);
        EXPECT_NEAR(fft[64], c.bin64, 1e-3);
        EXPECT_NEAR(fft[63], c.bin64 / 2, 1e-3);  // Hann leaks half into each neighbour
        for (std::size_t k = 0; k < fft.size(); ++k) {
            if (k < 62 || k > 66) {
                ASSERT_LT(fft[k], 1e-4) << "bin " << k;
            }
        }
        StreamFree(h);
    }
}

TEST_F(NullDevice, FloatSampleDataIsInterleavedAtTheHeardFrame) {
    const Handle h = Open("bin64_left_44k.wav");
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(ChannelPlay(h, true));
    NullDeviceAdvance(0.3);
    ASSERT_TRUE(ChannelPause(h));
    std::vector<float> data(2 * 200, 9.0f);
    ASSERT_EQ(ChannelGetData(h, data.data(), kDataFloat | 2 * 200 * 4), 1600u);
    // Consecutive left samples follow the sine's recurrence x[n+1] = 2cos(w)x[n] - x[n-1].
    const double twoCos = 2.0 * std::cos(2.0 * 3.14159265358979 * 1378.125 / 44100.0);
    for (std::size_t i = 1; i + 1 < 200; ++i) {
        ASSERT_NEAR(data[2 * (i + 1)], twoCos * data[2 * i] - data[2 * (i - 1)], 1e-4);
    }
    float leftPeak = 0.0f;
    float rightPeak = 0.0f;
    for (std::size_t i = 0; i < 200; ++i) {
        leftPeak = std::max(leftPeak, std::abs(data[2 * i]));
        rightPeak = std::max(rightPeak, std::abs(data[2 * i + 1]));
    }
    EXPECT_GT(leftPeak, 0.99f);
    EXPECT_EQ(rightPeak, 0.0f);
    EXPECT_EQ(ChannelGetData(h, data.data(), 0x12345), kDataError);
}

TEST(UnusualRates, HighRateSpectrumLowRateEndAndBrokenRateRefusal) {
    FreeAtExit freeAtExit;
    ASSERT_TRUE(Init(kDeviceNull, 44100, 0));
    // 192 kHz: with the decoder a full ring ahead, the heard frame must still be in the history.
    const Handle high =
        StreamCreateFile(false, Fixture("bin16_mono_192k.wav"), 0, 0, kStreamUnicode);
    ASSERT_NE(high, 0u);
    ASSERT_TRUE(ChannelPlay(high, true));
    NullDeviceAdvance(0.3);
    // Let the decoder run a nearly full buffer ahead.
    ASSERT_TRUE(WaitUntil([high] {
        return ChannelGetData(high, nullptr, kDataAvailable) >= ChannelSeconds2Bytes(high, 0.25);
    }));
    std::vector<float> fft(1024);
    ASSERT_EQ(ChannelGetData(high, fft.data(), kDataFft2048), 4096u);
    EXPECT_NEAR(fft[16], 0.5f, 0.01f);
    // A header claiming 200 Hz is refused, not played at a crawl.
    EXPECT_EQ(StreamCreateFile(false, Fixture("rate_200hz.wav"), 0, 0, kStreamUnicode), 0u);
    EXPECT_TRUE(Free());

    // 2 kHz on a 192 kHz device: one decoded chunk is many device frames; it must still fit the
    // buffer, so the song plays to its end.
    ASSERT_TRUE(Init(kDeviceNull, 192000, 0));
    const Handle low = StreamCreateFile(false, Fixture("sine_mono_2k.wav"), 0, 0, kStreamUnicode);
    ASSERT_NE(low, 0u);
    ASSERT_TRUE(ChannelPlay(low, true));
    NullDeviceAdvance(0.5);
    EXPECT_EQ(ChannelIsActive(low), kActivePlaying);
    EXPECT_NEAR(ChannelBytes2Seconds(low, ChannelGetPosition(low, kPosByte)), 0.5, 0.05);
    NullDeviceAdvance(0.5 + DeviceLatency() + 0.01);
    EXPECT_EQ(ChannelIsActive(low), kActiveStopped);
    EXPECT_TRUE(Free());
}

TEST(SdlDevice, PlaysThroughTheDummyDriver) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    FreeAtExit freeAtExit;
    ASSERT_TRUE(Init(kDeviceDefault, 44100, 0));
    const Handle h = StreamCreateFile(false, Fixture("vbr_mono_22k.mp3"), 0, 0, kOpenFlags);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(ChannelPlay(h, true));
    EXPECT_TRUE(WaitUntil([h] { return ChannelGetPosition(h, kPosByte) > 0; }));
    EXPECT_EQ(ChannelIsActive(h), kActivePlaying);
    EXPECT_TRUE(StreamFree(h));
    EXPECT_TRUE(Free());
}

// What a stream sounded like from now until it stopped: the recorded output, the device time its
// end was reported at, and its position then.
struct Heard {
    std::vector<float> sound;  // interleaved stereo
    double stoppedAt = 0.0;
    std::uint64_t endPosition = 0;
    bool stayedStopped = true;
};

Heard PlayToEnd(Handle h, const std::function<void(double)>& atEachBuffer = {}) {
    Heard heard;
    NullDeviceRecord(&heard.sound);
    const double buffer = DeviceBufferFrames() / 44100.0;
    double t = 0.0;
    for (; t < 12.0 && ChannelIsActive(h) != kActiveStopped; t += buffer) {
        if (atEachBuffer) {
            atEachBuffer(t);
        }
        NullDeviceAdvance(buffer);
    }
    heard.stoppedAt = t;
    heard.endPosition = ChannelGetPosition(h, kPosByte);
    NullDeviceAdvance(0.2);
    heard.stayedStopped = ChannelIsActive(h) == kActiveStopped;
    NullDeviceRecord(nullptr);
    return heard;
}

// First and last frame of the left channel louder than a tenth of full scale.
std::pair<std::size_t, std::size_t> SoundSpan(const std::vector<float>& sound) {
    std::size_t first = sound.size() / 2;
    std::size_t last = 0;
    for (std::size_t i = 0; i < sound.size() / 2; ++i) {
        if (std::abs(sound[2 * i]) > 0.1f) {
            first = std::min(first, i);
            last = i;
        }
    }
    return {first, last};
}

// Frequency of the left channel over frames [from, to), from interpolated rising zero crossings.
double Frequency(const std::vector<float>& sound, std::size_t from, std::size_t to) {
    std::vector<double> crossings;
    for (std::size_t i = from + 1; i < to; ++i) {
        const float a = sound[2 * (i - 1)];
        const float b = sound[2 * i];
        if (a < 0.0f && b >= 0.0f) {
            crossings.push_back(static_cast<double>(i - 1) + a / (a - b));
        }
    }
    return crossings.size() < 2
               ? 0.0
               : (crossings.size() - 1) * 44100.0 / (crossings.back() - crossings.front());
}

struct ShapedCase {
    const char* file;
    double seconds;
    int key;
    int tempo;
    double seekSeconds;
};

class ShapedTone : public NullDevice, public ::testing::WithParamInterface<ShapedCase> {};

// The key sets the pitch alone, the tempo the duration alone; a seek lands where it lands
// unshaped, and the end comes once, with the last sample heard.
TEST_P(ShapedTone, PitchDurationSeekAndEnd) {
    const ShapedCase c = GetParam();
    const Handle h = Open(c.file);
    ASSERT_NE(h, 0u);
    SoundShaping shaping;
    shaping.KeySemitones = c.key;
    shaping.TempoPercent = c.tempo;
    ASSERT_TRUE(ChannelSetShaping(h, shaping));
    ASSERT_TRUE(ChannelPlay(h, true));
    ASSERT_TRUE(ChannelSetPosition(h, ChannelSeconds2Bytes(h, c.seekSeconds), kPosByte));
    EXPECT_NEAR(Seconds(h), c.seekSeconds, 1e-9);
    const Heard heard = PlayToEnd(h);
    const auto [first, last] = SoundSpan(heard.sound);
    const double buffer = DeviceBufferFrames() / 44100.0;
    const double expected = (c.seconds - c.seekSeconds) * 100.0 / c.tempo;
    EXPECT_NEAR((last - first) / 44100.0, expected, buffer);
    const std::size_t quarter = (last - first) / 4;
    EXPECT_NEAR(Frequency(heard.sound, first + quarter, last - quarter),
                440.0 * std::pow(2.0, c.key / 12.0), 0.5);
    // After a seek the stretcher starts on the song before the target: level from the first period.
    float quietest = 0.5f;
    for (std::size_t from = first; c.seekSeconds > 0.0 && from < first + 2205; from += 22) {
        quietest = std::min(
            quietest, *std::max_element(&heard.sound[2 * from], &heard.sound[2 * (from + 110)]));
    }
    EXPECT_GT(quietest, 0.4f);
    EXPECT_EQ(heard.endPosition, ChannelGetLength(h, kPosByte));
    EXPECT_GE(heard.stoppedAt, last / 44100.0);
    EXPECT_LE(heard.stoppedAt, last / 44100.0 + Slack() + buffer);
    EXPECT_TRUE(heard.stayedStopped);
}

constexpr const char* kTone = "tone440_stereo_44k.wav";
INSTANTIATE_TEST_SUITE_P(
    KeysTemposSeeks, ShapedTone,
    ::testing::Values(ShapedCase{kTone, 3.0, 0, 100, 0.0}, ShapedCase{kTone, 3.0, 2, 100, 0.0},
                      ShapedCase{kTone, 3.0, 0, 90, 0.0}, ShapedCase{kTone, 3.0, 0, 90, 1.0},
                      ShapedCase{kTone, 3.0, -3, 120, 1.5}, ShapedCase{kTone, 3.0, 2, 90, 1.25},
                      ShapedCase{"tone_71_96k.wav", 1.0, 3, 80, 0.0}));

TEST_F(NullDevice, KeyZeroTempoHundredIsThePlainSoundSampleForSample) {
    std::vector<float> runs[2];
    for (int run = 0; run < 2; ++run) {
        const Handle h = Open("vorbis_stereo_48k.ogg");
        ASSERT_NE(h, 0u);
        if (run == 1) {
            SoundShaping raised;
            raised.KeySemitones = 2;
            ASSERT_TRUE(ChannelSetShaping(h, raised));
            ASSERT_TRUE(ChannelSetShaping(h, SoundShaping{}));
        }
        ASSERT_TRUE(ChannelPlay(h, true));
        runs[run] = PlayToEnd(h).sound;
        ASSERT_GT(runs[run].size(), 44100u);
        StreamFree(h);
    }
    for (auto& sound : runs) {
        while (!sound.empty() && sound.back() == 0.0f) {
            sound.pop_back();  // the silence after the end, as long as the stop took to see
        }
    }
    EXPECT_TRUE(runs[0] == runs[1]);
}

// A change while playing: heard within 100 ms, no click, the position runs on at the new tempo.
TEST_F(NullDevice, KeyAndTempoChangeWhilePlaying) {
    const Handle h = Open("tone440_stereo_44k.wav");
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(ChannelPlay(h, true));
    double positionAtChange = 0.0;
    double positionLater = 0.0;
    const Heard heard = PlayToEnd(h, [&](double t) {
        if (std::abs(t - 1.0) < 0.01) {
            // As on a real device, whose clock gives the decoder time to fill the ring.
            EXPECT_TRUE(WaitUntil([h] { return ChannelGetData(h, nullptr, 0) > 32768; }));
            positionAtChange = Seconds(h);
            ChannelSetShaping(h, SoundShaping{2, 90, false, 0.0});
        } else if (std::abs(t - 2.0) < 0.01) {
            positionLater = Seconds(h);
        }
    });
    // 1.0 s of device time at 90 % after the change, less what the lead still played unshaped.
    EXPECT_NEAR(positionLater - positionAtChange, 0.9, 0.01);
    const std::size_t change = 44100;
    EXPECT_NEAR(Frequency(heard.sound, change + 4410, change + 8820), 493.9, 1.5);
    float jump = 0.0f;
    for (std::size_t i = 1; i < heard.sound.size() / 2; ++i) {
        jump = std::max(jump, std::abs(heard.sound[2 * i] - heard.sound[2 * i - 2]));
    }
    EXPECT_LT(jump, 0.08f);  // a sine of 0.5 at 494 Hz moves 0.035 a sample at most
    EXPECT_EQ(heard.endPosition, ChannelGetLength(h, kPosByte));
}

struct VocalsCase {
    const char* file;
    double keptLow;
    double keptHigh;
};

class VocalsReduced : public NullDevice, public ::testing::WithParamInterface<VocalsCase> {};

// What is the same in both channels goes, but for the bass; what is in one channel stays.
TEST_P(VocalsReduced, CentreGoesBassAndSidesStay) {
    const VocalsCase c = GetParam();
    double energy[2] = {0.0, 0.0};
    for (int reduced = 0; reduced < 2; ++reduced) {
        const Handle h = Open(c.file);
        ASSERT_NE(h, 0u);
        ASSERT_TRUE(ChannelSetShaping(h, SoundShaping{0, 100, reduced == 1, 0.0}));
        ASSERT_TRUE(ChannelPlay(h, true));
        const Heard heard = PlayToEnd(h);
        for (std::size_t i = 22050; i < 44100; ++i) {  // 0.5 … 1 s, past the filter's start
            energy[reduced] += heard.sound[2 * i] * heard.sound[2 * i];
        }
        StreamFree(h);
    }
    const double kept = std::sqrt(energy[1] / energy[0]);
    EXPECT_GE(kept, c.keptLow);
    EXPECT_LE(kept, c.keptHigh);
}

INSTANTIATE_TEST_SUITE_P(Tones, VocalsReduced,
                         ::testing::Values(VocalsCase{"tone440_stereo_44k.wav", 0.0, 0.02},
                                           VocalsCase{"bass60_stereo_44k.wav", 0.9, 1.05},
                                           VocalsCase{"bin64_left_44k.wav", 0.45, 0.55}));

}  // namespace
}  // namespace vok::audio
