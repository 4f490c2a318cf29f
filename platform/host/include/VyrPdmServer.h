// CVyrPdmServer: the document server, which knows the open documents and their types.
#pragma once

#include "VyrHostApi.h"
#include "VyrRunTimeDocId.h"

#include <string>
#include <vyrwin_testresets.h>

// The documents the host has open, each under its run-time number with its type name ("Modeler",
// "Assembly", "Drafting", "Sheet", "NC" or another name the host uses). The host opens and closes
// them; the display system asks for their types.
class VYR_HOST_API CVyrPdmServer {
public:
    // The process's one server, made on first use and never freed.
    static CVyrPdmServer* StInstance();

    // Opens a document under its number with its type name. False, nothing changed, for a
    // document id that names none, an empty type name, or a number already open.
    bool OpenDocument(const CVyrRunTimeDocId& document, const std::wstring& type);
    // Closes the document: its type, its data in the document client layer and its own
    // preferences are forgotten, so that a later document of the same number starts afresh. False
    // when it is not open.
    bool CloseDocument(const CVyrRunTimeDocId& document);
    // True while the document is open.
    bool IsOpen(const CVyrRunTimeDocId& document) const;
    // The type name of the document open under `document`; empty when none is.
    std::wstring GetType(int document) const;

    // For tests, which share one process: closes every document.
    VYR_TEST_RESET static void ResetForTests();

private:
    CVyrPdmServer() = default;
    ~CVyrPdmServer() = default;
    CVyrPdmServer(const CVyrPdmServer&) = delete;
    CVyrPdmServer& operator=(const CVyrPdmServer&) = delete;
};
