// Line attributes without OpenGL: the values a storage keeps and refuses, copies, draw phases,
// and what it resolves against the special sets, seen through the pen of a view while a plot is
// under way (a plot sends the resolved attributes to the view instead of OpenGL).
#include "DisplayStateGuard.h"

#include "DsAttributes.h"
#include "DsAttributesIndex.h"
#include "DsHatch.h"
#include "DsLineAttribStorage.h"
#include "DsPalette.h"
#include "DsPlotPallete.h"
#include "DsView3dCdc.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// What a storage gave the view's pen in plot mode: each part is -1 when it was not applied.
struct Pen {
    long color = -1;
    int width = -1;
    int style = -1;
};

const rgb_color kSentinel(0.2, 0.4, 0.6);
const int kSentinelWidth = 77;
const line_style kSentinelStyle = static_cast<line_style>(66);

class DsLineAttribStorageTest : public ::testing::Test {
protected:
    void SetUp() override { CDsView3dCdc::StSetPlotMode(static_cast<EPlotMode>(1)); }

    // Applies `storage` to a view whose pen holds sentinels, in the plot mode in force.
    Pen Apply(CDsLineAttribStorage& storage)
    {
        view_.set_foreground_rgb(kSentinel);
        view_.set_line_width(kSentinelWidth);
        view_.set_line_style(kSentinelStyle);
        storage.SetAttributesToView(&view_);
        Pen pen;
        if (view_.get_foreground_rgb() != kSentinel) pen.color = static_cast<long>(view_.get_foreground_rgb().windows_color());
        if (view_.get_line_width() != kSentinelWidth) pen.width = view_.get_line_width();
        if (view_.get_line_style() != kSentinelStyle) pen.style = static_cast<int>(view_.get_line_style());
        return pen;
    }

    static CDsLineAttribStorage Colored(uint32_t color)
    {
        CDsLineAttribStorage storage;
        storage.SetColor(CDsColorStorage(color));
        return storage;
    }

    vyrtest::DisplayStateGuard guard_;
    view3d view_;
};

const long kRed = 0x0000FF;
const long kSet2 = 0x808080, kSet3 = 0x5EBF00, kSet4 = 0x00FF00, kSet5 = 0x1A99FF, kSet7 = 0x00BF91,
           kSet8 = 0x307500;

}  // namespace

TEST_F(DsLineAttribStorageTest, ANewStorageInheritsItsColourAndIsShaded)
{
    CDsLineAttribStorage storage;
    EXPECT_TRUE(storage.GetInheritColorState());
    EXPECT_EQ(storage.GetRenderMode(), eRenderShade);
    EXPECT_EQ(storage.GetFlags(), 0x21u);
    EXPECT_EQ(storage.GetStyle(), 0);
    EXPECT_EQ(storage.GetWidth(), 1);
    EXPECT_FLOAT_EQ(storage.GetTransparency(), 1.0f);
    EXPECT_EQ(storage.GetVisibility(), eVisibilityNormal);
    EXPECT_EQ(storage.GetMarkColor(), nullptr);
    EXPECT_FALSE(storage.IsHidden());
    EXPECT_EQ(storage.GetStylesCount(), 32);
    EXPECT_EQ(storage.GetMaxWidth(), 8);
    // It resolves style and width, but no colour of its own.
    const Pen pen = Apply(storage);
    EXPECT_EQ(pen.color, -1);
    EXPECT_EQ(pen.width, 1);
    EXPECT_EQ(pen.style, 0);
}

