// CDsAttributesPalette: an indexed table of line attributes.
#include "DsAttributesPalette.h"

#include "DsLineAttribStorage.h"

namespace {
// The last revision given to a palette in this process.
uint64_t sLastRevision = 0;
}  // namespace

void CDsAttributesPalette::Revise()
{
    m_revision = ++sLastRevision;
}

CDsAttributesPalette::CDsAttributesPalette(int count)
{
    Revise();
    if (count < 1) return;
    m_entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) m_entries.push_back(new CDsLineAttribStorage());
    SetDefaults();
}

CDsAttributesPalette::CDsAttributesPalette(const CDsAttributesPalette& other) : CDsAttribute(other)
{
    Revise();
    CopyObject(other);
}

CDsAttributesPalette& CDsAttributesPalette::operator=(const CDsAttributesPalette& other)
{
    if (this == &other) return *this;
    FreeEntries();
    CopyObject(other);
    Revise();
    m_useCount = other.m_useCount;
    return *this;
}

CDsAttributesPalette::~CDsAttributesPalette()
{
    FreeEntries();
}

void CDsAttributesPalette::CopyObject(const CDsAttributesPalette& other)
{
    m_entries.reserve(other.m_entries.size());
    for (const CDsLineAttribStorage* entry : other.m_entries) m_entries.push_back(new CDsLineAttribStorage(*entry));
}

void CDsAttributesPalette::FreeEntries()
{
    for (CDsLineAttribStorage* entry : m_entries) delete entry;
    m_entries.clear();
}

void CDsAttributesPalette::SetData(unsigned int, bool) {}

bool CDsAttributesPalette::SetData(const CDsAttribute& other, bool)
{
    return !TypesDiffer(other);
}

unsigned int CDsAttributesPalette::GetData() const
{
    return 0;
}

bool CDsAttributesPalette::GetData(CDsAttribute& other) const
{
    return !TypesDiffer(other);
}

void CDsAttributesPalette::SetDefaults()
{
    Revise();
    for (size_t i = 0; i < m_entries.size(); ++i) {
        CDsLineAttribStorage& entry = *m_entries[i];
        const int k = static_cast<int>(i % 3);
        entry.SetColor(CDsColorStorage(static_cast<uint8_t>(k * 127), static_cast<uint8_t>(((i + 1) % 3) * 127),
                                       static_cast<uint8_t>(((i + 2) % 3) * 127)));
        entry.SetWidth(2 * k);  // refused for k = 0: the default width stays
        entry.SetStyle(k);
    }
}

bool CDsAttributesPalette::IsOutOfRange(int index) const
{
    return index < 0 || index >= GetCount();
}

bool CDsAttributesPalette::SetAttributes(int index, const CDsLineAttribStorage& attributes)
{
    if (IsOutOfRange(index)) return false;
    *m_entries[static_cast<size_t>(index)] = attributes;
    Revise();
    return true;
}

bool CDsAttributesPalette::GetAttributes(int index, CDsLineAttribStorage& attributes) const
{
    if (IsOutOfRange(index)) return false;
    attributes = *m_entries[static_cast<size_t>(index)];
    return true;
}

CDsLineAttribStorage* CDsAttributesPalette::Entry(int index) const
{
    if (m_entries.empty()) return nullptr;
    return m_entries[static_cast<unsigned>(index) % m_entries.size()];
}

void CDsAttributesPalette::SetAttributesToView(view3d& view, int index)
{
    if (CDsLineAttribStorage* entry = Entry(index)) entry->SetAttributesToView(&view);
}

bool CDsAttributesPalette::IsHidden(int index) const
{
    const CDsLineAttribStorage* entry = Entry(index);
    return entry && entry->IsHidden();
}

void CDsAttributesPalette::IncrementUse()
{
    ++m_useCount;
}

void CDsAttributesPalette::Loose()
{
    if (m_useCount <= 0) return;
    if (--m_useCount == 0) delete this;
}
