// CDsLineAttribManager: the eleven special line-attribute sets of a display (system default,
// current attributes, dim, mark, highlight, ...) and the host's attribute commands on one
// rendering context.
//
// The sets, by EAttribSetIndex (colours as red, green, blue; sets 0 to 9 have a colour of their
// own, style 0 and width 1; set 10 is a new storage, whose colour is inherited):
//   0 system default (0, 0, 255)       4 highlight: "Highlight_Color", (0, 255, 0)
//   1 current attributes, as set 0     5 highlight of a marked object: "Highlight_Select_Color",
//   2 dim (128, 128, 128)                (255, 153, 26)
//   3 mark: "Select_Color",            6 (255, 128, 255)    7 level 5 (145, 191, 0)
//     (0, 191, 94)                     8 level 6 (0, 117, 48)    9 level 7 (230, 230, 230)
// The three preference colours come from CDsPreferencesServices::GetColorPreferences. Making a
// manager sets the display manager's default colour to (0, 0, 255). The first manager made in
// the process hands its eleven sets to the special line attributes
// (CDsLineAttribStorage::StSetSpecialAttributes), which items resolve highlights, marks and
// visibility levels against; later managers leave that table alone.
//
// Choices where the behaviour was open or the plain rule would go wrong:
// - ApplyAttributes hands the attributes to every leaf of a figure's display item, not only to
//   the group: leaves that the figure's pen coloured would otherwise keep their own colour, width
//   and style on screen while the figure reports the new ones.
// - ConvertDsAttribute maps the transparency byte 0 to 255 onto 0 to 1 as it is (254 stays
//   254 in the scene database), where truncating byte x 1/255 would make every partly transparent
//   item fully transparent.
//
// The commands by figure run on the figures themselves, with the display of the manager's
// rendering context suspended meanwhile (its views repaint once at the end); without a rendering
// context they do nothing. Turning a figure's highlight off also takes the context's location
// highlights away. The
// commands on picked items that change attributes (ApplyColor, ApplyStyle, ApplyWidth,
// ApplyAttributes on a CDsPickedItemList) write each listed path's item in the scene database.
//
// The commands by object path and by picked item set the listed locations' states through the
// rendering context (CDsGlContext::ModifyLocations: mark 3, dim 2, visibility levels by
// Visibility2LocState) or highlight them (CDsGlContext::HighlightLocations); turning a highlight
// off takes every highlight of the context away. They do nothing without a rendering context.
// A highlight by path or by picked item is drawn with the highlight set (4): with the normal set
// (0) a highlight would be drawn in the plain colours and not be seen.
#pragma once

#include <afx.h>
#include <vyrwin_testresets.h>

#include "DsAttributes.h"
#include "DsColorStorage.h"
#include "DsLineAttribStorage.h"
#include "VyrObjectPath.h"
#include "VyrObjectTypes.h"

#include <vector>

class CDsFigure;
class CDsFigureList;
class CDsGlContext;
class CDsPickedItem;
class CDsPickedItemList;

// The special line-attribute sets of a display and its attribute commands.
class AFX_EXT_CLASS CDsLineAttribManager {
public:
    // Number of sets (EAttribSetIndex 0 to 10).
    static const int kSetCount = 11;

    // The initial sets (the first manager hands them to the special line attributes), no
    // rendering context; the display manager's default colour becomes (0, 0, 255).
    CDsLineAttribManager();
    // A copy of the sets and the context pointer.
    CDsLineAttribManager(const CDsLineAttribManager& other);
    // Takes the sets and the context pointer of `other`.
    CDsLineAttribManager& operator=(const CDsLineAttribManager& other);
    // Frees the sets.
    virtual ~CDsLineAttribManager();

    // Sets the rendering context the commands act on (not owned).
    void SetRenderingContext(CDsGlContext* context) { m_context = context; }
    // The rendering context, null until one is set.
    CDsGlContext* GetRenderingContext() const { return m_context; }

