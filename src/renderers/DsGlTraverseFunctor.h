// CDsGlTraverseFunctorT: the draw walk's functor, with which the renderers (and the extrema, plot
// and attribute walks) turn the scene database into drawing. For each node the scene walk enters it
// works out the node's state and attributes (from the location's cache when it is valid), pushes
// its transform, decides whether the node is drawn (hidden attributes, size on screen during a
// fast refresh, off the viewport when most of the scene is), sends only the state that changed and
// has the node's geometry draw each primitive kind that both the geometry and the pass ask for.
// Slaves of complexes take the states of their special masters; leaves of regions are gathered
// into runs of consecutive ids with one look, kept in the region's location and drawn run by run.
//
// One template, one policy per functor type (the walk is compiled once per type; nothing is
// virtual):
//   policy            stored attributes      colour      face offset  per-kind filter  draws through
//   HiddenLine        slave style only       lightened   (2, 2)       none             OpenGL
//   Shade             + white faces, opaque  as is       offset + 1   none             OpenGL
//   MixedOpaque       as Shade               as is       offset + 1   opaque pass      OpenGL
//   MixedTransparent  as Shade               as is       offset + 1   transparent pass OpenGL
//   Plot              slave style only       lightened   -            untagged faces   the view's driver,
//                                                                                      attributes to the view
//   Extrema           slave style only       -           -            none             the view's driver
//   AttributeOnly     slave style only       -           -            none             nothing
// The driver-drawing types push transforms only on the walk's stack, never on OpenGL's, and do not
// cull by size or by screen box.
//
// The helpers declared below are exported: the template's operations are compiled into whichever
// program instantiates a functor type, a host's included, and call them there.
//
// State word (itemState): bits 0 to 7 the state (EAttribSetIndex), 0x100 drawn on top, 0x200 the
// location keeps its own attributes, 0x400 the geometry asks for a polygon offset.
//
// A location's cached draw data (CDsLocation::SetCachedData) is what the scene database gives it:
// its state and attributes, the location's on-top and own-attributes bits, all of which the
// database's attribute generation follows. What a pass makes of them (the policy's stored
// attributes above: white faces, opaque, the slaves' style) and the geometry's on-top and offset
// bits are worked out again at every visit, since they follow the pass's options and the
// primitives the geometry draws now, which change without the database knowing.
//
// Region runs, kept in the region's location cache: a count (negative while the list grows,
// positive once it is complete), then three ints per run: first id, last id, key = object type |
// state << 8 | on top << 16. A run closes at a change of key, at a hidden leaf and at a gap in the
// ids, so that every run is an exact range of ids. In a fast refresh no leaf is examined and the
// runs of the last full frame are drawn.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The functor owns (and frees) the fast-refresh record it makes when none is passed.
// - A node without any geometry (its own or its region parent's) is walked into.
// - After a geometry reports that it changed OpenGL state behind the walk (the record's
//   keepAttributeCache false), the next item resends its whole state: the memo is forgotten and
//   the state cache too.
// - A list of runs built while a path filter offered only some of a region's leaves is drawn but
//   not kept, so that an unfiltered frame afterwards still draws every leaf.
// - A location cache of runs whose size does not match its count is read only as far as it holds
//   whole runs; a region without a location draws nothing (its runs have nowhere to live).
// - An OpenGL-drawing type that enters an item without children (categories 0 to 2) from its
//   location's cache pushes nothing on the base's attribute and state stacks, since only the items
//   below an item read them: during such an item's visit GetTopAttributes answers its parent's.
// - After a complex walked without its slaves the walk phase stays "masters" until the next
//   complex starts; items entered meanwhile are recorded as masters, which no slave ever reads.
// - An OpenGL-drawing functor hands back, when it is destroyed, the per-item state it sends:
//   faces switch polygon offset on, and a frame that ended with it on would push every face a
//   selection pass or a host draws afterwards (a face seen edge-on onto the near plane).
#pragma once

