// The body record of a mesh interface: its bytes, what a load gives back, and what it refuses.
#include "DsEllipseStorage.h"
#include "DsGlSketch.h"
#include "DsQueryIDInt.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrRefinement.h"

#include "MeshingFixture.h"

#include "EntityDeleter.h"
#include "SpaBuilders.h"
#include "SpaGeometry.h"
#include "SpaTopology.h"

#include <afx.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using vyrtest::BodyPtr;
using vyrtest::MeshingTest;

// Persistent ids 1, 2, 3... in the order entities are first asked about, the same id every time.
class StablePids : public CDsQueryIDInt {
public:
    StablePids() { StSetActiveQueryIDInt(this); }
    int QueryPID(ENTITY* entity) override
    {
        if (!entity) return 0;
        const auto found = m_ids.find(entity);
        if (found != m_ids.end()) return found->second;
        const int id = static_cast<int>(m_ids.size()) + 1;
        m_ids[entity] = id;
        return id;
    }

private:
    std::map<ENTITY*, int> m_ids;
};

// The bytes Save writes.
std::string Saved(const CVyrMeshInterface& meshes, bool polylinesOnly)
{
    CMemFile file;
    CArchive archive(&file, CArchive::store);
    meshes.Save(&archive, polylinesOnly);
    archive.Close();
    return std::string(reinterpret_cast<const char*>(file.GetData()), static_cast<size_t>(file.GetLength()));
}

// Load over these bytes.
bool Load(CVyrMeshInterface& meshes, const std::string& bytes, bool polylinesOnly)
{
    std::vector<BYTE> copy(bytes.begin(), bytes.end());
    copy.push_back(0);  // a buffer even for no bytes
    CMemFile file(copy.data(), static_cast<UINT>(bytes.size()));
    CArchive archive(&file, CArchive::load);
    return meshes.Load(&archive, polylinesOnly);
}

// Builds a record by hand, little-endian.
class Record {
public:
    Record& Tag(const char* text)
    {
        m_bytes += text;
        return *this;
    }
    Record& Int(int32_t v) { return Raw(&v, sizeof v); }
    Record& Float(float v) { return Raw(&v, sizeof v); }
    Record& Double(double v) { return Raw(&v, sizeof v); }
    const std::string& Bytes() const { return m_bytes; }
    // The head of a record without meshes and refinement, up to its first mesh record.
    Record& Head(int meshes, int generation = 7)
    {
        return Tag("\n").Tag("Start Body:").Tag("\n").Tag("Meshes:count").Int(meshes).Tag("\n").Int(generation).Int(0).Tag("\n");
    }
    // The polylines' head with `count` and, for 0, the end of the body.
    Record& Polylines(int count)
    {
        Tag("Polylines:count").Int(count).Tag("\n");
        return count == 0 ? End() : *this;
    }
    Record& End() { return Tag("End Body").Tag("\n"); }
    // A mesh record head up to its node count: pid, flags 0, capacities and counts as given.
    Record& MeshHead(int pid, int nodeCap, int polygonCap, int cornerCap, int nodes, int polygons, int corners)
    {
        Tag("Mesh:pid").Int(pid).Int(0).Int(0).Int(0).Int(nodeCap).Int(polygonCap).Int(cornerCap);
        Int(nodes).Int(polygons).Int(corners).Double(0).Double(1).Double(0).Double(1);
        return Tag("Nodes:count");
    }
    // A node at (x, y, 0), normal +z, uv (x, y).
    Record& Node(float x, float y) { return Float(x).Float(y).Float(0).Float(0).Float(0).Float(1).Double(x).Double(y); }

private:
    Record& Raw(const void* p, size_t n)
    {
        m_bytes.append(static_cast<const char*>(p), n);
        return *this;
    }
    std::string m_bytes;
};

// A triangle mesh of pid `pid`: nodes (0,0), (1,0), (0,1) and one triangle; `lastIndex` is its
// third corner's index as stored.
std::string TriangleRecord(int pid, int lastIndex)
{
    Record r;
    r.Head(1).MeshHead(pid, 3, 1, 3, 3, 1, 3).Int(3).Node(0, 0).Node(1, 0).Node(0, 1).Tag("\n");
    r.Tag("Polygons:count").Int(1).Int(-2).Int(3).Int(lastIndex).Int(1).Int(2);
    return r.Polylines(0).Bytes();
}

// A record of one ellipse polyline of pid 1 with these values.
std::string EllipseRecord(const SPAvector& normal, const SPAvector& axis, double ratio, double centreX = 0)
{
    Record r;
    r.Head(0).Polylines(1).Tag("Polyline:pid").Int(1).Int(1).Tag("\n").Tag("(Ellipse)");
    for (double v : {centreX, 0.0, 0.0, normal.x(), normal.y(), normal.z(), axis.x(), axis.y(), axis.z(), ratio, 0.0})
        r.Double(v);
    r.Double(0).Double(1).Float(1);
    return r.End().Bytes();
}

