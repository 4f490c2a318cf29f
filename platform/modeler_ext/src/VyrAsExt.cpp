// Copy records and the copy helpers over them.
#include "VyrAsExt.h"

#include "VyrCopyAtt.h"
#include "VyrEntGroup.h"
#include "VyrEntInstance.h"

// ---------------------------------------------------------------------------------------------
// CVyrCopyAtt

CVyrCopyAtt::CVyrCopyAtt(BODY* copy, BODY* real, const SPAtransf& transform)
    : CVyrAttrBase(copy), m_real(real), m_transform(transform)
{
    get_faces(real, m_realFaces);
    get_edges(real, m_realEdges);
    get_vertices(real, m_realVertices);
    get_faces(copy, m_copyFaces);
    get_edges(copy, m_copyEdges);
    get_vertices(copy, m_copyVertices);
}

CVyrCopyAtt::~CVyrCopyAtt() = default;

CVyrCopyAtt* CVyrCopyAtt::Of(const ENTITY* entity)
{
    if (entity == nullptr) return nullptr;
    const ENTITY* top = entity;
    // Owner chains are short; the bound guards against a broken chain.
    for (int depth = 0; depth < 64 && top->owner() != nullptr; ++depth) top = top->owner();
    if (!is_BODY(top)) return nullptr;
    return static_cast<CVyrCopyAtt*>(find_attrib(top, CVyrAttrBase_TYPE, CVyrCopyAtt_TYPE));
}

namespace {

// The entry of `to` at the index `e` has in `from`, or null.
ENTITY* map_entry(const ENTITY_LIST& from, const ENTITY_LIST& to, const ENTITY* e)
{
    const int index = from.lookup(e);
    return index >= 0 ? to[index] : nullptr;
}

}  // namespace

ENTITY* CVyrCopyAtt::RealOf(const ENTITY* copyEntity) const
{
    BODY* real = Real();
    if (real == nullptr || copyEntity == nullptr) return nullptr;
    if (copyEntity == Copy()) return real;
    if (ENTITY* e = map_entry(m_copyFaces, m_realFaces, copyEntity)) return e;
    if (ENTITY* e = map_entry(m_copyEdges, m_realEdges, copyEntity)) return e;
    return map_entry(m_copyVertices, m_realVertices, copyEntity);
}

ENTITY* CVyrCopyAtt::CopyOf(const ENTITY* realEntity) const
{
    if (realEntity == nullptr) return nullptr;
    ENTITY* self = const_cast<ENTITY*>(realEntity);
    if (realEntity == Copy() || m_copyFaces.lookup(realEntity) >= 0 || m_copyEdges.lookup(realEntity) >= 0 ||
        m_copyVertices.lookup(realEntity) >= 0)
        return self;
    // The real lists are only trusted while the real body lives.
    BODY* real = Real();
    if (real == nullptr) return nullptr;
    if (realEntity == real) return Copy();
    if (ENTITY* e = map_entry(m_realFaces, m_copyFaces, realEntity)) return e;
    if (ENTITY* e = map_entry(m_realEdges, m_copyEdges, realEntity)) return e;
    return map_entry(m_realVertices, m_copyVertices, realEntity);
}

// ---------------------------------------------------------------------------------------------
// CVyrAsExt

ENTITY* CVyrAsExt::GetRealEntity(ENTITY* entity)
{
    const CVyrCopyAtt* record = CVyrCopyAtt::Of(entity);
    return record != nullptr ? record->RealOf(entity) : nullptr;
}

SPAtransf CVyrAsExt::GetTransformation(ENTITY* entity)
{
    if (entity == nullptr) return SPAtransf();
    if (is_CVyrEntInstance(entity)) return static_cast<const CVyrEntInstance*>(entity)->GetTransform();
    if (is_CVyrEntGroup(entity)) return static_cast<const CVyrEntGroup*>(entity)->GetTransformation();
    const CVyrCopyAtt* record = CVyrCopyAtt::Of(entity);
    return record != nullptr ? record->Transform() : SPAtransf();
}

namespace {

// The copy record that `copyOwner` stands for when looking for the copy of `entity`.
const CVyrCopyAtt* record_for(ENTITY* copyOwner, const ENTITY* entity)
{
    if (is_CVyrEntInstance(copyOwner)) {
        ENTITY* top = const_cast<ENTITY*>(entity);
        for (int depth = 0; top != nullptr && depth < 64 && top->owner() != nullptr; ++depth) top = top->owner();
        if (!is_BODY(top)) return nullptr;
        const CVyrEntInstance* instance = static_cast<const CVyrEntInstance*>(copyOwner);
        if (BODY* copy = instance->GetCopy(static_cast<BODY*>(top))) return CVyrCopyAtt::Of(copy);
        // `entity` may belong to one of the instance's copies already.
        ENTITY_LIST copies;
        instance->GetEntities(copies);
        return copies.lookup(top) >= 0 ? CVyrCopyAtt::Of(top) : nullptr;
    }
    return CVyrCopyAtt::Of(copyOwner);
}

int copy_list(ENTITY* copyOwner, const ENTITY_LIST& in, ENTITY_LIST& out, int (*wanted)(const ENTITY*))
{
    int added = 0;
    for (int i = 0; i < in.count(); ++i) {
        if (!wanted(in[i])) continue;
        if (ENTITY* copy = CVyrAsExt::GetEntityCopy(copyOwner, in[i])) {
            const int before = out.count();
            out.add(copy);
            if (out.count() > before) ++added;
        }
    }
    return added;
}

}  // namespace

ENTITY* CVyrAsExt::GetEntityCopy(ENTITY* copyOwner, ENTITY* entity)
{
    if (copyOwner == nullptr || entity == nullptr) return nullptr;
    const CVyrCopyAtt* record = record_for(copyOwner, entity);
    return record != nullptr ? record->CopyOf(entity) : nullptr;
}

int CVyrAsExt::GetCopyEdges(ENTITY* copyOwner, const ENTITY_LIST& edges, ENTITY_LIST& out)
{
    return copy_list(copyOwner, edges, out, is_EDGE);
}

int CVyrAsExt::GetCopyFaces(ENTITY* copyOwner, const ENTITY_LIST& faces, ENTITY_LIST& out)
{
    return copy_list(copyOwner, faces, out, is_FACE);
}

bool CVyrAsExt::IsCopy(const ENTITY* entity)
{
    const CVyrCopyAtt* record = CVyrCopyAtt::Of(entity);
    if (record == nullptr) return false;
    if (entity == record->Copy()) return true;
    // An entity of the copy body that the record maps (attributes and the like are not copies).
    return record->CopyOf(entity) == entity;
}
