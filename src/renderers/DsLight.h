// CDsLight: one OpenGL light of a rendering context (GL_LIGHT0 + its id): its switch, kind,
// colour, the four-float ambient, diffuse and specular terms, position and target, attenuation
// and spot parameters. The light list of the context's scene (CDsLightList) makes and owns the
// lights, sends them to OpenGL before a shaded frame, and saves, loads and exchanges them with the
// host as eleven lines of text:
//
//   Light <id> On <0|1> Type <type> Color <colour as a signed integer>
//   Ambient <r> <g> <b> <a>
//   Diffuse <r> <g> <b> <a>
//   Specular <r> <g> <b> <a>
//   Position <x> <y> <z> <w>
//   Target <x> <y> <z>
//   Attenuation <constant> <linear> <quadratic>
//   Spot <cutoff in degrees> <exponent>
//   SpotDirection <x> <y> <z>
//   ___________________________________________   (43 underscores)
//   " "                                           (one blank)
//
// Numbers are written as C's "%d" and "%f" write them in the C locale (six decimals), whatever the
// process's locale. Reading takes each line as a label word (ignored, so any word serves) followed
// by the line's numbers; lines 10 and 11 are not looked at.
//
// Reading is outside input; these rules keep a light sound whatever the text holds:
// - A line gives its fields in order, as a scanf would read them: blanks separate, a number ends
//   where its characters end. The first field that is not there (no word, a word longer than 31
//   characters, no number where one must stand) ends the line: it and the fields after it keep
//   their values. A missing spot cutoff (on a Spot line that is there) reads 0, as it always has.
// - A number that is not finite (nan, inf) or larger in size than 1e9 (integers: beyond 32 bits)
//   is refused: that field keeps its value and the line goes on.
// - An id outside 0..7 is refused (the light keeps its own id, so OpenGL is never asked for
//   GL_LIGHT8 or beyond); a type outside 0..2 is refused. A valid id is taken: a block that gives
//   id 3 makes the light drive GL_LIGHT3 whatever its place in the list.
// - Values read pass the clamps of the setters: a negative attenuation becomes 0; a cutoff above
//   90 and not 180 becomes 90, below 0 becomes 0; an exponent is held to 0..128.
// - When the lines end (a short file or deque) reading stops: what was not given keeps its value.
// SetSpotProperties and SetAttenuation keep the stored value for a value that is not finite, and
// the cutoff sent to OpenGL is always 0..90 or 180, so OpenGL is only given values it accepts.
//
// The setters keep only what the text form gives back, so that a light saved and read again is
// the light that was saved (up to the six decimals of "%f"): no value beyond 1e9 in size and none
// that is not finite. Decided per value:
// - Intensities (SetProperties), the attenuation and the light list's ambient: a value that is not
//   finite is ignored (the old one kept), one beyond +-1e9 becomes +-1e9 (no visible difference:
//   lighting saturates long before).
// - Points and directions (SetPosition, SetTarget, SetSpotDirection, and the position SetDistance
//   makes, which scales with the model's extent): a triple holding a value that is not finite is
//   ignored as a whole; one whose largest coordinate is beyond 1e9 is scaled down along its line
//   from the origin until that coordinate is 1e9, so a directional light keeps its direction and
//   a spot its axis. SetDistance ignores a distance that is not finite.
//
// Choices where the behaviour was open:
// - The switch is kept as a bool: any non-zero number read turns the light on, and it is written
//   back as 1.
// - The lamp (a CDsFigQuadric owned by the light, its kind from the light's type: directional a
//   cylinder, positional a sphere, spot a cone) is recorded into the scene database only while
//   the owner shows lamps and the light is on; the setters that change what it shows (switch,
//   type, colour, position, target) rebuild it then. Reading the text form does not touch it.
//   Lamps are recorded through the current view (CDsFigure::Record with no view): the list's
//   scene makes one of its own views current before it records them (CDsGlScene).
// - Shaders: SetToView sends nothing while the scene's shaders light the faces the view draws
//   (DsShadersLightFaces: shaders enabled, the view's document flag 1 clear, and the scene of the
//   view's context holding a vertex program and no section).
#pragma once

#include <afx.h>

#include "DsBasicSurface.h"

#include <cstdint>
#include <deque>
#include <string>

class CDsFigQuadric;
class CDsLightList;
class CDsSetupFileLines;
class CStdioFile;
class view3d;

