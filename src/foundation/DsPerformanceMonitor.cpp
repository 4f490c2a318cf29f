// CDsPerformanceMonitor: frame-time average and item statistics of a scene.
#include "DsPerformanceMonitor.h"

#include "DsPreferencesServices.h"

CDsPerformanceMonitor::CDsPerformanceMonitor()
{
    Reset();
}

CDsPerformanceMonitor::~CDsPerformanceMonitor()
{
    delete m_statistics;
}

bool CDsPerformanceMonitor::Reset()
{
    m_accumulator1 = 0.0f;
    m_accumulator2 = 0.0f;
    m_flag = 0;
    m_index = 0;
    for (float& sample : m_samples) sample = 20.0f;
    m_mean = 20.0f;
    m_last = 0;
    m_pictures = kDefaultPictures;
    int pictures = kDefaultPictures;
    const bool found = CDsPreferencesServices().GetAnimationViewNumOfPics(&pictures);
    if (found) m_pictures = pictures;
    return found;
}

void CDsPerformanceMonitor::AddSample(float time)
{
    m_mean = (m_mean * kSampleCount - m_samples[m_index] + time) * 0.1f;
    m_samples[m_index] = time;
    m_index = m_index + 1 < kSampleCount ? m_index + 1 : 0;
}

void CDsPerformanceMonitor::GetStatistics(EDsItemsType type, int& count, int& flagged) const
{
    count = 0;
    flagged = 0;
    if (m_statistics) m_statistics->GetStatistics(type, count, flagged);
}

CDsStatisticsItems* CDsPerformanceMonitor::GetStatisticsItems()
{
    if (!m_statistics) m_statistics = new CDsStatisticsItems();
    return m_statistics;
}

void CDsPerformanceMonitor::DeleteStatisticsItems()
{
    delete m_statistics;
    m_statistics = nullptr;
}
