// CGmTransformation: the extension's transform value, the modeler's SPAtransf with the repair of
// the rounding drift that repeated products leave in a rigid motion.
#pragma once

#include "VyrModelerExtApi.h"

#include "SpaValues.h"

// An affine transform of model space (row-vector convention, as SPAtransf).
class VYR_MODELER_EXT_API CGmTransformation : public SPAtransf {
public:
    // The identity.
    CGmTransformation() = default;
    // A modeler transform.
    CGmTransformation(const SPAtransf& t) : SPAtransf(t) {}

    // True when the transform changes nothing.
    bool IsIdentity() const { return identity(); }
    // The transform that undoes this one (the identity for a singular one).
    CGmTransformation Inverse() const { return CGmTransformation(inverse()); }

    // Repairs the transform in place and answers it:
    // - a transform with a coordinate that is not a finite number becomes the identity;
    // - an affine part whose rows are orthonormal within 1e-6 (a rotation or mirror that rounding
    //   has bent) is made exactly orthonormal again (Gram-Schmidt over its rows, keeping a mirror);
    // - matrix elements within 1e-10 of 0, 1 or -1 become exactly that value, and translation
    //   components closer to 0 than 1e-11 become 0.
    // A shear or a non-uniform scale is left as it is (only the snapping applies).
    CGmTransformation& FixTransformationMatrix();
};
