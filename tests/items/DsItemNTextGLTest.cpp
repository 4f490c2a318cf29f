// Texts read back as pixels: 2-D texts on their baseline inside their box, aligned and turned;
// outlines above 500 pixels and in fast refresh; bitmaps kept or drawn again; lines of strings;
// 3-D texts at the pixel their anchor projects to, picked on their ink, sized by the zoom or
// fixed; vector texts turned with the view; text blocks laid out; the figure generator's texts;
// and bad input.
#include "DsFigureGenerator.h"
#include "DsGeometryComputer.h"
#include "DsItemBitmap.h"
#include "DsItemNText2D.h"
#include "DsItemNText3D.h"
#include "DsItemsFigure.h"
#include "DsItemsNTextBlock.h"
#include "DsRectangle.h"
#include "UiCharFormat.h"

#include "GlTestFixture.h"
#include "TestResets.h"
#include "ViewSetup.h"

#include "../context/MemoryCanvas.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using vyrtest::Rgb;

namespace {

constexpr int kW = 300, kH = 200;

// The ink of one colour in the back buffer: its box (rows up) and its pixel count.
struct Ink {
    int minX = INT_MAX, minY = INT_MAX, maxX = -1, maxY = -1, count = 0;
    bool Any() const { return count > 0; }
    int Width() const { return maxX - minX + 1; }
    int Height() const { return maxY - minY + 1; }
};

// A protected-member probe of the 2-D text.
struct Probe2D : CDsItemNText2D {
    Probe2D(const CVyrString& text, int height) : CDsItemNText2D(text, CVyrString(L"Arial"), height, 0, 0) {}
    using CDsItemNText2D::ComputeOffsets;
    using CDsItemNText2D::GetTruncatedAngle;
    // A fixed extent instead of the measured one, when set.
    void ComputeBoundingRectangleInPixels(view3d& view, float& w, float& h) override
    {
        if (fixedW > 0) {
            w = fixedW;
            h = fixedH;
        } else {
            CDsItemNText2D::ComputeBoundingRectangleInPixels(view, w, h);
        }
    }
    float fixedW = 0.0f, fixedH = 0.0f;
};

struct Probe3D : CDsItemNText3D {
    using CDsItemNText3D::StComputeAdvances;
};

class DsItemNTextGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        view_ = std::make_unique<CDsView3dCdc>(&window_.wnd);
        view_->SetGlContext(&context_);
        context_.add_view(view_.get());
        Look(1.0);
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        view_->pick_mode(0, 0, 0, 0, 0);
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
    }
    // Looking down -z at the origin with `unitsPerPixel` model units a pixel (the origin in the
    // middle), `up` the screen's up; a cleared black back buffer and red ink.
    void Look(double unitsPerPixel, const SPAvector& up = SPAvector(0, 1, 0))
    {
        vyrtest::ViewSetup()
            .Pixels(kW, kH)
            .Eye(SPAposition(0, 0, 50))
            .Up(up)
            .Field(kW * unitsPerPixel, kH * unitsPerPixel)
            .Clip(1, 100)
            .ApplyTo(*view_);
        ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view_.get());
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        Clear();
    }
    void Clear()
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3ub(255, 0, 0);
    }
    // The red ink of the back buffer (rows up).
    Ink RedInk(int x0 = 0, int y0 = 0, int x1 = kW - 1, int y1 = kH - 1) const
    {
        std::vector<unsigned char> rgb(kW * kH * 3);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kW, kH, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        Ink ink;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const unsigned char* p = &rgb[size_t((y * kW + x) * 3)];
                if (!vyrtest::ColorNear(Rgb{p[0], p[1], p[2]}, Rgb{255, 0, 0}, 60)) continue;
                ink.minX = std::min(ink.minX, x);
                ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y);
                ink.maxY = std::max(ink.maxY, y);
                ++ink.count;
            }
        return ink;
    }
    // gluProject of a model point: window x and row (up).
    void Project(const SPAposition& p, double& x, double& y) const
    {
        GLdouble model[16], projection[16], z = 0;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(p.x(), p.y(), p.z(), model, projection, viewport, &x, &y, &z);
    }

    vyrtest::ViewStaticsGuard statics_;
    vyrtest::FrameworkWindow window_{kW, kH};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
};

CDsColorStorage Red()
{
    CDsColorStorage red;
    red.SetRGB(255, 0, 0);
    return red;
}

}  // namespace

