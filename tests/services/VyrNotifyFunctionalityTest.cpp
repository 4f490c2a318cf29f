// Notifications and smart pointers: who hears what, in which order, and pointers that never
// reach an object that is gone.
#include "VyrNotifyFunctionality.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Records every notification it hears as (receiver tag, code); may act on each one.
class Recorder : public CVyrNotifyReceiver {
public:
    Recorder(int tag, std::vector<std::pair<int, int>>& log) : tag_(tag), log_(log) {}
    void OnNotification(CVyrNotifyFunctionality& sender, int code) override {
        log_.emplace_back(tag_, code);
        lastSender = &sender;
        if (action) action();
    }
    std::function<void()> action;
    CVyrNotifyFunctionality* lastSender = nullptr;

private:
    int tag_;
    std::vector<std::pair<int, int>>& log_;
};

// A notifier that watches its own notifications.
class Watching : public CVyrNotifyFunctionality {
public:
    explicit Watching(std::vector<std::pair<int, int>>& log) : log_(log) {}
    void OnNotify(int code) override { log_.emplace_back(0, code); }

private:
    std::vector<std::pair<int, int>>& log_;
};

using Log = std::vector<std::pair<int, int>>;

}  // namespace

TEST(VyrNotifyFunctionalityTest, TheSenderHearsFirstThenEachReceiverOnceInOrder) {
    Log log;
    Watching sender(log);
    Recorder a(1, log), b(2, log);
    sender.Subscribe(&a);
    sender.Subscribe(&b);
    sender.Subscribe(&a);  // already subscribed: still heard once
    sender.Subscribe(nullptr);
    sender.Notify(CVyrNotification::eInvalidateRubberbandFigures);
    sender.Notify(CVyrNotification::eDrawFigureControlObject);
    EXPECT_EQ(log, (Log{{0, 6}, {1, 6}, {2, 6}, {0, 3}, {1, 3}, {2, 3}}));
    EXPECT_EQ(a.lastSender, &sender);
    EXPECT_EQ(sender.GetNotifyData().sentCount, 2u);
    EXPECT_EQ(sender.GetNotifyData().lastCode, 3);

    log.clear();
    sender.Unsubscribe(&a);
    sender.Unsubscribe(&a);  // not subscribed any more: nothing
    sender.Notify(17);
    EXPECT_EQ(log, (Log{{0, 17}, {2, 17}}));
    EXPECT_FALSE(sender.IsSubscribed(&a));
    EXPECT_TRUE(sender.IsSubscribed(&b));
}

TEST(VyrNotifyFunctionalityTest, ChangesMadeWhileDeliveringTakeEffectSafely) {
    Log log;
    CVyrNotifyFunctionality sender;
    Recorder a(1, log), b(2, log), c(3, log);
    sender.Subscribe(&a);
    sender.Subscribe(&b);
    // The first receiver unsubscribes the second and subscribes a third: the second is not called
    // any more, the third hears from the next notification on.
    a.action = [&] {
        sender.Unsubscribe(&b);
        sender.Subscribe(&c);
    };
    sender.Notify(8);
    EXPECT_EQ(log, (Log{{1, 8}}));
    a.action = nullptr;
    log.clear();
    sender.Notify(9);
    EXPECT_EQ(log, (Log{{1, 9}, {3, 9}}));
}

TEST(VyrNotifyFunctionalityTest, DeliveryStopsWhenAReceiverDestroysTheSender) {
    Log log;
    auto sender = std::make_unique<CVyrNotifyFunctionality>();
    Recorder a(1, log), b(2, log);
    sender->Subscribe(&a);
    sender->Subscribe(&b);
    a.action = [&] { sender.reset(); };
    CVyrNotifyFunctionality* raw = sender.get();
    raw->Notify(10);
    EXPECT_EQ(log, (Log{{1, 10}}));
    EXPECT_EQ(sender, nullptr);
}

TEST(VyrNotifyFunctionalityTest, CopiesHaveNoReceiversAndAssignmentKeepsEachOnesOwn) {
    Log log;
    CVyrNotifyFunctionality original;
    Recorder a(1, log), b(2, log);
    original.Subscribe(&a);
    CVyrNotifyFunctionality copy(original);
    copy.Notify(4);
    EXPECT_TRUE(log.empty());
    copy.Subscribe(&b);
    original = copy;
    original.Notify(5);
    EXPECT_EQ(log, (Log{{1, 5}}));  // the original still has its receiver and only it
    EXPECT_EQ(copy.GetNotifyData().sentCount, 1u);
}

TEST(VyrNotifyFunctionalityTest, SmartPointersTurnNullWhenTheirObjectGoes) {
    CVyrSmartPointer empty;
    EXPECT_EQ(empty.Get(), nullptr);
    EXPECT_FALSE(empty);

    auto object = std::make_unique<CVyrNotifyFunctionality>();
    const CVyrSmartPointer first = object->GetSmartPointer();
    const CVyrSmartPointer second = object->GetSmartPointer();
    EXPECT_EQ(first.Get(), object.get());
    EXPECT_TRUE(first == second);

    // A copy is another object: its pointers name it, the original's keep naming the original.
    auto copy = std::make_unique<CVyrNotifyFunctionality>(*object);
    const CVyrSmartPointer toCopy = copy->GetSmartPointer();
    EXPECT_EQ(toCopy.Get(), copy.get());
    *copy = *object;
    EXPECT_EQ(toCopy.Get(), copy.get());
    EXPECT_EQ(first.Get(), object.get());
    EXPECT_TRUE(first != toCopy);

    object.reset();
    EXPECT_EQ(first.Get(), nullptr);
    EXPECT_FALSE(second);
    EXPECT_EQ(toCopy.Get(), copy.get());
    copy.reset();
    EXPECT_FALSE(toCopy);
    EXPECT_TRUE(first == toCopy);  // neither names a living object
}
