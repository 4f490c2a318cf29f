// The faceter: refinements and their lifetime, the mesh manager's call stream, facet quality
// (nodes on the surface, chord error, outward normals, orientation), curves and isolines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "SpaBuilders.h"
#include "SpaFaceter.h"

#include "EntityDeleter.h"
#include "EntityLists.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using vyrtest::BodyPtr;
using vyrtest::Faces;

// One face as the manager received it.
struct FaceRecord {
    ENTITY* face = nullptr;
    ENTITY* appRef = nullptr;
    ENTITY* format = nullptr;
    int npoly = -1, nnode = -1, npolynode = -1;
    std::vector<SPApar_pos> uv;
    std::vector<SPAposition> pos;
    std::vector<SPAunit_vector> normal;
    std::vector<std::vector<int>> polys;  // node indexes
    std::vector<int> shares;
    bool saved = false;
};

// Records every face and checks the order of the calls as they come.
class RecordingManager : public MESH_MANAGER {
public:
    std::vector<FaceRecord> faces;
    std::vector<std::string> errors;

    void begin_mesh_output(ENTITY* face, ENTITY* app, ENTITY* format) override
    {
        if (m_state != Idle) Fail("begin while a face is open");
        faces.emplace_back();
        faces.back().face = face;
        faces.back().appRef = app;
        faces.back().format = format;
        m_state = Begun;
    }
    void announce_counts(int npoly, int nnode, int npolynode) override
    {
        if (m_state != Begun) Fail("counts out of order");
        FaceRecord& f = faces.back();
        f.npoly = npoly;
        f.nnode = nnode;
        f.npolynode = npolynode;
        m_state = Counted;
    }
    void* announce_indexed_node(int index, const SPApar_pos& uv, const SPAposition& pos,
                                const SPAunit_vector& n) override
    {
        if (m_state != Counted && m_state != Nodes) Fail("node out of order");
        FaceRecord& f = faces.back();
        if (index != static_cast<int>(f.pos.size())) Fail("node index skipped");
        f.uv.push_back(uv);
        f.pos.push_back(pos);
        f.normal.push_back(n);
        m_state = Nodes;
        return reinterpret_cast<void*>(static_cast<uintptr_t>(index + 1));
    }
    void start_indexed_polygon(int poly, int count, int share) override
    {
        if (m_state != Nodes && m_state != Polys) Fail("polygon out of order");
        FaceRecord& f = faces.back();
        if (!f.polys.empty() && static_cast<int>(f.polys.back().size()) != m_expected) Fail("polygon incomplete");
        if (poly != static_cast<int>(f.polys.size())) Fail("polygon index skipped");
        f.polys.emplace_back();
        f.shares.push_back(share);
        m_expected = count;
        m_state = Polys;
    }
    void announce_indexed_polynode(int poly, int pos, void* id) override
    {
        FaceRecord& f = faces.back();
        if (m_state != Polys || poly != static_cast<int>(f.polys.size()) - 1) Fail("polynode out of order");
        if (pos != static_cast<int>(f.polys.back().size())) Fail("polynode position skipped");
        f.polys.back().push_back(static_cast<int>(reinterpret_cast<uintptr_t>(id)) - 1);
    }
    void announce_indexed_polynode(ENTITY*, int, int, void*) override { Fail("entity polynode form called"); }
    void end_mesh_output(ENTITY* face, ENTITY*, ENTITY*) override
    {
        if (m_state != Polys || faces.back().face != face) Fail("end out of order");
        if (static_cast<int>(faces.back().polys.back().size()) != m_expected) Fail("last polygon incomplete");
        m_state = Ended;
    }
    void save_mesh_output(ENTITY* face, ENTITY*, ENTITY*) override
    {
        if (m_state != Ended || faces.back().face != face) Fail("save out of order");
        faces.back().saved = true;
        m_state = Idle;
    }

    int Triangles() const
    {
        int n = 0;
        for (const FaceRecord& f : faces) n += static_cast<int>(f.polys.size());
        return n;
    }

private:
    enum State { Idle, Begun, Counted, Nodes, Polys, Ended };
    void Fail(const char* what) { errors.push_back(what); }
    State m_state = Idle;
    int m_expected = 0;
};

