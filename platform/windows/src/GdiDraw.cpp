// GDI drawing: the drawing state of a DC (raster operation, background and fill modes, current
// position, map mode), the pixel blocks and masks that drawing calls fill, and lines, polygons
// and pixels.
#include "GdiDrawInternal.h"
#include "GdiPenInternal.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace vyrwin {
namespace gdi {
namespace {

constexpr double kLimit = double(int64_t(1) << 30);

BOOL FailWith(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// The extents a fixed map mode sets: window units per inch and the sign of y.
void FixedExtents(HDC dc, int mode) {
    int unitsPerInch = 0;
    switch (mode) {
    case MM_LOMETRIC: unitsPerInch = 254; break;
    case MM_HIMETRIC: unitsPerInch = 2540; break;
    case MM_LOENGLISH: unitsPerInch = 100; break;
    case MM_HIENGLISH: unitsPerInch = 1000; break;
    case MM_TWIPS: unitsPerInch = 1440; break;
    default: break;
    }
    if (mode == MM_TEXT) {
        dc->windowExt = SIZE{1, 1};
        dc->viewportExt = SIZE{1, 1};
    } else if (unitsPerInch) {
        dc->windowExt = SIZE{unitsPerInch, unitsPerInch};
        dc->viewportExt = SIZE{dc->dpiX, -dc->dpiY};
    }
}

bool ScalableMode(int mode) { return mode == MM_ANISOTROPIC || mode == MM_ISOTROPIC; }

// --- Pens as they draw -------------------------------------------------------------------------

// What a pen draws on a DC: nothing, a one-pixel line or a wide one, in a colour, with runs.
struct PenPlan {
    bool none = false;
    bool wide = false;
    double width = 1.0;         // device pixels (wide pens)
    bool evenWidth = false;     // sample at pixel corners
    uint32_t color = 0;
    std::vector<double> runs;   // alternately drawn and skipped (even count), empty: solid
    double period = 0.0;
    DWORD cap = PS_ENDCAP_ROUND;
    bool opaqueGaps = false;    // gaps of one-pixel styled lines take the background colour
    uint32_t gapColor = kWhite;

    // Whether the pattern draws at distance `t` along the line.
    bool On(double t) const {
        if (runs.empty()) return true;
        double position = std::fmod(t, period);
        if (position < 0) position += period;
        for (size_t i = 0; i < runs.size(); ++i) {
            if (position < runs[i]) return i % 2 == 0;
            position -= runs[i];
        }
        return false;
    }
};

std::vector<double> StandardRuns(DWORD kind, double unit) {
    switch (kind) {
    case PS_DASH: return {18 * unit, 6 * unit};
    case PS_DOT: return {3 * unit, 3 * unit};
    case PS_DASHDOT: return {9 * unit, 6 * unit, 3 * unit, 6 * unit};
    case PS_DASHDOTDOT: return {9 * unit, 3 * unit, 3 * unit, 3 * unit, 3 * unit, 3 * unit};
    case PS_ALTERNATE: return {1, 1};
    default: return {};
    }
}

PenPlan PlanPen(HDC dc, HPEN pen, const DeviceMap& map) {
    PenPlan plan;
    const DWORD kind = pen->style & PS_STYLE_MASK;
    if (kind == PS_NULL || pen->brushStyle == BS_NULL) {
        plan.none = true;
        return plan;
    }
    plan.color = PixelOf(pen->color);
    const bool geometric = pen->ext && (pen->style & PS_TYPE_MASK) == PS_GEOMETRIC;
    const double scale = std::fabs(map.sx);
    if (geometric || (!pen->ext && pen->width > 1)) {
        const double width = std::max(1.0, std::round(pen->width * scale));
        if (width > 1.0) {
            plan.wide = true;
            plan.width = width;
            plan.evenWidth = int64_t(width) % 2 == 0;
        }
    }
    plan.cap = pen->ext ? (pen->style & PS_ENDCAP_MASK) : PS_ENDCAP_ROUND;
    if (kind == PS_USERSTYLE) {
        const double unit = geometric ? scale : 1.0;
        for (DWORD run : pen->runs) plan.runs.push_back(run * unit);
    } else if (plan.wide) {
        // A wide pen of CreatePen draws solid; a geometric one scales its dashes by its width.
        if (geometric && kind >= PS_DASH && kind <= PS_DASHDOTDOT) plan.runs = StandardRuns(kind, plan.width / 3.0);
    } else {
        plan.runs = StandardRuns(kind, 1.0);
    }
    if (plan.runs.size() % 2) {
        const std::vector<double> once = plan.runs;
        plan.runs.insert(plan.runs.end(), once.begin(), once.end());
    }
    for (double run : plan.runs) plan.period += run;
    if (plan.period <= 0.0) plan.runs.clear();
    plan.opaqueGaps = !plan.wide && !plan.runs.empty() && dc->bkMode == OPAQUE;
    plan.gapColor = PixelOf(dc->bkColor);
    return plan;
}

// --- Rasterisers --------------------------------------------------------------------------------

// Rounds a / b to the nearest integer (halves up); b > 0.
int64_t RoundDiv(__int128 a, __int128 b) {
    __int128 n = 2 * a + b, d = 2 * b;
    __int128 q = n / d;
    if ((n % d != 0) && ((n < 0) != (d < 0))) --q;
    return int64_t(q);
}

// A one-pixel segment, its end left out; `phase` counts the pixels drawn before it.
void ThinSegment(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const PenPlan& plan, double& phase, Mask& mask) {
    const int64_t dx = x1 - x0, dy = y1 - y0;
    const int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
    if (steps == 0) return;
    const bool alongX = std::llabs(dx) >= std::llabs(dy);
    const int64_t major0 = alongX ? x0 : y0;
    const int64_t sign = (alongX ? dx : dy) < 0 ? -1 : 1;
    const int64_t low = alongX ? mask.box.left : mask.box.top;
    const int64_t high = alongX ? mask.box.right - 1 : mask.box.bottom - 1;
    // Steps whose major coordinate lies inside the mask.
    int64_t first = sign > 0 ? low - major0 : major0 - high;
    int64_t last = sign > 0 ? high - major0 : major0 - low;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, steps - 1);
    for (int64_t i = first; i <= last; ++i) {
        const int64_t major = major0 + sign * i;
        const int64_t minor = (alongX ? y0 : x0) + RoundDiv(__int128(i) * (alongX ? dy : dx), steps);
        const int64_t x = alongX ? major : minor, y = alongX ? minor : major;
        if (!mask.Inside(x, y)) continue;
        if (plan.On(phase + double(i)))
            mask.Set(x, y, 1);
        else if (plan.opaqueGaps && mask.Get(x, y) == 0)
            mask.Set(x, y, 2);
    }
    phase += double(steps);
}

// The range of distances along a row that a linear condition lo <= k * s + m <= hi leaves for s;
// false when it leaves none. A condition that hardly depends on s is kept as a yes or no (with a
// hair of slack: the pixels themselves are tested exactly afterwards).
bool Narrow(double k, double m, double lo, double hi, double& from, double& to) {
    constexpr double kSlack = 1e-9;
    if (std::fabs(k) < 1e-12) return m >= lo - kSlack && m <= hi + kSlack;
    double a = (lo - m) / k, b = (hi - m) / k;
    if (a > b) std::swap(a, b);
    from = std::max(from, a);
    to = std::min(to, b);
    return from <= to;
}

// The pixels of one wide piece of a line from a to b (a may equal b), with the pen's caps: the
// pixels whose sample points (centres for an odd width, corners for an even one) lie within half
// the width of the segment (round caps), of the segment stretched by half the width (square caps),
// or of the segment between the normals at its ends (flat caps). Each shape is convex, so on each
// row its pixels form one run: the run is bounded from the outline (the band along the segment,
// and the discs of round caps), and only the pixels of the run and one beyond each end are tested.
void WidePiece(double ax, double ay, double bx, double by, const PenPlan& plan, DWORD cap, Mask& mask) {
    const double half = plan.width / 2.0;
    const double length = std::hypot(bx - ax, by - ay);
    if (length == 0.0 && cap == PS_ENDCAP_FLAT) return;
    const double ux = length > 0 ? (bx - ax) / length : 1.0, uy = length > 0 ? (by - ay) / length : 0.0;
    const double offset = plan.evenWidth ? 0.5 : 0.0;
    DeviceBox box{int64_t(std::floor(std::min(ax, bx) - half - 1)), int64_t(std::floor(std::min(ay, by) - half - 1)),
                  int64_t(std::ceil(std::max(ax, bx) + half + 2)), int64_t(std::ceil(std::max(ay, by) + half + 2))};
    box = box.Intersect(mask.box);
    const double reach = cap == PS_ENDCAP_SQUARE ? half : 0.0;  // how far the band runs past the ends
    auto inside = [&](double sx, double sy) {
        const double t = sx * ux + sy * uy;
        const double d = -sx * uy + sy * ux;
        if (cap == PS_ENDCAP_ROUND) {
            const double clamped = std::clamp(t, 0.0, length);
            const double ex = sx - clamped * ux, ey = sy - clamped * uy;
            return ex * ex + ey * ey < half * half;
        }
        if (cap == PS_ENDCAP_SQUARE) return t >= -half && t <= length + half && std::fabs(d) < half;
        return t >= 0.0 && t <= length && std::fabs(d) < half;
    };
    for (int64_t py = box.top; py < box.bottom; ++py) {
        const double sy = double(py) + offset - ay;
        // The run along the row, as distances sx from a: the band t in [-reach, length + reach],
        // |d| <= half, where t = sx * ux + sy * uy and d = -sx * uy + sy * ux ...
        double from = -HUGE_VAL, to = HUGE_VAL;
        bool any = Narrow(ux, sy * uy, -reach, length + reach, from, to) && Narrow(-uy, sy * ux, -half, half, from, to);
        if (!any) from = HUGE_VAL, to = -HUGE_VAL;
        // ... and, for round caps, the discs round both ends.
        if (cap == PS_ENDCAP_ROUND) {
            for (const double end : {0.0, length}) {
                const double ey = sy - end * uy;
                if (std::fabs(ey) > half) continue;
                const double spread = std::sqrt(half * half - ey * ey);
                from = std::min(from, end * ux - spread);
                to = std::max(to, end * ux + spread);
                any = true;
            }
        }
        if (!any) continue;
        const int64_t first = std::max<int64_t>(box.left, int64_t(std::floor(std::max(ax + from - offset, -kLimit))) - 1);
        const int64_t last = std::min<int64_t>(box.right - 1, int64_t(std::ceil(std::min(ax + to - offset, kLimit))) + 1);
        for (int64_t px = first; px <= last; ++px)
            if (inside(double(px) + offset - ax, sy)) mask.bits.Ref(px, py) = 1;
    }
}

// The distance range [from, to] of a line (from a, along u, `length` long) that can reach the
// mask: the line clipped to the mask's box grown by the pen's width.
bool VisibleRange(double ax, double ay, double ux, double uy, double length, double grow, const Mask& mask,
                  double& from, double& to) {
    from = 0.0;
    to = length;
    const double lows[2] = {double(mask.box.left) - grow, double(mask.box.top) - grow};
    const double highs[2] = {double(mask.box.right) + grow, double(mask.box.bottom) + grow};
    const double origin[2] = {ax, ay}, direction[2] = {ux, uy};
    for (int k = 0; k < 2; ++k) {
        if (direction[k] == 0.0) {
            if (origin[k] < lows[k] || origin[k] > highs[k]) return false;
            continue;
        }
        double t0 = (lows[k] - origin[k]) / direction[k], t1 = (highs[k] - origin[k]) / direction[k];
        if (t0 > t1) std::swap(t0, t1);
        from = std::max(from, t0);
        to = std::min(to, t1);
    }
    return from <= to;
}

// A wide segment; `phase` is the length drawn before it.
void WideSegment(double ax, double ay, double bx, double by, const PenPlan& plan, double& phase, Mask& mask) {
    const double length = std::hypot(bx - ax, by - ay);
    if (plan.runs.empty()) {
        WidePiece(ax, ay, bx, by, plan, plan.cap, mask);
        phase += length;
        return;
    }
    if (length == 0.0) {
        if (plan.On(phase)) WidePiece(ax, ay, bx, by, plan, plan.cap, mask);
        return;
    }
    const double ux = (bx - ax) / length, uy = (by - ay) / length;
    double from = 0.0, to = 0.0;
    if (VisibleRange(ax, ay, ux, uy, length, plan.width + 2.0, mask, from, to)) {
        // Walk the runs from the one under `from` until past `to`.
        double position = std::fmod(phase + from, plan.period);
        if (position < 0) position += plan.period;
        size_t index = 0;
        while (position >= plan.runs[index]) {
            position -= plan.runs[index];
            index = (index + 1) % plan.runs.size();
        }
        double t = from - position;
        while (t <= to) {
            const double end = t + plan.runs[index];
            if (index % 2 == 0 && end > t) {
                const double t0 = std::max(t, 0.0), t1 = std::min(end, length);
                if (t1 >= t0) WidePiece(ax + ux * t0, ay + uy * t0, ax + ux * t1, ay + uy * t1, plan, plan.cap, mask);
            }
            t = end;
            index = (index + 1) % plan.runs.size();
        }
    }
    phase += length;
}

// Rasterises the polyline through device points into the mask.
void StrokeMask(const std::vector<int64_t>& points, const PenPlan& plan, Mask& mask) {
    const size_t count = points.size() / 2;
    double phase = 0.0;
    for (size_t i = 0; i + 1 < count; ++i) {
        const int64_t x0 = points[2 * i], y0 = points[2 * i + 1], x1 = points[2 * i + 2], y1 = points[2 * i + 3];
        if (plan.wide)
            WideSegment(double(x0), double(y0), double(x1), double(y1), plan, phase, mask);
        else
            ThinSegment(x0, y0, x1, y1, plan, phase, mask);
    }
    // Round joins between the segments of a solid wide line whose caps do not make them.
    if (plan.wide && plan.runs.empty() && plan.cap != PS_ENDCAP_ROUND) {
        for (size_t i = 1; i + 1 < count; ++i) {
            const double x = double(points[2 * i]), y = double(points[2 * i + 1]);
            WidePiece(x, y, x, y, plan, PS_ENDCAP_ROUND, mask);
        }
    }
}

// The device box that holds the points grown by `grow`.
DeviceBox BoundsOf(const std::vector<int64_t>& points, double grow) {
    int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
    for (size_t i = 0; i + 1 < points.size(); i += 2) {
        minX = std::min(minX, points[i]);
        maxX = std::max(maxX, points[i]);
        minY = std::min(minY, points[i + 1]);
        maxY = std::max(maxY, points[i + 1]);
    }
    const int64_t g = int64_t(std::ceil(grow));
    return DeviceBox{minX - g, minY - g, maxX + g + 1, maxY + g + 1};
}

// The DC's points in device coordinates.
std::vector<int64_t> DevicePoints(const DeviceMap& map, const POINT* points, int count) {
    std::vector<int64_t> out;
    out.reserve(size_t(count) * 2);
    for (int i = 0; i < count; ++i) {
        out.push_back(DevicePixel(map.X(points[i].x)));
        out.push_back(DevicePixel(map.Y(points[i].y)));
    }
    return out;
}

// Draws a polyline (closed: the first point again at the end) and, for a polygon, its filling.
BOOL DrawShape(HDC dc, const POINT* points, int count, bool polygon) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (!points || count < 2) return FailWith(ERROR_INVALID_PARAMETER);
    const DeviceMap map = MapOf(dc);
    const PenPlan plan = PlanPen(dc, DcPen(dc), map);
    std::vector<int64_t> device;
    try {
        device = DevicePoints(map, points, count);
        if (polygon) {
            device.push_back(device[0]);
            device.push_back(device[1]);
        }
        PixelBlock block;
        DWORD error = 0;
        if (!block.Open(dc, BoundsOf(device, plan.width / 2.0 + 2.0), error)) return FailWith(error);
        if (block.Box().Empty()) return TRUE;
        if (polygon) {
            Mask fill(block.Box());
            std::vector<double> corners(device.begin(), device.end());
            FillPolygonMask(corners, dc->polyFillMode, fill);
            PaintMask(block, fill, DcBrushPixel(dc), dc->rop2);
        }
        if (!plan.none) {
            Mask stroke(block.Box());
            StrokeMask(device, plan, stroke);
            PaintMask(block, stroke, plan.color, dc->rop2);
            if (plan.opaqueGaps) PaintMask(block, stroke, plan.gapColor, dc->rop2, 2);
        }
        return block.Close() ? TRUE : FailWith(ERROR_INVALID_HANDLE);
    } catch (const std::bad_alloc&) {
        return FailWith(ERROR_NOT_ENOUGH_MEMORY);
    }
}

}  // namespace

