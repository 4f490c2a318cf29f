// gl_context and gl_context_data with OpenGL: window contexts and the live set (the first one
// resets the display lists, later ones share), presenting by swap and by restoring the back
// buffer, bitmap mode, and records that have no OpenGL context to draw with.
#include "TestGlContext.h"

#include "DsManager.h"
#include "DsQueryIDInt.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "driver_context.h"
#include "view3d.h"

#include "CountingPids.h"
#include "Dib.h"
#include "GlTestFixture.h"
#include "ViewWindow.h"

#include <memory>
#include <vector>

using vyrtest::ColorNear;
using vyrtest::CountingPids;
using vyrtest::Dib24Pixel;
using vyrtest::ReadBitmap24;
using vyrtest::MeanColor;
using vyrtest::PlainWindow;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kOrange{255, 128, 0};

// A body's mesh interface with one mesh, whose display list can be (re)built.
struct OneMeshBody {
    OneMeshBody() : mesh(new CVyrIndexedMesh(4, 1, 4)) {
        meshes.Add(CDmRefCountPtrTempl<CVyrMeshEntry>(new CVyrMeshEntry(nullptr, mesh)));
    }
    bool BuildList() {
        if (!mesh->StartDisplayListCreation(1)) return false;
        glRecti(0, 0, 1, 1);
        mesh->FinishDisplayListCreation();
        return glIsList(mesh->GetDisplayList()) == GL_TRUE;
    }
    CountingPids pids;
    CVyrMeshInterface meshes;
    CVyrIndexedMesh* mesh;  // owned by the interface's entry
};

// Every GL test starts and ends with no live window context, so that "the first context" means
// what it says whatever ran before in the same process.
class GlContextGLTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(vyrtest::DisplayAvailable());
        ASSERT_EQ(gl_context::StGetLiveContextCount(), 0);
    }
    void TearDown() override {
        wglMakeCurrent(nullptr, nullptr);
        EXPECT_EQ(gl_context::StGetLiveContextCount(), 0);
    }
};

// A view of w x h pixels at (x, y) whose record is `data` (not owned by the view).
void Attach(view3d& view, gl_context_data* data, int x, int y, int w, int h) {
    view.set_viewport(x, y, w, h);
    view.set_rendering_context_data(data);
}

}  // namespace

TEST_F(GlContextGLTest, TheFirstWindowContextResetsTheDisplayListsAndLaterOnesShareWithIt) {
    // Lists made in a context of the stand-in's own, outside the live set.
    vyrtest::GlWindow helper(20, 20, false);
    ASSERT_TRUE(helper.MakeCurrent());
    OneMeshBody body;
    ASSERT_TRUE(body.BuildList());
    const unsigned int before = body.mesh->GetDisplayList();

    PlainWindow w1(120, 80), w2(120, 80);
    auto first = std::make_unique<gl_context_data>(w1.dc);
    ASSERT_EQ(first->init_gl_context_data(nullptr, 0), gl_context_data::kInitOk);
    EXPECT_EQ(first->get_PixelFormat(), 1);
    EXPECT_TRUE(first->get_Descriptor().dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_EQ(wglGetCurrentContext(), first->get_GLRC());  // left current
    EXPECT_EQ(gl_context::StGetLiveContextCount(), 1);
    EXPECT_EQ(gl_context::StGetFirstLiveContext(), first->get_GLRC());
    EXPECT_EQ(body.mesh->GetDisplayList(), 0u);  // the first context reset every list handle
    EXPECT_FALSE(glIsList(before));

    ASSERT_TRUE(body.BuildList());
    const unsigned int rebuilt = body.mesh->GetDisplayList();
    auto second = std::make_unique<gl_context_data>(w2.dc);
    ASSERT_EQ(second->init_gl_context_data(nullptr, 0), gl_context_data::kInitOk);
    EXPECT_EQ(gl_context::StGetLiveContextCount(), 2);
    EXPECT_TRUE(gl_context::StIsLiveContext(second->get_GLRC()));
    EXPECT_EQ(gl_context::StGetFirstLiveContext(), std::min(first->get_GLRC(), second->get_GLRC()));
    EXPECT_EQ(body.mesh->GetDisplayList(), rebuilt);  // a later context resets nothing
    EXPECT_TRUE(glIsList(rebuilt));                   // and sees the lists of the first
    TestGlContext context;
    EXPECT_TRUE(context.share_lists(first.get(), second.get()));

    // A record leaves the set with its context; once none is left, the next one is first again.
    HGLRC gone = first->get_GLRC();
    first.reset();
    EXPECT_FALSE(gl_context::StIsLiveContext(gone));
    EXPECT_EQ(gl_context::StGetLiveContextCount(), 1);
    EXPECT_EQ(wglGetCurrentContext(), second->get_GLRC());  // deleting another record kept this one current
    second.reset();
    EXPECT_EQ(gl_context::StGetLiveContextCount(), 0);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);

    ASSERT_TRUE(helper.MakeCurrent());
    ASSERT_TRUE(body.BuildList());
    gl_context_data again(w1.dc);
    ASSERT_EQ(again.init_gl_context_data(nullptr, 0), gl_context_data::kInitOk);
    EXPECT_EQ(body.mesh->GetDisplayList(), 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A later window context joins the list space of the first at its making, in the order WGL
// accepts (made current and cleared, then shared); a caller that swaps the two is refused.
TEST_F(GlContextGLTest, ALaterWindowContextJoinsTheListSpaceOfTheFirst) {
    PlainWindow w1(60, 40), w2(60, 40);
    gl_context_data first(w1.dc);
    ASSERT_EQ(first.init_gl_context_data(nullptr, 0), gl_context_data::kInitOk);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEndList();
    gl_context_data second(w2.dc);
    ASSERT_EQ(second.init_gl_context_data(nullptr, 0), gl_context_data::kInitOk);
    glCallList(list);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 30, 20), kBlue));

    TestGlContext context;
    EXPECT_TRUE(context.share_lists(&first, &second));  // one space already
    // The second context took the first's space when it was made, so no other space takes it;
    // nor does a new context take the first, which holds lists.
    vyrtest::GlWindow fresh(20, 20, false);
    ASSERT_TRUE(fresh.Valid());
    EXPECT_FALSE(wglShareLists(fresh.context, second.get_GLRC()));
    EXPECT_FALSE(wglShareLists(fresh.context, first.get_GLRC()));
    glDeleteLists(list, 1);
}

