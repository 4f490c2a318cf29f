// Picks of bodies a host shows through the rendering context and files into the scene database
// with its body geometry (CVyrBodyGeometry): the face polygons the geometry hands out, region picks
// in selection mode 2 (the visible-only pass rasterises them) and the single pick's ray test.
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsLocation.h"
#include "DsPickProccessor.h"
#include "DsScene.h"
#include "HostFixture.h"
#include "VyrBodyGeometry.h"
#include "VyrIndexedMesh.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using vyrtest::Host;
using vyrtest::ViewSetup;

// A host's view looking down -z from (0, 0, 100) at a field of 100 x 100 model units: one unit a
// pixel, the model point (x, y) under the pixel (50 + x, 50 - y) counted down from the top.
class PickHostBodiesTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
    }
    CDsGlContext& Context() { return host_->Context(); }
    CDsView3dCdc& View() { return host_->View(); }
    CDsScene& Scene() { return Context().GetScene()->GetDbScene(); }
    // Draws the view (which gives the locations their window boxes).
    void Refresh() { host_->Refresh(); }
    // Shows the block [x0, x1] x [y0, y1] x [z0, z1] as the next item (ids from 1); its path.
    CVyrObjectPath Show(double x0, double y0, double z0, double x1, double y1, double z1)
    {
        BODY* body = host_->ShowBlock(SPAposition(x0, y0, z0), SPAposition(x1, y1, z1));
        return body ? host_->PathOf(body) : CVyrObjectPath();
    }
    // The region pick between drawable pixels (x1, y1) and (x2, y2) in selection mode `mode`.
    std::vector<CVyrObjectPath> Region(int x1, int y1, int x2, int y2, EDsSelectionByBoxMode mode)
    {
        CDsPickProccessor* processor = Context().GetPickProccessor();
        processor->SetSelectionMode(mode);
        const std::vector<CVyrObjectPath> paths = host_->Region(x1, y1, x2, y2);
        processor->SetSelectionMode(eDsSelectionByBoxDefault);
        return paths;
    }
    // The path the single pick answers at the pixel of a model point (empty for none).
    CVyrObjectPath PickAt(const SPAposition& p)
    {
        const CDsPickedItem hit = host_->PickAt(p);
        return hit.IsValid() ? hit.GetObjectPath() : CVyrObjectPath();
    }
};

TEST_F(PickHostBodiesTest, TheGeometryHandsOutEveryTriangleOfTheShownFacesUnderTheBodysPlacement)
{
    Show(-20, -10, -10, 20, 10, 10);
    CDsItemsBody* body = Context().FindDsBody(host_->Bodies()[0]);
    ASSERT_NE(body, nullptr);
    body->MultiplyTransformation(translate_transf(SPAvector(100, 0, 0)));
    long expected = 0;
    for (int i = 0; i < body->FacesCount(); ++i) {
        std::vector<int> corners;
        body->GetFaceItem(i)->GetMesh()->GenerateTrianglesList(corners);
        expected += static_cast<long>(corners.size() / 3);
    }
    ASSERT_GT(expected, 0);

    CVyrBodyGeometry geometry(host_->Bodies()[0], &Context());
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
    CVyrBodyGeometry unshown(other, &Context());
    EXPECT_EQ(unshown.GetVertices(CDsGeometry::eDpFaces, 0, points, count, 0), -1);
    EXPECT_EQ(count, 0);
    other->lose();
}

namespace {

// Takes every triangle of the faces a geometry offers, checking that each one lies in the box
// offered last; or wants nothing and counts the boxes.
class CFaceTaker : public CDsFaceVisitor {
public:
    explicit CFaceTaker(bool take) : m_take(take) {}
    bool WantsFace(const SPAposition& low, const SPAposition& high) override
    {
        ++boxes;
        m_low = low;
        m_high = high;
        return m_take;
    }
    void AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c) override
    {
        ++triangles;
        for (const SPAposition* p : {&a, &b, &c}) {
            outside += p->x() < m_low.x() - 1e-4 || p->y() < m_low.y() - 1e-4 || p->z() < m_low.z() - 1e-4 ||
                       p->x() > m_high.x() + 1e-4 || p->y() > m_high.y() + 1e-4 || p->z() > m_high.z() + 1e-4;
            lowX = std::min(lowX, p->x());
            highX = std::max(highX, p->x());
            highZ = std::max(highZ, p->z());
        }
    }

