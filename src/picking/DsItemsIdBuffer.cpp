#include "DsItemsIdBuffer.h"

#include "DsView3dCdc.h"

#include <set>

CDsItemsIdBuffer::CDsItemsIdBuffer(CDsView3dCdc* view, int x1, int y1, int x2, int y2)
{
    if (!m_projection.SetUp(view, x1, y1, x2, y2)) return;
    m_buffer = std::make_unique<CVyrZBuffer<SEntry*>>(m_projection.GetWidth(), m_projection.GetHeight());
}

CDsItemsIdBuffer::~CDsItemsIdBuffer() = default;

void CDsItemsIdBuffer::PushOwner(const SPAtransf* transform)
{
    if (!transform) return;
    // Points pass the innermost transformation first: the new one, then those below it.
    m_owners.push_back(m_owners.empty() ? *transform : *transform * m_owners.back());
}

void CDsItemsIdBuffer::PopOwner()
{
    if (!m_owners.empty()) m_owners.pop_back();
}

void CDsItemsIdBuffer::AddTriangle(const SPAposition& a, const SPAposition& b, const SPAposition& c)
{
    if (!m_buffer || !m_item) return;
    if (!m_last || m_last->item != m_item || m_last->copy != m_copy) {
        SEntry*& entry = m_entryOf[std::make_pair(m_item, m_copy)];
        if (!entry) {
            m_entries.push_back(std::make_unique<SEntry>());
            entry = m_entries.back().get();
            entry->item = m_item;
            entry->copy = m_copy;
        }
        m_last = entry;
    }
    const bool placed = !m_owners.empty() && !m_owners.back().identity();
    SDsEyePoint eye[3];
    const SPAposition* corners[3] = {&a, &b, &c};
    for (int i = 0; i < 3; ++i) eye[i] = m_projection.ToEye(placed ? *corners[i] * m_owners.back() : *corners[i]);
    // As the frame draws it: through the view's own projection, cut by its near and far planes, and
    // filling the pixels whose centres it covers (what the cut leaves, a fan from its first corner).
    if (m_projection.MapPolygon(eye, 3, nullptr, 0, m_cells) >= 3)
        for (size_t v = 1; v + 1 < m_cells.size(); ++v)
            m_buffer->FillTriangleAtCentres(m_cells[0], m_cells[v], m_cells[v + 1], m_last);
    ++m_triangles;
}

const CDsItemsIdBuffer::SEntry* CDsItemsIdBuffer::GetEntryAt(int x, int y) const
{
    int column = 0, row = 0;
    if (!m_buffer || !m_projection.CellOf(x, y, column, row)) return nullptr;
    const CVyrZBufferData<SEntry*>& cell =
        m_buffer->GetCells()[static_cast<size_t>(row) * static_cast<size_t>(m_buffer->GetWidth()) +
                             static_cast<size_t>(column)];
    return cell.payload;
}

CDsItemBase* CDsItemsIdBuffer::GetItemAt(int x, int y) const
{
    const SEntry* entry = GetEntryAt(x, y);
    return entry ? entry->item : nullptr;
}

void CDsItemsIdBuffer::CollectSeenItems(std::vector<SEntry>& entries) const
{
    if (!m_buffer) return;
    std::set<const SEntry*> seen;
    for (const CVyrZBufferData<SEntry*>& cell : m_buffer->GetCells())
        if (cell.payload) seen.insert(cell.payload);
    for (const std::unique_ptr<SEntry>& entry : m_entries)
        if (seen.count(entry.get())) entries.push_back(*entry);
}
