#include "DsFigUcs.h"

#include "DsFigureGenerator.h"
#include "DsItemsFigure.h"
#include "DsItemsUcs.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsAxis(EDsCoordinate axis)
{
    return axis == eDsCoordinateX || axis == eDsCoordinateY || axis == eDsCoordinateZ;
}

}  // namespace

CDsFigUcs::CDsFigUcs(const CGmPosition& origin, int size, const char* axisLabels, const char* originLabel,
                     const CGmUnitVector* axes, int count)
    : CDsFigUcs(origin, size, CVyrString(axisLabels ? axisLabels : ""), CVyrString(originLabel ? originLabel : ""),
                axes, count)
{
}

CDsFigUcs::CDsFigUcs(const CGmPosition& origin, int size, const CVyrString& axisLabels,
                     const CVyrString& originLabel, const CGmUnitVector* axes, int count)
    : CDsFigure(true, true, false),
      m_count(count < 1 ? 3 : count),
      m_size(size),
      m_origin(origin),
      m_axisLabels(axisLabels),
      m_originLabel(originLabel)
{
    // A count below 1 says nothing about how many axes the array holds: none are read.
    if (count >= 1) CopyAxes(axes, count);
}

void CDsFigUcs::CopyAxes(const CGmUnitVector* axes, int count)
{
    m_axes.clear();
    if (!axes) return;
    // The triad uses at most three axes; reading further could only run past a short array.
    const int used = std::min(count, 3);
    m_axes.reserve(static_cast<size_t>(used));
    for (int i = 0; i < used; ++i) {
        const CGmUnitVector& a = axes[i];
        const bool finite = std::isfinite(a.x()) && std::isfinite(a.y()) && std::isfinite(a.z());
        m_axes.push_back(finite ? a : CGmUnitVector());
    }
}

int CDsFigUcs::DefineFig(CDsFigureGenerator& generator)
{
    generator.DrawUcs(m_origin, m_size, m_axisLabels, m_originLabel, m_axes.empty() ? nullptr : m_axes.data(),
                      m_count);
    if (auto* triad = dynamic_cast<CDsItemsUcs*>(generator.GetCurrentItem()))
        for (int axis = 0; axis < 3; ++axis)
            if (m_hasAxisAttributes[axis]) triad->SetAxisAttributes(m_axisAttributes[axis], axis);
    return 1;
}

void CDsFigUcs::SetAttributes(const CDsLineAttribStorage& attributes, EDsCoordinate axis)
{
    if (!IsAxis(axis)) return;
    m_axisAttributes[axis] = attributes;
    m_hasAxisAttributes[axis] = true;
    // The new definition gives the kept attributes to its triad (see the header comment).
    ReDefineFig();
}

CDsItemsUcs* CDsFigUcs::GetUcsItem() const
{
    CDsItemsFigure* group = GetDlFigure();
    return group && group->Count() > 0 ? dynamic_cast<CDsItemsUcs*>(group->Get(0)) : nullptr;
}

CGmUnitVector CDsFigUcs::StGetUnitVector(EDsCoordinate axis)
{
    switch (axis) {
    case eDsCoordinateX:
        return CGmUnitVector(1, 0, 0);
    case eDsCoordinateY:
        return CGmUnitVector(0, 1, 0);
    case eDsCoordinateZ:
        return CGmUnitVector(0, 0, 1);
    default:
        return CGmUnitVector();
    }
}

bool CDsFigUcs::CheckIfCoordinatePicked(const CUiPickEvent&, EDsCoordinate&)
{
    return false;
}

bool CDsFigUcs::StGetPickedUcsArrow(const CDsPickedItem&, EDsCoordinate&)
{
    return false;
}

bool CDsFigUcs::StGetPickedPartOfUcs(const CDsPickedItem&, EDsCoordinate&, bool&)
{
    return false;
}

CDsItemsUcs* CDsFigUcs::StGetDlUcs(const CDsPickedItem&)
{
    return nullptr;
}

void CDsFigUcs::StSetUcsArrowAttributes(const CDsPickedItem&, const CDsLineAttribStorage&) {}

void CDsFigUcs::StHighlightPickedUcsArrow(const CDsPickedItem&, bool) {}
