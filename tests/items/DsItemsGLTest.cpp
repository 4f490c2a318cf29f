// Items drawn through OpenGL, read back as pixels: a group's pen over children that inherit it,
// the forced pen of entity groups, display lists, where a polyline lands and how a group's
// transformation moves it, picks of polyline segments, the pick aperture of a single-item test,
// pick levels offered to the pick manager, batched exclusive-or lines, and the background.
#include "DsItemBackground.h"
#include "DsItemPolyline3D.h"
#include "DsItemsEntity.h"
#include "DsItemsGroup.h"
#include "DsPickProccessor.h"
#include "ItemViewFixture.h"
#include "UiPickEvent.h"

#include "pick_event.h"
#include "pick_manager.h"

#include "rgb_color.h"
#include "view3d.h"

#include <GL/gl.h>

#include <limits>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

// A group that applies its transformation around its children, as figure and copy groups do.
class PlacedGroup : public CDsItemsGroup {
public:
    PlacedGroup() : CDsItemsGroup(nullptr, nullptr) {}
    using CDsItemsGroup::Add;
    void Refresh(view3d& view) override
    {
        PushMatrix();
        CDsItemsGroup::Refresh(view);
        PopMatrix();
    }
};

// An entity group whose children the test adds.
class TestEntityGroup : public CDsItemsEntity {
public:
    TestEntityGroup() : CDsItemsEntity(nullptr) {}
    using CDsItemsGroup::Add;
};

// A pick manager that counts what it was offered.
class CountingPickManager : public pick_manager {
public:
    CountingPickManager(const pick_event* event, int level) : pick_manager(pick_method_point, level, nullptr, event, nullptr)
    {
    }
    int save_current_if_ok() override
    {
        ++offers;
        levelsAtOffer = get_current_level();
        return pick_manager::save_current_if_ok();
    }
    int offers = 0;
    int levelsAtOffer = -1;
};

// A horizontal line from (x0, y) to (x1, y) in model units.
CDsItemPolyline3D* Line(float x0, float x1, float y)
{
    const SPAposition points[2] = {SPAposition(x0, y, 0), SPAposition(x1, y, 0)};
    return new CDsItemPolyline3D(2, points, false, nullptr);
}

CDsColorStorage Color(const Rgb& c)
{
    return CDsColorStorage(static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b));
}

class DsItemsGLTest : public vyrtest::ItemViewTest {};

}  // namespace

TEST_F(DsItemsGLTest, APolylineLandsWhereItsViewPutsItAndAGroupTransformationMovesIt)
{
    std::unique_ptr<CDsItemPolyline3D> line(Line(-10, 10, 0));
    line->SetColor(Color(kGreen), false);
    line->Refresh(*view_);
    const auto centre = LitRange(50, kGreen);
    EXPECT_NEAR(centre.first, 10, 1);
    EXPECT_NEAR(centre.second, 90, 1);

    vyrtest::Clear(kBlack);
    PlacedGroup group;
    group.Add(line.release());
    group.SetTransformation(translate_transf(SPAvector(0, 5, 0)));
    group.Refresh(*view_);
    EXPECT_EQ(LitRange(50, kGreen).first, -1);
    const auto moved = LitRange(70, kGreen);
    EXPECT_NEAR(moved.first, 10, 1);
    EXPECT_NEAR(moved.second, 90, 1);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);  // the bracket popped what it pushed

    // An identity transformation pushes nothing.
    group.SetTransformation(SPAtransf());
    EXPECT_FALSE(group.HasTransformation());
    vyrtest::Clear(kBlack);
    group.Refresh(*view_);
    EXPECT_NEAR(LitRange(50, kGreen).first, 10, 1);
}

