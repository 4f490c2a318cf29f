// CUiCharFormat: the face name kept within its field.
#include "UiCharFormat.h"

void CUiCharFormat::SetFaceName(const WCHAR* name) {
    int n = 0;
    for (; name && n < kFaceNameMax && name[n]; ++n) m_faceName[n] = name[n];
    m_faceName[n] = 0;
}
