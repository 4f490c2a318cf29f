// CVyrLangResourceManager: resource modules by name.
#include "TestResets.h"
#include "VyrLangResourceManager.h"

#include <gtest/gtest.h>

namespace {

int sAnchor;  // an address inside this executable

// The manager is process-wide and keeps what it found: each test starts from what a fresh process
// has and takes its module registration back.
class LangResourceManagerTest : public ::testing::Test {
protected:
    void SetUp() override { VYR_RESET_FOR_TESTS(CVyrLangResourceManager::ResetForTests); }
    void TearDown() override {
        VyrUnregisterModule(VyrModuleFromAddress(&sAnchor));
        VYR_RESET_FOR_TESTS(CVyrLangResourceManager::ResetForTests);
    }
};

}  // namespace

TEST_F(LangResourceManagerTest, ModulesAreFoundByNameUnknownOnesAnswerNull) {
    CVyrLangResourceManager* manager = CVyrLangResourceManager::GetInstance();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->GetResourceHandle(L"NoSuchRc"), nullptr);
    EXPECT_EQ(manager->GetResourceHandle(L""), nullptr);
    EXPECT_EQ(manager->GetResourceHandle("VyrDisplayRc"), nullptr);  // not there yet
    HMODULE self = VyrModuleFromAddress(&sAnchor);
    ASSERT_TRUE(VyrRegisterModule(self, L"VyrDisplayRc"));
    EXPECT_EQ(manager->GetResourceHandle("VyrDisplayRc"), self);
    EXPECT_EQ(manager->GetResourceHandle(L"vyrdisplayrc"), self);
    VyrUnregisterModule(self);
    EXPECT_EQ(manager->GetResourceHandle(L"VyrDisplayRc"), self);  // kept from the first find
}
