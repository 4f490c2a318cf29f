// The hidden-line view: its drawing passes and their second set, highlight, background rectangle,
// segment picks with the pick manager's levels, the rejection of a view off the aperture, and the
// scene's filing of a view with the visibility of its entity.
#include "DsColorStorage.h"
#include "DsEllipseStorage.h"
#include "DsFigureGenerator.h"
#include "DsGlScene.h"
#include "DsItemPolyline3D.h"
#include "DsItemsHlView.h"
#include "DsPolyline.h"
#include "DsRefPoint.h"
#include "DsTypeMask.h"
#include "ItemViewFixture.h"
#include "UiPickEvent.h"
#include "VyrAttManager.h"
#include "pick_event.h"
#include "pick_manager.h"

#include "EntityDeleter.h"
#include "SpaEntity.h"
#include "SpaTopology.h"
#include "SpaBuilders.h"

#include <memory>

namespace {

using vyrtest::Rgb;

// A segment that counts how often the view asks it to draw or pick.
class CountedSegment : public CDsItemHlSegmentPolyline3D {
public:
    CountedSegment(const CDsPolyline& line, int* visits) : CDsItemHlSegmentPolyline3D(nullptr, &line), m_visits(visits) {}
    void Refresh(view3d& view) override
    {
        ++*m_visits;
        CDsItemHlSegmentPolyline3D::Refresh(view);
    }
    bool Pick(pick_manager* manager) override
    {
        ++*m_visits;
        return CDsItemHlSegmentPolyline3D::Pick(manager);
    }
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const CDsTypeMask& types) override
    {
        ++*m_visits;
        return CDsItemHlSegmentPolyline3D::PickRefPoint(event, types);
    }

private:
    int* m_visits;
};

// A horizontal line at model height y from x0 to x1.
CDsPolyline Line(double y, double x0 = -8, double x1 = 8)
{
    return CDsPolyline({SPAposition(x0, y, 0), SPAposition(x1, y, 0)});
}

class DsItemsHlViewGLTest : public vyrtest::ItemViewTest {
protected:
    void TearDown() override
    {
        view_->pick_mode(0, 0, 0, 0, 0);
        glDisable(GL_BLEND);
        ItemViewTest::TearDown();
    }
    // A view of `entity` with a dim red line at y = -5 in set 0 and a dim green line at y = 5 in
    // set 1, made by the figure generator.
    std::unique_ptr<CDsItemsHlView> MakeView(bool showSecondSet, ENTITY* entity = nullptr)
    {
        CDsFigureGenerator generator(nullptr);
        generator.StartHlView(entity, showSecondSet);
        CDsPolyline first = Line(-5), second = Line(5);
        generator.SetPenColor(CDsColorStorage(64, 0, 0));
        generator.AddHlSegment(nullptr, &first, eDsHlSegmentFirst);
        generator.SetPenColor(CDsColorStorage(0, 64, 0));
        generator.AddHlSegment(nullptr, &second, eDsHlSegmentSecond);
        CDsItemsGroup* root = generator.DisplayListGroup(nullptr);
        EXPECT_EQ(root->GetItemType(), eDsItemsHlView);
        return std::unique_ptr<CDsItemsHlView>(static_cast<CDsItemsHlView*>(root));
    }
    // The colour at pixel (50, y) from the bottom.
    Rgb At(int y) const
    {
        const auto rgb = Picture();
        const unsigned char* p = &rgb[static_cast<size_t>((y * kSize + 50) * 3)];
        return Rgb{p[0], p[1], p[2]};
    }
    // The brightest green (or red) on the rows about y (lines may fall on either row).
    int Channel(int y, int channel) const
    {
        const auto rgb = Picture();
        int best = 0;
        for (int row = y - 1; row <= y + 1; ++row)
            best = std::max<int>(best, rgb[static_cast<size_t>((row * kSize + 50) * 3 + channel)]);
        return best;
    }
    // Adds to every pixel what is drawn on it.
    static void Additive()
    {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    }
};

}  // namespace

