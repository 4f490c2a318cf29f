// CDsManager: the display manager singleton.
#include "DsManager.h"

#include "DsAttributes.h"
#include "DsAttributesPalette.h"
#include "DsConstants.h"
#include "DsDriverCdcBase.h"
#include "DsDriverGl.h"
#include "DsGlExtensions.h"
#include "DsHatchPattern.h"
#include "DsLineAttribStorage.h"
#include "DsNFontStorage.h"
#include "DsPointsPalette.h"
#include "DsPreferencesServices.h"
#include "DsScene.h"
#include "DsView3dCdc.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"
#include "gl_context.h"

#include <afxwin.h>

#include <GL/gl.h>

#include <vector>

namespace {

// For the life of the object, the view's own window GL context is current when the view has one;
// afterwards the context that was current before (or none) is current again.
class CViewContextScope {
public:
    explicit CViewContextScope(CDsView3dCdc* view)
        : m_previousDc(wglGetCurrentDC()), m_previousContext(wglGetCurrentContext())
    {
        if (!view || !dynamic_cast<gl_context*>(view->get_rendering_context())) return;
        const auto* data = static_cast<const gl_context_data*>(view->get_rendering_context_data());
        if (!data || !data->get_GLRC() || data->get_GLRC() == m_previousContext) return;
        m_switched = wglMakeCurrent(data->get_DC(), data->get_GLRC()) != FALSE;
    }
    ~CViewContextScope()
    {
        if (m_switched) wglMakeCurrent(m_previousDc, m_previousContext);
    }
    CViewContextScope(const CViewContextScope&) = delete;
    CViewContextScope& operator=(const CViewContextScope&) = delete;

private:
    HDC m_previousDc;
    HGLRC m_previousContext;
    bool m_switched = false;
};

}  // namespace

CDsManager* CDsManager::GetInstance()
{
    static CDsManager* instance = new CDsManager();  // never freed: items may use it at unload
    return instance;
}

CDsManager::CDsManager()
{
    ResetMembers();
    m_pointsPalette = new CDsPointsPalette();
    m_defaultColor = new CDsColorStorage();
    SetSpecialAttributes();
}

CDsManager::~CDsManager()
{
    delete m_pointsPalette;
    delete m_defaultColor;
    if (m_hatches) {
        for (int i = 0; i < kHatchCount; ++i) delete m_hatches[i];
        delete[] m_hatches;
    }
}

void CDsManager::ResetMembers()
{
    m_defaultColor = nullptr;
    m_pointsPalette = nullptr;
    m_hatches = nullptr;
    m_ucsSize = 10;
    m_entityType = nullptr;
    m_flags.reset();
    m_flags.set(7);
}

void CDsManager::Terminate() {}

bool CDsManager::GetFlag(int index) const
{
    if (index < 0 || index >= kFlagCount) return false;
    return m_flags.test(static_cast<size_t>(index));
}

void CDsManager::SetFlag(int index, bool on)
{
    if (index < 0 || index >= kFlagCount) return;
    m_flags.set(static_cast<size_t>(index), on);
}

// Shaders: loading the OpenGL extensions they need, and whether they can be and are used.

bool CDsManager::InitShaders(CVyrString& message)
{
    return DsInitShaderExtensions(message);
}

bool CDsManager::IsShaderSupported() const
{
    return DsGlExt::bGL_ARB_vertex_program && DsGlExt::bGL_ARB_fragment_program;
}

bool CDsManager::IsShaderEnabled() const
{
    return GetFlag(13) && IsShaderSupported();
}

// --- Driver statics: extension entry points ---------------------------------------------------

void CDsManager::InitExtensions()
{
    if (!wglGetCurrentContext()) return;
    CDsDriverGl::InitGeneralExtensions();
    CDsDriverGl::InitVBOExtension();
    CDsDriverGl::InitPBufExtensions();
}

// --- Resource tables: bitmaps, texture images and their per-view GL textures, vertex buffers ---

