// One light without OpenGL: its defaults, the clamps of its setters, its distance, and its eleven
// text lines written and read back, also from text that is outside input (other label words, ids
// outside 0 to 7, values beyond the clamps, numbers that are not finite or too large, overlong
// words, lines that end early, fewer lines than eleven).
#include "LightFixture.h"

#include <afx.h>

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <limits>
#include <string>
#include <vector>

using vyrtest::LightTest;

namespace {

class DsLightTest : public LightTest {
protected:
    // Reads `lines` into `light` through Set; answers what is left of the deque.
    static size_t SetFrom(CDsLight& light, const std::vector<std::wstring>& lines)
    {
        std::deque<std::wstring> deque(lines.begin(), lines.end());
        light.Set(&deque);
        return deque.size();
    }
    // A spot light with no default left.
    static void MakeSpot(CDsLight& light)
    {
        light.TurnOn(true);
        light.SetType(eDsLightSpot);
        light.SetProperties(0x00336699, 0.25f, 0.75f, 0.5f);
        const float position[3] = {1.5f, -2.25f, 30.125f}, target[3] = {0.5f, 0.25f, -1.0f},
                    direction[3] = {0.0f, -0.6f, -0.8f};
        light.SetPosition(position);
        light.SetTarget(target);
        light.SetAttenuation(0.5f, 0.125f, 0.0625f);
        light.SetSpotProperties(35.0f, 12.5f);
        light.SetSpotDirection(direction);
    }
};

}  // namespace

TEST_F(DsLightTest, ANewLightHasItsDefaults)
{
    CDsLight light(eDsLight4, nullptr);
    EXPECT_FALSE(light.GetTurnOnState());
    EXPECT_EQ(light.GetType(), eDsLightDirectional);
    unsigned long colour = 0;
    float ambient = -1, diffuse = -1, specular = -1;
    light.GetProperties(colour, ambient, diffuse, specular);
    EXPECT_EQ(colour, 0xFFFFFFu);
    EXPECT_FLOAT_EQ(ambient, 0.0f);
    EXPECT_FLOAT_EQ(diffuse, 1.0f);
    EXPECT_FLOAT_EQ(specular, 1.0f);
    float p[3], t[3], d[3];
    light.GetPosition(p);
    light.GetTarget(t);
    light.GetSpotDirection(d);
    EXPECT_EQ(std::vector<float>(p, p + 3), (std::vector<float>{-100, 0, 100}));
    EXPECT_EQ(std::vector<float>(t, t + 3), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(std::vector<float>(d, d + 3), (std::vector<float>{0, 0, -1}));
    float constant = 0, linear = 1, quadratic = 1;
    light.GetAttenuation(constant, linear, quadratic);
    EXPECT_EQ(constant, 1.0f);
    EXPECT_EQ(linear, 0.0f);
    EXPECT_EQ(quadratic, 0.0f);
    float cutoff = 0, exponent = 0;
    light.GetSpotProperties(cutoff, exponent);
    EXPECT_NEAR(cutoff, 57.29578, 1e-4);  // one radian
    EXPECT_EQ(exponent, 1.0f);
    EXPECT_NEAR(light.GetDistance(), 141.42136, 1e-3);

    // The four-float terms and the position's w, as the text form shows them.
    const std::vector<std::wstring> lines = Lines(light);
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], L"Light 4 On 0 Type 0 Color 16777215");
    EXPECT_EQ(lines[1], L"Ambient 0.000000 0.000000 0.000000 1.000000");
    EXPECT_EQ(lines[2], L"Diffuse 1.000000 1.000000 1.000000 1.000000");
    EXPECT_EQ(lines[3], L"Specular 1.000000 1.000000 1.000000 1.000000");
    EXPECT_EQ(lines[4], L"Position -100.000000 0.000000 100.000000 0.000000");
    EXPECT_EQ(lines[9], std::wstring(43, L'_'));
    EXPECT_EQ(lines[10], L" ");
}

