// The tool context: its document and object path, and the current context that never outlives
// the object it points to.
#include "VyrUiToolContext.h"

#include <gtest/gtest.h>

namespace {

TEST(UiToolContextTest, AContextKeepsItsDocumentAndPath) {
    CVyrUiToolContext none;
    EXPECT_FALSE(none.GetDocument().IsValid());
    EXPECT_TRUE(none.GetObjectPathIds().empty());
    EXPECT_EQ(none.GetObjectPathDepth(), 0);
    EXPECT_EQ(none.GetObjectPathPartId(), CVyrUiToolContext::kNoPart);

    CVyrUiToolContext context(CVyrRunTimeDocId(4));
    context.SetObjectPath({7, 12, 3}, 1, 4);
    EXPECT_EQ(context.GetDocument(), CVyrRunTimeDocId(4));
    EXPECT_EQ(context.GetObjectPathIds(), (std::vector<int>{7, 12, 3}));
    EXPECT_EQ(context.GetObjectPathDepth(), 1);
    EXPECT_EQ(context.GetObjectPathPartId(), 4);
    const CVyrUiToolContext copy(context);
    EXPECT_EQ(copy.GetObjectPathIds(), context.GetObjectPathIds());
    EXPECT_EQ(copy.GetDocument(), context.GetDocument());
}

TEST(UiToolContextTest, TheCurrentContextEndsWithItsObject) {
    ASSERT_EQ(CVyrUiToolContext::StGetCurrent(), nullptr);
    {
        CVyrUiToolContext context(CVyrRunTimeDocId(1));
        CVyrUiToolContext::StSetCurrent(&context);
        EXPECT_EQ(CVyrUiToolContext::StGetCurrent(), &context);
        CVyrUiToolContext copy(context);
        copy = context;
        EXPECT_EQ(CVyrUiToolContext::StGetCurrent(), &context);  // a copy does not take over
    }
    EXPECT_EQ(CVyrUiToolContext::StGetCurrent(), nullptr);

    CVyrUiToolContext kept;
    CVyrUiToolContext::StSetCurrent(&kept);
    CVyrUiToolContext::StSetCurrent(nullptr);
    EXPECT_EQ(CVyrUiToolContext::StGetCurrent(), nullptr);
}

}  // namespace
