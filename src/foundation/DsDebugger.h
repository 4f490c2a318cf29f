// CDsDebugger: a tab-separated dump of modeler entities (type name, address, persistent id) into
// "DisplayDebugData.txt" in the temporary folder, for the people who develop and support the
// display, and a few checks they call from code under investigation.
//
// The dump file is opened by the first write (truncated then) and stays open until CloseFile or
// DisplayFileInNotePad. A file that cannot be opened leaves nothing open, and the writes then
// write nothing.
//
// Choices where the plain reading would hurt:
// - The folder is the Windows layer's temporary folder (GetTempPathW: TEMP, else TMPDIR, else
//   /tmp), never the current folder: a dump must not land wherever the host happens to run.
// - DisplayFileInNotePad runs nothing (no shell command is ever built from a path): it closes the
//   file and writes its path to standard error, so the person who asked for it can open it.
// - Addresses are written in full (64 bits, upper-case hexadecimal), not cut to 32 bits.
// - IsInBounds is public, so that code under investigation (and tests) can use it.
// - GlContextInvalid takes a view whose OpenGL record has no context as an invalid context (the
//   rendering context keeps no other mark).
// - The tracing and drawing entries (DrawPoint, PlotPoint, CheckEntity, WriteTypePointerAndPid,
//   Write, SaveEntityToSatFile, TraceData, TraceEntityDsItemsMap, ConditionedBreakpoint) have no
//   effect; they are kept so that code calling them builds.
#pragma once

#include <afx.h>
#include <vyrwin_testresets.h>

#include <cstdio>
#include <string>

class CDsGlContext;
class CDsPickedItemList;
class CVyrString;
class ENTITY;
class SPAposition;

// The display's debugging dump (statics only).
class AFX_EXT_CLASS CDsDebugger {
public:
    // Nothing to free: every operation is static.
    virtual ~CDsDebugger() = default;

    // Closes the dump file when it is open.
    static void CloseFile();
    // Closes the dump file and writes "Display debug data: <path>" to standard error; nothing when
    // no file is open.
    static void DisplayFileInNotePad();
    // The entity's type name followed by two tabs; nothing for null.
    static void WriteType(ENTITY* entity);
    // The entity's address in hexadecimal followed by two tabs; nothing for null.
    static void WritePointer(ENTITY* entity);
    // The entity's persistent id (the active CDsQueryIDInt) followed by two tabs; nothing for null.
    static void WritePid(ENTITY* entity);
    // For a non-null entity: type, address and persistent id, in that order.
    static void WriteData(ENTITY* entity);
    // WriteData of every face of the entity.
    static void WriteFacesData(ENTITY* entity);
    // WriteData of every edge of the entity.
    static void WriteEdgesData(ENTITY* entity);
    // WriteData of every entry of a list that nothing fills: writes nothing.
    static void WriteBodiesData(ENTITY* entity);
    // A line of 48 underscores.
    static void WriteSeperator();
    // The path of the dump file as it would be opened now (the temporary folder's
    // "DisplayDebugData.txt").
    static std::string GetFilePath();
    // Whether the dump file is open.
    static bool IsFileOpen();

    // True when -max <= v <= max and either |v| >= min or v is 0.
    static bool IsInBounds(double v, double min, double max);
    // True when x, y and z all are in bounds.
    static bool IsInBounds(const SPAposition& p, double min, double max);

    // Walks the list and writes nothing.
    static void TraceData(CVyrString& text, const CDsPickedItemList* list);
    // No effect.
    static void TraceData(CVyrString& text, ENTITY* entity);
    // No effect.
    static void DrawPoint(const SPAposition& position);
    // No effect.
    static void DrawPoint(float x, float y, float z);
    // No effect.
    static void PlotPoint(const SPAposition& position);
    // No effect.
    static void CheckEntity(ENTITY* entity);
    // No effect.
    static void WriteTypePointerAndPid(ENTITY* entity);
    // No effect.
    static void Write(const char* text);
    // No effect.
    static void SaveEntityToSatFile(ENTITY* entity, const char* fileName);
    // No effect.
    static void TraceEntityDsItemsMap(CDsGlContext* context);
    // No effect.
    static void ConditionedBreakpoint(bool condition);

    // For tests, which share one process: the dump file closed.
    VYR_TEST_RESET static void ResetForTests();

private:
    // Opens the dump file for writing (truncated) when none is open.
    static void OpenFile();
    // True when there is no current view, it has no OpenGL context, or its record has none.
    static bool GlContextInvalid();

    static std::FILE* sFile;
    static char sFileName[4096];
};
