#include "DsZBufferProjection.h"

#include "DsGlContext.h"
#include "DsView3dCdc.h"

#include "view3d.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// The near distance the frame's projection takes when the camera gives none.
constexpr double kFrameNearDistance = 0.001;
// The deepest window depth (the far plane); INT_MAX marks an empty cell.
constexpr double kDeepest = static_cast<double>(INT_MAX - 1);
// How far from the line of sight (in cells) a polygon is cut: mapped coordinates stay far inside 32
// bits, and nothing this far out reaches a buffer no larger than a window.
constexpr double kBand = 16777216.0;

double Distance(const SDsEyePlane& plane, const SDsEyePoint& p)
{
    return plane.a * p.x + plane.b * p.y + plane.c * p.z + plane.d;
}

int ClampInt(double v)
{
    if (!(v == v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX - 1;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);  // truncation toward zero
}

// A column or row in the parts of a cell SVyrZSubVertex counts in, rounded to the nearest part
// (the band keeps it far inside 64 bits; a NaN becomes 0).
int64_t ToSubCells(double v)
{
    if (!(v == v)) return 0;
    constexpr double kParts = static_cast<double>(int64_t(1) << kVyrZSubpixelBits);
    constexpr double kLimit = 4.0e18;
    return static_cast<int64_t>(std::max(-kLimit, std::min(kLimit, std::floor(v * kParts + 0.5))));
}

}  // namespace

bool CDsZBufferProjection::SetUp(CDsView3dCdc* view, int x1, int y1, int x2, int y2)
{
    *this = CDsZBufferProjection();
    if (!view) return false;
    int vx = 0, vy = 0, vw = 0, vh = 0;
    view->get_viewport(vx, vy, vw, vh);
    // Only the part of the rectangle inside the viewport gets cells.
    const long left = std::max<long>(0, std::min(x1, x2)), right = std::min<long>(vw, std::max(x1, x2));
    const long top = std::max<long>(0, std::min(y1, y2)), bottom = std::min<long>(vh, std::max(y1, y2));
    if (right <= left || bottom <= top) return false;
    if (!view->GetGlContext() || !(view->get_units_per_pixel() > 0.0)) return false;
    m_left = static_cast<int>(left);
    m_top = static_cast<int>(top);
    m_width = static_cast<int>(right - left);
    m_height = static_cast<int>(bottom - top);

    // The frame's camera, as the view sets up its rendering transforms: gluLookAt, then
    // gluPerspective or glOrtho over the camera's picture with its near and far planes.
    m_eye = view->get_eye();
    const SPAvector sight = view->get_target() - m_eye;
    const double distance = sight.len();
    const SPAvector up(view->get_up().x(), view->get_up().y(), view->get_up().z());
    const double pictureWidth = view->get_width(), pictureHeight = view->get_height();
    if (!(distance > 0.0) || !std::isfinite(distance) || !(pictureWidth > 0.0) || !(pictureHeight > 0.0) ||
        !std::isfinite(pictureWidth) || !std::isfinite(pictureHeight)) {
        *this = CDsZBufferProjection();
        return false;
    }
    m_forward = sight / distance;
    m_side = m_forward * up;
    const double sideLength = m_side.len();
    if (!(sideLength > 0.0)) {
        *this = CDsZBufferProjection();
        return false;
    }
    m_side = m_side / sideLength;
    m_upward = m_side * m_forward;
    m_perspective = view->is_perspective();
    m_near = view->get_hither() > 0.0 ? view->get_hither() : kFrameNearDistance;
    m_far = view->get_yon();
    if (!(m_far > m_near)) m_far = m_near + (m_perspective ? std::max(1.0, 2.0 * distance) : 1.0);
    const double across = m_perspective ? distance : 1.0;
    m_columnScale = across * vw / pictureWidth;
    m_rowScale = across * vh / pictureHeight;
    m_columnCentre = 0.5 * vw - static_cast<double>(left);
    m_rowCentre = static_cast<double>(bottom) - 0.5 * vh;
    m_frustum[0] = SDsEyePlane{0.0, 0.0, -1.0, -m_near};
    m_frustum[1] = SDsEyePlane{0.0, 0.0, 1.0, m_far};
    // |column - centre| <= band x w and the same for rows, w = -z in perspective, else 1.
    const double wz = m_perspective ? -kBand : 0.0, w1 = m_perspective ? 0.0 : kBand;
    m_frustum[2] = SDsEyePlane{-m_columnScale, 0.0, wz, w1};
    m_frustum[3] = SDsEyePlane{m_columnScale, 0.0, wz, w1};
    m_frustum[4] = SDsEyePlane{0.0, -m_rowScale, wz, w1};
    m_frustum[5] = SDsEyePlane{0.0, m_rowScale, wz, w1};
    return true;
}

