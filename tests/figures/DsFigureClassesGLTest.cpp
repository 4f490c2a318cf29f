// The concrete figures in a real window: the reference plane's grid and its translucent fill in
// mixed mode (blended once, seen from either side), a circle's ring, the arrow's head pick
// (aperture and pick mode given back), point offsets in pixels, the text figures' heights,
// bounding rectangles and picked text items, and text sizes.
#include "DsBackground.h"
#include "DsFigArrow3DFixed.h"
#include "DsFigPoint3D.h"
#include "DsFigPoly3D.h"
#include "DsFigReferencePlane.h"
#include "DsFigText3D.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemNText3D.h"
#include "DsItemsFigure.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "UiPickEvent.h"
#include "pick_event.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

constexpr int kSize = 100;

// Whether a pixel of the 3 x 3 block about (x, y) of the front buffer has `color`.
bool Near(int x, int y, const Rgb& color, int tolerance = 40)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (ColorNear(ReadPixel(GL_FRONT, x + dx, y + dy), color, tolerance)) return true;
    return false;
}

class DsFigureClassesGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        get_pick_aperture(apertureW_, apertureH_);
        // Looking down -z at a field of `field` x `field` model units around the origin.
        view_ = std::make_unique<CDsView3dCdc>(&window_.wnd);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        Field(kSize);
        view_->SetRenderMode(eRenderWireframe);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        set_pick_aperture(apertureW_, apertureH_);
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
    }
    // A field of `units` model units across the 100-pixel window.
    void Field(double units)
    {
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(units, units).Clip(1, 100).ApplyTo(*view_);
    }
    void SetBackground(const CDsColorStorage& color)
    {
        context_.GetScene()->GetBackground().SetBackground(CDsBackground(color, color, false, false));
    }
    void RedrawAll()
    {
        context_.GetScene()->GetDbScene().InvalidateStates();
        view_->refresh();
    }
    // Pixel (x, y) of the whole scene redrawn over a plain `background`.
    Rgb PixelOver(const CDsColorStorage& background, int x, int y)
    {
        SetBackground(background);
        RedrawAll();
        return ReadPixel(GL_FRONT, x, y);
    }
    // Checks that the translucent surface at (x, y), of opacity `alphaByte` / 255, is blended once
    // over the picture. Over black the pixel is the lit surface's share alone, whatever the lights
    // make of its colour; over pure blue, one blend adds the background's share 255 x (1 - alpha)
    // to the blue channel and nothing to red and green (a second blend would leave (1 - alpha)^2
    // of the blue and add the surface's share again).
    void ExpectBlendedOnce(int x, int y, int alphaByte)
    {
        const Rgb overBlack = PixelOver(CDsColorStorage(0, 0, 0), x, y);
        const Rgb overBlue = PixelOver(CDsColorStorage(0, 0, 255), x, y);
        const double alpha = alphaByte / 255.0;
        const Rgb expected{overBlack.r, overBlack.g, int(std::lround(overBlack.b + 255.0 * (1.0 - alpha)))};
        EXPECT_TRUE(ColorNear(overBlue, expected, 3))
            << "over blue " << overBlue << ", expected " << expected << " (opacity " << alphaByte << "/255)";
    }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    int apertureW_ = 0;
    int apertureH_ = 0;
};

}  // namespace

