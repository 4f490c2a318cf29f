// The context's walks over scene-database locations named by object paths: writing a location
// state into listed locations (CDsModifyLocationsFunctor), reporting what listed locations hold
// (CDsLocationsInfoFunctor), reading the attributes a location is displayed with (an attribute-only
// draw functor behind CDsDisplayedAttributeFunctor), and drawing listed locations again with a
// forced state over a finished picture (the decoration functor CDsGlDrawFunctor). Each is a
// functor of the one scene walk (CDsSceneWalk); the first three run behind the path filter
// (CDsPathListFunctor), the decoration follows its target path down by itself. Also here: the
// change-log entries the context records for the locations it changes, and the searches of the
// context's drawn parameter points.
//
// Object paths: a listed path names its location by part id and ids; its depth (the number of
// trailing ids that name items below the last part instance) tells the decoration where to start
// (DsMakeItemPath). Only paths of the scene's peer and temporary parts are reached.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The decoration recognises its target, and the locations of its list, by part id and ids; the
//   depth is not compared (as the path filter matches slaves), so that a path the host built with
//   another depth still names the location.
// - The decoration's list: with list mode true a listed location is drawn with its whole subtree
//   (the list names the only locations drawn), and the walk goes down through the target's
//   subtree to listed locations deeper than its children; with list mode false a listed location is left out
//   with its subtree, the target itself included (the list names locations not drawn). Read
//   literally, a listed target of list mode false would be passed through and its children drawn,
//   which would draw a clipped group unclipped in a section's last pass.
// - The decoration runs its draw functors with the location cache off: cached states would
//   override the forced state, and forced states would be cached.
// - The displayed attribute of a location in shaded or mixed views (or in the monochrome state)
//   is the entered attributes with special set 12 laid over them: the values set in set 12 win.
#pragma once

#include "DsGlContext.h"
#include "DsGlTraverseFunctor.h"
#include "DsPathListFunctor.h"
#include "DsSceneWalk.h"

#include "DsAttributes.h"
#include "DsItems.h"
#include "DsLocation.h"
#include "DsObjectPath.h"
#include "DsScene.h"
#include "DsTraverseFunctor.h"
#include "SpaValues.h"
#include "VyrObjectPath.h"
#include "VyrObjectTypes.h"

#include <utility>
#include <vector>

class CDsGeometry;
class view3d;

// The output of a location-info walk.
typedef std::vector<std::pair<CVyrObjectPath, SDsLocationInfo>> TDsLocationInfos;

// Writes a location state into every location the path filter lets it visit, a listed slave of a
// complex included.
class CDsModifyLocationsFunctor : public CDsTraverseFunctor {
public:
    // A functor writing `*state` (kept by pointer: it must outlive the walk).
    explicit CDsModifyLocationsFunctor(const unsigned char* state) : m_state(state) {}
    // Writes the state into the location; true.
    bool VisitItem(CDsLocation* location, const CDsObjectPath&, const CDsItemVariant*)
    {
        if (location) location->SetState(*m_state);
        return true;
    }
    // Every slave once, the counts the frames keep left alone: the filter refuses the masters it
    // does not list, which a recount would take for masters not drawn and cache as such.
    ESlaveTraverseMode OnBeginMasters() { return eSlavesAll; }
    // A slave the filter admits (a listed one) takes the state as any location does.
    bool OnVisitSlave(CDsScene*, CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant)
    {
        return VisitItem(location, path, variant);
    }

private:
    const unsigned char* m_state;
};

// Appends path, item type, geometry and state of every location the path filter lets it visit.
class AFX_EXT_CLASS CDsLocationsInfoFunctor : public CDsTraverseFunctor {
public:
    // A functor appending to `*out` (kept by pointer: it must outlive the walk).
    explicit CDsLocationsInfoFunctor(TDsLocationInfos* out) : m_out(out) {}
    // Every slave once, the counts the frames keep left alone (see CDsModifyLocationsFunctor).
    ESlaveTraverseMode OnBeginMasters() { return eSlavesAll; }
    // Remembers the item of the node entered.
    void OnPushLocation(CDsScene*, CDsLocation*, const CDsObjectPath&, const CDsItemVariant* variant)
    {
        m_variant = variant;
    }
    // Appends the entry of the node; true.
    bool VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant*);

private:
    TDsLocationInfos* m_out;
    const CDsItemVariant* m_variant = nullptr;
};

