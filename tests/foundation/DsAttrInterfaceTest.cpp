// Line attributes of document objects through the process-wide entry: each call reaches the
// interface of the object's document type, the touched documents are recorded, ids that name no
// object and documents without an interface are left alone; and the host's active-colour
// callback.
#include "AttrNumberIncrementer.h"
#include "DsActiveAttService.h"
#include "DsAttrInterface.h"
#include "DsColorStorage.h"
#include "DsHideLevel.h"
#include "DsLineAttrMap.h"
#include "TestResets.h"
#include "VyrObjectId.h"
#include "VyrObjectPath.h"
#include "VyrPdmServer.h"
#include "VyrUiToolContext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every call it gets and answers from fixed values.
class RecordingInterface : public CDsCoreLineAttributesInt {
public:
    void ApplyColor(const CVyrObjectId& id, const CDsColorStorage& color, bool, bool,
                    const CAttrNumberIncrementer&) const override
    {
        Note("color", id, static_cast<int>(color.GetColorRef()));
    }
    void ApplyPenWidth(const CVyrObjectId& id, int width, bool, const CAttrNumberIncrementer&) const override
    {
        Note("width", id, width);
    }
    void ApplyPenStyle(const CVyrObjectId& id, int style, bool, const CAttrNumberIncrementer&) const override
    {
        Note("style", id, style);
    }
    void ApplyRenderMode(const CVyrObjectId& id, ERenderMode mode, bool, const CAttrNumberIncrementer&) const override
    {
        Note("mode", id, mode);
    }
    void ApplyHideLevel(const CVyrObjectId& id, const CDsHideLevel&, bool, bool,
                        const CAttrNumberIncrementer&) const override
    {
        Note("hide", id, 0);
    }
    void ApplyTransparency(const CVyrObjectId& id, float transparency, bool,
                           const CAttrNumberIncrementer&) const override
    {
        Note("transparency", id, static_cast<int>(transparency * 100));
    }
    bool GetEntityColor(const CVyrObjectId&, CDsColorStorage& color) const override
    {
        color = CDsColorStorage(1, 2, 3);
        return true;
    }
    bool GetEntityPenWidth(const CVyrObjectId&, int& width) const override { return (width = 4), true; }
    bool GetEntityPenStyle(const CVyrObjectId&, int& style) const override { return (style = 5), true; }
    bool GetEntityTransparency(const CVyrObjectId&, float& t) const override { return (t = 0.5f), true; }
    bool GetEntityRenderMode(const CVyrObjectId&, ERenderMode& mode) const override { return (mode = eRenderShade), true; }
    bool GetHideLevel(const CVyrObjectId&, CDsHideLevel&) const override { return true; }
    ENTITY* GetEntityByObjId(const CVyrObjectId&) const override { return reinterpret_cast<ENTITY*>(0x10); }
    bool BuildObjectPath(ENTITY*, const CVyrUiToolContext* context, CVyrObjectPath&) const override
    {
        Note("path", CVyrObjectId(context->GetDocument().GetNumber(), 0), 0);
        return true;
    }

    struct Call {
        std::string what;
        CVyrObjectId id;
        int value;
    };
    mutable std::vector<Call> calls;

private:
    void Note(const char* what, const CVyrObjectId& id, int value) const { calls.push_back({what, id, value}); }
};

class DsAttrInterfaceTest : public ::testing::Test {
protected:
    DsAttrInterfaceTest()
    {
        VYR_RESET_FOR_TESTS(CDsLineAttrMap::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPdmServer::ResetForTests);
        CDsLineAttrMap::AddInterface(L"Modeler", &modeler_);
        CVyrPdmServer::StInstance()->OpenDocument(CVyrRunTimeDocId(3), L"Modeler");
        CVyrPdmServer::StInstance()->OpenDocument(CVyrRunTimeDocId(4), L"Drafting");
    }
    ~DsAttrInterfaceTest() override
    {
        VYR_RESET_FOR_TESTS(CDsLineAttrMap::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPdmServer::ResetForTests);
        NSDsActiveAttService::SetColorFun(nullptr);
    }

    RecordingInterface modeler_;
    CDsAttrInterface attributes_;
};

