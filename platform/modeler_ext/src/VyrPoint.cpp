// Point entities.
#include "VyrPoint.h"

#include <cmath>

namespace {

bool finite(const SPAposition& p) { return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z()); }

}  // namespace

CVyrPoint::CVyrPoint(const SPAposition& location)
{
    SetLocation(location);
}

CVyrPoint::~CVyrPoint() = default;

bool CVyrPoint::SetLocation(const SPAposition& location)
{
    if (!finite(location)) return false;
    m_location = location;
    return true;
}

int is_CVyrPoint(const ENTITY* entity)
{
    return entity != nullptr && entity->identity(CVyrPoint::derivation_level) == CVyrPoint_TYPE ? 1 : 0;
}