// The eight lights of a context; the OpenGL light is GL_LIGHT0 + id.
enum EDsLightID : int {
    eDsLight0 = 0,
    eDsLight1 = 1,
    eDsLight2 = 2,
    eDsLight3 = 3,
    eDsLight4 = 4,
    eDsLight5 = 5,
    eDsLight6 = 6,
    eDsLight7 = 7,
    eDsLightCount = 8  // number of lights
};

// The kinds of light.
enum EDsLightType : int {
    eDsLightDirectional = 0,  // a direction (position w = 0)
    eDsLightPositional = 1,   // a point that shines all round
    eDsLightSpot = 2          // a point that shines in a cone
};

// One OpenGL light.
class AFX_EXT_CLASS CDsLight {
public:
    // Number of text lines of one light.
    static const int kTextLines = 11;

    // Off, directional, white (0xFFFFFF), ambient (0, 0, 0, 1), diffuse and specular (1, 1, 1, 1),
    // position (-100, 0, 100, 0) aimed at the origin, attenuation (1, 0, 0), cutoff 1 radian,
    // exponent 1, spot direction (0, 0, -1); `id` and `owner` (not owned) kept.
    CDsLight(EDsLightID id, CDsLightList* owner);
    // A copy of every field but the lamp (the copy gets a lamp of its own, not recorded).
    CDsLight(const CDsLight& other);
    // Copies every field but the lamp.
    CDsLight& operator=(const CDsLight& other);
    // Deletes the lamp (its database item removed when recorded).
    ~CDsLight();

    // Whether the light is on.
    bool GetTurnOnState() const { return m_on; }
    // The kind of light.
    EDsLightType GetType() const { return m_type; }
    // Switches the light on or off.
    void TurnOn(bool on);
    // Sets the kind: directional sets position w and the target to 0; positional and spot set w to 1.
    void SetType(EDsLightType type);
    // Stores the colour (0x00BBGGRR); ambient, diffuse and specular red, green and blue become
    // each colour channel / 255 times the intensity given (alpha unchanged). An intensity that is
    // not finite leaves its term as it was; one beyond +-1e9 counts as +-1e9.
    void SetProperties(unsigned long colour, float ambient, float diffuse, float specular);
    // The colour, and the intensities of the first colour channel (red, green, blue) that is not 0:
    // that channel's ambient, diffuse and specular divided by channel / 255; black gives 0, 1, 1.
    void GetProperties(unsigned long& colour, float& ambient, float& diffuse, float& specular) const;
    // Sets position x, y and z (w untouched); fitted as the header comment says.
    void SetPosition(const float* xyz);
    // Position x, y and z.
    void GetPosition(float* xyz) const;
    // Sets the target, three floats; fitted as the header comment says.
    void SetTarget(const float* xyz);
    // The target.
    void GetTarget(float* xyz) const;
    // Sets the attenuation; negative values become 0, values above 1e9 become 1e9, a value that is
    // not finite keeps the old one.
    void SetAttenuation(float constant, float linear, float quadratic);
    // The attenuation.
    void GetAttenuation(float& constant, float& linear, float& quadratic) const;
    // Sets the cutoff (degrees: above 90 and not 180 becomes 90, below 0 becomes 0) and the
    // exponent (held to 0..128); a value that is not finite keeps the old one.
    void SetSpotProperties(float cutoffDegrees, float exponent);
    // The cutoff in degrees and the exponent.
    void GetSpotProperties(float& cutoffDegrees, float& exponent) const;
    // Sets the spot direction, three floats; fitted as the header comment says.
    void SetSpotDirection(const float* xyz);
    // The spot direction.
    void GetSpotDirection(float* xyz) const;
    // d = 0: the position becomes the target. Otherwise, with c the distance from position to
    // target: c = 0 sets position x to d (held to +-1e9); else position x, y and z are multiplied
    // by d / c, fitted as SetPosition fits. Nothing for a d that is not finite.
    void SetDistance(float d);
    // The distance from position to target.
    float GetDistance() const;

    // Sends the light to OpenGL (GL_LIGHT0 + id): enabled or disabled, ambient, diffuse, specular,
    // position; positional and spot lights their attenuation; a spot its exponent, cutoff and
    // direction, other lights cutoff 180. Nothing while the scene's shaders light the view's faces
    // (see the header comment), nor for a null view.
    void SetToView(view3d* view) const;
    // Does nothing: a lamp is drawn as a figure recorded in the scene database.
    void DrawFigure(view3d* view) const;
    // `show` and on: the lamp is rebuilt and recorded; otherwise it is removed.
    void RecordFigure(bool show);
    // The lamp (never null).
    CDsFigQuadric* GetLampFigure() const { return m_lamp; }
    // The lamp's quadric kind for the light's type: directional a cylinder, positional a sphere,
    // spot a cone, any other type a sphere.
    EDsQuadType GetFigureType() const;

