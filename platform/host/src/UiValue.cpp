// CUiValue: format text, bound control and change hook.
#include "UiValue.h"

CUiValue::CUiValue(LPCWSTR format) : m_format(format) {}

CUiValue::~CUiValue() = default;

void CUiValue::ShowText(const CStringW& text) {
    if (m_control && m_control->GetSafeHwnd()) ::SetWindowTextW(m_control->GetSafeHwnd(), text);
}

void CUiValue::OnValueChanged() {}
