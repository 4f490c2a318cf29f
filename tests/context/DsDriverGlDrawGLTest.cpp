// Drawing calls of the driver statics: bitmaps placed by their alignment, rectangle outlines in
// a view's pixels (moved and turned), 3-D box outlines and points. Pixels are read back.
#include "DriverGlFixture.h"

#include "DsBitmap.h"
#include "DsBox.h"
#include "DsRectangle.h"
#include "SpaValues.h"
#include "ViewSetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

class DsDriverGlDrawGLTest : public vyrtest::DriverGlTest {
protected:
    void SetUp() override
    {
        vyrtest::DriverGlTest::SetUp();
        vyrtest::ViewSetup().Clip(1.0, 100.0).ApplyTo(view_);
        vyrtest::SetPixelProjection(200, 100);
        vyrtest::Clear(Rgb{0, 0, 0});
        glColor3ub(255, 255, 255);
    }

    CDsView3dCdc view_;
};

bool Lit(int x, int y)
{
    return ReadPixel(GL_BACK, x, y).r > 128;
}

// Whether any pixel of the 3 x 3 block around (x, y) is lit (lines at integer coordinates may
// fall on either side).
bool LitNear(int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (Lit(x + dx, y + dy)) return true;
    return false;
}

// The lit pixels' bounding box in the back buffer: (minX, minY, maxX, maxY), all -1 when none.
std::vector<int> LitBox()
{
    std::vector<unsigned char> rgb(200 * 100 * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 200, 100, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::vector<int> box = {-1, -1, -1, -1};
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            if (rgb[size_t(3 * (y * 200 + x))] < 128) continue;
            if (box[0] < 0) box = {x, y, x, y};
            box[0] = std::min(box[0], x);
            box[1] = std::min(box[1], y);
            box[2] = std::max(box[2], x);
            box[3] = std::max(box[3], y);
        }
    return box;
}

}  // namespace

TEST_F(DsDriverGlDrawGLTest, BitmapsArePlacedByTheirAlignment)
{
    // 8 x 6, every bit set, rows of 4 bytes.
    const std::vector<unsigned char> full(4 * 6, 0xFF);
    const CDsBitmap bitmap(8, 6, 4, 1, full.data());
    struct Case {
        EAlignment alignment;
        int minX, minY;
    } cases[] = {{eAlignBottomLeft, 100, 50}, {eAlignTopLeft, 100, 44},  {eAlignTopRight, 92, 44},
                 {eAlignBottomRight, 92, 50}, {eAlignCenter, 96, 47},    {eAlignLeftCenter, 100, 47},
                 {eAlignRightCenter, 92, 47}, {eAlignTopCenter, 96, 44}, {eAlignBottomCenter, 96, 50},
                 {EAlignment(42), 100, 50}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.alignment));
        vyrtest::Clear(Rgb{0, 0, 0});
        CDsDriverGl::StDrawBitmap(100.0f, 50.0f, &bitmap, c.alignment);
        EXPECT_EQ(LitBox(), (std::vector<int>{c.minX, c.minY, c.minX + 7, c.minY + 5}));
    }
    CDsDriverGl::StDrawBitmap(10.0f, 10.0f, nullptr, eAlignCenter);
    const CDsBitmap empty;
    CDsDriverGl::StDrawBitmap(10.0f, 10.0f, &empty, eAlignCenter);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsDriverGlDrawGLTest, BitmapRowsAreReadAtTheRecordsRowLength)
{
    // Rows of 2 bytes (as device-dependent bitmaps keep them, top first): a diagonal, the first
    // row's first pixel (most significant bit) at the top left, since the record is drawn upright.
    unsigned char rows[16] = {};
    for (int r = 0; r < 8; ++r) rows[2 * r] = static_cast<unsigned char>(0x80 >> r);
    const CDsBitmap bitmap(8, 8, 2, 1, rows);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // the caller's unpack state does not matter
    CDsDriverGl::StDrawBitmap(100.0f, 50.0f, &bitmap, eAlignBottomLeft);
    for (int r = 0; r < 8; ++r) {
        EXPECT_TRUE(Lit(100 + r, 57 - r)) << "row " << r;
        EXPECT_FALSE(Lit(101 + r, 57 - r)) << "row " << r;
        EXPECT_FALSE(Lit(100 + r, 50 + r)) << "row " << r << " mirrored about the middle row";
    }
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
}

