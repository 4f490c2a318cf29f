// Copy groups read back as pixels and answers: a group drawn again under the copy's translation
// (body and wire copies drawing nothing on that road), a mark shown in the copy only, the lists of
// highlighted and marked items and their resets, the copy's own attributes and its box, the
// transformation bracket of a copy of a coordinate system, a new copied group leaving nothing
// behind, the navigator's STL copies, and copies without group, entity or view.
#include "DsColorStorage.h"
#include "DsItemLamp.h"
#include "DsItemPolygonsStl.h"
#include "DsItemQuadric.h"
#include "DsBasicSurface.h"
#include "DsItemPolyline3D.h"
#include "DsItemsCopy.h"
#include "DsNavigator.h"
#include "ItemViewFixture.h"
#include "PolygonTestSupport.h"

#include "DsAttribute.h"
#include "DsTypeMask.h"
#include "GmPosition.h"
#include "UiPickEvent.h"
#include "EntityDeleter.h"
#include "SpaBuilders.h"
#include "SpaTopology.h"
#include "VyrWCS.h"
#include "pick_event.h"
#include "pick_manager.h"

#include <GL/gl.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kRed{255, 0, 0};

class TestGroup : public CDsItemsGroup {
public:
    TestGroup() : CDsItemsGroup(nullptr, nullptr) {}
    using CDsItemsGroup::Add;
    using CDsItemsGroup::CleanAll;
    using CDsItemsGroup::Remove;
};

class NavigatorProbe : public CDsNavigator {
public:
    using CDsNavigator::GetItemForStl;
};

// An own-attributes attribute of the given data.
class OwnAttributes : public CDsAttribute {
public:
    explicit OwnAttributes(unsigned value = 0) : m_value(value) {}
    EDsAttributeType GetType() const override { return eDsAttributeOwnAttributes; }
    void SetData(unsigned value, bool) override { m_value = value; }
    unsigned GetData() const override { return m_value; }
    unsigned m_value;
};

// A red horizontal line at model height y from x = -10 to -2 (pixels 10 to 42 of row 50 + 4y).
CDsItemPolyline3D* RedLine(double y)
{
    const SPAposition points[2] = {SPAposition(-9.875, y + 0.125, 0), SPAposition(-1.875, y + 0.125, 0)};
    auto* line = new CDsItemPolyline3D(2, points, false, nullptr);
    line->SetColor(CDsColorStorage(255, 0, 0), false);
    return line;
}

class DsItemsCopyGLTest : public vyrtest::ItemViewTest {
protected:
    Rgb At(int x, int y) const { return ReadPixel(GL_BACK, x, y); }
    bool IsRed(int x, int y) const { return ColorNear(At(x, y), kRed, 60); }
    bool IsBlack(int x, int y) const { return ColorNear(At(x, y), Rgb{0, 0, 0}, 30); }
    GLint StackDepth() const
    {
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        return depth;
    }
    // Two red lines added to `group`, `a` at row 50 and `b` at row 10, shown for the entities ea_
    // and eb_ in the context's item map.
    void AddShownLines(TestGroup& group, CDsItemPolyline3D*& a, CDsItemPolyline3D*& b)
    {
        a = RedLine(0);
        b = RedLine(-10);
        group.Add(a);
        group.Add(b);
        context_.AddToMap(ea_.get(), a);
        context_.AddToMap(eb_.get(), b);
    }
    vyrtest::BodyPtr ea_{make_block(0, 0, 0, 1, 1, 1)};
    vyrtest::BodyPtr eb_{make_block(0, 0, 0, 1, 1, 1)};
};

}  // namespace

