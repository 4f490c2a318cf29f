// Picked items and lists: what a result holds after each constructor, the point-item rule, equality
// and order as a host sorts and compares results, ownership of second items and of list items.
#include "DsFigureList.h"
#include "DsPickedItem.h"

#include "DsGeometry.h"
#include "DsPartStorage.h"
#include "DsTransform.h"
#include "TestResets.h"
#include "VyrObjectId.h"

#include "SpaValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int kPart = 700;
constexpr unsigned char kPointItemType = 8;
constexpr unsigned char kLineType = 150;

// A geometry whose parameter point 32 (the point of a point object) is given.
class CPointGeometry : public CDsGeometry {
public:
    explicit CPointGeometry(const SPAposition& point, bool has = true) : m_point(point), m_has(has) {}
    CDsGeometry* Clone() const override { return new CPointGeometry(m_point, m_has); }
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 0;
        return nullptr;
    }
    bool GetBoundBox(SPAbox&, int) const override { return false; }
    bool HasBoundBox(int) const override { return false; }
    int GetDrawPrimitives(int) const override { return eDpPoints; }
    int Draw(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override { return 0; }
    void DrawGl(view3d&, eDrawPrimitives, int, int, const CDsDrawContext*) override {}
    LONG DrawPoints(view3d&, LONG, int) override { return 0; }
    int GetVertices(eDrawPrimitives, int, float*&, int&, int) override { return -1; }
    bool GetPoint(eParameterPoints which, SPAposition& position, int) const override
    {
        if (which != ePpPoint || !m_has) return false;
        position = m_point;
        return true;
    }

private:
    SPAposition m_point;
    bool m_has;
};

class DsPickedItemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(CDsPartStorage::instance()->CreatePart(kPart), nullptr); }
    void TearDown() override { EXPECT_TRUE(VYR_RESET_FOR_TESTS(CDsPartStorage::ResetForTests)); }

    static CVyrObjectPath PathOf(int id) { return CVyrObjectPath(&id, 1, 1, kPart); }
    static void AddPoint(int id, const SPAposition& point, const CDsTransform* transform = nullptr)
    {
        ASSERT_TRUE(CDsPartStorage::instance()->AddItem(CVyrObjectId(kPart, id), kPointItemType,
                                                        new CPointGeometry(point), transform, nullptr, nullptr,
                                                        nullptr, false));
    }
    static bool IsUnset(const CGmPosition& p) { return p.x() == 1e11 && p.y() == 1e11 && p.z() == 1e11; }
};

// Whether `p` is exactly (x, y, z).
bool At(const SPAposition& p, double x, double y, double z)
{
    return p.x() == x && p.y() == y && p.z() == z;
}

// A stand-in figure: results only compare its address.
CDsFigure* FakeFigure(std::uintptr_t n)
{
    return reinterpret_cast<CDsFigure*>(n * 16);
}

}  // namespace

TEST_F(DsPickedItemTest, EachConstructorFillsTheResultItPromises)
{
    // Default: no path, origin (not the unset position), no point type, no object type.
    const CDsPickedItem empty;
    EXPECT_FALSE(empty.IsValid());
    EXPECT_EQ(empty.GetObjectType(), 255);
    EXPECT_EQ(empty.GetPickedPointType(), -1);
    EXPECT_TRUE(At(*empty.GetPickedPosition(), 0, 0, 0));
    EXPECT_EQ(empty.GetPickedSegmentNumber(), -1);
    EXPECT_EQ(empty.GetUCSHighlightedAxis(), eDsCoordinateNone);

    // A figure: unset position.
    const CDsPickedItem figure(FakeFigure(1));
    EXPECT_TRUE(IsUnset(*figure.GetPickedPosition()));
    EXPECT_EQ(figure.GetFigure(), FakeFigure(1));

    // A path the storage knows: its geometry and type come along.
    ASSERT_TRUE(CDsPartStorage::instance()->AddItem(CVyrObjectId(kPart, 5), kLineType,
                                                    new CPointGeometry(SPAposition(), false), nullptr, nullptr,
                                                    nullptr, nullptr, false));
    const CDsPickedItem known(PathOf(5), SPAposition(1, 2, 3), -1);
    EXPECT_TRUE(known.IsValid());
    EXPECT_TRUE(known.IsEntityItem());
    EXPECT_EQ(known.GetObjectType(), kLineType);
    EXPECT_NE(known.GetGeometry(), nullptr);
    EXPECT_EQ(known.GetObjectPath(), PathOf(5));
    EXPECT_TRUE(At(*known.GetPickedPosition(), 1, 2, 3));

    // Invalid paths: the no-part value, a depth beyond the ids.
    const CDsPickedItem noPart(CVyrObjectPath(), SPAposition(1, 2, 3), -1);
    EXPECT_FALSE(noPart.IsValid());
    EXPECT_EQ(noPart.GetGeometry(), nullptr);
    const int id = 5;
    const CDsPickedItem tooDeep(CVyrObjectPath(&id, 1, 2, kPart), SPAposition(), -1);
    EXPECT_FALSE(tooDeep.IsValid());
    EXPECT_EQ(tooDeep.GetObjectType(), 255);
    // A point type alone makes a result valid.
    EXPECT_TRUE(CDsPickedItem(CVyrObjectPath(), SPAposition(), 272).IsValid());
    // StCreate answers null for an invalid path and a new item for a valid one.
    EXPECT_EQ(CDsPickedItem::StCreate(CVyrObjectPath(), SPAposition(), -1), nullptr);
    std::unique_ptr<CDsPickedItem> created(CDsPickedItem::StCreate(PathOf(5), SPAposition(4, 5, 6), -1));
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetObjectType(), kLineType);
    EXPECT_TRUE(At(*created->GetPickedPosition(), 4, 5, 6));
}

