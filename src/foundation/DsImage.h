// CDsImage: the in-memory picture that image items and textures are made of: a block of 32-bit
// RGBA pixels whose sides are rounded up to powers of two (so that OpenGL takes it as a texture
// without resampling), with the ratios that recover the picture inside the block.
//
// Pixels: one uint32_t word each, red in the lowest byte, then green, blue and alpha (OpenGL's
// GL_RGBA with unsigned bytes); the block runs row after row from the picture's bottom row up;
// the picture sits in the lower-left corner, the rest of the block is padding. The picture's own
// size is padded size x ratio + 0.1, truncated.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - CDsImage(width, height, pixels, transparent) takes width x height words of the bare picture,
//   bottom row first (what its callers pass), and pads them into the block; it takes the array
//   over (it must come from new[]) and frees it once copied.
// - GetPixel answers false (the word unchanged) outside the block, as the setters ignore such
//   coordinates.
// - A picture larger than kMaxSide on a side, or of more than kMaxPixels pixels, is refused
//   before anything is allocated: AlocatePixels answers null and the image is left empty. The
//   limit is the picture's own size, the same that CDsImageFormatsConvertor holds renderings to,
//   so every picture the system saves loads again; it admits every picture an earlier limit on
//   the padded block admitted. As kMaxPixels is a power of two, the block of a picture within
//   it holds at most 2 x kMaxPixels words (128 MB: a 4097 x 2049 picture takes 8192 x 4096), so
//   memory stays bounded.
// - An image owns its pixels and texture alone: ReleasePixelsAndTexture frees both once, and the
//   destructor finds nothing left to free.
// - Textures are deleted in the OpenGL context that is current, as they were made.
// - Textures clamp to their edge texels, so that filtering never blends a picture's border with
//   black.
#pragma once

#include <afx.h>

#include <cstdint>

class CBitmap;
class CDC;
class CVyrString;

// A picture in memory.
class AFX_EXT_CLASS CDsImage {
public:
    // The longest side a picture may have, in pixels.
    static constexpr int kMaxSide = 16384;
    // The most pixels a picture may have (4096 x 4096); its padded block holds at most twice
    // as many words.
    static constexpr int64_t kMaxPixels = int64_t(4096) * 4096;

    // An empty image: sizes 0, ratios 1, no texture, transparency off.
    CDsImage();
    // An image loaded from `file` (CDsImageFormatsConvertor::LoadImageW; empty when that fails),
    // with the transparency flag.
    CDsImage(const CVyrString& file, bool transparent);
    // An image of the `width` x `height` words of `pixels` (bottom row first; taken over, freed
    // with delete[] once copied), padded into the block. Empty (the array freed all the same) for
    // a null array or a size that is refused.
    CDsImage(int width, int height, uint32_t* pixels, bool transparent);
    // A copy of the other's block and transparency flag; no texture.
    CDsImage(const CDsImage& other);
    // Becomes a copy of the other (its own texture deleted first); no texture.
    CDsImage& operator=(const CDsImage& other);
    // Frees the pixels and deletes the texture.
    virtual ~CDsImage();

    // --- Pixels -----------------------------------------------------------------------------
    // Frees old pixels and the texture, sets the padded sizes and ratios for a `width` x `height`
    // picture and allocates the block (contents zero); answers it, null (the image empty) for a
    // size that is refused or below 1.
    uint32_t* AlocatePixels(int width, int height);
    // Pixel (x, y) of the block into `pixel`; false (unchanged) without pixels or outside the block.
    bool GetPixel(int x, int y, uint32_t& pixel) const;
    // Sets pixel (x, y); nothing without pixels or outside the block.
    void SetPixel(int x, int y, uint32_t pixel);
    // Sets pixel (x, y); the same with the word first.
    void SetPixel(uint32_t pixel, int x, int y);
    // Words of the block: width x height.
    int GetPixelsCount() const { return m_width * m_height; }
    // True when a padded size or the pixels are 0.
    bool IsEmpty() const { return m_width == 0 || m_height == 0 || !m_pixels; }
    // The block (null when empty).
    const uint32_t* GetPixels() const { return m_pixels; }
    // The block (null when empty).
    uint32_t* GetPixels() { return m_pixels; }
    // Padded width.
    int GetWidth() const { return m_width; }
    // Padded height.
    int GetHeight() const { return m_height; }
    // Picture width / padded width (1 when empty).
    float GetWidthRatio() const { return m_widthRatio; }
    // Picture height / padded height (1 when empty).
    float GetHeightRatio() const { return m_heightRatio; }
    // The picture's own size.
    void GetOriginalDimensions(int& width, int& height) const;
    // The transparency flag: make the first pixel's colour transparent in the texture.
    bool GetTransparency() const { return m_transparency; }
    // Sets the transparency flag.
    void SetTransparency(bool on) { m_transparency = on; }
    // The picture's size in millimetres on the desktop (its resolution and physical size).
    void GetSizeInMilimeters(float& width, float& height) const;
    // Copies the other image into this one (as operator=).
    void CopyObject(const CDsImage& other);

