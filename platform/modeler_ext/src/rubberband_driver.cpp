// rubberband_driver: active state and the registry of live drivers for view-deletion notices.
#include "rubberband_driver.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

std::vector<rubberband_driver*>& live_drivers()
{
    // Never destroyed: drivers that outlive static destruction may still unregister.
    static std::vector<rubberband_driver*>* drivers = new std::vector<rubberband_driver*>;
    return *drivers;
}

}  // namespace

rubberband_driver::rubberband_driver()
{
    live_drivers().push_back(this);
}

rubberband_driver::rubberband_driver(const rubberband_driver& other) : m_active(other.m_active)
{
    live_drivers().push_back(this);
}

rubberband_driver& rubberband_driver::operator=(const rubberband_driver& other)
{
    m_active = other.m_active;
    return *this;
}

rubberband_driver::~rubberband_driver()
{
    auto& drivers = live_drivers();
    drivers.erase(std::remove(drivers.begin(), drivers.end(), this), drivers.end());
}

void rubberband_driver::start(const pick_event&) {}

void rubberband_driver::update(const pick_event&) {}

void rubberband_driver::stop() {}

void rubberband_driver::repaint(view3d*) {}

void rubberband_driver::init() { m_active = true; }

void rubberband_driver::end() { m_active = false; }

bool rubberband_driver::is_a(const char* type_name) const
{
    return type_name && std::strcmp(type_name, "rubberband_driver") == 0;
}

void rubberband_driver::delete_view_notify(const view3d*) {}

void rubberband_driver::notify_view_deleted(const view3d* view)
{
    // A copy: a driver may end (and unregister) while it is told.
    const std::vector<rubberband_driver*> drivers = live_drivers();
    for (rubberband_driver* driver : drivers)
        if (std::find(live_drivers().begin(), live_drivers().end(), driver) != live_drivers().end())
            driver->delete_view_notify(view);
}