DeviceMap MapOf(HDC dc) {
    DeviceMap map;
    map.sx = double(dc->viewportExt.cx) / double(dc->windowExt.cx);
    map.sy = double(dc->viewportExt.cy) / double(dc->windowExt.cy);
    if (dc->mapMode == MM_ISOTROPIC) {
        const double m = std::min(std::fabs(map.sx), std::fabs(map.sy));
        map.sx = std::copysign(m, map.sx);
        map.sy = std::copysign(m, map.sy);
    }
    map.ox = double(dc->viewportOrg.x) - double(dc->windowOrg.x) * map.sx;
    map.oy = double(dc->viewportOrg.y) - double(dc->windowOrg.y) * map.sy;
    return map;
}

int64_t DevicePixel(double v) {
    if (!(v == v)) return 0;
    return int64_t(std::floor(std::clamp(v, -kLimit, kLimit) + 0.5));
}

bool PixelBlock::Open(HDC dc, const DeviceBox& box, DWORD& error) {
    if (!SurfaceOfDc(dc, m_surface, error)) return false;
    m_dc = dc;
    m_box = box.Intersect(DeviceBox{0, 0, m_surface.width, m_surface.height});
    if (m_box.Empty()) {
        m_box = DeviceBox{};
        return true;
    }
    if (m_surface.kind == Surface::kPixels) {
        GlSurfaceToBitmap(dc);  // what OpenGL drew into the bitmap so far
        return true;
    }
    m_canvas = HeldCanvas(dc);
    if (!m_canvas) {
        m_ownCanvas = std::make_unique<Canvas>(dc, m_box);
        m_canvas = m_ownCanvas.get();
    }
    return true;
}

