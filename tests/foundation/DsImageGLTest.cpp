// Pictures as OpenGL textures: the key colour of a transparent picture and its tolerance, and a
// texture deleted behind the picture's back made anew.
#include "DsImage.h"
#include "GlTestFixture.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

class DsImageGLTest : public vyrtest::GlTest {};

// The alpha of the bound texture's texels of row 0.
std::vector<int> AlphaOfFirstRow(int width)
{
    std::vector<unsigned char> rgba(size_t(width) * 64 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<int> alpha;
    for (int x = 0; x < width; ++x) alpha.push_back(rgba[size_t(x) * 4 + 3]);
    return alpha;
}

}  // namespace

TEST_F(DsImageGLTest, ChannelsWithin19OfTheFirstPixelAreTransparentAnd20Opaque)
{
    // Row 0: the key (100, 100, 100), then each channel 19 off it, then each 20 off it.
    const uint32_t key = 100u | 100u << 8 | 100u << 16 | 0xFF000000u;
    std::vector<uint32_t> row = {key,
                                 119u | 100u << 8 | 100u << 16, 100u | 81u << 8 | 100u << 16, 100u | 100u << 8 | 119u << 16,
                                 120u | 100u << 8 | 100u << 16, 100u | 80u << 8 | 100u << 16, 100u | 100u << 8 | 120u << 16,
                                 0u};
    auto* pixels = new uint32_t[8 * 2];
    for (int i = 0; i < 16; ++i) pixels[i] = row[size_t(i % 8)];
    CDsImage image(8, 2, pixels, true);
    const GLuint name = image.CreateTexture();
    ASSERT_NE(name, 0u);
    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    ASSERT_EQ(width, 8);
    const std::vector<int> alpha = AlphaOfFirstRow(8);
    EXPECT_EQ(alpha, (std::vector<int>{0, 0, 0, 0, 255, 255, 255, 255}));

    // Without the flag nothing is transparent.
    CDsImage opaque(8, 2, new uint32_t[16]{key, key, key, key, key, key, key, key}, false);
    glBindTexture(GL_TEXTURE_2D, opaque.CreateTexture());
    EXPECT_EQ(AlphaOfFirstRow(8), std::vector<int>(8, 255));
}

TEST_F(DsImageGLTest, ATextureDeletedBehindThePicturesBackIsMadeAnew)
{
    CDsImage image(100, 50, new uint32_t[5000](), false);
    const GLuint first = image.GetTexture();
    ASSERT_NE(first, 0u);
    EXPECT_EQ(image.GetTexture(), first);  // kept while OpenGL has it
    glDeleteTextures(1, &first);
    const GLuint second = image.GetTexture();
    EXPECT_NE(second, 0u);
    EXPECT_TRUE(glIsTexture(second));
    GLint width = 0, height = 0;
    glBindTexture(GL_TEXTURE_2D, second);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 128);
    EXPECT_EQ(height, 64);
    image.ReleasePixelsAndTexture();
    EXPECT_FALSE(glIsTexture(second));
    EXPECT_TRUE(image.IsEmpty());
}
