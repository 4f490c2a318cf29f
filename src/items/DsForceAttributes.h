// CDsForceAttributes: the display attribute through which an item tells whether it forces its own
// attributes (its colour is its own rather than inherited) on what it shows. CDsItemBase::GetAttribute
// fills it; the pick processor reads it to learn under which render mode an entity is shown.
#pragma once

#include <afx.h>

#include "DsAttribute.h"

// Whether an item forces its attributes.
class AFX_EXT_CLASS CDsForceAttributes : public CDsAttribute {
public:
    // Not forced.
    CDsForceAttributes() = default;
    // eDsAttributeForce.
    EDsAttributeType GetType() const override { return eDsAttributeForce; }
    // Forced when `on` and `value` is not 0.
    void SetData(unsigned int value, bool on) override { m_forced = on && value != 0; }
    using CDsAttribute::SetData;
    // 1 when forced, else 0.
    unsigned int GetData() const override { return m_forced ? 1u : 0u; }
    using CDsAttribute::GetData;

private:
    bool m_forced = false;
};
