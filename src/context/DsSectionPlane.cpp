// CDsSectionPlane: the single section plane of a scene.
#include "DsSectionPlane.h"

#include "DsMatrix.h"
#include "DsPartStorage.h"
#include "GmTransformation.h"

#include <GL/gl.h>

CDsSectionPlane::CDsSectionPlane(const SPAposition& point, const SPAvector& normal)
{
    SetPlane(point, normal);
}

CDsSectionPlane::~CDsSectionPlane()
{
    delete m_transformation;
}

void CDsSectionPlane::SetPlane(const SPAposition& point, const SPAvector& normal)
{
    RemoveItems();
    m_point = point;
    m_normal = SPAunit_vector(normal);
    m_equation[0] = m_normal.x();
    m_equation[1] = m_normal.y();
    m_equation[2] = m_normal.z();
    m_equation[3] = -(m_normal.x() * point.x() + m_normal.y() * point.y() + m_normal.z() * point.z());
}

void CDsSectionPlane::Flip()
{
    m_normal = -m_normal;
    m_equation[0] = m_normal.x();
    m_equation[1] = m_normal.y();
    m_equation[2] = m_normal.z();
    m_equation[3] = -m_equation[3];
    m_flipped = !m_flipped;
}

void CDsSectionPlane::RemoveItems()
{
    delete m_transformation;
    m_transformation = nullptr;
    CDsPartStorage* storage = CDsPartStorage::instance();
    for (const CVyrObjectId& id : m_items) storage->RemoveItem(id, nullptr);
    m_items.clear();
}

void CDsSectionPlane::Reset()
{
    RemoveItems();
    glDisable(GL_CLIP_PLANE0);
    std::vector<CVyrObjectId>().swap(m_items);
}

void CDsSectionPlane::SetTransformation(const CGmTransformation& transformation)
{
    if (!m_transformation) m_transformation = new CDsMatrix;
    m_transformation->SetTransformation(transformation);
}

void CDsSectionPlane::Translate(double distance)
{
    RemoveItems();
    const SPAposition moved = m_point + distance * SPAvector(m_normal);
    SetPlane(moved, SPAvector(m_normal));
}
