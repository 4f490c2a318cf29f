// The text figures: CDsFigText3D (a text anchored at a model point, model units high, or a fixed
// number of pixels high), CDsFigText3DVector (a text whose line follows a model direction) and
// CDsFigText2D (a text at a pixel of the window). CDsFigText3D also offers the statics that act on
// a figure group holding a text block, and StGetTextSize, which measures a text of one or more
// lines in model units.
//
// A font height of -1 means "15 pixels": when the figure is defined it becomes
// trunc(15 x the current view's units per pixel) for a text of model height (15 when there is no
// such view or the text is fixed-size), and is kept.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - The 3-D text is handed to the generator with the font height as its height (model units, or
//   pixels for a fixed-size text) and with its fixed-size flag: a height of 0 (or of 1 pixel)
//   would make a text too small to see.
// - Bounding rectangles are the base figure's (the group's extremes, in window pixels, y counted
//   up). A screen text has no model extremes, so the 2-D text answers the window box of its text
//   item instead: its 2-D bounds placed at its anchor, reaching the font's descent below the
//   baseline, united with the image the text was last drawn as; -1 for all four when there is
//   nothing to measure (no group, no current view, no text item).
// - The default constructor makes an empty text in the default face with height -1, anchored at
//   the origin, left aligned, not fixed-size.
// - StGetTextSize reads at most `length` characters and stops at a terminator before that; a
//   negative length reads up to the terminator; a null text answers 0 for all three values.
// - Null text or face names are empty strings (the default face).
#pragma once

#include <afx.h>

#include "DsFigure.h"
#include "DsNFontStorage.h"
#include "GmPosition.h"
#include "VyrFigureGenerator.h"
#include "VyrString.h"
#include "VyrViewTypes.h"

class CDsItemsFigure;
class view3d;

// A text anchored at a model point.
class AFX_EXT_CLASS CDsFigText3D : public CDsFigure {
public:
    // An empty text (see the header comment); pending until first used.
    CDsFigText3D();
    // `text` in the face `font`, height trunc(size), at `position`; pending until first used.
    CDsFigText3D(const SPAposition& position, const char* text, const char* font, float size);
    // The same for wide strings.
    CDsFigText3D(const SPAposition& position, const CVyrString& text, const CVyrString& font, float size);

    // The font height settled (see the header comment), MoveTo(position), the line alignment, and
    // DrawTextW of the text in the font. 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // The base figure's rectangle (see the header comment).
    void GetBoundingRectangle(CDsView3dCdc* view, double& xmin, double& xmax, double& ymin,
                              double& ymax) const override;

    // The text; redefines.
    void SetText(const CVyrString& text);
    // The text (UTF-8; null: empty); redefines.
    void SetText(const char* text);
    // The face name (shows at the next definition).
    void SetFontName(const CVyrString& name) { m_font.SetName(name); }
    // The font height becomes trunc(size) (shows at the next definition).
    void SetSize(float size);
    // Italic or upright (shows at the next definition).
    void SetSlanted(bool slanted) { m_font.SetSlanted(slanted); }
    // The line angle in degrees (shows at the next definition).
    void SetBaseAngle(float degrees) { m_font.SetLineAngle(degrees); }
    // The anchor; redefines.
    void SetPosition(const SPAposition& position);
    // The line alignment; redefines.
    void SetAlignmentPoint(EDsTextLineAlignment alignment);
    // Fixed pixel size or model size; redefines.
    void SetFixedSize(bool fixed);
    // Nothing.
    void SetDragMode(bool) {}
    // Empty text, default font of height -1, origin, left aligned, not fixed-size.
    void ResetMembers();

    // The text.
    const CVyrString& GetText() const { return m_text; }
    // The font.
    const CDsNFontStorage& GetFont() const { return m_font; }
    // The anchor.
    const CGmPosition& GetPosition() const { return m_position; }
    // The line alignment.
    EDsTextLineAlignment GetAlignmentPoint() const { return m_alignment; }
    // Whether the text keeps a fixed pixel size.
    bool GetFixedSize() const { return m_fixed; }

    // --- Text blocks held by a figure group (first child a CDsItemsNTextBlock; else nothing) ----
    // The block's line angle (degrees); laid out again.
    static void StSetTextBlockAngle(CDsItemsFigure* group, float degrees);
    // The block's alignment; laid out again.
    static void StSetTextBlockAlignment(CDsItemsFigure* group, EDsTextBlockAlignment alignment);
    // The block's anchor; laid out again.
    static void StSetTextBlockPosition(CDsItemsFigure* group, const CGmPosition& position);
    // The block laid out, its width and height (less the last line's descent with
    // `withoutLastDescent`); 0 and 0 without a block.
    static void StGetTextBlockSize(CDsItemsFigure* group, double& width, double& height, bool withoutLastDescent);

    // The size of `text` (at most `length` characters; see the header comment) in `font` at
    // `height` model units, line by line: the widest line's width, the sum of the lines' heights,
    // and the last line's descent ((the font's em-ascent ratio - 1) x its em height x the units
    // per pixel of `view`, or of the screen without a view).
    static void StGetTextSize(view3d* view, const SPAposition& position, float height, const CDsNFontStorage& font,
                              const wchar_t* text, int length, double& width, double& totalHeight,
                              double& descent);

protected:
    // The font height -1 made concrete (see the header comment).
    void SettleFontHeight();

    CVyrString m_text;
    CDsNFontStorage m_font;
    bool m_fixed = false;
    CGmPosition m_position;
    EDsTextLineAlignment m_alignment = eDsTextLineLeft;
};

// A text whose line follows a model direction.
class AFX_EXT_CLASS CDsFigText3DVector : public CDsFigText3D {
public:
    // An empty text along x; pending until first used.
    CDsFigText3DVector();
    // `text` at `position` along `direction` in the face `font`, height trunc(size); pending.
    CDsFigText3DVector(const char* text, const SPAposition& position, const SPAvector& direction, const char* font,
                       float size);
    // The same for wide strings.
    CDsFigText3DVector(const CVyrString& text, const SPAposition& position, const SPAvector& direction,
                       const CVyrString& font, float size);

    // MoveTo(position), the line alignment, DrawTextVector(text, font, position, direction, 15,
    // not fixed). 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // The direction.
    const SPAvector& GetVector() const { return m_direction; }

private:
    SPAvector m_direction{1.0, 0.0, 0.0};
};

// A text at a pixel of the window.
class AFX_EXT_CLASS CDsFigText2D : public CDsFigText3D {
public:
    // `text` at pixel (x, y) (y counted up) in the face `font`, trunc(size) pixels high; pending.
    CDsFigText2D(int x, int y, const char* text, const char* font, float size);
    // The same for wide strings.
    CDsFigText2D(int x, int y, const CVyrString& text, const CVyrString& font, float size);

    // The generator's 2-D mode on, MoveTo((x, y, 0)), DrawText2D(text, font). 1.
    int DefineFig(CDsFigureGenerator& generator) override;
    // The window box of the text item (see the header comment).
    void GetBoundingRectangle(CDsView3dCdc* view, double& xmin, double& xmax, double& ymin,
                              double& ymax) const override;
    using CDsFigText3D::SetText;
    using CDsFigText3D::SetPosition;
    // The pixel; redefines.
    void SetPosition(int x, int y);
    // The pixel's x.
    int GetX() const { return m_x; }
    // The pixel's y (counted up).
    int GetY() const { return m_y; }

private:
    int m_x;
    int m_y;
};
