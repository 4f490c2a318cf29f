// The point geometry: its marker style and reference-point mask tables, boxes, copies and the
// registration of its object type; and the least display manager and core view it relies on.
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsPointGeometry.h"
#include "DsPointsPalette.h"
#include "UiResourceManager.h"
#include "DsRectangle.h"
#include "view3d.h"

#include "ViewSetup.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

// The marker style each point type draws (types absent here draw style 2).
const std::map<int, int> kStyleOfType = {{256, 4}, {257, 4}, {258, 1}, {259, 6}, {264, 6}, {265, 6},
                                         {266, 6}, {260, 3}, {261, 3}, {263, 10}, {269, 0}, {271, 8}};

// The reference-point mask bit of each point type (types absent here have no bit).
const std::map<int, int> kMaskBitOfType = {{256, 0},  {257, 1}, {258, 2},  {259, 3},  {260, 12}, {261, 21},
                                           {262, 13}, {263, 9}, {267, 4},  {268, 15}, {269, 6},  {270, 7},
                                           {271, 8},  {272, 5}, {273, 10}, {274, 11}};

// A 100 x 100 view onto the origin, in pick mode around the point (1, 1, 0) (drawable (60, 40)).
void SetUpPickView(view3d& view)
{
    vyrtest::ViewSetup().Pixels(100, 100).Eye(SPAposition(0, 0, 10)).Field(10.0, 10.0).ApplyTo(view);
    view.pick_mode(1, 60, 40, 6, 6);
}

} // namespace

TEST(DsPointGeometryTest, DefaultsAndQueries)
{
    CDsPointGeometry g;
    EXPECT_EQ(g.GetPointType(), -1);
    EXPECT_EQ(g.PointStyle(), EPointStyle(2));  // style 11 and no type: the "other" style
    EXPECT_EQ(g.GetSize(), -1.0f);              // the base's field is left alone
    EXPECT_EQ(g.GetDrawPrimitives(0), 4097);
    EXPECT_TRUE(g.HasBoundBox(0));
    unsigned int count = 7;
    EXPECT_EQ(g.GetConnectedItems(count, 0), nullptr);
    EXPECT_EQ(count, 0u);
    float* vertices = nullptr;
    int n = 0;
    EXPECT_EQ(g.GetVertices(CDsGeometry::eDpPoints, 0, vertices, n, 0), -1);
    SPAposition p;
    EXPECT_FALSE(g.GetPoint(CDsGeometry::ePpPoint, p, 0));
    view3d view;
    EXPECT_EQ(g.Draw(view, CDsGeometry::eDpPoints, 0, 0, nullptr), 0);
}

TEST(DsPointGeometryTest, StyleTableForEveryType)
{
    for (int type = 250; type <= 280; ++type) {
        const auto it = kStyleOfType.find(type);
        const int expected = it == kStyleOfType.end() ? 2 : it->second;
        // The type decides whatever style was given.
        for (int given : {0, 5, 11}) {
            CDsPointGeometry g(SPAposition(0, 0, 0), type, EPointStyle(given), 0);
            EXPECT_EQ(g.PointStyle(), EPointStyle(expected)) << "type " << type << " style " << given;
        }
    }
    // Without a type a given style stands; style 11 falls back to 2.
    for (int given = 0; given <= 10; ++given)
        EXPECT_EQ(CDsPointGeometry(SPAposition(), -1, EPointStyle(given), 0).PointStyle(), EPointStyle(given));
    EXPECT_EQ(CDsPointGeometry(SPAposition(), -1, ePointStyleByType, 0).PointStyle(), EPointStyle(2));
    CDsPointGeometry g(SPAposition(), -1, EPointStyle(5), 0);
    g.SetPointType(263);
    EXPECT_EQ(g.PointStyle(), EPointStyle(10));
}

TEST(DsPointGeometryTest, MaskTableForEveryTypeWhenPicked)
{
    view3d view;
    SetUpPickView(view);
    for (int type = 250; type <= 280; ++type) {
        CDsPointGeometry g(SPAposition(1, 1, 0), type, ePointStyleByType, 0);
        const auto it = kMaskBitOfType.find(type);
        // A type outside the table answers 0 even though the point was hit.
        const LONG expected = it == kMaskBitOfType.end() ? 0 : static_cast<LONG>(1u << it->second);
        EXPECT_EQ(g.DrawPoints(view, 0, 0), expected) << "type " << type;
    }
    // Not hit: 0 whatever the type.
    CDsPointGeometry far(SPAposition(-3, -3, 0), 256, ePointStyleByType, 0);
    EXPECT_EQ(far.DrawPoints(view, 0, 0), 0);
    // Not in pick mode: the view reports nothing drawn.
    view.pick_mode(0, 0, 0, 0, 0);
    CDsPointGeometry near(SPAposition(1, 1, 0), 256, ePointStyleByType, 0);
    EXPECT_EQ(near.DrawPoints(view, 0, 0), 0);
}

