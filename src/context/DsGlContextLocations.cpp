// Drawing chosen scene-database locations outside a frame (CDsGlContext::DrawLocations): a
// configuration of the asked buffer is opened for the current OpenGL view, the view's transforms
// are set up, and the scene renders only the listed locations (peer and temporary parts), in the
// look the frame gives them, with the view's location state set to the attribute set meanwhile.
//
// Coming with the location walks: the decoration walk that draws the listed locations in the look
// of the attribute set (highlight, mark, ...), the primitive kinds left out, the section passes,
// and the highlights drawn again over a back-buffer draw. Until then the locations are drawn in
// their own look.
#include "DsGlContext.h"

#include "DsGlScene.h"
#include "DsView3dCdc.h"
#include "RenderingConfiguration.h"
#include "VyrExceptionMask.h"
#include "view3d.h"

void CDsGlContext::DrawLocations(std::vector<CVyrObjectPath>& paths, EAttribSetIndex set, int buffer, int)
{
    auto* view = dynamic_cast<CDsView3dCdc*>(sCurrentView);
    if (!view || view->GetGlContext() != this || paths.empty() || GetDisplaySuspensionMode()) return;
    CRenderingConfigurationScope configuration(static_cast<GLenum>(buffer));
    if (!configuration.Get()) return;
    CVyrExceptionMask mask;
    SetupRenderingTransforms(view, false, nullptr);
    int x = 0, y = 0, w = 0, h = 0;
    view->get_viewport(x, y, w, h);
    if (w <= 0 || h <= 0) return;
    const int rect[4] = {x, y + h, x + w, y};
    m_scene->GetDbScene().SetCurrentView(view);
    view->SetLocationState(set);
    m_scene->Render(view->GetRenderMode(), &paths, false, rect, view);
    view->SetLocationState(eAttribSetNormal);
}