TEST_F(DsItemsHlViewGLTest, PassesDrawTheSecondSetInEveryPassAndTheFirstOnce)
{
    // Set 0 lies on row 30, set 1 on row 70.
    auto shown = MakeView(true);
    Additive();
    shown->DrawPass(*view_, 0);
    shown->DrawPass(*view_, 1);
    EXPECT_NEAR(Channel(70, 1), 128, 12);  // set 1 twice
    EXPECT_NEAR(Channel(30, 0), 64, 12);   // set 0 once
    EXPECT_EQ(Channel(30, 1), 0);

    // During a fast refresh the second set is left out.
    Clear(Rgb{0, 0, 0});
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    shown->DrawPass(*view_, 0);
    shown->DrawPass(*view_, 1);
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    EXPECT_EQ(Channel(70, 1), 0);
    EXPECT_NEAR(Channel(30, 0), 64, 12);

    // Without the show flag set 1 is never drawn nor highlighted, set 0 is.
    Clear(Rgb{0, 0, 0});
    auto plain = MakeView(false);
    plain->DrawPass(*view_, 0);
    plain->DrawPass(*view_, 1);
    EXPECT_EQ(Channel(70, 1), 0);
    EXPECT_NEAR(Channel(30, 0), 64, 12);
    Clear(Rgb{0, 0, 0});
    plain->SetSegmentsVisibility(eVisibilityHighlight, true, false);
    plain->DrawToFrontBuffer(*view_);
    EXPECT_EQ(Channel(70, 1), 0);
    EXPECT_GT(Channel(30, 0) + Channel(30, 1) + Channel(30, 2), 60);
    glDisable(GL_BLEND);
}

TEST_F(DsItemsHlViewGLTest, SegmentsVisibilityReachesEverySegmentOfBothSets)
{
    auto view = MakeView(false);
    view->SetSegmentsVisibility(eVisibilityHighlight, true, false);
    EXPECT_TRUE(view->GetHighlightState());
    for (int set = 0; set < 2; ++set) {
        auto* group = static_cast<CDsItemsGroup*>(view->Get(set));
        ASSERT_EQ(group->Count(), 1);
        EXPECT_TRUE(group->Get(0)->GetHighlightState());
    }
    view->SetSegmentsVisibility(eVisibilityHighlight, false, false);
    EXPECT_FALSE(static_cast<CDsItemsGroup*>(view->Get(1))->Get(0)->GetHighlightState());
}

TEST_F(DsItemsHlViewGLTest, TheBackgroundIsBuiltOnceAndAgainAfterATransform)
{
    auto view = MakeView(true);
    const CDsColorStorage grey(120, 120, 120);
    view->SetBackground(true, &grey, 0.05f, 1.0f);
    view->DrawBackground(*view_);
    view->DrawBackground(*view_);
    EXPECT_EQ(view->GetBackgroundBuildCount(), 1);
    // The rectangle covers the box (x -8..8, y -5..5) widened by 0.5: the centre is filled, the
    // window's left edge is not.
    EXPECT_GT(At(50).r + At(50).g + At(50).b, 60);
    const auto rgb = Picture();
    EXPECT_EQ(rgb[(50 * kSize + 2) * 3] + rgb[(50 * kSize + 2) * 3 + 1], 0);

    // Moved 10 units up: the box follows and the rectangle is built once more.
    view->Transform(translate_transf(SPAvector(0, 10, 0)));
    Clear(Rgb{0, 0, 0});
    view->DrawBackground(*view_);
    view->DrawBackground(*view_);
    EXPECT_EQ(view->GetBackgroundBuildCount(), 2);
    EXPECT_NEAR(view->GetContentBox().GetMin()[1], 5.0f, 1e-4f);
    EXPECT_EQ(At(30).r + At(30).g + At(30).b, 0);  // y = -5: nothing any more
    EXPECT_GT(At(90).r + At(90).g + At(90).b, 60);  // y = 10: the rectangle

    // Switched off: nothing is drawn.
    view->SetBackground(false, nullptr, 0.0f, 1.0f);
    Clear(Rgb{0, 0, 0});
    view->DrawBackground(*view_);
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsItemsHlViewGLTest, SegmentPicksFindBothSetsAndLeaveTheLevelsAsTheyWere)
{
    auto view = MakeView(false);
    view->ComputeBounds2D(view_.get());
    // The set-1 line (y = 5) is on window row 29 from the top; it is picked although not shown.
    view_->pick_mode(1, 50, 29, 5, 5);
    const pick_event event(50, 29, view_.get());
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    manager.push_level(nullptr, nullptr);
    const int depth = manager.get_current_level();
    EXPECT_TRUE(view->PickSegments(&manager));
    EXPECT_EQ(manager.get_current_level(), depth);
    EXPECT_GE(manager.get_record_count(), 1);

    // Between the lines nothing is hit.
    view_->pick_mode(1, 50, 49, 5, 5);
    const pick_event between(50, 49, view_.get());
    pick_manager missing(pick_method_point, 0, nullptr, &between, nullptr);
    EXPECT_FALSE(view->PickSegments(&missing));
    EXPECT_EQ(missing.get_current_level(), 0);

    // A hidden view picks nothing; a null manager neither.
    EXPECT_FALSE(view->PickSegments(nullptr));
}

