#include "DsFigArrow3DFixed.h"

#include "DsFigureGenerator.h"
#include "DsGeometryComputer.h"
#include "DsItemsArrowFixed.h"
#include "DsItemsFigure.h"
#include "DsView3dCdc.h"
#include "GmTransformation.h"
#include "UiPickEvent.h"
#include "pick_event.h"
#include "pick_manager.h"
#include "view3d.h"

#include <climits>
#include <cmath>

namespace {

// The pick set-up of an arrow's pick test: the aperture asked for and the view in pick mode at the
// event; the destructor gives back the process-wide aperture and the view's pick mode and region.
class CArrowPickScope {
public:
    CArrowPickScope(view3d& view, const CUiPickEvent& event, int width, int height) : m_view(view)
    {
        if (height == -1) height = width;
        get_pick_aperture(m_savedWidth, m_savedHeight);
        if (!(width == -1 && height == -1)) set_pick_aperture(width, height);
        int w = 0, h = 0;
        get_pick_aperture(w, h);
        m_savedMode = view.get_pick_mode();
        view.get_pick_aperture(m_savedX, m_savedY, m_savedViewWidth, m_savedViewHeight);
        view.pick_mode(1, event.x(), event.y(), w, h);
    }
    ~CArrowPickScope()
    {
        if (m_savedMode != 0)
            m_view.pick_mode(m_savedMode, m_savedX, m_savedY, m_savedViewWidth, m_savedViewHeight);
        else
            m_view.pick_mode(0, 0, 0, 0, 0);
        set_pick_aperture(m_savedWidth, m_savedHeight);
    }
    CArrowPickScope(const CArrowPickScope&) = delete;
    CArrowPickScope& operator=(const CArrowPickScope&) = delete;

private:
    view3d& m_view;
    int m_savedWidth = 0;
    int m_savedHeight = 0;
    int m_savedMode = 0;
    int m_savedX = 0;
    int m_savedY = 0;
    int m_savedViewWidth = 0;
    int m_savedViewHeight = 0;
};

// `v` normalised, or `fallback` when it has no length or is not finite.
CGmVector Normalised(const CGmVector& v, const CGmVector& fallback)
{
    if (!std::isfinite(v.x()) || !std::isfinite(v.y()) || !std::isfinite(v.z())) return fallback;
    const SPAunit_vector u = normalise(v);
    if (u.len_sq() < 0.25) return fallback;
    return CGmVector(u.x(), u.y(), u.z());
}

}  // namespace

// === CDsFigArrow3DFixed =========================================================================

CDsFigArrow3DFixed::CDsFigArrow3DFixed(const CGmPosition& position, const CGmVector& vector, int length, int gap)
    : CDsFigure(true, true, false),
      m_position(position),
      m_vector(Normalised(vector, CGmVector(0, 0, 0))),
      m_length(length),
      m_gap(gap)
{
}

int CDsFigArrow3DFixed::DefineFig(CDsFigureGenerator& generator)
{
    m_arrow = new CDsItemsArrowFixed(m_position, m_vector, m_length, m_gap, false, 0, 0, 0);
    generator.AddSubFigure(m_arrow);
    return 1;
}

CDsItemsArrowFixed* CDsFigArrow3DFixed::GetArrowItem() const
{
    CDsItemsFigure* group = GetDlFigure();
    if (!group || !m_arrow || group->Get(0) != m_arrow) return nullptr;
    return m_arrow;
}

void CDsFigArrow3DFixed::SetPosition(const CGmPosition& position)
{
    const SPAvector move = position - m_position;
    m_position = position;
    if (CDsItemsArrowFixed* arrow = GetArrowItem()) arrow->Transform(translate_transf(move));
}

void CDsFigArrow3DFixed::SetVector(const CGmVector& vector)
{
    m_vector = Normalised(vector, CGmVector(0, 0, 0));
    if (CDsItemsArrowFixed* arrow = GetArrowItem()) arrow->SetVector(m_vector);
}

