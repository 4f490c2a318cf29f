// The fixture of the items' GL tests: a 100 x 100 window with a core view on it in a rendering
// context, current, looking down -z at the origin with 25 x 25 model units in view (0.25 units a
// pixel), its projection set up and the back buffer cleared to black. The view statics, the forced
// pen and the driver's statics are put back afterwards.
#pragma once

#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsLineAttribStorage.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"
#include "TestResets.h"
#include "ViewSetup.h"

#include "ViewStaticsGuard.h"
#include "ViewWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace vyrtest {

class ItemViewTest : public ::testing::Test {
protected:
    static constexpr int kSize = 100;

    void SetUp() override
    {
        ASSERT_TRUE(DisplayAvailable());
        VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
        forcedPen_ = CDsLineAttribStorage::StGetForceVisibilityMode();
        view_ = ViewOn(window_, context_, kSize, kSize);
        ViewSetup().Pixels(kSize, kSize).Eye(SPAposition(0, 0, 50)).Field(25, 25).Clip(1, 100).ApplyTo(*view_);
        ASSERT_EQ(CDsView3dCdc::StGetCurrent(), view_.get());
        view_->SetupRenderingTransforms(false, true, false, nullptr);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        Clear(Rgb{0, 0, 0});
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        CDsLineAttribStorage::StSetForceVisibilityMode(forcedPen_);
        view_.reset();
        wglMakeCurrent(nullptr, nullptr);
        VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
    }

    // The back buffer, RGB from the bottom row up.
    std::vector<unsigned char> Picture() const
    {
        std::vector<unsigned char> rgb(kSize * kSize * 3);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
    // The pixels near `color` on the boundary between rows y - 1 and y (from the bottom), where a
    // line at that height is drawn: first and last x, -1 when none.
    std::pair<int, int> LitRange(int y, const Rgb& color, int tolerance = 40) const
    {
        const auto rgb = Picture();
        int first = -1, last = -1;
        for (int row = y - 1; row <= y; ++row)
            for (int x = 0; x < kSize; ++x) {
                const unsigned char* p = &rgb[static_cast<size_t>((row * kSize + x) * 3)];
                if (!ColorNear(Rgb{p[0], p[1], p[2]}, color, tolerance)) continue;
                first = first < 0 ? x : std::min(first, x);
                last = std::max(last, x);
            }
        return {first, last};
    }
    // How many pixels of the back buffer are not black.
    int LitCount() const
    {
        const auto rgb = Picture();
        int n = 0;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3) n += (rgb[i] | rgb[i + 1] | rgb[i + 2]) > 40;
        return n;
    }

    ViewStaticsGuard statics_;
    PlainWindow window_{kSize, kSize};
    CDsGlContext context_;
    std::unique_ptr<CDsView3dCdc> view_;
    bool forcedPen_ = false;
};

}  // namespace vyrtest
