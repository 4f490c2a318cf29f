// A recording OpenGL seam for the renderers' tests without a context: while a RecordingSeam
// lives, every call that goes through gDsGl becomes one entry (its name and its arguments as
// numbers) and glIsEnabled answers from a set of switches the test holds, which glEnable and
// glDisable change as OpenGL would. The seam found is put back when the recorder goes.
#pragma once

#include "DsGlSeam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace vyrtest {

// One call through the seam.
struct GlCall {
    std::string name;
    std::vector<double> args;
};

inline std::ostream& operator<<(std::ostream& out, const GlCall& call)
{
    out << call.name << "(";
    for (std::size_t i = 0; i < call.args.size(); ++i) out << (i ? ", " : "") << call.args[i];
    return out << ")";
}

inline std::ostream& operator<<(std::ostream& out, const std::vector<GlCall>& calls)
{
    out << "[";
    for (std::size_t i = 0; i < calls.size(); ++i) out << (i ? ", " : "") << calls[i];
    return out << "]";
}

// The calls recorded equal the expected ones: same names in the same order, arguments within
// `tolerance` (floats sent through the seam arrive as doubles of floats).
inline ::testing::AssertionResult CallsAre(const std::vector<GlCall>& actual, const std::vector<GlCall>& expected,
                                           double tolerance = 1e-6)
{
    bool same = actual.size() == expected.size();
    for (std::size_t i = 0; same && i < actual.size(); ++i) {
        same = actual[i].name == expected[i].name && actual[i].args.size() == expected[i].args.size();
        for (std::size_t j = 0; same && j < actual[i].args.size(); ++j)
            same = std::fabs(actual[i].args[j] - expected[i].args[j]) <= tolerance;
    }
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "sent " << actual << "\n    expected " << expected;
}

// Records the calls of the seam while it lives.
class RecordingSeam {
public:
    RecordingSeam() : scope_(Table()) { Active() = this; }
    ~RecordingSeam() { Active() = nullptr; }
    RecordingSeam(const RecordingSeam&) = delete;
    RecordingSeam& operator=(const RecordingSeam&) = delete;

    // The calls recorded so far, which are then forgotten.
    std::vector<GlCall> Take()
    {
        std::vector<GlCall> taken;
        taken.swap(calls);
        return taken;
    }
    // How many recorded calls have this name.
    std::size_t Count(const std::string& name) const
    {
        std::size_t n = 0;
        for (const GlCall& call : calls) n += call.name == name ? 1 : 0;
        return n;
    }

    std::vector<GlCall> calls;  // in the order sent
    std::set<GLenum> enabled;   // the switches glIsEnabled answers as on

private:
    static RecordingSeam*& Active()
    {
        static RecordingSeam* active = nullptr;
        return active;
    }
    static void Add(const char* name, std::vector<double> args)
    {
        if (Active()) Active()->calls.push_back(GlCall{name, std::move(args)});
    }
    static const SDsGlSeam& Table()
    {
        static const SDsGlSeam table = {
            [](GLubyte r, GLubyte g, GLubyte b) { Add("Color3ub", {double(r), double(g), double(b)}); },
            [](GLfloat width) { Add("LineWidth", {width}); },
            [](GLclampd n, GLclampd f) { Add("DepthRange", {n, f}); },
            [](GLint factor, GLushort pattern) { Add("LineStipple", {double(factor), double(pattern)}); },
            [](GLfloat factor, GLfloat units) { Add("PolygonOffset", {factor, units}); },
            [](GLenum face, GLenum mode) { Add("PolygonMode", {double(face), double(mode)}); },
            [](GLenum cap) {
                Add("Enable", {double(cap)});
                if (Active()) Active()->enabled.insert(cap);
            },
            [](GLenum cap) {
                Add("Disable", {double(cap)});
                if (Active()) Active()->enabled.erase(cap);
            },
            [](GLenum cap) -> GLboolean {
                Add("IsEnabled", {double(cap)});
                return Active() && Active()->enabled.count(cap) ? GL_TRUE : GL_FALSE;
            },
            [](GLenum mode) { Add("MatrixMode", {double(mode)}); },
            []() { Add("PushMatrix", {}); },
            []() { Add("PopMatrix", {}); },
            [](const GLfloat* m) { Add("MultMatrixf", std::vector<double>(m, m + 16)); },
            []() { Add("LoadIdentity", {}); },
            [](GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
                Add("Ortho", {l, r, b, t, n, f});
            },
            [](GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux,
               GLdouble uy, GLdouble uz) { Add("LookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz}); },
            [](GLfloat x, GLfloat y, GLfloat z) { Add("Translatef", {x, y, z}); },
            [](GLenum name, GLint value) { Add("LightModeli", {double(name), double(value)}); },
            [](GLenum face, GLenum name, const GLfloat* v) {
                Add("Materialfv", {double(face), double(name), v[0], v[1], v[2], v[3]});
            },
            [](GLenum face, GLenum name, GLfloat value) { Add("Materialf", {double(face), double(name), value}); },
            [](GLboolean r, GLboolean g, GLboolean b, GLboolean a) {
                Add("ColorMask", {double(r), double(g), double(b), double(a)});
            },
            [](GLboolean flag) { Add("DepthMask", {double(flag)}); },
            [](GLenum source, GLenum destination) { Add("BlendFunc", {double(source), double(destination)}); },
            [](GLenum mode) { Add("CullFace", {double(mode)}); },
        };
        return table;
    }

    SDsGlSeamScope scope_;
};

}  // namespace vyrtest
