// CVyrIndexedMesh and its parts: nodes, polygons, the building interface.
#include "VyrIndexedMesh.h"

#include "DsDriverGl.h"
#include "DsTrianglesCollector.h"
#include "VyrRefinement.h"

#include <GL/gl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

// The smallest normal float: smaller magnitudes (other than 0) are stored as 0.
const double kSmallestFloat = 1.1754943508222875e-38;
// Half of pi, and the band around it within which a normal counts as edge-on.
const double kHalfPi = 1.5707963267948966;
const double kEdgeOnLow = 1.5697963267948967;
const double kEdgeOnHigh = 1.5717963267948964;

float Flushed(double v)
{
    if (v != 0.0 && std::fabs(v) < kSmallestFloat) return 0.0f;
    return static_cast<float>(v);
}

// How a normal faces the viewing direction: 0 edge-on, -1 along it, 1 against it.
int NormalDirection(double angle)
{
    if ((angle > kEdgeOnLow && angle < kEdgeOnHigh) || (-angle > kEdgeOnLow && -angle < kEdgeOnHigh)) return 0;
    if (angle > -kHalfPi && angle < kHalfPi) return -1;
    return 1;
}

SPAposition Position(const CVyrPolygonVertex* v)
{
    SPAposition p;
    v->GetPosition(p);
    return p;
}

// Every revision the meshes of the process were given, new meshes and changes alike.
std::atomic<uint64_t> sShapeChanges{0};

// The first revision of a new mesh: a serial number no mesh of the process had before (meshes
// made on any thread draw from one counter), no change yet.
CVyrIndexedMesh::SRevision NewMeshRevision()
{
    static std::atomic<uint64_t> next{1};
    CVyrIndexedMesh::SRevision revision;
    revision.mesh = next.fetch_add(1, std::memory_order_relaxed);
    sShapeChanges.fetch_add(1, std::memory_order_relaxed);
    return revision;
}

}  // namespace

// --- CVyrPolygonVertex ------------------------------------------------------------------------

CVyrPolygonVertex::CVyrPolygonVertex(const SPAposition& position, const SPAunit_vector& normal, const SPApar_pos& uv)
    : m_position{static_cast<float>(position.x()), static_cast<float>(position.y()), static_cast<float>(position.z())},
      m_normal{static_cast<float>(normal.x()), static_cast<float>(normal.y()), static_cast<float>(normal.z())},
      m_u(uv.u), m_v(uv.v)
{
}

void CVyrPolygonVertex::set_data(const SPAposition& position, const SPAunit_vector& normal, const SPApar_pos& uv)
{
    for (int i = 0; i < 3; ++i) {
        m_position[i] = Flushed(position.coordinate(i));
        m_normal[i] = Flushed(normal.component(i));
    }
    m_u = uv.u;
    m_v = uv.v;
}

void CVyrPolygonVertex::GetPosition(SPAposition& position) const
{
    position = SPAposition(m_position[0], m_position[1], m_position[2]);
}

void CVyrPolygonVertex::GetNormal(SPAunit_vector& normal) const
{
    normal = SPAunit_vector(m_normal[0], m_normal[1], m_normal[2]);
}

void CVyrPolygonVertex::reverse()
{
    for (float& c : m_normal) c = -c;
}

SPApar_pos CVyrPolygonVertex::get_uv_as_entered(const CVyrIndexedMesh& mesh) const
{
    if (!mesh.GetScaleFlag()) return get_uv();
    double umin, umax, vmin, vmax;
    mesh.GetRange(umin, umax, vmin, vmax);
    return SPApar_pos(umin + (umax - umin) * m_u, vmin + (vmax - vmin) * m_v);
}

// --- CVyrIndexedPolygon -----------------------------------------------------------------------

CVyrPolygonVertex* CVyrIndexedPolygon::get_vertex(int index) const
{
    if (!m_vertices || m_count <= 0) return nullptr;
    if (index < 0 || index >= m_count) index = 0;
    return m_vertices[index];
}

int CVyrIndexedPolygon::set_vertex(int index, CVyrPolygonVertex* vertex)
{
    if (!m_vertices || index < 0 || index >= m_count) return -1;
    m_vertices[index] = vertex;
    return index;
}

void CVyrIndexedPolygon::set_data(int count, CVyrPolygonVertex** run, int share)
{
    if (!run) return;
    m_count = count;
    m_vertices = run;
    m_share = share;
}

void CVyrIndexedPolygon::reverse_vertices()
{
    if (m_vertices && m_count > 1) std::reverse(m_vertices, m_vertices + m_count);
}

// --- CVyrIndexedMeshInt -----------------------------------------------------------------------

CVyrIndexedMeshInt::~CVyrIndexedMeshInt() = default;

// --- CVyrIndexedMesh: life ----------------------------------------------------------------------

CVyrIndexedMesh::CVyrIndexedMesh(int nodes, int polygons, int polynodes)
    : m_nodeCapacity(std::max(nodes, 1)), m_polygonCapacity(std::max(polygons, 1)),
      m_polynodeCapacity(std::max(polynodes, 1)), m_revision(NewMeshRevision())
{
    Allocate();
}

