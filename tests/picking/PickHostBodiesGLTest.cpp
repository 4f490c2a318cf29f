// Picks of bodies a host shows through the rendering context and files into the scene database
// with its body geometry (CVyrBodyGeometry): the face polygons the geometry hands out, region picks
// in selection mode 2 (the visible-only pass rasterises them) and the single pick's ray test.
#include "PickFixture.h"

#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsLocation.h"
#include "VyrBodyGeometry.h"
#include "VyrIndexedMesh.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using namespace picktest;

constexpr unsigned char kBodyType = 1;  // the type the host files bodies with

class PickHostBodiesTest : public PickTest {
protected:
    void TearDown() override
    {
        for (size_t i = 0; i < bodies_.size(); ++i) {
            VyrHideBody(&context_, bodies_[i], static_cast<int>(i) + 1);
            bodies_[i]->lose();
        }
        PickTest::TearDown();
    }
    // Shows the block [x0, x1] x [y0, y1] x [z0, z1] as the next item (ids from 1); its path.
    CVyrObjectPath Show(double x0, double y0, double z0, double x1, double y1, double z1)
    {
        BODY* body = make_block(x0, y0, z0, x1, y1, z1);
        EXPECT_NE(body, nullptr);
        if (!body) return CVyrObjectPath();
        bodies_.push_back(body);
        const int id = static_cast<int>(bodies_.size());
        EXPECT_TRUE(VyrShowBody(&context_, body, id, nullptr));
        return PathOf(id);
    }
    // The region pick between drawable pixels (x1, y1) and (x2, y2) in selection mode `mode`.
    std::vector<CVyrObjectPath> Region(int x1, int y1, int x2, int y2, EDsSelectionByBoxMode mode)
    {
        const std::vector<CDsTypeMask> bodies = {MaskOf({kBodyType})};
        event_ = CUiPickEvent(x1, y1, 0, view_.get(), nullptr);
        corner_[0] = x2;
        corner_[1] = y2;
        request_.m_ownerContext = &context_;
        request_.m_domain = &bodies;
        request_.m_event = &event_;
        request_.m_secondCorner = corner_;
        request_.m_regionSelector = 1;
        CDsPickProccessor* processor = context_.GetPickProccessor();
        processor->SetSelectionMode(mode);
        CDsPickedItemList list;
        processor->PickInRegion(request_, list);
        processor->SetSelectionMode(eDsSelectionByBoxDefault);
        request_.m_secondCorner = nullptr;
        return Paths(list);
    }

    std::vector<BODY*> bodies_;
    int corner_[2] = {0, 0};
};

