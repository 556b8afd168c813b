// The song session on the null audio device: what a tick reports, and the lyric line the jumps
// and seeks leave behind.

#include "audio/AudioLibrary.h"
#include "player/SongSession.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vok::test {
namespace {

class SongSessionTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(session.Engine().StartAudio(audio::kDeviceNull), AudioStartup::Ready);
    }
    void TearDown() override {
        session.Engine().CloseStream();
        session.Engine().ShutdownAudio();
    }
    // A 12 s tone with three lines.
    void Open() {
        ASSERT_TRUE(session.Song().LoadFromFile(LyricFileWriter(2)
                                                    .Line(2000, 4000, "one")
                                                    .Line(6000, 9000, "two")
                                                    .Line(10000, 11000, "three")
                                                    .Write(dir.FilePath("song.vok"))));
        ASSERT_TRUE(session.Engine().OpenSong(QStringLiteral(VOK_PLAYER_FIXTURES "/tone12.mp3")));
    }
    // Plays from second `seconds`, and ticks there.
    TickOutcome PlayAt(double seconds) {
        session.Start();
        const auto stream = session.Engine().Stream();
        audio::ChannelSetPosition(stream, audio::ChannelSeconds2Bytes(stream, seconds),
                                  audio::kPosByte);
        return session.Tick();
    }

    TempDir dir;
    QObject owner;
    SongSession session{&owner};
};

TEST_F(SongSessionTest, TheTickReportsWhatThePlayerMustDo) {
    session.SetState(PlayState::NoSong);
    EXPECT_EQ(session.Tick(), TickOutcome::Stopped) << "no stream and no song";
    Open();
    session.ArmTick();
    EXPECT_EQ(PlayAt(6.5), TickOutcome::Playing);
    EXPECT_FALSE(session.Timer().isActive()) << "the owner arms it again after drawing";
    EXPECT_EQ(session.CurrentLine(), 2);
    EXPECT_EQ(session.CurrentText(), QStringLiteral("two"));
    session.Engine().PauseOrResume();
    audio::NullDeviceAdvance(1.0);
    EXPECT_EQ(session.Tick(), TickOutcome::Paused);
    EXPECT_EQ(session.Engine().PositionMs(), 6500) << "paused: the clock is not read";
    session.Engine().PauseOrResume();
    audio::NullDeviceAdvance(7.0);
    EXPECT_EQ(session.Tick(), TickOutcome::Ended);
    EXPECT_EQ(session.State(), PlayState::Playing) << "the playlist decides what follows";
}

// After a jump the line is the one at the position before the jump (the next tick corrects it);
// after a seek, the one at the target. Each asks once for the lyric area to be drawn anew.
TEST_F(SongSessionTest, JumpsAndSeeksTakeTheLineAnew) {
    Open();
    session.Engine().SetJumpTime(5);
    PlayAt(10.5);
    EXPECT_TRUE(session.JumpBack());
    EXPECT_EQ(session.CurrentLine(), 3);
    EXPECT_TRUE(session.TakeRedrawRequest());
    EXPECT_FALSE(session.TakeRedrawRequest());
    PlayAt(3.5);
    EXPECT_TRUE(session.JumpBack());  // no jump, the line is still taken
    EXPECT_EQ(session.CurrentLine(), 1);
    session.SeekTo(6, 6900);
    EXPECT_EQ(session.CurrentLine(), 2);
    EXPECT_TRUE(session.TakeRedrawRequest());
    session.Engine().PauseOrResume();
    EXPECT_FALSE(session.JumpForward()) << "paused: the keys do nothing";
    EXPECT_FALSE(session.TakeRedrawRequest());
    session.Stop();
    EXPECT_EQ(session.CurrentLine(), 0);
}

}  // namespace
}  // namespace vok::test
