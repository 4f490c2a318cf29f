// CDsGlScene: the scene of one OpenGL rendering context (CDsGlContext), made and deleted by the
// context. It holds everything the context draws and the settings that belong to the document
// rather than to a view:
// - seven root item groups into which the context files the item trees it builds: wire bodies
//   (bodies without faces), bodies with faces, copies, hidden-line views, toolpaths, figures and
//   an unsorted group. With document flag 7 on (the start) AddItemsGroup files a group by its kind
//   (its item type); with it off, everything goes to the unsorted group. The root groups own what
//   is filed in them; RemoveItemsGroup takes a group out without deleting it. A hidden-line view
//   filed by kind gets its box updated and the visibility the attribute manager holds for its
//   entity on every segment.
// - the refinement of faceting (CVyrRefinement), filled from the display preferences and made
//   the process's current refinement when the scene is made; it stops being current when the
//   scene goes;
// - the viewport background (a background item), the scene database's scene (CDsScene) whose
//   locations the walks visit, the model box, the performance monitor, the display-state history,
//   the attributes palette of 16 entries, the vertex-colour palette and the rotation reference;
// - the document flags (EDsDocumentFlag 0 to 26), flags 5, 7 and 25 on at the start, so that
//   object types 15 and 63 start hidden in the database scene. A change of flag 0, 1, 8, 12, 21 or
//   22 marks the render mode as changed, a change of flag 2, 3, 4, 5, 10, 14 or 25 (the others a
//   frame reads: the reference triad, the wireframe background, the depth planes) the picture
//   properties; flags 4, 5 and 25 hide or show object types 10 to 12, 15 and 63 in the database
//   scene; setting a flag to the value it has does nothing. An index outside 0..26 is ignored (and
//   read as false). Flag 15 is cleared by every change of the scene's content, flag 16 set by the
//   first group filed.
// - the display-suspension counter (at least 1 after a raise, never below 0), the refresh
//   counter, the silhouette level (1, cylinders, at the start) and the largest diagonal drawn
//   during a fast refresh (0, no limit);
// - two validity flags, true at the start: the picture properties and the render mode. Changes
//   clear them; the refresh that has taken a change into account sets them again. The settings a
//   frame reads from the scene that may change without its setters (lights, ambient and material,
//   background, reference system, whether shaders light the faces) are compared before every
//   change query with what the last query saw, so that a setting changed by any road (a setter of
//   the context or of the scene, a light changed through GetLight, a background set through
//   GetBackground) is drawn. The attributes palette's entries, which colour and hide toolpath
//   nodes, are its items' content: a change of them (the palette's revision differs from the one
//   the scene last saw, at a change query or when the scene's box is asked for) invalidates the
//   content.
//
// Choices where the behaviour was open:
// - A group of none of the six known kinds, filed while flag 7 is on, goes to the unsorted group,
//   so that it is drawn and found like any other (filed nowhere it would be lost).
// - The cheap extrema (ComputeExtrema without `full`) measure the corners of the database scene's
//   bound box, or of the root groups' box while the database shows nothing; the full measure
//   draws the scene database into the measuring view (DsExtremaWalk.h), then the root groups
//   (a group the host shows without filing it in the database has an extent too; what is measured
//   twice does not move the extremes).
//
// - the vertex and fragment programs (CDsVertexShader, CDsPixelShader), loaded from the data
//   folder by LoadShaderPrograms and deleted with the scene.
//
// Choices where the behaviour was open:
// - Shaders light the faces (AllowsShaders, DsShadersLightFaces) only while the scene holds a
//   vertex program: a scene whose program files were missing or rejected keeps lighting its faces
//   with the fixed lights, which are then sent as without shaders, rather than drawing them unlit.
//
// - the sections: a single section plane (CDsSectionPlane) or a stepped section
//   (CDsComplexSection), both owned. The frame draws a stepped section's items once per plane
//   group with the group's clip planes on and view flag 12 set, and then everything else once
//   unclipped; a section plane clips the whole frame through GL_CLIP_PLANE0. A point is clipped
//   when the plane clips it or the stepped section does (IsPointClipped); an item can be clipped
//   when there is a section plane, or the stepped section applies to it (CanItemBeClipped).
//   While the scene holds a section its shaders do not light faces (AllowsShaders), so the fixed
//   lights are sent. Setting, changing or dropping a section makes every view draw its whole
//   picture again (the picture properties count as changed).
//
// - the reference coordinate system (CDsItemsUcsReference), made with the scene and owned; the
//   frame draws its triad last (DrawReferenceUcs).
//
// - the lamps of the lights: SetDrawLightFigures records or removes them through one of the owner
//   context's core views made the current view for the while (the current view of another
//   context would take them into its own scene), and the destructor removes them first.
// - the monochrome colour (SetMonochromeColor) is kept by the scene for the host; the picture
//   number of transparent views is the performance monitor's number of animation pictures.
// - statistics: CountStatistics counts the items of every root group into the performance
//   monitor's statistics object, made anew for each count.
// - the picks over the root groups (DsGlScenePicks.cpp): reference points, the entity picks of
//   figures and copies, and the figure pick walk (PickFigures).
// - copies follow what they copy: a group that leaves the scene (RemoveItemsGroup) is let go by
//   every copy made from it or from a group inside it, wherever the copy is filed.
#pragma once

