// CDsGlScene: the document settings of an OpenGL rendering context.
#include "DsGlScene.h"

#include "DsStateContainer.h"

#include <cmath>

CDsGlScene::CDsGlScene(CDsGlContext* owner, int sceneNumber) : m_owner(owner), m_sceneNumber(sceneNumber)
{
    // Set through the flag operation, so that the start runs the same effects as a later change.
    SetDisplayModeFlag(5, true);
    SetDisplayModeFlag(25, true);
    SetDisplayModeFlag(7, true);
    m_picturePropsValid = true;
    m_history = new CDsStateContainer;
}

CDsGlScene::~CDsGlScene()
{
    delete m_history;
}

void CDsGlScene::SetDisplayModeFlag(int index, bool value)
{
    if (index < 0 || index >= kDocumentFlagCount) return;
    if (m_flags.test(static_cast<size_t>(index)) == value) return;
    m_flags.set(static_cast<size_t>(index), value);
    switch (index) {
    case 0:
    case 1:
    case 8:
    case 12:
    case 21:
    case 22:
        m_renderModeValid = false;
        break;
    case 4:
    case 5:
    case 14:
    case 25:
        m_picturePropsValid = false;
        break;
    default:
        break;
    }
}

bool CDsGlScene::GetDisplayModeFlag(int index) const
{
    if (index < 0 || index >= kDocumentFlagCount) return false;
    return m_flags.test(static_cast<size_t>(index));
}

int CDsGlScene::IncrementDisplaySuspension()
{
    ++m_suspension;
    if (m_suspension < 1) m_suspension = 1;
    return m_suspension;
}

int CDsGlScene::DecrementDisplaySuspension()
{
    if (m_suspension > 0) --m_suspension;
    if (m_suspension < 0) m_suspension = 0;
    return m_suspension;
}

int CDsGlScene::ResetDisplaySuspension()
{
    const int previous = m_suspension;
    m_suspension = 0;
    return previous;
}

void CDsGlScene::SetMaxDiagonalSizeForFastRefresh(float size)
{
    m_maxFastDiagonal = size > 0.0f && std::isfinite(size) ? size : 0.0f;
}

void CDsGlScene::ComputeExtrema(CDsViewExtrema*, bool) {}
