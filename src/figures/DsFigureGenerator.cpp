#include "DsFigureGenerator.h"

#include "DsFigPoly3D.h"

#include "DsItemBitmapIndexed.h"
#include "DsItemEllipseDynamic.h"
#include "DsItemImage.h"
#include "DsItemPointFixed.h"
#include "DsItemPolyline2D.h"
#include "DsItemNText2D.h"
#include "DsItemNText3D.h"
#include "DsItemsNTextBlock.h"
#include "DsNFontStorage.h"
#include "UiCharFormat.h"

#include "DsArcPolyGenerator.h"
#include "DsEllipseStorage.h"
#include "DsGlContext.h"
#include "DsHideLevel.h"
#include "DsItemPolygons2D.h"
#include "DsItemPolygonsArray.h"
#include "DsItemPolygonsDl.h"
#include "DsItemPolygonsStl.h"
#include "DsItemPolyline3D.h"
#include "DsItemQuadric.h"
#include "DsItemTrigs.h"
#include "DsItemsFigure.h"
#include "DsItemsHlView.h"
#include "DsItemToolpathPolyline.h"
#include "DsItemsToolpath.h"
#include "DsItemsUcs.h"
#include "DsPolyline.h"
#include "DsPolylineStorage.h"

#include "SpaGeometry.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <string>

CDsFigureGenerator* CDsFigureGenerator::mCurrentItFigure = nullptr;
bool CDsFigureGenerator::sForceFixedText = false;

CDsFigureGenerator::CDsFigureGenerator(CDsGlContext* context) : m_context(context)
{
    sForceFixedText = false;
    // The pen inherits everything it is not told.
    m_pen.ResetInheritColorState();
    m_pen.ResetInheritStyleState();
    m_pen.ResetInheritWidthState();
}

CDsFigureGenerator::~CDsFigureGenerator()
{
    if (mCurrentItFigure == this) mCurrentItFigure = nullptr;
    if (m_listOpen) glEndList();
    delete m_root;
    delete m_groupRoot;
}

// --- Placing items ------------------------------------------------------------------------------

void CDsFigureGenerator::ApplyPen(CDsItemBase* item)
{
    if (!m_pen.GetInheritColorState()) item->SetColor(m_pen.GetColor(), true);
    if (m_pen.GetWidth() != 0) item->SetWidth(m_pen.GetWidth(), true);
    if (m_pen.GetStyle() < CDsLineAttribStorage::kInheritStyle) item->SetStyle(m_pen.GetStyle(), true);
    if (m_pen.IsHidden()) {
        const CDsHideLevel level(m_pen.GetHideLevel());
        item->SetAttribute(level, true, true);
    }
    item->SetTransparency(m_pen.GetTransparencyByte() * 0.003921569f);
    item->SetOnTopFlag(m_pen.GetOnTopFlag());
    if (!m_transformation.identity()) item->Transform(m_transformation);
    item->SetType(m_type);
}

void CDsFigureGenerator::EnsureRoot()
{
    if (m_currentGroup) return;
    if (!m_root) m_root = new CDsItemsFigure;
    m_currentGroup = m_root;
}

void CDsFigureGenerator::AddCurrentItem()
{
    CDsItemBase* item = m_currentItem;
    if (!item) return;
    EnsureRoot();
    ApplyPen(item);
    m_currentGroup->Add(item);
    item->SetParent(m_currentGroup);
    if (m_context && m_entity) {
        m_context->AddToMap(m_entity, item);
        item->SetGlContext(m_context);
        item->SetEntity(m_entity);
    }
}

void CDsFigureGenerator::OpenSubGroup(CDsItemsGroup* group)
{
    EnsureRoot();
    ApplyPen(group);
    m_currentGroup->Add(group);
    group->SetParent(m_currentGroup);
    if (m_entity) group->SetEntity(m_entity);
    m_currentGroup = group;
}

void CDsFigureGenerator::ClosePolyline()
{
    if (m_polyline.size() >= 2 && m_2dMode) {
        std::vector<float> xy;
        xy.reserve(m_polyline.size() * 2);
        for (const CGmPosition& p : m_polyline) {
            xy.push_back(static_cast<float>(p.x()));
            xy.push_back(static_cast<float>(p.y()));
        }
        m_currentItem = new CDsItemPolyline2D(static_cast<int>(m_polyline.size()), xy.data(), nullptr);
        AddCurrentItem();
    } else if (m_polyline.size() >= 2) {
        const std::vector<SPAposition> points(m_polyline.begin(), m_polyline.end());
        m_currentItem = new CDsItemPolyline3D(static_cast<int>(points.size()), points.data(), false, nullptr);
        AddCurrentItem();
    }
    m_polyline.clear();
}

// --- Groups -------------------------------------------------------------------------------------

void CDsFigureGenerator::StartGroup(bool)
{
    OpenSubGroup(new CDsItemsFigure);
}

void CDsFigureGenerator::EndGroup()
{
    if (!m_currentGroup) return;
    CDsItemsGroup* owner = m_currentGroup->GetParent();
    if (!owner) return;
    m_currentItem = m_currentGroup;
    m_currentGroup = owner;
}

