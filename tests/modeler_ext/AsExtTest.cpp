// Instances, their copy bodies and the mapping between copies and real entities; groups.
#include "SpaBuilders.h"
#include "VyrAsExt.h"
#include "VyrEntGroup.h"
#include "VyrEntInstance.h"
#include "VyrPoint.h"

#include "EntityDeleter.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using vyrtest::EntityPtr;

const double kHalfPi = 1.57079632679489661923;
const SPAtransf kShift = translate_transf(SPAvector(100, 0, 0));

BODY* body_of(const EntityPtr& p) { return static_cast<BODY*>(p.get()); }

void expect_same_point(const SPAposition& a, const SPAposition& b) {
    EXPECT_TRUE(same_point(a, b, 1e-9)) << "(" << a.x() << ", " << a.y() << ", " << a.z() << ") vs ("
                                        << b.x() << ", " << b.y() << ", " << b.z() << ")";
}

}  // namespace

TEST(AsExtTest, CopiesMapBackToTheRealEntitiesAndRealEntitiesToTheirCopies) {
    EntityPtr real(make_block(0, 0, 0, 10, 20, 30));
    ASSERT_NE(nullptr, real);
    EntityPtr instance(new CVyrEntInstance(body_of(real), kShift));
    ASSERT_TRUE(is_CVyrEntInstance(instance.get()));
    const CVyrEntInstance* inst = static_cast<CVyrEntInstance*>(instance.get());
    ENTITY_LIST copies;
    inst->GetEntities(copies);
    ASSERT_EQ(1, copies.count());
    ENTITY* copy = copies[0];
    ASSERT_TRUE(is_BODY(copy));
    EXPECT_NE(real.get(), copy);
    EXPECT_EQ(copy, inst->GetCopy(body_of(real)));
    EXPECT_EQ(real.get(), inst->GetReal(static_cast<BODY*>(copy)));

    EXPECT_EQ(real.get(), CVyrAsExt::GetRealEntity(copy));
    EXPECT_EQ(copy, CVyrAsExt::GetEntityCopy(copy, real.get()));
    EXPECT_TRUE(CVyrAsExt::IsCopy(copy));
    EXPECT_FALSE(CVyrAsExt::IsCopy(real.get()));
    EXPECT_EQ(nullptr, CVyrAsExt::GetRealEntity(real.get()));

    ENTITY_LIST realFaces, copyFaces, realEdges, copyEdges, realVertices, copyVertices;
    get_faces(real.get(), realFaces);
    get_faces(copy, copyFaces);
    get_edges(real.get(), realEdges);
    get_edges(copy, copyEdges);
    get_vertices(real.get(), realVertices);
    get_vertices(copy, copyVertices);
    ASSERT_EQ(6, copyFaces.count());
    ASSERT_EQ(12, copyEdges.count());
    ASSERT_EQ(8, copyVertices.count());
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(realFaces[i], CVyrAsExt::GetRealEntity(copyFaces[i]));
        EXPECT_EQ(copyFaces[i], CVyrAsExt::GetEntityCopy(copy, realFaces[i]));
        // Any entity of the copy, and the instance itself, stand for the copy.
        EXPECT_EQ(copyFaces[i], CVyrAsExt::GetEntityCopy(copyEdges[0], realFaces[i]));
        EXPECT_EQ(copyFaces[i], CVyrAsExt::GetEntityCopy(instance.get(), realFaces[i]));
        EXPECT_EQ(copyFaces[i], CVyrAsExt::GetEntityCopy(copy, copyFaces[i]));
    }
    for (int i = 0; i < 12; ++i) EXPECT_EQ(realEdges[i], CVyrAsExt::GetRealEntity(copyEdges[i]));
    for (int i = 0; i < 8; ++i) {
        const VERTEX* r = static_cast<VERTEX*>(realVertices[i]);
        const VERTEX* c = static_cast<VERTEX*>(copyVertices[i]);
        EXPECT_EQ(r, CVyrAsExt::GetRealEntity(copyVertices[i]));
        // Same body-space geometry; the copy's body transform places it.
        expect_same_point(r->position(), c->position());
    }

    // Lists: only entities of the wanted kind that have a copy are appended.
    ENTITY_LIST in, out;
    in.add(realEdges[3]);
    in.add(realFaces[0]);
    in.add(realEdges[5]);
    EntityPtr stranger(make_block(0, 0, 0, 1, 1, 1));
    ENTITY_LIST strangerEdges;
    get_edges(stranger.get(), strangerEdges);
    in.add(strangerEdges[0]);
    EXPECT_EQ(2, CVyrAsExt::GetCopyEdges(copy, in, out));
    ASSERT_EQ(2, out.count());
    EXPECT_EQ(copyEdges[3], out[0]);
    EXPECT_EQ(copyEdges[5], out[1]);
    ENTITY_LIST faceOut;
    EXPECT_EQ(1, CVyrAsExt::GetCopyFaces(instance.get(), in, faceOut));
    EXPECT_EQ(copyFaces[0], faceOut[0]);
    EXPECT_EQ(nullptr, CVyrAsExt::GetEntityCopy(copy, strangerEdges[0]));
}

