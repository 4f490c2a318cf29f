// The light list without OpenGL: its defaults, the default files of the data folder, the lights
// and material files (the repository's default files are what SaveLights and SaveMaterial write of
// the defaults), the host's text lines, fitting to the scene's box, and files that are missing,
// empty, cut short, LF only, overlong, binary or hold bad numbers.
#include "LightFixture.h"

#include "DsBox.h"

#include <afx.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using vyrtest::LightTest;
using vyrtest::ReadFileBytes;

namespace {

const std::string kRepoLights = std::string(VYR_REPO_DATA_DIR) + "/display/LightsAndMaterials/Default.lights";
const std::string kRepoMaterial = std::string(VYR_REPO_DATA_DIR) + "/display/LightsAndMaterials/Default.material";

class DsLightListTest : public LightTest {
protected:
    // Every light and the ambient changed from the defaults.
    static void Change(CDsLightList& list)
    {
        list.SetAmbientLight(0.35f);
        for (int id = 0; id < eDsLightCount; ++id) {
            CDsLight* light = list.GetLight(static_cast<EDsLightID>(id));
            light->TurnOn(id % 2 == 1);
            light->SetType(static_cast<EDsLightType>(id % 3));
            light->SetProperties(0x00102030u * static_cast<unsigned>(id + 1), 0.1f * id, 1.0f - 0.05f * id, 0.5f);
            const float position[3] = {10.0f * id, -3.5f, 20.25f + id}, target[3] = {0.5f * id, 1, -2};
            light->SetPosition(position);
            light->SetTarget(target);
            light->SetAttenuation(1.0f + id, 0.01f * id, 0.001f * id);
            light->SetSpotProperties(5.0f * id + 1.0f, 3.0f * id);
            const float direction[3] = {0.0f, -0.6f, -0.8f};
            light->SetSpotDirection(direction);
        }
        list.SetMaterial(CDsMaterialStorage(11, 22, 33, 44, 55));
    }
    // Lines of a text split at line feeds (a CR before them dropped).
    static std::vector<std::string> Split(const std::string& bytes)
    {
        std::vector<std::string> lines;
        std::istringstream in(bytes);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    static std::string Join(const std::vector<std::string>& lines, const char* end)
    {
        std::string bytes;
        for (const std::string& line : lines) bytes += line + end;
        return bytes;
    }
    // Writes what a changed list saves; answers its lines.
    std::vector<std::string> ChangedFile(const std::string& name)
    {
        CDsLightList list;
        Change(list);
        list.SaveLights(PathOf(name));
        return Split(ReadFileBytes(dir_ + "/" + name));
    }
    // Loads `bytes` as a lights file into a new list; answers the list's lines.
    std::vector<std::wstring> LoadedLines(const std::string& bytes, CDsLightList& list)
    {
        list.LoadLights(CVyrString(WriteFile("in.lights", bytes).c_str()));
        return Lines(list);
    }
    // The text of string 2241, which the file messages begin with.
    static std::wstring FileMessage()
    {
        CStringW text;
        EXPECT_TRUE(text.LoadString(2241));
        EXPECT_FALSE(text.IsEmpty());
        return text.GetString();
    }
    static std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
};

// The process's locale for one scope.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) : old_(std::setlocale(LC_ALL, nullptr))
    {
        active_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, old_.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;
    bool Active() const { return active_; }

private:
    std::string old_;
    bool active_ = false;
};

}  // namespace

TEST_F(DsLightListTest, WithoutDefaultFilesANewListKeepsItsDefaultsAndSaysSoForEachFile)
{
    CDsLightList list;
    const std::vector<std::wstring> boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], FileMessage() + L"\n" + Wide(dataDir_) + L"/display/LightsAndMaterials/Default.lights");
    EXPECT_EQ(boxes[1], FileMessage() + L"\n" + Wide(dataDir_) + L"/display/LightsAndMaterials/Default.material");

    EXPECT_TRUE(list.GetLight(eDsLight0)->GetTurnOnState());
    for (int id = 1; id < eDsLightCount; ++id) EXPECT_FALSE(list.GetLight(static_cast<EDsLightID>(id))->GetTurnOnState());
    EXPECT_EQ(list.GetLight(static_cast<EDsLightID>(8)), nullptr);
    EXPECT_EQ(list.GetLight(static_cast<EDsLightID>(-1)), nullptr);
    EXPECT_FLOAT_EQ(list.GetAmbientLight(), 0.2f);
    EXPECT_EQ(Material(list), (std::vector<int>{255, 190, 128, 10, 0}));
    EXPECT_FALSE(list.GetDrawLightFiguresMode());
    EXPECT_FALSE(list.CheckIfLightsChanged());
    EXPECT_EQ(list.GetLampSize(), 100.0f);
    for (int id = 0; id < eDsLightCount; ++id) {
        const std::vector<std::wstring> lines = Lines(*list.GetLight(static_cast<EDsLightID>(id)));
        EXPECT_EQ(lines[0], L"Light " + std::to_wstring(id) + (id == 0 ? L" On 1" : L" On 0") + L" Type 0 Color 16777215");
    }
}

