// CDsManager: the display manager, the process-wide registry of display state that is not tied to
// a view or an OpenGL context.
//
// What the foundation has so far: the singleton, its 19 numbered flags, the default and monochrome
// colours, the UCS size, the active attributes palette, the points palette, the hatch table, the
// entity-type service, the clipped component, the resource tables (bitmaps, texture images with
// each view's GL textures, vertex-buffer descriptions), the mesh interfaces, and the start
// operations InitDisplayPackage, InitExtensions, InitShaders and InitializeDisplayPreferences, and
// the scene database's special attribute sets written from the colour preferences when the
// manager is made. Each view's GL buffers of the
// vertex-buffer descriptions with each view's OpenGL buffers of them (CDsVBO).
//
// Choices where the behaviour was open or the plain rule would go wrong:
// - Attributes by palette index need an active attributes palette with entries: without an
//   active palette, or with one that has no entries, SetAttributesToView applies nothing (the
//   enclosing attributes stay in force) and IsHidden answers false.
// - SetHatchToView takes hatch indexes 0 to 3 only (the table holds four patterns); any other
//   index is ignored, as is hatching on for a null view.
// - InitDisplayPackage makes the hatch table once; a second call keeps the table it made (and the
//   textures it registered) instead of leaking it.
// - InitializeDisplayPreferences has no desktop composition to switch: there is no desktop window
//   manager call on this system (InitDisplayPackage asks for it and finds none).
#pragma once

#include <afx.h>
#include <vyrwin_testresets.h>

#include "DsBitmap.h"
#include "DsColorStorage.h"
#include "DsTextureData.h"
#include "DsVBO.h"
#include "DsVBOData.h"
#include "VyrFigureGenerator.h"
#include "VyrObjectPath.h"
#include "VyrObjectTypes.h"
#include "VyrString.h"

#include <bitset>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <utility>
#include <vector>

class CBitmap;
class CDsAttributesPalette;
class CDsHatchPattern;
class CDsPointsPalette;
class CDsSetEntityType;
class CDsView3dCdc;
class CVyrMeshInterface;
class SPAposition;
class SPAunit_vector;
class view3d;

// The display manager singleton.
class AFX_EXT_CLASS CDsManager {
public:
    // Number of numbered flags (0 to 18).
    static const int kFlagCount = 19;

    // The display manager, made on first use and never freed; never null.
    static CDsManager* GetInstance();

    // Deletes the points palette, the default colour and the hatch table (per-view GL objects
    // are not released here).
    virtual ~CDsManager();
    // Does nothing: the manager lives until the process ends.
    void Terminate();

    // Flag `index`; false outside 0 to 18.
    bool GetFlag(int index) const;
    // Sets flag `index`; ignored outside 0 to 18.
    void SetFlag(int index, bool on);

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
    // Registers a bitmap as a texture image read through the current view's device-context
    // driver: the texture's sides are the powers of two that hold the bitmap, its first row the
    // bitmap's bottom row, the rest fresh texels; with `transparent` the texels of the colour of
    // the bitmap's top-left pixel get alpha 0, all others 255. Answers the index, or -1 (nothing
    // registered) without a bitmap, without a current view with a device-context driver and DC,
    // or when the bitmap cannot be selected into a DC (it is selected into another).
    int AddTexture(CBitmap& bitmap, bool transparent);
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
    // Registers a vertex-buffer description (the arrays are not copied) and answers its index:
    // the slot freed last by RemoveVBOFromAllViews when there is one, so that the table and every
    // view's records stay as large as the most descriptions alive at once; else a new slot at the
    // end. -1, nothing registered, for a negative vertex count, a positive count without vertices
    // or fewer than 1 vertex per chunk.
    int AddVBO(const SDsVBOData& data);
    // Copies into `out` `view`'s buffers of description `index` (the current view for null),
    // built in the current GL context on the view's first request (CDsVBO::Create; a record
    // stays empty where vertex buffer objects are missing). False (out unchanged) out of range or
    // without a view.
    bool GetVBO(CDsView3dCdc* view, int index, CDsVBO& out);
    // Deletes the view's buffers in the view's own GL context (made current for the deletion,
    // the previous context current again afterwards) and forgets them. Nothing for a null view
    // or one without buffers.
    void RemoveAllVBOs(CDsView3dCdc* view);
    // Deletes every view's buffers of description `index`, each in its view's own GL context,
    // clears the description and frees its slot for the next AddVBO (other indexes do not move;
    // each view builds its buffers of the new description afresh). Nothing out of range or for a
    // slot already freed.
    void RemoveVBOFromAllViews(int index);

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

