// The display preferences without OpenGL: what each preference does to the display manager, the
// special attribute sets of the scene database and of the line attributes, backgrounds and the
// values the host reads through the display; absent preferences keep the defaults, faulty ones
// keep them too with one warning line, and reading never writes the preference file.
#include "PreferencesFixture.h"

#include "DsAttributes.h"
#include "DsBackground.h"
#include "DsLineAttribStorage.h"
#include "DsManager.h"
#include "DsPreferencesServices.h"
#include "DsScene.h"
#include "TestResets.h"
#include "VyrRgbColor.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using Color = CDsColorStorage;

class DsPreferencesServicesTest : public vyrtest::PreferencesTest {
protected:
    static Color SceneColor(int set) { return Color(CDsScene::GetSpecialAttrs(set).GetColor()); }
    static Color LineColor(EAttribSetIndex set) { return CDsLineAttribStorage::StGetSpecialAttributes(set)->GetColor(); }

    static void ExpectBackground(const CDsBackground& background, Color first, Color second, bool gradient,
                                 bool flipped)
    {
        Color color;
        Color other;
        bool on = !gradient;
        bool inverted = !flipped;
        background.GetBackground(color);
        background.GetGradient(other, on, inverted);
        EXPECT_EQ(color, first);
        EXPECT_EQ(other, second);
        EXPECT_EQ(on, gradient);
        EXPECT_EQ(inverted, flipped);
    }

    CDsPreferencesServices services_;
    CDsManager* manager_ = CDsManager::GetInstance();
};

TEST_F(DsPreferencesServicesTest, UcsSizeFollowsItsPreferenceAndAnAbsentOneKeepsTheSize)
{
    manager_->SetUcsSize(13);
    services_.UpdateUCSSize();
    EXPECT_EQ(manager_->GetUcsSize(), 13);  // absent: the reader's default stands

    const int expected[] = {6, 8, 10, 13};
    for (int stored = 0; stored < 4; ++stored) {
        General(L"UcsSize", stored);
        services_.UpdateUCSSize();
        EXPECT_EQ(manager_->GetUcsSize(), expected[stored]) << "UcsSize " << stored;
    }
    for (int stored : {7, 4, -1, 1000}) {
        General(L"UcsSize", stored);
        services_.UpdateUCSSize();
        EXPECT_EQ(manager_->GetUcsSize(), 16) << "UcsSize " << stored;
    }
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(DsPreferencesServicesTest, ColourPreferencesReachTheSpecialSetsOfBothFamilies)
{
    // Nothing stored: nothing changes.
    const Color before4 = SceneColor(4);
    services_.UpdateColorPreferences();
    EXPECT_EQ(SceneColor(4), before4);
    EXPECT_EQ(LineColor(eAttribSetHighlight), Color(0, 255, 0));

    // The highlight colour alone: set 4 of both families, nothing else.
    const Color scene3 = SceneColor(3);
    General(L"Highlight_Color", CVyrRgbColor(10, 20, 30));
    services_.UpdateColorPreferences();
    EXPECT_EQ(SceneColor(4), Color(10, 20, 30));
    EXPECT_EQ(LineColor(eAttribSetHighlight), Color(10, 20, 30));
    EXPECT_EQ(SceneColor(3), scene3);
    EXPECT_EQ(LineColor(eAttribSetMark), Color(0, 191, 94));

    // All three: sets 4, 3 (and the scene's 11) and 5; the line sets have colours of their own.
    CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetMark)->ResetInheritColorState();
    General(L"Select_Color", CVyrRgbColor(40, 50, 60));
    General(L"Highlight_Select_Color", CVyrRgbColor(70, 80, 90));
    const Color dim = SceneColor(2);
    services_.UpdateColorPreferences();
    EXPECT_EQ(SceneColor(3), Color(40, 50, 60));
    EXPECT_EQ(SceneColor(11), Color(40, 50, 60));
    EXPECT_EQ(SceneColor(5), Color(70, 80, 90));
    EXPECT_EQ(LineColor(eAttribSetMark), Color(40, 50, 60));
    EXPECT_FALSE(CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetMark)->GetInheritColorState());
    EXPECT_EQ(LineColor(eAttribSetHighlightMarked), Color(70, 80, 90));
    EXPECT_EQ(SceneColor(2), dim);

    // An empty entry of the line sets stays empty; the scene's set still changes.
    CDsLineAttribStorage::StSetSpecialAttributes(eAttribSetHighlight, nullptr);
    General(L"Highlight_Color", CVyrRgbColor(1, 2, 3));
    services_.UpdateColorPreferences();
    EXPECT_EQ(CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetHighlight), nullptr);
    EXPECT_EQ(SceneColor(4), Color(1, 2, 3));
}

