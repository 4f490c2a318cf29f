// CVyrMeshInterface: the meshes and polylines of one body, and their faceting.
#include "VyrMeshInterface.h"

#include "DsGeometryComputer.h"
#include "DsGlSketch.h"
#include "DsManager.h"
#include "DsQueryIDInt.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshManager.h"
#include "VyrOptionScope.h"
#include "VyrRefinement.h"

#include "SpaFaceter.h"
#include "SpaTopology.h"
#include "VyrAcisOptionsMap.h"
#include "VyrSurfExt.h"

#include <memory>

CVyrMeshInterface* CVyrMeshInterface::sActiveMeshManager = nullptr;

namespace {

// The most faces one faceting call takes when a body is filled incrementally.
const int kFacesPerList = 500;

// A faceting run: the faceter's option 3 pushed to 0 and its default refinement remembered; both
// put back when the run ends, however it ends.
class FacetRun {
public:
    FacetRun() : m_option(CVyrAcisOptionsMap::GetOption(CVyrAcisOptionsMap::eFacetStoreMeshes), 0)
    {
        api_get_default_refinement(m_previous, AF_SURF_MODE_ANY);
    }
    ~FacetRun() { api_set_default_refinement(m_previous); }
    FacetRun(const FacetRun&) = delete;
    FacetRun& operator=(const FacetRun&) = delete;

private:
    CVyrOptionScope m_option;
    REFINEMENT* m_previous = nullptr;
};

// The mesh manager registered with the faceter while it lives.
class ManagerRegistration {
public:
    explicit ManagerRegistration(MESH_MANAGER* manager) { api_set_mesh_manager(manager); }
    ~ManagerRegistration() { api_set_mesh_manager(nullptr); }
    ManagerRegistration(const ManagerRegistration&) = delete;
    ManagerRegistration& operator=(const ManagerRegistration&) = delete;
};

bool MeshesSwitchedOff()
{
    return CDsManager::GetInstance()->GetFlag(1);
}

}  // namespace

// --- Life and sharing ------------------------------------------------------------------------------

CVyrMeshInterface::CVyrMeshInterface()
{
    Attach(new CVyrMeshData);
}

CVyrMeshInterface::CVyrMeshInterface(const CVyrMeshInterface* source, long generation)
{
    if (source && source->m_data->generation == generation) {
        Attach(source->m_data);
    } else {
        auto* data = new CVyrMeshData;
        data->generation = generation;
        Attach(data);
    }
}

CVyrMeshInterface::CVyrMeshInterface(const CVyrMeshInterface& other)
{
    Attach(other.m_data);
}

CVyrMeshInterface& CVyrMeshInterface::operator=(const CVyrMeshInterface& other)
{
    if (other.m_data == m_data) return *this;
    ++other.m_data->references;
    ReleaseData();
    m_data = other.m_data;
    return *this;
}

CVyrMeshInterface::~CVyrMeshInterface()
{
    if (sActiveMeshManager == this) sActiveMeshManager = nullptr;
    CDsManager::GetInstance()->DeleteMeshInterface(this);
    ReleaseData();
}

void CVyrMeshInterface::Attach(CVyrMeshData* data)
{
    m_data = data;
    ++m_data->references;
    CDsManager::GetInstance()->AddMeshInterface(this);
}

void CVyrMeshInterface::ReleaseData()
{
    if (!m_data) return;
    if (m_data->references > 0) --m_data->references;
    if (m_data->references == 0) {
        delete m_data->refinement;
        delete m_data;  // its maps release every entry
    }
    m_data = nullptr;
}

CVyrMeshManager* CVyrMeshInterface::CreateMeshManager()
{
    return new CVyrMeshManager(this);
}

int CVyrMeshInterface::Pid(ENTITY* entity)
{
    return CDsQueryIDInt::StGetActiveQueryIDInt()->QueryPID(entity);
}

// --- Lookup and storage ----------------------------------------------------------------------------

CDmRefCountPtrTempl<CVyrMeshEntry> CVyrMeshInterface::GetMeshEntry(ENTITY* entity) const
{
    if (MeshesSwitchedOff()) return {};
    return GetMeshEntry(Pid(entity));
}

