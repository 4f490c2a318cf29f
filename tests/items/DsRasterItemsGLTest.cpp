// Raster items drawn through OpenGL and read back as pixels: the image item's textured rectangle
// (quadrants, transparency, the temporary texture of a bitmap rendering), the one-bit bitmap item
// (its set bits, a bitmap that starts left of the window, one too large for bits, picks of set
// pixels), table bitmaps and icons at model points, point markers, and the aperture tests of
// model points.
#include "DsAcisPick.h"
#include "DsImage.h"
#include "DsItemBitmap.h"
#include "DsItemBitmapIndexed.h"
#include "DsItemImage.h"
#include "DsManager.h"
#include "DsPointGeometry.h"
#include "DsPointsPalette.h"
#include "DsRectangle3d.h"
#include "ItemViewFixture.h"
#include "UiResourceManager.h"

#include "pick_event.h"
#include "pick_manager.h"
#include "view3d.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

uint32_t Word(const Rgb& c)
{
    return uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16 | 0xFF000000u;
}

// A `width` x `height` picture of four quadrants, rows from the bottom: red bottom left, green
// bottom right, blue top left, white top right.
CDsImage Quadrants(int width, int height, bool transparent)
{
    auto* pixels = new uint32_t[size_t(width) * size_t(height)];
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, top = y >= height / 2;
            pixels[size_t(y) * size_t(width) + size_t(x)] =
                Word(top ? (right ? kWhite : kBlue) : (right ? kGreen : kRed));
        }
    return CDsImage(width, height, pixels, transparent);
}

// How many texture names below 2,000 OpenGL knows in the current context.
int LiveTextures()
{
    int n = 0;
    for (GLuint name = 1; name < 2000; ++name) n += glIsTexture(name) == GL_TRUE;
    return n;
}

// A one-bit GDI bitmap of the rows given top first ('#' a set bit).
HBITMAP OneBit(const std::vector<std::string>& rows)
{
    const int width = int(rows[0].size());
    const int stride = (width + 15) / 16 * 2;
    std::vector<BYTE> bits(size_t(stride) * rows.size(), 0);
    for (size_t r = 0; r < rows.size(); ++r)
        for (int x = 0; x < width; ++x)
            if (rows[r][size_t(x)] == '#') bits[r * size_t(stride) + size_t(x / 8)] |= BYTE(0x80 >> (x % 8));
    return CreateBitmap(width, int(rows.size()), 1, 1, bits.data());
}

class DsRasterItemsGLTest : public vyrtest::ItemViewTest {
protected:
    void TearDown() override
    {
        view_->pick_mode(0, 0, 0, 0, 0);
        ItemViewTest::TearDown();
    }

    // The pixel gluProject gives a model point (x right, y up from the bottom row). The tests put
    // their points on pixel centres (4 pixels a unit, the origin on the corner of pixel (50, 50)).
    void Project(const SPAposition& p, int& x, int& y) const
    {
        GLdouble model[16], projection[16], wx = 0, wy = 0, wz = 0;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(p.x(), p.y(), p.z(), model, projection, viewport, &wx, &wy, &wz);
        x = int(std::floor(wx));
        y = int(std::floor(wy));
    }
    bool Lit(int x, int y) const
    {
        const Rgb c = ReadPixel(GL_BACK, x, y);
        return c.r + c.g + c.b > 120;
    }
    // The lit pixels of the back buffer as rows of text, top first, over a w x h window box whose
    // lower-left pixel is (x, y).
    std::vector<std::string> LitRows(int x, int y, int w, int h) const
    {
        std::vector<std::string> rows;
        for (int r = y + h - 1; r >= y; --r) {
            std::string row;
            for (int c = x; c < x + w; ++c) row += Lit(c, r) ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }
};

}  // namespace

// --- The image item ------------------------------------------------------------------------------

