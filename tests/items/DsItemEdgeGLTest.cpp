// The edge item drawn and picked in a view, read back as pixels and pick answers: its own colour
// and width in the body's pass, the forced pen, highlighted and on-top drawing with pen width 2,
// an edge shared by two faces drawn once per face in each face's colour and placement, the
// front-buffer order, ellipses, the plot road, picks at and away from the edge (through faces and
// under the body's placement) and the reference points it snaps to.
#include "DsDriverExtrema.h"
#include "DsHideLevel.h"
#include "DsItemEdge.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "DsTypeMask.h"
#include "EdgeTestDoubles.h"
#include "ItemViewFixture.h"
#include "UiPickEvent.h"

#include "EntityLists.h"
#include "GmTransformation.h"
#include "SpaBuilders.h"
#include "view3d.h"

#include <GL/gl.h>

#include <memory>

using vyrtest::BodyPtr;
using vyrtest::ColorNear;
using vyrtest::EntityPtr;
using vyrtest::Rgb;
using vyrtest::FakeBody;

namespace {

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255}, kGreen{0, 255, 0};

CDsColorStorage Color(const Rgb& c)
{
    return CDsColorStorage(static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b));
}

Rgb SpecialColor(EAttribSetIndex set)
{
    const uint32_t c = CDsLineAttribStorage::StGetSpecialAttributes(set)->GetColor().GetColorRef();
    return Rgb{static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF)};
}

class DsItemEdgeGLTest : public vyrtest::ItemViewTest {
protected:
    void TearDown() override
    {
        CDsRefPoint::sPickType = pickType_;
        CDsRefPoint::sLastPosition = lastPosition_;
        VYR_RESET_FOR_TESTS(CDsLineAttribStorage::ResetForTests);
        vyrtest::ItemViewTest::TearDown();
    }

    // A wire body's edge from (x0, y) to (x1, y) (model units; 4 pixels a unit, y = 0 at the
    // boundary of rows 49 and 50), its polyline sketched.
    CDsItemEdge* Line(float x0, float x1, float y)
    {
        lines_.push_back(vyrtest::StraightEdge(SPAposition(x0, y, 0), SPAposition(x1, y, 0)));
        EDGE* edge = static_cast<EDGE*>(lines_.back().get());
        vyrtest::Sketch(edge, meshes_);
        return body_.AddEdge(edge, &meshes_);
    }
    // How many rows of column `x` are near `color`.
    int RowsLit(int x, const Rgb& color) const
    {
        const auto rgb = Picture();
        int n = 0;
        for (int row = 0; row < kSize; ++row) {
            const unsigned char* p = &rgb[static_cast<size_t>((row * kSize + x) * 3)];
            n += ColorNear(Rgb{p[0], p[1], p[2]}, color, 40) ? 1 : 0;
        }
        return n;
    }

    vyrtest::StablePids pids_;
    CVyrMeshInterface meshes_;
    std::vector<EntityPtr> lines_;
    FakeBody body_;
    const int pickType_ = CDsRefPoint::sPickType;
    const CGmPosition lastPosition_ = CDsRefPoint::sLastPosition;
};

// A block of corners (-5, -5, -5) and (5, 5, 5) and its edge at y = -5, z = 5 (along x), seen
// from above at row 30; the edge's two faces.
struct BlockEdge {
    BlockEdge()
    {
        for (EDGE* e : vyrtest::Edges(block.get())) {
            const SPAposition a = e->start_pos(), b = e->end_pos();
            if (a.y() == -5 && b.y() == -5 && a.z() == 5 && b.z() == 5) edge = e;
        }
        if (edge) faces = vyrtest::Listed<FACE>(edge, get_faces);
    }
    BodyPtr block{make_block(-5, -5, -5, 5, 5, 5)};
    EDGE* edge = nullptr;
    std::vector<FACE*> faces;
};

}  // namespace

