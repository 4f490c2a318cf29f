// The registry of the line-attribute interfaces of the document types.
#include "DsCoreLineAttributesInt.h"
#include "DsLineAttrMap.h"
#include "TestResets.h"
#include "VyrObjectId.h"
#include "VyrPdmServer.h"
#include "VyrRunTimeDocId.h"

#include <gtest/gtest.h>

#include <climits>

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
    void TearDown() override
    {
        VYR_RESET_FOR_TESTS(CDsLineAttrMap::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPdmServer::ResetForTests);
    }

    static bool Open(int document, const wchar_t* type)
    {
        return CVyrPdmServer::StInstance()->OpenDocument(CVyrRunTimeDocId(document), type);
    }
    static bool Close(int document) { return CVyrPdmServer::StInstance()->CloseDocument(CVyrRunTimeDocId(document)); }
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

TEST_F(DsLineAttrMapTest, AnObjectGetsTheInterfaceOfItsDocumentsType)
{
    const Numbered modeler(1), drafting(2);
    CDsLineAttrMap::AddInterface(CVyrRunTimeDocId::sTypeModeler, &modeler);
    CDsLineAttrMap::AddInterface(CVyrRunTimeDocId::sTypeDrafting, &drafting);
    ASSERT_TRUE(Open(0, CVyrRunTimeDocId::sTypeModeler));
    ASSERT_TRUE(Open(3, CVyrRunTimeDocId::sTypeDrafting));
    ASSERT_TRUE(Open(4, CVyrRunTimeDocId::sTypeModeler));

    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(CVyrObjectId(0, 12))), 1);
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(CVyrObjectId(3, 1))), 2);
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(CVyrObjectId(4, 7))), 1);
    // Asked again (from the cache): the same answers.
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(CVyrObjectId(3, 99))), 2);
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(CVyrObjectId(0, 12))), 1);
    // The object within the document does not matter here, not even 0.
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(CVyrObjectId(3, 0))), 2);
}

TEST_F(DsLineAttrMapTest, NoInterfaceForABadIdAClosedDocumentOrATypeWithoutOne)
{
    const Numbered modeler(1), nc(5);
    CDsLineAttrMap::AddInterface(CVyrRunTimeDocId::sTypeModeler, &modeler);
    ASSERT_TRUE(Open(2, CVyrRunTimeDocId::sTypeModeler));
    ASSERT_TRUE(Open(6, CVyrRunTimeDocId::sTypeNC));

    EXPECT_EQ(CDsLineAttrMap::GetInterface(CVyrObjectId()), nullptr);  // no part
    EXPECT_EQ(CDsLineAttrMap::GetInterface(CVyrObjectId(-1, 4)), nullptr);
    EXPECT_EQ(CDsLineAttrMap::GetInterface(CVyrObjectId(1, 4)), nullptr);        // not open
    EXPECT_EQ(CDsLineAttrMap::GetInterface(CVyrObjectId(INT_MAX, 4)), nullptr);  // nor this one
    // A type without an interface answers none each time, until one is registered for it.
    EXPECT_EQ(CDsLineAttrMap::GetInterface(CVyrObjectId(6, 1)), nullptr);
    EXPECT_EQ(CDsLineAttrMap::GetInterface(CVyrObjectId(6, 1)), nullptr);
    CDsLineAttrMap::AddInterface(CVyrRunTimeDocId::sTypeNC, &nc);
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(CVyrObjectId(6, 1))), 5);

    // A closed document has no interface any more, though one was found for it before.
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(CVyrObjectId(2, 1))), 1);
    ASSERT_TRUE(Close(2));
    EXPECT_EQ(CDsLineAttrMap::GetInterface(CVyrObjectId(2, 1)), nullptr);
}

TEST_F(DsLineAttrMapTest, ADocumentReopenedWithAnotherTypeGetsThatTypesInterface)
{
    const Numbered modeler(1), sheet(4);
    CDsLineAttrMap::AddInterface(CVyrRunTimeDocId::sTypeModeler, &modeler);
    CDsLineAttrMap::AddInterface(CVyrRunTimeDocId::sTypeSheet, &sheet);
    ASSERT_TRUE(Open(5, CVyrRunTimeDocId::sTypeModeler));
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(CVyrObjectId(5, 1))), 1);

    ASSERT_TRUE(Close(5));
    ASSERT_TRUE(Open(5, CVyrRunTimeDocId::sTypeSheet));
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(CVyrObjectId(5, 1))), 4);
    // Reopened with a type that has no interface: none, not the one found before.
    ASSERT_TRUE(Close(5));
    ASSERT_TRUE(Open(5, CVyrRunTimeDocId::sTypeAssembly));
    EXPECT_EQ(CDsLineAttrMap::GetInterface(CVyrObjectId(5, 1)), nullptr);
    ASSERT_TRUE(Close(5));
    ASSERT_TRUE(Open(5, CVyrRunTimeDocId::sTypeModeler));
    EXPECT_EQ(Number(CDsLineAttrMap::GetInterface(CVyrObjectId(5, 1))), 1);
}