void CDsFigureGenerator::EndToolpathBranch()
{
    if (!m_currentItem) return;
    const EDsItemsType type = m_currentItem->GetItemType();
    if (type == eDsItemToolpathPolyline || type == eDsItemToolpathPolylinePlanar) m_currentItem = nullptr;
}

// --- Toolpaths ----------------------------------------------------------------------------------

void CDsFigureGenerator::StartToolpath(const CDsUid& id, CDsAttributesPalette* palette)
{
    ClosePolyline();
    auto* toolpath = new CDsItemsToolpath(id);
    toolpath->SetPalette(palette);
    if (m_currentGroup) {
        OpenSubGroup(toolpath);
        return;
    }
    ApplyPen(toolpath);
    if (m_entity) toolpath->SetEntity(m_entity);
    toolpath->SetGlContext(m_context);
    delete m_groupRoot;
    m_groupRoot = toolpath;
    m_currentGroup = toolpath;
    m_currentItem = nullptr;
}

void CDsFigureGenerator::StartToolpathBranch(const CDsUid& id, float)
{
    ClosePolyline();
    m_currentItem = new CDsItemToolpathPolyline(id);
    AddCurrentItem();
}

void CDsFigureGenerator::StartPlanarToolpathBranch(const CDsUid& id, float z, float)
{
    ClosePolyline();
    m_currentItem = new CDsItemToolpathPolylinePlanar(id, z);
    AddCurrentItem();
}

void CDsFigureGenerator::AddToolpathSegment(TDsNodeHeader* node)
{
    if (!node || !m_currentItem) return;
    const EDsItemsType type = m_currentItem->GetItemType();
    if (type != eDsItemToolpathPolyline && type != eDsItemToolpathPolylinePlanar) return;
    static_cast<CDsItemToolpathPolyline*>(m_currentItem)->AddSegment(node);
}

void CDsFigureGenerator::EndToolpath()
{
    EndGroup();
}

void CDsFigureGenerator::AddSubFigure(CDsItemBase* item)
{
    m_currentItem = item;
    AddCurrentItem();
}

// --- Pen ----------------------------------------------------------------------------------------

void CDsFigureGenerator::SetPenColor(const CDsColorStorage& color)
{
    ClosePolyline();
    m_pen.SetColor(color);
}

void CDsFigureGenerator::ResetPenColor()
{
    ClosePolyline();
    m_pen.ResetInheritColorState();
}

void CDsFigureGenerator::SetPenStyle(int style)
{
    ClosePolyline();
    m_pen.SetStyle(style);
}

void CDsFigureGenerator::ResetPenStyle()
{
    ClosePolyline();
    m_pen.ResetInheritStyleState();
}

void CDsFigureGenerator::SetPenWidth(int width)
{
    ClosePolyline();
    m_pen.SetWidth(width);
}

void CDsFigureGenerator::ResetPenWidth()
{
    ClosePolyline();
    m_pen.ResetInheritWidthState();
}

void CDsFigureGenerator::SetTransparency(float value)
{
    ClosePolyline();
    m_pen.SetTransparency(value);
}

void CDsFigureGenerator::SetOnTopFlag(bool onTop)
{
    ClosePolyline();
    m_pen.SetOnTopFlag(onTop);
}

void CDsFigureGenerator::SetPenVisibilityBlank(bool blank)
{
    m_pen.SetAttribute(CDsHideLevel(blank ? eDsHideLevelBlank : eDsHideLevelShown), true);
}

void CDsFigureGenerator::SetSpecialHide()
{
    m_pen.SetAttribute(CDsHideLevel(eDsHideLevelSpecial), true);
}

void CDsFigureGenerator::SetXorMode(bool on)
{
    m_pen.SetXorMode(on);
}

void CDsFigureGenerator::SetTransformation(const CGmTransformation& transformation)
{
    m_transformation = transformation;
}

void CDsFigureGenerator::ResetFlag(EDsItemFlags flag)
{
    m_flags.Reset(static_cast<unsigned short>(flag));
}

bool CDsFigureGenerator::GetFlag(EDsItemFlags flag) const
{
    return m_flags.Get(static_cast<unsigned short>(flag));
}

void CDsFigureGenerator::SetFlag(EDsItemFlags flag)
{
    m_flags.Set(static_cast<unsigned short>(flag));
}

// --- Drawing ------------------------------------------------------------------------------------

void CDsFigureGenerator::MoveTo(const CGmPosition& position)
{
    ClosePolyline();
    m_2dMode = false;
    m_polyline.push_back(position);
    m_position = position;
}

void CDsFigureGenerator::DrawTo(const CGmPosition& position)
{
    m_2dMode = false;
    if (m_polyline.empty()) m_polyline.push_back(m_position);
    m_polyline.push_back(position);
    m_position = position;
}

void CDsFigureGenerator::DrawPolyline(int count, const CGmPosition* points)
{
    ClosePolyline();
    m_2dMode = false;
    if (points)
        for (int i = 0; i < count; ++i) m_polyline.push_back(points[i]);
    ClosePolyline();
}

void CDsFigureGenerator::DrawArc(const CGmPosition& centre, double radius, const CGmTransformation& transformation,
                                 double start, double sweep, double step)
{
    DrawArc(CDsArcPolyGenerator(centre, radius, transformation, start, sweep, step));
}

