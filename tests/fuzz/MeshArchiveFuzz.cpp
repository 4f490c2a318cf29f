// Fuzz target: a mesh interface loading a body record that a damaged or hostile document holds.
//
// Each input is read as a record twice, into interfaces that already hold an entry: once whole
// (meshes, generation, refinement and polylines) and once as polylines only. A load either
// answers false and keeps the entry that was there, or answers true; then the interface saved
// again must load into a fresh interface, and that one must save the same bytes (what a load
// keeps survives a save). Counts that the archive cannot back are refused, and capacities beyond
// what a mesh keeps are lowered to it, before anything is allocated for them: the run's memory
// limits catch a reader that trusts them.
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"

#include "FuzzSupport.h"

#include <afx.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// A record of one mesh of pid 1000000: a triangle.
std::string HeldRecord()
{
    std::string r;
    auto tag = [&](const char* t) { r += t; };
    auto i32 = [&](int32_t v) { r.append(reinterpret_cast<const char*>(&v), sizeof v); };
    auto f32 = [&](float v) { r.append(reinterpret_cast<const char*>(&v), sizeof v); };
    auto f64 = [&](double v) { r.append(reinterpret_cast<const char*>(&v), sizeof v); };
    tag("\nStart Body:\nMeshes:count");
    i32(1);
    tag("\n");
    i32(1);
    i32(0);
    tag("\nMesh:pid");
    for (int32_t v : {1000000, 0, 0, 1, 3, 1, 3, 3, 1, 3}) i32(v);
    for (double v : {0.0, 1.0, 0.0, 1.0}) f64(v);
    tag("Nodes:count");
    i32(3);
    for (int k = 0; k < 3; ++k) {
        for (float v : {float(k == 1), float(k == 2), 0.0f, 0.0f, 0.0f, 1.0f}) f32(v);
        f64(k == 1);
        f64(k == 2);
    }
    tag("\nPolygons:count");
    for (int32_t v : {1, -2, 3, 0, 1, 2}) i32(v);
    tag("Polylines:count");
    i32(0);
    tag("\nEnd Body\n");
    return r;
}

bool Load(CVyrMeshInterface& meshes, const uint8_t* data, size_t size, bool polylinesOnly)
{
    std::vector<BYTE> copy(data, data + size);
    copy.push_back(0);
    CMemFile file(copy.data(), static_cast<UINT>(size));
    CArchive archive(&file, CArchive::load);
    return meshes.Load(&archive, polylinesOnly);
}

std::string Saved(const CVyrMeshInterface& meshes, bool polylinesOnly)
{
    CMemFile file;
    CArchive archive(&file, CArchive::store);
    meshes.Save(&archive, polylinesOnly);
    archive.Close();
    return std::string(reinterpret_cast<const char*>(file.GetData()), static_cast<size_t>(file.GetLength()));
}

void Check(const uint8_t* data, size_t size, bool polylinesOnly)
{
    static const std::string held = HeldRecord();
    CVyrMeshInterface meshes;
    if (!Load(meshes, reinterpret_cast<const uint8_t*>(held.data()), held.size(), false))
        vyrfuzz::Fail("the held record does not load");
    const bool loaded = Load(meshes, data, size, polylinesOnly);
    const CDmRefCountPtrTempl<CVyrMeshEntry> entry = meshes.GetMeshEntry(1000000);
    if (!loaded) {
        // (A record may have replaced it with a mesh of its own pid before it failed.)
        if (!entry || !entry->GetMesh()) vyrfuzz::Fail("a refused record lost the entry that was there");
        return;
    }
    const std::string once = Saved(meshes, polylinesOnly);
    CVyrMeshInterface again;
    if (!Load(again, reinterpret_cast<const uint8_t*>(once.data()), once.size(), polylinesOnly))
        vyrfuzz::Fail("a saved interface does not load");
    if (Saved(again, polylinesOnly) != once) vyrfuzz::Fail("a loaded record saves other bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Check(data, size, false);
    Check(data, size, true);
    return 0;
}
