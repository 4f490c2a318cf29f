// Entities, attributes, lists and the topology of bodies made by the builders.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

#include "SpaBuilders.h"
#include "SpaTopology.h"

#include "EntityDeleter.h"
#include "EntityLists.h"

namespace {

using vyrtest::BodyPtr;
using vyrtest::Faces;
using vyrtest::LoopCentre;
using vyrtest::Edges;

BodyPtr Block() { return BodyPtr(make_block(0, 0, 0, 4, 3, 2)); }

// The outward normal of a face at the surface point closest to `p`.
SPAunit_vector OutwardNormal(const FACE* f, const SPAposition& p)
{
    const SPAunit_vector n = f->geometry()->equation().point_normal(p);
    return f->sense() == REVERSED ? -n : n;
}

// A plain attribute of a test-only kind, to see attributes freed with their owner.
int g_liveAttribs = 0;
class CountedAttrib : public ATTRIB {
    SPA_ENTITY_TYPE(CountedAttrib, ATTRIB, SPA_FIRST_EXTENSION_TYPE + 1, "counted_attrib")
public:
    explicit CountedAttrib(ENTITY* owner) : ATTRIB(owner) { ++g_liveAttribs; }
protected:
    ~CountedAttrib() override { --g_liveAttribs; }
};

}  // namespace

TEST(SpaTopology, BlockCountsAndOwners)
{
    BodyPtr body = Block();
    ASSERT_TRUE(body);
    ENTITY_LIST faces, edges, vertices;
    ASSERT_TRUE(api_get_faces(body.get(), faces).ok());
    ASSERT_TRUE(api_get_edges(body.get(), edges).ok());
    ASSERT_TRUE(api_get_vertices(body.get(), vertices).ok());
    EXPECT_EQ(faces.count(), 6);
    EXPECT_EQ(edges.count(), 12);
    EXPECT_EQ(vertices.count(), 8);
    EXPECT_EQ(body->lump()->next(), nullptr);
    EXPECT_EQ(body->lump()->shell()->next(), nullptr);
    EXPECT_FALSE(is_wire_body(body.get()));

    for (int i = 0; i < faces.count(); ++i) {
        FACE* f = static_cast<FACE*>(faces[i]);
        EXPECT_TRUE(is_FACE(f));
        EXPECT_TRUE(is_planar_face(f));
        EXPECT_FALSE(is_conical_face(f));
        EXPECT_EQ(f->sides(), SINGLE_SIDED);
        ENTITY* owner = nullptr;
        ASSERT_TRUE(api_get_owner(f, owner).ok());
        EXPECT_EQ(owner, body.get());
        // The immediate owners lead up to the body and stop there.
        EXPECT_EQ(f->owner(), f->shell());
        EXPECT_EQ(f->owner()->owner(), body->lump());
        EXPECT_EQ(f->owner()->owner()->owner(), body.get());
        EXPECT_EQ(body->owner(), nullptr);
        EXPECT_FALSE(is_toplevel(f));
    }
    for (int i = 0; i < edges.count(); ++i) {
        ENTITY* owner = nullptr;
        ASSERT_TRUE(api_get_owner(edges[i], owner).ok());
        EXPECT_EQ(owner, body.get());
        EXPECT_TRUE(is_linear_edge(edges[i]));
        EXPECT_FALSE(is_elliptical_edge(edges[i]));
    }
    for (int i = 0; i < vertices.count(); ++i) {
        ENTITY* owner = nullptr;
        ASSERT_TRUE(api_get_owner(vertices[i], owner).ok());
        EXPECT_EQ(owner, body.get());
    }
    ENTITY* self = nullptr;
    ASSERT_TRUE(api_get_owner(body.get(), self).ok());
    EXPECT_EQ(self, body.get());  // a top-level entity is its own top-level owner
    EXPECT_TRUE(is_toplevel(body.get()));
}

