// The document layers: open documents and their types, per-document texts and integers that
// live and die with the document, and the change marks of writes.
#include "TestResets.h"
#include "VyrPdmClntLayer.h"
#include "VyrPdmServer.h"
#include "VyrPrefManager.h"
#include "VyrRunTimeDocId.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const wchar_t kSection[] = L"DS_DISPLAY";

class PdmTest : public ::testing::Test {
protected:
    PdmTest() { Reset(); }
    ~PdmTest() override { Reset(); }
    static void Reset() {
        VYR_RESET_FOR_TESTS(CVyrPdmServer::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPdmClntLayer::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPrefManager::ResetForTests);
    }

    CVyrPdmServer* server_ = CVyrPdmServer::StInstance();
    CVyrPdmClntLayer* layer_ = CVyrPdmClntLayer::Instance();
};

TEST_F(PdmTest, DocumentsAnswerTheirTypeWhileOpen) {
    const CVyrRunTimeDocId part(3), sheet(8);
    EXPECT_EQ(part.GetType(), L"");
    ASSERT_TRUE(server_->OpenDocument(part, CVyrRunTimeDocId::sTypeModeler));
    ASSERT_TRUE(server_->OpenDocument(sheet, L"Sheet"));
    EXPECT_EQ(part.GetType(), L"Modeler");
    EXPECT_EQ(server_->GetType(8), CVyrRunTimeDocId::sTypeSheet);
    EXPECT_TRUE(server_->IsOpen(CVyrRunTimeDocId(3)));

    // A number opens once; no document is opened without a number or a type.
    EXPECT_FALSE(server_->OpenDocument(part, L"Assembly"));
    EXPECT_EQ(part.GetType(), L"Modeler");
    EXPECT_FALSE(server_->OpenDocument(CVyrRunTimeDocId(), L"Modeler"));
    EXPECT_FALSE(server_->OpenDocument(CVyrRunTimeDocId(-5), L"Modeler"));
    EXPECT_FALSE(server_->OpenDocument(CVyrRunTimeDocId(4), L""));
    EXPECT_EQ(server_->GetType(-1), L"");

    ASSERT_TRUE(server_->CloseDocument(part));
    EXPECT_EQ(part.GetType(), L"");
    EXPECT_FALSE(server_->CloseDocument(part));
    EXPECT_EQ(sheet.GetType(), L"Sheet");
}

TEST_F(PdmTest, IdsNameDocumentsByNumber) {
    EXPECT_FALSE(CVyrRunTimeDocId().IsValid());
    EXPECT_EQ(CVyrRunTimeDocId(-7), CVyrRunTimeDocId());
    EXPECT_TRUE(CVyrRunTimeDocId(0).IsValid());
    const CVyrRunTimeDocId copy = CVyrRunTimeDocId(12);
    EXPECT_EQ(copy.GetNumber(), 12);
    const std::set<CVyrRunTimeDocId> touched{CVyrRunTimeDocId(9), CVyrRunTimeDocId(2), CVyrRunTimeDocId(9)};
    ASSERT_EQ(touched.size(), 2u);
    EXPECT_EQ(touched.begin()->GetNumber(), 2);
}

TEST_F(PdmTest, DocumentDataRoundTripsByKeyAndSectionAndKindOfValue) {
    const CVyrRunTimeDocId doc(5);
    ASSERT_TRUE(server_->OpenDocument(doc, L"Assembly"));
    ASSERT_TRUE(layer_->WriteString(doc, L"DS_RENDER_MODE", L"DS_RM_SHADE", kSection, 2));
    ASSERT_TRUE(layer_->WriteInt(doc, L"PICTURE_NUMBER_FOR_TRANS_VIEW", 30, kSection, 2));

    CVyrString text(L"stale");
    int number = 25;
    EXPECT_TRUE(layer_->ReadString(doc, L"DS_RENDER_MODE", text, kSection));
    EXPECT_EQ(text, L"DS_RM_SHADE");
    EXPECT_TRUE(layer_->ReadInt(doc, L"PICTURE_NUMBER_FOR_TRANS_VIEW", number, kSection));
    EXPECT_EQ(number, 30);

    // Absent keys: an emptied text, an unchanged integer.
    number = 25;
    EXPECT_FALSE(layer_->ReadString(doc, L"DS_DETAILS_DATUMS", text, kSection));
    EXPECT_EQ(text, L"");
    EXPECT_FALSE(layer_->ReadInt(doc, L"Missing", number, kSection));
    EXPECT_EQ(number, 25);
    // Another section, another case, another kind of value: absent too.
    EXPECT_FALSE(layer_->ReadString(doc, L"DS_RENDER_MODE", text, L"OTHER"));
    EXPECT_FALSE(layer_->ReadString(doc, L"ds_render_mode", text, kSection));
    EXPECT_FALSE(layer_->ReadInt(doc, L"DS_RENDER_MODE", number, kSection));
    EXPECT_EQ(number, 25);
    EXPECT_FALSE(layer_->ReadString(doc, L"PICTURE_NUMBER_FOR_TRANS_VIEW", text, kSection));
    // Another document sees none of it.
    ASSERT_TRUE(server_->OpenDocument(CVyrRunTimeDocId(6), L"Assembly"));
    EXPECT_FALSE(layer_->ReadString(CVyrRunTimeDocId(6), L"DS_RENDER_MODE", text, kSection));

    // A write replaces the other kind of value.
    ASSERT_TRUE(layer_->WriteInt(doc, L"DS_RENDER_MODE", 3, kSection, 2));
    EXPECT_TRUE(layer_->ReadInt(doc, L"DS_RENDER_MODE", number, kSection));
    EXPECT_EQ(number, 3);
    EXPECT_FALSE(layer_->ReadString(doc, L"DS_RENDER_MODE", text, kSection));
}

