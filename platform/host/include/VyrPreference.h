// CVyrPreference: one value of the preference store.
#pragma once

#include "VyrHostApi.h"
#include "VyrRgbColor.h"
#include "VyrString.h"

// A preference value of one of five types, or no value. Reading it as another type than its
// own succeeds only where the store's own conventions allow it: an integer reads as a real, and
// as a boolean (non-zero is true: many on-off preferences are kept as integers); a boolean reads
// as an integer (0 or 1). Every other mismatch (a real as an integer, a text as a number, a
// colour as anything else) answers false and leaves the out value as it was.
class VYR_HOST_API CVyrPreference {
public:
    // The type of the value held.
    enum EType {
        eNone = 0,   // no value
        eInt = 1,    // a 32-bit integer
        eReal = 2,   // a double
        eBool = 3,   // a boolean
        eColor = 4,  // a CVyrRgbColor
        eText = 5    // a CVyrString
    };

    // No value.
    CVyrPreference();
    // An integer.
    explicit CVyrPreference(int value);
    // A real.
    explicit CVyrPreference(double value);
    // A boolean.
    explicit CVyrPreference(bool value);
    // A colour.
    explicit CVyrPreference(const CVyrRgbColor& value);
    // A text.
    explicit CVyrPreference(const CVyrString& value);
    // A text (null: empty); without this a literal would be taken for a boolean.
    explicit CVyrPreference(const wchar_t* value);

    // The type held.
    EType GetType() const { return m_type; }
    // True while no value is held.
    bool IsEmpty() const { return m_type == eNone; }

    // The value as an integer (eInt, or eBool as 0 or 1); false otherwise, `value` unchanged.
    bool GetValue(int& value) const;
    // The value as a real (eReal, or eInt); false otherwise, `value` unchanged.
    bool GetValue(double& value) const;
    // The value as a boolean (eBool, or eInt non-zero); false otherwise, `value` unchanged.
    bool GetValue(bool& value) const;
    // The colour (eColor only); false otherwise, `value` unchanged.
    bool GetValue(CVyrRgbColor& value) const;
    // The text (eText only); false otherwise, `value` unchanged.
    bool GetValue(CVyrString& value) const;

    // This value in the type `type`, when it converts without loss (as the getters read it);
    // false otherwise, `converted` unchanged. Converting to eNone always fails.
    bool ConvertTo(EType type, CVyrPreference& converted) const;

    // Same type and value (reals compared exactly).
    bool operator==(const CVyrPreference& other) const;
    // Another type or value.
    bool operator!=(const CVyrPreference& other) const { return !(*this == other); }

private:
    EType m_type = eNone;
    int m_int = 0;
    double m_real = 0.0;
    CVyrRgbColor m_color;
    CVyrString m_text;
};
