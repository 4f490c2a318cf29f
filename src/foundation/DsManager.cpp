// CDsManager: the display manager singleton (flags and points palette so far).
#include "DsManager.h"

#include "DsDriverGl.h"
#include "DsGlExtensions.h"
#include "DsView3dCdc.h"
#include "VyrIndexedMesh.h"
#include "VyrMeshInterface.h"

#include <GL/gl.h>

#include <vector>

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

// --- Driver statics: extension entry points and the texture table ----------------------------

void CDsManager::InitExtensions()
{
    if (!wglGetCurrentContext()) return;
    CDsDriverGl::InitGeneralExtensions();
    CDsDriverGl::InitVBOExtension();
    CDsDriverGl::InitPBufExtensions();
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
    for (const SDsTexture& texture : entry->second) {
        if (texture.id == 0) continue;
        GLuint id = texture.id;
        glDeleteTextures(1, &id);
    }
    m_textures.erase(entry);
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