TEST_F(DsPreferencesServicesTest, TheManagersSceneSetsHoldTheColourPreferences)
{
    // The defaults first.
    VYR_RESET_FOR_TESTS(CDsManager::ResetSpecialAttributesForTests);
    EXPECT_EQ(SceneColor(4), Color(0, 255, 0));
    EXPECT_EQ(SceneColor(3), Color(0, 191, 94));
    EXPECT_EQ(SceneColor(11), Color(0, 191, 94));
    EXPECT_EQ(SceneColor(5), Color(255, 153, 26));

    General(L"Highlight_Color", CVyrRgbColor(11, 22, 33));
    General(L"Select_Color", CVyrRgbColor(44, 55, 66));
    General(L"Highlight_Select_Color", CVyrRgbColor(77, 88, 99));
    CDsScene::SetSpecialAttrs(0, CDsAttributes());
    CDsScene::SetSpecialAttrs(1, CDsAttributes());
    VYR_RESET_FOR_TESTS(CDsManager::ResetSpecialAttributesForTests);

    EXPECT_EQ(SceneColor(4), Color(11, 22, 33));
    EXPECT_EQ(SceneColor(3), Color(44, 55, 66));
    EXPECT_EQ(SceneColor(11), Color(44, 55, 66));
    EXPECT_EQ(SceneColor(5), Color(77, 88, 99));
    EXPECT_EQ(SceneColor(2), Color(128, 128, 128));
    EXPECT_EQ(SceneColor(6), Color(255, 128, 255));
    EXPECT_EQ(SceneColor(7), Color(145, 191, 0));
    EXPECT_EQ(SceneColor(8), Color(0, 117, 48));
    EXPECT_EQ(SceneColor(9), Color(230, 230, 230));
    EXPECT_EQ(SceneColor(10), Color(200, 200, 0));
    EXPECT_EQ(SceneColor(12), Color(0, 0, 0));
    // Sets 2 to 9 set only their colour; 10 and 12 set style and width as well.
    for (int set = 2; set <= 9; ++set)
        EXPECT_EQ(CDsScene::GetSpecialAttrs(set).GetSetFields(), CDsAttributes::eFieldColor) << "set " << set;
    const CDsAttributes& singleSlave = CDsScene::GetSpecialAttrs(10);
    EXPECT_TRUE(singleSlave.IsSet(CDsAttributes::eFieldLineStyle | CDsAttributes::eFieldLineWidth));
    EXPECT_EQ(singleSlave.GetLineWidth(), 2);
    EXPECT_EQ(singleSlave.GetLineStyle(), 0);
    const CDsAttributes& monochrome = CDsScene::GetSpecialAttrs(12);
    EXPECT_TRUE(monochrome.IsSet(CDsAttributes::eFieldColor | CDsAttributes::eFieldLineWidth));
    EXPECT_EQ(monochrome.GetLineWidth(), 1);
    // Sets 0 and 1 are not the manager's.
    EXPECT_TRUE(CDsScene::GetSpecialAttrs(0).IsEmpty());
    EXPECT_TRUE(CDsScene::GetSpecialAttrs(1).IsEmpty());
}