TEST_F(DsLightListTest, TheRepositorysDefaultFilesAreWhatTheDefaultsSave)
{
    CDsLightList list;
    list.SaveLights(PathOf("out.lights"));
    list.SaveMaterial(PathOf("out.material"));
    const std::string lights = ReadFileBytes(dir_ + "/out.lights");
    const std::string material = ReadFileBytes(dir_ + "/out.material");
    EXPECT_EQ(lights, ReadFileBytes(kRepoLights));
    EXPECT_EQ(material, ReadFileBytes(kRepoMaterial));

    // 92 and 6 single-byte lines, each ending CR LF.
    const std::vector<std::string> lines = Split(lights);
    ASSERT_EQ(lines.size(), 92u);
    EXPECT_EQ(Join(lines, "\r\n"), lights);
    for (unsigned char c : lights) EXPECT_LT(c, 0x80);
    EXPECT_EQ(lines[0], "ZorbelanE Lights Setup Data:");
    EXPECT_EQ(lines[1], std::string(28, '-'));
    EXPECT_EQ(lines[2], "LIGHT-MODEL: LOCAL 0 2SIDES 0 AMBIENT 0.200000 FIXED 1");
    EXPECT_EQ(lines[3], " ");
    EXPECT_EQ(lines[4], "Light 0 On 1 Type 0 Color 16777215");
    EXPECT_EQ(lines[11], "Spot 57.295780 1.000000");
    EXPECT_EQ(lines[15], "Light 1 On 0 Type 0 Color 16777215");
    EXPECT_EQ(lines[91], " ");
    EXPECT_EQ(material, "ZorbelanE Material Data:\r\nAmbient: 255\r\nDiffuse: 190\r\nSpecular: 128\r\n"
                        "Shininess: 10\r\nEmission: 0\r\n");

    // With the repository's data folder a new list reads them, with no message and no warning.
    VyrClearMessageBoxes();
    SetDataDir(VYR_REPO_DATA_DIR);
    CDsLightList fromFiles;
    EXPECT_TRUE(MessageBoxes().empty());
    EXPECT_TRUE(Warnings().empty());
    EXPECT_EQ(Lines(fromFiles), Lines(list));
}