TEST_F(DsItemNTextGLTest, ARed2DTextSitsOnItsBaselineInsideItsBoxAlignedAndTurned)
{
    CDsItemNText2D text(CVyrString(L"ABC"), CVyrString(L"Arial"), 20, 0, 0);
    text.SetPosition(100, 100);
    text.DrawGl(*view_);
    const Ink ink = RedInk();
    ASSERT_TRUE(ink.Any());
    EXPECT_NEAR(ink.minY, 100, 1);  // the lowest ink row is the baseline
    EXPECT_GE(ink.minX, 99);
    EXPECT_NEAR(ink.maxY - ink.minY + 1, 20, 3);  // capitals as high as the pixel height
    SDsBox2D box{1, 1, 0, 0};
    ASSERT_TRUE(text.GetBoundBox2D(box));
    EXPECT_GE(ink.minX, 100 + box.minX - 1);
    EXPECT_LE(ink.maxX, 100 + box.maxX + 1);
    EXPECT_GE(ink.minY, 100 + box.minY - 1);
    EXPECT_LE(ink.maxY, 100 + box.maxY + 1);
    const int width = ink.Width();

    Clear();
    text.SetAlignment(eDsTextLineCenter);
    text.DrawGl(*view_);
    const Ink centred = RedInk();
    EXPECT_NEAR((centred.minX + centred.maxX) / 2.0, 100.0, 2.5);
    EXPECT_NEAR(centred.minY, 100, 1);
    EXPECT_EQ(centred.Width(), width);  // moved, not drawn again differently

    Clear();
    text.SetAlignment(eDsTextLineRight);
    text.DrawGl(*view_);
    const Ink ended = RedInk();
    EXPECT_LE(ended.maxX, 101);
    EXPECT_GE(ended.maxX, 95);

    // At 90 degrees the ink rises from the anchor, taller than wide.
    Clear();
    text.SetAlignment(eDsTextLineLeft);
    text.SetLineAngle(90.0f);
    text.DrawGl(*view_);
    const Ink turned = RedInk();
    ASSERT_TRUE(turned.Any());
    EXPECT_GT(turned.Height(), turned.Width());
    EXPECT_NEAR(turned.minY, 100, 2);
    EXPECT_LE(turned.maxX, 101);  // the letters stand left of the rising baseline
    EXPECT_NEAR(turned.Height(), width, 2);
}

TEST_F(DsItemNTextGLTest, AboveFiveHundredPixelsAndInFastRefreshOnlyTheOutlineIsDrawn)
{
    CDsItemNText2D big(CVyrString(L"ABC"), CVyrString(L"Arial"), 501, 0, 0);
    big.SetPosition(20, 20);
    big.DrawGl(*view_);
    EXPECT_EQ(big.GetBitmapItem(), nullptr);
    EXPECT_GT(RedInk(19, 40, 21, 180).count, 100);  // the left edge
    EXPECT_GT(RedInk(40, 19, 280, 21).count, 200);  // the bottom edge
    EXPECT_EQ(RedInk(30, 30, 290, 190).count, 0);      // nothing inside

    Clear();
    big.SetHeight(500);
    big.DrawGl(*view_);
    ASSERT_NE(big.GetBitmapItem(), nullptr);
    EXPECT_GT(RedInk(30, 30, 290, 190).count, 1000);  // the letters themselves

    // In fast refresh a small text draws its outline: the perimeter of its box, no letters.
    CDsItemNText2D small(CVyrString(L"ABC"), CVyrString(L"Arial"), 20, 0, 0);
    small.SetPosition(100, 100);
    SDsBox2D box{1, 1, 0, 0};
    ASSERT_TRUE(small.GetBoundBox2D(box));
    Clear();
    view_->SetFlag(eDsViewFlagFastRefresh, true);
    small.DrawGl(*view_);
    view_->SetFlag(eDsViewFlagFastRefresh, false);
    const Ink outline = RedInk();
    const int perimeter = 2 * ((box.maxX - box.minX) + (box.maxY - box.minY));
    EXPECT_NEAR(outline.count, perimeter, 8);
    EXPECT_EQ(RedInk(102, 102, 100 + box.maxX - 2, 100 + box.maxY - 2).count, 0);
    EXPECT_EQ(small.GetBitmapItem(), nullptr);
}

