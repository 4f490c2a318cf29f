// CVyrRegistry over a scratch registry store: string values of the application
// key, the data folder and its fallback.
#include "VyrRegistry.h"

#include "ScratchRegistry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class RegistryTest : public ::testing::Test {
protected:

    // Stores raw bytes as a value of the application key (created when missing).
    void Set(LPCWSTR name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, CVyrRegistry::sApplicationKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // Stores a text value with its terminating zero.
    void SetText(LPCWSTR name, const std::wstring& text, DWORD type = REG_SZ) {
        Set(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
    }

    vyrtest::ScratchRegistry registry_;
};

}  // namespace

TEST_F(RegistryTest, ReadsStringValuesWithSlashesForBackslashes) {
    SetText(L"RootCad", L"C:\\Program Files\\Zorbelan\\E 8.5\\");
    SetText(L"Tools", L"%ROOT%\\tools", REG_EXPAND_SZ);
    CVyrString value;
    ASSERT_TRUE(CVyrRegistry::Read(L"RootCad", value));
    EXPECT_EQ(value, L"C:/Program Files/Zorbelan/E 8.5/");
    ASSERT_TRUE(CVyrRegistry::Read(L"rootcad", value));  // names compare without case
    ASSERT_TRUE(CVyrRegistry::Read(L"Tools", value));
    EXPECT_EQ(value, L"%ROOT%/tools");
}

TEST_F(RegistryTest, AbsentOrNonStringValuesAreNotRead) {
    CVyrString value(L"untouched");
    EXPECT_FALSE(CVyrRegistry::Read(L"RootCad", value));  // no key at all
    DWORD number = 7;
    Set(L"Count", REG_DWORD, &number, sizeof(number));
    EXPECT_FALSE(CVyrRegistry::Read(L"RootCad", value));  // key without the value
    EXPECT_FALSE(CVyrRegistry::Read(L"Count", value));
    EXPECT_EQ(value, L"untouched");
}

TEST_F(RegistryTest, OddlyStoredTextIsReadSafely) {
    // No terminating zero, a trailing half character, and a zero inside.
    const WCHAR text[] = {L'/', L'o', L'p', L't', 0, L'x'};
    Set(L"RootCad", REG_SZ, text, 4 * sizeof(WCHAR) + 2);
    Set(L"Inner", REG_SZ, text, sizeof(text));
    Set(L"Empty", REG_SZ, nullptr, 0);
    CVyrString value;
    ASSERT_TRUE(CVyrRegistry::Read(L"RootCad", value));
    EXPECT_EQ(value, L"/opt");
    ASSERT_TRUE(CVyrRegistry::Read(L"Inner", value));
    EXPECT_EQ(value, L"/opt");
    ASSERT_TRUE(CVyrRegistry::Read(L"Empty", value));
    EXPECT_TRUE(value.IsEmpty());
}

TEST_F(RegistryTest, DataDirComesFromTheRegistryElseFromTheBuild) {
    EXPECT_EQ(CVyrRegistry::GetDataDir(), CVyrString(VYR_SOURCE_DATA_DIR));
    SetText(L"DataDir", L"");
    EXPECT_EQ(CVyrRegistry::GetDataDir(), CVyrString(VYR_SOURCE_DATA_DIR));  // empty counts as absent
    SetText(L"DataDir", L"D:\\Zorbelan\\Data");
    EXPECT_EQ(CVyrRegistry::GetDataDir(), L"D:/Zorbelan/Data");
}
