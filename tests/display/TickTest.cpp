#include "DisplayFixtures.h"
#include "display/LyricDisplay.h"
#include "display/Pixels.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace vok {
namespace {

using test::CountOtherThan;
using test::PixelAt;

constexpr std::uint16_t kSentinel = 0x1234;

const std::vector<test::TimedLine> kSong = {
    {1000, 2000, "Hello"}, {2000, 3000, "Hello"}, {4000, 5000, "World"}, {6000, 7000, "End"}};

class TickTest : public testing::Test {
  protected:
    test::TempDir dir;
    TVokalento song;
    int line = 0;
    int surfaceChanges = 0;
    LyricDisplay display{[this](const QRect&) { ++surfaceChanges; }, 96.0};

    // What starting a song does: clear, prepare with the first frame.
    void Start(const std::vector<test::TimedLine>& lines) {
        test::LoadSong(song, dir, lines);
        line = 0;
        display.ClearDisplayArea();
        display.PrepareDisplay(QStringLiteral("Title"), test::LyricsAt(song, 0, line));
    }
    void TickAt(int ms, bool redraw = false) {
        DisplaySnapshot frame = test::LyricsAt(song, ms, line);
        frame.RedrawLyrics = redraw;
        display.Render(frame);
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

TEST_F(TickTest, FirstFrameDrawsAndPresents) {
    Start(kSong);
    TickAt(1500);
    EXPECT_EQ(line, 1);
    EXPECT_FALSE(display.LyricsDirty());
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
    EXPECT_EQ(line, 2);
    EXPECT_FALSE(Redrawn());
    TickAt(3500);  // between lines: empty text, redrawn once
    EXPECT_TRUE(Redrawn());
    EXPECT_TRUE(HasText(99, 146));  // lines 3 and 4 upcoming
    EXPECT_FALSE(HasText(147, 176));
    Mark();
    TickAt(3600);
    EXPECT_FALSE(Redrawn());
    // A redraw request forces a frame, and the lyric area reaches the surface only then.
    FillRows16(display.Renderer().LyricBmp, 0, 0, kSentinel);
    TickAt(3600);
    EXPECT_NE(PixelAt(display.Surface(), 0, 61), kSentinel);
    TickAt(3600, true);
    EXPECT_TRUE(Redrawn());
    EXPECT_EQ(PixelAt(display.Surface(), 0, 61), kSentinel);
    display.InvalidateLyrics();
    TickAt(3600);
    EXPECT_FALSE(display.LyricsDirty());
}

TEST_F(TickTest, BeforeTheFirstLineShowsLinesOneToThree) {
    Start(kSong);
    TickAt(200);
    EXPECT_EQ(line, 0);
    EXPECT_TRUE(HasText(99, 122) && HasText(123, 146) && HasText(147, 176));
    EXPECT_TRUE(test::RowIs(display.Renderer().LyricBmp, 81, 0x0088));
}

TEST_F(TickTest, NoticeStandsInForTheTimesUntilItsTimeIsUp) {
    qint64 now = 0;
    TimedNotice notice([&now] { return now; });
    notice.Show(QStringLiteral("Lyrics offset: +50 ms"));
    now = TimedNotice::kShownMs - 1;
    EXPECT_EQ(notice.Current(), QStringLiteral("Lyrics offset: +50 ms"));
    now = TimedNotice::kShownMs;
    EXPECT_TRUE(notice.Current().isEmpty());
}

TEST_F(TickTest, SongWithoutLyricsPreviewsAtEveryFrameOnceStarted) {
    const DisplaySnapshot preview = test::PreviewOf({"/m/first.mp3", "/m/second.mp3"});
    display.PrepareDisplay(QStringLiteral("song"), preview);
    EXPECT_EQ(display.TitleText(), "song");
    EXPECT_TRUE(HasText(30, 50));
    for (int tick = 0; tick < 2; ++tick) {
        Mark();
        display.Render(preview);
        EXPECT_TRUE(Redrawn()) << "the start's redraw request stays on this road";
    }
}

TEST_F(TickTest, BarClicksSeekOnlyInWindowMode) {
    EXPECT_FALSE(display.BarTargetAt(320, 280, 225000));
    const auto target = display.BarTargetAt(320, 290, 225000);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->Seconds, 112);
    display.SetFullScreen(true, QSize(1024, 768));
    EXPECT_FALSE(display.BarTargetAt(320, 290, 225000));
}

// The window copies only the areas the display reports. After every frame it must show what
// copying the three strips whole shows, and a tick that changes nothing reports nothing.
struct PresentMode {
    const char* Name;
    QSize FullScreen;  // empty: window mode
};

class PresentTest : public testing::TestWithParam<PresentMode> {
  protected:
    test::TempDir dir;
    TVokalento song;
    QImage window;
    int reportedPixels = 0;
    LyricDisplay display{[this](const QRect& area) { Report(area); }, 96.0};

