// The renderer base and its render state: the snapshot of the view's switches taken when a
// renderer is made and kept for its frame, the monochrome test of its scene, and the draw set-up
// record a renderer fills before it walks.
#include "DsDrawContext.h"
#include "DsDrawSetup.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsRendererBase.h"
#include "DsStylePalette.h"
#include "DsView3dCdc.h"
#include "VyrObjectPath.h"

#include "ViewStaticsGuard.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Puts the display manager's monochrome flag (12) back after a test.
class RendererBaseTest : public ::testing::Test {
protected:
    ~RendererBaseTest() override { CDsManager::GetInstance()->SetFlag(12, monochrome_); }
    const bool monochrome_ = CDsManager::GetInstance()->GetFlag(12);
    vyrtest::ViewStaticsGuard statics_;
};

// A renderer that notes, while it renders, the render state it holds and the view's flag.
class NotingRenderer : public CDsRendererBase {
public:
    using CDsRendererBase::CDsRendererBase;
    void Render(const std::vector<CVyrObjectPath>*, bool, const int*, CDsDrawContext*) override
    {
        ++renders;
        stateFastRefresh = GetRenderState().fastRefresh;
        viewFastRefresh = GetView()->GetFlag(eDsViewFlagFastRefresh);
    }
    int renders = 0;
    bool stateFastRefresh = false;
    bool viewFastRefresh = true;
};

}  // namespace

TEST_F(RendererBaseTest, TheRenderStateIsTheViewsSwitchesWhenItWasTakenUntilUpdated)
{
    view3d view;
    view.SetFlag(eDsViewFlagFastRefresh, true);
    view.SetDocumentFlag(EDsDocumentFlag(1), true);
    view.SetDocumentFlag(EDsDocumentFlag(4), true);
    view.SetDocumentFlag(EDsDocumentFlag(5), false);
    view.SetRenderMode(eRenderHiddenLines);
    view.SetDrawPhase(eDsDrawPhaseOnTop);
    CDsManager::GetInstance()->SetFlag(12, true);

    CDsRenderState state(&view);
    EXPECT_EQ(state.owner, &view);
    EXPECT_TRUE(state.fastRefresh);
    EXPECT_TRUE(state.documentFlag1);
    EXPECT_TRUE(state.managerFlag12);
    EXPECT_TRUE(state.documentFlag4);
    EXPECT_FALSE(state.documentFlag5);
    EXPECT_EQ(state.renderMode, eRenderHiddenLines);
    EXPECT_EQ(state.drawPhase, eDsDrawPhaseOnTop);
    EXPECT_EQ(state.lastField, 0);

    view.SetFlag(eDsViewFlagFastRefresh, false);
    view.SetDocumentFlag(EDsDocumentFlag(1), false);
    view.SetDocumentFlag(EDsDocumentFlag(4), false);
    view.SetDocumentFlag(EDsDocumentFlag(5), true);
    view.SetRenderMode(eRenderShade);
    view.SetDrawPhase(eDsDrawPhasePlot);
    CDsManager::GetInstance()->SetFlag(12, false);
    EXPECT_TRUE(state.fastRefresh);  // a snapshot: nothing follows the view by itself
    EXPECT_EQ(state.renderMode, eRenderHiddenLines);

    state.lastField = 7;
    state.Update();
    EXPECT_FALSE(state.fastRefresh);
    EXPECT_FALSE(state.documentFlag1);
    EXPECT_FALSE(state.managerFlag12);
    EXPECT_FALSE(state.documentFlag4);
    EXPECT_TRUE(state.documentFlag5);
    EXPECT_EQ(state.renderMode, eRenderShade);
    EXPECT_EQ(state.drawPhase, eDsDrawPhasePlot);
    EXPECT_EQ(state.lastField, 0);
}

TEST_F(RendererBaseTest, TheRenderStateOfNoViewIsAllFalseAndZero)
{
    CDsManager::GetInstance()->SetFlag(12, true);
    CDsRenderState state(nullptr);
    EXPECT_EQ(state.owner, nullptr);
    EXPECT_FALSE(state.fastRefresh);
    EXPECT_FALSE(state.documentFlag1);
    EXPECT_FALSE(state.managerFlag12);
    EXPECT_FALSE(state.documentFlag4);
    EXPECT_FALSE(state.documentFlag5);
    EXPECT_EQ(state.renderMode, 0);
    EXPECT_EQ(state.drawPhase, 0);
    state.Update();
    EXPECT_FALSE(state.managerFlag12);
}

