// The draw walk with a real OpenGL context: scene database items whose geometry draws one
// primitive of each kind in immediate mode, walked with the hidden-line and the shade functor
// types, and the pixels read back: colours from the attributes, hidden groups, the style flags
// (white faces, lightened lines), the depth layer of marked items, and the OpenGL state a walk
// leaves behind.
#include "DsDrawSetup.h"
#include "DsGeometry.h"
#include "DsGlTraverseFunctor.h"
#include "DsLocation.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "DsSceneWalk.h"
#include "DsTransform.h"
#include "DsView3dCdc.h"

#include "../../items/ItemViewFixture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>

using vyrtest::ColorNear;
using vyrtest::MeanColor;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

constexpr unsigned kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kMagenta = 0xFF00FF;
const Rgb kRedRgb{255, 0, 0}, kGreenRgb{0, 255, 0}, kBlueRgb{0, 0, 255}, kMagentaRgb{255, 0, 255},
    kWhiteRgb{255, 255, 255}, kBlackRgb{0, 0, 0};
constexpr unsigned char kGroupType = 1, kLeafType = 2, kMovedType = 3;
constexpr int kAllKinds = CDsGeometry::eDpPoints | CDsGeometry::eDpLines | CDsGeometry::eDpFaces |
                          CDsGeometry::eDpBitmaps | CDsGeometry::eDpTexts;
constexpr int kScene = 400, kSubPart = 500;

// The model coordinate of a pixel boundary: the fixture's view shows 25 units over 100 pixels,
// centred on the origin.
double Model(int pixel)
{
    return (pixel - 50) * 0.25;
}

// What a test geometry draws, per kind: a horizontal line across the view (model units), a point
// and two rectangles (pixels, bottom-left origin, under the walk's pixel projection), a quad
// (model units).
struct SShape {
    int kinds = 0;
    double lineY = 0.0, z = 0.0;
    int point[2] = {0, 0};
    double quad[4] = {0, 0, 0, 0};
    int bitmap[4] = {0, 0, 0, 0};
    int text[4] = {0, 0, 0, 0};
};

