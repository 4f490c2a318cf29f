// CDsBackground: how a view's background is painted, one solid colour or a vertical gradient
// between two colours. The background item of a view holds one and paints it; the display
// preferences fill one from the user's background settings.
//
// Which colour lies where:
//   gradient on and inverted   bottom: the gradient colour     top: the background colour
//   any other combination      bottom: the background colour   top: the gradient colour
// With the gradient off a painter uses the background colour alone; the top colour is still
// answered by the table, so that turning the gradient on needs no other change.
#pragma once

#include <afx.h>

#include "DsColorStorage.h"

// A view's background: a colour, a second colour and whether and which way a gradient runs.
class AFX_EXT_CLASS CDsBackground {
public:
    // Both colours black, gradient off, not inverted.
    CDsBackground() = default;
    // The given colours and flags.
    CDsBackground(const CDsColorStorage& background, const CDsColorStorage& gradient, bool useGradient,
                  bool inverted);
    // A copy of the four values.
    CDsBackground(const CDsBackground& other) = default;
    // Takes the four values of `other`.
    CDsBackground& operator=(const CDsBackground& other) = default;
    // Nothing to free.
    virtual ~CDsBackground() = default;

    // Takes the four values of `other` (as assignment does).
    void CopyObject(const CDsBackground& other) { *this = other; }
    // Gradient off and not inverted; the colours stay.
    void ResetMembers();

    // Sets the background colour (the solid colour, one end of the gradient).
    void SetBackground(const CDsColorStorage& color);
    // The background colour.
    void GetBackground(CDsColorStorage& color) const { color = m_background; }
    // Sets the gradient's second colour and both flags.
    void SetGradient(const CDsColorStorage& gradient, bool useGradient, bool inverted);
    // The gradient's second colour and both flags.
    void GetGradient(CDsColorStorage& gradient, bool& useGradient, bool& inverted) const;
    // Whether a gradient is painted.
    bool GetUseGradientFlag() const { return m_useGradient; }
    // Turns the gradient on or off.
    void SetUseGradientFlag(bool useGradient) { m_useGradient = useGradient; }

    // The colour at the bottom edge (see the table above).
    void GetBottomColor(CDsColorStorage& color) const;
    // The colour at the top edge (see the table above).
    void GetTopColor(CDsColorStorage& color) const;

private:
    CDsColorStorage m_background;  // the solid colour, one end of the gradient
    CDsColorStorage m_gradient;    // the other end of the gradient
    bool m_useGradient = false;    // paint a gradient rather than a solid colour
    bool m_inverted = false;       // the gradient colour at the bottom
};