#include <afx.h>

#include "DsBox.h"
#include "DsColorStorage.h"
#include "DsItemBackground.h"
#include "DsItemsGroup.h"
#include "DsLightList.h"
#include "DsPerformanceMonitor.h"
#include "DsScene.h"
#include "DsSyncWalk.h"
#include "VyrViewTypes.h"

#include <bitset>
#include <cstdint>
#include <deque>
#include <vector>

class CDsAttributesPalette;
class CDsRefPoint;
class CDsTypeMask;
class CUiPickEvent;
class pick_manager;
class CDsComplexSection;
class CDsFigure;
class CDsItemsFigure;
class CDsItemsUcsReference;
class CDsGlContext;
class CDsPalette;
class CDsPixelShader;
class CDsSectionPlane;
class CDsSelectAllData;
class CDsStateContainer;
class CDsVertexShader;
class CDsViewExtrema;
class CGmTransformation;
class CVyrComplexSection;
class CVyrRefinement;
class ENTITY_LIST;

// The scene of an OpenGL rendering context.
class AFX_EXT_CLASS CDsGlScene {
public:
    // Number of document flags (0 to 26).
    static constexpr int kDocumentFlagCount = 27;

    // The root groups, in their order.
    enum ERootGroup : int {
        eRootWireBodies = 0,  // bodies without faces
        eRootBodies = 1,      // bodies with faces
        eRootCopies = 2,      // copies
        eRootHlViews = 3,     // hidden-line views
        eRootToolpaths = 4,   // toolpaths
        eRootFigures = 5,     // figures
        eRootUnsorted = 6,    // everything filed while flag 7 is off
        eRootCount = 7
    };

    // The scene of `owner` (not owned); `sceneNumber` names the scene database's scene.
    CDsGlScene(CDsGlContext* owner, int sceneNumber);
    // Not copyable: a scene belongs to one context.
    CDsGlScene(const CDsGlScene&) = delete;
    // Not copyable.
    CDsGlScene& operator=(const CDsGlScene&) = delete;
    // Clears flag 15, resets and deletes the section plane, deletes the history, the stepped
    // section, gives back the attributes palette, deletes the vertex-colour palette and the
    // rotation reference, then the root groups with everything filed in them.
    virtual ~CDsGlScene();

    // The owning context.
    CDsGlContext* GetOwner() const { return m_owner; }
    // The number of the scene database's scene.
    int GetSceneNumber() const { return m_sceneNumber; }
    // The scene database's scene.
    CDsScene& GetDbScene() { return m_dbScene; }

