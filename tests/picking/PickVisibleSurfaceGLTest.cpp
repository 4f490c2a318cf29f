// Single picks over turned and rounded bodies, pixel by pixel, from several eyes: the point a pick
// answers lies on the surface the window shows, never behind it, and where the window shows the
// body under the cursor the pick answers it. Judged against the window itself: its depth buffer
// at the pixel the point falls in (faces pushed back by their polygon offset, so that a line the
// window draws in front of them passes too) and its colours (a pixel where a line shows holds the
// line's depth, which says nothing of a point behind it, and is left unjudged). The silhouettes of
// curved faces are where this goes wrong: lines (edges where two roundings meet) run just behind
// steep faces there.
#include "DsFigureGenerator.h"
#include "DsGlContext.h"
#include "HostFixture.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

using vyrtest::Host;
using vyrtest::ViewSetup;

constexpr int kWidth = 320, kHeight = 240;

// The union of `parts` (each lost), or null when the modeler refuses one.
BODY* Unite(std::vector<BODY*> parts)
{
    BODY* all = parts.empty() ? nullptr : parts[0];
    for (size_t i = 1; i < parts.size(); ++i) {
        BODY* next = all && parts[i] ? unite_bodies(all, parts[i]) : nullptr;
        if (all) all->lose();
        if (parts[i]) parts[i]->lose();
        all = next;
    }
    return all;
}

// The block [low, high] with every edge rounded at radius `r`: three blocks, a cylinder along each
// edge and a sphere at each corner.
BODY* RoundedBlock(const SPAposition& low, const SPAposition& high, double r)
{
    std::vector<BODY*> parts;
    parts.push_back(make_block(low.x() + r, low.y() + r, low.z(), high.x() - r, high.y() - r, high.z()));
    parts.push_back(make_block(low.x(), low.y() + r, low.z() + r, high.x(), high.y() - r, high.z() - r));
    parts.push_back(make_block(low.x() + r, low.y(), low.z() + r, high.x() - r, high.y(), high.z() - r));
    const double xs[2] = {low.x() + r, high.x() - r}, ys[2] = {low.y() + r, high.y() - r},
                 zs[2] = {low.z() + r, high.z() - r};
    for (const int a : {0, 1})
        for (const int b : {0, 1}) {
            parts.push_back(make_cylinder(SPAposition(xs[0], ys[a], zs[b]), SPAvector(1, 0, 0), r, xs[1] - xs[0]));
            parts.push_back(make_cylinder(SPAposition(xs[a], ys[0], zs[b]), SPAvector(0, 1, 0), r, ys[1] - ys[0]));
            parts.push_back(make_cylinder(SPAposition(xs[a], ys[b], zs[0]), SPAvector(0, 0, 1), r, zs[1] - zs[0]));
            for (const int c : {0, 1}) parts.push_back(make_sphere(SPAposition(xs[a], ys[b], zs[c]), r));
        }
    return Unite(parts);
}

// A turned shaft along x: a collar, a cone down to a thinner neck, the neck and a ball at its end.
BODY* TurnedShaft()
{
    return Unite({make_cylinder(SPAposition(20, 0, 10), SPAvector(1, 0, 0), 12, 15),
                  make_cone(SPAposition(35, 0, 10), SPAvector(1, 0, 0), 12, 6, 10),
                  make_cylinder(SPAposition(45, 0, 10), SPAvector(1, 0, 0), 6, 22),
                  make_sphere(SPAposition(72, 0, 10), 9)});
}

struct Eye {
    const char* name;
    SPAvector out;  // from the target towards the eye
    SPAvector up;
    bool perspective;
};

const Eye kEyes[] = {
    {"over the right front", SPAvector(1, -2.3, 1.7), SPAvector(0, 0, 1), false},
    {"over the left front", SPAvector(-1, -1, 1), SPAvector(0, 0, 1), false},
    {"from the right, low", SPAvector(2, 1, 0.5), SPAvector(0, 0, 1), false},
    {"almost from above", SPAvector(0.3, 0.2, 1), SPAvector(0, 1, 0), false},
    {"from below", SPAvector(1, -2.3, -1.7), SPAvector(0, 0, 1), false},
    {"in perspective", SPAvector(1.5, -2, 1.2), SPAvector(0, 0, 1), true},
};

// What the window shows of one view: colours, depths and the matrices they were drawn with; and
// the colours of a wireframe frame of the same view (its lines, drawn where the frame draws them).
struct Shown {
    vyrtest::Picture colours, lines;
    std::vector<float> depths;
    GLdouble modelview[16], projection[16];
    GLint viewport[4];

