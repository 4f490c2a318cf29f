// Bodies shown through the rendering context: the context's entity operations turn a block into a
// body group of face and edge items in the item map, the host's body geometry files it into the
// scene database, and refreshes draw it in every render mode.
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsItemEdge.h"
#include "DsItemsBody.h"
#include "DsItemsFace.h"
#include "DsManager.h"
#include "DsPartStorage.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "HostFixture.h"
#include "VyrBodyGeometry.h"
#include "VyrNotifyFunctionality.h"

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

#include <vector>

using vyrtest::ColorNear;
using vyrtest::Rgb;
using vyrtest::ViewSetup;

namespace {

class Recorder : public CVyrNotifyReceiver {
public:
    void OnNotification(CVyrNotifyFunctionality&, int code) override { codes.push_back(code); }
    std::vector<int> codes;
};

// The entities of a list, as a vector.
std::vector<ENTITY*> Entities(ENTITY_LIST& list)
{
    std::vector<ENTITY*> out;
    list.init();
    while (ENTITY* e = list.next()) out.push_back(e);
    return out;
}

class ContextBodiesGLTest : public vyrtest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        // Looking down -z at a 100 x 100 model-unit field: one unit a pixel.
        host_->Look(ViewSetup().Eye(SPAposition(0, 0, 100)).Field(kHostSize, kHostSize).Clip(1, 300));
        block_ = make_block(-20, -10, -10, 20, 10, 10);
        ASSERT_NE(block_, nullptr);
    }
    void TearDown() override
    {
        // The block is the test's until the host shows it.
        const bool ours = block_ && host_ && host_->IdOf(block_) == 0;
        HostTest::TearDown();
        if (ours) block_->lose();
    }
    void Show() { ASSERT_NE(host_->Show(block_), nullptr); }
    CDsGlContext& Context() { return host_->Context(); }
    CDsView3dCdc& View() { return host_->View(); }
    // How many pixels of the front buffer are not black.
    int LitPixels() { return host_->Front().LitCount(40); }

    BODY* block_ = nullptr;
};

}  // namespace

TEST_F(ContextBodiesGLTest, AddingABlockMakesABodyGroupOfItsFacesAndEdgesInTheItemMap)
{
    Context().add(block_);
    CDsItemsBody* body = Context().FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->FacesCount(), 6);
    EXPECT_EQ(body->EdgesCount(), 12);
    EXPECT_EQ(Context().FindDsItem(block_), body);
    ENTITY_LIST faces, edges;
    get_faces(block_, faces);
    get_edges(block_, edges);
    for (ENTITY* face : Entities(faces)) EXPECT_NE(dynamic_cast<CDsItemsFace*>(Context().FindDsItem(face)), nullptr);
    for (ENTITY* edge : Entities(edges)) EXPECT_NE(dynamic_cast<CDsItemEdge*>(Context().FindDsItem(edge)), nullptr);

    // Shown already: a second add changes nothing.
    Context().add(block_);
    EXPECT_EQ(Context().FindDsBody(block_), body);
    EXPECT_EQ(Context().GetScene()->GetRootGroup(CDsGlScene::eRootBodies)->Count(), 1);

    // A face removed and added again leaves and joins the body's group.
    FACE* first = static_cast<FACE*>(Entities(faces).front());
    Context().remove(first);
    EXPECT_EQ(body->FacesCount(), 5);
    EXPECT_EQ(Context().FindDsItem(first), nullptr);
    Context().add(first);
    EXPECT_EQ(body->FacesCount(), 6);
    EXPECT_NE(Context().FindDsItem(first), nullptr);

    // Removing the body empties the map.
    Recorder recorder;
    Context().Subscribe(&recorder);
    Context().remove(block_);
    EXPECT_EQ(Context().FindDsBody(block_), nullptr);
    for (ENTITY* face : Entities(faces)) EXPECT_EQ(Context().FindDsItem(face), nullptr);
    for (ENTITY* edge : Entities(edges)) EXPECT_EQ(Context().FindDsItem(edge), nullptr);
    EXPECT_EQ(recorder.codes, (std::vector<int>{5}));
    Context().remove(nullptr);  // no notification for nothing
    EXPECT_EQ(recorder.codes.size(), 1u);
    Context().Unsubscribe(&recorder);
}

TEST_F(ContextBodiesGLTest, NothingIsAddedWhileTheDisplayManagerSaysSoOrWithoutAShownBody)
{
    const bool flag0 = CDsManager::GetInstance()->GetFlag(0);
    CDsManager::GetInstance()->SetFlag(0, true);
    Context().add(block_);
    CDsManager::GetInstance()->SetFlag(0, flag0);
    EXPECT_EQ(Context().FindDsBody(block_), nullptr);

    // A face of a body not shown, an entity that is neither body, face nor edge, a null entity.
    ENTITY_LIST faces;
    get_faces(block_, faces);
    Context().add(Entities(faces).front());
    EXPECT_EQ(Context().FindDsItem(Entities(faces).front()), nullptr);
    ENTITY_LIST vertices;
    get_vertices(block_, vertices);
    Context().add(Entities(vertices).front());
    EXPECT_EQ(Context().FindDsItem(Entities(vertices).front()), nullptr);
    Context().add(nullptr);
    Context().remove(Entities(vertices).front());  // never added: nothing happens
    Context().update_transform(block_);           // not a transform: nothing happens
}

