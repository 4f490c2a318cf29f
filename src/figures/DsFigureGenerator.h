// CDsFigureGenerator: the pen through which figures, the modeler extension's own entities and the
// host turn drawings into display items. A caller sets pen attributes, moves and draws, opens and
// closes groups, and finally calls DisplayList, which hands back the root CDsItemsFigure holding
// every item made (the caller owns it). Each item is placed in the current group with the pen
// applied: its colour (unless the pen inherits it), width (unless 0), style (unless 255), the
// pen's hide level when it hides, the transparency, the on-top flag, the generator's
// transformation and the type byte; with both a context and an entity set the item is also
// registered for the entity in the context's item map, gets the context and shows the entity.
//
// Polylines: MoveTo and DrawTo gather points in the open polyline, which becomes one
// CDsItemPolyline3D when it is closed (by a pen change, MoveTo, DrawPolyline, DrawArc or
// DisplayList) with two points or more; a shorter one makes nothing. A figure is never closed by
// itself: a closed outline returns to its first point.
//
// The pen starts inheriting colour, style (255) and width (0), opaque; pen values out of range
// (style outside 0..31, width outside 1..8) are ignored.
//
// Polygons: the triangle and quad operations record into display lists of a CDsItemPolygonsDl
// (StartPolygons ... EndPolygons; a triangle array in one block of lists of at most 65,536
// triangles each), make triangle strips (CDsItemPolygonsArray), STL meshes
// (CDsItemPolygonsStl), triangle sets (CDsItemTrigs), basic surfaces (CDsItemQuadric) and, from
// the static entry points, immediate polygons (CDsItemPolygons2D). The generator keeps the box of
// what it recorded and gives it to the display-list item at EndPolygons.
//
// Pixel items: DrawPolyline2D switches the 2-D mode on, in which the open polyline becomes a
// CDsItemPolyline2D (x and y of its points); MoveTo, DrawTo, DrawPolyline, the polyline arc and the
// point, billboard and bitmap operations switch it off. DrawPolyline2DRelative, DrawRectangle2D and
// DrawPoint make relative polylines, billboard frames and fixed points, all on top. While dynamic
// ellipses are on (CDsEllipseStorage::StGetDynamicEllipses), DrawArc and DrawElipse make a
// CDsItemEllipseDynamic over an ellipse storage of the curve.
//
// Texts: DrawTextW makes a 3-D text at the current position (CDsItemNText3D in model units, or
// CDsItemNText3DFixed in pixels; a string of more than one line a CDsItemsNTextBiTol), DrawTextVector
// a text whose line follows a model direction, DrawText2D and DrawText2DRelative screen texts;
// StartTextBlock, StartTextLine and AddTextItem build a text block. Each takes the generator's text
// line angle (degrees), slant and line alignment. The static entry points ItGtxloc, ItGtext and
// ItDtxCreateText drive the text of the current generator.
//
// Hidden-line views: StartHlView makes a CDsItemsHlView the root and the current group (what the
// generator made before is deleted: a view starts a definition of its own); AddHlSegment puts
// polyline and ellipse segments into its sets. DisplayListGroup hands the view over.
//
// Toolpaths: StartToolpath opens a CDsItemsToolpath (as a sub-group, or as the root when there is
// no current group) holding the palette given; StartToolpathBranch and StartPlanarToolpathBranch
// add a branch that becomes the current item, AddToolpathSegment appends nodes to it,
// EndToolpathBranch ends it and EndToolpath closes the toolpath (EndGroup).
//
// Coordinate systems: DrawUcs makes a CDsItemsUcs (a triad of arrows and labels sized in
// millimetres on the device). Every drawing operation of the interface now makes its item.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - Copying a generator is not offered: a copy would share the open polyline and the groups.
// - DisplayList hands the root over and forgets it, so a second DisplayList answers a new empty
//   root instead of the same tree twice; a generator destroyed before DisplayList deletes the
//   items it made. The destructor also stops being the current generator of the static entry
//   points when it is.
// - AddHlSegment ignores a segment type that is no child index of the current hidden-line view;
//   an ellipse storage it makes no segment of stays the caller's.
// - EndToolpathBranch ends the branch only (later nodes are not taken) and stays in the toolpath,
//   so that the next branch of a toolpath opened inside a figure goes into the same toolpath;
//   EndToolpath closes the toolpath. A node that AddToolpathSegment does not take stays the
//   caller's.
// - StartToolpath without a palette makes a toolpath that holds none.
// - A hidden-line view or toolpath made as the root is handed over by DisplayListGroup as it is;
//   DisplayList hands it over inside a new figure root (so a figure can draw a toolpath).
// - A dynamic arc or ellipse of negative sweep is stored as the same curve from start + sweep to
//   start; a dynamic arc's major axis takes the transformation's scale with its first row.
// - The bool of DrawPoint, and DrawRectangle2D always, set the item's base flag 1
//   (eDsBaseItemHostFlag).
// - An arc of zero or non-finite radius, or of zero or non-finite sweep or step, makes nothing and
//   leaves the open polyline as it is.
// - The non-virtual AddHlSegment answers null for a null polyline.
// - The bool of ItDrawTriangles, ItDrawPolyLine and DrawBasicSurface becomes the new item's fill
//   flag (CDsItemPolygonsBase::SetFill).
// - StartPolygons goes on into the current display-list item only while it is open (between
//   StartPolygons and EndPolygons); once ended, a new item is made, so that nothing is drawn
//   outside a list and nothing recorded is overwritten. A triangle array or triangulation always
//   records into a new item, which it ends at once (with its box): an open one is ended first.
// - EndPolygons, DisplayList and the destructor close a display list left open, whatever the
//   current item, so that OpenGL never stays in list compilation.
// - DrawQuads into an item that is still open grows the recorded box instead of starting it
//   afresh, so that the item's box holds every strip recorded into it.
// - While no OpenGL context is current no display list can be compiled: the triangle arrays,
//   triangulations, quads and strips are then kept by their items and compiled at their first
//   draw in a context (CDsItemPolygonsBase), so that the items drawn later show them. What a
//   caller records into an open list by its own OpenGL calls is lost then.
// - The text line angle is kept in degrees, the unit SetTextLineAngle, the items' SetLineAngle and
//   ItDtxCreateText (the font's escapement / 10) share; ItGtxloc turns its angle from radians into
//   degrees (x 180 / pi), so that every road gives a text the same angle.
// - DrawText2D places the 2-D text at the current position's x and y (the item's constructor
//   takes only x).
// - StartTextLine while a text line is the current group opens the new line in that line's block.
// - ItGtext copies at most the characters up to a terminator (a negative length or null text
//   makes nothing).
// - Empty input (no points, fewer than one triangle, fewer than two rows or columns of quads, a
//   null surface, STL data or generator) makes nothing.
#pragma once

