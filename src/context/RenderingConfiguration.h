// Rendering configurations: the buffer set-up of one draw pass of a view. A configuration says
// which OpenGL draw buffer receives the pass (front, back or both), whether the pass goes to the
// window's own frame buffer or to the view's off-screen buffer (CDsPBuffer), and how the finished
// picture reaches the screen.
//
// Callers never use a configuration bare: they hold a CRenderingConfigurationScope, which makes
// the configuration for the current OpenGL view (CDsGlContext::sCurrentView) and begins it only
// when no other pass is under way. One configuration of the process is active at a time (the
// holder whose Begin ran and whose End has not): nested passes share the outermost one, and only
// the outermost presents the picture and notifies the host.
//
// A frame-buffer pass binds the current OpenGL context to the view's device context; a pbuffer
// pass binds it to the pbuffer's. A finished back-buffer pass on a window copies the back buffer
// into the front one and keeps it as the view's saved picture (a real buffer swap during a fast
// refresh or when rendering into a bitmap); a pbuffer pass brings the pbuffer's picture into the
// window. Every presented pass tells the host 6, 3 and 8 (rubber-band figures gone, figure control
// objects and special figures to be drawn again).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A scope opened for a buffer other than GL_FRONT, GL_BACK and GL_FRONT_AND_BACK, or without a
//   current OpenGL view, holds no configuration and does nothing.
// - A finished pbuffer pass leaves the current OpenGL context on the view's own device context,
//   also when it was not asked to present, so that drawing after it reaches the window.
// - The back-buffer pbuffer pass marks the pbuffer as holding a complete picture
//   (CDsPBuffer::SetComplete), which CDsView3dCdc::IsPBufferValid(true) reports.
#pragma once

#include <afx.h>
#include <windows.h>

#include <GL/gl.h>

class CDsGlContext;
class CDsPBuffer;
class CDsView3dCdc;
class view3d;

// The buffer set-up of one draw pass of a view.
class AFX_EXT_CLASS CRenderingConfiguration {
public:
    // A new configuration of `view` for `buffer` (GL_FRONT, GL_BACK or GL_FRONT_AND_BACK): drawing
    // into the view's pbuffer when pbuffers can be used, the view is not in a fast refresh (view
    // flag 3), its context renders to a window and its pbuffer is valid; else into the window.
    // Null for another buffer or a null view. The caller owns the result.
    static CRenderingConfiguration* Create(CDsView3dCdc* view, GLenum buffer);

    // Gives the device context back to the view.
    virtual ~CRenderingConfiguration();
    // Not copyable: the device context is given back once.
    CRenderingConfiguration(const CRenderingConfiguration&) = delete;
    // Not copyable.
    CRenderingConfiguration& operator=(const CRenderingConfiguration&) = delete;

    // Prepares the pass: binds the current OpenGL context to the pass's target and chooses the
    // draw buffer.
    virtual void Begin() = 0;
    // Finishes the pass; with `notify` false no notification is sent (and a pbuffer pass does not
    // bring its picture into the window).
    virtual void End(bool notify) = 0;

    // The view the pass draws for.
    view3d* GetView() const { return m_view; }
    // The view's device context, taken for the life of the configuration.
    HDC GetDC() const { return m_dc; }
    // The draw buffer of the pass.
    virtual GLenum GetBuffer() const = 0;
    // The pbuffer the pass draws into, null for a window pass.
    virtual CDsPBuffer* GetPBuffer() const { return nullptr; }

protected:
    // Takes `view`'s device context.
    explicit CRenderingConfiguration(view3d* view);
    // The view's rendering context when it is the core's, else null.
    CDsGlContext* GetGlContext() const;
    // Tells the host 6, 3 and 8 through the view's context (nothing without one).
    void NotifyPresented() const;

private:
    view3d* m_view = nullptr;
    HDC m_dc = nullptr;
};

// A pass straight into the window's front buffer.
class AFX_EXT_CLASS CRndrConfig_Front_FrameBuffer : public CRenderingConfiguration {
public:
    // A pass of `view` into its window's front buffer.
    explicit CRndrConfig_Front_FrameBuffer(view3d* view) : CRenderingConfiguration(view) {}
    // Binds the current context to the window, draw buffer GL_FRONT.
    void Begin() override;
    // glFlush.
    void End(bool notify) override;
    // GL_FRONT.
    GLenum GetBuffer() const override { return GL_FRONT; }
};

// A pass into both buffers of the window.
class AFX_EXT_CLASS CRndrConfig_FrontAndBack_FrameBuffer : public CRenderingConfiguration {
public:
    // A pass of `view` into both buffers of its window.
    explicit CRndrConfig_FrontAndBack_FrameBuffer(view3d* view) : CRenderingConfiguration(view) {}
    // Binds the current context to the window, draw buffer GL_FRONT_AND_BACK.
    void Begin() override;
    // glFlush.
    void End(bool notify) override;
    // GL_FRONT_AND_BACK.
    GLenum GetBuffer() const override { return GL_FRONT_AND_BACK; }
};