TEST_F(DsPreferencesServicesTest, GeneralUpdateTurnsDisplayListsOnAndReadsSizeAndColours)
{
    manager_->SetFlag(4, false);
    General(L"UcsSize", 1);
    General(L"Select_Color", CVyrRgbColor(9, 8, 7));
    services_.UpdateGeneralPreferences(false);
    EXPECT_TRUE(manager_->GetFlag(4));
    EXPECT_EQ(manager_->GetUcsSize(), 8);
    EXPECT_EQ(SceneColor(3), Color(9, 8, 7));
    EXPECT_EQ(LineColor(eAttribSetMark), Color(9, 8, 7));

    manager_->SetFlag(4, false);
    services_.UpdateDisplayListUse(false);
    EXPECT_TRUE(manager_->GetFlag(4));
}

TEST_F(DsPreferencesServicesTest, DisplayPreferencesSetFlagsTwelveAndThirteenAndTheMonochromeColours)
{
    // Nothing stored: both flags off, the colours as they are.
    manager_->SetFlag(12, true);
    manager_->SetFlag(13, true);
    manager_->SetMonochromColor(Color(1, 1, 1), false);
    EXPECT_TRUE(manager_->InitializeDisplayPreferences());
    EXPECT_FALSE(manager_->GetFlag(12));
    EXPECT_FALSE(manager_->GetFlag(13));
    Color color;
    manager_->GetMonochromColor(color, true);
    EXPECT_EQ(color, Color(0xC8, 0xC8, 0xC8));
    manager_->GetMonochromColor(color, false);
    EXPECT_EQ(color, Color(1, 1, 1));

    General(L"MonochromeWireframeEnable", 1);
    General(L"ShaderActive", true);  // a boolean reads as the integer 1
    General(L"MonochromeWireframeHiddenLine", CVyrRgbColor(5, 6, 7));
    EXPECT_TRUE(manager_->InitializeDisplayPreferences());
    EXPECT_TRUE(manager_->GetFlag(12));
    EXPECT_TRUE(manager_->GetFlag(13));
    manager_->GetMonochromColor(color, true);
    EXPECT_EQ(color, Color(5, 6, 7));
    manager_->GetMonochromColor(color, false);
    EXPECT_EQ(color, Color(1, 1, 1));

    // The update makes an absent colour black.
    services_.UpdateMonochromColors();
    manager_->GetMonochromColor(color, false);
    EXPECT_EQ(color, Color(0, 0, 0));
    manager_->GetMonochromColor(color, true);
    EXPECT_EQ(color, Color(5, 6, 7));
}

TEST_F(DsPreferencesServicesTest, BackgroundsByDocumentType)
{
    CDsBackground background;
    services_.GetBackgroundColor(eDsDocumentTypeModeler, background);
    ExpectBackground(background, Color(255, 255, 255), Color(255, 255, 255), false, false);

    // "Background_Style" decides while the Exist key is absent: 1 a gradient to black, others to
    // white.
    General(L"Assembly", CVyrRgbColor(10, 10, 10));
    General(L"AssemblyGradient", CVyrRgbColor(20, 20, 20));
    General(L"Background_Style", 1);
    services_.GetBackgroundColor(eDsDocumentTypeAssembly, background);
    ExpectBackground(background, Color(10, 10, 10), Color(0, 0, 0), true, false);
    General(L"Background_Style", 2);
    services_.GetBackgroundColor(eDsDocumentTypeAssembly, background);
    ExpectBackground(background, Color(10, 10, 10), Color(255, 255, 255), true, false);

    // The Exist key wins over the style, and its gradient colour stands.
    General(L"AssemblyGradientExist", 0);
    services_.GetBackgroundColor(eDsDocumentTypeAssembly, background);
    ExpectBackground(background, Color(10, 10, 10), Color(20, 20, 20), false, false);
    General(L"AssemblyGradientExist", 1);
    General(L"AssemblyGradientFlip", 1);
    services_.GetBackgroundColor(eDsDocumentTypeAssembly, background);
    ExpectBackground(background, Color(10, 10, 10), Color(20, 20, 20), true, true);

    // Drawings never get a gradient, whatever the keys hold.
    General(L"Drafting", CVyrRgbColor(30, 30, 30));
    General(L"ModelerGradientExist", 1);
    services_.GetBackgroundColor(eDsDocumentTypeDrafting, background);
    ExpectBackground(background, Color(30, 30, 30), Color(255, 255, 255), false, false);

    // NC has keys of its own; other types read the modeler's.
    General(L"NC", CVyrRgbColor(40, 40, 40));
    services_.GetBackgroundColor(eDsDocumentTypeNc, background);
    ExpectBackground(background, Color(40, 40, 40), Color(255, 255, 255), true, false);  // style 2
    General(L"Modeler", CVyrRgbColor(50, 50, 50));
    services_.GetBackgroundColor(static_cast<EDsDocumentType>(9), background);
    ExpectBackground(background, Color(50, 50, 50), Color(255, 255, 255), true, false);
}

