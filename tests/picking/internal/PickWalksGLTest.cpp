// The pick walks on a real OpenGL context: the single pick's 2-D pre-filter on window boxes, and the
// region walks (a screen box wholly inside the rectangle, then OpenGL selection) settling a group
// against its leaves.
#include "DsComplexSection.h"
#include "DsGlScene.h"
#include "DsPickWalks.h"
#include "DsSinglePickFunctor.h"

#include "../PickFixture.h"

#include "DsLocation.h"
#include "DsPartStorage.h"
#include "DsScene.h"
#include "VyrComplexSection.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <vector>

using namespace picktest;

namespace {

constexpr unsigned char kGroup = 153;  // category 5 in these tests: a container

class PickWalksGLTest : public PickTest {
protected:
    void SetUp() override
    {
        PickTest::SetUp();
        savedCategory_ = CDsPartStorage::sm_Type2Cat[kGroup];
        CDsPartStorage::sm_Type2Cat[kGroup] = eVyrCatTransformed;
    }
    void TearDown() override
    {
        PickTest::TearDown();
        CDsPartStorage::sm_Type2Cat[kGroup] = savedCategory_;
    }

    // The region walk of `kind` over the window rectangle {left, top, right, bottom} (y up); the
    // last ids of the results.
    std::vector<int> RegionPick(EDsRegionWalk kind, const SDsPickRect& rect, const std::vector<CDsTypeMask>& domain)
    {
        // The pick window of the rectangle, counted down from the top as the view keeps it.
        const int cx = (rect.left + rect.right) / 2, cy = kSize - 1 - (rect.top + rect.bottom) / 2;
        view_->pick_mode(1, cx, cy, rect.right - rect.left, rect.top - rect.bottom);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        view_->SetupRenderingTransforms(true, true, false, nullptr);
        std::vector<SDsRegionPickResult> results;
        {
            Scene().SetCurrentView(view_.get());
            CDsRegionPickFunctor functor(view_.get(), kind, rect, domain, results, nullptr, nullptr, 0x7FFFFFFF,
                                         nullptr, false);
            DsRegionPickDriver(functor, &Scene(), {}, view_.get(), nullptr);
        }
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        view_->pick_mode(0, 0, 0, 0, 0);
        std::vector<int> ids;
        for (const SDsRegionPickResult& r : results) ids.push_back(r.path.GetLastId());
        return ids;
    }
    // Adds leaf `id` (a line) to group 10.
    void AddLeaf(int id, float x0, float x1)
    {
        ASSERT_TRUE(CDsPartStorage::instance()->AddChildItem(CVyrObjectId(PeerPart(), 10), id, kLineType,
                                                             Line(x0, 0, x1, 0, 0), nullptr, nullptr, true));
    }

    unsigned char savedCategory_ = 0;
};

}  // namespace

TEST_F(PickWalksGLTest, ThePreFilterLetsThroughBoxesUnderThePickWithAVisibleDiagonal)
{
    const CVyrObjectPath path = Add(1, kLineType, Line(-10, 0, 10, 0, 0));
    Refresh();
    // The first frame gives the new item's location its model box and its window box.
    CDsLocation* location = Scene().FindLocation(path);
    ASSERT_NE(location, nullptr);
    ASSERT_TRUE(location->HasBoundBox());
    ASSERT_FALSE(location->Is2dBoundBoxEmpty());
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_TRUE(location->Get2dBoundBox(left, top, right, bottom));
    EXPECT_NEAR(left, 40, 1);
    EXPECT_NEAR(right, 60, 1);
    EXPECT_NEAR(top, 50, 1);

    view_->pick_mode(1, 50, 50, 5, 5);
    std::vector<CDsPickHit> hits;
    SDsPickRect rect;
    rect.left = 47;
    rect.top = 53;
    rect.right = 53;
    rect.bottom = 47;
    {
        CDsSinglePickFunctor functor(view_.get(), &event_, rect, hits, eRenderShade, domain_, nullptr, false, nullptr,
                                     0x7FFFFFFF, false, false);
        struct Case {
            int left, top, right, bottom;
            bool passes;
        };
        const Case cases[] = {
            {48, 51, 52, 48, true},   // 4 x 3: 16 + 9 = 25
            {48, 51, 51, 48, false},  // 3 x 3: 18
            {48, 52, 53, 48, true},   // 5 x 4
            {50, 60, 50, 40, true},   // no width: a line along the screen's axis
            {40, 50, 60, 50, true},   // no height
            {0, 99, 99, 0, true},     // large
            {53, 51, 60, 48, false},  // beside the rectangle: the sides compare strictly
            {48, 47, 52, 40, false},  // below it
        };
        for (const Case& c : cases) {
            location->Set2dBoundBox(c.left, c.top, c.right, c.bottom);
            EXPECT_EQ(functor.Prefilter(location, nullptr, 0), c.passes)
                << c.left << " " << c.top << " " << c.right << " " << c.bottom;
        }
        EXPECT_TRUE(functor.Prefilter(nullptr, nullptr, 0));  // no location: may be hit
    }
    view_->pick_mode(0, 0, 0, 0, 0);
}