#include <afx.h>

#include "DsBitmap.h"
#include "DsFlags.h"
#include "DsLineAttribStorage.h"
#include "GmPosition.h"
#include "GmTransformation.h"
#include "VOREvu3v.h"
#include "VyrFigureGenerator.h"
#include "ZOVOvivavUrezezovovaza.h"

#include <cstdint>
#include <vector>

class CDsArcPolyGenerator;
class CDsBasicSurface;
class CDsEllipseStorage;
class CDsImage;
class CDsRectangle3d;
class CDsGlContext;
class CDsItemBase;
class CDsItemsFigure;
class CDsItemPolygonsDl;
class CDsItemsGroup;
class CDsItemNText2D;
class CDsNFontStorage;
class CDsPolyline;
class CUiCharFormat;
class CVyrString;
class SPAvector;
class ENTITY;

// The pen of figures and of the application's own entities.
class AFX_EXT_CLASS CDsFigureGenerator : public CVyrFigureGenerator {
public:
    // A generator whose items and root get `context` (not owned; may be null): no items, the
    // default pen, identity transformation, position (0, 0, 0), flags 0, type byte 255.
    explicit CDsFigureGenerator(CDsGlContext* context);
    // Not copyable (see the header comment).
    CDsFigureGenerator(const CDsFigureGenerator&) = delete;
    // Not copyable.
    CDsFigureGenerator& operator=(const CDsFigureGenerator&) = delete;
    // Deletes a root that DisplayList did not hand over; no longer the current generator.
    ~CDsFigureGenerator() override;