TEST_F(DsPreferencesServicesTest, ValuesTheHostReadsKeepTheirDefaultsAndWritersNeedThePreference)
{
    EXPECT_FALSE(services_.GetSaveAndLoadMeshState());
    EXPECT_TRUE(services_.GetOverrideFacesColorState());
    EXPECT_EQ(services_.GetDisableCopyPixelsStatus(), 1);
    double resolution = 3.5;
    int pictures = 7;
    EXPECT_FALSE(services_.GetPrintResolution(&resolution));
    EXPECT_FALSE(services_.GetImageResolution(&resolution));
    EXPECT_FALSE(services_.GetAnimationViewNumOfPics(&pictures));
    EXPECT_EQ(resolution, 3.5);
    EXPECT_EQ(pictures, 7);
    EXPECT_EQ(services_.GetPictureDlgPos(), CRect(0, 0, 0, 0));
    // Writers of absent keys do nothing: no preference file appears.
    EXPECT_FALSE(services_.SetOverrideFacesColorState(false));
    EXPECT_FALSE(services_.SetPrintResolution(300.0));
    EXPECT_FALSE(services_.SetAnimationViewNumOfPics(12));
    EXPECT_FALSE(services_.UpdatePictureDlgPos(CRect(1, 2, 3, 4)));
    EXPECT_TRUE(PreferenceFile().bytes.empty());

    General(L"SaveLoadMesh", 1);
    General(L"OverrideFacesColor", 1);
    General(L"IgnoreOpneGLPictureCopy", 1);
    General(L"PrintResolution", 150.0);
    General(L"ImageResolution", 96.0);
    General(L"AnimationViewNumbers", 25);
    for (const wchar_t* side : {L"Left", L"Top", L"Right", L"Bottom"}) General(side, 0);
    EXPECT_TRUE(services_.GetSaveAndLoadMeshState());
    EXPECT_TRUE(services_.SetOverrideFacesColorState(false));
    EXPECT_FALSE(services_.GetOverrideFacesColorState());
    EXPECT_TRUE(services_.SetDisableCopyPixelsStatus(0));
    EXPECT_EQ(services_.GetDisableCopyPixelsStatus(), 0);
    EXPECT_TRUE(services_.SetPrintResolution(600.0));
    EXPECT_TRUE(services_.GetPrintResolution(&resolution));
    EXPECT_EQ(resolution, 600.0);
    EXPECT_TRUE(services_.SetImageResolution(72.0));
    EXPECT_TRUE(services_.GetImageResolution(&resolution));
    EXPECT_EQ(resolution, 72.0);
    EXPECT_TRUE(services_.SetAnimationViewNumOfPics(40));
    EXPECT_TRUE(services_.GetAnimationViewNumOfPics(&pictures));
    EXPECT_EQ(pictures, 40);
    EXPECT_TRUE(services_.UpdatePictureDlgPos(CRect(10, 20, 300, 400)));
    EXPECT_EQ(services_.GetPictureDlgPos(), CRect(10, 20, 300, 400));
    // Null pointers are refused.
    EXPECT_FALSE(services_.GetPrintResolution(nullptr));
    EXPECT_FALSE(services_.GetAnimationViewNumOfPics(nullptr));
}

