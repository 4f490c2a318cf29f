// CDsPreferencesServices: the display's access to the host's preference store (CVyrPrefManager).
// It reads the display preferences (colours, backgrounds, faceting tolerances, fast-refresh
// behaviour, resolutions, the UCS size, monochrome colours) and pushes them into the display
// manager, the special line attributes and the caller; it also reads the data file
// "DisplayAutoSetup.dat". Instances keep no state and are made where they are needed.
//
// Groups and documents: "General" (gDsPrefGroupGeneral) is always read and written with document
// 0, the application level; "Part" and "Drafting" with the active document
// (CVyrPrefManager::GetActiveDocumentId) unless a document is given. A preference the store does
// not hold is absent: readers keep the default of the table below (or the caller's value where no
// default is named), writers do nothing and answer false. Reading never writes.
//
//   key (group "General" unless named)          type   default when absent
//   "Highlight_Color"                            colour (0, 255, 0)     special set 4
//   "Select_Color"                               colour (0, 191, 94)    special set 3 (and 11)
//   "Highlight_Select_Color"                     colour (255, 153, 26)  special set 5
//   "UcsSize"                                    int    the display manager's size stays
//   "SaveLoadMesh"                               bool   false
//   "Left", "Top", "Right", "Bottom"             int    0
//   "IgnoreOpneGLPictureCopy"                    int    1
//   "PartFastRefreshAutoHide"                    bool   false
//   "Hl_Draft_Fast_Refresh_Auto_Hide_E8"         bool   false
//   "Fast_Part_Refresh_Show_Edges_While_Rotating" bool  false
//   "PartNewFastRefreshHideLevel", "Hl_Draft_Fast_Refresh_Hide_Level"  real (written only)
//   "PrintResolution", "ImageResolution"         real   none (the getter answers false)
//   "OverrideFacesColor"                         bool   true
//   "AnimationViewNumbers"                       int    none (the getter answers false)
//   "MonochromeWireframeVisibleLine", "MonochromeWireframeHiddenLine"  colour  caller's value
//   "Modeler", "Drafting", "Assembly", "NC"      colour (255, 255, 255)  background
//   "ModelerGradient", "AssemblyGradient", "NCGradient"  colour (255, 255, 255)
//   "ModelerGradientExist", ... "NCGradientExist"  bool  "Background_Style" decides
//   "ModelerGradientFlip", ... "NCGradientFlip"  bool   false
//   "Background_Style"                           int    0 (no gradient)
//   "Fast_Part_Refresh_Ignore_Transparency"      int    0
//   "MonochromeWireframeEnable", "ShaderActive"  int    0 (display-manager flags 12 and 13)
//   "Surface_Tolerance_Data", "Max_Grid_Lines_Data", "Normal_Tolerance_Data",
//   "Curve_Tolerance_Data" (group "Part")        real, int, real, real: caller's values
//   "Hl_Curve_Tolerance_Data" (group "Drafting") real   stands for an absent curve tolerance
//   "TemplateInstantiationOnly" (group "Part")   int    cleared to 0 by DsClearTemplateInstantiationOnly
// Integers read as booleans (non-zero is true), and booleans as integers (0 or 1).
//
// Choices where the behaviour was open or the plain rule would go wrong:
// - A preference that is present but holds a value of another type (a text where a colour
//   belongs, a real where an integer belongs) or a real that is not finite counts as absent: the
//   default stands, and the reader writes one warning line to the core's warnings file
//   (CDsGeometryComputer::WriteWarning) naming group and key. Lines of the preference file that
//   cannot be read at all are the store's to report (it warns once on standard error).
// - The getters that take a pointer answer false for a null pointer.
// - The writers answer whether they wrote: false when the key is absent or the store refuses
//   the value.
// - "DisplayAutoSetup.dat" lies at "<data folder>/display/DisplayAutoSetup.dat". Its lines are
//   read with bounds (at most 1024 bytes a line and 1 MB in all): a name of up to 255 bytes and
//   an integer in the range of a 32-bit integer, as "%s %d" reads them (the number may be
//   followed by other text); blank lines and comments ('#' or ';' first) are passed over, and
//   other lines that give no name and integer are skipped with one warning line for the read. A
//   file that cannot be opened leaves the flags as they were (ReadFlagsFromAutoSetupDataFile
//   answers false) and is no warning: the file is optional.
//
// The GL-context list (StAddGlContext, StRemoveGlContext): the rendering contexts that follow
// preference changes. A context is entered once, however often it is added (so a later removal
// takes it out for good); null is never entered. The list is one of the library's static
// objects: empty when the library loads, gone when it unloads (a context that leaves after that
// point is ignored).
//
// Updates of a rendering context (UpdateDocumentPreferences, UpdateRefinement,
// UpdateBackgroundColor) write into the context's scene: its refinement record and its
// background. Choices:
// - The faceting tolerances are those of the active document (CVyrPrefManager's active document),
//   read as GetRefinement reads them; a tolerance the store does not hold (or holds faulty)
//   leaves the scene's value. The record's changed flag is set in any case.
// - A background update marks the picture properties of the scene as changed, so that every view
//   of the context draws its next frame anew on the new background (a view that only put its
//   kept picture back would show the old one).
// - Asked to re-facet, the update re-facets the context's bodies after the record holds the new
//   tolerances (RefacetAllBodies: CDsGlContext::ReFacetAll under the wait cursor), once; the
//   context's other documents' bodies, in other contexts, are left as they were.
#pragma once

