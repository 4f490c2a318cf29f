// CVyrDTM: the document layer's register of the application models of the open documents.
//
// Lookup answers the model of a document that the document server has open, made on its first
// lookup and dropped when the document closes (a document opened again under the same number gets
// a fresh model); a document that is not open has none. Every mark a model receives
// (CVyrAppModel::SetModelChange) is also entered, in call order, in a journal the host can read
// and clear: it shows which documents an operation marked, how and in which order.
#pragma once

#include "VyrAppModel.h"
#include "VyrHostApi.h"
#include "VyrRunTimeDocId.h"

#include <vector>
#include <vyrwin_testresets.h>

// One mark of the journal.
struct SVyrModelChangeMark {
    int document;   // the run-time number of the marked document
    unsigned kind;  // the kind of change
    bool changed;   // true: marked; false: withdrawn
};

// The register of application models (one per process).
class VYR_HOST_API CVyrDTM {
public:
    // The process's one register, made on first use and never freed.
    static CVyrDTM* Instance();

    // The model of `document`; null when the document server does not have it open.
    CVyrAppModel* Lookup(const CVyrRunTimeDocId& document);
    // Drops the model of `document` (the document server calls it when the document closes).
    void RemoveModel(const CVyrRunTimeDocId& document);

    // The marks models received since the journal was last cleared, in call order.
    const std::vector<SVyrModelChangeMark>& GetMarks() const;
    // Empties the journal.
    void ClearMarks();
    // Enters a mark in the journal (CVyrAppModel::SetModelChange calls it).
    void NoteMark(const CVyrRunTimeDocId& document, unsigned kind, bool changed);

    // For tests, which share one process: every model dropped, the journal empty.
    VYR_TEST_RESET static void ResetForTests();

private:
    CVyrDTM() = default;
    ~CVyrDTM() = default;
    CVyrDTM(const CVyrDTM&) = delete;
    CVyrDTM& operator=(const CVyrDTM&) = delete;
};