// A record of one point polyline of pid `pid` with `count` stored and these floats.
std::string PointsRecord(int pid, int count, const std::vector<float>& values)
{
    Record r;
    r.Head(0).Polylines(1).Tag("Polyline:pid").Int(pid).Int(0).Tag("\n").Int(count);
    for (float v : values) r.Float(v);
    return r.End().Bytes();
}

// Whether two meshes hold the same nodes (bit for bit), polygons, flags and range.
void ExpectSameMesh(const CVyrIndexedMesh& a, const CVyrIndexedMesh& b)
{
    ASSERT_EQ(a.get_num_vertex(), b.get_num_vertex());
    ASSERT_EQ(a.get_num_polygon(), b.get_num_polygon());
    EXPECT_EQ(a.get_num_polynode(), b.get_num_polynode());
    for (int i = 0; i < a.get_num_vertex(); ++i) {
        EXPECT_EQ(std::memcmp(a.GetFloatPosition(i), b.GetFloatPosition(i), 3 * sizeof(float)), 0) << i;
        EXPECT_EQ(std::memcmp(a.GetFloatNormal(i), b.GetFloatNormal(i), 3 * sizeof(float)), 0) << i;
        EXPECT_EQ(a.get_uv(i).u, b.get_uv(i).u);
        EXPECT_EQ(a.get_uv(i).v, b.get_uv(i).v);
    }
    for (int j = 0; j < a.get_num_polygon(); ++j) {
        const CVyrIndexedPolygon* p = a.get_polygon(j);
        const CVyrIndexedPolygon* q = b.get_polygon(j);
        ASSERT_EQ(p->num_vertex(), q->num_vertex());
        EXPECT_EQ(p->get_share_info(), q->get_share_info());
        for (int i = 0; i < p->num_vertex(); ++i)
            EXPECT_EQ(a.get_vertex_index(p->get_vertex(i)), b.get_vertex_index(q->get_vertex(i)));
    }
    EXPECT_EQ(a.GetScaleFlag(), b.GetScaleFlag());
    EXPECT_EQ(a.GetReverseFlag(), b.GetReverseFlag());
    EXPECT_EQ(a.GetPlanarFlag(), b.GetPlanarFlag());
    double ra[4], rb[4];
    a.GetRange(ra[0], ra[1], ra[2], ra[3]);
    b.GetRange(rb[0], rb[1], rb[2], rb[3]);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(ra[k], rb[k]);
}

class MeshArchiveTest : public MeshingTest {
protected:
    // The block's display data (6 faces, 12 edges), faceted through the sketch.
    std::unique_ptr<CVyrMeshInterface> Block()
    {
        block_.reset(make_block(0, 0, 0, 4, 2, 1));
        return std::unique_ptr<CVyrMeshInterface>(CDsGlSketch(nullptr).BuildBody(block_.get(), true));
    }
    StablePids pids_;
    BodyPtr block_;
};

}  // namespace

TEST_F(MeshArchiveTest, AnEmptyInterfaceIsTheSixtyEightBytesOfTheRecordsFrame)
{
    CVyrMeshInterface empty;
    const std::string bytes = Saved(empty, false);
    const std::string golden("\nStart Body:\nMeshes:count\0\0\0\0\n\xff\xff\xff\xff\0\0\0\0\nPolylines:count\0\0\0\0\nEnd Body\n", 68);
    EXPECT_EQ(bytes, golden);
    CVyrMeshInterface back;
    EXPECT_TRUE(Load(back, bytes, false));
    EXPECT_EQ(back.GetMeshesCount(), 0);
    EXPECT_EQ(back.GetVyrRefinement(), nullptr);

    // Polylines only: the meshes' part is left out.
    EXPECT_EQ(Saved(empty, true), std::string("\nStart Body:\nPolylines:count\0\0\0\0\nEnd Body\n", 42));
    // Nothing for a null archive, and a null archive loads nothing.
    empty.Save(nullptr, false);
    EXPECT_FALSE(back.Load(nullptr, false));
}

