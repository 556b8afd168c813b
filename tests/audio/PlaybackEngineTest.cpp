#include "audio/AudioLibrary.h"
#include "audio/PlaybackEngine.h"
#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

#include <limits>

namespace vok::test {
namespace {

// Songs generated at build time: sine20.mp3 (20 s), short.mp3 (0.5 s), sine3.ogg (3 s).
QString Song(const char* name) {
    return QStringLiteral(VOK_ENGINE_FIXTURES "/") + QString::fromUtf8(name);
}

bool IsOpen(audio::Handle stream) {
    return audio::ChannelGetLength(stream, audio::kPosByte) != audio::kPositionError;
}

// An engine on the null output device, whose clock moves only when a test advances it.
class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(engine.StartAudio(audio::kDeviceNull), AudioStartup::Ready); }

    void Open(const char* name) { ASSERT_TRUE(engine.OpenSong(Song(name))); }

    // Plays the open song from second `seconds`; the tick reads the position there.
    void PlayAt(double seconds) {
        ASSERT_TRUE(engine.StartPlay());
        const auto stream = engine.Stream();
        audio::ChannelSetPosition(stream, audio::ChannelSeconds2Bytes(stream, seconds),
                                  audio::kPosByte);
        engine.ReadPosition();
    }

    // Where the stream stands now, without touching PositionMs.
    int HeardMs() const {
        const auto stream = engine.Stream();
        return static_cast<int>(
            1000.0 * audio::ChannelBytes2Seconds(stream, audio::ChannelGetPosition(stream, 0)));
    }

    // It frees its stream and releases the output when it goes, whatever a test asserted.
    PlaybackEngine engine;
};

TEST(PlaybackStartup, FailedInitMakesEveryStreamFail) {
    PlaybackEngine owner;
    ASSERT_EQ(owner.StartAudio(audio::kDeviceNull), AudioStartup::Ready);
    {
        // The output is taken, so this engine cannot initialise it.
        PlaybackEngine second;
        EXPECT_EQ(second.StartAudio(audio::kDeviceNull), AudioStartup::NoOutput);
        EXPECT_FALSE(second.OpenSong(Song("sine20.mp3")));
        EXPECT_FALSE(second.StartPlay());
        EXPECT_EQ(second.State(), PlayState::NoSong);
    }
    // Going away, the failed engine must not release the output it never opened.
    EXPECT_TRUE(owner.OpenSong(Song("sine3.ogg")));
}

TEST_F(EngineTest, OpeningGoodShortMissingAndNonAudioFiles) {
    Open("sine20.mp3");
    EXPECT_NEAR(engine.LengthMs(), 20000, 30);
    EXPECT_EQ(engine.SongPath(), Song("sine20.mp3"));
    Open("short.mp3");
    EXPECT_GT(engine.LengthMs(), 400);
    EXPECT_LT(engine.LengthMs(), 1000);

    // Failures leave SongPath alone: the lyric search falls back on it.
    TempDir dir;
    EXPECT_FALSE(engine.OpenSong(Song("nothing-here.mp3")));
    EXPECT_FALSE(engine.OpenSong(dir.Write("notes.mp3", "words, not sound\n")));
    ASSERT_TRUE(QDir(dir.Path()).mkdir("folder.mp3"));
    EXPECT_FALSE(engine.OpenSong(dir.FilePath("folder.mp3")));
    EXPECT_EQ(engine.Stream(), 0U);
    EXPECT_EQ(engine.LengthMs(), 0);
    EXPECT_EQ(engine.SongPath(), Song("short.mp3"));
}

