// Message boxes, window messages, modules and string tables of the Windows stand-in.
#include <windows.h>

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {
int sAnchor;  // an address inside this executable
}

TEST(ModuleTest, MessageBoxesAreRecordedAndNeverWait) {
    VyrClearMessageBoxes();
    vyrtest::CaptureStderr();
    EXPECT_EQ(MessageBoxW(nullptr, L"Cannot open the lights file", L"Display", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, L"Save?", nullptr, MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, nullptr, nullptr, MB_YESNOCANCEL), IDYES);
    std::string err = vyrtest::GetCapturedStderr();
    EXPECT_NE(err.find("Display: Cannot open the lights file"), std::string::npos);
    ASSERT_EQ(VyrGetMessageBoxCount(), 3u);
    EXPECT_STREQ(VyrGetMessageBoxText(0), L"Cannot open the lights file");
    EXPECT_STREQ(VyrGetMessageBoxCaption(0), L"Display");
    EXPECT_STREQ(VyrGetMessageBoxText(2), L"");
    EXPECT_EQ(VyrGetMessageBoxText(3), nullptr);
}

TEST(ModuleTest, MessageBoxTextReachesStandardErrorAsUtf8) {
    VyrClearMessageBoxes();
    const wchar_t fromUtf16[] = {L'o', L'k', L' ', 0xD83D, 0xDE00, 0};
    const wchar_t lone[] = {0xD83D, L'!', 0};
    vyrtest::CaptureStderr();
    MessageBoxW(nullptr, fromUtf16, lone, MB_OK);
    const std::string err = vyrtest::GetCapturedStderr();
    EXPECT_NE(err.find("\xEF\xBF\xBD!: ok \xF0\x9F\x98\x80\n"), std::string::npos) << err;
    // The record keeps the characters as given.
    EXPECT_EQ(std::wstring(VyrGetMessageBoxText(0)), std::wstring(fromUtf16));
    VyrClearMessageBoxes();
}

TEST(ModuleTest, WindowMessagesAreStablePerName) {
    UINT a = RegisterWindowMessageW(L"VyrToolkitMessage");
    UINT b = RegisterWindowMessageW(L"OtherMessage");
    EXPECT_GE(a, 0xC000u);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessageW(L"vyrtoolkitmessage"), a);
    EXPECT_EQ(RegisterWindowMessageW(L""), 0u);
    EXPECT_EQ(RegisterWindowMessageW(nullptr), 0u);
}

TEST(ModuleTest, StringTablesLoadByModuleAndId) {
    HMODULE self = VyrModuleFromAddress(&sAnchor);
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self, GetModuleHandleW(nullptr));  // the executable's module
    const VYR_STRING_RESOURCE table[] = {{100, L"Hidden lines"}, {101, L"Shade"}};
    ASSERT_TRUE(VyrRegisterModule(self, L"TestModule"));
    ASSERT_TRUE(VyrRegisterStringTable(self, table, 2));
    EXPECT_EQ(GetModuleHandleW(L"testmodule"), self);

    WCHAR buffer[64];
    EXPECT_EQ(LoadStringW(self, 100, buffer, 64), 12);
    EXPECT_STREQ(buffer, L"Hidden lines");
    EXPECT_EQ(LoadStringW(self, 100, buffer, 7), 6);  // truncated, still terminated
    EXPECT_STREQ(buffer, L"Hidden");
    const WCHAR* direct = nullptr;
    EXPECT_EQ(LoadStringW(self, 101, reinterpret_cast<LPWSTR>(&direct), 0), 5);
    EXPECT_STREQ(direct, L"Shade");
    EXPECT_EQ(LoadStringW(self, 999, buffer, 64), 0);
    EXPECT_EQ(LoadStringW(reinterpret_cast<HINSTANCE>(&sAnchor), 100, buffer, 64), 0);

    VyrUnregisterModule(self);
    EXPECT_EQ(GetModuleHandleW(L"TestModule"), nullptr);
}

TEST(ModuleTest, LoadLibraryOfAMissingModuleFails) {
    EXPECT_EQ(LoadLibraryW(L"NoSuchResourceModule"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}
