// Highlights, decorations and parameter points of the rendering context, read back from the
// window's front and back buffers: lines of the scene database (each drawn in the colour of the
// special set the view's location state names, as display items take their highlight colours),
// highlighted over the picture and again after every refresh, marked locations highlighted, the
// line-attribute manager's highlight, locations drawn into the back buffer under stored
// highlights, a stepped section's passes, blending in mixed mode, parameter points as markers.
#include "DsComplexSection.h"
#include "DsGeometry.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsLineAttribManager.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPickedItem.h"
#include "DsPointsPalette.h"
#include "DsScene.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "TestResets.h"

#include "SteppedSection.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::SteppedSection;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;
constexpr unsigned char kLineType = 150, kGroupType = 151;
constexpr unsigned kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

Rgb ToRgb(unsigned color)
{
    return Rgb{int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)};
}

// A horizontal line across the view through the middle of pixel row `row`; in a special location
// state of the view it takes that special set's colour and transparency.
class CLineGeometry : public CDsGeometry {
public:
    explicit CLineGeometry(int row) : m_row(row) {}
    CDsGeometry* Clone() const override { return new CLineGeometry(m_row); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox& box, int) const override
    {
        box = SPAbox(SPAposition(-40, Y(), 0), SPAposition(40, Y(), 0));
        return true;
    }
    bool HasBoundBox(int) const override { return true; }
    int GetDrawPrimitives(int) const override { return eDpLines; }
    int Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { return 0; }
    void DrawGl(view3d& view, eDrawPrimitives, int, int, const CDsDrawContext*) override
    {
        ++draws;
        const auto* cdc = dynamic_cast<const CDsView3dCdc*>(&view);
        const int state = cdc ? cdc->GetLocationState() : 0;
        if (state >= 2 && state <= 9) {
            const CDsAttributes& set = CDsScene::GetSpecialAttrs(state);
            const unsigned c = set.GetColor();
            glColor4ub(GLubyte(c & 0xFF), GLubyte((c >> 8) & 0xFF), GLubyte((c >> 16) & 0xFF), set.GetTransparency());
        }
        glBegin(GL_LINES);
        glVertex3d(-40.0, Y(), 0.0);
        glVertex3d(40.0, Y(), 0.0);
        glEnd();
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

    int draws = 0;

private:
    double Y() const { return m_row - 50 + 0.5; }
    int m_row;
};

class DsLocationDrawingGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        CDsPartStorage::sm_Type2Cat[kLineType] = eVyrCatLeaf;
        CDsPartStorage::sm_Type2Cat[kGroupType] = eVyrCatOpenLeaf;
        context_ = std::make_unique<CDsGlContext>();
        view_ = std::make_unique<CDsView3dCdc>(&window_.wnd);
        view_->SetGlContext(context_.get());
        context_->add_view(view_.get());
        // Looking down -z at a 100 x 100 model-unit field: one unit a pixel, the origin in the middle.
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 100)).Field(kSize, kSize).Clip(1, 300).ApplyTo(*view_);
        view_->SetRenderMode(eRenderWireframe);
        // The special sets as the display manager makes them from the preferences: the scene
        // database's reset of an earlier test leaves every set blank (black), and a highlight in
        // black on the black background would pass for one never drawn.
        for (int set = 0; set < kSets; ++set) saved_[set] = CDsScene::GetSpecialAttrs(set);
        VYR_RESET_FOR_TESTS(CDsManager::ResetSpecialAttributesForTests);
        line1_ = Line(1, 70, kRed);
        line2_ = Line(2, 30, kBlue);
        const CDsAttributes green = Colored(kGreen);
        ASSERT_TRUE(Storage()->AddItem(CVyrObjectId(Peer(), 3), kGroupType, nullptr, nullptr, &green, nullptr, nullptr,
                                       true));
        child31_ = Child(31, 50);
        child32_ = Child(32, 60);
        CDsAttributes hidden;
        hidden.SetHideLevel(1);
        child33_ = new CLineGeometry(40);
        ASSERT_TRUE(Storage()->AddChildItem(CVyrObjectId(Peer(), 3), 33, kLineType, child33_, nullptr, &hidden, true));
        for (int set : {3, 4, 5}) {
            ASSERT_NE(Set(set).GetColor(), kRed);
            ASSERT_FALSE(ColorNear(ToRgb(Set(set).GetColor()), Rgb{0, 0, 0})) << "set " << set << " shows on black";
        }
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        CDsManager::GetInstance()->GetPointsPalette()->ClearMarkers();
        CDsManager::GetInstance()->RemoveAllTextures(view_.get());
        view_.reset();
        context_.reset();
        wglMakeCurrent(nullptr, nullptr);
        EXPECT_TRUE(VYR_RESET_FOR_TESTS(CDsPartStorage::ResetForTests));
        // After the scene database's reset, which blanks them.
        for (int set = 0; set < kSets; ++set) CDsScene::SetSpecialAttrs(set, saved_[set]);
    }

    static CDsAttributes Colored(unsigned color)
    {
        CDsAttributes attributes;
        attributes.SetColor(color);
        return attributes;
    }
    static const CDsAttributes& Set(int index) { return CDsScene::GetSpecialAttrs(index); }
    static CDsPartStorage* Storage() { return CDsPartStorage::instance(); }
    int Peer() const { return context_->GetScene()->GetDbScene().GetPeerPartId(); }
    CLineGeometry* Line(int id, int row, unsigned color)
    {
        auto* line = new CLineGeometry(row);
        const CDsAttributes attributes = Colored(color);
        EXPECT_TRUE(Storage()->AddItem(CVyrObjectId(Peer(), id), kLineType, line, nullptr, &attributes, nullptr,
                                       nullptr, true));
        return line;
    }
    CLineGeometry* Child(int id, int row)
    {
        auto* line = new CLineGeometry(row);
        EXPECT_TRUE(Storage()->AddChildItem(CVyrObjectId(Peer(), 3), id, kLineType, line, nullptr, nullptr, true));
        return line;
    }
    CVyrObjectPath P(std::vector<int> ids) const
    {
        return CVyrObjectPath(ids.data(), int(ids.size()), int(ids.size()), Peer());
    }
    std::vector<CVyrObjectPath> L(std::vector<CVyrObjectPath> paths) const { return paths; }
    static Rgb At(GLenum buffer, int row) { return ReadPixel(buffer, 50, row); }
    // A whole new picture of the view.
    void Redraw()
    {
        context_->PushDisplaySuspension();
        context_->PopDisplaySuspension();
        context_->GetScene()->GetDbScene().GetChangeLog().m_flag = 0;
        context_->ValidateView(view_.get());  // as a paint does before it refreshes
        view_->refresh();
    }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    std::unique_ptr<CDsGlContext> context_;
    std::unique_ptr<CDsView3dCdc> view_;
    static constexpr int kSets = eAttribSetCount;
    CDsAttributes saved_[kSets];
    CLineGeometry* line1_ = nullptr;
    CLineGeometry* line2_ = nullptr;
    CLineGeometry* child31_ = nullptr;
    CLineGeometry* child32_ = nullptr;
    CLineGeometry* child33_ = nullptr;
};

}  // namespace

