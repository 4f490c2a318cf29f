#include "EntityDeleter.h"

namespace vyrtest {

void EntityDeleter::operator()(ENTITY* entity) const {
    if (entity) entity->lose();
}

}  // namespace vyrtest
