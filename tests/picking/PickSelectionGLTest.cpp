// OpenGL selection picks of faces and entities (CDsPickProccessor::RunGlSelection): hit lists sorted
// by depth or filed by body, their replay into pick managers, the selection cache inside pick
// sessions, and the display's pick manager with its factory.
#include "PickFixture.h"

#include "DsCglEntList.h"
#include "DsComplexSection.h"
#include "DsDriverGl.h"
#include "DsGlScene.h"
#include "DsGlGroupIterator.h"
#include "DsItemsBody.h"
#include "DsItemsCopy.h"
#include "DsItemsGroup.h"
#include "DsPickManager.h"
#include "DsPickSessionData.h"
#include "DsPickedFaces.h"
#include "DsSelectAllData.h"
#include "DsSelectionNames.h"
#include "GlHostState.h"

#include "SpaBuilders.h"
#include "VyrAsExt.h"
#include "VyrEntInstance.h"
#include "SpaFilters.h"
#include "SpaTopology.h"
#include "VyrComplexSection.h"
#include "pick_manager.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace picktest;

int gSelectCount = 0;
GLint CountingRenderMode(GLenum mode)
{
    if (mode == GL_SELECT) ++gSelectCount;
    return glRenderMode(mode);
}

// Counts the selection passes (glRenderMode(GL_SELECT)) for its life.
struct SelectCounter {
    SelectCounter() : saved(gDsGlSelectRenderMode)
    {
        gSelectCount = 0;
        gDsGlSelectRenderMode = &CountingRenderMode;
    }
    ~SelectCounter() { gDsGlSelectRenderMode = saved; }
    GLint (*saved)(GLenum);
};

// Per selection pass: whether the view's section-pass flag (12) was on, and the hit records.
view3d* gFlagView = nullptr;
std::vector<bool> gPassFlags;
std::vector<GLint> gPassHits;
GLint RecordingRenderMode(GLenum mode)
{
    if (mode == GL_SELECT) gPassFlags.push_back(gFlagView && gFlagView->GetFlag(eDsViewFlagSectionPass));
    const GLint records = glRenderMode(mode);
    if (mode == GL_RENDER) gPassHits.push_back(records);
    return records;
}

// Records the selection passes of `view` for its life.
struct PassRecorder {
    explicit PassRecorder(view3d* view) : saved(gDsGlSelectRenderMode)
    {
        gFlagView = view;
        Clear();
        gDsGlSelectRenderMode = &RecordingRenderMode;
    }
    ~PassRecorder()
    {
        gDsGlSelectRenderMode = saved;
        gFlagView = nullptr;
    }
    static void Clear()
    {
        gPassFlags.clear();
        gPassHits.clear();
    }
    GLint (*saved)(GLenum);
};

// A group that draws a square under `names` names of its own.
class CManyNamesGroup : public CDsItemsGroup {
public:
    CManyNamesGroup(CDsGlContext* context, int names) : CDsItemsGroup(context, nullptr), m_names(names) {}
    void OpenGlPick(view3d*) override
    {
        for (int i = 0; i < m_names; ++i) glPushName(CDsSelectionNames::StGetName(this));
        glBegin(GL_QUADS);
        glVertex3f(-30, -30, 0);
        glVertex3f(30, -30, 0);
        glVertex3f(30, 30, 0);
        glVertex3f(-30, 30, 0);
        glEnd();
        for (int i = 0; i < m_names; ++i) glPopName();
    }

private:
    int m_names;
};