TEST_F(DsRasterItemsGLTest, AnImageShowsItsQuadrantsInsideItsRectangleAndTheBackgroundOutside)
{
    // Model -10..10 on both axes: window pixels 10 to 90.
    const CDsRectangle3d rectangle(SPAposition(-10, -10, 0), SPAposition(10, -10, 0), SPAposition(-10, 10, 0));
    CDsItemImage item(Quadrants(100, 50, false), rectangle);
    item.DrawGl(*view_);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 30), kRed, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 70, 30), kGreen, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 70), kBlue, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 70, 70), kWhite, 8));
    for (const auto& outside : {std::make_pair(5, 5), std::make_pair(95, 50), std::make_pair(50, 95)})
        EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, outside.first, outside.second), kBlack, 8));
    // The padding of the 128 x 64 block does not show: the picture fills the rectangle.
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 88, 88), kWhite, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 12, 12), kRed, 8));
    GLboolean texturing = GL_TRUE;
    glGetBooleanv(GL_TEXTURE_2D, &texturing);
    EXPECT_FALSE(texturing);  // the enable state is put back

    SDsBox2D box{};
    ASSERT_TRUE(item.GetBoundBox2D(box));
    EXPECT_EQ(box.maxX, 20);
    EXPECT_EQ(box.maxY, 20);
    EXPECT_EQ(item.GetItemType(), eDsItemImage);
}

TEST_F(DsRasterItemsGLTest, TheKeyColourOfATransparentImageShowsTheBackground)
{
    vyrtest::Clear(Rgb{0, 0, 128});
    const CDsRectangle3d rectangle(SPAposition(-10, -10, 0), SPAposition(10, -10, 0), SPAposition(-10, 10, 0));
    CDsItemImage item(Quadrants(64, 64, true), rectangle);  // the first pixel is red: the key
    item.DrawGl(*view_);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 30), Rgb{0, 0, 128}, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 70, 30), kGreen, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 70, 70), kWhite, 8));
    GLboolean blending = GL_TRUE;
    glGetBooleanv(GL_BLEND, &blending);
    EXPECT_FALSE(blending);
}

TEST_F(DsRasterItemsGLTest, ABitmapRenderingDrawsWithATextureOfItsOwnAndDeletesIt)
{
    const CDsRectangle3d rectangle(SPAposition(-10, -10, 0), SPAposition(10, -10, 0), SPAposition(-10, 10, 0));
    CDsItemImage item(Quadrants(32, 32, false), rectangle);
    const int before = LiveTextures();
    context_.SetRenderToBitmap(1);
    item.DrawGl(*view_);
    context_.SetRenderToBitmap(0);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 70, 70), kWhite, 8));
    EXPECT_EQ(LiveTextures(), before);            // the draw's texture is gone
    EXPECT_EQ(item.GetImage().GetTextureName(), 0u);  // the picture's own was not made

    // On a window the picture keeps its texture; one deleted behind its back is made anew.
    item.DrawGl(*view_);
    const GLuint kept = item.GetImage().GetTextureName();
    ASSERT_NE(kept, 0u);
    EXPECT_EQ(LiveTextures(), before + 1);
    glDeleteTextures(1, &kept);
    vyrtest::Clear(kBlack);
    item.DrawGl(*view_);
    EXPECT_TRUE(glIsTexture(item.GetImage().GetTextureName()));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 70), kBlue, 8));
}

TEST_F(DsRasterItemsGLTest, AnImageIsPickedWhereItsRectangleMeetsTheAperture)
{
    const CDsRectangle3d rectangle(SPAposition(0, 0, 0), SPAposition(10, 0, 0), SPAposition(0, 10, 0));
    CDsItemImage item(Quadrants(8, 8, false), rectangle);  // pixels 50 to 90, rows 10 to 50 down
    view_->pick_mode(1, 70, 30, 5, 5);
    EXPECT_TRUE(item.Pick(view_.get()));
    view_->pick_mode(1, 30, 30, 5, 5);  // left of it
    EXPECT_FALSE(item.Pick(view_.get()));
    view_->pick_mode(1, 70, 70, 5, 5);  // below it (rows counted down)
    EXPECT_FALSE(item.Pick(view_.get()));
}

// --- The one-bit bitmap item -------------------------------------------------------------------

