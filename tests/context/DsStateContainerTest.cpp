// The display-state history: which states a user reaches stepping back and forth after any number
// of additions, what an addition after stepping back drops, that the ring frees exactly the states
// that drop out, and that a state hands back its paths sorted and its camera.
#include "DsStateContainer.h"
#include "DsStateStorage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// A state that counts how many of its kind are alive, marked with a number (its camera's eye x
// and one shown path), so that copies made by the ring carry the mark too.
struct CountedState : CDsStateStorage {
    explicit CountedState(int id)
    {
        ++sAlive;
        CDsPictureStorage picture;
        picture.SetEye(SPAposition(id, 0.0, 0.0));
        SavePicture(picture);
        const int ids[1] = {id};
        AddShownEntity(CVyrObjectPath(ids, 1, 0, 1));
    }
    ~CountedState() override { --sAlive; }
    static int sAlive;
};
int CountedState::sAlive = 0;

class DsStateContainerTest : public ::testing::Test {
protected:
    void SetUp() override { CountedState::sAlive = 0; }
    void TearDown() override { CountedState::sAlive = 0; }
};

// The mark of a state; -1 for none.
int IdOf(const CDsStateStorage* state)
{
    if (!state) return -1;
    CDsPictureStorage picture;
    state->GetPicture(picture);
    return static_cast<int>(picture.GetEye().x());
}

// Adds states marked first .. last - 1.
void AddStates(CDsStateContainer& history, int first, int last)
{
    for (int id = first; id < last; ++id) ASSERT_TRUE(history.AddDsState(new CountedState(id)));
}

// Steps in one direction until the history answers null; the marks met, in order. Each answer
// must be the state the history then calls current, and the null answer must move nothing.
std::vector<int> Walk(CDsStateContainer& history, EDsStateDirection direction)
{
    std::vector<int> met;
    for (;;) {
        const bool offered = direction == eDsStateBackward ? history.IsBackward() : history.IsForward();
        CDsStateStorage* const before = history.GetCurrentStat();
        CDsStateStorage* state = history.GetDsState(direction);
        EXPECT_EQ(offered, state != nullptr) << "a step is offered exactly when it reaches a state";
        if (!state) {
            EXPECT_EQ(history.GetCurrentStat(), before) << "a step to nowhere moved the cursor";
            return met;
        }
        EXPECT_EQ(history.GetCurrentStat(), state);
        met.push_back(IdOf(state));
        if (met.size() > 40) return met;  // the ring holds 20 at most: stop a runaway walk
    }
}

std::vector<int> Range(int from, int to, int step)
{
    std::vector<int> ids;
    for (int id = from; step > 0 ? id <= to : id >= to; id += step) ids.push_back(id);
    return ids;
}

} // namespace

TEST_F(DsStateContainerTest, AnEmptyHistoryOffersNoStep)
{
    CDsStateContainer history;
    EXPECT_FALSE(history.IsBackward());
    EXPECT_FALSE(history.IsForward());
    EXPECT_EQ(history.GetDsState(eDsStateBackward), nullptr);
    EXPECT_EQ(history.GetDsState(eDsStateForward), nullptr);
    EXPECT_EQ(history.GetDsState(static_cast<EDsStateDirection>(7)), nullptr);
    EXPECT_EQ(history.GetCurrentStat(), nullptr);
}

TEST_F(DsStateContainerTest, AfterTwentyFiveAdditionsTheLastTwentyCanBeWalkedBothWays)
{
    CDsStateContainer history;
    AddStates(history, 0, 25);
    EXPECT_EQ(CountedState::sAlive, 20);
    EXPECT_EQ(IdOf(history.GetCurrentStat()), 24);
    EXPECT_FALSE(history.IsForward());

    // Nineteen steps back reach the oldest kept state; there the way back ends.
    EXPECT_EQ(Walk(history, eDsStateBackward), Range(23, 5, -1));
    EXPECT_EQ(IdOf(history.GetCurrentStat()), 5);
    EXPECT_FALSE(history.IsBackward());
    // Stepping forward returns to the newest.
    EXPECT_EQ(Walk(history, eDsStateForward), Range(6, 24, 1));
    EXPECT_EQ(IdOf(history.GetCurrentStat()), 24);
    EXPECT_EQ(CountedState::sAlive, 20);
}

