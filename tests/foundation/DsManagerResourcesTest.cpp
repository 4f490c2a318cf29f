// The display manager's bitmap table and vertex-buffer descriptions: what a registered bitmap
// holds, which handles are refused, and which descriptions get an index.
#include "DsManager.h"

#include <afxwin.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// An 11 x 3 device-dependent bitmap of 24 bits (rows of 33 bytes, padded to 34), each row
// different.
HBITMAP Rows24()
{
    std::vector<uint8_t> bits(34 * 3);
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < 34; ++k) bits[size_t(row * 34 + k)] = uint8_t(0x10 * (row + 1) + k % 2);
    return CreateBitmap(11, 3, 1, 24, bits.data());
}

}  // namespace

TEST(DsManagerResourcesTest, ABitmapIsRegisteredAsACopyOfItsDescriptionAndPixels)
{
    CDsManager* manager = CDsManager::GetInstance();
    HBITMAP bitmap = Rows24();
    ASSERT_NE(bitmap, nullptr);
    const int index = manager->AddBitmap(bitmap);
    ASSERT_GE(index, 0);
    const CDsBitmap* record = manager->GetBitmap(index);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->bmType, 0);
    EXPECT_EQ(record->GetWidth(), 11);
    EXPECT_EQ(record->GetHeight(), 3);
    EXPECT_EQ(record->GetWidthBytes(), 34);
    EXPECT_EQ(record->bmPlanes, 1);
    EXPECT_EQ(record->GetBitsPixel(), 24);
    ASSERT_NE(record->GetBits(), nullptr);
    EXPECT_EQ(record->GetBits()[0], 0x10);
    EXPECT_EQ(record->GetBits()[34 + 1], 0x21);
    EXPECT_EQ(record->GetBits()[2 * 34 + 33], 0x31);  // the last byte, padding included

    // The record is a copy: the bitmap may change or go.
    std::vector<uint8_t> zeros(34 * 3, 0);
    SetBitmapBits(bitmap, DWORD(zeros.size()), zeros.data());
    DeleteObject(bitmap);
    EXPECT_EQ(record->GetBits()[0], 0x10);

    // Later additions neither move nor change it.
    CBitmap framework;
    ASSERT_TRUE(framework.CreateBitmap(16, 16, 1, 1, nullptr));
    for (int k = 0; k < 40; ++k) ASSERT_EQ(manager->AddBitmap(framework), index + 1 + k);
    EXPECT_EQ(manager->GetBitmap(index), record);
    EXPECT_EQ(record->GetWidth(), 11);
    const CDsBitmap* mono = manager->GetBitmap(index + 1);
    ASSERT_NE(mono, nullptr);
    EXPECT_EQ(mono->GetBitsPixel(), 1);
    EXPECT_EQ(mono->GetWidthBytes(), 2);

    EXPECT_EQ(manager->GetBitmap(-1), nullptr);
    EXPECT_EQ(manager->GetBitmap(index + 41), nullptr);
}

TEST(DsManagerResourcesTest, HandlesThatAreNoBitmapGetNoRecord)
{
    CDsManager* manager = CDsManager::GetInstance();
    CBitmap probe;
    ASSERT_TRUE(probe.CreateBitmap(8, 1, 1, 1, nullptr));
    const int before = manager->AddBitmap(probe);
    ASSERT_GE(before, 0);

    EXPECT_EQ(manager->AddBitmap(static_cast<HBITMAP>(nullptr)), -1);
    CBitmap empty;
    EXPECT_EQ(manager->AddBitmap(empty), -1);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(manager->AddBitmap(reinterpret_cast<HBITMAP>(brush)), -1);
    DeleteObject(brush);
    HGDIOBJ palette = GetStockObject(DEFAULT_PALETTE);
    EXPECT_EQ(manager->AddBitmap(static_cast<HBITMAP>(palette)), -1);
    HBITMAP gone = CreateBitmap(4, 4, 1, 32, nullptr);
    DeleteObject(gone);
    EXPECT_EQ(manager->AddBitmap(gone), -1);

    // None of them took an index.
    EXPECT_EQ(manager->AddBitmap(probe), before + 1);
    EXPECT_EQ(manager->GetBitmap(before + 2), nullptr);
}

TEST(DsManagerResourcesTest, VertexBufferDescriptionsGetTheNextIndexUnlessTheyCannotBeBuilt)
{
    CDsManager* manager = CDsManager::GetInstance();
    static const float kTriangle[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    SDsVBOData data;
    EXPECT_EQ(data.verticesPerChunk, 0x60000);
    data.vertices = kTriangle;
    data.count = 3;
    const int first = manager->AddVBO(data);
    ASSERT_GE(first, 0);
    data.normals = kTriangle;
    EXPECT_EQ(manager->AddVBO(data), first + 1);
    EXPECT_EQ(manager->AddVBO(SDsVBOData()), first + 2);  // an empty description is kept

    SDsVBOData missing;
    missing.count = 3;  // no vertices
    EXPECT_EQ(manager->AddVBO(missing), -1);
    SDsVBOData negative = data;
    negative.count = -1;
    EXPECT_EQ(manager->AddVBO(negative), -1);
    SDsVBOData noChunk = data;
    noChunk.verticesPerChunk = 0;
    EXPECT_EQ(manager->AddVBO(noChunk), -1);
    EXPECT_EQ(manager->AddVBO(data), first + 3);
}