    // --- Root groups ----------------------------------------------------------------------
    // Root group `which` (never null for 0..6; null outside).
    CDsItemsGroup* GetRootGroup(ERootGroup which);
    // Files `group` (owned by the root group from here on) into the root group of its kind, or
    // into the unsorted group while flag 7 is off; a toolpath or figure group gets the owning
    // context. Flag 16 is set, and flag 15 cleared unless flag 7 is off; a hidden-line view filed
    // by kind, which the frames draw from its root group, makes every view draw its whole picture
    // (InvalidateContent). Nothing for null.
    void AddItemsGroup(CDsItemsGroup* group);
    // Takes `group` out of its root group and out of the unsorted group, without deleting it (a
    // toolpath or figure group loses its context); every copy made from it or from a group inside
    // it (in the copies or the unsorted group) is detached (CDsItemsCopy::ReleaseBody) and stays
    // where it is; flag 15 is cleared (InvalidateContent for a hidden-line view taken out of its
    // root group). Nothing for null.
    void RemoveItemsGroup(CDsItemsGroup* group);
    // Active: a group found in the unsorted group is filed by its kind. Inactive: a group found in
    // the wire-bodies, bodies or figures group moves to the unsorted group. A group found nowhere
    // stays where it is. Flag 15 is cleared when the group moved.
    void ActivateGroup(CDsItemsGroup* group, bool active);
    // The first child of `group` showing `entity`, null when none (or for a null group).
    CDsItemBase* FindItemInGroup(CDsItemsGroup* group, const ENTITY* entity) const;
    // The first child of the figures group that is the group of `figure` (its figure
    // back-pointer); null for null or when none is.
    CDsItemsFigure* FindGroupById(CDsFigure* figure);
    // For each body with faces: bodies + 1, faces + its faces, edges + the children of its edges
    // group (added to the caller's counts).
    void CountGroupsItems(int& bodies, int& faces, int& edges);
    // Unless `keep`: every body with faces deletes its display list.
    void UpdateGroupsDisplayLists(bool keep);
    // ResetAttributes on every child of the bodies, figures, hidden-line views, wire bodies,
    // toolpaths and copies groups (not the unsorted group), and on every figure recorded in the
    // scene's temporary part (CDsFigure::ResetAttributes); then InvalidateContent.
    void ResetAttributes(EDsResetAttributeAction action);
    // Offers `entity` with its persistent id to the children of the bodies, unsorted, figures and
    // wire-bodies groups in that order (CDsItemBase::AttachEntity); true when one took it.
    bool AttachEntity(ENTITY* entity, int componentId);
    // Shows the wire bodies, bodies, hidden-line views, figures and toolpaths (hide level 0 to
    // each root group and its subtree); copies and the unsorted group are left alone. Then
    // InvalidateContent.
    void ForceShowAll();
    // The children of the bodies, unsorted, wire-bodies and toolpath groups, in that order.
    void CollectBodies(std::vector<CDsItemBase*>& out);
    // The groups a pick may visit in `view`, in order: the bodies, wire bodies and hidden-line
    // views that CDsItemsGroup::IsPickAvailable(view, true, acceptOutside) accepts, the copies that
    // IsPickAvailable(view, false, false) accepts, and every toolpath. With flag 19 set the items'
    // screen boxes are computed first and the flag cleared.
    void CollectPickableItems(view3d* view, bool acceptOutside, std::vector<CDsItemsGroup*>& out);
    // A reference point of the children of the wire bodies, bodies, copies and hidden-line views
    // (the views only where the frames draw them, DrawsHlViews), then of the figures (an entity
    // group's figure asked under processor state 3); the first answer, null when none
    // (DsGlScenePicks.cpp).
    CDsRefPoint* PickRefPoint(CUiPickEvent& event, const CDsTypeMask& mask);
    // Whether the frames of `view` draw the scene's hidden-line views: the hidden-line renderer
    // draws them, in the render modes of hidden lines (removed or dimmed); the frames of the other
    // modes leave them out, and so do the picks that answer what the window shows. False for a
    // null view (DsGlSceneFrame.cpp).
    static bool DrawsHlViews(view3d* view);
    // Figures, then copies unless a single pick (mode 0 or 1) found something, picked with a
    // CDsPickManager; the number of hits, 0 for any other manager (DsGlScenePicks.cpp).
    int PickEntities(pick_manager* manager);
    // Every child of the figures group picks itself with `manager`, except a child that shows an
    // entity, one the figure filter (CDsItemsFigure::sDlFigProc) rejects, one whose first child is
    // a display-list polygon item and one whose first or last child is a polygon array; the number
    // that answered true (DsGlScenePicks.cpp).
    int PickFigures(pick_manager* manager);
    // The entities of the root groups accepted by `data` (each once) into `list`.
    void CollectSelectAll(CDsSelectAllData& data, ENTITY_LIST& list);
    // Computes the screen boxes of the items of the bodies, wire-bodies and copies groups (not
    // during a fast refresh, view flag 3) and of the hidden-line views (always), then makes `view`
    // the view whose viewport the items' screen tests read (CDsRectangle::StCacheViewport).
    // Nothing for a null view.
    void ComputeItemsBounds2D(view3d* view);

