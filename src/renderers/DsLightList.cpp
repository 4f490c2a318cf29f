// CDsLightList: the lights, ambient and material of a context, and their files.
#include "DsLightList.h"

#include "DsBox.h"
#include "DsPartStorage.h"
#include "DsSetupFileLines.h"
#include "VyrRegistry.h"
#include "VyrString.h"

#include <view3d.h>
#include <vyrwin_codec.h>

#include <afxwin.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

// The message for a lights or material file that cannot be opened (a string of the application's
// resource modules).
const UINT kFileMessageId = 2241;

const char kLightsTitle[] = "ZorbelanE Lights Setup Data:";
const char kLightsRule[] = "----------------------------";
const char kMaterialTitle[] = "ZorbelanE Material Data:";
const char* const kMaterialLabels[5] = {"Ambient:", "Diffuse:", "Specular:", "Shininess:", "Emission:"};

// A material number read as the files have always been read: missing reads 0, a given number
// keeps its low byte, a refused one leaves `byte` alone.
void ReadMaterialByte(CDsLightTextLine::EField got, int value, uint8_t& byte)
{
    if (got == CDsLightTextLine::eMissing)
        byte = 0;
    else if (got == CDsLightTextLine::eGiven)
        byte = static_cast<uint8_t>(static_cast<unsigned>(value) & 0xFF);
}

// The five bytes of a material, in field order.
void Bytes(const CDsMaterialStorage& material, uint8_t* bytes)
{
    material.GetData(bytes[0], bytes[1], bytes[2], bytes[3], bytes[4]);
}

// Writes lines to a file, each with its line end.
void WriteLines(CStdioFile& file, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) file.WriteString((CDsLightTextLine::Widen(line) + L"\n").c_str());
}

// The name of a file for the warnings file.
std::string NameOf(const CStdioFile& file)
{
    return vyrwin::Utf8FromWide(file.GetFileName().GetString());
}

}  // namespace

CDsLightList::CDsLightList()
{
    m_lights.reserve(eDsLightCount);
    for (int id = eDsLight0; id < eDsLightCount; ++id) m_lights.push_back(new CDsLight(static_cast<EDsLightID>(id), this));
    m_lights[0]->TurnOn(true);
    m_changed = false;
    m_lampSize = 100.0f;
    m_headLight = new CDsLight(eDsLight0, this);
    const float overhead[3] = {0.0f, 0.0f, 100.0f};
    m_headLight->SetPosition(overhead);
    m_headLight->TurnOn(true);
    LoadDefaults();
}

CDsLightList::~CDsLightList()
{
    for (CDsLight* light : m_lights) delete light;
    delete m_headLight;
}

void CDsLightList::SetDrawLightFiguresMode(bool show)
{
    m_showLamps = show;
    RecordFigures(show);
}

void CDsLightList::RecordFigures(bool show)
{
    for (CDsLight* light : m_lights) light->RecordFigure(show);
}

CDsLight* CDsLightList::GetLight(EDsLightID id) const
{
    if (id < eDsLight0 || id >= eDsLightCount) return nullptr;
    return m_lights[static_cast<size_t>(id)];
}

void CDsLightList::SetAmbientToView() const
{
    const GLfloat ambient[4] = {m_ambient, m_ambient, m_ambient, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
}

namespace {

// Folds `size` bytes into an FNV-1a digest.
void Digest(uint64_t& digest, const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        digest ^= bytes[i];
        digest *= 0x100000001B3ull;
    }
}

}  // namespace

uint64_t CDsLightList::GetStateStamp() const
{
    uint64_t digest = 0xCBF29CE484222325ull;
    // Field by field: the padding between them is not part of the light.
    const auto digestLight = [&digest](const CDsLight& light) {
        Digest(digest, &light.m_on, sizeof light.m_on);
        Digest(digest, &light.m_id, sizeof light.m_id);
        Digest(digest, &light.m_type, sizeof light.m_type);
        Digest(digest, &light.m_colour, sizeof light.m_colour);
        Digest(digest, light.m_ambient, sizeof light.m_ambient);
        Digest(digest, light.m_diffuse, sizeof light.m_diffuse);
        Digest(digest, light.m_specular, sizeof light.m_specular);
        Digest(digest, light.m_position, sizeof light.m_position);
        Digest(digest, light.m_target, sizeof light.m_target);
        Digest(digest, light.m_attenuation, sizeof light.m_attenuation);
        Digest(digest, &light.m_spotCutoff, sizeof light.m_spotCutoff);
        Digest(digest, &light.m_spotExponent, sizeof light.m_spotExponent);
        Digest(digest, light.m_spotDirection, sizeof light.m_spotDirection);
    };
    for (const CDsLight* light : m_lights)
        if (light) digestLight(*light);
    if (m_headLight) digestLight(*m_headLight);
    Digest(digest, &m_ambient, sizeof m_ambient);
    uint8_t material[5] = {};
    m_material.GetData(material[0], material[1], material[2], material[3], material[4]);
    Digest(digest, material, sizeof material);
    return digest;
}

