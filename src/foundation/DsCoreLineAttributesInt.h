// CDsCoreLineAttributesInt: the interface through which the display reads and writes the line
// attributes of the objects of one kind of document, by object id (CVyrObjectId: the run-time
// document number as its part id, the object within the document as its item id). Each document
// type supplies an implementation and registers it under the type's name (CDsLineAttrMap,
// CDsLineAttrRegister). The registered implementations are shared and const.
#pragma once

#include <afx.h>

#include "VyrViewTypes.h"

class CAttrNumberIncrementer;
class CDsColorStorage;
class CDsHideLevel;
class CVyrObjectId;
class CVyrObjectPath;
class CVyrUiToolContext;
class ENTITY;

// Line attributes of the objects of one document type.
class AFX_EXT_CLASS CDsCoreLineAttributesInt {
public:
    // Frees the implementation.
    virtual ~CDsCoreLineAttributesInt();

    // Gives the object the colour; the documents touched are recorded in `documents`.
    virtual void ApplyColor(const CVyrObjectId& id, const CDsColorStorage& color, bool, bool,
                            const CAttrNumberIncrementer& documents) const = 0;
    // Gives the object the pen width.
    virtual void ApplyPenWidth(const CVyrObjectId& id, int width, bool, const CAttrNumberIncrementer& documents) const = 0;
    // Gives the object the pen style.
    virtual void ApplyPenStyle(const CVyrObjectId& id, int style, bool, const CAttrNumberIncrementer& documents) const = 0;
    // Gives the object the render mode.
    virtual void ApplyRenderMode(const CVyrObjectId& id, ERenderMode mode, bool,
                                 const CAttrNumberIncrementer& documents) const = 0;
    // Gives the object the hide level.
    virtual void ApplyHideLevel(const CVyrObjectId& id, const CDsHideLevel& level, bool, bool,
                                const CAttrNumberIncrementer& documents) const = 0;
    // Gives the object the transparency (0 transparent to 1 opaque).
    virtual void ApplyTransparency(const CVyrObjectId& id, float transparency, bool,
                                   const CAttrNumberIncrementer& documents) const = 0;
    // The object's colour; false when it has none to give.
    virtual bool GetEntityColor(const CVyrObjectId& id, CDsColorStorage& color) const = 0;
    // The object's pen width; false when it has none to give.
    virtual bool GetEntityPenWidth(const CVyrObjectId& id, int& width) const = 0;
    // The object's pen style; false when it has none to give.
    virtual bool GetEntityPenStyle(const CVyrObjectId& id, int& style) const = 0;
    // The object's transparency; false when it has none to give.
    virtual bool GetEntityTransparency(const CVyrObjectId& id, float& transparency) const = 0;
    // The object's render mode; false when it has none to give.
    virtual bool GetEntityRenderMode(const CVyrObjectId& id, ERenderMode& mode) const = 0;
    // The object's hide level; false when it has none to give.
    virtual bool GetHideLevel(const CVyrObjectId& id, CDsHideLevel& level) const = 0;
    // The modeler entity of the object, null when none.
    virtual ENTITY* GetEntityByObjId(const CVyrObjectId& id) const = 0;
    // Builds the scene path of an entity of the tool context's document; false when it cannot.
    virtual bool BuildObjectPath(ENTITY* entity, const CVyrUiToolContext* context, CVyrObjectPath& path) const = 0;

protected:
    // Made as an implementation.
    CDsCoreLineAttributesInt() = default;
};