CDmRefCountPtrTempl<CVyrMeshEntry> CVyrMeshInterface::GetMeshEntry(int pid) const
{
    if (MeshesSwitchedOff() || pid <= 0) return {};
    const auto found = m_data->meshes.find(pid);
    return found != m_data->meshes.end() ? found->second : CDmRefCountPtrTempl<CVyrMeshEntry>();
}

CDmRefCountPtrTempl<CVyrMeshEntry> CVyrMeshInterface::SetMesh(ENTITY* face, CVyrIndexedMesh* mesh)
{
    if (mesh && is_planar_face(face)) mesh->SetPlanarFlag(1);
    CDmRefCountPtrTempl<CVyrMeshEntry> entry(new CVyrMeshEntry(is_FACE(face) ? static_cast<FACE*>(face) : nullptr, mesh));
    Add(entry);
    return entry;
}

CDmRefCountPtrTempl<CVyrMeshEntry> CVyrMeshInterface::RemoveMesh(ENTITY* entity)
{
    const int pid = Pid(entity);
    if (pid <= 0) return {};
    const auto found = m_data->meshes.find(pid);
    if (found == m_data->meshes.end()) return {};
    CDmRefCountPtrTempl<CVyrMeshEntry> entry = std::move(found->second);
    m_data->meshes.erase(found);
    return entry;
}

CDmRefCountPtrTempl<CVyrPolylineEntry> CVyrMeshInterface::RemovePolyline(EDGE* edge)
{
    const int pid = Pid(edge);
    if (pid <= 0) return {};
    const auto found = m_data->polylines.find(pid);
    if (found == m_data->polylines.end()) return {};
    CDmRefCountPtrTempl<CVyrPolylineEntry> entry = std::move(found->second);
    m_data->polylines.erase(found);
    return entry;
}

void CVyrMeshInterface::Add(const CDmRefCountPtrTempl<CVyrMeshEntry>& entry)
{
    if (!entry || entry->GetPid() <= 0) return;
    m_data->meshes[entry->GetPid()] = entry;
}

void CVyrMeshInterface::Add(const CDmRefCountPtrTempl<CVyrPolylineEntry>& entry)
{
    if (!entry || entry->GetPid() <= 0) return;
    m_data->polylines[entry->GetPid()] = entry;
}

CDmRefCountPtrTempl<CVyrPolylineEntry> CVyrMeshInterface::GetPolylineEntry(ENTITY* entity) const
{
    return GetPolylineEntry(Pid(entity));
}

CDmRefCountPtrTempl<CVyrPolylineEntry> CVyrMeshInterface::GetPolylineEntry(int pid) const
{
    if (pid <= 0) return {};
    const auto found = m_data->polylines.find(pid);
    return found != m_data->polylines.end() ? found->second : CDmRefCountPtrTempl<CVyrPolylineEntry>();
}

// --- Queries over the meshes -------------------------------------------------------------------------

int CVyrMeshInterface::ComputeNumOfTriangles() const
{
    int total = 0;
    for (const auto& [pid, entry] : m_data->meshes) total += entry->ComputeNumOfTriangles();
    return total;
}

int CVyrMeshInterface::GetPolygonCount(ENTITY* entity) const
{
    if (!entity) return 0;
    const CDmRefCountPtrTempl<CVyrMeshEntry> entry = GetMeshEntry(entity);
    return entry ? entry->ComputeNumOfTriangles() : 0;
}

int CVyrMeshInterface::GetAllMeshes(std::vector<CVyrIndexedMesh*>& meshes) const
{
    for (const auto& [pid, entry] : m_data->meshes)
        if (CVyrIndexedMesh* mesh = entry->GetMesh()) meshes.push_back(mesh);
    return 0;
}

SPAbox CVyrMeshInterface::GetBox(const SPAtransf& t) const
{
    SPAbox box;
    if (!m_data->meshes.empty()) {
        for (const auto& [pid, entry] : m_data->meshes)
            if (const CVyrIndexedMesh* mesh = entry->GetMesh()) box |= mesh->GetBoxWithTransf(t);
        return box;
    }
    for (const auto& [pid, entry] : m_data->polylines) {
        SPAbox polylineBox;
        const SPAtransf copy = t;
        if (entry->GetBox(polylineBox, &copy, false)) box |= polylineBox;
    }
    return box;
}