TEST_F(MeshArchiveTest, TheBlocksRecordGivesBackEveryMeshAndPolylineWithTheRefinementAndGeneration)
{
    std::unique_ptr<CVyrMeshInterface> block = Block();
    ASSERT_TRUE(block);
    ASSERT_EQ(block->GetMeshesCount(), 6);
    ASSERT_EQ(block->GetPolylinesCount(), 12);
    auto* refinement = new CVyrRefinement;
    refinement->SetNormalTol(7.5);
    refinement->SetSurfaceTol(0.25);
    refinement->SetCurveTol(0.125);
    refinement->SetMaxGridLines(300);
    refinement->SetTriangMode(AF_TRIANG_MODE_POLYGONS);
    refinement->SetDynamicAllocMeshFlag(0);
    refinement->SetUseDisplayVerticiesFlag(1);
    refinement->SetGradingMode(3);  // not stored
    block->SetVyrRefinement(refinement);
    block->SetMeshGenerationNumber((1L << 32) + 5);  // stored as 32 bits
    block->FlipMeshNormals(block->BeginMeshes()->second->GetFace());

    const std::string bytes = Saved(*block, false);
    CVyrMeshInterface back;
    ASSERT_TRUE(Load(back, bytes, false));
    EXPECT_EQ(back.GetMeshGenerationNumber(), 5);
    ASSERT_NE(back.GetVyrRefinement(), nullptr);
    const CVyrRefinement& r = *back.GetVyrRefinement();
    EXPECT_EQ(r.GetNormalTol(), 7.5);
    EXPECT_EQ(r.GetSurfaceTol(), 0.25);
    EXPECT_EQ(r.GetCurveTol(), 0.125);
    EXPECT_EQ(r.GetMaxGridLines(), 300);
    EXPECT_EQ(r.GetTriangMode(), AF_TRIANG_MODE_POLYGONS);
    EXPECT_EQ(r.GetDynamicAllocMeshFlag(), 0);
    EXPECT_EQ(r.GetUseDisplayVerticiesFlag(), 1);
    EXPECT_EQ(r.GetGradingMode(), 0);

    ASSERT_EQ(back.GetMeshesCount(), 6);
    for (auto a = block->BeginMeshes(), b = back.BeginMeshes(); a != block->EndMeshes(); ++a, ++b) {
        EXPECT_EQ(a->first, b->first);
        EXPECT_EQ(b->second->GetPid(), a->first);
        EXPECT_EQ(b->second->GetFace(), nullptr);
        ASSERT_NE(b->second->GetMesh(), nullptr);
        ExpectSameMesh(*a->second->GetMesh(), *b->second->GetMesh());
    }
    EXPECT_EQ(back.BeginMeshes()->second->GetMesh()->GetReverseFlag(), 1);
    ASSERT_EQ(back.GetPolylinesCount(), 12);
    for (auto a = block->BeginPolylines(), b = back.BeginPolylines(); a != block->EndPolylines(); ++a, ++b) {
        EXPECT_EQ(a->first, b->first);
        EXPECT_EQ(b->second->GetEdge(), nullptr);
        const float *pa = nullptr, *pb = nullptr;
        ASSERT_EQ(a->second->GetPoints(pa), b->second->GetPoints(pb));
        EXPECT_EQ(std::memcmp(pa, pb, 3 * sizeof(float) * a->second->GetPoints(pa)), 0);
        // The middle is computed again from the points.
        EXPECT_NEAR((a->second->GetMiddlePoint() - b->second->GetMiddlePoint()).len(), 0.0, 1e-6);
    }
    // Saved again, the loaded interface writes the same bytes.
    EXPECT_EQ(Saved(back, false), bytes);
}

TEST_F(MeshArchiveTest, ACylindersCirclesComeBackAsEllipsesWithTheirParametersAndScale)
{
    CDsEllipseStorage::StSetDynamicEllipses(true);
    BodyPtr cylinder(make_cylinder(SPAposition(1, 2, 3), SPAvector(0, 0, 1), 2.0, 5.0));
    ASSERT_TRUE(cylinder);
    std::unique_ptr<CVyrMeshInterface> meshes(CDsGlSketch(nullptr).BuildBody(cylinder.get(), true));
    ASSERT_TRUE(meshes);
    int ellipses = 0;
    for (auto it = meshes->BeginPolylines(); it != meshes->EndPolylines(); ++it)
        if (CDsEllipseStorage* storage = it->second->GetEllipse()) {
            storage->SetTransformationScale(2.5);
            ++ellipses;
        }
    ASSERT_EQ(ellipses, 2);

    CVyrMeshInterface back;
    ASSERT_TRUE(Load(back, Saved(*meshes, false), false));
    ASSERT_EQ(back.GetPolylinesCount(), meshes->GetPolylinesCount());
    int loaded = 0;
    for (auto a = meshes->BeginPolylines(), b = back.BeginPolylines(); a != meshes->EndPolylines(); ++a, ++b) {
        const CDsEllipseStorage* sa = a->second->GetEllipse();
        const CDsEllipseStorage* sb = b->second->GetEllipse();
        ASSERT_EQ(sa == nullptr, sb == nullptr);
        if (!sa) continue;
        ++loaded;
        const ellipse& ea = *sa->GetEllipse();
        const ellipse& eb = *sb->GetEllipse();
        EXPECT_LT((ea.centre - eb.centre).len(), 1e-12);
        EXPECT_EQ(ea.normal.x(), eb.normal.x());  // a unit normal bit for bit
        EXPECT_EQ(ea.normal.y(), eb.normal.y());
        EXPECT_EQ(ea.normal.z(), eb.normal.z());
        EXPECT_LT((ea.major_axis - eb.major_axis).len(), 1e-12);
        EXPECT_EQ(ea.radius_ratio, eb.radius_ratio);
        EXPECT_EQ(ea.param_off, eb.param_off);
        double s0, e0, s1, e1;
        sa->GetParameters(s0, e0);
        sb->GetParameters(s1, e1);
        EXPECT_EQ(s0, s1);
        EXPECT_EQ(e0, e1);
        EXPECT_EQ(sb->GetTransformationScale(), 2.5);
        SPAposition centre;
        EXPECT_TRUE(b->second->GetCenterPoint(centre));
        EXPECT_LT((centre - SPAposition(1, 2, centre.z())).len(), 1e-9);
    }
    EXPECT_EQ(loaded, 2);
}

