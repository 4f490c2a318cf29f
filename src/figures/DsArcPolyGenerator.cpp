#include "DsArcPolyGenerator.h"

#include "DsPolylineStorage.h"

#include <cmath>

CDsArcPolyGenerator::CDsArcPolyGenerator(const CGmPosition& centre, double radius,
                                         const CGmTransformation& transformation, double start, double delta,
                                         double step)
    : m_centre(centre), m_radius(radius), m_start(start), m_delta(delta), m_step(step),
      m_transformation(transformation)
{
}

int CDsArcPolyGenerator::GetSegmentCount() const
{
    if (m_step == 0.0 || m_delta == 0.0) return 0;
    const double quotient = m_delta / m_step;
    if (!std::isfinite(m_step) || !std::isfinite(m_delta) || std::isnan(quotient)) return 0;
    // Clamped as a double: a tiny step must not overflow the integer.
    const double chords = std::fabs(std::trunc(quotient));
    if (chords < 1.0) return 1;
    if (chords > kMaxSegments) return kMaxSegments;
    return static_cast<int>(chords);
}

CDsPolylineStorage* CDsArcPolyGenerator::Approximate() const
{
    if (GetSegmentCount() == 0) return nullptr;
    CDsPolylineStorage* storage = new CDsPolylineStorage;
    Approximate(storage);
    return storage;
}

void CDsArcPolyGenerator::Approximate(CDsPolylineStorage* storage) const
{
    if (!storage) return;
    storage->RemoveAllVertices();
    const int n = GetSegmentCount();
    if (n == 0) return;
    const double d = m_delta / n;
    double c = std::cos(m_start), s = std::sin(m_start);
    const double cd = std::cos(d), sd = std::sin(d);
    const double cx = m_centre.x(), cy = m_centre.y(), cz = m_centre.z();
    storage->AddVertex(CGmPosition(cx + m_radius * c, cy + m_radius * s, cz));
    for (int i = 0; i < n; ++i) {
        const double nc = cd * c - sd * s;
        const double ns = cd * s + sd * c;
        c = nc;
        s = ns;
        storage->AddVertex(CGmPosition(cx + m_radius * c, cy + m_radius * s, cz));
    }
    storage->SetTransformation(m_transformation);
}

void CDsArcPolyGenerator::SetTransformation(const double* rows, const double* translation, double scale)
{
    if (!rows || !translation) return;
    const SPAmatrix matrix(SPAvector(rows[0], rows[1], rows[2]), SPAvector(rows[3], rows[4], rows[5]),
                           SPAvector(rows[6], rows[7], rows[8]));
    m_transformation = restore_transf(matrix.transpose(), SPAvector(translation[0], translation[1], translation[2]),
                                      scale, false, false, false);
}
