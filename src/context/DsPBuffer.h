// CDsPBuffer: the off-screen drawing surface (a pbuffer) that a view may render into instead of its
// window's back buffer. The rendering configurations draw a frame into it and then bring its
// picture into the window (DrawAsTexture); the view owns it (CDsView3dCdc::GetPBuffer) and drops it
// when it is lost or no longer fits the viewport.
//
// The pixel format is chosen once per process (DsChoosePBufferPixelFormat): one that can be bound
// as a texture when pbuffers are drawn back as textures (the command-line switch
// "RenderPBufferByTexture" and the render-to-texture extension), else the view's own window
// format.
//
// Choices where the behaviour was open:
// - Every pbuffer made with a texture-capable format draws back as a texture, not only the one
//   whose creation chose the format, so that all views of a process present alike.
// - Such a pbuffer is created with the texture format and target attributes (RGBA, 2-D), since
//   binding a pbuffer that was made without them is refused.
// - Making a pbuffer clears both its buffers to black without changing the current context's
//   clear colour, scissor box or draw buffer as the caller left them (bar GL_BACK afterwards).
// - Without a current OpenGL context a pbuffer is still made but not cleared.
// - The pixel copy of DrawAsTexture reads the pbuffer while the context draws into the window
//   (CDsDriverGl::CopyPixelsDirect) where the driver lets a context read another DC, and goes
//   through the pixel block only where it does not. The picture is the same; a pixel rectangle
//   drawn from memory costs a trip of the whole picture through memory, and on some drivers makes
//   every later display-list call with the fixed-function program then in use reload that
//   program's constants.
// - The "complete picture" mark (IsComplete) is set by the back-buffer pbuffer configuration at
//   the end of a frame, so that a later refresh with nothing changed can reuse the picture.
#pragma once

#include <afx.h>
#include <windows.h>

#include <vector>

class view3d;

// A view's off-screen buffer.
class AFX_EXT_CLASS CDsPBuffer {
public:
    // A pbuffer for `view` (not owned): when pbuffers can be used, of the view's viewport size,
    // made on the view's device context (Create), the current OpenGL context then current on the
    // view's device context again. Without pbuffer support (or with the switch "NoPBuffer") the
    // object stays empty: no device context, never valid.
    explicit CDsPBuffer(view3d* view);
    // Not copyable: the pbuffer and its device context belong to one object.
    CDsPBuffer(const CDsPBuffer&) = delete;
    // Not copyable.
    CDsPBuffer& operator=(const CDsPBuffer&) = delete;
    // Gives back the pbuffer's device context and destroys the pbuffer.
    ~CDsPBuffer();

    // Makes the pbuffer in the format DsChoosePBufferPixelFormat gives for `dc`, and clears both
    // of its buffers to black through the current OpenGL context (left current on the pbuffer).
    // False when no format can be had or the pbuffer cannot be made (nothing kept).
    bool Create(HDC dc);
    // True when the pbuffer has a device context and its query says it is not lost; false
    // without a device context or without the query entry point.
    bool IsValid() const;
    // Brings the pbuffer's picture (its front buffer) into the back buffer of the window `dc`
    // through the current OpenGL context, which stays current on `dc` (reading it too): as a
    // textured quad when the pbuffer binds to a texture, else by a pixel copy. False, nothing
    // drawn, without a current context, a valid pbuffer or a window device context.
    bool DrawAsTexture(HDC dc);

    // Whether the pbuffer holds a complete picture (set at the end of a back-buffer frame).
    bool IsComplete() const { return m_complete != 0; }
    // Marks the pbuffer as holding a complete picture or not.
    void SetComplete(bool on) { m_complete = on ? 1 : 0; }
    // The pbuffer's device context, null when none was made.
    HDC GetDC() const { return m_dc; }
    // The pbuffer, null when none was made.
    HPBUFFERARB GetPBuffer() const { return m_pbuffer; }
    // Width in pixels (the viewport's at creation; 0 when none was made).
    int GetWidth() const { return m_width; }
    // Height in pixels.
    int GetHeight() const { return m_height; }
    // Whether the pbuffer's picture is drawn back as a texture.
    bool IsTexture() const { return m_texture; }

private:
    HPBUFFERARB m_pbuffer = nullptr;
    int m_complete = 0;
    HDC m_dc = nullptr;
    int m_width = 0;
    int m_height = 0;
    view3d* m_view = nullptr;
    std::vector<unsigned char> m_pixels;  // the pixel copy's RGBA block
    bool m_texture = false;
};

// The pixel format of every pbuffer of the process, chosen on the first call: with pbuffers drawn
// back as textures, the first format the driver offers for texture-bound, double-buffered RGBA
// pbuffers of 24 colour bits; else (or when none is offered) the pixel format of `view`'s own
// OpenGL record, else the one set on `dc`. -1 when none can be had (nothing is kept then).
AFX_EXT_API int DsChoosePBufferPixelFormat(HDC dc, view3d* view);
// Whether the chosen pbuffer format is the texture-bound one.
AFX_EXT_API bool DsIsPBufferFormatForTexture();
