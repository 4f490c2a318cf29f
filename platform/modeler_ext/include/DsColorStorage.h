// CDsColorStorage: a colour in four bytes, red in the lowest byte (0x00BBGGRR as a number, the
// Windows colour layout), so it converts to and from Windows colours without reordering.
#pragma once

#include "VyrModelerExtApi.h"

#include <cstdint>

// A colour: red, green, blue and a fourth byte that is carried along unchanged (0 by default).
class VYR_MODELER_EXT_API CDsColorStorage {
public:
    // Black (all four bytes 0).
    constexpr CDsColorStorage() = default;
    // The colour (red, green, blue); fourth byte 0.
    constexpr CDsColorStorage(uint8_t red, uint8_t green, uint8_t blue)
        : m_value(uint32_t(red) | (uint32_t(green) << 8) | (uint32_t(blue) << 16)) {}
    // The colour of a 0x00BBGGRR number (all four bytes taken).
    constexpr explicit CDsColorStorage(uint32_t value) : m_value(value) {}

    // Red (byte 0).
    constexpr uint8_t GetRed() const { return uint8_t(m_value & 0xFF); }
    // Green (byte 1).
    constexpr uint8_t GetGreen() const { return uint8_t((m_value >> 8) & 0xFF); }
    // Blue (byte 2).
    constexpr uint8_t GetBlue() const { return uint8_t((m_value >> 16) & 0xFF); }
    // Sets red, green and blue; the fourth byte stays.
    void SetRGB(uint8_t red, uint8_t green, uint8_t blue)
    {
        m_value = (m_value & 0xFF000000u) | CDsColorStorage(red, green, blue).m_value;
    }
    // The four bytes as a number, red lowest.
    constexpr uint32_t GetValue() const { return m_value; }
    // Sets all four bytes from a number, red lowest.
    void SetValue(uint32_t value) { m_value = value; }
    // The colour as a Windows colour (0x00BBGGRR: the fourth byte cleared).
    constexpr uint32_t GetColorRef() const { return m_value & 0x00FFFFFFu; }

    // True when all four bytes agree.
    constexpr bool operator==(const CDsColorStorage& other) const { return m_value == other.m_value; }
    // True when any byte differs.
    constexpr bool operator!=(const CDsColorStorage& other) const { return m_value != other.m_value; }

private:
    uint32_t m_value = 0;
};

static_assert(sizeof(CDsColorStorage) == 4, "a colour is stored in four bytes");