bool PixelBlock::Close() {
    if (m_box.Empty()) return true;
    if (m_surface.kind == Surface::kPixels) {
        BitmapToGlSurface(m_dc);
        return true;
    }
    return m_ownCanvas ? m_ownCanvas->Write() : true;
}

void PixelBlock::Paint(int64_t x, int64_t y, uint32_t pen, int rop) {
    if (m_canvas) {
        m_canvas->Paint(x, y, pen, rop);
        return;
    }
    if (m_surface.readOnly) return;
    uint8_t* row = m_surface.view.Row(int(y));
    const uint32_t pixel = rop == R2_COPYPEN ? pen : Quantise(ApplyRop2(rop, pen, m_surface.view.Get(row, int(x))));
    m_surface.view.Put(row, int(x), pixel);
}

bool PixelBlock::Blend(int64_t x, int64_t y, uint32_t color, unsigned coverage) {
    if (coverage >= 255) {
        Paint(x, y, Quantise(color), R2_COPYPEN);
        return true;
    }
    uint32_t under = 0;
    if (m_canvas) {
        if (!m_canvas->Known(x, y, under)) {
            // The colour under the text is needed: the front buffer is read once for the box.
            if (!m_canvas->Materialise(m_box) || !m_canvas->Known(x, y, under)) return false;
        }
    } else {
        under = m_surface.view.Get(m_surface.view.Row(int(y)), int(x));
    }
    uint32_t blended = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const unsigned below = under >> shift & 0xFF, over = color >> shift & 0xFF;
        blended |= uint32_t((below * (255 - coverage) + over * coverage + 127) / 255) << shift;
    }
    Paint(x, y, Quantise(blended), R2_COPYPEN);
    return true;
}