// Callers file faces, edges and vertices by their body (component ids, display groups): every
// part of a body, at any depth, answers the body itself from both forms, never an intermediate
// shell or coedge.
TEST(SpaTopology, EveryPartOfABodyAnswersTheBodyAsItsTopLevelOwner)
{
    BodyPtr body = Block();
    std::vector<ENTITY*> parts;
    for (LUMP* l = body->lump(); l != nullptr; l = l->next()) {
        parts.push_back(l);
        for (SHELL* s = l->shell(); s != nullptr; s = s->next()) {
            parts.push_back(s);
            for (FACE* f = s->face(); f != nullptr; f = f->next()) {
                parts.push_back(f);
                for (LOOP* lp = f->loop(); lp != nullptr; lp = lp->next()) {
                    parts.push_back(lp);
                    COEDGE* first = lp->start();
                    COEDGE* c = first;
                    do {
                        parts.push_back(c);
                        parts.push_back(c->edge());
                        parts.push_back(c->start());
                        c = c->next();
                    } while (c != nullptr && c != first);
                }
            }
        }
    }
    std::set<int> kinds;
    for (ENTITY* part : parts) kinds.insert(part->identity(1));
    ASSERT_EQ(kinds.size(), 7u) << "lumps, shells, faces, loops, coedges, edges and vertices";

    for (ENTITY* part : parts) {
        EXPECT_EQ(get_owner(part), body.get()) << part->type_name();
        ENTITY* owner = nullptr;
        ASSERT_TRUE(api_get_owner(part, owner).ok());
        EXPECT_EQ(owner, body.get()) << part->type_name();
    }
    EXPECT_EQ(get_owner(body.get()), body.get());

    // A free edge owns its vertices; with no owner above it, it is its own top-level owner.
    const straight line(SPAposition(), SPAunit_vector(1, 0, 0));
    EDGE* free = new EDGE(line, SPAinterval(0.0, 1.0));
    EXPECT_EQ(get_owner(free->start()), free);
    EXPECT_EQ(get_owner(free), free);
    free->lose();
}

TEST(SpaTopology, BlockFacesPointOutAndLoopsAreClosedRings)
{
    BodyPtr body = Block();
    const SPAposition centre(2, 1.5, 1);
    for (FACE* f : Faces(body.get())) {
        // Outward normals point away from the block's centre.
        const SPAposition p = LoopCentre(f);
        EXPECT_GT(OutwardNormal(f, p) % (p - centre), 0.0) << "face normal points inward";

        ASSERT_NE(f->loop(), nullptr);
        EXPECT_EQ(f->loop()->next(), nullptr);
        int n = 0;
        COEDGE* first = f->loop()->start();
        COEDGE* c = first;
        do {
            ++n;
            EXPECT_EQ(c->loop(), f->loop());
            EXPECT_EQ(c->end(), c->next()->start()) << "coedges do not chain";
            EXPECT_EQ(c->next()->previous(), c);
            // Every block edge joins two faces: its coedges are partners of each other.
            ASSERT_NE(c->partner(), nullptr);
            EXPECT_EQ(c->partner()->partner(), c);
            EXPECT_EQ(c->partner()->edge(), c->edge());
            EXPECT_NE(c->partner()->sense(), c->sense());
            // Going round the loop the face lies on the left, seen from outside.
            const SPAvector along = c->end()->position() - c->start()->position();
            const SPAposition mid = c->start()->position() + along * 0.5;
            EXPECT_GT((OutwardNormal(f, mid) * along) % (p - mid), 0.0) << "loop runs clockwise";
            c = c->next();
        } while (c != first && n < 10);
        EXPECT_EQ(n, 4);
    }
}

