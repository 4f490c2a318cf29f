// CWinApp: the process's application object and its main window.
#include "afxwin.h"

namespace {

// The application object, null until one is made. Constant-initialised: an application object
// made as a global of another module may be constructed before this library's initialisers run.
CWinApp* gApp = nullptr;

}  // namespace

CWinApp::CWinApp(LPCWSTR) {
    if (!gApp) gApp = this;
}

CWinApp::~CWinApp() {
    if (gApp == this) gApp = nullptr;
}

CWinApp* AfxGetApp() { return gApp; }

CWinThread* AfxGetThread() { return gApp; }

CWnd* AfxGetMainWnd() { return gApp ? gApp->m_pMainWnd : nullptr; }

CWaitCursor::CWaitCursor() : m_previous(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}

CWaitCursor::~CWaitCursor() { ::SetCursor(m_previous); }

void CWaitCursor::Restore() { ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT)); }
