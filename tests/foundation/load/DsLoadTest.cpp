// Loading the core at run time: it registers itself, joins the framework's chain
// of resource libraries so that its strings load, and leaves the chain again
// when it is unloaded.
#include "UiResourceManager.h"

#include <afx.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

bool InChain(HMODULE module) {
    for (CDynLinkLibrary* library = AfxGetModuleState()->m_pFirstLibrary; library; library = library->m_pNextDLL)
        if (library->m_hModule == module) return true;
    return false;
}

}  // namespace

TEST(DsLoadTest, LoadingJoinsTheChainAndUnloadingLeavesIt) {
    ASSERT_EQ(GetModuleHandleW(L"VyrDsCore"), nullptr);
    ASSERT_EQ(AfxGetModuleState()->m_pFirstLibrary, nullptr);

    void* library = dlopen(VYR_CORE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    HMODULE core = GetModuleHandleW(L"VyrDsCore");
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(gUiResourceManager.GetModuleHandle(), core);
    EXPECT_TRUE(InChain(core));

    // The framework finds the core's strings along the chain.
    static const VYR_STRING_RESOURCE table[] = {{2241, L"Cannot open the file"}};
    ASSERT_TRUE(VyrRegisterStringTable(core, table, 1));
    CStringW text;
    EXPECT_TRUE(text.LoadString(2241));
    EXPECT_EQ(text, L"Cannot open the file");
    EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());

    ASSERT_EQ(dlclose(library), 0);
    EXPECT_FALSE(InChain(core));
    EXPECT_EQ(AfxGetModuleState()->m_pFirstLibrary, nullptr);
    EXPECT_EQ(GetModuleHandleW(L"VyrDsCore"), nullptr);
    CStringW after;
    EXPECT_FALSE(after.LoadString(2241));
}