TEST_F(DsLightListTest, ANewListLoadsTheDefaultFilesOfTheDataFolder)
{
    ChangedFile("changed.lights");
    ASSERT_EQ(mkdir((dataDir_ + "/display").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((dataDir_ + "/display/LightsAndMaterials").c_str(), 0755), 0);
    ASSERT_EQ(std::rename((dir_ + "/changed.lights").c_str(),
                          (dataDir_ + "/display/LightsAndMaterials/Default.lights").c_str()),
              0);
    WriteFile("m", "ZorbelanE Material Data:\nAmbient: 1\nDiffuse: 2\nSpecular: 3\nShininess: 4\nEmission: 5\n");
    ASSERT_EQ(std::rename((dir_ + "/m").c_str(), (dataDir_ + "/display/LightsAndMaterials/Default.material").c_str()), 0);
    VyrClearMessageBoxes();

    CDsLightList list;
    EXPECT_TRUE(MessageBoxes().empty());
    CDsLightList changed;
    Change(changed);
    changed.SetMaterial(CDsMaterialStorage(1, 2, 3, 4, 5));
    EXPECT_EQ(Lines(list), Lines(changed));
    EXPECT_FLOAT_EQ(list.GetAmbientLight(), 0.35f);
}

TEST_F(DsLightListTest, LoadLightsGivesBackEveryFieldAlsoWithOtherWordsAndLineEnds)
{
    const std::vector<std::string> saved = ChangedFile("changed.lights");
    CDsLightList changed;
    Change(changed);
    changed.SetMaterial(CDsMaterialStorage());  // the lights file holds no material
    const std::vector<std::wstring> expected = Lines(changed);

    CDsLightList list;
    list.LoadLights(PathOf("changed.lights"));
    EXPECT_EQ(Lines(list), expected);
    float cutoff = 0, exponent = 0;
    list.GetLight(eDsLight5)->GetSpotProperties(cutoff, exponent);
    EXPECT_NEAR(cutoff, 26.0f, 1e-5);
    EXPECT_EQ(exponent, 15.0f);

    // Every word that is no number replaced by another; LF only; no final line end.
    std::vector<std::string> other;
    for (const std::string& line : saved) {
        std::istringstream words(line);
        std::string out;
        int n = 0;
        for (std::string word; words >> word; ++n) {
            char* end = nullptr;
            std::strtod(word.c_str(), &end);
            out += (out.empty() ? "" : "  ") + (*end ? "Wort" + std::to_string(n) + ":" : word);
        }
        other.push_back(out);
    }
    std::string bytes = Join(other, "\n");
    bytes.pop_back();
    CDsLightList fromOther;
    EXPECT_EQ(LoadedLines(bytes, fromOther), expected);
    CDsLightList fromLf;
    EXPECT_EQ(LoadedLines(Join(saved, "\n"), fromLf), expected);
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(DsLightListTest, TheMaterialFileWritesAndReadsBack)
{
    CDsLightList list;
    list.SetMaterial(CDsMaterialStorage(7, 0, 255, 128, 64));
    list.SaveMaterial(PathOf("out.material"));
    EXPECT_EQ(ReadFileBytes(dir_ + "/out.material"),
              "ZorbelanE Material Data:\r\nAmbient: 7\r\nDiffuse: 0\r\nSpecular: 255\r\nShininess: 128\r\n"
              "Emission: 64\r\n");
    CDsLightList loaded;
    loaded.LoadMaterial(PathOf("out.material"));
    EXPECT_EQ(Material(loaded), (std::vector<int>{7, 0, 255, 128, 64}));

    // Any title and words; a missing number reads 0, a number keeps its low byte, one beyond
    // 32 bits is refused; lines that are not there keep their values.
    const struct {
        std::string text;
        std::vector<int> expected;
    } cases[] = {
        {"Material\nA 1\nB: 2\r\nC 3\nD 4\nE 5", {1, 2, 3, 4, 5}},
        {"x\nAmbient:\nDiffuse: x\nSpecular: 300\nShininess: -1\nEmission: 99999999999\n", {0, 0, 44, 255, 64}},
        {"x\nAmbient: 9\n", {9, 0, 255, 128, 64}},
        {"", {7, 0, 255, 128, 64}},
        {"x\n" + std::string(2000, '9') + "\nDiffuse: 8", {0, 8, 255, 128, 64}},
        // Binary data among the six lines: no material file, refused whole.
        {"x\nAmbient: 9\nDiffuse: \x01\x02\nSpecular: 3", {7, 0, 255, 128, 64}},
        {std::string(5000, '\x03'), {7, 0, 255, 128, 64}}};
    for (const auto& c : cases) {
        CDsLightList target;
        target.SetMaterial(CDsMaterialStorage(7, 0, 255, 128, 64));
        target.LoadMaterial(CVyrString(WriteFile("in.material", c.text).c_str()));
        EXPECT_EQ(Material(target), c.expected) << c.text;
    }
    // The warning says what was done with such a file.
    const std::vector<std::string> warnings = Warnings();
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(warnings.back(), "Display warning: in.material: line 1 holds binary data and was skipped; the file is not a "
                               "material file and was not read; the material stays as it was");
}

TEST_F(DsLightListTest, GetLightsThenSetLightsLeavesTheListUnchangedAndTheDequeEmpty)
{
    CDsLightList list;
    Change(list);
    std::deque<std::wstring> lines;
    list.GetLights(&lines);
    ASSERT_EQ(lines.size(), 94u);
    EXPECT_EQ(lines[0], L"ZorbelanE Lights Setup Data:");
    EXPECT_EQ(lines[1], std::wstring(28, L'-'));
    EXPECT_EQ(lines[2], L"LIGHT-MODEL: LOCAL 0 2SIDES 0 AMBIENT 0.350000 FIXED 1");
    EXPECT_EQ(lines[3], L" ");
    EXPECT_EQ(lines[4], L"Material: Ambient 11 Diffuse 22 Specular 33 Shininess 44 Emission 55");
    EXPECT_EQ(lines[5], L" ");
    EXPECT_EQ(lines[6], L"Light 0 On 0 Type 0 Color 1056816");
    const std::vector<std::wstring> before(lines.begin(), lines.end());

    list.SetLights(&lines);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(Lines(list), before);

    // Into a list of defaults: it becomes the same.
    CDsLightList other;
    lines.assign(before.begin(), before.end());
    other.SetLights(&lines);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(Lines(other), before);
    EXPECT_EQ(Material(other), (std::vector<int>{11, 22, 33, 44, 55}));

    // A short deque: read up to where it ends, the rest kept; more than 94 lines leave the rest.
    for (size_t count : {0u, 1u, 3u, 5u, 6u, 30u, 93u}) {
        CDsLightList target;
        const std::vector<std::wstring> defaults = Lines(target);
        lines.assign(before.begin(), before.begin() + count);
        target.SetLights(&lines);
        EXPECT_TRUE(lines.empty()) << count;
        const std::vector<std::wstring> after = Lines(target);
        for (size_t i = 0; i < 94; ++i) {
            // Lines 0, 1, 3 and 5 are not read; the separators and blanks are equal anyway.
            const bool given = i < count;
            EXPECT_EQ(after[i], given ? before[i] : defaults[i]) << count << " " << i;
        }
    }
    lines.assign(before.begin(), before.end());
    lines.push_back(L"for someone else");
    other.SetLights(&lines);
    EXPECT_EQ(lines.size(), 1u);
    other.SetLights(nullptr);
    other.GetLights(nullptr);
    EXPECT_EQ(Lines(other), before);
}

TEST_F(DsLightListTest, BadFilesGiveWhatTheyHoldAndNothingMore)
{
    SetDataDir(VYR_REPO_DATA_DIR);  // new lists find their default files
    const std::vector<std::string> saved = ChangedFile("changed.lights");
    CDsLightList reference;
    const std::vector<std::wstring> defaults = Lines(reference);
    CDsLightList changedList;
    Change(changedList);
    changedList.SetMaterial(CDsMaterialStorage());
    const std::vector<std::wstring> changed = Lines(changedList);
    VyrClearMessageBoxes();

    // Missing: the message and the path, nothing changed.
    {
        CDsLightList list;
        VyrClearMessageBoxes();
        list.LoadLights(PathOf("missing.lights"));
        list.LoadMaterial(PathOf("missing.material"));
        list.LoadLights(CVyrString(L""));
        const std::vector<std::wstring> boxes = MessageBoxes();
        ASSERT_EQ(boxes.size(), 3u);
        EXPECT_EQ(boxes[0], FileMessage() + L"\n" + Wide(dir_) + L"/missing.lights");
        EXPECT_EQ(boxes[1], FileMessage() + L"\n" + Wide(dir_) + L"/missing.material");
        EXPECT_EQ(Lines(list), defaults);
        VyrClearMessageBoxes();
    }
    // Empty: nothing changed, no message.
    {
        CDsLightList list;
        VyrClearMessageBoxes();
        EXPECT_EQ(LoadedLines("", list), defaults);
        EXPECT_TRUE(MessageBoxes().empty());
    }
    // Cut after line 30: the ambient, lights 0 and 1 and the first four lines of light 2.
    {
        CDsLightList list;
        const std::vector<std::wstring> after =
            LoadedLines(Join(std::vector<std::string>(saved.begin(), saved.begin() + 30), "\r\n"), list);
        // The host's lines: header 0..5, then light n's line k at 6 + 11 n + k; file line 4 + 11 n + k.
        for (size_t i = 0; i < 94; ++i) {
            const bool given = i == 2 || (i >= 6 && i < 6 + 26);
            EXPECT_EQ(after[i], given ? changed[i] : defaults[i]) << i;
        }
    }
    // An overlong line and one of binary bytes are skipped with one warning; the rest is read.
    {
        std::vector<std::string> lines = saved;
        lines[16] = "Ambient " + std::string(2000, '1');  // light 1's ambient
        lines[30] = std::string("Position \x01\x02\xff 1 2 3 1", 20);  // light 2's position
        CDsLightList list;
        const std::vector<std::wstring> after = LoadedLines(Join(lines, "\r\n"), list);
        for (size_t i = 0; i < 94; ++i) {
            const bool kept = i == 6 + 11 + 1 || i == 6 + 22 + 4;
            EXPECT_EQ(after[i], kept ? defaults[i] : changed[i]) << i;
        }
        const std::vector<std::string> warnings = Warnings();
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0], "Display warning: in.lights: line 17 is longer than 1024 bytes and was skipped");
    }
    // Bad numbers and ids: refused, the rest of the line and file read.
    {
        std::vector<std::string> lines = saved;
        lines[2] = "LIGHT-MODEL: LOCAL 0 2SIDES 0 AMBIENT nan FIXED 1";
        lines[4] = "Light 12 On 0 Type 0 Color 3153936";
        lines[8] = "Position 1e300 -3.500000 inf 0";
        CDsLightList list;
        const std::vector<std::wstring> after = LoadedLines(Join(lines, "\n"), list);
        EXPECT_EQ(after[2], defaults[2]);
        EXPECT_EQ(after[6], L"Light 0 On 0 Type 0 Color 3153936");
        EXPECT_EQ(after[10], L"Position -100.000000 -3.500000 100.000000 0.000000");
        for (size_t i = 11; i < 94; ++i) EXPECT_EQ(after[i], changed[i]) << i;
        EXPECT_EQ(Warnings().size(), 2u);  // one more line for this read
    }
    // Binary garbage: whatever it gives, the values stay finite and within their clamps.
    std::mt19937 random(17);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(4000, '\0');
        for (char& c : bytes) c = static_cast<char>(random() % 7 == 0 ? '\n' : random() & 0xFF);
        if (round % 2) bytes = Join(saved, "\n").substr(0, 600) + bytes;
        CDsLightList list;
        LoadedLines(bytes, list);
        for (int id = 0; id < eDsLightCount; ++id) {
            const CDsLight& light = *list.GetLight(static_cast<EDsLightID>(id));
            for (const std::wstring& line : Lines(light))
                for (double value : Numbers(line)) EXPECT_TRUE(std::isfinite(value) && std::fabs(value) <= 1e9);
            float cutoff = 0, exponent = 0, a[3];
            light.GetSpotProperties(cutoff, exponent);
            EXPECT_TRUE((cutoff >= 0 && cutoff <= 90.0001f) || std::fabs(cutoff - 180) < 1e-3) << cutoff;
            EXPECT_TRUE(exponent >= 0 && exponent <= 128);
            light.GetAttenuation(a[0], a[1], a[2]);
            EXPECT_TRUE(a[0] >= 0 && a[1] >= 0 && a[2] >= 0);
        }
    }
    // Nothing was written back and no message shown.
    EXPECT_TRUE(MessageBoxes().empty());
    struct stat info {};
    ASSERT_EQ(stat((dir_ + "/in.lights").c_str(), &info), 0);
    const std::string bytes = ReadFileBytes(dir_ + "/in.lights");
    const std::time_t modified = info.st_mtime;
    CDsLightList list;
    list.LoadLights(PathOf("in.lights"));
    ASSERT_EQ(stat((dir_ + "/in.lights").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, modified);
    EXPECT_EQ(ReadFileBytes(dir_ + "/in.lights"), bytes);
}

