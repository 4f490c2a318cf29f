// Where picks on real bodies land, with the bodies shown as a host shows them (its body geometry
// filed into the scene database): the single pick's position on the face under the cursor, by
// selection and by the pick ray, from above and obliquely; reference-point snaps that take the
// visible corner or middle under the cursor rather than a hidden one behind it, in the render
// modes that hide; and the edges a region pick gathers from bodies and copies.
#include "PickFixture.h"

#include "DsAcisPick.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsFace.h"
#include "DsRefPoint.h"
#include "VyrBodyGeometry.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"
#include "VyrAsExt.h"
#include "VyrEntInstance.h"
#include "pick_ray.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using namespace picktest;

constexpr unsigned char kBodyType = 1;  // the type the host files bodies with

class PickBodySurfacesTest : public PickTest {
protected:
    void TearDown() override
    {
        CDsGlContext::StEndPickSession();
        if (copy_) context_.GetScene()->RemoveItemsGroup(copy_);
        delete copy_;
        if (instance_) instance_->lose();
        for (size_t i = 0; i < bodies_.size(); ++i) {
            VyrHideBody(&context_, bodies_[i], static_cast<int>(i) + 1);
            bodies_[i]->lose();
        }
        EXPECT_EQ(CDsAcisPick::sInPickMode, 0);
        PickTest::TearDown();
    }
    // Shows the block [x0, x1] x [y0, y1] x [z0, z1] as the next item; the body.
    BODY* Show(double x0, double y0, double z0, double x1, double y1, double z1)
    {
        BODY* body = make_block(x0, y0, z0, x1, y1, z1);
        EXPECT_NE(body, nullptr);
        if (!body) return nullptr;
        bodies_.push_back(body);
        EXPECT_TRUE(VyrShowBody(&context_, body, static_cast<int>(bodies_.size()), nullptr));
        return body;
    }
    // Shows a copy of `body` moved by `offset` (an instance of it, as a host shows one).
    void ShowCopy(BODY* body, const SPAvector& offset)
    {
        CDsItemsBody* group = context_.FindDsBody(body);
        ASSERT_NE(group, nullptr);
        auto* instance = new CVyrEntInstance(body, translate_transf(offset));
        instance_ = instance;
        ENTITY_LIST copies;
        instance->GetEntities(copies);
        ASSERT_EQ(copies.count(), 1);
        copy_ = new CDsItemsCopy(group, copies[0], &context_);
        context_.GetScene()->AddItemsGroup(copy_);
    }
    // Looks from `target` + `from` (150 units away) at `target`, +z up (+y when looking along z),
    // 100 x 100 model units at the target, and draws the view (its first picture).
    void Camera(const SPAvector& from, const SPAposition& target)
    {
        const bool vertical = std::fabs(from.x()) + std::fabs(from.y()) < 1e-9;
        vyrtest::ViewSetup()
            .Pixels(kSize, kSize)
            .Eye(target + normalise(from) * 150.0)
            .Target(target)
            .Up(vertical ? SPAvector(0, 1, 0) : SPAvector(0, 0, 1))
            .Field(kSize, kSize)
            .Clip(1, 400)
            .ApplyTo(*view_);
        Refresh();
        if (copy_) copy_->ComputeBounds2D(view_.get());
    }
    // The event at the drawable pixel that shows `p`.
    CUiPickEvent EventAt(const SPAposition& p)
    {
        float x = 0, y = 0;
        EXPECT_TRUE(view_->world_to_drawable(p, x, y));
        return CUiPickEvent(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), 0, view_.get(), nullptr);
    }
    // Where the pick ray of `event` meets the plane through `on` square to `normal`.
    static SPAposition RayOnPlane(const CUiPickEvent& event, const SPAposition& on, const SPAvector& normal)
    {
        const pick_ray ray = get_pick_ray(event);
        const double t = ((on - ray.root_point()) % normal) / (ray.direction() % normal);
        return ray.point_at(t);
    }
    // The single pick of bodies at `event` with the section test on or off; its position, (1e11,
    // 1e11, 1e11) when nothing is picked.
    SPAposition PickedAt(const CUiPickEvent& event, bool sectionTest)
    {
        const std::vector<CDsTypeMask> bodies = {MaskOf({kBodyType})};
        request_.m_sectionTest = sectionTest ? 1 : 0;
        CDsPickedItemList list;
        const CDsPickedItem hit = Pick(event.x(), event.y(), list, &bodies);
        request_.m_sectionTest = 0;
        EXPECT_EQ(hit.GetObjectPath(), PathOf(1));
        return hit.GetPickedPosition() ? SPAposition(*hit.GetPickedPosition()) : SPAposition(1e11, 1e11, 1e11);
    }
    // The reference point of `kinds` that StPickRefPoint answers at the pixel of `p`: its position,
    // (1e11, 1e11, 1e11) when it answers none.
    SPAposition SnapAt(const SPAposition& p, std::initializer_list<int> kinds)
    {
        CUiPickEvent event = EventAt(p);
        std::unique_ptr<CDsRefPoint> point(CDsAcisPick::StPickRefPoint(event, MaskOf(kinds)));
        EXPECT_EQ(view_->get_pick_mode(), 0);
        return point ? SPAposition(CDsRefPoint::sLastPosition) : SPAposition(1e11, 1e11, 1e11);
    }

    std::vector<BODY*> bodies_;
    ENTITY* instance_ = nullptr;
    CDsItemsCopy* copy_ = nullptr;
};

