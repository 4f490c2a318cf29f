#include "RenderingConfiguration.h"

#include "DsDriverGl.h"
#include "DsGlContext.h"
#include "DsPBuffer.h"
#include "DsView3dCdc.h"
#include "VyrNotifyFunctionality.h"

#include "view3d.h"

#include <GL/glext.h>

CRenderingConfigurationScope* CRenderingConfigurationScope::sActive = nullptr;

namespace {

// Whether the ARB program switches exist (switching them off where they do not is an error).
bool HasArbProgramSwitches()
{
    return CDsDriverGl::IsExtensionSupported("GL_ARB_fragment_program") &&
           CDsDriverGl::IsExtensionSupported("GL_ARB_vertex_program");
}

// Binds the current OpenGL context to `dc` and selects `buffer` for drawing.
void BindAndSelect(HDC dc, GLenum buffer)
{
    if (HGLRC context = wglGetCurrentContext()) wglMakeCurrent(dc, context);
    glDrawBuffer(buffer);
}

}  // namespace

// === CRenderingConfiguration ====================================================================

CRenderingConfiguration* CRenderingConfiguration::Create(CDsView3dCdc* view, GLenum buffer)
{
    if (!view || (buffer != GL_FRONT && buffer != GL_BACK && buffer != GL_FRONT_AND_BACK)) return nullptr;
    rendering_context* context = view->get_rendering_context();
    const bool pbuffer = CDsDriverGl::IsPBufSupported() && !view->GetFlag(eDsViewFlagFastRefresh) &&
                         !(context && context->GetRenderToBitmap()) && view->IsPBufferValid(false);
    if (pbuffer) {
        CDsPBuffer* target = view->GetPBuffer();
        if (buffer == GL_FRONT) return new CRndrConfig_Front_PBuffer(view, target);
        if (buffer == GL_BACK) return new CRndrConfig_Back_PBuffer(view, target);
        return new CRndrConfig_FrontAndBack_PBuffer(view, target);
    }
    if (buffer == GL_FRONT) return new CRndrConfig_Front_FrameBuffer(view);
    if (buffer == GL_BACK) return new CRndrConfig_Back_FrameBuffer(view);
    return new CRndrConfig_FrontAndBack_FrameBuffer(view);
}

CRenderingConfiguration::CRenderingConfiguration(view3d* view) : m_view(view)
{
    if (m_view) m_dc = m_view->get_device_context();
}

CRenderingConfiguration::~CRenderingConfiguration()
{
    if (m_view && m_dc) m_view->release_device_context(m_dc);
}

CDsGlContext* CRenderingConfiguration::GetGlContext() const
{
    return m_view ? dynamic_cast<CDsGlContext*>(m_view->get_rendering_context()) : nullptr;
}

void CRenderingConfiguration::NotifyPresented() const
{
    CDsGlContext* context = GetGlContext();
    if (!context) return;
    context->Notify(CVyrNotification::eInvalidateRubberbandFigures);
    context->Notify(CVyrNotification::eDrawFigureControlObject);
    context->Notify(CVyrNotification::eDrawSpFigures);
}

// === Window passes ==============================================================================

void CRndrConfig_Front_FrameBuffer::Begin()
{
    BindAndSelect(GetDC(), GL_FRONT);
}

void CRndrConfig_Front_FrameBuffer::End(bool)
{
    glFlush();
}

void CRndrConfig_FrontAndBack_FrameBuffer::Begin()
{
    BindAndSelect(GetDC(), GL_FRONT_AND_BACK);
}

void CRndrConfig_FrontAndBack_FrameBuffer::End(bool)
{
    glFlush();
}

void CRndrConfig_Back_FrameBuffer::Begin()
{
    BindAndSelect(GetDC(), GL_BACK);
}

void CRndrConfig_Back_FrameBuffer::End(bool notify)
{
    if (CDsGlContext* context = GetGlContext()) {
        if (GetView()->GetFlag(eDsViewFlagFastRefresh) || context->GetRenderToBitmap())
            context->SwapCurrentViewBuffers();
        else
            context->RestoreBackBuffer(GetView());
    }
    if (notify) NotifyPresented();
}

// === Pbuffer passes =============================================================================

void CRndrConfig_Front_PBuffer::Begin()
{
    BindAndSelect(m_pbuffer->GetDC(), GetBuffer());
}

void CRndrConfig_Front_PBuffer::End(bool notify)
{
    if (notify)
        Present();
    else
        BackToWindow();
}

void CRndrConfig_Front_PBuffer::Present() const
{
    m_pbuffer->DrawAsTexture(GetDC());
    if (CDsGlContext* context = GetGlContext()) context->SwapCurrentViewBuffers();
    BackToWindow();
    NotifyPresented();
}

void CRndrConfig_Front_PBuffer::BackToWindow() const
{
    HGLRC context = wglGetCurrentContext();
    if (context && GetDC() && wglGetCurrentDC() != GetDC()) wglMakeCurrent(GetDC(), context);
}

void CRndrConfig_Back_PBuffer::End(bool notify)
{
    CDsPBuffer* pbuffer = GetPBuffer();
    pbuffer->SetComplete(true);
    if (HGLRC context = wglGetCurrentContext()) wglMakeCurrent(pbuffer->GetDC(), context);
    const int width = pbuffer->GetWidth(), height = pbuffer->GetHeight();
    // The copy's switches, scissor box, draw buffer and read buffer go back to what the pass left.
    // The read buffer is put back while the pbuffer is still read: some drivers keep it with the
    // context, others (Mesa) with the drawable read.
    GLint readBuffer = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glPushAttrib(GL_VIEWPORT_BIT | GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    glViewport(0, 0, width, height);
    glReadBuffer(GL_BACK);
    glDrawBuffer(GL_FRONT);
    glDisable(GL_COLOR_LOGIC_OP);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    if (HasArbProgramSwitches()) {
        glDisable(GL_FRAGMENT_PROGRAM_ARB);
        glDisable(GL_VERTEX_PROGRAM_ARB);
    }
    glScissor(0, 0, width, height);
    CDsDriverGl::Start2dDraw(width, height);
    glRasterPos2i(0, 0);
    glCopyPixels(0, 0, width, height, GL_COLOR);
    CDsDriverGl::End2dDraw();
    glPopAttrib();
    glReadBuffer(static_cast<GLenum>(readBuffer));
    if (notify)
        Present();
    else
        BackToWindow();
}

// === CRenderingConfigurationScope ===============================================================

void CRenderingConfigurationScope::Open(GLenum buffer)
{
    Close();
    m_configuration =
        CRenderingConfiguration::Create(dynamic_cast<CDsView3dCdc*>(CDsGlContext::sCurrentView), buffer);
    BeginIfIdle();
}

bool CRenderingConfigurationScope::BeginIfIdle()
{
    if (sActive || !m_configuration) return false;
    m_configuration->Begin();
    sActive = this;
    return true;
}

void CRenderingConfigurationScope::End(bool notify)
{
    if (sActive != this) return;
    sActive = nullptr;
    m_configuration->End(notify);
}

void CRenderingConfigurationScope::Close()
{
    End(true);
    delete m_configuration;
    m_configuration = nullptr;
}
