#include "audio/AudioLibrary.h"
#include "audio/PlaybackEngine.h"
#include "lyrics/Vokalento.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

#include <QDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

namespace vok::test {
namespace {

using ::testing::_;
using ::testing::Mock;
using ::testing::NiceMock;

class MockView : public PlayerView {
  public:
    MOCK_METHOD(void, RepaintPlaylist, (), (override));
    MOCK_METHOD(void, ClearPlayIndex, (), (override));
    MOCK_METHOD(void, ShowLogo, (), (override));
    MOCK_METHOD(void, SetLyricsDirty, (), (override));
    MOCK_METHOD(void, ReleaseBarImage, (), (override));
    MOCK_METHOD(void, SetSpectrumStream, (std::uint32_t), (override));
    MOCK_METHOD(void, ClearSpectrum, (), (override));
    MOCK_METHOD(void, SetLoadButtonsEnabled, (bool), (override));
    MOCK_METHOD(void, ShowNormalPlayButtons, (), (override));
    MOCK_METHOD(void, SetPauseButtonPicture, (bool), (override));
    MOCK_METHOD(void, SetVolumeBar, (int), (override));
    MOCK_METHOD(void, SetVolumeBarColor, (std::uint32_t), (override));
    MOCK_METHOD(void, StartTick, (), (override));
    MOCK_METHOD(void, StopTick, (), (override));
};

class MockPanel : public SongPanel {
  public:
    MOCK_METHOD(void, SetTitleLine, (const QString&), (override));
    MOCK_METHOD(void, SetInfoLine, (const QString&), (override));
    MOCK_METHOD(void, SetHint, (const QString&), (override));
    MOCK_METHOD(void, SetShowHint, (bool), (override));
    MOCK_METHOD(void, Clear, (), (override));
};

class MockMessages : public MessageSink {
  public:
    MOCK_METHOD(void, ShowError, (const QString&), (override));
    MOCK_METHOD(void, ShowMessage, (const QString&), (override));
};

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

