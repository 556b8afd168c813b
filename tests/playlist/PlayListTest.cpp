#include <gtest/gtest.h>

#include <deque>

#include "QtPrinters.h"
#include "playlist/PlayList.h"

namespace vok {
namespace {

using Action = PlaylistStep::Action;

// A list a.vok b.mp3 c.mp3 d.vok whose random source returns `draws` in order (then 0).
class ListWithDraws {
  public:
    explicit ListWithDraws(std::deque<int> draws = {}) : draws_(std::move(draws)) {
        list.AddEntries({"a.vok", "b.mp3", "c.mp3", "d.vok"});
    }
    int drawn = 0;

  private:
    std::deque<int> draws_;

  public:
    PlayList list{[this](int count) {
        EXPECT_GT(count, 0);
        ++drawn;
        const int value = draws_.empty() ? 0 : draws_.front();
        if (!draws_.empty()) {
            draws_.pop_front();
        }
        return value;
    }};
};

enum class Op { Next, Previous, Down, Up, DoubleClick, SongEnded };

struct NavigationCase {
    const char* Name;
    int Active;
    PlayState State;
    bool Random;
    Op Operation;
    int Row;  // DoubleClick only
    std::deque<int> Draws;
    PlaylistStep Expected;
    int ActiveAfter;
};

class Navigation : public testing::TestWithParam<NavigationCase> {};

TEST_P(Navigation, DecidesTheStepAndTheActiveEntry) {
    const NavigationCase& c = GetParam();
    ListWithDraws fixture(c.Draws);
    PlayList& list = fixture.list;
    list.SetPlayIndex(c.Active);
    list.SetRandom(c.Random);
    PlaylistStep step;
    switch (c.Operation) {
        case Op::Next:
            step = list.Next(c.State);
            break;
        case Op::Previous:
            step = list.Previous(c.State);
            break;
        case Op::Down:
            step = list.Down(c.State);
            break;
        case Op::Up:
            step = list.Up(c.State);
            break;
        case Op::DoubleClick:
            step = list.DoubleClick(c.Row, c.State);
            break;
        case Op::SongEnded:
            step = list.SongEnded();
            break;
    }
    EXPECT_EQ(static_cast<int>(step.What), static_cast<int>(c.Expected.What));
    EXPECT_EQ(step.Index, c.Expected.Index);
    EXPECT_EQ(list.PlayIndex(), c.ActiveAfter);
}

constexpr PlayState kIdle = PlayState::Idle;
constexpr PlayState kPlaying = PlayState::Playing;
const PlaylistStep kNothing{};

INSTANTIATE_TEST_SUITE_P(
    PlayList, Navigation,
    testing::Values(
        // No wrap-around, with or without Random.
        NavigationCase{"NextOnLast", 3, kIdle, false, Op::Next, 0, {}, kNothing, 3},
        NavigationCase{"NextOnLastRandomPlaying", 3, kPlaying, true, Op::Next, 0, {}, kNothing, 3},
        NavigationCase{"PreviousOnFirst", 0, kIdle, false, Op::Previous, 0, {}, kNothing, 0},
        NavigationCase{
            "PreviousOnFirstRandom", 0, kPlaying, true, Op::Previous, 0, {}, kNothing, 0},
        NavigationCase{"DownOnLast", 3, kPlaying, true, Op::Down, 0, {}, kNothing, 3},
        NavigationCase{"UpOnFirst", 0, kPlaying, false, Op::Up, 0, {}, kNothing, 0},
        // Next and Previous load when idle, start when playing, only move otherwise.
        NavigationCase{"NextWithoutActiveEntryLoadsTheFirst",
                       -1,
                       kIdle,
                       false,
                       Op::Next,
                       0,
                       {},
                       {Action::Load, 0},
                       0},
        NavigationCase{
            "PreviousWithoutActiveEntry", -1, kIdle, false, Op::Previous, 0, {}, kNothing, -1},
        NavigationCase{
            "NextWhilePausedOnlyMoves", 1, PlayState::Paused, false, Op::Next, 0, {}, kNothing, 2},
        NavigationCase{
            "NextWithNoSongOnlyMoves", 1, PlayState::NoSong, false, Op::Next, 0, {}, kNothing, 2},
        NavigationCase{
            "NextPlayingStartsTheNext", 1, kPlaying, false, Op::Next, 0, {}, {Action::Start, 2}, 2},
        NavigationCase{
            "PreviousIdleLoads", 2, kIdle, false, Op::Previous, 0, {}, {Action::Load, 1}, 1},
        NavigationCase{"NextRandomIdleReloadsTheActive",
                       1,
                       kIdle,
                       true,
                       Op::Next,
                       0,
                       {},
                       {Action::Load, 1},
                       1},
        NavigationCase{"NextRandomPlayingStartsADraw",
                       1,
                       kPlaying,
                       true,
                       Op::Next,
                       0,
                       {},
                       {Action::Start, 1},
                       1},
        // The arrow keys move the index and start only while playing.
        NavigationCase{"DownIdleOnlyMoves", 1, kIdle, false, Op::Down, 0, {}, kNothing, 2},
        NavigationCase{"UpPlayingStarts", 3, kPlaying, false, Op::Up, 0, {}, {Action::Start, 2}, 2},
        NavigationCase{
            "DownRandomDraws", 0, kPlaying, true, Op::Down, 0, {2}, {Action::Start, 2}, 2},
        // A double click starts while playing (Random then draws) and loads otherwise.
        NavigationCase{
            "DoubleClickPlaying", 0, kPlaying, true, Op::DoubleClick, 2, {}, {Action::Start, 2}, 2},
        NavigationCase{
            "DoubleClickIdle", 0, kIdle, true, Op::DoubleClick, 2, {}, {Action::Load, 2}, 2},
        NavigationCase{"DoubleClickPaused",
                       0,
                       PlayState::Paused,
                       false,
                       Op::DoubleClick,
                       2,
                       {},
                       {Action::Load, 2},
                       2},
        NavigationCase{"DoubleClickNoRow", 1, kIdle, false, Op::DoubleClick, -1, {}, kNothing, 1},
        // The end of a song.
        NavigationCase{"LastSongEndsTheList",
                       3,
                       kPlaying,
                       false,
                       Op::SongEnded,
                       0,
                       {},
                       {Action::StopAtEnd, 3},
                       3},
        NavigationCase{
            "SongEndPlaysOn", 1, kPlaying, false, Op::SongEnded, 0, {}, {Action::Start, 2}, 1},
        NavigationCase{
            "RandomNeverEnds", 3, kPlaying, true, Op::SongEnded, 0, {}, {Action::Start, 4}, 3}),
    [](const testing::TestParamInfo<NavigationCase>& row) { return row.param.Name; });

TEST(PlayListStart, ChoosesTheEntryAndNeverWrapsAroundAfterFailedLoads) {
    ListWithDraws fixture;
    PlayList& list = fixture.list;
    list.SetPlayIndex(2);
    EXPECT_EQ(list.ChooseStart(-1), 2) << "-1 is the active entry";
    EXPECT_EQ(list.ChooseStart(1), 1);
    EXPECT_EQ(list.NextAfterFailedLoad(), 2);
    EXPECT_EQ(list.NextAfterFailedLoad(), 3);
    EXPECT_EQ(list.NextAfterFailedLoad(), 4) << "past the last entry: nothing to play";
    EXPECT_EQ(list.NextAfterFailedLoad(), 4);
    EXPECT_EQ(list.ChooseStart(9), 4);
    EXPECT_EQ(list.PlayIndex(), 4);
    EXPECT_EQ(list.Previous(PlayState::NoSong), PlaylistStep{}) << "only makes the last active";
    EXPECT_EQ(list.PlayIndex(), 3);
}

TEST(PlayListStart, RandomIgnoresTheArgumentNeverDrawsFromNothingAndStaysInRange) {
    PlayList empty([](int) -> int {
        ADD_FAILURE() << "a draw from an empty list";
        return 0;
    });
    empty.SetRandom(true);
    EXPECT_EQ(empty.ChooseStart(-1), -1);
    ListWithDraws fixture({3, 99});
    fixture.list.SetRandom(true);
    EXPECT_EQ(fixture.list.ChooseStart(1), 3);
    EXPECT_EQ(fixture.list.ChooseStart(1), 3) << "a faulty source still lands inside the list";
    fixture.list.SetPlayIndex(42);
    EXPECT_EQ(fixture.list.PlayIndex(), 4);
}

TEST(PlayListEntries, AddingMakesTheFirstEntryActiveOnlyInAnEmptyList) {
    PlayList list;
    EXPECT_TRUE(list.AddEntries({"x.MP3", "y.vok"}));
    EXPECT_EQ(list.PlayIndex(), 0);
    list.SetPlayIndex(1);
    EXPECT_FALSE(list.AddEntries({"z.vok"}));
    EXPECT_EQ(list.PlayIndex(), 1);
    EXPECT_FALSE(list.AddEntries({}));
    PlayList empty;
    EXPECT_TRUE(empty.InsertEntries(5, {"first.vok"})) << "into an empty list: it is opened";
    EXPECT_EQ(empty.PlayIndex(), 0);
    EXPECT_TRUE(list.ReplaceEntries({"new.VOK"}));
    EXPECT_EQ(list.PlayItems(), QStringList{"new.VOK"});
    EXPECT_EQ(list.PlayIndex(), 0);
    EXPECT_FALSE(list.ReplaceEntries({}));
    EXPECT_EQ(list.PlayIndex(), -1);
}

struct InsertCase {
    const char* Name;
    int Active;
    int Before;
    QStringList Expected;
    int ActiveAfter;
};

class Inserting : public testing::TestWithParam<InsertCase> {};

TEST_P(Inserting, PutsTheEntriesInPlaceAndKeepsTheActiveEntry) {
    const InsertCase& c = GetParam();
    ListWithDraws fixture;
    fixture.list.SetPlayIndex(c.Active);
    EXPECT_FALSE(fixture.list.InsertEntries(c.Before, {"n.vok", "m.mp3"}));
    EXPECT_EQ(fixture.list.PlayItems(), c.Expected);
    EXPECT_EQ(fixture.list.PlayIndex(), c.ActiveAfter);
}

INSTANTIATE_TEST_SUITE_P(
    PlayList, Inserting,
    testing::Values(
        InsertCase{"RightAfterTheActiveEntry",
                   1,
                   2,
                   {"a.vok", "b.mp3", "n.vok", "m.mp3", "c.mp3", "d.vok"},
                   1},
        InsertCase{"BeforeTheActiveEntryItMovesDown",
                   1,
                   1,
                   {"a.vok", "n.vok", "m.mp3", "b.mp3", "c.mp3", "d.vok"},
                   3},
        InsertCase{"NoActiveEntryAtTheTop",
                   -1,
                   0,
                   {"n.vok", "m.mp3", "a.vok", "b.mp3", "c.mp3", "d.vok"},
                   -1},
        InsertCase{
            "PastTheEndAppends", 3, 99, {"a.vok", "b.mp3", "c.mp3", "d.vok", "n.vok", "m.mp3"}, 3}),
    [](const testing::TestParamInfo<InsertCase>& row) { return row.param.Name; });

TEST(PlayListEntries, ClearOnlyWhenNothingPlaysOrIsPaused) {
    for (const PlayState state : {PlayState::Playing, PlayState::Paused}) {
        ListWithDraws fixture;
        EXPECT_FALSE(fixture.list.RensaListanClick(state));
        EXPECT_EQ(fixture.list.Count(), 4);
    }
    for (const PlayState state : {PlayState::Idle, PlayState::NoSong}) {
        ListWithDraws fixture;
        fixture.list.SetPlayIndex(1);
        EXPECT_TRUE(fixture.list.RensaListanClick(state));
        EXPECT_EQ(fixture.list.Count(), 0);
        EXPECT_EQ(fixture.list.PlayIndex(), -1);
    }
}

TEST(PlayListEntries, RemovingAndMovingKeepTheActiveEntryAndNeverTouchIt) {
    ListWithDraws fixture;
    PlayList& list = fixture.list;
    list.SetPlayIndex(2);  // c.mp3
    EXPECT_FALSE(list.RemoveEntry(2));
    EXPECT_FALSE(list.RemoveEntry(4));
    EXPECT_FALSE(list.MoveEntry(2, 0));
    EXPECT_TRUE(list.RemoveEntry(1));
    EXPECT_EQ(list.PlayIndex(), 1);
    EXPECT_TRUE(list.MoveEntry(0, 3));  // below the last row
    EXPECT_TRUE(list.MoveEntry(1, 0));
    EXPECT_EQ(list.PlayItems(), (QStringList{"d.vok", "c.mp3", "a.vok"}));
    EXPECT_EQ(list.PlayIndex(), 1);
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
