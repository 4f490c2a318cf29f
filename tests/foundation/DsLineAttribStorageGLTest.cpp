// Line attributes applied to OpenGL: the current colour, line width and stipple they leave, what
// an inheriting item leaves alone, and what lines drawn with them look like in the frame buffer.
#include "DisplayStateGuard.h"

#include "DsDriverGl.h"
#include "DsLineAttribStorage.h"
#include "GlTestFixture.h"
#include "TestResets.h"
#include "view3d.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <vector>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

class DsLineAttribStorageGLTest : public vyrtest::GlTest {
protected:
    void SetUp() override
    {
        vyrtest::GlTest::SetUp();
        vyrtest::SetPixelProjection(200, 100);
        vyrtest::Clear(Rgb{255, 255, 255});
    }
    void TearDown() override
    {
        VYR_RESET_FOR_TESTS(CDsDriverGl::ResetForTests);
        vyrtest::GlTest::TearDown();
    }

    static Rgb CurrentColor(float* alpha = nullptr)
    {
        float c[4] = {0, 0, 0, 0};
        glGetFloatv(GL_CURRENT_COLOR, c);
        if (alpha) *alpha = c[3];
        return Rgb{int(c[0] * 255.0f + 0.5f), int(c[1] * 255.0f + 0.5f), int(c[2] * 255.0f + 0.5f)};
    }
    static float LineWidth()
    {
        float width = 0;
        glGetFloatv(GL_LINE_WIDTH, &width);
        return width;
    }
    static void Stipple(bool& on, int& pattern, int& factor)
    {
        on = glIsEnabled(GL_LINE_STIPPLE) == GL_TRUE;
        glGetIntegerv(GL_LINE_STIPPLE_PATTERN, &pattern);
        glGetIntegerv(GL_LINE_STIPPLE_REPEAT, &factor);
    }

    static CDsLineAttribStorage Colored(uint8_t r, uint8_t g, uint8_t b)
    {
        CDsLineAttribStorage storage;
        storage.SetColor(CDsColorStorage(r, g, b));
        return storage;
    }

    // Lengths of the runs of dark and light pixels along row y from x0 to x1 (exclusive), the
    // first run dark.
    static std::vector<int> DarkRuns(int y, int x0, int x1)
    {
        std::vector<unsigned char> row(size_t(x1 - x0) * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x0, y, x1 - x0, 1, GL_RGB, GL_UNSIGNED_BYTE, row.data());
        std::vector<int> runs;
        bool dark = true;
        int length = 0;
        for (int x = 0; x < x1 - x0; ++x) {
            const bool pixelDark = row[size_t(x) * 3] < 128;
            if (pixelDark != dark) {
                runs.push_back(length);
                dark = pixelDark;
                length = 0;
            }
            ++length;
        }
        runs.push_back(length);
        return runs;
    }

    vyrtest::DisplayStateGuard guard_;
    view3d view_;  // white background
};

}  // namespace

