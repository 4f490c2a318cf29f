// The line-attribute manager's commands by figure.
#include "DsLineAttribManager.h"

#include "DsFigure.h"
#include "DsFigureList.h"
#include "DsGlContext.h"
#include "DsItemsFigure.h"
#include "DsPickedItem.h"

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
        // Handed down to every leaf: a leaf that the figure's pen coloured itself would otherwise
        // keep drawing in its own colour, width and style while the figure reports the new ones.
        if (CDsItemsFigure* item = f.GetDlFigure()) item->SetAttributes(*attributes, true);
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
    if (!on) m_context->UnHighlightLocations();
}

// --- Commands by object path and by picked item ------------------------------------------------

void CDsLineAttribManager::MarkList(std::vector<CVyrObjectPath>& paths, bool on, const CDsColorStorage*)
{
    if (m_context) m_context->ModifyLocations(paths, on ? eAttribSetMark : eAttribSetNormal);
}

void CDsLineAttribManager::MarkEntity(const CVyrObjectPath& path, bool on, const CDsColorStorage* color)
{
    std::vector<CVyrObjectPath> paths(1, path);
    MarkList(paths, on, color);
}

void CDsLineAttribManager::DimList(std::vector<CVyrObjectPath>& paths, bool, bool on)
{
    if (m_context) m_context->ModifyLocations(paths, on ? eAttribSetDim : eAttribSetNormal);
}

void CDsLineAttribManager::DimEntity(const CVyrObjectPath& path, bool unused, bool on)
{
    std::vector<CVyrObjectPath> paths(1, path);
    DimList(paths, unused, on);
}

void CDsLineAttribManager::HighlightList(std::vector<CVyrObjectPath>& paths, bool on)
{
    if (!m_context) return;
    if (on)
        m_context->HighlightLocations(paths, eAttribSetHighlight);
    else
        m_context->UnHighlightLocations();
}

void CDsLineAttribManager::HighlightEntity(const CVyrObjectPath& path, bool on)
{
    std::vector<CVyrObjectPath> paths(1, path);
    HighlightList(paths, on);
}

void CDsLineAttribManager::ApplyVisibility(EVisibilityLevel level, std::vector<CVyrObjectPath>& paths, bool, bool on)
{
    if (!m_context) return;
    if (level == eVisibilityHighlight) {
        HighlightList(paths, on);
        return;
    }
    m_context->ModifyLocations(paths, on ? Visibility2LocState(level) : eAttribSetNormal);
}

void CDsLineAttribManager::ApplyVisibility(EVisibilityLevel level, const CVyrObjectPath& path, bool unused, bool on)
{
    std::vector<CVyrObjectPath> paths(1, path);
    ApplyVisibility(level, paths, unused, on);
}

void CDsLineAttribManager::MarkList(const CDsPickedItemList* list, bool on, const CDsColorStorage* color)
{
    if (!m_context || !list) return;
    std::vector<CVyrObjectPath> paths;
    CDsFigureList* figures = nullptr;
    list->GetLists(paths, figures);
    if (figures) {
        MarkList(figures, on);
        delete figures;
    }
    MarkList(paths, on, color);
}

void CDsLineAttribManager::MarkItem(CDsPickedItem* item, bool on, const CDsColorStorage* color)
{
    if (item) MarkEntity(item->GetObjectPath(), on, color);
}

void CDsLineAttribManager::HighlightItem(CDsPickedItem* item, bool on)
{
    if (item) HighlightEntity(item->GetObjectPath(), on);
}