    int boxes = 0, outside = 0;
    long triangles = 0;
    double lowX = 1e9, highX = -1e9, highZ = -1e9;

private:
    bool m_take;
    SPAposition m_low, m_high;
};

}  // namespace

TEST_F(PickHostBodiesTest, TheGeometryHandsOutItsFacesWithBoxesAndFollowsTheirMeshes)
{
    const CVyrObjectPath block = Show(-20, -10, -10, 20, 10, 10);
    CDsItemsBody* body = Context().FindDsBody(host_->Bodies()[0]);
    ASSERT_NE(body, nullptr);
    body->MultiplyTransformation(translate_transf(SPAvector(30, 0, 0)));
    long expected = 0;
    for (int i = 0; i < body->FacesCount(); ++i) {
        std::vector<int> corners;
        body->GetFaceItem(i)->GetMesh()->GenerateTrianglesList(corners);
        expected += static_cast<long>(corners.size() / 3);
    }
    CVyrBodyGeometry geometry(host_->Bodies()[0], &Context());
    // Every triangle, under the body's placement, each inside the box offered before it.
    CFaceTaker all(true);
    ASSERT_TRUE(geometry.VisitFaces(0, all));
    EXPECT_EQ(all.triangles, expected);
    EXPECT_EQ(all.outside, 0);
    EXPECT_NEAR(all.lowX, 10.0, 1e-4);
    EXPECT_NEAR(all.highX, 50.0, 1e-4);
    // A visitor that wants no face sees the six faces' boxes and no triangle.
    CFaceTaker none(false);
    ASSERT_TRUE(geometry.VisitFaces(0, none));
    EXPECT_EQ(none.boxes, 6);
    EXPECT_EQ(none.triangles, 0);

    // The top face's mesh raised by 5 in place: the faces handed out follow, and so does the pick
    // (its selection and its ray) at the moved block's top.
    for (int i = 0; i < body->FacesCount(); ++i) {
        CVyrIndexedMesh* mesh = body->GetFaceItem(i)->GetMesh();
        SPAposition p;
        bool top = true;
        for (int v = 0; v < mesh->get_num_vertex(); ++v) {
            mesh->get_vertex(v)->GetPosition(p);
            top = top && p.z() > 9.9;
        }
        if (!top) continue;
        for (int v = 0; v < mesh->get_num_vertex(); ++v) {
            SPAunit_vector n;
            mesh->get_vertex(v)->GetPosition(p);
            mesh->get_vertex(v)->GetNormal(n);
            mesh->get_vertex_for_edit(v)->set_data(SPAposition(p.x(), p.y(), p.z() + 5), n, mesh->get_uv(v));
        }
    }
    CFaceTaker raised(true);
    ASSERT_TRUE(geometry.VisitFaces(0, raised));
    EXPECT_NEAR(raised.highZ, 15.0, 1e-4);
    EXPECT_EQ(raised.outside, 0);
    Refresh();
    const CDsPickedItem hit = host_->Pick(82, 48);  // model (32.5, 1.5)
    ASSERT_EQ(hit.GetObjectPath(), block);
    EXPECT_NEAR(hit.GetPickedPosition()->x(), 32.5, 1e-3);
    EXPECT_NEAR(hit.GetPickedPosition()->z(), 15.0, 1e-3);
    EXPECT_FALSE(host_->Pick(40, 48).IsValid());  // where the block was
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
    Context().FindDsBody(host_->Bodies()[0])->MultiplyTransformation(translate_transf(SPAvector(0, 30, 0)));
    Refresh();
    EXPECT_EQ(Region(10, 2, 90, 98, eDsSelectionByBoxVisibleOnly), (std::vector<CVyrObjectPath>{front, hidden, beside}));
    EXPECT_EQ(View().get_pick_mode(), 0);
}

TEST_F(PickHostBodiesTest, TheRayTestFindsAShownBodyByItsFaces)
{
    const CVyrObjectPath block = Show(-20, -10, -10, 20, 10, 10);
    Refresh();
    const bool byRay = true;  // faces by the pick ray
    const CDsPickedItem hit = host_->Pick(55, 45, nullptr, nullptr, byRay);
    ASSERT_EQ(hit.GetObjectPath(), block);
    ASSERT_TRUE(hit.IsValid());
    EXPECT_NEAR(hit.GetPickedPosition()->x(), 5.5, 0.6);
    EXPECT_NEAR(hit.GetPickedPosition()->y(), 4.5, 0.6);
    EXPECT_FALSE(host_->Pick(5, 5, nullptr, nullptr, byRay).IsValid());
}

