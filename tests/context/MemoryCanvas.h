// A white memory DC on a top-down 32-bit DIB section (pixels 0x00RRGGBB) as a framework CDC, for
// tests that look at what a device-context driver drew.
#pragma once

#include "DibCanvas.h"

#include <afxwin.h>

namespace vyrtest {

struct MemoryCanvas : DibCanvas {
    // A white canvas of w x h pixels.
    MemoryCanvas(int w, int h) : DibCanvas(w, h) { cdc.Attach(dc); }
    // Hands the DC back to the canvas, which deletes it, and frees the framework's temporary
    // wrappers.
    ~MemoryCanvas()
    {
        cdc.Detach();
        CGdiObject::DeleteTempMap();
    }

    // The canvas's DC as a framework CDC.
    CDC cdc;
};

}  // namespace vyrtest
