#include "DisplayFixtures.h"
#include "display/LyricRenderer.h"
#include "display/Pixels.h"

#include <gtest/gtest.h>

namespace vok {
namespace {

using test::CountOtherThan;
using test::PixelAt;
using test::RowIs;

constexpr std::uint16_t kBand = 0x0088;

std::uint16_t Grey(int v) {
    return static_cast<std::uint16_t>(((v >> 3) << 11) | ((v >> 2) << 5) | (v >> 3));
}

// Rows of the image holding any pixel other than the background.
bool RowsHaveText(const QImage& image, int top, int bottom, std::uint16_t background) {
    return CountOtherThan(image, top, bottom, background) > 0;
}

class RendererTest : public testing::Test {
  protected:
    test::TempDir dir;
    TVokalento song;
    LyricRenderer renderer{96.0};

    void Load(const std::vector<test::TimedLine>& lines) { test::LoadSong(song, dir, lines); }
};

TEST_F(RendererTest, PrepareDrawsHeaderFrameAndGuideRamps) {
    renderer.PrepareImages(QStringLiteral("Artist - Title"), true);
    const QImage& header = renderer.HeaderBmp;
    EXPECT_TRUE(RowIs(header, 0, 0xFFFF));
    EXPECT_TRUE(RowIs(header, 60, 0xFFFF));
    EXPECT_TRUE(RowsHaveText(header, 5, 28, 0x2104));  // title at (10, 5)
    EXPECT_TRUE(RowIs(header, 1, 0x2104));
    EXPECT_TRUE(RowIs(header, 59, 0x2104));
    for (int y = 0; y < header.height(); ++y) {
        EXPECT_EQ(PixelAt(header, 639, y), y == 0 || y == 60 ? 0xFFFF : 0x2104);
    }

    const QImage& lyrics = renderer.LyricBmp;
    const std::uint16_t ramp[5] = {4, 8, 16, 24, 31};  // blue 34, 68, 136, 204, 255 on 31 steps
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(RowIs(lyrics, 45 + i, ramp[i])) << "upper ramp row " << 45 + i;
        EXPECT_TRUE(RowIs(lyrics, 86 - i, ramp[i])) << "lower ramp row " << 86 - i;
    }
    EXPECT_EQ(CountOtherThan(lyrics, 0, 44, 0), 0);
    EXPECT_EQ(CountOtherThan(lyrics, 50, 81, 0), 0);
    EXPECT_EQ(CountOtherThan(lyrics, 87, 218, 0), 0);

    ASSERT_FALSE(renderer.BarBmp.isNull());
    EXPECT_EQ(renderer.BarBmp.size(), QSize(640, 20));
    EXPECT_EQ(CountOtherThan(renderer.BarBmp, 0, 19, 0), 0);
}

TEST_F(RendererTest, PrepareWithoutLyricsHasNoRamps) {
    renderer.PrepareImages(QString(), false);
    EXPECT_EQ(CountOtherThan(renderer.LyricBmp, 0, 218, 0), 0);
    EXPECT_EQ(CountOtherThan(renderer.HeaderBmp, 1, 59, 0x2104), 0);  // empty title draws nothing
}

TEST_F(RendererTest, StatusLineRepaintsOnlyItsRows) {
    renderer.PrepareImages(QStringLiteral("Title"), true);
    const QImage before = renderer.HeaderBmp.copy();
    renderer.DrawStatusLine(QStringLiteral("<00:01:23 / 00:03:45>  3 / 12"));
    renderer.DrawStatusLine(QStringLiteral("<00:01:24 / 00:03:45>  3 / 12"));
    for (int y = 0; y < 30; ++y) {
        EXPECT_EQ(0, memcmp(before.constScanLine(y), renderer.HeaderBmp.constScanLine(y), 1280));
    }
    EXPECT_TRUE(RowsHaveText(renderer.HeaderBmp, 30, 50, 0x2104));
    EXPECT_TRUE(RowIs(renderer.HeaderBmp, 60, 0xFFFF));
    // Text starts at column 10, nothing to its left.
    for (int y = 30; y <= 50; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(PixelAt(renderer.HeaderBmp, x, y), 0x2104);
        }
    }
}

