// Linked into every benchmark that draws through OpenGL: the program settles the C allocator's
// thresholds as it starts (VyrSettleAllocatorForDrawing), before the display opens, so that its
// figures are those of a settled drawing process rather than of whatever the allocator's
// adaptation made of the program's first frames.
#include <windows.h>

namespace {

const bool kSettled = VyrSettleAllocatorForDrawing() != FALSE;

}  // namespace
