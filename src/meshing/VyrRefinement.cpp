// CVyrRefinement: faceting parameters, the process's default and the current refinement.
#include "VyrRefinement.h"

#include "DsGlContext.h"
#include "DsGlScene.h"

#include "DsPreferencesServices.h"
#include "DsView3dCdc.h"

// A static object of the library: it lives until the core unloads, and its destructor then
// clears the current pointer when that still points to it. The pointer is constant-initialised,
// so it is null before any initialiser of the library can ask for it.
CVyrRefinement CVyrRefinement::sDefaultRefinement;
CVyrRefinement* CVyrRefinement::sCurrentRefinement = nullptr;

CVyrRefinement::~CVyrRefinement()
{
    if (sCurrentRefinement == this) sCurrentRefinement = nullptr;
}

void CVyrRefinement::ReadPreferences()
{
    gDsPreferencesServices.GetRefinement(m_surfaceTol, m_maxGridLines, m_normalTol, m_curveTol, -1);
}

const CVyrRefinement* CVyrRefinement::StGetCurrentRefinement()
{
    // The current view's OpenGL context becomes current on a change of view (and only then).
    if (CDsView3dCdc* view = CDsView3dCdc::StGetCurrent())
        if (CDsGlContext* context = view->GetGlContext()) return context->GetScene()->GetRefinement();
    return sCurrentRefinement != nullptr ? sCurrentRefinement : &sDefaultRefinement;
}
