// The multi-polyline batch: the GL state it sets while open and puts back when closed, and the
// views that open none.
#include "DsDriverExtrema.h"
#include "DsItemPolyline3D.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "ViewSetup.h"

#include <gtest/gtest.h>

namespace {

class DsItemPolyline3DGLTest : public vyrtest::GlTest {
protected:
    void SetUp() override
    {
        vyrtest::GlTest::SetUp();
        vyrtest::ViewSetup().ApplyTo(view_);
    }
    void TearDown() override
    {
        CDsItemPolyline3D::StEndMultiPolyline();
        CDsView3dCdc::sCurrentView = nullptr;
        vyrtest::GlTest::TearDown();
    }

    CDsView3dCdc view_;
};

bool Enabled(GLenum cap)
{
    return glIsEnabled(cap) == GL_TRUE;
}

}  // namespace

TEST_F(DsItemPolyline3DGLTest, BackBufferBatchDrawsWithDepthTestAndPutsItBack)
{
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glDepthRange(0.3, 0.4);
    glEnableClientState(GL_VERTEX_ARRAY);
    EXPECT_EQ(CDsItemPolyline3D::StBeginMultiPolyline(&view_, 0), 1);
    EXPECT_EQ(CDsItemPolyline3D::StInMultiPolyline(), 1);
    EXPECT_TRUE(Enabled(GL_DEPTH_TEST));
    EXPECT_FALSE(Enabled(GL_LIGHTING));
    EXPECT_FALSE(Enabled(GL_NORMALIZE));
    GLdouble range[2] = {0, 0};
    glGetDoublev(GL_DEPTH_RANGE, range);
    EXPECT_EQ(range[1], 1.0);
    CDsItemPolyline3D::StEndMultiPolyline();
    EXPECT_EQ(CDsItemPolyline3D::StInMultiPolyline(), 0);
    EXPECT_FALSE(Enabled(GL_DEPTH_TEST));
    EXPECT_FALSE(Enabled(GL_VERTEX_ARRAY));

    // A depth test that was on stays on, untouched.
    glEnable(GL_DEPTH_TEST);
    CDsItemPolyline3D::StBeginMultiPolyline(&view_, 0);
    CDsItemPolyline3D::StEndMultiPolyline();
    EXPECT_TRUE(Enabled(GL_DEPTH_TEST));
}

TEST_F(DsItemPolyline3DGLTest, FrontBufferBatchDrawsWithoutDepthTestAndPutsItBack)
{
    glEnable(GL_DEPTH_TEST);
    CDsView3dCdc::sCurrentView = &view_;
    EXPECT_EQ(CDsItemPolyline3D::StBeginMultiPolyline(nullptr, 1), 1);  // the current view
    EXPECT_EQ(CDsItemPolyline3D::StInMultiPolyline(), 1);
    EXPECT_FALSE(Enabled(GL_DEPTH_TEST));
    CDsItemPolyline3D::StEndMultiPolyline();
    EXPECT_TRUE(Enabled(GL_DEPTH_TEST));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsItemPolyline3DGLTest, MeasuringAndPickingViewsOpenNoBatch)
{
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    CDsViewExtrema measuring(&view_);
    EXPECT_EQ(CDsItemPolyline3D::StBeginMultiPolyline(&measuring, 0), 1);
    EXPECT_EQ(CDsItemPolyline3D::StInMultiPolyline(), 0);
    view_.pick_mode(1, 10, 10, 5, 5);
    EXPECT_EQ(CDsItemPolyline3D::StBeginMultiPolyline(&view_, 0), 1);
    EXPECT_EQ(CDsItemPolyline3D::StInMultiPolyline(), 0);
    view_.pick_mode(0, 0, 0, 0, 0);
    // Nothing was touched, and closing no batch touches nothing either.
    EXPECT_TRUE(Enabled(GL_LIGHTING));
    CDsItemPolyline3D::StEndMultiPolyline();
    EXPECT_FALSE(Enabled(GL_DEPTH_TEST));
}