void CDsFigureGenerator::DrawArc(const CDsArcPolyGenerator& arc)
{
    if (arc.GetRadius() == 0.0 || !std::isfinite(arc.GetRadius())) return;
    if (CDsEllipseStorage::StGetDynamicEllipses()) {
        const double sweep = arc.GetDelta();
        if (arc.GetSegmentCount() == 0 || !std::isfinite(arc.GetStart())) return;
        const SPAtransf& t = arc.GetTransformation();
        const SPAposition centre = SPAposition(arc.GetCenter()) * t;
        const SPAunit_vector normal = normalise(t.affine().row(2));
        const SPAvector major = (arc.GetRadius() * t.scaling()) * t.affine().row(0);
        const double start = sweep < 0.0 ? arc.GetStart() + sweep : arc.GetStart();
        const ellipse curve(centre, normal, major, 1.0, 0.0);
        ClosePolyline();
        m_currentItem = new CDsItemEllipseDynamic(new CDsEllipseStorage(curve, start, start + std::fabs(sweep)));
        AddCurrentItem();
        return;
    }
    m_2dMode = false;
    const std::unique_ptr<CDsPolylineStorage> storage(arc.Approximate());
    if (!storage) return;
    ClosePolyline();
    for (int i = 0; i < storage->GetVertexCount(); ++i) m_polyline.push_back(storage->GetTRansformedVertex(i));
    ClosePolyline();
}

// --- Hidden-line segments -----------------------------------------------------------------------

void CDsFigureGenerator::StartHlView(ENTITY* entity, bool showSecondSet)
{
    ClosePolyline();
    ClosePolygons();
    auto* view = new CDsItemsHlView(entity, showSecondSet);
    view->SetGlContext(m_context);
    delete m_root;
    m_root = nullptr;
    delete m_groupRoot;
    m_groupRoot = view;
    m_currentGroup = view;
    m_currentItem = nullptr;
}

CDsItemsGroup* CDsFigureGenerator::CurrentHlSet(EDsHlSegmentType type) const
{
    CDsItemsGroup* view = m_currentGroup;
    if (!view || view->GetItemType() != eDsItemsHlView) return nullptr;
    // The view's children are its segment sets; a type that names none has nowhere to go.
    if (static_cast<int>(type) < 0 || static_cast<int>(type) >= view->Count()) return nullptr;
    return dynamic_cast<CDsItemsGroup*>(view->Get(static_cast<int>(type)));
}

void CDsFigureGenerator::AddHlSegment(ENTITY* entity, CDsEllipseStorage* storage, EDsHlSegmentType type)
{
    CDsItemsGroup* set = CurrentHlSet(type);
    if (!set || !storage) return;
    PlaceHlSegment(m_currentGroup, set, new CDsItemHlSegmentEllipseDynamic(storage), entity);
}

void CDsFigureGenerator::AddHlSegment(ENTITY* entity, CDsPolyline* polyline, EDsHlSegmentType type)
{
    CDsItemsGroup* set = CurrentHlSet(type);
    if (!set) return;
    PlaceHlSegment(m_currentGroup, set, new CDsItemHlSegmentPolyline3D(entity, polyline), entity);
}

void CDsFigureGenerator::PlaceHlSegment(CDsItemsGroup* view, CDsItemsGroup* set, CDsItemBase* item, ENTITY* entity)
{
    m_currentItem = item;
    m_entity = entity;
    set->Add(item);
    item->SetParent(view);
    ApplyPen(item);
    item->SetParent(view);
    if (m_context && m_entity) m_context->AddToMap(m_entity, item);
    if (m_entity) item->SetEntity(m_entity);
    item->SetGlContext(m_context);
    item->SetBaseFlag(eDsBaseItemNoPickWhenHidden, true);
    m_entity = nullptr;
}

CDsItemBase* CDsFigureGenerator::AddHlSegment(CDsPolyline* polyline, EDsHlSegmentType)
{
    if (!polyline) return nullptr;
    auto* item = new CDsItemHlSegmentPolyline3D(nullptr, polyline);
    ApplyPen(item);
    item->SetParent(nullptr);
    item->SetGlContext(m_context);
    item->SetBaseFlag(eDsBaseItemNoPickWhenHidden, true);
    return item;
}

// --- The result ---------------------------------------------------------------------------------

CDsItemsFigure* CDsFigureGenerator::DisplayList(ENTITY* entity)
{
    CDsItemsGroup* root = DisplayListGroup(entity);
    if (root->GetItemType() == eDsItemsFigure) return static_cast<CDsItemsFigure*>(root);
    // A hidden-line view or toolpath root goes into a figure root of its own.
    auto* figure = new CDsItemsFigure;
    figure->Add(root);
    root->SetParent(figure);
    figure->SetGlContext(m_context);
    return figure;
}

CDsItemsGroup* CDsFigureGenerator::DisplayListGroup(ENTITY*)
{
    ENTITY* entity = m_entity;
    m_entity = nullptr;
    ClosePolyline();
    ClosePolygons();
    m_entity = entity;
    mCurrentItFigure = nullptr;

    CDsItemsGroup* root = m_groupRoot ? m_groupRoot : m_root;
    if (root) {
        if (m_pen.GetXorMode()) root->SetDrawMode(eDsDrawModeXor);
        if (m_entity) root->SetEntity(m_entity);
        root->SetFlags(m_flags);
    } else {
        root = new CDsItemsFigure;
    }
    root->SetGlContext(m_context);
    // Handed over: the generator no longer owns or adds to it.
    m_root = nullptr;
    m_groupRoot = nullptr;
    m_currentGroup = nullptr;
    m_currentItem = nullptr;
    m_polygons = nullptr;
    return root;
}