TEST_F(PdmTest, OnlyOpenDocumentsHoldDataAndClosingForgetsIt) {
    const CVyrRunTimeDocId doc(11);
    EXPECT_FALSE(layer_->WriteString(doc, L"Key", L"value", kSection, 2));
    ASSERT_TRUE(server_->OpenDocument(doc, L"Modeler"));
    EXPECT_FALSE(layer_->WriteString(doc, L"", L"value", kSection, 2));
    EXPECT_FALSE(layer_->WriteInt(doc, L"Key", 1, L"", 2));
    ASSERT_TRUE(layer_->WriteString(doc, L"Key", L"value", kSection, 2));
    ASSERT_TRUE(CVyrPrefManager::GetInstance()->AddPreference(11, L"Part", L"Max_Grid_Lines_Data", CVyrPreference(8)));

    ASSERT_TRUE(server_->CloseDocument(doc));
    ASSERT_TRUE(server_->OpenDocument(doc, L"Modeler"));  // the number comes back for another document
    CVyrString text;
    EXPECT_FALSE(layer_->ReadString(doc, L"Key", text, kSection));
    EXPECT_EQ(layer_->GetChangeMarks(doc), 0u);
    EXPECT_FALSE(CVyrPrefManager::GetInstance()->IsPresent(11, L"Part", L"Max_Grid_Lines_Data"));
}

TEST_F(PdmTest, WritesThatChangeSomethingMarkTheirKind) {
    const CVyrRunTimeDocId doc(2);
    ASSERT_TRUE(server_->OpenDocument(doc, L"Drafting"));
    EXPECT_EQ(layer_->GetChangeMarks(doc), 0u);
    ASSERT_TRUE(layer_->WriteString(doc, L"DS_EDGES_ON_SHADE", L"DS_TRUE", kSection, 2));
    EXPECT_EQ(layer_->GetChangeMarks(doc), 2u);
    ASSERT_TRUE(layer_->WriteInt(doc, L"Count", 1, kSection, 8));
    EXPECT_EQ(layer_->GetChangeMarks(doc), 10u);
    layer_->ClearChangeMarks(doc);
    // The same value again changes nothing and marks nothing.
    ASSERT_TRUE(layer_->WriteString(doc, L"DS_EDGES_ON_SHADE", L"DS_TRUE", kSection, 2));
    ASSERT_TRUE(layer_->WriteInt(doc, L"Count", 1, kSection, 8));
    EXPECT_EQ(layer_->GetChangeMarks(doc), 0u);
    ASSERT_TRUE(layer_->WriteString(doc, L"DS_EDGES_ON_SHADE", L"DS_FALSE", kSection, 4));
    EXPECT_EQ(layer_->GetChangeMarks(doc), 4u);
}

// A layer that records what the display system asks of it.
class RecordingLayer : public CVyrPdmClntLayer {
public:
    bool WriteString(const CVyrRunTimeDocId&, const CVyrString& key, const CVyrString&, const CVyrString&,
                     int changeKind) override {
        lastKey = key;
        lastKind = changeKind;
        return true;
    }
    CVyrString lastKey;
    int lastKind = 0;
};

TEST_F(PdmTest, AnInstalledLayerAnswersInsteadOfTheBuiltInOne) {
    CVyrPdmClntLayer* builtIn = CVyrPdmClntLayer::Instance();
    {
        RecordingLayer recording;
        EXPECT_EQ(CVyrPdmClntLayer::SetInstance(&recording), nullptr);
        EXPECT_TRUE(CVyrPdmClntLayer::Instance()->WriteString(CVyrRunTimeDocId(1), L"DS_RENDER_MODE", L"DS_RM_MIXED",
                                                              kSection, 2));
        EXPECT_EQ(recording.lastKey, L"DS_RENDER_MODE");
        EXPECT_EQ(recording.lastKind, 2);
    }
    // A layer that goes away is no longer in use.
    EXPECT_EQ(CVyrPdmClntLayer::Instance(), builtIn);
}

}  // namespace
