// The OpenGL state cache of the draw walk, counted through a recording seam (no context): what
// Reset sends, that each setter sends a value only when it changes, switches toggled only on a
// difference, the depth layers; the decoding of an item's state word into depth layer, line
// width and polygon offset; the HLS model and the lightening of line colours; the material
// setters and their change test.
#include "DsAttributes.h"
#include "DsColorStorage.h"
#include "DsGlStateCache.h"
#include "DsPalette.h"
#include "DsPlotPallete.h"
#include "DsView3dCdc.h"

#include "RecordingSeam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

using vyrtest::CallsAre;
using vyrtest::GlCall;

namespace {

constexpr double kFrontAndBack = GL_FRONT_AND_BACK;

// The calls of one material: the two-side model, the four colours (0x00BBGGRR bytes / 255 times
// the factor, alpha / 255 fourth) and the shininess as given.
std::vector<GlCall> MaterialCalls(uint32_t color, int alpha, const float f[5], int twoSide)
{
    const double r = (color & 0xFF) / 255.0, g = ((color >> 8) & 0xFF) / 255.0, b = ((color >> 16) & 0xFF) / 255.0;
    const double a = alpha / 255.0;
    return {{"LightModeli", {GL_LIGHT_MODEL_TWO_SIDE, double(twoSide)}},
            {"Materialfv", {kFrontAndBack, GL_AMBIENT, r * f[0], g * f[0], b * f[0], a}},
            {"Materialfv", {kFrontAndBack, GL_DIFFUSE, r * f[1], g * f[1], b * f[1], a}},
            {"Materialfv", {kFrontAndBack, GL_SPECULAR, r * f[2], g * f[2], b * f[2], a}},
            {"Materialfv", {kFrontAndBack, GL_EMISSION, r * f[4], g * f[4], b * f[4], a}},
            {"Materialf", {kFrontAndBack, GL_SHININESS, f[3]}}};
}

// A cache after Reset, its calls forgotten.
class GlStateCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cache_.Reset();
        seam_.Take();
    }
    vyrtest::RecordingSeam seam_;
    CDsGlStateCache cache_;
};

}  // namespace

// --- The state cache -----------------------------------------------------------------------------

TEST_F(GlStateCacheTest, ResetSendsEveryDefaultInOrderThenTheMaterialWithZeroFactors)
{
    cache_.SetColor(0x00123456);
    cache_.SetLineWidth(4);
    cache_.SetDepthLayer(2);
    seam_.Take();
    cache_.Reset();
    const float none[5] = {0, 0, 0, 0, 0};
    std::vector<GlCall> expected = {{"Color3ub", {0, 0, 0}},
                                    {"LineWidth", {1}},
                                    {"DepthRange", {0, 1}},
                                    {"LineStipple", {1, 0xFFFF}},
                                    {"PolygonOffset", {0, 0}},
                                    {"PolygonMode", {kFrontAndBack, GL_FILL}}};
    for (const GlCall& call : MaterialCalls(0, 0, none, 0)) expected.push_back(call);
    EXPECT_TRUE(CallsAre(seam_.Take(), expected));
    EXPECT_EQ(cache_.GetColor(), 0u);
    EXPECT_EQ(cache_.GetLineWidth(), 1);
    float zNear = -1, zFar = -1;
    cache_.GetDepthRange(zNear, zFar);
    EXPECT_EQ(zNear, 0.0f);
    EXPECT_EQ(zFar, 1.0f);

    // Every value Reset sent is known: sending the same again costs nothing.
    cache_.SetColor(0);
    cache_.SetLineWidth(1);
    cache_.SetDepthRange(0.0f, 1.0f);
    cache_.SetLineStipple(1, 0xFFFF);
    cache_.SetPolygonOffset(0.0f, 0.0f);
    cache_.SetPolygonModeFill();
    DsSetGlMaterialIfChanged(&cache_, 0, 0, none, 0);
    EXPECT_TRUE(CallsAre(seam_.Take(), {}));
}

