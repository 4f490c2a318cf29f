// The draw walk's helpers that do not depend on the functor type: slave styles and overrides, the
// mixed passes' filters, region runs in the location caches, the thinning factor, transforms,
// projections and the builders.
#include "DsGlTraverseFunctor.h"

#include "DsBox.h"
#include "DsPreferencesServices.h"
#include "DsView3dCdc.h"

#include "SpaValues.h"
#include "view3d.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

bool IsSpecialState(int state)
{
    return state == 3 || state == 4 || state == 5 || state == 11;
}

// States whose slaves keep their colour and draw one pixel wider.
bool IsWidenedState(int state)
{
    switch (state) {
    case 3: case 4: case 5: case 6: case 7: case 8: case 11: case 14: case 15:
        return true;
    default:
        return false;
    }
}

// Number of whole runs a cache of `size` ints has room for.
int RunRoom(int size)
{
    return size > 1 ? (size - 1) / 3 : 0;
}

}  // namespace

bool DsIsMasterOverrideState(int state)
{
    return IsWidenedState(state);
}

bool DsIsSpecialLocationState(int state)
{
    return IsSpecialState(state);
}

bool DsIsSecondPassState(int state)
{
    return IsWidenedState(state) || state == 13;
}

bool DsAutoHideForFastRefreshEnabled()
{
    return CDsPreferencesServices().GetAutoHideForFastRefreshEnabled(false);
}

void DsApplySlaveStyle(CDsAttributes& attributes, const SDsDrawOptions& options, int state, bool single)
{
    const unsigned color = attributes.GetColor();
    if (!IsSpecialState(state)) attributes *= single ? CDsScene::GetSpecialAttrs(eAttribSetSingleSlave) : options.overrideAttributes;
    if (IsWidenedState(state)) {
        attributes.SetColor(color);
        attributes.SetLineWidth(attributes.GetLineWidth() + 1);
    }
}

void DsOverrideDrawAttributes(CDsAttributes& attributes, const SDsDrawOptions& options, int stateWord, int mask,
                              bool slave, bool single)
{
    if (options.flags.whiteFaces && (mask & CDsGeometry::eDpFaces)) attributes.SetColor(0xFFFFFF);
    if (options.flags.opaque) attributes.SetTransparency(255);
    if (slave && !(stateWord & 0x200)) DsApplySlaveStyle(attributes, options, stateWord & 0xFF, single);
}

bool DsIsSingleSlave(const CDsGeometry* geometry)
{
    if (!geometry) return false;
    unsigned count = 0;
    const int* ids = geometry->GetConnectedItems(count, 0);
    return ids && count == 1;
}

bool DsAcceptInOpaquePass(const CDsAttributes& attributes, const bool* silhouetteFlag, int kind)
{
    const int t = attributes.GetTransparency();
    if (kind == CDsGeometry::eDpSilhouettes && silhouetteFlag && *silhouetteFlag) return t == 0;
    if (kind & (CDsGeometry::eDpFaces | CDsGeometry::eDpImages)) return t == 255;
    return true;
}

bool DsAcceptInTransparentPass(const CDsAttributes& attributes, int kind)
{
    const int t = attributes.GetTransparency();
    return (kind & (CDsGeometry::eDpFaces | CDsGeometry::eDpImages)) && t >= 1 && t <= 254;
}

bool DsIsUntaggedGeometry(const CDsGeometry* geometry, int id)
{
    if (!geometry) return false;
    unsigned count = 0;
    const int* ids = geometry->GetConnectedItems(count, id);
    if (ids && count > 0) return false;
    return !(geometry->GetDrawPrimitives(id) & CDsGeometry::eDpSilhouettes);
}

bool DsIsLocationDrawable(const CDsScene* scene, const CDsLocation* leafLocation, const CDsAttrPalette* palette,
                          int type)
{
    if (leafLocation && leafLocation->IsHidden()) return false;
    if (leafLocation && leafLocation->IsShown()) return true;
    if (scene && scene->IsHidden(type)) return false;
    return !(palette && palette->IsHidden(type));
}

