// CDsSinglePickFunctor: the functor of the single-pick walk. For a pick at one point it visits every
// item of the scene, tests each one whose window box meets the pick rectangle against the pick (its
// faces by OpenGL selection or by the pick ray, its edges and other primitives through the
// geometry's own drawing with the view in pick mode) and appends a CDsPickHit for each candidate
// to the caller's list, which CDsPickProccessor::PickSingle then chooses from. Every accepted
// container above a hit leaf gets a hit too, with that leaf's point and depth. Internal to the
// display core.
//
// Hit points are model coordinates of the scene's root part; a hit's depth is the distance of its
// point along the pick ray (smaller is nearer).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A face hit gets its point where the pick ray first meets the item's face polygons where the
//   window draws them (in front of the eye, between the near and far planes of the view's
//   projection), on both roads: every polygon is tested, since the first one met of a closed body
//   may be its far side. A face hit by selection whose polygons the ray misses (they meet the 5 x 5
//   window, not the cursor's pixel's centre) stands where the window shows the item nearest to the
//   cursor, as OpenGL feedback under the pick projection tells: the centre of the nearest pixel of
//   the window its polygons cover (a pixel is drawn where its centre is covered, so a face seen
//   edge-on, or a sliver of one between the centres, shows nothing and gives nothing), or the
//   nearest point of its lines, at its depth there; nothing there, no hit. The selection and the
//   feedback see through faces, though: of those points, the nearest that no face the frame draws
//   hides; where faces hide all of them the window does not show the item, and the hit is hidden:
//   it lies 1e11 away, is listed among the candidates and never chosen. An edge hit gets its point
//   from its polylines (the point the window shows nearest to the centre of the cursor's pixel, the
//   segments cut by the near and far planes), else (where a section cut it away, beside the pick
//   window, or where a face hides that point) from the feedback of its lines; markers, texts,
//   bitmaps and images (drawn in window space) stand at their model anchor, and lines in window
//   pixels where the feedback of their pixels puts them (at the near plane; one the pick window
//   catches only by its width at the cursor's pixel there); drawn on top of the model, no face
//   hides them.
// - Faces the frame does not draw solid (DsPickFaceSolid: the line modes draw none, the mixed mode
//   blends the see-through ones) give way to the item's lines: where those show in the pick window
//   the item's hit is an edge hit on them, and a line is solid. The faces that hide are those
//   of the scene database as the frame draws them (in every mode: the line modes draw only the
//   figures' faces): the shown items (in a parallel view only those whose window box comes within the
//   pick window's half diagonal and a pixel of the pick rectangle) whose face hits would count
//   solid (DsPickFaceSolid), placed by the walk's transform (transform ids included) and cut
//   by the clip of their own hits (CDsHidingFaces); an item hidden by its path or its attributes
//   hides nothing. They are collected only when a hit beside the ray first needs them, by a walk
//   of what the frame draws (DsDrawnItems.h, which the snaps read too) run there and then: that
//   walk leaves the scene as it finds it, and the items tested before needed none of them, so the
//   pick's walk goes on and tests each item once.
// - A hit's point lies on its item, never on the ray beside it: a hit whose point cannot be found
//   is no hit.
// - The selection draws the item under the walk's whole transform (the single pick keeps OpenGL's
//   model-view at the camera otherwise), so items placed by a transform are found where they show.
// - A hidden master of a complex is not tested (its slaves' masters are visited, not entered, and
//   would otherwise be picked while invisible).
// - The pick rectangle counts in window pixels with the viewport's corner added, as the locations'
//   window boxes do.
// - Nesting deeper than the level ids (30 levels) reads the part key for the id-range filter.
// - The section test flag chooses the road of faces: the pick ray (on) or OpenGL selection (off).
//   Either way what a section cuts away is not picked: for an item the scene's sections can clip
//   (CDsGlScene::CanItemBeClipped, SetSections) the selection and the feedback run with the
//   sections' clip planes on as the frame draws it (the section plane; each area of a stepped
//   section in turn, view flag 12 set), and a face's ray hit and an edge's polyline point are
//   dropped when the clip plane (SetClipPlane) or those sections clip them; an edge whose lines are
//   drawn in the pick window only where they were cut away is no hit.
#pragma once

#include "DsDrawContext.h"
#include "DsPickRay.h"
#include "DsPickWalks.h"
#include "DsSceneWalk.h"