TEST_F(GlContextGLTest, SwapBuffersPresentsClearsTheBackAndMarksItNotValid) {
    PlainWindow window(200, 100);
    gl_context_data record(window.dc);
    ASSERT_EQ(record.init_gl_context_data(nullptr, 0), gl_context_data::kInitOk);
    TestGlContext context;
    view3d view;
    Attach(view, &record, 0, 0, 200, 100);
    context.add_view(&view);

    vyrtest::SetPixelProjection(200, 100);
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(kRed);
    vyrtest::FillRect(kBlue, 0, 0, 50, 50);
    ASSERT_TRUE(context.RestoreBackBuffer(&view));
    ASSERT_TRUE(context.IsBackBufferValid());
    const unsigned int version = context.GetFrontBufferVersion();

    ASSERT_TRUE(context.swap_buffers(&view, &record));
    EXPECT_FALSE(context.IsBackBufferValid());
    EXPECT_EQ(context.GetFrontBufferVersion(), version + 1);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 150, 80), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 10, 10), kBlue));
    EXPECT_TRUE(ColorNear(MeanColor(GL_BACK, 0, 0, 200, 100), kBlack));  // the back buffer was cleared
    GLint drawBuffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    EXPECT_EQ(drawBuffer, GL_BACK);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // While another window is what OpenGL draws on, the record is neither presented nor restored:
    // the other window's buffers are not the view's to clear or overwrite.
    vyrtest::GlWindow other(200, 100, false);
    ASSERT_TRUE(other.MakeCurrent());
    vyrtest::SetPixelProjection(200, 100);
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(kGreen);
    EXPECT_FALSE(context.swap_buffers(&view, &record));
    EXPECT_FALSE(context.RestoreBackBuffer(&view));
    EXPECT_EQ(context.GetFrontBufferVersion(), version + 1);
    EXPECT_TRUE(ColorNear(MeanColor(GL_BACK, 0, 0, 200, 100), kGreen));
    view.set_rendering_context_data(nullptr);
}

TEST_F(GlContextGLTest, RestoreBackBufferCopiesTheViewportOnlyAndWhereItLies) {
    PlainWindow window(200, 100);
    gl_context_data record(window.dc);
    ASSERT_EQ(record.init_gl_context_data(nullptr, 0), gl_context_data::kInitOk);
    TestGlContext context;
    view3d view;
    Attach(view, &record, 50, 20, 100, 60);  // away from the window's corner
    context.add_view(&view);

    // The front holds green; the back blue, with an orange block at the viewport's lower-left
    // corner and a red one at its upper-right corner.
    vyrtest::SetPixelProjection(200, 100);
    glDrawBuffer(GL_FRONT);
    vyrtest::Clear(kGreen);
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(kBlue);
    vyrtest::FillRect(kOrange, 50, 20, 10, 10);
    vyrtest::FillRect(kRed, 140, 70, 10, 10);
    glViewport(50, 20, 100, 60);  // as the view's refresh leaves it
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    const unsigned int version = context.GetFrontBufferVersion();

    ASSERT_TRUE(context.RestoreBackBuffer(&view));
    EXPECT_TRUE(context.IsBackBufferValid());
    EXPECT_EQ(context.GetFrontBufferVersion(), version + 1);
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 51, 21, 8, 8), kOrange));
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 141, 71, 8, 8), kRed));
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 70, 40, 60, 20), kBlue));
    // Outside the viewport the front keeps its picture.
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 0, 0, 49, 100), kGreen));
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 151, 0, 49, 100), kGreen));
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 50, 81, 100, 19), kGreen));
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 50, 0, 100, 19), kGreen));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLint drawBuffer = 0;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    EXPECT_EQ(drawBuffer, GL_BACK);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    view.set_rendering_context_data(nullptr);
}

