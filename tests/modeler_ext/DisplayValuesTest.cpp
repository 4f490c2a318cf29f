// The extension's display values and small services: colours, attributes and hide levels,
// palettes, transform repair, working planes, the log file, the
// floating-point guard, screen-space conversions and stepped sections.
#include "DsColorStorage.h"
#include "DsGeometryComputerBase.h"
#include "DsHideLevel.h"
#include "DsLogFile.h"
#include "DsPalette.h"
#include "GmTransformation.h"
#include "UiPlanePositionMapper.h"
#include "VyrComplexSection.h"
#include "VyrExceptionMask.h"
#include "VyrString.h"
#include "rgb_color.h"
#include "view3d.h"

#include "ScopedEnv.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdlib>

TEST(DisplayValuesTest, ColourStorageIsFourBytesRedLowest) {
    const CDsColorStorage c(0x12, 0x34, 0x56);
    EXPECT_EQ(0x00563412u, c.GetValue());
    EXPECT_EQ(0x12, c.GetRed());
    EXPECT_EQ(0x34, c.GetGreen());
    EXPECT_EQ(0x56, c.GetBlue());

    // Windows colours and the modeler's colour read the same bytes.
    rgb_color modeler;
    modeler.set_windows_color(c.GetColorRef());
    EXPECT_EQ(c.GetColorRef(), static_cast<uint32_t>(modeler.windows_color()));

    // The fourth byte travels with the colour but is not part of the Windows colour.
    CDsColorStorage withTop(0xFF000080u);
    EXPECT_EQ(0x80u, withTop.GetColorRef());
    withTop.SetRGB(1, 2, 3);
    EXPECT_EQ(0xFF030201u, withTop.GetValue());
    EXPECT_NE(withTop, CDsColorStorage(1, 2, 3));
}

TEST(DisplayValuesTest, HideLevelsApplyWithdrawAndPassBetweenAttributes) {
    CDsHideLevel level;
    EXPECT_FALSE(level.IsHidden());
    EXPECT_EQ(eDsAttributeHideLevel, level.GetType());

    // Blanked for two reasons: withdrawing one keeps the item hidden.
    level.SetData(eDsHideLevelBlank | eDsHideLevelSpecial, true);
    EXPECT_TRUE(level.IsHidden());
    level.SetData(eDsHideLevelBlank, false);
    EXPECT_TRUE(level.IsHidden());
    EXPECT_EQ(unsigned(eDsHideLevelSpecial), level.GetData());
    level.SetData(eDsHideLevelSpecial, false);
    EXPECT_FALSE(level.IsHidden());
    level.SetData(eDsHideLevelBlank, true);
    level.SetData(0, true);
    EXPECT_FALSE(level.IsHidden()) << "0 resets";

    // Through the attribute interface.
    const CDsHideLevel blank(eDsHideLevelBlank);
    CDsAttribute& asAttribute = level;
    EXPECT_TRUE(asAttribute.SetData(blank, true));
    EXPECT_EQ(blank, level);
    CDsHideLevel copy;
    EXPECT_TRUE(level.GetData(copy));
    EXPECT_TRUE(copy.IsHidden());

    // An attribute of another kind is refused and changes nothing.
    class Hatch : public CDsAttribute {
    public:
        EDsAttributeType GetType() const override { return eDsAttributeHatch; }
    } hatch;
    EXPECT_TRUE(hatch.TypesDiffer(level));
    EXPECT_FALSE(level.SetData(hatch, false));
    EXPECT_FALSE(level.GetData(hatch));
    EXPECT_TRUE(level.IsHidden());
    EXPECT_FALSE(hatch.SetData(level, true));
    EXPECT_EQ(0u, hatch.GetData());
}