TEST_F(DsLocationDrawingGLTest, AHighlightIsDrawnIntoTheFrontBufferAndAgainAfterEveryRefreshUntilItIsTakenAway)
{
    view_->refresh();
    ASSERT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(kRed)));
    context_->HighlightLocations(L({P({1})}), eAttribSetHighlight);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(Set(4).GetColor())));
    EXPECT_TRUE(ColorNear(At(GL_BACK, 70), ToRgb(kRed))) << "the picture behind keeps the plain colour";
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 30), ToRgb(kBlue)));

    Redraw();
    EXPECT_TRUE(ColorNear(At(GL_BACK, 70), ToRgb(kRed)));
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(Set(4).GetColor()))) << "drawn again after the refresh";

    context_->UnHighlightLocations();
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(kRed)));
    EXPECT_FALSE(context_->IsRestoreHighlightNecessary());
}

TEST_F(DsLocationDrawingGLTest, AMarkedLocationHighlightedTakesTheSetOfHighlightedMarks)
{
    CDsScene::SetSpecialAttrs(5, Colored(0x00FFFF));
    std::vector<CVyrObjectPath> marked = {P({2})};
    context_->ModifyLocations(marked, eAttribSetMark);
    context_->ValidateView(view_.get());  // as a paint does before it refreshes
    view_->refresh();
    ASSERT_TRUE(ColorNear(At(GL_FRONT, 30), ToRgb(Set(3).GetColor())));
    context_->HighlightLocations(marked, eAttribSetHighlight);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 30), Rgb{255, 255, 0}));
}

