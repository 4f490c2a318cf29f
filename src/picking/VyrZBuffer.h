// CVyrZBuffer: a software depth buffer of width x height cells, each holding an integer depth (a
// smaller value is nearer, 0x7fffffff empty) and a payload pointer (null empty). Triangles of
// integer vertices are filled into it with integer arithmetic only: the two edges from the top
// vertex step their column and depth per row by an integer quotient and carry the remainders in
// error terms, the span between them steps its depth per column the same way, so that no pixel
// costs a division. Rows and columns outside the buffer are never written, and a triangle clipped
// by the buffer's edges keeps exactly the pixels it would light in a larger buffer. Used by the
// visible-only pass of region picks (CVisibleOnlyFunctor), which also tests triangles against it
// without writing them (TestTriangle: the faces that hide nothing). Internal to the display core.
//
// Choices where the behaviour was open:
// - Every row of a triangle adds to its interior count (the span pixels inside the buffer less
//   each end pixel of the span that lies inside it; a row with fewer than 2 such pixels adds
//   nothing).
// - A span runs from the smaller to the larger of its two edge columns, both included; a triangle
//   whose three vertices share one row is one span from its leftmost to its rightmost vertex.
// - A negative width or height makes an empty buffer (no cells).
// - Depths are 64-bit while they are interpolated and clamped to the int range when written, so
//   that far vertices cannot wrap around into near ones.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

// One cell of a CVyrZBuffer.
template <class T>
struct CVyrZBufferData {
    int depth = INT_MAX;   // the depth; INT_MAX when empty (smaller is nearer)
    T payload = nullptr;   // what owns the cell; null when empty
};

// A vertex of a triangle to fill: column, row and depth.
struct SVyrZVertex {
    int x = 0;      // column
    int y = 0;      // row
    int depth = 0;  // depth (smaller is nearer)
};

// What one triangle fill did.
struct SVyrZFillCounts {
    long spanPixels = 0;      // span pixels inside the buffer
    long interiorPixels = 0;  // span pixels inside the buffer less the span ends inside it
    long written = 0;         // cells written (the triangle was nearer); none by TestTriangle
    long nearer = 0;          // cells where the triangle was nearer than the stored depth
};

// A software depth buffer over payload pointers T.
template <class T>
class CVyrZBuffer {
public:
    // The depth of an empty cell.
    static constexpr int kEmptyDepth = INT_MAX;

    // A buffer of `width` x `height` empty cells (none for a negative size).
    CVyrZBuffer(int width, int height)
        : m_width(std::max(0, width)), m_height(std::max(0, height)),
          m_cells(static_cast<size_t>(m_width) * static_cast<size_t>(m_height))
    {
    }
    // Frees the cells.
    virtual ~CVyrZBuffer() = default;
    CVyrZBuffer(const CVyrZBuffer&) = delete;
    CVyrZBuffer& operator=(const CVyrZBuffer&) = delete;

    // Cells per row.
    int GetWidth() const { return m_width; }
    // Rows.
    int GetHeight() const { return m_height; }
    // The cell at (`column`, `row`); null outside the buffer.
    CVyrZBufferData<T>* GetCell(int column, int row)
    {
        if (column < 0 || row < 0 || column >= m_width || row >= m_height) return nullptr;
        return &m_cells[static_cast<size_t>(row) * static_cast<size_t>(m_width) + static_cast<size_t>(column)];
    }
    // Every cell, row after row.
    const std::vector<CVyrZBufferData<T>>& GetCells() const { return m_cells; }

    // The depth offset, margin and scale that turn a cell's integer depth into a model depth.
    void SetDepthParameters(double offset, int margin, double scale)
    {
        m_offset = offset;
        m_margin = margin;
        m_scale = scale;
    }
    // The depth of `cell` as a double: (depth + margin / 2) / scale + offset.
    double GetCellDepth(const CVyrZBufferData<T>& cell) const
    {
        return (static_cast<double>(cell.depth) + m_margin / 2) / m_scale + m_offset;
    }

    // Fills the triangle (a, b, c) with `payload`: a cell inside the buffer takes the triangle's
    // depth and payload when that depth is smaller than the stored one (equal keeps the old cell).
    SVyrZFillCounts FillTriangle(SVyrZVertex a, SVyrZVertex b, SVyrZVertex c, T payload)
    {
        return Rasterise<true>(a, b, c, payload);
    }
    // Walks the triangle (a, b, c) as FillTriangle does and counts its pixels and the cells it is
    // nearer than (`nearer`), writing nothing.
    SVyrZFillCounts TestTriangle(SVyrZVertex a, SVyrZVertex b, SVyrZVertex c)
    {
        return Rasterise<false>(a, b, c, nullptr);
    }

private:
    // The rows of the triangle (a, b, c): written with `payload` when `Write`, else only counted.
    template <bool Write>
    SVyrZFillCounts Rasterise(SVyrZVertex a, SVyrZVertex b, SVyrZVertex c, T payload)
    {
        SVyrZFillCounts counts;
        if (b.y < a.y) std::swap(a, b);
        if (c.y < a.y) std::swap(a, c);
        if (c.y < b.y) std::swap(b, c);
        if (a.y > m_height - 1 || c.y < 0 || m_width == 0) return counts;
        if (a.y == c.y) {
            // One row: the span from the leftmost to the rightmost vertex.
            const SVyrZVertex* left = &a;
            const SVyrZVertex* right = &a;
            for (const SVyrZVertex* v : {&b, &c}) {
                if (v->x < left->x) left = v;
                if (v->x > right->x) right = v;
            }
            FillSpan<Write>(a.y, left->x, left->depth, right->x, right->depth, payload, counts);
            return counts;
        }
        const int firstRow = std::max(a.y, 0);
        const int lastRow = std::min(c.y, m_height - 1);
        CEdge longEdge(a, c, firstRow);
        if (firstRow < b.y) {
            CEdge upper(a, b, firstRow);
            const int end = std::min(b.y - 1, lastRow);
            for (int row = firstRow; row <= end; ++row) {
                FillSpan<Write>(row, longEdge.x, longEdge.depth, upper.x, upper.depth, payload, counts);
                longEdge.Step();
                upper.Step();
            }
        }
        const int lowerStart = std::max(firstRow, b.y);
        if (lowerStart <= lastRow) {
            if (lowerStart != firstRow) longEdge = CEdge(a, c, lowerStart);
            CEdge lower(b, c, lowerStart);
            for (int row = lowerStart; row <= lastRow; ++row) {
                FillSpan<Write>(row, longEdge.x, longEdge.depth, lower.x, lower.depth, payload, counts);
                longEdge.Step();
                lower.Step();
            }
        }
        return counts;
    }