TEST(SpaTopology, EdgesAndVerticesAgree)
{
    BodyPtr body = Block();
    for (EDGE* e : Edges(body.get())) {
        ASSERT_NE(e->geometry(), nullptr);
        const curve& c = e->geometry()->equation();
        EXPECT_EQ(e->sense(), FORWARD);
        // The curve at the edge's end parameters is at the edge's vertices.
        EXPECT_TRUE(same_point(c.eval_position(e->start_param()), e->start()->position()));
        EXPECT_TRUE(same_point(c.eval_position(e->end_param()), e->end()->position()));
        EXPECT_DOUBLE_EQ(e->param_range().start_pt(), e->start_param());
        EXPECT_DOUBLE_EQ(e->param_range().end_pt(), e->end_param());
        EXPECT_TRUE(same_point(e->start_pos(), e->start()->position()));
        EXPECT_EQ(e->get_convexity(), EDGE_cvty_convex);
        EXPECT_EQ(static_cast<int>(Faces(e).size()), 2);
        EXPECT_EQ(e->owner(), e->coedge());
    }
    ENTITY_LIST vertices;
    get_vertices(body.get(), vertices);
    for (int i = 0; i < vertices.count(); ++i) {
        VERTEX* v = static_cast<VERTEX*>(vertices[i]);
        EXPECT_EQ(v->count_edges(), 3);
        EXPECT_EQ(static_cast<int>(Faces(v).size()), 3);
        EXPECT_EQ(v->edge(3), nullptr);
        for (int k = 0; k < 3; ++k) EXPECT_TRUE(v->edge(k)->start() == v || v->edge(k)->end() == v);
    }
}

TEST(SpaTopology, QueriesOfPartsAndOrderIsStable)
{
    BodyPtr body = Block();
    FACE* f = Faces(body.get()).front();
    EXPECT_EQ(Edges(f).size(), 4u);
    EXPECT_EQ(Faces(f).size(), 1u);
    EXPECT_EQ(Faces(f->loop()).front(), f);
    EXPECT_EQ(Faces(body->lump()).size(), 6u);
    EXPECT_EQ(Edges(body->lump()->shell()).size(), 12u);
    ENTITY_LIST fv;
    get_vertices(f, fv);
    EXPECT_EQ(fv.count(), 4);

    // Repeated calls, and the api_ and plain forms, give the same order.
    EXPECT_EQ(Faces(body.get()), Faces(body.get()));
    ENTITY_LIST apiEdges;
    ASSERT_TRUE(api_get_edges(body.get(), apiEdges).ok());
    const std::vector<EDGE*> plain = Edges(body.get());
    ASSERT_EQ(apiEdges.count(), static_cast<int>(plain.size()));
    for (int i = 0; i < apiEdges.count(); ++i) EXPECT_EQ(apiEdges[i], plain[static_cast<size_t>(i)]);

    // Each entity once.
    const std::vector<EDGE*> edges = Edges(body.get());
    EXPECT_EQ(std::set<EDGE*>(edges.begin(), edges.end()).size(), edges.size());
}

TEST(SpaTopology, CylinderAndConeFaces)
{
    BodyPtr cyl(make_cylinder(SPAposition(1, 2, 3), SPAvector(0, 0, 1), 2.0, 5.0));
    ASSERT_TRUE(cyl);
    int sides = 0, caps = 0;
    for (FACE* f : Faces(cyl.get())) {
        if (is_conical_face(f)) {
            ++sides;
            EXPECT_TRUE(is_cylindrical_face(f));
            // No seam: a loop per rim, each one circle that the side shares with a cap.
            int loops = 0;
            for (LOOP* l = f->loop(); l != nullptr; l = l->next()) {
                ++loops;
                ASSERT_NE(l->start(), nullptr);
                EXPECT_EQ(l->start()->next(), l->start());
                EDGE* e = l->start()->edge();
                EXPECT_TRUE(is_elliptical_edge(e));
                EXPECT_EQ(Faces(e).size(), 2u);
                EXPECT_EQ(e->get_convexity(), EDGE_cvty_convex);
            }
            EXPECT_EQ(loops, 2);
            EXPECT_EQ(Edges(f).size(), 2u);
        } else {
            ++caps;
            EXPECT_TRUE(is_planar_face(f));
        }
    }
    EXPECT_EQ(sides, 1);
    EXPECT_EQ(caps, 2);
    int circles = 0;
    for (EDGE* e : Edges(cyl.get())) circles += is_elliptical_edge(e);
    EXPECT_EQ(circles, 2);

    BodyPtr cone(make_cone(SPAposition(), SPAvector(0, 0, 1), 3.0, 1.0, 4.0));
    ASSERT_TRUE(cone);
    int conical = 0;
    for (FACE* f : Faces(cone.get()))
        if (is_conical_face(f)) {
            ++conical;
            EXPECT_FALSE(is_cylindrical_face(f));
        }
    EXPECT_EQ(conical, 1);
}

