// Coordinate-system triads read back as pixels, picks and sizes: the millimetre sizes on the stand-in's
// 96-dpi device, axis counts, marker sizes and labels, labels drawn beyond the tips where the
// projection puts them (and not in a fast refresh), the axis bits of a pick, the reference system's
// answers, and the reference triad in the lower-left corner of a frame (none while plotting).
#include "DsColorStorage.h"
#include "DsFigureGenerator.h"
#include "DsGlScene.h"
#include "DsItemNText2D.h"
#include "DsItemBitmap.h"
#include "DsItemPointFixed.h"
#include "DsItemsArrowFixed.h"
#include "DsItemsFigure.h"
#include "DsItemsUcs.h"
#include "DsManager.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "ViewSetup.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include "VyrWCS.h"
#include "pick_event.h"
#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

// Puts the display manager's UCS size back.
struct UcsSizeGuard {
    UcsSizeGuard() : saved(CDsManager::GetInstance()->GetUcsSize()) {}
    ~UcsSizeGuard() { CDsManager::GetInstance()->SetUcsSize(saved); }
    int saved;
};

// The window pixel (rows up) of a model point.
void Project(const SPAposition& p, double& x, double& y)
{
    GLdouble model[16], projection[16], z = 0;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(p.x(), p.y(), p.z(), model, projection, viewport, &x, &y, &z);
}

// A core view on a framework window of kSize x kSize pixels (its device-context driver measures
// the texts), looking down -z at the origin with 0.25 model units a pixel, drawing in phase 3.
template <int kSide>
class UcsViewTest : public ::testing::Test {
protected:
    static constexpr int kSize = kSide;
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        view_ = std::make_unique<CDsView3dCdc>(&window_.wnd);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        vyrtest::ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(kSize / 4.0, kSize / 4.0).Clip(1, 100).ApplyTo(*view_);
        ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view_.get());
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        vyrtest::Clear(Rgb{0, 0, 0});
        view_->SetDrawPhase(eDsDrawPhaseOnTop);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        view_->pick_mode(0, 0, 0, 0, 0);
        view_->SetFlag(eDsViewFlagFastRefresh, false);
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
    }
    // The back buffer, RGB from the bottom row up.
    std::vector<unsigned char> Picture() const
    {
        std::vector<unsigned char> rgb(kSize * kSize * 3);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
    // The pixels of the rectangle near `color` (any lit pixel without a colour), and their mean
    // column and row.
    int Ink(int x0, int y0, int x1, int y1, double* meanX = nullptr, double* meanY = nullptr,
            const Rgb* color = nullptr) const
    {
        const auto rgb = Picture();
        int n = 0;
        double sx = 0, sy = 0;
        for (int y = std::max(0, y0); y <= std::min(kSize - 1, y1); ++y)
            for (int x = std::max(0, x0); x <= std::min(kSize - 1, x1); ++x) {
                const unsigned char* p = &rgb[static_cast<size_t>((y * kSize + x) * 3)];
                const bool lit = color ? ColorNear(Rgb{p[0], p[1], p[2]}, *color, 30) : p[0] + p[1] + p[2] > 120;
                if (!lit) continue;
                ++n;
                sx += x;
                sy += y;
            }
        if (meanX) *meanX = n ? sx / n : -1;
        if (meanY) *meanY = n ? sy / n : -1;
        return n;
    }
    int LitCount() const { return Ink(0, 0, kSize - 1, kSize - 1); }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    UcsSizeGuard size_;
};

class DsItemsUcsGLTest : public UcsViewTest<100> {
protected:
    // A triad of 14 mm at (-9.875, -9.875) (pixel (10, 10)) with the model axes.
    std::unique_ptr<CDsItemsUcs> Triad(const wchar_t* labels = L"", const wchar_t* origin = L"", int count = 3)
    {
        return std::make_unique<CDsItemsUcs>(CGmPosition(-9.875, -9.875, 0), CVyrString(labels), CVyrString(origin),
                                             nullptr, false, false, 60, 60, count);
    }
};

}  // namespace