TEST_F(DsFigureClassesGLTest, AReferencePlaneDrawsItsGridRedEveryFifthLineAndItsFillBlendsOverTheBackground)
{
    SetBackground(CDsColorStorage(0, 0, 0));
    // 80 x 80 around the origin, spacing 10: lines every 10 pixels, the one through the middle red.
    CDsFigReferencePlane grid(CUiPlanePositionMapper(), 80.0, 80.0, true, false);
    grid.Record(true, view_.get());
    ASSERT_TRUE(grid.IsRecorded());
    RedrawAll();
    const Rgb red{255, 0, 0}, grey{127, 127, 127};
    EXPECT_TRUE(Near(50, 75, red));
    EXPECT_TRUE(Near(75, 50, red));
    EXPECT_TRUE(Near(60, 75, grey));
    EXPECT_TRUE(Near(75, 80, grey));
    EXPECT_FALSE(Near(55, 75, red) || Near(55, 75, grey));  // between two lines: background
    EXPECT_FALSE(Near(95, 95, grey));                      // outside the plane
    grid.Remove();

    // The fill alone over a blue background, in mixed mode: one light grey quad of opacity 25/255.
    SetBackground(CDsColorStorage(0, 0, 255));
    view_->SetRenderMode(eRenderMixed);
    CDsFigReferencePlane fill(CUiPlanePositionMapper(), 80.0, 80.0, false, true);
    fill.Record(true, view_.get());
    RedrawAll();
    ASSERT_EQ(fill.GetDlFigure()->Count(), 1);
    CDsItemBase* quad = fill.GetDlFigure()->Get(0);
    EXPECT_EQ(quad->GetColor().GetValue() & 0xFFFFFFu, 0xB3B3B3u);
    ASSERT_NE(quad->GetAttributes(), nullptr);
    EXPECT_EQ(quad->GetAttributes()->GetTransparencyByte(), 25);
    // Shaded, the grey is lit; blended at 25/255 it tints the blue a little: blue stays well above
    // the grey's share, red and green rise above 0, and outside the plane the background is pure.
    const Rgb thin = ReadPixel(GL_FRONT, 50, 50);
    EXPECT_GT(thin.r, 2);
    EXPECT_EQ(thin.r, thin.g);
    EXPECT_GT(thin.b, 180);
    EXPECT_LT(thin.b, 250);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 95, 95), Rgb{0, 0, 255}, 6));
    // Exactly one blend at the opacity the quad sends, not one per transparent walk.
    ExpectBlendedOnce(50, 50, quad->GetAttributes()->GetTransparencyByte());
    SetBackground(CDsColorStorage(0, 0, 255));

    // More opaque: nearer the grey.
    fill.SetTransparency(0.8f);
    EXPECT_EQ(fill.GetLineAttributes().GetTransparencyByte(), 204);
    RedrawAll();
    const Rgb dense = ReadPixel(GL_FRONT, 50, 50);
    EXPECT_GT(dense.r, thin.r + 10);
    // (The lit grey is light: with the fill's normal taken from its winding, the quad faces the
    // eye and is lit, so blue falls by a little less than the unlit grey made it fall.)
    EXPECT_LT(dense.b, thin.b - 50);
    ExpectBlendedOnce(50, 50, fill.GetDlFigure()->Get(0)->GetAttributes()->GetTransparencyByte());

    // Seen from below, the quad's other side blends once too.
    ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, -50)).Field(kSize, kSize).Clip(1, 100).ApplyTo(*view_);
    ExpectBlendedOnce(50, 50, 204);
}

TEST_F(DsFigureClassesGLTest, ACircleFigureDrawsARingOfThePenColourAtItsRadius)
{
    SetBackground(CDsColorStorage(0, 0, 0));
    CDsFigCircle3D circle(CGmPosition(0, 0, 0), 30.0, CGmTransformation());
    circle.SetColor(CDsColorStorage(0, 255, 0), false);
    circle.Record(true, view_.get());
    RedrawAll();
    const Rgb green{0, 255, 0};
    EXPECT_TRUE(Near(80, 50, green));
    EXPECT_TRUE(Near(20, 50, green));
    EXPECT_TRUE(Near(50, 80, green));
    EXPECT_TRUE(Near(50, 20, green));
    EXPECT_TRUE(Near(50 + 21, 50 + 21, green));  // 45 degrees on
    EXPECT_FALSE(Near(50, 50, green));
    EXPECT_FALSE(Near(50, 65, green));
}