    // Whether the window shows a line at pixel (x, y) (rows up): it has the wireframe frame's colour
    // of a line there.
    bool LineAt(int x, int y) const
    {
        const unsigned char* line = lines.At(x, y);
        const unsigned char* shown = colours.At(x, y);
        return line[0] + line[1] + line[2] > 0 && std::equal(line, line + 3, shown);
    }
    // Whether pixel (x, y) (rows up) shows the orange body (the axis triad is grey).
    bool BodyAt(int x, int y) const
    {
        const unsigned char* c = colours.At(x, y);
        return c[0] > 0x20 && c[2] == 0;
    }
    // How far the window's depth at pixel (x, y) lies in front of `p` along `towardsEye`, in model
    // units (negative: behind it).
    double InFront(int x, int y, const SPAposition& p, double wx, double wy, const SPAvector& towardsEye) const
    {
        double qx = 0, qy = 0, qz = 0;
        gluUnProject(wx, wy, depths[size_t(y) * kWidth + size_t(x)], modelview, projection, viewport, &qx, &qy, &qz);
        return (SPAposition(qx, qy, qz) - p) % towardsEye;
    }
};

Shown Look(Host& host)
{
    Shown shown;
    const ERenderMode mode = host.View().GetRenderMode();
    host.View().SetRenderMode(eRenderWireframe);
    shown.lines = host.WholeFrame();
    host.View().SetRenderMode(mode);
    shown.colours = host.WholeFrame();
    host.Context().MakeCurrent(&host.View());
    shown.depths.resize(size_t(kWidth) * kHeight);
    glFinish();
    GLint readBuffer = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_DEPTH_COMPONENT, GL_FLOAT, shown.depths.data());
    glReadBuffer(static_cast<GLenum>(readBuffer));
    host.View().SetupRenderingTransforms(false, true, false, nullptr);
    glGetDoublev(GL_MODELVIEW_MATRIX, shown.modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, shown.projection);
    glGetIntegerv(GL_VIEWPORT, shown.viewport);
    return shown;
}

// Picks every pixel about `body` (shown alone in `host`) from every eye; answers the failures.
std::string PickEveryPixel(Host& host, BODY* body, const SPAposition& target, int& judged)
{
    std::ostringstream failures;
    int failed = 0;
    for (const Eye& eye : kEyes) {
        const SPAvector out = normalise(eye.out);
        host.Look(ViewSetup()
                      .Pixels(kWidth, kHeight)
                      .Target(target)
                      .Eye(target + (eye.perspective ? 160 : 200) * out)
                      .Up(eye.up)
                      .Field(150, 150.0 * kHeight / kWidth)
                      .Perspective(eye.perspective)
                      .Clip(1, 1000));
        const Shown shown = Look(host);
        const double unit = host.View().get_units_per_pixel();
        for (int y = 2; y < kHeight - 2; ++y)
            for (int x = 2; x < kWidth - 2; ++x) {
                bool shows = false;  // the window shows the body in the pick window (5 x 5)
                for (int j = -2; j <= 2 && !shows; ++j)
                    for (int i = -2; i <= 2 && !shows; ++i)
                        shows = shown.BodyAt(x + i, kHeight - 1 - y + j);
                if (!shows) continue;
                const CDsPickedItem hit = host.Pick(x, y);
                std::ostringstream at;
                at << " from " << eye.name << " at pixel (" << x << ", " << y << ")";
                if (hit.GetObjectPath() != host.PathOf(body)) {
                    if (shown.BodyAt(x, kHeight - 1 - y) && ++failed <= 10)
                        failures << at.str() << " the window shows the body, the pick answered none;";
                    continue;
                }
                // The pixels the point falls in (those whose border it lies on, each).
                const CGmPosition* p = hit.GetPickedPosition();
                const SPAposition point(p->x(), p->y(), p->z());
                double wx = 0, wy = 0, wz = 0;
                gluProject(point.x(), point.y(), point.z(), shown.modelview, shown.projection, shown.viewport, &wx, &wy,
                           &wz);
                const SPAvector towardsEye = eye.perspective ? normalise(host.View().get_eye() - point) : out;
                double inFront = HUGE_VAL;
                bool line = false;
                for (const double dx : {-1e-3, 1e-3})
                    for (const double dy : {-1e-3, 1e-3}) {
                        const int px = int(std::floor(wx + dx)), py = int(std::floor(wy + dy));
                        if (px < 0 || py < 0 || px >= kWidth || py >= kHeight) continue;
                        line = line || shown.LineAt(px, py);
                        inFront = std::min(inFront, shown.InFront(px, py, point, wx, wy, towardsEye));
                    }
                if (line || inFront == HUGE_VAL) continue;
                ++judged;
                // A quarter of a pixel for the depth buffer's and the faceter's rounding.
                if (inFront > 0.25 * unit && ++failed <= 10)
                    failures << at.str() << " the pick answered (" << point.x() << ", " << point.y() << ", "
                             << point.z() << "), " << inFront / unit << " pixels behind what the window shows there;";
            }
    }
    if (failed > 10) failures << " and " << failed - 10 << " more;";
    return failures.str();
}

