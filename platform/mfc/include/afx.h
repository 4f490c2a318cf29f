// The framework's core classes: strings, points and rectangles, exceptions,
// files, archives, module state with its chain of extension modules, and the
// diagnostic macros.
#pragma once

#include "VyrMfcApi.h"
#include "afxstr.h"
#include "vyrwin_types.h"
#include "vyrwin_user.h"

#include <cstdarg>
#include <vector>

// Calling conventions: nothing to say on this platform.
#define AFXAPI
#define AFX_CDECL
#define PASCAL
#define afx_msg

// ---------------------------------------------------------------------------
// Diagnostics. TRACE writes to standard error and ASSERT reports a failed
// condition there, both only in debug builds (without NDEBUG); a failed ASSERT
// does not stop the program. VERIFY always evaluates its expression.

// Writes a formatted wide (CStringW::Format conventions) or narrow (printf) message.
template <typename... Args>
inline void AfxTrace(LPCWSTR format, Args&&... args);
VYR_MFC_API void AfxTrace(LPCSTR format, ...) __attribute__((format(printf, 1, 2)));
// Reports a failed assertion at file:line on standard error; answers FALSE.
VYR_MFC_API BOOL AfxAssertFailedLine(LPCSTR file, int line);
// Writes one line of wide text to standard error as UTF-8.
VYR_MFC_API void AfxTraceText(LPCWSTR text);

#ifdef NDEBUG
#define TRACE(...) do { if (false) AfxTrace(__VA_ARGS__); } while (0)
#define ASSERT(f) do { if (false) (void)(f); } while (0)
#define VERIFY(f) ((void)(f))
#else
#define TRACE(...) AfxTrace(__VA_ARGS__)
#define ASSERT(f) do { if (!(f)) AfxAssertFailedLine(__FILE__, __LINE__); } while (0)
#define VERIFY(f) ASSERT(f)
#endif
#define TRACE0(s) TRACE(s)
#define TRACE1(s, a) TRACE(s, a)
#define TRACE2(s, a, b) TRACE(s, a, b)
#define TRACE3(s, a, b, c) TRACE(s, a, b, c)

template <typename... Args>
inline void AfxTrace(LPCWSTR format, Args&&... args) {
    CStringW text;
    text.Format(format, std::forward<Args>(args)...);
    AfxTraceText(text);
}

// ---------------------------------------------------------------------------
// Points, sizes and rectangles.

class CSize;
class CRect;

// A point, a POINT with operations.
class VYR_MFC_API CPoint : public POINT {
public:
    // (0, 0).
    CPoint() : POINT{0, 0} {}
    // (x, y).
    CPoint(int x, int y) : POINT{x, y} {}
    // A copy of a POINT.
    CPoint(const POINT& p) : POINT(p) {}
    // The point (cx, cy).
    explicit CPoint(const SIZE& s) : POINT{s.cx, s.cy} {}
    // Moves the point.
    void Offset(int dx, int dy) { x += dx; y += dy; }
    void Offset(const POINT& p) { Offset(p.x, p.y); }
    void Offset(const SIZE& s) { Offset(s.cx, s.cy); }
    // Sets both coordinates.
    void SetPoint(int px, int py) { x = px; y = py; }
    // Equality of both coordinates.
    bool operator==(const POINT& p) const { return x == p.x && y == p.y; }
    bool operator!=(const POINT& p) const { return !(*this == p); }
    // Moves by a size or point.
    CPoint& operator+=(const SIZE& s) { Offset(s); return *this; }
    CPoint& operator-=(const SIZE& s) { Offset(-s.cx, -s.cy); return *this; }
    CPoint& operator+=(const POINT& p) { Offset(p); return *this; }
    CPoint& operator-=(const POINT& p) { Offset(-p.x, -p.y); return *this; }
    // The point moved by a size.
    CPoint operator+(const SIZE& s) const { return CPoint(x + s.cx, y + s.cy); }
    CPoint operator-(const SIZE& s) const { return CPoint(x - s.cx, y - s.cy); }
    // The point moved by another point's coordinates.
    CPoint operator+(const POINT& p) const { return CPoint(x + p.x, y + p.y); }
    // The negated point.
    CPoint operator-() const { return CPoint(-x, -y); }
};

