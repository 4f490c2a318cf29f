// Highlights and parameter points of the context: highlighted locations and one highlighted
// parameter point are drawn into the front buffer of the view whose OpenGL context is current,
// over the saved picture, and drawn again after every refresh (RestoreHighlight); parameter points
// are temporary items of the scene database holding a point geometry, so that they are drawn and
// picked like every other location.
//
// prv_Highlight (the flag says whether the saved picture is put back first):
//  1. nothing while the view's window waits to be repainted or a fast refresh is under way (the
//     highlight is skipped, not queued; a refresh that presents the whole window ends the wait);
//  2. with the flag, the back buffer is copied to the front (a back configuration ended at once
//     without notifications);
//  3. the view's location state is 4 while a front configuration is open: the parameter point's
//     marker with its special set, then the highlighted paths decorated with their set under the
//     scene's sections, tested against the depth buffer without writing it.
// RestoreHighlight, which a refresh calls once its picture is presented, is prv_Highlight(false).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A position that is not finite is never a parameter point: DrawParamPoint refuses it, the
//   searches find nothing for it, and a highlight of it highlights no point.
// - The path recorded for a parameter point names the location of its item: the item's number in
//   the temporary part, depth 1. The owner's ids name a location of the model, and followed by
//   the item's number in the temporary part they would name none: the point could then never be
//   given its set, and FindPointBy2dPos would hand back a path that no location operation
//   accepts. So `owner` is not part of the record; what the point belongs to is kept as its
//   object type.
// - A highlight needs a current OpenGL view that is one of this context's core views; without
//   one the highlights are stored (and drawn by the next refresh) but nothing is drawn now.
#include "DsGlContext.h"

#include "DsDrawSetup.h"
#include "DsGlScene.h"
#include "DsGlTraverseFunctor.h"
#include "DsLocationWalks.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPointGeometry.h"
#include "DsView3dCdc.h"
#include "RenderingConfiguration.h"
#include "VyrExceptionMask.h"
#include "view3d.h"

#include <GL/gl.h>

#include <cmath>

