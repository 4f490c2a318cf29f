// CVyrAcisOptionsMap: the modeler options the application refers to by number.
#pragma once

#include "VyrModelerExtApi.h"

#include "SpaOptions.h"

// Maps the application's option numbers to the modeler's options.
class VYR_MODELER_EXT_API CVyrAcisOptionsMap {
public:
    // Option numbers known to the map.
    enum {
        // The faceter's "facet_store_meshes", pushed to 0 for the duration of a faceting run.
        eFacetStoreMeshes = 3
    };

    // The option with number `id`, or null for a number the map does not know (or whose option
    // the modeler lacks).
    static option_header* GetOption(int id);
};
