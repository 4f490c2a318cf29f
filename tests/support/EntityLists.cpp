#include "EntityLists.h"

namespace vyrtest {

std::vector<FACE*> Faces(const ENTITY* entity) { return Listed<FACE>(entity, get_faces); }

std::vector<EDGE*> Edges(const ENTITY* entity) { return Listed<EDGE>(entity, get_edges); }

SPAposition LoopCentre(const FACE* face)
{
    ENTITY_LIST vertices;
    get_vertices(face, vertices);
    SPAvector sum;
    for (int i = 0; i < vertices.count(); ++i) sum += static_cast<VERTEX*>(vertices[i])->position() - SPAposition();
    return SPAposition() + sum / vertices.count();
}

}  // namespace vyrtest
