// The core as a program that links it sees it: registered as a module, an
// extension module of the framework, its messages registered, its strings
// reachable through the resource switch.
#include "DsConstants.h"
#include "DsStartup.h"
#include "UiResourceManager.h"
#include "VyrString.h"

#include <afx.h>

#include <gtest/gtest.h>

namespace {

bool InChain(HMODULE module) {
    for (CDynLinkLibrary* library = AfxGetModuleState()->m_pFirstLibrary; library; library = library->m_pNextDLL)
        if (library->m_hModule == module && library->m_hResource == module) return true;
    return false;
}

}  // namespace

TEST(DsStartupTest, TheLoadedCoreIsAnExtensionModule) {
    HMODULE core = GetModuleHandleW(L"VyrDsCore");
    ASSERT_NE(core, nullptr);
    EXPECT_NE(core, GetModuleHandleW(nullptr));
    EXPECT_EQ(gUiResourceManager.GetModuleHandle(), core);
    EXPECT_TRUE(InChain(core));
    EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());  // loading switches nothing
    EXPECT_EQ(gUiRememberedResourceHandle, nullptr);
}

TEST(DsStartupTest, ToolkitMessagesAndConstantsExistBeforeAnyCall) {
    EXPECT_GE(gVyrUiMsgToolbarCustomize, 0xC000u);
    EXPECT_GE(gVyrUiMsgDockStateChanged, 0xC000u);
    EXPECT_GE(gVyrUiMsgTabActivated, 0xC000u);
    EXPECT_NE(gVyrUiMsgToolbarCustomize, gVyrUiMsgDockStateChanged);
    EXPECT_NE(gVyrUiMsgDockStateChanged, gVyrUiMsgTabActivated);
    EXPECT_EQ(RegisterWindowMessageW(L"VyrUiTabActivated"), gVyrUiMsgTabActivated);

    EXPECT_EQ(gDsDisplayFolder, L"\\Display");  // one backslash, built before any call
}

TEST(DsStartupTest, CoreStringsLoadThroughTheSwitchAndTheHandleComesBack) {
    HMODULE core = gUiResourceManager.GetModuleHandle();
    ASSERT_NE(core, nullptr);
    static const VYR_STRING_RESOURCE table[] = {{2174, L"DejaVu Sans"}};
    ASSERT_TRUE(VyrRegisterStringTable(core, table, 1));
    HINSTANCE framework = AfxGetResourceHandle();

    CVyrString font(2174u, true);
    EXPECT_EQ(font, L"DejaVu Sans");
    EXPECT_EQ(AfxGetResourceHandle(), framework);
    EXPECT_EQ(gUiRememberedResourceHandle, framework);

    // With the core's resources already current nothing is switched or remembered.
    gUiRememberedResourceHandle = nullptr;
    AfxSetResourceHandle(core);
    CVyrString again;
    EXPECT_TRUE(again.LoadResourceString(2174, true));
    EXPECT_EQ(again, L"DejaVu Sans");
    EXPECT_EQ(AfxGetResourceHandle(), core);
    EXPECT_EQ(gUiRememberedResourceHandle, nullptr);
    AfxSetResourceHandle(framework);
}
