// CDsMaterialStorage: five material bytes, their conversions, and the OpenGL material of faces.
#include "DsMaterialStorage.h"

#include "DsLineAttribStorage.h"

#include "rgb_color.h"
#include "view3d.h"

#include <algorithm>
#include <cmath>

const CDsMaterialStorage gDsDefaultMaterial;

namespace {

// The OpenGL material state of the faces.
struct SGlMaterialState {
    // The current material, when one was set (else the default material).
    CDsMaterialStorage current;
    bool hasCurrent = false;
    // The last applied source, when there is one.
    SDsGlMaterialSource last;
    bool hasLast = false;
};

SGlMaterialState& State()
{
    static SGlMaterialState state;
    return state;
}

// Used when a caller does not ask for two-sided lighting: 0, the faces' own sides decide; 1 while
// the library's two-sided drawing is on (DsSetGlTwoSidedDrawing).
int sTwoSidedDrawing = 0;

const CDsMaterialStorage& CurrentMaterial()
{
    const SGlMaterialState& state = State();
    return state.hasCurrent ? state.current : gDsDefaultMaterial;
}

// A fraction (clamped to 0..1) x 255, truncated; `byte` kept for a NaN.
void FractionToByte(float value, uint8_t& byte)
{
    if (std::isnan(value)) return;
    byte = static_cast<uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f);
}

}  // namespace

VYR_REGISTER_TEST_RESET(CDsMaterialStorage::ResetGlMaterialStateForTests, [] {
    CDsMaterialStorage::ResetGlMaterialStateForTests();
    return true;
});

CDsMaterialStorage::CDsMaterialStorage(uint8_t ambient, uint8_t diffuse, uint8_t specular, uint8_t shininess,
                                       uint8_t emission)
    : m_ambient(ambient), m_diffuse(diffuse), m_specular(specular), m_shininess(shininess), m_emission(emission)
{
}

CDsMaterialStorage::CDsMaterialStorage(const CDsMaterialStorage& other) : CDsMaterialStorage()
{
    CopyObject(other);
}

CDsMaterialStorage& CDsMaterialStorage::operator=(const CDsMaterialStorage& other)
{
    CopyObject(other);
    return *this;
}

void CDsMaterialStorage::CopyObject(const CDsMaterialStorage& other)
{
    SetData(other.m_ambient, other.m_diffuse, other.m_specular, other.m_shininess, other.m_emission);
}

void CDsMaterialStorage::ResetMembers()
{
    SetData(uint8_t(255), uint8_t(190), uint8_t(128), uint8_t(10), uint8_t(0));
}

void CDsMaterialStorage::GetData(uint8_t& ambient, uint8_t& diffuse, uint8_t& specular, uint8_t& shininess,
                                 uint8_t& emission) const
{
    ambient = m_ambient;
    diffuse = m_diffuse;
    specular = m_specular;
    shininess = m_shininess;
    emission = m_emission;
}

void CDsMaterialStorage::SetData(uint8_t ambient, uint8_t diffuse, uint8_t specular, uint8_t shininess,
                                 uint8_t emission)
{
    m_ambient = ambient;
    m_diffuse = diffuse;
    m_specular = specular;
    m_shininess = shininess;
    m_emission = emission;
}

void CDsMaterialStorage::GetData(float& ambient, float& diffuse, float& specular, float& shininess,
                                 float& emission) const
{
    ambient = m_ambient / 255.0f;
    diffuse = m_diffuse / 255.0f;
    specular = m_specular / 255.0f;
    shininess = m_shininess;
    emission = m_emission / 255.0f;
}

void CDsMaterialStorage::SetData(float ambient, float diffuse, float specular, float shininess, float emission)
{
    FractionToByte(ambient, m_ambient);
    FractionToByte(diffuse, m_diffuse);
    FractionToByte(specular, m_specular);
    if (!std::isnan(shininess)) m_shininess = static_cast<uint8_t>(std::clamp(shininess, 0.0f, 255.0f));
    FractionToByte(emission, m_emission);
}

void CDsMaterialStorage::GetData(int& ambient, int& diffuse, int& specular, int& shininess, int& emission) const
{
    ambient = ComputeByteFromInteger(m_ambient);
    diffuse = ComputeByteFromInteger(m_diffuse);
    specular = ComputeByteFromInteger(m_specular);
    shininess = m_shininess;
    emission = ComputeByteFromInteger(m_emission);
}