TEST_F(DsPickedItemTest, APointItemBecomesType263AtItsGeometrysPlacedPoint)
{
    // Placed by its own transform (a category that transforms; the reset puts the table back).
    CDsPartStorage::sm_Type2Cat[kPointItemType] = eVyrCatTransformed;
    const CDsTransform moved(translate_transf(SPAvector(10, 0, 0)));
    AddPoint(7, SPAposition(1, 2, 3), &moved);

    // Built without a point type and without a position: its point, moved by its transform.
    const CDsPickedItem fromParts(PathOf(7), nullptr, static_cast<eVyrObjectType>(kPointItemType), -1);
    EXPECT_EQ(fromParts.GetPickedPointType(), 263);
    EXPECT_TRUE(same_point(*fromParts.GetPickedPosition(), SPAposition(11, 2, 3)));
    EXPECT_FALSE(fromParts.IsEntityItem());

    // A given position stays.
    const CDsPickedItem placed(PathOf(7), SPAposition(0, 0, 5), -1);
    EXPECT_EQ(placed.GetPickedPointType(), 263);
    EXPECT_TRUE(At(*placed.GetPickedPosition(), 0, 0, 5));

    // Setting no point type on it makes it 263 again; another type stays.
    CDsPickedItem item(placed);
    item.SetPickedPointType(-1);
    EXPECT_EQ(item.GetPickedPointType(), 263);
    item.SetPickedPointType(256);
    EXPECT_EQ(item.GetPickedPointType(), 256);

    // A path the storage does not know keeps the position unset while the type is already 263.
    const CDsPickedItem unknown(PathOf(99), nullptr, static_cast<eVyrObjectType>(kPointItemType), -1);
    EXPECT_EQ(unknown.GetPickedPointType(), 263);
    EXPECT_TRUE(IsUnset(*unknown.GetPickedPosition()));
}

TEST_F(DsPickedItemTest, EqualityFollowsPointsPathsAndFigures)
{
    CDsPickedItem a(CVyrObjectPath(), SPAposition(1, 1, 1), 256);
    CDsPickedItem b(CVyrObjectPath(), SPAposition(1 + 5e-5, 1, 1), 257);
    EXPECT_TRUE(a == b);  // points 5e-5 apart are the same point, whatever their kinds
    EXPECT_EQ(a != b, 0);
    const CDsPickedItem far(CVyrObjectPath(), SPAposition(1 + 2e-4, 1, 1), 256);
    EXPECT_FALSE(a == far);

    // Two point items at one place on different paths are different results.
    const CDsPickedItem p1(PathOf(1), SPAposition(3, 3, 3), 263);
    const CDsPickedItem p2(PathOf(2), SPAposition(3, 3, 3), 263);
    EXPECT_FALSE(p1 == p2);
    EXPECT_EQ(p1 != p2, 1);
    EXPECT_TRUE(p1 == CDsPickedItem(PathOf(1), SPAposition(3, 3, 3 + 1e-5), 263));

    // Path results: the path decides; a path result never equals a point result.
    EXPECT_TRUE(CDsPickedItem(PathOf(1), SPAposition(), -1) == CDsPickedItem(PathOf(1), SPAposition(9, 9, 9), -1));
    EXPECT_FALSE(CDsPickedItem(PathOf(1), SPAposition(), -1) == CDsPickedItem(PathOf(2), SPAposition(), -1));
    EXPECT_FALSE(CDsPickedItem(PathOf(1), SPAposition(), -1) == p1);
    EXPECT_FALSE(p1 == CDsPickedItem(PathOf(1), SPAposition(3, 3, 3), -1));

    // Figures: the figure decides.
    EXPECT_TRUE(CDsPickedItem(FakeFigure(3)) == CDsPickedItem(FakeFigure(3)));
    EXPECT_FALSE(CDsPickedItem(FakeFigure(3)) == CDsPickedItem(FakeFigure(4)));
    EXPECT_FALSE(CDsPickedItem(FakeFigure(3)) == CDsPickedItem(PathOf(1), SPAposition(), -1));
}

