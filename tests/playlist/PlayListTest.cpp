#include <gtest/gtest.h>

#include <deque>

#include "QtPrinters.h"
#include "playlist/PlayList.h"

namespace vok {
namespace {

using Calls = QStringList;

// A player that records what the rules ask of it; names in `broken` fail to load.
class FakePlayer : public PlayListHost {
  public:
    PlayState State() const override { return state; }
    void SetState(PlayState value) override { states.append(static_cast<int>(state = value)); }
    bool StreamLoaded() const override { return stream; }
    bool LoadEntryFile(const QString& name) override {
        calls.append("load " + name);
        return stream = !broken.contains(name);
    }
    void StartLoadedSong() override { calls.append("start"); }
    void StartDisplay() override {}
    void NothingToPlay() override { calls.append("nothing"); }
    void Stoppa() override {
        calls.append("stop");
        state = stream ? PlayState::Idle : PlayState::NoSong;
    }
    void UnloadAudio() override { calls.append("unload"), stream = false; }
    void ClearSong() override { calls.append("clear"); }
    bool OpenLyricFile(const QString& name) override {
        calls.append("lyric " + name);
        return stream = true;
    }
    void OpenAudioFile(const QString& name) override {
        calls.append("audio " + name), stream = true;
    }
    void RepaintRows() override {}
    void RemoveAllRows() override { calls.append("no rows"); }
    void RefreshStatusLine() override { calls.append("status"); }

