// CDsHideLevel: the hide level of a display item, an attribute of kind eDsAttributeHideLevel.
//
// The level is a set of reasons for hiding, one bit each (2 blanked by the user, 8 hidden by a
// special rule); 0 means shown. Applying a level replaces the item's level; withdrawing one
// (`on` false) takes only those reasons away, so an item blanked for two reasons stays hidden
// until both are withdrawn.
#pragma once

#include "VyrModelerExtApi.h"
#include "DsAttribute.h"

// Hide levels (bits; combinations are allowed).
enum EDsHideLevel : unsigned int {
    // Shown.
    eDsHideLevelShown = 0,
    // Blanked (hidden by the user).
    eDsHideLevelBlank = 2,
    // Hidden by a special rule, independent of blanking.
    eDsHideLevelSpecial = 8
};

// The hide level of an item.
class VYR_MODELER_EXT_API CDsHideLevel : public CDsAttribute {
public:
    // A hide level with `level` (shown by default).
    explicit CDsHideLevel(EDsHideLevel level = eDsHideLevelShown) : m_level(level) {}
    // A copy.
    CDsHideLevel(const CDsHideLevel&) = default;
    // Copies the level.
    CDsHideLevel& operator=(const CDsHideLevel&) = default;
    // Frees the attribute.
    ~CDsHideLevel() override;

    // eDsAttributeHideLevel.
    EDsAttributeType GetType() const override { return eDsAttributeHideLevel; }
    // With `on`: the level becomes `value` (0 shows the item again). Without: the bits of `value`
    // are taken away from the level.
    void SetData(unsigned int value, bool on) override;
    // Applies another hide level as SetData(its level, on); false for another kind.
    bool SetData(const CDsAttribute& other, bool on) override;
    // The level.
    unsigned int GetData() const override { return m_level; }
    // Gives this level to another hide level (replacing its level); false for another kind.
    bool GetData(CDsAttribute& other) const override;

    // True when the level hides the item (any bit set).
    bool IsHidden() const { return m_level != 0; }
    // True when both levels are the same.
    bool operator==(const CDsHideLevel& other) const { return m_level == other.m_level; }
    // True when the levels differ.
    bool operator!=(const CDsHideLevel& other) const { return m_level != other.m_level; }

private:
    unsigned int m_level;
};