TEST_F(DsRasterItemsGLTest, ABitmapDrawsExactlyItsSetBitsInTheCurrentColour)
{
    CDsItemBitmap bitmap(9, 4, 20, 30, 0, 0);
    const std::vector<std::pair<int, int>> set = {{0, 0}, {8, 0}, {3, 1}, {4, 2}, {0, 3}, {8, 3}};
    for (const auto& p : set) bitmap.SetPixel(p.first, p.second);
    glColor3ub(0, 255, 0);
    bitmap.DrawGl(*view_);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) {
            const Rgb c = ReadPixel(GL_BACK, 20 + x, 30 + y);
            if (bitmap.TestPixel(x, y))
                EXPECT_TRUE(ColorNear(c, kGreen, 8)) << x << ", " << y;
            else
                EXPECT_TRUE(ColorNear(c, kBlack, 8)) << x << ", " << y;
        }
    EXPECT_EQ(LitCount(), int(set.size()));

    // The hot spot is placed on the position.
    vyrtest::Clear(kBlack);
    bitmap.SetPosition(20, 30, 3, 1);
    bitmap.DrawGl(*view_);
    EXPECT_TRUE(Lit(17, 29));
    EXPECT_TRUE(Lit(20, 30));  // pixel (3, 1)
    EXPECT_EQ(LitCount(), int(set.size()));
}

TEST_F(DsRasterItemsGLTest, ABitmapStartingLeftOfTheWindowKeepsItsVisiblePartInPlace)
{
    // A diagonal of 10 pixels, 5 of them left of the window.
    CDsItemBitmap bitmap(10, 10, -5, 40, 0, 0);
    for (int i = 0; i < 10; ++i) bitmap.SetPixel(i, i);
    glColor3ub(255, 255, 255);
    bitmap.DrawGl(*view_);
    for (int i = 5; i < 10; ++i) EXPECT_TRUE(Lit(i - 5, 40 + i)) << i;
    EXPECT_EQ(LitCount(), 5);

    // Below the window the same.
    vyrtest::Clear(kBlack);
    bitmap.SetPosition(40, -3);
    bitmap.DrawGl(*view_);
    for (int i = 3; i < 10; ++i) EXPECT_TRUE(Lit(40 + i, i - 3)) << i;
    EXPECT_EQ(LitCount(), 7);
}

TEST_F(DsRasterItemsGLTest, ABitmapTooLargeForBitsDrawsNothingAndIsNeverPicked)
{
    CDsItemBitmap huge(8000, 6000, 0, 0, 0, 0);
    EXPECT_EQ(huge.GetBits(), nullptr);
    glColor3ub(255, 255, 255);
    huge.DrawGl(*view_);
    huge.DrawOnTraverse(*view_, CDsGeometry::eDpBitmaps, false);
    EXPECT_EQ(LitCount(), 0);
    view_->pick_mode(1, 2, 97, 5, 5);
    EXPECT_FALSE(huge.Pick(view_.get()));

    CDsItemBitmap large(3000, 3000, 0, 0, 0, 0);
    EXPECT_NE(large.GetBits(), nullptr);
    EXPECT_EQ(large.GetTotalSize(), 1128000u);
}

TEST_F(DsRasterItemsGLTest, ABitmapIsPickedOnlyWhereASetPixelLiesInTheAperture)
{
    // One set pixel at window (60, 40), rows up: row 59 counted down.
    CDsItemBitmap bitmap(20, 20, 50, 30, 0, 0);
    bitmap.SetPixel(10, 10);
    view_->pick_mode(1, 60, 59, 5, 5);
    EXPECT_TRUE(bitmap.Pick(view_.get()));
    view_->pick_mode(1, 62, 61, 5, 5);  // the aperture's corner
    EXPECT_TRUE(bitmap.Pick(view_.get()));
    view_->pick_mode(1, 63, 59, 5, 5);  // one pixel beyond it
    EXPECT_FALSE(bitmap.Pick(view_.get()));
    view_->pick_mode(1, 60, 40, 5, 5);  // the mirrored row
    EXPECT_FALSE(bitmap.Pick(view_.get()));
    view_->pick_mode(1, 52, 52, 5, 5);  // inside the bitmap, on clear pixels
    EXPECT_FALSE(bitmap.Pick(view_.get()));

    // Through a pick manager at the point: offered and answered.
    const pick_event event(60, 59, view_.get());
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    EXPECT_TRUE(bitmap.Pick(&manager));
    const pick_event away(70, 59, view_.get());
    pick_manager missing(pick_method_point, 0, nullptr, &away, nullptr);
    EXPECT_FALSE(bitmap.Pick(&missing));
}