// Where a periodic surface closes on itself there is no edge: a body's edges, vertices and loops
// are the boundaries its faces really have, for the primitives and for a block drilled through.
TEST(SpaTopology, SeamsAreNoEdges)
{
    auto count = [](ENTITY* entity, outcome (*get)(ENTITY*, ENTITY_LIST&)) {
        ENTITY_LIST list;
        EXPECT_TRUE(get(entity, list).ok());
        return list.count();
    };
    auto loops = [](const FACE* face) {
        int n = 0;
        for (LOOP* l = face->loop(); l != nullptr; l = l->next()) ++n;
        return n;
    };
    const struct {
        const char* name;
        BODY* body;
        int edges, vertices, curvedLoops;
    } cases[] = {
        {"cylinder", make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 2, 5), 2, 2, 2},
        {"frustum", make_cone(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 3, 1, 4), 2, 2, 2},
        {"pointed cone", make_cone(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 3, 0, 4), 1, 1, 1},
        {"sphere", make_sphere(SPAposition(0, 0, 0), 2), 0, 0, 0},
        {"torus", make_torus(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 5, 1), 0, 0, 0},
    };
    for (const auto& c : cases) {
        BodyPtr body(c.body);
        ASSERT_TRUE(body) << c.name;
        EXPECT_EQ(count(body.get(), api_get_edges), c.edges) << c.name;
        EXPECT_EQ(count(body.get(), api_get_vertices), c.vertices) << c.name;
        for (FACE* f : Faces(body.get())) {
            if (is_planar_face(f)) continue;
            EXPECT_EQ(loops(f), c.curvedLoops) << c.name;
            // Every edge of the face bounds another face too.
            for (EDGE* e : Edges(f)) EXPECT_EQ(Faces(e).size(), 2u) << c.name;
        }
    }

    // A block drilled through by a cylinder: its 12 edges and the hole's two rims, each bounding
    // the hole and a side of the block (a ridge), and the hole's face one loop per rim.
    BodyPtr block(make_block(-10, -10, -10, 10, 10, 10));
    BodyPtr drill(make_cylinder(SPAposition(0, 0, -20), SPAvector(0, 0, 1), 4, 40));
    BodyPtr drilled(subtract_bodies(block.get(), drill.get()));
    ASSERT_TRUE(drilled);
    EXPECT_EQ(count(drilled.get(), api_get_edges), 14);
    int holes = 0;
    for (FACE* f : Faces(drilled.get())) {
        if (!is_cylindrical_face(f)) continue;
        ++holes;
        EXPECT_EQ(loops(f), 2);
        ASSERT_EQ(Edges(f).size(), 2u);
        for (EDGE* e : Edges(f)) {
            EXPECT_TRUE(is_elliptical_edge(e));
            EXPECT_EQ(e->get_convexity(), EDGE_cvty_convex);
        }
    }
    EXPECT_EQ(holes, 1);
}

