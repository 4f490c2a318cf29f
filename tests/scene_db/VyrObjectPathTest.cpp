// Object paths as the core makes them: defaults, copies, and full paths from short ones.
#include "VyrObjectPath.h"

#include <gtest/gtest.h>

TEST(ObjectPathTest, DefaultPathsAreEmptyAndHaveNoPart) {
    const CVyrObjectPath path;
    EXPECT_EQ(0, path.GetIds().GetLength());
    EXPECT_EQ(3, path.GetIds().GetCapacity());
    EXPECT_EQ(0, path.GetIds().GetData()[0]);
    EXPECT_EQ(0, path.GetDepth());
    EXPECT_EQ(static_cast<int>(0x80000000u), path.GetPartId());

    const CVyrShortObjectPath shortPath;
    EXPECT_TRUE(shortPath.GetIds().IsEmpty());
    EXPECT_EQ(0, shortPath.GetDepth());
}

TEST(ObjectPathTest, IdsMoveToTheHeapFromTheFourthAndCopiesAreIndependent) {
    CVyrObjectPath path;
    for (int id = 1; id <= 3; ++id) path.AddId(id);
    EXPECT_EQ(3, path.GetIds().GetCapacity());
    path.AddId(4);
    EXPECT_GE(path.GetIds().GetCapacity(), 4);
    path.SetDepth(2);
    path.SetPartId(9);

    CVyrObjectPath copy(path);
    EXPECT_EQ(path, copy);
    copy.AddId(5);
    EXPECT_EQ(4, path.GetSize());
    EXPECT_EQ(0, path.GetIds().GetData()[4]);

    CVyrObjectPath assigned;
    assigned = copy;
    EXPECT_EQ(copy, assigned);
    EXPECT_EQ(5, assigned.GetLastId());
    EXPECT_EQ(9, assigned.GetPartId());
}

TEST(ObjectPathTest, AFullPathFromAShortOneTakesItsIdsDepthAndTheGivenPart) {
    CVyrShortObjectPath shortPath;
    for (int id : {7, 8, 9, 10}) shortPath.GetIds().Append(id);
    shortPath.SetDepth(1);
    CVyrShortObjectPath shortCopy;
    shortCopy = shortPath;

    const CVyrObjectPath full(shortCopy, 42);
    EXPECT_EQ(4, full.GetSize());
    EXPECT_EQ(7, full.GetId(0));
    EXPECT_EQ(10, full.GetLastId());
    EXPECT_EQ(1, full.GetDepth());
    EXPECT_EQ(42, full.GetPartId());
    // The short path keeps its own ids.
    shortCopy.GetIds().Clear();
    EXPECT_EQ(4, full.GetSize());
}