    PlayState state = PlayState::Idle;
    bool stream = false;
    QStringList broken, calls;
    QList<int> states;
};

class PlayListTest : public testing::Test {
  protected:
    // a.vok b.mp3 c.mp3 d.vok with entry `active` loaded and the player in `state`.
    void Fill(int active, PlayState state, bool random = false) {
        list_.ReplaceEntries({"a.vok", "b.mp3", "c.mp3", "d.vok"});
        list_.SetPlayIndex(active);
        list_.SetRandom(random);
        player_.state = state;
        player_.stream = true;
        player_.calls.clear();
        player_.states.clear();
    }
    FakePlayer player_;
    std::deque<int> draws_;  // what the random source returns, in order
    int drawn_ = 0;
    PlayList list_{player_, [this](int count) {
                       EXPECT_GT(count, 0);
                       ++drawn_;
                       if (draws_.empty()) {
                           return 0;
                       }
                       const int value = draws_.front();
                       draws_.pop_front();
                       return value;
                   }};
};

TEST_F(PlayListTest, NextOnLastAndPreviousOnFirstDoNothingWithOrWithoutRandom) {
    for (const bool random : {false, true}) {
        for (const PlayState state : {PlayState::Idle, PlayState::Playing}) {
            Fill(3, state, random);
            list_.NextBtnClick();
            list_.DownKey();
            EXPECT_EQ(list_.PlayIndex(), 3);
            list_.SetPlayIndex(0);
            list_.PrevBtnClick();
            list_.UpKey();
            EXPECT_EQ(list_.PlayIndex(), 0);
            EXPECT_TRUE(player_.calls.isEmpty());
        }
    }
}

TEST_F(PlayListTest, NextLoadsOnlyWhenIdleAndStartsOnlyWhenPlaying) {
    Fill(-1, PlayState::Idle);
    list_.PrevBtnClick();
    list_.NextBtnClick();  // no active entry: the first becomes active
    EXPECT_EQ(player_.calls, Calls{"load a.vok"});
    Fill(1, PlayState::Paused);
    list_.NextBtnClick();
    EXPECT_EQ(list_.PlayIndex(), 2);
    EXPECT_EQ(player_.calls.size(), 0);
    Fill(1, PlayState::Idle, true);  // Random: reloads the active entry
    list_.NextBtnClick();
    EXPECT_EQ(player_.calls, Calls{"load b.mp3"});
    Fill(1, PlayState::Playing, true);  // Random: a drawn entry, maybe the same one
    draws_ = {1};
    list_.NextBtnClick();
    EXPECT_EQ(player_.calls, (Calls{"load b.mp3", "start"}));
}

TEST_F(PlayListTest, StartMovesOnPastBrokenEntriesButNeverWrapsAround) {
    Fill(0, PlayState::Idle);
    player_.broken = {"b.mp3"};
    list_.SpelaVOK(1);
    EXPECT_EQ(player_.calls, (Calls{"load b.mp3", "load c.mp3", "start"}));
    EXPECT_EQ(player_.state, PlayState::Playing);

    Fill(0, PlayState::Idle);
    player_.broken = {"c.mp3", "d.vok"};  // a.vok would load
    list_.SpelaVOK(2);
    EXPECT_EQ(player_.calls, (Calls{"load c.mp3", "load d.vok", "nothing"}))
        << "the player is told that nothing plays";
    EXPECT_EQ(list_.PlayIndex(), 4);
    EXPECT_EQ(player_.state, PlayState::NoSong);
    player_.calls.clear();
    list_.PrevBtnClick();  // only makes the last entry active
    EXPECT_EQ(list_.PlayIndex(), 3);
    EXPECT_TRUE(player_.calls.isEmpty());
}

TEST_F(PlayListTest, RandomIgnoresTheArgumentNeverDrawsFromNothingAndStaysInRange) {
    list_.SetRandom(true);
    list_.SpelaVOK(-1);  // empty list: a draw would divide by zero
    EXPECT_EQ(drawn_, 0);
    EXPECT_EQ(player_.state, PlayState::NoSong);
    Fill(0, PlayState::Idle, true);
    draws_ = {3, 99};
    list_.SpelaVOK(1);
    EXPECT_EQ(player_.calls.first(), "load d.vok");
    list_.SpelaVOK(1);  // a faulty source still lands inside the list
    EXPECT_EQ(list_.PlayIndex(), 3);
    list_.SetPlayIndex(42);
    EXPECT_EQ(list_.PlayIndex(), 4);
}

TEST_F(PlayListTest, SongEndPlaysOnStopsAfterTheLastAndWithRandomNeverStops) {
    Fill(3, PlayState::Playing);
    list_.SongEnded();
    EXPECT_EQ(player_.states, (QList<int>{0, 5}));
    EXPECT_EQ(player_.calls, Calls{"stop"});
    EXPECT_EQ(list_.PlayIndex(), 3);

    Fill(1, PlayState::Playing);
    list_.SongEnded();
    EXPECT_EQ(player_.calls, (Calls{"load c.mp3", "start"}));

    Fill(3, PlayState::Playing, true);
    list_.SongEnded();
    EXPECT_EQ(player_.calls, (Calls{"load a.vok", "start"}));
}

TEST_F(PlayListTest, ArrowKeysAndDoubleClickFollowThePlayState) {
    Fill(1, PlayState::Idle);
    list_.DownKey();
    list_.DownKey();
    EXPECT_EQ(list_.PlayIndex(), 3);
    EXPECT_TRUE(player_.calls.isEmpty());  // not playing: nothing loaded
    player_.state = PlayState::Playing;
    list_.UpKey();
    EXPECT_EQ(player_.calls.first(), "load c.mp3");

    Fill(0, PlayState::Playing, true);
    draws_ = {1};
    list_.VokListaDblClick(2);  // playing with Random: a random entry, not the row
    EXPECT_EQ(player_.calls.first(), "load b.mp3");
    Fill(0, PlayState::Idle, true);
    list_.VokListaDblClick(2);
    list_.VokListaDblClick(-1);
    EXPECT_EQ(player_.calls, (Calls{"load c.mp3", "status"}));
}

TEST_F(PlayListTest, AddingLoadsTheFirstEntryOnlyIntoAnEmptyList) {
    list_.AddEntries({"x.MP3", "y.vok"});
    EXPECT_EQ(player_.calls, (Calls{"clear", "audio x.MP3"}));
    list_.SetPlayIndex(1);
    list_.AddEntries({"z.vok"});
    EXPECT_EQ(list_.PlayIndex(), 1);
    EXPECT_EQ(player_.calls.size(), 2);

    Fill(2, PlayState::Playing);  // replacing releases the playing song first
    list_.ReplaceEntries({"new.VOK"});
    EXPECT_EQ(player_.calls,
              (Calls{"stop", "unload", "clear", "no rows", "clear", "lyric new.VOK"}));
    EXPECT_EQ(list_.PlayIndex(), 0);
}

TEST_F(PlayListTest, ClearOnlyWhenNothingPlaysOrIsPaused) {
    for (const PlayState state : {PlayState::Playing, PlayState::Paused}) {
        Fill(1, state);
        EXPECT_FALSE(list_.RensaListanClick());
        EXPECT_EQ(list_.Count(), 4);
    }
    for (const PlayState state : {PlayState::Idle, PlayState::NoSong}) {
        Fill(1, state);
        EXPECT_TRUE(list_.RensaListanClick());
        EXPECT_EQ(list_.Count(), 0);
        EXPECT_EQ(list_.PlayIndex(), -1);
        EXPECT_EQ(player_.calls, (Calls{"clear", "unload", "no rows"}));
    }
}

TEST_F(PlayListTest, RemovingAndMovingKeepTheActiveEntryAndNeverTouchIt) {
    Fill(2, PlayState::Playing);  // c.mp3
    EXPECT_FALSE(list_.RemoveEntry(2));
    EXPECT_FALSE(list_.RemoveEntry(4));
    EXPECT_FALSE(list_.MoveEntry(2, 0));
    EXPECT_TRUE(list_.RemoveEntry(1));
    EXPECT_EQ(list_.PlayIndex(), 1);
    EXPECT_TRUE(list_.MoveEntry(0, 3));  // below the last row
    EXPECT_TRUE(list_.MoveEntry(1, 0));
    EXPECT_EQ(list_.PlayItems(), (QStringList{"d.vok", "c.mp3", "a.vok"}));
    EXPECT_EQ(list_.PlayIndex(), 1);
}

TEST(ProgressBarSeek, WholeSecondsFromTheLeftEndAndSafeForBadBars) {
    ProgressSeek seek;
    ASSERT_TRUE(SeekFromProgressBar(1, 200, 180999, seek));
    EXPECT_EQ(seek.timeMs, 904);  // 904.995 truncated
    EXPECT_EQ(seek.seconds, 0);
    ASSERT_TRUE(SeekFromProgressBar(100, 200, 2147483647, seek));  // no overflow
    EXPECT_EQ(seek.seconds, 1073741);
    EXPECT_FALSE(SeekFromProgressBar(10, 0, 180000, seek));
}

}  // namespace
}  // namespace vok
