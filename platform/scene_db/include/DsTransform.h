// CDsTransform: an affine transform of the scene database, kept as the float matrix that OpenGL
// multiplies (column-major) with its identity and reflection tests cached.
#pragma once

#include "VyrSceneDbApi.h"

class SPAposition;
class SPAvector;
class SPAtransf;

// A 4 x 4 affine transform in column order (element (row, column) at [column * 4 + row]), for
// column vectors: p' = M p. Points are mapped with the translation, vectors without it.
class VYR_SCENE_DB_API CDsTransform {
public:
    // The identity.
    CDsTransform();
    // The transform of `transf` (the modeler's p * scale * affine + translation).
    explicit CDsTransform(const SPAtransf& transf);
    // The transform of a column-major matrix of 16 floats; its last row must be (0, 0, 0, 1), any
    // other last row (or a null pointer) gives the identity.
    explicit CDsTransform(const float* matrix);

    // The column-major matrix, as glMultMatrixf takes it.
    const float* GetMatrix() const { return m_matrix; }
    // The element at (row, column); 0 outside 0 to 3.
    float GetElement(int row, int column) const;

    // True when the transform changes nothing.
    bool IsIdentity() const { return m_identity; }
    // True when the transform mirrors space (its 3 x 3 part has a negative determinant).
    bool IsReflection() const { return m_reflection; }
    // The uniform scale factor: the cube root of the absolute determinant of the 3 x 3 part (the
    // exact factor for rotations, mirrors and uniform scalings; 0 for a singular transform).
    double Scaling() const;

    // The modeler transform that maps points as this one does; the identity for a singular one.
    SPAtransf Convert2SPA() const;
    // Writes Convert2SPA() into `transf`.
    void Convert2SPA(SPAtransf& transf) const;

    // The mapped point.
    SPAposition TransformPoint(const SPAposition& point) const;
    // Maps the point (x, y, z) at `xyz` in place.
    void TransformPoint(float* xyz) const;
    // The mapped direction (no translation).
    SPAvector TransformVector(const SPAvector& vector) const;
    // Maps the direction (x, y, z) at `xyz` in place.
    void TransformVector(float* xyz) const;

    // Replaces the transform by its inverse; false (and no change) when it is singular.
    bool Invert();
    // This transform applied after `inner`: (*this * inner)(p) = this(inner(p)).
    CDsTransform operator*(const CDsTransform& inner) const;
    // Becomes this transform applied after `inner`.
    CDsTransform& operator*=(const CDsTransform& inner);
    // Same matrix.
    bool operator==(const CDsTransform& other) const;
    // Not the same matrix.
    bool operator!=(const CDsTransform& other) const { return !(*this == other); }

private:
    void Classify();

    float m_matrix[16];
    bool m_identity = true;
    bool m_reflection = false;
};