TEST_F(DsFigureClassesGLTest, AnArrowsHeadIsPickedAtItsPixelAndNotBesideItAndThePickStateIsGivenBack)
{
    // 40 pixels along +x from the origin: the head's apex at column 90, its base at about 72.
    CDsFigArrow3DFixed arrow(CGmPosition(0, 0, 0), CGmVector(1, 0, 0), 40, 0);
    arrow.ReDefineFig();
    set_pick_aperture(7, 9);
    ASSERT_EQ(view_->get_pick_mode(), 0);

    const CUiPickEvent onHead(85, 49, 0, view_.get(), nullptr);
    const CUiPickEvent beside(85, 29, 0, view_.get(), nullptr);
    const CUiPickEvent onShaft(65, 49, 0, view_.get(), nullptr);
    EXPECT_TRUE(arrow.HeadIsPicked(onHead, 5, 5));
    EXPECT_FALSE(arrow.HeadIsPicked(beside, 5, 5));
    EXPECT_FALSE(arrow.HeadIsPicked(onShaft, 5, 5));
    EXPECT_TRUE(arrow.BodyIsPicked(onShaft, 5, -1));
    EXPECT_FALSE(arrow.BodyIsPicked(beside, 5, -1));
    int w = 0, h = 0;
    get_pick_aperture(w, h);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 9);
    EXPECT_EQ(view_->get_pick_mode(), 0);

    // Both -1 keep the process-wide aperture; a view already in pick mode gets its region back.
    EXPECT_TRUE(arrow.HeadIsPicked(onHead, -1, -1));
    view_->pick_mode(1, 10, 12, 3, 4);
    EXPECT_TRUE(arrow.HeadIsPicked(onHead, 5, 5));
    int cx = 0, cy = 0, vw = 0, vh = 0;
    view_->get_pick_aperture(cx, cy, vw, vh);
    EXPECT_EQ(view_->get_pick_mode(), 1);
    EXPECT_EQ(cx, 10);
    EXPECT_EQ(cy, 12);
    EXPECT_EQ(vw, 3);
    EXPECT_EQ(vh, 4);
    view_->pick_mode(0, 0, 0, 0, 0);
    get_pick_aperture(w, h);
    EXPECT_EQ(w, 7);

    // Pointing the other way, the head is on the left.
    arrow.SetVector(CGmVector(-1, 0, 0));
    EXPECT_FALSE(arrow.HeadIsPicked(onHead, 5, 5));
    EXPECT_TRUE(arrow.HeadIsPicked(CUiPickEvent(15, 49, 0, view_.get(), nullptr), 5, 5));
}

TEST_F(DsFigureClassesGLTest, OffsetsAndTextHeightsFollowTheViewsUnitsPerPixel)
{
    Field(50.0);  // 0.5 units a pixel
    ASSERT_DOUBLE_EQ(view_->get_units_per_pixel(), 0.5);
    CDsFigPoint3D point(CGmPosition(1, 2, 3), EPointStyle(3), 6, false, true, CGmUnitVector(0, 1, 0), 4);
    const CGmPosition shown = point.OffsetedPosition(*view_);
    EXPECT_DOUBLE_EQ(shown.x(), 1.0);
    EXPECT_DOUBLE_EQ(shown.y(), 4.0);
    EXPECT_DOUBLE_EQ(shown.z(), 3.0);
    point.SetOffset(0);
    EXPECT_DOUBLE_EQ(point.OffsetedPosition(*view_).y(), 2.0);
    int x = 0, y = 0;
    ASSERT_TRUE(point.GetXY(x, y, view_.get()));
    EXPECT_EQ(x, 52);
    EXPECT_EQ(y, 45);  // counted down from the top

    // A model-height text of height -1: 15 pixels at 0.5 units a pixel is 7 units.
    CDsFigText3D text(SPAposition(0, 0, 0), "Figure", nullptr, -1.0f);
    EXPECT_EQ(text.GetFont().GetHeight(), -1);
    text.ReDefineFig();
    EXPECT_EQ(text.GetFont().GetHeight(), 7);
    auto* item = dynamic_cast<CDsItemNText3D*>(text.GetDlFigure()->Get(0));
    ASSERT_NE(item, nullptr);
    EXPECT_FLOAT_EQ(item->GetHeight(), 7.0f);
    // A fixed-size one: 15 pixels.
    CDsFigText3D fixed(SPAposition(0, 0, 0), "Figure", nullptr, -1.0f);
    fixed.SetFixedSize(true);
    EXPECT_EQ(fixed.GetFont().GetHeight(), 15);
}

