// Private to the Windows stand-in: what the window, GL and GDI parts share.
#pragma once

#include "windows.h"
#include "vyrwin_codec.h"

#include <cstdint>
#include <string>

struct HDC__ {
    enum Kind { kWindow, kMemory, kPbuffer, kInfo };
    Kind kind = kMemory;
    HWND window = nullptr;          // kWindow: the window that owns it
    HPBUFFERARB pbuffer = nullptr;  // kPbuffer: the pbuffer it draws into
    unsigned long drawable = 0;     // kWindow, kPbuffer: the GLXDrawable
    HBITMAP bitmap = nullptr;       // kMemory: the bitmap selected into it (null: the stock 1x1)
    int stretchBltMode = 1;         // GDI: SetStretchBltMode's mode (BLACKONWHITE at first)
};

namespace vyrwin {

// Size in pixels of what a window or pbuffer DC draws into. False for other DCs.
bool DrawableSize(HDC dc, int& width, int& height);

// Pixels of a window or pbuffer DC's front buffer, as 32-bit BGRA rows from the top
// (x, yTop counted from the top-left corner). Uses the current GL context when there
// is one (bound to the drawable for the copy and bound back), else the hidden root
// context. False for other DCs or when no GL is available.
bool ReadDrawablePixels(HDC dc, int x, int yTop, int width, int height, uint32_t* bgraTopDown);
bool WriteDrawablePixels(HDC dc, int x, int yTop, int width, int height, const uint32_t* bgraTopDown);

// Logs one line to standard error, prefixed with the stand-in's name.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vyrwin
