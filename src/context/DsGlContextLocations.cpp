// The context's walks over listed locations: their states (ModifyLocations, ModifyRootLocation),
// what they hold (GetLocationsInfo), the attributes one is displayed with (GetDisplayedAttribute),
// and drawing them at once with a forced state (DrawLocations, through DecorateLocations and the
// section passes).
//
// States: the scene database keeps locations per view, so a state given by path goes to the
// locations of every view of the context (each walked once, the database's current view put back
// afterwards); without views, to those of the database's current view.
//
// Decoration (DecorateLocations): the view whose OpenGL context is current chooses the kind by its
// render mode: modes 0 to 2 the hidden-line draw functor with walk flags 0x73B, the others the
// shade draw functor with 0x73F, less the caller's kinds. The highlight state (4) draws through
// the decoration's own primitive loop with the slaves of complexes left out; the other states
// through the draw functor's own leaf, every counted slave visited. Override attributes: special
// set 12 while display-manager flag 12 (hidden-line kinds) or document flag 8 (shade kinds) is
// set. In render mode 4 the decoration is blended (source alpha, one minus source alpha). Depth
// layers are those of a whole frame: the lines of the selected and highlighted states lie in the
// nearest layer, in front of every face, so that a decoration shows what a whole frame of the
// same states shows, behind other bodies and behind the location's own faces alike; faces keep
// the full range and stay hidden where the picture's faces hide them.
//
// Sections: what a section clips of the listed locations is drawn once per plane group of the
// stepped section with the group's clip planes on (a single pass without one), under the section
// plane's clip plane when there is one; then every other location of the listed subtrees once
// without clip planes (all of them when nothing is clipped). A section plane clips every listed
// location, as it clips the whole frame. A stepped section clips the items it lists: a listed
// location at or below one of them whole, and of a listed assembly the listed parts below it, so
// that the rest of the assembly is drawn unclipped and its sectioned parts keep their cut.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A mode-4 decoration puts back the blending switch and function it found: left on, blending
//   would reach whatever draws next behind the state cache's back. Likewise the section passes
//   put back clip plane 0 (switch and equation) as the caller had it.
// - The complex slaves of a non-highlight decoration are visited as in a full frame (slave mode 2)
//   in either kind.
#include "DsGlContext.h"

#include "DsGlScene.h"
#include "DsComplexSection.h"
#include "DsLocationWalks.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsRendererShade.h"
#include "DsSectionPlane.h"
#include "DsView3dCdc.h"
#include "RenderingConfiguration.h"
#include "VyrExceptionMask.h"
#include "view3d.h"

#include <GL/gl.h>

#include <optional>

namespace {

// Every view of the context; the database's current view alone when it has none.
std::vector<view3d*> ViewsOf(CDsGlContext& context, CDsScene& scene)
{
    std::vector<view3d*> views;
    viewport_iterator it(context.views());
    while (view3d* view = it.next()) views.push_back(view);
    if (views.empty()) views.push_back(scene.GetCurrentView());
    return views;
}

// Makes a view the database's current view for a scope and puts the one before back.
class CDbViewScope {
public:
    CDbViewScope(CDsScene& scene, view3d* view) : m_scene(scene), m_saved(scene.GetCurrentView())
    {
        scene.SetCurrentView(view);
    }
    ~CDbViewScope() { m_scene.SetCurrentView(m_saved); }
    CDbViewScope(const CDbViewScope&) = delete;
    CDbViewScope& operator=(const CDbViewScope&) = delete;

private:
    CDsScene& m_scene;
    view3d* m_saved;
};

// Puts clip plane 0 back as it was: its switch and its equation (kept in eye coordinates, so it
// is given again under an identity model-view).
class CClipPlane0Saver {
public:
    CClipPlane0Saver()
    {
        m_enabled = glIsEnabled(GL_CLIP_PLANE0);
        glGetClipPlane(GL_CLIP_PLANE0, m_equation);
    }
    ~CClipPlane0Saver()
    {
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glClipPlane(GL_CLIP_PLANE0, m_equation);
        glPopMatrix();
        if (m_enabled)
            glEnable(GL_CLIP_PLANE0);
        else
            glDisable(GL_CLIP_PLANE0);
    }
    CClipPlane0Saver(const CClipPlane0Saver&) = delete;
    CClipPlane0Saver& operator=(const CClipPlane0Saver&) = delete;

private:
    GLboolean m_enabled = GL_FALSE;
    GLdouble m_equation[4] = {0, 0, 0, 0};
};

// Puts the blending switch and function back as they were.
class CBlendSaver {
public:
    CBlendSaver()
    {
        m_enabled = glIsEnabled(GL_BLEND);
        glGetIntegerv(GL_BLEND_SRC, &m_source);
        glGetIntegerv(GL_BLEND_DST, &m_destination);
    }
    ~CBlendSaver()
    {
        if (m_enabled)
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        glBlendFunc(static_cast<GLenum>(m_source), static_cast<GLenum>(m_destination));
    }
    CBlendSaver(const CBlendSaver&) = delete;
    CBlendSaver& operator=(const CBlendSaver&) = delete;

private:
    GLboolean m_enabled = GL_FALSE;
    GLint m_source = GL_ONE;
    GLint m_destination = GL_ZERO;
};

// One decoration walk per listed path with the inner functor type F. Faces go first, in a walk of
// their own, and every other kind after them: drawn over a picture without writing depth (a
// highlight), a face drawn after a line of its location would cover it, where a whole frame
// keeps the line in front (its depth layer lies in front of the faces').
template <class F>
void DecorateWith(std::vector<CVyrObjectPath>& paths, int state, const std::vector<CVyrObjectPath>& list,
                  bool listMode, view3d* view, const SDsDrawOptions& options, SDsDrawSetup& setup, int walkFlags,
                  CDsScene& scene)
{
    const bool highlight = state == eAttribSetHighlight;
    for (const int flags : {walkFlags & CDsGeometry::eDpFaces, walkFlags & ~CDsGeometry::eDpFaces}) {
        if (!(flags & CDsGeometry::eDpKindMask)) continue;
        for (const CVyrObjectPath& path : paths) {
            CVyrObjectPath start;
            DsMakeItemPath(path, start);
            std::optional<F> inner;
            inner.emplace(view, options, setup, flags, highlight ? 0 : 2, false, nullptr);
            CDsGlDrawFunctor<F> functor(*inner, &path, state, &list, listMode, highlight, flags, view);
            CDsSceneWalk<CDsGlDrawFunctor<F>> walk(CDsPartStorage::instance(), functor, &scene);
            walk.TraversePart(start);
        }
    }
}

}  // namespace

