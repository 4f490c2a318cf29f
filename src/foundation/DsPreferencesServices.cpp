// CDsPreferencesServices: the display preferences of the host's preference store, and the data
// file "DisplayAutoSetup.dat".
#include "DsPreferencesServices.h"

#include "DsBackground.h"
#include "DsConstants.h"
#include "DsGeometryComputer.h"
#include "DsGlContext.h"
#include "DsGlScene.h"
#include "DsLineAttribStorage.h"
#include "DsManager.h"
#include "DsOpenGlSetup.h"
#include "DsSetupFileLines.h"
#include "VyrObjectTypes.h"
#include "VyrRefinement.h"
#include "DsView3dCdc.h"
#include "VyrPrefManager.h"
#include "VyrRegistry.h"
#include "view3d.h"
#include "vyrwin_codec.h"

#include <afxwin.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

CDsPreferencesServices gDsPreferencesServices;

namespace {

// --- The GL-context list ------------------------------------------------------------------------

std::vector<CDsGlContext*> gGlContexts;
bool gGlContextsGone = false;
struct CGlContextsGuard {
    ~CGlContextsGuard() { gGlContextsGone = true; }
} gGlContextsGuard;  // defined after the list: destroyed before it

// --- Reading the store ----------------------------------------------------------------------------

const wchar_t kHighlightColor[] = L"Highlight_Color";
const wchar_t kSelectColor[] = L"Select_Color";
const wchar_t kHighlightSelectColor[] = L"Highlight_Select_Color";

const char* TypeName(const int*) { return "an integer"; }
const char* TypeName(const bool*) { return "an integer or boolean"; }
const char* TypeName(const double*) { return "a finite real"; }
const char* TypeName(const CVyrRgbColor*) { return "a colour"; }

bool Usable(int) { return true; }
bool Usable(bool) { return true; }
bool Usable(double value) { return std::isfinite(value); }
bool Usable(const CVyrRgbColor&) { return true; }

// The document a group is read with: "General" the application level, the others the active
// document unless one is given (negative: the active one).
int DocumentOf(const wchar_t* group, int document = -1)
{
    if (std::wcscmp(group, gDsPrefGroupGeneral) == 0) return 0;
    return document < 0 ? CVyrPrefManager::GetActiveDocumentId() : document;
}

// The value of a present preference of the expected type. A present preference of another type
// (or a real that is not finite) is faulty: false, value unchanged, and one warning line.
template <class T>
bool Read(const wchar_t* group, const wchar_t* key, T& value, int document = -1)
{
    CVyrPreference preference;
    if (!CVyrPrefManager::GetInstance()->GetPreference(DocumentOf(group, document), group, key, preference))
        return false;
    T read = value;
    if (preference.GetValue(read) && Usable(read)) {
        value = read;
        return true;
    }
    const std::string text = "Display warning: preference \"" + vyrwin::Utf8FromWide(group) + "\" \"" +
                             vyrwin::Utf8FromWide(key) + "\" is not " + TypeName(&value) + "; its default stands";
    CDsGeometryComputer::WriteWarning(text.c_str());
    return false;
}

bool ReadColor(const wchar_t* key, CDsColorStorage& color)
{
    CVyrRgbColor stored;
    if (!Read(gDsPrefGroupGeneral, key, stored)) return false;
    color = CDsColorStorage(stored.GetRed(), stored.GetGreen(), stored.GetBlue());
    return true;
}

// Writes a present preference; false when absent or refused.
template <class T>
bool Write(const wchar_t* group, const wchar_t* key, const T& value, int document = -1)
{
    return CVyrPrefManager::GetInstance()->SetValue(DocumentOf(group, document), group, key, value);
}

bool IsPresent(const wchar_t* group, const wchar_t* key, int document = -1)
{
    return CVyrPrefManager::GetInstance()->IsPresent(DocumentOf(group, document), group, key);
}

// --- "DisplayAutoSetup.dat" -----------------------------------------------------------------------

const size_t kMaxNameBytes = 255;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A line as "%s %d" reads it: a name and an integer (which may be followed by anything). False
// when the line gives no name and integer, the name is longer than kMaxNameBytes or the integer
// is out of range.
bool ParseNameAndInteger(const std::string& line, std::string& name, int& value)
{
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    const size_t nameStart = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i == nameStart || i - nameStart > kMaxNameBytes) return false;
    name.assign(line, nameStart, i - nameStart);
    while (i < line.size() && IsBlank(line[i])) ++i;
    size_t digits = i;
    if (digits < line.size() && (line[digits] == '+' || line[digits] == '-')) ++digits;
    if (digits >= line.size() || line[digits] < '0' || line[digits] > '9') return false;
    errno = 0;
    char* end = nullptr;
    const long number = std::strtol(line.c_str() + i, &end, 10);
    if (errno == ERANGE || number < INT_MIN || number > INT_MAX) return false;
    value = static_cast<int>(number);
    return true;
}

}  // namespace

