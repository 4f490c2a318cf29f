// Mesh and polyline entries: what they own, when they free it, and what an edge's polyline
// answers with points, with an ellipse storage and with neither.
#include "DmRefCountPtrTempl.h"
#include "DsBox.h"
#include "DsEllipseStorage.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshEntry.h"
#include "VyrPolylineEntry.h"

#include "CountingPids.h"
#include "EntityLists.h"
#include "MeshingFixture.h"
#include "SpaGeometry.h"

#include <type_traits>

using VyrPolylineEntryTest = vyrtest::MeshingTest;

// An entry is shared, never duplicated: two records must never own one mesh or point array.
static_assert(!std::is_copy_constructible_v<CVyrMeshEntry> && !std::is_copy_assignable_v<CVyrMeshEntry>);
static_assert(!std::is_copy_constructible_v<CVyrPolylineEntry> && !std::is_copy_assignable_v<CVyrPolylineEntry>);

namespace {

// A mesh that reports its own deletion.
class WatchedMesh : public CVyrIndexedMesh {
public:
    explicit WatchedMesh(int& deleted) : CVyrIndexedMesh(3, 1, 3), m_deleted(deleted) {}
    ~WatchedMesh() override { ++m_deleted; }

private:
    int& m_deleted;
};

bool Same(const SPAposition& a, const SPAposition& b)
{
    return (a - b).len() < 1e-6;
}

}  // namespace

TEST(VyrMeshEntryTest, AnEntryOwnsItsMeshUntilItsLastReferenceGoes)
{
    vyrtest::CountingPids pids;
    int deleted = 0;
    CDmRefCountPtrTempl<CVyrMeshEntry> held(new CVyrMeshEntry(nullptr, new WatchedMesh(deleted)));
    EXPECT_EQ(held->GetPid(), 1);
    {
        CDmRefCountPtrTempl<CVyrMeshEntry> second = held;
        held = CDmRefCountPtrTempl<CVyrMeshEntry>();
        EXPECT_EQ(deleted, 0);  // still held by the second pointer
        EXPECT_NE(second->GetMesh(), nullptr);

        // Replacing the mesh deletes the one held before; the same mesh again is kept.
        auto* replacement = new WatchedMesh(deleted);
        replacement->add_vertex(SPAposition(), SPAunit_vector(0, 0, 1), SPApar_pos());
        replacement->add_polygon(0, 1, nullptr, -2);
        second->SetMeshData(nullptr, replacement);
        EXPECT_EQ(deleted, 1);
        second->SetMeshData(replacement);
        EXPECT_EQ(deleted, 1);
        EXPECT_EQ(second->ComputeNumOfTriangles(), 1);
        second->ClearMeshData();
        EXPECT_EQ(deleted, 2);
        EXPECT_EQ(second->GetMesh(), nullptr);
        EXPECT_EQ(second->ComputeNumOfTriangles(), 0);
        second->SetMeshData(new WatchedMesh(deleted));
    }
    EXPECT_EQ(deleted, 3);  // the last release took the entry and its mesh
}

TEST_F(VyrPolylineEntryTest, APolylineWithNeitherPointsNorStorageAnswersTheOriginAndNoBox)
{
    CVyrPolylineEntry entry;
    EXPECT_EQ(entry.GetEdge(), nullptr);
    EXPECT_EQ(entry.GetPid(), 0);
    const float* points = reinterpret_cast<const float*>(&entry);
    EXPECT_EQ(entry.GetPoints(points), 0);
    EXPECT_EQ(points, nullptr);
    EXPECT_TRUE(Same(entry.GetStartPoint(), SPAposition()));
    EXPECT_TRUE(Same(entry.GetEndPoint(), SPAposition()));
    EXPECT_TRUE(Same(entry.GetMiddlePoint(), SPAposition()));
    SPAposition centre(7, 7, 7);
    EXPECT_FALSE(entry.GetCenterPoint(centre));
    SPAbox box(SPAposition(1, 1, 1));
    EXPECT_FALSE(entry.GetBox(box, nullptr, true));
    EXPECT_TRUE(box.empty());
    entry.Reevaluate();  // no edge: nothing to sketch, nothing lost
    EXPECT_EQ(entry.GetPoints(points), 0);
}

