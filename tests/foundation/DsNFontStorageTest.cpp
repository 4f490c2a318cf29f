// The font description of text and of the view's driver: its default log font, face-name rules,
// copies that never share a GDI font, fonts made, selected and released on a DC, character
// formats, angles, the em-to-ascent ratio, and the default font name with its check.
#include "DisplayStateGuard.h"
#include "DsNFontStorage.h"
#include "DsView3dCdc.h"
#include "TestResets.h"
#include "UiCharFormat.h"
#include "VyrLangResourceManager.h"

#include "ViewWindow.h"

#include <afxwin.h>

#include <gtest/gtest.h>

#include <cwchar>

namespace {

class DsNFontStorageTest : public ::testing::Test {
protected:
    DsNFontStorageTest()
    {
        CVyrString name(L"DejaVu Sans");
        CDsNFontStorage::StSetDefaultFontName(name);
    }
    vyrtest::DisplayStateGuard guard_;
};

}  // namespace

TEST_F(DsNFontStorageTest, StartsFromTheDefaultLogFont)
{
    CDsNFontStorage font;
    const LOGFONTW& description = font.GetLogFont();
    EXPECT_EQ(description.lfHeight, 12);
    EXPECT_EQ(description.lfWeight, FW_NORMAL);
    EXPECT_EQ(description.lfEscapement, 0);
    EXPECT_EQ(description.lfItalic, 0);
    EXPECT_EQ(description.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(description.lfOutPrecision, OUT_TT_ONLY_PRECIS);
    EXPECT_EQ(description.lfQuality, NONANTIALIASED_QUALITY);
    EXPECT_STREQ(description.lfFaceName, L"DejaVu Sans");
    EXPECT_FALSE(font.GetRightToLeft());
    EXPECT_EQ(font.GetMyFont(), nullptr);
}

TEST_F(DsNFontStorageTest, FaceNamesFollowTheirRules)
{
    CDsNFontStorage font;
    font.SetName(CVyrString(L"Arial"));
    CVyrString name;
    font.GetName(name);
    EXPECT_STREQ(name.GetString(), L"Arial");
    font.SetName(CVyrString(L"standard"));
    font.GetName(name);
    EXPECT_STREQ(name.GetString(), L"DejaVu Sans");
    font.SetName(CVyrString(L"Arial"));
    font.SetName(CVyrString());
    font.GetName(name);
    EXPECT_STREQ(name.GetString(), L"DejaVu Sans");
    // A name longer than the log font holds keeps its first 31 characters.
    font.SetName(CVyrString(L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij"));
    font.GetName(name);
    EXPECT_STREQ(name.GetString(), L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde");

    font.SetLineAngle(45.67f);
    EXPECT_EQ(font.GetLogFont().lfEscapement, 456);
    EXPECT_NEAR(font.GetLineAngleInDegrees(), 45.6f, 1e-4f);
    font.SetLineAngle(-12.39f);
    EXPECT_EQ(font.GetLogFont().lfEscapement, -123);  // toward zero
    font.SetSlanted(true);
    EXPECT_EQ(font.GetSlanted(), 1);
    font.SetHeight(-30);
    EXPECT_EQ(font.GetHeight(), -30);
}

TEST_F(DsNFontStorageTest, CopiesTakeTheDescriptionButNeverTheFont)
{
    CDsNFontStorage font;
    font.SetName(CVyrString(L"Arial"));
    font.SetHeight(-20);
    font.SetRightToLeft(true);
    ASSERT_NE(font.CreateFontW(), nullptr);
    CDsNFontStorage copy(font);
    EXPECT_EQ(copy.GetMyFont(), nullptr);
    EXPECT_EQ(copy.GetHeight(), -20);
    EXPECT_TRUE(copy.GetRightToLeft());
    EXPECT_STREQ(copy.GetLogFont().lfFaceName, L"Arial");
    ASSERT_NE(copy.CreateFontW(), nullptr);
    copy = CDsNFontStorage();  // drops its own font, takes the default description
    EXPECT_EQ(copy.GetMyFont(), nullptr);
    EXPECT_EQ(copy.GetHeight(), 12);
    EXPECT_NE(font.GetMyFont(), nullptr);  // the original keeps its font
    LOGFONTW made{};
    ASSERT_GT(font.GetMyFont()->GetLogFont(&made), 0);
    EXPECT_EQ(made.lfHeight, -20);
    EXPECT_STREQ(made.lfFaceName, L"Arial");
}

TEST_F(DsNFontStorageTest, FontsSelectedIntoADcAreGivenBackAndFreed)
{
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CDsNFontStorage font;
    font.SetName(CVyrString(L"Arial"));
    EXPECT_EQ(font.SelectMyFont(nullptr), nullptr);
    CFont* previous = font.SelectMyFont(&dc);
    ASSERT_NE(previous, nullptr);
    ASSERT_NE(font.GetMyFont(), nullptr);
    const HGDIOBJ made = font.GetMyFont()->GetSafeHandle();
    EXPECT_EQ(GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT), made);
    CStringW face;
    dc.GetTextFaceW(face);
    EXPECT_EQ(face, L"Liberation Sans");
    font.ReleaseMyFont(&dc, previous);
    EXPECT_EQ(GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(font.GetMyFont(), nullptr);
    EXPECT_EQ(GetObjectType(made), 0u);  // deleted

    // Released with its own font as the "previous" one, the storage keeps it.
    CFont* own = font.CreateFontW();
    font.ReleaseMyFont(nullptr, own);
    EXPECT_EQ(font.GetMyFont(), own);
    CGdiObject::DeleteTempMap();
}

TEST_F(DsNFontStorageTest, ACharacterFormatGivesWhatItsMaskAndEffectsBothCarry)
{
    CUiCharFormat format;
    format.SetEffects(CUiCharFormat::eBold | CUiCharFormat::eItalic | CUiCharFormat::eUnderline);
    format.SetMask(CUiCharFormat::eItalic);
    format.SetPitchAndFamily(0x22);
    format.SetFaceName(L"Liberation Serif");
    format.SetRight2Left(true);
    CDsNFontStorage font;
    font.SetHeight(-40);
    font.SetData(format);
    EXPECT_FALSE(font.GetBold());  // the bold effect without the bold mask bit
    EXPECT_EQ(font.GetLogFont().lfWeight, FW_NORMAL);
    EXPECT_EQ(font.GetSlanted(), 1);
    EXPECT_EQ(font.GetUnderline(), 0);
    EXPECT_EQ(font.GetPitchAndFamily(), 0x22);
    EXPECT_EQ(font.GetHeight(), 12);  // the default description first
    EXPECT_TRUE(font.GetRightToLeft());
    EXPECT_STREQ(font.GetLogFont().lfFaceName, L"Liberation Serif");

    format.SetMask(CUiCharFormat::eBold | CUiCharFormat::eUnderline);
    format.SetEffects(CUiCharFormat::eBold | CUiCharFormat::eUnderline);
    format.SetFaceName(L"");
    format.SetRight2Left(false);
    font.SetData(format);
    EXPECT_TRUE(font.GetBold());
    EXPECT_EQ(font.GetLogFont().lfWeight, FW_BOLD);
    EXPECT_EQ(font.GetSlanted(), 0);
    EXPECT_EQ(font.GetUnderline(), 1);
    EXPECT_FALSE(font.GetRightToLeft());
    EXPECT_STREQ(font.GetLogFont().lfFaceName, L"DejaVu Sans");  // no name: the default

    // A face name longer than the fields hold is cut to 31 characters, in the format and the font.
    format.SetFaceName(L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(std::wcslen(format.GetFaceName()), 31u);
    font.SetData(format);
    EXPECT_STREQ(font.GetLogFont().lfFaceName, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde");
    format.SetFaceName(nullptr);
    EXPECT_STREQ(format.GetFaceName(), L"");
}

TEST_F(DsNFontStorageTest, AccessorsKeepOneFieldEachAndAnglesTravelInTenthsOfADegree)
{
    CDsNFontStorage font;
    const float angles[] = {0.0f, 0.5f, -1.0f, 3.0f, 6.2f};
    for (float a : angles) {
        font.SetLineAngleInRadians(a);
        EXPECT_NEAR(font.GetLineAngleInRadians(), a, 0.1 * 3.14159265 / 180.0) << a;
    }
    font.SetLineAngleInRadians(1.0f);  // 57.2958 degrees
    EXPECT_EQ(font.GetLogFont().lfEscapement, 572);
    font.SetLineAngleInRadians(-1.0f);
    EXPECT_EQ(font.GetLogFont().lfEscapement, -572);  // toward zero

    font.SetBold(true);
    EXPECT_EQ(font.GetLogFont().lfWeight, FW_BOLD);
    font.SetBold(false);
    EXPECT_EQ(font.GetLogFont().lfWeight, FW_NORMAL);
    font.SetUnderline(true);
    EXPECT_EQ(font.GetUnderline(), 1);
    font.SetCharSet(204);
    EXPECT_EQ(font.GetCharSet(), 204);
    font.SetPitchAndFamily(0x31);
    EXPECT_EQ(font.GetPitchAndFamily(), 0x31);
    EXPECT_EQ(font.GetLogFont().lfEscapement, -572);  // each accessor kept to its own field
    EXPECT_EQ(font.GetMyFont(), nullptr);              // and no font was made
}

TEST_F(DsNFontStorageTest, TheEmToAscentRatioNeedsAnAscentToDivideBy)
{
    // An em of 1000 over an ascent of 800 above the internal leading of 200 in 1000.
    TEXTMETRICW metrics{};
    metrics.tmHeight = 1200;
    metrics.tmAscent = 1000;
    metrics.tmInternalLeading = 200;
    EXPECT_FLOAT_EQ(CDsNFontStorage::StComputeEmAscentRatio(1000, metrics), 1.25f);
    // Ascent and internal leading equal (or the leading larger): no ratio to be had, 1.
    metrics.tmInternalLeading = 1000;
    EXPECT_FLOAT_EQ(CDsNFontStorage::StComputeEmAscentRatio(1000, metrics), 1.0f);
    metrics.tmInternalLeading = 1200;
    EXPECT_FLOAT_EQ(CDsNFontStorage::StComputeEmAscentRatio(1000, metrics), 1.0f);
    metrics.tmAscent = 0;
    metrics.tmInternalLeading = 0;
    EXPECT_FLOAT_EQ(CDsNFontStorage::StComputeEmAscentRatio(1000, metrics), 1.0f);

    // Measured on a real face: above 1 (the em is taller than the ascent above the leading), the
    // same whatever the storage's own height and angle, and the storage left without a font.
    ASSERT_EQ(CDsView3dCdc::StGetCurrent(), nullptr);
    CDsNFontStorage font;
    const float ratio = font.GetEmAscentRatio();
    EXPECT_GT(ratio, 1.05f);
    EXPECT_LT(ratio, 2.0f);
    font.SetHeight(-57);
    font.SetLineAngle(30.0f);
    EXPECT_FLOAT_EQ(font.GetEmAscentRatio(), ratio);
    EXPECT_EQ(font.GetMyFont(), nullptr);
    EXPECT_EQ(font.GetHeight(), -57);
}

namespace {

int sAnchor;  // an address inside this executable

// The display resource module stood in by this executable, with the default font's strings.
class DefaultFontResources {
public:
    DefaultFontResources()
    {
        VYR_RESET_FOR_TESTS(CVyrLangResourceManager::ResetForTests);
        static const VYR_STRING_RESOURCE kStrings[] = {
            {CDsNFontStorage::kDefaultFontNameId, L"DejaVu Sans"},
            {CDsNFontStorage::kMissingFontTextId, L"The default font "},
            {CDsNFontStorage::kMissingFontTailId, L" cannot be found."}};
        VyrRegisterModule(self_, L"VyrDisplayRc");
        VyrRegisterStringTable(self_, kStrings, 3);
        VyrClearMessageBoxes();
    }
    ~DefaultFontResources()
    {
        VyrClearMessageBoxes();
        VyrUnregisterModule(self_);
        VYR_RESET_FOR_TESTS(CVyrLangResourceManager::ResetForTests);
    }
    DefaultFontResources(const DefaultFontResources&) = delete;
    DefaultFontResources& operator=(const DefaultFontResources&) = delete;

private:
    HMODULE self_ = VyrModuleFromAddress(&sAnchor);
};

}  // namespace

TEST_F(DsNFontStorageTest, TheDefaultFontNameComesFromTheResourceModuleAndAMissingFaceIsReported)
{
    DefaultFontResources resources;
    CVyrString none;
    CDsNFontStorage::StSetDefaultFontName(none);
    EXPECT_STREQ(CDsNFontStorage::StGetDefaultFontName().GetString(), L"DejaVu Sans");
    EXPECT_STREQ(CDsNFontStorage().GetLogFont().lfFaceName, L"DejaVu Sans");

    // A default name longer than the face name holds is cut to 31 characters.
    CVyrString longName(L"A Default Face Name Well Over Thirty-One Characters");
    CDsNFontStorage::StSetDefaultFontName(longName);
    EXPECT_STREQ(CDsNFontStorage().GetLogFont().lfFaceName, L"A Default Face Name Well Over T");

    // Without an application's main window nothing is checked.
    CVyrString missing(L"NoSuchFaceAnywhere");
    CDsNFontStorage::StSetDefaultFontName(missing);
    CDsNFontStorage::StCheckIfDefaultFontExist();
    EXPECT_EQ(VyrGetMessageBoxCount(), 0u);

    CWinApp app;
    vyrtest::FrameworkWindow window(50, 50);
    app.m_pMainWnd = &window.wnd;
    ASSERT_EQ(AfxGetMainWnd(), &window.wnd);
    CDsNFontStorage::StCheckIfDefaultFontExist();
    ASSERT_EQ(VyrGetMessageBoxCount(), 1u);
    EXPECT_STREQ(VyrGetMessageBoxText(0), L"The default font NoSuchFaceAnywhere cannot be found.");

    // A face the system has, or no default name at all, is not reported.
    CVyrString present(L"DejaVu Sans");
    CDsNFontStorage::StSetDefaultFontName(present);
    CDsNFontStorage::StCheckIfDefaultFontExist();
    VyrUnregisterModule(VyrModuleFromAddress(&sAnchor));
    VYR_RESET_FOR_TESTS(CVyrLangResourceManager::ResetForTests);
    CDsNFontStorage::StSetDefaultFontName(none);
    CDsNFontStorage::StCheckIfDefaultFontExist();
    EXPECT_EQ(VyrGetMessageBoxCount(), 1u);
    app.m_pMainWnd = nullptr;
}

TEST_F(DsNFontStorageTest, AMissingDefaultFontNameIsFoundOnceTheResourceModuleComes)
{
    // Without the module no name; asked again, still none (the failure is remembered).
    VYR_RESET_FOR_TESTS(CVyrLangResourceManager::ResetForTests);
    CVyrString none;
    CDsNFontStorage::StSetDefaultFontName(none);
    EXPECT_TRUE(CDsNFontStorage::StGetDefaultFontName().IsEmpty());
    EXPECT_TRUE(CDsNFontStorage::StGetDefaultFontName().IsEmpty());
    EXPECT_STREQ(CDsNFontStorage().GetLogFont().lfFaceName, L"");
    {
        // The module loaded later: the next text takes its name.
        DefaultFontResources resources;
        EXPECT_STREQ(CDsNFontStorage().GetLogFont().lfFaceName, L"DejaVu Sans");
        EXPECT_STREQ(CDsNFontStorage::StGetDefaultFontName().GetString(), L"DejaVu Sans");
    }
    // A name found is kept after the module has gone; a name set by hand replaces it, and an
    // empty one sends the next call to the module again.
    EXPECT_STREQ(CDsNFontStorage::StGetDefaultFontName().GetString(), L"DejaVu Sans");
    CDsNFontStorage::StSetDefaultFontName(none);
    EXPECT_TRUE(CDsNFontStorage::StGetDefaultFontName().IsEmpty());
    DefaultFontResources again;
    EXPECT_STREQ(CDsNFontStorage::StGetDefaultFontName().GetString(), L"DejaVu Sans");
}