    void Report(const QRect& area) {
        const QImage& surface = display.Surface();
        if (window.size() != surface.size()) {
            window = QImage(surface.size(), QImage::Format_RGB16);
            FillImage16(window, kSentinel);
        }
        reportedPixels += area.width() * area.height();
        Copy16(surface, area, window, area.left(), area.top());
    }
    // The surface with each strip copied whole to its place, stretched in full screen.
    static QImage WholeStrips(const LyricDisplay& shown) {
        QImage surface = shown.Surface().copy();
        const LyricRenderer& strips = shown.Renderer();
        if (!shown.FullScreen()) {
            Copy16(strips.HeaderBmp, strips.HeaderBmp.rect(), surface, 0, geometry::HeaderTop);
            Copy16(strips.LyricBmp, strips.LyricBmp.rect(), surface, 0, geometry::LyricTop);
            Copy16(strips.BarBmp, strips.BarBmp.rect(), surface, 0, geometry::BarTop);
            return surface;
        }
        const ScreenLayout& layout = shown.Layout();
        const auto stretch = [&](const QImage& strip, int height, int top, int stretched) {
            StretchCopy16(
                strip, QRect(0, 0, 639, height), surface,
                QRect(0, top, surface.width(), static_cast<int>(layout.Aspect * stretched)));
        };
        stretch(strips.HeaderBmp, geometry::HeaderHeight, layout.HeaderY, 60);
        stretch(strips.LyricBmp, geometry::LyricHeight, layout.LyricsY, geometry::LyricHeight);
        stretch(strips.BarBmp, geometry::SongMapHeight, layout.BarY, 19);
        return surface;
    }
    void Begin(LyricDisplay& target, const DisplaySnapshot& first) {
        if (const QSize size = GetParam().FullScreen; size.isValid()) {
            target.SetLayout(RecalcAspect(size.width(), size.height()));
            target.SetFullScreen(true, size);
        }
        target.ClearDisplayArea();
        target.PrepareDisplay(QStringLiteral("Artist - Title"), first);
    }
};

TEST_P(PresentTest, WindowShowsTheFrameAfterEveryTick) {
    test::LoadSong(
        song, dir,
        {{1000, 5000, "Hello"}, {5000, 5400, "there"}, {6000, 7000, "World"}, {8000, 9000, "End"}});
    int line = 0;
    Begin(display, test::LyricsAt(song, 0, line));
    struct Tick {
        int Ms;
        const char* Notice;
        bool Redraw;
    };
    const Tick ticks[] = {{1500, "", false}, {1510, "", false},        {2600, "", false},
                          {5700, "", false}, {5800, "Key: +2", false}, {5810, "", true},
                          {8200, "", false}, {1200, "", true},         {9900, "", false}};
    for (const Tick& tick : ticks) {
        reportedPixels = 0;
        DisplaySnapshot frame = test::LyricsAt(song, tick.Ms, line);
        frame.Notice = QString::fromLatin1(tick.Notice);
        frame.RedrawLyrics = tick.Redraw;
        display.Render(frame);
        const QRect shown =
            display.FullScreen() ? display.Surface().rect() : geometry::DisplayRect();
        EXPECT_EQ(window.copy(shown), display.Surface().copy(shown))
            << tick.Ms << " ms: a change was not reported";

        EXPECT_EQ(display.Surface(), WholeStrips(display)) << tick.Ms << " ms";
        if (tick.Ms == 1510) {
            EXPECT_EQ(reportedPixels, 0) << "same second, same bar column";
        }
        if (tick.Ms == 2600) {
            EXPECT_LT(reportedPixels, display.Surface().width() * 60 / 4)
                << "a new second sends its digits and the marker, not whole strips";
        }
    }
}

// A graphics song: a few tiles change at a time, and only their part of the picture is drawn
// and sent again; the result is the picture drawn whole.
TEST_P(PresentTest, PictureChangesShowAsTheWholePictureDoes) {
    QImage picture(300, 216, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 170));
    quint64 generation = 0;
    const auto frameOf = [&] {
        DisplaySnapshot frame;
        frame.LengthMs = 300000;
        frame.Content = PictureContent{&picture, QRect(6, 12, 288, 192), ++generation};
        return frame;
    };
    Begin(display, frameOf());
    display.Render(frameOf());
    const QRect tiles[] = {{6, 12, 6, 12}, {150, 100, 12, 24}, {288, 192, 6, 12}, {0, 0, 300, 216}};
    int colour = 0;
    for (const QRect& tile : tiles) {
        QPainter(&picture).fillRect(tile, QColor::fromHsv(colour += 70, 255, 255));
        reportedPixels = 0;
        display.Render(frameOf());
        const QRect shown =
            display.FullScreen() ? display.Surface().rect() : geometry::DisplayRect();
        EXPECT_EQ(window.copy(shown), display.Surface().copy(shown)) << "tile " << colour;

        LyricDisplay whole([](const QRect&) {}, 96.0);
        Begin(whole, frameOf());
        whole.Render(frameOf());
        EXPECT_EQ(display.Surface(), whole.Surface()) << "tile " << colour;
        if (tile.width() < 20) {
            EXPECT_LT(reportedPixels, display.Surface().width() * display.Surface().height() / 8)
                << "a tile sends its own part, not the whole picture";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, PresentTest,
                         testing::Values(PresentMode{"Window", {}},
                                         PresentMode{"FullScreen", {1920, 1080}},
                                         PresentMode{"FullScreenOdd", {1366, 768}}),
                         [](const auto& mode) { return std::string(mode.param.Name); });

}  // namespace
}  // namespace vok