    // --- One frame of a view ----------------------------------------------------------------
    // What changed for `view` since it last drew: a total change while the view refreshes
    // continuously (counts 0, lists untouched), else the scene database's answer.
    EChangeStatus GetChanges(CDsScene::TChangedPaths& paths, CDsScene::TChangedIds& ids, int& logNumber,
                             int& dbNumber, view3d* view);
    // Brings `view`'s locations up to date for `status` (EChangeStatus) and fills `dirty`
    // (emptied first) with the rectangles to redraw, empty for the whole viewport; returns
    // `status`. A partial change keeps a rectangle per changed path unless an id or path is
    // flagged, four or more paths changed, or two rectangles overlap; a path without a rectangle
    // stands for the viewport. When a changed location moved since its boxes were computed (its
    // model box is no longer valid), the boxes are computed again and its rectangle covers where it
    // was and where it now is. Nothing is done for a null view.
    int Synchronize(TDsLocationRects& dirty, int status, CDsScene::TChangedPaths& paths, CDsScene::TChangedIds& ids,
                    view3d* view);
    // One frame: per dirty rectangle (or for the viewport) the clear and the background; the
    // renderer of the view's render mode, through the passes of the sections; then the reference
    // triad.
    void DrawFrame(view3d* view, TDsLocationRects& dirty);
    // One Render per dirty rectangle widened by 3 pixels, or one for the viewport.
    void RenderRects(int mode, const std::vector<CVyrObjectPath>* paths, bool walkAll, TDsLocationRects& dirty,
                     view3d* view);
    // The renderer of `mode` on the rectangle {left, top, right, bottom} (y up), then the pass of
    // the temporary part.
    void Render(int mode, const std::vector<CVyrObjectPath>* paths, bool walkAll, const int rect[4], view3d* view);
    // The location `path` of the temporary part drawn alone over the picture, by the pass of the
    // temporary part over the viewport (no clear), then the reference triad.
    void DrawAddedLocation(view3d* view, const CVyrObjectPath& path);
    // Whether an item of the temporary part other than `except` has faces or images drawn blended
    // (a transparency of 1 to 254): such a face is blended over what the pass drew before it.
    bool TemporaryPartBlends(const CVyrObjectId& except) const;
    // The plot frame: the peer part, then the temporary part, through the view's own drawing.
    void RenderPlot(view3d* view);
    // The reference triad in the view's corner.
    void DrawReferenceUcs(view3d* view);

