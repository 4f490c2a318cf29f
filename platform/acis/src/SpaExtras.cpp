// The WCS entity and body copies.
#include "SpaExtras.h"

#include <cmath>

#include <Standard_Failure.hxx>

#include "OcctAccess.h"

// ---------------------------------------------------------------------------------------------
// WCS

namespace {

bool finite(const SPAvector& v) { return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z()); }

}  // namespace

WCS::WCS(const SPAposition& origin, const SPAvector& x_dir, const SPAvector& y_dir, ENTITY* owner)
    : m_origin(origin), m_x(1.0, 0.0, 0.0), m_y(0.0, 1.0, 0.0), m_z(0.0, 0.0, 1.0), m_owner(owner)
{
    if (!std::isfinite(origin.x()) || !std::isfinite(origin.y()) || !std::isfinite(origin.z()))
        m_origin = SPAposition();
    if (!finite(x_dir) || !finite(y_dir)) return;
    const SPAunit_vector x = normalise(x_dir);
    if (x.is_zero(0.5)) return;
    // y without its part along x; what is left must be a real direction.
    const SPAvector y_perp = y_dir - (y_dir % x) * x;
    if (y_perp.len() <= SPAresnor * (1.0 + y_dir.len())) return;
    const SPAunit_vector y = normalise(y_perp);
    if (y.is_zero(0.5)) return;
    m_x = x;
    m_y = y;
    m_z = normalise(x * y);
}

WCS::~WCS() = default;

int is_WCS(const ENTITY* entity)
{
    return entity != nullptr && entity->identity(WCS::derivation_level) == WCS_TYPE ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Body copies

BODY* copy_body(const BODY* body, outcome* out)
{
    BODY* copy = nullptr;
    API_FUNCTION_BEGIN
    if (body == nullptr) sys_error(NULL_ENTITY);
    // The copy is made from the very same shape: the topology walk meets the sub-shapes in the
    // same order, and sharing the (never modified) shape costs nothing.
    try {
        copy = SpaOcctAccess::MakeBody(OcctShape(body));
    } catch (const Standard_Failure& failure) {
        error_info info(OCCT_FAILURE, failure.GetMessageString());
        sys_error(OCCT_FAILURE, &info);
    }
    API_FUNCTION_END
    if (out != nullptr) *out = result;
    return copy;
}
