// The two-area stepped section the section tests share, in model space (its own frame is the
// model's): the line runs from (-60, -5) to (0, -5), up to (0, 10) and on to (60, 10), keeping
// y > -5 left of x = 0 and y > 10 everywhere, depth 40 along +z. Of a block about the origin it
// cuts away y < -5, and x > 0 below y = 10.
#pragma once

#include "VyrComplexSection.h"

#include <algorithm>
#include <vector>

namespace vyrtest {

// A new record of that section over the items `paths`, for a scene to take over.
inline CVyrComplexSection* SteppedSection(const std::vector<CVyrObjectPath>& paths)
{
    auto* section = new CVyrComplexSection;
    section->m_vertices = {SPAposition(-60, -5, 0), SPAposition(0, -5, 0), SPAposition(0, 10, 0),
                           SPAposition(60, 10, 0)};
    section->m_normals = {SPAvector(0, 1, 0), SPAvector(-1, 0, 0), SPAvector(0, 1, 0)};
    section->m_depth = 40.0;
    const double box[6] = {-40, -30, -20, 40, 30, 20};
    std::copy(box, box + 6, section->m_box);
    section->m_paths = paths;
    return section;
}

}  // namespace vyrtest
