// The driver statics' state calls: line widths and their cache, styles and vertex colours from
// the active palettes, display-list ids and lists, the switches, projections and the description
// of the implementation. Read back from OpenGL (glGet or pixels).
#include "DriverGlFixture.h"

#include "DsItemPolyline3D.h"
#include "DsPalette.h"
#include "DsStylePalette.h"
#include "TestResets.h"
#include "ViewSetup.h"
#include "VyrString.h"
#include "rgb_color.h"

#include <gtest/gtest.h>

#include <string>

using vyrtest::ColorNear;
using vyrtest::LineWidth;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

class DsDriverGlStateGLTest : public vyrtest::DriverGlTest {};

bool Enabled(GLenum cap)
{
    return glIsEnabled(cap) == GL_TRUE;
}

}  // namespace

TEST_F(DsDriverGlStateGLTest, WidthThreeThenOneSendsOneAndRepeatedWidthsSendNothing)
{
    CDsDriverGl::StSetWidth(3);
    EXPECT_EQ(LineWidth(), 3.0f);
    EXPECT_EQ(CDsDriverGl::mWidth, 3);
    CDsDriverGl::StSetWidth(1);
    EXPECT_EQ(LineWidth(), 1.0f);

    // Behind the driver's back: a repeated width is not sent again.
    glLineWidth(5.0f);
    CDsDriverGl::StSetWidth(1);
    EXPECT_EQ(LineWidth(), 5.0f);
    CDsDriverGl::StSetWidth(2);
    EXPECT_EQ(LineWidth(), 2.0f);

    // A forced width is sent always and becomes the width the cache knows.
    CDsDriverGl::StForceWidth(4);
    EXPECT_EQ(LineWidth(), 4.0f);
    glLineWidth(7.0f);
    CDsDriverGl::StSetWidth(4);
    EXPECT_EQ(LineWidth(), 7.0f);
    CDsDriverGl::StSetWidth(1);
    EXPECT_EQ(LineWidth(), 1.0f);

    // Widths OpenGL refuses are not sent and leave no error.
    CDsDriverGl::StSetWidth(0);
    CDsDriverGl::StSetWidth(-3);
    CDsDriverGl::StForceWidth(0);
    EXPECT_EQ(LineWidth(), 1.0f);
    EXPECT_EQ(CDsDriverGl::mWidth, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlStateGLTest, WidthIsSentToAContextThatHasNotReceivedIt)
{
    CDsDriverGl::StSetWidth(3);
    vyrtest::GlWindow other(60, 40);
    ASSERT_TRUE(other.Valid());
    ASSERT_TRUE(other.MakeCurrent());
    EXPECT_EQ(LineWidth(), 1.0f);  // a fresh context
    CDsDriverGl::StSetWidth(3);
    EXPECT_EQ(LineWidth(), 3.0f);
    // And the first context still has its own.
    ASSERT_TRUE(window_->MakeCurrent());
    EXPECT_EQ(LineWidth(), 3.0f);
}

TEST_F(DsDriverGlStateGLTest, WideLinesAreSmoothedWhereTheDriverCanExceptInsideABatch)
{
    GLfloat range[2] = {0, 0};
    glGetFloatv(GL_LINE_WIDTH_RANGE, range);
    ASSERT_GE(range[1], 4.0f) << "the driver draws no smooth lines of width 4";
    CDsDriverGl::StSetWidth(4);
    EXPECT_TRUE(Enabled(GL_LINE_SMOOTH));
    GLint hint = 0;
    glGetIntegerv(GL_LINE_SMOOTH_HINT, &hint);
    EXPECT_EQ(hint, GL_NICEST);
    CDsDriverGl::StSetWidth(2);
    EXPECT_FALSE(Enabled(GL_LINE_SMOOTH));

    // Inside a multi-polyline batch wide lines are not smoothed.
    CDsView3dCdc view;
    vyrtest::ViewSetup().ApplyTo(view);
    ASSERT_EQ(CDsItemPolyline3D::StBeginMultiPolyline(&view, 0), 1);
    ASSERT_EQ(CDsItemPolyline3D::StInMultiPolyline(), 1);
    CDsDriverGl::StSetWidth(5);
    EXPECT_EQ(LineWidth(), 5.0f);
    EXPECT_FALSE(Enabled(GL_LINE_SMOOTH));
    CDsItemPolyline3D::StEndMultiPolyline();
    EXPECT_EQ(CDsItemPolyline3D::StInMultiPolyline(), 0);
    CDsDriverGl::StSetWidth(6);
    EXPECT_TRUE(Enabled(GL_LINE_SMOOTH));
}

TEST_F(DsDriverGlStateGLTest, ListIdBlocksNeverOverlapListsInUse)
{
    glDeleteLists(1, 64);
    for (GLuint id : {1u, 2u, 14u, 23u}) {
        glNewList(id, GL_COMPILE);
        glEndList();
    }
    // Lists 1 and 2 in use: 3 (block 3..6), then 8 (7 is skipped).
    EXPECT_EQ(CDsDriverGl::StGetIdForList(4), 3u);
    EXPECT_EQ(CDsDriverGl::StGetIdForList(4), 8u);
    // The next block would start at 13 and cover list 14: it moves past it.
    EXPECT_EQ(CDsDriverGl::StGetIdForList(4), 15u);
    // The next one would end on list 23.
    EXPECT_EQ(CDsDriverGl::StGetIdForList(4), 24u);
    EXPECT_EQ(CDsDriverGl::StGetIdForList(0), 0u);
    EXPECT_EQ(CDsDriverGl::StGetIdForList(-2), 0u);

    // Names reserved by glGenLists count as in use as well: a block from 1 that would reach them
    // starts after them.
    VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
    glDeleteLists(1, 4096);
    const GLuint reserved = glGenLists(3);
    ASSERT_NE(reserved, 0u);
    EXPECT_EQ(CDsDriverGl::StGetIdForList(int(reserved) + 2), reserved + 3);
    glDeleteLists(1, 4096);
    glDeleteLists(reserved, 3);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlStateGLTest, ListCallsThatOpenGlWouldRefuseDoNothing)
{
    EXPECT_FALSE(CDsDriverGl::StStartGlListCreation(0, false));
    const GLuint id = CDsDriverGl::StGenerateGlLists(2);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(CDsDriverGl::StStartGlListCreation(id, false));
    EXPECT_FALSE(CDsDriverGl::StStartGlListCreation(id + 1, false));  // one list at a time
    CDsDriverGl::StEndGlListCreation();
    CDsDriverGl::StEndGlListCreation();  // none open
    EXPECT_EQ(CDsDriverGl::StGenerateGlLists(0), 0u);
    EXPECT_EQ(CDsDriverGl::StGenerateGlLists(-1), 0u);
    CDsDriverGl::StDeleteGlLists(0, 3);
    CDsDriverGl::StDeleteGlLists(id, -1);
    EXPECT_TRUE(glIsList(id));
    CDsDriverGl::StDrawGlList(0, false);
    CDsDriverGl::StDeleteGlLists(id, 2);
    EXPECT_FALSE(glIsList(id));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlStateGLTest, BackFacesAreDrawnBeforeFrontFaces)
{
    vyrtest::SetPixelProjection(200, 100);
    vyrtest::Clear(Rgb{0, 0, 0});
    // One list: a front-facing (counter-clockwise) red square and a back-facing (clockwise)
    // blue one in the same place; the later one wins.
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glColor3ub(255, 0, 0);
    glBegin(GL_QUADS);
    glVertex2i(20, 20); glVertex2i(60, 20); glVertex2i(60, 60); glVertex2i(20, 60);
    glEnd();
    glColor3ub(0, 0, 255);
    glBegin(GL_QUADS);
    glVertex2i(20, 20); glVertex2i(20, 60); glVertex2i(60, 60); glVertex2i(60, 20);
    glEnd();
    glEndList();

    CDsDriverGl::StDrawGlList(list, true);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 40, 40), Rgb{255, 0, 0}));
    // Culling and its face are as they were.
    EXPECT_FALSE(Enabled(GL_CULL_FACE));
    GLint face = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &face);
    EXPECT_EQ(face, GL_BACK);

    // Without the flag, the list as compiled: blue last.
    CDsDriverGl::StDrawGlList(list, false);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 40, 40), Rgb{0, 0, 255}));
    glDeleteLists(list, 1);
}

