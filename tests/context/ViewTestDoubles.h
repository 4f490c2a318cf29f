// Stand-ins the view tests install: a driver that hands out a device context and records the
// pen and the texts it is given, and a rendering context that counts the refreshes it is asked
// for (the frame drawing itself is not what these tests look at).
#pragma once

#include "DsGlContext.h"
#include "DsView3dCdc.h"

#include "SpaValues.h"
#include "driver_context.h"
#include "rgb_color.h"

#include <map>
#include <string>
#include <vector>

namespace vyrtest {

// A driver with a set viewport whose device context is `dc` (a handle nothing draws on; null:
// the driver has none).
class RecordingDriver : public driver_context {
public:
    explicit RecordingDriver(HDC dc = reinterpret_cast<HDC>(0x4d43)) : dc_(dc) { set_viewport(0, 0, 200, 100); }
    HDC get_device_context() override
    {
        ++handedOut;
        return dc_;
    }
    void release_device_context(HDC dc) override
    {
        if (dc == dc_) ++givenBack;
    }
    void set_foreground_rgb(rgb_color color) override
    {
        foreground = color;
        driver_context::set_foreground_rgb(color);
    }
    int draw_text_3d(const float* xyz, const char* text) override
    {
        texts.push_back(text);
        positions.push_back(SPAposition(xyz[0], xyz[1], xyz[2]));
        return 7;
    }

    int handedOut = 0;
    int givenBack = 0;
    rgb_color foreground;
    std::vector<std::string> texts;
    std::vector<SPAposition> positions;

private:
    HDC dc_;
};

// A core context that counts the refreshes of each view, and can make a refresh move the current
// view (as a drawing road may while it draws).
class CountingContext : public CDsGlContext {
public:
    void refresh(view3d* view, const CRect*) override
    {
        ++refreshes[view];
        order.push_back(view);
        if (moveCurrentTo) CDsView3dCdc::sCurrentView = moveCurrentTo;
    }
    int Refreshes(view3d* view) const
    {
        const auto it = refreshes.find(view);
        return it == refreshes.end() ? 0 : it->second;
    }

    std::map<view3d*, int> refreshes;
    std::vector<view3d*> order;
    CDsView3dCdc* moveCurrentTo = nullptr;
};

// Installs a recording driver in `view` (owned by the view from here on) and answers it.
inline RecordingDriver* InstallRecordingDriver(view3d& view, HDC dc = reinterpret_cast<HDC>(0x4d43))
{
    auto* driver = new RecordingDriver(dc);
    delete view.set_driver_context(driver);
    return driver;
}

}  // namespace vyrtest