SDsEyePoint CDsZBufferProjection::ToEye(const SPAposition& p) const
{
    const SPAvector r = p - m_eye;
    return SDsEyePoint{r % m_side, r % m_upward, -(r % m_forward)};
}

SDsEyePlane CDsZBufferProjection::ToEyePlane(const double (&equation)[4]) const
{
    // p = eye + x side + y up - z forward.
    const SPAvector n(equation[0], equation[1], equation[2]);
    return SDsEyePlane{n % m_side, n % m_upward, -(n % m_forward),
                       n % (m_eye - SPAposition(0.0, 0.0, 0.0)) + equation[3]};
}

int CDsZBufferProjection::MapPolygon(const SDsEyePoint* corners, int count, const SDsEyePlane* planes, int planeCount,
                                     std::vector<SVyrZSubVertex>& cells) const
{
    cells.clear();
    if (!IsValid() || !corners || count < 3) return 0;
    // Most polygons lie wholly inside every plane: they are mapped as they are.
    bool whole = true;
    for (int k = 0; k < planeCount && planes && whole; ++k)
        for (int i = 0; i < count && whole; ++i) whole = Distance(planes[k], corners[i]) >= 0.0;
    for (int i = 0; i < count && whole; ++i) {
        const SDsEyePoint& p = corners[i];
        const double front = -p.z, w = m_perspective ? front : 1.0;
        whole = front >= m_near && front <= m_far && std::fabs(m_columnScale * p.x) <= kBand * w &&
                std::fabs(m_rowScale * p.y) <= kBand * w;
    }
    const SDsEyePoint* polygon = corners;
    size_t size = static_cast<size_t>(count);
    if (!whole) {
        m_from.assign(corners, corners + count);
        // Sutherland and Hodgman: the polygon cut by one plane after the other.
        auto cut = [&](const SDsEyePlane& plane) {
            m_to.clear();
            const size_t n = m_from.size();
            for (size_t i = 0; i < n; ++i) {
                const SDsEyePoint& previous = m_from[(i + n - 1) % n];
                const SDsEyePoint& current = m_from[i];
                const double dp = Distance(plane, previous), dc = Distance(plane, current);
                if ((dp < 0.0) != (dc < 0.0)) {
                    const double t = dp / (dp - dc);
                    m_to.push_back(SDsEyePoint{previous.x + t * (current.x - previous.x),
                                               previous.y + t * (current.y - previous.y),
                                               previous.z + t * (current.z - previous.z)});
                }
                if (dc >= 0.0) m_to.push_back(current);
            }
            m_from.swap(m_to);
        };
        for (int k = 0; k < planeCount && planes && m_from.size() >= 3; ++k) cut(planes[k]);
        for (const SDsEyePlane& plane : m_frustum) {
            if (m_from.size() < 3) break;
            cut(plane);
        }
        if (m_from.size() < 3) return 0;
        polygon = m_from.data();
        size = m_from.size();
    }
    const double nearInverse = 1.0 / m_near, depthRange = m_perspective ? 1.0 / m_near - 1.0 / m_far : m_far - m_near;
    for (size_t i = 0; i < size; ++i) {
        const SDsEyePoint& p = polygon[i];
        const double w = m_perspective ? -p.z : 1.0;
        const double front = -p.z;  // in front of the eye, between the near and far planes
        double depth = m_perspective ? (nearInverse - 1.0 / front) / depthRange : (front - m_near) / depthRange;
        depth = std::max(0.0, std::min(1.0, depth)) * kDeepest;
        SVyrZSubVertex vertex;
        vertex.x = ToSubCells(m_columnCentre + m_columnScale * p.x / w);
        vertex.y = ToSubCells(m_rowCentre + m_rowScale * p.y / w);
        vertex.depth = ClampInt(depth);
        cells.push_back(vertex);
    }
    return static_cast<int>(cells.size());
}

bool CDsZBufferProjection::CellOf(int x, int y, int& column, int& row) const
{
    column = x - m_left;
    row = m_top + m_height - 1 - y;
    return IsValid() && column >= 0 && column < m_width && row >= 0 && row < m_height;
}