    // --- Document flags -------------------------------------------------------------------
    // Sets or clears document flag `index` and runs its effect (header comment); nothing when
    // the flag already has that value or the index is outside 0..26.
    void SetDisplayModeFlag(int index, bool value);
    // Document flag `index`; false outside 0..26.
    bool GetDisplayModeFlag(int index) const;
    // Reads the "GeomCurveClr" colour preference; when present it becomes the colour of the
    // special sets 10 of the scene database and of the line attributes (inherit flag cleared).
    void LoadGeomCurveColor();

    // --- Display suspension ---------------------------------------------------------------
    // Raises the counter by one; it is at least 1 afterwards. Answers the new value.
    int IncrementDisplaySuspension();
    // Lowers the counter by one, never below 0. Answers the new value.
    int DecrementDisplaySuspension();
    // The counter.
    int GetDisplaySuspension() const { return m_suspension; }
    // True while the counter is above 0.
    bool IsDisplaySuspended() const { return m_suspension > 0; }
    // Sets the counter to 0 and answers what it was.
    int ResetDisplaySuspension();

    // --- Counters and settings ------------------------------------------------------------
    // Counts one more refresh.
    void IncrementRefreshCounter() { ++m_refreshCounter; }
    // Refreshes counted since the start or the last reset.
    long GetRefreshCounter() const { return m_refreshCounter; }
    // Back to 0.
    void ResetRefreshCounter() { m_refreshCounter = 0; }
    // Stores the silhouette level (any value: the renderers read it as it is); a new level invalidates
    // the picture properties.
    void SetSilhouetteLevel(EDsSilhouetteLevel level);
    // The silhouette level.
    EDsSilhouetteLevel GetSilhouetteLevel() const { return m_silhouetteLevel; }
    // Stores the largest diagonal, in pixels, drawn during a fast refresh; a negative or
    // non-finite value becomes 0 (no limit).
    void SetMaxDiagonalSizeForFastRefresh(float size);
    // The largest diagonal drawn during a fast refresh (0: no limit).
    float GetMaxDiagonalSizeForFastRefresh() const { return m_maxFastDiagonal; }
    // The background item.
    CDsItemBackground& GetBackground() { return m_background; }
    // The reference coordinate system (never null while the scene lives).
    CDsItemsUcsReference* GetReferenceUcs() const { return m_referenceUcs; }
    // The lights (never null).
    CDsLightList* GetLightList() { return &m_lights; }
    // Sends the light model for `view`: nothing while the scene's shaders light the faces
    // (DsShadersLightFaces); otherwise the ambient light, then the lights.
    void ApplyLightModel(view3d* view);
    // Shows or hides the lights as lamps (fitted to the scene's bound box when shown, see the
    // header comment); clears document flag 15.
    void SetDrawLightFigures(bool show);
    // Every child of the bodies-with-faces group widens (+1) or narrows (-1) its edges
    // (CDsItemsBody::UpdateEdgeWidths); then InvalidateContent.
    void SetOpenEdgesOnItems(int delta);
    // Draws `items` into the front buffer of `view` (its OpenGL context current and set up):
    // display-manager flag 10 set meanwhile, depth test, lighting and normalising off, the
    // sections' clipping and the palettes as a frame has them, each item's DrawToFrontBuffer; then
    // glFlush. The draw buffer, the switches (depth test, lighting, normalising, blending, logic
    // op, clip planes), the line width and the matrix mode are then as the caller had them.
    // Nothing for a null view.
    void DrawToFrontBuffers(view3d* view, const std::deque<CDsItemBase*>& items);
    // Counts the items of every root group into a new statistics object of the performance
    // monitor (the old one deleted first).
    void CountStatistics();
    // The monochrome colour kept for the host.
    void SetMonochromeColor(const CDsColorStorage& color) { m_monochromeColor = color; }
    // The monochrome colour.
    const CDsColorStorage& GetMonochromeColor() const { return m_monochromeColor; }
    // Resets the face transformations of the body group `body` (nothing for null).
    void ResetFaceTransformations(CDsItemsGroup* body);
    // The performance monitor.
    CDsPerformanceMonitor& GetPerformanceMonitor() { return m_performance; }
    // The attributes palette (16 entries, one reference held by the scene). Its entries may be
    // changed through it at any time: the scene sees the change by the palette's revision.
    CDsAttributesPalette* GetAttributesPalette() const { return m_attributesPalette; }
    // Replaces the vertex-colour palette by a copy of `palette` (none for null).
    void SetVertexColorPalette(const CDsPalette* palette);
    // The vertex-colour palette, null when none.
    const CDsPalette* GetVertexColorPalette() const { return m_vertexColors; }
    // Whether the scene's shaders may light faces: it holds a vertex program and no section
    // (neither a section plane nor a stepped section). Whether shaders are switched on is the
    // caller's question.
    bool AllowsShaders() const;
    // Switches each program the scene holds on (bound and enabled) or off.
    void EnableShaders(bool on);
    // Deletes the programs held; then, when shaders are switched on (display-manager flag 13),
    // loads the vertex program "<v>vert.txt" and the fragment program "<f>frag.txt" of the
    // "display/shaders" folder of the data folder, v and f the debug floats 0 and 1 (0 means
    // version 1, a negative value no program of that kind). A program whose file is missing or
    // that the driver rejects is not kept. False, the programs left as they are, unless both
    // program extensions were loaded (a context must be current); else true.
    bool LoadShaderPrograms();
    // The vertex program, null when none is loaded.
    CDsVertexShader* GetVertexShader() const { return m_vertexShader; }
    // The fragment program, null when none is loaded.
    CDsPixelShader* GetPixelShader() const { return m_pixelShader; }
    // The refinement of faceting (never null; owned by the scene).
    CVyrRefinement* GetRefinement() const { return m_refinement; }
    // Reads the faceting preferences into the refinement and makes it current; with `once`, only
    // the first time (document flag 18 remembers it).
    void UpdateRefinement(bool once);