TEST_F(DsItemEdgeGLTest, TheBodysPassDrawsTheEdgeInItsColourAndWidth)
{
    CDsItemEdge* edge = Line(-10, 10, 0);
    edge->SetColor(Color(kRed), false);
    edge->SetWidth(3, false);
    edge->DrawInBody(*view_, 0);
    const auto lit = LitRange(50, kRed);
    EXPECT_NEAR(lit.first, 10, 1);
    EXPECT_NEAR(lit.second, 90, 1);
    EXPECT_EQ(RowsLit(50, kRed), 3);

    vyrtest::Clear(kBlack);
    edge->SetWidth(1, false);
    edge->DrawInBody(*view_, 0);
    EXPECT_EQ(RowsLit(50, kRed), 1);

    // Other passes, a hidden edge and an edge without its polyline draw nothing.
    vyrtest::Clear(kBlack);
    edge->DrawInBody(*view_, 1);
    CDsItemEdge* bare = body_.AddEdge(static_cast<EDGE*>(lines_.back().get()));
    bare->DrawInBody(*view_, 0);
    edge->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    edge->DrawInBody(*view_, 0);
    EXPECT_EQ(LitCount(), 0);
    edge->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true);

    // Under the forced pen the caller's colour stays.
    glColor3f(0, 0, 1);
    CDsLineAttribStorage::StSetForceVisibilityMode(true);
    edge->DrawInBody(*view_, 0);
    CDsLineAttribStorage::StSetForceVisibilityMode(false);
    EXPECT_NEAR(LitRange(50, kBlue).first, 10, 1);
    EXPECT_EQ(LitRange(50, kRed).first, -1);

    // A mixed view leaves out the shaded edges of a body with faces, not those of a wire body.
    vyrtest::Clear(kBlack);
    view_->view3d::SetRenderMode(eRenderMixed);
    ASSERT_EQ(edge->GetRenderMode(), eRenderShade);
    edge->DrawInBody(*view_, 0);
    EXPECT_NEAR(LitRange(50, kRed).first, 10, 1);
    vyrtest::Clear(kBlack);
    body_.SetFacesCount(1);
    edge->DrawInBody(*view_, 0);
    EXPECT_EQ(LitCount(), 0);
    edge->SetRenderMode(eRenderWireframe);
    edge->DrawInBody(*view_, 0);
    EXPECT_NEAR(LitRange(50, kRed).first, 10, 1);
}

