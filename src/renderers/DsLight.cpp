// CDsLight: one OpenGL light, its text form and the reading of that text.
#include "DsLight.h"

#include "DsColorStorage.h"
#include "DsFigQuadric.h"

#include "DsGlScene.h"
#include "DsLightList.h"
#include "DsSetupFileLines.h"

#include <view3d.h>

#include <afx.h>
#include <vyrwin_codec.h>

#include <GL/gl.h>

#include <cctype>
#include <charconv>
#include <cmath>

namespace {

const double kPi = 3.14159265358979323846;

// The underscores of line 10.
const char kSeparator[] = "___________________________________________";

void Copy(float* to, const float* from, int n)
{
    for (int i = 0; i < n; ++i) to[i] = from[i];
}

void Set4(float* to, float a, float b, float c, float d)
{
    to[0] = a;
    to[1] = b;
    to[2] = c;
    to[3] = d;
}

// Reads up to `n` floats into `to`, field by field: a given value is taken, a refused one keeps
// the field's value.
void ReadFloats(CDsLightTextLine& line, float* to, int n)
{
    for (int i = 0; i < n; ++i) {
        float value = 0.0f;
        const CDsLightTextLine::EField got = line.Float(value);
        if (got == CDsLightTextLine::eMissing) return;
        if (got == CDsLightTextLine::eGiven) to[i] = value;
    }
}

// The cutoff clamp of SetSpotProperties, in degrees.
float ClampCutoff(float degrees)
{
    if (degrees > 90.0f && degrees != 180.0f) return 90.0f;
    if (degrees < 0.0f) return 0.0f;
    return degrees;
}

float ClampExponent(float exponent)
{
    return exponent < 0.0f ? 0.0f : (exponent > 128.0f ? 128.0f : exponent);
}

float ClampAttenuation(float value)
{
    return value < 0.0f ? 0.0f : value;
}

// Fits a point or direction given to a setter into `to`: false (nothing stored) when a coordinate
// is not finite; a triple whose largest coordinate is beyond CDsLightTextLine::kMaxNumber is scaled
// down along its line from the origin until that coordinate is at the bound.
bool FitTriple(const double* xyz, float* to)
{
    double largest = 0.0;
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(xyz[i])) return false;
        largest = std::fmax(largest, std::fabs(xyz[i]));
    }
    const double bound = CDsLightTextLine::kMaxNumber;
    const double scale = largest > bound ? bound / largest : 1.0;
    for (int i = 0; i < 3; ++i) to[i] = static_cast<float>(std::fmin(std::fmax(xyz[i] * scale, -bound), bound));
    return true;
}

bool FitTriple(const float* xyz, float* to)
{
    const double wide[3] = {xyz[0], xyz[1], xyz[2]};
    return FitTriple(wide, to);
}

}  // namespace

// --- CDsLight ------------------------------------------------------------------------------

CDsLight::CDsLight(EDsLightID id, CDsLightList* owner) : m_owner(owner), m_lamp(new CDsFigQuadric)
{
    ResetMembers();
    m_id = id;
}

CDsLight::CDsLight(const CDsLight& other) : m_owner(other.m_owner), m_lamp(new CDsFigQuadric)
{
    ResetMembers();
    CopyObject(other);
}

CDsLight& CDsLight::operator=(const CDsLight& other)
{
    if (this != &other) CopyObject(other);
    return *this;
}

CDsLight::~CDsLight()
{
    delete m_lamp;
}

void CDsLight::CopyObject(const CDsLight& other)
{
    m_on = other.m_on;
    m_id = other.m_id;
    m_type = other.m_type;
    m_colour = other.m_colour;
    Copy(m_ambient, other.m_ambient, 4);
    Copy(m_diffuse, other.m_diffuse, 4);
    Copy(m_specular, other.m_specular, 4);
    Copy(m_position, other.m_position, 4);
    Copy(m_target, other.m_target, 3);
    Copy(m_attenuation, other.m_attenuation, 3);
    m_spotCutoff = other.m_spotCutoff;
    m_spotExponent = other.m_spotExponent;
    Copy(m_spotDirection, other.m_spotDirection, 3);
}