// --- Rendering contexts that follow preference changes ------------------------------------------

void CDsPreferencesServices::StAddGlContext(CDsGlContext* context)
{
    if (gGlContextsGone || !context) return;
    if (std::find(gGlContexts.begin(), gGlContexts.end(), context) == gGlContexts.end()) gGlContexts.push_back(context);
}

void CDsPreferencesServices::StRemoveGlContext(CDsGlContext* context)
{
    if (gGlContextsGone) return;
    gGlContexts.erase(std::remove(gGlContexts.begin(), gGlContexts.end(), context), gGlContexts.end());
}

std::vector<CDsGlContext*> CDsPreferencesServices::StGetGlContexts()
{
    return gGlContextsGone ? std::vector<CDsGlContext*>() : gGlContexts;
}

// --- Updates of the display state ----------------------------------------------------------------

void CDsPreferencesServices::UpdateGeneralPreferences(bool)
{
    CDsManager::GetInstance()->SetFlag(4, true);
    UpdateUCSSize();
    UpdateColorPreferences();
    UpdateDisableGlCopyPixels();
}

void CDsPreferencesServices::UpdateDisplayListUse(bool)
{
    CDsManager::GetInstance()->SetFlag(4, true);
}

void CDsPreferencesServices::UpdateUCSSize()
{
    int stored = 0;
    if (!Read(gDsPrefGroupGeneral, L"UcsSize", stored)) return;
    static const int kSizes[] = {6, 8, 10, 13};
    CDsManager::GetInstance()->SetUcsSize(stored >= 0 && stored <= 3 ? kSizes[stored] : 16);
}

void CDsPreferencesServices::UpdateColorPreferences()
{
    const struct {
        const wchar_t* key;
        EAttribSetIndex set;
    } kColors[] = {{kHighlightColor, eAttribSetHighlight},
                   {kSelectColor, eAttribSetMark},
                   {kHighlightSelectColor, eAttribSetHighlightMarked}};
    for (const auto& entry : kColors) {
        CDsColorStorage color;
        if (!ReadColor(entry.key, color)) continue;
        if (CDsLineAttribStorage* special = CDsLineAttribStorage::StGetSpecialAttributes(entry.set))
            special->SetColor(color);
        CDsManager::GetInstance()->SetSpecialAttrColor(entry.set, color.GetColorRef());
    }
}

void CDsPreferencesServices::UpdateMonochromColors()
{
    CDsColorStorage visible;
    CDsColorStorage hidden;
    GetMonochromeWireframeColors(visible, hidden);
    CDsManager* manager = CDsManager::GetInstance();
    manager->SetMonochromColor(hidden, true);
    manager->SetMonochromColor(visible, false);
}

// --- Updates of a rendering context --------------------------------------------------------------

void CDsPreferencesServices::UpdateDocumentPreferences(CDsGlContext* context, bool refacet)
{
    UpdateGeneralPreferences(false);
    UpdateRefinement(context, refacet);
}

void CDsPreferencesServices::UpdateRefinement(CDsGlContext* context, bool refacet)
{
    if (!context) context = GetCurrentGlContext();
    if (!context || !context->GetScene()) return;
    CVyrRefinement* refinement = context->GetScene()->GetRefinement();
    if (!refinement) return;
    double surface = refinement->GetSurfaceTol();
    int maxGridLines = refinement->GetMaxGridLines();
    double normal = refinement->GetNormalTol();
    double curve = refinement->GetCurveTol();
    GetRefinement(surface, maxGridLines, normal, curve, -1);
    refinement->SetSurfaceTol(surface);
    refinement->SetMaxGridLines(maxGridLines);
    refinement->SetNormalTol(normal);
    refinement->SetCurveTol(curve);
    if (refacet) RefacetAllBodies(context);
    refinement->SetChangedFlag(true);
}

void CDsPreferencesServices::RefacetAllBodies(CDsGlContext* context)
{
    if (!context) return;
    const CWaitCursor wait;
    context->ReFacetAll();
}