TEST_F(PickHostBodiesTest, TheGeometryHandsOutEveryTriangleOfTheShownFacesUnderTheBodysPlacement)
{
    Show(-20, -10, -10, 20, 10, 10);
    CDsItemsBody* body = context_.FindDsBody(bodies_[0]);
    ASSERT_NE(body, nullptr);
    body->MultiplyTransformation(translate_transf(SPAvector(100, 0, 0)));
    long expected = 0;
    for (int i = 0; i < body->FacesCount(); ++i) {
        std::vector<int> corners;
        body->GetFaceItem(i)->GetMesh()->GenerateTrianglesList(corners);
        expected += static_cast<long>(corners.size() / 3);
    }
    ASSERT_GT(expected, 0);

    CVyrBodyGeometry geometry(bodies_[0], &context_);
    long triangles = 0, lastWithPoints = 0;
    double lowX = 1e9, highX = -1e9, area = 0.0;
    int index = 0;
    for (int calls = 0; calls < 10000; ++calls) {
        float* points = nullptr;
        int count = -1;
        const int next = geometry.GetVertices(CDsGeometry::eDpFaces, index, points, count, 0);
        ASSERT_EQ(count, 3);
        ASSERT_NE(points, nullptr);
        ++triangles;
        for (int v = 0; v < 3; ++v) {
            lowX = std::min<double>(lowX, points[3 * v]);
            highX = std::max<double>(highX, points[3 * v]);
        }
        // Twice the triangle's area, as a check that the six sides are covered once.
        const double ax = points[3] - points[0], ay = points[4] - points[1], az = points[5] - points[2];
        const double bx = points[6] - points[0], by = points[7] - points[1], bz = points[8] - points[2];
        area += std::sqrt(std::pow(ay * bz - az * by, 2) + std::pow(az * bx - ax * bz, 2) + std::pow(ax * by - ay * bx, 2));
        if (next == -1) {
            lastWithPoints = 1;
            break;
        }
        ASSERT_EQ(next, index + 1);
        index = next;
    }
    EXPECT_EQ(lastWithPoints, 1);  // the last triangle comes with the answer -1
    EXPECT_EQ(triangles, expected);
    EXPECT_NEAR(lowX, 80.0, 1e-4);  // under the body's placement
    EXPECT_NEAR(highX, 120.0, 1e-4);
    EXPECT_NEAR(area / 2.0, 2 * (40.0 * 20 + 40.0 * 20 + 20.0 * 20), 1e-2);

    // Beyond the last triangle, lines, or a body the context no longer shows: no points, -1.
    float* points = reinterpret_cast<float*>(&area);
    int count = 7;
    EXPECT_EQ(geometry.GetVertices(CDsGeometry::eDpFaces, static_cast<int>(expected), points, count, 0), -1);
    EXPECT_EQ(points, nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(geometry.GetVertices(CDsGeometry::eDpLines, 0, points, count, 0), -1);
    EXPECT_EQ(geometry.GetVertices(CDsGeometry::eDpFaces, -3, points, count, 0), -1);
    BODY* other = make_block(0, 0, 0, 1, 1, 1);
    CVyrBodyGeometry unshown(other, &context_);
    EXPECT_EQ(unshown.GetVertices(CDsGeometry::eDpFaces, 0, points, count, 0), -1);
    EXPECT_EQ(count, 0);
    other->lose();
}

TEST_F(PickHostBodiesTest, VisibleOnlyRegionPicksSeeShownBodiesAndDropTheHiddenOne)
{
    // In front, a block hidden behind it, and one beside both.
    const CVyrObjectPath front = Show(-25, -15, 0, 15, 15, 10);
    const CVyrObjectPath hidden = Show(-20, -10, -30, 10, 10, -20);
    const CVyrObjectPath beside = Show(25, -10, -30, 35, 10, -20);
    Refresh();
    EXPECT_EQ(Region(10, 10, 90, 90, eDsSelectionByBoxDefault), (std::vector<CVyrObjectPath>{front, hidden, beside}));
    EXPECT_EQ(Region(10, 10, 90, 90, eDsSelectionByBoxVisibleOnly), (std::vector<CVyrObjectPath>{front, beside}));
    // The front block moved aside: the one behind it shows.
    context_.FindDsBody(bodies_[0])->MultiplyTransformation(translate_transf(SPAvector(0, 30, 0)));
    Refresh();
    EXPECT_EQ(Region(10, 2, 90, 98, eDsSelectionByBoxVisibleOnly), (std::vector<CVyrObjectPath>{front, hidden, beside}));
    EXPECT_EQ(view_->get_pick_mode(), 0);
}

TEST_F(PickHostBodiesTest, TheRayTestFindsAShownBodyByItsFaces)
{
    const CVyrObjectPath block = Show(-20, -10, -10, 20, 10, 10);
    Refresh();
    const std::vector<CDsTypeMask> bodies = {MaskOf({kBodyType})};
    request_.m_sectionTest = 1;  // faces by the pick ray
    CDsPickedItemList list;
    const CDsPickedItem hit = Pick(55, 45, list, &bodies);
    EXPECT_EQ(hit.GetObjectPath(), block);
    ASSERT_NE(hit.GetPickedPosition(), nullptr);
    EXPECT_NEAR(hit.GetPickedPosition()->x(), 5.5, 0.6);
    EXPECT_NEAR(hit.GetPickedPosition()->y(), 4.5, 0.6);
    EXPECT_FALSE(Pick(5, 5, list, &bodies).IsValid());
    request_.m_sectionTest = 0;
}

}  // namespace
