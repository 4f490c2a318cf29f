#include "EntityLists.h"

namespace vyrtest {

std::vector<FACE*> Faces(const ENTITY* entity) { return Listed<FACE>(entity, get_faces); }

std::vector<EDGE*> Edges(const ENTITY* entity) { return Listed<EDGE>(entity, get_edges); }

}  // namespace vyrtest
