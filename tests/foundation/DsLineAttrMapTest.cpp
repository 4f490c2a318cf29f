// The registry of the line-attribute interfaces of the document types.
#include "DsCoreLineAttributesInt.h"
#include "DsLineAttrMap.h"
#include "VyrObjectId.h"

#include <gtest/gtest.h>

namespace {

// An interface that answers only which one it is, through the pen width.
class Numbered : public CDsCoreLineAttributesInt {
public:
    explicit Numbered(int number) : number_(number) {}
    void ApplyColor(const CVyrObjectId&, const CDsColorStorage&, bool, bool, const CAttrNumberIncrementer&) const override {}
    void ApplyPenWidth(const CVyrObjectId&, int, bool, const CAttrNumberIncrementer&) const override {}
    void ApplyPenStyle(const CVyrObjectId&, int, bool, const CAttrNumberIncrementer&) const override {}
    void ApplyRenderMode(const CVyrObjectId&, ERenderMode, bool, const CAttrNumberIncrementer&) const override {}
    void ApplyHideLevel(const CVyrObjectId&, const CDsHideLevel&, bool, bool, const CAttrNumberIncrementer&) const override {}
    void ApplyTransparency(const CVyrObjectId&, float, bool, const CAttrNumberIncrementer&) const override {}
    bool GetEntityColor(const CVyrObjectId&, CDsColorStorage&) const override { return false; }
    bool GetEntityPenWidth(const CVyrObjectId&, int& width) const override
    {
        width = number_;
        return true;
    }
    bool GetEntityPenStyle(const CVyrObjectId&, int&) const override { return false; }
    bool GetEntityTransparency(const CVyrObjectId&, float&) const override { return false; }
    bool GetEntityRenderMode(const CVyrObjectId&, ERenderMode&) const override { return false; }
    bool GetHideLevel(const CVyrObjectId&, CDsHideLevel&) const override { return false; }
    ENTITY* GetEntityByObjId(const CVyrObjectId&) const override { return nullptr; }
    bool BuildObjectPath(ENTITY*, const CVyrUiToolContext*, CVyrObjectPath&) const override { return false; }

private:
    int number_;
};

int Number(const CDsCoreLineAttributesInt* lineAttributes)
{
    int width = -1;
    if (lineAttributes) lineAttributes->GetEntityPenWidth(CVyrObjectId(1, 1), width);
    return width;
}

class DsLineAttrMapTest : public ::testing::Test {
protected:
    void TearDown() override { CDsLineAttrMap::ResetForTests(); }
};

}  // namespace

TEST_F(DsLineAttrMapTest, TheFirstInterfaceRegisteredUnderANameStays)
{
    const Numbered part(1), sheet(2), later(3);
    EXPECT_EQ(CDsLineAttrMap::GetInterface(L"Part"), nullptr);
    CDsLineAttrMap::AddInterface(L"Part", nullptr);  // nothing to register
    const CDsLineAttrRegister registerPart(L"Part", &part);
    CDsLineAttrMap::AddInterface(L"Sheet", &sheet);
    CDsLineAttrMap::AddInterface(L"Part", &later);
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(L"Part")), 1);
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(L"Sheet")), 2);
    EXPECT_EQ(CDsLineAttrMap::GetInterface(L"part"), nullptr);  // names are exact
    EXPECT_EQ(CDsLineAttrMap::GetInterface(L""), nullptr);
}
