// CDsItemImage: a picture on a rectangle in model space.
#include "DsItemImage.h"

#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsPreferencesServices.h"
#include "DsRectangle.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "UiPickEvent.h"

#include "SpaValues.h"
#include "pick_manager.h"
#include "view3d.h"

#include <afxwin.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

float Distance(const float* a, const float* b)
{
    const float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

CGmPosition Corner(const CDsRectangle3d& rectangle, EDsRectangle3dPosition which)
{
    const float* p = rectangle.GetPosition(which);
    return CGmPosition(p[0], p[1], p[2]);
}

}  // namespace

CDsItemImage::CDsItemImage(const CDsImage& image, const CDsRectangle3d& rectangle)
    : m_rectangle(rectangle), m_image(image)
{
}

EDsItemsType CDsItemImage::GetItemType()
{
    return eDsItemImage;
}

void CDsItemImage::DrawOutline() const
{
    CDsDriverGl::StDrawPoints(4, m_rectangle.GetPositions(), GL_LINE_LOOP);
}

void CDsItemImage::DrawGl(view3d& view)
{
    glPushAttrib(GL_ENABLE_BIT);
    auto* core = dynamic_cast<CDsView3dCdc*>(&view);
    CDsGlContext* context = core ? core->GetGlContext() : nullptr;
    const bool temporary = context && context->GetRenderToBitmap() != 0;
    CDsImage* picture = &m_image;
    CDsImage copy;
    GLuint name = 0;
    if (temporary) {
        // A texture of its own for this draw, made from a copy so that the picture's own texture
        // (of another OpenGL context) is left alone.
        copy = m_image;
        picture = &copy;
        name = copy.CreateTexture();
    } else {
        name = m_image.GetTexture();
    }
    glBindTexture(GL_TEXTURE_2D, name);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    if (picture->GetTransparency()) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    }
    const float* c0 = m_rectangle.GetPosition(eDsRectangle3dOrigin);
    const float* c1 = m_rectangle.GetPosition(eDsRectangle3dFirst);
    const float* c2 = m_rectangle.GetPosition(eDsRectangle3dOpposite);
    const float* c3 = m_rectangle.GetPosition(eDsRectangle3dSecond);
    CDsDriverGl::StDrawTexturedRectangle(c0, c1, c3, c2, 0.01f, m_image.GetWidthRatio() * 0.99f, 0.01f,
                                         m_image.GetHeightRatio() * 0.99f);
    glDisable(GL_TEXTURE_2D);
    if (GetMarkState()) DrawToFrontBuffer(view);
    if (temporary && name) glDeleteTextures(1, &name);
    glPopAttrib();
}

bool CDsItemImage::GetBoundBox2D(SDsBox2D& box)
{
    box.minX = 0;
    box.minY = 0;
    box.maxX = int(Distance(m_rectangle.GetPosition(eDsRectangle3dOrigin), m_rectangle.GetPosition(eDsRectangle3dFirst)));
    box.maxY = int(Distance(m_rectangle.GetPosition(eDsRectangle3dOrigin), m_rectangle.GetPosition(eDsRectangle3dSecond)));
    return true;
}

void CDsItemImage::Transform(const SPAtransf& transform)
{
    m_rectangle.Transform(transform);
}

void CDsItemImage::DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity)
{
    if (IsHideLevelHidden() || !IsDrawExtremesRequired(entity)) return;
    extrema.draw_polyline_3d(4, m_rectangle.GetPositions(), 0);
}

void CDsItemImage::DrawToFrontBuffer(view3d&)
{
    CDsDriverGl::StSetWidth(2);
    glDisable(GL_LINE_STIPPLE);
    DrawOutline();
}

void CDsItemImage::Plot(view3d& view)
{
    auto* core = dynamic_cast<CDsView3dCdcBase*>(&view);
    CDC* dc = core ? core->GetCdc() : nullptr;
    if (!dc) return;
    int width = 0, height = 0;
    m_image.GetOriginalDimensions(width, height);
    CDC memory;
    CBitmap bitmap;
    if (width > 0 && height > 0 && memory.CreateCompatibleDC(dc) && bitmap.CreateCompatibleBitmap(dc, width, height)) {
        CBitmap* old = memory.SelectObject(&bitmap);
        if (old) {
            m_image.FillBitmap(memory, bitmap);
            int x = 0, y = 0, w = 0, h = 0;
            const double unitsPerPixel = view.get_units_per_pixel();
            if (unitsPerPixel != 0.0) {
                float px = 0.0f, py = 0.0f;
                int vx = 0, vy = 0, vw = 0, vh = 0;
                view.get_viewport(vx, vy, vw, vh);
                CDsGeometryComputer::GetInstance()->ProjectPositionOnView(Corner(m_rectangle, eDsRectangle3dSecond), &view, px, py);
                // The projection counts rows down already: the second corner is the picture's top left.
                x = int(px);
                y = int(py);
                w = int(Distance(m_rectangle.GetPosition(eDsRectangle3dOrigin), m_rectangle.GetPosition(eDsRectangle3dFirst)) /
                        unitsPerPixel);
                h = int(Distance(m_rectangle.GetPosition(eDsRectangle3dOrigin), m_rectangle.GetPosition(eDsRectangle3dSecond)) /
                        unitsPerPixel);
            }
            StretchBlt(dc->GetSafeHdc(), x, y, w, h, memory.GetSafeHdc(), 0, 0, width, height, SRCCOPY);
            memory.SelectObject(old);
        }
    }
    core->ReleaseCdc(dc);
}

