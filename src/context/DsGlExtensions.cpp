// OpenGL extension loading: entry points and loaded flags of the ARB extensions of the list.
#include "DsGlExtensions.h"

#include "VyrString.h"

#include <windows.h>

#include <cstring>
#include <new>

namespace DsGlExt {

#define DS_GL_DEFINE_ENTRY_POINT(type, name) type name = nullptr;
DS_GL_ARB_WINDOW_POS_ENTRY_POINTS(DS_GL_DEFINE_ENTRY_POINT)
DS_GL_ARB_MULTISAMPLE_ENTRY_POINTS(DS_GL_DEFINE_ENTRY_POINT)
DS_GL_ARB_MULTITEXTURE_ENTRY_POINTS(DS_GL_DEFINE_ENTRY_POINT)
DS_GL_ARB_TEXTURE_COMPRESSION_ENTRY_POINTS(DS_GL_DEFINE_ENTRY_POINT)
DS_GL_ARB_VERTEX_BLEND_ENTRY_POINTS(DS_GL_DEFINE_ENTRY_POINT)
DS_GL_ARB_TRANSPOSE_MATRIX_ENTRY_POINTS(DS_GL_DEFINE_ENTRY_POINT)
DS_GL_ARB_PROGRAM_ENTRY_POINTS(DS_GL_DEFINE_ENTRY_POINT)
DS_GL_ARB_VERTEX_ATTRIB_ENTRY_POINTS(DS_GL_DEFINE_ENTRY_POINT)
#undef DS_GL_DEFINE_ENTRY_POINT

bool bGL_ARB_window_pos = false;
bool bGL_ARB_multisample = false;
bool bGL_ARB_multitexture = false;
bool bGL_ARB_texture_compression = false;
bool bGL_ARB_vertex_blend = false;
bool bGL_ARB_transpose_matrix = false;
bool bGL_ARB_vertex_program = false;
bool bGL_ARB_fragment_program = false;
bool bGL_ARB_depth_texture = false;
bool bGL_ARB_shadow = false;
bool bGL_ARB_shadow_ambient = false;
bool bGL_ARB_texture_border_clamp = false;
bool bGL_ARB_texture_cube_map = false;
bool bGL_ARB_texture_env_add = false;
bool bGL_ARB_texture_env_combine = false;
bool bGL_ARB_texture_env_crossbar = false;
bool bGL_ARB_texture_env_dot3 = false;

}  // namespace DsGlExt

const char gDsGlExtensionList[] =
    "GL_ARB_multitexture GL_ARB_transpose_matrix GL_ARB_multisample GL_ARB_texture_env_add "
    "GL_ARB_texture_cube_map GL_ARB_texture_compression GL_ARB_texture_border_clamp GL_ARB_point_parameters "
    "GL_ARB_vertex_blend GL_ARB_texture_env_combine GL_ARB_texture_env_crossbar GL_ARB_texture_env_dot3 "
    "GL_ARB_texture_mirrored_repeat GL_ARB_depth_texture GL_ARB_shadow GL_ARB_shadow_ambient GL_ARB_window_pos "
    "GL_ARB_vertex_program GL_ARB_fragment_program";
static_assert(sizeof gDsGlExtensionList == 439 + 1, "the extension list holds 439 characters");