TEST_F(DsItemNTextGLTest, TheBitmapIsKeptUntilWhatItShowsChanges)
{
    Probe2D text(CVyrString(L"ABC"), 20);
    text.SetPosition(50, 50);
    text.DrawGl(*view_);
    CDsItemBitmap* first = text.GetBitmapItem();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(text.GetModifiedFlag());
    text.SetHeight(20);  // the same height, nothing modified: kept
    EXPECT_EQ(text.GetBitmapItem(), first);
    text.SetLineAngle(0.0f);  // the same angle changes nothing
    EXPECT_FALSE(text.GetModifiedFlag());
    text.SetHeight(21);
    EXPECT_EQ(text.GetBitmapItem(), nullptr);
    text.DrawGl(*view_);
    ASSERT_NE(text.GetBitmapItem(), nullptr);
    text.SetSlanted(true);  // a new slant: drawn again, and SetHeight then drops the bitmap
    EXPECT_TRUE(text.GetModifiedFlag());
    text.SetHeight(21);
    EXPECT_EQ(text.GetBitmapItem(), nullptr);

    // A new angle draws the image again, in a bitmap of the turned text's size.
    text.SetSlanted(false);
    Clear();
    text.DrawGl(*view_);
    int w0 = 0, h0 = 0;
    text.GetBitmapItem()->GetSize(w0, h0);
    text.SetLineAngle(90.0f);
    EXPECT_TRUE(text.GetModifiedFlag());
    Clear();
    text.DrawGl(*view_);
    int w1 = 0, h1 = 0;
    text.GetBitmapItem()->GetSize(w1, h1);
    EXPECT_EQ(w1, h0);
    EXPECT_EQ(h1, w0);
    const Ink turned = RedInk();
    EXPECT_GT(turned.Height(), turned.Width());

    // 270 degrees is -90: the offsets of that row (the baseline start one height in from the left
    // and from the top).
    text.SetLineAngle(270.0f);
    EXPECT_FLOAT_EQ(text.GetTruncatedAngle(), -90.0f);
    float ax = 0, ay = 0;
    int xOff = 0, yOff = 0;
    text.ComputeOffsets(50.0f, 10.0f, 20.0f, 60.0f, ax, ay, xOff, yOff);
    EXPECT_EQ(xOff, 10);
    EXPECT_EQ(yOff, 10);
    EXPECT_FLOAT_EQ(ay, 50.0f);
    text.SetLineAngle(-190.0f);
    EXPECT_FLOAT_EQ(text.GetTruncatedAngle(), 170.0f);

    // A bitmap 64 pixels wide is rendered with rows of 96 bits.
    Probe2D fixed(CVyrString(L"ABC"), 10);
    fixed.fixedW = 54.0f;  // 54 + one height: 64 pixels
    fixed.fixedH = 10.0f;
    fixed.SetPosition(50, 50);
    fixed.DrawGl(*view_);
    ASSERT_NE(fixed.GetBitmapItem(), nullptr);
    int w = 0, h = 0;
    fixed.GetBitmapItem()->GetSize(w, h);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(fixed.GetBitmapItem()->GetRowLengthBits(), 96);
}

TEST_F(DsItemNTextGLTest, LinesOfAStringAndARelativeTextBelowItsPoint)
{
    const CVyrString text(L"a\r\nb");
    EXPECT_EQ(CDsItemNText2D::StCountStringLines(text), 3);
    EXPECT_EQ(CDsItemNText2D::StCountStringLines(CVyrString()), 1);
    EXPECT_EQ(CDsItemNText2D::StCountStringLines("x\ny\rz"), 3);
    const std::wstring expected[5] = {L"a", L"", L"b", L"", L""};
    for (int n = 1; n <= 5; ++n) {
        std::unique_ptr<CVyrString> line(CDsItemNText2D::StGetLine(text, n));
        EXPECT_EQ(std::wstring(line->GetString()), expected[n - 1]) << n;
        std::unique_ptr<char[]> narrow(CDsItemNText2D::StGetLine("a\r\nb", n));
        EXPECT_EQ(std::string(narrow.get()), std::string(expected[n - 1].begin(), expected[n - 1].end())) << n;
    }
    std::unique_ptr<CVyrString> none(CDsItemNText2D::StGetLine(text, 0));
    EXPECT_TRUE(none->IsEmpty());
    std::unique_ptr<char[]> last(CDsItemNText2D::StGetLine("a\n", 2));
    EXPECT_STREQ(last.get(), "");

    CDsNFontStorage font;
    font.SetName(CVyrString(L"Arial"));
    font.SetHeight(20);
    CDsItemNText2DRelative relative(CVyrString(L"Rel"), font, 0.5f, 1.0f);
    relative.DrawGl(*view_);
    int x = 0, y = 0;
    CDsGeometryComputer::GetInstance()->ComputeRelativeCoordinates2D(view_.get(), 0.5f, 1.0f, x, y);
    int tx = 0, ty = 0;
    relative.GetPosition(tx, ty);
    EXPECT_EQ(tx, x);
    EXPECT_EQ(ty, y - int(relative.GetFont().GetHeight()));
    EXPECT_GT(relative.GetFont().GetHeight(), 20);  // the GDI height of 20 pixels of capitals
    EXPECT_TRUE(RedInk().Any());
}

