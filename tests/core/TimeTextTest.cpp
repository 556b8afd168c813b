#include <gtest/gtest.h>

#include "core/TimeText.h"

namespace vok {
namespace {

TEST(FormatTime, PadsEachFieldToTwoDigits) {
    EXPECT_EQ(FormatTime(0), "00:00:00");
    EXPECT_EQ(FormatTime(999), "00:00:00");
    EXPECT_EQ(FormatTime(83000), "00:01:23");
    EXPECT_EQ(FormatTime(3600000 + 59 * 60000 + 59999), "01:59:59");
}

TEST(FormatTime, HundredHoursGetOneLeadingZero) {
    EXPECT_EQ(FormatTime(100 * 3600 * 1000), "0100:00:00");
}

TEST(FormatTime, LargestValueDoesNotOverflow) {
    // 2,147,483,647 ms is 596 h 31 min 23 s.
    EXPECT_EQ(FormatTime(2147483647), "0596:31:23");
}

}  // namespace
}  // namespace vok
