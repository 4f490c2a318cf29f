// The faceter's process-wide state: refinements and the default one, the registered mesh
// manager, the faceter's vertex template; and the do-nothing bases MESH and MESH_MANAGER.
#include <algorithm>
#include <memory>
#include <unordered_set>
#include <vector>

#include "FaceterPrivate.h"
#include "SpaFaceter.h"

// Makes and frees refinements (their constructor and destructor are private).
struct SpaRefinementAccess {
    // A new refinement with the default values.
    static REFINEMENT* Make() { return new REFINEMENT(); }
    // Frees a refinement.
    static void Free(REFINEMENT* r) { delete r; }
    // Frees a refinement held by a unique_ptr.
    struct Deleter {
        void operator()(REFINEMENT* r) const { Free(r); }
    };
};

namespace {

// Every refinement of the faceter: the built-in default and those api_create_refinement made,
// with the chain of defaults that were replaced. Freed at process exit.
struct RefinementState {
    std::unique_ptr<REFINEMENT, SpaRefinementAccess::Deleter> builtin{SpaRefinementAccess::Make()};
    std::unordered_set<REFINEMENT*> created;
    REFINEMENT* current = nullptr;           // null = builtin
    std::vector<REFINEMENT*> replaced;       // defaults replaced by later sets, oldest first

    ~RefinementState()
    {
        for (REFINEMENT* r : created) SpaRefinementAccess::Free(r);
    }

    REFINEMENT* Current() const { return current ? current : builtin.get(); }

    void Set(REFINEMENT* r)
    {
        REFINEMENT* old = Current();
        if (r == old) return;
        if (!replaced.empty() && replaced.back() == r) {
            // Restoring the default this one replaced: the replaced one is done with.
            replaced.pop_back();
            current = r == builtin.get() ? nullptr : r;
            const bool remembered = std::find(replaced.begin(), replaced.end(), old) != replaced.end();
            if (!remembered && created.erase(old) != 0) SpaRefinementAccess::Free(old);
            return;
        }
        replaced.push_back(old);
        current = r == builtin.get() ? nullptr : r;
    }
};

RefinementState& Refinements()
{
    static RefinementState state;
    return state;
}

MESH_MANAGER* g_meshManager = nullptr;

// The faceter's own template: static, so lose() must leave it alone.
class FaceterTemplate final : public VERTEX_TEMPLATE {
public:
    FaceterTemplate() = default;
    ~FaceterTemplate() override = default;
    void lose() override {}
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Refinements

outcome api_create_refinement(REFINEMENT*& ref)
{
    ref = nullptr;
    API_FUNCTION_BEGIN
        std::unique_ptr<REFINEMENT, SpaRefinementAccess::Deleter> made(SpaRefinementAccess::Make());
        Refinements().created.insert(made.get());
        ref = made.release();
    API_FUNCTION_END
    return result;
}

outcome api_get_default_refinement(REFINEMENT*& ref, AF_SURF_MODE)
{
    ref = nullptr;
    API_FUNCTION_BEGIN
        ref = Refinements().Current();
    API_FUNCTION_END
    return result;
}

outcome api_set_default_refinement(REFINEMENT* ref)
{
    API_FUNCTION_BEGIN
        RefinementState& state = Refinements();
        if (ref == nullptr) ref = state.builtin.get();
        if (ref != state.builtin.get() && state.created.count(ref) == 0) sys_error(BAD_ARGUMENT);
        state.Set(ref);
    API_FUNCTION_END
    return result;
}

const REFINEMENT& spa_faceter::DefaultRefinement()
{
    return *Refinements().Current();
}

// ---------------------------------------------------------------------------------------------
// Mesh manager registration and the faceter's template

outcome api_set_mesh_manager(MESH_MANAGER* manager)
{
    g_meshManager = manager;
    return outcome();
}

MESH_MANAGER* spa_faceter::MeshManager()
{
    return g_meshManager;
}

VERTEX_TEMPLATE* vertex_template_of_faceter()
{
    static FaceterTemplate the_template;
    return &the_template;
}

VERTEX_TEMPLATE::~VERTEX_TEMPLATE() = default;

// ---------------------------------------------------------------------------------------------
// Base classes

MESH::~MESH() = default;
SPAbox MESH::get_box() const { return SPAbox(); }
void MESH::write(std::ostream&) const {}
void MESH::write_raw(std::ostream&) const {}

MESH_MANAGER::~MESH_MANAGER() = default;
void MESH_MANAGER::begin_mesh_output(ENTITY*, ENTITY*, ENTITY*) {}
void MESH_MANAGER::end_mesh_output(ENTITY*, ENTITY*, ENTITY*) {}
void MESH_MANAGER::save_mesh_output(ENTITY*, ENTITY*, ENTITY*) {}
void MESH_MANAGER::announce_counts(int, int, int) {}
bool MESH_MANAGER::need_indexed_polygons() { return true; }
bool MESH_MANAGER::need_global_node_numbering() { return false; }
void* MESH_MANAGER::announce_indexed_node(int, const SPApar_pos&, const SPAposition&, const SPAunit_vector&)
{
    return nullptr;
}
void MESH_MANAGER::start_indexed_polygon(int, int, int) {}
void MESH_MANAGER::announce_indexed_polynode(ENTITY*, int, int, void*) {}
void MESH_MANAGER::announce_indexed_polynode(int, int, void*) {}
bool MESH_MANAGER::need_node_normals() { return true; }
