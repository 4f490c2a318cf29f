#include "DsGlStateCache.h"

#include "DsAttributes.h"
#include "DsColorStorage.h"
#include "DsGlSeam.h"
#include "DsPlotPallete.h"
#include "DsView3dCdc.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kLayerDepth = 0.00001f;

bool IsSpecialLineState(int state)
{
    return state == 3 || state == 4 || state == 5 || state == 11;
}

}  // namespace

// --- CDsGlStateCache ----------------------------------------------------------------------------

void CDsGlStateCache::Reset()
{
    m_color = 0;
    gDsGl.Color3ub(0, 0, 0);
    m_lineWidth = 1;
    gDsGl.LineWidth(1.0f);
    m_depthNear = 0.0f;
    m_depthFar = 1.0f;
    gDsGl.DepthRange(0.0, 1.0);
    m_stippleFactor = 1;
    m_stipplePattern = 0xFFFF;
    gDsGl.LineStipple(1, 0xFFFF);
    m_offsetFactor = m_offsetUnits = 0.0f;
    gDsGl.PolygonOffset(0.0f, 0.0f);
    m_polygonFace = GL_FRONT_AND_BACK;
    m_polygonMode = GL_FILL;
    gDsGl.PolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    m_material = SMaterial();
    const float none[5] = {0, 0, 0, 0, 0};
    DsSetGlMaterial(0, 0, none[0], none[1], none[2], none[3], none[4], 0);
    m_material.lightModelName = GL_LIGHT_MODEL_TWO_SIDE;
    m_material.lightModelValue = 0;
}

void CDsGlStateCache::SetColor(uint32_t color)
{
    color &= 0x00FFFFFF;
    if (color == m_color) return;
    m_color = color;
    gDsGl.Color3ub(static_cast<GLubyte>(color & 0xFF), static_cast<GLubyte>((color >> 8) & 0xFF),
                   static_cast<GLubyte>((color >> 16) & 0xFF));
}

void CDsGlStateCache::SetLineWidth(int width)
{
    if (width == m_lineWidth) return;
    m_lineWidth = width;
    gDsGl.LineWidth(static_cast<GLfloat>(width));
}

void CDsGlStateCache::SetDepthRange(float zNear, float zFar)
{
    if (zNear == m_depthNear && zFar == m_depthFar) return;
    m_depthNear = zNear;
    m_depthFar = zFar;
    gDsGl.DepthRange(zNear, zFar);
}

void CDsGlStateCache::SetLineStipple(int factor, uint16_t pattern)
{
    if (factor == m_stippleFactor && pattern == m_stipplePattern) return;
    m_stippleFactor = factor;
    m_stipplePattern = pattern;
    gDsGl.LineStipple(factor, pattern);
}