// Sets a refinement as default for the life of the object and restores the previous one.
class ScopedRefinement {
public:
    ScopedRefinement(double surfaceTol, double normalTol = 0.0, double maxEdge = 0.0)
    {
        EXPECT_TRUE(api_get_default_refinement(m_previous).ok());
        EXPECT_TRUE(api_create_refinement(m_ref).ok());
        m_ref->set_surface_tol(surfaceTol);
        m_ref->set_normal_tol(normalTol);
        m_ref->set_max_edge_length(maxEdge);
        EXPECT_TRUE(api_set_default_refinement(m_ref).ok());
    }
    ~ScopedRefinement() { api_set_default_refinement(m_previous); }
    REFINEMENT* get() const { return m_ref; }

private:
    REFINEMENT* m_previous = nullptr;
    REFINEMENT* m_ref = nullptr;
};

// Facets `e` into a new recording manager.
std::unique_ptr<RecordingManager> Facet(ENTITY* e, outcome* result = nullptr)
{
    auto mm = std::make_unique<RecordingManager>();
    api_set_mesh_manager(mm.get());
    const outcome r = api_facet_entity(e);
    api_set_mesh_manager(nullptr);
    if (result) *result = r;
    else EXPECT_TRUE(r.ok()) << r.error_number();
    return mm;
}

