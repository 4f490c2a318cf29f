// CDsLogicalPalette: the description GDI makes a logical palette from (LOGPALETTE), built from
// a list of colours, for every palette the core makes: the colour ramps an indexed pixel format
// needs and the colour cube of images on a palette device.
//
// Choices: the version is 0x300 and every entry's flags are 0; a list longer than a LOGPALETTE
// can count (65,535 entries) is cut there, and an empty list gives a description of no entries,
// which CreatePalette refuses.
#pragma once

#include <afxwin.h>

#include <cstdint>
#include <vector>

// A LOGPALETTE of colours 0x00BBGGRR (red in the lowest byte), owned.
class CDsLogicalPalette {
public:
    // The description of `colors`, entry i of colour i.
    explicit CDsLogicalPalette(const std::vector<uint32_t>& colors);
    // The description, valid for the life of this object.
    const LOGPALETTE* Get() const { return reinterpret_cast<const LOGPALETTE*>(m_storage.data()); }

private:
    // The header and the entries: LOGPALETTE declares one entry, the others follow it.
    std::vector<unsigned char> m_storage;
};