// A size, a SIZE with operations.
class VYR_MFC_API CSize : public SIZE {
public:
    // (0, 0).
    CSize() : SIZE{0, 0} {}
    // (cx, cy).
    CSize(int cx, int cy) : SIZE{cx, cy} {}
    // A copy of a SIZE.
    CSize(const SIZE& s) : SIZE(s) {}
    // The size (x, y).
    explicit CSize(const POINT& p) : SIZE{p.x, p.y} {}
    // Sets both extents.
    void SetSize(int w, int h) { cx = w; cy = h; }
    // Equality of both extents.
    bool operator==(const SIZE& s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(const SIZE& s) const { return !(*this == s); }
    // Adds or subtracts another size.
    CSize& operator+=(const SIZE& s) { cx += s.cx; cy += s.cy; return *this; }
    CSize& operator-=(const SIZE& s) { cx -= s.cx; cy -= s.cy; return *this; }
    CSize operator+(const SIZE& s) const { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(const SIZE& s) const { return CSize(cx - s.cx, cy - s.cy); }
    // The negated size.
    CSize operator-() const { return CSize(-cx, -cy); }
};

// The offset between two points.
inline CSize operator-(const CPoint& a, const CPoint& b) { return CSize(a.x - b.x, a.y - b.y); }

// A rectangle, a RECT with operations. Right and bottom are exclusive; a rectangle
// is empty when right <= left or bottom <= top.
class VYR_MFC_API CRect : public RECT {
public:
    // (0, 0, 0, 0).
    CRect() : RECT{0, 0, 0, 0} {}
    // (l, t, r, b).
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    // A copy of a RECT.
    CRect(const RECT& r) : RECT(r) {}
    // A copy of *r, or (0, 0, 0, 0) for null.
    CRect(LPCRECT r) : RECT(r ? *r : RECT{0, 0, 0, 0}) {}
    // From the top-left corner and a size.
    CRect(const POINT& topLeft, const SIZE& size)
        : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
    // From two corners.
    CRect(const POINT& topLeft, const POINT& bottomRight)
        : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    // right - left.
    int Width() const { return right - left; }
    // bottom - top.
    int Height() const { return bottom - top; }
    // (Width, Height).
    CSize Size() const { return CSize(Width(), Height()); }
    // The top-left corner (a copy: set it with SetRect or the fields).
    const CPoint TopLeft() const { return CPoint(left, top); }
    // The bottom-right corner (a copy).
    const CPoint BottomRight() const { return CPoint(right, bottom); }
    // The centre ((left + right) / 2, (top + bottom) / 2), each half truncated toward zero as
    // integer division does: towards the top-left for positive sums, towards the bottom-right
    // for negative ones ((-3, -3, 0, 0) has its centre at (-1, -1)).
    CPoint CenterPoint() const;
    // True when right <= left or bottom <= top.
    BOOL IsRectEmpty() const { return right <= left || bottom <= top; }
    // True when all four coordinates are 0.
    BOOL IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    // True when left <= x < right and top <= y < bottom.
    BOOL PtInRect(const POINT& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    // True when the coordinates are equal.
    BOOL EqualRect(LPCRECT r) const;

    // Sets all four coordinates.
    void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    // Sets all four coordinates to 0.
    void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    // Copies *r (null: ignored).
    void CopyRect(LPCRECT r) { if (r) *static_cast<RECT*>(this) = *r; }
    // Moves the rectangle.
    void OffsetRect(int dx, int dy) { left += dx; right += dx; top += dy; bottom += dy; }
    void OffsetRect(const POINT& p) { OffsetRect(p.x, p.y); }
    void OffsetRect(const SIZE& s) { OffsetRect(s.cx, s.cy); }
    // Moves the left and right sides outwards by dx, top and bottom by dy.
    void InflateRect(int dx, int dy) { InflateRect(dx, dy, dx, dy); }
    void InflateRect(const SIZE& s) { InflateRect(s.cx, s.cy); }
    // Moves each side outwards by its own amount (null: ignored).
    void InflateRect(LPCRECT r) { if (r) InflateRect(r->left, r->top, r->right, r->bottom); }
    void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
    // Moves the sides inwards, as InflateRect with negated amounts.
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
    void DeflateRect(const SIZE& s) { InflateRect(-s.cx, -s.cy); }
    void DeflateRect(LPCRECT r) { if (r) InflateRect(-r->left, -r->top, -r->right, -r->bottom); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
    // Swaps left/right and top/bottom where needed so both extents are >= 0.
    void NormalizeRect();
    // The overlap of a and b; empty (all 0) and FALSE when they do not overlap or
    // either is empty or null.
    BOOL IntersectRect(LPCRECT a, LPCRECT b);
    // The smallest rectangle holding a and b, ignoring empty (or null) ones; all 0
    // and FALSE when both are empty.
    BOOL UnionRect(LPCRECT a, LPCRECT b);

    // Conversions to the Windows rectangle pointers.
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }

    // Assignment from a RECT.
    CRect& operator=(const RECT& r) { CopyRect(&r); return *this; }
    // Equality of the coordinates.
    bool operator==(const RECT& r) const { return EqualRect(&r) != FALSE; }
    bool operator!=(const RECT& r) const { return !(*this == r); }
    // Moves by a point or size.
    CRect& operator+=(const POINT& p) { OffsetRect(p); return *this; }
    CRect& operator+=(const SIZE& s) { OffsetRect(s); return *this; }
    CRect& operator-=(const POINT& p) { OffsetRect(-p.x, -p.y); return *this; }
    CRect& operator-=(const SIZE& s) { OffsetRect(-s.cx, -s.cy); return *this; }
    // Inflates (+=) or deflates (-=) each side by the amounts of r.
    CRect& operator+=(LPCRECT r) { InflateRect(r); return *this; }
    CRect& operator-=(LPCRECT r) { DeflateRect(r); return *this; }
    // Intersection and union in place.
    CRect& operator&=(const RECT& r) { IntersectRect(this, &r); return *this; }
    CRect& operator|=(const RECT& r) { UnionRect(this, &r); return *this; }
    // Moved copies.
    CRect operator+(const POINT& p) const { CRect r(*this); r.OffsetRect(p); return r; }
    CRect operator-(const POINT& p) const { CRect r(*this); r.OffsetRect(-p.x, -p.y); return r; }
    CRect operator+(const SIZE& s) const { CRect r(*this); r.OffsetRect(s); return r; }
    CRect operator-(const SIZE& s) const { CRect r(*this); r.OffsetRect(-s.cx, -s.cy); return r; }
    // Intersection and union.
    CRect operator&(const RECT& r) const { CRect out; out.IntersectRect(this, &r); return out; }
    CRect operator|(const RECT& r) const { CRect out; out.UnionRect(this, &r); return out; }
};

// ---------------------------------------------------------------------------
// Exceptions. They are thrown as pointers allocated with new; the catcher calls
// Delete():  catch (CException* e) { ...; e->Delete(); }

// The base of the framework's exceptions.
class VYR_MFC_API CException {
public:
    // An exception that Delete() frees.
    CException() = default;
    // autoDelete FALSE: Delete() leaves the object alone (a static or stack object).
    explicit CException(BOOL autoDelete) : m_bAutoDelete(autoDelete) {}
    virtual ~CException() = default;
    // Frees the exception when it was allocated with new (the default).
    void Delete();
    // Copies the message into buffer (at most maxChars with the terminator); FALSE
    // when there is no message. helpContext, when given, receives 0.
    virtual BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const;
    // The message as a string (empty when there is none).
    CStringW GetErrorMessage() const;

    // Whether Delete() frees the object.
    BOOL m_bAutoDelete = TRUE;

protected:
    // Copies text into a caller's buffer as GetErrorMessage does.
    static BOOL CopyMessage(const CStringW& text, LPWSTR buffer, UINT maxChars, UINT* helpContext);
};

// Out of memory (a memory file that may not grow).
class VYR_MFC_API CMemoryException : public CException {
public:
    // An out-of-memory exception.
    CMemoryException() = default;
    // "Out of memory."
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const override;
    using CException::GetErrorMessage;
};

// A failed file operation.
class VYR_MFC_API CFileException : public CException {
public:
    // Causes, numbered as the framework numbers them.
    enum {
        none = 0,           // no error
        genericException,   // an unspecified error
        fileNotFound,       // the file does not exist
        badPath,            // a folder of the path does not exist, or the path is malformed
        tooManyOpenFiles,   // the process has no free file handle
        accessDenied,       // no permission, a folder, or a read-only file written
        invalidFile,        // the file object is not open
        removeCurrentDir,   // the current folder cannot be removed
        directoryFull,      // the folder can take no more entries
        badSeek,            // a seek before the start of the file
        hardIO,             // a hardware error
        sharingViolation,   // the file is in use
        lockViolation,      // a locked region was accessed
        diskFull,           // the disk is full
        endOfFile           // the end of the file was reached
    };

    // An exception with a cause, the OS error (errno, -1 when none) and the file.
    explicit CFileException(int cause = none, LONG osError = -1, LPCWSTR fileName = nullptr);
    // The cause as text with the file name.
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const override;
    using CException::GetErrorMessage;
    // Resets to no error.
    void Clear() { m_cause = none; m_lOsError = -1; m_strFileName.Empty(); }

    // The cause that matches an errno value.
    static int ErrnoToException(int errnoValue);
    // Throws a CFileException for an errno value (0: nothing thrown).
    static void ThrowErrno(int errnoValue, LPCWSTR fileName = nullptr);

    // The cause (one of the enum values).
    int m_cause;
    // The OS error: errno, -1 when none.
    LONG m_lOsError;
    // The file concerned.
    CStringW m_strFileName;
};

// A failed archive operation.
class VYR_MFC_API CArchiveException : public CException {
public:
    // Causes, numbered as the framework numbers them.
    enum {
        none = 0,          // no error
        genericException,  // an unspecified error
        readOnly,          // writing to an archive opened for loading
        endOfFile,         // reading past the end of the data
        writeOnly,         // reading from an archive opened for storing
        badIndex,          // an invalid format
        badClass,          // an object of an unexpected class
        badSchema,         // an object of an unexpected version
        bufferFull         // the buffer is full
    };

    // An exception with a cause and the archive's file name.
    explicit CArchiveException(int cause = none, LPCWSTR fileName = nullptr);
    // The cause as text with the file name.
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const override;
    using CException::GetErrorMessage;

    // The cause (one of the enum values).
    int m_cause;
    // The file of the archive, when known.
    CStringW m_strFileName;
};

// Throw helpers: each throws a new exception object.
[[noreturn]] VYR_MFC_API void AfxThrowFileException(int cause, LONG osError = -1, LPCWSTR fileName = nullptr);
[[noreturn]] VYR_MFC_API void AfxThrowArchiveException(int cause, LPCWSTR fileName = nullptr);
[[noreturn]] VYR_MFC_API void AfxThrowMemoryException();

// ---------------------------------------------------------------------------
// Files. Paths are wide; backslashes become '/' and the path reaches the OS as
// UTF-8. Share modes are accepted and not enforced. Writes go straight to the OS,
// so other readers see them at once.

// A file of the file system, unbuffered.
class VYR_MFC_API CFile {
public:
    // Open flags; combine one access mode with the others.
    enum OpenFlags {
        modeRead = 0x0000,          // read only
        modeWrite = 0x0001,         // write only
        modeReadWrite = 0x0002,     // read and write
        shareCompat = 0x0000,       // accepted, not enforced
        shareExclusive = 0x0010,    // accepted, not enforced
        shareDenyWrite = 0x0020,    // accepted, not enforced
        shareDenyRead = 0x0030,     // accepted, not enforced
        shareDenyNone = 0x0040,     // accepted, not enforced
        modeNoInherit = 0x0080,     // the file is never inherited here anyway
        modeCreate = 0x1000,        // create the file, emptying an existing one
        modeNoTruncate = 0x2000,    // with modeCreate: keep an existing file's content
        typeText = 0x4000,          // text mode (CStdioFile)
        typeBinary = 0x8000,        // binary mode
        osNoBuffer = 0x10000,       // accepted, ignored
        osWriteThrough = 0x20000,   // accepted, ignored
        osRandomAccess = 0x40000,   // accepted, ignored
        osSequentialScan = 0x80000  // accepted, ignored
    };
    // Origins of Seek.
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

    // A closed file.
    CFile();
    // Opens the file; throws a CFileException* when it cannot.
    CFile(LPCWSTR fileName, UINT openFlags);
    // Closes an open file, ignoring errors.
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens a file (an open one is closed first). FALSE on failure,
    // with the cause, errno and file name in *error when given; never throws.
    virtual BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr);
    // Reads up to count bytes; answers how many were read (0 at the end). Throws a
    // CFileException* on an error.
    virtual UINT Read(void* buffer, UINT count);
    // Writes count bytes; throws a CFileException* on an error (diskFull, ...).
    virtual void Write(const void* buffer, UINT count);
    // Moves the position; answers the new one. Throws badSeek before the start.
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    // Moves to the start.
    void SeekToBegin() { Seek(0, begin); }
    // Moves to the end; answers the length.
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    // The length in bytes.
    virtual ULONGLONG GetLength() const;
    // Cuts or extends (with zeros) the file.
    virtual void SetLength(ULONGLONG length);
    // The position in bytes from the start.
    virtual ULONGLONG GetPosition() const;
    // Nothing is buffered here; throws invalidFile when the file is not open.
    virtual void Flush();
    // Closes the file; throws a CFileException* when the OS reports an error.
    virtual void Close();
    // Closes the file ignoring errors (safe on a closed file).
    virtual void Abort();
    // The full path ('/' separators) of the open or last opened file.
    virtual CStringW GetFilePath() const;
    // The last component of the path.
    virtual CStringW GetFileName() const;
    // True while a file is open.
    bool IsOpen() const { return m_fd >= 0; }

    // Whether the destructor closes the file.
    BOOL m_bCloseOnDelete = TRUE;
    // The full path of the file.
    CStringW m_strFileName;

protected:
    // Throws invalidFile when no file is open.
    void CheckOpen() const;

    int m_fd = -1;
};

// A buffered text (or binary) file. In text mode (the default) WriteString writes
// "\n" as "\r\n"; ReadString takes lines ending in "\r\n" or "\n". Text is UTF-8
// in the file (a leading UTF-8 byte-order mark is skipped when reading; lines that
// are not UTF-8 are decoded as CStringW's narrow constructor does). Read and
// Write move raw bytes in both modes.
class VYR_MFC_API CStdioFile : public CFile {
public:
    // A closed file.
    CStdioFile() = default;
    // Opens the file; throws a CFileException* when it cannot.
    CStdioFile(LPCWSTR fileName, UINT openFlags);
    ~CStdioFile() override = default;

    // As CFile::Open; typeBinary selects binary mode, anything else text mode.
    BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr) override;
    // Reads the next line without its line end; FALSE (text emptied) at the end.
    virtual BOOL ReadString(CStringW& text);
    // Writes text as UTF-8 ("\n" as "\r\n" in text mode); null writes nothing.
    virtual void WriteString(LPCWSTR text);

    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetPosition() const override;
    void SetLength(ULONGLONG length) override;
    void Close() override;
    void Abort() override;

private:
    // Gives back read-ahead bytes so the OS position is the logical one.
    void DropReadAhead();

    bool m_text = true;
    std::vector<char> m_readAhead;
    size_t m_readPos = 0;
};

// A file in memory that grows as it is written.
class VYR_MFC_API CMemFile : public CFile {
public:
    // An empty memory file growing by growBytes at a time.
    explicit CMemFile(UINT growBytes = 1024);
    // A memory file over a caller's buffer (see Attach).
    CMemFile(BYTE* buffer, UINT bufferSize, UINT growBytes = 0);
    // Frees the memory it owns.
    ~CMemFile() override;