TEST_F(MeshArchiveTest, AnEntryWithoutAMeshIsTwelveBytesAndIsNotRestored)
{
    block_.reset(make_block(0, 0, 0, 1, 1, 1));
    ENTITY_LIST faces;
    get_faces(block_.get(), faces);
    CVyrMeshInterface meshes;
    CVyrMeshInterface reference;
    const std::string empty = Saved(reference, false);
    meshes.Add(CDmRefCountPtrTempl<CVyrMeshEntry>(new CVyrMeshEntry(static_cast<FACE*>(faces[0]), nullptr)));
    ASSERT_EQ(meshes.GetMeshesCount(), 1);
    const std::string bytes = Saved(meshes, false);
    ASSERT_EQ(bytes.size(), empty.size() + 12);
    EXPECT_EQ(bytes.substr(39, 12), std::string("Mesh:pid\xff\xff\xff\xff", 12));
    CVyrMeshInterface back;
    EXPECT_TRUE(Load(back, bytes, false));
    EXPECT_EQ(back.GetMeshesCount(), 0);
}

TEST_F(MeshArchiveTest, PolygonCornersOutsideTheNodesLoadAsNodeZero)
{
    for (int index : {-5, 3, 1000}) {
        CVyrMeshInterface back;
        ASSERT_TRUE(Load(back, TriangleRecord(4, index), false)) << index;
        const CVyrIndexedMesh* mesh = back.GetMeshEntry(4)->GetMesh();
        ASSERT_EQ(mesh->get_num_polygon(), 1);
        const CVyrIndexedPolygon* triangle = mesh->get_polygon(0);
        EXPECT_EQ(mesh->get_vertex_index(triangle->get_vertex(0)), 0);
        EXPECT_EQ(mesh->get_vertex_index(triangle->get_vertex(1)), 1);
        EXPECT_EQ(mesh->get_vertex_index(triangle->get_vertex(2)), 2);
    }
    CVyrMeshInterface back;
    ASSERT_TRUE(Load(back, TriangleRecord(4, 2), false));
    EXPECT_EQ(back.GetMeshEntry(4)->GetMesh()->get_vertex_index(back.GetMeshEntry(4)->GetMesh()->get_polygon(0)->get_vertex(0)), 2);
}

TEST_F(MeshArchiveTest, PolylinesOnlyLeavesTheMeshesGenerationAndRefinementAlone)
{
    std::unique_ptr<CVyrMeshInterface> block = Block();
    ASSERT_TRUE(block);
    const std::string bytes = Saved(*block, true);
    EXPECT_EQ(bytes.find("Meshes:count"), std::string::npos);

    CVyrMeshInterface target;
    ASSERT_TRUE(Load(target, TriangleRecord(4, 2), false));
    auto* refinement = new CVyrRefinement;
    target.SetVyrRefinement(refinement);
    target.SetMeshGenerationNumber(42);
    const CVyrIndexedMesh* mesh = target.GetMeshEntry(4)->GetMesh();

    ASSERT_TRUE(Load(target, bytes, true));
    EXPECT_EQ(target.GetPolylinesCount(), 12);
    EXPECT_EQ(target.GetMeshesCount(), 1);
    EXPECT_EQ(target.GetMeshEntry(4)->GetMesh(), mesh);
    EXPECT_EQ(target.GetMeshGenerationNumber(), 42);
    EXPECT_EQ(target.GetVyrRefinement(), refinement);
}

TEST_F(MeshArchiveTest, ALoadAddsToWhatIsThereAndDeletesTheRefinementItReplaces)
{
    CVyrMeshInterface target;
    ASSERT_TRUE(Load(target, TriangleRecord(4, 2), false));
    ASSERT_TRUE(Load(target, TriangleRecord(9, 2), false));
    const CVyrIndexedMesh* nine = target.GetMeshEntry(9)->GetMesh();
    ASSERT_TRUE(Load(target, TriangleRecord(9, 1), false));  // replaces pid 9
    EXPECT_EQ(target.GetMeshesCount(), 2);
    EXPECT_NE(target.GetMeshEntry(9)->GetMesh(), nine);
    EXPECT_EQ(target.GetMeshEntry(9)->GetMesh()->get_vertex_index(target.GetMeshEntry(9)->GetMesh()->get_polygon(0)->get_vertex(0)), 1);

    // The block's refinement, current while it lives: a load replaces it and deletes it, which
    // clears the current refinement.
    auto* owned = new CVyrRefinement;
    target.SetVyrRefinement(owned);
    CVyrRefinement::StSetCurrentRefinement(owned);
    CVyrMeshInterface sharing(target);
    CVyrMeshInterface withRefinement;
    withRefinement.SetVyrRefinement(new CVyrRefinement);
    withRefinement.SetMeshGenerationNumber(77);
    ASSERT_TRUE(Load(target, Saved(withRefinement, false), false));
    EXPECT_EQ(CVyrRefinement::sCurrentRefinement, nullptr);
    ASSERT_NE(target.GetVyrRefinement(), nullptr);
    EXPECT_NE(target.GetVyrRefinement(), owned);
    // An interface that shares the block sees the loaded generation and refinement.
    EXPECT_EQ(sharing.GetMeshGenerationNumber(), 77);
    EXPECT_EQ(sharing.GetVyrRefinement(), target.GetVyrRefinement());
    // A record without a refinement takes it away (deleted with it).
    ASSERT_TRUE(Load(target, TriangleRecord(4, 2), false));
    EXPECT_EQ(target.GetVyrRefinement(), nullptr);
}

