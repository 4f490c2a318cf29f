// The extension's geometric values.
#include "GmPosition.h"
#include "GmTransformation.h"

#include <cmath>

CGmPosition::CGmPosition(const double* xyz)
{
    if (xyz != nullptr) *this = CGmPosition(xyz[0], xyz[1], xyz[2]);
}

CGmPosition::CGmPosition(const float* xyz)
{
    if (xyz != nullptr) *this = CGmPosition(xyz[0], xyz[1], xyz[2]);
}

void CGmPosition::GetCoordinates(double* xyz) const
{
    if (xyz == nullptr) return;
    xyz[0] = x();
    xyz[1] = y();
    xyz[2] = z();
}

void CGmPosition::GetCoordinates(float* xyz) const
{
    if (xyz == nullptr) return;
    xyz[0] = static_cast<float>(x());
    xyz[1] = static_cast<float>(y());
    xyz[2] = static_cast<float>(z());
}

bool CGmPosition::IsFinite() const
{
    return std::isfinite(x()) && std::isfinite(y()) && std::isfinite(z());
}

namespace {

constexpr double kOrthoTolerance = 1e-6;
constexpr double kSnapTolerance = 1e-10;
constexpr double kTranslationSnap = 1e-11;

double Snap(double v)
{
    if (std::fabs(v) < kSnapTolerance) return 0.0;
    if (std::fabs(v - 1.0) < kSnapTolerance) return 1.0;
    if (std::fabs(v + 1.0) < kSnapTolerance) return -1.0;
    return v;
}

bool NearlyOrthonormal(const SPAmatrix& m)
{
    for (int i = 0; i < 3; ++i) {
        for (int j = i; j < 3; ++j) {
            const double expected = i == j ? 1.0 : 0.0;
            if (std::fabs((m.row(i) % m.row(j)) - expected) > kOrthoTolerance) return false;
        }
    }
    return true;
}

}  // namespace

CGmTransformation& CGmTransformation::FixTransformationMatrix()
{
    SPAmatrix m = affine();
    SPAvector t = translation();
    const double scale = scaling();

    bool finite = std::isfinite(scale);
    for (int i = 0; i < 3 && finite; ++i) {
        finite = std::isfinite(t.component(i));
        for (int j = 0; j < 3 && finite; ++j) finite = std::isfinite(m.element(i, j));
    }
    if (!finite) {
        *this = CGmTransformation();
        return *this;
    }

    if (NearlyOrthonormal(m)) {
        const bool mirror = m.determinant() < 0.0;
        const SPAvector r0 = normalise(m.row(0));
        const SPAvector r1 = normalise(m.row(1) - (m.row(1) % r0) * r0);
        SPAvector r2 = r0 * r1;
        if (mirror) r2 = -r2;
        m = SPAmatrix(r0, r1, r2);
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) m.set_element(i, j, Snap(m.element(i, j)));
        if (std::fabs(t.component(i)) < kTranslationSnap) t.set_component(i, 0.0);
    }
    const double fixedScale = std::fabs(scale - 1.0) < kSnapTolerance ? 1.0 : scale;
    *this = CGmTransformation(restore_transf(m, t, fixedScale));
    return *this;
}
