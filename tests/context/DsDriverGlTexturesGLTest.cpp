// Textures of the driver statics: images loaded as GL textures, icons, textured rectangles and
// hatched polygons, whose stripes must follow the direction given in every quadrant. Pixels are
// read back.
#include "DriverGlFixture.h"

#include "DsManager.h"
#include "DsTextureData.h"
#include "ViewSetup.h"
#include "rendering_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kGreen{0, 255, 0}, kRed{255, 0, 0};
const SColor4ub kTransparentWhite(255, 255, 255, 0), kOpaqueBlack(0, 0, 0, 255), kOpaqueRed(255, 0, 0, 255);

class DsDriverGlTexturesGLTest : public vyrtest::DriverGlTest {
protected:
    void SetUp() override
    {
        vyrtest::DriverGlTest::SetUp();
        vyrtest::ViewSetup().Clip(1.0, 100.0).ApplyTo(view_);
        CDsView3dCdc::sCurrentView = &view_;
    }
    void TearDown() override
    {
        CDsManager::GetInstance()->RemoveAllTextures(&view_);
        vyrtest::DriverGlTest::TearDown();
    }

    // A 32 x 32 hatch of horizontal stripes 8 texels high (opaque black, transparent white, ...),
    // registered with the display manager; its index.
    static int StripedHatch()
    {
        std::vector<unsigned char> bits(32 * 4, 0);
        for (int row = 0; row < 32; ++row)
            if ((row / 8) % 2 == 0)
                for (int k = 0; k < 4; ++k) bits[size_t(row * 4 + k)] = 0xFF;
        return CDsManager::GetInstance()->AddTexture(bits.data(), 32, 32, kTransparentWhite, kOpaqueBlack, true);
    }

    // The view's camera as GL transforms, a white light from the viewer, a grey background.
    void PrepareLitView()
    {
        view_.SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_SCISSOR_TEST);
        glEnable(GL_LIGHT0);
        vyrtest::Clear(Rgb{60, 60, 60});
    }

    // A square of 8 x 4 model units (160 x 80 pixels) around the origin, facing the viewer.
    static std::pair<std::vector<SPAposition>, GLenum> Square()
    {
        return {{SPAposition(-4, -2, 0), SPAposition(4, -2, 0), SPAposition(4, 2, 0), SPAposition(-4, 2, 0)},
                GL_QUADS};
    }

    CDsView3dCdc view_;
};

// Brightness (the red channel) of the back buffer's pixels in a w x h block from (x, y).
std::vector<int> Brightness(int x, int y, int w, int h)
{
    std::vector<unsigned char> rgb(size_t(w * h * 3));
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::vector<int> out(size_t(w * h));
    for (size_t i = 0; i < out.size(); ++i) out[i] = rgb[3 * i];
    return out;
}

// Mean difference of brightness between each pixel of the middle of the square and the pixel
// `distance` pixels away along (dx, dy).
double MeanDifference(const std::vector<int>& b, int w, int h, double dx, double dy, double distance)
{
    const int ox = int(std::lround(dx * distance)), oy = int(std::lround(dy * distance));
    double sum = 0;
    int count = 0;
    for (int y = 20; y < h - 20; ++y)
        for (int x = 20; x < w - 20; ++x) {
            sum += std::abs(b[size_t(y * w + x)] - b[size_t((y + oy) * w + (x + ox))]);
            ++count;
        }
    return sum / count;
}

// The texture names in use among the first few thousand.
std::vector<GLuint> LiveTextures()
{
    std::vector<GLuint> live;
    for (GLuint id = 1; id < 4096; ++id)
        if (glIsTexture(id)) live.push_back(id);
    return live;
}

}  // namespace

