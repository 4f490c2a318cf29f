// Figure groups drawn straight onto a view and read back as pixels: the pen's colour, exclusive-or
// drawing that a second pass (or the group's end) takes off again, erasing in the background
// colour, view dependency and the highlight-only flag, the clipping planes widened to a figure
// beyond the far plane, picks with their filters, and reference points at the polyline's ends.
#include "DsFigureGenerator.h"
#include "DsGlScene.h"
#include "DsItemPolyline3D.h"
#include "DsItemsFigure.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "EntityDeleter.h"
#include "ItemViewFixture.h"
#include "UiPickEvent.h"

#include "DsHideLevel.h"
#include "SpaBuilders.h"
#include "rgb_color.h"

#include <GL/gl.h>

#include <memory>

using vyrtest::Clear;
using vyrtest::ColorNear;
using vyrtest::EntityPtr;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

CDsColorStorage Color(const Rgb& c)
{
    return CDsColorStorage(static_cast<uint8_t>(c.r), static_cast<uint8_t>(c.g), static_cast<uint8_t>(c.b));
}

// The figure of one line from (-10, y, z) to (10, y, z), in `color` unless the pen inherits.
std::unique_ptr<CDsItemsFigure> LineFigure(double y, double z, const Rgb* color)
{
    CDsFigureGenerator generator(nullptr);
    if (color) generator.SetPenColor(Color(*color));
    generator.MoveTo(CGmPosition(-10, y, z));
    generator.DrawTo(CGmPosition(10, y, z));
    return std::unique_ptr<CDsItemsFigure>(generator.DisplayList(nullptr));
}

// A plain group that the test fills.
class PlainGroup : public CDsItemsGroup {
public:
    PlainGroup() : CDsItemsGroup(nullptr, nullptr) {}
    using CDsItemsGroup::Add;
};

// Puts the figure groups' pick switches and the reference-point outcome back.
struct FigureStaticsGuard {
    TDsDlFigProc proc = CDsItemsFigure::StGetDlFigProc();
    bool ignoreBlank = CDsItemsFigure::StGetIgnoreBlankMode();
    CGmPosition lastPosition = CDsRefPoint::sLastPosition;
    int pickType = CDsRefPoint::sPickType;
    ~FigureStaticsGuard()
    {
        CDsItemsFigure::StSetDlFigProc(proc);
        CDsItemsFigure::StSetIgnoreBlankMode(ignoreBlank);
        CDsRefPoint::sLastPosition = lastPosition;
        CDsRefPoint::sPickType = pickType;
    }
};

int RefuseAll(const CDsItemsFigure*)
{
    return 0;
}

class DsItemsFigureGLTest : public vyrtest::ItemViewTest {
protected:
    // The pixel under the line's middle in `buffer`.
    Rgb Middle(GLenum buffer) const { return ReadPixel(buffer, 50, 49); }
    // Whether the line lights its row in the back buffer.
    bool LineLit(const Rgb& color) const { return LitRange(50, color).first >= 0; }

    FigureStaticsGuard figureStatics_;
};

}  // namespace

TEST_F(DsItemsFigureGLTest, ChildrenDrawInThePensColourOrInheritTheGroups)
{
    auto figure = LineFigure(0, 0, &kRed);
    EXPECT_FALSE(figure->IsDrawn());
    figure->Refresh(*view_);
    const auto lit = LitRange(50, kRed);
    EXPECT_NEAR(lit.first, 10, 1);
    EXPECT_NEAR(lit.second, 90, 1);
    EXPECT_TRUE(figure->IsDrawn());
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));  // as the caller had it

    // A line drawn with the inheriting pen takes the colour given to its figure group.
    Clear(kBlack);
    auto plain = LineFigure(0, 0, nullptr);
    plain->SetColor(Color(kGreen), false);
    plain->Refresh(*view_);
    EXPECT_TRUE(LineLit(kGreen));
    EXPECT_FALSE(LineLit(kRed));
}

