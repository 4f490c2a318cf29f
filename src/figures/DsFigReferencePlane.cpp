#include "DsFigReferencePlane.h"

#include "DsColorStorage.h"
#include "DsFigureGenerator.h"
#include "DsItemsFigure.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kMajorLineColor = 0x0000FF;
constexpr uint32_t kMinorLineColor = 0x7F7F7F;
constexpr uint32_t kFillColor = 0xB3B3B3;
constexpr uint8_t kDefaultTransparency = 25;

// A float whose trunc(value x 255) is `byte`.
float TransparencyOfByte(uint8_t byte) { return (float(byte) + 0.5f) / 255.0f; }

}  // namespace

CDsFigReferencePlane::CDsFigReferencePlane() : CDsFigure(true, true, false)
{
    MapCorners();
    Initialise();
}

CDsFigReferencePlane::CDsFigReferencePlane(const CUiPlanePositionMapper& mapper, double width, double height,
                                           bool grid, bool fill)
    : CDsFigure(false, true, false), m_fill(fill), m_grid(grid), m_mapper(mapper)
{
    m_size[0] = width;
    m_size[1] = height;
    MapCorners();
    Initialise();
}

void CDsFigReferencePlane::Initialise()
{
    StoredAttributes().SetTransparency(TransparencyOfByte(kDefaultTransparency));
    SetFlag(eDsItemFlagNoExtents);
}

void CDsFigReferencePlane::MapCorners()
{
    const double x = m_size[0] / 2.0, y = m_size[1] / 2.0;
    const SPAposition plane[4] = {SPAposition(-x, -y, 0.02), SPAposition(-x, y, 0.02), SPAposition(x, -y, 0.02),
                                  SPAposition(x, y, 0.02)};
    for (int i = 0; i < 4; ++i) m_corners[i] = CGmPosition(m_mapper.WorkToModel(plane[i]));
}

void CDsFigReferencePlane::SetMapper(const CUiPlanePositionMapper& mapper)
{
    m_mapper = mapper;
    MapCorners();
}

int CDsFigReferencePlane::DefineFig(CDsFigureGenerator& generator)
{
    if (m_grid) DrawGrid(generator);
    if (m_fill) {
        generator.SetPenColor(CDsColorStorage(kFillColor));
        const uint8_t byte = GetLineAttributes().GetTransparencyByte();
        generator.SetTransparency(TransparencyOfByte(byte));
        double corners[12];
        for (int i = 0; i < 4; ++i) m_corners[i].GetCoordinates(corners + 3 * i);
        generator.DrawQuads(2, 2, corners, nullptr);
    }
    generator.SetFlag(eDsItemFlagNoExtents);
    return 1;
}

void CDsFigReferencePlane::DrawGrid(CDsFigureGenerator& generator)
{
    const double halfX = m_size[0] / 2.0, halfY = m_size[1] / 2.0;
    const double sx = m_spacing[0], sy = m_spacing[1];
    if (!std::isfinite(halfX) || !std::isfinite(halfY) || !(sx > 0.0) || !(sy > 0.0) || !std::isfinite(sx) ||
        !std::isfinite(sy))
        return;
    // Line counts are bounded: a spacing far below the size would make millions of lines.
    const double countX = std::trunc(std::fabs(halfX) / sx), countY = std::trunc(std::fabs(halfY) / sy);
    if (countX > 100000.0 || countY > 100000.0) return;
    const double X = std::fabs(halfX), Y = std::fabs(halfY);
    auto line = [&](int k, const SPAposition& a, const SPAposition& b) {
        generator.SetPenStyle(0);
        const bool major = m_interval != 0 && k % m_interval == 0;
        generator.SetPenColor(CDsColorStorage(major ? kMajorLineColor : kMinorLineColor));
        generator.SetPenWidth(1);
        const CGmPosition points[2] = {CGmPosition(m_mapper.WorkToModel(a)), CGmPosition(m_mapper.WorkToModel(b))};
        generator.DrawPolyline(2, points);
    };
    for (int k = 0; k <= int(countX); ++k) {
        const double x = k * sx;
        line(k, SPAposition(-x, -Y, 0.0), SPAposition(-x, Y, 0.0));
        if (k > 0) line(k, SPAposition(x, -Y, 0.0), SPAposition(x, Y, 0.0));
    }
    for (int k = 0; k <= int(countY); ++k) {
        const double y = k * sy;
        line(k, SPAposition(-X, -y, 0.0), SPAposition(X, -y, 0.0));
        if (k > 0) line(k, SPAposition(-X, y, 0.0), SPAposition(X, y, 0.0));
    }
}

void CDsFigReferencePlane::SetTransparency(float transparency)
{
    if (std::isnan(transparency)) return;
    const float t = std::clamp(transparency, 0.0f, 1.0f);
    StoredAttributes().SetTransparency(TransparencyOfByte(uint8_t(std::trunc(t * 255.0f))));
    if (!GetDlFigure()) return;
    ReDefineFig();
    if (CDsItemsFigure* group = GetDlFigure()) group->SetTransparency(t);
}