TEST_F(MeshArchiveTest, GetBodyOfALoadedInterfaceAnswersTheFirstEntryThatHasAFace)
{
    std::unique_ptr<CVyrMeshInterface> block = Block();
    ASSERT_TRUE(block);
    CVyrMeshInterface loaded;
    ASSERT_TRUE(Load(loaded, Saved(*block, false), false));
    EXPECT_EQ(loaded.GetBody(), nullptr);  // no entry has a face or an edge

    // An entry of a real face under a pid above every loaded one: it answers.
    ENTITY_LIST faces;
    get_faces(block_.get(), faces);
    FACE* face = static_cast<FACE*>(faces[0]);
    CDmRefCountPtrTempl<CVyrMeshEntry> entry(new CVyrMeshEntry(face, nullptr));
    ASSERT_GT(entry->GetPid(), 1);
    CVyrMeshInterface mixed;
    mixed.Add(entry);
    ASSERT_TRUE(Load(mixed, TriangleRecord(1, 2), false));
    ASSERT_EQ(mixed.BeginMeshes()->second->GetFace(), nullptr);  // the loaded entry comes first
    EXPECT_EQ(mixed.GetBody(), block_.get());

    // With no mesh entry that has a face, the first polyline entry that has an edge answers.
    CVyrMeshInterface edges;
    ASSERT_TRUE(Load(edges, TriangleRecord(1, 2), false));
    ASSERT_TRUE(Load(edges, PointsRecord(1, 1, {1, 2, 3}), false));
    EXPECT_EQ(edges.GetBody(), nullptr);
    for (auto it = block->BeginPolylines(); it != block->EndPolylines(); ++it) edges.Add(it->second);
    EXPECT_EQ(edges.GetBody(), block_.get());
}

TEST_F(MeshArchiveTest, TheSizeTallyOfTheBlockAddsItsPartsToTheCounter)
{
    std::unique_ptr<CVyrMeshInterface> block = Block();
    ASSERT_TRUE(block);
    ASSERT_EQ(block->GetVyrRefinement(), nullptr);
    // Every face of the block is 4 nodes in 2 triangles, every edge 2 points.
    for (auto it = block->BeginMeshes(); it != block->EndMeshes(); ++it) {
        ASSERT_EQ(it->second->GetMesh()->get_num_vertex(), 4);
        ASSERT_EQ(it->second->GetMesh()->get_num_polygon(), 2);
        ASSERT_EQ(it->second->GetMesh()->get_polygon(0)->num_vertex(), 3);
        ASSERT_EQ(it->second->GetMesh()->get_polygon(1)->num_vertex(), 3);
    }
    for (auto it = block->BeginPolylines(); it != block->EndPolylines(); ++it) {
        const float* points = nullptr;
        ASSERT_EQ(it->second->GetPoints(points), 2);
    }
    // 14; 26 + 1; per face 9 + 84 + 4 + 4 x 40 + 16 + 4 + 2 x (8 + 3 x 4) = 317; 21; per edge
    // 17 + 5 + 4 + 2 x 12 = 50; 10.
    const unsigned long expected = 5 + 14 + 27 + 6 * 317 + 21 + 12 * 50 + 10;
    unsigned long size = 5;
    block->ComputeMeshMemorySize(size, false);
    EXPECT_EQ(size, expected);
    size = 5;
    block->ComputeMeshMemorySize(size, true);
    EXPECT_EQ(size, 5u + 14 + 21 + 12 * 50 + 10);
    block->SetVyrRefinement(new CVyrRefinement);
    size = 0;
    block->ComputeMeshMemorySize(size, false);
    EXPECT_EQ(size, expected - 5 + 40);
}

TEST_F(MeshArchiveTest, ATruncatedOrShiftedRecordLoadsFalseAndKeepsWhatWasThere)
{
    std::unique_ptr<CVyrMeshInterface> block = Block();
    ASSERT_TRUE(block);
    const std::string bytes = Saved(*block, false);
    const std::string keep = TriangleRecord(1000, 2);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        CVyrMeshInterface target;
        ASSERT_TRUE(Load(target, keep, false));
        ASSERT_FALSE(Load(target, bytes.substr(0, cut), false)) << cut;
        ASSERT_TRUE(target.GetMeshEntry(1000)) << cut;
        ASSERT_EQ(target.GetMeshEntry(1000)->GetMesh()->get_num_vertex(), 3) << cut;
        // The entries read before the cut stay; the one it cut is not there.
        ASSERT_LE(target.GetMeshesCount(), 1 + 6) << cut;
    }
    // Cut after the third mesh record: the first three stay.
    CVyrMeshInterface target;
    size_t fourth = 0;
    for (int i = 0; i < 4; ++i) fourth = bytes.find("Mesh:pid", fourth + 1);
    EXPECT_FALSE(Load(target, bytes.substr(0, fourth + 2), false));
    EXPECT_EQ(target.GetMeshesCount(), 3);

    for (const std::string& shifted : {bytes.substr(1), std::string("\n") + bytes}) {
        CVyrMeshInterface other;
        EXPECT_FALSE(Load(other, shifted, false));
    }
}

