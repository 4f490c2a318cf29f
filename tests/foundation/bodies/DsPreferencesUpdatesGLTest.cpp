// Preference updates of a rendering context: the faceting tolerances of the active document into
// the scene's refinement record, the background of a document type into the scene's background
// (the next frame's clear colour), the exclusive-or partner colour taken from that background.
#include "DsBackground.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsLineAttribStorage.h"
#include "DsPreferencesServices.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "VyrRefinement.h"

#include "../../context/ViewStaticsGuard.h"
#include "../../context/ViewWindow.h"
#include "../PreferencesFixture.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <memory>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 64;

class PreferencesUpdatesGLTest : public vyrtest::PreferencesTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        view_ = std::make_unique<CDsView3dCdc>(&window_.wnd);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(*view_);
        view_->SetRenderMode(eRenderWireframe);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
    }
    CVyrRefinement& Refinement() { return *context_.GetScene()->GetRefinement(); }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    CDsPreferencesServices services_;
};

}  // namespace

TEST_F(PreferencesUpdatesGLTest, TheActiveDocumentsTolerancesReachTheScenesRefinementOnly)
{
    Store(7, L"Part", L"Surface_Tolerance_Data", 0.02);
    Store(7, L"Part", L"Max_Grid_Lines_Data", 64);
    Store(7, L"Drafting", L"Hl_Curve_Tolerance_Data", 0.03);  // stands for the absent curve key
    Store(8, L"Part", L"Surface_Tolerance_Data", 0.9);
    CVyrPrefManager::SetActiveDocumentId(7);
    const double normal = Refinement().GetNormalTol();
    Refinement().SetChangedFlag(false);

    services_.UpdateDocumentPreferences(&context_, false);
    EXPECT_DOUBLE_EQ(Refinement().GetSurfaceTol(), 0.02);
    EXPECT_EQ(Refinement().GetMaxGridLines(), 64);
    EXPECT_DOUBLE_EQ(Refinement().GetCurveTol(), 0.03);
    EXPECT_DOUBLE_EQ(Refinement().GetNormalTol(), normal);  // absent: the scene's value stays
    EXPECT_TRUE(Refinement().GetChangedFlag());

    // A second context updated while document 8 is active takes 8's value; the first keeps 7's,
    // and the store keeps both documents' values as they were.
    CDsGlContext second;
    CVyrPrefManager::SetActiveDocumentId(8);
    services_.UpdateRefinement(&second, false);
    EXPECT_DOUBLE_EQ(second.GetScene()->GetRefinement()->GetSurfaceTol(), 0.9);
    EXPECT_DOUBLE_EQ(Refinement().GetSurfaceTol(), 0.02);
    double surface = 0;
    int grid = 0;
    double n = 0, curve = 0;
    ASSERT_TRUE(services_.GetRefinement(surface, grid, n, curve, 7));
    EXPECT_DOUBLE_EQ(surface, 0.02);

    // No context given: the current view's.
    Refinement().SetChangedFlag(false);
    CDsView3dCdc::StSetCurrent(view_.get(), false);
    services_.UpdateRefinement(nullptr, false);
    EXPECT_DOUBLE_EQ(Refinement().GetSurfaceTol(), 0.9);
    EXPECT_TRUE(Refinement().GetChangedFlag());

    // An unknown document holds nothing of its own: the application's (absent) values leave the
    // refinement as it is.
    CVyrPrefManager::SetActiveDocumentId(4711);
    services_.UpdateRefinement(&context_, false);
    EXPECT_DOUBLE_EQ(Refinement().GetSurfaceTol(), 0.9);
}

TEST_F(PreferencesUpdatesGLTest, ABackgroundUpdateIsTheNextFramesClearColourAndTheExclusiveOrPartner)
{
    General(L"Modeler", CVyrRgbColor(0, 0, 255));
    General(L"ModelerGradientExist", 0);
    view_->refresh();
    const Rgb before = ReadPixel(GL_FRONT, kSize - 5, kSize - 5);

    services_.UpdateBackgroundColor(eDsDocumentTypeModeler, &context_);
    view_->refresh();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, kSize - 5, kSize - 5), Rgb{0, 0, 255}));
    EXPECT_FALSE(ColorNear(before, Rgb{0, 0, 255}));

    // Exclusive-or colours are taken against the scene's background, not the view's own colour.
    view_->set_background_rgb(rgb_color(0, 0, 0));
    CDsLineAttribStorage storage;
    storage.SetColor(CDsColorStorage(0, 255, 0));
    storage.SetXorMode(true);
    const rgb_color drawn = storage.SetAttributesToView(view_.get());
    EXPECT_EQ(drawn.windows_color() & 0xFFFFFFu, 0xFFFF00u);  // green ^ blue, red in the low byte

    // No context: nothing happens.
    General(L"Modeler", CVyrRgbColor(255, 0, 0));
    services_.UpdateBackgroundColor(eDsDocumentTypeModeler, nullptr);
    view_->refresh();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, kSize - 5, kSize - 5), Rgb{0, 0, 255}));
}
