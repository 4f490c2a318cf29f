// CDsLineAttrMap and CDsLineAttrRegister: the registry of the line-attribute interfaces of the
// document types, by the type's wide name. An implementation registers once, at library start,
// through a static CDsLineAttrRegister; the first registration of a name stays.
//
// Choices where the behaviour was open: a null interface is not registered (it would hide a later
// real one under the same name).
//
// Not yet here: finding the interface of an object id (through the document server's type of the
// id's document, with a cache by document number), which needs the document server layer.
#pragma once

#include <afx.h>

#include <map>
#include <string>

class CDsCoreLineAttributesInt;

// The registry of line-attribute interfaces (statics only).
class AFX_EXT_CLASS CDsLineAttrMap {
public:
    // Registers `lineAttributes` (not owned; null is ignored) under the document type `name`; a
    // name already registered keeps its first interface.
    static void AddInterface(const std::wstring& name, const CDsCoreLineAttributesInt* lineAttributes);
    // The interface registered under `name`, null when none.
    static const CDsCoreLineAttributesInt* GetInterface(const std::wstring& name);
    // For tests, which share one process: forgets every registration.
    static void ResetForTests();

private:
    // The map, made on first use and never freed.
    static std::map<std::wstring, const CDsCoreLineAttributesInt*>& GetMap();
};

// Registers an interface when constructed (a static instance registers at library start).
class AFX_EXT_CLASS CDsLineAttrRegister {
public:
    // CDsLineAttrMap::AddInterface(name, lineAttributes).
    CDsLineAttrRegister(const std::wstring& name, const CDsCoreLineAttributesInt* lineAttributes);
};
