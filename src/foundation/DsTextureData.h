// Texture images in memory and the GL textures made of them: SColor4ub (one texel),
// DsTextureBuffer (a block of texels), SDsTextureData (an image of the display manager's texture
// table: the block, the size of the picture inside it and whether it repeats) and SDsTexture (one
// view's GL texture of such an image).
//
// Texel layout: four bytes red, green, blue, alpha, as OpenGL takes GL_RGBA with unsigned bytes;
// rows one after another from the first (bottom) row of the texture up.
#pragma once

#include <afx.h>

#include <cstdint>
#include <vector>

// One texel: red, green, blue, alpha. A fresh texel is (192, 192, 192, 0), a transparent grey.
struct AFX_EXT_CLASS SColor4ub {
    // (192, 192, 192, 0).
    SColor4ub() = default;
    // The texel (r, g, b, a).
    SColor4ub(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) : r(red), g(green), b(blue), a(alpha) {}
    // True when all four bytes agree.
    bool operator==(const SColor4ub& other) const
    {
        return r == other.r && g == other.g && b == other.b && a == other.a;
    }
    // True when any byte differs.
    bool operator!=(const SColor4ub& other) const { return !(*this == other); }

    uint8_t r = 192;  // red
    uint8_t g = 192;  // green
    uint8_t b = 192;  // blue
    uint8_t a = 0;    // alpha (0 transparent, 255 opaque)
};
static_assert(sizeof(SColor4ub) == 4, "a texel is four bytes, as GL_RGBA with unsigned bytes");

// A block of rows x columns texels, owned; copying copies the texels.
class AFX_EXT_CLASS DsTextureBuffer {
public:
    // An empty block (0 x 0).
    DsTextureBuffer() = default;

    // Makes the block `rows` x `columns` fresh texels; nothing when either is below 1.
    void Resize(int columns, int rows);
    // Becomes a copy of `other` (sizes and texels).
    void Copy(const DsTextureBuffer& other) { *this = other; }
    // Frees the texels; the block is 0 x 0 afterwards.
    void Free();

    // Number of rows (the texture height).
    int GetRows() const { return m_rows; }
    // Number of columns (the texture width).
    int GetColumns() const { return m_columns; }
    // True when the block holds no texel.
    bool IsEmpty() const { return m_texels.empty(); }
    // The first texel of row `row` (0 is the first row); null outside 0..rows-1.
    SColor4ub* Row(int row);
    // The same, read-only.
    const SColor4ub* Row(int row) const;
    // All texels, row after row (null when empty).
    const SColor4ub* GetTexels() const { return m_texels.empty() ? nullptr : m_texels.data(); }

private:
    int m_rows = 0;
    int m_columns = 0;
    std::vector<SColor4ub> m_texels;
};

// An image of the display manager's texture table: the texel block (its sizes are the texture's,
// ready for OpenGL), the size of the picture inside it, and whether the texture repeats across a
// surface (hatches) or is clamped (icons).
struct AFX_EXT_CLASS SDsTextureData {
    DsTextureBuffer buffer;  // rows x columns texels
    int width = 0;           // width of the picture inside the block, in texels
    int height = 0;          // height of the picture inside the block, in texels
    bool repeat = false;     // repeat across a surface rather than clamp
};

// One view's GL texture of an image: {0, 0, 0, 1, 1} until loaded.
struct AFX_EXT_CLASS SDsTexture {
    uint32_t id = 0;        // GL texture name, 0 until loaded
    int width = 0;          // picture width, in texels (and pixels when drawn as an icon)
    int height = 0;         // picture height
    float sExtent = 1.0f;   // picture width / texture width: the s coordinate of the picture's right edge
    float tExtent = 1.0f;   // picture height / texture height: the t coordinate of its top edge
};