// Draws its shape; in the marked state the view holds while it draws, it takes the colour of
// special set 3 (as display items pick their highlight colours), and puts the current colour back.
class CShapeGeometry : public CDsGeometry {
public:
    CShapeGeometry(const SShape& shape, int* draws) : m_shape(shape), m_draws(draws) {}
    CDsGeometry* Clone() const override { return new CShapeGeometry(*this); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox&, int) const override { return false; }
    bool HasBoundBox(int) const override { return false; }
    int GetDrawPrimitives(int) const override { return m_shape.kinds; }
    int Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { return 0; }
    void DrawGl(view3d& view, eDrawPrimitives kind, int, int, const CDsDrawContext*) override
    {
        if (m_draws) ++*m_draws;
        const auto* cdc = dynamic_cast<const CDsView3dCdc*>(&view);
        const bool marked = cdc && cdc->GetLocationState() == eAttribSetMark;
        if (marked) {
            glPushAttrib(GL_CURRENT_BIT);
            const unsigned c = CDsScene::GetSpecialAttrs(eAttribSetMark).GetColor();
            glColor3ub(GLubyte(c & 0xFF), GLubyte((c >> 8) & 0xFF), GLubyte((c >> 16) & 0xFF));
        }
        const SShape& s = m_shape;
        switch (kind) {
        case eDpLines:
            glBegin(GL_LINES);
            glVertex3d(-20.0, s.lineY, s.z);
            glVertex3d(20.0, s.lineY, s.z);
            glEnd();
            break;
        case eDpPoints:
            glPointSize(3.0f);
            glBegin(GL_POINTS);
            glVertex2f(s.point[0] + 0.5f, s.point[1] + 0.5f);
            glEnd();
            glPointSize(1.0f);
            break;
        case eDpFaces:
            glBegin(GL_QUADS);
            glVertex3d(s.quad[0], s.quad[1], s.z);
            glVertex3d(s.quad[2], s.quad[1], s.z);
            glVertex3d(s.quad[2], s.quad[3], s.z);
            glVertex3d(s.quad[0], s.quad[3], s.z);
            glEnd();
            break;
        case eDpBitmaps:
            glRecti(s.bitmap[0], s.bitmap[1], s.bitmap[2], s.bitmap[3]);
            break;
        case eDpTexts:
            glRecti(s.text[0], s.text[1], s.text[2], s.text[3]);
            break;
        default:
            break;
        }
        if (marked) glPopAttrib();
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

private:
    SShape m_shape;
    int* m_draws;
};

// A line across the view on the boundary of pixel rows `row` - 1 and `row`.
SShape Line(int row, double z = 0.0)
{
    SShape s;
    s.kinds = CDsGeometry::eDpLines;
    s.lineY = Model(row);
    s.z = z;
    return s;
}

// A filled quad over the pixels x0..x1 - 1, y0..y1 - 1.
SShape Quad(int x0, int y0, int x1, int y1)
{
    SShape s;
    s.kinds = CDsGeometry::eDpFaces;
    s.quad[0] = Model(x0);
    s.quad[1] = Model(y0);
    s.quad[2] = Model(x1);
    s.quad[3] = Model(y1);
    return s;
}

enum class EFunctor { HiddenLine, Shade };

// The items' view fixture with a scene database scene of its own (the rendering context's scene
// lives on, so the store cannot be reset): the scene and its parts go afterwards, and the type
// table's entries and special set 3 are put back.
class DrawWalkGLTest : public vyrtest::ItemViewTest {
protected:
    void SetUp() override
    {
        ItemViewTest::SetUp();
        for (int i = 0; i < 3; ++i) categories_[i] = CDsPartStorage::sm_Type2Cat[kGroupType + i];
        CDsPartStorage::sm_Type2Cat[kGroupType] = eVyrCatOpenLeaf;
        CDsPartStorage::sm_Type2Cat[kLeafType] = eVyrCatLeaf;
        CDsPartStorage::sm_Type2Cat[kMovedType] = eVyrCatTransformed;
        markSet_ = CDsScene::GetSpecialAttrs(eAttribSetMark);
        ASSERT_EQ(Storage()->GetPart(kScene), nullptr);
        ASSERT_EQ(Storage()->GetPart(kSubPart), nullptr);
        scene_ = std::make_unique<CDsScene>(kScene);
        scene_->SetCurrentView(view_.get());
    }
    void TearDown() override
    {
        scene_.reset();
        Storage()->RemovePart(kScene);
        Storage()->RemovePart(kSubPart);
        CDsScene::SetSpecialAttrs(eAttribSetMark, markSet_);
        for (int i = 0; i < 3; ++i) CDsPartStorage::sm_Type2Cat[kGroupType + i] = categories_[i];
        ItemViewTest::TearDown();
    }

    CDsPartStorage* Storage() const { return CDsPartStorage::instance(); }
    CVyrObjectId Id(int item) const { return CVyrObjectId(scene_->GetPeerPartId(), item); }
    CVyrObjectPath Path(std::initializer_list<int> ids) const
    {
        const std::vector<int> list(ids);
        return CVyrObjectPath(list.data(), static_cast<int>(list.size()), static_cast<int>(list.size()),
                              scene_->GetPeerPartId());
    }
    // A top-level group (optionally with its own attributes) of the peer part.
    void AddGroup(int id, const CDsAttributes* attributes = nullptr)
    {
        ASSERT_TRUE(Storage()->AddItem(Id(id), kGroupType, nullptr, nullptr, attributes, nullptr, nullptr, false));
    }
    // A leaf of `group` drawing `shape`, its draws counted in draws_[id].
    void AddLeaf(int group, int id, const SShape& shape, const CDsAttributes* attributes = nullptr)
    {
        ASSERT_TRUE(Storage()->AddChildItem(Id(group), id, kLeafType, new CShapeGeometry(shape, &draws_[id]), nullptr,
                                            attributes, false));
    }
    static CDsAttributes Colored(unsigned color)
    {
        CDsAttrAdapter adapter;
        adapter.SetColor(color);
        return adapter;
    }

