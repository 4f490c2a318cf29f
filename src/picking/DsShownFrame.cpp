#include "DsShownFrame.h"

#include "DsDrawnItems.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsGroup.h"
#include "DsItemsHlView.h"
#include "DsRefPoint.h"
#include "DsSectionPlane.h"

#include "DsPartStorage.h"
#include "DsScene.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>

CDsShownFrame* CDsShownFrame::s_current = nullptr;

namespace {

// The nearest distance OpenGL is given for the near plane when the camera has none.
constexpr double kNearestPlane = 0.001;
// How far outside the viewport (pixels) a point still counts as inside: a corner on the window's
// border is drawn.
constexpr double kWindowSlack = 0.5;

bool FacesHideIn(int mode)
{
    return mode == eRenderHiddenLines || mode == eRenderShade || mode == eRenderMixed;
}

}  // namespace

CDsShownFrame::CDsShownFrame(CDsGlContext* context, view3d* view) : m_context(context), m_view(view)
{
    CDsGlScene* scene = context ? context->GetScene() : nullptr;
    if (!scene || !view) return;
    m_renderMode = view->GetRenderMode();
    m_facesHide = FacesHideIn(m_renderMode);
    if (const CDsSectionPlane* plane = scene->GetSectionPlane()) {
        m_sectionPlane.point = plane->GetPoint();
        m_sectionPlane.normal = plane->GetNormal();
        m_sectionClip.plane = &m_sectionPlane;
    }

    // What the frame draws: the places of the bodies and copies, and the faces that hide.
    scene->NoteContentEdits(view);
    CDsScene& database = scene->GetDbScene();
    database.SetCurrentView(view);
    CDsDrawnItemsFunctor functor(scene->HasSection() ? scene : nullptr, [&](const SDsDrawnItem& item) {
        if (auto* shown = dynamic_cast<CDsEntityGeometry*>(item.geometry))
            if (const ENTITY* entity = shown->GetShownEntity()) {
                std::vector<SPlace>& places = m_places[entity];  // filed, though perhaps hidden
                if (!item.hidden) {
                    SPlace place;
                    place.transform = item.transform.Convert2SPA();
                    place.moved = !place.transform.identity();
                    place.clip = item.clip;
                    places.push_back(place);
                }
            }
        DsAddHidingFaces(item, m_renderMode, m_hiding);
        // The temporary part (a figure's items) is drawn after the renderer of the mode, over what
        // it drew: over a view's line drawn before the model's faces too.
        if (item.path && item.path->GetRootPartId() < 0) DsAddHidingFaces(item, m_renderMode, m_paintedAfter);
    });
    functor.SetHiddenToo(true);
    DsDrawnItemsWalk(CDsPartStorage::instance(), &database, functor);

    // The backgrounds of the hidden-line views, drawn filled past the walk after the model's faces
    // went into the depth buffer (not while the view refreshes fast): they hide what is drawn after
    // them behind them, and paint over what was drawn before them (a view's line drawn before the
    // faces too, the dimmed hidden edges).
    CDsItemsGroup* views = scene->GetRootGroup(CDsGlScene::eRootHlViews);
    if (CDsGlScene::DrawsHlViews(view) && !view->GetFlag(eDsViewFlagFastRefresh))
        for (int i = 0; views && i < views->Count(); ++i) {
            auto* hlView = dynamic_cast<CDsItemsHlView*>(views->Get(i));
            SPAposition strip[4];
            if (!hlView || !hlView->GetDrawnBackground(strip)) continue;
            // The strip's corners in order round the rectangle.
            const SPAposition corners[4] = {strip[0], strip[1], strip[3], strip[2]};
            m_hiding.AddPolygon(corners, 4, m_sectionClip);
            m_paintedAfter.AddPolygon(corners, 4, m_sectionClip);
        }

    if (!m_facesHide) return;
    // The bodies and copies the database files nowhere hide as the context shows them.
    const SPAtransf identity;
    CDsItemsGroup* bodies = scene->GetRootGroup(CDsGlScene::eRootBodies);
    for (int i = 0; bodies && i < bodies->Count(); ++i) {
        auto* body = dynamic_cast<CDsItemsBody*>(bodies->Get(i));
        if (body && !m_places.count(body->GetEntity())) m_hiding.AddBody(body, identity, m_renderMode, m_sectionClip);
    }
    CDsItemsGroup* copies = scene->GetRootGroup(CDsGlScene::eRootCopies);
    for (int i = 0; copies && i < copies->Count(); ++i) {
        auto* copy = dynamic_cast<CDsItemsCopy*>(copies->Get(i));
        if (!copy || copy->IsHidden() || copy->GetCopyMode() != 0 || m_places.count(copy->GetEntity())) continue;
        m_hiding.AddBody(dynamic_cast<CDsItemsBody*>(copy->GetBody()), copy->GetTransformation(), m_renderMode,
                         m_sectionClip);
    }
}

const std::vector<CDsShownFrame::SPlace>* CDsShownFrame::PlacesOf(const ENTITY* shown) const
{
    const auto found = m_places.find(shown);
    return found == m_places.end() ? nullptr : &found->second;
}

