// The strips walker and its receivers: CDsStripsWalker sends a face's indexed mesh, polygon by
// polygon, as blocks, strips, normals, palette colours and vertices to a CDsStripsCollector;
// CDsStripsRendererGl turns each call into one OpenGL call. The face item draws a mesh that
// carries per-vertex colours this way (every vertex sends its colour).
//
// The walk: a mesh without strip order (link -2 in its first polygon) goes out as runs of
// triangles and of quads, each run one block, other polygons each a polygon block; a mesh in strip
// order as triangle strips (a triangle, then the third vertex of each following triangle that
// continues the strip), quad strips (vertices 0 and 1, then 3 and 2 of this quad and of each
// following quad that continues it) and polygon blocks. A reversed mesh (reverse flag not 0) sends
// every normal negated through Normal(x, y, z), any other sends the stored normal through
// Normal(const float*).
//
// Choices where the behaviour was open:
// - A strip ends at a polygon whose vertex count differs from the strip's; polygons of fewer than
//   three vertices are left out.
// - A mesh without per-vertex colours sends no colours.
#pragma once

class CVyrIndexedMesh;
class CVyrPolygonVertex;

// The receiver of the strips walker: one call per block, normal, colour and vertex.
class CDsStripsCollector {
public:
    // Nothing to free.
    virtual ~CDsStripsCollector() = default;
    // A block of separate triangles begins.
    virtual void BeginTriangles() = 0;
    // A block of separate quads begins.
    virtual void BeginQuads() = 0;
    // A polygon begins.
    virtual void BeginPolygon() = 0;
    // A quad strip begins.
    virtual void BeginQuadStrip() = 0;
    // A triangle strip begins.
    virtual void BeginTriangleStrip() = 0;
    // The colour of a palette index of the active vertex colour palette.
    virtual void SetColor(int index) = 0;
    // A normal.
    virtual void Normal(float x, float y, float z) = 0;
    // A normal (three floats).
    virtual void Normal(const float* normal) = 0;
    // A vertex.
    virtual void Vertex(float x, float y, float z) = 0;
    // A vertex (three floats).
    virtual void Vertex(const float* position) = 0;
    // The block begun last ends.
    virtual void End() = 0;
};

// The OpenGL receiver: each call is the OpenGL call of its name (the colour by the active vertex
// colour palette, CDsDriverGl::StSetColor).
class CDsStripsRendererGl : public CDsStripsCollector {
public:
    // glBegin(GL_TRIANGLES).
    void BeginTriangles() override;
    // glBegin(GL_QUADS).
    void BeginQuads() override;
    // glBegin(GL_POLYGON).
    void BeginPolygon() override;
    // glBegin(GL_QUAD_STRIP).
    void BeginQuadStrip() override;
    // glBegin(GL_TRIANGLE_STRIP).
    void BeginTriangleStrip() override;
    // The palette colour of `index` (glColor3ub).
    void SetColor(int index) override;
    // glNormal3f.
    void Normal(float x, float y, float z) override;
    // glNormal3fv.
    void Normal(const float* normal) override;
    // glVertex3f.
    void Vertex(float x, float y, float z) override;
    // glVertex3fv.
    void Vertex(const float* position) override;
    // glEnd.
    void End() override;
};

// Walks one mesh into a receiver; made on the stack for one draw.
class CDsStripsWalker {
public:
    // A walker over `mesh` (not owned) into `receiver` (not owned); reversed from the mesh's
    // reverse flag.
    CDsStripsWalker(const CVyrIndexedMesh* mesh, CDsStripsCollector* receiver);
    // Sends the whole mesh; nothing for a null mesh or receiver, or a mesh without polygons.
    void Draw();
    // The vertices sent so far.
    int GetVertexCount() const { return m_vertexCount; }

private:
    // One triangle strip from polygon `next` on; `next` ends past it.
    void TriangleStrip(int& next);
    // One quad strip from polygon `next` on; `next` ends past it.
    void QuadStrip(int& next);
    // The runs of a mesh without strip order.
    void PlainPolygons();
    // Normal, colour and position of one vertex.
    void SendVertex(const CVyrPolygonVertex* vertex);

    const CVyrIndexedMesh* m_mesh;
    [[maybe_unused]] int m_reserved = 0;  // reserved in the walker's layout; always 0
    CDsStripsCollector* m_receiver;
    int m_vertexCount = 0;
    bool m_reversed;
};
