#include "VyrBodyGeometry.h"

#include "DsDriverExtrema.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemEdge.h"
#include "DsItemSilhouette.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsFace.h"
#include "DsTrianglesCollector.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "DsView3dCdc.h"
#include "VyrIndexedMesh.h"

#include "GmPosition.h"
#include "SpaTopology.h"
#include "SpaValues.h"
#include "view3d.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

namespace {

// The object type of body items in the model part (a leaf: the type table's default category).
constexpr unsigned char kBodyType = 1;

// The silhouette kinds of the geometry's style bits: cones (cylinders among them), which the
// silhouette level of cylinders draws, and the other curved surfaces, which only the level of all
// silhouettes draws.
constexpr int kConeSilhouettes = CDsGeometry::eDpSilhouetteLevel1;
constexpr int kOtherSilhouettes = 0x200;

// The silhouette kinds of the body's shown faces.
int SilhouetteKinds(CDsItemsBody& group)
{
    int kinds = 0;
    for (int i = 0; i < group.FacesCount(); ++i) {
        CDsItemsFace* face = group.GetFaceItem(i);
        const CDsItemSilhouette* silhouette = face ? face->GetSilhouette() : nullptr;
        if (!silhouette || face->IsHidden()) continue;
        kinds |= silhouette->GetSurfaceKind() == CDsItemSilhouette::eSurfaceCone ? kConeSilhouettes : kOtherSilhouettes;
    }
    return kinds ? (kinds | CDsGeometry::eDpSilhouettes) : 0;
}

// Sets the colour of the special state the view draws a location in (dimmed, marked,
// highlighted, ...), which the body's lines take.
void ApplySpecialStateColor(view3d& view)
{
    const auto* core = dynamic_cast<const CDsView3dCdc*>(&view);
    const int state = core ? core->GetLocationState() : 0;
    if (state < eAttribSetDim || state > eAttribSetVisibility7) return;
    const unsigned c = CDsScene::GetSpecialAttrs(state).GetColor();
    glColor3ub(GLubyte(c & 0xFF), GLubyte((c >> 8) & 0xFF), GLubyte((c >> 16) & 0xFF));
}

// The outlines of the body's curved faces that the view's silhouette level takes, placed as the
// faces' meshes are drawn (under the body's transformation, which is in place, and the face's
// own), supplied for the view as it draws now.
void DrawSilhouettes(view3d& view, CDsItemsBody& group)
{
    for (int i = 0; i < group.FacesCount(); ++i) {
        CDsItemsFace* face = group.GetFaceItem(i);
        CDsItemSilhouette* silhouette = face ? face->GetSilhouette() : nullptr;
        if (!silhouette || face->IsHidden() || silhouette->IsHidden() || !silhouette->IsLevelShown(view)) continue;
        DsPushItemTransformation(&view, face);
        silhouette->DrawSegments(view);
        DsPopItemTransformation(&view, face);
    }
}

// Appends each triangle's corners, under a transformation, as floats.
class CTriangleGatherer : public CDsTrianglesCollector {
public:
    CTriangleGatherer(const SPAtransf& transform, std::vector<float>& points) : m_transform(transform), m_points(points) {}
    void AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c) override
    {
        for (const SPAposition* corner : {&a, &b, &c}) {
            const SPAposition p = m_transform.identity() ? *corner : *corner * m_transform;
            m_points.push_back(static_cast<float>(p.x()));
            m_points.push_back(static_cast<float>(p.y()));
            m_points.push_back(static_cast<float>(p.z()));
        }
    }

private:
    SPAtransf m_transform;
    std::vector<float>& m_points;
};

// The Morton code of a point given by three numbers from 0 to 1 (ten bits each): points near each
// other mostly get codes near each other.
uint32_t MortonCode(const double unit[3])
{
    uint32_t code = 0;
    for (int axis = 0; axis < 3; ++axis) {
        uint32_t v = static_cast<uint32_t>(std::min(1023.0, std::max(0.0, unit[axis] * 1023.0)));
        for (int bit = 0; bit < 10; ++bit) code |= ((v >> bit) & 1u) << (3 * bit + axis);
    }
    return code;
}