    // --- The pen interface (in the order of the base) --------------------------------------
    // Opens a new CDsItemsFigure as a sub-group of the current group (the argument is not used).
    void StartGroup(bool flag) override;
    // Back to the current group's owner, the closed group becoming the current item; nothing at
    // the root.
    void EndGroup() override;
    // Adds `item` (taken over) to the current group with the pen applied; nothing for null.
    void AddSubFigure(CDsItemBase* item) override;
    // Closes the open polyline; the pen's colour becomes `color` (no longer inherited).
    void SetPenColor(const CDsColorStorage& color) override;
    // Closes the open polyline; the pen's style becomes `style` when 0..31.
    void SetPenStyle(int style) override;
    // Closes the open polyline; the pen's width becomes `width` when 1..8.
    void SetPenWidth(int width) override;
    // The pen's hide level becomes blanked (true) or shown (false).
    void SetPenVisibilityBlank(bool blank) override;
    // The transformation every item added from now on is transformed by.
    void SetTransformation(const CGmTransformation& transformation) override;
    // Closes the open polyline; the pen's on-top flag becomes `onTop`.
    void SetOnTopFlag(bool onTop) override;
    // Clears `flag` of the generator's flags (given to the root by DisplayList).
    void ResetFlag(EDsItemFlags flag) override;
    // Whether `flag` is set.
    bool GetFlag(EDsItemFlags flag) const override;
    // Sets `flag`.
    void SetFlag(EDsItemFlags flag) override;
    // Appends `position` to the open polyline (after the current position when it is empty); the
    // current position becomes `position`.
    void DrawTo(const CGmPosition& position) override;
    // Closes the open polyline and starts a new one at `position`, the current position.
    void MoveTo(const CGmPosition& position) override;
    // One polyline item of the `count` points (none for fewer than two); the open polyline is
    // closed first. The current position stays.
    void DrawPolyline(int count, const CGmPosition* points) override;
    // The arc of a CDsArcPolyGenerator built from the arguments (see DrawArc below).
    void DrawArc(const CGmPosition& centre, double radius, const CGmTransformation& transformation, double start,
                 double sweep, double step) override;
    // Closes the open polyline and makes one CDsItemPolyline2D of the `count` pixel points (x, y;
    // none for fewer than two) in 2-D mode; the pen goes on top.
    void DrawPolyline2D(int count, const float* xy) override;
    // Closes the open polyline; a CDsItemPointFixed of `style` and `size` pixels at `position`,
    // pushed `offset` pixels along `direction`, base flag 1 set to `flag`; 2-D mode off, the pen on
    // top.
    void DrawPoint(const CGmPosition& position, EPointStyle style, int size, bool flag,
                   const CGmUnitVector& direction, int offset) override;
    // Closes the open polyline; a CDsItemsUcs at `origin` of `axisCount` axes along `axes` with
    // their labels, following the display manager's UCS size, not pinned (offsets 60, 60); `size`
    // is not used.
    void DrawUcs(const CGmPosition& origin, int size, const CVyrString& axisLabels, const CVyrString& originLabel,
                 const CGmUnitVector* axes, int axisCount) override;
    // DrawUcs of the UTF-8 labels (null: empty).
    void DrawUcs(const CGmPosition& origin, int size, const char* axisLabels, const char* originLabel,
                 const CGmUnitVector* axes, int axisCount) override;
    using CVyrFigureGenerator::AddHlSegment;
    // With a hidden-line view as the current group and a type that is a child index of it: a
    // CDsItemHlSegmentPolyline3D of `entity` and `polyline` in child `type`, owned by the view,
    // with the pen applied, registered for and showing `entity` (when given), the context set and
    // refusing picks while hidden; the generator's entity is cleared afterwards. Else nothing.
    void AddHlSegment(ENTITY* entity, CDsPolyline* polyline, EDsHlSegmentType type) override;
    // A CDsItemPolygonsDl of the `count` triangles (three points of three doubles each, with one
    // normal per point, or computed normals when `normals` is null) in count x 3 / 196,608 + 1
    // numbered lists; the recorded box is the points' box.
    void DrawTriangles(int count, const double* points, const double* normals) override;
    // A CDsItemPolygonsStl of `data` under `transform`.
    void DrawTrianglesStl(const SPAtransf& transform, CVyrStlData* data) override;
    // DrawTextW of the UTF-8 text (see the non-virtual form).
    void DrawTextW(const char* text, const CDsNFontStorage& font, float height, bool fixed) override;
    // DrawTextW in a default font of the face `faceName` (null or empty: the default face).
    void DrawTextW(const char* text, const char* faceName, float height, bool fixed) override;
    // DrawText2D in a default font of the face `faceName`, trunc(size) pixels high.
    void DrawText2D(const char* text, const char* faceName, float size) override;
    // The pen goes on top; a CDsItemsNTextBlock at `position` turned by `angle` degrees, anchored by
    // `alignment`, becomes the current group.
    void StartTextBlock(const CGmPosition& position, float angle, EDsTextBlockAlignment alignment) override;
    // A CDsItemsNTextLine of `alignment` opened in the current block (see the header comment).
    void StartTextLine(EDsTextLineAlignment alignment) override;
    // A CDsItemNText3D of `text` in the format's font and height, added to the current line.
    void AddTextItem(const CVyrString& text, const CUiCharFormat& format) override;
    // Closes the open polyline; a CDsItemsHlView of `entity` (its second set shown when
    // `showSecondSet`) with the generator's context becomes the root and the current group; any
    // earlier root is deleted.
    void StartHlView(ENTITY* entity, bool showSecondSet) override;
    // With a hidden-line view as the current group and a type that is a child index of it: a
    // CDsItemHlSegmentEllipseDynamic of `storage` (taken over) in child `type`, placed as the
    // polyline form places its segment. Else nothing (the storage stays the caller's).
    void AddHlSegment(ENTITY* entity, CDsEllipseStorage* storage, EDsHlSegmentType type) override;
    // Closes the open polyline; a CDsItemsToolpath `id` holding `palette` (one use; null: none),
    // opened as a sub-group of the current group, or the root when there is no current group.
    void StartToolpath(const CDsUid& id, CDsAttributesPalette* palette) override;
    // Appends `node` (taken over) to the current item when it is a toolpath branch (types 44 and
    // 46); else nothing.
    void AddToolpathSegment(TDsNodeHeader* node) override;
    // Ends the current branch (see the header comment).
    void EndToolpathBranch() override;
    // EndGroup.
    void EndToolpath() override;

