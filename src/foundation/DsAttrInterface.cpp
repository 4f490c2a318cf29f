// CDsAttrInterface: line attributes of document objects, forwarded by document type.
#include "DsAttrInterface.h"

#include "AttrNumberIncrementer.h"
#include "DsLineAttrMap.h"
#include "VyrObjectId.h"
#include "VyrUiToolContext.h"

namespace {

// The interface of the object's document type; null for an id that names no object.
const CDsCoreLineAttributesInt* InterfaceOf(const CVyrObjectId& id)
{
    return id.IsValid() ? CDsLineAttrMap::GetInterface(id) : nullptr;
}

// The interface, with the object's document recorded; null as above.
const CDsCoreLineAttributesInt* InterfaceRecording(const CVyrObjectId& id, const CAttrNumberIncrementer& documents)
{
    const CDsCoreLineAttributesInt* found = InterfaceOf(id);
    if (found && id.GetPartId() >= 0) documents.AddDocument(CVyrRunTimeDocId(id.GetPartId()));
    return found;
}

}  // namespace

void CDsAttrInterface::ApplyColor(const CVyrObjectId& id, const CDsColorStorage& color, bool a, bool b,
                                  const CAttrNumberIncrementer& documents) const
{
    if (const CDsCoreLineAttributesInt* found = InterfaceRecording(id, documents))
        found->ApplyColor(id, color, a, b, documents);
}

void CDsAttrInterface::ApplyPenWidth(const CVyrObjectId& id, int width, bool a,
                                     const CAttrNumberIncrementer& documents) const
{
    if (const CDsCoreLineAttributesInt* found = InterfaceRecording(id, documents))
        found->ApplyPenWidth(id, width, a, documents);
}

void CDsAttrInterface::ApplyPenStyle(const CVyrObjectId& id, int style, bool a,
                                     const CAttrNumberIncrementer& documents) const
{
    if (const CDsCoreLineAttributesInt* found = InterfaceRecording(id, documents))
        found->ApplyPenStyle(id, style, a, documents);
}

void CDsAttrInterface::ApplyRenderMode(const CVyrObjectId& id, ERenderMode mode, bool a,
                                       const CAttrNumberIncrementer& documents) const
{
    if (const CDsCoreLineAttributesInt* found = InterfaceRecording(id, documents))
        found->ApplyRenderMode(id, mode, a, documents);
}

void CDsAttrInterface::ApplyHideLevel(const CVyrObjectId& id, const CDsHideLevel& level, bool a, bool b,
                                      const CAttrNumberIncrementer& documents) const
{
    if (const CDsCoreLineAttributesInt* found = InterfaceRecording(id, documents))
        found->ApplyHideLevel(id, level, a, b, documents);
}

void CDsAttrInterface::ApplyTransparency(const CVyrObjectId& id, float transparency, bool a,
                                         const CAttrNumberIncrementer& documents) const
{
    if (const CDsCoreLineAttributesInt* found = InterfaceRecording(id, documents))
        found->ApplyTransparency(id, transparency, a, documents);
}

bool CDsAttrInterface::GetEntityColor(const CVyrObjectId& id, CDsColorStorage& color) const
{
    const CDsCoreLineAttributesInt* found = InterfaceOf(id);
    return found && found->GetEntityColor(id, color);
}

bool CDsAttrInterface::GetEntityPenWidth(const CVyrObjectId& id, int& width) const
{
    const CDsCoreLineAttributesInt* found = InterfaceOf(id);
    return found && found->GetEntityPenWidth(id, width);
}

bool CDsAttrInterface::GetEntityPenStyle(const CVyrObjectId& id, int& style) const
{
    const CDsCoreLineAttributesInt* found = InterfaceOf(id);
    return found && found->GetEntityPenStyle(id, style);
}

bool CDsAttrInterface::GetEntityTransparency(const CVyrObjectId& id, float& transparency) const
{
    const CDsCoreLineAttributesInt* found = InterfaceOf(id);
    return found && found->GetEntityTransparency(id, transparency);
}

bool CDsAttrInterface::GetEntityRenderMode(const CVyrObjectId& id, ERenderMode& mode) const
{
    const CDsCoreLineAttributesInt* found = InterfaceOf(id);
    return found && found->GetEntityRenderMode(id, mode);
}

bool CDsAttrInterface::GetHideLevel(const CVyrObjectId& id, CDsHideLevel& level) const
{
    const CDsCoreLineAttributesInt* found = InterfaceOf(id);
    return found && found->GetHideLevel(id, level);
}

ENTITY* CDsAttrInterface::GetEntityByObjId(const CVyrObjectId& id) const
{
    const CDsCoreLineAttributesInt* found = InterfaceOf(id);
    return found ? found->GetEntityByObjId(id) : nullptr;
}

bool CDsAttrInterface::BuildObjectPath(ENTITY* entity, const CVyrUiToolContext* context, CVyrObjectPath& path) const
{
    if (!context) return false;
    const CDsCoreLineAttributesInt* found =
        CDsLineAttrMap::GetInterface(CVyrObjectId(context->GetDocument().GetNumber(), 0));
    return found && found->BuildObjectPath(entity, context, path);
}