int CDsManager::AddBitmap(HBITMAP bitmap)
{
    if (!bitmap) return -1;
    // Only a bitmap answers a BITMAP description; anything else gets no record. (The handle is
    // read directly: a framework wrapper made for it would outlive the call.)
    BITMAP description{};
    if (GetObjectW(bitmap, sizeof(BITMAP), &description) != static_cast<int>(sizeof(BITMAP))) return -1;
    if (description.bmWidth < 0 || description.bmHeight < 0 || description.bmWidthBytes < 0) return -1;
    const size_t size = static_cast<size_t>(description.bmWidthBytes) * static_cast<size_t>(description.bmHeight);
    if (size > 0x7FFFFFFFu) return -1;
    std::vector<uint8_t> bits(size);
    if (size > 0 && static_cast<size_t>(GetBitmapBits(bitmap, static_cast<LONG>(size), bits.data())) != size)
        return -1;
    CDsBitmap record(description.bmWidth, description.bmHeight, description.bmWidthBytes, description.bmBitsPixel,
                     bits.data());
    record.bmType = description.bmType;
    record.bmPlanes = description.bmPlanes;
    m_bitmaps.push_back(std::move(record));
    return static_cast<int>(m_bitmaps.size()) - 1;
}

int CDsManager::AddBitmap(const CBitmap& bitmap)
{
    return AddBitmap(static_cast<HBITMAP>(bitmap.GetSafeHandle()));
}

const CDsBitmap* CDsManager::GetBitmap(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_bitmaps.size())) return nullptr;
    return &m_bitmaps[static_cast<size_t>(index)];
}

int CDsManager::AddTexture(const unsigned char* bits, int width, int height, const SColor4ub& background,
                           const SColor4ub& foreground, bool repeat)
{
    SDsTextureData image;
    image.repeat = repeat;
    if (!CDsDriverGl::ConvertBits2Texture(bits, width, height, image, background, foreground)) return -1;
    m_textureData.push_back(std::move(image));
    return static_cast<int>(m_textureData.size()) - 1;
}

// --- Textures from framework bitmaps, read through the current view's device-context driver ---

namespace {

// The smallest power of two that is not below `size` (1 for sizes below 2).
int TextureSide(int size)
{
    int side = 1;
    while (side < size && side < (1 << 30)) side <<= 1;
    return side;
}

}  // namespace

int CDsManager::AddTexture(CBitmap& bitmap, bool transparent)
{
    if (!bitmap.GetSafeHandle()) return -1;
    BITMAP description{};
    if (bitmap.GetBitmap(&description) != static_cast<int>(sizeof(BITMAP))) return -1;
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    CDsDriverCdcBase* driver = view ? dynamic_cast<CDsDriverCdcBase*>(view->get_driver_context()) : nullptr;
    if (!driver) return -1;
    CDC* viewDc = driver->GetDC();
    if (!viewDc) return -1;
    int index = -1;
    {
        CDC memory;
        CBitmap* previous = memory.CreateCompatibleDC(viewDc) ? memory.SelectObject(&bitmap) : nullptr;
        if (previous) {
            const int width = description.bmWidth, height = description.bmHeight;
            SDsTextureData image;
            image.buffer.Resize(TextureSide(width), TextureSide(height));
            const COLORREF key = memory.GetPixel(0, 0);
            for (int r = 0; r < height; ++r) {
                SColor4ub* row = image.buffer.Row(r);
                for (int c = 0; c < width; ++c) {
                    const COLORREF pixel = memory.GetPixel(c, height - 1 - r);
                    const bool clear = transparent && pixel == key;
                    row[c] = SColor4ub(GetRValue(pixel), GetGValue(pixel), GetBValue(pixel), clear ? 0 : 255);
                }
            }
            image.width = width;
            image.height = height;
            memory.SelectObject(previous);
            m_textureData.push_back(std::move(image));
            index = static_cast<int>(m_textureData.size()) - 1;
        }
    }
    driver->ReleaseDC(viewDc);
    return index;
}

