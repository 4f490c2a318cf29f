// Texture images in memory.
#include "DsTextureData.h"

void DsTextureBuffer::Resize(int columns, int rows)
{
    if (columns < 1 || rows < 1) return;
    m_texels.assign(static_cast<size_t>(columns) * static_cast<size_t>(rows), SColor4ub());
    m_columns = columns;
    m_rows = rows;
}

void DsTextureBuffer::Free()
{
    std::vector<SColor4ub>().swap(m_texels);
    m_rows = 0;
    m_columns = 0;
}

SColor4ub* DsTextureBuffer::Row(int row)
{
    if (row < 0 || row >= m_rows) return nullptr;
    return m_texels.data() + static_cast<size_t>(row) * static_cast<size_t>(m_columns);
}

const SColor4ub* DsTextureBuffer::Row(int row) const
{
    return const_cast<DsTextureBuffer*>(this)->Row(row);
}