void CDsMaterialStorage::SetData(int ambient, int diffuse, int specular, int shininess, int emission)
{
    m_ambient = ComputeByteFromInteger(ambient);
    m_diffuse = ComputeByteFromInteger(diffuse);
    m_specular = ComputeByteFromInteger(specular);
    m_shininess = static_cast<uint8_t>(std::clamp(shininess, 0, 255));
    m_emission = ComputeByteFromInteger(emission);
}

uint8_t CDsMaterialStorage::ComputeByteFromInteger(int percent)
{
    return static_cast<uint8_t>(std::clamp(percent, 0, 100) * 255 * 0.01 + 0.5);
}

int CDsMaterialStorage::ComputeByteFromInteger(uint8_t byte)
{
    return static_cast<int>(byte * 100 / 255.0 + 0.5);
}

void CDsMaterialStorage::ResetGlMaterialStateForTests()
{
    State() = SGlMaterialState();
}

// --- The OpenGL material of faces ---------------------------------------------------------------

void DsSetCurrentGlMaterial(const CDsMaterialStorage* material)
{
    SGlMaterialState& state = State();
    state.hasCurrent = material != nullptr;
    state.current = material ? *material : gDsDefaultMaterial;
}

GLenum DsSetGlFaceSidedness(view3d* view, const SDsGlMaterialSource* source, bool twoSided, bool noCulling)
{
    if (noCulling) {
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
        glDisable(GL_CULL_FACE);
        return GL_FRONT_AND_BACK;
    }
    const int t = twoSided ? 1 : sTwoSidedDrawing;
    const bool transparentPhase = view && view->GetDrawPhase() == eDsDrawPhaseTransparent;
    if (t == 1 || (t == 0 && source && source->sides >= 2)) {
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
        if (!transparentPhase) glDisable(GL_CULL_FACE);
        return GL_FRONT_AND_BACK;
    }
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    if (!transparentPhase) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
    }
    return GL_FRONT;
}

void DsSetGlFaceSidednessIfChanged(const SDsGlMaterialSource* source, view3d* view, bool twoSided)
{
    if (!source) return;
    SGlMaterialState& state = State();
    if (state.hasLast && state.last.sides == source->sides) return;
    DsSetGlFaceSidedness(view, source, twoSided, false);
    state.last = *source;
    state.hasLast = true;
}

void DsApplyGlMaterialFromAttributes(const SDsGlMaterialSource* source, view3d* view, bool twoSided, bool noCulling)
{
    if (!source || !source->attributes) return;
    CDsLineAttribStorage& attributes = *source->attributes;

    float ambient = 0, diffuse = 0, specular = 0, shininess = 0, emission = 0;
    CurrentMaterial().GetData(ambient, diffuse, specular, shininess, emission);

    float rgb[3];
    rgb_color resolved;
    if (attributes.ComputeColorWithoutHighlight(&resolved)) {
        rgb[0] = static_cast<float>(resolved.red());
        rgb[1] = static_cast<float>(resolved.green());
        rgb[2] = static_cast<float>(resolved.blue());
    } else {
        const uint32_t own = attributes.GetColor().GetColorRef();
        rgb[0] = (own & 0xFF) / 255.0f;
        rgb[1] = ((own >> 8) & 0xFF) / 255.0f;
        rgb[2] = ((own >> 16) & 0xFF) / 255.0f;
    }
    const float alpha = attributes.GetTransparencyByte() * 0.003921569f;
    glColor3f(rgb[0], rgb[1], rgb[2]);

    const GLenum face = DsSetGlFaceSidedness(view, source, twoSided, noCulling);
    const auto term = [&](GLenum name, float factor) {
        const GLfloat value[4] = {factor * rgb[0], factor * rgb[1], factor * rgb[2], alpha};
        glMaterialfv(face, name, value);
    };
    term(GL_AMBIENT, ambient);
    term(GL_DIFFUSE, diffuse);
    term(GL_SPECULAR, specular);
    term(GL_EMISSION, emission);
    glMateriali(face, GL_SHININESS, static_cast<GLint>(shininess));

    SGlMaterialState& state = State();
    state.last = *source;
    state.hasLast = true;
}

void DsSetGlTwoSidedDrawing(bool on)
{
    sTwoSidedDrawing = on ? 1 : 0;
}

bool DsGetGlTwoSidedDrawing()
{
    return sTwoSidedDrawing != 0;
}

void DsForgetLastGlMaterial()
{
    State().hasLast = false;
}