TEST_F(DsLocationDrawingGLTest, TheLineAttributeManagerHighlightsPickedItemsAndTakesEveryHighlightAway)
{
    view_->refresh();
    CDsLineAttribManager manager;
    manager.SetRenderingContext(context_.get());
    CDsPickedItem item(P({2}));
    manager.HighlightItem(&item, true);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 30), ToRgb(Set(4).GetColor())));
    std::vector<CVyrObjectPath> first = {P({1})};
    manager.HighlightList(first, true);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(Set(4).GetColor())));
    manager.HighlightEntity(P({1}), false);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(kRed)));
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 30), ToRgb(kBlue)));

    // Marks by path, read back after the next refresh.
    manager.MarkEntity(P({1}), true, nullptr);
    view_->refresh();
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(Set(3).GetColor())));
    manager.ApplyVisibility(eVisibilityMark, P({1}), false, false);
    view_->refresh();
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(kRed)));
    VYR_RESET_FOR_TESTS(CDsLineAttribManager::ResetForTests);
}

TEST_F(DsLocationDrawingGLTest, DrawingIntoTheBackBufferUnderStoredHighlightsDrawsThemAgainOnTop)
{
    view_->refresh();
    context_->HighlightLocations(L({P({1})}), eAttribSetHighlight);
    std::vector<CVyrObjectPath> paths = {P({2})};
    context_->DrawLocations(paths, eAttribSetMark, GL_BACK, 0);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 30), ToRgb(Set(3).GetColor()))) << "presented";
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(Set(4).GetColor()))) << "the highlight over it";
    EXPECT_TRUE(ColorNear(At(GL_BACK, 70), ToRgb(kRed)));

    // A group drawn whole: every child but the hidden one, in the set's colour.
    std::vector<CVyrObjectPath> group = {P({3})};
    context_->DrawLocations(group, eAttribSetMark, GL_FRONT, 0);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 50), ToRgb(Set(3).GetColor())));
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 60), ToRgb(Set(3).GetColor())));
    EXPECT_EQ(child33_->draws, 0);

    // Another buffer than front, back or both draws nothing; so does a left-out kind.
    const int drawn = line2_->draws;
    context_->DrawLocations(paths, eAttribSetMark, GL_LEFT, 0);
    context_->DrawLocations(paths, eAttribSetMark, GL_FRONT, CDsGeometry::eDpLines);
    EXPECT_EQ(line2_->draws, drawn);
}

TEST_F(DsLocationDrawingGLTest, UnderASteppedSectionOfTwoGroupsTheClippedLocationsAreDrawnOncePerGroupThenTheRestOnce)
{
    view_->refresh();
    context_->GetScene()->SetComplexSection(SteppedSection({P({1})}));
    ASSERT_EQ(context_->GetScene()->GetComplexSection()->GetGroupCount(), 2);
    const int draws1 = line1_->draws, draws2 = line2_->draws;
    std::vector<CVyrObjectPath> paths = {P({1}), P({2})};
    context_->DrawLocations(paths, eAttribSetMark, GL_FRONT, 0);
    EXPECT_EQ(line1_->draws - draws1, 2) << "one clipped pass per group";
    EXPECT_EQ(line2_->draws - draws2, 1) << "one last pass";
    for (int plane = 0; plane < 6; ++plane) EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0 + plane));
    context_->GetScene()->SetComplexSection(nullptr);
}

