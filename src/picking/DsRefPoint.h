// CDsRefPoint: a snap point that a pick finds on a model edge, a point, a coordinate system or the
// screen (an edge's start, end, middle or centre, the point of an edge nearest to the pick, the
// intersection of two edges, an edge piercing a face, a point entity, a coordinate system's
// origin, a free position). The outcome of the last construction or pick lives in statics shared
// by every reference point; a caller reads them right after the pick. CDsRefPointFilter narrows
// which kinds of point (a mask, bit i for kind 256 + i) and which entities a pick may return.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The constructors other than those from an edge and the copy constructor set the curve flag to
//   0, so an edge pick on such a point answers 0.
// - An edge pick records what it found in every mode: a direct hit sets sPickType to its kind and
//   sLastPosition to its point; in single mode (one kind of 256 to 274 allowed) a nearest-point hit
//   within the aperture snaps to the kind's own point: for 256 to whichever end is nearer (256 or
//   257), for any other kind to that kind's point.
// - In single mode an end-only mask (kind 257) is examined like the start (the end point, then the
//   nearest-point try that snaps to the end), rather than never, which would leave a host asking
//   for end points with nothing.
// - EvalPickPosition with an evaluator frees it and evaluates afresh: the point a nearest-point
//   pick made is evaluated on the edge's curve, not left as the polyline gave it.
// - StIsPicked tests in the pick mode CDsAcisPick began for an equal event, else in a pick mode of
//   its own at the event (the process-wide aperture), which it ends again.
// - LookForClosePosition measures how far the cursor is from each segment's nearest point, not
//   from its line; it passes over a segment the cursor lies beyond by more than a tenth of the
//   segment only at the polyline's own ends (not where two segments meet, nor where a closed one
//   joins its last point to its first, nor where the near plane cuts it). In perspective it
//   measures the part of each segment the window shows, from the near plane on: a segment
//   reaching behind the eye is cut there (in double precision, in the eye's frame), one wholly
//   before the plane is passed over.
// - LookForClosePosition and PickEdgePosition record the winning segment in the pick information
//   of the context of the event's view (when it has one).
// - PointFig's figure is a cross marker (style 0) of 10 pixels.
// - CDsRefPointFilter::operator!= answers whether the filters differ: 1 when either is null or a
//   field differs, 0 for the same object or equal fields.
#pragma once

#include <afx.h>

#include "DsUid.h"
#include "GmPosition.h"

#include <functional>

class CDsFigPoint3D;
class CDsItemBase;
class CDsItemEdge;
class CDsPickedItem;
class CDsRefPoint;
class CDsTypeMask;
class CUiPickEvent;
class CVyrPoint;
class CVyrWCS;
class DsAcisEdge;
class EDGE;
class ENTITY;
class FACE;
class SPApar_pos;
class entity_filter;
class view3d;

// The kind of a reference point (256 to 274; 0 none, -1 a miss).
typedef int eVyrParamPointType;

// A reference point.
class AFX_EXT_CLASS CDsRefPoint {
public:
    // Whether a point of an edge (as the edge item or the owner's polyline gives it) may be answered.
    using TPointTest = std::function<bool(const CGmPosition&)>;

    // The point of `entity` (its reference entity when not null); with `position`, the last
    // position becomes it. The pick type stays.
    explicit CDsRefPoint(ENTITY* entity, const CGmPosition* position = nullptr);
    // The point of `edge` (its reference entity when not null), ready for edge picks (curve flag
    // 1). The pick type stays.
    explicit CDsRefPoint(EDGE* edge);
    // A free position: kind 272.
    explicit CDsRefPoint(const CGmPosition& position);
    // A position of `kind`.
    CDsRefPoint(const CGmPosition& position, eVyrParamPointType kind);
    // A position of `kind` at curve parameter `param`.
    CDsRefPoint(const CGmPosition& position, double param, eVyrParamPointType kind);
    // The intersection of `first` (at `param1`, the reference entity) and `second` (at `param2`):
    // kind 269.
    CDsRefPoint(const CGmPosition& position, EDGE* first, double param1, EDGE* second, double param2);
    // `edge` piercing `face` at `position`: kind 271.
    CDsRefPoint(const CGmPosition& position, EDGE* edge, FACE* face);
    // A point entity: its location, kind 263.
    explicit CDsRefPoint(CVyrPoint* point);
    // A coordinate system: the origin of its WCS (when it has one), kind 262.
    explicit CDsRefPoint(CVyrWCS* wcs);
    // Its own copy of the other's picked item, the same reference entity, edge item and curve
    // flag; no uid path, evaluator or picked owner.
    CDsRefPoint(const CDsRefPoint& other);
    // Copies the uid path and every field, with its own copy of the picked item and no evaluator.
    CDsRefPoint& operator=(const CDsRefPoint& other);
    // Frees the evaluator and the picked item; clears sVyrPoint.
    ~CDsRefPoint();

