// CDsBackground: a view's background colours.
#include "DsBackground.h"

CDsBackground::CDsBackground(const CDsColorStorage& background, const CDsColorStorage& gradient, bool useGradient,
                             bool inverted)
    : m_background(background), m_gradient(gradient), m_useGradient(useGradient), m_inverted(inverted)
{
}

void CDsBackground::ResetMembers()
{
    m_useGradient = false;
    m_inverted = false;
}

void CDsBackground::SetBackground(const CDsColorStorage& color)
{
    if (&color != &m_background) m_background = color;
}

void CDsBackground::SetGradient(const CDsColorStorage& gradient, bool useGradient, bool inverted)
{
    if (&gradient != &m_gradient) m_gradient = gradient;
    m_useGradient = useGradient;
    m_inverted = inverted;
}

void CDsBackground::GetGradient(CDsColorStorage& gradient, bool& useGradient, bool& inverted) const
{
    gradient = m_gradient;
    useGradient = m_useGradient;
    inverted = m_inverted;
}

void CDsBackground::GetBottomColor(CDsColorStorage& color) const
{
    color = m_useGradient && m_inverted ? m_gradient : m_background;
}

void CDsBackground::GetTopColor(CDsColorStorage& color) const
{
    color = m_useGradient && m_inverted ? m_background : m_gradient;
}