uint32_t ApplyRop2(int rop, uint32_t pen, uint32_t dest) {
    const int code = rop - 1;
    uint32_t result = 0;
    if (code & 1) result |= ~pen & ~dest;
    if (code & 2) result |= ~pen & dest;
    if (code & 4) result |= pen & ~dest;
    if (code & 8) result |= pen & dest;
    return result & kWhite;
}

void FillPolygonMask(const std::vector<double>& points, int fillMode, Mask& mask) {
    const size_t count = points.size() / 2;
    if (count < 3 || mask.box.Empty()) return;
    struct Crossing {
        double x;
        int direction;
    };
    std::vector<Crossing> crossings;
    for (int64_t py = mask.box.top; py < mask.box.bottom; ++py) {
        const double y = double(py) + 0.5;
        crossings.clear();
        for (size_t i = 0; i < count; ++i) {
            const size_t j = (i + 1) % count;
            const double x0 = points[2 * i], y0 = points[2 * i + 1], x1 = points[2 * j], y1 = points[2 * j + 1];
            if (y0 == y1) continue;
            if (y < std::min(y0, y1) || y >= std::max(y0, y1)) continue;
            crossings.push_back({x0 + (y - y0) * (x1 - x0) / (y1 - y0), y1 > y0 ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        int winding = 0;
        for (size_t k = 0; k + 1 < crossings.size(); ++k) {
            winding += crossings[k].direction;
            const bool inside = fillMode == WINDING ? winding != 0 : (k % 2 == 0);
            if (!inside) continue;
            // Pixels whose centres lie in [x_k, x_k+1).
            const int64_t from = std::max<int64_t>(int64_t(std::ceil(crossings[k].x - 0.5)), mask.box.left);
            const int64_t to = std::min<int64_t>(int64_t(std::ceil(crossings[k + 1].x - 0.5)), mask.box.right);
            mask.SetRun(py, from, to);
        }
    }
}

void PaintMask(PixelBlock& block, const Mask& mask, uint32_t color, int rop, uint8_t which) {
    const uint32_t pen = block.Quantise(color);
    const DeviceBox box = mask.box.Intersect(block.Box());
    mask.bits.ForEach([&](int64_t x, int64_t y, uint8_t value) {
        if (value == which && x >= box.left && x < box.right && y >= box.top && y < box.bottom) block.Paint(x, y, pen, rop);
    });
}

}  // namespace gdi
}  // namespace vyrwin

using namespace vyrwin;
using namespace vyrwin::gdi;

HGDIOBJ GetCurrentObject(HDC dc, UINT kind) {
    if (!IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    switch (kind) {
    case OBJ_PEN: return DcPen(dc);
    case OBJ_BRUSH: return DcBrush(dc);
    case OBJ_FONT: return DcFont(dc);
    case OBJ_PAL: return DcPalette(dc);
    case OBJ_BITMAP:
        if (IsGdiDc(dc) && dc->kind == HDC__::kMemory) return SelectedBitmap(dc);
        break;
    default: break;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

int SetROP2(HDC dc, int rop) {
    if (!IsLiveDc(dc)) return int(FailWith(ERROR_INVALID_HANDLE));
    if (rop < R2_BLACK || rop > R2_WHITE) return int(FailWith(ERROR_INVALID_PARAMETER));
    const int previous = dc->rop2;
    dc->rop2 = rop;
    return previous;
}

int GetROP2(HDC dc) { return IsLiveDc(dc) ? dc->rop2 : int(FailWith(ERROR_INVALID_HANDLE)); }

int SetBkMode(HDC dc, int mode) {
    if (!IsLiveDc(dc)) return int(FailWith(ERROR_INVALID_HANDLE));
    if (mode != TRANSPARENT && mode != OPAQUE) return int(FailWith(ERROR_INVALID_PARAMETER));
    const int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

int GetBkMode(HDC dc) { return IsLiveDc(dc) ? dc->bkMode : int(FailWith(ERROR_INVALID_HANDLE)); }

int SetPolyFillMode(HDC dc, int mode) {
    if (!IsLiveDc(dc)) return int(FailWith(ERROR_INVALID_HANDLE));
    if (mode != ALTERNATE && mode != WINDING) return int(FailWith(ERROR_INVALID_PARAMETER));
    const int previous = dc->polyFillMode;
    dc->polyFillMode = mode;
    return previous;
}

int GetPolyFillMode(HDC dc) { return IsLiveDc(dc) ? dc->polyFillMode : int(FailWith(ERROR_INVALID_HANDLE)); }

int SetMapMode(HDC dc, int mode) {
    if (!IsLiveDc(dc)) return int(FailWith(ERROR_INVALID_HANDLE));
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return int(FailWith(ERROR_INVALID_PARAMETER));
    const int previous = dc->mapMode;
    dc->mapMode = mode;
    if (!ScalableMode(mode)) FixedExtents(dc, mode);
    return previous;
}

int GetMapMode(HDC dc) { return IsLiveDc(dc) ? dc->mapMode : int(FailWith(ERROR_INVALID_HANDLE)); }

BOOL SetWindowExtEx(HDC dc, int x, int y, LPSIZE previous) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (previous) *previous = dc->windowExt;
    if (!ScalableMode(dc->mapMode)) return TRUE;
    if (x == 0 || y == 0) return FailWith(ERROR_INVALID_PARAMETER);
    dc->windowExt = SIZE{x, y};
    return TRUE;
}

BOOL SetViewportExtEx(HDC dc, int x, int y, LPSIZE previous) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (previous) *previous = dc->viewportExt;
    if (!ScalableMode(dc->mapMode)) return TRUE;
    if (x == 0 || y == 0) return FailWith(ERROR_INVALID_PARAMETER);
    dc->viewportExt = SIZE{x, y};
    return TRUE;
}

BOOL GetWindowExtEx(HDC dc, LPSIZE size) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (!size) return FailWith(ERROR_INVALID_PARAMETER);
    *size = dc->windowExt;
    return TRUE;
}

BOOL GetViewportExtEx(HDC dc, LPSIZE size) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (!size) return FailWith(ERROR_INVALID_PARAMETER);
    *size = dc->viewportExt;
    return TRUE;
}

BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (previous) *previous = dc->windowOrg;
    dc->windowOrg = POINT{x, y};
    return TRUE;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (previous) *previous = dc->viewportOrg;
    dc->viewportOrg = POINT{x, y};
    return TRUE;
}