void CDsLight::ResetMembers()
{
    m_on = false;
    m_id = eDsLight0;
    m_type = eDsLightDirectional;
    m_colour = 0xFFFFFF;
    Set4(m_ambient, 0.0f, 0.0f, 0.0f, 1.0f);
    Set4(m_diffuse, 1.0f, 1.0f, 1.0f, 1.0f);
    Set4(m_specular, 1.0f, 1.0f, 1.0f, 1.0f);
    Set4(m_position, -100.0f, 0.0f, 100.0f, 0.0f);
    m_target[0] = m_target[1] = m_target[2] = 0.0f;
    m_attenuation[0] = 1.0f;
    m_attenuation[1] = m_attenuation[2] = 0.0f;
    m_spotCutoff = 1.0f;
    m_spotExponent = 1.0f;
    m_spotDirection[0] = m_spotDirection[1] = 0.0f;
    m_spotDirection[2] = -1.0f;
}

void CDsLight::TurnOn(bool on)
{
    m_on = on;
    RefreshFigure();
}

void CDsLight::SetType(EDsLightType type)
{
    m_type = type;
    if (type == eDsLightDirectional) {
        m_position[3] = 0.0f;
        m_target[0] = m_target[1] = m_target[2] = 0.0f;
    } else if (type == eDsLightPositional || type == eDsLightSpot) {
        m_position[3] = 1.0f;
    }
    RefreshFigure();
}

void CDsLight::SetProperties(unsigned long colour, float ambient, float diffuse, float specular)
{
    m_colour = static_cast<uint32_t>(colour);
    const float intensities[3] = {ambient, diffuse, specular};
    float* const terms[3] = {m_ambient, m_diffuse, m_specular};
    for (int t = 0; t < 3; ++t) {
        if (!std::isfinite(intensities[t])) continue;  // the term keeps its colour
        const float intensity = CDsLightTextLine::Fit(intensities[t], 0.0f);
        for (int i = 0; i < 3; ++i) terms[t][i] = static_cast<float>((m_colour >> (8 * i)) & 0xFF) / 255.0f * intensity;
    }
    RefreshFigure();
}

void CDsLight::GetProperties(unsigned long& colour, float& ambient, float& diffuse, float& specular) const
{
    colour = m_colour;
    for (int i = 0; i < 3; ++i) {
        const unsigned channel = (m_colour >> (8 * i)) & 0xFF;
        if (channel == 0) continue;
        const float fraction = static_cast<float>(channel) / 255.0f;
        ambient = m_ambient[i] / fraction;
        diffuse = m_diffuse[i] / fraction;
        specular = m_specular[i] / fraction;
        return;
    }
    ambient = 0.0f;
    diffuse = 1.0f;
    specular = 1.0f;
}

void CDsLight::SetPosition(const float* xyz)
{
    if (!xyz || !FitTriple(xyz, m_position)) return;
    RefreshFigure();
}

void CDsLight::GetPosition(float* xyz) const
{
    if (xyz) Copy(xyz, m_position, 3);
}

void CDsLight::SetTarget(const float* xyz)
{
    if (!xyz || !FitTriple(xyz, m_target)) return;
    RefreshFigure();
}

void CDsLight::GetTarget(float* xyz) const
{
    if (xyz) Copy(xyz, m_target, 3);
}

void CDsLight::SetAttenuation(float constant, float linear, float quadratic)
{
    const float values[3] = {constant, linear, quadratic};
    for (int i = 0; i < 3; ++i)
        if (std::isfinite(values[i])) m_attenuation[i] = ClampAttenuation(CDsLightTextLine::Fit(values[i], 0.0f));
}

void CDsLight::GetAttenuation(float& constant, float& linear, float& quadratic) const
{
    constant = m_attenuation[0];
    linear = m_attenuation[1];
    quadratic = m_attenuation[2];
}

