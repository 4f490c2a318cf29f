// Cursors: the system cursors and the thread's current cursor. Nothing is drawn (the windows show
// the X server's cursor); the program sees the cursor it set, as a Windows program would.
#include "WinInternal.h"

namespace {

// The system cursors a null module answers, by resource number.
constexpr WORD kSystemCursors[] = {32512, 32513, 32514, 32515, 32650};
constexpr int kSystemCursorCount = sizeof(kSystemCursors) / sizeof(kSystemCursors[0]);

// One byte per system cursor: its address is the cursor's handle.
char gCursorObjects[kSystemCursorCount];

HCURSOR SystemCursor(int index)
{
    return reinterpret_cast<HCURSOR>(&gCursorObjects[index]);
}

// The host's UI thread is the only thread that sets cursors; it starts with the arrow.
HCURSOR gCurrentCursor = SystemCursor(0);

}  // namespace

HCURSOR LoadCursorW(HINSTANCE module, LPCWSTR name)
{
    if (module || !name || !IS_INTRESOURCE(name)) return nullptr;
    const WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    for (int i = 0; i < kSystemCursorCount; ++i)
        if (kSystemCursors[i] == id) return SystemCursor(i);
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR previous = gCurrentCursor;
    gCurrentCursor = cursor;
    return previous;
}

HCURSOR GetCursor()
{
    return gCurrentCursor;
}
