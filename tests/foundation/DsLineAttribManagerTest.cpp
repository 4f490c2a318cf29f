// The line-attribute manager: its eleven sets from the colour preferences, the special line
// attributes that only the first manager of the process fills, the current attributes and their
// limits, visibility levels and the scene-database attributes it makes of a storage.
#include "PreferencesFixture.h"

#include "DsLineAttribManager.h"
#include "DsLineAttribStorage.h"
#include "DsManager.h"
#include "TestResets.h"
#include "VyrRgbColor.h"

#include <gtest/gtest.h>

namespace {

using Color = CDsColorStorage;

// Reaches the conversion into scene-database attributes.
class ConvertingManager : public CDsLineAttribManager {
public:
    using CDsLineAttribManager::ConvertDsAttribute;
};

class DsLineAttribManagerTest : public vyrtest::PreferencesTest {
protected:
    DsLineAttribManagerTest() { VYR_RESET_FOR_TESTS(CDsLineAttribManager::ResetForTests); }
    ~DsLineAttribManagerTest() override { VYR_RESET_FOR_TESTS(CDsLineAttribManager::ResetForTests); }

    static Color Special(int set) { return CDsLineAttribStorage::StGetSpecialAttributes(EAttribSetIndex(set))->GetColor(); }
    static Color DefaultColor()
    {
        Color color;
        CDsManager::GetInstance()->GetDefaultColor(color);
        return color;
    }
};

TEST_F(DsLineAttribManagerTest, TheSetsTakeTheColourPreferencesAndTheFixedColours)
{
    General(L"Highlight_Color", CVyrRgbColor(1, 2, 3));
    General(L"Select_Color", CVyrRgbColor(4, 5, 6));
    CDsLineAttribManager manager;
    const Color expected[] = {Color(0, 0, 255),    Color(0, 0, 255),     Color(128, 128, 128), Color(4, 5, 6),
                              Color(1, 2, 3),      Color(255, 153, 26),  Color(255, 128, 255), Color(145, 191, 0),
                              Color(0, 117, 48),   Color(230, 230, 230)};
    for (int set = 0; set < 10; ++set) {
        const CDsLineAttribStorage* attributes = manager.GetAttributes(EAttribSetIndex(set));
        ASSERT_NE(attributes, nullptr);
        EXPECT_EQ(attributes->GetColor(), expected[set]) << "set " << set;
        EXPECT_FALSE(attributes->GetInheritColorState()) << "set " << set;
        EXPECT_EQ(attributes->GetStyle(), 0);
        EXPECT_EQ(attributes->GetWidth(), 1);
    }
    // Set 10 is a new storage: its colour is inherited.
    EXPECT_TRUE(manager.GetAttributes(EAttribSetIndex(10))->GetInheritColorState());
    EXPECT_EQ(manager.GetAttributes(EAttribSetIndex(11)), nullptr);
    EXPECT_EQ(DefaultColor(), Color(0, 0, 255));
}

TEST_F(DsLineAttribManagerTest, OnlyTheFirstManagerFillsTheSpecialLineAttributes)
{
    // Something else in the table first, so that the filling shows.
    for (int set = 0; set < CDsLineAttribStorage::kSpecialSetCount; ++set) {
        CDsLineAttribStorage other;
        other.SetColor(Color(9, 9, 9));
        CDsLineAttribStorage::StSetSpecialAttributes(EAttribSetIndex(set), &other);
    }
    General(L"Highlight_Color", CVyrRgbColor(1, 2, 3));
    CDsLineAttribManager first;
    for (int set = 0; set < 10; ++set)
        EXPECT_EQ(Special(set), first.GetAttributes(EAttribSetIndex(set))->GetColor()) << "set " << set;
    EXPECT_EQ(Special(4), Color(1, 2, 3));
    EXPECT_TRUE(CDsLineAttribStorage::StGetSpecialAttributes(EAttribSetIndex(10))->GetInheritColorState());

    // The table keeps its own copies: the first manager going changes nothing.
    first.SetCurrentColor(Color(7, 7, 7));
    EXPECT_EQ(Special(1), Color(0, 0, 255));

    // A second manager, with other preferences, leaves the table alone.
    CDsLineAttribStorage other;
    other.SetColor(Color(9, 9, 9));
    CDsLineAttribStorage::StSetSpecialAttributes(eAttribSetDim, &other);
    General(L"Highlight_Color", CVyrRgbColor(50, 60, 70));
    CDsLineAttribManager second;
    EXPECT_EQ(second.GetAttributes(eAttribSetHighlight)->GetColor(), Color(50, 60, 70));
    EXPECT_EQ(Special(4), Color(1, 2, 3));
    EXPECT_EQ(Special(2), Color(9, 9, 9));
}

TEST_F(DsLineAttribManagerTest, CurrentAttributesKeepTheirLimitsAndTheCurrentColourIsTheDefault)
{
    CDsLineAttribManager manager;
    EXPECT_FALSE(manager.SetCurrentWidth(0));
    EXPECT_FALSE(manager.SetCurrentWidth(9));
    EXPECT_EQ(manager.GetCurrentWidth(), 1);
    EXPECT_TRUE(manager.SetCurrentWidth(8));
    EXPECT_EQ(manager.GetCurrentWidth(), 8);
    EXPECT_FALSE(manager.SetCurrentStyle(32));
    EXPECT_FALSE(manager.SetCurrentStyle(-1));
    EXPECT_TRUE(manager.SetCurrentStyle(31));
    EXPECT_EQ(manager.GetCurrentStyle(), 31);
    EXPECT_EQ(&manager.GetCurrentAttributes(), manager.GetAttributes(eAttribSetFromLocation));

    manager.GetCurrentAttributes().ResetInheritColorState();
    manager.SetCurrentColor(Color(10, 20, 30));
    EXPECT_EQ(manager.GetCurrentColor(), Color(10, 20, 30));
    EXPECT_FALSE(manager.GetCurrentAttributes().GetInheritColorState());
    EXPECT_EQ(DefaultColor(), Color(10, 20, 30));
    // The system default colour is the display manager's only.
    manager.SetSystemDefaultColor(Color(1, 1, 1));
    EXPECT_EQ(DefaultColor(), Color(1, 1, 1));
    EXPECT_EQ(manager.GetAttributes(eAttribSetNormal)->GetColor(), Color(0, 0, 255));

    // Copies take the sets and the context.
    auto* context = reinterpret_cast<CDsGlContext*>(0x40);
    manager.SetRenderingContext(context);
    CDsLineAttribManager copy(manager);
    EXPECT_EQ(copy.GetCurrentColor(), Color(10, 20, 30));
    EXPECT_EQ(copy.GetCurrentStyle(), 31);
    EXPECT_EQ(copy.GetRenderingContext(), context);
    CDsLineAttribManager assigned;
    assigned = manager;
    EXPECT_EQ(assigned.GetCurrentWidth(), 8);
    EXPECT_EQ(assigned.GetRenderingContext(), context);
}

TEST_F(DsLineAttribManagerTest, VisibilityLevelsMapToTheirSets)
{
    EXPECT_EQ(CDsLineAttribManager::Visibility2LocState(eVisibilityDim), eAttribSetDim);
    EXPECT_EQ(CDsLineAttribManager::Visibility2LocState(eVisibilityMark), eAttribSetMark);
    EXPECT_EQ(CDsLineAttribManager::Visibility2LocState(eVisibilityLevel5), eAttribSetVisibility5);
    EXPECT_EQ(CDsLineAttribManager::Visibility2LocState(eVisibilityLevel6), eAttribSetVisibility6);
    EXPECT_EQ(CDsLineAttribManager::Visibility2LocState(eVisibilityLevel7), eAttribSetVisibility7);
    for (int level : {0, 2, 4, 8, -1})
        EXPECT_EQ(CDsLineAttribManager::Visibility2LocState(EVisibilityLevel(level)), eAttribSetNormal) << level;
}

TEST_F(DsLineAttribManagerTest, ConversionKeepsPartialTransparencyAndEveryValue)
{
    ConvertingManager manager;
    CDsLineAttribStorage storage;
    Color color(12, 34, 56);
    storage.SetColor(color);
    storage.SetStyle(5);
    storage.SetWidth(3);
    storage.SetVisibility(eVisibilityLevel6, true);
    for (int byte : {254, 128, 1, 0, 255}) {
        storage.SetTransparency(static_cast<float>(byte) / 255.0f);
        ASSERT_EQ(storage.GetTransparencyByte(), byte);
        const CDsAttributes converted = manager.ConvertDsAttribute(&storage).GetAttributes();
        EXPECT_EQ(converted.GetTransparency(), byte) << "a transparency byte of " << byte;
    }
    storage.SetRenderMode(eRenderShade);
    CDsAttributes converted = manager.ConvertDsAttribute(&storage).GetAttributes();
    EXPECT_EQ(converted.GetColor(), color.GetColorRef());
    EXPECT_EQ(converted.GetLineStyle(), 5);
    EXPECT_EQ(converted.GetLineWidth(), 3);
    EXPECT_EQ(converted.GetVisibility(), eVisibilityLevel6);
    EXPECT_EQ(converted.GetRenderMode(), eRenderShade);
    EXPECT_TRUE(converted.IsSet(CDsAttributes::eFieldColor | CDsAttributes::eFieldTransparency |
                                CDsAttributes::eFieldLineWidth | CDsAttributes::eFieldLineStyle |
                                CDsAttributes::eFieldVisibility | CDsAttributes::eFieldRenderMode));
    storage.SetRenderMode(eRenderMixed);  // only shading counts
    EXPECT_EQ(manager.ConvertDsAttribute(&storage).GetAttributes().GetRenderMode(), eRenderWireframe);
    EXPECT_TRUE(manager.ConvertDsAttribute(nullptr).GetAttributes().IsEmpty());
}

}  // namespace
