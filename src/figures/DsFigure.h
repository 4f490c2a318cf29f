// CDsFigure: the base of every figure, a graphic that the host (or the display's own lights and
// reference planes) owns and shows and that is no modeler entity. A figure describes itself by pen
// calls into a figure generator in its DefineFig; the generator hands back an item group
// (CDsItemsFigure) that the figure keeps. The figure then either draws that group straight onto a
// view (front buffer, no refresh), or records itself into the temporary part of the scene
// database as an item of type 59 whose geometry is a CDsFigureGeometry, so that every later
// frame draws it through the draw walk and every pick walk can hit it. The base holds the line
// attributes, the draw mode, the database identity and the two groups (the main group that
// DefineFig makes and the impersonal part that DefineImpersonalPart makes), and runs the whole
// define, record, draw, erase, remove and redefine life cycle; a concrete figure adds its
// parameters and its DefineFig.
//
// "The group" below is the main group when there is one, else the impersonal part. A recorded
// figure's object path has its item id as the only id, 1 as its depth and the temporary part's id
// as its part.
//
// The display-suspension count that drawing and recording read is the counter of the scene of the
// current view's context (0 without a current view with a context).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - Not copyable: a copy would own the same item groups and the same database item.
// - A figure that goes while its item is in the scene database removes that item first, whatever
//   its storage-removal flag says: the item's geometry points at the figure. Before removing an
//   item the figure checks that the item at its id still holds a geometry of this figure, so a
//   figure whose scene went (its temporary part with it) never removes another figure's item.
// - When the part storage refuses the item, the new figure geometry is deleted (it was never the
//   storage's).
// - A DefineFig that answers 0 leaves the figure without a main group; what the generator made
//   then is deleted with the generator's root group.
// - The object id kept from an earlier recording is used again only in the scene whose temporary
//   part it names; recorded in another scene, the figure takes a new id of that scene (an item of
//   its own still left under the old id is removed first).
// - The context a figure is recorded with is the core rendering context of the view, a plain
//   modeler view's as well as a core view's, so that Remove finds the item of either.
// - DrawOnView of a recorded figure draws its location through the rendering context of the view
//   it draws on.
// - A direct draw notes the front-buffer version of the current view's context it drew at, so that
//   IsDrawn answers true after it until the next buffer swap (and not false at once when the
//   buffers were swapped before the draw).
// - GetBoundingRectangle answers -1 for all four values (InvalidateBoundingRectangle) when there
//   is no view or group or nothing was measured.
#pragma once

#include <afx.h>

#include "DsFlags.h"
#include "DsItemBase.h"
#include "DsLineAttribStorage.h"
#include "VyrFigureGenerator.h"
#include "VyrObjectId.h"
#include "VyrObjectPath.h"
#include "VyrObjectTypes.h"
#include "VyrViewTypes.h"

#include <cstdint>

class CDsAttribute;
class CDsColorStorage;
class CDsFigureGenerator;
class CDsGlContext;
class CDsItemsFigure;
class CDsView3dCdc;
class CGmTransformation;
class CUiPickEvent;
class CVyrObject;
class view3d;

// The base of every figure.
class AFX_EXT_CLASS CDsFigure {
public:
    // A figure placed in the coordinate system of the host's active tool context when
    // `activeTransformation`, whose Remove also removes its database item when `storageRemoval`,
    // and that section planes clip when `clipable`. Not defined, not recorded, draw mode 1, no
    // object id; when special attribute set 0 exists the figure takes its colour (as a colour of
    // its own), its style when below 32 and its width when 1 to 8.
    explicit CDsFigure(bool activeTransformation = true, bool storageRemoval = true, bool clipable = false);
    // Not copyable.
    CDsFigure(const CDsFigure&) = delete;
    // Not copyable.
    CDsFigure& operator=(const CDsFigure&) = delete;
    // Removes the figure's database item (see the header comment), Remove(null) when recorded,
    // and deletes the groups that remain.
    virtual ~CDsFigure();