// --- Static entry points ------------------------------------------------------------------------

void CDsFigureGenerator::ItMoveTo(const float* point)
{
    if (mCurrentItFigure && point) mCurrentItFigure->MoveTo(CGmPosition(point));
}

void CDsFigureGenerator::ItDrawTo(const float* point)
{
    if (mCurrentItFigure && point) mCurrentItFigure->DrawTo(CGmPosition(point));
}

void CDsFigureGenerator::ItSetPenWidth(int width)
{
    if (mCurrentItFigure) mCurrentItFigure->SetPenWidth(width);
}

void CDsFigureGenerator::ItSetPenStyle(int n)
{
    static const int kStyles[8] = {0, 1, 2, 5, 4, 7, 3, 6};
    if (!mCurrentItFigure) return;
    mCurrentItFigure->SetPenStyle(n >= 1 && n <= 8 ? kStyles[n - 1] : 4);
}

void CDsFigureGenerator::DrawPolygons2D(float*, int, bool) {}

// --- Polygons -----------------------------------------------------------------------------------

namespace {

// Vertices per numbered list of a triangle array (65,536 triangles).
constexpr int kVerticesPerList = 196608;

// -normalise((p - q) x (r - q)), or zero for a degenerate corner.
void NegatedNormal(const double* p, const double* q, const double* r, double n[3])
{
    const double a[3] = {p[0] - q[0], p[1] - q[1], p[2] - q[2]};
    const double b[3] = {r[0] - q[0], r[1] - q[1], r[2] - q[2]};
    n[0] = a[1] * b[2] - a[2] * b[1];
    n[1] = a[2] * b[0] - a[0] * b[2];
    n[2] = a[0] * b[1] - a[1] * b[0];
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0.0) || !std::isfinite(length)) {
        n[0] = n[1] = n[2] = 0.0;
        return;
    }
    for (int i = 0; i < 3; ++i) n[i] = -n[i] / length;
}

// Sets `box` (six doubles) to the box of `count` points of three doubles.
void BoxOfPoints(const double* points, int64_t count, double box[6])
{
    for (int a = 0; a < 3; ++a) box[a] = box[3 + a] = points[a];
    for (int64_t i = 1; i < count; ++i)
        for (int a = 0; a < 3; ++a) {
            const double c = points[3 * i + a];
            box[a] = std::min(box[a], c);
            box[3 + a] = std::max(box[3 + a], c);
        }
}

}  // namespace

void CDsFigureGenerator::OpenPolygons(int count)
{
    auto* item = new CDsItemPolygonsDl;
    if (count > 0) {
        item->SetRange(count);
        item->GenerateDisplayLists();
    } else if (wglGetCurrentContext()) {
        item->StartBuildGlList(false);
        m_listOpen = true;
    } else {
        m_keepingList = true;  // no list can be opened: the item keeps what is drawn into it
    }
    m_currentItem = item;
    AddCurrentItem();
    m_polygons = item;
}

void CDsFigureGenerator::StartPolygons(int count)
{
    if (m_polygons && m_currentItem == m_polygons) return;  // recording goes on into it
    ClosePolygons();
    OpenPolygons(count);
}

void CDsFigureGenerator::ClosePolygons()
{
    if (m_polygons || m_listOpen || m_keepingList) EndPolygons();
}

void CDsFigureGenerator::EndPolygons()
{
    if (m_listOpen) {
        glEndList();
        m_listOpen = false;
    }
    m_keepingList = false;
    CDsItemPolygonsDl* item = m_polygons ? m_polygons : dynamic_cast<CDsItemPolygonsDl*>(m_currentItem);
    m_polygons = nullptr;
    if (item) item->SetExtremes(m_box, m_box + 3);
}

void CDsFigureGenerator::StartList(int index)
{
    CDsItemPolygonsDl* item = m_polygons ? m_polygons : dynamic_cast<CDsItemPolygonsDl*>(m_currentItem);
    if (!item || m_listOpen || m_keepingList || item->GetFirstList() == 0 || index < 0 || index >= item->GetRange())
        return;
    item->StartList(index, false);
    m_listOpen = true;
}

void CDsFigureGenerator::EndList()
{
    if (!m_listOpen) return;
    glEndList();
    m_listOpen = false;
}

void CDsFigureGenerator::DestroyPolygons()
{
    if (auto* item = dynamic_cast<CDsItemPolygonsDl*>(m_currentItem)) item->DeleteGlList();
}

void CDsFigureGenerator::SetMinMaxBoundaries(const double* min, const double* max)
{
    if (!min || !max) return;
    for (int a = 0; a < 3; ++a) {
        m_box[a] = min[a];
        m_box[3 + a] = max[a];
    }
}