#include "DsAttributes.h"
#include "DsTransform.h"
#include "DsTraverseFunctor.h"
#include "SpaValues.h"
#include "VyrObjectPath.h"
#include "pick_ray.h"

#include <functional>
#include <vector>

class CDsGeometry;
class CDsGlScene;
class CDsLocation;
class CDsPartStorage;
class CDsScene;
class CUiPickEvent;
class view3d;

// A face counts as opaque in a single pick from this transparency up (0.75 of 255).
constexpr double kDsPickOpaqueTransparency = 191.25;
// The transparency (0 to 255) a single pick counts a face of an item of part `partId` with
// `attributes` as having in render mode `renderMode`, as the frame draws it: an item of the
// temporary part (a negative part id, drawn blended in every mode) by its attributes; else 0 in the
// wireframe and partial hidden-line modes (faces are not drawn), 255 in the hidden-line and shaded
// modes (the shaded mode draws every face of the model opaque), by its attributes in the mixed mode.
int DsPickFaceTransparency(int renderMode, int partId, const CDsAttributes& attributes);
// Whether such a face is solid, hiding what lies behind it: an item of the temporary part when
// wholly opaque (255), any other when at least three quarters opaque (kDsPickOpaqueTransparency).
// A face that is not solid comes after every solid hit, whatever its depth.
bool DsPickFaceSolid(int renderMode, int partId, const CDsAttributes& attributes);

// One candidate of a single pick.
struct CDsPickHit {
    // The kinds of hit.
    enum EKind : int { eKindNone = 0, eKindOther = 1, eKindEdge = 2, eKindFace = 4 };

    CVyrObjectPath path;                    // the item's object path
    unsigned char type = 0;                 // its object type
    const CDsGeometry* geometry = nullptr;  // its geometry, or its region parent's
    int itemId = 0;                         // the item id the geometry's calls take (0: its own)
    CDsAttributes attributes;               // the walk's top attributes at the hit
    CDsTransform transform;                 // the walk's top transform at the hit
    SPAposition hitPoint{1e11, 1e11, 1e11};  // where it was hit (unset: 1e11 each)
    double depth = -1.0;                    // distance along the pick ray
    bool masterVisit = false;               // found by visiting a complex's master
    short depthLayer = 3;                   // 0 (drawn on top) to 3
    bool accepted = false;                  // passed the type mask and the filters
    int hitKind = eKindNone;                // an EKind
    unsigned char locationState = 0;        // the location's state
    bool onTop = false;                     // drawn on top (the state word's bit 8)
    bool onRay = false;                     // a face hit where the pick ray meets the item
    bool hidden = false;                    // a face the frame draws hides it where the window shows it
    SPAvector normal;                       // the normal of the face met there (not unit; either side)

    // A face hit (kind bit 0x04 or 0x40).
    bool IsFaceHit() const { return (hitKind & 0x44) != 0; }
    // The hit point was set.
    bool HasPoint() const { return !(hitPoint.x() == 1e11 && hitPoint.y() == 1e11 && hitPoint.z() == 1e11); }
};

// The functor of the single-pick walk.
class CDsSinglePickFunctor : public CDsTraverseFunctor {
public:
    // Levels of the level ids.
    static constexpr int kLevelIds = 30;
    // The depth of a hit whose point is unknown.
    static constexpr double kFarDepth = 1e11;

    // A pick on `view` at `event` (neither owned) inside `rect`, appending to `hits`: the render
    // mode (for the depth layers), the domain, the scope (may be null), the any-depth flag, the
    // id-range filter (may be null), the id bound, faces by the pick ray (`sectionTest`) and stopping
    // after the first hit. Pushes OpenGL's projection and sets the pick projection of the view's
    // pick region (the view must be in pick mode, its OpenGL context current).
    CDsSinglePickFunctor(view3d* view, const CUiPickEvent* event, const SDsPickRect& rect, std::vector<CDsPickHit>& hits,
                         int renderMode, const std::vector<CDsTypeMask>& domain,
                         const std::vector<CVyrObjectPath>* scopePaths, bool anyDepth, const TDsPickIdRanges* idRanges,
                         int idBound, bool sectionTest, bool stopAfterFirst);
    // Pops the projection.
    ~CDsSinglePickFunctor();
    CDsSinglePickFunctor(const CDsSinglePickFunctor&) = delete;
    CDsSinglePickFunctor& operator=(const CDsSinglePickFunctor&) = delete;

