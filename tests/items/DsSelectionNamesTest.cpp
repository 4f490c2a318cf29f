// The registry of selection names: a name per live item, never 0, the same for the item's life,
// turned back into the item, and forgotten with it, so that a stale hit record reaches nothing.
#include "DsItemsGroup.h"
#include "DsSelectionNames.h"

#include <gtest/gtest.h>

#include <memory>

TEST(DsSelectionNamesTest, EveryLiveItemHasItsOwnNameUntilItGoes)
{
    const int before = CDsSelectionNames::StGetCount();
    auto first = std::make_unique<CDsItemsGroup>(nullptr, nullptr);
    auto second = std::make_unique<CDsItemsGroup>(nullptr, nullptr);
    const GLuint a = CDsSelectionNames::StGetName(first.get());
    const GLuint b = CDsSelectionNames::StGetName(second.get());
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(CDsSelectionNames::StGetName(first.get()), a);
    EXPECT_EQ(CDsSelectionNames::StFindItem(a), first.get());
    EXPECT_EQ(CDsSelectionNames::StFindItem(b), second.get());
    EXPECT_EQ(CDsSelectionNames::StGetCount(), before + 2);

    // Null has no name, 0 names nothing.
    EXPECT_EQ(CDsSelectionNames::StGetName(nullptr), 0u);
    EXPECT_EQ(CDsSelectionNames::StFindItem(0), nullptr);

    // An item that goes takes its name along; the name may serve another item later.
    first.reset();
    EXPECT_EQ(CDsSelectionNames::StFindItem(a), nullptr);
    EXPECT_EQ(CDsSelectionNames::StGetCount(), before + 1);
    auto third = std::make_unique<CDsItemsGroup>(nullptr, nullptr);
    const GLuint c = CDsSelectionNames::StGetName(third.get());
    EXPECT_NE(c, b);
    EXPECT_EQ(CDsSelectionNames::StFindItem(c), third.get());
    CDsSelectionNames::StForget(third.get());
    CDsSelectionNames::StForget(third.get());  // twice: nothing more
    EXPECT_EQ(CDsSelectionNames::StFindItem(c), nullptr);
    EXPECT_EQ(CDsSelectionNames::StFindItem(b), second.get());
    second.reset();
    EXPECT_EQ(CDsSelectionNames::StGetCount(), before);
}
