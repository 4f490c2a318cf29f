// Display attributes: the base, hide levels and colour palettes.
#include "DsAttribute.h"
#include "DsHideLevel.h"
#include "DsPalette.h"

#include <cstddef>

CDsAttribute::~CDsAttribute() = default;

void CDsAttribute::SetData(unsigned int, bool) {}

bool CDsAttribute::SetData(const CDsAttribute& other, bool)
{
    return !TypesDiffer(other);
}

unsigned int CDsAttribute::GetData() const
{
    return 0;
}

bool CDsAttribute::GetData(CDsAttribute& other) const
{
    return !TypesDiffer(other);
}

CDsHideLevel::~CDsHideLevel() = default;

void CDsHideLevel::SetData(unsigned int value, bool on)
{
    if (on)
        m_level = value;
    else
        m_level &= ~value;
}

bool CDsHideLevel::SetData(const CDsAttribute& other, bool on)
{
    if (TypesDiffer(other)) return false;
    SetData(other.GetData(), on);
    return true;
}

bool CDsHideLevel::GetData(CDsAttribute& other) const
{
    if (TypesDiffer(other)) return false;
    other.SetData(m_level, true);
    return true;
}

CDsPalette::CDsPalette(int count)
{
    SetCount(count);
}

void CDsPalette::SetCount(int count)
{
    m_colors.resize(count > 0 ? static_cast<std::size_t>(count) : std::size_t{0});
}

bool CDsPalette::GetColor(int index, CDsColorStorage& color) const
{
    if (index < 0 || index >= GetCount()) return false;
    color = m_colors[static_cast<std::size_t>(index)];
    return true;
}

bool CDsPalette::SetColor(int index, const CDsColorStorage& color)
{
    if (index < 0 || index >= GetCount()) return false;
    m_colors[static_cast<std::size_t>(index)] = color;
    return true;
}

int CDsPalette::AddColor(const CDsColorStorage& color)
{
    m_colors.push_back(color);
    return GetCount() - 1;
}
