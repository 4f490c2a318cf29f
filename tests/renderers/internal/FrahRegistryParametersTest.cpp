// The auto-hide parameters in a program started with "EditFRAHParams": the registry's application
// key holds them where they can be edited. An empty key gets the generation and the six built-in
// texts written; edited values are read while the generation is "1"; another generation is
// replaced by the built-in values; a value that is missing or cannot be read as text keeps its
// built-in value. Every test has a registry store of its own in its scratch folder.
#include "DsBox.h"
#include "DsDrawContext.h"
#include "VyrCommandLineParser.h"
#include "VyrRegistry.h"

#include "ScratchRegistry.h"
#include "ViewSetup.h"
#include "view3d.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const wchar_t* const kGeneration = L"FRAH_FRDGenNum_not_for_use";
const wchar_t* const kNames[6] = {L"FRAH_LowBoundFPS", L"FRAH_UpperBoundFPS", L"FRAH_IncrFactor",
                                  L"FRAH_DecrFactor",  L"FRAH_MaxDiagonal",   L"FRAH_FirstTryMaxDiagonal"};
const wchar_t* const kBuiltIn[6] = {L"15", L"35", L"1.25", L"0.9", L"50", L"10"};

struct Parameters {
    float low = 0, upper = 0, increase = 0, decrease = 0, base = 0;
    int largest = 0, largestFirst = 0;
};

Parameters Read()
{
    Parameters p;
    DsFrahReadParameters(p.low, p.upper, p.increase, p.decrease, p.base, p.largest, p.largestFirst);
    return p;
}

void ExpectBuiltIn(const Parameters& p)
{
    EXPECT_FLOAT_EQ(p.low, 15.0f);
    EXPECT_FLOAT_EQ(p.upper, 35.0f);
    EXPECT_FLOAT_EQ(p.increase, 1.25f);
    EXPECT_FLOAT_EQ(p.decrease, 0.9f);
    EXPECT_FLOAT_EQ(p.base, 50.0f);
    EXPECT_EQ(p.largest, 50);
    EXPECT_EQ(p.largestFirst, 10);
}

