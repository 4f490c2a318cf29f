// CVyrMeshInterface: the body record of the archive (Save, Load, ComputeMeshMemorySize).
//
// Both directions go through a block of their own rather than one archive call per value: the
// writer gathers up to 64 KB before it hands them to the archive, and the reader takes a node
// array or a polygon's corners in one read, so that a body of a hundred thousand triangles moves
// at the speed of memory.
#include "VyrMeshInterface.h"

#include "DsEllipseStorage.h"
#include "VyrIndexedMesh.h"
#include "VyrRefinement.h"

#include "SpaGeometry.h"

#include <afx.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the record is little-endian, as this machine");

namespace {

// The tags, written as their characters only.
const char kLineFeed[] = "\n";
const char kStartBody[] = "Start Body:";
const char kMeshesCount[] = "Meshes:count";
const char kPolylinesCount[] = "Polylines:count";
const char kEndBody[] = "End Body";
const char kMeshPid[] = "Mesh:pid";
const char kNodesCount[] = "Nodes:count";
const char kPolygonsCount[] = "Polygons:count";
const char kPolylinePid[] = "Polyline:pid";
const char kEllipse[] = "(Ellipse)";

// Length of a tag (without the terminator the array holds).
template <size_t N>
constexpr size_t TagLength(const char (&)[N])
{
    return N - 1;
}

// Bytes of one node in a record: position and normal as floats, uv as doubles.
const size_t kNodeBytes = 6 * sizeof(float) + 2 * sizeof(double);

// Gathers the record's bytes and hands them to the archive in blocks.
class RecordWriter {
public:
    explicit RecordWriter(CArchive& archive) : m_archive(archive) { m_block.reserve(kBlock); }