TEST_F(RendererTest, CurrentLineOnBandUpcomingInGreens) {
    Load({{1000, 2000, "First"},
          {3000, 4000, "Second"},
          {5000, 6000, "Third"},
          {7000, 8000, "Fourth"},
          {9000, 9500, "Fifth"}});
    renderer.PrepareImages(QStringLiteral("T"), true);
    LyricColours colours;
    colours.EnableOLText = false;
    renderer.DrawLyricFrame(1, QStringLiteral("First"), song, colours);
    const QImage& lyrics = renderer.LyricBmp;
    // Band rows 50 .. 52 + 30, its edges untouched by the centred text.
    for (int y = 50; y <= 82; ++y) {
        EXPECT_EQ(PixelAt(lyrics, 0, y), kBand) << y;
        EXPECT_EQ(PixelAt(lyrics, 639, y), kBand) << y;
    }
    EXPECT_TRUE(RowsHaveText(lyrics, 50, 82, kBand));
    EXPECT_TRUE(RowIs(lyrics, 49, 31));  // guide rows above the band stay
    EXPECT_TRUE(RowIs(lyrics, 83, 24));
    // Upcoming lines 2, 3, 4, each in its own green and its own rows.
    const int rows[3][2] = {{99, 122}, {123, 146}, {147, 176}};
    const int greens[3] = {0xAA, 0x77, 0x55};
    for (int k = 0; k < 3; ++k) {
        int brightest = 0;
        for (int y = rows[k][0]; y <= rows[k][1]; ++y) {
            for (int x = 0; x < 640; ++x) {
                const std::uint16_t p = PixelAt(lyrics, x, y);
                EXPECT_EQ(p & 0xF81F, 0) << "only green in upcoming line " << k + 1;
                brightest = std::max(brightest, (p >> 5) & 0x3F);
            }
        }
        EXPECT_EQ(brightest, greens[k] >> 2) << "upcoming line " << k + 1;
    }
    // Text is centred on column 320: roughly as much ink left as right of it.
    int left = 640;
    int right = -1;
    for (int y = 99; y <= 122; ++y) {
        for (int x = 0; x < 640; ++x) {
            if (PixelAt(lyrics, x, y) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    EXPECT_NEAR((left + right) / 2.0, 320, 3);
}

TEST_F(RendererTest, EmptyLineStillPaintsBandAndBlanksUpcomingArea) {
    Load({{1000, 2000, "One"}, {3000, 4000, "Two"}});
    renderer.PrepareImages(QStringLiteral("T"), true);
    FillRows16(renderer.LyricBmp, 90, 218, 0x1234);  // stale content to be blanked
    renderer.DrawLyricFrame(2, QString(), song, LyricColours{});
    const QImage& lyrics = renderer.LyricBmp;
    for (int y = 50; y <= 81; ++y) {
        EXPECT_TRUE(RowIs(lyrics, y, kBand)) << y;
    }
    EXPECT_TRUE(RowIs(lyrics, 82, 31));  // an empty band leaves the brightest guide row
    EXPECT_EQ(CountOtherThan(lyrics, 99, 176, 0), 0);  // last line current: nothing upcoming
    EXPECT_TRUE(RowIs(lyrics, 177, 0x1234));           // below the blanked area: untouched
}

TEST_F(RendererTest, UpcomingLinesStopAtTheLastLine) {
    Load({{1000, 2000, "One"}, {3000, 4000, "Two"}, {5000, 6000, "Three"}});
    renderer.PrepareImages(QStringLiteral("T"), true);
    renderer.DrawLyricFrame(2, QStringLiteral("Two"), song, LyricColours{});
    EXPECT_TRUE(RowsHaveText(renderer.LyricBmp, 99, 122, 0));
    EXPECT_EQ(CountOtherThan(renderer.LyricBmp, 123, 176, 0), 0);

    renderer.DrawLyricFrame(0, QString(), song, LyricColours{});  // before the first line
    EXPECT_TRUE(RowsHaveText(renderer.LyricBmp, 99, 122, 0));
    EXPECT_TRUE(RowsHaveText(renderer.LyricBmp, 123, 146, 0));
    EXPECT_TRUE(RowsHaveText(renderer.LyricBmp, 147, 176, 0));
}

TEST_F(RendererTest, OutlineDrawsInOutlineColour) {
    Load({{1000, 2000, "Outlined"}});
    renderer.PrepareImages(QStringLiteral("T"), true);
    LyricColours colours;
    colours.TextFarg = 0x000000FF;    // red
    colours.TextOLFarg = 0x00FF0000;  // blue
    renderer.DrawLyricFrame(1, QStringLiteral("Outlined"), song, colours);
    int pureBlue = 0;
    int pureRed = 0;
    for (int y = 50; y <= 82; ++y) {
        for (int x = 0; x < 640; ++x) {
            pureBlue += PixelAt(renderer.LyricBmp, x, y) == 0x001F ? 1 : 0;
            pureRed += PixelAt(renderer.LyricBmp, x, y) == 0xF800 ? 1 : 0;
        }
    }
    EXPECT_GT(pureBlue, 0);
    EXPECT_GT(pureRed, 0);

    colours.EnableOLText = false;
    renderer.DrawLyricFrame(1, QStringLiteral("Outlined"), song, colours);
    pureBlue = 0;
    for (int y = 50; y <= 82; ++y) {
        for (int x = 0; x < 640; ++x) {
            pureBlue += PixelAt(renderer.LyricBmp, x, y) == 0x001F ? 1 : 0;
        }
    }
    EXPECT_EQ(pureBlue, 0);
}

TEST_F(RendererTest, SongMapBlocksInGreys) {
    Load({{0, 32000, "a"}, {64000, 96000, "b"}});
    DrawSongMap(song, renderer.SongMapBmp, 128000);  // 5 ms per column
    const QImage& map = renderer.SongMapBmp;
    const int greys[19] = {0x11, 0x33, 0x55, 0x77, 0x88, 0x99, 0x99, 0x99, 0x99, 0x99,
                           0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x88, 0x77, 0x55};
    for (int y = 0; y < 19; ++y) {
        EXPECT_EQ(PixelAt(map, 0, y), Grey(greys[y])) << y;
        EXPECT_EQ(PixelAt(map, 159, y), Grey(greys[y])) << y;
        EXPECT_EQ(PixelAt(map, 160, y), Grey(0x33)) << y;  // right edge excluded
        EXPECT_EQ(PixelAt(map, 319, y), Grey(0x33)) << y;
        EXPECT_EQ(PixelAt(map, 320, y), Grey(greys[y])) << y;
        EXPECT_EQ(PixelAt(map, 479, y), Grey(greys[y])) << y;
        EXPECT_EQ(PixelAt(map, 480, y), Grey(0x33)) << y;
    }
}

TEST_F(RendererTest, SongMapWithoutLengthOrLinesIsPlainGrey) {
    Load({{0, 32000, "a"}});
    for (int length : {0, -1000}) {
        FillImage16(renderer.SongMapBmp, 0x1234);
        DrawSongMap(song, renderer.SongMapBmp, length);
        EXPECT_EQ(CountOtherThan(renderer.SongMapBmp, 0, 18, Grey(0x33)), 0) << length;
    }
    TVokalento empty;
    DrawSongMap(empty, renderer.SongMapBmp, 1000);
    EXPECT_EQ(CountOtherThan(renderer.SongMapBmp, 0, 18, Grey(0x33)), 0);
}

TEST_F(RendererTest, SongMapClipsTimesFarOutsideTheSong) {
    Load({{-2000000000, -1000000000, "early"},
          {2000000000, 2100000000, "late"},
          {500, 100, "backwards"}});
    DrawSongMap(song, renderer.SongMapBmp, 1000);
    // The reversed line (End before Start) leaves its ramps but no body.
    EXPECT_EQ(PixelAt(renderer.SongMapBmp, 100, 10), Grey(0x33));
    EXPECT_EQ(PixelAt(renderer.SongMapBmp, 100, 0), Grey(0x11));
    EXPECT_EQ(PixelAt(renderer.SongMapBmp, 639, 10), Grey(0x33));
}

TEST_F(RendererTest, MarkerYellowWithOliveSides) {
    Load({{0, 1000, "a"}});
    DrawSongMap(song, renderer.SongMapBmp, 64000);
    renderer.PrepareImages(QString(), true);
    renderer.UpdateBar(32000, 64000);
    const QImage& bar = renderer.BarBmp;
    for (int y = 0; y < 19; ++y) {
        EXPECT_EQ(PixelAt(bar, 320, y), 0xFFE0) << y;
        EXPECT_EQ(PixelAt(bar, 319, y), 0x8400) << y;
        EXPECT_EQ(PixelAt(bar, 321, y), 0x8400) << y;
        EXPECT_EQ(PixelAt(bar, 322, y), Grey(0x33)) << y;
    }
    EXPECT_TRUE(RowIs(bar, 19, 0));              // the last row is never covered
    EXPECT_EQ(PixelAt(bar, 5, 10), Grey(0x99));  // song map copied under the marker

    renderer.UpdateBar(0, 64000);  // column -1 clipped
    EXPECT_EQ(PixelAt(bar, 0, 5), 0xFFE0);
    EXPECT_EQ(PixelAt(bar, 1, 5), 0x8400);
    renderer.UpdateBar(64000, 64000);  // column 640: only the olive column 639 remains
    EXPECT_EQ(PixelAt(bar, 639, 5), 0x8400);
    EXPECT_EQ(PixelAt(bar, 320, 5), Grey(0x33));
}

TEST_F(RendererTest, NoMarkerWithoutLength) {
    renderer.ReleaseBar();
    FillImage16(renderer.SongMapBmp, 0x1111);
    for (int length : {0, -5}) {
        renderer.UpdateBar(1000, length);
        ASSERT_FALSE(renderer.BarBmp.isNull());  // recreated rather than drawn into nothing
        EXPECT_EQ(CountOtherThan(renderer.BarBmp, 0, 18, 0x1111), 0);
    }
}

TEST_F(RendererTest, PreviewListsFollowingEntriesInFadingGreys) {
    renderer.PrepareImages(QString(), false);
    PlaylistView playlist;
    playlist.PlayIndex = 0;
    playlist.Count = 4;
    const QStringList paths{"/a/zero.mp3", "/a/one.mp3", "/a/noext", "/a/three.ogg"};
    playlist.PathAt = [&](int i) { return paths.at(i); };
    renderer.DrawPlaylistPreview(playlist);
    const QImage& lyrics = renderer.LyricBmp;
    const int greys[3] = {0xCC, 0xAA, 0x88};
    for (int k = 0; k < 3; ++k) {
        const int top = 30 + 25 * k;
        int brightest = 0;
        for (int y = top; y < top + 25; ++y) {
            for (int x = 0; x < 640; ++x) {
                brightest = std::max(brightest, PixelAt(lyrics, x, y) >> 11);
            }
        }
        EXPECT_EQ(brightest, greys[k] >> 3) << "row " << k + 1;
    }
    EXPECT_EQ(CountOtherThan(lyrics, 105, 218, 0), 0);  // only three entries follow
    EXPECT_EQ(CountOtherThan(lyrics, 0, 218, 0) > 0, true);
    for (int y = 0; y < 219; ++y) {
        for (int x = 0; x < 20; ++x) {
            ASSERT_EQ(PixelAt(lyrics, x, y), 0);
        }
    }
}

TEST_F(RendererTest, PreviewOfLastEntryOrEmptyListDrawsNothing) {
    renderer.PrepareImages(QString(), false);
    PlaylistView playlist;
    playlist.PathAt = [](int) { return QStringLiteral("x.mp3"); };
    playlist.PlayIndex = 2;
    playlist.Count = 3;
    renderer.DrawPlaylistPreview(playlist);
    playlist.PlayIndex = -1;
    playlist.Count = 0;
    renderer.DrawPlaylistPreview(playlist);
    EXPECT_EQ(CountOtherThan(renderer.LyricBmp, 0, 218, 0), 0);
}

TEST(HeaderTexts, TitleByKindOfFile) {
    test::TempDir dir;
    TVokalento song;
    EXPECT_EQ(TitleTextFor(song, QStringLiteral("/m/Song.name.mp3")), "Song.name");
    EXPECT_EQ(TitleTextFor(song, QStringLiteral("/m/noextension")), "");
    test::LoadSong(song, dir, {}, QStringLiteral("Title"), QStringLiteral("  Artist\t "));
    EXPECT_EQ(TitleTextFor(song, QString()), "Artist - Title");
    test::LoadSong(song, dir, {}, QStringLiteral("Title"), QStringLiteral("   "));
    EXPECT_EQ(TitleTextFor(song, QString()), " - Title");
}

TEST(HeaderTexts, StatusLine) {
    EXPECT_EQ(StatusText(83000, 225000, 2, 12), "<00:01:23 / 00:03:45>  3 / 12");
    EXPECT_EQ(StatusText(0, 999, 0, 1), "<00:00:00 / 00:00:00>  1 / 1");
}

}  // namespace
}  // namespace vok
