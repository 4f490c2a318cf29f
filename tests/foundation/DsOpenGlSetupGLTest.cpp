// The graphics card's workarounds from the setup file below the installation root: which section
// counts, when the file is read, and what the raster shift does to a colour-buffer copy.
#include "DsDriverGl.h"
#include "DsGeometryComputer.h"
#include "DsManager.h"
#include "DsOpenGlSetup.h"
#include "DsPreferencesServices.h"
#include "GlTestFixture.h"
#include "ScopedEnv.h"
#include "ScratchRegistry.h"
#include "TestFiles.h"
#include "TestResets.h"
#include "VyrRegistry.h"
#include "VyrString.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>

using vyrtest::ColorNear;
using vyrtest::ReadPixel;
using vyrtest::Rgb;

namespace {

class DsOpenGlSetupGLTest : public vyrtest::GlTest {
protected:
    void SetUp() override
    {
        vyrtest::GlTest::SetUp();
        VYR_RESET_FOR_TESTS(CDsOpenGlSetup::ResetForTests);
        CVyrString card;
        ASSERT_TRUE(CDsOpenGlSetup::GetGlDriverString(card));
        card_ = std::string(card.GetMultiByte());
    }
    void TearDown() override
    {
        VYR_RESET_FOR_TESTS(CDsOpenGlSetup::ResetForTests);
        vyrtest::GlTest::TearDown();
    }

    // Points "RootCad" at the scratch folder.
    void SetRoot() { SetRoot(registry_.Dir()); }
    // Points "RootCad" at `dir`.
    void SetRoot(const std::string& dir)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, CVyrRegistry::sApplicationKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::wstring root(dir.begin(), dir.end());
        ASSERT_EQ(RegSetValueExW(key, L"RootCad", 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                                 DWORD((root.size() + 1) * sizeof(WCHAR))),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // Writes "<root>/dat/OpenGlSetup.dat".
    void WriteSetup(const std::string& text)
    {
        mkdir((registry_.Dir() + "/dat").c_str(), 0755);
        std::ofstream(registry_.Dir() + "/dat/OpenGlSetup.dat") << text;
    }

    vyrtest::ScratchRegistry registry_;
    std::string card_;  // "<vendor> <renderer>"
};

const char kShift[] = "RASTER_SHIFT_X_1_COMMAND";

}  // namespace

TEST_F(DsOpenGlSetupGLTest, OnlyTheCardsOwnSectionCounts)
{
    SetRoot();
    // Another card's section has the flag; this card's section, up to its empty line, has it too.
    WriteSetup("Other Vendor Other Card\n" + std::string(kShift) + "\n\n" + card_ + "\nSOMETHING_ELSE\n" + kShift +
               "\n\nLast Card\n");
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), CDsOpenGlSetup::kRasterShiftX1);

    // The flag after the card's empty line belongs to another section.
    VYR_RESET_FOR_TESTS(CDsOpenGlSetup::ResetForTests);
    WriteSetup(card_ + "\nSOMETHING_ELSE\n\nNext Card\n" + kShift + "\n");
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), 0u);

    // A section at the end without an empty line is read to the end of the file.
    VYR_RESET_FOR_TESTS(CDsOpenGlSetup::ResetForTests);
    WriteSetup("Other Card\n\n" + card_ + "\n" + kShift);
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), CDsOpenGlSetup::kRasterShiftX1);

    // Another card only: nothing.
    VYR_RESET_FOR_TESTS(CDsOpenGlSetup::ResetForTests);
    WriteSetup("Other Vendor Other Card\n" + std::string(kShift) + "\n");
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), 0u);
}