TEST(SpaTopology, OtherSolidsAndConvexity)
{
    BodyPtr sphere(make_sphere(SPAposition(), 2.0));
    ASSERT_TRUE(sphere);
    ASSERT_EQ(Faces(sphere.get()).size(), 1u);
    EXPECT_TRUE(is_spherical_face(Faces(sphere.get()).front()));
    for (EDGE* e : Edges(sphere.get())) EXPECT_NE(e->geometry(), nullptr);  // no collapsed pole edges

    BodyPtr torus(make_torus(SPAposition(), SPAvector(0, 0, 1), 5.0, 1.0));
    ASSERT_TRUE(torus);
    ASSERT_EQ(Faces(torus.get()).size(), 1u);
    EXPECT_TRUE(is_toroidal_face(Faces(torus.get()).front()));

    // A block with a slot cut from its top has two concave edges at the slot's floor.
    BodyPtr block(make_block(0, 0, 0, 10, 10, 10));
    BodyPtr slot(make_block(4, -1, 5, 6, 11, 11));
    BodyPtr notched(subtract_bodies(block.get(), slot.get()));
    ASSERT_TRUE(notched);
    int concave = 0, convex = 0;
    for (EDGE* e : Edges(notched.get())) {
        concave += e->get_convexity() == EDGE_cvty_concave;
        convex += e->get_convexity() == EDGE_cvty_convex;
    }
    EXPECT_EQ(concave, 2);
    EXPECT_EQ(convex, static_cast<int>(Edges(notched.get()).size()) - 2);
}

TEST(SpaTopology, WireBodies)
{
    const SPAposition pts[] = {SPAposition(0, 0, 0), SPAposition(1, 0, 0), SPAposition(1, 1, 0), SPAposition(0, 1, 1)};
    BodyPtr wire(make_wire_body(pts, 4));
    ASSERT_TRUE(wire);
    EXPECT_TRUE(is_wire_body(wire.get()));
    EXPECT_TRUE(Faces(wire.get()).empty());
    ASSERT_NE(wire->wire(), nullptr);
    EXPECT_TRUE(is_WIRE(wire->wire()));
    const std::vector<EDGE*> edges = Edges(wire.get());
    ASSERT_EQ(edges.size(), 3u);
    // The coedges chain from the first point to the last and stop.
    COEDGE* c = wire->wire()->coedge();
    EXPECT_TRUE(same_point(c->start()->position(), pts[0]));
    int n = 1;
    while (c->next() != nullptr) {
        EXPECT_EQ(c->end(), c->next()->start());
        c = c->next();
        ++n;
    }
    EXPECT_EQ(n, 3);
    EXPECT_TRUE(same_point(c->end()->position(), pts[3]));
    EXPECT_EQ(edges[0]->get_convexity(), EDGE_cvty_unknown);
    ENTITY* owner = nullptr;
    ASSERT_TRUE(api_get_owner(edges[1], owner).ok());
    EXPECT_EQ(owner, wire.get());
    EXPECT_EQ(Edges(wire->wire()).size(), 3u);
}

TEST(SpaTopology, BadInputGivesErrorsNotCrashes)
{
    ENTITY_LIST list;
    outcome r = api_get_faces(nullptr, list);
    EXPECT_EQ(r.error_number(), NULL_ENTITY);
    EXPECT_EQ(api_get_edges(nullptr, list).error_number(), NULL_ENTITY);
    EXPECT_EQ(api_get_vertices(nullptr, list).error_number(), NULL_ENTITY);
    ENTITY* owner = reinterpret_cast<ENTITY*>(1);
    EXPECT_EQ(api_get_owner(nullptr, owner).error_number(), NULL_ENTITY);
    EXPECT_EQ(owner, nullptr);

    TRANSFORM* t = new TRANSFORM();
    EXPECT_EQ(api_get_faces(t, list).error_number(), WRONG_TYPE);
    EXPECT_EQ(list.count(), 0);
    get_faces(t, list);  // the plain form just adds nothing
    get_edges(nullptr, list);
    EXPECT_EQ(list.count(), 0);
    EXPECT_FALSE(is_FACE(nullptr));
    EXPECT_FALSE(is_planar_face(t));
    EXPECT_FALSE(is_wire_body(t));
    EXPECT_FALSE(is_toplevel(nullptr));
    EXPECT_EQ(get_owner(nullptr), nullptr);
    t->lose();

    // An empty body has no topology; every query answers nothing.
    BODY* empty = new BODY();
    EXPECT_TRUE(api_get_faces(empty, list).ok());
    EXPECT_EQ(list.count(), 0);
    EXPECT_FALSE(is_wire_body(empty));
    empty->lose();

    // lose() on an entity another one owns does nothing: the body still frees it.
    BodyPtr body = Block();
    FACE* f = Faces(body.get()).front();
    f->lose();
    EXPECT_EQ(Faces(body.get()).size(), 6u);
}

