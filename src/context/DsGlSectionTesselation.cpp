// CDsGlSectionTesselation: cut lines closed into loops and filled through the GLU tessellator.
#include "DsGlSectionTesselation.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <set>
#include <unordered_map>

CDsGlSectionTesselation* CDsGlSectionTesselation::sGlTesseletedSection = nullptr;

bool DsSamePoint(const SPAposition& a, const SPAposition& b)
{
    return same_point(a, b, SPAresabs);
}

namespace {

bool Finite(const SPAposition& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

// The loops of a segment list built through a grid of their end points. It gives what the rules
// give step by step (UpdateLoopList for every segment, then CloseLoops while it joins two loops):
// each loop carries a key that orders the list (a new loop at the front takes a key below all
// others), a segment goes to the loop of the smallest key among those an end of it meets, and
// the joins are made in the order of the earlier loop's key and then the later one's, keeping the
// set of loops that have a later loop to join up to date as loops change.
class CLoopBuilder {
public:
    // The loops of `segments`, in list order, into `loops`.
    void Build(const std::vector<TDsSectionSegment>& segments, TDsSectionLoops& loops)
    {
        m_loops.reserve(segments.size());
        for (const TDsSectionSegment& segment : segments) Add(segment.first, segment.second);
        Join();
        std::vector<int> order;
        for (int i = 0; i < static_cast<int>(m_loops.size()); ++i)
            if (m_loops[static_cast<size_t>(i)].alive) order.push_back(i);
        std::sort(order.begin(), order.end(),
                  [this](int a, int b) { return m_loops[static_cast<size_t>(a)].key < m_loops[static_cast<size_t>(b)].key; });
        loops.clear();
        for (int i : order) loops.push_back(std::move(m_loops[static_cast<size_t>(i)].points));
    }

private:
    enum EEnd : unsigned char { eFirst = 0, eLast = 1 };
    struct SLoop {
        TDsSectionLoop points;
        long long key;
        bool alive;
    };
    struct SEntry {
        int loop;
        EEnd end;
    };
    struct SCell {
        long long x, y, z;
        bool operator==(const SCell& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    struct SCellHash {
        size_t operator()(const SCell& c) const
        {
            uint64_t h = static_cast<uint64_t>(c.x) * 0x9E3779B97F4A7C15ull;
            h ^= static_cast<uint64_t>(c.y) + 0x7F4A7C159E3779B9ull + (h << 6) + (h >> 2);
            h ^= static_cast<uint64_t>(c.z) + 0x94D049BB133111EBull + (h << 6) + (h >> 2);
            return static_cast<size_t>(h);
        }
    };
    // Grid cells are wider than the tolerance, so a point's equals lie in its cell or a neighbour.
    static constexpr double kCell = 1e-5;

    static long long CellOf(double v)
    {
        const double c = std::floor(v / kCell);
        const double limit = 4e18;
        return static_cast<long long>(std::max(-limit, std::min(limit, c)));
    }
    static SCell CellOf(const SPAposition& p) { return SCell{CellOf(p.x()), CellOf(p.y()), CellOf(p.z())}; }

    const SPAposition& EndOf(int loop, EEnd end) const
    {
        const TDsSectionLoop& points = m_loops[static_cast<size_t>(loop)].points;
        return end == eFirst ? points.front() : points.back();
    }
    void Insert(int loop, EEnd end) { m_grid[CellOf(EndOf(loop, end))].push_back(SEntry{loop, end}); }
    void Erase(int loop, EEnd end)
    {
        auto found = m_grid.find(CellOf(EndOf(loop, end)));
        if (found == m_grid.end()) return;
        std::vector<SEntry>& entries = found->second;
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].loop == loop && entries[i].end == end) {
                entries[i] = entries.back();
                entries.pop_back();
                break;
            }
        if (entries.empty()) m_grid.erase(found);
    }
    // Every end point within the tolerance of `p`.
    template <class F>
    void ForEachNear(const SPAposition& p, F&& visit) const
    {
        const SCell c = CellOf(p);
        for (long long dx = -1; dx <= 1; ++dx)
            for (long long dy = -1; dy <= 1; ++dy)
                for (long long dz = -1; dz <= 1; ++dz) {
                    auto found = m_grid.find(SCell{c.x + dx, c.y + dy, c.z + dz});
                    if (found == m_grid.end()) continue;
                    for (const SEntry& entry : found->second)
                        if (DsSamePoint(EndOf(entry.loop, entry.end), p)) visit(entry);
                }
    }

    // UpdateLoopList through the grid.
    void Add(const SPAposition& a, const SPAposition& b)
    {
        int best = -1;
        auto consider = [&](const SEntry& entry) {
            if (best < 0 || m_loops[static_cast<size_t>(entry.loop)].key < m_loops[static_cast<size_t>(best)].key)
                best = entry.loop;
        };
        ForEachNear(a, consider);
        ForEachNear(b, consider);
        if (best < 0) {
            m_loops.push_back(SLoop{TDsSectionLoop{a, b}, --m_frontKey, true});
            const int loop = static_cast<int>(m_loops.size()) - 1;
            Insert(loop, eFirst);
            Insert(loop, eLast);
            return;
        }
        TDsSectionLoop& points = m_loops[static_cast<size_t>(best)].points;
        if (DsSamePoint(points.front(), a)) {
            Erase(best, eFirst);
            points.push_front(b);
            Insert(best, eFirst);
        } else if (DsSamePoint(points.back(), a)) {
            Erase(best, eLast);
            points.push_back(b);
            Insert(best, eLast);
        } else if (DsSamePoint(points.front(), b)) {
            Erase(best, eFirst);
            points.push_front(a);
            Insert(best, eFirst);
        } else {
            Erase(best, eLast);
            points.push_back(a);
            Insert(best, eLast);
        }
    }

    // The later loop that `loop`'s last point joins first: the smallest key above its own among
    // the loops whose first or last point meets it; -1 when none.
    int PartnerOf(int loop) const
    {
        const long long key = m_loops[static_cast<size_t>(loop)].key;
        int best = -1;
        ForEachNear(EndOf(loop, eLast), [&](const SEntry& entry) {
            if (entry.loop == loop) return;
            const long long other = m_loops[static_cast<size_t>(entry.loop)].key;
            if (other > key && (best < 0 || other < m_loops[static_cast<size_t>(best)].key)) best = entry.loop;
        });
        return best;
    }
    void Refresh(int loop)
    {
        const SLoop& l = m_loops[static_cast<size_t>(loop)];
        m_ready.erase(std::make_pair(l.key, loop));
        if (l.alive && PartnerOf(loop) >= 0) m_ready.insert(std::make_pair(l.key, loop));
    }

    // CloseLoops until no pair joins.
    void Join()
    {
        for (int i = 0; i < static_cast<int>(m_loops.size()); ++i) Refresh(i);
        while (!m_ready.empty()) {
            const int first = m_ready.begin()->second;
            const int second = PartnerOf(first);
            if (second < 0) {
                m_ready.erase(m_ready.begin());
                continue;
            }
            SLoop& l = m_loops[static_cast<size_t>(first)];
            SLoop& m = m_loops[static_cast<size_t>(second)];
            const SPAposition joined = l.points.back();
            const SPAposition mFirst = m.points.front(), mLast = m.points.back();
            const bool reverse = !DsSamePoint(mFirst, joined);
            Erase(first, eLast);
            Erase(second, eFirst);
            Erase(second, eLast);
            m_ready.erase(std::make_pair(m.key, second));
            l.points.pop_back();
            if (reverse) m.points.reverse();
            l.points.splice(l.points.end(), m.points);
            m.alive = false;
            Insert(first, eLast);
            // The loops whose state may have changed: this one, and those whose last point met the
            // joined point or an end of the loop that went.
            std::vector<int> touched{first};
            for (const SPAposition* p : {&joined, &mFirst, &mLast})
                ForEachNear(*p, [&](const SEntry& entry) {
                    if (entry.end == eLast) touched.push_back(entry.loop);
                });
            for (int loop : touched) Refresh(loop);
        }
    }

    std::vector<SLoop> m_loops;
    std::unordered_map<SCell, std::vector<SEntry>, SCellHash> m_grid;
    std::set<std::pair<long long, int>> m_ready;
    long long m_frontKey = 0;
};

// The tessellator's callbacks: they reach the instance that is tessellating now.
void GLAPIENTRY OnBegin(GLenum type, void*)
{
    if (CDsGlSectionTesselation* current = CDsGlSectionTesselation::StGetTesselatedSection())
        current->StartNewPolygon(type);
}

void GLAPIENTRY OnVertex(void* vertex, void*)
{
    if (CDsGlSectionTesselation* current = CDsGlSectionTesselation::StGetTesselatedSection())
        current->AddVertex(static_cast<const double*>(vertex));
}

void GLAPIENTRY OnEnd(void*)
{
    if (CDsGlSectionTesselation* current = CDsGlSectionTesselation::StGetTesselatedSection()) current->EndPolygon();
}

void GLAPIENTRY OnError(GLenum error)
{
    // The text is looked up and dropped: the set simply gets what the tessellator made.
    (void)gluErrorString(error);
}

// Makes an instance the current one for its lifetime, and none afterwards.
class CCurrentScope {
public:
    explicit CCurrentScope(CDsGlSectionTesselation* current) { CDsGlSectionTesselation::sGlTesseletedSection = current; }
    ~CCurrentScope() { CDsGlSectionTesselation::sGlTesseletedSection = nullptr; }
    CCurrentScope(const CCurrentScope&) = delete;
    CCurrentScope& operator=(const CCurrentScope&) = delete;
};

// A GLU tessellator deleted on every way out.
class CTessellator {
public:
    CTessellator() : m_tess(gluNewTess()) {}
    ~CTessellator()
    {
        if (m_tess) gluDeleteTess(m_tess);
    }
    CTessellator(const CTessellator&) = delete;
    CTessellator& operator=(const CTessellator&) = delete;
    GLUtesselator* Get() const { return m_tess; }

private:
    GLUtesselator* m_tess;
};

}  // namespace

CDsGlSectionTesselation::CDsGlSectionTesselation(const TDsSectionSegmentSets& segmentSets, TDsSectionSurfaces& result,
                                                 const SPAunit_vector& normal)
    : m_normal{normal.x(), normal.y(), normal.z()}, m_sets(segmentSets), m_result(&result)
{
}

CDsGlSectionTesselation::CDsGlSectionTesselation(const CDsGlSectionTesselation& other)
    : m_normal{other.m_normal[0], other.m_normal[1], other.m_normal[2]}, m_type(other.m_type),
      m_created(other.m_created), m_sets(other.m_sets), m_result(other.m_result), m_primitives(other.m_primitives),
      m_vertices(other.m_vertices), m_loopsList(other.m_loopsList)
{
}

CDsGlSectionTesselation::~CDsGlSectionTesselation()
{
    ClearData();
}

bool CDsGlSectionTesselation::CreateSurface()
{
    m_created = true;
    for (const auto& set : m_sets) {
        if (!set.first) {
            m_result->emplace_back();
            continue;
        }
        std::vector<TDsSectionSegment> segments;
        segments.reserve(set.second.size());
        for (const TDsSectionSegment& segment : set.second)
            if (Finite(segment.first) && Finite(segment.second)) segments.push_back(segment);
        TDsSectionLoops loops;
        CollectSegmentsIntoLoops(segments, loops);
        DeleteDuplicatedPoints(loops);
        m_loopsList.push_back(loops);
        TesselateLoop(loops);
        m_result->push_back(std::move(m_primitives));
        m_primitives.clear();
        m_vertices.clear();
    }
    return !m_result->empty();
}

void CDsGlSectionTesselation::StartNewPolygon(unsigned int type)
{
    m_type = type;
}

void CDsGlSectionTesselation::AddVertex(const double* xyz)
{
    if (xyz) m_vertices.emplace_back(xyz[0], xyz[1], xyz[2]);
}

void CDsGlSectionTesselation::EndPolygon()
{
    m_primitives.emplace_back(std::move(m_vertices), m_type);
    m_vertices.clear();
}

// --- Loops ------------------------------------------------------------------------------------------

void CDsGlSectionTesselation::CollectSegmentsIntoLoops(const std::vector<TDsSectionSegment>& segments,
                                                       TDsSectionLoops& loops)
{
    CLoopBuilder builder;
    builder.Build(segments, loops);
    TraceLoopsList(loops);
}

void CDsGlSectionTesselation::UpdateLoopList(const TDsSectionSegment& segment, TDsSectionLoops& loops)
{
    const SPAposition& a = segment.first;
    const SPAposition& b = segment.second;
    for (TDsSectionLoop& loop : loops) {
        if (DsSamePoint(loop.front(), a)) {
            AddPositionToLoop(loop, b, true);
            return;
        }
        if (DsSamePoint(loop.back(), a)) {
            AddPositionToLoop(loop, b, false);
            return;
        }
        if (DsSamePoint(loop.front(), b)) {
            AddPositionToLoop(loop, a, true);
            return;
        }
        if (DsSamePoint(loop.back(), b)) {
            AddPositionToLoop(loop, a, false);
            return;
        }
    }
    loops.push_front(TDsSectionLoop{a, b});
}

bool CDsGlSectionTesselation::CloseLoops(TDsSectionLoops& loops)
{
    for (auto first = loops.begin(); first != loops.end(); ++first) {
        for (auto second = std::next(first); second != loops.end(); ++second) {
            if (DsSamePoint(second->front(), first->back())) {
                MergeLoops(loops, first, second);
                return true;
            }
            if (DsSamePoint(second->back(), first->back())) {
                second->reverse();
                MergeLoops(loops, first, second);
                return true;
            }
        }
    }
    return false;
}

void CDsGlSectionTesselation::MergeLoops(TDsSectionLoops& loops, TDsSectionLoops::iterator first,
                                         TDsSectionLoops::iterator second)
{
    if (!first->empty()) first->pop_back();
    first->splice(first->end(), *second);
    loops.erase(second);
}

void CDsGlSectionTesselation::AddPositionToLoop(TDsSectionLoop& loop, const SPAposition& position, bool front)
{
    if (front)
        loop.push_front(position);
    else
        loop.push_back(position);
}

void CDsGlSectionTesselation::DeleteDuplicatedPoints(TDsSectionLoop& loop)
{
    if (loop.size() >= 2 && DsSamePoint(loop.front(), loop.back())) loop.pop_back();
}

void CDsGlSectionTesselation::DeleteDuplicatedPoints(TDsSectionLoops& loops)
{
    for (TDsSectionLoop& loop : loops) DeleteDuplicatedPoints(loop);
}

bool CDsGlSectionTesselation::CheckIfOutOfToleranceRange(double a, double b)
{
    return !(b > a - 1e-6 && b < a + 1e-6);
}

// --- Tessellation -----------------------------------------------------------------------------------

void CDsGlSectionTesselation::TesselateLoop(const TDsSectionLoops& loops)
{
    const CCurrentScope current(this);
    const CTessellator tessellator;
    GLUtesselator* tess = tessellator.Get();
    if (!tess) return;
    size_t total = 0;
    for (const TDsSectionLoop& loop : loops) total += loop.size();
    // One array of three doubles per point, as coordinates and vertex data; it never grows while
    // the tessellator holds pointers into it.
    std::vector<std::array<GLdouble, 3>> coordinates;
    coordinates.reserve(total);
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<void(GLAPIENTRY*)()>(&OnBegin));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<void(GLAPIENTRY*)()>(&OnVertex));
    gluTessCallback(tess, GLU_TESS_END_DATA, reinterpret_cast<void(GLAPIENTRY*)()>(&OnEnd));
    gluTessCallback(tess, GLU_TESS_ERROR, reinterpret_cast<void(GLAPIENTRY*)()>(&OnError));
    gluTessNormal(tess, m_normal[0], m_normal[1], m_normal[2]);
    gluTessBeginPolygon(tess, nullptr);
    for (const TDsSectionLoop& loop : loops) {
        gluTessBeginContour(tess);
        for (const SPAposition& point : loop) {
            coordinates.push_back({point.x(), point.y(), point.z()});
            gluTessVertex(tess, coordinates.back().data(), coordinates.back().data());
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
}
