// Pickable and hatchable marks.
#include "VyrAcisExt.h"

#include <cmath>

#include "VyrAttrBase.h"

namespace {

// The display marks of an entity.
class CVyrDisplayMarkAtt : public CVyrAttrBase {
    SPA_ENTITY_TYPE(CVyrDisplayMarkAtt, CVyrAttrBase, CVyrDisplayMarkAtt_TYPE, "vyr_display_mark_attrib")

public:
    explicit CVyrDisplayMarkAtt(ENTITY* owner) : CVyrAttrBase(owner) {}

    int GetAttType() const override { return eVyrAttDisplayMark; }

    bool pickable = true;
    bool hatchable = false;
    float transparency = 0.0f;

protected:
    ~CVyrDisplayMarkAtt() override = default;
};

CVyrDisplayMarkAtt* find_marks(const ENTITY* entity)
{
    return static_cast<CVyrDisplayMarkAtt*>(find_attrib(entity, CVyrAttrBase_TYPE, CVyrDisplayMarkAtt_TYPE));
}

CVyrDisplayMarkAtt* marks(ENTITY* entity)
{
    CVyrDisplayMarkAtt* att = find_marks(entity);
    return att != nullptr ? att : new CVyrDisplayMarkAtt(entity);
}

}  // namespace

namespace VyrAcisExt {

bool IsEntityPickable(const ENTITY* entity)
{
    if (entity == nullptr) return false;
    const CVyrDisplayMarkAtt* att = find_marks(entity);
    return att == nullptr || att->pickable;
}

bool SetEntityPickable(ENTITY* entity, bool pickable)
{
    if (entity == nullptr) return false;
    marks(entity)->pickable = pickable;
    return true;
}

bool IsBodyHatchable(const ENTITY* body, float& transparency)
{
    const CVyrDisplayMarkAtt* att = find_marks(body);
    if (att == nullptr || !att->hatchable) return false;
    transparency = att->transparency;
    return true;
}

bool SetBodyHatchable(ENTITY* body, bool hatchable, float transparency)
{
    if (body == nullptr) return false;
    CVyrDisplayMarkAtt* att = marks(body);
    att->hatchable = hatchable;
    att->transparency = std::isnan(transparency) ? 0.0f : std::fmin(std::fmax(transparency, 0.0f), 1.0f);
    return true;
}

}  // namespace VyrAcisExt