TEST(DisplayValuesTest, PaletteAnswersItsEntriesAndRefusesOthers) {
    CDsPalette palette(3);
    EXPECT_EQ(3, palette.GetCount());
    EXPECT_TRUE(palette.SetColor(2, CDsColorStorage(9, 8, 7)));
    CDsColorStorage c(1, 1, 1);
    EXPECT_TRUE(palette.GetColor(2, c));
    EXPECT_EQ(CDsColorStorage(9, 8, 7), c);
    EXPECT_TRUE(palette.GetColor(0, c));
    EXPECT_EQ(CDsColorStorage(), c) << "new entries are black";

    c = CDsColorStorage(1, 1, 1);
    EXPECT_FALSE(palette.GetColor(3, c));
    EXPECT_FALSE(palette.GetColor(-1, c));
    EXPECT_EQ(CDsColorStorage(1, 1, 1), c);
    EXPECT_FALSE(palette.SetColor(3, c));
    EXPECT_EQ(3, palette.AddColor(c));

    const CDsPalette copy(palette);
    EXPECT_TRUE(copy == palette);
    palette.SetCount(-4);
    EXPECT_EQ(0, palette.GetCount());
    EXPECT_EQ(4, copy.GetCount());
}

TEST(DisplayValuesTest, TransformationRepairRestoresRigidMotionsAndLeavesOthers) {
    // A rotation about z by 30 degrees, bent by rounding drift.
    const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
    SPAmatrix bent(SPAvector(c + 3e-8, s, 1e-12), SPAvector(-s, c - 2e-8, 0), SPAvector(0, 4e-9, 1));
    CGmTransformation t(restore_transf(bent, SPAvector(5, 1e-13, -2)));
    t.FixTransformationMatrix();
    const SPAmatrix& m = t.affine();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(i == j ? 1.0 : 0.0, m.row(i) % m.row(j), 1e-15) << "rows " << i << ", " << j;
    EXPECT_NEAR(c, m.element(0, 0), 1e-7);
    EXPECT_EQ(0.0, m.element(0, 2)) << "a tiny element snaps to 0";
    EXPECT_EQ(1.0, m.element(2, 2));
    EXPECT_EQ(0.0, t.translation().y());
    EXPECT_EQ(5.0, t.translation().x());
    const SPAposition p = SPAposition(1, 0, 0) * t;
    EXPECT_NEAR(5.0 + c, p.x(), 1e-7);

    // A mirror stays a mirror.
    CGmTransformation mirror(reflect_transf(SPAvector(1, 0, 0)) * rotate_transf(0.3, SPAvector(0, 0, 1)));
    mirror.FixTransformationMatrix();
    EXPECT_LT(mirror.affine().determinant(), 0.0);

    // A shear is not orthogonalised.
    SPAmatrix shear(SPAvector(1, 0.5, 0), SPAvector(0, 1, 0), SPAvector(0, 0, 1));
    CGmTransformation sheared(restore_transf(shear, SPAvector()));
    sheared.FixTransformationMatrix();
    EXPECT_EQ(0.5, sheared.affine().element(0, 1));

    // A transform holding a non-finite number becomes the identity.
    CGmTransformation broken(translate_transf(SPAvector(NAN, 0, 0)));
    broken.FixTransformationMatrix();
    EXPECT_TRUE(broken.IsIdentity());
}

