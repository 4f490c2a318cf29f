// CVyrString: construction, UTF-8 conversion, file-name cleaning and loading of
// string resources through the resource switch.
#include "UiResourceManager.h"
#include "VyrString.h"

#include <afx.h>

#include <gtest/gtest.h>

#include <string>

TEST(VyrStringTest, ConstructorsTakeEveryKindOfText) {
    EXPECT_TRUE(CVyrString().IsEmpty());
    EXPECT_EQ(CVyrString(CStringW(L"Shade")), L"Shade");
    EXPECT_EQ(CVyrString(L"Wireframe"), L"Wireframe");
    EXPECT_EQ(CVyrString("Gr\xC3\xB6\xC3\x9F" "e"), L"Gr\u00F6\u00DFe");  // UTF-8
    EXPECT_EQ(CVyrString(L"Hidden lines", 6), L"Hidden");
    EXPECT_EQ(CVyrString(L'-', 3), L"---");
    EXPECT_EQ(CVyrString(std::string("\xE2\x82\xAC 12")), L"\u20AC 12");
    const CVyrString original(L"Mixed");
    CVyrString copy(original);
    EXPECT_EQ(copy, original);
    copy += L" mode";
    EXPECT_EQ(original, L"Mixed");  // copies do not share text
    EXPECT_EQ(L"<" + copy + L">", L"<Mixed mode>");
}

TEST(VyrStringTest, StandardStringsStopAtTheFirstZero) {
    std::wstring wide(L"Part\0Drafting", 13);
    ASSERT_EQ(wide.size(), 13u);
    CVyrString fromWide(wide);
    EXPECT_EQ(fromWide.GetLength(), 4);
    EXPECT_EQ(fromWide, L"Part");
    CVyrString fromNarrow(std::string("NC\0Die", 6));
    EXPECT_EQ(fromNarrow, L"NC");
}

TEST(VyrStringTest, NullPointersAndBadLengthsReadAsEmpty) {
    EXPECT_TRUE(CVyrString(static_cast<const wchar_t*>(nullptr)).IsEmpty());
    EXPECT_TRUE(CVyrString(static_cast<const char*>(nullptr)).IsEmpty());
    EXPECT_TRUE(CVyrString(static_cast<const wchar_t*>(nullptr), 5).IsEmpty());
    EXPECT_TRUE(CVyrString(L"abc", -1).IsEmpty());
    EXPECT_STREQ(CVyrString().GetMultiByte(), "");
}

TEST(VyrStringTest, ReplaceInvalidFileCharsKeepsOnlyFileNameCharacters) {
    CVyrString name(L"a/b c.d:e\\f");
    name.ReplaceInvalidFileChars();
    EXPECT_EQ(name, L"a_b_c.d:e\\f");

    CVyrString mixed(L"Bl\u00F6ck #7*?<>|\"\t9Z");
    mixed.ReplaceInvalidFileChars();
    EXPECT_EQ(mixed, L"Bl_ck__7_______9Z");  // non-ASCII letters are replaced too
}

TEST(VyrStringTest, MultiByteResultsOfTwoStringsBothStayValid) {
    // Long enough that the conversions live on the heap, where a sanitizer sees misuse.
    CVyrString first(L"first: C:/Data/display/LightsAndMaterials");
    CVyrString second(L"second: C:/Data/display/shaders/1vert.txt");
    const char* a = first.GetMultiByte();
    const char* b = second.GetMultiByte();
    EXPECT_STREQ(a, "first: C:/Data/display/LightsAndMaterials");
    EXPECT_STREQ(b, "second: C:/Data/display/shaders/1vert.txt");
    EXPECT_EQ(first.GetMultiByte(), a);  // the same buffer while the string is unchanged

    // A copy converts into its own buffer; the others' stay as they were.
    CVyrString copy(first);
    EXPECT_STREQ(copy.GetMultiByte(), a);
    copy += L" changed";
    EXPECT_STREQ(copy.GetMultiByte(), "first: C:/Data/display/LightsAndMaterials changed");
    EXPECT_STREQ(a, "first: C:/Data/display/LightsAndMaterials");
    EXPECT_STREQ(b, "second: C:/Data/display/shaders/1vert.txt");
}

