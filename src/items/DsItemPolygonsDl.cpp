// CDsItemPolygonsDl: polygons recorded into display lists by the figure generator.
#include "DsItemPolygonsDl.h"

#include "DsLineAttribStorage.h"
#include "DsSelectionNames.h"

#include "view3d.h"

CDsItemPolygonsDl::CDsItemPolygonsDl()
{
    if (const CDsLineAttribStorage* set = CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetNormal))
        SetColor(set->GetColor(), true);
    SetGlListFlag(true);
}

CDsItemPolygonsDl::~CDsItemPolygonsDl()
{
    DeleteItemList();
}

EDsItemsType CDsItemPolygonsDl::GetItemType()
{
    return eDsItemPolygonsDl;
}

void CDsItemPolygonsDl::SetExtremes(const double* min, const double* max)
{
    if (min && max) SetExtremesCorners(min, max);
}

void CDsItemPolygonsDl::AddTriangles(int count, const double* points)
{
    if (count <= 0 || !points) return;
    const size_t floats = 9 * static_cast<size_t>(count);
    m_triangles.reserve(m_triangles.size() + floats);
    for (size_t i = 0; i < floats; ++i) m_triangles.push_back(static_cast<float>(points[i]));
    StNoteVertexCountChange();
}

int CDsItemPolygonsDl::GetOwnTrianglesCount() const
{
    // What CallLists draws: the block when the item has a range, else its own list; or the
    // primitives kept for them until they are compiled.
    const bool drawn = HasKeptPrimitives() || (m_listCount >= 1 ? m_firstList != 0 : GetGlListName() != 0);
    return drawn ? CDsItemPolygonsBase::GetOwnTrianglesCount() : 0;
}

void CDsItemPolygonsDl::CallLists(bool bothSides)
{
    if (DrawTrianglesForPick(bothSides)) return;
    CompileKeptPrimitives();
    if (m_listCount >= 1) {
        DrawDisplayLists(m_listCount);
        return;
    }
    if (GetGlListName() == 0 && !HasKeptPrimitives()) return;
    if (!bothSides) {
        CallOwnList();
        return;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    CallOwnList();
    glCullFace(GL_FRONT);
    CallOwnList();
    glPopAttrib();
}

void CDsItemPolygonsDl::DrawGl(view3d&)
{
    PushMatrix();
    SaveOpenGlFlags();
    glEnable(GL_CULL_FACE);
    SetGlRenderAttribute(m_fill);
    {
        CDsGlColorSaver saver;
        ApplyColor(saver, true);
        CallLists();
    }
    RestoreOpenGlFlags();
    PopMatrix();
}

bool CDsItemPolygonsDl::Pick(pick_manager*)
{
    glPushName(CDsSelectionNames::StGetName(this));
    PushMatrix();
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_CULL_FACE);
    if (!DrawTrianglesForPick(true)) {
        CompileKeptPrimitives();
        if (m_listCount >= 1)
            DrawDisplayLists(m_listCount);
        else
            CallOwnList();
    }
    glPopAttrib();
    PopMatrix();
    glPopName();
    return false;
}

void CDsItemPolygonsDl::DrawOnTraverse(view3d&, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes)
{
    if (!(kinds & CDsGeometry::eDpFaces)) return;
    // Read before the colour saver touches any state: the caller's culling decides.
    const bool bothSides = !WalkCullsBlendedFaces();
    CDsGlColorSaver saver;
    ApplyColor(saver, applyAttributes);
    PushMatrix();
    CallLists(bothSides);
    PopMatrix();
}
