// CVyrSmartPointerFunctionality: the base of objects that others may point to without owning
// them. GetSmartPointer hands out a CVyrSmartPointer, which answers the object while it lives and
// null from the moment its destructor runs, so a holder can never reach an object that is gone.
//
// A copy of an object is another object: it gets pointers of its own, and the pointers to the
// original keep naming the original. Assignment changes neither object's pointers.
#pragma once

#include "VyrServicesApi.h"

#include <memory>

class CVyrSmartPointerFunctionality;

// A pointer to a CVyrSmartPointerFunctionality that turns null when the object is destroyed.
class VYR_SERVICES_API CVyrSmartPointer {
public:
    // Names no object.
    CVyrSmartPointer() = default;

    // The object, or null when it is gone (or none was named).
    CVyrSmartPointerFunctionality* Get() const { return m_cell ? *m_cell : nullptr; }
    // True while the object lives.
    explicit operator bool() const { return Get() != nullptr; }
    // True when both name the same living object, or neither names a living one.
    bool operator==(const CVyrSmartPointer& other) const { return Get() == other.Get(); }
    // The opposite of ==.
    bool operator!=(const CVyrSmartPointer& other) const { return !(*this == other); }

private:
    friend class CVyrSmartPointerFunctionality;
    explicit CVyrSmartPointer(std::shared_ptr<CVyrSmartPointerFunctionality*> cell) : m_cell(std::move(cell)) {}

    // Shared with the object, which clears it when it is destroyed.
    std::shared_ptr<CVyrSmartPointerFunctionality*> m_cell;
};

// Base of objects that hand out smart pointers to themselves.
class VYR_SERVICES_API CVyrSmartPointerFunctionality {
public:
    // An object with no pointers handed out yet.
    CVyrSmartPointerFunctionality();
    // Another object: pointers to `other` keep naming `other`.
    CVyrSmartPointerFunctionality(const CVyrSmartPointerFunctionality& other);
    // Changes no pointer: each object keeps its own.
    CVyrSmartPointerFunctionality& operator=(const CVyrSmartPointerFunctionality& other);
    // Every pointer handed out turns null.
    virtual ~CVyrSmartPointerFunctionality();

    // A pointer to this object that turns null when the object is destroyed.
    virtual CVyrSmartPointer GetSmartPointer() const;

private:
    std::shared_ptr<CVyrSmartPointerFunctionality*> m_cell;
};
