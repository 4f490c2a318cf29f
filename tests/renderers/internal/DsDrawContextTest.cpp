// The fast-refresh record of a frame and the auto-hide threshold, in a program started without
// "EditFRAHParams": the built-in parameters (the registry is neither read nor written), the
// threshold that follows the frame rate from frame to frame, and the first frame's threshold from
// the normal frame rate and the scene's size in pixels.
#include "DsBox.h"
#include "DsDrawContext.h"
#include "VyrCommandLineParser.h"
#include "VyrRegistry.h"

#include "ScratchRegistry.h"
#include "ViewSetup.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <sys/stat.h>

namespace {

// A 200 x 100 pixel view showing 10 model units across: 0.05 units per pixel.
class FrahTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vyrtest::ViewSetup().Pixels(200, 100).Field(10, 5).ApplyTo(view_);
        ASSERT_DOUBLE_EQ(view_.get_units_per_pixel(), 0.05);
    }
    // The threshold of a fast-refresh frame with auto-hide measured at `rate`, the view's current
    // threshold being `current`.
    float Next(float current, float rate)
    {
        view_.SetMaxDiagonalSizeForFastRefresh(current);
        CDsDrawContext record(&view_, true, 0.05);
        record.fastRefresh = true;
        record.frameRate = rate;
        return DsFrahUpdateThreshold(&view_, record, box_);
    }
    view3d view_;
    CDsBox box_;  // empty unless a test sets it
};

// A box whose diagonal is `pixels` pixels long in the test's view (a 3-4-5 triangle in x and y).
CDsBox BoxOfDiagonal(double pixels)
{
    const double units = pixels * 0.05;
    const float low[3] = {1.0f, 2.0f, 3.0f};
    const float high[3] = {static_cast<float>(1.0 + units * 0.6), static_cast<float>(2.0 + units * 0.8), 3.0f};
    return CDsBox(low, high);
}

}  // namespace

TEST_F(FrahTest, TheRecordTakesTheViewsFlagsAndTheRateOfItsKindOfRefresh)
{
    view_.SetLastFPS(40.0f);
    view_.SetLastZprFPS(-1.0f);
    view_.SetDocumentFlag(eDsDocumentFlagImmediateMesh, true);
    CDsDrawContext normal(&view_, false, 0.05);
    EXPECT_FALSE(normal.fastRefresh);
    EXPECT_TRUE(normal.documentFlag1);
    EXPECT_FALSE(normal.reflection);
    EXPECT_FALSE(normal.autoHide);
    EXPECT_DOUBLE_EQ(normal.precision, 0.05);
    EXPECT_FLOAT_EQ(normal.frameRate, 40.0f);  // the normal rate
    EXPECT_TRUE(normal.keepAttributeCache);

    view_.SetFlag(eDsViewFlagFastRefresh, true);
    view_.SetDocumentFlag(eDsDocumentFlagImmediateMesh, false);
    CDsDrawContext fast(&view_, true, 0.25);
    EXPECT_TRUE(fast.fastRefresh);
    EXPECT_FALSE(fast.documentFlag1);
    EXPECT_TRUE(fast.autoHide);
    EXPECT_DOUBLE_EQ(fast.precision, 0.25);
    EXPECT_FLOAT_EQ(fast.frameRate, -1.0f);  // the fast-refresh rate, not measured yet
    view_.SetLastZprFPS(12.5f);
    EXPECT_FLOAT_EQ(CDsDrawContext(&view_, true, 0.05).frameRate, 12.5f);

    CDsDrawContext none(nullptr, true, 0.05);
    EXPECT_FALSE(none.fastRefresh);
    EXPECT_FALSE(none.documentFlag1);
    EXPECT_TRUE(none.autoHide);
    EXPECT_EQ(none.frameRate, 0.0f);
    EXPECT_TRUE(none.keepAttributeCache);
}

