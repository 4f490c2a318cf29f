// Value types: transforms, attributes and their adapter, object paths and path strings.
#include "DsAttributes.h"
#include "DsObjectPath.h"
#include "DsScene.h"
#include "DsTransform.h"
#include "SceneTestSupport.h"
#include "SpaValues.h"
#include "VyrObjectPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

void ExpectNear(const SPAposition& a, const SPAposition& b, double tolerance)
{
    EXPECT_NEAR(a.x(), b.x(), tolerance);
    EXPECT_NEAR(a.y(), b.y(), tolerance);
    EXPECT_NEAR(a.z(), b.z(), tolerance);
}

TEST(TransformTest, MirrorsAreReflectionsAndScalingIsTheUniformFactor)
{
    const CDsTransform mirror(reflect_transf(SPAvector(1, 0, 0)));
    EXPECT_TRUE(mirror.IsReflection());
    EXPECT_FALSE(mirror.IsIdentity());
    EXPECT_DOUBLE_EQ(mirror.Scaling(), 1.0);
    const CDsTransform turned(rotate_transf(1.0, SPAvector(0, 1, 1)));
    EXPECT_FALSE(turned.IsReflection());
    EXPECT_NEAR(CDsTransform(scale_transf(2.5)).Scaling(), 2.5, 1e-6);
    EXPECT_TRUE(CDsTransform().IsIdentity());
    EXPECT_TRUE(CDsTransform(SPAtransf()).IsIdentity());
    // A matrix that is not affine is refused and gives the identity.
    const float projective[16] = {1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_TRUE(CDsTransform(projective).IsIdentity());
    EXPECT_TRUE(CDsTransform(static_cast<const float*>(nullptr)).IsIdentity());
}

TEST(TransformTest, InverseComposedWithTheTransformIsTheIdentity)
{
    const SPAtransf spa = rotate_transf(0.7, SPAvector(1, 2, 3)) * scale_transf(2.0) *
                          reflect_transf(SPAvector(0, 0, 1)) * translate_transf(SPAvector(5, -3, 8));
    const CDsTransform transform(spa);
    CDsTransform inverse = transform;
    ASSERT_TRUE(inverse.Invert());
    const CDsTransform product = inverse * transform;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(product.GetElement(r, c), r == c ? 1.0f : 0.0f, 1e-5f);
    }
    const SPAposition p(1, -2, 0.5);
    ExpectNear(inverse.TransformPoint(transform.TransformPoint(p)), p, 1e-5);

    // A singular transform cannot be inverted and stays as it was.
    const float flat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 4, 0, 0, 1};
    CDsTransform singular(flat);
    EXPECT_FALSE(singular.Invert());
    EXPECT_EQ(singular, CDsTransform(flat));
    EXPECT_DOUBLE_EQ(singular.Scaling(), 0.0);
    EXPECT_TRUE(singular.Convert2SPA().identity());
}

TEST(TransformTest, Convert2SPAAgreesWithTransformPoint)
{
    const SPAtransf spa = reflect_transf(SPAvector(1, 1, 0)) * rotate_transf(-0.3, SPAvector(0, 0, 1)) *
                          scale_transf(0.5) * translate_transf(SPAvector(10, 20, 30));
    const CDsTransform transform(spa);
    const SPAtransf back = transform.Convert2SPA();
    EXPECT_TRUE(back.reflect());
    const SPAvector v(0.25, 1, -4);
    for (const SPAposition& p : {SPAposition(0, 0, 0), SPAposition(1, 2, 3), SPAposition(-7, 0.5, 100)}) {
        ExpectNear(p * back, transform.TransformPoint(p), 1e-4);
        ExpectNear(p * spa, transform.TransformPoint(p), 1e-4);
        float xyz[3] = {static_cast<float>(p.x()), static_cast<float>(p.y()), static_cast<float>(p.z())};
        transform.TransformPoint(xyz);
        ExpectNear(SPAposition(xyz[0], xyz[1], xyz[2]), p * spa, 1e-4);
    }
    const SPAvector mapped = transform.TransformVector(v);
    const SPAvector expected = v * spa;
    EXPECT_NEAR(mapped.x(), expected.x(), 1e-5);
    EXPECT_NEAR(mapped.y(), expected.y(), 1e-5);
    EXPECT_NEAR(mapped.z(), expected.z(), 1e-5);
    // The column-major matrix holds the translation in its last column.
    EXPECT_NEAR(transform.GetMatrix()[12], (SPAposition(0, 0, 0) * spa).x(), 1e-5);
}