    // --- Display state: colours, UCS size, palettes, hatches, entity types, clipping -----------
    // Prepares OpenGL for the process (CDsDriverGl::StInitOpenGl), makes the hatch table of the
    // four built-in hatch patterns (once), and switches desktop composition off where the
    // desktop window manager offers "DwmEnableComposition" ("dwmapi.dll"; nothing otherwise).
    void InitDisplayPackage();
    // Fills `text` with a description of the current OpenGL implementation; false (unchanged)
    // without a current context.
    static bool StGetOpenGlInformation(CVyrString& text);

    // Number of hatch patterns in the hatch table.
    static const int kHatchCount = 4;
    // The size of coordinate-system triads (10 by default).
    int GetUcsSize() const { return m_ucsSize; }
    // Sets the size of coordinate-system triads.
    void SetUcsSize(int size) { m_ucsSize = size; }
    // Copies the default colour (0 until the line-attribute manager sets one) into `color`.
    void GetDefaultColor(CDsColorStorage& color) const;
    // Sets the default colour.
    void SetDefaultColor(const CDsColorStorage& color);
    // Copies the monochrome colour of hidden lines (`hidden`; 0xC8C8C8 by default) or of visible
    // lines (black by default) into `color`.
    void GetMonochromColor(CDsColorStorage& color, bool hidden) const;
    // Sets the monochrome colour of hidden lines (`hidden`) or of visible lines.
    void SetMonochromColor(const CDsColorStorage& color, bool hidden);
    // The active attributes palette (not owned), null when none.
    CDsAttributesPalette* GetActiveAttributesPalette() const { return m_activeAttributesPalette; }
    // Makes `palette` (not owned; null: none) the active attributes palette.
    void SetActiveAttributesPalette(CDsAttributesPalette* palette) { m_activeAttributesPalette = palette; }
    // The host's entity-type service (not owned), null when none.
    const CDsSetEntityType* GetEntityType() const { return m_entityType; }
    // Sets the host's entity-type service (not owned; null: none).
    void SetType(const CDsSetEntityType* entityType) { m_entityType = entityType; }
    // The path of the component being clipped (the default path when none).
    const CVyrObjectPath& GetCurrentClippedComponent() const { return m_clippedComponent; }
    // Sets the path of the component being clipped (ids, depth and part id).
    void SetCurrentClippedComponent(const CVyrObjectPath& path) { m_clippedComponent = path; }
    // The default font name of text items (CDsNFontStorage::StGetDefaultFontName).
    CVyrString GetDefaultFont() const;

    // Applies entry `index` (read as unsigned, modulo the entry count) of the active attributes
    // palette to the view and OpenGL; nothing without an active palette with entries.
    void SetAttributesToView(view3d& view, int index);
    // Whether entry `index` (read as unsigned, modulo the entry count) of the active attributes
    // palette is hidden; false without an active palette with entries.
    bool IsHidden(int index) const;
    // Sets the colour (0x00BBGGRR) of the scene database's special attribute set `index`; set 3
    // is stored as set 11 too.
    void SetSpecialAttrColor(EAttribSetIndex index, unsigned long color);