    // --- Commands by figure (nothing without a rendering context or for a null list) --------
    // Each figure's colour, style or width, redrawn.
    void ApplyColor(CDsFigureList* figures, const CDsColorStorage* color);
    // Each figure's line style, redrawn.
    void ApplyStyle(CDsFigureList* figures, int style);
    // Each figure's line width, redrawn.
    void ApplyWidth(CDsFigureList* figures, int width);
    // Each figure (defined first when it has no display item yet) erased, given the attributes
    // (its display item and its own), and drawn again.
    void ApplyAttributes(CDsFigureList* figures, const CDsLineAttribStorage* attributes);
    // Each figure marked (visibility level 3) or not, not redrawn.
    void MarkList(CDsFigureList* figures, bool on);
    // Each figure dimmed (level 1) or not, not redrawn.
    void DimList(CDsFigureList* figures, bool on);
    // Each figure's visibility level switched, not redrawn.
    void ApplyVisibility(EVisibilityLevel level, CDsFigureList* figures, bool on);
    // The figure marked or not, not redrawn (the last argument has no effect).
    void MarkFigure(CDsFigure* figure, bool on, bool unused);
    // The figure dimmed or not, redrawn (the last argument has no effect).
    void DimFigure(CDsFigure* figure, bool on, bool unused);
    // The figure's visibility level switched, redrawn (the last argument has no effect).
    void ApplyVisibility(EVisibilityLevel level, CDsFigure* figure, bool on, bool unused);
    // The figure highlighted (level 4) or not and drawn again; turning it off also takes every
    // highlight of the context away. The display is not suspended.
    void HighlightFigure(CDsFigure* figure, bool on, bool unused);
    // With a rendering context: with its display suspended meanwhile, the attributes of every
    // item of its scene are reset as `action` says (document flag 15 cleared); when the
    // suspension ends every view of the context repaints. Nothing without a context.
    void ResetAttributes(EDsResetAttributeAction action);

    // The display manager's default colour (the sets stay).
    void SetSystemDefaultColor(const CDsColorStorage& color);
    // Set 1's colour (its inherit flag cleared) and the display manager's default colour.
    void SetCurrentColor(const CDsColorStorage& color);
    // Set 1's style; false (unchanged) unless 0 to 31.
    bool SetCurrentStyle(int style);
    // Set 1's width; false (unchanged) unless 1 to 8.
    bool SetCurrentWidth(int width);
    // Set 1's colour.
    CDsColorStorage GetCurrentColor() const { return GetColor(eAttribSetFromLocation); }
    // Set 1's style.
    int GetCurrentStyle() const { return GetStyle(eAttribSetFromLocation); }
    // Set 1's width.
    int GetCurrentWidth() const { return GetWidth(eAttribSetFromLocation); }
    // Set 1, the current attributes.
    CDsLineAttribStorage& GetCurrentAttributes() { return m_sets[eAttribSetFromLocation]; }
    // Set `index` (0 to 10); null out of range.
    const CDsLineAttribStorage* GetAttributes(EAttribSetIndex index) const;

    // By picked items: with the context's display suspended meanwhile, the item of every listed
    // path (CDsPickedItemList::GetList, in list order) gets `color` in the scene database (only
    // that value set); paths the database does not know are skipped. The bool has no effect.
    // Nothing without a rendering context, a list or a colour.
    void ApplyColor(const CDsPickedItemList* list, bool unused, const CDsColorStorage* color);
    // The same with the line style `style`.
    void ApplyStyle(const CDsPickedItemList* list, bool unused, int style);
    // The same with the line width `width`.
    void ApplyWidth(const CDsPickedItemList* list, bool unused, int width);
    // Every listed path's item gets all the values of `attributes` (see ConvertDsAttribute), without
    // suspending the display. Nothing without a rendering context, a list or attributes.
    void ApplyAttributes(const CDsPickedItemList* list, bool unused, const CDsLineAttribStorage* attributes);