#include "DsDrawContext.h"
#include "DsDrawSetup.h"
#include "DsGlSeam.h"
#include "DsGlStateCache.h"
#include "DsSceneWalk.h"

#include "DsAttributes.h"
#include "DsGeometry.h"
#include "DsItems.h"
#include "DsLocation.h"
#include "DsScene.h"
#include "DsTransform.h"
#include "DsTraverseFunctor.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class CDsView3dCdc;
class view3d;

// Where a functor type draws.
enum class EDsDrawTarget { Gl, ViewDriver, Nothing };
// Which primitive kinds a functor type lets through.
enum class EDsKindFilter { None, Opaque, Transparent, UntaggedFaces };

// The wireframe and hidden-line passes (and the decoration of modes 0 to 2).
struct SDsHiddenLinePolicy {
    static constexpr bool kOverrideFaces = false;
    static constexpr bool kLighten = true;
    static constexpr bool kFixedFaceOffset = true;
    static constexpr EDsKindFilter kFilter = EDsKindFilter::None;
    static constexpr EDsDrawTarget kTarget = EDsDrawTarget::Gl;
    static constexpr bool kCulling = true;
    static constexpr bool kApplyAttributes = true;
};
// The shade pass.
struct SDsShadePolicy : SDsHiddenLinePolicy {
    static constexpr bool kOverrideFaces = true;
    static constexpr bool kLighten = false;
    static constexpr bool kFixedFaceOffset = false;
};
// The mixed renderer's opaque pass.
struct SDsMixedOpaquePolicy : SDsShadePolicy {
    static constexpr EDsKindFilter kFilter = EDsKindFilter::Opaque;
};
// The mixed renderer's transparent passes.
struct SDsMixedTransparentPolicy : SDsShadePolicy {
    static constexpr EDsKindFilter kFilter = EDsKindFilter::Transparent;
};
// The plot pass: attributes and geometry go to the view's own drawing.
struct SDsPlotPolicy : SDsHiddenLinePolicy {
    static constexpr EDsKindFilter kFilter = EDsKindFilter::UntaggedFaces;
    static constexpr EDsDrawTarget kTarget = EDsDrawTarget::ViewDriver;
    static constexpr bool kCulling = false;
};
// The extrema walk: geometry drawn into an extrema view, no attributes applied.
struct SDsExtremaPolicy : SDsHiddenLinePolicy {
    static constexpr bool kLighten = false;
    static constexpr EDsDrawTarget kTarget = EDsDrawTarget::ViewDriver;
    static constexpr bool kCulling = false;
    static constexpr bool kApplyAttributes = false;
};
// The attribute walk: locations entered and left, nothing drawn.
struct SDsAttributeOnlyPolicy : SDsExtremaPolicy {
    static constexpr EDsDrawTarget kTarget = EDsDrawTarget::Nothing;
};

// One run of region leaves.
struct SDsRegionRun {
    int first = 0;  // first leaf id
    int last = 0;   // last leaf id
    int key = 0;    // object type | state << 8 | on top << 16
};

// CDsAttributes::operator== inline, for the memo that every drawn item consults: the same values
// and the same set bits.
inline bool DsSameAttributes(const CDsAttributes& a, const CDsAttributes& b)
{
    return a.GetColor() == b.GetColor() && a.GetSetFields() == b.GetSetFields() &&
           a.GetTransparency() == b.GetTransparency() && a.GetLineWidth() == b.GetLineWidth() &&
           a.GetLineStyle() == b.GetLineStyle() && a.GetHideLevel() == b.GetHideLevel() &&
           a.GetVisibility() == b.GetVisibility() && a.GetRenderMode() == b.GetRenderMode();
}