    // --- Pen and state ----------------------------------------------------------------------
    // Closes the open polyline; the pen inherits its colour.
    void ResetPenColor();
    // Closes the open polyline; the pen inherits its style (255).
    void ResetPenStyle();
    // Closes the open polyline; the pen inherits its width (0).
    void ResetPenWidth();
    // Closes the open polyline; the pen's transparency byte becomes trunc(clamp(value, 0, 1) x
    // 255); a NaN changes nothing.
    void SetTransparency(float value);
    // The pen's hide level becomes the special hiding (level 8).
    void SetSpecialHide();
    // The pen's exclusive-or flag (DisplayList then gives the root draw mode 2).
    void SetXorMode(bool on);
    // The entity the items added from now on show (null: none).
    void SetEntity(ENTITY* entity) { m_entity = entity; }
    // The type byte written into every item added (the low byte of `type`).
    void SetType(int type) { m_type = static_cast<uint8_t>(type & 0xFF); }
    // With dynamic ellipses on: closes the open polyline and makes a CDsItemEllipseDynamic of the
    // arc placed by its transformation; else closes the open polyline, then one polyline item of
    // the arc's points mapped by the arc's transformation. Nothing for a degenerate arc.
    void DrawArc(const CDsArcPolyGenerator& arc);
    // A new CDsItemHlSegmentPolyline3D of `polyline` (no entity) with the pen applied, the context
    // set and refusing picks while hidden, in no group (the caller owns it); null for a null
    // polyline. The type is not used.
    CDsItemBase* AddHlSegment(CDsPolyline* polyline, EDsHlSegmentType type);
    // Whether an open polyline becomes a 2-D polyline when closed.
    void Set2DMode(bool on) { m_2dMode = on; }
    // Whether the generator is in 2-D mode.
    bool Get2DMode() const { return m_2dMode; }
    // Closes the open polyline; a CDsItemPolyline2DRelative of `count` relative points (x, y
    // fractions of the viewport), closed or not; the pen goes on top.
    void DrawPolyline2DRelative(int count, const float* relative, bool closed);
    // Closes the open polyline; a CDsItemBillBoardedRectangle of `width` x `height` pixels at
    // `anchor` placed by `alignment`, base flag 1 set; 2-D mode off, the pen on top.
    void DrawRectangle2D(const CGmPosition& anchor, int width, int height, EAlignment alignment);
    // With dynamic ellipses on: closes the open polyline and makes a CDsItemEllipseDynamic of the
    // ellipse (centre, normal, major axis, radius ratio, parameter origin 0) from `start` over
    // `sweep` radians; nothing for a zero or non-finite sweep. The step is not used. With dynamic
    // ellipses off a temporary CDsFigEllipse3D of the seven values defines itself into this
    // generator (an exact ellipse item as well; nothing for values that make no ellipse).
    void DrawElipse(const CGmPosition& centre, const CGmUnitVector& normal, const CGmVector& majorAxis, double ratio,
                    double start, double sweep, double step);
    // A new CDsItemHlSegmentEllipseDynamic of `storage` (taken over; no entity) with the pen
    // applied, the context set and refusing picks while hidden, in no group (the caller owns it);
    // null for a null storage. The type is not used.
    CDsItemBase* AddHlSegment(CDsEllipseStorage* storage, EDsHlSegmentType type);
    // --- Texts ----------------------------------------------------------------------------------
    // The text slant of the texts that follow.
    void SetTextSlanted(bool slanted) { m_textSlanted = slanted; }
    // The text line angle (degrees) of the texts that follow.
    void SetTextLineAngle(int degrees) { m_textLineAngle = degrees; }
    // The text line alignment of the texts that follow.
    void SetTextAlignment(EDsTextLineAlignment alignment) { m_textAlignment = alignment; }
    // A text of more than one line: a CDsItemsNTextBiTol of its first two lines at the current
    // position; else a CDsItemNText3DFixed (`fixed`, `height` pixels) or a CDsItemNText3D (`height`
    // model units) of its first line in a copy of `font`, at the current position, with the text
    // line angle, slant and alignment.
    void DrawTextW(const CVyrString& text, const CDsNFontStorage& font, float height, bool fixed);
    // The pen goes on top; line 1 of `text` as a CDsItemNTextVectorFixed (`fixed`) or a
    // CDsItemNTextVector along `direction`, at the current position (`position` is not read), in a
    // copy of `font`, `height` high, with the text line angle, slant and alignment.
    void DrawTextVector(const CVyrString& text, const CDsNFontStorage& font, const SPAposition& position,
                        const SPAvector& direction, float height, bool fixed);
    // A CDsItemNText2D of `text` at the current position's pixel (x, y truncated) in a copy of
    // `font`, with the text attributes; the pen goes on top.
    void DrawText2D(const CVyrString& text, const CDsNFontStorage& font);
    // A CDsItemNText2DRelative of `text` in a copy of `font` at (relX, relY) of the view; the pen
    // goes on top.
    void DrawText2DRelative(const CVyrString& text, const CDsNFontStorage& font, float relX, float relY);
    // The text's escapement from the text line angle, its slant and its alignment.
    void SetTextAttributes(CDsItemNText2D* text);
    // Whether the static text entry point ItDtxCreateText makes fixed texts whatever it is asked.
    static bool sForceFixedText;
    // Sets sForceFixedText.
    static void ForceFixedText(bool fixed) { sForceFixedText = fixed; }