// The box [l, h] placed by `placement`: the box of its eight corners placed.
void PlaceBox(const SPAposition& l, const SPAposition& h, const SPAtransf& placement, SPAposition& low, SPAposition& high)
{
    low = SPAposition(HUGE_VAL, HUGE_VAL, HUGE_VAL);
    high = SPAposition(-HUGE_VAL, -HUGE_VAL, -HUGE_VAL);
    for (int corner = 0; corner < 8; ++corner) {
        const SPAposition p =
            SPAposition(corner & 1 ? h.x() : l.x(), corner & 2 ? h.y() : l.y(), corner & 4 ? h.z() : l.z()) * placement;
        low = SPAposition(std::min(low.x(), p.x()), std::min(low.y(), p.y()), std::min(low.z(), p.z()));
        high = SPAposition(std::max(high.x(), p.x()), std::max(high.y(), p.y()), std::max(high.z(), p.z()));
    }
}

// The box of `face` where it is drawn in the body, placed by `placement`; false when it has none.
bool PlacedFaceBox(CDsItemsFace& face, const SPAtransf& placement, SPAposition& low, SPAposition& high)
{
    CGmPosition l, h;
    if (!face.GetBox(l, h, false) || l.x() > h.x()) return false;
    low = SPAposition(l.x(), l.y(), l.z());
    high = SPAposition(h.x(), h.y(), h.z());
    if (!placement.identity()) PlaceBox(SPAposition(low), SPAposition(high), placement, low, high);
    return true;
}

// The pick volume of an OpenGL selection: OpenGL's projection times model-view, as the drawing
// stands. A box lies outside when all its corners lie beyond one of the volume's six planes.
class CSelectionVolume {
public:
    CSelectionVolume()
    {
        double projection[16], modelview[16];
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        for (int column = 0; column < 4; ++column)
            for (int row = 0; row < 4; ++row) {
                double sum = 0.0;
                for (int k = 0; k < 4; ++k) sum += projection[k * 4 + row] * modelview[column * 4 + k];
                m_matrix[column * 4 + row] = sum;
            }
    }
    // Whether the box [low, high] (model coordinates as the drawing stands) lies wholly outside.
    bool Outside(const CGmPosition& low, const CGmPosition& high) const
    {
        int outside[6] = {0, 0, 0, 0, 0, 0};
        for (int corner = 0; corner < 8; ++corner) {
            const double p[3] = {corner & 1 ? high.x() : low.x(), corner & 2 ? high.y() : low.y(),
                                 corner & 4 ? high.z() : low.z()};
            double clip[4];
            for (int row = 0; row < 4; ++row)
                clip[row] = m_matrix[row] * p[0] + m_matrix[4 + row] * p[1] + m_matrix[8 + row] * p[2] + m_matrix[12 + row];
            for (int axis = 0; axis < 3; ++axis) {
                outside[2 * axis] += clip[axis] > clip[3];
                outside[2 * axis + 1] += clip[axis] < -clip[3];
            }
        }
        for (int plane = 0; plane < 6; ++plane)
            if (outside[plane] == 8) return true;
        return false;
    }

private:
    double m_matrix[16];
};

// The body's items as DrawGl draws them, with a copy's transformation (if any) already in place.
void DrawBodyItems(view3d& view, int kinds, CDsItemsBody* group)
{
    // Highlighted, marked, dimmed and the other special states of the location draw the edges and
    // silhouettes in their special set's colour (the view holds the state while the walk draws).
    if (!(kinds & (CDsGeometry::eDpFaces | CDsGeometry::eDpLines)) && (kinds & CDsGeometry::eDpSilhouettes)) {
        ApplySpecialStateColor(view);
        DsPushItemTransformation(&view, group);
        DrawSilhouettes(view, *group);
        DsPopItemTransformation(&view, group);
        return;
    }
    // The face items' meshes or the edge items' polylines, in the look the walk has just set,
    // under the body's transformation and a face's own (a face moved on its own); hidden items are
    // left out.
    const int child = (kinds & CDsGeometry::eDpFaces) ? 0 : (kinds & CDsGeometry::eDpLines) ? 1 : -1;
    auto* items = child >= 0 && child < group->Count() ? dynamic_cast<CDsItemsGroup*>(group->GetFast(child)) : nullptr;
    if (!items) return;
    if (child == 1) ApplySpecialStateColor(view);
    DsPushItemTransformation(&view, group);
    // A selection or a feedback (a pick) gets nothing from a face whose box lies outside its volume.
    GLint renderMode = GL_RENDER;
    if (child == 0) glGetIntegerv(GL_RENDER_MODE, &renderMode);
    std::optional<CSelectionVolume> volume;
    if (renderMode == GL_SELECT || renderMode == GL_FEEDBACK) volume.emplace();
    for (int i = 0; i < items->Count(); ++i) {
        CDsItemBase* item = items->GetFast(i);
        if (!item || item->IsHidden()) continue;
        auto* face = child == 0 ? dynamic_cast<CDsItemsFace*>(item) : nullptr;
        if (volume && face) {
            CGmPosition low, high;
            if (face->GetBox(low, high, false) && !(low.x() > high.x()) && volume->Outside(low, high)) continue;
        }
        DsPushItemTransformation(&view, face);
        item->DrawGl(view);
        DsPopItemTransformation(&view, face);
    }
    DsPopItemTransformation(&view, group);
}

}  // namespace

