// CVyrStlData: a reference-counted triangle mesh (as read from an STL model), and CVyrTriangle,
// one of its triangles.
#pragma once

#include "VyrModelerExtApi.h"

#include <vector>

#include "VyrEntityTypes.h"

// A triangle: three positions and a unit normal.
class VYR_MODELER_EXT_API CVyrTriangle {
public:
    // The triangle p0 p1 p2 with the normal of its winding (p1 - p0) x (p2 - p0) (zero for a
    // degenerate triangle).
    CVyrTriangle(const SPAposition& p0, const SPAposition& p1, const SPAposition& p2);
    // The triangle with a given normal (normalised; zero when it has no length).
    CVyrTriangle(const SPAposition& p0, const SPAposition& p1, const SPAposition& p2, const SPAvector& normal);

    // The three positions (an array of 3).
    const SPAposition* GetPosVec() const { return m_pos; }
    // The unit normal (zero for a degenerate triangle).
    const SPAunit_vector& GetNormal() const { return m_normal; }

private:
    SPAposition m_pos[3];
    SPAunit_vector m_normal;
};

// A triangle mesh shared by reference count. It starts with one reference, its creator's;
// addRC() takes another and decRC() gives one back, freeing the data with the last one.
class VYR_MODELER_EXT_API CVyrStlData {
public:
    // An empty mesh holding its creator's reference.
    CVyrStlData();
    // Not copyable: shared by reference count.
    CVyrStlData(const CVyrStlData&) = delete;
    CVyrStlData& operator=(const CVyrStlData&) = delete;

    // Takes one more reference.
    void addRC() { ++m_rc; }
    // Gives back one reference; frees the data when none is left.
    void decRC();
    // Number of references held.
    int GetRC() const { return m_rc; }

    // Appends a triangle.
    void AddTriangle(const CVyrTriangle& triangle) { m_triangles.push_back(triangle); }
    // Number of triangles.
    int GetTrianglesCount() const { return static_cast<int>(m_triangles.size()); }
    // True when there is no triangle.
    bool IsEmpty() const { return m_triangles.empty(); }
    // Triangle `index`, or null outside 0..GetTrianglesCount()-1.
    const CVyrTriangle* operator[](int index) const;
    // Restarts the walk and answers the first triangle, or null.
    const CVyrTriangle* GetFirstTriangle();
    // The next triangle of the walk, or null at the end.
    const CVyrTriangle* GetNextTriangle();

protected:
    // Frees the triangles (through decRC only).
    virtual ~CVyrStlData();

private:
    std::vector<CVyrTriangle> m_triangles;
    int m_rc = 1;
    int m_cursor = 0;
};