TEST_F(DsLightTest, SettersClampTheSpotAndTheAttenuation)
{
    CDsLight light(eDsLight0, nullptr);
    float cutoff = 0, exponent = 0;
    const struct {
        float cutoffIn, exponentIn, cutoffOut, exponentOut;
    } cases[] = {{120, 200, 90, 128}, {180, -1, 180, 0}, {-5, 64, 0, 64}, {90, 128, 90, 128}, {45, 0, 45, 0}};
    for (const auto& c : cases) {
        light.SetSpotProperties(c.cutoffIn, c.exponentIn);
        light.GetSpotProperties(cutoff, exponent);
        EXPECT_NEAR(cutoff, c.cutoffOut, 1e-4) << c.cutoffIn;
        EXPECT_EQ(exponent, c.exponentOut) << c.exponentIn;
    }
    // A value that is not a number keeps what was there.
    light.SetSpotProperties(std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity());
    light.GetSpotProperties(cutoff, exponent);
    EXPECT_NEAR(cutoff, 45, 1e-4);
    EXPECT_EQ(exponent, 0);

    light.SetAttenuation(-1.0f, 0.5f, -0.25f);
    float constant = 9, linear = 9, quadratic = 9;
    light.GetAttenuation(constant, linear, quadratic);
    EXPECT_EQ(constant, 0.0f);
    EXPECT_EQ(linear, 0.5f);
    EXPECT_EQ(quadratic, 0.0f);
    light.SetAttenuation(std::numeric_limits<float>::quiet_NaN(), 2.0f, std::numeric_limits<float>::infinity());
    light.GetAttenuation(constant, linear, quadratic);
    EXPECT_EQ(constant, 0.0f);
    EXPECT_EQ(linear, 2.0f);
    EXPECT_EQ(quadratic, 0.0f);
}

TEST_F(DsLightTest, TypeColourAndDistance)
{
    CDsLight light(eDsLight1, nullptr);
    const float target[3] = {5, 6, 7};
    light.SetTarget(target);
    light.SetType(eDsLightPositional);
    EXPECT_EQ(Lines(light)[4], L"Position -100.000000 0.000000 100.000000 1.000000");
    EXPECT_EQ(Lines(light)[5], L"Target 5.000000 6.000000 7.000000");
    light.SetType(eDsLightDirectional);  // w 0, aimed at the origin again
    EXPECT_EQ(Lines(light)[4], L"Position -100.000000 0.000000 100.000000 0.000000");
    EXPECT_EQ(Lines(light)[5], L"Target 0.000000 0.000000 0.000000");

    // Pure blue: the intensities come back from the blue channel.
    unsigned long colour = 0;
    float ambient = 0, diffuse = 0, specular = 0;
    light.SetProperties(0x00FF0000, 0.2f, 0.8f, 0.5f);
    light.GetProperties(colour, ambient, diffuse, specular);
    EXPECT_EQ(colour, 0x00FF0000u);
    EXPECT_NEAR(ambient, 0.2f, 1e-6);
    EXPECT_NEAR(diffuse, 0.8f, 1e-6);
    EXPECT_NEAR(specular, 0.5f, 1e-6);
    EXPECT_EQ(Lines(light)[2], L"Diffuse 0.000000 0.000000 0.800000 1.000000");
    // Orange: each channel scaled; the intensities from red.
    light.SetProperties(0x000080FF, 0.5f, 1.0f, 0.0f);
    EXPECT_EQ(Lines(light)[1], L"Ambient 0.500000 0.250980 0.000000 1.000000");
    light.GetProperties(colour, ambient, diffuse, specular);
    EXPECT_NEAR(ambient, 0.5f, 1e-6);
    EXPECT_NEAR(diffuse, 1.0f, 1e-6);
    // Black keeps nothing to divide by.
    light.SetProperties(0, 0.3f, 0.3f, 0.3f);
    light.GetProperties(colour, ambient, diffuse, specular);
    EXPECT_EQ(ambient, 0.0f);
    EXPECT_EQ(diffuse, 1.0f);
    EXPECT_EQ(specular, 1.0f);

    // Distance: along the line to the target, onto it, or along x when position and target meet.
    const float above[3] = {0, 0, 100}, origin[3] = {0, 0, 0};
    light.SetPosition(above);
    light.SetTarget(origin);
    light.SetDistance(50);
    float p[3];
    light.GetPosition(p);
    EXPECT_EQ(std::vector<float>(p, p + 3), (std::vector<float>{0, 0, 50}));
    EXPECT_FLOAT_EQ(light.GetDistance(), 50);
    light.SetTarget(target);
    light.SetDistance(0);
    light.GetPosition(p);
    EXPECT_EQ(std::vector<float>(p, p + 3), (std::vector<float>{5, 6, 7}));
    light.SetDistance(12);
    light.GetPosition(p);
    EXPECT_EQ(std::vector<float>(p, p + 3), (std::vector<float>{12, 6, 7}));
}

