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

// Brightest value of one channel (shift, mask) over rows top..bottom.
int Brightest(const QImage& image, int top, int bottom, int shift, int mask) {
    int best = 0;
    for (int y = top; y <= bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            best = std::max(best, (PixelAt(image, x, y) >> shift) & mask);
        }
    }
    return best;
}

class RendererTest : public testing::Test {
  protected:
    test::TempDir dir;
    TVokalento song;
    LyricRenderer renderer{96.0};
    const QImage& lyrics = renderer.LyricBmp;
};

TEST_F(RendererTest, PrepareDrawsHeaderAndGuideRamps) {
    renderer.PrepareImages(QStringLiteral("Artist - Title"), true);
    const QImage& header = renderer.HeaderBmp;
    EXPECT_TRUE(RowIs(header, 0, 0xFFFF));
    EXPECT_TRUE(RowIs(header, 60, 0xFFFF));
    EXPECT_GT(CountOtherThan(header, 5, 28, 0x2104), 0);  // title at (10, 5)
    EXPECT_EQ(CountOtherThan(header, 29, 59, 0x2104), 0);
    const std::uint16_t ramp[5] = {4, 8, 16, 24, 31};  // blue 34, 68, 136, 204, 255
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(RowIs(lyrics, 45 + i, ramp[i])) << 45 + i;
        EXPECT_TRUE(RowIs(lyrics, 86 - i, ramp[i])) << 86 - i;
    }
    EXPECT_EQ(CountOtherThan(lyrics, 50, 81, 0) + CountOtherThan(lyrics, 87, 218, 0), 0);
    EXPECT_EQ(CountOtherThan(renderer.BarBmp, 0, 19, 0), 0);

    renderer.DrawStatusLine(QStringLiteral("<00:01:23 / 00:03:45>  3 / 12"));
    EXPECT_GT(CountOtherThan(header, 30, 50, 0x2104), 0);
    EXPECT_TRUE(RowIs(header, 29, 0x2104));
    EXPECT_TRUE(RowIs(header, 60, 0xFFFF));
}

TEST_F(RendererTest, CurrentLineOnBandUpcomingInFadingGreens) {
    test::LoadSong(song, dir,
                   {{1000, 2000, "First"},
                    {3000, 4000, "Second"},
                    {5000, 6000, "Third"},
                    {7000, 8000, "Fourth"}});
    renderer.PrepareImages(QString(), true);
    renderer.DrawLyricFrame(1, QStringLiteral("First"), song, LyricColours{});
    for (int y = 50; y <= 82; ++y) {  // band rows 50 .. 52 + cell height 30
        EXPECT_EQ(PixelAt(lyrics, 0, y), kBand) << y;
    }
    EXPECT_GT(CountOtherThan(lyrics, 50, 82, kBand), 0);
    EXPECT_TRUE(RowIs(lyrics, 83, 24));  // guide rows below the band stay
    const int rows[3][2] = {{99, 122}, {123, 146}, {147, 176}};
    const int greens[3] = {0xAA, 0x77, 0x55};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Brightest(lyrics, rows[k][0], rows[k][1], 5, 0x3F), greens[k] >> 2) << k;
        EXPECT_EQ(Brightest(lyrics, rows[k][0], rows[k][1], 0, 0xF81F), 0) << "green only";
    }
}

TEST_F(RendererTest, EmptyAndLastLines) {
    test::LoadSong(song, dir, {{1000, 2000, "One"}, {3000, 4000, "Two"}, {5000, 6000, "Three"}});
    renderer.PrepareImages(QString(), true);
    FillRows16(renderer.LyricBmp, 90, 218, 0x1234);
    renderer.DrawLyricFrame(3, QString(), song, LyricColours{});
    for (int y = 50; y <= 81; ++y) {
        EXPECT_TRUE(RowIs(lyrics, y, kBand)) << y;
    }
    EXPECT_TRUE(RowIs(lyrics, 82, 31));                // the empty band leaves the guide row
    EXPECT_EQ(CountOtherThan(lyrics, 99, 176, 0), 0);  // last line: nothing upcoming
    EXPECT_TRUE(RowIs(lyrics, 177, 0x1234));           // below the upcoming area: untouched
    renderer.DrawLyricFrame(2, QStringLiteral("Two"), song, LyricColours{});
    EXPECT_GT(CountOtherThan(lyrics, 99, 122, 0), 0);  // second-to-last: one line follows
    EXPECT_EQ(CountOtherThan(lyrics, 123, 176, 0), 0);
}

TEST_F(RendererTest, OutlineOnlyWhenEnabled) {
    test::LoadSong(song, dir, {{1000, 2000, "Outlined"}});
    LyricColours colours{0x000000FF, 0x00FF0000, true};  // red text, blue outline
    renderer.DrawLyricFrame(1, QStringLiteral("Outlined"), song, colours);
    EXPECT_EQ(Brightest(lyrics, 50, 82, 11, 0x1F), 31);
    EXPECT_EQ(Brightest(lyrics, 50, 82, 0, 0x1F), 31);
    colours.EnableOLText = false;
    renderer.DrawLyricFrame(1, QStringLiteral("Outlined"), song, colours);
    EXPECT_EQ(Brightest(lyrics, 50, 82, 0, 0x1F), 8);  // only the band's blue
}

