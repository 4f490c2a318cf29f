// The font description of text and of the view's driver: its default log font, face-name rules,
// copies that never share a GDI font, and fonts made, selected and released on a DC.
#include "DisplayStateGuard.h"
#include "DsNFontStorage.h"

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