TEST_F(DsLightTest, TheTextLinesGiveEveryFieldBackThroughADequeAndAFile)
{
    CDsLight source(eDsLight6, nullptr);
    MakeSpot(source);
    const std::vector<std::wstring> lines = Lines(source);
    EXPECT_EQ(lines[0], L"Light 6 On 1 Type 2 Color 3368601");
    EXPECT_EQ(lines[7], L"Spot 35.000000 12.500000");

    CDsLight copy(eDsLight6, nullptr);
    EXPECT_EQ(SetFrom(copy, lines), 0u);
    EXPECT_EQ(Lines(copy), lines);
    float cutoff = 0, exponent = 0;
    copy.GetSpotProperties(cutoff, exponent);
    EXPECT_NEAR(cutoff, 35.0f, 1e-5);
    EXPECT_EQ(exponent, 12.5f);

    // Through a file: eleven lines ending CR LF, read back into a light of another id.
    const std::string path = dir_ + "/one.light";
    {
        CStdioFile file(CStringW(path.c_str()), CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        source.Save(&file);
    }
    const std::string bytes = vyrtest::ReadFileBytes(path);
    std::string expected;
    for (const std::wstring& line : lines) expected += std::string(line.begin(), line.end()) + "\r\n";
    EXPECT_EQ(bytes, expected);
    CDsLight loaded(eDsLight2, nullptr);
    {
        CStdioFile file(CStringW(path.c_str()), CFile::modeRead | CFile::typeText);
        loaded.Load(&file);
    }
    EXPECT_EQ(Lines(loaded), lines);  // the id too
    EXPECT_TRUE(Warnings().empty());

    // Every cutoff of half degrees, and the default of one radian, reads back as it was written.
    CDsLight spot(eDsLight1, nullptr), reread(eDsLight1, nullptr);
    for (float cutoff = 0.0f; cutoff <= 90.0f; cutoff += 0.5f) {
        spot.SetSpotProperties(cutoff, 1.0f);
        ASSERT_EQ(SetFrom(reread, Lines(spot)), 0u);
        EXPECT_EQ(Lines(reread)[7], Lines(spot)[7]) << cutoff;
    }
    EXPECT_EQ(Lines(CDsLight(eDsLight0, nullptr))[7], L"Spot 57.295780 1.000000");
    ASSERT_EQ(SetFrom(reread, Lines(CDsLight(eDsLight0, nullptr))), 0u);
    EXPECT_EQ(Lines(reread)[7], L"Spot 57.295780 1.000000");

    // Copies carry every field.
    CDsLight assigned(eDsLight0, nullptr);
    assigned = source;
    EXPECT_EQ(Lines(assigned), lines);
    EXPECT_EQ(Lines(CDsLight(source)), lines);
}

TEST_F(DsLightTest, LabelWordsAreAnyWordsOfAtMost31Characters)
{
    CDsLight source(eDsLight3, nullptr);
    MakeSpot(source);
    const std::wstring word31(31, L'w');
    const std::vector<std::wstring> other = {
        L"Licht 3 An 1 Art 2 Farbe 3368601",
        L"\tA: 0.15 0.1 0.05 1",
        L"D 0.450000 0.300000 0.150000 1.000000  trailing words",
        word31 + L" +0.3 0.2 .1 1.0",
        L"Pos  1.5  -2.25  30.125  1",
        L"Ziel 0.5 0.25 -1",
        L"Abschwaechung 0.5 0.125 0.0625",
        L"Kegel 35 12.5",
        L"Richtung 0 -0.6 -0.8",
        L"anything",
        L""};
    CDsLight light(eDsLight3, nullptr);
    EXPECT_EQ(SetFrom(light, other), 0u);
    EXPECT_EQ(Lines(light), Lines(source));
    EXPECT_EQ(Lines(light)[3], L"Specular 0.300000 0.200000 0.100000 1.000000");  // the 31-letter word served

    // One letter more and the word is no label: the line gives nothing, its values stay.
    EXPECT_EQ(SetFrom(light, {L"Light 3 On 1 Type 2 Color 3368601", L"Ambient 0 0 0 1", L"Diffuse 0 0 0 1",
                              std::wstring(32, L'w') + L" 9 9 9 9"}),
              0u);
    EXPECT_EQ(Lines(light)[3], L"Specular 0.300000 0.200000 0.100000 1.000000");
    EXPECT_EQ(Lines(light)[2], L"Diffuse 0.000000 0.000000 0.000000 1.000000");
    // A word of thousands of letters, or of characters outside ASCII, does no harm either.
    EXPECT_EQ(SetFrom(light, {std::wstring(5000, L'x') + L" 5 On 0", L"\u00c4mbient\u4e2d 0.5 0.5 0.5 1"}), 0u);
    EXPECT_EQ(Lines(light)[0], L"Light 3 On 1 Type 2 Color 3368601");
    EXPECT_EQ(Lines(light)[1], L"Ambient 0.500000 0.500000 0.500000 1.000000");
}

TEST_F(DsLightTest, ValuesReadPassTheSettersClampsAndBadNumbersAreRefused)
{
    CDsLight light(eDsLight5, nullptr);
    const std::vector<std::wstring> before = Lines(light);

    // Ids outside 0 to 7 and an unknown type are refused; the rest of the line is read.
    SetFrom(light, {L"Light 8 On 1 Type 7 Color 255"});
    EXPECT_EQ(Lines(light)[0], L"Light 5 On 1 Type 0 Color 255");
    SetFrom(light, {L"Light -1 On 0 Type 1 Color -1"});
    EXPECT_EQ(Lines(light)[0], L"Light 5 On 0 Type 1 Color -1");
    SetFrom(light, {L"Light 4294967299 On 7 Type 2 Color 99999999999"});  // beyond 32 bits: refused
    EXPECT_EQ(Lines(light)[0], L"Light 5 On 1 Type 2 Color -1");
    SetFrom(light, {L"Light 3 On 0 Type 0 Color 16777215"});  // a valid id is taken
    EXPECT_EQ(Lines(light)[0], L"Light 3 On 0 Type 0 Color 16777215");

    // Cutoff, exponent and attenuation as the setters would keep them.
    std::vector<std::wstring> lines = {L"L 3 O 0 T 0 C 16777215", L"A 0 0 0 1", L"D 1 1 1 1", L"S 1 1 1 1",
                                       L"P -100 0 100 0", L"T 0 0 0", L"Attenuation -2 0.5 -0.001",
                                       L"Spot 120 200", L"SpotDirection 0 0 -1"};
    SetFrom(light, lines);
    float constant, linear, quadratic, cutoff, exponent;
    light.GetAttenuation(constant, linear, quadratic);
    EXPECT_EQ(constant, 0.0f);
    EXPECT_EQ(linear, 0.5f);
    EXPECT_EQ(quadratic, 0.0f);
    light.GetSpotProperties(cutoff, exponent);
    EXPECT_NEAR(cutoff, 90, 1e-4);
    EXPECT_EQ(exponent, 128);
    lines[7] = L"Spot 180 -3";
    SetFrom(light, lines);
    light.GetSpotProperties(cutoff, exponent);
    EXPECT_NEAR(cutoff, 180, 1e-4);
    EXPECT_EQ(exponent, 0);
    lines[7] = L"Spot -40 1e3";
    SetFrom(light, lines);
    light.GetSpotProperties(cutoff, exponent);
    EXPECT_EQ(cutoff, 0);
    EXPECT_EQ(exponent, 128);

    // Numbers that are not finite or too large keep the field's value; the line goes on.
    lines[1] = L"Ambient nan 0.25 inf 1e10";
    lines[4] = L"Position -INFINITY 3 NAN(123) 1e-3";
    lines[7] = L"Spot 1e39 64";
    SetFrom(light, lines);
    EXPECT_EQ(Lines(light)[1], L"Ambient 0.000000 0.250000 0.000000 1.000000");
    EXPECT_EQ(Lines(light)[4], L"Position -100.000000 3.000000 100.000000 0.001000");
    light.GetSpotProperties(cutoff, exponent);
    EXPECT_EQ(cutoff, 0);
    EXPECT_EQ(exponent, 64);

    // A missing cutoff on a Spot line reads 0; a line of no numbers keeps the others.
    lines[7] = L"Spot 45 2";
    SetFrom(light, lines);
    lines[7] = L"Spot";
    lines[8] = L"SpotDirection x 1 1";
    SetFrom(light, lines);
    light.GetSpotProperties(cutoff, exponent);
    EXPECT_EQ(cutoff, 0);
    EXPECT_EQ(exponent, 2);
    EXPECT_EQ(Lines(light)[8], before[8]);
    // A comma is no decimal point: the number ends before it and the line there.
    lines[1] = L"Ambient 0,5 0.75 0.75 0.75";
    SetFrom(light, lines);
    EXPECT_EQ(Lines(light)[1], L"Ambient 0.000000 0.250000 0.000000 1.000000");
}

TEST_F(DsLightTest, FewerLinesThanElevenStopWhereTheyEnd)
{
    CDsLight source(eDsLight2, nullptr);
    MakeSpot(source);
    const std::vector<std::wstring> full = Lines(source);

    for (size_t count = 0; count <= 11; ++count) {
        CDsLight light(eDsLight2, nullptr);
        const std::vector<std::wstring> before = Lines(light);
        EXPECT_EQ(SetFrom(light, std::vector<std::wstring>(full.begin(), full.begin() + count)), 0u);
        const std::vector<std::wstring> after = Lines(light);
        for (size_t i = 0; i < 9; ++i) EXPECT_EQ(after[i], i < count ? full[i] : before[i]) << count << " " << i;
    }
    // The twelfth line stays for whoever reads next; null reads nothing.
    std::vector<std::wstring> more = full;
    more.push_back(L"next");
    CDsLight light(eDsLight2, nullptr);
    EXPECT_EQ(SetFrom(light, more), 1u);
    light.Set(nullptr);
    light.Get(nullptr);
    light.Save(nullptr);
    light.Load(nullptr);
    EXPECT_EQ(Lines(light), full);
}