// --- States --------------------------------------------------------------------------------------

void CDsGlContext::ModifyLocations(std::vector<CVyrObjectPath>& paths, EAttribSetIndex set)
{
    PushDisplaySuspension();
    CDsScene& db = m_scene->GetDbScene();
    const unsigned char state = static_cast<unsigned char>(set);
    if (!paths.empty()) {
        for (view3d* view : ViewsOf(*this, db)) {
            CDbViewScope scope(db, view);
            CDsModifyLocationsFunctor functor(&state);
            DsTraverseWholeSceneFiltered(CDsPartStorage::instance(), functor, &db, paths, false, false, false);
        }
    }
    if (paths.size() < 20)
        DsRecordChangedPaths(db, paths);
    else
        db.GetChangeLog().m_flag = 0;
    PopDisplaySuspension();
}

void CDsGlContext::ModifyRootLocation(EAttribSetIndex set, bool model)
{
    PushDisplaySuspension();
    CDsScene& db = m_scene->GetDbScene();
    for (view3d* view : ViewsOf(*this, db)) {
        CDbViewScope scope(db, view);
        CDsLocation* root = model ? db.GetMainLocation() : db.GetTempLocation();
        if (!root) continue;
        root->InvalidateChildrenState();
        root->SetState(static_cast<unsigned char>(set));
    }
    DsRecordChangedPath(db, CVyrObjectPath(model ? db.GetPeerPartId() : db.GetTempPartId()));
    PopDisplaySuspension();
}

void CDsGlContext::GetLocationsInfo(std::vector<CVyrObjectPath>& paths,
                                    std::vector<std::pair<CVyrObjectPath, SDsLocationInfo>>& info) const
{
    if (paths.empty()) return;
    CDsScene& db = m_scene->GetDbScene();
    CDsView3dCdc* view = CDsView3dCdc::sCurrentView;
    CDbViewScope scope(db, view && view->GetGlContext() == this ? view : db.GetCurrentView());
    CDsLocationsInfoFunctor functor(&info);
    DsTraverseWholeSceneFiltered(CDsPartStorage::instance(), functor, &db, paths, false, false, false);
}

bool CDsGlContext::GetDisplayedAttribute(const CVyrObjectPath& path, CDsAttributes& attributes) const
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return false;
    CDsScene& db = m_scene->GetDbScene();
    CDbViewScope scope(db, view);

    const int mode = view->GetRenderMode();
    const bool override = mode == eRenderShade || mode == eRenderMixed || IsMonochromeStateAllowedAndActive();
    SDsRenderFlags flags;
    SDsDrawOptions options(flags);
    if (override) options.overrideAttributes = CDsScene::GetSpecialAttrs(eAttribSetMonochrome);
    options.singleSlaveSpecial = m_scene->GetDisplayModeFlag(14);
    SDsDrawSetup setup;
    DsInitDrawSetup(setup, view, m_scene, false, false, false);

    std::optional<CDsGlAttributeFunctor> inner;
    inner.emplace(view, options, setup, 0x77, 2, false, nullptr);
    CDsDisplayedAttributeFunctor functor(*inner, path);
    const std::vector<CVyrObjectPath> paths(1, path);
    DsTraverseWholeSceneFiltered(CDsPartStorage::instance(), functor, &db, paths, false, false, true);
    if (!functor.IsFound()) return false;
    attributes = functor.GetAttributes();
    if (override) attributes *= options.overrideAttributes;
    return true;
}