    // Floor division of a by b > 0.
    static int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

    // A value stepped from `from` to `to` over `steps` steps: integer quotient and an error term.
    struct CStepper {
        CStepper() = default;
        // The value `start` steps along (0 <= start).
        CStepper(int64_t from, int64_t to, int64_t steps, int64_t start)
        {
            m_steps = std::max<int64_t>(steps, 1);
            const int64_t delta = steps > 0 ? to - from : 0;
            m_quotient = FloorDiv(delta, m_steps);
            m_remainder = delta - m_quotient * m_steps;
            // The start position, once: value = from + floor(delta * start / steps).
            if (start == 0) {
                value = from;
                return;
            }
            const int64_t whole = start / m_steps, part = start % m_steps;
            if (m_remainder < (int64_t(1) << 31) && part < (int64_t(1) << 31)) {
                const int64_t partial = m_remainder * part;
                value = from + delta * whole + m_quotient * part + partial / m_steps;
                m_error = partial % m_steps;
                return;
            }
            // 128-bit products: far vertices give steps beyond 32 bits.
            const __int128 partial = static_cast<__int128>(m_remainder) * part;
            value = static_cast<int64_t>(from + static_cast<__int128>(delta) * whole + static_cast<__int128>(m_quotient) * part +
                                         partial / m_steps);
            m_error = static_cast<int64_t>(partial % m_steps);
        }
        // One step on.
        void Step()
        {
            value += m_quotient;
            m_error += m_remainder;
            if (m_error >= m_steps) {
                ++value;
                m_error -= m_steps;
            }
        }

        int64_t value = 0;
        int64_t m_steps = 1;
        int64_t m_quotient = 0;
        int64_t m_remainder = 0;
        int64_t m_error = 0;
    };

    // An edge from `from` to `to` (to.y > from.y, or a flat edge), its column and depth at `row`.
    struct CEdge {
        CEdge(const SVyrZVertex& from, const SVyrZVertex& to, int row)
        {
            const int64_t steps = static_cast<int64_t>(to.y) - from.y;
            const int64_t start = std::max<int64_t>(0, static_cast<int64_t>(row) - from.y);
            m_x = CStepper(from.x, to.x, steps, start);
            m_depth = CStepper(from.depth, to.depth, steps, start);
            x = m_x.value;
            depth = m_depth.value;
        }
        void Step()
        {
            m_x.Step();
            m_depth.Step();
            x = m_x.value;
            depth = m_depth.value;
        }
        int64_t x = 0;
        int64_t depth = 0;
        CStepper m_x;
        CStepper m_depth;
    };

    // Fills row `row` between columns x0 and x1 (either order) with depths d0 and d1 (counts only,
    // without `Write`).
    template <bool Write>
    void FillSpan(int row, int64_t x0, int64_t d0, int64_t x1, int64_t d1, T payload, SVyrZFillCounts& counts)
    {
        if (row < 0 || row >= m_height) return;
        if (x1 < x0) {
            std::swap(x0, x1);
            std::swap(d0, d1);
        }
        const int64_t first = std::max<int64_t>(x0, 0);
        const int64_t last = std::min<int64_t>(x1, m_width - 1);
        if (first > last) return;
        const int64_t inside = last - first + 1;
        counts.spanPixels += inside;
        int64_t interior = inside - (x0 >= 0 ? 1 : 0) - (x1 <= m_width - 1 ? 1 : 0);
        if (inside >= 2 && interior > 0) counts.interiorPixels += interior;
        CStepper depth(d0, d1, x1 - x0, first - x0);
        CVyrZBufferData<T>* cell = &m_cells[static_cast<size_t>(row) * static_cast<size_t>(m_width) + static_cast<size_t>(first)];
        long nearer = 0;
        // Every depth between two that fit fits: then no clamp per pixel.
        const bool fits = std::min(d0, d1) >= INT_MIN && std::max(d0, d1) <= INT_MAX - 1;
        for (int64_t column = first; column <= last; ++column, ++cell) {
            const int value = fits ? static_cast<int>(depth.value)
                                   : static_cast<int>(std::max<int64_t>(INT_MIN, std::min<int64_t>(INT_MAX - 1, depth.value)));
            if (value < cell->depth) {
                ++nearer;
                if (Write) {
                    cell->depth = value;
                    cell->payload = payload;
                }
            }
            depth.Step();
        }
        counts.nearer += nearer;
        if (Write) counts.written += nearer;
    }

    int m_width;
    int m_height;
    std::vector<CVyrZBufferData<T>> m_cells;
    double m_offset = 0.0;
    int m_margin = 0;
    double m_scale = 1.0;
};