TEST_F(DsItemsCopyGLTest, AnOtherCopyDrawsTheGroupAgainUnderItsTranslationAndBodyCopiesDoNot)
{
    TestGroup group;
    group.Add(RedLine(0));
    CDsItemsCopy copy(&group, nullptr, &context_);
    EXPECT_EQ(copy.GetItemType(), eDsItemsCopy);
    EXPECT_EQ(copy.GetCopyMode(), 5);
    EXPECT_EQ(copy.Count(), 0);  // its own children stay empty
    copy.SetTransformation(translate_transf(SPAvector(0, 10, 0)));

    group.Refresh(*view_);
    copy.Refresh(*view_);
    EXPECT_TRUE(IsRed(25, 50));
    EXPECT_TRUE(IsRed(25, 90));  // 10 units, 40 pixels up
    EXPECT_TRUE(IsBlack(25, 70));
    EXPECT_EQ(StackDepth(), 1);

    // The box: in the world under the translation, else in the group's own coordinates.
    CGmPosition low, high;
    ASSERT_TRUE(copy.GetBox(low, high, true));
    EXPECT_NEAR(low.y(), 10.125, 1e-5);
    EXPECT_NEAR(low.x(), -9.875, 1e-5);
    ASSERT_TRUE(copy.GetBox(low, high, false));
    EXPECT_NEAR(low.y(), 0.125, 1e-5);
    CDsBox grown;
    copy.ExpandBox(grown, nullptr);
    EXPECT_NEAR(grown.GetMax()[1], 10.125, 1e-5);
    // Multiplying moves it again.
    copy.MultiplyTransformation(translate_transf(SPAvector(0, 1, 0)));
    ASSERT_TRUE(copy.GetBox(low, high, true));
    EXPECT_NEAR(low.y(), 11.125, 1e-5);

    // A copy of a body (mode 0) or a wire body (mode 1) draws nothing on this road.
    vyrtest::BodyPtr block(make_block(-1, -1, -1, 1, 1, 1));
    const SPAposition wirePoints[2] = {SPAposition(0, 0, 0), SPAposition(1, 0, 0)};
    vyrtest::BodyPtr wire(make_wire_body(wirePoints, 2));
    CDsItemsCopy bodyCopy(&group, block.get(), nullptr);
    CDsItemsCopy wireCopy(&group, wire.get(), nullptr);
    EXPECT_EQ(bodyCopy.GetCopyMode(), 0);
    EXPECT_EQ(wireCopy.GetCopyMode(), 1);
    vyrtest::Clear(Rgb{0, 0, 0});
    bodyCopy.Refresh(*view_);
    bodyCopy.DrawAlone(*view_);
    wireCopy.Refresh(*view_);
    wireCopy.DrawAlone(*view_);
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsItemsCopyGLTest, AnItemMarkedInTheCopyShowsTheMarkColourInTheCopyOnly)
{
    TestGroup group;
    CDsItemPolyline3D *a = nullptr, *b = nullptr;
    AddShownLines(group, a, b);
    CDsItemsCopy copy(&group, nullptr, &context_);
    copy.SetTransformation(translate_transf(SPAvector(0, 5, 0)));  // 20 pixels up

    copy.SetVisibility(eVisibilityMark, true, true, ea_.get());
    ASSERT_EQ(copy.GetMarkList().size(), 1u);
    EXPECT_EQ(copy.GetMarkList()[0], a);
    group.Refresh(*view_);
    copy.Refresh(*view_);
    EXPECT_TRUE(IsRed(25, 50));   // the group's own a
    EXPECT_TRUE(IsRed(25, 10));   // the group's own b
    EXPECT_TRUE(IsRed(25, 30));   // the copy's b
    const Rgb marked = At(25, 70);  // the copy's a
    EXPECT_FALSE(ColorNear(marked, kRed, 60));
    EXPECT_FALSE(ColorNear(marked, Rgb{0, 0, 0}, 30));
    EXPECT_FALSE(a->GetMarkState());  // the shared item is as it was
    EXPECT_FALSE(a->GetMarkCopyState());

    // Highlighting twice keeps one entry; the resets empty the lists by bit.
    copy.SetVisibility(eVisibilityHighlight, true, true, eb_.get());
    copy.SetVisibility(eVisibilityHighlight, true, true, eb_.get());
    EXPECT_EQ(copy.GetHighlightList().size(), 1u);
    copy.GetAttributes()->Highlight(true);
    copy.GetAttributes()->Mark(true);
    copy.ResetAttributes(eDsResetHighlight);
    EXPECT_TRUE(copy.GetHighlightList().empty());
    EXPECT_FALSE(copy.GetHighlightState());
    EXPECT_EQ(copy.GetMarkList().size(), 1u);
    EXPECT_TRUE(copy.GetMarkState());
    copy.SetVisibility(eVisibilityHighlight, true, true, eb_.get());
    copy.ResetAttributes(static_cast<EDsResetAttributeAction>(3));
    EXPECT_TRUE(copy.GetHighlightList().empty());
    EXPECT_TRUE(copy.GetMarkList().empty());
    EXPECT_FALSE(copy.GetMarkState());
    // Switching off takes the item out.
    copy.SetVisibility(eVisibilityMark, true, true, ea_.get());
    copy.SetVisibility(eVisibilityMark, false, true, ea_.get());
    EXPECT_TRUE(copy.GetMarkList().empty());
    // Other levels are the copy's own.
    copy.SetVisibility(eVisibilityDim, true, true, ea_.get());
    EXPECT_EQ(copy.GetVisibility(), eVisibilityDim);
    EXPECT_EQ(a->GetVisibility(), eVisibilityNormal);
}