// --- Small bitmaps against glBitmap ------------------------------------------------------------
// A small bitmap (a marker) is not sent through glBitmap where points light the same pixels: these
// cases draw it and then the same bits with a bare glBitmap at the same raster position, and ask
// for the same picture.

namespace {

// A 7 x 5 bitmap at (x, y) with hot spot (3, 2): a frame, its centre and one corner marked.
std::unique_ptr<CDsItemBitmap> Marker(int x, int y)
{
    auto bitmap = std::make_unique<CDsItemBitmap>(7, 5, x, y, 3, 2);
    for (int i = 0; i < 7; ++i) bitmap->SetPixel(i, 0), bitmap->SetPixel(i, 4);
    for (int j = 1; j < 4; ++j) bitmap->SetPixel(0, j), bitmap->SetPixel(6, j);
    bitmap->SetPixel(3, 2);
    bitmap->SetPixel(5, 3);
    return bitmap;
}

// The bits of `bitmap` through glBitmap at raster position (x, y) under the current matrices.
void BareBitmap(const CDsItemBitmap& bitmap, int x, int y)
{
    int hx = 0, hy = 0, w = 0, h = 0;
    bitmap.GetHotSpot(hx, hy);
    bitmap.GetSize(w, h);
    glRasterPos2i(x, y);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBitmap(bitmap.GetRowLengthBits(), h, float(hx), float(hy), 0.0f, 0.0f, bitmap.GetBits());
}

}  // namespace

TEST_F(DsRasterItemsGLTest, ASmallBitmapLightsExactlyTheFragmentsOfGlBitmapWhereverItStands)
{
    glColor3ub(0, 255, 0);
    // Inside, on the edges (the right and top ones partly outside) and on the last valid raster
    // position.
    for (const auto& at : {std::make_pair(40, 30), std::make_pair(2, 97), std::make_pair(98, 1),
                           std::make_pair(100, 100), std::make_pair(0, 0)}) {
        const auto bitmap = Marker(at.first, at.second);
        vyrtest::Clear(kBlack);
        bitmap->DrawGl(*view_);
        const auto drawn = Picture();
        vyrtest::Clear(kBlack);
        view_->Start2dDraw();
        BareBitmap(*bitmap, at.first, at.second);
        view_->End2dDraw();
        EXPECT_GT(LitCount(), 0) << at.first << ", " << at.second;
        EXPECT_TRUE(drawn == Picture()) << at.first << ", " << at.second;
    }

    // A caller's wide, smooth points change nothing, and are its own again afterwards.
    glPointSize(5.0f);
    glEnable(GL_POINT_SMOOTH);
    const auto bitmap = Marker(50, 50);
    vyrtest::Clear(kBlack);
    bitmap->DrawGl(*view_);
    EXPECT_EQ(LitCount(), 22);
    EXPECT_EQ(LitRows(47, 48, 7, 5), (std::vector<std::string>{"#######", "#....##", "#..#..#", "#.....#", "#######"}));
    GLfloat size = 0.0f;
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_EQ(size, 5.0f);
    EXPECT_TRUE(glIsEnabled(GL_POINT_SMOOTH));
    glDisable(GL_POINT_SMOOTH);
    glPointSize(1.0f);
}