CVyrIndexedMesh::CVyrIndexedMesh(const CVyrIndexedMesh& other)
    : MESH(other), CVyrIndexedMeshInt(other), m_nodeCapacity(std::max(other.m_nodeCount, 1)),
      m_polygonCapacity(std::max(other.m_polygonCount, 1)), m_polynodeCapacity(std::max(other.m_polynodeCount, 1)),
      m_revision(NewMeshRevision())
{
    Allocate();
    CopyContent(other);
    m_disableLights = other.m_disableLights;
    if (other.m_apex) m_apex = new SPAposition(*other.m_apex);
}

void CVyrIndexedMesh::Allocate()
{
    // Arrays owned together: free what was had when a later one cannot be had.
    std::unique_ptr<CVyrPolygonVertex[]> nodes(new CVyrPolygonVertex[static_cast<size_t>(m_nodeCapacity)]);
    std::unique_ptr<CVyrIndexedPolygon[]> polygons(new CVyrIndexedPolygon[static_cast<size_t>(m_polygonCapacity)]);
    std::unique_ptr<CVyrPolygonVertex*[]> polynodes(new CVyrPolygonVertex*[static_cast<size_t>(m_polynodeCapacity)]);
    m_nodes = nodes.release();
    m_polygons = polygons.release();
    m_polynodes = polynodes.release();
    std::fill(m_polynodes, m_polynodes + m_polynodeCapacity, m_nodes);
}

CVyrIndexedMesh::~CVyrIndexedMesh()
{
    DeleteDisplayList();
    for (SDSDataVBO& record : m_vbos) {
        CDsDriverGl::DeleteBufferVBO(record.vertexBuffer);
        CDsDriverGl::DeleteBufferVBO(record.normalBuffer);
    }
    delete[] m_nodes;
    delete[] m_polygons;
    delete[] m_polynodes;
    delete[] m_colors;
    delete m_apex;
}

void CVyrIndexedMesh::CopyContent(const CVyrIndexedMesh& other)
{
    m_nodeCount = other.m_nodeCount;
    m_polygonCount = other.m_polygonCount;
    m_polynodeCount = other.m_polynodeCount;
    std::copy(other.m_nodes, other.m_nodes + other.m_nodeCount, m_nodes);
    for (int i = 0; i < other.m_polynodeCount; ++i) {
        const CVyrPolygonVertex* source = other.m_polynodes[i];
        m_polynodes[i] = m_nodes + (other.IsUsedNode(source) ? source - other.m_nodes : 0);
    }
    for (int i = 0; i < other.m_polygonCount; ++i) {
        const CVyrIndexedPolygon& source = other.m_polygons[i];
        CVyrIndexedPolygon& target = m_polygons[i];
        target = CVyrIndexedPolygon();
        if (source.get_vertices() && source.num_vertex() > 0) {
            const ptrdiff_t run = source.get_vertices() - other.m_polynodes;
            target.set_data(source.num_vertex(), m_polynodes + run, -2);
        }
    }
    m_umin = other.m_umin;
    m_umax = other.m_umax;
    m_vmin = other.m_vmin;
    m_vmax = other.m_vmax;
}

CVyrIndexedMesh& CVyrIndexedMesh::operator|=(const CVyrIndexedMesh& other)
{
    if (&other == this) return *this;
    if (m_nodeCount || m_polygonCount || m_polynodeCount) return *this;
    if (other.m_nodeCount > m_nodeCapacity || other.m_polygonCount > m_polygonCapacity ||
        other.m_polynodeCount > m_polynodeCapacity)
        return *this;
    Touch();
    CopyContent(other);
    m_disableLights = other.m_disableLights;
    m_uvScaled = 0;
    DeleteDisplayList();
    return *this;
}

// --- Counts and nodes -----------------------------------------------------------------------------

void CVyrIndexedMesh::GetLimits(int& nodes, int& polygons, int& polynodes) const
{
    nodes = m_nodeCapacity;
    polygons = m_polygonCapacity;
    polynodes = m_polynodeCapacity;
}

void CVyrIndexedMesh::GetQuantities(int& nodes, int& polygons, int& polynodes) const
{
    nodes = m_nodeCount;
    polygons = m_polygonCount;
    polynodes = m_polynodeCount;
}

SPApar_pos CVyrIndexedMesh::get_uv_as_scaled(int index) const
{
    const SPApar_pos uv = get_uv(index);
    if (m_uvScaled) return uv;
    return SPApar_pos((uv.u - m_umin) / (m_umax - m_umin), (uv.v - m_vmin) / (m_vmax - m_vmin));
}

bool CVyrIndexedMesh::IsUsedNode(const CVyrPolygonVertex* vertex) const
{
    // Compared as addresses: a pointer into another array never counts as one of ours.
    const auto address = reinterpret_cast<uintptr_t>(vertex);
    const auto first = reinterpret_cast<uintptr_t>(m_nodes);
    const auto end = reinterpret_cast<uintptr_t>(m_nodes + m_nodeCount);
    return address >= first && address < end && (address - first) % sizeof(CVyrPolygonVertex) == 0;
}