TEST_F(GlContextGLTest, BitmapModeRendersIntoABitmapThatReachesTheViewsDeviceContext) {
    vyrtest::GlWindow helper(20, 20, false);
    ASSERT_TRUE(helper.MakeCurrent());
    OneMeshBody body;
    ASSERT_TRUE(body.BuildList());

    // The host's picture: a memory DC with a 64 x 32 bitmap, given to the view.
    HDC hostDc = CreateCompatibleDC(nullptr);
    HBITMAP hostBitmap = CreateBitmap(64, 32, 1, 32, nullptr);
    HGDIOBJ hostPrevious = SelectObject(hostDc, hostBitmap);
    view3d view;
    view.set_viewport(0, 0, 64, 32);
    view.set_device_context(hostDc);
    TestGlContext context;
    context.add_view(&view);
    context.SetRenderToBitmap(1);

    gl_context_data* data = context.Get_gl_context_data(&view);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data, context.get_bitmap_data());
    ASSERT_NE(data->get_Bitmap(), nullptr);
    EXPECT_EQ(data->get_Bitmap()->info.bmiHeader.biWidth, 64);
    EXPECT_TRUE(data->get_Descriptor().dwFlags & PFD_DRAW_TO_BITMAP);
    EXPECT_EQ(wglGetCurrentContext(), data->get_GLRC());
    // Never a live window context, never a reset of the lists.
    EXPECT_EQ(gl_context::StGetLiveContextCount(), 0);
    EXPECT_NE(body.mesh->GetDisplayList(), 0u);

    // Orange, with a red band along the bottom rows and a blue one along the top rows.
    vyrtest::SetPixelProjection(64, 32);
    vyrtest::Clear(kOrange);
    vyrtest::FillRect(kRed, 0, 0, 64, 4);
    vyrtest::FillRect(kBlue, 0, 28, 64, 4);
    // Looking the record up again mid-frame keeps its context and its picture.
    HGLRC drawing = data->get_GLRC();
    ASSERT_EQ(context.Get_gl_context_data(&view), data);
    EXPECT_EQ(data->get_GLRC(), drawing);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 10, 1), kRed));

    const unsigned int version = context.GetFrontBufferVersion();
    ASSERT_TRUE(context.swap_buffers(&view, data));
    EXPECT_EQ(context.GetFrontBufferVersion(), version);  // no window buffer changed
    std::vector<unsigned char> bits = ReadBitmap24(nullptr, hostBitmap, 64, 32);
    ASSERT_FALSE(bits.empty());
    // Rows from the bottom up, and each pixel's bytes blue, green, red.
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 64, 10, 0), kRed));
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 64, 10, 31), kBlue));
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 64, 10, 15), kOrange));
    const size_t middle = static_cast<size_t>(64 * 3) * 15 + 10 * 3;
    EXPECT_EQ(bits[middle], 0);
    EXPECT_NEAR(bits[middle + 1], 128, 2);
    EXPECT_EQ(bits[middle + 2], 255);

    // A later lookup, after a window's context was made current meanwhile, answers the same
    // record current again, its picture kept: what is drawn next goes into the bitmap.
    ASSERT_TRUE(helper.MakeCurrent());
    ASSERT_EQ(context.Get_gl_context_data(&view), data);
    EXPECT_EQ(data->get_GLRC(), drawing);
    EXPECT_EQ(wglGetCurrentContext(), drawing);
    EXPECT_EQ(wglGetCurrentDC(), data->get_DC());
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 10, 1), kRed));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_FRONT, 10, 15), kOrange));

    // A new viewport size gives a new bitmap (and context) of that size.
    view.set_viewport(0, 0, 32, 16);
    gl_context_data* resized = context.Get_gl_context_data(&view);
    ASSERT_EQ(resized, data);
    EXPECT_EQ(resized->get_Bitmap()->info.bmiHeader.biWidth, 32);
    EXPECT_EQ(resized->get_Bitmap()->info.bmiHeader.biHeight, 16);
    EXPECT_NE(resized->get_GLRC(), nullptr);
    EXPECT_EQ(gl_context::StGetLiveContextCount(), 0);

    // Back to windows: the view's own record again (it has none here).
    context.SetRenderToBitmap(0);
    EXPECT_EQ(context.Get_gl_context_data(&view), nullptr);
    context.delete_context_data();
    SelectObject(hostDc, hostPrevious);
    DeleteObject(hostBitmap);
    DeleteDC(hostDc);
}