TEST(AttributesTest, OverridesCombineOnlyWhatIsSet)
{
    CDsAttributes base;
    EXPECT_TRUE(base.IsEmpty());
    EXPECT_EQ(base.GetTransparency(), 255);
    base.SetColor(0x12345678u);
    EXPECT_EQ(base.GetColor(), 0x345678u);  // the high byte is not part of a colour
    base.SetLineWidth(2);
    CDsAttributes over;
    over.SetLineStyle(5);
    over.SetHideLevel(2);
    over.SetLineWidth(300);  // out of range: ignored
    base *= over;
    EXPECT_EQ(base.GetColor(), 0x345678u);
    EXPECT_EQ(base.GetLineWidth(), 2);
    EXPECT_EQ(base.GetLineStyle(), 5);
    EXPECT_TRUE(base.IsHidden());
    EXPECT_FALSE(base.IsSpecialHidden());
    EXPECT_TRUE(base.IsSet(CDsAttributes::eFieldColor | CDsAttributes::eFieldLineStyle));
    EXPECT_FALSE(base.IsSet(CDsAttributes::eFieldTransparency));

    CDsAttributes copy = base;
    EXPECT_EQ(copy, base);
    copy.SetTransparency(255);  // same value, but now set
    EXPECT_NE(copy, base);

    CDsAttributes dim;
    dim.SetColor(0x00FF0040);
    dim.DimColor();
    EXPECT_EQ(dim.GetColor(), 0x00FF7F9Fu);
}

TEST(AttributesTest, TheAdapterSetsSingleValues)
{
    CDsAttrAdapter adapter;
    adapter.SetWidth(3);
    EXPECT_EQ(adapter.GetAttributes().GetSetFields(), CDsAttributes::eFieldLineWidth);
    adapter.SetTransparency(0.5f);
    EXPECT_EQ(adapter.GetAttributes().GetTransparency(), 128);
    adapter.SetTransparency(1.5f);
    EXPECT_EQ(adapter.GetAttributes().GetTransparency(), 255);
    adapter.SetTransparency(-1.0f);
    EXPECT_EQ(adapter.GetAttributes().GetTransparency(), 0);
    adapter.SetTransparency(std::nanf(""));
    EXPECT_EQ(adapter.GetAttributes().GetTransparency(), 0);
}

class SpecialSetsTest : public CSceneDbTest {};

TEST_F(SpecialSetsTest, SetsOutsideTheTableAreEmpty)
{
    CDsAttributes set4;
    set4.SetColor(0x00FF00);
    CDsScene::SetSpecialAttrs(eAttribSetHighlight, set4);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(eAttribSetHighlight), set4);
    CDsScene::SetSpecialAttrs(99, set4);  // ignored
    EXPECT_TRUE(CDsScene::GetSpecialAttrs(99).IsEmpty());
    EXPECT_TRUE(CDsScene::GetSpecialAttrs(-1).IsEmpty());
}

// A walk path over its own array, built level by level.
struct SWalkPath {
    int ids[99];
    CDsObjectPath path;
    SWalkPath(int part, int instances, const std::vector<int>& ids) : path(part, this->ids, 99)
    {
        for (size_t i = 0; i < ids.size(); ++i) {
            if (static_cast<int>(i) < instances)
                path.AdvancePartInstance(ids[i]);
            else
                path.AdvanceItem(ids[i]);
        }
    }
};