// A registry of the test's own, and the application key in it.
class FrahRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CVyrCommandLineParser::GetInstance()->GetParamExists(L"EditFRAHParams")); }
    void TearDown() override
    {
        if (key_) RegCloseKey(key_);
    }
    HKEY Key()
    {
        if (!key_) {
            EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, CVyrRegistry::sApplicationKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                      nullptr, &key_, nullptr),
                      ERROR_SUCCESS);
        }
        return key_;
    }
    void Write(const wchar_t* name, const std::wstring& text)
    {
        ASSERT_EQ(RegSetValueExW(Key(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    // The value's text with its terminating zero counted, and its type; empty and REG_NONE when
    // it is missing.
    std::wstring Text(const wchar_t* name, DWORD* type = nullptr, DWORD* bytes = nullptr)
    {
        wchar_t buffer[64] = {};
        DWORD kind = REG_NONE, size = sizeof(buffer);
        if (RegQueryValueExW(Key(), name, nullptr, &kind, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
            kind = REG_NONE, size = 0;
        if (type) *type = kind;
        if (bytes) *bytes = size;
        return buffer;
    }
    void ExpectBuiltInWritten()
    {
        DWORD type = 0, bytes = 0;
        EXPECT_EQ(Text(kGeneration, &type, &bytes), L"1");
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(bytes, 2 * sizeof(wchar_t));
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(Text(kNames[i], &type, &bytes), kBuiltIn[i]);
            EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(bytes, (std::wcslen(kBuiltIn[i]) + 1) * sizeof(wchar_t));
        }
    }
    vyrtest::ScratchRegistry registry_;
    HKEY key_ = nullptr;
};

}  // namespace

TEST_F(FrahRegistryTest, AnEmptyRegistryGetsTheSevenValuesWrittenAndTheBuiltInOnesAreUsed)
{
    ExpectBuiltIn(Read());
    ExpectBuiltInWritten();
}

TEST_F(FrahRegistryTest, AnEmptyKeyGetsTheSevenValuesToo)
{
    Key();  // the key exists, with no value
    ExpectBuiltIn(Read());
    ExpectBuiltInWritten();
    ExpectBuiltIn(Read());  // read back as written
}

TEST_F(FrahRegistryTest, EditedValuesAreUsedWhileTheGenerationIsOne)
{
    Write(kGeneration, L"1");
    const wchar_t* edited[6] = {L"5", L"8.5", L"2", L"0.5", L"30.9", L"7.99"};
    for (int i = 0; i < 6; ++i) Write(kNames[i], edited[i]);
    const Parameters p = Read();
    EXPECT_FLOAT_EQ(p.low, 5.0f);
    EXPECT_FLOAT_EQ(p.upper, 8.5f);
    EXPECT_FLOAT_EQ(p.increase, 2.0f);
    EXPECT_FLOAT_EQ(p.decrease, 0.5f);
    EXPECT_FLOAT_EQ(p.base, 50.0f);  // fixed
    EXPECT_EQ(p.largest, 30);         // whole numbers, truncated
    EXPECT_EQ(p.largestFirst, 7);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Text(kNames[i]), edited[i]);  // nothing rewritten

    // The frame's threshold follows them.
    view3d view;
    vyrtest::ViewSetup().ApplyTo(view);
    CDsDrawContext record(&view, true, 0.05);
    record.fastRefresh = true;
    const CDsBox box;
    view.SetMaxDiagonalSizeForFastRefresh(4.0f);
    record.frameRate = 4.0f;  // below 5
    EXPECT_FLOAT_EQ(DsFrahUpdateThreshold(&view, record, box), 8.0f);
    record.frameRate = 7.0f;  // between the bounds
    EXPECT_FLOAT_EQ(DsFrahUpdateThreshold(&view, record, box), 4.0f);
    record.frameRate = 10.0f;  // above 8.5
    EXPECT_FLOAT_EQ(DsFrahUpdateThreshold(&view, record, box), 2.0f);
    view.SetMaxDiagonalSizeForFastRefresh(20.0f);
    record.frameRate = 4.0f;
    EXPECT_FLOAT_EQ(DsFrahUpdateThreshold(&view, record, box), 30.0f);  // at most the edited largest
}

TEST_F(FrahRegistryTest, AnotherGenerationIsReplacedByTheBuiltInValues)
{
    for (const wchar_t* generation : {L"2", L"", L"1 "}) {
        Write(kGeneration, generation);
        for (int i = 0; i < 6; ++i) Write(kNames[i], L"3");
        ExpectBuiltIn(Read());
        ExpectBuiltInWritten();
    }
    // A generation that is no text is replaced too.
    const DWORD one = 1;
    ASSERT_EQ(RegSetValueExW(Key(), kGeneration, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one)),
              ERROR_SUCCESS);
    Write(kNames[0], L"3");
    ExpectBuiltIn(Read());
    ExpectBuiltInWritten();
}

TEST_F(FrahRegistryTest, AValueMissingOrNotReadableAsTextKeepsItsBuiltInValue)
{
    Write(kGeneration, L"1");
    Write(kNames[0], L"5");
    // upper bound: missing
    const DWORD number = 3;  // increase factor: a number, not a text
    ASSERT_EQ(RegSetValueExW(Key(), kNames[2], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number)),
              ERROR_SUCCESS);
    Write(kNames[3], std::wstring(600, L'7'));  // decrease factor: longer than the buffer it is read into
    Write(kNames[4], L"40");
    Write(kNames[5], L"4");
    const Parameters p = Read();
    EXPECT_FLOAT_EQ(p.low, 5.0f);
    EXPECT_FLOAT_EQ(p.upper, 35.0f);
    EXPECT_FLOAT_EQ(p.increase, 1.25f);
    EXPECT_FLOAT_EQ(p.decrease, 0.9f);
    EXPECT_EQ(p.largest, 40);
    EXPECT_EQ(p.largestFirst, 4);
    DWORD type = 0;
    Text(kNames[1], &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));  // nothing was written back
    Text(kNames[2], &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(FrahRegistryTest, ARegistryThatCannotBeWrittenGivesTheBuiltInValues)
{
    // The store's folder is a file: the key can be neither opened nor made.
    const std::string blocker = registry_.Dir() + "/not-a-folder";
    std::FILE* file = std::fopen(blocker.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    registry_.Use(blocker + "/registry");
    ExpectBuiltIn(Read());
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, CVyrRegistry::sApplicationKey, 0, KEY_READ, &key), ERROR_SUCCESS);
}
