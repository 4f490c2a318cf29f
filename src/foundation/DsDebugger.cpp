// CDsDebugger: the display's debugging dump.
#include "DsDebugger.h"

#include "DsPickedItem.h"
#include "DsQueryIDInt.h"
#include "DsTempFolder.h"
#include "DsView3dCdc.h"
#include "gl_context.h"

#include "SpaEntity.h"
#include "SpaTopology.h"
#include "SpaValues.h"

#include <cinttypes>
#include <cmath>
#include <cstring>

std::FILE* CDsDebugger::sFile = nullptr;
char CDsDebugger::sFileName[4096] = {};

VYR_REGISTER_TEST_RESET(CDsDebugger::ResetForTests, [] {
    CDsDebugger::ResetForTests();
    return true;
});

namespace {

void WriteList(ENTITY_LIST& list)
{
    list.init();
    while (ENTITY* entity = list.next()) CDsDebugger::WriteData(entity);
}

}  // namespace

std::string CDsDebugger::GetFilePath()
{
    return dscore::TempFolder() + "DisplayDebugData.txt";
}

bool CDsDebugger::IsFileOpen()
{
    return sFile != nullptr;
}

void CDsDebugger::OpenFile()
{
    if (sFile) return;
    const std::string path = GetFilePath();
    if (path.size() >= sizeof sFileName) return;
    std::memcpy(sFileName, path.c_str(), path.size() + 1);
    sFile = std::fopen(sFileName, "we");
}

void CDsDebugger::CloseFile()
{
    if (!sFile) return;
    std::fclose(sFile);
    sFile = nullptr;
}

void CDsDebugger::DisplayFileInNotePad()
{
    if (!sFile) return;
    CloseFile();
    std::fprintf(stderr, "Display debug data: %s\n", sFileName);
}

void CDsDebugger::WriteType(ENTITY* entity)
{
    if (!entity) return;
    OpenFile();
    if (sFile) std::fprintf(sFile, "%s\t\t", entity->type_name());
}

void CDsDebugger::WritePointer(ENTITY* entity)
{
    if (!entity) return;
    OpenFile();
    if (sFile) std::fprintf(sFile, "%" PRIXPTR "\t\t", reinterpret_cast<uintptr_t>(entity));
}

void CDsDebugger::WritePid(ENTITY* entity)
{
    if (!entity) return;
    OpenFile();
    if (sFile) std::fprintf(sFile, "%d\t\t", CDsQueryIDInt::StGetActiveQueryIDInt()->QueryPID(entity));
}

void CDsDebugger::WriteData(ENTITY* entity)
{
    if (!entity) return;
    WriteType(entity);
    WritePointer(entity);
    WritePid(entity);
}

void CDsDebugger::WriteFacesData(ENTITY* entity)
{
    if (!entity) return;
    ENTITY_LIST faces;
    api_get_faces(entity, faces);
    WriteList(faces);
}

void CDsDebugger::WriteEdgesData(ENTITY* entity)
{
    if (!entity) return;
    ENTITY_LIST edges;
    api_get_edges(entity, edges);
    WriteList(edges);
}

void CDsDebugger::WriteBodiesData(ENTITY*)
{
    ENTITY_LIST bodies;  // nothing fills it
    WriteList(bodies);
}

void CDsDebugger::WriteSeperator()
{
    OpenFile();
    if (sFile) std::fprintf(sFile, "%s\n", std::string(48, '_').c_str());
}

bool CDsDebugger::IsInBounds(double v, double min, double max)
{
    return -max <= v && v <= max && (std::fabs(v) >= min || v == 0.0);
}

bool CDsDebugger::IsInBounds(const SPAposition& p, double min, double max)
{
    return IsInBounds(p.x(), min, max) && IsInBounds(p.y(), min, max) && IsInBounds(p.z(), min, max);
}

bool CDsDebugger::GlContextInvalid()
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view || !view->GetGlContext()) return true;
    const auto* record = static_cast<const gl_context_data*>(view->get_rendering_context_data());
    return !record || !record->get_GLRC();
}

void CDsDebugger::TraceData(CVyrString&, const CDsPickedItemList* list)
{
    if (!list) return;
    for (const auto& item : list->GetItems()) (void)item;
}

void CDsDebugger::TraceData(CVyrString&, ENTITY*) {}
void CDsDebugger::DrawPoint(const SPAposition&) {}
void CDsDebugger::DrawPoint(float, float, float) {}
void CDsDebugger::PlotPoint(const SPAposition&) {}
void CDsDebugger::CheckEntity(ENTITY*) {}
void CDsDebugger::WriteTypePointerAndPid(ENTITY*) {}
void CDsDebugger::Write(const char*) {}
void CDsDebugger::SaveEntityToSatFile(ENTITY*, const char*) {}
void CDsDebugger::TraceEntityDsItemsMap(CDsGlContext*) {}
void CDsDebugger::ConditionedBreakpoint(bool) {}

void CDsDebugger::ResetForTests()
{
    CloseFile();
    sFileName[0] = '\0';
}