TEST_F(DsLineAttribStorageTest, OutOfRangeStylesAndWidthsAreRefusedAndChangeNothing)
{
    CDsLineAttribStorage storage;
    ASSERT_TRUE(storage.SetStyle(31));
    ASSERT_TRUE(storage.SetWidth(8));
    EXPECT_FALSE(storage.SetStyle(32));
    EXPECT_FALSE(storage.SetStyle(-1));
    EXPECT_FALSE(storage.SetWidth(0));
    EXPECT_FALSE(storage.SetWidth(9));
    EXPECT_EQ(storage.GetStyle(), 31);
    EXPECT_EQ(storage.GetWidth(), 8);

    CDsColorStorage blue(0, 0, 255);
    const CDsLineAttribStorage made(blue, 40, 0);  // colour taken, style and width refused
    EXPECT_FALSE(made.GetInheritColorState());
    EXPECT_EQ(made.GetColor(), blue);
    EXPECT_EQ(made.GetStyle(), 0);
    EXPECT_EQ(made.GetWidth(), 1);
    const CDsLineAttribStorage valid(blue, 5, 3);
    EXPECT_EQ(valid.GetStyle(), 5);
    EXPECT_EQ(valid.GetWidth(), 3);
}

TEST_F(DsLineAttribStorageTest, TransparencyIsClampedAndSurvivesCopyingForEveryByte)
{
    CDsLineAttribStorage storage;
    storage.SetTransparency(2.0f);
    EXPECT_EQ(storage.GetTransparencyByte(), 255);
    storage.SetTransparency(-1.0f);
    EXPECT_EQ(storage.GetTransparencyByte(), 0);
    storage.SetTransparency(0.5f);
    EXPECT_EQ(storage.GetTransparencyByte(), 127);
    storage.SetTransparency(std::nanf(""));
    EXPECT_EQ(storage.GetTransparencyByte(), 127);

    // A copy takes the transparency through the float value: no byte may lose one step.
    for (int byte = 0; byte <= 255; ++byte) {
        CDsLineAttribStorage source;
        source.SetTransparency(static_cast<float>(byte) / 255.0f + 1e-6f);
        const uint8_t stored = source.GetTransparencyByte();
        const CDsLineAttribStorage copy(source);
        EXPECT_EQ(copy.GetTransparencyByte(), stored) << "byte " << byte;
    }
}

TEST_F(DsLineAttribStorageTest, VisibilityLevelsThreeAndFourAreFlagsTheOthersAreStored)
{
    CDsLineAttribStorage storage;
    storage.SetVisibility(eVisibilityLevel5, true);
    storage.SetVisibility(eVisibilityHighlight, true);
    EXPECT_TRUE(storage.GetHighlightState());
    EXPECT_EQ(storage.GetVisibility(), eVisibilityLevel5);  // the byte is left alone
    storage.SetVisibility(eVisibilityMark, true);
    EXPECT_TRUE(storage.GetMarkState());
    storage.SetVisibility(eVisibilityLevel6, false);  // switching any stored level off stores 0
    EXPECT_EQ(storage.GetVisibility(), eVisibilityNormal);
    storage.SetVisibility(eVisibilityHighlight, false);
    EXPECT_FALSE(storage.GetHighlightState());

    const CDsColorStorage pink(255, 0, 255);
    storage.SetVisibilityColor(eVisibilityLevel5, &pink, true);  // only level 3 has a colour
    EXPECT_EQ(storage.GetMarkColor(), nullptr);
    storage.SetVisibilityColor(eVisibilityMark, &pink, true);
    ASSERT_NE(storage.GetMarkColor(), nullptr);
    EXPECT_EQ(*storage.GetMarkColor(), pink);
    storage.SetVisibilityColor(eVisibilityMark, &pink, false);
    EXPECT_EQ(storage.GetMarkColor(), nullptr);
}

