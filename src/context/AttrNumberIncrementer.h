// CAttrNumberIncrementer: the documents an attribute operation touched, gathered while it runs.
//
// Attribute applications through CDsAttrInterface record the document of each object they
// change; the operation that made the incrementer lets it go when it is done, and then every
// recorded document's application model is marked as changed in what it shows (change kind 8 of
// CVyrAppModel::SetModelChange), once per document, in ascending order of the documents. A
// document the document layer does not know (CVyrDTM::Lookup answers no model) is not marked.
#pragma once

#include <afx.h>

#include "VyrRunTimeDocId.h"

#include <set>

// The documents touched by attribute applications.
class AFX_EXT_CLASS CAttrNumberIncrementer {
public:
    // The change kind the destructor marks.
    static constexpr unsigned kModelChangeKind = 8;

    // No documents yet; the marking switch on.
    CAttrNumberIncrementer();
    // Marks the model of every recorded document (ascending) with change kind 8, then frees the set.
    ~CAttrNumberIncrementer();
    CAttrNumberIncrementer(const CAttrNumberIncrementer&) = delete;
    CAttrNumberIncrementer& operator=(const CAttrNumberIncrementer&) = delete;

    // Records a document (once; a document id that names none is ignored). The applications
    // receive the incrementer as a const reference, as the attribute interfaces pass it on.
    void AddDocument(const CVyrRunTimeDocId& document) const;
    // The documents recorded, in ascending order.
    const std::set<CVyrRunTimeDocId>& GetDocuments() const { return m_documents; }
    // The switch the constructor sets (true).
    bool IsMarking() const { return m_marking; }

private:
    mutable std::set<CVyrRunTimeDocId> m_documents;
    bool m_marking;
};