TEST_F(DsItemsGLTest, ChildrenThatInheritTheirColourDrawInTheGroupsPen)
{
    TestEntityGroup group;
    group.SetColor(Color(kRed), false);
    auto* inheriting = Line(-10, 10, 0);
    auto* own = Line(-10, 10, -5);
    own->SetColor(Color(kBlue), false);
    group.Add(inheriting);
    group.Add(own);
    group.Refresh(*view_);
    EXPECT_NEAR(LitRange(50, kRed).first, 10, 1);
    EXPECT_NEAR(LitRange(30, kBlue).first, 10, 1);

    // Highlighted, the group forces its pen on every child and puts the flag back.
    const CDsColorStorage highlight =
        CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetHighlight)->GetColor();
    const Rgb expected{static_cast<int>(highlight.GetColorRef() & 0xFF),
                       static_cast<int>((highlight.GetColorRef() >> 8) & 0xFF),
                       static_cast<int>((highlight.GetColorRef() >> 16) & 0xFF)};
    ASSERT_FALSE(ColorNear(expected, kBlue, 40));
    group.SetVisibility(eVisibilityHighlight, true, false, nullptr);
    vyrtest::Clear(kBlack);
    CDsLineAttribStorage::StSetForceVisibilityMode(false);
    group.Refresh(*view_);
    EXPECT_FALSE(CDsLineAttribStorage::StGetForceVisibilityMode());
    EXPECT_NEAR(LitRange(30, expected).first, 10, 1);
    EXPECT_EQ(LitRange(30, kBlue).first, -1);

    // Erasing draws every child in the caller's pen; an outer forced pen stays raised.
    vyrtest::Clear(kBlack);
    glColor3f(0.0f, 1.0f, 0.0f);
    CDsLineAttribStorage::StSetForceVisibilityMode(true);
    group.erase(view_.get());
    EXPECT_TRUE(CDsLineAttribStorage::StGetForceVisibilityMode());
    EXPECT_NEAR(LitRange(30, kGreen).first, 10, 1);
    EXPECT_NEAR(LitRange(50, kGreen).first, 10, 1);

    // A hidden entity group draws nothing at all.
    CDsLineAttribStorage::StSetForceVisibilityMode(false);
    group.SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
    vyrtest::Clear(kBlack);
    group.Refresh(*view_);
    group.erase(view_.get());
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsItemsGLTest, ALeafsDisplayListReplaysItsDrawingUntilDeleted)
{
    std::unique_ptr<CDsItemPolyline3D> line(Line(-10, 10, 0));
    const GLuint other = glGenLists(1);
    glNewList(other, GL_COMPILE);
    glEndList();
    line->DeleteGlList();  // never built one: nothing deleted
    EXPECT_TRUE(glIsList(other));
    EXPECT_EQ(line->GetGlListName(), 0u);

    glColor3f(1.0f, 0.0f, 0.0f);
    ASSERT_TRUE(line->StartBuildGlList(true));
    line->DrawGl(*view_);
    line->EndBuildGlList();
    const GLuint name = line->GetGlListName();
    ASSERT_NE(name, 0u);
    EXPECT_TRUE(line->GetUseGlList());
    EXPECT_TRUE(glIsList(name));
    EXPECT_NEAR(LitRange(50, kRed).first, 10, 1);  // compiled and drawn at once

    vyrtest::Clear(kBlack);
    glCallList(name);
    EXPECT_NEAR(LitRange(50, kRed).second, 90, 1);
    line->StartBuildGlList(false);  // again: the same name
    line->EndBuildGlList();
    EXPECT_EQ(line->GetGlListName(), name);
    line->DeleteGlList();
    EXPECT_FALSE(glIsList(name));
    EXPECT_FALSE(line->GetUseGlList());
    glDeleteLists(other, 1);
}

TEST_F(DsItemsGLTest, APickNearASegmentReportsItsNumberAndTheParameterAlongIt)
{
    // Three points: a horizontal first segment and a slanted second one (pixels (50, 30) to
    // (90, 70) from the bottom, so (50, 70) to (90, 30) from the top, as pick events count).
    const SPAposition points[3] = {SPAposition(-10, -5, 0), SPAposition(0, -5, 0), SPAposition(10, 5, 0)};
    CDsItemPolyline3D line(3, points, false, nullptr);
    const int x = 60, y = 60;  // a quarter along the second segment
    view_->pick_mode(1, x, y, 5, 5);
    pick_event event(x, y, view_.get());
    int segment = 0;
    float parameter = -1.0f;
    EXPECT_NE(line.PickPoly(*view_, event, segment, parameter), 0);
    EXPECT_EQ(segment, 2);
    EXPECT_NEAR(parameter, 0.25f, 0.05f);

    // Near the middle of the second segment.
    view_->pick_mode(1, 70, 50, 5, 5);
    event.set_position(70, 50);
    EXPECT_NE(line.PickPoly(*view_, event, segment, parameter), 0);
    EXPECT_EQ(segment, 2);
    EXPECT_NEAR(parameter, 0.5f, 0.05f);

    // Near the middle of the first segment.
    view_->pick_mode(1, 30, 70, 5, 5);
    event.set_position(30, 70);
    EXPECT_NE(line.PickPoly(*view_, event, segment, parameter), 0);
    EXPECT_EQ(segment, 1);
    EXPECT_NEAR(parameter, 0.5f, 0.05f);

    // Beyond an end the parameter is clamped.
    const SPAposition shortLine[2] = {SPAposition(-10, -5, 0), SPAposition(0, -5, 0)};
    CDsItemPolyline3D two(2, shortLine, false, nullptr);
    view_->pick_mode(1, 9, 70, 5, 5);
    event.set_position(9, 70);
    EXPECT_NE(two.PickPoly(*view_, event, segment, parameter), 0);
    EXPECT_EQ(parameter, 0.0f);

    // Away from the line: nothing.
    view_->pick_mode(1, 30, 20, 5, 5);
    event.set_position(30, 20);
    EXPECT_EQ(line.PickPoly(*view_, event, segment, parameter), 0);
    view_->pick_mode(0, 0, 0, 0, 0);
}