BOOL GetWindowOrgEx(HDC dc, LPPOINT point) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (!point) return FailWith(ERROR_INVALID_PARAMETER);
    *point = dc->windowOrg;
    return TRUE;
}

BOOL GetViewportOrgEx(HDC dc, LPPOINT point) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (!point) return FailWith(ERROR_INVALID_PARAMETER);
    *point = dc->viewportOrg;
    return TRUE;
}

BOOL LPtoDP(HDC dc, LPPOINT points, int count) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (count < 0 || (count > 0 && !points)) return FailWith(ERROR_INVALID_PARAMETER);
    const DeviceMap map = MapOf(dc);
    for (int i = 0; i < count; ++i)
        points[i] = POINT{LONG(DevicePixel(map.X(points[i].x))), LONG(DevicePixel(map.Y(points[i].y)))};
    return TRUE;
}

BOOL DPtoLP(HDC dc, LPPOINT points, int count) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (count < 0 || (count > 0 && !points)) return FailWith(ERROR_INVALID_PARAMETER);
    const DeviceMap map = MapOf(dc);
    for (int i = 0; i < count; ++i)
        points[i] = POINT{LONG(DevicePixel(map.LogicalX(points[i].x))), LONG(DevicePixel(map.LogicalY(points[i].y)))};
    return TRUE;
}

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (previous) *previous = dc->position;
    dc->position = POINT{x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, LPPOINT point) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    if (!point) return FailWith(ERROR_INVALID_PARAMETER);
    *point = dc->position;
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    const POINT points[2] = {dc->position, POINT{x, y}};
    const BOOL drawn = DrawShape(dc, points, 2, false);
    if (drawn) dc->position = points[1];
    return drawn;
}