    TVokalento song;
    NiceMock<MockView> view;
    NiceMock<MockPanel> panel;
    NiceMock<MockMessages> messages;
    // Last, so it goes first: it frees its stream and the output while the fakes still live.
    PlaybackEngine engine{song, view, panel, messages};
};

TEST(PlaybackStartup, FailedInitMakesEveryStreamFail) {
    TVokalento song;
    NiceMock<MockView> view;
    NiceMock<MockPanel> panel;
    NiceMock<MockMessages> messages;
    PlaybackEngine owner(song, view, panel, messages);
    ASSERT_EQ(owner.StartAudio(audio::kDeviceNull), AudioStartup::Ready);
    {
        // The output is taken, so this engine cannot initialise it.
        NiceMock<MockMessages> secondMessages;
        EXPECT_CALL(secondMessages, ShowMessage(QString("Fel vid initiering av ljuduppspelning")));
        EXPECT_CALL(secondMessages, ShowError(_)).Times(0);
        PlaybackEngine second(song, view, panel, secondMessages);
        EXPECT_EQ(second.StartAudio(audio::kDeviceNull), AudioStartup::NoOutput);
        EXPECT_FALSE(second.OpenSong(Song("sine20.mp3")));
        EXPECT_FALSE(second.StartPlay());
        EXPECT_EQ(second.PlayState(), playstate::NoSong);
    }
    // Going away, the failed engine must not release the output it never opened.
    EXPECT_TRUE(owner.OpenSong(Song("sine3.ogg")));
}

TEST_F(EngineTest, SongPanelForGoodShortMissingAndNonAudioFiles) {
    EXPECT_CALL(panel, SetTitleLine(QString("sine20.mp3")));
    EXPECT_CALL(panel, SetInfoLine(QString("Length: 00:00:20")));
    EXPECT_CALL(panel, SetHint(Song("sine20.mp3")));
    EXPECT_CALL(panel, SetShowHint(true));
    Open("sine20.mp3");
    EXPECT_NEAR(engine.LengthMs(), 20000, 30);
    Mock::VerifyAndClearExpectations(&panel);

    // Under a second: zero hours, minutes and seconds.
    EXPECT_CALL(panel, SetInfoLine(QString("Length: 00:00:00")));
    Open("short.mp3");
    EXPECT_GT(engine.LengthMs(), 400);
    EXPECT_LT(engine.LengthMs(), 1000);
    Mock::VerifyAndClearExpectations(&panel);

    // Failures leave SongPath alone: the lyric search falls back on it.
    TempDir dir;
    EXPECT_CALL(panel, SetTitleLine(QString("File missing"))).Times(2);
    EXPECT_CALL(panel, SetTitleLine(QString("notes.mp3")));
    EXPECT_CALL(panel, SetInfoLine(QString("Could not load file"))).Times(3);
    EXPECT_CALL(panel, SetShowHint(false)).Times(3);
    EXPECT_CALL(view, SetSpectrumStream(0U)).Times(3);
    EXPECT_FALSE(engine.OpenSong(Song("nothing-here.mp3")));
    EXPECT_FALSE(engine.OpenSong(dir.Write("notes.mp3", "words, not sound\n")));
    ASSERT_TRUE(QDir(dir.Path()).mkdir("folder.mp3"));
    EXPECT_FALSE(engine.OpenSong(dir.FilePath("folder.mp3")));
    EXPECT_EQ(engine.Stream(), 0U);
    EXPECT_EQ(engine.LengthMs(), 0);
    EXPECT_EQ(engine.SongPath(), Song("short.mp3"));
}

TEST_F(EngineTest, VolumeGainBarColourAndLimits) {
    struct Case {
        int value;
        float gain;
        std::uint32_t colour;
    };
    for (const Case& c :
         {Case{0, 0.0F, 0x02000000U}, Case{255, 1.0F, 0x0200FF00U}, Case{127, 0.5F, 0x02007F00U}}) {
        EXPECT_CALL(view, SetVolumeBar(c.value));
        EXPECT_CALL(view, SetVolumeBarColor(c.colour));
        engine.SetVolume(c.value);
        EXPECT_FLOAT_EQ(audio::GetVolume(), c.gain) << c.value;
        Mock::VerifyAndClearExpectations(&view);
    }
    engine.ChangeVolume(250);
    engine.VolumeUp();
    EXPECT_EQ(engine.Volume(), 255);
    engine.ChangeVolume(17);
    engine.VolumeDown();
    EXPECT_EQ(engine.Volume(), 1);
    engine.ChangeVolume(16);
    EXPECT_CALL(view, SetVolumeBar(_)).Times(0);
    engine.VolumeDown();
    EXPECT_EQ(engine.Volume(), 16);
    Mock::VerifyAndClearExpectations(&view);
    engine.ChangeVolume(127);
    EXPECT_CALL(view, SetVolumeBar(_)).Times(0);
    engine.VolBarMouseMove(0, false);  // no left button
    engine.VolBarMouseMove(32, true);  // same value
    Mock::VerifyAndClearExpectations(&view);

    EXPECT_EQ(PlaybackEngine::VolumeFromBar(32, 64), 127);
    EXPECT_EQ(PlaybackEngine::VolumeFromBar(-40, 64), 255);
    EXPECT_EQ(PlaybackEngine::VolumeFromBar(200, 64), 0);
    EXPECT_EQ(PlaybackEngine::VolumeFromBar(std::numeric_limits<int>::min(), 64), 255);
    EXPECT_EQ(PlaybackEngine::VolumeFromBar(10, 0), 0);
    engine.ChangeVolume(300);  // a hand-edited settings file
    EXPECT_EQ(engine.Volume(), 255);
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
    engine.PausBtnClick();
    engine.SetCurrentLine(4);
    EXPECT_CALL(view, SetLyricsDirty()).Times(0);
    engine.JumpBack();
    EXPECT_EQ(HeardMs(), 10000);
    EXPECT_EQ(engine.CurrentLine(), 4);
}

// After a jump the line is the one at the position before the jump (the next tick corrects it);
// after a seek, the one at the target.
TEST_F(EngineTest, JumpsAndSeeksSetTheCurrentLine) {
    TempDir dir;
    ASSERT_TRUE(song.LoadFromFile(LyricFileWriter(2)
                                      .Line(2000, 4000, "one")
                                      .Line(6000, 9000, "two")
                                      .Line(11000, 14000, "three")
                                      .Write(dir.FilePath("song.vok"))));
    Open("sine20.mp3");
    engine.SetJumpTime(5);
    EXPECT_CALL(view, SetLyricsDirty()).Times(4);
    PlayAt(12.9);
    engine.JumpBack();
    EXPECT_EQ(engine.CurrentLine(), 3);
    PlayAt(3.5);
    engine.JumpBack();  // no jump, the line is still taken
    EXPECT_EQ(engine.CurrentLine(), 1);

    engine.SeekToFraction(0.5);
    EXPECT_EQ(HeardMs(), engine.LengthMs() / 2000 * 1000);
    EXPECT_EQ(engine.CurrentLine(), 2);
    engine.SeekToFraction(-3.0);
    EXPECT_EQ(HeardMs(), 0);
    engine.SeekToFraction(std::numeric_limits<double>::quiet_NaN());
}

TEST_F(EngineTest, PauseTwiceResumesWhereItWas) {
    Open("sine20.mp3");
    PlayAt(2.0);
    audio::NullDeviceAdvance(1.0);
    EXPECT_CALL(view, SetPauseButtonPicture(true));
    engine.PausBtnClick();
    EXPECT_EQ(engine.PlayState(), playstate::Paused);
    const int pausedAt = engine.ReadPosition();
    audio::NullDeviceAdvance(2.0);
    EXPECT_EQ(engine.ReadPosition(), pausedAt);

    // The tick switched itself off while paused; resuming must start it again.
    EXPECT_CALL(view, StartTick());
    EXPECT_CALL(view, SetPauseButtonPicture(false));
    engine.PausBtnClick();
    EXPECT_EQ(engine.PlayState(), playstate::Playing);
    audio::NullDeviceAdvance(1.0);
    EXPECT_GT(engine.ReadPosition(), pausedAt);
    EXPECT_LE(engine.PositionMs(), pausedAt + 1000);
}

TEST_F(EngineTest, PauseOnStoppedOrEndedStreamKeepsTheState) {
    Open("sine20.mp3");
    PlayAt(1.0);
    engine.Stoppa();
    engine.PausBtnClick();
    EXPECT_EQ(engine.PlayState(), playstate::Idle);

    // Ended between two ticks: the next tick must still see the end and move on.
    Open("short.mp3");
    ASSERT_TRUE(engine.StartPlay());
    audio::NullDeviceAdvance(2.0);
    engine.PausBtnClick();
    EXPECT_EQ(engine.PlayState(), playstate::Playing);
    EXPECT_FALSE(engine.IsPlaying());
    EXPECT_FALSE(engine.IsPaused());
}

TEST_F(EngineTest, StopTwiceKeepsTheStreamAndReleasesNothingTwice) {
    Open("sine20.mp3");
    PlayAt(4.0);
    engine.SetCurrentLine(3);
    EXPECT_CALL(view, StopTick()).Times(2);
    EXPECT_CALL(view, ShowLogo()).Times(2);
    EXPECT_CALL(view, ClearSpectrum()).Times(2);
    EXPECT_CALL(view, SetLoadButtonsEnabled(true)).Times(2);
    EXPECT_CALL(view, ClearPlayIndex()).Times(0);
    const auto stream = engine.Stream();
    engine.Stoppa();
    engine.Stoppa();
    EXPECT_EQ(engine.PlayState(), playstate::Idle);
    EXPECT_EQ(engine.CurrentLine(), 0);
    EXPECT_EQ(engine.Stream(), stream);
    ASSERT_TRUE(engine.StartPlay());  // still usable, from its beginning
    audio::NullDeviceAdvance(0.5);
    EXPECT_TRUE(engine.IsPlaying());
    EXPECT_LT(engine.ReadPosition(), 1000);
}

TEST_F(EngineTest, UnloadWhilePausedStopsAndFrees) {
    Open("sine20.mp3");
    PlayAt(3.0);
    engine.PausBtnClick();
    const auto stream = engine.Stream();
    EXPECT_CALL(panel, Clear()).Times(2);
    EXPECT_CALL(view, ClearPlayIndex());
    engine.UnloadMP3BtnClick();
    EXPECT_EQ(engine.Stream(), 0U);
    EXPECT_FALSE(IsOpen(stream));
    EXPECT_EQ(engine.PlayState(), playstate::Idle);
    EXPECT_EQ(engine.LengthMs(), 0);
    EXPECT_TRUE(engine.SongPath().isEmpty());

    // Without a stream only the panel is cleared.
    engine.Stoppa();
    EXPECT_CALL(view, ClearPlayIndex()).Times(0);
    engine.UnloadMP3BtnClick();
    EXPECT_EQ(engine.PlayState(), playstate::NoSong);
}

TEST_F(EngineTest, StateTable) {
    EXPECT_FALSE(engine.OpenSong(Song("missing.mp3")));
    EXPECT_FALSE(engine.StartPlay());  // any → 3, nothing opened
    EXPECT_EQ(engine.PlayState(), playstate::NoSong);
    Open("short.mp3");
    const auto first = engine.Stream();
    EXPECT_TRUE(engine.StartPlay());  // any → 1
    EXPECT_EQ(engine.PlayState(), playstate::Playing);
    engine.PausBtnClick();  // 1 → 2
    EXPECT_EQ(engine.PlayState(), playstate::Paused);
    engine.PausBtnClick();  // 2 → 1
    EXPECT_EQ(engine.PlayState(), playstate::Playing);
    audio::NullDeviceAdvance(2.0);  // the song ends; the tick sets 0 and starts the next
    ASSERT_FALSE(engine.IsPlaying());
    EXPECT_LE(engine.ReadPosition(), engine.LengthMs());
    engine.SetPlayState(playstate::Idle);
    Open("sine3.ogg");
    EXPECT_FALSE(IsOpen(first));  // the previous stream went with it
    EXPECT_TRUE(engine.StartPlay());
    EXPECT_EQ(engine.PlayState(), playstate::Playing);
    engine.PausBtnClick();
    engine.Stoppa();  // 2 → 0 with a stream
    EXPECT_EQ(engine.PlayState(), playstate::Idle);
    EXPECT_TRUE(engine.StartPlay());
    engine.UnloadMP3BtnClick();  // 1 → 0 by unloading
    EXPECT_EQ(engine.PlayState(), playstate::Idle);
    engine.Stoppa();  // any → 3 without a stream
    EXPECT_EQ(engine.PlayState(), playstate::NoSong);
}

}  // namespace
}  // namespace vok::test
