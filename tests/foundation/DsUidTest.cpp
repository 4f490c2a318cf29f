// Uid paths: positions, the walking cursor and matching a path level by level.
#include "DsUid.h"

#include <gtest/gtest.h>

namespace {

CDsUidPath PathOf(std::initializer_list<unsigned int> ids, ENTITY* entity = nullptr) {
    std::vector<CDsUid> uids(ids.begin(), ids.end());
    return CDsUidPath(entity, uids);
}

}  // namespace

TEST(DsUidTest, UidsConvertAndCompareByValue) {
    CDsUid none;
    EXPECT_EQ(0u, static_cast<unsigned int>(none));
    CDsUid id(0xFFFFFFF0u);
    EXPECT_EQ(0xFFFFFFF0u, static_cast<unsigned int>(id));
    EXPECT_EQ(id, CDsUid(0xFFFFFFF0u));
    EXPECT_NE(id, none);
}

TEST(DsUidTest, PositionsOutsideThePathAreRefused) {
    CDsUidPath empty;
    EXPECT_EQ(0, empty.GetPathSize());
    EXPECT_EQ(-1, empty.GetLastPathIndex());
    EXPECT_FALSE(empty.IncrementIndex());
    EXPECT_FALSE(empty.DecrementIndex());
    CDsUid out(7);
    EXPECT_FALSE(empty.GetUid(0, out));
    EXPECT_EQ(7u, static_cast<unsigned int>(out));

    CDsUidPath path = PathOf({10, 20});
    path.Add(30);
    EXPECT_EQ(3, path.GetPathSize());
    EXPECT_EQ(2, path.GetLastPathIndex());
    EXPECT_FALSE(path.GetUid(-1, out));
    EXPECT_FALSE(path.GetUid(3, out));
    ASSERT_TRUE(path.GetUid(2, out));
    EXPECT_EQ(30u, static_cast<unsigned int>(out));
}

TEST(DsUidTest, CursorStopsAtBothEnds) {
    const CDsUidPath path = PathOf({1, 2, 3});
    EXPECT_EQ(0, path.GetIndex());
    EXPECT_TRUE(path.IncrementIndex());
    EXPECT_TRUE(path.IncrementIndex());
    EXPECT_FALSE(path.IncrementIndex());
    EXPECT_EQ(2, path.GetIndex());
    EXPECT_TRUE(path.DecrementIndex());
    EXPECT_EQ(1, path.GetIndex());
    path.ResetIndex();
    EXPECT_FALSE(path.DecrementIndex());
    EXPECT_EQ(0, path.GetIndex());
}

TEST(DsUidTest, MatchingWalksAThreeLevelPathAndStepsBackOnAMiss) {
    const CDsUidPath path = PathOf({5, 6, 7});
    // A descent: the first two levels match and move the cursor down.
    EXPECT_EQ(eDsPathContinue, path.MatchCurrentUid(5));
    EXPECT_EQ(1, path.GetIndex());
    EXPECT_EQ(eDsPathContinue, path.MatchCurrentUid(6));
    EXPECT_EQ(2, path.GetIndex());
    // A sibling that is not on the path: the cursor goes back one level.
    EXPECT_EQ(eDsPathNoMatch, path.MatchCurrentUid(99));
    EXPECT_EQ(1, path.GetIndex());
    EXPECT_EQ(eDsPathContinue, path.MatchCurrentUid(6));
    // The last level completes the path and rewinds the cursor for the next search.
    EXPECT_EQ(eDsPathComplete, path.MatchCurrentUid(7));
    EXPECT_EQ(0, path.GetIndex());
    // A miss at the top stays at the top.
    EXPECT_EQ(eDsPathNoMatch, path.MatchCurrentUid(6));
    EXPECT_EQ(0, path.GetIndex());
}

TEST(DsUidTest, MatchingAOneLevelOrEmptyPath) {
    const CDsUidPath one = PathOf({42});
    EXPECT_EQ(eDsPathComplete, one.MatchCurrentUid(42));
    EXPECT_EQ(0, one.GetIndex());
    EXPECT_EQ(eDsPathNoMatch, one.MatchCurrentUid(41));
    EXPECT_EQ(0, one.GetIndex());

    const CDsUidPath empty;
    EXPECT_EQ(eDsPathNoMatch, empty.MatchCurrentUid(0));
    EXPECT_EQ(0, empty.GetIndex());
}

TEST(DsUidTest, EqualityIgnoresEntityAndCursor) {
    ENTITY* a = reinterpret_cast<ENTITY*>(0x1000);
    ENTITY* b = reinterpret_cast<ENTITY*>(0x2000);
    CDsUidPath first = PathOf({1, 2}, a);
    const CDsUidPath second = PathOf({1, 2}, b);
    first.IncrementIndex();
    EXPECT_TRUE(first == second);
    EXPECT_FALSE(first != second);
    EXPECT_NE(first, PathOf({1, 2, 3}));
    EXPECT_NE(first, PathOf({2, 1}));
    EXPECT_EQ(a, first.GetEntity());
}

TEST(DsUidTest, CopiesAndReversalKeepEntityAndCursor) {
    ENTITY* head = reinterpret_cast<ENTITY*>(0x1000);
    CDsUidPath path = PathOf({1, 2, 3}, head);
    path.IncrementIndex();
    CDsUidPath copy(path);
    EXPECT_EQ(1, copy.GetIndex());
    EXPECT_EQ(head, copy.GetEntity());
    EXPECT_EQ(path, copy);

    copy.ReverseUidPath();
    EXPECT_EQ(PathOf({3, 2, 1}), copy);
    EXPECT_EQ(1, copy.GetIndex());
    EXPECT_EQ(head, copy.GetEntity());

    CDsUidPath assigned;
    assigned = copy;
    EXPECT_EQ(1, assigned.GetIndex());
    EXPECT_EQ(copy, assigned);
    // The copy is independent of its source.
    assigned.Add(4);
    EXPECT_EQ(3, copy.GetPathSize());
}
