// CGmPosition, CGmVector and CGmUnitVector: the extension's geometric values. They are the
// modeler's SPAposition, SPAvector and SPAunit_vector with a few conveniences, so every modeler
// call takes them as they are and every modeler value converts to them.
#pragma once

#include "VyrModelerExtApi.h"

#include "SpaValues.h"

// A point in model space.
class VYR_MODELER_EXT_API CGmPosition : public SPAposition {
public:
    // The origin.
    constexpr CGmPosition() = default;
    // The point (x, y, z).
    constexpr CGmPosition(double x, double y, double z) : SPAposition(x, y, z) {}
    // The point of three doubles (x, y, z); the origin for null.
    explicit CGmPosition(const double* xyz);
    // The point of three floats (x, y, z), widened; the origin for null.
    explicit CGmPosition(const float* xyz);
    // A modeler position.
    constexpr CGmPosition(const SPAposition& p) : SPAposition(p) {}

    // Writes the coordinates into three doubles (nothing for null).
    void GetCoordinates(double* xyz) const;
    // Writes the coordinates into three floats, narrowed (nothing for null).
    void GetCoordinates(float* xyz) const;
    // True when every coordinate is a finite number.
    bool IsFinite() const;
};

// A displacement in model space.
class VYR_MODELER_EXT_API CGmVector : public SPAvector {
public:
    // The zero vector.
    constexpr CGmVector() = default;
    // The vector (x, y, z).
    constexpr CGmVector(double x, double y, double z) : SPAvector(x, y, z) {}
    // A modeler vector.
    constexpr CGmVector(const SPAvector& v) : SPAvector(v) {}
    // The displacement from `from` to `to`.
    CGmVector(const SPAposition& from, const SPAposition& to) : SPAvector(to - from) {}

    // The direction of this vector (the zero direction for a vector shorter than SPAresmch).
    SPAunit_vector Normalised() const { return normalise(*this); }
};

// A direction: a vector of length 1, or the zero vector when made from a zero-length vector.
class VYR_MODELER_EXT_API CGmUnitVector : public SPAunit_vector {
public:
    // The zero direction (no direction).
    constexpr CGmUnitVector() = default;
    // The direction of (x, y, z), normalised; zero when (x, y, z) has no length.
    CGmUnitVector(double x, double y, double z) : SPAunit_vector(x, y, z) {}
    // A modeler direction.
    CGmUnitVector(const SPAunit_vector& u) : SPAunit_vector(u) {}
    // The direction of a vector, normalised; zero when it has no length.
    explicit CGmUnitVector(const SPAvector& v) : SPAunit_vector(v) {}

    // True when this is the zero direction (made from a vector without length).
    bool IsZero() const { return len_sq() < 0.25; }
};
