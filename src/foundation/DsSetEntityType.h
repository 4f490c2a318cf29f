// CDsSetEntityType, the host's entity-type service.
#pragma once

#include <afx.h>

class ENTITY;

// The host's entity-type service: the object type an entity is shown as. The host implements it;
// the display manager keeps a pointer to the host's instance, through which items read the type of
// the entity they show.
class AFX_EXT_CLASS CDsSetEntityType {
public:
    // The type code (an eVyrObjectType, 0 to 255) under which `entity` is shown.
    virtual int GetObjectType(ENTITY* entity) const = 0;

protected:
    // The host owns its instance; it is never deleted through this class.
    ~CDsSetEntityType() = default;
};