TEST_F(DsItemsHlViewGLTest, AViewOffTheApertureIsRejectedWithoutVisitingASegment)
{
    auto view = MakeView(true);
    int visits = 0;
    CDsPolyline line = Line(-5);
    auto* group = static_cast<CDsItemsGroup*>(view->Get(0));
    // First in its set: the first segment that answers a reference point ends the set's search.
    group->GetDsItems().insert(group->GetDsItems().begin(), new CountedSegment(line, &visits));
    view->UpdateBox();
    view->ComputeBounds2D(view_.get());

    // The aperture at the window's top-left corner misses the box (rows 29..71, columns 18..82).
    view_->pick_mode(1, 3, 3, 5, 5);
    CUiPickEvent event(3, 3, 0, view_.get(), nullptr);
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    EXPECT_FALSE(view->IsPickAvailable(view_.get(), true, false));
    EXPECT_TRUE(view->IsPickAvailable(view_.get(), true, true));
    CDsTypeMask types;
    types.SetAll();
    EXPECT_EQ(view->PickRefPoint(event, types), nullptr);
    EXPECT_FALSE(view->PickSegments(&manager));
    EXPECT_EQ(visits, 0);

    // Over the box the segment is asked.
    view_->pick_mode(1, 50, 70, 5, 5);
    CUiPickEvent inside(50, 70, 0, view_.get(), nullptr);
    EXPECT_TRUE(view->IsPickAvailable(view_.get(), true, false));
    const std::unique_ptr<CDsRefPoint> middle(view->PickRefPoint(inside, types));
    EXPECT_GT(visits, 0);
    // Its middle lies under the cursor.
    ASSERT_NE(middle, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, eDsPickPtMid);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 0.0, 1e-4);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), -5.0, 1e-4);

    // A view moved off the viewport draws no pass.
    view_->pick_mode(0, 0, 0, 0, 0);
    visits = 0;
    view->Transform(translate_transf(SPAvector(100, 0, 0)));
    view->ComputeBounds2D(view_.get());
    view->DrawPass(*view_, 1);
    EXPECT_EQ(visits, 0);
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsItemsHlViewGLTest, ViewsWithoutSegmentsAreNeutral)
{
    CDsItemsHlView empty(nullptr, true);
    const CDsColorStorage grey(120, 120, 120);
    empty.SetBackground(true, &grey, 0.05f, 1.0f);
    empty.DrawBackground(*view_);
    empty.DrawPass(*view_, 0);
    empty.DrawPass(*view_, 1);
    EXPECT_EQ(empty.GetBackgroundBuildCount(), 0);
    EXPECT_EQ(LitCount(), 0);
    CGmPosition low(1, 2, 3), high(4, 5, 6);
    EXPECT_FALSE(empty.GetBox(low, high, false));
    EXPECT_EQ(low.x(), 1.0);
    EXPECT_FALSE(empty.IsInView(view_.get(), false));
    EXPECT_FALSE(empty.IsInView(nullptr, false));
    CDsBox box;
    empty.ExpandBox(box, nullptr);
    EXPECT_TRUE(box.IsNotComputed());
}

