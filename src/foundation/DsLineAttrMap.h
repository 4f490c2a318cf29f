// CDsLineAttrMap and CDsLineAttrRegister: the registry of the line-attribute interfaces of the
// document types, by the type's wide name. An implementation registers once, at library start,
// through a static CDsLineAttrRegister; the first registration of a name stays.
//
// The interface of an object is the one registered for the type of the object's document: its
// part id is the run-time number of the document, whose type the document server knows.
//
// Choices where the behaviour was open:
// - A null interface is not registered (it would hide a later real one under the same name).
// - The cache by document number remembers, with each interface found, the type name it was
//   found for, and a lookup checks that type against the document server: a document closed and
//   reopened under the same number with another type gets its new type's interface, never the
//   old one. A document number that is not open, or whose type has no interface, is not
//   remembered (the next lookup asks again), and only numbers that were found take room in the
//   cache, so a huge number costs nothing.
#pragma once

#include <afx.h>
#include <vyrwin_testresets.h>

#include <map>
#include <string>
#include <unordered_map>

class CDsCoreLineAttributesInt;
class CVyrObjectId;

// The registry of line-attribute interfaces (statics only).
class AFX_EXT_CLASS CDsLineAttrMap {
public:
    // Registers `lineAttributes` (not owned; null is ignored) under the document type `name`; a
    // name already registered keeps its first interface.
    static void AddInterface(const std::wstring& name, const CDsCoreLineAttributesInt* lineAttributes);
    // The interface registered under `name`, null when none.
    static const CDsCoreLineAttributesInt* GetInterface(const std::wstring& name);
    // The interface of the type of the document that `id` belongs to (its part id is the
    // document's run-time number); null for a negative part id (no part), a document that is not
    // open, or a type with no interface.
    static const CDsCoreLineAttributesInt* GetInterface(const CVyrObjectId& id);
    // For tests, which share one process: forgets every registration and the cache.
    VYR_TEST_RESET static void ResetForTests();

private:
    // An interface found for a document, with the type name it was found for.
    struct SCacheEntry {
        std::wstring type;
        const CDsCoreLineAttributesInt* lineAttributes;
    };

    // The map, made on first use and never freed.
    static std::map<std::wstring, const CDsCoreLineAttributesInt*>& GetMap();
    // The interfaces found by document number, made on first use and never freed.
    static std::unordered_map<int, SCacheEntry>& GetCache();
};

// Registers an interface when constructed (a static instance registers at library start).
class AFX_EXT_CLASS CDsLineAttrRegister {
public:
    // CDsLineAttrMap::AddInterface(name, lineAttributes).
    CDsLineAttrRegister(const std::wstring& name, const CDsCoreLineAttributesInt* lineAttributes);
};
