// The display manager's texture table: images registered once, and each view's GL texture of an
// image made on the view's first request, drawn from, and dropped with the view's textures in the
// view's own GL context.
#include "DsDriverGl.h"
#include "DsManager.h"
#include "DsTextureData.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "gl_context.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

class DsManagerTexturesGLTest : public vyrtest::GlTest {
protected:
    // Every view made becomes the current one: each test starts with none.
    void SetUp() override
    {
        vyrtest::GlTest::SetUp();
        CDsView3dCdc::sCurrentView = nullptr;
    }
    void TearDown() override
    {
        CDsManager::GetInstance()->RemoveAllTextures(&first_);
        CDsManager::GetInstance()->RemoveAllTextures(&second_);
        CDsView3dCdc::sCurrentView = nullptr;
        vyrtest::GlTest::TearDown();
    }

    static int AddStripes(bool repeat)
    {
        const std::vector<unsigned char> bits(4 * 32, 0x0F);
        return CDsManager::GetInstance()->AddTexture(bits.data(), 32, 32, SColor4ub(255, 255, 255, 0),
                                                     SColor4ub(0, 0, 0, 255), repeat);
    }

    CDsView3dCdc first_, second_;
};

}  // namespace

TEST_F(DsManagerTexturesGLTest, ImagesAreRegisteredOnceWithTheirTexels)
{
    CDsManager* manager = CDsManager::GetInstance();
    const int a = AddStripes(true);
    const int b = AddStripes(false);
    ASSERT_GE(a, 0);
    EXPECT_EQ(b, a + 1);
    SDsTextureData image;
    ASSERT_TRUE(manager->GetTextureData(a, image));
    EXPECT_TRUE(image.repeat);
    EXPECT_EQ(image.buffer.GetColumns(), 32);
    EXPECT_EQ(image.width, 32);
    EXPECT_EQ(image.buffer.Row(5)[3], SColor4ub(0, 0, 0, 255));
    EXPECT_EQ(image.buffer.Row(5)[4], SColor4ub(255, 255, 255, 0));
    ASSERT_TRUE(manager->GetTextureData(b, image));
    EXPECT_FALSE(image.repeat);
    // A copy: changing it leaves the table alone.
    image.buffer.Row(0)[0] = SColor4ub(1, 2, 3, 4);
    SDsTextureData again;
    ASSERT_TRUE(manager->GetTextureData(b, again));
    EXPECT_EQ(again.buffer.Row(0)[0], SColor4ub(0, 0, 0, 255));

    EXPECT_FALSE(manager->GetTextureData(-1, image));
    EXPECT_FALSE(manager->GetTextureData(b + 1000, image));
    EXPECT_EQ(manager->AddTexture(nullptr, 8, 8, SColor4ub(), SColor4ub(), true), -1);
    EXPECT_EQ(AddStripes(true), b + 1);  // the refused one took no index
}

