// CDsAttributesIndex: the compact attributes of an item that takes its line attributes from an
// indexed attributes palette: an index into the palette and four flag bits.
#pragma once

#include <afx.h>

#include <cstdint>

// The four flags of an attributes index (bits 0 to 3 of its flag word).
enum EDsAttributesIndexFlag : int {
    eDsAttributesIndexFlag1 = 1,  // bit 0
    eDsAttributesIndexFlag2 = 2,  // bit 1
    eDsAttributesIndexFlag4 = 4,  // bit 2
    eDsAttributesIndexFlag8 = 8   // bit 3
};

// An index into an attributes palette with four flags.
class AFX_EXT_CLASS CDsAttributesIndex {
public:
    // Index 0, flags clear.
    CDsAttributesIndex() = default;
    // Index `index`, flags clear.
    explicit CDsAttributesIndex(unsigned char index) : m_index(index) {}
    // Index and flags.
    CDsAttributesIndex(const CDsAttributesIndex&) = default;
    // Index and flags.
    CDsAttributesIndex& operator=(const CDsAttributesIndex&) = default;

    // The index.
    unsigned char GetIndex() const { return m_index; }
    // Sets the index; the flags stay.
    void SetIndex(unsigned char index) { m_index = index; }
    // Takes the other's index only; the flags stay.
    void SetIndex(const CDsAttributesIndex& other) { m_index = other.m_index; }
    // Writes the flag `flag` (1, 2, 4 or 8); any other value is ignored.
    void SetFlag(EDsAttributesIndexFlag flag, bool on);
    // The flag `flag` (1, 2, 4 or 8); false for any other value.
    bool GetFlag(EDsAttributesIndexFlag flag) const;

private:
    static bool IsFlag(int flag) { return flag == 1 || flag == 2 || flag == 4 || flag == 8; }

    uint8_t m_index = 0;
    uint32_t m_flags = 0;
};