void CDsFigureGenerator::DrawTriangles(int count, const double* points, const double* normals)
{
    if (count < 1 || !points || count > INT_MAX / 3) return;
    const int vertices = 3 * count;
    ClosePolygons();
    BoxOfPoints(points, vertices, m_box);
    const int lists = vertices / kVerticesPerList + 1;
    OpenPolygons(lists);
    m_polygons->AddTriangles(count, points);
    // Without list names (no context is current) the item keeps the lists' triangles and compiles
    // them at its first draw in a context.
    const bool keep = m_polygons->GetFirstList() == 0;
    for (int list = 0; list < lists; ++list) {
        if (!keep) {
            StartList(list);
            if (!m_listOpen) break;
        }
        CDsListWriter out(keep ? m_polygons : nullptr, list);
        out.Begin(GL_TRIANGLES);
        const int end = std::min(vertices, (list + 1) * kVerticesPerList);
        double normal[3] = {0.0, 0.0, 0.0};
        for (int v = list * kVerticesPerList; v < end; ++v) {
            const double* p = points + 3 * static_cast<size_t>(v);
            if (normals)
                out.Normal(normals + 3 * static_cast<size_t>(v));
            else {
                if (v % 3 == 0) NegatedNormal(p, p + 3, p + 6, normal);
                out.Normal(normal);
            }
            out.Vertex(p);
        }
        out.End();
        if (!keep) EndList();
    }
    EndPolygons();
}

void CDsFigureGenerator::RecordTriangulation(const ZOVOvivavUrezezovovaza& triangulation,
                                             const VOREvu3v<float>& offset)
{
    const int triangles = triangulation.GetTrianglesCount();
    if (triangles < 1 || triangles > INT_MAX / 3) return;
    ClosePolygons();
    VOREvu3v<float> lo, hi;
    if (triangulation.CalcBoundingBox(lo, hi)) {
        lo += offset;
        hi += offset;
        const double box[6] = {lo.x, lo.y, lo.z, hi.x, hi.y, hi.z};
        std::copy(box, box + 6, m_box);
    }
    const int trianglesPerList = kVerticesPerList / 3;
    const int lists = triangles * 3 / kVerticesPerList + 1;
    OpenPolygons(lists);
    for (auto t = triangulation.BeginTriangles(); t != triangulation.EndTriangles(); ++t) {
        double corners[9];
        for (int i = 0; i < 3; ++i) {
            const VOREvu3v<float> p = triangulation.GetVertex(t->v[i]) + offset;
            corners[3 * i] = p.x, corners[3 * i + 1] = p.y, corners[3 * i + 2] = p.z;
        }
        m_polygons->AddTriangles(1, corners);
    }
    auto t = triangulation.BeginTriangles();
    const auto end = triangulation.EndTriangles();
    const bool keep = m_polygons->GetFirstList() == 0;  // see DrawTriangles
    for (int list = 0; list < lists; ++list) {
        if (!keep) {
            StartList(list);
            if (!m_listOpen) break;
        }
        CDsListWriter out(keep ? m_polygons : nullptr, list);
        out.Begin(GL_TRIANGLES);
        for (int n = 0; n < trianglesPerList && t != end; ++n, ++t) {
            const VOREvu3v<float> normal = triangulation.CalcNormal(*t);
            out.Normal(normal.x, normal.y, normal.z);
            for (int i = 0; i < 3; ++i) {
                const VOREvu3v<float> p = triangulation.GetVertex(t->v[i]) + offset;
                out.Vertex(p.x, p.y, p.z);
            }
        }
        out.End();
        if (!keep) EndList();
    }
    EndPolygons();
}

void CDsFigureGenerator::DrawTriangles(const ZOVOvivavUrezezovovaza& triangulation)
{
    RecordTriangulation(triangulation, VOREvu3v<float>());
}

void CDsFigureGenerator::DrawTriangles(const ZOVOvivavUrezezovovaza& triangulation, const VOREvu3v<float>& offset)
{
    RecordTriangulation(triangulation, offset);
}

void CDsFigureGenerator::DrawTriangles(int pointsPerRow, int rowCount, const double* points, const double* normals)
{
    if (rowCount < 2 || pointsPerRow < 1 || !points) return;
    const size_t row = 3 * static_cast<size_t>(pointsPerRow);
    for (int i = 0; i + 1 < rowCount; ++i) {
        m_currentItem = new CDsItemPolygonsArray(2 * pointsPerRow, points + i * row, normals ? normals + i * row : nullptr);
        AddCurrentItem();
    }
}