TEST(SpaTopology, TypeIdentityByLevel)
{
    BodyPtr body = Block();
    FACE* f = Faces(body.get()).front();
    EXPECT_EQ(f->identity(), FACE_TYPE);
    EXPECT_EQ(f->identity(0), FACE_TYPE);
    EXPECT_EQ(f->identity(1), FACE_TYPE);
    EXPECT_EQ(f->identity(2), -1);
    EXPECT_EQ(f->identity(-1), -1);
    EXPECT_STREQ(f->type_name(), "face");
    EXPECT_STREQ(body->type_name(), "body");
    EXPECT_EQ(Edges(body.get()).front()->identity(), EDGE_TYPE);

    ATTRIB_GEN_ENTITY* a = new ATTRIB_GEN_ENTITY(f, "x", nullptr);
    EXPECT_EQ(a->identity(), ATTRIB_GEN_ENTITY_TYPE);
    EXPECT_EQ(a->identity(1), ATTRIB_TYPE);
    EXPECT_EQ(a->identity(2), ATTRIB_GEN_NAME_TYPE);
    EXPECT_EQ(a->identity(3), ATTRIB_GEN_ENTITY_TYPE);
    EXPECT_EQ(a->identity(4), -1);
}

TEST(SpaEntity, AttributeChainAndFindAttrib)
{
    g_liveAttribs = 0;
    BodyPtr body = Block();
    EDGE* e = Edges(body.get()).front();
    EXPECT_EQ(find_attrib(e, ATTRIB_GEN_NAME_TYPE), nullptr);
    ATTRIB* counted = new CountedAttrib(e);
    ATTRIB* named = new ATTRIB_GEN_ENTITY(e, "n", body.get());
    new CountedAttrib(e);
    EXPECT_EQ(g_liveAttribs, 2);
    EXPECT_EQ(e->attrib(), counted);
    EXPECT_EQ(counted->next(), named);
    EXPECT_EQ(named->previous(), counted);
    EXPECT_EQ(counted->owner(), e);

    EXPECT_EQ(find_attrib(e, SPA_FIRST_EXTENSION_TYPE + 1), counted);
    EXPECT_EQ(find_attrib(e, ATTRIB_GEN_NAME_TYPE, ATTRIB_GEN_ENTITY_TYPE, -1, -1), named);
    EXPECT_EQ(find_attrib(e, ATTRIB_GEN_NAME_TYPE, 12345), nullptr);
    ATTRIB* second = find_next_attrib(counted, SPA_FIRST_EXTENSION_TYPE + 1);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, counted);
    EXPECT_EQ(find_next_attrib(second, SPA_FIRST_EXTENSION_TYPE + 1), nullptr);
    EXPECT_EQ(find_attrib(nullptr, ATTRIB_GEN_NAME_TYPE), nullptr);

    // Losing an attribute takes it off the chain.
    counted->lose();
    EXPECT_EQ(g_liveAttribs, 1);
    EXPECT_EQ(e->attrib(), named);
    EXPECT_EQ(named->previous(), nullptr);

    // Attributes go with their owner.
    body.reset();
    EXPECT_EQ(g_liveAttribs, 0);
}

