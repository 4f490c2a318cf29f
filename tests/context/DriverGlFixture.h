// The fixture of the driver statics' GL tests: a 200 x 100 window whose context is current, and
// the driver's process-wide state (support tests, entry points, width cache, list ids) at its
// start before and after each test; no core view is current afterwards.
#pragma once

#include "DsDriverGl.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "TestResets.h"

namespace vyrtest {

class DriverGlTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
    }
    void TearDown() override
    {
        CDsView3dCdc::sCurrentView = nullptr;
        VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
        GlTest::TearDown();
    }
};

// The current line width as OpenGL holds it.
inline float LineWidth()
{
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    return width;
}

}  // namespace vyrtest
