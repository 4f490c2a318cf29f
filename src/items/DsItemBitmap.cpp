// CDsItemBitmap: the one-bit bitmap item.
#include "DsItemBitmap.h"

#include "DsDriverExtrema.h"
#include "DsDriverGl.h"
#include "DsRectangle.h"
#include "pick_manager.h"
#include "view3d.h"

#include <afx.h>
#include <windows.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Bits of a row of a bitmap `width` pixels wide: whole 32-bit words, one more when the width
// already is a multiple of 32.
int64_t RowBits(int width)
{
    return int64_t(width) - int64_t(width) % 32 + 32;
}

// Whether one-pixel points draw exactly the fragments glBitmap would: in plain rendering, with no
// program, clip plane or texturing that would treat points and a raster position differently.
bool PointsStandForBitmap()
{
    GLint mode = 0, program = 0, planes = 0;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (mode != GL_RENDER) return false;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    if (program != 0) return false;
    if (glIsEnabled(GL_TEXTURE_1D) || glIsEnabled(GL_TEXTURE_2D)) return false;
    glGetIntegerv(GL_MAX_CLIP_PLANES, &planes);
    for (GLint i = 0; i < planes; ++i)
        if (glIsEnabled(GLenum(GL_CLIP_PLANE0 + i))) return false;
    return true;
}

}  // namespace

CDsItemBitmap::CDsItemBitmap()
{
    SetOnTopFlag(true);
}

CDsItemBitmap::CDsItemBitmap(int width, int height, int x, int y, int hotX, int hotY)
    : m_hotX(hotX), m_hotY(hotY), m_x(x), m_y(y)
{
    SetOnTopFlag(true);
    SetSize(width, height);
}

void CDsItemBitmap::SetSize(int width, int height)
{
    std::free(m_bits);
    m_bits = nullptr;
    m_width = width;
    m_height = height;
    if (width < 1 || height < 1) return;
    const int64_t bytes = RowBits(width) / 8 * int64_t(height);
    if (bytes > int64_t(kMaxBitsBytes)) return;
    m_bits = static_cast<unsigned char*>(std::calloc(size_t(bytes), 1));
}

CDsItemBitmap::~CDsItemBitmap()
{
    std::free(m_bits);
}

int CDsItemBitmap::GetRowLengthBits() const
{
    return m_bits ? int(RowBits(m_width)) : 0;
}

void CDsItemBitmap::GetSize(int& width, int& height) const
{
    width = m_width;
    height = m_height;
}

void CDsItemBitmap::GetHotSpot(int& x, int& y) const
{
    x = m_hotX;
    y = m_hotY;
}

void CDsItemBitmap::GetPosition(int& x, int& y) const
{
    x = m_x;
    y = m_y;
}

void CDsItemBitmap::SetPosition(int x, int y)
{
    m_x = x;
    m_y = y;
}

void CDsItemBitmap::SetPosition(int x, int y, int hotX, int hotY)
{
    SetPosition(x, y);
    m_hotX = hotX;
    m_hotY = hotY;
}

bool CDsItemBitmap::TestPixel(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return false;
    return (m_bits[size_t(GetRowLengthBytes()) * size_t(y) + size_t(x / 8)] >> (7 - x % 8)) & 1;
}

