// The view scope savers.
#include "DsViewFlagSaver.h"

#include "view3d.h"

#include <afx.h>

CDsViewFlagSaver::CDsViewFlagSaver(view3d* view, EDsViewFlag flag, bool on) : m_view(view), m_flag(flag)
{
    if (!m_view) return;
    m_previous = m_view->GetFlag(m_flag);
    m_view->SetFlag(m_flag, on);
}

CDsViewFlagSaver::~CDsViewFlagSaver()
{
    if (m_view) m_view->SetFlag(m_flag, m_previous);
}

CDsContinuousRefreshSaver::CDsContinuousRefreshSaver(view3d* view, bool on)
    : CDsViewFlagSaver(view, eDsViewFlagFastRefresh, on)
{
}

CDsViewSizeSaver::CDsViewSizeSaver(view3d* view, const CRect* rect)
{
    if (!view || !rect) return;
    m_view = view;
    m_view->get_viewport(m_x, m_y, m_width, m_height);
    m_view->set_viewport(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
}

CDsViewSizeSaver::~CDsViewSizeSaver()
{
    if (m_view) m_view->set_viewport(m_x, m_y, m_width, m_height);
}
