// Hiding and showing listed objects of the scene database in one step: hide levels reach the
// attribute interface of each object's document, part instances are hidden with the part
// instances inside them unless something inside is to be shown, showing an item shows the items
// above it up to its part instance, and every touched document is marked changed once, in
// ascending order. Bad input (no scene, a root of another part, paths into nowhere) hides nothing.
#include "AttrNumberIncrementer.h"
#include "DsCoreLineAttributesInt.h"
#include "DsHideLevel.h"
#include "DsLineAttrMap.h"
#include "HideShowServices.h"
#include "VyrDTM.h"
#include "VyrObjectId.h"
#include "VyrPdmServer.h"

#include "../scene_db/SceneTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// Records the hide levels given to objects; every other call is a failure.
class HideLevelRecorder : public CDsCoreLineAttributesInt {
public:
    void ApplyColor(const CVyrObjectId&, const CDsColorStorage&, bool, bool, const CAttrNumberIncrementer&) const override
    {
        ADD_FAILURE();
    }
    void ApplyPenWidth(const CVyrObjectId&, int, bool, const CAttrNumberIncrementer&) const override { ADD_FAILURE(); }
    void ApplyPenStyle(const CVyrObjectId&, int, bool, const CAttrNumberIncrementer&) const override { ADD_FAILURE(); }
    void ApplyRenderMode(const CVyrObjectId&, ERenderMode, bool, const CAttrNumberIncrementer&) const override
    {
        ADD_FAILURE();
    }
    void ApplyHideLevel(const CVyrObjectId& id, const CDsHideLevel& level, bool, bool withSubtree,
                        const CAttrNumberIncrementer&) const override
    {
        levels[id] = level.GetData();
        calls.push_back({id, level.GetData(), withSubtree});
    }
    void ApplyTransparency(const CVyrObjectId&, float, bool, const CAttrNumberIncrementer&) const override
    {
        ADD_FAILURE();
    }
    bool GetEntityColor(const CVyrObjectId&, CDsColorStorage&) const override { return false; }
    bool GetEntityPenWidth(const CVyrObjectId&, int&) const override { return false; }
    bool GetEntityPenStyle(const CVyrObjectId&, int&) const override { return false; }
    bool GetEntityTransparency(const CVyrObjectId&, float&) const override { return false; }
    bool GetEntityRenderMode(const CVyrObjectId&, ERenderMode&) const override { return false; }
    bool GetHideLevel(const CVyrObjectId&, CDsHideLevel&) const override { return false; }
    ENTITY* GetEntityByObjId(const CVyrObjectId&) const override { return nullptr; }
    bool BuildObjectPath(ENTITY*, const CVyrUiToolContext*, CVyrObjectPath&) const override { return false; }

    struct SCall {
        CVyrObjectId id;
        unsigned level;
        bool withSubtree;
    };
    mutable std::map<CVyrObjectId, unsigned> levels;
    mutable std::vector<SCall> calls;
};

// A geometry whose box a test can move behind the store's back.
class MovableGeometry : public CTestGeometry {
public:
    explicit MovableGeometry(SPAbox* box) : CTestGeometry(SPAbox()), m_box(box) {}
    CDsGeometry* Clone() const override { return new MovableGeometry(m_box); }
    bool GetBoundBox(SPAbox& box, int) const override
    {
        box = *m_box;
        return true;
    }
    bool HasBoundBox(int) const override { return true; }

private:
    SPAbox* m_box;
};

// The model. Peer part 7 holds part instances 1 and 2 of part 500. Part 500 holds a group 10 with
// a leaf 11, a leaf 12 and a part instance 20 of part 600. Part 600 holds a leaf 30 and a part
// instance 40 (with attributes of its own) of part 700, which holds a leaf 50. Every part is a
// document of type "Modeler" under its own number.
class HideShowServicesTest : public CSceneDbTest {
protected:
    static constexpr int kPeer = 7, kA = 500, kB = 600, kC = 700;

