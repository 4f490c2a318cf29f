// GDI drawing into windows and pbuffers kept on the CPU side: the canvas of pending pixel changes,
// written into the front buffer with OpenGL's logic operations, and the canvases of held window
// DCs with the points where they are written.
#include "GdiCanvasInternal.h"

#include <unordered_map>

namespace vyrwin {
namespace gdi {
namespace {

// What a canvas pixel's change becomes when a raster operation with a fixed pen colour follows it.
struct PenOp {
    uint32_t keep = kWhite;
    uint32_t flip = 0;
};

// A binary raster operation (R2_*) with the pen colour `pen` as a change D -> (D & keep) ^ flip.
// Bit (2p + d) of rop - 1 is the result for pen bit p and pixel bit d: where the pen bit is p the
// result is that table's value at d = 0, flipped by d when the two values differ.
PenOp PenOpOf(uint32_t pen, int rop) {
    const int code = rop - 1;
    auto bit = [code](int p, int d) { return (code >> (2 * p + d)) & 1; };
    const uint32_t onPen = pen & kWhite, offPen = ~pen & kWhite;
    PenOp op;
    op.keep = ((bit(1, 0) ^ bit(1, 1)) ? onPen : 0) | ((bit(0, 0) ^ bit(0, 1)) ? offPen : 0);
    op.flip = (bit(1, 0) ? onPen : 0) | (bit(0, 0) ? offPen : 0);
    return op;
}

// What is kept for a window DC while it is held.
struct HeldPixels {
    std::unique_ptr<Canvas> canvas;  // GDI drawing not yet in the front buffer
    bool frontWritten = false;       // GDI wrote through the current context, left unflushed
};

std::unordered_map<HDC, HeldPixels>& Held() {
    static std::unordered_map<HDC, HeldPixels> held;
    return held;
}

}  // namespace

DeviceBox DeviceBox::Intersect(const DeviceBox& other) const {
    return DeviceBox{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                     std::min(bottom, other.bottom)};
}

Canvas::Canvas(HDC dc, const DeviceBox& box) : m_dc(dc), m_changes(box, PixelChange{}) {}

void Canvas::Paint(int64_t x, int64_t y, uint32_t pen, int rop) {
    PixelChange& change = m_changes.Ref(x, y);
    if (rop == R2_COPYPEN) {
        change.keep = 0;
        change.flip = pen & kWhite;
        return;
    }
    const PenOp op = PenOpOf(pen, rop);
    change.keep &= op.keep;
    change.flip = (change.flip & op.keep) ^ op.flip;
}

bool Canvas::Known(int64_t x, int64_t y, uint32_t& pixel) const {
    const PixelChange change = m_changes.Get(x, y);
    if (change.keep != 0) return false;
    pixel = change.flip;
    return true;
}

bool Canvas::Materialise(const DeviceBox& area) {
    const DeviceBox box = area.Intersect(Box());
    if (box.Empty()) return true;
    bool known = true;
    for (int64_t y = box.top; known && y < box.bottom; ++y)
        for (int64_t x = box.left; known && x < box.right; ++x) known = m_changes.Get(x, y).keep == 0;
    if (known) return true;
    const int w = int(box.right - box.left), h = int(box.bottom - box.top);
    std::vector<uint32_t> under(size_t(w) * size_t(h));
    if (!ReadDrawablePixels(m_dc, int(box.left), int(box.top), w, h, under.data())) return false;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            PixelChange& change = m_changes.Ref(box.left + c, box.top + r);
            change.flip = (under[size_t(r) * w + c] & change.keep & kWhite) ^ change.flip;
            change.keep = 0;
        }
    return true;
}

bool Canvas::Write() {
    const DeviceBox extent = m_changes.Extent();
    if (extent.Empty()) return true;
    // At most three passes: pixels known outright are copied; the others are and-ed with their
    // keep (when it clears bits) and then exclusive-or-ed with their flip (when it sets any). A
    // pixel no drawing changed is in none.
    const int64_t left = extent.left, top = extent.top, w = extent.right - left, h = extent.bottom - top;
    std::vector<uint32_t> copies, ands, xors;
    auto put = [&](std::vector<uint32_t>& pass, int64_t x, int64_t y, uint32_t pixel) {
        if (pass.empty()) pass.assign(size_t(w * h), 0);
        pass[size_t((y - top) * w + (x - left))] = 0xFF000000u | pixel;
    };
    m_changes.ForEach([&](int64_t x, int64_t y, const PixelChange& change) {
        if (change.keep == 0) {
            put(copies, x, y, change.flip);
            return;
        }
        if (change.keep != kWhite) put(ands, x, y, change.keep);
        if (change.flip != 0) put(xors, x, y, change.flip);
    });
    m_changes.Clear();
    if (copies.empty() && ands.empty() && xors.empty()) return true;
    FrontPass passes[3];
    int count = 0;
    if (!copies.empty()) passes[count++] = FrontPass{FrontPass::kCopy, copies.data()};
    if (!ands.empty()) passes[count++] = FrontPass{FrontPass::kAnd, ands.data()};
    if (!xors.empty()) passes[count++] = FrontPass{FrontPass::kXor, xors.data()};
    bool throughCurrent = false;
    const bool written = CombineDrawablePixels(m_dc, int(left), int(top), int(w), int(h), passes, count, throughCurrent);
    if (written && throughCurrent) NoteFrontWritten(m_dc);
    return written;
}

Canvas* ExistingCanvas(HDC dc) {
    auto found = Held().find(dc);
    return found == Held().end() ? nullptr : found->second.canvas.get();
}

Canvas* HeldCanvas(HDC dc) {
    if (!WindowDcHeld(dc)) return nullptr;
    if (DrawableIsCurrent(dc)) {
        FlushDcPixels(dc);  // never both: OpenGL must see GDI's drawing in order
        return nullptr;
    }
    HeldPixels& held = Held()[dc];
    if (!held.canvas) {
        int width = 0, height = 0;
        if (!DrawableSize(dc, width, height)) return nullptr;
        held.canvas = std::make_unique<Canvas>(dc, DeviceBox{0, 0, width, height});
    }
    return held.canvas.get();
}

void NoteFrontWritten(HDC dc) {
    if (WindowDcHeld(dc))
        Held()[dc].frontWritten = true;
    else if (WindowFromDC(dc))
        FlushDrawable(dc);  // nobody ends a hold: the screen is brought up to date now
}

bool ReadDrawableSurface(HDC dc, int x, int y, int w, int h, uint32_t* out) {
    if (Canvas* canvas = ExistingCanvas(dc)) {
        if (!canvas->Materialise(DeviceBox{x, y, int64_t(x) + w, int64_t(y) + h})) return false;
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                uint32_t pixel = 0;
                canvas->Known(x + c, y + r, pixel);
                *out++ = pixel;
            }
        return true;
    }
    if (!ReadDrawablePixels(dc, x, y, w, h, out)) return false;
    for (size_t i = 0, n = size_t(w) * h; i < n; ++i) out[i] &= kWhite;
    return true;
}