#include <afx.h>

#include "DsColorStorage.h"
#include "VyrString.h"
#include "VyrViewTypes.h"

#include <string>
#include <vector>

class CDsBackground;
class CDsGlContext;
class view3d;

// The display preferences.
class AFX_EXT_CLASS CDsPreferencesServices {
public:
    // A service object (no state of its own).
    CDsPreferencesServices() = default;
    // Nothing to free.
    virtual ~CDsPreferencesServices() = default;

    // --- Rendering contexts that follow preference changes ----------------------------------
    // Enters `context` in the list (once; null is ignored).
    static void StAddGlContext(CDsGlContext* context);
    // Takes `context` out of the list (nothing when it is not there).
    static void StRemoveGlContext(CDsGlContext* context);
    // The contexts in the list, in the order they were entered.
    static std::vector<CDsGlContext*> StGetGlContexts();

    // --- Updates of the display state --------------------------------------------------------
    // Display lists on (display-manager flag 4), the UCS size, the colours of the special
    // attribute sets, then the OpenGL setup file when it has not been read yet. The argument has
    // no effect.
    void UpdateGeneralPreferences(bool unused);
    // Display lists on (display-manager flag 4); the argument has no effect.
    void UpdateDisplayListUse(bool unused);
    // The display manager's UCS size from "UcsSize": 0, 1, 2, 3 give 6, 8, 10, 13, any other
    // value 16; absent (or faulty), the size stays.
    void UpdateUCSSize();
    // For each of "Highlight_Color", "Select_Color" and "Highlight_Select_Color" that is present:
    // the special line attributes 4, 3 and 5 (when the entry exists) take the colour with their
    // inherit flag cleared, and the scene database's sets 4, 3 (with 11) and 5 take it
    // (CDsManager::SetSpecialAttrColor). Absent keys change nothing.
    void UpdateColorPreferences();
    // The display manager's monochrome colours from the monochrome preferences; a colour whose
    // key is absent becomes black.
    void UpdateMonochromColors();
    // UpdateGeneralPreferences, then UpdateRefinement(context, refacet).
    void UpdateDocumentPreferences(CDsGlContext* context, bool refacet);
    // The faceting tolerances of the active document into the refinement record of the scene of
    // `context` (null: the current view's context; nothing without one), its changed flag set;
    // with `refacet` the context's bodies are faceted again with them (RefacetAllBodies).
    void UpdateRefinement(CDsGlContext* context, bool refacet);
    // The background of document type `type` (GetBackgroundColor) into the background of the
    // scene of `context`; nothing for a null context.
    void UpdateBackgroundColor(EDsDocumentType type, CDsGlContext* context);

    // --- Colours and backgrounds -------------------------------------------------------------
    // The highlight, select and highlight-select colours (defaults (0, 255, 0), (0, 191, 94),
    // (255, 153, 26)).
    void GetColorPreferences(CDsColorStorage& highlight, CDsColorStorage& select, CDsColorStorage& highlightSelect);
    // The "General" colour of `key`; false (colour unchanged) when absent.
    bool GetColor(const std::wstring& key, CDsColorStorage& color);
    // The background of a document type: 0 "Drafting" (never a gradient), 2 "Assembly", 3 "NC",
    // any other "Modeler", each with its gradient keys. Colours white unless stored; gradient on
    // when the Exist key is non-zero, or, without that key, when "Background_Style" is not 0
    // (1: the second colour black, other values white); flipped when the Flip key is non-zero.
    void GetBackgroundColor(EDsDocumentType type, CDsBackground& background);
    // The monochrome wireframe colours of visible and hidden lines; an absent key leaves its
    // colour as it is.
    void GetMonochromeWireframeColors(CDsColorStorage& visible, CDsColorStorage& hidden);

    // --- Faceting tolerances -----------------------------------------------------------------
    // The "Part" tolerances of `document` (negative: the active one); the curve tolerance from
    // "Hl_Curve_Tolerance_Data" of "Drafting" when "Curve_Tolerance_Data" is absent. An absent
    // key leaves its value. True when any value was read.
    bool GetRefinement(double& surface, int& maxGridLines, double& normal, double& curve, int document);
    // Writes the four tolerances to the keys GetRefinement reads (absent keys are skipped); true
    // when any value was written.
    bool SetRefinement(double surface, int maxGridLines, double normal, double curve, int document);

