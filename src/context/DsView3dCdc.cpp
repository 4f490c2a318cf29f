// CDsView3dCdc: the display core's view.
#include "DsView3dCdc.h"

CDsView3dCdc* CDsView3dCdc::sCurrentView = nullptr;

CDsView3dCdc::~CDsView3dCdc()
{
    if (sCurrentView == this) sCurrentView = nullptr;
}

CDsView3dCdc* CDsView3dCdc::StGetCurrent()
{
    return sCurrentView;
}