TEST(ObjectPathTest, WalkPathsAgreeWithPersistentPaths)
{
    // Walk paths of different parts, instance counts and depths.
    std::vector<SWalkPath*> walks = {new SWalkPath(1, 1, {4}),       new SWalkPath(1, 1, {4, 7}),
                                     new SWalkPath(1, 2, {4, 7, 9}), new SWalkPath(1, 0, {4, 7}),
                                     new SWalkPath(2, 1, {4, 7}),    new SWalkPath(1, 1, {})};
    EXPECT_EQ(walks[1]->path.GetHeadSize(), 1);
    EXPECT_EQ(walks[2]->path.GetHeadSize(), 1);
    EXPECT_EQ(walks[3]->path.GetHeadSize(), 2);

    std::vector<CVyrObjectPath> persistent;
    for (SWalkPath* walk : walks) persistent.push_back(walk->path.ToVyrObjectPath());
    const int ids[] = {4, 7, 9};
    persistent.emplace_back(ids, 2, 2, 1);  // same ids as walks[1], another depth
    persistent.emplace_back(ids, 3, 0, 1);
    persistent.emplace_back(ids, 1, 0, CVyrObjectPath::kNoPart);

    for (SWalkPath* walk : walks) {
        const CVyrObjectPath converted = walk->path;
        for (const CVyrObjectPath& other : persistent) {
            EXPECT_EQ(walk->path.IsPrefixOf(other), converted.IsPrefixOf(other));
            EXPECT_EQ(walk->path == other, converted == other);
            EXPECT_EQ(walk->path.Contains(other), other.IsPrefixOf(converted));
        }
        for (SWalkPath* second : walks) {
            EXPECT_EQ(walk->path.IsPrefixOf(second->path), converted.IsPrefixOf(second->path.ToVyrObjectPath()));
            EXPECT_EQ(walk->path == second->path, converted == second->path.ToVyrObjectPath());
        }
    }
    EXPECT_TRUE(walks[1]->path.IsPrefixOf(persistent[2]));
    EXPECT_FALSE(walks[1]->path == persistent[6]);  // the depth differs
    EXPECT_FALSE(walks[4]->path.IsPrefixOf(persistent[1]));  // another part

    // Rolling back undoes the advances.
    walks[1]->path.Rollback();
    EXPECT_TRUE(walks[1]->path == persistent[0]);
    for (SWalkPath* walk : walks) delete walk;
}

TEST(ObjectPathTest, AWalkPathBeyondItsArrayStaysBalanced)
{
    int ids[2];
    CDsObjectPath path(3, ids, 2);
    path.AdvancePartInstance(1);
    path.AdvanceItem(2);
    path.AdvanceItem(3);  // counted, not stored
    EXPECT_EQ(path.GetSize(), 2);
    path.Rollback();
    EXPECT_EQ(path.GetSize(), 2);
    path.Rollback();
    EXPECT_EQ(path.GetSize(), 1);
    EXPECT_EQ(path.GetHeadSize(), 0);
    path.Rollback();
    path.Rollback();  // below empty: nothing
    EXPECT_EQ(path.GetSize(), 0);
}

TEST(ObjectPathTest, PathStringsMoveFromInsideToTheHeap)
{
    CVyrPathString ids;
    EXPECT_EQ(ids.GetCapacity(), 3);
    EXPECT_EQ(ids.GetData()[0], 0);
    for (int i = 1; i <= 3; ++i) ids.Append(i);
    EXPECT_EQ(ids.GetCapacity(), 3);
    ids.Append(4);
    EXPECT_GE(ids.GetCapacity(), 4);
    EXPECT_EQ(ids.GetData()[4], 0);  // still terminated
    CVyrPathString copy = ids;
    CVyrPathString moved = std::move(copy);
    EXPECT_EQ(moved, ids);
    EXPECT_TRUE(copy.IsEmpty());
    CVyrPathString small(ids.GetData(), 2);
    moved = small;  // a heap string takes short ids
    EXPECT_EQ(moved, small);
    moved = std::move(ids);
    EXPECT_EQ(moved.GetLength(), 4);
    EXPECT_EQ(moved.GetAt(9), 0);
    moved.Truncate(1);
    EXPECT_EQ(moved.GetData()[1], 0);
    EXPECT_EQ(CVyrPathString(nullptr, 5).GetLength(), 0);

    const CVyrObjectPath fresh;
    EXPECT_TRUE(fresh.IsEmpty());
    EXPECT_EQ(fresh.GetDepth(), 0);
    EXPECT_EQ(fresh.GetPartId(), static_cast<int>(0x80000000u));
}

TEST(ObjectPathTest, PersistentPathsOrderByPartIdsThenDepth)
{
    const int ids[] = {5, -1, 3};
    const CVyrObjectPath shorter(ids, 1, 0, 1), longer(ids, 2, 0, 1), deeper(ids, 1, 1, 1), other(ids, 1, 0, -4);
    EXPECT_TRUE(other < shorter);    // part id first, signed
    EXPECT_TRUE(shorter < longer);   // a proper prefix first
    EXPECT_TRUE(shorter < deeper);   // then the depth
    EXPECT_FALSE(deeper < shorter);
    const CVyrObjectPath negative(ids + 1, 1, 0, 1);
    EXPECT_TRUE(negative < shorter);  // ids compare signed
    EXPECT_TRUE(shorter.IsPrefixOf(longer));
    EXPECT_FALSE(longer.IsPrefixOf(shorter));
    EXPECT_TRUE(shorter.IsPrefixOf(deeper));  // depth is not part of the prefix test
}

}  // namespace