    // Uses a caller's buffer. growBytes 0: the file holds bufferSize bytes of data
    // and cannot grow (writing past the end throws CMemoryException*). Otherwise the
    // file starts empty and grows by reallocating the buffer, which must then come
    // from malloc. The caller keeps ownership (see Detach).
    void Attach(BYTE* buffer, UINT bufferSize, UINT growBytes = 0);
    // Hands the buffer to the caller (free() it when it was grown here) and leaves
    // the file empty; answers null when there is none.
    BYTE* Detach();
    // The bytes of the file (valid until it next grows).
    const BYTE* GetData() const { return m_buffer; }

    // Opening a path does nothing for a memory file: FALSE (invalidFile in *error).
    BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr) override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetLength() const override;
    void SetLength(ULONGLONG length) override;
    ULONGLONG GetPosition() const override;
    void Flush() override {}
    // Frees owned memory and leaves the file empty.
    void Close() override;
    void Abort() override { Close(); }

private:
    // Makes room for at least `size` bytes.
    void Grow(size_t size);

    BYTE* m_buffer = nullptr;
    size_t m_bufferSize = 0;
    size_t m_fileSize = 0;
    size_t m_position = 0;
    UINT m_growBytes = 1024;
    bool m_owned = true;
};

// ---------------------------------------------------------------------------
// Archives: binary streams over a file. Numbers are stored little-endian with
// fixed widths: BYTE, char and bool 1 byte; WORD and short 2; int, unsigned,
// LONG, DWORD and float 4; double, long long and unsigned long long 8. `long` is
// 64 bits on this platform while the framework's LONG is 32, so the `long` and
// `unsigned long` overloads are deleted: a stored width never depends on the
// platform (use LONG/DWORD for 32 bits, long long for 64).
//
// A string (<< and >>) is stored with a length prefix followed by UTF-16LE code
// units: the byte FF and the word FFFE mark wide text; then the length in code
// units is one byte when below FF, else FF and a word when below FFFE, else FF,
// FFFF and a double word. A prefix without the FFFE mark announces single-byte
// text, which is decoded as CStringW's narrow constructor does.

