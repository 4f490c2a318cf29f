// CVyrWCS: a coordinate-system entity of the application. It holds the modeler's WCS (which it
// owns), or none.
#pragma once

#include "VyrModelerExtApi.h"
#include "SpaExtras.h"
#include "VyrEntityTypes.h"

// A coordinate-system entity.
class VYR_MODELER_EXT_API CVyrWCS : public ENTITY {
    SPA_ENTITY_TYPE(CVyrWCS, ENTITY, CVyrWCS_TYPE, "vyr_wcs")

public:
    // An entity without a WCS.
    CVyrWCS();
    // An entity holding the WCS at `origin` with axes from `x_dir` and `y_dir` (see WCS).
    CVyrWCS(const SPAposition& origin, const SPAvector& x_dir, const SPAvector& y_dir);

    // The WCS, or null when there is none.
    WCS* GetWCS() const { return m_wcs; }
    // Replaces the WCS by a new one (see WCS).
    void SetWCS(const SPAposition& origin, const SPAvector& x_dir, const SPAvector& y_dir);
    // Frees the WCS; the entity then has none.
    void ClearWCS();

protected:
    // Frees the WCS.
    ~CVyrWCS() override;

private:
    WCS* m_wcs = nullptr;
};

// 1 for a CVyrWCS.
VYR_MODELER_EXT_API int is_CVyrWCS(const ENTITY* entity);