int CVyrIndexedMesh::get_vertex_index(const CVyrPolygonVertex* vertex) const
{
    return IsUsedNode(vertex) ? static_cast<int>(vertex - m_nodes) : 0;
}

CVyrIndexedPolygon* CVyrIndexedMesh::get_polygon(int index) const
{
    return index >= 0 && index < m_polygonCount ? &m_polygons[index] : nullptr;
}

// --- Building ---------------------------------------------------------------------------------------

void CVyrIndexedMesh::WidenRange(double u, double v)
{
    if (u < m_umin) m_umin = u;
    if (u > m_umax) m_umax = u;
    if (v < m_vmin) m_vmin = v;
    if (v > m_vmax) m_vmax = v;
}

CVyrPolygonVertex* CVyrIndexedMesh::add_vertex(const SPAposition& position, const SPAunit_vector& normal,
                                               const SPApar_pos& uv)
{
    if (m_nodeCount >= m_nodeCapacity) return nullptr;
    Touch();
    CVyrPolygonVertex* node = &m_nodes[m_nodeCount++];
    node->set_data(position, normal, uv);
    WidenRange(uv.u, uv.v);
    return node;
}

CVyrPolygonVertex* CVyrIndexedMesh::add_vertex(const CVyrPolygonVertex& vertex)
{
    if (m_nodeCount >= m_nodeCapacity) return nullptr;
    Touch();
    CVyrPolygonVertex* node = &m_nodes[m_nodeCount++];
    *node = vertex;
    const SPApar_pos uv = vertex.get_uv();
    WidenRange(uv.u, uv.v);
    return node;
}

CVyrPolygonVertex* CVyrIndexedMesh::get_vertex_for_edit(int index)
{
    Touch();
    return &m_nodes[ValidNode(index)];
}

CVyrPolygonVertex* CVyrIndexedMesh::IAddVertex(const SPAposition& position, const SPAunit_vector& normal,
                                               const SPApar_pos& uv)
{
    return add_vertex(position, normal, uv);
}

int CVyrIndexedMesh::add_polygon(int index, int count, VERTEX_TEMPLATE* vertexTemplate, int share)
{
    if (index != m_polygonCount || m_polygonCount >= m_polygonCapacity || count < 0) return -1;
    if (count > m_polynodeCapacity - m_polynodeCount) return -1;
    Touch();
    CVyrPolygonVertex** run = m_polynodes + m_polynodeCount;
    std::fill(run, run + count, m_nodes);
    CVyrIndexedPolygon& polygon = m_polygons[index];
    polygon.set_data(count, run, share);
    polygon.set_vertex_template(vertexTemplate);
    ++m_polygonCount;
    m_polynodeCount += count;
    return index;
}

int CVyrIndexedMesh::set_poly_vertex(int polygon, int position, CVyrPolygonVertex* node)
{
    if (polygon < 0 || polygon >= m_polygonCount || !IsUsedNode(node)) return -1;
    Touch();
    return m_polygons[polygon].set_vertex(position, node) < 0 ? -1 : polygon;
}

int CVyrIndexedMesh::ISetPolyVertex(int polygon, int position, CVyrPolygonVertex* node)
{
    return set_poly_vertex(polygon, position, node);
}

bool CVyrIndexedMesh::FastAddVerticies(int count, const CVyrPolygonVertex* vertices)
{
    if (count <= 0) return count == 0;
    if (!vertices || count > m_nodeCapacity - m_nodeCount) return false;
    Touch();
    for (int i = 0; i < count; ++i) {
        m_nodes[m_nodeCount + i] = vertices[i];
        const SPApar_pos uv = vertices[i].get_uv();
        WidenRange(uv.u, uv.v);
    }
    m_nodeCount += count;
    return true;
}

int CVyrIndexedMesh::FastAddPolygon(int index, int count, VERTEX_TEMPLATE* vertexTemplate, int share,
                                    const int* nodeIndices)
{
    if (index < 0 || index >= m_polygonCapacity || count < 0 || (count > 0 && !nodeIndices)) return -1;
    if (count > m_polynodeCapacity - m_polynodeCount) return -1;
    Touch();
    CVyrPolygonVertex** run = m_polynodes + m_polynodeCount;
    for (int i = 0; i < count; ++i) run[i] = &m_nodes[ValidNode(nodeIndices[i])];
    CVyrIndexedPolygon& polygon = m_polygons[index];
    polygon = CVyrIndexedPolygon();
    polygon.set_data(count, run, share);
    polygon.set_vertex_template(vertexTemplate);
    m_polynodeCount += count;
    if (index >= m_polygonCount) m_polygonCount = index + 1;
    return index;
}

// --- Geometry ---------------------------------------------------------------------------------------

SPAbox CVyrIndexedMesh::get_box() const
{
    SPAbox box(Position(&m_nodes[0]));
    for (int i = 1; i < m_nodeCount; ++i) box |= Position(&m_nodes[i]);
    return box;
}

SPAbox CVyrIndexedMesh::GetBoxWithTransf(const SPAtransf& t) const
{
    SPAbox box(Position(&m_nodes[0]) * t);
    for (int i = 1; i < m_nodeCount; ++i) box |= Position(&m_nodes[i]) * t;
    return box;
}