TEST_F(DsItemNTextGLTest, A3DTextStartsAtItsAnchorsPixelAndIsPickedOnItsInk)
{
    for (const SPAposition& anchor : {SPAposition(-60, 40, 0), SPAposition(-100, -70, 0)}) {
        Clear();
        CDsItemNText3D text(CVyrString(L"HEH"), CVyrString(L"Arial"), 20.0f, CGmPosition(anchor));
        text.SetColor(Red(), false);
        text.Refresh(*view_);
        double px = 0, py = 0;
        Project(anchor, px, py);
        const Ink ink = RedInk();
        ASSERT_TRUE(ink.Any());
        EXPECT_NEAR(ink.minY, py, 1.5);  // on the baseline, not mirrored about the middle row
        EXPECT_NEAR(ink.minX, px, 3.0);
        EXPECT_NEAR(ink.Height(), 20, 3);

        // An aperture on the ink (rows counted down) picks it; one beside the text does not.
        const int column = ink.minX + 1, rowUp = ink.minY + 5;
        view_->pick_mode(1, column, kH - 1 - rowUp, 5, 5);
        EXPECT_TRUE(text.Pick(view_.get()));
        view_->pick_mode(1, ink.maxX + 20, kH - 1 - rowUp, 5, 5);
        EXPECT_FALSE(text.Pick(view_.get()));
        view_->pick_mode(0, 0, 0, 0, 0);
    }

    // Heights of 0 or below become 0.01.
    for (float height : {0.0f, -5.0f, std::nanf("")}) {
        CDsItemNText3D flat(CVyrString(L"x"), CVyrString(L"Arial"), height, CGmPosition(0, 0, 0));
        EXPECT_FLOAT_EQ(flat.GetHeight(), 0.01f);
    }
    // Widths of 0.25 at 0.1 units a pixel: the fractions are carried.
    int advances[4] = {};
    Probe3D::StComputeAdvances({0.25f, 0.25f, 0.25f, 0.25f}, 0.1, advances);
    EXPECT_EQ(std::vector<int>(advances, advances + 4), (std::vector<int>{2, 3, 2, 3}));
    // The measured widths add up to the text's width.
    CDsItemNText3D word(CVyrString(L"Width"), CVyrString(L"Arial"), 10.0f, CGmPosition(0, 0, 0));
    float sum = 0;
    for (float w : word.GetCharWidths()) sum += w;
    EXPECT_EQ(word.GetCharWidths().size(), 5u);
    EXPECT_NEAR(sum, word.GetTextWidth(), 1e-3);
    EXPECT_GT(word.GetTextWidth(), 20.0f);
    EXPECT_LT(word.GetTextWidth(), 50.0f);
}

TEST_F(DsItemNTextGLTest, ZoomSizesAModelTextAndLeavesAFixedOneAlone)
{
    CDsItemNText3D model(CVyrString(L"HEH"), CVyrString(L"Arial"), 40.0f, CGmPosition(-50, 0, 0));
    CDsItemNText3DFixed fixed(CVyrString(L"HEH"), CVyrString(L"Arial"), CGmPosition(-50, -60, 0), 20);
    model.SetColor(Red(), false);
    fixed.SetColor(Red(), false);
    model.Refresh(*view_);
    const Ink near = RedInk(0, 90, kW - 1, kH - 1);
    fixed.Refresh(*view_);
    const Ink fixedNear = RedInk(0, 0, kW - 1, 70);
    Look(2.0);
    model.Refresh(*view_);
    const Ink far = RedInk(0, 95, kW - 1, kH - 1);
    fixed.Refresh(*view_);
    const Ink fixedFar = RedInk(0, 0, kW - 1, 90);
    ASSERT_TRUE(near.Any() && far.Any());
    EXPECT_NEAR(double(far.Height()) / near.Height(), 0.5, 0.05);
    EXPECT_NEAR(fixedFar.Height(), fixedNear.Height(), 1);

    // At 0.01 units a pixel a text 10 units high is 1000 pixels: its model-space outline.
    Look(0.01);
    CDsItemNText3D huge(CVyrString(L"A"), CVyrString(L"Arial"), 10.0f, CGmPosition(-1.0, -0.5, 0));
    huge.SetColor(Red(), false);
    huge.Refresh(*view_);
    EXPECT_GT(RedInk(55, 48, 299, 52).count, 100);  // the bottom edge runs right from the anchor
    EXPECT_GT(RedInk(48, 55, 52, 199).count, 100);  // the left edge rises from it
    EXPECT_EQ(RedInk(60, 60, 290, 190).count, 0);

    // In pick mode the walk draws the model-space outline, never the bitmap.
    Look(1.0);
    CDsItemNText3D picked(CVyrString(L"HEH"), CVyrString(L"Arial"), 20.0f, CGmPosition(-50, 0, 0));
    view_->pick_mode(1, 100, 100, 5, 5);
    // A view in pick mode draws in the lasting context, which a pick sets up for itself.
    view_->SetupRenderingTransforms(false, true, false, nullptr);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glColor3ub(255, 0, 0);
    picked.DrawOnTraverse(*view_, CDsGeometry::eDrawPrimitives(0x20), false);
    view_->pick_mode(0, 0, 0, 0, 0);
    EXPECT_EQ(picked.GetBitmapItem(), nullptr);
    EXPECT_GT(RedInk(101, 99, 140, 101).count, 20);  // the bottom edge from the anchor's pixel
}

