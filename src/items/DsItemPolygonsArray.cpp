// CDsItemPolygonsArray: a triangle strip compiled into the item's display list.
#include "DsItemPolygonsArray.h"

#include "DsLineAttribStorage.h"
#include "DsSelectionNames.h"

#include "pick_manager.h"
#include "view3d.h"

#include <cmath>

namespace {

// The colour of special line-attribute set 0, when that set exists.
void TakeDefaultColor(CDsItemBase& item)
{
    if (const CDsLineAttribStorage* set = CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetNormal))
        item.SetColor(set->GetColor(), true);
}

// normalise(v), or zero for a vector without length.
void Normalise(double v[3])
{
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(length > 0.0) || !std::isfinite(length)) {
        v[0] = v[1] = v[2] = 0.0;
        return;
    }
    for (int i = 0; i < 3; ++i) v[i] /= length;
}

}  // namespace

CDsItemPolygonsArray::CDsItemPolygonsArray()
{
    TakeDefaultColor(*this);
}

CDsItemPolygonsArray::CDsItemPolygonsArray(int count, const double* points, const double* normals)
    : CDsItemPolygonsArray()
{
    CreateTriangleStrip(count, points, normals);
}

CDsItemPolygonsArray::~CDsItemPolygonsArray()
{
    DeleteItemList();
}

EDsItemsType CDsItemPolygonsArray::GetItemType()
{
    return eDsItemPolygonsArray;
}

namespace {

// -normalise((p - q) x (r - q)) into `n`.
void TriangleNormal(const double* p, const double* q, const double* r, double n[3])
{
    const double a[3] = {p[0] - q[0], p[1] - q[1], p[2] - q[2]};
    const double b[3] = {r[0] - q[0], r[1] - q[1], r[2] - q[2]};
    n[0] = a[1] * b[2] - a[2] * b[1];
    n[1] = a[2] * b[0] - a[0] * b[2];
    n[2] = a[0] * b[1] - a[1] * b[0];
    Normalise(n);
    for (int i = 0; i < 3; ++i) n[i] = -n[i];
}

}  // namespace

void CDsItemPolygonsArray::SetGlTriangleNormal(const double* p, const double* q, const double* r)
{
    double n[3];
    TriangleNormal(p, q, r, n);
    glNormal3d(n[0], n[1], n[2]);
}

void CDsItemPolygonsArray::CreateTriangleStrip(int count, const double* points, const double* normals)
{
    // Without a current context no list can be compiled: the strip is kept and compiled at the
    // item's first draw in a context.
    const bool keep = !wglGetCurrentContext();
    if (!keep) StartBuildGlList(false);
    CDsListWriter out(keep ? this : nullptr, kOwnList);
    if (points && count > 0) {
        double lo[3] = {points[0], points[1], points[2]}, hi[3] = {points[0], points[1], points[2]};
        for (int i = 1; i < count; ++i)
            for (int a = 0; a < 3; ++a) {
                const double c = points[3 * i + a];
                if (c < lo[a]) lo[a] = c;
                if (c > hi[a]) hi[a] = c;
            }
        SetExtremesCorners(lo, hi);
    } else {
        m_extremesValid = 1;
    }
    const int row = points && count > 0 ? count / 2 : 0;
    const double* a = points;
    const double* b = points ? points + 3 * row : nullptr;
    m_triangles.clear();
    for (int i = 0; i + 1 < row; ++i)
        for (const double* corner :
             {a + 3 * i, b + 3 * i, a + 3 * (i + 1), b + 3 * i, b + 3 * (i + 1), a + 3 * (i + 1)})
            for (int c = 0; c < 3; ++c) m_triangles.push_back(static_cast<float>(corner[c]));
    StNoteVertexCountChange();
    if (normals && row > 0) {
        const double* na = normals;
        const double* nb = normals + 3 * row;
        out.Begin(GL_TRIANGLE_STRIP);
        for (int i = 0; i < row; ++i) {
            out.Normal(na + 3 * i);
            out.Vertex(a + 3 * i);
            out.Normal(nb + 3 * i);
            out.Vertex(b + 3 * i);
        }
        out.End();
    } else if (row >= 2) {
        out.Begin(GL_TRIANGLES);
        double n[3];
        for (int i = 0; i + 1 < row; ++i) {
            const double* ai = a + 3 * i;
            const double* ai1 = a + 3 * (i + 1);
            const double* bi = b + 3 * i;
            const double* bi1 = b + 3 * (i + 1);
            TriangleNormal(ai, bi, ai1, n);
            out.Normal(n);
            out.Vertex(ai);
            out.Vertex(bi);
            out.Vertex(ai1);
            TriangleNormal(bi, bi1, ai1, n);
            out.Normal(n);
            out.Vertex(bi);
            out.Vertex(bi1);
            out.Vertex(ai1);
        }
        out.End();
    }
    if (!keep) EndBuildGlList();
}

void CDsItemPolygonsArray::SetPoints(int count, const double* points, const double* normals)
{
    DeleteItemList();
    CreateTriangleStrip(count, points, normals);
}

void CDsItemPolygonsArray::CallListTwoPasses()
{
    if (DrawTrianglesForPick(true)) return;
    CompileKeptPrimitives();
    if (GetGlListName() == 0 && !HasKeptPrimitives()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    CallOwnList();
    glCullFace(GL_FRONT);
    CallOwnList();
    glPopAttrib();
}

void CDsItemPolygonsArray::DrawGl(view3d&)
{
    glPushName(CDsSelectionNames::StGetName(this));
    PushMatrix();
    SaveOpenGlFlags();
    SetGlRenderAttribute(m_fill);
    {
        CDsGlColorSaver saver;
        ApplyColor(saver, true);
        CallListTwoPasses();
    }
    RestoreOpenGlFlags();
    PopMatrix();
    glPopName();
}

bool CDsItemPolygonsArray::Pick(pick_manager* manager)
{
    if (manager && manager->get_view()) Refresh(*manager->get_view());
    return false;
}

void CDsItemPolygonsArray::DrawOnTraverse(view3d&, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & CDsGeometry::eDpFaces)) return;
    CDsGlColorSaver saver;
    ApplyColor(saver, applyAttributes);
    PushMatrix();
    CallListTwoPasses();
    PopMatrix();
}
