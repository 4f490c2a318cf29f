// CDsManager: the display manager, the process-wide registry of display state that is not tied to
// a view or an OpenGL context.
//
// Only what the foundation calls so far: the singleton, its 19 numbered flags, the points
// palette, the texture table and the loading of the driver's extension entry points. The colours,
// the other resource tables, hatches, mesh interfaces and the other start operations come with
// the display manager itself. Until the points palette is built there is none: GetPointsPalette
// answers null and markers are not drawn.
#pragma once

#include <afx.h>

#include "DsTextureData.h"

#include <bitset>
#include <map>
#include <set>
#include <vector>

class CDsPointsPalette;
class CDsView3dCdc;
class CVyrMeshInterface;
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

    // --- Driver statics: extension entry points and the texture table (hatches, icons) -------
    // Texture images are registered once and get an index; each view gets its own GL texture of
    // an image the first time it asks (GetTexture), made in the GL context current then.
    // Loads the extension entry points the driver statics use: on the first call the WGL
    // extension string's entry point, on every call those of vertex buffer objects and pbuffers
    // (each loaded once). Needs a current GL context; without one nothing is loaded.
    void InitExtensions();
    // Registers a 1-bit image (rows of width / 8 bytes, lowest bit leftmost; set bits take the
    // foreground, clear bits the background) as a width x height texture image; answers its
    // index, or -1 (nothing registered) for null bits or a size below 1.
    int AddTexture(const unsigned char* bits, int width, int height, const SColor4ub& background,
                   const SColor4ub& foreground, bool repeat);
    // Copies image `index` (texels included) into `out`; false (out unchanged) out of range.
    bool GetTextureData(int index, SDsTextureData& out) const;
    // The current view's GL texture of image `index`, made on its first request in that view
    // with CDsDriverGl::LoadTexture in the current GL context. False (out unchanged) out of
    // range, without a current view, or when the image cannot be loaded.
    bool GetTexture(int index, SDsTexture& out);
    // Deletes the view's GL textures (in the current GL context) and forgets them; the images
    // stay. Nothing when the view has none.
    void RemoveAllTextures(CDsView3dCdc* view);

    // --- Mesh interfaces and their display lists (a new OpenGL context that shares no lists) ---
    // Enters a mesh interface in the set of live ones (null and duplicates are ignored).
    void AddMeshInterface(CVyrMeshInterface* meshes);
    // Takes a mesh interface out of the set (nothing when it is not there).
    void DeleteMeshInterface(CVyrMeshInterface* meshes);
    // Whether a mesh interface is in the set.
    bool HasMeshInterface(const CVyrMeshInterface* meshes) const;
    // Deletes the display list of every mesh of every live mesh interface (glDeleteLists in the
    // current OpenGL context) and forgets its name, so that the lists are built again.
    void ResetDisplayListsHandles();

private:
    // All flags false except flag 7.
    CDsManager();
    CDsManager(const CDsManager&) = delete;
    CDsManager& operator=(const CDsManager&) = delete;

    std::bitset<kFlagCount> m_flags;
    CDsPointsPalette* m_pointsPalette = nullptr;

    // Driver statics: the texture table and each view's GL textures of it.
    std::vector<SDsTextureData> m_textureData;
    std::map<CDsView3dCdc*, std::vector<SDsTexture>> m_textures;
    // Mesh interfaces and their display lists.
    std::set<CVyrMeshInterface*> m_meshInterfaces;
};