    // --- Files and bitmaps ------------------------------------------------------------------
    // Stores the flag, deletes any texture and loads `file` (CDsImageFormatsConvertor); false,
    // the image unchanged, when loading fails.
    bool LoadImageW(const CVyrString& file, bool transparent);
    // Reads the block's picture area from the bitmap selected into `dc`, rows flipped: pixel
    // (x, y) from (x, picture height - y - 1); alpha 255, padding 0.
    void SetData(CDC& dc);
    // Allocates pixels for the bitmap's size and reads them (SetData through a memory DC
    // compatible with the current view's, else the screen's). False, unchanged, for a bitmap
    // without a handle or one that cannot be read.
    bool SetBitmap(CBitmap& bitmap);
    // Writes the picture into the bitmap selected into `dc`, rows flipped.
    void FillBitmap(CDC& dc, CBitmap& bitmap);
    // A bitmap of the picture's size compatible with `dc` (null: the screen) holding the picture,
    // attached to `bitmap`. False for an empty image or when it cannot be made.
    bool GetBitmap(CBitmap& bitmap, CDC* dc);
    // The same compatible with the current view's device context (the main window's without one,
    // else the screen's).
    bool GetBitmap(CBitmap& bitmap);

    // --- Textures -----------------------------------------------------------------------------
    // A new texture of the block in the current OpenGL context (the first pixel's colour made
    // transparent with the transparency flag); its name, 0 without pixels. The image keeps it.
    unsigned int CreateTexture();
    // The image's texture when OpenGL still has it, else a new one.
    unsigned int GetTexture();
    // The texture name kept (0 when none), without asking OpenGL.
    unsigned int GetTextureName() const { return m_texture; }
    // Off: 2-D texturing and blending off. On: the texture (made when there is none) bound,
    // replacing, blended by alpha.
    void SetTexture2dToView(bool on);
    // True when OpenGL takes a texture of the block's size.
    bool IsOkForTextureDisplay() const;
    // Frees the pixels and deletes the texture once; the image is empty afterwards.
    void ReleasePixelsAndTexture();

    // The smallest power of two at least `n`; 0 for n below 1.
    static int ComputeOpenGlStandardTextureDimension(int n);

protected:
    // Frees the pixels and zeroes both sizes.
    void FreePixels();
    // A tracing aid: reads every pixel of the picture's area from `dc` (nothing for null) and
    // keeps none of them; the image and `bitmap` stay as they are.
    void TraceData(CBitmap* bitmap, CDC* dc) const;
    // Word index of (x, y): y x width + x.
    int ComputeArrayIndex(int x, int y) const { return y * m_width + x; }
    // Padded sizes and ratios of a `width` x `height` picture.
    void SetStandardSizeAndRatio(int width, int height);
    // Picture width.
    int ComputeOriginalWidth() const;
    // Picture height.
    int ComputeOriginalHeight() const;
    // ORs `alpha` into the top byte.
    static void SetAlpha(unsigned char alpha, uint32_t& pixel) { pixel |= uint32_t(alpha) << 24; }
    // 255.
    static unsigned char GetAlpha(uint32_t) { return 255; }
    // Alpha 0 for every pixel within 19 of the first pixel in red, green and blue; 255 else.
    void MakeTransparentByFirstPixel();
    // Deletes the texture (in the current context) when there is one.
    void DeleteTexture();

private:
    friend class CDsImageFormatsConvertor;
    // Takes over the other's block, sizes and ratios (its own pixels and texture freed first); the
    // other is left empty. The transparency flag stays.
    void TakeBlockOf(CDsImage& other);

    int m_width = 0;
    int m_height = 0;
    float m_widthRatio = 1.0f;
    float m_heightRatio = 1.0f;
    uint32_t* m_pixels = nullptr;
    unsigned int m_texture = 0;
    bool m_transparency = false;
};