    // The points palette that markers are drawn through (made by the constructor).
    CDsPointsPalette* GetPointsPalette() const { return m_pointsPalette; }
    // Draws a marker of `style` and `size` pixels at `position` through the points palette; the
    // last argument has no effect.
    void DrawPoint(view3d& view, const SPAposition& position, EPointStyle style, int size, bool unused);
    // The same inside the renderers' scene walk, passing `walk` on.
    void DrawPointOnTraverse(view3d& view, const SPAposition& position, bool walk, EPointStyle style, int size);
    // Hatch pattern `index` (0 to 3) of the hatch table; null before InitDisplayPackage or out of
    // range.
    CDsHatchPattern* GetHatchPattern(int index) const;
    // With `hatchOn`, fills the polygon on the view with the mask texture of hatch pattern
    // `index` (CDsDriverGl::DrawHatchedPolygon, `direction` along the hatch, `normal` the
    // polygon's normal); without, turns polygon stippling off. Nothing before the hatch table
    // exists or for an index outside 0 to 3. The last argument has no effect.
    void SetHatchToView(unsigned char index, view3d* view, const std::pair<std::vector<SPAposition>, unsigned>& polygon,
                        const SPAunit_vector& direction, const SPAunit_vector& normal, bool hatchOn, bool unused);
    // For tests, which share one process: the display state of this block back to a new
    // manager's (default and monochrome colours, UCS size, no active palette, no entity-type
    // service, default clipped component, an empty marker table, no hatch table).
    VYR_TEST_RESET void ResetDisplayStateForTests();

    // --- Preferences: the start operation that reads them, and the scene database's special
    // attribute sets written from the colour preferences -----------------------------------------
    // Flags 12 and 13 from the "General" preferences "MonochromeWireframeEnable" and
    // "ShaderActive" (false when absent), then the monochrome colours of visible and hidden lines
    // from their preferences (a colour whose preference is absent stays as it is). Answers true.
    bool InitializeDisplayPreferences();
    // For tests, which share one process: the scene database's special sets 2 to 12 written
    // again from the colour preferences, as a new manager writes them.
    VYR_TEST_RESET void ResetSpecialAttributesForTests();

private:
    // All flags false except flag 7, a points palette with an empty marker table, default colour 0.
    CDsManager();
    CDsManager(const CDsManager&) = delete;
    CDsManager& operator=(const CDsManager&) = delete;

    // Pointers null, UCS size 10, no entity-type service, flags false but flag 7.
    void ResetMembers();
    // Writes the scene database's special sets 2 to 12: 4 the highlight colour, 3 and 11 the
    // select colour, 5 the highlight-select colour (CDsPreferencesServices::GetColorPreferences),
    // 2 (128, 128, 128), 9 (230, 230, 230), 7 (145, 191, 0), 8 (0, 117, 48), 6 (255, 128, 255),
    // each with only its colour set; 10 (200, 200, 0) with style 0 and width 2; 12 black with
    // style 0 and width 1. Sets 0 and 1 are not written.
    void SetSpecialAttributes();

    std::bitset<kFlagCount> m_flags;

    // Display state.
    CDsColorStorage* m_defaultColor = nullptr;
    CDsPointsPalette* m_pointsPalette = nullptr;
    CDsHatchPattern** m_hatches = nullptr;
    CDsAttributesPalette* m_activeAttributesPalette = nullptr;
    int32_t m_ucsSize = 10;
    CDsColorStorage m_monochromHidden = CDsColorStorage(0xC8, 0xC8, 0xC8);
    CDsColorStorage m_monochromVisible;
    const CDsSetEntityType* m_entityType = nullptr;
    CVyrObjectPath m_clippedComponent;

    // Resource tables: bitmaps (a deque, so that records never move), texture images and each
    // view's GL textures of them, vertex-buffer descriptions.
    std::deque<CDsBitmap> m_bitmaps;
    std::vector<SDsTextureData> m_textureData;
    std::map<CDsView3dCdc*, std::vector<SDsTexture>> m_textures;
    std::vector<SDsVBOData> m_vboData;
    std::vector<bool> m_vboFree;  // per description slot: freed and waiting to be handed out again
    std::vector<int> m_freeVBOs;  // the freed slots, the last freed handed out first
    std::map<CDsView3dCdc*, std::vector<CDsVBO>> m_vbos;
    // Mesh interfaces and their display lists.
    std::set<CVyrMeshInterface*> m_meshInterfaces;
};
