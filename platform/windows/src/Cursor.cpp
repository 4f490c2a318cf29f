// Cursors and icons: the system cursors, the thread's current cursor and the system icons. Nothing
// is drawn (the windows show the X server's cursor and no icon); the program sees the handles it
// loaded and the cursor it set, as a Windows program would.
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

// The system icons a null module answers, by resource number, and one byte per icon for its handle.
constexpr WORD kSystemIcons[] = {32512, 32517};
constexpr int kSystemIconCount = sizeof(kSystemIcons) / sizeof(kSystemIcons[0]);
char gIconObjects[kSystemIconCount];

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

HICON LoadIconW(HINSTANCE module, LPCWSTR name)
{
    if (module || !name || !IS_INTRESOURCE(name)) return nullptr;
    const WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    for (int i = 0; i < kSystemIconCount; ++i)
        if (kSystemIcons[i] == id) return reinterpret_cast<HICON>(&gIconObjects[i]);
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
