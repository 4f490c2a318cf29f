// CDsLightList: the lighting of one rendering context, owned by the context's scene: eight lights
// (ids 0 to 7), a head light that serves instead of them while the view's document flag 1 is set
// (directional, id 0, at (0, 0, 100), on), the global ambient value (0.2), the default material
// (255, 190, 128, 10, 0), the show-lamps switch (off), the lights-changed flag (off; only the host
// sets it) and the lamp size (100).
//
// A new list loads the default files of the data folder (CVyrRegistry::GetDataDir), the
// backslash paths "\display\LightsAndMaterials\Default.lights" and "...\Default.material" joined
// with '/'. A file that cannot be opened, for reading or for writing, shows string resource 2241
// of the application's resource modules, a line feed and the path in a message box (recorded,
// never waiting) and changes nothing; a write that fails on the way shows the same box.
//
// The lights file (single-byte lines, CR LF on disk; LF or CR LF read):
//   ZorbelanE Lights Setup Data:
//   ----------------------------
//   LIGHT-MODEL: LOCAL 0 2SIDES 0 AMBIENT <ambient> FIXED 1
//   " "
//   lights 0 to 7, eleven lines each (CDsLight); the head light is not written.
// The material file:
//   ZorbelanE Material Data:
//   Ambient: <n>   Diffuse: <n>   Specular: <n>   Shininess: <n>   Emission: <n>   (a line each)
// The host's text lines (GetLights / SetLights, 94 of them): the four header lines, then
// "Material: Ambient <n> Diffuse <n> Specular <n> Shininess <n> Emission <n>" and " ", then the
// eight lights.
//
// Reading follows the rules of CDsLight's header comment (label words ignored, C-locale numbers,
// refused and missing fields, reading stops where the lines end). A material file with a line of
// binary data (or one the read limit cuts off) among its six is refused whole: the material stays
// as it was, and the warning says so. The ambient is the number after
// the header line's fourth word; the three integers around it are read and dropped. A material
// number that is missing on a line that is there reads 0; a number that is given keeps its low
// byte, as the file has always been read; one beyond 32 bits is refused. Faulty lines of a file
// leave one warning line per read in "DisplayDebugWarnings.txt"; nothing is ever written back
// unasked.
//
// Choices where the behaviour was open:
// - SetToView hands the material to the scene database as the state of the drawing it prepares,
//   which no view counts as a change: each context's drawing sends its own, so a document's frame
//   leaves the pictures of another document, drawn with another material, as they are, and a
//   frame's own material does not make the next refresh draw again. A new material, ambient or
//   light reaches the pictures through the scene, which compares GetStateStamp before every
//   change query: whatever changed them (the context's setters, the files, a light changed
//   through GetLight), the views draw again.
// - UpdateLightVectors leaves the lights as they are for an empty box, or one whose corners are
//   both at the origin: moving the directional lights onto their targets would lose their
//   directions for good.
// - The lamps: a quadric figure per light (CDsLight), recorded in the scene database while lamps
//   are shown and the light is on. The head light never shows a lamp.
#pragma once

#include <afx.h>

#include "DsLight.h"
#include "DsMaterialStorage.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class CDsBox;
class CStdioFile;
class CVyrString;
class view3d;

// The lights, ambient and material of a rendering context.
class AFX_EXT_CLASS CDsLightList {
public:
    // Light 0 on and lights 1 to 7 off (the light defaults), the head light, ambient 0.2, the
    // default material, lamps hidden, lamp size 100; then LoadDefaults.
    CDsLightList();
    // Deletes the eight lights and the head light.
    ~CDsLightList();
    CDsLightList(const CDsLightList&) = delete;
    CDsLightList& operator=(const CDsLightList&) = delete;

