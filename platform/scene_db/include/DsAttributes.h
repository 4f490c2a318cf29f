// CDsAttributes, CDsAttrAdapter and CDsAttrPalette: the drawing attributes of the scene database.
#pragma once

#include "VyrSceneDbApi.h"

// Colour, transparency, line width and style, hide level, visibility and render mode of an item
// or location. Each value is either set or left to inherit; a default value sets nothing.
// Hide levels: 0 shown; 1 and 2 hidden (hide and show operations switch between 0 and 2); 3 and
// above are special hiding that show operations do not undo.
class VYR_SCENE_DB_API CDsAttributes {
public:
    // Bits telling which values are set.
    enum EField : unsigned short {
        eFieldColor = 0x01,         // colour
        eFieldTransparency = 0x02,  // transparency
        eFieldLineWidth = 0x04,     // line width
        eFieldLineStyle = 0x08,     // line style
        eFieldHideLevel = 0x10,     // hide level
        eFieldVisibility = 0x20,    // visibility level
        eFieldRenderMode = 0x40,    // render mode
        eFieldAll = 0x7F            // every value
    };
    // The first hide level that counts as special hiding.
    static constexpr unsigned kSpecialHideLevel = 3;

    // Nothing set: black, opaque (255), width 1, style 0, shown, visibility 0, render mode 0.
    constexpr CDsAttributes() = default;

    // The colour, 0x00BBGGRR.
    unsigned GetColor() const { return m_color; }
    // Sets the colour (the high byte is dropped).
    void SetColor(unsigned color);
    // Moves the colour halfway towards white (each channel c becomes c + (255 - c) / 2), as
    // dimmed items are shown; the colour counts as set.
    void DimColor();
    // Transparency from 0 (invisible) to 255 (opaque).
    unsigned char GetTransparency() const { return m_transparency; }
    // Sets the transparency.
    void SetTransparency(unsigned char transparency);
    // Line width in pixels.
    unsigned char GetLineWidth() const { return m_lineWidth; }
    // Sets the line width; values outside 0 to 255 are ignored.
    void SetLineWidth(int width);
    // Line style index.
    unsigned char GetLineStyle() const { return m_lineStyle; }
    // Sets the line style; values outside 0 to 255 are ignored.
    void SetLineStyle(int style);
    // The hide level.
    unsigned char GetHideLevel() const { return m_hideLevel; }
    // Sets the hide level; levels above 255 are stored as 255.
    void SetHideLevel(unsigned level);
    // True when the hide level is not 0.
    bool IsHidden() const { return m_hideLevel != 0; }
    // True when the hide level is special hiding (kSpecialHideLevel or above).
    bool IsSpecialHidden() const { return m_hideLevel >= kSpecialHideLevel; }
    // The visibility level.
    unsigned char GetVisibility() const { return m_visibility; }
    // Sets the visibility level; values outside 0 to 255 are ignored.
    void SetVisibility(int visibility);
    // The render mode (an ERenderMode value).
    unsigned char GetRenderMode() const { return m_renderMode; }
    // Sets the render mode; values outside 0 to 255 are ignored.
    void SetRenderMode(int mode);

    // The set-value bits (EField).
    unsigned short GetSetFields() const { return m_set; }
    // True when every value of `fields` is set.
    bool IsSet(unsigned short fields) const { return (m_set & fields) == fields; }
    // True when no value is set.
    bool IsEmpty() const { return m_set == 0; }
    // Back to the default value: nothing set.
    void Reset() { *this = CDsAttributes(); }

    // Overrides: every value set in `other` replaces this one's and counts as set here.
    CDsAttributes& operator*=(const CDsAttributes& other);
    // Same values and the same set bits.
    bool operator==(const CDsAttributes& other) const;
    // Not equal.
    bool operator!=(const CDsAttributes& other) const { return !(*this == other); }

private:
    unsigned m_color = 0;
    unsigned char m_transparency = 255;
    unsigned char m_lineWidth = 1;
    unsigned char m_lineStyle = 0;
    unsigned char m_hideLevel = 0;
    unsigned char m_visibility = 0;
    unsigned char m_renderMode = 0;
    unsigned short m_set = 0;
};

// Builds a CDsAttributes value with only the values that the caller sets, as the attribute
// operations of the display core hand them to CDsPartStorage::UpdateAttributes.
class VYR_SCENE_DB_API CDsAttrAdapter {
public:
    // Nothing set.
    CDsAttrAdapter() = default;
    // Starts from `attributes`.
    explicit CDsAttrAdapter(const CDsAttributes& attributes) : m_attributes(attributes) {}

    // Sets the colour, 0x00BBGGRR.
    void SetColor(unsigned color) { m_attributes.SetColor(color); }
    // Sets the line style.
    void SetStyle(int style) { m_attributes.SetLineStyle(style); }
    // Sets the line width.
    void SetWidth(int width) { m_attributes.SetLineWidth(width); }
    // Sets the visibility level.
    void SetVisibility(int visibility) { m_attributes.SetVisibility(visibility); }
    // Sets the transparency from a fraction: 0 invisible, 1 opaque (clamped to 0 to 1, then
    // scaled to 0 to 255 and rounded).
    void SetTransparency(float opacity);
    // Sets the render mode.
    void SetRenderMode(int mode) { m_attributes.SetRenderMode(mode); }
    // Sets the hide level.
    void SetHideLevel(unsigned level) { m_attributes.SetHideLevel(level); }

    // The attributes built so far.
    const CDsAttributes& GetAttributes() const { return m_attributes; }
    // The attributes built so far.
    operator const CDsAttributes&() const { return m_attributes; }

private:
    CDsAttributes m_attributes;
};

// One CDsAttributes per object type (0 to 255): the defaults of a part's items by type. Every
// entry starts empty (nothing set).
class VYR_SCENE_DB_API CDsAttrPalette {
public:
    // Number of entries.
    static constexpr int kSize = 256;

    // An empty palette.
    CDsAttrPalette() = default;

    // Number of entries.
    int GetSize() const { return kSize; }
    // The entry at `index`; null for an index outside the palette.
    const CDsAttributes* Get(int index) const { return index >= 0 && index < kSize ? &m_entries[index] : nullptr; }
    // Replaces the entry at `index`; false for an index outside the palette.
    bool Set(int index, const CDsAttributes& attributes);
    // True when the entry at `index` is hidden; false for an index outside the palette.
    bool IsHidden(int index) const { return index >= 0 && index < kSize && m_entries[index].IsHidden(); }

private:
    CDsAttributes m_entries[kSize];
};
