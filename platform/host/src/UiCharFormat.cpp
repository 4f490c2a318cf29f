// CUiCharFormat: the face name kept within its field.
#include "UiCharFormat.h"

void CUiCharFormat::SetFaceName(const WCHAR* name) {
    int n = 0;
    for (; name && n < kFaceNameMax && name[n]; ++n) m_faceName[n] = name[n];
    m_faceName[n] = 0;
}

float CUiCharFormat::GetHeightMm(const CUiCharFormat& format) {
    return format.m_height > 0 ? float(double(format.m_height) * 25.4 / 1440.0) : 0.0f;
}
