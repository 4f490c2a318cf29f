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

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
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
        CDsAttributes look;
        look.SetColor(0x00C0FF);  // orange (0x00BBGGRR)
        EXPECT_TRUE(VyrShowBody(&context_, body, id, &look));
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

    // The whole front buffer, as the window shows it.
    std::vector<unsigned char> Front()
    {
        int x = 0, y = 0, w = 0, h = 0;
        view_->get_viewport(x, y, w, h);
        std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
        glFinish();
        glReadBuffer(GL_FRONT);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
    // The drawable pixel (y down) of a model point.
    void PixelOf(const SPAposition& p, int& x, int& y)
    {
        float fx = -1, fy = -1;
        EXPECT_TRUE(view_->world_to_drawable(p, fx, fy));
        x = static_cast<int>(std::lround(fx));
        y = static_cast<int>(std::lround(fy));
    }
    // The path the single pick answers at the pixel of a model point (empty for none).
    CVyrObjectPath PickAt(const SPAposition& p)
    {
        int x = 0, y = 0;
        PixelOf(p, x, y);
        const std::vector<CDsTypeMask> bodies = {MaskOf({kBodyType})};
        CDsPickedItemList list;
        const CDsPickedItem hit = Pick(x, y, list, &bodies);
        return hit.IsValid() ? hit.GetObjectPath() : CVyrObjectPath();
    }
    // The region pick of the pixels of the box [low, high] and `margin` more on every side.
    std::vector<CVyrObjectPath> RegionAround(const SPAposition& low, const SPAposition& high, int margin)
    {
        int x0 = 1 << 20, y0 = 1 << 20, x1 = -x0, y1 = -y0;
        for (int corner = 0; corner < 8; ++corner) {
            int x = 0, y = 0;
            PixelOf(SPAposition(corner & 1 ? high.x() : low.x(), corner & 2 ? high.y() : low.y(),
                                corner & 4 ? high.z() : low.z()),
                    x, y);
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
        return Region(x0 - margin, y0 - margin, x1 + margin, y1 + margin, eDsSelectionByBoxDefault);
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
    CDsItemsBody* body = context_.FindDsBody(bodies_[0]);
    ASSERT_NE(body, nullptr);
    body->MultiplyTransformation(translate_transf(SPAvector(30, 0, 0)));
    long expected = 0;
    for (int i = 0; i < body->FacesCount(); ++i) {
        std::vector<int> corners;
        body->GetFaceItem(i)->GetMesh()->GenerateTrianglesList(corners);
        expected += static_cast<long>(corners.size() / 3);
    }
    CVyrBodyGeometry geometry(bodies_[0], &context_);
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
    const std::vector<CDsTypeMask> bodies = {MaskOf({kBodyType})};
    CDsPickedItemList list;
    const CDsPickedItem hit = Pick(82, 48, list, &bodies);  // model (32.5, 1.5)
    ASSERT_EQ(hit.GetObjectPath(), block);
    EXPECT_NEAR(hit.GetPickedPosition()->x(), 32.5, 1e-3);
    EXPECT_NEAR(hit.GetPickedPosition()->z(), 15.0, 1e-3);
    EXPECT_FALSE(Pick(40, 48, list, &bodies).IsValid());  // where the block was
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
        {"zoom_scale", [&] { view_->zoom_scale(2.0); }},
        {"set_width and set_height", [&] { view_->set_width(150), view_->set_height(150); }},
        {"move (a pan)", [&] { view_->move(SPAvector(15, 5, 0)); }},
        {"set_target", [&] { view_->set_target(SPAposition(-10, 0, 0)); }},
        {"set_eye (a turn)", [&] { view_->set_eye(SPAposition(60, -70, 90)); }},
        {"set_up", [&] { view_->set_up(SPAvector(1, 1, 0)); }},
        {"ZoomAll", [&] { view_->ZoomAll(1.0f); }},
        {"set_viewport (the picture moved in its window)", [&] { view_->set_viewport(10, 0, 100, 100); }},
    };
    for (const Move& move : moves) {
        SCOPED_TRACE(move.name);
        const std::vector<unsigned char> before = Front();
        move.apply();
        Refresh();
        const std::vector<unsigned char> after = Front();
        EXPECT_NE(after, before);
        // What a whole new frame draws.
        context_.OnPicturePropsChanged();
        Refresh();
        EXPECT_EQ(after, Front());
        // The picks culled by the locations' window boxes see the new picture.
        EXPECT_EQ(PickAt(blockTop), block);
        EXPECT_EQ(RegionAround(SPAposition(-10, -10, 0), SPAposition(10, 10, 20), 3), std::vector<CVyrObjectPath>{block});
    }
    // A location changed with the camera (one the database would redraw in its window rectangle):
    // its old rectangle is not all that must be drawn.
    ASSERT_TRUE(Scene().SetOnTop(block));
    view_->move(SPAvector(-20, 0, 0));
    Refresh();
    const std::vector<unsigned char> moved = Front();
    context_.OnPicturePropsChanged();
    Refresh();
    EXPECT_EQ(moved, Front());
    EXPECT_EQ(PickAt(blockTop), block);
    // With nothing changed the refresh only presents the picture it keeps.
    const std::vector<unsigned char> kept = Front();
    Refresh();
    EXPECT_EQ(Front(), kept);
}

TEST_F(PickHostBodiesTest, AResizedWindowIsDrawnWholeAndPicksAnswerItsPixels)
{
    const CVyrObjectPath block = Show(-10, -10, 0, 10, 10, 20);
    Refresh();
    ASSERT_EQ(PickAt(SPAposition(0, 0, 20)), block);
    // The host's window grows, and tells the view.
    ASSERT_TRUE(MoveWindow(window_.plain.window, 0, 0, 160, 120, TRUE));
    ASSERT_TRUE(view_->IsBackBufferValid());
    view_->resize(160, 120);
    EXPECT_FALSE(view_->IsBackBufferValid());  // the window's buffers took the new size
    Refresh();
    int x = 0, y = 0;
    PixelOf(SPAposition(0, 0, 20), x, y);
    const std::vector<unsigned char> front = Front();
    const auto lit = [&front](int px, int py) {  // drawable pixel, y down
        const size_t i = (static_cast<size_t>(119 - py) * 160 + static_cast<size_t>(px)) * 3;
        return front[i] + front[i + 1] + front[i + 2] > 60;
    };
    EXPECT_TRUE(lit(x, y));
    EXPECT_FALSE(lit(x + 30, y));
    EXPECT_EQ(PickAt(SPAposition(0, 0, 20)), block);
    // A second refresh keeps it.
    Refresh();
    EXPECT_EQ(Front(), front);
}

}  // namespace