    // Closes the open polyline; a CDsItemImage of a copy of `image` on `rectangle`, with the pen
    // applied.
    void DrawImage(const CDsImage& image, const CDsRectangle3d& rectangle);
    // Closes the open polyline; a CDsItemBitmapIndexed of bitmap `index` of the display manager's
    // table at `position`, placed by `alignment`, with the pen applied. The flag is not used.
    void DrawBitmap(const CGmPosition& position, int index, EAlignment alignment, bool flag);
    // Closes the open polyline; a CDsItemBitmapColored of texture `index` of the display manager's
    // table at `position`, placed by `alignment`, with the pen applied. The flag is not used.
    void DrawBitmapColored(const CGmPosition& position, int index, EAlignment alignment, bool flag);
    // Closes the open polyline (bound to no entity) and hands over the root group: draw mode 2
    // with the pen's exclusive-or flag, bound to the entity set with SetEntity, the generator's
    // flags, the generator's context; a new empty CDsItemsFigure when nothing was drawn. The
    // argument is not used. The current generator of the static entry points is cleared.
    CDsItemsFigure* DisplayList(ENTITY* entity);
    // As DisplayList, but the root as it is: a hidden-line view or toolpath made as the root, else
    // the figure root (a new empty CDsItemsFigure when nothing was drawn).
    CDsItemsGroup* DisplayListGroup(ENTITY* entity);
    // Closes the open polyline; a CDsItemToolpathPolyline `id` becomes the current item, added to
    // the current group. The float is not used.
    void StartToolpathBranch(const CDsUid& id, float unused);
    // Closes the open polyline; a CDsItemToolpathPolylinePlanar `id` in the plane at height `z`
    // becomes the current item, added to the current group. The second float is not used.
    void StartPlanarToolpathBranch(const CDsUid& id, float z, float unused);

