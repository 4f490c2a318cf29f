// CVyrLangResourceManager: resource modules by name.
#include "VyrLangResourceManager.h"

#include <gtest/gtest.h>

namespace {
int sAnchor;  // an address inside this executable
}

TEST(LangResourceManagerTest, ModulesAreFoundByNameUnknownOnesAnswerNull) {
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