TEST_F(DsItemsHlViewGLTest, GetBoxGivesTheFirstSetInItsOwnOrTheViewsCoordinates)
{
    auto view = MakeView(true);
    view->SetTransformation(translate_transf(SPAvector(0, 0, 4)));
    CGmPosition low, high;
    ASSERT_TRUE(view->GetBox(low, high, true));
    EXPECT_NEAR(low.x(), -8, 1e-5);
    EXPECT_NEAR(high.y(), -5, 1e-5);  // set 0 only
    ASSERT_TRUE(view->GetBox(low, high, false));
    EXPECT_NEAR(low.z(), -4, 1e-5);
    // The content box lies under the transformation.
    EXPECT_NEAR(view->GetContentBox().GetMin()[2], 4.0f, 1e-5f);
    EXPECT_NEAR(view->GetContentBox().GetMax()[1], 5.0f, 1e-5f);
}

TEST_F(DsItemsHlViewGLTest, TheHiddenLineRendererDrawsTheScenesViews)
{
    CDsGlScene* scene = context_.GetScene();
    ASSERT_NE(scene, nullptr);
    // The view's entity has a visibility of its own: the scene gives it to every segment.
    vyrtest::EntityPtr body(make_block(0, 0, 0, 1, 1, 1));
    ENTITY* entity = body.get();
    CVyrAttManager::GetVyrAttManager()->SetVisibility(entity, eVisibilityHighlight);
    CDsItemsHlView* view = MakeView(true, entity).release();
    scene->AddItemsGroup(view);
    CVyrAttManager::GetVyrAttManager()->ClearVisibility(entity);
    EXPECT_EQ(scene->GetRootGroup(CDsGlScene::eRootHlViews)->Count(), 1);
    EXPECT_FALSE(view->GetContentBox().IsNotComputed());
    EXPECT_TRUE(static_cast<CDsItemsGroup*>(view->Get(1))->Get(0)->GetHighlightState());
    view->SetSegmentsVisibility(eVisibilityHighlight, false, false);

    view_->SetRenderMode(eRenderHiddenLines);
    const int viewport[4] = {0, kSize, kSize, 0};
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const std::vector<CVyrObjectPath> everything;
    scene->Render(eRenderHiddenLines, &everything, true, viewport, view_.get());
    EXPECT_GT(Channel(70, 1), 40);
    EXPECT_GT(Channel(30, 0), 40);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    scene->RemoveItemsGroup(view);
    delete view;
}

TEST_F(DsItemsHlViewGLTest, TheNearestPointSkipsTheSetsNoFrameDraws)
{
    // Whether the nearest point answers at window row `row` from the top, on the line there.
    const auto answers = [&](CDsItemsHlView& view, int row) {
        view.ComputeBounds2D(view_.get());
        view_->pick_mode(1, 50, row, 5, 5);
        CUiPickEvent event(50, row, 0, view_.get(), nullptr);
        const std::unique_ptr<CDsRefPoint> point(view.PickClosePoint(event));
        view_->pick_mode(0, 0, 0, 0, 0);
        return point != nullptr;
    };
    constexpr int kFirstRow = 70, kSecondRow = 29;
    auto view = MakeView(true);
    EXPECT_TRUE(answers(*view, kFirstRow));
    EXPECT_TRUE(answers(*view, kSecondRow));
    // A set hidden on its own item, and shown again.
    for (int set = 0; set < 2; ++set) {
        const int row = set == 0 ? kFirstRow : kSecondRow;
        view->Get(set)->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
        EXPECT_FALSE(answers(*view, row)) << "set " << set;
        EXPECT_TRUE(answers(*view, set == 0 ? kSecondRow : kFirstRow)) << "set " << set;
        view->Get(set)->SetAttribute(CDsHideLevel(eDsHideLevelShown), true, false);
        EXPECT_TRUE(answers(*view, row)) << "set " << set;
    }
    // The second set while the view refreshes fast, and in a view made without the show flag.
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    EXPECT_FALSE(answers(*view, kSecondRow));
    EXPECT_TRUE(answers(*view, kFirstRow));
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    auto plain = MakeView(false);
    EXPECT_FALSE(answers(*plain, kSecondRow));
    EXPECT_TRUE(answers(*plain, kFirstRow));
}