TEST_F(MeshArchiveTest, CountsAndCapacitiesThatTheArchiveCannotBackAreRefusedOrLowered)
{
    const int huge = std::numeric_limits<int32_t>::max();
    const int nearHuge = (1 << 30) + 3;
    std::vector<std::string> hostile;
    hostile.push_back(Record().Head(-1).Polylines(0).Bytes());
    hostile.push_back(Record().Head(huge).Polylines(0).Bytes());
    hostile.push_back(Record().Head(0).Tag("Polylines:count").Int(-3).Tag("\n").End().Bytes());
    hostile.push_back(Record().Head(0).Tag("Polylines:count").Int(nearHuge).Tag("\n").End().Bytes());
    for (int cap : {-1, nearHuge, huge, CVyrMeshInterface::kMaxArchiveCapacity + 1})
        for (int which = 0; which < 3; ++which) {
            int caps[3] = {3, 1, 3};
            caps[which] = cap;
            Record r;
            r.Head(1).MeshHead(4, caps[0], caps[1], caps[2], 3, 1, 3).Int(3).Node(0, 0).Node(1, 0).Node(0, 1).Tag("\n");
            hostile.push_back(r.Tag("Polygons:count").Int(1).Int(-2).Int(3).Int(0).Int(1).Int(2).Polylines(0).Bytes());
        }
    // Node, polygon and corner counts beyond the archive, or negative; an unused count negative.
    for (int nodes : {-2, 4, nearHuge, huge})
        hostile.push_back(Record().Head(1).MeshHead(4, 3, 1, 3, 3, 1, 3).Int(nodes).Node(0, 0).Node(1, 0).Node(0, 1).Bytes());
    for (int polygons : {-1, 2, nearHuge}) {
        Record r;
        r.Head(1).MeshHead(4, 3, 1, 3, 3, 1, 3).Int(3).Node(0, 0).Node(1, 0).Node(0, 1).Tag("\n");
        hostile.push_back(r.Tag("Polygons:count").Int(polygons).Int(-2).Int(3).Int(0).Int(1).Int(2).Polylines(0).Bytes());
    }
    for (int corners : {-3, 100, nearHuge}) {
        Record r;
        r.Head(1).MeshHead(4, 3, 1, 3, 3, 1, 3).Int(3).Node(0, 0).Node(1, 0).Node(0, 1).Tag("\n");
        hostile.push_back(r.Tag("Polygons:count").Int(1).Int(-2).Int(corners).Int(0).Int(1).Int(2).Polylines(0).Bytes());
    }
    hostile.push_back(Record().Head(1).MeshHead(4, 3, 1, 3, -1, 1, 3).Int(0).Tag("\n").Tag("Polygons:count").Int(0).Polylines(0).Bytes());
    hostile.push_back(PointsRecord(1, -1, {}));
    hostile.push_back(PointsRecord(1, 2, {1, 2, 3}));
    hostile.push_back(PointsRecord(1, nearHuge, {1, 2, 3}));

    for (size_t i = 0; i < hostile.size(); ++i) {
        CVyrMeshInterface target;
        ASSERT_TRUE(Load(target, TriangleRecord(1000, 2), false));
        EXPECT_FALSE(Load(target, hostile[i], false)) << i;
        EXPECT_EQ(target.GetMeshesCount(), 1) << i;
        EXPECT_EQ(target.GetPolylinesCount(), 0) << i;
        EXPECT_TRUE(target.GetMeshEntry(1000)) << i;
    }
    // A capacity far above what its record holds, though below the limit, is lowered to the
    // content; so is room for 300 corners of which the one polygon the mesh has room for keeps 3.
    {
        Record r;
        r.Head(1).MeshHead(4, 3 + CVyrMeshInterface::kSpareArchiveCapacity + 1, 1, 3, 3, 1, 3).Int(3);
        r.Node(0, 0).Node(1, 0).Node(0, 1).Tag("\n");
        CVyrMeshInterface target;
        ASSERT_TRUE(Load(target, r.Tag("Polygons:count").Int(1).Int(-2).Int(3).Int(0).Int(1).Int(2).Polylines(0).Bytes(), false));
        EXPECT_EQ(target.GetMeshEntry(4)->GetMesh()->GetNodeCapacity(), 3);
        EXPECT_EQ(target.GetMeshEntry(4)->GetMesh()->get_num_polygon(), 1);
        Record c;
        c.Head(1).MeshHead(4, 3, 1, 300, 3, 1, 300).Int(3).Node(0, 0).Node(1, 0).Node(0, 1).Tag("\n");
        c.Tag("Polygons:count").Int(100);
        for (int j = 0; j < 100; ++j) c.Int(-2).Int(3).Int(0).Int(1).Int(2);
        ASSERT_TRUE(Load(target, c.Polylines(0).Bytes(), false));
        EXPECT_EQ(target.GetMeshEntry(4)->GetMesh()->GetPolynodeCapacity(), 3);
        EXPECT_EQ(target.GetMeshEntry(4)->GetMesh()->get_num_polygon(), 1);
    }
    // The spare itself is accepted, and so are empty point lists.
    {
        Record r;
        r.Head(1).MeshHead(4, 3 + CVyrMeshInterface::kSpareArchiveCapacity, 1, 3, 3, 1, 3).Int(3);
        r.Node(0, 0).Node(1, 0).Node(0, 1).Tag("\n");
        CVyrMeshInterface target;
        EXPECT_TRUE(Load(target, r.Tag("Polygons:count").Int(1).Int(-2).Int(3).Int(0).Int(1).Int(2).Polylines(0).Bytes(), false));
        EXPECT_EQ(target.GetMeshEntry(4)->GetMesh()->GetNodeCapacity(), 3 + CVyrMeshInterface::kSpareArchiveCapacity);
        EXPECT_TRUE(Load(target, PointsRecord(2, 0, {}), false));
        EXPECT_EQ(target.GetPolylinesCount(), 1);
    }
}