void CDsLight::SetSpotProperties(float cutoffDegrees, float exponent)
{
    if (std::isfinite(cutoffDegrees)) SetSpotCutoffInRadians(ClampCutoff(cutoffDegrees));
    if (std::isfinite(exponent)) m_spotExponent = ClampExponent(exponent);
}

void CDsLight::GetSpotProperties(float& cutoffDegrees, float& exponent) const
{
    cutoffDegrees = GetSpotCutoffInDegrees();
    exponent = m_spotExponent;
}

// The conversions run in double: in float each would add its own rounding to the one of keeping
// the angle in radians, and a cutoff written and read again would drift further.
float CDsLight::GetSpotCutoffInDegrees() const
{
    return static_cast<float>(static_cast<double>(m_spotCutoff) * 180.0 * (1.0 / kPi));
}

void CDsLight::SetSpotCutoffInRadians(float degrees)
{
    m_spotCutoff = static_cast<float>(static_cast<double>(degrees) * kPi / 180.0);
}

float CDsLight::GetSpotCutoffForGl() const
{
    // Degrees come back from radians a rounding away from where they were set: 180 and 90 must
    // reach OpenGL as exactly 180 and at most 90.
    const float degrees = GetSpotCutoffInDegrees();
    if (std::fabs(degrees - 180.0f) < 1e-3f) return 180.0f;
    if (!(degrees >= 0.0f)) return 0.0f;
    return degrees > 90.0f ? 90.0f : degrees;
}

void CDsLight::SetSpotDirection(const float* xyz)
{
    if (xyz) FitTriple(xyz, m_spotDirection);
}

void CDsLight::GetSpotDirection(float* xyz) const
{
    if (xyz) Copy(xyz, m_spotDirection, 3);
}

void CDsLight::SetDistance(float d)
{
    if (!std::isfinite(d)) return;
    if (d == 0.0f) {
        Copy(m_position, m_target, 3);
        return;
    }
    const float c = GetDistance();
    if (c == 0.0f) {
        m_position[0] = CDsLightTextLine::Fit(d, m_position[0]);
        return;
    }
    // In double, so that a tiny c cannot make the scale overflow; then fitted as SetPosition fits.
    const double scale = static_cast<double>(d) / c;
    const double scaled[3] = {m_position[0] * scale, m_position[1] * scale, m_position[2] * scale};
    FitTriple(scaled, m_position);
}