TEST_F(DsRasterItemsGLTest, ASmallBitmapWhoseRasterPositionIsOutsideTheWindowDrawsNothing)
{
    // Placed one pixel right of (or above) the window, its set pixels left of (below) the place
    // would fall inside: glBitmap draws none of them, nor may the bitmap.
    glColor3ub(255, 255, 255);
    Marker(101, 50)->DrawGl(*view_);
    Marker(50, 101)->DrawGl(*view_);
    EXPECT_EQ(LitCount(), 0);
    view_->Start2dDraw();
    Marker(101, 50)->DrawOnTraverse(*view_, CDsGeometry::eDpBitmaps, false);
    view_->End2dDraw();
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsRasterItemsGLTest, ASmallBitmapOutsideThe2DModeOrUnderAClipPlaneStaysAGlBitmap)
{
    glColor3ub(255, 255, 255);
    const auto bitmap = Marker(2, 3);
    // On the walk's own matrices (model units here): the raster position is the model point's.
    bitmap->DrawOnTraverse(*view_, CDsGeometry::eDpBitmaps, false);
    const auto drawn = Picture();
    vyrtest::Clear(kBlack);
    BareBitmap(*bitmap, 2, 3);
    EXPECT_EQ(LitCount(), 22);
    EXPECT_TRUE(drawn == Picture());

    // A clip plane through the bitmap (x >= 0 in the eye's frame, the window's middle column in
    // the 2-D mode) leaves glBitmap's fragments whole: only the raster position is clipped.
    vyrtest::Clear(kBlack);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const GLdouble plane[4] = {1.0, 0.0, 0.0, 0.0};
    glClipPlane(GL_CLIP_PLANE0, plane);
    glPopMatrix();
    glEnable(GL_CLIP_PLANE0);
    Marker(52, 50)->DrawGl(*view_);
    glDisable(GL_CLIP_PLANE0);
    EXPECT_EQ(LitRows(49, 48, 7, 5), (std::vector<std::string>{"#######", "#....##", "#..#..#", "#.....#", "#######"}));
}

TEST_F(DsRasterItemsGLTest, InFeedbackModeASmallBitmapIsReportedAsOneBitmap)
{
    std::vector<GLfloat> buffer(256, 0.0f);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    Marker(40, 40)->DrawGl(*view_);
    const GLint count = glRenderMode(GL_RENDER);
    ASSERT_EQ(count, 3);  // the token and the raster position
    EXPECT_EQ(GLenum(buffer[0]), GLenum(GL_BITMAP_TOKEN));
    EXPECT_NEAR(buffer[1], 40.0f, 0.01f);
    EXPECT_NEAR(buffer[2], 40.0f, 0.01f);
}

// --- Table bitmaps and icons at model points ----------------------------------------------------

TEST_F(DsRasterItemsGLTest, AnIndexedBitmapShowsUprightAtItsPointsPixelAndIsPickedThere)
{
    const std::vector<std::string> picture = {
        "########",
        "#.......",
        "#.......",
        "#####...",
        "#.......",
        "#.......",
    };
    HBITMAP handle = OneBit(picture);
    const int index = CDsManager::GetInstance()->AddBitmap(handle);
    DeleteObject(handle);
    ASSERT_GE(index, 0);

    const SPAposition at(2.625, -7.375, 0);  // pixel (60, 20), below the middle row: a mirror would show above it
    int px = 0, py = 0;
    Project(at, px, py);
    CDsItemBitmapIndexed item(CGmPosition(at.x(), at.y(), at.z()), index, eAlignBottomLeft);
    glColor3ub(255, 255, 255);
    item.DrawGl(*view_);
    EXPECT_EQ(LitRows(px, py, 8, 6), picture);
    EXPECT_EQ(LitCount(), 17);

    // Centred on the point.
    vyrtest::Clear(kBlack);
    CDsItemBitmapIndexed centred(CGmPosition(at.x(), at.y(), at.z()), index, eAlignCenter);
    centred.DrawGl(*view_);
    EXPECT_EQ(LitRows(px - 4, py - 3, 8, 6), picture);
    SDsBox2D box{};
    ASSERT_TRUE(centred.GetBoundBox2D(box));
    EXPECT_EQ(box.minX, -4);
    EXPECT_EQ(box.minY, -3);
    EXPECT_EQ(box.maxX, 4);
    EXPECT_EQ(box.maxY, 3);

    // The walk draws it only when bitmaps alone are asked.
    vyrtest::Clear(kBlack);
    view_->Start2dDraw();
    item.DrawOnTraverse(*view_, CDsGeometry::eDrawPrimitives(CDsGeometry::eDpBitmaps | CDsGeometry::eDpLines), false);
    EXPECT_EQ(LitCount(), 0);
    glColor3ub(255, 255, 255);
    item.DrawOnTraverse(*view_, CDsGeometry::eDpBitmaps, false);
    view_->End2dDraw();
    EXPECT_EQ(LitRows(px, py, 8, 6), picture);

    // An aperture centred on the point's pixel picks it; one beside it does not.
    const int down = kSize - 1 - py;
    view_->pick_mode(1, px, down, 5, 5);
    const pick_event event(px, down, view_.get());
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    EXPECT_TRUE(item.Pick(&manager));
    EXPECT_FALSE(item.Pick(static_cast<pick_manager*>(nullptr)));
    view_->pick_mode(1, px, kSize - 1 - down, 5, 5);  // the mirrored row
    EXPECT_FALSE(item.Pick(&manager));
}

