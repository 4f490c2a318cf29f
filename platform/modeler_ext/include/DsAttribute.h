// CDsAttribute: the base of the display attributes that items pass to each other (hide level,
// hatch, attributes palette, ...). Each kind answers its EDsAttributeType; an attribute applied to
// another of a different kind does nothing.
#pragma once

#include "VyrModelerExtApi.h"

// The kinds of display attributes.
enum EDsAttributeType {
    // No particular kind.
    eDsAttributeNone = 0,
    // A hide level (CDsHideLevel).
    eDsAttributeHideLevel = 1,
    // A flag word of the item's own attributes.
    eDsAttributeOwnAttributes = 2,
    // A hatch.
    eDsAttributeHatch = 3,
    // An attributes palette.
    eDsAttributePalette = 4,
    // Whether an item forces its own attributes on what it shows.
    eDsAttributeForce = 5
};

// Base of the display attributes.
class VYR_MODELER_EXT_API CDsAttribute {
public:
    // Frees the attribute.
    virtual ~CDsAttribute();

    // The attribute's kind.
    virtual EDsAttributeType GetType() const = 0;
    // Sets the attribute from a number; `on` tells whether the value is applied or withdrawn
    // (each kind says what that means). The base does nothing.
    virtual void SetData(unsigned int value, bool on);
    // Takes the value of another attribute of the same kind; false (nothing changed) when the
    // kinds differ. The base only compares the kinds.
    virtual bool SetData(const CDsAttribute& other, bool on);
    // The attribute's value as a number (0 in the base).
    virtual unsigned int GetData() const;
    // Copies this attribute's value into another of the same kind; false (nothing changed) when
    // the kinds differ. The base only compares the kinds.
    virtual bool GetData(CDsAttribute& other) const;

    // True when `other` is of another kind than this attribute.
    bool TypesDiffer(const CDsAttribute& other) const { return GetType() != other.GetType(); }

protected:
    // Attributes are made as one of the kinds.
    CDsAttribute() = default;
    // Copied as part of a kind.
    CDsAttribute(const CDsAttribute&) = default;
    // Assigned as part of a kind.
    CDsAttribute& operator=(const CDsAttribute&) = default;
};