TEST_F(DsLightListTest, AFileThatCannotBeWrittenShowsTheMessage)
{
    CDsLightList list;
    VyrClearMessageBoxes();
    list.SaveLights(PathOf("no-such-folder/out.lights"));
    list.SaveMaterial(CVyrString(dir_.c_str()));  // a folder
    const std::vector<std::wstring> boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], FileMessage() + L"\n" + Wide(dir_) + L"/no-such-folder/out.lights");
    EXPECT_EQ(boxes[1], FileMessage() + L"\n" + Wide(dir_));
}

TEST_F(DsLightListTest, UpdateLightVectorsFitsTheLampsAndTheDirectionalLightsToTheBox)
{
    CDsLightList list;
    CDsLight* positional = list.GetLight(eDsLight3);
    positional->SetType(eDsLightPositional);
    const float far[3] = {0, 500, 0};
    positional->SetPosition(far);
    const float low[3] = {-10, -10, -10}, high[3] = {10, 10, 10};
    list.UpdateLightVectors(CDsBox(low, high));
    EXPECT_NEAR(list.GetLampSize(), 3.4641, 1e-3);
    for (int id : {0, 1, 7}) {
        const CDsLight* light = list.GetLight(static_cast<EDsLightID>(id));
        EXPECT_NEAR(light->GetDistance(), 17.3205, 1e-3);
        float p[3];
        light->GetPosition(p);
        EXPECT_NEAR(p[0], -p[2], 1e-4);  // still from the same direction
        EXPECT_LT(p[0], 0);
    }
    EXPECT_NEAR(positional->GetDistance(), 500, 1e-3);

    // A box of one corner at the origin and an empty box leave everything as it was.
    const std::vector<std::wstring> before = Lines(list);
    const float origin[3] = {0, 0, 0};
    list.UpdateLightVectors(CDsBox(origin, origin));
    list.UpdateLightVectors(CDsBox());
    const float lowOnly[3] = {5, 5, 5};
    list.UpdateLightVectors(CDsBox(lowOnly, origin));
    EXPECT_EQ(Lines(list), before);
    EXPECT_NEAR(list.GetLampSize(), 3.4641, 1e-3);
}

