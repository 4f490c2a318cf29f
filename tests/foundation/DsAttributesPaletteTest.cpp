// Attributes palettes: their default entries, indexing modulo the size (and a palette with no
// entries), sharing through the use count, and the palette the display manager applies entries
// of, made active for a scope. What an entry applies is seen through a view's pen while a plot is
// under way.
#include "DisplayStateGuard.h"

#include "DsAttributesPalette.h"
#include "DsAttributesPaletteControler.h"
#include "DsHatch.h"
#include "DsLineAttribStorage.h"
#include "DsManager.h"
#include "DsView3dCdc.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

class DsAttributesPaletteTest : public ::testing::Test {
protected:
    void SetUp() override { CDsView3dCdc::StSetPlotMode(static_cast<EPlotMode>(1)); }

    // The colour (0x00BBGGRR) an entry applied to the view's pen; -1 when none.
    long AppliedColor(CDsAttributesPalette& palette, int index)
    {
        view_.set_foreground_rgb(rgb_color(0.2, 0.4, 0.6));
        const unsigned long before = view_.get_foreground_rgb().windows_color();
        palette.SetAttributesToView(view_, index);
        const unsigned long after = view_.get_foreground_rgb().windows_color();
        return after == before ? -1 : static_cast<long>(after);
    }

    // The same through the display manager's active palette.
    long AppliedByManager(int index)
    {
        view_.set_foreground_rgb(rgb_color(0.2, 0.4, 0.6));
        const unsigned long before = view_.get_foreground_rgb().windows_color();
        CDsManager::GetInstance()->SetAttributesToView(view_, index);
        const unsigned long after = view_.get_foreground_rgb().windows_color();
        return after == before ? -1 : static_cast<long>(after);
    }

    vyrtest::DisplayStateGuard guard_;
    view3d view_;
};

// A palette that counts its deletions.
class CountedPalette : public CDsAttributesPalette {
public:
    explicit CountedPalette(int count) : CDsAttributesPalette(count) {}
    ~CountedPalette() override { ++sDeleted; }
    static int sDeleted;
};
int CountedPalette::sDeleted = 0;

}  // namespace

TEST_F(DsAttributesPaletteTest, EntriesStartWithRotatingColoursStylesAndWidths)
{
    CDsAttributesPalette palette(16);
    EXPECT_EQ(palette.GetCount(), 16);
    EXPECT_EQ(CDsAttributesPalette().GetCount(), 256);
    EXPECT_EQ(palette.GetType(), eDsAttributePalette);
    CDsLineAttribStorage entry;
    ASSERT_TRUE(palette.GetAttributes(1, entry));
    EXPECT_EQ(entry.GetColor(), CDsColorStorage(127, 254, 0));
    EXPECT_FALSE(entry.GetInheritColorState());
    EXPECT_EQ(entry.GetWidth(), 2);
    EXPECT_EQ(entry.GetStyle(), 1);
    ASSERT_TRUE(palette.GetAttributes(2, entry));
    EXPECT_EQ(entry.GetColor(), CDsColorStorage(254, 0, 127));
    EXPECT_EQ(entry.GetWidth(), 4);
    EXPECT_EQ(entry.GetStyle(), 2);
    ASSERT_TRUE(palette.GetAttributes(3, entry));
    EXPECT_EQ(entry.GetColor(), CDsColorStorage(0, 127, 254));
    EXPECT_EQ(entry.GetWidth(), 1);
    EXPECT_EQ(entry.GetStyle(), 0);
}

TEST_F(DsAttributesPaletteTest, EntriesAreCopiedInAndOutWithinRangeOnly)
{
    CDsAttributesPalette palette(4);
    CDsLineAttribStorage red;
    red.SetColor(CDsColorStorage(255, 0, 0));
    EXPECT_TRUE(palette.SetAttributes(3, red));
    EXPECT_FALSE(palette.SetAttributes(4, red));
    EXPECT_FALSE(palette.SetAttributes(-1, red));
    EXPECT_TRUE(palette.IsOutOfRange(4));
    EXPECT_TRUE(palette.IsOutOfRange(-1));
    EXPECT_FALSE(palette.IsOutOfRange(0));
    red.SetColor(CDsColorStorage(0, 0, 9));  // the palette keeps its own copy
    CDsLineAttribStorage out;
    ASSERT_TRUE(palette.GetAttributes(3, out));
    EXPECT_EQ(out.GetColor(), CDsColorStorage(255, 0, 0));
    out.SetColor(CDsColorStorage(1, 1, 1));
    EXPECT_FALSE(palette.GetAttributes(9, out));
    EXPECT_EQ(out.GetColor(), CDsColorStorage(1, 1, 1));
}

TEST_F(DsAttributesPaletteTest, IndexesWrapAroundTheEntriesAsUnsignedNumbers)
{
    CDsAttributesPalette palette(16);
    EXPECT_EQ(AppliedColor(palette, 17), long(CDsColorStorage(127, 254, 0).GetValue()));  // entry 1
    CDsLineAttribStorage hidden;
    hidden.SetColor(CDsColorStorage(9, 9, 9));
    hidden.SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    ASSERT_TRUE(palette.SetAttributes(15, hidden));
    EXPECT_EQ(AppliedColor(palette, -1), 0x090909);  // -1 is entry 15
    EXPECT_TRUE(palette.IsHidden(-1));
    EXPECT_TRUE(palette.IsHidden(31));
    EXPECT_FALSE(palette.IsHidden(14));
}

