// Coordinate-system entities.
#include "VyrWCS.h"

CVyrWCS::CVyrWCS() = default;

CVyrWCS::CVyrWCS(const SPAposition& origin, const SPAvector& x_dir, const SPAvector& y_dir)
{
    SetWCS(origin, x_dir, y_dir);
}

CVyrWCS::~CVyrWCS()
{
    ClearWCS();
}

void CVyrWCS::SetWCS(const SPAposition& origin, const SPAvector& x_dir, const SPAvector& y_dir)
{
    ClearWCS();
    m_wcs = new WCS(origin, x_dir, y_dir, this);
}

void CVyrWCS::ClearWCS()
{
    WCS* old = m_wcs;
    m_wcs = nullptr;
    if (old != nullptr) destroy(old);
}

int is_CVyrWCS(const ENTITY* entity)
{
    return entity != nullptr && entity->identity(CVyrWCS::derivation_level) == CVyrWCS_TYPE ? 1 : 0;
}
