// Puts back the process-wide display state that line attributes, palettes and hatches keep: the
// special line-attribute sets and switches, the plot mode and plot palette, the display
// manager's display state, the active style and vertex-colour palettes, the registry of
// line-attribute interfaces and the scene database's special sets 2 to 12.
#pragma once

#include "DsAttributes.h"
#include "DsDriverGl.h"
#include "DsLineAttrMap.h"
#include "DsLineAttribStorage.h"
#include "DsManager.h"
#include "DsNFontStorage.h"
#include "DsPlotPallete.h"
#include "DsScene.h"
#include "DsStylePalette.h"
#include "DsView3dCdc.h"
#include "TestResets.h"

namespace vyrtest {

class DisplayStateGuard {
public:
    DisplayStateGuard()
    {
        for (int i = 0; i < kSceneSets; ++i) sceneSets_[i] = CDsScene::GetSpecialAttrs(i);
    }
    ~DisplayStateGuard()
    {
        VYR_RESET_FOR_TESTS(CDsLineAttribStorage::ResetForTests);
        CDsView3dCdc::StResetPlotMode();
        CDsPlotPallete::StDeletePlotPallete();
        VYR_RESET_FOR_TESTS(CDsManager::ResetDisplayStateForTests);
        CDsStylePalette::StDeactivate(nullptr);
        CDsDriverGl::StSetActiveVertexColorPalette(nullptr);
        VYR_RESET_FOR_TESTS(CDsLineAttrMap::ResetForTests);
        CVyrString noName;
        CDsNFontStorage::StSetDefaultFontName(noName);
        for (int i = 0; i < kSceneSets; ++i) CDsScene::SetSpecialAttrs(i, sceneSets_[i]);
    }
    DisplayStateGuard(const DisplayStateGuard&) = delete;
    DisplayStateGuard& operator=(const DisplayStateGuard&) = delete;

private:
    static const int kSceneSets = 16;
    CDsAttributes sceneSets_[kSceneSets];
};

}  // namespace vyrtest
