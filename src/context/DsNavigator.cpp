// CDsNavigator: the current view and the contexts of views.
#include "DsNavigator.h"

#include "DsItemsCopy.h"

#include "DsItemPolygonsStl.h"
#include "DsItemsGroup.h"
#include "DsView3dCdc.h"

#include "pick_event.h"

CDsNavigator* CDsNavigator::sInstance = nullptr;

CDsNavigator::~CDsNavigator() = default;

CDsNavigator* CDsNavigator::StGetInstance()
{
    if (!sInstance) sInstance = new CDsNavigator();  // never freed: items may use it at unload
    return sInstance;
}

CDsView3dCdc* CDsNavigator::GetCurrentView() const
{
    return CDsView3dCdc::StGetCurrent();
}

CDsGlContext* CDsNavigator::GetGlContext(CDsView3dCdc* view) const
{
    return view ? view->GetGlContext() : CDsView3dCdc::StGetCurrentGlContext();
}

CDsGlContext* CDsNavigator::GetGlContext(const pick_event& event) const
{
    auto* view = dynamic_cast<CDsView3dCdc*>(event.view());
    return view ? view->GetGlContext() : nullptr;
}

CDC* CDsNavigator::GetDc(CDsView3dCdc* view) const
{
    return view ? view->GetCdc() : nullptr;
}

void CDsNavigator::ReleaseDc(CDsView3dCdc* view, CDC* dc) const
{
    if (view) view->ReleaseCdc(dc);
}

CDsItemsGroup* CDsNavigator::GetItemForStl(CDsItemsGroup* group) const
{
    if (!group) return nullptr;
    if (auto* copy = dynamic_cast<CDsItemsCopy*>(group)) return copy->IsStlCopy() ? group : nullptr;
    if (group->Count() == 0) return nullptr;
    return dynamic_cast<CDsItemPolygonsStl*>(group->GetFast(0)) ? group : nullptr;
}
