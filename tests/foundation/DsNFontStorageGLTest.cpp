// The em-to-ascent ratio measured on the current view's device context: the same ratio as on the
// display's, with the view's OpenGL context still current and its device context given back.
#include "DsNFontStorage.h"

#include "../items/ItemViewFixture.h"

#include <gtest/gtest.h>

namespace {

class DsNFontStorageGLTest : public vyrtest::ItemViewTest {
protected:
    void TearDown() override
    {
        CVyrString none;
        CDsNFontStorage::StSetDefaultFontName(none);
        vyrtest::ItemViewTest::TearDown();
    }
};

}  // namespace

TEST_F(DsNFontStorageGLTest, TheRatioIsMeasuredOnTheCurrentViewAsOnTheDisplay)
{
    CVyrString name(L"DejaVu Sans");
    CDsNFontStorage::StSetDefaultFontName(name);
    CDsNFontStorage font;
    const HGLRC context = wglGetCurrentContext();
    ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view_.get());
    const float onView = font.GetEmAscentRatio();
    EXPECT_EQ(wglGetCurrentContext(), context);
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), view_.get());

    // Twice in a row: the view's device context was given back and serves again.
    EXPECT_FLOAT_EQ(font.GetEmAscentRatio(), onView);

    CDsView3dCdc::sCurrentView = nullptr;
    EXPECT_FLOAT_EQ(font.GetEmAscentRatio(), onView);  // on the display's device context
    EXPECT_GT(onView, 1.05f);
}
