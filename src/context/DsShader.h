// CDsShader, CDsVertexShader, CDsPixelShader: the vertex and fragment programs a scene may hold, in
// the assembly-program language of GL_ARB_vertex_program and GL_ARB_fragment_program. A scene
// loads them from text files of the data folder (CDsGlScene::LoadShaderPrograms); whoever draws
// switches them on and off around its drawing with Enable. The entry points are the extension
// loader's (DsGlExtensions.h): while one is missing the program does nothing and loads nothing.
//
// Choices where the behaviour was open, and faults avoided:
// - A program the driver rejects is a failure: LoadProgram answers false (the driver's error
//   position and string tell) and LoadFromFile passes that on, so the scene does not keep a
//   program object whose text never loaded. The rejection, with the driver's message, is written
//   as one line to the warnings file (CDsGeometryComputer::WriteWarning).
// - A program file is read whole up to kMaxFileBytes; a larger file, or one that cannot be read
//   to its end, is not handed to the driver (false).
// - The destructor deletes the OpenGL program only while a context is current (programs are
//   shared by every context of the process); without one the name is left to the driver.
// - Paths relative to the data folder may use backslashes, as the original layout writes them.
#pragma once

#include <afx.h>

#include <GL/gl.h>

// A program object: the OpenGL program name of one target.
class AFX_EXT_CLASS CDsShader {
public:
    // The largest program file read.
    static constexpr long kMaxFileBytes = 1L << 20;

    // No program yet (id 0).
    CDsShader() = default;
    // Not copyable: the program name is owned.
    CDsShader(const CDsShader&) = delete;
    // Not copyable.
    CDsShader& operator=(const CDsShader&) = delete;
    // Deletes the OpenGL program (see the header comment).
    virtual ~CDsShader();

    // Binds the program and switches its target on, or switches the target off.
    virtual void Enable(bool on) = 0;
    // Makes a program name, binds it and hands it `length` bytes of program text; true when the
    // driver took the text, false when it rejected it or the entry points are missing. The name
    // is kept either way (and deleted with the object).
    virtual bool LoadProgram(const char* text, int length) = 0;

    // The OpenGL program name (0 until LoadProgram made one).
    GLuint GetProgramId() const { return m_id; }

    // Reads the file at `path` below the data folder whole (a zero byte after it) and loads it
    // into `program`; false for a null program or path, a file that cannot be read, or a program
    // the driver rejects.
    static bool LoadFromFile(CDsShader* program, const char* path);
    // LoadFromFile of "\display\shaders\" + `pattern` formatted printf-style with `version` as a
    // double ("%gvert.txt" and version 1 give "1vert.txt", 2.5 gives "2.5vert.txt").
    static bool LoadVersionFile(CDsShader* program, float version, const char* pattern);

protected:
    // LoadProgram for `target`.
    bool LoadTarget(GLenum target, const char* text, int length);

    GLuint m_id = 0;
};

// The vertex program (GL_VERTEX_PROGRAM_ARB).
class AFX_EXT_CLASS CDsVertexShader : public CDsShader {
public:
    // No program yet.
    CDsVertexShader() = default;
    // On: binds the program and enables GL_VERTEX_PROGRAM_ARB; off: disables it.
    void Enable(bool on) override;
    // Loads the text as a vertex program.
    bool LoadProgram(const char* text, int length) override;
};

// The fragment program (GL_FRAGMENT_PROGRAM_ARB).
class AFX_EXT_CLASS CDsPixelShader : public CDsShader {
public:
    // No program yet.
    CDsPixelShader() = default;
    // On: texture unit 0 active, binds the program and enables GL_FRAGMENT_PROGRAM_ARB; off:
    // disables it.
    void Enable(bool on) override;
    // Loads the text as a fragment program.
    bool LoadProgram(const char* text, int length) override;
};
