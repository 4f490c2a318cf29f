// CDsView3dCdc: the display core's view.
#include "DsView3dCdc.h"

#include "DsRectangle.h"

CDsView3dCdc* CDsView3dCdc::sCurrentView = nullptr;
EPlotMode CDsView3dCdc::sPlotMode = ePlotModeNone;

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

void CDsView3dCdc::StSetPlotMode(EPlotMode mode)
{
    sPlotMode = mode;
}

void CDsView3dCdc::StResetPlotMode()
{
    sPlotMode = ePlotModeNone;
}

EPlotMode CDsView3dCdc::StGetPlotMode()
{
    return sPlotMode;
}

bool CDsView3dCdc::StCheckIfPlotIsActive()
{
    return sPlotMode != ePlotModeNone;
}