void CVyrIndexedMesh::reverse()
{
    Touch();
    for (int i = 0; i < m_nodeCount; ++i) m_nodes[i].reverse();
    for (int i = 0; i < m_polygonCount; ++i) m_polygons[i].reverse_vertices();
}

void CVyrIndexedMesh::map_uv_into_01()
{
    if (!(m_umax > m_umin) || !(m_vmax > m_vmin) || m_uvScaled) return;
    Touch();
    const double su = 1.0 / (m_umax - m_umin);
    const double sv = 1.0 / (m_vmax - m_vmin);
    for (int i = 0; i < m_nodeCount; ++i) {
        const SPApar_pos uv = m_nodes[i].get_uv();
        m_nodes[i].set_uv((uv.u - m_umin) * su, (uv.v - m_vmin) * sv);
    }
    m_uvScaled = 1;
}

// The triangle walk. Polygon 0's share value chooses the mode:
// - -2 (plain mesh): every polygon by itself: a triangle (0, 1, 2), a quadrilateral (0, 1, 2) and
//   (2, 3, 0), a larger polygon the fan (0, k, k + 1); fewer than 3 corners give nothing.
// - otherwise (faceter order): a triangle, and each following polygon whose share is not -1
//   (the rest of its strip), gives the triangle of its first three corners; a quadrilateral and
//   the rest of its strip give two triangles each; a larger polygon its fan. Corners a polygon
//   lacks read as its corner 0; a polygon without corners reads node 0.
template <typename Emit>
void CVyrIndexedMesh::WalkTriangles(Emit&& emit) const
{
    if (m_polygonCount <= 0) return;
    auto corner = [this](const CVyrIndexedPolygon& p, int i) -> const CVyrPolygonVertex* {
        const CVyrPolygonVertex* v = p.get_vertex(i);
        return v ? v : &m_nodes[0];
    };
    auto triangle = [&](const CVyrIndexedPolygon& p, int a, int b, int c) {
        emit(corner(p, a), corner(p, b), corner(p, c));
    };
    auto quad = [&](const CVyrIndexedPolygon& p) {
        triangle(p, 0, 1, 2);
        triangle(p, 2, 3, 0);
    };
    auto fan = [&](const CVyrIndexedPolygon& p) {
        for (int k = 1; k + 1 < p.num_vertex(); ++k) triangle(p, 0, k, k + 1);
    };
    if (m_polygons[0].get_share_info() == -2) {
        for (int i = 0; i < m_polygonCount; ++i) {
            const CVyrIndexedPolygon& p = m_polygons[i];
            const int n = p.num_vertex();
            if (n == 3)
                triangle(p, 0, 1, 2);
            else if (n == 4)
                quad(p);
            else if (n > 4)
                fan(p);
        }
        return;
    }
    int i = 0;
    while (i < m_polygonCount) {
        const CVyrIndexedPolygon& p = m_polygons[i++];
        const int n = p.num_vertex();
        if (n == 3) {
            triangle(p, 0, 1, 2);
            for (; i < m_polygonCount && m_polygons[i].get_share_info() != -1; ++i) triangle(m_polygons[i], 0, 1, 2);
        } else if (n == 4) {
            quad(p);
            for (; i < m_polygonCount && m_polygons[i].get_share_info() != -1; ++i) quad(m_polygons[i]);
        } else if (n > 4) {
            fan(p);
        }
    }
}

void CVyrIndexedMesh::GenerateTrianglesList(std::vector<int>& indices) const
{
    WalkTriangles([&](const CVyrPolygonVertex* a, const CVyrPolygonVertex* b, const CVyrPolygonVertex* c) {
        indices.push_back(get_vertex_index(a));
        indices.push_back(get_vertex_index(b));
        indices.push_back(get_vertex_index(c));
    });
}

void CVyrIndexedMesh::GenerateTrianglesList(std::vector<CVyrPolygonVertex*>& vertices)
{
    std::vector<int> indices;
    GenerateTrianglesList(indices);
    vertices.reserve(vertices.size() + indices.size());
    for (int index : indices) vertices.push_back(&m_nodes[index]);
}

void CVyrIndexedMesh::CollectMeshTriangles(CDsTrianglesCollector& collector) const
{
    WalkTriangles([&](const CVyrPolygonVertex* a, const CVyrPolygonVertex* b, const CVyrPolygonVertex* c) {
        collector.AddTriangle(Position(a), Position(b), Position(c));
    });
}

// --- Silhouette -------------------------------------------------------------------------------------

struct CVyrIndexedMesh::SSilhouetteBasis {
    // A three-cornered polygon: its corners as indices into the positions and normals, and its
    // plane's unit normal (zero when the triangle has no area).
    struct STriangle {
        int node[3];
        SPAunit_vector plane;
    };
    // The revision the basis was made for.
    SRevision revision;
    // Per used node, then per corner that points elsewhere: position and unit normal.
    std::vector<SPAposition> positions;
    std::vector<SPAunit_vector> normals;
    // The three-cornered polygons, in polygon order.
    std::vector<STriangle> triangles;
    // Whether the mesh has an apex and one of its used nodes lies there: the face reaches its apex.
    bool apexOnMesh = false;
    // Per node, whether it lies at the apex (empty when none does).
    std::vector<char> atApex;
};