TEST_F(DsItemsGLTest, ASingleItemTestUsesTheApertureAskedForAndPutsTheProcessOneBack)
{
    std::unique_ptr<CDsItemPolyline3D> line(Line(-10, 10, 0));  // row 49/50 from the top
    const CUiPickEvent event(50, 40, 0, view_.get(), nullptr);
    int w = 0, h = 0;
    get_pick_aperture(w, h);
    EXPECT_EQ(line->IsPicked(event, -1, -1), 0);  // 5 x 5 does not reach 10 pixels away
    EXPECT_EQ(line->IsPicked(event, 30, 30), 1);
    EXPECT_EQ(line->IsPicked(event, 30, -1), 1);  // the height takes the width
    int afterW = 0, afterH = 0;
    get_pick_aperture(afterW, afterH);
    EXPECT_EQ(afterW, w);
    EXPECT_EQ(afterH, h);
    EXPECT_EQ(view_->get_pick_mode(), 0);

    // A hidden line is still found unless it refuses picks when hidden.
    line->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
    EXPECT_EQ(line->IsPicked(event, 30, 30), 1);
    line->SetBaseFlag(eDsBaseItemNoPickWhenHidden, true);
    EXPECT_EQ(line->IsPicked(event, 30, 30), 0);
}

TEST_F(DsItemsGLTest, HitsAreOfferedToThePickManagerWithOneLevelThatIsTakenBackAgain)
{
    PlacedGroup group;
    auto* line = Line(-10, 10, 0);
    group.Add(line);
    group.Add(Line(-10, 10, -8));  // far from the pick
    view_->pick_mode(1, 50, 50, 5, 5);
    const pick_event event(50, 50, view_.get());

    CountingPickManager reporting(&event, 1);
    reporting.push_level(nullptr, nullptr);  // what an outer walk pushed
    EXPECT_TRUE(group.Pick(&reporting));
    EXPECT_EQ(reporting.offers, 2);  // the line itself, then the group for its child
    EXPECT_EQ(reporting.levelsAtOffer, 2);
    EXPECT_EQ(reporting.get_current_level(), 1);  // exactly what was pushed is popped
    EXPECT_EQ(context_.GetPickProccessor()->GetPickInfoStorage().GetPickedItem(), line);

    // With levels recorded, the line pushes its own level too and pops it again.
    context_.SetPickProccessorFlag(eDsPickStateRecordLevels, true);
    CountingPickManager recording(&event, 0);
    recording.push_level(nullptr, nullptr);
    EXPECT_TRUE(line->Pick(&recording));
    EXPECT_EQ(recording.levelsAtOffer, 2);
    EXPECT_EQ(recording.get_current_level(), 1);
    context_.SetPickProccessorFlag(eDsPickStateRecordLevels, false);
    view_->pick_mode(0, 0, 0, 0, 0);
}