TEST_F(ContextBodiesGLTest, ARefreshDrawsTheBlockInEveryRenderMode)
{
    Show();
    View().refresh();
    // Shaded: the block's top face (40 x 20 pixels about the centre) is lit, the corners are not.
    const Rgb centre = host_->Front().ColorAt(50, 50);
    EXPECT_GT(centre.r + centre.g, 120);
    EXPECT_TRUE(ColorNear(host_->Front().ColorAt(5, 5), Rgb{0, 0, 0}, 20));
    const int shaded = LitPixels();
    EXPECT_GT(shaded, 600);  // about 40 x 20 pixels

    View().SetRenderMode(eRenderWireframe);
    const int wire = LitPixels();
    EXPECT_GT(wire, 80);  // the outline: about 2 x (40 + 20) pixels
    EXPECT_LT(wire, shaded);
    EXPECT_TRUE(ColorNear(host_->Front().ColorAt(50, 50), Rgb{0, 0, 0}, 20));  // inside the outline: empty

    View().SetRenderMode(eRenderHiddenLines);
    EXPECT_GT(LitPixels(), 80);
    View().SetRenderMode(eRenderMixed);
    EXPECT_GT(LitPixels(), 600);
}

TEST_F(ContextBodiesGLTest, AModelerTransformMovesTheBodysPixels)
{
    Show();
    View().refresh();
    EXPECT_GT(host_->Front().ColorAt(50, 50).r, 60);
    // Moved 30 units to the right by the body's transform.
    ASSERT_TRUE(set_body_transform(block_, translate_transf(SPAvector(30, 0, 0))).ok());
    Context().update_transform(block_->transform());
    EXPECT_GT(host_->Front().ColorAt(80, 50).r, 60);
    EXPECT_TRUE(ColorNear(host_->Front().ColorAt(35, 50), Rgb{0, 0, 0}, 20));
}

TEST_F(ContextBodiesGLTest, ARayThroughAFacesPixelHitsThatFacesMesh)
{
    Context().add(block_);
    ENTITY_LIST faces;
    get_faces(block_, faces);
    FACE* top = nullptr;  // the face at z = 10
    for (ENTITY* e : Entities(faces)) {
        auto* item = dynamic_cast<CDsItemsGroup*>(Context().FindDsItem(e));
        CGmPosition low, high;
        if (item && item->GetBox(low, high, false) && low.z() > 9.9 && high.z() < 10.1) top = static_cast<FACE*>(e);
    }
    ASSERT_NE(top, nullptr);
    CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    CGmPosition hit;
    ASSERT_TRUE(computer->CalculateRayIntersectionWithFaceMesh(&View(), SPAposition(5, 3, 100),
                                                               SPAunit_vector(0, 0, -1), top, hit));
    EXPECT_NEAR(hit.x(), 5, 1e-6);
    EXPECT_NEAR(hit.y(), 3, 1e-6);
    EXPECT_NEAR(hit.z(), 10, 1e-6);
    // A ray beside the face, a face of no shown body, no view.
    EXPECT_FALSE(computer->CalculateRayIntersectionWithFaceMesh(&View(), SPAposition(35, 3, 100),
                                                                SPAunit_vector(0, 0, -1), top, hit));
    EXPECT_FALSE(computer->CalculateRayIntersectionWithFaceMesh(nullptr, SPAposition(5, 3, 100),
                                                                SPAunit_vector(0, 0, -1), top, hit));
    Context().remove(block_);
    EXPECT_FALSE(computer->CalculateRayIntersectionWithFaceMesh(&View(), SPAposition(5, 3, 100),
                                                                SPAunit_vector(0, 0, -1), top, hit));
}

TEST_F(ContextBodiesGLTest, HiddenLinesLeaveOutTheEdgesBehindTheBlock)
{
    Show();
    // Seen from a corner: three of the block's twelve edges lie behind it.
    host_->Look(ViewSetup().Eye(SPAposition(60, -80, 100)).Field(kHostSize, kHostSize).Clip(1, 400));
    View().SetRenderMode(eRenderWireframe);
    const int wire = LitPixels();
    View().SetRenderMode(eRenderHiddenLines);
    const int hidden = LitPixels();
    EXPECT_GT(hidden, wire / 2);
    EXPECT_LT(hidden, wire - 20);
    View().SetRenderMode(eRenderPartialHiddenLines);  // the hidden edges come back, dimmed
    EXPECT_GT(LitPixels(), hidden + 20);
}

