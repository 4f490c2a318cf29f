// CDsAttrInterface: the process-wide entry for reading and writing the line attributes of a
// document object. Each call goes to the CDsCoreLineAttributesInt registered for the type of the
// object's document (CDsLineAttrMap::GetInterface); the apply operations first record the
// object's document in the caller's CAttrNumberIncrementer.
//
// An id that names no object (part id 0x80000000 or item id 0) makes the apply operations do
// nothing, the getters answer false and GetEntityByObjId null; so does an object whose document
// type has no registered interface.
#pragma once

#include <afx.h>

#include "DsCoreLineAttributesInt.h"

// Line attributes of any document's objects, by object id.
class AFX_EXT_CLASS CDsAttrInterface : public CDsCoreLineAttributesInt {
public:
    // The entry (no state of its own).
    CDsAttrInterface() = default;
    // Nothing to free.
    ~CDsAttrInterface() override = default;

    // Records the document and forwards the colour to the document type's interface.
    void ApplyColor(const CVyrObjectId& id, const CDsColorStorage& color, bool, bool,
                    const CAttrNumberIncrementer& documents) const override;
    // Records the document and forwards the pen width.
    void ApplyPenWidth(const CVyrObjectId& id, int width, bool, const CAttrNumberIncrementer& documents) const override;
    // Records the document and forwards the pen style.
    void ApplyPenStyle(const CVyrObjectId& id, int style, bool, const CAttrNumberIncrementer& documents) const override;
    // Records the document and forwards the render mode.
    void ApplyRenderMode(const CVyrObjectId& id, ERenderMode mode, bool,
                         const CAttrNumberIncrementer& documents) const override;
    // Records the document and forwards the hide level.
    void ApplyHideLevel(const CVyrObjectId& id, const CDsHideLevel& level, bool, bool,
                        const CAttrNumberIncrementer& documents) const override;
    // Records the document and forwards the transparency.
    void ApplyTransparency(const CVyrObjectId& id, float transparency, bool,
                           const CAttrNumberIncrementer& documents) const override;
    // The document type interface's answer; false when there is none.
    bool GetEntityColor(const CVyrObjectId& id, CDsColorStorage& color) const override;
    // The document type interface's answer; false when there is none.
    bool GetEntityPenWidth(const CVyrObjectId& id, int& width) const override;
    // The document type interface's answer; false when there is none.
    bool GetEntityPenStyle(const CVyrObjectId& id, int& style) const override;
    // The document type interface's answer; false when there is none.
    bool GetEntityTransparency(const CVyrObjectId& id, float& transparency) const override;
    // The document type interface's answer; false when there is none.
    bool GetEntityRenderMode(const CVyrObjectId& id, ERenderMode& mode) const override;
    // The document type interface's answer; false when there is none.
    bool GetHideLevel(const CVyrObjectId& id, CDsHideLevel& level) const override;
    // The document type interface's entity; null when there is none.
    ENTITY* GetEntityByObjId(const CVyrObjectId& id) const override;
    // The path built by the interface of the tool context's document type; false when there is
    // none (or no tool context).
    bool BuildObjectPath(ENTITY* entity, const CVyrUiToolContext* context, CVyrObjectPath& path) const override;
};