// Combines the slave style into `attributes` for `state`: for states other than 3, 4, 5 and 11
// the options' override attributes (special set 10 when `single`) are laid over them; then for
// states 3 to 8, 11, 14 and 15 the colour from before goes back and the width grows by 1.
AFX_EXT_API void DsApplySlaveStyle(CDsAttributes& attributes, const SDsDrawOptions& options, int state, bool single);
// The stored attributes of an item for the shade types: white for items with faces when the
// flags ask for white faces, opaque when they ask for it; then, for a slave (`slave`) not keeping
// its own attributes, the slave style.
AFX_EXT_API void DsOverrideDrawAttributes(CDsAttributes& attributes, const SDsDrawOptions& options, int stateWord,
                                          int mask, bool slave, bool single);
// Whether a slave's geometry connects exactly one item.
AFX_EXT_API bool DsIsSingleSlave(const CDsGeometry* geometry);
// Whether a primitive of `kind` with `attributes` belongs to the mixed opaque pass: silhouettes
// (kind 8) while `silhouetteFlag` is set only at transparency 0; kinds with faces (4) or images
// (64) only when opaque (255); anything else.
AFX_EXT_API bool DsAcceptInOpaquePass(const CDsAttributes& attributes, const bool* silhouetteFlag, int kind);
// Whether a primitive belongs to the mixed transparent passes: faces or images of a transparency
// from 1 to 254.
AFX_EXT_API bool DsAcceptInTransparentPass(const CDsAttributes& attributes, int kind);
// Whether a geometry connects no item and has no silhouettes (the plot draws only such faces).
AFX_EXT_API bool DsIsUntaggedGeometry(const CDsGeometry* geometry, int id);
// Whether a region leaf (`leafLocation` may be null) of object type `type` is shown: not forced
// hidden, and unless forced shown neither hidden by the scene's type switch nor by the palette.
AFX_EXT_API bool DsIsLocationDrawable(const CDsScene* scene, const CDsLocation* leafLocation,
                                      const CDsAttrPalette* palette, int type);
// The state a leaf's run takes: the leaf's own state when it is 3, 4, 5 or 11, else the walk's
// `current` when it is one of those, else the leaf's own.
AFX_EXT_API int DsGetRunState(const CDsLocation* leafLocation, int current);
// True when the region's location holds a complete list of runs (the leaves need no visit).
AFX_EXT_API bool DsIsLocationDrawableCached(const CDsLocation* regionLocation);
// Appends `run` to the region's location cache (the count kept negative while the list grows).
AFX_EXT_API void DsPrepareLocationDrawCache(CDsLocation* regionLocation, const SDsRegionRun& run);
// Marks the region's list of runs complete and returns the number of whole runs it holds.
AFX_EXT_API int DsCompleteLocationDrawCache(CDsLocation* regionLocation);
// Forgets a list of runs that an earlier walk left incomplete.
AFX_EXT_API void DsResetIncompleteDrawCache(CDsLocation* regionLocation);
// The thinning factor of child regions for a record: 0 unless a fast refresh with auto-hide is
// under way; then by the frame rate r: 0 from 16, 1 when negative or above 6, 2 above 5, 3 above
// 4, 4 above 3, else 7.
AFX_EXT_API unsigned DsRegionsHideFactor(const CDsDrawContext& record);
// The view's own transform of an item: the location's transform in the scene, else the item's
// own; none (null) when it is the identity, or for a leaf (category 0 or 1) whose location has no
// transform id.
AFX_EXT_API const CDsTransform* DsGetItemTransform(const CDsScene* scene, const CDsLocation* location,
                                                   const CDsItemVariant* variant);