TEST_F(DsDriverGlDrawGLTest, RectanglesOutlineTheBoxMovedAndTurned)
{
    SDsBox2D box{20, 10, 60, 40};
    glEnable(GL_LIGHTING);
    CDsDriverGl::DrawRectangle(box, view_);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(LitNear(40, 10));
    EXPECT_TRUE(LitNear(60, 25));
    EXPECT_TRUE(LitNear(40, 40));
    EXPECT_TRUE(LitNear(20, 25));
    EXPECT_FALSE(Lit(40, 25));  // an outline, not a fill

    // A quarter turn (radians) about the origin, then moved to (100, 20): the box's x runs up.
    vyrtest::Clear(Rgb{0, 0, 0});
    SDsBox2D line{0, 0, 40, 20};
    CDsDriverGl::DrawRectangle(view_, line, float(M_PI / 2), 100.0f, 20.0f);
    EXPECT_TRUE(LitNear(100, 40));
    EXPECT_TRUE(LitNear(80, 40));
    EXPECT_TRUE(LitNear(90, 60));
    EXPECT_FALSE(Lit(90, 40));
    EXPECT_FALSE(LitNear(130, 20));  // where the unturned box's edge would be
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST_F(DsDriverGlDrawGLTest, BoundBoxesDrawTheirEdgesOnly)
{
    view_.SetupRenderingTransforms(false, true, false, nullptr);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_LIGHTING);
    // 4 x 2 units around the origin: edges at pixels x = 60 and 140, y = 30 and 70.
    const float lo[3] = {-2, -1, 0}, hi[3] = {2, 1, 1};
    CDsBox box(lo, hi);
    CDsDriverGl::DrawBoundBox3D(box);
    EXPECT_TRUE(LitNear(60, 50));
    EXPECT_TRUE(LitNear(140, 50));
    EXPECT_TRUE(LitNear(100, 30));
    EXPECT_TRUE(LitNear(100, 70));
    EXPECT_FALSE(Lit(100, 50));
    GLint mode[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));

    vyrtest::Clear(Rgb{0, 0, 0});
    CDsBox empty;
    CDsDriverGl::DrawBoundBox3D(empty);
    EXPECT_EQ(LitBox()[0], -1);
}