void CDsFigureGenerator::DrawQuads(int nU, int nV, const double* points, const double* normals)
{
    if (nU < 2 || nV < 2 || !points) return;
    const bool growing = m_polygons && m_currentItem == m_polygons && (m_listOpen || m_keepingList);
    double box[6];
    BoxOfPoints(points, int64_t(nU) * nV, box);
    if (growing) {
        for (int a = 0; a < 3; ++a) {
            m_box[a] = std::min(m_box[a], box[a]);
            m_box[3 + a] = std::max(m_box[3 + a], box[3 + a]);
        }
    } else {
        std::copy(box, box + 6, m_box);
    }
    StartPolygons(0);
    if (!m_listOpen && !m_keepingList) return;  // an open item of numbered lists: nothing to record into
    CDsListWriter out(m_keepingList ? m_polygons : nullptr, CDsItemPolygonsBase::kOwnList);
    auto at = [&](const double* array, int i, int j) { return array + 3 * (static_cast<size_t>(i) * nU + j); };
    // Each quad as the triangles (i j, i+1 j, i+1 j+1) and (i j, i+1 j+1, i j+1).
    for (int i = 0; i + 1 < nV; ++i)
        for (int j = 0; j + 1 < nU; ++j) {
            double corners[18];
            const double* quad[6] = {at(points, i, j), at(points, i + 1, j),     at(points, i + 1, j + 1),
                                     at(points, i, j), at(points, i + 1, j + 1), at(points, i, j + 1)};
            for (int c = 0; c < 6; ++c) std::copy(quad[c], quad[c] + 3, corners + 3 * c);
            m_polygons->AddTriangles(2, corners);
        }
    for (int i = 0; i + 1 < nV; ++i) {
        out.Begin(GL_QUAD_STRIP);
        double normal[3] = {0.0, 0.0, 0.0};
        for (int j = 0; j < nU; ++j) {
            if (normals)
                out.Normal(at(normals, i, j));
            else {
                // The normal of the quad's winding, (i j) -> (i+1 j) -> (i+1 j+1), as DrawTriangles
                // takes its triangles': the side the corners turn anticlockwise on is lit.
                if (j < nU - 1) NegatedNormal(at(points, i, j), at(points, i + 1, j), at(points, i, j + 1), normal);
                out.Normal(normal);
            }
            out.Vertex(at(points, i, j));
            out.Vertex(at(points, i + 1, j));
        }
        out.End();
    }
}

void CDsFigureGenerator::DrawTrigs(const ZOVOvivavUrezezovovaza& triangulation, const VOREvu3v<float>* offset,
                                   bool drawInFastRefresh)
{
    if (triangulation.GetTrianglesCount() < 1) return;
    auto* item = new CDsItemTrigs(drawInFastRefresh);
    item->SetTriangulation(&triangulation, offset);
    m_currentItem = item;
    AddCurrentItem();
}

void CDsFigureGenerator::DrawTrianglesStl(const SPAtransf& transform, CVyrStlData* data)
{
    if (!data) return;
    m_currentItem = new CDsItemPolygonsStl(data, transform);
    AddCurrentItem();
}

void CDsFigureGenerator::DrawBasicSurface(CDsBasicSurface* surface, bool fill)
{
    if (!surface) return;
    auto* item = new CDsItemQuadric(surface);
    item->SetFill(fill);
    m_currentItem = item;
    AddCurrentItem();
}

void CDsFigureGenerator::StStartPolygons()
{
    if (mCurrentItFigure) mCurrentItFigure->StartPolygons(0);
}

void CDsFigureGenerator::StEndPolygons()
{
    if (mCurrentItFigure) mCurrentItFigure->EndPolygons();
}

void CDsFigureGenerator::ItDrawTriangles(float* points, int count, bool fill)
{
    CDsFigureGenerator* generator = mCurrentItFigure;
    if (!generator || !points || count < 1 || count > INT_MAX / 9) return;
    // The item takes the points as given: the generator's transformation places it (AddCurrentItem)
    // as it places every leaf. The caller still gets the mapped points back.
    auto* item = new CDsItemPolygons2D(3, count, points);
    if (!generator->m_transformation.identity()) {
        for (int v = 0; v < 3 * count; ++v) {
            float* p = points + 3 * static_cast<size_t>(v);
            const SPAposition mapped = SPAposition(p[0], p[1], p[2]) * generator->m_transformation;
            p[0] = static_cast<float>(mapped.x());
            p[1] = static_cast<float>(mapped.y());
            p[2] = static_cast<float>(mapped.z());
        }
    }
    item->SetFill(fill);
    generator->SetOnTopFlag(true);
    generator->AddSubFigure(item);
}

void CDsFigureGenerator::ItDrawPolyLine(CDsFigureGenerator* generator, int count, float* points, bool fill)
{
    if (!generator || !points || count < 1) return;
    auto* item = new CDsItemPolygons2D(count, 1, points);
    item->SetFill(fill);
    generator->SetOnTopFlag(true);
    generator->AddSubFigure(item);
}

void CDsFigureGenerator::DrawImage(const CDsImage& image, const CDsRectangle3d& rectangle)
{
    ClosePolyline();
    m_currentItem = new CDsItemImage(image, rectangle);
    AddCurrentItem();
}

void CDsFigureGenerator::DrawBitmap(const CGmPosition& position, int index, EAlignment alignment, bool)
{
    ClosePolyline();
    m_2dMode = false;
    m_currentItem = new CDsItemBitmapIndexed(position, index, alignment);
    AddCurrentItem();
}

void CDsFigureGenerator::DrawBitmapColored(const CGmPosition& position, int index, EAlignment alignment, bool)
{
    ClosePolyline();
    m_2dMode = false;
    m_currentItem = new CDsItemBitmapColored(position, index, alignment);
    AddCurrentItem();
}

// --- Pixel items, points and ellipses -----------------------------------------------------------

void CDsFigureGenerator::DrawPolyline2D(int count, const float* xy)
{
    ClosePolyline();
    m_2dMode = true;
    m_pen.SetOnTopFlag(true);
    if (xy)
        for (int i = 0; i < count; ++i) m_polyline.emplace_back(xy[2 * i], xy[2 * i + 1], 0.0);
    ClosePolyline();
}