    // The reference entity and its type code, when `entity` is not null.
    void SetReferenceEntity(ENTITY* entity);
    // The reference entity, null when none.
    ENTITY* GetReferenceEntity() const { return m_entity; }
    // The reference entity's type code, -1 when none.
    int GetReferenceEntityType() const { return m_entityType; }
    // The edge item whose points an edge pick tests (not owned; null when none).
    void SetItemEdge(CDsItemEdge* item) { m_itemEdge = item; }
    // The edge item, null when none.
    CDsItemEdge* GetItemEdge() const { return m_itemEdge; }
    // The item through which the edge was picked (not owned; a copy moves the positions).
    void SetPickedOwner(CDsItemBase* owner) { m_pickedOwner = owner; }
    // The picked owner, null when none.
    CDsItemBase* GetPickedOwner() const { return m_pickedOwner; }
    // The path of the display item that holds the point.
    void SetUidPath(const CDsUidPath& path) { m_uidPath = path; }
    // The uid path.
    const CDsUidPath& GetUidPath() const { return m_uidPath; }
    // The picked item tied to the point (owned), null when none.
    CDsPickedItem* GetPickedItem() const { return m_pickedItem; }
    // Frees the edge evaluator.
    void InValidateRefPoint();

    // The last position.
    static CGmPosition PickPosition() { return sLastPosition; }
    // The last kind.
    static eVyrParamPointType PickType() { return sPickType; }
    // Sets the last kind.
    static void SetPickType(eVyrParamPointType kind) { sPickType = kind; }
    // The last curve parameter.
    static double PickParam() { return sParam; }
    // The intersection of the last pick: this point's reference entity at sParam, sEdge2 at sParam2.
    void GetIntersecionData(ENTITY*& first, double& param1, EDGE*& second, double& param2) const;
    // The pierce of the last pick: this point's reference entity and sFace.
    void GetPierceData(ENTITY*& edge, FACE*& face) const;
    // The point entity of the last construction, null when none.
    static CVyrPoint* GetVyrPoint() { return sVyrPoint; }
    // The coordinate system of the last construction, null when none.
    static CVyrWCS* GetVyrWCS() { return sVyrWCS; }

    // A new cross marker figure at the last position; the caller owns it.
    CDsFigPoint3D* PointFig() const;

    // Edge reference points: whether the event picks one of the edge points that `mask` allows
    // (256 start, 257 end, 258 middle, 259 centre, from the edge item), with the kind in sPickType
    // and the point in sLastPosition (see the header comment). 0 leaving the pick type for a point
    // whose reference entity is no edge; 0 with the pick type -1 without curve, edge item or hit.
    // With `accept`, a point it does not accept is passed over and the search goes on.
    int PickRefPoint(const CUiPickEvent& event, const CDsTypeMask& mask, const TPointTest* accept = nullptr);
    // The point of the edge nearest to model point `position`: 267 with sLastPosition and sParam,
    // else 0 (the last position is `position` then).
    int PickRefClosePoint(const CGmPosition& position);
    // The point of the owner's polyline nearest to the pick: 267 with sLastPosition, else 0 (pick
    // type 0). `markVertex` marks a vertex hit in the pick information (primitive type 0). With
    // `accept`, only points it accepts are answered (the nearest of those).
    int PickRefClosePoint(const CUiPickEvent& event, bool markVertex, const TPointTest* accept = nullptr);
    // The point of the reference entity nearest to the pick by the geometry engine: its
    // StIsPicked, with sLastPosition, sParam and kind 267; 0 without entity or point.
    int PickRefClosePointByEntity(const CUiPickEvent& event);
    // With a reference entity the pick type becomes 0; always 0.
    int PickRefPointByEntity(const CUiPickEvent& event);
    // sLastPosition and sParam anew on the edge for the current sPickType (see the header
    // comment); a reversed edge swaps 256 and 257.
    void EvalPickPosition(const CUiPickEvent& event);
    // The surface parameters of `position` on `face`; (0, 0) without face or surface.
    static void PickParamUV(FACE* face, const CGmPosition& position, SPApar_pos& uv);

    // 1 when the model position lies in the pick aperture of the event's view; 0 without a view.
    static int StIsPicked(const CUiPickEvent& event, const CGmPosition& position);
    // The start (256) or the end (257) nearer to `point`: the start only when strictly nearer.
    static eVyrParamPointType StartOrEnd(const SPAposition& start, const SPAposition& end, const SPAposition& point);
    // The owner's polyline for the event's view (new array, the caller deletes it) and its count;
    // null when there is none.
    CGmPosition* GetPositionsFromOwner(const CUiPickEvent& event, int& count);
    // The point of the polyline nearest to the cursor on screen (new, the caller deletes it), or
    // null; the winning segment index goes to `segment` and to the pick information. With
    // `accept`, the nearest of the segments' nearest points that it accepts.
    static CGmPosition* LookForClosePosition(int count, const CGmPosition* positions, view3d* view,
                                             const CUiPickEvent& event, int* segment = nullptr,
                                             const TPointTest* accept = nullptr);
    // LookForClosePosition on the owner's polyline, marking a vertex hit with `markVertex`.
    CGmPosition* PickEdgePosition(const CUiPickEvent& event, bool markVertex, const TPointTest* accept = nullptr);

