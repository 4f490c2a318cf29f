// CDsPictureStorage: a stored camera.
#include "DsPictureStorage.h"

#include "DsView3dCdc.h"

#include <cmath>

CDsPictureStorage::CDsPictureStorage(CDsView3dCdc* view)
{
    if (view) UpdatePicture(view);
}

CDsPictureStorage::CDsPictureStorage(const float* matrix, float scale, float, float)
    : m_scale(scale), m_width(130.0), m_height(100.0)
{
    if (!matrix) return;
    m_direction = SPAunit_vector(matrix[6], matrix[7], matrix[8]);
    m_up = SPAunit_vector(matrix[3], matrix[4], matrix[5]);
    m_eye = SPAposition(0.0, 0.0, 0.0);
    m_target = m_eye + m_direction;
}

CDsPictureStorage::CDsPictureStorage(const CDsPictureStorage& other)
{
    CopyObject(other);
}

CDsPictureStorage& CDsPictureStorage::operator=(const CDsPictureStorage& other)
{
    CopyObject(other);
    return *this;
}

CDsPictureStorage::~CDsPictureStorage() = default;

void CDsPictureStorage::CopyObject(const CDsPictureStorage& other)
{
    ResetMembers();
    m_direction = other.m_direction;
    m_up = other.m_up;
    m_eye = other.m_eye;
    m_target = other.m_target;
    m_scale = other.m_scale;
    m_width = other.m_width;
    m_height = other.m_height;
}

void CDsPictureStorage::ResetMembers()
{
    m_scale = 1.0;
    m_width = 1.0;
    m_height = 1.0;
}

void CDsPictureStorage::UpdatePicture(CDsView3dCdc* view)
{
    if (!view) return;
    m_direction = view->get_direction();
    m_up = view->get_up();
    m_eye = view->get_eye();
    m_target = view->get_target();
    m_scale = view->get_image_scale();
    m_width = view->get_width();
    m_height = view->get_height();
}

void CDsPictureStorage::DisplayPicture(CDsView3dCdc* view) const
{
    if (!view) return;
    view->set_direction(m_direction, m_up);
    view->set_eye(m_eye);
    view->set_target(m_target);
    view->set_image_scale(m_scale);
    view->set_width(m_width);
    view->set_height(m_height);
    view->adjust_aspect();
    view->AdjustDistance(false);
}

bool CDsPictureStorage::GetData(double* out, int count) const
{
    if (!out || count < kFlatSize) return false;
    const double values[kFlatSize] = {m_direction.x(), m_direction.y(), m_direction.z(), m_up.x(), m_up.y(),
                                      m_up.z(),        m_eye.x(),       m_eye.y(),       m_eye.z(), m_target.x(),
                                      m_target.y(),    m_target.z(),    m_scale,         m_width,   m_height};
    for (int i = 0; i < kFlatSize; ++i) out[i] = values[i];
    return true;
}

bool CDsPictureStorage::SetData(const double* in, int count)
{
    if (!in || count < kFlatSize) return false;
    for (int i = 0; i < kFlatSize; ++i)
        if (!std::isfinite(in[i])) return false;
    const SPAvector direction(in[0], in[1], in[2]);
    const SPAvector up(in[3], in[4], in[5]);
    // A stored camera that could not be shown is refused whole rather than half applied later.
    if (direction.is_zero(SPAresnor) || up.is_zero(SPAresnor)) return false;
    if (!(in[12] > 0.0 && in[13] > 0.0 && in[14] > 0.0)) return false;

    m_direction = SPAunit_vector(direction);
    m_up = SPAunit_vector(up);
    m_eye = SPAposition(in[6], in[7], in[8]);
    m_target = SPAposition(in[9], in[10], in[11]);
    m_scale = in[12];
    m_width = in[13];
    m_height = in[14];
    return true;
}

void CDsPictureStorage::SetOrientation(const SPAunit_vector& up, const SPAunit_vector& direction)
{
    m_up = up;
    m_direction = direction;
}

void CDsPictureStorage::GetOrientation(SPAunit_vector& up, SPAunit_vector& direction) const
{
    up = m_up;
    direction = m_direction;
}

void CDsPictureStorage::FlipDirection()
{
    m_direction = -m_direction;
}
