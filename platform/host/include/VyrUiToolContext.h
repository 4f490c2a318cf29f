// CVyrUiToolContext: the context in which the host's current tool works.
#pragma once

#include "VyrHostApi.h"
#include "VyrRunTimeDocId.h"

#include <vector>

// Where the host's tool is at work: the document it works in and the object path of the component
// it works on (in whose coordinate system new figures are placed). The path is kept as the parts
// of a scene-database object path (its ids, depth and part id, as CVyrObjectPath takes them), since
// this library stands below the scene database. The host sets the current context; it is not
// owned by this class.
class VYR_HOST_API CVyrUiToolContext {
public:
    // The part id of a path that names no part.
    static constexpr int kNoPart = static_cast<int>(0x80000000u);

    // No document; a path without ids, depth 0, no part.
    CVyrUiToolContext() = default;
    // A context in `document`, with the path of no part.
    explicit CVyrUiToolContext(const CVyrRunTimeDocId& document) : m_document(document) {}
    // A copy is never the current context, whatever the original is.
    CVyrUiToolContext(const CVyrUiToolContext& other);
    // Copies the document and the path; whether this is the current context does not change.
    CVyrUiToolContext& operator=(const CVyrUiToolContext& other);
    // Stops being the current context when it is.
    virtual ~CVyrUiToolContext();

    // The document the tool works in.
    const CVyrRunTimeDocId& GetDocument() const { return m_document; }
    // Sets the document.
    void SetDocument(const CVyrRunTimeDocId& document) { m_document = document; }

    // Sets the object path: its ids from the root part down, the number of trailing ids that name
    // items inside the last part, and the root part's id.
    void SetObjectPath(const std::vector<int>& ids, int depth, int partId);
    // The path's ids.
    const std::vector<int>& GetObjectPathIds() const { return m_pathIds; }
    // The path's depth.
    int GetObjectPathDepth() const { return m_pathDepth; }
    // The path's root part id (kNoPart when none).
    int GetObjectPathPartId() const { return m_pathPartId; }

    // The current context, null when the host has set none.
    static CVyrUiToolContext* StGetCurrent();
    // Makes `context` the current one (null: none).
    static void StSetCurrent(CVyrUiToolContext* context);

private:
    CVyrRunTimeDocId m_document;
    std::vector<int> m_pathIds;
    int m_pathDepth = 0;
    int m_pathPartId = kNoPart;
};