class PickSelectionTest : public PickTest {
protected:
    void SetUp() override
    {
        PickTest::SetUp();
        block_ = make_block(-20, -10, -10, 20, 10, 10);
        ASSERT_NE(block_, nullptr);
        context_.add(block_);
        ASSERT_NE(context_.FindDsBody(block_), nullptr);
    }
    void TearDown() override
    {
        CDsGlContext::StEndPickSession();
        if (block_) {
            context_.remove(block_);
            block_->lose();
        }
        PickTest::TearDown();
    }
    // A selection at drawable pixel (x, y) in `mode`, the view in pick mode meanwhile.
    CDsCglEntList* Select(int x, int y, int mode)
    {
        const pick_event event(x, y, view_.get());
        view_->pick_mode(1, x, y, 5, 5);
        CDsGlGroupIterator candidates(&context_, nullptr, 0);
        CDsCglEntList* hits = CDsPickProccessor::RunGlSelection(event, SDsGlPickCache::sCache, &context_, candidates, mode);
        view_->pick_mode(0, 0, 0, 0, 0);
        return hits;
    }
    // The FACE nodes of a sorted list, first to last.
    static std::vector<const SDsCglEntNode*> FaceNodes(const CDsCglEntList* hits)
    {
        std::vector<const SDsCglEntNode*> nodes;
        for (const SDsCglEntNode* node = hits ? hits->GetFirst() : nullptr; node; node = node->next)
            if (node->entity && is_FACE(node->entity)) nodes.push_back(node);
        return nodes;
    }

    BODY* block_ = nullptr;
};

TEST_F(PickSelectionTest, SortModeHitsTheFrontAndTheBackFaceAndCullingModeOnlyTheFront)
{
    const auto both = FaceNodes(Select(50, 50, 2));  // valid until the next selection
    ASSERT_EQ(both.size(), 2u);
    EXPECT_NE(both[0]->entity, both[1]->entity);
    // The back face first (the larger depth), the front one with the smaller depth.
    EXPECT_GT(both[0]->depth, both[1]->depth);
    const float front = both[1]->depth;
    ENTITY* frontFace = both[1]->entity;
    // The faces by depth, nearest first.
    CDsPickedFaces faces;
    for (const SDsCglEntNode* node : both) faces.AddFace(node->depth, static_cast<FACE*>(node->entity));
    EXPECT_EQ(faces.GetFaces().begin()->second, frontFace);
    // Mode 0 draws one-sided faces with back faces culled.
    const auto culled = FaceNodes(Select(50, 50, 0));
    ASSERT_EQ(culled.size(), 1u);
    EXPECT_EQ(culled[0]->entity, frontFace);
    EXPECT_FLOAT_EQ(culled[0]->depth, front);
    // Nothing under a pixel off the block, and no error left set.
    EXPECT_TRUE(FaceNodes(Select(5, 5, 2)).empty());
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(PickSelectionTest, TheByBodyListFilesAFaceUnderItsBody)
{
    auto* hits = dynamic_cast<CDsCglByBoxEntList*>(Select(50, 50, 1));
    ASSERT_NE(hits, nullptr);
    ASSERT_FALSE(hits->GetBuckets().empty());
    bool filed = false;
    for (const auto& bucket : hits->GetBuckets())
        for (ENTITY* entity : bucket.entities)
            if (is_FACE(entity)) {
                EXPECT_EQ(bucket.owner, block_);
                filed = true;
            }
    EXPECT_TRUE(filed);
    // Replayed into a plain manager: the body pushed, each face offered.
    const pick_event event(50, 50, view_.get());
    pick_manager manager(pick_method_point, pick_entity_face, 1, nullptr, &event, nullptr);
    EXPECT_EQ(hits->ReplayToPickManager(&manager), 2);
    EXPECT_EQ(manager.get_current_level(), 0);
}

// A stepped section of two areas: a selection runs once per plane group with the view's flag 12
// on, so that only bodies flagged for the section take part, then once more without it for the
// rest; the flag and the clip planes are off afterwards.
TEST_F(PickSelectionTest, TwoSectionGroupsRunThreePassesWithTheSectionFlagOnForTheFirstTwo)
{
    auto* record = new CVyrComplexSection;
    record->m_vertices = {SPAposition(-60, -5, 0), SPAposition(0, -5, 0), SPAposition(0, 10, 0), SPAposition(60, 10, 0)};
    record->m_normals = {SPAvector(0, 1, 0), SPAvector(-1, 0, 0), SPAvector(0, 1, 0)};
    record->m_depth = 40;
    context_.GetScene()->SetComplexSection(record);
    ASSERT_EQ(context_.GetScene()->GetComplexSection()->GetGroupCount(), 2);
    CDsItemsBody* body = context_.FindDsBody(block_);
    PassRecorder recorder(view_.get());

    // An unflagged body: hit in the last pass only.
    EXPECT_EQ(FaceNodes(Select(35, 50, 2)).size(), 2u);
    EXPECT_EQ(gPassFlags, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(gPassHits, (std::vector<GLint>{0, 0, 2}));
    EXPECT_FALSE(view_->GetFlag(eDsViewFlagSectionPass));

    // Flagged for the section: hit in the plane groups' passes where the point is kept, never in
    // the last one.
    body->SetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag));
    PassRecorder::Clear();
    const size_t faces = FaceNodes(Select(35, 50, 2)).size();
    ASSERT_EQ(gPassHits.size(), 3u);
    EXPECT_EQ(gPassFlags, (std::vector<bool>{true, true, false}));
    EXPECT_GT(gPassHits[0] + gPassHits[1], 0);
    EXPECT_EQ(gPassHits[2], 0);
    EXPECT_EQ(faces, static_cast<size_t>(gPassHits[0] + gPassHits[1]));
    EXPECT_FALSE(view_->GetFlag(eDsViewFlagSectionPass));
    for (int k = 0; k < 6; ++k) EXPECT_FALSE(glIsEnabled(static_cast<GLenum>(GL_CLIP_PLANE0 + k)));
    body->ResetFlag(static_cast<EDsItemFlags>(CDsItemsBody::kSectionPassFlag));
    context_.GetScene()->SetComplexSection(nullptr);

    // Without a section: one pass, the flag untouched.
    PassRecorder::Clear();
    Select(35, 50, 2);
    EXPECT_EQ(gPassFlags, std::vector<bool>{false});
}