TEST_F(GlContextGLTest, BitmapModePresentsOverTheDriversOutputExtentsWhenItHasThem) {
    HDC hostDc = CreateCompatibleDC(nullptr);
    HBITMAP hostBitmap = CreateBitmap(40, 40, 1, 24, nullptr);
    HGDIOBJ hostPrevious = SelectObject(hostDc, hostBitmap);
    view3d view;
    auto* driver = new driver_context;
    view.set_driver_context(driver);
    view.set_viewport(0, 0, 10, 10);
    driver->set_output_extents(20, 0, 20, 20);  // the picture, stretched twice, into the right half's top
    view.set_device_context(hostDc);
    TestGlContext context;
    context.SetRenderToBitmap(1);
    gl_context_data* data = context.Get_gl_context_data(&view);
    ASSERT_NE(data, nullptr);
    vyrtest::SetPixelProjection(10, 10);
    vyrtest::Clear(kGreen);
    ASSERT_TRUE(context.swap_buffers(&view, data));

    std::vector<unsigned char> bits = ReadBitmap24(nullptr, hostBitmap, 40, 40);
    ASSERT_FALSE(bits.empty());
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 40, 30, 30), kGreen));  // top right (stored rows from the bottom)
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 40, 21, 21), kGreen));
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 40, 10, 30), kBlack));  // left half untouched
    EXPECT_TRUE(ColorNear(Dib24Pixel(bits, 40, 30, 10), kBlack));  // bottom untouched
    context.delete_context_data();
    SelectObject(hostDc, hostPrevious);
    DeleteObject(hostBitmap);
    DeleteDC(hostDc);
}

TEST_F(GlContextGLTest, ARecordWithoutAPixelFormatOrContextDrawsNothingAndSaysSo) {
    // Another window is current, with a picture in both buffers.
    vyrtest::GlWindow current(100, 50, false);
    ASSERT_TRUE(current.MakeCurrent());
    vyrtest::SetPixelProjection(100, 50);
    glDrawBuffer(GL_FRONT);
    vyrtest::Clear(kGreen);
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(kBlue);

    PlainWindow bare(100, 50);
    gl_context_data record(bare.dc);  // never initialised: the window has no pixel format
    EXPECT_EQ(GetPixelFormat(bare.dc), 0);
    TestGlContext context;
    view3d view;
    Attach(view, &record, 0, 0, 100, 50);
    context.add_view(&view);

    EXPECT_FALSE(record.make_current(&view));
    EXPECT_FALSE(context.make_current(&view, &record));
    EXPECT_EQ(wglGetCurrentContext(), current.context);
    EXPECT_FALSE(context.swap_buffers(&view, &record));
    EXPECT_FALSE(context.RestoreBackBuffer(&view));
    EXPECT_EQ(context.GetFrontBufferVersion(), 0u);
    EXPECT_FALSE(context.IsBackBufferValid());
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 0, 0, 100, 50), kGreen));
    EXPECT_TRUE(ColorNear(MeanColor(GL_BACK, 0, 0, 100, 50), kBlue));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // A device context that takes no pixel format gets no context, and the failure is reported.
    HDC info = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    gl_context_data noFormat(info);
    EXPECT_EQ(noFormat.init_gl_context_data(nullptr, 0), gl_context_data::kInitNoContext);
    EXPECT_EQ(noFormat.get_GLRC(), nullptr);
    EXPECT_EQ(noFormat.get_PixelFormat(), 0);
    EXPECT_EQ(gl_context::StGetLiveContextCount(), 0);
    EXPECT_EQ(wglGetCurrentContext(), current.context);
    gl_context_data nothing;
    EXPECT_EQ(nothing.init_gl_context_data(nullptr, 0), gl_context_data::kInitNoDevice);
    EXPECT_EQ(nothing.init_gl_context_data(nullptr, 1), gl_context_data::kInitNoDevice);  // bitmap mode needs the view
    view3d empty;
    empty.set_viewport(0, 0, 0, 0);
    EXPECT_EQ(nothing.init_gl_context_data(&empty, 1), gl_context_data::kInitNoDevice);  // and a picture to draw
    EXPECT_EQ(nothing.get_DC(), nullptr);
    EXPECT_TRUE(ColorNear(MeanColor(GL_FRONT, 0, 0, 100, 50), kGreen));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    DeleteDC(info);
    view.set_rendering_context_data(nullptr);
}