    // Keeps the walk whose node roles the functor reads (may be null: nothing is a master).
    void SetWalkRole(const CDsWalkRole* walk) { m_walk = walk; }
    // A clip plane that hides what lies behind it (null: none).
    void SetClipPlane(const SDsPickClipPlane* clip) { m_clip = clip; }
    // The scene whose sections hide what they clip of the items they can clip (null: none).
    void SetSections(const CDsGlScene* scene) { m_sections = scene; }
    // The pick ray.
    const pick_ray& GetRay() const { return m_ray; }

    // The scene whose sections clip, the clip plane and the render mode.
    const CDsGlScene* GetSections() const { return m_sections; }
    const SDsPickClipPlane* GetClipPlane() const { return m_clip; }
    int GetRenderMode() const { return m_renderMode; }

    // Where the faces the frame draws that hide come from (a walk of what the frame draws): asked
    // once, when a hit beside the ray first needs them; the hits beside the ray are tested against
    // them from then on. Without a source (null) nothing hides.
    void SetHidingFacesSource(std::function<CDsHidingFaces()> source) { m_hidingSource = std::move(source); }
    // Where a face must lie to cover a point a hit is answered at: the rectangle its window box
    // must reach, in a parallel view; false where any face may (a perspective view).
    bool HidingNear(SDsPickRect& rect) const;

    // Walk hooks.
    void OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                        const CDsItemVariant* variant);
    bool VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent);
    void OnPopLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                       const CDsItemVariant* variant);
    ESlaveTraverseMode OnBeginMasters() { return eSlavesCached; }
    bool OnVisitSlave(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                      const CDsItemVariant* variant);
    bool OnRegionLeaf(CDsLocation* location, const CDsObjectPath& path, int id, int type);
    void OnCompleteRegion(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                          const CDsItemVariant* variant);

    // Whether a location's window box may hold a hit (the 2-D prefilter); `geometry` and `id` give
    // the item's centre point as a last chance.
    bool Prefilter(const CDsLocation* location, CDsGeometry* geometry, int id);