TEST_F(DsItemsGLTest, BatchedExclusiveOrLinesAppearOnceAndTheBatchPutsTheStateBack)
{
    std::unique_ptr<CDsItemPolyline3D> line(Line(-10, 10, 0));
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glEnable(GL_COLOR_LOGIC_OP);
    glLogicOp(GL_XOR);
    glColor3f(0.0f, 1.0f, 0.0f);
    CDsItemPolyline3D::StBeginMultiPolyline(view_.get(), 0);
    line->DrawGl(*view_);
    CDsItemPolyline3D::StEndMultiPolyline();
    glDisable(GL_COLOR_LOGIC_OP);
    EXPECT_NEAR(LitRange(50, kGreen).first, 10, 1);  // drawn once: not cancelled
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_NORMALIZE));
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);

    // Inside a batch with a box target the polyline only grows the box.
    vyrtest::Clear(kBlack);
    CDsBox box;
    CDsItemPolyline3D::StSetComputeBoxData(&box, false, nullptr);
    CDsItemPolyline3D::StBeginMultiPolyline(view_.get(), 0);
    line->DrawGl(*view_);
    CDsItemPolyline3D::StEndMultiPolyline();
    CDsItemPolyline3D::StSetComputeBoxData(nullptr, false, nullptr);
    EXPECT_EQ(LitCount(), 0);
    ASSERT_FALSE(box.IsNotComputed());
    EXPECT_FLOAT_EQ(box.GetMin()[0], -10.0f);
    EXPECT_FLOAT_EQ(box.GetMax()[0], 10.0f);
}

TEST_F(DsItemsGLTest, TheBackgroundPaintsItsGradientAndLeavesTheStateAsItFoundIt)
{
    CDsItemBackground background(CDsBackground(Color(kBlue), Color(kGreen), true, false));
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    background.Refresh(*view_);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 0), kBlue, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 99), kGreen, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 0, 50), Rgb{0, 128, 128}, 12));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);

    // Inverted: the gradient colour at the bottom.
    background.SetBackground(CDsBackground(Color(kBlue), Color(kGreen), true, true));
    background.DrawGl(*view_);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 0), kGreen, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 99), kBlue, 8));

    // A wireframe view with document flag 3 paints one colour; a view that needs white, white.
    view_->SetRenderMode(eRenderWireframe);
    view_->SetDocumentFlag(static_cast<EDsDocumentFlag>(3), true);
    background.DrawGl(*view_);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 0), kBlue, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 99), kBlue, 8));
    CDsManager::GetInstance()->SetFlag(7, true);
    view_->SetFlag(static_cast<EDsViewFlag>(9), true);
    background.DrawGl(*view_);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 50), Rgb{255, 255, 255}, 4));
    view_->SetFlag(static_cast<EDsViewFlag>(9), false);
}

namespace {

// A modeler view that counts the polylines it is asked to draw (what printing sends).
class CountingView : public view3d {
public:
    int draw_polyline_3d(int n, const float* xyz, int closed) override
    {
        ++polylines;
        return view3d::draw_polyline_3d(n, xyz, closed);
    }
    using view3d::draw_polyline_3d;
    int polylines = 0;
};

}  // namespace

TEST_F(DsItemsGLTest, PrintingSkipsGroupsMarkedNotToPlotAndErasingPaintsTheBackground)
{
    PlacedGroup group;
    group.Add(Line(-10, 10, 0));
    group.Add(Line(-10, 10, 5));
    CountingView printer;
    group.Plot(printer);
    EXPECT_EQ(printer.polylines, 2);
    group.SetFlag(eDsItemFlagNoPlot);
    group.Plot(printer);
    EXPECT_EQ(printer.polylines, 2);
    glColor3f(1.0f, 1.0f, 1.0f);
    group.Refresh(*view_);  // still drawn on screen
    EXPECT_NEAR(LitRange(50, Rgb{255, 255, 255}).first, 10, 1);

    // Erasing draws the children over in the view's background colour.
    view_->set_background_rgb(rgb_color(1.0, 0.0, 0.0));
    group.SetWidth(3, false);
    group.Erase(*view_);
    EXPECT_NEAR(LitRange(50, kRed).first, 10, 1);
    EXPECT_NEAR(LitRange(70, kRed).second, 90, 1);
}

TEST_F(DsItemsGLTest, EmptyAndBrokenPolylinesDrawNothingAndLeaveNoError)
{
    CDsItemPolyline3D empty;
    empty.Refresh(*view_);
    empty.DrawOnTraverse(*view_, CDsGeometry::eDpLines, true);
    EXPECT_FALSE(empty.Pick(static_cast<view3d*>(nullptr)));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    float broken[6] = {nan, 0, 0, 10, 0, 0};
    CDsItemPolyline3D withNan(2, broken, false, nullptr);
    withNan.Refresh(*view_);
    view_->pick_mode(1, 50, 50, 5, 5);
    pick_event event(50, 50, view_.get());
    int segment = 0;
    float parameter = 0;
    withNan.PickPoly(*view_, event, segment, parameter);
    EXPECT_GE(parameter, 0.0f);
    EXPECT_LE(parameter, 1.0f);
    view_->pick_mode(0, 0, 0, 0, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