// A host that draws its own overlay after a pick finds the state it set up: the selection passes
// (also a pass run again after an overflow) and the sorted faces hand back every value, the
// model-view matrix included, and the driver sends the next line width again.
TEST_F(PickSelectionTest, ASelectionHandsBackTheOpenGLStateItFound)
{
    vyrtest::GlHostState host;
    host.matrixMode = GL_TEXTURE;
    host.twoSided = 0;
    host.lineWidth = 3.0f;
    host.depthFunction = GL_GREATER;
    host.blend = true;
    host.normalize = true;
    host.Apply();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScaled(2.0, 2.0, 2.0);
    glMatrixMode(GL_TEXTURE);
    const auto modelViewScale = [] {
        GLdouble m[16] = {};
        glGetDoublev(GL_MODELVIEW_MATRIX, m);
        return m[0];
    };

    for (int mode : {2, 0, 1}) {
        SCOPED_TRACE(mode);
        ASSERT_NE(Select(50, 50, mode), nullptr);
        EXPECT_EQ(vyrtest::GlHostState::Read(), host);
        EXPECT_EQ(modelViewScale(), 2.0);
    }
    CDsDriverGl::StSetWidth(1);
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);

    // The other values the other way round, through the sorted faces of the processor.
    host.matrixMode = GL_MODELVIEW;
    host.twoSided = 1;
    host.lineWidth = 2.0f;
    host.depthFunction = GL_NOTEQUAL;
    host.depthTest = true;
    host.lighting = true;
    host.blend = false;
    host.Apply();
    CDsPickedFaces faces;
    view_->pick_mode(1, 50, 50, 5, 5);
    EXPECT_EQ(context_.GetPickProccessor()->OpenGLSortFaces(CUiPickEvent(50, 50, 0, view_.get(), nullptr), faces), 2);
    view_->pick_mode(0, 0, 0, 0, 0);
    EXPECT_EQ(vyrtest::GlHostState::Read(), host);
    EXPECT_EQ(modelViewScale(), 2.0);

    // A selection whose first buffer overflows runs its pass again and still hands back the state.
    context_.remove(block_);
    CManyNamesGroup group(&context_, 40);
    CDsGlGroupIterator candidates(&group);
    view_->pick_mode(1, 50, 50, 5, 5);
    CDsPickProccessor::RunGlSelection(pick_event(50, 50, view_.get()), SDsGlPickCache::sCache, &context_, candidates, 2);
    view_->pick_mode(0, 0, 0, 0, 0);
    context_.add(block_);
    EXPECT_EQ(vyrtest::GlHostState::Read(), host);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(PickSelectionTest, NoCandidatesMakeNoPass)
{
    context_.remove(block_);
    SelectCounter counter;
    const CDsCglEntList* hits = Select(50, 50, 2);
    ASSERT_NE(hits, nullptr);
    EXPECT_EQ(hits->GetFirst(), nullptr);
    EXPECT_EQ(gSelectCount, 0);
    // An event without a view: null.
    CDsGlGroupIterator candidates(&context_, nullptr, 0);
    EXPECT_EQ(CDsPickProccessor::RunGlSelection(pick_event(1, 1, nullptr), SDsGlPickCache::sCache, &context_,
                                                candidates, 2),
              nullptr);
}

