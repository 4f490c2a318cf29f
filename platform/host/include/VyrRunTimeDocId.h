// CVyrRunTimeDocId: the run-time number of an open document, and the names of document types.
#pragma once

#include "VyrHostApi.h"

#include <string>

// Names a document for as long as the host has it open: its run-time number, which is also the
// scene database's part id of the document's model. Numbers from 0 up name documents; a negative
// number names none. Copies name the same document.
class VYR_HOST_API CVyrRunTimeDocId {
public:
    // The number that names no document.
    static constexpr int kNoDocument = -1;

    // Type names of documents, as the document server answers them.
    static const wchar_t* const sTypeModeler;   // "Modeler": a part
    static const wchar_t* const sTypeAssembly;  // "Assembly"
    static const wchar_t* const sTypeDrafting;  // "Drafting"
    static const wchar_t* const sTypeSheet;     // "Sheet": a drawing sheet
    static const wchar_t* const sTypeNC;        // "NC": a machining document

    // No document.
    CVyrRunTimeDocId() = default;
    // The document of this run-time number (negative: none).
    explicit CVyrRunTimeDocId(int number) : m_number(number < 0 ? kNoDocument : number) {}

    // The run-time number; kNoDocument for none.
    int GetNumber() const { return m_number; }
    // True when the id names a document (number 0 or above), open or not.
    bool IsValid() const { return m_number >= 0; }
    // The document's type name as the document server knows it (CVyrPdmServer::GetType); empty
    // when no document of this number is open.
    std::wstring GetType() const;

    // Same number.
    bool operator==(const CVyrRunTimeDocId& other) const { return m_number == other.m_number; }
    // Another number.
    bool operator!=(const CVyrRunTimeDocId& other) const { return m_number != other.m_number; }
    // By number, for ordered sets of documents.
    bool operator<(const CVyrRunTimeDocId& other) const { return m_number < other.m_number; }

private:
    int m_number = kNoDocument;
};
