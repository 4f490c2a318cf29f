// CDsItemNText2D and CDsItemNText2DRelative: screen-aligned text. A string anchored at a pixel
// position of the view (X, Y counted up from the bottom of the viewport, as the view's 2-D
// drawing counts), drawn in a font (CDsNFontStorage) at a pixel height along a line angle (the
// font's escapement, tenths of a degree counter-clockwise) with a line alignment (0 the anchor at
// the start, 1 at the middle, 2 at the end).
//
// Drawing: the string is rendered once with GDI into a one-bit bitmap (text on its baseline, the
// bitmap the axis-aligned box of the turned text rectangle enlarged by one text height each way)
// that an owned CDsItemBitmap puts on the screen with glBitmap, its origin on the anchor. The
// image is rendered again only when what it shows changes; every other frame reuses it. Above 500
// pixels, and in fast refresh, DrawGl draws only the turned outline of the text's rectangle; the
// scene walk (DrawOnTraverse) draws the outline only in fast refresh with auto-hide enabled.
// Printing goes through the view's DrawText2D; picks go through the bitmap.
//
// CDsItemNText2D is also the base of the 3-D anchored texts (DsItemNText3D.h), which project their
// anchor to a pixel and then draw as this class does.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The image is rendered again whenever what it shows changes, not only when the pixel height
//   does: a new line angle, slant, font or reading direction (a set to the same value changes
//   nothing) marks it modified, and a bitmap whose size no longer fits the text is made anew.
//   Alignment moves only the bitmap's origin, which follows at every draw.
// - A copy (copy constructor, assignment) has its own string and no bitmap: it renders its own on
//   its first draw. It copies the font, position, pixel height, line attributes and alignment.
// - The text is rendered in white on black into the memory bitmap: a one-bit bitmap keeps only
//   white as a set bit, and a set bit is what the bitmap item draws.
// - Printing (DrawGdi) turns the anchor into the device context's rows counted down from the top
//   (height - 1 - Y), so that a printed text lands where it is drawn on the screen.
// - A pixel height of 0 or below draws, prints and picks nothing (a GDI height of 0 would draw a
//   default-sized font). Font heights are kept within +-1,000,000 pixels, and a bitmap with a side
//   above 1,000,000 pixels gets no bits: such texts draw only their outline, or nothing.
// - On the scene walk, a text asked to apply its own attributes gives them to the view before its
//   bitmap or outline draws, as Refresh does on the retained road: the text keeps the colour its
//   figure's pen gave it, not the colour the walk or the item drawn before it left (its bitmap's
//   own attributes inherit the colour).
// - A bitmap over the bitmap item's size limit (CDsItemBitmap::kMaxBitsBytes) has no bits; the text
//   then renders and draws nothing rather than a cut image.
#pragma once

#include <afx.h>

#include "DsItemBase.h"
#include "DsNFontStorage.h"
#include "VyrString.h"
#include "VyrViewTypes.h"

class CDsItemBitmap;

// A screen-aligned text.
class AFX_EXT_CLASS CDsItemNText2D : public CDsItem {
public:
    // `text` at x (y 0; the last argument is not used), `height` pixels high in the face
    // `faceName` ("standard" or empty: the default face); on top.
    CDsItemNText2D(const CVyrString& text, const CVyrString& faceName, int height, int x, int unused);
    // `text` at x (y 0; the last argument is not used) in a copy of `font`; the pixel height stays
    // 0 until set. On top.
    CDsItemNText2D(const CVyrString& text, const CDsNFontStorage& font, int x, int unused);
    // A copy with its own string and no bitmap (see the header comment).
    CDsItemNText2D(const CDsItemNText2D& other);
    // Takes the other text's string (its own copy), font, position, pixel height, attributes and
    // alignment; its bitmap is dropped and drawn anew.
    CDsItemNText2D& operator=(const CDsItemNText2D& other);
    // Deletes the string and the bitmap.
    ~CDsItemNText2D() override;