TEST_F(DsItemEdgeGLTest, HighlightedAndOnTopEdgesDrawWithPenWidthTwo)
{
    CDsItemEdge* edge = Line(-10, 10, 0);
    edge->SetColor(Color(kRed), false);
    CDsLineAttribStorage::StSetHighlightPenWidthInShade(0);
    edge->DrawHighlighted(view_.get());
    edge->DrawOnTop(view_.get());
    edge->DrawToFrontBuffer(*view_);
    EXPECT_EQ(LitCount(), 0);  // neither highlighted, marked nor on top

    const Rgb highlight = SpecialColor(eAttribSetHighlight);
    edge->SetVisibility(eVisibilityHighlight, true, false, nullptr);
    edge->DrawHighlighted(view_.get());
    EXPECT_NEAR(LitRange(50, highlight).first, 10, 1);
    EXPECT_EQ(RowsLit(50, highlight), 2);
    EXPECT_EQ(CDsLineAttribStorage::StGetHighlightPenWidthInShade(), 0);  // put back
    CDsLineAttribStorage::StSetHighlightPenWidthInShade(5);
    vyrtest::Clear(kBlack);
    edge->DrawToFrontBuffer(*view_);
    EXPECT_EQ(RowsLit(50, highlight), 2);
    EXPECT_EQ(CDsLineAttribStorage::StGetHighlightPenWidthInShade(), 5);
    vyrtest::Clear(kBlack);
    edge->DrawInBody(*view_, 0);  // the body's pass also widens a highlighted edge
    EXPECT_EQ(RowsLit(50, highlight), 2);

    // On top: its own colour, pen width 2 only while highlighted.
    CDsItemEdge* onTop = Line(-10, 10, 5);
    onTop->SetColor(Color(kRed), false);
    onTop->SetOnTopFlag(true);
    vyrtest::Clear(kBlack);
    onTop->DrawOnTop(view_.get());
    EXPECT_NEAR(LitRange(70, kRed).first, 10, 1);
    EXPECT_EQ(RowsLit(50, kRed), 1);
    onTop->DrawHighlighted(view_.get());  // not highlighted: nothing over it
    EXPECT_EQ(RowsLit(50, highlight), 0);
    onTop->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    vyrtest::Clear(kBlack);
    onTop->DrawOnTop(view_.get());
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsItemEdgeGLTest, AnEdgeSharedByTwoFacesIsDrawnInEachFacesColourAndPlacement)
{
    BlockEdge block;
    ASSERT_NE(block.edge, nullptr);
    ASSERT_EQ(block.faces.size(), 2u);
    vyrtest::Sketch(block.edge, meshes_);
    CDsItemsGroup* first = body_.AddFace(block.faces[0], Color(kRed));
    CDsItemsGroup* second = body_.AddFace(block.faces[1], Color(kBlue));
    CDsItemEdge* edge = body_.AddEdge(block.edge, &meshes_);
    edge->SetColor(Color(kWhite), false);

    // Alone, the edge draws in its own colour at y = -5 (row 30).
    edge->DrawInBody(*view_, 0);
    EXPECT_NEAR(LitRange(30, kWhite).first, 30, 1);
    EXPECT_NEAR(LitRange(30, kWhite).second, 70, 1);

    // Through its faces: once per face, never in its own colour; the second face moved 10 up
    // takes its copy of the edge to y = 5 (row 70).
    edge->FindAdjacentFaceItems();
    second->SetTransformation(translate_transf(SPAvector(0, 10, 0)));
    vyrtest::Clear(kBlack);
    edge->DrawInBody(*view_, 0);
    EXPECT_NEAR(LitRange(30, kRed).first, 30, 1);
    EXPECT_NEAR(LitRange(70, kBlue).first, 30, 1);
    EXPECT_NEAR(LitRange(70, kBlue).second, 70, 1);
    EXPECT_EQ(LitRange(30, kWhite).first, -1);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);

    // A hidden face takes its copy away.
    first->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    vyrtest::Clear(kBlack);
    edge->DrawInBody(*view_, 0);
    EXPECT_EQ(LitRange(30, kRed).first, -1);
    EXPECT_NEAR(LitRange(70, kBlue).first, 30, 1);
    first->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true);

    // Highlighted faces draw the edge through themselves, in the highlight colour, width 2.
    const Rgb highlight = SpecialColor(eAttribSetHighlight);
    first->SetVisibility(eVisibilityHighlight, true, false, nullptr);
    vyrtest::Clear(kBlack);
    edge->DrawHighlighted(view_.get());
    EXPECT_EQ(RowsLit(50, highlight), 2);
    EXPECT_EQ(LitRange(70, kBlue).first, -1);
    EXPECT_EQ(LitRange(70, highlight).first, -1);
}