TEST_F(EngineTest, VolumeGainAndLimits) {
    struct Case {
        int value;
        float gain;
    };
    for (const Case& c : {Case{0, 0.0F}, Case{255, 1.0F}, Case{127, 0.5F}}) {
        engine.ChangeVolume(c.value);
        EXPECT_FLOAT_EQ(audio::GetVolume(), c.gain) << c.value;
    }
    engine.ChangeVolume(250);
    EXPECT_TRUE(engine.VolumeUp());
    EXPECT_EQ(engine.Volume(), 255);
    EXPECT_FALSE(engine.VolumeUp());
    engine.ChangeVolume(17);
    EXPECT_TRUE(engine.VolumeDown());
    EXPECT_EQ(engine.Volume(), 1);
    engine.ChangeVolume(16);
    EXPECT_FALSE(engine.VolumeDown()) << "at 16 or below keypad minus does nothing";
    EXPECT_EQ(engine.Volume(), 16);
    engine.ChangeVolume(300);  // a hand-edited settings file
    EXPECT_EQ(engine.Volume(), 255);
    engine.ChangeVolume(-4);
    EXPECT_EQ(engine.Volume(), 0);
}

TEST_F(EngineTest, JumpLimits) {
    Open("sine20.mp3");
    engine.SetJumpTime(5);
    PlayAt(3.5);
    engine.JumpBack();
    EXPECT_EQ(HeardMs(), 3500);
    PlayAt(12.9);
    engine.JumpBack();
    EXPECT_EQ(HeardMs(), 7000);
    PlayAt(engine.LengthMs() / 1000.0 - 4.0);
    const int nearEnd = HeardMs();
    engine.JumpForward();
    EXPECT_EQ(HeardMs(), nearEnd);
    PlayAt(5.7);
    engine.JumpForward();
    EXPECT_EQ(HeardMs(), 10000);

    engine.SetJumpTime(std::numeric_limits<int>::max());  // must not wrap
    engine.JumpBack();
    engine.JumpForward();
    EXPECT_EQ(HeardMs(), 10000);

    // Paused: the keys do nothing at all.
    engine.SetJumpTime(5);
    EXPECT_EQ(engine.PauseOrResume(), PauseOutcome::Paused);
    EXPECT_FALSE(engine.JumpBack());
    EXPECT_EQ(HeardMs(), 10000);
}

TEST_F(EngineTest, SeekToFractionStaysInsideTheSong) {
    Open("sine20.mp3");
    PlayAt(3.0);
    EXPECT_TRUE(engine.SeekToFraction(0.5));
    EXPECT_EQ(HeardMs(), engine.LengthMs() / 2000 * 1000);
    EXPECT_TRUE(engine.SeekToFraction(-3.0));
    EXPECT_EQ(HeardMs(), 0);
    EXPECT_FALSE(engine.SeekToFraction(std::numeric_limits<double>::quiet_NaN()));
}

TEST_F(EngineTest, PauseTwiceResumesWhereItWas) {
    Open("sine20.mp3");
    PlayAt(2.0);
    audio::NullDeviceAdvance(1.0);
    EXPECT_EQ(engine.PauseOrResume(), PauseOutcome::Paused);
    EXPECT_EQ(engine.State(), PlayState::Paused);
    const int pausedAt = engine.ReadPosition();
    audio::NullDeviceAdvance(2.0);
    EXPECT_EQ(engine.ReadPosition(), pausedAt);

    EXPECT_EQ(engine.PauseOrResume(), PauseOutcome::Resumed);
    EXPECT_EQ(engine.State(), PlayState::Playing);
    audio::NullDeviceAdvance(1.0);
    EXPECT_GT(engine.ReadPosition(), pausedAt);
    EXPECT_LE(engine.PositionMs(), pausedAt + 1000);
}

TEST_F(EngineTest, PauseOnStoppedOrEndedStreamKeepsTheState) {
    Open("sine20.mp3");
    PlayAt(1.0);
    engine.Stoppa();
    EXPECT_EQ(engine.PauseOrResume(), PauseOutcome::None);
    EXPECT_EQ(engine.State(), PlayState::Idle);

    // Ended between two ticks: the next tick must still see the end and move on.
    Open("short.mp3");
    ASSERT_TRUE(engine.StartPlay());
    audio::NullDeviceAdvance(2.0);
    EXPECT_EQ(engine.PauseOrResume(), PauseOutcome::None);
    EXPECT_EQ(engine.State(), PlayState::Playing);
    EXPECT_FALSE(engine.IsPlaying());
    EXPECT_FALSE(engine.IsPaused());
}

