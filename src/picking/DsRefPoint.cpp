// CDsRefPoint: reference points of entities and edges, and the pick of an edge's points.
#include "DsRefPoint.h"

#include "DsItemEdge.h"
#include "DsTypeMask.h"
#include "UiPickEvent.h"

#include "SpaEntity.h"
#include "SpaTopology.h"
#include "pick_event.h"
#include "view3d.h"

CGmPosition CDsRefPoint::sLastPosition;
int CDsRefPoint::sPickType = 0;
double CDsRefPoint::sParam = 0.0;

CDsRefPoint::CDsRefPoint(ENTITY* entity, const CGmPosition* position)
{
    SetReferenceEntity(entity);
    if (position) sLastPosition = *position;
}

CDsRefPoint::CDsRefPoint(EDGE* edge) : m_curveFlag(1)
{
    SetReferenceEntity(edge);
}

CDsRefPoint::CDsRefPoint(const CDsRefPoint& other)
    : m_entityType(other.m_entityType), m_entity(other.m_entity), m_itemEdge(other.m_itemEdge),
      m_curveFlag(other.m_curveFlag)
{
}

CDsRefPoint& CDsRefPoint::operator=(const CDsRefPoint& other)
{
    m_entityType = other.m_entityType;
    m_entity = other.m_entity;
    m_itemEdge = other.m_itemEdge;
    m_curveFlag = other.m_curveFlag;
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

int CDsRefPoint::PickRefPoint(const CUiPickEvent& event, const CDsTypeMask& mask)
{
    if (!is_EDGE(m_entity)) return 0;
    sPickType = -1;
    if (!m_curveFlag || !m_itemEdge) return 0;

    SPAposition start, end, middle, centre;
    bool hasCentre = false;
    if (mask.IsTypeSet(eDsPickPtStart) || mask.IsTypeSet(eDsPickPtEnd)) {
        m_itemEdge->GetStartPoint(start);
        m_itemEdge->GetEndPoint(end);
    }
    if (mask.IsTypeSet(eDsPickPtMid)) m_itemEdge->GetMidPoint(middle);
    if (mask.IsTypeSet(eDsPickPtCenter)) hasCentre = m_itemEdge->GetCenterPoint(centre);

    const auto hit = [&](int kind, const SPAposition& point) {
        if (!StIsPicked(event, point)) return false;
        sPickType = kind;
        sLastPosition = point;
        return true;
    };
    if (mask.IsTypeSet(eDsPickPtStart) && (hit(eDsPickPtStart, start) || hit(eDsPickPtEnd, end))) return 1;
    if (mask.IsTypeSet(eDsPickPtEnd) && hit(eDsPickPtEnd, end)) return 1;
    if (mask.IsTypeSet(eDsPickPtMid) && hit(eDsPickPtMid, middle)) return 1;
    if (hasCentre && hit(eDsPickPtCenter, centre)) return 1;
    return 0;
}

int CDsRefPoint::StIsPicked(const CUiPickEvent& event, const CGmPosition& position)
{
    view3d* view = event.view();
    if (!view) return 0;
    // Coordinates too small to be told from 0 in single precision are 0.
    double xyz[3] = {position.x(), position.y(), position.z()};
    for (double& c : xyz)
        if (c != 0.0 && c > -1.1754943508222875e-38 && c < 1.1754943508222875e-38) c = 0.0;
    const SPAposition point(xyz[0], xyz[1], xyz[2]);
    if (view->get_pick_mode() != 0) return view->draw_point_3d(point) ? 1 : 0;
    int width = 0, height = 0;
    get_pick_aperture(width, height);
    view->pick_mode(1, event.x(), event.y(), width, height);
    const int picked = view->draw_point_3d(point) ? 1 : 0;
    view->pick_mode(0, 0, 0, 0, 0);
    return picked;
}
