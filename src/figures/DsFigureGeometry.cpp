// The scene-database geometry of a recorded figure and its clip-plane guard.
#include "DsFigureGeometry.h"

#include "DsAttributesPalette.h"
#include "DsAttributesPaletteControler.h"
#include "DsDriverExtrema.h"
#include "DsFigure.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemNText3D.h"
#include "DsItemPolyline2D.h"
#include "DsItemsFigure.h"
#include "DsItemsNTextBlock.h"
#include "DsManager.h"
#include "DsView3dCdc.h"

#include <algorithm>

// --- Clip-plane guard ---------------------------------------------------------------------------

CDsClipPlanesGuard::CDsClipPlanesGuard(view3d* view, bool clipable)
{
    if (clipable) return;
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    if (!core || !core->IsSection()) return;
    GLint count = 0;
    glGetIntegerv(GL_MAX_CLIP_PLANES, &count);
    for (GLint i = 0; i < count; ++i) {
        const GLenum plane = static_cast<GLenum>(GL_CLIP_PLANE0 + i);
        if (!glIsEnabled(plane)) continue;
        glDisable(plane);
        m_disabled.push_back(plane);
    }
}

CDsClipPlanesGuard::~CDsClipPlanesGuard()
{
    for (GLenum plane : m_disabled) glEnable(plane);
}

// --- Figure geometry ----------------------------------------------------------------------------

namespace {

// The attributes palette of the scene a figure is shown in, to be made the display manager's
// active one while the figure is picked, measured or boxed, as the frame does while it draws (a
// toolpath's nodes are then judged by the entries they are drawn with); null when a palette is
// active already or the scene has none. The scene is that of `view`'s context for a core view,
// else that of the context the figure was recorded with.
CDsAttributesPalette* ScenePalette(const CDsFigure* figure, view3d* view)
{
    if (CDsManager::GetInstance()->GetActiveAttributesPalette()) return nullptr;
    auto* core = dynamic_cast<CDsView3dCdc*>(view);
    CDsGlContext* context = core && core->GetGlContext() ? core->GetGlContext()
                                                         : figure ? figure->GetGlContext() : nullptr;
    CDsGlScene* scene = context ? context->GetScene() : nullptr;
    return scene ? scene->GetAttributesPalette() : nullptr;
}

// The revision of the palette a figure's box is measured with outside a frame: the active one,
// else the scene's (ScenePalette); 0 without either.
uint64_t MeasuringPaletteRevision(const CDsFigure* figure)
{
    const CDsAttributesPalette* palette = CDsManager::GetInstance()->GetActiveAttributesPalette();
    if (!palette) palette = ScenePalette(figure, nullptr);
    return palette ? palette->GetRevision() : 0;
}

// Whether `box` holds at least one pixel.
bool HasPixels(const SDsBox2D& box)
{
    return box.minX <= box.maxX && box.minY <= box.maxY;
}

// Widens `into` by `box` when it holds a pixel.
void Take(SDsBox2D& into, const SDsBox2D& box)
{
    if (HasPixels(box)) into.Expand(box);
}

// The window boxes of `item` on the current view `view`, added to `anchored` and `placed`, as the
// location walk reads a figure's leaves. Anchored: about each leaf's anchor (a model point), rows
// counted down, as the walk places a box about its model box. A text anchored at a model point
// answers all it draws there (GetDrawnBox2D; at every angle for a text that the view turns along
// its direction), a pixel frame its frame turned over, every other leaf its own box. Placed: the
// window pixels, rows counted up from the viewport's bottom, of the leaves that draw at places of
// the window rather than about model points: polylines in pixels (relative ones and leaders
// worked out for the view), a pixel about them and half their line width for what the lines
// light, and texts at a pixel (a relative one placed for the view). The groups a figure is made
// of and the two lines of a text give their children's.
void FigureWindowBoxes(CDsItemBase* item, CDsView3dCdc* view, SDsBox2D& anchored, SDsBox2D& placed)
{
    SDsBox2D own;
    own.SetEmpty();
    if (auto* text = dynamic_cast<CDsItemNText3DFixed*>(item)) {
        const bool turnedByTheView =
            dynamic_cast<CDsItemNTextVector*>(item) != nullptr || dynamic_cast<CDsItemNTextVectorFixed*>(item) != nullptr;
        if (text->GetDrawnBox2D(own, turnedByTheView)) Take(anchored, own);
    } else if (auto* text = dynamic_cast<CDsItemNText2D*>(item)) {
        if (auto* relative = dynamic_cast<CDsItemNText2DRelative*>(item); relative && view)
            relative->UpdatePosition(*view);
        if (text->GetPlacedBox2D(own)) Take(placed, own);
    } else if (auto* polyline = dynamic_cast<CDsItemPolyline2D*>(item)) {
        if (polyline->GetBoundBox2D(own) && HasPixels(own)) {
            const int reach = 1 + std::max(1, int(polyline->GetAttributes()->GetWidth())) / 2;
            own.minX -= reach;
            own.minY -= reach;
            own.maxX += reach;
            own.maxY += reach;
            Take(placed, own);
        }
    } else if (auto* frame = dynamic_cast<CDsItemBillBoardedRectangle*>(item)) {
        if (frame->GetDrawnBox2D(own)) Take(anchored, own);
    } else if (dynamic_cast<CDsItemsFigure*>(item) || dynamic_cast<CDsItemsNTextBiTol*>(item)) {
        const auto* group = static_cast<CDsItemsGroup*>(item);
        for (int i = 0; i < group->Count(); ++i) FigureWindowBoxes(group->GetFast(i), view, anchored, placed);
    } else if (item->GetBoundBox2D(own)) {
        Take(anchored, own);
    }
}

}  // namespace

