// CVyrFigureGenerator: the pen interface through which the application's own entities and figures
// describe their pictures (groups, pen settings, polylines, points, arcs, triangles, texts,
// hidden-line segments, toolpaths). The display core derives its figure generator from it and
// implements every operation; this base keeps no state and its operations do nothing, so a
// derived generator overrides only what it supports.
//
// The classes named below without a definition belong to the display core; the base passes them
// on by pointer or reference and never looks inside. The small enumerations the operations take
// are defined here, with int underlying types, so stored numbers convert with static_cast.
#pragma once

#include "VyrModelerExtApi.h"

#include "VyrViewTypes.h"

class CDsAttributesPalette;
class CDsColorStorage;
class CDsEllipseStorage;
class CDsItemBase;
class CDsNFontStorage;
class CDsPolyline;
class CDsUid;
class CGmPosition;
class CGmTransformation;
class CGmUnitVector;
class CUiCharFormat;
class CVyrStlData;
class CVyrString;
class ENTITY;
class SPAtransf;
// A toolpath node record of the display core (declared there as a struct).
struct TDsNodeHeader;

// Flags (masks) of a group of items.
enum EDsItemFlags : int {
    // Kept out of extents computations.
    eDsItemFlagNoExtents = 1,
    // Hidden while the view's document flag 4 is set.
    eDsItemFlagHideByDocument4 = 2,
    // Hidden while the view's document flag 5 is set.
    eDsItemFlagHideByDocument5 = 4,
    // Not plotted.
    eDsItemFlagNoPlot = 8,
    // Drawn with the view's flag 5 set.
    eDsItemFlagViewFlag5 = 128,
    // Drawn only while highlighted or marked.
    eDsItemFlagOnlyHighlighted = 512,
    // Never picked.
    eDsItemFlagNotPickable = 1024
};

// Marker style of a point (1 to 9 are markers; 11 lets the point's kind decide).
enum EPointStyle : int {
    // No style of its own: the point's kind decides.
    ePointStyleByType = 11
};

// Which of the two segment sets of a hidden-line view a segment goes to.
enum EDsHlSegmentType : int {
    // The first set.
    eDsHlSegmentFirst = 0,
    // The second set.
    eDsHlSegmentSecond = 1
};

// Where a text block's anchor lies on the block: rows top, middle, bottom, each with the columns
// left, centre, right.
enum EDsTextBlockAlignment : int {
    eDsTextBlockTopLeft = 0,       // top row, left
    eDsTextBlockTopCenter = 1,     // top row, centre
    eDsTextBlockTopRight = 2,      // top row, right
    eDsTextBlockMiddleLeft = 3,    // middle row, left
    eDsTextBlockMiddleCenter = 4,  // middle row, centre
    eDsTextBlockMiddleRight = 5,   // middle row, right
    eDsTextBlockBottomLeft = 6,    // bottom row, left
    eDsTextBlockBottomCenter = 7,  // bottom row, centre
    eDsTextBlockBottomRight = 8    // bottom row, right
};

// The pen interface of figures (operations in this order form the interface).
class VYR_MODELER_EXT_API CVyrFigureGenerator {
public:
    // Frees the generator.
    virtual ~CVyrFigureGenerator();