TEST_F(DsRasterItemsGLTest, AnIndexedBitmapOutsideTheTableDrawsNothingAndHasNoBox)
{
    const int past = 100000;
    ASSERT_EQ(CDsManager::GetInstance()->GetBitmap(past), nullptr);
    glColor3ub(255, 255, 255);
    for (const int index : {-1, past}) {
        CDsItemBitmapIndexed item(CGmPosition(0, 0, 0), index, eAlignCenter);
        item.DrawGl(*view_);
        view_->Start2dDraw();
        item.DrawOnTraverse(*view_, CDsGeometry::eDpBitmaps, false);
        view_->End2dDraw();
        SDsBox2D box{};
        EXPECT_FALSE(item.GetBoundBox2D(box)) << index;
    }
    EXPECT_EQ(LitCount(), 0);
}

TEST_F(DsRasterItemsGLTest, AColouredBitmapCentredOnItsPointShowsItsTexture)
{
    // A 16 x 16 texture, every texel set: the foreground.
    const std::vector<unsigned char> bits(16 * 16 / 8, 0xFF);
    const int index = CDsManager::GetInstance()->AddTexture(bits.data(), 16, 16, SColor4ub(0, 0, 0, 0),
                                                            SColor4ub(255, 0, 0, 255), false);
    ASSERT_GE(index, 0);
    const SPAposition at(-4.875, 5.125, 0);  // pixel (30, 70)
    int px = 0, py = 0;
    Project(at, px, py);
    CDsItemBitmapColored item(CGmPosition(at.x(), at.y(), at.z()), index, eAlignCenter);
    int w = 0, h = 0;
    item.GetSize(w, h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 16);
    item.DrawGl(*view_);
    EXPECT_EQ(LitCount(), 0);  // drawn by the walk only
    view_->Start2dDraw();
    item.DrawOnTraverse(*view_, CDsGeometry::eDpImages, false);
    view_->End2dDraw();
    // Lit from px - 8 to px + 7 on both axes, nothing beyond.
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, px - 8, py - 8), kRed, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, px + 7, py + 7), kRed, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, px - 9, py), kBlack, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, px + 8, py), kBlack, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, px, py - 9), kBlack, 8));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, px, py + 8), kBlack, 8));
    CDsManager::GetInstance()->RemoveAllTextures(view_.get());
}

// --- Markers and the aperture tests of points ----------------------------------------------------

