// CDsGlStateCache: the OpenGL state a draw walk last sent, so that per-item attribute changes cost
// an OpenGL call only when a value really changes; and the helpers around it: the decoding of an
// item's state word into a depth layer, a line width and a polygon offset, the depth layers that
// keep special and on-top items in front of ordinary ones, the lightening of colours through the
// HLS model, and the material setters shared with the polygon items.
//
// State word (int, one per drawn item): bits 0 to 7 the location state (EAttribSetIndex), bit 8 on
// top, bit 9 own attributes, bits 10 and 11 the polygon-offset magnitude (0 to 3), bit 12 the
// offset sign (set: negative).
//
// Depth layers: layer n (0, 1 or 2) is the depth range n x 0.00001 to n x 0.00001 + 0.00001; layer
// 3 is the whole range 0 to 1. Layer 0 lies in front of layer 1, which lies in front of layer 2;
// all three lie in front of everything drawn in layer 3.
//
// Every OpenGL call goes through the seam (DsGlSeam.h).
//
// Choices where the behaviour was open:
// - The material cache records the two-side value with the material, so that a request equal in
//   colour, alpha, the five factors and the two-side value sends nothing; every change of any of
//   them is sent.
#pragma once

#include <afx.h>

#include <GL/gl.h>

#include <cstdint>

class CDsAttributes;

// The draw options' style flags that decoding and lightening read (see DsDrawSetup.h).
struct SDsRenderFlags;

// Depth-layer numbers.
enum EDsDepthLayer : int {
    eDsDepthLayerSpecial = 0,   // selected, highlighted items
    eDsDepthLayerOnTop = 1,     // items drawn on top
    eDsDepthLayerThin = 2,      // slaves of special masters; ordinary lines in wireframe
    eDsDepthLayerFull = 3       // the whole range
};

// The last OpenGL state a walk sent.
class AFX_EXT_CLASS CDsGlStateCache {
public:
    // Nothing known; Reset before use.
    CDsGlStateCache() = default;

    // Sets every field and sends it: black, width 1, depth range 0 to 1, stipple (1, 0xFFFF), no
    // polygon offset, both faces filled, and the default material (no colour, five zero factors,
    // one-sided).
    void Reset();
    // glColor3ub of the 0x00BBGGRR colour, unless it is the cached one.
    void SetColor(uint32_t color);
    // glLineWidth, unless equal.
    void SetLineWidth(int width);
    // glDepthRange, unless both ends are equal.
    void SetDepthRange(float zNear, float zFar);
    // glLineStipple, unless factor and pattern are equal.
    void SetLineStipple(int factor, uint16_t pattern);
    // Both faces filled, unless already so.
    void SetPolygonModeFill();
    // glPolygonOffset, unless both values are equal.
    void SetPolygonOffset(float factor, float units);
    // The layer's depth range (when it differs), then the depth test on when it is off.
    void SetDepthLayer(int layer);
    // Forgets what was sent, without sending anything: every next setter sends its value (for
    // state that a geometry changed behind the cache).
    void Invalidate();

    // The cached colour.
    uint32_t GetColor() const { return m_color; }
    // The cached line width.
    int GetLineWidth() const { return m_lineWidth; }
    // The cached depth range.
    void GetDepthRange(float& zNear, float& zFar) const
    {
        zNear = m_depthNear;
        zFar = m_depthFar;
    }

    // The material fields that DsSetGlMaterialIfChanged compares and writes.
    struct SMaterial {
        uint32_t lightModelName = 0;  // GL_LIGHT_MODEL_TWO_SIDE once a material was sent
        int32_t lightModelValue = 0;  // the two-side value sent with it
        float factors[5] = {0, 0, 0, 0, 0};  // ambient, diffuse, specular, shininess, emission
        uint8_t alpha = 0;
        uint32_t color = 0;
    };
    // The material last sent.
    SMaterial& Material() { return m_material; }

private:
    uint32_t m_color = 0;
    int m_lineWidth = 1;
    float m_depthNear = 0.0f;
    float m_depthFar = 1.0f;
    int m_stippleFactor = 1;
    uint16_t m_stipplePattern = 0xFFFF;
    float m_offsetFactor = 0.0f;
    float m_offsetUnits = 0.0f;
    GLenum m_polygonFace = GL_FRONT_AND_BACK;
    GLenum m_polygonMode = GL_FILL;
    SMaterial m_material;
};

// The colour of a setter called without a cache: sent whatever it is.
void DsSetColor(CDsGlStateCache* cache, uint32_t color);
// Switches `capability` on or off, only when glIsEnabled says it differs.
AFX_EXT_API void DsGlSetEnabled(GLenum capability, bool on);
// The depth range of `layer` (0 to 3; other values are layer 3).
void DsGetDepthLayerRange(int layer, float& zNear, float& zFar);
// The depth layer of a non-face kind in `state`: 0 for states 3, 4 and 5, 2 for state 11, else 1
// on top, else 3 (2 when `depthMode` is 0: ordinary lines of a wireframe share a thin layer).
AFX_EXT_API int DsGetDepthLayerForState(int state, int depthMode, bool onTop);
// Raises the attributes' width to at least 2 for states 3, 4, 5 and 11 and to at least 1 for the
// others; while plotting with pen widths the plot palette's width of the colour instead.
void DsSetLineWidthForState(CDsAttributes& attributes, int state);
// The depth layer of `kind` for the state word (faces: 3), the signed polygon offset in `offset`,
// and, for kinds 1, 2 and 8, the line width set in `attributes`.
AFX_EXT_API int DsDecodeDrawStyle(int kind, int stateWord, int depthMode, CDsAttributes& attributes, int& offset);
// The HLS triple of a 0x00BBGGRR colour: hue in degrees (0 to 360), lightness and saturation
// (0 to 1); an achromatic colour has hue and saturation 0.
void DsRgbToHls(uint32_t color, float& hue, float& lightness, float& saturation);
// The 0x00BBGGRR colour of an HLS triple.
uint32_t DsHlsToRgb(float hue, float lightness, float saturation);
// For kinds 1, 2, 8 and 16 with `lighten`: the colour's lightness L becomes L + (1 - L) x 0.5, hue
// and saturation kept.
AFX_EXT_API void DsLightenColor(int kind, CDsAttributes& attributes, bool lighten);
// Sends a material for both faces: the two-side light model, ambient, diffuse, specular and
// emission as the colour (bytes / 255) times their factors with alpha / 255, and the shininess.
// Exported with the polygon items, which set their lit colour through it.
AFX_EXT_API void DsSetGlMaterial(uint32_t color, uint8_t alpha, float ambient, float diffuse, float specular,
                                 float shininess, float emission, int twoSide);
// The same through `cache` (null: sent unconditionally): nothing when colour, alpha, the factors
// and the two-side value equal the cached ones.
AFX_EXT_API void DsSetGlMaterialIfChanged(CDsGlStateCache* cache, uint32_t color, uint8_t alpha,
                                          const float factors[5], int twoSide);
