// CDsAttributesPaletteControler: an attributes palette active for a scope.
#include "DsAttributesPaletteControler.h"

#include "DsManager.h"

CDsAttributesPaletteControler::CDsAttributesPaletteControler(CDsAttributesPalette* palette) : m_palette(palette)
{
    if (m_palette) CDsManager::GetInstance()->SetActiveAttributesPalette(m_palette);
}

CDsAttributesPaletteControler::~CDsAttributesPaletteControler()
{
    if (m_palette) CDsManager::GetInstance()->SetActiveAttributesPalette(nullptr);
}