TEST_F(GlStateCacheTest, EachSetterSendsOneCallWhenTheValueDiffersAndNoneWhenItIsTheCachedOne)
{
    cache_.SetColor(0x00332211);
    cache_.SetColor(0x00332211);
    cache_.SetColor(0xFF332211);  // the high byte is no part of a colour
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"Color3ub", {0x11, 0x22, 0x33}}}));
    EXPECT_EQ(cache_.GetColor(), 0x00332211u);
    cache_.SetColor(0x00332212);
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"Color3ub", {0x12, 0x22, 0x33}}}));

    cache_.SetLineWidth(3);
    cache_.SetLineWidth(3);
    cache_.SetLineWidth(1);
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"LineWidth", {3}}, {"LineWidth", {1}}}));
    EXPECT_EQ(cache_.GetLineWidth(), 1);

    cache_.SetDepthRange(0.0f, 0.5f);  // one end differs: sent
    cache_.SetDepthRange(0.0f, 0.5f);
    cache_.SetDepthRange(0.25f, 0.5f);
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"DepthRange", {0, 0.5}}, {"DepthRange", {0.25, 0.5}}}));

    cache_.SetLineStipple(2, 0xFFFF);  // the factor alone differs
    cache_.SetLineStipple(2, 0xFFFF);
    cache_.SetLineStipple(2, 0x0F0F);  // the pattern alone differs
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"LineStipple", {2, 0xFFFF}}, {"LineStipple", {2, 0x0F0F}}}));

    cache_.SetPolygonOffset(2.0f, 0.0f);
    cache_.SetPolygonOffset(2.0f, 0.0f);
    cache_.SetPolygonOffset(2.0f, 2.0f);
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"PolygonOffset", {2, 0}}, {"PolygonOffset", {2, 2}}}));

    cache_.SetPolygonModeFill();  // Reset left both faces filled
    EXPECT_TRUE(CallsAre(seam_.Take(), {}));
}

TEST_F(GlStateCacheTest, AColourWithoutACacheIsSentEveryTime)
{
    DsSetColor(nullptr, 0x00FF8000);
    DsSetColor(nullptr, 0x00FF8000);
    DsSetColor(&cache_, 0x00FF8000);
    DsSetColor(&cache_, 0x00FF8000);
    EXPECT_TRUE(CallsAre(seam_.Take(),
                         {{"Color3ub", {0, 0x80, 0xFF}}, {"Color3ub", {0, 0x80, 0xFF}}, {"Color3ub", {0, 0x80, 0xFF}}}));
    EXPECT_EQ(cache_.GetColor(), 0x00FF8000u);
}

TEST_F(GlStateCacheTest, ASwitchIsAskedFirstAndToggledOnlyWhenItDiffers)
{
    DsGlSetEnabled(GL_LIGHTING, false);
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"IsEnabled", {GL_LIGHTING}}}));
    DsGlSetEnabled(GL_LIGHTING, true);
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"IsEnabled", {GL_LIGHTING}}, {"Enable", {GL_LIGHTING}}}));
    DsGlSetEnabled(GL_LIGHTING, true);
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"IsEnabled", {GL_LIGHTING}}}));
    DsGlSetEnabled(GL_LIGHTING, false);
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"IsEnabled", {GL_LIGHTING}}, {"Disable", {GL_LIGHTING}}}));
    EXPECT_EQ(seam_.enabled.count(GL_LIGHTING), 0u);
}

TEST(DsGlDepthLayers, LayersZeroToTwoAreThinSlicesInFrontAndLayerThreeAndOthersTheWholeRange)
{
    const struct {
        int layer;
        double zNear, zFar;
    } cases[] = {{0, 0.0, 0.00001},  {1, 0.00001, 0.00002}, {2, 0.00002, 0.00003}, {3, 0.0, 1.0},
                 {-1, 0.0, 1.0},     {4, 0.0, 1.0},          {255, 0.0, 1.0}};
    for (const auto& c : cases) {
        float zNear = -1, zFar = -1;
        DsGetDepthLayerRange(c.layer, zNear, zFar);
        EXPECT_NEAR(zNear, c.zNear, 1e-10) << "layer " << c.layer;
        EXPECT_NEAR(zFar, c.zFar, 1e-10) << "layer " << c.layer;
    }
}

