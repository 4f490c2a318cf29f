// CDsDebugWindow: a window of its own, with its own OpenGL context, that code under investigation
// draws into through a callback, beside the host's views. CDsDebugWindowClient is the framework
// window object that handles its messages (WM_PAINT, WM_SIZE, WM_ACTIVATE); _UTILwindow is the
// window record that both read.
//
// The window is a top-level window of class "DEBUGWINDOW" (registered once per process, its
// procedure DefWindowProcW), owned by the main window of the framework's current thread when
// there is one, shown at once. Nothing in it waits: messages arrive only when someone sends them
// (SendMessageW, UpdateWindow, a resize), and each handler returns when it is done.
//
// Choices where the plain reading would hurt:
// - A failure while making the window does not end the process: UtilFatalError writes its message
//   and a newline to standard error and returns, whatever was made so far is released, and the
//   window record stays with no window and no context; such a record draws nothing and Draw
//   refuses it with one more line. A size below 1 or above kMaxSize on either side is such a
//   failure ("invalid window size"), refused before anything is made.
// - A class "DEBUGWINDOW" that someone else registered first is used as it is (the client
//   subclasses the window anyway), not taken as a failure.
// - The class is registered with the system's logo icon and the system's arrow cursor: the arrow is
//   loaded as a system cursor (no module), since no module holds one and a class without a cursor
//   would leave whatever cursor the pointer brought along over the window.
// - OpenGL calls of creation (the viewport) and of WM_SIZE (viewport and projection) are made
//   with the window's own context current, and the context current before is put back, as a
//   paint does: another view's viewport and matrices are never touched.
// - Draw gives the window back to its previous procedure before it deletes the previous client
//   (deleting an attached window object would destroy the window). The client deletes itself when
//   its window goes away (WM_NCDESTROY); Draw finds the window's current client through the window,
//   so copies of a CDsDebugWindow (which share both pointers) never delete one twice.
// - A paint validates the window's update region, so an UpdateWindow after it paints nothing more.
// - UTILcleanup is public (nothing else can close the window) and can be called more than once:
//   it releases the window's context only when that one is current, deletes the context, the
//   palette and the window, and empties the record's handles.
// - The record belongs to the objects that share it (copies included) and to the window's client:
//   it is freed when the last of them goes, so that a window left painting after its objects are
//   gone still reads it. When the last holder is an object (no client paints the window), the
//   window is closed as UTILcleanup closes it, since nothing could ever close it afterwards; when
//   it is the client, the window is already going and only its context and palette remain to be
//   released. A record that UtilCreateWindow answers to a caller of its own belongs to that caller
//   (free it with free once its window is closed).
// - The record is zeroed when it is allocated (its first field has no use).
// - The title is narrow text: UTF-8, else Windows-1252; null is an empty title.
// - ComponentFromIndex is public, so that the palette's colour ramps can be checked.
#pragma once

#include <afxwin.h>

#include <cstdint>

// The record of a debug window: its device context, window, OpenGL context, requested size and
// palette (none unless the pixel format needs one).
struct _UTILwindow {
    int32_t unused;     // no use; 0
    HDC hdc;            // the window's device context (held while the window lives)
    HWND hwnd;          // the window; null when making it failed
    HGLRC hglrc;        // the window's OpenGL context; null when making it failed
    int32_t width;      // the width asked for
    int32_t height;     // the height asked for
    HPALETTE hpalette;  // the palette the pixel format needs; null when it needs none
};

class CDsDebugWindowClient;

// A debug window: its record and the client that handles its messages.
class AFX_EXT_CLASS CDsDebugWindow {
public:
    // The largest width or height a debug window may have.
    static constexpr int kMaxSize = 16384;

