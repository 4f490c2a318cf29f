#include "DsFigQuadric.h"

#include "DsFigureGenerator.h"
#include "DsItemLamp.h"
#include "DsItemsFigure.h"

#include <cmath>

namespace {

bool Finite3(const float* v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

}  // namespace

CDsFigQuadric::CDsFigQuadric() : CDsFigure(true, true, false) {}

int CDsFigQuadric::DefineFig(CDsFigureGenerator& generator)
{
    auto* lamp = new CDsItemLamp();
    lamp->SetType(m_type);
    if (std::isfinite(m_size)) lamp->SetSize(m_size);
    if (Finite3(m_position)) lamp->SetPosition(m_position);
    if (Finite3(m_target)) lamp->SetTarget(m_target);
    lamp->UpdateLampExtremes();
    generator.AddSubFigure(lamp);
    return 1;
}

void CDsFigQuadric::SetColor(const CDsColorStorage& color, bool redraw) { CDsFigure::SetColor(color, redraw); }

void CDsFigQuadric::SetPosition(const float* position)
{
    if (!position) return;
    for (int i = 0; i < 3; ++i) m_position[i] = position[i];
}

void CDsFigQuadric::SetTarget(const float* target)
{
    if (!target) return;
    for (int i = 0; i < 3; ++i) m_target[i] = target[i];
}

CDsItemLamp* CDsFigQuadric::GetItemQuadratic() const
{
    CDsItemsFigure* group = GetDlFigure();
    return group ? dynamic_cast<CDsItemLamp*>(group->Get(0)) : nullptr;
}