void CVyrMeshInterface::FlipMeshNormals(ENTITY* entity)
{
    const CDmRefCountPtrTempl<CVyrMeshEntry> entry = GetMeshEntry(entity);
    if (!entry || !entry->GetMesh()) return;
    CVyrIndexedMesh* mesh = entry->GetMesh();
    mesh->SetReverseFlag(mesh->GetReverseFlag() ? 0 : 1);
}

// --- After faceting ------------------------------------------------------------------------------------

void CVyrMeshInterface::SetApexPosition(ENTITY* entity)
{
    if (is_BODY(entity)) {
        ENTITY_LIST faces;
        get_faces(entity, faces);
        for (int i = 0; i < faces.count(); ++i) SetApexPositionLow(faces[i]);
        return;
    }
    SetApexPositionLow(entity);
}

void CVyrMeshInterface::SetApexPositionLow(ENTITY* entity)
{
    if (!is_conical_face(entity) || is_cylindrical_face(entity)) return;
    const CDmRefCountPtrTempl<CVyrMeshEntry> entry = GetMeshEntry(entity);
    if (!entry || !entry->GetMesh()) return;
    entry->GetMesh()->SetApexPosition(CVyrSurfExt::GetConeApex(entity, CVyrSurfExt::kBodySpace));
}

void CVyrMeshInterface::SetMidPosition(ENTITY* entity)
{
    if (is_EDGE(entity)) SetMidPositionLow(entity);
}

void CVyrMeshInterface::SetMidPositionLow(ENTITY* entity)
{
    const CDmRefCountPtrTempl<CVyrPolylineEntry> entry = GetPolylineEntry(entity);
    if (!entry) return;
    const float* points = nullptr;
    const int count = entry->GetPoints(points);
    if (count <= 0 || !points) return;
    const SPAposition mid = CDsGeometryComputer::GetInstance()->CalculateCurveMidPoint(points, count);
    entry->SetMidPosition(static_cast<float>(mid.x()), static_cast<float>(mid.y()), static_cast<float>(mid.z()));
}

// --- Edges -------------------------------------------------------------------------------------------------

void CVyrMeshInterface::EvaluateEdges(BODY* body, bool fast)
{
    if (!body) return;
    CDsGlSketch sketch(m_data->refinement);
    sketch.BuildEdges(body, this, fast);
}

void CVyrMeshInterface::ReevaluateEdges(BODY* body, CDsItemsGroup*)
{
    m_data->polylines.clear();
    CDsGlSketch sketch(nullptr);
    sketch.BuildEdges(body, this, false);
}

// --- Faceting -----------------------------------------------------------------------------------------------

int CVyrMeshInterface::FacetEntity(ENTITY* entity, int incremental, bool fast)
{
    return fast ? FacetEntityFast(entity, incremental) : FacetEntitySafe(entity, incremental);
}

int CVyrMeshInterface::FacetEntitySafe(ENTITY* entity, int incremental)
{
    CVyrBulletinBoardScope board(0);
    int answer = 0;
    API_BEGIN
    answer = FacetEntityFast(entity, incremental);
    API_END
    board.Close(result);
    return result.ok() ? answer : result.error_number();
}

int CVyrMeshInterface::FacetEntityFast(ENTITY* entity, int incremental)
{
    if (MeshesSwitchedOff()) return 0;
    FacetRun run;
    {
        API_BEGIN
        AttachRefinements(entity);
        API_END
        if (!result.ok()) return result.error_number();
    }

    // Every faceting call in its own error block; the first failure is the answer, and the
    // calls after it still run.
    int firstError = 0;
    auto facet = [&](ENTITY_LIST* list) {
        int answer = 0;
        API_BEGIN
        answer = DoFacet(entity, list);
        API_END
        if (!result.ok()) answer = result.error_number();
        if (answer != 0 && firstError == 0) firstError = answer;
    };

    if (incremental == 0) {
        facet(nullptr);
    } else if (is_BODY(entity)) {
        ENTITY_LIST faces;
        get_faces(entity, faces);
        std::unique_ptr<ENTITY_LIST> list;
        bool allMissing = true;
        for (int i = 0; i < faces.count(); ++i) {
            ENTITY* face = faces[i];
            if (GetMeshEntry(face)) {
                allMissing = false;
                continue;
            }
            if (!list) list = std::make_unique<ENTITY_LIST>();
            list->add(face);
            if (list->count() > kFacesPerList) {
                facet(list.get());
                list.reset();
                allMissing = false;
            }
        }
        if (list) {
            if (allMissing) {
                list.reset();
                facet(nullptr);
            } else {
                facet(list.get());
            }
        }
    } else if (!GetMeshEntry(entity)) {
        facet(nullptr);
    }
    return firstError;
}

