// CDsPaletteControler: a vertex-colour palette active for a scope.
#include "DsPaletteControler.h"

#include "DsDriverGl.h"

CDsPaletteControler::CDsPaletteControler(CDsPalette* palette)
{
    CDsDriverGl::StSetActiveVertexColorPalette(palette);
}

CDsPaletteControler::~CDsPaletteControler()
{
    CDsDriverGl::StSetActiveVertexColorPalette(nullptr);
}
