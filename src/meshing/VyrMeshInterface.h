// CVyrMeshInterface: the store of what the display keeps for one solid body, a mesh entry per
// face and a polyline entry per edge, keyed by the entity's persistent id (pid), and the engine
// that fills it through the faceter with its own mesh manager and refinement.
//
// Sharing. The entries live in a shared data block (CVyrMeshData) with a reference count:
// copies of an interface share one block, and an interface made from another with a generation
// number shares the other's block when the numbers agree and starts an empty block of that
// generation otherwise. The block dies with its last interface, releasing every entry (entries
// still held by items survive) and deleting its refinement.
//
// Keys. Every lookup by entity asks the active id service (CDsQueryIDInt) for the pid; only a pid
// above 0 is ever stored or looked up. While display-manager flag 1 is set no mesh entry is
// handed out and nothing is faceted; polylines are not affected.
//
// Every interface is known to the display manager from its construction to its destruction, so
// that the display lists of all meshes can be dropped at once.
//
// Faceting (FacetEntity): the interface's refinement (the current one when it has none) becomes
// the faceter's default for the run, the faceter's option 3 is pushed to 0, and both are put back
// afterwards. With incremental 0 the entity is faceted in one call; with incremental 1 a body's
// faces without an entry are faceted in lists of at most 501 (the whole body in one call when
// none of its faces has an entry), another entity only when it has no entry.
//
// Failures, and the choices made about them:
// - A face whose faceting fails does not end the run: the faces after it are still faceted.
// - FacetEntity answers 0 only when every face was faceted and kept; otherwise the error of the
//   first faceting call that failed (the modeler's error number; API_FAILED when a face's output
//   could not be kept). A face whose output was incomplete gets an entry without a mesh.
// - An interface that is destroyed while it is the active one leaves no active interface.
//
// The archive (Save, Load, ComputeMeshMemorySize) stores one body record: the meshes, the
// polylines and the refinement they were made with, so that a document reopens without faceting.
// The record is little-endian: int32, double and float values, and tags as their characters only
// (no length, no terminator), which the reader skips unread. Entries go out in ascending pid; the
// generation (a long) is stored as int32. With `polylinesOnly` the meshes, generation and
// refinement are neither written nor read. Load adds to what the interface holds: a loaded entry
// replaces a stored one of the same pid; loaded entries carry their pid but no face or edge.
//
// Load trusts nothing it reads. It answers false, before allocating anything for the value, for:
// a negative count or capacity; a count of items (nodes, polygons, polygon corners, points) that
// the rest of the archive is too short to hold; a capacity above kMaxArchiveCapacity (2^24; the
// finest faceting, 512 x 512 grid lines, gives a face about 2^18 nodes); a number that is not
// finite; an ellipse with a zero normal or axis or a radius ratio not above 0. The entries
// loaded before the failure stay (so do the generation and refinement once read); the record that
// failed leaves nothing behind. A storage without an ellipse is saved as a polyline of the
// entry's points. An ellipse's normal that is stored as a unit vector (within 1e-12) is kept bit
// for bit; another is made a unit vector.
//
// Capacities: Save writes a mesh's capacities as they are, and a host's meshes may have any room
// to spare (a CVyrIndexedMesh made larger than its content, or filled by operator|= from a smaller
// one). Load keeps a capacity that exceeds what the mesh keeps of its own record by at most
// kSpareArchiveCapacity (256) as it is, so such a record saves again to the same bytes; a larger
// one is lowered to that content (a mesh is always made with room for at least one of each). Nothing
// the mesh held is lost, the record is read to its end, and a record claims no memory beyond
// what the archive backs.
#pragma once

#include <afx.h>

#include "DmRefCountPtrTempl.h"
#include "VyrMeshEntry.h"
#include "VyrPolylineEntry.h"

#include "SpaValues.h"

#include <map>
#include <vector>

class BODY;
class CArchive;
class CDsItemsGroup;
class CVyrIndexedMesh;
class CVyrMeshManager;
class CVyrRefinement;
class EDGE;
class ENTITY;
class ENTITY_LIST;

// The shared data block of mesh interfaces (made and freed by the interfaces).
struct CVyrMeshData {
    // Face meshes by pid, ascending.
    std::map<int, CDmRefCountPtrTempl<CVyrMeshEntry>> meshes;
    // Edge polylines by pid, ascending.
    std::map<int, CDmRefCountPtrTempl<CVyrPolylineEntry>> polylines;
    // Interfaces sharing the block.
    int references = 0;
    // Kept for the host; nothing reads it.
    bool keepCurve = false;
    // Owned; null: faceting uses the current refinement.
    CVyrRefinement* refinement = nullptr;
    // Decides whether a copy made with a generation may share the block.
    long generation = -1;
};