// A perspective eye: a text whose anchor lies behind the eye has no pixel. It draws nothing and
// picks nothing, neither where an earlier view put it nor in the window's corner.
TEST_F(DsItemNTextGLTest, ATextAnchoredBehindAPerspectiveEyeDrawsAndPicksNothing)
{
    vyrtest::ViewSetup()
        .Pixels(kW, kH)
        .Eye(SPAposition(0, 0, 50))
        .Field(kW * 0.5, kH * 0.5)
        .Clip(1, 100)
        .Perspective(true)
        .ApplyTo(*view_);
    view_->SetupRenderingTransforms(false, true, false, nullptr);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    CDsItemNText3DFixed fixed(CVyrString(L"HEH"), CVyrString(L"Arial"), CGmPosition(-20, -20, 0), 20);
    CDsItemNText3D model(CVyrString(L"HEH"), CVyrString(L"Arial"), 5.0f, CGmPosition(-20, -20, 0));
    for (CDsItemNText3DFixed* text : {&fixed, static_cast<CDsItemNText3DFixed*>(&model)}) {
        text->SetColor(Red(), false);
        Clear();
        text->Refresh(*view_);
        const Ink seen = RedInk();
        ASSERT_TRUE(seen.Any());
        const int column = seen.minX + 1, rowUp = seen.minY + 5;
        view_->pick_mode(1, column, kH - 1 - rowUp, 5, 5);
        EXPECT_TRUE(text->Pick(view_.get()));  // on its ink in front of the eye
        view_->pick_mode(0, 0, 0, 0, 0);
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);

        // Behind the eye: nothing where it was, nor anywhere.
        text->SetPosition(CGmPosition(-20, -20, 80));
        Clear();
        text->Refresh(*view_);
        EXPECT_FALSE(RedInk().Any());
        view_->pick_mode(1, column, kH - 1 - rowUp, 5, 5);
        EXPECT_FALSE(text->Pick(view_.get()));
        view_->pick_mode(0, 0, 0, 0, 0);
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        Clear();
        text->DrawOnTraverse(*view_, CDsGeometry::eDrawPrimitives(0x20), true);
        EXPECT_FALSE(RedInk().Any());
    }
    // Never drawn in front of the eye: not in the corner either.
    CDsItemNText3DFixed behind(CVyrString(L"HEH"), CVyrString(L"Arial"), CGmPosition(0, 0, 60), 20);
    behind.SetColor(Red(), false);
    Clear();
    behind.Refresh(*view_);
    EXPECT_FALSE(RedInk().Any());
}

TEST_F(DsItemNTextGLTest, AVectorTextFollowsItsDirectionOnTheScreen)
{
    CDsItemNTextVector down(CVyrString(L"Down"), CGmPosition(0, 0, 0), CVyrString(L"Arial"), SPAvector(0, -1, 0));
    down.DrawOnTraverse(*view_, CDsGeometry::eDrawPrimitives(0x20), false);
    EXPECT_EQ(down.GetFont().GetLogFont().lfEscapement, -900);

    CDsItemNTextVectorFixed along(CVyrString(L"Along"), CGmPosition(-50, 0, 0), CVyrString(L"Arial"),
                                  SPAvector(1, 0, 0));
    along.SetColor(Red(), false);
    along.Refresh(*view_);
    const Ink flat = RedInk();
    EXPECT_EQ(along.GetFont().GetLogFont().lfEscapement, 0);
    ASSERT_TRUE(flat.Any());
    EXPECT_GT(flat.Width(), flat.Height());
    // The view turned: model x points up the screen, and so does the text.
    Look(1.0, SPAvector(1, 0, 0));
    along.Refresh(*view_);
    const Ink turned = RedInk();
    EXPECT_EQ(along.GetFont().GetLogFont().lfEscapement, 900);
    ASSERT_TRUE(turned.Any());
    EXPECT_GT(turned.Height(), turned.Width());
    EXPECT_NEAR(turned.Height(), flat.Width(), 2);
}