// The screen-fixed projection for kinds 1, 16 and 32 (pushes both matrices; false for other
// kinds, nothing pushed).
AFX_EXT_API bool DsSetPixelProjection(view3d* view, int kind);
// Undoes DsSetPixelProjection.
AFX_EXT_API void DsResetPixelProjection();
// Gives the view the walk's top transform as its model transform.
AFX_EXT_API void DsEnableViewModelTransform(view3d* view, const CDsTransform& transform);
// The screen rectangle {left, top, right, bottom} (window pixels, y up) of a model box in `view`;
// false for an empty box or one that does not project.
AFX_EXT_API bool DsProjectBoxToWindow(view3d* view, const float min[3], const float max[3], int rect[4]);
// States 3 to 8, 11, 14 and 15: a master in one of them passes it to its slaves.
AFX_EXT_API bool DsIsMasterOverrideState(int state);
// States 3, 4, 5 and 11 (marked, highlighted, both, slave of a marked master).
AFX_EXT_API bool DsIsSpecialLocationState(int state);
// The states in which a slave is drawn in any slave mode: those of masters, and 13.
AFX_EXT_API bool DsIsSecondPassState(int state);
// The auto-hide switch of a record the functor makes itself.
AFX_EXT_API bool DsAutoHideForFastRefreshEnabled();
// Whether a rectangle {left, top, right, bottom} (y up) lies wholly outside `viewport`.
AFX_EXT_API bool DsIsRectOutside(const int rect[4], const int viewport[4]);
// Whether less than half of the scene's screen rectangle `rect` lies in `viewport` (only for a
// rectangle larger than one pixel; false when it lies strictly inside).
AFX_EXT_API bool DsIsSceneMostlyOffscreen(const int rect[4], const int viewport[4]);

// The draw walk's functor of type P.
template <class P>
class CDsGlTraverseFunctorT : public CDsTraverseFunctor {
public:
    // A functor for `view` with the pass's options and set-up (both kept by reference and must
    // outlive it), walk flags, slave mode word (0 no slaves, 2 every counted slave, other values
    // by the record's fast-refresh flag), location cache use and fast-refresh record (null: the
    // functor makes and owns one). Resets the state cache and with it the set-up's memo (only the
    // types that draw through OpenGL) and pushes the identity transform.
    CDsGlTraverseFunctorT(view3d* view, const SDsDrawOptions& options, SDsDrawSetup& setup, int walkFlags,
                          int complexPassMode, bool useLocationCache, CDsDrawContext* record);
    // Frees the record it made. An OpenGL-drawing type hands back the per-item state it may have
    // left behind (see HandBackGlState).
    ~CDsGlTraverseFunctorT();

    // Fills the builder's fields: the view boxes are projected into, its units per pixel, the
    // viewport {left, top, right, bottom} (y up), the auto-hide threshold of this frame (also given
    // to the view) and whether most of the scene lies off the viewport.
    void PrepareForFrame(CDsScene* scene, view3d* viewForBoxes, const int viewport[4]);

    // Walks `startPath`'s part as the renderers do (see DsTraverseScene).
    bool TraverseScene(CDsPartStorage* storage, const CVyrObjectPath& startPath, CDsScene* scene,
                       const std::vector<CVyrObjectPath>& paths, bool walkAll)
    {
        return DsTraverseScene(storage, *this, startPath, scene, paths, walkAll);
    }

    // The forced entry state (1: the state is taken from the locations).
    void SetEntryState(unsigned char state) { m_entryState = state; }
    // The silhouette flag the opaque filter reads (mixed opaque pass).
    void SetSilhouetteFlag(const bool* flag) { m_silhouetteFlag = flag; }
    // The auto-hide threshold in pixels (0: no culling by size).
    float GetAutoHideThreshold() const { return m_autoHideThreshold; }
    // Sets the auto-hide threshold.
    void SetAutoHideThreshold(float threshold) { m_autoHideThreshold = threshold; }
    // Whether the screen-box test runs (most of the scene is off the viewport).
    bool IsSceneMostlyOffscreen() const { return m_sceneMostlyOffscreen; }
    // Sets whether the screen-box test runs.
    void SetSceneMostlyOffscreen(bool on) { m_sceneMostlyOffscreen = on; }
    // The attributes and state word of the item entered last.
    const CDsAttributes& GetItemAttributes() const { return m_itemAttributes; }
    // The state word of the item entered last.
    int GetItemState() const { return m_itemState; }
    // The fast-refresh record in use.
    CDsDrawContext* GetDrawContext() const { return m_drawContext; }
    // The state cache.
    CDsGlStateCache& GetGlState() { return m_glState; }
    // The walk phase: 0 outside complexes, 1 masters, 2 slaves.
    int GetComplexPhase() const { return m_complexPhase; }
    // Puts the per-item state the walk sends back to OpenGL's defaults, through the state cache:
    // polygon offset (fill and line) off and (0, 0), the whole depth range, no line stipple.
    // Whatever reads OpenGL after the walk (a pick's selection pass, a host's own drawing) would
    // otherwise inherit the offset of the last face drawn. Nothing for the driver-drawing types.
    void HandBackGlState();

