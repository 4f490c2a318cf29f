// AfxMessageBox over the recorded message boxes of the Windows stand-in.
#include "afxwin.h"

#include "MfcInternal.h"
#include "vyrwin_codec.h"

#include <cerrno>
#include <cstring>

namespace {

// The program's name, the caption of its message boxes.
CStringW Caption() {
    const char* name = program_invocation_short_name;
    return name ? CStringW(vyrwin::WideFromNarrow(name, std::strlen(name))) : CStringW();
}

}  // namespace

int AfxMessageBox(LPCWSTR text, UINT type, UINT) {
    return ::MessageBoxW(nullptr, text ? text : L"", Caption(), type);
}

int AfxMessageBox(UINT id, UINT type, UINT helpId) {
    CStringW text;
    if (!text.LoadString(id)) AfxTrace("AfxMessageBox: no string resource %u\n", id);
    return AfxMessageBox(text, type, helpId);
}
