// CDsLineAttribStorage: the line attributes of one display item or figure (colour, mark colour,
// transparency, line style, line width, visibility level, hide level and a word of flags), their
// resolution against the special attribute sets into the effective colour, style and width, and
// their application to a view and to OpenGL before the item draws.
//
// Flags (bits of the flag word):
//   0 the colour is inherited (no colour of its own)     4 on top (drawn in the on-top phase)
//   1 drawn as exclusive-or of the background colour     5 shaded render mode
//   2 highlighted                                        6 mark copy
//   3 marked
// A new storage inherits its colour and is shaded (bits 0 and 5), style 0, width 1, opaque.
//
// Resolution (first matching rule wins): highlighted and marked take the colour of special set 5,
// highlighted set 4, marked set 3 unless the storage has a mark colour of its own; visibility
// levels 1, 5 and 6 take colour, style and width from sets 2, 7 and 8; level 7 takes style and
// width from set 9 and draws the base colour dimmed. What does not resolve is not applied, so the
// OpenGL state of the enclosing item stays in force: that is how a group's children inherit.
//
// Choices where the behaviour was open or the plain rule would go wrong:
// - The special attribute table is filled with the default sets when the library loads (the
//   line-attribute manager's initial sets, with the default highlight and select colours), so
//   that a display that draws before any line-attribute manager exists resolves highlights and
//   visibility levels instead of reading empty entries. The first manager replaces them. An entry
//   that is empty later (after StDeleteSpecialLineAttributes) resolves as its default set.
// - The width goes to OpenGL through CDsDriverGl::StForceWidth, which is glLineWidth that also
//   keeps the driver's width cache true (a plain glLineWidth would leave it stale); a width below
//   1 (an inherited width at a level that takes the own width) is not sent.
// - The exclusive-or partner is the background colour of the view's GL scene (the colour the
//   scene's frames are cleared to); a view that belongs to no rendering context (a plain modeler
//   view, a measuring view) has no scene, and its own background colour
//   (view3d::get_background_rgb) stands in.
// - A null view applies nothing and answers the last applied colour.
// - SetTransparency of a NaN leaves the transparency unchanged.
#pragma once

#include <afx.h>
#include <vyrwin_testresets.h>

#include "DsColorStorage.h"
#include "DsHideLevel.h"
#include "VyrObjectTypes.h"
#include "VyrViewTypes.h"
#include "rgb_color.h"

#include <cstdint>

class CDsAttribute;
class CDsAttributes;
class view3d;
struct SDsGlMaterialSource;

// How visible an item is. Level 4 sets or clears the highlight flag and level 3 the mark flag;
// every other level is stored in the visibility byte.
enum EVisibilityLevel : int {
    eVisibilityNormal = 0,     // drawn as it is
    eVisibilityDim = 1,        // dimmed: special set 2
    eVisibilityLevel2 = 2,     // stored as it is; drawn as the own attributes
    eVisibilityMark = 3,       // the mark flag
    eVisibilityHighlight = 4,  // the highlight flag
    eVisibilityLevel5 = 5,     // special set 7
    eVisibilityLevel6 = 6,     // special set 8
    eVisibilityLevel7 = 7      // style and width of set 9, the base colour dimmed
};

// What ResetAttributes clears (bits, combinable).
enum EDsResetAttributeAction : int {
    eDsResetHighlight = 1,   // the highlight flag
    eDsResetMark = 2,        // the mark flag
    eDsResetHideLevel = 4,   // the hide level (back to 0, shown)
    eDsResetVisibility = 8,  // the visibility level (back to 0)
    eDsResetAll = 15         // all four
};

