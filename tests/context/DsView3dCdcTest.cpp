// The core's view: the current-view pointer never outlives the view it names.
#include "DsRectangle.h"
#include "DsView3dCdc.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The current view is process-wide: each test puts back the one it found.
class DsView3dCdcTest : public ::testing::Test {
protected:
    void TearDown() override { CDsView3dCdc::sCurrentView = saved_; }

    CDsView3dCdc* const saved_ = CDsView3dCdc::sCurrentView;
};

}  // namespace

TEST_F(DsView3dCdcTest, TheCurrentViewIsClearedWhenItGoesAndOnlyThen)
{
    CDsView3dCdc::sCurrentView = nullptr;
    auto current = std::make_unique<CDsView3dCdc>();
    CDsView3dCdc::sCurrentView = current.get();
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), current.get());
    { CDsView3dCdc other; }  // another view going leaves the current one
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), current.get());
    current.reset();
    EXPECT_EQ(CDsView3dCdc::StGetCurrent(), nullptr);
}

TEST_F(DsView3dCdcTest, CoreViewsAreToldFromPlainModelerViews)
{
    const std::unique_ptr<view3d> core = std::make_unique<CDsView3dCdc>();
    const std::unique_ptr<view3d> plain = std::make_unique<view3d>();
    EXPECT_NE(dynamic_cast<CDsView3dCdc*>(core.get()), nullptr);
    EXPECT_EQ(dynamic_cast<CDsView3dCdc*>(plain.get()), nullptr);
}

TEST_F(DsView3dCdcTest, AViewMadeWhereAGoneOneLivedHasItsOwnViewport)
{
    // Two views in turn in the same storage, as the allocator may well place them.
    alignas(CDsView3dCdc) unsigned char storage[sizeof(CDsView3dCdc)];
    const int min[2] = {150, 150}, max[2] = {160, 160};
    auto* small = new (storage) CDsView3dCdc;
    small->set_viewport(0, 0, 100, 100);
    EXPECT_FALSE(CDsRectangle(min, max).IsInView(small, false));
    small->~CDsView3dCdc();
    auto* large = new (storage) CDsView3dCdc;
    large->set_viewport(0, 0, 400, 400);
    EXPECT_TRUE(CDsRectangle(min, max).IsInView(large, false));
    large->~CDsView3dCdc();
}
