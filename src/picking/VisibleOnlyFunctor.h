// CVisibleOnlyFunctor: the visible-only pass of a region pick. It walks the scene (peer part, then
// temporary part) and rasterises the faces of every item into a software z-buffer of the region's
// size (CVyrZBuffer), one record per triangle, as the frame draws them: through the view's own
// projection (a perspective view as the window shows it, nothing nearer than the near plane nor
// beyond the far one; CDsZBufferProjection::MapPolygon), every polygon as a fan of triangles from
// its first corner, and cut by the scene's sections where the frame cuts the item (SetSections).
// Each triangle takes the pixels whose centres it covers, as the window fills it. The faces that
// hide what lies behind them write the buffer; the others are tested against it once the walk is
// done. A triangle that still owns (or, for one that hides nothing, lies in front of) more than
// 5 % of the pixels it drew counts as visible, and the item's path is collected once per such
// triangle. The region walk then takes only the collected items
// (CDsPickProccessor::PickInRegion in selection mode 2). Needs no OpenGL. Internal to the display
// core.
//
// What is rasterised: an item whose geometry draws faces (kind 4), when it is pickable (its type
// in the domain's masks, accepted by the host's test, inside the scope and the id filters) or when
// its faces hide. Faces hide where the frame draws them hiding, by the transparency a pick counts
// them with (DsPickFaceTransparency): in the wireframe and partial hidden-line modes nothing
// hides, in the hidden-line and shaded modes every drawn face does, in the mixed mode (and in the
// temporary part, which is drawn that way) the faces at least three quarters opaque (transparency
// from 191.25 of 255 up). A see-through face that cannot be picked is not rasterised; one that can
// is found where nothing that hides lies in front of it, and hides nothing itself. The partial
// hidden-line mode draws the model's faces (the peer part's, picked or not) into the depth buffer
// only, as the single pick knows (CDsHidingFaces): they are rasterised into a depth-only buffer of
// their own, and a figure's face (the temporary part's, solid or see-through) counts no pixel where
// one of them lies nearer; the model's own faces, which stand for its lines there, they do not
// hide. A pickable figure
// whose geometry gives no face polygon now (an STL mesh the view draws as lines) counts visible,
// as an item of lines does.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The buffer covers only the part of the region inside the viewport (CDsZBufferProjection):
//   corners far outside the window cannot make it larger than the window. A region (or visible
//   part) of zero width or height makes no buffer, divides nothing and finds no item.
// - Records and their counts are kept in the order they were made, and the paths are collected in
//   that order (never in the order of record addresses, which changes from run to run). A triangle
//   that puts no pixel into the buffer makes no record.
// - Polygons of 1 or 2 vertices add nothing.
// - Sections: with a stepped section, the items it applies to are drawn once per area of it, cut
//   by that area's planes (not at all by a section without areas), and the other items whole (a
//   section plane beside it cuts nothing, as in the frame); with only a section plane every item
//   is cut by it. A geometry that draws with the clip planes off (CDsGeometry::IsCutBySections
//   false) is never cut.
// - An item drawn through its region parent's geometry rasterises the polygons that geometry
//   answers for the item's id, as the draw walk draws it, not those of id 0 (which would give
//   every item of the region the same faces); the kinds test still asks for id 0.
// - An item with neither a geometry nor a region parent with one is not rasterised, and the walk
//   goes below it.
#pragma once

#include "DsPickProccessor.h"
#include "DsPickWalks.h"
#include "DsZBufferProjection.h"
#include "VyrZBuffer.h"

#include "DsTransform.h"
#include "DsTraverseFunctor.h"
#include "SpaValues.h"
#include "VyrObjectPath.h"

#include <memory>
#include <vector>

class CDsGeometry;
class CDsGlScene;
class CDsLocation;
class CDsPartStorage;
class CDsScene;
class CDsView3dCdc;
class pick_event;
class view3d;

// The region rectangle of a region pick in window pixels, y up: the corners (x1, y1) and (x2, y2)
// counted down from the top of the viewport (x, y, width, height) of `view`, flipped with
// height - 1 as the single pick flips its point and moved by the viewport's corner, as the
// locations' window boxes are; every value clamped to 16 bits.
SDsPickRect DsRegionPickRect(int x1, int y1, int x2, int y2, const view3d& view);

// The functor of the visible-only pass.
class CVisibleOnlyFunctor : public CDsTraverseFunctor {
public:
    // A rasterised triangle's record.
    struct FaceGeom {
        const CDsGeometry* geometry = nullptr;  // the item's geometry (not owned)
        CVyrObjectPath path;                    // the item's object path
        CDsTransform transform;                 // the walk's top transform at the item
        int box[4] = {0, 0, 0, 0};              // the location's window box (0s when none)
        long drawn = 0;                         // pixels the triangle drew
        long visible = 0;                       // cells it owns at the end; -1 when hidden
    };
    // The z-buffer of the pass.
    typedef CVyrZBuffer<FaceGeom*> TZBuffer;