class VYR_MFC_API CArchive {
public:
    // Modes: store or load, and options.
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

    // An archive over an open file, buffering bufSize bytes (at least 16) in buf
    // or in a buffer of its own.
    CArchive(CFile* file, UINT mode, int bufSize = 4096, void* buf = nullptr);
    // Flushes a storing archive unless bNoFlushOnDelete; errors are swallowed.
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    // True when loading.
    BOOL IsLoading() const { return (m_mode & load) != 0; }
    // True when storing.
    BOOL IsStoring() const { return (m_mode & load) == 0; }
    // True when no bytes are buffered.
    BOOL IsBufferEmpty() const { return m_cur == m_max; }
    // The file, null after Close.
    CFile* GetFile() const { return m_file; }
    // Storing: writes the buffer to the file. Loading: moves the file back to the
    // archive's position, dropping the read-ahead.
    void Flush();
    // Flushes and detaches from the file (the file stays open).
    void Close();
    // Detaches from the file without flushing.
    void Abort();

    // Reads up to count bytes; answers how many (fewer at the end). Throws writeOnly
    // on a storing archive.
    UINT Read(void* buffer, UINT count);
    // Writes count bytes. Throws readOnly on a loading archive.
    void Write(const void* buffer, UINT count);
    // Writes the text's UTF-16LE code units, without length or terminator (a line:
    // end it with "\r\n" yourself).
    void WriteString(LPCWSTR text);
    // Reads UTF-16LE code units up to "\n", dropping "\r\n" or "\n"; FALSE at the end.
    BOOL ReadString(CStringW& text);