TEST_F(DsLineAttribStorageTest, InheritanceStatesAndResetsFollowTheirFields)
{
    CDsLineAttribStorage storage;
    storage.ResetInheritStyleState();
    storage.ResetInheritWidthState();
    EXPECT_TRUE(storage.GetInheritAllState());
    EXPECT_TRUE(storage.GetInheritAnythingState());
    storage.Highlight(true);
    EXPECT_FALSE(storage.GetInheritAllState());

    CDsLineAttribStorage own = Colored(kRed);
    EXPECT_FALSE(own.GetInheritAnythingState());
    own.ResetInheritWidthState();
    EXPECT_TRUE(own.GetInheritAnythingState());
    own.Mark(true);
    EXPECT_FALSE(own.GetInheritAnythingState());  // a marked item does not inherit its width
    own.SetInheritColorState(true);
    EXPECT_TRUE(own.GetInheritAnythingState());

    own.Highlight(true);
    own.SetVisibility(eVisibilityLevel7, true);
    own.SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    ASSERT_TRUE(own.IsHidden());
    own.ResetAttributes(eDsResetHighlight);
    EXPECT_FALSE(own.GetHighlightState());
    EXPECT_TRUE(own.GetMarkState());
    own.ResetAttributes(static_cast<EDsResetAttributeAction>(eDsResetMark | eDsResetHideLevel));
    EXPECT_FALSE(own.GetMarkState());
    EXPECT_FALSE(own.IsHidden());
    EXPECT_EQ(own.GetVisibility(), eVisibilityLevel7);
    own.ResetAttributes(eDsResetVisibility);
    EXPECT_EQ(own.GetVisibility(), eVisibilityNormal);

    own.SetRenderMode(eRenderMixed);
    EXPECT_EQ(own.GetRenderMode(), eRenderWireframe);
    own.SetRenderMode(eRenderShade);
    EXPECT_EQ(own.GetRenderMode(), eRenderShade);
}

TEST_F(DsLineAttribStorageTest, OnlyHideLevelsReachTheHideLevel)
{
    CDsLineAttribStorage storage;
    storage.SetAttribute(CDsHatch(2), true);  // another kind: ignored
    EXPECT_FALSE(storage.IsHidden());
    storage.SetAttribute(CDsHideLevel(eDsHideLevelSpecial), true);
    EXPECT_TRUE(storage.IsHidden());
    CDsHideLevel out;
    storage.GetAttribute(out);
    EXPECT_EQ(out.GetData(), unsigned(eDsHideLevelSpecial));
    CDsHatch hatch(1);
    storage.GetAttribute(hatch);
    EXPECT_EQ(hatch.GetIndex(), 1);
}

TEST_F(DsLineAttribStorageTest, ACopyKeepsTheLookButNotTheTransientStates)
{
    CDsLineAttribStorage source = Colored(kRed);
    source.SetStyle(4);
    source.SetWidth(3);
    source.SetTransparency(0.5f);
    source.SetVisibility(eVisibilityLevel6, true);
    source.SetOnTopFlag(true);
    source.Mark(true);
    const CDsColorStorage pink(255, 0, 255);
    source.SetVisibilityColor(eVisibilityMark, &pink, true);
    source.Highlight(true);
    source.SetXorMode(true);
    source.MarkCopy(true);
    source.SetRenderMode(eRenderWireframe);
    source.SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);

    CDsLineAttribStorage copy(source);
    EXPECT_EQ(copy.GetColor(), CDsColorStorage(uint32_t(kRed)));
    EXPECT_FALSE(copy.GetInheritColorState());
    EXPECT_EQ(copy.GetStyle(), 4);
    EXPECT_EQ(copy.GetWidth(), 3);
    EXPECT_EQ(copy.GetTransparencyByte(), source.GetTransparencyByte());
    EXPECT_EQ(copy.GetVisibility(), eVisibilityLevel6);
    EXPECT_TRUE(copy.GetOnTopFlag());
    EXPECT_TRUE(copy.GetMarkState());
    EXPECT_TRUE(copy.IsHidden());
    EXPECT_FALSE(copy.GetHighlightState());
    EXPECT_FALSE(copy.GetXorMode());
    EXPECT_FALSE(copy.GetMarkCopyState());
    EXPECT_EQ(copy.GetRenderMode(), eRenderShade);
    EXPECT_EQ(copy.GetMarkColor(), nullptr);

    // A source that inherits its colour leaves the target's colour value as it was.
    CDsLineAttribStorage target = Colored(0x123456);
    target = CDsLineAttribStorage();
    EXPECT_TRUE(target.GetInheritColorState());
    EXPECT_EQ(target.GetColor().GetValue(), 0x123456u);
    const CDsLineAttribStorage& same = target;
    target = same;  // onto itself: unchanged
    EXPECT_EQ(target.GetColor().GetValue(), 0x123456u);
}