TEST_F(VyrPolylineEntryTest, APolylineKeepsItsPointsAndMeasuresThem)
{
    CVyrPolylineEntry entry;
    const double corners[] = {0, 0, 0, 4, 0, 0, 4, 2, 0};
    entry.SetPoints(3, corners);
    const float* points = nullptr;
    ASSERT_EQ(entry.GetPoints(points), 3);
    EXPECT_EQ(points[3], 4.0f);
    EXPECT_TRUE(Same(entry.GetStartPoint(), SPAposition(0, 0, 0)));
    EXPECT_TRUE(Same(entry.GetEndPoint(), SPAposition(4, 2, 0)));
    entry.SetMiddlePoint();
    EXPECT_TRUE(Same(entry.GetMiddlePoint(), SPAposition(3, 0, 0)));  // half of length 6
    entry.SetMidPosition(1, 2, 3);
    EXPECT_TRUE(Same(entry.GetMiddlePoint(), SPAposition(1, 2, 3)));

    SPAbox box;
    const SPAtransf up = translate_transf(SPAvector(0, 0, 5));
    ASSERT_TRUE(entry.GetBox(box, &up, false));
    EXPECT_TRUE(Same(box.low(), SPAposition(0, 0, 5)));
    EXPECT_TRUE(Same(box.high(), SPAposition(4, 2, 5)));

    // New points replace the old ones (the old array is freed); no points clears them.
    float* owned = new float[6]{1, 1, 1, 2, 2, 2};
    entry.SetPoints(2, owned);
    EXPECT_TRUE(Same(entry.GetEndPoint(), SPAposition(2, 2, 2)));
    entry.SetPoints(0, new float[3]{9, 9, 9});
    EXPECT_EQ(entry.GetPoints(points), 0);
    entry.SetPoints(-4, static_cast<const double*>(nullptr));
    EXPECT_EQ(entry.GetPoints(points), 0);

    // An entry read back without an edge keeps its points when asked to re-evaluate.
    entry.SetPoints(3, corners);
    entry.Reevaluate();
    ASSERT_EQ(entry.GetPoints(points), 3);
    EXPECT_EQ(points[7], 2.0f);
}

TEST_F(VyrPolylineEntryTest, APolylineWithAnEllipseMeasuresThroughItsStorage)
{
    CVyrPolylineEntry entry;
    const ellipse circle(SPAposition(5, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(2, 0, 0), 1.0, 0.0);
    CDsEllipseStorage* first = entry.SetEllipse(circle, 0.0, 3.14159265358979323846);
    CDsEllipseStorage* second = entry.SetEllipse(circle, 0.0, 3.14159265358979323846);  // the first is freed
    EXPECT_NE(second, nullptr);
    EXPECT_EQ(entry.GetEllipse(), second);
    (void)first;
    SPAposition centre;
    ASSERT_TRUE(entry.GetCenterPoint(centre));
    EXPECT_TRUE(Same(centre, SPAposition(5, 0, 0)));
    SPAbox box;
    ASSERT_TRUE(entry.GetBox(box, nullptr, false));
    EXPECT_NEAR(box.low().x(), 3.0, 1e-5);
    EXPECT_NEAR(box.high().x(), 7.0, 1e-5);
    EXPECT_NEAR(box.high().y(), 2.0, 1e-5);
    EXPECT_NEAR(box.low().y(), 0.0, 1e-5);  // a half circle above the x axis
    EXPECT_TRUE(Same(entry.GetStartPoint(), SPAposition(7, 0, 0)));
    EXPECT_TRUE(Same(entry.GetEndPoint(), SPAposition(3, 0, 0)));
}

TEST_F(VyrPolylineEntryTest, ReevaluatingAPolylineSketchesItsEdgeAgain)
{
    CDsEllipseStorage::StSetDynamicEllipses(false);
    vyrtest::BodyPtr block(make_block(0, 0, 0, 2, 4, 6));
    EDGE* edge = vyrtest::Edges(block.get())[0];
    // Held by nobody but the test: re-evaluating must not free the entry under it.
    auto* entry = new CVyrPolylineEntry(edge);
    EXPECT_GT(entry->GetPid(), 0);
    entry->SetPoints(3, new float[9]{1, 1, 1, 2, 2, 2, 3, 3, 3});
    entry->Reevaluate();
    const float* points = nullptr;
    ASSERT_EQ(entry->GetPoints(points), 2);
    EXPECT_TRUE(Same(entry->GetStartPoint(), edge->start_pos()) || Same(entry->GetStartPoint(), edge->end_pos()));
    const SPAposition middle = edge->start_pos() + 0.5 * (edge->end_pos() - edge->start_pos());
    EXPECT_TRUE(Same(entry->GetMiddlePoint(), middle));
    CDmRefCountPtrTempl<CVyrPolylineEntry> last(entry);  // frees it at the end of the test
}