void CDsLightList::SetAmbientLight(float ambient)
{
    m_ambient = CDsLightTextLine::Fit(ambient, m_ambient);
}

void CDsLightList::UpdateLightVectors(const CDsBox& box)
{
    const float* low = box.GetMin();
    const float* high = box.GetMax();
    for (int i = 0; i < 3; ++i)
        if (!(low[i] <= high[i]) || !std::isfinite(low[i]) || !std::isfinite(high[i])) return;
    const float lowDistance = std::sqrt(low[0] * low[0] + low[1] * low[1] + low[2] * low[2]);
    const float highDistance = std::sqrt(high[0] * high[0] + high[1] * high[1] + high[2] * high[2]);
    const float r = lowDistance > highDistance ? lowDistance : highDistance;
    if (!(r > 0.0f) || !std::isfinite(r)) return;
    m_lampSize = 0.1f * box.GetDiagonalSize();
    for (CDsLight* light : m_lights)
        if (light->GetType() == eDsLightDirectional) light->SetDistance(r);
}

void CDsLightList::SetToView(view3d* view)
{
    if (!view) return;
    uint8_t bytes[5];
    Bytes(m_material, bytes);
    const float wanted[5] = {bytes[0] / 255.0f, bytes[1] / 255.0f, bytes[2] / 255.0f, static_cast<float>(bytes[3]),
                             bytes[4] / 255.0f};
    CDsPartStorage* storage = CDsPartStorage::instance();
    float held[5];
    storage->GetDefaultMaterial(held[0], held[1], held[2], held[3], held[4]);
    bool same = true;
    for (int i = 0; i < 5; ++i) same = same && held[i] == wanted[i];
    if (!same) storage->SetDefaultMaterialForDrawing(wanted[0], wanted[1], wanted[2], wanted[3], wanted[4]);

    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 0);
    if (!view->GetDocumentFlag(static_cast<EDsDocumentFlag>(1))) {
        for (const CDsLight* light : m_lights) light->SetToView(view);
        return;
    }
    m_headLight->SetToView(view);
    for (int id = eDsLight1; id < eDsLightCount; ++id) glDisable(static_cast<GLenum>(GL_LIGHT0 + id));
}

