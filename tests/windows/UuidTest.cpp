// UUIDs: the text form callers build names from, and identifiers that differ.
#include "windows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

std::wstring ToText(const UUID& uuid) {
    RPC_WSTR text = nullptr;
    EXPECT_EQ(RPC_S_OK, UuidToStringW(&uuid, &text));
    std::wstring result = text ? text : L"";
    EXPECT_EQ(RPC_S_OK, RpcStringFreeW(&text));
    EXPECT_EQ(nullptr, text);
    return result;
}

TEST(UuidTest, TextIsLowercaseHexInTheFieldOrder) {
    const UUID known = {0x0123abcd, 0x45ef, 0x6789, {0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10}};
    EXPECT_EQ(L"0123abcd-45ef-6789-fedc-ba9876543210", ToText(known));
    const UUID zero = {};
    EXPECT_EQ(L"00000000-0000-0000-0000-000000000000", ToText(zero));

    UUID created;
    ASSERT_EQ(RPC_S_OK, UuidCreate(&created));
    const std::wstring text = ToText(created);
    ASSERT_EQ(36u, text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == 8 || i == 13 || i == 18 || i == 23)
            EXPECT_EQ(L'-', text[i]) << i;
        else
            EXPECT_TRUE((text[i] >= L'0' && text[i] <= L'9') || (text[i] >= L'a' && text[i] <= L'f')) << i;
    }
    EXPECT_EQ(L'4', text[14]);  // random version
    EXPECT_NE(std::wstring::npos, std::wstring(L"89ab").find(text[19]));  // standard variant
}

TEST(UuidTest, CreatedUuidsAreDistinctAndEveryRandomBitVaries) {
    std::set<std::wstring> seen;
    unsigned char anySet[16] = {};
    unsigned char anyClear[16] = {};
    for (int i = 0; i < 5000; ++i) {
        UUID uuid;
        ASSERT_EQ(RPC_S_OK, UuidCreate(&uuid));
        EXPECT_TRUE(seen.insert(ToText(uuid)).second) << "repeated after " << i;
        unsigned char bytes[16];
        std::memcpy(bytes, &uuid, sizeof bytes);
        for (int b = 0; b < 16; ++b) {
            anySet[b] |= bytes[b];
            anyClear[b] |= static_cast<unsigned char>(~bytes[b]);
        }
    }
    // Data3 (bytes 6 and 7 in memory) holds the version in its top nibble and
    // Data4[0] (byte 8) the variant in its top two bits; every other bit is random.
    for (int b = 0; b < 16; ++b) {
        unsigned char fixedBits = 0;
        if (b == 7) fixedBits = 0xF0;
        if (b == 8) fixedBits = 0xC0;
        EXPECT_EQ(0xFF & ~fixedBits, anySet[b] & anyClear[b] & ~fixedBits) << "byte " << b;
    }
}

TEST(UuidTest, NullArgumentsAreRefused) {
    RPC_WSTR text = nullptr;
    UUID uuid = {};
    EXPECT_EQ(RPC_S_INVALID_ARG, UuidCreate(nullptr));
    EXPECT_EQ(RPC_S_INVALID_ARG, UuidToStringW(nullptr, &text));
    EXPECT_EQ(RPC_S_INVALID_ARG, UuidToStringW(&uuid, nullptr));
    EXPECT_EQ(RPC_S_INVALID_ARG, RpcStringFreeW(nullptr));
    EXPECT_EQ(RPC_S_OK, RpcStringFreeW(&text));  // freeing nothing is fine
}

}  // namespace
