// CDsManager: the display manager singleton (flags, points palette and resource tables so far).
#include "DsManager.h"

#include "DsDriverGl.h"
#include "DsGlExtensions.h"
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
    m_flags.set(7);
}

CDsManager::~CDsManager() = default;

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
    m_vboData.push_back(data);
    return static_cast<int>(m_vboData.size()) - 1;
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
