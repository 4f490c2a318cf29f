// Entities of the application's entity base shown through the rendering context: the figure their
// figure operation defines becomes a figure group of the context, bound to the entity, that draws
// in the entity's pen colour; removing the entity takes it away.
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsFigure.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "VyrEntBase.h"
#include "VyrFigureGenerator.h"
#include "VyrPoint.h"
#include "rgb_color.h"

#include "../context/ViewStaticsGuard.h"
#include "../context/ViewWindow.h"

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