int CVyrMeshInterface::DoFacet(ENTITY* entity, ENTITY_LIST* list)
{
    const std::unique_ptr<CVyrMeshManager> manager(CreateMeshManager());
    if (!manager) return message_code(spaacis_api_errmod, 0);
    manager->need_indexed_polygons();
    const ManagerRegistration registration(manager.get());

    bool failed = false;
    auto facet = [&](ENTITY* item, bool withEdgeMiddle) {
        API_BEGIN
        const outcome faceted = api_facet_entity(item);
        SetApexPosition(item);  // the faces that were kept get their apex even when one failed
        if (withEdgeMiddle && is_EDGE(item)) SetMidPositionLow(item);
        check_outcome(faceted);
        API_END
        if (!result.ok()) failed = true;
    };

    if (list) {
        for (int i = 0; i < list->count(); ++i) facet((*list)[i], true);
    } else if (CDsManager::GetInstance()->GetFlag(15) && is_BODY(entity)) {
        ENTITY_LIST faces;
        if (!api_get_faces(entity, faces).ok()) failed = true;
        for (int i = 0; i < faces.count(); ++i) facet(faces[i], false);
    } else {
        facet(entity, false);
    }
    if (manager->GetFailedFacesCount() > 0) failed = true;
    return failed ? message_code(spaacis_api_errmod, 0) : 0;
}

void CVyrMeshInterface::AttachRefinements(ENTITY*)
{
    REFINEMENT* refinement = nullptr;
    const outcome made = api_create_refinement(refinement);
    if (!made.ok() || !refinement) sys_error(made.ok() ? API_FAILED : made.error_number());
    const CVyrRefinement* source =
        m_data->refinement ? m_data->refinement : CVyrRefinement::StGetCurrentRefinement();
    refinement->set_normal_tol(source->GetNormalTol());
    refinement->set_surface_tol(source->GetSurfaceTol());
    refinement->set_max_grid_lines(source->GetMaxGridLines());
    refinement->set_max_edge_length(source->GetMaxEdgeLength());
    refinement->set_triang_mode(source->GetTriangMode());
    refinement->set_grid_mode(source->GetGridMode());
    refinement->set_adjust_mode(source->GetAdjustMode());
    refinement->set_grid_aspect_ratio(source->GetGridAspectRatio());
    refinement->set_min_u_grid_lines(source->GetMinUGridLines());
    refinement->set_min_v_grid_lines(source->GetMinVGridLines());
    check_outcome(api_set_default_refinement(refinement));
}

// --- Others ------------------------------------------------------------------------------------------------

int CVyrMeshInterface::GetBackupBoxesOptionState() const
{
    const option_header* option = find_option("backup_boxes");
    if (!option) return 1;
    if (!option->has_value()) return 0;
    if (option->type() != int_option && option->type() != logical_option) return 0;
    return option->count() != 0 ? 1 : 0;
}

BODY* CVyrMeshInterface::GetBody() const
{
    // Entries read from an archive have no face or edge: the first that has one answers.
    ENTITY* member = nullptr;
    for (auto it = m_data->meshes.begin(); !member && it != m_data->meshes.end(); ++it) member = it->second->GetFace();
    for (auto it = m_data->polylines.begin(); !member && it != m_data->polylines.end(); ++it)
        member = it->second->GetEdge();
    if (!member) return nullptr;
    ENTITY* owner = nullptr;
    if (!api_get_owner(member, owner).ok() || !is_BODY(owner)) return nullptr;
    return static_cast<BODY*>(owner);
}
