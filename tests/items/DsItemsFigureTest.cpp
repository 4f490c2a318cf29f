// The figure group without OpenGL: its type, the entity it keeps, children that stay while a
// figure owns it, and the polyline and text it answers for its first children.
#include "DsItemPolyline3D.h"
#include "DsItemsFigure.h"
#include "EntityDeleter.h"
#include "GmPosition.h"

#include "SpaBuilders.h"
#include "SpaEntity.h"

#include <gtest/gtest.h>

#include <memory>

using vyrtest::EntityPtr;

namespace {

// A figure group whose children the test adds and removes.
class TestFigureGroup : public CDsItemsFigure {
public:
    using CDsItemsGroup::Add;
    using CDsItemsFigure::Remove;
};

CDsItemPolyline3D* Line(double x0, double x1)
{
    const SPAposition points[2] = {SPAposition(x0, 0, 0), SPAposition(x1, 0, 0)};
    return new CDsItemPolyline3D(2, points, false, nullptr);
}

}  // namespace

TEST(DsItemsFigureTest, AFigureKeepsItsEntityAndItsItemsWhileOwned)
{
    EntityPtr body(make_block(0, 0, 0, 1, 1, 1));
    TestFigureGroup group;
    EXPECT_EQ(group.GetItemType(), eDsItemsFigure);
    EXPECT_EQ(group.GetDrawMode(), eDsDrawModeNormal);
    EXPECT_FALSE(group.IsDrawn());
    group.SetEntity(body.get());
    group.SetEntity(nullptr);  // a null entity changes nothing
    EXPECT_EQ(group.GetEntity(), body.get());

    CDsItemPolyline3D* first = Line(-1, 1);
    CDsItemPolyline3D* second = Line(2, 3);
    group.Add(first);
    group.Add(second);

    // While a figure owns the group, its items cannot be taken out one by one.
    int owner = 0;
    group.SetFigure(reinterpret_cast<CDsFigure*>(&owner));
    EXPECT_FALSE(group.Remove(second));
    EXPECT_EQ(group.Count(), 2);
    group.SetFigure(nullptr);
    EXPECT_TRUE(group.Remove(second));
    EXPECT_EQ(group.Count(), 1);

    int count = 0;
    std::unique_ptr<CGmPosition[]> points(group.GetTransformedPolyline(count, nullptr));
    ASSERT_TRUE(points);
    EXPECT_EQ(count, 2);
    EXPECT_DOUBLE_EQ(points[0].x(), -1.0);
    EXPECT_EQ(group.FindTextItem(), nullptr);  // polylines are no text

    TestFigureGroup empty;
    count = 7;
    EXPECT_EQ(empty.GetTransformedPolyline(count, nullptr), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(empty.FindTextItem(), nullptr);
}
