// The base of the entities that show themselves as figures.
#include "VyrEntBase.h"

CVyrEntBase::~CVyrEntBase() = default;

int is_CVyrEntBase(const ENTITY* entity)
{
    return entity != nullptr && entity->identity(CVyrEntBase::derivation_level) == CVyrEntBase_TYPE ? 1 : 0;
}
