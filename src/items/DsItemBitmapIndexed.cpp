// CDsItemBitmapIndexed and CDsItemBitmapColored: table bitmaps and icons at model points.
#include "DsItemBitmapIndexed.h"

#include "DsAcisPick.h"
#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsGeometryComputer.h"
#include "DsManager.h"
#include "DsRectangle.h"
#include "DsTextureData.h"

#include "SpaValues.h"
#include "pick_manager.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>

void DsAlignmentOffset(EAlignment alignment, int w, int h, int& dx, int& dy)
{
    dx = dy = 0;
    switch (alignment) {
        case eAlignTopLeft: dy = -h; break;
        case eAlignTopRight: dx = -w; dy = -h; break;
        case eAlignBottomRight: dx = -w; break;
        case eAlignCenter: dx = -(w / 2); dy = -(h / 2); break;
        case eAlignLeftCenter: dy = -(h / 2); break;
        case eAlignRightCenter: dx = -w; dy = -(h / 2); break;
        case eAlignTopCenter: dx = -(w / 2); dy = -h; break;
        case eAlignBottomCenter: dx = -(w / 2); break;
        default: break;
    }
}

namespace {

// The window point of `p` on `view` with rows counted up; false when it does not project.
bool ProjectUp(view3d& view, const CGmPosition& p, float& x, float& y)
{
    float px = 0.0f, py = 0.0f;
    int height = -1;
    if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(p, &view, px, py, &height)) return false;
    x = px;
    y = float(height - 1) - py;
    return true;
}

SPAbox PointBox(const CGmPosition& p)
{
    const SPAposition at(p.x(), p.y(), p.z());
    return SPAbox(at, at);
}

}  // namespace

// --- Indexed --------------------------------------------------------------------------------------

CDsItemBitmapIndexed::CDsItemBitmapIndexed(const CGmPosition& position, int index, EAlignment alignment)
    : m_position(position), m_index(index), m_alignment(alignment)
{
}

bool CDsItemBitmapIndexed::WindowPoint(view3d& view, float& x, float& y) const
{
    return ProjectUp(view, m_position, x, y);
}

void CDsItemBitmapIndexed::DrawGl(view3d& view)
{
    const CDsBitmap* bitmap = CDsManager::GetInstance()->GetBitmap(m_index);
    float x = 0.0f, y = 0.0f;
    if (!bitmap || !WindowPoint(view, x, y)) return;
    view.Start2dDraw();
    CDsDriverGl::StDrawBitmap(std::floor(x) + 0.5f, std::floor(y) + 0.5f, bitmap, m_alignment);
    view.End2dDraw();
}

void CDsItemBitmapIndexed::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (kinds != CDsGeometry::eDpBitmaps) return;
    const CDsBitmap* bitmap = CDsManager::GetInstance()->GetBitmap(m_index);
    float x = 0.0f, y = 0.0f;
    if (!bitmap || !WindowPoint(view, x, y)) return;
    if (applyAttributes) SetAttributesToView(&view);
    CDsDriverGl::StDrawBitmap(std::floor(x) + 0.5f, std::floor(y) + 0.5f, bitmap, m_alignment);
}

bool CDsItemBitmapIndexed::GetBoundBox2D(SDsBox2D& box)
{
    const CDsBitmap* bitmap = CDsManager::GetInstance()->GetBitmap(m_index);
    if (!bitmap) return false;
    int dx = 0, dy = 0;
    DsAlignmentOffset(m_alignment, bitmap->GetWidth(), bitmap->GetHeight(), dx, dy);
    box.minX = dx;
    box.minY = dy;
    box.maxX = dx + bitmap->GetWidth();
    box.maxY = dy + bitmap->GetHeight();
    return true;
}

EDsItemsType CDsItemBitmapIndexed::GetItemType()
{
    return eDsItemBitmapIndexed;
}

bool CDsItemBitmapIndexed::Pick(view3d* view)
{
    // Only a measuring view that asks for window pixels takes the bitmap's: where StDrawBitmap
    // lights them, its alignment offsets from the point's pixel.
    auto* extrema = dynamic_cast<CDsViewExtrema*>(view);
    if (!extrema || view->get_pick_mode() != 0 || !extrema->GetMeasuresPixelLines()) return false;
    SDsBox2D box;
    float x = 0.0f, y = 0.0f;
    if (!GetBoundBox2D(box) || !WindowPoint(*view, x, y)) return false;
    const int column = int(std::floor(x)), row = int(std::floor(y));
    extrema->MeasurePixels(column + box.minX, row + box.minY, column + box.maxX - 1, row + box.maxY - 1);
    return true;
}