bool CDsItemBitmap::CopyFromBitmap(HBITMAP bitmap)
{
    if (!m_bits || !bitmap) return false;
    DIBSECTION description{};
    if (::GetObjectW(bitmap, sizeof description, &description) != int(sizeof(BITMAP))) return false;
    const BITMAP& picture = description.dsBm;
    if (picture.bmBitsPixel != 1 || picture.bmPlanes != 1 || picture.bmWidth < 1 || picture.bmHeight < 1) return false;

    // GetBitmapBits gives rows from the top, each padded to whole 16-bit words.
    const size_t stride = size_t(picture.bmWidth + 15) / 16 * 2;
    const size_t size = stride * size_t(picture.bmHeight);
    if (size > 0x7FFFFFFFu) return false;
    std::vector<unsigned char> rows(size);
    if (size_t(::GetBitmapBits(bitmap, LONG(size), rows.data())) != size) return false;

    // Row r from the top of the picture becomes row height - 1 - r of the item (rows run up).
    const size_t rowBytes = size_t(GetRowLengthBytes());
    const int width = picture.bmWidth < m_width ? picture.bmWidth : m_width;
    const int height = picture.bmHeight < m_height ? picture.bmHeight : m_height;
    const size_t copied = size_t(width + 7) / 8;
    std::memset(m_bits, 0, GetTotalSize());
    for (int r = 0; r < height; ++r) {
        unsigned char* target = m_bits + rowBytes * size_t(m_height - 1 - r);
        std::memcpy(target, rows.data() + stride * size_t(r), copied);
        if (width % 8) target[copied - 1] &= static_cast<unsigned char>(0xFF00u >> (width % 8));
    }
    return true;
}

void CDsItemBitmap::SetPixel(int x, int y)
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    m_bits[size_t(GetRowLengthBytes()) * size_t(y) + size_t(x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
}

void CDsItemBitmap::FlipRows()
{
    if (!m_bits) return;
    const size_t rowBytes = size_t(GetRowLengthBytes());
    std::vector<unsigned char> row(rowBytes);
    for (int top = m_height - 1, bottom = 0; bottom < top; ++bottom, --top) {
        unsigned char* a = m_bits + rowBytes * size_t(bottom);
        unsigned char* b = m_bits + rowBytes * size_t(top);
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
}

bool CDsItemBitmap::IsInView(view3d& view) const
{
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view.get_viewport(vx, vy, vw, vh);
    const int left = m_x - m_hotX, bottom = m_y - m_hotY;
    return left <= vw && left + m_width >= 0 && bottom <= vh && bottom + m_height >= 0;
}

void CDsItemBitmap::DrawRaster() const
{
    int px = m_x, py = m_y, hx = m_hotX, hy = m_hotY;
    if (px < 0 && -px < m_width) {
        hx -= px;
        px = 0;
    }
    if (py < 0 && -py < m_height) {
        hy -= py;
        py = 0;
    }
    glRasterPos2i(px, py);
    if (px < 0 || py < 0) return;
    if (GetRowLengthBits() <= kPointsRowBits && m_height <= kPointsRowBits && DrawAsPoints(px, py, hx, hy)) return;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glBitmap(GetRowLengthBits(), m_height, float(hx), float(hy), 0.0f, 0.0f, m_bits);
    glPopClientAttrib();
}

bool CDsItemBitmap::DrawAsPoints(int px, int py, int hx, int hy) const
{
    if (!PointsStandForBitmap()) return false;
    GLboolean valid = GL_FALSE;
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (!valid) return true;  // glBitmap draws nothing either
    GLfloat raster[4] = {};
    GLint viewport[4] = {};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // Only in the 2-D drawing mode (object x, y = window x, y less the viewport's corner) are the
    // points' places known without the matrices.
    if (std::fabs(raster[0] - float(viewport[0] + px)) > 0.01f || std::fabs(raster[1] - float(viewport[1] + py)) > 0.01f)
        return false;
    // glBitmap's lower-left pixel, then each point at the centre of its pixel.
    const float left = std::floor(raster[0] - float(hx)) - float(viewport[0]) + 0.5f;
    const float bottom = std::floor(raster[1] - float(hy)) - float(viewport[1]) + 0.5f;
    GLfloat size = 1.0f;
    glGetFloatv(GL_POINT_SIZE, &size);
    const bool smooth = glIsEnabled(GL_POINT_SMOOTH) == GL_TRUE;
    if (size != 1.0f) glPointSize(1.0f);
    if (smooth) glDisable(GL_POINT_SMOOTH);
    const int rowBytes = GetRowLengthBytes();
    CDsDriverGl::StBeginVertices(GL_POINTS);
    for (int y = 0; y < m_height; ++y) {
        const unsigned char* row = m_bits + size_t(rowBytes) * size_t(y);
        for (int byte = 0; byte < rowBytes; ++byte) {
            if (!row[byte]) continue;
            for (int bit = 0; bit < 8; ++bit)
                if ((row[byte] >> (7 - bit)) & 1) CDsDriverGl::StVertex(left + float(8 * byte + bit), bottom + float(y));
        }
    }
    CDsDriverGl::StEndVertices();
    if (size != 1.0f) glPointSize(size);
    if (smooth) glEnable(GL_POINT_SMOOTH);
    return true;
}

void CDsItemBitmap::DrawGl(view3d& view)
{
    if (!m_bits) return;
    view.Start2dDraw();
    DrawRaster();
    glGetError();
    view.End2dDraw();
}

void CDsItemBitmap::DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!m_bits || !(kinds & 0x10)) return;
    if (applyAttributes) SetAttributesToView(&view);
    DrawRaster();
}