    // --- Sections ------------------------------------------------------------------------
    // The section plane, null when none.
    CDsSectionPlane* GetSectionPlane() const { return m_sectionPlane; }
    // Makes the section plane through `point` with the kept side `normal`, or sets the existing
    // plane anew (its items and transformation dropped).
    void SetSection(const SPAposition& point, const SPAvector& normal);
    // Flips the section plane; nothing without one.
    void FlipSection();
    // Moves the section plane by `distance` along its normal; nothing without one.
    void TranslateSection(double distance);
    // Sets the section plane's transformation; nothing without a plane.
    void SetSectionTransformation(const CGmTransformation& transformation);
    // Resets and deletes the section plane; nothing without one.
    void ResetSection();
    // The stepped section, null when none.
    CDsComplexSection* GetComplexSection() const { return m_complexSection; }
    // Replaces the stepped section by one made from `section`, which the scene owns from here on
    // (null: no stepped section).
    void SetComplexSection(CVyrComplexSection* section);
    // Whether the scene holds a section plane or a stepped section.
    bool HasSection() const { return m_sectionPlane || m_complexSection; }
    // True when the section plane clips `point` (it lies farther than 1e-5 behind the plane) or
    // the stepped section does; false without a section.
    bool IsPointClipped(const SPAposition& point) const;
    // True when the item at `path` can be clipped: there is a section plane, or the stepped section
    // applies to the item.
    bool CanItemBeClipped(const CVyrObjectPath& path) const;

    // --- Rotation reference ---------------------------------------------------------------
    // Keeps copies of the two directions and the position of the rotate-to-plane reference.
    void SetRotateToPlaneReference(const SPAvector& first, const SPAvector& second, const SPAposition& position);
    // The directions and the position; false unless both directions are set (the position is
    // the origin when none is kept).
    bool GetRotateToPlaneReference(SPAvector& first, SPAvector& second, SPAposition& position) const;
    // Keeps a copy of the default rotation centre.
    void SetDefaultRotationCenter(const SPAposition& centre);
    // The default rotation centre, null when none is kept.
    const SPAposition* GetDefaultRotationCenter() const { return m_rotationCentre; }

