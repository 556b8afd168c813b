#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "lyrics/Vokalento.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

namespace vok {
namespace {

using test::LyricFileWriter;

class LineLookup : public testing::Test {
  protected:
    const TVokalento& Load(const LyricFileWriter& writer) {
        model_.Reset();
        EXPECT_TRUE(model_.LoadFromFile(writer.Write(dir_.FilePath("song.vok"))));
        return model_;
    }
    std::pair<std::int32_t, QString> At(std::int32_t time, std::int32_t number = -7) const {
        QString text = QStringLiteral("stale");
        model_.LineAt(time, number, text);
        return {number, text};
    }

    test::TempDir dir_;
    TVokalento model_;
};

TEST_F(LineLookup, BoundariesAreInclusiveAndGapsKeepTheLastNumber) {
    Load(LyricFileWriter().Line(1000, 2000, "one").Line(3000, 4000, "two"));
    const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const struct {
        std::int32_t time;
        std::int32_t number;
        const char* text;
    } cases[] = {{-5, 0, ""},      {0, 0, ""},    {999, 0, ""},  {1000, 1, "one"},
                 {2000, 1, "one"}, {2001, 1, ""}, {2999, 1, ""}, {3000, 2, "two"},
                 {4000, 2, "two"}, {4001, 2, ""}, {kMax, 2, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(At(c.time), std::make_pair(c.number, QString::fromLatin1(c.text)))
            << "at " << c.time;
    }
}

TEST_F(LineLookup, NoSlotsLeavesTheNumberAndClearsTheText) {
    Load(LyricFileWriter().HeaderCount(0));
    EXPECT_EQ(At(500, 42), std::make_pair(42, QString()));
    EXPECT_EQ(model_.LineNumberAt(500), 0);
    EXPECT_EQ(model_.LineText(0), QString());
}

TEST_F(LineLookup, OverlapsAndReversedLines) {
    Load(LyricFileWriter().Line(1000, 3000, "a").Line(2000, 4000, "b").Line(6000, 5000, "rev"));
    EXPECT_EQ(At(2500), std::make_pair(1, QStringLiteral("a")));  // earlier in the file
    EXPECT_EQ(model_.LineNumberAt(2500), 2);                      // later in the file
    // A line ending before it starts is never sounding and is not taken at exactly its start.
    EXPECT_EQ(At(5500), std::make_pair(2, QString()));
    EXPECT_EQ(model_.LineNumberAt(6000), 2);
    EXPECT_EQ(model_.LineNumberAt(6001), 3);
}

TEST_F(LineLookup, LineTextTakesTheFirstOfSharedNumbers) {
    Load(LyricFileWriter().Line(7, 0, 1, "first").Line(7, 2, 3, "second").Line(0, 4, 5, "zero"));
    EXPECT_EQ(model_.LineText(7), "first");
    EXPECT_EQ(model_.LineText(0), "zero");
    EXPECT_EQ(model_.LineText(8), QString());
}

TEST_F(LineLookup, ZeroSlotsSoundAtTimeZero) {
    // Slot 2 is zero (broken marker) and record 3 realigns into slot 8: the zero slot lies earlier.
    Load(LyricFileWriter()
             .HeaderCount(8)
             .Line(10, 20, "a")
             .Line(20, 30, "bb")
             .Line(0, 50, "c")
             .BadMarkerAt(2));
    EXPECT_EQ(At(0), std::make_pair(0, QString()));
    EXPECT_EQ(At(25), std::make_pair(3, QStringLiteral("c")));
    EXPECT_EQ(model_.LineNumberAt(0), 3);
    EXPECT_EQ(model_.LineText(0), QString());
}

// Random files with gaps, realigned markers and zero tails, checked against plain scans over the
// allSlots as GetLine gives them.
TEST_F(LineLookup, MatchesPlainScansOverEverySlot) {
    std::mt19937 random(20240611);
    auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int round = 0; round < 200; ++round) {
        LyricFileWriter writer;
        const int records = pick(0, 8);
        for (int i = 0; i < records; ++i) {
            // Texts of length 2 make 18-byte records, so broken markers can realign.
            writer.Line(pick(0, 4), pick(-3, 60), pick(-3, 60),
                        QString(pick(0, 3) > 0 ? 2 : 0, 'x'));
        }
        if (records > 0 && pick(0, 1)) {
            writer.BadMarkerAt(pick(1, records));
        }
        writer.HeaderCount(records + pick(-1, 12));
        const TVokalento& model = Load(writer);

        std::vector<LyricLine> allSlots(static_cast<std::size_t>(model.SlotCount));
        for (std::int32_t p = 1; p <= model.SlotCount; ++p) {
            model.GetLine(p, allSlots[static_cast<std::size_t>(p - 1)]);
        }
        for (std::int32_t t = -2; t <= 62; ++t) {
            std::int32_t expectedNumber = 0;
            for (auto it = allSlots.rbegin(); it != allSlots.rend(); ++it) {
                if (it->Start < t || (it->Start == t && t <= it->End)) {
                    expectedNumber = it->Number;
                    break;
                }
            }
            ASSERT_EQ(model.LineNumberAt(t), expectedNumber) << "round " << round << " t " << t;

            std::pair<std::int32_t, QString> expectedAt{allSlots.empty() ? -7 : expectedNumber, ""};
            for (const LyricLine& slot : allSlots) {
                if (slot.Start <= t && t <= slot.End) {
                    expectedAt = {slot.Number, slot.Text};
                    break;
                }
            }
            ASSERT_EQ(At(t), expectedAt) << "round " << round << " t " << t;
        }
        for (std::int32_t n = -1; n <= 5; ++n) {
            QString expected;
            for (const LyricLine& slot : allSlots) {
                if (slot.Number == n) {
                    expected = slot.Text;
                    break;
                }
            }
            ASSERT_EQ(model.LineText(n), expected) << "round " << round << " n " << n;
        }
    }
}

}  // namespace
}  // namespace vok