TEST_F(DsManagerTexturesGLTest, EachViewLoadsItsTextureOnceOnItsFirstRequest)
{
    CDsManager* manager = CDsManager::GetInstance();
    const int index = AddStripes(true);
    SDsTexture texture;
    EXPECT_FALSE(manager->GetTexture(index, texture));  // no current view
    EXPECT_EQ(texture.id, 0u);

    CDsView3dCdc::sCurrentView = &first_;
    ASSERT_TRUE(manager->GetTexture(index, texture));
    EXPECT_NE(texture.id, 0u);
    EXPECT_TRUE(glIsTexture(texture.id));
    EXPECT_EQ(texture.width, 32);
    EXPECT_FLOAT_EQ(texture.sExtent, 1.0f);
    SDsTexture again;
    ASSERT_TRUE(manager->GetTexture(index, again));
    EXPECT_EQ(again.id, texture.id);  // not loaded again

    CDsView3dCdc::sCurrentView = &second_;
    SDsTexture other;
    ASSERT_TRUE(manager->GetTexture(index, other));
    EXPECT_NE(other.id, texture.id);
    EXPECT_FALSE(manager->GetTexture(index + 1000, other));
    EXPECT_FALSE(manager->GetTexture(-1, other));

    // The first view's textures go; the second view's stay.
    manager->RemoveAllTextures(&first_);
    EXPECT_FALSE(glIsTexture(texture.id));
    EXPECT_TRUE(glIsTexture(other.id));
    manager->RemoveAllTextures(&first_);  // nothing left: nothing happens
    CDsView3dCdc::sCurrentView = &first_;
    SDsTexture reloaded;
    ASSERT_TRUE(manager->GetTexture(index, reloaded));
    EXPECT_TRUE(glIsTexture(reloaded.id));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsManagerTexturesGLTest, ATextureMadeOutOfOrderIsKeptWhenLaterOnesFollow)
{
    // A fresh view asks for the middle one of three images first, then for the last one: the
    // middle one's texture is kept (not made again), and the first image's waits, unmade, for its
    // own first request.
    CDsManager* manager = CDsManager::GetInstance();
    const int first = AddStripes(true);
    const int middle = AddStripes(false);
    const int last = AddStripes(true);
    CDsView3dCdc::sCurrentView = &first_;
    SDsTexture texture;
    ASSERT_TRUE(manager->GetTexture(middle, texture));
    EXPECT_TRUE(glIsTexture(texture.id));
    SDsTexture lastTexture;
    ASSERT_TRUE(manager->GetTexture(last, lastTexture));
    SDsTexture again;
    ASSERT_TRUE(manager->GetTexture(middle, again));
    EXPECT_EQ(again.id, texture.id);
    SDsTexture firstTexture;
    ASSERT_TRUE(manager->GetTexture(first, firstTexture));
    EXPECT_NE(firstTexture.id, texture.id);
    EXPECT_NE(firstTexture.id, lastTexture.id);
}

namespace {

const Rgb kRed{255, 0, 0}, kBlue{0, 0, 255}, kBlack{0, 0, 0};

// A rendering context with nothing of its own beyond the OpenGL base.
class PlainGlContext : public gl_context {
public:
    void get_entities(ENTITY_LIST&, entity_filter*, bool) override {}
    void update(ENTITY*) override {}
    void* make_figure(const ENTITY_LIST&, view3d*) override { return nullptr; }
    int CopyBackToFront(view3d*) override { return 0; }
};

// A window with a view of the core whose rendering context gave it its own GL context.
struct ViewWindow {
    ViewWindow(int width, int height)
    {
        window = CreateWindowExW(0, L"VyrTestWindow", L"view", 0, 0, 0, width, height, nullptr, nullptr, nullptr,
                                 nullptr);
        dc = GetDC(window);
        record = std::make_unique<gl_context_data>(dc);
        valid = window && record->init_gl_context_data(nullptr, 0) == gl_context_data::kInitOk;
        view.set_viewport(0, 0, width, height);
        context.add_view(&view);
        view.set_rendering_context_data(record.get());
    }
    ~ViewWindow()
    {
        CDsManager::GetInstance()->RemoveAllTextures(&view);
        if (CDsView3dCdc::sCurrentView == &view) CDsView3dCdc::sCurrentView = nullptr;
        view.set_rendering_context_data(nullptr);
        context.remove_view(&view);
        record.reset();
        ReleaseDC(window, dc);
        DestroyWindow(window);
    }
    ViewWindow(const ViewWindow&) = delete;
    ViewWindow& operator=(const ViewWindow&) = delete;

    // Makes the view current and its GL context current by hand, as the views will.
    bool MakeCurrent()
    {
        CDsView3dCdc::sCurrentView = &view;
        return wglMakeCurrent(record->get_DC(), record->get_GLRC()) != FALSE;
    }
    HGLRC Context() const { return record->get_GLRC(); }

