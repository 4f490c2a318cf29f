// The entity-id service: the default answers from the attribute manager, and installing and
// destroying a host service.
#include "DsQueryIDInt.h"

#include "SpaBuilders.h"
#include "VyrAttManager.h"
#include "acis.h"

#include "EntityDeleter.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using vyrtest::EntityPtr;

// A host service with fixed answers.
class CFixedQuery : public CDsQueryIDInt {
public:
    int QueryPID(ENTITY*) override { return 77; }
};

}  // namespace

TEST(DsQueryIDIntTest, TheDefaultIsActiveAndComesBackWhenAnInstalledServiceDies) {
    CDsQueryIDInt* const standard = CDsQueryIDInt::StGetActiveQueryIDInt();
    ASSERT_EQ(&CDsQueryIDInt::sDefaultQueryIDInt, standard);
    {
        CFixedQuery host;
        CDsQueryIDInt::StSetActiveQueryIDInt(&host);
        EXPECT_EQ(&host, CDsQueryIDInt::StGetActiveQueryIDInt());
        EXPECT_EQ(77, CDsQueryIDInt::StGetActiveQueryIDInt()->QueryPID(nullptr));
        // Another service dying does not touch the active one.
        { CFixedQuery other; }
        EXPECT_EQ(&host, CDsQueryIDInt::StGetActiveQueryIDInt());
    }
    EXPECT_EQ(standard, CDsQueryIDInt::StGetActiveQueryIDInt());
    // Installing null brings back the default rather than leaving no service.
    CDsQueryIDInt::StSetActiveQueryIDInt(nullptr);
    EXPECT_EQ(standard, CDsQueryIDInt::StGetActiveQueryIDInt());
}

TEST(DsQueryIDIntTest, DefaultAnswersFromTheAttributeManager) {
    CDsQueryIDInt* query = CDsQueryIDInt::StGetActiveQueryIDInt();
    EntityPtr body(make_block(0, 0, 0, 1, 1, 1));
    ASSERT_NE(nullptr, body);
    ENTITY_LIST faces;
    get_faces(body.get(), faces);
    ASSERT_GT(faces.count(), 0);
    ENTITY* face = faces[0];

    int pid = 0;
    ASSERT_TRUE(CVyrAttManager::GetVyrAttManager()->GetPid(face, pid));
    EXPECT_EQ(pid, query->QueryPID(face));
    EXPECT_EQ(0, query->QueryPID(nullptr));

    // Without assembly nodes everything is 0.
    EXPECT_EQ(0, query->QueryComponentId(face));
    EXPECT_EQ(0, query->QueryComponentId(body.get()));
    EXPECT_EQ(0L, query->QueryGenerationNumber(face));
    EXPECT_EQ(0, query->QueryComponentId(nullptr));
    EXPECT_EQ(0L, query->QueryGenerationNumber(nullptr));

    // The component id falls back on the owning body's node; the generation number does not.
    CVyrAttManager::GetVyrAttManager()->SetAssNode(body.get(), 12, 3);
    EXPECT_EQ(12, query->QueryComponentId(face));
    EXPECT_EQ(0L, query->QueryGenerationNumber(face));
    EXPECT_EQ(3L, query->QueryGenerationNumber(body.get()));

    // The entity's own node comes first.
    CVyrAttManager::GetVyrAttManager()->SetAssNode(face, 5, 9);
    EXPECT_EQ(5, query->QueryComponentId(face));
    EXPECT_EQ(9L, query->QueryGenerationNumber(face));
}

// A component is filed on its body; faces, edges and vertices lie several owners below it (the
// face under a shell and a lump, the edge under a coedge and a loop) and still answer its id.
TEST(DsQueryIDIntTest, EveryPartOfABodyAnswersTheBodysComponentId) {
    CDsQueryIDInt* query = CDsQueryIDInt::StGetActiveQueryIDInt();
    EntityPtr body(make_block(0, 0, 0, 2, 2, 2));
    ASSERT_NE(nullptr, body);
    CVyrAttManager::GetVyrAttManager()->SetAssNode(body.get(), 7, 1);
    EXPECT_EQ(7, query->QueryComponentId(body.get()));

    ENTITY_LIST faces, edges, vertices;
    get_faces(body.get(), faces);
    get_edges(body.get(), edges);
    get_vertices(body.get(), vertices);
    ASSERT_EQ(6, faces.count());
    for (int i = 0; i < faces.count(); ++i) EXPECT_EQ(7, query->QueryComponentId(faces[i])) << "face " << i;
    for (int i = 0; i < edges.count(); ++i) EXPECT_EQ(7, query->QueryComponentId(edges[i])) << "edge " << i;
    for (int i = 0; i < vertices.count(); ++i)
        EXPECT_EQ(7, query->QueryComponentId(vertices[i])) << "vertex " << i;

    // A body of no component still answers 0 for its parts.
    EntityPtr other(make_block(5, 0, 0, 1, 1, 1));
    ENTITY_LIST otherFaces;
    get_faces(other.get(), otherFaces);
    ASSERT_GT(otherFaces.count(), 0);
    EXPECT_EQ(0, query->QueryComponentId(otherFaces[0]));
}
