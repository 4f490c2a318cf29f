// CVyrRefinement: the faceting tolerances and modes with which bodies are meshed and edges and
// curves approximated. Every rendering context's scene owns one, filled from the display
// preferences; the body sketch and the mesh interface read the one that is current, and the mesh
// interface turns it into the faceter's REFINEMENT when it facets.
//
// Current refinement. sCurrentRefinement is the refinement last made current (by the rendering
// context when a view is added or the refinement set: StSetCurrentRefinement), null at start.
// A refinement that is destroyed while current clears the pointer, so a scene that goes leaves no
// dangling current refinement behind, and neither does the process's default instance when the
// core unloads. StGetCurrentRefinement answers the current one, else the default instance.
//
// Choices left open:
// - Setters store what they are given, unchecked; the faceter refuses out-of-range tolerances
//   when it runs (a zero or negative surface tolerance makes faceting fail with BAD_TOLERANCE).
// - The scene's own refinement is not consulted here: the scene makes its refinement current
//   itself (StSetCurrentRefinement), so that the answer for the current view is its scene's.
#pragma once

#include <afx.h>

#include "SpaFaceter.h"

// Faceting parameters.
class AFX_EXT_CLASS CVyrRefinement {
public:
    // The defaults: 512 grid lines, curve tolerance 0.1, surface tolerance 0.5, grid,
    // triangulation and adjust modes 1, dynamic allocation 1, everything else 0 or false.
    CVyrRefinement() = default;
    // Copies every field.
    CVyrRefinement(const CVyrRefinement& other) = default;
    // Copies every field.
    CVyrRefinement& operator=(const CVyrRefinement& other) = default;
    // Clears sCurrentRefinement when it points to this refinement.
    virtual ~CVyrRefinement();

    // Whether the refinement was changed since its owner last looked (no setter touches it).
    bool GetChangedFlag() const { return m_changed; }
    // Sets the changed flag.
    void SetChangedFlag(bool changed) { m_changed = changed; }
    // Maximum number of grid lines per direction.
    int GetMaxGridLines() const { return m_maxGridLines; }
    // Sets the maximum number of grid lines.
    void SetMaxGridLines(int count) { m_maxGridLines = count; }
    // Minimum number of grid lines in u.
    int GetMinUGridLines() const { return m_minUGridLines; }
    // Sets the minimum number of grid lines in u.
    void SetMinUGridLines(int count) { m_minUGridLines = count; }
    // Minimum number of grid lines in v.
    int GetMinVGridLines() const { return m_minVGridLines; }
    // Sets the minimum number of grid lines in v.
    void SetMinVGridLines(int count) { m_minVGridLines = count; }
    // Chord tolerance of edges and curves (model units).
    double GetCurveTol() const { return m_curveTol; }
    // Sets the curve tolerance.
    void SetCurveTol(double tol) { m_curveTol = tol; }
    // Normal tolerance of facets (degrees; 0 lets the faceter choose).
    double GetNormalTol() const { return m_normalTol; }
    // Sets the normal tolerance.
    void SetNormalTol(double tol) { m_normalTol = tol; }
    // Surface tolerance of facets (model units).
    double GetSurfaceTol() const { return m_surfaceTol; }
    // Sets the surface tolerance.
    void SetSurfaceTol(double tol) { m_surfaceTol = tol; }
    // Surface tolerance used while the view moves (kept for the host).
    double GetDynamicSurfaceTolerance() const { return m_dynamicSurfaceTol; }
    // Sets the dynamic surface tolerance.
    void SetDynamicSurfaceTolerance(double tol) { m_dynamicSurfaceTol = tol; }
    // Maximum facet edge length (0: none).
    double GetMaxEdgeLength() const { return m_maxEdgeLength; }
    // Sets the maximum facet edge length.
    void SetMaxEdgeLength(double length) { m_maxEdgeLength = length; }
    // Largest aspect ratio of grid cells (0: none).
    double GetGridAspectRatio() const { return m_gridAspectRatio; }
    // Sets the grid aspect ratio.
    void SetGridAspectRatio(double ratio) { m_gridAspectRatio = ratio; }
    // The faceter's grid mode.
    AF_GRID_MODE GetGridMode() const { return m_gridMode; }
    // Sets the grid mode.
    void SetGridMode(AF_GRID_MODE mode) { m_gridMode = mode; }
    // The faceter's triangulation mode.
    AF_TRIANG_MODE GetTriangMode() const { return m_triangMode; }
    // Sets the triangulation mode.
    void SetTriangMode(AF_TRIANG_MODE mode) { m_triangMode = mode; }
    // The faceter's adjust mode.
    AF_ADJUST_MODE GetAdjustMode() const { return m_adjustMode; }
    // Sets the adjust mode.
    void SetAdjustMode(AF_ADJUST_MODE mode) { m_adjustMode = mode; }
    // The surface kinds the refinement is for.
    AF_SURF_MODE GetSurfaceMode() const { return m_surfaceMode; }
    // Sets the surface mode.
    void SetSurfaceMode(AF_SURF_MODE mode) { m_surfaceMode = mode; }
    // Grading mode (kept for the host).
    int GetGradingMode() const { return m_gradingMode; }
    // Sets the grading mode.
    void SetGradingMode(int mode) { m_gradingMode = mode; }
    // Dynamic mesh allocation flag (kept for the host).
    int GetDynamicAllocMeshFlag() const { return m_dynamicAllocMesh; }
    // Sets the dynamic mesh allocation flag.
    void SetDynamicAllocMeshFlag(int flag) { m_dynamicAllocMesh = flag; }
    // Display-vertices flag: a free-form edge whose points all lie within the curve tolerance of
    // its chord is drawn as the chord alone.
    int GetUseDisplayVerticiesFlag() const { return m_useDisplayVertices; }
    // Sets the display-vertices flag.
    void SetUseDisplayVerticiesFlag(int flag) { m_useDisplayVertices = flag; }