TEST(AsExtTest, TransformationsPlaceTheCopyAfterTheRealBodysOwnTransform) {
    EntityPtr real(make_block(0, 0, 0, 1, 1, 1));
    ASSERT_TRUE(set_body_transform(body_of(real), rotate_transf(kHalfPi, SPAvector(0, 0, 1))).ok());
    EntityPtr instance(new CVyrEntInstance(body_of(real), kShift));
    BODY* copy = static_cast<CVyrEntInstance*>(instance.get())->GetCopy(body_of(real));
    ASSERT_NE(nullptr, copy);

    // The copy's entities and the instance report the instance's transform.
    ENTITY_LIST faces;
    get_faces(copy, faces);
    const SPAposition probe(1, 0, 0);
    expect_same_point(probe * kShift, probe * CVyrAsExt::GetTransformation(copy));
    expect_same_point(probe * kShift, probe * CVyrAsExt::GetTransformation(faces[2]));
    expect_same_point(probe * kShift, probe * CVyrAsExt::GetTransformation(instance.get()));
    EXPECT_TRUE(CVyrAsExt::GetTransformation(real.get()).identity());
    EXPECT_TRUE(CVyrAsExt::GetTransformation(nullptr).identity());

    // In model space the copy is the real body moved by the instance: rotation, then shift.
    ASSERT_NE(nullptr, copy->transform());
    expect_same_point(SPAposition(100, 1, 0), probe * copy->transform()->transform());
}

TEST(AsExtTest, FreedRealBodiesAndCopiesLeaveNoDanglingMapping) {
    EntityPtr a(make_block(0, 0, 0, 1, 1, 1));
    EntityPtr b(make_cylinder(SPAposition(), SPAvector(0, 0, 1), 1, 2));
    ENTITY_LIST bodies;
    bodies.add(a.get());
    bodies.add(b.get());
    bodies.add(a.get(), 0);  // a repeat is left out
    EntityPtr point(new CVyrPoint());
    bodies.add(point.get());  // not a body: left out
    EntityPtr instance(new CVyrEntInstance(bodies, kShift));
    CVyrEntInstance* inst = static_cast<CVyrEntInstance*>(instance.get());
    ASSERT_EQ(2, inst->GetCount());
    BODY* copyA = inst->GetCopy(body_of(a));
    BODY* copyB = inst->GetCopy(body_of(b));
    ASSERT_NE(nullptr, copyA);
    ASSERT_NE(nullptr, copyB);
    ENTITY_LIST copyFaces;
    get_faces(copyA, copyFaces);

    // The real body goes: its copy stays, but maps to nothing.
    a.reset();
    EXPECT_EQ(nullptr, CVyrAsExt::GetRealEntity(copyA));
    EXPECT_EQ(nullptr, CVyrAsExt::GetRealEntity(copyFaces[0]));
    EXPECT_EQ(nullptr, inst->GetReal(copyA));
    EXPECT_EQ(copyFaces[0], CVyrAsExt::GetEntityCopy(copyA, copyFaces[0]));
    EXPECT_EQ(2, inst->GetCount());

    // A copy freed on its own leaves the instance.
    copyB->lose();
    EXPECT_EQ(1, inst->GetCount());
    EXPECT_EQ(nullptr, inst->GetCopy(body_of(b)));
    ENTITY_LIST left;
    inst->GetEntities(left);
    ASSERT_EQ(1, left.count());
    EXPECT_EQ(copyA, left[0]);
    // Freeing the instance frees the remaining copy (the sanitizer build checks for leaks).
}