    // The pass for the region between `first` (x, y) and `secondCorner` (x, y; drawable pixels
    // counted down) on `view`, with the pick's domain (only the union of its masks is kept), the
    // host's test (may be null), the scope (may be null), the any-depth flag, the id-range filter
    // (may be null) and the id bound. Builds the z-buffer (none for an empty region or a view without a context).
    CVisibleOnlyFunctor(CDsView3dCdc* view, const pick_event& first, const int* secondCorner,
                        const std::vector<CDsTypeMask>& domain, CDsPickTestFunc* test,
                        const std::vector<CVyrObjectPath>* scopePaths, bool anyDepth, const TDsPickIdRanges* idRanges,
                        int idBound);
    // Deletes the records and the z-buffer.
    ~CVisibleOnlyFunctor();
    CVisibleOnlyFunctor(const CVisibleOnlyFunctor&) = delete;
    CVisibleOnlyFunctor& operator=(const CVisibleOnlyFunctor&) = delete;

    // The sections of `scene` (may be null: none) cut the faces as the frame cuts them; call it
    // before Walk.
    void SetSections(const CDsGlScene* scene);
    // Walks the whole scene (peer part, then temporary part).
    void Walk(CDsPartStorage* storage, CDsScene* scene);
    // Tests the faces that hide nothing against the buffer and counts the pixels (once), then
    // appends the path of every visible record to `paths`.
    void CollectVisibleItems(std::vector<CVyrObjectPath>& paths);

    // The z-buffer, null when the region is empty.
    TZBuffer* GetZBuffer() const { return m_buffer.get(); }
    // The records, in the order they were made.
    const std::vector<std::unique_ptr<FaceGeom>>& GetRecords() const { return m_records; }
    // Region width and height in pixels (inside the viewport).
    int GetWidth() const { return m_width; }
    // Region height in pixels.
    int GetHeight() const { return m_height; }

    // Counts the cells each record of `records` owns in `buffer` and marks a record hidden (-1)
    // when it drew pixels and owns 5 % of them or fewer; the paths of the visible records are
    // appended to `paths` in record order.
    static void StCountAndCollect(TZBuffer& buffer, std::vector<std::unique_ptr<FaceGeom>>& records,
                                  std::vector<CVyrObjectPath>& paths);

    // Walk hooks.
    void OnPushLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                        const CDsItemVariant* variant);
    bool VisitItem(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* parent);
    void OnPopLocation(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                       const CDsItemVariant* variant);
    ESlaveTraverseMode OnBeginMasters() { return eSlavesCached; }
    bool OnVisitSlave(CDsScene* scene, CDsLocation* location, const CDsObjectPath& path,
                      const CDsItemVariant* variant);

private:
    // The item visit; the walk goes below the item when true.
    bool Visit(CDsLocation* location, const CDsObjectPath& path, const CDsItemVariant* variant,
               const CDsItemVariant* parent);
    // What Visit rasterises an item's triangles with.
    struct SItemFaces {
        const CDsGeometry* geometry;
        const CDsObjectPath* path;
        const int* box;
        bool hides;      // the faces write the buffer; else they are tested against it afterwards
        bool cut;        // the sections cut the faces
        bool depthOnly;  // the faces write the depth-only buffer (the model's, partial hidden lines)
        bool found;      // the faces make records: pickable, or hiding
    };
    // A triangle of a face that hides nothing, mapped, and its record.
    struct SSeeThrough {
        SVyrZSubVertex a, b, c;
        FaceGeom* record;
        bool behindModel;  // the model's depth-only faces hide it (a figure's)
    };
    // Rasterises one triangle of model points (in the item's coordinates).
    void Rasterise(const float* a, const float* b, const float* c, const SItemFaces& item);
    // Rasterises the mapped polygon in m_cells as a fan for `record`, made from `item` when null.
    void Fan(const SItemFaces& item, std::unique_ptr<FaceGeom>& record);

    CDsView3dCdc* m_view;
    std::unique_ptr<TZBuffer> m_buffer;
    // In the partial hidden-line mode, the depths of the model's faces (no records): they hide the
    // figures' faces behind them, not the model's own, which stand for its lines.
    std::unique_ptr<TZBuffer> m_depthOnly;
    std::vector<std::unique_ptr<FaceGeom>> m_records;
    int m_width = 0;
    int m_height = 0;
    CDsZBufferProjection m_projection;
    const CDsGlScene* m_sections = nullptr;
    bool m_stepped = false;                             // the sections are a stepped section's areas
    std::vector<std::vector<SDsEyePlane>> m_sectionPasses;  // the planes of each area, or of the plane
    std::vector<SSeeThrough> m_seeThrough;
    // Pickable figures of faces that gave no polygon (faces the view does not draw now): visible as
    // items of lines are.
    std::vector<CVyrObjectPath> m_faceless;
    std::vector<SVyrZSubVertex> m_cells;  // scratch: a mapped polygon
    std::vector<float> m_corners;      // scratch: a polygon's corners
    int m_renderMode = 0;
    SDsPickAcceptance m_acceptance;
    CDsPickTestFunc* m_test;
    SDsPickRect m_rect;
    bool m_counted = false;
    int m_depth = 0;
    int m_levelIds[CDsRegionPickFunctor::kLevelIds] = {};
    const CDsItemVariant* m_variant = nullptr;  // the node pushed last
};
