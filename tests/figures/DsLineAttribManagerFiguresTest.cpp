// The line-attribute manager's commands by figure: each figure of a list takes the value, the
// context's display is suspended only for the length of a command, and nothing happens without a
// context.
#include "DsFigure.h"
#include "DsFigureGenerator.h"
#include "DsFigureList.h"
#include "DsGlContext.h"
#include "DsItemsFigure.h"
#include "DsLineAttribManager.h"
#include "GmPosition.h"

#include "ViewStaticsGuard.h"

#include <gtest/gtest.h>

namespace {

// A short line.
class CLineFigure : public CDsFigure {
public:
    int DefineFig(CDsFigureGenerator& generator) override
    {
        const CGmPosition ends[2] = {CGmPosition(0, 0, 0), CGmPosition(1, 0, 0)};
        generator.DrawPolyline(2, ends);
        return 1;
    }
};

class LineAttribManagerFiguresTest : public ::testing::Test {
protected:
    LineAttribManagerFiguresTest()
    {
        manager.SetRenderingContext(&context);
        list.add(&a);
        list.add(nullptr);  // a list may hold a null entry: skipped
        list.add(&b);
    }
    vyrtest::ViewStaticsGuard statics;
    CDsGlContext context;
    CDsLineAttribManager manager;
    CLineFigure a, b;
    CDsFigureList list;
};

}  // namespace

TEST_F(LineAttribManagerFiguresTest, ColourStyleAndWidthReachEveryFigureWithTheDisplaySuspendedMeanwhile)
{
    const CDsColorStorage red(255, 0, 0);
    manager.ApplyColor(&list, &red);
    manager.ApplyStyle(&list, 2);
    manager.ApplyWidth(&list, 3);
    for (CLineFigure* f : {&a, &b}) {
        EXPECT_EQ(f->GetLineAttributes().GetColor(), red);
        EXPECT_EQ(f->GetLineAttributes().GetStyle(), 2);
        EXPECT_EQ(f->GetLineAttributes().GetWidth(), 3);
    }
    EXPECT_FALSE(context.GetDisplaySuspensionMode());

    CDsLineAttribStorage look;
    look.SetColor(CDsColorStorage(0, 0, 255));
    look.SetWidth(5);
    manager.ApplyAttributes(&list, &look);
    for (CLineFigure* f : {&a, &b}) {
        ASSERT_NE(f->GetDlFigure(), nullptr);  // defined on the way
        EXPECT_EQ(f->GetLineAttributes().GetColor(), CDsColorStorage(0, 0, 255));
        EXPECT_EQ(f->GetLineAttributes().GetWidth(), 5);
    }
    EXPECT_FALSE(context.GetDisplaySuspensionMode());
}

TEST_F(LineAttribManagerFiguresTest, VisibilityCommandsSetTheLevelOfEachFigure)
{
    const auto marked = [](const CDsFigure& f) {
        return (f.GetLineAttributes().GetFlags() & CDsLineAttribStorage::eFlagMark) != 0;
    };
    manager.MarkList(&list, true);
    EXPECT_TRUE(marked(a));
    EXPECT_TRUE(marked(b));
    manager.MarkList(&list, false);
    EXPECT_FALSE(marked(a));
    manager.DimFigure(&a, true, false);
    EXPECT_EQ(a.GetLineAttributes().GetVisibility(), eVisibilityDim);
    manager.ApplyVisibility(eVisibilityLevel5, &list, true);
    EXPECT_EQ(b.GetLineAttributes().GetVisibility(), eVisibilityLevel5);
    manager.HighlightFigure(&b, true, false);
    EXPECT_TRUE(b.GetLineAttributes().GetFlags() & CDsLineAttribStorage::eFlagHighlight);
    EXPECT_FALSE(context.GetDisplaySuspensionMode());
}

TEST_F(LineAttribManagerFiguresTest, WithoutAContextOrAListNothingHappens)
{
    CDsLineAttribManager lonely;
    const CDsColorStorage red(255, 0, 0);
    const CDsColorStorage before = a.GetLineAttributes().GetColor();
    lonely.ApplyColor(&list, &red);
    lonely.MarkFigure(&a, true, false);
    EXPECT_EQ(a.GetLineAttributes().GetColor(), before);
    EXPECT_FALSE(a.GetLineAttributes().GetFlags() & CDsLineAttribStorage::eFlagMark);
    manager.ApplyColor(nullptr, &red);
    manager.ApplyColor(&list, nullptr);
    manager.ApplyAttributes(&list, nullptr);
    manager.HighlightFigure(nullptr, true, false);
}
