// The entity-to-item index of a context: top-level and sub-entities, replacing, closing, listing.
#include "DsItemsMap.h"

#include "SpaBuilders.h"
#include "acis.h"

#include "EntityDeleter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace {

using vyrtest::EntityPtr;

// Items are only stored, never used: distinct addresses stand for them.
CDsItemBase* Item(int n) { return reinterpret_cast<CDsItemBase*>(static_cast<uintptr_t>(0x1000 * n)); }

// A filter that refuses everything.
class CRefuseAll : public entity_filter {
public:
    int test(ENTITY*) const override { return 0; }
};

class DsItemsMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        body.reset(make_block(0, 0, 0, 1, 1, 1));
        ASSERT_NE(nullptr, body);
        ENTITY_LIST faces;
        get_faces(body.get(), faces);
        ASSERT_GE(faces.count(), 2);
        face = faces[0];
        otherFace = faces[1];
    }

    EntityPtr body;
    ENTITY* face = nullptr;
    ENTITY* otherFace = nullptr;
    CDsItemsMap map{reinterpret_cast<CDsGlContext*>(0x42)};
};

}  // namespace

TEST_F(DsItemsMapTest, FindsTopLevelAndSubEntitiesAndKeepsTheLastItem) {
    EXPECT_EQ(reinterpret_cast<CDsGlContext*>(0x42), map.GetOwner());
    EXPECT_EQ(nullptr, map.Find(face));
    map.Add(body.get(), Item(1));
    map.Add(face, Item(2));
    EXPECT_EQ(Item(1), map.Find(body.get()));
    EXPECT_EQ(Item(2), map.Find(face));
    EXPECT_EQ(nullptr, map.Find(otherFace));
    EXPECT_EQ(nullptr, map.Find(nullptr));

    map.Add(face, Item(3));
    EXPECT_EQ(Item(3), map.Find(face));
    map.Add(nullptr, Item(4));
    EXPECT_EQ(nullptr, map.Find(nullptr));
}

TEST_F(DsItemsMapTest, RemoveForgetsUnlessTheContextIsClosing) {
    map.Add(body.get(), Item(1));
    map.Add(face, Item(2));
    map.Add(otherFace, Item(3));
    map.Remove(face);
    map.Remove(face);  // a missing entity is no error
    EXPECT_EQ(nullptr, map.Find(face));
    EXPECT_EQ(Item(1), map.Find(body.get()));

    map.SetClosing(true);
    EXPECT_TRUE(map.IsClosing());
    map.Remove(otherFace);
    map.Remove(body.get());
    EXPECT_EQ(Item(3), map.Find(otherFace));
    EXPECT_EQ(Item(1), map.Find(body.get()));
}

TEST_F(DsItemsMapTest, AnEntityJustFoundIsAnsweredAnewAfterEachChange) {
    map.Add(body.get(), Item(1));
    map.Add(face, Item(2));
    for (int round = 0; round < 2; ++round) {  // asked twice in a row, as a host drawing a body does
        EXPECT_EQ(Item(2), map.Find(face));
        EXPECT_EQ(Item(2), map.Find(face));
        map.Remove(face);
        EXPECT_EQ(nullptr, map.Find(face));
        EXPECT_EQ(nullptr, map.Find(face));
        map.Add(face, Item(2));
    }
    EXPECT_EQ(Item(1), map.Find(body.get()));
    map.Add(body.get(), Item(5));
    EXPECT_EQ(Item(5), map.Find(body.get()));
    EXPECT_EQ(Item(2), map.Find(face));
    map.Remove(body.get());
    EXPECT_EQ(nullptr, map.Find(body.get()));
}

TEST_F(DsItemsMapTest, GetEntitiesListsTopLevelFirstAndHonoursTheFilter) {
    map.Add(face, Item(2));
    map.Add(body.get(), Item(1));

    ENTITY_LIST topLevel;
    map.GetEntities(topLevel, nullptr, true);
    ASSERT_EQ(1, topLevel.count());
    EXPECT_EQ(body.get(), topLevel[0]);

    ENTITY_LIST all;
    map.GetEntities(all, nullptr, false);
    ASSERT_EQ(2, all.count());
    EXPECT_EQ(body.get(), all[0]);
    EXPECT_EQ(face, all[1]);

    CRefuseAll* refuse = new CRefuseAll;
    ENTITY_LIST none;
    map.GetEntities(none, refuse, false);
    EXPECT_EQ(0, none.count());
    refuse->lose();

    map.Trace();  // a debugging aid: the map is unchanged
    EXPECT_EQ(Item(2), map.Find(face));
}