    // --- Validity ------------------------------------------------------------------------
    // Whether the picture properties are unchanged since the last refresh took them in.
    bool IsPicturePropsValid() const { return m_picturePropsValid; }
    // Sets the picture-properties flag.
    void SetPicturePropsValid(bool valid) { m_picturePropsValid = valid; }
    // Whether the render mode is unchanged since the last refresh took it in.
    bool IsRenderModeValid() const { return m_renderModeValid; }
    // Sets the render-mode flag.
    void SetRenderModeValid(bool valid) { m_renderModeValid = valid; }
    // The picture properties changed (lights, background, sections, what the document flags show):
    // the flag is cleared and every view of the scene draws its whole picture at its next refresh.
    void InvalidatePictureProps();
    // What the render mode makes of the items changed: the render-mode flag is cleared, the
    // locations' cached attributes (which hold what the last render mode made of them) go, and
    // every view of the scene draws its whole picture at its next refresh.
    void InvalidateRenderMode();
    // What the scene's items draw changed without the scene database seeing it (their attributes,
    // meshes or curves changed in place): flag 15 is cleared, every view of the scene draws its
    // whole picture at its next refresh, and the boxes are measured anew.
    void InvalidateContent();
    // Called before every change query: a change since the last query of a setting the frame
    // reads from the scene that the scene's own setters do not see (the lights, ambient and
    // material, the background, the reference system, whether shaders light the faces), made by
    // any road, invalidates the picture properties; a change of the attributes palette's entries
    // or an edit of a recorded figure's items invalidates the content (NotePaletteChanges,
    // NoteFigureEdits). The vertex-colour palette, the silhouette level and the shader programs
    // invalidate the picture properties as they are set.
    void NotePictureChanges();
    // A change of the attributes palette's entries since the scene last looked (its revision
    // differs) invalidates the content (InvalidateContent): the toolpath nodes they colour, hide
    // or show are drawn, boxed and picked anew.
    void NotePaletteChanges();
    // An edit of a recorded figure's items, on the items themselves, since the scene last looked
    // (CDsFigure::StItemEdits differs) invalidates the content (InvalidateContent): a toolpath's
    // nodes added, removed, recoloured or hidden by uid path, a leaf given other attributes on its
    // own item, are drawn, boxed and picked anew. Looked at with the palette's changes.
    void NoteFigureEdits();
    // Called before every change query as well: the body groups whose faces' meshes were edited
    // in place since the last query tell the context (CDsItemsBody::TakeMeshEdits), so that the
    // refresh draws the new shapes.
    void NoteMeshEdits();
    // Called by the picks before they walk on `view`: the edits of the scene's content that the
    // scene database does not see (NotePaletteChanges, NoteFigureEdits, NoteMeshEdits), and the
    // locations' boxes computed anew where the content changed since the last frame, so that a
    // pick made before the next refresh finds the items where they now are, and its pre-filter
    // reads their window boxes as a frame would (a pick right after a frame and one after a change
    // agree).
    void NoteContentEdits(view3d* view);

    // --- Display-state history ------------------------------------------------------------
    // The history of display states (never null; owned by the scene).
    CDsStateContainer* GetStateContainer() const { return m_history; }