    // The position of the last construction or pick.
    static CGmPosition sLastPosition;
    // The kind of the last pick (a reference-point type 256 to 274, 0, or -1 after a miss).
    static eVyrParamPointType sPickType;
    // The curve parameter of the last pick.
    static double sParam;
    // The second edge of an intersection.
    static EDGE* sEdge2;
    // Its parameter.
    static double sParam2;
    // The pierced face.
    static FACE* sFace;
    // The point entity of the last construction.
    static CVyrPoint* sVyrPoint;
    // The coordinate system of the last construction.
    static CVyrWCS* sVyrWCS;

private:
    // What every constructor clears.
    void Clear();
    // The edge of the reference entity (or of a view-table entity), null when none.
    EDGE* Edge() const;

    CDsPickedItem* m_pickedItem = nullptr;
    CDsUidPath m_uidPath;
    DsAcisEdge* m_evaluator = nullptr;
    int m_curveFlag = 0;
    int m_entityType = -1;
    ENTITY* m_entity = nullptr;
    CDsItemEdge* m_itemEdge = nullptr;
    CDsItemBase* m_pickedOwner = nullptr;
};

// What a reference-point pick may return.
class AFX_EXT_CLASS CDsRefPointFilter {
public:
    // The callback form of an entity test.
    typedef int (*TEntityTest)(const ENTITY* entity);
    // The callback form with the mask argument.
    typedef int (*TEntityMaskTest)(ENTITY* entity, long argument);

    // `mask`, no entity filter, no callback.
    explicit CDsRefPointFilter(long mask = 0x220F);
    // The default mask; an entity filter on `test` when not null.
    explicit CDsRefPointFilter(TEntityTest test);
    // The default mask, then SetEntityFilter(test).
    explicit CDsRefPointFilter(TEntityMaskTest test);
    // Shares the entity filter, copies the mask, its own callback cell.
    CDsRefPointFilter(const CDsRefPointFilter& other);
    CDsRefPointFilter& operator=(const CDsRefPointFilter&) = delete;
    // Frees the callback cell and drops its entity-filter reference.
    virtual ~CDsRefPointFilter();

    // 0x220F: kinds 256, 257, 258, 259, 265 and 269.
    static long StGetDefaultMask() { return 0x220F; }
    // The mask.
    long GetPointMask() const;
    // The mask of `filter`; 0x220F for a null filter.
    static long GetPointMask(const CDsRefPointFilter* filter);
    // Sets the mask.
    void SetPointMask(long mask) { m_mask = mask; }
    // The entity filter, null when none.
    entity_filter* GetPointEntityFilter() const { return m_filter; }
    // A new entity filter on `test` (null: none); the callback stays.
    void SetEntityFilter(TEntityTest test);
    // The callback becomes `test`; the entity filter one on StTestRefPoint, so that modeler picks
    // that know only entity filters reach the callback through the current filter.
    void SetEntityFilter(TEntityMaskTest test);
    // The callback's answer for (entity, argument), else the entity filter's, else 1.
    int TestEntity(ENTITY* entity, long argument) const;
    // 1 without entity filter, or for a point without reference entity while the mask is 0;
    // otherwise the callback with (reference entity, sPickType), else the entity filter's test.
    int TestRefPoint(const CDsRefPoint& point) const;
    // 1 when a field differs; 0 for the same object or equal fields.
    int operator!=(const CDsRefPointFilter& other) const;
    // 1 when either is null or they differ; 0 for equal filters.
    static int StNotEqual(const CDsRefPointFilter* a, const CDsRefPointFilter* b);

    // Sets the current filter and the argument its callback gets from StTestRefPoint.
    static void StSetCurrentRefPointFilter(CDsRefPointFilter* filter, long argument);
    // The current filter (not owned), null when none.
    static CDsRefPointFilter* sCurrentRefPointFilter;
    // The argument of the current filter's callback.
    static long sRefPointMaskArg;

private:
    // The current filter's test of `entity`: 1 without one.
    static int StTestRefPoint(const ENTITY* entity);
    // Replaces the entity filter (the old reference dropped).
    void HoldFilter(entity_filter* filter);

    long m_mask = 0x220F;
    entity_filter* m_filter = nullptr;
    TEntityMaskTest* m_callback = nullptr;
};
