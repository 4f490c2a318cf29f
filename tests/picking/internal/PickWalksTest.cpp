// The region and select-all functor without OpenGL: the select-all walk settles its records
// (containers against their children by the domain's ranks), the acceptance by type mask, scope,
// id bound, id range and the host's test, and the region driver's section groups.
#include "DsPickWalks.h"

#include "../PickFixture.h"
#include "../../scene_db/SceneTestSupport.h"

#include "DsPartStorage.h"
#include "DsScene.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using picktest::Line;
using picktest::MaskOf;

namespace {

constexpr int kScene = 900;
constexpr unsigned char kGroup = 160;  // category 5: a container
constexpr unsigned char kLeaf = 161;
constexpr unsigned char kBare = 162;

// A container's geometry that draws nothing and connects one owner id.
class COwnerGeometry : public picktest::CShapeGeometry {
public:
    explicit COwnerGeometry(int owner) : CShapeGeometry(0, {}), m_owner(owner) {}
    const int* GetConnectedItems(unsigned int& count, int) const override
    {
        count = 1;
        return &m_owner;
    }

private:
    int m_owner;
};

// A test that refuses one id.
class CRefuse : public CDsPickTestFunc {
public:
    explicit CRefuse(int id) : m_id(id) {}
    bool Test(const CVyrObjectPath& path, const CDsGeometry*, eVyrObjectType, eVyrParamPointType) override
    {
        ++calls;
        return path.GetLastId() != m_id;
    }
    int calls = 0;

private:
    int m_id;
};

// The scene: group 10 (leaves 11, 12, 13), group 50 (leaf 51), leaf 20, leaf 30 with nothing to
// draw, and a hidden leaf 40.
class PickWalksTest : public CSceneDbTest {
protected:
    void SetUp() override
    {
        CDsPartStorage::sm_Type2Cat[kGroup] = eVyrCatTransformed;
        CDsPartStorage* storage = CDsPartStorage::instance();
        const int peer = scene_.GetPeerPartId();
        storage->AddItem(CVyrObjectId(peer, 10), kGroup, nullptr, nullptr, nullptr, nullptr, nullptr, false);
        for (int id : {11, 12, 13})
            storage->AddChildItem(CVyrObjectId(peer, 10), id, kLeaf, Line(id, 0, id + 1, 0, 0), nullptr, nullptr, false);
        storage->AddItem(CVyrObjectId(peer, 50), kGroup, nullptr, nullptr, nullptr, nullptr, nullptr, false);
        storage->AddChildItem(CVyrObjectId(peer, 50), 51, kLeaf, Line(0, 5, 1, 5, 0), nullptr, nullptr, false);
        storage->AddItem(CVyrObjectId(peer, 20), kLeaf, Line(0, 2, 1, 2, 0), nullptr, nullptr, nullptr, nullptr, false);
        storage->AddItem(CVyrObjectId(peer, 30), kBare, new picktest::CShapeGeometry(0, {}), nullptr, nullptr, nullptr,
                         nullptr, false);
        CDsAttributes hidden;
        hidden.SetHideLevel(2);
        storage->AddItem(CVyrObjectId(peer, 40), kLeaf, Line(0, 3, 1, 3, 0), nullptr, &hidden, nullptr, nullptr, false);
        scene_.SetCurrentView(nullptr);
    }

    // The paths' last ids of a select-all walk over `domain`.
    std::vector<std::vector<int>> SelectAll(const std::vector<CDsTypeMask>& domain, CDsPickTestFunc* test = nullptr,
                                            const TDsPickIdRanges* ranges = nullptr, int bound = 0x7FFFFFFF,
                                            const std::vector<CVyrObjectPath>* scope = nullptr, bool anyDepth = false)
    {
        std::vector<SDsRegionPickResult> results;
        {
            CDsRegionPickFunctor functor(nullptr, eDsRegionSelectAll, SDsPickRect(), domain, results, test, ranges,
                                         bound, scope, anyDepth);
            DsSelectAllWalk(CDsPartStorage::instance(), &scene_, functor);
            EXPECT_TRUE(functor.GetRecords().empty());
        }
        std::vector<std::vector<int>> ids;
        for (const SDsRegionPickResult& r : results) {
            std::vector<int> path;
            for (int i = 0; i < r.path.GetSize(); ++i) path.push_back(r.path.GetId(i));
            ids.push_back(path);
        }
        return ids;
    }
    CVyrObjectPath PathOf(std::vector<int> ids) const
    {
        return CVyrObjectPath(ids.data(), static_cast<int>(ids.size()), static_cast<int>(ids.size()),
                              scene_.GetPeerPartId());
    }

    CDsScene scene_{kScene};
};

using Ids = std::vector<std::vector<int>>;

}  // namespace