    // --- Measuring ------------------------------------------------------------------------
    // The database scene's bound box as a display box (empty when it holds nothing), after a
    // look for changes of the attributes palette (NotePaletteChanges).
    CDsBox GetBoundsBox();
    // The database scene measures its bound box (and the boxes of its locations) again, for items
    // whose extent changed without the database knowing; answers the new box as GetBoundsBox.
    CDsBox RecomputeBoundsBox();
    // The box of the root groups' items (empty when they hold nothing).
    CDsBox GetItemsBox();
    // Measures what the scene shows into `view`: cheaply from the bound box, or with `full`
    // exactly, by drawing the scene database into the view (the extrema walk). Nothing for null.
    void ComputeExtrema(CDsViewExtrema* view, bool full);
    // Measures exactly the locations of `paths` (with their subtrees and the ancestors leading to
    // them) into `view`; the whole scene for an empty list. Nothing for null.
    void ComputeExtrema(CDsViewExtrema* view, const std::vector<CVyrObjectPath>& paths);

private:
    // The root group of `group`'s kind.
    ERootGroup KindOf(CDsItemBase* group);
    // The frame's passes of the sections (see the header comment).
    void RenderSections(int mode, TDsLocationRects& dirty, view3d* view);
    // The view's locations in step with the items, their model boxes validated and their window
    // boxes computed by the location-box walk (`recount`: count the slaves again), timed under
    // `label` when a time report is open.
    void ComputeLocationBoxes(view3d* view, bool recount, const wchar_t* label);

    // The settings a frame reads from the scene, as NotePictureChanges compares them.
    struct SPictureSettings {
        uint64_t lighting = 0;                // the light list's state stamp
        uint32_t backgroundColors[2] = {0, 0};  // the background and its gradient colour
        bool gradient[2] = {false, false};    // the gradient used, inverted
        double referenceUcs[12] = {};         // the reference system's three axes and origin
        bool shadersLightFaces = false;       // shaders switched on and the scene's allowed to light

        bool operator==(const SPictureSettings& other) const;
    };
    // The settings as they are now.
    SPictureSettings ReadPictureSettings() const;

    std::bitset<kDocumentFlagCount> m_flags;
    CDsGlContext* m_owner;
    int m_sceneNumber;
    CDsItemsGroup m_roots[eRootCount];
    CDsSectionPlane* m_sectionPlane = nullptr;
    CDsComplexSection* m_complexSection = nullptr;
    CDsItemBackground m_background;
    CDsItemsUcsReference* m_referenceUcs = nullptr;
    CDsLightList m_lights;
    CDsPerformanceMonitor m_performance;
    CDsBox m_modelBox;
    SPAbox m_modelerBox;
    SPAposition* m_rotationCentre = nullptr;
    SPAvector* m_rotateFirst = nullptr;
    SPAvector* m_rotateSecond = nullptr;
    SPAposition* m_rotatePosition = nullptr;
    CDsStateContainer* m_history = nullptr;
    CDsPalette* m_vertexColors = nullptr;
    CDsAttributesPalette* m_attributesPalette = nullptr;
    CVyrRefinement* m_refinement = nullptr;
    CDsPixelShader* m_pixelShader = nullptr;
    CDsVertexShader* m_vertexShader = nullptr;
    CDsScene m_dbScene;
    int m_suspension = 0;
    long m_refreshCounter = 0;
    EDsSilhouetteLevel m_silhouetteLevel = eDsSilhouetteCylinders;
    float m_maxFastDiagonal = 0.0f;
    bool m_picturePropsValid = true;
    bool m_renderModeValid = true;
    CDsColorStorage m_monochromeColor;
    SPictureSettings m_seenSettings;  // the settings at the last change query
    uint64_t m_meshChanges = 0;       // the meshes' revisions counted at the last look for edits
    uint64_t m_paletteRevision = 0;   // the attributes palette's revision at the last look
    uint64_t m_figureEdits = 0;       // the edits of recorded figures' items counted at the last look
};

// Whether the faces `view` draws are lit by its scene's shaders rather than by the fixed lights:
// shaders switched on in the display manager, the view's document flag 1 clear, and the scene of
// the view's rendering context allowing shaders (CDsGlScene::AllowsShaders). False for null.
AFX_EXT_API bool DsShadersLightFaces(view3d* view);
