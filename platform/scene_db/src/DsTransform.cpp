// CDsTransform.
#include "DsTransform.h"

#include "SpaValues.h"

#include <cmath>
#include <cstring>

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Determinant of the 3 x 3 part, in double precision.
double Determinant3(const float* m)
{
    const double a = m[0], b = m[4], c = m[8];
    const double d = m[1], e = m[5], f = m[9];
    const double g = m[2], h = m[6], i = m[10];
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

}  // namespace

CDsTransform::CDsTransform() { std::memcpy(m_matrix, kIdentity, sizeof m_matrix); }

CDsTransform::CDsTransform(const SPAtransf& transf)
{
    const SPAmatrix& a = transf.affine();
    const double s = transf.scaling();
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) m_matrix[i * 4 + j] = static_cast<float>(s * a.element(i, j));
        m_matrix[i * 4 + 3] = 0.0f;
    }
    m_matrix[12] = static_cast<float>(transf.translation().x());
    m_matrix[13] = static_cast<float>(transf.translation().y());
    m_matrix[14] = static_cast<float>(transf.translation().z());
    m_matrix[15] = 1.0f;
    Classify();
}

CDsTransform::CDsTransform(const float* matrix)
{
    bool affine = matrix && matrix[3] == 0.0f && matrix[7] == 0.0f && matrix[11] == 0.0f && matrix[15] == 1.0f;
    for (int i = 0; affine && i < 16; ++i) affine = std::isfinite(matrix[i]);
    std::memcpy(m_matrix, affine ? matrix : kIdentity, sizeof m_matrix);
    Classify();
}

void CDsTransform::Classify()
{
    m_identity = true;
    for (int i = 0; i < 16 && m_identity; ++i) m_identity = std::fabs(m_matrix[i] - kIdentity[i]) <= 1e-6f;
    m_reflection = Determinant3(m_matrix) < 0.0;
}

float CDsTransform::GetElement(int row, int column) const
{
    if (row < 0 || row > 3 || column < 0 || column > 3) return 0.0f;
    return m_matrix[column * 4 + row];
}

double CDsTransform::Scaling() const { return std::cbrt(std::fabs(Determinant3(m_matrix))); }

SPAtransf CDsTransform::Convert2SPA() const
{
    if (m_identity) return SPAtransf();
    const double s = Scaling();
    if (!(s > 0.0) || !std::isfinite(s)) return SPAtransf();
    SPAmatrix affine(SPAvector(m_matrix[0] / s, m_matrix[1] / s, m_matrix[2] / s),
                     SPAvector(m_matrix[4] / s, m_matrix[5] / s, m_matrix[6] / s),
                     SPAvector(m_matrix[8] / s, m_matrix[9] / s, m_matrix[10] / s));
    return restore_transf(affine, SPAvector(m_matrix[12], m_matrix[13], m_matrix[14]), s);
}

void CDsTransform::Convert2SPA(SPAtransf& transf) const { transf = Convert2SPA(); }

SPAposition CDsTransform::TransformPoint(const SPAposition& p) const
{
    const float* m = m_matrix;
    return SPAposition(m[0] * p.x() + m[4] * p.y() + m[8] * p.z() + m[12],
                       m[1] * p.x() + m[5] * p.y() + m[9] * p.z() + m[13],
                       m[2] * p.x() + m[6] * p.y() + m[10] * p.z() + m[14]);
}

void CDsTransform::TransformPoint(float* xyz) const
{
    if (!xyz) return;
    const float* m = m_matrix;
    const float x = xyz[0], y = xyz[1], z = xyz[2];
    xyz[0] = m[0] * x + m[4] * y + m[8] * z + m[12];
    xyz[1] = m[1] * x + m[5] * y + m[9] * z + m[13];
    xyz[2] = m[2] * x + m[6] * y + m[10] * z + m[14];
}

SPAvector CDsTransform::TransformVector(const SPAvector& v) const
{
    const float* m = m_matrix;
    return SPAvector(m[0] * v.x() + m[4] * v.y() + m[8] * v.z(), m[1] * v.x() + m[5] * v.y() + m[9] * v.z(),
                     m[2] * v.x() + m[6] * v.y() + m[10] * v.z());
}

void CDsTransform::TransformVector(float* xyz) const
{
    if (!xyz) return;
    const float* m = m_matrix;
    const float x = xyz[0], y = xyz[1], z = xyz[2];
    xyz[0] = m[0] * x + m[4] * y + m[8] * z;
    xyz[1] = m[1] * x + m[5] * y + m[9] * z;
    xyz[2] = m[2] * x + m[6] * y + m[10] * z;
}

bool CDsTransform::Invert()
{
    if (m_identity) return true;
    const double det = Determinant3(m_matrix);
    if (det == 0.0 || !std::isfinite(det)) return false;
    // Element (r, c) of the 3 x 3 part.
    auto e = [this](int r, int c) { return static_cast<double>(m_matrix[c * 4 + r]); };
    double inv[3][3];
    inv[0][0] = (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) / det;
    inv[0][1] = (e(0, 2) * e(2, 1) - e(0, 1) * e(2, 2)) / det;
    inv[0][2] = (e(0, 1) * e(1, 2) - e(0, 2) * e(1, 1)) / det;
    inv[1][0] = (e(1, 2) * e(2, 0) - e(1, 0) * e(2, 2)) / det;
    inv[1][1] = (e(0, 0) * e(2, 2) - e(0, 2) * e(2, 0)) / det;
    inv[1][2] = (e(0, 2) * e(1, 0) - e(0, 0) * e(1, 2)) / det;
    inv[2][0] = (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0)) / det;
    inv[2][1] = (e(0, 1) * e(2, 0) - e(0, 0) * e(2, 1)) / det;
    inv[2][2] = (e(0, 0) * e(1, 1) - e(0, 1) * e(1, 0)) / det;
    const double t[3] = {m_matrix[12], m_matrix[13], m_matrix[14]};
    float result[16];
    for (int r = 0; r < 3; ++r) {
        double translation = 0.0;
        for (int c = 0; c < 3; ++c) {
            result[c * 4 + r] = static_cast<float>(inv[r][c]);
            translation -= inv[r][c] * t[c];
        }
        result[12 + r] = static_cast<float>(translation);
        result[r * 4 + 3] = 0.0f;
    }
    result[15] = 1.0f;
    for (float f : result) {
        if (!std::isfinite(f)) return false;
    }
    std::memcpy(m_matrix, result, sizeof m_matrix);
    Classify();
    return true;
}

CDsTransform CDsTransform::operator*(const CDsTransform& inner) const
{
    if (inner.m_identity) return *this;
    if (m_identity) return inner;
    CDsTransform product;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += m_matrix[k * 4 + r] * inner.m_matrix[c * 4 + k];
            product.m_matrix[c * 4 + r] = sum;
        }
    }
    product.Classify();
    return product;
}

CDsTransform& CDsTransform::operator*=(const CDsTransform& inner) { return *this = *this * inner; }

bool CDsTransform::operator==(const CDsTransform& other) const
{
    return std::memcmp(m_matrix, other.m_matrix, sizeof m_matrix) == 0;
}