TEST_F(DsDriverGlDrawGLTest, PointsAreDrawnAsThePrimitiveAsked)
{
    const SPAposition positions[2] = {SPAposition(10.5, 10.5, 0), SPAposition(30.5, 20.5, 0)};
    CDsDriverGl::StDrawPoints(2, positions, GL_POINTS);
    EXPECT_TRUE(Lit(10, 10));
    EXPECT_TRUE(Lit(30, 20));
    EXPECT_FALSE(Lit(20, 15));
    CDsDriverGl::StDrawPoints(2, positions, GL_LINES);
    EXPECT_TRUE(LitNear(20, 15));

    const float xyz[6] = {50.5f, 50.5f, 0, 70.5f, 50.5f, 0};
    CDsDriverGl::StDrawPoints(2, xyz, GL_POINTS);
    EXPECT_TRUE(Lit(50, 50));
    EXPECT_TRUE(Lit(70, 50));
    GLfloat normal[3] = {0, 0, 0};
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_EQ(normal[2], 1.0f);

    CDsDriverGl::StStartPolylineVertices();
    const float a[3] = {100, 80, 0}, b[3] = {140, 80, 0};
    CDsDriverGl::StDrawVertex(a);
    CDsDriverGl::StDrawVertex(b);
    CDsDriverGl::StEndVertices();
    EXPECT_TRUE(LitNear(120, 80));

    CDsDriverGl::StDrawPoints(0, xyz, GL_POINTS);
    CDsDriverGl::StDrawPoints(3, static_cast<const float*>(nullptr), GL_POINTS);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The window x ranges of the lines in a GL_3D feedback buffer of `values` floats (a polygon's
// outline drawn as lines comes as line tokens too), and how many polygon tokens it holds.
struct SFedBack {
    std::vector<std::pair<float, float>> lines;  // (smaller x, larger x), y ignored
    int polygons = 0;
};
SFedBack ReadFeedback(const std::vector<GLfloat>& buffer, GLint values)
{
    SFedBack fed;
    for (GLint i = 0; i < values;) {
        const GLint token = static_cast<GLint>(buffer[static_cast<size_t>(i++)]);
        if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            const float a = buffer[static_cast<size_t>(i)], b = buffer[static_cast<size_t>(i + 3)];
            fed.lines.emplace_back(std::min(a, b), std::max(a, b));
            i += 6;
        } else if (token == GL_POLYGON_TOKEN) {
            ++fed.polygons;
            i += 1 + 3 * static_cast<GLint>(buffer[static_cast<size_t>(i)]);
        } else if (token == GL_POINT_TOKEN) {
            i += 3;
        } else {
            ADD_FAILURE() << "token " << token;
            break;
        }
    }
    std::sort(fed.lines.begin(), fed.lines.end());
    return fed;
}

TEST_F(DsDriverGlDrawGLTest, APickBatchSendsEachPrimitiveUnderItsOwnStateAndPutsTheStateBack)
{
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    CDsDriverGl::StOpenPickBatch();
    CDsDriverGl::StOpenPickBatch();  // nested: only the outermost close sends
    // A line as it is: x 10 to 50.
    CDsDriverGl::StBeginVertices(GL_LINE_STRIP);
    CDsDriverGl::StVertex(10.0f, 10.0f);
    CDsDriverGl::StVertex(50.0f, 10.0f);
    CDsDriverGl::StEndVertices();
    CDsDriverGl::StClosePickBatch();
    // A triangle moved 100 to the right, its outline only: x 100 to 140.
    glPushMatrix();
    glTranslatef(100.0f, 0.0f, 0.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    const float triangle[6] = {0, 50, 40, 50, 0, 90};
    CDsDriverGl::StDrawClientArray(GL_TRIANGLES, 2, GL_FLOAT, triangle, 3);
    // A line from x 60 to 90, moved to 160 to 190 and cut by a plane at eye x 175.
    const GLdouble keepLeft[4] = {-1.0, 0.0, 0.0, 75.0};  // under the move: eye x <= 175
    glClipPlane(GL_CLIP_PLANE0, keepLeft);
    glEnable(GL_CLIP_PLANE0);
    CDsDriverGl::StBeginVertices(GL_LINES);
    CDsDriverGl::StVertex(60.0f, 30.0f);
    CDsDriverGl::StVertex(90.0f, 30.0f);
    CDsDriverGl::StEndVertices();
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    GLdouble planeBefore[4];
    glGetClipPlane(GL_CLIP_PLANE0, planeBefore);
    CDsDriverGl::StClosePickBatch();
    const GLint values = glRenderMode(GL_RENDER);

    // The state the last primitive was given stays.
    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(std::vector<GLfloat>(before, before + 16), std::vector<GLfloat>(after, after + 16));
    GLint polygonMode[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    EXPECT_EQ(polygonMode[0], GL_LINE);
    EXPECT_TRUE(glIsEnabled(GL_CLIP_PLANE0));
    GLdouble planeAfter[4];
    glGetClipPlane(GL_CLIP_PLANE0, planeAfter);
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(planeAfter[i], planeBefore[i]);
    GLint matrixMode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
    glDisable(GL_CLIP_PLANE0);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPopMatrix();

    ASSERT_GT(values, 0);
    const SFedBack fed = ReadFeedback(buffer, values);
    EXPECT_EQ(fed.polygons, 0) << "the triangle's outline only";
    ASSERT_EQ(fed.lines.size(), 5u);
    EXPECT_NEAR(fed.lines[0].first, 10.0f, 0.01f);
    EXPECT_NEAR(fed.lines[0].second, 50.0f, 0.01f);
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_GE(fed.lines[i].first, 99.99f);
        EXPECT_LE(fed.lines[i].second, 140.01f);
    }
    EXPECT_NEAR(fed.lines[4].first, 160.0f, 0.01f);
    EXPECT_NEAR(fed.lines[4].second, 175.0f, 0.01f) << "cut by the plane it was sent under";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