void CDsLightList::SetupLampsView() const
{
    if (!m_showLamps) return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(0.0, 0.0, -100.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glPopMatrix();
}

// --- Files ----------------------------------------------------------------------------------

void CDsLightList::LoadDefaults()
{
    const CVyrString folder = CVyrRegistry::GetDataDir();
    LoadLights(CVyrString(folder.GetCString() + L"/display/LightsAndMaterials/Default.lights"));
    LoadMaterial(CVyrString(folder.GetCString() + L"/display/LightsAndMaterials/Default.material"));
}

void CDsLightList::ShowFileMessage(const CVyrString& path)
{
    CStringW text;
    text.LoadString(kFileMessageId);
    text += L"\n";
    text += path.GetCString();
    AfxMessageBox(text, MB_OK);
}

bool CDsLightList::Open(CStdioFile& file, const CVyrString& path, UINT flags)
{
    if (path.IsEmpty() || !file.Open(path.GetString(), flags | CFile::typeText)) {
        ShowFileMessage(path);
        return false;
    }
    return true;
}

std::string CDsLightList::GetModelLine() const
{
    std::string line = "LIGHT-MODEL: LOCAL 0 2SIDES 0 AMBIENT ";
    CDsLightTextLine::AppendFloat(line, m_ambient);
    line += " FIXED 1";
    return line;
}

bool CDsLightList::ReadModelLine(const std::string& text)
{
    CDsLightTextLine line(text);
    int dropped = 0;
    if (!line.Word() || !line.Word() || line.Int(dropped) == CDsLightTextLine::eMissing || !line.Word() ||
        line.Int(dropped) == CDsLightTextLine::eMissing || !line.Word())
        return false;
    float ambient = 0.0f;
    const CDsLightTextLine::EField got = line.Float(ambient);
    if (got == CDsLightTextLine::eGiven) m_ambient = ambient;
    if (got != CDsLightTextLine::eMissing && line.Word()) line.Int(dropped);
    return !line.Faulty();
}

std::string CDsLightList::GetMaterialLine() const
{
    static const char* const labels[5] = {" Ambient ", " Diffuse ", " Specular ", " Shininess ", " Emission "};
    uint8_t bytes[5];
    Bytes(m_material, bytes);
    std::string line = "Material:";
    for (int i = 0; i < 5; ++i) {
        line += labels[i];
        CDsLightTextLine::AppendInt(line, bytes[i]);
    }
    return line;
}

bool CDsLightList::ReadMaterialLine(const std::string& text)
{
    CDsLightTextLine line(text);
    uint8_t bytes[5];
    Bytes(m_material, bytes);
    line.Word();
    for (int i = 0; i < 5; ++i) {
        int value = 0;
        const CDsLightTextLine::EField got = line.Word() ? line.Int(value) : CDsLightTextLine::eMissing;
        ReadMaterialByte(got, value, bytes[i]);
    }
    m_material.SetData(bytes[0], bytes[1], bytes[2], bytes[3], bytes[4]);
    return !line.Faulty();
}

void CDsLightList::SaveLights(const CVyrString& path) const
{
    CStdioFile file;
    if (!Open(file, path, CFile::modeCreate | CFile::modeWrite)) return;
    try {
        WriteLines(file, {kLightsTitle, kLightsRule, GetModelLine(), " "});
        for (const CDsLight* light : m_lights) light->Save(&file);
        file.Close();
    } catch (CException* error) {
        error->Delete();
        file.Abort();
        ShowFileMessage(path);
    }
}

void CDsLightList::LoadLights(const CVyrString& path)
{
    CStdioFile file;
    if (!Open(file, path, CFile::modeRead)) return;
    {
        CDsSetupFileLines lines(file);
        std::string text;
        CDsSetupFileLines::ELine kind = CDsSetupFileLines::eLineText;
        bool ended = false;
        for (int i = 0; i < 4 && !ended; ++i) {
            ended = !lines.Next(text, kind);
            if (!ended && i == 2 && !ReadModelLine(text) && kind == CDsSetupFileLines::eLineText)
                lines.NoteFault("gives only part of its values; the others were kept");
        }
        if (!ended)
            for (CDsLight* light : m_lights) light->ReadLines(lines);
        lines.Report(NameOf(file).c_str());
    }
    file.Abort();
}

void CDsLightList::SaveMaterial(const CVyrString& path) const
{
    CStdioFile file;
    if (!Open(file, path, CFile::modeCreate | CFile::modeWrite)) return;
    uint8_t bytes[5];
    Bytes(m_material, bytes);
    std::vector<std::string> text = {kMaterialTitle};
    for (int i = 0; i < 5; ++i) {
        text.push_back(std::string(kMaterialLabels[i]) + " ");
        CDsLightTextLine::AppendInt(text.back(), bytes[i]);
    }
    try {
        WriteLines(file, text);
        file.Close();
    } catch (CException* error) {
        error->Delete();
        file.Abort();
        ShowFileMessage(path);
    }
}

void CDsLightList::LoadMaterial(const CVyrString& path)
{
    CStdioFile file;
    if (!Open(file, path, CFile::modeRead)) return;
    {
        CDsSetupFileLines lines(file);
        uint8_t bytes[5];
        Bytes(m_material, bytes);
        std::string text;
        CDsSetupFileLines::ELine kind = CDsSetupFileLines::eLineText;
        // A line of binary data, or one cut off by the read limit, is no line of a material file:
        // the file is refused whole, and the material stays as it was (an overlong line of text
        // gives no number: 0).
        const auto isText = [&] { return kind != CDsSetupFileLines::eLineBinary && kind != CDsSetupFileLines::eLineCut; };
        bool material = lines.Next(text, kind) && isText();  // the title
        for (int i = 0; i < 5 && material && lines.Next(text, kind); ++i) {
            material = isText();
            if (!material) break;
            CDsLightTextLine line(text);
            int value = 0;
            const CDsLightTextLine::EField got = line.Word() ? line.Int(value) : CDsLightTextLine::eMissing;
            ReadMaterialByte(got, value, bytes[i]);
            if (line.Faulty() && kind == CDsSetupFileLines::eLineText)
                lines.NoteFault("gives no material number in range; the value was kept or read as 0");
        }
        if (material)
            m_material.SetData(bytes[0], bytes[1], bytes[2], bytes[3], bytes[4]);
        else
            lines.NoteOutcome("the file is not a material file and was not read; the material stays as it was");
        lines.Report(NameOf(file).c_str());
    }
    file.Abort();
}

// --- The host's text lines -------------------------------------------------------------------

void CDsLightList::GetLights(std::deque<std::wstring>* lines) const
{
    if (!lines) return;
    for (const char* header : {kLightsTitle, kLightsRule}) lines->push_back(CDsLightTextLine::Widen(header));
    lines->push_back(CDsLightTextLine::Widen(GetModelLine()));
    lines->push_back(L" ");
    lines->push_back(CDsLightTextLine::Widen(GetMaterialLine()));
    lines->push_back(L" ");
    for (const CDsLight* light : m_lights) light->Get(lines);
}

void CDsLightList::SetLights(std::deque<std::wstring>* lines)
{
    if (!lines) return;
    for (int i = 0; i < 6; ++i) {
        if (lines->empty()) return;
        const std::string text = CDsLightTextLine::Narrow(lines->front());
        lines->pop_front();
        if (i == 2) ReadModelLine(text);
        if (i == 4) ReadMaterialLine(text);
    }
    for (CDsLight* light : m_lights) light->Set(lines);
}
