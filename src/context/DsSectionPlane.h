// CDsSectionPlane: the single section plane of a scene. It keeps the plane equation a, b, c, d
// ((a, b, c) the unit normal, d = -(normal . point)), the point and the normal it was set from, a
// flip state, an optional transformation and the scene-database items the section placed into
// the part storage (its own display of the cut, say). The frame clips through GL_CLIP_PLANE0 with
// the equation: what lies on the normal's side is kept.
//
// Every SetPlane first drops the section's items (removed from the part storage) and its
// transformation; a flip keeps both.
//
// Choices where the behaviour was open:
// - A normal without length gives the equation (0, 0, 0, 0), which clips nothing.
// - Reset leaves the section without items and without a transformation, with the equation as it
//   was; the scene deletes the plane after it.
#pragma once

#include <afx.h>

#include "SpaValues.h"
#include "VyrObjectId.h"

#include <vector>

class CDsMatrix;
class CGmTransformation;

// The single section plane of a scene.
class AFX_EXT_CLASS CDsSectionPlane {
public:
    // Not flipped, no transformation, no items; then SetPlane(point, normal).
    CDsSectionPlane(const SPAposition& point, const SPAvector& normal);
    // Frees the transformation (the items stay in the part storage: Reset removes them).
    ~CDsSectionPlane();
    CDsSectionPlane(const CDsSectionPlane&) = delete;
    CDsSectionPlane& operator=(const CDsSectionPlane&) = delete;

    // RemoveItems; then the point and the normalised normal are kept and the equation made from them.
    void SetPlane(const SPAposition& point, const SPAvector& normal);
    // Negates the normal and the equation and toggles the flip state; items and transformation stay.
    void Flip();
    // Deletes the transformation and removes every recorded item from the part storage.
    void RemoveItems();
    // RemoveItems, GL_CLIP_PLANE0 switched off, the item list freed.
    void Reset();
    // Makes the transformation when there is none and sets it from `transformation`.
    void SetTransformation(const CGmTransformation& transformation);
    // Moves the plane by `distance` along its normal (RemoveItems, then SetPlane with the moved
    // point and the same normal).
    void Translate(double distance);
    // Records the items the section placed into the part storage (removed by RemoveItems).
    void SetItems(const std::vector<CVyrObjectId>& items) { m_items = items; }

    // The plane equation a, b, c, d (four doubles).
    const double* GetEquation() const { return m_equation; }
    // The point the plane was set through.
    const SPAposition& GetPoint() const { return m_point; }
    // The unit normal (the kept side).
    const SPAunit_vector& GetNormal() const { return m_normal; }
    // Whether an odd number of flips was made.
    bool IsFlipped() const { return m_flipped; }
    // The transformation, null when none was set since the last SetPlane.
    const CDsMatrix* GetTransformation() const { return m_transformation; }
    // The items recorded.
    const std::vector<CVyrObjectId>& GetItems() const { return m_items; }

private:
    double m_equation[4] = {0, 0, 0, 0};
    SPAposition m_point;
    SPAunit_vector m_normal;
    bool m_flipped = false;
    CDsMatrix* m_transformation = nullptr;
    std::vector<CVyrObjectId> m_items;
};