    // --- Commands by object path (nothing without a rendering context) ---------------------
    // The listed locations marked (state 3) or back to normal; the colour has no effect.
    void MarkList(std::vector<CVyrObjectPath>& paths, bool on, const CDsColorStorage* unused);
    // The one location marked or back to normal; the colour has no effect.
    void MarkEntity(const CVyrObjectPath& path, bool on, const CDsColorStorage* unused);
    // The listed locations dimmed (state 2) or back to normal; the first bool has no effect.
    void DimList(std::vector<CVyrObjectPath>& paths, bool unused, bool on);
    // The one location dimmed or back to normal; the first bool has no effect.
    void DimEntity(const CVyrObjectPath& path, bool unused, bool on);
    // On: the listed locations become the context's highlights (set 4); off: every highlight of
    // the context goes.
    void HighlightList(std::vector<CVyrObjectPath>& paths, bool on);
    // The same for one location.
    void HighlightEntity(const CVyrObjectPath& path, bool on);
    // Level 4 highlights as HighlightList; any other level gives the locations the state of the
    // level (Visibility2LocState) or, off, the normal state. The first bool has no effect.
    void ApplyVisibility(EVisibilityLevel level, std::vector<CVyrObjectPath>& paths, bool unused, bool on);
    // The same for one location.
    void ApplyVisibility(EVisibilityLevel level, const CVyrObjectPath& path, bool unused, bool on);

    // --- Commands by picked item (nothing without a rendering context) --------------------
    // The figures of the list marked or not (MarkList of figures), then the list's paths marked or
    // back to normal. Nothing for a null list; the colour has no effect.
    void MarkList(const CDsPickedItemList* list, bool on, const CDsColorStorage* unused);
    // MarkEntity of the item's path; nothing for null.
    void MarkItem(CDsPickedItem* item, bool on, const CDsColorStorage* unused);
    // HighlightEntity of the item's path; nothing for null.
    void HighlightItem(CDsPickedItem* item, bool on);

    // The special set a visibility level maps to: 1 gives 2, 3 gives 3, 5 gives 7, 6 gives 8,
    // 7 gives 9, every other level 0 (normal). Level 4 (highlight) has no set here.
    static EAttribSetIndex Visibility2LocState(EVisibilityLevel level);

    // For tests, which share one process: the next manager made is taken as the first one again.
    VYR_TEST_RESET static void ResetForTests();

protected:
    // The scene database's attributes of a line-attribute storage, every value set: colour,
    // style, width, visibility level, transparency (the byte over 255, so 254 stays 254) and
    // render mode (3 when the storage is shaded, else 0). Nothing set for a null storage.
    CDsAttrAdapter ConvertDsAttribute(const CDsLineAttribStorage* attributes) const;

private:
    // Gives the item of every listed path `attributes` in the scene database.
    void UpdateListedItems(const CDsPickedItemList& list, const CDsAttributes& attributes) const;
    // Fills the sets as the table above says.
    void SetInitialAttributes();
    // Stores the colour of set `index` and clears its inherit flag; for set 1 the display
    // manager's default colour as well.
    void SetColor(EAttribSetIndex index, const CDsColorStorage& color);
    // Stores the style of set `index`; false unless 0 to 31.
    bool SetStyle(EAttribSetIndex index, int style);
    // Stores the width of set `index`; false unless 1 to 8.
    bool SetWidth(EAttribSetIndex index, int width);
    // The colour, style and width of set `index`.
    CDsColorStorage GetColor(EAttribSetIndex index) const { return m_sets[index].GetColor(); }
    int GetStyle(EAttribSetIndex index) const { return m_sets[index].GetStyle(); }
    int GetWidth(EAttribSetIndex index) const { return m_sets[index].GetWidth(); }

    CDsLineAttribStorage m_sets[kSetCount];
    CDsGlContext* m_context = nullptr;

    // True once a manager handed its sets to the special line attributes.
    static bool sSpecialSetsHanded;
};
