// VOREvu3v<T>: the algorithm library's small vector of three components (a point or a direction),
// with the few operations its triangulation and the display items need.
#pragma once

#include <cmath>

// A vector of three components; zero when default-made.
template <class T>
struct VOREvu3v {
    T x = T(0);  // first component
    T y = T(0);  // second component
    T z = T(0);  // third component

    // The zero vector.
    constexpr VOREvu3v() = default;
    // The vector (x, y, z).
    constexpr VOREvu3v(T x_, T y_, T z_) : x(x_), y(y_), z(z_) {}

    // Component `i` (0, 1 or 2; any other index reads z).
    T operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
    // The sum.
    VOREvu3v operator+(const VOREvu3v& o) const { return VOREvu3v(x + o.x, y + o.y, z + o.z); }
    // The difference.
    VOREvu3v operator-(const VOREvu3v& o) const { return VOREvu3v(x - o.x, y - o.y, z - o.z); }
    // Scaled by `s`.
    VOREvu3v operator*(T s) const { return VOREvu3v(x * s, y * s, z * s); }
    // Adds `o`.
    VOREvu3v& operator+=(const VOREvu3v& o)
    {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    // Equal component by component.
    bool operator==(const VOREvu3v& o) const { return x == o.x && y == o.y && z == o.z; }
    // Not equal.
    bool operator!=(const VOREvu3v& o) const { return !(*this == o); }

    // The cross product this x o.
    VOREvu3v Cross(const VOREvu3v& o) const
    {
        return VOREvu3v(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
    }
    // The length.
    T Length() const { return static_cast<T>(std::sqrt(x * x + y * y + z * z)); }
    // The unit vector along this one; the zero vector for a zero or non-finite length.
    VOREvu3v Normalized() const
    {
        const T length = Length();
        if (!(length > T(0)) || !std::isfinite(length)) return VOREvu3v();
        return VOREvu3v(x / length, y / length, z / length);
    }
};