    HideShowServicesTest()
    {
        VYR_RESET_FOR_TESTS(CDsLineAttrMap::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPdmServer::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrDTM::ResetForTests);
        CDsLineAttrMap::AddInterface(L"Modeler", &recorder_);
        for (int document : {kPeer, kA, kB, kC})
            CVyrPdmServer::StInstance()->OpenDocument(CVyrRunTimeDocId(document), L"Modeler");
        SetTestCategories();
        CDsPartStorage* s = CDsPartStorage::instance();
        for (int part : {kA, kB, kC}) s->CreatePart(part);
        s->AddItem(CVyrObjectId(kA, 10), kGroupType, nullptr, nullptr, nullptr, nullptr, nullptr, false);
        s->AddChildItem(CVyrObjectId(kA, 10), 11, kLeafType, new MovableGeometry(&box_), nullptr, nullptr, false);
        s->AddItem(CVyrObjectId(kA, 12), kLeafType, new CTestGeometry(UnitBox(0, 0, 0)), nullptr, nullptr, nullptr,
                   nullptr, false);
        s->AddPartInstance(CVyrObjectId(kA, 20), kB, nullptr, nullptr, false);
        s->AddItem(CVyrObjectId(kB, 30), kLeafType, new CTestGeometry(UnitBox(0, 0, 0)), nullptr, nullptr, nullptr,
                   nullptr, false);
        CDsAttributes own;
        own.SetColor(0x123456);
        s->AddPartInstance(CVyrObjectId(kB, 40), kC, nullptr, &own, false);
        s->AddItem(CVyrObjectId(kC, 50), kLeafType, new CTestGeometry(UnitBox(0, 0, 0)), nullptr, nullptr, nullptr,
                   nullptr, false);
        s->AddPartInstance(CVyrObjectId(kPeer, 1), kA, nullptr, nullptr, false);
        s->AddPartInstance(CVyrObjectId(kPeer, 2), kA, nullptr, nullptr, false);
    }
    ~HideShowServicesTest() override
    {
        VYR_RESET_FOR_TESTS(CDsLineAttrMap::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrPdmServer::ResetForTests);
        VYR_RESET_FOR_TESTS(CVyrDTM::ResetForTests);
    }

    static CVyrObjectPath Path(std::vector<int> ids, int depth, int part = kPeer)
    {
        return CVyrObjectPath(ids.data(), static_cast<int>(ids.size()), depth, part);
    }
    // Hides and shows from the peer part's root.
    void Run(std::vector<CVyrObjectPath> hide, std::vector<CVyrObjectPath> show, bool subtrees = false)
    {
        CVyrObjectPath root(kPeer);
        NHideShowServices::HideShownShowHidden(hide, show, &scene_, root, subtrees);
    }
    // The level last given to an object; -1 when it got none.
    int Level(int part, int item) const
    {
        const auto found = recorder_.levels.find(CVyrObjectId(part, item));
        return found == recorder_.levels.end() ? -1 : static_cast<int>(found->second);
    }
    // The documents marked, in order.
    static std::vector<int> Marked()
    {
        std::vector<int> documents;
        for (const SVyrModelChangeMark& mark : CVyrDTM::Instance()->GetMarks()) {
            EXPECT_EQ(mark.kind, 8u);
            EXPECT_TRUE(mark.changed);
            documents.push_back(mark.document);
        }
        return documents;
    }

    SPAbox box_{SPAposition(0, 0, 0), SPAposition(1, 1, 1)};
    HideLevelRecorder recorder_;
    CDsScene scene_{kPeer};
};

}  // namespace

TEST_F(HideShowServicesTest, ListedObjectsAreHiddenAndShownAndEachTouchedDocumentIsMarkedOnceInOrder)
{
    // Leaf 30 (document 600) is hidden first, then leaf 12 (document 500) is shown; both of their
    // documents are marked once, 500 before 600, and only when the operation ends.
    std::vector<CVyrObjectPath> hide = {Path({2, 20, 30}, 1), Path({1, 10, 11}, 2)};
    std::vector<CVyrObjectPath> show = {Path({1, 12}, 1), Path({1, 10, 11}, 2)};
    CVyrObjectPath root(kPeer);
    NHideShowServices::HideShownShowHidden(hide, show, &scene_, root, false);
    EXPECT_EQ(Level(kB, 30), 2);
    EXPECT_EQ(Level(kA, 12), 0);
    // In both lists: hidden by the walk, shown by the show pass.
    EXPECT_EQ(Level(kA, 11), 0);
    ASSERT_GE(recorder_.calls.size(), 2u);
    EXPECT_EQ(recorder_.calls[0].id, CVyrObjectId(kA, 11));
    EXPECT_EQ(recorder_.calls[0].level, 2u);
    // Showing an item shows the items above it up to its part instance, not beyond.
    EXPECT_EQ(Level(kA, 10), 0);
    EXPECT_EQ(Level(kPeer, 1), 0);
    EXPECT_EQ(Level(kPeer, 2), -1);
    EXPECT_EQ(Marked(), (std::vector<int>{kPeer, kA, kB}));
    // Both lists come back sorted.
    EXPECT_TRUE(std::is_sorted(hide.begin(), hide.end()));
    EXPECT_TRUE(std::is_sorted(show.begin(), show.end()));
    EXPECT_TRUE(hide[0] == Path({1, 10, 11}, 2));
}

