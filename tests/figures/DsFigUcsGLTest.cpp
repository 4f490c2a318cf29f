// The coordinate-system figure in a real window: the triad it defines through the generator, read
// back as pixels; an axis's own attributes kept over every redefinition and over a new UCS size;
// axis counts, copied axes and labels; bad axes and axis numbers.
#include "DsBackground.h"
#include "DsFigUcs.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemNText2D.h"
#include "DsItemsArrowFixed.h"
#include "DsItemsFigure.h"
#include "DsItemsUcs.h"
#include "DsManager.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "UiPickEvent.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 160;
const Rgb kGreen{0, 255, 0};
const Rgb kRed{255, 0, 0};

// Whether a pixel of the 3 x 3 block about (x, y) (rows up) of the front buffer has `color`.
bool Near(int x, int y, const Rgb& color, int tolerance = 40)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (ColorNear(ReadPixel(GL_FRONT, x + dx, y + dy), color, tolerance)) return true;
    return false;
}

// The pixels of the rectangle (rows up, corners included) of the front buffer near `color`.
int Count(int x0, int y0, int x1, int y1, const Rgb& color)
{
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) n += ColorNear(ReadPixel(GL_FRONT, x, y), color, 40) ? 1 : 0;
    return n;
}

// Puts the display manager's UCS size back.
struct UcsSizeGuard {
    UcsSizeGuard() : saved(CDsManager::GetInstance()->GetUcsSize()) {}
    ~UcsSizeGuard() { CDsManager::GetInstance()->SetUcsSize(saved); }
    int saved;
};

class DsFigUcsGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        CDsManager::GetInstance()->SetUcsSize(14);
        // Looking down -z at kSize x kSize model units: one unit a pixel, the model point (x, y)
        // at pixel (80 + x, 80 + y) counted up.
        view_ = std::make_unique<CDsView3dCdc>(&window_.wnd);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(*view_);
        view_->SetRenderMode(eRenderWireframe);
        const CDsColorStorage black(0, 0, 0);
        context_.GetScene()->GetBackground().SetBackground(CDsBackground(black, black, false, false));
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
    }
    void RedrawAll()
    {
        context_.GetScene()->GetDbScene().InvalidateStates();
        view_->refresh();
    }

    vyrtest::ViewStaticsGuard statics_;
    UcsSizeGuard size_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
};

}  // namespace

TEST_F(DsFigUcsGLTest, AnAxisKeepsItsOwnColourThroughEveryRedefinitionAndANewUcsSize)
{
    // At model (-20, 0): pixel (60, 80); 14 mm are 52 pixels, so the X shaft runs right along row
    // 80 and the Y shaft up column 60.
    CDsFigUcs figure(CGmPosition(-20, 0, 0), 0, "", "", nullptr, 3);
    CDsColorStorage green(0, 255, 0), red(255, 0, 0);
    figure.SetColor(green, false);
    figure.Record(true, view_.get());
    ASSERT_TRUE(figure.IsRecorded());
    RedrawAll();
    EXPECT_TRUE(Near(85, 80, kGreen));
    EXPECT_TRUE(Near(60, 105, kGreen));

    figure.SetAttributes(CDsLineAttribStorage(red, 0, 1), eDsCoordinateY);
    ASSERT_TRUE(figure.IsRecorded());
    RedrawAll();
    EXPECT_TRUE(Near(60, 105, kRed));
    EXPECT_FALSE(Near(60, 105, kGreen));
    EXPECT_TRUE(Near(85, 80, kGreen));
    EXPECT_FALSE(Near(85, 80, kRed));

    // Taken out of the scene and recorded again, the figure is defined anew: Y stays red.
    figure.Remove();
    EXPECT_EQ(figure.GetDlFigure(), nullptr);
    figure.Record(true, view_.get());
    RedrawAll();
    EXPECT_TRUE(Near(60, 105, kRed));
    EXPECT_TRUE(Near(85, 80, kGreen));

    // A new UCS size rebuilds the triad at its next draw (20 mm: 75 pixels): Y still red, now
    // reaching further up.
    CDsManager::GetInstance()->SetUcsSize(20);
    RedrawAll();
    CDsItemsUcs* triad = figure.GetUcsItem();
    ASSERT_NE(triad, nullptr);
    EXPECT_FLOAT_EQ(triad->GetSize(), 20.0f);
    EXPECT_TRUE(Near(60, 110, kRed));
    EXPECT_GT(Count(50, 140, 70, 159, kRed), 5);  // the head, beyond the 14 mm tip (row 132)
    EXPECT_EQ(Count(50, 85, 70, 159, kGreen), 0);
    EXPECT_GT(Count(114, 70, 136, 90, kGreen), 5);  // the X head, beyond the 14 mm tip (column 112)

    // No axis of that number: nothing changes.
    figure.SetAttributes(CDsLineAttribStorage(red, 0, 1), eDsCoordinateNone);
    figure.SetAttributes(CDsLineAttribStorage(red, 0, 1), static_cast<EDsCoordinate>(3));
    RedrawAll();
    EXPECT_TRUE(Near(100, 80, kGreen));
    EXPECT_FALSE(Near(100, 80, kRed));
    figure.Remove();
}