TEST(SpaEntity, NamedEntityAttributeOnTransform)
{
    BodyPtr body = Block();
    ASSERT_TRUE(set_body_transform(body.get(), translate_transf(SPAvector(1, 0, 0))).ok());
    TRANSFORM* t = body->transform();
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(api_add_generic_named_attribute(t, "TransfAttr", body.get()).ok());

    ATTRIB_GEN_NAME* found = nullptr;
    ASSERT_TRUE(api_find_named_attribute(t, "TransfAttr", found).ok());
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found->name(), "TransfAttr");
    ASSERT_EQ(found->identity(), ATTRIB_GEN_ENTITY_TYPE);
    EXPECT_EQ(static_cast<ATTRIB_GEN_ENTITY*>(found)->value(), body.get());

    // Setting the name again replaces the value instead of stacking attributes.
    ASSERT_TRUE(api_add_generic_named_attribute(t, "TransfAttr", nullptr).ok());
    ASSERT_TRUE(api_find_named_attribute(t, "TransfAttr", found).ok());
    EXPECT_EQ(static_cast<ATTRIB_GEN_ENTITY*>(found)->value(), nullptr);
    EXPECT_EQ(t->attrib()->next(), nullptr);

    ASSERT_TRUE(api_find_named_attribute(t, "other", found).ok());
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(api_find_named_attribute(nullptr, "TransfAttr", found).error_number(), NULL_ENTITY);
    EXPECT_EQ(api_find_named_attribute(t, nullptr, found).error_number(), BAD_ARGUMENT);
    EXPECT_EQ(api_add_generic_named_attribute(t, "", nullptr).error_number(), BAD_ARGUMENT);
    EXPECT_EQ(api_add_generic_named_attribute(nullptr, "a", nullptr).error_number(), NULL_ENTITY);
}

TEST(SpaEntity, TransformsAreSharedByBodies)
{
    BodyPtr a = Block();
    BodyPtr b = Block();
    TRANSFORM* t = new TRANSFORM(translate_transf(SPAvector(0, 0, 5)));
    a->set_transform(t);
    b->set_transform(t);
    EXPECT_EQ(t->use_count(), 2);
    EXPECT_TRUE(is_TRANSFORM(t));
    EXPECT_TRUE(is_toplevel(t));
    t->lose();  // in use: ignored
    EXPECT_EQ(b->transform(), t);
    a.reset();
    EXPECT_EQ(t->use_count(), 1);
    EXPECT_NEAR(b->transform()->transform().translation().z(), 5.0, 0.0);
    b->set_transform(nullptr);  // the last user lets go: freed (the sanitizer build checks)
    EXPECT_EQ(b->transform(), nullptr);
}

TEST(SpaEntity, EntityLists)
{
    BodyPtr body = Block();
    const std::vector<FACE*> faces = Faces(body.get());
    ENTITY_LIST list;
    EXPECT_EQ(list.add(faces[0]), 0);
    EXPECT_EQ(list.add(faces[1]), 1);
    EXPECT_EQ(list.add(faces[0]), 0);  // already there
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.add(faces[0], 0), 2);  // no check: listed twice
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.lookup(faces[0]), 0);
    EXPECT_EQ(list.lookup(faces[5]), -1);
    EXPECT_EQ(list.lookup(nullptr), -1);
    EXPECT_EQ(list.add(nullptr), -1);
    EXPECT_EQ(list[1], faces[1]);
    EXPECT_EQ(list[3], nullptr);
    EXPECT_EQ(list[-1], nullptr);

    list.init();
    std::vector<ENTITY*> walked;
    while (ENTITY* e = list.next()) walked.push_back(e);
    EXPECT_EQ(walked.size(), 3u);
    EXPECT_EQ(list.next(), nullptr);

    ENTITY_LIST other;
    other.add(faces[2]);
    other.add(faces[1]);
    list.add(other);
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.iteration_count(), 4);
    list.add(list);  // adding a list to itself changes nothing
    EXPECT_EQ(list.count(), 4);
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.lookup(faces[0]), -1);
    // The entities are untouched by the list.
    EXPECT_EQ(Faces(body.get()).size(), 6u);
}