void CDsPreferencesServices::UpdateBackgroundColor(EDsDocumentType type, CDsGlContext* context)
{
    if (!context || !context->GetScene()) return;
    CDsBackground background;
    GetBackgroundColor(type, background);
    context->GetScene()->GetBackground().GetBackground().CopyObject(background);
    context->OnPicturePropsChanged();
}

CDsGlContext* CDsPreferencesServices::GetCurrentGlContext()
{
    CDsView3dCdc* view = CDsView3dCdc::StGetCurrent();
    return view ? view->GetGlContext() : nullptr;
}

// --- Colours and backgrounds ---------------------------------------------------------------------

void CDsPreferencesServices::GetColorPreferences(CDsColorStorage& highlight, CDsColorStorage& select,
                                                 CDsColorStorage& highlightSelect)
{
    // The special sets' default colours.
    highlight = CDsLineAttribStorage::StGetDefaultSpecialAttributes(eAttribSetHighlight).GetColor();
    select = CDsLineAttribStorage::StGetDefaultSpecialAttributes(eAttribSetMark).GetColor();
    highlightSelect = CDsLineAttribStorage::StGetDefaultSpecialAttributes(eAttribSetHighlightMarked).GetColor();
    ReadColor(kHighlightColor, highlight);
    ReadColor(kSelectColor, select);
    ReadColor(kHighlightSelectColor, highlightSelect);
}

bool CDsPreferencesServices::GetColor(const std::wstring& key, CDsColorStorage& color)
{
    return ReadColor(key.c_str(), color);
}

void CDsPreferencesServices::GetGradientUseAndFlip(const wchar_t* exist, const wchar_t* flip, bool& gradient,
                                                   bool& flipped, CDsColorStorage& second)
{
    bool on = false;
    if (Read(gDsPrefGroupGeneral, exist, on)) {
        gradient = on;
    } else if (!IsPresent(gDsPrefGroupGeneral, exist)) {
        int style = 0;
        Read(gDsPrefGroupGeneral, L"Background_Style", style);
        if (style != 0) {
            gradient = true;
            second = style == 1 ? CDsColorStorage(0, 0, 0) : CDsColorStorage(255, 255, 255);
        }
    }
    bool flippedValue = false;
    if (Read(gDsPrefGroupGeneral, flip, flippedValue)) flipped = flippedValue;
}

void CDsPreferencesServices::GetBackgroundColor(EDsDocumentType type, CDsBackground& background)
{
    struct SKeys {
        const wchar_t* color;
        const wchar_t* gradient;
        const wchar_t* exist;
        const wchar_t* flip;
    };
    static const SKeys kDrafting = {L"Drafting", nullptr, nullptr, nullptr};
    static const SKeys kAssembly = {L"Assembly", L"AssemblyGradient", L"AssemblyGradientExist", L"AssemblyGradientFlip"};
    static const SKeys kNc = {L"NC", L"NCGradient", L"NCGradientExist", L"NCGradientFlip"};
    static const SKeys kModeler = {L"Modeler", L"ModelerGradient", L"ModelerGradientExist", L"ModelerGradientFlip"};
    const SKeys& keys = type == eDsDocumentTypeDrafting   ? kDrafting
                        : type == eDsDocumentTypeAssembly ? kAssembly
                        : type == eDsDocumentTypeNc       ? kNc
                                                          : kModeler;
    CDsColorStorage first(255, 255, 255);
    CDsColorStorage second(255, 255, 255);
    bool gradient = false;
    bool flipped = false;
    ReadColor(keys.color, first);
    if (keys.gradient) {
        ReadColor(keys.gradient, second);
        GetGradientUseAndFlip(keys.exist, keys.flip, gradient, flipped, second);
    }
    background.SetBackground(first);
    background.SetGradient(second, gradient, flipped);
}

void CDsPreferencesServices::GetMonochromeWireframeColors(CDsColorStorage& visible, CDsColorStorage& hidden)
{
    ReadColor(L"MonochromeWireframeVisibleLine", visible);
    ReadColor(L"MonochromeWireframeHiddenLine", hidden);
}

// --- Faceting tolerances -------------------------------------------------------------------------