    // One walk of the whole peer part as a frame runs it (the attribute cache renewed first when
    // attributes changed), into a cleared back buffer.
    bool Walk(EFunctor type, SDsRenderFlags flags = SDsRenderFlags(), int walkFlags = kAllKinds)
    {
        vyrtest::Clear(kBlackRgb);
        SDsDrawOptions options(flags);
        SDsDrawSetup setup;
        DsInitDrawSetup(setup, view_.get(), nullptr, false, false, false);
        const int viewport[4] = {0, kSize, kSize, 0};
        scene_->SetCurrentView(view_.get());
        if (!scene_->IsAttributesValid()) scene_->InvalidateAttributesCache();
        const CVyrObjectPath start(scene_->GetPeerPartId());
        if (type == EFunctor::HiddenLine) {
            std::optional<CDsGlTraverseFunctor> storage;
            auto& functor = DsMakeGlTraverseFunctor(storage, view_.get(), options, setup, walkFlags, true, scene_.get(),
                                                    viewport, nullptr);
            return DsTraverseScene(Storage(), functor, start, scene_.get(), {}, true);
        }
        std::optional<CDsGlShadeFunctor> storage;
        auto& functor = DsMakeGlTraverseFunctor(storage, view_.get(), options, setup, walkFlags, 2, scene_.get(),
                                                viewport, nullptr);
        return DsTraverseScene(Storage(), functor, start, scene_.get(), {}, true);
    }

    std::unique_ptr<CDsScene> scene_;
    std::array<int, 64> draws_{};
    CDsAttributes markSet_;
    unsigned char categories_[3] = {0, 0, 0};
};

const EFunctor kBothTypes[] = {EFunctor::HiddenLine, EFunctor::Shade};

const char* Name(EFunctor type)
{
    return type == EFunctor::HiddenLine ? "hidden-line functor" : "shade functor";
}

}  // namespace

// Every kind is drawn where its projection puts it, in the colour the group's attributes give
// (inherited) or the item's own attributes override, by both types, from scratch and again from
// the locations' cache.
TEST_F(DrawWalkGLTest, EveryKindDrawsInItsAttributeColourWhereItsProjectionPutsIt)
{
    SShape all = Line(70);
    all.kinds = kAllKinds;
    all.point[0] = 20;
    all.point[1] = 20;
    all.quad[0] = Model(10);
    all.quad[1] = Model(35);
    all.quad[2] = Model(30);
    all.quad[3] = Model(55);
    all.bitmap[0] = 60, all.bitmap[1] = 10, all.bitmap[2] = 70, all.bitmap[3] = 20;
    all.text[0] = 80, all.text[1] = 10, all.text[2] = 90, all.text[3] = 20;
    AddGroup(1);
    AddLeaf(1, 2, all);
    const CDsAttributes blue = Colored(kBlue);
    AddLeaf(1, 3, Line(85), &blue);
    AddLeaf(1, 4, Line(90));  // the same kind and state as the line before it, another colour
    ASSERT_TRUE(Storage()->UpdateAttributes(Id(1), Colored(kRed), nullptr));

    for (EFunctor type : kBothTypes) {
        for (int pass = 0; pass < 2; ++pass) {
            SCOPED_TRACE(testing::Message() << Name(type) << ", walk " << pass + 1);
            ASSERT_TRUE(Walk(type));
            const auto line = LitRange(70, kRedRgb);
            EXPECT_EQ(line.first, 0);
            EXPECT_EQ(line.second, kSize - 1);
            const auto own = LitRange(85, kBlueRgb);
            EXPECT_EQ(own.first, 0);
            EXPECT_EQ(own.second, kSize - 1);
            EXPECT_EQ(LitRange(85, kRedRgb).first, -1);  // the own colour overrides the group's
            EXPECT_EQ(LitRange(90, kRedRgb).first, 0);
            EXPECT_EQ(LitRange(90, kBlueRgb).first, -1);
            EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 20, 20), kRedRgb, 40));
            EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 24, 20), kBlackRgb, 40));  // a point, not a blob
            EXPECT_TRUE(ColorNear(MeanColor(GL_BACK, 12, 37, 16, 16), kRedRgb, 10));
            EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 9, 45), kBlackRgb, 10));  // the quad ends at x 10
            EXPECT_TRUE(ColorNear(MeanColor(GL_BACK, 61, 11, 8, 8), kRedRgb, 10));
            EXPECT_TRUE(ColorNear(MeanColor(GL_BACK, 81, 11, 8, 8), kRedRgb, 10));
            EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 75, 15), kBlackRgb, 10));  // between the two rectangles
        }
    }
}

