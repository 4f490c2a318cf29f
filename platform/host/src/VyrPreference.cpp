// CVyrPreference: typed values and their lossless conversions.
#include "VyrPreference.h"

CVyrPreference::CVyrPreference() = default;

CVyrPreference::CVyrPreference(int value) : m_type(eInt), m_int(value) {}

CVyrPreference::CVyrPreference(double value) : m_type(eReal), m_real(value) {}

CVyrPreference::CVyrPreference(bool value) : m_type(eBool), m_int(value ? 1 : 0) {}

CVyrPreference::CVyrPreference(const CVyrRgbColor& value) : m_type(eColor), m_color(value) {}

CVyrPreference::CVyrPreference(const CVyrString& value) : m_type(eText), m_text(value) {}

CVyrPreference::CVyrPreference(const wchar_t* value) : m_type(eText), m_text(value) {}

bool CVyrPreference::GetValue(int& value) const {
    if (m_type != eInt && m_type != eBool) return false;
    value = m_int;
    return true;
}

bool CVyrPreference::GetValue(double& value) const {
    if (m_type == eReal) {
        value = m_real;
        return true;
    }
    if (m_type != eInt) return false;
    value = m_int;
    return true;
}

bool CVyrPreference::GetValue(bool& value) const {
    if (m_type != eInt && m_type != eBool) return false;
    value = m_int != 0;
    return true;
}

bool CVyrPreference::GetValue(CVyrRgbColor& value) const {
    if (m_type != eColor) return false;
    value = m_color;
    return true;
}

bool CVyrPreference::GetValue(CVyrString& value) const {
    if (m_type != eText) return false;
    value = m_text;
    return true;
}

bool CVyrPreference::ConvertTo(EType type, CVyrPreference& converted) const {
    switch (type) {
        case eInt: {
            int value = 0;
            if (!GetValue(value)) return false;
            converted = CVyrPreference(value);
            return true;
        }
        case eReal: {
            double value = 0.0;
            if (!GetValue(value)) return false;
            converted = CVyrPreference(value);
            return true;
        }
        case eBool: {
            bool value = false;
            if (!GetValue(value)) return false;
            converted = CVyrPreference(value);
            return true;
        }
        case eColor: {
            CVyrRgbColor value;
            if (!GetValue(value)) return false;
            converted = CVyrPreference(value);
            return true;
        }
        case eText: {
            CVyrString value;
            if (!GetValue(value)) return false;
            converted = CVyrPreference(value);
            return true;
        }
        default:
            return false;
    }
}

bool CVyrPreference::operator==(const CVyrPreference& other) const {
    if (m_type != other.m_type) return false;
    switch (m_type) {
        case eInt:
        case eBool:
            return m_int == other.m_int;
        case eReal:
            return m_real == other.m_real;
        case eColor:
            return m_color == other.m_color;
        case eText:
            return m_text == other.m_text;
        default:
            return true;
    }
}