TEST_F(DsItemEdgeGLTest, TheFrontBufferPassDrawsAHighlightedFirstFaceLast)
{
    BlockEdge block;
    ASSERT_NE(block.edge, nullptr);
    vyrtest::Sketch(block.edge, meshes_);
    CDsItemsGroup* first = body_.AddFace(block.faces[0], Color(kRed));
    body_.AddFace(block.faces[1], Color(kBlue));
    CDsItemEdge* edge = body_.AddEdge(block.edge, &meshes_);
    edge->FindAdjacentFaceItems();

    view_->view3d::SetRenderMode(eRenderWireframe);
    edge->DrawToFrontBuffer(*view_);
    EXPECT_EQ(LitCount(), 0);  // only a highlighted edge

    edge->SetVisibility(eVisibilityHighlight, true, false, nullptr);
    edge->DrawToFrontBuffer(*view_);
    EXPECT_NEAR(LitRange(30, kBlue).first, 30, 1);  // the second face drawn after the first
    EXPECT_EQ(LitRange(30, kRed).first, -1);

    const Rgb highlight = SpecialColor(eAttribSetHighlight);
    first->SetVisibility(eVisibilityHighlight, true, false, nullptr);
    vyrtest::Clear(kBlack);
    edge->DrawToFrontBuffer(*view_);
    EXPECT_NEAR(LitRange(30, highlight).first, 30, 1);  // the highlighted first face on top
    EXPECT_EQ(RowsLit(50, highlight), 2);               // with pen width 2
    EXPECT_EQ(LitRange(30, kBlue).first, -1);

    // A shaded view leaves out the faces that are neither highlighted nor marked.
    first->SetVisibility(eVisibilityHighlight, false, false, nullptr);
    view_->view3d::SetRenderMode(eRenderShade);
    vyrtest::Clear(kBlack);
    edge->DrawToFrontBuffer(*view_);
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsItemEdgeGLTest, AnEllipticalEdgeDrawsItsCircleForTheView)
{
    lines_.push_back(vyrtest::CircleEdge(SPAposition(0, 0, 0), 8));
    EDGE* circle = static_cast<EDGE*>(lines_.back().get());
    vyrtest::Sketch(circle, meshes_);
    CDsItemEdge* edge = body_.AddEdge(circle, &meshes_);
    ASSERT_NE(edge->GetPolylineEntry()->GetEllipse(), nullptr);
    edge->SetColor(Color(kGreen), false);
    edge->DrawInBody(*view_, 0);
    const auto right = LitRange(50, kGreen);
    EXPECT_NEAR(right.first, 18, 2);   // x = -8
    EXPECT_NEAR(right.second, 82, 2);  // x = 8
    EXPECT_NEAR(LitRange(82, kGreen).first, 50, 10);  // y = 8, about the top
    EXPECT_TRUE(ColorNear(vyrtest::ReadPixel(GL_BACK, 50, 50), kBlack));  // the centre stays dark
}

TEST_F(DsItemEdgeGLTest, WhilePlottingTheEdgeGoesToTheViewNotToOpenGL)
{
    CDsItemEdge* edge = Line(-10, 6, 2);
    edge->SetColor(Color(kRed), false);
    CDsDriverExtrema driver(view_.get());
    CDsViewExtrema* measuring = driver.GetExtView();
    ASSERT_NE(measuring, nullptr);
    CDsView3dCdc::sPlotMode = ePlotModeColors;
    edge->DrawInBody(*measuring, 0);
    CDsView3dCdc::sPlotMode = ePlotModeNone;
    EXPECT_EQ(LitCount(), 0);
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    ASSERT_TRUE(driver.GetExtremaCoordinates(x0, x1, y0, y1));
    EXPECT_NEAR(x0, -40, 1);  // 4 pixels a unit from the target
    EXPECT_NEAR(x1, 24, 1);
    EXPECT_NEAR(y0, 8, 1);

    // Measuring an edge feeds its points the same way, for its own entity only when one is given.
    CDsDriverExtrema measured(view_.get());
    edge->DrawExtremes(*measured.GetExtView(), edge->GetEntity());
    ASSERT_TRUE(measured.GetExtremaCoordinates(x0, x1, y0, y1));
    EXPECT_NEAR(x1, 24, 1);
    EntityPtr other = vyrtest::StraightEdge(SPAposition(0, 0, 0), SPAposition(1, 0, 0));
    CDsDriverExtrema skipped(view_.get());
    edge->DrawExtremes(*skipped.GetExtView(), other.get());
    EXPECT_FALSE(skipped.GetExtremaCoordinates(x0, x1, y0, y1));
}