TEST_F(DsLocationDrawingGLTest, AssembliesWhosePartsAreInASteppedSectionAreDrawnAndHighlightedWithThemClipped)
{
    // Two assemblies: the group 3 with its parts 31 (row 50) and 32 (row 60), and the instance 5
    // of a part that holds the group 6 with its part 61 (row 45). The section lists 31 and 61:
    // rows 45 and 50 are cut away right of the middle, row 60 is kept whole.
    constexpr int kSubPart = 77;
    ASSERT_NE(Storage()->CreatePart(kSubPart), nullptr);
    ASSERT_TRUE(Storage()->AddPartInstance(CVyrObjectId(Peer(), 5), kSubPart, nullptr, nullptr, true));
    const CDsAttributes green = Colored(kGreen);
    ASSERT_TRUE(Storage()->AddItem(CVyrObjectId(kSubPart, 6), kGroupType, nullptr, nullptr, &green, nullptr, nullptr,
                                   true));
    ASSERT_TRUE(Storage()->AddChildItem(CVyrObjectId(kSubPart, 6), 61, kLineType, new CLineGeometry(45), nullptr,
                                        nullptr, true));
    const int instanceId = 5;
    const CVyrObjectPath instance(&instanceId, 1, 0, Peer());
    const int sectioned[3] = {5, 6, 61};
    context_->GetScene()->SetComplexSection(SteppedSection({P({3, 31}), CVyrObjectPath(sectioned, 3, 2, Peer())}));
    Redraw();
    const Rgb black{0, 0, 0};
    for (int row : {45, 50}) {
        ASSERT_TRUE(ColorNear(ReadPixel(GL_FRONT, 25, row), ToRgb(kGreen))) << row;
        ASSERT_TRUE(ColorNear(ReadPixel(GL_FRONT, 75, row), black)) << "cut away in the picture, row " << row;
    }
    // Each assembly's parts: the sectioned ones keep their cut, the part outside is whole.
    auto expectCut = [&](unsigned color, const char* what) {
        for (int row : {45, 50}) {
            EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 25, row), ToRgb(color))) << what << ", row " << row;
            EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 75, row), black)) << what << ", the cut-away side, row " << row;
        }
        EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 25, 60), ToRgb(color))) << what;
        EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 75, 60), ToRgb(color))) << what;
    };

    std::vector<CVyrObjectPath> assemblies = {P({3}), instance};
    context_->DrawLocations(assemblies, eAttribSetMark, GL_FRONT, 0);
    expectCut(Set(3).GetColor(), "drawn");

    // Highlighted over a fresh picture, and again after the next refresh.
    Redraw();
    context_->HighlightLocations(assemblies, eAttribSetHighlight);
    expectCut(Set(4).GetColor(), "highlighted");
    Redraw();
    expectCut(Set(4).GetColor(), "highlighted after a refresh");
    for (int plane = 0; plane < 6; ++plane) EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0 + plane));
    context_->UnHighlightLocations();
    context_->GetScene()->SetComplexSection(nullptr);
}

TEST_F(DsLocationDrawingGLTest, AMixedModeDecorationIsBlendedAndLeavesBlendingAsItFoundIt)
{
    view_->SetRenderMode(eRenderMixed);
    view_->refresh();
    CDsAttributes half = Colored(kGreen);
    half.SetTransparency(128);
    CDsScene::SetSpecialAttrs(3, half);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    std::vector<CVyrObjectPath> paths = {P({1})};
    context_->DrawLocations(paths, eAttribSetMark, GL_FRONT, 0);
    const Rgb blended = At(GL_FRONT, 70);
    EXPECT_NEAR(blended.g, 128, 20) << "half green over the red line";
    EXPECT_NEAR(blended.r, 127, 20);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    EXPECT_EQ(source, GL_ONE);
    EXPECT_EQ(destination, GL_ZERO);
}