TEST(DisplayValuesTest, WorkingPlaneMapsBothWaysWithARightHandedFrame) {
    const CUiPlanePositionMapper plane(SPAposition(1, 2, 3), SPAvector(0, 0, 2));
    EXPECT_NEAR(1.0, plane.GetXAxis().x(), 1e-15) << "x follows the model x axis";
    const SPAposition model = plane.WorkToModel(SPAposition(4, 5, 6));
    EXPECT_NEAR(5.0, model.x(), 1e-12);
    EXPECT_NEAR(7.0, model.y(), 1e-12);
    EXPECT_NEAR(9.0, model.z(), 1e-12);

    const CUiPlanePositionMapper tilted(SPAposition(-3, 0, 1), SPAvector(1, 1, 1), SPAvector(0, 1, 0));
    const SPAunit_vector& x = tilted.GetXAxis();
    const SPAunit_vector& y = tilted.GetYAxis();
    const SPAunit_vector& n = tilted.GetNormal();
    EXPECT_NEAR(0.0, x % y, 1e-15);
    EXPECT_NEAR(1.0, (x * y) % n, 1e-15) << "right-handed";
    const SPAposition work(0.25, -7, 2);
    const SPAposition back = tilted.ModelToWork(tilted.WorkToModel(work));
    EXPECT_NEAR(work.x(), back.x(), 1e-12);
    EXPECT_NEAR(work.y(), back.y(), 1e-12);
    EXPECT_NEAR(work.z(), back.z(), 1e-12);

    // Degenerate frames fall back to usable ones.
    const CUiPlanePositionMapper noNormal(SPAposition(), SPAvector(0, 0, 0));
    EXPECT_NEAR(1.0, noNormal.GetNormal().z(), 1e-15);
    const CUiPlanePositionMapper alongX(SPAposition(), SPAvector(-5, 0, 0));
    EXPECT_NEAR(1.0, alongX.GetXAxis().y(), 1e-15) << "a normal along x takes y as its x axis";
    const CUiPlanePositionMapper parallelAxes(SPAposition(), SPAvector(1, 0, 0), SPAvector(2, 0, 0));
    EXPECT_NEAR(1.0, parallelAxes.GetNormal().z(), 1e-15);
}

TEST(DisplayValuesTest, LogFileWritesTextFromUtf16AsItsCodePoints) {
    const std::string path = vyrtest::ScratchDir() + "/codec.log";
    const wchar_t fromUtf16[] = {L'x', 0xD83D, 0xDE00, 0};
    const wchar_t lone[] = {0xDE00, 0};
    CDsLogFile log(path.c_str());
    EXPECT_TRUE(log.WriteString(CVyrString(fromUtf16)));
    EXPECT_TRUE(log.WriteString(CVyrString(L"x\U0001F600")));
    EXPECT_TRUE(log.WriteString(CVyrString(lone)));
    EXPECT_EQ("x\xF0\x9F\x98\x80\nx\xF0\x9F\x98\x80\n\xEF\xBF\xBD\n", vyrtest::ReadFileBytes(path));
}

TEST(DisplayValuesTest, LogFileAppendsLinesAndPlacesRelativeNamesInTheTemporaryFolder) {
    const std::string folder = vyrtest::ScratchDir();
    const vyrtest::ScopedEnv temp("TEMP", folder.c_str());
    CDsLogFile log("DisplayWarnings.txt");
    EXPECT_EQ(folder + "/DisplayWarnings.txt", log.GetPath());
    EXPECT_TRUE(log.WriteString(CVyrString(L"Display warning: Value out of range !")));
    CDsLogFile again("DisplayWarnings.txt");
    EXPECT_TRUE(again.WriteString(CVyrString(L"zweite Zeile \u00e4"), true));
    EXPECT_TRUE(again.WriteString(CVyrString(L"no end"), false));
    EXPECT_EQ("Display warning: Value out of range !\nzweite Zeile \xc3\xa4\nno end",
              vyrtest::ReadFileBytes(folder + "/DisplayWarnings.txt"));

    const std::string absolute = folder + "/absolute.log";
    CDsLogFile named(absolute.c_str());
    EXPECT_TRUE(named.WriteString(CVyrString(L"x")));
    EXPECT_EQ("x\n", vyrtest::ReadFileBytes(absolute));

    EXPECT_FALSE(CDsLogFile(nullptr).WriteString(CVyrString(L"lost")));
    EXPECT_FALSE(CDsLogFile((folder + "/missing/sub/log.txt").c_str()).WriteString(CVyrString(L"lost")));
}