bool CDsItemImage::Pick(view3d* view)
{
    if (!view) return false;
    // A measuring view (a region pick asking what lies wholly inside its rectangle, a fit) takes
    // the rectangle's four corners, as a pick manager's region test draws them.
    if (auto* extrema = dynamic_cast<CDsViewExtrema*>(view); extrema && view->get_pick_mode() == 0) {
        if (IsHideLevelHidden()) return false;
        DrawExtremes(*extrema, nullptr);
        return true;
    }
    float x0 = 0.0f, y0 = 0.0f, x2 = 0.0f, y2 = 0.0f;
    CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    if (!computer->ProjectPositionOnView(Corner(m_rectangle, eDsRectangle3dOrigin), view, x0, y0, nullptr, true) ||
        !computer->ProjectPositionOnView(Corner(m_rectangle, eDsRectangle3dOpposite), view, x2, y2, nullptr, true))
        return false;
    int cx = 0, cy = 0, w = 0, h = 0;
    view->get_pick_aperture(cx, cy, w, h);
    // Both rectangles count rows down here (the projection does, as the aperture does).
    const float left = std::min(x0, x2), right = std::max(x0, x2), top = std::min(y0, y2), bottom = std::max(y0, y2);
    const float aLeft = float(cx - w / 2), aRight = float(cx - w / 2 + std::max(w, 1)), aTop = float(cy - h / 2),
                aBottom = float(cy - h / 2 + std::max(h, 1));
    return left < aRight && aLeft < right && top < aBottom && aTop < bottom;
}

bool CDsItemImage::Pick(pick_manager* manager)
{
    view3d* view = manager ? manager->get_view() : nullptr;
    if (!view) return false;
    if (manager->get_pick_method() == pick_method_region) {
        if (!view->draw_polyline_3d(4, m_rectangle.GetPositions(), 0)) return false;
        return manager->save_current_if_ok() != 0;
    }
    int x = 0, y = 0;
    manager->get_pick_point(x, y);
    const SPAposition at = CUiPickEvent(x, y, 0, view, nullptr).GetMappedPosition(false);
    const CGmPosition p(at.x(), at.y(), at.z());
    const CGmPosition c0 = Corner(m_rectangle, eDsRectangle3dOrigin), c1 = Corner(m_rectangle, eDsRectangle3dFirst),
                      c2 = Corner(m_rectangle, eDsRectangle3dOpposite), c3 = Corner(m_rectangle, eDsRectangle3dSecond);
    CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    if (!computer->CheckPointInTriangle(c0, c1, c3, p) && !computer->CheckPointInTriangle(c1, c3, c2, p)) return false;
    return manager->save_current_if_ok() != 0;
}

int CDsItemImage::GetVerticesCount(CDsGeometry::eDrawPrimitives)
{
    return 4;
}

int CDsItemImage::GetVertices(CDsGeometry::eDrawPrimitives, int, float*&, int&)
{
    return -1;
}

int CDsItemImage::GetDrawPrimitives()
{
    return 0x1042;
}

void CDsItemImage::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool)
{
    auto* core = dynamic_cast<CDsView3dCdc*>(&view);
    if (!core) return;
    if (core->GetLocationState() != 0 && (kinds & CDsGeometry::eDpLines)) DrawOutline();
    if ((kinds & CDsGeometry::eDpLines) && core->GetFlag(eDsViewFlagFastRefresh) &&
        CDsPreferencesServices().GetAutoHideForFastRefreshEnabled(false)) {
        DrawOutline();
        return;
    }
    if (kinds & CDsGeometry::eDpImages) DrawGl(view);
}

bool CDsItemImage::GetBoundBox(SPAbox& box)
{
    const float* c0 = m_rectangle.GetPosition(eDsRectangle3dOrigin);
    const float* c2 = m_rectangle.GetPosition(eDsRectangle3dOpposite);
    box = SPAbox(SPAposition(std::min(c0[0], c2[0]), std::min(c0[1], c2[1]), std::min(c0[2], c2[2])),
                 SPAposition(std::max(c0[0], c2[0]), std::max(c0[1], c2[1]), std::max(c0[2], c2[2])));
    return true;
}

int CDsItemImage::DrawGdi(view3d&)
{
    return 0;
}
