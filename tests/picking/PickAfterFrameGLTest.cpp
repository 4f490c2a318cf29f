// Picks right after a frame, in views along the model axes: a frame leaves no polygon offset
// switched on, and the selection passes of a pick do not take over whatever a frame left. A face
// seen edge-on lies in such views at the border of what it hides, and an offset would put its
// selection depth on the near plane, in front of the face the cursor is on.
#include "HostFixture.h"

#include "DsCglEntList.h"
#include "DsPickProccessor.h"
#include "DsPickedFaces.h"
#include "UiPickEvent.h"

#include "SpaTopology.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <string>

using vyrtest::ViewSetup;

namespace {

// One case: a camera along an axis, the block under the cursor and the one the aperture also
// meets (behind it or beside it, lower), and a model point on the first one's visible face
// within two pixels of the second one's outline.
struct AxisCase {
    const char* name;
    SPAposition eye;
    SPAvector up;
    SPAposition wantedLow, wantedHigh;
    SPAposition otherLow, otherHigh;
    SPAposition cursor;
};

const AxisCase kCases[] = {
    // Right view: a block wholly behind a larger one; the cursor 1.5 units beyond the hidden
    // block's side.
    {"right", SPAposition(200, 0, 0), SPAvector(0, 0, 1), SPAposition(0, -30, -30), SPAposition(20, 30, 30),
     SPAposition(-60, -10, -10), SPAposition(-40, 10, 10), SPAposition(20, 11.5, 0)},
    // Front view: a plate, and a block standing on it 40 units behind its front face; the
    // cursor on the plate's front face just below the block's foot.
    {"front", SPAposition(0, -200, 0), SPAvector(0, 0, 1), SPAposition(-40, -40, -5), SPAposition(40, 40, 0),
     SPAposition(-10, 0, 0), SPAposition(10, 10, 20), SPAposition(0, -40, -1.5)},
    // Top view: a tall block and a low one beside it; the cursor on the tall one's top, 1.5
    // units from the low one's side.
    {"top", SPAposition(0, 0, 200), SPAvector(0, 1, 0), SPAposition(0, -10, 0), SPAposition(20, 10, 40),
     SPAposition(-30, -10, 0), SPAposition(-1, 10, 5), SPAposition(0.5, 0, 40)},
};

struct ModeCase {
    const char* name;
    ERenderMode mode;
};

const ModeCase kModes[] = {
    {"shaded", eRenderShade}, {"mixed", eRenderMixed}, {"hidden-line", eRenderHiddenLines}};

// The body a face belongs to.
ENTITY* TopOf(ENTITY* entity)
{
    while (entity && entity->owner()) entity = entity->owner();
    return entity;
}

class PickAfterFrameGLTest : public vyrtest::HostTest {};

TEST_F(PickAfterFrameGLTest, AxisViewsPickTheBodyUnderTheCursorAfterEveryKindOfFrame)
{
    for (const AxisCase& c : kCases) {
        vyrtest::Host host(kHostSize, kHostSize);
        host.Look(ViewSetup().Eye(c.eye).Up(c.up).Field(kHostSize, kHostSize).Clip(1, 400));
        BODY* wanted = host.ShowBlock(c.wantedLow, c.wantedHigh);
        BODY* other = host.ShowBlock(c.otherLow, c.otherHigh, 0x00FF00);
        ASSERT_NE(wanted, nullptr);
        ASSERT_NE(other, nullptr);
        int x = 0, y = 0;
        ASSERT_TRUE(host.PixelOf(c.cursor, x, y));
        for (const ModeCase& m : kModes) {
            SCOPED_TRACE(std::string(c.name) + " view after a " + m.name + " frame");
            host.View().SetRenderMode(m.mode);
            host.WholeFrame();
            // What the frame hands back to the host.
            host.Context().MakeCurrent(&host.View());
            EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
            EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_LINE));

            // The single pick.
            EXPECT_EQ(host.Pick(x, y).GetObjectPath(), host.PathOf(wanted));

            // The faces under the cursor by depth: the nearest one is the wanted body's.
            SDsGlPickCache::sCache.Clear();
            CDsPickedFaces faces;
            ASSERT_GE(host.Context().GetPickProccessor()->OpenGLSortFaces(
                          CUiPickEvent(x, y, 0, &host.View(), nullptr), faces),
                      1);
            EXPECT_EQ(TopOf(faces.GetFaces().begin()->second), wanted);
            EXPECT_EQ(host.View().get_pick_mode(), 0);
        }
    }
}

// A frame that leaves polygon offset behind (as a host's own drawing may) changes no pick, and
// the pick hands the offset back as it found it.
TEST_F(PickAfterFrameGLTest, PicksSetTheStateTheyReadAndHandItBack)
{
    const AxisCase& c = kCases[0];
    host_->Look(ViewSetup().Eye(c.eye).Up(c.up).Field(kHostSize, kHostSize).Clip(1, 400));
    BODY* wanted = host_->ShowBlock(c.wantedLow, c.wantedHigh);
    ASSERT_NE(host_->ShowBlock(c.otherLow, c.otherHigh, 0x00FF00), nullptr);
    host_->WholeFrame();
    int x = 0, y = 0;
    ASSERT_TRUE(host_->PixelOf(c.cursor, x, y));

    host_->Context().MakeCurrent(&host_->View());
    glEnable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(3.0f, 3.0f);
    EXPECT_EQ(host_->Pick(x, y).GetObjectPath(), host_->PathOf(wanted));
    SDsGlPickCache::sCache.Clear();
    CDsPickedFaces faces;
    ASSERT_GE(host_->Context().GetPickProccessor()->OpenGLSortFaces(CUiPickEvent(x, y, 0, &host_->View(), nullptr),
                                                                    faces),
              1);
    EXPECT_EQ(TopOf(faces.GetFaces().begin()->second), wanted);

    host_->Context().MakeCurrent(&host_->View());
    EXPECT_TRUE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
    EXPECT_TRUE(glIsEnabled(GL_POLYGON_OFFSET_LINE));
    GLfloat factor = 0.0f, units = 0.0f;
    glGetFloatv(GL_POLYGON_OFFSET_FACTOR, &factor);
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    EXPECT_EQ(factor, 3.0f);
    EXPECT_EQ(units, 3.0f);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(0.0f, 0.0f);
}

}  // namespace
