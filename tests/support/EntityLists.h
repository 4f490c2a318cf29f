// The topology below an entity as typed vectors, in the order the modeler's queries list it.
#pragma once

#include "SpaEntity.h"
#include "SpaTopology.h"

#include <vector>

namespace vyrtest {

// What `query` (get_faces, get_edges, ...) lists for `entity`, as pointers of type T.
template <class T>
std::vector<T*> Listed(const ENTITY* entity, void (*query)(const ENTITY*, ENTITY_LIST&)) {
    ENTITY_LIST list;
    query(entity, list);
    std::vector<T*> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(static_cast<T*>(list[i]));
    return out;
}

// The faces of `entity` (get_faces).
std::vector<FACE*> Faces(const ENTITY* entity);
// The edges of `entity` (get_edges).
std::vector<EDGE*> Edges(const ENTITY* entity);
// The mean of the positions of the vertices of `face`.
SPAposition LoopCentre(const FACE* face);

}  // namespace vyrtest