TEST_F(MeshArchiveTest, NonFiniteNumbersAndDegenerateEllipsesAreRefused)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::string> hostile;
    hostile.push_back(PointsRecord(1, 1, {1, std::numeric_limits<float>::quiet_NaN(), 3}));
    hostile.push_back(PointsRecord(1, 1, {1, 2, std::numeric_limits<float>::infinity()}));
    {
        Record r;
        r.Head(1).MeshHead(4, 3, 1, 3, 3, 1, 3).Int(3).Node(0, 0).Node(1, std::numeric_limits<float>::quiet_NaN()).Node(0, 1);
        hostile.push_back(r.Tag("\n").Tag("Polygons:count").Int(0).Polylines(0).Bytes());
    }
    {
        Record r;
        r.Head(1).Tag("Mesh:pid").Int(4).Int(0).Int(0).Int(0).Int(3).Int(1).Int(3).Int(3).Int(1).Int(3);
        r.Double(0).Double(inf).Double(0).Double(1).Tag("Nodes:count").Int(0).Tag("\n").Tag("Polygons:count").Int(0);
        hostile.push_back(r.Polylines(0).Bytes());
    }
    hostile.push_back(Record()
                          .Tag("\n").Tag("Start Body:").Tag("\n").Tag("Meshes:count").Int(0).Tag("\n").Int(1)
                          .Int(1).Double(nan).Double(0.5).Double(0.1).Int(512).Int(1).Int(1).Int(0).Tag("\n")
                          .Polylines(0).Bytes());
    hostile.push_back(EllipseRecord(SPAvector(0, 0, 0), SPAvector(1, 0, 0), 1));
    hostile.push_back(EllipseRecord(SPAvector(0, 0, 1), SPAvector(0, 0, 0), 1));
    hostile.push_back(EllipseRecord(SPAvector(1e-170, 0, 0), SPAvector(1, 0, 0), 1));  // too short to be a normal
    hostile.push_back(EllipseRecord(SPAvector(0, 0, 1), SPAvector(1, 0, 0), 0));
    hostile.push_back(EllipseRecord(SPAvector(0, 0, 1), SPAvector(1, 0, 0), -0.5));
    hostile.push_back(EllipseRecord(SPAvector(0, 0, 1), SPAvector(1, 0, 0), nan));
    hostile.push_back(EllipseRecord(SPAvector(0, 0, 1), SPAvector(1e200, 0, 0), 1));
    hostile.push_back(EllipseRecord(SPAvector(0, 0, 1), SPAvector(1, 0, 0), 1, inf));
    for (size_t i = 0; i < hostile.size(); ++i) {
        CVyrMeshInterface target;
        ASSERT_TRUE(Load(target, PointsRecord(1000, 1, {1, 2, 3}), false));
        EXPECT_FALSE(Load(target, hostile[i], false)) << i;
        EXPECT_EQ(target.GetMeshesCount(), 0) << i;
        EXPECT_EQ(target.GetPolylinesCount(), 1) << i;
    }
    // A sound ellipse loads, with its normal made a unit vector.
    CVyrMeshInterface target;
    ASSERT_TRUE(Load(target, EllipseRecord(SPAvector(0, 0, 3), SPAvector(2, 0, 0), 0.5), false));
    const ellipse* e = target.GetPolylineEntry(1)->GetEllipse()->GetEllipse();
    EXPECT_DOUBLE_EQ(e->normal.z(), 1.0);
    EXPECT_EQ(e->radius_ratio, 0.5);
}

