// CDsMatrix: the placement of a group item, a polygon item or a section plane, kept in two
// forms side by side: a 4 x 4 float matrix in the column order OpenGL loads (element of row r
// and column c at index 4c + r) and the modeler transform it was built from. Both are made
// only when first needed, so an item without a placement costs two null pointers.
//
// A matrix set only through its float form (SetMatrix, Transpose, PreMultiply) still counts as
// a placement: IsIdentity looks at both forms, GlMultiply applies the float form, and SetToView
// and Multiply use the transform rebuilt from the floats while no modeler transform is stored.
#pragma once

#include <afx.h>

class SPAtransf;
class view3d;

// Placement in float (OpenGL) and modeler form.
class AFX_EXT_CLASS CDsMatrix {
public:
    // Both forms absent (the identity).
    CDsMatrix() = default;
    // Allocates both forms and copies the other's floats and transform.
    CDsMatrix(const CDsMatrix& other);
    // Copies the other's floats and transform, allocating storage first when absent.
    CDsMatrix& operator=(const CDsMatrix& other);
    // Frees both forms.
    virtual ~CDsMatrix();

    // Frees both forms; the matrix is the identity again.
    void Free();
    // Allocates whichever form is absent: floats start as the identity, the transform as well.
    void Allocate();
    // Copies the other's transform and 16 floats, allocating storage first when absent.
    void Copy(const CDsMatrix& other);

    // Stores a copy of `t` and rebuilds the float form from it.
    void SetTransformation(const SPAtransf& t);
    // The placement followed by `t`; both forms rebuilt.
    void Multiply(const SPAtransf& t);
    // Both forms back to the identity.
    void SetIdentity();
    // Copies 16 floats in column order into the float form only (nothing for null).
    void SetMatrix(const float* m);
    // Transposes the float form only.
    void Transpose();
    // The float form becomes other x this (other on the left); the transform is untouched.
    void PreMultiply(const CDsMatrix& other);
    // Copies `t` into the modeler form only.
    void CopyTransform(const SPAtransf& t);

    // True when neither form holds anything but the identity.
    bool IsIdentity() const;
    // The stored transform, or the process-wide identity when none is stored.
    const SPAtransf& GetTransformation() const;
    // The 16 floats in column order, or null while the float form is absent.
    const float* GetMatrix() const { return m_matrix; }
    // The placement as a modeler transform: the stored one unless it is absent or the identity
    // while the float form is not, in which case the transform rebuilt from the floats (what
    // SetToView hands the view).
    SPAtransf EffectiveTransform() const;

    // Unless the identity: selects the modelview matrix, pushes it and multiplies the float
    // form onto it. Pushes only when it multiplies: pop only when IsIdentity is false.
    void GlMultiply() const;
    // Unless the identity: hands the placement to the view's SetModelTransform.
    void SetToView(view3d& view) const;
    // Unless the identity: undoes SetToView through the view's ClearModelTransform.
    void ResetView(view3d& view) const;

    // The process-wide identity transform.
    static const SPAtransf& StIdentity();

private:
    // True when the float form is absent or equal to the identity.
    bool FloatsAreIdentity() const;

    float* m_matrix = nullptr;
    SPAtransf* m_transform = nullptr;
};
