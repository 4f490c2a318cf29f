// The floor that the drawing benchmarks set the display core's roads beside: the triangles of a
// body's display meshes and the points of its edge polylines as vertex buffers (one buffer per
// face and per edge, as the items hold them), drawn in a plain loop with no walk. Also the
// benchmark plate faceted at the finer tolerances of the faceting benchmark (about 89 thousand
// triangles), and an oblique parallel camera fitted to a box.
//
// Needs a current OpenGL context with vertex buffers (the driver statics' extensions loaded) for
// everything that makes or draws buffers.
#pragma once

#include "DsDriverGl.h"
#include "DsEllipseStorage.h"
#include "DsGlSketch.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "VyrPolylineEntry.h"
#include "VyrRefinement.h"

#include "SpaBuilders.h"
#include "SpaValues.h"
#include "view3d.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <memory>
#include <vector>

namespace bench {

// The finer tolerance pair of the faceting benchmark: surface tolerance (model units) and normal
// tolerance (degrees). The plate gives about 89 thousand triangles.
constexpr double kSurfaceTol = 0.05;
constexpr double kNormalTolDegrees = 5.0;

// One vertex buffer: positions (and normals) with triangle indices, or a line strip.
struct SBuffer {
    GLuint positions = 0;
    GLuint normals = 0;
    GLuint indices = 0;
    int count = 0;  // indices of a face, points of an edge
    GLenum mode = GL_TRIANGLES;

    // Draws the buffer (the vertex array must be enabled).
    void Draw() const
    {
        CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, positions);
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        if (normals) {
            glEnableClientState(GL_NORMAL_ARRAY);
            CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, normals);
            glNormalPointer(GL_FLOAT, 0, nullptr);
        } else {
            glDisableClientState(GL_NORMAL_ARRAY);
        }
        if (indices) {
            CDsDriverGl::BindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, indices);
            glDrawElements(mode, count, GL_UNSIGNED_INT, nullptr);
        } else {
            glDrawArrays(mode, 0, count);
        }
    }
};

// The buffers of the faces and edges of one or more mesh interfaces, freed with the object (its
// OpenGL context must then be current).
class CMeshBuffers {
public:
    CMeshBuffers() = default;
    ~CMeshBuffers() { Release(); }
    CMeshBuffers(const CMeshBuffers&) = delete;
    CMeshBuffers& operator=(const CMeshBuffers&) = delete;

    // A buffer for every face mesh and every edge polyline of `meshes`; an edge kept as a
    // view-dependent ellipse takes the points it has for `view`. False when a buffer could not
    // be made.
    bool Add(const CVyrMeshInterface& meshes, view3d* view)
    {
        std::vector<CVyrIndexedMesh*> all;
        meshes.GetAllMeshes(all);
        for (CVyrIndexedMesh* mesh : all) {
            std::vector<int> indices;
            mesh->GenerateTrianglesList(indices);
            if (indices.empty()) continue;
            std::vector<float> positions, normals;
            for (int i = 0; i < mesh->get_num_vertex(); ++i) {
                const float* p = mesh->GetFloatPosition(i);
                const float* n = mesh->GetFloatNormal(i);
                positions.insert(positions.end(), p, p + 3);
                normals.insert(normals.end(), n, n + 3);
                box_ |= SPAposition(p[0], p[1], p[2]);
            }
            SBuffer b;
            b.positions = CDsDriverGl::CreateBufferVBO(int(positions.size() * sizeof(float)), positions.data(), false);
            b.normals = CDsDriverGl::CreateBufferVBO(int(normals.size() * sizeof(float)), normals.data(), false);
            b.indices = CDsDriverGl::CreateBufferVBO(int(indices.size() * sizeof(int)), indices.data(), true);
            b.count = static_cast<int>(indices.size());
            faces_.push_back(b);
            if (!b.positions || !b.normals || !b.indices) return Unbound(false);
            triangles_ += b.count / 3;
        }
        for (auto it = meshes.BeginPolylines(); it != meshes.EndPolylines(); ++it) {
            std::vector<float> points;
            if (const CVyrPolylineEntry* entry = it->second.get()) {
                if (CDsEllipseStorage* ellipse = entry->GetEllipse()) {
                    const SPAposition* p = nullptr;
                    const int n = ellipse->ApproximateEllipse(view, p);
                    for (int i = 0; i < n && p; ++i)
                        points.insert(points.end(), {float(p[i].x()), float(p[i].y()), float(p[i].z())});
                } else {
                    const float* p = nullptr;
                    const int n = entry->GetPoints(p);
                    if (p && n > 0) points.assign(p, p + 3 * n);
                }
            }
            if (points.size() < 6) continue;
            SBuffer b;
            b.positions = CDsDriverGl::CreateBufferVBO(int(points.size() * sizeof(float)), points.data(), false);
            b.count = static_cast<int>(points.size() / 3);
            b.mode = GL_LINE_STRIP;
            edges_.push_back(b);
            if (!b.positions) return Unbound(false);
            edgePoints_ += b.count;
        }
        return Unbound(true);
    }
    // Frees every buffer.
    void Release()
    {
        for (std::vector<SBuffer>* list : {&faces_, &edges_})
            for (SBuffer& b : *list) {
                CDsDriverGl::DeleteBufferVBO(b.positions);
                CDsDriverGl::DeleteBufferVBO(b.normals);
                CDsDriverGl::DeleteBufferVBO(b.indices);
            }
        faces_.clear();
        edges_.clear();
        triangles_ = edgePoints_ = 0;
        box_ = SPAbox();
    }

