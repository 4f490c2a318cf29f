// The scope guards that switch a flag word's flag 256 and the driver's vertex-colour palette for
// the length of a scope.
#include "DsDriverGl.h"
#include "DsFlags.h"
#include "DsPalette.h"
#include "DsPaletteControler.h"
#include "DsStateSwitchManager.h"

#include <gtest/gtest.h>

TEST(DsStateSwitchManagerTest, Flag256IsSwitchedForTheScopeAndPutBackAsFound)
{
    CDsFlags flags(0x0101);
    {
        CDsStateSwitchManager off(&flags, false);
        EXPECT_FALSE(flags.Get(256));
        EXPECT_TRUE(flags.Get(1));  // other flags stay
        {
            CDsStateSwitchManager on(&flags, true);
            EXPECT_TRUE(flags.Get(256));
        }
        EXPECT_FALSE(flags.Get(256));
    }
    EXPECT_EQ(flags.GetValue(), 0x0101);

    CDsFlags clear;
    { CDsStateSwitchManager on(&clear, true); }
    EXPECT_EQ(clear.GetValue(), 0);
    CDsStateSwitchManager nobody(nullptr, true);  // no owner: nothing to switch
}

TEST(DsPaletteControlerTest, TheVertexColourPaletteIsActiveForTheScopeOnly)
{
    CDsPalette palette(4);
    {
        CDsPaletteControler scope(&palette);
        EXPECT_EQ(CDsDriverGl::StGetActiveVertexColorPalette(), &palette);
    }
    EXPECT_EQ(CDsDriverGl::StGetActiveVertexColorPalette(), nullptr);
}
