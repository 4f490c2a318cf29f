// Type masks and the domain functions that pick filters are built with.
#include "DsTypeMask.h"

#include <gtest/gtest.h>

#include <climits>

using namespace NSDsTypeMaskHelper;

namespace {

// A mask of the listed types.
CDsTypeMask MaskOf(std::initializer_list<int> types) {
    CDsTypeMask mask;
    for (int t : types) mask.SetType(t, -1);
    return mask;
}

// The set types of a mask, in order.
std::vector<int> TypesOf(const CDsTypeMask& mask) {
    std::vector<int> types;
    for (int t = 0; t < CDsTypeMask::kTypeCount; ++t)
        if (mask.IsTypeSet(t)) types.push_back(t);
    return types;
}

const int kLine = 10;
const int kArc = 11;
const int kFace = 20;

}  // namespace

TEST(DsTypeMaskTest, TypeListsStopAtMinusOneOrTheFirstTypeOutOfRange) {
    CDsTypeMask mask;
    mask.SetType(3, 300, 5, -1);
    EXPECT_EQ(std::vector<int>({3}), TypesOf(mask));

    mask.SetType(0, 100, 274, -1);
    EXPECT_EQ(std::vector<int>({0, 3, 100, 274}), TypesOf(mask));
    mask.SetType(-5, 7, -1);
    EXPECT_FALSE(mask.IsTypeSet(7));

    mask.ResetType(100, 3, -1);
    EXPECT_EQ(std::vector<int>({0, 274}), TypesOf(mask));
    mask.ResetType(0, 275, 274, -1);
    EXPECT_EQ(std::vector<int>({274}), TypesOf(mask));
}

TEST(DsTypeMaskTest, TypesOutsideTheRangeAreNeverSet) {
    CDsTypeMask mask;
    mask.SetAll();
    EXPECT_FALSE(mask.IsTypeSet(-1));
    EXPECT_FALSE(mask.IsTypeSet(275));
    EXPECT_FALSE(mask.IsTypeSet(INT_MIN));
    EXPECT_TRUE(mask.IsTypeSet(0));
    EXPECT_TRUE(mask.IsTypeSet(274));
    for (int w = 0; w < 8; ++w) EXPECT_EQ(0xFFFFFFFFu, mask.GetWord(w));
    EXPECT_EQ(0x7FFFFu, mask.GetWord(8));
    EXPECT_EQ(0u, mask.GetWord(9));
    EXPECT_EQ(0u, mask.GetWord(-1));

    mask.ResetAll();
    EXPECT_FALSE(mask.IsAny());
    mask.SetType(274, -1);
    EXPECT_TRUE(mask.IsAny());
    EXPECT_EQ(1u << 18, mask.GetWord(8));
}

TEST(DsTypeMaskTest, UnionAndIntersectionWorkOnEveryWord) {
    CDsTypeMask a = MaskOf({1, 40, 256});
    const CDsTypeMask b = MaskOf({40, 200, 274});
    CDsTypeMask both = a;
    both &= b;
    EXPECT_EQ(std::vector<int>({40}), TypesOf(both));
    a |= b;
    EXPECT_EQ(std::vector<int>({1, 40, 200, 256, 274}), TypesOf(a));
}

TEST(DsTypeMaskTest, PointQueriesOfOneMask) {
    EXPECT_FALSE(IsPointInTypeMask(MaskOf({0, 255})));
    EXPECT_TRUE(IsPointInTypeMask(MaskOf({eDsPickPtOnly})));
    EXPECT_TRUE(IsPickPointAllowed(MaskOf({eDsPickPtStart})));
    EXPECT_FALSE(IsMoreThanOnePoint(MaskOf({kLine, eDsPickPtEnd})));
    EXPECT_TRUE(IsMoreThanOnePoint(MaskOf({eDsPickPtEnd, eDsPickPtOnly})));

    CDsTypeMask out = MaskOf({5});
    GetPointsFromTypeMask(MaskOf({kLine, eDsPickPtMid, eDsPickPtOnly}), out);
    EXPECT_EQ(std::vector<int>({eDsPickPtMid, eDsPickPtOnly}), TypesOf(out));

    MergePointsVyrObjectTypes(MaskOf({kLine, eDsPickPtStart}), MaskOf({kArc, eDsPickPtEnd}), out);
    EXPECT_EQ(std::vector<int>({kLine, eDsPickPtEnd}), TypesOf(out));
    // The output may be one of the inputs.
    MergePointsVyrObjectTypes(out, MaskOf({eDsPickPtCenter}), out);
    EXPECT_EQ(std::vector<int>({kLine, eDsPickPtCenter}), TypesOf(out));
}