bool CDsManager::GetTextureData(int index, SDsTextureData& out) const
{
    if (index < 0 || index >= static_cast<int>(m_textureData.size())) return false;
    out = m_textureData[static_cast<size_t>(index)];
    return true;
}

bool CDsManager::GetTexture(int index, SDsTexture& out)
{
    if (index < 0 || index >= static_cast<int>(m_textureData.size())) return false;
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    if (!view) return false;
    std::vector<SDsTexture>& textures = m_textures[view];
    if (textures.size() <= static_cast<size_t>(index)) textures.resize(static_cast<size_t>(index) + 1);
    SDsTexture& texture = textures[static_cast<size_t>(index)];
    if (texture.id == 0 && !CDsDriverGl::LoadTexture(m_textureData[static_cast<size_t>(index)], texture)) return false;
    out = texture;
    return true;
}

void CDsManager::RemoveAllTextures(CDsView3dCdc* view)
{
    auto entry = m_textures.find(view);
    if (entry == m_textures.end()) return;
    {
        CViewContextScope scope(view);
        if (wglGetCurrentContext()) {
            for (const SDsTexture& texture : entry->second) {
                if (texture.id == 0) continue;
                GLuint id = texture.id;
                glDeleteTextures(1, &id);
            }
        }
    }
    m_textures.erase(entry);
}

int CDsManager::AddVBO(const SDsVBOData& data)
{
    if (data.count < 0 || (data.count > 0 && !data.vertices) || data.verticesPerChunk < 1) return -1;
    if (m_freeVBOs.empty()) {
        m_vboData.push_back(data);
        m_vboFree.push_back(false);
        return static_cast<int>(m_vboData.size()) - 1;
    }
    const int index = m_freeVBOs.back();
    m_freeVBOs.pop_back();
    const auto slot = static_cast<size_t>(index);
    m_vboData[slot] = data;
    m_vboFree[slot] = false;
    return index;
}

bool CDsManager::GetVBO(CDsView3dCdc* view, int index, CDsVBO& out)
{
    if (index < 0 || index >= static_cast<int>(m_vboData.size())) return false;
    if (!view) view = CDsView3dCdc::StGetCurrent();
    if (!view) return false;
    std::vector<CDsVBO>& records = m_vbos[view];
    if (static_cast<int>(records.size()) <= index) records.resize(static_cast<size_t>(index) + 1);
    CDsVBO& record = records[static_cast<size_t>(index)];
    if (!record.IsCreated() && m_vboData[static_cast<size_t>(index)].count > 0)
        record.Create(m_vboData[static_cast<size_t>(index)]);
    out = record;
    return true;
}

void CDsManager::RemoveAllVBOs(CDsView3dCdc* view)
{
    auto entry = m_vbos.find(view);
    if (!view || entry == m_vbos.end()) return;
    {
        CViewContextScope scope(view);
        for (CDsVBO& record : entry->second) record.DeleteBuffers();
    }
    m_vbos.erase(entry);
}

void CDsManager::RemoveVBOFromAllViews(int index)
{
    if (index < 0 || index >= static_cast<int>(m_vboData.size())) return;
    const auto slot = static_cast<size_t>(index);
    if (m_vboFree[slot]) return;  // freed twice: the slot is not handed out twice
    for (auto& entry : m_vbos) {
        if (entry.second.size() <= slot) continue;
        CViewContextScope scope(entry.first);
        // Emptied, so that the next description in the slot is built anew in every view.
        entry.second[slot].DeleteBuffers();
    }
    m_vboData[slot] = SDsVBOData();
    m_vboFree[slot] = true;
    m_freeVBOs.push_back(index);
}

// --- Mesh interfaces and their display lists ---------------------------------------------------

void CDsManager::AddMeshInterface(CVyrMeshInterface* meshes)
{
    if (meshes) m_meshInterfaces.insert(meshes);
}

void CDsManager::DeleteMeshInterface(CVyrMeshInterface* meshes)
{
    m_meshInterfaces.erase(meshes);
}