TEST_F(PickWalksTest, SelectAllSettlesContainersAgainstTheirChildrenByRank)
{
    // One mask for all: equal ranks; a group with several selected children stands for them, one
    // with a single selected child yields to it. Items without primitives and hidden items drop out.
    EXPECT_EQ(SelectAll({MaskOf({kGroup, kLeaf, kBare})}), (Ids{{10}, {50, 51}, {20}}));
    // Leaves rank first: the children stay and the groups go.
    EXPECT_EQ(SelectAll({MaskOf({kLeaf}), MaskOf({kGroup})}), (Ids{{10, 11}, {10, 12}, {10, 13}, {50, 51}, {20}}));
    // Groups rank first: the groups stay and suppress their children.
    EXPECT_EQ(SelectAll({MaskOf({kGroup}), MaskOf({kLeaf})}), (Ids{{10}, {50}, {20}}));
    // Without the group type only the leaves are recorded.
    EXPECT_EQ(SelectAll({MaskOf({kLeaf})}), (Ids{{10, 11}, {10, 12}, {10, 13}, {50, 51}, {20}}));
}

TEST_F(PickWalksTest, AcceptanceByScopeIdBoundIdRangeAndTheHostsTest)
{
    const std::vector<CDsTypeMask> leaves = {MaskOf({kLeaf})};
    // Scope: under group 10 only.
    const std::vector<CVyrObjectPath> scope = {PathOf({10})};
    EXPECT_EQ(SelectAll(leaves, nullptr, nullptr, 0x7FFFFFFF, &scope, true), (Ids{{10, 11}, {10, 12}, {10, 13}}));
    // Id bound.
    EXPECT_EQ(SelectAll(leaves, nullptr, nullptr, 12), (Ids{{10, 11}, {10, 12}}));
    // Id ranges: items of the part by the part's key; an entry without pairs admits nothing; the
    // children of group 10 have no owner (key 0) and pass.
    TDsPickIdRanges ranges(1);
    ranges[0].key = scene_.GetPeerPartId();
    ranges[0].ranges = {{20, 25}};
    EXPECT_EQ(SelectAll(leaves, nullptr, &ranges), (Ids{{10, 11}, {10, 12}, {10, 13}, {50, 51}, {20}}));
    ranges[0].ranges.clear();
    EXPECT_EQ(SelectAll(leaves, nullptr, &ranges), (Ids{{10, 11}, {10, 12}, {10, 13}, {50, 51}}));
    // The host's test refuses one item.
    CRefuse refuse(12);
    EXPECT_EQ(SelectAll(leaves, &refuse), (Ids{{10, 11}, {10, 13}, {50, 51}, {20}}));
    EXPECT_GT(refuse.calls, 0);
}

TEST_F(PickWalksTest, AnOwnerItemKeysTheIdRangesOfItsChildren)
{
    // Group 60 (category 5) connects owner 77; its children are admitted by 77's ranges.
    CDsPartStorage* storage = CDsPartStorage::instance();
    const int peer = scene_.GetPeerPartId();
    storage->AddItem(CVyrObjectId(peer, 60), kGroup, new COwnerGeometry(77), nullptr, nullptr, nullptr, nullptr, false);
    for (int id : {61, 62})
        storage->AddChildItem(CVyrObjectId(peer, 60), id, kLeaf, Line(0, 7, 1, 7, 0), nullptr, nullptr, false);
    TDsPickIdRanges ranges(1);
    ranges[0].key = 77;
    ranges[0].ranges = {{62, 62}};
    const Ids found = SelectAll({MaskOf({kLeaf})}, nullptr, &ranges);
    EXPECT_NE(std::find(found.begin(), found.end(), std::vector<int>{60, 62}), found.end());
    EXPECT_EQ(std::find(found.begin(), found.end(), std::vector<int>{60, 61}), found.end());
}

TEST_F(PickWalksTest, SectionGroupsWalkThePeerPartOncePerGroupThenBothPartsUnclipped)
{
    std::vector<std::pair<int, bool>> switched;
    SDsPickSection section;
    section.groupCount = 2;
    section.switchGroup = [&](int group, bool on) { switched.emplace_back(group, on); };
    std::vector<SDsRegionPickResult> results;
    const std::vector<CDsTypeMask> domain = {MaskOf({kLeaf})};
    {
        CDsRegionPickFunctor functor(nullptr, eDsRegionSelectAll, SDsPickRect(), domain, results, nullptr, nullptr,
                                     0x7FFFFFFF, nullptr, false);
        DsRegionPickDriver(functor, &scene_, {}, nullptr, &section);
    }
    EXPECT_EQ(switched, (std::vector<std::pair<int, bool>>{{0, true}, {0, false}, {1, true}, {1, false}}));
    // Five leaves per walk of the peer part, three walks of it; the temporary part is empty.
    EXPECT_EQ(results.size(), 15u);

    // A path list: only the listed subtree.
    results.clear();
    {
        CDsRegionPickFunctor functor(nullptr, eDsRegionSelectAll, SDsPickRect(), domain, results, nullptr, nullptr,
                                     0x7FFFFFFF, nullptr, false);
        DsRegionPickDriver(functor, &scene_, {PathOf({50})}, nullptr, nullptr);
    }
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].path.GetLastId(), 51);
    EXPECT_EQ(results[0].type, kLeaf);
    EXPECT_NE(results[0].geometry, nullptr);
}