TEST_F(DsLineAttribStorageTest, TranslateFillsTheSceneDatabaseAttributes)
{
    CDsLineAttribStorage storage = Colored(0x00A0B0C0);
    storage.SetStyle(6);
    storage.SetWidth(5);
    storage.SetTransparency(0.0f);
    storage.SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    CDsAttributes out;
    storage.Translate(out);
    EXPECT_EQ(out.GetColor(), 0x00A0B0C0u);
    EXPECT_EQ(out.GetLineStyle(), 6);
    EXPECT_EQ(out.GetLineWidth(), 5);
    EXPECT_EQ(out.GetTransparency(), 0);
    EXPECT_EQ(out.GetHideLevel(), 2);
}

TEST_F(DsLineAttribStorageTest, EachDrawPhaseTakesItsItems)
{
    CDsLineAttribStorage opaque, transparent, onTop;
    transparent.SetTransparency(0.5f);
    onTop.SetOnTopFlag(true);
    struct Case {
        EDsDrawPhase phase;
        bool opaque, transparent, onTop;
    };
    const Case cases[] = {{eDsDrawPhaseOpaque, true, false, false},  {eDsDrawPhaseTransparent, false, true, false},
                          {eDsDrawPhaseSecond, true, true, false},   {eDsDrawPhaseOnTop, false, false, true},
                          {eDsDrawPhasePlot, true, true, true},      {static_cast<EDsDrawPhase>(5), false, false, false}};
    for (const Case& c : cases) {
        view_.SetDrawPhase(c.phase);
        EXPECT_EQ(opaque.CheckDisplayPhaseMatch(&view_), c.opaque) << "phase " << c.phase;
        EXPECT_EQ(transparent.CheckDisplayPhaseMatch(&view_), c.transparent) << "phase " << c.phase;
        EXPECT_EQ(onTop.CheckDisplayPhaseMatch(&view_), c.onTop) << "phase " << c.phase;
    }
    EXPECT_FALSE(opaque.CheckDisplayPhaseMatch(nullptr));
}

TEST_F(DsLineAttribStorageTest, HighlightAndMarkResolveToTheirSpecialSets)
{
    CDsLineAttribStorage storage = Colored(kRed);
    storage.Highlight(true);
    storage.Mark(true);
    EXPECT_EQ(Apply(storage).color, kSet5);
    storage.Mark(false);
    EXPECT_EQ(Apply(storage).color, kSet4);
    storage.Highlight(false);
    storage.Mark(true);
    EXPECT_EQ(Apply(storage).color, kSet3);
    const CDsColorStorage pink(255, 0, 255);
    storage.SetVisibilityColor(eVisibilityMark, &pink, true);
    EXPECT_EQ(Apply(storage).color, long(pink.GetValue()));
    // A highlighted item that inherits its colour still shows the highlight.
    CDsLineAttribStorage inherited;
    inherited.Highlight(true);
    EXPECT_EQ(Apply(inherited).color, kSet4);
}

TEST_F(DsLineAttribStorageTest, VisibilityLevelsTakeColourStyleAndWidthFromTheirSets)
{
    CDsLineAttribStorage set7 = CDsLineAttribStorage::StGetDefaultSpecialAttributes(eAttribSetVisibility5);
    set7.SetStyle(9);
    set7.SetWidth(4);
    CDsLineAttribStorage::StSetSpecialAttributes(eAttribSetVisibility5, &set7);

    CDsLineAttribStorage storage = Colored(kRed);
    storage.SetStyle(2);
    storage.SetWidth(6);
    storage.SetVisibility(eVisibilityLevel5, true);
    Pen pen = Apply(storage);
    EXPECT_EQ(pen.color, kSet7);
    EXPECT_EQ(pen.style, 9);
    EXPECT_EQ(pen.width, 4);
    storage.SetVisibility(eVisibilityLevel6, true);
    pen = Apply(storage);
    EXPECT_EQ(pen.color, kSet8);
    EXPECT_EQ(pen.style, 0);
    EXPECT_EQ(pen.width, 1);
    // While plotting, levels 1 and 7 keep the item's own colour, with their sets' style and width.
    storage.SetVisibility(eVisibilityDim, true);
    pen = Apply(storage);
    EXPECT_EQ(pen.color, kRed);
    EXPECT_EQ(pen.width, 1);
    storage.SetVisibility(eVisibilityLevel7, true);
    EXPECT_EQ(Apply(storage).color, kRed);
    // Level 2 is drawn with the own attributes, even a colour marked as inherited.
    storage.SetVisibility(eVisibilityLevel2, true);
    storage.SetInheritColorState(true);
    pen = Apply(storage);
    EXPECT_EQ(pen.color, kRed);
    EXPECT_EQ(pen.style, 2);
    EXPECT_EQ(pen.width, 6);
}

