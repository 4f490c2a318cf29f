// Point and coordinate-system entities, display marks, STL data, edge records, the allocator.
#include "DsEdgeData.h"
#include "SpaBuilders.h"
#include "VyrAcisAllocator.h"
#include "VyrAcisExt.h"
#include "VyrAttManager.h"
#include "VyrEntBase.h"
#include "VyrFigureGenerator.h"
#include "VyrPoint.h"
#include "VyrStlData.h"
#include "VyrWCS.h"
#include "GmPosition.h"

#include "EntityDeleter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using vyrtest::EntityPtr;

::testing::AssertionResult SamePoint(const SPAposition& a, const SPAposition& b, double tol = 1e-9) {
    if (same_point(a, b, tol)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x() << ", " << a.y() << ", " << a.z() << ") vs (" << b.x()
                                         << ", " << b.y() << ", " << b.z() << ")";
}

::testing::AssertionResult SameDir(const SPAvector& a, const SPAvector& b) {
    if (same_vector(a, b, 1e-9)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x() << ", " << a.y() << ", " << a.z() << ") vs (" << b.x()
                                         << ", " << b.y() << ", " << b.z() << ")";
}

}  // namespace

TEST(EntitiesTest, PointAndCoordinateSystemEntities) {
    EntityPtr point(new CVyrPoint(SPAposition(1, 2, 3)));
    ASSERT_TRUE(is_CVyrPoint(point.get()));
    EXPECT_FALSE(is_CVyrWCS(point.get()));
    EXPECT_TRUE(is_toplevel(point.get()));
    CVyrPoint* p = static_cast<CVyrPoint*>(point.get());
    EXPECT_TRUE(SamePoint(SPAposition(1, 2, 3), p->GetLocation()));
    EXPECT_FALSE(p->SetLocation(SPAposition(INFINITY, 0, 0)));
    EXPECT_TRUE(SamePoint(SPAposition(1, 2, 3), p->GetLocation()));
    EntityPtr bad(new CVyrPoint(SPAposition(NAN, 1, 1)));
    EXPECT_TRUE(SamePoint(SPAposition(), static_cast<CVyrPoint*>(bad.get())->GetLocation()));

    // The axes come out orthonormal and right-handed whatever the input lengths.
    EntityPtr wcs(new CVyrWCS(SPAposition(5, 0, 0), SPAvector(0, 3, 0), SPAvector(-2, 1, 0)));
    ASSERT_TRUE(is_CVyrWCS(wcs.get()));
    EXPECT_FALSE(is_CVyrPoint(wcs.get()));
    WCS* w = static_cast<CVyrWCS*>(wcs.get())->GetWCS();
    ASSERT_NE(nullptr, w);
    EXPECT_TRUE(is_WCS(w));
    EXPECT_EQ(wcs.get(), w->owner());
    w->lose();  // owned: nothing happens
    EXPECT_EQ(w, static_cast<CVyrWCS*>(wcs.get())->GetWCS());
    EXPECT_TRUE(SamePoint(SPAposition(5, 0, 0), w->origin()));
    EXPECT_TRUE(SameDir(SPAvector(0, 1, 0), w->x_axis()));
    EXPECT_TRUE(SameDir(SPAvector(-1, 0, 0), w->y_axis()));
    EXPECT_TRUE(SameDir(SPAvector(0, 0, 1), w->z_axis()));

    // Parallel axes give the model axes; the WCS may be absent.
    CVyrWCS* cw = static_cast<CVyrWCS*>(wcs.get());
    cw->SetWCS(SPAposition(), SPAvector(1, 1, 0), SPAvector(2, 2, 0));
    EXPECT_TRUE(SameDir(SPAvector(1, 0, 0), cw->GetWCS()->x_axis()));
    EXPECT_TRUE(SameDir(SPAvector(0, 0, 1), cw->GetWCS()->z_axis()));
    cw->ClearWCS();
    EXPECT_EQ(nullptr, cw->GetWCS());
    EntityPtr bare(new CVyrWCS());
    EXPECT_EQ(nullptr, static_cast<CVyrWCS*>(bare.get())->GetWCS());

    EXPECT_FALSE(is_CVyrPoint(nullptr));
    EXPECT_FALSE(is_CVyrWCS(nullptr));
}

TEST(EntitiesTest, PickableAndHatchableMarks) {
    EntityPtr block(make_block(0, 0, 0, 1, 1, 1));
    float transparency = 0.0f;
    EXPECT_TRUE(VyrAcisExt::IsEntityPickable(block.get()));
    EXPECT_FALSE(VyrAcisExt::IsBodyHatchable(block.get(), transparency));

    ASSERT_TRUE(VyrAcisExt::SetEntityPickable(block.get(), false));
    EXPECT_FALSE(VyrAcisExt::IsEntityPickable(block.get()));
    ASSERT_TRUE(VyrAcisExt::SetBodyHatchable(block.get(), true, 0.25f));
    EXPECT_TRUE(VyrAcisExt::IsBodyHatchable(block.get(), transparency));
    EXPECT_FLOAT_EQ(0.25f, transparency);
    EXPECT_FALSE(VyrAcisExt::IsEntityPickable(block.get()));  // marks are independent
    VyrAcisExt::SetBodyHatchable(block.get(), true, 7.0f);
    VyrAcisExt::IsBodyHatchable(block.get(), transparency);
    EXPECT_FLOAT_EQ(1.0f, transparency);
    VyrAcisExt::SetBodyHatchable(block.get(), true, NAN);
    VyrAcisExt::IsBodyHatchable(block.get(), transparency);
    EXPECT_FLOAT_EQ(0.0f, transparency);
    VyrAcisExt::SetBodyHatchable(block.get(), false);
    transparency = 0.5f;
    EXPECT_FALSE(VyrAcisExt::IsBodyHatchable(block.get(), transparency));
    EXPECT_FLOAT_EQ(0.5f, transparency);

    EXPECT_FALSE(VyrAcisExt::IsEntityPickable(nullptr));
    EXPECT_FALSE(VyrAcisExt::IsBodyHatchable(nullptr, transparency));
    EXPECT_FALSE(VyrAcisExt::SetEntityPickable(nullptr, true));
    EXPECT_FALSE(VyrAcisExt::SetBodyHatchable(nullptr, true));
}

TEST(EntitiesTest, StlDataIsReferenceCountedAndWalkable) {
    CVyrStlData* data = new CVyrStlData;
    EXPECT_EQ(1, data->GetRC());
    EXPECT_TRUE(data->IsEmpty());
    EXPECT_EQ(nullptr, data->GetFirstTriangle());
    data->AddTriangle(CVyrTriangle(SPAposition(0, 0, 0), SPAposition(1, 0, 0), SPAposition(0, 1, 0)));
    data->AddTriangle(CVyrTriangle(SPAposition(0, 0, 1), SPAposition(0, 1, 1), SPAposition(1, 0, 1), SPAvector(0, 0, 5)));
    data->AddTriangle(CVyrTriangle(SPAposition(), SPAposition(), SPAposition()));
    ASSERT_EQ(3, data->GetTrianglesCount());
    EXPECT_FALSE(data->IsEmpty());

    // Normals: from the winding, or the given one normalised; zero when degenerate.
    EXPECT_TRUE(SameDir(SPAvector(0, 0, 1), (*data)[0]->GetNormal()));
    EXPECT_TRUE(SameDir(SPAvector(0, 0, 1), (*data)[1]->GetNormal()));
    EXPECT_TRUE(SameDir(SPAvector(), (*data)[2]->GetNormal()));
    EXPECT_TRUE(SamePoint(SPAposition(0, 1, 1), (*data)[1]->GetPosVec()[1]));
    EXPECT_EQ(nullptr, (*data)[3]);
    EXPECT_EQ(nullptr, (*data)[-1]);

    int walked = 0;
    for (const CVyrTriangle* t = data->GetFirstTriangle(); t != nullptr; t = data->GetNextTriangle()) {
        EXPECT_EQ((*data)[walked], t);
        ++walked;
    }
    EXPECT_EQ(3, walked);
    EXPECT_EQ(data->GetFirstTriangle(), (*data)[0]);  // the walk restarts

    // Two holders: the data lives until both let go (leaks show under the sanitizer build).
    data->addRC();
    EXPECT_EQ(2, data->GetRC());
    data->decRC();
    EXPECT_EQ(1, data->GetRC());
    EXPECT_EQ(3, data->GetTrianglesCount());
    data->decRC();
}

TEST(EntitiesTest, EdgeDataKeepsItsOwnCurveCopy) {
    auto* c = new ellipse(SPAposition(1, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(2, 0, 0), 0.5, 0.0);
    CDsEdgeData* data = new CDsEdgeData(*c, SPAinterval(0.0, 1.0), REVERSED, EDGE_cvty_convex);
    delete c;  // the record does not depend on the original
    EXPECT_EQ(ellipse_type, data->GetCurve().type());
    EXPECT_TRUE(SamePoint(SPAposition(3, 0, 0), data->GetCurve().eval_position(0.0)));
    EXPECT_DOUBLE_EQ(1.0, data->GetRange().end_pt());
    EXPECT_EQ(REVERSED, data->GetSense());
    EXPECT_EQ(EDGE_cvty_convex, data->GetConvexity());
    delete data;  // through the virtual destructor, as the display does
}

TEST(EntitiesTest, AllocatorServesStandardContainers) {
    std::vector<int, CVyrAcisAllocator<int>> ids;
    for (int i = 0; i < 1000; ++i) ids.push_back(i);
    EXPECT_EQ(999, ids.back());
    CVyrAcisAllocator<int> a;
    CVyrAcisAllocator<double> b(a);
    EXPECT_TRUE(a == b);
    EXPECT_THROW(a.allocate(static_cast<size_t>(-1)), std::bad_array_new_length);
}

TEST(EntitiesTest, ExtensionEntitiesCarryIdsAndAttributesLikeModelEntities) {
    EntityPtr point(new CVyrPoint());
    int pid = 0;
    ASSERT_TRUE(CVyrAttManager::GetVyrAttManager()->GetPid(point.get(), pid));
    EXPECT_GT(pid, 0);
    EXPECT_EQ(CVyrPoint_TYPE, point->identity());
    EXPECT_EQ(CVyrPoint_TYPE, point->identity(1));
    EXPECT_EQ(-1, point->identity(2));
    EXPECT_STREQ("vyr_point", point->type_name());
}

namespace {

// A generator that keeps the positions it is given.
class CRecordingGenerator : public CVyrFigureGenerator {
public:
    void MoveTo(const CGmPosition& p) override { points.push_back(p); }
    void DrawTo(const CGmPosition& p) override { points.push_back(p); }
    std::vector<SPAposition> points;
};

// An entity of the figure base: a segment from the origin to its end point.
class CSegmentEntity : public CVyrEntBase {
public:
    explicit CSegmentEntity(const SPAposition& end) : m_end(end) {}
    void DefineFig(CVyrFigureGenerator& generator) const override
    {
        generator.MoveTo(CGmPosition(0, 0, 0));
        generator.DrawTo(CGmPosition(m_end.x(), m_end.y(), m_end.z()));
    }

private:
    SPAposition m_end;
};

}  // namespace

TEST(EntitiesTest, EntitiesOfTheFigureBaseAreKnownByTheirTypeAndDrawIntoAGenerator) {
    EntityPtr segment(new CSegmentEntity(SPAposition(4, 5, 6)));
    EXPECT_TRUE(is_CVyrEntBase(segment.get()));
    EXPECT_EQ(segment->identity(1), CVyrEntBase_TYPE);
    EXPECT_TRUE(is_toplevel(segment.get()));
    EntityPtr point(new CVyrPoint(SPAposition(1, 2, 3)));
    EXPECT_FALSE(is_CVyrEntBase(point.get()));
    EXPECT_FALSE(is_CVyrEntBase(nullptr));

    CRecordingGenerator generator;
    static_cast<const CVyrEntBase*>(segment.get())->DefineFig(generator);
    ASSERT_EQ(generator.points.size(), 2u);
    EXPECT_TRUE(SamePoint(SPAposition(4, 5, 6), generator.points[1]));
}
