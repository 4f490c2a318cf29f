// CVyrEntInstance: an instance of bodies, placed elsewhere by a transform.
//
// Copy model: an instance refers to one or more real (original) bodies and holds one copy body
// per real body. A copy body has the real body's shape and topology, made in the same order, and
// a TRANSFORM that places it where the instance shows it (the real body's transform followed by
// the instance's). Its faces, edges and vertices are ordinary modeler entities that can be
// picked, faceted and queried; CVyrAsExt maps each of them back to the real entity it copies and
// maps real entities to their copies. The instance owns its copies (they are freed with it; a
// copy freed on its own simply leaves the instance); the real bodies are only referred to: once
// a real body is freed its copy stays, but maps to nothing.
#pragma once

#include "VyrModelerExtApi.h"

#include <memory>

#include "SpaTopology.h"
#include "VyrEntityTypes.h"

// An instance entity: copies of real bodies under one transform.
class VYR_MODELER_EXT_API CVyrEntInstance : public ENTITY {
    SPA_ENTITY_TYPE(CVyrEntInstance, ENTITY, CVyrEntInstance_TYPE, "vyr_instance")

public:
    // An instance of the BODYs of `bodies` (other entities, repeats and bodies that cannot be
    // copied are left out) placed by `transform`.
    CVyrEntInstance(const ENTITY_LIST& bodies, const SPAtransf& transform);
    // An instance of one body (none for null).
    explicit CVyrEntInstance(BODY* body, const SPAtransf& transform = SPAtransf());

    // The transform placing the copies relative to the real bodies.
    const SPAtransf& GetTransform() const;
    // Appends the copy bodies, in the order of the real bodies.
    void GetEntities(ENTITY_LIST& list) const;
    // Number of copy bodies.
    int GetCount() const;
    // The copy of `real`, or null when `real` is not one of the instance's real bodies.
    BODY* GetCopy(const BODY* real) const;
    // The real body of `copy`, or null (not a copy of this instance, or the real body is gone).
    BODY* GetReal(const BODY* copy) const;

protected:
    // Frees the copy bodies.
    ~CVyrEntInstance() override;

private:
    void AddCopy(BODY* real);

    struct Data;
    std::unique_ptr<Data> m_data;
};

// 1 for a CVyrEntInstance.
VYR_MODELER_EXT_API int is_CVyrEntInstance(const ENTITY* entity);