    HWND window = nullptr;
    HDC dc = nullptr;
    std::unique_ptr<gl_context_data> record;
    bool valid = false;
    PlainGlContext context;
    CDsView3dCdc view;
};

class DsManagerViewTexturesGLTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        // An 8 x 8 image: the left half opaque red, the right half opaque blue.
        const std::vector<unsigned char> bits(8, 0x0F);
        index_ = CDsManager::GetInstance()->AddTexture(bits.data(), 8, 8, SColor4ub(0, 0, 255, 255),
                                                       SColor4ub(255, 0, 0, 255), false);
        ASSERT_GE(index_, 0);
    }
    void TearDown() override
    {
        wglMakeCurrent(nullptr, nullptr);
        CDsView3dCdc::sCurrentView = nullptr;
    }

    // Asks the current view for the image's texture, draws it as an icon at (20, 10) on black
    // and checks both halves where they should be; answers the texture's name.
    unsigned int DrawImage(ViewWindow& window)
    {
        SDsTexture texture;
        EXPECT_TRUE(CDsManager::GetInstance()->GetTexture(index_, texture));
        glDrawBuffer(GL_BACK);
        glViewport(0, 0, 64, 64);
        vyrtest::Clear(kBlack);
        CDsDriverGl::DrawIcon(window.view, texture, 20, 10);
        EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 21, 13), kRed));
        EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 26, 13), kBlue));
        EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 29, 13), kBlack));  // right of the 8 pixels
        EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 21, 19), kBlack));  // above them
        return texture.id;
    }

    int index_ = -1;
};

}  // namespace

TEST_F(DsManagerViewTexturesGLTest, AnImageIsMadeOnceInEachViewsContextAndReusedThere)
{
    ViewWindow a(64, 64), b(64, 64);
    ASSERT_TRUE(a.valid && b.valid);

    ASSERT_TRUE(a.MakeCurrent());
    const unsigned int inA = DrawImage(a);
    EXPECT_TRUE(glIsTexture(inA));
    ASSERT_TRUE(b.MakeCurrent());
    const unsigned int inB = DrawImage(b);
    EXPECT_TRUE(glIsTexture(inB));
    EXPECT_NE(inB, inA);  // the second window's context got a texture of its own

    // The second draw in each window reuses its texture.
    ASSERT_TRUE(a.MakeCurrent());
    EXPECT_EQ(DrawImage(a), inA);
    ASSERT_TRUE(b.MakeCurrent());
    EXPECT_EQ(DrawImage(b), inB);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsManagerViewTexturesGLTest, RemovingAllTexturesReleasesThemInTheViewsOwnContext)
{
    CDsManager* manager = CDsManager::GetInstance();
    ViewWindow a(64, 64), b(64, 64);
    ASSERT_TRUE(a.valid && b.valid);
    ASSERT_TRUE(a.MakeCurrent());
    const unsigned int inA = DrawImage(a);
    ASSERT_TRUE(b.MakeCurrent());
    const unsigned int inB = DrawImage(b);

    // With no context current, the first view's textures still go, in its own context, and
    // nothing is left current.
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    manager->RemoveAllTextures(&a.view);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    ASSERT_TRUE(a.MakeCurrent());
    EXPECT_FALSE(glIsTexture(inA));
    EXPECT_TRUE(glIsTexture(inB));
    ASSERT_TRUE(b.MakeCurrent());
    EXPECT_FALSE(glIsTexture(inA));
    EXPECT_TRUE(glIsTexture(inB));

    // With the first view's context current, the second view's textures go and the first
    // context stays current.
    ASSERT_TRUE(a.MakeCurrent());
    manager->RemoveAllTextures(&b.view);
    EXPECT_EQ(wglGetCurrentContext(), a.Context());
    EXPECT_FALSE(glIsTexture(inB));
    ASSERT_TRUE(b.MakeCurrent());
    EXPECT_FALSE(glIsTexture(inB));

    // The images stay: the next request makes a texture again.
    const unsigned int again = DrawImage(b);
    EXPECT_TRUE(glIsTexture(again));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