TEST_F(EngineTest, StopTwiceKeepsTheStreamAndReleasesNothingTwice) {
    Open("sine20.mp3");
    PlayAt(4.0);
    const auto stream = engine.Stream();
    EXPECT_TRUE(engine.Stoppa());
    EXPECT_TRUE(engine.Stoppa());
    EXPECT_EQ(engine.State(), PlayState::Idle);
    EXPECT_EQ(engine.Stream(), stream);
    ASSERT_TRUE(engine.StartPlay());  // still usable, from its beginning
    audio::NullDeviceAdvance(0.5);
    EXPECT_TRUE(engine.IsPlaying());
    EXPECT_LT(engine.ReadPosition(), 1000);
}

TEST_F(EngineTest, UnloadWhilePausedStopsAndFrees) {
    Open("sine20.mp3");
    PlayAt(3.0);
    engine.PauseOrResume();
    const auto stream = engine.Stream();
    EXPECT_TRUE(engine.Unload());
    EXPECT_EQ(engine.Stream(), 0U);
    EXPECT_FALSE(IsOpen(stream));
    EXPECT_EQ(engine.State(), PlayState::Idle);
    EXPECT_EQ(engine.LengthMs(), 0);
    EXPECT_TRUE(engine.SongPath().isEmpty());

    // Without a stream nothing is released and the state stays.
    EXPECT_FALSE(engine.Stoppa());
    EXPECT_FALSE(engine.Unload());
    EXPECT_EQ(engine.State(), PlayState::NoSong);
}

TEST_F(EngineTest, StateTable) {
    EXPECT_FALSE(engine.OpenSong(Song("missing.mp3")));
    EXPECT_FALSE(engine.StartPlay());  // any → 3, nothing opened
    EXPECT_EQ(engine.State(), PlayState::NoSong);
    Open("short.mp3");
    const auto first = engine.Stream();
    EXPECT_TRUE(engine.StartPlay());  // any → 1
    EXPECT_EQ(engine.State(), PlayState::Playing);
    engine.PauseOrResume();  // 1 → 2
    EXPECT_EQ(engine.State(), PlayState::Paused);
    engine.PauseOrResume();  // 2 → 1
    EXPECT_EQ(engine.State(), PlayState::Playing);
    audio::NullDeviceAdvance(2.0);  // the song ends; the tick sets 0 and starts the next
    ASSERT_FALSE(engine.IsPlaying());
    EXPECT_LE(engine.ReadPosition(), engine.LengthMs());
    engine.SetState(PlayState::Idle);
    Open("sine3.ogg");
    EXPECT_FALSE(IsOpen(first));  // the previous stream went with it
    EXPECT_TRUE(engine.StartPlay());
    EXPECT_EQ(engine.State(), PlayState::Playing);
    engine.PauseOrResume();
    engine.Stoppa();  // 2 → 0 with a stream
    EXPECT_EQ(engine.State(), PlayState::Idle);
    EXPECT_TRUE(engine.StartPlay());
    engine.Unload();  // 1 → 0 by unloading
    EXPECT_EQ(engine.State(), PlayState::Idle);
    engine.Stoppa();  // any → 3 without a stream
    EXPECT_EQ(engine.State(), PlayState::NoSong);
}

TEST_F(EngineTest, ShapingHoldsItsLimitsAndAMonoSongRefusesVocalReduction) {
    Open("sine20.mp3");
    EXPECT_FALSE(engine.SetShaping({9, 150, true, 0.0}));
    EXPECT_EQ(engine.Shaping(),
              (audio::SoundShaping{audio::kMaxKeySemitones, audio::kMaxTempoPercent, false, 0.0}));
    Open("sine3.ogg");
    EXPECT_TRUE(engine.SetShaping({-9, 10, true, -3.0}));
    EXPECT_EQ(engine.Shaping(),
              (audio::SoundShaping{audio::kMinKeySemitones, audio::kMinTempoPercent, true, -3.0}));
}

}  // namespace
}  // namespace vok::test