// The line attributes of an item or figure.
class AFX_EXT_CLASS CDsLineAttribStorage {
public:
    // Bits of the flag word.
    enum EFlag : uint32_t {
        eFlagInheritColor = 0x01,  // no colour of its own
        eFlagXor = 0x02,           // exclusive-or of the background colour
        eFlagHighlight = 0x04,     // highlighted
        eFlagMark = 0x08,          // marked
        eFlagOnTop = 0x10,         // drawn in the on-top phase
        eFlagShaded = 0x20,        // shaded render mode
        eFlagMarkCopy = 0x40       // mark copy
    };
    // Number of special attribute sets (EAttribSetIndex 0 to 10).
    static const int kSpecialSetCount = 11;
    // Number of line styles (0 to 31).
    static const int kStylesCount = 32;
    // Largest line width.
    static const int kMaxWidth = 8;
    // The style value that inherits the style.
    static const int kInheritStyle = 255;

    // Inherited colour (black), shaded, style 0, width 1, opaque, visibility 0, shown, no mark
    // colour.
    CDsLineAttribStorage();
    // The defaults, then `color` with the inherit flag cleared, `style` when it is 0 to 31 and
    // `width` when it is 1 to 8 (other values keep the defaults).
    CDsLineAttribStorage(CDsColorStorage& color, int style, int width);
    // A copy as CopyObject makes it.
    CDsLineAttribStorage(const CDsLineAttribStorage& other);
    // CopyObject.
    CDsLineAttribStorage& operator=(const CDsLineAttribStorage& other);
    // Takes the inherit flag, colour (when `other` has one of its own), style, width, visibility,
    // on-top flag, transparency, mark flag and hide level of `other`. The copy has no mark
    // colour, is neither highlighted nor exclusive-or nor a mark copy, and is shaded; when
    // `other` inherits its colour this storage keeps its previous colour value.
    virtual void CopyObject(const CDsLineAttribStorage& other);
    // Frees the mark colour.
    virtual ~CDsLineAttribStorage();

    // --- Colour ---------------------------------------------------------------------------
    // Stores the colour and clears the inherit flag.
    void SetColor(const CDsColorStorage& color);
    // Stores the colour (0x00BBGGRR) and clears the inherit flag.
    void SetColor(unsigned long& color);
    // The stored colour (meaningful unless inherited).
    const CDsColorStorage& GetColor() const { return m_color; }
    // The stored colour as 0x00BBGGRR.
    void GetColor(unsigned long& color) const;
    // Writes the inherit-colour flag.
    void SetInheritColorState(bool inherit);
    // Sets the inherit-colour flag.
    void ResetInheritColorState();
    // Whether the colour is inherited.
    bool GetInheritColorState() const { return (m_flags & eFlagInheritColor) != 0; }
    // The colour of a marked item when it has one of its own; null when none.
    const CDsColorStorage* GetMarkColor() const { return m_markColor; }

    // --- Transparency ---------------------------------------------------------------------
    // Stores 255 for t above 1, else max(t, 0) x 255 truncated (0 fully transparent, 255
    // opaque); a NaN changes nothing.
    void SetTransparency(float t);
    // The transparency byte times 1/255 (1 opaque).
    float GetTransparency() const;
    // The transparency byte (255 opaque).
    uint8_t GetTransparencyByte() const { return m_transparency; }

    // --- Style and width ------------------------------------------------------------------
    // Stores style 0 to 31 and answers true; false (unchanged) for any other value.
    bool SetStyle(int style);
    // The style (255 when inherited).
    int GetStyle() const { return m_style; }
    // Number of styles: 32.
    int GetStylesCount() const { return kStylesCount; }
    // Style 255: inherited.
    void ResetInheritStyleState() { m_style = kInheritStyle; }
    // Whether the style is inherited (255).
    bool GetInheritStyleState() const { return m_style == kInheritStyle; }
    // Stores width 1 to 8 and answers true; false (unchanged) for any other value.
    bool SetWidth(int width);
    // The width (0 when inherited).
    int GetWidth() const { return m_width; }
    // The largest width: 8.
    int GetMaxWidth() const { return kMaxWidth; }
    // Width 0: inherited.
    void ResetInheritWidthState() { m_width = 0; }
    // Whether the width is inherited (0).
    bool GetInheritWidthState() const { return m_width == 0; }

