// Refinements: the faceter's defaults, the current refinement and its fall-back, and the
// faceting preferences read into one.
#include "DsView3dCdc.h"
#include "VyrPrefManager.h"
#include "VyrRefinement.h"

#include "MeshingFixture.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "TestResets.h"

#include <string>

using VyrCurrentRefinementTest = vyrtest::MeshingTest;

TEST(VyrRefinementTest, AFreshRefinementCarriesTheDefaultsAndCopiesCarryEveryField)
{
    CVyrRefinement fresh;
    EXPECT_EQ(fresh.GetMaxGridLines(), 512);
    EXPECT_EQ(fresh.GetCurveTol(), 0.1);
    EXPECT_EQ(fresh.GetSurfaceTol(), 0.5);
    EXPECT_EQ(fresh.GetNormalTol(), 0.0);
    EXPECT_EQ(fresh.GetGridMode(), AF_GRID_MODE_INSIDE);
    EXPECT_EQ(fresh.GetTriangMode(), AF_TRIANG_MODE_TRIANGLES);
    EXPECT_EQ(fresh.GetAdjustMode(), AF_ADJUST_MODE_SMOOTH_NON_GRID);
    EXPECT_EQ(fresh.GetSurfaceMode(), AF_SURF_MODE_ANY);
    EXPECT_EQ(fresh.GetDynamicAllocMeshFlag(), 1);
    EXPECT_EQ(fresh.GetUseDisplayVerticiesFlag(), 0);
    EXPECT_EQ(fresh.GetMinUGridLines(), 0);
    EXPECT_EQ(fresh.GetMinVGridLines(), 0);
    EXPECT_EQ(fresh.GetMaxEdgeLength(), 0.0);
    EXPECT_EQ(fresh.GetGridAspectRatio(), 0.0);
    EXPECT_EQ(fresh.GetDynamicSurfaceTolerance(), 0.0);
    EXPECT_EQ(fresh.GetGradingMode(), 0);
    EXPECT_FALSE(fresh.GetChangedFlag());

    CVyrRefinement tuned;
    tuned.SetSurfaceTol(0.02);
    tuned.SetNormalTol(7.5);
    tuned.SetCurveTol(0.004);
    tuned.SetMaxGridLines(64);
    tuned.SetMinUGridLines(3);
    tuned.SetMinVGridLines(4);
    tuned.SetMaxEdgeLength(2.5);
    tuned.SetGridAspectRatio(1.5);
    tuned.SetDynamicSurfaceTolerance(0.3);
    tuned.SetGridMode(AF_GRID_MODE_WHOLE_FACE);
    tuned.SetTriangMode(AF_TRIANG_MODE_POLYGONS);
    tuned.SetAdjustMode(AF_ADJUST_MODE_KEEP);
    tuned.SetSurfaceMode(AF_SURF_MODE_OTHER);
    tuned.SetGradingMode(2);
    tuned.SetDynamicAllocMeshFlag(0);
    tuned.SetUseDisplayVerticiesFlag(1);
    EXPECT_FALSE(tuned.GetChangedFlag());  // setters leave the changed flag alone
    tuned.SetChangedFlag(true);

    CVyrRefinement copy(tuned);
    fresh = tuned;
    for (const CVyrRefinement* r : {&copy, &fresh}) {
        EXPECT_EQ(r->GetSurfaceTol(), 0.02);
        EXPECT_EQ(r->GetNormalTol(), 7.5);
        EXPECT_EQ(r->GetCurveTol(), 0.004);
        EXPECT_EQ(r->GetMaxGridLines(), 64);
        EXPECT_EQ(r->GetMinUGridLines(), 3);
        EXPECT_EQ(r->GetMinVGridLines(), 4);
        EXPECT_EQ(r->GetMaxEdgeLength(), 2.5);
        EXPECT_EQ(r->GetGridAspectRatio(), 1.5);
        EXPECT_EQ(r->GetDynamicSurfaceTolerance(), 0.3);
        EXPECT_EQ(r->GetGridMode(), AF_GRID_MODE_WHOLE_FACE);
        EXPECT_EQ(r->GetTriangMode(), AF_TRIANG_MODE_POLYGONS);
        EXPECT_EQ(r->GetAdjustMode(), AF_ADJUST_MODE_KEEP);
        EXPECT_EQ(r->GetSurfaceMode(), AF_SURF_MODE_OTHER);
        EXPECT_EQ(r->GetGradingMode(), 2);
        EXPECT_EQ(r->GetDynamicAllocMeshFlag(), 0);
        EXPECT_EQ(r->GetUseDisplayVerticiesFlag(), 1);
        EXPECT_TRUE(r->GetChangedFlag());
    }
}

