// CVyrCopyAtt: the record a body copy of an instance carries. It names the original body and
// lists the faces, edges and vertices of both bodies in the same order, so entities map either
// way by index.
#pragma once

#include "SpaTopology.h"
#include "VyrAttrBase.h"
#include "VyrEntRef.h"

// The copy record on a copy body.
class CVyrCopyAtt : public CVyrAttrBase {
    SPA_ENTITY_TYPE(CVyrCopyAtt, CVyrAttrBase, CVyrCopyAtt_TYPE, "vyr_copy_attrib")

public:
    // The record on `copy`, a copy of `real` placed by `transform`.
    CVyrCopyAtt(BODY* copy, BODY* real, const SPAtransf& transform);

    // eVyrAttCopy.
    int GetAttType() const override { return eVyrAttCopy; }

    // The record of the copy body that `entity` is or belongs to, or null.
    static CVyrCopyAtt* Of(const ENTITY* entity);

    // The copy body.
    BODY* Copy() const { return static_cast<BODY*>(entity()); }
    // The original body, or null once it has been freed.
    BODY* Real() const { return static_cast<BODY*>(m_real.Get()); }
    // The transform placing the copy relative to the original.
    const SPAtransf& Transform() const { return m_transform; }
    // The original's counterpart of an entity of the copy, or null.
    ENTITY* RealOf(const ENTITY* copyEntity) const;
    // The copy's counterpart of an entity of the original (or the entity itself when it is the
    // copy's own), or null.
    ENTITY* CopyOf(const ENTITY* realEntity) const;

protected:
    ~CVyrCopyAtt() override;

private:
    CVyrEntRef m_real;
    SPAtransf m_transform;
    ENTITY_LIST m_realFaces, m_realEdges, m_realVertices;
    ENTITY_LIST m_copyFaces, m_copyEdges, m_copyVertices;
};
