// A document's display attributes in its section "DS_DISPLAY": defaults by document type,
// words stored and read back exactly, garbage left to the default with one warning.
#include "DsDocAttributesManager.h"
#include "PreferencesFixture.h"
#include "VyrPdmClntLayer.h"
#include "VyrPdmServer.h"

#include <gtest/gtest.h>

namespace {

class DsDocAttributesManagerTest : public vyrtest::PreferencesTest {
protected:
    void TearDown() override
    {
        VYR_RESET_FOR_TESTS(CVyrPdmServer::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPdmClntLayer::ResetForTests);
    }
    CDsDocAttributesManager Open(int number, const wchar_t* type)
    {
        const CVyrRunTimeDocId id(number);
        EXPECT_TRUE(CVyrPdmServer::StInstance()->OpenDocument(id, type));
        return CDsDocAttributesManager(id);
    }
    static CVyrString Stored(int number, const wchar_t* key)
    {
        CVyrString value;
        CVyrPdmClntLayer::Instance()->ReadString(CVyrRunTimeDocId(number), key, value, L"DS_DISPLAY");
        return value;
    }
    static void Store(int number, const wchar_t* key, const wchar_t* value)
    {
        ASSERT_TRUE(CVyrPdmClntLayer::Instance()->WriteString(CVyrRunTimeDocId(number), key, value, L"DS_DISPLAY", 2));
    }
};

}  // namespace