void CDsFigureGenerator::DrawPolyline2DRelative(int count, const float* relative, bool closed)
{
    ClosePolyline();
    m_pen.SetOnTopFlag(true);
    m_currentItem = new CDsItemPolyline2DRelative(count, relative, closed);
    AddCurrentItem();
}

void CDsFigureGenerator::DrawRectangle2D(const CGmPosition& anchor, int width, int height, EAlignment alignment)
{
    ClosePolyline();
    m_2dMode = false;
    m_pen.SetOnTopFlag(true);
    auto* item = new CDsItemBillBoardedRectangle(anchor, width, height, alignment);
    item->SetBaseFlag(eDsBaseItemHostFlag, true);
    m_currentItem = item;
    AddCurrentItem();
}

void CDsFigureGenerator::DrawPoint(const CGmPosition& position, EPointStyle style, int size, bool flag,
                                   const CGmUnitVector& direction, int offset)
{
    ClosePolyline();
    m_2dMode = false;
    m_pen.SetOnTopFlag(true);
    auto* item = new CDsItemPointFixed(position, style, size, offset, direction);
    item->SetBaseFlag(eDsBaseItemHostFlag, flag);
    m_currentItem = item;
    AddCurrentItem();
}

void CDsFigureGenerator::DrawUcs(const CGmPosition& origin, int, const CVyrString& axisLabels,
                                 const CVyrString& originLabel, const CGmUnitVector* axes, int axisCount)
{
    ClosePolyline();
    m_currentItem = new CDsItemsUcs(origin, axisLabels, originLabel, axes, true, false, 60, 60, axisCount);
    AddCurrentItem();
}

void CDsFigureGenerator::DrawUcs(const CGmPosition& origin, int size, const char* axisLabels, const char* originLabel,
                                 const CGmUnitVector* axes, int axisCount)
{
    DrawUcs(origin, size, CVyrString(axisLabels ? axisLabels : ""), CVyrString(originLabel ? originLabel : ""), axes,
            axisCount);
}

void CDsFigureGenerator::DrawElipse(const CGmPosition& centre, const CGmUnitVector& normal, const CGmVector& majorAxis,
                                   double ratio, double start, double sweep, double step)
{
    if (!CDsEllipseStorage::StGetDynamicEllipses()) {
        // The ellipse figure draws itself into this generator: an exact ellipse item either way.
        CDsFigEllipse3D figure(centre, normal, majorAxis, ratio, start, sweep, step);
        figure.DefineFig(*this);
        return;
    }
    if (sweep == 0.0 || !std::isfinite(sweep) || !std::isfinite(start)) return;
    const double first = sweep < 0.0 ? start + sweep : start;
    const ellipse curve(centre, normal, majorAxis, ratio, 0.0);
    ClosePolyline();
    m_currentItem = new CDsItemEllipseDynamic(new CDsEllipseStorage(curve, first, first + std::fabs(sweep)));
    AddCurrentItem();
}

CDsItemBase* CDsFigureGenerator::AddHlSegment(CDsEllipseStorage* storage, EDsHlSegmentType)
{
    if (!storage) return nullptr;
    auto* item = new CDsItemHlSegmentEllipseDynamic(storage);
    ApplyPen(item);
    item->SetParent(nullptr);
    item->SetGlContext(m_context);
    item->SetBaseFlag(eDsBaseItemNoPickWhenHidden, true);
    return item;
}

// --- Texts ---------------------------------------------------------------------------------------

namespace {

// A default font of the face `faceName` (null or empty: the default face).
CDsNFontStorage FontOfFace(const char* faceName)
{
    CDsNFontStorage font;
    font.SetName(CVyrString(faceName ? faceName : ""));
    return font;
}

// trunc(v) kept inside the int range (NaN: 0).
int TruncatedInt(double v)
{
    if (!(v == v)) return 0;
    return int(std::clamp(std::trunc(v), double(INT_MIN), double(INT_MAX)));
}

}  // namespace

void CDsFigureGenerator::SetTextAttributes(CDsItemNText2D* text)
{
    if (!text) return;
    text->SetLineAngle(float(m_textLineAngle));
    text->SetSlanted(m_textSlanted);
    text->SetAlignment(m_textAlignment);
}

void CDsFigureGenerator::DrawTextW(const CVyrString& text, const CDsNFontStorage& font, float height, bool fixed)
{
    ClosePolyline();
    if (CDsItemNText2D::StCountStringLines(text) != 1) {
        m_currentItem = new CDsItemsNTextBiTol(m_position, text, font, height);
        AddCurrentItem();
        return;
    }
    std::unique_ptr<CVyrString> line(CDsItemNText2D::StGetLine(text, 1));
    CDsItemNText3DFixed* item = fixed ? new CDsItemNText3DFixed(*line, font) : new CDsItemNText3D(*line, font, 15.0f);
    item->SetHeight(height);
    item->SetPosition(m_position);
    SetTextAttributes(item);
    m_currentItem = item;
    AddCurrentItem();
}

void CDsFigureGenerator::DrawTextW(const char* text, const CDsNFontStorage& font, float height, bool fixed)
{
    DrawTextW(CVyrString(text ? text : ""), font, height, fixed);
}