TEST_F(DsDriverGlStateGLTest, StylesComeFromTheActivePalette)
{
    CDsDriverGl::StSetStyle(3);
    EXPECT_TRUE(Enabled(GL_LINE_STIPPLE));
    GLint pattern = 0, repeat = 0;
    glGetIntegerv(GL_LINE_STIPPLE_PATTERN, &pattern);
    glGetIntegerv(GL_LINE_STIPPLE_REPEAT, &repeat);
    EXPECT_EQ(pattern, 0x333F);
    EXPECT_EQ(repeat, 2);  // the default palette is ISO

    CDsStylePalette ansi;
    ansi.SetStandard(eStandardAnsi);
    ASSERT_TRUE(ansi.SetStyle(20, 0x0F0F, 5));
    CDsStylePalette::StActivate(&ansi);
    CDsDriverGl::StForceStyle(20);
    glGetIntegerv(GL_LINE_STIPPLE_PATTERN, &pattern);
    glGetIntegerv(GL_LINE_STIPPLE_REPEAT, &repeat);
    EXPECT_EQ(pattern, 0x0F0F);
    EXPECT_EQ(repeat, 5);
    CDsDriverGl::StSetStyle(1);
    glGetIntegerv(GL_LINE_STIPPLE_REPEAT, &repeat);
    EXPECT_EQ(repeat, 1);

    // A style the palette does not hold changes nothing; style 0 is solid.
    CDsDriverGl::StSetStyle(32);
    CDsDriverGl::StSetStyle(-1);
    EXPECT_TRUE(Enabled(GL_LINE_STIPPLE));
    glGetIntegerv(GL_LINE_STIPPLE_PATTERN, &pattern);
    EXPECT_EQ(pattern, 0x3F3F);
    CDsDriverGl::StSetStyle(0);
    EXPECT_FALSE(Enabled(GL_LINE_STIPPLE));
    CDsStylePalette::StDeactivate(&ansi);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlStateGLTest, IndexedColoursComeFromTheActiveVertexPalette)
{
    glColor3ub(1, 2, 3);
    CDsDriverGl::StSetColor(0);  // no palette: nothing
    float r = 0, g = 0, b = 0, a = 0;
    CDsDriverGl::StGetColor(r, g, b, a);
    EXPECT_NEAR(r * 255.0f, 1.0f, 0.01f);

    CDsPalette palette(3);
    palette.SetColor(2, CDsColorStorage(200, 100, 50));
    CDsDriverGl::StSetActiveVertexColorPalette(&palette);
    EXPECT_EQ(CDsDriverGl::StGetActiveVertexColorPalette(), &palette);
    CDsDriverGl::StSetColor(2);
    CDsDriverGl::StGetColor(r, g, b, a);
    EXPECT_NEAR(r * 255.0f, 200.0f, 0.01f);
    EXPECT_NEAR(g * 255.0f, 100.0f, 0.01f);
    EXPECT_NEAR(b * 255.0f, 50.0f, 0.01f);
    CDsDriverGl::StSetColor(3);  // past the palette: unchanged
    CDsDriverGl::StGetColor(r, g, b, a);
    EXPECT_NEAR(r * 255.0f, 200.0f, 0.01f);
    CDsDriverGl::StSetActiveVertexColorPalette(nullptr);
}

