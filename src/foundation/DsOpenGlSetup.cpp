// CDsOpenGlSetup: the graphics card's workaround flags from the setup file.
#include "DsOpenGlSetup.h"

#include "DsSetupFileLines.h"
#include "VyrRegistry.h"
#include "VyrString.h"

#include <GL/gl.h>

#include <string>

namespace {

// The flags in force, and whether the file is still to be read.
unsigned int sFlags = 0;
bool sToBeRead = true;

const char kRasterShiftLine[] = "RASTER_SHIFT_X_1_COMMAND";

}  // namespace

CDsOpenGlSetup gDsOpenGlSetup;

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
    // Decided once the card is known, file or no file: the copies that ask run every frame, and a
    // missing root or file must not send each of them to the registry and the file system.
    CVyrString card;
    if (sToBeRead && GetGlDriverString(card)) {
        sToBeRead = false;
        DsReadOpenGlSetupFile();
    }
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

VYR_REGISTER_TEST_RESET(CDsOpenGlSetup::ResetForTests, [] {
    CDsOpenGlSetup::ResetForTests();
    return true;
});

std::unique_ptr<CStdioFile> DsOpenOpenGlSetupFile()
{
    CVyrString root;
    if (!CVyrRegistry::Read(L"RootCad", root)) return nullptr;
    CStringW path = root.GetCString() + L"/dat/OpenGlSetup.dat";
    auto file = std::make_unique<CStdioFile>();
    if (!file->Open(path, CFile::modeRead | CFile::typeText)) return nullptr;
    return file;
}

unsigned int DsReadOpenGlSetupSection(CStdioFile& file, const CVyrString& card)
{
    CDsSetupFileLines lines(file);
    std::string line;
    CDsSetupFileLines::ELine kind = CDsSetupFileLines::eLineText;
    bool found = false;
    while (!found && lines.Next(line, kind)) found = kind == CDsSetupFileLines::eLineText && CStringW(line.c_str()) == card.GetCString();
    unsigned int flags = 0;
    while (found && lines.Next(line, kind)) {
        if (kind != CDsSetupFileLines::eLineText) continue;
        if (line.empty()) break;
        if (line == kRasterShiftLine)
            flags |= CDsOpenGlSetup::kRasterShiftX1;
        else if (!CDsSetupFileLines::IsComment(line))
            lines.NoteFault("of the card's section is no known flag and was skipped");
    }
    lines.Report("OpenGlSetup.dat");
    return flags;
}

bool DsReadOpenGlSetupFile()
{
    CVyrString card;
    if (!CDsOpenGlSetup::GetGlDriverString(card)) return false;
    std::unique_ptr<CStdioFile> file = DsOpenOpenGlSetupFile();
    if (!file) return false;
    sFlags |= DsReadOpenGlSetupSection(*file, card);
    file->Abort();
    return true;
}
