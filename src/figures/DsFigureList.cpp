#include "DsFigureList.h"

#include <algorithm>

CDsFigureList::~CDsFigureList() = default;

bool CDsFigureList::remove(const CDsFigure* figure)
{
    const auto found = std::find(m_figures.begin(), m_figures.end(), figure);
    if (found == m_figures.end()) return false;
    m_figures.erase(found);
    return true;
}