// --- Drawing -------------------------------------------------------------------------------------

void CDsGlContext::DecorateLocations(std::vector<CVyrObjectPath>& paths, EAttribSetIndex set,
                                     const std::vector<CVyrObjectPath>& list, bool listMode, int excluded)
{
    auto* view = dynamic_cast<CDsView3dCdc*>(sCurrentView);
    if (!view || paths.empty()) return;
    CDsScene& db = m_scene->GetDbScene();
    CDbViewScope scope(db, view);

    const int mode = view->GetRenderMode();
    const bool shade = mode > eRenderPartialHiddenLines;
    int walkFlags = (mode == eRenderShade || mode == eRenderMixed ? 0x73F : 0x73B) & ~excluded;
    if (shade) walkFlags |= CDsGeometry::eDpFaces;
    const bool sheet = CDsRendererShade::IsSheetDocument(db.GetPeerPartId());

    std::optional<CBlendSaver> blend;
    if (mode == eRenderMixed) {
        blend.emplace();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    SDsRenderFlags flags;
    flags.depthMode = 3;
    SDsDrawOptions options(flags);
    const bool documentFlag1 = view->GetDocumentFlag(static_cast<EDsDocumentFlag>(1));
    SDsDrawSetup setup;
    if (shade) {
        if (m_scene->GetDisplayModeFlag(8)) options.overrideAttributes = CDsScene::GetSpecialAttrs(eAttribSetMonochrome);
        options.singleSlaveSpecial = m_scene->GetDisplayModeFlag(14);
        DsInitDrawSetup(setup, view, m_scene, CDsManager::GetInstance()->IsShaderEnabled() && !documentFlag1, !sheet,
                        documentFlag1);
        DecorateWith<CDsGlShadeFunctor>(paths, set, list, listMode, view, options, setup, walkFlags, db);
    } else {
        if (CDsManager::GetInstance()->GetFlag(12))
            options.overrideAttributes = CDsScene::GetSpecialAttrs(eAttribSetMonochrome);
        DsInitDrawSetup(setup, view, m_scene, false, false, documentFlag1);
        DecorateWith<CDsGlTraverseFunctor>(paths, set, list, listMode, view, options, setup, walkFlags, db);
    }
    if (shade && m_scene->AllowsShaders()) m_scene->EnableShaders(false);
}

void CDsGlContext::DecorateLocationsWithSections(std::vector<CVyrObjectPath>& paths, EAttribSetIndex set,
                                                 int excluded)
{
    CDsComplexSection* complex = m_scene->GetComplexSection();
    CDsSectionPlane* plane = m_scene->GetSectionPlane();
    // A section plane clips everything, as in the frame; a stepped section what it lists, which
    // may lie below a listed path (the parts of an assembly).
    std::vector<CVyrObjectPath> clipped;
    bool allClipped = false;
    if (plane) {
        clipped = paths;
        allClipped = true;
    } else if (complex) {
        allClipped = DsGatherClippedPaths(paths, complex->GetPaths(), clipped);
    }
    std::vector<CVyrObjectPath> all(paths);

    const int passes = complex && complex->GetGroupCount() > 1 ? complex->GetGroupCount() : 1;
    std::optional<CClipPlane0Saver> saved;
    if (plane) {
        saved.emplace();
        glEnable(GL_CLIP_PLANE0);
        glClipPlane(GL_CLIP_PLANE0, plane->GetEquation());
    }
    for (int group = 0; group < passes; ++group) {
        if (complex && group < complex->GetGroupCount()) complex->EnableClipPlanes(group);
        if (!clipped.empty()) DecorateLocations(all, set, clipped, true, excluded);
        if (complex && group < complex->GetGroupCount()) complex->DisableClipPlanes(group);
    }
    if (plane) {
        glDisable(GL_CLIP_PLANE0);
        saved.reset();
    }
    // Nothing is left for the last pass when every listed location was clipped whole.
    if (allClipped) return;
    DecorateLocations(all, set, clipped, clipped.empty(), excluded);
}

void CDsGlContext::DrawLocations(std::vector<CVyrObjectPath>& paths, EAttribSetIndex set, int buffer, int excluded)
{
    auto* view = dynamic_cast<CDsView3dCdc*>(sCurrentView);
    if (!view || view->GetGlContext() != this || paths.empty() || GetDisplaySuspensionMode()) return;
    CRenderingConfigurationScope configuration(static_cast<GLenum>(buffer));
    if (!configuration.Get()) return;
    CVyrExceptionMask mask;
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    if (w <= 0 || h <= 0) return;
    SetupRenderingTransforms(view, false, nullptr);
    view->SetLocationState(set);
    DecorateLocationsWithSections(paths, set, excluded);
    if (buffer == GL_BACK && IsRestoreHighlightNecessary()) {
        if (configuration.IsActive()) configuration.End(false);
        prv_Highlight(false);
    }
    view->SetLocationState(eAttribSetNormal);
}
