// The modeler's API: every public header of the stand-in modeler.
#pragma once

#include "SpaValues.h"
#include "SpaErrors.h"
#include "SpaEntity.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"
#include "SpaOptions.h"
#include "SpaFilters.h"
#include "SpaBuilders.h"
#if __has_include("SpaExtras.h")
#include "SpaExtras.h"
#endif
#include "SpaFaceter.h"
#include "SpaRay.h"