TEST(DisplayValuesTest, ExceptionMaskSilencesTrapsAndRestoresTheEnvironment) {
    std::feclearexcept(FE_ALL_EXCEPT);
    feenableexcept(FE_DIVBYZERO);
    std::feraiseexcept(FE_INEXACT);
    volatile double zero = 0.0;
    double quotient = 0.0;
    {
        CVyrExceptionMask mask;
        EXPECT_EQ(0, fegetexcept() & FE_DIVBYZERO) << "traps are off inside";
        EXPECT_EQ(0, std::fetestexcept(FE_INEXACT)) << "flags start clear inside";
        quotient = 1.0 / zero;  // would raise SIGFPE without the mask
    }
    EXPECT_TRUE(std::isinf(quotient));
    EXPECT_NE(0, fegetexcept() & FE_DIVBYZERO) << "the trap is back";
    EXPECT_EQ(0, std::fetestexcept(FE_DIVBYZERO)) << "flags raised inside are forgotten";
    EXPECT_NE(0, std::fetestexcept(FE_INEXACT)) << "flags raised before are kept";
    fedisableexcept(FE_ALL_EXCEPT);
    std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(DisplayValuesTest, GeometryComputerBaseFlipsRowsAndPlacesRelativePositions) {
    const CDsGeometryComputerBase computer;
    view3d view;
    view.set_viewport(10, 20, 200, 100);
    EXPECT_EQ(99, computer.ComputeUpsideDownCoordY(&view, 0));
    EXPECT_EQ(0, computer.ComputeUpsideDownCoordY(&view, 99));
    EXPECT_EQ(40, computer.ComputeUpsideDownCoordY(&view, computer.ComputeUpsideDownCoordY(&view, 40)));
    EXPECT_EQ(7, computer.ComputeUpsideDownCoordY(nullptr, 7));

    float x = -1, y = -1;
    computer.ComputeRelativeCoordinates2D(&view, 0.5f, 1.0f, x, y);
    EXPECT_FLOAT_EQ(100.0f, x);
    EXPECT_FLOAT_EQ(100.0f, y);
    int ix = -1, iy = -1;
    computer.ComputeRelativeCoordinates2D(&view, 0.25f, 0.333f, ix, iy);
    EXPECT_EQ(50, ix);
    EXPECT_EQ(33, iy);
    computer.ComputeRelativeCoordinates2D(&view, NAN, 0.5f, x, y);
    EXPECT_EQ(0.0f, x);
    computer.ComputeRelativeCoordinates2D(&view, 1e30f, -1e30f, ix, iy);
    EXPECT_GT(ix, 0);
    EXPECT_LT(iy, 0);
    computer.ComputeRelativeCoordinates2D(nullptr, 0.5f, 0.5f, ix, iy);
    EXPECT_EQ(0, ix);
}

TEST(DisplayValuesTest, ComplexSectionClipsItsListedItemsAndTheirSubtrees) {
    CVyrComplexSection section;
    const int ids[] = {4, 2, 9};
    EXPECT_FALSE(section.IsItemShouldBeClipped(CVyrObjectPath(ids, 3, 1, 7))) << "no item listed";

    section.m_paths.push_back(CVyrObjectPath(ids, 2, 0, 7));
    EXPECT_TRUE(section.IsItemShouldBeClipped(CVyrObjectPath(ids, 2, 0, 7)));
    EXPECT_TRUE(section.IsItemShouldBeClipped(CVyrObjectPath(ids, 3, 1, 7))) << "below a listed item";
    EXPECT_FALSE(section.IsItemShouldBeClipped(CVyrObjectPath(ids, 1, 0, 7))) << "above it";
    EXPECT_FALSE(section.IsItemShouldBeClipped(CVyrObjectPath(ids, 3, 1, 8))) << "another part";
    const int other[] = {4, 3, 9};
    EXPECT_FALSE(section.IsItemShouldBeClipped(CVyrObjectPath(other, 3, 1, 7)));

    const CVyrComplexSection copy(section);
    EXPECT_TRUE(copy.IsItemShouldBeClipped(CVyrObjectPath(ids, 3, 1, 7)));
}
