// The core's view: the current-view pointer never outlives the view it names.
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
