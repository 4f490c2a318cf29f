// Edge picks of wire bodies a host shows, one of them marked not pickable: the region's edges and
// the nearest-point snap (which gathers its edges through the region pick) leave it out, unless
// the processor lets items that are not pickable be picked.
#include "DsAcisPick.h"
#include "DsPickProccessor.h"
#include "DsRefPoint.h"
#include "HostFixture.h"
#include "UiPickEvent.h"
#include "VyrAcisExt.h"

#include "SpaBuilders.h"
#include "SpaEntity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using vyrtest::ViewSetup;

namespace {

// Two wire lines seen from above: y = 10 (pickable) and y = -10 (marked not pickable), x from -30
// to 30; a hundred model units over the window.
class PickWireEdgesGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(100, 100).Clip(1, 300));
        const SPAposition upper[] = {SPAposition(-30, 10, 0), SPAposition(30, 10, 0)};
        const SPAposition lower[] = {SPAposition(-30, -10, 0), SPAposition(30, -10, 0)};
        pickable_ = host_->Show(make_wire_body(upper, 2));
        BODY* locked = make_wire_body(lower, 2);
        ASSERT_TRUE(VyrAcisExt::SetEntityPickable(locked, false));
        locked_ = host_->Show(locked);
        ASSERT_NE(pickable_, nullptr);
        ASSERT_NE(locked_, nullptr);
        host_->Refresh();
    }
    void TearDown() override
    {
        host_->Context().SetPickProccessorFlag(eDsPickStateNotPickableItems, false);
        HostTest::TearDown();
    }
    // The bodies whose edges the region edge pick over the whole window gathers.
    std::vector<ENTITY*> RegionOwners()
    {
        std::vector<ENTITY*> owners;
        for (ENTITY* owner : host_->RegionEdges(2, 2, 97, 97)) {
            while (owner && owner->owner()) owner = owner->owner();
            if (std::find(owners.begin(), owners.end(), owner) == owners.end()) owners.push_back(owner);
        }
        return owners;
    }
    // Whether the nearest-point snap at the pixel of `p` answers a point.
    bool SnapsAt(const SPAposition& p)
    {
        return host_->SnapAt(p, {267}) != nullptr;
    }

    BODY* pickable_ = nullptr;
    BODY* locked_ = nullptr;
};

}  // namespace

TEST_F(PickWireEdgesGLTest, AWireBodyMarkedNotPickableGivesNoEdgesToEdgePicks)
{
    const SPAposition onPickable(5, 10, 0), onLocked(5, -10, 0);
    // The region's edges and the snap that gathers its edges through them leave the locked one out.
    EXPECT_EQ(RegionOwners(), std::vector<ENTITY*>{pickable_});
    EXPECT_TRUE(SnapsAt(onPickable));
    EXPECT_FALSE(SnapsAt(onLocked));

    // With items that are not pickable let in, it gives its edges everywhere.
    host_->Context().SetPickProccessorFlag(eDsPickStateNotPickableItems, true);
    EXPECT_EQ(RegionOwners(), (std::vector<ENTITY*>{pickable_, locked_}));
    EXPECT_TRUE(SnapsAt(onLocked));
    EXPECT_EQ(host_->View().get_pick_mode(), 0);
}
