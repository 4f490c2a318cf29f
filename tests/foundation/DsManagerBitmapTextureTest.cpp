// Texture images made from framework bitmaps through the current view's device-context driver:
// power-of-two sides, the bitmap upright from its bottom row, the key colour made transparent,
// and the neutral answer when there is nothing to read through.
#include "DsDriverCdc.h"
#include "DsManager.h"
#include "DsView3dCdc.h"

#include <afxwin.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// A current core view whose driver draws into a memory DC; the current view is put back after.
class DsManagerBitmapTextureTest : public ::testing::Test {
protected:
    DsManagerBitmapTextureTest() : previous_(CDsView3dCdc::sCurrentView)
    {
        dc_.CreateCompatibleDC(nullptr);
        driver_ = new CDsDriverCdc();
        delete view_.set_driver_context(driver_);
        driver_->SetDC(&dc_);
        CDsView3dCdc::sCurrentView = &view_;
    }
    ~DsManagerBitmapTextureTest() override
    {
        CDsView3dCdc::sCurrentView = previous_;
        CGdiObject::DeleteTempMap();
    }

    // A 100 x 30 bitmap of the key colour red, blue at (5, 29) and green at (99, 0).
    static void MakeBitmap(CBitmap& bitmap)
    {
        std::vector<uint32_t> pixels(100 * 30, kRed);
        pixels[29 * 100 + 5] = kBlue;
        pixels[99] = kGreen;
        ASSERT_TRUE(bitmap.CreateBitmap(100, 30, 1, 32, pixels.data()));
    }

    CDsView3dCdc* previous_;
    CDC dc_;
    CDsView3dCdc view_;
    CDsDriverCdc* driver_ = nullptr;
};

}  // namespace

TEST_F(DsManagerBitmapTextureTest, BitmapsBecomeUprightPowerOfTwoTexturesWithTheirKeyColourClear)
{
    CBitmap bitmap;
    MakeBitmap(bitmap);
    CDsManager* manager = CDsManager::GetInstance();
    const int index = manager->AddTexture(bitmap, true);
    ASSERT_GE(index, 0);
    SDsTextureData image;
    ASSERT_TRUE(manager->GetTextureData(index, image));
    EXPECT_EQ(image.buffer.GetColumns(), 128);
    EXPECT_EQ(image.buffer.GetRows(), 32);
    EXPECT_EQ(image.width, 100);
    EXPECT_EQ(image.height, 30);
    EXPECT_EQ(image.buffer.Row(0)[5], SColor4ub(0, 0, 255, 255));     // the bitmap's bottom row first
    EXPECT_EQ(image.buffer.Row(29)[99], SColor4ub(0, 255, 0, 255));   // its top row last
    EXPECT_EQ(image.buffer.Row(29)[0], SColor4ub(255, 0, 0, 0));      // the key colour is clear
    EXPECT_EQ(image.buffer.Row(10)[50], SColor4ub(255, 0, 0, 0));
    EXPECT_EQ(image.buffer.Row(0)[100], SColor4ub());                 // outside the picture: fresh
    EXPECT_EQ(image.buffer.Row(31)[0], SColor4ub());
    EXPECT_EQ(driver_->GetDCUseCount(), 0);

    // Without transparency every texel is opaque, and a side that is a power of two stays.
    CBitmap square;
    std::vector<uint32_t> pixels(64 * 64, kRed);
    ASSERT_TRUE(square.CreateBitmap(64, 64, 1, 32, pixels.data()));
    const int opaque = manager->AddTexture(square, false);
    ASSERT_EQ(opaque, index + 1);
    ASSERT_TRUE(manager->GetTextureData(opaque, image));
    EXPECT_EQ(image.buffer.GetColumns(), 64);
    EXPECT_EQ(image.buffer.Row(0)[0], SColor4ub(255, 0, 0, 255));
}

TEST_F(DsManagerBitmapTextureTest, NothingToReadThroughAddsNothing)
{
    CDsManager* manager = CDsManager::GetInstance();
    CBitmap empty;
    EXPECT_EQ(manager->AddTexture(empty, true), -1);

    CBitmap bitmap;
    MakeBitmap(bitmap);
    // A bitmap selected into another DC cannot be read here.
    CDC other;
    other.CreateCompatibleDC(nullptr);
    CBitmap* previous = other.SelectObject(&bitmap);
    EXPECT_EQ(manager->AddTexture(bitmap, true), -1);
    other.SelectObject(previous);
    EXPECT_EQ(driver_->GetDCUseCount(), 0);

    // No DC for the driver, and no current view.
    driver_->ClearDC();
    EXPECT_EQ(manager->AddTexture(bitmap, true), -1);
    driver_->SetDC(&dc_);
    CDsView3dCdc::sCurrentView = nullptr;
    EXPECT_EQ(manager->AddTexture(bitmap, true), -1);
}
