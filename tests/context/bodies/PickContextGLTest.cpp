// Picks draw in the process's lasting OpenGL context, never in the view's own: a host that draws
// between picks finds its own context current afterwards with everything it set up, and picks in
// views of other sizes and cameras, one after the other, answer as each view shows.
#include "DsGlContext.h"
#include "GlHostState.h"
#include "HostFixture.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

namespace {

class PickContextGLTest : public vyrtest::HostTest {
protected:
    // The first element of the current matrix of `mode`.
    static double Scale(GLenum mode)
    {
        GLdouble m[16] = {};
        glGetDoublev(mode, m);
        return m[0];
    }
};

}  // namespace

TEST_F(PickContextGLTest, PicksLeaveTheViewsOwnContextCurrentAsTheHostSetItUp)
{
    vyrtest::Host& host = *host_;
    host.Look(vyrtest::ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
    BODY* block = host.ShowBlock(SPAposition(-20, -10, -10), SPAposition(20, 10, 10));
    ASSERT_NE(block, nullptr);
    host.Refresh();

    // Another host, of another size and camera, picks in between: the first host's picks still
    // answer what its window shows.
    vyrtest::Host other(60, 40);
    other.Look(vyrtest::ViewSetup().Eye(SPAposition(300, 0, 0)).Field(60, 40).Clip(1, 600));
    ASSERT_NE(other.ShowBlock(SPAposition(-5, -5, -5), SPAposition(5, 5, 5)), nullptr);
    other.Refresh();

    ASSERT_TRUE(host.Context().MakeCurrent(&host.View()));
    vyrtest::GlHostState state;
    state.matrixMode = GL_TEXTURE;
    state.twoSided = 1;
    state.lineWidth = 3.0f;
    state.depthFunction = GL_GREATER;
    state.blend = true;
    state.normalize = true;
    state.Apply();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScaled(3.0, 3.0, 3.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScaled(2.0, 2.0, 2.0);
    glMatrixMode(GL_TEXTURE);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        EXPECT_EQ(host.Pick(50, 50).GetObjectPath(), host.PathOf(block));
        EXPECT_EQ(host.Region(20, 30, 80, 70), std::vector<CVyrObjectPath>{host.PathOf(block)});
        EXPECT_FALSE(host.Pick(50, 5).IsValid());  // beside the block
        ASSERT_TRUE(other.Pick(30, 20).IsValid());
        ASSERT_TRUE(host.Context().MakeCurrent(&host.View()));
        EXPECT_EQ(vyrtest::GlHostState::Read(), state);
        EXPECT_EQ(Scale(GL_PROJECTION_MATRIX), 3.0);
        EXPECT_EQ(Scale(GL_MODELVIEW_MATRIX), 2.0);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
