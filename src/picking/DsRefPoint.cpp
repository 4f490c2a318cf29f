#include "DsRefPoint.h"

#include "SpaEntity.h"

CGmPosition CDsRefPoint::sLastPosition;
int CDsRefPoint::sPickType = 0;
double CDsRefPoint::sParam = 0.0;

CDsRefPoint::CDsRefPoint(ENTITY* entity, const CGmPosition* position)
{
    SetReferenceEntity(entity);
    if (position) sLastPosition = *position;
}

CDsRefPoint::CDsRefPoint(const CDsRefPoint& other) : m_entityType(other.m_entityType), m_entity(other.m_entity) {}

CDsRefPoint& CDsRefPoint::operator=(const CDsRefPoint& other)
{
    m_entityType = other.m_entityType;
    m_entity = other.m_entity;
    return *this;
}

CDsRefPoint::~CDsRefPoint() = default;

void CDsRefPoint::SetReferenceEntity(ENTITY* entity)
{
    if (!entity) return;
    m_entity = entity;
    m_entityType = entity->identity(0);
}

int CDsRefPoint::PickRefPointByEntity(const CUiPickEvent&)
{
    if (m_entity) sPickType = 0;
    return 0;
}
