// What a frame draws, as the picks and the snaps ask it: one walk of the scene database that
// visits each item the frame draws, where it draws it (the walk's transform: a transform id's
// replacing an item's own) and with what clips it, and the faces among them that hide what lies
// behind them. The single pick collects its hiding faces with it; the snaps read it through
// CDsShownFrame (DsShownFrame.h). A later change to what the frame draws so reaches both. Internal
// to the display core.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - An item hidden by its object path or its attributes is not drawn: it is visited (with
//   `hidden` set, its children too) only when the walk is asked for hidden items, so that a caller
//   can tell an item the database hides from one it never filed.
// - The masters of a complex are visited, not entered, as the pick walk treats them; a region
//   leaf counts when the frame would draw it (DsIsLocationDrawable), and a region whose runs are
//   kept gives each run's items when it completes.
// - An item's clip: the clip plane handed in, and the sections of the scene handed in (its section
//   plane and its stepped section) for an item they can clip by its path, unless its geometry
//   draws with the clip planes off (CDsGeometry::IsCutBySections).
// - Near a rectangle (SetNear, a parallel view's pick): an item whose window box misses the
//   rectangle is left out, children and all, as nothing it draws can cover a point there.
// - The faces that hide (DsAddHidingFaces): those of an item that is not hidden, where a face hit
//   on the item would count as solid (DsPickFaceSolid: the walk draws the model's faces in the
//   item's look, opaque in the hidden-line and shaded modes, blended by its transparency in the
//   mixed mode, not at all in the wireframe mode; a figure's blended by its own transparency in
//   every mode, so that they hide in the line modes too, less its STL meshes where the frame draws
//   them as the outlines of their triangles). The partial hidden-line mode draws the model's faces
//   into the depth buffer only: they hide the faces behind them, not the lines. A geometry that
//   draws a body the context shows (CDsEntityGeometry) hides then with every shown face item of
//   the body, placed by the walk's transform: its face items are drawn in the item's look, their
//   own transparency aside.
#pragma once

#include <afx.h>

#include "DsPickRay.h"
#include "DsPickWalks.h"

#include "DsAttributes.h"
#include "DsTransform.h"
#include "DsTraverseFunctor.h"

#include <functional>

class CDsGeometry;
class CDsGlScene;
class CDsItemsBody;
class ENTITY;
class CDsItemVariant;
class CDsLocation;
class CDsObjectPath;
class CDsPartStorage;
class CDsScene;
class CDsWalkRole;

// What a scene-database geometry that draws a modeler entity the context shows (a body, a copy of
// one) offers beside CDsGeometry, so that the snaps find where the database draws it and the faces
// that hide are those of its face items as they are drawn.
class AFX_EXT_CLASS CDsEntityGeometry {
public:
    virtual ~CDsEntityGeometry();
    // The body or copy entity the geometry draws (null when none).
    virtual ENTITY* GetShownEntity() const = 0;
    // The body group whose face items it draws now and the transformation it draws them under
    // after the body's own (a copy's; the identity for the body itself); false when it draws none.
    virtual bool GetShownBody(CDsItemsBody*& body, SPAtransf& after) const = 0;
};

// One item as a frame draws it.
struct SDsDrawnItem {
    CDsGeometry* geometry = nullptr;  // its geometry, or its region parent's
    int id = 0;                       // the item id the geometry's calls take (0: its own)
    const CDsObjectPath* path = nullptr;  // where it lies (valid during the visit only)
    CDsTransform transform;           // where the frame places it
    SDsPickClip clip;                 // what clips what it draws
    CDsAttributes attributes;         // the walk's attributes at the item
    bool hidden = false;              // hidden by its path or attributes: the frame does not draw it
};

// The clip of an item's hits at `path` with `geometry`: `plane`, and `sections` (may be null) when
// they can clip the item (see the header comment).
SDsPickClip DsDrawnItemClip(const SDsPickClipPlane* plane, const CDsGlScene* sections, const CDsGeometry* geometry,
                            const CDsObjectPath& path);

// Adds the faces of `item` that hide what lies behind them in render mode `renderMode` to `faces`
// (see the header comment).
void DsAddHidingFaces(const SDsDrawnItem& item, int renderMode, CDsHidingFaces& faces);

// The functor of the walk.
class CDsDrawnItemsFunctor : public CDsTraverseFunctor {
public:
    using TVisit = std::function<void(const SDsDrawnItem&)>;

    // A walk that hands each drawn item to `visit`, clipped by `sections` (may be null).
    CDsDrawnItemsFunctor(const CDsGlScene* sections, TVisit visit);
    CDsDrawnItemsFunctor(const CDsDrawnItemsFunctor&) = delete;
    CDsDrawnItemsFunctor& operator=(const CDsDrawnItemsFunctor&) = delete;

    // Keeps the walk whose node roles the functor reads (may be null: nothing is a master).
    void SetWalkRole(const CDsWalkRole* walk) { m_walk = walk; }
    // A clip plane that hides what lies behind it (null: none).
    void SetClipPlane(const SDsPickClipPlane* clip) { m_clip = clip; }
    // Only the items whose window box reaches `rect` (y up, as the boxes), and those without one.
    void SetNear(const SDsPickRect& rect);
    // Whether the items the database hides are visited too (with `hidden` set).
    void SetHiddenToo(bool on) { m_hiddenToo = on; }

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

private:
    // Whether the location's window box reaches the rectangle (always without one or without a box).
    bool Near(const CDsLocation* location) const;
    // Hands the item to the visitor.
    void Visit(CDsGeometry* geometry, int id, const CDsObjectPath& path);
    // The test of an entered node; whether to go below it.
    bool EnterItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant,
                   const CDsItemVariant* parent);

    const CDsGlScene* m_sections;
    TVisit m_visit;
    const CDsWalkRole* m_walk = nullptr;
    const SDsPickClipPlane* m_clip = nullptr;
    bool m_near = false;
    SDsPickRect m_rect;
    bool m_hiddenToo = false;
    CDsScene* m_scene = nullptr;
    const CDsItemVariant* m_variant = nullptr;  // the node pushed last
};

// The walk over the whole scene (peer part, then temporary part) with `functor`. The caller makes
// the view the scene's current view first.
void DsDrawnItemsWalk(CDsPartStorage* storage, CDsScene* scene, CDsDrawnItemsFunctor& functor);
