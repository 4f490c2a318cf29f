// Two views of one rendering context (two viewports of one document): each keeps its own
// locations and its own mark of the changes it has drawn, so an item's change reaches every view
// at its next refresh, whichever view draws first, while a view not yet refreshed keeps its
// picture. Pixels are read from each view's own front buffer, with that view's OpenGL context
// made current (a refresh hands OpenGL back to the view that was current before it).
#include "DsAttributes.h"
#include "DsGeometry.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsPartStorage.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include "SpaValues.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr unsigned char kLineType = 210;  // a leaf type (the table's default category)
constexpr int kSize = 100;

// A horizontal line across the window at model height y (the views show -50..50), with a thin
// quad behind it so that shaded frames draw it too.
class CBand : public CDsGeometry {
public:
    explicit CBand(double y) : m_y(y) { SetSize(100.0f); }
    CDsGeometry* Clone() const override { return new CBand(m_y); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox& box, int) const override
    {
        box = SPAbox(SPAposition(-50, m_y - 1, 0), SPAposition(50, m_y + 1, 0));
        return true;
    }
    bool HasBoundBox(int) const override { return true; }
    int GetDrawPrimitives(int) const override { return eDpLines | eDpFaces; }
    int Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { return 0; }
    void DrawGl(view3d&, eDrawPrimitives kind, int, int, const CDsDrawContext*) override
    {
        if (kind == eDpLines) {
            glBegin(GL_LINES);
            glVertex3d(-50, m_y, 0);
            glVertex3d(50, m_y, 0);
            glEnd();
        } else if (kind == eDpFaces) {
            glBegin(GL_QUADS);
            glNormal3d(0, 0, 1);
            glVertex3d(-50, m_y - 1, -1);
            glVertex3d(50, m_y - 1, -1);
            glVertex3d(50, m_y + 1, -1);
            glVertex3d(-50, m_y + 1, -1);
            glEnd();
        }
    }
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints, SPAposition&, int) const override { return false; }

private:
    double m_y;
};

const Rgb kRed{255, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kBlack{0, 0, 0};

class DsGlContextTwoViewsGLTest : public ::testing::TestWithParam<ERenderMode> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        for (int i = 0; i < 2; ++i) {
            views_[i] = std::make_unique<CDsView3dCdc>(&windows_[i]->wnd);
            views_[i]->SetGlContext(&context_);
            context_.add_view(views_[i].get());
            ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(
                *views_[i]);
            views_[i]->SetRenderMode(GetParam());
        }
        context_.GetScene()->GetLightList()->SetAmbientLight(1.0f);  // shaded colours as they are
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        for (auto& view : views_) view.reset();
        for (int id : items_) CDsPartStorage::instance()->RemoveItem(CVyrObjectId(Peer(), id), nullptr);
        wglMakeCurrent(nullptr, nullptr);
    }

    int Peer() { return context_.GetScene()->GetDbScene().GetPeerPartId(); }
    // A band item `id` at model height y in `color` (0x00BBGGRR), reported as a change.
    void AddBand(int id, double y, unsigned color)
    {
        CDsAttributes look;
        look.SetColor(color);
        ASSERT_TRUE(CDsPartStorage::instance()->AddItem(CVyrObjectId(Peer(), id), kLineType, new CBand(y), nullptr,
                                                        &look, nullptr, nullptr, true));
        items_.push_back(id);
    }
    void Recolor(int id, unsigned color)
    {
        CDsAttributes look;
        look.SetColor(color);
        ASSERT_TRUE(CDsPartStorage::instance()->UpdateAttributes(CVyrObjectId(Peer(), id), look, nullptr));
    }
    // The window row of model height y.
    static int Row(double y) { return kSize / 2 + static_cast<int>(y); }
    // Whether view `v` shows `color` on the row of model height y (or the row below, where a line
    // on a pixel boundary lands), read from its own front buffer.
    bool Shows(int v, double y, const Rgb& color) { return Shows(*views_[v], y, color); }
    bool Shows(CDsView3dCdc& view, double y, const Rgb& color)
    {
        EXPECT_TRUE(context_.MakeCurrent(&view));
        glFinish();
        for (int row = Row(y) - 1; row <= Row(y); ++row)
            for (int x = 10; x <= 90; x += 4)
                if (ColorNear(ReadPixel(GL_FRONT, x, row), color, 60)) return true;
        return false;
    }

    vyrtest::ViewStaticsGuard statics_;
    std::array<std::unique_ptr<vyrtest::FrameworkWindow>, 2> windows_{
        std::make_unique<vyrtest::FrameworkWindow>(kSize, kSize),
        std::make_unique<vyrtest::FrameworkWindow>(kSize, kSize)};
    CDsGlContext context_;
    std::array<std::unique_ptr<CDsView3dCdc>, 2> views_;
    std::vector<int> items_;
};

}  // namespace