TEST_F(HideShowServicesTest, AHiddenPartInstanceTakesThePartInstancesInsideItUnlessSomethingInsideIsShown)
{
    // Nothing to show inside instance 1: it is hidden with instances 20 and 40 below it (reached
    // through part instances only); the leaves are not touched.
    Run({Path({1}, 0)}, {});
    EXPECT_EQ(Level(kPeer, 1), 2);
    EXPECT_EQ(Level(kA, 20), 2);
    EXPECT_EQ(Level(kB, 40), 2);
    for (auto id : {std::make_pair(kA, 10), std::make_pair(kA, 11), std::make_pair(kA, 12), std::make_pair(kB, 30),
                    std::make_pair(kC, 50)})
        EXPECT_EQ(Level(id.first, id.second), -1);

    // Leaf 12 is to be shown inside it: the walk goes on below and hides only what is listed there.
    recorder_.levels.clear();
    Run({Path({1}, 0), Path({1, 10, 11}, 2)}, {Path({1, 12}, 1)});
    EXPECT_EQ(Level(kA, 11), 2);
    EXPECT_EQ(Level(kA, 20), -1);
    EXPECT_EQ(Level(kB, 40), -1);
    EXPECT_EQ(Level(kA, 12), 0);
    EXPECT_EQ(Level(kPeer, 1), 0);  // showing 12 shows its part instance again
}

TEST_F(HideShowServicesTest, ASpeciallyHiddenObjectIsNeitherHiddenNorWalkedBelow)
{
    CDsAttributes special;
    special.SetHideLevel(CDsAttributes::kSpecialHideLevel);
    ASSERT_TRUE(CDsPartStorage::instance()->UpdateAttributes(CVyrObjectId(kA, 10), special, nullptr));
    Run({Path({1, 10}, 1), Path({1, 10, 11}, 2), Path({2, 12}, 1)}, {});
    EXPECT_EQ(Level(kA, 10), -1);
    EXPECT_EQ(Level(kA, 11), -1);
    EXPECT_EQ(Level(kA, 12), 2);
}

TEST_F(HideShowServicesTest, ShowingAPartInstanceShowsTheInstancesInsideItOnlyWithSubtrees)
{
    // An item inside a hidden part instance: the instance holding it is shown, not the one above.
    Run({}, {Path({2, 20, 30}, 1)});
    EXPECT_EQ(Level(kB, 30), 0);
    EXPECT_EQ(Level(kA, 20), 0);
    EXPECT_EQ(Level(kPeer, 2), -1);
    EXPECT_FALSE(recorder_.calls.back().withSubtree);

    // A part instance without subtrees: the instances inside it keep their levels.
    recorder_.levels.clear();
    Run({}, {Path({1, 20}, 0)}, false);
    EXPECT_EQ(Level(kA, 20), 0);
    EXPECT_EQ(Level(kB, 40), -1);
    EXPECT_FALSE(CDsShowHiddenFunctor::sWithSubtree);

    // With subtrees: the instances inside that have attributes of their own are shown too, and the
    // switch keeps its value after the operation.
    recorder_.levels.clear();
    Run({}, {Path({1, 20}, 0)}, true);
    EXPECT_EQ(Level(kA, 20), 0);
    EXPECT_EQ(Level(kB, 40), 0);
    EXPECT_TRUE(CDsShowHiddenFunctor::sWithSubtree);
    CDsShowHiddenFunctor::sWithSubtree = false;
}