TEST_F(DsItemsUcsGLTest, FourteenMillimetresAtNinetySixDotsAreFiftyTwoPixelsWithLabelsOfAThird)
{
    EXPECT_EQ(CDsItemsUcs::StMillimetresToPixels(14.0f, 1.0f, false, view_.get()), 52);
    EXPECT_EQ(CDsItemsUcs::StMillimetresToPixels(14.0f, 1.0f, true, nullptr), 52);
    EXPECT_EQ(CDsItemsUcs::StMillimetresToPixels(14.0f, 0.5f, false, view_.get()), 26);
    EXPECT_EQ(CDsItemsUcs::StMillimetresToPixels(0.0f, 1.0f, false, view_.get()), 0);

    auto triad = Triad();
    EXPECT_EQ(triad->GetItemType(), eDsItemsUcs);
    EXPECT_FLOAT_EQ(triad->GetSize(), 14.0f);
    EXPECT_EQ(triad->GetLength(), 52);
    EXPECT_EQ(triad->GetLabelHeight(), 17);
    ASSERT_NE(triad->GetLabel(0), nullptr);
    EXPECT_EQ(triad->GetLabel(0)->GetFont().GetHeight(), 23);
    EXPECT_EQ(triad->GetArrow(1)->GetLength(), 52);
    // Only the first arrow draws its marker.
    EXPECT_TRUE(triad->GetArrow(0)->GetArrowFlags() & CDsItemsArrowFixed::kFlagMarker);
    EXPECT_FALSE(triad->GetArrow(2)->GetArrowFlags() & CDsItemsArrowFixed::kFlagMarker);
    EXPECT_TRUE(triad->GetOnTopFlag());
}

TEST_F(DsItemsUcsGLTest, AxisCountsLabelsAndMarkersFollowTheRequest)
{
    for (int count : {0, 4, -1}) {
        auto triad = Triad(L"", L"", count);
        EXPECT_EQ(triad->GetAxisCount(), 3) << count;
        EXPECT_EQ(triad->Count(), 6) << count;
    }
    auto two = Triad(L"", L"", 2);
    EXPECT_EQ(two->Count(), 4);
    EXPECT_EQ(two->GetArrow(2), nullptr);

    auto uvw = Triad(L"UVW", L"O");
    EXPECT_EQ(uvw->GetLabel(0)->GetText(), L"U");
    EXPECT_EQ(uvw->GetLabel(1)->GetText(), L"V");
    EXPECT_EQ(uvw->GetLabel(2)->GetText(), L"W");
    ASSERT_NE(uvw->GetOriginLabel(), nullptr);
    EXPECT_EQ(uvw->GetOriginLabel()->GetText(), L"O");
    EXPECT_EQ(uvw->Count(), 7);
    EXPECT_TRUE(uvw->GetUcsFlags() & CDsItemsUcs::eUcsOriginLabel);
    auto xyz = Triad();
    EXPECT_EQ(xyz->GetLabel(0)->GetText(), L"X");
    EXPECT_EQ(xyz->GetLabel(1)->GetText(), L"Y");
    EXPECT_EQ(xyz->GetLabel(2)->GetText(), L"Z");
    EXPECT_EQ(xyz->GetOriginLabel(), nullptr);

    // Triads that follow the display manager's size: 16 mm gives markers of 11 pixels, 13 mm of 5.
    const CGmUnitVector axes[3] = {CGmUnitVector(1, 0, 0), CGmUnitVector(0, 1, 0), CGmUnitVector(0, 0, 1)};
    CDsManager::GetInstance()->SetUcsSize(16);
    CDsItemsUcs large(CGmPosition(0, 0, 0), CVyrString(), CVyrString(), axes, true, false, 60, 60, 3);
    auto* marker = dynamic_cast<CDsItemPointFixed*>(large.GetArrow(0)->Get(3));
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->GetSize(), 11);
    EXPECT_EQ(large.GetLength(), CDsItemsUcs::StMillimetresToPixels(16.0f, 1.0f, false, view_.get()));
    CDsManager::GetInstance()->SetUcsSize(13);
    CDsItemsUcs small(CGmPosition(0, 0, 0), CVyrString(), CVyrString(), axes, true, false, 60, 60, 3);
    EXPECT_EQ(dynamic_cast<CDsItemPointFixed*>(small.GetArrow(0)->Get(3))->GetSize(), 5);

    // A change of the manager's size rebuilds the triad at its next draw, labels and axes kept.
    large.GetLabel(1)->GetText();
    large.DrawGeometry(*view_);
    EXPECT_FLOAT_EQ(large.GetSize(), 13.0f);
    EXPECT_EQ(large.GetLength(), CDsItemsUcs::StMillimetresToPixels(13.0f, 1.0f, false, view_.get()));
    EXPECT_EQ(large.GetLabel(1)->GetText(), L"Y");
    EXPECT_NEAR(large.GetArrow(1)->GetDirection().y(), 1.0, 1e-9);
}

