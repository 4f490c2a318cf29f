// CDsShader, CDsVertexShader, CDsPixelShader: the scene's vertex and fragment programs.
#include "DsShader.h"

#include "DsGeometryComputer.h"
#include "DsGlExtensions.h"
#include "VyrRegistry.h"

#include <windows.h>
#include <vyrwin_codec.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>

namespace {

// `path` with every backslash turned into '/'.
std::wstring ForwardSlashes(const char* path)
{
    std::wstring out;
    for (const char* c = path; *c; ++c) out += *c == '\\' ? L'/' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return out;
}

// Reads the file whole into `text` (its bytes, then a zero byte); false when it cannot be opened,
// is larger than the limit or cannot be read to its end.
bool ReadWhole(const CStringW& path, std::unique_ptr<char[]>& text, int& length)
{
    CFile file;
    if (!file.Open(path.GetString(), CFile::modeRead | CFile::typeBinary)) return false;
    try {
        const ULONGLONG size = file.GetLength();
        if (size > static_cast<ULONGLONG>(CDsShader::kMaxFileBytes)) return false;
        length = static_cast<int>(size);
        text.reset(new (std::nothrow) char[static_cast<size_t>(length) + 1]);
        if (!text) return false;
        UINT read = 0;
        while (read < static_cast<UINT>(length)) {
            const UINT n = file.Read(text.get() + read, static_cast<UINT>(length) - read);
            if (n == 0) break;
            read += n;
        }
        if (read != static_cast<UINT>(length)) return false;
        text[static_cast<size_t>(length)] = '\0';
    } catch (CFileException* error) {
        error->Delete();
        return false;
    }
    return true;
}

}  // namespace

CDsShader::~CDsShader()
{
    if (m_id != 0 && DsGlExt::glDeleteProgramsARB && wglGetCurrentContext()) DsGlExt::glDeleteProgramsARB(1, &m_id);
}

bool CDsShader::LoadTarget(GLenum target, const char* text, int length)
{
    if (!text || length < 0 || !DsGlExt::glGenProgramsARB || !DsGlExt::glBindProgramARB ||
        !DsGlExt::glProgramStringARB)
        return false;
    if (m_id == 0) DsGlExt::glGenProgramsARB(1, &m_id);
    if (m_id == 0) return false;
    DsGlExt::glBindProgramARB(target, m_id);
    DsGlExt::glProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, length, text);
    // The driver marks a rejected text with its error position (-1 when it took the text) and an
    // error; the error is read so that it does not stay pending for whoever asks next.
    GLint position = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &position);
    const GLenum error = glGetError();
    return position == -1 && error != GL_INVALID_OPERATION;
}

bool CDsShader::LoadFromFile(CDsShader* program, const char* path)
{
    if (!program || !path) return false;
    const CStringW full = CVyrRegistry::GetDataDir().GetCString() + CStringW(ForwardSlashes(path).c_str());
    std::unique_ptr<char[]> text;
    int length = 0;
    if (!ReadWhole(full, text, length)) return false;
    if (program->LoadProgram(text.get(), length)) return true;
    const char* message = reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
    std::string line = "Display warning: shader program rejected: ";
    line += vyrwin::Utf8FromWide(full.GetString());
    if (message && *message) {
        line += ": ";
        for (const char* c = message; *c; ++c) line += *c == '\n' || *c == '\r' ? ' ' : *c;
    }
    CDsGeometryComputer::WriteWarning(line.c_str());
    return false;
}

bool CDsShader::LoadVersionFile(CDsShader* program, float version, const char* pattern)
{
    if (!program || !pattern) return false;
    char name[256];
    const int n = std::snprintf(name, sizeof name, pattern, static_cast<double>(version));
    if (n < 0 || n >= static_cast<int>(sizeof name)) return false;
    return LoadFromFile(program, (std::string("\\display\\shaders\\") + name).c_str());
}

void CDsVertexShader::Enable(bool on)
{
    if (on) {
        if (!DsGlExt::glBindProgramARB || m_id == 0) return;
        DsGlExt::glBindProgramARB(GL_VERTEX_PROGRAM_ARB, m_id);
        glEnable(GL_VERTEX_PROGRAM_ARB);
    } else {
        glDisable(GL_VERTEX_PROGRAM_ARB);
    }
}

bool CDsVertexShader::LoadProgram(const char* text, int length)
{
    return LoadTarget(GL_VERTEX_PROGRAM_ARB, text, length);
}

void CDsPixelShader::Enable(bool on)
{
    if (on) {
        if (!DsGlExt::glBindProgramARB || m_id == 0) return;
        if (DsGlExt::glActiveTextureARB) DsGlExt::glActiveTextureARB(GL_TEXTURE0_ARB);
        DsGlExt::glBindProgramARB(GL_FRAGMENT_PROGRAM_ARB, m_id);
        glEnable(GL_FRAGMENT_PROGRAM_ARB);
    } else {
        glDisable(GL_FRAGMENT_PROGRAM_ARB);
    }
}

bool CDsPixelShader::LoadProgram(const char* text, int length)
{
    return LoadTarget(GL_FRAGMENT_PROGRAM_ARB, text, length);
}
