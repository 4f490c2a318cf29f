// CAttrNumberIncrementer: the documents an attribute operation touched, gathered while it runs.
//
// Attribute applications through CDsAttrInterface record the document of each object they
// change; the operation that made the incrementer lets it go when it is done.
//
// Coming with the hide and show services: marking each recorded document's model as changed when
// the incrementer goes.
#pragma once

#include <afx.h>

#include "VyrRunTimeDocId.h"

#include <set>

// The documents touched by attribute applications.
class AFX_EXT_CLASS CAttrNumberIncrementer {
public:
    // No documents yet.
    CAttrNumberIncrementer() = default;
    // Frees the set.
    ~CAttrNumberIncrementer() = default;
    CAttrNumberIncrementer(const CAttrNumberIncrementer&) = delete;
    CAttrNumberIncrementer& operator=(const CAttrNumberIncrementer&) = delete;

    // Records a document (once; a document id that names none is ignored). The applications
    // receive the incrementer as a const reference, as the attribute interfaces pass it on.
    void AddDocument(const CVyrRunTimeDocId& document) const;
    // The documents recorded, in ascending order.
    const std::set<CVyrRunTimeDocId>& GetDocuments() const { return m_documents; }

private:
    mutable std::set<CVyrRunTimeDocId> m_documents;
};
