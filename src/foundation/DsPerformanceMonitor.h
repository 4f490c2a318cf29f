// CDsPerformanceMonitor: the frame-time average of a scene, kept over the last ten frames for
// fast refresh, the number of pictures of a transition view, and the scene's item statistics.
//
// The average starts at 20 ms (ten samples of 20); each sample replaces the oldest one.
#pragma once

#include <afx.h>

#include "DsStatisticsItems.h"

#include <cstdint>

// A scene's performance figures.
class AFX_EXT_CLASS CDsPerformanceMonitor {
public:
    // Number of frame-time samples averaged.
    static const int kSampleCount = 10;
    // Pictures of a transition view when the preference "AnimationViewNumbers" is absent.
    static const int kDefaultPictures = 25;

    // Ten samples of 20 and their mean, no statistics object, the pictures of a transition view
    // from "AnimationViewNumbers" (25 when absent).
    CDsPerformanceMonitor();
    // Frees the statistics object.
    virtual ~CDsPerformanceMonitor();
    CDsPerformanceMonitor(const CDsPerformanceMonitor&) = delete;
    CDsPerformanceMonitor& operator=(const CDsPerformanceMonitor&) = delete;

    // Back to the constructor's state (the statistics object stays); true when
    // "AnimationViewNumbers" was found.
    bool Reset();
    // Replaces the oldest sample by `time` and updates the mean.
    void AddSample(float time);
    // The mean of the last ten samples.
    float GetFrameTimeAverage() const { return m_mean; }

    // The two counts of an item type from the statistics object; 0 and 0 without one.
    void GetStatistics(EDsItemsType type, int& count, int& flagged) const;
    // The statistics object, made on first use (owned by the monitor).
    CDsStatisticsItems* GetStatisticsItems();
    // Deletes the statistics object.
    void DeleteStatisticsItems();

    // The pictures of a transition view.
    int GetAnimationViewNumOfPics() const { return m_pictures; }
    // Sets the pictures of a transition view.
    void SetAnimationViewNumOfPics(int pictures) { m_pictures = pictures; }
    // The second accumulator (0 at start).
    float GetSecondAccumulator() const { return m_accumulator2; }

private:
    float m_accumulator1 = 0.0f;
    float m_accumulator2 = 0.0f;
    uint8_t m_flag = 0;
    int32_t m_index = 0;
    float m_samples[kSampleCount];
    float m_mean = 20.0f;
    int32_t m_pictures = kDefaultPictures;
    CDsStatisticsItems* m_statistics = nullptr;
    int32_t m_last = 0;
};