TEST_F(DsItemsUcsGLTest, LabelsStandOnTheArrowsLinesBeyondTheTipsAndNotInAFastRefresh)
{
    auto triad = Triad();
    glColor3f(1, 1, 1);
    triad->DrawGeometry(*view_);
    double ox = 0, oy = 0;
    Project(SPAposition(-9.875, -9.875, 0), ox, oy);
    // The X shaft along the origin's row, the Y shaft along its column.
    EXPECT_GT(Ink(int(ox) + 15, int(oy) - 2, int(ox) + 35, int(oy) + 2), 10);
    EXPECT_GT(Ink(int(ox) - 2, int(oy) + 15, int(ox) + 2, int(oy) + 35), 10);
    // Nothing mirrored about the middle row.
    EXPECT_EQ(Ink(int(ox) + 15, kSize - 1 - int(oy) - 2, int(ox) + 35, kSize - 1 - int(oy) + 2), 0);

    // The X label beyond the X tip, on the X line; the Y label beyond the Y tip, on the Y line.
    int lx = 0, ly = 0;
    triad->GetLabel(0)->GetPosition(lx, ly);
    EXPECT_GT(lx, ox + 52);
    EXPECT_NEAR(ly, oy, 2);
    double mx = 0, my = 0;
    EXPECT_GT(Ink(int(ox) + 56, int(oy) - 5, kSize - 1, int(oy) + 25, &mx, &my), 15);
    EXPECT_NEAR(mx, lx, 6);  // centred on its anchor
    EXPECT_GT(mx, ox + 55);
    triad->GetLabel(1)->GetPosition(lx, ly);
    EXPECT_NEAR(lx, ox, 2);
    EXPECT_GT(ly, oy + 52);
    EXPECT_GT(Ink(int(ox) - 10, int(oy) + 56, int(ox) + 10, kSize - 1, &mx, &my), 15);
    EXPECT_NEAR(mx, ox, 6);

    // In a fast refresh the arrows draw, the labels do not.
    vyrtest::Clear(Rgb{0, 0, 0});
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    triad->DrawGeometry(*view_);
    EXPECT_GT(Ink(int(ox) + 15, int(oy) - 2, int(ox) + 35, int(oy) + 2), 10);
    EXPECT_EQ(Ink(int(ox) + 56, int(oy) - 5, kSize - 1, int(oy) + 25), 0);
    EXPECT_EQ(Ink(int(ox) - 10, int(oy) + 56, int(ox) + 10, kSize - 1), 0);

    // Outside the on-top and plot phases nothing is drawn.
    vyrtest::Clear(Rgb{0, 0, 0});
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    view_->SetDrawPhase(eDsDrawPhaseOpaque);
    triad->DrawGeometry(*view_);
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsItemsUcsGLTest, APickOnTheSecondShaftSetsItsBitAndLeavesTheHeadBitClear)
{
    auto triad = Triad();
    triad->DrawGeometry(*view_);
    double ox = 0, oy = 0;
    Project(SPAposition(-9.875, -9.875, 0), ox, oy);
    // The Y shaft runs from 5 to 28 pixels above the origin, the head from 28 to 52.
    const int shaftDown = kSize - 1 - (int(oy) + 18);
    view_->pick_mode(1, int(ox), shaftDown, 5, 5);
    const pick_event onShaft(int(ox), shaftDown, view_.get());
    pick_manager manager(pick_method_point, 0, nullptr, &onShaft, nullptr);
    manager.push_level(triad.get(), nullptr);
    EXPECT_TRUE(triad->Pick(&manager));
    EXPECT_TRUE(triad->GetUcsFlags() & 0x40);  // bit 6: axis 2
    EXPECT_FALSE(triad->GetUcsFlags() & 0x10);  // bit 4: no head
    EXPECT_FALSE(triad->GetAxisPicked(0));
    EXPECT_TRUE(triad->GetAxisPicked(1));
    EXPECT_TRUE(triad->Pick(view_.get()));
    EXPECT_EQ(triad->DrawPoints(*view_, 0x80000), 0x80000);
    EXPECT_EQ(triad->DrawPoints(*view_, 0x40000), 0);

    const int headDown = kSize - 1 - (int(oy) + 45);
    view_->pick_mode(1, int(ox), headDown, 5, 5);
    const pick_event onHead(int(ox), headDown, view_.get());
    pick_manager headManager(pick_method_point, 0, nullptr, &onHead, nullptr);
    headManager.push_level(triad.get(), nullptr);
    EXPECT_TRUE(triad->Pick(&headManager));
    EXPECT_TRUE(triad->GetUcsFlags() & 0x10);
    EXPECT_TRUE(triad->GetAxisPicked(1));

    // Away from every arrow: no pick, and the bits of the last one cleared.
    view_->pick_mode(1, 90, 10, 5, 5);
    const pick_event away(90, 10, view_.get());
    pick_manager awayManager(pick_method_point, 0, nullptr, &away, nullptr);
    EXPECT_FALSE(triad->Pick(&awayManager));
    EXPECT_FALSE(triad->GetAxisPicked(1));
    EXPECT_FALSE(triad->GetUcsFlags() & 0x10);
    EXPECT_FALSE(triad->Pick(view_.get()));
    // Outside pick mode the view pick answers true.
    view_->pick_mode(0, 0, 0, 0, 0);
    EXPECT_TRUE(triad->Pick(view_.get()));
    EXPECT_FALSE(triad->Pick(static_cast<pick_manager*>(nullptr)));
}