TEST_F(DsItemsCopyGLTest, TheCopysOwnAttributesTakeOnlyValuesInRange)
{
    TestGroup group;
    CDsItemPolyline3D* line = RedLine(0);
    group.Add(line);
    CDsItemsCopy copy(&group, nullptr, nullptr);
    copy.SetStyle(3, false);
    copy.SetStyle(32, false);
    EXPECT_EQ(copy.GetStyle(), 3);
    copy.SetWidth(4, false);
    copy.SetWidth(0, false);
    copy.SetWidth(9, false);
    EXPECT_EQ(copy.GetWidth(), 4);
    copy.SetTransparency(1.5f);
    EXPECT_EQ(copy.GetAttributes()->GetTransparencyByte(), 255);
    EXPECT_EQ(copy.GetMaterial().state, 1);
    copy.SetTransparency(-0.2f);
    EXPECT_EQ(copy.GetAttributes()->GetTransparencyByte(), 0);
    copy.SetColor(CDsColorStorage(0, 0, 255), false);
    EXPECT_FALSE(copy.GetAttributes()->GetInheritColorState());
    EXPECT_EQ(copy.GetMaterial().state, 2);
    EXPECT_EQ(line->GetColor().GetValue(), CDsColorStorage(255, 0, 0).GetValue());  // the copied item keeps its own

    // With its own attributes the copy draws the group in its colour.
    OwnAttributes on(1);
    copy.SetAttribute(on, true, false);
    EXPECT_TRUE(copy.GetOwnAttributesFlag());
    OwnAttributes asked;
    copy.GetAttribute(asked);
    EXPECT_EQ(asked.GetData(), 1u);
    copy.SetTransparency(1.0f);
    copy.SetStyle(0, false);  // solid
    copy.SetTransformation(translate_transf(SPAvector(0, 5, 0)));
    copy.Refresh(*view_);
    EXPECT_TRUE(ColorNear(At(25, 70), Rgb{0, 0, 255}, 60));
}

TEST_F(DsItemsCopyGLTest, ACopyOfACoordinateSystemHandsItsPlacementToTheViewOutsideAFastRefresh)
{
    TestGroup group;
    group.Add(RedLine(0));
    CVyrWCS* system = new CVyrWCS(SPAposition(0, 0, 0), SPAvector(1, 0, 0), SPAvector(0, 1, 0));
    {
        CDsItemsCopy copy(&group, system, nullptr);
        EXPECT_TRUE(copy.GetPlacementFlag());
        EXPECT_EQ(copy.GetCopyMode(), 5);
        copy.SetTransformation(translate_transf(SPAvector(0, 10, 0)));
        GLfloat before[16], after[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, before);
        copy.PushTransformation(view_.get());
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        EXPECT_EQ(StackDepth(), 1);
        for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(after[i], before[i]);
        EXPECT_EQ(view_->ClearModelTransform(), 1);  // the view held the placement
        copy.SetTransformation(translate_transf(SPAvector(0, 10, 0)));
        copy.PushTransformation(view_.get());
        copy.PopTransformation(view_.get());
        EXPECT_EQ(view_->ClearModelTransform(), 0);  // popped again

        // In a fast refresh the GL stack carries it as well.
        view_->SetFlag(eDsViewFlagFastRefresh, true);
        copy.PushTransformation(view_.get());
        EXPECT_EQ(StackDepth(), 2);
        copy.PopTransformation(view_.get());
        EXPECT_EQ(StackDepth(), 1);
        view_->SetFlag(eDsViewFlagFastRefresh, false);
    }
    system->lose();
}

