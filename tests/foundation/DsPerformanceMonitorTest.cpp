// A scene's performance figures: the frame-time average over the last ten frames, the pictures
// of a transition view from the preferences, and the item and primitive counts.
#include "PreferencesFixture.h"

#include "DsPerformanceMonitor.h"
#include "DsStatisticsItems.h"

#include <gtest/gtest.h>

namespace {

class DsPerformanceMonitorTest : public vyrtest::PreferencesTest {};

TEST_F(DsPerformanceMonitorTest, TheAverageReplacesTheOldestOfTenSamples)
{
    CDsPerformanceMonitor monitor;
    EXPECT_FLOAT_EQ(monitor.GetFrameTimeAverage(), 20.0f);
    monitor.AddSample(30.0f);
    EXPECT_FLOAT_EQ(monitor.GetFrameTimeAverage(), 21.0f);
    for (int i = 0; i < 10; ++i) monitor.AddSample(10.0f);
    EXPECT_FLOAT_EQ(monitor.GetFrameTimeAverage(), 10.0f);  // the start values and the 30 are gone
    monitor.AddSample(20.0f);
    EXPECT_FLOAT_EQ(monitor.GetFrameTimeAverage(), 11.0f);
    monitor.Reset();
    EXPECT_FLOAT_EQ(monitor.GetFrameTimeAverage(), 20.0f);
    EXPECT_EQ(monitor.GetSecondAccumulator(), 0.0f);
}

TEST_F(DsPerformanceMonitorTest, PicturesOfATransitionViewComeFromThePreference)
{
    CDsPerformanceMonitor monitor;
    EXPECT_EQ(monitor.GetAnimationViewNumOfPics(), 25);
    EXPECT_FALSE(monitor.Reset());
    General(L"AnimationViewNumbers", 40);
    EXPECT_TRUE(monitor.Reset());
    EXPECT_EQ(monitor.GetAnimationViewNumOfPics(), 40);
    monitor.SetAnimationViewNumOfPics(12);
    EXPECT_EQ(monitor.GetAnimationViewNumOfPics(), 12);
    CDsPerformanceMonitor other;
    EXPECT_EQ(other.GetAnimationViewNumOfPics(), 40);
}

TEST_F(DsPerformanceMonitorTest, StatisticsCountItemsAndPrimitives)
{
    CDsPerformanceMonitor monitor;
    int count = -1;
    int flagged = -1;
    monitor.GetStatistics(static_cast<EDsItemsType>(4), count, flagged);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(flagged, 0);

    CDsStatisticsItems* statistics = monitor.GetStatisticsItems();
    ASSERT_NE(statistics, nullptr);
    EXPECT_EQ(monitor.GetStatisticsItems(), statistics);
    EXPECT_EQ(statistics->size(), 41u);
    statistics->IncrementStatistics(static_cast<EDsItemsType>(4), true);
    statistics->IncrementStatistics(static_cast<EDsItemsType>(4), false);
    statistics->IncrementStatistics(static_cast<EDsItemsType>(44), true);  // no entry from the start
    monitor.GetStatistics(static_cast<EDsItemsType>(4), count, flagged);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(flagged, 1);
    monitor.GetStatistics(static_cast<EDsItemsType>(44), count, flagged);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(flagged, 1);
    monitor.GetStatistics(static_cast<EDsItemsType>(45), count, flagged);
    EXPECT_EQ(count, 0);

    statistics->IncrementStatistics(eDsPrimitivePolylinePoints, 7);
    statistics->IncrementStatistics(eDsPrimitivePolylinePoints, 3);
    statistics->IncrementStatistics(static_cast<EDsPrimitiveType>(7), 5);  // ignored
    statistics->IncrementStatistics(static_cast<EDsPrimitiveType>(-1), 5);
    EXPECT_EQ(statistics->GetStatistics(eDsPrimitivePolylinePoints), 10);
    EXPECT_EQ(statistics->GetStatistics(static_cast<EDsPrimitiveType>(7)), 0);

    // Copies hold counts of their own.
    CDsStatisticsItems copy(*statistics);
    statistics->IncrementStatistics(static_cast<EDsItemsType>(4), false);
    copy.GetStatistics(static_cast<EDsItemsType>(4), count, flagged);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(copy.GetStatistics(eDsPrimitivePolylinePoints), 10);
    CDsStatisticsItems assigned;
    assigned = *statistics;
    const CDsStatisticsItems& same = assigned;
    assigned = same;  // assigning itself keeps its entries
    assigned.GetStatistics(static_cast<EDsItemsType>(4), count, flagged);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(assigned.GetStatistics(eDsPrimitivePolylinePoints), 10);

    monitor.DeleteStatisticsItems();
    monitor.GetStatistics(static_cast<EDsItemsType>(4), count, flagged);
    EXPECT_EQ(count, 0);
}

}  // namespace