TEST_F(DsLightListTest, ExtremeAndNonFiniteValuesAreKeptAsTheLightsFileGivesThemBack)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const auto position = [](const CDsLight* light) {
        std::vector<float> p(3);
        light->GetPosition(p.data());
        return p;
    };
    CDsLightList list;
    // A model of some 5e9 units: the directional lights go to its extent, kept within 1e9.
    const float low[3] = {-3e9f, -3e9f, -3e9f}, high[3] = {3e9f, 3e9f, 3e9f};
    list.UpdateLightVectors(CDsBox(low, high));
    EXPECT_EQ(position(list.GetLight(eDsLight7)), (std::vector<float>{-1e9f, 0, 1e9f}));

    list.SetAmbientLight(nan);
    EXPECT_EQ(list.GetAmbientLight(), 0.2f);
    list.SetAmbientLight(3e10f);
    EXPECT_EQ(list.GetAmbientLight(), 1e9f);

    CDsLight* intense = list.GetLight(eDsLight0);
    intense->SetProperties(0xFFFFFF, 4e9f, -inf, 0.5f);
    unsigned long colour = 0;
    float ambient = 0, diffuse = 0, specular = 0;
    intense->GetProperties(colour, ambient, diffuse, specular);
    EXPECT_EQ(ambient, 1e9f);
    EXPECT_EQ(diffuse, 1.0f);  // kept
    EXPECT_EQ(specular, 0.5f);
    const float far[3] = {3e9f, -4e9f, 1000.0f};
    intense->SetPosition(far);
    EXPECT_EQ(position(intense), (std::vector<float>{7.5e8f, -1e9f, 250.0f}));  // along the same line

    CDsLight* positional = list.GetLight(eDsLight1);
    positional->SetType(eDsLightPositional);
    const float target[3] = {1, 2, 3}, notANumber[3] = {nan, 1, 2}, infinite[3] = {4, inf, 5};
    positional->SetTarget(target);
    positional->SetTarget(notANumber);
    positional->SetPosition(infinite);
    float t[3];
    positional->GetTarget(t);
    EXPECT_EQ(std::vector<float>(t, t + 3), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(position(positional), (std::vector<float>{-1e9f, 0, 1e9f}));
    positional->SetAttenuation(2e9f, inf, 1e20f);
    float constant = 0, linear = 0, quadratic = 0;
    positional->GetAttenuation(constant, linear, quadratic);
    EXPECT_EQ(constant, 1e9f);
    EXPECT_EQ(linear, 0.0f);
    EXPECT_EQ(quadratic, 1e9f);

    CDsLight* spot = list.GetLight(eDsLight2);
    spot->SetType(eDsLightSpot);
    const float axis[3] = {0, -2e10f, 1e10f};
    spot->SetSpotDirection(axis);
    float d[3];
    spot->GetSpotDirection(d);
    EXPECT_EQ(std::vector<float>(d, d + 3), (std::vector<float>{0, -1e9f, 5e8f}));

    CDsLight* moved = list.GetLight(eDsLight3);
    const float near[3] = {-100, 0, 100};
    moved->SetPosition(near);
    moved->SetDistance(1e12f);
    EXPECT_EQ(position(moved), (std::vector<float>{-1e9f, 0, 1e9f}));
    moved->SetPosition(near);
    moved->SetDistance(inf);
    moved->SetDistance(nan);
    EXPECT_EQ(position(moved), (std::vector<float>{-100, 0, 100}));
    CDsLight* onTarget = list.GetLight(eDsLight4);
    const float origin[3] = {0, 0, 0};
    onTarget->SetPosition(origin);
    onTarget->SetDistance(-5e9f);
    EXPECT_EQ(position(onTarget), (std::vector<float>{-1e9f, 0, 0}));

    // Written and read back: every value as the setters kept it, and no line refused.
    const std::vector<std::wstring> kept = Lines(list);
    list.SaveLights(PathOf("extreme.lights"));
    CDsLightList back;
    back.LoadLights(PathOf("extreme.lights"));
    EXPECT_EQ(Lines(back), kept);
    EXPECT_EQ(back.GetAmbientLight(), 1e9f);
    EXPECT_EQ(position(back.GetLight(eDsLight0)), (std::vector<float>{7.5e8f, -1e9f, 250.0f}));
    EXPECT_EQ(position(back.GetLight(eDsLight7)), (std::vector<float>{-1e9f, 0, 1e9f}));
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(DsLightListTest, NumbersAreWrittenAndReadInTheCLocaleWhateverTheProcesssLocale)
{
#ifndef VYR_TEST_LOCALE_DIR
    GTEST_SKIP() << "no decimal-comma locale could be made for this test (localedef)";
#else
    CDsLightList list;
    Change(list);
    list.SaveLights(PathOf("c.lights"));
    const std::vector<std::wstring> expected = Lines(list);

    vyrtest::ScopedEnv path("LOCPATH", VYR_TEST_LOCALE_DIR);
    ScopedLocale comma("de_DE.UTF-8");
    ASSERT_TRUE(comma.Active()) << "the decimal-comma locale in " << VYR_TEST_LOCALE_DIR;
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 1.5);
    ASSERT_STREQ(printed, "1,5");  // the locale is in force

    list.SaveLights(PathOf("comma.lights"));
    EXPECT_EQ(ReadFileBytes(dir_ + "/comma.lights"), ReadFileBytes(dir_ + "/c.lights"));
    CDsLightList loaded;
    loaded.LoadLights(PathOf("c.lights"));
    EXPECT_EQ(Lines(loaded)[2], L"LIGHT-MODEL: LOCAL 0 2SIDES 0 AMBIENT 0.350000 FIXED 1");
    loaded.SetMaterial(CDsMaterialStorage(11, 22, 33, 44, 55));
    EXPECT_EQ(Lines(loaded), expected);
#endif
}
