// The single pick on real OpenGL selection: lines and faces found at their pixels, depth and
// transparency deciding between what lies under one pixel, the free point on the working plane,
// the view's pick mode closed after every pick, one convention for rows from the top to the bottom
// edge, bodies shown through the context, region leaves found on their own shapes, and bad input.
#include "PickFixture.h"

#include "DsItemsBody.h"
#include "VyrBodyGeometry.h"
#include "VyrUiToolContext.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

using namespace picktest;

namespace {

class PickSingleGLTest : public PickTest {};

bool Contains(const std::vector<CVyrObjectPath>& paths, const CVyrObjectPath& path)
{
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

// A line whose ends are its reference points (kinds 0x1 and 0x2): the view in pick mode tells
// which of them lie in the pick region.
class CEndsGeometry : public CShapeGeometry {
public:
    CEndsGeometry(float x0, float y0, float x1, float y1)
        : CShapeGeometry(eDpLines, {x0, y0, 0, x1, y1, 0}), m_start(x0, y0, 0), m_end(x1, y1, 0)
    {
    }
    LONG DrawPoints(view3d& view, LONG mask, int) override
    {
        LONG found = 0;
        if ((mask & 0x1) && view.draw_point_3d(m_start)) found |= 0x1;
        if ((mask & 0x2) && view.draw_point_3d(m_end)) found |= 0x2;
        return found;
    }
    bool GetPoint(eParameterPoints which, SPAposition& point, int) const override
    {
        if (which != ePpStart && which != ePpEnd) return false;
        point = which == ePpStart ? m_start : m_end;
        return true;
    }

private:
    SPAposition m_start, m_end;
};

// The host's veto: refuses the item `id`, or the reference-point type `pointType`.
class CVeto : public CDsPickTestFunc {
public:
    CVeto(int id, int pointType) : m_id(id), m_pointType(pointType) {}
    bool Test(const CVyrObjectPath& path, const CDsGeometry*, eVyrObjectType, eVyrParamPointType pointType) override
    {
        return path.GetLastId() != m_id && pointType != m_pointType;
    }

private:
    int m_id, m_pointType;
};

}  // namespace

TEST_F(PickSingleGLTest, ALineAndTheNearestOpaqueFaceAreChosenAndWhatLiesBehindIsListed)
{
    const CVyrObjectPath line = Add(1, kLineType, Line(-40, 20, 40, 20, 0));
    const CVyrObjectPath front = Add(2, kFaceType, Rect(-30, -30, 30, 0, 10));
    const CVyrObjectPath back = Add(3, kFaceType, Rect(-20, -25, 20, -5, 0));
    const CVyrObjectPath behind = Add(4, kLineType, Line(-20, -15, 20, -15, 0));
    Refresh();

    // The line's pixel (model (0, 20)): the line, no point type, its point on the line.
    CDsPickedItemList onLine;
    const CDsPickedItem lineItem = Pick(50, 30, onLine);
    EXPECT_EQ(lineItem.GetObjectPath(), line);
    EXPECT_EQ(lineItem.GetPickedPointType(), -1);
    EXPECT_EQ(lineItem.GetObjectType(), kLineType);
    EXPECT_NEAR(lineItem.GetPickedPosition()->y(), 20, 1e-3);
    EXPECT_NEAR(lineItem.GetPickedPosition()->x(), 0, 1.5);
    EXPECT_EQ(onLine.GetSize(), 0);

    // Shaded, at model (0, -15): the front face (10 units nearer) wins; the face and the line
    // behind it are listed, the chosen face is not listed again.
    CDsPickedItemList shaded;
    const CDsPickedItem faceItem = Pick(50, 65, shaded);
    EXPECT_EQ(faceItem.GetObjectPath(), front);
    EXPECT_NEAR(faceItem.GetPickedPosition()->z(), 10, 0.5);
    const std::vector<CVyrObjectPath> listed = Paths(shaded);
    EXPECT_TRUE(Contains(listed, back));
    EXPECT_TRUE(Contains(listed, behind));
    EXPECT_FALSE(Contains(listed, front));
    EXPECT_FALSE(Contains(listed, line));

    // In wireframe the line behind the face comes forward (its lines share a nearer layer).
    view_->SetRenderMode(eRenderWireframe);
    CDsPickedItemList wire;
    EXPECT_EQ(Pick(50, 65, wire).GetObjectPath(), behind);
    EXPECT_TRUE(Contains(Paths(wire), front));

    // The list is only appended to.
    const int before = shaded.GetSize();
    view_->SetRenderMode(eRenderShade);
    Pick(50, 30, shaded);
    EXPECT_EQ(shaded.GetSize(), before);
    Pick(50, 65, shaded);
    EXPECT_EQ(shaded.GetSize(), 2 * before);
}

TEST_F(PickSingleGLTest, AFaceNobodyMayPickHidesWhatLiesBehindItUnlessItIsTransparent)
{
    Add(2, kFaceType, Rect(-30, -30, 30, 0, 10));
    const CVyrObjectPath behind = Add(4, kLineType, Line(-20, -15, 20, -15, 0));
    const std::vector<CDsTypeMask> linesOnly = {MaskOf({kLineType})};
    Refresh();

    // Shaded: the face is opaque; the line is listed but not chosen.
    CDsPickedItemList shaded;
    EXPECT_FALSE(Pick(50, 65, shaded, &linesOnly).IsValid());
    EXPECT_EQ(Paths(shaded), std::vector<CVyrObjectPath>{behind});

    // Mixed: the face's own transparency decides; 191 lets the line through, 192 does not.
    view_->SetRenderMode(eRenderMixed);
    CDsAttributes glassy;
    glassy.SetTransparency(191);
    ASSERT_TRUE(CDsPartStorage::instance()->UpdateAttributes(CVyrObjectId(PeerPart(), 2), glassy, nullptr));
    CDsPickedItemList mixed;
    EXPECT_EQ(Pick(50, 65, mixed, &linesOnly).GetObjectPath(), behind);
    EXPECT_EQ(mixed.GetSize(), 0);
    glassy.SetTransparency(192);
    ASSERT_TRUE(CDsPartStorage::instance()->UpdateAttributes(CVyrObjectId(PeerPart(), 2), glassy, nullptr));
    EXPECT_FALSE(Pick(50, 65, mixed, &linesOnly).IsValid());
}

TEST_F(PickSingleGLTest, ListedItemsWinTiesInDepth)
{
    const CVyrObjectPath first = Add(5, kFaceType, Rect(-10, -10, 10, 10, 0));
    const CVyrObjectPath second = Add(6, kFaceType, Rect(-10, -10, 10, 10, 0));
    Refresh();
    CDsPickedItemList list;
    EXPECT_EQ(Pick(50, 50, list).GetObjectPath(), first);
    EXPECT_EQ(Paths(list), std::vector<CVyrObjectPath>{second});

    CDsPickedItemList preferred;
    CDsPickedItem wanted(second, SPAposition(), -1);
    preferred.Add(&wanted);
    request_.m_listedItems = &preferred;
    CDsPickedItemList again;
    EXPECT_EQ(Pick(50, 50, again).GetObjectPath(), second);
    EXPECT_EQ(Paths(again), std::vector<CVyrObjectPath>{first});
}

TEST_F(PickSingleGLTest, EmptyBackgroundGivesAFreePointOnTheWorkingPlaneWhenAllowed)
{
    Add(1, kLineType, Line(-40, 20, -30, 20, 0));
    Refresh();
    const std::vector<CDsTypeMask> withFreePoint = {MaskOf({kLineType}), MaskOf({eDsPickPtWorkingPlane})};
    CDsPickedItemList list;
    const CDsPickedItem free = Pick(80, 20, list, &withFreePoint);
    EXPECT_EQ(free.GetObjectType(), 61);
    EXPECT_EQ(free.GetPickedPointType(), eDsPickPtWorkingPlane);
    EXPECT_EQ(free.GetPickedPrimitiveType(), 1);
    EXPECT_EQ(free.GetObjectPath().GetPartId(), Scene().GetTempPartId());
    EXPECT_EQ(free.GetObjectPath().GetSize(), 1);
    // The centre of pixel (80, 20) on the model's xy plane.
    EXPECT_NEAR(free.GetPickedPosition()->x(), 30.5, 1.0);
    EXPECT_NEAR(free.GetPickedPosition()->y(), 29.5, 1.0);
    EXPECT_NEAR(free.GetPickedPosition()->z(), 0.0, 1e-6);
    EXPECT_EQ(list.GetSize(), 0);

    // The tool's coordinate system placed 7 units up: the plane goes with it.
    const unsigned char placedType = 154;
    const unsigned char savedCategory = CDsPartStorage::sm_Type2Cat[placedType];
    CDsPartStorage::sm_Type2Cat[placedType] = eVyrCatTransformed;
    const CDsTransform up(translate_transf(SPAvector(0, 0, 7)));
    ASSERT_TRUE(CDsPartStorage::instance()->AddItem(CVyrObjectId(PeerPart(), 9), placedType, nullptr, &up, nullptr,
                                                    nullptr, nullptr, true));
    {
        CVyrUiToolContext tool;
        tool.SetObjectPath({9}, 1, PeerPart());
        CVyrUiToolContext::StSetCurrent(&tool);
        EXPECT_NEAR(Pick(80, 20, list, &withFreePoint).GetPickedPosition()->z(), 7.0, 1e-6);
        CVyrUiToolContext::StSetCurrent(nullptr);
    }
    CDsPartStorage::sm_Type2Cat[placedType] = savedCategory;

    // Seen from the side the model's xy plane gives no point: the next plane of the system, x = 0
    // (y cross z) lies along the view too, so z cross x: the plane y = 0.
    vyrtest::ViewSetup()
        .Pixels(kSize, kSize)
        .Eye(SPAposition(0, -100, 0))
        .Up(SPAvector(0, 0, 1))
        .Field(kSize, kSize)
        .Clip(1, 300)
        .ApplyTo(*view_);
    const CDsPickedItem side = Pick(80, 20, list, &withFreePoint);
    EXPECT_EQ(side.GetPickedPointType(), eDsPickPtWorkingPlane);
    EXPECT_NEAR(side.GetPickedPosition()->x(), 30.5, 1.0);
    EXPECT_NEAR(side.GetPickedPosition()->y(), 0.0, 1e-6);
    EXPECT_NEAR(side.GetPickedPosition()->z(), 29.5, 1.0);

    // Without type 272 the empty item.
    const CDsPickedItem none = Pick(80, 20, list);
    EXPECT_FALSE(none.IsValid());
    EXPECT_EQ(none.GetObjectType(), 255);
    EXPECT_EQ(none.GetPickedPointType(), -1);
    EXPECT_TRUE(At(*none.GetPickedPosition(), 0, 0, 0));
}

TEST_F(PickSingleGLTest, ThePickModeIsOffAfterEveryPick)
{
    Add(1, kLineType, Line(-40, 20, 40, 20, 0));
    Refresh();
    CDsPickedItemList list;
    Pick(50, 30, list);  // found
    EXPECT_EQ(view_->get_pick_mode(), 0);
    Pick(10, 90, list);  // nothing found
    EXPECT_EQ(view_->get_pick_mode(), 0);
    const std::vector<CDsTypeMask> nothing = {CDsTypeMask()};
    Pick(50, 30, list, &nothing);  // refused before the walk
    EXPECT_EQ(view_->get_pick_mode(), 0);
    Pick(150, 30, list);  // outside
    EXPECT_EQ(view_->get_pick_mode(), 0);
    // A view that was picking before is closed too: every pick ends with pick mode 0.
    view_->pick_mode(1, 3, 3, 9, 9);
    Pick(50, 30, list);
    EXPECT_EQ(view_->get_pick_mode(), 0);
}

TEST_F(PickSingleGLTest, APositionOfWhatTheRayMissesLiesOnItNearestToThePixelsCentre)
{
    // Points (kind 1) have no polygon for the ray: their position is where what they draw comes
    // nearest to the centre of the cursor's pixel (model x from 0 to 1, y from -1 to 0), on them
    // (y = 0.3), never on the ray beside them.
    const CVyrObjectPath points = Add(1, kOtherType, new CShapeGeometry(CDsGeometry::eDpPoints, {-40, 0.3f, 5, 40, 0.3f, 5}));
    Refresh();
    CDsPickedItemList list;
    const CDsPickedItem picked = Pick(50, 50, list);
    ASSERT_EQ(picked.GetObjectPath(), points);
    EXPECT_NEAR(picked.GetPickedPosition()->x(), 0.5, 1e-3);
    EXPECT_NEAR(picked.GetPickedPosition()->y(), 0.3, 1e-3);
    EXPECT_NEAR(picked.GetPickedPosition()->z(), 5.0, 1e-2);
}

// Faces that the pick window meets beside the ray stand where the window shows them, unless a face
// the frame draws hides them there: the faces that hide are collected when the first of them needs
// them and the walk goes on, so that each face is drawn once into the selection and once into the
// feedback (a second walk with them drew every item of the scene twice).
TEST_F(PickSingleGLTest, FacesBesideTheRayAreSelectedAndFedBackOnce)
{
    // The cursor's pixel (50, 50) covers model x from 0 to 1 and y from -1 to 0; its pick window
    // reaches two pixels further. Neither face covers the pixel's centre.
    auto* nearer = Rect(1.2f, -4, 8, 3, 5);
    auto* farther = Rect(-8, -6, -0.2f, -2, 0);
    const CVyrObjectPath front = Add(1, kFaceType, nearer);
    const CVyrObjectPath back = Add(2, kFaceType, farther);
    Refresh();
    nearer->glDraws = farther->glDraws = 0;
    CDsPickedItemList list;
    const CDsPickedItem picked = Pick(50, 50, list);
    ASSERT_EQ(picked.GetObjectPath(), front);
    EXPECT_TRUE(At(SPAposition(picked.GetPickedPosition()->x(), picked.GetPickedPosition()->y(),
                               picked.GetPickedPosition()->z()),
                   1.5, -0.5, 5));
    EXPECT_EQ(Paths(list), std::vector<CVyrObjectPath>{back});
    EXPECT_EQ(nearer->glDraws, 2);
    EXPECT_EQ(farther->glDraws, 2);
}

TEST_F(PickSingleGLTest, ItemsNearTheTopAndTheBottomAreFoundAtTheirOwnRows)
{
    // Lines (the pre-filter and the view's own pick test) and faces (the pre-filter and OpenGL
    // selection): one near the top, its mirror about the middle row, one near the bottom.
    const CVyrObjectPath topLine = Add(1, kLineType, Line(-10, 46, 10, 46, 0));        // row 4
    const CVyrObjectPath mirrorLine = Add(2, kLineType, Line(-10, -46, 10, -46, 0));  // row 96
    const CVyrObjectPath bottomLine = Add(3, kLineType, Line(20, -46, 40, -46, 0));   // row 96, right
    const CVyrObjectPath topFace = Add(4, kFaceType, Rect(-40, 43, -20, 47, 0));      // rows 3 to 7
    const CVyrObjectPath mirrorFace = Add(5, kFaceType, Rect(-40, -47, -20, -43, 0));  // rows 93 to 97
    Refresh();

    struct Case {
        int x, y;
        CVyrObjectPath expected, mirror;
    };
    const Case cases[] = {{50, 4, topLine, mirrorLine},   {50, 96, mirrorLine, topLine},
                          {80, 96, bottomLine, topLine},  {20, 5, topFace, mirrorFace},
                          {20, 95, mirrorFace, topFace}};
    for (const Case& c : cases) {
        CDsPickedItemList list;
        EXPECT_EQ(Pick(c.x, c.y, list).GetObjectPath(), c.expected) << "at " << c.x << ", " << c.y;
        EXPECT_FALSE(Contains(Paths(list), c.mirror)) << "at " << c.x << ", " << c.y;
    }
    // The rows between find nothing.
    CDsPickedItemList list;
    EXPECT_FALSE(Pick(50, 50, list).IsValid());
    EXPECT_EQ(list.GetSize(), 0);
}

TEST_F(PickSingleGLTest, BadInputGivesTheEmptyItemAndAddsNothing)
{
    Add(1, kLineType, Line(-40, 20, 40, 20, 0));
    Refresh();
    CDsPickedItemList list;
    // Outside the viewport.
    for (const auto& xy : {std::pair<int, int>{-1, 30}, {100, 30}, {50, -1}, {50, 100}})
        EXPECT_FALSE(Pick(xy.first, xy.second, list).IsValid());
    // An empty type mask, an empty domain, no domain.
    const std::vector<CDsTypeMask> emptyMask = {CDsTypeMask()};
    EXPECT_FALSE(Pick(50, 30, list, &emptyMask).IsValid());
    const std::vector<CDsTypeMask> emptyDomain;
    EXPECT_FALSE(Pick(50, 30, list, &emptyDomain).IsValid());
    CUiPickEvent event(50, 30, 0, view_.get(), nullptr);
    CDsPickContext noDomain;
    noDomain.m_ownerContext = &context_;
    noDomain.m_event = &event;
    EXPECT_FALSE(context_.GetPickProccessor()->PickSingle(noDomain, list).IsValid());
    // No event, no owner context.
    CDsPickContext noEvent;
    noEvent.m_ownerContext = &context_;
    noEvent.m_domain = &domain_;
    EXPECT_FALSE(context_.GetPickProccessor()->PickSingle(noEvent, list).IsValid());
    CDsPickContext noOwner;
    noOwner.m_domain = &domain_;
    noOwner.m_event = &event;
    EXPECT_FALSE(context_.GetPickProccessor()->PickSingle(noOwner, list).IsValid());
    // A view without a rendering context, and a plain modeler view.
    CDsView3dCdc lone;
    vyrtest::ViewSetup().Pixels(kSize, kSize).ApplyTo(lone);
    CUiPickEvent loneEvent(50, 30, 0, &lone, nullptr);
    CDsPickContext onLone;
    onLone.m_ownerContext = &context_;
    onLone.m_domain = &domain_;
    onLone.m_event = &loneEvent;
    EXPECT_FALSE(context_.GetPickProccessor()->PickSingle(onLone, list).IsValid());
    EXPECT_EQ(lone.get_pick_mode(), 0);
    view3d plain;
    CUiPickEvent plainEvent(50, 30, 0, &plain, nullptr);
    onLone.m_event = &plainEvent;
    EXPECT_FALSE(context_.GetPickProccessor()->PickSingle(onLone, list).IsValid());
    EXPECT_EQ(list.GetSize(), 0);

    // A scene with no items.
    CDsPartStorage::instance()->RemovePart(PeerPart());
    EXPECT_FALSE(Pick(50, 30, list).IsValid());
    EXPECT_EQ(list.GetSize(), 0);
}

TEST_F(PickSingleGLTest, ABodyShownThroughTheContextIsPickedByItsFacesAndEdges)
{
    BODY* block = make_block(-20, -10, -10, 20, 10, 10);
    ASSERT_NE(block, nullptr);
    ASSERT_TRUE(VyrShowBody(&context_, block, 1, nullptr));
    Refresh();
    const std::vector<CDsTypeMask> bodies = {MaskOf({1})};
    CDsPickedItemList list;
    // Its top face at the centre, 10 units above the model's origin.
    const CDsPickedItem face = Pick(50, 50, list, &bodies);
    EXPECT_EQ(face.GetObjectPath(), PathOf(1));
    EXPECT_NEAR(face.GetPickedPosition()->z(), 10, 0.5);
    // The background beside it.
    EXPECT_FALSE(Pick(5, 5, list, &bodies).IsValid());
    // Wireframe: on its outline (x = -20) through its edges; inside the outline its faces still
    // answer the selection.
    view_->SetRenderMode(eRenderWireframe);
    EXPECT_EQ(Pick(30, 45, list, &bodies).GetObjectPath(), PathOf(1));
    EXPECT_EQ(Pick(45, 45, list, &bodies).GetObjectPath(), PathOf(1));
    EXPECT_FALSE(Pick(25, 45, list, &bodies).IsValid());
    EXPECT_EQ(list.GetSize(), 0);
    VyrHideBody(&context_, block, 1);
    block->lose();
}

// The leaves of a region share its geometry, which answers for each leaf by the leaf's id: the
// pick ray meets a face leaf on the leaf's own polygon, and a line leaf's picked point lies on the
// leaf's own line.
TEST_F(PickSingleGLTest, RegionLeavesArePickedOnTheirOwnShapesInTheRegionsGeometry)
{
    const RegionTypesScope types;
    CRegionGeometry::Shapes shapes;
    shapes[11].reset(Rect(-40, -30, -10, -10, 0));
    shapes[12].reset(Rect(10, -30, 40, -10, 5));
    shapes[13].reset(Line(-40, 20, 40, 20, 0));
    CDsPartStorage* storage = CDsPartStorage::instance();
    Add(9, kHolderType, nullptr);
    ASSERT_TRUE(storage->AddChildItem(CVyrObjectId(PeerPart(), 9), 10, kRegionType, new CRegionGeometry(shapes),
                                      nullptr, nullptr, true));
    for (int leaf : {11, 12, 13}) {
        const unsigned char type = leaf == 13 ? kLineType : kFaceType;
        ASSERT_TRUE(storage->AddRegionLeaf(CVyrObjectId(PeerPart(), 10), leaf, type, true));
    }
    Refresh();
    request_.m_sectionTest = 1;  // faces met by the pick ray
    CDsPickedItemList list;

    const CDsPickedItem right = Pick(75, 70, list);  // model (25, -20), on leaf 12 only
    ASSERT_TRUE(right.IsValid());
    EXPECT_EQ(right.GetObjectPath().GetLastId(), 12);
    EXPECT_NEAR(right.GetPickedPosition()->z(), 5, 1e-6);
    EXPECT_EQ(Pick(25, 70, list).GetObjectPath().GetLastId(), 11);

    // Two rows off the line, still within the pick region: the point snaps onto the line.
    const CDsPickedItem line = Pick(60, 32, list);
    ASSERT_TRUE(line.IsValid());
    EXPECT_EQ(line.GetObjectPath().GetLastId(), 13);
    EXPECT_NEAR(line.GetPickedPosition()->y(), 20, 1e-3);
    EXPECT_NEAR(line.GetPickedPosition()->x(), 10, 1.5);
}

TEST_F(PickSingleGLTest, ReferencePointsComeFromTheHitsGeometryInThePickRegion)
{
    const CVyrObjectPath line = Add(1, kLineType, new CEndsGeometry(-40, 20, 40, 20));
    Refresh();
    const std::vector<CDsTypeMask> ends = {MaskOf({kLineType, eDsPickPtStart, eDsPickPtEnd})};
    CDsPickedItemList list;
    const CDsPickedItem start = Pick(10, 30, list, &ends);
    EXPECT_EQ(start.GetObjectPath(), line);
    EXPECT_EQ(start.GetPickedPointType(), eDsPickPtStart);
    EXPECT_TRUE(At(*start.GetPickedPosition(), -40, 20, 0));
    const CDsPickedItem end = Pick(90, 30, list, &ends);
    EXPECT_EQ(end.GetPickedPointType(), eDsPickPtEnd);
    EXPECT_TRUE(At(*end.GetPickedPosition(), 40, 20, 0));
    // Neither end in the region: a mask of points never accepts the hit itself, so the nearer end
    // to the hit point is taken; nothing is listed.
    const CDsPickedItem nearStart = Pick(30, 30, list, &ends);
    EXPECT_EQ(nearStart.GetPickedPointType(), eDsPickPtStart);
    EXPECT_TRUE(At(*nearStart.GetPickedPosition(), -40, 20, 0));
    EXPECT_EQ(Pick(70, 30, list, &ends).GetPickedPointType(), eDsPickPtEnd);
    EXPECT_EQ(list.GetSize(), 0);
    // With the close point on an edge allowed, the hit point itself.
    const std::vector<CDsTypeMask> close = {MaskOf({kLineType, eDsPickPtStart, eDsPickPtCloseOnEdge})};
    const CDsPickedItem near = Pick(50, 30, list, &close);
    EXPECT_EQ(near.GetPickedPointType(), eDsPickPtCloseOnEdge);
    EXPECT_NEAR(near.GetPickedPosition()->y(), 20, 1e-3);
    // The host refusing starts: at the start the end is the point left.
    CVeto noStarts(0, eDsPickPtStart);
    request_.m_test = &noStarts;
    const CDsPickedItem refused = Pick(10, 30, list, &ends);
    EXPECT_EQ(refused.GetPickedPointType(), eDsPickPtEnd);
    EXPECT_TRUE(At(*refused.GetPickedPosition(), 40, 20, 0));
}

TEST_F(PickSingleGLTest, StopAfterTheFirstHitAndTheHostsVeto)
{
    const CVyrObjectPath front = Add(2, kFaceType, Rect(-30, -30, 30, 0, 10));
    const CVyrObjectPath back = Add(3, kFaceType, Rect(-20, -25, 20, -5, 0));
    Refresh();
    CDsPickedItemList list;
    request_.m_stopAfterFirst = 1;
    EXPECT_EQ(Pick(50, 65, list).GetObjectPath(), front);
    EXPECT_EQ(list.GetSize(), 0);  // the face behind was never entered
    request_.m_stopAfterFirst = 0;

    // The host refuses the front face: shaded, it still hides the one behind (listed only) ...
    CVeto noFront(2, -2);
    request_.m_test = &noFront;
    EXPECT_FALSE(Pick(50, 65, list).IsValid());
    EXPECT_EQ(Paths(list), std::vector<CVyrObjectPath>{back});
    // ... in wireframe, where faces are not opaque, the face behind is chosen.
    view_->SetRenderMode(eRenderWireframe);
    CDsPickedItemList wire;
    EXPECT_EQ(Pick(50, 65, wire).GetObjectPath(), back);
    EXPECT_EQ(wire.GetSize(), 0);
}
