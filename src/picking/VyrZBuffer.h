// CVyrZBuffer: a software depth buffer of width x height cells, each holding an integer depth (a
// smaller value is nearer, 0x7fffffff empty) and a payload pointer (null empty). Triangles are
// filled into it in one of two ways:
// - Of integer vertices (FillTriangle, TestTriangle), with integer arithmetic only: the two edges
//   from the top vertex step their column and depth per row by an integer quotient and carry the
//   remainders in error terms, the span between them steps its depth per column the same way, so
//   that no pixel costs a division. Every cell the triangle's outline passes through is taken.
// - Of vertices placed between cells (FillTriangleAtCentres, TestTriangleAtCentres; the
//   visible-only pass of region picks, CVisibleOnlyFunctor, and the buffer of PickClosest,
//   CDsItemsIdBuffer), as a window's rasteriser fills them: cell (i, j) covers
//   [i, i + 1) x [j, j + 1), and a triangle takes the cells whose centres
//   (i + 1/2, j + 1/2) it covers, with the depth of its plane there. A centre on an edge the
//   triangle shares with another goes to one of them only: the rows whose centres lie in
//   [lowest y, highest y) and in each row the columns whose centres lie in [left edge, right
//   edge). Coverage is decided in exact integer arithmetic (one division per edge and row).
// Rows and columns outside the buffer are never written, and a triangle clipped by the buffer's
// edges keeps exactly the pixels it would light in a larger buffer. Triangles can also be tested
// against the buffer without being written (the faces that hide nothing). Internal to the display
// core.
//
// Choices where the behaviour was open:
// - Every row of a triangle of integer vertices adds to its interior count (the span pixels inside
//   the buffer less each end pixel of the span that lies inside it; a row with fewer than 2 such
//   pixels adds nothing). A triangle filled at the centres takes no cell of its neighbour's
//   outline: every cell it covers is interior.
// - A triangle filled at the centres with no area (its three vertices on one line) covers nothing;
//   the depth of a cell is its plane's there rounded to the nearest integer.
// - A span runs from the smaller to the larger of its two edge columns, both included; a triangle
//   whose three vertices share one row is one span from its leftmost to its rightmost vertex.
// - A negative width or height makes an empty buffer (no cells).
// - Depths are 64-bit while they are interpolated and clamped to the int range when written, so
//   that far vertices cannot wrap around into near ones.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
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

// Parts of a cell in a coordinate of SVyrZSubVertex, as a power of two.
constexpr int kVyrZSubpixelBits = 8;