TEST_F(DsDriverGlTexturesGLTest, LoadedTexturesKeepTheirPictureSizeAndWrapping)
{
    SDsTextureData image;
    image.buffer.Resize(16, 8);
    image.width = 12;
    image.height = 6;
    image.repeat = false;
    SDsTexture texture;
    ASSERT_TRUE(CDsDriverGl::LoadTexture(image, texture));
    EXPECT_NE(texture.id, 0u);
    EXPECT_EQ(texture.width, 12);
    EXPECT_EQ(texture.height, 6);
    EXPECT_FLOAT_EQ(texture.sExtent, 0.75f);
    EXPECT_FLOAT_EQ(texture.tExtent, 0.75f);
    GLint wrap = 0, width = 0, components = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 16);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &components);
    EXPECT_TRUE(components == 4 || components == GL_RGBA) << components;  // four components
    GLuint id = texture.id;
    glDeleteTextures(1, &id);

    image.repeat = true;
    SDsTexture repeated;
    ASSERT_TRUE(CDsDriverGl::LoadTexture(image, repeated));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT);
    id = repeated.id;
    glDeleteTextures(1, &id);

    SDsTexture untouched;
    EXPECT_FALSE(CDsDriverGl::LoadTexture(SDsTextureData(), untouched));
    EXPECT_EQ(untouched.id, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlTexturesGLTest, IconShowsItsPictureWhereOpaqueAndTheBackgroundElsewhere)
{
    vyrtest::SetPixelProjection(200, 100);
    vyrtest::Clear(kGreen);
    // 8 x 8: the left half of each row set (opaque red), the right half transparent.
    const std::vector<unsigned char> bits(8, 0x0F);
    SDsTextureData image;
    ASSERT_TRUE(CDsDriverGl::ConvertBits2Texture(bits.data(), 8, 8, image, kTransparentWhite, kOpaqueRed));
    SDsTexture texture;
    ASSERT_TRUE(CDsDriverGl::LoadTexture(image, texture));

    glEnable(GL_LIGHTING);
    CDsDriverGl::DrawIcon(view_, texture, 50, 20);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));  // the enable bits come back
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 51, 21), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 53, 27), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 56, 23), kGreen));  // transparent half
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 51, 29), kGreen));  // above the icon
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 49, 21), kGreen));  // left of it

    CDsDriverGl::DrawIcon(view_, SDsTexture(), 100, 50);  // never loaded: nothing
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 101, 51), kGreen));
    GLuint id = texture.id;
    glDeleteTextures(1, &id);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlTexturesGLTest, TexturedRectangleMapsTheCornersItIsGiven)
{
    vyrtest::SetPixelProjection(200, 100);
    vyrtest::Clear(Rgb{0, 0, 0});
    // 2 x 2 texels: (s0, t0) red, (s1, t0) green, (s0, t1) blue, (s1, t1) white.
    const unsigned char rgba[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    CDsDriverGl::StSetTexture2D(true, 2, 2, rgba);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    const float p0[3] = {20, 20, 0}, p1[3] = {60, 20, 0}, p2[3] = {20, 60, 0}, p3[3] = {60, 60, 0};
    CDsDriverGl::StDrawTexturedRectangle(p0, p1, p2, p3, 0.0f, 1.0f, 0.0f, 1.0f);
    CDsDriverGl::StSetTexture2D(false, 0, 0, nullptr);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 25, 25), Rgb{255, 0, 0}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 55, 25), Rgb{0, 255, 0}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 25, 55), Rgb{0, 0, 255}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 55, 55), Rgb{255, 255, 255}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlTexturesGLTest, HatchStripesRunAlongTheDirectionInEveryQuadrant)
{
    const int hatch = StripedHatch();
    ASSERT_GE(hatch, 0);
    const SPAunit_vector normal(0, 0, 1);
    // Directions in the four quadrants and along the axes (some nearly axis-parallel).
    const double directions[][2] = {{1, 0.5},  {-1, 0.5}, {-1, -0.5}, {1, -0.5}, {0.3, 1},
                                    {-0.3, -1}, {1, 0},    {0, 1},     {-1, 1e-9}};
    for (const auto& dir : directions) {
        const double length = std::hypot(dir[0], dir[1]);
        const double dx = dir[0] / length, dy = dir[1] / length;
        SCOPED_TRACE(testing::Message() << "direction (" << dx << ", " << dy << ")");
        PrepareLitView();
        CDsDriverGl::DrawHatchedPolygon(view_, Square(), SPAunit_vector(dx, dy, 0), normal, hatch);
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        // The square covers pixels 20..179 x 10..89; read its inside.
        const int w = 150, h = 70;
        const std::vector<int> b = Brightness(25, 15, w, h);
        // Dark stripes and lit gaps both show.
        const int darkest = *std::min_element(b.begin(), b.end());
        const int brightest = *std::max_element(b.begin(), b.end());
        EXPECT_LT(darkest, 40);
        EXPECT_GT(brightest, 150);
        // Along the direction the brightness stays; across it, half a period (8 pixels) away, it
        // changes.
        const double along = MeanDifference(b, w, h, dx, dy, 12.0);
        const double across = MeanDifference(b, w, h, -dy, dx, 8.0);
        EXPECT_LT(along, 15.0);
        EXPECT_GT(across, 80.0);
    }
}