    // --- Inheritance ----------------------------------------------------------------------
    // True when colour, width and style are inherited, the visibility level is 0 and the item is
    // neither highlighted nor marked.
    bool GetInheritAllState() const;
    // True when the colour or the style is inherited; otherwise true when the width is inherited,
    // the visibility level is 0 and the item is neither highlighted nor marked.
    bool GetInheritAnythingState() const;

    // --- Visibility, highlight and mark ---------------------------------------------------
    // Level 4 writes the highlight flag, level 3 the mark flag; any other level is stored when
    // `on` and replaced by 0 when not.
    void SetVisibility(EVisibilityLevel level, bool on);
    // The visibility level.
    EVisibilityLevel GetVisibility() const { return static_cast<EVisibilityLevel>(m_visibility); }
    // Only for level 3: the mark colour is freed and, when `on` and `color` is not null, a copy of
    // `color` becomes the mark colour. Other levels change nothing.
    void SetVisibilityColor(EVisibilityLevel level, const CDsColorStorage* color, bool on);
    // Writes the highlight flag.
    void Highlight(bool on);
    // Writes the mark flag.
    void Mark(bool on);
    // Writes the mark-copy flag.
    void MarkCopy(bool on);
    // Writes the exclusive-or flag.
    void SetXorMode(bool on);
    // Writes the on-top flag.
    void SetOnTopFlag(bool on);
    // Sets the shaded flag exactly when `mode` is 3 (shade).
    void SetRenderMode(ERenderMode mode);
    // eRenderShade (3) when the shaded flag is set, else eRenderWireframe (0).
    ERenderMode GetRenderMode() const;
    // The highlight flag.
    bool GetHighlightState() const { return (m_flags & eFlagHighlight) != 0; }
    // The mark flag.
    bool GetMarkState() const { return (m_flags & eFlagMark) != 0; }
    // The mark-copy flag.
    bool GetMarkCopyState() const { return (m_flags & eFlagMarkCopy) != 0; }
    // The exclusive-or flag.
    bool GetXorMode() const { return (m_flags & eFlagXor) != 0; }
    // The on-top flag.
    bool GetOnTopFlag() const { return (m_flags & eFlagOnTop) != 0; }
    // The whole flag word.
    uint32_t GetFlags() const { return m_flags; }
    // Clears by `action` (bits of EDsResetAttributeAction): 1 highlight, 2 mark, 4 hide level
    // (shown), 8 visibility level.
    void ResetAttributes(EDsResetAttributeAction action);

    // --- Hide level -----------------------------------------------------------------------
    // A hide level given to the storage: the hide level takes it (`on` as CDsHideLevel::SetData
    // reads it); other attribute kinds are ignored.
    void SetAttribute(const CDsAttribute& attribute, bool on);
    // A hide level asked for: this storage's hide level is copied into it; other kinds are left.
    void GetAttribute(CDsAttribute& attribute) const;
    // The hide level.
    const CDsHideLevel& GetHideLevel() const { return m_hideLevel; }
    // Whether the hide level hides the item.
    bool IsHidden() const { return m_hideLevel.IsHidden(); }
    // How many times the hide level of some storage has changed in this process: whoever keeps
    // a result that depends on items being hidden compares it (it never goes back).
    static uint64_t StHideLevelChanges();

    // --- Translation, phases and application ----------------------------------------------
    // Writes colour, transparency, style, width and hide level into a scene-database attribute
    // set.
    void Translate(CDsAttributes& out) const;
    // Whether the item draws in the view's current draw phase: phase 0 opaque items not on top,
    // 1 transparent items not on top, 2 items not on top, 3 items on top, 4 everything, above 4
    // nothing. False for a null view.
    bool CheckDisplayPhaseMatch(view3d* view) const;
    // Resolves colour, style and width and applies what resolved: while plotting to the view's
    // pen (colour, width; the style in any case), otherwise to OpenGL (glColor4f with the
    // transparency as alpha, the style's stipple, the line width). Exclusive-or storages apply
    // their colour exclusive-or the background colour of the view's GL scene. Answers the colour it resolved
    // (black when it did not), which is also kept as the last applied colour.
    rgb_color& SetAttributesToView(view3d* view);
    // SetAttributesToView, then the view's background colour as the colour (the view's pen too
    // while plotting; glColor3f in any case); answers that colour, kept as the last applied one.
    rgb_color& SetEraseAttributesToView(view3d* view);

