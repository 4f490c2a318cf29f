// Resource modules: strings found through the current resource handle and the
// chain of extension modules, and message boxes built from them.
#include <afxwin.h>

#include <gtest/gtest.h>

namespace {

const VYR_STRING_RESOURCE kExeStrings[] = {{100, L"from the executable"}, {300, L"shared: executable"}};
const VYR_STRING_RESOURCE kExtStrings[] = {{200, L"from the extension"}, {300, L"shared: extension"}};

// A module other than the executable: this framework library itself.
HMODULE ExtensionModule() { return VyrModuleFromAddress(reinterpret_cast<const void*>(&AfxGetModuleState)); }

}  // namespace

TEST(ModuleStateTest, StringsComeFromTheResourceHandleThenTheExtensionChain) {
    const HMODULE exe = GetModuleHandleW(nullptr);
    const HMODULE ext = ExtensionModule();
    ASSERT_NE(exe, nullptr);
    ASSERT_NE(ext, nullptr);
    ASSERT_NE(ext, exe);
    EXPECT_EQ(AfxGetInstanceHandle(), exe);
    EXPECT_EQ(AfxGetResourceHandle(), exe);
    ASSERT_TRUE(VyrRegisterStringTable(exe, kExeStrings, 2));
    ASSERT_TRUE(VyrRegisterStringTable(ext, kExtStrings, 2));

    CStringW text(L"unchanged");
    EXPECT_TRUE(text.LoadString(100));
    EXPECT_STREQ(text, L"from the executable");
    text = L"unchanged";
    EXPECT_FALSE(text.LoadString(200));  // the extension has not joined the chain yet
    EXPECT_STREQ(text, L"unchanged");

    AFX_EXTENSION_MODULE none = {};
    EXPECT_FALSE(AfxInitExtensionModule(none, nullptr));
    AFX_EXTENSION_MODULE module = {};
    ASSERT_TRUE(AfxInitExtensionModule(module, ext));
    EXPECT_TRUE(module.bInitialized);
    new CDynLinkLibrary(module);

    EXPECT_TRUE(text.LoadString(200));
    EXPECT_STREQ(text, L"from the extension");
    EXPECT_TRUE(text.LoadString(300));
    EXPECT_STREQ(text, L"shared: executable");  // the current resource handle comes first
    AfxSetResourceHandle(ext);
    EXPECT_TRUE(text.LoadString(300));
    EXPECT_STREQ(text, L"shared: extension");
    AfxSetResourceHandle(exe);

    WCHAR buffer[8];
    EXPECT_EQ(AfxLoadString(200, buffer, 8), 7);  // truncated, terminated
    EXPECT_STREQ(buffer, L"from th");
    EXPECT_EQ(AfxLoadString(999, buffer, 8), 0);
    EXPECT_STREQ(buffer, L"");

    AfxTermExtensionModule(module);
    EXPECT_EQ(AfxGetModuleState()->m_pFirstLibrary, nullptr);
    EXPECT_FALSE(text.LoadString(200));
    EXPECT_TRUE(text.LoadString(100));
}

TEST(ModuleStateTest, TerminatingOneModuleKeepsTheOthers) {
    HMODULE a = ExtensionModule();
    HMODULE b = GetModuleHandleW(nullptr);
    AFX_EXTENSION_MODULE first = {}, second = {};
    ASSERT_TRUE(AfxInitExtensionModule(first, a));
    ASSERT_TRUE(AfxInitExtensionModule(second, b));
    CDynLinkLibrary* kept = new CDynLinkLibrary(second);
    new CDynLinkLibrary(first);
    new CDynLinkLibrary(first);

    AfxTermExtensionModule(first);
    EXPECT_EQ(AfxGetModuleState()->m_pFirstLibrary, kept);
    EXPECT_EQ(kept->m_pNextDLL, nullptr);
    EXPECT_FALSE(first.bInitialized);

    AfxTermExtensionModule(first, TRUE);  // every library of the chain
    EXPECT_EQ(AfxGetModuleState()->m_pFirstLibrary, nullptr);
}

TEST(ModuleStateTest, MessageBoxesAreRecordedWithoutWaiting) {
    VyrClearMessageBoxes();
    const VYR_STRING_RESOURCE prompt[] = {{42, L"Save changes?"}};
    ASSERT_TRUE(VyrRegisterStringTable(GetModuleHandleW(nullptr), prompt, 1));

    EXPECT_EQ(AfxMessageBox(L"Plain text"), IDOK);
    EXPECT_EQ(AfxMessageBox(42, MB_YESNO), IDYES);
    EXPECT_EQ(AfxMessageBox(43, MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);  // no such string: an empty box
    ASSERT_EQ(VyrGetMessageBoxCount(), 3u);
    EXPECT_STREQ(VyrGetMessageBoxText(0), L"Plain text");
    EXPECT_STREQ(VyrGetMessageBoxText(1), L"Save changes?");
    EXPECT_STREQ(VyrGetMessageBoxText(2), L"");
    EXPECT_STRNE(VyrGetMessageBoxCaption(0), L"");  // the program's name
}

TEST(ModuleStateTest, ABitmapIsFoundInTheModuleThatHoldsIt) {
    const HMODULE exe = GetModuleHandleW(nullptr);
    const HMODULE ext = ExtensionModule();
    static const BYTE bits[] = {0xF0, 0x00};
    const VYR_BITMAP_RESOURCE exeBitmaps[] = {{500, 4, 1, 1, bits}};
    const VYR_BITMAP_RESOURCE extBitmaps[] = {{500, 4, 1, 1, bits}, {501, 4, 1, 1, bits}};
    ASSERT_TRUE(VyrRegisterBitmapTable(exe, exeBitmaps, 1));
    ASSERT_TRUE(VyrRegisterBitmapTable(ext, extBitmaps, 2));

    // Not in the chain yet: only the current resource module counts.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(501), RT_BITMAP), exe);
    AFX_EXTENSION_MODULE module = {};
    ASSERT_TRUE(AfxInitExtensionModule(module, ext));
    new CDynLinkLibrary(module);

    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(500), RT_BITMAP), exe);  // the current module first
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(501), RT_BITMAP), ext);
    HBITMAP found = LoadBitmapW(AfxFindResourceHandle(MAKEINTRESOURCEW(501), RT_BITMAP), MAKEINTRESOURCEW(501));
    EXPECT_NE(found, nullptr);
    DeleteObject(found);
    // Nowhere: the current module, from which the load then fails.
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(502), RT_BITMAP), exe);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(501), RT_STRING), exe);
    AfxSetResourceHandle(ext);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEW(500), RT_BITMAP), ext);
    AfxSetResourceHandle(exe);

    AfxTermExtensionModule(module);
    VyrUnregisterModule(ext);
    VyrUnregisterModule(exe);
}