CVyrBodyGeometry::CVyrBodyGeometry(ENTITY* shown, CDsGlContext* context)
    : m_entity(shown), m_context(context ? context->GetSmartPointer() : CVyrSmartPointer())
{
}

CDsGeometry* CVyrBodyGeometry::Clone() const
{
    auto* clone = new CVyrBodyGeometry(m_entity, nullptr);
    clone->m_context = m_context;
    return clone;
}

bool CVyrBodyGeometry::SShown::CopyHidden() const
{
    return copy && copy->IsHidden();
}

SPAtransf CVyrBodyGeometry::SShown::Placement() const
{
    if (!copy || !copy->HasTransformation()) return group->GetTransformation();
    return group->GetTransformation() * copy->GetTransformation();
}

CVyrBodyGeometry::SShown CVyrBodyGeometry::Shown() const
{
    SShown shown;
    auto* context = static_cast<CDsGlContext*>(m_context.Get());
    if (!context || !m_entity) return shown;
    // The item map names a copy at once; a body is looked up as the context files bodies.
    auto* copy = dynamic_cast<CDsItemsCopy*>(context->FindDsItem(m_entity));
    if (!copy) {
        shown.group = context->FindDsBody(m_entity);
        return shown;
    }
    // A copy of a body or a wire body only: the context draws the copies of other groups itself.
    if (copy->GetEntity() != m_entity || copy->GetCopyMode() > 1) return shown;
    shown.group = dynamic_cast<CDsItemsBody*>(copy->GetBody());
    if (shown.group) shown.copy = copy;
    return shown;
}

bool CVyrBodyGeometry::GetShownBody(CDsItemsBody*& body, SPAtransf& after) const
{
    const SShown shown = Shown();
    body = shown.group;
    after = shown.copy ? shown.copy->GetTransformation() : SPAtransf();
    return body && !shown.CopyHidden();
}

const int* CVyrBodyGeometry::GetConnectedItems(unsigned int& count, int) const
{
    count = 0;
    return nullptr;
}

bool CVyrBodyGeometry::GetBoundBox(SPAbox& box, int) const
{
    const SShown shown = Shown();
    if (!shown.group) return false;
    CGmPosition low, high;
    CDsItemsGroup* boxed = shown.copy ? static_cast<CDsItemsGroup*>(shown.copy) : shown.group;
    if (!boxed->GetBox(low, high, true) || low.x() > high.x()) return false;
    box = SPAbox(SPAposition(low.x(), low.y(), low.z()), SPAposition(high.x(), high.y(), high.z()));
    return true;
}

bool CVyrBodyGeometry::HasBoundBox(int) const
{
    return Shown().group != nullptr;
}

int CVyrBodyGeometry::GetDrawPrimitives(int) const
{
    const SShown shown = Shown();
    if (!shown.group || shown.CopyHidden()) return 0;
    CDsItemsBody& group = *shown.group;
    return (group.FacesCount() > 0 ? eDpFaces : 0) | eDpLines | SilhouetteKinds(group);
}

int CVyrBodyGeometry::Draw(view3d& view, eDrawPrimitives kinds, int, int, const CDsDrawContext*)
{
    const SShown shown = Shown();
    CDsItemsBody* group = shown.group;
    if (!group || !(kinds & (eDpLines | eDpFaces))) return 0;
    if (view.get_pick_mode() != 0) {
        // A pick: the edges the pick region meets, under the body's (and a copy's) placement.
        if (!(kinds & eDpLines) || group->IsHidden() || shown.CopyHidden()) return 0;
        const bool placed = group->HasTransformation() || (shown.copy && shown.copy->HasTransformation());
        if (placed) view.SetModelTransform(shown.Placement());
        int hits = 0;
        for (int i = 0; i < group->EdgesCount(); ++i)
            if (CDsItemEdge* edge = group->GetEdgeItem(i)) hits += edge->PickInView(&view, nullptr, nullptr);
        if (placed) view.ClearModelTransform();
        return hits;
    }
    // A copy measures and plots itself: the copied body under the copy's transformation.
    if (auto* extrema = dynamic_cast<CDsViewExtrema*>(&view)) {
        if (shown.copy)
            shown.copy->DrawExtremes(*extrema, nullptr);
        else
            group->DrawExtremes(*extrema, nullptr);
        return 1;
    }
    if (kinds & eDpLines) {
        if (shown.copy)
            shown.copy->Plot(view);
        else
            group->Plot(view);
    }
    return 1;
}