TEST_F(DsLocationDrawingGLTest, HighlightsAreSkippedWhileTheWindowWaitsOrAFastRefreshIsUnderWay)
{
    view_->refresh();
    context_->InvalidateView(view_.get());
    context_->HighlightLocations(L({P({1})}), eAttribSetHighlight);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(kRed)));
    context_->ValidateView(view_.get());
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    context_->HighlightLocations(L({P({1})}), eAttribSetHighlight);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(kRed)));
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    // Paths of another part, into nowhere or empty highlight nothing.
    const int foreign[1] = {1};
    context_->HighlightLocations(L({CVyrObjectPath(foreign, 1, 1, 4242), P({99}), CVyrObjectPath()}),
                                 eAttribSetHighlight);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 70), ToRgb(kRed)));
}

TEST_F(DsLocationDrawingGLTest, AParameterPointIsOneTemporaryItemWhoseMarkerTheRefreshDraws)
{
    // The temporary part draws points white.
    const int temp = context_->GetScene()->GetDbScene().GetTempPartId();
    ASSERT_TRUE(Storage()->GetPart(temp)->SetPaletteEntry(61, Colored(0xFFFFFF)));
    const SPAposition origin(0.5, 35.5, 0);
    ASSERT_TRUE(context_->DrawParamPoint(origin, 269, eAttribSetNormal, eVyrObjectType(0), CVyrObjectPath()));
    ASSERT_TRUE(context_->DrawParamPoint(SPAposition(0.50005, 35.5, 0), 269, eAttribSetMark, eVyrObjectType(0),
                                         CVyrObjectPath()));
    ASSERT_EQ(context_->GetParamPoints().size(), 1u);
    const CVyrObjectPath path = context_->GetParamPoints()[0].path;
    EXPECT_EQ(path.GetPartId(), context_->GetScene()->GetDbScene().GetTempPartId());
    EXPECT_NE(Storage()->GetObjectIdByPath(path), CVyrObjectId());
    view_->refresh();
    const Rgb marker = ReadPixel(GL_FRONT, 50, 85);
    EXPECT_GT(marker.r + marker.g + marker.b, 100) << "the marker at the point's pixel";

    // Found on screen within 10 pixels.
    SPAposition found;
    eVyrParamPointType type = -1;
    eVyrObjectType objectType = eVyrObjectType(3);
    CVyrObjectPath foundPath;
    EXPECT_TRUE(context_->FindPointBy2dPos(55, 17, found, type, objectType, foundPath));
    EXPECT_EQ(foundPath, path);
    EXPECT_EQ(type, 269);
    EXPECT_FALSE(context_->FindPointBy2dPos(61, 14, found, type, objectType, foundPath));

    // An unknown position: false, nothing invalidated. The drawn one: gone after the refresh.
    context_->ValidateView(view_.get());
    EXPECT_FALSE(context_->EraseParamPoint(SPAposition(20, 20, 0)));
    EXPECT_TRUE(context_->IsViewUpToDate(view_.get()));
    const double nan = std::nan("");
    EXPECT_FALSE(context_->EraseParamPoint(SPAposition(nan, 0, 0)));
    EXPECT_FALSE(context_->DrawParamPoint(SPAposition(nan, 0, 0), 269, eAttribSetNormal, eVyrObjectType(0),
                                          CVyrObjectPath()));
    EXPECT_TRUE(context_->EraseParamPoint(origin));
    EXPECT_FALSE(context_->IsViewUpToDate(view_.get()));
    EXPECT_TRUE(context_->GetParamPoints().empty());
    view_->refresh();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, 85), Rgb{0, 0, 0}, 20));
}