    // --- Text state -------------------------------------------------------------------------
    // The font.
    CDsNFontStorage& GetFont() { return m_font; }
    // The pixel height (0 until set).
    int GetHeight() const { return m_pixelHeight; }
    // A copy of the text; empty when the item has none.
    CVyrString GetText() const;
    // A copy of `font`; the pixel height becomes its height and the font's height the GDI height
    // of that many pixels. A font that differs from the one held marks the image modified.
    void SetFont(const CDsNFontStorage& font);
    // When `pixels` differs from the pixel height or the image is marked modified: the pixel
    // height, the font's GDI height (pixels x em-to-ascent ratio), the image marked modified and
    // the bitmap deleted. Otherwise nothing.
    void SetHeight(int pixels);
    // The anchor (pixels, y up); an existing bitmap follows.
    void SetPosition(int x, int y);
    // The anchor (pixels, y up).
    void GetPosition(int& x, int& y) const
    {
        x = m_x;
        y = m_y;
    }
    // Right-to-left reading; a change marks the image modified.
    void SetRightToLeft(bool rightToLeft);
    // The line angle: escapement = trunc(degrees x 10); a change marks the image modified.
    void SetLineAngle(float degrees);
    // The line alignment.
    void SetAlignment(EDsTextLineAlignment alignment) { m_alignment = alignment; }
    // The line alignment.
    EDsTextLineAlignment GetAlignment() const { return m_alignment; }
    // Italic (slanted) or upright; a change marks the image modified.
    void SetSlanted(bool slanted);
    // The bitmap that draws the text, null until the first draw and after each change of size.
    CDsItemBitmap* GetBitmapItem() const { return m_bitmap; }
    // Whether the image must be rendered again before it is drawn.
    bool GetModifiedFlag() const { return m_modified; }
    // The window box of all the text draws about its anchor on the current view, rows counted down
    // from the anchor's pixel as the walks place an anchored box: the image it is drawn as (the
    // text turned by its line angle, a text height of room each way), or with `anyAngle` the box
    // that holds that image at every line angle (for a text that the view turns); a pixel of room
    // more each way. False without a current view, text or pixel height. GetBoundBox2D stays the
    // text's rectangle before turning, rows counted up, which the outline is drawn from.
    bool GetDrawnBox2D(SDsBox2D& box, bool anyAngle);
    // The window box of all the text draws at its place on the current view, in window pixels with
    // rows counted up from the viewport's bottom, as X and Y count: the image of GetDrawnBox2D
    // (turned by its line angle) about (X, Y). For a text placed at a pixel of the window rather
    // than at a model point. False as GetDrawnBox2D.
    bool GetPlacedBox2D(SDsBox2D& box);

    // 1 + the number of carriage returns and line feeds (a CR LF pair counts twice); 1 for an
    // empty string.
    static int StCountStringLines(const CVyrString& text);
    // The same for a terminated narrow string (null counts as empty).
    static int StCountStringLines(const char* text);
    // A new string (the caller deletes it) of line `n` of `text`, counted from 1; CR and LF each
    // end a line; empty past the last line or for n below 1.
    static CVyrString* StGetLine(const CVyrString& text, int n);
    // The same for a narrow string: a new terminated array (delete[] by the caller).
    static char* StGetLine(const char* text, int n);

    // --- The item protocol ---------------------------------------------------------------------
    // Nothing without text or height; the bitmap below 501 pixels outside fast refresh, else the
    // turned outline.
    void DrawGl(view3d& view) override;
    // Relative to the anchor, before turning: (trunc(-dx), trunc(-dy)) to (trunc(w - dx),
    // trunc(h - dy)), (w, h) the text's extent and (dx, dy) the alignment's shift along the line;
    // false without a current view.
    bool GetBoundBox2D(SDsBox2D& box) override;
    // 7.
    EDsItemsType GetItemType() override;
    // Nothing (a screen text has no model geometry).
    void Transform(const SPAtransf& transform) override;
    // The attributes to the view, then DrawGl.
    void Refresh(view3d& view) override;
    // Nothing.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // DrawGdi unless hidden.
    void Plot(view3d& view) override;
    // DrawGl.
    void DrawGeometry(view3d& view) override;
    // The bitmap's pick; false without a bitmap.
    bool Pick(view3d* view) override;
    // The bitmap's pick; false without a manager or a bitmap.
    bool Pick(pick_manager* manager) override;
    // 0.
    long DrawPoints(view3d& view, long mask) override;
    // 0.
    int GetVerticesCount(CDsGeometry::eDrawPrimitives kinds) override;
    // No vertices: count 0, -1.
    int GetVertices(CDsGeometry::eDrawPrimitives kinds, int index, float*& vertices, int& count) override;
    // False.
    bool GetPoint(CDsGeometry::eParameterPoints which, SPAposition& position) override;
    // 0x1022: outlines and texts.
    int GetDrawPrimitives() override;
    // With a non-empty text: the outline in fast refresh (kinds with 0x02, auto-hide enabled);
    // else, for texts (0x20), the bitmap rendered when modified and drawn in the walk; either in
    // the item's own attributes when `applyAttributes`.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;

protected:
    // The text through the view's DrawText2D at the anchor (rows turned down); 0.
    int DrawGdi(view3d& view) override;
    // The extent of the whole string in the font on the view's device context; w and h stay as
    // given without a device context or text.
    virtual void ComputeBoundingRectangleInPixels(view3d& view, float& width, float& height);
    // The pixel advance of each character for the rendering: null (GDI's own spacing).
    virtual void ComputeCharWidths(double unitsPerPixel, int*& advances);

