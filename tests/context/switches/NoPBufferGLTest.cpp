// The driver statics in a program started with "/NoPBuffer": pbuffers are never used, though the
// driver offers them.
#include "../DriverGlFixture.h"

#include "DsManager.h"
#include "VyrCommandLineParser.h"

#include <gtest/gtest.h>

namespace {

class NoPBufferGLTest : public vyrtest::DriverGlTest {};

}  // namespace

TEST_F(NoPBufferGLTest, PbuffersStayUnusedAndTheirEntryPointsUnloaded)
{
    ASSERT_TRUE(CVyrCommandLineParser::GetInstance()->GetParamExists(L"NoPBuffer"));
    CDsManager::GetInstance()->InitExtensions();
    EXPECT_TRUE(CDsDriverGl::IsWGLExtensionSupported("WGL_ARB_pbuffer"));
    EXPECT_TRUE(CDsDriverGl::IsWGLExtensionSupported("WGL_ARB_pixel_format"));
    EXPECT_FALSE(CDsDriverGl::IsPBufSupported());
    EXPECT_EQ(CDsDriverGl::wglCreatePbufferARB, nullptr);
    EXPECT_EQ(CDsDriverGl::wglChoosePixelFormatARB, nullptr);
    EXPECT_EQ(CDsDriverGl::CreatePBuffer(window_->dc, 1, 16, 16, nullptr), nullptr);
    EXPECT_NE(CDsDriverGl::glGenBuffersARB, nullptr);  // other extensions load as usual
}