// Checks what every face must satisfy: counts as announced, triangles of valid nodes, unit
// normals, triangles counter-clockwise about the normals, nodes at their uv on the surface.
void ExpectWellFormed(const RecordingManager& mm, double surfaceTol)
{
    EXPECT_TRUE(mm.errors.empty()) << mm.errors.front();
    for (const FaceRecord& f : mm.faces) {
        ASSERT_TRUE(f.saved);
        ASSERT_EQ(f.nnode, static_cast<int>(f.pos.size()));
        ASSERT_EQ(f.npoly, static_cast<int>(f.polys.size()));
        int polynodes = 0;
        for (size_t p = 0; p < f.polys.size(); ++p) {
            ASSERT_EQ(f.polys[p].size(), 3u);
            EXPECT_EQ(f.shares[p], -2);
            polynodes += 3;
            for (int n : f.polys[p]) ASSERT_TRUE(n >= 0 && n < f.nnode);
            const SPAposition& a = f.pos[f.polys[p][0]];
            const SPAvector geo = (f.pos[f.polys[p][1]] - a) * (f.pos[f.polys[p][2]] - a);
            if (geo.len() < 1e-9) continue;
            const SPAvector mean = f.normal[f.polys[p][0]] + f.normal[f.polys[p][1]] + f.normal[f.polys[p][2]];
            EXPECT_GT(geo % mean, 0.0) << "triangle " << p << " runs clockwise about the normals";
        }
        EXPECT_EQ(f.npolynode, polynodes);
        const surface& s = static_cast<FACE*>(f.face)->geometry()->equation();
        for (int i = 0; i < f.nnode; ++i) {
            EXPECT_NEAR(f.normal[i].len(), 1.0, 1e-9);
            EXPECT_LT((s.eval_position(f.uv[i]) - f.pos[i]).len(), std::max(1e-6, surfaceTol)) << "node " << i;
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Refinements

TEST(SpaFaceter, RefinementDefaults)
{
    REFINEMENT* builtin = nullptr;
    ASSERT_TRUE(api_get_default_refinement(builtin).ok());
    ASSERT_NE(builtin, nullptr);
    EXPECT_EQ(builtin->get_normal_tol(), 0.0);
    EXPECT_EQ(builtin->get_surface_tol(), 0.5);
    EXPECT_EQ(builtin->get_max_grid_lines(), 512);
    EXPECT_EQ(builtin->get_max_edge_length(), 0.0);
    EXPECT_EQ(builtin->get_triang_mode(), AF_TRIANG_MODE_TRIANGLES);
    EXPECT_EQ(builtin->get_grid_mode(), AF_GRID_MODE_INSIDE);
    EXPECT_EQ(builtin->get_adjust_mode(), AF_ADJUST_MODE_SMOOTH_NON_GRID);
    EXPECT_EQ(builtin->get_grid_aspect_ratio(), 0.0);
    EXPECT_EQ(builtin->get_min_u_grid_lines(), 0);
    EXPECT_EQ(builtin->get_min_v_grid_lines(), 0);
    REFINEMENT* other = nullptr;
    EXPECT_TRUE(api_get_default_refinement(other, AF_SURF_MODE_OTHER).ok());
    EXPECT_EQ(other, builtin);

    // A new refinement starts from the defaults; modes take any int an archive hands back.
    REFINEMENT* r = nullptr;
    ASSERT_TRUE(api_create_refinement(r).ok());
    ASSERT_NE(r, builtin);
    EXPECT_EQ(r->get_surface_tol(), 0.5);
    EXPECT_EQ(r->get_max_grid_lines(), 512);
    r->set_grid_mode(static_cast<AF_GRID_MODE>(7));
    EXPECT_EQ(static_cast<int>(r->get_grid_mode()), 7);
}

TEST(SpaFaceter, RefinementLifetimeFollowsRememberSetRestore)
{
    REFINEMENT* r0 = nullptr;
    ASSERT_TRUE(api_get_default_refinement(r0).ok());

    // An outer run: remember r0, set r1. An inner run: remember r1, set r2, restore r1.
    REFINEMENT *r1 = nullptr, *r2 = nullptr;
    ASSERT_TRUE(api_create_refinement(r1).ok());
    ASSERT_TRUE(api_set_default_refinement(r1).ok());
    REFINEMENT* remembered = nullptr;
    api_get_default_refinement(remembered);
    EXPECT_EQ(remembered, r1);
    ASSERT_TRUE(api_create_refinement(r2).ok());
    ASSERT_TRUE(api_set_default_refinement(r2).ok());
    ASSERT_TRUE(api_set_default_refinement(remembered).ok());
    // r1 is still held (it is the default again) and usable; r2 is gone.
    r1->set_surface_tol(0.25);
    REFINEMENT* now = nullptr;
    api_get_default_refinement(now);
    EXPECT_EQ(now, r1);
    EXPECT_EQ(now->get_surface_tol(), 0.25);
    EXPECT_EQ(api_set_default_refinement(r2).error_number(), BAD_ARGUMENT);

    // The outer restore frees r1 and leaves the built-in default.
    ASSERT_TRUE(api_set_default_refinement(r0).ok());
    EXPECT_EQ(api_set_default_refinement(r1).error_number(), BAD_ARGUMENT);
    api_get_default_refinement(now);
    EXPECT_EQ(now, r0);

    // Setting without restoring keeps every refinement alive; null means the built-in one.
    REFINEMENT *a = nullptr, *b = nullptr;
    api_create_refinement(a);
    api_create_refinement(b);
    EXPECT_TRUE(api_set_default_refinement(a).ok());
    EXPECT_TRUE(api_set_default_refinement(b).ok());
    EXPECT_TRUE(api_set_default_refinement(nullptr).ok());
    api_get_default_refinement(now);
    EXPECT_EQ(now, r0);
    EXPECT_TRUE(api_set_default_refinement(a).ok());
    EXPECT_TRUE(api_set_default_refinement(b).ok());

    // Pointers the faceter did not make are refused without being read.
    int notARefinement = 0;
    EXPECT_EQ(api_set_default_refinement(reinterpret_cast<REFINEMENT*>(&notARefinement)).error_number(),
              BAD_ARGUMENT);
    api_set_default_refinement(nullptr);
}

// ---------------------------------------------------------------------------------------------
// The call stream and facet quality

TEST(SpaFaceter, BlockGivesOrderedExactOutwardOutput)
{
    BodyPtr block(make_block(0, 0, 0, 10, 20, 30));
    ASSERT_TRUE(block);
    auto mm = Facet(block.get());
    ExpectWellFormed(*mm, 0.5);
    const std::vector<FACE*> faces = Faces(block.get());
    ASSERT_EQ(mm->faces.size(), faces.size());
    const SPAposition centre(5, 10, 15);
    for (size_t i = 0; i < faces.size(); ++i) {
        const FaceRecord& f = mm->faces[i];
        EXPECT_EQ(f.face, faces[i]) << "faces come in get_faces order";
        EXPECT_EQ(f.appRef, block.get());
        EXPECT_EQ(f.format, vertex_template_of_faceter());
        EXPECT_GE(f.npoly, 2);
        for (int n = 0; n < f.nnode; ++n) {
            // On the block's boundary, normal along an axis and away from the centre.
            const SPAposition& p = f.pos[n];
            EXPECT_TRUE(p.x() > -1e-9 && p.x() < 10 + 1e-9 && p.y() > -1e-9 && p.y() < 20 + 1e-9 &&
                        p.z() > -1e-9 && p.z() < 30 + 1e-9);
            const SPAvector n0 = f.normal[n];
            EXPECT_NEAR(std::fabs(n0.x()) + std::fabs(n0.y()) + std::fabs(n0.z()), 1.0, 1e-9);
            EXPECT_GT(n0 % (p - centre), 0.0);
        }
    }
    // The faceter's template is its own and survives lose().
    vertex_template_of_faceter()->lose();
    EXPECT_TRUE(vertex_template_of_faceter()->has(VERTEX_TEMPLATE::normal_token));
    EXPECT_EQ(vertex_template_of_faceter()->identity(), VERTEX_TEMPLATE_TYPE);
}

TEST(SpaFaceter, CylinderMeetsSurfaceTolerance)
{
    const double radius = 5.0, height = 10.0, tol = 0.01;
    BodyPtr cyl(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), radius, height));
    ASSERT_TRUE(cyl);
    ScopedRefinement ref(tol);
    auto mm = Facet(cyl.get());
    ExpectWellFormed(*mm, tol);
    ASSERT_EQ(mm->faces.size(), 3u);
    int sideTriangles = 0;
    for (const FaceRecord& f : mm->faces) {
        const bool side = is_cylindrical_face(f.face) != 0;
        for (int n = 0; n < f.nnode; ++n) {
            const SPAposition& p = f.pos[n];
            const double r = std::hypot(p.x(), p.y());
            if (side) {
                EXPECT_NEAR(r, radius, 1e-6);
                EXPECT_NEAR(f.normal[n] % SPAvector(p.x() / r, p.y() / r, 0.0), 1.0, 1e-6);
            } else {
                EXPECT_TRUE(std::fabs(p.z()) < 1e-6 || std::fabs(p.z() - height) < 1e-6);
                EXPECT_LE(r, radius + 1e-6);
            }
        }
        if (!side) continue;
        for (const auto& t : f.polys) {
            const SPAvector c = ((f.pos[t[0]] - SPAposition()) + (f.pos[t[1]] - SPAposition()) +
                                 (f.pos[t[2]] - SPAposition())) / 3.0;
            EXPECT_LE(radius - std::hypot(c.x(), c.y()), tol + 1e-9);
            ++sideTriangles;
        }
    }
    EXPECT_GT(sideTriangles, 20);
}

TEST(SpaFaceter, SmallerToleranceNeverGivesFewerTriangles)
{
    BodyPtr cyl(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 5.0, 10.0));
    BodyPtr ball(make_sphere(SPAposition(1, 2, 3), 4.0));
    ASSERT_TRUE(cyl && ball);
    for (BODY* body : {cyl.get(), ball.get()}) {
        int previous = 0;
        for (double tol : {0.5, 0.1, 0.05, 0.01, 0.002}) {
            ScopedRefinement ref(tol);
            const int n = Facet(body)->Triangles();
            EXPECT_GE(n, previous) << "tolerance " << tol;
            previous = n;
        }
        int previousAngle = 0;
        for (double degrees : {45.0, 20.0, 10.0, 5.0}) {
            ScopedRefinement ref(1.0, degrees);
            const int n = Facet(body)->Triangles();
            EXPECT_GE(n, previousAngle) << "normal tolerance " << degrees;
            previousAngle = n;
        }
    }
    // Meshing again at a coarse tolerance after a fine one does not keep the fine mesh.
    int coarse = 0, fine = 0, again = 0;
    { ScopedRefinement r(0.5); coarse = Facet(cyl.get())->Triangles(); }
    { ScopedRefinement r(0.001); fine = Facet(cyl.get())->Triangles(); }
    { ScopedRefinement r(0.5); again = Facet(cyl.get())->Triangles(); }
    EXPECT_GT(fine, coarse);
    EXPECT_EQ(again, coarse);
}

