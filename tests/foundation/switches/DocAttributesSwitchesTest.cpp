// The command-line switches of the document display attributes, as a program started with them
// sees them. The same cases run in three programs, each started with other switches:
//   /RenderMode=WIREFRAME /HideDatums /ShowThreads /SilhouetteMode=none
//   /RenderMode=shade
//   /RenderMode=HIDDEN /ShowOpenEdges /SilhouetteMode=bogus
#include "DsDocAttributesManager.h"
#include "TestResets.h"
#include "VyrCommandLineParser.h"
#include "VyrPdmClntLayer.h"
#include "VyrPdmServer.h"

#include <gtest/gtest.h>

namespace {

class DocAttributesSwitchesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CVyrString value;
        ASSERT_TRUE(CVyrCommandLineParser::GetInstance()->GetParamValue(L"RenderMode", value));
        switch_ = value.GetString();
    }
    void TearDown() override
    {
        VYR_RESET_FOR_TESTS(CVyrPdmServer::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPdmClntLayer::ResetForTests);
    }
    CDsDocAttributesManager Open(int number, const wchar_t* type)
    {
        EXPECT_TRUE(CVyrPdmServer::StInstance()->OpenDocument(CVyrRunTimeDocId(number), type));
        return CDsDocAttributesManager(CVyrRunTimeDocId(number));
    }
    static void Store(int number, const wchar_t* key, const wchar_t* value)
    {
        ASSERT_TRUE(CVyrPdmClntLayer::Instance()->WriteString(CVyrRunTimeDocId(number), key, value, L"DS_DISPLAY", 2));
    }
    std::wstring switch_;
};

}  // namespace

TEST_F(DocAttributesSwitchesTest, ADraftingDocumentShadesWhateverTheSwitchSays)
{
    EXPECT_EQ(Open(1, L"Drafting").ReadRenderMode(), eRenderShade);
}

TEST_F(DocAttributesSwitchesTest, TheSwitchChoosesTheDefaultRenderModeOfOtherDocuments)
{
    const ERenderMode assembly = Open(1, L"Assembly").ReadRenderMode();
    const ERenderMode modeler = Open(2, L"Modeler").ReadRenderMode();
    const ERenderMode sheet = Open(3, L"Sheet").ReadRenderMode();
    if (switch_ == L"WIREFRAME") {
        EXPECT_EQ(assembly, eRenderWireframe);
        EXPECT_EQ(modeler, eRenderWireframe);
        EXPECT_EQ(sheet, eRenderWireframe);
    } else if (switch_ == L"shade") {  // compared without regard to case
        EXPECT_EQ(assembly, eRenderShade);
        EXPECT_EQ(modeler, eRenderShade);
        EXPECT_EQ(sheet, eRenderShade);
    } else {  // a word the switch does not know leaves the type's mode
        EXPECT_EQ(assembly, eRenderMixed);
        EXPECT_EQ(modeler, eRenderShade);
        EXPECT_EQ(sheet, eRenderWireframe);
    }
}

TEST_F(DocAttributesSwitchesTest, AStoredModeWinsOverTheSwitchOnlyWhenItIsAKnownWord)
{
    CDsDocAttributesManager doc = Open(1, L"Sheet");
    Store(1, L"DS_RENDER_MODE", L"DS_RM_SHADE");
    EXPECT_EQ(doc.ReadRenderMode(), eRenderShade);
    Store(1, L"DS_RENDER_MODE", L"ds_rm_shade");
    EXPECT_EQ(doc.ReadRenderMode(), switch_ == L"shade" ? eRenderShade : eRenderWireframe);
}

TEST_F(DocAttributesSwitchesTest, DetailSwitchesTurnTheirDefaultsOverAndStoredValuesWin)
{
    CDsDocAttributesManager doc = Open(1, L"Modeler");
    const bool first = switch_ == L"WIREFRAME", third = switch_ == L"HIDDEN";
    EXPECT_EQ(doc.ReadDatumsState(), !first);
    EXPECT_EQ(doc.ReadThreadsState(), first);
    EXPECT_EQ(doc.ReadOpenEdgesState(), third);
    EXPECT_EQ(doc.ReadSilhouetteLevel(), first ? eDsSilhouetteNone : eDsSilhouetteCylinders);
    Store(1, L"DS_DETAILS_DATUMS", L"DS_TRUE");
    Store(1, L"DS_DETAILS_THREADS", L"DS_FALSE");
    Store(1, L"DS_DETAILS_SILHOUETTE", L"DS_SILHOUETTE_ALL");
    EXPECT_TRUE(doc.ReadDatumsState());
    EXPECT_FALSE(doc.ReadThreadsState());
    EXPECT_EQ(doc.ReadSilhouetteLevel(), eDsSilhouetteAll);
}
