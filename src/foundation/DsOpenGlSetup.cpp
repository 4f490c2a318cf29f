// CDsOpenGlSetup: the graphics card's workaround flags from the setup file.
#include "DsOpenGlSetup.h"

#include "VyrRegistry.h"
#include "VyrString.h"

#include <GL/gl.h>

namespace {

// The flags in force, and whether the file is still to be read.
unsigned int sFlags = 0;
bool sToBeRead = true;

const wchar_t kRasterShiftLine[] = L"RASTER_SHIFT_X_1_COMMAND";

// The next line; false at the end of the file or when it cannot be read further.
bool NextLine(CStdioFile& file, CStringW& line)
{
    try {
        return file.ReadString(line) != FALSE;
    } catch (CException* error) {
        error->Delete();
        return false;
    }
}

}  // namespace

bool CDsOpenGlSetup::GetGlDriverString(CVyrString& name)
{
    const char* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!vendor && !renderer) return false;
    CVyrString text(vendor ? vendor : "");
    text += L" ";
    text += CVyrString(renderer ? renderer : "");
    name = text;
    return true;
}

unsigned int CDsOpenGlSetup::StGetFlags()
{
    if (sToBeRead && DsReadOpenGlSetupFile()) sToBeRead = false;
    return sFlags;
}

void CDsOpenGlSetup::StSetRasterShiftX1()
{
    sFlags |= kRasterShiftX1;
}

void CDsOpenGlSetup::ResetForTests()
{
    sFlags = 0;
    sToBeRead = true;
}

std::unique_ptr<CStdioFile> DsOpenOpenGlSetupFile()
{
    CVyrString root;
    if (!CVyrRegistry::Read(L"RootCad", root)) return nullptr;
    CStringW path = root.GetCString() + L"/dat/OpenGlSetup.dat";
    auto file = std::make_unique<CStdioFile>();
    if (!file->Open(path, CFile::modeRead | CFile::typeText)) return nullptr;
    return file;
}

bool DsReadOpenGlSetupFile()
{
    CVyrString card;
    if (!CDsOpenGlSetup::GetGlDriverString(card)) return false;
    std::unique_ptr<CStdioFile> file = DsOpenOpenGlSetupFile();
    if (!file) return false;
    CStringW line;
    bool found = false;
    while (!found && NextLine(*file, line)) found = line == card.GetCString();
    while (found && NextLine(*file, line) && !line.IsEmpty())
        if (line == kRasterShiftLine) CDsOpenGlSetup::StSetRasterShiftX1();
    file->Close();
    return true;
}
