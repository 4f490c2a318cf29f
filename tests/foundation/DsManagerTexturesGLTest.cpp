// The display manager's texture table: images registered once, and each view's GL texture of an
// image made on the view's first request and dropped with the view's textures.
#include "DsManager.h"
#include "DsTextureData.h"
#include "DsView3dCdc.h"
#include "GlTestFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class DsManagerTexturesGLTest : public vyrtest::GlTest {
protected:
    void TearDown() override
    {
        CDsManager::GetInstance()->RemoveAllTextures(&first_);
        CDsManager::GetInstance()->RemoveAllTextures(&second_);
        CDsView3dCdc::sCurrentView = nullptr;
        vyrtest::GlTest::TearDown();
    }

    static int AddStripes(bool repeat)
    {
        const std::vector<unsigned char> bits(4 * 32, 0x0F);
        return CDsManager::GetInstance()->AddTexture(bits.data(), 32, 32, SColor4ub(255, 255, 255, 0),
                                                     SColor4ub(0, 0, 0, 255), repeat);
    }

    CDsView3dCdc first_, second_;
};

}  // namespace

TEST_F(DsManagerTexturesGLTest, ImagesAreRegisteredOnceWithTheirTexels)
{
    CDsManager* manager = CDsManager::GetInstance();
    const int a = AddStripes(true);
    const int b = AddStripes(false);
    ASSERT_GE(a, 0);
    EXPECT_EQ(b, a + 1);
    SDsTextureData image;
    ASSERT_TRUE(manager->GetTextureData(a, image));
    EXPECT_TRUE(image.repeat);
    EXPECT_EQ(image.buffer.GetColumns(), 32);
    EXPECT_EQ(image.width, 32);
    EXPECT_EQ(image.buffer.Row(5)[3], SColor4ub(0, 0, 0, 255));
    EXPECT_EQ(image.buffer.Row(5)[4], SColor4ub(255, 255, 255, 0));
    ASSERT_TRUE(manager->GetTextureData(b, image));
    EXPECT_FALSE(image.repeat);
    // A copy: changing it leaves the table alone.
    image.buffer.Row(0)[0] = SColor4ub(1, 2, 3, 4);
    SDsTextureData again;
    ASSERT_TRUE(manager->GetTextureData(b, again));
    EXPECT_EQ(again.buffer.Row(0)[0], SColor4ub(0, 0, 0, 255));

    EXPECT_FALSE(manager->GetTextureData(-1, image));
    EXPECT_FALSE(manager->GetTextureData(b + 1000, image));
    EXPECT_EQ(manager->AddTexture(nullptr, 8, 8, SColor4ub(), SColor4ub(), true), -1);
    EXPECT_EQ(AddStripes(true), b + 1);  // the refused one took no index
}

TEST_F(DsManagerTexturesGLTest, EachViewLoadsItsTextureOnceOnItsFirstRequest)
{
    CDsManager* manager = CDsManager::GetInstance();
    const int index = AddStripes(true);
    SDsTexture texture;
    EXPECT_FALSE(manager->GetTexture(index, texture));  // no current view
    EXPECT_EQ(texture.id, 0u);

    CDsView3dCdc::sCurrentView = &first_;
    ASSERT_TRUE(manager->GetTexture(index, texture));
    EXPECT_NE(texture.id, 0u);
    EXPECT_TRUE(glIsTexture(texture.id));
    EXPECT_EQ(texture.width, 32);
    EXPECT_FLOAT_EQ(texture.sExtent, 1.0f);
    SDsTexture again;
    ASSERT_TRUE(manager->GetTexture(index, again));
    EXPECT_EQ(again.id, texture.id);  // not loaded again

    CDsView3dCdc::sCurrentView = &second_;
    SDsTexture other;
    ASSERT_TRUE(manager->GetTexture(index, other));
    EXPECT_NE(other.id, texture.id);
    EXPECT_FALSE(manager->GetTexture(index + 1000, other));
    EXPECT_FALSE(manager->GetTexture(-1, other));

    // The first view's textures go; the second view's stay.
    manager->RemoveAllTextures(&first_);
    EXPECT_FALSE(glIsTexture(texture.id));
    EXPECT_TRUE(glIsTexture(other.id));
    manager->RemoveAllTextures(&first_);  // nothing left: nothing happens
    CDsView3dCdc::sCurrentView = &first_;
    SDsTexture reloaded;
    ASSERT_TRUE(manager->GetTexture(index, reloaded));
    EXPECT_TRUE(glIsTexture(reloaded.id));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
