// Basic surfaces: the parametric solids the quadric item draws through GLU quadrics. Each lives
// in its own local frame with its axis along z and its base at z = 0 (the box and the sphere
// centred on the origin), and reports its bound box, computed when first asked for. Setters
// drop the computed box, so the next request measures the new sizes.
#pragma once

#include "DsBox.h"

#include <afx.h>

class CGmPosition;

// Kind of basic surface.
enum EDsQuadType : int {
    eDsQuadSphere = 0,    // CDsSphere
    eDsQuadCylinder = 1,  // CDsCylinder
    eDsQuadCone = 2,      // CDsCone
    eDsQuadBox = 3,       // CDsNBox
    eDsQuadTorus = 4,     // CDsTorus
    eDsQuadDisk = 5,      // CDsDisk
};

// Base of the basic surfaces: the cached bound box.
class AFX_EXT_CLASS CDsBasicSurface {
public:
    // Frees the surface.
    virtual ~CDsBasicSurface() = default;
    // Two opposite corners of the surface's extent, widened to double.
    virtual void GetExtremes(CGmPosition& first, CGmPosition& second) const = 0;
    // The kind of surface.
    virtual EDsQuadType GetType() const = 0;
    // Computes the bound box when not yet known and copies its corners into `box` (whose screen
    // rectangle stays); true.
    bool GetBoundBox(CDsBox& box);

protected:
    CDsBasicSurface() = default;
    CDsBasicSurface(const CDsBasicSurface& other) = default;
    CDsBasicSurface& operator=(const CDsBasicSurface& other) = default;
    // Fills the bound box from the sizes.
    virtual void ComputeBoundBox() = 0;
    // Forgets the computed bound box (after a size changed).
    void InvalidateBoundBox() { m_boundBox.ResetMembers(); }

    CDsBox m_boundBox;  // bound box, empty until first asked for
};

// Sphere about the origin.
class AFX_EXT_CLASS CDsSphere : public CDsBasicSurface {
public:
    // A sphere of the given radius.
    explicit CDsSphere(float radius = 10.0f) : m_radius(radius) {}
    // (-r, -r, -r) and (r, r, r).
    void GetExtremes(CGmPosition& first, CGmPosition& second) const override;
    // eDsQuadSphere.
    EDsQuadType GetType() const override { return eDsQuadSphere; }
    // Does nothing.
    void ResetMembers() {}
    // The radius.
    float GetRadius() const { return m_radius; }
    // Sets the radius.
    void SetRadius(float radius) { m_radius = radius; InvalidateBoundBox(); }

protected:
    void ComputeBoundBox() override;

private:
    float m_radius;
};

// Cylinder standing on z = 0.
class AFX_EXT_CLASS CDsCylinder : public CDsBasicSurface {
public:
    // A cylinder of the given radius and height (a negative height reaches down).
    explicit CDsCylinder(float radius = 10.0f, float height = 20.0f) : m_radius(radius), m_height(height) {}
    // (r, r, h) and (-r, -r, 0).
    void GetExtremes(CGmPosition& first, CGmPosition& second) const override;
    // eDsQuadCylinder.
    EDsQuadType GetType() const override { return eDsQuadCylinder; }
    // Does nothing.
    void ResetMembers() {}
    // The radius.
    float GetRadius() const { return m_radius; }
    // Sets the radius.
    void SetRadius(float radius) { m_radius = radius; InvalidateBoundBox(); }
    // The height.
    float GetHeight() const { return m_height; }
    // Sets the height.
    void SetHeight(float height) { m_height = height; InvalidateBoundBox(); }

protected:
    void ComputeBoundBox() override;

private:
    float m_radius;
    float m_height;
};

// Cone (or truncated cone) standing on z = 0.
class AFX_EXT_CLASS CDsCone : public CDsBasicSurface {
public:
    // A cone of the given base and top radii and height.
    explicit CDsCone(float baseRadius = 10.0f, float topRadius = 1.0f, float height = 20.0f)
        : m_baseRadius(baseRadius), m_topRadius(topRadius), m_height(height) {}
    // (r, r, h) and (-r, -r, 0), r the larger radius.
    void GetExtremes(CGmPosition& first, CGmPosition& second) const override;
    // eDsQuadCone.
    EDsQuadType GetType() const override { return eDsQuadCone; }
    // Does nothing.
    void ResetMembers() {}
    // The base radius.
    float GetBaseRadius() const { return m_baseRadius; }
    // Sets the base radius.
    void SetBaseRadius(float radius) { m_baseRadius = radius; InvalidateBoundBox(); }
    // The top radius.
    float GetTopRadius() const { return m_topRadius; }
    // Sets the top radius.
    void SetTopRadius(float radius) { m_topRadius = radius; InvalidateBoundBox(); }
    // The height.
    float GetHeight() const { return m_height; }
    // Sets the height.
    void SetHeight(float height) { m_height = height; InvalidateBoundBox(); }

protected:
    void ComputeBoundBox() override;

private:
    float m_baseRadius;
    float m_topRadius;
    float m_height;
};