bool CDsFigArrow3DFixed::GetXY(int& x, int& y, view3d* view) const
{
    if (!view) view = CDsView3dCdc::sCurrentView;
    if (!view) return false;
    float px = 0.0f, py = 0.0f;
    if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(m_position, view, px, py)) return false;
    if (!(std::fabs(px) < float(INT_MAX)) || !(std::fabs(py) < float(INT_MAX))) return false;
    x = int(std::trunc(px));
    y = int(std::trunc(py));
    return true;
}

bool CDsFigArrow3DFixed::PartIsPicked(const CUiPickEvent& event, int width, int height, bool head)
{
    CDsItemsArrowFixed* arrow = GetArrowItem();
    view3d* view = event.view();
    if (!arrow || !view) return false;
    CArrowPickScope scope(*view, event, width, height);
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    manager.push_level(arrow, nullptr);
    arrow->UpdateParts(*view);
    const bool picked = head ? arrow->HeadIsPicked(&manager) : arrow->BodyIsPicked(&manager);
    manager.pop_level();
    return picked;
}

bool CDsFigArrow3DFixed::BodyIsPicked(const CUiPickEvent& event, int width, int height)
{
    return PartIsPicked(event, width, height, false);
}

bool CDsFigArrow3DFixed::HeadIsPicked(const CUiPickEvent& event, int width, int height)
{
    return PartIsPicked(event, width, height, true);
}

// === CDsFigArrowReference =======================================================================

CDsFigArrowReference::CDsFigArrowReference(const CGmVector* direction, int offsetX, int offsetY, int size)
    : CDsFigure(true, true, false),
      m_offsetX(offsetX),
      m_offsetY(offsetY),
      m_size(size),
      m_direction(direction ? Normalised(*direction, CGmVector(1, 0, 0)) : CGmVector(1, 0, 0))
{
}

int CDsFigArrowReference::DefineFig(CDsFigureGenerator& generator)
{
    m_arrow = new CDsItemsArrowReference(m_offsetX, m_offsetY, m_size, &m_direction);
    generator.AddSubFigure(m_arrow);
    return 1;
}

CDsItemsArrowReference* CDsFigArrowReference::GetArrowItem() const
{
    CDsItemsFigure* group = GetDlFigure();
    if (!group || !m_arrow || group->Get(0) != m_arrow) return nullptr;
    return m_arrow;
}

void CDsFigArrowReference::SetDirection(const CGmVector& direction)
{
    m_direction = Normalised(direction, CGmVector(1, 0, 0));
    if (CDsItemsArrowReference* arrow = GetArrowItem()) arrow->SetDirection(m_direction);
}

void CDsFigArrowReference::Remove(view3d* view)
{
    CDsFigure::Remove(view);
    if (!GetArrowItem()) m_arrow = nullptr;
}

bool CDsFigArrowReference::PartIsPicked(const CUiPickEvent& event, int width, int height, bool head)
{
    CDsItemsArrowReference* arrow = GetArrowItem();
    view3d* view = event.view();
    if (!arrow || !view) return false;
    CArrowPickScope scope(*view, event, width, height);
    pick_manager manager(pick_method_point, 0, nullptr, &event, nullptr);
    const bool placed = ApplyPlacementTransform(view);
    manager.push_level(arrow, nullptr);
    const bool picked = head ? arrow->HeadIsPicked(&manager) : arrow->BodyIsPicked(&manager);
    manager.pop_level();
    if (placed) view->ClearModelTransform();
    return picked;
}

bool CDsFigArrowReference::BodyIsPicked(const CUiPickEvent& event, int width, int height)
{
    return PartIsPicked(event, width, height, false);
}

bool CDsFigArrowReference::HeadIsPicked(const CUiPickEvent& event, int width, int height)
{
    return PartIsPicked(event, width, height, true);
}