TEST_F(DsFigureClassesGLTest, TextFiguresBoundTheirInkInWindowPixels)
{
    SetBackground(CDsColorStorage(0, 0, 0));
    // The frame draws more than the text (the reference triad in the corner): only what the text
    // adds to the picture is its ink.
    RedrawAll();
    std::vector<Rgb> before;
    for (int py = 0; py < kSize; ++py)
        for (int px = 0; px < kSize; ++px) before.push_back(ReadPixel(GL_FRONT, px, py));
    CDsFigText2D label(20, 40, "Wide Hg", nullptr, 16.0f);
    label.SetColor(CDsColorStorage(255, 255, 255), false);
    label.Record(true, view_.get());
    RedrawAll();
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    label.GetBoundingRectangle(view_.get(), xmin, xmax, ymin, ymax);
    EXPECT_FALSE(xmin == 100.0 && xmax == 400.0);
    EXPECT_LT(xmin, xmax);
    EXPECT_LT(ymin, ymax);
    int ink = 0;
    for (int py = 0; py < kSize; ++py)
        for (int px = 0; px < kSize; ++px) {
            const Rgb c = ReadPixel(GL_FRONT, px, py);
            const Rgb& was = before[static_cast<size_t>(py) * kSize + px];
            if (c.r + c.g + c.b < 150 || (c.r == was.r && c.g == was.g && c.b == was.b)) continue;
            ++ink;
            EXPECT_TRUE(px >= xmin && px <= xmax && py >= ymin && py <= ymax) << px << ", " << py;
        }
    EXPECT_GT(ink, 20);
    label.Remove();

    // A 3-D text answers its model box in window pixels (no longer leaving the outputs unset).
    Field(100.0);
    CDsFigText3D model(SPAposition(-30, -10, 0), "Model", nullptr, 12.0f);
    model.ReDefineFig();
    xmin = xmax = ymin = ymax = 12345.0;
    model.GetBoundingRectangle(view_.get(), xmin, xmax, ymin, ymax);
    EXPECT_NEAR(xmin, 20.0, 1.5);
    EXPECT_GT(xmax, xmin + 10.0);
    EXPECT_NEAR(ymin, 40.0, 1.5);
    EXPECT_NEAR(ymax - ymin, 12.0 * model.GetFont().GetEmAscentRatio(), 3.0);

    // No group: -1 for all four.
    CDsFigText2D pending(1, 1, "x", nullptr, 10.0f);
    pending.GetBoundingRectangle(view_.get(), xmin, xmax, ymin, ymax);
    EXPECT_EQ(xmin, -1.0);
    EXPECT_EQ(ymax, -1.0);
}