TEST_F(RendererTest, SongMapBlocksInGreys) {
    test::LoadSong(song, dir, {{0, 32000, "a"}, {64000, 96000, "b"}});
    DrawSongMap(song, renderer.SongMapBmp, 128000);  // 200 ms per column
    const int greys[19] = {0x11, 0x33, 0x55, 0x77, 0x88, 0x99, 0x99, 0x99, 0x99, 0x99,
                           0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x88, 0x77, 0x55};
    for (int y = 0; y < 19; ++y) {
        for (int x : {0, 159, 320, 479}) {
            EXPECT_EQ(PixelAt(renderer.SongMapBmp, x, y), Grey(greys[y])) << x << "," << y;
        }
        for (int x : {160, 319, 480}) {  // right edges excluded
            EXPECT_EQ(PixelAt(renderer.SongMapBmp, x, y), Grey(0x33)) << x << "," << y;
        }
    }
}

TEST_F(RendererTest, SongMapSurvivesBadLengthsAndTimes) {
    test::LoadSong(song, dir, {{0, 32000, "a"}});
    for (int length : {0, -1000}) {
        DrawSongMap(song, renderer.SongMapBmp, length);
        EXPECT_EQ(CountOtherThan(renderer.SongMapBmp, 0, 18, Grey(0x33)), 0) << length;
    }
    test::LoadSong(song, dir,
                   {{-2000000000, -1000000000, "early"},
                    {2000000000, 2100000000, "late"},
                    {500, 100, "backwards"}});
    DrawSongMap(song, renderer.SongMapBmp, 1000);
    EXPECT_EQ(PixelAt(renderer.SongMapBmp, 100, 10), Grey(0x33));  // reversed: no body...
    EXPECT_EQ(PixelAt(renderer.SongMapBmp, 100, 0), Grey(0x11));   // ...but its ramp lines
    EXPECT_EQ(PixelAt(renderer.SongMapBmp, 639, 10), Grey(0x33));
}

TEST_F(RendererTest, MarkerYellowWithOliveSidesClipped) {
    FillImage16(renderer.SongMapBmp, Grey(0x33));
    renderer.UpdateBar(32000, 64000);
    const QImage& bar = renderer.BarBmp;
    for (int y = 0; y < 19; ++y) {
        EXPECT_EQ(PixelAt(bar, 320, y), 0xFFE0);
        EXPECT_EQ(PixelAt(bar, 319, y), 0x8400);
        EXPECT_EQ(PixelAt(bar, 321, y), 0x8400);
    }
    EXPECT_EQ(CountOtherThan(bar, 0, 18, Grey(0x33)), 3 * 19);
    EXPECT_TRUE(RowIs(bar, 19, 0));
    renderer.UpdateBar(64000, 64000);  // column 640: only its left side shows
    EXPECT_EQ(PixelAt(bar, 639, 5), 0x8400);
    EXPECT_EQ(CountOtherThan(bar, 0, 18, Grey(0x33)), 19);
    for (int length : {0, -5}) {
        renderer.UpdateBar(1000, length);
        EXPECT_EQ(CountOtherThan(bar, 0, 18, Grey(0x33)), 0) << length;
    }
}

TEST_F(RendererTest, PreviewOfFollowingEntries) {
    renderer.PrepareImages(QString(), false);
    const QStringList paths{"/a/zero.mp3", "/a/one.mp3", "/a/noext", "/a/three.ogg"};
    renderer.DrawPlaylistPreview({0, 4, [&](int i) { return paths.at(i); }});
    const int greys[3] = {0xCC, 0xAA, 0x88};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(Brightest(lyrics, 30 + 25 * k, 54 + 25 * k, 11, 0x1F), greys[k] >> 3) << k;
    }
    EXPECT_EQ(CountOtherThan(lyrics, 105, 218, 0), 0);  // only three entries follow
    renderer.PrepareImages(QString(), false);
    renderer.DrawPlaylistPreview({3, 4, [&](int i) { return paths.at(i); }});
    renderer.DrawPlaylistPreview({-1, 0, [&](int i) { return paths.at(i); }});
    EXPECT_EQ(CountOtherThan(lyrics, 0, 218, 0), 0);
}

TEST(HeaderTexts, TitleAndStatus) {
    test::TempDir dir;
    TVokalento song;
    EXPECT_EQ(TitleTextFor(song, QStringLiteral("/m/Song.name.mp3")), "Song.name");
    EXPECT_EQ(TitleTextFor(song, QStringLiteral("/m/noextension")), "");
    test::LoadSong(song, dir, {}, QStringLiteral("  Artist\t "));
    EXPECT_EQ(TitleTextFor(song, QString()), "Artist - Title");
    test::LoadSong(song, dir, {}, QStringLiteral("   "));
    EXPECT_EQ(TitleTextFor(song, QString()), " - Title");
    for (const auto& [tags, title] :
         {std::pair{"[ti:T]\n[ar: A ]", "A - T"}, {"[ti:T]", "T"}, {"[ar:A]", "A - Tune.lrc"}}) {
        song.Reset();
        song.LoadFromFile(dir.Write("Tune.lrc", tags + QByteArray("\n[00:01]x")));
        EXPECT_EQ(TitleTextFor(song, QStringLiteral("/m/Tune.mp3")), title);
    }
    EXPECT_EQ(StatusText(83000, 225000, 2, 12), "<00:01:23 / 00:03:45>  3 / 12");
    EXPECT_EQ(StatusText(0, 999, 0, 1), "<00:00:00 / 00:00:00>  1 / 1");
    EXPECT_EQ(StatusText(0, 999, 0, 1, 2, 95),
              "<00:00:00 / 00:00:00>  1 / 1 · Key +2 · Tempo 95 %");
    EXPECT_EQ(StatusText(0, 999, 0, 1, -3, 100), "<00:00:00 / 00:00:00>  1 / 1 · Key -3");
}

}  // namespace
}  // namespace vok
