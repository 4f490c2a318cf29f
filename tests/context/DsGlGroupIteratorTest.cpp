// The cursor over a context's pickable items: hidden items never come out; the pick manager's
// entity filter decides unless its switch or the caller turns filtering off; an item whose entity
// fails the filter comes out when its slave attribute names an owner that passes; an item without
// an entity never meets the filter.
#include "DsGlContext.h"
#include "DsGlGroupIterator.h"
#include "DsGlScene.h"
#include "DsHideLevel.h"
#include "DsItemsBody.h"
#include "DsItemsGroup.h"

#include "EntityDeleter.h"
#include "SpaBuilders.h"
#include "SpaFilters.h"
#include "VyrAttrBase.h"
#include "pick_manager.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

// Accepts the entities it lists and counts the entities it is asked about (never null).
class ListFilter : public entity_filter {
public:
    int test(ENTITY* entity) const override
    {
        EXPECT_NE(entity, nullptr);
        ++asked;
        return accepted.count(entity) ? 1 : 0;
    }
    std::set<ENTITY*> accepted;
    mutable int asked = 0;
};

class DsGlGroupIteratorTest : public ::testing::Test {
protected:
    DsGlGroupIteratorTest()
    {
        for (int i = 0; i < 5; ++i) bodies_[i].reset(make_block(i, 0, 0, i + 1, 1, 1));
    }
    ~DsGlGroupIteratorTest() override { filter_->lose(); }

    // The body group the context makes for body `i`.
    CDsItemsGroup* File(int i)
    {
        context_.add(bodies_[i].get());
        return context_.FindDsBody(bodies_[i].get());
    }
    // Everything an iterator hands out, moving on after each.
    static std::vector<CDsItemBase*> All(CDsGlGroupIterator& iterator)
    {
        std::vector<CDsItemBase*> out;
        for (CDsItemBase* item = iterator.Begin(); item; item = (iterator.Advance(), iterator.Next())) out.push_back(item);
        return out;
    }

    vyrtest::BodyPtr bodies_[5];
    ListFilter* filter_ = new ListFilter;
    CDsGlContext context_;
};

}  // namespace

TEST_F(DsGlGroupIteratorTest, NothingPickableGivesNothing)
{
    CDsGlGroupIterator empty(&context_, nullptr, 1);
    EXPECT_EQ(empty.Begin(), nullptr);
    EXPECT_EQ(empty.Next(), nullptr);
    CDsGlGroupIterator none(nullptr, nullptr, 1);
    EXPECT_EQ(none.Begin(), nullptr);
}

TEST_F(DsGlGroupIteratorTest, TheFilterHidesRejectedItemsUnlessTheirOwnerPassesOrFilteringIsOff)
{
    CDsItemsGroup* passing = File(0);
    CDsItemsGroup* rejected = File(1);
    CDsItemsGroup* slave = File(2);
    CDsItemsGroup* hidden = File(3);
    CDsItemsGroup* noEntity = File(4);
    noEntity->DetachEntity(0);
    ASSERT_EQ(noEntity->GetEntity(), nullptr);
    hidden->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
    // Body 2 is a slave of body 0, which passes.
    new CVyrEntSlave(bodies_[2].get(), bodies_[0].get());
    filter_->accepted = {bodies_[0].get(), bodies_[3].get()};
    pick_manager manager(pick_method_point, 0, filter_, nullptr, nullptr);

    CDsGlGroupIterator iterator(&context_, &manager, 1);
    EXPECT_EQ(iterator.GetItems().size(), 4u);  // the scene offers what is not hidden
    EXPECT_EQ(All(iterator), (std::vector<CDsItemBase*>{passing, slave}));
    EXPECT_GT(filter_->asked, 0);

    // Next stays on an acceptable item until the caller moves on.
    EXPECT_EQ(iterator.Begin(), passing);
    EXPECT_EQ(iterator.Next(), passing);
    iterator.Advance();
    EXPECT_EQ(iterator.Next(), slave);

    // Filtering switched off by the caller: every item that is not hidden.
    iterator.SetEntityFilteringEnabled(false);
    EXPECT_EQ(All(iterator), (std::vector<CDsItemBase*>{passing, rejected, slave, noEntity}));
    iterator.SetEntityFilteringEnabled(true);

    // The pick manager's switch: the same, though a filter exists.
    manager.set_filter_switch(1);
    CDsGlGroupIterator unfiltered(&context_, &manager, 1);
    EXPECT_EQ(All(unfiltered), (std::vector<CDsItemBase*>{passing, rejected, slave, noEntity}));

    // Without a pick manager: no filter.
    CDsGlGroupIterator plain(&context_, nullptr, 1);
    EXPECT_EQ(All(plain).size(), 4u);
}

TEST_F(DsGlGroupIteratorTest, AHiddenItemNeverComesOutNotEvenAlone)
{
    CDsItemsGroup* group = File(0);
    CDsGlGroupIterator single(group);
    EXPECT_EQ(single.Begin(), group);
    EXPECT_EQ(single.GetContext(), nullptr);
    group->SetAttribute(CDsHideLevel(eDsHideLevelBlank), true, false);
    EXPECT_EQ(single.Begin(), nullptr);
    single.SetEntityFilteringEnabled(false);
    EXPECT_EQ(single.Begin(), nullptr);
}