// A group hidden by its attributes (hide level 2) is not descended: its child draws nothing, while
// a visible group's child draws; shown again, the child draws again (no stale cache).
TEST_F(DrawWalkGLTest, AHiddenGroupStopsTheDescentUntilItIsShownAgain)
{
    const CDsAttributes red = Colored(kRed);
    AddGroup(1, &red);
    AddLeaf(1, 2, Line(70));
    AddGroup(3, &red);
    AddLeaf(3, 4, Line(30));
    CDsAttrAdapter hide;
    hide.SetHideLevel(2);
    ASSERT_TRUE(Storage()->UpdateAttributes(Id(1), hide, nullptr));

    for (EFunctor type : kBothTypes) {
        SCOPED_TRACE(Name(type));
        draws_ = {};
        for (int pass = 0; pass < 2; ++pass) {
            ASSERT_TRUE(Walk(type));
            EXPECT_EQ(LitRange(70, kRedRgb).first, -1);
            EXPECT_EQ(LitRange(30, kRedRgb).first, 0);
        }
        EXPECT_EQ(draws_[2], 0);
        EXPECT_EQ(draws_[4], 2);
    }

    CDsAttrAdapter show;
    show.SetHideLevel(0);
    ASSERT_TRUE(Storage()->UpdateAttributes(Id(1), show, nullptr));
    for (EFunctor type : kBothTypes) {
        SCOPED_TRACE(Name(type));
        ASSERT_TRUE(Walk(type));
        EXPECT_EQ(LitRange(70, kRedRgb).first, 0);
        EXPECT_EQ(LitRange(30, kRedRgb).first, 0);
    }
}

// A walk through a path list enters only the listed item and its group, whose attributes the
// locations then cache; the next walk of everything enters the group from its cache and its other
// child for the first time, which still inherits the group's colour.
TEST_F(DrawWalkGLTest, AChildFirstEnteredBelowACachedGroupInheritsItsColour)
{
    AddGroup(1);
    AddLeaf(1, 2, Line(70));
    AddLeaf(1, 3, Line(30));
    ASSERT_TRUE(Storage()->UpdateAttributes(Id(1), Colored(kGreen), nullptr));
    for (EFunctor type : kBothTypes) {
        SCOPED_TRACE(Name(type));
        scene_->InvalidateAttributesCache();
        const std::vector<CVyrObjectPath> listed = {Path({1, 2})};
        SDsRenderFlags flags;
        SDsDrawOptions options(flags);
        SDsDrawSetup setup;
        DsInitDrawSetup(setup, view_.get(), nullptr, false, false, false);
        const int viewport[4] = {0, kSize, kSize, 0};
        vyrtest::Clear(kBlackRgb);
        if (type == EFunctor::HiddenLine) {
            std::optional<CDsGlTraverseFunctor> storage;
            auto& functor = DsMakeGlTraverseFunctor(storage, view_.get(), options, setup, kAllKinds, true,
                                                    scene_.get(), viewport, nullptr);
            ASSERT_TRUE(functor.TraverseScene(Storage(), CVyrObjectPath(kScene), scene_.get(), listed, false));
        } else {
            std::optional<CDsGlShadeFunctor> storage;
            auto& functor = DsMakeGlTraverseFunctor(storage, view_.get(), options, setup, kAllKinds, 2,
                                                    scene_.get(), viewport, nullptr);
            ASSERT_TRUE(functor.TraverseScene(Storage(), CVyrObjectPath(kScene), scene_.get(), listed, false));
        }
        EXPECT_EQ(LitRange(70, kGreenRgb).first, 0);
        EXPECT_EQ(LitRange(30, kGreenRgb).first, -1);  // not listed

        ASSERT_TRUE(Walk(type));
        EXPECT_EQ(LitRange(70, kGreenRgb).first, 0);
        EXPECT_EQ(LitRange(30, kGreenRgb).first, 0);
    }
}