void CDsGlStateCache::SetPolygonModeFill()
{
    if (m_polygonFace == GL_FRONT_AND_BACK && m_polygonMode == GL_FILL) return;
    m_polygonFace = GL_FRONT_AND_BACK;
    m_polygonMode = GL_FILL;
    gDsGl.PolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void CDsGlStateCache::SetPolygonOffset(float factor, float units)
{
    if (factor == m_offsetFactor && units == m_offsetUnits) return;
    m_offsetFactor = factor;
    m_offsetUnits = units;
    gDsGl.PolygonOffset(factor, units);
}

void CDsGlStateCache::SetDepthLayer(int layer)
{
    float zNear = 0.0f, zFar = 1.0f;
    DsGetDepthLayerRange(layer, zNear, zFar);
    SetDepthRange(zNear, zFar);
    if (!gDsGl.IsEnabled(GL_DEPTH_TEST)) gDsGl.Enable(GL_DEPTH_TEST);
}

void CDsGlStateCache::Invalidate()
{
    // Values no setter can ask for: colours have 24 bits, widths and stipple factors are positive,
    // depth ranges lie in 0 to 1, a NaN offset equals nothing, face 0 is no face.
    m_color = 0xFFFFFFFFu;
    m_lineWidth = -1;
    m_depthNear = m_depthFar = -1.0f;
    m_stippleFactor = 0;
    m_offsetFactor = m_offsetUnits = std::nanf("");
    m_polygonFace = 0;
    m_material = SMaterial();
    m_material.color = 0xFFFFFFFFu;
}

// --- Free helpers -------------------------------------------------------------------------------

void DsSetColor(CDsGlStateCache* cache, uint32_t color)
{
    if (cache) {
        cache->SetColor(color);
        return;
    }
    gDsGl.Color3ub(static_cast<GLubyte>(color & 0xFF), static_cast<GLubyte>((color >> 8) & 0xFF),
                   static_cast<GLubyte>((color >> 16) & 0xFF));
}

void DsGlSetEnabled(GLenum capability, bool on)
{
    const bool enabled = gDsGl.IsEnabled(capability) == GL_TRUE;
    if (enabled == on) return;
    if (on)
        gDsGl.Enable(capability);
    else
        gDsGl.Disable(capability);
}

void DsGetDepthLayerRange(int layer, float& zNear, float& zFar)
{
    if (layer < 0 || layer > 2) {
        zNear = 0.0f;
        zFar = 1.0f;
        return;
    }
    zNear = static_cast<float>(layer) * kLayerDepth;
    zFar = zNear + kLayerDepth;
}

int DsGetDepthLayerForState(int state, int depthMode, bool onTop)
{
    if (state == 3 || state == 4 || state == 5) return eDsDepthLayerSpecial;
    if (state == 11) return eDsDepthLayerThin;
    if (onTop) return eDsDepthLayerOnTop;
    return depthMode != 0 ? eDsDepthLayerFull : eDsDepthLayerThin;
}

void DsSetLineWidthForState(CDsAttributes& attributes, int state)
{
    if (CDsView3dCdc::StGetPlotMode() == ePlotModePenWidths) {
        CDsColorStorage color(attributes.GetColor());
        attributes.SetLineWidth(CDsPlotPallete::StGetInstance()->GetWidth(&color));
        return;
    }
    const int least = IsSpecialLineState(state) ? 2 : 1;
    if (attributes.GetLineWidth() < least) attributes.SetLineWidth(least);
}

int DsDecodeDrawStyle(int kind, int stateWord, int depthMode, CDsAttributes& attributes, int& offset)
{
    const int state = stateWord & 0xFF;
    const int layer = kind == 4 ? eDsDepthLayerFull : DsGetDepthLayerForState(state, depthMode, (stateWord & 0x100) != 0);
    if (kind == 1 || kind == 2 || kind == 8) DsSetLineWidthForState(attributes, state);
    offset = (stateWord >> 10) & 0x3;
    if (stateWord & 0x1000) offset = -offset;
    return layer;
}

void DsRgbToHls(uint32_t color, float& hue, float& lightness, float& saturation)
{
    const float r = static_cast<float>(color & 0xFF) / 255.0f;
    const float g = static_cast<float>((color >> 8) & 0xFF) / 255.0f;
    const float b = static_cast<float>((color >> 16) & 0xFF) / 255.0f;
    const float high = std::max({r, g, b}), low = std::min({r, g, b});
    lightness = (high + low) / 2.0f;
    const float delta = high - low;
    if (delta < 0.00001f) {
        hue = saturation = 0.0f;
        return;
    }
    saturation = lightness <= 0.5f ? delta / (high + low) : delta / (2.0f - high - low);
    if (r == high)
        hue = (g - b) / delta;
    else if (g == high)
        hue = 2.0f + (b - r) / delta;
    else
        hue = 4.0f + (r - g) / delta;
    hue *= 60.0f;
    if (hue < 0.0f) hue += 360.0f;
}

namespace {

float HueChannel(float m1, float m2, float hue)
{
    if (hue > 360.0f) hue -= 360.0f;
    if (hue < 0.0f) hue += 360.0f;
    if (hue < 60.0f) return m1 + (m2 - m1) * hue / 60.0f;
    if (hue < 180.0f) return m2;
    if (hue < 240.0f) return m1 + (m2 - m1) * (240.0f - hue) / 60.0f;
    return m1;
}

uint32_t Byte(float value)
{
    const float scaled = std::round(std::min(1.0f, std::max(0.0f, value)) * 255.0f);
    return static_cast<uint32_t>(scaled);
}

}  // namespace

uint32_t DsHlsToRgb(float hue, float lightness, float saturation)
{
    float r = lightness, g = lightness, b = lightness;
    if (saturation != 0.0f) {
        const float m2 = lightness <= 0.5f ? lightness * (1.0f + saturation) : lightness + saturation - lightness * saturation;
        const float m1 = 2.0f * lightness - m2;
        r = HueChannel(m1, m2, hue + 120.0f);
        g = HueChannel(m1, m2, hue);
        b = HueChannel(m1, m2, hue - 120.0f);
    }
    return Byte(r) | (Byte(g) << 8) | (Byte(b) << 16);
}

void DsLightenColor(int kind, CDsAttributes& attributes, bool lighten)
{
    if (!lighten || !(kind == 1 || kind == 2 || kind == 8 || kind == 16)) return;
    float hue = 0, lightness = 0, saturation = 0;
    DsRgbToHls(attributes.GetColor(), hue, lightness, saturation);
    lightness += (1.0f - lightness) * 0.5f;
    attributes.SetColor(DsHlsToRgb(hue, lightness, saturation));
}

void DsSetGlMaterial(uint32_t color, uint8_t alpha, float ambient, float diffuse, float specular, float shininess,
                     float emission, int twoSide)
{
    const float scale = 1.0f / 255.0f;
    const float r = static_cast<float>(color & 0xFF) * scale, g = static_cast<float>((color >> 8) & 0xFF) * scale,
                b = static_cast<float>((color >> 16) & 0xFF) * scale, a = static_cast<float>(alpha) * scale;
    gDsGl.LightModeli(GL_LIGHT_MODEL_TWO_SIDE, twoSide);
    const float amb[4] = {r * ambient, g * ambient, b * ambient, a};
    const float dif[4] = {r * diffuse, g * diffuse, b * diffuse, a};
    const float spe[4] = {r * specular, g * specular, b * specular, a};
    const float emi[4] = {r * emission, g * emission, b * emission, a};
    gDsGl.Materialfv(GL_FRONT_AND_BACK, GL_AMBIENT, amb);
    gDsGl.Materialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, dif);
    gDsGl.Materialfv(GL_FRONT_AND_BACK, GL_SPECULAR, spe);
    gDsGl.Materialfv(GL_FRONT_AND_BACK, GL_EMISSION, emi);
    gDsGl.Materialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
}

void DsSetGlMaterialIfChanged(CDsGlStateCache* cache, uint32_t color, uint8_t alpha, const float factors[5],
                              int twoSide)
{
    if (cache) {
        CDsGlStateCache::SMaterial& m = cache->Material();
        const bool same = m.color == color && m.alpha == alpha && m.factors[0] == factors[0] &&
                          m.factors[1] == factors[1] && m.factors[2] == factors[2] && m.factors[3] == factors[3] &&
                          m.factors[4] == factors[4] && m.lightModelName == GL_LIGHT_MODEL_TWO_SIDE &&
                          m.lightModelValue == twoSide;
        if (same) return;
        m.color = color;
        m.alpha = alpha;
        std::copy(factors, factors + 5, m.factors);
        m.lightModelName = GL_LIGHT_MODEL_TWO_SIDE;
        m.lightModelValue = twoSide;
    }
    DsSetGlMaterial(color, alpha, factors[0], factors[1], factors[2], factors[3], factors[4], twoSide);
}