private:
    // What the tests of one item read.
    struct SItem {
        CDsLocation* location;
        const CDsObjectPath* path;
        int type;
        int category;
        CDsGeometry* geometry;
        int id;
    };
    // A container waiting for a hit below it, and its level.
    struct SPending {
        CDsPickHit hit;
        int level;
    };

    // The item's test when it is entered; whether to go below it.
    bool EnterItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant,
                   const CDsItemVariant* parent);
    // The item's hit test and its record.
    void HitTest(const SItem& item, bool master);
    // Records a hit (or an accepted container waiting for one) at the depth of `point` along the
    // pick ray, or, `hidden`, 1e11 away. A face hit on the ray gives the face's normal there.
    void Record(const SItem& item, bool accepted, bool hit, int kind, const SPAposition& point, bool master, int state,
                bool onTop, bool hidden = false, const SPAvector* rayNormal = nullptr);
    // Runs `pass` (an OpenGL selection or feedback of the item) with the sections of `clip`'s scene
    // clipping it as the frame clips it: once with the section plane on, or once for each area of a
    // stepped section, or once as it is.
    void ClippedPasses(const SItem& item, const SDsPickClip& clip, const std::function<void()>& pass);
    // Whether the OpenGL selection of the item's `kinds` (clipped by ClippedPasses) met the pick window.
    bool ClippedSelect(const SItem& item, int kinds, const SDsPickClip& clip);
    // The point of what the item's `kinds` draw in the pick window (clipped by ClippedPasses)
    // nearest to the pixel's centre that no face the frame draws hides, in root-part coordinates;
    // where faces hide all of it, the nearest, and `hidden`. False when nothing is drawn there.
    bool FeedbackPoint(const SItem& item, int kinds, const SDsPickClip& clip, SPAposition& point, bool& hidden);
    // The model point the item's window-space drawing (markers, texts, bitmaps) is placed at, in
    // root-part coordinates: its point, else its first point, else its centre; false for none.
    bool AnchorPoint(const SItem& item, SPAposition& point) const;
    // The position of a point that feedback placed at `at`: where the ray through the pixel's
    // centre meets the item, for the centre of a pixel its faces cover; else `at`.
    SPAposition Exact(const SItem& item, const SDsPickClip& clip, const SDsFeedbackPoint& drawn, const SPAposition& at);
    // Whether a point (root-part coordinates) projects into the pick window.
    bool InPickWindow(const SPAposition& point) const;
    // The point of the cursor's pixel centre on the near plane (root-part coordinates), where a
    // leaf drawn in window pixels on top of the model and caught only by its width stands; false
    // when the cursor's pixel is cut off.
    bool CursorOnTop(SPAposition& point) const;
    // Whether a point (root-part coordinates) lies where the window draws: in front of the eye and
    // between the near and far planes of the view's projection.
    bool InDrawnDepth(const SPAposition& point) const;
    // The first point where the pick ray meets the item's face polygons where the window draws them
    // (every polygon tested, those `clip` hides and those outside the drawn depth left out), in
    // root-part coordinates, and the normal of the polygon there; false when it meets none.
    bool RayPoint(const SItem& item, const SDsPickClip& clip, SPAposition& point, SPAvector* normal = nullptr);
    // The same along another ray.
    bool RayPoint(const SItem& item, const SDsPickClip& clip, const pick_ray& ray, SPAposition& point,
                  SPAvector* normal);
    // Whether a face the frame draws hides `point` (root-part coordinates; of a face: `ofFace`; of a
    // line: `ofLine`, see CDsHidingFaces::Hides) from the viewer. False, noting that the faces must
    // be collected, while they are not.
    bool HiddenFromViewer(const SPAposition& point, bool ofFace = false, bool ofLine = false);
    // The clip of the item's hits, as the frame clips it.
    SDsPickClip ClipOf(const SItem& item) const;
    // The point of the geometry's lines that the window shows nearest to the centre of the cursor's
    // pixel, in root-part coordinates: segments cut by the near and far planes, measured on the
    // screen, placed back on the segment as the projection places it (in perspective too).
    bool EdgePoint(const SItem& item, SPAposition& point);
    // Whether the item's lines are drawn in the pick window, and where (root-part coordinates): the
    // point of EdgePoint where the window shows it, else the nearest point of what the lines draw in
    // the pick window (FeedbackPoint), `hidden` where faces hide all of it. False where the lines
    // are not drawn there, or only where a section cut them away.
    bool LinePoint(const SItem& item, const SDsPickClip& clip, SPAposition& point, bool& hidden);
    // Whether the item's face hits count solid in the pick's render mode (DsPickFaceSolid).
    bool FacesSolid(const SItem& item) const;

    view3d* m_view;
    const CUiPickEvent* m_event;
    SDsPickRect m_rect;
    std::vector<CDsPickHit>& m_hits;
    int m_renderMode;
    SDsPickAcceptance m_acceptance;
    int m_depth = 0;
    std::vector<SPending> m_pending;
    int m_levelIds[kLevelIds] = {};
    double m_unitsPerPixel = 0.0;
    bool m_stopAfterFirst;
    bool m_sectionTest;
    const SDsPickClipPlane* m_clip = nullptr;
    const CDsGlScene* m_sections = nullptr;
    const CDsWalkRole* m_walk = nullptr;
    pick_ray m_ray;
    CDsDrawContext m_refresh;
    double m_modelview[16];
    double m_projection[16];
    int m_viewport[4];
    // The centres of the pick window's pixels in the window of the pick projection (the cursor's
    // first, then by distance from it), and how many window units make a pixel.
    std::vector<SDsWindowPixel> m_centres;
    double m_unitsX = 1.0, m_unitsY = 1.0;
    CDsScene* m_scene = nullptr;
    const CDsItemVariant* m_variant = nullptr;  // the node pushed last
    bool m_drawnOnTop = false;   // the item tested is drawn on top of the model: no face hides it
    bool m_hidingKnown = false;  // the faces that hide were collected
    std::function<CDsHidingFaces()> m_hidingSource;  // where they come from
    CDsHidingFaces m_hiding;   // the faces that hide
    // In a parallel view, how far (pixels) from the ray the pick window reaches: its half diagonal
    // from the pixel's centre, a pixel more for safety; 0 in a perspective view or without a view.
    double m_apertureReach = 0.0;
    SDsPickRect m_hidingRect;  // where a covering face's window box must reach (parallel views)
};

// The single-pick walk: the whole scene (peer part, then temporary part) with `functor`.
void DsSinglePickWalk(CDsPartStorage* storage, CDsScene* scene, CDsSinglePickFunctor& functor);