    // --- Virtual operations, in slot order ------------------------------------------------
    // A hide-level attribute: erases, gives it to the group (`on`, `recurse`), keeps it in the
    // stored hide level (other kinds are not kept), updates the database and draws again.
    virtual void SetAttribute(const CDsAttribute& attribute, bool on, bool recurse);
    // Copies the stored hide level into a hide-level attribute; other kinds are left.
    virtual void GetAttribute(CDsAttribute& attribute);
    // The draw mode of the group and the figure; mode 2 (exclusive-or) also puts it on top.
    virtual void SetDrawMode(eDsDrawMode mode);
    // A colour of its own, to the group and stored; erased and drawn again with `redraw`.
    virtual void SetColor(const CDsColorStorage& color, bool redraw);
    // The style, to the group as given and stored when 0 to 31; erased and drawn again with
    // `redraw`.
    virtual void SetStyle(int style, bool redraw);
    // The width, to the group as given and stored when 1 to 8; -1 makes both inherit it (stored
    // 0). Erased and drawn again with `redraw`.
    virtual void SetWidth(int width, bool redraw);
    // The transparency (0 transparent to 1 opaque), to the group and stored as a byte: 255 above
    // 1, else trunc(max(t, 0) x 255).
    virtual void SetTransparency(float transparency);
    // The render mode of the group; the stored shaded bit is set exactly for mode 3.
    virtual void SetRenderMode(ERenderMode mode);
    // The highlight bit of the group and the figure; then the figure draws again.
    virtual void Highlight(bool on);
    // Visibility level `level` on or off (4 highlight, 3 mark, others the visibility byte), to
    // the group and stored; erased and drawn again with `redraw`.
    virtual void SetVisibility(EVisibilityLevel level, bool on, bool redraw);
    // The window rectangle (pixels, y up) of the group in `view` (null: the current view):
    // minimum x, maximum x, minimum y, maximum y; -1 each when nothing can be measured.
    virtual void GetBoundingRectangle(CDsView3dCdc* view, double& xmin, double& xmax, double& ymin,
                                      double& ymax) const;
    // Moves the figure: an unrecorded figure's group is erased, transformed and drawn again; a
    // recorded figure's database item gets the transform instead (its groups stay).
    virtual void Transform(const CGmTransformation& transformation);
    // Whether the group lies under the event, with a `width` x `height` pick aperture (see
    // CDsItemBase::IsPicked); hidden figures count too. 0 or 1.
    virtual int IsPicked(const CUiPickEvent& event, int width, int height);
    // Takes the directly drawn group off the view (null: the current view).
    virtual void Erase(view3d* view);
    // Describes the figure into `generator`; 0 when there is nothing to show.
    virtual int DefineFig(CDsFigureGenerator& generator) = 0;
    // Describes the impersonal part into `generator`; false (none) in the base.
    virtual bool DefineImpersonalPart(CDsFigureGenerator& generator);
    // 1 when the figure draws only while highlighted or marked; 0 in the base.
    virtual unsigned char GetFigureAttributes();
    // The figure's type; -1 in the base.
    virtual int GetType() const;
    // The figure's database id (part 0x80000000, item 0 before the first recording).
    virtual CVyrObjectId GetObjectId() const;
    // Whether the impersonal part draws while the location is drawn in attribute set `set`; true
    // in the base.
    virtual bool OnImpPartDraw(EAttribSetIndex set) const;

    // --- Life cycle -----------------------------------------------------------------------
    // Builds the groups again from DefineFig and DefineImpersonalPart, keeping the recorded and
    // drawn states (a recorded figure is removed and recorded again under the same id, a drawn one
    // erased and drawn again).
    void ReDefineFig();
    // Records the figure into the temporary part of the scene of `view` (null: the current view);
    // with `allViews` false the groups draw only in that view. The view's OpenGL context is made
    // current first (also when none is current under a view the statics call current), and the
    // figure is defined then when it was not yet; a figure defined while no context was current
    // keeps its groups and what was done to them (its display-list leaves compile their lists at
    // their first draw in a context, see CDsItemPolygonsBase). Every view of
    // the scene draws it at its next refresh; when nothing else waited to be drawn (no change,
    // display not suspended) and the figure has neither faces nor images, `view` is refreshed at
    // once, so that it shows the figure as a whole frame does (CDsGlContext::RefreshWithAdded: the
    // figure alone drawn over the picture while the depth planes fitted with it stay those the
    // picture was drawn with). Nothing in draw mode 2, when recorded already, without a view, or
    // for a view whose rendering context is not the core's.
    void Record(bool allViews = true, view3d* view = nullptr);
    // Takes a recorded figure out of the scene: the database item removed (with the storage-removal
    // flag), the groups deleted, not recorded. The object id stays for the next Record. The view
    // is not used.
    void Remove(view3d* view = nullptr);
    // Draws the figure into `view` (null: the current view) in `mode`: 0 erases, 1 draws, 2 draws
    // exclusive-or, 3 keeps the stored mode. A recorded figure drawn in mode 1 or 3 draws its
    // location into the front buffers; otherwise the group draws straight into the front buffer
    // (the back buffer while sDrawToBackBuffer). Nothing while the display is suspended, without a
    // view, or while the view's window waits for a repaint.
    void DrawOnView(view3d* view = nullptr, eDsDrawMode mode = eDsDrawModeNormal3);

