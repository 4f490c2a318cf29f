// CDsFlags: a 16-bit flag word.
#include "DsFlags.h"

#include <gtest/gtest.h>

TEST(DsFlagsTest, FlagsSetClearAndCopyIndependently) {
    CDsFlags flags;
    EXPECT_EQ(flags.GetValue(), 0);
    flags.Set(0x400);
    flags.Set(0x100);
    EXPECT_TRUE(flags.Get(0x400));
    EXPECT_FALSE(flags.Get(0x200));

    CDsFlags copy = flags;
    copy.Reset(0x400);
    EXPECT_FALSE(copy.Get(0x400));
    EXPECT_TRUE(copy.Get(0x100));
    EXPECT_TRUE(flags.Get(0x400));  // the original keeps its flags
    EXPECT_EQ(CDsFlags(0x0005).GetValue(), 0x0005);
}