    // Makes the window (UtilCreateWindow at 0, 0); no client until Draw.
    CDsDebugWindow(const char* title, int width, int height);
    // Both pointers are copied: the copies share the window and its record.
    CDsDebugWindow(const CDsDebugWindow& other);
    // Both pointers are copied: the copies share the window and its record (this object's former
    // record is let go, as the destructor lets it go).
    CDsDebugWindow& operator=(const CDsDebugWindow& other);
    // Lets the record go: the last holder frees it (see the top of this file).
    ~CDsDebugWindow();

    // Makes a debug window of the client size at (x, y) (negative values become 0) and answers its
    // record (null only when the record itself cannot be allocated). See the top of this file for
    // failures.
    static _UTILwindow* UtilCreateWindow(const char* title, int x, int y, int width, int height);
    // Makes the window's messages go to a new client that draws with `callback` (a null callback
    // draws nothing), replacing the previous client. A line on standard error, nothing changed,
    // when the record has no window (making it failed, or it was closed).
    void Draw(void (*callback)());
    // Closes the window: its context released when current and deleted, palette and window
    // destroyed, the record's handles emptied.
    void UTILcleanup();
    // The window record (null only when it could not be allocated).
    _UTILwindow* GetWindowRecord() const { return m_pWindow; }
    // The palette byte of a colour component: the index shifted right by `shift`, masked to `bits`
    // bits, through the ramp of that bit count (1, 2 or 3 bits); 0 for other bit counts.
    static unsigned char ComponentFromIndex(int index, unsigned bits, unsigned shift);

private:
    // Writes the message (printf-style) and a newline to standard error; the process goes on.
    static void UtilFatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // The pixel format a debug window asks for: double-buffered RGBA, 24 colour and 24 depth bits.
    static void UtilFillPixelFormat(PIXELFORMATDESCRIPTOR& descriptor);
    // Sets the pixel format on the window's DC and makes the palette it needs (when it needs one);
    // false after a failure (reported).
    static bool UtilCreateRGBPalette(_UTILwindow* window, PIXELFORMATDESCRIPTOR& descriptor);
    // Releases what a failed creation made and leaves the record without window and context.
    static void UtilReleaseWindow(_UTILwindow* window);
    // One more holder of the record (an object or a client); nothing for null.
    static void HoldRecord(_UTILwindow* window);
    // One holder fewer; the last one releases what the record still holds (the window only when
    // `windowGoing` is false) and frees it. Nothing for null or a record nobody holds.
    static void LetRecordGo(_UTILwindow* window, bool windowGoing);

    friend class CDsDebugWindowClient;

    // The window record (malloc'ed; freed by its last holder).
    _UTILwindow* m_pWindow = nullptr;
    // The client made by the last Draw; it deletes itself when the window goes away, so it is
    // only remembered, never used through this pointer.
    CDsDebugWindowClient* m_pClient = nullptr;
};

// The framework window object of a debug window: paints through the callback with the window's
// own context current.
class AFX_EXT_CLASS CDsDebugWindowClient : public CWnd {
public:
    // A client of the record (holding it) that draws with `callback` (may be null); not attached
    // yet.
    CDsDebugWindowClient(_UTILwindow* window, void (*callback)());
    // Gives up the window as CWnd does and lets the record go.
    ~CDsDebugWindowClient() override;

    // Makes the window's context current, calls the callback, swaps the buffers, puts the
    // previous context back and validates the window.
    void OnPaint() override;
    // Default processing; then, with the window's context current, viewport (0, 0, cx, cy) and
    // projection glFrustum(-1, 1, -1, 1, 1.5, 20), leaving the model-view matrix mode.
    void OnSize(UINT type, int cx, int cy) override;
    // Paints as OnPaint unless the window is minimised.
    void OnActivate(UINT state, CWnd* other, BOOL minimized) override;

protected:
    // The window went away: the client lets the record go and deletes itself.
    void PostNcDestroy() override;

private:
    _UTILwindow* m_pWindow = nullptr;
    void (*m_pCallback)() = nullptr;
};