TEST_F(DsPickedItemTest, SortingGivesPointsThenPathsByValueThenFigures)
{
    // Part ids far apart and the no-part value: a sign of their difference would overflow.
    const int one = 1;
    std::vector<CDsPickedItem> items;
    items.emplace_back(FakeFigure(2));
    items.emplace_back(CVyrObjectPath(&one, 1, 1, INT_MAX), SPAposition(), -1);
    items.emplace_back(CVyrObjectPath(), SPAposition(2, 0, 0), 256);
    items.emplace_back(CVyrObjectPath(&one, 1, 1, INT_MIN + 1), SPAposition(), -1);
    items.emplace_back(FakeFigure(1));
    items.emplace_back(CVyrObjectPath(), SPAposition(1, 5, 0), 257);
    items.emplace_back(CVyrObjectPath(&one, 1, 1, 0), SPAposition(), -1);
    std::vector<CDsPickedItem*> order;
    for (CDsPickedItem& item : items) order.push_back(&item);
    std::sort(order.begin(), order.end(), [](const CDsPickedItem* a, const CDsPickedItem* b) { return *a < *b; });

    ASSERT_EQ(order.size(), 7u);
    EXPECT_EQ(order[0]->GetPickedPosition()->x(), 1);  // points first, by x
    EXPECT_EQ(order[1]->GetPickedPosition()->x(), 2);
    EXPECT_EQ(order[2]->GetObjectPath().GetPartId(), INT_MIN + 1);  // then paths by part id value
    EXPECT_EQ(order[3]->GetObjectPath().GetPartId(), 0);
    EXPECT_EQ(order[4]->GetObjectPath().GetPartId(), INT_MAX);
    EXPECT_EQ(order[5]->GetFigure(), FakeFigure(1));  // figures last, by address
    EXPECT_EQ(order[6]->GetFigure(), FakeFigure(2));
    // Strict: nothing is before itself, and the order is antisymmetric.
    for (const CDsPickedItem* a : order) {
        EXPECT_FALSE(*a < *a);
        for (const CDsPickedItem* b : order) EXPECT_FALSE(*a < *b && *b < *a);
    }
}

TEST_F(DsPickedItemTest, CopiesOwnTheirOwnSecondItem)
{
    auto* first = new CDsPickedItem(PathOf(1), SPAposition(1, 0, 0), -1);
    first->SetSecondPickedItem(new CDsPickedItem(PathOf(2), SPAposition(2, 0, 0), -1));
    CDsPickedItem copy(*first);
    ASSERT_NE(copy.GetSecondPickedItem(), nullptr);
    EXPECT_NE(copy.GetSecondPickedItem(), first->GetSecondPickedItem());
    EXPECT_EQ(copy.GetSecondPickedItem()->GetObjectPath(), PathOf(2));
    delete first;  // frees its own second item; the copy's stays usable
    EXPECT_EQ(copy.GetSecondPickedItem()->GetPickedPosition()->x(), 2);

    CDsPickedItem assigned;
    assigned = copy;
    const CDsPickedItem& self = assigned;
    assigned = self;  // assignment to itself changes nothing
    ASSERT_NE(assigned.GetSecondPickedItem(), nullptr);
    EXPECT_EQ(assigned.GetSecondPickedItem()->GetObjectPath(), PathOf(2));
    // Handing over a new second item frees the one held before (checked by the sanitizers).
    assigned.SetSecondPickedItem(new CDsPickedItem(PathOf(3), SPAposition(), -1));
    EXPECT_EQ(assigned.GetSecondPickedItem()->GetObjectPath(), PathOf(3));
    assigned = CDsPickedItem(FakeFigure(1));
    EXPECT_EQ(assigned.GetSecondPickedItem(), nullptr);
}

