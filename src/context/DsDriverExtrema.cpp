// CDsDriverExtrema and CDsViewExtrema: measuring what would be drawn.
#include "DsDriverExtrema.h"

#include "DsBox.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsGroup.h"
#include "DsItemPolyline3D.h"
#include "DsManager.h"
#include "DsPickedItem.h"
#include "VyrString.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

namespace {

bool gExtremaMode = false;

// Display-manager flag that doubles the depth range of fitted clipping planes.
const int kWideDepthFlag = 2;

// How many times the single-precision rounding of the eye's position a perspective view's fitted
// near distance is at least: a tenth of the rounding already loses the picture, a quarter barely
// keeps it.
const double kNearOverRounding = 4.0;

} // namespace

void StSetExtremaMode(bool on)
{
    gExtremaMode = on;
}

bool StGetExtremaMode()
{
    return gExtremaMode;
}

// --- CDsViewExtrema ---------------------------------------------------------------------------

CDsViewExtrema::CDsViewExtrema(view3d* base) : view_3d_extrema(base) {}

CDsViewExtrema::~CDsViewExtrema() = default;

void CDsViewExtrema::SetModelTransform(const SPAtransf& t)
{
    view3d::SetModelTransform(t);
    compute_ctm();
    if (driver_extrema* driver = get_extrema_driver()) driver->UpdateVom();
}

int CDsViewExtrema::ClearModelTransform()
{
    const int popped = view3d::ClearModelTransform();
    compute_ctm();
    if (driver_extrema* driver = get_extrema_driver()) driver->UpdateVom();
    return popped;
}

bool CDsViewExtrema::GetAutoHideMode() const
{
    const view3d* base = GetBaseView();
    return base ? base->GetAutoHideMode() : false;
}

bool CDsViewExtrema::GetAdjustBounderiesMode() const
{
    const view3d* base = GetBaseView();
    return base ? base->GetFlag(eDsViewFlagAdjustBoundaries) : false;
}

int CDsViewExtrema::draw_text_2d(float x, float y, const CVyrString& text)
{
    driver_context* driver = get_driver_context();
    return driver ? driver->draw_text_2d(x, y, text) : 0;
}

void CDsViewExtrema::DrawPoint2d(const SPAposition& p)
{
    driver_extrema* driver = get_extrema_driver();
    if (!driver) return;
    const float xyz[3] = {static_cast<float>(p.x()), static_cast<float>(p.y()), static_cast<float>(p.z())};
    driver->UpdateExtrema2D(xyz);
}

void CDsViewExtrema::MeasurePixels(int left, int bottom, int right, int top)
{
    driver_extrema* driver = get_extrema_driver();
    if (!driver) return;
    int vx = 0, vy = 0, vw = 0, vh = 0;
    get_viewport(vx, vy, vw, vh);
    // Drawable points count down from the viewport's top: the lower-left corner of the pixel in
    // row r (counted up) lies vh - r below it.
    driver->UpdateExtremaDrawable(static_cast<float>(left), static_cast<float>(vh - bottom));
    driver->UpdateExtremaDrawable(static_cast<float>(right), static_cast<float>(vh - top));
}

bool CDsViewExtrema::GetExtremaCoordinates(double& x0, double& x1, double& y0, double& y1, double& z0,
                                           double& z1) const
{
    const driver_extrema* driver = get_extrema_driver();
    return driver ? driver->GetExtremaCoordinates(x0, x1, y0, y1, z0, z1) : false;
}

// --- CDsDriverExtrema -------------------------------------------------------------------------

CDsDriverExtrema::CDsDriverExtrema(view3d* view)
    : driver_extrema(view ? view->get_driver_context() : nullptr), m_baseView(view), m_modelBox(new CDsBox)
{
    m_extremaView = new CDsViewExtrema(view);

    // Install this driver in the measuring view, keeping the viewport it copied from the base.
    int vx = 0, vy = 0, vw = 0, vh = 0;
    m_extremaView->get_viewport(vx, vy, vw, vh);
    m_savedDriver = m_extremaView->set_driver_context(this);
    m_extremaView->set_viewport(vx, vy, vw, vh);
    set_view3d(m_extremaView);
    init_extrema();

    if (view) {
        m_extremaView->set_rendering_context(view->get_rendering_context());
        m_extremaView->set_rendering_context_data(view->get_rendering_context_data());
        m_context = dynamic_cast<CDsGlContext*>(view->get_rendering_context());
        const double upp = view->get_units_per_pixel();
        if (upp != 0.0 && std::isfinite(upp)) m_scale = upp;
    }
}