TEST(DsPointGeometryTest, BoxesAreThePointAndAScreenSquare)
{
    CDsPointGeometry g(SPAposition(1, 2, 3), 258, ePointStyleByType, 0);
    SPAbox box;
    ASSERT_TRUE(g.GetBoundBox(box));
    EXPECT_EQ(box.low().x(), 1.0);
    EXPECT_EQ(box.high().z(), 3.0);
    ASSERT_TRUE(g.GetBoundBox(box, 0));
    EXPECT_EQ(box.low().y(), 2.0);
    EXPECT_EQ(box.high().y(), 2.0);

    SDsBox2D b2;
    ASSERT_TRUE(g.GetBoundBox2D(b2));  // size 0: 5 on each side
    EXPECT_EQ(b2.minX, -5);
    EXPECT_EQ(b2.minY, -5);
    EXPECT_EQ(b2.maxX, 5);
    EXPECT_EQ(b2.maxY, 5);

    CDsPointGeometry seven(SPAposition(), -1, EPointStyle(3), 7);
    ASSERT_TRUE(seven.GetBoundBox2D(b2));
    EXPECT_EQ(b2.minX, -3);
    EXPECT_EQ(b2.maxY, 3);

    CDsPointGeometry negative(SPAposition(), -1, EPointStyle(3), -6);  // treated as the default
    ASSERT_TRUE(negative.GetBoundBox2D(b2));
    EXPECT_EQ(b2.maxX, 5);
}

TEST(DsPointGeometryTest, CopiesAndClonesCarryTheFourFields)
{
    CDsPointGeometry g(SPAposition(4, 5, 6), 271, EPointStyle(3), 9);
    g.SetCurrentPoint(SPAposition(7, 8, 9));
    std::unique_ptr<CDsGeometry> clone(g.Clone());
    auto* c = dynamic_cast<CDsPointGeometry*>(clone.get());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetCurrentPoint().x(), 7.0);
    EXPECT_EQ(c->GetPointType(), 271);
    EXPECT_EQ(c->PointStyle(), EPointStyle(8));
    SDsBox2D b2;
    c->GetBoundBox2D(b2);
    EXPECT_EQ(b2.maxX, 4);  // size 9

    CDsPointGeometry assigned;
    assigned = g;
    EXPECT_EQ(assigned.GetCurrentPoint().z(), 9.0);
    EXPECT_EQ(assigned.GetPointType(), 271);
}

TEST(DsPointGeometryTest, DrawingWithoutMarkersDoesNothing)
{
    ASSERT_NE(CDsManager::GetInstance()->GetPointsPalette(), nullptr);
    const HINSTANCE remembered = gUiRememberedResourceHandle;  // the markers' load switches resources
    view3d view;
    CDsPointGeometry g(SPAposition(1, 1, 1), 263, ePointStyleByType, 0);
    g.DrawGl(view, CDsGeometry::eDpPoints, 0, 0, nullptr);
    g.DrawOnTraverse(view, CDsGeometry::eDpPoints, true, 0);
    EXPECT_EQ(view.get_pick_mode(), 0);
    CDsManager::GetInstance()->GetPointsPalette()->ClearMarkers();
    gUiRememberedResourceHandle = remembered;
}

TEST(DsPointGeometryTest, CreatorRegistersTheObjectType)
{
    CDsPartStorage::sm_Type2Cat[61] = 0;
    CDsPointGeometryCreator creator;
    EXPECT_EQ(CDsPartStorage::sm_Type2Cat[61], 2);
}

TEST(DsManagerTest, NumberedFlags)
{
    CDsManager* m = CDsManager::GetInstance();
    ASSERT_EQ(m, CDsManager::GetInstance());
    for (int i = 0; i < CDsManager::kFlagCount; ++i) EXPECT_EQ(m->GetFlag(i), i == 7) << i;
    m->SetFlag(3, true);
    EXPECT_TRUE(m->GetFlag(3));
    m->SetFlag(3, false);
    // Out-of-range numbers are ignored.
    m->SetFlag(19, true);
    m->SetFlag(-1, true);
    EXPECT_FALSE(m->GetFlag(19));
    EXPECT_FALSE(m->GetFlag(-1));
    EXPECT_FALSE(m->GetFlag(1000));
}