    // Writes the eleven lines (CR LF on disk in text mode). A failed write throws the framework's
    // file exception to the caller, whose file it is. Nothing for a null file.
    void Save(CStdioFile* file) const;
    // Reads the next eleven lines of the file (see the header comment); a line longer than 1,024
    // bytes or holding control characters reads as empty. One warning line for faulty lines
    // ("DisplayDebugWarnings.txt"). Nothing for a null file.
    void Load(CStdioFile* file);
    // Appends the eleven lines, without line ends, to the back of the deque; nothing for null.
    void Get(std::deque<std::wstring>* lines) const;
    // Takes up to eleven lines from the front of the deque (removing them) and reads them as Load
    // does; stops where the deque ends. Nothing for null.
    void Set(std::deque<std::wstring>* lines);

protected:
    // Copies every field but the owner.
    void CopyObject(const CDsLight& other);
    // Every field back to its default, id 0.
    void ResetMembers();
    // The stored cutoff in degrees.
    float GetSpotCutoffInDegrees() const;
    // Stores `degrees` as radians, unclamped.
    void SetSpotCutoffInRadians(float degrees);
    // Removes the lamp from the scene database.
    void RemoveFigure();
    // Gives the lamp the light's colour, position, target, quadric kind and the owner's lamp size,
    // and has it rebuilt.
    void UpdateFigureData();
    // While the owner shows lamps: an on light's lamp rebuilt and recorded, an off light's removed.
    void RefreshFigure();

private:
    friend class CDsLightList;

    // Line `index` (0..10) of the text form, without its line end.
    std::string GetLine(int index) const;
    // Reads line `index` (0..10) from `text`; false when the line was faulty (a field refused or
    // missing). Lines 9 and 10 are not looked at.
    bool ReadLine(int index, const std::string& text);
    // Reads the next eleven lines of `lines` (stops where they end), noting faulty lines.
    void ReadLines(CDsSetupFileLines& lines);
    // The cutoff as OpenGL takes it: 180, or 0..90.
    float GetSpotCutoffForGl() const;

    bool m_on;
    EDsLightID m_id;
    EDsLightType m_type;
    uint32_t m_colour;
    float m_ambient[4];
    float m_diffuse[4];
    float m_specular[4];
    float m_position[4];
    float m_target[3];
    float m_attenuation[3];
    float m_spotCutoff;  // radians
    float m_spotExponent;
    float m_spotDirection[3];
    CDsLightList* m_owner;
    CDsFigQuadric* m_lamp = nullptr;
};

// One line of the lights and material text, read field by field as the header comment of CDsLight
// says (label words of at most 31 characters, C-locale numbers, refused and missing fields).
// Internal to the core: not exported.
class CDsLightTextLine {
public:
    // Longest label word, in characters.
    static const size_t kMaxWord = 31;
    // Largest size of a number taken.
    static constexpr double kMaxNumber = 1e9;

    // What a field gave.
    enum EField {
        eGiven = 0,    // the value was read
        eRefused = 1,  // a number stood there but is not finite or too large: the field keeps its value
        eMissing = 2   // the line gives no more fields
    };

    // The line's bytes (single-byte text; it ends at a zero byte).
    explicit CDsLightTextLine(const std::string& text);
    // A wide line as single-byte text: each character outside ASCII becomes one byte above 0x7F.
    static std::string Narrow(const std::wstring& text);
    // A single-byte line as wide text.
    static std::wstring Widen(const std::string& text);

    // One label word; false (and the line ends) when there is none or it is too long.
    bool Word();
    // One integer of 32 bits.
    EField Int(int& value);
    // One number as a float.
    EField Float(float& value);
    // True when a field was refused or missing.
    bool Faulty() const { return m_faulty; }

    // `value` as the text keeps it: `kept` for a value that is not finite, else held to
    // -kMaxNumber..kMaxNumber.
    static float Fit(float value, float kept);
    // Appends `value` as "%d" writes it.
    static void AppendInt(std::string& line, long long value);
    // Appends `value` as "%f" writes it in the C locale (six decimals).
    static void AppendFloat(std::string& line, float value);

private:
    // Whether `c` separates fields: space, tab, line feed, vertical tab, form feed, carriage return.
    static bool IsBlank(char c);
    // Skips blanks.
    void SkipBlanks();
    // Ends the line: every later field is missing.
    EField Missing();

    std::string m_text;
    size_t m_pos = 0;
    bool m_ended = false;
    bool m_faulty = false;
};