TEST_F(FrahTest, WithoutTheSwitchTheBuiltInParametersAreUsedAndTheRegistryIsLeftAlone)
{
    ASSERT_FALSE(CVyrCommandLineParser::GetInstance()->GetParamExists(L"EditFRAHParams"));
    vyrtest::ScratchRegistry registry;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, CVyrRegistry::sApplicationKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t* edited[][2] = {{L"FRAH_FRDGenNum_not_for_use", L"1"}, {L"FRAH_LowBoundFPS", L"5"}};
    for (auto& value : edited)
        ASSERT_EQ(RegSetValueExW(key, value[0], 0, REG_SZ, reinterpret_cast<const BYTE*>(value[1]),
                                 static_cast<DWORD>((wcslen(value[1]) + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    struct stat before {};
    ASSERT_EQ(stat(registry.File().c_str(), &before), 0);

    float low = 0, upper = 0, increase = 0, decrease = 0, base = 0;
    int largest = 0, largestFirst = 0;
    DsFrahReadParameters(low, upper, increase, decrease, base, largest, largestFirst);
    EXPECT_FLOAT_EQ(low, 15.0f);
    EXPECT_FLOAT_EQ(upper, 35.0f);
    EXPECT_FLOAT_EQ(increase, 1.25f);
    EXPECT_FLOAT_EQ(decrease, 0.9f);
    EXPECT_FLOAT_EQ(base, 50.0f);
    EXPECT_EQ(largest, 50);
    EXPECT_EQ(largestFirst, 10);

    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"FRAH_UpperBoundFPS", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    struct stat after {};
    ASSERT_EQ(stat(registry.File().c_str(), &after), 0);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
}

TEST_F(FrahTest, WithoutFastRefreshOrAutoHideNothingIsHidden)
{
    view_.SetLastFPS(5.0f);
    CDsDrawContext record(&view_, true, 0.05);
    record.frameRate = 5.0f;
    view_.SetMaxDiagonalSizeForFastRefresh(8.0f);
    EXPECT_EQ(DsFrahUpdateThreshold(&view_, record, box_), 0.0f);  // no fast refresh
    record.fastRefresh = true;
    record.autoHide = false;
    EXPECT_EQ(DsFrahUpdateThreshold(&view_, record, box_), 0.0f);  // no auto-hide
    record.autoHide = true;
    EXPECT_EQ(DsFrahUpdateThreshold(nullptr, record, box_), 0.0f);  // no view
    EXPECT_GT(DsFrahUpdateThreshold(&view_, record, box_), 8.0f);
}

TEST_F(FrahTest, TheThresholdGrowsBelowTheLowRateShrinksAboveTheUpperAndStaysAtMostTheLargest)
{
    float t = Next(8.0f, 10.0f);
    EXPECT_FLOAT_EQ(t, 10.0f);
    t = Next(t, 10.0f);
    EXPECT_FLOAT_EQ(t, 12.5f);
    EXPECT_FLOAT_EQ(Next(20.0f, 40.0f), 18.0f);
    EXPECT_FLOAT_EQ(Next(48.0f, 10.0f), 50.0f);  // not 60
    // Between the bounds, and on them, the threshold is kept.
    EXPECT_FLOAT_EQ(Next(20.0f, 15.0f), 20.0f);
    EXPECT_FLOAT_EQ(Next(20.0f, 25.0f), 20.0f);
    EXPECT_FLOAT_EQ(Next(20.0f, 35.0f), 20.0f);
    EXPECT_FLOAT_EQ(Next(20.0f, 14.9f), 25.0f);
    EXPECT_FLOAT_EQ(Next(20.0f, 35.1f), 18.0f);
    EXPECT_FLOAT_EQ(Next(70.0f, 25.0f), 50.0f);  // a larger one kept from before is cut too
}

TEST_F(FrahTest, TheFirstFrameStartsFromTheNormalRateAndTheScenesDiagonalInPixels)
{
    box_ = BoxOfDiagonal(1024.0);
    view_.SetFlag(eDsViewFlagFastRefresh, true);
    view_.SetLastZprFPS(-1.0f);  // the first fast-refresh frame
    view_.SetMaxDiagonalSizeForFastRefresh(33.0f);
    const struct {
        float normalRate;
        float expected;
    } cases[] = {
        {40.0f, 0.0f},                           // at least the middle rate (25): nothing hidden
        {25.0f, 0.0f},                           //
        {20.0f, 2.0f},                           // 1024 ^ (5 / 50)
        {24.0f, std::pow(1024.0f, 1.0f / 50)},  //
        {0.0f, 10.0f},                           // 1024 ^ (25 / 50) = 32, at most the largest first
    };
    for (const auto& c : cases) {
        view_.SetLastFPS(c.normalRate);
        const CDsDrawContext record(&view_, true, 0.05);
        EXPECT_NEAR(DsFrahUpdateThreshold(&view_, record, box_), c.expected, 1e-4) << c.normalRate;
        EXPECT_NEAR(DsFrahFirstThreshold(&view_, box_, 25.0f, 50.0f, 10), c.expected, 1e-4) << c.normalRate;
    }
    // Another middle rate, root base and cap.
    view_.SetLastFPS(10.0f);
    EXPECT_NEAR(DsFrahFirstThreshold(&view_, box_, 30.0f, 40.0f, 100), 32.0, 1e-3);  // 1024 ^ (20 / 40)
    EXPECT_NEAR(DsFrahFirstThreshold(&view_, BoxOfDiagonal(1.0), 30.0f, 40.0f, 100), 1.0, 1e-4);
}

TEST_F(FrahTest, AFirstFrameWithoutAScaleOrASceneHidesNothing)
{
    view_.SetLastFPS(1.0f);
    EXPECT_EQ(DsFrahFirstThreshold(&view_, CDsBox(), 25.0f, 50.0f, 10), 0.0f);  // empty scene
    EXPECT_EQ(DsFrahFirstThreshold(nullptr, BoxOfDiagonal(1024.0), 25.0f, 50.0f, 10), 0.0f);
    vyrtest::ViewSetup().Pixels(0, 0).ApplyTo(view_);
    ASSERT_EQ(view_.get_units_per_pixel(), 0.0);
    EXPECT_EQ(DsFrahFirstThreshold(&view_, BoxOfDiagonal(1024.0), 25.0f, 50.0f, 10), 0.0f);
}

TEST_F(FrahTest, AFrameScopeMovesTheThresholdOnceForAllTheWalksOfItsView)
{
    CDsDrawContext record(&view_, true, 0.05);
    record.fastRefresh = true;
    record.frameRate = 10.0f;  // below the low bound: the threshold grows by 1.25 a frame
    // A walk works the threshold out for `view` and hands it to the view, as a draw functor does.
    auto walk = [&record, this](view3d& view) {
        const float t = DsFrahFrameThreshold(&view, record, box_);
        view.SetMaxDiagonalSizeForFastRefresh(t);
        return t;
    };

    // Outside a frame every walk moves it on.
    view_.SetMaxDiagonalSizeForFastRefresh(8.0f);
    EXPECT_FLOAT_EQ(walk(view_), 10.0f);
    EXPECT_FLOAT_EQ(walk(view_), 12.5f);

    view_.SetMaxDiagonalSizeForFastRefresh(8.0f);
    view3d other;
    other.SetMaxDiagonalSizeForFastRefresh(20.0f);
    {
        CDsFrahFrameScope frame(&view_);
        for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(walk(view_), 10.0f) << i;
        {
            CDsFrahFrameScope render(&view_);  // a render of the frame joins it
            EXPECT_FLOAT_EQ(walk(view_), 10.0f);
            // Another view drawn meanwhile has a frame of its own.
            CDsFrahFrameScope otherFrame(&other);
            EXPECT_FLOAT_EQ(walk(other), 25.0f);
            EXPECT_FLOAT_EQ(walk(other), 25.0f);
            EXPECT_FLOAT_EQ(walk(view_), 10.0f);
        }
        EXPECT_FLOAT_EQ(walk(view_), 10.0f);
    }
    // The next frame moves it one step further, once.
    {
        CDsFrahFrameScope frame(&view_);
        EXPECT_FLOAT_EQ(walk(view_), 12.5f);
        EXPECT_FLOAT_EQ(walk(view_), 12.5f);
    }
    // A scope without a view shares nothing.
    CDsFrahFrameScope none(nullptr);
    EXPECT_FLOAT_EQ(walk(view_), 15.625f);
}