TEST_F(DsLocationDrawingGLTest, AParameterPointOfAnOwnerShowsItsSetIsDecoratedAgainByASecondCallAndErases)
{
    // The point belongs to the part 31 of the assembly 3; no palette colour: only its state shows it.
    const SPAposition point(0.5, 35.5, 0);  // pixel (50, 85)
    const CVyrObjectPath owner = P({3, 31});
    ASSERT_TRUE(context_->DrawParamPoint(point, 269, eAttribSetMark, eVyrObjectType(4), owner));
    ASSERT_EQ(context_->GetParamPoints().size(), 1u);
    const CDsGlContext::SParamPoint record = context_->GetParamPoints()[0];
    EXPECT_EQ(Storage()->GetObjectIdByPath(record.path), record.id) << "the record names the item made";
    Redraw();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, 85), ToRgb(Set(3).GetColor()))) << "in the set it was drawn with";

    // The same point again with another set: no second item, the new set shows.
    ASSERT_TRUE(context_->DrawParamPoint(SPAposition(0.50005, 35.5, 0), 269, eAttribSetHighlight, eVyrObjectType(4),
                                         owner));
    EXPECT_EQ(context_->GetParamPoints().size(), 1u);
    Redraw();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, 85), ToRgb(Set(4).GetColor())));

    // Found on screen with a path the location operations accept; erased, it is gone.
    SPAposition found;
    eVyrParamPointType type = -1;
    eVyrObjectType objectType = eVyrObjectType(0);
    CVyrObjectPath path;
    ASSERT_TRUE(context_->FindPointBy2dPos(52, 16, found, type, objectType, path));
    EXPECT_EQ(objectType, eVyrObjectType(4));
    std::vector<CVyrObjectPath> marked = {path};
    context_->ModifyLocations(marked, eAttribSetMark);
    Redraw();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, 85), ToRgb(Set(3).GetColor())));
    EXPECT_TRUE(context_->EraseParamPoint(point));
    EXPECT_EQ(Storage()->GetObjectIdByPath(record.path), CVyrObjectId());
    Redraw();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, 85), Rgb{0, 0, 0}, 20));
}

TEST_F(DsLocationDrawingGLTest, AHighlightedParameterPointSnapsToADrawnOneWithinTenPixelsOrExactlyForReferenceTypes)
{
    view_->refresh();
    const SPAposition drawn(0.5, 35.5, 0);
    ASSERT_TRUE(context_->DrawParamPoint(drawn, 269, eAttribSetNormal, eVyrObjectType(0), CVyrObjectPath()));
    context_->ValidateView(view_.get());  // as a paint does
    SPAposition near(9.5, 35.5, 0);  // 9 pixels away
    eVyrParamPointType type = 269;
    ASSERT_TRUE(context_->HighlightParamPoint(near, type));
    EXPECT_TRUE(same_point(near, drawn, 1e-9));
    EXPECT_EQ(type, 269);
    EXPECT_EQ(context_->GetHighlightData().paramPointAttributeSet, eAttribSetHighlightMarked);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, 85), ToRgb(Set(5).GetColor())))
        << "the drawn point's marker in set 5's colour, over the picture";
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 85), Rgb{0, 0, 0}, 20)) << "the picture behind has no marker";

    SPAposition far(10.51, 35.5, 0);  // 10 pixels away
    type = 269;
    ASSERT_TRUE(context_->HighlightParamPoint(far, type));
    EXPECT_TRUE(same_point(far, SPAposition(10.51, 35.5, 0), 1e-9));
    EXPECT_EQ(context_->GetHighlightData().paramPointAttributeSet, eAttribSetHighlight);

    // A reference-point type: within 1e-4 in model space, never on screen.
    ASSERT_TRUE(context_->DrawParamPoint(SPAposition(-20.5, 35.5, 0), 257, eAttribSetNormal, eVyrObjectType(0),
                                         CVyrObjectPath()));
    SPAposition close(-20.50005, 35.5, 0);
    type = 257;
    context_->HighlightParamPoint(close, type);
    EXPECT_TRUE(same_point(close, SPAposition(-20.5, 35.5, 0), 1e-9));
    EXPECT_EQ(context_->GetHighlightData().paramPointAttributeSet, eAttribSetHighlightMarked);
    SPAposition screenClose(-17.5, 35.5, 0);
    type = 257;
    context_->HighlightParamPoint(screenClose, type);
    EXPECT_TRUE(same_point(screenClose, SPAposition(-17.5, 35.5, 0), 1e-9));
    EXPECT_EQ(context_->GetHighlightData().paramPointAttributeSet, eAttribSetHighlight);
}

