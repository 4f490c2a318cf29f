// CDsFlags: a word of 16 flag bits.
#pragma once

#include "VyrServicesApi.h"

// Sixteen flag bits, copyable as a value; every flag starts cleared.
class VYR_SERVICES_API CDsFlags {
public:
    // All flags cleared.
    constexpr CDsFlags() = default;
    // The flags of `value`.
    constexpr explicit CDsFlags(unsigned short value) : m_flags(value) {}

    // Sets the flags of `mask`.
    void Set(unsigned short mask) { m_flags = static_cast<unsigned short>(m_flags | mask); }
    // Clears the flags of `mask`.
    void Reset(unsigned short mask) { m_flags = static_cast<unsigned short>(m_flags & ~mask); }
    // True when any flag of `mask` is set (callers pass single-bit masks).
    bool Get(unsigned short mask) const { return (m_flags & mask) != 0; }
    // The whole word.
    unsigned short GetValue() const { return m_flags; }

private:
    unsigned short m_flags = 0;
};
