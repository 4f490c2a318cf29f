// rgb_color: clamped components and the four-byte Windows form.
#include "rgb_color.h"

#include <cmath>

namespace {

double clamp_unit(double v)
{
    if (!(v > 0.0)) return 0.0;  // also NaN
    return v < 1.0 ? v : 1.0;
}

unsigned long to_byte(double v)
{
    return static_cast<unsigned long>(std::lround(clamp_unit(v) * 255.0));
}

}  // namespace

rgb_color::rgb_color(double r, double g, double b) : m_red(clamp_unit(r)), m_green(clamp_unit(g)), m_blue(clamp_unit(b)) {}

void rgb_color::set_red(double v) { m_red = clamp_unit(v); }

void rgb_color::set_green(double v) { m_green = clamp_unit(v); }

void rgb_color::set_blue(double v) { m_blue = clamp_unit(v); }

unsigned long rgb_color::windows_color() const
{
    return to_byte(m_red) | (to_byte(m_green) << 8) | (to_byte(m_blue) << 16);
}

void rgb_color::set_windows_color(unsigned long color)
{
    m_red = static_cast<double>(color & 0xFFu) / 255.0;
    m_green = static_cast<double>((color >> 8) & 0xFFu) / 255.0;
    m_blue = static_cast<double>((color >> 16) & 0xFFu) / 255.0;
}

bool rgb_color::operator==(const rgb_color& other) const
{
    return m_red == other.m_red && m_green == other.m_green && m_blue == other.m_blue;
}