bool CDsItemBitmapIndexed::Pick(pick_manager* manager)
{
    if (!manager) return false;
    const SPAposition at(m_position.x(), m_position.y(), m_position.z());
    if (!CDsAcisPick::StCheckIfPoint3dIsInApperture(manager, at, 0)) return false;
    manager->save_current_if_ok();
    return true;
}

int CDsItemBitmapIndexed::GetDrawPrimitives()
{
    return 0x1010;
}

bool CDsItemBitmapIndexed::GetBoundBox(SPAbox& box)
{
    box = PointBox(m_position);
    return true;
}

void CDsItemBitmapIndexed::Transform(const SPAtransf& transform)
{
    SPAposition moved(m_position.x(), m_position.y(), m_position.z());
    moved *= transform;
    m_position = CGmPosition(moved.x(), moved.y(), moved.z());
}

int CDsItemBitmapIndexed::DrawGdi(view3d&)
{
    return 0;
}

// --- Coloured -------------------------------------------------------------------------------------

CDsItemBitmapColored::CDsItemBitmapColored(const CGmPosition& position, int index, EAlignment alignment)
    : m_position(position), m_index(index), m_alignment(alignment)
{
    SDsTextureData image;
    if (CDsManager::GetInstance()->GetTextureData(index, image)) {
        m_width = image.width;
        m_height = image.height;
    }
}

void CDsItemBitmapColored::GetSize(int& width, int& height) const
{
    width = m_width;
    height = m_height;
}

bool CDsItemBitmapColored::Corner(view3d& view, int& x, int& y) const
{
    float px = 0.0f, py = 0.0f;
    if (!ProjectUp(view, m_position, px, py)) return false;
    int dx = 0, dy = 0;
    DsAlignmentOffset(m_alignment, m_width, m_height, dx, dy);
    x = int(std::floor(px)) + dx;
    y = int(std::floor(py)) + dy;
    return true;
}

void CDsItemBitmapColored::DrawGl(view3d&) {}

void CDsItemBitmapColored::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool)
{
    if (!(kinds & CDsGeometry::eDpImages)) return;
    int x = 0, y = 0;
    if (!Corner(view, x, y)) return;
    SDsTexture texture;
    if (CDsManager::GetInstance()->GetTexture(m_index, texture)) CDsDriverGl::DrawIcon(view, texture, x, y);
}

bool CDsItemBitmapColored::GetBoundBox2D(SDsBox2D& box)
{
    box.minX = 0;
    box.minY = 0;
    box.maxX = m_width;
    box.maxY = m_height;
    return true;
}

EDsItemsType CDsItemBitmapColored::GetItemType()
{
    return eDsItemBitmapColored;
}

bool CDsItemBitmapColored::Pick(view3d* view)
{
    if (!view) return false;
    int x = 0, y = 0;
    if (!Corner(*view, x, y)) return false;
    // A measuring view that asks for window pixels takes the icon's, drawn from the corner up.
    if (auto* extrema = dynamic_cast<CDsViewExtrema*>(view); extrema && view->get_pick_mode() == 0) {
        if (!extrema->GetMeasuresPixelLines() || m_width < 1 || m_height < 1) return false;
        extrema->MeasurePixels(x, y, x + m_width - 1, y + m_height - 1);
        return true;
    }
    int cx = 0, cy = 0, w = 0, h = 0, vx = 0, vy = 0, vw = 0, vh = 0;
    view->get_pick_aperture(cx, cy, w, h);
    view->get_viewport(vx, vy, vw, vh);
    const int up = vh - 1 - cy;
    const int left = cx - w / 2, bottom = up - h / 2;
    const int right = left + std::max(w, 1) - 1, top = bottom + std::max(h, 1) - 1;
    return x <= right && x + m_width - 1 >= left && y <= top && y + m_height - 1 >= bottom;
}

bool CDsItemBitmapColored::Pick(pick_manager* manager)
{
    return manager && manager->get_view() ? Pick(manager->get_view()) : false;
}

int CDsItemBitmapColored::GetDrawPrimitives()
{
    return 0x1040;
}

bool CDsItemBitmapColored::GetBoundBox(SPAbox& box)
{
    box = PointBox(m_position);
    return true;
}

void CDsItemBitmapColored::Transform(const SPAtransf& transform)
{
    SPAposition moved(m_position.x(), m_position.y(), m_position.z());
    moved *= transform;
    m_position = CGmPosition(moved.x(), moved.y(), moved.z());
}

int CDsItemBitmapColored::DrawGdi(view3d&)
{
    return 0;
}
