// The core's rendering context and its scene without OpenGL: the document flags and what their
// changes mark, the display-suspension counter, the display-state history the scene keeps, the
// preference services' list, the item map and the records of views that have no device context.
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsMap.h"
#include "DsPreferencesServices.h"
#include "DsStateStorage.h"
#include "SpaEntity.h"

#include "ViewStaticsGuard.h"
#include "ViewTestDoubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <type_traits>

using vyrtest::CountingContext;

namespace {

class DsGlContextTest : public ::testing::Test {
protected:
    vyrtest::ViewStaticsGuard statics_;
};

// A state that counts how many of its kind are alive, marked with a number (its camera's eye x).
struct MarkedState : CDsStateStorage {
    explicit MarkedState(int mark)
    {
        ++sAlive;
        CDsPictureStorage picture;
        picture.SetEye(SPAposition(mark, 0.0, 0.0));
        SavePicture(picture);
    }
    ~MarkedState() override { --sAlive; }
    static int sAlive;
};
int MarkedState::sAlive = 0;

// The mark of a state; -1 for none.
int MarkOf(const CDsStateStorage* state)
{
    if (!state) return -1;
    CDsPictureStorage picture;
    state->GetPicture(picture);
    return static_cast<int>(picture.GetEye().x());
}

bool Listed(CDsGlContext* context)
{
    const std::vector<CDsGlContext*> contexts = CDsPreferencesServices::StGetGlContexts();
    return std::find(contexts.begin(), contexts.end(), context) != contexts.end();
}

}  // namespace

TEST_F(DsGlContextTest, ANewSceneStartsWithItsDocumentFlagsAndNothingSuspended)
{
    CDsGlContext context(7);
    CDsGlScene* scene = context.GetScene();
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->GetOwner(), &context);
    EXPECT_EQ(scene->GetSceneNumber(), 7);
    for (int f = 0; f < 27; ++f) EXPECT_EQ(context.Get(EDsDocumentFlag(f)), f == 5 || f == 7 || f == 25) << f;
    EXPECT_FALSE(context.Get(EDsDocumentFlag(27)));
    EXPECT_FALSE(context.Get(EDsDocumentFlag(-1)));
    EXPECT_FALSE(context.GetDisplaySuspensionMode());
    EXPECT_EQ(context.GetSilhouetteLevel(), eDsSilhouetteCylinders);
    EXPECT_EQ(context.GetRefreshCounter(), 0);
    EXPECT_TRUE(scene->IsPicturePropsValid());
    EXPECT_TRUE(scene->IsRenderModeValid());
    EXPECT_EQ(context.GetItemsMap()->GetOwner(), &context);
    EXPECT_FALSE(context.GetGlContextDeleteMode());
    EXPECT_EQ(context.make_figure(ENTITY_LIST(), nullptr), nullptr);
    static_assert(!std::is_copy_constructible<CDsGlContext>::value, "a context must not be copied");
}

TEST_F(DsGlContextTest, FlagChangesMarkTheRenderModeOrThePicturePropertiesAsChanged)
{
    CDsGlContext context;
    CDsGlScene* scene = context.GetScene();
    for (int f : {0, 1, 8, 12, 21, 22}) {
        scene->SetRenderModeValid(true);
        scene->SetPicturePropsValid(true);
        context.Set(EDsDocumentFlag(f), true);
        EXPECT_TRUE(context.Get(EDsDocumentFlag(f))) << f;
        EXPECT_FALSE(scene->IsRenderModeValid()) << f;
        EXPECT_TRUE(scene->IsPicturePropsValid()) << f;
    }
    // 2, 3 and 10 change what a frame draws (the reference triad, the wireframe background, the
    // depth planes) and nothing else.
    for (int f : {2, 3, 4, 5, 10, 14, 25}) {
        scene->SetRenderModeValid(true);
        scene->SetPicturePropsValid(true);
        context.Set(EDsDocumentFlag(f), !context.Get(EDsDocumentFlag(f)));
        EXPECT_FALSE(scene->IsPicturePropsValid()) << f;
        EXPECT_TRUE(scene->IsRenderModeValid()) << f;
    }
    // Setting a flag to the value it has changes nothing.
    scene->SetRenderModeValid(true);
    context.Set(EDsDocumentFlag(0), true);
    EXPECT_TRUE(scene->IsRenderModeValid());
    // Stored-only flags mark nothing.
    scene->SetPicturePropsValid(true);
    context.Set(EDsDocumentFlag(6), true);
    EXPECT_TRUE(context.Get(EDsDocumentFlag(6)));
    EXPECT_TRUE(scene->IsRenderModeValid());
    EXPECT_TRUE(scene->IsPicturePropsValid());
    // Flag 4 also clears flag 15, whatever value it is given.
    context.Set(EDsDocumentFlag(15), true);
    context.Set(EDsDocumentFlag(4), context.Get(EDsDocumentFlag(4)));
    EXPECT_FALSE(context.Get(EDsDocumentFlag(15)));
    context.Set(EDsDocumentFlag(30), true);
    EXPECT_FALSE(context.Get(EDsDocumentFlag(30)));

    context.OnPicturePropsChanged();
    context.OnRenderModeChanged();
    EXPECT_FALSE(scene->IsPicturePropsValid());
    EXPECT_FALSE(scene->IsRenderModeValid());
}

