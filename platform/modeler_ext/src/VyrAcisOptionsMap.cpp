// CVyrAcisOptionsMap.
#include "VyrAcisOptionsMap.h"

option_header* CVyrAcisOptionsMap::GetOption(int id) {
    switch (id) {
    case eFacetStoreMeshes:
        return find_option("facet_store_meshes");
    default:
        return nullptr;
    }
}