TEST_F(DsItemsUcsGLTest, TheOriginAndTheTipsAreTheTriadsPoints)
{
    auto triad = Triad();
    SPAposition p;
    ASSERT_TRUE(triad->GetPoint(CDsGeometry::ePpPoint, p));
    EXPECT_NEAR(p.x(), -9.875, 1e-9);
    ASSERT_TRUE(triad->GetPoint(static_cast<CDsGeometry::eParameterPoints>(0x80), p));
    EXPECT_NEAR(p.y(), -9.875 + 52 * 0.25, 1e-6);  // 52 pixels of 0.25 units up
    EXPECT_FALSE(triad->GetPoint(CDsGeometry::ePpStart, p));
    triad->Transform(translate_transf(SPAvector(1, 2, 3)));
    ASSERT_TRUE(triad->GetPoint(CDsGeometry::ePpPoint, p));
    EXPECT_NEAR(p.z(), 3, 1e-9);
    SPAbox box;
    ASSERT_TRUE(triad->GetBoundBox(box));
    EXPECT_NEAR(box.low().x(), -8.875, 1e-9);
}

TEST_F(DsItemsUcsGLTest, TheGeneratorMakesATriadThatFollowsTheManagersSize)
{
    CDsManager::GetInstance()->SetUcsSize(16);
    CDsFigureGenerator generator(nullptr);
    generator.DrawUcs(CGmPosition(0, 0, 0), 99, "ABC", "", nullptr, 2);
    std::unique_ptr<CDsItemsFigure> root(generator.DisplayList(nullptr));
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->Count(), 1);
    auto* triad = dynamic_cast<CDsItemsUcs*>(root->Get(0));
    ASSERT_NE(triad, nullptr);
    EXPECT_EQ(triad->GetAxisCount(), 2);
    EXPECT_FLOAT_EQ(triad->GetSize(), 16.0f);
    EXPECT_TRUE(triad->GetUcsFlags() & CDsItemsUcs::eUcsFollowManager);
    EXPECT_EQ(triad->GetLabel(1)->GetText(), L"B");
}