TEST_F(DsStateContainerTest, AnyNumberOfAdditionsKeepsTheNewestTwentyInOrder)
{
    // Wherever the oldest and newest states sit round the ring (it wraps after 21 additions and
    // again after 43), the walk back ends on the oldest state and the walk forward on the newest.
    for (int count = 1; count <= 66; ++count) {
        SCOPED_TRACE(count);
        CountedState::sAlive = 0;
        {
            CDsStateContainer history;
            AddStates(history, 0, count);
            const int oldest = std::max(0, count - CDsStateContainer::kMaxStates);
            EXPECT_EQ(CountedState::sAlive, count - oldest);
            const std::vector<int> back = Walk(history, eDsStateBackward);
            EXPECT_EQ(back, count > 1 ? Range(count - 2, oldest, -1) : std::vector<int>{});
            EXPECT_EQ(IdOf(history.GetCurrentStat()), oldest);
            const std::vector<int> forward = Walk(history, eDsStateForward);
            EXPECT_EQ(forward, count > 1 ? Range(oldest + 1, count - 1, 1) : std::vector<int>{});
            EXPECT_EQ(IdOf(history.GetCurrentStat()), count - 1);
        }
        EXPECT_EQ(CountedState::sAlive, 0);
    }
}

TEST_F(DsStateContainerTest, OneStateHasNothingBehindItAndTheNextAdditionBecomesCurrent)
{
    CDsStateContainer history;
    AddStates(history, 1, 2);
    EXPECT_EQ(IdOf(history.GetCurrentStat()), 1);
    EXPECT_FALSE(history.IsBackward());
    EXPECT_EQ(history.GetDsState(eDsStateBackward), nullptr);
    EXPECT_EQ(history.GetDsState(eDsStateBackward), nullptr);
    EXPECT_EQ(IdOf(history.GetCurrentStat()), 1);

    AddStates(history, 2, 3);
    EXPECT_EQ(IdOf(history.GetCurrentStat()), 2);
    EXPECT_FALSE(history.IsForward());
    EXPECT_EQ(Walk(history, eDsStateBackward), std::vector<int>{1});
    EXPECT_TRUE(history.IsForward());
    EXPECT_EQ(IdOf(history.GetDsState(eDsStateForward)), 2);
}

TEST_F(DsStateContainerTest, AddingAfterSteppingBackReplacesTheShownStateAndDropsTheNewerOnes)
{
    CDsStateContainer history;
    AddStates(history, 0, 5);  // 0 1 2 3 4
    EXPECT_EQ(IdOf(history.GetDsState(eDsStateBackward)), 3);
    EXPECT_EQ(IdOf(history.GetDsState(eDsStateBackward)), 2);
    AddStates(history, 10, 11);  // 2, shown, gives way to 10; 3 and 4 are out of reach
    EXPECT_EQ(CountedState::sAlive, 4);
    EXPECT_EQ(IdOf(history.GetCurrentStat()), 10);
    EXPECT_FALSE(history.IsForward());
    EXPECT_EQ(Walk(history, eDsStateBackward), (std::vector<int>{1, 0}));
    EXPECT_EQ(Walk(history, eDsStateForward), (std::vector<int>{1, 10}));

    // The states out of reach are freed as the ring comes round to them, and none twice.
    AddStates(history, 11, 60);
    EXPECT_EQ(CountedState::sAlive, 20);
    EXPECT_EQ(Walk(history, eDsStateBackward), Range(58, 40, -1));
}