int DsGetRunState(const CDsLocation* leafLocation, int current)
{
    const int own = leafLocation ? leafLocation->GetState() : 0;
    if (IsSpecialState(own)) return own;
    if (IsSpecialState(current)) return current;
    return own;
}

bool DsIsLocationDrawableCached(const CDsLocation* regionLocation)
{
    if (!regionLocation) return false;
    const int* cache = regionLocation->GetCache();
    return cache && cache[0] >= 1;
}

void DsResetIncompleteDrawCache(CDsLocation* regionLocation)
{
    if (regionLocation && regionLocation->GetCache() && !DsIsLocationDrawableCached(regionLocation))
        regionLocation->InvalidateCache();
}

void DsPrepareLocationDrawCache(CDsLocation* regionLocation, const SDsRegionRun& run)
{
    if (!regionLocation) return;
    const int* cache = regionLocation->GetCache();
    int count = 0;
    if (cache && cache[0] <= 0 && cache[0] != INT_MIN) count = std::min(-cache[0], RunRoom(regionLocation->GetCacheSize()));
    regionLocation->PrepareCache(1 + 3 * (count + 1), true);
    int* grown = regionLocation->GetCache();
    if (!grown) return;
    grown[1 + 3 * count] = run.first;
    grown[2 + 3 * count] = run.last;
    grown[3 + 3 * count] = run.key;
    grown[0] = -(count + 1);
}

int DsCompleteLocationDrawCache(CDsLocation* regionLocation)
{
    if (!regionLocation) return 0;
    int* cache = regionLocation->GetCache();
    if (!cache) return 0;
    const int stored = cache[0] == INT_MIN ? 0 : std::abs(cache[0]);
    const int count = std::min(stored, RunRoom(regionLocation->GetCacheSize()));
    cache[0] = count;
    return count;
}

unsigned DsRegionsHideFactor(const CDsDrawContext& record)
{
    if (!record.fastRefresh || !record.autoHide) return 0;
    const float r = record.frameRate;
    if (r >= 16.0f) return 0;
    if (r < 0.0f || r > 6.0f) return 1;
    if (r > 5.0f) return 2;
    if (r > 4.0f) return 3;
    if (r > 3.0f) return 4;
    return 7;
}

const CDsTransform* DsGetItemTransform(const CDsScene* scene, const CDsLocation* location,
                                       const CDsItemVariant* variant)
{
    const CDsTransform* transform = location ? location->GetTransform(scene) : nullptr;
    if (!transform && variant) {
        const int category = variant->GetCategory();
        if (category == eVyrCatLeaf || category == eVyrCatOpenLeaf) return nullptr;
        transform = variant->GetTransform();
    }
    return transform && !transform->IsIdentity() ? transform : nullptr;
}

bool DsSetPixelProjection(view3d* view, int kind)
{
    if (!view || !(kind == CDsGeometry::eDpPoints || kind == CDsGeometry::eDpBitmaps || kind == CDsGeometry::eDpTexts))
        return false;
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    gDsGl.MatrixMode(GL_PROJECTION);
    gDsGl.PushMatrix();
    gDsGl.LoadIdentity();
    gDsGl.Ortho(-w / 2.0, w / 2.0, -h / 2.0, h / 2.0, 0.001, 1e20);
    gDsGl.MatrixMode(GL_MODELVIEW);
    gDsGl.PushMatrix();
    gDsGl.LoadIdentity();
    gDsGl.LookAt(0, 0, 1e10, 0, 0, 0, 0, 1, 0);
    gDsGl.Translatef(-w / 2.0f, -h / 2.0f, 0.0f);
    return true;
}

void DsResetPixelProjection()
{
    gDsGl.MatrixMode(GL_PROJECTION);
    gDsGl.PopMatrix();
    gDsGl.MatrixMode(GL_MODELVIEW);
    gDsGl.PopMatrix();
}

