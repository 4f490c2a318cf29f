// CDsHatch: the hatch attribute of an item, an index into the display manager's hatch table
// (0 to 3); 255 means no hatch.
#pragma once

#include <afx.h>

#include "DsAttribute.h"

#include <cstdint>

// A hatch index as a display attribute.
class AFX_EXT_CLASS CDsHatch : public CDsAttribute {
public:
    // The index that means no hatch.
    static const int kNoHatch = 255;

    // The index `index` (its low byte); the default, -1, gives 255: no hatch.
    explicit CDsHatch(int index = -1) : m_index(static_cast<uint8_t>(index)) {}
    // The index.
    CDsHatch(const CDsHatch&) = default;
    // The index.
    CDsHatch& operator=(const CDsHatch&) = default;
    // Frees the attribute.
    ~CDsHatch() override;

    // eDsAttributeHatch (3).
    EDsAttributeType GetType() const override { return eDsAttributeHatch; }
    // Does nothing.
    void SetData(unsigned int value, bool on) override;
    // Takes the index of another hatch; false (nothing changed) for another kind.
    bool SetData(const CDsAttribute& other, bool on) override;
    // 0.
    unsigned int GetData() const override;
    // Copies nothing: false.
    bool GetData(CDsAttribute& other) const override;

    // Sets the index (255: no hatch).
    void SetIndex(uint8_t index) { m_index = index; }
    // The index.
    uint8_t GetIndex() const { return m_index; }
    // Whether a hatch is set (index below 255).
    bool IsHatchSet() const { return m_index < kNoHatch; }

private:
    uint8_t m_index;
};
