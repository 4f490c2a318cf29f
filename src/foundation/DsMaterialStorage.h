// CDsMaterialStorage: the five material coefficients of shaded surfaces, one byte each, in this
// order: ambient, diffuse and specular (each a fraction x 255), shininess (the OpenGL exponent
// itself) and emission (a fraction x 255). The default material is (255, 190, 128, 10, 0).
//
// The OpenGL material of shaded faces (DsApplyGlMaterialFromAttributes and the face-sidedness
// operations) comes from a face's material source, its sides and its line attributes, and from the
// current material (DsSetCurrentGlMaterial; the built-in default gDsDefaultMaterial while none is
// set). The current material, the last applied source and the two-sided lighting default are
// process-wide.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - SetData with floats takes the shininess as the OpenGL exponent itself, like every other
//   accessor (truncated toward zero), not scaled by 255.
// - Values out of range are clamped instead of wrapping into the byte: fractions to 0..1, percents
//   to 0..100, the shininess to 0..255; a NaN leaves its byte as it was.
// - The current material is kept as a copy, so that a material that goes away leaves nothing
//   dangling; the last applied source likewise (its sides and attributes pointer).
// - The process-wide two-sided lighting default, used when a caller does not ask for two-sided
//   lighting, is 0: the faces' own sides decide (nothing sets another value).
#pragma once

#include <afx.h>
#include <vyrwin_testresets.h>

#include <GL/gl.h>

#include <cstdint>

class CDsLineAttribStorage;
class view3d;

// Five material coefficients.
class AFX_EXT_CLASS CDsMaterialStorage {
public:
    // The five bytes, in field order; the defaults make the default material.
    explicit CDsMaterialStorage(uint8_t ambient = 255, uint8_t diffuse = 190, uint8_t specular = 128,
                                uint8_t shininess = 10, uint8_t emission = 0);
    // A copy of the five bytes.
    CDsMaterialStorage(const CDsMaterialStorage& other);
    // Copies the five bytes.
    CDsMaterialStorage& operator=(const CDsMaterialStorage& other);
    // Nothing to free.
    virtual ~CDsMaterialStorage() = default;

    // Copies the five bytes of `other`.
    void CopyObject(const CDsMaterialStorage& other);
    // Back to the default material (255, 190, 128, 10, 0).
    void ResetMembers();

    // The raw bytes.
    void GetData(uint8_t& ambient, uint8_t& diffuse, uint8_t& specular, uint8_t& shininess, uint8_t& emission) const;
    // Sets the raw bytes.
    void SetData(uint8_t ambient, uint8_t diffuse, uint8_t specular, uint8_t shininess, uint8_t emission);
    // Ambient, diffuse, specular and emission as fractions (byte / 255); the shininess exponent.
    void GetData(float& ambient, float& diffuse, float& specular, float& shininess, float& emission) const;
    // Fractions (clamped to 0..1) x 255, truncated; the shininess exponent clamped to 0..255 and
    // truncated. A NaN leaves its byte unchanged.
    void SetData(float ambient, float diffuse, float specular, float shininess, float emission);
    // Ambient, diffuse, specular and emission in percent (rounded); the shininess byte.
    void GetData(int& ambient, int& diffuse, int& specular, int& shininess, int& emission) const;
    // Percents (clamped to 0..100) to bytes, rounded; the shininess clamped to 0..255.
    void SetData(int ambient, int diffuse, int specular, int shininess, int emission);

    // For tests, which share one process: no current material (the default) and no last applied
    // source.
    VYR_TEST_RESET static void ResetGlMaterialStateForTests();

protected:
    // A percent (clamped to 0..100) as a byte: integer part of (percent x 255 x 0.01 + 0.5).
    static uint8_t ComputeByteFromInteger(int percent);
    // A byte as a percent: integer part of (byte x 100 / 255 + 0.5).
    static int ComputeByteFromInteger(uint8_t byte);

private:
    uint8_t m_ambient;
    uint8_t m_diffuse;
    uint8_t m_specular;
    uint8_t m_shininess;
    uint8_t m_emission;
};

// The built-in default material (255, 190, 128, 10, 0), ready from library start: the current
// OpenGL material while none is set.
extern AFX_EXT_DATA const CDsMaterialStorage gDsDefaultMaterial;

// What a face group hands to the OpenGL material operations: its sides and its attributes.
struct SDsGlMaterialSource {
    // 2 for a double-sided face; below 2 one-sided.
    int32_t sides = 1;
    // The face's line attributes (not owned), null when none.
    CDsLineAttribStorage* attributes = nullptr;
};

// The current material becomes a copy of `material`; null selects the default material.
AFX_EXT_API void DsSetCurrentGlMaterial(const CDsMaterialStorage* material);
// Nothing without a source or its attributes. Otherwise the colour of the attributes as they
// resolve without their highlight (else their own colour) goes to glColor3f, the light model and
// culling are set (DsSetGlFaceSidedness), and the current material times that colour, with the
// transparency as alpha, becomes the OpenGL material of the face it answers (ambient, diffuse,
// specular, emission, shininess). The source becomes the last applied one.
AFX_EXT_API void DsApplyGlMaterialFromAttributes(const SDsGlMaterialSource* source, view3d* view, bool twoSided,
                                                 bool noCulling);
// DsSetGlFaceSidedness when there is no last applied source or its sides differ from the
// source's; the source then becomes the last applied one. Nothing for a null source.
AFX_EXT_API void DsSetGlFaceSidednessIfChanged(const SDsGlMaterialSource* source, view3d* view, bool twoSided);
// The light model and culling of a face: without culling, one-sided lighting and no culling;
// else two-sided lighting (and no culling) when `twoSided` or the source has 2 sides or more; else one-sided lighting with back faces culled. Culling is left
// alone while the view draws its transparent phase (1). Answers the face to set materials on:
// GL_FRONT_AND_BACK, or GL_FRONT for one-sided lighting with culling.
AFX_EXT_API GLenum DsSetGlFaceSidedness(view3d* view, const SDsGlMaterialSource* source, bool twoSided,
                                        bool noCulling);
// The library's two-sided drawing: while it is on, faces are lit from both sides and not culled,
// whatever their own sides (the OpenGL selection passes that must see back faces set it).
AFX_EXT_API void DsSetGlTwoSidedDrawing(bool on);
// Whether two-sided drawing is on (off at start).
AFX_EXT_API bool DsGetGlTwoSidedDrawing();
// Forgets the last applied material source, so that the next face applies its sides again.
AFX_EXT_API void DsForgetLastGlMaterial();
