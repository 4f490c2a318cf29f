// Entities of the application's entity base shown through the rendering context: the figure their
// figure operation defines becomes a figure group of the context, bound to the entity, that draws
// in the entity's pen colour and moves by the context's transform; removing the entity takes it
// away. A figure finds the figure group that names it.
#include "DsGlContext.h"
#include "DsFigure.h"
#include "DsGlScene.h"
#include "DsItemsFigure.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "VyrEntBase.h"
#include "VyrFigureGenerator.h"
#include "VyrPoint.h"
#include "rgb_color.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include "DsColorStorage.h"
#include "EntityDeleter.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <memory>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;

// An entity that shows itself as a green horizontal line at y = 20 from x = -40 to 40.
class CLineEntity : public CVyrEntBase {
public:
    void DefineFig(CVyrFigureGenerator& generator) const override
    {
        ++defines;
        generator.SetPenColor(CDsColorStorage(0, 255, 0));
        generator.MoveTo(CGmPosition(-40, 20, 0));
        generator.DrawTo(CGmPosition(40, 20, 0));
    }
    mutable int defines = 0;
};

// A figure with nothing to show, only to be named by a group.
class CFigureOfGroup : public CDsFigure {
public:
    int DefineFig(CDsFigureGenerator&) override { return 0; }
};

class DsGlContextFiguresGLTest : public ::testing::Test {
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

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
};

}  // namespace

TEST_F(DsGlContextFiguresGLTest, AnEntityOfTheEntityBaseShowsTheFigureItsFigureOperationDefines)
{
    vyrtest::EntityPtr entity(new CLineEntity);
    auto* line = static_cast<CLineEntity*>(entity.get());
    context_.add(entity.get());
    EXPECT_EQ(line->defines, 1);
    auto* group = dynamic_cast<CDsItemsFigure*>(context_.FindDsItem(entity.get()));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetEntity(), entity.get());
    EXPECT_EQ(group->GetGlContext(), &context_);
    EXPECT_EQ(group->Count(), 1);
    CDsItemsGroup* figures = context_.GetScene()->GetRootGroup(CDsGlScene::eRootFigures);
    ASSERT_EQ(figures->Count(), 1);
    EXPECT_EQ(figures->Get(0), group);

    // Shown already: a second add defines nothing more.
    context_.add(entity.get());
    EXPECT_EQ(line->defines, 1);
    EXPECT_EQ(figures->Count(), 1);

    // The group draws the line in the entity's pen colour.
    view_->refresh();
    context_.ExecuteToFrontBuffer(group, view_.get(), rgb_color(), 0, eGlDrawingPhaseStart);
    context_.ExecuteToFrontBuffer(nullptr, view_.get(), rgb_color(), 0, eGlDrawingPhaseEnd);
    int lit = 0;
    for (int x = 20; x <= 80; x += 10)
        for (int y = 68; y <= 71; ++y) lit += ColorNear(ReadPixel(GL_FRONT, x, y), Rgb{0, 255, 0}, 60) ? 1 : 0;
    EXPECT_GE(lit, 7);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 50, 30), Rgb{0, 0, 0}, 20));

    // Removed: the group leaves the map and the scene.
    context_.remove(entity.get());
    EXPECT_EQ(context_.FindDsItem(entity.get()), nullptr);
    EXPECT_EQ(figures->Count(), 0);
}

TEST_F(DsGlContextFiguresGLTest, OtherEntitiesOfTheExtensionAreNotShownAsFigures)
{
    vyrtest::EntityPtr point(new CVyrPoint(SPAposition(1, 2, 3)));
    EXPECT_EQ(context_.CreateGLEntListFromEntity(point.get()), nullptr);
    EXPECT_EQ(context_.CreateGLEntListFromEntity(nullptr), nullptr);
    context_.add(point.get());
    EXPECT_EQ(context_.FindDsItem(point.get()), nullptr);
    EXPECT_EQ(context_.GetScene()->GetRootGroup(CDsGlScene::eRootFigures)->Count(), 0);
}

TEST_F(DsGlContextFiguresGLTest, AnEntitysFigureGroupMovesByTheContextsTransformAndFiguresFindTheirGroups)
{
    vyrtest::EntityPtr entity(new CLineEntity);
    context_.add(entity.get());
    auto* group = dynamic_cast<CDsItemsFigure*>(context_.FindDsItem(entity.get()));
    ASSERT_NE(group, nullptr);
    // Green pixels of the line's row (y counted up) when the group is drawn into the front buffer.
    const auto lineOnRow = [&](int row) {
        view_->refresh();
        context_.ExecuteToFrontBuffer(group, view_.get(), rgb_color(), 0, eGlDrawingPhaseStart);
        context_.ExecuteToFrontBuffer(nullptr, view_.get(), rgb_color(), 0, eGlDrawingPhaseEnd);
        int lit = 0;
        for (int x = 20; x <= 80; x += 10)
            for (int y = row - 1; y <= row + 1; ++y) lit += ColorNear(ReadPixel(GL_FRONT, x, y), Rgb{0, 255, 0}, 60);
        return lit;
    };
    ASSERT_GE(lineOnRow(70), 7);

    // Moved 40 units down: the line is drawn at y = -20, and the views draw their whole picture.
    context_.GetScene()->SetDisplayModeFlag(15, true);
    context_.Transform(entity.get(), CGmTransformation(translate_transf(SPAvector(0, -40, 0))));
    EXPECT_FALSE(context_.Get(static_cast<EDsDocumentFlag>(15)));
    EXPECT_GE(lineOnRow(30), 7);
    EXPECT_EQ(lineOnRow(70), 0);

    // Nothing shown for the entity: nothing moves and the flag stays.
    context_.GetScene()->SetDisplayModeFlag(15, true);
    vyrtest::EntityPtr unshown(new CLineEntity);
    context_.Transform(unshown.get(), CGmTransformation(translate_transf(SPAvector(0, 40, 0))));
    EXPECT_TRUE(context_.Get(static_cast<EDsDocumentFlag>(15)));
    context_.remove(entity.get());

    // A figure finds the group of the figures group that names it, and only there.
    CFigureOfGroup figure, other;
    auto* own = new CDsItemsFigure;
    own->SetFigure(&figure);
    context_.Record(own);
    EXPECT_EQ(context_.FindDsItems(&figure), own);
    EXPECT_EQ(context_.FindDsItems(&other), nullptr);
    EXPECT_EQ(context_.FindDsItems(static_cast<CDsFigure*>(nullptr)), nullptr);
    context_.Remove(own);
    context_.Set(static_cast<EDsDocumentFlag>(7), false);  // filed unsorted: not a figure of the figures group
    context_.Record(own);
    EXPECT_EQ(context_.FindDsItems(&figure), nullptr);
    context_.Remove(own);
    own->SetFigure(nullptr);
    delete own;
}