TEST_F(DsItemsCopyGLTest, ANewCopiedGroupDropsTheListsSoNothingDangles)
{
    auto old = std::make_unique<TestGroup>();
    CDsItemPolyline3D* a = RedLine(0);
    old->Add(a);
    vyrtest::BodyPtr ea(make_block(0, 0, 0, 1, 1, 1));
    context_.AddToMap(ea.get(), a);
    CDsItemsCopy copy(old.get(), nullptr, &context_);
    copy.SetVisibility(eVisibilityMark, true, true, ea.get());
    copy.SetVisibility(eVisibilityHighlight, true, true, ea.get());
    ASSERT_EQ(copy.GetMarkList().size(), 1u);
    context_.RemoveFromMap(ea.get());

    TestGroup replacement;
    replacement.Add(RedLine(-10));
    copy.SetBody(&replacement);
    old.reset();  // the old items are gone
    EXPECT_TRUE(copy.GetMarkList().empty());
    EXPECT_TRUE(copy.GetHighlightList().empty());
    EXPECT_EQ(copy.GetBody(), &replacement);
    copy.Refresh(*view_);
    copy.DrawToFrontBuffer(*view_);
    copy.ResetAttributes(eDsResetAll);
    EXPECT_TRUE(IsRed(25, 10));
    CGmPosition low, high;
    copy.GetBox(low, high, true);
    EXPECT_NEAR(low.y(), -9.875, 1e-5);

    // Without a copied group the copy draws and answers nothing.
    copy.SetBody(nullptr);
    vyrtest::Clear(Rgb{0, 0, 0});
    copy.Refresh(*view_);
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsItemsCopyGLTest, AListedItemThatGoesLeavesTheListsOfEveryCopyAndTheNextDrawsSkipIt)
{
    TestGroup group;
    CDsItemPolyline3D *a = nullptr, *b = nullptr;
    AddShownLines(group, a, b);
    CDsItemsCopy first(&group, nullptr, &context_);
    CDsItemsCopy second(&group, nullptr, &context_);
    first.SetTransformation(translate_transf(SPAvector(0, 5, 0)));  // 20 pixels up
    first.SetVisibility(eVisibilityMark, true, true, ea_.get());
    first.SetVisibility(eVisibilityHighlight, true, true, ea_.get());
    second.SetVisibility(eVisibilityMark, true, true, ea_.get());
    second.SetVisibility(eVisibilityMark, true, true, eb_.get());
    {
        // A copy that goes first leaves nothing behind for the items it listed.
        CDsItemsCopy brief(&group, nullptr, &context_);
        brief.SetVisibility(eVisibilityHighlight, true, true, eb_.get());
    }

    // The item goes (as a face the modeler deletes): it is in no list afterwards.
    context_.RemoveFromMap(ea_.get());
    EXPECT_TRUE(group.Remove(static_cast<CDsItemBase*>(a)));
    EXPECT_TRUE(first.GetMarkList().empty());
    EXPECT_TRUE(first.GetHighlightList().empty());
    EXPECT_EQ(second.GetMarkList(), std::vector<CDsItemBase*>{b});

    // The next refresh and front-buffer draw show what is left: b again 20 pixels up, in red.
    vyrtest::Clear(Rgb{0, 0, 0});
    first.Refresh(*view_);
    first.DrawToFrontBuffer(*view_);
    EXPECT_TRUE(IsRed(25, 30));
    EXPECT_TRUE(IsBlack(25, 70));
    second.Refresh(*view_);
    const Rgb marked = At(25, 10);
    EXPECT_FALSE(ColorNear(marked, kRed, 60));
    EXPECT_FALSE(ColorNear(marked, Rgb{0, 0, 0}, 30));

    // A group that goes takes its items out of the lists as well.
    context_.RemoveFromMap(eb_.get());
    group.CleanAll();
    EXPECT_TRUE(second.GetMarkList().empty());
    vyrtest::Clear(Rgb{0, 0, 0});
    second.Refresh(*view_);
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsItemsCopyGLTest, ACopyWithoutGroupEntityContextOrViewAnswersNeutrally)
{
    CDsItemsCopy copy(nullptr, nullptr, nullptr);
    EXPECT_EQ(copy.GetCopyMode(), 5);
    EXPECT_FALSE(copy.GetPlacementFlag());
    copy.Refresh(*view_);
    copy.DrawAlone(*view_);
    copy.DrawToFrontBuffer(*view_);
    copy.Plot(*view_);
    copy.OpenGlPick(nullptr);
    copy.OpenGlPick(view_.get());
    copy.ComputeBounds2D(nullptr);
    copy.PushTransformation(nullptr);
    copy.PopTransformation(nullptr);
    EXPECT_FALSE(copy.Pick(static_cast<pick_manager*>(nullptr)));
    const pick_event event(50, 50, view_.get());
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    EXPECT_FALSE(copy.Pick(&manager));
    EXPECT_EQ(manager.get_current_level(), 0);
    CUiPickEvent uiEvent(event);
    CDsTypeMask types;
    EXPECT_EQ(copy.PickRefPoint(uiEvent, types), nullptr);
    copy.SetVisibility(eVisibilityHighlight, true, true, nullptr);
    EXPECT_TRUE(copy.GetHighlightList().empty());
    int count = 7;
    EXPECT_EQ(copy.GetTransformedEdgePolyline(count, view_.get(), nullptr), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(copy.FacesCount(), 0);
    EXPECT_EQ(copy.EdgesCount(), 0);
    EXPECT_FALSE(copy.IsStlCopy());
    EXPECT_FALSE(copy.IsPickAvailable(view_.get(), true, true));
    CGmPosition low, high;
    EXPECT_TRUE(copy.GetBox(low, high, false));
    EXPECT_GT(low.x(), high.x());  // empty
    CDsBox box;
    copy.ExpandBox(box, nullptr);
    EXPECT_TRUE(box.IsNotComputed());
    EXPECT_EQ(LitCount(), 0);
    EXPECT_EQ(StackDepth(), 1);
}

TEST(DsItemsCopy, TheNavigatorFindsACopyOfAnStlGroup)
{
    NavigatorProbe navigator;
    TestGroup group;
    vyrtest::StlPtr cube = vyrtest::MakeCube(1.0);
    group.Add(new CDsItemPolygonsStl(cube.get(), SPAtransf()));
    CDsItemsCopy copy(&group, nullptr, nullptr);
    EXPECT_TRUE(copy.IsStlCopy());
    EXPECT_EQ(navigator.GetItemForStl(&copy), &copy);
    TestGroup lamps;
    lamps.Add(new CDsItemLamp);
    copy.SetBody(&lamps);
    EXPECT_FALSE(copy.IsStlCopy());
    EXPECT_EQ(navigator.GetItemForStl(&copy), nullptr);
    vyrtest::BodyPtr block(make_block(-1, -1, -1, 1, 1, 1));
    CDsItemsCopy bodyCopy(&group, block.get(), nullptr);
    EXPECT_FALSE(bodyCopy.IsStlCopy());  // mode 0
}

// A copy moved along x of a group holding polygon leaves (an STL cube, an STL cube placed by its
// own transformation, a sphere) beside a line answers the box of where it draws them: each leaf
// through its own transformation and then through the copy's.
TEST(DsItemsCopy, TheBoxOfACopyHoldsItsPolygonLeavesWhereTheCopyDrawsThem)
{
    const SPAposition lineEnds[2] = {SPAposition(0, 0, 0), SPAposition(10, 0, 0)};
    vyrtest::StlPtr cube = vyrtest::MakeCube(10.0);
    CDsSphere sphere(10.0f);
    const std::vector<std::pair<const char*, std::function<CDsItemBase*()>>> leaves = {
        {"an STL cube", [&] { return new CDsItemPolygonsStl(cube.get(), SPAtransf()); }},
        {"an STL cube placed by its own transformation",
         [&] { return new CDsItemPolygonsStl(cube.get(), translate_transf(SPAvector(0, 5, 0))); }},
        {"a sphere", [&] { return new CDsItemQuadric(&sphere); }},
    };
    for (const auto& [name, make] : leaves) {
        SCOPED_TRACE(name);
        TestGroup group;
        group.Add(make());
        group.Add(new CDsItemPolyline3D(2, lineEnds, false, nullptr));
        CDsItemsCopy copy(&group, nullptr, nullptr);
        copy.SetTransformation(translate_transf(SPAvector(100, 0, 0)));
        CDsBox box;
        copy.ExpandBox(box, nullptr);
        ASSERT_FALSE(box.IsNotComputed());
        EXPECT_NEAR(box.GetMin()[0], 90, 1e-3);
        EXPECT_NEAR(box.GetMax()[0], 110, 1e-3);
        // The cube placed by its own transformation stands 5 higher in y.
        const double shift = std::string(name).find("own") != std::string::npos ? 5 : 0;
        EXPECT_NEAR(box.GetMin()[1], -10 + shift, 1e-3);
        EXPECT_NEAR(box.GetMax()[1], 10 + shift, 1e-3);
    }
}