TEST_F(RendererBaseTest, ARendererMadeDuringAFastRefreshKeepsItForItsFrameWhateverTheViewDoes)
{
    CDsGlContext context;
    CDsView3dCdc view;
    view.SetGlContext(&context);
    context.add_view(&view);
    context.Set(EDsDocumentFlag(4), true);
    view.SetFlag(eDsViewFlagFastRefresh, true);

    NotingRenderer renderer(&view, context.GetScene());
    EXPECT_EQ(renderer.GetView(), &view);
    EXPECT_EQ(renderer.GetScene(), context.GetScene());
    // The document flags of a core view are its context's.
    EXPECT_TRUE(renderer.GetRenderState().documentFlag4);
    EXPECT_EQ(renderer.GetRenderState().documentFlag5, context.Get(EDsDocumentFlag(5)));

    view.SetFlag(eDsViewFlagFastRefresh, false);
    const int viewport[4] = {0, 100, 200, 0};
    CDsDrawContext record(&view, true, 0.05);
    renderer.Render(nullptr, true, viewport, &record);
    EXPECT_EQ(renderer.renders, 1);
    EXPECT_TRUE(renderer.stateFastRefresh);
    EXPECT_FALSE(renderer.viewFastRefresh);
    context.remove_view(&view);
}

TEST_F(RendererBaseTest, ARendererIsMonochromeOnlyWhenItsScenesContextAllowsItAndTheManagerHasItOn)
{
    CDsGlContext context;
    view3d view;
    CDsManager::GetInstance()->SetFlag(12, true);
    EXPECT_TRUE(NotingRenderer(&view, context.GetScene()).IsMonochrome());
    EXPECT_FALSE(NotingRenderer(&view, nullptr).IsMonochrome());
    CDsManager::GetInstance()->SetFlag(12, false);
    EXPECT_FALSE(NotingRenderer(&view, context.GetScene()).IsMonochrome());
}

TEST_F(RendererBaseTest, TheDrawSetUpTakesTheDefaultMaterialTheActiveStylesAndAnEmptyMemo)
{
    CDsPartStorage* storage = CDsPartStorage::instance();
    float saved[5] = {0, 0, 0, 0, 0};
    storage->GetDefaultMaterial(saved[0], saved[1], saved[2], saved[3], saved[4]);
    storage->SetDefaultMaterial(0.1f, 0.6f, 0.4f, 30.0f, 0.05f);
    CDsGlContext context;
    view3d view;

    SDsDrawSetup setup;
    setup.lastAttributes.SetColor(0x00123456);
    setup.lastStateWord = 0x104;
    setup.lastKind = 4;
    DsInitDrawSetup(setup, &view, context.GetScene(), false, true, true);
    EXPECT_EQ(setup.view, &view);
    EXPECT_EQ(setup.scene, context.GetScene());
    EXPECT_FALSE(setup.shaderLighting);
    EXPECT_TRUE(setup.lighting);
    EXPECT_TRUE(setup.documentFlag1);
    EXPECT_EQ(setup.styles, CDsStylePalette::StGetActive());
    const float expected[5] = {0.1f, 0.6f, 0.4f, 30.0f, 0.05f};
    for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(setup.material[i], expected[i]) << i;
    EXPECT_TRUE(setup.lastAttributes == CDsAttributes());
    EXPECT_EQ(setup.lastStateWord, 0);
    EXPECT_EQ(setup.lastKind, 0);

    // Shaders asked with lighting off: neither shaders nor lighting.
    DsInitDrawSetup(setup, &view, context.GetScene(), true, false, false);
    EXPECT_FALSE(setup.shaderLighting);
    EXPECT_FALSE(setup.lighting);
    EXPECT_FALSE(setup.documentFlag1);
    // Shaders asked with lighting, in a scene with no shader programs: OpenGL lights the faces.
    DsInitDrawSetup(setup, &view, context.GetScene(), true, true, false);
    ASSERT_FALSE(context.GetScene()->AllowsShaders());
    EXPECT_FALSE(setup.shaderLighting);
    EXPECT_TRUE(setup.lighting);
    // No scene: no shaders either.
    DsInitDrawSetup(setup, &view, nullptr, true, true, false);
    EXPECT_FALSE(setup.shaderLighting);
    EXPECT_TRUE(setup.lighting);

    storage->SetDefaultMaterial(saved[0], saved[1], saved[2], saved[3], saved[4]);
}