// The meshes and polylines of one body.
class AFX_EXT_CLASS CVyrMeshInterface {
public:
    // Face meshes by pid.
    using MeshMap = std::map<int, CDmRefCountPtrTempl<CVyrMeshEntry>>;
    // Edge polylines by pid.
    using PolylineMap = std::map<int, CDmRefCountPtrTempl<CVyrPolylineEntry>>;

    // An empty store (generation -1, no refinement), registered with the display manager.
    CVyrMeshInterface();
    // Shares `source`'s block when its generation is `generation`; otherwise (also for a null
    // source) a new empty block of that generation. Registered with the display manager.
    CVyrMeshInterface(const CVyrMeshInterface* source, long generation);
    // Shares `other`'s block. Registered with the display manager.
    CVyrMeshInterface(const CVyrMeshInterface& other);
    // Shares `other`'s block, releasing the one held before.
    CVyrMeshInterface& operator=(const CVyrMeshInterface& other);
    // Leaves the display manager (and the active interface, when it is that) and releases the block.
    virtual ~CVyrMeshInterface();
    // A new mesh manager that stores into this interface (the caller deletes it).
    virtual CVyrMeshManager* CreateMeshManager();

    // --- Lookup and storage ------------------------------------------------------------------
    // The entry of the entity's pid; empty while display-manager flag 1 is set, for a pid not
    // above 0 or when there is none.
    CDmRefCountPtrTempl<CVyrMeshEntry> GetMeshEntry(ENTITY* entity) const;
    // The same by pid.
    CDmRefCountPtrTempl<CVyrMeshEntry> GetMeshEntry(int pid) const;
    // A new entry for (face, mesh) (the mesh, when given, is marked planar for a planar face),
    // stored under its pid when that is above 0 (replacing an earlier entry); answered either way.
    CDmRefCountPtrTempl<CVyrMeshEntry> SetMesh(ENTITY* face, CVyrIndexedMesh* mesh);
    // Takes the entity's entry out of the store and answers it; empty when there is none.
    CDmRefCountPtrTempl<CVyrMeshEntry> RemoveMesh(ENTITY* entity);
    // Takes the edge's polyline entry out of the store and answers it; empty when there is none.
    CDmRefCountPtrTempl<CVyrPolylineEntry> RemovePolyline(EDGE* edge);
    // Stores the entry under its own pid when that pid is above 0, replacing (and releasing) an
    // earlier entry of that pid; otherwise nothing.
    void Add(const CDmRefCountPtrTempl<CVyrMeshEntry>& entry);
    // The same for polyline entries.
    void Add(const CDmRefCountPtrTempl<CVyrPolylineEntry>& entry);
    // The polyline entry of the entity's pid, or empty (flag 1 does not apply).
    CDmRefCountPtrTempl<CVyrPolylineEntry> GetPolylineEntry(ENTITY* entity) const;
    // The same by pid.
    CDmRefCountPtrTempl<CVyrPolylineEntry> GetPolylineEntry(int pid) const;
    // Number of stored mesh entries.
    int GetMeshesCount() const { return static_cast<int>(m_data->meshes.size()); }
    // Number of stored polyline entries.
    int GetPolylinesCount() const { return static_cast<int>(m_data->polylines.size()); }
    // First mesh entry (ascending pid).
    MeshMap::const_iterator BeginMeshes() const { return m_data->meshes.begin(); }
    // End of the mesh entries.
    MeshMap::const_iterator EndMeshes() const { return m_data->meshes.end(); }
    // First polyline entry (ascending pid).
    PolylineMap::const_iterator BeginPolylines() const { return m_data->polylines.begin(); }
    // End of the polyline entries.
    PolylineMap::const_iterator EndPolylines() const { return m_data->polylines.end(); }
    // The block's refinement, or null.
    CVyrRefinement* GetVyrRefinement() const { return m_data->refinement; }
    // Gives the block `refinement` (owned from here on, deleted with the block); the one held
    // before is not deleted: it goes back to the caller.
    void SetVyrRefinement(CVyrRefinement* refinement) { m_data->refinement = refinement; }
    // The block's generation.
    long GetMeshGenerationNumber() const { return m_data->generation; }
    // Sets the block's generation.
    void SetMeshGenerationNumber(long generation) { m_data->generation = generation; }
    // Stores the keep-curve flag.
    void SetKeepCurveFlag(bool keep) { m_data->keepCurve = keep; }

    // --- Queries over the meshes ---------------------------------------------------------------
    // Sum of the polygon counts of all stored meshes.
    int ComputeNumOfTriangles() const;
    // Polygon count of the entity's mesh; 0 for null, no entry or no mesh.
    int GetPolygonCount(ENTITY* entity) const;
    // Appends the mesh of every entry that has one, in ascending pid order; returns 0.
    int GetAllMeshes(std::vector<CVyrIndexedMesh*>& meshes) const;
    // The union of the meshes' boxes taken through `t`; with no meshes, of the polylines' boxes;
    // empty when both are empty.
    SPAbox GetBox(const SPAtransf& t) const;
    // Toggles the reverse flag of the entity's mesh between 0 and 1; nothing without a mesh.
    void FlipMeshNormals(ENTITY* entity);