TEST(SpaFaceter, ReversedAndSingularFacesKeepOutwardNormals)
{
    // A hole's face is reversed against its cylinder: its normals point into the hole.
    BodyPtr block(make_block(-5, -5, 0, 5, 5, 4));
    BodyPtr pin(make_cylinder(SPAposition(0, 0, -1), SPAvector(0, 0, 1), 2.0, 6.0));
    BodyPtr holed(subtract_bodies(block.get(), pin.get()));
    ASSERT_TRUE(holed);
    auto mm = Facet(holed.get());
    ExpectWellFormed(*mm, 0.5);
    int holeFaces = 0;
    for (const FaceRecord& f : mm->faces) {
        if (!is_cylindrical_face(f.face)) continue;
        ++holeFaces;
        for (int n = 0; n < f.nnode; ++n) {
            const SPAposition& p = f.pos[n];
            EXPECT_LT(f.normal[n] % SPAvector(p.x(), p.y(), 0.0), 0.0);
        }
    }
    EXPECT_GE(holeFaces, 1);

    // Sphere poles and a cone's apex have no surface normal of their own; the faceter still
    // gives unit outward normals there.
    BodyPtr ball(make_sphere(SPAposition(0, 0, 0), 3.0));
    BodyPtr spike(make_cone(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 2.0, 0.0, 5.0));
    ASSERT_TRUE(ball && spike);
    auto balls = Facet(ball.get());
    ExpectWellFormed(*balls, 0.5);
    for (const FaceRecord& f : balls->faces)
        for (int n = 0; n < f.nnode; ++n) EXPECT_GT(f.normal[n] % (f.pos[n] - SPAposition()), 0.0);
    ExpectWellFormed(*Facet(spike.get()), 0.5);
}