void CDsFigureGenerator::DrawTextW(const char* text, const char* faceName, float height, bool fixed)
{
    DrawTextW(CVyrString(text ? text : ""), FontOfFace(faceName), height, fixed);
}

void CDsFigureGenerator::DrawTextVector(const CVyrString& text, const CDsNFontStorage& font, const SPAposition&,
                                        const SPAvector& direction, float height, bool fixed)
{
    SetOnTopFlag(true);
    std::unique_ptr<CVyrString> line(CDsItemNText2D::StGetLine(text, 1));
    CDsItemNText3DFixed* item = nullptr;
    if (fixed)
        item = new CDsItemNTextVectorFixed(*line, m_position, CVyrString(), direction);
    else
        item = new CDsItemNTextVector(*line, m_position, CVyrString(), direction);
    item->SetFont(font);
    item->SetHeight(height);
    SetTextAttributes(item);
    m_currentItem = item;
    AddCurrentItem();
}

void CDsFigureGenerator::DrawText2D(const CVyrString& text, const CDsNFontStorage& font)
{
    SetOnTopFlag(true);
    auto* item = new CDsItemNText2D(text, CVyrString(), 15, TruncatedInt(m_position.x()), TruncatedInt(m_position.y()));
    item->SetFont(font);
    item->SetPosition(TruncatedInt(m_position.x()), TruncatedInt(m_position.y()));
    SetTextAttributes(item);
    m_currentItem = item;
    AddCurrentItem();
}

void CDsFigureGenerator::DrawText2D(const char* text, const char* faceName, float size)
{
    CDsNFontStorage font = FontOfFace(faceName);
    font.SetHeight(TruncatedInt(double(size)));
    DrawText2D(CVyrString(text ? text : ""), font);
}

void CDsFigureGenerator::DrawText2DRelative(const CVyrString& text, const CDsNFontStorage& font, float relX, float relY)
{
    SetOnTopFlag(true);
    m_currentItem = new CDsItemNText2DRelative(text, font, relX, relY);
    AddCurrentItem();
}

void CDsFigureGenerator::StartTextBlock(const CGmPosition& position, float angle, EDsTextBlockAlignment alignment)
{
    SetOnTopFlag(true);
    auto* block = new CDsItemsNTextBlock(position, alignment);
    block->SetAngle(angle);
    OpenSubGroup(block);
}

void CDsFigureGenerator::StartTextLine(EDsTextLineAlignment alignment)
{
    if (dynamic_cast<CDsItemsNTextLine*>(m_currentGroup) && m_currentGroup->GetParent())
        m_currentGroup = m_currentGroup->GetParent();
    OpenSubGroup(new CDsItemsNTextLine(alignment));
}

void CDsFigureGenerator::AddTextItem(const CVyrString& text, const CUiCharFormat& format)
{
    CUiCharFormat copy(format);
    m_currentItem = new CDsItemNText3D(text, copy);
    AddCurrentItem();
}

void CDsFigureGenerator::ItGtxloc(const float* position, float height, float angle, void*, void*)
{
    CDsFigureGenerator* generator = mCurrentItFigure;
    if (!generator) return;
    if (position) generator->m_textPosition = CGmPosition(position);
    generator->m_textHeight = height;
    generator->m_textLineAngle = TruncatedInt(double(angle) * 57.29577951308232);
}

void CDsFigureGenerator::ItGtext(int length, const char* text, int*)
{
    CDsFigureGenerator* generator = mCurrentItFigure;
    if (!generator || !text || length < 0) return;
    const std::string copy(text, std::find(text, text + length, '\0'));
    generator->SetOnTopFlag(true);
    generator->MoveTo(generator->m_textPosition);
    generator->DrawTextW(copy.c_str(), static_cast<const char*>(nullptr), float(generator->m_textHeight), false);
}

void CDsFigureGenerator::ItGtext(int*, const CVyrString& text, int*)
{
    CDsFigureGenerator* generator = mCurrentItFigure;
    if (!generator) return;
    generator->SetOnTopFlag(true);
    generator->MoveTo(generator->m_textPosition);
    generator->DrawTextW(text, FontOfFace(nullptr), float(generator->m_textHeight), false);
}

void CDsFigureGenerator::ItDtxCreateText(const float* position, const CDsNFontStorage& font, const wchar_t* text,
                                         int length, const float* direction, float height, bool fixed)
{
    CDsFigureGenerator* generator = mCurrentItFigure;
    if (!generator || !position) return;
    const CVyrString string = text && length > 0 ? CVyrString(text, int(std::find(text, text + length, L'\0') - text))
                                                 : CVyrString();
    generator->MoveTo(CGmPosition(position));
    generator->m_textLineAngle = TruncatedInt(double(font.GetLogFont().lfEscapement) * 0.1);
    generator->m_textSlanted = font.GetSlanted() != 0;
    generator->m_textAlignment = eDsTextLineLeft;
    generator->SetOnTopFlag(true);
    if (sForceFixedText) fixed = true;
    if (direction) {
        const SPAvector along(direction[0], direction[1], direction[2]);
        generator->DrawTextVector(string, font, CGmPosition(position), along, height, fixed);
    } else {
        generator->DrawTextW(string, font, height, fixed);
    }
}
