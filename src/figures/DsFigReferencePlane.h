// CDsFigReferencePlane: a reference plane of the model, a rectangle of a working plane centred on
// its origin, shown as a grid of lines (every interval-th line red, the others grey) and, when
// filled, as one light grey quad of low opacity a little above the plane (z = 0.02 of the plane),
// so that the model shows through. The plane's item flag 1 keeps it out of extents computations:
// fitting the view to the model ignores it.
//
// Defaults: 200 x 200 units, grid spacing 10 along both axes, every 5th line a major (red) line,
// transparency 25 (of 255). The default constructor shows the model's xy plane with the grid on
// and the fill off: lines alone hide nothing of the model behind the plane and show in every
// render mode, whereas a fill alone, nearly transparent, would be hard to see at all.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - SetTransparency of a NaN changes nothing.
// - A spacing that is not above 0 or not finite, or a size that is not finite, draws no grid (the
//   line count would be unbounded).
#pragma once

#include <afx.h>

#include "DsFigure.h"
#include "GmPosition.h"
#include "UiPlanePositionMapper.h"

// A reference plane with its grid.
class AFX_EXT_CLASS CDsFigReferencePlane : public CDsFigure {
public:
    // The model's xy plane, 200 x 200, grid on, fill off (see the header comment); defined.
    CDsFigReferencePlane();
    // The plane of `mapper`, `width` x `height` units about its origin, with the grid and the fill
    // as given; active transformation off; defined.
    CDsFigReferencePlane(const CUiPlanePositionMapper& mapper, double width, double height, bool grid, bool fill);

    // The grid when on; the fill quad when on (colour 0xB3B3B3, the figure's transparency); the
    // generator's item flag 1. 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // Stores trunc(clamp(t, 0, 1) x 255); with a main group, redefines and gives the main group t.
    void SetTransparency(float transparency) override;
    // A copy of `mapper`; the corners mapped again (shows at the next definition).
    void SetMapper(const CUiPlanePositionMapper& mapper);
    // One two-point polyline per grid line (see the header comment), each mapped to the model.
    void DrawGrid(CDsFigureGenerator& generator);

    // The grid flag (shows at the next definition).
    void SetGrid(bool grid) { m_grid = grid; }
    // The fill flag (shows at the next definition).
    void SetFill(bool fill) { m_fill = fill; }
    // The grid flag.
    bool GetGrid() const { return m_grid; }
    // The fill flag.
    bool GetFill() const { return m_fill; }
    // The width.
    double GetWidth() const { return m_size[0]; }
    // The height.
    double GetHeight() const { return m_size[1]; }
    // The major-line interval.
    int GetMajorInterval() const { return m_interval; }
    // The grid spacings along x and y.
    void GetSpacing(double& x, double& y) const
    {
        x = m_spacing[0];
        y = m_spacing[1];
    }
    // The four corners in model coordinates.
    const CGmPosition* GetCorners() const { return m_corners; }
    // The plane mapper.
    const CUiPlanePositionMapper& GetMapper() const { return m_mapper; }

private:
    // The corners in plane coordinates at z = 0.02, mapped to the model.
    void MapCorners();
    // Transparency 25, then item flag 1 (which defines the figure).
    void Initialise();

    bool m_fill = false;
    bool m_grid = true;
    double m_size[2] = {200.0, 200.0};
    [[maybe_unused]] float m_reserved = 0.0f;  // reserved in the figure's layout; always 0
    int m_interval = 5;
    double m_spacing[2] = {10.0, 10.0};
    CGmPosition m_corners[4];
    CUiPlanePositionMapper m_mapper;
};