    // Walk hooks.
    void OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                        const CDsItemVariant* variant)
    {
        EnterItem(scene, location, path, variant);
    }
    bool VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent)
    {
        return DrawItem(location, path, parent);
    }
    void OnPopLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath&, const CDsItemVariant* variant)
    {
        LeaveItem(scene, location, variant);
    }
    ESlaveTraverseMode OnBeginMasters() { return ClearStateOverrides(); }
    void OnBeginSlaves() { m_complexPhase = 2; }
    void OnEndSlaves() { m_complexPhase = 0; }
    bool OnVisitSlave(CDsScene*, CDsLocation* location, const CDsObjectPath&, const CDsItemVariant* variant)
    {
        return DrawSecondPass(location, variant);
    }
    unsigned RegionsHideFactor() { return DsRegionsHideFactor(*m_drawContext); }
    bool OnRegionLeaf(CDsLocation* location, const CDsObjectPath& path, int id, int type);
    void OnCompleteRegion(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                          const CDsItemVariant* variant);

    // Per-item operations.
    void EnterItem(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant);
    void LeaveItem(CDsScene* scene, CDsLocation* location, const CDsItemVariant* variant);
    bool DrawItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent);
    bool DrawLeaf(const CDsObjectPath& path, const CDsItemVariant* variant, const CDsItemVariant* parent);
    bool CullByBox3D(const CDsItemVariant* variant, const CDsItemVariant* parent, const CDsLocation* location,
                     const CDsObjectPath& path) const;
    bool CullByBox2D(const CDsLocation* location, const CDsItemVariant* variant) const;
    void ApplyAttributes(const CDsAttributes& attributes, int stateWord, int kind);
    void DrawGeometry(CDsGeometry* geometry, int kind, int first, int last);
    ESlaveTraverseMode ClearStateOverrides();
    bool DrawSecondPass(CDsLocation* location, const CDsItemVariant* variant);
    void DrawRegionRun(const SDsRegionRun& run, const CDsItemVariant* region);

private:
    // What EnterItem pushed for a level, which LeaveItem undoes.
    static constexpr unsigned char kOwnTransform = 1;
    static constexpr unsigned char kLocalTransform = 2;
    static constexpr unsigned char kNoAttributes = 4;  // nothing pushed on the attribute stack

    // Appends the pending run to its region's cache.
    void ClosePendingRun();
    // Whether a primitive of `kind` with `attributes` passes the type's filter.
    bool Accept(const CDsAttributes& attributes, int kind, const CDsGeometry* geometry, int id) const;
    // The state of a slave from the masters' overrides (or `state` when none applies).
    int SlaveState(const CDsItemVariant* variant, int state) const;
    // Sends the attributes to the view (plot).
    void ApplyToView(const CDsAttributes& attributes, int kind);
    // The geometry that draws `variant` (its own, else its region parent's) and its item id.
    static CDsGeometry* GeometryOf(const CDsItemVariant* variant, const CDsItemVariant* parent,
                                   const CDsObjectPath& path, int& id);

    const SDsDrawOptions& m_options;
    SDsDrawSetup& m_setup;
    view3d* m_view;
    int m_complexPassMode;
    int m_walkFlags;
    unsigned char m_entryState = 1;
    std::vector<std::pair<int, unsigned char>> m_stateOverrides;
    std::vector<int> m_transparentMasterIds;
    int m_complexPhase = 0;
    signed char m_attributesValid = -1;
    SDsRegionRun m_pending;
    bool m_hasPending = false;
    CDsLocation* m_pendingRegion = nullptr;     // the region whose runs the walk is building
    int m_leavesOffered = 0;                    // leaves of that region offered so far
    CDsDrawContext* m_drawContext;
    std::unique_ptr<CDsDrawContext> m_ownedContext;
    CDsGlStateCache m_glState;
    bool m_useLocationCache;
    CDsAttributes m_itemAttributes;
    int m_itemState = 0;
    CDsView3dCdc* m_cdcView;
    view3d* m_viewForBoxes = nullptr;
    float m_viewScale = 0.0f;
    float m_autoHideThreshold = 0.0f;
    bool m_sceneMostlyOffscreen = false;
    int m_viewport[4] = {0, 0, 0, 0};
    const bool* m_silhouetteFlag = nullptr;
    const CDsItemVariant* m_variant = nullptr;  // the item entered last
    CDsScene* m_scene = nullptr;                // the scene of the walk
    std::vector<unsigned char> m_levelFlags;    // per entered level: the transforms pushed
};