TEST_F(VyrCurrentRefinementTest, WithoutAViewTheCurrentRefinementFallsBackToTheDefaultOnceItGoes)
{
    ASSERT_EQ(CDsView3dCdc::sCurrentView, nullptr);
    CVyrRefinement::StSetCurrentRefinement(nullptr);
    EXPECT_EQ(CVyrRefinement::StGetCurrentRefinement(), &CVyrRefinement::sDefaultRefinement);
    EXPECT_EQ(CVyrRefinement::sDefaultRefinement.GetSurfaceTol(), 0.5);

    auto* scene = new CVyrRefinement;  // as a scene holds one
    scene->SetSurfaceTol(0.01);
    CVyrRefinement::StSetCurrentRefinement(scene);
    EXPECT_EQ(CVyrRefinement::StGetCurrentRefinement(), scene);
    {
        CVyrRefinement copy(*scene);  // a copy going does not touch the current pointer
    }
    EXPECT_EQ(CVyrRefinement::StGetCurrentRefinement(), scene);
    delete scene;
    EXPECT_EQ(CVyrRefinement::sCurrentRefinement, nullptr);
    EXPECT_EQ(CVyrRefinement::StGetCurrentRefinement(), &CVyrRefinement::sDefaultRefinement);
}

// Preferences in a file of the test's own.
class VyrRefinementPreferencesTest : public vyrtest::MeshingTest {
protected:
    VyrRefinementPreferencesTest() { VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests); }
    ~VyrRefinementPreferencesTest() override { VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests); }

    std::string dir_ = vyrtest::ScratchDir();
    std::string file_ = dir_ + "/ZorbelanE.prf";
    vyrtest::ScopedEnv prefsEnv_{"VYR_PREFERENCES_FILE", file_.c_str()};
    static void Store(const wchar_t* group, const wchar_t* key, const CVyrPreference& value)
    {
        ASSERT_TRUE(CVyrPrefManager::GetInstance()->AddPreference(0, group, key, value));
    }
};

TEST_F(VyrRefinementPreferencesTest, ReadingPreferencesOverwritesOnlyTheFourTolerances)
{
    CVyrRefinement r;
    r.SetMinUGridLines(3);
    r.SetGridMode(AF_GRID_MODE_NO_GRID);
    r.SetUseDisplayVerticiesFlag(1);
    r.SetMaxEdgeLength(4.0);

    r.ReadPreferences();  // nothing stored: every value stays
    EXPECT_EQ(r.GetSurfaceTol(), 0.5);
    EXPECT_EQ(r.GetMaxGridLines(), 512);
    EXPECT_EQ(r.GetCurveTol(), 0.1);

    Store(L"Part", L"Surface_Tolerance_Data", CVyrPreference(0.02));
    Store(L"Part", L"Max_Grid_Lines_Data", CVyrPreference(200));
    Store(L"Part", L"Normal_Tolerance_Data", CVyrPreference(12.0));
    Store(L"Drafting", L"Hl_Curve_Tolerance_Data", CVyrPreference(0.003));
    r.ReadPreferences();
    EXPECT_EQ(r.GetSurfaceTol(), 0.02);
    EXPECT_EQ(r.GetMaxGridLines(), 200);
    EXPECT_EQ(r.GetNormalTol(), 12.0);
    EXPECT_EQ(r.GetCurveTol(), 0.003);
    EXPECT_EQ(r.GetMinUGridLines(), 3);
    EXPECT_EQ(r.GetGridMode(), AF_GRID_MODE_NO_GRID);
    EXPECT_EQ(r.GetUseDisplayVerticiesFlag(), 1);
    EXPECT_EQ(r.GetMaxEdgeLength(), 4.0);
    EXPECT_FALSE(r.GetChangedFlag());
}
