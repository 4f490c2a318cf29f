// Shared pieces of the extrema tests: a cube whose geometry gives the view its corners, and the
// extremes an extrema driver measured, read whole and compared with those of points drawn
// straight into another driver.
#pragma once

#include "DsDriverExtrema.h"
#include "SpaValues.h"

#include "../scene_db/SceneTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace vyrtest {

// A cube whose Draw gives the view its eight corners.
class CCornersGeometry : public CTestGeometry {
public:
    CCornersGeometry(const SPAposition& low, double size)
        : CTestGeometry(SPAbox(low, low + SPAvector(size, size, size))), m_low(low), m_size(size)
    {
    }
    CDsGeometry* Clone() const override { return new CCornersGeometry(m_low, m_size); }
    int Draw(view3d& view, eDrawPrimitives, int, int, const CDsDrawContext*) override
    {
        for (const SPAposition& corner : Corners()) view.draw_point_3d(corner);
        ++draws;
        return 8;
    }
    std::vector<SPAposition> Corners() const
    {
        std::vector<SPAposition> corners;
        for (int i = 0; i < 8; ++i)
            corners.emplace_back(m_low.x() + (i & 1 ? m_size : 0), m_low.y() + (i & 2 ? m_size : 0),
                                 m_low.z() + (i & 4 ? m_size : 0));
        return corners;
    }
    int draws = 0;

private:
    SPAposition m_low;
    double m_size;
};

// The driver's x, y and z minima and maxima.
using Extremes = std::array<double, 6>;

// What `driver` measured (zeros when it measured nothing).
inline Extremes ReadExtremes(CDsDriverExtrema& driver)
{
    Extremes e{};
    driver.GetExtView()->GetExtremaCoordinates(e[0], e[1], e[2], e[3], e[4], e[5]);
    return e;
}

// The extremes of `corners` drawn straight into a new driver of `view`.
inline Extremes StraightExtremes(view3d* view, const std::vector<SPAposition>& corners)
{
    CDsDriverExtrema driver(view);
    for (const SPAposition& corner : corners) driver.GetExtView()->draw_point_3d(corner);
    return ReadExtremes(driver);
}

inline void ExpectSameExtremes(const Extremes& a, const Extremes& b)
{
    for (size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 1e-4) << "extreme " << i;
}

}  // namespace vyrtest
