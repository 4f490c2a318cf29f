// Loading the core at run time: it registers itself, joins the framework's chain
// of resource libraries so that its strings load, and leaves the chain again
// when it is unloaded; the display manager it makes writes the colour preferences
// into the scene database's special sets.
#include "DsScene.h"
#include "UiResourceManager.h"

#include <afx.h>

#include <gtest/gtest.h>

#include "GlTestFixture.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "TestResets.h"

#include <dlfcn.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>

namespace {

// True when this process holds a descriptor open on the file at `path`.
bool FileIsOpen(const std::string& path) {
    bool open = false;
    if (DIR* fds = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(fds)) {
            char target[PATH_MAX] = {};
            const std::string link = std::string("/proc/self/fd/") + entry->d_name;
            if (readlink(link.c_str(), target, sizeof target - 1) > 0 && path == target) open = true;
        }
        closedir(fds);
    }
    return open;
}

int CountLines(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    int count = 0;
    while (std::getline(in, line)) ++count;
    return count;
}

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

TEST(DsLoadTest, TheCoresResetsForTestsComeWithItAndGoWithIt) {
    // Libraries below the core hand theirs over as this program starts.
    EXPECT_TRUE(vyrtest::HasTestReset("CDsPartStorage::ResetForTests"));
    const char* const core = "CDsLineAttribManager::ResetForTests";
    ASSERT_FALSE(vyrtest::HasTestReset(core));

    void* library = dlopen(VYR_CORE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char* name : {"CDsDriverGl::ResetForTests", "CDsOpenGlSetup::ResetForTests",
                             "CDsManager::ResetDisplayStateForTests", "CDsManager::ResetSpecialAttributesForTests",
                             "CDsLineAttribStorage::ResetForTests", "CDsLineAttrMap::ResetForTests", core})
        EXPECT_TRUE(vyrtest::HasTestReset(name)) << name;
    // The program reaches a reset of the loaded core, though the core exports none.
    EXPECT_EQ(dlsym(library, "_ZN20CDsLineAttribManager13ResetForTestsEv"), nullptr);
    EXPECT_TRUE(vyrtest::RunTestReset(core));

    // Unloaded, the core takes its resets back: none would lead into code no longer there.
    ASSERT_EQ(dlclose(library), 0);
    EXPECT_FALSE(vyrtest::HasTestReset(core));
    EXPECT_FALSE(vyrtest::HasTestReset("CDsDriverGl::ResetForTests"));
    EXPECT_TRUE(vyrtest::HasTestReset("CDsPartStorage::ResetForTests"));
}

