// CDsPolyline: an ordered list of model positions, the approximation of a curve that the
// geometry computer and the figure generator fill and that a 3-D polyline item is built from.
#pragma once

#include <afx.h>

#include "SpaValues.h"

#include <vector>

// An ordered list of positions.
class AFX_EXT_CLASS CDsPolyline {
public:
    // No positions.
    CDsPolyline() = default;
    // The given positions, in order.
    explicit CDsPolyline(const std::vector<SPAposition>& positions) : m_positions(positions) {}

    // Appends a position.
    void Add(const SPAposition& position) { m_positions.push_back(position); }
    // The number of positions.
    int Count() const { return static_cast<int>(m_positions.size()); }
    // Position `i` (0 <= i < Count()).
    const SPAposition& Get(int i) const { return m_positions[static_cast<size_t>(i)]; }
    // The positions.
    const std::vector<SPAposition>& GetPositions() const { return m_positions; }
    // No positions.
    void Clear() { m_positions.clear(); }

private:
    std::vector<SPAposition> m_positions;
};