TEST_F(DsGlContextTest, TheSuspensionCounterNeverGoesBelowZero)
{
    CDsGlContext context;
    CDsGlScene* scene = context.GetScene();
    context.PopDisplaySuspension();
    EXPECT_EQ(scene->GetDisplaySuspension(), 0);
    context.PushDisplaySuspension();
    context.PushDisplaySuspension();
    context.PopDisplaySuspension();
    EXPECT_TRUE(context.GetDisplaySuspensionMode());
    context.PopDisplaySuspension();
    EXPECT_FALSE(context.GetDisplaySuspensionMode());
    context.PushDisplaySuspension();
    context.PushDisplaySuspension();
    context.PushDisplaySuspension();
    EXPECT_EQ(context.ResetDisplaySuspension(), 3);
    EXPECT_EQ(scene->GetDisplaySuspension(), 0);
    EXPECT_EQ(context.ResetDisplaySuspension(), 0);
    EXPECT_EQ(scene->DecrementDisplaySuspension(), 0);

    scene->IncrementRefreshCounter();
    scene->IncrementRefreshCounter();
    EXPECT_EQ(context.GetRefreshCounter(), 2);
    context.ResetRefreshCounter();
    EXPECT_EQ(context.GetRefreshCounter(), 0);
}

TEST_F(DsGlContextTest, TheHistoryKeepsTheLastTwentyStatesAndGoesWithTheContext)
{
    MarkedState::sAlive = 0;
    {
        CDsGlContext context;
        // An empty history: no state either way.
        EXPECT_EQ(context.GetCurrentStat(), nullptr);
        EXPECT_FALSE(context.IsBackward());
        EXPECT_FALSE(context.IsForward());
        EXPECT_EQ(context.GetDsState(eDsStateBackward), nullptr);
        EXPECT_EQ(context.GetDsState(eDsStateForward), nullptr);
        EXPECT_FALSE(context.AddDsState(nullptr));

        for (int mark = 1; mark <= 25; ++mark) ASSERT_TRUE(context.AddDsState(new MarkedState(mark)));
        EXPECT_EQ(MarkedState::sAlive, 20);  // the five oldest were freed
        EXPECT_EQ(MarkOf(context.GetCurrentStat()), 25);
        EXPECT_FALSE(context.IsForward());
        for (int step = 1; step <= 19; ++step) EXPECT_EQ(MarkOf(context.GetDsState(eDsStateBackward)), 25 - step);
        EXPECT_FALSE(context.IsBackward());
        EXPECT_EQ(context.GetDsState(eDsStateBackward), nullptr);
        EXPECT_EQ(MarkOf(context.GetCurrentStat()), 6);
        for (int step = 1; step <= 19; ++step) EXPECT_EQ(MarkOf(context.GetDsState(eDsStateForward)), 6 + step);
        EXPECT_EQ(context.GetDsState(eDsStateForward), nullptr);
        EXPECT_EQ(MarkOf(context.GetCurrentStat()), 25);

        // The history is the scene's: the context's operations reach the one container.
        EXPECT_EQ(context.GetScene()->GetStateContainer()->GetCurrentStat(), context.GetCurrentStat());
        context.ClearDsStateStorage();
        EXPECT_EQ(MarkedState::sAlive, 0);
        EXPECT_EQ(context.GetCurrentStat(), nullptr);
        context.AddDsState(new MarkedState(1));
        context.AddDsState(new MarkedState(2));
        EXPECT_TRUE(context.IsBackward());
    }
    EXPECT_EQ(MarkedState::sAlive, 0);  // the states went with the context
}

TEST_F(DsGlContextTest, AContextFollowsThePreferencesForItsLifetime)
{
    CDsGlContext* gone = nullptr;
    {
        CDsGlContext context;
        gone = &context;
        EXPECT_TRUE(Listed(&context));
    }
    EXPECT_FALSE(Listed(gone));
}

TEST_F(DsGlContextTest, MeasuringRaisesTheExtremaModeOnlyWhileItMeasures)
{
    CDsGlContext context;
    CDsView3dCdc view;
    CDsViewExtremaControler controller(&view);
    context.ComputeViewExtrema(controller.GetExtView(), true);
    EXPECT_FALSE(StGetExtremaMode());
    StSetExtremaMode(true);
    context.ComputeViewExtrema(nullptr, true);  // nothing to measure into: the mode is left alone
    EXPECT_TRUE(StGetExtremaMode());
}

TEST_F(DsGlContextTest, RecordsOfViewsWithoutADeviceContextAreKeptAndFreedByTheirOwners)
{
    CDsGlContext context;
    view3d plain;
    CDsView3dCdc core;
    context.add_view(&plain);
    context.add_view(&core);
    EXPECT_EQ(context.view_count(), 2);
    ASSERT_NE(plain.get_rendering_context_data(), nullptr);
    const auto* record = static_cast<const gl_context_data*>(core.get_rendering_context_data());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->get_GLRC(), nullptr);  // nothing to make a context on
    context.add_view(&core);                  // already here: nothing
    EXPECT_EQ(core.get_rendering_context_data(), record);
    EXPECT_EQ(CDsGlContext::sCurrentView, nullptr);
    EXPECT_FALSE(context.MakeCurrent(&core));  // a record without a context is never made current

    // The context frees the plain view's record when it leaves; the core view keeps its own.
    context.remove_view(&plain);
    EXPECT_EQ(plain.get_rendering_context_data(), nullptr);
    EXPECT_EQ(plain.get_rendering_context(), nullptr);
    context.remove_view(&core);
    EXPECT_EQ(core.get_rendering_context_data(), record);
    EXPECT_EQ(context.view_count(), 0);
    context.remove_view(&core);  // not here: nothing

    // Moving to another context replaces the record.
    CDsGlContext other;
    context.add_view(&core);
    other.add_view(&core);
    EXPECT_EQ(core.GetGlContext(), &other);
    EXPECT_EQ(context.view_count(), 0);
    EXPECT_NE(core.get_rendering_context_data(), nullptr);
}