TEST_F(DsDriverGlStateGLTest, SwitchesSetWhatTheyName)
{
    CDsDriverGl::StSetTransparentMode(true);
    EXPECT_TRUE(Enabled(GL_BLEND) && Enabled(GL_LIGHTING) && Enabled(GL_NORMALIZE) && Enabled(GL_DEPTH_TEST));
    GLboolean depthWrites = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_FALSE(depthWrites);
    CDsDriverGl::StSetTransparentMode(false);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    EXPECT_FALSE(Enabled(GL_BLEND) || Enabled(GL_LIGHTING) || Enabled(GL_NORMALIZE));

    CDsDriverGl::StSetColorMaterialState(true, true);
    EXPECT_TRUE(CDsDriverGl::StGetColorMaterialState());
    EXPECT_FALSE(CDsDriverGl::StGetLightingState());
    CDsDriverGl::StSetColorMaterialState(false);
    EXPECT_FALSE(CDsDriverGl::StGetColorMaterialState());
    EXPECT_TRUE(CDsDriverGl::StGetLightingState());

    glDepthRange(0.2, 0.3);
    CDsDriverGl::StSetDepthTestState(true);
    GLdouble range[2] = {0, 0};
    glGetDoublev(GL_DEPTH_RANGE, range);
    EXPECT_EQ(range[0], 0.0);
    EXPECT_EQ(range[1], 1.0);

    CDsDriverGl::StSetFaceCullingState(true);
    CDsDriverGl::StSetPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    CDsDriverGl::StSetBackBuffer(false);
    EXPECT_FALSE(CDsDriverGl::StGetBackBuffer());
    CDsDriverGl::ResetMembers();
    EXPECT_FALSE(CDsDriverGl::StGetFaceCullingState());
    EXPECT_FALSE(CDsDriverGl::StGetDepthTestState());
    int front = 0, back = 0;
    CDsDriverGl::StGetPolygonMode(front, back);
    EXPECT_EQ(front, GL_FILL);
    EXPECT_EQ(back, GL_FILL);
    EXPECT_TRUE(CDsDriverGl::StGetBackBuffer());
    CDsDriverGl::StSetPointSize(0);  // refused
    GLfloat size = 0;
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_EQ(size, 1.0f);

    rgb_color yellow(1.0, 1.0, 0.0);
    CDsDriverGl::StClearBuffers(yellow);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 50), Rgb{255, 255, 0}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlStateGLTest, OrthographicProjectionTakesTheCurrentViewsCamera)
{
    CDsView3dCdc view;
    vyrtest::ViewSetup().Field(10, 5).Clip(2, 80).ApplyTo(view);
    CDsView3dCdc::sCurrentView = &view;
    CDsDriverGl::StSetOrthographicProjection(false);
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    // OpenGL keeps single precision.
    EXPECT_NEAR(m[0], 2.0 / 10.0, 1e-7);
    EXPECT_NEAR(m[5], 2.0 / 5.0, 1e-7);
    EXPECT_NEAR(m[10], -2.0 / 78.0, 1e-7);
    EXPECT_NEAR(m[14], -82.0 / 78.0, 1e-6);
    CDsDriverGl::StSetOrthographicProjection(true);
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[10], -1e-10, 1e-16);
    EXPECT_NEAR(m[14], 0.0, 1e-7);

    // No current view, or a box without depth: the projection stays.
    CDsView3dCdc::sCurrentView = nullptr;
    CDsDriverGl::StSetOrthographicProjection(false);
    CDsDriverGl::StSetOrthographicProjection(-1, 1, -1, 1, 3, 3);
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[0], 2.0 / 10.0, 1e-7);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glMatrixMode(GL_MODELVIEW);
}

TEST_F(DsDriverGlStateGLTest, InformationNamesTheImplementation)
{
    CVyrString text;
    ASSERT_TRUE(CDsDriverGl::StGetOpenGlInformation(text));
    const std::wstring s = text.GetString();
    const std::string vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    EXPECT_EQ(s.rfind(L"OpenGL Information\n\t\tVendor\t\t: ", 0), 0u) << "starts with its title";
    EXPECT_NE(s.find(std::wstring(vendor.begin(), vendor.end()) + L"\n\t\tRenderer\t: "), std::wstring::npos);
    EXPECT_NE(s.find(L"\n\t\tGL-Version\t: "), std::wstring::npos);
    EXPECT_NE(s.find(L"\n\t\tExtension\t: "), std::wstring::npos);
    EXPECT_NE(s.find(L"GL_ARB_vertex_buffer_object"), std::wstring::npos);
}