TEST_F(DsItemsFigureGLTest, ExclusiveOrDrawingTwiceErasesInEitherBuffer)
{
    // The exclusive-or partner of the pen is the view's background, black as the buffers are.
    view_->set_background_rgb(rgb_color(0.0, 0.0, 0.0));
    auto figure = LineFigure(0, 0, &kRed);
    figure->SetDrawMode(eDsDrawModeXor);

    // Back buffer: drawn, then the erase pass takes it away again.
    figure->Refresh(*view_);
    EXPECT_TRUE(ColorNear(Middle(GL_BACK), kRed, 40));
    EXPECT_TRUE(figure->IsDrawn());
    figure->Erase(*view_);
    EXPECT_TRUE(ColorNear(Middle(GL_BACK), kBlack, 40));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_LOGIC_OP));

    // Front buffer: every pass flips the drawn state.
    figure->InValidateDraw();
    glDrawBuffer(GL_FRONT);
    Clear(kBlack);
    figure->Refresh(*view_);
    EXPECT_TRUE(figure->IsDrawn());
    EXPECT_TRUE(ColorNear(Middle(GL_FRONT), kRed, 40));
    figure->Refresh(*view_);
    EXPECT_FALSE(figure->IsDrawn());
    EXPECT_TRUE(ColorNear(Middle(GL_FRONT), kBlack, 40));
    // Not drawn: erasing does nothing (a pass would put it back).
    figure->Erase(*view_);
    EXPECT_TRUE(ColorNear(Middle(GL_FRONT), kBlack, 40));
    figure->Refresh(*view_);
    figure->Erase(*view_);
    EXPECT_FALSE(figure->IsDrawn());
    EXPECT_TRUE(ColorNear(Middle(GL_FRONT), kBlack, 40));

    // A figure that goes while drawn on the screen takes itself off it.
    figure->Refresh(*view_);
    glDrawBuffer(GL_BACK);
    EXPECT_TRUE(ColorNear(Middle(GL_FRONT), kRed, 40));
    figure.reset();
    EXPECT_TRUE(ColorNear(Middle(GL_FRONT), kBlack, 40));
    GLint buffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &buffer);
    EXPECT_TRUE(buffer == GL_BACK || buffer == GL_BACK_LEFT);
}

TEST_F(DsItemsFigureGLTest, ErasingAPlainFigurePaintsTheBackground)
{
    view_->set_background_rgb(rgb_color(0.0, 0.0, 1.0));
    auto figure = LineFigure(0, 0, &kRed);
    figure->Refresh(*view_);
    EXPECT_TRUE(ColorNear(Middle(GL_BACK), kRed, 40));
    figure->Erase(*view_);
    EXPECT_TRUE(ColorNear(Middle(GL_BACK), kBlue, 40));
    EXPECT_FALSE(figure->IsDrawn());
}

TEST_F(DsItemsFigureGLTest, ABoundFigureDrawsOnlyInItsViewAndHighlightOnlyFiguresOnlyWhenHighlighted)
{
    CDsView3dCdc other;
    CDsView3dCdc::sCurrentView = view_.get();  // a new view makes itself the current one
    auto figure = LineFigure(0, 0, &kRed);
    figure->SetViewDependency(true, &other);
    EXPECT_EQ(figure->GetViewDependency(), &other);
    EXPECT_FALSE(figure->IsVisible(*view_));
    figure->Refresh(*view_);
    EXPECT_FALSE(LineLit(kRed));
    EXPECT_FALSE(figure->IsDrawn());
    // Bound to the current view, it draws there.
    figure->SetViewDependency(true, nullptr);
    EXPECT_EQ(figure->GetViewDependency(), view_.get());
    figure->Refresh(*view_);
    EXPECT_TRUE(LineLit(kRed));
    figure->SetViewDependency(false, &other);
    EXPECT_EQ(figure->GetViewDependency(), nullptr);

    Clear(kBlack);
    figure->SetFlag(eDsItemFlagOnlyHighlighted);
    figure->Refresh(*view_);
    EXPECT_EQ(LitCount(), 0);
    figure->SetVisibility(eVisibilityHighlight, true, false, nullptr);
    figure->Refresh(*view_);
    EXPECT_GT(LitCount(), 50);
}

TEST_F(DsItemsFigureGLTest, AFigureBeyondTheFarPlaneIsDrawnWholeUnlessTheSceneHoldsFixedPlanes)
{
    // The view sees from z = 49 down to z = -50; the lines lie at z = -80.
    PlainGroup group;
    const SPAposition ends[2] = {SPAposition(-10, 0, -80), SPAposition(10, 0, -80)};
    auto* line = new CDsItemPolyline3D(2, ends, false, nullptr);
    line->SetColor(Color(kRed), false);
    group.Add(line);
    group.Refresh(*view_);
    EXPECT_FALSE(LineLit(kRed));

    // Planes held at the fixed box: nothing to widen, the figure stays clipped.
    context_.GetScene()->SetDisplayModeFlag(10, true);
    auto figure = LineFigure(0, -80, &kRed);
    figure->Refresh(*view_);
    EXPECT_FALSE(LineLit(kRed));

    context_.GetScene()->SetDisplayModeFlag(10, false);
    figure->Refresh(*view_);
    const auto lit = LitRange(50, kRed);
    EXPECT_NEAR(lit.first, 10, 1);
    EXPECT_NEAR(lit.second, 90, 1);
}