namespace {

// A rectangular face facing the eye at height z, from (x0, y0) to (x1, y1) in model units; it
// sends no colour of its own, so that it shows whatever colour or material the walk applied.
class CFaceGeometry : public CDsGeometry {
public:
    CFaceGeometry(double x0, double y0, double x1, double y1, double z) : m_x0(x0), m_y0(y0), m_x1(x1), m_y1(y1), m_z(z)
    {
    }
    CDsGeometry* Clone() const override { return new CFaceGeometry(m_x0, m_y0, m_x1, m_y1, m_z); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox& box, int) const override
    {
        box = SPAbox(SPAposition(m_x0, m_y0, m_z), SPAposition(m_x1, m_y1, m_z));
        return true;
    }
    bool HasBoundBox(int) const override { return true; }
    int GetDrawPrimitives(int) const override { return eDpFaces; }
    int Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { return 0; }
    void DrawGl(view3d&, eDrawPrimitives kinds, int, int, const CDsDrawContext*) override
    {
        if (!(kinds & eDpFaces)) return;
        ++draws;
        glBegin(GL_QUADS);
        glNormal3d(0.0, 0.0, 1.0);
        glVertex3d(m_x0, m_y0, m_z);
        glVertex3d(m_x1, m_y0, m_z);
        glVertex3d(m_x1, m_y1, m_z);
        glVertex3d(m_x0, m_y1, m_z);
        glEnd();
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

    int draws = 0;

private:
    double m_x0, m_y0, m_x1, m_y1, m_z;
};

// A horizontal line across the view through the middle of pixel row `row` that sends no colour of
// its own: it shows the colour the walk applied.
class CWalkColouredLine : public CFaceGeometry {
public:
    explicit CWalkColouredLine(int row) : CFaceGeometry(-40, row - 50 + 0.5, 40, row - 50 + 0.5, 0) {}
    int GetDrawPrimitives(int) const override { return eDpLines; }
    void DrawGl(view3d&, eDrawPrimitives kinds, int, int, const CDsDrawContext*) override
    {
        if (!(kinds & eDpLines)) return;
        SPAbox box;
        GetBoundBox(box, 0);
        glBegin(GL_LINES);
        glVertex3d(box.low().x(), box.low().y(), 0.0);
        glVertex3d(box.high().x(), box.low().y(), 0.0);
        glEnd();
    }
};

// Shaded faces that take their colour from the walk, looking down -z (pixel = model + 50):
//   10  red,   z 20, pixels x 10..30, rows 10..40   (in front of 11)
//   11  blue,  z 10, pixels x 10..40, rows 10..40   (only its strip x 30..40 shows)
//   12  red,   z 20, pixels x 60..80, rows 10..40
//   13  green, z 20, pixels x 60..80, rows 60..90   (the lit colour a green face has)
class DsLocationDrawingShadedFacesGLTest : public DsLocationDrawingGLTest {
protected:
    void SetUp() override
    {
        DsLocationDrawingGLTest::SetUp();
        if (HasFatalFailure()) return;
        CDsScene::SetSpecialAttrs(eAttribSetHighlight, Colored(kGreen));
        Face(10, kRed, -40, -40, -20, -10, 20);
        Face(11, kBlue, -40, -40, -10, -10, 10);
        Face(12, kRed, 10, -40, 30, -10, 20);
        Face(13, kGreen, 10, 10, 30, 40, 20);
        view_->SetRenderMode(eRenderShade);
        Redraw();
        plainRed_ = ReadPixel(GL_FRONT, 20, 25);
        plainBlue_ = ReadPixel(GL_FRONT, 35, 25);
        litGreen_ = ReadPixel(GL_FRONT, 70, 75);
        ASSERT_GT(plainRed_.r, 100);
        ASSERT_GT(plainBlue_.b, 100);
        ASSERT_GT(litGreen_.g, 100);
        ASSERT_FALSE(ColorNear(plainRed_, litGreen_, 20));
        ASSERT_TRUE(ColorNear(ReadPixel(GL_FRONT, 70, 25), plainRed_));
    }
    void Face(int id, unsigned color, double x0, double y0, double x1, double y1, double z)
    {
        const CDsAttributes attributes = Colored(color);
        ASSERT_TRUE(Storage()->AddItem(CVyrObjectId(Peer(), id), kLineType, new CFaceGeometry(x0, y0, x1, y1, z),
                                       nullptr, &attributes, nullptr, nullptr, true));
    }
    // Highlights `paths` with set 4 over the saved picture, put back first.
    void HighlightOverPicture(std::vector<CVyrObjectPath> paths)
    {
        CDsGlContext::SHighlightData data;
        data.paths = std::move(paths);
        data.attributeSet = eAttribSetHighlight;
        context_->Highlight(data, true);
    }