TEST(SpaFaceter, MaximumEdgeLengthSplitsOnTheSurface)
{
    BodyPtr block(make_block(0, 0, 0, 10, 10, 10));
    BodyPtr cyl(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 5.0, 10.0));
    ASSERT_TRUE(block && cyl);
    const int plain = Facet(block.get())->Triangles();
    ScopedRefinement ref(0.5, 0.0, 1.0);
    for (BODY* body : {block.get(), cyl.get()}) {
        auto mm = Facet(body);
        ExpectWellFormed(*mm, 1e-6);
        for (const FaceRecord& f : mm->faces)
            for (const auto& t : f.polys)
                for (int k = 0; k < 3; ++k) EXPECT_LE((f.pos[t[k]] - f.pos[t[(k + 1) % 3]]).len(), 1.0 + 1e-9);
        if (body == block.get()) {
            EXPECT_GE(mm->Triangles(), 6 * 200) << "vs " << plain;
        }
    }
    auto cylMesh = Facet(cyl.get());
    for (const FaceRecord& f : cylMesh->faces) {
        if (!is_cylindrical_face(f.face)) continue;
        for (const SPAposition& p : f.pos) EXPECT_NEAR(std::hypot(p.x(), p.y()), 5.0, 1e-6);
    }
}

TEST(SpaFaceter, BenchmarkPlateFacets)
{
    outcome built;
    BodyPtr plate(make_benchmark_plate(&built));
    ASSERT_TRUE(plate) << built.error_number();
    ScopedRefinement ref(0.5);
    auto mm = Facet(plate.get());
    ExpectWellFormed(*mm, 0.5);
    EXPECT_EQ(mm->faces.size(), Faces(plate.get()).size());
    EXPECT_GT(mm->Triangles(), 1000);
}

TEST(SpaFaceter, WhatIsFacetedAndWhere)
{
    BodyPtr block(make_block(0, 0, 0, 2, 2, 2));
    ASSERT_TRUE(block);
    ASSERT_TRUE(set_body_transform(block.get(), translate_transf(SPAvector(100, 0, 0))).ok());
    const std::vector<FACE*> faces = Faces(block.get());

    // One face: only that face, positions in body space (the transform is not applied).
    auto one = Facet(faces[2]);
    ASSERT_EQ(one->faces.size(), 1u);
    EXPECT_EQ(one->faces[0].face, faces[2]);
    EXPECT_EQ(one->faces[0].appRef, faces[2]);
    for (const SPAposition& p : one->faces[0].pos) EXPECT_LE(p.x(), 2 + 1e-9);

    // Lumps and shells give their faces; edges and vertices give nothing and succeed.
    EXPECT_EQ(Facet(block->lump())->faces.size(), 6u);
    EXPECT_EQ(Facet(block->lump()->shell())->faces.size(), 6u);
    ENTITY_LIST edges;
    get_edges(block.get(), edges);
    EXPECT_TRUE(Facet(edges[0])->faces.empty());

    // A list: each entry in order, edges passed over.
    ENTITY_LIST list;
    list.add(faces[1]);
    list.add(edges[0]);
    list.add(faces[0]);
    RecordingManager mm;
    api_set_mesh_manager(&mm);
    EXPECT_TRUE(api_facet_entities(list).ok());
    api_set_mesh_manager(nullptr);
    ASSERT_EQ(mm.faces.size(), 2u);
    EXPECT_EQ(mm.faces[0].face, faces[1]);
    EXPECT_EQ(mm.faces[1].face, faces[0]);

    // A body without faces.
    const SPAposition pts[] = {SPAposition(0, 0, 0), SPAposition(1, 0, 0), SPAposition(1, 1, 0)};
    BodyPtr wire(make_wire_body(pts, 3));
    ASSERT_TRUE(wire);
    EXPECT_TRUE(Facet(wire.get())->faces.empty());
}

