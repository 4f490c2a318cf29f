// CDsManager: the display manager, the process-wide registry of display state that is not tied to
// a view or an OpenGL context.
//
// Only what the foundation calls so far: the singleton, its 19 numbered flags, the points
// palette, the resource tables (bitmaps, texture images with each view's GL textures,
// vertex-buffer descriptions) and the loading of the driver's extension entry points. The
// colours, hatches and the other start operations come with the display manager itself; each
// view's GL buffers of the vertex-buffer descriptions (GetVBO, RemoveAllVBOs,
// RemoveVBOFromAllViews) and textures made from framework bitmaps through a view's device
// context (AddTexture(CBitmap&, bool)) come with the views. Until the points palette is built there is none: GetPointsPalette
// answers null and markers are not drawn.
#pragma once

#include <afx.h>

#include "DsBitmap.h"
#include "DsTextureData.h"
#include "DsVBOData.h"

#include <bitset>
#include <deque>
#include <map>
#include <set>
#include <vector>

class CBitmap;
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

    // --- Driver statics: extension entry points ------------------------------------------------
    // Loads the extension entry points the driver statics use: on the first call the WGL
    // extension string's entry point, on every call those of vertex buffer objects and pbuffers
    // (each loaded once). Needs a current GL context; without one nothing is loaded.
    void InitExtensions();

    // --- Resource tables: bitmaps, texture images and their per-view GL textures, vertex-buffer
    // descriptions. Items and palettes register a resource once and keep its index: records are
    // only ever appended (a cleared vertex-buffer description keeps its slot), so an index stays
    // valid for the manager's life. GL objects belong to the GL context of a view: each view gets
    // its own GL texture of an image the first time it asks (GetTexture), made in the GL context
    // current then, and gives it back with RemoveAllTextures.
    // Registers a copy of a bitmap (its BITMAP description and bytes per row x height bytes of
    // pixels, rows as GetBitmapBits gives them) and answers its index; -1, nothing registered,
    // for a null handle, a handle that is not a bitmap or a bitmap whose pixels cannot be read.
    int AddBitmap(HBITMAP bitmap);
    // AddBitmap of the framework bitmap's handle.
    int AddBitmap(const CBitmap& bitmap);
    // Bitmap `index`, or null outside 0 to count - 1. A record stays at its address for the
    // manager's life (later additions do not move it).
    const CDsBitmap* GetBitmap(int index) const;
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
    // Deletes the view's GL textures and forgets them; the images stay. Nothing when the view has
    // none. The textures are deleted in the view's own GL context when it has one (made current
    // for the deletion, the previous context current again afterwards), else in the current one;
    // without any GL context they cannot be deleted (they went with their context) and are only
    // forgotten.
    void RemoveAllTextures(CDsView3dCdc* view);
    // Registers a vertex-buffer description (the arrays are not copied) and answers its index;
    // -1, nothing registered, for a negative vertex count, a positive count without vertices or
    // fewer than 1 vertex per chunk.
    int AddVBO(const SDsVBOData& data);

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

    // Resource tables: bitmaps (a deque, so that records never move), texture images and each
    // view's GL textures of them, vertex-buffer descriptions.
    std::deque<CDsBitmap> m_bitmaps;
    std::vector<SDsTextureData> m_textureData;
    std::map<CDsView3dCdc*, std::vector<SDsTexture>> m_textures;
    std::vector<SDsVBOData> m_vboData;
    // Mesh interfaces and their display lists.
    std::set<CVyrMeshInterface*> m_meshInterfaces;
};
