// The material coefficients as bytes, fractions and percents: the defaults, the conversions both
// ways, and values out of range.
#include "DsMaterialStorage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Bytes {
    uint8_t ambient = 0, diffuse = 0, specular = 0, shininess = 0, emission = 0;
};

Bytes Of(const CDsMaterialStorage& material)
{
    Bytes b;
    material.GetData(b.ambient, b.diffuse, b.specular, b.shininess, b.emission);
    return b;
}

}  // namespace

TEST(DsMaterialStorageTest, TheDefaultMaterialReadsAsFractionsAndPercents)
{
    const Bytes b = Of(gDsDefaultMaterial);
    EXPECT_EQ(b.ambient, 255);
    EXPECT_EQ(b.diffuse, 190);
    EXPECT_EQ(b.specular, 128);
    EXPECT_EQ(b.shininess, 10);
    EXPECT_EQ(b.emission, 0);

    float a = 0, d = 0, s = 0, n = 0, e = 0;
    CDsMaterialStorage().GetData(a, d, s, n, e);
    EXPECT_FLOAT_EQ(a, 1.0f);
    EXPECT_NEAR(d, 0.745f, 1e-3);
    EXPECT_NEAR(s, 0.502f, 1e-3);
    EXPECT_FLOAT_EQ(n, 10.0f);
    EXPECT_FLOAT_EQ(e, 0.0f);

    int pa = 0, pd = 0, ps = 0, pn = 0, pe = 0;
    CDsMaterialStorage().GetData(pa, pd, ps, pn, pe);
    EXPECT_EQ(pa, 100);
    EXPECT_EQ(pd, 75);  // byte 190
    EXPECT_EQ(ps, 50);
    EXPECT_EQ(pn, 10);
    EXPECT_EQ(pe, 0);
}

TEST(DsMaterialStorageTest, ConversionsRoundAndClampInsteadOfWrapping)
{
    CDsMaterialStorage material;
    material.SetData(75, 0, 100, 64, 1);
    Bytes b = Of(material);
    EXPECT_EQ(b.ambient, 191);
    EXPECT_EQ(b.diffuse, 0);
    EXPECT_EQ(b.specular, 255);
    EXPECT_EQ(b.shininess, 64);  // the exponent, unscaled
    EXPECT_EQ(b.emission, 3);
    // Out of range: percents to 0..100, the exponent to 0..255.
    material.SetData(150, -5, 101, 300, -1);
    b = Of(material);
    EXPECT_EQ(b.ambient, 255);
    EXPECT_EQ(b.diffuse, 0);
    EXPECT_EQ(b.specular, 255);
    EXPECT_EQ(b.shininess, 255);
    EXPECT_EQ(b.emission, 0);

    // Fractions are truncated; the shininess is the exponent itself; NaN keeps the byte.
    material.SetData(0.5f, 0.999f, 0.0f, 32.7f, 0.25f);
    b = Of(material);
    EXPECT_EQ(b.ambient, 127);
    EXPECT_EQ(b.diffuse, 254);
    EXPECT_EQ(b.specular, 0);
    EXPECT_EQ(b.shininess, 32);
    EXPECT_EQ(b.emission, 63);
    material.SetData(1.5f, -0.2f, std::nanf(""), 1000.0f, std::nanf(""));
    b = Of(material);
    EXPECT_EQ(b.ambient, 255);
    EXPECT_EQ(b.diffuse, 0);
    EXPECT_EQ(b.specular, 0);
    EXPECT_EQ(b.shininess, 255);
    EXPECT_EQ(b.emission, 63);
    material.SetData(0.1f, 0.2f, 0.3f, -4.0f, 0.4f);
    EXPECT_EQ(Of(material).shininess, 0);

    // Fractions read back as they were set, to within a byte.
    float a = 0, d = 0, s = 0, n = 0, e = 0;
    material.SetData(0.3f, 0.6f, 0.9f, 12.0f, 0.05f);
    material.GetData(a, d, s, n, e);
    EXPECT_NEAR(a, 0.3f, 1.0f / 255);
    EXPECT_NEAR(d, 0.6f, 1.0f / 255);
    EXPECT_NEAR(s, 0.9f, 1.0f / 255);
    EXPECT_FLOAT_EQ(n, 12.0f);
    EXPECT_NEAR(e, 0.05f, 1.0f / 255);

    CDsMaterialStorage copy(material);
    material.ResetMembers();
    EXPECT_EQ(Of(copy).shininess, 12);
    EXPECT_EQ(Of(material).diffuse, 190);
    copy = material;
    EXPECT_EQ(Of(copy).shininess, 10);
}
