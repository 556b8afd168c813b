#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <map>

#include "cdg/CdgPicture.h"
#include "support/CdgWriter.h"
#include "support/TempDir.h"

namespace vok::cdg {
namespace {

using test::CdgWriter;
using Scroll = CdgWriter::Scroll;

constexpr CdgWriter::TileRows kFull = {0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F,
                                       0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F};
constexpr CdgWriter::TileRows kLeftHalf = {0x38, 0x38, 0x38, 0x38, 0x38, 0x38,
                                           0x38, 0x38, 0x38, 0x38, 0x38, 0x38};

// Blue screen, white border; a tile in colour 9 before the high colours are loaded; a red tile
// at (18, 24) turned half yellow by an XOR tile; the high colours; a scroll 3 pixels left that
// leaves an offset of 3; a second page, green, with a red tile placed by that offset.
CdgWriter Song() {
    CdgWriter song;
    song.LoadColours(false, {0x000, 0x00F, 0xF00, 0x0F0, 0x00F, 0xFFF, 0xFF0, 0x888})
        .MemoryPreset(1)
        .BorderPreset(5)
        .Tile(5, 10, 1, 9, kFull);
    song.At(500).Tile(2, 3, 1, 2, kFull).At(1000).XorTile(2, 3, 0, 4, kLeftHalf);
    song.At(2000).LoadColours(true, {0x111, 0x0FF, 0, 0, 0, 0, 0, 0});
    song.At(3000).ScrollPreset(1, Scroll::Back, Scroll::None, 3);
    song.At(3500).MemoryPreset(3).Tile(2, 3, 3, 2, kFull).Duration(4500);
    return song;
}

struct CdgPictureTest : ::testing::Test {
    test::TempDir dir;
    QString path = Song().Write(dir.FilePath("song.cdg"));
};

TEST_F(CdgPictureTest, DrawsEachInstructionAtItsMoment) {
    struct Probe {
        int ms, x, y;
        QRgb colour;
    };
    const QRgb blue = qRgb(0, 0, 255), red = qRgb(255, 0, 0), yellow = qRgb(255, 255, 0);
    const QRgb green = qRgb(0, 255, 0), black = qRgb(0, 0, 0);
    const Probe probes[] = {{20, 0, 0, qRgb(255, 255, 255)},
                            {20, 18, 24, blue},
                            {499, 18, 24, blue},
                            {500, 18, 24, red},
                            {1000, 18, 24, yellow},
                            {1000, 23, 35, red},
                            {1999, 60, 60, black},
                            {2000, 60, 60, qRgb(0, 255, 255)},
                            {2999, 15, 24, blue},
                            {3000, 15, 24, yellow},
                            {3000, 18, 24, red},
                            {3000, 21, 24, blue},
                            {3600, 20, 24, green},
                            {3600, 21, 24, red}};
    CdgPicture picture;
    ASSERT_TRUE(picture.Open(path)) << picture.Error().toStdString();
    EXPECT_EQ(picture.LengthMs(), 4500);
    for (const Probe& probe : probes) {
        EXPECT_EQ(picture.PictureAt(probe.ms).pixel(probe.x, probe.y), probe.colour)
            << probe.ms << " ms at " << probe.x << "," << probe.y;
    }
    // Between two packets nothing is redrawn.
    picture.PictureAt(1200);
    const std::uint64_t generation = picture.Generation();
    picture.PictureAt(1900);
    EXPECT_EQ(picture.Generation(), generation);
    picture.PictureAt(2000);
    EXPECT_GT(picture.Generation(), generation);
}

// Seeks back and forth against one play in 10 ms steps.
TEST_F(CdgPictureTest, SeekingGivesThePictureOfAStraightPlay) {
    CdgPicture seeking;
    ASSERT_TRUE(seeking.Open(path));
    std::map<int, QImage> seen;
    for (const int ms : {4200, 1500, 2600, 200, 4490, 900, 2000, 1990, 0, 3700, 3000}) {
        seen[ms] = seeking.PictureAt(ms);
    }
    CdgPicture straight;
    ASSERT_TRUE(straight.Open(path));
    for (int ms = 0; ms <= 4500; ms += 10) {
        const QImage& picture = straight.PictureAt(ms);
        EXPECT_TRUE(!seen.contains(ms) || picture == seen[ms]) << ms << " ms";
    }
}

enum class Expect { Refused, Opens, Either };
struct BadInput {
    const char* name;
    Expect expect;
};

class CdgBadInputTest : public ::testing::TestWithParam<BadInput> {};

QString MakeInput(const test::TempDir& dir, const std::string& name) {
    const QString path = dir.FilePath("input.cdg");
    if (name == "truncated") {
        const QByteArray song = Song().Bytes();
        dir.Write("input.cdg", song.left(CdgWriter::PacketAt(1000) * 24 + 7));
    } else if (name == "random") {
        QByteArray junk(1 << 20, '\0');
        QRandomGenerator(19).fillRange(reinterpret_cast<quint32*>(junk.data()), junk.size() / 4);
        dir.Write("input.cdg", junk);
    } else if (name == "padding") {
        dir.Write("input.cdg", CdgWriter().Duration(60000).Bytes());
    } else if (name == "empty" || name == "huge") {
        QFile file(dir.Write("input.cdg", {}));
        EXPECT_TRUE(name == "empty" || file.resize(qint64{2} << 30));
    }
    return path;
}

TEST_P(CdgBadInputTest, IsRefusedOrOpensAndAlwaysGivesAPicture) {
    const test::TempDir dir;
    const QString path = MakeInput(dir, GetParam().name);
    CdgPicture picture;
    const bool opened = picture.Open(path);
    const QImage end = picture.PictureAt(picture.LengthMs());
    const QImage start = picture.PictureAt(0);
    EXPECT_EQ(start.size(), QSize(300, 216));
    if (GetParam().expect != Expect::Either) {
        EXPECT_EQ(opened, GetParam().expect == Expect::Opens) << picture.Error().toStdString();
    }
    EXPECT_EQ(opened, picture.Error().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cdg, CdgBadInputTest,
    ::testing::Values(BadInput{"missing", Expect::Refused}, BadInput{"empty", Expect::Refused},
                      BadInput{"padding", Expect::Refused}, BadInput{"huge", Expect::Refused},
                      BadInput{"truncated", Expect::Opens}, BadInput{"random", Expect::Either}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace vok::cdg