bool CDsManager::HasMeshInterface(const CVyrMeshInterface* meshes) const
{
    return m_meshInterfaces.count(const_cast<CVyrMeshInterface*>(meshes)) != 0;
}

void CDsManager::ResetDisplayListsHandles()
{
    std::vector<CVyrIndexedMesh*> meshes;
    for (CVyrMeshInterface* meshInterface : m_meshInterfaces) meshInterface->GetAllMeshes(meshes);
    for (CVyrIndexedMesh* mesh : meshes) mesh->DeleteDisplayList();
}

// --- Display state: colours, UCS size, palettes, hatches, entity types, clipping ---------------

void CDsManager::InitDisplayPackage()
{
    CDsDriverGl::StInitOpenGl();
    if (!m_hatches) {
        m_hatches = new CDsHatchPattern*[kHatchCount];
        for (int i = 0; i < kHatchCount; ++i) m_hatches[i] = new CDsHatchPattern(i);
    }
    // Desktop composition off where the desktop window manager offers it.
    if (HMODULE dwm = LoadLibraryW(L"dwmapi.dll")) {
        typedef HRESULT(WINAPI * EnableComposition)(UINT);
        if (auto enable = reinterpret_cast<EnableComposition>(GetProcAddress(dwm, "DwmEnableComposition"))) enable(0);
        FreeLibrary(dwm);
    }
}

bool CDsManager::StGetOpenGlInformation(CVyrString& text)
{
    return CDsDriverGl::StGetOpenGlInformation(text);
}

void CDsManager::GetDefaultColor(CDsColorStorage& color) const
{
    if (m_defaultColor && &color != m_defaultColor) color = *m_defaultColor;
}

void CDsManager::SetDefaultColor(const CDsColorStorage& color)
{
    if (m_defaultColor && &color != m_defaultColor) *m_defaultColor = color;
}

void CDsManager::GetMonochromColor(CDsColorStorage& color, bool hidden) const
{
    color = hidden ? m_monochromHidden : m_monochromVisible;
}

void CDsManager::SetMonochromColor(const CDsColorStorage& color, bool hidden)
{
    (hidden ? m_monochromHidden : m_monochromVisible) = color;
}

CVyrString CDsManager::GetDefaultFont() const
{
    return CDsNFontStorage::StGetDefaultFontName();
}

void CDsManager::SetAttributesToView(view3d& view, int index)
{
    if (m_activeAttributesPalette) m_activeAttributesPalette->SetAttributesToView(view, index);
}

bool CDsManager::IsHidden(int index) const
{
    return m_activeAttributesPalette && m_activeAttributesPalette->IsHidden(index);
}

void CDsManager::SetSpecialAttrColor(EAttribSetIndex index, unsigned long color)
{
    CDsAttributes attributes = CDsScene::GetSpecialAttrs(index);
    attributes.SetColor(static_cast<unsigned>(color));
    CDsScene::SetSpecialAttrs(index, attributes);
    if (index == eAttribSetMark) CDsScene::SetSpecialAttrs(eAttribSetMarkedSlave, attributes);
}

void CDsManager::DrawPoint(view3d& view, const SPAposition& position, EPointStyle style, int size, bool)
{
    if (m_pointsPalette) m_pointsPalette->DrawMarker(size, style, view, position);
}

void CDsManager::DrawPointOnTraverse(view3d& view, const SPAposition& position, bool walk, EPointStyle style, int size)
{
    if (m_pointsPalette) m_pointsPalette->DrawMarkerOnTraverse(size, style, view, position, walk);
}

CDsHatchPattern* CDsManager::GetHatchPattern(int index) const
{
    if (!m_hatches || index < 0 || index >= kHatchCount) return nullptr;
    return m_hatches[index];
}