CDsFigureGeometry::CDsFigureGeometry(CDsFigure* figure, int subType) : m_figure(figure), m_subType(subType)
{
    CreateBoundBox();
}

CDsFigureGeometry::~CDsFigureGeometry() = default;

CDsItemsFigure* CDsFigureGeometry::GetFigItem() const
{
    return m_figure ? m_figure->GetItemsFig() : nullptr;
}

void CDsFigureGeometry::CreateBoundBox() const
{
    m_box = SPAbox();
    m_paletteRevision = MeasuringPaletteRevision(m_figure);
    m_itemsRevision = m_figure ? m_figure->GetItemsRevision() : 0;
    const CDsAttributesPaletteControler palette(ScenePalette(m_figure, nullptr));
    if (CDsItemsFigure* group = GetFigItem()) group->GetBoundBox(m_box);
}

const SPAbox& CDsFigureGeometry::CurrentBox() const
{
    if (MeasuringPaletteRevision(m_figure) != m_paletteRevision ||
        (m_figure && m_figure->GetItemsRevision() != m_itemsRevision))
        CreateBoundBox();
    return m_box;
}

CDsGeometry* CDsFigureGeometry::Clone() const
{
    return new CDsFigureGeometry(*this);
}

const int* CDsFigureGeometry::GetConnectedItems(unsigned int& count, int) const
{
    count = 0;
    return nullptr;
}

bool CDsFigureGeometry::GetBoundBox(SPAbox& box, int) const
{
    const SPAbox& current = CurrentBox();
    if (current.empty()) return false;
    box = current;
    return true;
}

bool CDsFigureGeometry::GetBoundBox2D(SDsBox2D& box, int) const
{
    SDsBox2D anchored, placed;
    if (!GetWindowBoxes2D(anchored, placed)) return false;
    box.SetEmpty();
    Take(box, anchored);
    Take(box, placed);
    return true;
}

bool CDsFigureGeometry::GetWindowBoxes2D(SDsBox2D& anchored, SDsBox2D& placed) const
{
    anchored.SetEmpty();
    placed.SetEmpty();
    CDsItemsFigure* group = GetFigItem();
    if (!group) return false;
    FigureWindowBoxes(group, CDsView3dCdc::StGetCurrent(), anchored, placed);
    return HasPixels(anchored) || HasPixels(placed);
}

bool CDsFigureGeometry::HasBoundBox(int) const
{
    return !CurrentBox().empty();
}

int CDsFigureGeometry::GetDrawPrimitives(int) const
{
    if (!m_figure) return 0;
    int kinds = 0;
    if (CDsItemsFigure* main = m_figure->GetDlFigure()) kinds |= main->GetDrawPrimitives();
    if (CDsItemsFigure* impersonal = m_figure->GetImpersonalPart()) kinds |= impersonal->GetDrawPrimitives();
    return kinds;
}

int CDsFigureGeometry::Draw(view3d& view, eDrawPrimitives, int, int, const CDsDrawContext*)
{
    CDsItemsFigure* group = GetFigItem();
    if (!group) return 0;
    if (dynamic_cast<CDsViewExtrema*>(&view) && group->GetFlag(eDsItemFlagNoExtents)) return 0;
    const CDsAttributesPaletteControler palette(ScenePalette(m_figure, &view));
    return group->Pick(&view) ? 1 : 0;
}

bool CDsFigureGeometry::IsCutBySections() const
{
    return !m_figure || m_figure->IsClip_able();
}

void CDsFigureGeometry::DrawGl(view3d& view, eDrawPrimitives kinds, int, int, const CDsDrawContext*)
{
    if (!m_figure) return;
    CDsClipPlanesGuard guard(&view, m_figure->IsClip_able());
    const CDsAttributesPaletteControler palette(ScenePalette(m_figure, &view));
    if (CDsItemsFigure* main = m_figure->GetDlFigure()) main->DrawOnTraverse(view, kinds, true);
    CDsItemsFigure* impersonal = m_figure->GetImpersonalPart();
    auto* core = dynamic_cast<CDsView3dCdc*>(&view);
    if (impersonal && core && m_figure->OnImpPartDraw(core->GetLocationState()))
        impersonal->DrawOnTraverse(view, kinds, false);
}

LONG CDsFigureGeometry::DrawPoints(view3d& view, LONG mask, int)
{
    CDsItemsFigure* group = GetFigItem();
    const CDsAttributesPaletteControler palette(ScenePalette(m_figure, &view));
    return group ? group->DrawPoints(view, mask) : 0;
}

int CDsFigureGeometry::GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int)
{
    CDsItemsFigure* group = GetFigItem();
    return group ? group->GetVertices(kinds, index, vertices, count) : -1;
}

bool CDsFigureGeometry::GetPoint(eParameterPoints which, SPAposition& position, int) const
{
    CDsItemsFigure* group = GetFigItem();
    return group && group->GetPoint(which, position);
}

bool CDsFigureGeometry::GetVerticesBuffer(eDrawPrimitives, std::vector<sVerticesBuffer>&, int)
{
    return false;
}