TEST_F(DsItemsFigureGLTest, PicksHonourTheNotPickableFlagTheBlankSwitchAndTheHostFilter)
{
    auto figure = LineFigure(0, 0, &kRed);
    const CUiPickEvent onLine(50, 50, 0, view_.get(), nullptr), offLine(50, 10, 0, view_.get(), nullptr);
    EXPECT_EQ(figure->IsPicked(onLine, -1, -1), 1);
    EXPECT_EQ(figure->IsPicked(offLine, -1, -1), 0);

    figure->SetFlag(eDsItemFlagNotPickable);
    EXPECT_EQ(figure->IsPicked(onLine, -1, -1), 0);
    figure->ResetFlag(eDsItemFlagNotPickable);

    figure->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
    ASSERT_TRUE(figure->IsHidden());
    EXPECT_EQ(figure->IsPicked(onLine, -1, -1), 0);
    CDsItemsFigure::StSetIgnoreBlankMode(false);
    EXPECT_EQ(figure->IsPicked(onLine, -1, -1), 1);
    CDsItemsFigure::StSetIgnoreBlankMode(true);
    figure->SetAttribute(CDsHideLevel(eDsHideLevelShown), true, false);

    CDsItemsFigure::StSetDlFigProc(&RefuseAll);
    EXPECT_EQ(figure->TestFigure(), 0);
    EXPECT_EQ(figure->IsPicked(onLine, -1, -1), 0);
    CDsItemsFigure::StSetDlFigProc(nullptr);
    EXPECT_EQ(figure->TestFigure(), 1);
    EXPECT_EQ(figure->IsPicked(onLine, -1, -1), 1);
}

TEST_F(DsItemsFigureGLTest, ReferencePointsAreFoundAtTheEndsOfTheFiguresPolyline)
{
    EntityPtr body(make_block(0, 0, 0, 1, 1, 1));
    auto figure = LineFigure(0, 0, &kRed);
    CUiPickEvent atStart(10, 50, 0, view_.get(), nullptr), atEnd(89, 51, 0, view_.get(), nullptr),
        inBetween(50, 50, 0, view_.get(), nullptr), aside(50, 10, 0, view_.get(), nullptr);
    EXPECT_EQ(figure->PickRefPoint(atStart), nullptr);  // no entity: nothing to refer to

    figure->SetEntity(body.get());
    std::unique_ptr<CDsRefPoint> start(figure->PickRefPoint(atStart));
    ASSERT_TRUE(start);
    EXPECT_EQ(CDsRefPoint::sPickType, 256);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), -10.0, 1e-6);
    EXPECT_EQ(start->GetReferenceEntity(), body.get());
    EXPECT_EQ(context_.GetPickProccessor()->GetPickInfoStorage().GetPickedPrimitiveIndex(), 1);

    std::unique_ptr<CDsRefPoint> end(figure->PickRefPoint(atEnd));
    ASSERT_TRUE(end);
    EXPECT_EQ(CDsRefPoint::sPickType, 257);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 10.0, 1e-6);
    EXPECT_EQ(context_.GetPickProccessor()->GetPickInfoStorage().GetPickedPrimitiveIndex(), 2);

    // Neither end under the cursor: the end nearer to the line's point under it, the last one
    // when the point lies half-way.
    CUiPickEvent nearStart(30, 50, 0, view_.get(), nullptr), nearEnd(70, 51, 0, view_.get(), nullptr);
    std::unique_ptr<CDsRefPoint> chosen(figure->PickRefPoint(nearStart));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(CDsRefPoint::sPickType, 256);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), -10.0, 1e-6);
    EXPECT_EQ(chosen->GetReferenceEntity(), body.get());
    EXPECT_EQ(context_.GetPickProccessor()->GetPickInfoStorage().GetPickedPrimitiveIndex(), 1);
    chosen.reset(figure->PickRefPoint(nearEnd));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(CDsRefPoint::sPickType, 257);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 10.0, 1e-6);
    EXPECT_EQ(context_.GetPickProccessor()->GetPickInfoStorage().GetPickedPrimitiveIndex(), 2);
    chosen.reset(figure->PickRefPoint(inBetween));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(CDsRefPoint::sPickType, 257);
    EXPECT_NEAR(CDsRefPoint::sLastPosition.x(), 10.0, 1e-6);
    EXPECT_EQ(figure->PickRefPoint(aside), nullptr);      // the figure is not hit
    EXPECT_EQ(view_->get_pick_mode(), 0);                 // the view left pick mode

    // A view already in pick mode gets its own pick region back.
    view_->pick_mode(1, 30, 40, 7, 9);
    std::unique_ptr<CDsRefPoint> again(figure->PickRefPoint(atStart));
    EXPECT_TRUE(again);
    int x = 0, y = 0, w = 0, h = 0;
    view_->get_pick_aperture(x, y, w, h);
    EXPECT_EQ(view_->get_pick_mode(), 1);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(w, 7);
    view_->pick_mode(0, 0, 0, 0, 0);
}