TEST_F(DsStateContainerTest, AStateIsTakenOnceAndClearingFreesEveryState)
{
    CDsStateContainer history;
    EXPECT_FALSE(history.AddDsState(nullptr));
    auto* state = new CountedState(1);
    EXPECT_TRUE(history.AddDsState(state));
    EXPECT_FALSE(history.AddDsState(state));  // a second owner would delete it twice
    AddStates(history, 2, 4);
    EXPECT_EQ(CountedState::sAlive, 3);
    EXPECT_EQ(Walk(history, eDsStateBackward), (std::vector<int>{2, 1}));

    history.ClearDsStateStorage();
    EXPECT_EQ(CountedState::sAlive, 0);
    EXPECT_EQ(history.GetCurrentStat(), nullptr);
    EXPECT_FALSE(history.IsBackward());
    EXPECT_FALSE(history.IsForward());
    EXPECT_EQ(history.GetDsState(eDsStateBackward), nullptr);

    // A cleared history starts over.
    AddStates(history, 5, 8);
    EXPECT_EQ(Walk(history, eDsStateBackward), (std::vector<int>{6, 5}));
}

TEST_F(DsStateContainerTest, CopiesOfAHistoryOwnTheirOwnStates)
{
    auto original = std::make_unique<CDsStateContainer>();
    AddStates(*original, 0, 30);
    original->GetDsState(eDsStateBackward);  // the cursor on 28

    CDsStateContainer copied(*original);
    CDsStateContainer assigned;
    AddStates(assigned, 100, 103);
    assigned = *original;
    const CDsStateContainer& sameHistory = assigned;
    assigned = sameHistory;
    EXPECT_EQ(CountedState::sAlive, 20);  // the assigned history's own states are gone
    EXPECT_NE(copied.GetCurrentStat(), original->GetCurrentStat());
    EXPECT_NE(assigned.GetCurrentStat(), original->GetCurrentStat());
    original->GetCurrentStat()->SavePicture(CDsPictureStorage());  // changes no copy

    original.reset();  // would leave the copies with deleted states if they shared them
    EXPECT_EQ(CountedState::sAlive, 0);
    for (CDsStateContainer* history : {&copied, &assigned}) {
        EXPECT_EQ(IdOf(history->GetCurrentStat()), 28);
        EXPECT_EQ(Walk(*history, eDsStateForward), std::vector<int>{29});
        EXPECT_EQ(Walk(*history, eDsStateBackward), Range(28, 10, -1));
        history->ClearDsStateStorage();
    }
}

TEST_F(DsStateContainerTest, AStateHandsBackItsPathsSortedAndItsCamera)
{
    auto path = [](std::initializer_list<int> ids, int part) {
        const std::vector<int> v(ids);
        return CVyrObjectPath(v.data(), static_cast<int>(v.size()), 0, part);
    };
    CDsStateStorage state;
    state.AddShownEntity(path({5, 1}, 2));
    state.AddShownEntity(path({3}, 2));
    state.AddShownEntity(path({9}, 1));
    state.AddHiddenEntity(path({4, 4}, 1));
    state.AddHiddenEntity(path({4}, 1));
    EXPECT_EQ(state.ShowContainer(), (std::deque<CVyrObjectPath>{path({9}, 1), path({3}, 2), path({5, 1}, 2)}));
    EXPECT_EQ(state.HideContainer(), (std::deque<CVyrObjectPath>{path({4}, 1), path({4, 4}, 1)}));

    // A path added after a read takes its place at the next read.
    state.AddShownEntity(path({1}, 2));
    EXPECT_EQ(state.ShowContainer()[1], path({1}, 2));

    CDsPictureStorage camera;
    camera.SetEye(SPAposition(1, 2, 3));
    camera.SetWidth(12.0);
    state.SavePicture(camera);
    camera.SetEye(SPAposition(0, 0, 0));  // the state keeps its own copy

    const CDsStateStorage copy(state);
    CDsStateStorage assigned;
    assigned = state;
    for (const CDsStateStorage* s : std::initializer_list<const CDsStateStorage*>{&state, &copy, &assigned}) {
        CDsPictureStorage out;
        s->GetPicture(out);
        EXPECT_DOUBLE_EQ(out.GetEye().z(), 3.0);
        EXPECT_DOUBLE_EQ(out.GetWidth(), 12.0);
    }
    EXPECT_EQ(assigned.ShowContainer(), state.ShowContainer());
    EXPECT_EQ(assigned.HideContainer().size(), 2u);
}