// A vertex of a triangle filled at the cells' centres: column and row in 1 / 2^kVyrZSubpixelBits
// parts of a cell (cell (i, j) covers [i, i + 1) x [j, j + 1)), and depth.
struct SVyrZSubVertex {
    int64_t x = 0;  // column x 2^kVyrZSubpixelBits
    int64_t y = 0;  // row x 2^kVyrZSubpixelBits
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
    // Fills the cells whose centres the triangle (a, b, c) covers (see the header comment) with
    // `payload` where its depth there is smaller than the stored one (equal keeps the old cell).
    // Span and interior pixels both count the covered cells inside the buffer.
    SVyrZFillCounts FillTriangleAtCentres(const SVyrZSubVertex& a, const SVyrZSubVertex& b, const SVyrZSubVertex& c,
                                          T payload)
    {
        return RasteriseAtCentres<true>(a, b, c, payload);
    }
    // Walks the triangle (a, b, c) as FillTriangleAtCentres does and counts its cells and those it
    // is nearer than (`nearer`), writing nothing.
    SVyrZFillCounts TestTriangleAtCentres(const SVyrZSubVertex& a, const SVyrZSubVertex& b, const SVyrZSubVertex& c)
    {
        return RasteriseAtCentres<false>(a, b, c, nullptr);
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
    // The least integer not below a / b, b > 0.
    static __int128 CeilDiv(__int128 a, __int128 b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

    // The cells whose centres the triangle (a, b, c) covers (see the header comment): written with
    // `payload` when `Write`, else only counted.
    template <bool Write>
    SVyrZFillCounts RasteriseAtCentres(SVyrZSubVertex a, SVyrZSubVertex b, SVyrZSubVertex c, T payload)
    {
        SVyrZFillCounts counts;
        if (m_width == 0 || m_height == 0) return counts;
        if (b.y < a.y) std::swap(a, b);
        if (c.y < a.y) std::swap(a, c);
        if (c.y < b.y) std::swap(b, c);
        // Twice the signed area; positive when b lies right of the long edge from a to c (y up).
        const __int128 area = static_cast<__int128>(b.x - a.x) * (c.y - a.y) - static_cast<__int128>(c.x - a.x) * (b.y - a.y);
        if (area == 0) return counts;
        constexpr int64_t kCell = int64_t(1) << kVyrZSubpixelBits, kHalf = kCell / 2;
        // The rows whose centres lie in [a.y, c.y).
        const int64_t firstRow = std::max<int64_t>(static_cast<int64_t>(CeilDiv(a.y - kHalf, kCell)), 0);
        const int64_t lastRow = std::min<int64_t>(static_cast<int64_t>(CeilDiv(c.y - kHalf, kCell)) - 1, m_height - 1);
        if (firstRow > lastRow) return counts;
        // The depth plane: depth = a.depth + gx (x - a.x) + gy (y - a.y), in sub-cell units.
        const double det = static_cast<double>(area);
        const double db = static_cast<double>(b.depth) - a.depth, dc = static_cast<double>(c.depth) - a.depth;
        const double gx = (db * static_cast<double>(c.y - a.y) - dc * static_cast<double>(b.y - a.y)) / det;
        const double gy = (dc * static_cast<double>(b.x - a.x) - db * static_cast<double>(c.x - a.x)) / det;
        const bool longEdgeLeft = area > 0;
        // The first column whose centre lies at or right of the edge from p to q (p.y <= y < q.y)
        // at height y.
        const auto firstColumnFrom = [&](const SVyrZSubVertex& p, const SVyrZSubVertex& q, int64_t y) {
            const __int128 den = q.y - p.y;
            const __int128 num = static_cast<__int128>(p.x) * den + static_cast<__int128>(y - p.y) * (q.x - p.x);
            return CeilDiv(num - kHalf * den, kCell * den);
        };
        for (int64_t row = firstRow; row <= lastRow; ++row) {
            const int64_t y = row * kCell + kHalf;
            const SVyrZSubVertex& from = y < b.y ? a : b;
            const SVyrZSubVertex& to = y < b.y ? b : c;
            const __int128 onLong = firstColumnFrom(a, c, y), onShort = firstColumnFrom(from, to, y);
            // Columns whose centres lie in [left, right).
            const __int128 first = std::max<__int128>(longEdgeLeft ? onLong : onShort, 0);
            const __int128 last = std::min<__int128>((longEdgeLeft ? onShort : onLong) - 1, m_width - 1);
            if (first > last) continue;
            const long inside = static_cast<long>(last - first + 1);
            counts.spanPixels += inside;
            counts.interiorPixels += inside;
            const int64_t column0 = static_cast<int64_t>(first);
            double depth = a.depth + gx * static_cast<double>(column0 * kCell + kHalf - a.x) + gy * static_cast<double>(y - a.y);
            const double step = gx * kCell;
            CVyrZBufferData<T>* cell = &m_cells[static_cast<size_t>(row) * static_cast<size_t>(m_width) + static_cast<size_t>(column0)];
            long nearer = 0;
            for (long k = 0; k < inside; ++k, ++cell, depth += step) {
                const double rounded = std::floor(depth + 0.5);
                const int value = rounded <= static_cast<double>(INT_MIN) ? INT_MIN
                                  : rounded >= static_cast<double>(INT_MAX - 1) ? INT_MAX - 1
                                                                                 : static_cast<int>(rounded);
                if (value < cell->depth) {
                    ++nearer;
                    if (Write) {
                        cell->depth = value;
                        cell->payload = payload;
                    }
                }
            }
            counts.nearer += nearer;
            if (Write) counts.written += nearer;
        }
        return counts;
    }

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