// A functor that passes every hook of the walk on to an inner functor, whose stacks the walk
// keeps; a functor deriving from it replaces the hooks it needs by name.
template <class Inner>
class CDsForwardingFunctor : public CDsTraverseFunctor {
public:
    // Passes the hooks on to `inner`.
    explicit CDsForwardingFunctor(Inner& inner) : m_inner(inner) {}
    // The inner functor's stacks, palette and locations.
    CDsTraverseFunctor& WalkState() { return m_inner.WalkState(); }
    // The inner functor.
    Inner& GetInner() { return m_inner; }

    // Passed on.
    void OnPushLocation(CDsScene* s, CDsLocation* l, const CDsObjectPath& p, const CDsItemVariant* v)
    {
        m_inner.OnPushLocation(s, l, p, v);
    }
    // Passed on.
    bool VisitItem(CDsLocation* l, const CDsObjectPath& p, const CDsItemVariant* parent)
    {
        return m_inner.VisitItem(l, p, parent);
    }
    // Passed on.
    void OnPopLocation(CDsScene* s, CDsLocation* l, const CDsObjectPath& p, const CDsItemVariant* v)
    {
        m_inner.OnPopLocation(s, l, p, v);
    }
    // Passed on.
    void OnCompleteGroup(CDsScene* s, CDsLocation* l, const CDsObjectPath& p, const CDsItemVariant* v)
    {
        m_inner.OnCompleteGroup(s, l, p, v);
    }
    // Passed on.
    ESlaveTraverseMode OnBeginMasters() { return m_inner.OnBeginMasters(); }
    // Passed on.
    void OnBeginSlaves() { m_inner.OnBeginSlaves(); }
    // Passed on.
    void OnEndSlaves() { m_inner.OnEndSlaves(); }
    // Passed on.
    void OnEndComplex() { m_inner.OnEndComplex(); }
    // Passed on.
    bool OnVisitSlave(CDsScene* s, CDsLocation* l, const CDsObjectPath& p, const CDsItemVariant* v)
    {
        return m_inner.OnVisitSlave(s, l, p, v);
    }
    // Passed on.
    unsigned RegionsHideFactor() { return m_inner.RegionsHideFactor(); }
    // Passed on.
    bool OnRegionLeaf(CDsLocation* l, const CDsObjectPath& p, int id, int type)
    {
        return m_inner.OnRegionLeaf(l, p, id, type);
    }
    // Passed on.
    void OnCompleteRegion(CDsScene* s, CDsLocation* l, const CDsObjectPath& p, const CDsItemVariant* v)
    {
        m_inner.OnCompleteRegion(s, l, p, v);
    }

protected:
    Inner& m_inner;
};

// Whether the walk's path names the location of `record` (part id and ids; the depth is not
// compared).
AFX_EXT_API bool DsSameLocation(const CDsObjectPath& path, const CVyrObjectPath& record);

// Keeps the attributes with which an attribute-only draw functor entered one location.
class CDsDisplayedAttributeFunctor : public CDsForwardingFunctor<CDsGlAttributeFunctor> {
public:
    // Watches for `target` (kept by reference) while `inner` walks.
    CDsDisplayedAttributeFunctor(CDsGlAttributeFunctor& inner, const CVyrObjectPath& target)
        : CDsForwardingFunctor<CDsGlAttributeFunctor>(inner), m_target(target)
    {
    }
    // At the target location: keeps the entered attributes. Then the inner visit.
    bool VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent)
    {
        if (!m_found && DsSameLocation(path, m_target)) {
            m_found = true;
            m_attributes = m_inner.GetItemAttributes();
        }
        return m_inner.VisitItem(location, path, parent);
    }
    // Whether the walk reached the target.
    bool IsFound() const { return m_found; }
    // The attributes the target was entered with.
    const CDsAttributes& GetAttributes() const { return m_attributes; }

private:
    const CVyrObjectPath& m_target;
    bool m_found = false;
    CDsAttributes m_attributes;
};

// The decoration functor: follows the walk down to its target location and draws the target's
// subtree (as its list says) with the inner draw functor, entering every location at or below the
// target with the forced state. With `ownDraw` (the highlight kinds) a location is drawn by the
// functor's own primitive loop: faces of every geometry that connects no items (curved and
// planar alike), silhouettes only of a shared style bit, nothing of a geometry that is not always
// drawn in states 4 and 5.
template <class Inner>
class CDsGlDrawFunctor : public CDsForwardingFunctor<Inner> {
public:
    // A functor for the `target` path (kept by pointer) with the forced `state` (1: the
    // locations' own states), the list (may be null) and its mode, the kind's draw and the walk
    // flags of the inner functor; `view` gets each drawn location's state while it draws.
    CDsGlDrawFunctor(Inner& inner, const CVyrObjectPath* target, int state, const std::vector<CVyrObjectPath>* list,
                     bool listMode, bool ownDraw, int walkFlags, view3d* view);