TEST_F(DsFigUcsGLTest, TheTriadTakesTheFiguresCountAxesAndLabels)
{
    // Defaults: three model axes, X, Y, Z, no origin label; null labels count as empty.
    CDsFigUcs plain(CGmPosition(0, 0, 0), 5, nullptr, nullptr, nullptr, 3);
    plain.ReDefineFig();
    CDsItemsUcs* triad = plain.GetUcsItem();
    ASSERT_NE(triad, nullptr);
    EXPECT_EQ(triad->GetAxisCount(), 3);
    EXPECT_EQ(triad->GetLabel(0)->GetText(), L"X");
    EXPECT_EQ(triad->GetLabel(2)->GetText(), L"Z");
    EXPECT_EQ(triad->GetOriginLabel(), nullptr);
    EXPECT_NEAR(triad->GetArrow(1)->GetDirection().y(), 1.0, 1e-12);

    // Two axes given by the caller, who then changes the array: the figure owns its copy.
    CGmUnitVector axes[2] = {CGmUnitVector(0, 1, 0), CGmUnitVector(-1, 0, 0)};
    CDsFigUcs two(CGmPosition(1, 2, 3), 5, CVyrString(L"UV"), CVyrString(L"O"), axes, 2);
    axes[0] = CGmUnitVector(0, 0, 1);
    two.ReDefineFig();
    triad = two.GetUcsItem();
    ASSERT_NE(triad, nullptr);
    EXPECT_EQ(two.GetAxisCount(), 2);
    EXPECT_EQ(triad->GetAxisCount(), 2);
    EXPECT_NEAR(triad->GetArrow(0)->GetDirection().y(), 1.0, 1e-12);
    EXPECT_NEAR(triad->GetArrow(1)->GetDirection().x(), -1.0, 1e-12);
    EXPECT_EQ(triad->GetLabel(1)->GetText(), L"V");
    ASSERT_NE(triad->GetOriginLabel(), nullptr);
    EXPECT_EQ(triad->GetOriginLabel()->GetText(), L"O");
    EXPECT_NEAR(triad->GetOrigin().z(), 3.0, 1e-12);
    // Z is no axis of a two-axis triad: nothing changes, nothing breaks.
    CDsColorStorage red(255, 0, 0);
    two.SetAttributes(CDsLineAttribStorage(red, 0, 1), eDsCoordinateZ);
    ASSERT_NE(two.GetUcsItem(), nullptr);
    EXPECT_EQ(two.GetUcsItem()->GetAxisCount(), 2);

    // A count below 1 reads no axes (the array is not looked at) and makes three model axes.
    CDsFigUcs none(CGmPosition(0, 0, 0), 5, "", "", axes, 0);
    none.ReDefineFig();
    ASSERT_NE(none.GetUcsItem(), nullptr);
    EXPECT_EQ(none.GetAxisCount(), 3);
    EXPECT_EQ(none.GetUcsItem()->GetAxisCount(), 3);
    EXPECT_NEAR(none.GetUcsItem()->GetArrow(0)->GetDirection().x(), 1.0, 1e-12);
    EXPECT_NEAR(none.GetUcsItem()->GetArrow(2)->GetDirection().z(), 1.0, 1e-12);
}

TEST_F(DsFigUcsGLTest, AnAxisThatIsNotFiniteDrawsNothingBadAndTheStaticsAnswerNothingPicked)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    CGmUnitVector axes[3] = {CGmUnitVector(1, 0, 0), CGmUnitVector(0, 1, 0), CGmUnitVector(0, 0, 1)};
    axes[1] = CGmUnitVector(SPAunit_vector(nan, 0, 0));
    CDsFigUcs figure(CGmPosition(-20, 0, 0), 0, "", "", axes, 3);
    CDsColorStorage green(0, 255, 0);
    figure.SetColor(green, false);
    figure.Record(true, view_.get());
    RedrawAll();
    CDsItemsUcs* triad = figure.GetUcsItem();
    ASSERT_NE(triad, nullptr);
    const CGmUnitVector& bad = triad->GetArrow(1)->GetDirection();
    EXPECT_TRUE(std::isfinite(bad.x()) && std::isfinite(bad.y()) && std::isfinite(bad.z()));
    EXPECT_TRUE(Near(85, 80, kGreen));  // the other axes still draw
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    figure.Remove();

    EXPECT_NEAR(CDsFigUcs::StGetUnitVector(eDsCoordinateY).y(), 1.0, 1e-12);
    EXPECT_NEAR(CDsFigUcs::StGetUnitVector(eDsCoordinateZ).z(), 1.0, 1e-12);
    EXPECT_TRUE(CDsFigUcs::StGetUnitVector(eDsCoordinateNone).IsZero());
    CDsPickedItem picked;
    EDsCoordinate axis = eDsCoordinateX;
    bool head = true;
    EXPECT_FALSE(CDsFigUcs::StGetPickedUcsArrow(picked, axis));
    EXPECT_FALSE(CDsFigUcs::StGetPickedPartOfUcs(picked, axis, head));
    EXPECT_FALSE(CDsFigUcs::CheckIfCoordinatePicked(CUiPickEvent(60, 80, 0, view_.get(), nullptr), axis));
    EXPECT_EQ(CDsFigUcs::StGetDlUcs(picked), nullptr);
}
