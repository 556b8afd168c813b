#include <gtest/gtest.h>

#include <deque>

#include "QtPrinters.h"
#include "playlist/PlayList.h"

namespace vok {
namespace {

// A player that records what the rules ask of it; names in `broken` fail to load.
class FakePlayer : public PlayListHost {
  public:
    int PlayState() const override { return state; }
    void SetPlayState(int value) override {
        state = value;
        states.append(value);
    }
    bool StreamLoaded() const override { return stream; }
    bool LaddaFil(const QString& fileName) override {
        calls.append("load " + fileName);
        stream = !broken.contains(fileName);
        return stream;
    }
    void StartLoadedSong() override { calls.append(QStringLiteral("start")); }
    void StartDisplay() override { calls.append(QStringLiteral("display")); }
    void Stoppa() override {
        calls.append(QStringLiteral("stop"));
        state = stream ? PlayList::kIdle : PlayList::kNoSong;
    }
    void UnloadAudio() override {
        calls.append(QStringLiteral("unload"));
        stream = false;
    }
    void ClearSong() override { calls.append(QStringLiteral("clear song")); }
    void OpenLyricFile(const QString& fileName) override {
        calls.append("lyric " + fileName);
        stream = true;
    }
    void OpenAudioFile(const QString& fileName) override {
        calls.append("audio " + fileName);
        stream = true;
    }
    void RepaintRows() override { ++repaints; }
    void RemoveAllRows() override { calls.append(QStringLiteral("remove rows")); }
    void RefreshStatusLine() override { calls.append(QStringLiteral("status")); }

    int state = PlayList::kIdle;
    bool stream = false;
    QStringList broken;
    QStringList calls;
    QList<int> states;
    int repaints = 0;
};

class PlayListTest : public testing::Test {
  protected:
    PlayListTest()
        : list_(player_, [this](int count) {
              counts_.append(count);
              if (draws_.empty()) {
                  ADD_FAILURE() << "unexpected random draw";
                  return 0;
              }
              const int value = draws_.front();
              draws_.pop_front();
              return value;
          }) {}

    // a.vok, b.mp3, c.mp3 and d.vok, entry `active` loaded, the player in `state`.
    void Fill(int active, int state) {
        list_.ReplaceEntries({"a.vok", "b.mp3", "c.mp3", "d.vok"});
        list_.SetPlayIndex(active);
        player_.state = state;
        player_.stream = true;
        player_.calls.clear();
        player_.states.clear();
        player_.repaints = 0;
    }

