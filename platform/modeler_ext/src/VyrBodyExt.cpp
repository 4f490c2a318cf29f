// Body and topology helpers.
#include "VyrBodyExt.h"

#include "DsTopologyServices.h"

const SPAtransf* CVyrBodyExt::TransfPtr(const ENTITY* body)
{
    if (body == nullptr) return nullptr;
    const ENTITY* top = body;
    // Owner chains are short; the bound guards against a broken chain.
    for (int depth = 0; depth < 64 && top->owner() != nullptr; ++depth) top = top->owner();
    if (!is_BODY(top)) return nullptr;
    const TRANSFORM* t = static_cast<const BODY*>(top)->transform();
    return t != nullptr ? &t->transform() : nullptr;
}

const SPAtransf* CDsTopologyServices::GetBodyTransform(const ENTITY* entity)
{
    return CVyrBodyExt::TransfPtr(entity);
}