TEST_F(DsItemEdgeGLTest, PicksHitTheEdgeUnderTheCursorOnly)
{
    BlockEdge block;
    ASSERT_NE(block.edge, nullptr);
    vyrtest::Sketch(block.edge, meshes_);
    CDsItemEdge* edge = body_.AddEdge(block.edge, &meshes_);  // y = -5: 70 pixels from the top
    edge->SetGlContext(&context_);

    ENTITY_LIST faces;
    view_->pick_mode(1, 50, 70, 5, 5);
    EXPECT_EQ(edge->PickInView(view_.get(), &faces, nullptr), 1);
    EXPECT_EQ(faces.count(), 2);  // the EDGE's faces
    EXPECT_EQ(context_.GetPickProccessor()->GetPickInfoStorage().GetPickedItem(), edge);
    view_->pick_mode(1, 50, 60, 5, 5);
    faces.clear();
    EXPECT_EQ(edge->PickInView(view_.get(), &faces, nullptr), 0);
    EXPECT_EQ(faces.count(), 0);
    edge->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    view_->pick_mode(1, 50, 70, 5, 5);
    EXPECT_EQ(edge->PickInView(view_.get(), &faces, nullptr), 0);
    edge->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelShown), true);

    // Through its faces: one hit per face under the cursor, the faces' entities listed; a face
    // moved 10 up is hit there.
    CDsItemsGroup* first = body_.AddFace(block.faces[0], Color(kRed));
    CDsItemsGroup* second = body_.AddFace(block.faces[1], Color(kBlue));
    edge->FindAdjacentFaceItems();
    second->SetTransformation(translate_transf(SPAvector(0, 10, 0)));
    EXPECT_EQ(edge->PickInView(view_.get(), &faces, nullptr), 1);
    ASSERT_EQ(faces.count(), 1);
    EXPECT_EQ(faces[0], block.faces[0]);
    view_->pick_mode(1, 50, 30, 5, 5);
    EXPECT_EQ(edge->PickInView(view_.get(), nullptr, nullptr), 1);
    EXPECT_EQ(edge->PickInView(view_.get(), nullptr, first), 0);  // that face alone
    EXPECT_EQ(view_->get_model_transform_depth(), 0);
    second->ResetTransformation();
    view_->pick_mode(1, 50, 70, 5, 5);
    EXPECT_EQ(edge->PickInView(view_.get(), nullptr, nullptr), 2);
    view_->pick_mode(0, 0, 0, 0, 0);
}

TEST_F(DsItemEdgeGLTest, PicksUnderTheBodysPlacementAskTheCallerToClearIt)
{
    CDsItemEdge* edge = Line(-10, 10, 0);
    lines_.push_back(vyrtest::CircleEdge(SPAposition(0, 0, 0), 8));
    vyrtest::Sketch(static_cast<EDGE*>(lines_.back().get()), meshes_);
    CDsItemEdge* circle = body_.AddEdge(static_cast<EDGE*>(lines_.back().get()), &meshes_);

    // The body moved 5 up: the line is hit 20 pixels above the middle.
    CGmTransformation up(translate_transf(SPAvector(0, 5, 0)));
    CUiPickEvent event(50, 30, 0, view_.get(), nullptr);
    view_->pick_mode(1, 50, 30, 5, 5);
    int applied = 0;
    EXPECT_EQ(edge->PickWithTransform(event, &up, &applied), 1);
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(view_->get_model_transform_depth(), 1);
    // The next edge finds the placement in place and does not push it again: a circle missed
    // answers 2.
    EXPECT_EQ(circle->PickWithTransform(event, &up, &applied), 2);
    EXPECT_EQ(view_->get_model_transform_depth(), 1);
    view_->ClearModelTransform();
    applied = 0;
    EXPECT_EQ(edge->PickWithTransform(event, nullptr, &applied), 0);  // where it really is not
    EXPECT_EQ(applied, 0);
    edge->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    EXPECT_EQ(edge->PickWithTransform(event, &up, &applied), 0);
    EXPECT_EQ(applied, 0);
    view_->pick_mode(0, 0, 0, 0, 0);
}