TEST(SpaFaceter, BadInputIsRefused)
{
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    ASSERT_TRUE(block);
    outcome r;
    auto mm = Facet(nullptr, &r);
    EXPECT_EQ(r.error_number(), NULL_ENTITY);
    TRANSFORM* t = new TRANSFORM(translate_transf(SPAvector(1, 0, 0)));
    mm = Facet(t, &r);
    EXPECT_EQ(r.error_number(), WRONG_TYPE);
    t->lose();
    mm = Facet(vertex_template_of_faceter(), &r);
    EXPECT_EQ(r.error_number(), WRONG_TYPE);
    EXPECT_TRUE(mm->faces.empty());

    api_set_mesh_manager(nullptr);
    EXPECT_EQ(api_facet_entity(block.get()).error_number(), NO_MESH_MANAGER);

    struct Bad {
        double surface, normal, edge;
    };
    for (const Bad& bad : {Bad{0.0, 0.0, 0.0}, Bad{-0.1, 0.0, 0.0}, Bad{kNaN, 0.0, 0.0}, Bad{0.1, -1.0, 0.0},
                           Bad{0.1, kNaN, 0.0}, Bad{0.1, 0.0, -2.0}, Bad{0.1, 0.0, kNaN},
                           Bad{std::numeric_limits<double>::infinity(), 0.0, 0.0}}) {
        ScopedRefinement ref(bad.surface, bad.normal, bad.edge);
        mm = Facet(block.get(), &r);
        EXPECT_EQ(r.error_number(), BAD_TOLERANCE) << bad.surface << " " << bad.normal << " " << bad.edge;
        EXPECT_TRUE(mm->faces.empty());
    }
    // A tolerance that is merely large is fine.
    ScopedRefinement huge(1e6, 170.0);
    mm = Facet(block.get(), &r);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(mm->faces.size(), 6u);
}

TEST(SpaFaceter, ErrorInsideTheManagerEndsTheCall)
{
    // A manager that fails on the third face: the call reports the error, the next call works.
    class Failing : public RecordingManager {
    public:
        void begin_mesh_output(ENTITY* face, ENTITY* app, ENTITY* format) override
        {
            if (++m_begun == 3) sys_error(API_FAILED, face);
            RecordingManager::begin_mesh_output(face, app, format);
        }

    private:
        int m_begun = 0;
    };
    BodyPtr block(make_block(0, 0, 0, 1, 1, 1));
    ASSERT_TRUE(block);
    Failing failing;
    api_set_mesh_manager(&failing);
    const outcome r = api_facet_entity(block.get());
    api_set_mesh_manager(nullptr);
    EXPECT_EQ(r.error_number(), API_FAILED);
    EXPECT_EQ(failing.faces.size(), 2u);
    EXPECT_EQ(Facet(block.get())->faces.size(), 6u);
}

// ---------------------------------------------------------------------------------------------
// Curves