// The functor types.
using CDsGlTraverseFunctor = CDsGlTraverseFunctorT<SDsHiddenLinePolicy>;
using CDsGlShadeFunctor = CDsGlTraverseFunctorT<SDsShadePolicy>;
using CDsGlMixedOpaqueFunctor = CDsGlTraverseFunctorT<SDsMixedOpaquePolicy>;
using CDsGlMixedTransparentFunctor = CDsGlTraverseFunctorT<SDsMixedTransparentPolicy>;
using CDsPlotTraverseFunctor = CDsGlTraverseFunctorT<SDsPlotPolicy>;
using CDsExtremaTraverseFunctor = CDsGlTraverseFunctorT<SDsExtremaPolicy>;
using CDsGlAttributeFunctor = CDsGlTraverseFunctorT<SDsAttributeOnlyPolicy>;

// The builders: each constructs its type in `storage` and prepares it for the frame (`scene` is
// the scene database's, `viewport` {left, top, right, bottom}).
// Wireframe and hidden-line passes: every counted slave (mode 2), the location cache as asked.
AFX_EXT_API CDsGlTraverseFunctor& DsMakeGlTraverseFunctor(std::optional<CDsGlTraverseFunctor>& storage,
                                                          view3d* view, const SDsDrawOptions& options,
                                                          SDsDrawSetup& setup, int walkFlags, bool useLocationCache,
                                                          CDsScene* scene, const int viewport[4],
                                                          CDsDrawContext* record);
// The shade pass: the slave mode as asked, the location cache on.
AFX_EXT_API CDsGlShadeFunctor& DsMakeGlTraverseFunctor(std::optional<CDsGlShadeFunctor>& storage, view3d* view,
                                                       const SDsDrawOptions& options, SDsDrawSetup& setup,
                                                       int walkFlags, int complexPassMode, CDsScene* scene,
                                                       const int viewport[4], CDsDrawContext* record);
// The mixed opaque pass: the slave mode as asked, the location cache on, the silhouette flag.
AFX_EXT_API CDsGlMixedOpaqueFunctor& DsMakeGlTraverseFunctor(std::optional<CDsGlMixedOpaqueFunctor>& storage,
                                                             view3d* view, const SDsDrawOptions& options,
                                                             SDsDrawSetup& setup, int walkFlags, int complexPassMode,
                                                             CDsScene* scene, const int viewport[4],
                                                             CDsDrawContext* record, const bool* silhouetteFlag);
// The mixed transparent passes: faces only (walk flags 4), no slaves, the location cache on.
AFX_EXT_API CDsGlMixedTransparentFunctor& DsMakeGlTraverseFunctor(
    std::optional<CDsGlMixedTransparentFunctor>& storage, view3d* view, const SDsDrawOptions& options,
    SDsDrawSetup& setup, CDsScene* scene, const int viewport[4], CDsDrawContext* record);

#include "DsGlTraverseFunctor.inl"