bool CDsItemBitmap::GetBoundBox2D(SDsBox2D& box)
{
    box.minX = -m_hotX;
    box.minY = -m_hotY;
    box.maxX = m_width - m_hotX;
    box.maxY = m_height - m_hotY;
    return true;
}

EDsItemsType CDsItemBitmap::GetItemType()
{
    return eDsItemBitmap;
}

int CDsItemBitmap::GetDrawPrimitives()
{
    return 0x1010;
}

int CDsItemBitmap::DrawGdi(view3d&)
{
    return 0;
}

bool CDsItemBitmap::AnySetPixelIn(int left, int bottom, int right, int top) const
{
    const int x0 = m_x - m_hotX, y0 = m_y - m_hotY;
    left = std::max(left, x0);
    bottom = std::max(bottom, y0);
    right = std::min(right, x0 + m_width - 1);
    top = std::min(top, y0 + m_height - 1);
    for (int y = bottom; y <= top; ++y)
        for (int x = left; x <= right; ++x)
            if (TestPixel(x - x0, y - y0)) return true;
    return false;
}

bool CDsItemBitmap::SetPixelsBox(int& left, int& bottom, int& right, int& top) const
{
    int x0 = m_width, y0 = m_height, x1 = -1, y1 = -1;
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (TestPixel(x, y)) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    if (x1 < 0) return false;
    left = m_x - m_hotX + x0;
    right = m_x - m_hotX + x1;
    bottom = m_y - m_hotY + y0;
    top = m_y - m_hotY + y1;
    return true;
}

bool CDsItemBitmap::Pick(view3d* view)
{
    if (!m_bits || !view) return false;
    if (auto* extrema = dynamic_cast<CDsViewExtrema*>(view); extrema && view->get_pick_mode() == 0) {
        int left = 0, bottom = 0, right = 0, top = 0;
        if (!extrema->GetMeasuresPixelLines() || !SetPixelsBox(left, bottom, right, top)) return false;
        extrema->MeasurePixels(left, bottom, right, top);
        return true;
    }
    int cx = 0, cy = 0, w = 0, h = 0, vx = 0, vy = 0, vw = 0, vh = 0;
    view->get_pick_aperture(cx, cy, w, h);
    view->get_viewport(vx, vy, vw, vh);
    const int up = vh - 1 - cy;
    const int left = cx - w / 2, bottom = up - h / 2;
    return AnySetPixelIn(left, bottom, left + std::max(w, 1) - 1, bottom + std::max(h, 1) - 1);
}

bool CDsItemBitmap::Pick(pick_manager* manager)
{
    if (!m_bits || !manager) return false;
    view3d* view = manager->get_view();
    if (!view) return false;
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view->get_viewport(vx, vy, vw, vh);
    bool hit = false;
    if (manager->get_pick_method() == pick_method_region) {
        CRect area;
        if (!manager->GetPickInRegionArea(area)) return false;
        hit = AnySetPixelIn(area.left, vh - 1 - area.bottom, area.right, vh - 1 - area.top);
    } else {
        int x = 0, y = 0;
        manager->get_pick_point(x, y);
        const int up = vh - 1 - y;
        hit = AnySetPixelIn(x - 2, up - 2, x + 2, up + 2);
    }
    if (!hit) return false;
    manager->save_current_if_ok();
    return true;
}