// Box centred on the origin.
class AFX_EXT_CLASS CDsNBox : public CDsBasicSurface {
public:
    // A box of the given sizes.
    explicit CDsNBox(float sizeX = 10.0f, float sizeY = 10.0f, float sizeZ = 10.0f) : m_size{sizeX, sizeY, sizeZ} {}
    // (sx/2, sy/2, sz/2) and (-sx/2, -sy/2, -sz/2).
    void GetExtremes(CGmPosition& first, CGmPosition& second) const override;
    // eDsQuadBox.
    EDsQuadType GetType() const override { return eDsQuadBox; }
    // Does nothing.
    void ResetMembers() {}
    // The three sizes.
    void GetSize(float& x, float& y, float& z) const { x = m_size[0]; y = m_size[1]; z = m_size[2]; }
    // Sets the three sizes.
    void SetSize(float x, float y, float z);

protected:
    void ComputeBoundBox() override;

private:
    float m_size[3];
};

// Torus about the z axis: `inner` is the distance from the axis to the tube's inner side,
// `outer` the tube's radius.
class AFX_EXT_CLASS CDsTorus : public CDsBasicSurface {
public:
    // A torus of the given radii, whole periods (2 pi) and zero starts.
    explicit CDsTorus(float inner = 10.0f, float outer = 1.0f);
    // (a + 2b, a + 2b, b) and the opposite, a inner and b outer radius.
    void GetExtremes(CGmPosition& first, CGmPosition& second) const override;
    // eDsQuadTorus.
    EDsQuadType GetType() const override { return eDsQuadTorus; }
    // Inner radius 1, outer radius 10, both periods 2 pi, both starts 0.
    void ResetMembers();
    // The inner radius.
    float GetInnerRadius() const { return m_inner; }
    // Sets the inner radius.
    void SetInnerRadius(float radius) { m_inner = radius; InvalidateBoundBox(); }
    // The outer radius.
    float GetOuterRadius() const { return m_outer; }
    // Sets the outer radius.
    void SetOuterRadius(float radius) { m_outer = radius; InvalidateBoundBox(); }
    // The two periods.
    void GetPeriods(float& first, float& second) const { first = m_period[0]; second = m_period[1]; }
    // The two starts.
    void GetStarts(float& first, float& second) const { first = m_start[0]; second = m_start[1]; }
    // Sets the first period only.
    void SetPeriods(float period) { m_period[0] = period; }
    // Sets the first start only.
    void SetStart(float start) { m_start[0] = start; }

protected:
    void ComputeBoundBox() override;

private:
    float m_inner;
    float m_outer;
    float m_period[2];
    float m_start[2];
};

// Flat ring (or disk) on z = 0.
class AFX_EXT_CLASS CDsDisk : public CDsBasicSurface {
public:
    // A disk of the given inner and outer radii.
    explicit CDsDisk(float inner = 2.0f, float outer = 10.0f) : m_inner(inner), m_outer(outer) {}
    // (R, R, 0) and (-R, -R, 0), R the outer radius.
    void GetExtremes(CGmPosition& first, CGmPosition& second) const override;
    // eDsQuadDisk.
    EDsQuadType GetType() const override { return eDsQuadDisk; }
    // Does nothing.
    void ResetMembers() {}
    // The inner radius.
    float GetInnerRadius() const { return m_inner; }
    // Sets the inner radius.
    void SetInnerRadius(float radius) { m_inner = radius; InvalidateBoundBox(); }
    // The outer radius.
    float GetOuterRadius() const { return m_outer; }
    // Sets the outer radius.
    void SetOuterRadius(float radius) { m_outer = radius; InvalidateBoundBox(); }

protected:
    void ComputeBoundBox() override;

private:
    float m_inner;
    float m_outer;
};
