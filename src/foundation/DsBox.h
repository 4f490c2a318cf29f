// CDsBox: the three-dimensional bound box of an item, a face, a location or a quadric, in float
// model coordinates, with the screen rectangle of its last projection kept beside it.
// A box is empty (not computed) exactly while its minimum x exceeds its maximum x.
//
// The screen rectangle is a function of the corners, the view's transformation and its viewport
// height alone. A box remembers the stamp of the projection it was last computed with (a stamp
// names one transformation and height of one view); projecting it again into the same view while
// neither its corners nor that projection changed leaves the rectangle as it is, which is what
// the projection would give. Any change of the corners forgets the stamp.
#pragma once

#include "DsRectangle.h"

#include <afx.h>

#include <cstdint>

class CGmPosition;
class SPAbox;
class SPAtransf;
class view3d;

// Float bound box with the cached screen rectangle of its projection.
class AFX_EXT_CLASS CDsBox {
public:
    // The empty box, then each non-null corner (three floats) copied.
    explicit CDsBox(const float* min = nullptr, const float* max = nullptr);
    // The modeler box's corners, narrowed to float (an empty modeler box gives an empty box).
    explicit CDsBox(const SPAbox& box);
    // Copies the corners and the screen rectangle with its view.
    CDsBox(const CDsBox& other) = default;
    // Copies the corners only; the screen rectangle stays as it was.
    CDsBox& operator=(const CDsBox& other);
    // Frees the box.
    virtual ~CDsBox() = default;

    // Copies the corners only, as operator=.
    void CopyObject(const CDsBox& other);
    // Back to the empty corners (1, 0, 0)-(0, 0, 0); the screen rectangle is untouched.
    void ResetMembers();

    // Copies three floats into the minimum corner (nothing for null).
    void SetMin(const float* min);
    // Copies three floats into the maximum corner (nothing for null).
    void SetMax(const float* max);
    // The minimum corner's three floats.
    const float* GetMin() const { return m_min; }
    // The maximum corner's three floats.
    const float* GetMax() const { return m_max; }
    // The minimum corner widened to double.
    void GetMin(CGmPosition& p) const;
    // The maximum corner widened to double.
    void GetMax(CGmPosition& p) const;

    // True while the box is empty.
    bool FirstTime() const { return IsNotComputed(); }
    // True while the box is empty (minimum x > maximum x).
    bool IsNotComputed() const { return m_min[0] > m_max[0]; }

    // Grows by a point (three floats) taken through `t` when given (nothing for null).
    void Expand(const float* point, const SPAtransf* t = nullptr);
    // Grows by the point (x, y, z) taken through `t` when given; non-finite points are ignored.
    void Expand(float x, float y, float z, const SPAtransf* t = nullptr);
    // Grows by the eight corners of `other`, each taken through `t` when given.
    void ExpandBox(const CDsBox& other, const SPAtransf* t = nullptr);
    // As ExpandBox(other, t); the target is not emptied first.
    void TransformBox(const SPAtransf* t, const CDsBox& other);
    // As ExpandBox(other, &t); the target is not emptied first.
    void Transform(const SPAtransf& t, const CDsBox& other);

    // The mid-point of the corners.
    void GetCenter(float& x, float& y, float& z) const;
    // Length of the diagonal; 1 for a box in its reset state.
    float GetDiagonalSize() const;
    // True when `other` lies strictly inside on all three axes; false when either is empty.
    bool IsGivenBoxTotalyInsideMe(const CDsBox& other) const;
    // True when `other` is strictly separated on at least one axis; false when either is empty.
    bool IsGivenBoxTotalyOutsideMe(const CDsBox& other) const;

    // Projects the eight corners into `view` and stores the screen rectangle; without `force`
    // a rectangle already computed for the same view stands. Nothing for a null view. A
    // rectangle computed for the same view with the same transformation and viewport height
    // from the same corners is kept either way (see the header comment). A box with corners on
    // both sides of a perspective eye gets the whole viewport: it may show anywhere in it.
    void ComputeBounds2D(view3d* view, bool force);
    // The screen rectangle, in this argument order.
    void GetRectangle(int& minX, int& maxX, int& minY, int& maxY) const;
    // The stored screen rectangle.
    const CDsRectangle& GetScreenRectangle() const { return m_rectangle; }
    // The stamp of the projection that gave the stored rectangle (see the header comment); 0
    // when the corners changed since or none was computed. Two boxes projected into a view with
    // the same stamp were projected with the same transformation and viewport height.
    uint64_t GetProjectionStamp() const { return m_projection; }
    // Whether the screen rectangle meets the view's viewport (or pick aperture).
    bool CheckExtremesOverlap(view3d* view, bool pickAperture) const;
    // Hands the eight corners of a non-empty box to the extrema view's draw_point_3d.
    void DrawExtremes(view3d& extremaView) const;

protected:
    // a unless a > b.
    static float Min(float a, float b) { return a > b ? b : a; }
    // b unless a > b.
    static float Max(float a, float b) { return a > b ? a : b; }

private:
    float m_min[3] = {1.0f, 0.0f, 0.0f};
    float m_max[3] = {0.0f, 0.0f, 0.0f};
    CDsRectangle m_rectangle;
    uint64_t m_projection = 0;  // stamp of the projection that gave m_rectangle; 0 for none
};