    // --- Values the host reads and writes through the display --------------------------------
    // "SaveLoadMesh" (false when absent).
    bool GetSaveAndLoadMeshState();
    // "OverrideFacesColor" (true when absent).
    bool GetOverrideFacesColorState();
    // Writes "OverrideFacesColor"; false when absent.
    bool SetOverrideFacesColorState(bool state);
    // "IgnoreOpneGLPictureCopy" (1 when absent).
    int GetDisableCopyPixelsStatus();
    // Writes "IgnoreOpneGLPictureCopy"; false when absent.
    bool SetDisableCopyPixelsStatus(int status);
    // "PrintResolution" into *resolution; false (unchanged) when absent or null.
    bool GetPrintResolution(double* resolution);
    // Writes "PrintResolution"; false when absent.
    bool SetPrintResolution(double resolution);
    // "ImageResolution" into *resolution; false (unchanged) when absent or null.
    bool GetImageResolution(double* resolution);
    // Writes "ImageResolution"; false when absent.
    bool SetImageResolution(double resolution);
    // "AnimationViewNumbers" into *pictures; false (unchanged) when absent or null (users then
    // take 25).
    bool GetAnimationViewNumOfPics(int* pictures);
    // Writes "AnimationViewNumbers"; false when absent.
    bool SetAnimationViewNumOfPics(int pictures);
    // The picture dialog's rectangle from "Left", "Top", "Right", "Bottom" (0 each when absent).
    CRect GetPictureDlgPos();
    // Writes the four sides (absent keys are skipped); true when all four were written.
    bool UpdatePictureDlgPos(const CRect& rect);

    // --- Fast refresh ------------------------------------------------------------------------
    // Automatic hiding during fast refresh: for parts "PartFastRefreshAutoHide" when present;
    // for drawings, or when the part key is absent, "Hl_Draft_Fast_Refresh_Auto_Hide_E8"; false
    // when neither is present.
    bool GetAutoHideForFastRefreshEnabled(bool drafting);
    // Writes `value` to the key the getter reads; false when that key is absent.
    bool SetAutoHideForFastRefreshEnabled(bool value, bool drafting);
    // "Fast_Part_Refresh_Show_Edges_While_Rotating" (false when absent).
    bool GetShowEdgesOnZPR();
    // The hide level of fast refresh: 0.05, whatever is stored.
    double GetFastRefreshHideLevel(bool drafting);
    // Writes "PartNewFastRefreshHideLevel" for parts when it is present, else
    // "Hl_Draft_Fast_Refresh_Hide_Level"; false when the key written to is absent.
    bool SetFastRefreshHideLevel(double level, bool drafting);

    // --- "DisplayAutoSetup.dat" --------------------------------------------------------------
    // Reads lines of `file` from where it stands until one gives `name` and an integer: `value`
    // = the integer and true (the file then stands after that line). False at the end of the
    // file (value unchanged), for a null or closed file. Faulty lines are skipped with one
    // warning for the search.
    bool SearchForAutoSetupFlags(CStdioFile* file, CVyrString& name, int& value);

protected:
    // Whether the background of the keys `exist` and `flip` is a gradient and flipped, and its
    // second colour when "Background_Style" decides (1 black, other values white; 0 leaves it).
    void GetGradientUseAndFlip(const wchar_t* exist, const wchar_t* flip, bool& gradient, bool& flipped,
                               CDsColorStorage& second);
    // Opens "DisplayAutoSetup.dat" and stores the integer of "AutoUseOpenGLDisplayList" in
    // *flags; false (flags unchanged) when the file cannot be opened, the key is not found or
    // flags is null.
    bool ReadFlagsFromAutoSetupDataFile(int* flags);
    // Reads the OpenGL setup file when it has not been read yet (CDsOpenGlSetup).
    void UpdateDisableGlCopyPixels();
    // The rendering context of the current view (CDsView3dCdc::StGetCurrent, which makes that
    // view's OpenGL context current when another one is); null without a current view.
    CDsGlContext* GetCurrentGlContext();
    // Re-facets every body of `context` (CDsGlContext::ReFacetAll) with the wait cursor shown
    // meanwhile; nothing for null.
    void RefacetAllBodies(CDsGlContext* context);
};

// The process-wide service object, ready for use from library start.
extern AFX_EXT_DATA CDsPreferencesServices gDsPreferencesServices;

// The integer of `key` in `group`: "General" with document 0, any other group with the active
// document. False (value unchanged) when absent or not an integer.
AFX_EXT_API bool DsGetPreferenceValue(const wchar_t* group, const wchar_t* key, int& value);
// True when "Fast_Part_Refresh_Ignore_Transparency" is not 0 and a fast refresh runs in the view
// (view flag 3); false for a null view.
AFX_EXT_API bool DsGetFastPartRefreshIgnoreTransparency(view3d* view);
// True when automatic hiding is on for parts and a fast refresh runs in the view (view flag 3);
// false for a null view.
AFX_EXT_API bool DsIsFastRefreshAutoHideActive(view3d* view);
// Stores 0 in `key` of group "Part" of the active document; false when the key is absent.
AFX_EXT_API bool DsResetPartPreference(const wchar_t* key);
// Stores 0 in "TemplateInstantiationOnly" of group "Part" of the active document.
AFX_EXT_API bool DsClearTemplateInstantiationOnly();
