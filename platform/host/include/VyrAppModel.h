// CVyrAppModel: the application model of one open document, as the document layer hands it out
// (CVyrDTM::Lookup). The display marks it when it changed what the document shows (the hide and
// show services mark change kind 8), so that the host knows the document was modified and how.
#pragma once

#include "VyrHostApi.h"
#include "VyrRunTimeDocId.h"

// The model of one document: the kinds of change made to it since its marks were last cleared.
class VYR_HOST_API CVyrAppModel {
public:
    // The model of `document`, unchanged.
    explicit CVyrAppModel(const CVyrRunTimeDocId& document) : m_document(document) {}
    CVyrAppModel(const CVyrAppModel&) = delete;
    CVyrAppModel& operator=(const CVyrAppModel&) = delete;

    // The document of the model.
    const CVyrRunTimeDocId& GetDocument() const { return m_document; }
    // Marks a change of kind `kind` (a bit value, 8 for what is shown or hidden) when `changed`,
    // else withdraws that kind; every call is also entered in the document layer's journal of
    // marks (CVyrDTM::GetMarks).
    void SetModelChange(unsigned kind, bool changed);
    // The kinds of change marked and not withdrawn (0: none).
    unsigned GetModelChanges() const { return m_changes; }
    // Clears the marks (the host saved the document).
    void ClearModelChanges() { m_changes = 0; }

private:
    CVyrRunTimeDocId m_document;
    unsigned m_changes = 0;
};