void CVyrBodyGeometry::DrawGl(view3d& view, eDrawPrimitives kinds, int, int, const CDsDrawContext*)
{
    const SShown shown = Shown();
    CDsItemsBody* group = shown.group;
    if (!group || shown.CopyHidden()) return;
    // A copy's transformation acts after the body's and the faces' own: it is pushed first. The
    // outlines are then supplied for the direction the copy is seen from.
    DsPushItemTransformation(&view, shown.copy);
    DrawBodyItems(view, kinds, group);
    DsPopItemTransformation(&view, shown.copy);
}

LONG CVyrBodyGeometry::DrawPoints(view3d&, LONG, int)
{
    return 0;
}

int CVyrBodyGeometry::GetVertices(eDrawPrimitives kinds, int index, float*& vertices, int& count, int)
{
    vertices = nullptr;
    count = 0;
    if (!(kinds & eDpFaces) || index < 0) return -1;
    // The body is looked up once per walk over the triangles (a ray test asks for each of them).
    if (index == 0) {
        m_triangles.clear();
        const SShown shown = Shown();
        CDsItemsBody* group = shown.group;
        if (!group || shown.CopyHidden()) return -1;
        const SPAtransf placement = shown.Placement();
        for (int i = 0; i < group->FacesCount(); ++i) {
            CDsItemsFace* face = group->GetFaceItem(i);
            CVyrIndexedMesh* mesh = face && !face->IsHidden() ? face->GetMesh() : nullptr;
            if (!mesh) continue;
            CTriangleGatherer gatherer(face->GetTransformation() * placement, m_triangles);
            mesh->CollectMeshTriangles(gatherer);
        }
    }
    const size_t triangles = m_triangles.size() / 9;
    if (static_cast<size_t>(index) >= triangles) return -1;
    vertices = m_triangles.data() + 9 * static_cast<size_t>(index);
    count = 3;
    return static_cast<size_t>(index) + 1 < triangles ? index + 1 : -1;
}

bool CVyrBodyGeometry::GetPoint(eParameterPoints, SPAposition&, int) const
{
    return false;
}

const CVyrBodyGeometry::SFaceTriangles& CVyrBodyGeometry::FaceTriangles(int index, const CVyrIndexedMesh& mesh)
{
    if (m_faces.size() <= static_cast<size_t>(index)) m_faces.resize(static_cast<size_t>(index) + 1);
    SFaceTriangles& kept = m_faces[static_cast<size_t>(index)];
    if (kept.revision == mesh.GetRevision()) return kept;
    std::vector<float> corners;
    CTriangleGatherer gatherer(SPAtransf(), corners);
    mesh.CollectMeshTriangles(gatherer);
    const size_t count = corners.size() / 9;
    // Neighbours follow each other: the triangles sorted by the Morton code of their centres in
    // the mesh's box, so that a part's box is small.
    float low[3] = {HUGE_VALF, HUGE_VALF, HUGE_VALF}, high[3] = {-HUGE_VALF, -HUGE_VALF, -HUGE_VALF};
    for (size_t i = 0; i < corners.size(); ++i) {
        low[i % 3] = std::min(low[i % 3], corners[i]);
        high[i % 3] = std::max(high[i % 3], corners[i]);
    }
    std::vector<std::pair<uint32_t, size_t>> order(count);
    for (size_t t = 0; t < count; ++t) {
        double unit[3];
        for (int a = 0; a < 3; ++a) {
            const double centre = (corners[9 * t + a] + corners[9 * t + 3 + a] + corners[9 * t + 6 + a]) / 3.0;
            unit[a] = high[a] > low[a] ? (centre - low[a]) / (high[a] - low[a]) : 0.0;
        }
        order[t] = {MortonCode(unit), t};
    }
    std::sort(order.begin(), order.end());
    kept.corners.resize(corners.size());
    for (size_t t = 0; t < count; ++t)
        std::copy_n(corners.begin() + static_cast<std::ptrdiff_t>(9 * order[t].second), 9,
                    kept.corners.begin() + static_cast<std::ptrdiff_t>(9 * t));
    kept.boxes.clear();
    for (size_t first = 0; first < count; first += kPartTriangles) {
        float box[6] = {HUGE_VALF, HUGE_VALF, HUGE_VALF, -HUGE_VALF, -HUGE_VALF, -HUGE_VALF};
        const size_t last = std::min(count, first + kPartTriangles);
        for (size_t i = 9 * first; i < 9 * last; ++i) {
            box[i % 3] = std::min(box[i % 3], kept.corners[i]);
            box[3 + i % 3] = std::max(box[3 + i % 3], kept.corners[i]);
        }
        kept.boxes.insert(kept.boxes.end(), box, box + 6);
    }
    kept.revision = mesh.GetRevision();
    return kept;
}