TEST_F(GlStateCacheTest, ADepthLayerSendsItsRangeOnlyWhenItChangesAndTurnsTheDepthTestOn)
{
    cache_.SetDepthLayer(1);
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"DepthRange", {0.00001, 0.00002}},
                                        {"IsEnabled", {GL_DEPTH_TEST}},
                                        {"Enable", {GL_DEPTH_TEST}}},
                         1e-10));
    cache_.SetDepthLayer(1);  // same range, depth test on: only asked
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"IsEnabled", {GL_DEPTH_TEST}}}));
    cache_.SetDepthLayer(0);
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"DepthRange", {0.0, 0.00001}}, {"IsEnabled", {GL_DEPTH_TEST}}}, 1e-10));
    cache_.SetDepthLayer(3);
    cache_.SetDepthLayer(9);  // out of range: the whole range, already sent
    EXPECT_TRUE(CallsAre(seam_.Take(),
                         {{"DepthRange", {0, 1}}, {"IsEnabled", {GL_DEPTH_TEST}}, {"IsEnabled", {GL_DEPTH_TEST}}}));
    seam_.enabled.clear();  // someone turned the depth test off: the next layer turns it on again
    cache_.SetDepthLayer(3);
    EXPECT_TRUE(CallsAre(seam_.Take(), {{"IsEnabled", {GL_DEPTH_TEST}}, {"Enable", {GL_DEPTH_TEST}}}));
}

// --- Decoding the state word -----------------------------------------------------------------------

TEST(DsDrawStyle, TheDepthLayerOfAStateKeepsSpecialItemsInFrontAndWireframeLinesThin)
{
    for (int depthMode : {0, 1, 3}) {
        for (bool onTop : {false, true}) {
            for (int state : {3, 4, 5}) EXPECT_EQ(DsGetDepthLayerForState(state, depthMode, onTop), 0) << state;
            EXPECT_EQ(DsGetDepthLayerForState(11, depthMode, onTop), 2);
            for (int state : {0, 1, 2, 6, 10, 12, 255}) {
                const int expected = onTop ? 1 : depthMode == 0 ? 2 : 3;
                EXPECT_EQ(DsGetDepthLayerForState(state, depthMode, onTop), expected)
                    << "state " << state << " depth mode " << depthMode << " on top " << onTop;
            }
        }
    }
}

TEST(DsDrawStyle, AStateWordGivesLayerOffsetAndForLineKindsTheWidth)
{
    const int onTop = 0x100, ownAttributes = 0x200, negative = 0x1000;
    const struct {
        int kind, word, depthMode;
        int layer, offset, width;  // width of attributes 1 wide after decoding
    } cases[] = {
        {4, 4 | onTop, 3, 3, 0, 1},                   // faces: the whole range, width untouched
        {4, 11 | (2 << 10) | negative, 0, 3, -2, 1},  // faces get the offset too
        {1, 4 | onTop, 3, 0, 0, 2},                   // special wins over on top; selected lines 2 wide
        {2, 11 | onTop, 3, 2, 0, 2},
        {8, 5, 0, 0, 0, 2},
        {1, 0 | onTop, 3, 1, 0, 1},
        {1, 0 | ownAttributes, 3, 3, 0, 1},
        {1, 0 | ownAttributes, 0, 2, 0, 1},
        {16, 4, 3, 0, 0, 1},  // a kind without line width
        {32, 3 | (3 << 10), 3, 0, 3, 1},
        {1, 7 | (1 << 10) | negative, 3, 3, -1, 1},
        {1, 7 | negative, 3, 3, 0, 1},
        {1, 0x0FF | onTop, 3, 1, 0, 1},
    };
    for (const auto& c : cases) {
        CDsAttributes attributes;
        attributes.SetLineWidth(1);
        int offset = 99;
        EXPECT_EQ(DsDecodeDrawStyle(c.kind, c.word, c.depthMode, attributes, offset), c.layer)
            << "kind " << c.kind << " word 0x" << std::hex << c.word;
        EXPECT_EQ(offset, c.offset) << "kind " << c.kind << " word 0x" << std::hex << c.word;
        EXPECT_EQ(attributes.GetLineWidth(), c.width) << "kind " << c.kind << " word 0x" << std::hex << c.word;
    }
}

