#include "DsMatrix.h"

#include <SpaValues.h>
#include <view3d.h>
#include <windows.h>
#include <GL/gl.h>

#include <cstring>

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

}  // namespace

const SPAtransf& CDsMatrix::StIdentity()
{
    static const SPAtransf identity;
    return identity;
}

CDsMatrix::CDsMatrix(const CDsMatrix& other)
{
    Allocate();
    Copy(other);
}

CDsMatrix& CDsMatrix::operator=(const CDsMatrix& other)
{
    Copy(other);
    return *this;
}

CDsMatrix::~CDsMatrix()
{
    Free();
}

void CDsMatrix::Free()
{
    delete[] m_matrix;
    m_matrix = nullptr;
    delete m_transform;
    m_transform = nullptr;
}

void CDsMatrix::Allocate()
{
    if (!m_matrix) {
        m_matrix = new float[16];
        std::memcpy(m_matrix, kIdentity, sizeof(kIdentity));
    }
    if (!m_transform) m_transform = new SPAtransf();
}

void CDsMatrix::Copy(const CDsMatrix& other)
{
    if (this == &other) return;
    Allocate();
    *m_transform = other.GetTransformation();
    std::memcpy(m_matrix, other.m_matrix ? other.m_matrix : kIdentity, sizeof(kIdentity));
}

void CDsMatrix::SetTransformation(const SPAtransf& t)
{
    Allocate();
    const SPAmatrix& a = t.affine();
    const double s = t.scaling();
    for (int row = 0; row < 3; ++row) {
        for (int c = 0; c < 3; ++c) m_matrix[4 * row + c] = static_cast<float>(s * a.element(row, c));
        m_matrix[4 * row + 3] = 0.0f;
    }
    m_matrix[12] = static_cast<float>(t.translation().x());
    m_matrix[13] = static_cast<float>(t.translation().y());
    m_matrix[14] = static_cast<float>(t.translation().z());
    m_matrix[15] = 1.0f;
    *m_transform = t;
}

void CDsMatrix::Multiply(const SPAtransf& t)
{
    const SPAtransf product = EffectiveTransform() * t;
    SetTransformation(product);
}

void CDsMatrix::SetIdentity()
{
    if (m_transform && !m_transform->identity()) Free();
    Allocate();
    *m_transform = SPAtransf();
    std::memcpy(m_matrix, kIdentity, sizeof(kIdentity));
}

void CDsMatrix::SetMatrix(const float* m)
{
    if (!m) return;
    Allocate();
    std::memcpy(m_matrix, m, sizeof(kIdentity));
}

void CDsMatrix::Transpose()
{
    Allocate();
    static const int pairs[6][2] = {{1, 4}, {2, 8}, {3, 12}, {6, 9}, {7, 13}, {11, 14}};
    for (const auto& p : pairs) {
        const float v = m_matrix[p[0]];
        m_matrix[p[0]] = m_matrix[p[1]];
        m_matrix[p[1]] = v;
    }
}

void CDsMatrix::PreMultiply(const CDsMatrix& other)
{
    Allocate();
    const float* left = other.m_matrix ? other.m_matrix : kIdentity;
    float before[16];
    std::memcpy(before, m_matrix, sizeof(before));
    float leftCopy[16];
    std::memcpy(leftCopy, left, sizeof(leftCopy));  // `other` may be this matrix
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += leftCopy[4 * k + r] * before[4 * c + k];
            m_matrix[4 * c + r] = sum;
        }
    }
}

void CDsMatrix::CopyTransform(const SPAtransf& t)
{
    Allocate();
    *m_transform = t;
}

bool CDsMatrix::FloatsAreIdentity() const
{
    return !m_matrix || std::memcmp(m_matrix, kIdentity, sizeof(kIdentity)) == 0;
}

bool CDsMatrix::IsIdentity() const
{
    return (!m_transform || m_transform->identity()) && FloatsAreIdentity();
}

const SPAtransf& CDsMatrix::GetTransformation() const
{
    return m_transform ? *m_transform : StIdentity();
}

SPAtransf CDsMatrix::EffectiveTransform() const
{
    if (m_transform && !m_transform->identity()) return *m_transform;
    if (FloatsAreIdentity()) return SPAtransf();
    // Column c of the float form is row c of the modeler's affine part.
    const SPAmatrix affine(SPAvector(m_matrix[0], m_matrix[1], m_matrix[2]),
                           SPAvector(m_matrix[4], m_matrix[5], m_matrix[6]),
                           SPAvector(m_matrix[8], m_matrix[9], m_matrix[10]));
    const SPAvector translation(m_matrix[12], m_matrix[13], m_matrix[14]);
    return restore_transf(affine, translation, 1.0, false, false, true);
}

void CDsMatrix::GlMultiply() const
{
    if (IsIdentity()) return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixf(m_matrix);
}

void CDsMatrix::SetToView(view3d& view) const
{
    if (IsIdentity()) return;
    view.SetModelTransform(EffectiveTransform());
}

void CDsMatrix::ResetView(view3d& view) const
{
    if (IsIdentity()) return;
    view.ClearModelTransform();
}