bool CVyrBodyGeometry::VisitFaces(int, CDsFaceVisitor& visitor)
{
    const SShown shown = Shown();
    CDsItemsBody* group = shown.group;
    if (!group) return false;
    if (shown.CopyHidden()) return true;  // no face to visit
    const SPAtransf placement = shown.Placement();
    for (int i = 0; i < group->FacesCount() && !visitor.Done(); ++i) {
        CDsItemsFace* face = group->GetFaceItem(i);
        CVyrIndexedMesh* mesh = face && !face->IsHidden() ? face->GetMesh() : nullptr;
        if (!mesh) continue;
        SPAposition low, high;
        if (!PlacedFaceBox(*face, placement, low, high)) {
            low = SPAposition(-HUGE_VAL, -HUGE_VAL, -HUGE_VAL);
            high = SPAposition(HUGE_VAL, HUGE_VAL, HUGE_VAL);
        }
        if (!visitor.WantsFace(low, high)) continue;
        const SFaceTriangles& kept = FaceTriangles(i, *mesh);
        const bool moved = !face->GetTransformation().identity() || !placement.identity();
        const SPAtransf placed = face->GetTransformation() * placement;
        auto place = [&](const float* p) {
            const SPAposition position(p[0], p[1], p[2]);
            return moved ? position * placed : position;
        };
        const size_t parts = kept.boxes.size() / 6, triangles = kept.corners.size() / 9;
        for (size_t part = 0; part < parts && !visitor.Done(); ++part) {
            const float* box = &kept.boxes[6 * part];
            low = SPAposition(box[0], box[1], box[2]);
            high = SPAposition(box[3], box[4], box[5]);
            if (moved) PlaceBox(SPAposition(low), SPAposition(high), placed, low, high);  // as a box of its own
            if (!visitor.WantsFace(low, high)) continue;
            const size_t last = std::min(triangles, (part + 1) * kPartTriangles);
            for (size_t t = part * kPartTriangles; t < last && !visitor.Done(); ++t) {
                const float* c = &kept.corners[9 * t];
                visitor.AddTriangle(place(c), place(c + 3), place(c + 6));
            }
        }
    }
    return true;
}

CDsGlContext* CVyrBodyGeometry::GetContext() const
{
    return static_cast<CDsGlContext*>(m_context.Get());
}