    // Storing numbers.
    CArchive& operator<<(BYTE v);
    CArchive& operator<<(char v);
    CArchive& operator<<(bool v);
    CArchive& operator<<(WORD v);
    CArchive& operator<<(SHORT v);
    CArchive& operator<<(int32_t v);
    CArchive& operator<<(uint32_t v);
    CArchive& operator<<(long long v);
    CArchive& operator<<(unsigned long long v);
    CArchive& operator<<(float v);
    CArchive& operator<<(double v);
    CArchive& operator<<(long v) = delete;
    CArchive& operator<<(unsigned long v) = delete;
    // Storing a string (length-prefixed UTF-16LE).
    CArchive& operator<<(const CStringW& s);
    CArchive& operator<<(LPCWSTR s);

    // Loading numbers; reading past the end throws CArchiveException* endOfFile.
    CArchive& operator>>(BYTE& v);
    CArchive& operator>>(char& v);
    CArchive& operator>>(bool& v);
    CArchive& operator>>(WORD& v);
    CArchive& operator>>(SHORT& v);
    CArchive& operator>>(int32_t& v);
    CArchive& operator>>(uint32_t& v);
    CArchive& operator>>(long long& v);
    CArchive& operator>>(unsigned long long& v);
    CArchive& operator>>(float& v);
    CArchive& operator>>(double& v);
    CArchive& operator>>(long& v) = delete;
    CArchive& operator>>(unsigned long& v) = delete;
    // Loading a string.
    CArchive& operator>>(CStringW& s);

private:
    // Stores n bytes of the value little-endian.
    void WriteLE(uint64_t value, int n);
    // Loads n bytes little-endian; throws endOfFile when they are not all there.
    uint64_t ReadLE(int n);
    // Reads exactly count bytes or throws endOfFile.
    void ReadExact(void* buffer, UINT count);
    // Refills the load buffer; answers the bytes now available.
    size_t Fill();
    // Writes the store buffer to the file.
    void Drain();
    // Throws an archive exception naming the file.
    [[noreturn]] void Throw(int cause) const;