class PickVisibleSurfaceGLTest : public ::testing::Test {
protected:
    vyrtest::ViewStaticsGuard statics_;
};

TEST_F(PickVisibleSurfaceGLTest, PointsOfRoundedAndTurnedBodiesLieOnTheSurfaceTheWindowShows)
{
    struct Case {
        const char* name;
        BODY* (*make)();
        SPAposition target;
    };
    const Case cases[] = {
        {"a rounded block", [] { return RoundedBlock(SPAposition(45, -15, 0), SPAposition(75, 15, 20), 5); },
         SPAposition(7, 0, 10)},
        {"a turned shaft", [] { return TurnedShaft(); }, SPAposition(40, 0, 10)},
    };
    for (const Case& c : cases) {
        for (const ERenderMode mode : {eRenderShade, eRenderHiddenLines}) {
            SCOPED_TRACE(std::string(c.name) + (mode == eRenderShade ? ", shaded" : ", hidden lines"));
            Host host(kWidth, kHeight);
            host.View().SetSilhouetteLevel(eDsSilhouetteNone);
            host.View().SetRenderMode(mode);
            BODY* body = host.Show(c.make());
            ASSERT_NE(body, nullptr);
            int judged = 0;
            EXPECT_EQ(PickEveryPixel(host, body, c.target, judged), "");
            EXPECT_GT(judged, 2000);
        }
    }
}

// A line just behind a steep face, nearer than the face's polygon offset pushes the face back,
// shows in the window, and a pick there answers the line: here a block's top edge, seen from above
// in the partial hidden-line mode (whose figures' faces hide lines), and a figure's narrow strip
// that covers the edge's row of pixels just in front of it, almost along the line of sight (ten
// units deep across each unit across the window). The pick, of bodies, is a row beside the edge,
// where the window shows nothing but the edge in the pick window.
TEST_F(PickVisibleSurfaceGLTest, ALineJustBehindASteepFaceShowsAndIsPickedThere)
{
    Host host(100, 100);
    host.Look(ViewSetup().Pixels(100, 100).Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
    host.View().SetRenderMode(eRenderPartialHiddenLines);
    // The top edge along x at y = 0.5 (the middle of a row of pixels), z = 0.
    BODY* block = host.ShowBlock(SPAposition(-30, -30, -10), SPAposition(30, 0.5, 0));
    ASSERT_NE(block, nullptr);
    // The strip's points (x, 0.5 + u, 3 + 10 u), |u| up to 0.4: three units in front of the edge.
    const auto figures = host.Record({[](CDsFigureGenerator& generator) {
        generator.SetPenColor(CDsColorStorage(0, 255, 0));
        const double a = -0.4, b = 0.4;
        const double strip[18] = {-40, 0.5 + a, 3 + 10 * a, 40, 0.5 + a, 3 + 10 * a, 40, 0.5 + b, 3 + 10 * b,
                                  -40, 0.5 + a, 3 + 10 * a, 40, 0.5 + b, 3 + 10 * b, -40, 0.5 + b, 3 + 10 * b};
        generator.DrawTriangles(2, strip, nullptr);
    }});
    const vyrtest::Picture picture = host.WholeFrame();
    int x = 0, y = 0;
    ASSERT_TRUE(host.PixelOf(SPAposition(10.5, 0.5, 0), x, y));
    // The window draws the edge there, not the strip, which shows beyond the block's end.
    const vyrtest::Rgb edge = picture.ColorAt(x, host.Height() - 1 - y);
    EXPECT_TRUE(edge.r > 100 && edge.g < edge.r) << edge;
    const vyrtest::Rgb beyond = picture.ColorAt(x + 25, host.Height() - 1 - y);
    EXPECT_TRUE(beyond.g > 30 && beyond.r == 0) << beyond;
    const CDsPickedItem hit = host.Pick(x, y - 1);
    EXPECT_EQ(hit.GetObjectPath(), host.PathOf(block));
    const CGmPosition* at = hit.GetPickedPosition();
    EXPECT_NEAR(at->x(), 10.5, 0.5);
    EXPECT_NEAR(at->y(), 0.5, 1e-3);
    EXPECT_NEAR(at->z(), 0.0, 1e-3);
}

}  // namespace