void DsEnableViewModelTransform(view3d* view, const CDsTransform& transform)
{
    if (!view) return;
    view->enable_model_transform(true);
    view->SetModelTransform(transform.Convert2SPA());
}

bool DsProjectBoxToWindow(view3d* view, const float min[3], const float max[3], int rect[4])
{
    if (!view || min[0] > max[0]) return false;
    CDsBox box(min, max);
    box.ComputeBounds2D(view, true);
    if (box.GetScreenRectangle().IsEmpty()) return false;
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    box.GetRectangle(minX, maxX, minY, maxY);
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    // The projection counts rows down from the viewport's top; window boxes count them up from
    // the window's bottom (as the location boxes of the synchronisation do).
    rect[0] = minX + x;
    rect[1] = h - 1 - minY + y;
    rect[2] = maxX + x;
    rect[3] = h - 1 - maxY + y;
    return true;
}

bool DsIsRectOutside(const int rect[4], const int viewport[4])
{
    return rect[0] > viewport[2] || rect[2] < viewport[0] || rect[3] > viewport[1] || rect[1] < viewport[3];
}

bool DsIsSceneMostlyOffscreen(const int rect[4], const int viewport[4])
{
    if (rect[0] > viewport[0] && rect[2] < viewport[2] && rect[1] < viewport[1] && rect[3] > viewport[3])
        return false;
    const double width = static_cast<double>(rect[2]) - rect[0];
    const double height = static_cast<double>(rect[1]) - rect[3];
    const double area = width * height;
    if (!(area > 1.0)) return false;
    const double ix = std::max(0.0, static_cast<double>(std::min(rect[2], viewport[2])) - std::max(rect[0], viewport[0]));
    const double iy = std::max(0.0, static_cast<double>(std::min(rect[1], viewport[1])) - std::max(rect[3], viewport[3]));
    return ix * iy / area < 0.5;
}

CDsGlTraverseFunctor& DsMakeGlTraverseFunctor(std::optional<CDsGlTraverseFunctor>& storage, view3d* view,
                                              const SDsDrawOptions& options, SDsDrawSetup& setup, int walkFlags,
                                              bool useLocationCache, CDsScene* scene, const int viewport[4],
                                              CDsDrawContext* record)
{
    storage.emplace(view, options, setup, walkFlags, 2, useLocationCache, record);
    storage->PrepareForFrame(scene, view, viewport);
    return *storage;
}

CDsGlShadeFunctor& DsMakeGlTraverseFunctor(std::optional<CDsGlShadeFunctor>& storage, view3d* view,
                                           const SDsDrawOptions& options, SDsDrawSetup& setup, int walkFlags,
                                           int complexPassMode, CDsScene* scene, const int viewport[4],
                                           CDsDrawContext* record)
{
    storage.emplace(view, options, setup, walkFlags, complexPassMode, true, record);
    storage->PrepareForFrame(scene, view, viewport);
    return *storage;
}

CDsGlMixedOpaqueFunctor& DsMakeGlTraverseFunctor(std::optional<CDsGlMixedOpaqueFunctor>& storage, view3d* view,
                                                 const SDsDrawOptions& options, SDsDrawSetup& setup, int walkFlags,
                                                 int complexPassMode, CDsScene* scene, const int viewport[4],
                                                 CDsDrawContext* record, const bool* silhouetteFlag)
{
    storage.emplace(view, options, setup, walkFlags, complexPassMode, true, record);
    storage->SetSilhouetteFlag(silhouetteFlag);
    storage->PrepareForFrame(scene, view, viewport);
    return *storage;
}

CDsGlMixedTransparentFunctor& DsMakeGlTraverseFunctor(std::optional<CDsGlMixedTransparentFunctor>& storage,
                                                      view3d* view, const SDsDrawOptions& options,
                                                      SDsDrawSetup& setup, CDsScene* scene, const int viewport[4],
                                                      CDsDrawContext* record)
{
    storage.emplace(view, options, setup, CDsGeometry::eDpFaces, 0, true, record);
    storage->PrepareForFrame(scene, view, viewport);
    return *storage;
}