    template <size_t N>
    void Tag(const char (&tag)[N])
    {
        Bytes(tag, TagLength(tag));
    }
    void Int(int32_t v) { Bytes(&v, sizeof v); }
    void Float(float v) { Bytes(&v, sizeof v); }
    void Double(double v) { Bytes(&v, sizeof v); }
    void Bytes(const void* data, size_t count)
    {
        const auto* bytes = static_cast<const unsigned char*>(data);
        m_block.insert(m_block.end(), bytes, bytes + count);
        if (m_block.size() >= kBlock) Flush();
    }
    // Hands what is gathered to the archive (its exceptions reach the caller).
    void Flush()
    {
        if (m_block.empty()) return;
        m_archive.Write(m_block.data(), static_cast<UINT>(m_block.size()));
        m_block.clear();
    }

private:
    static const size_t kBlock = 64 * 1024;
    CArchive& m_archive;
    std::vector<unsigned char> m_block;
};

// A value read from an archive that Load refuses.
struct Refused {};

bool Finite(double v)
{
    return std::isfinite(v);
}

int32_t IntAt(const unsigned char* p)
{
    int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

float FloatAt(const unsigned char* p)
{
    float v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

double DoubleAt(const unsigned char* p)
{
    double v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Refuses a capacity that is negative or above the limit.
void CheckCapacity(int capacity)
{
    if (capacity < 0 || capacity > CVyrMeshInterface::kMaxArchiveCapacity) throw Refused();
}

// A capacity that asks for more room than its record's `content` items and the spare becomes the
// content: the mesh keeps all it was saved with, and a record claims no memory the archive does
// not back.
int FitCapacity(int capacity, int64_t content)
{
    return capacity > content + CVyrMeshInterface::kSpareArchiveCapacity ? static_cast<int>(content) : capacity;
}

}  // namespace

// Reads a record and knows how many bytes the archive still holds, so that no count makes it
// allocate more than the archive could fill. Running short is the archive's end of file.
class CVyrMeshInterface::ArchiveReader {
public:
    explicit ArchiveReader(CArchive& archive) : m_archive(archive)
    {
        // The archive's read-ahead goes back to the file, so that the file's position is the
        // record's.
        m_archive.Flush();
        CFile* file = m_archive.GetFile();
        if (!file) AfxThrowArchiveException(CArchiveException::genericException);
        const ULONGLONG length = file->GetLength();
        const ULONGLONG position = file->GetPosition();
        m_left = length > position ? length - position : 0;
    }

    // Bytes the archive still holds.
    ULONGLONG Left() const { return m_left; }
    // Throws unless `count` items of `size` bytes each can still be read.
    void Expect(int64_t count, size_t size) const
    {
        if (count < 0) throw Refused();
        if (static_cast<ULONGLONG>(count) > m_left / size) AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    void Skip(size_t count)
    {
        unsigned char scratch[16];
        while (count > 0) {
            const size_t step = count < sizeof scratch ? count : sizeof scratch;
            Bytes(scratch, step);
            count -= step;
        }
    }
    template <size_t N>
    void SkipTag(const char (&tag)[N])
    {
        Skip(TagLength(tag));
    }
    int32_t Int()
    {
        unsigned char b[sizeof(int32_t)];
        Bytes(b, sizeof b);
        return IntAt(b);
    }
    // A count of items of `size` bytes each that the archive can still hold.
    int32_t Count(size_t size)
    {
        const int32_t count = Int();
        Expect(count, size);
        return count;
    }
    double Double()
    {
        unsigned char b[sizeof(double)];
        Bytes(b, sizeof b);
        const double v = DoubleAt(b);
        if (!Finite(v)) throw Refused();
        return v;
    }
    float Float()
    {
        unsigned char b[sizeof(float)];
        Bytes(b, sizeof b);
        const float v = FloatAt(b);
        if (!Finite(v)) throw Refused();
        return v;
    }
    void Bytes(void* data, size_t count)
    {
        if (count > m_left) AfxThrowArchiveException(CArchiveException::endOfFile);
        auto* out = static_cast<unsigned char*>(data);
        while (count > 0) {
            const UINT step = static_cast<UINT>(count < kMaxRead ? count : kMaxRead);
            const UINT got = m_archive.Read(out, step);
            m_left -= got;
            if (got != step) AfxThrowArchiveException(CArchiveException::endOfFile);
            out += step;
            count -= step;
        }
    }

private:
    static const size_t kMaxRead = size_t(1) << 30;
    CArchive& m_archive;
    ULONGLONG m_left = 0;
};

// --- Writing ------------------------------------------------------------------------------------------

void CVyrMeshInterface::Save(CArchive* archive, bool polylinesOnly) const
{
    if (!archive) return;
    RecordWriter out(*archive);
    out.Tag(kLineFeed);
    out.Tag(kStartBody);
    out.Tag(kLineFeed);
    if (!polylinesOnly) {
        out.Tag(kMeshesCount);
        out.Int(static_cast<int32_t>(m_data->meshes.size()));
        out.Tag(kLineFeed);
        out.Int(static_cast<int32_t>(m_data->generation));
        const CVyrRefinement* refinement = m_data->refinement;
        out.Int(refinement ? 1 : 0);
        if (refinement) {
            out.Double(refinement->GetNormalTol());
            out.Double(refinement->GetSurfaceTol());
            out.Double(refinement->GetCurveTol());
            out.Int(refinement->GetMaxGridLines());
            out.Int(static_cast<int32_t>(refinement->GetTriangMode()));
            out.Int(refinement->GetDynamicAllocMeshFlag());
            out.Int(refinement->GetUseDisplayVerticiesFlag());
        }
        out.Tag(kLineFeed);
        for (const auto& [pid, entry] : m_data->meshes) {
            out.Tag(kMeshPid);
            const CVyrIndexedMesh* mesh = entry->GetMesh();
            if (!mesh) {
                out.Int(-1);
                continue;
            }
            out.Int(entry->GetPid());
            out.Int(mesh->GetScaleFlag());
            out.Int(mesh->GetReverseFlag());
            out.Int(mesh->GetPlanarFlag());
            int capacities[3], counts[3];
            mesh->GetLimits(capacities[0], capacities[1], capacities[2]);
            mesh->GetQuantities(counts[0], counts[1], counts[2]);
            for (int c : capacities) out.Int(c);
            for (int c : counts) out.Int(c);
            double range[4];
            mesh->GetRange(range[0], range[1], range[2], range[3]);
            for (double r : range) out.Double(r);
            out.Tag(kNodesCount);
            const int nodes = mesh->get_num_vertex();
            out.Int(nodes);
            for (int i = 0; i < nodes; ++i) {
                const CVyrPolygonVertex* node = mesh->get_vertex(i);
                unsigned char bytes[kNodeBytes];
                std::memcpy(bytes, node->GetFloatPosition(), 3 * sizeof(float));
                std::memcpy(bytes + 3 * sizeof(float), node->GetFloatNormal(), 3 * sizeof(float));
                const SPApar_pos uv = node->get_uv();
                std::memcpy(bytes + 6 * sizeof(float), &uv.u, sizeof(double));
                std::memcpy(bytes + 6 * sizeof(float) + sizeof(double), &uv.v, sizeof(double));
                out.Bytes(bytes, sizeof bytes);
            }
            out.Tag(kLineFeed);
            out.Tag(kPolygonsCount);
            const int polygons = mesh->get_num_polygon();
            out.Int(polygons);
            for (int j = 0; j < polygons; ++j) {
                const CVyrIndexedPolygon* polygon = mesh->get_polygon(j);
                const int corners = polygon->get_vertices() ? polygon->num_vertex() : 0;
                out.Int(polygon->get_share_info());
                out.Int(corners);
                for (int i = 0; i < corners; ++i) out.Int(mesh->get_vertex_index(polygon->get_vertices()[i]));
            }
        }
    }
    out.Tag(kPolylinesCount);
    out.Int(static_cast<int32_t>(m_data->polylines.size()));
    out.Tag(kLineFeed);
    for (const auto& [pid, entry] : m_data->polylines) {
        out.Tag(kPolylinePid);
        out.Int(entry->GetPid());
        const CDsEllipseStorage* storage = entry->GetEllipse();
        const ellipse* e = storage ? storage->GetEllipse() : nullptr;
        out.Int(e ? 1 : 0);
        out.Tag(kLineFeed);
        if (e) {
            out.Tag(kEllipse);
            for (double v : {e->centre.x(), e->centre.y(), e->centre.z(), e->normal.x(), e->normal.y(), e->normal.z(),
                             e->major_axis.x(), e->major_axis.y(), e->major_axis.z(), e->radius_ratio, e->param_off})
                out.Double(v);
            double start = 0.0, end = 0.0;
            storage->GetParameters(start, end);
            out.Double(start);
            out.Double(end);
            out.Float(static_cast<float>(storage->GetTransformationScale()));
        } else {
            const float* points = nullptr;
            int count = entry->GetPoints(points);
            if (!points) count = 0;
            out.Int(count);
            if (count > 0) out.Bytes(points, static_cast<size_t>(count) * 3 * sizeof(float));
        }
    }
    out.Tag(kEndBody);
    out.Tag(kLineFeed);
    out.Flush();
}

// --- Reading ------------------------------------------------------------------------------------------

bool CVyrMeshInterface::Load(CArchive* archive, bool polylinesOnly)
{
    if (!archive) return false;
    try {
        ArchiveReader in(*archive);
        in.SkipTag(kLineFeed);
        in.SkipTag(kStartBody);
        in.SkipTag(kLineFeed);
        if (!polylinesOnly) {
            in.SkipTag(kMeshesCount);
            // The smallest mesh record is its tag and a pid of -1.
            const int32_t meshes = in.Count(TagLength(kMeshPid) + sizeof(int32_t));
            in.SkipTag(kLineFeed);
            const int32_t generation = in.Int();
            CVyrRefinement* refinement = nullptr;
            if (in.Int() != 0) {
                const double normalTol = in.Double();
                const double surfaceTol = in.Double();
                const double curveTol = in.Double();
                const int32_t maxGridLines = in.Int();
                const int32_t triangMode = in.Int();
                const int32_t dynamicAlloc = in.Int();
                const int32_t displayVertices = in.Int();
                refinement = new CVyrRefinement;
                refinement->SetNormalTol(normalTol);
                refinement->SetSurfaceTol(surfaceTol);
                refinement->SetCurveTol(curveTol);
                refinement->SetMaxGridLines(maxGridLines);
                refinement->SetTriangMode(static_cast<AF_TRIANG_MODE>(triangMode));
                refinement->SetDynamicAllocMeshFlag(dynamicAlloc);
                refinement->SetUseDisplayVerticiesFlag(displayVertices);
            }
            m_data->generation = generation;
            // The block owns its refinement: the one it held goes.
            if (m_data->refinement != refinement) delete m_data->refinement;
            m_data->refinement = refinement;
            in.SkipTag(kLineFeed);
            for (int32_t i = 0; i < meshes; ++i) Add(ReadMeshRecord(in));
        }
        in.SkipTag(kPolylinesCount);
        // The smallest polyline record: tag, pid, flag, line feed and a point count.
        const int32_t polylines = in.Count(TagLength(kPolylinePid) + 3 * sizeof(int32_t) + TagLength(kLineFeed));
        in.SkipTag(kLineFeed);
        for (int32_t i = 0; i < polylines; ++i) Add(ReadPolylineRecord(in));
        in.SkipTag(kEndBody);
        in.SkipTag(kLineFeed);
        return true;
    } catch (CException* e) {
        e->Delete();
    } catch (const Refused&) {
    } catch (const std::bad_alloc&) {
    }
    return false;
}

CDmRefCountPtrTempl<CVyrMeshEntry> CVyrMeshInterface::ReadMeshRecord(ArchiveReader& in)
{
    in.SkipTag(kMeshPid);
    const int32_t pid = in.Int();
    if (pid == -1) return {};
    const int32_t scaled = in.Int();
    const int32_t reverse = in.Int();
    const int32_t planar = in.Int();
    int32_t capacities[3];
    for (int32_t& c : capacities) {
        c = in.Int();
        CheckCapacity(c);
    }
    for (int i = 0; i < 3; ++i)
        if (in.Int() < 0) throw Refused();  // the counts are not used, but never negative
    double range[4];
    for (double& r : range) r = in.Double();
    in.SkipTag(kNodesCount);

    // The nodes and polygons are read before the mesh is made, so that its capacities can be
    // held against what the record really holds.
    const int32_t nodeCount = in.Count(kNodeBytes);
    std::vector<unsigned char> nodes(static_cast<size_t>(nodeCount) * kNodeBytes);
    in.Bytes(nodes.data(), nodes.size());
    for (int32_t i = 0; i < nodeCount; ++i) {
        const unsigned char* p = nodes.data() + static_cast<size_t>(i) * kNodeBytes;
        for (int k = 0; k < 6; ++k)
            if (!Finite(FloatAt(p + k * sizeof(float)))) throw Refused();
        for (int k = 0; k < 2; ++k)
            if (!Finite(DoubleAt(p + 6 * sizeof(float) + k * sizeof(double)))) throw Refused();
    }
    in.SkipTag(kLineFeed);
    in.SkipTag(kPolygonsCount);
    const int32_t polygonCount = in.Count(2 * sizeof(int32_t));
    std::vector<int32_t> heads(static_cast<size_t>(polygonCount) * 2);  // share, corner count
    std::vector<int32_t> corners;
    for (int32_t j = 0; j < polygonCount; ++j) {
        heads[2 * j] = in.Int();
        const int32_t k = in.Count(sizeof(int32_t));
        heads[2 * j + 1] = k;
        const size_t first = corners.size();
        corners.resize(first + static_cast<size_t>(k));
        in.Bytes(corners.data() + first, static_cast<size_t>(k) * sizeof(int32_t));
    }
    // What the mesh will keep of them (its capacities refuse the rest), to which the capacities
    // are fitted: a record saved again from the mesh then loads again, to the same bytes.
    const int nodeRoom = capacities[0] > 0 ? capacities[0] : 1;
    const int polygonRoom = capacities[1] > 0 ? capacities[1] : 1;
    const int cornerRoom = capacities[2] > 0 ? capacities[2] : 1;
    int64_t keptPolygons = 0, keptCorners = 0;
    for (int32_t j = 0; j < polygonCount && keptPolygons < polygonRoom; ++j) {
        if (heads[2 * j + 1] > cornerRoom - keptCorners) break;
        ++keptPolygons;
        keptCorners += heads[2 * j + 1];
    }
    capacities[0] = FitCapacity(capacities[0], nodeCount < nodeRoom ? nodeCount : nodeRoom);
    capacities[1] = FitCapacity(capacities[1], keptPolygons);
    capacities[2] = FitCapacity(capacities[2], keptCorners);

    CDmRefCountPtrTempl<CVyrMeshEntry> entry(new CVyrMeshEntry);
    auto* mesh = new CVyrIndexedMesh(capacities[0], capacities[1], capacities[2]);
    entry->SetMeshData(mesh);
    entry->m_pid = pid;
    mesh->SetScaleFlag(scaled);
    mesh->SetReverseFlag(reverse);
    mesh->SetPlanarFlag(planar);
    for (int32_t i = 0; i < nodeCount; ++i) {
        const unsigned char* p = nodes.data() + static_cast<size_t>(i) * kNodeBytes;
        // The floats widened as they are: a unit vector made from them would be normalised again.
        SPAunit_vector normal;
        normal.set_x(FloatAt(p + 3 * sizeof(float)));
        normal.set_y(FloatAt(p + 4 * sizeof(float)));
        normal.set_z(FloatAt(p + 5 * sizeof(float)));
        const SPAposition position(FloatAt(p), FloatAt(p + sizeof(float)), FloatAt(p + 2 * sizeof(float)));
        const SPApar_pos uv(DoubleAt(p + 6 * sizeof(float)), DoubleAt(p + 6 * sizeof(float) + sizeof(double)));
        if (!mesh->add_vertex(position, normal, uv)) break;  // beyond the capacity
    }
    mesh->SetRange(range[0], range[1], range[2], range[3]);
    // Indices outside the nodes in use become node 0 (FastAddPolygon does that); a polygon that
    // does not fit is refused, and so are those after it.
    const int32_t* run = corners.data();
    for (int32_t j = 0; j < polygonCount; ++j) {
        const int32_t k = heads[2 * j + 1];
        if (j == mesh->get_num_polygon()) mesh->FastAddPolygon(j, k, nullptr, heads[2 * j], run);
        run += k;
    }
    return entry;
}

CDmRefCountPtrTempl<CVyrPolylineEntry> CVyrMeshInterface::ReadPolylineRecord(ArchiveReader& in)
{
    in.SkipTag(kPolylinePid);
    CDmRefCountPtrTempl<CVyrPolylineEntry> entry(new CVyrPolylineEntry);
    entry->m_pid = in.Int();
    const int32_t withEllipse = in.Int();
    in.SkipTag(kLineFeed);
    if (withEllipse) {
        in.SkipTag(kEllipse);
        double v[11];
        for (double& d : v) d = in.Double();
        const double start = in.Double();
        const double end = in.Double();
        const float scale = in.Float();
        const SPAvector normal(v[3], v[4], v[5]);
        const SPAvector axis(v[6], v[7], v[8]);
        // A normal or axis of no length, or a ratio not above 0, is no ellipse; nor is one whose
        // lengths overflow.
        const double normalLength2 = normal % normal;
        const double axisLength2 = axis % axis;
        const double minorLength2 = axisLength2 * v[9] * v[9];
        if (!(normalLength2 > 0.0) || !(axisLength2 > 0.0) || !(v[9] > 0.0) || !Finite(normalLength2) ||
            !Finite(minorLength2) || !(minorLength2 > 0.0))
            throw Refused();
        // A unit normal is kept as stored, so that a record saved again is the same record; one
        // too short to be made a unit vector is no normal.
        SPAunit_vector unit(normal);
        if (std::fabs(normalLength2 - 1.0) <= 1e-12) {
            unit.set_x(v[3]);
            unit.set_y(v[4]);
            unit.set_z(v[5]);
        }
        if (!(unit % unit > 0.5)) throw Refused();
        const ellipse e(SPAposition(v[0], v[1], v[2]), unit, axis, v[9], v[10]);
        entry->SetEllipse(e, start, end)->SetTransformationScale(scale);
    } else {
        const int32_t count = in.Count(3 * sizeof(float));
        if (count > 0) {
            std::vector<float> points(static_cast<size_t>(count) * 3);
            in.Bytes(points.data(), points.size() * sizeof(float));
            for (float p : points)
                if (!Finite(p)) throw Refused();
            auto* owned = new float[points.size()];
            std::memcpy(owned, points.data(), points.size() * sizeof(float));
            entry->SetPoints(count, owned);
        }
        entry->SetMiddlePoint();
    }
    return entry;
}

// --- Size tally ---------------------------------------------------------------------------------------

void CVyrMeshInterface::ComputeMeshMemorySize(unsigned long& size, bool polylinesOnly) const
{
    if (!m_data) return;
    size += 14;
    if (!polylinesOnly) {
        size += 26;
        if (m_data->refinement) size += 40;
        size += 1;
        for (const auto& [pid, entry] : m_data->meshes) {
            size += 9;
            const CVyrIndexedMesh* mesh = entry->GetMesh();
            if (!mesh) {
                size += 4;
                continue;
            }
            size += 84 + 4 + 40 * static_cast<unsigned long>(mesh->get_num_vertex()) + 16 + 4;
            for (int j = 0; j < mesh->get_num_polygon(); ++j) {
                const CVyrIndexedPolygon* polygon = mesh->get_polygon(j);
                size += 8 + 4 * static_cast<unsigned long>(polygon->get_vertices() ? polygon->num_vertex() : 0);
            }
        }
    }
    size += 21;
    for (const auto& [pid, entry] : m_data->polylines) {
        size += 17 + 5;
        const CDsEllipseStorage* storage = entry->GetEllipse();
        if (storage && storage->GetEllipse()) {
            size += 118;
        } else {
            const float* points = nullptr;
            const int count = entry->GetPoints(points);
            size += 4 + 12 * static_cast<unsigned long>(points && count > 0 ? count : 0);
        }
    }
    size += 10;
}