// A pass into the window's back buffer, presented at its end.
class AFX_EXT_CLASS CRndrConfig_Back_FrameBuffer : public CRenderingConfiguration {
public:
    // A pass of `view` into its window's back buffer.
    explicit CRndrConfig_Back_FrameBuffer(view3d* view) : CRenderingConfiguration(view) {}
    // Binds the current context to the window, draw buffer GL_BACK.
    void Begin() override;
    // During a fast refresh or in bitmap mode a buffer swap (the back buffer is cleared), else the
    // back buffer copied to the front one and kept as the saved picture; then, with `notify`,
    // notifications 6, 3 and 8.
    void End(bool notify) override;
    // GL_BACK.
    GLenum GetBuffer() const override { return GL_BACK; }
};

// A pass into the front buffer of the view's pbuffer.
class AFX_EXT_CLASS CRndrConfig_Front_PBuffer : public CRenderingConfiguration {
public:
    // A pass of `view` into `pbuffer` (the view's; not owned).
    CRndrConfig_Front_PBuffer(view3d* view, CDsPBuffer* pbuffer) : CRenderingConfiguration(view), m_pbuffer(pbuffer)
    {
    }
    // Binds the current context to the pbuffer, draw buffer as the class says.
    void Begin() override;
    // With `notify`: the pbuffer's picture into the window, a buffer swap, notifications 6, 3
    // and 8. The current context is on the window afterwards.
    void End(bool notify) override;
    // GL_FRONT.
    GLenum GetBuffer() const override { return GL_FRONT; }
    // The pbuffer.
    CDsPBuffer* GetPBuffer() const override { return m_pbuffer; }

protected:
    // The pbuffer's picture into the window's back buffer, swapped to the front, and the
    // notifications.
    void Present() const;
    // The current context back on the window's device context.
    void BackToWindow() const;

private:
    CDsPBuffer* m_pbuffer = nullptr;
};

// A pass into both buffers of the view's pbuffer.
class AFX_EXT_CLASS CRndrConfig_FrontAndBack_PBuffer : public CRndrConfig_Front_PBuffer {
public:
    // A pass of `view` into `pbuffer` (the view's; not owned).
    CRndrConfig_FrontAndBack_PBuffer(view3d* view, CDsPBuffer* pbuffer) : CRndrConfig_Front_PBuffer(view, pbuffer) {}
    // GL_FRONT_AND_BACK.
    GLenum GetBuffer() const override { return GL_FRONT_AND_BACK; }
};

// A pass into the back buffer of the view's pbuffer.
class AFX_EXT_CLASS CRndrConfig_Back_PBuffer : public CRndrConfig_Front_PBuffer {
public:
    // A pass of `view` into `pbuffer` (the view's; not owned).
    CRndrConfig_Back_PBuffer(view3d* view, CDsPBuffer* pbuffer) : CRndrConfig_Front_PBuffer(view, pbuffer) {}
    // Marks the pbuffer complete and copies its back buffer into its front buffer, the draw
    // buffer, viewport, scissor box and switches (depth test, blending, logic op) put back as the
    // pass left them; then, with `notify`, presents it as the front-buffer pbuffer pass does.
    void End(bool notify) override;
    // GL_BACK.
    GLenum GetBuffer() const override { return GL_BACK; }
};

// The holder through which every caller uses a configuration; see the header comment.
class AFX_EXT_CLASS CRenderingConfigurationScope {
public:
    // A holder without a configuration.
    CRenderingConfigurationScope() = default;
    // A holder opened for `buffer` (Open).
    explicit CRenderingConfigurationScope(GLenum buffer) { Open(buffer); }
    // Close.
    ~CRenderingConfigurationScope() { Close(); }
    // Not copyable: one holder owns its configuration.
    CRenderingConfigurationScope(const CRenderingConfigurationScope&) = delete;
    // Not copyable.
    CRenderingConfigurationScope& operator=(const CRenderingConfigurationScope&) = delete;

    // Makes the configuration of the current OpenGL view for `buffer` (a holder that had one
    // closes it first); when no configuration is active, begins it and becomes the active holder.
    // Nothing more when no configuration can be made.
    void Open(GLenum buffer);
    // When no configuration is active and this holder has one: begins it, becomes the active
    // holder and answers true; else false.
    bool BeginIfIdle();
    // When this holder is the active one: ends its configuration (End(notify)) and no holder is
    // active afterwards.
    void End(bool notify);
    // End(true) when this holder is the active one, then deletes the configuration.
    void Close();

    // The configuration, null when none.
    CRenderingConfiguration* Get() const { return m_configuration; }
    // Whether this holder is the active one.
    bool IsActive() const { return sActive == this; }
    // The active holder, null when no pass is under way.
    static CRenderingConfigurationScope* StGetActive() { return sActive; }

private:
    static CRenderingConfigurationScope* sActive;
    CRenderingConfiguration* m_configuration = nullptr;
};
