// CDsFigUcs: a coordinate system shown as a figure, a triad of one to three arrows at a model point
// with a label beyond each tip and an optional label at the origin. The figure keeps its parameters
// and describes itself through the generator's DrawUcs, which makes one CDsItemsUcs (the arrows
// sized in millimetres on the device, following the display manager's UCS size).
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - SetAttributes of an axis redefines the figure, which makes a new triad; the figure therefore
//   keeps the attributes given to each axis and gives them to every triad it defines, so that they
//   survive this redefinition and every later one (Remove and Record, SetFlag, ...), rather than
//   being dropped the moment they are set. An axis outside X, Y and Z changes nothing.
// - An axis count below 1 becomes 3 and then no axes are read from the caller (the triad takes the
//   model axes); only as many axes as the triad uses (at most 3) are copied. A given axis that is
//   not finite is kept as the zero direction, so that no NaN reaches OpenGL.
// - The axis labels are one character per axis (X, Y, Z when empty); the second label stands at the
//   origin when it is not empty.
// - The pick helpers of coordinate-system figures (CheckIfCoordinatePicked, StGetPickedUcsArrow,
//   StGetPickedPartOfUcs, StGetDlUcs, StSetUcsArrowAttributes, StHighlightPickedUcsArrow) answer
//   that nothing is picked and change nothing: which axis a pick touched is answered by the triad
//   itself (CDsItemsUcs::GetAxisPicked).
#pragma once

#include <afx.h>

#include "DsFigure.h"
#include "DsLineAttribStorage.h"
#include "DsPickedItem.h"
#include "GmPosition.h"
#include "VyrString.h"

#include <vector>

class CDsItemsUcs;
class CUiPickEvent;

// A coordinate-system figure.
class AFX_EXT_CLASS CDsFigUcs : public CDsFigure {
public:
    // A triad at `origin` of `count` axes (below 1: 3) along `axes` (the model axes when null),
    // labelled by the characters of `axisLabels` and by `originLabel` at the origin (null labels
    // are empty); `size` is handed to the generator. Pending until first used.
    CDsFigUcs(const CGmPosition& origin, int size, const char* axisLabels, const char* originLabel,
              const CGmUnitVector* axes, int count);
    // The same with wide labels.
    CDsFigUcs(const CGmPosition& origin, int size, const CVyrString& axisLabels, const CVyrString& originLabel,
              const CGmUnitVector* axes, int count);

    // DrawUcs of the figure's parameters, then the attributes kept for each axis given to the new
    // triad. 1.
    int DefineFig(CDsFigureGenerator& generator) override;

    // The whole line attributes of the figure (see CDsFigure::SetAttributes).
    void SetAttributes(const CDsLineAttribStorage& attributes, bool redraw)
    {
        CDsFigure::SetAttributes(attributes, redraw);
    }
    // Keeps `attributes` for the arrow and label of `axis` and redefines the figure (defined first
    // when it has no group); nothing for an axis outside X, Y and Z.
    void SetAttributes(const CDsLineAttribStorage& attributes, EDsCoordinate axis);
    // The triad of the main group (its first child), null before the definition.
    CDsItemsUcs* GetUcsItem() const;

    // The number of axes (1 to 3).
    int GetAxisCount() const { return m_count; }
    // The size handed to the generator.
    int GetSize() const { return m_size; }
    // The origin.
    const CGmPosition& GetOrigin() const { return m_origin; }
    // The axis labels.
    const CVyrString& GetAxisLabels() const { return m_axisLabels; }
    // The origin label.
    const CVyrString& GetOriginLabel() const { return m_originLabel; }

    // The model axis whose component `axis` (0 x, 1 y, 2 z) is 1; the zero direction for another
    // value.
    static CGmUnitVector StGetUnitVector(EDsCoordinate axis);
    // False (see the header comment).
    static bool CheckIfCoordinatePicked(const CUiPickEvent& event, EDsCoordinate& axis);
    // False (see the header comment).
    static bool StGetPickedUcsArrow(const CDsPickedItem& item, EDsCoordinate& axis);
    // False (see the header comment).
    static bool StGetPickedPartOfUcs(const CDsPickedItem& item, EDsCoordinate& axis, bool& head);
    // Null (see the header comment).
    static CDsItemsUcs* StGetDlUcs(const CDsPickedItem& item);
    // Nothing (see the header comment).
    static void StSetUcsArrowAttributes(const CDsPickedItem& item, const CDsLineAttribStorage& attributes);
    // Nothing (see the header comment).
    static void StHighlightPickedUcsArrow(const CDsPickedItem& item, bool on);

private:
    // Stores the axes (see the header comment).
    void CopyAxes(const CGmUnitVector* axes, int count);

    int m_count = 3;
    int m_size = 0;
    CGmPosition m_origin;
    CVyrString m_axisLabels;
    CVyrString m_originLabel;
    std::vector<CGmUnitVector> m_axes;  // empty: the model axes
    CDsLineAttribStorage m_axisAttributes[3];
    bool m_hasAxisAttributes[3] = {false, false, false};
};