namespace {

// What the side of an edge-on edge needs until it is paired: its two nodes, and how the normals
// turn towards its triangle's third corner.
struct SEdgeOnSide {
    size_t a, b;
    double turn;
};

// The scratch space of one silhouette call, one per thread, kept so that a call allocates nothing
// once warm.
struct SSilhouetteScratch {
    std::vector<signed char> facing;                           // per node: how it faces the view
    std::vector<std::pair<SPAposition, SPAposition>> edgeOn;   // edges whose two ends are edge-on
    std::vector<SEdgeOnSide> edgeOnSides;                      // per edge-on edge: its side
    std::vector<double> keys;                                  // per edge-on edge: its smaller x
    std::vector<int> order;                                    // edge-on edges by key
    std::vector<int> rank;                                     // each edge-on edge's place in order
    std::vector<char> used;                                    // edge-on edges paired already
};

// Out of line: the address of a thread's variable is a call to work out in a shared library, and
// a compiler may work it out again wherever it needs it rather than keep it.
__attribute__((noinline)) SSilhouetteScratch& SilhouetteScratch()
{
    thread_local SSilhouetteScratch scratch;
    return scratch;
}

// How far from the apex a node may lie and still be the apex: the faceter's positions are floats,
// so some units in their last place at the apex's largest coordinate (one part in a million),
// and the modeler's resolution beside them.
double ApexTolerance(const SPAposition& apex)
{
    const double largest = std::max({std::fabs(apex.x()), std::fabs(apex.y()), std::fabs(apex.z())});
    return 10.0 * SPAresabs + 1e-6 * largest;
}

}  // namespace

std::shared_ptr<const CVyrIndexedMesh::SSilhouetteBasis> CVyrIndexedMesh::SilhouetteBasis() const
{
    // Threads that find no basis of this revision each make one; the last stored stays, and every
    // one of them is the same.
    std::shared_ptr<const SSilhouetteBasis> kept = std::atomic_load(&m_silhouetteBasis);
    if (kept && kept->revision == m_revision) return kept;
    auto basis = std::make_shared<SSilhouetteBasis>();
    basis->revision = m_revision;
    basis->positions.resize(static_cast<size_t>(m_nodeCount));
    basis->normals.resize(static_cast<size_t>(m_nodeCount));
    auto widen = [&basis](const CVyrPolygonVertex& node, size_t at) {
        node.GetPosition(basis->positions[at]);
        node.GetNormal(basis->normals[at]);
    };
    for (int i = 0; i < m_nodeCount; ++i) widen(m_nodes[i], static_cast<size_t>(i));
    if (m_apex) {
        const double tolerance = ApexTolerance(*m_apex);
        for (int i = 0; i < m_nodeCount; ++i)
            if ((basis->positions[static_cast<size_t>(i)] - *m_apex).len() <= tolerance) {
                basis->apexOnMesh = true;
                basis->atApex.resize(static_cast<size_t>(m_nodeCount), 0);
                basis->atApex[static_cast<size_t>(i)] = 1;
            }
    }
    // A corner outside the used nodes (node 0 of an empty mesh, or one set through a polygon)
    // gets an entry of its own, so that it reads what the corner points at.
    auto index = [&](const CVyrPolygonVertex* corner) {
        if (IsUsedNode(corner)) return static_cast<int>(corner - m_nodes);
        basis->positions.emplace_back();
        basis->normals.emplace_back();
        widen(*corner, basis->positions.size() - 1);
        return static_cast<int>(basis->positions.size() - 1);
    };
    basis->triangles.reserve(static_cast<size_t>(m_polygonCount));
    for (int k = 0; k < m_polygonCount; ++k) {
        const CVyrIndexedPolygon& polygon = m_polygons[k];
        if (polygon.num_vertex() != 3 || !polygon.get_vertices()) continue;
        const CVyrPolygonVertex* corners[3] = {polygon.get_vertex(0), polygon.get_vertex(1), polygon.get_vertex(2)};
        if (!corners[0] || !corners[1] || !corners[2]) continue;
        SSilhouetteBasis::STriangle triangle;
        for (int i = 0; i < 3; ++i) triangle.node[i] = index(corners[i]);
        const SPAposition& p0 = basis->positions[static_cast<size_t>(triangle.node[0])];
        const SPAposition& p1 = basis->positions[static_cast<size_t>(triangle.node[1])];
        const SPAposition& p2 = basis->positions[static_cast<size_t>(triangle.node[2])];
        triangle.plane = normalise((p0 - p1) * (p0 - p2));
        basis->triangles.push_back(triangle);
    }
    std::shared_ptr<const SSilhouetteBasis> made = std::move(basis);
    std::atomic_store(&m_silhouetteBasis, made);
    return made;
}

uint64_t CVyrIndexedMesh::StShapeChanges()
{
    return sShapeChanges.load(std::memory_order_relaxed);
}