TEST(SpaFaceter, CurvesWithinToleranceAndLimit)
{
    SPAposition pts[1024];
    double params[1024];
    int count = 0;

    const straight line(SPAposition(1, 2, 3), SPAunit_vector(1, 0, 0));
    ASSERT_TRUE(api_facet_curve(line, -2.0, 5.0, 0.01, 0.0, 0.0, 1024, count, pts, params).ok());
    ASSERT_EQ(count, 2);
    EXPECT_TRUE(same_point(pts[0], SPAposition(-1, 2, 3)));
    EXPECT_TRUE(same_point(pts[1], SPAposition(6, 2, 3)));
    ASSERT_TRUE(api_facet_curve(line, 0.0, 10.0, 0.01, 0.0, 1.0, 1024, count, pts, params).ok());
    EXPECT_GE(count, 11);

    const ellipse circle(SPAposition(0, 0, 0), SPAunit_vector(0, 0, 1), SPAvector(10, 0, 0), 1.0, 0.0);
    const double tol = 0.01;
    ASSERT_TRUE(api_facet_curve(circle, 0.5, 4.0, tol, 0.0, 0.0, 1024, count, pts, params).ok());
    ASSERT_GT(count, 2);
    ASSERT_LT(count, 1024);
    EXPECT_EQ(params[0], 0.5);
    EXPECT_EQ(params[count - 1], 4.0);
    for (int i = 0; i + 1 < count; ++i) {
        ASSERT_LT(params[i], params[i + 1]);
        EXPECT_TRUE(same_point(pts[i], circle.eval_position(params[i])));
        const SPAvector mid = 0.5 * ((pts[i] - SPAposition()) + (pts[i + 1] - SPAposition()));
        EXPECT_LE(10.0 - mid.len(), tol + 1e-12);
    }
    // An angle limit between chord end tangents.
    ASSERT_TRUE(api_facet_curve(circle, 0.0, 6.0, 1.0, 0.05, 0.0, 1024, count, pts, params).ok());
    for (int i = 0; i + 1 < count; ++i) EXPECT_LE(params[i + 1] - params[i], 0.05 + 1e-12);

    // Too many points: exactly the limit, evenly spaced, ends kept.
    ASSERT_TRUE(api_facet_curve(circle, 0.0, 6.0, 1e-9, 0.0, 0.0, 16, count, pts, params).ok());
    ASSERT_EQ(count, 16);
    EXPECT_EQ(params[0], 0.0);
    EXPECT_EQ(params[15], 6.0);
    EXPECT_NEAR(params[1] - params[0], 0.4, 1e-12);

    // A free-form curve: the intersection of two crossing cylinders.
    BodyPtr a(make_cylinder(SPAposition(0, 0, -5), SPAvector(0, 0, 1), 2.0, 10.0));
    BodyPtr b(make_cylinder(SPAposition(-5, 0, 0), SPAvector(1, 0, 0), 1.0, 10.0));
    BodyPtr both(unite_bodies(a.get(), b.get()));
    ASSERT_TRUE(both);
    ENTITY_LIST edges;
    get_edges(both.get(), edges);
    int freeForm = 0;
    for (int i = 0; i < edges.count(); ++i) {
        const EDGE* e = static_cast<EDGE*>(edges[i]);
        if (e->geometry() == nullptr || e->geometry()->equation().type() != intcurve_type) continue;
        ++freeForm;
        const curve& c = e->geometry()->equation();
        const SPAinterval range = e->param_range();
        ASSERT_TRUE(api_facet_curve(c, range.start_pt(), range.end_pt(), 0.001, 0.0, 0.0, 1024, count, pts, params)
                        .ok());
        ASSERT_GE(count, 3);
        for (int k = 0; k < count; ++k) {
            EXPECT_NEAR(std::hypot(pts[k].x(), pts[k].y()), 2.0, 1e-5);
            if (k + 1 < count) {
                const double tm = 0.5 * (params[k] + params[k + 1]);
                const SPAposition chordMid = pts[k] + 0.5 * (pts[k + 1] - pts[k]);
                EXPECT_LE((c.eval_position(tm) - chordMid).len(), 0.001 + 1e-9);
            }
        }
        // Outside a bounded range of a curve that is not periodic: refused.
        if (!c.periodic()) {
            EXPECT_EQ(api_facet_curve(c, range.start_pt() - 1.0, range.end_pt(), 0.01, 0, 0, 1024, count, pts, params)
                          .error_number(),
                      BAD_ARGUMENT);
        }
    }
    EXPECT_GT(freeForm, 0);

    // Bad input: the count comes back 0.
    count = 7;
    EXPECT_EQ(api_facet_curve(circle, 0, 1, 0.0, 0, 0, 1024, count, pts, params).error_number(), BAD_TOLERANCE);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(api_facet_curve(circle, 0, 1, 0.1, 0, kNaN, 1024, count, pts, params).error_number(), BAD_TOLERANCE);
    EXPECT_EQ(api_facet_curve(circle, 0, 1, 0.1, 0, 0, 1, count, pts, params).error_number(), BAD_ARGUMENT);
    EXPECT_EQ(api_facet_curve(circle, kNaN, 1, 0.1, 0, 0, 1024, count, pts, params).error_number(), BAD_ARGUMENT);
}

// ---------------------------------------------------------------------------------------------
// Isolines

