// The location walks' helpers: location info, the change-log entries, item paths, what a section
// clips of listed paths, the searches of drawn parameter points and the line state of a
// parameter-point highlight.
#include "DsLocationWalks.h"

#include "DsDrawSetup.h"
#include "DsGeometryComputer.h"
#include "DsGlScene.h"
#include "DsGlStateCache.h"
#include "DsStylePalette.h"

#include "GmPosition.h"

#include <algorithm>
#include <cmath>

bool DsSameLocation(const CDsObjectPath& path, const CVyrObjectPath& record)
{
    return DsComparePathToRecord(path, record) == 0;
}

bool CDsLocationsInfoFunctor::VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant*)
{
    SDsLocationInfo info;
    if (m_variant) {
        info.type = m_variant->GetType();
        info.geometry = m_variant->GetGeometry();
    }
    info.state = location ? location->GetState() : 0;
    m_out->emplace_back(path.ToVyrObjectPath(), info);
    return true;
}

// --- Change log --------------------------------------------------------------------------------

void DsRecordChangedPaths(CDsScene& scene, const std::vector<CVyrObjectPath>& paths)
{
    scene.GetChangeLog().Record(paths);
}

void DsRecordChangedPath(CDsScene& scene, const CVyrObjectPath& path)
{
    DsRecordChangedPaths(scene, DsMakeSinglePathVector(path));
}

std::vector<CVyrObjectPath> DsMakeSinglePathVector(const CVyrObjectPath& path)
{
    return std::vector<CVyrObjectPath>(1, path);
}

CVyrObjectPath& DsMakeItemPath(const CVyrObjectPath& path, CVyrObjectPath& out)
{
    int keep = path.GetSize() - (path.GetDepth() > 0 ? path.GetDepth() : 0);
    if (keep < 0) keep = 0;
    out = CVyrObjectPath(path.GetIds().GetData(), keep, 0, path.GetPartId());
    return out;
}

// --- Sections ------------------------------------------------------------------------------------

bool DsGatherClippedPaths(const std::vector<CVyrObjectPath>& paths, const std::vector<CVyrObjectPath>& clipPaths,
                          std::vector<CVyrObjectPath>& clipped)
{
    clipped.clear();
    auto gather = [&clipped](const CVyrObjectPath& path) {
        if (std::find(clipped.begin(), clipped.end(), path) == clipped.end()) clipped.push_back(path);
    };
    bool allWhole = !paths.empty();
    for (const CVyrObjectPath& path : paths) {
        const bool whole = std::any_of(clipPaths.begin(), clipPaths.end(),
                                       [&path](const CVyrObjectPath& clip) { return clip.IsPrefixOf(path); });
        if (whole) {
            gather(path);
            continue;
        }
        allWhole = false;
        for (const CVyrObjectPath& clip : clipPaths)
            if (path.IsPrefixOf(clip)) gather(clip);
    }
    return allWhole;
}

// --- Parameter points ----------------------------------------------------------------------------

namespace {

bool IsFinite(const SPAposition& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

bool Project(const SPAposition& p, view3d* view, float& x, float& y)
{
    return view && CDsGeometryComputer::GetInstance()->ProjectPositionOnView(CGmPosition(p.x(), p.y(), p.z()), view, x, y);
}

}  // namespace

const CDsGlContext::SParamPoint* DsFindParamPoint(const CDsGlContext::SParamPoint* first,
                                                  const CDsGlContext::SParamPoint* last, const SPAposition& position,
                                                  bool exact, view3d* view)
{
    if (!IsFinite(position)) return last;
    float x = 0.0f, y = 0.0f;
    if (!exact && !Project(position, view, x, y)) return last;
    for (const CDsGlContext::SParamPoint* p = first; p != last; ++p) {
        if (exact) {
            if (same_point(p->position, position, 1e-4)) return p;
            continue;
        }
        float px = 0.0f, py = 0.0f;
        if (!Project(p->position, view, px, py)) continue;
        const float dx = px - x, dy = py - y;
        if (dx * dx + dy * dy < 100.0f) return p;
    }
    return last;
}

const CDsGlContext::SParamPoint* DsFindParamPointBy2dPos(const CDsGlContext::SParamPoint* first,
                                                         const CDsGlContext::SParamPoint* last, int x, int y,
                                                         view3d* view)
{
    for (const CDsGlContext::SParamPoint* p = first; p != last; ++p) {
        float px = 0.0f, py = 0.0f;
        if (!Project(p->position, view, px, py)) continue;
        const float dx = px - static_cast<float>(x), dy = py - static_cast<float>(y);
        if (dx * dx + dy * dy < 100.0f) return p;
    }
    return last;
}

void DsApplyParamPointLineState(const CDsAttributes& attributes, SDsDrawSetup& setup, int renderMode)
{
    // The set-up's memo stands for the two pass words: state word 0 and kind 1 once this step sent
    // its state.
    if (setup.lastStateWord == 0 && setup.lastKind == 1 && DsSameAttributes(attributes, setup.lastAttributes)) return;
    setup.lastStateWord = 0;
    setup.lastKind = 1;
    setup.lastAttributes = attributes;

    CDsGlStateCache cache;
    cache.Invalidate();
    CDsAttributes style(attributes);
    int offset = 0;
    cache.SetDepthLayer(DsDecodeDrawStyle(1, 0, renderMode, style, offset));
    if (CDsGlScene* scene = setup.scene) {
        if (!scene->GetSectionPlane() && !scene->GetComplexSection() && scene->AllowsShaders()) scene->EnableShaders(false);
    }
    DsGlSetEnabled(GL_LIGHTING, false);
    cache.SetColor(attributes.GetColor());
    gDsGl.LineWidth(static_cast<GLfloat>(attributes.GetLineWidth()));
    uint16_t pattern = 0xFFFF;
    int factor = 1;
    if (attributes.GetLineStyle() == 0 || !setup.styles ||
        !setup.styles->GetStyle(attributes.GetLineStyle(), pattern, factor)) {
        DsGlSetEnabled(GL_LINE_STIPPLE, false);
    } else {
        DsGlSetEnabled(GL_LINE_STIPPLE, true);
        cache.SetLineStipple(factor, pattern);
    }
}