    // --- State ----------------------------------------------------------------------------
    // Whether the figure is an item of the scene database.
    bool IsRecorded() const { return m_recorded; }
    // The main group, else the impersonal part; null before the definition.
    CDsItemsFigure* GetItemsFig() const;
    // The main group (owned), null when none.
    CDsItemsFigure* GetDlFigure() const { return m_main; }
    // The impersonal part (owned), null when none.
    CDsItemsFigure* GetImpersonalPart() const { return m_impersonal; }
    // The object path of the recorded figure ({item id}, 1, part id); false, `path` unchanged, when
    // not recorded.
    bool GetPath(CVyrObjectPath& path) const;
    // Sets the group's drawn flag (nothing without a group).
    void SetIsDrawn(bool drawn);
    // Clears the group's drawn flag (nothing without a group).
    void InValidateDraw();
    // Whether `context` is given and its front-buffer version is the one the figure last compared.
    bool IsFigureValidOnFrontBuffer(CDsGlContext* context) const;
    // Sets all four to -1.0.
    static void InvalidateBoundingRectangle(double& xmin, double& xmax, double& ymin, double& ymax);
    // The group's text item (CDsItemsFigure::FindTextItem) when its ink, as last drawn, lies under
    // the event (CDsItemBase::IsPicked with the process-wide pick aperture, the figure placed as
    // IsPicked places it); null when the figure has no group or no text item, or the text is not
    // under the event.
    CDsItemBase* GetPickedTextItem(const CUiPickEvent& event);
    // Whether the definition is pending (set at construction, cleared by ReDefineFig).
    bool IsDefinitionPending() const { return m_definitionPending != 0; }

    // --- Flags (EDsItemFlags, copied into both groups) ------------------------------------
    // Flag `flag`.
    bool GetFlag(EDsItemFlags flag) const { return m_flags.Get(static_cast<unsigned short>(flag)); }
    // Sets flag `flag`, then redefines the figure and updates the database attributes.
    void SetFlag(EDsItemFlags flag);
    // Clears flag `flag`, then redefines the figure and updates the database attributes.
    void ResetFlag(EDsItemFlags flag);

    // --- Attributes (beyond the virtual ones) ---------------------------------------------
    // A colour of its own, to the group and stored, without erasing or drawing; the database
    // attributes updated.
    void ForceColor(const CDsColorStorage& color);
    // The inherit-colour bit of the group (and its direct children) and of the figure.
    void SetInheritColorFlag(bool inherit);
    // The colour of a visibility level (CDsLineAttribStorage::SetVisibilityColor), to the group
    // and stored; the database attributes updated.
    void SetVisibilityColor(EVisibilityLevel level, const CDsColorStorage* color, bool on);
    // The whole line attributes: to the group (not its children) and stored; erased and drawn again
    // with `redraw`; the database attributes updated.
    void SetAttributes(const CDsLineAttribStorage& attributes, bool redraw);
    // The on-top bit of the group and the figure.
    void SetOnTopFlag(bool on);
    // The group's colour, else the stored colour.
    const CDsColorStorage& GetColor() const;
    // The group's style, else the stored style.
    int GetStyle() const;
    // The group's width, else the stored width.
    int GetWidth() const;
    // The group's visibility level, else -1.
    int GetVisibility() const;
    // The stored transparency byte x 0.003921569.
    float GetTransparency() const;
    // 3 (shade) when the stored shaded bit is set, else 0.
    ERenderMode GetRenderMode() const;
    // Whether the stored hide level hides the figure.
    bool IsHidden() const { return m_attributes.IsHidden(); }
    // The stored line attributes.
    const CDsLineAttribStorage& GetLineAttributes() const { return m_attributes; }
    // The stored draw mode.
    eDsDrawMode GetDrawMode() const { return m_drawMode; }
    // Sends the translated attributes to the database item when recorded.
    void UpdateAttributes();
    // Clears what `action` names (highlight, mark, hide level, visibility level: the bits of
    // CDsLineAttribStorage::ResetAttributes) in both groups with their items and in the stored
    // attributes, and sends the stored attributes to the database item; nothing is drawn.
    void ResetAttributes(EDsResetAttributeAction action);