    FakePlayer player_;
    std::deque<int> draws_;
    QList<int> counts_;
    PlayList list_;
};

using Calls = QStringList;

TEST(PlayListEnds, NextOnLastAndPreviousOnFirstDoNothingWithOrWithoutRandom) {
    for (const bool random : {false, true}) {
        for (const int state : {PlayList::kIdle, PlayList::kPlaying}) {
            FakePlayer player;
            PlayList list(player, [](int) { return 1; });
            list.AddEntries({"a.vok", "b.mp3", "c.mp3"});
            list.SetRandom(random);
            player.state = state;
            player.calls.clear();
            list.SetPlayIndex(2);
            list.NextBtnClick();
            list.DownKey();
            EXPECT_EQ(list.PlayIndex(), 2);
            list.SetPlayIndex(0);
            list.PrevBtnClick();
            list.UpKey();
            EXPECT_EQ(list.PlayIndex(), 0);
            EXPECT_TRUE(player.calls.isEmpty());
            EXPECT_EQ(player.repaints, 0);
        }
    }
}

TEST_F(PlayListTest, WithoutActiveEntryNextLoadsTheFirstAndPreviousDoesNothing) {
    Fill(-1, PlayList::kIdle);
    list_.PrevBtnClick();
    EXPECT_EQ(list_.PlayIndex(), -1);
    list_.NextBtnClick();
    EXPECT_EQ(list_.PlayIndex(), 0);
    EXPECT_EQ(player_.calls, Calls{"load a.vok"});
}

TEST_F(PlayListTest, NextWhilePausedOrWithoutSongOnlyMovesTheIndex) {
    for (const int state : {PlayList::kPaused, PlayList::kNoSong}) {
        Fill(1, state);
        list_.NextBtnClick();
        EXPECT_EQ(list_.PlayIndex(), 2);
        EXPECT_TRUE(player_.calls.isEmpty());
    }
}

TEST_F(PlayListTest, RandomNextReloadsWhenStoppedAndDrawsWhenPlaying) {
    Fill(1, PlayList::kIdle);
    list_.SetRandom(true);
    list_.NextBtnClick();
    EXPECT_EQ(player_.calls, Calls{"load b.mp3"});
    EXPECT_EQ(list_.PlayIndex(), 1);

    player_.state = PlayList::kPlaying;
    player_.calls.clear();
    draws_ = {1};  // the same entry may come again
    list_.NextBtnClick();
    EXPECT_EQ(player_.calls, (Calls{"load b.mp3", "start", "display"}));
    EXPECT_EQ(counts_, QList<int>{4});
}

TEST_F(PlayListTest, StartSkipsBrokenEntriesAndPlaysTheNextGoodOne) {
    Fill(0, PlayList::kIdle);
    player_.broken = {"b.mp3"};
    list_.SpelaVOK(1);
    EXPECT_EQ(player_.calls, (Calls{"load b.mp3", "load c.mp3", "start", "display"}));
    EXPECT_EQ(list_.PlayIndex(), 2);
    EXPECT_EQ(player_.state, PlayList::kPlaying);
}

TEST_F(PlayListTest, StartWithEveryFollowingEntryBrokenEndsPastTheEndWithNoSong) {
    Fill(0, PlayList::kIdle);
    player_.broken = {"c.mp3", "d.vok"};  // a.vok would load, but the search never wraps
    list_.SpelaVOK(2);
    EXPECT_EQ(player_.calls, (Calls{"load c.mp3", "load d.vok"}));
    EXPECT_EQ(list_.PlayIndex(), 4);
    EXPECT_EQ(player_.state, PlayList::kNoSong);

    player_.calls.clear();
    list_.PrevBtnClick();
    EXPECT_EQ(list_.PlayIndex(), 3);
    EXPECT_TRUE(player_.calls.isEmpty());
}

TEST_F(PlayListTest, StartPastTheEndStopsWithoutLoading) {
    Fill(3, PlayList::kIdle);
    list_.SpelaVOK(7);
    EXPECT_EQ(list_.PlayIndex(), 4);
    EXPECT_EQ(player_.calls, Calls{"stop"});
}

TEST_F(PlayListTest, RandomStartIgnoresTheArgumentButNeverDrawsFromAnEmptyList) {
    list_.SetRandom(true);
    list_.SpelaVOK(-1);  // would divide by zero when drawing
    EXPECT_TRUE(counts_.isEmpty());
    EXPECT_EQ(player_.state, PlayList::kNoSong);
    EXPECT_EQ(list_.PlayIndex(), 0);

    Fill(0, PlayList::kIdle);
    draws_ = {3};
    list_.SpelaVOK(1);
    EXPECT_EQ(player_.calls.first(), "load d.vok");
    EXPECT_EQ(list_.PlayIndex(), 3);
}

TEST_F(PlayListTest, LastSongEndingWithoutRandomStopsAndKeepsItActive) {
    Fill(3, PlayList::kPlaying);
    list_.SongEnded();
    EXPECT_EQ(player_.states, (QList<int>{PlayList::kIdle, PlayList::kEndOfList}));
    EXPECT_EQ(player_.calls, Calls{"stop"});
    EXPECT_EQ(player_.state, PlayList::kIdle);
    EXPECT_EQ(list_.PlayIndex(), 3);
}

TEST_F(PlayListTest, SongEndingPlaysTheNextOrWithRandomAnyEntryForever) {
    Fill(1, PlayList::kPlaying);
    list_.SongEnded();
    EXPECT_EQ(player_.calls.first(), "load c.mp3");
    EXPECT_EQ(player_.state, PlayList::kPlaying);

    Fill(3, PlayList::kPlaying);
    list_.SetRandom(true);
    draws_ = {0};
    list_.SongEnded();
    EXPECT_EQ(player_.calls.first(), "load a.vok");
    EXPECT_EQ(player_.state, PlayList::kPlaying);
}

TEST_F(PlayListTest, ArrowKeysMoveAndStartOnlyWhilePlaying) {
    Fill(1, PlayList::kIdle);
    list_.DownKey();
    list_.DownKey();
    list_.UpKey();
    EXPECT_EQ(list_.PlayIndex(), 2);
    EXPECT_TRUE(player_.calls.isEmpty());
    EXPECT_EQ(player_.repaints, 0);

    player_.state = PlayList::kPlaying;
    list_.UpKey();
    EXPECT_EQ(list_.PlayIndex(), 1);
    EXPECT_EQ(player_.calls.first(), "load b.mp3");

    list_.SetRandom(true);
    player_.state = PlayList::kIdle;
    draws_ = {3};
    list_.DownKey();
    EXPECT_EQ(list_.PlayIndex(), 3);
}

TEST_F(PlayListTest, DoubleClickPlaysRandomWhilePlayingAndLoadsTheRowOtherwise) {
    Fill(0, PlayList::kPlaying);
    list_.SetRandom(true);
    draws_ = {1};
    list_.VokListaDblClick(2);
    EXPECT_EQ(player_.calls.first(), "load b.mp3");
    EXPECT_EQ(list_.PlayIndex(), 1);

    Fill(0, PlayList::kIdle);
    list_.VokListaDblClick(2);
    EXPECT_EQ(player_.calls, (Calls{"load c.mp3", "status"}));
    EXPECT_EQ(list_.PlayIndex(), 2);

    player_.calls.clear();
    list_.VokListaDblClick(-1);
    list_.VokListaDblClick(4);
    EXPECT_TRUE(player_.calls.isEmpty());
}

TEST_F(PlayListTest, AddingToAnEmptyListLoadsItsFirstEntryByKind) {
    list_.AddEntries({});
    EXPECT_TRUE(player_.calls.isEmpty());
    list_.AddEntries({"x.MP3", "y.vok"});
    EXPECT_EQ(player_.calls, (Calls{"clear song", "audio x.MP3"}));
    EXPECT_EQ(list_.PlayIndex(), 0);

    player_.calls.clear();
    list_.SetPlayIndex(1);
    list_.AddEntries({"z.vok"});
    EXPECT_TRUE(player_.calls.isEmpty());
    EXPECT_EQ(list_.PlayIndex(), 1);

    list_.ReplaceEntries({"song.VOK"});
    EXPECT_EQ(player_.calls.last(), "lyric song.VOK");
}

TEST_F(PlayListTest, ReplacingTheListStopsAndReleasesTheOldSongFirst) {
    Fill(2, PlayList::kPlaying);
    list_.ReplaceEntries({"new.mp3"});
    EXPECT_EQ(player_.calls, (Calls{"stop", "unload", "clear song", "remove rows", "clear song",
                                    "audio new.mp3"}));
    EXPECT_EQ(list_.PlayItems(), QStringList{"new.mp3"});
    EXPECT_EQ(player_.state, PlayList::kIdle);

    list_.ReplaceEntries({});
    EXPECT_TRUE(list_.PlayItems().isEmpty());
    EXPECT_EQ(list_.PlayIndex(), -1);
    EXPECT_FALSE(player_.stream);
}

TEST_F(PlayListTest, ClearIsRefusedWhilePlayingOrPaused) {
    for (const int state : {PlayList::kPlaying, PlayList::kPaused}) {
        Fill(1, state);
        EXPECT_FALSE(list_.RensaListanClick());
        EXPECT_EQ(list_.Count(), 4);
        EXPECT_TRUE(player_.calls.isEmpty());
    }
}

TEST_F(PlayListTest, ClearEmptiesTheListWhenIdleOrWhenNothingCouldPlay) {
    for (const int state : {PlayList::kIdle, PlayList::kNoSong}) {
        Fill(1, state);
        EXPECT_TRUE(list_.RensaListanClick());
        EXPECT_EQ(list_.Count(), 0);
        EXPECT_EQ(list_.PlayIndex(), -1);
        EXPECT_EQ(player_.calls, (Calls{"clear song", "unload", "remove rows"}));
    }
}

TEST_F(PlayListTest, RemovingKeepsTheSameEntryActiveAndNeverRemovesIt) {
    Fill(2, PlayList::kPlaying);
    EXPECT_FALSE(list_.RemoveEntry(2));
    EXPECT_FALSE(list_.RemoveEntry(4));
    EXPECT_FALSE(list_.RemoveEntry(-1));
    EXPECT_TRUE(list_.RemoveEntry(1));
    EXPECT_EQ(list_.PlayIndex(), 1);
    EXPECT_EQ(list_.PlayItems()[1], "c.mp3");
    EXPECT_TRUE(list_.RemoveEntry(2));
    EXPECT_EQ(list_.PlayItems(), (QStringList{"a.vok", "c.mp3"}));
    EXPECT_EQ(list_.PlayIndex(), 1);
}

TEST_F(PlayListTest, MovingLandsBeforeTheTargetAndTheActiveEntryFollows) {
    Fill(2, PlayList::kPlaying);  // c.mp3 active
    EXPECT_FALSE(list_.MoveEntry(2, 0));
    EXPECT_TRUE(list_.MoveEntry(0, 0));  // onto itself: nothing changes
    EXPECT_EQ(list_.PlayItems(), (QStringList{"a.vok", "b.mp3", "c.mp3", "d.vok"}));
    EXPECT_TRUE(list_.MoveEntry(0, 4));  // below the last row
    EXPECT_EQ(list_.PlayItems(), (QStringList{"b.mp3", "c.mp3", "d.vok", "a.vok"}));
    EXPECT_EQ(list_.PlayIndex(), 1);
    EXPECT_TRUE(list_.MoveEntry(2, 0));
    EXPECT_EQ(list_.PlayItems(), (QStringList{"d.vok", "b.mp3", "c.mp3", "a.vok"}));
    EXPECT_EQ(list_.PlayIndex(), 2);
    EXPECT_FALSE(list_.MoveEntry(0, 5));
}

TEST_F(PlayListTest, FaultyRandomSourceAndRestoredIndexStayInsideTheList) {
    Fill(0, PlayList::kIdle);
    list_.SetRandom(true);
    draws_ = {99};
    list_.SpelaVOK(-1);
    EXPECT_EQ(list_.PlayIndex(), 3);
    list_.SetPlayIndex(42);
    EXPECT_EQ(list_.PlayIndex(), 4);
    list_.SetPlayIndex(-9);
    EXPECT_EQ(list_.PlayIndex(), -1);
}

TEST(ProgressBarSeek, WholeSecondsFromTheLeftEndAndSafeForBadBars) {
    ProgressSeek seek;
    ASSERT_TRUE(SeekFromProgressBar(0, 200, 180000, seek));
    EXPECT_EQ(seek.seconds, 0);
    ASSERT_TRUE(SeekFromProgressBar(1, 200, 180999, seek));
    EXPECT_EQ(seek.timeMs, 904);  // 904.995 truncated
    EXPECT_EQ(seek.seconds, 0);
    ASSERT_TRUE(SeekFromProgressBar(150, 200, 180999, seek));
    EXPECT_EQ(seek.seconds, 135);
    ASSERT_TRUE(SeekFromProgressBar(-30, 200, 180000, seek));
    EXPECT_EQ(seek.timeMs, 0);
    ASSERT_TRUE(SeekFromProgressBar(900, 200, 180000, seek));
    EXPECT_EQ(seek.seconds, 180);
    EXPECT_FALSE(SeekFromProgressBar(10, 0, 180000, seek));
    ASSERT_TRUE(SeekFromProgressBar(100, 200, 2147483647, seek));  // no overflow
    EXPECT_EQ(seek.timeMs, 1073741823);
}

}  // namespace
}  // namespace vok