// Whether `p` is within `tolerance` of `q` in every coordinate.
::testing::AssertionResult Near(const SPAposition& p, const SPAposition& q, double tolerance = 1e-3)
{
    if (std::fabs(p.x() - q.x()) <= tolerance && std::fabs(p.y() - q.y()) <= tolerance &&
        std::fabs(p.z() - q.z()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << p.x() << ", " << p.y() << ", " << p.z() << ") is not within "
                                         << tolerance << " of (" << q.x() << ", " << q.y() << ", " << q.z() << ")";
}

const std::initializer_list<int> kEdgeKinds = {256, 257, 258, 259};

}  // namespace

// --- The single pick's position ---------------------------------------------------------------

TEST_F(PickBodySurfacesTest, SeenFromAboveAPickLandsOnTheTopFaceByRayAndBySelection)
{
    Show(0, 0, 0, 40, 30, 20);
    Camera(SPAvector(0, 0, 1), SPAposition(20, 15, 10));
    const SPAposition p(22, 14, 20);
    const CUiPickEvent event = EventAt(p);
    EXPECT_TRUE(Near(PickedAt(event, true), RayOnPlane(event, p, SPAvector(0, 0, 1))));
    EXPECT_TRUE(Near(PickedAt(event, false), RayOnPlane(event, p, SPAvector(0, 0, 1))));
    // A pixel beside the edge x = 40 the pick window shows the top face and its centre does not:
    // still a hit, on the top face at the centre of the window's pixel that shows it (within a pixel
    // and a half of the edge), not beneath it.
    const CUiPickEvent edge = EventAt(SPAposition(40, 15, 20));
    const SPAposition beside = PickedAt(CUiPickEvent(edge.x() + 1, edge.y(), 0, view_.get(), nullptr), false);
    const double pixel = view_->get_units_per_pixel();
    EXPECT_LE(beside.x(), 40.0);
    EXPECT_GE(beside.x(), 40.0 - 1.5 * pixel);
    EXPECT_NEAR(beside.y(), 15.0, 1.0);
    EXPECT_NEAR(beside.z(), 20.0, 1e-3);
}

TEST_F(PickBodySurfacesTest, SeenObliquelyAPickLandsOnTheNearestFaceByRayAndBySelection)
{
    Show(0, 0, 0, 40, 30, 20);
    // From the front, left and above: the top, the front (y = 0) and the left (x = 0) faces show.
    Camera(SPAvector(-60, -80, 90), SPAposition(20, 15, 10));
    const std::pair<SPAposition, SPAvector> cases[] = {{SPAposition(22, 14, 20), SPAvector(0, 0, 1)},
                                                       {SPAposition(25, 0, 8), SPAvector(0, 1, 0)},
                                                       {SPAposition(0, 12, 6), SPAvector(1, 0, 0)}};
    for (const auto& c : cases) {
        const CUiPickEvent event = EventAt(c.first);
        EXPECT_TRUE(Near(PickedAt(event, true), RayOnPlane(event, c.first, c.second))) << "by ray";
        EXPECT_TRUE(Near(PickedAt(event, false), RayOnPlane(event, c.first, c.second))) << "by selection";
    }
}

// --- Reference points ---------------------------------------------------------------------------

TEST_F(PickBodySurfacesTest, FromAboveACornerSnapTakesTheVisibleCornerInTheModesThatHide)
{
    Show(0, 0, 0, 20, 20, 20);
    Camera(SPAvector(0, 0, 1), SPAposition(10, 10, 10));
    const SPAposition top(20, 0, 20), bottom(20, 0, 0);
    for (ERenderMode mode : {eRenderShade, eRenderHiddenLines, eRenderMixed}) {
        view_->SetRenderMode(mode);
        EXPECT_TRUE(Near(SnapAt(top, kEdgeKinds), top)) << "render mode " << mode;
        // An end of an edge: the start of one, or the end of one whose start is hidden.
        EXPECT_TRUE(CDsRefPoint::sPickType == 256 || CDsRefPoint::sPickType == 257);
    }
    // The lines modes show hidden edges: the first edge in the body's order answers, as before.
    for (ERenderMode mode : {eRenderWireframe, eRenderPartialHiddenLines}) {
        view_->SetRenderMode(mode);
        EXPECT_TRUE(Near(SnapAt(top, kEdgeKinds), bottom)) << "render mode " << mode;
    }
    // The shaded frame draws every face opaque, whatever the face items' own transparency: they
    // still hide.
    view_->SetRenderMode(eRenderShade);
    CDsItemsBody* body = context_.FindDsBody(bodies_[0]);
    ASSERT_NE(body, nullptr);
    for (int i = 0; i < body->FacesCount(); ++i) body->GetFaceItem(i)->SetTransparency(0.5f);
    EXPECT_TRUE(Near(SnapAt(top, kEdgeKinds), top));
    // Faces the mixed frame draws half transparent (the body's look) hide nothing.
    view_->SetRenderMode(eRenderMixed);
    CDsAttributes glassy;
    glassy.SetTransparency(static_cast<unsigned char>(127));
    ASSERT_TRUE(CDsPartStorage::instance()->UpdateAttributes(CVyrObjectId(PeerPart(), 1), glassy, nullptr));
    Refresh();
    EXPECT_TRUE(Near(SnapAt(top, kEdgeKinds), bottom));
}

TEST_F(PickBodySurfacesTest, SeenAlongTheDiagonalTheNearCornerIsSnappedNotTheFarOne)
{
    Show(0, 0, 0, 20, 20, 20);
    Camera(SPAvector(1, -1, 1), SPAposition(10, 10, 10));
    // (20, 0, 20) and (0, 20, 0) share a pixel; only the first shows.
    EXPECT_TRUE(Near(SnapAt(SPAposition(20, 0, 20), kEdgeKinds), SPAposition(20, 0, 20)));
    EXPECT_TRUE(Near(SnapAt(SPAposition(20, 0, 0), kEdgeKinds), SPAposition(20, 0, 0)));
}

TEST_F(PickBodySurfacesTest, AMiddleSnapTakesTheVisibleEdgeUnderTheCursor)
{
    Show(0, 0, 0, 20, 20, 20);
    Camera(SPAvector(-1, -2, 1.5), SPAposition(10, 10, 10));
    // Middles of visible edges: on the top face, on the front face, the front vertical edge. With
    // the middle kind alone an edge passing under the cursor snaps to its middle, however far: a
    // hidden back edge there must not.
    for (const SPAposition& middle : {SPAposition(10, 0, 20), SPAposition(0, 10, 20), SPAposition(0, 0, 10),
                                      SPAposition(10, 0, 0)}) {
        EXPECT_TRUE(Near(SnapAt(middle, {258}), middle)) << "(" << middle.x() << ", " << middle.y() << ", "
                                                        << middle.z() << ")";
        EXPECT_EQ(CDsRefPoint::sPickType, 258);
    }
}

TEST_F(PickBodySurfacesTest, PointsThatAnotherBodyHidesAreNotOffered)
{
    // A small block under a wide plate: from above its corners lie under the plate's faces, and no
    // edge of the plate passes under them.
    Show(-30, -30, 30, 30, 30, 40);
    Show(0, 0, 0, 10, 10, 10);
    Camera(SPAvector(0, 0, 1), SPAposition(0, 0, 20));
    const SPAposition corner(10, 0, 10);
    EXPECT_TRUE(Near(SnapAt(corner, kEdgeKinds), SPAposition(1e11, 1e11, 1e11)));
    EXPECT_TRUE(Near(SnapAt(corner, {258}), SPAposition(1e11, 1e11, 1e11)));
    // In wireframe nothing hides it.
    view_->SetRenderMode(eRenderWireframe);
    const SPAposition snapped = SnapAt(corner, kEdgeKinds);
    EXPECT_NEAR(snapped.x(), 10, 1e-6);
    EXPECT_NEAR(snapped.y(), 0, 1e-6);
}

TEST_F(PickBodySurfacesTest, ACopyHidesWhatLiesUnderItAndOffersItsOwnVisibleCorner)
{
    BODY* block = Show(0, 0, 0, 20, 20, 20);
    // The same block again, 20 units above it, filed as a host files a copy (so that the frame
    // draws it and fits its planes to it).
    auto* instance = new CVyrEntInstance(block, translate_transf(SPAvector(0, 0, 40)));
    instance_ = instance;
    ENTITY_LIST copies;
    instance->GetEntities(copies);
    ASSERT_EQ(copies.count(), 1);
    ASSERT_TRUE(VyrShowCopy(&context_, copies[0], 2, nullptr));
    Camera(SPAvector(0, 0, 1), SPAposition(10, 10, 30));
    // Under the pixel of the corner (20, 0, 20): the block's two corners and the copy's two; only
    // the copy's top one shows.
    EXPECT_TRUE(Near(SnapAt(SPAposition(20, 0, 20), kEdgeKinds), SPAposition(20, 0, 60)));
    VyrHideCopy(&context_, copies[0], 2);
}

// --- Edges in a region ---------------------------------------------------------------------------

TEST_F(PickBodySurfacesTest, TheEdgesOfARegionComeFromBodiesAndFromCopiesAsTheCopysOwn)
{
    BODY* block = Show(0, 0, 0, 20, 20, 20);
    ShowCopy(block, SPAvector(30, 0, 0));
    Camera(SPAvector(0, 0, 1), SPAposition(25, 10, 10));
    ENTITY_LIST blockEdges;
    api_get_edges(block, blockEdges);
    ASSERT_EQ(blockEdges.count(), 12);

    const auto region = [&](const SPAposition& low, const SPAposition& high, ENTITY_LIST* scope) {
        CUiPickEvent first = EventAt(low), second = EventAt(high);
        first = CUiPickEvent(first.x() - 3, first.y() + 3, 0, view_.get(), nullptr);
        second = CUiPickEvent(second.x() + 3, second.y() - 3, 0, view_.get(), nullptr);
        CDsAcisPickData data;
        CDsAcisPick::StBeginPickMode(first, second, data);
        ENTITY_LIST out;
        const int count = CDsAcisPick::StPickEdgesInRegion(first, out, scope, nullptr);
        CDsAcisPick::StEndPickMode(first, data);
        EXPECT_EQ(count, out.count());
        int copies = 0;
        for (int i = 0; i < out.count(); ++i) copies += CVyrAsExt::IsCopy(out[i]) ? 1 : 0;
        return std::make_pair(out.count() - copies, copies);
    };
    // Both: the block's twelve edges and the copy's own twelve.
    EXPECT_EQ(region(SPAposition(0, 0, 20), SPAposition(50, 20, 20), nullptr), std::make_pair(12, 12));
    // The copy alone.
    EXPECT_EQ(region(SPAposition(30, 0, 20), SPAposition(50, 20, 20), nullptr), std::make_pair(0, 12));
    // A scope of the block's edges keeps the copy's out.
    EXPECT_EQ(region(SPAposition(0, 0, 20), SPAposition(50, 20, 20), &blockEdges), std::make_pair(12, 0));
    EXPECT_EQ(view_->get_pick_mode(), 0);
}
