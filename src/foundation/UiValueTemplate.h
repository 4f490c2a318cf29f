// CUiValueTemplate: typed value holders of the user-interface controls, for int
// and CVyrString values.
#pragma once

#include "UiValue.h"
#include "VyrString.h"

#include <afx.h>

// A value of type T and a step of type T, shown by the bound control of the
// CUiValue base. The host's concrete holder supplies the validation of a value and
// the conversion of text to a value. The members exist for T = int and T =
// CVyrString, exported from the core.
template <typename T>
class AFX_EXT_CLASS CUiValueTemplate : public CUiValue {
public:
    // A holder of T() with step T(), the given format text and no bound control.
    explicit CUiValueTemplate(LPCWSTR format = L"");
    ~CUiValueTemplate() override;

    // The value as text, formatted with the format text of the base.
    virtual CStringW ItemToStr();
    // The value.
    T GetValue() const;
    // The step.
    T GetStep() const;
    // Sets the step.
    void SetStep(T step);
    // Moves the value by an amount: these holders do not move by steps, so nothing happens.
    virtual void ChangeValue(double amount);
    // Stores the value when IsValidValue accepts it: the bound control then shows
    // its text, the change hook runs, and the answer is true. A value that is not
    // valid leaves the previous one in place (shown again by a bound control) and
    // the answer is false.
    virtual bool SetValue(T value);
    // Converts the text with StrToItem, then stores the value as SetValue(T) does.
    virtual bool SetValue(CStringW text);

protected:
    // Whether a value may be held (supplied by the host's concrete holder).
    virtual bool IsValidValue(const T& value) = 0;
    // The value that a text stands for (supplied by the host's concrete holder).
    virtual T StrToItem(const CStringW& text) = 0;

    T m_value;  // the value held
    T m_step;   // the step between values
};

extern template class CUiValueTemplate<int>;
extern template class CUiValueTemplate<CVyrString>;
