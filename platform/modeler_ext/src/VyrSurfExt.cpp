// Surface helpers.
#include "VyrSurfExt.h"

#include "VyrBodyExt.h"

SPAposition* CVyrSurfExt::GetConeApex(const ENTITY* face, int space)
{
    if (!is_conical_face(face) || is_cylindrical_face(face)) return nullptr;
    const SURFACE* geometry = static_cast<const FACE*>(face)->geometry();
    if (geometry == nullptr || geometry->equation().type() != cone_type) return nullptr;
    const cone& c = static_cast<const cone&>(geometry->equation());
    if (c.cylinder()) return nullptr;
    SPAposition apex = c.apex();
    if (space != kBodySpace) {
        if (const SPAtransf* t = CVyrBodyExt::TransfPtr(face)) apex *= *t;
    }
    return new SPAposition(apex);
}