TEST_F(DsFigureClassesGLTest, AFiguresTextItemIsPickedOnItsInkAndNowhereElse)
{
    Field(100.0);
    SetBackground(CDsColorStorage(0, 0, 0));
    CDsFigText3D label(SPAposition(-30, -10, 0), "Model", nullptr, 12.0f);
    label.SetColor(CDsColorStorage(255, 255, 255), false);
    const CUiPickEvent middle(50, 50, 0, view_.get(), nullptr);
    EXPECT_EQ(label.GetPickedTextItem(middle), nullptr);  // not defined yet: no group
    label.Record(true, view_.get());
    RedrawAll();
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    label.GetBoundingRectangle(view_.get(), xmin, xmax, ymin, ymax);
    ASSERT_LT(xmin, xmax);
    // A pixel of the text's ink (rows counted up), as a pick event counts it (rows down).
    int inkX = -1, inkY = -1;
    for (int py = int(ymin); py <= int(ymax) && inkX < 0; ++py)
        for (int px = int(xmin); px <= int(xmax) && inkX < 0; ++px) {
            const Rgb c = ReadPixel(GL_FRONT, px, py);
            if (c.r > 200 && c.g > 200 && c.b > 200) inkX = px, inkY = py;
        }
    ASSERT_GE(inkX, 0) << "the text drew no ink";
    CDsItemBase* text = label.GetPickedTextItem(CUiPickEvent(inkX, kSize - 1 - inkY, 0, view_.get(), nullptr));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text, label.GetItemsFig()->FindTextItem());
    // Its mirror about the middle row and a point well beside the text pick nothing.
    EXPECT_EQ(label.GetPickedTextItem(CUiPickEvent(inkX, inkY, 0, view_.get(), nullptr)), nullptr);
    EXPECT_EQ(label.GetPickedTextItem(CUiPickEvent(90, kSize - 1 - inkY, 0, view_.get(), nullptr)), nullptr);
    label.Remove();

    // A figure without a text item answers null wherever it is picked.
    const CGmPosition ends[2] = {CGmPosition(-40, 0, 0), CGmPosition(40, 0, 0)};
    CDsFigPoly3D line(2, ends);
    line.ReDefineFig();
    ASSERT_EQ(line.IsPicked(middle, 5, 5), 1);
    EXPECT_EQ(line.GetPickedTextItem(middle), nullptr);
    CDsFigure::StSetForXorMode(nullptr);  // does nothing
}

TEST_F(DsFigureClassesGLTest, TextSizeIsTheWidestLineAndTheSumOfTheLineHeights)
{
    CDsNFontStorage font;
    font.SetHeight(20);
    const wchar_t* text = L"short\nmuch longer line";
    double width = 0, height = 0, descent = 0;
    CDsFigText3D::StGetTextSize(view_.get(), SPAposition(0, 0, 0), 5.0f, font, text, -1, width, height, descent);
    CDsItemNText3D longer(CVyrString(L"much longer line"), font, 5.0f);
    CDsItemNText3D shorter(CVyrString(L"short"), font, 5.0f);
    EXPECT_NEAR(width, longer.GetTextWidth(), 1e-4);
    EXPECT_GT(width, shorter.GetTextWidth());
    EXPECT_NEAR(height, 10.0, 1e-6);
    const double expected = (font.GetEmAscentRatio() - 1.0) * longer.GetEmHeight() * view_->get_units_per_pixel();
    EXPECT_NEAR(descent, expected, 1e-6);

    // A length that stops inside the first line measures only that part; one past the string
    // stops at its end; no text measures nothing.
    CDsFigText3D::StGetTextSize(view_.get(), SPAposition(0, 0, 0), 5.0f, font, text, 3, width, height, descent);
    CDsItemNText3D sho(CVyrString(L"sho"), font, 5.0f);
    EXPECT_NEAR(width, sho.GetTextWidth(), 1e-4);
    EXPECT_NEAR(height, 5.0, 1e-6);
    CDsFigText3D::StGetTextSize(nullptr, SPAposition(0, 0, 0), 5.0f, font, L"ab", 4000, width, height, descent);
    CDsItemNText3D ab(CVyrString(L"ab"), font, 5.0f);
    EXPECT_NEAR(width, ab.GetTextWidth(), 1e-4);
    EXPECT_TRUE(std::isfinite(descent));
    CDsFigText3D::StGetTextSize(nullptr, SPAposition(0, 0, 0), 5.0f, font, nullptr, 5, width, height, descent);
    EXPECT_EQ(width, 0.0);
    EXPECT_EQ(height, 0.0);
}