void CVyrIndexedMesh::Touch()
{
    ++m_revision.changes;
    sShapeChanges.fetch_add(1, std::memory_order_relaxed);
    // A changing member has the mesh to itself: no silhouette call or pick reads the pointers
    // meanwhile.
    if (m_silhouetteBasis) m_silhouetteBasis.reset();
    if (m_pickArrays) m_pickArrays.reset();
}

namespace {

// Beyond this dot product of two unit vectors the sign alone says how a normal faces the viewing
// direction: the edge-on band is 1e-3 radians either side of the right angle, where the cosine
// stays below 1.0000002e-3, so ten times that leaves room for every rounding. Within it the angle
// is taken as the plain computation takes it.
constexpr double kSignDecides = 1e-2;

// NormalDirection of the angle between `d` and `n`: the rare case, out of line so that the common
// one below inlines into the loops over nodes and triangles.
__attribute__((noinline)) int FacingByAngle(const SPAunit_vector& d, const SPAunit_vector& n)
{
    return NormalDirection(angle_between(d, n));
}

// NormalDirection of the angle between `d` and `n`, with the angle computed only when needed.
inline int Facing(const SPAunit_vector& d, const SPAunit_vector& n)
{
    const double dot = d.x() * n.x() + d.y() * n.y() + d.z() * n.z();
    if (dot > kSignDecides) return -1;
    if (dot < -kSignDecides) return 1;
    return FacingByAngle(d, n);
}

}  // namespace