    Rgb plainRed_, plainBlue_, litGreen_;
};

}  // namespace

TEST_F(DsLocationDrawingShadedFacesGLTest, AHighlightedFaceTurnsTheHighlightColourInFrontOnlyAndAFaceBehindStaysHidden)
{
    // One face alone: the hover case.
    context_->HighlightLocations(L({P({10})}), eAttribSetHighlight);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 20, 25), litGreen_, 6)) << "the highlighted face";
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 20, 25), plainRed_)) << "the picture behind keeps the plain colour";
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 70, 25), plainRed_)) << "another face of the same colour";
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 35, 25), plainBlue_));

    // The face behind: only its uncovered strip changes.
    HighlightOverPicture({P({11})});
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 20, 25), plainRed_)) << "the covered part stays hidden";
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 35, 25), litGreen_, 6)) << "the uncovered strip";

    // Two faces of the same colour: each walk sends its own colour.
    HighlightOverPicture({P({10}), P({12})});
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 20, 25), litGreen_, 6));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 70, 25), litGreen_, 6));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 35, 25), plainBlue_));

    // Drawn again over the next picture, and gone when taken away.
    HighlightOverPicture({P({12})});
    Redraw();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 70, 25), litGreen_, 6));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 20, 25), plainRed_));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 70, 25), plainRed_));
    context_->UnHighlightLocations();
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 70, 25), plainRed_));
}

TEST_F(DsLocationDrawingGLTest, InWireframeALineTakesTheColourOfItsHighlightAndOfItsMarkFromTheWalk)
{
    const CDsAttributes red = Colored(kRed);
    ASSERT_TRUE(Storage()->AddItem(CVyrObjectId(Peer(), 20), kLineType, new CWalkColouredLine(80), nullptr, &red,
                                   nullptr, nullptr, true));
    ASSERT_TRUE(Storage()->AddItem(CVyrObjectId(Peer(), 21), kLineType, new CWalkColouredLine(90), nullptr, &red,
                                   nullptr, nullptr, true));
    view_->refresh();
    ASSERT_TRUE(ColorNear(At(GL_FRONT, 80), ToRgb(kRed)));
    context_->HighlightLocations(L({P({20})}), eAttribSetHighlight);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 80), ToRgb(Set(4).GetColor())));
    EXPECT_TRUE(ColorNear(At(GL_BACK, 80), ToRgb(kRed)));
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 90), ToRgb(kRed)));

    context_->HighlightLocations(L({P({20}), P({21})}), eAttribSetHighlight);
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 80), ToRgb(Set(4).GetColor())));
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 90), ToRgb(Set(4).GetColor()))) << "the second walk sends its colour too";

    // A mark is a location state as well: the next picture draws the line in the mark's set.
    context_->UnHighlightLocations();
    std::vector<CVyrObjectPath> marked = {P({21})};
    context_->ModifyLocations(marked, eAttribSetMark);
    Redraw();
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 90), ToRgb(Set(3).GetColor())));
    EXPECT_TRUE(ColorNear(At(GL_FRONT, 80), ToRgb(kRed)));
}