TEST_F(DsPreferencesServicesTest, FastRefreshKeysOfPartsFallBackToThoseOfDrawings)
{
    EXPECT_FALSE(services_.GetAutoHideForFastRefreshEnabled(false));
    EXPECT_FALSE(services_.GetAutoHideForFastRefreshEnabled(true));
    EXPECT_FALSE(services_.GetShowEdgesOnZPR());

    // The drawings' key stands in for an absent part key.
    General(L"Hl_Draft_Fast_Refresh_Auto_Hide_E8", 1);
    EXPECT_TRUE(services_.GetAutoHideForFastRefreshEnabled(false));
    EXPECT_TRUE(services_.GetAutoHideForFastRefreshEnabled(true));
    EXPECT_TRUE(services_.SetAutoHideForFastRefreshEnabled(false, false));  // written to the drawings' key
    EXPECT_FALSE(services_.GetAutoHideForFastRefreshEnabled(true));

    General(L"PartFastRefreshAutoHide", 1);
    EXPECT_TRUE(services_.GetAutoHideForFastRefreshEnabled(false));
    EXPECT_FALSE(services_.GetAutoHideForFastRefreshEnabled(true));
    EXPECT_TRUE(services_.SetAutoHideForFastRefreshEnabled(false, false));
    EXPECT_FALSE(services_.GetAutoHideForFastRefreshEnabled(false));

    // The hide level is written but always read as 0.05.
    EXPECT_FALSE(services_.SetFastRefreshHideLevel(0.2, false));  // neither key present
    General(L"Hl_Draft_Fast_Refresh_Hide_Level", 0.1);
    EXPECT_TRUE(services_.SetFastRefreshHideLevel(0.2, false));
    double level = 0.0;
    EXPECT_TRUE(Prefs()->GetValue(0, L"General", L"Hl_Draft_Fast_Refresh_Hide_Level", level));
    EXPECT_EQ(level, 0.2);
    EXPECT_EQ(services_.GetFastRefreshHideLevel(false), 0.05);
    General(L"PartNewFastRefreshHideLevel", 0.1);
    EXPECT_TRUE(services_.SetFastRefreshHideLevel(0.3, false));
    EXPECT_TRUE(Prefs()->GetValue(0, L"General", L"PartNewFastRefreshHideLevel", level));
    EXPECT_EQ(level, 0.3);
    EXPECT_EQ(services_.GetFastRefreshHideLevel(true), 0.05);

    // The view-bound questions need a fast refresh under way.
    view3d view;
    General(L"Fast_Part_Refresh_Ignore_Transparency", 1);
    EXPECT_FALSE(DsGetFastPartRefreshIgnoreTransparency(&view));
    EXPECT_FALSE(DsIsFastRefreshAutoHideActive(&view));
    view.SetFlag(eDsViewFlagFastRefresh, true);
    EXPECT_TRUE(DsGetFastPartRefreshIgnoreTransparency(&view));
    EXPECT_FALSE(DsIsFastRefreshAutoHideActive(&view));  // switched off above
    EXPECT_TRUE(services_.SetAutoHideForFastRefreshEnabled(true, false));
    EXPECT_TRUE(DsIsFastRefreshAutoHideActive(&view));
    EXPECT_FALSE(DsGetFastPartRefreshIgnoreTransparency(nullptr));
    EXPECT_FALSE(DsIsFastRefreshAutoHideActive(nullptr));
}