TEST_F(DsLineAttribStorageGLTest, AppliedAttributesAreTheCurrentColourWidthAndStipple)
{
    CDsLineAttribStorage storage = Colored(10, 20, 30);
    storage.SetTransparency(0.5f);
    storage.SetStyle(3);
    storage.SetWidth(4);
    const rgb_color& applied = storage.SetAttributesToView(&view_);
    EXPECT_EQ(applied.windows_color(), 0x1E140Aul);
    float alpha = 0;
    EXPECT_EQ(CurrentColor(&alpha), (Rgb{10, 20, 30}));
    EXPECT_NEAR(alpha, 127.0f / 255.0f, 1e-4f);
    EXPECT_EQ(LineWidth(), 4.0f);
    bool on = false;
    int pattern = 0, factor = 0;
    Stipple(on, pattern, factor);
    EXPECT_TRUE(on);
    EXPECT_EQ(pattern, 0x333F);
    EXPECT_EQ(factor, 2);

    // A child that inherits everything leaves its parent's state in force.
    CDsLineAttribStorage child;
    child.ResetInheritStyleState();
    child.ResetInheritWidthState();
    child.SetAttributesToView(&view_);
    EXPECT_EQ(CurrentColor(), (Rgb{10, 20, 30}));
    EXPECT_EQ(LineWidth(), 4.0f);
    Stipple(on, pattern, factor);
    EXPECT_TRUE(on);
    EXPECT_EQ(pattern, 0x333F);

    // Style 0 is solid.
    CDsLineAttribStorage solid = Colored(0, 0, 0);
    solid.SetAttributesToView(&view_);
    Stipple(on, pattern, factor);
    EXPECT_FALSE(on);
    EXPECT_EQ(LineWidth(), 1.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsLineAttribStorageGLTest, HighlightMarkAndVisibilityLevelsTakeTheirSetsColours)
{
    CDsLineAttribStorage storage = Colored(0, 0, 200);
    storage.Highlight(true);
    storage.Mark(true);
    storage.SetAttributesToView(&view_);
    EXPECT_EQ(CurrentColor(), (Rgb{255, 153, 26}));  // set 5
    storage.Mark(false);
    storage.SetAttributesToView(&view_);
    EXPECT_EQ(CurrentColor(), (Rgb{0, 255, 0}));  // set 4
    storage.Highlight(false);

    storage.SetVisibility(eVisibilityDim, true);
    storage.SetAttributesToView(&view_);
    EXPECT_EQ(CurrentColor(), (Rgb{128, 128, 128}));  // set 2
    storage.SetVisibility(eVisibilityLevel7, true);
    storage.SetAttributesToView(&view_);
    EXPECT_EQ(CurrentColor(), (Rgb{127, 127, 227}));  // the own colour, halfway to white
    // An inherited colour dims the system default colour (set 0).
    storage.SetInheritColorState(true);
    storage.SetAttributesToView(&view_);
    EXPECT_EQ(CurrentColor(), (Rgb{127, 127, 255}));
}

TEST_F(DsLineAttribStorageGLTest, HighlightedItemsDrawAtLeastAsWideAsTheHighlightPen)
{
    CDsLineAttribStorage::StSetHighlightPenWidthInShade(3);
    CDsLineAttribStorage storage = Colored(0, 0, 200);
    storage.Highlight(true);
    storage.SetAttributesToView(&view_);
    EXPECT_EQ(LineWidth(), 3.0f);
    storage.SetWidth(5);
    storage.SetAttributesToView(&view_);
    EXPECT_EQ(LineWidth(), 5.0f);  // a wider own width stays
    storage.Highlight(false);
    storage.SetWidth(1);
    storage.SetAttributesToView(&view_);
    EXPECT_EQ(LineWidth(), 1.0f);
}

TEST_F(DsLineAttribStorageGLTest, TheDriversWidthCacheStaysTrueAfterAttributesAreApplied)
{
    CDsDriverGl::StSetWidth(1);
    CDsLineAttribStorage wide = Colored(0, 0, 0);
    wide.SetWidth(4);
    wide.SetAttributesToView(&view_);
    ASSERT_EQ(LineWidth(), 4.0f);
    CDsDriverGl::StSetWidth(1);  // an item that draws thin lines next
    EXPECT_EQ(LineWidth(), 1.0f);
}

TEST_F(DsLineAttribStorageGLTest, ExclusiveOrOfGreenOverWhiteDrawsMagenta)
{
    CDsLineAttribStorage storage = Colored(0, 255, 0);
    storage.SetXorMode(true);
    storage.SetAttributesToView(&view_);
    glRecti(20, 20, 80, 80);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 50), Rgb{255, 0, 255}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 150, 50), Rgb{255, 255, 255}));
}

TEST_F(DsLineAttribStorageGLTest, AHorizontalLineInStyleFiveShowsTheStylesRuns)
{
    // Style 5 is 0x00FF with factor 2 (ISO): 16 pixels drawn, 16 left out, from the line's start.
    CDsLineAttribStorage storage = Colored(0, 0, 0);
    storage.SetStyle(5);
    storage.SetAttributesToView(&view_);
    glBegin(GL_LINES);
    glVertex2f(10.0f, 50.5f);
    glVertex2f(190.0f, 50.5f);
    glEnd();
    const std::vector<int> runs = DarkRuns(50, 10, 190);
    ASSERT_GE(runs.size(), 10u);
    for (size_t i = 0; i + 1 < runs.size(); ++i) EXPECT_EQ(runs[i], 16) << "run " << i;
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 60), Rgb{255, 255, 255}));  // nothing off the line

    // The same line in style 0 is one unbroken run.
    vyrtest::Clear(Rgb{255, 255, 255});
    storage.SetStyle(0);
    storage.SetAttributesToView(&view_);
    glBegin(GL_LINES);
    glVertex2f(10.0f, 50.5f);
    glVertex2f(190.0f, 50.5f);
    glEnd();
    EXPECT_EQ(DarkRuns(50, 10, 190), std::vector<int>{180});
}

TEST_F(DsLineAttribStorageGLTest, EraseAttributesPaintWithTheBackground)
{
    view_.set_background_rgb(rgb_color(0.0, 0.0, 1.0));
    CDsLineAttribStorage storage = Colored(255, 0, 0);
    storage.SetWidth(3);
    storage.SetEraseAttributesToView(&view_);
    EXPECT_EQ(CurrentColor(), (Rgb{0, 0, 255}));
    EXPECT_EQ(LineWidth(), 3.0f);  // the rest of the item's attributes apply
    glRecti(20, 20, 80, 80);
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 50, 50), Rgb{0, 0, 255}));
}
