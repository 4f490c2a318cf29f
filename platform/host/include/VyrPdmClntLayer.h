// CVyrPdmClntLayer: the document client layer, the per-document data of open documents.
#pragma once

#include "VyrHostApi.h"
#include "VyrRunTimeDocId.h"
#include "VyrString.h"
#include <vyrwin_testresets.h>

// Values that belong to one open document (the display state of its views, say), kept with the
// document by section and key: a text or an integer under each key. Keys and sections are
// compared exactly. A document's data lives from its opening to its closing (CVyrPdmServer);
// saving it with the document is the host's.
//
// Change marks. A write names the kind of change it makes (a bit value such as 2); when the write
// changes what is stored, the document's change marks gain that kind, so the host knows the
// document was modified and how. A write that stores what is there already marks nothing.
//
// Instance() answers the layer in use: the built-in one, or one the host (or a test) installs
// through SetInstance, which is called through the same virtual operations.
class VYR_HOST_API CVyrPdmClntLayer {
public:
    // The layer in use: an installed one, else the built-in one (made on first use, never freed).
    static CVyrPdmClntLayer* Instance();
    // Installs a layer (not owned; null: the built-in one again) and answers the one installed before
    // (null when it was the built-in one).
    static CVyrPdmClntLayer* SetInstance(CVyrPdmClntLayer* layer);

    // A layer holding no data.
    CVyrPdmClntLayer();
    // Frees the data.
    virtual ~CVyrPdmClntLayer();
    CVyrPdmClntLayer(const CVyrPdmClntLayer&) = delete;
    CVyrPdmClntLayer& operator=(const CVyrPdmClntLayer&) = delete;

    // The text under the key of the section; false, `value` emptied, when the document is not
    // open, or the key is absent or holds an integer.
    virtual bool ReadString(const CVyrRunTimeDocId& document, const CVyrString& key, CVyrString& value,
                            const CVyrString& section) const;
    // Stores the text under the key of the section (replacing an integer there), marking a change
    // of kind `changeKind`. False, nothing stored, for a document that is not open or an empty key
    // or section.
    virtual bool WriteString(const CVyrRunTimeDocId& document, const CVyrString& key, const CVyrString& value,
                             const CVyrString& section, int changeKind);
    // The integer under the key of the section; false, `value` unchanged, when the document is not
    // open, or the key is absent or holds a text.
    virtual bool ReadInt(const CVyrRunTimeDocId& document, const CVyrString& key, int& value,
                         const CVyrString& section) const;
    // Stores the integer under the key of the section (replacing a text there), marking a change of
    // kind `changeKind`. False, nothing stored, as for WriteString.
    virtual bool WriteInt(const CVyrRunTimeDocId& document, const CVyrString& key, int value,
                          const CVyrString& section, int changeKind);

    // The kinds of change made to the document since its marks were last cleared (0: none).
    unsigned GetChangeMarks(const CVyrRunTimeDocId& document) const;
    // Clears the document's change marks (the host saved it).
    void ClearChangeMarks(const CVyrRunTimeDocId& document);
    // Forgets the document's data and marks (the server calls it when the document closes).
    void RemoveDocument(const CVyrRunTimeDocId& document);

    // For tests, which share one process: the built-in layer in use again, holding no data.
    VYR_TEST_RESET static void ResetForTests();

private:
    struct SData;
    SData* m_data;
};