TEST_F(PickSelectionTest, InsideAPickSessionTheSelectionOfAPositionIsKept)
{
    SelectCounter counter;
    CDsPickSessionData session;
    const CUiPickEvent event(50, 50, 0, view_.get(), nullptr);
    CDsGlContext::StBeginPickSession(event, &session);
    EXPECT_EQ(CDsPickSessionData::StGetSessionData(), &session);
    Select(50, 50, 2);
    EXPECT_EQ(gSelectCount, 1);
    // A caller asks the cache first: the same device position reuses the hits, another does not.
    EXPECT_TRUE(SDsGlPickCache::sCache.Matches(pick_event(50, 50, view_.get())));
    EXPECT_FALSE(SDsGlPickCache::sCache.Matches(pick_event(51, 50, view_.get())));
    CDsGlContext::StEndPickSession();
    EXPECT_EQ(CDsPickSessionData::StGetSessionData(), nullptr);
    EXPECT_EQ(SDsGlPickCache::sCache.hits, nullptr);
    EXPECT_FALSE(SDsGlPickCache::sCache.Matches(pick_event(50, 50, view_.get())));
    // Outside a session a selection is never marked reusable.
    Select(50, 50, 2);
    EXPECT_EQ(gSelectCount, 2);
    EXPECT_FALSE(SDsGlPickCache::sCache.Matches(pick_event(50, 50, view_.get())));
}

TEST_F(PickSelectionTest, ReplayPushesSavesAndPopsPerNodeForTheDisplaysManagerOnly)
{
    CDsCglEntList* hits = Select(50, 50, 2);
    const auto faces = FaceNodes(hits);
    ASSERT_EQ(faces.size(), 2u);
    const pick_event event(50, 50, view_.get());
    pick_manager plain(pick_method_point, 1, nullptr, &event, nullptr);
    EXPECT_EQ(hits->ReplayToPickManager(&plain), 0);
    CDsPickManager display(pick_method_point, 1, nullptr, &event, nullptr, {MaskOf({eDsItemsFace})});
    EXPECT_EQ(hits->ReplayToPickManager(&display), 2);
    EXPECT_EQ(display.get_current_level(), 0);
    ASSERT_EQ(display.get_record_count(), 2);
    EXPECT_EQ(display.get_record(0)->get_entity(), faces[0]->entity);
    // A domain with object type 0 pushes the owner first.
    CDsPickManager owners(pick_method_point, 1, nullptr, &event, nullptr, {MaskOf({0, eDsItemsFace, eDsItemsBody})});
    EXPECT_GE(hits->ReplayToPickManager(&owners), 2);
    EXPECT_EQ(owners.get_current_level(), 0);
}