TEST_F(DsDocAttributesManagerTest, DefaultsFollowTheDocumentType)
{
    EXPECT_EQ(Open(1, L"Modeler").ReadRenderMode(), eRenderShade);
    EXPECT_EQ(Open(2, L"NC").ReadRenderMode(), eRenderShade);
    EXPECT_EQ(Open(3, L"Assembly").ReadRenderMode(), eRenderMixed);
    EXPECT_EQ(Open(4, L"Drafting").ReadRenderMode(), eRenderShade);
    CDsDocAttributesManager sheet = Open(5, L"Sheet");
    EXPECT_EQ(sheet.ReadRenderMode(), eRenderWireframe);
    EXPECT_EQ(sheet.ReadSilhouetteLevel(), eDsSilhouetteCylinders);
    EXPECT_TRUE(sheet.ReadDatumsState());
    EXPECT_FALSE(sheet.ReadThreadsState());
    EXPECT_FALSE(sheet.ReadOpenEdgesState());
    EXPECT_FALSE(sheet.ReadHoleAttributesState());
    EXPECT_TRUE(sheet.ReadEdgesInShadeState());
    EXPECT_TRUE(sheet.ReadIgnoreEdgesDuringRotateState());
    EXPECT_EQ(sheet.ReadTransViewNumber(), 25);
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(DsDocAttributesManagerTest, WrittenValuesAreStoredAsTheirWordsAndReadBack)
{
    CDsDocAttributesManager doc = Open(1, L"Modeler");
    for (int mode = 0; mode < 5; ++mode) {
        doc.WriteRenderMode(static_cast<ERenderMode>(mode));
        EXPECT_EQ(doc.ReadRenderMode(), mode);
    }
    EXPECT_EQ(Stored(1, L"DS_RENDER_MODE"), L"DS_RM_MIXED");
    doc.WriteRenderMode(eRenderHiddenLines);
    EXPECT_EQ(Stored(1, L"DS_RENDER_MODE"), L"DS_RM_HIDDEN_LINES");
    doc.WriteSilhouetteLevel(eDsSilhouetteAll);
    EXPECT_EQ(Stored(1, L"DS_DETAILS_SILHOUETTE"), L"DS_SILHOUETTE_ALL");
    EXPECT_EQ(doc.ReadSilhouetteLevel(), eDsSilhouetteAll);
    doc.WriteSilhouetteLevel(eDsSilhouetteNone);
    EXPECT_EQ(doc.ReadSilhouetteLevel(), eDsSilhouetteNone);

    doc.WriteDatumsState(false);
    doc.WriteThreadsState(true);
    doc.WriteOpenEdgesState(true);
    doc.WriteEdgesInShadeState(false);
    doc.WriteIgnoreEdgesDuringRotateState(false);
    doc.WriteHoleAttributesState(true);
    EXPECT_FALSE(doc.ReadDatumsState());
    EXPECT_TRUE(doc.ReadThreadsState());
    EXPECT_TRUE(doc.ReadOpenEdgesState());
    EXPECT_FALSE(doc.ReadEdgesInShadeState());
    EXPECT_FALSE(doc.ReadIgnoreEdgesDuringRotateState());
    EXPECT_TRUE(doc.ReadHoleAttributesState());
    // The key keeps its blank, in the same section.
    EXPECT_EQ(Stored(1, L"Hole Attribute"), L"DS_TRUE");
    EXPECT_EQ(Stored(1, L"DS_DETAILS_DATUMS"), L"DS_FALSE");

    doc.WriteTransViewNumber(40);
    EXPECT_EQ(doc.ReadTransViewNumber(), 40);
    // A write marks the document changed with kind 2.
    EXPECT_EQ(CVyrPdmClntLayer::Instance()->GetChangeMarks(CVyrRunTimeDocId(1)) & 2u, 2u);
    // Another document's data is its own.
    EXPECT_EQ(Open(2, L"Modeler").ReadRenderMode(), eRenderShade);
}

TEST_F(DsDocAttributesManagerTest, AValueOutsideTheEnumerationStoresAnEmptyTextThatReadsAsTheDefault)
{
    CDsDocAttributesManager doc = Open(1, L"Assembly");
    doc.WriteRenderMode(eRenderShade);
    doc.WriteRenderMode(static_cast<ERenderMode>(7));
    EXPECT_EQ(Stored(1, L"DS_RENDER_MODE"), L"");
    EXPECT_EQ(doc.ReadRenderMode(), eRenderMixed);
    doc.WriteSilhouetteLevel(static_cast<EDsSilhouetteLevel>(-1));
    EXPECT_EQ(Stored(1, L"DS_DETAILS_SILHOUETTE"), L"");
    EXPECT_EQ(doc.ReadSilhouetteLevel(), eDsSilhouetteCylinders);
}

TEST_F(DsDocAttributesManagerTest, GarbageInTheDocumentGivesTheDefaultOneWarningAndStaysAsItIs)
{
    CDsDocAttributesManager doc = Open(1, L"Modeler");
    Store(1, L"DS_RENDER_MODE", L"ds_rm_wireframe");  // words compare with their case
    Store(1, L"DS_DETAILS_DATUMS", L"yes");
    Store(1, L"PICTURE_NUMBER_FOR_TRANS_VIEW", L"forty");
    EXPECT_EQ(doc.ReadRenderMode(), eRenderShade);
    EXPECT_TRUE(doc.ReadDatumsState());
    EXPECT_EQ(doc.ReadTransViewNumber(), 25);
    const auto lines = Warnings();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("DS_RENDER_MODE"), std::string::npos);
    EXPECT_NE(lines[1].find("DS_DETAILS_DATUMS"), std::string::npos);
    EXPECT_NE(lines[2].find("PICTURE_NUMBER_FOR_TRANS_VIEW"), std::string::npos);
    EXPECT_EQ(Stored(1, L"DS_RENDER_MODE"), L"ds_rm_wireframe");
    // An integer where a word belongs is garbage as well.
    ASSERT_TRUE(CVyrPdmClntLayer::Instance()->WriteInt(CVyrRunTimeDocId(1), L"DS_EDGES_ON_SHADE", 0, L"DS_DISPLAY", 2));
    EXPECT_TRUE(doc.ReadEdgesInShadeState());
    EXPECT_EQ(Warnings().size(), 4u);
}

TEST_F(DsDocAttributesManagerTest, TheTransitionPictureCountDefaultsToThePreference)
{
    General(L"AnimationViewNumbers", 12);
    CDsDocAttributesManager doc = Open(1, L"Modeler");
    EXPECT_EQ(doc.ReadTransViewNumber(), 12);
    doc.WriteTransViewNumber(30);
    EXPECT_EQ(doc.ReadTransViewNumber(), 30);
}
