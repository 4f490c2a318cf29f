// CDsPalette: an indexed table of colours (vertex colours of meshes, the colours that plot pens
// are chosen by).
#pragma once

#include "VyrModelerExtApi.h"

#include <vector>

#include "DsColorStorage.h"

// A table of colours, indexed from 0.
class VYR_MODELER_EXT_API CDsPalette {
public:
    // An empty palette.
    CDsPalette() = default;
    // `count` black entries (none for a count below 1).
    explicit CDsPalette(int count);

    // Number of entries.
    int GetCount() const { return static_cast<int>(m_colors.size()); }
    // Sets the number of entries: new entries are black, entries past the new count are dropped
    // (a count below 1 empties the palette).
    void SetCount(int count);
    // Copies entry `index` into `color`; false (colour unchanged) outside 0..GetCount()-1.
    bool GetColor(int index, CDsColorStorage& color) const;
    // Sets entry `index`; false (nothing changed) outside 0..GetCount()-1.
    bool SetColor(int index, const CDsColorStorage& color);
    // Appends an entry and answers its index.
    int AddColor(const CDsColorStorage& color);

    // True when both palettes hold the same colours in the same order.
    bool operator==(const CDsPalette& other) const { return m_colors == other.m_colors; }

private:
    std::vector<CDsColorStorage> m_colors;
};
