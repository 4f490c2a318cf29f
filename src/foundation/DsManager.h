// CDsManager: the display manager, the process-wide registry of display state that is not tied to
// a view or an OpenGL context.
//
// Only what the foundation calls so far: the singleton, its 19 numbered flags and the points
// palette. The colours, resource tables, hatches, mesh interfaces and start operations come with
// the display manager itself. Until the points palette is built there is none: GetPointsPalette
// answers null and markers are not drawn.
#pragma once

#include <afx.h>

#include <bitset>

class CDsPointsPalette;
class CVyrString;

// The display manager singleton.
class AFX_EXT_CLASS CDsManager {
public:
    // Number of numbered flags (0 to 18).
    static const int kFlagCount = 19;

    // The display manager, made on first use and never freed; never null.
    static CDsManager* GetInstance();

    // Frees the manager.
    virtual ~CDsManager();

    // Flag `index`; false outside 0 to 18.
    bool GetFlag(int index) const;
    // Sets flag `index`; ignored outside 0 to 18.
    void SetFlag(int index, bool on);

    // The points palette that markers are drawn through, or null when there is none.
    CDsPointsPalette* GetPointsPalette() const { return m_pointsPalette; }

    // Shaders: loading the OpenGL extensions they need, and whether they can be and are used.
    // Loads the OpenGL extension list (a context must be current) and stores "The vertex shader
    // functions are supported." or "One or more of the vertex shader functions are not supported."
    // in `message`; answers whether the whole list loaded. Without a current context: false.
    bool InitShaders(CVyrString& message);
    // True when the vertex-program and the fragment-program extensions both loaded completely.
    bool IsShaderSupported() const;
    // True when shaders are supported and flag 13 ("ShaderActive") is set.
    bool IsShaderEnabled() const;

private:
    // All flags false except flag 7.
    CDsManager();
    CDsManager(const CDsManager&) = delete;
    CDsManager& operator=(const CDsManager&) = delete;

    std::bitset<kFlagCount> m_flags;
    CDsPointsPalette* m_pointsPalette = nullptr;
};