TEST_F(DsOpenGlSetupGLTest, TheFileIsLookedForOncePerLoadOnceTheCardIsKnown)
{
    // Without a GL context the card is unknown: nothing is decided, the file is looked for later.
    SetRoot();
    WriteSetup(card_ + "\n" + kShift + "\n");
    wglMakeCurrent(nullptr, nullptr);
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), 0u);
    ASSERT_TRUE(window_->MakeCurrent());
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), CDsOpenGlSetup::kRasterShiftX1);
    // Read once: a later file changes nothing.
    WriteSetup(card_ + "\n");
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), CDsOpenGlSetup::kRasterShiftX1);

    // No installation root, or no file, when the card is first known: no flags for this load of
    // the core, and the registry and the file are not asked again at every request.
    VYR_RESET_FOR_TESTS(CDsOpenGlSetup::ResetForTests);
    vyrtest::ScratchRegistry empty;  // no "RootCad"
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), 0u);
    SetRoot(registry_.Dir());
    WriteSetup(card_ + "\n" + kShift + "\n");
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), 0u);

    VYR_RESET_FOR_TESTS(CDsOpenGlSetup::ResetForTests);
    SetRoot(registry_.Dir() + "/elsewhere");
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), 0u);
    SetRoot(registry_.Dir());
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), 0u);

    // The next load reads the file as it is then.
    VYR_RESET_FOR_TESTS(CDsOpenGlSetup::ResetForTests);
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), CDsOpenGlSetup::kRasterShiftX1);
}

TEST_F(DsOpenGlSetupGLTest, RasterShiftMovesAColourBufferCopyHalfAPixelLeft)
{
    vyrtest::SetPixelProjection(200, 100);
    glDrawBuffer(GL_FRONT);
    vyrtest::Clear(Rgb{0, 0, 255});
    vyrtest::FillRect(Rgb{255, 0, 0}, 100, 0, 1, 100);  // one red column at x = 100
    glDrawBuffer(GL_BACK);
    vyrtest::Clear(Rgb{0, 0, 0});

    // Without the workaround the column lands in place.
    glRasterPos2i(0, 0);
    ASSERT_TRUE(CDsDriverGl::CopyColorBuffer(true));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 50), Rgb{255, 0, 0}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 99, 50), Rgb{0, 0, 255}));

    // With it (read at the next load of the core), the raster position is half a pixel left of
    // the origin: a conforming driver puts every copied column one pixel to the left.
    SetRoot();
    WriteSetup(card_ + "\n" + kShift + "\n");
    VYR_RESET_FOR_TESTS(CDsOpenGlSetup::ResetForTests);
    vyrtest::Clear(Rgb{0, 0, 0});
    ASSERT_TRUE(CDsDriverGl::CopyColorBuffer(true));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 99, 50), Rgb{255, 0, 0}));
    EXPECT_TRUE(ColorNear(ReadPixel(GL_BACK, 100, 50), Rgb{0, 0, 255}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DsOpenGlSetupGLTest, TheGeneralPreferenceUpdateReadsTheRunningRenderersSection)
{
    const bool displayLists = CDsManager::GetInstance()->GetFlag(4);
    SetRoot();
    WriteSetup("Other Card\n\n" + card_ + "\n# this machine\n" + kShift + "\n");
    CDsPreferencesServices().UpdateGeneralPreferences(false);
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), CDsOpenGlSetup::kRasterShiftX1);
    // Read once: a later update leaves the record as it is.
    WriteSetup(card_ + "\n");
    CDsPreferencesServices().UpdateGeneralPreferences(false);
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), CDsOpenGlSetup::kRasterShiftX1);
    CDsManager::GetInstance()->SetFlag(4, displayLists);
}

TEST_F(DsOpenGlSetupGLTest, TheShippedExampleReadsCleanlyAndNamesNoRealCard)
{
    const std::string warnings = vyrtest::ScratchDir();
    vyrtest::ScopedEnv tmp("TMPDIR", warnings.c_str());
    // A root whose "dat" folder is the example's: the data folder of the source tree.
    SetRoot(std::string(CVyrRegistry::GetDataDir().GetMultiByte()));
    EXPECT_EQ(CDsOpenGlSetup::StGetFlags(), 0u);
    CDsGeometryComputer::FlushWarnings();
    EXPECT_EQ(vyrtest::ReadFileBytes(warnings + "/DisplayDebugWarnings.txt"), "");
}