TEST_F(DsAttrInterfaceTest, ApplicationsReachTheDocumentTypesInterfaceAndRecordTheDocument)
{
    CAttrNumberIncrementer documents;
    const CVyrObjectId object(3, 17);
    attributes_.ApplyColor(object, CDsColorStorage(0x11, 0x22, 0x33), true, false, documents);
    attributes_.ApplyPenWidth(object, 3, false, documents);
    attributes_.ApplyPenStyle(object, 6, false, documents);
    attributes_.ApplyRenderMode(object, eRenderMixed, false, documents);
    attributes_.ApplyHideLevel(object, CDsHideLevel(), true, true, documents);
    attributes_.ApplyTransparency(object, 0.25f, false, documents);
    ASSERT_EQ(modeler_.calls.size(), 6u);
    const char* kinds[] = {"color", "width", "style", "mode", "hide", "transparency"};
    const int values[] = {0x332211, 3, 6, eRenderMixed, 0, 25};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(modeler_.calls[i].what, kinds[i]);
        EXPECT_EQ(modeler_.calls[i].id, object);
        EXPECT_EQ(modeler_.calls[i].value, values[i]);
    }
    EXPECT_EQ(documents.GetDocuments(), std::set<CVyrRunTimeDocId>{CVyrRunTimeDocId(3)});

    CDsColorStorage color;
    int number = 0;
    float transparency = 0;
    ERenderMode mode = eRenderWireframe;
    CDsHideLevel level;
    EXPECT_TRUE(attributes_.GetEntityColor(object, color));
    EXPECT_EQ(color, CDsColorStorage(1, 2, 3));
    EXPECT_TRUE(attributes_.GetEntityPenWidth(object, number));
    EXPECT_EQ(number, 4);
    EXPECT_TRUE(attributes_.GetEntityPenStyle(object, number));
    EXPECT_EQ(number, 5);
    EXPECT_TRUE(attributes_.GetEntityTransparency(object, transparency));
    EXPECT_EQ(transparency, 0.5f);
    EXPECT_TRUE(attributes_.GetEntityRenderMode(object, mode));
    EXPECT_EQ(mode, eRenderShade);
    EXPECT_TRUE(attributes_.GetHideLevel(object, level));
    EXPECT_EQ(attributes_.GetEntityByObjId(object), reinterpret_cast<ENTITY*>(0x10));
}

TEST_F(DsAttrInterfaceTest, IdsThatNameNoObjectAndDocumentsWithoutAnInterfaceAreLeftAlone)
{
    CAttrNumberIncrementer documents;
    const CVyrObjectId noObjects[] = {CVyrObjectId(3, 0), CVyrObjectId(CVyrObjectId::kNoPart, 17),
                                      CVyrObjectId(4, 17), CVyrObjectId(9, 17), CVyrObjectId(-2, 17),
                                      CVyrObjectId(2000000000, 1)};
    for (const CVyrObjectId& id : noObjects) {
        attributes_.ApplyColor(id, CDsColorStorage(), false, false, documents);
        attributes_.ApplyHideLevel(id, CDsHideLevel(), true, true, documents);
        CDsColorStorage color(7, 7, 7);
        EXPECT_FALSE(attributes_.GetEntityColor(id, color));
        EXPECT_EQ(color, CDsColorStorage(7, 7, 7));
        int width = 9;
        EXPECT_FALSE(attributes_.GetEntityPenWidth(id, width));
        EXPECT_EQ(attributes_.GetEntityByObjId(id), nullptr);
    }
    EXPECT_TRUE(modeler_.calls.empty());
    EXPECT_TRUE(documents.GetDocuments().empty());

    // A document whose interface is registered later is found then: a miss is not remembered.
    RecordingInterface drafting;
    CDsLineAttrMap::AddInterface(L"Drafting", &drafting);
    attributes_.ApplyPenWidth(CVyrObjectId(4, 17), 2, false, documents);
    EXPECT_EQ(drafting.calls.size(), 1u);
}

TEST_F(DsAttrInterfaceTest, PathsAreBuiltByTheInterfaceOfTheToolContextsDocument)
{
    CVyrObjectPath path;
    CVyrUiToolContext part(CVyrRunTimeDocId(3));
    EXPECT_TRUE(attributes_.BuildObjectPath(nullptr, &part, path));
    ASSERT_EQ(modeler_.calls.size(), 1u);
    EXPECT_EQ(modeler_.calls[0].id.GetPartId(), 3);
    CVyrUiToolContext drawing(CVyrRunTimeDocId(4));
    CVyrUiToolContext none;
    EXPECT_FALSE(attributes_.BuildObjectPath(nullptr, &drawing, path));
    EXPECT_FALSE(attributes_.BuildObjectPath(nullptr, &none, path));
    EXPECT_FALSE(attributes_.BuildObjectPath(nullptr, nullptr, path));
    EXPECT_EQ(modeler_.calls.size(), 1u);
}

CVyrUiToolContext* gUpdated = nullptr;
int gUpdates = 0;
void RecordUpdate(CVyrUiToolContext* context)
{
    gUpdated = context;
    ++gUpdates;
}

TEST_F(DsAttrInterfaceTest, TheActiveColourCallbackIsCalledWhileOneIsStored)
{
    gUpdates = 0;
    CVyrUiToolContext context;
    NSDsActiveAttService::UpdateActColor(&context);  // none stored: nothing happens
    EXPECT_EQ(gUpdates, 0);
    NSDsActiveAttService::SetColorFun(RecordUpdate);
    NSDsActiveAttService::UpdateActColor(&context);
    EXPECT_EQ(gUpdates, 1);
    EXPECT_EQ(gUpdated, &context);
    NSDsActiveAttService::SetColorFun(nullptr);
    NSDsActiveAttService::UpdateActColor(&context);
    EXPECT_EQ(gUpdates, 1);
}

}  // namespace
