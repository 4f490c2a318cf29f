// The line-attribute manager's commands by figure.
#include "DsLineAttribManager.h"

#include "DsFigure.h"
#include "DsFigureList.h"
#include "DsGlContext.h"
#include "DsItemsFigure.h"

namespace {

// Runs `apply` on every figure of the list with the context's display suspended meanwhile.
template <class F>
void ForEachSuspended(CDsGlContext* context, CDsFigureList* figures, F apply)
{
    if (!context || !figures) return;
    context->PushDisplaySuspension();
    for (CDsFigure* figure : *figures)
        if (figure) apply(*figure);
    context->PopDisplaySuspension();
}

}  // namespace

void CDsLineAttribManager::ApplyColor(CDsFigureList* figures, const CDsColorStorage* color)
{
    if (!color) return;
    ForEachSuspended(m_context, figures, [color](CDsFigure& f) { f.SetColor(*color, true); });
}

void CDsLineAttribManager::ApplyStyle(CDsFigureList* figures, int style)
{
    ForEachSuspended(m_context, figures, [style](CDsFigure& f) { f.SetStyle(style, true); });
}

void CDsLineAttribManager::ApplyWidth(CDsFigureList* figures, int width)
{
    ForEachSuspended(m_context, figures, [width](CDsFigure& f) { f.SetWidth(width, true); });
}

void CDsLineAttribManager::ApplyAttributes(CDsFigureList* figures, const CDsLineAttribStorage* attributes)
{
    if (!attributes) return;
    ForEachSuspended(m_context, figures, [attributes](CDsFigure& f) {
        if (!f.GetDlFigure()) f.ReDefineFig();
        f.Erase(nullptr);
        if (CDsItemsFigure* item = f.GetDlFigure()) item->SetAttributes(*attributes, false);
        f.SetAttributes(*attributes, false);
        f.UpdateAttributes();
        f.DrawOnView(nullptr, eDsDrawModeNormal3);
    });
}

void CDsLineAttribManager::MarkList(CDsFigureList* figures, bool on)
{
    ForEachSuspended(m_context, figures, [on](CDsFigure& f) { f.SetVisibility(eVisibilityMark, on, false); });
}

void CDsLineAttribManager::DimList(CDsFigureList* figures, bool on)
{
    ForEachSuspended(m_context, figures, [on](CDsFigure& f) { f.SetVisibility(eVisibilityDim, on, false); });
}

void CDsLineAttribManager::ApplyVisibility(EVisibilityLevel level, CDsFigureList* figures, bool on)
{
    ForEachSuspended(m_context, figures, [level, on](CDsFigure& f) { f.SetVisibility(level, on, false); });
}

void CDsLineAttribManager::MarkFigure(CDsFigure* figure, bool on, bool)
{
    if (!m_context || !figure) return;
    m_context->PushDisplaySuspension();
    figure->SetVisibility(eVisibilityMark, on, false);
    m_context->PopDisplaySuspension();
}

void CDsLineAttribManager::DimFigure(CDsFigure* figure, bool on, bool)
{
    ApplyVisibility(eVisibilityDim, figure, on, false);
}

void CDsLineAttribManager::ApplyVisibility(EVisibilityLevel level, CDsFigure* figure, bool on, bool)
{
    if (!m_context || !figure) return;
    m_context->PushDisplaySuspension();
    figure->SetVisibility(level, on, true);
    m_context->PopDisplaySuspension();
}

void CDsLineAttribManager::HighlightFigure(CDsFigure* figure, bool on, bool)
{
    if (!m_context || !figure) return;
    figure->SetVisibility(eVisibilityHighlight, on, false);
    figure->DrawOnView(nullptr, eDsDrawModeNormal3);
}