TEST_F(PickHostBodiesTest, EveryCameraMoveIsDrawnAtTheNextRefreshAndPicksAnswerTheNewPicture)
{
    // A block over a plate: from above the block hides the middle of the plate.
    const CVyrObjectPath block = Show(-10, -10, 0, 10, 10, 20);
    const CVyrObjectPath plate = Show(-45, -45, -10, 45, 45, -5);
    Refresh();
    const SPAposition blockTop(0, 0, 20), plateCorner(-40, -40, -5);
    EXPECT_EQ(PickAt(blockTop), block);
    EXPECT_EQ(PickAt(plateCorner), plate);

    struct Move {
        const char* name;
        std::function<void()> apply;
    };
    const std::vector<Move> moves = {
        {"zoom_scale", [&] { View().zoom_scale(2.0); }},
        {"set_width and set_height", [&] { View().set_width(150), View().set_height(150); }},
        {"move (a pan)", [&] { View().move(SPAvector(15, 5, 0)); }},
        {"set_target", [&] { View().set_target(SPAposition(-10, 0, 0)); }},
        {"set_eye (a turn)", [&] { View().set_eye(SPAposition(60, -70, 90)); }},
        {"set_up", [&] { View().set_up(SPAvector(1, 1, 0)); }},
        {"ZoomAll", [&] { View().ZoomAll(1.0f); }},
        {"set_viewport (the picture moved in its window)", [&] { View().set_viewport(10, 0, 100, 100); }},
    };
    for (const Move& move : moves) {
        SCOPED_TRACE(move.name);
        const vyrtest::Picture before = host_->Front();
        move.apply();
        Refresh();
        const vyrtest::Picture after = host_->Front();
        EXPECT_NE(after, before);
        // What a whole new frame draws.
        Context().OnPicturePropsChanged();
        Refresh();
        EXPECT_EQ(after, host_->Front());
        // The picks culled by the locations' window boxes see the new picture.
        EXPECT_EQ(PickAt(blockTop), block);
        EXPECT_EQ(host_->RegionAround(SPAposition(-10, -10, 0), SPAposition(10, 10, 20), 3),
                  std::vector<CVyrObjectPath>{block});
    }
    // A location changed with the camera (one the database would redraw in its window rectangle):
    // its old rectangle is not all that must be drawn.
    ASSERT_TRUE(Scene().SetOnTop(block));
    View().move(SPAvector(-20, 0, 0));
    Refresh();
    const vyrtest::Picture moved = host_->Front();
    Context().OnPicturePropsChanged();
    Refresh();
    EXPECT_EQ(moved, host_->Front());
    EXPECT_EQ(PickAt(blockTop), block);
    // With nothing changed the refresh only presents the picture it keeps.
    const vyrtest::Picture kept = host_->Front();
    Refresh();
    EXPECT_EQ(host_->Front(), kept);
}

TEST_F(PickHostBodiesTest, AResizedWindowIsDrawnWholeAndPicksAnswerItsPixels)
{
    const CVyrObjectPath block = Show(-10, -10, 0, 10, 10, 20);
    Refresh();
    ASSERT_EQ(PickAt(SPAposition(0, 0, 20)), block);
    // The host's window grows, and tells the view.
    ASSERT_TRUE(MoveWindow(host_->Window().plain.window, 0, 0, 160, 120, TRUE));
    ASSERT_TRUE(View().IsBackBufferValid());
    View().resize(160, 120);
    EXPECT_FALSE(View().IsBackBufferValid());  // the window's buffers took the new size
    Refresh();
    int x = 0, y = 0;
    EXPECT_TRUE(host_->PixelOf(SPAposition(0, 0, 20), x, y));
    const vyrtest::Picture front = host_->Front();
    ASSERT_EQ(front.width, 160);  // the whole grown window
    ASSERT_EQ(front.height, 120);
    const auto lit = [&front](int px, int py) { return front.Lit(px, 119 - py); };  // drawable pixel, y down
    EXPECT_TRUE(lit(x, y));
    EXPECT_FALSE(lit(x + 30, y));
    EXPECT_EQ(PickAt(SPAposition(0, 0, 20)), block);
    // A second refresh keeps it.
    Refresh();
    EXPECT_EQ(host_->Front(), front);
}

}  // namespace