    // Opens a sub-group; new items go into it until EndGroup.
    virtual void StartGroup(bool flag);
    // Closes the current sub-group.
    virtual void EndGroup();
    // Adds an item made by the caller (the generator's tree takes it over).
    virtual void AddSubFigure(CDsItemBase* item);
    // Pen colour of the items that follow.
    virtual void SetPenColor(const CDsColorStorage& color);
    // Pen line style (0 to 31).
    virtual void SetPenStyle(int style);
    // Pen width in pixels (1 to 8).
    virtual void SetPenWidth(int width);
    // Blanks (true) or shows (false) the items that follow.
    virtual void SetPenVisibilityBlank(bool blank);
    // Transformation applied to the items that follow.
    virtual void SetTransformation(const CGmTransformation& transformation);
    // Draws the items that follow on top of everything else (true) or normally.
    virtual void SetOnTopFlag(bool onTop);
    // Clears a flag of the generated group.
    virtual void ResetFlag(EDsItemFlags flag);
    // A flag of the generated group (false in the base).
    virtual bool GetFlag(EDsItemFlags flag) const;
    // Sets a flag of the generated group.
    virtual void SetFlag(EDsItemFlags flag);
    // Draws a line from the current position to `position`, which becomes current.
    virtual void DrawTo(const CGmPosition& position);
    // Moves the current position to `position` without drawing.
    virtual void MoveTo(const CGmPosition& position);
    // A polyline of `count` positions.
    virtual void DrawPolyline(int count, const CGmPosition* points);
    // A polyline of `count` pixel points (x, y pairs).
    virtual void DrawPolyline2D(int count, const float* xy);
    // A point marker at `position` of `style` and `size` pixels, moved `offset` pixels along
    // `direction`; `flag` is passed on to the point item.
    virtual void DrawPoint(const CGmPosition& position, EPointStyle style, int size, bool flag,
                           const CGmUnitVector& direction, int offset);
    // A coordinate-system triad at `origin` with `axisCount` axes and their labels.
    virtual void DrawUcs(const CGmPosition& origin, int size, const CVyrString& axisLabels,
                         const CVyrString& originLabel, const CGmUnitVector* axes, int axisCount);
    // The same with narrow (UTF-8) labels.
    virtual void DrawUcs(const CGmPosition& origin, int size, const char* axisLabels, const char* originLabel,
                         const CGmUnitVector* axes, int axisCount);
    // `count` triangles of three points each (x, y, z doubles) with one normal per point (x, y, z
    // doubles), or computed normals when `normals` is null.
    virtual void DrawTriangles(int count, const double* points, const double* normals);
    // A triangle mesh under a transform.
    virtual void DrawTrianglesStl(const SPAtransf& transform, CVyrStlData* data);
    // An arc of `radius` about `centre` in the xy plane of `transformation`, from `start` over
    // `sweep` radians, approximated at `step` radians.
    virtual void DrawArc(const CGmPosition& centre, double radius, const CGmTransformation& transformation,
                         double start, double sweep, double step);
    // Starts a hidden-line view of `entity`; its segments follow.
    virtual void StartHlView(ENTITY* entity, bool flag);
    // A hidden-line segment along an ellipse.
    virtual void AddHlSegment(ENTITY* entity, CDsEllipseStorage* ellipse, EDsHlSegmentType type);
    // A hidden-line segment along a polyline.
    virtual void AddHlSegment(ENTITY* entity, CDsPolyline* polyline, EDsHlSegmentType type);
    // A text (UTF-8) at the current position in `font`, `height` high; `fixed` keeps its size in
    // pixels.
    virtual void DrawTextW(const char* text, const CDsNFontStorage& font, float height, bool fixed);
    // The same in the font named `faceName`.
    virtual void DrawTextW(const char* text, const char* faceName, float height, bool fixed);
    // A text in pixels at the current position in the font named `faceName`, `size` pixels high.
    virtual void DrawText2D(const char* text, const char* faceName, float size);
    // Opens a block of text lines anchored at `position`, turned by `angle`.
    virtual void StartTextBlock(const CGmPosition& position, float angle, EDsTextBlockAlignment alignment);
    // Opens a line of the current text block.
    virtual void StartTextLine(EDsTextLineAlignment alignment);
    // Adds a run of text of one format to the current line.
    virtual void AddTextItem(const CVyrString& text, const CUiCharFormat& format);
    // Opens a toolpath with its id and its attributes palette.
    virtual void StartToolpath(const CDsUid& id, CDsAttributesPalette* palette);
    // Adds a node to the current toolpath branch.
    virtual void AddToolpathSegment(TDsNodeHeader* node);
    // Closes the current toolpath branch.
    virtual void EndToolpathBranch();
    // Closes the toolpath.
    virtual void EndToolpath();

protected:
    // Generators are made as a derived generator.
    CVyrFigureGenerator() = default;
    // Copied as part of a derived generator.
    CVyrFigureGenerator(const CVyrFigureGenerator&) = default;
    // Assigned as part of a derived generator.
    CVyrFigureGenerator& operator=(const CVyrFigureGenerator&) = default;
};