float CDsLight::GetDistance() const
{
    const float dx = m_position[0] - m_target[0], dy = m_position[1] - m_target[1], dz = m_position[2] - m_target[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void CDsLight::SetToView(view3d* view) const
{
    if (!view) return;
    // While the scene's shaders light the faces the fixed lights are not theirs to send.
    if (DsShadersLightFaces(view)) return;
    const GLenum light = static_cast<GLenum>(GL_LIGHT0 + m_id);
    if (m_on)
        glEnable(light);
    else
        glDisable(light);
    glLightfv(light, GL_AMBIENT, m_ambient);
    glLightfv(light, GL_DIFFUSE, m_diffuse);
    glLightfv(light, GL_SPECULAR, m_specular);
    glLightfv(light, GL_POSITION, m_position);
    if (m_type == eDsLightPositional || m_type == eDsLightSpot) {
        glLightf(light, GL_CONSTANT_ATTENUATION, m_attenuation[0]);
        glLightf(light, GL_LINEAR_ATTENUATION, m_attenuation[1]);
        glLightf(light, GL_QUADRATIC_ATTENUATION, m_attenuation[2]);
    }
    if (m_type == eDsLightSpot) {
        glLightf(light, GL_SPOT_EXPONENT, m_spotExponent);
        glLightf(light, GL_SPOT_CUTOFF, GetSpotCutoffForGl());
        glLightfv(light, GL_SPOT_DIRECTION, m_spotDirection);
    } else {
        glLightf(light, GL_SPOT_CUTOFF, 180.0f);
    }
}

void CDsLight::DrawFigure(view3d* /*view*/) const
{
}

// --- Lamp ---------------------------------------------------------------------------------------

EDsQuadType CDsLight::GetFigureType() const
{
    switch (m_type) {
    case eDsLightDirectional:
        return eDsQuadCylinder;
    case eDsLightSpot:
        return eDsQuadCone;
    default:
        return eDsQuadSphere;
    }
}

void CDsLight::UpdateFigureData()
{
    m_lamp->SetColor(CDsColorStorage(static_cast<uint8_t>(m_colour & 0xFF), static_cast<uint8_t>((m_colour >> 8) & 0xFF),
                                     static_cast<uint8_t>((m_colour >> 16) & 0xFF)),
                     false);
    m_lamp->SetPosition(m_position);
    m_lamp->SetTarget(m_target);
    m_lamp->SetType(GetFigureType());
    if (m_owner) m_lamp->SetSize(m_owner->GetLampSize());
    m_lamp->ReDefineFig();
}

void CDsLight::RemoveFigure()
{
    m_lamp->Remove(nullptr);
}

void CDsLight::RecordFigure(bool show)
{
    if (show && m_on) {
        UpdateFigureData();
        m_lamp->Record(true, nullptr);
    } else {
        RemoveFigure();
    }
}

void CDsLight::RefreshFigure()
{
    if (m_owner && m_owner->GetDrawLightFiguresMode()) RecordFigure(true);
}

// --- Text form ----------------------------------------------------------------------------

std::string CDsLight::GetLine(int index) const
{
    std::string line;
    auto floats = [&line](const char* label, const float* values, int n) {
        line = label;
        for (int i = 0; i < n; ++i) {
            line += ' ';
            CDsLightTextLine::AppendFloat(line, values[i]);
        }
    };
    switch (index) {
    case 0:
        line = "Light ";
        CDsLightTextLine::AppendInt(line, m_id);
        line += " On ";
        CDsLightTextLine::AppendInt(line, m_on ? 1 : 0);
        line += " Type ";
        CDsLightTextLine::AppendInt(line, m_type);
        line += " Color ";
        CDsLightTextLine::AppendInt(line, static_cast<int32_t>(m_colour));
        break;
    case 1: floats("Ambient", m_ambient, 4); break;
    case 2: floats("Diffuse", m_diffuse, 4); break;
    case 3: floats("Specular", m_specular, 4); break;
    case 4: floats("Position", m_position, 4); break;
    case 5: floats("Target", m_target, 3); break;
    case 6: floats("Attenuation", m_attenuation, 3); break;
    case 7: {
        const float spot[2] = {GetSpotCutoffInDegrees(), m_spotExponent};
        floats("Spot", spot, 2);
        break;
    }
    case 8: floats("SpotDirection", m_spotDirection, 3); break;
    case 9: line = kSeparator; break;
    default: line = " "; break;
    }
    return line;
}

bool CDsLight::ReadLine(int index, const std::string& text)
{
    if (index < 0 || index > 8) return true;  // the separator and the blank line
    CDsLightTextLine line(text);
    if (!line.Word()) {
        if (index == 7) m_spotCutoff = 0.0f;  // a Spot line without a cutoff reads 0
        return false;
    }
    bool refused = false;  // a number that cannot be the field's value
    switch (index) {
    case 0: {
        int value = 0;
        CDsLightTextLine::EField got = line.Int(value);
        if (got == CDsLightTextLine::eGiven) {
            if (value >= eDsLight0 && value < eDsLightCount)
                m_id = static_cast<EDsLightID>(value);
            else
                refused = true;
        }
        if (got == CDsLightTextLine::eMissing || !line.Word()) break;
        got = line.Int(value);
        if (got == CDsLightTextLine::eGiven) m_on = value != 0;
        if (got == CDsLightTextLine::eMissing || !line.Word()) break;
        got = line.Int(value);
        if (got == CDsLightTextLine::eGiven) {
            if (value >= eDsLightDirectional && value <= eDsLightSpot)
                m_type = static_cast<EDsLightType>(value);
            else
                refused = true;
        }
        if (got == CDsLightTextLine::eMissing || !line.Word()) break;
        if (line.Int(value) == CDsLightTextLine::eGiven) m_colour = static_cast<uint32_t>(value);
        break;
    }
    case 1: ReadFloats(line, m_ambient, 4); break;
    case 2: ReadFloats(line, m_diffuse, 4); break;
    case 3: ReadFloats(line, m_specular, 4); break;
    case 4: ReadFloats(line, m_position, 4); break;
    case 5: ReadFloats(line, m_target, 3); break;
    case 6: {
        float values[3] = {m_attenuation[0], m_attenuation[1], m_attenuation[2]};
        ReadFloats(line, values, 3);
        for (int i = 0; i < 3; ++i) m_attenuation[i] = ClampAttenuation(values[i]);
        break;
    }
    case 7: {
        float cutoff = 0.0f;
        const CDsLightTextLine::EField got = line.Float(cutoff);
        if (got == CDsLightTextLine::eMissing)
            m_spotCutoff = 0.0f;
        else if (got == CDsLightTextLine::eGiven)
            SetSpotCutoffInRadians(ClampCutoff(cutoff));
        if (got == CDsLightTextLine::eMissing) break;
        float exponent = 0.0f;
        if (line.Float(exponent) == CDsLightTextLine::eGiven) m_spotExponent = ClampExponent(exponent);
        break;
    }
    default: ReadFloats(line, m_spotDirection, 3); break;
    }
    return !line.Faulty() && !refused;
}

void CDsLight::ReadLines(CDsSetupFileLines& lines)
{
    std::string text;
    CDsSetupFileLines::ELine kind = CDsSetupFileLines::eLineText;
    for (int i = 0; i < kTextLines; ++i) {
        if (!lines.Next(text, kind)) return;
        // A line the reader dropped (overlong, binary, cut) has been noted by it and reads as empty.
        if (!ReadLine(i, text) && kind == CDsSetupFileLines::eLineText)
            lines.NoteFault("gives only part of its values; the others were kept");
    }
}

void CDsLight::Save(CStdioFile* file) const
{
    if (!file) return;
    for (int i = 0; i < kTextLines; ++i) {
        const std::wstring line = CDsLightTextLine::Widen(GetLine(i)) + L"\n";
        file->WriteString(line.c_str());
    }
}

void CDsLight::Load(CStdioFile* file)
{
    if (!file) return;
    CDsSetupFileLines lines(*file);
    ReadLines(lines);
    lines.Report(vyrwin::Utf8FromWide(file->GetFileName().GetString()).c_str());
}

void CDsLight::Get(std::deque<std::wstring>* lines) const
{
    if (!lines) return;
    for (int i = 0; i < kTextLines; ++i) lines->push_back(CDsLightTextLine::Widen(GetLine(i)));
}

void CDsLight::Set(std::deque<std::wstring>* lines)
{
    if (!lines) return;
    for (int i = 0; i < kTextLines && !lines->empty(); ++i) {
        const std::string text = CDsLightTextLine::Narrow(lines->front());
        lines->pop_front();
        ReadLine(i, text);
    }
}

// --- CDsLightTextLine ------------------------------------------------------------------------

CDsLightTextLine::CDsLightTextLine(const std::string& text) : m_text(text.c_str())
{
}

std::string CDsLightTextLine::Narrow(const std::wstring& text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (wchar_t c : text) bytes.push_back(c >= 0 && c < 0x80 ? static_cast<char>(c) : static_cast<char>(0x80));
    return bytes;
}

std::wstring CDsLightTextLine::Widen(const std::string& text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
}

bool CDsLightTextLine::IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void CDsLightTextLine::SkipBlanks()
{
    while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) ++m_pos;
}

CDsLightTextLine::EField CDsLightTextLine::Missing()
{
    m_ended = true;
    m_faulty = true;
    return eMissing;
}

bool CDsLightTextLine::Word()
{
    if (m_ended) {
        Missing();
        return false;
    }
    SkipBlanks();
    size_t end = m_pos;
    while (end < m_text.size() && !IsBlank(m_text[end])) ++end;
    if (end == m_pos || end - m_pos > kMaxWord) {
        Missing();
        return false;
    }
    m_pos = end;
    return true;
}

CDsLightTextLine::EField CDsLightTextLine::Int(int& value)
{
    if (m_ended) return Missing();
    SkipBlanks();
    size_t p = m_pos;
    bool negative = false;
    if (p < m_text.size() && (m_text[p] == '+' || m_text[p] == '-')) negative = m_text[p++] == '-';
    const size_t digits = p;
    long long magnitude = 0;
    bool tooLarge = false;
    for (; p < m_text.size() && m_text[p] >= '0' && m_text[p] <= '9'; ++p) {
        if (!tooLarge) magnitude = magnitude * 10 + (m_text[p] - '0');
        tooLarge = tooLarge || magnitude > 2147483648LL;
    }
    if (p == digits) return Missing();
    m_pos = p;
    const long long signedValue = negative ? -magnitude : magnitude;
    if (tooLarge || signedValue > 2147483647LL || signedValue < -2147483648LL) {
        m_faulty = true;
        return eRefused;
    }
    value = static_cast<int>(signedValue);
    return eGiven;
}

CDsLightTextLine::EField CDsLightTextLine::Float(float& value)
{
    if (m_ended) return Missing();
    SkipBlanks();
    const size_t start = m_pos;
    size_t p = start;
    auto at = [this](size_t i) { return i < m_text.size() ? m_text[i] : '\0'; };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    auto matches = [&](size_t i, const char* word) {
        for (size_t k = 0; word[k]; ++k)
            if ((at(i + k) | 0x20) != word[k]) return false;
        return true;
    };
    if (at(p) == '+' || at(p) == '-') ++p;
    // Infinities and not-a-numbers are read as numbers, and refused.
    if (matches(p, "inf") || matches(p, "nan")) {
        if (matches(p, "infinity"))
            p += 8;
        else if (matches(p, "inf"))
            p += 3;
        else {
            p += 3;
            if (at(p) == '(') {
                size_t q = p + 1;
                while (std::isalnum(static_cast<unsigned char>(at(q))) || at(q) == '_') ++q;
                if (at(q) == ')') p = q + 1;
            }
        }
        m_pos = p;
        m_faulty = true;
        return eRefused;
    }
    size_t digits = 0;
    while (isDigit(at(p))) ++p, ++digits;
    if (at(p) == '.') {
        ++p;
        while (isDigit(at(p))) ++p, ++digits;
    }
    if (digits == 0) return Missing();
    if (at(p) == 'e' || at(p) == 'E') {
        size_t q = p + 1;
        if (at(q) == '+' || at(q) == '-') ++q;
        if (isDigit(at(q))) {
            while (isDigit(at(q))) ++q;
            p = q;
        }
    }
    m_pos = p;
    // from_chars takes no '+' and reads in the C locale whatever the process's locale is.
    const char* first = m_text.data() + (at(start) == '+' ? start + 1 : start);
    double number = 0.0;
    const std::from_chars_result result = std::from_chars(first, m_text.data() + p, number);
    if (result.ec != std::errc() || result.ptr != m_text.data() + p || !std::isfinite(number) ||
        std::fabs(number) > kMaxNumber) {
        m_faulty = true;
        return eRefused;
    }
    value = static_cast<float>(number);
    return eGiven;
}

float CDsLightTextLine::Fit(float value, float kept)
{
    if (!std::isfinite(value)) return kept;
    const float bound = static_cast<float>(kMaxNumber);
    return value > bound ? bound : (value < -bound ? -bound : value);
}

void CDsLightTextLine::AppendInt(std::string& line, long long value)
{
    char buffer[32];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    line.append(buffer, result.ptr);
}

void CDsLightTextLine::AppendFloat(std::string& line, float value)
{
    char buffer[400];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::fixed, 6);
    line.append(buffer, result.ptr);
}