class DsMarkerGLTest : public DsRasterItemsGLTest {
protected:
    void TearDown() override
    {
        CDsManager::GetInstance()->GetPointsPalette()->ClearMarkers();
        gUiRememberedResourceHandle = remembered_;
        DsRasterItemsGLTest::TearDown();
    }
    // The marker's set pixels as rows, top first.
    static std::vector<std::string> Bits(const CDsItemBitmap& marker)
    {
        int w = 0, h = 0;
        marker.GetSize(w, h);
        std::vector<std::string> rows;
        for (int y = h - 1; y >= 0; --y) {
            std::string row;
            for (int x = 0; x < w; ++x) row += marker.TestPixel(x, y) ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }

    HINSTANCE remembered_ = gUiRememberedResourceHandle;
};

TEST_F(DsMarkerGLTest, APointOfTheCentreKindLightsExactlyTheSmallMarkerAtItsPixel)
{
    const SPAposition at(-7.375, -4.875, 0);  // pixel (20, 30)
    int px = 0, py = 0;
    Project(at, px, py);
    CDsPointGeometry point(at, eVyrParamPointType(263), ePointStyleByType, 0);
    point.DrawGl(*view_, CDsGeometry::eDpPoints, 0, 0, nullptr);
    CDsPointsPalette* palette = CDsManager::GetInstance()->GetPointsPalette();
    const CDsItemBitmap* marker = palette->GetMarker(10, 0);
    ASSERT_NE(marker, nullptr);
    const auto bits = Bits(*marker);
    ASSERT_EQ(bits.size(), 5u);
    int set = 0;
    for (const auto& row : bits) set += int(std::count(row.begin(), row.end(), '#'));
    ASSERT_GT(set, 0);
    EXPECT_EQ(LitRows(px - 2, py - 2, 5, 5), bits);  // the hot spot (2, 2) on the point's pixel
    EXPECT_EQ(LitCount(), set);
    EXPECT_EQ(palette->GetMarker(10, 1), nullptr);
}

TEST_F(DsMarkerGLTest, MarkerSizesPickTheBitmapOfTheirClass)
{
    const SPAposition at(5.125, 5.125, 0);  // pixel (70, 70)
    int px = 0, py = 0;
    Project(at, px, py);
    CDsPointsPalette* palette = CDsManager::GetInstance()->GetPointsPalette();
    CDsPointGeometry nine(at, eVyrParamPointType(-1), EPointStyle(4), 9);
    nine.DrawGl(*view_, CDsGeometry::eDpPoints, 0, 0, nullptr);
    const CDsItemBitmap* eleven = palette->GetMarker(4, 1);
    ASSERT_NE(eleven, nullptr);
    EXPECT_EQ(Bits(*eleven).size(), 11u);
    EXPECT_EQ(LitRows(px - 5, py - 5, 11, 11), Bits(*eleven));

    vyrtest::Clear(kBlack);
    CDsPointGeometry sixteen(at, eVyrParamPointType(-1), EPointStyle(4), 16);
    sixteen.DrawGl(*view_, CDsGeometry::eDpPoints, 0, 0, nullptr);
    const CDsItemBitmap* seventeen = palette->GetMarker(4, 2);
    ASSERT_NE(seventeen, nullptr);
    EXPECT_EQ(LitRows(px - 8, py - 8, 17, 17), Bits(*seventeen));
}

TEST_F(DsRasterItemsGLTest, AModelPointIsInTheApertureUpToItsBorder)
{
    const SPAposition at(-2.375, 7.625, 0);  // pixel (40, 80)
    int px = 0, py = 0;
    Project(at, px, py);
    const int down = kSize - 1 - py;
    const pick_event event(px, down, view_.get());
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    view_->pick_mode(1, px, down, 5, 5);
    EXPECT_TRUE(CDsAcisPick::StCheckIfPoint3dIsInApperture(&manager, at, 0));
    view_->pick_mode(1, px + 1, down - 1, 5, 5);  // the point one pixel inside the border
    EXPECT_TRUE(CDsAcisPick::StCheckIfPoint3dIsInApperture(&manager, at, 0));
    view_->pick_mode(1, px + 2, down, 5, 5);  // on the border: outside
    EXPECT_FALSE(CDsAcisPick::StCheckIfPoint3dIsInApperture(&manager, at, 0));
    view_->pick_mode(1, px, down + 2, 5, 5);
    EXPECT_FALSE(CDsAcisPick::StCheckIfPoint3dIsInApperture(&manager, at, 0));
    EXPECT_TRUE(CDsAcisPick::StCheckIfPoint3dIsInApperture(&manager, at, 1));  // a margin widens it
    view_->pick_mode(1, px, py, 5, 5);  // the mirrored row
    EXPECT_FALSE(CDsAcisPick::StCheckIfPoint3dIsInApperture(&manager, at, 0));
    EXPECT_FALSE(CDsAcisPick::StCheckIfPoint3dIsInApperture(nullptr, at, 0));

    // The window-point test takes rows counted up; a region pick ignores the margin.
    view_->pick_mode(1, px, down, 5, 5);
    EXPECT_TRUE(CDsAcisPick::StCheckIfPoint2dIsInApperture(&manager, px + 1, py, 0));
    EXPECT_FALSE(CDsAcisPick::StCheckIfPoint2dIsInApperture(&manager, px + 2, py, 0));
    EXPECT_TRUE(CDsAcisPick::StCheckIfPoint2dIsInApperture(&manager, px + 2, py, 1));
    const pick_event second(px + 10, down + 10, view_.get());
    pick_manager region(pick_method_region, 0, nullptr, &event, &second);
    EXPECT_FALSE(CDsAcisPick::StCheckIfPoint2dIsInApperture(&region, px + 2, py, 1));
}