TEST_F(DsLineAttribStorageTest, WhatIsInheritedOrForcedIsNotApplied)
{
    CDsLineAttribStorage storage = Colored(kRed);
    storage.ResetInheritStyleState();
    storage.ResetInheritWidthState();
    Pen pen = Apply(storage);
    EXPECT_EQ(pen.color, kRed);
    EXPECT_EQ(pen.style, -1);
    EXPECT_EQ(pen.width, -1);

    CDsLineAttribStorage::StSetForceVisibilityMode(true);
    storage.Highlight(true);  // not even a highlight colour
    EXPECT_EQ(Apply(storage).color, -1);
    CDsLineAttribStorage::StSetForceVisibilityMode(false);

    // The highlight pen width in shade does not widen plotted lines.
    CDsLineAttribStorage::StSetHighlightPenWidthInShade(3);
    storage.SetWidth(1);
    EXPECT_EQ(Apply(storage).width, 1);
}

TEST_F(DsLineAttribStorageTest, ExclusiveOrColoursAreTakenAgainstTheViewsBackground)
{
    CDsLineAttribStorage storage = Colored(0x00FF00);
    storage.SetXorMode(true);
    view_.set_background_rgb(rgb_color(1, 1, 1));
    EXPECT_EQ(Apply(storage).color, 0xFF00FF);
    view_.set_background_rgb(rgb_color(0, 0, 0));
    EXPECT_EQ(Apply(storage).color, 0x00FF00);
}

TEST_F(DsLineAttribStorageTest, PenWidthsComeFromThePlotPaletteInPlotModeTwo)
{
    CDsView3dCdc::StSetPlotMode(ePlotModePenWidths);
    CDsPlotPallete* plot = CDsPlotPallete::StGetInstance();
    auto* colors = new CDsPalette(16);
    colors->SetColor(3, CDsColorStorage(uint32_t(kRed)));
    plot->SetColorPallete(colors);
    plot->SetWidth(3, 7);  // colour 3 plots with pen 7

    CDsLineAttribStorage storage = Colored(kRed);
    storage.SetWidth(2);
    Pen pen = Apply(storage);
    EXPECT_EQ(pen.color, kRed);
    EXPECT_EQ(pen.width, 7);
    // Without a colour there is no pen either.
    CDsLineAttribStorage inherited;
    pen = Apply(inherited);
    EXPECT_EQ(pen.color, -1);
    EXPECT_EQ(pen.width, -1);
}

TEST_F(DsLineAttribStorageTest, EraseAttributesDrawInTheBackgroundColour)
{
    view_.set_background_rgb(rgb_color(0, 0, 1));
    CDsLineAttribStorage storage = Colored(kRed);
    const rgb_color& applied = storage.SetEraseAttributesToView(&view_);
    EXPECT_EQ(applied.windows_color(), 0xFF0000ul);
    EXPECT_EQ(view_.get_foreground_rgb().windows_color(), 0xFF0000ul);
    EXPECT_EQ(CDsLineAttribStorage::StGetLastAppliedColor().windows_color(), 0xFF0000ul);
    // A null view applies nothing and answers the last applied colour.
    EXPECT_EQ(storage.SetAttributesToView(nullptr).windows_color(), 0xFF0000ul);
}