TEST(SpaFaceter, IsolinesAreClippedToTheFace)
{
    // A plate with a hole through its middle: the middle lines of the top face are cut in two.
    BodyPtr block(make_block(-10, -10, 0, 10, 10, 2));
    BodyPtr pin(make_cylinder(SPAposition(0, 0, -1), SPAvector(0, 0, 1), 3.0, 4.0));
    BodyPtr holed(subtract_bodies(block.get(), pin.get()));
    ASSERT_TRUE(holed);
    FACE* top = nullptr;
    for (FACE* f : Faces(holed.get()))
        if (is_planar_face(f) && std::fabs(f->geometry()->equation().eval_position(SPApar_pos()).z() - 2.0) < 1e-9)
            top = f;
    ASSERT_NE(top, nullptr);

    ENTITY_LIST lines;
    ASSERT_TRUE(api_face_nu_nv_isolines(1, 3, top, SPAtransf(), &lines).ok());
    // The u line and the middle v line pass through the hole (two pieces each): 1*2 + 2 + 2.
    ASSERT_EQ(lines.count(), 6);
    for (int i = 0; i < lines.count(); ++i) {
        EDGE* e = static_cast<EDGE*>(lines[i]);
        ASSERT_TRUE(is_EDGE(e));
        EXPECT_EQ(e->owner(), nullptr);
        ASSERT_NE(e->geometry(), nullptr);
        EXPECT_EQ(e->geometry()->equation().type(), straight_type);
        const SPAposition s = e->start_pos(), t = e->end_pos();
        for (const SPAposition& p : {s, t}) {
            EXPECT_NEAR(p.z(), 2.0, 1e-9);
            // Each end lies on the outer boundary or on the hole.
            const bool outer = std::fabs(std::fabs(p.x()) - 10) < 1e-6 || std::fabs(std::fabs(p.y()) - 10) < 1e-6;
            const bool hole = std::fabs(std::hypot(p.x(), p.y()) - 3.0) < 1e-6;
            EXPECT_TRUE(outer || hole) << p.x() << " " << p.y();
        }
        // The middle of every piece is on the face, not in the hole.
        const SPAposition mid = s + 0.5 * (t - s);
        EXPECT_GT(std::hypot(mid.x(), mid.y()), 3.0);
    }
    for (int i = 0; i < lines.count(); ++i) lines[i]->lose();

    // A cylinder's side: u lines run along the axis, v lines are whole circles; moved by `t`.
    BodyPtr cyl(make_cylinder(SPAposition(0, 0, 0), SPAvector(0, 0, 1), 2.0, 8.0));
    FACE* side = nullptr;
    for (FACE* f : Faces(cyl.get()))
        if (is_cylindrical_face(f)) side = f;
    ASSERT_NE(side, nullptr);
    ENTITY_LIST iso;
    ASSERT_TRUE(api_face_nu_nv_isolines(4, 1, side, translate_transf(SPAvector(0, 0, 100)), &iso).ok());
    ASSERT_EQ(iso.count(), 5);
    for (int i = 0; i < 4; ++i) {
        EDGE* e = static_cast<EDGE*>(iso[i]);
        EXPECT_EQ(e->geometry()->equation().type(), straight_type);
        EXPECT_NEAR((e->end_pos() - e->start_pos()).len(), 8.0, 1e-6);
        EXPECT_NEAR(std::hypot(e->start_pos().x(), e->start_pos().y()), 2.0, 1e-6);
        EXPECT_NEAR(std::min(e->start_pos().z(), e->end_pos().z()), 100.0, 1e-6);
    }
    EDGE* ring = static_cast<EDGE*>(iso[4]);
    EXPECT_EQ(ring->geometry()->equation().type(), ellipse_type);
    EXPECT_NEAR(ring->param_range().length(), 2 * 3.14159265358979323846, 1e-9);
    EXPECT_NEAR(ring->start_pos().z(), 104.0, 1e-6);
    for (int i = 0; i < iso.count(); ++i) iso[i]->lose();

    // Bad input and the empty request.
    ENTITY_LIST none;
    EXPECT_TRUE(api_face_nu_nv_isolines(0, 0, side, SPAtransf(), &none).ok());
    EXPECT_EQ(none.count(), 0);
    EXPECT_EQ(api_face_nu_nv_isolines(1, 1, nullptr, SPAtransf(), &none).error_number(), NULL_ENTITY);
    EXPECT_EQ(api_face_nu_nv_isolines(1, 1, side, SPAtransf(), nullptr).error_number(), BAD_ARGUMENT);
    EXPECT_EQ(api_face_nu_nv_isolines(1, 5000, side, SPAtransf(), &none).error_number(), BAD_ARGUMENT);
    EXPECT_EQ(none.count(), 0);
}