TEST_F(DsDriverGlTexturesGLTest, HatchOfAContextRenderingToABitmapUsesATemporaryTexture)
{
    struct BitmapContext : rendering_context {
        void get_entities(ENTITY_LIST&, entity_filter*, bool) override {}
        void update(ENTITY*) override {}
        void* make_figure(const ENTITY_LIST&, view3d*) override { return nullptr; }
        int CopyBackToFront(view3d*) override { return 0; }
    } context;
    context.SetRenderToBitmap(1);
    context.add_view(&view_);
    const int hatch = StripedHatch();
    PrepareLitView();
    const std::vector<GLuint> before = LiveTextures();
    CDsDriverGl::DrawHatchedPolygon(view_, Square(), SPAunit_vector(1, 0, 0), SPAunit_vector(0, 0, 1), hatch);
    const std::vector<int> b = Brightness(25, 15, 150, 70);
    EXPECT_LT(MeanDifference(b, 150, 70, 1, 0, 12.0), 15.0);
    EXPECT_GT(MeanDifference(b, 150, 70, 0, 1, 8.0), 80.0);
    // The texture is gone again: the view keeps none.
    EXPECT_EQ(LiveTextures(), before);

    // Drawing to the window, the view keeps its texture for the next polygon.
    context.SetRenderToBitmap(0);
    CDsDriverGl::DrawHatchedPolygon(view_, Square(), SPAunit_vector(1, 0, 0), SPAunit_vector(0, 0, 1), hatch);
    EXPECT_EQ(LiveTextures().size(), before.size() + 1);
    context.remove_view(&view_);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlTexturesGLTest, HatchWithoutATextureOrAViewDrawsNothing)
{
    const int hatch = StripedHatch();
    PrepareLitView();
    const Rgb background{60, 60, 60};
    // A hatch the table does not hold.
    CDsDriverGl::DrawHatchedPolygon(view_, Square(), SPAunit_vector(1, 0, 0), SPAunit_vector(0, 0, 1), hatch + 1000);
    CDsDriverGl::DrawHatchedPolygon(view_, Square(), SPAunit_vector(1, 0, 0), SPAunit_vector(0, 0, 1), -1);
    // No current view.
    CDsView3dCdc::sCurrentView = nullptr;
    CDsDriverGl::DrawHatchedPolygon(view_, Square(), SPAunit_vector(1, 0, 0), SPAunit_vector(0, 0, 1), hatch);
    CDsView3dCdc::sCurrentView = &view_;
    // A view without pixels has no scale.
    CDsView3dCdc empty;
    empty.set_viewport(0, 0, 0, 0);
    CDsDriverGl::DrawHatchedPolygon(empty, Square(), SPAunit_vector(1, 0, 0), SPAunit_vector(0, 0, 1), hatch);
    // No vertices.
    CDsDriverGl::DrawHatchedPolygon(view_, {{}, GL_POLYGON}, SPAunit_vector(1, 0, 0), SPAunit_vector(0, 0, 1), hatch);
    EXPECT_TRUE(ColorNear(vyrtest::MeanColor(GL_BACK, 25, 15, 150, 70), background));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
