// Puts back the process-wide state of views after a test: the current view, the previous active
// view and the current OpenGL view, the saved picture (a picture the test left is freed), the
// plot mode and what plotting saves, the display-curves
// switch, the extrema mode, the published measuring view and the display manager's background
// flags 6 to 8. Make it first in a fixture, so that it outlives the test's views; a test starts
// with no current view of either kind and no saved picture.
#pragma once

#include "DsDriverExtrema.h"
#include "DsGlContext.h"
#include "DsItemPolyline3D.h"
#include "DsManager.h"
#include "DsPictureStorage.h"
#include "DsView3dCdc.h"

namespace vyrtest {

class ViewStaticsGuard {
public:
    ViewStaticsGuard()
    {
        for (int i = 0; i < 3; ++i) managerFlags_[i] = CDsManager::GetInstance()->GetFlag(6 + i);
        CDsView3dCdc::sCurrentView = nullptr;
        CDsView3dCdc::sPreviousActiveView = nullptr;
        CDsGlContext::sCurrentView = nullptr;
        CDsView3dCdc::sLastPicture = nullptr;
    }
    ~ViewStaticsGuard()
    {
        delete CDsView3dCdc::sLastPicture;
        CDsView3dCdc::sLastPicture = lastPicture_;
        CDsView3dCdc::sCurrentView = current_;
        CDsView3dCdc::sPreviousActiveView = previous_;
        CDsGlContext::sCurrentView = glCurrent_;
        CDsView3dCdc::sPlotMode = plotMode_;
        CDsView3dCdc::sPlotX = plot_[0];
        CDsView3dCdc::sPlotY = plot_[1];
        CDsView3dCdc::sPlotWidth = plot_[2];
        CDsView3dCdc::sPlotHeight = plot_[3];
        CDsView3dCdc::sPlotScale = plotScale_;
        CDsView3dCdc::sDisplayCurvesMode = curves_;
        StSetExtremaMode(extrema_);
        CDsItemPolyline3D::sViewExtrema = viewExtrema_;
        for (int i = 0; i < 3; ++i) CDsManager::GetInstance()->SetFlag(6 + i, managerFlags_[i]);
    }
    ViewStaticsGuard(const ViewStaticsGuard&) = delete;
    ViewStaticsGuard& operator=(const ViewStaticsGuard&) = delete;

private:
    CDsView3dCdc* const current_ = CDsView3dCdc::sCurrentView;
    CDsView3dCdc* const previous_ = CDsView3dCdc::sPreviousActiveView;
    view3d* const glCurrent_ = CDsGlContext::sCurrentView;
    CDsPictureStorage* const lastPicture_ = CDsView3dCdc::sLastPicture;
    const EPlotMode plotMode_ = CDsView3dCdc::sPlotMode;
    const int plot_[4] = {CDsView3dCdc::sPlotX, CDsView3dCdc::sPlotY, CDsView3dCdc::sPlotWidth,
                          CDsView3dCdc::sPlotHeight};
    const double plotScale_ = CDsView3dCdc::sPlotScale;
    const bool curves_ = CDsView3dCdc::sDisplayCurvesMode;
    const bool extrema_ = StGetExtremaMode();
    CDsViewExtrema* const viewExtrema_ = CDsItemPolyline3D::sViewExtrema;
    bool managerFlags_[3] = {false, false, false};
};

}  // namespace vyrtest