BOOL Polyline(HDC dc, const POINT* points, int count) { return DrawShape(dc, points, count, false); }

BOOL Polygon(HDC dc, const POINT* points, int count) { return DrawShape(dc, points, count, true); }

namespace {

// Paints the device pixels of the logical rectangle's band `inset` units wide along its edges
// (the whole rectangle when `inset` is 0) with the brush's colour.
int PaintRect(HDC dc, const RECT* rect, HBRUSH brush, int inset) {
    if (!IsLiveDc(dc)) return FailWith(ERROR_INVALID_HANDLE);
    uint32_t color = 0;
    if (!rect || !BrushPixel(brush, color)) return FailWith(ERROR_INVALID_PARAMETER);
    const DeviceMap map = MapOf(dc);
    int64_t x0 = DevicePixel(map.X(rect->left)), x1 = DevicePixel(map.X(rect->right));
    int64_t y0 = DevicePixel(map.Y(rect->top)), y1 = DevicePixel(map.Y(rect->bottom));
    if (x1 < x0) std::swap(x0, x1);
    if (y1 < y0) std::swap(y0, y1);
    if (x1 <= x0 || y1 <= y0) return TRUE;
    const int64_t bx = inset > 0 ? std::max<int64_t>(1, DevicePixel(std::fabs(map.sx) * inset)) : 0;
    const int64_t by = inset > 0 ? std::max<int64_t>(1, DevicePixel(std::fabs(map.sy) * inset)) : 0;
    try {
        PixelBlock block;
        DWORD error = 0;
        if (!block.Open(dc, DeviceBox{x0, y0, x1, y1}, error)) return FailWith(error);
        const DeviceBox& box = block.Box();
        const uint32_t pixel = block.Quantise(color);
        for (int64_t y = box.top; y < box.bottom; ++y)
            for (int64_t x = box.left; x < box.right; ++x) {
                const bool edge = inset == 0 || x < x0 + bx || x >= x1 - bx || y < y0 + by || y >= y1 - by;
                if (edge) block.Paint(x, y, pixel, R2_COPYPEN);
            }
        return block.Close() ? TRUE : FailWith(ERROR_INVALID_HANDLE);
    } catch (const std::bad_alloc&) {
        return FailWith(ERROR_NOT_ENOUGH_MEMORY);
    }
}

}  // namespace

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) { return PaintRect(dc, rect, brush, 0); }

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) { return PaintRect(dc, rect, brush, 1); }

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    if (!IsLiveDc(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return CLR_INVALID;
    }
    const DeviceMap map = MapOf(dc);
    const int64_t px = DevicePixel(map.X(x)), py = DevicePixel(map.Y(y));
    try {
        PixelBlock block;
        DWORD error = 0;
        if (!block.Open(dc, DeviceBox{px, py, px + 1, py + 1}, error)) {
            SetLastError(error);
            return CLR_INVALID;
        }
        if (block.Box().Empty()) return CLR_INVALID;
        const uint32_t pixel = block.Quantise(PixelOf(color));
        block.Paint(px, py, pixel, R2_COPYPEN);
        if (!block.Close()) return CLR_INVALID;
        return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return CLR_INVALID;
    }
}

BOOL UpdateColors(HDC dc) { return IsLiveDc(dc) ? TRUE : FailWith(ERROR_INVALID_HANDLE); }

BOOL VyrSetDeviceResolution(HDC dc, int dpiX, int dpiY) {
    if (!IsGdiDc(dc)) return FailWith(IsLiveDc(dc) ? ERROR_NOT_SUPPORTED : ERROR_INVALID_HANDLE);
    if (dpiX < 1 || dpiY < 1) return FailWith(ERROR_INVALID_PARAMETER);
    dc->dpiX = dpiX;
    dc->dpiY = dpiY;
    if (!ScalableMode(dc->mapMode)) FixedExtents(dc, dc->mapMode);
    return TRUE;
}