CDsDriverExtrema::~CDsDriverExtrema()
{
    // The measuring view no longer owns this driver once its own is back.
    m_extremaView->set_driver_context(m_savedDriver);
    m_extremaView->set_rendering_context(nullptr);
    m_extremaView->set_rendering_context_data(nullptr);
    delete m_extremaView;
    delete m_modelBox;
}

void CDsDriverExtrema::UpdateModelBox(const float* p)
{
    m_modelBox->Expand(p);
}

void CDsDriverExtrema::ClearExtrema()
{
    m_xmin = m_ymin = m_zmin = 1e30;
    m_xmax = m_ymax = m_zmax = -1e30;
    m_valid = 0;
}

bool CDsDriverExtrema::GetExtremaCoordinates(double& x0, double& x1, double& y0, double& y1) const
{
    x0 = m_xmin / m_scale;
    x1 = m_xmax / m_scale;
    y0 = m_ymin / m_scale;
    y1 = m_ymax / m_scale;
    return m_valid != 0;
}

void CDsDriverExtrema::ComputeTransPosToDev()
{
    if (!m_baseView) return;
    // The target's device pixel, y up, projected in double precision: the cached projection is in
    // floats, which far from the origin place the target pixels away in a narrow view.
    double x = 0.0, yFromTop = 0.0, depth = 0.0;
    if (!m_baseView->world_to_drawable(m_baseView->get_target(), x, yFromTop, depth)) return;
    int vx = 0, vy = 0, vw = 0, vh = 0;
    m_baseView->get_viewport(vx, vy, vw, vh);
    m_xOffset = static_cast<float>(x);
    m_yOffset = static_cast<float>(vh - yFromTop);
}

bool CDsDriverExtrema::GetExtremaInViewportCoordinates(double& x0, double& x1, double& y0, double& y1,
                                                       bool keepOffsets)
{
    const bool measured = GetExtremaCoordinates(x0, x1, y0, y1);
    if (!keepOffsets) ComputeTransPosToDev();
    x0 += m_xOffset;
    x1 += m_xOffset;
    y0 += m_yOffset;
    y1 += m_yOffset;
    return measured;
}