TEST_F(MeshArchiveTest, SavingIntoALoadingArchiveRaisesTheFrameworksException)
{
    CVyrMeshInterface meshes;
    BYTE buffer[4] = {};
    CMemFile file(buffer, sizeof buffer);
    CArchive archive(&file, CArchive::load);
    bool raised = false;
    try {
        meshes.Save(&archive, false);
    } catch (CArchiveException* e) {
        raised = e->m_cause == CArchiveException::readOnly;
        e->Delete();
    }
    EXPECT_TRUE(raised);

    // And loading from a storing archive answers false.
    CMemFile out;
    CArchive storing(&out, CArchive::store);
    EXPECT_FALSE(meshes.Load(&storing, false));
    storing.Close();
}

TEST_F(MeshArchiveTest, WhatALoadKeepsOfARecordTooLargeForItsCapacitiesSavesAndLoadsAgain)
{
    // Room for 2 nodes and 1 polygon of 3 corners; the record holds 3 nodes and 2 triangles.
    Record r;
    r.Head(1).MeshHead(4, 2, 1, 3, 3, 2, 6).Int(3).Node(0, 0).Node(1, 0).Node(0, 1).Tag("\n");
    r.Tag("Polygons:count").Int(2).Int(-2).Int(3).Int(0).Int(1).Int(2).Int(-2).Int(3).Int(2).Int(1).Int(0);
    CVyrMeshInterface first;
    ASSERT_TRUE(Load(first, r.Polylines(0).Bytes(), false));
    const CVyrIndexedMesh* mesh = first.GetMeshEntry(4)->GetMesh();
    EXPECT_EQ(mesh->get_num_vertex(), 2);
    ASSERT_EQ(mesh->get_num_polygon(), 1);
    EXPECT_EQ(mesh->get_vertex_index(mesh->get_polygon(0)->get_vertex(2)), 0);  // node 2 was refused
    const std::string saved = Saved(first, false);
    CVyrMeshInterface second;
    ASSERT_TRUE(Load(second, saved, false));
    EXPECT_EQ(Saved(second, false), saved);
}

TEST_F(MeshArchiveTest, MeshesWithRoomToSpareComeBackWholeAndTheEntriesAfterThemToo)
{
    // A host's meshes: one made far larger than its content, one filled by |= into a larger mesh.
    std::unique_ptr<CVyrMeshInterface> block = Block();
    ASSERT_TRUE(block);
    ASSERT_EQ(block->GetMeshesCount(), 6);
    auto roomy = block->BeginMeshes();
    const CVyrIndexedMesh& faceted = *roomy->second->GetMesh();
    auto* larger = new CVyrIndexedMesh(faceted.get_num_vertex() + 5000, faceted.get_num_polygon() + 300,
                                       faceted.get_num_polynode() + 100000);
    *larger |= faceted;
    ASSERT_EQ(larger->get_num_vertex(), faceted.get_num_vertex());
    roomy->second->SetMeshData(larger);  // the faceted mesh goes
    auto* built = new CVyrIndexedMesh(4000, 2000, 8000);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(built->add_vertex(SPAposition(i % 2, i / 2, 0), SPAunit_vector(0, 0, 1), SPApar_pos(i % 2, i / 2)));
    const int quad[4] = {0, 1, 3, 2};
    built->FastAddPolygon(0, 4, nullptr, -2, quad);
    ASSERT_EQ(built->get_num_polygon(), 1);
    std::next(roomy, 3)->second->SetMeshData(built);

    const std::string bytes = Saved(*block, false);
    CVyrMeshInterface back;
    ASSERT_TRUE(Load(back, bytes, false));
    ASSERT_EQ(back.GetMeshesCount(), 6);
    for (auto a = block->BeginMeshes(), b = back.BeginMeshes(); a != block->EndMeshes(); ++a, ++b) {
        EXPECT_EQ(a->first, b->first);
        ASSERT_NE(b->second->GetMesh(), nullptr);
        ExpectSameMesh(*a->second->GetMesh(), *b->second->GetMesh());
    }
    // The room beyond the spare is not kept: each capacity is what the content needs (the
    // corners as the record holds them, polygon by polygon).
    const CVyrIndexedMesh& roomyBack = *back.BeginMeshes()->second->GetMesh();
    int corners = 0;
    for (int j = 0; j < larger->get_num_polygon(); ++j) corners += larger->get_polygon(j)->num_vertex();
    EXPECT_EQ(roomyBack.GetNodeCapacity(), larger->get_num_vertex());
    EXPECT_EQ(roomyBack.GetPolygonCapacity(), larger->get_num_polygon());
    EXPECT_EQ(roomyBack.GetPolynodeCapacity(), corners);
    const CVyrIndexedMesh& builtBack = *std::next(back.BeginMeshes(), 3)->second->GetMesh();
    EXPECT_EQ(builtBack.GetNodeCapacity(), 4);
    EXPECT_EQ(builtBack.GetPolynodeCapacity(), 4);
    // The polylines after the meshes are read as well, and the loaded interface saves a record
    // that loads to the same bytes.
    EXPECT_EQ(back.GetPolylinesCount(), 12);
    const std::string again = Saved(back, false);
    CVyrMeshInterface third;
    ASSERT_TRUE(Load(third, again, false));
    EXPECT_EQ(Saved(third, false), again);
}
