// rendering_context, viewport_manager and viewport_iterator.
#include "rendering_context.h"

#include "view3d.h"

#include <algorithm>

// --- viewport_manager -------------------------------------------------------------------------

viewport_manager::~viewport_manager()
{
    for (viewport_iterator* it : m_iterators) it->m_views = nullptr;
}

bool viewport_manager::add(view3d* view)
{
    if (!view || find(view)) return false;
    m_views.push_back(view);
    return true;
}

bool viewport_manager::remove(const view3d* view)
{
    const auto found = std::find(m_views.begin(), m_views.end(), view);
    if (!view || found == m_views.end()) return false;
    const size_t index = static_cast<size_t>(found - m_views.begin());
    m_views.erase(found);
    // Iterators past the removed entry step back so that none is skipped.
    for (viewport_iterator* it : m_iterators)
        if (it->m_next > index) --it->m_next;
    return true;
}

bool viewport_manager::find(const view3d* view) const
{
    return view && std::find(m_views.begin(), m_views.end(), view) != m_views.end();
}

view3d* viewport_manager::at(int index) const
{
    if (index < 0 || index >= count()) return nullptr;
    return m_views[static_cast<size_t>(index)];
}

// --- viewport_iterator ------------------------------------------------------------------------

viewport_iterator::viewport_iterator(const viewport_manager& views) : m_views(&views)
{
    const_cast<viewport_manager&>(views).m_iterators.push_back(this);
}

viewport_iterator::~viewport_iterator()
{
    if (!m_views) return;
    auto& list = const_cast<viewport_manager*>(m_views)->m_iterators;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

view3d* viewport_iterator::next()
{
    if (!m_views || m_next >= m_views->m_views.size()) return nullptr;
    return m_views->m_views[m_next++];
}

// --- rendering_context ------------------------------------------------------------------------

rendering_context::rendering_context() = default;

rendering_context::~rendering_context()
{
    viewport_iterator it(m_views);
    while (view3d* view = it.next())
        if (view->m_rendering_context == this) view->m_rendering_context = nullptr;
}

void rendering_context::add_view(view3d* view)
{
    if (!view || m_views.find(view)) return;
    if (view->m_rendering_context && view->m_rendering_context != this)
        view->m_rendering_context->remove_view(view);
    m_views.add(view);
    view->m_rendering_context = this;
}

void rendering_context::remove_view(view3d* view)
{
    if (!view || !m_views.remove(view)) return;
    if (view->m_rendering_context == this) view->m_rendering_context = nullptr;
}

void rendering_context::update_view_extrema(view3d*) {}

void* rendering_context::find_data(const ENTITY*) { return nullptr; }

int rendering_context::is_displayed(const ENTITY*) { return 0; }

void rendering_context::update_transform(ENTITY*) {}

void rendering_context::refresh_all()
{
    viewport_iterator it(m_views);
    while (view3d* view = it.next()) view->refresh(nullptr);
}

void rendering_context::refresh(view3d*, const CRect*) {}

void rendering_context::SetRenderToBitmap(int on) { m_render_to_bitmap = on; }

int rendering_context::GetRenderToBitmap() { return m_render_to_bitmap; }

int rendering_context::pick(pick_manager*) { return 0; }

void rendering_context::debug(FILE* out)
{
    if (out) std::fprintf(out, "%s: %d view(s)\n", get_type(), m_views.count());
}

const char* rendering_context::get_type() { return "rendering_context"; }

void rendering_context::remove(ENTITY*) {}
void rendering_context::add(ENTITY*) {}