TEST_F(DsAttributesPaletteTest, APaletteWithoutEntriesAppliesNothingAndHidesNothing)
{
    CDsAttributesPalette empty(0);
    EXPECT_EQ(empty.GetCount(), 0);
    EXPECT_EQ(AppliedColor(empty, 0), -1);
    EXPECT_EQ(AppliedColor(empty, -1), -1);
    EXPECT_FALSE(empty.IsHidden(5));
    EXPECT_EQ(CDsAttributesPalette(-3).GetCount(), 0);
    CDsLineAttribStorage out;
    EXPECT_FALSE(empty.GetAttributes(0, out));
}

TEST_F(DsAttributesPaletteTest, CopiesOwnTheirEntriesAndAssignmentTakesTheUseCount)
{
    CDsAttributesPalette source(3);
    source.IncrementUse();
    source.IncrementUse();
    CDsAttributesPalette copy(source);
    EXPECT_EQ(copy.GetCount(), 3);
    EXPECT_EQ(copy.GetUseCount(), 0);
    CDsLineAttribStorage red;
    red.SetColor(CDsColorStorage(255, 0, 0));
    source.SetAttributes(0, red);
    CDsLineAttribStorage out;
    copy.GetAttributes(0, out);
    EXPECT_EQ(out.GetColor(), CDsColorStorage(0, 127, 254));

    CDsAttributesPalette assigned(10);
    assigned = source;
    EXPECT_EQ(assigned.GetCount(), 3);
    EXPECT_EQ(assigned.GetUseCount(), 2);
    assigned.GetAttributes(0, out);
    EXPECT_EQ(out.GetColor(), CDsColorStorage(255, 0, 0));

    CDsHatch hatch;
    EXPECT_TRUE(assigned.SetData(copy, true));
    EXPECT_FALSE(assigned.SetData(hatch, true));
    EXPECT_TRUE(assigned.GetData(copy));
    EXPECT_FALSE(assigned.GetData(hatch));
    EXPECT_EQ(assigned.GetData(), 0u);
}

// A holder that keeps what the entries made (a picture, a box) compares the revision: every change
// of the entries must give a new one, and no other palette may share it.
TEST_F(DsAttributesPaletteTest, EveryChangeOfTheEntriesGivesARevisionNoOtherStateHas)
{
    CDsAttributesPalette palette(4);
    const CDsAttributesPalette copy(palette);
    EXPECT_NE(copy.GetRevision(), palette.GetRevision());
    std::vector<uint64_t> seen = {palette.GetRevision(), copy.GetRevision()};
    const auto revisedOnce = [&](const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), palette.GetRevision()), 0);
        seen.push_back(palette.GetRevision());
    };
    CDsLineAttribStorage hidden;
    hidden.SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    ASSERT_TRUE(palette.SetAttributes(3, hidden));
    revisedOnce("SetAttributes");
    ASSERT_FALSE(palette.SetAttributes(4, hidden));
    EXPECT_EQ(palette.GetRevision(), seen.back());  // nothing changed
    palette.SetDefaults();
    revisedOnce("SetDefaults");
    palette = copy;
    revisedOnce("assignment");
    EXPECT_EQ(copy.GetRevision(), seen[1]);
}

TEST_F(DsAttributesPaletteTest, OnlyTheLastReleaseOfARegisteredHolderDeletes)
{
    CountedPalette::sDeleted = 0;
    // Held by its owner alone: a release deletes nothing.
    CountedPalette owned(4);
    owned.Loose();
    EXPECT_EQ(CountedPalette::sDeleted, 0);
    EXPECT_EQ(owned.GetCount(), 4);

    auto* shared = new CountedPalette(4);
    shared->IncrementUse();
    shared->IncrementUse();
    shared->Loose();
    EXPECT_EQ(CountedPalette::sDeleted, 0);
    EXPECT_EQ(shared->GetUseCount(), 1);
    shared->Loose();  // the last holder
    EXPECT_EQ(CountedPalette::sDeleted, 1);
}

TEST_F(DsAttributesPaletteTest, TheManagerAppliesEntriesOfThePaletteActiveForAScope)
{
    CDsManager* manager = CDsManager::GetInstance();
    ASSERT_EQ(manager->GetActiveAttributesPalette(), nullptr);
    EXPECT_EQ(AppliedByManager(1), -1);  // no active palette: nothing, and no crash
    EXPECT_FALSE(manager->IsHidden(1));

    CDsAttributesPalette palette(16);
    CDsLineAttribStorage hidden;
    hidden.SetColor(CDsColorStorage(9, 9, 9));
    hidden.SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    palette.SetAttributes(15, hidden);
    {
        CDsAttributesPaletteControler scope(&palette);
        EXPECT_EQ(manager->GetActiveAttributesPalette(), &palette);
        EXPECT_EQ(AppliedByManager(17), long(CDsColorStorage(127, 254, 0).GetValue()));
        EXPECT_EQ(AppliedByManager(-1), 0x090909);
        EXPECT_TRUE(manager->IsHidden(-1));
        CDsAttributesPaletteControler none(nullptr);  // sets nothing, so clears nothing
    }
    EXPECT_EQ(manager->GetActiveAttributesPalette(), nullptr);

    CDsAttributesPalette empty(0);
    CDsAttributesPaletteControler scope(&empty);
    EXPECT_EQ(AppliedByManager(3), -1);
    EXPECT_FALSE(manager->IsHidden(3));
}