TEST_F(DsItemNTextGLTest, ABlockLaysItsLinesOutFromTheItemsMeasuredSizes)
{
    CDsNFontStorage font;
    font.SetName(CVyrString(L"Arial"));
    auto makeBlock = [&](EDsTextBlockAlignment alignment, std::vector<std::pair<EDsTextLineAlignment, std::wstring>> rows) {
        auto block = std::make_unique<CDsItemsNTextBlock>(CGmPosition(0, 0, 0), alignment);
        for (const auto& row : rows) {
            auto* line = new CDsItemsNTextLine(row.first);
            line->GetDsItems().push_back(new CDsItemNText3D(CVyrString(row.second.c_str()), font, 1.5f));
            block->GetDsItems().push_back(line);
        }
        return block;
    };
    auto firstItem = [](CDsItemsNTextBlock& block, size_t line) {
        auto* group = static_cast<CDsItemsGroup*>(block.GetDsItems()[line]);
        return static_cast<CDsItemNText3D*>(group->GetDsItems()[0]);
    };

    auto centred = makeBlock(eDsTextBlockMiddleCenter, {{eDsTextLineLeft, L"Centre"}});
    SDsBox2D box{1, 1, 0, 0};
    EXPECT_FALSE(centred->GetBoundBox2D(box));  // never laid out
    float w = 0, h = 0;
    centred->GetBlockSize(w, h, false);
    CDsItemNText3D* item = firstItem(*centred, 0);
    const float e = item->GetEmHeight(), m = 1.5f;
    EXPECT_NEAR(w, item->GetTextWidth(), 1e-4);
    EXPECT_NEAR(h, e, 1e-4);
    EXPECT_NEAR(item->GetPosition().x(), -w / 2, 1e-4);
    EXPECT_NEAR(item->GetPosition().y(), (e - m) - e / 2, 1e-4);
    float hw = 0, hh = 0;
    centred->GetBlockSize(hw, hh, true);
    EXPECT_NEAR(hh, m, 1e-4);  // without the last line's descent

    // Alignment 0: the top edge on the anchor; 6: the bottom edge; 9: the bottom-left corner.
    auto top = makeBlock(eDsTextBlockTopLeft, {{eDsTextLineLeft, L"One"}, {eDsTextLineLeft, L"Two"}});
    top->Layout();
    ASSERT_TRUE(top->GetBoundBox2D(box));
    EXPECT_EQ(box.maxY, 0);
    EXPECT_EQ(box.minX, 0);
    EXPECT_NEAR(firstItem(*top, 0)->GetPosition().y(), -(firstItem(*top, 0)->GetEmHeight() - (e - m)), 1e-3);
    auto bottom = makeBlock(eDsTextBlockBottomLeft, {{eDsTextLineLeft, L"One"}});
    bottom->Layout();
    ASSERT_TRUE(bottom->GetBoundBox2D(box));
    EXPECT_EQ(box.minY, 0);
    EXPECT_NEAR(firstItem(*bottom, 0)->GetPosition().y(), e - m, 1e-4);  // one descent up
    auto beyond = makeBlock(EDsTextBlockAlignment(9), {{eDsTextLineLeft, L"One"}});
    beyond->Layout();
    ASSERT_TRUE(beyond->GetBoundBox2D(box));
    EXPECT_EQ(box.minX, 0);
    EXPECT_EQ(box.minY, 0);

    // A line aligned to the end starts (block width - its width) along the line.
    auto right = makeBlock(eDsTextBlockTopLeft, {{eDsTextLineRight, L"A"}, {eDsTextLineLeft, L"Longer"}});
    right->GetBlockSize(w, h, false);
    EXPECT_NEAR(firstItem(*right, 0)->GetPosition().x(), w - firstItem(*right, 0)->GetTextWidth(), 1e-4);
    EXPECT_NEAR(firstItem(*right, 1)->GetPosition().x(), 0.0, 1e-4);
    // Turned by 90 degrees, the line runs up and the items take the angle.
    right->SetAngle(90.0f);
    right->GetBlockSize(w, h, false);
    EXPECT_EQ(firstItem(*right, 0)->GetFont().GetLogFont().lfEscapement, 900);
    EXPECT_NEAR(firstItem(*right, 1)->GetPosition().y(), 0.0, 1e-4);

    // The second line of a two-line text sits one em height below the first.
    CDsItemsNTextBiTol twoLines(CGmPosition(5, 5, 0), CVyrString(L"upper\nlower\nunused"), font, 2.0f);
    ASSERT_EQ(twoLines.GetDsItems().size(), 2u);
    auto* first = static_cast<CDsItemNText3D*>(twoLines.GetDsItems()[0]);
    auto* second = static_cast<CDsItemNText3D*>(twoLines.GetDsItems()[1]);
    EXPECT_EQ(std::wstring(second->GetText().GetString()), L"lower");
    EXPECT_NEAR(second->GetPosition().y(), 5.0 - first->GetEmHeight(), 1e-4);
    EXPECT_NEAR(second->GetPosition().x(), 5.0, 1e-4);
}

