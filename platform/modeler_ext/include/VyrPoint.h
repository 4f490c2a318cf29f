// CVyrPoint: a point entity of the application (a construction point shown and picked on its
// own).
#pragma once

#include "VyrModelerExtApi.h"
#include "VyrEntityTypes.h"

// A point entity.
class VYR_MODELER_EXT_API CVyrPoint : public ENTITY {
    SPA_ENTITY_TYPE(CVyrPoint, ENTITY, CVyrPoint_TYPE, "vyr_point")

public:
    // A point at `location` (the origin when a coordinate is not finite).
    explicit CVyrPoint(const SPAposition& location = SPAposition());

    // The point's location in model space.
    const SPAposition& GetLocation() const { return m_location; }
    // Moves the point (a location with a non-finite coordinate is ignored; false then).
    bool SetLocation(const SPAposition& location);

protected:
    ~CVyrPoint() override;

private:
    SPAposition m_location;
};

// 1 for a CVyrPoint.
VYR_MODELER_EXT_API int is_CVyrPoint(const ENTITY* entity);
