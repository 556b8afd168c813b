#include <gtest/gtest.h>

#include "core/TextLines.h"
#include "core/WinColour.h"

namespace vok {
namespace {

TEST(SplitLines, EveryLineEndAndTheLastUnendedLine) {
    EXPECT_EQ(SplitLines(u"a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines(u"a\n\r\nb\r\r"), (QStringList{"a", "", "b", ""}));
    EXPECT_EQ(SplitLines(u"\n"), QStringList{""});
    EXPECT_TRUE(SplitLines(u"").isEmpty());
    EXPECT_EQ(SplitLines(QStringView(u"x\0y", 3)), QStringList{QStringView(u"x\0y", 3).toString()});
}

TEST(TrimControls, DropsBlanksAndControlsAtBothEndsOnly) {
    EXPECT_EQ(TrimControls(QStringView(u"\0\t Abba \x1f\0", 10)), "Abba");
    EXPECT_EQ(TrimControls(u"a \x01 b"), "a \x01 b");
    EXPECT_EQ(TrimControls(u"\u00a0x\u00a0"), "\u00a0x\u00a0");  // a no-break space is text
    EXPECT_EQ(TrimControls(u" \r\n "), "");
}

TEST(WinColour, RedIsTheLowByteAndTheHighByteCarriesNoColour) {
    EXPECT_EQ(WinColourToRgb(0x00332211), 0xFF112233U);
    EXPECT_EQ(WinColourToRgb(0x02332211), 0xFF112233U);
    EXPECT_EQ(WinColourToRgb(0xFFFFFFFF), 0xFFFFFFFFU);
    static_assert(WinColourToRgb(0x000000FF) == 0xFFFF0000U);
}

}  // namespace
}  // namespace vok
