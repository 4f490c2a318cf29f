#include "ZOVOvivavUrezezovovaza.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

// --- The walk -----------------------------------------------------------------------------------

ZOVOvivavUrezezovovaza::CTriangleIterator::CTriangleIterator(const ZOVOvivavUrezezovovaza* set, int index)
    : m_set(set), m_block(index >> kBlockShift), m_entry(index & kBlockMask)
{
}

const ZOVOvivavUrezezovovaza::STriangle& ZOVOvivavUrezezovovaza::CTriangleIterator::operator*() const
{
    return m_set->m_triangles[static_cast<size_t>(m_block)]->entries[m_entry];
}

ZOVOvivavUrezezovovaza::CTriangleIterator& ZOVOvivavUrezezovovaza::CTriangleIterator::operator++()
{
    if (++m_entry == kBlockSize) {
        m_entry = 0;
        ++m_block;
    }
    return *this;
}

bool ZOVOvivavUrezezovovaza::CTriangleIterator::operator==(const CTriangleIterator& other) const
{
    return m_set == other.m_set && m_block == other.m_block && m_entry == other.m_entry;
}

// --- The set ------------------------------------------------------------------------------------

ZOVOvivavUrezezovovaza::ZOVOvivavUrezezovovaza() = default;

ZOVOvivavUrezezovovaza::ZOVOvivavUrezezovovaza(const ZOVOvivavUrezezovovaza& other)
{
    *this = other;
}

ZOVOvivavUrezezovovaza& ZOVOvivavUrezezovovaza::operator=(const ZOVOvivavUrezezovovaza& other)
{
    if (this == &other) return *this;
    std::vector<std::unique_ptr<SVertexBlock>> vertices;
    std::vector<std::unique_ptr<STriangleBlock>> triangles;
    for (const auto& block : other.m_vertices) vertices.push_back(std::make_unique<SVertexBlock>(*block));
    for (const auto& block : other.m_triangles) triangles.push_back(std::make_unique<STriangleBlock>(*block));
    m_vertices.swap(vertices);
    m_triangles.swap(triangles);
    m_vertexCount = other.m_vertexCount;
    m_triangleCount = other.m_triangleCount;
    return *this;
}

ZOVOvivavUrezezovovaza::~ZOVOvivavUrezezovovaza() = default;

int ZOVOvivavUrezezovovaza::AddVertex(const VOREvu3v<float>& vertex)
{
    if (m_vertexCount == std::numeric_limits<int>::max()) return -1;
    const int index = m_vertexCount;
    const size_t block = static_cast<size_t>(index >> kBlockShift);
    try {
        if (block == m_vertices.size()) m_vertices.push_back(std::make_unique<SVertexBlock>());
    } catch (const std::bad_alloc&) {
        return -1;
    }
    m_vertices[block]->entries[index & kBlockMask] = vertex;
    ++m_vertexCount;
    return index;
}

int ZOVOvivavUrezezovovaza::AddTriangle(int a, int b, int c)
{
    for (int v : {a, b, c})
        if (v < 0 || v >= m_vertexCount) return -1;
    if (m_triangleCount == std::numeric_limits<int>::max()) return -1;
    const int index = m_triangleCount;
    const size_t block = static_cast<size_t>(index >> kBlockShift);
    try {
        if (block == m_triangles.size()) m_triangles.push_back(std::make_unique<STriangleBlock>());
    } catch (const std::bad_alloc&) {
        return -1;
    }
    STriangle& t = m_triangles[block]->entries[index & kBlockMask];
    t.v[0] = a;
    t.v[1] = b;
    t.v[2] = c;
    ++m_triangleCount;
    return index;
}

void ZOVOvivavUrezezovovaza::Clear()
{
    m_vertices.clear();
    m_triangles.clear();
    m_vertexCount = 0;
    m_triangleCount = 0;
}

const VOREvu3v<float>& ZOVOvivavUrezezovovaza::GetVertex(int index) const
{
    return m_vertices[static_cast<size_t>(index >> kBlockShift)]->entries[index & kBlockMask];
}

const ZOVOvivavUrezezovovaza::STriangle& ZOVOvivavUrezezovovaza::GetTriangle(int index) const
{
    return m_triangles[static_cast<size_t>(index >> kBlockShift)]->entries[index & kBlockMask];
}

VOREvu3v<float> ZOVOvivavUrezezovovaza::CalcNormal(const STriangle& triangle) const
{
    for (int v : triangle.v)
        if (v < 0 || v >= m_vertexCount) return VOREvu3v<float>();
    const VOREvu3v<float>& p0 = GetVertex(triangle.v[0]);
    const VOREvu3v<float> n = (GetVertex(triangle.v[1]) - p0).Cross(GetVertex(triangle.v[2]) - p0);
    return n.Normalized();
}

bool ZOVOvivavUrezezovovaza::CalcBoundingBox(VOREvu3v<float>& min, VOREvu3v<float>& max) const
{
    if (m_vertexCount == 0) return false;
    VOREvu3v<float> lo = GetVertex(0), hi = lo;
    for (int i = 1; i < m_vertexCount; ++i) {
        const VOREvu3v<float>& p = GetVertex(i);
        lo = VOREvu3v<float>(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
        hi = VOREvu3v<float>(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
    min = lo;
    max = hi;
    return true;
}