namespace {

// The model part of the context's scene.
int ModelPartOf(CDsGlContext* context)
{
    return context->GetScene()->GetDbScene().GetPeerPartId();
}

// What item `itemId` of the context's model part holds, as the host's calls see it.
struct SFiled {
    bool taken = false;                     // the part holds an item of that id
    CVyrBodyGeometry* geometry = nullptr;   // its geometry when it is one of a body or copy
};
SFiled FiledAt(CDsGlContext* context, int itemId)
{
    SFiled filed;
    const CDsPart* part = CDsPartStorage::instance()->GetPart(ModelPartOf(context));
    const CDsItemVariant* item = part ? part->FindItem(itemId) : nullptr;
    filed.taken = item != nullptr;
    filed.geometry = item ? dynamic_cast<CVyrBodyGeometry*>(item->GetGeometry()) : nullptr;
    return filed;
}

// Whether the context's model part files `shown` for this context under an id other than `itemId`.
bool FiledElsewhere(CDsGlContext* context, ENTITY* shown, int itemId)
{
    const CDsPart* part = CDsPartStorage::instance()->GetPart(ModelPartOf(context));
    if (!part) return false;
    for (const auto& entry : part->GetItems()) {
        const auto* geometry = entry.second ? dynamic_cast<const CVyrBodyGeometry*>(entry.second->GetGeometry()) : nullptr;
        if (entry.first != itemId && geometry && geometry->GetEntity() == shown && geometry->GetContext() == context)
            return true;
    }
    return false;
}

// Whether `shown` may be filed as item `itemId` of the context: the id is free, or holds what a
// closed window of the document filed (a body's or copy's geometry whose context is gone, which
// draws nothing and is filed anew). An item of a live context, or of another kind, keeps its id,
// and an entity the context files under another id is not filed twice (only an entity the context
// shows already can be filed: the part is searched only then).
bool MayFile(CDsGlContext* context, ENTITY* shown, int itemId, bool alreadyShown)
{
    const SFiled filed = FiledAt(context, itemId);
    if (filed.taken && !(filed.geometry && !filed.geometry->GetContext())) return false;
    return !alreadyShown || !FiledElsewhere(context, shown, itemId);
}

// Files the geometry of `shown` into the context's scene database as item `itemId` of the model
// part, in place of what a closed window left there (see MayFile); false (the geometry not kept)
// when the database refuses the id.
bool FileGeometry(CDsGlContext* context, ENTITY* shown, int itemId, const CDsAttributes* attributes)
{
    const CVyrObjectId id(ModelPartOf(context), itemId);
    if (FiledAt(context, itemId).taken) CDsPartStorage::instance()->RemoveItem(id, nullptr);
    std::unique_ptr<CVyrBodyGeometry> geometry(new CVyrBodyGeometry(shown, context));
    if (!CDsPartStorage::instance()->AddItem(id, kBodyType, geometry.get(), nullptr, attributes, nullptr, nullptr, true))
        return false;
    geometry.release();  // the database's now
    return true;
}

// Whether item `itemId` of the context holds the geometry of `shown` filed for this context.
bool MayTakeOut(CDsGlContext* context, ENTITY* shown, int itemId)
{
    const SFiled filed = FiledAt(context, itemId);
    return filed.taken && filed.geometry && filed.geometry->GetEntity() == shown &&
           filed.geometry->GetContext() == context;
}

}  // namespace

bool VyrShowBody(CDsGlContext* context, BODY* body, int itemId, const CDsAttributes* attributes)
{
    if (!context || !body) return false;
    const bool made = context->FindDsBody(body) == nullptr;
    if (!MayFile(context, body, itemId, !made)) return false;
    context->add(body);
    if (!context->FindDsBody(body)) return false;
    if (FileGeometry(context, body, itemId, attributes)) return true;
    if (made) context->remove(body);  // a refused call leaves the context as it was
    return false;
}

bool VyrHideBody(CDsGlContext* context, BODY* body, int itemId)
{
    if (!context || !body || !MayTakeOut(context, body, itemId)) return false;
    CDsPartStorage::instance()->RemoveItem(CVyrObjectId(ModelPartOf(context), itemId), nullptr);
    context->remove(body);
    return true;
}

namespace {

// The copy group that shows `copy` in `context`, null when none does.
CDsItemsCopy* CopyGroupOf(CDsGlContext* context, ENTITY* copy)
{
    auto* group = dynamic_cast<CDsItemsCopy*>(context->FindDsItem(copy));
    return group && group->GetEntity() == copy ? group : nullptr;
}

// Takes the copy group of `copy` out of the context and deletes it (RemoveCopy hands it back).
void RemoveCopyGroup(CDsGlContext* context, ENTITY* copy)
{
    CDsItemsCopy* group = CopyGroupOf(context, copy);
    if (!group) return;
    context->RemoveCopy(copy);
    delete group;
}

}  // namespace

bool VyrShowCopy(CDsGlContext* context, ENTITY* copy, int itemId, const CDsAttributes* attributes)
{
    if (!context || !copy) return false;
    const bool made = CopyGroupOf(context, copy) == nullptr;
    if (!MayFile(context, copy, itemId, !made)) return false;
    context->AddCopy(copy);
    CDsItemsCopy* group = CopyGroupOf(context, copy);
    if (!group || !group->GetBody()) return false;
    if (FileGeometry(context, copy, itemId, attributes)) return true;
    if (made) RemoveCopyGroup(context, copy);
    return false;
}

bool VyrHideCopy(CDsGlContext* context, ENTITY* copy, int itemId)
{
    if (!context || !copy || !MayTakeOut(context, copy, itemId)) return false;
    CDsPartStorage::instance()->RemoveItem(CVyrObjectId(ModelPartOf(context), itemId), nullptr);
    RemoveCopyGroup(context, copy);
    return true;
}
