#include "VyrBodyGeometry.h"

#include "DsDriverExtrema.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemEdge.h"
#include "DsItemSilhouette.h"
#include "DsItemsBody.h"
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

}  // namespace

CVyrBodyGeometry::CVyrBodyGeometry(BODY* body, CDsGlContext* context)
    : m_body(body), m_context(context ? context->GetSmartPointer() : CVyrSmartPointer())
{
}

CDsGeometry* CVyrBodyGeometry::Clone() const
{
    auto* clone = new CVyrBodyGeometry(m_body, nullptr);
    clone->m_context = m_context;
    return clone;
}

CDsItemsBody* CVyrBodyGeometry::Group() const
{
    auto* context = static_cast<CDsGlContext*>(m_context.Get());
    return context && m_body ? context->FindDsBody(m_body) : nullptr;
}

const int* CVyrBodyGeometry::GetConnectedItems(unsigned int& count, int) const
{
    count = 0;
    return nullptr;
}

bool CVyrBodyGeometry::GetBoundBox(SPAbox& box, int) const
{
    CDsItemsBody* group = Group();
    if (!group) return false;
    CGmPosition low, high;
    if (!group->GetBox(low, high, true) || low.x() > high.x()) return false;
    box = SPAbox(SPAposition(low.x(), low.y(), low.z()), SPAposition(high.x(), high.y(), high.z()));
    return true;
}

bool CVyrBodyGeometry::HasBoundBox(int) const
{
    return Group() != nullptr;
}

int CVyrBodyGeometry::GetDrawPrimitives(int) const
{
    CDsItemsBody* group = Group();
    if (!group) return 0;
    return (group->FacesCount() > 0 ? eDpFaces : 0) | eDpLines | SilhouetteKinds(*group);
}

int CVyrBodyGeometry::Draw(view3d& view, eDrawPrimitives kinds, int, int, const CDsDrawContext*)
{
    CDsItemsBody* group = Group();
    if (!group || !(kinds & (eDpLines | eDpFaces))) return 0;
    if (view.get_pick_mode() != 0) {
        // A pick: the edges the pick region meets, under the body's placement.
        if (!(kinds & eDpLines) || group->IsHidden()) return 0;
        const bool placed = group->HasTransformation();
        if (placed) view.SetModelTransform(group->GetTransformation());
        int hits = 0;
        for (int i = 0; i < group->EdgesCount(); ++i)
            if (CDsItemEdge* edge = group->GetEdgeItem(i)) hits += edge->PickInView(&view, nullptr, nullptr);
        if (placed) view.ClearModelTransform();
        return hits;
    }
    if (auto* extrema = dynamic_cast<CDsViewExtrema*>(&view)) {
        group->DrawExtremes(*extrema, nullptr);
        return 1;
    }
    if (kinds & eDpLines) group->Plot(view);
    return 1;
}

void CVyrBodyGeometry::DrawGl(view3d& view, eDrawPrimitives kinds, int, int, const CDsDrawContext*)
{
    CDsItemsBody* group = Group();
    if (!group) return;
    // Highlighted, marked, dimmed and the other special states of the location draw the edges and
    // silhouettes in their special set's colour (the view holds the state while the walk draws).
    if (!(kinds & (eDpFaces | eDpLines)) && (kinds & eDpSilhouettes)) {
        ApplySpecialStateColor(view);
        DsPushItemTransformation(&view, group);
        DrawSilhouettes(view, *group);
        DsPopItemTransformation(&view, group);
        return;
    }
    // The face items' meshes or the edge items' polylines, in the look the walk has just set,
    // under the body's transformation and a face's own (a face moved on its own); hidden items are
    // left out.
    const int child = (kinds & eDpFaces) ? 0 : (kinds & eDpLines) ? 1 : -1;
    auto* items = child >= 0 && child < group->Count() ? dynamic_cast<CDsItemsGroup*>(group->GetFast(child)) : nullptr;
    if (!items) return;
    if (child == 1) ApplySpecialStateColor(view);
    DsPushItemTransformation(&view, group);
    for (int i = 0; i < items->Count(); ++i) {
        CDsItemBase* item = items->GetFast(i);
        if (!item || item->IsHidden()) continue;
        auto* face = child == 0 ? dynamic_cast<CDsItemsFace*>(item) : nullptr;
        DsPushItemTransformation(&view, face);
        item->DrawGl(view);
        DsPopItemTransformation(&view, face);
    }
    DsPopItemTransformation(&view, group);
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
        CDsItemsBody* group = Group();
        if (!group) return -1;
        for (int i = 0; i < group->FacesCount(); ++i) {
            CDsItemsFace* face = group->GetFaceItem(i);
            CVyrIndexedMesh* mesh = face && !face->IsHidden() ? face->GetMesh() : nullptr;
            if (!mesh) continue;
            CTriangleGatherer gatherer(face->GetTransformation() * group->GetTransformation(), m_triangles);
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

bool VyrShowBody(CDsGlContext* context, BODY* body, int itemId, const CDsAttributes* attributes)
{
    if (!context || !body) return false;
    context->add(body);
    if (!context->FindDsBody(body)) return false;
    const int part = context->GetScene()->GetDbScene().GetPeerPartId();
    return CDsPartStorage::instance()->AddItem(CVyrObjectId(part, itemId), kBodyType,
                                               new CVyrBodyGeometry(body, context), nullptr, attributes, nullptr,
                                               nullptr, true);
}

void VyrHideBody(CDsGlContext* context, BODY* body, int itemId)
{
    if (!context) return;
    const int part = context->GetScene()->GetDbScene().GetPeerPartId();
    CDsPartStorage::instance()->RemoveItem(CVyrObjectId(part, itemId), nullptr);
    if (body) context->remove(body);
}
