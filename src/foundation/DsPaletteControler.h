// CDsPaletteControler: a scope guard that makes a colour palette the driver's active vertex-colour
// palette for its lifetime.
#pragma once

#include <afx.h>

class CDsPalette;

// Makes a vertex-colour palette active for a scope.
class AFX_EXT_CLASS CDsPaletteControler {
public:
    // Makes `palette` (may be null) CDsDriverGl's active vertex-colour palette.
    explicit CDsPaletteControler(CDsPalette* palette);
    CDsPaletteControler(const CDsPaletteControler&) = delete;
    CDsPaletteControler& operator=(const CDsPaletteControler&) = delete;
    // Leaves the driver without an active vertex-colour palette.
    ~CDsPaletteControler();
};
