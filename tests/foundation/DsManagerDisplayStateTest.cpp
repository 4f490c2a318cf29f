// The display manager's display state: colours, UCS size, the entity-type service, the clipped
// component, the default font, the scene database's special colours, and the points palette
// that a new manager already has.
#include "DisplayStateGuard.h"

#include "DsAttributes.h"
#include "DsManager.h"
#include "DsPointsPalette.h"
#include "DsScene.h"
#include "DsSetEntityType.h"
#include "UiResourceManager.h"
#include "VyrObjectPath.h"
#include "view3d.h"

#include <gtest/gtest.h>

namespace {

class DsManagerDisplayStateTest : public ::testing::Test {
protected:
    vyrtest::DisplayStateGuard guard_;
    CDsManager* manager_ = CDsManager::GetInstance();
};

class TypeService : public CDsSetEntityType {
public:
    int GetObjectType(ENTITY*) const override { return 7; }
};

}  // namespace

TEST_F(DsManagerDisplayStateTest, ColoursAndSizesStartAtTheirDefaultsAndAreKept)
{
    CDsColorStorage color(1, 2, 3);
    manager_->GetDefaultColor(color);
    EXPECT_EQ(color, CDsColorStorage());
    manager_->SetDefaultColor(CDsColorStorage(0, 0, 255));
    manager_->GetDefaultColor(color);
    EXPECT_EQ(color, CDsColorStorage(0, 0, 255));

    manager_->GetMonochromColor(color, true);
    EXPECT_EQ(color, CDsColorStorage(200, 200, 200));
    manager_->GetMonochromColor(color, false);
    EXPECT_EQ(color, CDsColorStorage());
    manager_->SetMonochromColor(CDsColorStorage(10, 20, 30), false);
    manager_->GetMonochromColor(color, false);
    EXPECT_EQ(color, CDsColorStorage(10, 20, 30));
    manager_->GetMonochromColor(color, true);
    EXPECT_EQ(color, CDsColorStorage(200, 200, 200));

    EXPECT_EQ(manager_->GetUcsSize(), 10);
    manager_->SetUcsSize(24);
    EXPECT_EQ(manager_->GetUcsSize(), 24);
    manager_->Terminate();  // changes nothing
    EXPECT_EQ(manager_->GetUcsSize(), 24);
}

TEST_F(DsManagerDisplayStateTest, TheEntityTypeServiceAndTheClippedComponentAreKept)
{
    EXPECT_EQ(manager_->GetEntityType(), nullptr);
    const TypeService service;
    manager_->SetType(&service);
    ASSERT_EQ(manager_->GetEntityType(), &service);
    EXPECT_EQ(manager_->GetEntityType()->GetObjectType(nullptr), 7);

    EXPECT_TRUE(manager_->GetCurrentClippedComponent().IsEmpty());
    EXPECT_EQ(manager_->GetCurrentClippedComponent().GetPartId(), CVyrObjectPath::kNoPart);
    const int ids[] = {4, 5, 6, 7, 8};
    manager_->SetCurrentClippedComponent(CVyrObjectPath(ids, 5, 2, 31));
    const CVyrObjectPath& clipped = manager_->GetCurrentClippedComponent();
    EXPECT_EQ(clipped.GetSize(), 5);
    EXPECT_EQ(clipped.GetLastId(), 8);
    EXPECT_EQ(clipped.GetDepth(), 2);
    EXPECT_EQ(clipped.GetPartId(), 31);
}

TEST_F(DsManagerDisplayStateTest, TheDefaultFontIsTheFontStoragesDefaultName)
{
    CVyrString name(L"Courier New");
    CDsNFontStorage::StSetDefaultFontName(name);
    EXPECT_STREQ(manager_->GetDefaultFont().GetString(), L"Courier New");
}

TEST_F(DsManagerDisplayStateTest, SpecialColoursChangeOnlyTheirSceneSetsAndTheMarkSetTwice)
{
    CDsAttributes dim = CDsScene::GetSpecialAttrs(eAttribSetDim);
    dim.SetLineWidth(3);
    CDsScene::SetSpecialAttrs(eAttribSetDim, dim);
    manager_->SetSpecialAttrColor(eAttribSetDim, 0x123456);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(eAttribSetDim).GetColor(), 0x123456u);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(eAttribSetDim).GetLineWidth(), 3);  // the rest stays

    const unsigned slave = CDsScene::GetSpecialAttrs(eAttribSetMarkedSlave).GetColor();
    manager_->SetSpecialAttrColor(eAttribSetHighlight, 0x00AA00);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(eAttribSetHighlight).GetColor(), 0x00AA00u);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(eAttribSetMarkedSlave).GetColor(), slave);
    manager_->SetSpecialAttrColor(eAttribSetMark, 0x0000BB);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(eAttribSetMark).GetColor(), 0x0000BBu);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(eAttribSetMarkedSlave).GetColor(), 0x0000BBu);
    // The library's own special line attributes are a separate table.
    EXPECT_EQ(CDsLineAttribStorage::StGetSpecialAttributes(eAttribSetMark)->GetColor(), CDsColorStorage(0, 191, 94));
}

TEST_F(DsManagerDisplayStateTest, ANewManagerHasAPointsPaletteWithAnEmptyMarkerTable)
{
    CDsPointsPalette* palette = manager_->GetPointsPalette();
    ASSERT_NE(palette, nullptr);
    for (int style = 0; style < CDsPointsPalette::kStyleCount; ++style)
        for (int sizeClass = 0; sizeClass < CDsPointsPalette::kSizeClassCount; ++sizeClass)
            EXPECT_EQ(palette->GetMarker(style, sizeClass), nullptr);
    const HINSTANCE remembered = gUiRememberedResourceHandle;  // the markers' load switches resources
    view3d view;
    manager_->DrawPoint(view, SPAposition(1, 2, 3), static_cast<EPointStyle>(3), 8, false);
    manager_->DrawPointOnTraverse(view, SPAposition(1, 2, 3), true, ePointStyleByType, 20);
    EXPECT_EQ(view.get_pick_mode(), 0);
    palette->ClearMarkers();
    gUiRememberedResourceHandle = remembered;
}