// The style flags: white faces turn the shade type's faces white and leave lines their colour
// (the hidden-line type keeps face colours); lighten makes the hidden-line type draw lines in the
// colour lightened halfway to white (red 255, 0, 0 becomes 255, 128, 128), and leaves the shade
// type's lines as they are. The locations' cache holds the attributes that one type made with one
// set of flags, so each pass here starts from a fresh cache, as a frame of another mode must.
TEST_F(DrawWalkGLTest, WhiteFacesAndLightenedLinesFollowTheFunctorType)
{
    const CDsAttributes red = Colored(kRed);
    AddGroup(1, &red);
    AddLeaf(1, 2, Quad(10, 10, 40, 40));
    AddLeaf(1, 3, Line(70));
    const Rgb lightRed{255, 128, 128};
    auto freshWalk = [this](EFunctor type, const SDsRenderFlags& flags) {
        scene_->InvalidateAttributesCache();
        return Walk(type, flags);
    };

    SDsRenderFlags white;
    white.whiteFaces = true;
    for (int pass = 0; pass < 2; ++pass) {  // from scratch, then from the cache
        ASSERT_TRUE(pass == 0 ? freshWalk(EFunctor::Shade, white) : Walk(EFunctor::Shade, white));
        EXPECT_TRUE(ColorNear(MeanColor(GL_BACK, 15, 15, 20, 20), kWhiteRgb, 10));
        EXPECT_EQ(LitRange(70, kRedRgb, 10).first, 0);
    }
    ASSERT_TRUE(freshWalk(EFunctor::HiddenLine, white));
    EXPECT_TRUE(ColorNear(MeanColor(GL_BACK, 15, 15, 20, 20), kRedRgb, 10));

    SDsRenderFlags lighten;
    lighten.lighten = true;
    ASSERT_TRUE(freshWalk(EFunctor::HiddenLine, lighten));
    const auto light = LitRange(70, lightRed, 10);
    EXPECT_EQ(light.first, 0);
    EXPECT_EQ(light.second, kSize - 1);
    EXPECT_EQ(LitRange(70, kRedRgb, 10).first, -1);
    EXPECT_TRUE(ColorNear(MeanColor(GL_BACK, 15, 15, 20, 20), kRedRgb, 10));  // faces are not lightened
    ASSERT_TRUE(freshWalk(EFunctor::HiddenLine, SDsRenderFlags()));
    EXPECT_EQ(LitRange(70, kRedRgb, 10).first, 0);
    ASSERT_TRUE(freshWalk(EFunctor::Shade, lighten));
    EXPECT_EQ(LitRange(70, kRedRgb, 10).first, 0);
}

// A marked item (location state 3) is drawn in the special depth layer: in front of an ordinary
// item at the same depth drawn before it, and of an ordinary item nearer the eye drawn after it,
// with the depth test on. While it draws the view holds its state (its geometry takes special set
// 3's colour); after the walk the view's state is normal again.
TEST_F(DrawWalkGLTest, AMarkedItemDrawsInFrontOfOrdinaryOnesThroughItsDepthLayer)
{
    CDsScene::SetSpecialAttrs(eAttribSetMark, Colored(kMagenta));
    const CDsAttributes red = Colored(kRed), green = Colored(kGreen);
    AddGroup(1, &red);
    AddLeaf(1, 2, Line(70));               // ordinary, drawn first
    AddLeaf(1, 3, Line(70), &green);       // marked, same depth, drawn after it
    AddLeaf(1, 4, Line(30, -5.0), &green); // marked, farther from the eye, drawn first
    AddLeaf(1, 5, Line(30, 5.0));          // ordinary, nearer the eye, drawn after it
    Storage()->SynchronizeLocations(scene_.get(), false);
    for (int id : {3, 4}) {
        CDsLocation* location = scene_->FindLocation(Path({1, id}));
        ASSERT_NE(location, nullptr);
        location->SetState(eAttribSetMark);
    }

    for (EFunctor type : kBothTypes) {
        SCOPED_TRACE(Name(type));
        for (int pass = 0; pass < 2; ++pass) {
            ASSERT_TRUE(Walk(type));
            EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
            for (int row : {70, 30}) {
                SCOPED_TRACE(row);
                const auto marked = LitRange(row, kMagentaRgb);
                EXPECT_EQ(marked.first, 0);
                EXPECT_EQ(marked.second, kSize - 1);
                EXPECT_EQ(LitRange(row, kRedRgb).first, -1);
                EXPECT_EQ(LitRange(row, kGreenRgb).first, -1);
            }
            EXPECT_EQ(view_->GetLocationState(), eAttribSetNormal);
        }
    }
}