double CDsDriverExtrema::MinDistance() const
{
    if (!m_valid) return 0.0;
    const double dx = m_xmax - m_xmin, dy = m_ymax - m_ymin, dz = m_zmax - m_zmin;
    return 10.0 * std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool CDsDriverExtrema::AdjustDistance(bool compute)
{
    return AdjustClippingPlanes(compute, false);
}

void CDsDriverExtrema::ComputeMinMax(bool full)
{
    if (!m_context || !m_extremaView) return;
    CDsExtremaModeScope mode;
    m_context->GetScene()->ComputeExtrema(m_extremaView, full);
}

void CDsDriverExtrema::ComputeBoundaries(CDsItemsGroup* group)
{
    if (group) group->DrawExtremes(*m_extremaView, nullptr);
}

bool CDsDriverExtrema::GetBoundingRect(const CDsPickedItemList* list, double& x0, double& x1, double& y0,
                                       double& y1, bool keepOffsets)
{
    if (!m_context || !m_extremaView || !list) return false;
    std::vector<CVyrObjectPath> paths;
    list->GetList(paths);
    {
        CDsExtremaModeScope mode;
        m_context->GetScene()->ComputeExtrema(m_extremaView, paths);
    }
    return GetExtremaInViewportCoordinates(x0, x1, y0, y1, keepOffsets);
}

bool CDsDriverExtrema::GetBoundingRect(const CDsPickedItem*, double& x0, double& x1, double& y0, double& y1,
                                       bool keepOffsets)
{
    if (!m_context || !m_extremaView) return false;
    return GetExtremaInViewportCoordinates(x0, x1, y0, y1, keepOffsets);
}

bool CDsDriverExtrema::AdjustClippingPlanes(bool compute, bool full)
{
    if (compute) ComputeMinMax(full);
    if (!m_baseView) return false;
    if (!(m_zmin <= m_zmax)) return false;  // nothing measured in depth

    if (m_zmin == m_zmax) {
        m_zmax += 0.1;
        m_zmin -= 0.1;
    }
    const float margin = static_cast<float>((m_zmax - m_zmin) * 0.025);
    m_zmax += margin;
    m_zmin -= margin;
    if (CDsManager::GetInstance()->GetFlag(kWideDepthFlag)) {
        const double half = (m_zmax - m_zmin) * 0.5;
        m_zmax += half;
        m_zmin -= half;
    }

    // The eye's depth in the measuring frame (row vector times the view orientation matrix).
    const SPAposition eye = m_baseView->get_eye();
    const double eyeZ = eye.x() * m_vom[0][2] + eye.y() * m_vom[1][2] + eye.z() * m_vom[2][2] + m_vom[3][2];

    if (m_baseView->is_perspective()) {
        // OpenGL builds the window depth of a perspective view from a term as small as twice the
        // near distance, added in single precision to the model-view's translation (as large as
        // the eye's distance from the origin): an eye a million units out with a scene reaching
        // behind it (the near distance at its floor) loses that term and the whole scene lands on
        // the far plane. The near distance keeps clear of that rounding.
        const double eyeFromOrigin = std::sqrt(eye.x() * eye.x() + eye.y() * eye.y() + eye.z() * eye.z());
        const double leastNear = std::max(0.01, kNearOverRounding * FLT_EPSILON * eyeFromOrigin);
        const double hither = std::max(eyeZ - m_zmax, leastNear);
        double yon = std::max(eyeZ - m_zmin, hither + 0.01);
        // The far plane likewise: a point at depth d lies 2 n (f - d) / (f - n) inside it in clip
        // coordinates, which with the near distance at its floor is within that same rounding for
        // the farthest tenth of the scene, and the window loses it. The far plane moves out until
        // the farthest point measured keeps as much clear of the rounding as the near plane does.
        const double keep = kNearOverRounding * FLT_EPSILON * eyeFromOrigin;
        const double share = keep / (2.0 * hither);
        if (share < 1.0) yon = std::max(yon, (yon - share * hither) / (1.0 - share));
        m_baseView->set_hither(hither);
        m_baseView->set_yon(yon);
    } else {
        const SPAunit_vector direction = m_baseView->get_direction();
        const double shift = m_zmax - eyeZ + 1.01;
        // The extent is measured in single precision: a shift within its rounding leaves the eye
        // where it is, so that fitting the planes again to the same scene gives the same camera
        // (and the same picture), not one moved by the rounding.
        const double rounding =
            64.0 * FLT_EPSILON * std::max({1.0, std::fabs(eyeZ), std::fabs(double(m_zmax)), std::fabs(double(m_zmin))});
        if (std::fabs(shift) > rounding) {
            const SPAposition newEye = eye - direction * shift;
            m_baseView->set_eye(newEye);
            m_baseView->set_target(newEye + direction);
        }
        m_baseView->set_hither(0.01);
        m_baseView->set_yon(m_zmax - m_zmin + 1.02);
    }
    m_valid = 1;
    return true;
}

void CDsDriverExtrema::DrawPoint2d(const SPAposition& p)
{
    const float xyz[3] = {static_cast<float>(p.x()), static_cast<float>(p.y()), static_cast<float>(p.z())};
    UpdateExtrema2D(xyz);
}

// === CDsViewExtremaControler ===================================================================

CDsViewExtremaControler::CDsViewExtremaControler(view3d* view)
    : m_driver(new CDsDriverExtrema(view)), m_previous(CDsItemPolyline3D::sViewExtrema)
{
    CDsItemPolyline3D::sViewExtrema = m_driver->GetExtView();
}

CDsViewExtremaControler::~CDsViewExtremaControler()
{
    if (m_driver) CDsItemPolyline3D::sViewExtrema = m_previous;
    delete m_driver;
}
