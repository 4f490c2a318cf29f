// The driver statics in a program started with "/NoPBuffer": pbuffers are never used, though the
// driver offers them.
#include "../DriverGlFixture.h"

#include "DsManager.h"
#include "DsPBuffer.h"
#include "ViewStaticsGuard.h"
#include "ViewWindow.h"
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

// A view gets an empty pbuffer, never valid: it is dropped at each validity test.
TEST_F(NoPBufferGLTest, AViewsPBufferHasNoDeviceContextAndIsNeverValid)
{
    vyrtest::ViewStaticsGuard statics;
    CDsManager::GetInstance()->InitExtensions();
    vyrtest::PlainWindow window(64, 48);
    CDsGlContext context;
    auto view = vyrtest::ViewOn(window, context, 64, 48);
    ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view.get());
    CDsPBuffer* pbuffer = view->GetPBuffer();
    EXPECT_EQ(pbuffer->GetDC(), nullptr);
    EXPECT_FALSE(pbuffer->IsValid());
    EXPECT_FALSE(view->IsPBufferValid(false));
    EXPECT_FALSE(view->IsPBufferValid(true));
    EXPECT_FALSE(view->IsBackBufferValid());
}