// After a walk through a part instance with a translation, a group with its own transform, and
// points and rectangles drawn in the pixel projection, OpenGL reports no error, both matrix stacks
// are as deep as before and both matrices unchanged; the transforms placed what is below them and
// nothing after them, and the pixel kinds landed on their pixels inside the instance too.
TEST_F(DrawWalkGLTest, TheGlStateAfterAWalkIsTheStateBeforeIt)
{
    const CDsAttributes red = Colored(kRed);
    // Peer part: a moved group (up 20 pixels) with a line at row 30 drawn at row 50; an instance
    // of the sub-part moved down 10 pixels; then an ordinary group with a line at row 80.
    const float up[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 5.0f, 0, 1};
    const CDsTransform moved(up);
    ASSERT_TRUE(Storage()->AddItem(Id(1), kMovedType, nullptr, &moved, &red, nullptr, nullptr, false));
    AddLeaf(1, 2, Line(30));
    ASSERT_NE(Storage()->CreatePart(kSubPart), nullptr);
    const float down[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -2.5f, 0, 1};
    const CDsTransform instanceMove(down);
    ASSERT_TRUE(Storage()->AddPartInstance(Id(10), kSubPart, &instanceMove, &red, false));
    // Sub-part: a group whose line at row 70 is drawn at row 60, with a point and a rectangle in
    // pixels.
    ASSERT_TRUE(Storage()->AddItem(CVyrObjectId(kSubPart, 1), kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   false));
    SShape pixels = Line(70);
    pixels.kinds |= CDsGeometry::eDpPoints | CDsGeometry::eDpBitmaps;
    pixels.point[0] = 20, pixels.point[1] = 20;
    pixels.bitmap[0] = 60, pixels.bitmap[1] = 10, pixels.bitmap[2] = 70, pixels.bitmap[3] = 20;
    ASSERT_TRUE(Storage()->AddChildItem(CVyrObjectId(kSubPart, 1), 2, kLeafType,
                                        new CShapeGeometry(pixels, &draws_[20]), nullptr, nullptr, false));
    AddGroup(3, &red);
    AddLeaf(3, 4, Line(80));

    for (EFunctor type : kBothTypes) {
        SCOPED_TRACE(Name(type));
        for (int pass = 0; pass < 2; ++pass) {
            glMatrixMode(GL_MODELVIEW);
            GLint modelDepth = 0, projectionDepth = 0;
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelDepth);
            glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
            GLfloat model[16], projection[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, model);
            glGetFloatv(GL_PROJECTION_MATRIX, projection);
            ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));

            ASSERT_TRUE(Walk(type));

            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
            GLint modelAfter = -1, projectionAfter = -1;
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelAfter);
            glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionAfter);
            EXPECT_EQ(modelAfter, modelDepth);
            EXPECT_EQ(projectionAfter, projectionDepth);
            GLfloat modelNow[16], projectionNow[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, modelNow);
            glGetFloatv(GL_PROJECTION_MATRIX, projectionNow);
            for (int i = 0; i < 16; ++i) {
                EXPECT_FLOAT_EQ(modelNow[i], model[i]) << i;
                EXPECT_FLOAT_EQ(projectionNow[i], projection[i]) << i;
            }

            EXPECT_EQ(LitRange(50, kRedRgb).first, 0);   // the moved group's line
            EXPECT_EQ(LitRange(30, kRedRgb).first, -1);
            EXPECT_EQ(LitRange(60, kRedRgb).first, 0);   // the instance's line
            EXPECT_EQ(LitRange(70, kRedRgb).first, -1);
            EXPECT_EQ(LitRange(80, kRedRgb).first, 0);   // after both: in place
            EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 20, 20), kRedRgb, 40));
            EXPECT_TRUE(ColorNear(MeanColor(GL_BACK, 61, 11, 8, 8), kRedRgb, 10));
        }
    }
    EXPECT_EQ(draws_[20], 2 * 2 * 3);  // two types, two walks, three kinds
}
