// CUiValueTemplate members, made for the value types int and CVyrString.
#include "UiValueTemplate.h"

namespace {

// What the format text's conversion reads for a value.
int FormatArgument(int value) { return value; }
LPCWSTR FormatArgument(const CVyrString& value) { return value.GetString(); }

}  // namespace

template <typename T>
CUiValueTemplate<T>::CUiValueTemplate(LPCWSTR format) : CUiValue(format), m_value(), m_step() {}

template <typename T>
CUiValueTemplate<T>::~CUiValueTemplate() = default;

template <typename T>
CStringW CUiValueTemplate<T>::ItemToStr() {
    CStringW text;
    text.Format(GetFormat().GetString(), FormatArgument(m_value));
    return text;
}

template <typename T>
T CUiValueTemplate<T>::GetValue() const {
    return m_value;
}

template <typename T>
T CUiValueTemplate<T>::GetStep() const {
    return m_step;
}

template <typename T>
void CUiValueTemplate<T>::SetStep(T step) {
    m_step = step;
}

template <typename T>
void CUiValueTemplate<T>::ChangeValue(double) {}

template <typename T>
bool CUiValueTemplate<T>::SetValue(T value) {
    T previous = m_value;
    m_value = value;
    if (IsValidValue(m_value)) {
        if (GetControl()) {
            ShowText(ItemToStr());
            OnValueChanged();
        }
        return true;
    }
    m_value = previous;
    if (GetControl()) ShowText(ItemToStr());
    return false;
}

template <typename T>
bool CUiValueTemplate<T>::SetValue(CStringW text) {
    return SetValue(StrToItem(text));
}

template class CUiValueTemplate<int>;
template class CUiValueTemplate<CVyrString>;
