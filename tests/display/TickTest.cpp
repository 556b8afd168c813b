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

const std::vector<test::TimedLine> kSong = {
    {1000, 2000, "Hello"}, {2000, 3000, "Hello"}, {4000, 5000, "World"}, {6000, 7000, "End"}};

class TickTest : public testing::Test {
  protected:
    test::TempDir dir;
    test::FakeHost host;
    LyricDisplay display{host, 96.0};

    // What starting a song does: clear, prepare, request the first redraw.
    void Start(const std::vector<test::TimedLine>& lines) {
        if (!lines.empty()) {
            test::LoadSong(host.SongModel, dir, lines);
        }
        display.ClearDisplayArea();
        display.PrepareDisplay(QStringLiteral("/music/song.mp3"));
        display.RedrawLyrics = true;
    }
    Tick TickAt(int ms) {
        host.Position = ms;
        return display.tmrTimer();
    }
    // Marks a pixel every lyric frame (row 99) and every preview (its first cell) writes.
    void Mark() {
        QImage& lyrics = display.Renderer().LyricBmp;
        reinterpret_cast<std::uint16_t*>(lyrics.scanLine(99))[0] = kSentinel;
        reinterpret_cast<std::uint16_t*>(lyrics.scanLine(30))[20] = kSentinel;
    }
    bool Redrawn() const {
        const QImage& lyrics = display.Renderer().LyricBmp;
        return PixelAt(lyrics, 0, 99) != kSentinel || PixelAt(lyrics, 20, 30) != kSentinel;
    }
    bool HasText(int top, int bottom) const {
        return CountOtherThan(display.Renderer().LyricBmp, top, bottom, 0) > 0;
    }
};

TEST_F(TickTest, FirstTickDrawsAndPresents) {
    Start(kSong);
    EXPECT_FALSE(host.ButtonsEnabled);
    EXPECT_EQ(TickAt(1500), Tick::Drawn);
    EXPECT_TRUE(host.Armed);
    EXPECT_EQ(std::tuple(host.LastPosition, host.Line, host.SpectrumFrames),
              std::tuple(1500, 1, 1));
    EXPECT_FALSE(display.RedrawLyrics || display.LyricsDirty);
    const QImage& surface = display.Surface();
    EXPECT_EQ(PixelAt(surface, 5, 60), 0xFFFF);       // header
    EXPECT_EQ(PixelAt(surface, 0, 61 + 50), 0x0088);  // band
    EXPECT_EQ(PixelAt(surface, 0, 299), 0);           // last bar row
}

TEST_F(TickTest, RedrawsOnlyWhenTheTextChanges) {
    Start(kSong);
    TickAt(1500);
    Mark();
    TickAt(1600);
    EXPECT_FALSE(Redrawn());
    TickAt(2500);  // line 2 has the same text: compared on text, not number
    EXPECT_EQ(host.Line, 2);
    EXPECT_FALSE(Redrawn());
    TickAt(3500);  // between lines: empty text, redrawn once
    EXPECT_TRUE(Redrawn());
    EXPECT_EQ(host.Line, 2);
    EXPECT_TRUE(HasText(99, 146));  // lines 3 and 4 upcoming
    EXPECT_FALSE(HasText(147, 176));
    Mark();
    TickAt(3600);
    EXPECT_FALSE(Redrawn());
    // Requests force a frame, and the lyric area reaches the surface only then.
    FillRows16(display.Renderer().LyricBmp, 0, 0, kSentinel);
    TickAt(3600);
    EXPECT_NE(PixelAt(display.Surface(), 0, 61), kSentinel);
    display.LyricsDirty = true;
    TickAt(3600);
    EXPECT_TRUE(Redrawn());
    EXPECT_EQ(PixelAt(display.Surface(), 0, 61), kSentinel);
    EXPECT_FALSE(display.LyricsDirty);
}

TEST_F(TickTest, BeforeTheFirstLineShowsLinesOneToThree) {
    Start(kSong);
    TickAt(200);
    EXPECT_EQ(host.Line, 0);
    EXPECT_TRUE(HasText(99, 122) && HasText(123, 146) && HasText(147, 176));
    EXPECT_TRUE(test::RowIs(display.Renderer().LyricBmp, 81, 0x0088));
}

TEST_F(TickTest, PauseAndNoSongEndTheTickWithoutDrawing) {
    Start(kSong);
    TickAt(1500);
    host.Playing = false;
    host.Now = PlayState::Paused;
    const QImage surface = display.Surface();
    EXPECT_EQ(TickAt(2500), Tick::Paused);
    EXPECT_EQ(std::tuple(host.Armed, host.StoppaCalls, host.LastPosition),
              std::tuple(false, 0, 1500));
    EXPECT_EQ(host.SongEnds, 0);
    EXPECT_EQ(surface, display.Surface());

    host.Stream = false;
    host.Now = PlayState::NoSong;
    EXPECT_EQ(TickAt(2500), Tick::Stopped);
    EXPECT_EQ(host.StoppaCalls, 1);
    EXPECT_FALSE(host.Armed);
}

TEST_F(TickTest, AnEndedStreamIsHandedToThePlaylistOnceAndTheTickStaysOff) {
    Start(kSong);
    TickAt(1500);
    host.Playing = false;
    EXPECT_EQ(TickAt(9000), Tick::SongEnded);
    EXPECT_FALSE(host.Armed);
    EXPECT_EQ(std::tuple(host.SongEnds, host.StoppaCalls), std::tuple(1, 0));
}

TEST_F(TickTest, SongWithoutLyricsPreviewsWhileRedrawRequested) {
    host.Entries = {"/m/first.mp3", "/m/second.mp3"};
    Start({});
    EXPECT_EQ(display.TitleText(), "song");
    EXPECT_TRUE(HasText(30, 50));
    Mark();
    TickAt(100);
    EXPECT_TRUE(Redrawn());
    EXPECT_TRUE(display.RedrawLyrics);  // not cleared on this road
    display.RedrawLyrics = false;
    Mark();
    TickAt(200);
    EXPECT_FALSE(Redrawn());
}

TEST_F(TickTest, BarClickSeeksWholeSecondsOnlyWhilePlayingInWindowMode) {
    Start({{100000, 110000, "a"}, {111000, 113000, "b"}, {120000, 130000, "c"}});
    EXPECT_FALSE(display.FormMouseUp(320, 280));
    EXPECT_TRUE(display.FormMouseUp(320, 290));
    EXPECT_EQ(host.Seeks, std::vector<int>{112});
    EXPECT_EQ(host.Line, 2);  // the line started last at 112 500 ms
    EXPECT_TRUE(display.LyricsDirty);
    host.Now = PlayState::Paused;
    EXPECT_FALSE(display.FormMouseUp(320, 290));
    host.Now = PlayState::Playing;
    display.SetFullScreen(true, QSize(1024, 768));
    EXPECT_FALSE(display.FormMouseUp(320, 290));
    EXPECT_EQ(host.Seeks.size(), 1u);
}

}  // namespace
}  // namespace vok
