// CDsAttributesPaletteControler: a scope guard that makes an attributes palette the display
// manager's active one for its lifetime.
#pragma once

#include <afx.h>

class CDsAttributesPalette;

// Makes an attributes palette active for a scope.
class AFX_EXT_CLASS CDsAttributesPaletteControler {
public:
    // Makes `palette` the display manager's active attributes palette when it is not null;
    // a null palette changes nothing.
    explicit CDsAttributesPaletteControler(CDsAttributesPalette* palette);
    // A guard with the same palette (it, too, clears the active palette at its end).
    CDsAttributesPaletteControler(const CDsAttributesPaletteControler& other) = default;
    // Takes the other's palette.
    CDsAttributesPaletteControler& operator=(const CDsAttributesPaletteControler& other) = default;
    // Leaves the display manager without an active attributes palette when this guard set one.
    ~CDsAttributesPaletteControler();

private:
    CDsAttributesPalette* m_palette;
};
