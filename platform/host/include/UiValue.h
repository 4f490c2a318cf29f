// CUiValue: the base of the value holders behind the user-interface controls.
#pragma once

#include "VyrHostApi.h"

#include <afxwin.h>

// A value that a control shows: its printf-style format text (such as L"%d" or
// L"%s"), the control it is bound to, if any, and a hook called after the value
// changed. The typed holders derive from it and keep the value itself.
class VYR_HOST_API CUiValue {
public:
    // A holder with a format text (null: empty) and no bound control.
    explicit CUiValue(LPCWSTR format = L"");
    virtual ~CUiValue();
    CUiValue(const CUiValue&) = delete;
    CUiValue& operator=(const CUiValue&) = delete;

    // The printf-style format text that turns the value into text.
    const CStringW& GetFormat() const { return m_format; }
    // Sets the format text (null: empty).
    void SetFormat(LPCWSTR format) { m_format = format; }

    // Binds the control that shows the value (null: none). The control is not owned.
    void SetControl(CWnd* control) { m_control = control; }
    // The bound control, null when there is none.
    CWnd* GetControl() const { return m_control; }

    // Shows text in the bound control as its window text; nothing without a
    // control or when the control holds no window.
    virtual void ShowText(const CStringW& text);

protected:
    // Called after the value changed and was accepted; does nothing here.
    virtual void OnValueChanged();

private:
    CStringW m_format;
    CWnd* m_control = nullptr;
};
