// CDsHatchPattern: one hatch of the display manager's table: a 32 x 32 polygon stipple (4 bytes a
// row, the first row at the bottom, the most significant bit of each byte the leftmost pixel), its
// inverse, and the two textures of the display manager's texture table made from them (set bits
// opaque black, clear bits transparent white, repeating).
//
// The built-in stipples (rows come in equal pairs, r = 0..31):
//   0: 16-bit 0xF000 rotated right by r/2 bits, twice a row   4-pixel diagonal bands every
//   1: 16-bit 0x000F rotated left by r/2 bits, twice a row    16 pixels, leaning opposite ways
//   2: 8-bit 0xF0 rotated right by r/2 bits, four times a row  the same every 8 pixels
//   3: 8-bit 0x0F rotated left by r/2 bits, four times a row
//
// Choices where the plain rule would go wrong: the texture maker reads the lowest bit of a byte
// as the leftmost texel, while a polygon stipple reads the highest bit first. The bits of each
// byte are therefore reversed on the way to the textures, so that texel (x, y) of a texture shows
// what pixel (x, y) of the stipple shows.
#pragma once

#include <afx.h>

#include <cstdint>
#include <utility>
#include <vector>

class SPAposition;
class SPAunit_vector;
class view3d;

// One hatch: its stipple, inverse stipple and their textures.
class AFX_EXT_CLASS CDsHatchPattern {
public:
    // Number of built-in stipples.
    static const int kStippleCount = 4;
    // Bytes of a stipple (32 rows of 4 bytes).
    static const int kMaskBytes = 128;

    // The built-in stipple `index` (0 to 3); any other index gives stipple 0.
    explicit CDsHatchPattern(int index);
    // Copies masks and texture indexes.
    CDsHatchPattern(const CDsHatchPattern&) = default;
    // Copies masks and texture indexes.
    CDsHatchPattern& operator=(const CDsHatchPattern&) = default;

    // Takes the 32 words (128 bytes, in memory order) of `stipple`, or stipple 0 when null,
    // stores it and its inverse, and registers their two textures with the display manager:
    // first the inverse one, then the mask one.
    void SetHatch(const unsigned int* stipple);
    // The 256 bytes of the pattern: the inverse stipple (128 bytes), then the stipple.
    const unsigned char* GetData() const { return m_masks; }
    // The stipple (128 bytes).
    const unsigned char* GetMask() const { return m_masks + kMaskBytes; }
    // Index of the inverse stipple's texture in the display manager's texture table (-1 when
    // it could not be registered).
    int GetInverseTextureId() const { return static_cast<int>(m_inverseTextureId); }
    // Index of the stipple's texture in the display manager's texture table (-1 when it could
    // not be registered).
    int GetMaskTextureId() const { return static_cast<int>(m_maskTextureId); }

    // Fills the polygon on the view with the stipple's texture (CDsDriverGl::DrawHatchedPolygon
    // with `direction` along the hatch and `normal` the polygon's normal); the bool has no effect.
    // Nothing for a null view.
    void SetToView(view3d* view, const std::pair<std::vector<SPAposition>, unsigned>& polygon,
                   const SPAunit_vector& direction, const SPAunit_vector& normal, bool unused);
    // Turns polygon stippling off.
    void ResetToView(view3d* view);

    // The 32 words (128 bytes in memory order) of built-in stipple `index` (0 to 3), null for any
    // other index.
    static const unsigned int* StGetStipple(int index);

private:
    unsigned char m_masks[2 * kMaskBytes];  // inverse stipple, then the stipple
    uint32_t m_inverseTextureId = 0xFFFFFFFFu;
    uint32_t m_maskTextureId = 0xFFFFFFFFu;
};