bool CDsPreferencesServices::GetRefinement(double& surface, int& maxGridLines, double& normal, double& curve,
                                           int document)
{
    bool any = Read(gDsPrefGroupPart, L"Surface_Tolerance_Data", surface, document);
    any |= Read(gDsPrefGroupPart, L"Max_Grid_Lines_Data", maxGridLines, document);
    any |= Read(gDsPrefGroupPart, L"Normal_Tolerance_Data", normal, document);
    if (IsPresent(gDsPrefGroupPart, L"Curve_Tolerance_Data", document))
        any |= Read(gDsPrefGroupPart, L"Curve_Tolerance_Data", curve, document);
    else
        any |= Read(gDsPrefGroupDrafting, L"Hl_Curve_Tolerance_Data", curve, document);
    return any;
}

bool CDsPreferencesServices::SetRefinement(double surface, int maxGridLines, double normal, double curve, int document)
{
    bool any = Write(gDsPrefGroupPart, L"Surface_Tolerance_Data", surface, document);
    any |= Write(gDsPrefGroupPart, L"Max_Grid_Lines_Data", maxGridLines, document);
    any |= Write(gDsPrefGroupPart, L"Normal_Tolerance_Data", normal, document);
    if (IsPresent(gDsPrefGroupPart, L"Curve_Tolerance_Data", document))
        any |= Write(gDsPrefGroupPart, L"Curve_Tolerance_Data", curve, document);
    else
        any |= Write(gDsPrefGroupDrafting, L"Hl_Curve_Tolerance_Data", curve, document);
    return any;
}

// --- Values the host reads and writes through the display ----------------------------------------

bool CDsPreferencesServices::GetSaveAndLoadMeshState()
{
    bool state = false;
    Read(gDsPrefGroupGeneral, L"SaveLoadMesh", state);
    return state;
}

bool CDsPreferencesServices::GetOverrideFacesColorState()
{
    bool state = true;
    Read(gDsPrefGroupGeneral, L"OverrideFacesColor", state);
    return state;
}

bool CDsPreferencesServices::SetOverrideFacesColorState(bool state)
{
    return Write(gDsPrefGroupGeneral, L"OverrideFacesColor", state);
}

int CDsPreferencesServices::GetDisableCopyPixelsStatus()
{
    int status = 1;
    Read(gDsPrefGroupGeneral, L"IgnoreOpneGLPictureCopy", status);
    return status;
}

bool CDsPreferencesServices::SetDisableCopyPixelsStatus(int status)
{
    return Write(gDsPrefGroupGeneral, L"IgnoreOpneGLPictureCopy", status);
}

bool CDsPreferencesServices::GetPrintResolution(double* resolution)
{
    return resolution && Read(gDsPrefGroupGeneral, L"PrintResolution", *resolution);
}

bool CDsPreferencesServices::SetPrintResolution(double resolution)
{
    return Write(gDsPrefGroupGeneral, L"PrintResolution", resolution);
}

bool CDsPreferencesServices::GetImageResolution(double* resolution)
{
    return resolution && Read(gDsPrefGroupGeneral, L"ImageResolution", *resolution);
}

bool CDsPreferencesServices::SetImageResolution(double resolution)
{
    return Write(gDsPrefGroupGeneral, L"ImageResolution", resolution);
}

bool CDsPreferencesServices::GetAnimationViewNumOfPics(int* pictures)
{
    return pictures && Read(gDsPrefGroupGeneral, L"AnimationViewNumbers", *pictures);
}

bool CDsPreferencesServices::SetAnimationViewNumOfPics(int pictures)
{
    return Write(gDsPrefGroupGeneral, L"AnimationViewNumbers", pictures);
}

CRect CDsPreferencesServices::GetPictureDlgPos()
{
    int left = 0, top = 0, right = 0, bottom = 0;
    Read(gDsPrefGroupGeneral, L"Left", left);
    Read(gDsPrefGroupGeneral, L"Top", top);
    Read(gDsPrefGroupGeneral, L"Right", right);
    Read(gDsPrefGroupGeneral, L"Bottom", bottom);
    return CRect(left, top, right, bottom);
}

bool CDsPreferencesServices::UpdatePictureDlgPos(const CRect& rect)
{
    bool all = Write(gDsPrefGroupGeneral, L"Left", static_cast<int>(rect.left));
    all &= Write(gDsPrefGroupGeneral, L"Top", static_cast<int>(rect.top));
    all &= Write(gDsPrefGroupGeneral, L"Right", static_cast<int>(rect.right));
    all &= Write(gDsPrefGroupGeneral, L"Bottom", static_cast<int>(rect.bottom));
    return all;
}

// --- Fast refresh --------------------------------------------------------------------------------

