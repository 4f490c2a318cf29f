// CVyrEntRef: a reference to an entity that becomes null when the entity is freed, so that the
// extension's objects never keep a dangling entity pointer.
//
// It works through a watch attribute on the target: freeing an entity frees its attribute chain,
// and the watch attribute clears every reference to its owner on the way out.
#pragma once

#include "SpaEntity.h"

class CVyrWatchAtt;

// A weak reference to an entity.
class CVyrEntRef {
public:
    // A null reference.
    CVyrEntRef() = default;
    // A reference to `target` (null: a null reference).
    explicit CVyrEntRef(ENTITY* target) { Set(target); }
    // Another reference to the same entity.
    CVyrEntRef(const CVyrEntRef& other) { Set(other.m_target); }
    // Refers to what `other` refers to.
    CVyrEntRef& operator=(const CVyrEntRef& other)
    {
        if (this != &other) Set(other.m_target);
        return *this;
    }
    // Stops watching.
    ~CVyrEntRef() { Set(nullptr); }

    // The entity, or null once it has been freed.
    ENTITY* Get() const { return m_target; }
    // Refers to `target` instead (null: nothing).
    void Set(ENTITY* target);

private:
    friend class CVyrWatchAtt;

    ENTITY* m_target = nullptr;
};