TEST_F(ContextBodiesGLTest, FindDsBodyAnswersOnlyBodiesFiledInTheScene)
{
    // Three bodies shown: each is found as the group that shows it.
    BODY* others[2] = {make_block(30, -10, -10, 40, 10, 10), make_block(-40, -10, -10, -30, 10, 10)};
    ASSERT_NE(others[0], nullptr);
    ASSERT_NE(others[1], nullptr);
    Context().add(block_);
    for (BODY* other : others) Context().add(other);
    for (BODY* body : {block_, others[0], others[1]}) {
        CDsItemsBody* group = Context().FindDsBody(body);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->GetEntity(), body);
        EXPECT_EQ(Context().FindDsItem(body), group);
    }
    EXPECT_NE(Context().FindDsBody(others[0]), Context().FindDsBody(others[1]));

    // A face is shown by a face item, not a body group.
    ENTITY_LIST faces;
    get_faces(block_, faces);
    EXPECT_EQ(Context().FindDsBody(Entities(faces).front()), nullptr);

    // A group taken out of the scene is no longer a shown body, though the item map still names
    // it; filed again, it is.
    CDsItemsBody* group = Context().FindDsBody(others[0]);
    Context().Remove(group);
    EXPECT_EQ(Context().FindDsBody(others[0]), nullptr);
    EXPECT_EQ(Context().FindDsBody(block_)->GetEntity(), block_);
    Context().Record(group);
    EXPECT_EQ(Context().FindDsBody(others[0]), group);

    // The item map is only a guide: a body the map does not name (forgotten, or naming another
    // item) is still found among the filed groups.
    CDsItemsBody* blockGroup = Context().FindDsBody(block_);
    Context().RemoveFromMap(block_);
    EXPECT_EQ(Context().FindDsBody(block_), blockGroup);
    Context().AddToMap(block_, blockGroup->GetFaceItem(0));
    EXPECT_EQ(Context().FindDsBody(block_), blockGroup);
    Context().AddToMap(block_, Context().FindDsBody(others[1]));  // another body's group
    EXPECT_EQ(Context().FindDsBody(block_), blockGroup);
    Context().AddToMap(block_, blockGroup);

    // A body removed is gone; the others stay found.
    Context().remove(others[1]);
    EXPECT_EQ(Context().FindDsBody(others[1]), nullptr);
    EXPECT_EQ(Context().FindDsBody(others[0]), group);
    EXPECT_NE(Context().FindDsBody(block_), nullptr);

    Context().remove(others[0]);
    Context().remove(block_);
    for (BODY* other : others) other->lose();
}

TEST_F(ContextBodiesGLTest, FindDsBodyFindsEachShownBodyWhateverTheOrderOfTheQuestions)
{
    std::vector<BODY*> bodies;
    for (int i = 0; i < 6; ++i) {
        bodies.push_back(make_block(10.0 * i, 0, 0, 10.0 * i + 5, 5, 5));
        ASSERT_NE(bodies.back(), nullptr);
        Context().add(bodies.back());
    }
    std::vector<CDsItemsBody*> groups;
    for (BODY* body : bodies) {
        groups.push_back(Context().FindDsBody(body));
        ASSERT_NE(groups.back(), nullptr);
        EXPECT_EQ(groups.back()->GetEntity(), body);
    }
    // Forwards, backwards, every other one, and the same one again: always the group that shows it.
    const auto askAll = [&](const std::vector<int>& order) {
        for (int i : order) {
            const CDsItemsBody* found = Context().FindDsBody(bodies[static_cast<size_t>(i)]);
            EXPECT_EQ(found, groups[static_cast<size_t>(i)]) << "body " << i;
        }
    };
    askAll({0, 1, 2, 3, 4, 5});
    askAll({5, 4, 3, 2, 1, 0});
    askAll({1, 3, 5, 0, 2, 4, 4, 4, 5});  // the last one asked is the last one filed

    // Bodies taken from the end and from the middle: the others move in the scene's list.
    Context().remove(bodies[5]);
    Context().remove(bodies[1]);
    for (int i : {1, 5}) {
        EXPECT_EQ(Context().FindDsBody(bodies[static_cast<size_t>(i)]), nullptr);
        bodies[static_cast<size_t>(i)]->lose();
        bodies[static_cast<size_t>(i)] = nullptr;
    }
    askAll({4, 3, 2, 0, 0, 4, 2});

    // A group moved to the unsorted group is found there, and back among the bodies again.
    Context().GetScene()->ActivateGroup(groups[2], false);
    askAll({2, 4, 0, 2, 3});
    Context().GetScene()->ActivateGroup(groups[2], true);
    askAll({3, 2, 0, 4});

    for (BODY* body : bodies)
        if (body) {
            Context().remove(body);
            body->lose();
        }
}