    // --- Polygons ------------------------------------------------------------------------------
    // rowCount - 1 CDsItemPolygonsArray strips, each between a row of `pointsPerRow` points (three
    // doubles each) and the next, with the rows' normals when given.
    void DrawTriangles(int pointsPerRow, int rowCount, const double* points, const double* normals);
    // A CDsItemPolygonsDl of the triangulation's triangles in numbered lists (see DrawTriangles).
    void DrawTriangles(const ZOVOvivavUrezezovovaza& triangulation);
    // The same with every vertex moved by `offset`.
    void DrawTriangles(const ZOVOvivavUrezezovovaza& triangulation, const VOREvu3v<float>& offset);
    // nV - 1 quad strips of the nU x nV points (row by row, three doubles each; normals per point,
    // or computed from each quad's winding, (i j) -> (i+1 j) -> (i+1 j+1), as DrawTriangles computes
    // its triangles'; they used to be taken opposite to it) into the open display list of a display-list item (StartPolygons(0)); the list
    // stays open until EndPolygons.
    void DrawQuads(int nU, int nV, const double* points, const double* normals);
    // A CDsItemPolygonsDl (unless one is open: recording goes on into it): `count` numbered lists
    // when above 0, else its own list, opened for recording.
    void StartPolygons(int count);
    // Closes the open list and gives the display-list item the recorded box.
    void EndPolygons();
    // Opens numbered list `index` of the open display-list item; nothing for an index out of its
    // range or while a list is open.
    void StartList(int index);
    // Closes the list StartList opened.
    void EndList();
    // The current display-list item deletes its numbered lists.
    void DestroyPolygons();
    // The recorded box becomes min (three doubles) to max; nothing for null.
    void SetMinMaxBoundaries(const double* min, const double* max);
    // A CDsItemTrigs of the triangulation (vertices moved by `offset` when given), drawn during
    // fast refreshes when `drawInFastRefresh`.
    void DrawTrigs(const ZOVOvivavUrezezovovaza& triangulation, const VOREvu3v<float>* offset, bool drawInFastRefresh);
    // A CDsItemQuadric of a copy of `surface`, filled when `fill`.
    void DrawBasicSurface(CDsBasicSurface* surface, bool fill);
    // The recorded box: minimum x, y, z, then maximum x, y, z.
    const double* GetRecordedBox() const { return m_box; }
    // The item made or added last (or the sub-group closed last), null before the first; it
    // belongs to the generator's root until DisplayList hands that over.
    CDsItemBase* GetCurrentItem() const { return m_currentItem; }