TEST_F(HideShowServicesTest, EmptyListsChangeNothingButTheSceneBoxIsMeasuredAgain)
{
    EXPECT_TRUE(same_point(scene_.GetBoundsBox().high(), SPAposition(1, 1, 1)));
    box_ = SPAbox(SPAposition(0, 0, 0), SPAposition(9, 9, 9));  // moved behind the store's back
    Run({}, {});
    EXPECT_TRUE(recorder_.calls.empty());
    EXPECT_TRUE(Marked().empty());
    EXPECT_TRUE(same_point(scene_.GetBoundsBox().high(), SPAposition(9, 9, 9)));
}

TEST_F(HideShowServicesTest, BadInputHidesNothingWhereNothingIsFound)
{
    // No scene: nothing at all (the lists still come back sorted).
    std::vector<CVyrObjectPath> hide = {Path({2, 12}, 1), Path({1, 12}, 1)};
    std::vector<CVyrObjectPath> show = {Path({1, 12}, 1)};
    CVyrObjectPath root(kPeer);
    NHideShowServices::HideShownShowHidden(hide, show, nullptr, root, true);
    EXPECT_TRUE(recorder_.calls.empty());
    EXPECT_TRUE(std::is_sorted(hide.begin(), hide.end()));

    // A root of another part, or one whose ids lead nowhere: nothing hidden; the show pass runs.
    CVyrObjectPath other(999);
    hide = {Path({1, 12}, 1)};
    show = {Path({2, 12}, 1)};
    NHideShowServices::HideShownShowHidden(hide, show, &scene_, other, false);
    EXPECT_EQ(Level(kA, 12), 0);
    ASSERT_EQ(recorder_.calls.size(), 2u);  // 12 and its part instance 2, both shown
    CVyrObjectPath nowhere = Path({77}, 0);
    NHideShowServices::HideShownShowHidden(hide, show, &scene_, nowhere, false);
    EXPECT_EQ(Level(kA, 12), 0);

    // Paths through missing items, and duplicates: only what exists is touched, once a time.
    recorder_.calls.clear();
    Run({Path({1, 99, 11}, 2), Path({3, 12}, 1), Path({2, 12}, 1), Path({2, 12}, 1)},
        {Path({1, 10, 99}, 2), Path({8}, 0), Path({}, 0)});
    ASSERT_EQ(recorder_.calls.size(), 1u);
    EXPECT_EQ(recorder_.calls[0].id, CVyrObjectId(kA, 12));
    EXPECT_EQ(Level(kA, 10), -1);  // the missing item's group is not shown either
}

TEST_F(HideShowServicesTest, AnIncrementerMarksTheModelsOfItsDocumentsWhenItGoes)
{
    {
        CAttrNumberIncrementer incrementer;
        EXPECT_TRUE(incrementer.IsMarking());
        incrementer.AddDocument(CVyrRunTimeDocId(kB));
        incrementer.AddDocument(CVyrRunTimeDocId(kA));
        incrementer.AddDocument(CVyrRunTimeDocId(kB));
        incrementer.AddDocument(CVyrRunTimeDocId(-4));   // names no document
        incrementer.AddDocument(CVyrRunTimeDocId(321));  // not open: no model to mark
        EXPECT_TRUE(Marked().empty());
    }
    EXPECT_EQ(Marked(), (std::vector<int>{kA, kB}));
    EXPECT_EQ(CVyrDTM::Instance()->Lookup(CVyrRunTimeDocId(kA))->GetModelChanges(), 8u);
    EXPECT_EQ(CVyrDTM::Instance()->Lookup(CVyrRunTimeDocId(321)), nullptr);
    // A document closed loses its model: opened again, it starts unmarked.
    CVyrPdmServer::StInstance()->CloseDocument(CVyrRunTimeDocId(kA));
    EXPECT_EQ(CVyrDTM::Instance()->Lookup(CVyrRunTimeDocId(kA)), nullptr);
    CVyrPdmServer::StInstance()->OpenDocument(CVyrRunTimeDocId(kA), L"Modeler");
    EXPECT_EQ(CVyrDTM::Instance()->Lookup(CVyrRunTimeDocId(kA))->GetModelChanges(), 0u);
}
