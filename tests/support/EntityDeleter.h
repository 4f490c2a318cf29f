// Modeler entities owned by a test: freed with lose() when the owner goes, however the test ends.
#pragma once

#include "SpaEntity.h"
#include "SpaTopology.h"

#include <memory>

namespace vyrtest {

// Loses an entity (and what it owns); nothing for null.
struct EntityDeleter {
    void operator()(ENTITY* entity) const;
};

// An entity a test owns.
using EntityPtr = std::unique_ptr<ENTITY, EntityDeleter>;
// A body a test owns.
using BodyPtr = std::unique_ptr<BODY, EntityDeleter>;

}  // namespace vyrtest