TEST_F(DsPreferencesServicesTest, RefinementReadsTheDocumentsPartValuesAndTheDraftingCurveTolerance)
{
    double surface = -1, normal = -1, curve = -1;
    int grid = -1;
    EXPECT_FALSE(services_.GetRefinement(surface, grid, normal, curve, -1));
    EXPECT_EQ(surface, -1);
    EXPECT_EQ(grid, -1);

    // Document 4's values; the curve tolerance from "Drafting" while the part has none.
    Store(4, L"Part", L"Surface_Tolerance_Data", 0.01);
    Store(4, L"Part", L"Max_Grid_Lines_Data", 300);
    Store(4, L"Drafting", L"Hl_Curve_Tolerance_Data", 0.002);
    EXPECT_TRUE(services_.GetRefinement(surface, grid, normal, curve, 4));
    EXPECT_EQ(surface, 0.01);
    EXPECT_EQ(grid, 300);
    EXPECT_EQ(normal, -1);  // absent: left
    EXPECT_EQ(curve, 0.002);
    // The active document is the default.
    CVyrPrefManager::SetActiveDocumentId(4);
    surface = -1;
    EXPECT_TRUE(services_.GetRefinement(surface, grid, normal, curve, -1));
    EXPECT_EQ(surface, 0.01);

    EXPECT_TRUE(services_.SetRefinement(0.02, 200, 15.0, 0.004, 4));
    EXPECT_TRUE(services_.GetRefinement(surface, grid, normal, curve, 4));
    EXPECT_EQ(surface, 0.02);
    EXPECT_EQ(grid, 200);
    EXPECT_EQ(normal, -1);  // absent keys are not written
    EXPECT_EQ(curve, 0.004);
    Store(4, L"Part", L"Curve_Tolerance_Data", 0.5);
    EXPECT_TRUE(services_.GetRefinement(surface, grid, normal, curve, 4));
    EXPECT_EQ(curve, 0.5);
}