TEST_F(PickSelectionTest, AnItemPushingMoreNamesThanTheFirstBufferHoldsIsStillHit)
{
    context_.remove(block_);
    CManyNamesGroup group(&context_, 40);
    CDsGlGroupIterator candidates(&group);
    const pick_event event(50, 50, view_.get());
    view_->pick_mode(1, 50, 50, 5, 5);
    const CDsCglEntList* hits = CDsPickProccessor::RunGlSelection(event, SDsGlPickCache::sCache, &context_, candidates, 2);
    view_->pick_mode(0, 0, 0, 0, 0);
    ASSERT_NE(hits, nullptr);
    ASSERT_NE(hits->GetFirst(), nullptr);
    EXPECT_EQ(hits->GetFirst()->item, &group);
}

TEST(PickSortList, EqualDepthsKeepTheirOrderAndLargerDepthsComeFirst)
{
    CDsCglSortEntList list;
    auto* a = reinterpret_cast<ENTITY*>(0x10);
    auto* b = reinterpret_cast<ENTITY*>(0x20);
    auto* c = reinterpret_cast<ENTITY*>(0x30);
    auto* d = reinterpret_cast<ENTITY*>(0x40);
    list.Add(a, nullptr, nullptr, 0.5f);
    list.Add(b, nullptr, nullptr, 0.5f);
    list.Add(c, nullptr, nullptr, 0.9f);
    list.Add(d, nullptr, nullptr, 0.1f);
    std::vector<ENTITY*> order;
    for (const SDsCglEntNode* node = list.GetFirst(); node; node = node->next) order.push_back(node->entity);
    EXPECT_EQ(order, (std::vector<ENTITY*>{c, a, b, d}));
    EXPECT_EQ(list.GetLast()->entity, d);
    EXPECT_EQ(list.GetLast()->previous->entity, b);
    // Deleted through the base: the destructor is virtual.
    CDsCglEntList* owned = new CDsCglSortEntList;
    owned->Add(a, nullptr, nullptr, 1.0f);
    delete owned;
}

// A filter that refuses everything.
struct SRefuseAll : entity_filter {
    int test(ENTITY*) const override { return 0; }
};

TEST(PickManager, EdgeCasesOfTheDisplaysManager)
{
    CDsPickManager empty(pick_method_point, 0, nullptr, nullptr, nullptr, {});
    for (int type : {0, 33, 150, 274}) EXPECT_FALSE(empty.TestDisplayItem(type));
    EXPECT_TRUE(empty.TestObject(CVyrObjectPath(), nullptr, static_cast<eVyrObjectType>(1), -1));
    CDsPickManager some(pick_method_point, 0, nullptr, nullptr, nullptr, {MaskOf({5}), MaskOf({274})});
    EXPECT_TRUE(some.TestDisplayItem(5));
    EXPECT_TRUE(some.TestDisplayItem(274));
    EXPECT_FALSE(some.TestDisplayItem(275));
    EXPECT_FALSE(some.TestDisplayItem(-1));
    const int id = 4;
    CDsPickedItem item(CVyrObjectPath(&id, 1, 1, 3), nullptr, static_cast<eVyrObjectType>(5), -1);
    some.PushItem(item);
    EXPECT_EQ(some.Size(), 1);
    EXPECT_EQ(some.PopItem(0), some.PopItem(0));
    EXPECT_NE(some.PopItem(0), &item);
    EXPECT_EQ(some.PopItem(1), nullptr);
    CDsPickManager copy(some);
    EXPECT_EQ(copy.Size(), 1);
    EXPECT_NE(copy.PopItem(0), some.PopItem(0));
    // With a test object, a record without entity or item at the report level is refused.
    struct CAccept : CDsPickTestFunc {
        bool Test(const CVyrObjectPath&, const CDsGeometry*, eVyrObjectType, eVyrParamPointType) override { return true; }
    } accept;
    some.SetTestFunc(&accept);
    some.push_level(nullptr, nullptr);
    EXPECT_EQ(some.save_current_if_ok(), 0);
    some.pop_level();
    // Select-all data without an entity filter tests false.
    CDsSelectAllData data(0, nullptr, nullptr, false);
    EXPECT_FALSE(data.TestEntity(nullptr));
}