TEST(DsItemsUcsReference, KeepsAndAnswersItsSystem)
{
    CDsItemsUcsReference reference;
    EXPECT_EQ(reference.GetItemType(), eDsItemsUcsReference);
    EXPECT_EQ(reference.GetColor().GetValue(), CDsColorStorage(150, 150, 150).GetValue());
    EXPECT_EQ(reference.GetWidth(), 1);
    SPAposition origin(7, 8, 9);
    reference.GetReferenceUcs(nullptr, origin);  // null axes: nothing at all
    EXPECT_EQ(origin.x(), 7);

    CVyrWCS* system = new CVyrWCS(SPAposition(1, 2, 3), SPAvector(0, 1, 0), SPAvector(-1, 0, 0));
    reference.SetReferenceUcs(system);
    CGmUnitVector axes[3];
    reference.GetReferenceUcs(axes, origin);
    EXPECT_NEAR(origin.x(), 1, 1e-12);
    EXPECT_NEAR(axes[0].y(), 1, 1e-12);
    EXPECT_NEAR(axes[1].x(), -1, 1e-12);
    EXPECT_NEAR(axes[2].z(), 1, 1e-12);
    // The reference X is the model Y.
    SPAunit_vector v(1, 0, 0);
    reference.TransformToReferenceUcs(v);
    EXPECT_NEAR(v.y(), 1, 1e-12);
    system->lose();

    reference.SetReferenceUcs(nullptr);
    reference.GetReferenceUcs(axes, origin);
    EXPECT_NEAR(axes[0].x(), 1, 1e-12);
    EXPECT_EQ(origin.x(), 0);
}

// --- The reference triad in a frame ---------------------------------------------------------------

using ReferenceTriadGLTest = UcsViewTest<240>;

TEST_F(ReferenceTriadGLTest, DrawsInTheBackgroundColourXor808080InTheLowerLeftCornerAndNotWhilePlotting)
{
    CDsGlScene* scene = context_.GetScene();
    ASSERT_NE(scene, nullptr);
    ASSERT_NE(scene->GetReferenceUcs(), nullptr);
    const uint32_t background = scene->GetBackground().GetBackgroundColor().GetValue();
    const CDsColorStorage expected(background ^ 0x808080u);
    const Rgb ink{expected.GetRed(), expected.GetGreen(), expected.GetBlue()};
    vyrtest::Clear(Rgb{uint8_t(background & 0xFF), uint8_t((background >> 8) & 0xFF), uint8_t((background >> 16) & 0xFF)});

    view_->SetDrawPhase(eDsDrawPhasePlot);
    scene->DrawReferenceUcs(view_.get());
    // The origin 1.5 x 52 = 78 pixels from the lower-left corner; X to the right, Y up.
    const int s = 78;
    EXPECT_GT(Ink(s + 10, s - 2, s + 40, s + 2, nullptr, nullptr, &ink), 10);
    EXPECT_GT(Ink(s - 2, s + 10, s + 2, s + 40, nullptr, nullptr, &ink), 10);
    EXPECT_EQ(Ink(s + 10, kSize - s - 2, s + 40, kSize - s + 2, nullptr, nullptr, &ink), 0);  // not mirrored
    // The labels beyond the tips.
    EXPECT_GT(Ink(s + 56, s - 4, s + 85, s + 22, nullptr, nullptr, &ink), 5);
    EXPECT_GT(Ink(s - 10, s + 56, s + 10, s + 85, nullptr, nullptr, &ink), 5);
    // The model view is as it was.
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);

    // Nothing while plotting.
    vyrtest::Clear(Rgb{uint8_t(background & 0xFF), uint8_t((background >> 8) & 0xFF), uint8_t((background >> 16) & 0xFF)});
    CDsView3dCdc::sPlotMode = static_cast<EPlotMode>(1);
    scene->DrawReferenceUcs(view_.get());
    CDsView3dCdc::sPlotMode = static_cast<EPlotMode>(0);
    EXPECT_EQ(Ink(0, 0, kSize - 1, kSize - 1, nullptr, nullptr, &ink), 0);
}

TEST_F(ReferenceTriadGLTest, TheViewAnswersTheReferenceSystemOfItsScene)
{
    CVyrWCS* system = new CVyrWCS(SPAposition(4, 5, 6), SPAvector(1, 0, 0), SPAvector(0, 1, 0));
    context_.GetScene()->GetReferenceUcs()->SetReferenceUcs(system);
    CGmUnitVector axes[3];
    SPAposition origin;
    view_->GetReferenceUcs(axes, origin);
    EXPECT_NEAR(origin.y(), 5, 1e-12);
    system->lose();
}
