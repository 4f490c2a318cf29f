// CUiPlanePositionMapper: a working plane with its own right-handed frame (origin, x and y axes
// in the plane, normal = x * y), and the mapping between its coordinates ("work" coordinates: x
// and y in the plane, z along the normal) and model coordinates.
#pragma once

#include "VyrModelerExtApi.h"

#include "SpaValues.h"

// A working plane.
class VYR_MODELER_EXT_API CUiPlanePositionMapper {
public:
    // The model's xy plane: origin (0, 0, 0), axes x and y.
    CUiPlanePositionMapper() = default;
    // The plane through `origin` with normal `normal`. Its x axis is the model x axis projected
    // into the plane (the model y axis when the normal is within 1e-6 of x). A zero normal
    // gives the normal (0, 0, 1).
    CUiPlanePositionMapper(const SPAposition& origin, const SPAvector& normal);
    // The plane through `origin` spanned by `xAxis` and `yAxis`: x is `xAxis` normalised, y the
    // part of `yAxis` perpendicular to it. Axes that do not span a plane (zero or parallel) fall
    // back to the frame that the normal (xAxis * yAxis, else (0, 0, 1)) gives, as above.
    CUiPlanePositionMapper(const SPAposition& origin, const SPAvector& xAxis, const SPAvector& yAxis);

    // The model position of work coordinates (x, y in the plane, z along the normal).
    SPAposition WorkToModel(const SPAposition& work) const;
    // The work coordinates of a model position.
    SPAposition ModelToWork(const SPAposition& model) const;

    // The plane's origin.
    const SPAposition& GetOrigin() const { return m_origin; }
    // The plane's x axis (unit).
    const SPAunit_vector& GetXAxis() const { return m_x; }
    // The plane's y axis (unit).
    const SPAunit_vector& GetYAxis() const { return m_y; }
    // The plane's normal (unit, x * y).
    const SPAunit_vector& GetNormal() const { return m_normal; }

private:
    void SetFrame(const SPAvector& normal);

    SPAposition m_origin;
    SPAunit_vector m_x{1.0, 0.0, 0.0};
    SPAunit_vector m_y{0.0, 1.0, 0.0};
    SPAunit_vector m_normal{0.0, 0.0, 1.0};
};
