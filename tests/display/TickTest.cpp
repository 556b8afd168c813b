#include "DisplayFixtures.h"
#include "display/LyricDisplay.h"
#include "display/Pixels.h"

#include <gtest/gtest.h>

namespace vok {
namespace {

using test::CountOtherThan;
using test::PixelAt;
using Tick = LyricDisplay::Tick;

constexpr std::uint16_t kSentinel = 0x1234;

class TickTest : public testing::Test {
  protected:
    test::TempDir dir;
    test::FakeHost host;
    LyricDisplay display{host, 96.0};

    void StartSong(const std::vector<test::TimedLine>& lines) {
        test::LoadSong(host.SongModel, dir, lines);
        StartPlaying();
    }
    // What starting a song does: clear, prepare, request the first redraw.
    void StartPlaying() {
        host.State = play_state::Playing;
        display.ClearDisplayArea();
        display.PrepareDisplay(QStringLiteral("/music/song.mp3"));
        display.RedrawLyrics = true;
    }
    Tick TickAt(int ms) {
        host.Position = ms;
        return display.tmrTimer();
    }
    // Marks pixels that every lyric frame (row 99) or preview (its first cell) writes, so a later
    // check tells whether the lyric area was drawn again.
    void Mark() {
        QImage& lyrics = display.Renderer().LyricBmp;
        reinterpret_cast<std::uint16_t*>(lyrics.scanLine(99))[0] = kSentinel;
        reinterpret_cast<std::uint16_t*>(lyrics.scanLine(30))[20] = kSentinel;
    }
    bool Redrawn() const {
        const QImage& lyrics = display.Renderer().LyricBmp;
        return PixelAt(lyrics, 0, 99) != kSentinel || PixelAt(lyrics, 20, 30) != kSentinel;
    }
    bool UpcomingRowHasText(int top, int bottom) const {
        return CountOtherThan(display.Renderer().LyricBmp, top, bottom, 0) > 0;
    }
};

const std::vector<test::TimedLine> kSong = {
    {1000, 2000, "Hello"}, {2000, 3000, "Hello"}, {4000, 5000, "World"}, {6000, 7000, "End"}};

TEST_F(TickTest, FirstTickDrawsAndPresentsEverything) {
    StartSong(kSong);
    EXPECT_FALSE(host.ButtonsEnabled);
    EXPECT_EQ(TickAt(1500), Tick::Drawn);
    EXPECT_TRUE(host.Armed);
    EXPECT_EQ(host.LastPosition, 1500);
    EXPECT_EQ(host.Progress, 1500);
    EXPECT_EQ(host.Line, 1);
    EXPECT_EQ(display.LastLineText, "Hello");
    EXPECT_FALSE(display.RedrawLyrics);
    EXPECT_FALSE(display.LyricsDirty);
    EXPECT_EQ(host.SpectrumFrames, 1);
    // The surface holds the header, the band and the bar at their rows.
    const QImage& surface = display.Surface();
    EXPECT_EQ(PixelAt(surface, 5, 0), 0xFFFF);
    EXPECT_EQ(PixelAt(surface, 5, 60), 0xFFFF);
    EXPECT_EQ(PixelAt(surface, 0, 61 + 50), 0x0088);
    EXPECT_EQ(PixelAt(surface, 0, 61 + 82), 0x0088);
    EXPECT_EQ(PixelAt(surface, 0, 299), 0);  // last bar row stays black
    EXPECT_EQ(CountOtherThan(surface, 300, 479, 0), 0);
}

TEST_F(TickTest, RedrawsOnlyWhenTheTextChanges) {
    StartSong(kSong);
    TickAt(1500);
    Mark();
    TickAt(1600);
    EXPECT_FALSE(Redrawn());
    // Line 2 has the same text: the comparison is on text, not number.
    TickAt(2000);
    EXPECT_EQ(host.Line, 1);  // both bounds inclusive: the first line holding 2000 wins
    TickAt(2500);
    EXPECT_EQ(host.Line, 2);
    EXPECT_FALSE(Redrawn());
    // Between lines the text becomes empty: one redraw, then none.
    TickAt(3500);
    EXPECT_TRUE(Redrawn());
    EXPECT_EQ(host.Line, 2);
    EXPECT_EQ(display.LastLineText, "");
    Mark();
    TickAt(3600);
    EXPECT_FALSE(Redrawn());
    TickAt(4500);
    EXPECT_TRUE(Redrawn());
}

TEST_F(TickTest, RedrawRequestsForceAFrame) {
    StartSong(kSong);
    TickAt(1500);
    Mark();
    display.LyricsDirty = true;
    TickAt(1500);
    EXPECT_TRUE(Redrawn());
    EXPECT_FALSE(display.LyricsDirty);
    Mark();
    display.RedrawLyrics = true;
    TickAt(1500);
    EXPECT_TRUE(Redrawn());
    EXPECT_FALSE(display.RedrawLyrics);
}

TEST_F(TickTest, LyricAreaReachesTheSurfaceOnlyWhenDrawn) {
    StartSong(kSong);
    TickAt(1500);
    QImage& lyrics = display.Renderer().LyricBmp;
    FillImage16(lyrics, kSentinel);  // changed behind the display's back
    TickAt(1600);
    EXPECT_NE(PixelAt(display.Surface(), 0, 100), kSentinel);
    display.LyricsDirty = true;
    TickAt(1600);
    EXPECT_NE(PixelAt(display.Surface(), 0, 61 + 99), kSentinel);  // redrawn, then copied
    EXPECT_EQ(PixelAt(display.Surface(), 0, 61 + 50), 0x0088);
}

TEST_F(TickTest, BetweenLinesShowsTheLinesAfterTheOneThatEnded) {
    StartSong(kSong);
    TickAt(3500);  // after line 2, before line 3
    EXPECT_EQ(host.Line, 2);
    EXPECT_TRUE(UpcomingRowHasText(99, 122));   // line 3
    EXPECT_TRUE(UpcomingRowHasText(123, 146));  // line 4
    EXPECT_FALSE(UpcomingRowHasText(147, 176));
}

TEST_F(TickTest, BeforeTheFirstLineShowsLinesOneToThree) {
    StartSong(kSong);
    TickAt(200);
    EXPECT_EQ(host.Line, 0);
    EXPECT_EQ(display.LastLineText, "");
    EXPECT_TRUE(UpcomingRowHasText(99, 122));
    EXPECT_TRUE(UpcomingRowHasText(123, 146));
    EXPECT_TRUE(UpcomingRowHasText(147, 176));
    for (int y = 50; y <= 81; ++y) {
        EXPECT_TRUE(test::RowIs(display.Renderer().LyricBmp, y, 0x0088));
    }
}

TEST_F(TickTest, StatusLineEveryTick) {
    host.Length = 999;
    StartSong({});
    const QImage before = display.Renderer().HeaderBmp.copy();
    TickAt(0);
    EXPECT_NE(before, display.Renderer().HeaderBmp);
    EXPECT_GT(CountOtherThan(display.Renderer().HeaderBmp, 30, 50, 0x2104), 0);
}

TEST_F(TickTest, PauseEndsTheTickWithoutDrawing) {
    StartSong(kSong);
    TickAt(1500);
    host.Playing = false;
    host.State = play_state::Paused;
    const QImage surface = display.Surface();
    EXPECT_EQ(TickAt(2500), Tick::Paused);
    EXPECT_FALSE(host.Armed);
    EXPECT_EQ(host.StoppaCalls, 0);
    EXPECT_TRUE(host.Skips.empty());
    EXPECT_EQ(host.State, play_state::Paused);
    EXPECT_EQ(host.LastPosition, 1500);
    EXPECT_EQ(surface, display.Surface());
}

TEST_F(TickTest, NoSongWithoutStreamStops) {
    host.Stream = false;
    host.State = play_state::NoSong;
    host.Armed = true;
    EXPECT_EQ(display.tmrTimer(), Tick::Stopped);
    EXPECT_EQ(host.StoppaCalls, 1);
    EXPECT_FALSE(host.Armed);
}

TEST_F(TickTest, StreamGoneInAnotherStateCountsAsEndOfSong) {
    host.Stream = false;
    host.State = play_state::Playing;
    host.Entries = {"a.mp3", "b.mp3"};
    host.Index = 0;
    EXPECT_EQ(display.tmrTimer(), Tick::SongEnded);
    EXPECT_EQ(host.Skips, std::vector<int>{1});
}

struct EndCase {
    int Index;
    int Count;
    bool Random;
    bool Stops;
};

class EndOfSongTest : public TickTest, public testing::WithParamInterface<EndCase> {};

TEST_P(EndOfSongTest, NextEntryOrStop) {
    const EndCase c = GetParam();
    StartSong(kSong);
    host.Entries.clear();
    for (int i = 0; i < c.Count; ++i) {
        host.Entries << QStringLiteral("/m/%1.mp3").arg(i);
    }
    host.Index = c.Index;
    host.Random = c.Random;
    host.Playing = false;
    EXPECT_EQ(TickAt(9000), Tick::SongEnded);
    EXPECT_FALSE(host.Armed);
    if (c.Stops) {
        EXPECT_EQ(host.StatesSet, (std::vector<int>{play_state::Idle, play_state::EndOfList}));
        EXPECT_EQ(host.StoppaCalls, 1);
        EXPECT_TRUE(host.Skips.empty());
    } else {
        EXPECT_EQ(host.StatesSet, std::vector<int>{play_state::Idle});
        EXPECT_EQ(host.StoppaCalls, 0);
        EXPECT_EQ(host.Skips, std::vector<int>{c.Index + 1});
    }
}

INSTANTIATE_TEST_SUITE_P(Playlist, EndOfSongTest,
                         testing::Values(EndCase{2, 3, false, true},    // end of list
                                         EndCase{2, 3, true, false},    // Random: go on
                                         EndCase{0, 3, false, false},   // next entry
                                         EndCase{0, 1, false, true},    // only entry
                                         EndCase{0, 1, true, false}));  // only entry, Random

TEST_F(TickTest, SongWithoutLyricsPreviewsWhileRedrawRequested) {
    host.Entries = {"/m/first.mp3", "/m/second.mp3", "/m/third.mp3"};
    StartPlaying();
    EXPECT_EQ(display.TitleText(), "song");
    EXPECT_TRUE(UpcomingRowHasText(30, 50));  // drawn by PrepareDisplay
    Mark();
    TickAt(100);
    EXPECT_TRUE(Redrawn());
    EXPECT_TRUE(display.RedrawLyrics);  // stays set on this road
    display.RedrawLyrics = false;
    Mark();
    TickAt(200);
    EXPECT_FALSE(Redrawn());
}

TEST_F(TickTest, ZeroLengthDrawsNoMarker) {
    host.Length = 0;
    StartSong(kSong);
    display.DrawSongMap();
    EXPECT_EQ(TickAt(1500), Tick::Drawn);
    const QImage& bar = display.Renderer().BarBmp;
    EXPECT_EQ(CountOtherThan(bar, 0, 18, PixelAt(bar, 0, 0)), 0);
}

TEST_F(TickTest, BarClickSeeksToWholeSecondAndMarksLyrics) {
    StartSong({{100000, 110000, "a"}, {111000, 113000, "b"}, {120000, 130000, "c"}});
    TickAt(0);
    EXPECT_FALSE(display.FormMouseUp(320, 280));
    EXPECT_FALSE(display.FormMouseUp(0, 290));
    EXPECT_TRUE(host.Seeks.empty());
    EXPECT_TRUE(display.FormMouseUp(320, 290));
    EXPECT_EQ(host.Seeks, std::vector<int>{112});
    EXPECT_EQ(host.Line, 2);  // the line started last at 112 500 ms
    EXPECT_TRUE(display.LyricsDirty);
}

TEST_F(TickTest, BarClickIgnoredUnlessPlayingInWindowMode) {
    StartSong(kSong);
    host.State = play_state::Paused;
    EXPECT_FALSE(display.FormMouseUp(320, 290));
    host.State = play_state::Playing;
    host.Stream = false;
    EXPECT_FALSE(display.FormMouseUp(320, 290));
    host.Stream = true;
    display.SetFullScreen(true, QSize(1024, 768));
    EXPECT_FALSE(display.FormMouseUp(320, 290));
    EXPECT_TRUE(host.Seeks.empty());
}

}  // namespace
}  // namespace vok

namespace vok {
namespace {

// Writes a typical frame as a picture for a person to look at: VOK_SAMPLE_FRAME=/tmp/display.png.
TEST_F(TickTest, SampleFrameForInspection) {
    const QString path = qEnvironmentVariable("VOK_SAMPLE_FRAME");
    if (path.isEmpty()) {
        GTEST_SKIP() << "set VOK_SAMPLE_FRAME to a .png path to write a sample frame";
    }
    host.Entries = {"a.vok", "b.vok", "c.mp3"};
    host.Index = 1;
    host.Length = 60000;
    test::LoadSong(host.SongModel, dir,
                   {{2000, 6000, "Over the hills and far away"},
                    {6500, 10000, "Where the rivers run to the sea"},
                    {10500, 14000, "We sang the old songs all the night"},
                    {14500, 18000, "And the morning came too soon"},
                    {20000, 26000, "Sing it again"}},
                   QStringLiteral("Far Away"), QStringLiteral("The Demo Singers"));
    display.DrawSongMap();
    StartPlaying();
    TickAt(7200);
    ASSERT_TRUE(display.Surface().copy(0, 0, 640, 300).save(path));
}

}  // namespace
}  // namespace vok
