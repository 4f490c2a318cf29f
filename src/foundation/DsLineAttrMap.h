// CDsLineAttrMap and CDsLineAttrRegister: the registry of the line-attribute interfaces of the
// document types, by the type's wide name. An implementation registers once, at library start,
// through a static CDsLineAttrRegister; the first registration of a name stays.
//
// The interface of an object id is the one registered for the type of the id's document (its
// part id is the run-time document number; CVyrPdmServer knows the type), remembered by document
// number once found. A document without an interface is asked again at every call.
//
// Choices where the behaviour was open or the plain rule would go wrong:
// - A null interface is not registered (it would hide a later real one under the same name).
// - The cache of documents' interfaces is keyed by document number, not an array grown up to it,
//   so that a stray large number costs one entry instead of gigabytes.
#pragma once

#include <afx.h>

#include <map>
#include <string>

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
    // The interface of the document type of the object's document (the id's part id); null for a
    // negative document number, a document that is not open or a type without an interface.
    static const CDsCoreLineAttributesInt* GetInterface(const CVyrObjectId& id);
    // For tests, which share one process: forgets every registration and the documents' cache.
    static void ResetForTests();

private:
    // The map, made on first use and never freed.
    static std::map<std::wstring, const CDsCoreLineAttributesInt*>& GetMap();
    // The interfaces found by document number, made on first use and never freed.
    static std::map<int, const CDsCoreLineAttributesInt*>& GetCache();
};

// Registers an interface when constructed (a static instance registers at library start).
class AFX_EXT_CLASS CDsLineAttrRegister {
public:
    // CDsLineAttrMap::AddInterface(name, lineAttributes).
    CDsLineAttrRegister(const std::wstring& name, const CDsCoreLineAttributesInt* lineAttributes);
};