TEST(DsDrawStyle, SpecialLinesAreAtLeastTwoWideOthersAtLeastOneAndWiderLinesStay)
{
    const struct {
        int state, width, expected;
    } cases[] = {{3, 0, 2}, {4, 1, 2}, {5, 1, 2}, {11, 1, 2}, {4, 6, 6}, {11, 3, 3},
                 {0, 0, 1}, {0, 1, 1}, {7, 3, 3}, {12, 0, 1}, {2, 1, 1}};
    for (const auto& c : cases) {
        CDsAttributes attributes;
        attributes.SetLineWidth(c.width);
        DsSetLineWidthForState(attributes, c.state);
        EXPECT_EQ(attributes.GetLineWidth(), c.expected) << "state " << c.state << " width " << c.width;
    }
}

TEST(DsDrawStyle, WhilePlottingWithPenWidthsALineTakesThePenOfItsColour)
{
    const EPlotMode savedMode = CDsView3dCdc::StGetPlotMode();
    CDsPlotPallete* pens = CDsPlotPallete::StGetInstance();
    auto* palette = new CDsPalette(16);
    palette->SetColor(2, CDsColorStorage(10, 20, 30));
    pens->SetColorPallete(palette);
    pens->SetWidth(2, 5);  // colour 2 plots with pen 5

    CDsAttributes selected;
    selected.SetColor(0x001E140A);
    selected.SetLineWidth(1);
    CDsView3dCdc::StSetPlotMode(ePlotModePenWidths);
    CDsAttributes decoded = selected;
    int offset = 0;
    EXPECT_EQ(DsDecodeDrawStyle(1, 4, 3, decoded, offset), 0);
    EXPECT_EQ(decoded.GetLineWidth(), 5);  // the pen's, not the least width of a selected line
    CDsAttributes ordinary = selected;
    ordinary.SetLineWidth(9);
    DsSetLineWidthForState(ordinary, 0);
    EXPECT_EQ(ordinary.GetLineWidth(), 5);

    CDsView3dCdc::StSetPlotMode(ePlotModeColors);  // a plot in colours keeps the usual widths
    decoded = selected;
    DsSetLineWidthForState(decoded, 4);
    EXPECT_EQ(decoded.GetLineWidth(), 2);

    CDsView3dCdc::StSetPlotMode(savedMode);
    CDsPlotPallete::StDeletePlotPallete();
}

// --- Colours in HLS ------------------------------------------------------------------------------

namespace {

struct Hls {
    float hue, lightness, saturation;
};

Hls ToHls(uint32_t color)
{
    Hls hls{-1, -1, -1};
    DsRgbToHls(color, hls.hue, hls.lightness, hls.saturation);
    return hls;
}

// Equal channel by channel within one step.
::testing::AssertionResult ColorNear(uint32_t actual, uint32_t expected)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (std::abs(a - e) > 1)
            return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not near 0x" << expected;
    }
    if (actual >> 24) return ::testing::AssertionFailure() << std::hex << "0x" << actual << " has a high byte";
    return ::testing::AssertionSuccess();
}

uint32_t Lightened(int kind, uint32_t color, bool lighten)
{
    CDsAttributes attributes;
    attributes.SetColor(color);
    DsLightenColor(kind, attributes, lighten);
    return attributes.GetColor();
}

}  // namespace

TEST(DsHls, PrimaryAndSecondaryColoursHaveTheirHuesFullSaturationAndHalfLightness)
{
    const struct {
        uint32_t color;
        float hue;
    } cases[] = {{0x000000FF, 0},   {0x0000FFFF, 60},  {0x0000FF00, 120},
                 {0x00FFFF00, 180}, {0x00FF0000, 240}, {0x00FF00FF, 300}};
    for (const auto& c : cases) {
        const Hls hls = ToHls(c.color);
        EXPECT_NEAR(hls.hue, c.hue, 1e-3) << std::hex << c.color;
        EXPECT_NEAR(hls.lightness, 0.5f, 1e-6) << std::hex << c.color;
        EXPECT_NEAR(hls.saturation, 1.0f, 1e-6) << std::hex << c.color;
        EXPECT_EQ(DsHlsToRgb(hls.hue, hls.lightness, hls.saturation), c.color) << std::hex << c.color;
        EXPECT_EQ(DsHlsToRgb(c.hue, 0.5f, 1.0f), c.color) << std::hex << c.color;
    }
}