    // --- Other settings -------------------------------------------------------------------
    // Attaches an opaque host object (never dereferenced).
    void SetCoObject(CVyrObject* object) { m_coObject = object; }
    // The attached host object.
    CVyrObject* GetCoObject() const { return m_coObject; }
    // Sets the active-transformation flag.
    void SetActiveTransfFlag(bool on) { m_activeTransformation = on; }
    // The active-transformation flag.
    bool GetActiveTransfFlag() const { return m_activeTransformation; }
    // Sets the clip-able flag.
    void SetClip_able(bool on) { m_clipable = on; }
    // Whether section planes clip the figure.
    bool IsClip_able() const { return m_clipable; }
    // The rendering context of the view the figure was last recorded on (not owned), null.
    CDsGlContext* GetGlContext() const { return m_context; }

    // --- Edits of the figure's items ------------------------------------------------------
    // What an item of the figure draws changed on the item itself (its nodes, its attributes, its
    // hide level), where the scene database does not see it (CDsItemBase::NoteContentChanged
    // calls it): the box of the figure's database item is measured anew when next asked for, and
    // a recorded figure counts one edit of the process (StItemEdits), unless the edit is the
    // figure's own setting given to its groups, which reaches the database item itself.
    void NoteItemsEdited();
    // How many times the figure's items were edited (NoteItemsEdited); it never goes back.
    uint64_t GetItemsRevision() const { return m_itemsRevision; }
    // How many times, in this process, the items of a recorded figure were edited. The scenes
    // compare it at every change query, pick and box, so that each scene that shows such a figure
    // (several share a temporary part) draws it anew, and boxes and picks it where it now is.
    static uint64_t StItemEdits();

    // --- Direct drawing into the back buffer (process-wide) -------------------------------
    // While true, direct drawing and erasing go to the back buffer instead of the front buffer.
    static bool sDrawToBackBuffer;
    // Sets sDrawToBackBuffer.
    static void StSetBackBufferDraw(bool on) { sDrawToBackBuffer = on; }
    // sDrawToBackBuffer.
    static bool StGetBackBufferDraw() { return sDrawToBackBuffer; }
    // Does nothing: exclusive-or drawing takes its partner colour from the background of the scene
    // of the view it draws in (CDsLineAttribStorage).
    static void StSetForXorMode(CDsColorStorage* color);

protected:
    // The stored line attributes, for a figure's own settings (no group or database update).
    CDsLineAttribStorage& StoredAttributes() { return m_attributes; }
    // Gives `view` the transform of the figure's database item as its model transform when the
    // active-transformation flag is set and the figure is recorded; whether it did (the caller
    // then calls view->ClearModelTransform()).
    bool ApplyPlacementTransform(view3d* view);
    // Whether the group is on the screen from direct drawing: false without a group or current
    // view; a buffer swap of the current view's context since the last look clears it.
    bool IsDrawn();
    // The stored attributes to the database item (when recorded) and to both groups (their own
    // attributes, the draw mode and the flags); nothing without a group.
    void SetAttributes();

private:
    // ReDefineFig when the figure has neither group.
    void EnsureDefinition();
    // One generator pass: `impersonal` chooses DefineImpersonalPart over DefineFig. The new group
    // (null when the definition answered nothing) belongs to the caller.
    CDsItemsFigure* Generate(bool impersonal);
    // Removes the database item at the object id when it holds a geometry of this figure.
    void RemoveOwnItem();
    // The front-buffer stamp takes the current view's context's version (the figure was drawn at
    // it).
    void StampFrontBuffer();
    // Erases first when `redraw`.
    void EraseIf(bool redraw);
    // Draws again when `redraw`.
    void RedrawIf(bool redraw);

    CVyrObject* m_coObject = nullptr;
    CDsItemsFigure* m_main = nullptr;
    CDsItemsFigure* m_impersonal = nullptr;
    CDsLineAttribStorage m_attributes;
    bool m_recorded = false;
    eDsDrawMode m_drawMode = eDsDrawModeNormal;
    int m_definitionPending = 1;
    CDsGlContext* m_context = nullptr;
    CDsFlags m_flags;
    CVyrObjectId m_objectId;
    unsigned int m_frontBufferStamp = 0;
    bool m_storageRemoval = true;
    bool m_activeTransformation = true;
    bool m_clipable = false;
    uint64_t m_itemsRevision = 0;
    bool m_editingGroups = false;  // the figure gives its groups its own settings
};