    // --- Static entry points ------------------------------------------------------------------
    // The generator the static entry points draw into (null: they do nothing).
    static CDsFigureGenerator* mCurrentItFigure;
    // Makes `generator` the current one (null: none).
    static void SetToCurrent(CDsFigureGenerator* generator) { mCurrentItFigure = generator; }
    // The current generator, null when none.
    static CDsFigureGenerator* StGetCurrentItFigure() { return mCurrentItFigure; }
    // MoveTo of the current generator to the point of three floats (nothing for null).
    static void ItMoveTo(const float* point);
    // DrawTo of the current generator to the point of three floats (nothing for null).
    static void ItDrawTo(const float* point);
    // SetPenWidth of the current generator.
    static void ItSetPenWidth(int width);
    // SetPenStyle of the current generator with entry n - 1 of {0, 1, 2, 5, 4, 7, 3, 6} for n in
    // 1..8, else with style 4.
    static void ItSetPenStyle(int n);
    // Nothing.
    static void DrawPolygons2D(float* points, int count, bool fill);
    // The current generator's text position (three floats), text height and text line angle
    // (`angle` radians, kept in degrees); the last two arguments are not used.
    static void ItGtxloc(const float* position, float height, float angle, void* unused1, void* unused2);
    // The first `length` characters of `text` (up to a terminator) as a text of the current
    // generator at its text position and text height, in the default face, on top.
    static void ItGtext(int length, const char* text, int* unused);
    // The same for a wide text.
    static void ItGtext(int* unused1, const CVyrString& text, int* unused2);
    // A text of the current generator at `position` (three floats): its line angle the font's
    // escapement / 10, slanted as the font, alignment 0, on top; along `direction` (three floats)
    // when given, else a plain 3-D text; fixed while sForceFixedText is set.
    static void ItDtxCreateText(const float* position, const CDsNFontStorage& font, const wchar_t* text, int length,
                                const float* direction, float height, bool fixed);
    // StartPolygons(0) of the current generator.
    static void StStartPolygons();
    // EndPolygons of the current generator.
    static void StEndPolygons();
    // `count` triangles (nine floats each) as a CDsItemPolygons2D of the current generator, filled
    // when `fill`, on top, placed by the generator's transformation as every item is; the points
    // mapped by that transformation (when it is not the identity) are written back to the caller.
    static void ItDrawTriangles(float* points, int count, bool fill);
    // One polygon of `count` points (three floats each) as a CDsItemPolygons2D of `generator`,
    // filled when `fill`, on top.
    static void ItDrawPolyLine(CDsFigureGenerator* generator, int count, float* points, bool fill);

protected:
    // Makes the open polyline one item (two points or more) and empties it.
    void ClosePolyline();
    // Places the current item (see the header comment); nothing without one.
    void AddCurrentItem();
    // Gives `item` the pen, the transformation and the type byte.
    void ApplyPen(CDsItemBase* item);
    // Adds `group` to the current group (a root made first when there is none) and makes it the
    // current group.
    void OpenSubGroup(CDsItemsGroup* group);
    // The root, made when there is none yet, as the current group.
    void EnsureRoot();
    // Places a new hidden-line segment `item` (made for `entity`) in set `type` of `view`.
    void PlaceHlSegment(CDsItemsGroup* view, CDsItemsGroup* set, CDsItemBase* item, ENTITY* entity);
    // The current group when it is a hidden-line view and `type` a child index of it: that set.
    CDsItemsGroup* CurrentHlSet(EDsHlSegmentType type) const;

    // The context of the items and the root (not owned).
    CDsGlContext* m_context = nullptr;
    // The entity the items show, null for none.
    ENTITY* m_entity = nullptr;
    // The group new items go into (the root until a sub-group is opened), null before the first.
    CDsItemsGroup* m_currentGroup = nullptr;
    // The item made last (or the sub-group closed last).
    CDsItemBase* m_currentItem = nullptr;
    // The root group, owned until DisplayList hands it over.
    CDsItemsFigure* m_root = nullptr;
    // A hidden-line view or toolpath made as the root instead (owned until handed over), or null.
    CDsItemsGroup* m_groupRoot = nullptr;
    // The flags given to the root.
    CDsFlags m_flags;
    // The transformation of the items added.
    SPAtransf m_transformation;
    // The pen.
    CDsLineAttribStorage m_pen;
    // The current position.
    CGmPosition m_position;
    // The open polyline.
    std::vector<CGmPosition> m_polyline;
    // The type byte of the items added.
    uint8_t m_type = 255;
    // The recorded box: minimum x, y, z, then maximum x, y, z.
    double m_box[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    // The display-list item between StartPolygons and EndPolygons, null otherwise.
    CDsItemPolygonsDl* m_polygons = nullptr;
    // Whether a display list is open for recording.
    bool m_listOpen = false;
    // Whether the display-list item between StartPolygons and EndPolygons keeps what is drawn into
    // its own list (no context was current to open one).
    bool m_keepingList = false;
    // Whether the open polyline becomes a 2-D polyline.
    bool m_2dMode = false;
    // The text position of the static text entry points.
    CGmPosition m_textPosition;
    // The text height of the static text entry points.
    double m_textHeight = 15.0;
    // The text slant.
    bool m_textSlanted = false;
    // The text line angle, degrees.
    int m_textLineAngle = 0;
    // The text line alignment.
    EDsTextLineAlignment m_textAlignment = eDsTextLineLeft;

private:
    // Ends the display-list item between StartPolygons and EndPolygons, if there is one.
    void ClosePolygons();
    // Makes a new display-list item with `count` numbered lists (its own list opened when 0).
    void OpenPolygons(int count);
    // A display-list item of the triangulation's triangles (vertices moved by `offset`), ended.
    void RecordTriangulation(const ZOVOvivavUrezezovovaza& triangulation, const VOREvu3v<float>& offset);
};