    CFile* m_file;
    UINT m_mode;
    std::vector<BYTE> m_own;
    BYTE* m_buf;
    size_t m_bufSize;
    size_t m_cur = 0;  // next byte to read or write
    size_t m_max = 0;  // loading: bytes held; storing: unused
};

// ---------------------------------------------------------------------------
// Module state and extension modules. Everything here is plain data and plain
// pointers, so it stays usable while the process exits and static objects are
// being destroyed.

class CDynLinkLibrary;

// The state of the framework in this process.
struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle;  // the executable's module
    HINSTANCE m_hCurrentResourceHandle;  // where resources are looked up first
    CDynLinkLibrary* m_pFirstLibrary;    // the chain of extension modules, newest first
    BOOL m_bInitialized;                 // the handles above have been set
};

// What an extension module keeps about itself.
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;   // AfxInitExtensionModule succeeded
    HMODULE hModule;     // the module
    HMODULE hResource;   // where its resources are
};

// An extension module's membership of the chain of resource modules. Allocate it
// with new; AfxTermExtensionModule deletes it.
class VYR_MFC_API CDynLinkLibrary {
public:
    // Joins the chain with the module and resource handles of `state`.
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
    // Leaves the chain.
    virtual ~CDynLinkLibrary();
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

    // The module.
    HMODULE m_hModule;
    // Where its resources are.
    HMODULE m_hResource;
    // A system module (informative).
    BOOL m_bSystem;
    // The next (older) library of the chain.
    CDynLinkLibrary* m_pNextDLL;
};

// The framework's state (never null).
VYR_MFC_API AFX_MODULE_STATE* AfxGetModuleState();
// Records the module in `state`; FALSE for a null module. TRUE again when done.
VYR_MFC_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
// Deletes the module's CDynLinkLibrary objects (all == TRUE: every library of the
// chain) and marks `state` uninitialised.
VYR_MFC_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);
// Where resources are looked up first (the executable's module at the start).
VYR_MFC_API HINSTANCE AfxGetResourceHandle();
// Sets where resources are looked up first.
VYR_MFC_API void AfxSetResourceHandle(HINSTANCE resource);
// The executable's module.
VYR_MFC_API HINSTANCE AfxGetInstanceHandle();
// The module that holds the resource of that name and type (FindResourceW): the current
// resource module when it has it, else the first (newest) module of the chain that has it; the
// current resource module when none has, so that a load from it fails as it would anyway.
VYR_MFC_API HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type);
// Copies string `id` (current resource module, then the chain) into buffer,
// truncated to maxChars with the terminator; answers its length, 0 when not found.
VYR_MFC_API int AfxLoadString(UINT id, LPWSTR buffer, UINT maxChars = 256);