TEST_F(DsPreferencesServicesTest, GenericReadsUseTheApplicationForGeneralAndTheActiveDocumentOtherwise)
{
    Store(0, L"Part", L"TemplateInstantiationOnly", 1);
    Store(5, L"Part", L"TemplateInstantiationOnly", 1);
    Store(0, L"General", L"ShaderActive", 1);
    Store(5, L"General", L"ShaderActive", 0);
    CVyrPrefManager::SetActiveDocumentId(5);
    int value = -1;
    EXPECT_TRUE(DsGetPreferenceValue(L"General", L"ShaderActive", value));
    EXPECT_EQ(value, 1);  // the application's, not document 5's
    EXPECT_TRUE(DsGetPreferenceValue(L"Part", L"TemplateInstantiationOnly", value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(DsClearTemplateInstantiationOnly());
    EXPECT_TRUE(DsGetPreferenceValue(L"Part", L"TemplateInstantiationOnly", value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(Prefs()->GetValue(0, L"Part", L"TemplateInstantiationOnly", value));
    EXPECT_EQ(value, 1);  // only the active document's value was cleared
    value = 9;
    EXPECT_FALSE(DsGetPreferenceValue(L"General", L"Nothing", value));
    EXPECT_EQ(value, 9);
    EXPECT_FALSE(DsResetPartPreference(L"Nothing"));
}

TEST_F(DsPreferencesServicesTest, FaultyValuesKeepTheDefaultsWithOneWarningEachAndNothingIsWritten)
{
    // Each preference holds a value of the wrong type.
    General(L"UcsSize", 2.5);
    General(L"Highlight_Color", 7);
    General(L"Select_Color", CVyrString(L"green"));
    General(L"ShaderActive", CVyrRgbColor(1, 1, 1));
    General(L"PrintResolution", CVyrString(L"high"));
    const FileState before = PreferenceFile();
    ASSERT_FALSE(before.bytes.empty());

    manager_->SetUcsSize(10);
    services_.UpdateUCSSize();
    EXPECT_EQ(manager_->GetUcsSize(), 10);
    EXPECT_EQ(Warnings().size(), 1u);

    Color highlight, select, highlightSelect;
    services_.GetColorPreferences(highlight, select, highlightSelect);
    EXPECT_EQ(highlight, Color(0, 255, 0));
    EXPECT_EQ(select, Color(0, 191, 94));
    EXPECT_EQ(highlightSelect, Color(255, 153, 26));
    EXPECT_EQ(Warnings().size(), 3u);

    manager_->SetFlag(13, true);
    manager_->InitializeDisplayPreferences();
    EXPECT_FALSE(manager_->GetFlag(13));
    double resolution = 1.0;
    EXPECT_FALSE(services_.GetPrintResolution(&resolution));
    EXPECT_EQ(resolution, 1.0);

    const std::vector<std::string> lines = Warnings();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "Display warning: preference \"General\" \"UcsSize\" is not an integer; its default stands");
    EXPECT_NE(lines[2].find("\"Select_Color\" is not a colour"), std::string::npos) << lines[2];
    EXPECT_TRUE(PreferenceFile() == before);  // reading wrote nothing
}

TEST_F(DsPreferencesServicesTest, MalformedPreferenceFilesKeepEveryDefaultAndAreNotWritten)
{
    const std::string files[] = {
        // Values that cannot be read, an overlong line and binary bytes in a preference file.
        "VYR-PREFERENCES 1\n[General]\nUcsSize = INT 99999999999\nHighlight_Color = COLOR 300 -1 2\n"
        "Select_Color = COLOR 0 1\nHighlight_Select_Color = " + std::string(100000, '9') + "\n" +
            std::string("ShaderActive = INT \0\x01\xff\n", 23) + "PrintResolution = REAL nan\n",
        // No preference file at all.
        std::string("\x7f" "ELF\x02\x01\x01\0\0\0garbage[General]\nUcsSize = INT 2\n", 40),
    };
    for (const std::string& bytes : files) {
        std::ofstream(prefsFile_, std::ios::binary | std::ios::trunc) << bytes;
        VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
        const FileState before = PreferenceFile();
        const Color scene4 = SceneColor(4);
        manager_->SetUcsSize(10);
        manager_->SetFlag(13, true);
        services_.UpdateGeneralPreferences(false);
        manager_->InitializeDisplayPreferences();
        EXPECT_EQ(manager_->GetUcsSize(), 10);
        EXPECT_FALSE(manager_->GetFlag(13));
        EXPECT_EQ(SceneColor(4), scene4);
        EXPECT_EQ(LineColor(eAttribSetHighlight), Color(0, 255, 0));
        Color highlight, select, highlightSelect;
        services_.GetColorPreferences(highlight, select, highlightSelect);
        EXPECT_EQ(highlight, Color(0, 255, 0));
        EXPECT_EQ(select, Color(0, 191, 94));
        EXPECT_EQ(highlightSelect, Color(255, 153, 26));
        double resolution = 2.0;
        EXPECT_FALSE(services_.GetPrintResolution(&resolution));
        EXPECT_EQ(resolution, 2.0);
        EXPECT_TRUE(PreferenceFile() == before);  // nothing written back
    }
}

TEST_F(DsPreferencesServicesTest, LiveContextsAreListedOnceAndLeave)
{
    auto* a = reinterpret_cast<CDsGlContext*>(0x1000);
    auto* b = reinterpret_cast<CDsGlContext*>(0x2000);
    const std::vector<CDsGlContext*> start = CDsPreferencesServices::StGetGlContexts();
    CDsPreferencesServices::StAddGlContext(a);
    CDsPreferencesServices::StAddGlContext(b);
    CDsPreferencesServices::StAddGlContext(a);
    CDsPreferencesServices::StAddGlContext(nullptr);
    std::vector<CDsGlContext*> expected = start;
    expected.push_back(a);
    expected.push_back(b);
    EXPECT_EQ(CDsPreferencesServices::StGetGlContexts(), expected);
    CDsPreferencesServices::StRemoveGlContext(a);
    CDsPreferencesServices::StRemoveGlContext(a);
    expected.erase(expected.end() - 2);
    EXPECT_EQ(CDsPreferencesServices::StGetGlContexts(), expected);
    CDsPreferencesServices::StRemoveGlContext(b);
    EXPECT_EQ(CDsPreferencesServices::StGetGlContexts(), start);
}

}  // namespace
