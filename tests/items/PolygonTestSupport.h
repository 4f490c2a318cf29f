// Meshes for the polygon items' tests: STL data (a cube, and meshes of many triangles that fall in
// two regions of the picture), triangulations, and a measuring view that records what it is sent.
#pragma once

#include "DsDriverExtrema.h"
#include "VyrStlData.h"
#include "ZOVOvivavUrezezovovaza.h"

#include "SpaValues.h"

#include <functional>
#include <memory>
#include <vector>

namespace vyrtest {

// STL data released (one reference given back) when the holder goes.
struct StlRelease {
    void operator()(CVyrStlData* data) const
    {
        if (data) data->decRC();
    }
};
using StlPtr = std::unique_ptr<CVyrStlData, StlRelease>;

// The quad a b c d as the triangles (a, b, c) and (a, c, d), counter-clockwise seen from the
// side it faces.
inline void AddQuad(CVyrStlData& data, const SPAposition& a, const SPAposition& b, const SPAposition& c,
                    const SPAposition& d)
{
    data.AddTriangle(CVyrTriangle(a, b, c));
    data.AddTriangle(CVyrTriangle(a, c, d));
}

// The cube of half side `h` about the origin, 12 triangles facing out. The +z face's diagonal runs
// from (-h, -h, h) to (h, h, h).
inline StlPtr MakeCube(double h)
{
    StlPtr data(new CVyrStlData);
    const SPAposition p[8] = {SPAposition(-h, -h, -h), SPAposition(h, -h, -h), SPAposition(h, h, -h),
                              SPAposition(-h, h, -h),  SPAposition(-h, -h, h), SPAposition(h, -h, h),
                              SPAposition(h, h, h),    SPAposition(-h, h, h)};
    AddQuad(*data, p[4], p[5], p[6], p[7]);  // +z
    AddQuad(*data, p[0], p[3], p[2], p[1]);  // -z
    AddQuad(*data, p[1], p[2], p[6], p[5]);  // +x
    AddQuad(*data, p[0], p[4], p[7], p[3]);  // -x
    AddQuad(*data, p[3], p[7], p[6], p[2]);  // +y
    AddQuad(*data, p[0], p[1], p[5], p[4]);  // -y
    return data;
}

// `count` triangles in the plane z = 0 facing +z: triangle t is the left triangle (x from -10 to
// -2) when `left(t)` holds, else the right one (x from 2 to 10); both span y from -10 to 10.
inline StlPtr MakeSplitMesh(int count, const std::function<bool(int)>& left)
{
    StlPtr data(new CVyrStlData);
    const CVyrTriangle l(SPAposition(-10, -10, 0), SPAposition(-2, -10, 0), SPAposition(-6, 10, 0));
    const CVyrTriangle r(SPAposition(2, -10, 0), SPAposition(10, -10, 0), SPAposition(6, 10, 0));
    for (int t = 0; t < count; ++t) data->AddTriangle(left(t) ? l : r);
    return data;
}

// A triangulation of `count` copies of one triangle (three vertices shared by all).
inline std::unique_ptr<ZOVOvivavUrezezovovaza> MakeTriangulation(int count, const VOREvu3v<float>& a,
                                                                 const VOREvu3v<float>& b, const VOREvu3v<float>& c)
{
    auto set = std::make_unique<ZOVOvivavUrezezovovaza>();
    const int i = set->AddVertex(a), j = set->AddVertex(b), k = set->AddVertex(c);
    for (int t = 0; t < count; ++t) set->AddTriangle(i, j, k);
    return set;
}

// A measuring view that records the points it is sent and the model transform in force for each.
class RecordingExtremaView : public CDsViewExtrema {
public:
    RecordingExtremaView() : CDsViewExtrema(nullptr) {}
    int draw_point_3d(const SPAposition& p) override
    {
        points.push_back(p);
        transforms.push_back(get_model_transform());
        return 1;
    }
    std::vector<SPAposition> points;
    std::vector<SPAtransf> transforms;
};

}  // namespace vyrtest