TEST(VyrStringTest, MultiByteIsUtf8AndFollowsChanges) {
    const wchar_t* text = L"\u00D8 12,5 mm \u2013 \u4E2D \U0001F600";
    CVyrString wide(text);
    std::string utf8 = wide.GetMultiByte();
    EXPECT_EQ(utf8, "\xC3\x98 12,5 mm \xE2\x80\x93 \xE4\xB8\xAD \xF0\x9F\x98\x80");
    EXPECT_EQ(CVyrString(utf8.c_str()), text);  // back without loss

    wide = CVyrString(L"Die");
    EXPECT_STREQ(wide.GetMultiByte(), "Die");
    wide.ReplaceInvalidFileChars();
    wide += L'\u00E9';
    EXPECT_STREQ(wide.GetMultiByte(), "Die\xC3\xA9");
    wide.Empty();
    EXPECT_STREQ(wide.GetMultiByte(), "");
}

TEST(VyrStringTest, TextFromUtf16ShowsTheBytesOfItsCodePoints) {
    const wchar_t fromUtf16[] = {L'x', 0xD83D, 0xDE00, 0};
    EXPECT_STREQ(CVyrString(fromUtf16).GetMultiByte(), "x\xF0\x9F\x98\x80");
    EXPECT_STREQ(CVyrString(L"x\U0001F600").GetMultiByte(), "x\xF0\x9F\x98\x80");
    const wchar_t lone[] = {0xD83D, L'x', 0};
    EXPECT_STREQ(CVyrString(lone).GetMultiByte(), "\xEF\xBF\xBDx");
    // Narrow text that is not UTF-8 (a single-byte file) keeps its characters.
    EXPECT_EQ(CVyrString(std::string("\x80 5")), L"\u20AC 5");
}

namespace {

char sStandInAnchor;

// A module handle other than the executable's, standing in for the core, with a
// string table of its own. It is not in the framework's chain, so its strings
// load only while it is the framework's resource handle.
HINSTANCE StandInModule() {
    static HINSTANCE module = [] {
        HINSTANCE m = reinterpret_cast<HINSTANCE>(&sStandInAnchor);
        static const VYR_STRING_RESOURCE table[] = {{3001, L"Hidden lines"}, {3002, L"Shade"}};
        VyrRegisterStringTable(m, table, 2);
        return m;
    }();
    return module;
}

// The resource switch changes process-wide handles: the framework's resource handle, the core's
// module and the remembered handle. Each test puts them back as it found them.
class ResourceSwitchTest : public ::testing::Test {
protected:
    void TearDown() override {
        AfxSetResourceHandle(framework_);
        gUiResourceManager.SetModuleHandle(module_);
        gUiRememberedResourceHandle = remembered_;
    }

    const HINSTANCE framework_ = AfxGetResourceHandle();
    const HINSTANCE module_ = gUiResourceManager.GetModuleHandle();
    const HINSTANCE remembered_ = gUiRememberedResourceHandle;
};

}  // namespace

TEST_F(ResourceSwitchTest, LoadResourceStringSwitchesToTheModuleAndBack) {
    HINSTANCE module = StandInModule();
    HINSTANCE framework = AfxGetResourceHandle();
    ASSERT_NE(module, nullptr);
    ASSERT_NE(module, framework);
    gUiResourceManager.SetModuleHandle(module);

    CVyrString text(L"unchanged");
    EXPECT_FALSE(text.LoadResourceString(3001, false));  // not reachable without the switch
    EXPECT_EQ(text, L"unchanged");
    EXPECT_EQ(gUiRememberedResourceHandle, nullptr);

    EXPECT_TRUE(text.LoadResourceString(3001, true));
    EXPECT_EQ(text, L"Hidden lines");
    EXPECT_EQ(AfxGetResourceHandle(), framework);  // restored
    EXPECT_EQ(gUiRememberedResourceHandle, framework);

    EXPECT_EQ(CVyrString(3002u, true), L"Shade");
    EXPECT_TRUE(CVyrString(3999u, true).IsEmpty());  // no such string
    EXPECT_FALSE(text.LoadResourceString(3999, true));
    EXPECT_EQ(text, L"Hidden lines");
    EXPECT_EQ(AfxGetResourceHandle(), framework);
}

TEST_F(ResourceSwitchTest, LoadResourceStringWithTheModuleAlreadyCurrentDoesNotSwitch) {
    HINSTANCE module = StandInModule();
    gUiResourceManager.SetModuleHandle(module);
    AfxSetResourceHandle(module);

    CVyrString text;
    EXPECT_TRUE(text.LoadResourceString(3002, true));
    EXPECT_EQ(text, L"Shade");
    EXPECT_EQ(AfxGetResourceHandle(), module);
    EXPECT_EQ(gUiRememberedResourceHandle, nullptr);  // nothing was remembered
}