void CVyrIndexedMesh::ComputeSilhouette(const SPAtransf& viewTransform, const SPAposition& eye,
                                        const SPAposition& target, SegmentList& segments,
                                        std::vector<SSilhouetteSide>* sides) const
{
    const SPAunit_vector d = normalise(normalise(target - eye) * viewTransform.inverse());
    if (d.is_zero(SPAresmch)) return;
    const size_t first = segments.size();
    const size_t firstSide = sides ? sides->size() : 0;
    const std::shared_ptr<const SSilhouetteBasis> kept = SilhouetteBasis();
    const SSilhouetteBasis& basis = *kept;
    SSilhouetteScratch& scratch = SilhouetteScratch();
    // Plain pointers, held in locals: the segments appended below cannot move what they point at,
    // so the loops need not read the arrays' places again after every append.
    const SPAposition* const positions = basis.positions.data();
    const SPAunit_vector* const normals = basis.normals.data();
    const size_t nodes = basis.normals.size();
    scratch.facing.resize(nodes);
    signed char* const facing = scratch.facing.data();
    for (size_t i = 0; i < nodes; ++i) facing[i] = static_cast<signed char>(Facing(d, normals[i]));
    std::vector<std::pair<SPAposition, SPAposition>>& edgeOn = scratch.edgeOn;
    edgeOn.clear();
    // Where the ends of each segment leave the face (see SSilhouetteSide): the normal there, off
    // the line of sight, turned by how the normals turn across the outline, (q - p) . (n(q) -
    // n(p)), which is positive where they point away from the centre of curvature, whichever way
    // the mesh's normals point; and how far the corners of the mesh edge an end lies on reach
    // beyond it that way. An end is worked out from its own mesh edge or node alone, so that the
    // segments meeting there move it alike and the outline stays whole.
    std::vector<SEdgeOnSide>& edgeOnSides = scratch.edgeOnSides;
    edgeOnSides.clear();
    const auto bend = [&](size_t i, size_t j) {
        return (positions[j] - positions[i]) % (normals[j] - normals[i]);
    };
    // An end at `at` on the mesh edge from node `i` to node `j` (the same node twice for an end at
    // a node): the way it leaves the face, and how far the edge's corners reach that way.
    const auto endAt = [&](const SPAposition& at, const SPAvector& normal, double turn, size_t i, size_t j,
                           SPAunit_vector& away, double& reach) {
        const SPAvector off = normal - d * (normal % d);
        away = off.is_zero(SPAresmch) ? SPAunit_vector() : normalise(turn < 0.0 ? -off : off);
        reach = std::max({0.0, (positions[i] - at) % away, (positions[j] - at) % away});
    };
    const auto atApex = [&basis](size_t node) { return node < basis.atApex.size() && basis.atApex[node] != 0; };
    // Both ends at nodes of the mesh.
    const auto addNodeSide = [&](size_t a, size_t b, double turn) {
        SSilhouetteSide side;
        endAt(positions[a], normals[a], turn, a, a, side.away[0], side.reach[0]);
        endAt(positions[b], normals[b], turn, b, b, side.away[1], side.reach[1]);
        sides->push_back(side);
    };

    for (const SSilhouetteBasis::STriangle& triangle : basis.triangles) {
        const size_t node[3] = {static_cast<size_t>(triangle.node[0]), static_cast<size_t>(triangle.node[1]),
                                static_cast<size_t>(triangle.node[2])};
        const int direction[3] = {facing[node[0]], facing[node[1]], facing[node[2]]};
        const SPAposition* p[3] = {&positions[node[0]], &positions[node[1]], &positions[node[2]]};
        int zeros[3];
        int zeroCount = 0;
        for (int i = 0; i < 3; ++i)
            if (direction[i] == 0) zeros[zeroCount++] = i;
        if (zeroCount >= 2) {
            edgeOn.emplace_back(*p[zeros[0]], *p[zeros[1]]);
            if (zeroCount == 3) edgeOn.emplace_back(*p[zeros[1]], *p[zeros[2]]);
            if (sides) {
                // An edge-on edge bends towards the triangle's third corner.
                for (int e = 0; e + 1 < zeroCount; ++e) {
                    const size_t a = node[zeros[e]], b = node[zeros[e + 1]], c = node[3 - zeros[e] - zeros[e + 1]];
                    edgeOnSides.push_back({a, b, bend(a, c) + bend(b, c)});
                }
            }
            continue;
        }
        if (!triangle.plane.is_zero(SPAresmch) && Facing(d, triangle.plane) == 0) {
            segments.emplace_back(*p[0], *p[1]);
            segments.emplace_back(*p[1], *p[2]);
            if (sides) {
                addNodeSide(node[0], node[1], 0.0);
                addNodeSide(node[1], node[2], 0.0);
            }
            continue;
        }
        if (direction[0] == direction[1] && direction[1] == direction[2]) continue;
        if (zeroCount == 1) {
            const int a = (zeros[0] + 1) % 3, b = (zeros[0] + 2) % 3;
            if (direction[a] == direction[b]) continue;
        }
        // The surface turns away inside this triangle: the crossing points interpolate the angles.
        const double angle[3] = {angle_between(d, normals[node[0]]), angle_between(d, normals[node[1]]),
                                 angle_between(d, normals[node[2]])};
        SPAposition crossing[3];
        SSilhouetteSide side;
        int crossings = 0;
        static const int kEdges[3][2] = {{0, 1}, {1, 2}, {2, 0}};
        for (const auto& edge : kEdges) {
            const int i = edge[0], j = edge[1];
            if (direction[i] == direction[j]) continue;
            const double fi = std::fabs(angle[i] - kHalfPi), fj = std::fabs(angle[j] - kHalfPi);
            const double t = fi + fj > 0.0 ? fi / (fi + fj) : 0.5;
            crossing[crossings] = *p[i] + (*p[j] - *p[i]) * t;
            if (sides && crossings < 2) {
                // A cone's normal is the same all along a line to its apex, where the mesh's node
                // has no normal of its own: an end on such a line takes the other node's.
                const bool iApex = atApex(node[i]), jApex = atApex(node[j]);
                const SPAvector normal = iApex   ? SPAvector(normals[node[j]])
                                         : jApex ? SPAvector(normals[node[i]])
                                                 : normals[node[i]] + (normals[node[j]] - normals[node[i]]) * t;
                endAt(crossing[crossings], normal, bend(node[i], node[j]), iApex ? node[j] : node[i],
                      jApex ? node[i] : node[j], side.away[crossings], side.reach[crossings]);
            }
            ++crossings;
        }
        if (crossings >= 2) {
            segments.emplace_back(crossing[0], crossing[1]);
            if (sides) sides->push_back(side);
        }
    }

    // An edge-on edge is a silhouette where two triangles share it: each edge, in order, pairs
    // with the first later unpaired edge of the same two ends. Edges of the same ends have
    // smaller x coordinates within the tolerance of each other, so only the neighbours in that
    // order are compared.
    const size_t count = edgeOn.size();
    if (count >= 2) {
        std::vector<double>& keys = scratch.keys;
        std::vector<int>& order = scratch.order;
        std::vector<int>& rank = scratch.rank;
        std::vector<char>& used = scratch.used;
        keys.resize(count);
        order.resize(count);
        rank.resize(count);
        used.assign(count, 0);
        for (size_t i = 0; i < count; ++i) {
            keys[i] = std::min(edgeOn[i].first.x(), edgeOn[i].second.x());
            order[i] = static_cast<int>(i);
        }
        std::sort(order.begin(), order.end(), [&keys](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
        for (size_t r = 0; r < count; ++r) rank[size_t(order[r])] = static_cast<int>(r);
        auto same = [&edgeOn](size_t i, size_t j) {
            return (same_point(edgeOn[i].first, edgeOn[j].first, SPAresabs) &&
                    same_point(edgeOn[i].second, edgeOn[j].second, SPAresabs)) ||
                   (same_point(edgeOn[i].first, edgeOn[j].second, SPAresabs) &&
                    same_point(edgeOn[i].second, edgeOn[j].first, SPAresabs));
        };
        for (size_t i = 0; i < count; ++i) {
            if (used[i]) continue;
            size_t match = count;
            auto consider = [&](size_t j) {
                if (j > i && j < match && !used[j] && same(i, j)) match = j;
            };
            const size_t at = size_t(rank[i]);
            for (size_t r = at + 1; r < count && keys[size_t(order[r])] - keys[i] <= SPAresabs; ++r)
                consider(size_t(order[r]));
            for (size_t r = at; r-- > 0 && keys[i] - keys[size_t(order[r])] <= SPAresabs;) consider(size_t(order[r]));
            if (match == count) continue;
            segments.emplace_back(edgeOn[i].first, edgeOn[i].second);
            if (sides) addNodeSide(edgeOnSides[i].a, edgeOnSides[i].b, edgeOnSides[i].turn + edgeOnSides[match].turn);
            used[i] = used[match] = 1;
        }
    }

    // A cone's outline runs to its apex, where the face reaches it (see the header comment).
    if (m_apex && basis.apexOnMesh && segments.size() > first) {
        auto nearer = [this](const std::pair<CGmPosition, CGmPosition>& s) -> CGmPosition {
            return (s.first - *m_apex).len_sq() <= (s.second - *m_apex).len_sq() ? s.first : s.second;
        };
        const CGmPosition apex(*m_apex);
        // A cone's outline is a straight line: a segment to the apex leaves the face at its far end
        // as the segment it ends does there, and the same way at the apex.
        const auto apexSide = [&](const std::pair<CGmPosition, CGmPosition>& segment, const SSilhouetteSide& ended,
                                  const std::pair<CGmPosition, CGmPosition>& endedSegment) {
            const int at = (endedSegment.first - segment.second).len_sq() <= (endedSegment.second - segment.second).len_sq() ? 0 : 1;
            SSilhouetteSide side;
            side.away[0] = side.away[1] = ended.away[at];
            side.reach[1] = ended.reach[at];
            sides->push_back(side);
        };
        if (segments.size() - first >= 2) {
            const CGmPosition end = nearer(segments[first + 1]);
            segments.emplace_back(apex, end);
            if (sides) apexSide(segments.back(), (*sides)[firstSide + 1], segments[first + 1]);
        }
        const CGmPosition end = nearer(segments[first]);
        segments.emplace_back(apex, end);
        if (sides) apexSide(segments.back(), (*sides)[firstSide], segments[first]);
    }
}

void CVyrIndexedMesh::OffsetSegmentToPreventFhlAtrifacts(SPAposition& first, SPAposition& second,
                                                         const SPAunit_vector& u, const SPAunit_vector& w)
{
    SPAvector c = (first - second) * u;
    if (c % w < 0.0) c = -c;
    const SPAvector offset = normalise(c) * (2.0 * CVyrRefinement::StGetCurrentRefinement()->GetSurfaceTol());
    first += offset;
    second += offset;
}

// --- uv range and flags -------------------------------------------------------------------------

void CVyrIndexedMesh::GetRange(double& umin, double& umax, double& vmin, double& vmax) const
{
    umin = m_umin;
    umax = m_umax;
    vmin = m_vmin;
    vmax = m_vmax;
}

void CVyrIndexedMesh::SetRange(double umin, double umax, double vmin, double vmax)
{
    m_umin = umin;
    m_umax = umax;
    m_vmin = vmin;
    m_vmax = vmax;
}

void CVyrIndexedMesh::SetApexPosition(SPAposition* apex)
{
    if (apex == m_apex) return;
    Touch();
    delete m_apex;
    m_apex = apex;
}

// --- Colours ----------------------------------------------------------------------------------------

void CVyrIndexedMesh::SetVertexColors(const unsigned char* colors, bool disableLights)
{
    unsigned char* copy = nullptr;
    if (colors) {
        copy = new unsigned char[static_cast<size_t>(m_nodeCapacity)];
        std::memcpy(copy, colors, static_cast<size_t>(m_nodeCapacity));
    }
    delete[] m_colors;
    m_colors = copy;
    m_disableLights = disableLights;
}

void CVyrIndexedMesh::DeleteColors()
{
    delete[] m_colors;
    m_colors = nullptr;
    m_disableLights = false;
}

void CVyrIndexedMesh::SetVertexColorIndex(int index, unsigned char color)
{
    if (m_colors && index >= 0 && index < m_nodeCapacity) m_colors[index] = color;
}

bool CVyrIndexedMesh::GetVertexColorIndex(int index, unsigned char& color) const
{
    if (!m_colors || index < 0 || index >= m_nodeCapacity) return false;
    color = m_colors[index];
    return true;
}

unsigned char CVyrIndexedMesh::GetVertexColorIndex(const CVyrPolygonVertex* vertex) const
{
    return m_colors ? m_colors[get_vertex_index(vertex)] : 0;
}

// --- Display list -----------------------------------------------------------------------------------

bool CVyrIndexedMesh::StartDisplayListCreation(int owner)
{
    DeleteDisplayList();
    // A name from GL itself: reserved for this list alone in every context that shares lists.
    const GLuint name = glGenLists(1);
    if (name == 0) return false;
    m_displayList = name;
    m_displayListOwner = owner;
    m_displayListRevision = m_revision;
    glNewList(name, GL_COMPILE);
    return true;
}

void CVyrIndexedMesh::FinishDisplayListCreation()
{
    if (m_displayList) glEndList();
}

void CVyrIndexedMesh::DrawDisplayList() const
{
    if (m_displayList) glCallList(m_displayList);
}

void CVyrIndexedMesh::DeleteDisplayList()
{
    if (!m_displayList) return;
    glDeleteLists(m_displayList, 1);
    m_displayList = 0;
    m_displayListOwner = 0;
}

bool CVyrIndexedMesh::IsDisplayListExists(int owner) const
{
    return m_displayList != 0 && m_displayListOwner == owner && m_displayListRevision == m_revision;
}