TEST(DsLoadTest, UnloadingWritesAndClosesTheWarningsFile) {
    const std::string dir = vyrtest::ScratchDir();
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    setenv("TMPDIR", dir.c_str(), 1);
    const std::string path = dir + "/DisplayDebugWarnings.txt";

    void* library = dlopen(VYR_CORE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    // This program does not link the core, so it finds the geometry computer's members by the
    // names the compiler gives them; a const member takes its object as the first argument.
    using GetInstance = const void* (*)();
    using Clamp = void (*)(const void*, double&);
    auto getInstance = reinterpret_cast<GetInstance>(dlsym(library, "_ZN19CDsGeometryComputer11GetInstanceEv"));
    auto clamp = reinterpret_cast<Clamp>(dlsym(library, "_ZNK19CDsGeometryComputer19SetIntoDisplayRangeERd"));
    ASSERT_NE(getInstance, nullptr);
    ASSERT_NE(clamp, nullptr);
    for (int i = 0; i < 250; ++i) {
        double v = 5e9;
        clamp(getInstance(), v);
        ASSERT_EQ(v, 0.0);
    }
    EXPECT_TRUE(FileIsOpen(path));  // kept open between warnings

    ASSERT_EQ(dlclose(library), 0);
    EXPECT_FALSE(FileIsOpen(path));
    EXPECT_EQ(CountLines(path), 250);
    if (oldTmp)
        setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

TEST(DsLoadTest, TheLiveContextSetStartsEmptyAtEveryLoadAndAContextLiveAtUnloadIsHarmless) {
    // A record in storage of this program's own (ample for the core's record), reached by the
    // names the compiler gives the core's members, as above.
    alignas(16) unsigned char record[1024] = {};
    using Count = int (*)();
    using Construct = void (*)(void*, HDC);
    using Init = int (*)(void*, void*, int);
    using Destroy = void (*)(void*);
    struct Core {
        void* library = nullptr;
        Count count = nullptr;
        Construct construct = nullptr;
        Init init = nullptr;
        Destroy destroy = nullptr;
    };
    auto load = [](Core& core) {
        core.library = dlopen(VYR_CORE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!core.library) return false;
        core.count = reinterpret_cast<Count>(dlsym(core.library, "_ZN10gl_context21StGetLiveContextCountEv"));
        core.construct = reinterpret_cast<Construct>(dlsym(core.library, "_ZN15gl_context_dataC1EP5HDC__"));
        core.init = reinterpret_cast<Init>(dlsym(core.library, "_ZN15gl_context_data20init_gl_context_dataEP6view3di"));
        core.destroy = reinterpret_cast<Destroy>(dlsym(core.library, "_ZN15gl_context_dataD1Ev"));
        return core.count && core.construct && core.init && core.destroy;
    };
    // The first window context makes the display manager, which lives as long as the process by
    // design: once the core is unloaded nothing points at it any more, which is no leak of this
    // test's making.
    auto initUnwatched = [&record](Core& core) {
#if defined(__SANITIZE_ADDRESS__)
        __lsan_disable();
#endif
        const int result = core.init(record, nullptr, 0);
#if defined(__SANITIZE_ADDRESS__)
        __lsan_enable();
#endif
        return result;
    };

    // The core is loaded before the X display is opened, as a host does.
    Core core;
    ASSERT_TRUE(load(core)) << dlerror();
    EXPECT_EQ(core.count(), 0);
    ASSERT_TRUE(vyrtest::DisplayAvailable());
    HWND window = CreateWindowExW(0, L"x", L"", 0, 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr);
    HDC dc = GetDC(window);
    core.construct(record, dc);
    ASSERT_EQ(initUnwatched(core), 0);
    EXPECT_EQ(core.count(), 1);
    core.destroy(record);
    EXPECT_EQ(core.count(), 0);

    // Unloaded while a window context is still live: the set goes with the library.
    core.construct(record, dc);
    ASSERT_EQ(initUnwatched(core), 0);
    EXPECT_EQ(core.count(), 1);
    HGLRC left = wglGetCurrentContext();  // the record left its context current
    ASSERT_NE(left, nullptr);
    ASSERT_EQ(dlclose(core.library), 0);
    EXPECT_EQ(GetModuleHandleW(L"VyrDsCore"), nullptr);

    Core again;
    ASSERT_TRUE(load(again)) << dlerror();
    EXPECT_EQ(again.count(), 0);
    ASSERT_EQ(dlclose(again.library), 0);

    EXPECT_TRUE(wglDeleteContext(left));
    ReleaseDC(window, dc);
    DestroyWindow(window);
}

TEST(DsLoadTest, TheDisplayManagerWritesTheColourPreferencesIntoTheScenesSpecialSets) {
    const std::string dir = vyrtest::ScratchDir();
    const std::string prefs = dir + "/ZorbelanE.prf";
    std::ofstream(prefs) << "VYR-PREFERENCES 1\n[General]\nHighlight_Color = COLOR 1 2 3\n"
                            "Select_Color = COLOR 4 5 6\nHighlight_Select_Color = COLOR 7 8 9\n";
    vyrtest::ScopedEnv env("VYR_PREFERENCES_FILE", prefs.c_str());

    void* library = dlopen(VYR_CORE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    using GetInstance = void* (*)();
    auto getInstance = reinterpret_cast<GetInstance>(dlsym(library, "_ZN10CDsManager11GetInstanceEv"));
    ASSERT_NE(getInstance, nullptr);
    // The manager lives as long as the process by design (see above).
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable();
#endif
    ASSERT_NE(getInstance(), nullptr);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
    EXPECT_EQ(CDsScene::GetSpecialAttrs(4).GetColor(), 0x030201u);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(3).GetColor(), 0x060504u);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(11).GetColor(), 0x060504u);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(5).GetColor(), 0x090807u);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(2).GetColor(), 0x808080u);
    EXPECT_EQ(CDsScene::GetSpecialAttrs(12).GetLineWidth(), 1);
    ASSERT_EQ(dlclose(library), 0);
}
