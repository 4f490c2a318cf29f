// The line-attribute manager's commands on picked items: each listed path's item in the scene
// database gets the value, and nothing happens without a rendering context.
#include "DsColorStorage.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsLineAttribManager.h"
#include "DsLineAttribStorage.h"
#include "DsPartStorage.h"
#include "DsPickedItem.h"
#include "DsScene.h"
#include "VyrObjectId.h"

#include "ViewStaticsGuard.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr unsigned char kLineType = 150;

class LineAttribPickedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int id : {1, 2})
            ASSERT_TRUE(CDsPartStorage::instance()->AddItem(CVyrObjectId(Peer(), id), kLineType, nullptr, nullptr,
                                                            nullptr, nullptr, nullptr, false));
        manager_.SetRenderingContext(&context_);
    }
    void TearDown() override { CDsPartStorage::instance()->RemovePart(Peer()); }

    int Peer() { return context_.GetScene()->GetDbScene().GetPeerPartId(); }
    CVyrObjectPath PathOf(int id) { return CVyrObjectPath(&id, 1, 1, Peer()); }
    CDsAttributes AttributesOf(int id)
    {
        SItemInfo info;
        EXPECT_TRUE(CDsPartStorage::instance()->GetItemInfo(PathOf(id), nullptr, info));
        return info.m_attributes;
    }
    // A list of item 1, a path the database does not know and a point result.
    CDsPickedItemList ListOfFirst()
    {
        CDsPickedItemList list;
        CDsPickedItem first(PathOf(1), SPAposition(), -1), unknown(PathOf(42), SPAposition(), -1),
            point(CVyrObjectPath(), SPAposition(), 272);
        list.Add(&first);
        list.Add(&unknown);
        list.Add(&point);
        return list;
    }

    vyrtest::ViewStaticsGuard statics_;
    CDsGlContext context_;
    CDsLineAttribManager manager_;
};

}  // namespace

TEST_F(LineAttribPickedTest, ColourStyleAndWidthReachTheListedItemsOnly)
{
    const CDsPickedItemList list = ListOfFirst();
    const CDsColorStorage red(0x0000FF);
    manager_.ApplyColor(&list, false, &red);
    manager_.ApplyStyle(&list, false, 3);
    manager_.ApplyWidth(&list, false, 4);
    const CDsAttributes first = AttributesOf(1);
    EXPECT_TRUE(first.IsSet(CDsAttributes::eFieldColor | CDsAttributes::eFieldLineStyle | CDsAttributes::eFieldLineWidth));
    EXPECT_EQ(first.GetColor(), 0x0000FFu);
    EXPECT_EQ(first.GetLineStyle(), 3);
    EXPECT_EQ(first.GetLineWidth(), 4);
    EXPECT_FALSE(first.IsSet(CDsAttributes::eFieldTransparency));  // only the values given
    EXPECT_TRUE(AttributesOf(2).IsEmpty());
    EXPECT_FALSE(context_.GetDisplaySuspensionMode());  // the suspension ended
}

TEST_F(LineAttribPickedTest, AllAttributesAtOnceAndNothingWithoutAContext)
{
    const CDsPickedItemList list = ListOfFirst();
    CDsLineAttribStorage look;
    look.SetColor(CDsColorStorage(0x00FF00));
    look.SetWidth(2);
    manager_.ApplyAttributes(&list, false, &look);
    const CDsAttributes first = AttributesOf(1);
    EXPECT_EQ(first.GetColor(), 0x00FF00u);
    EXPECT_EQ(first.GetLineWidth(), 2);
    EXPECT_TRUE(first.IsSet(CDsAttributes::eFieldTransparency | CDsAttributes::eFieldRenderMode));

    CDsLineAttribManager detached;
    const CDsColorStorage blue(0xFF0000);
    detached.ApplyColor(&list, false, &blue);
    detached.ApplyWidth(&list, false, 7);
    EXPECT_EQ(AttributesOf(1).GetColor(), 0x00FF00u);
    EXPECT_EQ(AttributesOf(1).GetLineWidth(), 2);
    manager_.ApplyColor(nullptr, false, &blue);  // no list, no colour: nothing
    manager_.ApplyColor(&list, false, nullptr);
    manager_.ApplyAttributes(&list, false, nullptr);
    EXPECT_EQ(AttributesOf(1).GetColor(), 0x00FF00u);
}