namespace {

// The number of entry points each extension defines.
#define DS_GL_COUNT_ENTRY_POINT(type, name) +1
static_assert(0 DS_GL_ARB_WINDOW_POS_ENTRY_POINTS(DS_GL_COUNT_ENTRY_POINT) == 16, "window_pos");
static_assert(0 DS_GL_ARB_MULTITEXTURE_ENTRY_POINTS(DS_GL_COUNT_ENTRY_POINT) == 34, "multitexture");
static_assert(0 DS_GL_ARB_TEXTURE_COMPRESSION_ENTRY_POINTS(DS_GL_COUNT_ENTRY_POINT) == 7, "texture_compression");
static_assert(0 DS_GL_ARB_VERTEX_BLEND_ENTRY_POINTS(DS_GL_COUNT_ENTRY_POINT) == 10, "vertex_blend");
static_assert(0 DS_GL_ARB_TRANSPOSE_MATRIX_ENTRY_POINTS(DS_GL_COUNT_ENTRY_POINT) == 4, "transpose_matrix");
static_assert(0 DS_GL_ARB_PROGRAM_ENTRY_POINTS(DS_GL_COUNT_ENTRY_POINT) == 19, "fragment_program");
static_assert(0 DS_GL_ARB_PROGRAM_ENTRY_POINTS(DS_GL_COUNT_ENTRY_POINT)
                      DS_GL_ARB_VERTEX_ATTRIB_ENTRY_POINTS(DS_GL_COUNT_ENTRY_POINT) ==
                  62,
              "vertex_program");
#undef DS_GL_COUNT_ENTRY_POINT

// Stores the driver's entry point `name` into `pointer`, found or not; true when found.
template <class Pointer>
bool LookUp(Pointer& pointer, const char* name)
{
    pointer = reinterpret_cast<Pointer>(wglGetProcAddress(name));
    return pointer != nullptr;
}

// Every entry point of a list is looked up, even after one is missing.
#define DS_GL_LOOK_UP_ENTRY_POINT(type, name) \
    if (!LookUp(DsGlExt::name, #name)) complete = false;

bool LoadWindowPos()
{
    bool complete = true;
    DS_GL_ARB_WINDOW_POS_ENTRY_POINTS(DS_GL_LOOK_UP_ENTRY_POINT)
    return complete;
}

bool LoadMultisample()
{
    bool complete = true;
    DS_GL_ARB_MULTISAMPLE_ENTRY_POINTS(DS_GL_LOOK_UP_ENTRY_POINT)
    return complete;
}

bool LoadMultitexture()
{
    bool complete = true;
    DS_GL_ARB_MULTITEXTURE_ENTRY_POINTS(DS_GL_LOOK_UP_ENTRY_POINT)
    return complete;
}

bool LoadTextureCompression()
{
    bool complete = true;
    DS_GL_ARB_TEXTURE_COMPRESSION_ENTRY_POINTS(DS_GL_LOOK_UP_ENTRY_POINT)
    return complete;
}

bool LoadVertexBlend()
{
    bool complete = true;
    DS_GL_ARB_VERTEX_BLEND_ENTRY_POINTS(DS_GL_LOOK_UP_ENTRY_POINT)
    return complete;
}

bool LoadTransposeMatrix()
{
    bool complete = true;
    DS_GL_ARB_TRANSPOSE_MATRIX_ENTRY_POINTS(DS_GL_LOOK_UP_ENTRY_POINT)
    return complete;
}

bool LoadVertexProgram()
{
    bool complete = true;
    DS_GL_ARB_VERTEX_ATTRIB_ENTRY_POINTS(DS_GL_LOOK_UP_ENTRY_POINT)
    DS_GL_ARB_PROGRAM_ENTRY_POINTS(DS_GL_LOOK_UP_ENTRY_POINT)
    return complete;
}

bool LoadFragmentProgram()
{
    bool complete = true;
    DS_GL_ARB_PROGRAM_ENTRY_POINTS(DS_GL_LOOK_UP_ENTRY_POINT)
    return complete;
}

#undef DS_GL_LOOK_UP_ENTRY_POINT

// Extensions that only change what existing OpenGL calls accept.
bool LoadNoEntryPoints() { return true; }

struct KnownExtension {
    const char* name;
    bool* loaded;
    bool (*load)();
};

// The extensions the loader knows, in the order they are compared.
const KnownExtension kKnownExtensions[] = {
    {"GL_ARB_window_pos", &DsGlExt::bGL_ARB_window_pos, LoadWindowPos},
    {"GL_ARB_multisample", &DsGlExt::bGL_ARB_multisample, LoadMultisample},
    {"GL_ARB_multitexture", &DsGlExt::bGL_ARB_multitexture, LoadMultitexture},
    {"GL_ARB_texture_compression", &DsGlExt::bGL_ARB_texture_compression, LoadTextureCompression},
    {"GL_ARB_vertex_blend", &DsGlExt::bGL_ARB_vertex_blend, LoadVertexBlend},
    {"GL_ARB_transpose_matrix", &DsGlExt::bGL_ARB_transpose_matrix, LoadTransposeMatrix},
    {"GL_ARB_vertex_program", &DsGlExt::bGL_ARB_vertex_program, LoadVertexProgram},
    {"GL_ARB_fragment_program", &DsGlExt::bGL_ARB_fragment_program, LoadFragmentProgram},
    {"GL_ARB_depth_texture", &DsGlExt::bGL_ARB_depth_texture, LoadNoEntryPoints},
    {"GL_ARB_shadow", &DsGlExt::bGL_ARB_shadow, LoadNoEntryPoints},
    {"GL_ARB_shadow_ambient", &DsGlExt::bGL_ARB_shadow_ambient, LoadNoEntryPoints},
    {"GL_ARB_texture_border_clamp", &DsGlExt::bGL_ARB_texture_border_clamp, LoadNoEntryPoints},
    {"GL_ARB_texture_cube_map", &DsGlExt::bGL_ARB_texture_cube_map, LoadNoEntryPoints},
    {"GL_ARB_texture_env_add", &DsGlExt::bGL_ARB_texture_env_add, LoadNoEntryPoints},
    {"GL_ARB_texture_env_combine", &DsGlExt::bGL_ARB_texture_env_combine, LoadNoEntryPoints},
    {"GL_ARB_texture_env_crossbar", &DsGlExt::bGL_ARB_texture_env_crossbar, LoadNoEntryPoints},
    {"GL_ARB_texture_env_dot3", &DsGlExt::bGL_ARB_texture_env_dot3, LoadNoEntryPoints},
};
static_assert(sizeof kKnownExtensions / sizeof kKnownExtensions[0] == 17, "the loader knows 17 extensions");

// The extension text of the current context; null when no context is current.
const char* CurrentExtensionText()
{
    if (!wglGetCurrentContext()) return nullptr;
    return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
}

}  // namespace

bool DsInitGlExtensionList()
{
    const size_t length = std::strlen(gDsGlExtensionList);
    char* copy = new (std::nothrow) char[length + 1];
    if (!copy) return false;
    std::memcpy(copy, gDsGlExtensionList, length + 1);

    bool result = true;
    // strtok_r rather than strtok: a caller in the middle of its own strtok walk keeps its place.
    char* rest = nullptr;
    for (char* name = strtok_r(copy, " ", &rest); name; name = strtok_r(nullptr, " ", &rest))
        if (!DsInitGlExtension(name)) result = false;

    delete[] copy;
    return result;
}

bool DsInitGlExtension(const char* name)
{
    const char* extensions = CurrentExtensionText();
    if (!name) return false;
    // Without a context nothing can be said about the driver, not even for the names the loader
    // takes as loaded; pointers and flags stay as they are.
    if (!extensions) return false;

    for (const KnownExtension& known : kKnownExtensions) {
        if (std::strcmp(known.name, name) != 0) continue;
        // The flag answers for the context asked last: one that lacks the extension, or whose
        // driver lacks an entry point, clears what an earlier context set.
        const bool complete = DsIsExtensionInList(extensions, name) && known.load();
        *known.loaded = complete;
        return complete;
    }
    return true;
}

bool DsIsExtensionInList(const char* extensions, const char* name)
{
    // Drivers separate names by spaces; a string handed in from elsewhere may use tabs or lines.
    static const char kBlanks[] = " \t\r\n";
    if (!extensions || !name) return false;
    const size_t nameLength = std::strlen(name);
    if (nameLength == 0) return false;
    const char* word = extensions + std::strspn(extensions, kBlanks);
    while (*word) {
        const size_t wordLength = std::strcspn(word, kBlanks);
        if (wordLength == nameLength && std::strncmp(word, name, nameLength) == 0) return true;
        word += wordLength;
        word += std::strspn(word, kBlanks);
    }
    return false;
}

bool DsInitShaderExtensions(CVyrString& message)
{
    const bool loaded = DsInitGlExtensionList();
    message = loaded ? L"The vertex shader functions are supported."
                     : L"One or more of the vertex shader functions are not supported.";
    return loaded;
}