TEST_F(DsPickedItemTest, AnOwningListCopiesWhatItAddsAndFreesWhatItRemoves)
{
    CDsPickedItemList list;
    EXPECT_TRUE(list.IsOwner());
    EXPECT_EQ(list.GetSize(), 0);
    CDsPickedItem a(PathOf(1), SPAposition(1, 0, 0), -1), b(PathOf(2), SPAposition(), -1),
        c(PathOf(3), SPAposition(), -1);
    list.Add(&a);
    list.Add(&b);
    list.Add(&c);
    list.Add(nullptr);  // nothing
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_NE(list.GetItems()[0], &a);
    a.SetPickedPosition(CGmPosition(7, 7, 7));  // the listed copy does not change
    EXPECT_EQ(list.GetItems()[0]->GetPickedPosition()->x(), 1);

    CDsPickedItemList::iterator where;
    ASSERT_TRUE(list.LookUpItem(&b, &where));
    EXPECT_EQ(*where, list.GetItems()[1]);
    list.Remove(where);
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list.GetItems()[0]->GetObjectPath(), PathOf(1));  // the others keep their order
    EXPECT_EQ(list.GetItems()[1]->GetObjectPath(), PathOf(3));
    EXPECT_FALSE(list.LookUpItem(&b));
    EXPECT_TRUE(list.LookUpItem(&c, nullptr));
    list.Remove(list.end());  // nothing
    EXPECT_EQ(list.GetSize(), 2);

    // A list that does not own its items keeps the pointers and frees none.
    CDsPickedItemList shared(false);
    shared.Add(&a);
    shared.Add(&b);
    EXPECT_EQ(shared.GetItems()[0], &a);
    shared.Remove(shared.begin());
    EXPECT_EQ(a.GetPickedPosition()->x(), 7);  // still alive
    EXPECT_EQ(shared.GetSize(), 1);

    // Copies: an owning copy holds its own items, a shared copy the same pointers.
    const CDsPickedItemList owningCopy(list);
    EXPECT_NE(owningCopy.GetItems()[0], list.GetItems()[0]);
    const CDsPickedItemList sharedCopy(shared);
    EXPECT_EQ(sharedCopy.GetItems()[0], &b);
    CDsPickedItemList assigned(false);
    assigned = list;
    EXPECT_TRUE(assigned.IsOwner());
    EXPECT_EQ(assigned.GetSize(), 2);
    EXPECT_NE(assigned.GetItems()[1], list.GetItems()[1]);
}

TEST_F(DsPickedItemTest, PathListsSkipFiguresAndInvalidPaths)
{
    const std::vector<CVyrObjectPath> paths = {PathOf(1), CVyrObjectPath(), PathOf(2)};
    const CDsPickedItemList fromPaths(paths);
    EXPECT_TRUE(fromPaths.IsOwner());
    ASSERT_EQ(fromPaths.GetSize(), 2);
    EXPECT_TRUE(At(*fromPaths.GetItems()[0]->GetPickedPosition(), 0, 0, 0));

    CDsPickedItemList list;
    CDsPickedItem figure(FakeFigure(1)), point(CVyrObjectPath(), SPAposition(), 272), path(PathOf(3), SPAposition(), -1);
    list.Add(&figure);
    list.Add(&point);
    list.Add(&path);
    std::vector<CVyrObjectPath> out = {PathOf(9)};  // appended to, never cleared
    list.GetList(out);
    EXPECT_EQ(out, (std::vector<CVyrObjectPath>{PathOf(9), PathOf(3)}));

    // Both lists: the figure into a new figure list, the valid path into the vector.
    std::vector<CVyrObjectPath> both;
    CDsFigureList* figures = reinterpret_cast<CDsFigureList*>(1);  // replaced whatever it held
    list.GetLists(both, figures);
    ASSERT_NE(figures, nullptr);
    EXPECT_EQ(figures->size(), 1);
    EXPECT_EQ((*figures)[0], figure.GetFigure());
    EXPECT_EQ(both, (std::vector<CVyrObjectPath>{PathOf(3)}));
    delete figures;
    const CDsPickedItemList noFigures(paths);
    noFigures.GetLists(both, figures);
    EXPECT_EQ(figures, nullptr);
}