    // --- Special attribute sets and process-wide switches ----------------------------------
    // Special set `index` (0 to 10); null when the entry is empty or out of range.
    static CDsLineAttribStorage* StGetSpecialAttributes(EAttribSetIndex index);
    // Deletes the entry's storage and stores a copy of `attributes` (null leaves the entry
    // empty); ignored out of range.
    static void StSetSpecialAttributes(EAttribSetIndex index, CDsLineAttribStorage* attributes);
    // Deletes all eleven entries; the table is empty afterwards (the library's unload does it).
    static void StDeleteSpecialLineAttributes();
    // The default content of special set `index` (0 to 10), as the table holds it when the
    // library loads: 0 and 1 (0, 0, 255), 2 (128, 128, 128), 3 (0, 191, 94), 4 (0, 255, 0),
    // 5 (255, 153, 26), 6 (255, 128, 255), 7 (145, 191, 0), 8 (0, 117, 48), 9 (230, 230, 230),
    // each with colour of its own, style 0 and width 1; 10 a new storage. Out of range: a new
    // storage.
    static CDsLineAttribStorage StGetDefaultSpecialAttributes(EAttribSetIndex index);
    // The width that highlighted or marked items draw with at least (0: their own width).
    static int StGetHighlightPenWidthInShade();
    // Sets that width.
    static void StSetHighlightPenWidthInShade(int width);
    // Whether force visibility mode is on: no storage yields a colour of its own.
    static bool StGetForceVisibilityMode();
    // Switches force visibility mode.
    static void StSetForceVisibilityMode(bool on);
    // The last colour SetAttributesToView or SetEraseAttributesToView applied.
    static const rgb_color& StGetLastAppliedColor() { return mColorForComputFunction; }
    // For tests, which share one process: the special table back to its default sets, force
    // visibility off, highlight pen width 0, last applied colour black.
    VYR_TEST_RESET static void ResetForTests();

    // The special attribute table (11 entries, owned).
    static CDsLineAttribStorage* sSpecialAttributes[kSpecialSetCount];
    // While true, no storage yields a colour of its own.
    static bool sForceVisibility;
    // The width highlighted or marked items draw with at least in a shaded display (0: off).
    static int32_t sHighlightPenWidthInShade;
    // The last applied colour.
    static rgb_color mColorForComputFunction;

private:
    // The material of a face takes its colour as the storage resolves it, highlight left out.
    friend void DsApplyGlMaterialFromAttributes(const SDsGlMaterialSource* source, view3d* view, bool twoSided,
                                                bool noCulling);

    void ResetMembers();
    bool ComputeColor(rgb_color* color) const;
    // ComputeColor with the highlight flag off for the call (restored afterwards).
    bool ComputeColorWithoutHighlight(rgb_color* color);
    bool ComputeStyle(int& style) const;
    bool ComputeWidth(int& width, view3d* view) const;
    bool ComputeWidthFromColor(int& width, bool use, rgb_color* color) const;
    void ComputeXorColor(rgb_color& color, view3d* view) const;
    void SetFlag(uint32_t flag, bool on);
    // Gives the hide level `level` (`on` as CDsHideLevel::SetData reads it), counting a change.
    void SetHideLevel(unsigned int level, bool on);

    uint32_t m_flags = eFlagInheritColor | eFlagShaded;
    CDsColorStorage m_color;
    CDsColorStorage* m_markColor = nullptr;
    uint8_t m_transparency = 255;
    uint8_t m_style = 0;
    uint8_t m_width = 1;
    uint8_t m_visibility = 0;
    CDsHideLevel m_hideLevel;
};
