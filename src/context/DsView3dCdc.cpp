// CDsView3dCdc: the display core's view.
#include "DsView3dCdc.h"

#include "DsRectangle.h"

CDsView3dCdc* CDsView3dCdc::sCurrentView = nullptr;

CDsView3dCdc::~CDsView3dCdc()
{
    if (sCurrentView == this) sCurrentView = nullptr;
    // The rectangles' viewport cache knows views by address: a later view made at this address
    // must not inherit this one's viewport.
    CDsRectangle::StCacheViewport(nullptr);
}

CDsView3dCdc* CDsView3dCdc::StGetCurrent()
{
    return sCurrentView;
}
