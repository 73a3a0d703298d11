// The Windows version rule, over the facts the Windows backend reads.
#include <gtest/gtest.h>

#include "platform/WindowsVersion.h"

namespace quorrel::test {

TEST(WindowsVersion, NtFiveAndLaterTakeTheLargerBlock) {
    EXPECT_TRUE(IsWindows5OrLater({true, false, 2, 5}));
    EXPECT_TRUE(IsWindows5OrLater({true, false, 2, 10}));
    EXPECT_TRUE(IsWindows5OrLater({false, true, 2, 6}));  // only the basic query answered
}

TEST(WindowsVersion, OlderNtOtherPlatformsAndFailedQueriesDoNot) {
    EXPECT_FALSE(IsWindows5OrLater({true, true, 2, 4}));
    EXPECT_FALSE(IsWindows5OrLater({true, true, 1, 5}));  // the other platform family
    EXPECT_FALSE(IsWindows5OrLater({false, false, 2, 10}));
}

}  // namespace quorrel::test