bool CDsShownFrame::InWindow(const SPAposition& point) const
{
    if (!m_view) return false;
    double x = 0.0, y = 0.0, depth = 0.0;
    if (!m_view->world_to_drawable(point, x, y, depth) || !std::isfinite(x) || !std::isfinite(y)) return false;
    int vx = 0, vy = 0, width = 0, height = 0;
    m_view->get_viewport(vx, vy, width, height);
    if (x < -kWindowSlack || y < -kWindowSlack || x > width + kWindowSlack || y > height + kWindowSlack) return false;
    // Between the near and far planes the frame was drawn with, as OpenGL is given them.
    const SPAunit_vector direction = m_view->get_direction();
    const double along = (point - m_view->get_eye()) % direction;
    double nearest = m_view->get_hither();
    if (!(nearest > 0.0)) nearest = kNearestPlane;
    double farthest = m_view->get_yon();
    if (!(farthest > nearest)) {
        const double distance = (m_view->get_target() - m_view->get_eye()).len();
        farthest = nearest + (m_view->is_perspective() ? std::max(1.0, 2.0 * distance) : 1.0);
    }
    const double slack = 1e-9 * std::max(1.0, std::fabs(along));
    return along >= nearest - slack && along <= farthest + slack;
}

bool CDsShownFrame::Cuts(const SPAposition& point) const
{
    const SDsPickClip& clip = m_place ? m_place->clip : m_sectionClip;
    return (clip.plane || clip.scene) && clip.Hides(point);
}

bool CDsShownFrame::Hides(const SPAposition& point, bool ofFace, bool ofLine) const
{
    // What hides in this render mode is all that was collected: in the line modes only figures'
    // faces, and the model's in the partial hidden-line mode for points of faces.
    return m_hiding.Hides(m_view, point, ofFace, ofLine);
}

bool CDsShownFrame::Shows(const SPAposition& point, bool ofLine) const
{
    return InWindow(point) && !Cuts(point) && !Hides(point, false, ofLine);
}

bool CDsShownFrame::ShowsViewLine(const SPAposition& point, bool drawnBeforeFaces) const
{
    if (!CDsGlScene::DrawsHlViews(m_view) || !InWindow(point)) return false;
    // The views are drawn at no place of the database: only the section plane clips them.
    if (m_sectionClip.plane && m_sectionClip.Hides(point)) return false;
    // A line drawn before the faces stays where only what is painted later covers it; one drawn
    // after them passes the depth test where no face (the model's in the depth buffer, in mode 2
    // too) lies in front of it by more than its polygon offset.
    if (drawnBeforeFaces) return !m_paintedAfter.Hides(m_view, point, false, true);
    return !m_hiding.Hides(m_view, point, true, true);
}

CDsShownFrame* CDsShownFrame::Current(view3d* view)
{
    return s_current && view && s_current->m_view == view ? s_current : nullptr;
}

CDsShownFrameScope::CDsShownFrameScope(CDsGlContext* context, view3d* view) : m_previous(CDsShownFrame::s_current)
{
    if (!context || !view) return;
    m_frame = CDsShownFrame::Current(view);
    if (m_frame && m_frame->GetContext() == context) return;
    m_own = std::make_unique<CDsShownFrame>(context, view);
    m_frame = m_own.get();
    CDsShownFrame::s_current = m_frame;
}

CDsShownFrameScope::~CDsShownFrameScope()
{
    CDsShownFrame::s_current = m_previous;
}

bool DsForEachShownPlace(CDsItemsGroup* group, view3d* view, const std::function<bool(const CDsShownFrame::SPlace*)>& pick)
{
    if (!group || !view) return false;
    const CDsShownFrameScope scope(group->GetGlContext(), view);
    CDsShownFrame* frame = scope.Get();
    // A group inside a body (its edges, say) is drawn where the body is.
    const std::vector<CDsShownFrame::SPlace>* places = nullptr;
    for (CDsItemsGroup* owner = group; frame && owner && !places; owner = owner->GetParent())
        places = owner->GetEntity() ? frame->PlacesOf(owner->GetEntity()) : nullptr;
    const CDsShownFrame::SPlace* saved = frame ? frame->GetPlace() : nullptr;
    bool found = false;
    if (!places) {
        if (frame) frame->SetPlace(nullptr);
        found = pick(nullptr);
    } else {
        for (const CDsShownFrame::SPlace& place : *places) {
            frame->SetPlace(&place);
            if (place.moved) view->SetModelTransform(place.transform);
            found = pick(&place);
            if (place.moved) view->ClearModelTransform();
            if (found) break;
        }
    }
    if (frame) frame->SetPlace(saved);
    return found;
}

CDsRefPoint* DsPickAtShownPlaces(CDsItemsGroup* group, view3d* view, const std::function<CDsRefPoint*()>& pick)
{
    CDsRefPoint* point = nullptr;
    DsForEachShownPlace(group, view, [&](const CDsShownFrame::SPlace* place) {
        point = pick();
        if (point && place && place->moved)
            CDsRefPoint::sLastPosition = CGmPosition(SPAposition(CDsRefPoint::sLastPosition) * place->transform);
        return point != nullptr;
    });
    return point;
}

bool DsIsPointShown(CDsGlContext* context, view3d* view, const SPAposition& point, bool ofLine)
{
    const CDsShownFrameScope scope(context, view);
    const CDsShownFrame* frame = scope.Get();
    return frame && frame->Shows(point, ofLine);
}
