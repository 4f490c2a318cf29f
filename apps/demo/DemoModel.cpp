#include "DemoModel.h"

#include <acis.h>

#include <GL/gl.h>

#include <algorithm>
#include <cfloat>

namespace vyrdemo {
namespace {

// Keeps the nodes of the face being faceted and appends each triangle to the soup.
class TriangleCollector : public MESH_MANAGER {
public:
    explicit TriangleCollector(TriangleSoup& soup) : m_soup(&soup) {}
    // One soup per face into `faces`.
    explicit TriangleCollector(std::vector<TriangleSoup>& faces) : m_faces(&faces) {}

    void begin_mesh_output(ENTITY*, ENTITY*, ENTITY*) override
    {
        m_nodes.clear();
        if (m_faces) {
            m_faces->emplace_back();
            m_soup = &m_faces->back();
        }
    }
    void announce_counts(int, int nnode, int) override { m_nodes.reserve(nnode * 6); }
    void* announce_indexed_node(int index, const SPApar_pos&, const SPAposition& p, const SPAunit_vector& n) override {
        const float node[6] = {float(p.x()), float(p.y()), float(p.z()), float(n.x()), float(n.y()), float(n.z())};
        m_nodes.insert(m_nodes.end(), node, node + 6);
        return reinterpret_cast<void*>(static_cast<intptr_t>(index) + 1);  // never null
    }
    void start_indexed_polygon(int, int, int) override {}
    void announce_indexed_polynode(int, int, void* id) override {
        size_t node = static_cast<size_t>(reinterpret_cast<intptr_t>(id) - 1) * 6;
        m_soup->corners.insert(m_soup->corners.end(), m_nodes.begin() + node, m_nodes.begin() + node + 6);
    }

private:
    TriangleSoup* m_soup = nullptr;
    std::vector<TriangleSoup>* m_faces = nullptr;
    std::vector<float> m_nodes;
};

}  // namespace

namespace {

bool Facet(BODY* body, double surfaceTolerance, TriangleCollector& collector) {
    REFINEMENT* previous = nullptr;
    REFINEMENT* refinement = nullptr;
    api_get_default_refinement(previous);
    if (!api_create_refinement(refinement).ok()) return false;
    refinement->set_surface_tol(surfaceTolerance);
    refinement->set_normal_tol(15.0);
    api_set_default_refinement(refinement);
    api_set_mesh_manager(&collector);
    outcome result = api_facet_entity(body);
    api_set_mesh_manager(nullptr);
    api_set_default_refinement(previous);
    return result.ok();
}

}  // namespace

bool FacetBody(BODY* body, double surfaceTolerance, TriangleSoup& soup) {
    TriangleCollector collector(soup);
    return Facet(body, surfaceTolerance, collector);
}

bool FacetFaces(BODY* body, double surfaceTolerance, std::vector<TriangleSoup>& faces) {
    TriangleCollector collector(faces);
    return Facet(body, surfaceTolerance, collector);
}

bool Bounds(const TriangleSoup& soup, float low[3], float high[3]) {
    if (soup.corners.empty()) return false;
    for (int c = 0; c < 3; ++c) {
        low[c] = FLT_MAX;
        high[c] = -FLT_MAX;
    }
    for (size_t i = 0; i < soup.corners.size(); i += 6)
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], soup.corners[i + c]);
            high[c] = std::max(high[c], soup.corners[i + c]);
        }
    return true;
}

void DrawLit(const TriangleSoup& soup) {
    // The light is given in eye coordinates: from the viewer's upper left whatever the camera.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const float light[4] = {-0.3f, 0.5f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glPopMatrix();

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    const float diffuse[4] = {0.35f, 0.55f, 0.85f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, diffuse);
    glBegin(GL_TRIANGLES);
    for (size_t i = 0; i < soup.corners.size(); i += 6) {
        glNormal3fv(&soup.corners[i + 3]);
        glVertex3fv(&soup.corners[i]);
    }
    glEnd();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
}

}  // namespace vyrdemo
