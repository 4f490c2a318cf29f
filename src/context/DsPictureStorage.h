// CDsPictureStorage: a stored camera. It remembers where a view looked from (eye), what it looked
// at (target), along which direction, which way was up, and the picture's size (width and height
// at the target, in model units) and image scale, so that a view can be put back where it was.
//
// The flat form of a picture, used to keep it in documents, is 15 doubles in this order:
// direction x, y, z; up x, y, z; eye x, y, z; target x, y, z; scale; width; height.
//
// Applying a picture fits the view's clipping planes to what its context shows
// (CDsView3dCdc::AdjustDistance) but does not refresh the view; the caller refreshes when it wants
// the picture shown.
#pragma once

#include <afx.h>

#include "SpaValues.h"

class CDsView3dCdc;

// A stored camera (see the header comment).
class AFX_EXT_CLASS CDsPictureStorage {
public:
    // Number of doubles in the flat form.
    static const int kFlatSize = 15;

    // The defaults: direction (0, 0, 1), up (0, 1, 0), eye (0, 0, -100), target at the origin,
    // scale, width and height 1; then the camera of `view` when one is given.
    explicit CDsPictureStorage(CDsView3dCdc* view = nullptr);
    // From a 3 x 3 orientation matrix given row by row (9 floats): direction = row 3, up = row 2;
    // eye at the origin, target one unit along the direction; the image scale `scale`, width 130
    // and height 100. The last two arguments are not used. A null matrix keeps the defaults
    // (with the given scale, width 130 and height 100).
    CDsPictureStorage(const float* matrix, float scale, float unused1, float unused2);
    // A copy.
    CDsPictureStorage(const CDsPictureStorage& other);
    // Copies every field of `other`.
    CDsPictureStorage& operator=(const CDsPictureStorage& other);
    // Nothing to free.
    virtual ~CDsPictureStorage();

    // Copies every field of `other` (as the assignment does).
    void CopyObject(const CDsPictureStorage& other);
    // Scale, width and height back to 1.
    void ResetMembers();

    // Takes the camera of `view`: direction, up, eye, target, image scale, width and height.
    // Nothing for a null view.
    void UpdatePicture(CDsView3dCdc* view);
    // Gives `view` this camera: direction and up, then eye and target, image scale, width and
    // height, the width or height grown to the viewport's aspect, and the clipping planes fitted
    // to what the view's context shows (AdjustDistance(false)). The view is not refreshed.
    // Nothing for a null view.
    void DisplayPicture(CDsView3dCdc* view) const;

    // Writes the flat form into out[0..14]; true when written. False, with `out` untouched, for a
    // null buffer or `count` below 15.
    bool GetData(double* out, int count) const;
    // Reads the flat form from in[0..14]; true when taken. False, with the picture unchanged, for a
    // null buffer, `count` below 15, a value that is not finite, a direction or up without
    // length, or a scale, width or height that is not positive.
    bool SetData(const double* in, int count);

    // Sets the up vector and the direction.
    void SetOrientation(const SPAunit_vector& up, const SPAunit_vector& direction);
    // The up vector and the direction.
    void GetOrientation(SPAunit_vector& up, SPAunit_vector& direction) const;
    // The up vector, to read or change.
    SPAunit_vector& GetUp() { return m_up; }
    // The up vector.
    const SPAunit_vector& GetUp() const { return m_up; }
    // The direction (eye towards target), to read or change.
    SPAunit_vector& GetDirection() { return m_direction; }
    // The direction (eye towards target).
    const SPAunit_vector& GetDirection() const { return m_direction; }
    // The eye.
    SPAposition GetEye() const { return m_eye; }
    // Sets the eye.
    void SetEye(const SPAposition& eye) { m_eye = eye; }
    // The target.
    SPAposition GetTarget() const { return m_target; }
    // Sets the target.
    void SetTarget(const SPAposition& target) { m_target = target; }
    // The image scale.
    double GetScale() const { return m_scale; }
    // Sets the image scale.
    void SetScale(double scale) { m_scale = scale; }
    // The picture width at the target (model units).
    double GetWidth() const { return m_width; }
    // Sets the picture width.
    void SetWidth(double width) { m_width = width; }
    // The picture height at the target (model units).
    double GetHeight() const { return m_height; }
    // Sets the picture height.
    void SetHeight(double height) { m_height = height; }
    // Reverses the direction.
    void FlipDirection();

private:
    SPAunit_vector m_direction{0.0, 0.0, 1.0};
    SPAunit_vector m_up{0.0, 1.0, 0.0};
    SPAposition m_eye{0.0, 0.0, -100.0};
    SPAposition m_target{0.0, 0.0, 0.0};
    double m_scale = 1.0;
    double m_width = 1.0;
    double m_height = 1.0;
};