void CDsManager::SetHatchToView(unsigned char index, view3d* view,
                                const std::pair<std::vector<SPAposition>, unsigned>& polygon,
                                const SPAunit_vector& direction, const SPAunit_vector& normal, bool hatchOn, bool)
{
    CDsHatchPattern* pattern = GetHatchPattern(index);
    if (!pattern) return;
    if (hatchOn)
        pattern->SetToView(view, polygon, direction, normal, false);
    else
        pattern->ResetToView(view);
}

void CDsManager::ResetDisplayStateForTests()
{
    if (m_defaultColor) *m_defaultColor = CDsColorStorage();
    if (m_pointsPalette) m_pointsPalette->ClearMarkers();
    if (m_hatches) {
        for (int i = 0; i < kHatchCount; ++i) delete m_hatches[i];
        delete[] m_hatches;
        m_hatches = nullptr;
    }
    m_activeAttributesPalette = nullptr;
    m_ucsSize = 10;
    m_monochromHidden = CDsColorStorage(0xC8, 0xC8, 0xC8);
    m_monochromVisible = CDsColorStorage();
    m_entityType = nullptr;
    m_clippedComponent = CVyrObjectPath();
}

VYR_REGISTER_TEST_RESET(CDsManager::ResetDisplayStateForTests, [] {
    CDsManager::GetInstance()->ResetDisplayStateForTests();
    return true;
});

// --- Preferences ----------------------------------------------------------------------------------

bool CDsManager::InitializeDisplayPreferences()
{
    // Desktop composition is not switched here: this system has no desktop window manager call.
    int monochrome = 0;
    int shader = 0;
    DsGetPreferenceValue(gDsPrefGroupGeneral, L"MonochromeWireframeEnable", monochrome);
    DsGetPreferenceValue(gDsPrefGroupGeneral, L"ShaderActive", shader);
    SetFlag(12, monochrome != 0);
    SetFlag(13, shader != 0);
    CDsPreferencesServices().GetMonochromeWireframeColors(m_monochromVisible, m_monochromHidden);
    return true;
}

void CDsManager::ResetSpecialAttributesForTests()
{
    SetSpecialAttributes();
}

VYR_REGISTER_TEST_RESET(CDsManager::ResetSpecialAttributesForTests, [] {
    CDsManager::GetInstance()->ResetSpecialAttributesForTests();
    return true;
});

void CDsManager::SetSpecialAttributes()
{
    CDsColorStorage highlight;
    CDsColorStorage select;
    CDsColorStorage highlightSelect;
    CDsPreferencesServices().GetColorPreferences(highlight, select, highlightSelect);

    // One value changed step by step: later sets keep what earlier steps set.
    CDsAttributes attributes;
    attributes.SetColor(highlight.GetColorRef());
    CDsScene::SetSpecialAttrs(eAttribSetHighlight, attributes);
    attributes.SetColor(select.GetColorRef());
    CDsScene::SetSpecialAttrs(eAttribSetMark, attributes);
    CDsScene::SetSpecialAttrs(eAttribSetMarkedSlave, attributes);
    attributes.SetColor(highlightSelect.GetColorRef());
    CDsScene::SetSpecialAttrs(eAttribSetHighlightMarked, attributes);

    // The other sets in their default colours.
    const int kFixed[] = {eAttribSetDim, eAttribSetVisibility7, eAttribSetVisibility5, eAttribSetVisibility6, 6};
    for (const int set : kFixed) {
        const CDsLineAttribStorage defaults =
            CDsLineAttribStorage::StGetDefaultSpecialAttributes(static_cast<EAttribSetIndex>(set));
        attributes.SetColor(defaults.GetColor().GetColorRef());
        CDsScene::SetSpecialAttrs(set, attributes);
    }

    attributes.SetLineStyle(0);
    attributes.SetLineWidth(2);
    attributes.SetColor(CDsColorStorage(200, 200, 0).GetColorRef());
    CDsScene::SetSpecialAttrs(eAttribSetSingleSlave, attributes);
    attributes.SetLineStyle(0);
    attributes.SetLineWidth(1);
    attributes.SetColor(0);
    CDsScene::SetSpecialAttrs(eAttribSetMonochrome, attributes);
}