TEST_F(PickWalksGLTest, ARegionSelectsTheLeavesWhollyInsideAndTheGroupWhenAllAre)
{
    ASSERT_TRUE(CDsPartStorage::instance()->AddItem(CVyrObjectId(PeerPart(), 10), kGroup, nullptr, nullptr, nullptr,
                                                    nullptr, nullptr, true));
    AddLeaf(11, -20, -10);
    AddLeaf(12, -5, 5);
    AddLeaf(13, 30, 40);
    Refresh();
    const std::vector<CDsTypeMask> together = {MaskOf({kGroup, kLineType})};

    // Columns 25 to 60 (model x -25 to 10), rows 44 to 56 up: the third leaf lies outside, so the
    // group is not selected and the two inside leaves are.
    SDsPickRect part;
    part.left = 25;
    part.top = 56;
    part.right = 60;
    part.bottom = 44;
    EXPECT_EQ(RegionPick(eDsRegionParentByHits, part, together), (std::vector<int>{11, 12}));

    // Every leaf inside: the group stands for its leaves (equal ranks, several of them) ...
    SDsPickRect all = part;
    all.right = 95;
    EXPECT_EQ(RegionPick(eDsRegionParentByHits, all, together), (std::vector<int>{10}));
    // ... unless the leaves rank first, or the walk never selects parents by their children's hits.
    EXPECT_EQ(RegionPick(eDsRegionParentByHits, all, {MaskOf({kLineType}), MaskOf({kGroup})}),
              (std::vector<int>{11, 12, 13}));
    EXPECT_EQ(RegionPick(eDsRegionParentsNeverByHits, all, together), (std::vector<int>{11, 12, 13}));

    // A leaf crossing the rectangle's side is not wholly inside.
    SDsPickRect cut = all;
    cut.left = 35;
    EXPECT_EQ(RegionPick(eDsRegionParentByHits, cut, together), (std::vector<int>{12, 13}));
}

TEST_F(PickWalksGLTest, TheRegionDriverTakesTheScenesSectionPlaneAndSteppedSectionGroups)
{
    SDsPickClipPlane plane;
    EXPECT_EQ(DsScenePickSection(nullptr, plane).plane, nullptr);
    SDsPickSection none = DsScenePickSection(context_.GetScene(), plane);
    EXPECT_EQ(none.plane, nullptr);
    EXPECT_EQ(none.groupCount, 0);

    // The section plane: its point and unit normal.
    context_.GetScene()->SetSection(SPAposition(1, 2, 3), SPAvector(0, 0, -2));
    SDsPickSection single = DsScenePickSection(context_.GetScene(), plane);
    ASSERT_EQ(single.plane, &plane);
    EXPECT_DOUBLE_EQ(plane.point.z(), 3);
    EXPECT_DOUBLE_EQ(plane.normal.z(), -1);
    context_.GetScene()->ResetSection();

    // A stepped section of two areas: each group's planes switch on and off as GL clip planes.
    auto* record = new CVyrComplexSection;
    record->m_vertices = {SPAposition(-60, -5, 0), SPAposition(0, -5, 0), SPAposition(0, 10, 0), SPAposition(60, 10, 0)};
    record->m_normals = {SPAvector(0, 1, 0), SPAvector(-1, 0, 0), SPAvector(0, 1, 0)};
    record->m_depth = 40;
    context_.GetScene()->SetComplexSection(record);
    SDsPickSection stepped = DsScenePickSection(context_.GetScene(), plane);
    EXPECT_EQ(stepped.plane, nullptr);
    ASSERT_EQ(stepped.groupCount, 2);
    ASSERT_TRUE(stepped.switchGroup);
    const CDsComplexSection* section = context_.GetScene()->GetComplexSection();
    for (int group = 0; group < 2; ++group) {
        const int planes = static_cast<int>(section->GetGroup(group).size());
        ASSERT_GT(planes, 0);
        stepped.switchGroup(group, true);
        for (int k = 0; k < planes; ++k) EXPECT_TRUE(glIsEnabled(static_cast<GLenum>(GL_CLIP_PLANE0 + k)));
        stepped.switchGroup(group, false);
        for (int k = 0; k < planes; ++k) EXPECT_FALSE(glIsEnabled(static_cast<GLenum>(GL_CLIP_PLANE0 + k)));
    }
    context_.GetScene()->SetComplexSection(nullptr);
    EXPECT_EQ(DsScenePickSection(context_.GetScene(), plane).groupCount, 0);
}