TEST(DsHls, GreysAreAchromaticAndComeBackExactly)
{
    for (uint32_t v : {0u, 0x40u, 0x80u, 0xC0u, 0xFFu}) {
        const uint32_t grey = v | (v << 8) | (v << 16);
        const Hls hls = ToHls(grey);
        EXPECT_EQ(hls.hue, 0.0f) << v;
        EXPECT_EQ(hls.saturation, 0.0f) << v;
        EXPECT_NEAR(hls.lightness, v / 255.0f, 1e-6) << v;
        EXPECT_EQ(DsHlsToRgb(hls.hue, hls.lightness, hls.saturation), grey) << v;
    }
}

TEST(DsHls, SaturationFollowsTheLightnessHalfItIsOn)
{
    // (153, 102, 51): max 0.6, min 0.2: L 0.4, S 0.4 / 0.8, red the largest: hue 30.
    Hls hls = ToHls(0x00336699);
    EXPECT_NEAR(hls.hue, 30.0f, 1e-3);
    EXPECT_NEAR(hls.lightness, 0.4f, 1e-6);
    EXPECT_NEAR(hls.saturation, 0.5f, 1e-6);
    // (178, 204, 230): max 230/255, min 178/255: L above 0.5, S (max - min) / (2 - max - min);
    // blue the largest: hue 210.
    hls = ToHls(0x00E6CCB2);
    EXPECT_NEAR(hls.lightness, 204.0f / 255.0f, 1e-6);
    EXPECT_NEAR(hls.saturation, (52.0f / 255.0f) / (2.0f - 408.0f / 255.0f), 1e-5);
    EXPECT_NEAR(hls.hue, 210.0f, 1e-3);
    // (51, 153, 102): green the largest: hue 150.
    EXPECT_NEAR(ToHls(0x00669933).hue, 150.0f, 1e-3);
}

TEST(DsHls, EveryColourOfAGridComesBackWithinOneStep)
{
    for (uint32_t r = 0; r < 256; r += 15) {
        for (uint32_t g = 0; g < 256; g += 15) {
            for (uint32_t b = 0; b < 256; b += 15) {
                const uint32_t color = r | (g << 8) | (b << 16);
                const Hls hls = ToHls(color);
                ASSERT_GE(hls.hue, 0.0f) << std::hex << color;
                ASSERT_LT(hls.hue, 360.0f) << std::hex << color;
                ASSERT_TRUE(ColorNear(DsHlsToRgb(hls.hue, hls.lightness, hls.saturation), color));
            }
        }
    }
}

TEST(DsHls, LineKindsAreLightenedHalfwayToWhiteOnlyWhenAsked)
{
    EXPECT_TRUE(ColorNear(Lightened(1, 0x00000000, true), 0x00808080));  // black: a grey of lightness 0.5
    EXPECT_EQ(Lightened(2, 0x00FFFFFF, true), 0x00FFFFFFu);               // white stays white
    EXPECT_TRUE(ColorNear(Lightened(8, 0x000000FF, true), 0x008080FF));   // red: L 0.75
    // (153, 102, 51): L 0.4 becomes 0.7 with hue 30 and saturation 0.5 kept.
    const uint32_t light = Lightened(16, 0x00336699, true);
    EXPECT_TRUE(ColorNear(light, 0x008CB3D9));
    const Hls hls = ToHls(light);
    EXPECT_NEAR(hls.hue, 30.0f, 1.0f);
    EXPECT_NEAR(hls.lightness, 0.7f, 0.003f);
    EXPECT_NEAR(hls.saturation, 0.5f, 0.01f);

    for (int kind : {0, 4, 32, 64, 128}) EXPECT_EQ(Lightened(kind, 0x00336699, true), 0x00336699u) << kind;
    for (int kind : {1, 2, 8, 16}) EXPECT_EQ(Lightened(kind, 0x00336699, false), 0x00336699u) << kind;
}

