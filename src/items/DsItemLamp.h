// CDsItemLamp: the symbol of a light source drawn with GLU quadrics: a sphere (type 0 and any
// type but 1 and 2), a cylinder with a sphere (type 1) or a cone with a sphere (type 2), the
// cylinder or cone pointing from the lamp's position towards its target. The symbol turns with the
// view: the lamp's position and target are read in the view's orientation frame (x right, y up,
// z towards the viewer), moved back by half the view's depth range (near minus far distance). The
// quadric figure makes it with its type, size, position and target.
//
// Lamp extremes: the position plus and minus the size on each axis, recomputed whenever the
// position or the size is set.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A lamp whose position equals its target (no direction) is drawn unturned instead of turning
//   by the arc sine of 0 / 0.
// - ExpandBox of a lamp that faces its target places the symbol at its position turned with the
//   current view (the rotations towards the target leave the symbol's origin in place).
// - The draw pushes every attribute group once. A second push of groups the first already holds
//   (current colour, stencil, viewport) adds nothing, and with this platform's OpenGL a nested
//   push makes the outer pop forget the switches changed after it, so that the lamp would leave
//   lighting on.
// - The colour bytes are the lamp's own and start black; the lamp draws with lighting on, so its
//   look comes from the material and lights in force.
// - Not copyable: it owns its GLU quadric.
// - While OpenGL selects or takes feedback (a pick) the symbol goes out as the triangles of the
//   cells the GLU quadrics draw, from a client-side array kept for the lamp's type and size, not
//   through GLU, which sends its vertices in immediate mode (see CDsDriverGl: Mesa would keep them).
#pragma once

#include <afx.h>

#include "DsBasicSurface.h"
#include "DsItemPolygonsBase.h"

#include <cstdint>
#include <vector>

struct GLUquadric;

// The symbol of a light source.
class AFX_EXT_CLASS CDsItemLamp : public CDsItemPolygonsBase {
public:
    // Type 0, size 10, position and target at the origin, facing the target, black; a GLU quadric
    // drawing filled outward-facing surfaces.
    CDsItemLamp();
    // Not copyable (see the header comment).
    CDsItemLamp(const CDsItemLamp&) = delete;
    // Not copyable.
    CDsItemLamp& operator=(const CDsItemLamp&) = delete;
    // Deletes the quadric.
    ~CDsItemLamp() override;

    // --- Item protocol ------------------------------------------------------------------
    // The symbol (see the header comment); attribute and matrix stacks left as deep as found.
    void DrawGl(view3d& view) override;
    // 16.
    EDsItemsType GetItemType() override;
    // Not facing the target: the extremes under the item's transformation (polygon base). Facing
    // it: with a current view, the box of 2 x size around the position turned with that view;
    // nothing without one. The argument transformation is not used.
    void ExpandBox(CDsBox& box, SPAtransf* transform) override;
    // For kind 4: DrawGl.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;
    // The cube of half side sqrt(2 x |position|^2) + 2 x size about the origin; true.
    bool GetBoundBox(SPAbox& box) override;

    // --- Own operations -----------------------------------------------------------------
    // Sets the position (three floats; ignored for null) and updates the extremes.
    void SetPosition(const float* position);
    // Sets the target (three floats; ignored for null).
    void SetTarget(const float* target);
    // Sets the type.
    void SetType(EDsQuadType type) { m_type = type; }
    // Sets the size and updates the extremes.
    void SetSize(float size);
    // The extremes become the position plus and minus the size.
    void UpdateLampExtremes();
    // Position and target at the origin, facing the target, black.
    void ResetMembers();

    // The type.
    EDsQuadType GetType() const { return m_type; }
    // The size.
    float GetSize() const { return m_size; }
    // The position (three floats).
    const float* GetPosition() const { return m_position; }
    // The target (three floats).
    const float* GetTarget() const { return m_target; }
    // Whether the symbol turns towards its target.
    bool GetFaceTarget() const { return m_faceTarget; }

protected:
    // Turns the modelview matrix as the header comment says (the symbol's frame at its position).
    void ApplyOrientation(view3d& view) const;
    // The elevation and azimuth (degrees) of the direction from the target to the position; false
    // when the two coincide.
    bool GetAngles(float& elevation, float& azimuth) const;
    // The triangles (9 floats each, appended to `out`) of the cells a GLU quadric of `slices`
    // slices fills: a sphere of radius `r` in as many stacks, from +z down; the side of a cone
    // (a cylinder when the radii are equal) from radius `base` at z = 0 to `top` at `height`; a
    // ring of the plane z = 0 between radii `inner` and `outer`. Points at angle a lie at
    // (r sin a, r cos a), as the quadrics place them; a cell that closes to a point gives one
    // triangle. With `quads` each cell is appended whole instead, its four corners (12 floats) in
    // turn round it, for GL_QUADS: outlined, it shows the cell's sides and no diagonal.
    static void StSphereCells(double r, int slices, std::vector<float>& out, bool quads = false);
    static void StConeCells(double base, double top, double height, int slices, std::vector<float>& out,
                            bool quads = false);
    static void StDiskCells(double inner, double outer, int slices, std::vector<float>& out, bool quads = false);
    // Appends the cell of corners a, b, c, d (in turn round it) as two triangles, leaving out a
    // triangle without area; with `quads` as the four corners.
    static void StAddCell(std::vector<float>& out, const SPAposition& a, const SPAposition& b, const SPAposition& c,
                          const SPAposition& d, bool quads = false);

    GLUquadric* m_quadric = nullptr;  // owned
    EDsQuadType m_type = eDsQuadSphere;
    float m_position[3] = {0.0f, 0.0f, 0.0f};
    float m_target[3] = {0.0f, 0.0f, 0.0f};
    float m_size = 10.0f;
    bool m_faceTarget = true;
    uint8_t m_color[4] = {0, 0, 0, 0};  // red, green, blue and one more byte

private:
    // The symbol's triangles for picks (see the header comment), made for m_pickCellsType and
    // m_pickCellsSize (0: none yet).
    std::vector<float> m_pickCells;
    EDsQuadType m_pickCellsType = eDsQuadSphere;
    float m_pickCellsSize = 0.0f;
};
