// Entity filters: what they accept and how their references keep them alive.
#include "SpaBuilders.h"
#include "SpaFilters.h"
#include "SpaTopology.h"

#include <gtest/gtest.h>

namespace {

// A filter that reports its own deletion and counts the entities it is asked about.
class ProbeFilter : public entity_filter {
public:
    ProbeFilter(int answer, bool* deleted, int* asked)
        : m_answer(answer), m_deleted(deleted), m_asked(asked) {}
    ~ProbeFilter() override { *m_deleted = true; }
    int test(ENTITY*) const override {
        ++*m_asked;
        return m_answer;
    }

private:
    int m_answer;
    bool* m_deleted;
    int* m_asked;
};

// Owns a block body for a test.
struct Block {
    Block() : body(make_block(0, 0, 0, 10, 20, 30)) {}
    ~Block() {
        if (body) body->lose();
    }
    BODY* body;
};

}  // namespace

TEST(FiltersTest, BaseFilterAcceptsEverything) {
    Block block;
    ASSERT_NE(nullptr, block.body);
    entity_filter* all = new entity_filter;
    EXPECT_NE(0, all->test(block.body));
    EXPECT_NE(0, all->test(nullptr));
    // Called through the base class, as the pick code holds it.
    const entity_filter& asBase = *all;
    EXPECT_NE(0, asBase.test(block.body));
    all->lose();
}

TEST(FiltersTest, ReferencesKeepTheFilterAliveUntilTheLastLose) {
    bool deleted = false;
    int asked = 0;
    ProbeFilter* filter = new ProbeFilter(1, &deleted, &asked);
    EXPECT_EQ(1, filter->use_count()) << "the creator's reference";
    filter->add();
    filter->add();
    EXPECT_EQ(3, filter->use_count());
    filter->lose();
    filter->lose();
    EXPECT_FALSE(deleted);
    EXPECT_EQ(1, filter->use_count());
    filter->lose();
    EXPECT_TRUE(deleted);
}

TEST(FiltersTest, TestFilterTakesTheModelerPredicates) {
    Block block;
    ASSERT_NE(nullptr, block.body);
    ENTITY_LIST faces;
    ASSERT_TRUE(api_get_faces(block.body, faces).ok());
    ASSERT_GT(faces.count(), 0);

    entity_test_filter* toplevel = new entity_test_filter(is_toplevel);
    EXPECT_NE(0, toplevel->test(block.body));
    EXPECT_EQ(0, toplevel->test(faces[0]));
    EXPECT_EQ(0, toplevel->test(nullptr)) << "null is rejected without asking the predicate";

    entity_test_filter* isFace = new entity_test_filter(is_FACE);
    EXPECT_EQ(0, isFace->test(block.body));
    for (int i = 0; i < faces.count(); ++i) EXPECT_NE(0, isFace->test(faces[i]));

    // A function answering any non-zero value accepts.
    entity_test_filter* seven = new entity_test_filter([](const ENTITY*) { return 7; });
    EXPECT_NE(0, seven->test(block.body));

    // Without a function everything passes.
    entity_test_filter* none = new entity_test_filter(nullptr);
    EXPECT_NE(0, none->test(block.body));
    EXPECT_NE(0, none->test(nullptr));

    toplevel->lose();
    isFace->lose();
    seven->lose();
    none->lose();
}

TEST(FiltersTest, AndFilterNeedsBothAndHoldsItsParts) {
    Block block;
    ASSERT_NE(nullptr, block.body);
    ENTITY_LIST faces;
    ASSERT_TRUE(api_get_faces(block.body, faces).ok());
    ASSERT_GT(faces.count(), 0);

    entity_filter* faceTest = new entity_test_filter(is_FACE);
    bool probeDeleted = false;
    int probeAsked = 0;
    ProbeFilter* probe = new ProbeFilter(1, &probeDeleted, &probeAsked);
    entity_filter* both = new entity_and_filter(faceTest, probe);
    EXPECT_EQ(2, probe->use_count());

    // The creator's references go; the and-filter keeps its parts alive.
    faceTest->lose();
    probe->lose();
    EXPECT_FALSE(probeDeleted);

    EXPECT_NE(0, both->test(faces[0]));
    EXPECT_EQ(1, probeAsked);
    EXPECT_EQ(0, both->test(block.body));
    EXPECT_EQ(1, probeAsked) << "the second part is not asked once the first rejects";

    both->lose();
    EXPECT_TRUE(probeDeleted) << "losing the and-filter gives back its parts";
}

TEST(FiltersTest, AndFilterWithRejectingOrMissingOrRepeatedParts) {
    Block block;
    ASSERT_NE(nullptr, block.body);

    bool deleted = false;
    int asked = 0;
    ProbeFilter* reject = new ProbeFilter(0, &deleted, &asked);
    entity_filter* withReject = new entity_and_filter(nullptr, reject);
    EXPECT_EQ(0, withReject->test(block.body));
    withReject->lose();
    EXPECT_FALSE(deleted);
    reject->lose();
    EXPECT_TRUE(deleted);

    // Null parts accept.
    entity_filter* empty = new entity_and_filter(nullptr, nullptr);
    EXPECT_NE(0, empty->test(block.body));
    EXPECT_NE(0, empty->test(nullptr));
    empty->lose();

    // The same filter twice: two references taken, two given back.
    bool twiceDeleted = false;
    int twiceAsked = 0;
    ProbeFilter* twice = new ProbeFilter(1, &twiceDeleted, &twiceAsked);
    entity_filter* same = new entity_and_filter(twice, twice);
    EXPECT_EQ(3, twice->use_count());
    EXPECT_NE(0, same->test(block.body));
    EXPECT_EQ(2, twiceAsked);
    twice->lose();
    same->lose();
    EXPECT_TRUE(twiceDeleted);

    // And-filters nest; each level holds its own references.
    entity_filter* toplevel = new entity_test_filter(is_toplevel);
    entity_filter* body = new entity_test_filter(is_BODY);
    entity_filter* inner = new entity_and_filter(nullptr, toplevel);
    entity_filter* outer = new entity_and_filter(inner, body);
    toplevel->lose();
    body->lose();
    inner->lose();
    EXPECT_NE(0, outer->test(block.body));
    outer->lose();
}