TEST_F(DsItemNTextGLTest, TheFigureGeneratorMakesEveryKindOfText)
{
    CDsNFontStorage font;
    font.SetName(CVyrString(L"Arial"));
    font.SetHeight(12);
    CDsFigureGenerator generator(nullptr);
    generator.MoveTo(CGmPosition(10, 20, 0));
    generator.SetTextLineAngle(30);
    generator.DrawTextW(CVyrString(L"two\nlines"), font, 2.0f, false);
    generator.DrawTextW(CVyrString(L"pixels"), font, 14.0f, true);
    generator.DrawTextW(CVyrString(L"model"), font, 3.0f, false);
    generator.DrawText2D(CVyrString(L"screen"), font);
    generator.DrawTextVector(CVyrString(L"vec"), font, SPAposition(), SPAvector(0, 1, 0), 2.0f, true);
    generator.StartTextBlock(CGmPosition(0, 0, 0), 15.0f, eDsTextBlockMiddleCenter);
    generator.StartTextLine(eDsTextLineCenter);
    CUiCharFormat format;
    format.SetFaceName(L"Arial");
    format.SetHeight(1440);  // an inch: 25.4 mm
    generator.AddTextItem(CVyrString(L"first"), format);
    generator.StartTextLine(eDsTextLineLeft);
    generator.AddTextItem(CVyrString(L"second"), format);
    std::unique_ptr<CDsItemsFigure> root(generator.DisplayList(nullptr));
    const auto& items = root->GetDsItems();
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0]->GetItemType(), eDsItemsNTextBiTol);
    auto* pixels = dynamic_cast<CDsItemNText3DFixed*>(items[1]);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(items[1]->GetItemType(), eDsItemNText3DFixed);
    EXPECT_EQ(pixels->CDsItemNText2D::GetHeight(), 14);
    EXPECT_EQ(pixels->GetFont().GetLogFont().lfEscapement, 300);
    EXPECT_NEAR(pixels->GetPosition().x(), 10.0, 1e-9);
    auto* model = dynamic_cast<CDsItemNText3D*>(items[2]);
    ASSERT_NE(model, nullptr);
    EXPECT_FLOAT_EQ(model->GetHeight(), 3.0f);
    auto* screen = dynamic_cast<CDsItemNText2D*>(items[3]);
    ASSERT_EQ(items[3]->GetItemType(), eDsItemNText2D);
    int x = 0, y = 0;
    screen->GetPosition(x, y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    EXPECT_TRUE(screen->GetOnTopFlag());
    EXPECT_EQ(items[4]->GetItemType(), eDsItemNTextVectorFixed);
    auto* block = dynamic_cast<CDsItemsNTextBlock*>(items[5]);
    ASSERT_NE(block, nullptr);
    EXPECT_FLOAT_EQ(block->GetAngle(), 15.0f);
    ASSERT_EQ(block->GetDsItems().size(), 2u);  // the second line went into the block
    auto* line = dynamic_cast<CDsItemsNTextLine*>(block->GetDsItems()[1]);
    ASSERT_NE(line, nullptr);
    auto* second = dynamic_cast<CDsItemNText3D*>(line->GetDsItems().at(0));
    ASSERT_NE(second, nullptr);
    EXPECT_NEAR(second->GetHeight(), 25.4f, 1e-3);

    // The static entry points.
    CDsFigureGenerator statics(nullptr);
    CDsFigureGenerator::SetToCurrent(&statics);
    const float where[3] = {1, 2, 3};
    CDsFigureGenerator::ItGtxloc(where, 4.0f, float(M_PI / 2), nullptr, nullptr);
    CDsFigureGenerator::ItGtext(5, "label and more", nullptr);
    CDsNFontStorage turned(font);
    turned.SetLineAngle(45.0f);
    const float direction[3] = {1, 0, 0};
    CDsFigureGenerator::ForceFixedText(true);
    CDsFigureGenerator::ItDtxCreateText(where, turned, L"wide", 4, direction, 5.0f, false);
    CDsFigureGenerator::ForceFixedText(false);
    CDsFigureGenerator::ItDtxCreateText(where, turned, L"plain", 5, nullptr, 5.0f, false);
    CDsFigureGenerator::ItGtext(-1, "refused", nullptr);
    std::unique_ptr<CDsItemsFigure> made(statics.DisplayList(nullptr));
    ASSERT_EQ(made->GetDsItems().size(), 3u);
    auto* label = dynamic_cast<CDsItemNText3D*>(made->GetDsItems()[0]);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(std::wstring(label->GetText().GetString()), L"label");
    EXPECT_EQ(label->GetFont().GetLogFont().lfEscapement, 900);
    EXPECT_NEAR(label->GetPosition().z(), 3.0, 1e-9);
    EXPECT_EQ(made->GetDsItems()[1]->GetItemType(), eDsItemNTextVectorFixed);
    EXPECT_EQ(made->GetDsItems()[2]->GetItemType(), eDsItemNText3D);
    EXPECT_EQ(static_cast<CDsItemNText2D*>(made->GetDsItems()[2])->GetFont().GetLogFont().lfEscapement, 450);
}

// GetWidth of every item is the line width of its attributes; the 3-D texts and their groups keep
// their measured width in model units apart.
TEST_F(DsItemNTextGLTest, TextsAndTheirGroupsAnswerTheirLineWidthAndTheirModelWidthApart)
{
    CDsNFontStorage font;
    font.SetName(CVyrString(L"Arial"));
    CDsItemsNTextBiTol twoLines(CGmPosition(0, 0, 0), CVyrString(L"two\nlonger lines"), font, 2.0f);
    auto* longer = static_cast<CDsItemNText3D*>(twoLines.GetDsItems().at(1));
    twoLines.SetWidth(4, true);
    EXPECT_EQ(twoLines.GetWidth(), 4);
    EXPECT_EQ(longer->GetWidth(), 4);
    EXPECT_GT(longer->GetTextWidth(), 1.0f);
    EXPECT_FLOAT_EQ(twoLines.GetTextWidth(), longer->GetTextWidth());  // the longer line's

    CDsItemsNTextLine line(eDsTextLineLeft);
    line.GetDsItems().push_back(new CDsItemNText3D(CVyrString(L"one"), font, 2.0f));
    line.SetWidth(3, false);
    line.Measure();
    EXPECT_EQ(line.GetWidth(), 3);
    EXPECT_FLOAT_EQ(line.GetTextWidth(), static_cast<CDsItemNText3D*>(line.GetDsItems().at(0))->GetTextWidth());
}