TEST_P(DsGlContextTwoViewsGLTest, AnItemsChangeReachesEachViewAtItsOwnRefreshWhicheverDrawsFirst)
{
    AddBand(1, 10, 0x0000FF);  // red
    views_[0]->refresh();
    views_[1]->refresh();
    // The view that drew first still shows its picture after the other one drew.
    for (int v : {0, 1}) EXPECT_TRUE(Shows(v, 10, kRed)) << "first frame, view " << v;

    // A change of the item's colour, drawn by view 0 only: view 1 keeps its picture until its
    // own refresh, which must not take the change as seen because view 0 drew it.
    Recolor(1, 0x00FF00);  // green
    views_[0]->refresh();
    EXPECT_TRUE(Shows(0, 10, kGreen));
    EXPECT_TRUE(Shows(1, 10, kRed));
    views_[1]->refresh();
    EXPECT_TRUE(Shows(1, 10, kGreen));
    EXPECT_TRUE(Shows(0, 10, kGreen));

    // The other order: view 1 draws the change first.
    Recolor(1, 0xFF0000);  // blue
    views_[1]->refresh();
    views_[0]->refresh();
    for (int v : {0, 1}) {
        EXPECT_TRUE(Shows(v, 10, kBlue)) << "view " << v;
        EXPECT_FALSE(Shows(v, 10, kGreen)) << "view " << v;
    }

    // An item added and then another removed: each view shows the new one and loses the old one.
    AddBand(2, -20, 0x0000FF);
    views_[1]->refresh();
    views_[0]->refresh();
    for (int v : {0, 1}) EXPECT_TRUE(Shows(v, -20, kRed)) << "added, view " << v;
    ASSERT_TRUE(CDsPartStorage::instance()->RemoveItem(CVyrObjectId(Peer(), 1), nullptr));
    items_ = {2};
    views_[0]->refresh();
    views_[1]->refresh();
    for (int v : {0, 1}) {
        EXPECT_FALSE(Shows(v, 10, kBlue)) << "removed, view " << v;
        EXPECT_TRUE(Shows(v, 10, kBlack)) << "removed, view " << v;
        EXPECT_TRUE(Shows(v, -20, kRed)) << "kept, view " << v;
    }

    // Nothing changed: another refresh of each keeps both pictures.
    views_[0]->refresh();
    views_[1]->refresh();
    for (int v : {0, 1}) EXPECT_TRUE(Shows(v, -20, kRed)) << "unchanged, view " << v;
}

TEST_P(DsGlContextTwoViewsGLTest, ARefreshOfOneViewHandsOpenGlBackToTheCurrentView)
{
    AddBand(1, 10, 0x0000FF);
    CDsView3dCdc::StSetCurrent(views_[1].get(), false);
    views_[0]->refresh();
    // The host's current view (and its OpenGL context) is as it was: what it draws next goes
    // into its own window, not into the view that was just refreshed.
    EXPECT_EQ(CDsView3dCdc::sCurrentView, views_[1].get());
    EXPECT_EQ(wglGetCurrentContext(), vyrtest::ContextOf(*views_[1]));
    EXPECT_TRUE(Shows(0, 10, kRed));
    EXPECT_FALSE(Shows(1, 10, kRed));  // not drawn yet
    views_[1]->refresh();
    EXPECT_TRUE(Shows(1, 10, kRed));
}

TEST_P(DsGlContextTwoViewsGLTest, AViewAddedAfterTheOtherDrewShowsEverythingAtItsFirstFrame)
{
    // A third viewport opened on the document once the others have drawn and seen every change.
    AddBand(1, 10, 0x0000FF);
    views_[0]->refresh();
    views_[1]->refresh();
    vyrtest::FrameworkWindow window(kSize, kSize);
    auto late = std::make_unique<CDsView3dCdc>(&window.wnd);
    late->SetGlContext(&context_);
    context_.add_view(late.get());
    ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(*late);
    late->SetRenderMode(GetParam());
    late->refresh();
    EXPECT_TRUE(Shows(*late, 10, kRed));
    late.reset();
    for (int v : {0, 1}) EXPECT_TRUE(Shows(v, 10, kRed)) << "view " << v;
}

INSTANTIATE_TEST_SUITE_P(RenderModes, DsGlContextTwoViewsGLTest, ::testing::Values(eRenderWireframe, eRenderShade));