TEST_F(DsItemEdgeGLTest, ReferencePointsSnapToTheEdgesStartEndMiddleAndCentre)
{
    CDsItemEdge* edge = Line(-10, 10, 0);  // from pixel (10, 50) to (90, 50), top-down
    CDsTypeMask ends;
    ends.SetType(eDsPickPtStart, -1);
    CDsTypeMask middle;
    middle.SetType(eDsPickPtMid, -1);

    CUiPickEvent atStart(10, 50, 0, view_.get(), nullptr);
    std::unique_ptr<CDsRefPoint> point(edge->PickEdgeRefPoint(atStart, 1, ends));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, eDsPickPtStart);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), -10, 1e-5);
    EXPECT_EQ(point->GetReferenceEntity(), edge->GetEntity());
    EXPECT_EQ(point->GetItemEdge(), edge);
    EXPECT_EQ(view_->get_pick_mode(), 0);  // the view left the pick mode it was put in

    CUiPickEvent atEnd(90, 50, 0, view_.get(), nullptr);
    point.reset(edge->PickEdgeRefPoint(atEnd, 1, ends));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, eDsPickPtEnd);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 10, 1e-5);

    // With the start as the only kind, the edge under the cursor snaps to its nearer end: the
    // start from a quarter of the way along, nothing off the edge.
    CUiPickEvent nearStart(40, 50, 0, view_.get(), nullptr);
    point.reset(edge->PickEdgeRefPoint(nearStart, 1, ends));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, eDsPickPtStart);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), -10, 1e-5);
    CUiPickEvent offEdge(40, 80, 0, view_.get(), nullptr);
    EXPECT_EQ(edge->PickEdgeRefPoint(offEdge, 1, ends), nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, -1);
    CUiPickEvent atMiddle(50, 50, 0, view_.get(), nullptr);
    point.reset(edge->PickEdgeRefPoint(atMiddle, 1, middle));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, eDsPickPtMid);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 0, 1e-5);

    // The body's placement moves the points; a hidden edge snaps to nothing.
    body_.SetTransformation(translate_transf(SPAvector(0, 5, 0)));
    EXPECT_EQ(edge->PickEdgeRefPoint(atStart, 1, ends), nullptr);
    CUiPickEvent movedStart(10, 30, 0, view_.get(), nullptr);
    point.reset(edge->PickEdgeRefPoint(movedStart, 1, ends));
    ASSERT_NE(point, nullptr);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.y(), 5, 1e-5);
    edge->GetAttributes()->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true);
    EXPECT_EQ(edge->PickEdgeRefPoint(movedStart, 1, ends), nullptr);
    body_.ResetTransformation();

    // A circle's centre.
    lines_.push_back(vyrtest::CircleEdge(SPAposition(2, 0, 0), 8));
    vyrtest::Sketch(static_cast<EDGE*>(lines_.back().get()), meshes_);
    CDsItemEdge* circle = body_.AddEdge(static_cast<EDGE*>(lines_.back().get()), &meshes_);
    CDsTypeMask centres;
    centres.SetType(eDsPickPtCenter, -1);
    CUiPickEvent atCentre(58, 50, 0, view_.get(), nullptr);
    point.reset(circle->PickEdgeRefPoint(atCentre, 2, centres));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(CDsRefPoint::sPickType, eDsPickPtCenter);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 2, 1e-5);
    EXPECT_EQ(edge->PickEdgeRefPoint(atCentre, 2, centres), nullptr);  // a line has no centre
}