TEST_F(DsLineAttribStorageTest, TheSpecialSetsHoldTheirDefaultsBeforeAnyManagerFillsThem)
{
    const long expected[10] = {0xFF0000, 0xFF0000, kSet2, kSet3, kSet4, kSet5, 0xFF80FF, kSet7, kSet8, 0xE6E6E6};
    for (int i = 0; i < 10; ++i) {
        const CDsLineAttribStorage* set = CDsLineAttribStorage::StGetSpecialAttributes(static_cast<EAttribSetIndex>(i));
        ASSERT_NE(set, nullptr) << "set " << i;
        EXPECT_EQ(long(set->GetColor().GetValue()), expected[i]) << "set " << i;
        EXPECT_FALSE(set->GetInheritColorState());
        EXPECT_EQ(set->GetStyle(), 0);
        EXPECT_EQ(set->GetWidth(), 1);
    }
    const CDsLineAttribStorage* set10 = CDsLineAttribStorage::StGetSpecialAttributes(static_cast<EAttribSetIndex>(10));
    ASSERT_NE(set10, nullptr);
    EXPECT_TRUE(set10->GetInheritColorState());
    EXPECT_EQ(CDsLineAttribStorage::StGetSpecialAttributes(static_cast<EAttribSetIndex>(11)), nullptr);
}

TEST_F(DsLineAttribStorageTest, SpecialSetsAreCopiedInAndAnEmptiedTableStillResolves)
{
    CDsLineAttribStorage highlight = Colored(0x0000AA);
    CDsLineAttribStorage::StSetSpecialAttributes(eAttribSetHighlight, &highlight);
    highlight.SetColor(CDsColorStorage(uint32_t(0x00BB00)));  // the table holds its own copy
    CDsLineAttribStorage storage;
    storage.Highlight(true);
    EXPECT_EQ(Apply(storage).color, 0x0000AA);

    CDsLineAttribStorage::StDeleteSpecialLineAttributes();
    for (int i = 0; i < CDsLineAttribStorage::kSpecialSetCount; ++i)
        EXPECT_EQ(CDsLineAttribStorage::StGetSpecialAttributes(static_cast<EAttribSetIndex>(i)), nullptr);
    // Items that draw now resolve as with the default sets instead of reading empty entries.
    EXPECT_EQ(Apply(storage).color, kSet4);
    storage.Highlight(false);
    storage.SetVisibility(eVisibilityLevel6, true);
    const Pen pen = Apply(storage);
    EXPECT_EQ(pen.color, kSet8);
    EXPECT_EQ(pen.width, 1);
}

TEST(DsAttributesIndexTest, TheFourFlagsAreBitsZeroToThreeAndOthersAreIgnored)
{
    CDsAttributesIndex index(7);
    EXPECT_EQ(index.GetIndex(), 7);
    index.SetFlag(eDsAttributesIndexFlag4, true);
    index.SetFlag(static_cast<EDsAttributesIndexFlag>(3), true);  // not a flag
    index.SetFlag(static_cast<EDsAttributesIndexFlag>(16), true);
    EXPECT_TRUE(index.GetFlag(eDsAttributesIndexFlag4));
    EXPECT_FALSE(index.GetFlag(eDsAttributesIndexFlag1));
    EXPECT_FALSE(index.GetFlag(eDsAttributesIndexFlag2));
    EXPECT_FALSE(index.GetFlag(static_cast<EDsAttributesIndexFlag>(3)));
    EXPECT_FALSE(index.GetFlag(static_cast<EDsAttributesIndexFlag>(16)));

    CDsAttributesIndex other(9);
    other.SetFlag(eDsAttributesIndexFlag8, true);
    index.SetIndex(other);  // the index only
    EXPECT_EQ(index.GetIndex(), 9);
    EXPECT_TRUE(index.GetFlag(eDsAttributesIndexFlag4));
    EXPECT_FALSE(index.GetFlag(eDsAttributesIndexFlag8));
    index = other;  // index and flags
    EXPECT_TRUE(index.GetFlag(eDsAttributesIndexFlag8));
    EXPECT_FALSE(index.GetFlag(eDsAttributesIndexFlag4));
    EXPECT_EQ(CDsAttributesIndex().GetIndex(), 0);
}
