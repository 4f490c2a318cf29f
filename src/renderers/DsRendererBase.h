// CDsRendererBase and CDsRenderState: the base of the renderer of every render mode, which draws
// one frame, and the snapshot of the view's render switches every renderer takes when it is made.
// The renderer factory of the scene creates the renderer of the view's render mode, calls its
// Render once and deletes it; the render state is not refreshed during the frame, so a renderer
// made during a fast refresh keeps that state even if the view's flag changes meanwhile.
//
// Render takes the frame's list of object paths by pointer, as the scene's renderer factory hands
// it on; a null list is an empty one. The pointer is to a const list: a renderer only reads it, and
// a caller may pass the address of a list of its own, const or not.
#pragma once

#include <afx.h>

#include <vector>

class CDsDrawContext;
class CDsGlScene;
class CDsView3dCdc;
class CVyrObjectPath;
class view3d;

// The view's render switches at one moment.
class AFX_EXT_CLASS CDsRenderState {
public:
    // The switches of `view` (may be null: all false and 0).
    explicit CDsRenderState(view3d* view);
    // Nothing to free.
    virtual ~CDsRenderState() = default;
    // Reads the switches again.
    void Update();

    view3d* owner = nullptr;
    bool fastRefresh = false;     // view flag 3
    bool documentFlag1 = false;   // document flag 1
    bool managerFlag12 = false;   // display-manager flag 12 (monochrome)
    bool documentFlag4 = false;   // document flag 4
    bool documentFlag5 = false;   // document flag 5
    int renderMode = 0;           // the view's ERenderMode
    int drawPhase = 0;            // the view's EDsDrawPhase
    int lastField = 0;            // 0 after Update
};

// The base of the renderers.
class AFX_EXT_CLASS CDsRendererBase {
public:
    // A renderer of `view` and `scene`, with the view's render state taken now.
    CDsRendererBase(view3d* view, CDsGlScene* scene) : m_view(view), m_scene(scene), m_state(view) {}
    // Nothing to release.
    virtual ~CDsRendererBase() = default;
    // Not copyable.
    CDsRendererBase(const CDsRendererBase&) = delete;
    // Not copyable.
    CDsRendererBase& operator=(const CDsRendererBase&) = delete;

    // Draws one frame: the paths listed (with `walkAll`: everything but them; an empty list with
    // `walkAll` false: nothing; a null list is an empty one), inside the viewport rectangle
    // {left, upper y, right, lower y} (window pixels, y up), with the frame's fast-refresh record.
    virtual void Render(const std::vector<CVyrObjectPath>* paths, bool walkAll, const int viewport[4],
                        CDsDrawContext* record) = 0;

    // The view.
    view3d* GetView() const { return m_view; }
    // The scene.
    CDsGlScene* GetScene() const { return m_scene; }
    // The render state taken at construction.
    const CDsRenderState& GetRenderState() const { return m_state; }
    // Whether monochrome display is allowed and on for the renderer's scene.
    bool IsMonochrome() const;

protected:
    // The list `paths` points to; an empty one for null.
    static const std::vector<CVyrObjectPath>& PathList(const std::vector<CVyrObjectPath>* paths);

    view3d* m_view;
    CDsGlScene* m_scene;
    CDsRenderState m_state;
};