    // Overwrites the surface tolerance, the maximum grid lines, the normal tolerance and the curve
    // tolerance from the current document's faceting preferences (an absent preference keeps its
    // value); the other fields keep theirs.
    void ReadPreferences();
    // Does nothing (kept for hosts that call it).
    void TraceData() const {}

    // The refinement of the current view's scene when the view has a rendering context (its
    // OpenGL context made current first when another one is); else the current refinement, else
    // the default instance. Never null.
    static const CVyrRefinement* StGetCurrentRefinement();
    // Makes `refinement` current (null: none, so the default instance answers).
    static void StSetCurrentRefinement(CVyrRefinement* refinement) { sCurrentRefinement = refinement; }

    // The process's default refinement (default values, lives until the core unloads).
    static CVyrRefinement sDefaultRefinement;
    // The refinement last made current, null when none.
    static CVyrRefinement* sCurrentRefinement;

private:
    bool m_changed = false;
    int m_maxGridLines = 512;
    int m_minUGridLines = 0;
    int m_minVGridLines = 0;
    double m_curveTol = 0.1;
    double m_normalTol = 0.0;
    double m_surfaceTol = 0.5;
    double m_dynamicSurfaceTol = 0.0;
    double m_maxEdgeLength = 0.0;
    double m_gridAspectRatio = 0.0;
    AF_GRID_MODE m_gridMode = AF_GRID_MODE_INSIDE;
    AF_TRIANG_MODE m_triangMode = AF_TRIANG_MODE_TRIANGLES;
    AF_ADJUST_MODE m_adjustMode = AF_ADJUST_MODE_SMOOTH_NON_GRID;
    AF_SURF_MODE m_surfaceMode = AF_SURF_MODE_ANY;
    int m_gradingMode = 0;
    int m_dynamicAllocMesh = 1;
    int m_useDisplayVertices = 0;
};