    // --- After faceting ----------------------------------------------------------------------------
    // SetApexPositionLow on each face of a body, else on the entity.
    void SetApexPosition(ENTITY* entity);
    // A cone's mesh (conical, not cylindrical face) gets its apex in body space.
    void SetApexPositionLow(ENTITY* entity);
    // SetMidPositionLow for an edge.
    void SetMidPosition(ENTITY* entity);
    // The edge's polyline entry gets the middle of its points by length.
    void SetMidPositionLow(ENTITY* entity);

    // --- Edges -----------------------------------------------------------------------------------------
    // Sketches the body's edges into polyline entries on the block's refinement; nothing for null.
    void EvaluateEdges(BODY* body, bool fast);
    // Empties the polylines and sketches the body's edges again on the current refinement (the
    // group is not consulted).
    void ReevaluateEdges(BODY* body, CDsItemsGroup* group);

    // --- Faceting ----------------------------------------------------------------------------------------
    // FacetEntityFast (fast) or FacetEntitySafe; their answer.
    int FacetEntity(ENTITY* entity, int incremental, bool fast);
    // FacetEntityFast with modeler logging on, inside a bulletin board and an error block.
    int FacetEntitySafe(ENTITY* entity, int incremental);
    // Facets the entity (see the header comment); 0 on success, else an error number.
    int FacetEntityFast(ENTITY* entity, int incremental);
    // One faceting run with a new mesh manager: each face of `list`, or (display-manager flag
    // 15) each face of a body, or the entity in one call; 0 when all of it was faceted and kept,
    // else API_FAILED.
    int DoFacet(ENTITY* entity, ENTITY_LIST* list);
    // Makes a faceter refinement from the block's refinement (or the current one) and sets it as
    // the faceter's default. Raises the modeler's error when none can be made.
    void AttachRefinements(ENTITY* entity);

    // --- Others ---------------------------------------------------------------------------------------
    // 1 when the modeler has no option "backup_boxes"; 0 when it has no value; else whether its
    // integer or logical value is not 0 (0 for other value types).
    int GetBackupBoxesOptionState() const;
    // The body that owns the face of the first mesh entry that has one (entries read from an
    // archive have none), else the edge of the first polyline entry that has one; null when no
    // entry has either or the owner is not a body.
    BODY* GetBody() const;
    // A debugging hook over the faceting parameters of `entity`: checks nothing, changes nothing.
    void DebugParametersCheck(ENTITY*) const {}

    // --- Archive -------------------------------------------------------------------------------------
    // Most nodes, polygons or polygon corners a loaded mesh may be made for.
    static constexpr int kMaxArchiveCapacity = 1 << 24;
    // How far a loaded mesh's capacity may exceed what it keeps of its record and still be kept as
    // it is; a larger one is lowered to the content.
    static constexpr int kSpareArchiveCapacity = 256;
    // Writes one body record (see the header comment); nothing for a null archive. The archive's
    // exceptions (a loading archive, a full disk) reach the caller.
    void Save(CArchive* archive, bool polylinesOnly) const;
    // Reads one body record into this interface; false for a null archive, for a record that
    // ends early or is refused (see the header comment), true when all of it was read.
    bool Load(CArchive* archive, bool polylinesOnly);
    // Adds the size tally of the record's data to `size` (which it does not reset).
    void ComputeMeshMemorySize(unsigned long& size, bool polylinesOnly) const;

    // The interface the body sketch facets into before it sketches (set by the host), or null.
    static CVyrMeshInterface* sActiveMeshManager;
    // Sets sActiveMeshManager.
    static void StSetActiveMeshManager(CVyrMeshInterface* meshes) { sActiveMeshManager = meshes; }
    // sActiveMeshManager.
    static CVyrMeshInterface* StGetActiveMeshManager() { return sActiveMeshManager; }

private:
    // Registers with the display manager and takes a reference to `data`.
    void Attach(CVyrMeshData* data);
    // Drops this interface's reference; the last one frees the block.
    void ReleaseData();
    // The pid of `entity` from the active id service.
    static int Pid(ENTITY* entity);
    // The reader of Load's records (defined with Load).
    class ArchiveReader;
    // One mesh record read into a new entry; empty for a record without a mesh.
    static CDmRefCountPtrTempl<CVyrMeshEntry> ReadMeshRecord(ArchiveReader& in);
    // One polyline record read into a new entry.
    static CDmRefCountPtrTempl<CVyrPolylineEntry> ReadPolylineRecord(ArchiveReader& in);

    CVyrMeshData* m_data = nullptr;
};