TEST(DsTypeMaskTest, DomainQueries) {
    const CDsTypeMaskDomain empty;
    EXPECT_FALSE(IsPickPointAllowed(empty));
    EXPECT_FALSE(IsAnyPickEnable(empty));
    EXPECT_FALSE(IsTypeCouldBePicked(empty, kLine));
    EXPECT_EQ(0xFFFFFFFFu, IndexOfTypeMaskInDomain(empty, kLine));

    const CDsTypeMaskDomain domain = {CDsTypeMask(), MaskOf({kLine, eDsPickPtEnd}), MaskOf({kArc, kLine})};
    EXPECT_TRUE(IsPickPointAllowed(domain));
    EXPECT_TRUE(IsAnyPickEnable(domain));
    EXPECT_FALSE(IsAnyPickEnable({CDsTypeMask()}));
    EXPECT_TRUE(IsTypeCouldBePicked(domain, eDsPickPtEnd));
    EXPECT_FALSE(IsTypeCouldBePicked(domain, kFace));
    EXPECT_FALSE(IsTypeCouldBePicked(domain, 300));
    // The mask with a point type is skipped although it has the line.
    EXPECT_EQ(2u, IndexOfTypeMaskInDomain(domain, kLine));
    EXPECT_EQ(0xFFFFFFFFu, IndexOfTypeMaskInDomain(domain, kFace));
    EXPECT_EQ(0xFFFFFFFFu, IndexOfTypeMaskInDomain(domain, -1));
}

TEST(DsTypeMaskTest, CmpObjTypeAnswersForTheFirstMaskThatHoldsEither) {
    const eVyrObjectType a = static_cast<eVyrObjectType>(kLine);
    const eVyrObjectType b = static_cast<eVyrObjectType>(kArc);
    EXPECT_EQ(0, CmpObjType({MaskOf({kLine, kArc})}, a, b));
    EXPECT_EQ(-1, CmpObjType({MaskOf({kArc}), MaskOf({kLine})}, a, b));
    EXPECT_EQ(1, CmpObjType({MaskOf({kFace}), MaskOf({kLine}), MaskOf({kArc})}, a, b));
    EXPECT_EQ(0, CmpObjType({MaskOf({kFace})}, a, b));
    EXPECT_EQ(0, CmpObjType({}, a, b));
    // Types are taken as 8-bit values.
    EXPECT_EQ(1, CmpObjType({MaskOf({kLine})}, static_cast<eVyrObjectType>(kLine + 256), b));
}

TEST(DsTypeMaskTest, DisablePointsFiltersOnlyPointBearingMasks) {
    const CDsTypeMaskDomain domain = {MaskOf({kFace}), MaskOf({kLine, eDsPickPtEnd}), MaskOf({kArc, eDsPickPtCenter})};
    CDsTypeMaskDomain out = {MaskOf({1})};  // appended to, not replaced
    DisablePoints(domain, MaskOf({kLine, eDsPickPtEnd}), out);
    ASSERT_EQ(3u, out.size());
    EXPECT_EQ(std::vector<int>({1}), TypesOf(out[0]));
    EXPECT_EQ(std::vector<int>({kFace}), TypesOf(out[1]));
    EXPECT_EQ(std::vector<int>({kLine, eDsPickPtEnd}), TypesOf(out[2]));
}

TEST(DsTypeMaskTest, PickFilterWithoutPointTypes) {
    const CDsTypeMaskDomain domain = {MaskOf({kLine, kArc}), MaskOf({kLine, eDsPickPtEnd}), MaskOf({kFace})};
    CDsTypeMaskDomain out;
    ComputePickFilter(domain, MaskOf({kLine, kFace, eDsPickPtEnd}), out, false);
    // Object masks keep what the filter allows; the point-bearing mask drops out; nothing carries
    // a point type.
    ASSERT_EQ(2u, out.size());
    EXPECT_EQ(std::vector<int>({kLine}), TypesOf(out[0]));
    EXPECT_EQ(std::vector<int>({kFace}), TypesOf(out[1]));

    // The points-only bit of the filter does not drop object masks while points may not pass.
    out.clear();
    ComputePickFilter({MaskOf({kLine})}, MaskOf({kLine, eDsPickPtOnly}), out, false);
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ(std::vector<int>({kLine}), TypesOf(out[0]));
}

TEST(DsTypeMaskTest, PickFilterWithPointTypes) {
    const CDsTypeMaskDomain domain = {MaskOf({kLine, kArc}), MaskOf({kLine, kArc, eDsPickPtEnd, eDsPickPtMid}),
                                      MaskOf({kFace, eDsPickPtCenter})};
    CDsTypeMaskDomain out;
    ComputePickFilter(domain, MaskOf({kLine, eDsPickPtEnd}), out, true);
    // The object mask keeps the line; the mask whose end point passes keeps all its carriers; the
    // mask whose point type the filter refuses drops out.
    ASSERT_EQ(2u, out.size());
    EXPECT_EQ(std::vector<int>({kLine}), TypesOf(out[0]));
    EXPECT_EQ(std::vector<int>({kLine, kArc, eDsPickPtEnd}), TypesOf(out[1]));

    // Points only: object masks drop out, passed points carry the points-only bit.
    out.clear();
    ComputePickFilter(domain, MaskOf({kLine, eDsPickPtEnd, eDsPickPtOnly}), out, true);
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ(std::vector<int>({kLine, kArc, eDsPickPtEnd, eDsPickPtOnly}), TypesOf(out[0]));

    // Nothing passes an empty filter.
    out.clear();
    ComputePickFilter(domain, CDsTypeMask(), out, true);
    EXPECT_TRUE(out.empty());
}
