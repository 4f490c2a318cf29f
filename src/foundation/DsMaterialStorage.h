// CDsMaterialStorage: the five material coefficients of shaded surfaces, one byte each, in this
// order: ambient, diffuse and specular (each a fraction x 255), shininess (the OpenGL exponent
// itself) and emission (a fraction x 255). The default material is (255, 190, 128, 10, 0).
//
// Built so far: the bytes, their defaults and their raw access, which the light list keeps and
// exchanges with the host; the float and percent conversions and the OpenGL material road of the
// face items come with the face items.
#pragma once

#include <afx.h>

#include <cstdint>

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

private:
    uint8_t m_ambient;
    uint8_t m_diffuse;
    uint8_t m_specular;
    uint8_t m_shininess;
    uint8_t m_emission;
};
