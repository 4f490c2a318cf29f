// Modeler additions the extension library builds on: the WCS entity (a working coordinate
// system) and body copies that keep the original's topology order.
#pragma once

#include "VyrAcisApi.h"
#include "SpaEntity.h"
#include "SpaErrors.h"
#include "SpaTopology.h"
#include "SpaValues.h"

// Type code of a WCS entity.
constexpr int WCS_TYPE = 100;

// A working coordinate system: an origin and three orthonormal, right-handed axes in model space.
class VYR_ACIS_API WCS : public ENTITY {
    SPA_ENTITY_TYPE(WCS, ENTITY, WCS_TYPE, "wcs")

public:
    // The system at `origin` whose x axis runs along `x_dir` and whose xy plane holds `y_dir` (y is
    // made perpendicular to x, z = x cross y). A zero `x_dir`, or a `y_dir` that is zero or
    // parallel to it, gives the model axes; a non-finite origin gives the model origin. `owner`
    // (may be null) is the entity that frees this one; while it is set, lose() does nothing.
    WCS(const SPAposition& origin, const SPAvector& x_dir, const SPAvector& y_dir, ENTITY* owner = nullptr);

    // The origin.
    const SPAposition& origin() const { return m_origin; }
    // The x axis.
    const SPAunit_vector& x_axis() const { return m_x; }
    // The y axis.
    const SPAunit_vector& y_axis() const { return m_y; }
    // The z axis.
    const SPAunit_vector& z_axis() const { return m_z; }
    // The entity that owns this one, or null.
    ENTITY* owner() const override { return m_owner; }

protected:
    ~WCS() override;

private:
    SPAposition m_origin;
    SPAunit_vector m_x;
    SPAunit_vector m_y;
    SPAunit_vector m_z;
    ENTITY* m_owner;
};

// 1 for a WCS.
VYR_ACIS_API int is_WCS(const ENTITY* entity);

// A new body with the same shape as `body`, in the same body space and without a transform. Its
// topology is made in the same order as the original's, so entry i of get_faces, get_edges and
// get_vertices of the copy corresponds to entry i of the original's. The copy shares no entity
// with the original; free it with lose(). Answers null on failure, with the reason in `result`
// when given. Errors: NULL_ENTITY; OCCT_FAILURE when the geometry kernel fails.
VYR_ACIS_API BODY* copy_body(const BODY* body, outcome* result = nullptr);