TEST(AsExtTest, EntitiesThatAreNoCopiesGetNeutralAnswers) {
    EntityPtr real(make_block(0, 0, 0, 1, 1, 1));
    ENTITY_LIST faces, out;
    get_faces(real.get(), faces);
    EXPECT_EQ(nullptr, CVyrAsExt::GetRealEntity(nullptr));
    EXPECT_EQ(nullptr, CVyrAsExt::GetRealEntity(faces[0]));
    EXPECT_EQ(nullptr, CVyrAsExt::GetEntityCopy(nullptr, faces[0]));
    EXPECT_EQ(nullptr, CVyrAsExt::GetEntityCopy(real.get(), nullptr));
    EXPECT_EQ(nullptr, CVyrAsExt::GetEntityCopy(real.get(), faces[0]));
    EXPECT_EQ(0, CVyrAsExt::GetCopyFaces(real.get(), faces, out));
    EXPECT_EQ(0, CVyrAsExt::GetCopyFaces(nullptr, faces, out));
    EXPECT_EQ(0, out.count());
    EXPECT_FALSE(CVyrAsExt::IsCopy(nullptr));

    EntityPtr empty(new CVyrEntInstance(nullptr));
    EXPECT_EQ(0, static_cast<CVyrEntInstance*>(empty.get())->GetCount());
    EXPECT_EQ(nullptr, CVyrAsExt::GetEntityCopy(empty.get(), faces[0]));
}

TEST(AsExtTest, GroupSharesATransformEntityAndDropsFreedMembers) {
    EntityPtr a(make_block(0, 0, 0, 1, 1, 1));
    EntityPtr b(make_block(2, 0, 0, 3, 1, 1));
    TRANSFORM* t = new TRANSFORM(kShift);
    body_of(a)->set_transform(t);
    body_of(b)->set_transform(t);
    ENTITY_LIST members;
    members.add(a.get());
    members.add(b.get());
    EntityPtr group(new CVyrEntGroup(members, t));
    CVyrEntGroup* g = static_cast<CVyrEntGroup*>(group.get());
    ASSERT_TRUE(is_CVyrEntGroup(g));
    EXPECT_EQ(t, g->GetTransform());
    EXPECT_EQ(2, g->GetCount());
    EXPECT_FALSE(g->Add(a.get()));
    EXPECT_FALSE(g->Add(g));
    EXPECT_FALSE(g->Add(nullptr));
    expect_same_point(SPAposition(100, 0, 0), SPAposition() * CVyrAsExt::GetTransformation(g));

    // The bodies letting go of the TRANSFORM do not free it while the group uses it.
    a.reset();
    b.reset();
    ASSERT_EQ(t, g->GetTransform());
    EXPECT_EQ(1, t->use_count());
    expect_same_point(SPAposition(100, 0, 0), SPAposition() * t->transform());
    EXPECT_EQ(0, g->GetCount());
    ENTITY_LIST left;
    g->GetEntities(left);
    EXPECT_EQ(0, left.count());

    g->SetTransform(nullptr);
    EXPECT_EQ(nullptr, g->GetTransform());
    EXPECT_TRUE(g->GetTransformation().identity());
}
