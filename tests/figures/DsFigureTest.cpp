// Figures without a window: definition on first use, the attribute table's edge cases, the
// figure geometry's answers with and without groups, and recording without a view.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsFigureGeometry.h"
#include "DsItemsFigure.h"
#include "DsRectangle.h"
#include "DsView3dCdc.h"
#include "GmPosition.h"
#include "GmTransformation.h"

#include "ViewStaticsGuard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A square outline of half-size 10 about the origin; DefineFig answers `answer`; an optional
// impersonal part holds a second, larger square.
class CSquareFigure : public CDsFigure {
public:
    explicit CSquareFigure(int answer = 1, bool impersonal = false) : m_answer(answer), m_impersonal(impersonal) {}
    int DefineFig(CDsFigureGenerator& generator) override
    {
        ++defines;
        Square(generator, 10);
        return m_answer;
    }
    bool DefineImpersonalPart(CDsFigureGenerator& generator) override
    {
        if (m_impersonal) Square(generator, 40);
        return m_impersonal;
    }
    int defines = 0;

private:
    static void Square(CDsFigureGenerator& generator, double h)
    {
        const CGmPosition corners[5] = {CGmPosition(-h, -h, 0), CGmPosition(h, -h, 0), CGmPosition(h, h, 0),
                                        CGmPosition(-h, h, 0), CGmPosition(-h, -h, 0)};
        generator.DrawPolyline(5, corners);
    }
    int m_answer;
    bool m_impersonal;
};

}  // namespace

TEST(DsFigureTest, AFigureIsDefinedByItsFirstAttributeChangeAndKeepsTheStoredValuesTheTableSays)
{
    vyrtest::ViewStaticsGuard statics;
    CSquareFigure figure;
    EXPECT_EQ(figure.GetType(), -1);
    EXPECT_EQ(figure.GetVisibility(), -1);  // no group yet
    EXPECT_EQ(figure.defines, 0);
    EXPECT_TRUE(figure.IsDefinitionPending());

    figure.SetColor(CDsColorStorage(0, 255, 0), false);
    EXPECT_EQ(figure.defines, 1);
    ASSERT_NE(figure.GetDlFigure(), nullptr);
    EXPECT_EQ(figure.GetDlFigure()->GetFigure(), &figure);
    EXPECT_FALSE(figure.IsDefinitionPending());
    EXPECT_EQ(figure.GetColor().GetValue(), CDsColorStorage(0, 255, 0).GetValue());

    // Width -1 makes figure and group inherit; values out of range are not stored.
    figure.SetWidth(-1, false);
    EXPECT_EQ(figure.GetLineAttributes().GetWidth(), 0);
    EXPECT_EQ(figure.GetWidth(), 0);
    figure.SetWidth(3, false);
    figure.SetWidth(9, false);
    EXPECT_EQ(figure.GetLineAttributes().GetWidth(), 3);
    figure.SetStyle(4, false);
    figure.SetStyle(40, false);
    EXPECT_EQ(figure.GetLineAttributes().GetStyle(), 4);

    figure.SetVisibility(eVisibilityDim, true, false);
    EXPECT_EQ(figure.GetVisibility(), eVisibilityDim);

    // Exclusive-or drawing puts the figure on top.
    figure.SetDrawMode(eDsDrawModeXor);
    EXPECT_TRUE(figure.GetLineAttributes().GetOnTopFlag());
    EXPECT_TRUE(figure.GetDlFigure()->GetOnTopFlag());

    // A flag redefines the figure and reaches its group.
    const int before = figure.defines;
    figure.SetFlag(eDsItemFlagNoExtents);
    EXPECT_EQ(figure.defines, before + 1);
    EXPECT_TRUE(figure.GetFlag(eDsItemFlagNoExtents));
    EXPECT_TRUE(figure.GetDlFigure()->GetFlag(eDsItemFlagNoExtents));
}

TEST(DsFigureTest, RecordingWithoutAViewOrInExclusiveOrModeRecordsNothing)
{
    vyrtest::ViewStaticsGuard statics;  // no current view
    CSquareFigure figure;
    figure.Record(true, nullptr);
    EXPECT_FALSE(figure.IsRecorded());
    EXPECT_FALSE(figure.GetObjectId().IsValid());
    CVyrObjectPath path(5);
    EXPECT_FALSE(figure.GetPath(path));
    EXPECT_EQ(path.GetPartId(), 5);  // untouched

    CSquareFigure xorFigure;
    xorFigure.SetDrawMode(eDsDrawModeXor);
    xorFigure.Record(true, nullptr);
    EXPECT_FALSE(xorFigure.IsRecorded());
    EXPECT_EQ(xorFigure.defines, 0);  // drawn never, defined never

    // A definition that answers 0 leaves no main group.
    CSquareFigure empty(0);
    empty.ReDefineFig();
    EXPECT_EQ(empty.GetDlFigure(), nullptr);
    EXPECT_EQ(empty.GetItemsFig(), nullptr);

    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    empty.GetBoundingRectangle(nullptr, x0, x1, y0, y1);
    EXPECT_EQ(x0, -1.0);
    EXPECT_EQ(x1, -1.0);
    EXPECT_EQ(y0, -1.0);
    EXPECT_EQ(y1, -1.0);
}

TEST(DsFigureTest, TheFigureGeometryAnswersFromTheFiguresGroupsAndNeutrallyWithoutThem)
{
    vyrtest::ViewStaticsGuard statics;
    CSquareFigure figure(1, true);
    {
        CDsFigureGeometry bare(&figure, 7);
        SPAbox box;
        EXPECT_FALSE(bare.HasBoundBox(0));
        EXPECT_FALSE(bare.GetBoundBox(box, 0));
        EXPECT_EQ(bare.GetDrawPrimitives(0), 0);
        SDsBox2D box2d{};
        EXPECT_FALSE(bare.GetBoundBox2D(box2d, 0));
        float* vertices = nullptr;
        int count = 0;
        EXPECT_EQ(bare.GetVertices(CDsGeometry::eDpLines, 0, vertices, count, 0), -1);
        SPAposition p;
        EXPECT_FALSE(bare.GetPoint(CDsGeometry::ePpStart, p, 0));
        unsigned int connected = 9;
        EXPECT_EQ(bare.GetConnectedItems(connected, 0), nullptr);
        EXPECT_EQ(connected, 0u);
    }

    figure.ReDefineFig();
    ASSERT_NE(figure.GetDlFigure(), nullptr);
    ASSERT_NE(figure.GetImpersonalPart(), nullptr);
    EXPECT_EQ(figure.GetItemsFig(), figure.GetDlFigure());
    CDsFigureGeometry geometry(&figure, 7);
    EXPECT_EQ(geometry.GetFigItem(), figure.GetDlFigure());
    ASSERT_TRUE(geometry.HasBoundBox(0));
    SPAbox box;
    ASSERT_TRUE(geometry.GetBoundBox(box, 0));
    EXPECT_NEAR(box.low().x(), -10, 1e-6);  // the main group's box
    EXPECT_NEAR(box.high().y(), 10, 1e-6);
    EXPECT_TRUE(geometry.GetDrawPrimitives(0) & CDsGeometry::eDpLines);

    std::unique_ptr<CDsGeometry> clone(geometry.Clone());
    auto* copy = dynamic_cast<CDsFigureGeometry*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetFigure(), &figure);
    EXPECT_EQ(copy->GetSubType(), 7);
    ASSERT_TRUE(copy->GetBoundBox(box, 0));
    EXPECT_NEAR(box.low().x(), -10, 1e-6);
}