TEST_F(DsItemNTextGLTest, ACopyOwnsItsTextAndBitmapAndPrintingLandsWhereTheScreenDraws)
{
    auto original = std::make_unique<CDsItemNText2D>(CVyrString(L"Copy"), CVyrString(L"Arial"), 20, 0, 0);
    original->SetPosition(100, 40);  // well off the middle row, so that a mirror shows
    original->DrawGl(*view_);
    const Ink drawn = RedInk();
    CDsItemNText2D copy(*original);
    EXPECT_EQ(copy.GetBitmapItem(), nullptr);
    EXPECT_EQ(std::wstring(copy.GetText().GetString()), L"Copy");
    original.reset();  // the copy keeps its own string
    Clear();
    copy.DrawGl(*view_);
    ASSERT_NE(copy.GetBitmapItem(), nullptr);
    const Ink again = RedInk();
    EXPECT_EQ(again.minX, drawn.minX);
    EXPECT_EQ(again.minY, drawn.minY);
    EXPECT_EQ(again.count, drawn.count);
    CDsItemNText2D assigned(CVyrString(L"Other"), CVyrString(L"Arial"), 10, 0, 0);
    assigned = copy;
    EXPECT_EQ(assigned.GetHeight(), 20);
    EXPECT_EQ(assigned.GetBitmapItem(), nullptr);

    // Printed into a DC of the viewport's size, the text's baseline is the same row counted down.
    vyrtest::MemoryCanvas canvas(kW, kH);
    canvas.Clear();
    view_->SetDC(&canvas.cdc);
    copy.Plot(*view_);
    view_->ClearDC();
    int left = 0, topRow = 0, right = 0, bottomRow = 0;
    ASSERT_TRUE(canvas.Ink(left, topRow, right, bottomRow));
    EXPECT_NEAR(bottomRow, kH - 1 - drawn.minY, 1);
    EXPECT_NEAR(left, drawn.minX, 2);
}

TEST_F(DsItemNTextGLTest, BadInputDrawsNothingOrTheNeutralAnswer)
{
    auto drawn = [&](CDsItemNText2D& text) {
        Clear();
        text.SetPosition(100, 100);
        text.DrawGl(*view_);
        text.DrawOnTraverse(*view_, CDsGeometry::eDrawPrimitives(0x22), false);
        return RedInk().count;
    };
    CDsItemNText2D empty(CVyrString(), CVyrString(L"Arial"), 20, 0, 0);
    EXPECT_EQ(drawn(empty), 0);
    EXPECT_FALSE(empty.Pick(view_.get()));

    // 100,000 characters: a bitmap beyond the item's limit draws nothing.
    CDsItemNText2D longText(CVyrString(std::wstring(100000, L'W')), CVyrString(L"Arial"), 20, 0, 0);
    EXPECT_EQ(drawn(longText), 0);

    // Characters without a glyph draw the missing-glyph box; code points past U+10FFFF too.
    const wchar_t odd[4] = {wchar_t(0xE000), wchar_t(0x110000), wchar_t(-5), 0};
    CDsItemNText2D missing(CVyrString(odd), CVyrString(L"Arial"), 20, 0, 0);
    EXPECT_GT(drawn(missing), 0);

    // Heights of 0, below 0 and huge.
    CDsItemNText2D sized(CVyrString(L"ABC"), CVyrString(L"Arial"), 0, 0, 0);
    EXPECT_EQ(drawn(sized), 0);
    sized.SetHeight(-20);
    EXPECT_EQ(drawn(sized), 0);
    sized.SetHeight(INT_MAX);
    drawn(sized);  // the outline of an enormous box, or nothing: no crash, no GL error
    EXPECT_EQ(sized.GetBitmapItem() ? sized.GetBitmapItem()->GetBits() : nullptr, nullptr);
    CDsItemNText3D huge(CVyrString(L"A"), CVyrString(L"Arial"), 1e30f, CGmPosition(0, 0, 0));
    huge.Refresh(*view_);
    EXPECT_EQ(huge.GetBitmapItem(), nullptr);

    // Unknown and over-long face names still draw in a face fontconfig finds.
    CDsItemNText2D unknown(CVyrString(L"ABC"), CVyrString(L"No Such Face At All"), 20, 0, 0);
    EXPECT_GT(drawn(unknown), 0);
    CDsItemNText2D longName(CVyrString(L"ABC"), CVyrString(std::wstring(200, L'x')), 20, 0, 0);
    EXPECT_GT(drawn(longName), 0);

    // A view without a device context: nothing measured or drawn, no bounds from it.
    CDsView3dCdc bare;
    vyrtest::ViewSetup().Pixels(kW, kH).ApplyTo(bare);
    CDsItemNText2D noDc(CVyrString(L"ABC"), CVyrString(L"Arial"), 20, 0, 0);
    noDc.SetPosition(100, 100);
    Clear();
    noDc.DrawGl(bare);
    EXPECT_EQ(RedInk().count, 0);
    EXPECT_TRUE(noDc.GetBitmapItem() == nullptr || noDc.GetBitmapItem()->GetBits() == nullptr);
}
