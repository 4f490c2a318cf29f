// CDsComplexSection: the plane groups of a stepped section, switched on one group at a time.
#include "DsComplexSection.h"

#include "DsGeometryComputer.h"
#include "VyrComplexSection.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

// Number of clip planes the current OpenGL context supports.
int MaxClipPlanes()
{
    GLint count = 0;
    glGetIntegerv(GL_MAX_CLIP_PLANES, &count);
    return count > 0 ? count : 0;
}

}  // namespace

CDsComplexSection::CDsComplexSection(CDsGlScene* scene, CVyrComplexSection* section)
    : m_scene(scene), m_section(section)
{
    if (!m_section) return;
    m_engine = new CDsSectionAreasEngine(*m_section, m_direction);
    m_engine->Compute();
    const int areas = static_cast<int>(m_engine->GetAreas().size());
    m_groups.reserve(static_cast<size_t>(areas));
    for (int k = 0; k < areas; ++k) m_groups.push_back(m_engine->ExportArea(k));
}

CDsComplexSection::~CDsComplexSection()
{
    delete m_section;
    delete m_engine;
}

const std::vector<SDsSectionEdge>& CDsComplexSection::GetGroup(int group) const
{
    static const std::vector<SDsSectionEdge> kNone;
    if (group < 0 || group >= GetGroupCount()) return kNone;
    return m_groups[static_cast<size_t>(group)];
}

const std::vector<CVyrObjectPath>& CDsComplexSection::GetPaths() const
{
    static const std::vector<CVyrObjectPath> kNone;
    return m_section ? m_section->m_paths : kNone;
}

void CDsComplexSection::EnableClipPlanes(int group) const
{
    const std::vector<SDsSectionEdge>& planes = GetGroup(group);
    if (planes.empty()) return;
    const int supported = MaxClipPlanes();
    const int count = std::min(static_cast<int>(planes.size()), supported);
    if (count < static_cast<int>(planes.size()) && !m_warned) {
        m_warned = true;
        CDsGeometryComputer::WriteWarning("Display warning: Section area has more planes than OpenGL clips !");
    }
    for (int k = 0; k < count; ++k) {
        const SDsSectionEdge& plane = planes[static_cast<size_t>(k)];
        const SPAunit_vector n(plane.normal);
        const GLdouble equation[4] = {n.x(), n.y(), n.z(),
                                      -(n.x() * plane.first.x() + n.y() * plane.first.y() + n.z() * plane.first.z())};
        const GLenum name = static_cast<GLenum>(GL_CLIP_PLANE0 + k);
        glEnable(name);
        glClipPlane(name, equation);
    }
}

void CDsComplexSection::DisableClipPlanes(int group) const
{
    const std::vector<SDsSectionEdge>& planes = GetGroup(group);
    if (planes.empty()) return;
    const int count = std::min(static_cast<int>(planes.size()), MaxClipPlanes());
    for (int k = 0; k < count; ++k) glDisable(static_cast<GLenum>(GL_CLIP_PLANE0 + k));
}

bool CDsComplexSection::IsPointClipped(const SPAposition& point) const
{
    const CDsGeometryComputer* computer = CDsGeometryComputer::GetInstance();
    for (const std::vector<SDsSectionEdge>& group : m_groups) {
        bool clipped = false;
        for (const SDsSectionEdge& plane : group) {
            if (computer->IsPointClippedByPlane(point, plane.first, SPAunit_vector(plane.normal))) {
                clipped = true;
                break;
            }
        }
        if (!clipped) return false;
    }
    return true;
}

bool CDsComplexSection::IsItemShouldBeClipped(const CVyrObjectPath& path) const
{
    return m_section && m_section->IsItemShouldBeClipped(path);
}
