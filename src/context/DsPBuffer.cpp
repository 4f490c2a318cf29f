#include "DsPBuffer.h"

#include "DsDriverGl.h"
#include "gl_context.h"
#include "view3d.h"

#include <GL/gl.h>

namespace {

int sPBufferFormat = -1;        // the process's pbuffer format, -1 until chosen
bool sFormatForTexture = false;  // whether it was chosen for binding pbuffers as textures

// The pixel format of the view's own OpenGL record, 0 when it has none.
int ViewRecordFormat(view3d* view)
{
    if (!view) return 0;
    auto* context = dynamic_cast<gl_context*>(view->get_rendering_context());
    gl_context_data* record = context ? context->Get_gl_context_data(view) : nullptr;
    return record ? record->get_PixelFormat() : 0;
}

}  // namespace

int DsChoosePBufferPixelFormat(HDC dc, view3d* view)
{
    if (sPBufferFormat != -1) return sPBufferFormat;
    if (CDsDriverGl::IsRenderTextureSupported() && CDsDriverGl::wglChoosePixelFormatARB) {
        const int attributes[] = {WGL_SUPPORT_OPENGL_ARB,      1,
                                  WGL_DRAW_TO_PBUFFER_ARB,     1,
                                  WGL_ACCELERATION_ARB,        WGL_FULL_ACCELERATION_ARB,
                                  WGL_BIND_TO_TEXTURE_RGBA_ARB, 1,
                                  WGL_PIXEL_TYPE_ARB,          WGL_TYPE_RGBA_ARB,
                                  WGL_COLOR_BITS_ARB,          24,
                                  WGL_TEXTURE_FORMAT_ARB,      WGL_TEXTURE_RGBA_ARB,
                                  WGL_TEXTURE_TARGET_ARB,      WGL_TEXTURE_2D_ARB,
                                  WGL_DOUBLE_BUFFER_ARB,       1,
                                  0,                           0};
        int formats[10] = {};
        UINT count = 0;
        if (CDsDriverGl::ChoosePixelFormat(dc, attributes, nullptr, 10, formats, &count) == 1 && count > 0) {
            sPBufferFormat = formats[0];
            sFormatForTexture = true;
        }
    }
    if (sPBufferFormat == -1) {
        int format = ViewRecordFormat(view);
        if (format <= 0 && dc) format = GetPixelFormat(dc);
        if (format > 0) sPBufferFormat = format;
    }
    return sPBufferFormat;
}

bool DsIsPBufferFormatForTexture()
{
    return sPBufferFormat != -1 && sFormatForTexture;
}

CDsPBuffer::CDsPBuffer(view3d* view) : m_view(view)
{
    if (!view || !CDsDriverGl::IsPBufSupported()) return;
    CDsDriverGl::InitPBufExtensions();
    int x = 0, y = 0;
    view->get_viewport(x, y, m_width, m_height);
    HDC dc = view->get_device_context();
    if (!dc) return;
    Create(dc);
    if (HGLRC context = wglGetCurrentContext()) wglMakeCurrent(dc, context);
    view->release_device_context(dc);
}

CDsPBuffer::~CDsPBuffer()
{
    if (m_pbuffer && m_dc) CDsDriverGl::ReleasePBuffer(m_pbuffer, m_dc);
    if (m_pbuffer) CDsDriverGl::DestroyPBuffer(m_pbuffer);
}

bool CDsPBuffer::Create(HDC dc)
{
    if (m_pbuffer || m_width < 1 || m_height < 1) return false;
    const int format = DsChoosePBufferPixelFormat(dc, m_view);
    if (format == -1) return false;
    const bool texture = DsIsPBufferFormatForTexture();
    const int textureAttributes[] = {WGL_TEXTURE_FORMAT_ARB, WGL_TEXTURE_RGBA_ARB, WGL_TEXTURE_TARGET_ARB,
                                     WGL_TEXTURE_2D_ARB, 0, 0};
    const int noAttributes[] = {0, 0};
    HPBUFFERARB pbuffer =
        CDsDriverGl::CreatePBuffer(dc, format, m_width, m_height, texture ? textureAttributes : noAttributes);
    if (!pbuffer) return false;
    HDC pbufferDc = CDsDriverGl::GetPBufferDC(pbuffer);
    if (!pbufferDc) {
        CDsDriverGl::DestroyPBuffer(pbuffer);
        return false;
    }
    m_pbuffer = pbuffer;
    m_dc = pbufferDc;
    m_texture = texture;
    HGLRC context = wglGetCurrentContext();
    if (context && wglMakeCurrent(m_dc, context)) {
        glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
        glDisable(GL_SCISSOR_TEST);
        glDrawBuffer(GL_FRONT_AND_BACK);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPopAttrib();
        glDrawBuffer(GL_BACK);
    }
    return true;
}

bool CDsPBuffer::IsValid() const
{
    if (!m_dc || !CDsDriverGl::wglQueryPbufferARB) return false;
    int lost = 0;
    if (!CDsDriverGl::QueryPBuffer(m_pbuffer, WGL_PBUFFER_LOST_ARB, &lost)) return false;
    return lost == 0;
}

bool CDsPBuffer::DrawAsTexture(HDC dc)
{
    HGLRC context = wglGetCurrentContext();
    if (!dc || !context || !IsValid() || !wglMakeCurrent(dc, context)) return false;
    if (!m_texture) {
        return CDsDriverGl::CopyPixelsDirect(m_dc, dc, 0, 0, m_width, m_height, GL_FRONT, GL_BACK) ||
               CDsDriverGl::CopyPixels(m_dc, dc, 0, 0, m_width, m_height, GL_FRONT, GL_BACK, m_pixels, true);
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const bool bound = CDsDriverGl::BindTexImage(m_pbuffer, WGL_FRONT_LEFT_ARB) != FALSE;
    if (bound) {
        glDrawBuffer(GL_BACK);
        CDsDriverGl::Start2dDraw(m_width, m_height);
        glRasterPos2i(0, 0);
        const float w = static_cast<float>(m_width), h = static_cast<float>(m_height);
        const float p0[3] = {0.0f, 0.0f, 0.0f}, p1[3] = {w, 0.0f, 0.0f}, p2[3] = {0.0f, h, 0.0f},
                    p3[3] = {w, h, 0.0f};
        CDsDriverGl::StDrawTexturedRectangle(p0, p1, p2, p3, 0.0f, 1.0f, 0.0f, 1.0f);
    }
    glPopAttrib();
    if (bound) {
        CDsDriverGl::End2dDraw();
        CDsDriverGl::ReleaseTexImage(m_pbuffer, WGL_FRONT_LEFT_ARB);
    }
    glDeleteTextures(1, &texture);
    return bound;
}