    // The light of that id; null outside 0..7.
    CDsLight* GetLight(EDsLightID id) const;
    // Sets the ambient value: held to -1e9..1e9, a value that is not finite keeps the old one.
    void SetAmbientLight(float ambient);
    // The ambient value.
    float GetAmbientLight() const { return m_ambient; }
    // A digest of everything a frame sends to OpenGL from the list: every light's values (the
    // head light's too), the ambient and the material. It changes when any of them changes.
    uint64_t GetStateStamp() const;
    // glLightModelfv(GL_LIGHT_MODEL_AMBIENT, (a, a, a, 1)) with a the ambient value.
    void SetAmbientToView() const;
    // Copies the five material bytes in.
    void SetMaterial(const CDsMaterialStorage& material) { m_material = material; }
    // Copies the five material bytes out.
    void GetMaterial(CDsMaterialStorage& material) const { material = m_material; }
    // Stores the show-lamps switch, then RecordFigures(show).
    void SetDrawLightFiguresMode(bool show);
    // For each of the eight lights: `show` and on, its lamp is rebuilt and recorded; otherwise
    // removed (CDsLight::RecordFigure).
    void RecordFigures(bool show);
    // The show-lamps switch.
    bool GetDrawLightFiguresMode() const { return m_showLamps; }
    // The lights-changed flag.
    bool CheckIfLightsChanged() const { return m_changed; }
    // Sets the lights-changed flag.
    void SetLightsChangedFlag(bool changed) { m_changed = changed; }
    // The size given to every lamp.
    float GetLampSize() const { return m_lampSize; }
    // Fits to the scene's box: the lamp size becomes a tenth of its diagonal, and every directional
    // light moves to the distance r from its target (CDsLight::SetDistance), r the larger distance
    // of the box's two corners from the origin. Nothing for an empty box or r = 0.
    void UpdateLightVectors(const CDsBox& box);
    // Sends the material to the scene database (ambient, diffuse, specular and emission / 255,
    // shininess as it is), then smooth shading, lighting and normalising on and one-sided lighting,
    // then the lights: 0 to 7 in order, or with the view's document flag 1 set the head light as
    // GL_LIGHT0 and lights 1 to 7 disabled. The caller has set GL_LIGHT_MODEL_AMBIENT just before
    // (SetAmbientToView). Nothing for a null view.
    void SetToView(view3d* view);
    // While lamps are shown: the colour-material mode becomes ambient and diffuse of both faces, the
    // matrix mode the model-view (whose matrix is left as it was).
    void SetupLampsView() const;

    // Loads the default lights file, then the default material file, from the data folder.
    void LoadDefaults();
    // Writes the lights file.
    void SaveLights(const CVyrString& path) const;
    // Reads the lights file.
    void LoadLights(const CVyrString& path);
    // Writes the material file.
    void SaveMaterial(const CVyrString& path) const;
    // Reads the material file.
    void LoadMaterial(const CVyrString& path);
    // Appends the 94 text lines to the back of the deque; nothing for null.
    void GetLights(std::deque<std::wstring>* lines) const;
    // Takes the text lines from the front of the deque (removing them) and reads them; stops where
    // the deque ends. Nothing for null.
    void SetLights(std::deque<std::wstring>* lines);

private:
    // Opens `file` on `path` with `flags`; shows the message box and answers false when it cannot.
    static bool Open(CStdioFile& file, const CVyrString& path, UINT flags);
    // Shows string resource 2241, a line feed and the path.
    static void ShowFileMessage(const CVyrString& path);
    // The header line of the light model with the ambient value.
    std::string GetModelLine() const;
    // Reads the ambient from a light-model line; false when the line was faulty.
    bool ReadModelLine(const std::string& text);
    // The material line of the host's text form.
    std::string GetMaterialLine() const;
    // Reads the material line of the host's text form; false when the line was faulty.
    bool ReadMaterialLine(const std::string& text);

    std::vector<CDsLight*> m_lights;
    CDsLight* m_headLight = nullptr;
    bool m_showLamps = false;
    float m_ambient = 0.2f;
    CDsMaterialStorage m_material;
    bool m_changed = false;
    float m_lampSize = 100.0f;
};