// --- Materials -----------------------------------------------------------------------------------

TEST_F(GlStateCacheTest, AMaterialSendsTheTwoSideModelAndTheColourScaledByEachFactor)
{
    // Red with alpha 128 and diffuse 0.5: a diffuse of (0.5, 0, 0, 128/255).
    DsSetGlMaterial(0x000000FF, 128, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 1);
    const std::vector<GlCall> calls = seam_.Take();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_TRUE(CallsAre({calls[0]}, {{"LightModeli", {GL_LIGHT_MODEL_TWO_SIDE, 1}}}));
    EXPECT_TRUE(CallsAre({calls[2]}, {{"Materialfv", {kFrontAndBack, GL_DIFFUSE, 0.5, 0, 0, 128 / 255.0}}}));

    const float factors[5] = {0.2f, 0.8f, 0.3f, 20.0f, 0.1f};
    DsSetGlMaterial(0x00FF8040, 255, factors[0], factors[1], factors[2], factors[3], factors[4], 0);
    EXPECT_TRUE(CallsAre(seam_.Take(), MaterialCalls(0x00FF8040, 255, factors, 0)));
}

TEST_F(GlStateCacheTest, AMaterialEqualToTheLastOneSendsNothingAndEveryChangedFieldIsSent)
{
    const float base[5] = {0.2f, 0.8f, 0.3f, 20.0f, 0.1f};
    DsSetGlMaterialIfChanged(&cache_, 0x00336699, 200, base, 1);
    EXPECT_TRUE(CallsAre(seam_.Take(), MaterialCalls(0x00336699, 200, base, 1)));
    DsSetGlMaterialIfChanged(&cache_, 0x00336699, 200, base, 1);
    EXPECT_TRUE(CallsAre(seam_.Take(), {}));

    // One field at a time: sent once, then known.
    uint32_t color = 0x00336699;
    uint8_t alpha = 200;
    float factors[5] = {base[0], base[1], base[2], base[3], base[4]};
    int twoSide = 1;
    auto request = [&](const char* what) {
        DsSetGlMaterialIfChanged(&cache_, color, alpha, factors, twoSide);
        EXPECT_TRUE(CallsAre(seam_.Take(), MaterialCalls(color, alpha, factors, twoSide))) << what;
        DsSetGlMaterialIfChanged(&cache_, color, alpha, factors, twoSide);
        EXPECT_TRUE(CallsAre(seam_.Take(), {})) << what << " again";
    };
    color = 0x00336698;
    request("colour");
    alpha = 255;
    request("alpha");
    for (int i = 0; i < 5; ++i) {
        factors[i] += 0.25f;
        request("factor");
    }
    twoSide = 0;
    request("two-side value");
    const CDsGlStateCache::SMaterial& memo = cache_.Material();
    EXPECT_EQ(memo.color, color);
    EXPECT_EQ(memo.alpha, alpha);
    EXPECT_EQ(memo.lightModelValue, 0);

    // A factor that is not a number never equals the last one: always sent.
    factors[1] = std::numeric_limits<float>::quiet_NaN();
    DsSetGlMaterialIfChanged(&cache_, color, alpha, factors, twoSide);
    DsSetGlMaterialIfChanged(&cache_, color, alpha, factors, twoSide);
    EXPECT_EQ(seam_.Count("LightModeli"), 2u);
}

TEST_F(GlStateCacheTest, AMaterialWithoutACacheIsSentEveryTime)
{
    const float factors[5] = {0.2f, 0.8f, 0.3f, 20.0f, 0.0f};
    DsSetGlMaterialIfChanged(nullptr, 0x00336699, 255, factors, 1);
    DsSetGlMaterialIfChanged(nullptr, 0x00336699, 255, factors, 1);
    std::vector<GlCall> twice = MaterialCalls(0x00336699, 255, factors, 1);
    const std::vector<GlCall> once = twice;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_TRUE(CallsAre(seam_.Take(), twice));
}
