// Diagnostics: trace output and failed assertions, on standard error.
#include "afx.h"

#include "vyrwin_codec.h"

#include <cstdio>

void AfxTraceText(LPCWSTR text) {
    if (!text) return;
    std::string bytes = vyrwin::Utf8FromWide(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

void AfxTrace(LPCSTR format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fflush(stderr);
}

BOOL AfxAssertFailedLine(LPCSTR file, int line) {
    std::fprintf(stderr, "assertion failed: %s(%d)\n", file ? file : "?", line);
    std::fflush(stderr);
    return FALSE;
}