bool WriteDrawableSurface(HDC dc, int x, int y, int w, int h, uint32_t* in) {
    // A transfer is written at once (a picture presented through it shows at once), after what GDI
    // drew before it.
    FlushDcPixels(dc);
    for (size_t i = 0, n = size_t(w) * h; i < n; ++i) in[i] |= 0xFF000000u;
    return WriteDrawablePixels(dc, x, y, w, h, in);
}

}  // namespace gdi

void FlushDcPixels(HDC dc) {
    auto& held = gdi::Held();
    auto found = held.find(dc);
    if (found == held.end() || !found->second.canvas) return;
    std::unique_ptr<gdi::Canvas> canvas = std::move(found->second.canvas);
    if (!canvas->Write()) LogLine("the GDI drawing of a window could not be written into its front buffer");
}

void FlushAllDcPixels() {
    std::vector<HDC> pending;
    for (const auto& entry : gdi::Held())
        if (entry.second.canvas) pending.push_back(entry.first);
    for (HDC dc : pending) FlushDcPixels(dc);
}

void DropDcPixels(HDC dc) { gdi::Held().erase(dc); }

void EndDcHold(HDC dc) {
    auto& held = gdi::Held();
    auto found = held.find(dc);
    if (found == held.end()) return;
    FlushDcPixels(dc);
    found = held.find(dc);
    // Drawing through a context that is no longer current on the window was flushed as it left.
    if (found != held.end() && found->second.frontWritten && DrawableIsCurrent(dc)) FlushDrawable(dc);
    held.erase(dc);
}

}  // namespace vyrwin
