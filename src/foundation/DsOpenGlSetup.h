// CDsOpenGlSetup: the process-wide record of the workarounds the current graphics card needs,
// read once from the setup file "OpenGlSetup.dat".
//
// The file lies at "<RootCad>/dat/OpenGlSetup.dat" (the registry value "RootCad" is the
// installation root). It holds one section per card: a line naming the card exactly as
// "<GL_VENDOR> <GL_RENDERER>", then its flag lines up to the first empty line or the end of the
// file. The only flag with an effect is "RASTER_SHIFT_X_1_COMMAND" (raster positions of pixel
// copies are moved by half a pixel in x). Without "RootCad", without the file, or without a
// section for the card, no workaround is in force.
//
// The card's name needs a current GL context: without one nothing is decided, and the file is
// looked for again at the next request. Once the card is known the file is looked for once per
// load of the core: whether or not "RootCad" is set, the file exists or the card has a section,
// it is not looked for again (ResetForTests starts over).
//
// Bad input: the file is read with bounds (lines of up to 1024 bytes, at most 1 MB of the file;
// see DsSetupFileLines.h). Lines that are too long or hold binary data never name a card or a
// flag; a line of the card's section that is no known flag (other than a comment, a line whose
// first non-blank character is '#' or ';') is skipped. Each read that skips such a line writes
// one warning line to the core's warnings file (CDsGeometryComputer::WriteWarning); the flags the
// readable lines name stand. Other cards' sections are passed over without a warning.
#pragma once

#include <afx.h>
#include <vyrwin_testresets.h>

#include <memory>

class CVyrString;

// The workaround flags of the current graphics card.
class AFX_EXT_CLASS CDsOpenGlSetup {
public:
    // Flag value: raster positions of pixel copies shift by -0.5 pixel in x.
    static constexpr unsigned int kRasterShiftX1 = 2;

    // A record handle (the record itself is process-wide).
    CDsOpenGlSetup() = default;
    // Frees the handle.
    virtual ~CDsOpenGlSetup() = default;

    // The card's name: GL_VENDOR, one blank, GL_RENDERER. False (name unchanged) when there is no
    // current GL context (both strings null).
    static bool GetGlDriverString(CVyrString& name);
    // The workaround flags; looks for the setup file first when a GL context is current and the
    // file has not been looked for yet.
    static unsigned int StGetFlags();
    // Turns the raster-shift flag on.
    static void StSetRasterShiftX1();
    // Back to the start, as at a new load of the core: no flags, file still to be looked for.
    // For tests.
    VYR_TEST_RESET static void ResetForTests();
};

// The process-wide record handle, ready for use from library start.
extern AFX_EXT_DATA CDsOpenGlSetup gDsOpenGlSetup;

// Opens the setup file for reading: null when "RootCad" is absent or the file cannot be opened.
AFX_EXT_API std::unique_ptr<CStdioFile> DsOpenOpenGlSetupFile();
// The flags that the section of the card `card` names in an open setup file, read from where the
// file stands (0 when the card has no section); the record is not changed. Faulty lines are
// skipped with one warning for the read.
AFX_EXT_API unsigned int DsReadOpenGlSetupSection(CStdioFile& file, const CVyrString& card);
// Reads the section of the current card from the setup file and sets the flags its lines name.
// True when the card's name was known and the file was opened (whether or not the card has a
// section); false otherwise, nothing changed.
AFX_EXT_API bool DsReadOpenGlSetupFile();