    // Steps in: the target reached sets the forced state as the inner functor's entry state;
    // then the inner functor enters the location.
    void OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                        const CDsItemVariant* variant);
    // The inner functor leaves the location; leaving the target ends the forced state.
    void OnPopLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                       const CDsItemVariant* variant);
    // Above the target: whether the location leads to it. At and below it: drawn or passed as the
    // list says (in list mode, a location that leads to a listed one is gone into undrawn); a
    // location with hidden attributes is not drawn and not gone into.
    bool VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent);

    // Whether the walk is at or below the target.
    bool IsOnTarget() const { return m_onTarget; }
    // The result of the last draw.
    bool WasDrawn() const { return m_drawn; }

private:
    bool Draw(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent);
    bool OwnDraw(const CDsObjectPath& path, const CDsItemVariant* parent);
    // Whether `geometry` connects items for `id` (which then draw their own faces).
    static bool ConnectsItems(const CDsGeometry* geometry, int id);
    bool IsListed(const CDsObjectPath& path) const;
    bool IsBelowListed(const CDsObjectPath& path) const;
    bool LeadsToListed(const CDsObjectPath& path) const;

    const CVyrObjectPath* m_target;
    bool m_drawn = false;
    bool m_onTarget = false;
    int m_targetSize = 0;
    int m_state;
    CDsAttributes m_attributes;  // made and kept for the walk; not read
    bool m_listMode;
    const std::vector<CVyrObjectPath>* m_list;
    bool m_ownDraw;
    int m_walkFlags;
    view3d* m_view;
    const CDsItemVariant* m_variant = nullptr;
};

// --- Change log --------------------------------------------------------------------------------

// Records `paths` as one entry of the scene's change log (an empty list only lets a full log
// overflow).
void DsRecordChangedPaths(CDsScene& scene, const std::vector<CVyrObjectPath>& paths);
// Records the one path.
void DsRecordChangedPath(CDsScene& scene, const CVyrObjectPath& path);
// A list of the one path.
std::vector<CVyrObjectPath> DsMakeSinglePathVector(const CVyrObjectPath& path);
// Writes into `out` the path of `path`'s ids without its last n (n its depth, at most its size),
// with depth 0 and `path`'s part id; returns `out`.
CVyrObjectPath& DsMakeItemPath(const CVyrObjectPath& path, CVyrObjectPath& out);

// --- Sections ------------------------------------------------------------------------------------

// Gathers into `clipped` (emptied first) what a section whose clip paths are `clipPaths` clips of
// the listed `paths`: a listed path at or below a clip path is clipped whole and gathered itself;
// of any other listed path, the clip paths that lie below it are gathered. Each is gathered once.
// True when every listed path is clipped whole, so that nothing of them is left to draw
// unclipped; false for an empty list.
bool DsGatherClippedPaths(const std::vector<CVyrObjectPath>& paths, const std::vector<CVyrObjectPath>& clipPaths,
                          std::vector<CVyrObjectPath>& clipped);

// --- Parameter points ----------------------------------------------------------------------------

// The first record of [first, last) at `position`: the same point within 1e-4 with `exact`,
// else closer than 10 pixels on `view` (both projected; no match without a view); `last` when
// none matches, also for a position that is not finite.
const CDsGlContext::SParamPoint* DsFindParamPoint(const CDsGlContext::SParamPoint* first,
                                                  const CDsGlContext::SParamPoint* last, const SPAposition& position,
                                                  bool exact, view3d* view);
// The first record of [first, last) whose projection on `view` is closer than 10 pixels to the
// window point (x, y), y counted from the top; `last` when none is (or without a view).
const CDsGlContext::SParamPoint* DsFindParamPointBy2dPos(const CDsGlContext::SParamPoint* first,
                                                         const CDsGlContext::SParamPoint* last, int x, int y,
                                                         view3d* view);

// Sends the line state of a parameter-point highlight: the depth layer of the attributes' draw
// style in `renderMode`, the scene's shaders off when it has no section, lighting off, the colour,
// the line width and the line style; nothing when `setup` holds these attributes as the last ones
// sent by this step.
void DsApplyParamPointLineState(const CDsAttributes& attributes, SDsDrawSetup& setup, int renderMode);

#include "DsLocationWalks.inl"