    // Every face, straight from the buffers.
    void DrawFaces() const
    {
        for (const SBuffer& b : faces_) b.Draw();
    }
    // Every edge, straight from the buffers.
    void DrawEdges() const
    {
        for (const SBuffer& b : edges_) b.Draw();
    }
    // Leaves no buffer bound (what drawing through the display core expects).
    static void Unbind()
    {
        CDsDriverGl::BindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
        CDsDriverGl::BindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
    }

    // The face buffers, then the edge buffers (their addresses stay while nothing is added).
    const std::vector<SBuffer>& Faces() const { return faces_; }
    const std::vector<SBuffer>& Edges() const { return edges_; }
    // Triangles of all faces, points of all edges.
    long Triangles() const { return triangles_; }
    long EdgePoints() const { return edgePoints_; }
    // The box of the faces' vertices.
    const SPAbox& Box() const { return box_; }

private:
    static bool Unbound(bool result)
    {
        Unbind();
        return result;
    }

    std::vector<SBuffer> faces_;
    std::vector<SBuffer> edges_;
    long triangles_ = 0;
    long edgePoints_ = 0;
    SPAbox box_;
};

// The plate through the body sketch at the finer tolerances, with every edge a polyline (no
// view-dependent ellipses). Faceted before a rendering context exists, whose scene makes its own
// refinement current.
inline std::unique_ptr<CVyrMeshInterface> FacetPlate()
{
    std::unique_ptr<BODY, void (*)(BODY*)> plate(make_benchmark_plate(), [](BODY* b) {
        if (b) b->lose();
    });
    if (!plate) return nullptr;
    CVyrRefinement refinement;
    refinement.SetSurfaceTol(kSurfaceTol);
    refinement.SetNormalTol(kNormalTolDegrees);
    CVyrRefinement* previous = CVyrRefinement::sCurrentRefinement;
    CVyrRefinement::StSetCurrentRefinement(&refinement);
    const bool ellipses = CDsEllipseStorage::StGetDynamicEllipses();
    CDsEllipseStorage::StSetDynamicEllipses(false);
    CDsGlSketch sketch(nullptr);
    std::unique_ptr<CVyrMeshInterface> meshes(sketch.BuildBody(plate.get(), true));
    CDsEllipseStorage::StSetDynamicEllipses(ellipses);
    CVyrRefinement::StSetCurrentRefinement(previous);
    return meshes;
}

// An oblique parallel camera on `view` that shows all of `box` in a `width` x `height` viewport.
inline void ObliqueParallelView(view3d& view, const SPAbox& box, int width, int height)
{
    const SPAposition centre = box.mid();
    const double size = (box.high() - box.low()).len();
    view.set_perspective(false);
    view.set_target(centre);
    view.set_eye(centre + SPAvector(0.6, -0.5, 0.8) * size);
    view.set_up(SPAvector(0, 0, 1));
    view.set_width(size);
    view.set_height(size * height / width);
    view.set_hither(0.01 * size);
    view.set_yon(3.0 * size);
    view.adjust_aspect();
}

// Sends a material for both faces as the draw walk does for a lit face of colour `color`
// (0x00BBGGRR, opaque): two-sided lighting, ambient, diffuse, specular and emission as the colour
// times the scene database's default factors, and its shininess.
inline void SetDefaultMaterial(uint32_t color, const float factors[5])
{
    const float r = float(color & 0xFF) / 255.0f, g = float((color >> 8) & 0xFF) / 255.0f,
                b = float((color >> 16) & 0xFF) / 255.0f;
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    const GLenum terms[4] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION};
    const float scale[4] = {factors[0], factors[1], factors[2], factors[4]};
    for (int i = 0; i < 4; ++i) {
        const float value[4] = {r * scale[i], g * scale[i], b * scale[i], 1.0f};
        glMaterialfv(GL_FRONT_AND_BACK, terms[i], value);
    }
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, factors[3]);
}

}  // namespace bench