namespace {

const wchar_t kPartAutoHide[] = L"PartFastRefreshAutoHide";
const wchar_t kDraftAutoHide[] = L"Hl_Draft_Fast_Refresh_Auto_Hide_E8";

}  // namespace

bool CDsPreferencesServices::GetAutoHideForFastRefreshEnabled(bool drafting)
{
    bool enabled = false;
    if (!drafting && IsPresent(gDsPrefGroupGeneral, kPartAutoHide)) {
        Read(gDsPrefGroupGeneral, kPartAutoHide, enabled);
        return enabled;
    }
    Read(gDsPrefGroupGeneral, kDraftAutoHide, enabled);
    return enabled;
}

bool CDsPreferencesServices::SetAutoHideForFastRefreshEnabled(bool value, bool drafting)
{
    const bool part = !drafting && IsPresent(gDsPrefGroupGeneral, kPartAutoHide);
    return Write(gDsPrefGroupGeneral, part ? kPartAutoHide : kDraftAutoHide, value);
}

bool CDsPreferencesServices::GetShowEdgesOnZPR()
{
    bool show = false;
    Read(gDsPrefGroupGeneral, L"Fast_Part_Refresh_Show_Edges_While_Rotating", show);
    return show;
}

double CDsPreferencesServices::GetFastRefreshHideLevel(bool)
{
    return 0.05;
}

bool CDsPreferencesServices::SetFastRefreshHideLevel(double level, bool drafting)
{
    const wchar_t kPart[] = L"PartNewFastRefreshHideLevel";
    const bool part = !drafting && IsPresent(gDsPrefGroupGeneral, kPart);
    return Write(gDsPrefGroupGeneral, part ? kPart : L"Hl_Draft_Fast_Refresh_Hide_Level", level);
}

// --- "DisplayAutoSetup.dat" ----------------------------------------------------------------------

bool CDsPreferencesServices::SearchForAutoSetupFlags(CStdioFile* file, CVyrString& name, int& value)
{
    if (!file || !file->IsOpen()) return false;
    CDsSetupFileLines lines(*file);
    std::string line;
    std::string token;
    CDsSetupFileLines::ELine kind = CDsSetupFileLines::eLineText;
    bool found = false;
    while (!found && lines.Next(line, kind)) {
        if (kind != CDsSetupFileLines::eLineText || CDsSetupFileLines::IsComment(line)) continue;
        int number = 0;
        if (!ParseNameAndInteger(line, token, number)) {
            lines.NoteFault("is not a name and an integer and was skipped");
            continue;
        }
        if (CStringW(token.c_str()) == name.GetCString()) {
            value = number;
            found = true;
        }
    }
    lines.Report("DisplayAutoSetup.dat");
    return found;
}

bool CDsPreferencesServices::ReadFlagsFromAutoSetupDataFile(int* flags)
{
    if (!flags) return false;
    const CStringW path = CVyrRegistry::GetDataDir().GetCString() + L"/display/DisplayAutoSetup.dat";
    CStdioFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeText)) return false;
    CVyrString name(L"AutoUseOpenGLDisplayList");
    int value = 0;
    const bool found = SearchForAutoSetupFlags(&file, name, value);
    file.Abort();
    if (found) *flags = value;
    return found;
}

void CDsPreferencesServices::UpdateDisableGlCopyPixels()
{
    CDsOpenGlSetup::StGetFlags();
}

// --- Generic operations --------------------------------------------------------------------------

bool DsGetPreferenceValue(const wchar_t* group, const wchar_t* key, int& value)
{
    if (!group || !key) return false;
    return Read(group, key, value);
}

bool DsGetFastPartRefreshIgnoreTransparency(view3d* view)
{
    if (!view || !view->GetFlag(eDsViewFlagFastRefresh)) return false;
    int ignore = 0;
    Read(gDsPrefGroupGeneral, L"Fast_Part_Refresh_Ignore_Transparency", ignore);
    return ignore != 0;
}

bool DsIsFastRefreshAutoHideActive(view3d* view)
{
    return view && CDsPreferencesServices().GetAutoHideForFastRefreshEnabled(false) &&
           view->GetFlag(eDsViewFlagFastRefresh);
}

bool DsResetPartPreference(const wchar_t* key)
{
    return key && Write(gDsPrefGroupPart, key, 0);
}

bool DsClearTemplateInstantiationOnly()
{
    return DsResetPartPreference(L"TemplateInstantiationOnly");
}