    // The construction defaults: no text, anchor and pixel height 0, no bitmap, alignment 0,
    // modified; on top.
    void ResetMembers();
    // Deletes the bitmap.
    void DeleteOldBitmap();
    // Drops a line feed that ends the text.
    void RemoveEndOfLineCharacter();
    // True in fast refresh (view flag 3) or above 500 pixels.
    bool IsRectangleDrawRequired(view3d& view) const;
    // The font's GDI height from the pixel height and the em-to-ascent ratio.
    void SetPreciseFontHeight();
    // 0, 0.5 or 1 for alignments 0, 1, 2; 0 for any other.
    float GetAlignmentRatio() const;
    // The line angle in degrees within [-180, 180].
    float GetTruncatedAngle() const;
    // The line angle in radians.
    float GetAngleRadians() const;
    // The turned outline of GetBoundBox2D at the anchor.
    void DrawRectangle(view3d& view);
    // The bitmap, rendered first when modified and inside the viewport.
    void DrawBitMap(view3d& view);
    // Renders the text into the bitmap with its baseline start at (xOff, yOff), rows down.
    void DrawTextToBitmap(view3d& view, int xOff, int yOff);
    // The baseline start in the bitmap, making (or re-making) the bitmap when needed.
    void ComputeDimensionsAndCreateBitmap(view3d& view, int& xOff, int& yOff);
    // The baseline start (xOff, yOff, rows down) and the bitmap origin (ax, ay, rows up).
    void ComputeOffsets(float w, float h, float bitmapW, float bitmapH, float& ax, float& ay, int& xOff,
                        int& yOff) const;
    // The bitmap's size: the box of the turned text rectangle plus a text height each way.
    void ComputeBitmapDimensions(float w, float h, float& bitmapW, float& bitmapH) const;
    // The alignment's shift along a line of width w at `angle` radians.
    void ComputeAlignmentOffsets(float w, float angle, float& dx, float& dy) const;
    // The four corners (x, y pairs, rows up) of the turned text rectangle.
    void ComputeRectangle(view3d* view, int corners[8]);
    // True when one of the four corners lies in the closed range.
    static bool PointsInsidePickRegion(const int corners[8], int xmin, int xmax, int ymin, int ymax);
    // Whether the item has a non-empty text.
    bool HasText() const { return m_text && !m_text->IsEmpty(); }
    // Marks the image modified.
    void SetModified() { m_modified = true; }
    // The escapement in tenths of a degree (as SetLineAngle: a change marks the image modified).
    void SetEscapement(long tenths);

    // The text, owned; null when none.
    CVyrString* m_text = nullptr;
    // The font.
    CDsNFontStorage m_font;
    // The anchor in pixels, y up.
    int m_x = 0, m_y = 0;
    // The pixel height.
    int m_pixelHeight = 0;
    // Whether the image must be rendered again.
    bool m_modified = true;
    // The bitmap, owned; null until drawn.
    CDsItemBitmap* m_bitmap = nullptr;
    // The line alignment.
    EDsTextLineAlignment m_alignment = eDsTextLineLeft;

private:
    // Copies the other text's state (see the copy constructor).
    void CopyFrom(const CDsItemNText2D& other);
};

// A screen-aligned text placed at a fraction of the view's size.
class AFX_EXT_CLASS CDsItemNText2DRelative : public CDsItemNText2D {
public:
    // `text` in a copy of `font` (pixel height = its height) at (relX, relY) of the view: 0 is the
    // left or bottom edge, 1 the right or top edge.
    CDsItemNText2DRelative(const CVyrString& text, const CDsNFontStorage& font, float relX, float relY);

    // Updates the anchor, then as the 2-D text.
    void DrawGl(view3d& view) override;
    // 8.
    EDsItemsType GetItemType() override;
    // Nothing.
    void DrawExtremes(CDsViewExtrema& extrema, ENTITY* entity) override;
    // Nothing.
    void Plot(view3d& view) override;
    // False.
    bool Pick(pick_manager* manager) override;
    // For outlines or texts: updates the anchor, then as the 2-D text.
    void DrawOnTraverse(view3d& view, CDsGeometry::eDrawPrimitives kinds, bool applyAttributes) override;

    // The anchor from the relative position on `view`: the geometry computer's pixel, then down
    // by the font height times the relative y. Every draw does it first; a reader of the place
    // the text will draw at does it for the view it asks about.
    void UpdatePosition(view3d& view);

protected:
    // 0: not printed.
    int DrawGdi(view3d& view) override;

private:
    float m_relX = 0.0f, m_relY = 0.0f;
};
