// A second process for the allocator tests: a program that draws, whose allocator policy is its
// own. The C allocator's thresholds belong to the whole process and can be set only before they
// are first used in earnest, so each case runs in a fresh process.
//
//   vyr_allocator_probe [host] [settle]
//     host    the program sets its own thresholds in code (mmap 256 KB, trim 128 KB) first
//     settle  it then asks for the drawing thresholds (VyrSettleAllocatorForDrawing)
// Then it opens the display, draws frames into a window and reports, on one line:
//   settled=<0|1>   what VyrSettleAllocatorForDrawing answered (0 when not asked)
//   kept=<bytes>    free memory left at the heap's top after 8 MB of 200 KB blocks went back
//   mmapped=<0|1>   whether a 16 MB block then was mapped on its own (a threshold below it)
//   faults=<n>      page faults of a 24 MB block freed and asked for again, touched page by page
// Exit status: 0 with the report, 1 when no window with a GL context could be made.
#include "GlTestFixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr size_t kPage = 4096;

void Touch(volatile char* block, size_t bytes)
{
    for (size_t i = 0; i < bytes; i += kPage) block[i] = char(i >> 12);
}

long ThreadFaults()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

}  // namespace

int main(int argc, char** argv)
{
    bool host = false, settle = false;
    for (int i = 1; i < argc; ++i) {
        host = host || std::strcmp(argv[i], "host") == 0;
        settle = settle || std::strcmp(argv[i], "settle") == 0;
    }
    if (host) {
        mallopt(M_MMAP_THRESHOLD, 256 * 1024);
        mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    }
    const bool settled = settle && VyrSettleAllocatorForDrawing();

    // Open the display and draw as a program does: the driver allocates and frees as it goes.
    {
        vyrtest::GlWindow window(320, 240);
        if (!window.Valid() || !window.MakeCurrent()) return 1;
        vyrtest::SetPixelProjection(320, 240);
        for (int frame = 0; frame < 5; ++frame) {
            vyrtest::Clear({0, 0, 64});
            for (int i = 0; i < 200; ++i) vyrtest::FillRect({255, i, 0}, i % 300, i % 220, 20, 20);
            SwapBuffers(window.dc);
        }
        glFinish();
        wglMakeCurrent(nullptr, nullptr);
    }

    // 8 MB in 200 KB blocks (below both mmap thresholds) at the heap's top, given back in reverse:
    // a trim threshold of 128 KB hands the top back to the kernel, one of 64 MB keeps it.
    std::vector<char*> blocks;
    for (int i = 0; i < 40; ++i) {
        blocks.push_back(static_cast<char*>(std::malloc(200 * 1024)));
        if (blocks.back()) Touch(blocks.back(), 200 * 1024);
    }
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) std::free(*it);
    const size_t kept = mallinfo2().keepcost;

    // A 16 MB block, asked for once the top of the heap went back or stayed: mapped on its own
    // only under a threshold below it (the heap serves what its free top holds first).
    const size_t mappedBefore = mallinfo2().hblkhd;
    auto* large = static_cast<volatile char*>(std::malloc(size_t(16) << 20));
    if (large) large[0] = 1;  // used, so that the compiler keeps the allocation
    const bool mmapped = mallinfo2().hblkhd >= mappedBefore + (size_t(16) << 20);
    std::free(const_cast<char*>(large));

    // 24 MB freed and asked for again: without faults only when it stays in the heap.
    constexpr size_t kBytes = size_t(24) << 20;
    auto* first = static_cast<volatile char*>(std::malloc(kBytes));
    if (first) Touch(first, kBytes);
    std::free(const_cast<char*>(first));
    const long before = ThreadFaults();
    auto* again = static_cast<volatile char*>(std::malloc(kBytes));
    if (again) Touch(again, kBytes);
    const long faults = ThreadFaults() - before;
    std::free(const_cast<char*>(again));

    std::printf("settled=%d kept=%zu mmapped=%d faults=%ld\n", settled ? 1 : 0, kept, mmapped ? 1 : 0, faults);
    return 0;
}