TEST(PickManager, TheFactoryMakesDisplayManagersWithTheCreatorsDomainAndNoFilter)
{
    CDsPickManagerCreator* creator = CDsPickManagerCreator::Instance();
    EXPECT_EQ(creator, CDsPickManagerCreator::Instance());
    const std::vector<CDsTypeMask> saved = CDsPickManagerCreator::smTypeMask;
    CDsPickManagerCreator::smTypeMask = {MaskOf({7})};
    SRefuseAll refuse;
    pick_manager* made5 = creator->Get5()(pick_method_point, 1, &refuse, nullptr, nullptr);
    pick_manager* made6 = creator->Get6()(pick_method_point, pick_entity_face, 1, &refuse, nullptr, nullptr);
    auto* ds5 = dynamic_cast<CDsPickManager*>(made5);
    auto* ds6 = dynamic_cast<CDsPickManager*>(made6);
    ASSERT_NE(ds5, nullptr);
    ASSERT_NE(ds6, nullptr);
    EXPECT_EQ(ds5->get_entity_filter(), nullptr);
    EXPECT_EQ(ds6->get_pick_entity_type(), pick_entity_face);
    EXPECT_TRUE(ds6->TestDisplayItem(7));
    delete made5;
    delete made6;
    // Installed: the modeler's own picks make display managers, which drop the caller's filter.
    set_pick_manager_factories(creator->Get5(), creator->Get6());
    pick_manager* made = create_pick_manager(pick_method_entity, pick_entity_face, 1, &refuse, nullptr, nullptr);
    EXPECT_NE(dynamic_cast<CDsPickManager*>(made), nullptr);
    EXPECT_EQ(made->get_entity_filter(), nullptr);
    delete made;
    set_pick_manager_factories(nullptr, nullptr);
    CDsPickManagerCreator::smTypeMask = saved;
}

}  // namespace

TEST_F(PickSelectionTest, ASelectionOverABodyCopyNamesTheCopyAndTheCopysFace)
{
    CDsItemsBody* body = context_.FindDsBody(block_);
    ASSERT_NE(body, nullptr);
    // An instance of the block 30 units up: its copy body and the copy item over the block's item.
    auto* instance = new CVyrEntInstance(block_, translate_transf(SPAvector(0, 30, 0)));
    ENTITY_LIST copies;
    instance->GetEntities(copies);
    ASSERT_EQ(copies.count(), 1);
    ENTITY* copyBody = copies[0];
    auto* copy = new CDsItemsCopy(body, copyBody, &context_);
    EXPECT_EQ(copy->GetCopyMode(), 0);
    EXPECT_EQ(copy->FacesCount(), 6);
    context_.GetScene()->AddItemsGroup(copy);
    copy->ComputeBounds2D(view_.get());

    // At the copy's pixel (the model point (0, 30), 20 rows from the top).
    const auto nodes = FaceNodes(Select(50, 20, 0));
    ASSERT_FALSE(nodes.empty());
    for (const SDsCglEntNode* node : nodes) {
        EXPECT_EQ(node->item, copy);
        EXPECT_EQ(node->owner, copyBody);
        ENTITY* real = CVyrAsExt::GetRealEntity(node->entity);
        ASSERT_NE(real, nullptr);  // a face of the copy, standing for a face of the block
        ENTITY* owner = nullptr;
        ASSERT_TRUE(api_get_owner(real, owner).ok());
        EXPECT_EQ(owner, block_);
    }
    // The block's own pixel names the block's faces, not the copy.
    for (const SDsCglEntNode* node : FaceNodes(Select(50, 50, 0))) EXPECT_NE(node->item, copy);
    // The body's flag gate and screen-rectangle test are as they were.
    EXPECT_FALSE(body->GetExtremesTest());

    context_.GetScene()->RemoveItemsGroup(copy);
    delete copy;
    instance->lose();
}