namespace {

// The object type of a parameter point's item (a point geometry).
constexpr unsigned char kParamPointItemType = 61;

bool IsFinite(const SPAposition& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

// Reference-point types are matched in model space, the others on screen.
bool IsReferencePointType(int type)
{
    return type >= 256 && type <= 266;
}

}  // namespace

void CDsGlContext::Highlight(const SHighlightData& data, bool restore)
{
    ResetHighlightData();
    if (data.paramPointType != -1 && IsFinite(data.paramPointPosition)) {
        const SParamPoint* first = m_paramPoints.data();
        const SParamPoint* last = first + m_paramPoints.size();
        const SParamPoint* found = DsFindParamPoint(first, last, data.paramPointPosition,
                                                    IsReferencePointType(data.paramPointType), sCurrentView);
        if (found != last)
            SetHighlightData(found->position, found->type, eAttribSetHighlightMarked);
        else
            SetHighlightData(data.paramPointPosition, data.paramPointType, eAttribSetHighlight);
    }
    if (!data.paths.empty()) SetHighlightData(data.paths, static_cast<EAttribSetIndex>(data.attributeSet));
    prv_Highlight(restore);
}

void CDsGlContext::HighlightLocations(const std::vector<CVyrObjectPath>& paths, int set)
{
    SHighlightData data;
    data.paths = paths;
    data.attributeSet = set;
    Highlight(data, false);
}

bool CDsGlContext::HighlightParamPoint(SPAposition& position, eVyrParamPointType& type)
{
    SHighlightData data;
    data.paramPointPosition = position;
    data.paramPointType = type;
    Highlight(data, false);
    if (m_highlight.paramPointType != -1) {
        position = m_highlight.paramPointPosition;
        type = m_highlight.paramPointType;
    }
    return true;
}

void CDsGlContext::UnHighlightLocations()
{
    ResetHighlightData();
    view3d* view = sCurrentView;
    if (!view || !IsViewUpToDate(view) || view->GetFlag(eDsViewFlagFastRefresh)) return;
    refresh(view, nullptr);
}

void CDsGlContext::RestoreHighlight()
{
    prv_Highlight(false);
}

void CDsGlContext::prv_Highlight(bool restore)
{
    auto* view = dynamic_cast<CDsView3dCdc*>(sCurrentView);
    if (!view || view->GetGlContext() != this || !Get_gl_context_data(view)) return;
    if (!IsViewUpToDate(view) || view->GetFlag(eDsViewFlagFastRefresh)) return;
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    if (w <= 0 || h <= 0) return;
    CVyrExceptionMask mask;
    if (restore) {
        CRenderingConfigurationScope back(GL_BACK);
        if (back.IsActive()) back.End(false);
    }
    view->SetLocationState(eAttribSetHighlight);
    {
        CRenderingConfigurationScope front(GL_FRONT);
        if (front.Get()) {
            SetupRenderingTransforms(view, false, nullptr);
            // The depth buffer holds the depth of the kept picture (the back buffer's frame): the
            // highlights are tested against it and leave it as it is, so that highlights drawn later
            // over the same picture are tested against that picture alone.
            glDepthMask(GL_FALSE);
            if (m_highlight.paramPointType != -1)
                prv_HighlightParamPoint(m_highlight.paramPointPosition, m_highlight.paramPointType,
                                        static_cast<EAttribSetIndex>(m_highlight.paramPointAttributeSet));
            if (!m_highlight.paths.empty()) {
                std::vector<CVyrObjectPath> paths(m_highlight.paths);
                DecorateLocationsWithSections(paths, static_cast<EAttribSetIndex>(m_highlight.attributeSet), 0);
            }
            glDepthMask(GL_TRUE);
        }
    }
    view->SetLocationState(eAttribSetNormal);
}

void CDsGlContext::prv_HighlightParamPoint(const SPAposition& position, eVyrParamPointType type, EAttribSetIndex set)
{
    auto* view = dynamic_cast<CDsView3dCdc*>(sCurrentView);
    if (!view || !IsFinite(position)) return;
    // One point geometry for every highlight of the process, made on first use.
    static CDsPointGeometry* sPoint = new CDsPointGeometry();
    sPoint->SetCurrentPoint(position);
    sPoint->SetPointType(type);
    SDsDrawSetup setup;
    DsInitDrawSetup(setup, view, m_scene, false, false, false);
    DsApplyParamPointLineState(CDsScene::GetSpecialAttrs(set), setup, view->GetRenderMode());
    // A marker is drawn in window pixels, as the draw walk draws points.
    const bool pixel = DsSetPixelProjection(view, CDsGeometry::eDpPoints);
    sPoint->DrawGl(*view, CDsGeometry::eDpPoints, 0, -1, nullptr);
    if (pixel) DsResetPixelProjection();
}

bool CDsGlContext::DrawParamPoint(const SPAposition& position, eVyrParamPointType type, EAttribSetIndex set,
                                  eVyrObjectType objectType, const CVyrObjectPath& /*owner*/)
{
    if (!IsFinite(position)) return false;
    const SParamPoint* first = m_paramPoints.data();
    const SParamPoint* last = first + m_paramPoints.size();
    const SParamPoint* found = DsFindParamPoint(first, last, position, true, sCurrentView);
    if (found != last) {
        std::vector<CVyrObjectPath> paths(1, found->path);
        ModifyLocations(paths, set);
        return true;
    }
    CDsScene& db = m_scene->GetDbScene();
    const CVyrObjectId id(db.GetTempPartId(), db.NextTempItemId());
    auto* geometry = new CDsPointGeometry(position, type, ePointStyleByType, 0);
    if (!CDsPartStorage::instance()->AddItem(id, kParamPointItemType, geometry, nullptr, nullptr, nullptr,
                                             nullptr, true)) {
        delete geometry;
        return false;
    }
    SParamPoint record;
    record.position = position;
    record.id = id;
    record.type = type;
    record.objectType = static_cast<unsigned char>(objectType);
    const int item = id.GetItemId();
    record.path = CVyrObjectPath(&item, 1, 1, id.GetPartId());
    m_paramPoints.push_back(record);
    std::vector<CVyrObjectPath> paths(1, record.path);
    ModifyLocations(paths, set);
    return true;
}

bool CDsGlContext::EraseParamPoint(const SPAposition& position)
{
    const SParamPoint* first = m_paramPoints.data();
    const SParamPoint* last = first + m_paramPoints.size();
    const SParamPoint* found = DsFindParamPoint(first, last, position, true, sCurrentView);
    if (found == last) return false;
    const bool removed = CDsPartStorage::instance()->RemoveItem(found->id, nullptr);
    m_paramPoints.erase(m_paramPoints.begin() + (found - first));
    PushDisplaySuspension();
    PopDisplaySuspension();
    return removed;
}

bool CDsGlContext::FindPointBy2dPos(int x, int y, SPAposition& position, eVyrParamPointType& type,
                                    eVyrObjectType& objectType, CVyrObjectPath& path)
{
    const SParamPoint* first = m_paramPoints.data();
    const SParamPoint* last = first + m_paramPoints.size();
    const SParamPoint* found = DsFindParamPointBy2dPos(first, last, x, y, sCurrentView);
    if (found == last) return false;
    position = found->position;
    type = found->type;
    objectType = static_cast<eVyrObjectType>(found->objectType);
    path = found->path;
    return true;
}
